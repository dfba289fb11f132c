// The settings block and the settings file: the 828-byte block of fixed layout kept as
// "Len"/"Val" hexadecimal in section "option" of zel.ini, with the background colour, the
// last MIDI file, the high-quality colour choice and the colour chooser's custom colours
// beside it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/binary_record.h"
#include "platform/profile_file.h"
#include "resources/language.h"

namespace zel {

// Bits of Settings::options.
enum SettingsOption : uint32_t {
  kOptionNoDiffusion = 0x1,          // colour reduction without error diffusion
  kOptionTimePerCycle = 0x2,         // picture-to-animation time is per cycle, not per frame
  kOptionTimeAsTempo = 0x4,          // picture-to-animation time is in beats per minute
  kOptionTransformTools = 0x10,      // flag of the transform tools
  kOptionInsertMargins = 0x20,       // picture-to-animation inserts margins
  kOptionMove = 0x40,                // picture-to-animation moves
  kOptionTimeSlider = 0x80,          // time adjustment opens in its slider form
  kOptionShowAfterGifSave = 0x100,   // after saving a GIF, show it in the web browser
  kOptionBrowserBackground = 0x200,  // the browser preview shows the animation as background
};

// Size of the packed block and of each of its text fields (a NUL-terminated UTF-8 string).
constexpr size_t kSettingsBlockSize = 828;
constexpr size_t kSettingsPathField = 260;

// Byte offsets of the fields in the packed block (little-endian 32-bit integers).
enum SettingsOffset : size_t {
  kOffsetLastImagePath = 0,
  kOffsetOpenPathHint = 260,
  kOffsetMakeAnimeEffect = 520,
  kOffsetMakeAnimeAmplitude = 524,
  kOffsetColorCountIndex = 528,
  kOffsetTransparentCorner = 532,
  kOffsetSideLength = 536,
  kOffsetMakeAnimeFrames = 540,
  kOffsetMakeAnimeTime = 544,
  kOffsetOptions = 548,
  kOffsetJpegQuality = 552,
  kOffsetEditorPath = 556,
  kOffsetEffectIndex = 816,
  kOffsetEffectAmplitude = 820,
  kOffsetFrameMax = 824,
};

// The values are taken as read; each user of a field checks its own range.
struct Settings {
  std::string lastImagePath;  // last picture opened or saved; start of the file dialogs
  std::string openPathHint;   // last picture chosen outside the settings folder
  int32_t makeAnimeEffect = 0;
  int32_t makeAnimeAmplitude = 40;
  int32_t colorCountIndex = 7;  // 0..7: 2, 4, ..., 256 colours
  int32_t transparentCorner = 0;
  int32_t sideLength = 100;
  int32_t makeAnimeFrames = 10;
  int32_t makeAnimeTime = 10;
  uint32_t options = kOptionNoDiffusion;
  int32_t jpegQuality = 75;
  std::string editorPath;  // external picture editor
  int32_t effectIndex = 1;
  int32_t effectAmplitude = 40;
  int32_t frameMax = 256;  // read once at start-up

  bool operator==(const Settings&) const = default;
};

// The defaults; lastImagePath is "無題.gif" in the pictures folder.
Settings DefaultSettings(const std::string& picturesFolder);

// Text fields longer than 259 bytes are cut (at a UTF-8 character boundary) so that the
// terminating NUL fits.
std::array<uint8_t, kSettingsBlockSize> PackSettings(const Settings& settings);
// False (output untouched) unless `size` is exactly 828. A text field ends at its first
// NUL, or after 259 bytes when it has none.
bool UnpackSettings(const uint8_t* data, size_t size, Settings* settings);

// Everything the program keeps in the settings file itself.
struct AppSettings {
  Settings block;
  uint32_t backgroundColor = 0xC0C0C0;  // COLORREF 0x00BBGGRR
  std::array<uint32_t, 16> customColors{};
  std::string midiPath;
  bool optimizeGif = false;  // the user's GIF saves write the optimised file
  // "高画質" of the index-colour dialog: libimagequant builds the palette and maps the pixels.
  bool highQualityColors = false;
  // The frame strip under the view is shown.
  bool showFrameStrip = false;
  // The language of the editor: the locale's, or Japanese or English whatever the locale.
  // Read at start-up only; a change in the options applies at the next start.
  LanguageChoice language = LanguageChoice::kAutomatic;

  bool operator==(const AppSettings&) const = default;
};

// Section and key names in the settings file.
inline constexpr char kOptionSection[] = "option";
inline constexpr char kColorTableSection[] = "colortable";
inline constexpr char kLenKey[] = "Len";
inline constexpr char kValKey[] = "Val";
inline constexpr char kBackgroundColorKey[] = "trancolor";
inline constexpr char kMidiPathKey[] = "midipath";
inline constexpr char kOptimizeGifKey[] = "optimizegif";  // "1" on, anything else off
inline constexpr char kHighQualityColorsKey[] = "highqualitycolors";
inline constexpr char kFrameStripKey[] = "framestrip";  // "1" shown, anything else hidden
inline constexpr char kLanguageKey[] = "language";      // "ja", "en", anything else automatic

// Reads the settings. A block that is missing or not exactly 828 bytes gives all defaults;
// frameMax is clamped as at start-up (below 16 becomes 256, above 10000 becomes 10000);
// so does a colour table that is not exactly 64 bytes (all zero). "trancolor" must be a
// decimal 32-bit integer (else 0xC0C0C0); only its low 24 bits are kept. "highqualitycolors"
// is on only when it reads "1".
AppSettings LoadAppSettings(const ProfileFile& file, const std::string& picturesFolder);
// The language setting alone, read before anything else at start-up so that the first
// message already speaks it.
[[nodiscard]] LanguageChoice LoadLanguageChoice(const ProfileFile& file);
// Writes every key; other keys and sections of the file stay as they were.
void StoreAppSettings(const AppSettings& settings, ProfileFile& file);

// The settings file, zel.ini in the settings folder (which is created when missing).
std::string SettingsFilePath();

}  // namespace zel
