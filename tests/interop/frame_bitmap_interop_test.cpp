// Frame bitmaps through ImageMagick, standing in for a paint program: the file it saves
// again, in 24 bits or with its own colour table, must still read as the same animation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "imagefiles/frame_bitmap.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

constexpr const char* kMagick = "/usr/bin/convert";

// Three frames of 12 x 9 with eight colours; entry 2 is transparent.
std::unique_ptr<FrameSet> SampleAnimation() {
  const std::vector<testing::Rgb> table = {{0, 0, 0},     {250, 250, 250}, {10, 200, 30},
                                           {200, 40, 40}, {40, 40, 200},   {230, 200, 20},
                                           {90, 0, 120},  {0, 128, 128}};
  auto frames = std::make_unique<FrameSet>(16);
  frames->count = 3;
  frames->transparentIndex = 2;
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> pixels(12 * 9);
    for (int k = 0; k < 12 * 9; ++k) pixels[k] = static_cast<uint8_t>((k / 5 + k % 7 + i) % 8);
    frames->frame(i).image = testing::MakePicture(12, 9, pixels, table);
    frames->frame(i).delay = 10 + 90 * i;
  }
  return frames;
}

void ExpectSameAnimation(const FrameSet& written, const FrameSet& read) {
  ASSERT_EQ(read.count, written.count);
  ASSERT_GE(read.transparentIndex, 0);
  for (int i = 0; i < read.count; ++i) {
    const PackedDib& a = written.frame(i).image;
    const PackedDib& b = read.frame(i).image;
    ASSERT_EQ(b.Header().width, 12);
    ASSERT_EQ(b.Header().height, 9);
    EXPECT_EQ(read.frame(i).delay, written.frame(i).delay);
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 12; ++x) {
        uint8_t pa = a.Row(y)[x], pb = b.Row(y)[x];
        bool ta = pa == written.transparentIndex, tb = pb == read.transparentIndex;
        ASSERT_EQ(ta, tb) << "frame " << i << " pixel " << x << "," << y;
        if (!ta) {
          ASSERT_EQ(a.ColorTable()[pa], b.ColorTable()[pb])
              << "frame " << i << " pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST(FrameBitmapInterop, FilesSavedAgainByImageMagickReadAsTheSameAnimation) {
  if (!std::filesystem::exists(kMagick)) GTEST_SKIP() << kMagick << " is not installed";
  const std::string dir = testing::MakeTempDir();
  const std::string source = dir + "/anim.bmp";
  auto frames = SampleAnimation();
  // The transparent entry goes out in a colour no frame uses.
  ASSERT_TRUE(WriteFrameBitmapFile(source, *frames, 0x00C0C0C0).done());

  struct Case {
    const char* options;
    int bitCount;
  } cases[] = {{"-type TrueColor", 24}, {"-type Palette -compress None", 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string saved = dir + "/saved.bmp";
    std::string command =
        std::string(kMagick) + " '" + source + "' " + c.options + " 'BMP3:" + saved + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    auto bytes = ReadFileBytes(saved);
    ASSERT_TRUE(bytes && bytes->size() > 30);
    ASSERT_EQ(ReadLe16(bytes->data() + 28), c.bitCount);  // the form the case is about

    EXPECT_TRUE(IsFrameBitmapFile(saved));
    FrameSet read(16);
    ASSERT_TRUE(ReadFrameBitmapFile(saved, read).done());
    ExpectSameAnimation(*frames, read);

    // What the external editor does with the edited file before loading it.
    EXPECT_EQ(ConvertFrameBitmapFile(saved), c.bitCount == 24);
    FrameSet converted(16);
    ASSERT_TRUE(ReadFrameBitmapFile(saved, converted).done());
    ExpectSameAnimation(*frames, converted);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
