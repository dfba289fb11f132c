// The animation menu's frame commands as operations on the open document. Each is one edit
// transaction (undo snapshot, playback held off while frames move) and moves only the
// pictures and delays of the frame records.
#pragma once

#include <cstdint>

#include "document/outcome.h"

namespace zel {

struct DocumentState;

// What each operation needs before it may run (the commands' enabling rules use these).
bool CanDeleteFrames(const DocumentState& doc);        // animation, count >= 2, valid current
bool CanDeleteFramesBefore(const DocumentState& doc);  // and currentFrame > 1
bool CanDeleteFramesAfter(const DocumentState& doc);   // and currentFrame < count - 2
bool CanInsertFrameCopy(const DocumentState& doc);     // count < frameMax - 1
bool CanConvertToPicture(const DocumentState& doc);
bool CanMakeCurrentFrameFirst(const DocumentState& doc);  // 0 < currentFrame < count
bool CanRepeatAnimation(const DocumentState& doc);        // 2 <= count < frameMax / 2
bool CanReverseAnimation(const DocumentState& doc);
// An animation with frames `from` and `to` (0-based, different, both below count).
bool CanMoveFrame(const DocumentState& doc, int32_t from, int32_t to);

// Each changes nothing when its precondition does not hold (nothing done) or memory is
// short (failed). `nowTick` is the millisecond tick playback restarts from.
Outcome DeleteCurrentFrame(DocumentState& doc);  // two frames: the other one becomes a picture
Outcome DeleteFramesBefore(DocumentState& doc);
Outcome DeleteFramesAfter(DocumentState& doc);
Outcome InsertFrameCopy(DocumentState& doc);
Outcome ConvertToPicture(DocumentState& doc);
Outcome MakeCurrentFrameFirst(DocumentState& doc);
Outcome RepeatAnimation(DocumentState& doc);
Outcome ReverseAnimation(DocumentState& doc, uint32_t nowTick);
// Takes frame `from` out and puts it back so that it becomes frame `to`; the frames in
// between close up or make room. The picture shown stays, and the current frame follows it
// to its new place. Playback goes on (the busy bit holds it off meanwhile).
Outcome MoveFrameTo(DocumentState& doc, int32_t from, int32_t to);
// The frame number a frame moved from `from` ends up at when it is dropped in front of
// frame `dropBefore` (0..count; count is behind the last frame); -1 when that is no move.
int32_t MoveTargetForDrop(int32_t from, int32_t dropBefore, int32_t count);
// Where frame `index` is after frame `from` moved to `to`.
int32_t FrameIndexAfterMove(int32_t index, int32_t from, int32_t to);

}  // namespace zel
