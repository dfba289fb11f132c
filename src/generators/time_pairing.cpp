#include "generators/time_pairing.h"

#include <algorithm>

namespace zel {
namespace {

int64_t Total(const std::vector<int32_t>& delays) {
  int64_t sum = 0;
  for (int32_t d : delays) sum += std::max<int32_t>(d, 0);
  return sum;
}

// trunc(10 * delay * length / total), worked in integers so that no rounding of the
// scale can move a frame across a boundary.
int64_t Scaled(int32_t delay, int64_t length, int64_t total) {
  return 10 * static_cast<int64_t>(std::max<int32_t>(delay, 0)) * length / total;
}

}  // namespace

int PairByTime(const std::vector<int32_t>& baseDelays, const std::vector<int32_t>& overlayDelays,
               TimePairing* out) {
  const int64_t baseSum = Total(baseDelays);
  const int64_t overlaySum = Total(overlayDelays);
  if (baseSum == 0 || overlaySum == 0) return 7;
  const int64_t baseTime = 10 * baseSum;
  const int64_t overlayTime = 10 * overlaySum;
  const int64_t length = std::max(baseTime, overlayTime);

  out->baseDrives = baseDelays.size() >= overlayDelays.size();
  const std::vector<int32_t>& driving = out->baseDrives ? baseDelays : overlayDelays;
  const std::vector<int32_t>& other = out->baseDrives ? overlayDelays : baseDelays;
  const int64_t drivingTime = out->baseDrives ? baseTime : overlayTime;
  const int64_t otherTime = out->baseDrives ? overlayTime : baseTime;

  out->partner.assign(driving.size(), 0);
  int64_t d = 0;
  int64_t e = 0;
  size_t k = 0;
  for (size_t i = 0; i < driving.size(); ++i) {
    while (d / 10 > e / 10 && k + 1 < other.size()) {
      e += Scaled(other[k], length, otherTime);
      ++k;
    }
    out->partner[i] = static_cast<int32_t>(k);
    d += Scaled(driving[i], length, drivingTime);
  }
  return 0;
}

}  // namespace zel
