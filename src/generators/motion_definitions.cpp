#include "generators/motion_definitions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "generators/motion_builtins.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "platform/binary_record.h"
#include "platform/file_io.h"

namespace zel {
namespace {

void PutInt(uint8_t* p, int32_t v) {
  WriteLe32(p, static_cast<uint32_t>(v));
}

int32_t GetInt(const uint8_t* p) {
  return static_cast<int32_t>(ReadLe32(p));
}

void PutText(uint8_t* field, size_t fieldSize, const std::string& text) {
  // Up to the first NUL; the rest of the field stays zero.
  const std::string plain = text.substr(0, text.find('\0'));
  const std::string cut = TruncateUtf8(plain, fieldSize - 1);
  std::memcpy(field, cut.data(), cut.size());
}

std::string GetText(const uint8_t* field, size_t fieldSize) {
  size_t length = 0;
  while (length < fieldSize - 1 && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

std::array<uint8_t, kMotionInfoSize> PackMotionInfo(const MotionInfo& info) {
  std::array<uint8_t, kMotionInfoSize> bytes{};
  PutInt(&bytes[0], info.count);
  PutInt(&bytes[4], info.selected);
  PutInt(&bytes[8], info.range);
  PutInt(&bytes[12], info.flags);
  return bytes;
}

std::optional<MotionInfo> UnpackMotionInfo(const uint8_t* data, size_t size) {
  if (data == nullptr || size != kMotionInfoSize) return std::nullopt;
  return MotionInfo{GetInt(data), GetInt(data + 4), GetInt(data + 8), GetInt(data + 12)};
}

std::array<uint8_t, kMotionRecordSize> PackMotionRecord(const MotionRecord& record) {
  std::array<uint8_t, kMotionRecordSize> bytes{};
  PutText(&bytes[0], kMotionTitleField, record.title);
  PutText(&bytes[kMotionTitleField], kMotionPathField, record.bitmapPath);
  PutInt(&bytes[kMotionWidthOffset], record.width);
  PutInt(&bytes[kMotionHeightOffset], record.height);
  return bytes;
}

std::optional<MotionRecord> UnpackMotionRecord(const uint8_t* data, size_t size) {
  if (data == nullptr || size != kMotionRecordSize) return std::nullopt;
  MotionRecord record;
  record.title = GetText(data, kMotionTitleField);
  record.bitmapPath = GetText(data + kMotionTitleField, kMotionPathField);
  record.width = GetInt(data + kMotionWidthOffset);
  record.height = GetInt(data + kMotionHeightOffset);
  return record;
}

std::string MotionRecordName(int index) {
  return std::string(kMotionTableName) + std::to_string(index + 1);
}

void MotionDefinitions::Load(ProfileFile& file, const std::string& dataFolder) {
  file_ = &file;
  dataFolder_ = dataFolder;
  if (!dataFolder_.empty() && dataFolder_.back() != '/') dataFolder_ += '/';
  std::optional<std::vector<uint8_t>> bytes =
      ReadBinaryRecord(file, kMotionInfoName, kMotionInfoSize);
  std::optional<MotionInfo> info;
  if (bytes) info = UnpackMotionInfo(bytes->data(), bytes->size());
  if (!info) {
    InstallBuiltins();
    return;
  }
  info_ = *info;
  info_.count = std::clamp(info_.count, 0, kMotionCountMax);
  info_.selected = info_.count == 0 ? -1 : std::clamp(info_.selected, 0, info_.count - 1);
  info_.range = std::clamp(info_.range, kMotionRangeMin, kMotionRangeMax);
  info_.flags &= kMotionWrap | kMotionReverse;
}

void MotionDefinitions::InstallBuiltins() {
  info_ = MotionInfo{};
  std::error_code error;
  if (dataFolder_.empty()) {
    info_.count = 0;
  } else {
    std::filesystem::create_directories(dataFolder_, error);
  }
  int installed = 0;
  for (int i = 0; i < kBuiltinMotionCount && info_.count != 0; ++i) {
    const BuiltinMotion& builtin = BuiltinMotionAt(i);
    const std::string bitmapPath = dataFolder_ + builtin.fileName;
    PackedDib bitmap = DrawBuiltinMotion(i);
    std::vector<MotionPoint> points;
    if (!bitmap || !TraceMotionBitmap(bitmap, &points).done() || !WriteBmpFile(bitmap, bitmapPath)) {
      break;
    }
    const std::vector<uint8_t> path = EncodeMotionPath(points);
    if (!WriteFileAtomically(MotionPathFileOf(bitmapPath), path.data(), path.size())) break;
    const MotionRecord record{builtin.title, bitmapPath, kMotionBitmapSide, kMotionBitmapSide};
    const auto packed = PackMotionRecord(record);
    WriteBinaryRecord(*file_, MotionRecordName(i), packed.data(), packed.size());
    ++installed;
  }
  // Without all eight files (no data folder) nothing is offered.
  if (installed != kBuiltinMotionCount) {
    info_.count = 0;
    info_.selected = -1;
  }
  Save();
}

void MotionDefinitions::SetSelected(int index) {
  info_.selected = info_.count == 0 ? -1 : std::clamp(index, 0, info_.count - 1);
  Save();
}

void MotionDefinitions::SetRange(int range) {
  info_.range = std::clamp(range, kMotionRangeMin, kMotionRangeMax);
  Save();
}

void MotionDefinitions::SetFlags(int32_t flags) {
  info_.flags = flags & (kMotionWrap | kMotionReverse);
  Save();
}

std::optional<MotionRecord> MotionDefinitions::Read(int index) const {
  if (file_ == nullptr || index < 0 || index >= info_.count) return std::nullopt;
  std::optional<std::vector<uint8_t>> bytes =
      ReadBinaryRecord(*file_, MotionRecordName(index), kMotionRecordSize);
  if (!bytes) return std::nullopt;
  return UnpackMotionRecord(bytes->data(), bytes->size());
}

bool MotionDefinitions::Write(int index, const MotionRecord& record) {
  if (file_ == nullptr || index < 0 || index >= info_.count) return false;
  const auto packed = PackMotionRecord(record);
  WriteBinaryRecord(*file_, MotionRecordName(index), packed.data(), packed.size());
  return Save();
}

bool MotionDefinitions::Append(const MotionRecord& record) {
  if (file_ == nullptr || info_.count >= kMotionCountMax) return false;
  const auto packed = PackMotionRecord(record);
  WriteBinaryRecord(*file_, MotionRecordName(info_.count), packed.data(), packed.size());
  info_.selected = info_.count;
  ++info_.count;
  return Save();
}

bool MotionDefinitions::Delete(int index) {
  if (file_ == nullptr || index < 0 || index >= info_.count) return false;
  if (std::optional<MotionRecord> record = Read(index); record && !record->bitmapPath.empty()) {
    std::error_code error;
    std::filesystem::remove(record->bitmapPath, error);
    const std::string pathFile = MotionPathFileOf(record->bitmapPath);
    if (!pathFile.empty()) std::filesystem::remove(pathFile, error);
  }
  for (int i = index + 1; i < info_.count; ++i) {
    const std::string from = MotionRecordName(i);
    const std::string to = MotionRecordName(i - 1);
    file_->Set(to, "Len", file_->Get(from, "Len"));
    file_->Set(to, "Val", file_->Get(from, "Val"));
  }
  --info_.count;
  if (info_.selected < 0) info_.selected = 0;
  if (info_.selected >= info_.count) info_.selected = info_.count - 1;
  Save();
  return true;
}

std::string MotionDefinitions::SelectedTitle() const {
  std::optional<MotionRecord> record = Read(info_.selected);
  return record ? ShownMotionTitle(record->title) : std::string();
}

int MotionDefinitions::Find(const std::string& name) const {
  for (int i = 0; i < info_.count; ++i) {
    std::optional<MotionRecord> record = Read(i);
    if (record && record->title == name) return i;
  }
  // A built-in by any of its names, whichever language its record keeps the title in.
  const int builtin = BuiltinMotionNamed(name, true);
  if (builtin < 0) return -1;
  for (int i = 0; i < info_.count; ++i) {
    std::optional<MotionRecord> record = Read(i);
    if (record && BuiltinMotionNamed(record->title, false) == builtin) return i;
  }
  return -1;
}

bool MotionDefinitions::Save() {
  if (file_ == nullptr) return false;
  const auto packed = PackMotionInfo(info_);
  WriteBinaryRecord(*file_, kMotionInfoName, packed.data(), packed.size());
  return file_->Save();
}

}  // namespace zel
