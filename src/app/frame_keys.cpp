#include "app/frame_keys.h"

#include "document/document_state.h"
#include "document/playback.h"

namespace zel {

int32_t FrameKeyTarget(FrameKey key, int32_t current, int32_t count) {
  if (count < 1) return 0;
  if (current < 0 || current >= count) current = 0;
  switch (key) {
    case FrameKey::kPrevious:
      return current == 0 ? count - 1 : current - 1;
    case FrameKey::kNext:
      return current + 1 == count ? 0 : current + 1;
    case FrameKey::kFirst:
      return 0;
    case FrameKey::kLast:
      return count - 1;
  }
  return current;
}

bool MoveByFrameKey(DocumentState& doc, FrameKey key, uint32_t nowMs) {
  if (!IsAnimation(doc.kind) || IsDocumentBusy(doc) || !doc.frameSet) return false;
  const int32_t count = doc.frameSet->count;
  if (count < 1) return false;
  const int32_t target = FrameKeyTarget(key, doc.currentFrame, count);
  doc.flags |= kFlagStopped;
  // The jump's own way of showing a frame: the frame before it plus the step bit, taken by
  // a tick right now rather than by the next timer tick.
  JumpToFrame(doc, target);
  PlaybackTick(doc, nowMs);
  return true;
}

void TogglePlayback(DocumentState& doc) {
  if (doc.flags & kFlagStopped) {
    StartPlayback(doc);
  } else {
    StopPlayback(doc);
  }
}

}  // namespace zel
