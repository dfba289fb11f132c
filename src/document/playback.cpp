#include "document/playback.h"

#include <algorithm>

#include "document/document_state.h"

namespace zel {

namespace {

int32_t FrameCount(const DocumentState& doc) {
  return doc.frameSet ? std::max(doc.frameSet->count, 0) : 0;
}

// Whether the current frame has been shown for its delay (hundredths of a second). The
// difference is taken modulo 2^32, so the wrap-around of the tick counter does no harm.
// A delay of 0 (or a damaged negative one) is always due.
bool DelayHasPassed(const DocumentState& doc, uint32_t nowMs) {
  int32_t current = doc.currentFrame;
  if (current < 0 || current >= FrameCount(doc)) return true;
  uint32_t elapsed = nowMs - doc.lastFrameTick;
  return static_cast<int64_t>(elapsed / 10) >= doc.frameSet->frame(current).delay;
}

}  // namespace

uint32_t NextFrameStart(uint32_t frameStartMs, int32_t delay, int32_t nextDelay,
                        uint32_t nowMs) {
  if (delay <= 0) return nowMs;
  const int64_t delayMs = int64_t{delay} * 10;
  const int64_t elapsed = static_cast<uint32_t>(nowMs - frameStartMs);
  const int64_t lag = elapsed - delayMs;
  // A tick before the delay ran out, or one so late the next frame is already over.
  if (lag < 0 || lag > kPlaybackMaxLagMs || lag >= int64_t{nextDelay} * 10) return nowMs;
  return frameStartMs + static_cast<uint32_t>(delayMs);
}

bool PlaybackTick(DocumentState& doc, uint32_t nowMs) {
  if (!IsAnimation(doc.kind)) return false;
  if (doc.flags & kFlagBusy) return false;
  if ((doc.flags & kFlagStopped) && !(doc.flags & kFlagStep)) return false;
  int32_t count = FrameCount(doc);
  if (count < 1) return false;

  const bool step = (doc.flags & kFlagStep) != 0;
  if (step) {
    doc.flags &= ~kFlagStep;
  } else if (!DelayHasPassed(doc, nowMs)) {
    return false;
  }

  // Playback always loops, whatever the file's looping block says. A current frame out of
  // range (frames were removed behind its back) starts again at frame 0.
  const int32_t current = doc.currentFrame;
  int32_t next = current + 1;
  if (next < 0 || next >= count) next = 0;
  if (step || current < 0 || current >= count) {
    doc.lastFrameTick = nowMs;
  } else {
    doc.lastFrameTick = NextFrameStart(doc.lastFrameTick, doc.frameSet->frame(current).delay,
                                       doc.frameSet->frame(next).delay, nowMs);
  }
  doc.currentFrame = next;
  // The frame moves on even when its picture cannot be copied; the old picture stays shown.
  SetCurrentPicture(doc, DuplicateBlock(doc.frameSet->frame(next).image));
  return true;
}

void RestartPlayback(DocumentState& doc, uint32_t nowTick) {
  doc.flags &= ~static_cast<uint32_t>(kFlagStopped | kFlagStep);
  doc.lastFrameTick = nowTick;
  doc.currentFrame = 0;
}

void StartPlayback(DocumentState& doc) {
  doc.flags &= ~kFlagStopped;
}

void StopPlayback(DocumentState& doc) {
  if (doc.flags & kFlagStopped) {
    doc.flags |= kFlagStep;
  } else {
    doc.flags |= kFlagStopped;
  }
}

void JumpToFrame(DocumentState& doc, int32_t frame) {
  int32_t count = FrameCount(doc);
  if (count < 1) return;
  frame = std::clamp(frame, 0, count - 1);
  doc.currentFrame = frame == 0 ? count - 1 : frame - 1;
  doc.flags |= kFlagStep;
}

// The moves below take the edit value as typed, so it may lie anywhere. A move shows the
// frame it names clamped to 1..count, and the edit box then shows that frame.

int32_t JumpMoves::First(DocumentState& doc, int32_t v) {
  if (FrameCount(doc) < 1 || v < 2) return v;
  JumpToFrame(doc, 0);
  return 1;
}

int32_t JumpMoves::Previous(DocumentState& doc, int32_t v) {
  int32_t count = FrameCount(doc);
  if (count < 1 || v < 2) return v;
  int32_t shown = std::min(v - 1, count);
  JumpToFrame(doc, shown - 1);
  return shown;
}

int32_t JumpMoves::Next(DocumentState& doc, int32_t v) {
  int32_t count = FrameCount(doc);
  if (count < 1 || v >= count) return v;
  int32_t shown = std::max(v + 1, 1);
  JumpToFrame(doc, shown - 1);
  return shown;
}

int32_t JumpMoves::Last(DocumentState& doc, int32_t v) {
  int32_t count = FrameCount(doc);
  if (count < 1 || v >= count) return v;
  JumpToFrame(doc, count - 1);
  return count;
}

int32_t JumpMoves::Ok(DocumentState& doc, int32_t v) {
  int32_t count = FrameCount(doc);
  if (count < 1) return v;
  JumpToFrame(doc, std::clamp(v, 1, count) - 1);
  return v;
}

void InvertBackgroundColor(DocumentState& doc) {
  doc.backgroundColor ^= 0xFFFFFF;
  ApplyBackgroundColor(doc);
}

}  // namespace zel
