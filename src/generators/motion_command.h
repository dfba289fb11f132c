// The motion command on the open animation: every frame moved along the selected path.
#pragma once

#include <cstdint>
#include <vector>

#include "document/document_state.h"
#include "document/outcome.h"
#include "generators/motion_definitions.h"
#include "generators/motion_placement.h"

namespace zel {

// The placement of frames 0..count-1 of `frames` for steps 0..count-1, on worker threads
// (`threads` 0: one per core; 1: the calling thread alone), in frame order; an entry is
// null where the frame has no picture or memory ran short. The result does not depend on
// the number of threads.
std::vector<PackedDib> PlaceEveryFrame(const PreparedMotion& motion, const FrameSet& frames,
                                       uint32_t fillColorRef, int transparentIndex,
                                       int threads = 0);

// Animations only ('a', 'f'), not while the document is busy.
bool CanMoveAnimation(const DocumentState& doc);

// Prepares the selected definition for the current picture's size and the frame count;
// when that fails, nothing changes (nothing done, nothing to show). Otherwise, while the
// document is busy, every frame i is placed for step i (on worker threads: `threads` 0
// means one per core, 1 the calling thread alone; the result is the same), the background
// colour filling 24-bit frames and the frame set's transparent index 8-bit ones; then one
// edit (kUndoEdit) replaces the frames, makes a copy of frame 0 the current picture and
// starts playback again from the first frame. Done, nothing done, or failed with
// kMsgNoMemory (the document and its undo history as they were).
Outcome MoveAnimation(DocumentState& doc, const MotionDefinitions& defs, uint32_t nowTick,
                      int threads = 0);
// The same with a definition, range and flags of the caller's choice.
Outcome MoveAnimation(DocumentState& doc, const MotionChoice& choice, uint32_t nowTick,
                      int threads = 0);

}  // namespace zel
