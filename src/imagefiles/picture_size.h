// A picture's width and height as a size query reads them from a file's headers.
#pragma once

#include <cstdint>

namespace zel {

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

}  // namespace zel
