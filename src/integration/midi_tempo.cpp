#include "integration/midi_tempo.h"

#include <cstdio>
#include <cstring>

#include "platform/file_io.h"
#include "platform/file_status.h"

namespace zel {
namespace {

// Reads forwards through the file's bytes; any read beyond the end sets `failed`.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool failed() const { return failed_; }
  uint64_t position() const { return position_; }
  bool AtEnd() const { return position_ >= size_; }
  void Seek(uint64_t position) { position_ = position; }
  void Skip(uint64_t count) { position_ += count; }

  uint8_t Byte() {
    if (position_ >= size_) {
      failed_ = true;
      return 0;
    }
    return data_[position_++];
  }
  uint32_t Big(int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | Byte();
    return value;
  }
  bool Matches(const char tag[4]) {
    if (size_ < 4 || position_ > size_ - 4) {
      failed_ = true;
      return false;
    }
    bool same = std::memcmp(data_ + position_, tag, 4) == 0;
    position_ += 4;
    return same;
  }
  // A variable-length quantity of at most four bytes (28 bits). False for a longer one.
  bool Quantity(uint32_t* value) {
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b = Byte();
      if (failed_) return false;
      *value = (*value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  uint64_t position_ = 0;
  bool failed_ = false;
};

MidiTempoResult Fail(MidiTempoError error) {
  MidiTempoResult result;
  result.error = error;
  return result;
}

// Finds "MThd" and returns the offset just behind it, or -1.
int64_t FindHeader(const uint8_t* data, size_t size) {
  if (size >= 4 && std::memcmp(data, "MThd", 4) == 0) return 4;
  // A wrapped file keeps its header within the first 128 bytes.
  size_t window = size < 128 ? size : 128;
  for (size_t offset = 0; offset + 4 <= window; ++offset) {
    if (std::memcmp(data + offset, "MThd", 4) == 0) return static_cast<int64_t>(offset + 4);
  }
  return -1;
}

}  // namespace

MidiTempoResult FindMidiTempo(const uint8_t* data, size_t size) {
  if (data == nullptr) size = 0;
  int64_t start = FindHeader(data, size);
  if (start < 0) return Fail(MidiTempoError::kNoHeader);
  Reader in(data, size);
  in.Seek(static_cast<uint64_t>(start));
  const uint32_t headerLength = in.Big(4);
  const uint64_t headerData = in.position();
  in.Skip(2);  // format
  const uint32_t tracks = in.Big(2);
  if (in.failed()) return Fail(MidiTempoError::kTruncated);
  in.Seek(headerData + headerLength);

  for (uint32_t track = 0; track < tracks; ++track) {
    bool isTrack = in.Matches("MTrk");
    if (in.failed()) return Fail(MidiTempoError::kTruncated);
    if (!isTrack) return Fail(MidiTempoError::kBadTrack);
    const uint32_t length = in.Big(4);
    if (in.failed()) return Fail(MidiTempoError::kTruncated);
    const uint64_t trackStart = in.position();
    const uint64_t trackEnd = trackStart + length;
    int status = -1;  // running status: a channel status, or none
    while (in.position() < trackEnd && !in.AtEnd()) {
      uint32_t delta = 0;
      if (!in.Quantity(&delta)) {
        return Fail(in.failed() ? MidiTempoError::kTruncated : MidiTempoError::kBadEvent);
      }
      uint8_t byte = in.Byte();
      if (in.failed()) return Fail(MidiTempoError::kTruncated);
      int dataBytesRead = 0;
      int current;
      if (byte < 0x80) {
        // Running status carries on only after a channel message.
        if (status < 0) return Fail(MidiTempoError::kBadEvent);
        current = status;
        dataBytesRead = 1;
      } else {
        current = byte;
        status = byte < 0xF0 ? byte : -1;
      }
      switch (current >> 4) {
        case 0x8:
        case 0x9:
        case 0xA:
        case 0xB:
        case 0xE:
          in.Skip(2 - dataBytesRead);
          continue;
        case 0xC:
        case 0xD:
          in.Skip(1 - dataBytesRead);
          continue;
        default:
          break;
      }
      if (current == 0xF0 || current == 0xF7) {
        uint32_t skip = 0;
        if (!in.Quantity(&skip)) {
          return Fail(in.failed() ? MidiTempoError::kTruncated : MidiTempoError::kBadEvent);
        }
        in.Skip(skip);
        continue;
      }
      if (current != 0xFF) return Fail(MidiTempoError::kBadEvent);
      const uint8_t type = in.Byte();
      uint32_t metaLength = 0;
      if (!in.Quantity(&metaLength)) {
        return Fail(in.failed() ? MidiTempoError::kTruncated : MidiTempoError::kBadEvent);
      }
      if (type == 0x51) {
        if (metaLength < 3) return Fail(MidiTempoError::kShortTempo);
        uint32_t tempo = in.Big(3);
        if (in.failed()) return Fail(MidiTempoError::kTruncated);
        MidiTempoResult result;
        result.found = true;
        result.microsecondsPerQuarter = tempo;
        return result;
      }
      in.Skip(metaLength);
    }
    // A skip past the end of the data is a read past the end.
    if (in.position() > size) return Fail(MidiTempoError::kTruncated);
    in.Seek(trackEnd);
  }
  return Fail(MidiTempoError::kNoTempo);
}

MidiTempoResult FindMidiTempoFile(const std::string& path) {
  std::optional<FileStatus> status = ReadFileStatus(path);
  if (!status || status->size < 0 || static_cast<uint64_t>(status->size) > kMidiFileCap) {
    return Fail(MidiTempoError::kCannotRead);
  }
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() > kMidiFileCap) return Fail(MidiTempoError::kCannotRead);
  return FindMidiTempo(bytes->data(), bytes->size());
}

const char* MidiTempoErrorText(MidiTempoError error) {
  switch (error) {
    case MidiTempoError::kNone:
      return "no error";
    case MidiTempoError::kCannotRead:
      return "the file cannot be read";
    case MidiTempoError::kNoHeader:
      return "not a MIDI file (no MThd header)";
    case MidiTempoError::kTruncated:
      return "the file ends inside its data";
    case MidiTempoError::kBadTrack:
      return "a track does not start with MTrk";
    case MidiTempoError::kBadEvent:
      return "a track holds an event that cannot be read";
    case MidiTempoError::kShortTempo:
      return "a tempo event is shorter than 3 bytes";
    case MidiTempoError::kNoTempo:
      return "no track holds a tempo event";
  }
  return "";
}

TempoNumbers FormatTempo(uint32_t microsecondsPerQuarter) {
  TempoNumbers numbers;
  if (microsecondsPerQuarter == 0) return numbers;
  char text[32];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(60000000u / microsecondsPerQuarter));
  numbers.beatsPerMinute = text;
  const double beat = microsecondsPerQuarter / 1000000.0;
  for (int i = 0; i < 4; ++i) {
    std::snprintf(text, sizeof text, "%1.2f", beat * (i + 1));
    numbers.beatSeconds[i] = text;
  }
  return numbers;
}

}  // namespace zel
