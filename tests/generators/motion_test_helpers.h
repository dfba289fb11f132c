// One-bit drawings and a definitions store in a private folder for the motion tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "document/packed_dib.h"
#include "generators/motion_definitions.h"
#include "platform/private_folder.h"
#include "platform/profile_file.h"

namespace zel::testing {

// A w x h one-bit bitmap, white (entry 1) with black (entry 0) ink at the given points
// (x from the left, y from the bottom). With `inverted` the table is white, black.
inline PackedDib MakeMotionBitmap(int w, int h, const std::vector<std::pair<int, int>>& ink,
                                  bool inverted = false) {
  const Rgbq black{0, 0, 0, 0};
  const Rgbq white{255, 255, 255, 0};
  const Rgbq table[2] = {inverted ? white : black, inverted ? black : white};
  PackedDib p = NewPicture(w, h, 1, 2, table);
  const uint8_t background = inverted ? 0x00 : 0xFF;
  for (size_t i = 0; i < p.Stride() * static_cast<size_t>(h); ++i) p.Pixels()[i] = background;
  for (const auto& [x, y] : ink) {
    uint8_t* byte = p.Pixels() + static_cast<size_t>(y) * p.Stride() + static_cast<size_t>(x / 8);
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
    *byte = inverted ? (*byte | bit) : (*byte & ~bit);
  }
  return p;
}

// A row of pixels from x0 to x1 (inclusive) on row y.
inline std::vector<std::pair<int, int>> InkRun(int x0, int x1, int y) {
  std::vector<std::pair<int, int>> points;
  for (int x = x0; x <= x1; ++x) points.emplace_back(x, y);
  return points;
}

// Definitions over a settings file and data folder of their own.
struct MotionStore {
  MotionStore() {
    folder.Create("zel-motion-test-");
    profile.SetPath(folder.path() + "zel.ini");
    defs.Load(profile, folder.path() + "data/");
  }
  PrivateFolder folder;
  ProfileFile profile;
  MotionDefinitions defs;
};

}  // namespace zel::testing
