// Pairing the frames of two animations by time: both timelines are stretched to the longer
// one, and each frame of the animation with more frames (the base on a tie) is paired with
// the first frame of the other that does not start before it, counted in whole tenths of
// the stretched time (the other's last frame when none is left).
#pragma once

#include <cstdint>
#include <vector>

namespace zel {

struct TimePairing {
  bool baseDrives = true;
  // For each frame of the driving animation, the frame of the other one it is paired with.
  std::vector<int32_t> partner;
};

// 0, or 7 when either animation's delays add up to 0 (or one has no frames). Delays are in
// hundredths of a second; negative ones count as 0.
int PairByTime(const std::vector<int32_t>& baseDelays, const std::vector<int32_t>& overlayDelays,
               TimePairing* out);

}  // namespace zel
