// Hostile sizes: a few bytes that declare a huge picture cost little memory, and every
// reader refuses pictures beyond the one shared memory budget with "the picture is too
// large" (518), which zel-cli can raise.

#include "imagefiles/memory_budget.h"

#include <gtest/gtest.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "imagefiles/bmp_file.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_lzw_decoder.h"
#include "imagefiles/image_loader.h"
#include "imagefiles/jpeg_writer.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/hostile_files.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::MakeTempDir;
using testing::MostExpandingLzwData;
using testing::PackCodes;
using testing::Rgb;

const std::vector<Rgb> kTwo = {{0, 0, 0}, {255, 255, 255}};

// Sets the budget for one test and puts the default back.
class BudgetGuard {
 public:
  explicit BudgetGuard(uint64_t bytes) { SetPictureMemoryBudget(bytes); }
  ~BudgetGuard() { SetPictureMemoryBudget(0); }
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(LzwBound, DataOfHighestExpansionDecodesWhole) {
  // 12 million pixels from about 8 KB: above the size always stored whole, so the frame is
  // kept whole only because the bound admits that much.
  const int w = 4000, h = 3000;
  std::vector<uint8_t> data = MostExpandingLzwData(uint64_t{w} * h);
  EXPECT_GE(LzwMostPixels(data.size(), 2), uint64_t{w} * h);
  auto gif = GifBuilder(w, h, kTwo).RawImage(0, 0, w, h, 2, data).Trailer();
  FrameSet fs(2);
  ASSERT_EQ(ReadGifData(gif.bytes().data(), gif.bytes().size(), fs, 2), 0);
  const PackedDib& image = fs.frame(0).image;
  ASSERT_EQ(image.Header().height, h);
  for (int y : {0, h / 2, h - 1}) {
    const uint8_t* row = image.Row(y);
    EXPECT_EQ(row[0], 1) << y;
    EXPECT_EQ(row[w - 1], 1) << y;
  }
}

TEST(LzwBound, RowsWorthStoring) {
  struct Case {
    uint32_t width, height;
    bool interlaced;
    uint64_t mostPixels;
    uint32_t rows;
  } cases[] = {
      {65535, 65535, false, 15, 1},   // a few pixels: one row
      {100, 100, false, 15, 100},     // small pictures keep their size
      {2048, 2048, false, 0, 2048},   // up to 4 Mi pixels
      {5000, 5000, false, 12000, 3},  // three rows reached
      {5000, 5000, true, 12000, 17},  // interlaced: picture rows 0, 8 and 16
      {5000, 5000, false, 25000000, 5000}, {5000, 5000, true, 100000000, 5000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LzwStoredRows(c.width, c.height, c.interlaced, c.mostPixels), c.rows)
        << c.width << " x " << c.height << " interlaced " << c.interlaced << " most "
        << c.mostPixels;
  }
}

// 35 bytes declaring 65535 x 65535: read as far as the data goes, at once.
TEST(GifHostile, TinyFileDeclaringAHugePicture) {
  auto gif = GifBuilder(65535, 65535, kTwo)
                 .RawImage(0, 0, 65535, 65535, 2, PackCodes({{4, 3}, {1, 3}, {5, 3}}))
                 .Trailer();
  ASSERT_EQ(gif.bytes().size(), 35u);
  auto start = std::chrono::steady_clock::now();
  FrameSet fs(4);
  ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), 0);
  EXPECT_LT(SecondsSince(start), 1.0);
  ASSERT_EQ(fs.count, 1);
  DibHeader h = fs.frame(0).image.Header();
  EXPECT_EQ(h.width, 65535);
  EXPECT_EQ(h.height, 1);
  EXPECT_EQ(fs.frame(0).image.Row(0)[0], 1);

  // The first-picture reader of the multiple-pictures generator keeps to the same rule.
  std::string path = MakeTempDir() + "/huge.gif";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.bytes().data()),
             static_cast<std::streamsize>(gif.bytes().size()));
  PackedDib first;
  ASSERT_EQ(ReadGifPicture(first, path, nullptr), 0);
  EXPECT_EQ(first.Header().height, 1);
}

// About 65 bytes with three 20000 x 20000 frames: composing them would take 1.2 GB, more
// than the budget; the file is refused before anything large is allocated. A raised
// budget lets an animation through that the default-sized one refuses.
TEST(GifHostile, AnimationBeyondTheBudgetIsTooLarge) {
  auto gif = GifBuilder(20000, 20000, kTwo);
  for (int i = 0; i < 3; ++i) gif.RawImage(0, 0, 20000, 20000, 2, PackCodes({{4, 3}, {1, 3}}));
  gif.Trailer();
  EXPECT_LT(gif.bytes().size(), 70u);
  auto start = std::chrono::steady_clock::now();
  FrameSet fs(4);
  EXPECT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), kGifTooLarge);
  EXPECT_LT(SecondsSince(start), 1.0);
  EXPECT_EQ(fs.count, 0);

  auto small = GifBuilder(1000, 1000, kTwo);
  for (int i = 0; i < 3; ++i) small.Image(0, 0, 1, 1, {1});
  small.Trailer();
  {
    BudgetGuard budget(2u << 20);
    EXPECT_EQ(LoadGifAnimationData(small.bytes().data(), small.bytes().size(), fs, 4),
              kGifTooLarge);
  }
  {
    BudgetGuard budget(4u << 20);
    EXPECT_EQ(LoadGifAnimationData(small.bytes().data(), small.bytes().size(), fs, 4), 0);
    EXPECT_EQ(fs.count, 3);
  }
}

// Frames that the data fills are budgeted too: many full-size frames of real data.
TEST(GifHostile, DecodedFramesCountAgainstTheBudget) {
  auto gif = GifBuilder(0, 0, {});
  std::vector<uint8_t> pixels(512 * 512, 1);
  for (int i = 0; i < 5; ++i) gif.Image(0, 0, 512, 512, pixels, kTwo);
  gif.Trailer();
  BudgetGuard budget(1u << 20);
  FrameSet fs(8);
  EXPECT_EQ(ReadGifData(gif.bytes().data(), gif.bytes().size(), fs, 8), kGifTooLarge);
  EXPECT_EQ(fs.count, 0);
}

void WriteRgbPng(const std::string& path, int w, int h) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3, 200);
  for (int y = 0; y < h; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// Every reader the loader uses refuses a picture beyond the budget with 518 and leaves
// the document as it was; with the default budget the same files open.
TEST(PictureBudget, EveryReaderKeepsToTheSharedBudget) {
  std::string dir = MakeTempDir();
  const int w = 700, h = 700;  // 1.4 MB of 24-bit rows
  std::string png = dir + "/big.png";
  WriteRgbPng(png, w, h);
  std::string jpg = dir + "/big.jpg";
  ASSERT_EQ(WriteJpegFile(NewPicture(w, h, 24, 0), jpg, 75), 0);
  std::string bmp = dir + "/big.bmp";
  ASSERT_TRUE(WriteBmpFile(NewPicture(w, h, 24, 0), bmp));
  std::string gif = dir + "/big.gif";
  {
    auto bytes = GifBuilder(w, h, kTwo).Image(0, 0, 1, 1, {1}).Image(0, 0, 1, 1, {0}).Trailer();
    std::ofstream(gif, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.bytes().data()),
               static_cast<std::streamsize>(bytes.bytes().size()));
  }
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 16));
  LoadContext context;
  for (const std::string& path : {png, jpg, bmp, gif}) {
    {
      BudgetGuard budget(700u << 10);
      EXPECT_EQ(LoadImageFile(doc, path, LoadMode::kOpen, context), Outcome::Failed(kMsgPictureTooLarge)) << path;
      EXPECT_EQ(doc.kind, ImageKind::kNone) << path;
    }
    EXPECT_TRUE(LoadImageFile(doc, path, LoadMode::kOpen, context).done()) << path;
    EXPECT_EQ(doc.width, w) << path;
    doc.kind = ImageKind::kNone;
  }
  EXPECT_STREQ(MessageText(kMsgPictureTooLarge), "画像が大きすぎます.");
}

}  // namespace
}  // namespace zel
