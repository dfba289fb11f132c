#include "generators/merge_settings.h"

#include <algorithm>
#include <cstring>

#include "document/packed_dib.h"
#include "platform/binary_record.h"
#include "platform/profile_file.h"

namespace zel {

std::array<uint8_t, kMergeAnimeRecordSize> PackMergeSettings(const MergeSettings& settings) {
  std::array<uint8_t, kMergeAnimeRecordSize> bytes{};
  const std::string path =
      TruncateUtf8(settings.path.substr(0, settings.path.find('\0')), kMergePathField - 1);
  std::memcpy(bytes.data(), path.data(), path.size());
  WriteLe32(bytes.data() + 260, settings.flags);
  WriteLe32(bytes.data() + 264, static_cast<uint32_t>(settings.x));
  WriteLe32(bytes.data() + 268, static_cast<uint32_t>(settings.y));
  return bytes;
}

MergeSettings UnpackMergeSettings(const uint8_t* data, size_t size) {
  MergeSettings settings;
  if (data == nullptr || size != kMergeAnimeRecordSize) return settings;
  const void* end = std::memchr(data, 0, kMergePathField);
  if (end == nullptr) return settings;
  settings.path.assign(reinterpret_cast<const char*>(data),
                       static_cast<size_t>(static_cast<const uint8_t*>(end) - data));
  settings.flags = ReadLe32(data + 260) & (kMergeInFront | kMergeFromClipboard);
  auto position = [](uint32_t raw) {
    return std::clamp(static_cast<int32_t>(raw), 0, kMergePositionMax);
  };
  settings.x = position(ReadLe32(data + 264));
  settings.y = position(ReadLe32(data + 268));
  return settings;
}

MergeSettings ReadMergeSettings(const ProfileFile& file) {
  auto bytes = ReadBinaryRecord(file, kMergeAnimeRecordName, kMergeAnimeRecordSize);
  if (!bytes) return MergeSettings{};
  return UnpackMergeSettings(bytes->data(), bytes->size());
}

void WriteMergeSettings(ProfileFile& file, const MergeSettings& settings) {
  const auto bytes = PackMergeSettings(settings);
  WriteBinaryRecord(file, kMergeAnimeRecordName, bytes.data(), bytes.size());
}

}  // namespace zel
