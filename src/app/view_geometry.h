// What the view paints, as plain data: the background around the picture, the picture
// to draw and the blinking right and bottom edges. The window only draws what these say.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/document_state.h"

namespace zel {

constexpr int kEdgeBlinkMs = 500;  // period of the edge blink

// Colours are COLORREF values, 0x00BBGGRR.
constexpr uint32_t kColorBlack = 0x000000;
constexpr uint32_t kColorSilver = 0xC0C0C0;

struct PaintRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PaintRect&, const PaintRect&) = default;
};

struct PaintPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const PaintPoint&, const PaintPoint&) = default;
};

// The parts of a client area that the background colour fills around a picture of
// pictureWidth x pictureHeight drawn unscaled at the top-left corner: everything right of
// x = pictureWidth (full height), then, when the picture has a width, the strip below
// y = pictureHeight from x = 0 to pictureWidth. Empty parts are left out.
std::vector<PaintRect> BackgroundRects(int32_t clientWidth, int32_t clientHeight,
                                       int32_t pictureWidth, int32_t pictureHeight);

// The picture the view draws at (0, 0): the current picture on a true-colour display,
// the display copy on a palette display (which is drawn through its own colour table).
// Null when that picture is missing or, on a palette display, has no colour table.
const PackedDib* PictureToDraw(const DocumentState& doc);

// The blinking edge: a dotted one-pixel line from (width, 0) down to (width, height) and
// on to (0, height). While the phase is on the dots are black on silver, while off silver
// on black.
struct EdgeLine {
  std::array<PaintPoint, 3> points;
  uint32_t penColor = kColorBlack;
  uint32_t backColor = kColorSilver;
};

// The edge for a picture of width x height in the given phase; none while the picture is
// empty.
std::optional<EdgeLine> BlinkEdge(int32_t width, int32_t height, bool phaseOn);

// The phase after a blink tick: it toggles only while there is a picture to outline.
bool NextBlinkPhase(bool phaseOn, int32_t width, int32_t height);

}  // namespace zel
