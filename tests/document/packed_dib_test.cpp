#include "document/packed_dib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zel {
namespace {

TEST(PackedDib, RowPaddingAndStride) {
  struct Case {
    int bits;
    int width;
    uint32_t padding;
  } cases[] = {{1, 1, 3}, {1, 32, 0}, {1, 33, 3}, {4, 7, 0},  {4, 9, 3},  {8, 3, 1},
               {8, 4, 0}, {16, 3, 2}, {24, 1, 1}, {24, 4, 0}, {32, 5, 0}, {2, 7, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(RowPadding(c.bits, c.width), c.padding) << c.bits << "/" << c.width;
    if (c.bits != 2) {
      EXPECT_EQ(RowStride(c.bits, c.width) % 4, 0u);
    }
  }
}

TEST(PackedDib, ColorTableSizeFromHeader) {
  uint8_t header[40] = {};
  struct Case {
    uint32_t size;
    uint16_t bits;
    uint32_t used;
    uint32_t entries;
  } cases[] = {{40, 1, 0, 2},  {40, 4, 0, 16}, {40, 8, 0, 256}, {40, 8, 17, 17}, {40, 24, 0, 0},
               {40, 16, 0, 0}, {40, 32, 0, 0}, {12, 4, 99, 16}, {12, 24, 0, 0}};
  for (const Case& c : cases) {
    std::memset(header, 0, sizeof header);
    WriteLe32(header, c.size);
    if (c.size == 12) {
      WriteLe16(header + 10, c.bits);
    } else {
      WriteLe16(header + 14, c.bits);
    }
    WriteLe32(header + 32, c.used);
    EXPECT_EQ(ColorTableSize(header), c.entries) << c.size << "/" << c.bits;
  }
}

TEST(PackedDib, OwnsOneZeroedBlockAndDuplicatesIt) {
  Rgbq table[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  PackedDib a = NewPicture(3, 2, 8, 2, table);
  ASSERT_TRUE(a);
  EXPECT_EQ(a.size(), 40u + 8 + 2 * 4 + kDibSpareBytes);
  EXPECT_EQ(a.Header().sizeImage, 8u);
  EXPECT_EQ(a.Header().clrUsed, 2u);
  a.Row(0)[2] = 1;  // top row, stored last
  EXPECT_EQ(a.Pixels()[4 + 2], 1);
  PackedDib b = DuplicateBlock(a);
  ASSERT_EQ(b.size(), a.size());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size()), 0);
  EXPECT_NE(a.data(), b.data());
  PackedDib moved = std::move(a);
  EXPECT_FALSE(a);
  EXPECT_TRUE(moved);
  EXPECT_FALSE(DuplicateBlock(PackedDib()));
  EXPECT_FALSE(PackedDib::Allocate(0));
  EXPECT_FALSE(NewPicture(0, 3, 8, 2));
}

// Builds a picture of the given depth from per-pixel indices.
PackedDib Indexed(int bits, int width, int height, const std::vector<int>& pixels, int entries) {
  std::vector<Rgbq> table(entries);
  for (int i = 0; i < entries; ++i) table[i] = Rgbq{uint8_t(i), uint8_t(i * 2), uint8_t(i * 3), 0};
  PackedDib p = NewPicture(width, height, bits, entries, table.data());
  for (int y = 0; y < height; ++y) {
    uint8_t* row = p.Row(y);
    for (int x = 0; x < width; ++x) {
      int v = pixels[y * width + x];
      if (bits == 8) row[x] = uint8_t(v);
      if (bits == 4) row[x / 2] |= uint8_t(x % 2 ? v : v << 4);
      if (bits == 1) row[x / 8] |= uint8_t(v << (7 - x % 8));
    }
  }
  return p;
}

TEST(PackedDib, NormalizeIndexedImage) {
  // A 1-bit picture with two entries expands to bytes and keeps both entries.
  PackedDib mono =
      Indexed(1, 10, 2, {1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2);
  PackedDib out = NormalizeIndexedImage(mono, 256);
  ASSERT_TRUE(out);
  EXPECT_FALSE(mono);
  EXPECT_EQ(out.Header().bitCount, 8);
  EXPECT_EQ(out.Header().clrUsed, 2u);
  EXPECT_EQ(out.Row(0)[0], 1);
  EXPECT_EQ(out.Row(0)[9], 1);
  EXPECT_EQ(out.Row(1)[0], 0);

  // A 4-bit picture using entries 3 and 9 only: two entries, 3 -> 0 and 9 -> 1.
  PackedDib four = Indexed(4, 3, 1, {9, 3, 9}, 16);
  out = NormalizeIndexedImage(four, 256);
  ASSERT_TRUE(out);
  EXPECT_EQ(out.Header().clrUsed, 2u);
  EXPECT_EQ(out.Header().clrImportant, 2u);
  EXPECT_EQ(out.ColorTable()[0].blue, 3);
  EXPECT_EQ(out.ColorTable()[1].blue, 9);
  EXPECT_EQ(out.Row(0)[0], 1);
  EXPECT_EQ(out.Row(0)[1], 0);

  // Too many used entries or a pixel beyond the table fail and leave the source alone.
  PackedDib many = Indexed(8, 4, 1, {0, 1, 2, 3}, 4);
  EXPECT_FALSE(NormalizeIndexedImage(many, 3));
  EXPECT_TRUE(many);
  PackedDib beyond = Indexed(8, 2, 1, {0, 5}, 4);
  EXPECT_FALSE(NormalizeIndexedImage(beyond, 256));
  EXPECT_TRUE(beyond);
  PackedDib deep = NewPicture(2, 2, 24, 0);
  EXPECT_FALSE(NormalizeIndexedImage(deep, 256));
}

TEST(PackedDib, TransparencyTrailer) {
  PackedDib p = NewPicture(3, 3, 8, 4);
  int32_t index = -1;
  EXPECT_FALSE(ReadTransparencyTrailer(p, &index));
  ASSERT_TRUE(WriteTransparencyTrailer(p, 3));
  ASSERT_TRUE(ReadTransparencyTrailer(p, &index));
  EXPECT_EQ(index, 3);
  size_t at = 40 + 16 + p.Header().sizeImage;
  EXPECT_EQ(std::memcmp(p.data() + at, "TIDX", 4), 0);

  PackedDib deep = NewPicture(3, 3, 24, 0);
  std::memcpy(deep.data() + 40 + deep.Header().sizeImage, "TIDX\x01\0\0\0", 8);
  EXPECT_FALSE(ReadTransparencyTrailer(deep, &index));

  // A block cut right behind the rows has no room for a trailer.
  PackedDib shortBlock = PackedDib::Allocate(40 + 16 + 12 + 4);
  shortBlock.SetHeader(p.Header());
  EXPECT_FALSE(WriteTransparencyTrailer(shortBlock, 1));
  EXPECT_FALSE(ReadTransparencyTrailer(shortBlock, &index));
}

}  // namespace
}  // namespace zel
