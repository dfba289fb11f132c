#include <gtest/gtest.h>

#include <fstream>

#include "imagefiles/gif_decoder.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::PicturePixels;
using testing::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

int ReadPicture(const std::vector<uint8_t>& bytes, PackedDib& out,
                const GifPictureProgress& progress = nullptr) {
  return ReadGifPictureData(out, bytes.data(), bytes.size(), progress);
}

TEST(GifPicture, FirstPictureWithItsOwnTable) {
  std::vector<Rgb> local = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}};
  std::vector<uint8_t> pixels = {4, 3, 2, 1, 0, 4};
  auto gif = GifBuilder(40, 30, kFour)
                 .Control(0x09, 50, 1)
                 .Comment("x")
                 .Image(5, 5, 3, 2, pixels, local, true)
                 .Image(0, 0, 1, 1, {1})
                 .Trailer();
  PackedDib picture;
  ASSERT_EQ(ReadPicture(gif.bytes(), picture), 0);
  DibHeader h = picture.Header();
  EXPECT_EQ(h.width, 3);
  EXPECT_EQ(h.height, 2);
  EXPECT_EQ(h.clrUsed, 8u);  // 2^b entries of the local table
  EXPECT_EQ(picture.ColorTable()[4].red, 5);
  EXPECT_EQ(PicturePixels(picture), pixels);
}

TEST(GifPicture, FailureCodes) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int code;
  } cases[] = {
      {"ten bytes", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, kGifCannotRead},
      {"signature", GifBuilder(1, 1, kFour, 0, "GIF89b").Trailer().bytes(), kGifBadSignature},
      {"trailer first", GifBuilder(1, 1, kFour).Comment("c").Trailer().bytes(),
       kGifPictureTrailerFirst},
      {"unknown block", GifBuilder(1, 1, kFour).Byte(0x99).bytes(), kGifPictureUnknownBlock},
      {"extension runs out", GifBuilder(1, 1, kFour).Byte(0x21).Byte(0xFE).Byte(50).bytes(),
       kGifPictureExtensionRunsOut},
      {"no table", GifBuilder(1, 1, {}).RawImage(0, 0, 1, 1, 2, {0x44}).bytes(),
       kGifPictureNoPalette},
      {"zero width", GifBuilder(1, 1, kFour).RawImage(0, 0, 0, 1, 2, {0x44}).bytes(),
       kGifPictureZeroWidth},
      {"zero height", GifBuilder(1, 1, kFour).RawImage(0, 0, 1, 0, 2, {0x44}).bytes(),
       kGifPictureZeroHeight},
      {"no image block", GifBuilder(3, 3, kFour).Comment("only").bytes(), kGifBadCodeSize},
  };
  for (const Case& c : cases) {
    PackedDib picture;
    EXPECT_EQ(ReadPicture(c.bytes, picture), c.code) << c.name;
    EXPECT_FALSE(picture) << c.name;
  }
  PackedDib picture;
  EXPECT_EQ(ReadGifPicture(picture, "/nonexistent.gif", nullptr), kGifCannotRead);
  EXPECT_EQ(ReadGifScreenSize("/nonexistent.gif"), kGifCannotRead);
}

TEST(GifPicture, ProgressAtClearCodes) {
  // 64 rows of 256 colour noise: the writer clears its table many times on the way.
  std::vector<uint8_t> pixels(200 * 64);
  uint32_t seed = 1;
  for (auto& p : pixels) p = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  std::vector<Rgb> table(256, Rgb{1, 2, 3});
  auto gif = GifBuilder(200, 64, table).Image(0, 0, 200, 64, pixels).Trailer();
  std::vector<std::pair<uint32_t, uint32_t>> reports;
  PackedDib picture;
  ASSERT_EQ(ReadPicture(gif.bytes(), picture,
                        [&](uint32_t w, uint32_t l) {
                          reports.push_back({w, l});
                        }),
            0);
  EXPECT_EQ(PicturePixels(picture), pixels);
  ASSERT_GE(reports.size(), 3u);
  // e = 64 / 8 = 8: high word 64 / 8, low word the eighths still to go.
  EXPECT_EQ(reports.front(), (std::pair<uint32_t, uint32_t>{0, 8 * 65536 + 8}));
  for (size_t i = 1; i < reports.size(); ++i) {
    EXPECT_LT(reports[i].second, reports[i - 1].second);
    EXPECT_EQ(reports[i].second >> 16, 8u);
  }
}

TEST(GifPicture, ScreenSizeQuery) {
  char name[] = "/tmp/zel-size-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  auto gif = GifBuilder(65535, 40000, kFour).Image(0, 0, 1, 1, {1}).Trailer();
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.bytes().data()), gif.bytes().size());
  EXPECT_EQ(ReadGifScreenSize(name), int64_t{40000} * 65536 + 65535);
  unlink(name);
}

}  // namespace
}  // namespace zel
