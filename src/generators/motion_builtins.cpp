#include "generators/motion_builtins.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace zel {
namespace {

constexpr BuiltinMotion kBuiltins[kBuiltinMotionCount] = {
    {"八の字移動", "Figure eight", "figure-eight", "mov1.bmp"},
    {"斜め", "Diagonal", "diagonal", "mov2.bmp"},
    {"ボックス", "Box", "box", "mov3.bmp"},
    {"枯葉", "Falling leaf", "falling-leaf", "mov4.bmp"},
    {"水平", "Horizontal", "horizontal", "mov5.bmp"},
    {"垂直", "Vertical", "vertical", "mov6.bmp"},
    {"とんぼ返り", "Somersault", "somersault", "mov7.bmp"},
    {"円", "Circle", "circle", "mov8.bmp"},
};

bool SameIgnoringAsciiCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

constexpr double kPi = std::numbers::pi;

struct Pixel {
  int x;
  int y;  // counted from the top
  bool operator==(const Pixel&) const = default;
};

// A thin 8-connected chain of pixels.
class Chain {
 public:
  // Appends the straight run from the last pixel to (x, y).
  void LineTo(int x, int y) {
    if (pixels_.empty()) {
      pixels_.push_back({x, y});
      return;
    }
    Pixel from = pixels_.back();
    const int dx = std::abs(x - from.x);
    const int dy = -std::abs(y - from.y);
    const int stepX = from.x < x ? 1 : -1;
    const int stepY = from.y < y ? 1 : -1;
    int error = dx + dy;
    while (from.x != x || from.y != y) {
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        from.x += stepX;
      }
      if (twice <= dx) {
        error += dx;
        from.y += stepY;
      }
      pixels_.push_back(from);
    }
  }

  // Follows a curve sampled densely over t in [0, 1].
  template <typename Curve>
  void Trace(const Curve& curve, int samples = 4000) {
    for (int i = 0; i <= samples; ++i) {
      const double t = static_cast<double>(i) / samples;
      const auto [x, y] = curve(t);
      LineTo(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    }
  }

  // Drops the corner pixels whose neighbours in the chain touch each other, so that the
  // line is one pixel wide.
  void Thin() {
    bool changed = true;
    while (changed) {
      changed = false;
      std::vector<Pixel> kept;
      kept.reserve(pixels_.size());
      for (size_t i = 0; i < pixels_.size(); ++i) {
        if (!kept.empty() && kept.back() == pixels_[i]) continue;
        if (!kept.empty() && i + 1 < pixels_.size()) {
          const Pixel& a = kept.back();
          const Pixel& b = pixels_[i + 1];
          if (!(a == b) && std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1) {
            changed = true;
            continue;
          }
        }
        kept.push_back(pixels_[i]);
      }
      pixels_.swap(kept);
    }
  }

  const std::vector<Pixel>& pixels() const { return pixels_; }

 private:
  std::vector<Pixel> pixels_;
};

struct Point {
  double x;
  double y;
};

Chain DrawChain(int index) {
  Chain chain;
  const int last = kMotionBitmapSide - 1;
  switch (index) {
    case 0:  // a figure eight standing upright, crossing in the middle
      chain.Trace([](double t) {
        const double a = 2 * kPi * t;
        return Point{47.5 + 31 * std::sin(2 * a), 47.5 - 45 * std::sin(a)};
      });
      break;
    case 1:  // top left to bottom right
      chain.LineTo(0, 0);
      chain.LineTo(last, last);
      break;
    case 2:  // along the edges
      chain.LineTo(0, 0);
      chain.LineTo(last, 0);
      chain.LineTo(last, last);
      chain.LineTo(0, last);
      chain.LineTo(0, 1);
      break;
    case 3:  // swinging from side to side while falling
      chain.Trace([](double t) { return Point{47.5 + 23 * std::sin(3 * kPi * t), 4 + 87 * t}; });
      break;
    case 4:  // row 47 counted from the bottom
      chain.LineTo(0, last - 47);
      chain.LineTo(last, last - 47);
      break;
    case 5:
      chain.LineTo(48, 0);
      chain.LineTo(48, last);
      break;
    case 6:  // left to right with a loop over the middle
      chain.Trace([](double t) {
        const double a = 1.25 * kPi * (2 * t - 1);
        return Point{47.5 + 8 * a - 24 * std::sin(a), 40 - 24 * std::cos(a)};
      });
      break;
    case 7:
      chain.Trace([](double t) {
        const double a = 2 * kPi * t;
        return Point{47.5 + 46.5 * std::cos(a), 47.5 - 46.5 * std::sin(a)};
      });
      break;
    default:
      break;
  }
  chain.Thin();
  return chain;
}

constexpr Rgbq kBlackAndWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

}  // namespace

const BuiltinMotion& BuiltinMotionAt(int index) {
  return kBuiltins[index < 0 || index >= kBuiltinMotionCount ? 0 : index];
}

int BuiltinMotionNamed(const std::string& name, bool aliasToo) {
  for (int i = 0; i < kBuiltinMotionCount; ++i) {
    const BuiltinMotion& builtin = kBuiltins[i];
    if (name == builtin.title || SameIgnoringAsciiCase(name, builtin.english) ||
        (aliasToo && SameIgnoringAsciiCase(name, builtin.alias))) {
      return i;
    }
  }
  return -1;
}

std::string ShownMotionTitle(const std::string& title) {
  const int builtin = BuiltinMotionNamed(title, false);
  if (builtin < 0) return title;
  return CurrentLanguage() == Language::kJapanese ? kBuiltins[builtin].title
                                                  : kBuiltins[builtin].english;
}

PackedDib BlankMotionBitmap() {
  PackedDib bitmap = NewPicture(kMotionBitmapSide, kMotionBitmapSide, 1, 2, kBlackAndWhite);
  if (!bitmap) return bitmap;
  uint8_t* pixels = bitmap.Pixels();
  const size_t bytes = bitmap.Stride() * kMotionBitmapSide;
  for (size_t i = 0; i < bytes; ++i) pixels[i] = 0xFF;
  return bitmap;
}

PackedDib DrawBuiltinMotion(int index) {
  if (index < 0 || index >= kBuiltinMotionCount) return {};
  PackedDib bitmap = BlankMotionBitmap();
  if (!bitmap) return bitmap;
  const Chain chain = DrawChain(index);
  for (const Pixel& p : chain.pixels()) {
    if (p.x < 0 || p.y < 0 || p.x >= kMotionBitmapSide || p.y >= kMotionBitmapSide) continue;
    uint8_t* row = bitmap.Row(p.y);
    row[p.x >> 3] &= static_cast<uint8_t>(~(0x80 >> (p.x & 7)));
  }
  return bitmap;
}

}  // namespace zel
