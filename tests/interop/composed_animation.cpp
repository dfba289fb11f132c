#include "interop/composed_animation.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>

#include "document/document_state.h"
#include "imagefiles/image_loader.h"

namespace zel::interop {
namespace {

bool SamePixel(const Rgba& a, const Rgba& b) {
  return (a.a == 0 && b.a == 0) || a == b;
}

std::string Describe(const Rgba& c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", c.r, c.g, c.b, c.a);
  return text;
}

std::string DescribeDelays(const std::vector<int>& delays) {
  std::string text;
  for (int d : delays) text += (text.empty() ? "" : " ") + std::to_string(d);
  return "[" + text + "]";
}

// A picture of the document in RGBA: indexed pictures through their table with
// `transparent` as alpha 0, deeper ones opaque. An index beyond the table shows as opaque
// black, which no comparison mistakes for a transparent pixel.
RgbaImage PictureToRgba(const PackedDib& picture, int transparent) {
  const DibHeader h = picture.Header();
  RgbaImage image(h.width, h.height);
  const int colors = static_cast<int>(picture.ColorCount());
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      Rgba& out = image.At(x, y);
      if (h.bitCount <= 8) {
        int index = PixelIndex(picture, x, y);
        if (index == transparent) {
          out = Rgba{};
        } else {
          out = index < colors ? ColorOf(picture, index) : Rgba{0, 0, 0, 255};
        }
      } else {
        const uint8_t* p = row + static_cast<size_t>(x) * (h.bitCount / 8);
        out = Rgba{p[2], p[1], p[0], 255};
      }
    }
  }
  return image;
}

}  // namespace

std::string DescribeLoop(int loop) {
  if (loop == kViewerLoopsForever) return "for ever";
  if (loop == kViewerPlaysOnce) return "once";
  return std::to_string(loop);
}

std::string DescribeDifference(const ComposedAnimation& want, const ComposedAnimation& have) {
  if (want.width != have.width || want.height != have.height) {
    return "screen " + std::to_string(have.width) + "x" + std::to_string(have.height) +
           ", expected " + std::to_string(want.width) + "x" + std::to_string(want.height);
  }
  if (want.frames.size() != have.frames.size()) {
    return std::to_string(have.frames.size()) + " frames, expected " +
           std::to_string(want.frames.size());
  }
  std::string text;
  for (size_t f = 0; f < want.frames.size(); ++f) {
    const RgbaImage& a = want.frames[f];
    const RgbaImage& b = have.frames[f];
    if (a.width != want.width || a.height != want.height || b.width != want.width ||
        b.height != want.height) {
      text += "frame " + std::to_string(f) + " is not of the screen's size; ";
      continue;
    }
    int differing = 0;
    std::string first;
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) {
        if (SamePixel(a.At(x, y), b.At(x, y))) continue;
        if (++differing <= 3) {
          first += " (" + std::to_string(x) + "," + std::to_string(y) + ") " +
                   Describe(b.At(x, y)) + " for " + Describe(a.At(x, y)) + ";";
        }
      }
    }
    if (differing > 0) {
      text += "frame " + std::to_string(f) + ": " + std::to_string(differing) +
              " pixels differ, e.g." + first + " ";
    }
  }
  // A still picture has no delay or loop count a viewer uses (Chromium gives a GIF of one
  // frame an endless repetition count, a PNG none).
  const bool still = want.frames.size() == 1;
  if (!still && want.delays != have.delays) {
    text += "delays " + DescribeDelays(have.delays) + ", expected " + DescribeDelays(want.delays) +
            "; ";
  }
  if (!still && want.loop != have.loop) {
    text += "loops " + DescribeLoop(have.loop) + ", expected " + DescribeLoop(want.loop) + "; ";
  }
  return text;
}

std::optional<ComposedAnimation> ComposeWithOurReader(const std::string& path) {
  DocumentState doc;
  if (!CreateDocumentContainer(doc, kFrameMaxHighest)) {
    ADD_FAILURE() << "no memory for the document";
    return std::nullopt;
  }
  LoadContext context;
  if (const Outcome result = LoadImageFile(doc, path, LoadMode::kOpen, context); !result.done()) {
    ADD_FAILURE() << "the loader refuses " << path << ": message "
                  << MessageNumber(result.message());
    return std::nullopt;
  }
  const FrameSet& set = *doc.frameSet;
  ComposedAnimation out;
  if (!IsAnimation(doc.kind)) {
    const DibHeader h = doc.currentPicture.Header();
    out.width = h.width;
    out.height = h.height;
    out.frames.push_back(PictureToRgba(doc.currentPicture, set.transparentIndex));
    out.delays.push_back(0);
    return out;
  }
  out.width = set.screenWidth;
  out.height = set.screenHeight;
  out.loop = set.loopCount == kPlayOnce      ? kViewerPlaysOnce
             : set.loopCount == kLoopForever ? kViewerLoopsForever
                                             : set.loopCount;
  for (int i = 0; i < set.count; ++i) {
    const Frame& frame = set.frame(i);
    out.delays.push_back(frame.delay);
    // Frames of a file without a global table stay as read, each in its own palette, at its
    // own place on the screen.
    const bool composed = set.paletteCount >= 0;
    RgbaImage picture =
        PictureToRgba(frame.image, composed ? set.transparentIndex : frame.transparentIndex);
    if (composed && picture.width == out.width && picture.height == out.height) {
      out.frames.push_back(std::move(picture));
      continue;
    }
    RgbaImage screen(out.width, out.height);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        int sx = x + frame.left;
        int sy = y + frame.top;
        if (sx < out.width && sy < out.height) screen.At(sx, sy) = picture.At(x, y);
      }
    }
    out.frames.push_back(std::move(screen));
  }
  return out;
}

std::optional<ComposedAnimation> ComposeWithLibpng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << "libpng cannot read " << path << ": " << image.message;
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  ComposedAnimation out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    ADD_FAILURE() << "libpng cannot decode " << path << ": " << image.message;
    png_image_free(&image);
    return std::nullopt;
  }
  RgbaImage frame(out.width, out.height);
  for (size_t i = 0; i < frame.pixels.size(); ++i) {
    frame.pixels[i] = {bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]};
  }
  out.frames.push_back(std::move(frame));
  out.delays.push_back(0);
  return out;
}

}  // namespace zel::interop
