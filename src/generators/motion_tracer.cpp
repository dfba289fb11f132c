#include "generators/motion_tracer.h"

#include <new>

#include "imagefiles/bmp_file.h"
#include "platform/file_io.h"
#include "resources/string_table.h"

namespace zel {
namespace {

constexpr size_t kMaxPathFileBytes = 1u << 20;

// The ink mask of a one-bit picture, one byte per pixel, indexed [y * width + x] with y
// counted from the bottom row.
class InkGrid {
 public:
  InkGrid(const PackedDib& bitmap, int ink) : width_(bitmap.Header().width) {
    height_ = bitmap.Header().height;
    cells_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    const uint8_t* rows = bitmap.Pixels();
    const size_t stride = bitmap.Stride();
    for (int y = 0; y < height_; ++y) {
      const uint8_t* row = rows + static_cast<size_t>(y) * stride;
      for (int x = 0; x < width_; ++x) {
        const int index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        if (index == ink) cells_[Cell(x, y)] = kInk;
      }
    }
  }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  bool Ink(int x, int y) const { return Inside(x, y) && (cells_[Cell(x, y)] & kInk); }
  bool Free(int x, int y) const {
    return Inside(x, y) && cells_[Cell(x, y)] == kInk;  // ink and not visited
  }
  void Visit(int x, int y) { cells_[Cell(x, y)] |= kVisited; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  static constexpr uint8_t kInk = 1;
  static constexpr uint8_t kVisited = 2;
  size_t Cell(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }
  int width_;
  int height_ = 0;
  std::vector<uint8_t> cells_;
};

struct Step {
  int dx;
  int dy;
};

// Follows the line from (x, y) with the direction `dir`, appending each accepted pixel.
// Returns the direction of the last accepted step (unchanged when none was accepted).
Step Follow(InkGrid& grid, int x, int y, Step dir, std::vector<MotionPoint>* out) {
  for (;;) {
    const Step quadrants[4] = {
        {dir.dx, dir.dy}, {-dir.dx, dir.dy}, {-dir.dx, -dir.dy}, {dir.dx, -dir.dy}};
    bool found = false;
    int nx = 0;
    int ny = 0;
    Step next = dir;
    // The one-step ring, then the two-step ring that bridges one-pixel gaps.
    for (int ring = 1; ring <= 2 && !found; ++ring) {
      for (const Step& q : quadrants) {
        const int qx = q.dx;
        const int qy = q.dy;
        const Step oneStep[3] = {{qx, qy}, {qx, 0}, {0, qy}};
        const Step twoStep[5] = {
            {2 * qx, 2 * qy}, {2 * qx, qy}, {2 * qx, 0}, {qx, 2 * qy}, {0, 2 * qy}};
        const Step* candidates = ring == 1 ? oneStep : twoStep;
        const int candidateCount = ring == 1 ? 3 : 5;
        for (int c = 0; c < candidateCount; ++c) {
          if (grid.Free(x + candidates[c].dx, y + candidates[c].dy)) {
            nx = x + candidates[c].dx;
            ny = y + candidates[c].dy;
            next = q;
            found = true;
            break;
          }
        }
        if (found) break;
      }
    }
    if (!found) return dir;
    grid.Visit(nx, ny);
    out->push_back({static_cast<int16_t>(nx), static_cast<int16_t>(ny)});
    x = nx;
    y = ny;
    dir = next;
  }
}

// The diagonal from the top-left corner; it stops at the first position off the bitmap.
bool FindStartOnDiagonal(const InkGrid& grid, int* sx, int* sy) {
  const int h = grid.height();
  for (int s = 0;; ++s) {
    const Step tries[3] = {{s, h - 1 - s}, {s + 1, h - 1 - s}, {s, h - 2 - s}};
    for (const Step& t : tries) {
      if (!grid.Inside(t.dx, t.dy)) return false;
      if (grid.Ink(t.dx, t.dy)) {
        *sx = t.dx;
        *sy = t.dy;
        return true;
      }
    }
  }
}

// The diagonal first, then the rows from the bottom, each from the left.
bool FindStart(const InkGrid& grid, int* sx, int* sy) {
  if (FindStartOnDiagonal(grid, sx, sy)) return true;
  for (int y = 0; y < grid.height(); ++y) {
    for (int x = 0; x < grid.width(); ++x) {
      if (grid.Ink(x, y)) {
        *sx = x;
        *sy = y;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

int MotionInkIndex(const PackedDib& bitmap) {
  if (!bitmap || bitmap.ColorCount() < 2) return 0;
  const Rgbq* table = bitmap.ColorTable();
  const int sum0 = table[0].blue + table[0].green + table[0].red;
  const int sum1 = table[1].blue + table[1].green + table[1].red;
  return sum1 < sum0 ? 1 : 0;
}

Outcome TraceMotionBitmap(const PackedDib& bitmap, std::vector<MotionPoint>* points) {
  points->clear();
  if (!IsWholePicture(bitmap) || bitmap.Header().bitCount != 1) return Outcome::Failed(kMsgMonochromeOnly);
  const DibHeader header = bitmap.Header();
  // Path points are 16-bit.
  if (header.width <= 0 || header.height <= 0 || header.width > 32767 || header.height > 32767) {
    return Outcome::Failed(kMsgMonochromeOnly);
  }
  try {
    InkGrid grid(bitmap, MotionInkIndex(bitmap));
    int sx = 0;
    int sy = 0;
    if (!FindStart(grid, &sx, &sy)) return Outcome::Failed(kMsgMotionBitmapError);
    grid.Visit(sx, sy);
    std::vector<MotionPoint> forward;
    std::vector<MotionPoint> backward;
    const Step last = Follow(grid, sx, sy, {1, -1}, &forward);
    Follow(grid, sx, sy, forward.empty() ? Step{1, -1} : last, &backward);
    if (forward.size() + backward.size() < static_cast<size_t>(kMinTracedPixels)) {
      return Outcome::Failed(kMsgTooFewElements);
    }
    const MotionPoint start{static_cast<int16_t>(sx), static_cast<int16_t>(sy)};
    points->reserve(forward.size() + backward.size() + 2);
    points->assign(backward.rbegin(), backward.rend());
    if (!backward.empty()) points->push_back(start);
    points->push_back(start);
    points->insert(points->end(), forward.begin(), forward.end());
  } catch (const std::bad_alloc&) {
    points->clear();
    return Outcome::Failed(kMsgNoMemory);
  }
  return Outcome::Done();
}

std::vector<uint8_t> EncodeMotionPath(const std::vector<MotionPoint>& points) {
  std::vector<uint8_t> bytes(points.size() * 4);
  for (size_t i = 0; i < points.size(); ++i) {
    WriteLe16(&bytes[4 * i], static_cast<uint16_t>(points[i].x));
    WriteLe16(&bytes[4 * i + 2], static_cast<uint16_t>(points[i].y));
  }
  return bytes;
}

std::vector<MotionPoint> DecodeMotionPath(const uint8_t* data, size_t size) {
  std::vector<MotionPoint> points(size / 4);
  for (size_t i = 0; i < points.size(); ++i) {
    points[i].x = static_cast<int16_t>(ReadLe16(data + 4 * i));
    points[i].y = static_cast<int16_t>(ReadLe16(data + 4 * i + 2));
  }
  return points;
}

std::string MotionPathFileOf(const std::string& bitmapPath) {
  const size_t dot = bitmapPath.rfind('.');
  const size_t slash = bitmapPath.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return bitmapPath.substr(0, dot + 1) + "mtb";
}

Outcome TraceMotionFile(const std::string& bitmapPath, const std::string& pathFile) {
  PackedDib bitmap;
  const int read = ReadBmpFile(bitmap, bitmapPath);
  if (read == kBmpNoMemory || read == kBmpTooLarge) return Outcome::Failed(kMsgNoMemory);
  if (read == kBmpUnsupported) return Outcome::Failed(kMsgMonochromeOnly);
  if (read != kBmpReadOk) return Outcome::Failed(kMsgBadImageFile);
  std::vector<MotionPoint> points;
  if (const Outcome traced = TraceMotionBitmap(bitmap, &points); !traced.done()) return traced;
  if (pathFile.empty()) return Outcome::Failed(kMsgStringError);
  const std::vector<uint8_t> bytes = EncodeMotionPath(points);
  if (!WriteFileAtomically(pathFile, bytes.data(), bytes.size())) return Outcome::Failed(kMsgCannotOpen);
  return Outcome::Done();
}

std::vector<MotionPoint> ReadMotionPathFile(const std::string& pathFile) {
  std::optional<std::vector<uint8_t>> head = ReadFileHead(pathFile, kMaxPathFileBytes + 1);
  if (!head || head->size() > kMaxPathFileBytes) return {};
  return DecodeMotionPath(head->data(), head->size());
}

}  // namespace zel
