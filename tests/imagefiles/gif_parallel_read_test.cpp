// Frames decoded on all cores read exactly as on one thread, and a bad image fails the
// read with the code the first fault in file order gives.

#include <gtest/gtest.h>

#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "platform/parallel.h"
#include "support/animation_cases.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::PackCodes;
using testing::PicturePixels;

std::vector<std::vector<uint8_t>> Decode(const std::vector<uint8_t>& file, int workers) {
  SetParallelWorkers(workers);
  FrameSet set(64);
  std::vector<uint8_t> data = file;
  data.resize(file.size() + kWholeFileSlack, 0);
  EXPECT_EQ(ReadGifData(data.data(), file.size(), set, 64), kGifReadOk);
  SetParallelWorkers(0);
  std::vector<std::vector<uint8_t>> frames;
  for (int f = 0; f < set.count; ++f) {
    frames.push_back(PicturePixels(set.frame(f).image));
    frames.back().insert(frames.back().end(), set.frame(f).colorMap.begin(),
                         set.frame(f).colorMap.end());
  }
  return frames;
}

TEST(GifParallelRead, AllCoresReadWhatOneThreadReads) {
  FrameSet frames = testing::MakeMovingObject(160, 120, 16);
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, file), kGifWriteOk);
  std::vector<std::vector<uint8_t>> one = Decode(file, 1);
  ASSERT_EQ(one.size(), 16u);
  EXPECT_EQ(Decode(file, 4), one);
  for (int f = 0; f < 16; ++f) {
    std::vector<uint8_t> source = PicturePixels(frames.frame(f).image);
    EXPECT_TRUE(std::equal(source.begin(), source.end(), one[static_cast<size_t>(f)].begin())) << f;
  }
}

TEST(GifParallelRead, FirstFaultInFileOrderDecidesTheCode) {
  const std::vector<testing::Rgb> table = {{0, 0, 0}, {9, 9, 9}, {50, 0, 0}, {0, 50, 0}};
  const std::vector<uint8_t> pixels = {0, 1, 2, 3};
  // First code after the clear code above it: -29.
  const std::vector<uint8_t> badFirst = PackCodes({{4, 3}, {6, 3}, {5, 3}});
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int code;
  } cases[] = {
      {"bad LZW, then a block running off the end",
       GifBuilder(2, 2, table)
           .Image(0, 0, 2, 2, pixels)
           .RawImage(0, 0, 2, 2, 2, badFirst)
           .Image(0, 0, 2, 2, pixels)
           .Byte(0x21)
           .Byte(0xFE)
           .Byte(40)
           .bytes(),
       kGifBadFirstCode},
      {"bad LZW, then a bad code size",
       GifBuilder(2, 2, table)
           .RawImage(0, 0, 2, 2, 2, badFirst)
           .RawImage(0, 0, 2, 2, 12, {1, 2})
           .Trailer()
           .bytes(),
       kGifBadFirstCode},
      {"bad code size, then bad LZW",
       GifBuilder(2, 2, table)
           .Image(0, 0, 2, 2, pixels)
           .RawImage(0, 0, 2, 2, 1, {1, 2})
           .RawImage(0, 0, 2, 2, 2, badFirst)
           .Trailer()
           .bytes(),
       kGifBadCodeSize},
  };
  for (const Case& c : cases) {
    for (int workers : {1, 4}) {
      SetParallelWorkers(workers);
      FrameSet set(8);
      std::vector<uint8_t> data = c.file;
      const size_t size = data.size();
      data.resize(size + kWholeFileSlack, 0);
      EXPECT_EQ(ReadGifData(data.data(), size, set, 8), c.code) << c.name << ", " << workers;
      EXPECT_EQ(set.count, 0);
    }
  }
  SetParallelWorkers(0);
}

}  // namespace
}  // namespace zel
