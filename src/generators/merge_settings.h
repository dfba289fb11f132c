// The merge dialog's entries kept in zel.ini: the binary record "MergeAnime" of 272 bytes
// (the overlay path in 260 bytes, NUL-terminated; the flags; x; y).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zel {

class ProfileFile;

inline constexpr char kMergeAnimeRecordName[] = "MergeAnime";
inline constexpr size_t kMergeAnimeRecordSize = 272;
inline constexpr size_t kMergePathField = 260;

enum MergeFlag : uint32_t {
  kMergeInFront = 0x1,        // the overlay goes in front of the base
  kMergeFromClipboard = 0x2,  // the overlay comes from the clipboard
};

// The largest x or y a record may hold; larger ones are taken as this.
inline constexpr int32_t kMergePositionMax = 65535;

struct MergeSettings {
  std::string path;
  uint32_t flags = kMergeInFront;
  int32_t x = 0;
  int32_t y = 0;
};

// The record's bytes: the path cut to 259 bytes at a character boundary.
std::array<uint8_t, kMergeAnimeRecordSize> PackMergeSettings(const MergeSettings& settings);
// The settings of a record; the defaults when it has no NUL in its path field. Unknown
// flags are dropped and x, y are held within 0..kMergePositionMax.
MergeSettings UnpackMergeSettings(const uint8_t* data, size_t size);

// Reads the record; the defaults when it is absent or of another length.
MergeSettings ReadMergeSettings(const ProfileFile& file);
// Writes the record into `file` (in memory; the caller saves the file).
void WriteMergeSettings(ProfileFile& file, const MergeSettings& settings);

}  // namespace zel
