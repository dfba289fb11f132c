// Frame bitmaps: the picture the writer draws, the reader's checks, pictures coming back
// from paint programs (renumbered tables, 24 bits), and damaged pictures and files.
#include "imagefiles/frame_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <random>

#include "imagefiles/default_palette.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::Rgb;

// `count` distinct colours, none of them black, so that the frames' colours never merge.
std::vector<Rgb> DistinctColors(int count) {
  std::vector<Rgb> colors;
  for (int i = 0; i < count; ++i) {
    colors.push_back(Rgb{static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7 % 256),
                         static_cast<uint8_t>(i / 2 + 1)});
  }
  return colors;
}

// An animation of `count` frames in one shared table; together the frames use every entry
// below `usedColors` (all of them by default) and no other.
std::unique_ptr<FrameSet> MakeAnimation(int count, int width, int height,
                                        const std::vector<Rgb>& table, int transparent,
                                        int usedColors = 0) {
  if (usedColors == 0) usedColors = static_cast<int>(table.size());
  auto frames = std::make_unique<FrameSet>(std::max(count, 16));
  frames->screenWidth = width;
  frames->screenHeight = height;
  frames->transparentIndex = transparent;
  frames->count = count;
  int next = 0;
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (size_t k = 0; k < pixels.size(); ++k) {
      pixels[k] = static_cast<uint8_t>((next++ * 37 + i) % usedColors);
    }
    frames->frame(i).image = testing::MakePicture(width, height, pixels, table);
    frames->frame(i).delay = (i * 1237 + 5) % 65536;
  }
  return frames;
}

uint8_t& Stored(PackedDib& image, int row, int column) {
  return image.Pixels()[static_cast<size_t>(row) * image.Stride() + column];
}
uint8_t Stored(const PackedDib& image, int row, int column) {
  return image.Pixels()[static_cast<size_t>(row) * image.Stride() + column];
}

// Row `row`, columns 0-15, as the writer draws numbers: index 0 for a 0 bit, `one` for a 1.
uint16_t NumberAt(const PackedDib& image, int row, uint8_t one) {
  uint16_t value = 0;
  for (int c = 0; c < 16; ++c) {
    uint8_t p = Stored(image, row, c);
    EXPECT_TRUE(p == 0 || p == one) << "row " << row << " column " << c << ": " << int(p);
    value = static_cast<uint16_t>((value << 1) | (p == one ? 1 : 0));
  }
  return value;
}

void SetNumber(PackedDib& image, int row, uint16_t value, uint8_t one) {
  for (int c = 0; c < 16; ++c) Stored(image, row, c) = (value & (0x8000 >> c)) ? one : 0;
}

// The check value over rows 0-5 and the delay rows, as far as the picture reaches.
uint16_t CheckOf(const PackedDib& image, uint8_t one) {
  uint16_t check = 0x3333;
  for (int row = 0; row < 6; ++row) check ^= NumberAt(image, row, one);
  int rows = image.Header().height;
  for (int i = 0; i < NumberAt(image, 4, one) && 7 + i < rows; ++i) {
    check ^= NumberAt(image, 7 + i, one);
  }
  return check;
}

// Background index of a frame bitmap: a margin pixel no mark ever covers.
uint8_t BackgroundOf(const PackedDib& image) {
  return Stored(image, 0, 20);
}

// A copy of the picture with its pixels and table entries renumbered by `order`.
PackedDib Renumbered(const PackedDib& image, const std::vector<uint8_t>& order) {
  DibHeader h = image.Header();
  std::vector<Rgbq> table(256);
  for (int i = 0; i < 256; ++i) table[order[i]] = image.ColorTable()[i];
  PackedDib out = NewPicture(h.width, h.height, 8, 256, table.data());
  for (int r = 0; r < h.height; ++r) {
    for (int c = 0; c < h.width; ++c) Stored(out, r, c) = order[Stored(image, r, c)];
  }
  return out;
}

// The picture as a paint program saves it in 24 bits.
PackedDib TrueColorCopy(const PackedDib& image) {
  DibHeader h = image.Header();
  PackedDib out = NewPicture(h.width, h.height, 24, 0);
  for (int r = 0; r < h.height; ++r) {
    uint8_t* d = out.Pixels() + static_cast<size_t>(r) * out.Stride();
    for (int c = 0; c < h.width; ++c) {
      Rgbq q = image.ColorTable()[Stored(image, r, c)];
      d[3 * c] = q.blue;
      d[3 * c + 1] = q.green;
      d[3 * c + 2] = q.red;
    }
  }
  return out;
}

// The frames read back show the written ones: same size, delays and colours, and a pixel is
// transparent in one exactly when it is in the other.
void ExpectSameAnimation(const FrameSet& written, const FrameSet& read, const std::string& label) {
  SCOPED_TRACE(label);
  ASSERT_EQ(read.count, written.count);
  EXPECT_EQ(read.screenWidth, written.frame(0).image.Header().width);
  EXPECT_EQ(read.screenHeight, written.frame(0).image.Header().height);
  EXPECT_EQ(read.transparentIndex < 0, written.transparentIndex < 0);
  for (int i = 0; i < read.count; ++i) {
    const PackedDib& a = written.frame(i).image;
    const PackedDib& b = read.frame(i).image;
    ASSERT_TRUE(b);
    EXPECT_EQ(read.frame(i).delay, written.frame(i).delay & 0xFFFF) << "frame " << i;
    EXPECT_EQ(read.frame(i).transparentIndex, read.transparentIndex);
    DibHeader ha = a.Header(), hb = b.Header();
    ASSERT_EQ(hb.width, ha.width);
    ASSERT_EQ(hb.height, ha.height);
    ASSERT_EQ(hb.bitCount, 8);
    int mismatches = 0;
    for (int y = 0; y < ha.height; ++y) {
      for (int x = 0; x < ha.width; ++x) {
        uint8_t pa = a.Row(y)[x], pb = b.Row(y)[x];
        ASSERT_LT(pb, b.ColorCount());
        bool ta = pa == written.transparentIndex, tb = pb == read.transparentIndex;
        bool same = ta == tb && (ta || a.ColorTable()[pa] == b.ColorTable()[pb]);
        if (!same && ++mismatches <= 3) {
          ADD_FAILURE() << "frame " << i << " pixel " << x << "," << y << ": " << int(pa)
                        << " became " << int(pb);
        }
      }
    }
  }
}

struct LayoutCase {
  int count, width, height, transparent;
  int32_t stride, rows;
};

TEST(FrameBitmap, DrawsNumbersMarksBordersAndFramesInPlace) {
  const LayoutCase cases[] = {
      {2, 10, 10, -1, 52, 18},   // 2 x 14 + 24, max(18, 9)
      {40, 16, 16, 3, 824, 47},  // every delay needs its own row
      {3, 5, 2, 0, 52, 10},      // 51 rounded up to a multiple of 4
      {2, 3, 3, 5, 40, 11},      // 38 rounded up
      {1, 1, 30, 1, 32, 38},
  };
  for (const LayoutCase& lc : cases) {
    SCOPED_TRACE(::testing::Message() << lc.count << " frames of " << lc.width << "x" << lc.height);
    auto frames = MakeAnimation(lc.count, lc.width, lc.height, DistinctColors(6), lc.transparent);
    PackedDib image = BuildFrameBitmapImage(*frames);
    ASSERT_TRUE(image);
    DibHeader h = image.Header();
    EXPECT_EQ(h.width, lc.stride);
    EXPECT_EQ(h.height, lc.rows);
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.sizeImage, uint32_t(lc.stride * lc.rows));
    EXPECT_EQ(h.clrUsed, 0u);
    EXPECT_EQ(h.clrImportant, 0u);
    ASSERT_EQ(image.Stride(), size_t(lc.stride));
    ASSERT_GE(image.size(), 1064u + h.sizeImage);

    // Every pixel, from the layout: background unless a number, mark, border or frame.
    const uint8_t one = BackgroundOf(image);
    EXPECT_EQ(one, 5);  // the brightest of DistinctColors' entries 1..5
    std::vector<std::vector<int>> expected(lc.rows, std::vector<int>(lc.stride, one));
    std::vector<uint16_t> numbers = {uint16_t(lc.stride),
                                     uint16_t(lc.rows),
                                     uint16_t(lc.width),
                                     uint16_t(lc.height),
                                     uint16_t(lc.count),
                                     uint16_t(lc.transparent),
                                     0};
    for (int i = 0; i < lc.count; ++i) numbers.push_back(uint16_t(frames->frame(i).delay));
    numbers[6] = std::accumulate(numbers.begin(), numbers.end(), uint16_t{0x3333},
                                 [](uint16_t a, uint16_t b) { return uint16_t(a ^ b); });
    for (size_t r = 0; r < numbers.size(); ++r) {
      for (int c = 0; c < 16; ++c) {
        if (!(numbers[r] & (0x8000 >> c))) expected[r][c] = 0;
      }
    }
    if (lc.transparent >= 0) expected[0][16] = lc.transparent;
    for (int r = 0; r < lc.rows; ++r) {
      if (r % 5 < 3) expected[r][17] = 0;
    }
    for (int i = 0; i < lc.count; ++i) {
      const int x = 24 + i * (lc.width + 4);
      for (int c = x - 1; c <= x + lc.width; ++c) expected[3][c] = expected[lc.height + 4][c] = 0;
      for (int r = 0; r < lc.height; ++r) {
        expected[4 + r][x - 1] = expected[4 + r][x + lc.width] = 0;
        const PackedDib& f = frames->frame(i).image;
        for (int c = 0; c < lc.width; ++c) expected[4 + r][x + c] = Stored(f, r, c);
      }
    }
    int wrong = 0;
    for (int r = 0; r < lc.rows; ++r) {
      for (int c = 0; c < lc.stride; ++c) {
        if (Stored(image, r, c) != expected[r][c] && ++wrong <= 5) {
          ADD_FAILURE() << "row " << r << " column " << c << ": " << int(Stored(image, r, c))
                        << ", expected " << expected[r][c];
        }
      }
    }
    EXPECT_EQ(NumberAt(image, 0, one), lc.stride);
    EXPECT_EQ(NumberAt(image, 5, one), lc.transparent < 0 ? 65535 : lc.transparent);
  }
}

TEST(FrameBitmap, BackgroundIsTheBrightestEntryAfterTheFirst) {
  struct Case {
    std::vector<Rgb> table;
    uint8_t background;
  } cases[] = {
      {{{0, 0, 0}, {255, 255, 255}, {128, 128, 128}}, 1},
      {{{255, 255, 255}, {9, 9, 9}, {10, 9, 9}}, 2},         // entry 0 never counts
      {{{0, 0, 0}, {10, 0, 0}, {0, 0, 20}, {0, 20, 0}}, 2},  // ties go to the lower index
      {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1},                // all black
      {{{0, 0, 0}, {1, 2, 3}}, 1},
  };
  for (const Case& c : cases) {
    auto frames = MakeAnimation(2, 3, 2, c.table, -1);
    PackedDib image = BuildFrameBitmapImage(*frames);
    ASSERT_TRUE(image);
    EXPECT_EQ(Stored(image, 5, 1), c.background);  // row 5 is 65535: no transparency
    EXPECT_EQ(BackgroundOf(image), c.background);
  }
}

TEST(FrameBitmap, DefaultTableStartsAndEndsWithTheSystemColors) {
  const auto& table = DefaultPalette();
  const uint32_t ends[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                             0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                             0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  auto rgb = [&](int i) { return table[i].red << 16 | table[i].green << 8 | table[i].blue; };
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(rgb(i), int(ends[i])) << i;
    EXPECT_EQ(rgb(246 + i), int(ends[10 + i])) << 246 + i;
  }
  std::vector<int> middle;
  for (int i = 10; i < 246; ++i) middle.push_back(rgb(i));
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        int cube = 51 * r << 16 | 51 * g << 8 | 51 * b;
        EXPECT_EQ(std::count(middle.begin(), middle.end(), cube), 1) << std::hex << cube;
      }
    }
  }
  int grays = 0;
  for (int i = 10; i < 246; ++i) {
    bool gray = table[i].red == table[i].green && table[i].green == table[i].blue;
    if (gray && table[i].red % 51 != 0) ++grays;
  }
  EXPECT_EQ(grays, 20);
}

TEST(FrameBitmap, TableAndFileForm) {
  std::vector<Rgb> colors = DistinctColors(5);
  auto frames = MakeAnimation(2, 10, 10, colors, 3);
  DibHeader first = frames->frame(0).image.Header();  // resolution travels with it
  first.xPelsPerMeter = 2835;
  first.yPelsPerMeter = 3780;
  frames->frame(0).image.SetHeader(first);
  PackedDib image = BuildFrameBitmapImage(*frames);
  ASSERT_TRUE(image);
  for (int i = 0; i < 256; ++i) {
    Rgbq expected = i < 5 ? Rgbq{colors[i].b, colors[i].g, colors[i].r, 0} : DefaultPalette()[i];
    EXPECT_EQ(image.ColorTable()[i], expected) << i;
  }

  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/anim.bmp";
  ASSERT_TRUE(WriteFrameBitmapFile(path, *frames, 0x00112233).done());
  auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes);
  const uint32_t imageSize = 52 * 18;
  ASSERT_EQ(bytes->size(), imageSize + 1078);
  const uint8_t* f = bytes->data();
  EXPECT_EQ(ReadLe16(f), 19778);
  EXPECT_EQ(ReadLe32(f + 2), imageSize + 1078);
  EXPECT_EQ(ReadLe32(f + 6), 0u);
  EXPECT_EQ(ReadLe32(f + 10), 1078u);
  const uint32_t header[] = {40, 52, 18, 1 | 8 << 16, 0, imageSize, 2835, 3780, 0, 0};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(ReadLe32(f + 14 + 4 * k), header[k]) << "field " << k;
  // Entry 3, the transparent one, shows the background colour in the file only.
  for (int i = 0; i < 256; ++i) {
    Rgbq expected = i == 3 ? Rgbq{0x11, 0x22, 0x33, 0} : image.ColorTable()[i];
    EXPECT_EQ(std::memcmp(f + 54 + 4 * i, &expected, 4), 0) << i;
  }
  EXPECT_EQ(std::memcmp(f + 1078, image.Pixels(), imageSize), 0);

  FrameSet read(16);
  ASSERT_TRUE(ReadFrameBitmapFile(path, read).done());
  ExpectSameAnimation(*frames, read, "file");
  EXPECT_TRUE(IsFrameBitmapFile(path));
  std::filesystem::remove_all(dir);
}

TEST(FrameBitmap, WriterRefusesWhatItCannotDraw) {
  struct Case {
    const char* name;
    MessageId code;
    std::function<void(FrameSet&)> spoil;
  } cases[] = {
      {"no frames", kMsgOutOfRange, [](FrameSet& fs) { fs.FreeFrames(); }},
      {"first frame missing", kMsgNoMemory, [](FrameSet& fs) { fs.frame(0).image.Reset(); }},
      {"later frame missing", kMsgNoMemory, [](FrameSet& fs) { fs.frame(1).image.Reset(); }},
      {"24-bit first frame", kMsgOutOfRange,
       [](FrameSet& fs) { fs.frame(0).image = NewPicture(4, 3, 24, 0); }},
      {"one-entry table", kMsgOutOfRange,
       [](FrameSet& fs) {
         fs.frame(0).image = testing::MakePicture(4, 3, std::vector<uint8_t>(12), {{1, 2, 3}});
       }},
      {"later frame of another size", kMsgOutOfRange,
       [](FrameSet& fs) { fs.frame(1).image = NewPicture(4, 4, 8, 2); }},
      {"stored width beyond 32767", kMsgOutOfRange,
       [](FrameSet& fs) {
         fs.count = 1;
         fs.frame(0).image = NewPicture(32737, 1, 8, 2);  // 32765, rounded up to 32768
       }},
      {"height beyond 65535", kMsgOutOfRange,
       [](FrameSet& fs) {
         fs.count = 1;
         fs.frame(0).image = NewPicture(1, 65528, 8, 2);
       }},
  };
  std::string dir = testing::MakeTempDir();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto frames = MakeAnimation(2, 4, 3, DistinctColors(3), -1);
    c.spoil(*frames);
    EXPECT_FALSE(BuildFrameBitmapImage(*frames));
    std::string path = dir + "/out.bmp";
    EXPECT_EQ(WriteFrameBitmapFile(path, *frames, 0), Outcome::Failed(c.code));
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  // The largest pictures that still fit the numbers are drawn.
  for (auto size : {std::pair{32736, 1}, std::pair{1, 65527}}) {
    FrameSet fs(16);
    fs.count = 1;
    fs.frame(0).image = NewPicture(size.first, size.second, 8, 2);
    PackedDib image = BuildFrameBitmapImage(fs);
    ASSERT_TRUE(image);
    EXPECT_TRUE(IsFrameBitmap(image));
  }
  auto frames = MakeAnimation(2, 4, 3, DistinctColors(3), -1);
  EXPECT_EQ(WriteFrameBitmapFile(dir + "/missing/out.bmp", *frames, 0), Outcome::Failed(kMsgFileError));
  std::filesystem::remove_all(dir);
}

TEST(FrameBitmap, ReadsBackWhatItWrote) {
  struct Case {
    int count, width, height, colors, transparent;
  } cases[] = {
      {2, 10, 10, 4, -1}, {3, 5, 7, 16, 2},   {5, 33, 4, 256, 255},
      {1, 1, 1, 2, 0},    {40, 16, 16, 7, 6},
  };
  for (const Case& c : cases) {
    std::string label = std::to_string(c.count) + " frames, " + std::to_string(c.colors) +
                        " colours, transparent " + std::to_string(c.transparent);
    auto frames =
        MakeAnimation(c.count, c.width, c.height, DistinctColors(c.colors), c.transparent);
    PackedDib image = BuildFrameBitmapImage(*frames);
    ASSERT_TRUE(image);
    EXPECT_TRUE(IsFrameBitmap(image));
    FrameSet read(64);
    read.paletteCount = 0;
    ASSERT_TRUE(ReadFrameBitmap(image, read).done()) << label;
    ExpectSameAnimation(*frames, read, label);
    EXPECT_EQ(read.paletteCount, 0);
    // Every entry is used, so the compact table is the frames' own and indices stay.
    EXPECT_EQ(read.transparentIndex, c.transparent);
    EXPECT_EQ(testing::PicturePixels(read.frame(0).image),
              testing::PicturePixels(frames->frame(0).image));
  }
  // A frame store smaller than the animation keeps the first frames, as the GIF reader does.
  auto many = MakeAnimation(40, 4, 4, DistinctColors(5), -1);
  FrameSet few(16);
  ASSERT_TRUE(ReadFrameBitmap(BuildFrameBitmapImage(*many), few).done());
  ASSERT_EQ(few.count, 16);
  EXPECT_EQ(few.frame(15).delay, many->frame(15).delay);
  EXPECT_EQ(testing::PicturePixels(few.frame(15).image),
            testing::PicturePixels(many->frame(15).image));
}

TEST(FrameBitmap, TransparencyFollowsTheMarkerPixel) {
  // A paint program renumbers the table; the transparent colour comes through column 16.
  auto frames = MakeAnimation(3, 8, 6, DistinctColors(12), 4);
  PackedDib image = BuildFrameBitmapImage(*frames);
  std::vector<uint8_t> order(256);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  ASSERT_NE(order[4], 4);
  FrameSet read(16);
  ASSERT_TRUE(ReadFrameBitmap(Renumbered(image, order), read).done());
  ExpectSameAnimation(*frames, read, "renumbered");

  // A transparent index no frame pixel uses reads back as none.
  auto unused = MakeAnimation(2, 5, 5, DistinctColors(6), 3, 3);
  image = BuildFrameBitmapImage(*unused);
  ASSERT_EQ(Stored(image, 0, 16), 3);
  ASSERT_TRUE(ReadFrameBitmap(image, read).done());
  EXPECT_EQ(read.transparentIndex, -1);
  EXPECT_EQ(read.frame(0).transparentIndex, -1);
}

TEST(FrameBitmap, NumbersThatDisagreeOrReachOutsideAreRefused) {
  // Two frames of 10 x 10: stored width 52, 18 rows; frames end at column 51.
  struct Case {
    const char* name;
    int row;
    uint16_t value;
    bool fixCheck;
    bool accepted;
  } cases[] = {
      {"delay changed, check row kept", 7, 99, false, false},
      {"delay changed, check row fixed", 7, 99, true, true},
      {"check row changed", 6, 0x1234, false, false},
      {"stored width beyond the picture", 0, 53, true, false},
      {"height beyond the picture", 1, 19, true, false},
      {"smaller stored width and height", 0, 40, true, true},
      {"no frames", 4, 0, true, false},
      {"more delay rows than rows", 4, 12, true, false},
      {"frame width 0", 2, 0, true, false},
      {"frame height 0", 3, 0, true, false},
      {"frames end at the last column", 2, 12, true, true},
      {"frames end past the last column", 2, 13, true, false},
      {"frames end at the last row", 3, 14, true, true},
      {"frames end past the last row", 3, 15, true, false},
      {"no transparency", 5, 65535, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto frames = MakeAnimation(2, 10, 10, DistinctColors(4), 2);
    PackedDib image = BuildFrameBitmapImage(*frames);
    const uint8_t one = BackgroundOf(image);
    SetNumber(image, c.row, c.value, one);
    if (c.fixCheck) SetNumber(image, 6, CheckOf(image, one), one);
    EXPECT_EQ(IsFrameBitmap(image), c.accepted);
    FrameSet read(16);
    read.frame(0).image = NewPicture(1, 1, 8, 2);
    read.count = 1;
    EXPECT_EQ(ReadFrameBitmap(image, read),
              c.accepted ? Outcome::Done() : Outcome::Failed(kMsgNotFrameBitmap));
    if (!c.accepted) {
      EXPECT_EQ(read.count, 0);
    }
  }
  auto frames = MakeAnimation(2, 10, 10, DistinctColors(4), 2);
  PackedDib image = BuildFrameBitmapImage(*frames);
  SetNumber(image, 7, 99, BackgroundOf(image));
  SetNumber(image, 6, CheckOf(image, BackgroundOf(image)), BackgroundOf(image));
  FrameSet read(16);
  ASSERT_TRUE(ReadFrameBitmap(image, read).done());
  EXPECT_EQ(read.frame(0).delay, 99);
}

TEST(FrameBitmap, PixelsBeyondTheTableAreRefused) {
  // The frames use entries 0..3; a table of 4 entries holds them, one of 3 does not.
  auto frames = MakeAnimation(2, 6, 6, DistinctColors(4), -1);
  PackedDib image = BuildFrameBitmapImage(*frames);
  DibHeader h = image.Header();
  for (uint32_t entries : {4u, 3u}) {
    PackedDib cut = NewPicture(h.width, h.height, 8, entries, image.ColorTable());
    std::memcpy(cut.Pixels(), image.Pixels(), h.sizeImage);
    FrameSet read(16);
    EXPECT_EQ(IsFrameBitmap(cut), entries == 4u) << entries;
    EXPECT_EQ(ReadFrameBitmap(cut, read),
              entries == 4u ? Outcome::Done() : Outcome::Failed(kMsgNotFrameBitmap))
        << entries;
  }
}

TEST(FrameBitmap, TrueColorPicturesAreIndexedAgain) {
  // A frame bitmap saved in 24 bits: 255 colours come back, 256 do not.
  for (int colors : {255, 256}) {
    auto frames = MakeAnimation(2, 16, 16, DistinctColors(colors), 7);
    PackedDib image = TrueColorCopy(BuildFrameBitmapImage(*frames));
    FrameSet read(16);
    EXPECT_EQ(IsFrameBitmap(image), colors == 255);
    ASSERT_EQ(ReadFrameBitmap(image, read),
              colors == 255 ? Outcome::Done() : Outcome::Failed(kMsgNotFrameBitmap))
        << colors;
    if (colors == 255) ExpectSameAnimation(*frames, read, "24-bit");
  }

  // Colours in scan order, the dashed mark's colour (row 0, column 17) swapped to entry 0.
  for (int distinct : {1, 2, 255, 256}) {
    SCOPED_TRACE(distinct);
    const int width = 20, height = 13;  // 260 pixels
    PackedDib image = NewPicture(width, height, 24, 0);
    auto colorOf = [](int k) { return Rgbq{uint8_t(k), uint8_t(k * 3), uint8_t(k / 7), 0}; };
    auto pixel = [&](int r, int c) { return std::min(r * width + c, distinct - 1); };
    for (int r = 0; r < height; ++r) {
      for (int c = 0; c < width; ++c) {
        Rgbq color = colorOf(pixel(r, c));
        std::memcpy(image.Pixels() + r * image.Stride() + 3 * c, &color, 3);
      }
    }
    PackedDib indexed = IndexTrueColorImage(image);
    if (distinct < 2 || distinct > 255) {
      EXPECT_FALSE(indexed);
      continue;
    }
    ASSERT_TRUE(indexed);
    ASSERT_EQ(indexed.Header().bitCount, 8);
    ASSERT_EQ(indexed.ColorCount(), uint32_t(distinct));
    const int mark = pixel(0, 17);
    for (int k = 0; k < distinct; ++k) {
      int position = k == mark ? 0 : k == 0 ? mark : k;
      EXPECT_EQ(indexed.ColorTable()[position], colorOf(k)) << k;
    }
    for (int r = 0; r < height; ++r) {
      for (int c = 0; c < width; ++c) {
        ASSERT_EQ(indexed.ColorTable()[Stored(indexed, r, c)], colorOf(pixel(r, c)));
      }
    }
  }
  EXPECT_FALSE(IndexTrueColorImage(NewPicture(4, 4, 8, 2)));
}

TEST(FrameBitmap, ConvertsAnEditedFileBackToEightBits) {
  auto frames = MakeAnimation(2, 5, 5, DistinctColors(9), -1);
  PackedDib trueColor = TrueColorCopy(BuildFrameBitmapImage(*frames));
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/edited.bmp";
  std::vector<uint8_t> bytes(14 + trueColor.size());
  bytes[0] = 'B';
  bytes[1] = 'M';
  WriteLe32(&bytes[2], uint32_t(bytes.size()));
  WriteLe32(&bytes[10], 54);
  std::memcpy(&bytes[14], trueColor.data(), trueColor.size());
  ASSERT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size()));
  ASSERT_TRUE(ConvertFrameBitmapFile(path));
  auto converted = ReadFileBytes(path);
  ASSERT_TRUE(converted);
  EXPECT_EQ(ReadLe16(converted->data() + 28), 8);
  FrameSet read(16);
  ASSERT_TRUE(ReadFrameBitmapFile(path, read).done());
  ExpectSameAnimation(*frames, read, "converted file");
  // Already 8 bits: nothing to convert, the file stays as it is.
  EXPECT_FALSE(ConvertFrameBitmapFile(path));
  EXPECT_EQ(ReadFileBytes(path), converted);
  EXPECT_EQ(ReadFrameBitmapFile(dir + "/none.bmp", read), Outcome::Failed(kMsgBadImageFile));
  EXPECT_FALSE(IsFrameBitmapFile(dir + "/none.bmp"));
  std::filesystem::remove_all(dir);
}

// Reads a damaged picture every way; whatever the bytes, the answers agree and the frames
// are whole.
void ReadEveryWay(const std::vector<uint8_t>& bytes) {
  PackedDib image = PackedDib::Allocate(bytes.size());
  if (image) std::memcpy(image.data(), bytes.data(), bytes.size());
  FrameSet read(8);
  bool recognised = IsFrameBitmap(image);
  const Outcome result = ReadFrameBitmap(image, read);
  ASSERT_EQ(result.done(), recognised);
  if (!result.done()) {
    ASSERT_EQ(read.count, 0);
    return;
  }
  ASSERT_GE(read.count, 1);
  for (int i = 0; i < read.count; ++i) {
    const PackedDib& f = read.frame(i).image;
    ASSERT_TRUE(f);
    ASSERT_EQ(f.Header().width, read.screenWidth);
    ASSERT_EQ(f.Header().height, read.screenHeight);
  }
  ASSERT_LT(read.transparentIndex, int(read.frame(0).image.ColorCount()));
}

// Rewrites row 6 of a damaged 8-bit picture to the check value of what its other number
// rows read as (a pixel unlike row 0 column 0 is a 1), when the block holds those rows.
void AgreeCheckRow(std::vector<uint8_t>& bytes) {
  if (bytes.size() < kDibHeaderSize) return;
  PackedDib image = PackedDib::Allocate(bytes.size());
  std::memcpy(image.data(), bytes.data(), bytes.size());
  DibHeader h = image.Header();
  const int rows = 12;
  if (h.size != kDibHeaderSize || h.bitCount != 8 || h.width <= 20 || h.height < rows ||
      image.ColorCount() > 256 || image.PixelOffset() + rows * image.Stride() > image.size()) {
    return;
  }
  const uint8_t zero = Stored(image, 0, 0);
  const uint8_t one = Stored(image, 0, 20) != zero ? Stored(image, 0, 20) : zero ^ 1;
  auto number = [&](int row) {
    uint16_t v = 0;
    for (int c = 0; c < 16; ++c) v = uint16_t(v << 1 | (Stored(image, row, c) != zero));
    return v;
  };
  uint16_t check = 0x3333;
  for (int row = 0; row < 6; ++row) check ^= number(row);
  for (int i = 0; i < number(4) && 7 + i < rows; ++i) check ^= number(7 + i);
  for (int c = 0; c < 16; ++c) Stored(image, 6, c) = (check & (0x8000 >> c)) ? one : zero;
  std::memcpy(bytes.data(), image.data(), bytes.size());
}

TEST(FrameBitmapRobustness, DamagedPicturesAndFilesReadOrFailCleanly) {
  auto small = MakeAnimation(2, 3, 3, DistinctColors(5), 2);
  auto tall = MakeAnimation(9, 1, 2, DistinctColors(3), -1);
  std::vector<PackedDib> seeds;
  seeds.push_back(BuildFrameBitmapImage(*small));
  seeds.push_back(TrueColorCopy(seeds[0]));
  seeds.push_back(BuildFrameBitmapImage(*tall));
  std::mt19937 rng(2026);
  for (const PackedDib& seed : seeds) {
    const std::vector<uint8_t> bytes(seed.data(), seed.data() + seed.size());
    const size_t pixels = seed.PixelOffset(), stride = seed.Stride();
    for (size_t n = 0; n <= bytes.size(); ++n) {
      ReadEveryWay(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    }
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> damaged = bytes;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) {
        // Mostly the header and the number rows, where the decisions are made.
        size_t at;
        switch (rng() % 3) {
          case 0:
            at = rng() % kDibHeaderSize;
            break;
          case 1:
            at = pixels + (rng() % 12) * stride + rng() % 18;
            break;
          default:
            at = rng() % damaged.size();
            break;
        }
        if (at < damaged.size()) damaged[at] ^= uint8_t(1u << (rng() % 8));
      }
      // Half the time the check row is made to agree, so the later checks are reached.
      if (round % 2 == 0) AgreeCheckRow(damaged);
      ReadEveryWay(damaged);
    }
  }

  // Files, through the BMP reader.
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/anim.bmp";
  ASSERT_TRUE(WriteFrameBitmapFile(path, *small, 0xC0C0C0).done());
  const std::vector<uint8_t> file = *ReadFileBytes(path);
  auto readFile = [&](const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    FrameSet read(8);
    const Outcome result = ReadFrameBitmapFile(path, read);
    ASSERT_TRUE(result.done() || result == Outcome::Failed(kMsgBadImageFile) ||
                result == Outcome::Failed(kMsgNotFrameBitmap));
    ASSERT_EQ(result.done(), IsFrameBitmapFile(path));
    if (!result.done()) {
      ASSERT_EQ(read.count, 0);
    }
    for (int i = 0; i < read.count; ++i) ASSERT_TRUE(read.frame(i).image);
  };
  for (size_t n = 0; n <= file.size(); n += 7) {
    readFile(std::vector<uint8_t>(file.begin(), file.begin() + n));
  }
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> damaged = file;
    for (int f = 0; f < 2; ++f) {
      size_t at = rng() % 2 ? rng() % 54 : rng() % damaged.size();
      damaged[at] ^= uint8_t(1u << (rng() % 8));
    }
    readFile(damaged);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
