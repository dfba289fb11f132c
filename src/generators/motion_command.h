// The motion command on the open animation: every frame moved along the selected path.
#pragma once

#include <cstdint>

#include "document/document_state.h"
#include "generators/motion_definitions.h"
#include "generators/motion_placement.h"

namespace zel {

// Animations only ('a', 'f'), not while the document is busy.
bool CanMoveAnimation(const DocumentState& doc);

// Prepares the selected definition for the current picture's size and the frame count;
// when that fails, nothing changes (kNothingDone, nothing to show). Otherwise, with the
// busy bit set, every frame i is placed for step i (on worker threads: `threads` 0 means
// one per core, 1 the calling thread alone; the result is the same), the background colour
// filling 24-bit frames and the frame set's transparent index 8-bit ones; then an undo
// snapshot (32771) is taken, the frames are replaced, a copy of frame 0 becomes the
// current picture and playback starts again from the first frame. 0 on success, -1 when
// nothing was done, 502 when memory ran short (nothing changed).
int MoveAnimation(DocumentState& doc, const MotionDefinitions& defs, uint32_t nowTick,
                  int threads = 0);
// The same with a definition, range and flags of the caller's choice.
int MoveAnimation(DocumentState& doc, const MotionChoice& choice, uint32_t nowTick,
                  int threads = 0);

}  // namespace zel
