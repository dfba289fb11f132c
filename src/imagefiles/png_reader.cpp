#include "imagefiles/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"

namespace zel {
namespace {

// Deflate codes a 258-byte match in no less than two bits, so no zlib stream inflates to
// more than 1032 times its length; a picture needing more pixel bytes cannot be complete.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 64 * 1024;
// Width and height libpng accepts at all (its own default, stated here so the build of
// the library does not change it).
constexpr png_uint_32 kMaxSide = 1000000;
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
};

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
void RequestTransformations(png_structp png, png_infop info, int bitDepth, int colorType) {
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA) png_set_bgr(png);

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

  // Files without a gamma of their own, and those made for a display like ours, keep their
  // samples. Telling libpng both gammas are 1 also makes it mix transparent pixels with the
  // background on the stored values.
  png_fixed_point fileGamma = 0;
  bool hasGamma = png_get_gAMA_fixed(png, info, &fileGamma) != 0 && fileGamma > 0;
  bool srgb = png_get_valid(png, info, PNG_INFO_sRGB) != 0;
  if (hasGamma && !srgb && (fileGamma < kDisplayGammaLow || fileGamma > kDisplayGammaHigh)) {
    png_set_gamma_fixed(png, kDisplayGamma, fileGamma);
  } else {
    png_set_gamma_fixed(png, PNG_FP_1, PNG_FP_1);
  }
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

// The libpng part of a read, behind its setjmp. Only trivially destructible objects live in
// this frame; everything allocated goes into `work`.
int64_t Decode(PngHandles& handles, Source& src, bool sizeOnly, Work& work) {
  png_structp png = handles.png;
  png_infop info = handles.info;
  if (setjmp(png_jmpbuf(png))) return kPngCannotRead;

  png_set_user_limits(png, kMaxSide, kMaxSide);
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
  if (sizeOnly) return int64_t{height} * 65536 + width;
  if (width < 1 || height < 1) return kPngEmpty;

  uint64_t pixels = uint64_t{width} * height;
  uint64_t storedBits = pixels * png_get_channels(png, info) * static_cast<uint64_t>(bitDepth);
  // At most the memory budget of 24-bit rows.
  if (pixels * 3 > PictureMemoryBudget() ||
      storedBits / 8 > kMaxInflateRatio * src.size + kInflateSlack) {
    return kPngTooLarge;
  }

  RequestTransformations(png, info, bitDepth, colorType);
  png_read_update_info(png, info);
  int pixelBits = png_get_channels(png, info) * png_get_bit_depth(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);

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
  return kPngReadOk;
}

int64_t Read(Source& src, bool sizeOnly, PackedDib* out) {
  uint8_t signature[4];
  static constexpr uint8_t kSignature[4] = {137, 'P', 'N', 'G'};
  if (!ReadSignature(src, signature) || std::memcmp(signature, kSignature, 4) != 0) {
    return kPngCannotRead;
  }
  PngHandles handles;
  if (handles.info == nullptr) return kPngNoMemory;
  Work work;
  int64_t result = Decode(handles, src, sizeOnly, work);
  if (result == kPngReadOk && out != nullptr) *out = std::move(work.picture);
  return result;
}

}  // namespace

int ReadPngData(PackedDib& out, const uint8_t* data, size_t size, const PngProgress& progress) {
  out.Reset();
  if (data == nullptr) return kPngCannotRead;
  Source src;
  src.data = data;
  src.size = size;
  src.progress = &progress;
  return static_cast<int>(Read(src, false, &out));
}

int ReadPngFile(PackedDib& out, const std::string& path, const PngProgress& progress) {
  out.Reset();
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes) return kPngCannotRead;
  return ReadPngData(out, bytes->data(), bytes->size(), progress);
}

int64_t ReadPngDataSize(const uint8_t* data, size_t size) {
  if (data == nullptr) return kPngCannotRead;
  Source src;
  src.data = data;
  src.size = size;
  return Read(src, true, nullptr);
}

int64_t ReadPngFileSize(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileForReading(path),
                                                       &std::fclose);
  if (!file) return kPngCannotRead;
  Source src;
  src.file = file.get();
  return Read(src, true, nullptr);
}

}  // namespace zel
