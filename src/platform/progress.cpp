#include "platform/progress.h"

#include <cstdio>

namespace zel {
namespace {

std::string FormatHms(uint32_t hours, uint32_t minutes, uint32_t seconds) {
  char text[40];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours, minutes, seconds);
  return text;
}

}  // namespace

std::string FormatElapsedTime(uint32_t e) {
  uint32_t s = e / 1000;
  return FormatHms(e / 3600000, (e / 60000) % 60, s - (e / 60000) * 60);
}

std::string FormatSeconds(uint32_t r) {
  return FormatHms(r / 3600, (r / 60) % 60, r % 60);
}

uint32_t RemainingSeconds(uint32_t percent, uint32_t seconds) {
  if (percent == 0) return 0;
  if (percent > 100) percent = 100;
  return static_cast<uint32_t>((100ull - percent) * seconds / percent);
}

void ProgressClock::Start(uint32_t nowMs) {
  startMs_ = nowMs;
  shownSeconds_ = 0;
}

std::optional<ProgressTimes> ProgressClock::Report(int percent, uint32_t nowMs) {
  if (percent <= 0) return std::nullopt;
  uint32_t e = nowMs - startMs_;  // wraps like the tick counter
  uint32_t s = e / 1000;
  if (s <= shownSeconds_) return std::nullopt;
  shownSeconds_ = s;
  return ProgressTimes{FormatElapsedTime(e),
                       FormatSeconds(RemainingSeconds(static_cast<uint32_t>(percent), s))};
}

}  // namespace zel
