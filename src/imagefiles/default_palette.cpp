#include "imagefiles/default_palette.h"

#include <cstdint>

namespace zel {
namespace {

constexpr Rgbq Color(uint8_t red, uint8_t green, uint8_t blue) {
  return Rgbq{blue, green, red, 0};
}

std::array<Rgbq, 256> MakeDefaultPalette() {
  std::array<Rgbq, 256> table{};
  const Rgbq first[10] = {
      Color(0, 0, 0),       Color(128, 0, 0),     Color(0, 128, 0),   Color(128, 128, 0),
      Color(0, 0, 128),     Color(128, 0, 128),   Color(0, 128, 128), Color(192, 192, 192),
      Color(192, 220, 192), Color(166, 202, 240),
  };
  const Rgbq last[10] = {
      Color(255, 251, 240), Color(160, 160, 164), Color(128, 128, 128), Color(255, 0, 0),
      Color(0, 255, 0),     Color(255, 255, 0),   Color(0, 0, 255),     Color(255, 0, 255),
      Color(0, 255, 255),   Color(255, 255, 255),
  };
  size_t next = 0;
  for (const Rgbq& c : first) table[next++] = c;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        table[next++] = Color(static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g),
                              static_cast<uint8_t>(51 * b));
      }
    }
  }
  // Levels 255 * k / 21, rounded: none of them falls on a cube level.
  for (int k = 1; k <= 20; ++k) {
    uint8_t level = static_cast<uint8_t>((255 * k + 10) / 21);
    table[next++] = Color(level, level, level);
  }
  for (const Rgbq& c : last) table[next++] = c;
  return table;
}

}  // namespace

const std::array<Rgbq, 256>& DefaultPalette() {
  static const std::array<Rgbq, 256> table = MakeDefaultPalette();
  return table;
}

}  // namespace zel
