// The effects on an open animation: frame i of N is warped with the value the effect's
// schedule gives for step i. Delays, positions and the frame count stay as they are.
#pragma once

#include <cstdint>

#include "document/document_state.h"
#include "document/outcome.h"
#include "generators/effect_schedule.h"

namespace zel {

class ProgressSink;

// The effect of the dialog: 1..9 (the copy is not offered), amplitude in percent.
struct AnimationEffectOptions {
  Effect effect = Effect::kWaving;
  int amplitude = 40;
};

// The command: warps the frames of the document's animation (on every core, with the same
// result as one thread) and installs them as one edit. Done, or failed with kMsgOutOfRange
// when the animation has fewer than 4 frames or the options are out of range, kMsgNoMemory;
// unless done, the document and its undo history are as they were. A frame whose warp fails
// keeps its picture. The current picture becomes a copy of frame 0 and playback restarts at
// `nowTick`.
Outcome RunAnimationEffect(DocumentState& doc, const AnimationEffectOptions& options,
                           ProgressSink* sink, uint32_t nowTick);

}  // namespace zel
