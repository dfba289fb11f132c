#include "imagefiles/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagefiles/binary_alpha.h"
#include "imagefiles/memory_budget.h"
#include "imagefiles/png_rules.h"
#include "platform/file_io.h"

namespace zel {
namespace {

// Display gamma files with a gamma of their own are corrected for.
constexpr png_fixed_point kDisplayGamma = 220000;
// gAMA values taken as the display's own gamma 1/2.2 (45455): delivered as stored.
constexpr png_fixed_point kDisplayGammaLow = 45000;
constexpr png_fixed_point kDisplayGammaHigh = 46000;

// Where libpng's bytes come from (a bounded buffer or an open file), and whom the row
// callback tells about progress.
struct Source {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  std::FILE* file = nullptr;
  const PngProgress* progress = nullptr;
  uint32_t height = 0;
};

bool ReadSignature(Source& src, uint8_t* out) {
  if (src.file != nullptr) return std::fread(out, 1, 4, src.file) == 4;
  if (src.size < 4) return false;
  std::memcpy(out, src.data, 4);
  src.pos = 4;
  return true;
}

void ReadBytes(png_structp png, png_bytep out, size_t count) {
  auto* src = static_cast<Source*>(png_get_io_ptr(png));
  if (src->file != nullptr) {
    if (std::fread(out, 1, count, src->file) != count) png_error(png, "file ends early");
    return;
  }
  if (count > src->size - src->pos) png_error(png, "data ends early");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

// Errors return to the reader's setjmp; warnings are dropped.
[[noreturn]] void OnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

void OnRow(png_structp png, png_uint_32 row, int) {
  auto* src = static_cast<Source*>(png_get_io_ptr(png));
  if (src->height == 0) return;
  auto percent = static_cast<uint32_t>(uint64_t{row} * 100 / src->height);
  (*src->progress)(0, percent + 100u * 65536u);
}

// libpng's read and info structures, destroyed together.
struct PngHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngHandles() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~PngHandles() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
  PngHandles(const PngHandles&) = delete;
  PngHandles& operator=(const PngHandles&) = delete;
};

// What the decoding allocates; owned outside the setjmp frame so that a libpng error
// jumping back frees it by the ordinary destructors.
struct Work {
  PackedDib picture;
  std::vector<png_bytep> rows;
  std::vector<uint8_t> bgra;  // the rows of a file with an alpha channel or a tRNS colour
  PictureSize size;
};

// How a decoding treats transparency. A file whose transparent pixels are wholly
// transparent and the rest wholly opaque keeps them; any other is flattened.
enum class Transparency {
  kFlatten,       // mixed with the background colour
  kPaletteEntry,  // palette entries of alpha 0 become one transparent entry
  kAlphaChannel,  // decoded with alpha, kept when every alpha is 0 or 255
};

// The alpha decoding found alpha strictly between 0 and 255 (or none at 0): decode again,
// flattened.
constexpr int64_t kDecodeFlattened = 1;

// The file's palette entries whose tRNS alpha is 0, when every alpha is 0 or 255 and at
// least one is 0; empty otherwise.
std::vector<bool> TransparentEntries(png_structp png, png_infop info) {
  png_bytep alpha = nullptr;
  int count = 0;
  if (png_get_tRNS(png, info, &alpha, &count, nullptr) == 0 || alpha == nullptr || count < 1) {
    return {};
  }
  std::vector<bool> transparent(256, false);
  bool any = false;
  for (int i = 0; i < count && i < 256; ++i) {
    if (alpha[i] != 0 && alpha[i] != 255) return {};
    transparent[static_cast<size_t>(i)] = alpha[i] == 0;
    any = any || alpha[i] == 0;
  }
  if (!any) return {};
  return transparent;
}

Transparency ChooseTransparency(png_structp png, png_infop info, int colorType, uint64_t pixels,
                                bool keep) {
  if (!keep) return Transparency::kFlatten;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    return TransparentEntries(png, info).empty() ? Transparency::kFlatten
                                                 : Transparency::kPaletteEntry;
  }
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  const bool trnsColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (!alpha && !trnsColour) return Transparency::kFlatten;
  // Four bytes a pixel while decoding: beyond the budget the file is flattened as before.
  if (pixels * 4 > PictureMemoryBudget()) return Transparency::kFlatten;
  return Transparency::kAlphaChannel;
}

// Gray ramp for a grayscale file of `bitDepth` bits: 2, 4, 16 or 256 evenly spaced levels.
uint32_t GrayRamp(int bitDepth, Rgbq* table) {
  uint32_t count = bitDepth < 8 ? 1u << bitDepth : 256u;
  for (uint32_t i = 0; i < count; ++i) {
    auto level = static_cast<uint8_t>(i * 255 / (count - 1));
    table[i] = Rgbq{level, level, level, 0};
  }
  return count;
}

// Asks libpng for the transformations that turn any PNG into 8-bit indices or gray levels,
// or 24-bit blue-green-red pixels, with transparency flattened.
void RequestTransformations(png_structp png, png_infop info, int bitDepth, int colorType,
                            Transparency transparency) {
  if (transparency == Transparency::kAlphaChannel) {
    // Blue, green, red and alpha for every pixel: gray widened, tRNS turned into alpha.
    png_set_expand(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    RequestPngGamma(png, info);
    png_set_interlace_handling(png);
    return;
  }
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA) png_set_bgr(png);
  if (transparency == Transparency::kPaletteEntry) {
    // The indices as stored; the transparent entries are settled after reading.
    RequestPngGamma(png, info);
    png_set_interlace_handling(png);
    return;
  }

  png_color_16p fileBackground = nullptr;
  if (png_get_bKGD(png, info, &fileBackground) != 0) {
    png_set_background_fixed(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, PNG_FP_1);
  } else {
    // White in the delivered pixels: gray levels keep the file's depth below 8 bits, and
    // libpng widens the value itself for 16-bit files it strips.
    png_color_16 white{};
    white.red = white.green = white.blue = 255;
    white.gray = static_cast<png_uint_16>(bitDepth < 8 ? (1 << bitDepth) - 1 : 255);
    png_set_background_fixed(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, PNG_FP_1);
  }
  RequestPngGamma(png, info);
  png_set_interlace_handling(png);
}

// A palette file's pixels may name entries beyond its palette; the table grows (with
// black, as libpng shows them) so every pixel has a colour.
bool CoverAllIndices(PackedDib& picture) {
  uint32_t colors = picture.ColorCount();
  DibHeader h = picture.Header();
  uint8_t highest = 0;
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) highest = row[x] > highest ? row[x] : highest;
  }
  if (highest < colors) return true;
  Rgbq table[256] = {};
  std::memcpy(table, picture.ColorTable(), 4 * colors);
  PackedDib grown = NewPicture(h.width, h.height, 8, uint32_t{highest} + 1, table);
  if (!grown) return false;
  std::memcpy(grown.Pixels(), picture.Pixels(), picture.Stride() * static_cast<size_t>(h.height));
  picture = std::move(grown);
  return true;
}

// The palette file's transparent entries become the first of them: pixels of the others
// are renumbered to it, and its index goes into the "TIDX" trailer.
void SettlePaletteTransparency(PackedDib& picture, const std::vector<bool>& transparent) {
  int32_t first = -1;
  for (size_t i = 0; i < transparent.size(); ++i) {
    if (transparent[i]) {
      first = static_cast<int32_t>(i);
      break;
    }
  }
  if (first < 0 || static_cast<uint32_t>(first) >= picture.ColorCount()) return;
  const DibHeader h = picture.Header();
  for (int32_t y = 0; y < h.height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (transparent[row[x]]) row[x] = static_cast<uint8_t>(first);
    }
  }
  WriteTransparencyTrailer(picture, first);
}

// The colour transparent pixels get at first: the file's background colour when it has
// one, else white (COLORREF).
uint32_t FirstKeyColour(png_structp png, png_infop info) {
  png_color_16p background = nullptr;
  png_colorp palette = nullptr;
  int entries = 0;
  if (png_get_bKGD(png, info, &background) == 0) return 0xFFFFFF;
  if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
    if (png_get_PLTE(png, info, &palette, &entries) == 0 || background->index >= entries) {
      return 0xFFFFFF;
    }
    const png_color c = palette[background->index];
    return uint32_t{c.blue} << 16 | uint32_t{c.green} << 8 | c.red;
  }
  const int shift = png_get_bit_depth(png, info) > 8 ? 8 : 0;
  if ((png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) == 0) {
    const int depth = png_get_bit_depth(png, info);
    uint32_t gray = background->gray;
    if (depth < 8) gray = gray * 255 / ((1u << depth) - 1);
    gray = (gray >> shift) & 0xFF;
    return gray << 16 | gray << 8 | gray;
  }
  return uint32_t{static_cast<uint8_t>(background->blue >> shift)} << 16 |
         uint32_t{static_cast<uint8_t>(background->green >> shift)} << 8 |
         static_cast<uint8_t>(background->red >> shift);
}

// The libpng part of a read, behind its setjmp. Only trivially destructible objects live in
// this frame; everything allocated goes into `work`. With `keepTransparency` a file whose
// transparency a GIF can hold keeps it; kDecodeFlattened asks for another decoding without.
int64_t Decode(PngHandles& handles, Source& src, bool sizeOnly, bool keepTransparency, Work& work) {
  png_structp png = handles.png;
  png_infop info = handles.info;
  if (setjmp(png_jmpbuf(png))) return kPngCannotRead;

  png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
  png_set_read_fn(png, &src, ReadBytes);
  png_set_sig_bytes(png, 4);
  if (src.progress != nullptr && *src.progress) png_set_read_status_fn(png, OnRow);
  png_read_info(png, info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (bitDepth > 8) png_set_strip_16(png);
  if (sizeOnly) {
    if (width < 1 || height < 1 || width > kPngMaxSide || height > kPngMaxSide) return kPngEmpty;
    work.size = PictureSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return kPngReadOk;
  }
  if (width < 1 || height < 1) return kPngEmpty;

  uint64_t pixels = uint64_t{width} * height;
  uint64_t storedBits = pixels * png_get_channels(png, info) * static_cast<uint64_t>(bitDepth);
  // At most the memory budget of 24-bit rows.
  if (pixels * 3 > PictureMemoryBudget() ||
      storedBits / 8 > kMaxInflateRatio * src.size + kInflateSlack) {
    return kPngTooLarge;
  }

  const Transparency transparency =
      ChooseTransparency(png, info, colorType, pixels, keepTransparency);
  RequestTransformations(png, info, bitDepth, colorType, transparency);
  png_read_update_info(png, info);
  int pixelBits = png_get_channels(png, info) * png_get_bit_depth(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);

  if (transparency == Transparency::kAlphaChannel) {
    if (pixelBits != 32 || rowBytes != size_t{4} * width) return kPngUnsupportedDepth;
    try {
      work.bgra.resize(static_cast<size_t>(pixels) * 4);
      work.rows.resize(height);
    } catch (const std::bad_alloc&) {
      return kPngNoMemory;
    }
    for (png_uint_32 y = 0; y < height; ++y) work.rows[y] = &work.bgra[size_t{4} * width * y];
    src.height = height;
    png_read_image(png, work.rows.data());
    if (ClassifyAlpha(work.bgra.data(), rowBytes, static_cast<int32_t>(width),
                      static_cast<int32_t>(height)) != AlphaShape::kBinary) {
      return kDecodeFlattened;
    }
    work.picture = PictureFromBinaryAlpha(work.bgra.data(), rowBytes, static_cast<int32_t>(width),
                                          static_cast<int32_t>(height), FirstKeyColour(png, info));
    // Every colour taken by an opaque pixel: no key is left, the file is flattened.
    if (!work.picture) return kDecodeFlattened;
    return kPngReadOk;
  }

  if (pixelBits == 8) {
    Rgbq table[256] = {};
    uint32_t colors = 0;
    png_colorp palette = nullptr;
    int entries = 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png, info, &palette, &entries) != 0 &&
        entries >= 1 && entries <= 256) {
      colors = static_cast<uint32_t>(entries);
      for (uint32_t i = 0; i < colors; ++i) {
        table[i] = Rgbq{palette[i].blue, palette[i].green, palette[i].red, 0};
      }
    } else {
      colors = GrayRamp(bitDepth, table);
    }
    work.picture =
        NewPicture(static_cast<int32_t>(width), static_cast<int32_t>(height), 8, colors, table);
  } else if (pixelBits == 24) {
    work.picture = NewPicture(static_cast<int32_t>(width), static_cast<int32_t>(height), 24, 0);
  } else {
    return kPngUnsupportedDepth;
  }
  if (!work.picture) return kPngNoMemory;
  if (rowBytes > work.picture.Stride()) return kPngUnsupportedDepth;
  try {
    work.rows.resize(height);
  } catch (const std::bad_alloc&) {
    return kPngNoMemory;
  }
  // The picture's rows are bottom-up: PNG row y lands in picture row y counted from the top.
  for (png_uint_32 y = 0; y < height; ++y) work.rows[y] = work.picture.Row(static_cast<int>(y));

  src.height = height;
  png_read_image(png, work.rows.data());
  if (colorType == PNG_COLOR_TYPE_PALETTE && !CoverAllIndices(work.picture)) return kPngNoMemory;
  if (transparency == Transparency::kPaletteEntry) {
    SettlePaletteTransparency(work.picture, TransparentEntries(png, info));
  }
  return kPngReadOk;
}

int64_t DecodeOnce(Source& src, bool sizeOnly, bool keepTransparency, Work& work) {
  PngHandles handles;
  if (handles.info == nullptr) return kPngNoMemory;
  return Decode(handles, src, sizeOnly, keepTransparency, work);
}

int64_t Read(Source& src, bool sizeOnly, Work& work) {
  uint8_t signature[4];
  static constexpr uint8_t kSignature[4] = {137, 'P', 'N', 'G'};
  if (!ReadSignature(src, signature) || std::memcmp(signature, kSignature, 4) != 0) {
    return kPngCannotRead;
  }
  int64_t result = DecodeOnce(src, sizeOnly, true, work);
  if (result == kDecodeFlattened && src.file == nullptr) {
    // Partial transparency: the whole file again, mixed with the background as always.
    work = Work{};
    src.pos = 4;
    result = DecodeOnce(src, sizeOnly, false, work);
  }
  return result == kDecodeFlattened ? int64_t{kPngCannotRead} : result;
}

}  // namespace

int ReadPngData(PackedDib& out, const uint8_t* data, size_t size, const PngProgress& progress) {
  out.Reset();
  if (data == nullptr) return kPngCannotRead;
  Source src;
  src.data = data;
  src.size = size;
  src.progress = &progress;
  Work work;
  const int result = static_cast<int>(Read(src, false, work));
  if (result == kPngReadOk) out = std::move(work.picture);
  return result;
}

int ReadPngFile(PackedDib& out, const std::string& path, const PngProgress& progress) {
  out.Reset();
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes) return kPngCannotRead;
  return ReadPngData(out, bytes->data(), bytes->size(), progress);
}

int ReadPngDataSize(const uint8_t* data, size_t size, PictureSize* pictureSize) {
  if (data == nullptr) return kPngCannotRead;
  Source src;
  src.data = data;
  src.size = size;
  Work work;
  const int result = static_cast<int>(Read(src, true, work));
  if (result == kPngReadOk && pictureSize) *pictureSize = work.size;
  return result;
}

int ReadPngFileSize(const std::string& path, PictureSize* size) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileForReading(path), &std::fclose);
  if (!file) return kPngCannotRead;
  Source src;
  src.file = file.get();
  Work work;
  const int result = static_cast<int>(Read(src, true, work));
  if (result == kPngReadOk && size) *size = work.size;
  return result;
}

void RequestPngGamma(png_structp png, png_infop info) {
  png_fixed_point fileGamma = 0;
  bool hasGamma = png_get_gAMA_fixed(png, info, &fileGamma) != 0 && fileGamma > 0;
  bool srgb = png_get_valid(png, info, PNG_INFO_sRGB) != 0;
  if (hasGamma && !srgb && (fileGamma < kDisplayGammaLow || fileGamma > kDisplayGammaHigh)) {
    png_set_gamma_fixed(png, kDisplayGamma, fileGamma);
  } else {
    png_set_gamma_fixed(png, PNG_FP_1, PNG_FP_1);
  }
}

}  // namespace zel
