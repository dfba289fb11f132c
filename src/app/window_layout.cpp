#include "app/window_layout.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/settings.h"

namespace zel {
namespace {

std::vector<uint8_t> DecodeRecord(const std::string& text) {
  return DecodeHexBytes(text, kMaxWindowRecord).value_or(std::vector<uint8_t>());
}

// The overlap of two rectangles along one axis, 0 when they do not meet. 64-bit: the
// rectangles come from stored records and may hold any int.
int64_t Overlap(int64_t start1, int64_t length1, int64_t start2, int64_t length2) {
  const int64_t start = std::max(start1, start2);
  const int64_t end = std::min(start1 + length1, start2 + length2);
  return std::max<int64_t>(0, end - start);
}

// `start` moved so that [start, start + length) lies in [areaStart, areaStart + areaLength)
// where it fits, else starts at areaStart.
int64_t PushInside(int64_t start, int64_t length, int64_t areaStart, int64_t areaLength) {
  return std::clamp(start, areaStart, areaStart + std::max<int64_t>(areaLength - length, 0));
}

}  // namespace

WindowLayout LoadWindowLayout(const ProfileFile& file) {
  WindowLayout layout;
  layout.geometry = DecodeRecord(file.Get(kWindowSection, kWindowGeometryKey));
  layout.state = DecodeRecord(file.Get(kWindowSection, kWindowStateKey));
  return layout;
}

void StoreWindowLayout(const WindowLayout& layout, ProfileFile& file) {
  if (!layout.geometry.empty() && layout.geometry.size() <= kMaxWindowRecord) {
    file.Set(kWindowSection, kWindowGeometryKey,
             EncodeBinaryRecord(layout.geometry.data(), layout.geometry.size()));
  }
  if (!layout.state.empty() && layout.state.size() <= kMaxWindowRecord) {
    file.Set(kWindowSection, kWindowStateKey,
             EncodeBinaryRecord(layout.state.data(), layout.state.size()));
  }
}

ScreenRect KeepOnScreen(const ScreenRect& window, const std::vector<ScreenRect>& screens) {
  if (screens.empty()) return window;
  const int64_t width = std::max(window.width, 1);
  const int64_t grip = std::min<int64_t>(std::max(window.height, 1), kGripHeight);
  const int64_t needed = std::min<int64_t>(width, kGripMinimumWidth);
  for (const ScreenRect& screen : screens) {
    if (Overlap(window.x, width, screen.x, screen.width) >= needed &&
        Overlap(window.y, grip, screen.y, screen.height) >= grip) {
      return window;
    }
  }
  // The screen nearest to the window's centre (the distance between centres; in floating
  // point, since a stored place may lie anywhere in the int range).
  const double cx = static_cast<double>(window.x) + static_cast<double>(width) / 2;
  const double cy =
      static_cast<double>(window.y) + static_cast<double>(std::max(window.height, 1)) / 2;
  const ScreenRect* nearest = &screens.front();
  double best = 0;
  for (const ScreenRect& screen : screens) {
    const double dx = static_cast<double>(screen.x) + static_cast<double>(screen.width) / 2 - cx;
    const double dy = static_cast<double>(screen.y) + static_cast<double>(screen.height) / 2 - cy;
    const double distance = dx * dx + dy * dy;
    if (&screen == &screens.front() || distance < best) {
      best = distance;
      nearest = &screen;
    }
  }
  ScreenRect placed;
  placed.width = std::clamp(window.width, 1, std::max(nearest->width, 1));
  placed.height = std::clamp(window.height, 1, std::max(nearest->height, 1));
  placed.x = static_cast<int>(PushInside(window.x, placed.width, nearest->x, nearest->width));
  placed.y = static_cast<int>(PushInside(window.y, placed.height, nearest->y, nearest->height));
  return placed;
}

}  // namespace zel
