#include "generators/motion_placement.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zel {
namespace {

// Truncation towards zero of a value that may lie outside the integers' range.
int32_t TruncateShift(double value, int32_t limit) {
  if (!std::isfinite(value)) return 0;
  const double clamped = std::clamp(value, -static_cast<double>(limit), static_cast<double>(limit));
  return static_cast<int32_t>(clamped);
}

// a mod m in 0..m-1 for any a.
int32_t Wrap(int64_t a, int32_t m) {
  const int64_t r = a % m;
  return static_cast<int32_t>(r < 0 ? r + m : r);
}

}  // namespace

std::optional<MotionChoice> SelectedMotion(const MotionDefinitions& defs) {
  if (defs.Count() <= 0 || defs.selected() < 0 || defs.selected() >= defs.Count()) {
    return std::nullopt;
  }
  std::optional<MotionRecord> record = defs.Read(defs.selected());
  if (!record) return std::nullopt;
  return MotionChoice{*record, defs.range(), defs.flags()};
}

std::optional<PreparedMotion> PrepareMotion(const MotionChoice& choice, int width, int height,
                                            int frameCount) {
  const MotionRecord& record = choice.record;
  if (width <= 0 || height <= 0 || frameCount <= 0) return std::nullopt;
  if (record.width <= 0 || record.height <= 0) return std::nullopt;
  PreparedMotion motion;
  motion.pictureWidth = width;
  motion.pictureHeight = height;
  motion.frameCount = frameCount;
  motion.title = record.title;
  motion.bitmapPath = record.bitmapPath;
  motion.bitmapWidth = record.width;
  motion.bitmapHeight = record.height;
  const double range = std::clamp(choice.range, kMotionRangeMin, kMotionRangeMax);
  motion.scaleX = width * range / (record.width * 100.0);
  motion.scaleY = range * height / (100.0 * record.height);
  motion.centerX = record.width / 2;
  motion.centerY = record.height / 2;
  motion.flags = choice.flags & (kMotionWrap | kMotionReverse);
  const std::string pathFile = MotionPathFileOf(record.bitmapPath);
  if (pathFile.empty()) return std::nullopt;
  motion.points = ReadMotionPathFile(pathFile);
  if (motion.points.size() < static_cast<size_t>(kMinTracedPixels)) return std::nullopt;
  // Points outside the definition bitmap (a damaged or foreign path file) go to its edge.
  for (MotionPoint& p : motion.points) {
    p.x = static_cast<int16_t>(std::clamp<int32_t>(p.x, 0, std::min(record.width - 1, 32767)));
    p.y = static_cast<int16_t>(std::clamp<int32_t>(p.y, 0, std::min(record.height - 1, 32767)));
  }
  return motion;
}

std::optional<PreparedMotion> PrepareMotion(const MotionDefinitions& defs, int width, int height,
                                            int frameCount) {
  std::optional<MotionChoice> choice = SelectedMotion(defs);
  if (!choice) return std::nullopt;
  return PrepareMotion(*choice, width, height, frameCount);
}

int MotionPointIndex(const PreparedMotion& motion, int step) {
  const int64_t n = std::max(motion.frameCount, 1);
  const int64_t p = static_cast<int64_t>(motion.points.size());
  if (p == 0) return 0;
  int64_t j = (motion.flags & kMotionReverse) ? n - 1 - step : step;
  j = std::clamp<int64_t>(j, 0, n - 1);
  return static_cast<int>(std::clamp<int64_t>(p * j / n, 0, p - 1));
}

MotionShift MotionShiftAt(const PreparedMotion& motion, int step) {
  if (motion.points.empty()) return {};
  const MotionPoint& point = motion.points[static_cast<size_t>(MotionPointIndex(motion, step))];
  MotionShift shift;
  shift.dx = TruncateShift((point.x - motion.centerX) * motion.scaleX, motion.pictureWidth);
  shift.dy = TruncateShift((motion.bitmapHeight - point.y - motion.centerY - 1) * motion.scaleY,
                           motion.pictureHeight);
  return shift;
}

PackedDib PlaceMotion(const PreparedMotion& motion, const PackedDib& picture, int step,
                      uint32_t fillColorRef, int transparentIndex) {
  if (!IsWholePicture(picture)) return {};
  const DibHeader header = picture.Header();
  PackedDib out = DuplicateBlock(picture);
  if (!out || (header.bitCount != 8 && header.bitCount != 24)) return out;
  const int32_t w = header.width;
  const int32_t h = header.height;
  const int bytesPerPixel = header.bitCount / 8;
  const MotionShift shift = MotionShiftAt(motion, step);
  const bool wrap = (motion.flags & kMotionWrap) != 0;
  const size_t stride = picture.Stride();
  const uint8_t* src = picture.Pixels();
  uint8_t* dst = out.Pixels();
  const uint8_t fillIndex = static_cast<uint8_t>(transparentIndex < 0 ? 0 : transparentIndex);
  const uint8_t fill[3] = {static_cast<uint8_t>(fillColorRef >> 16),
                           static_cast<uint8_t>(fillColorRef >> 8),
                           static_cast<uint8_t>(fillColorRef)};
  for (int32_t r = 0; r < h; ++r) {
    // Stored rows run bottom-up, so moving down on the screen reads a higher stored row.
    int64_t sr = int64_t{r} + shift.dy;
    bool rowInside = sr >= 0 && sr < h;
    if (wrap) {
      sr = Wrap(sr, h);
      rowInside = true;
    }
    uint8_t* outRow = dst + static_cast<size_t>(r) * stride;
    for (int32_t c = 0; c < w; ++c) {
      int64_t sc = int64_t{c} - shift.dx;
      bool inside = rowInside && sc >= 0 && sc < w;
      if (wrap) {
        sc = Wrap(sc, w);
        inside = true;
      }
      uint8_t* o = outRow + static_cast<size_t>(c) * bytesPerPixel;
      if (inside) {
        const uint8_t* i =
            src + static_cast<size_t>(sr) * stride + static_cast<size_t>(sc) * bytesPerPixel;
        std::memcpy(o, i, static_cast<size_t>(bytesPerPixel));
      } else if (bytesPerPixel == 1) {
        *o = fillIndex;
      } else {
        std::memcpy(o, fill, 3);
      }
    }
  }
  return out;
}

}  // namespace zel
