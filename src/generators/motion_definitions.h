// The motion definitions: named paths kept in zel.ini as the binary records "MotionInfo"
// (count, selected, range, flags) and "MotionTable1", "MotionTable2", ... (title, bitmap
// path, bitmap size), with their bitmaps and path files in the data folder. Every change
// is written to the settings file at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/profile_file.h"

namespace zel {

inline constexpr char kMotionInfoName[] = "MotionInfo";
inline constexpr char kMotionTableName[] = "MotionTable";

constexpr size_t kMotionInfoSize = 16;
constexpr size_t kMotionRecordSize = 396;
constexpr size_t kMotionTitleField = 128;
constexpr size_t kMotionPathField = 260;
constexpr size_t kMotionWidthOffset = 388;
constexpr size_t kMotionHeightOffset = 392;

// Longest title the dialogs take (in bytes of UTF-8; cut at a character boundary).
constexpr size_t kMotionTitleMaxBytes = kMotionTitleField - 1;
// More records than this in a damaged settings file are not looked at.
constexpr int kMotionCountMax = 999;

constexpr int kMotionRangeMin = 5;
constexpr int kMotionRangeMax = 100;

enum MotionFlag : int32_t {
  kMotionWrap = 1,     // what leaves one edge comes back at the other
  kMotionReverse = 2,  // the path runs from its end to its start
};

struct MotionInfo {
  int32_t count = 8;
  int32_t selected = 0;
  int32_t range = 100;
  int32_t flags = kMotionWrap;
  bool operator==(const MotionInfo&) const = default;
};

struct MotionRecord {
  std::string title;       // UTF-8
  std::string bitmapPath;  // empty for a definition not drawn yet
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const MotionRecord&) const = default;
};

std::array<uint8_t, kMotionInfoSize> PackMotionInfo(const MotionInfo& info);
std::optional<MotionInfo> UnpackMotionInfo(const uint8_t* data, size_t size);
// Text fields are cut at a character boundary so that their NUL fits.
std::array<uint8_t, kMotionRecordSize> PackMotionRecord(const MotionRecord& record);
std::optional<MotionRecord> UnpackMotionRecord(const uint8_t* data, size_t size);

// "MotionTable" followed by index + 1.
std::string MotionRecordName(int index);

class MotionDefinitions {
 public:
  MotionDefinitions() = default;

  // Reads the motion state from `file`, which must outlive this object and is saved after
  // every change. When the file has no MotionInfo record, the eight built-in definitions
  // are drawn, traced and written into `dataFolder` (made when missing) and registered:
  // count 8, selected 0, range 100, flags 1; when they cannot be written, count 0. With a
  // record, selected is clamped into 0..count-1 and the range into 5..100.
  void Load(ProfileFile& file, const std::string& dataFolder);

  int Count() const { return info_.count; }
  int selected() const { return info_.selected; }
  int range() const { return info_.range; }
  int32_t flags() const { return info_.flags; }
  const MotionInfo& info() const { return info_; }
  const std::string& dataFolder() const { return dataFolder_; }

  // Each writes the state at once. The selected index is clamped into 0..count-1 (−1 with
  // no definitions), the range into 5..100; only flags 1 and 2 are kept.
  void SetSelected(int index);
  void SetRange(int range);
  void SetFlags(int32_t flags);

  // Definition i; no value when i is outside 0..count-1 or its record is absent.
  std::optional<MotionRecord> Read(int index) const;
  // Writes definition i (0 <= i <= count-1) and saves; false when out of range or unsaved.
  bool Write(int index, const MotionRecord& record);
  // Registers a new definition at index count, selects it and saves.
  bool Append(const MotionRecord& record);
  // Removes the definition's bitmap and path file, moves the later records down, and
  // updates count and selected. False when i is out of range.
  bool Delete(int index);

  // Title of the selected definition as the lists show it (ShownMotionTitle), or "" when
  // there is none.
  std::string SelectedTitle() const;
  // The definition of a title (exact), or of a built-in's title in either language or plain
  // name (any ASCII case) when no title matches; -1 when there is none.
  int Find(const std::string& name) const;

  // Writes MotionInfo and saves the file; false when it could not be saved.
  bool Save();

 private:
  void InstallBuiltins();

  ProfileFile* file_ = nullptr;
  std::string dataFolder_;
  MotionInfo info_;
};

}  // namespace zel
