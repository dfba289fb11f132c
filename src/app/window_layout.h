// The main window's size, place and tool-bar layout across restarts, kept in zel.ini
// (section "window"), and the rule that brings a window restored off-screen back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/profile_file.h"

namespace zel {

inline constexpr char kWindowSection[] = "window";
inline constexpr char kWindowGeometryKey[] = "geometry";  // upper-case hexadecimal
inline constexpr char kWindowStateKey[] = "state";        // upper-case hexadecimal
// A record larger than this is not the window's and is ignored.
inline constexpr size_t kMaxWindowRecord = 64 * 1024;

// The window system's own records of the window (its geometry, and the tool bars' places
// and visibility), opaque to the program. Empty when not known.
struct WindowLayout {
  std::vector<uint8_t> geometry;
  std::vector<uint8_t> state;
};

// A record that is not whole hexadecimal pairs, or larger than kMaxWindowRecord, reads as
// empty.
WindowLayout LoadWindowLayout(const ProfileFile& file);
// Writes the records that are not empty; an empty one leaves the stored one as it was.
void StoreWindowLayout(const WindowLayout& layout, ProfileFile& file);

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The height of the window's top strip the user needs to reach to move it, and how much
// of it has to lie on one screen.
inline constexpr int kGripHeight = 24;
inline constexpr int kGripMinimumWidth = 64;

// Where a restored window goes on the screens' usable areas (the first is the primary
// screen). It stays where it is while at least kGripMinimumWidth pixels (its whole width
// when narrower) of its top kGripHeight rows lie on one screen. Otherwise it moves onto the
// screen nearest to its centre: shrunk to that screen's size where larger, and pushed in
// from the edges it crosses. Without screens it is returned as it is.
ScreenRect KeepOnScreen(const ScreenRect& window, const std::vector<ScreenRect>& screens);

}  // namespace zel
