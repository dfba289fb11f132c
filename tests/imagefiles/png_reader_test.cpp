// The PNG reader on files written here by libpng, so each case holds exactly the chunks
// and samples it needs: every colour type and depth, transparency, gamma, the size query,
// progress, damaged and oversized files.
#include "imagefiles/png_reader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "document/colour_key.h"

#include "support/gif_builder.h"

namespace zel {
namespace {

// A PNG to write: one sample per channel in the file's bit depth, row-major.
struct PngFixture {
  const char* name = "";
  int width = 1;
  int height = 1;
  int colorType = PNG_COLOR_TYPE_GRAY;
  int bitDepth = 8;
  std::vector<int> samples;
  std::vector<png_color> palette;
  std::vector<uint8_t> paletteAlpha;        // tRNS of a palette file
  std::optional<png_color_16> transparent;  // tRNS of a gray or RGB file
  std::optional<png_color_16> background;   // bKGD
  png_fixed_point gamma = 0;                // gAMA when above 0
  bool interlaced = false;
};

int Channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

void AppendBytes(png_structp png, png_bytep data, size_t count) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}
void NoFlush(png_structp) {}

std::vector<uint8_t> PackRow(const PngFixture& f, int y) {
  int perRow = f.width * Channels(f.colorType);
  std::vector<uint8_t> row((static_cast<size_t>(perRow) * f.bitDepth + 7) / 8);
  for (int i = 0; i < perRow; ++i) {
    int v = f.samples[static_cast<size_t>(y) * perRow + i];
    if (f.bitDepth == 16) {
      row[2 * i] = static_cast<uint8_t>(v >> 8);
      row[2 * i + 1] = static_cast<uint8_t>(v);
    } else {
      int bit = i * f.bitDepth;
      row[bit / 8] |= static_cast<uint8_t>(v << (8 - f.bitDepth - bit % 8));
    }
  }
  return row;
}

std::vector<uint8_t> WritePng(const PngFixture& f, int level = 6) {
  std::vector<uint8_t> out;
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < f.height; ++y) rows.push_back(PackRow(f, y));
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  std::vector<png_color> palette = f.palette;
  std::vector<uint8_t> alpha = f.paletteAlpha;
  png_color_16 transparent = f.transparent.value_or(png_color_16{});
  png_color_16 background = f.background.value_or(png_color_16{});

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng cannot write " << f.name;
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_compression_level(png, level);
  // Some fixtures hold indices beyond their palette on purpose.
  png_set_check_for_invalid_index(png, 0);
  png_set_IHDR(png, info, f.width, f.height, f.bitDepth, f.colorType,
               f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!alpha.empty())
    png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  if (f.transparent) png_set_tRNS(png, info, nullptr, 0, &transparent);
  if (f.background) png_set_bKGD(png, info, &background);
  if (f.gamma > 0) png_set_gAMA_fixed(png, info, f.gamma);
  png_write_info(png, info);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Chunks of a PNG file, taken apart and put together again with fresh CRCs.
struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
void PutBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

std::vector<Chunk> SplitChunks(const std::vector<uint8_t>& file) {
  std::vector<Chunk> chunks;
  for (size_t pos = 8; pos + 12 <= file.size();) {
    uint32_t length = Be32(&file[pos]);
    chunks.push_back(
        {std::string(file.begin() + pos + 4, file.begin() + pos + 8),
         std::vector<uint8_t>(file.begin() + pos + 8, file.begin() + pos + 8 + length)});
    pos += 12 + length;
  }
  return chunks;
}

std::vector<uint8_t> JoinChunks(const std::vector<Chunk>& chunks) {
  std::vector<uint8_t> file = {137, 'P', 'N', 'G', 13, 10, 26, 10};
  for (const Chunk& c : chunks) {
    size_t start = file.size();
    file.resize(start + 12 + c.data.size());
    PutBe32(&file[start], static_cast<uint32_t>(c.data.size()));
    std::memcpy(&file[start + 4], c.type.data(), 4);
    if (!c.data.empty()) std::memcpy(&file[start + 8], c.data.data(), c.data.size());
    uint32_t crc =
        static_cast<uint32_t>(crc32(0, &file[start + 4], static_cast<uInt>(4 + c.data.size())));
    PutBe32(&file[start + 8 + c.data.size()], crc);
  }
  return file;
}

// Makes the CRC of every chunk that fits in the file right again, so damage reaches the
// chunk parsers instead of stopping at the first CRC check.
void FixCrcs(std::vector<uint8_t>& file) {
  for (size_t pos = 8; pos + 12 <= file.size();) {
    uint32_t length = Be32(&file[pos]);
    if (length > file.size() - pos - 12) break;
    PutBe32(&file[pos + 8 + length], static_cast<uint32_t>(crc32(0, &file[pos + 4], 4 + length)));
    pos += 12 + length;
  }
}

// Puts a chunk right behind IHDR, where every colour chunk may stand.
std::vector<uint8_t> InsertAfterHeader(const std::vector<uint8_t>& file, const Chunk& extra) {
  std::vector<Chunk> chunks = SplitChunks(file);
  chunks.insert(chunks.begin() + 1, extra);
  return JoinChunks(chunks);
}

struct Rgba {
  int r, g, b, a;
};

int To8(const PngFixture& f, int v) {
  if (f.bitDepth == 16) return v >> 8;
  return v * 255 / ((1 << f.bitDepth) - 1);
}

// A fixture pixel as stored, 8 bits per channel, with its transparency.
Rgba StoredPixel(const PngFixture& f, int x, int y) {
  int c = Channels(f.colorType);
  const int* s = &f.samples[(static_cast<size_t>(y) * f.width + x) * c];
  switch (f.colorType) {
    case PNG_COLOR_TYPE_PALETTE: {
      png_color e = f.palette[s[0]];
      int a = s[0] < static_cast<int>(f.paletteAlpha.size()) ? f.paletteAlpha[s[0]] : 255;
      return {e.red, e.green, e.blue, a};
    }
    case PNG_COLOR_TYPE_GRAY: {
      int g = To8(f, s[0]);
      return {g, g, g, f.transparent && f.transparent->gray == s[0] ? 0 : 255};
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
      int g = To8(f, s[0]);
      return {g, g, g, To8(f, s[1])};
    }
    case PNG_COLOR_TYPE_RGB: {
      bool clear = f.transparent && f.transparent->red == s[0] && f.transparent->green == s[1] &&
                   f.transparent->blue == s[2];
      return {To8(f, s[0]), To8(f, s[1]), To8(f, s[2]), clear ? 0 : 255};
    }
    default:
      return {To8(f, s[0]), To8(f, s[1]), To8(f, s[2]), To8(f, s[3])};
  }
}

// The colour a fixture pixel should show: mixed with bKGD, or white without one.
Rgba ExpectedPixel(const PngFixture& f, int x, int y) {
  Rgba p = StoredPixel(f, x, y);
  Rgba bg{255, 255, 255, 255};
  if (f.background) {
    const png_color_16& b = *f.background;
    if (f.colorType == PNG_COLOR_TYPE_PALETTE) {
      png_color e = f.palette[b.index];
      bg = {e.red, e.green, e.blue, 255};
    } else if ((f.colorType & PNG_COLOR_MASK_COLOR) == 0) {
      bg = {To8(f, b.gray), To8(f, b.gray), To8(f, b.gray), 255};
    } else {
      bg = {To8(f, b.red), To8(f, b.green), To8(f, b.blue), 255};
    }
  }
  auto mix = [&](int c, int back) {
    return static_cast<int>(std::lround((c * p.a + back * (255 - p.a)) / 255.0));
  };
  return {mix(p.r, bg.r), mix(p.g, bg.g), mix(p.b, bg.b), 255};
}

Rgba ShownPixel(const PackedDib& picture, int x, int y) {
  const uint8_t* row = picture.Row(y);
  if (picture.Header().bitCount == 8) {
    Rgbq e = picture.ColorTable()[row[x]];
    return {e.red, e.green, e.blue, 255};
  }
  return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
}

// Checks the picture's layout and every pixel's colour against the fixture.
void ExpectPicture(const PngFixture& f, const PackedDib& picture, int tolerance) {
  ASSERT_TRUE(picture);
  DibHeader h = picture.Header();
  bool indexed = (f.colorType & PNG_COLOR_MASK_COLOR) == 0 || f.colorType == PNG_COLOR_TYPE_PALETTE;
  EXPECT_EQ(h.width, f.width);
  EXPECT_EQ(h.height, f.height);
  ASSERT_EQ(h.bitCount, indexed ? 8 : 24);
  EXPECT_EQ(h.sizeImage, picture.Stride() * f.height);
  if (f.colorType == PNG_COLOR_TYPE_PALETTE) {
    EXPECT_EQ(h.clrUsed, f.palette.size());
  } else if (indexed) {
    // The plain ramp of the file's depth.
    uint32_t levels = f.bitDepth < 8 ? 1u << f.bitDepth : 256u;
    ASSERT_EQ(h.clrUsed, levels);
    for (uint32_t i = 0; i < levels; ++i) {
      auto v = static_cast<uint8_t>(i * 255 / (levels - 1));
      EXPECT_EQ(picture.ColorTable()[i], (Rgbq{v, v, v, 0})) << f.name << " entry " << i;
    }
  } else {
    EXPECT_EQ(h.clrUsed, 0u);
  }
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      Rgba want = ExpectedPixel(f, x, y);
      Rgba got = ShownPixel(picture, x, y);
      EXPECT_NEAR(got.r, want.r, tolerance) << f.name << " at " << x << "," << y;
      EXPECT_NEAR(got.g, want.g, tolerance) << f.name << " at " << x << "," << y;
      EXPECT_NEAR(got.b, want.b, tolerance) << f.name << " at " << x << "," << y;
      if (f.colorType == PNG_COLOR_TYPE_PALETTE) {
        EXPECT_EQ(picture.Row(y)[x], f.samples[static_cast<size_t>(y) * f.width + x]) << f.name;
      }
    }
  }
}

// Samples cycling through `values`, so neighbours in a packed byte differ.
std::vector<int> Cycle(int count, const std::vector<int>& values) {
  std::vector<int> s(count);
  for (int i = 0; i < count; ++i) s[i] = values[(i * 7 + i / 5) % values.size()];
  return s;
}

std::vector<png_color> Palette(int count) {
  std::vector<png_color> p(count);
  for (int i = 0; i < count; ++i) {
    p[i] = {static_cast<png_byte>(i * 37 + 5), static_cast<png_byte>(255 - i * 11),
            static_cast<png_byte>(i * 101 % 256)};
  }
  return p;
}

std::vector<int> Range(int count) {
  std::vector<int> v(count);
  for (int i = 0; i < count; ++i) v[i] = i;
  return v;
}

png_color_16 Gray16(int gray) {
  png_color_16 c{};
  c.gray = static_cast<png_uint_16>(gray);
  return c;
}
png_color_16 Rgb16(int r, int g, int b) {
  png_color_16 c{};
  c.red = static_cast<png_uint_16>(r);
  c.green = static_cast<png_uint_16>(g);
  c.blue = static_cast<png_uint_16>(b);
  return c;
}
png_color_16 Index16(int index) {
  png_color_16 c{};
  c.index = static_cast<png_byte>(index);
  return c;
}

PngFixture Opaque(const char* name, int type, int depth, int w, int h, std::vector<int> values,
                  bool interlaced = false) {
  PngFixture f;
  f.name = name;
  f.width = w;
  f.height = h;
  f.colorType = type;
  f.bitDepth = depth;
  f.samples = Cycle(w * h * Channels(type), values);
  f.interlaced = interlaced;
  if (type == PNG_COLOR_TYPE_PALETTE) f.palette = Palette(static_cast<int>(values.size()));
  return f;
}

TEST(PngReader, DeliversEveryOpaqueTypeAndDepthAsStored) {
  const int P = PNG_COLOR_TYPE_PALETTE, G = PNG_COLOR_TYPE_GRAY, C = PNG_COLOR_TYPE_RGB;
  // 16-bit samples whose low byte would round the top byte up: the depth is cut, not scaled.
  std::vector<int> wide = {0x0000, 0x12FF, 0x8080, 0xFE80, 0xFFFF, 0x7F7F};
  std::vector<PngFixture> cases = {
      Opaque("palette 1-bit", P, 1, 13, 3, Range(2)),
      Opaque("palette 2-bit, 3 entries", P, 2, 7, 4, Range(3)),
      Opaque("palette 4-bit", P, 4, 9, 5, Range(16)),
      Opaque("palette 8-bit", P, 8, 17, 16, Range(256)),
      Opaque("palette 4-bit interlaced", P, 4, 11, 10, Range(12), true),
      Opaque("gray 1-bit", G, 1, 19, 3, Range(2)),
      Opaque("gray 2-bit", G, 2, 6, 5, Range(4)),
      Opaque("gray 4-bit", G, 4, 5, 5, Range(16)),
      Opaque("gray 8-bit", G, 8, 16, 16, Range(256)),
      Opaque("gray 16-bit", G, 16, 3, 4, wide),
      Opaque("gray 2-bit interlaced", G, 2, 10, 9, Range(4), true),
      Opaque("rgb 8-bit", C, 8, 5, 3, {0, 1, 64, 128, 200, 254, 255}),
      Opaque("rgb 16-bit", C, 16, 7, 2, wide),
      Opaque("rgb 8-bit interlaced", C, 8, 9, 9, {3, 77, 128, 250}, true),
  };
  for (const PngFixture& f : cases) {
    std::vector<uint8_t> file = WritePng(f);
    PackedDib picture;
    ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk) << f.name;
    ExpectPicture(f, picture, 0);
  }
}

PngFixture WithAlpha(const char* name, int type, int depth, std::vector<int> samples) {
  PngFixture f;
  f.name = name;
  f.colorType = type;
  f.bitDepth = depth;
  f.width = static_cast<int>(samples.size()) / Channels(type);
  f.samples = std::move(samples);
  return f;
}

// Partial alpha (strictly between 0 and 255 somewhere) is mixed with bKGD, or white.
TEST(PngReader, FlattensTransparencyOntoTheBackground) {
  const int P = PNG_COLOR_TYPE_PALETTE, GA = PNG_COLOR_TYPE_GRAY_ALPHA,
            CA = PNG_COLOR_TYPE_RGB_ALPHA;
  std::vector<PngFixture> cases;
  // Clear, opaque and half-covered pixels.
  PngFixture rgba8 = WithAlpha("rgba 8-bit", CA, 8,
                               {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 128, 0, 0, 0, 64});
  cases.push_back(rgba8);
  rgba8.name = "rgba 8-bit over bKGD";
  rgba8.background = Rgb16(0, 0, 255);
  cases.push_back(rgba8);
  PngFixture rgba16 =
      WithAlpha("rgba 16-bit", CA, 16,
                {1000, 2000, 3000, 0, 0xFFFF, 0x8000, 0x1234, 0xFFFF, 0xC000, 0x4000, 0, 0x8000});
  cases.push_back(rgba16);
  rgba16.name = "rgba 16-bit over bKGD";
  rgba16.background = Rgb16(0x2000, 0x8080, 0xFFFF);
  cases.push_back(rgba16);
  PngFixture gray8 = WithAlpha("gray+alpha 8-bit", GA, 8, {50, 0, 50, 255, 200, 100, 0, 191});
  cases.push_back(gray8);
  gray8.name = "gray+alpha 8-bit over bKGD";
  gray8.background = Gray16(64);
  cases.push_back(gray8);
  cases.push_back(WithAlpha("gray+alpha 16-bit", GA, 16, {0x4000, 0, 0x8000, 0xFFFF, 0, 0x8000}));
  // tRNS chunks.
  PngFixture palette = WithAlpha("palette with tRNS", P, 4, {0, 1, 2, 3, 4, 1, 0});
  palette.palette = Palette(5);
  palette.paletteAlpha = {0, 128, 255, 30};
  cases.push_back(palette);
  palette.name = "palette with tRNS over bKGD";
  palette.background = Index16(4);
  cases.push_back(palette);
  for (const PngFixture& f : cases) {
    std::vector<uint8_t> file = WritePng(f);
    PackedDib picture;
    ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk) << f.name;
    ExpectPicture(f, picture, 1);
  }
}

// Files whose pixels are either wholly transparent or wholly opaque keep their transparent
// pixels: one transparent entry named by the "TIDX" trailer, the other pixels exactly as
// stored, bKGD or not.
TEST(PngReader, KeepsTransparencyAGifCanHold) {
  const int P = PNG_COLOR_TYPE_PALETTE, G = PNG_COLOR_TYPE_GRAY, GA = PNG_COLOR_TYPE_GRAY_ALPHA,
            C = PNG_COLOR_TYPE_RGB, CA = PNG_COLOR_TYPE_RGB_ALPHA;
  std::vector<PngFixture> cases;
  PngFixture gray2 = WithAlpha("gray 2-bit with tRNS", G, 2, {0, 1, 2, 3, 1, 1, 0, 2, 1});
  gray2.transparent = Gray16(1);
  cases.push_back(gray2);
  gray2.name = "gray 2-bit with tRNS over bKGD";
  gray2.background = Gray16(2);
  cases.push_back(gray2);
  PngFixture gray16 = WithAlpha("gray 16-bit with tRNS", G, 16, {0x1234, 0x8000, 0x1234, 0});
  gray16.transparent = Gray16(0x1234);
  cases.push_back(gray16);
  PngFixture rgb = WithAlpha("rgb 8-bit with tRNS", C, 8, {1, 2, 3, 1, 2, 4, 1, 2, 3, 9, 9, 9});
  rgb.transparent = Rgb16(1, 2, 3);
  cases.push_back(rgb);
  rgb.name = "rgb 8-bit with tRNS over bKGD";
  rgb.background = Rgb16(0, 128, 0);
  cases.push_back(rgb);
  PngFixture palette = WithAlpha("palette, entries 0 and 3 clear", P, 4, {0, 1, 2, 3, 4, 1, 0});
  palette.palette = Palette(5);
  palette.paletteAlpha = {0, 255, 255, 0};
  cases.push_back(palette);
  cases.push_back(WithAlpha("rgba 8-bit", CA, 8, {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 255}));
  cases.push_back(WithAlpha("rgba 16-bit", CA, 16,
                            {1000, 2000, 3000, 0, 0xFFFF, 0x8000, 0x1234, 0xFFFF, 0, 0, 0, 0}));
  cases.push_back(WithAlpha("gray+alpha 8-bit", GA, 8, {50, 0, 50, 255, 200, 255, 0, 0}));

  for (const PngFixture& f : cases) {
    std::vector<uint8_t> file = WritePng(f);
    PackedDib picture;
    ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk) << f.name;
    ASSERT_EQ(picture.Header().bitCount, 8) << f.name;
    int32_t t = -1;
    ASSERT_TRUE(ReadTransparencyTrailer(picture, &t)) << f.name;
    ASSERT_GE(t, 0) << f.name;
    ASSERT_LT(static_cast<uint32_t>(t), picture.ColorCount()) << f.name;
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) {
        const Rgba stored = StoredPixel(f, x, y);
        const int index = picture.Row(y)[x];
        if (stored.a == 0) {
          EXPECT_EQ(index, t) << f.name << " at " << x << "," << y;
          continue;
        }
        EXPECT_NE(index, t) << f.name << " at " << x << "," << y;
        const Rgba shown = ShownPixel(picture, x, y);
        EXPECT_EQ(shown.r, stored.r) << f.name << " at " << x << "," << y;
        EXPECT_EQ(shown.g, stored.g) << f.name << " at " << x << "," << y;
        EXPECT_EQ(shown.b, stored.b) << f.name << " at " << x << "," << y;
      }
    }
  }
}

// Beyond 255 opaque colours the picture stays full colour, its transparent pixels in a key
// colour no opaque pixel has: white when free, else another.
TEST(PngReader, ManyOpaqueColoursKeepTransparencyAsAKeyColour) {
  for (bool whiteTaken : {false, true}) {
    std::vector<int> samples;
    for (int i = 0; i < 300; ++i) {
      const bool clear = i % 7 == 0;
      const int v = whiteTaken && i == 1 ? 255 : i % 256;
      samples.insert(samples.end(), {v, whiteTaken && i == 1 ? 255 : i / 2, 255, clear ? 0 : 255});
    }
    PngFixture f = WithAlpha(whiteTaken ? "white taken" : "white free", PNG_COLOR_TYPE_RGB_ALPHA,
                             8, samples);
    f.width = 30;
    f.height = 10;
    std::vector<uint8_t> file = WritePng(f);
    PackedDib picture;
    ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk) << f.name;
    ASSERT_EQ(picture.Header().bitCount, 24) << f.name;
    const std::optional<uint32_t> key = ReadColourKey(picture);
    ASSERT_TRUE(key) << f.name;
    if (!whiteTaken) {
      EXPECT_EQ(*key, 0xFFFFFFu);
    }
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) {
        const Rgba stored = StoredPixel(f, x, y);
        const uint32_t shown = PixelColour(picture.Row(y) + 3 * x);
        if (stored.a == 0) {
          EXPECT_EQ(shown, *key) << f.name << " at " << x << "," << y;
        } else {
          EXPECT_NE(shown, *key) << f.name << " at " << x << "," << y;
          EXPECT_EQ(shown, static_cast<uint32_t>(stored.b << 16 | stored.g << 8 | stored.r));
        }
      }
    }
  }
}

// A file's one pixel, 128 in every channel, under the given colour chunks.
TEST(PngReader, KeepsStoredSamplesUnlessTheFileDeclaresAnotherGamma) {
  struct Case {
    const char* name;
    png_fixed_point gamma;
    bool srgb;
    int expected;
  };
  auto corrected = [](double fileGamma) {
    return static_cast<int>(std::lround(255 * std::pow(128 / 255.0, 1 / (fileGamma * 2.2))));
  };
  const Case cases[] = {
      {"no gAMA", 0, false, 128},
      {"gAMA 1/2.2", 45455, false, 128},
      {"gAMA 1/2.2, rounded by a writer", 45000, false, 128},
      {"sRGB over a gAMA 1.0", 100000, true, 128},
      {"gAMA 1.0", 100000, false, corrected(1.0)},
      {"gAMA 1/2", 50000, false, corrected(0.5)},
  };
  const int types[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_PALETTE};
  for (const Case& c : cases) {
    for (int type : types) {
      PngFixture f = Opaque(c.name, type, 8, 1, 1, {type == PNG_COLOR_TYPE_PALETTE ? 0 : 128});
      if (type == PNG_COLOR_TYPE_PALETTE) f.palette = {{128, 128, 128}};
      f.gamma = c.gamma;
      std::vector<uint8_t> file = WritePng(f);
      if (c.srgb) file = InsertAfterHeader(file, {"sRGB", {0}});
      PackedDib picture;
      ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk) << c.name;
      Rgba got = ShownPixel(picture, 0, 0);
      EXPECT_NEAR(got.r, c.expected, 1) << c.name << ", colour type " << type;
      EXPECT_EQ(got.r, got.g);
      EXPECT_EQ(got.r, got.b);
    }
  }
}

TEST(PngReader, SizeQueryStopsAtTheImageData) {
  std::string dir = testing::MakeTempDir();
  PngFixture f = Opaque("300 x 200", PNG_COLOR_TYPE_RGB, 16, 300, 200, {0, 40000, 65535});
  std::vector<uint8_t> file = WritePng(f);
  // The query needs nothing behind the first IDAT header.
  std::vector<Chunk> chunks = SplitChunks(file);
  size_t headerEnd = 8;
  for (const Chunk& c : chunks) {
    if (c.type == "IDAT") break;
    headerEnd += 12 + c.data.size();
  }
  std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(headerEnd + 8));
  // 70000 x 1: a width beyond 16 bits, cut behind the first IDAT header as well.
  std::vector<Chunk> wideChunks = SplitChunks(WritePng(Opaque("wide", PNG_COLOR_TYPE_GRAY, 8, 4, 1,
                                                              {0, 1, 2, 3})));
  PutBe32(&wideChunks[0].data[0], 70000);
  std::vector<uint8_t> wide = JoinChunks(wideChunks);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int expected;
    PictureSize size;
  };
  const Case cases[] = {
      {"whole file", file, kPngReadOk, {300, 200}},
      {"cut inside the image data", cut, kPngReadOk, {300, 200}},
      {"70000 x 1", wide, kPngReadOk, {70000, 1}},
      {"cut inside IHDR", std::vector<uint8_t>(file.begin(), file.begin() + 20), kPngCannotRead, {}},
      {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, kPngCannotRead, {}},
  };
  for (const Case& c : cases) {
    std::string path = dir + "/size.png";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(c.bytes.data()),
               static_cast<std::streamsize>(c.bytes.size()));
    PictureSize fromFile, fromData;
    EXPECT_EQ(ReadPngFileSize(path, &fromFile), c.expected) << c.name;
    EXPECT_EQ(ReadPngDataSize(c.bytes.data(), c.bytes.size(), &fromData), c.expected) << c.name;
    EXPECT_EQ(fromFile, c.size) << c.name;
    EXPECT_EQ(fromData, c.size) << c.name;
  }
  PictureSize missing;
  EXPECT_EQ(ReadPngFileSize(dir + "/missing.png", &missing), kPngCannotRead);
  PackedDib picture;
  EXPECT_EQ(ReadPngFile(picture, dir + "/missing.png", {}), kPngCannotRead);
  EXPECT_FALSE(picture);
  std::filesystem::remove_all(dir);
}

TEST(PngReader, ReportsProgressAfterEachRow) {
  std::string dir = testing::MakeTempDir();
  PngFixture f = Opaque("8 rows", PNG_COLOR_TYPE_GRAY, 8, 5, 8, {1, 2, 3});
  std::vector<uint8_t> file = WritePng(f);
  std::string path = dir + "/progress.png";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::vector<std::pair<uint32_t, uint32_t>> calls;
  PackedDib picture;
  ASSERT_EQ(ReadPngFile(picture, path, [&](uint32_t w, uint32_t l) { calls.emplace_back(w, l); }),
            kPngReadOk);
  ExpectPicture(f, picture, 0);
  ASSERT_EQ(calls.size(), 8u);
  for (uint32_t row = 1; row <= 8; ++row) {
    EXPECT_EQ(calls[row - 1].first, 0u);
    EXPECT_EQ(calls[row - 1].second, row * 100 / 8 + 100 * 65536) << row;
  }
  std::filesystem::remove_all(dir);
}

TEST(PngReader, RefusesDamagedFilesWithoutAPicture) {
  PngFixture f = Opaque("rgb", PNG_COLOR_TYPE_RGB, 8, 20, 20, {0, 99, 255});
  std::vector<uint8_t> file = WritePng(f);
  std::vector<Chunk> chunks = SplitChunks(file);
  ASSERT_EQ(chunks.back().type, "IEND");
  size_t idatEnd = file.size() - 12;
  auto prefix = [&](size_t n) { return std::vector<uint8_t>(file.begin(), file.begin() + n); };
  std::vector<uint8_t> badCrc = file;
  badCrc[29] ^= 1;  // the IHDR CRC
  std::vector<uint8_t> badSignature = file;
  badSignature[6] = 0;  // beyond the first four bytes, checked by libpng
  std::vector<Chunk> noData = chunks;
  noData.erase(noData.begin() + 1, noData.end() - 1);
  std::vector<Chunk> zeroWidth = chunks;
  PutBe32(zeroWidth[0].data.data(), 0);
  std::vector<Chunk> badDepth = chunks;
  badDepth[0].data[8] = 3;

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int expected;
  };
  const Case cases[] = {
      {"empty", {}, kPngCannotRead},
      {"not a PNG", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, kPngCannotRead},
      {"signature only", prefix(8), kPngCannotRead},
      {"broken signature", badSignature, kPngCannotRead},
      {"cut inside IHDR", prefix(20), kPngCannotRead},
      {"IHDR CRC wrong", badCrc, kPngCannotRead},
      {"zero width", JoinChunks(zeroWidth), kPngCannotRead},
      {"bit depth 3", JoinChunks(badDepth), kPngCannotRead},
      {"no IDAT", JoinChunks(noData), kPngCannotRead},
      {"cut inside IDAT", prefix(idatEnd - 40), kPngCannotRead},
      {"cut before the IDAT CRC", prefix(idatEnd - 4), kPngCannotRead},
      // All pixels are there; the missing end chunk is not needed.
      {"no IEND", prefix(idatEnd), kPngReadOk},
  };
  for (const Case& c : cases) {
    PackedDib picture;
    EXPECT_EQ(ReadPngData(picture, c.bytes.data(), c.bytes.size(), {}), c.expected) << c.name;
    EXPECT_EQ(static_cast<bool>(picture), c.expected == kPngReadOk) << c.name;
  }
}

TEST(PngReader, RefusesHugeDeclaredSizes) {
  struct Case {
    const char* name;
    uint32_t width, height;
    int depth, type;
    int expected;
  };
  const Case cases[] = {
      // 1.2 GB of 24-bit rows.
      {"20000 x 20000", 20000, 20000, 1, PNG_COLOR_TYPE_GRAY, kPngTooLarge},
      // Under the limit, but 40 MB of pixel bits cannot come out of a 100-byte file.
      {"18000 x 18000 in a tiny file", 18000, 18000, 1, PNG_COLOR_TYPE_GRAY, kPngTooLarge},
      {"wider than libpng accepts", 2000000, 1, 8, PNG_COLOR_TYPE_GRAY, kPngCannotRead},
  };
  for (const Case& c : cases) {
    PngFixture f = Opaque(c.name, c.type, c.depth, 4, 4, {0, 1});
    std::vector<Chunk> chunks = SplitChunks(WritePng(f));
    PutBe32(&chunks[0].data[0], c.width);
    PutBe32(&chunks[0].data[4], c.height);
    std::vector<uint8_t> file = JoinChunks(chunks);
    PackedDib picture;
    EXPECT_EQ(ReadPngData(picture, file.data(), file.size(), {}), c.expected) << c.name;
    EXPECT_FALSE(picture);
  }
  // The size query still answers for the big picture.
  PngFixture f = Opaque("big", PNG_COLOR_TYPE_GRAY, 1, 4, 4, {0, 1});
  std::vector<Chunk> chunks = SplitChunks(WritePng(f));
  PutBe32(&chunks[0].data[0], 20000);
  PutBe32(&chunks[0].data[4], 20000);
  std::vector<uint8_t> file = JoinChunks(chunks);
  PictureSize size;
  EXPECT_EQ(ReadPngDataSize(file.data(), file.size(), &size), kPngReadOk);
  EXPECT_EQ(size, (PictureSize{20000, 20000}));
}

TEST(PngReader, ReadsAFileCompressedToTheDeflateLimit) {
  // 16 MB of zeros squeezed as far as zlib goes: the size guard must let it through.
  PngFixture f = Opaque("4000 x 4000 zeros", PNG_COLOR_TYPE_GRAY, 8, 4000, 4000, {0});
  std::vector<uint8_t> file = WritePng(f, 9);
  ASSERT_LT(file.size(), 40000u);
  PackedDib picture;
  ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk);
  EXPECT_EQ(picture.Row(3999)[3999], 0);
  EXPECT_EQ(picture.Header().width, 4000);
}

TEST(PngReader, PaletteGrowsToCoverIndicesBeyondIt) {
  PngFixture f = Opaque("index beyond the palette", PNG_COLOR_TYPE_PALETTE, 4, 4, 1, {0});
  f.palette = Palette(3);
  f.samples = {0, 2, 9, 1};
  std::vector<uint8_t> file = WritePng(f);
  PackedDib picture;
  ASSERT_EQ(ReadPngData(picture, file.data(), file.size(), {}), kPngReadOk);
  ASSERT_EQ(picture.ColorCount(), 10u);
  EXPECT_EQ(picture.Row(0)[2], 9);
  EXPECT_EQ(picture.ColorTable()[9], (Rgbq{0, 0, 0, 0}));
  EXPECT_EQ(picture.ColorTable()[2],
            (Rgbq{f.palette[2].blue, f.palette[2].green, f.palette[2].red, 0}));
}

void LoadOrFailCleanly(const std::vector<uint8_t>& bytes) {
  PackedDib picture;
  int result = ReadPngData(picture, bytes.data(), bytes.size(), [](uint32_t, uint32_t) {});
  if (result != kPngReadOk) {
    ASSERT_FALSE(picture);
  } else {
    ASSERT_TRUE(picture);
    DibHeader h = picture.Header();
    ASSERT_GT(h.width, 0);
    ASSERT_GT(h.height, 0);
    ASSERT_TRUE(h.bitCount == 8 || h.bitCount == 24);
    ASSERT_LE(picture.PixelOffset() + picture.Stride() * h.height, picture.size());
    if (h.bitCount == 8) {
      // Every pixel names an entry of the table.
      for (int y = 0; y < h.height; ++y) {
        for (int x = 0; x < h.width; ++x) ASSERT_LT(picture.Row(y)[x], picture.ColorCount());
      }
    }
  }
  PictureSize size;
  ReadPngDataSize(bytes.data(), bytes.size(), &size);
}

TEST(PngReaderRobustness, TruncatedAndBitFlippedFilesLoadOrFailCleanly) {
  PngFixture palette = WithAlpha("palette", PNG_COLOR_TYPE_PALETTE, 4, Cycle(7 * 5, Range(6)));
  palette.height = 5;
  palette.width = 7;
  palette.palette = Palette(6);
  palette.paletteAlpha = {0, 100};
  palette.background = Index16(3);
  PngFixture rgba =
      Opaque("rgba", PNG_COLOR_TYPE_RGB_ALPHA, 16, 6, 5, {0, 300, 40000, 65535}, true);
  PngFixture gray = Opaque("gray", PNG_COLOR_TYPE_GRAY, 2, 9, 4, Range(4));
  gray.transparent = Gray16(2);
  gray.gamma = 100000;
  PngFixture rgb = Opaque("rgb", PNG_COLOR_TYPE_RGB, 8, 5, 6, {0, 128, 255});
  rgb.gamma = 70000;
  rgb.background = Rgb16(1, 2, 3);

  std::mt19937 rng(2026);
  for (const PngFixture& f : {palette, rgba, gray, rgb}) {
    std::vector<uint8_t> seed = WritePng(f);
    for (size_t n = 0; n <= seed.size(); ++n) {
      LoadOrFailCleanly(
          std::vector<uint8_t>(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n)));
    }
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> bytes = seed;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
      if (round % 4 != 0) FixCrcs(bytes);
      LoadOrFailCleanly(bytes);
    }
  }
}

}  // namespace
}  // namespace zel
