#include "imagefiles/picture_pixels.h"

#include <algorithm>

namespace zel {

PictureWriteResult CheckPictureLayout(const PackedDib& picture, PictureLayout* layout) {
  if (!picture || picture.size() < kDibHeaderSize) return PictureWriteResult::kBadPicture;
  const DibHeader h = picture.Header();
  if (h.size != kDibHeaderSize || h.planes != 1 || h.compression != 0) {
    return PictureWriteResult::kBadPicture;
  }
  if (h.bitCount != 8 && h.bitCount != 24) return PictureWriteResult::kBadPicture;
  if (h.width <= 0 || h.height <= 0) return PictureWriteResult::kBadPicture;
  const uint32_t colors = picture.ColorCount();
  if (colors > 256) return PictureWriteResult::kBadPicture;
  const size_t stride = RowStride(h.bitCount, h.width);
  const size_t offset = kDibHeaderSize + 4 * static_cast<size_t>(colors);
  if (offset > picture.size() ||
      stride > (picture.size() - offset) / static_cast<size_t>(h.height)) {
    return PictureWriteResult::kBadPicture;
  }
  *layout = {h.bitCount, h.width, h.height, h.bitCount == 8 ? colors : 0};
  return PictureWriteResult::kOk;
}

void PictureToRgba(const PackedDib& picture, const PictureLayout& layout,
                   int32_t transparentIndex, std::vector<uint8_t>& out) {
  const size_t width = static_cast<size_t>(layout.width);
  out.resize(width * static_cast<size_t>(layout.height) * 4);
  // The 256 possible indices as RGBA, so that a row is one lookup per pixel.
  uint8_t lookup[256][4] = {};
  if (layout.bits == 8) {
    const Rgbq* table = picture.ColorTable();
    for (uint32_t i = 0; i < 256; ++i) {
      if (i < layout.colors) {
        lookup[i][0] = table[i].red;
        lookup[i][1] = table[i].green;
        lookup[i][2] = table[i].blue;
      }
      lookup[i][3] = static_cast<int32_t>(i) == transparentIndex ? 0 : 255;
    }
  }
  for (int32_t y = 0; y < layout.height; ++y) {
    const uint8_t* source = picture.Row(y);
    uint8_t* target = out.data() + static_cast<size_t>(y) * width * 4;
    if (layout.bits == 8) {
      for (size_t x = 0; x < width; ++x) std::copy_n(lookup[source[x]], 4, target + 4 * x);
    } else {
      for (size_t x = 0; x < width; ++x) {
        target[4 * x] = source[3 * x + 2];
        target[4 * x + 1] = source[3 * x + 1];
        target[4 * x + 2] = source[3 * x];
        target[4 * x + 3] = 255;
      }
    }
  }
}

PictureWriteResult CheckAnimationFrames(const FrameSet& frames,
                                        std::vector<PictureLayout>* layouts) {
  if (frames.count < 1) return PictureWriteResult::kBadPicture;
  layouts->assign(static_cast<size_t>(frames.count), PictureLayout{});
  for (int i = 0; i < frames.count; ++i) {
    PictureLayout& layout = (*layouts)[static_cast<size_t>(i)];
    if (CheckPictureLayout(frames.frame(i).image, &layout) != PictureWriteResult::kOk) {
      return PictureWriteResult::kBadPicture;
    }
    if (layout.width != (*layouts)[0].width || layout.height != (*layouts)[0].height) {
      return PictureWriteResult::kFramesDiffer;
    }
  }
  return PictureWriteResult::kOk;
}

uint32_t PlaysOfLoopCount(int32_t loopCount) {
  if (loopCount == kPlayOnce) return 1;
  if (loopCount <= 0) return 0;  // kLoopForever
  return static_cast<uint32_t>(std::min<int32_t>(loopCount, 65534)) + 1;
}

}  // namespace zel
