// Moving pictures along a motion definition: the preparation reads the selected path and
// scales it to the pictures' size; the placement shifts one picture for one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/packed_dib.h"
#include "generators/motion_definitions.h"
#include "generators/motion_tracer.h"

namespace zel {

struct PreparedMotion {
  int32_t pictureWidth = 0;   // Wp
  int32_t pictureHeight = 0;  // Hp
  int32_t frameCount = 0;     // N, the steps the path is spread over
  std::string title;
  std::string bitmapPath;
  int32_t bitmapWidth = 0;   // Wb
  int32_t bitmapHeight = 0;  // Hb
  double scaleX = 0;         // Wp * range / (Wb * 100)
  double scaleY = 0;         // range * Hp / (100 * Hb)
  int32_t centerX = 0;       // Wb / 2
  int32_t centerY = 0;       // Hb / 2
  int32_t flags = 0;         // kMotionWrap, kMotionReverse, as they were at preparation
  // The path, every point inside the definition bitmap (points outside are moved to its
  // nearest edge).
  std::vector<MotionPoint> points;
};

// One definition with the range and flags to move it by.
struct MotionChoice {
  MotionRecord record;
  int range = 100;  // percent, 5..100
  int32_t flags = kMotionWrap;
};
// The selected definition with the stored range and flags; no value when there is none or
// its record is absent.
std::optional<MotionChoice> SelectedMotion(const MotionDefinitions& defs);

// Reads a definition's path file for pictures of `width` x `height` moved over
// `frameCount` steps. No value when the bitmap size in the record is not positive, the
// path file cannot be read or holds fewer than 10 points, or a size or the frame count is
// not positive. The range is clamped into 5..100.
std::optional<PreparedMotion> PrepareMotion(const MotionChoice& choice, int width, int height,
                                            int frameCount);

// Reads the selected definition and its path file for pictures of `width` x `height` moved
// over `frameCount` steps. No value when there is no definition, the record is absent, its
// bitmap size is not positive, the path file cannot be read or holds fewer than 10 points,
// or a size or the frame count is not positive.
std::optional<PreparedMotion> PrepareMotion(const MotionDefinitions& defs, int width, int height,
                                            int frameCount);

// The path point used for `step` (0..frameCount-1): trunc(P * j / N) with j = step, or
// N - 1 - step in reverse order, kept within 0..P-1.
int MotionPointIndex(const PreparedMotion& motion, int step);
// The shift of the picture for `step`: right and down on the screen, in pixels.
struct MotionShift {
  int32_t dx = 0;
  int32_t dy = 0;
};
MotionShift MotionShiftAt(const PreparedMotion& motion, int step);

// A new picture of the same size, header and palette as `picture` (8 or 24 bits) shifted
// for `step`: with kMotionWrap what leaves one edge comes back at the opposite one;
// without it, the uncovered area gets `transparentIndex` (index 0 when it is negative) in
// an 8-bit picture and `fillColorRef` (0x00BBGGRR) in a 24-bit one. A picture of another
// depth comes back as an unchanged copy. Null only when memory is short or the picture is
// not whole; the caller then keeps its picture. Safe to call from several threads at once.
PackedDib PlaceMotion(const PreparedMotion& motion, const PackedDib& picture, int step,
                      uint32_t fillColorRef, int transparentIndex);

}  // namespace zel
