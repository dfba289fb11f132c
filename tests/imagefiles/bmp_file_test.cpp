#include "imagefiles/bmp_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "imagefiles/bmp_test_support.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::BmpParts;
using testing::BuildBmp;
using testing::Color;
using testing::PictureColors;

// Stored rows of a picture given top row first; `values` are palette indices, or the raw
// 16-, 24- (0xRRGGBB) or 32-bit pixel values.
std::vector<std::vector<uint8_t>> Rows(int bits, int width, int height,
                                       const std::vector<uint32_t>& values, bool topDown) {
  std::vector<std::vector<uint8_t>> rows;
  for (int i = 0; i < height; ++i) {
    int y = topDown ? i : height - 1 - i;
    std::vector<uint8_t> row((static_cast<size_t>(width) * bits + 7) / 8, 0);
    for (int x = 0; x < width; ++x) {
      uint32_t v = values[static_cast<size_t>(y) * width + x];
      switch (bits) {
        case 1:
          row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<uint8_t>(x % 2 ? v : v << 4);
          break;
        case 8:
          row[x] = static_cast<uint8_t>(v);
          break;
        case 24:
          row[3 * x] = static_cast<uint8_t>(v);
          row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
          row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
          break;
        default:
          for (int b = 0; b < bits / 8; ++b)
            row[bits / 8 * x + b] = static_cast<uint8_t>(v >> 8 * b);
      }
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<Rgbq> Palette(int n) {
  std::vector<Rgbq> p;
  for (int i = 0; i < n; ++i) {
    p.push_back(Rgbq{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                     static_cast<uint8_t>(i * 3 + 1), 0});
  }
  return p;
}

std::vector<uint32_t> Pattern(int count, int modulo) {
  std::vector<uint32_t> v;
  for (int i = 0; i < count; ++i) {
    uint32_t spread = static_cast<uint32_t>(i) * 2654435761u;  // all three bytes vary
    v.push_back(modulo > 256 ? spread >> 8 : static_cast<uint32_t>((i * 5 + i / 3) % modulo));
  }
  return v;
}

struct ReadCase {
  const char* name;
  BmpParts parts;                // rows are filled from `values`
  std::vector<uint32_t> values;  // top row first
  int outBits;
  std::vector<Color> expected;  // empty: the values looked up in the palette
};

ReadCase Indexed(const char* name, BmpParts parts, int colors) {
  std::vector<uint32_t> values = Pattern(parts.width * std::abs(parts.height), colors);
  int bits = parts.bits;
  return {name, std::move(parts), values, bits, {}};
}

BmpParts Parts(bool fileHeader, uint32_t headerSize, int w, int h, int bits,
               std::vector<Rgbq> palette = {}, uint32_t compression = 0,
               std::vector<uint32_t> masks = {}) {
  BmpParts p;
  p.fileHeader = fileHeader;
  p.headerSize = headerSize;
  p.width = w;
  p.height = h;
  p.bits = static_cast<uint16_t>(bits);
  p.palette = std::move(palette);
  p.compression = compression;
  p.masks = std::move(masks);
  return p;
}

std::vector<ReadCase> ReadCases() {
  std::vector<ReadCase> cases = {
      Indexed("1-bit", Parts(true, 40, 10, 3, 1, Palette(2)), 2),
      Indexed("1-bit, bare", Parts(false, 40, 10, 3, 1, Palette(2)), 2),
      Indexed("4-bit, core header", Parts(true, 12, 7, 2, 4, Palette(16)), 16),
      Indexed("4-bit, bare core header", Parts(false, 12, 7, 2, 4, Palette(16)), 16),
      Indexed("8-bit, 256 entries, 108-byte header", Parts(true, 108, 6, 4, 8, Palette(256)), 256),
      Indexed("8-bit top-down, 124-byte header", Parts(true, 124, 5, -3, 8, Palette(256)), 256),
      Indexed("8-bit, bare, top-down", Parts(false, 40, 5, -3, 8, Palette(256)), 256),
      Indexed("24-bit", Parts(true, 40, 5, 3, 24), 0x1000000),
      Indexed("24-bit, bare, top-down", Parts(false, 40, 5, -3, 24), 0x1000000),
      Indexed("24-bit, 124-byte header", Parts(true, 124, 3, 2, 24), 0x1000000),
      {"16-bit 5-5-5",
       Parts(true, 40, 3, 2, 16),
       {0x7FFF, 0x0000, 0x7C00, 0x03E0, 0x001F, 0x4210},
       24,
       {{248, 248, 248}, {0, 0, 0}, {248, 0, 0}, {0, 248, 0}, {0, 0, 248}, {128, 128, 128}}},
      {"16-bit 5-6-5 bit fields, top-down",
       Parts(true, 40, 3, -2, 16, {}, 3, {0xF800, 0x07E0, 0x001F}),
       {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0841, 0x8000},
       24,
       {{248, 252, 248}, {248, 0, 0}, {0, 252, 0}, {0, 0, 248}, {8, 8, 8}, {128, 0, 0}}},
      {"16-bit 5-6-5, masks in a 124-byte header",
       Parts(false, 124, 3, 1, 16, {}, 3, {0xF800, 0x07E0, 0x001F}),
       {0xFFFF, 0x07E0, 0x0841},
       24,
       {{248, 252, 248}, {0, 252, 0}, {8, 8, 8}}},
      {"16-bit, 124-byte header without bit fields keeps 5-5-5",
       Parts(true, 124, 2, 1, 16, {}, 0, {0xF800, 0x07E0, 0x001F}),
       {0x7FFF, 0x03E0},
       24,
       {{248, 248, 248}, {0, 248, 0}}},
      {"32-bit, alpha ignored",
       Parts(true, 40, 2, 2, 32),
       {0x80123456, 0xFF000000, 0x00FFFFFF, 0x01020304},
       24,
       {{0x12, 0x34, 0x56}, {0, 0, 0}, {255, 255, 255}, {2, 3, 4}}},
      {"32-bit bit fields in a 108-byte header, red in the low byte",
       Parts(true, 108, 2, -1, 32, {}, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}),
       {0xFF563412, 0x00000080},
       24,
       {{0x12, 0x34, 0x56}, {0x80, 0, 0}}},
      {"32-bit 10-bit fields keep their top 8 bits",
       Parts(false, 40, 1, 1, 32, {}, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}),
       {(0x3FFu << 20) | (0x200u << 10) | 0x001u},
       24,
       {{255, 128, 0}}},
  };
  // 24-bit values read back as themselves.
  for (ReadCase& c : cases) {
    if (c.parts.bits != 24 || !c.expected.empty()) continue;
    for (uint32_t v : c.values) {
      c.expected.push_back({uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
  }
  // A true-colour file may carry a table; it is skipped, however long.
  ReadCase table =
      Indexed("24-bit with a 300-entry table", Parts(false, 40, 3, 2, 24, Palette(300)), 0x1000000);
  table.parts.clrUsed = 300;
  for (uint32_t v : table.values) {
    table.expected.push_back({uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  }
  cases.push_back(table);
  // A file header pointing past a gap behind the table.
  ReadCase gap = Indexed("8-bit, gap before the pixels", Parts(true, 40, 5, 3, 8, Palette(4)), 4);
  gap.parts.clrUsed = 4;
  gap.parts.gap = 6;
  cases.push_back(gap);
  return cases;
}

TEST(BmpRead, ReadsEveryFormAsBottomUpPictureWithFortyByteHeader) {
  for (ReadCase c : ReadCases()) {
    SCOPED_TRACE(c.name);
    bool topDown = c.parts.height < 0;
    int width = c.parts.width;
    int height = std::abs(c.parts.height);
    c.parts.rows = Rows(c.parts.bits, width, height, c.values, topDown);
    std::vector<uint8_t> file = BuildBmp(c.parts);

    PackedDib picture;
    ASSERT_EQ(ReadBmpData(picture, file.data(), file.size()), kBmpReadOk);
    DibHeader h = picture.Header();
    uint32_t colors = c.outBits <= 8 ? static_cast<uint32_t>(c.parts.palette.size()) : 0;
    size_t image = RowStride(c.outBits, width) * height;
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, width);
    EXPECT_EQ(h.height, height);
    EXPECT_EQ(h.bitCount, c.outBits);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.sizeImage, image);
    EXPECT_EQ(h.clrUsed, colors);
    EXPECT_EQ(picture.size(), 40 + 4 * colors + image + kBmpSpareBytes);

    std::vector<Color> expected = c.expected;
    if (expected.empty()) {
      for (uint32_t v : c.values) {
        Rgbq q = c.parts.palette[v];
        expected.push_back({q.red, q.green, q.blue});
      }
    }
    EXPECT_EQ(PictureColors(picture), expected);
  }
}

std::vector<uint8_t> EightBitFile() {
  BmpParts p = Parts(true, 40, 5, 3, 8, Palette(4));
  p.clrUsed = 4;
  p.rows = Rows(8, 5, 3, Pattern(15, 4), false);
  return BuildBmp(p);  // 14 + 40 + 16 + 3 x 8 = 94 bytes
}

std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t offset, uint32_t value,
                          int width = 4) {
  for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> 8 * i);
  return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(BmpRead, RefusesTruncatedAndUnsupportedFiles) {
  const std::vector<uint8_t> good = EightBitFile();
  ASSERT_EQ(good.size(), 94u);
  BmpParts fields = Parts(true, 40, 2, 1, 16, {}, 3, {0xF800, 0x07E0, 0x001F});
  fields.rows = {{0, 0, 0, 0}};
  const std::vector<uint8_t> bitFields = BuildBmp(fields);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int code;
  } cases[] = {
      {"empty", {}, kBmpCannotRead},
      {"two bytes", {'B', 'M'}, kBmpCannotRead},
      {"inside the file header", Cut(good, 10), kBmpCannotRead},
      {"inside the information header", Cut(good, 14 + 20), kBmpCannotRead},
      {"inside the colour table", Cut(good, 14 + 40 + 8), kBmpCannotRead},
      {"one pixel byte short", Cut(good, good.size() - 1), kBmpCannotRead},
      {"inside the bit-field masks", Cut(bitFields, 14 + 40 + 6), kBmpCannotRead},
      {"pixel offset past the end", With(good, 10, 95), kBmpCannotRead},
      {"pixel offset leaves too few rows", With(good, 10, 80), kBmpCannotRead},
      {"huge width and height", With(With(good, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF), kBmpCannotRead},
      {"header size 64 (OS/2)", With(good, 14, 64), kBmpUnsupported},
      {"header size 52", With(good, 14, 52), kBmpUnsupported},
      {"header size 0", With(good, 14, 0), kBmpUnsupported},
      {"run-length 8-bit", With(good, 30, 1), kBmpUnsupported},
      {"run-length 4-bit", With(With(good, 28, 4, 2), 30, 2), kBmpUnsupported},
      {"bit fields on 8 bits", With(good, 30, 3), kBmpUnsupported},
      {"bit fields on 24 bits", With(With(good, 28, 24, 2), 30, 3), kBmpUnsupported},
      {"JPEG compression", With(With(good, 28, 24, 2), 30, 4), kBmpUnsupported},
      {"2 bits", With(good, 28, 2, 2), kBmpUnsupported},
      {"0 bits", With(good, 28, 0, 2), kBmpUnsupported},
      {"48 bits", With(good, 28, 48, 2), kBmpUnsupported},
      {"width 0", With(good, 18, 0), kBmpUnsupported},
      {"negative width", With(good, 18, static_cast<uint32_t>(-5)), kBmpUnsupported},
      {"height 0", With(good, 22, 0), kBmpUnsupported},
      {"most negative height", With(good, 22, 0x80000000u), kBmpUnsupported},
      {"257 colours", With(good, 46, 257), kBmpUnsupported},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackedDib picture = NewPicture(1, 1, 8, 2);  // any earlier contents are dropped
    EXPECT_EQ(ReadBmpData(picture, c.bytes.data(), c.bytes.size()), c.code);
    EXPECT_FALSE(picture);
  }
}

TEST(BmpRead, ImageSizeFieldIsReplacedByTheRowsSize) {
  // Writers put 0, the padded size, or something else here; the rows decide.
  for (uint32_t declared : {0u, 24u, 5u, 1000u}) {
    std::vector<uint8_t> bytes = With(EightBitFile(), 34, declared);
    PackedDib picture;
    ASSERT_EQ(ReadBmpData(picture, bytes.data(), bytes.size()), kBmpReadOk) << declared;
    EXPECT_EQ(picture.Header().sizeImage, 24u);
  }
}

TEST(BmpRead, FileAndSizeQuery) {
  std::string dir = testing::MakeTempDir();
  auto save = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  };
  std::vector<uint8_t> good = EightBitFile();
  PackedDib fromFile, fromData;
  ASSERT_EQ(ReadBmpFile(fromFile, save("a.bmp", good)), kBmpReadOk);
  ASSERT_EQ(ReadBmpData(fromData, good.data(), good.size()), kBmpReadOk);
  EXPECT_EQ(std::vector<uint8_t>(fromFile.data(), fromFile.data() + fromFile.size()),
            std::vector<uint8_t>(fromData.data(), fromData.data() + fromData.size()));
  EXPECT_EQ(ReadBmpFile(fromFile, dir + "/missing.bmp"), kBmpCannotRead);
  EXPECT_FALSE(fromFile);

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::optional<PictureSize> size;
  } cases[] = {
      {"40-byte header", BuildBmp(Parts(true, 40, 300, 200, 24)), PictureSize{300, 200}},
      {"bare core header", BuildBmp(Parts(false, 12, 640, 480, 24)), PictureSize{640, 480}},
      {"124-byte header, top-down", BuildBmp(Parts(true, 124, 7, -9, 24)), PictureSize{7, 9}},
      // The query reads the headers only: the rows of a 70000 x 1 picture need not be there.
      {"70000 x 1, headers only", Cut(BuildBmp(Parts(true, 40, 70000, 1, 24)), 54),
       PictureSize{70000, 1}},
      {"header size 64", BuildBmp(Parts(true, 64, 7, 9, 24)), std::nullopt},
      {"header cut short", Cut(BuildBmp(Parts(true, 40, 7, 9, 24)), 30), std::nullopt},
      {"width 0", BuildBmp(Parts(true, 40, 0, 9, 24)), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadBmpFileSize(save("size.bmp", c.bytes)), c.size) << c.name;
  }
  EXPECT_EQ(ReadBmpFileSize(dir + "/missing.bmp"), std::nullopt);
  std::filesystem::remove_all(dir);
}

TEST(BmpWrite, FileHeaderThenTheWholeBlockWithImageSizeZero) {
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    PackedDib picture = NewPicture(5, 3, bits, bits == 8 ? 3 : 0, Palette(3).data());
    for (int i = 0; i < 15 * bits / 8; ++i) picture.Pixels()[i] = static_cast<uint8_t>(i % 3);
    picture.data()[picture.size() - 1] = 0x5A;  // spare bytes travel along
    const uint32_t sizeImage = picture.Header().sizeImage;

    std::vector<uint8_t> file = BuildBmpFile(picture);
    ASSERT_EQ(file.size(), 14 + picture.size());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(ReadLe32(&file[2]), file.size());
    EXPECT_EQ(ReadLe32(&file[6]), 0u);
    EXPECT_EQ(ReadLe32(&file[10]), 14 + 40 + (bits == 8 ? 12u : 0u));
    EXPECT_EQ(ReadLe32(&file[14 + 20]), 0u);
    std::vector<uint8_t> block(picture.data(), picture.data() + picture.size());
    WriteLe32(&block[20], 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + 14));
    EXPECT_EQ(picture.Header().sizeImage, sizeImage);  // the caller's picture is untouched

    std::string dir = testing::MakeTempDir();
    ASSERT_TRUE(WriteBmpFile(picture, dir + "/out.bmp"));
    PackedDib back;
    ASSERT_EQ(ReadBmpFile(back, dir + "/out.bmp"), kBmpReadOk);
    EXPECT_EQ(PictureColors(back), PictureColors(picture));
    EXPECT_FALSE(WriteBmpFile(picture, dir + "/no/such/folder/out.bmp"));
    EXPECT_FALSE(WriteBmpFile(PackedDib(), dir + "/empty.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/empty.bmp"));
    std::filesystem::remove_all(dir);
  }
}

// Every truncation and thousands of bit flips of a few small files must read or fail
// cleanly; run under the sanitizers by scripts/test --sanitize.
TEST(BmpRobustness, TruncatedAndBitFlippedFilesReadOrFailCleanly) {
  std::vector<std::vector<uint8_t>> seeds = {EightBitFile()};
  BmpParts fields = Parts(true, 124, 3, -2, 16, {}, 3, {0xF800, 0x07E0, 0x001F});
  fields.rows = Rows(16, 3, 2, {1, 2, 3, 4, 5, 6}, true);
  seeds.push_back(BuildBmp(fields));
  BmpParts core = Parts(false, 12, 7, 2, 4, Palette(16));
  core.rows = Rows(4, 7, 2, Pattern(14, 16), false);
  seeds.push_back(BuildBmp(core));
  BmpParts masks = Parts(true, 40, 2, 2, 32, {}, 3, {0xFF0000, 0xFF00, 0xFF});
  masks.rows = Rows(32, 2, 2, {1, 2, 3, 4}, false);
  seeds.push_back(BuildBmp(masks));

  auto check = [](const std::vector<uint8_t>& bytes) {
    PackedDib picture;
    int rc = ReadBmpData(picture, bytes.data(), bytes.size());
    if (rc != kBmpReadOk) {
      ASSERT_FALSE(picture);
      return;
    }
    DibHeader h = picture.Header();
    ASSERT_GT(h.height, 0);
    ASSERT_EQ(picture.size(), 40 + 4 * picture.ColorCount() + h.sizeImage + kBmpSpareBytes);
    ASSERT_EQ(h.sizeImage, RowStride(h.bitCount, h.width) * h.height);
  };
  std::mt19937 rng(3303);
  for (const auto& seed : seeds) {
    for (size_t n = 0; n <= seed.size(); ++n) check(Cut(seed, n));
    for (int round = 0; round < 4000; ++round) {
      std::vector<uint8_t> bytes = seed;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
      check(bytes);
    }
  }
}

}  // namespace
}  // namespace zel
