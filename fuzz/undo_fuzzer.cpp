// Reading a damaged undo file: the records of one snapshot taken from the end of the
// stack in the order the history restores them (class, state, frame count, frames).
#include <cstring>
#include <vector>

#include "document/undo_history.h"
#include "fuzz_support.h"

namespace {

bool Decode(const zel::UndoReadAt& read, int64_t* pos, const zel::UndoRecordShape& shape,
            zel::UndoRecord& out) {
  int64_t end = *pos;
  int64_t start = zel::DecodeUndoRecord(read, end, shape, out);
  if (start < 0) return false;
  zel::fuzz::Require(start < end, "a record that does not move the stack down");
  zel::fuzz::Require(out.value.has_value(), "a record without its value");
  zel::fuzz::Require(shape.picture || !out.picture, "a picture where none belongs");
  zel::fuzz::Require(out.data.size() == shape.dataLength ||
                         (shape.olderDataLength > 0 && out.data.size() == shape.olderDataLength),
                     "data of the wrong length");
  zel::fuzz::TouchPicture(out.picture);
  *pos = start;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  UndoReadAt read = [data, size](int64_t offset, uint8_t* dest, size_t n) {
    if (offset < 0 || static_cast<uint64_t>(offset) > size || n > size - offset) return false;
    if (n > 0) std::memcpy(dest, data + offset, n);
    return true;
  };
  int64_t pos = static_cast<int64_t>(size);
  // Walk down the stack snapshot by snapshot, as repeated undo commands do.
  while (pos > 0) {
    UndoRecord classRecord;
    if (!Decode(read, &pos, {}, classRecord)) return 0;
    const UndoClass undoClass = static_cast<UndoClass>(*classRecord.value);
    const bool withFrames =
        undoClass == kUndoEdit || undoClass == kUndoTransform || undoClass == kUndoConvert;
    const bool withKind = withFrames || undoClass == kUndoMakeAnime;
    if (!withKind && undoClass != kUndoColors) continue;

    UndoRecord state;
    const UndoRecordShape stateShape =
        withKind ? UndoRecordShape{true, kUndoStateDataLength, kUndoOlderStateDataLength}
                 : UndoRecordShape{true, 0};
    if (!Decode(read, &pos, stateShape, state)) return 0;
    if (!withFrames) continue;
    UndoRecord countRecord;
    if (!Decode(read, &pos, {}, countRecord)) return 0;
    const int32_t count = *countRecord.value;
    if (count < 0 || count > kFrameMaxHighest) return 0;
    for (int32_t i = 0; i < count; ++i) {
      UndoRecord frameRecord;
      if (!Decode(read, &pos, {true, 0}, frameRecord)) return 0;
    }
  }
  return 0;
}
