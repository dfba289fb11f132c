#include "color/palette_reference.h"

#include <cctype>
#include <memory>
#include <utility>

#include "document/frame_set.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/png_reader.h"
#include "platform/file_io.h"

namespace zel {
namespace {

// The first letter after the last period of the file name, in lower case; 0 without one.
char TypeLetter(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || dot + 1 >= path.size()) return 0;
  if (slash != std::string::npos && slash > dot) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(path[dot + 1])));
}

bool FileExists(const std::string& path) {
  return IsRegularFile(path);
}

// Takes the first frame's picture and transparent index out of a frame set.
PackedDib TakeFirstFrame(FrameSet& frames, int32_t* transparent) {
  if (frames.count < 1) return {};
  Frame& first = frames.frame(0);
  *transparent = first.transparentIndex;
  return std::move(first.image);
}

// The reference picture of a file and its transparent index (-1 for none).
PackedDib ReadReferencePicture(const std::string& path, int frameMax, int32_t* transparent) {
  *transparent = -1;
  const char letter = TypeLetter(path);
  if (letter == 'g') {
    std::unique_ptr<FrameSet> frames = FrameSet::Create(ClampFrameMax(frameMax));
    if (!frames) return {};
    if (ReadGifFile(path, *frames, frames->capacity()) != kGifReadOk) return {};
    return TakeFirstFrame(*frames, transparent);
  }
  if (letter == 'b') {
    PackedDib image;
    if (ReadBmpFile(image, path) != kBmpReadOk) return {};
    if (IsFrameBitmap(image)) {
      std::unique_ptr<FrameSet> frames = FrameSet::Create(ClampFrameMax(frameMax));
      if (frames && ReadFrameBitmap(image, *frames).done()) {
        int32_t t = -1;
        PackedDib first = TakeFirstFrame(*frames, &t);
        if (first) {
          *transparent = t;
          return first;
        }
      }
      // Not readable as frames: the ordinary bitmap serves.
    }
    return image;
  }
  if (letter == 'p') {
    PackedDib image;
    if (ReadPngFile(image, path, {}) != kPngReadOk) return {};
    return image;
  }
  return {};
}

Rgbq ColorOf(uint32_t colorref) {
  Rgbq c;
  c.red = static_cast<uint8_t>(colorref & 0xFF);
  c.green = static_cast<uint8_t>((colorref >> 8) & 0xFF);
  c.blue = static_cast<uint8_t>((colorref >> 16) & 0xFF);
  return c;
}

bool IsPicture(const PackedDib& p, int bitCount) {
  if (!p || p.size() < kDibHeaderSize) return false;
  const DibHeader h = p.Header();
  if (h.bitCount != bitCount || h.width < 1 || h.height < 1) return false;
  return p.PixelOffset() + p.Stride() * static_cast<size_t>(h.height) <= p.size();
}

// Column and row (from the top) of a corner choice 1..4.
void CornerOf(int corner, int32_t width, int32_t height, int32_t* x, int32_t* y) {
  *x = (corner == 2 || corner == 4) ? width - 1 : 0;
  *y = (corner == 3 || corner == 4) ? height - 1 : 0;
}

}  // namespace

std::optional<std::vector<Rgbq>> ReadReferencePalette(const std::string& path, int frameMax) {
  int32_t transparent = -1;
  PackedDib image = ReadReferencePicture(path, frameMax, &transparent);
  if (!image || image.size() < kDibHeaderSize) return std::nullopt;
  const uint32_t k = ColorTableSize(image.data());
  if (k < 8 || k > 256) return std::nullopt;
  if (kDibHeaderSize + size_t{k} * sizeof(Rgbq) > image.size()) return std::nullopt;
  std::vector<Rgbq> colors(image.ColorTable(), image.ColorTable() + k);
  if (transparent >= 0 && static_cast<uint32_t>(transparent) < k) {
    colors.erase(colors.begin() + transparent);
  }
  for (Rgbq& c : colors) c.reserved = 0;
  return colors;
}

ReferenceConversion ReferencePaletteConvert(const PackedDib& current, const std::string& path,
                                            const ColorChoices& choices, uint32_t transparentColor,
                                            int frameMax) {
  ReferenceConversion result;
  if (!FileExists(path)) {
    result.message = Say(kReferenceMissingText);
    return result;
  }
  result.message = Say(kReferenceFailedText);
  std::optional<std::vector<Rgbq>> colors = ReadReferencePalette(path, frameMax);
  if (!colors) return result;
  if (!IsPicture(current, 24)) return result;
  PackedDib mapped;
  if (choices.noDiffusion) {
    mapped = MapNearest(current, *colors);
  } else {
    if (colors->size() < 16) return result;
    mapped = MapWithDiffusion(current, *colors);
  }
  if (!mapped) return result;
  result.conversion =
      ApplyTransparencyChoice(std::move(mapped), current, choices, transparentColor);
  if (result.conversion) result.message = nullptr;
  return result;
}

std::optional<IndexConversion> ApplyTransparencyChoice(PackedDib mapped, const PackedDib& current,
                                                       const ColorChoices& choices,
                                                       uint32_t transparentColor) {
  const int corner = choices.transparentCorner;
  if (corner < 1 || corner > 4) return AppendTransparentEntry(std::move(mapped), transparentColor);
  if (!IsPicture(mapped, 8)) return std::nullopt;
  IndexConversion result;
  const bool diffusion = !choices.noDiffusion;
  const DibHeader h = mapped.Header();
  if (diffusion) {
    const bool sameSize = IsPicture(current, 24) && current.Header().width == h.width &&
                          current.Header().height == h.height;
    if (!sameSize) {
      result.picture = std::move(mapped);
      return result;
    }
  }
  int32_t cx = 0, cy = 0;
  CornerOf(corner, h.width, h.height, &cx, &cy);
  const int32_t t = mapped.Row(cy)[cx];
  if (static_cast<uint32_t>(t) >= ColorTableSize(mapped.data())) return std::nullopt;
  mapped.ColorTable()[t] = ColorOf(transparentColor);
  if (diffusion) {
    const uint8_t* k = current.Row(cy) + size_t{3} * static_cast<size_t>(cx);
    const uint8_t kb = k[0], kg = k[1], kr = k[2];
    for (int32_t y = 0; y < h.height; ++y) {
      const uint8_t* src = current.Row(y);
      uint8_t* row = mapped.Row(y);
      for (int32_t x = 0; x < h.width; ++x) {
        const uint8_t* p = src + size_t{3} * static_cast<size_t>(x);
        if (p[0] == kb && p[1] == kg && p[2] == kr) {
          row[x] = static_cast<uint8_t>(t);
        } else if (row[x] == t) {
          if (x > 0 && row[x - 1] != t) {
            row[x] = row[x - 1];
          } else if (x < h.width - 1 && row[x + 1] != t) {
            row[x] = row[x + 1];
          }
        }
      }
    }
  }
  result.picture = std::move(mapped);
  result.transparentIndex = t;
  return result;
}

bool IsReferenceTooDeep(const std::string& path) {
  const char letter = TypeLetter(path);
  PackedDib image;
  if (letter == 'b') {
    if (ReadBmpFile(image, path) != kBmpReadOk) return false;
  } else if (letter == 'p') {
    if (ReadPngFile(image, path, {}) != kPngReadOk) return false;
  } else {
    return false;
  }
  return image && image.size() >= kDibHeaderSize && image.Header().bitCount > 8;
}

}  // namespace zel
