// The motion step of a generated animation: the frames moved along a motion definition,
// step i for frame i, with the generation's transparent index and fill colour.
#pragma once

#include "generators/motion_definitions.h"
#include "generators/motion_placement.h"
#include "generators/picture_to_animation.h"

namespace zel {

// Along `choice` (a definition with its range and flags).
MotionPreparation MotionAlong(const MotionChoice& choice);
// Along the definition selected in `defs` when the generation runs, with the stored range
// and flags; `defs` must outlive the preparation.
MotionPreparation MotionAlongSelected(const MotionDefinitions& defs);

}  // namespace zel
