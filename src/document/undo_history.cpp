#include "document/undo_history.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "document/document_state.h"

namespace zel {

static_assert(sizeof(off_t) == 8, "the undo file needs 64-bit file offsets");

namespace {

void WriteLe64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t ReadLe64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool IsKnownKind(uint8_t kind) {
  switch (static_cast<ImageKind>(kind)) {
    case ImageKind::kNone:
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kGifPicture:
    case ImageKind::kBitmap:
    case ImageKind::kJpeg:
    case ImageKind::kPng:
      return true;
  }
  return false;
}

bool PicturePushable(const PackedDib& picture) {
  return picture.size() <= kUndoMaxPictureBlock && IsWholePicture(picture);
}

// The frame an undone animation shows: the one the snapshot recorded; for a record that
// does not say, the first frame whose block equals the restored picture `shown`; else 0.
int32_t ShownFrame(const FrameSet& frames, std::optional<int32_t> recorded,
                   const PackedDib& shown) {
  if (recorded) return *recorded >= 0 && *recorded < frames.count ? *recorded : 0;
  if (!shown) return 0;
  for (int32_t i = 0; i < frames.count; ++i) {
    const PackedDib& image = frames.frame(i).image;
    if (image && image.size() == shown.size() &&
        std::equal(shown.data(), shown.data() + shown.size(), image.data())) {
      return i;
    }
  }
  return 0;
}

// Checks the frame record that ends at `end` as DecodeUndoRecord reads it (a value and
// perhaps a picture block), reading the block into `scratch`, which is kept for the next
// frame of the same size: checking a long animation's frames takes one block, not one
// fresh block for each. The record's start, or -1 when it is damaged.
int64_t CheckFrameRecord(const UndoReadAt& read, int64_t end, PackedDib& scratch,
                         int32_t* value) {
  int64_t pos = end;
  uint8_t field[8];
  auto readBack = [&](uint8_t* dest, uint64_t n) {
    if (pos < 0 || n > static_cast<uint64_t>(pos)) return false;
    pos -= static_cast<int64_t>(n);
    return read(pos, dest, static_cast<size_t>(n));
  };
  if (!readBack(field, 8) || ReadLe64(field) != static_cast<uint64_t>(pos)) return -1;
  if (!readBack(field, 4)) return -1;
  const uint32_t mask = ReadLe32(field);
  if ((mask & ~static_cast<uint32_t>(kUndoHasPicture)) != kUndoHasValue) return -1;
  if (!readBack(field, 4)) return -1;
  *value = static_cast<int32_t>(ReadLe32(field));
  if (mask & kUndoHasPicture) {
    if (!readBack(field, 8)) return -1;
    const uint64_t size = ReadLe64(field);
    if (size < kDibHeaderSize || size > kUndoMaxPictureBlock || size > static_cast<uint64_t>(pos)) {
      return -1;
    }
    if (scratch.size() != size) {
      scratch.Reset();
      scratch = PackedDib::Allocate(static_cast<size_t>(size));
    }
    if (!scratch || !readBack(scratch.data(), size) || !IsWholePicture(scratch)) return -1;
  }
  return pos;
}

}  // namespace

std::vector<uint8_t> EncodeUndoRecordTail(int64_t tailOffset, size_t blockSize, const uint8_t* data,
                                          size_t dataLength, std::optional<int32_t> value) {
  std::vector<uint8_t> tail;
  uint32_t mask = 0;
  uint8_t field[8];
  if (blockSize > 0) {
    WriteLe64(field, blockSize);
    tail.insert(tail.end(), field, field + 8);
    mask |= kUndoHasPicture;
  }
  if (dataLength > 0) {
    tail.insert(tail.end(), data, data + dataLength);
    WriteLe64(field, dataLength);
    tail.insert(tail.end(), field, field + 8);
    mask |= kUndoHasData;
  }
  if (value) {
    WriteLe32(field, static_cast<uint32_t>(*value));
    tail.insert(tail.end(), field, field + 4);
    mask |= kUndoHasValue;
  }
  WriteLe32(field, mask);
  tail.insert(tail.end(), field, field + 4);
  WriteLe64(field, static_cast<uint64_t>(tailOffset) + tail.size());
  tail.insert(tail.end(), field, field + 8);
  return tail;
}

int64_t DecodeUndoRecord(const UndoReadAt& read, int64_t end, const UndoRecordShape& shape,
                         UndoRecord& out) {
  // `pos` walks backwards; every read first checks that it stays at or above offset 0.
  int64_t pos = end;
  uint8_t field[8];
  auto readBack = [&](uint8_t* dest, uint64_t n) {
    if (pos < 0 || n > static_cast<uint64_t>(pos)) return false;
    pos -= static_cast<int64_t>(n);
    return read(pos, dest, static_cast<size_t>(n));
  };

  if (!readBack(field, 8) || ReadLe64(field) != static_cast<uint64_t>(pos)) return -1;
  if (!readBack(field, 4)) return -1;
  uint32_t mask = ReadLe32(field);
  uint32_t expected = kUndoHasValue | (shape.dataLength > 0 ? kUndoHasData : 0u);
  if ((mask & ~static_cast<uint32_t>(kUndoHasPicture)) != expected) return -1;
  if ((mask & kUndoHasPicture) && !shape.picture) return -1;

  if (!readBack(field, 4)) return -1;
  int32_t value = static_cast<int32_t>(ReadLe32(field));

  std::vector<uint8_t> data;
  if (mask & kUndoHasData) {
    if (!readBack(field, 8)) return -1;
    const uint64_t length = ReadLe64(field);
    const bool older = shape.olderDataLength > 0 && length == shape.olderDataLength;
    if (length != shape.dataLength && !older) return -1;
    if (length > kUndoMaxData) return -1;
    try {
      data.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
      return -1;
    }
    if (!readBack(data.data(), data.size())) return -1;
  }

  PackedDib picture;
  if (mask & kUndoHasPicture) {
    if (!readBack(field, 8)) return -1;
    uint64_t size = ReadLe64(field);
    // The block lies below its size field: a size beyond that is damage, whatever it says.
    if (size < kDibHeaderSize || size > kUndoMaxPictureBlock || size > static_cast<uint64_t>(pos)) {
      return -1;
    }
    picture = PackedDib::Allocate(static_cast<size_t>(size));
    if (!picture || !readBack(picture.data(), size) || !IsWholePicture(picture)) return -1;
  }

  out.picture = std::move(picture);
  out.data = std::move(data);
  out.value = value;
  return pos;
}

UndoClass CounterUndoClass(UndoClass undoClass) {
  switch (undoClass) {
    case kUndoEdit:
    case kUndoTransform:
    case kUndoConvert:
    case kUndoMakeAnime:
      return kUndoConvert;
    default:
      return undoClass;
  }
}

// A snapshot read from a stack, held in memory until it goes into the document.
struct UndoHistory::Pending {
  UndoClass undoClass{};
  bool withState = false;
  bool withKind = false;
  bool withFrames = false;
  UndoRecord state;
  ImageKind savedKind = ImageKind::kNone;
  std::optional<int32_t> savedFrame;  // absent in records of the earlier layout
  std::vector<PackedDib> images;
  std::vector<int32_t> delays;
  std::optional<int32_t> loopCount;  // a loop-count snapshot
  int64_t start = 0;  // the stack's end once the snapshot is taken off
  // Set before ReadSnapshot: the frames are read and checked but stay in this file, and
  // `frameEnds` tells where each frame's record ends (first frame first). They are read
  // again one by one as they replace the document's, so the frames of a long animation are
  // never in memory twice.
  const ScratchFile* framesFile = nullptr;
  std::vector<int64_t> frameEnds;
  // ApplySnapshot failed after some of the document's frames were replaced.
  bool documentTouched = false;
};

UndoHistory::~UndoHistory() {
  Drop();
}

void UndoHistory::Drop() {
  undo_.file.Close();
  undo_.end = 0;
  undo_.revisions.clear();
  redo_.file.Close();
  ClearRedo();
}

void UndoHistory::Stack::NoteRevision(uint64_t revision) {
  revisions.push_back({end, revision});
}

std::optional<uint64_t> UndoHistory::Stack::TakeRevision(int64_t start) {
  std::optional<uint64_t> revision;
  while (!revisions.empty() && revisions.back().end > start) {
    revision = revisions.back().revision;
    revisions.pop_back();
  }
  return revision;
}

void UndoHistory::ForgetSince(int64_t mark) {
  if (mark < 0 || mark > undo_.end) return;
  undo_.end = mark;
  undo_.TakeRevision(mark);
}

void UndoHistory::Reset() {
  Drop();
  undo_.file.Create("ZEL");
}

bool UndoHistory::Push(Stack& stack, const PackedDib* picture, const uint8_t* data,
                       size_t dataLength, int32_t value) {
  if (!stack.file.IsOpen()) return false;
  size_t blockSize = 0;
  if (picture != nullptr && *picture) {
    if (!PicturePushable(*picture)) return false;
    blockSize = picture->size();
  }
  if (dataLength > kUndoMaxData) return false;
  std::vector<uint8_t> tail;
  try {
    tail = EncodeUndoRecordTail(stack.end + static_cast<int64_t>(blockSize), blockSize, data,
                                dataLength, value);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (static_cast<uint64_t>(std::numeric_limits<int64_t>::max() - stack.end) <
      blockSize + tail.size()) {
    return false;
  }
  if (blockSize > 0 && !stack.file.WriteAt(stack.end, picture->data(), blockSize)) return false;
  int64_t tailOffset = stack.end + static_cast<int64_t>(blockSize);
  if (!stack.file.WriteAt(tailOffset, tail.data(), tail.size())) return false;
  stack.end = tailOffset + static_cast<int64_t>(tail.size());
  return true;
}

bool UndoHistory::SaveFrames(Stack& stack, const DocumentState& doc) {
  const FrameSet& frames = *doc.frameSet;
  if (frames.count < 0 || frames.count > frames.capacity()) return false;
  for (int i = frames.count - 1; i >= 0; --i) {
    const Frame& frame = frames.frame(i);
    if (!Push(stack, &frame.image, nullptr, 0, frame.delay)) return false;
  }
  return Push(stack, nullptr, nullptr, 0, frames.count);
}

bool UndoHistory::PushSnapshot(Stack& stack, const DocumentState& doc, UndoClass undoClass) {
  bool ok = true;
  switch (undoClass) {
    case kUndoEdit:
    case kUndoTransform:
    case kUndoConvert:
    case kUndoMakeAnime: {
      if (!doc.frameSet) return false;
      if (undoClass != kUndoMakeAnime && IsAnimation(doc.kind)) ok = SaveFrames(stack, doc);
      const PackedDib& picture = undoClass == kUndoTransform ? doc.toolSource : doc.currentPicture;
      // The frame shown now goes with the picture, so that undo shows the two together.
      uint8_t state[kUndoStateDataLength];
      state[0] = static_cast<uint8_t>(doc.kind);
      WriteLe32(state + 1, static_cast<uint32_t>(doc.currentFrame));
      ok = ok && Push(stack, &picture, state, sizeof state, doc.frameSet->transparentIndex);
      break;
    }
    case kUndoColors:
      ok = doc.frameSet &&
           Push(stack, &doc.currentPicture, nullptr, 0, doc.frameSet->transparentIndex);
      break;
    case kUndoLoopCount:
      ok = doc.frameSet && Push(stack, nullptr, nullptr, 0, doc.frameSet->loopCount);
      break;
    default:
      break;
  }
  ok = ok && Push(stack, nullptr, nullptr, 0, static_cast<int32_t>(undoClass));
  if (ok) stack.NoteRevision(doc.revision);
  return ok;
}

void UndoHistory::TakeSnapshot(const DocumentState& doc, UndoClass undoClass) {
  if (!undo_.file.IsOpen()) return;
  if (!PushSnapshot(undo_, doc, undoClass)) Drop();
}

bool UndoHistory::ReadSnapshot(const Stack& stack, const DocumentState& doc, Pending& out) {
  UndoReadAt read = [&stack](int64_t offset, uint8_t* dest, size_t n) {
    return stack.file.ReadAt(offset, dest, n);
  };
  UndoRecord classRecord;
  int64_t pos = DecodeUndoRecord(read, stack.end, {}, classRecord);
  if (pos < 0) return false;
  out.undoClass = static_cast<UndoClass>(*classRecord.value);
  switch (out.undoClass) {
    case kUndoEdit:
    case kUndoTransform:
    case kUndoConvert:
      out.withFrames = true;
      out.withKind = true;
      break;
    case kUndoMakeAnime:
      out.withKind = true;
      break;
    case kUndoColors:
      break;
    case kUndoLoopCount: {
      UndoRecord loopRecord;
      pos = DecodeUndoRecord(read, pos, {}, loopRecord);
      if (pos < 0 || *loopRecord.value < kPlayOnce || *loopRecord.value > kMaxLoopCount) {
        return false;
      }
      out.loopCount = *loopRecord.value;
      out.start = pos;
      return true;
    }
    default:
      out.start = pos;  // a command without saved state: nothing to restore
      return true;
  }
  if (!doc.frameSet) return false;
  out.withState = true;
  out.savedKind = doc.kind;
  try {
    const UndoRecordShape stateShape =
        out.withKind ? UndoRecordShape{true, kUndoStateDataLength, kUndoOlderStateDataLength}
                     : UndoRecordShape{true, 0};
    pos = DecodeUndoRecord(read, pos, stateShape, out.state);
    if (pos < 0) return false;
    if (out.withKind) {
      if (!IsKnownKind(out.state.data[0])) return false;
      out.savedKind = static_cast<ImageKind>(out.state.data[0]);
      if (out.state.data.size() >= kUndoStateDataLength) {
        out.savedFrame = static_cast<int32_t>(ReadLe32(out.state.data.data() + 1));
      }
    }
    out.withFrames = out.withFrames && IsAnimation(out.savedKind);
    if (out.withFrames) {
      UndoRecord countRecord;
      pos = DecodeUndoRecord(read, pos, {}, countRecord);
      const int32_t count = pos >= 0 ? *countRecord.value : -1;
      if (count < 0 || count > doc.frameSet->capacity()) return false;
      if (out.framesFile) {
        out.frameEnds.reserve(static_cast<size_t>(count));
      } else {
        out.images.reserve(static_cast<size_t>(count));
      }
      out.delays.reserve(static_cast<size_t>(count));
      PackedDib scratch;
      for (int32_t i = 0; i < count; ++i) {
        if (out.framesFile) {
          // Checked now, read again as it goes into the document.
          out.frameEnds.push_back(pos);
          int32_t delay = 0;
          pos = CheckFrameRecord(read, pos, scratch, &delay);
          if (pos < 0) return false;
          out.delays.push_back(delay);
          continue;
        }
        UndoRecord frameRecord;
        pos = DecodeUndoRecord(read, pos, {true, 0}, frameRecord);
        if (pos < 0) return false;
        out.images.push_back(std::move(frameRecord.picture));
        out.delays.push_back(*frameRecord.value);
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  out.start = pos;
  return true;
}

bool UndoHistory::ApplySnapshot(DocumentState& doc, Pending& snapshot) {
  if (snapshot.loopCount && doc.frameSet) doc.frameSet->loopCount = *snapshot.loopCount;
  if (!snapshot.withState) return true;
  FrameSet& frameSet = *doc.frameSet;
  const uint32_t busyBefore = doc.flags & kFlagBusy;
  doc.flags |= kFlagBusy;
  // The picture goes in first: it is the one step that can still refuse (a palette display
  // cannot show every picture), and a refusal must leave the document untouched.
  if (snapshot.state.picture && !SetCurrentPicture(doc, std::move(snapshot.state.picture))) {
    doc.flags = (doc.flags & ~kFlagBusy) | busyBefore;
    return false;
  }
  frameSet.transparentIndex = *snapshot.state.value;
  if (snapshot.undoClass == kUndoConvert || snapshot.undoClass == kUndoMakeAnime) {
    doc.kind = snapshot.savedKind;
    // A single picture keeps no frames.
    if (!IsAnimation(snapshot.savedKind)) frameSet.FreeFrames();
  }
  if (snapshot.withFrames && snapshot.framesFile) {
    // Each frame read replaces the document's at once; the one it replaces is freed.
    const ScratchFile& file = *snapshot.framesFile;
    UndoReadAt read = [&file](int64_t offset, uint8_t* dest, size_t n) {
      return file.ReadAt(offset, dest, n);
    };
    const int32_t before = frameSet.count;
    const int32_t count = static_cast<int32_t>(snapshot.frameEnds.size());
    for (int32_t i = 0; i < count; ++i) {
      UndoRecord frameRecord;
      if (DecodeUndoRecord(read, snapshot.frameEnds[static_cast<size_t>(i)], {true, 0},
                           frameRecord) < 0) {
        snapshot.documentTouched = true;
        doc.flags = (doc.flags & ~kFlagBusy) | busyBefore;
        return false;
      }
      Frame& frame = frameSet.frame(i);
      frame.image = std::move(frameRecord.picture);
      frame.delay = snapshot.delays[static_cast<size_t>(i)];
      frameSet.count = std::max(frameSet.count, i + 1);
    }
    for (int32_t i = count; i < before; ++i) frameSet.frame(i).image.Reset();
    frameSet.count = count;
    doc.currentFrame = ShownFrame(frameSet, snapshot.savedFrame, doc.currentPicture);
  } else if (snapshot.withFrames) {
    frameSet.FreeFrames();
    const int32_t count = static_cast<int32_t>(snapshot.images.size());
    for (int32_t i = 0; i < count; ++i) {
      Frame& frame = frameSet.frame(i);
      frame.image = std::move(snapshot.images[static_cast<size_t>(i)]);
      frame.delay = snapshot.delays[static_cast<size_t>(i)];
    }
    frameSet.count = count;
    doc.currentFrame = ShownFrame(frameSet, snapshot.savedFrame, doc.currentPicture);
  }
  if (doc.currentFrame < 0 || doc.currentFrame >= frameSet.count) doc.currentFrame = 0;
  ApplyBackgroundColor(doc);
  doc.flags = (doc.flags & ~kFlagBusy) | busyBefore;
  return true;
}

bool UndoHistory::Undo(DocumentState& doc) {
  if (!CanUndo()) return false;
  // Everything the snapshot holds is read and checked before the document is touched, so a
  // damaged history leaves the document exactly as it was. Its frames stay in the file
  // until the present state is safe on the redo stack.
  Pending snapshot;
  snapshot.framesFile = &undo_.file;
  if (!ReadSnapshot(undo_, doc, snapshot)) {
    Drop();
    return false;
  }
  // The state this undo replaces is what a redo gives back.
  const bool redoReady = redo_.file.IsOpen() || redo_.file.Create("ZEL");
  if (!redoReady || !PushSnapshot(redo_, doc, CounterUndoClass(snapshot.undoClass))) {
    redo_.file.Close();
    ClearRedo();
    // Nothing on file could put the present frames back: the snapshot's frames are all
    // read before any of them goes in.
    snapshot = Pending();
    if (!ReadSnapshot(undo_, doc, snapshot)) {
      Drop();
      return false;
    }
  }
  if (!ApplySnapshot(doc, snapshot)) {
    // Frames that could not be read a second time: the present state comes back from the
    // redo record just written.
    if (snapshot.documentTouched) {
      Pending present;
      if (ReadSnapshot(redo_, doc, present)) (void)ApplySnapshot(doc, present);
    }
    Drop();
    return false;
  }
  undo_.end = snapshot.start;
  // The state comes back with its revision (a new one when it is not known), so an undo
  // back to the saved state leaves nothing unsaved. Not MarkDocumentChanged: that would
  // forget the redo just recorded.
  doc.revision = undo_.TakeRevision(snapshot.start).value_or(NewRevision());
  doc.observers.Notify(DocumentEvent::kUndone);
  return true;
}

bool UndoHistory::Redo(DocumentState& doc) {
  if (!CanRedo()) return false;
  Pending snapshot;
  snapshot.framesFile = &redo_.file;
  if (!ReadSnapshot(redo_, doc, snapshot)) {
    redo_.file.Close();
    ClearRedo();
    return false;
  }
  const int64_t undoEnd = undo_.end;
  if (!PushSnapshot(undo_, doc, CounterUndoClass(snapshot.undoClass))) {
    Drop();
    return false;
  }
  if (!ApplySnapshot(doc, snapshot)) {
    if (snapshot.documentTouched) {
      Pending present;
      if (ReadSnapshot(undo_, doc, present)) (void)ApplySnapshot(doc, present);
    }
    ForgetSince(undoEnd);
    redo_.file.Close();
    ClearRedo();
    return false;
  }
  redo_.end = snapshot.start;
  doc.revision = redo_.TakeRevision(snapshot.start).value_or(NewRevision());
  doc.observers.Notify(DocumentEvent::kRedone);
  return true;
}

}  // namespace zel
