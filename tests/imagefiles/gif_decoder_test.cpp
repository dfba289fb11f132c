#include "imagefiles/gif_decoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include "imagefiles/gif_encoder.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::MakeTempDir;
using testing::PackCodes;
using testing::PicturePixels;
using testing::PixelColor;
using testing::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

int Read(const std::vector<uint8_t>& bytes, FrameSet& fs, int maxFrames = 100) {
  return ReadGifData(bytes.data(), bytes.size(), fs, maxFrames);
}

int Load(const std::vector<uint8_t>& bytes, FrameSet& fs, int maxFrames = 100) {
  return LoadGifAnimationData(bytes.data(), bytes.size(), fs, maxFrames);
}

TEST(GifDecoder, SinglePictureKeepsItsBlockSizeAndPalette) {
  std::vector<uint8_t> pixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};
  auto gif = GifBuilder(10, 8, kFour, 2).Control(0x05, 37, 3).Image(1, 2, 4, 3, pixels).Trailer();
  FrameSet fs(16);
  ASSERT_EQ(Load(gif.bytes(), fs), 0);
  ASSERT_EQ(fs.count, 1);
  EXPECT_EQ(fs.screenWidth, 10);
  EXPECT_EQ(fs.screenHeight, 8);
  EXPECT_EQ(fs.transparentIndex, 2);  // the background byte, untouched for a single frame
  EXPECT_EQ(fs.paletteCount, 4);
  const Frame& f = fs.frame(0);
  EXPECT_EQ(f.image.Header().width, 4);
  EXPECT_EQ(f.image.Header().height, 3);
  EXPECT_EQ(f.image.Header().clrUsed, 4u);
  EXPECT_EQ(f.left, 1);
  EXPECT_EQ(f.top, 2);
  EXPECT_EQ(f.delay, 37);
  EXPECT_EQ(f.transparentIndex, 3);
  EXPECT_EQ(f.delayOffset, 13 + 12 + 4);
  EXPECT_EQ(f.hasLocalPalette, 0);
  EXPECT_EQ(PicturePixels(f.image), pixels);
  EXPECT_EQ(PixelColor(f.image, 1, 0).r, 255);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.colorMap[i], 1) << i;
  EXPECT_EQ(f.colorMap[4], 0);
}

TEST(GifDecoder, GraphicControlPackedBytes) {
  struct Case {
    int packed;
    int disposal;
    int method;
    int transparent;
  } cases[] = {{0x00, 0, 0, -1}, {0x04, 0, 1, -1}, {0x08, 1, 2, -1}, {0x10, 2, 4, -1},
               {0x18, 3, 6, -1}, {0x09, 1, 2, 2},  {0x0C, 1, 3, -1}};
  for (const Case& c : cases) {
    auto gif = GifBuilder(2, 2, kFour).Control(c.packed, 5, 2).Image(0, 0, 2, 2, {0, 1, 2, 3});
    FrameSet fs(4);
    ASSERT_EQ(Read(gif.bytes(), fs), 0);
    EXPECT_EQ(fs.frame(0).disposal, c.disposal) << c.packed;
    EXPECT_EQ(fs.frame(0).disposalMethod, c.method) << c.packed;
    EXPECT_EQ(fs.frame(0).transparentIndex, c.transparent) << c.packed;
  }
}

TEST(GifDecoder, ImageWithoutControlBlockHasNoTransparency) {
  auto gif = GifBuilder(2, 1, kFour).Image(0, 0, 2, 1, {0, 1}).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(gif.bytes(), fs), 0);
  EXPECT_EQ(fs.frame(0).transparentIndex, -1);
  EXPECT_EQ(fs.frame(0).delay, 0);
}

TEST(GifDecoder, TwoFramesWithoutGlobalTableKeepTheirOwnShapes) {
  std::vector<Rgb> a = {{10, 20, 30}, {40, 50, 60}};
  std::vector<Rgb> b = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {9, 9, 9}};
  auto gif = GifBuilder(6, 6, {})
                 .Image(0, 0, 6, 6, std::vector<uint8_t>(36, 1), a)
                 .Image(0, 0, 6, 6, std::vector<uint8_t>(36, 3), b)
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Load(gif.bytes(), fs), 0);
  ASSERT_EQ(fs.count, 2);
  EXPECT_EQ(fs.paletteCount, -1);
  EXPECT_EQ(fs.transparentIndex, -1);
  EXPECT_EQ(fs.frame(0).hasLocalPalette, 1);
  EXPECT_EQ(fs.frame(0).image.Header().clrUsed, 2u);
  EXPECT_EQ(fs.frame(1).image.Header().clrUsed, 4u);
  EXPECT_EQ(PixelColor(fs.frame(1).image, 5, 5).r, 9);
}

TEST(GifDecoder, FramesWithoutGlobalTableThatOverlapAreComposed) {
  std::vector<Rgb> a = {{10, 20, 30}, {40, 50, 60}};
  std::vector<Rgb> b = {{1, 2, 3}, {4, 5, 6}};
  auto gif = GifBuilder(4, 4, {})
                 .Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1), a)
                 .Image(1, 1, 2, 2, {0, 1, 1, 0}, b)
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Load(gif.bytes(), fs), 0);
  ASSERT_EQ(fs.count, 2);
  EXPECT_GE(fs.paletteCount, 3);
  const PackedDib& second = fs.frame(1).image;
  ASSERT_EQ(second.Header().width, 4);
  EXPECT_EQ(PixelColor(second, 0, 0).r, 40);  // first frame shows around the second
  EXPECT_EQ(PixelColor(second, 1, 1).r, 1);
  EXPECT_EQ(PixelColor(second, 2, 1).r, 4);
}

TEST(GifDecoder, TransparentFramesWithoutGlobalTableAreComposed) {
  // Full-screen frames disposed to the background: composing keeps their transparency as
  // the animation's transparent index instead of losing it.
  std::vector<Rgb> a = {{255, 0, 0}, {0, 255, 0}};
  auto gif = GifBuilder(2, 1, {})
                 .Control(0x09, 10, 1)
                 .Image(0, 0, 2, 1, {0, 1}, a)
                 .Control(0x09, 10, 1)
                 .Image(0, 0, 2, 1, {1, 0}, a)
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Load(gif.bytes(), fs), 0);
  EXPECT_GE(fs.paletteCount, 2);
  EXPECT_EQ(fs.transparentIndex, 0);
  EXPECT_EQ(fs.frame(0).image.Row(0)[1], 0);
  EXPECT_EQ(fs.frame(1).image.Row(0)[0], 0);
  EXPECT_EQ(PixelColor(fs.frame(1).image, 1, 0).r, 255);
}

TEST(GifDecoder, MaximumFrameCountStopsReadingWithSuccess) {
  GifBuilder gif(2, 2, kFour);
  for (int i = 0; i < 10; ++i) gif.Control(0x08, i, 0).Image(0, 0, 2, 2, {0, 1, 2, 3});
  gif.Trailer();
  FrameSet fs(16);
  ASSERT_EQ(Load(gif.bytes(), fs, 3), 0);
  EXPECT_EQ(fs.count, 3);
  EXPECT_EQ(fs.frame(2).delay, 2);
}

TEST(GifDecoder, InterlacedRowsLandInPassOrder) {
  // Decoded row r is filled with value r; with 10 rows the passes put decoded rows on
  // picture rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  std::vector<uint8_t> decodeOrder;
  for (int r = 0; r < 10; ++r) decodeOrder.insert(decodeOrder.end(), 3, static_cast<uint8_t>(r));
  std::vector<Rgb> table(16, Rgb{0, 0, 0});
  auto data = LzwEncodePixels(decodeOrder.data(), decodeOrder.size(), 4, false);
  auto gif = GifBuilder(3, 10, table).RawImage(0, 0, 3, 10, 4, data, {}, true).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(gif.bytes(), fs), 0);
  const int pictureRowOfDecoded[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  for (int r = 0; r < 10; ++r) {
    EXPECT_EQ(fs.frame(0).image.Row(pictureRowOfDecoded[r])[0], r) << r;
  }
}

TEST(GifDecoder, InterlacedPicturesOfEveryHeightMatchTheirSource) {
  std::mt19937 rng(7);
  for (int h = 1; h <= 17; ++h) {
    std::vector<uint8_t> pixels(5 * h);
    for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 4);
    auto gif = GifBuilder(5, h, kFour).Image(0, 0, 5, h, pixels, {}, true).Trailer();
    FrameSet fs(4);
    ASSERT_EQ(Read(gif.bytes(), fs), 0) << h;
    EXPECT_EQ(PicturePixels(fs.frame(0).image), pixels) << h;
  }
}

TEST(GifDecoder, CodesSplitAcrossTinySubBlocks) {
  std::vector<uint8_t> pixels(40);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 % 4);
  auto data = LzwEncodePixels(pixels.data(), pixels.size(), 2, false);
  GifBuilder gif(8, 5, kFour);
  gif.Byte(0x2C);
  for (uint8_t b : {0, 0, 0, 0, 8, 0, 5, 0, 0}) gif.Byte(b);
  gif.Byte(2);
  for (uint8_t b : data) gif.Byte(1).Byte(b);  // one byte per sub-block
  gif.Byte(0).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(gif.bytes(), fs), 0);
  EXPECT_EQ(PicturePixels(fs.frame(0).image), pixels);
}

// A plain LZW encoder that lets the table fill up and keeps sending 12-bit codes without
// a clear code, as some writers do.
std::vector<uint8_t> EncodeWithoutClearing(const std::vector<uint8_t>& pixels, int codeSize) {
  const int clear = 1 << codeSize;
  std::map<std::pair<int, int>, int> table;
  int next = clear + 2, width = codeSize + 1;
  std::vector<std::pair<int, int>> codes = {{clear, width}};
  int current = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    auto it = table.find({current, pixels[i]});
    if (it != table.end()) {
      current = it->second;
      continue;
    }
    codes.push_back({current, width});
    if (next < 4096) {
      table[{current, pixels[i]}] = next++;
      if (next > (1 << width) && width < 12) ++width;
    }
    current = pixels[i];
  }
  codes.push_back({current, width});
  codes.push_back({clear + 1, width});
  return PackCodes(codes);
}

TEST(GifDecoder, FullTableWithoutClearKeepsTwelveBitCodes) {
  std::mt19937 rng(11);
  std::vector<uint8_t> pixels(200 * 150);
  for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 200);
  std::vector<Rgb> table(256, Rgb{1, 2, 3});
  auto gif = GifBuilder(200, 150, table)
                 .RawImage(0, 0, 200, 150, 8, EncodeWithoutClearing(pixels, 8))
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(gif.bytes(), fs), 0);
  EXPECT_EQ(PicturePixels(fs.frame(0).image), pixels);
}

TEST(GifDecoder, DamagedDataIsNotAnError) {
  std::vector<uint8_t> pixels(64);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i % 4);
  auto data = LzwEncodePixels(pixels.data(), pixels.size(), 2, false);

  // More codes than pixels: the picture is full and the rest is ignored.
  std::vector<uint8_t> twice(pixels);
  twice.insert(twice.end(), pixels.begin(), pixels.end());
  auto longData = LzwEncodePixels(twice.data(), twice.size(), 2, false);
  auto surplus = GifBuilder(8, 8, kFour).RawImage(0, 0, 8, 8, 2, longData).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(surplus.bytes(), fs), 0);
  EXPECT_EQ(PicturePixels(fs.frame(0).image), pixels);

  // A file cut in the middle of the second image keeps the first and part of the second.
  auto whole = GifBuilder(8, 8, kFour)
                   .Control(0x08, 1, 0)
                   .RawImage(0, 0, 8, 8, 2, data)
                   .Control(0x08, 1, 0)
                   .RawImage(0, 0, 8, 8, 2, data)
                   .Trailer()
                   .bytes();
  std::vector<uint8_t> cut(whole.begin(), whole.end() - 1 - 1 - data.size() / 2);
  FrameSet partial(4);
  ASSERT_EQ(Read(cut, partial), 0);
  ASSERT_EQ(partial.count, 2);
  std::vector<uint8_t> second = PicturePixels(partial.frame(1).image);
  EXPECT_EQ(std::vector<uint8_t>(second.begin(), second.begin() + 8),
            std::vector<uint8_t>(pixels.begin(), pixels.begin() + 8));
  EXPECT_EQ(second.back(), 0);

  // A file cut inside an image descriptor ends the frames there.
  size_t secondDescriptor = 13 + 12 + (8 + 10 + 1 + 1 + data.size() + 1) + 8;
  ASSERT_EQ(whole[secondDescriptor], 0x2C);
  std::vector<uint8_t> inDescriptor(whole.begin(), whole.begin() + secondDescriptor + 5);
  FrameSet one(4);
  EXPECT_EQ(Read(inDescriptor, one), 0);
  EXPECT_EQ(one.count, 1);
}

// Broken code streams that fill the picture before their fault shows are kept as far as
// the picture goes: a code beyond the table repeats the previous string plus its first
// byte, and a code never defined repeats the picture's first pixel.
TEST(GifDecoder, StreamsThatFillThePictureBeforeTheirFaultAreKept) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> codes;
    std::vector<uint8_t> pixels;
  } cases[] = {
      {"code beyond the table", {{4, 3}, {2, 3}, {7, 3}}, {2, 2, 2}},
      {"then a code never defined",
       {{4, 3}, {1, 3}, {4, 3}, {2, 3}, {7, 3}, {7, 3}},
       {1, 2, 2, 2, 1}},
  };
  for (const Case& c : cases) {
    const int width = static_cast<int>(c.pixels.size());
    auto gif = GifBuilder(width, 1, kFour).RawImage(0, 0, width, 1, 2, PackCodes(c.codes));
    FrameSet fs(4);
    ASSERT_EQ(Read(gif.Trailer().bytes(), fs), 0) << c.name;
    EXPECT_EQ(PicturePixels(fs.frame(0).image), c.pixels) << c.name;
  }
}

TEST(GifDecoder, ExtensionsAreSkippedAndLoopingIsSeen) {
  auto gif = GifBuilder(2, 1, kFour).Comment("made by hand").Byte(0x21).Byte(0xFF).Byte(11);
  for (char c : std::string("XMP DataXMP")) gif.Byte(static_cast<uint8_t>(c));
  gif.Byte(2).Byte(1).Byte(2).Byte(0);
  gif.Looping().Image(0, 0, 2, 1, {3, 1}).Image(0, 0, 2, 1, {1, 3}).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(Read(gif.bytes(), fs), 0);
  EXPECT_EQ(fs.count, 2);
  EXPECT_EQ(fs.loop, 1);

  FrameSet noLoop(4);
  auto plain = GifBuilder(2, 1, kFour).Image(0, 0, 2, 1, {3, 1}).Trailer();
  ASSERT_EQ(Read(plain.bytes(), noLoop), 0);
  EXPECT_EQ(noLoop.loop, 0);
}

// The count of the looping extension, under either name; the last one in the file holds.
TEST(GifDecoder, LoopCountComesFromTheLoopingExtension) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> blocks;
    int32_t loopCount;
    int32_t loop;
  } cases[] = {
      {"no looping extension: plays once", {}, kPlayOnce, 0},
      {"count 0: for ever", {{0, "NETSCAPE2.0"}}, kLoopForever, 1},
      {"count 3", {{3, "NETSCAPE2.0"}}, 3, 1},
      {"the largest count", {{65535, "NETSCAPE2.0"}}, 65535, 1},
      {"the older name", {{5, "ANIMEXTS1.0"}}, 5, 0},
      {"the last extension holds", {{2, "NETSCAPE2.0"}, {7, "NETSCAPE2.0"}}, 7, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gif = GifBuilder(2, 1, kFour);
    for (auto [count, name] : c.blocks) gif.Looping(count, name);
    gif.Image(0, 0, 2, 1, {3, 1}).Image(0, 0, 2, 1, {1, 3}).Trailer();
    FrameSet fs(4);
    ASSERT_EQ(Read(gif.bytes(), fs), 0);
    EXPECT_EQ(fs.loopCount, c.loopCount);
    EXPECT_EQ(fs.loop, c.loop);
    // Each frame keeps its image block's own size.
    EXPECT_EQ(fs.frame(1).blockWidth, 2);
    EXPECT_EQ(fs.frame(1).blockHeight, 1);
  }
  // A new set, a cleared one and one that takes another's loop for ever unless told.
  FrameSet fresh(2);
  EXPECT_EQ(fresh.loopCount, kLoopForever);
  FrameSet read(4);
  ASSERT_EQ(Read(GifBuilder(2, 1, kFour).Looping(9).Image(0, 0, 2, 1, {1, 1}).Trailer().bytes(),
                 read),
            0);
  fresh.TakeFrom(read);
  EXPECT_EQ(fresh.loopCount, 9);
  fresh.Clear();
  EXPECT_EQ(fresh.loopCount, kLoopForever);
}

TEST(GifDecoder, FailuresFreeEverythingAndReportTheirCode) {
  std::vector<uint8_t> ok = GifBuilder(2, 2, kFour).Image(0, 0, 2, 2, {0, 1, 2, 3}).bytes();
  auto withCodes = [&](std::vector<std::pair<int, int>> codes) {
    auto b = GifBuilder(2, 2, kFour).Image(0, 0, 2, 2, {0, 1, 2, 3});
    b.RawImage(0, 0, 4, 4, 2, PackCodes(codes));
    return b.Trailer().bytes();
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int code;
  } cases[] = {
      {"signature", GifBuilder(2, 2, kFour, 0, "GIF88a").Trailer().bytes(), kGifBadSignature},
      {"not a gif", {'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, kGifBadSignature},
      {"empty", {}, kGifBadSignature},
      {"extension runs out",
       GifBuilder(2, 2, kFour)
           .Image(0, 0, 2, 2, {0, 1, 2, 3})
           .Byte(0x21)
           .Byte(0xFE)
           .Byte(200)
           .Byte('x')
           .bytes(),
       kGifBadBlock},
      {"no palette", GifBuilder(2, 2, {}).RawImage(0, 0, 2, 2, 2, {0x44, 0x01}).bytes(),
       kGifBadBlock},
      {"zero width", GifBuilder(2, 2, kFour).RawImage(0, 0, 0, 2, 2, {0x44, 0x01}).bytes(),
       kGifBadBlock},
      {"code size 1", GifBuilder(2, 2, kFour).RawImage(0, 0, 2, 2, 1, {0x44}).bytes(),
       kGifBadCodeSize},
      {"code size 12", GifBuilder(2, 2, kFour).RawImage(0, 0, 2, 2, 12, {0x44}).bytes(),
       kGifBadCodeSize},
      {"first code above clear", withCodes({{4, 3}, {6, 3}}), kGifBadFirstCode},
      {"unknown code after a wild one", withCodes({{4, 3}, {1, 3}, {7, 3}, {2, 3}}),
       kGifBadPreviousCode},
      {"two wild codes in a row", withCodes({{4, 3}, {1, 3}, {7, 3}, {7, 3}}),
       kGifBadPreviousCodeNew},
  };
  (void)ok;
  for (const Case& c : cases) {
    FrameSet fs(4);
    EXPECT_EQ(Read(c.bytes, fs), c.code) << c.name;
    EXPECT_EQ(fs.count, 0) << c.name;
    EXPECT_FALSE(fs.frame(0).image) << c.name;
  }
  FrameSet fs(4);
  EXPECT_EQ(ReadGifFile("/nonexistent/zel.gif", fs, 4), kGifCannotRead);
  EXPECT_FALSE(LoadGifAnimation("/nonexistent/zel.gif", fs, 4));
}

TEST(GifDecoder, ReadsFromAFile) {
  std::string dir = MakeTempDir();
  auto gif = GifBuilder(2, 2, kFour).Image(0, 0, 2, 2, {0, 1, 2, 3}).Trailer();
  std::ofstream(dir + "/a.gif", std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.bytes().data()), gif.bytes().size());
  FrameSet fs(4);
  ASSERT_TRUE(LoadGifAnimation(dir + "/a.gif", fs, 4));
  EXPECT_EQ(PicturePixels(fs.frame(0).image), (std::vector<uint8_t>{0, 1, 2, 3}));
  size_t size = 0;
  auto whole = ReadWholeFile(dir + "/a.gif", &size);
  ASSERT_TRUE(whole);
  EXPECT_EQ(size, gif.bytes().size());
  EXPECT_EQ(whole->size(), size + 512);
  EXPECT_EQ(ReadGifScreenSize(dir + "/a.gif"), 2 * 65536 + 2);
}

}  // namespace
}  // namespace zel
