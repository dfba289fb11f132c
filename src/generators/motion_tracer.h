// The line tracer of the motion definitions: a black line drawn on a one-bit bitmap becomes
// an ordered list of points, stored in the path file beside the bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/outcome.h"
#include "document/packed_dib.h"

namespace zel {

// One point of a path: column from the left, row from the bottom (storage order).
struct MotionPoint {
  int16_t x = 0;
  int16_t y = 0;
  friend bool operator==(const MotionPoint&, const MotionPoint&) = default;
};

// Fewer traced pixels than this (the start not counted) are refused (kMsgTooFewElements).
constexpr int kMinTracedPixels = 10;

// The ink of a one-bit bitmap: the darker of its two palette entries (blue + green + red
// compared; on a tie entry 0).
int MotionInkIndex(const PackedDib& bitmap);

// Traces the line of a one-bit bitmap into `points` (the path file's order: from the far
// end of the backward trace through the start, twice when the line goes on both sides of
// it, to the end of the forward trace). Done, or failed with kMsgMonochromeOnly (not one bit
// per pixel or not a whole picture), kMsgMotionBitmapError (no ink), kMsgTooFewElements (too
// few pixels), kMsgNoMemory.
Outcome TraceMotionBitmap(const PackedDib& bitmap, std::vector<MotionPoint>* points);

// The path file's bytes: 4 per point, x then y, each signed 16-bit little-endian.
std::vector<uint8_t> EncodeMotionPath(const std::vector<MotionPoint>& points);
// The points of a path file's bytes (a remainder of fewer than 4 bytes ignored).
std::vector<MotionPoint> DecodeMotionPath(const uint8_t* data, size_t size);

// The path file of a bitmap: everything after the last '.' replaced by "mtb"; empty when
// the path has no '.' in its file name.
std::string MotionPathFileOf(const std::string& bitmapPath);

// Reads a BMP file, traces it and writes the points to `pathFile` atomically. Done, or
// failed with kMsgBadImageFile (unreadable), kMsgNoMemory, kMsgStringError (no path file),
// kMsgCannotOpen (the path file cannot be written), or the tracer's failures. On failure an
// existing path file stays as it was.
Outcome TraceMotionFile(const std::string& bitmapPath, const std::string& pathFile);

// Points of a path file; an empty list when it cannot be read. Files above 1 MiB are
// refused (no definition bitmap gives so many points).
std::vector<MotionPoint> ReadMotionPathFile(const std::string& pathFile);

}  // namespace zel
