// The editor's memory across documents: the frames of a long animation go back to the system
// once another file has replaced it, although the heap keeps freed picture blocks for reuse.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/gif_builder.h"
#include "support/process_memory.h"
#include "ui/main_window_fixture.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::WaitUntil;

using testing::kSanitizedHeap;

// The process's private memory in use now, in bytes.
int64_t PrivateMemoryBytes() {
  return testing::StatusBytes("RssAnon:");
}

class DocumentMemoryTest : public testing::MainWindowFixture {
 protected:
  DocumentMemoryTest() { noMessages_ = true; }
};

TEST_F(DocumentMemoryTest, FramesOfAReplacedAnimationGoBackToTheSystem) {
  if (kSanitizedHeap) GTEST_SKIP() << "the sanitizer's heap keeps freed blocks";
  constexpr int kWidth = 320, kHeight = 240, kFrames = 160;
  constexpr int64_t kPixelBytes = int64_t{kWidth} * kHeight * kFrames;  // 12.3 MB
  GifBuilder big(kWidth, kHeight, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  big.Looping();
  for (int i = 0; i < kFrames; ++i) {
    const std::vector<uint8_t> pixels(kWidth * kHeight, static_cast<uint8_t>(i % 4));
    big.Control(0x04, 5, 0).Image(0, 0, kWidth, kHeight, pixels);
  }
  const std::string bigPath = testing::WriteGif(File("long.gif"), big);
  GifBuilder small(8, 8, {{0, 0, 0}, {255, 255, 255}});
  const std::string smallPath =
      testing::WriteGif(File("small.gif"), small.Image(0, 0, 8, 8, std::vector<uint8_t>(64, 1)));

  StartWindow();
  OpenStopped(bigPath, kFrames);
  ASSERT_EQ(Doc().frameSet->count, kFrames);
  const int64_t withAnimation = PrivateMemoryBytes();
  ASSERT_GT(withAnimation, kPixelBytes);

  OpenStopped(smallPath, 1);
  // Most of the animation's pixels are given back (not merely kept free in the heap).
  EXPECT_TRUE(WaitUntil([&] { return PrivateMemoryBytes() < withAnimation - kPixelBytes * 3 / 4; }))
      << "private memory with the animation " << withAnimation << ", after it "
      << PrivateMemoryBytes();
}

}  // namespace
}  // namespace zel
