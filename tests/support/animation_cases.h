// Small animations that exercise the optimised GIF save: what changes from frame to frame,
// transparency coming and going, a palette with no free entry.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "document/frame_set.h"

namespace zel::testing {

struct AnimationCase {
  const char* name;
  std::function<FrameSet()> make;
  bool shrinks;  // the optimised file must come out smaller than the normal save
};

const std::vector<AnimationCase>& AnimationCases();
inline void PrintTo(const AnimationCase& c, std::ostream* os) {
  *os << c.name;
}

// A FrameSet of 8-bit frames (row-major index pixels, top row first) sharing `colors`
// grey-and-hue entries of a palette, with the given transparent index and delays 10, 20, ...
FrameSet MakeAnimation(int width, int height, int colors, int transparentIndex,
                       const std::vector<std::vector<uint8_t>>& frames);

// A moving-object animation: `count` frames of width x height over a fixed textured
// background, with a 48 x 40 block crossing the screen.
FrameSet MakeMovingObject(int width, int height, int count);

// A dithered animation: `count` frames of a vertical gradient whose dither is drawn anew
// for every frame (as a quantiser does), so nearly every pixel changes, with a disc
// crossing the screen and a growing bar.
FrameSet MakeDithered(int width, int height, int count);

}  // namespace zel::testing
