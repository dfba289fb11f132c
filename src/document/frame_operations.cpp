#include "document/frame_operations.h"

#include <new>
#include <utility>
#include <vector>

#include "document/document_state.h"
#include "document/edit_transaction.h"

namespace zel {

namespace {

// An animation whose frame records are in order and whose current frame is one of them.
bool HasValidCurrent(const DocumentState& doc) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return false;
  const FrameSet& frames = *doc.frameSet;
  return frames.count >= 1 && frames.count <= frames.capacity() && doc.currentFrame >= 0 &&
         doc.currentFrame < frames.count;
}

// Moving a frame carries its picture and delay only; the other fields stay with the slot.
void MoveFrame(FrameSet& frames, int from, int to) {
  Frame& source = frames.frame(from);
  Frame& target = frames.frame(to);
  target.image = std::move(source.image);
  target.delay = source.delay;
}

// The single picture an animation turns into: 'a' becomes a GIF picture, 'f' a bitmap.
ImageKind PictureKindOf(ImageKind kind) {
  return kind == ImageKind::kGifAnimation ? ImageKind::kGifPicture : ImageKind::kBitmap;
}

// Leaves only `keep` (taken out of its slot) and frees every other frame.
PackedDib TakeOnlyFrame(FrameSet& frames, int keep) {
  PackedDib image = std::move(frames.frame(keep).image);
  frames.FreeFrames();
  return image;
}

}  // namespace

bool CanDeleteFrames(const DocumentState& doc) {
  return HasValidCurrent(doc) && doc.frameSet->count >= 2;
}

bool CanDeleteFramesBefore(const DocumentState& doc) {
  return CanDeleteFrames(doc) && doc.currentFrame > 1;
}

bool CanDeleteFramesAfter(const DocumentState& doc) {
  return CanDeleteFrames(doc) && doc.currentFrame < doc.frameSet->count - 2;
}

bool CanInsertFrameCopy(const DocumentState& doc) {
  if (!HasValidCurrent(doc)) return false;
  const int32_t count = doc.frameSet->count;
  return count < doc.frameMax - 1 && count < doc.frameSet->capacity();
}

bool CanConvertToPicture(const DocumentState& doc) {
  return HasValidCurrent(doc);
}

bool CanMakeCurrentFrameFirst(const DocumentState& doc) {
  return HasValidCurrent(doc) && doc.currentFrame > 0;
}

bool CanRepeatAnimation(const DocumentState& doc) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return false;
  const int32_t count = doc.frameSet->count;
  return count >= 2 && count < doc.frameMax / 2 && 2 * count <= doc.frameSet->capacity();
}

bool CanReverseAnimation(const DocumentState& doc) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return false;
  return doc.frameSet->count >= 1 && doc.frameSet->count <= doc.frameSet->capacity();
}

bool CanMoveFrame(const DocumentState& doc, int32_t from, int32_t to) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return false;
  const int32_t count = doc.frameSet->count;
  if (count < 2 || count > doc.frameSet->capacity()) return false;
  return from >= 0 && from < count && to >= 0 && to < count && from != to;
}

int32_t MoveTargetForDrop(int32_t from, int32_t dropBefore, int32_t count) {
  if (from < 0 || from >= count || dropBefore < 0 || dropBefore > count) return -1;
  // Dropping behind itself leaves the frame where it is; further on, the frame's own slot
  // closes up first.
  const int32_t to = dropBefore > from ? dropBefore - 1 : dropBefore;
  return to == from ? -1 : to;
}

int32_t FrameIndexAfterMove(int32_t index, int32_t from, int32_t to) {
  if (index == from) return to;
  if (from < to && index > from && index <= to) return index - 1;
  if (to < from && index >= to && index < from) return index + 1;
  return index;
}

Outcome DeleteCurrentFrame(DocumentState& doc) {
  if (!CanDeleteFrames(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t cur = doc.currentFrame;

  if (frames.count == 2) {
    const int other = 1 - cur;
    if (!frames.frame(other).image) return Outcome::NothingDone();
    EditTransaction edit(doc, kUndoConvert);
    return edit.Commit([&] {
      doc.kind = PictureKindOf(doc.kind);
      PackedDib image = TakeOnlyFrame(frames, other);
      doc.currentFrame = 0;
      SetCurrentPicture(doc, std::move(image));
      return true;
    });
  }

  // The frame shown afterwards: the one behind the deleted frame, or frame 0 when the last
  // frame goes. Its copy is made before anything changes.
  const int shownAfter = cur + 1 < frames.count ? cur + 1 : 0;
  PackedDib shown = DuplicateBlock(frames.frame(shownAfter).image);
  if (!shown) return Outcome::Failed(kMsgNoMemory);

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    frames.frame(cur).image.Reset();
    for (int i = cur + 1; i < frames.count; ++i) MoveFrame(frames, i, i - 1);
    frames.count -= 1;
    frames.frame(frames.count).image.Reset();
    if (doc.currentFrame >= frames.count) doc.currentFrame = 0;
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

Outcome DeleteFramesBefore(DocumentState& doc) {
  if (!CanDeleteFramesBefore(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t cur = doc.currentFrame;
  PackedDib shown = DuplicateBlock(frames.frame(cur).image);
  if (!shown) return Outcome::Failed(kMsgNoMemory);

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = 0; i < cur; ++i) frames.frame(i).image.Reset();
    for (int i = cur; i < frames.count; ++i) MoveFrame(frames, i, i - cur);
    const int32_t newCount = frames.count - cur;
    for (int i = newCount; i < frames.count; ++i) frames.frame(i).image.Reset();
    frames.count = newCount;
    doc.currentFrame = 0;
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

Outcome DeleteFramesAfter(DocumentState& doc) {
  if (!CanDeleteFramesAfter(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t cur = doc.currentFrame;
  PackedDib shown = DuplicateBlock(frames.frame(cur).image);
  if (!shown) return Outcome::Failed(kMsgNoMemory);

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = cur + 1; i < frames.count; ++i) frames.frame(i).image.Reset();
    frames.count = cur + 1;
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

Outcome InsertFrameCopy(DocumentState& doc) {
  if (!CanInsertFrameCopy(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t cur = doc.currentFrame;
  PackedDib copy = DuplicateBlock(frames.frame(cur).image);
  if (!copy) return Outcome::Failed(kMsgNoMemory);

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = frames.count; i >= cur + 2; --i) MoveFrame(frames, i - 1, i);
    // The new slot takes the current frame's delay and a copy of its picture.
    frames.frame(cur + 1).image = std::move(copy);
    frames.frame(cur + 1).delay = frames.frame(cur).delay;
    frames.count += 1;
    return true;
  });
}

Outcome ConvertToPicture(DocumentState& doc) {
  if (!CanConvertToPicture(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  if (!frames.frame(doc.currentFrame).image) return Outcome::NothingDone();

  EditTransaction edit(doc, kUndoConvert);
  return edit.Commit([&] {
    doc.kind = PictureKindOf(doc.kind);
    PackedDib image = TakeOnlyFrame(frames, doc.currentFrame);
    SetCurrentPicture(doc, std::move(image));
    return true;
  });
}

Outcome MakeCurrentFrameFirst(DocumentState& doc) {
  if (!CanMakeCurrentFrameFirst(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t count = frames.count;
  const int32_t cur = doc.currentFrame;
  std::vector<PackedDib> images;
  std::vector<int32_t> delays;
  try {
    images.resize(static_cast<size_t>(count));
    delays.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = 0; i < count; ++i) {
      images[static_cast<size_t>(i)] = std::move(frames.frame(i).image);
      delays[static_cast<size_t>(i)] = frames.frame(i).delay;
    }
    for (int i = 0; i < count; ++i) {
      const size_t from = static_cast<size_t>((cur + i) % count);
      frames.frame(i).image = std::move(images[from]);
      frames.frame(i).delay = delays[from];
    }
    doc.currentFrame = 0;
    return true;
  });
}

Outcome RepeatAnimation(DocumentState& doc) {
  if (!CanRepeatAnimation(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t count = frames.count;
  std::vector<PackedDib> copies;
  try {
    copies.reserve(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }
  for (int i = 0; i < count; ++i) {
    copies.push_back(DuplicateBlock(frames.frame(i).image));
    if (!copies.back()) return Outcome::Failed(kMsgNoMemory);
  }

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = 0; i < count; ++i) {
      Frame& target = frames.frame(count + i);
      target.image = std::move(copies[static_cast<size_t>(i)]);
      target.delay = frames.frame(i).delay;
    }
    frames.count = 2 * count;
    return true;
  });
}

Outcome MoveFrameTo(DocumentState& doc, int32_t from, int32_t to) {
  if (!CanMoveFrame(doc, from, to)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;

  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    PackedDib image = std::move(frames.frame(from).image);
    const int32_t delay = frames.frame(from).delay;
    if (from < to) {
      for (int i = from; i < to; ++i) MoveFrame(frames, i + 1, i);
    } else {
      for (int i = from; i > to; --i) MoveFrame(frames, i - 1, i);
    }
    frames.frame(to).image = std::move(image);
    frames.frame(to).delay = delay;
    doc.currentFrame = FrameIndexAfterMove(doc.currentFrame, from, to);
    return true;
  });
}

Outcome ReverseAnimation(DocumentState& doc, uint32_t nowTick) {
  if (!CanReverseAnimation(doc)) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int32_t count = frames.count;
  std::vector<PackedDib> images;
  std::vector<int32_t> delays;
  try {
    images.resize(static_cast<size_t>(count));
    delays.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }
  // The old last frame is shown first.
  PackedDib shown = DuplicateBlock(frames.frame(count - 1).image);
  if (!shown) return Outcome::Failed(kMsgNoMemory);

  // Undoable like every other change (doing it again would also take it back, but that
  // is not what 元に戻す promises).
  EditTransaction edit(doc, kUndoEdit, PlaybackRule::kRestart, nowTick);
  return edit.Commit([&] {
    for (int i = 0; i < count; ++i) {
      images[static_cast<size_t>(i)] = std::move(frames.frame(i).image);
      delays[static_cast<size_t>(i)] = frames.frame(i).delay;
    }
    for (int i = 0; i < count; ++i) {
      const size_t from = static_cast<size_t>(count - 1 - i);
      frames.frame(i).image = std::move(images[from]);
      frames.frame(i).delay = delays[from];
    }
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

}  // namespace zel
