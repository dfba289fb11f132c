#include "app/settings.h"

#include <cstdio>
#include <cstring>

#include "document/frame_set.h"
#include "imagefiles/file_names.h"
#include "platform/folders.h"

namespace zel {
namespace {

void PutInt(uint8_t* block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetInt(const uint8_t* block, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(block[offset + i]) << (8 * i);
  return value;
}

void PutText(uint8_t* block, size_t offset, const std::string& text) {
  std::string cut = TruncateUtf8(text, kSettingsPathField - 1);
  std::memcpy(block + offset, cut.data(), cut.size());  // the rest of the field stays zero
}

std::string GetText(const uint8_t* block, size_t offset) {
  const char* field = reinterpret_cast<const char*>(block + offset);
  size_t length = 0;
  while (length < kSettingsPathField - 1 && field[length] != '\0') ++length;
  return std::string(field, length);
}

// A decimal 32-bit integer with an optional minus sign and nothing else.
std::optional<int32_t> ParseInt32(const std::string& text) {
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 10) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  if (text[0] == '-') value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

Settings DefaultSettings(const std::string& picturesFolder) {
  Settings settings;
  settings.lastImagePath = picturesFolder;
  if (settings.lastImagePath.empty() || settings.lastImagePath.back() != '/') {
    settings.lastImagePath += '/';
  }
  settings.lastImagePath += std::string(Say(kUntitledName)) + ".gif";
  return settings;
}

std::array<uint8_t, kSettingsBlockSize> PackSettings(const Settings& settings) {
  std::array<uint8_t, kSettingsBlockSize> block{};
  uint8_t* b = block.data();
  PutText(b, kOffsetLastImagePath, settings.lastImagePath);
  PutText(b, kOffsetOpenPathHint, settings.openPathHint);
  PutInt(b, kOffsetMakeAnimeEffect, static_cast<uint32_t>(settings.makeAnimeEffect));
  PutInt(b, kOffsetMakeAnimeAmplitude, static_cast<uint32_t>(settings.makeAnimeAmplitude));
  PutInt(b, kOffsetColorCountIndex, static_cast<uint32_t>(settings.colorCountIndex));
  PutInt(b, kOffsetTransparentCorner, static_cast<uint32_t>(settings.transparentCorner));
  PutInt(b, kOffsetSideLength, static_cast<uint32_t>(settings.sideLength));
  PutInt(b, kOffsetMakeAnimeFrames, static_cast<uint32_t>(settings.makeAnimeFrames));
  PutInt(b, kOffsetMakeAnimeTime, static_cast<uint32_t>(settings.makeAnimeTime));
  PutInt(b, kOffsetOptions, settings.options);
  PutInt(b, kOffsetJpegQuality, static_cast<uint32_t>(settings.jpegQuality));
  PutText(b, kOffsetEditorPath, settings.editorPath);
  PutInt(b, kOffsetEffectIndex, static_cast<uint32_t>(settings.effectIndex));
  PutInt(b, kOffsetEffectAmplitude, static_cast<uint32_t>(settings.effectAmplitude));
  PutInt(b, kOffsetFrameMax, static_cast<uint32_t>(settings.frameMax));
  return block;
}

bool UnpackSettings(const uint8_t* data, size_t size, Settings* settings) {
  if (data == nullptr || size != kSettingsBlockSize) return false;
  Settings s;
  s.lastImagePath = GetText(data, kOffsetLastImagePath);
  s.openPathHint = GetText(data, kOffsetOpenPathHint);
  s.makeAnimeEffect = static_cast<int32_t>(GetInt(data, kOffsetMakeAnimeEffect));
  s.makeAnimeAmplitude = static_cast<int32_t>(GetInt(data, kOffsetMakeAnimeAmplitude));
  s.colorCountIndex = static_cast<int32_t>(GetInt(data, kOffsetColorCountIndex));
  s.transparentCorner = static_cast<int32_t>(GetInt(data, kOffsetTransparentCorner));
  s.sideLength = static_cast<int32_t>(GetInt(data, kOffsetSideLength));
  s.makeAnimeFrames = static_cast<int32_t>(GetInt(data, kOffsetMakeAnimeFrames));
  s.makeAnimeTime = static_cast<int32_t>(GetInt(data, kOffsetMakeAnimeTime));
  s.options = GetInt(data, kOffsetOptions);
  s.jpegQuality = static_cast<int32_t>(GetInt(data, kOffsetJpegQuality));
  s.editorPath = GetText(data, kOffsetEditorPath);
  s.effectIndex = static_cast<int32_t>(GetInt(data, kOffsetEffectIndex));
  s.effectAmplitude = static_cast<int32_t>(GetInt(data, kOffsetEffectAmplitude));
  s.frameMax = static_cast<int32_t>(GetInt(data, kOffsetFrameMax));
  *settings = std::move(s);
  return true;
}

AppSettings LoadAppSettings(const ProfileFile& file, const std::string& picturesFolder) {
  AppSettings app;
  auto block = DecodeBinaryRecord(file.Get(kOptionSection, kLenKey),
                                  file.Get(kOptionSection, kValKey), kSettingsBlockSize);
  if (!block || !UnpackSettings(block->data(), block->size(), &app.block)) {
    app.block = DefaultSettings(picturesFolder);
  }
  app.block.frameMax = ClampFrameMax(app.block.frameMax);

  if (auto color = ParseInt32(file.Get(kOptionSection, kBackgroundColorKey))) {
    app.backgroundColor = static_cast<uint32_t>(*color) & 0xFFFFFF;
  }
  app.midiPath = file.Get(kOptionSection, kMidiPathKey);
  app.optimizeGif = file.Get(kOptionSection, kOptimizeGifKey) == "1";
  app.highQualityColors = file.Get(kOptionSection, kHighQualityColorsKey) == "1";
  app.showFrameStrip = file.Get(kOptionSection, kFrameStripKey) == "1";
  app.language = LoadLanguageChoice(file);

  constexpr size_t kTableSize = sizeof app.customColors;
  auto table = DecodeBinaryRecord(file.Get(kColorTableSection, kLenKey),
                                  file.Get(kColorTableSection, kValKey), kTableSize);
  if (table) {
    for (size_t i = 0; i < app.customColors.size(); ++i) {
      app.customColors[i] = GetInt(table->data(), 4 * i);
    }
  }
  return app;
}

LanguageChoice LoadLanguageChoice(const ProfileFile& file) {
  const std::string value = file.Get(kOptionSection, kLanguageKey);
  if (value == "ja") return LanguageChoice::kJapanese;
  if (value == "en") return LanguageChoice::kEnglish;
  return LanguageChoice::kAutomatic;
}

void StoreAppSettings(const AppSettings& settings, ProfileFile& file) {
  auto block = PackSettings(settings.block);
  file.Set(kOptionSection, kLenKey, std::to_string(block.size()));
  file.Set(kOptionSection, kValKey, EncodeBinaryRecord(block.data(), block.size()));
  char color[16];
  std::snprintf(color, sizeof color, "%d", static_cast<int32_t>(settings.backgroundColor));
  file.Set(kOptionSection, kBackgroundColorKey, color);
  file.Set(kOptionSection, kMidiPathKey, settings.midiPath);
  file.Set(kOptionSection, kOptimizeGifKey, settings.optimizeGif ? "1" : "0");
  file.Set(kOptionSection, kHighQualityColorsKey, settings.highQualityColors ? "1" : "0");
  file.Set(kOptionSection, kFrameStripKey, settings.showFrameStrip ? "1" : "0");
  const char* language = "auto";
  if (settings.language == LanguageChoice::kJapanese) language = "ja";
  if (settings.language == LanguageChoice::kEnglish) language = "en";
  file.Set(kOptionSection, kLanguageKey, language);

  std::array<uint8_t, sizeof settings.customColors> table{};
  for (size_t i = 0; i < settings.customColors.size(); ++i) {
    PutInt(table.data(), 4 * i, settings.customColors[i]);
  }
  file.Set(kColorTableSection, kLenKey, std::to_string(table.size()));
  file.Set(kColorTableSection, kValKey, EncodeBinaryRecord(table.data(), table.size()));
}

std::string SettingsFilePath() {
  return SettingsFolder(true) + "zel.ini";
}

}  // namespace zel
