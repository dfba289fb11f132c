// An animated PNG made by FFmpeg's muxer (the later frames stored as small rectangles) opens
// with FFmpeg's own frames, delays and looping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "document/document_state.h"
#include "imagefiles/image_loader.h"
#include "interop/interop_helpers.h"

namespace zel {
namespace {

using interop::Quote;
using interop::RunCommand;
using interop::TempDir;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 10;

TEST(ApngInterop, FfmpegAnimationOpensWithFfmpegsFrames) {
  if (access("/usr/bin/ffmpeg", X_OK) != 0) GTEST_SKIP() << "no ffmpeg";
  TempDir dir;
  const std::string apng = dir.File("x.png");
  const std::string raw = dir.File("frames.rgba");
  const interop::CommandResult made = RunCommand(
      "/usr/bin/ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=64x48:r=10:d=1 -plays 0 "
      "-f apng " + Quote(apng));
  ASSERT_EQ(made.status, 0) << made.output;
  const interop::CommandResult decoded =
      RunCommand("/usr/bin/ffmpeg -nostdin -v error -y -i " + Quote(apng) +
                 " -fps_mode passthrough -f rawvideo -pix_fmt rgba " + Quote(raw));
  ASSERT_EQ(decoded.status, 0) << decoded.output;
  const std::vector<uint8_t> expected = interop::ReadFileBytes(raw);
  ASSERT_EQ(expected.size(), size_t{4} * kWidth * kHeight * kFrames);

  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 256));
  LoadContext context;
  ASSERT_TRUE(LoadImageFile(doc, apng, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  const FrameSet& set = *doc.frameSet;
  ASSERT_EQ(set.count, kFrames);
  ASSERT_EQ(set.screenWidth, kWidth);
  ASSERT_EQ(set.screenHeight, kHeight);
  EXPECT_EQ(set.loopCount, kLoopForever);
  // The 55 colours of FFmpeg's frames fit one palette: every pixel is exactly FFmpeg's.
  for (int i = 0; i < kFrames; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(set.frame(i).delay, 10);
    const PackedDib& picture = set.frame(i).image;
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      const uint8_t* row = picture.Row(y);
      for (int x = 0; x < kWidth; ++x) {
        const Rgbq q = picture.ColorTable()[row[x]];
        const uint8_t* p = &expected[4 * ((size_t(i) * kHeight + y) * kWidth + x)];
        wrong += q.red != p[0] || q.green != p[1] || q.blue != p[2] || row[x] == set.transparentIndex;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace zel
