#include "imagefiles/webp_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "document/colour_key.h"
#include "imagefiles/image_loader.h"
#include "imagefiles/memory_budget.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/webp_builder.h"

namespace zel {
namespace {

using testing::MakeTempDir;
using testing::WebpAnimationBuilder;
using testing::WebpPixels;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kClear = 0x00000000;

// What a pixel of a document picture shows, top row first: 0xRRGGBB, or -1 for the
// transparent index.
int64_t Shown(const PackedDib& picture, int32_t transparentIndex, int x, int y) {
  const DibHeader h = picture.Header();
  const uint8_t* row = picture.Row(y);
  if (h.bitCount == 8) {
    const uint8_t index = row[x];
    if (index == transparentIndex) return -1;
    const Rgbq q = picture.ColorTable()[index];
    return int64_t{q.red} << 16 | q.green << 8 | q.blue;
  }
  const uint8_t* p = row + 3 * x;
  return int64_t{p[2]} << 16 | p[1] << 8 | p[0];
}

int64_t Expected(uint32_t argb) {
  return (argb >> 24) == 0 ? -1 : int64_t{argb & 0xFFFFFF};
}

class WebpLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir();
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    context.lastImagePath = &lastImagePath;
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  Outcome Load(const std::string& path) {
    return LoadImageFile(doc, path, LoadMode::kOpen, context);
  }

  std::string dir;
  DocumentState doc;
  std::string lastImagePath;
  LoadContext context;
};

// A frame drawn over part of the canvas, blended and not, with the rectangle cleared after
// one frame: the document holds each frame as shown, in one palette with one transparent
// entry; the delays keep the running total of the milliseconds; three plays are two
// repetitions.
TEST_F(WebpLoadTest, AnimationComesInComposedWithDelaysAndLoopCount) {
  WebpPixels first = WebpPixels::Filled(4, 3, kRed);
  first.Set(0, 0, kClear);
  WebpPixels patch = WebpPixels::Filled(2, 2, kBlue);
  patch.Set(1, 1, kClear);  // blended: the red beneath shows
  WebpPixels cleared = WebpPixels::Filled(2, 1, kGreen);
  const auto bytes = WebpAnimationBuilder(4, 3, 3)
                         .Frame(first, 0, 0, 33)
                         .Frame(patch, 2, 0, 33, /*blend=*/true)
                         .Frame(cleared, 0, 2, 34, false, /*dispose=*/true)
                         .Frame(WebpPixels::Filled(1, 1, kGreen), 2, 2, 100)
                         .bytes();
  const std::string path = Write("anim.WebP", bytes);
  ASSERT_TRUE(Load(path).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(lastImagePath, path);
  const FrameSet& set = *doc.frameSet;
  ASSERT_EQ(set.count, 4);
  EXPECT_EQ(set.screenWidth, 4);
  EXPECT_EQ(set.screenHeight, 3);
  EXPECT_EQ(set.loopCount, 2);
  EXPECT_EQ(set.paletteCount, 4);  // red, green, blue and the transparent entry
  ASSERT_GE(set.transparentIndex, 0);
  const int32_t delays[] = {3, 4, 3, 10};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(set.frame(i).delay, delays[i]) << i;

  // Frame by frame, row by row (R red, G green, B blue, . transparent).
  // A disposed rectangle is cleared to transparent, not to the frame beneath.
  const char* const shown[4][3] = {
      {".RRR", "RRRR", "RRRR"},
      {".RBB", "RRBR", "RRRR"},
      {".RBB", "RRBR", "GGRR"},
      {".RBB", "RRBR", "..GR"},
  };
  for (int i = 0; i < 4; ++i) {
    const PackedDib& picture = set.frame(i).image;
    ASSERT_EQ(picture.Header().bitCount, 8);
    EXPECT_EQ(set.frame(i).transparentIndex, set.transparentIndex);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        const char c = shown[i][y][x];
        const uint32_t argb = c == 'R' ? kRed : c == 'G' ? kGreen : c == 'B' ? kBlue : kClear;
        EXPECT_EQ(Shown(picture, set.transparentIndex, x, y), Expected(argb))
            << "frame " << i << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(WebpLoadTest, LoopCountsFollowTheLoopingExtension) {
  const struct {
    int plays;
    int32_t loopCount;
  } cases[] = {{0, kLoopForever}, {1, kPlayOnce}, {2, 1}, {65535, 65534}};
  for (const auto& c : cases) {
    const auto bytes = WebpAnimationBuilder(1, 1, c.plays)
                           .Frame(WebpPixels::Filled(1, 1, kRed), 0, 0, 10)
                           .Frame(WebpPixels::Filled(1, 1, kBlue), 0, 0, 10)
                           .bytes();
    ASSERT_TRUE(Load(Write("loop.webp", bytes)).done()) << c.plays;
    EXPECT_EQ(doc.frameSet->loopCount, c.loopCount) << c.plays;
  }
}

// A still picture comes in as a PNG file with the same pixels does.
TEST_F(WebpLoadTest, StillPicturesComeInAsPngFilesDo) {
  WebpPixels opaque = WebpPixels::Filled(3, 2, kRed);
  opaque.Set(1, 1, 0xFF123456);
  ASSERT_TRUE(Load(Write("opaque.webp", testing::LosslessWebp(opaque))).done());
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.bitCount, 24);
  EXPECT_EQ(doc.frameSet->count, 0);
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 1, 1), 0x123456);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 2, 0), 0xFF0000);

  // Alpha 0 and 255 only: a transparent entry.
  WebpPixels binary = WebpPixels::Filled(3, 2, kBlue);
  binary.Set(2, 1, kClear);
  ASSERT_TRUE(Load(Write("binary.webp", testing::LosslessWebp(binary))).done());
  EXPECT_EQ(doc.bitCount, 8);
  const int32_t t = doc.frameSet->transparentIndex;
  ASSERT_GE(t, 0);
  EXPECT_EQ(Shown(doc.currentPicture, t, 2, 1), -1);
  EXPECT_EQ(Shown(doc.currentPicture, t, 0, 0), 0x0000FF);

  // Partial alpha: every pixel mixed with white, alpha 0 too.
  WebpPixels partial = WebpPixels::Filled(3, 1, 0x80000000);
  partial.Set(1, 0, kClear);
  partial.Set(2, 0, kBlue);
  ASSERT_TRUE(Load(Write("partial.webp", testing::LosslessWebp(partial))).done());
  EXPECT_EQ(doc.bitCount, 24);
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 0, 0), 0x7F7F7F);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 1, 0), 0xFFFFFF);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 2, 0), 0x0000FF);

  // In an animation alpha 0 stays transparent and partial alpha is mixed with white.
  const auto animated = WebpAnimationBuilder(3, 1)
                            .Frame(partial, 0, 0, 10)
                            .Frame(WebpPixels::Filled(3, 1, kRed), 0, 0, 10)
                            .bytes();
  ASSERT_TRUE(Load(Write("partial-animation.webp", animated)).done());
  const FrameSet& set = *doc.frameSet;
  ASSERT_EQ(set.count, 2);
  EXPECT_EQ(Shown(set.frame(0).image, set.transparentIndex, 0, 0), 0x7F7F7F);
  EXPECT_EQ(Shown(set.frame(0).image, set.transparentIndex, 1, 0), -1);
  EXPECT_EQ(Shown(set.frame(0).image, set.transparentIndex, 2, 0), 0x0000FF);
}

// Beyond 256 colours the frames share one built palette; the pixels the next frame leaves
// alone keep their indices, so still areas do not shimmer.
TEST_F(WebpLoadTest, ManyColoursShareOneBuiltPalette) {
  WebpPixels gradient = WebpPixels::Filled(32, 32, kRed);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x)
      gradient.Set(x, y, 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | 77);
  }
  WebpPixels changed = gradient;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) changed.Set(x, y, 0xFFFFFFFFu);
  }
  changed.Set(31, 31, kClear);
  const auto bytes =
      WebpAnimationBuilder(32, 32).Frame(gradient, 0, 0, 50).Frame(changed, 0, 0, 50).bytes();
  ASSERT_TRUE(Load(Write("colours.webp", bytes)).done());
  const FrameSet& set = *doc.frameSet;
  ASSERT_EQ(set.count, 2);
  ASSERT_GE(set.transparentIndex, 0);
  EXPECT_LE(set.paletteCount, 256);
  const PackedDib& a = set.frame(0).image;
  const PackedDib& b = set.frame(1).image;
  int unchangedDiffering = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const uint8_t ia = a.Row(y)[x];
      const uint8_t ib = b.Row(y)[x];
      EXPECT_NE(ia, set.transparentIndex);
      const bool changedPixel = (x < 8 && y < 8) || (x == 31 && y == 31);
      if (!changedPixel && ia != ib) ++unchangedDiffering;
      // Close to the source colour.
      const Rgbq q = a.ColorTable()[ia];
      EXPECT_NEAR(q.red, x * 8, 24);
      EXPECT_NEAR(q.green, y * 8, 24);
    }
  }
  EXPECT_EQ(unchangedDiffering, 0);
  EXPECT_EQ(b.Row(31)[31], set.transparentIndex);
  EXPECT_EQ(Shown(b, set.transparentIndex, 0, 0), 0xFFFFFF);
}

// More frames than the frame maximum: the first frameMax come in, and the load says so.
TEST_F(WebpLoadTest, FramesBeyondTheMaximumAreCut) {
  WebpAnimationBuilder builder(2, 2);
  for (int i = 0; i < 20; ++i)
    builder.Frame(WebpPixels::Filled(2, 2, i % 2 ? kRed : kBlue), 0, 0, 10);
  ASSERT_TRUE(Load(Write("long.webp", builder.bytes())).done());
  EXPECT_EQ(doc.frameSet->count, 16);
  EXPECT_EQ(context.framesInFile, 20);
  EXPECT_TRUE(FramesWereDropped(context));
}

// Damaged files, and headers claiming more than the budget, are refused with the message
// and leave the open document as it was.
TEST_F(WebpLoadTest, BadFilesAreRefusedAndChangeNothing) {
  const std::string good = Write("good.webp", WebpAnimationBuilder(2, 1)
                                                  .Frame(WebpPixels::Filled(2, 1, kRed), 0, 0, 20)
                                                  .Frame(WebpPixels::Filled(2, 1, kBlue), 0, 0, 20)
                                                  .bytes());
  ASSERT_TRUE(Load(good).done());
  lastImagePath = "unchanged";
  const uint32_t flags = doc.flags;

  const std::vector<uint8_t> animation = WebpAnimationBuilder(6, 5)
                                             .Frame(WebpPixels::Filled(6, 5, kRed), 0, 0, 20)
                                             .Frame(WebpPixels::Filled(4, 4, kGreen), 2, 0, 20)
                                             .bytes();
  std::vector<uint8_t> corrupt = animation;
  for (size_t i = corrupt.size() - 12; i < corrupt.size(); ++i) corrupt[i] ^= 0xA5;
  std::vector<uint8_t> badSize = animation;
  badSize[4] = 0xF0;  // the RIFF size runs far past the file
  // A canvas of 16384 x 16384 pixels behind one tiny frame.
  std::vector<uint8_t> hugeCanvas = WebpAnimationBuilder(16384, 16384)
                                        .Frame(WebpPixels::Filled(1, 1, kRed), 0, 0, 10)
                                        .Frame(WebpPixels::Filled(1, 1, kBlue), 0, 0, 10)
                                        .bytes();
  // A frame reaching outside the canvas.
  std::vector<uint8_t> outside = WebpAnimationBuilder(2, 2)
                                     .Frame(WebpPixels::Filled(4, 4, kRed), 0, 0, 10)
                                     .Frame(WebpPixels::Filled(2, 2, kRed), 0, 0, 10)
                                     .bytes();

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    MessageId message;
  } cases[] = {
      {"text.webp", {'h', 'e', 'l', 'l', 'o'}, kMsgBadImageFile},
      {"empty.webp", {}, kMsgBadImageFile},
      {"header.webp", std::vector<uint8_t>(animation.begin(), animation.begin() + 12),
       kMsgBadImageFile},
      {"half.webp",
       std::vector<uint8_t>(animation.begin(), animation.begin() + animation.size() / 2),
       kMsgBadImageFile},
      {"last-byte.webp", std::vector<uint8_t>(animation.begin(), animation.end() - 1),
       kMsgBadImageFile},
      {"corrupt.webp", corrupt, kMsgBadImageFile},
      {"riff-size.webp", badSize, kMsgBadImageFile},
      {"outside.webp", outside, kMsgBadImageFile},
      {"still-cut.webp",
       [] {
         auto still = testing::LosslessWebp(WebpPixels::Filled(9, 9, kRed));
         still.resize(still.size() - 3);
         return still;
       }(),
       kMsgBadImageFile},
      {"huge-canvas.webp", hugeCanvas, kMsgPictureTooLarge},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(Write(c.name, c.bytes)), Outcome::Failed(c.message)) << c.name;
    EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation) << c.name;
    EXPECT_EQ(doc.frameSet->count, 2) << c.name;
    EXPECT_EQ(doc.filePath, good) << c.name;
    EXPECT_EQ(doc.flags, flags) << c.name;
    EXPECT_EQ(lastImagePath, "unchanged") << c.name;
  }
}

// The reader itself: the canvas times the frames kept is weighed against the budget before
// anything is decoded (tiny frames on a large canvas are a few bytes of file each); on
// failure the frame set stays empty.
TEST(WebpReader, CanvasTimesFramesIsWeighedFirst) {
  std::unique_ptr<FrameSet> frames = FrameSet::Create(16);
  WebpAnimationBuilder many(512, 512);  // 256 Ki pixels: 6 MiB of work, 256 KiB a frame
  for (int i = 0; i < 10; ++i) many.Frame(WebpPixels::Filled(1, 1, kRed), 0, 0, 10);
  const auto bytes = many.bytes();
  int framesInFile = 0;
  SetPictureMemoryBudget(8u << 20);
  EXPECT_EQ(ReadWebpData(bytes.data(), bytes.size(), *frames, 16, &framesInFile),
            WebpReadResult::kTooLarge);
  EXPECT_EQ(framesInFile, 10);
  EXPECT_EQ(frames->count, 0);
  // Four frames kept fit.
  EXPECT_EQ(ReadWebpData(bytes.data(), bytes.size(), *frames, 4, &framesInFile),
            WebpReadResult::kOk);
  EXPECT_EQ(frames->count, 4);
  EXPECT_EQ(framesInFile, 10);
  SetPictureMemoryBudget(0);
  EXPECT_EQ(ReadWebpData(bytes.data(), bytes.size(), *frames, 16, &framesInFile),
            WebpReadResult::kOk);
  EXPECT_EQ(frames->count, 10);
  EXPECT_EQ(ReadWebpData(bytes.data(), bytes.size() - 2, *frames, 16, &framesInFile),
            WebpReadResult::kCannotRead);
  EXPECT_EQ(frames->count, 0);
}

TEST(WebpReader, OnlyWebpNamesPickTheReader) {
  EXPECT_EQ(ReaderLetter("/a/b.webp"), 'w');
  EXPECT_EQ(ReaderLetter("/a/b.WEBP"), 'w');
  EXPECT_EQ(ReaderLetter("/a/b.wav"), 0);
  EXPECT_EQ(ReaderLetter("/a/b.w"), 0);
  EXPECT_EQ(ReaderFailureMessage('w', static_cast<int>(WebpReadResult::kNoMemory)), kMsgNoMemory);
  EXPECT_EQ(ReaderFailureMessage('w', static_cast<int>(WebpReadResult::kTooLarge)),
            kMsgPictureTooLarge);
  EXPECT_EQ(ReaderFailureMessage('w', static_cast<int>(WebpReadResult::kCannotRead)),
            kMsgBadImageFile);
}

}  // namespace
}  // namespace zel
