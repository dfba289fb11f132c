#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/gif_builder.h"

namespace zel {
namespace {

uint32_t IntAt(const std::array<uint8_t, kSettingsBlockSize>& block, size_t offset) {
  return block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
         static_cast<uint32_t>(block[offset + 3]) << 24;
}

std::string TextAt(const std::array<uint8_t, kSettingsBlockSize>& block, size_t offset) {
  return std::string(reinterpret_cast<const char*>(block.data() + offset));
}

Settings DistinctSettings() {
  Settings s;
  s.lastImagePath = "/home/u/画像/anime.gif";
  s.openPathHint = "/home/u/open.bmp";
  s.makeAnimeEffect = 1;
  s.makeAnimeAmplitude = 2;
  s.colorCountIndex = 3;
  s.transparentCorner = 4;
  s.sideLength = 5;
  s.makeAnimeFrames = 6;
  s.makeAnimeTime = 7;
  s.options = 0x80000301;
  s.jpegQuality = -9;
  s.editorPath = "/usr/bin/gimp";
  s.effectIndex = 10;
  s.effectAmplitude = 11;
  s.frameMax = 0x01020304;
  return s;
}

TEST(Settings, BlockLayoutIsFixed) {
  auto block = PackSettings(DistinctSettings());
  EXPECT_EQ(TextAt(block, 0), "/home/u/画像/anime.gif");
  EXPECT_EQ(TextAt(block, 260), "/home/u/open.bmp");
  EXPECT_EQ(TextAt(block, 556), "/usr/bin/gimp");
  const std::pair<size_t, uint32_t> ints[] = {
      {520, 1}, {524, 2},          {528, 3},          {532, 4},  {536, 5},  {540, 6},
      {544, 7}, {548, 0x80000301}, {552, 0xFFFFFFF7}, {816, 10}, {820, 11}, {824, 0x01020304},
  };
  for (auto [offset, value] : ints) EXPECT_EQ(IntAt(block, offset), value) << offset;
  EXPECT_EQ(block[824], 0x04);  // little-endian, as the block sits in memory

  Settings back;
  ASSERT_TRUE(UnpackSettings(block.data(), block.size(), &back));
  EXPECT_EQ(back, DistinctSettings());
  EXPECT_FALSE(UnpackSettings(block.data(), 827, &back));
  EXPECT_FALSE(UnpackSettings(block.data(), 829, &back));
  EXPECT_FALSE(UnpackSettings(nullptr, 828, &back));
}

TEST(Settings, LongTextFieldsAreCutWholeCharactersWithRoomForTheNul) {
  Settings s;
  s.lastImagePath = std::string(300, 'a');
  std::string japanese;
  for (int i = 0; i < 100; ++i) japanese += "あ";  // 3 bytes each
  s.openPathHint = japanese;
  s.editorPath = std::string(258, 'b') + "é";  // the 2-byte character would end at byte 260
  auto block = PackSettings(s);
  Settings back;
  ASSERT_TRUE(UnpackSettings(block.data(), block.size(), &back));
  EXPECT_EQ(back.lastImagePath, std::string(259, 'a'));
  EXPECT_EQ(back.openPathHint.size(), 258u);
  EXPECT_EQ(back.openPathHint, japanese.substr(0, 258));
  EXPECT_EQ(back.editorPath, std::string(258, 'b'));
  EXPECT_EQ(block[260 + 258], 0);
  EXPECT_EQ(block[556 + 259], 0);

  // A field without any NUL is read as 259 bytes, never beyond.
  std::memset(block.data(), 'z', 520);
  ASSERT_TRUE(UnpackSettings(block.data(), block.size(), &back));
  EXPECT_EQ(back.lastImagePath, std::string(259, 'z'));
  EXPECT_EQ(back.openPathHint, std::string(259, 'z'));
}

TEST(Settings, DefaultsMatchTheTable) {
  Settings d = DefaultSettings("/home/u/Pictures");
  EXPECT_EQ(d.lastImagePath, "/home/u/Pictures/無題.gif");
  EXPECT_EQ(DefaultSettings("/").lastImagePath, "/無題.gif");
  EXPECT_EQ(d.openPathHint, "");
  EXPECT_EQ(d.editorPath, "");
  const std::pair<int64_t, int64_t> values[] = {
      {d.makeAnimeEffect, 0},  {d.makeAnimeAmplitude, 40},
      {d.colorCountIndex, 7},  {d.transparentCorner, 0},
      {d.sideLength, 100},     {d.makeAnimeFrames, 10},
      {d.makeAnimeTime, 10},   {d.options, 1},
      {d.jpegQuality, 75},     {d.effectIndex, 1},
      {d.effectAmplitude, 40}, {d.frameMax, 256},
  };
  for (size_t i = 0; i < std::size(values); ++i) EXPECT_EQ(values[i].first, values[i].second) << i;
}

TEST(Settings, BinaryRecordsAcceptOnlyTheExactSize) {
  const uint8_t bytes[] = {0x00, 0xAB, 0x7F, 0xFF};
  EXPECT_EQ(EncodeBinaryRecord(bytes, 4), "00AB7FFF");
  struct Case {
    const char* len;
    const char* val;
    bool accepted;
  } cases[] = {
      {"4", "00AB7FFF", true},    {"4", "00ab7fff", true},  {"3", "00AB7F", false},
      {"5", "00AB7FFF00", false}, {"4", "00AB7FF", false},  {"4", "00AB7FFF0", false},
      {"4", "00AB7FFG", false},   {"4", "00AB 7FF", false}, {"04", "00AB7FFF", false},
      {"+4", "00AB7FFF", false},  {"", "00AB7FFF", false},  {"4x", "00AB7FFF", false},
  };
  for (const Case& c : cases) {
    auto decoded = DecodeBinaryRecord(c.len, c.val, 4);
    ASSERT_EQ(decoded.has_value(), c.accepted) << c.len << " " << c.val;
    if (c.accepted) {
      EXPECT_EQ(*decoded, std::vector<uint8_t>(bytes, bytes + 4));
    }
  }
}

TEST(Settings, FileRoundTripKeepsOtherSections) {
  std::string path = testing::MakeTempDir() + "/zel.ini";
  ProfileFile file;
  file.Load(path);
  file.Set("motion", "count", "2");
  AppSettings app;
  app.block = DistinctSettings();
  app.block.frameMax = 512;
  app.backgroundColor = 0x123456;
  for (size_t i = 0; i < 16; ++i) app.customColors[i] = 0x010101 * static_cast<uint32_t>(i);
  app.midiPath = "/home/u/曲.mid";
  app.optimizeGif = true;
  app.highQualityColors = true;
  app.showFrameStrip = true;
  StoreAppSettings(app, file);
  ASSERT_TRUE(file.Save());

  ProfileFile reread;
  ASSERT_TRUE(reread.Load(path));
  EXPECT_EQ(LoadAppSettings(reread, "/pics"), app);
  EXPECT_EQ(reread.Get("motion", "count"), "2");
  EXPECT_EQ(reread.Get("option", "Len"), "828");
  EXPECT_EQ(reread.Get("option", "Val").size(), 1656u);
  EXPECT_EQ(reread.Get("option", "trancolor"), "1193046");
  EXPECT_EQ(reread.Get("option", "optimizegif"), "1");
  EXPECT_EQ(reread.Get("option", "highqualitycolors"), "1");
  EXPECT_EQ(reread.Get("option", "framestrip"), "1");
  EXPECT_EQ(reread.Get("colortable", "Len"), "64");
  EXPECT_EQ(reread.Get("colortable", "Val").substr(0, 16), "0000000001010100");

  AppSettings defaults;
  defaults.block = DefaultSettings("/pics");
  EXPECT_EQ(LoadAppSettings(ProfileFile(), "/pics"), defaults);
  EXPECT_EQ(defaults.backgroundColor, 0xC0C0C0u);
  EXPECT_FALSE(defaults.optimizeGif);
  StoreAppSettings(defaults, file);
  EXPECT_EQ(file.Get("option", "trancolor"), "12632256");
  EXPECT_EQ(file.Get("option", "highqualitycolors"), "0");
  EXPECT_EQ(file.Get("option", "framestrip"), "0");
  // Only "1" turns the high-quality choice on.
  for (const char* text : {"0", "", "yes", "2", " 1"}) {
    file.Set("option", "highqualitycolors", text);
    EXPECT_FALSE(LoadAppSettings(file, "/pics").highQualityColors) << text;
  }
}

TEST(Settings, LanguageChoiceRoundTripsAndAnythingElseIsAutomatic) {
  const struct {
    LanguageChoice choice;
    const char* stored;
  } kChoices[] = {{LanguageChoice::kAutomatic, "auto"},
                  {LanguageChoice::kJapanese, "ja"},
                  {LanguageChoice::kEnglish, "en"}};
  for (const auto& c : kChoices) {
    SCOPED_TRACE(c.stored);
    ProfileFile file;
    AppSettings app;
    app.block = DefaultSettings("/pics");
    app.language = c.choice;
    StoreAppSettings(app, file);
    EXPECT_EQ(file.Get("option", "language"), c.stored);
    EXPECT_EQ(LoadLanguageChoice(file), c.choice);
    EXPECT_EQ(LoadAppSettings(file, "/pics").language, c.choice);
  }
  // A value this version does not know (a later one's, a typo, other case) follows the locale.
  for (const char* text : {"", "de", "JA", "English", " en"}) {
    ProfileFile file;
    file.Set("option", "language", text);
    EXPECT_EQ(LoadLanguageChoice(file), LanguageChoice::kAutomatic) << text;
  }
  EXPECT_EQ(LoadLanguageChoice(ProfileFile()), LanguageChoice::kAutomatic);
}

TEST(Settings, DamagedRecordsFallBackToDefaults) {
  AppSettings stored;
  stored.block = DistinctSettings();
  stored.block.frameMax = 300;
  stored.backgroundColor = 0xFF;
  stored.customColors.fill(0xABCDEF);
  ProfileFile good;
  StoreAppSettings(stored, good);
  std::string val = good.Get("option", "Val");
  std::string colors = good.Get("colortable", "Val");

  struct Case {
    std::string len, val, colorLen, colorVal, trancolor;
    bool blockKept, colorsKept;
    uint32_t background;
  } cases[] = {
      {"828", val, "64", colors, "255", true, true, 0xFF},
      {"827", val.substr(0, 1654), "64", colors, "255", false, true, 0xFF},
      {"828", val.substr(0, 1654) + "G0", "64", colors, "x", false, true, 0xC0C0C0},
      {"828", val + "00", "63", colors, "", false, false, 0xC0C0C0},
      {"828", val, "64", colors.substr(2) + "0z", "-1", true, false, 0xFFFFFF},
      {"828", val, "64", colors, "99999999999", true, true, 0xC0C0C0},
  };
  for (const Case& c : cases) {
    ProfileFile file;
    file.Set("option", "Len", c.len);
    file.Set("option", "Val", c.val);
    file.Set("option", "trancolor", c.trancolor);
    file.Set("colortable", "Len", c.colorLen);
    file.Set("colortable", "Val", c.colorVal);
    AppSettings loaded = LoadAppSettings(file, "/pics");
    EXPECT_EQ(loaded.block, c.blockKept ? stored.block : DefaultSettings("/pics")) << c.len;
    EXPECT_EQ(loaded.customColors[15], c.colorsKept ? 0xABCDEFu : 0u) << c.colorLen;
    EXPECT_EQ(loaded.backgroundColor, c.background) << c.trancolor;
  }

  // The frame maximum is clamped as start-up does.
  const std::pair<int, int> frameMaxes[] = {{5, 256}, {16, 16}, {10000, 10000}, {20000, 10000}};
  for (auto [storedMax, loadedMax] : frameMaxes) {
    stored.block.frameMax = storedMax;
    ProfileFile file;
    StoreAppSettings(stored, file);
    EXPECT_EQ(LoadAppSettings(file, "/pics").block.frameMax, loadedMax) << storedMax;
  }
}

}  // namespace
}  // namespace zel
