// WebP files made by libwebp's own tools (gif2webp, cwebp) open with the pixels, delays and
// loop count of the GIF or PNG file they were made from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <set>
#include <string>

#include "document/document_state.h"
#include "imagefiles/image_loader.h"
#include "interop/interop_helpers.h"

#include <webp/demux.h>

namespace zel {
namespace {

using interop::Quote;
using interop::RunCommand;
using interop::TempDir;

constexpr const char* kMagick = "/usr/bin/convert";

bool HavePeers() {
  for (const char* tool : {"/usr/bin/gifsicle", "/usr/bin/gif2webp", "/usr/bin/cwebp", kMagick}) {
    if (access(tool, X_OK) != 0) return false;
  }
  return true;
}

void RunPeer(const std::string& command) {
  const interop::CommandResult result = RunCommand(command);
  ASSERT_EQ(result.status, 0) << command << "\n" << result.output;
}

// A file opened as the editor opens it.
struct Opened {
  DocumentState doc;
  LoadContext context;
  explicit Opened(const std::string& path) {
    EXPECT_TRUE(CreateDocumentContainer(doc, 256));
    const Outcome outcome = LoadImageFile(doc, path, LoadMode::kOpen, context);
    EXPECT_TRUE(outcome.done()) << path;
  }
  const PackedDib& Picture(int frame) const {
    return IsAnimation(doc.kind) ? doc.frameSet->frame(frame).image : doc.currentPicture;
  }
};

// 0xRRGGBB of a pixel (top row first), or -1 for the transparent index.
int64_t Shown(const PackedDib& picture, int32_t transparentIndex, int x, int y) {
  const DibHeader h = picture.Header();
  const uint8_t* row = picture.Row(y);
  if (h.bitCount == 8) {
    if (row[x] == transparentIndex) return -1;
    const Rgbq q = picture.ColorTable()[row[x]];
    return int64_t{q.red} << 16 | q.green << 8 | q.blue;
  }
  const uint8_t* p = row + 3 * x;
  return int64_t{p[2]} << 16 | p[1] << 8 | p[0];
}

// Three pictures by ImageMagick, put together by gifsicle: a smaller frame drawn at an
// offset with transparent pixels over the one before, another cleared to the background
// afterwards, delays of their own and three repetitions.
void MakeAnimation(const TempDir& dir, const std::string& gif) {
  const std::string magick = std::string(kMagick) + " ";
  RunPeer(magick + "-size 64x40 gradient:'#204080-#e0c020' -swirl 120 -colors 200 " +
          Quote(dir.File("a.gif")));
  RunPeer(magick + "-size 10x8 xc:'#ff2020' -fill none -draw 'rectangle 2,2 5,5' " +
          "-fill '#20ff20' -draw 'point 7,1' -transparent none " + Quote(dir.File("b.gif")));
  RunPeer(magick + "-size 12x6 plasma:fractal -colors 30 " + Quote(dir.File("c.gif")));
  RunPeer("/usr/bin/gifsicle --loopcount=3 --delay 3 " + Quote(dir.File("a.gif")) +
          " --delay 5 --position 6,4 " + Quote(dir.File("b.gif")) +
          " --delay 12 --disposal background --position 2,10 " + Quote(dir.File("c.gif")) +
          " --delay 7 " + Quote(dir.File("b.gif")) + " -o " + Quote(gif));
}

// The animation is made once for the tests that share it.
class WebpInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HavePeers()) return;
    dir_ = new TempDir;
    MakeAnimation(*dir_, dir_->File("anim.gif"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!HavePeers()) GTEST_SKIP() << "gifsicle, gif2webp, cwebp or ImageMagick missing";
    ASSERT_FALSE(HasFatalFailure());
  }
  static TempDir* dir_;
};
TempDir* WebpInterop::dir_ = nullptr;

TEST_F(WebpInterop, Gif2webpLosslessAnimationOpensWithTheGifsFrames) {
  TempDir dir;
  const std::string gif = dir_->File("anim.gif");
  const std::string webp = dir.File("anim.webp");
  ASSERT_NO_FATAL_FAILURE(RunPeer("/usr/bin/gif2webp -quiet " + Quote(gif) + " -o " + Quote(webp)));

  Opened fromGif(gif);
  Opened fromWebp(webp);
  const FrameSet& g = *fromGif.doc.frameSet;
  const FrameSet& w = *fromWebp.doc.frameSet;
  ASSERT_EQ(fromGif.doc.kind, ImageKind::kGifAnimation);
  EXPECT_EQ(fromWebp.doc.kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(w.count, g.count);
  ASSERT_EQ(w.screenWidth, g.screenWidth);
  ASSERT_EQ(w.screenHeight, g.screenHeight);
  EXPECT_EQ(w.loopCount, 3);
  EXPECT_EQ(w.loopCount, g.loopCount);
  for (int i = 0; i < g.count; ++i) {
    EXPECT_EQ(w.frame(i).delay, g.frame(i).delay) << "frame " << i;
    int differing = 0;
    for (int y = 0; y < g.screenHeight; ++y) {
      for (int x = 0; x < g.screenWidth; ++x) {
        const int64_t expected = Shown(g.frame(i).image, g.transparentIndex, x, y);
        const int64_t got = Shown(w.frame(i).image, w.transparentIndex, x, y);
        if (expected != got && differing++ < 3) {
          ADD_FAILURE() << "frame " << i << " at " << x << "," << y << ": " << std::hex << got
                        << " instead of " << expected;
        }
      }
    }
    EXPECT_EQ(differing, 0) << "frame " << i;
  }
}

// The frames libwebp itself composes from a file, red, green, blue, alpha.
std::vector<std::vector<uint8_t>> LibwebpFrames(const std::vector<uint8_t>& file) {
  std::vector<std::vector<uint8_t>> frames;
  const WebPData data{file.data(), file.size()};
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_RGBA;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  if (decoder == nullptr) return frames;
  WebPAnimInfo info;
  WebPAnimDecoderGetInfo(decoder, &info);
  while (WebPAnimDecoderHasMoreFrames(decoder)) {
    uint8_t* buffer = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder, &buffer, &timestamp)) break;
    frames.emplace_back(buffer, buffer + size_t{4} * info.canvas_width * info.canvas_height);
  }
  WebPAnimDecoderDelete(decoder);
  return frames;
}

// Lossy frames show more colours than a palette holds: the frames come in close to the
// pixels libwebp decodes (reduced to one palette), with the transparent pixels in place.
TEST_F(WebpInterop, Gif2webpLossyAnimationOpensCloseToLibwebpsFrames) {
  TempDir dir;
  const std::string gif = dir_->File("anim.gif");
  const std::string webp = dir.File("lossy.webp");
  ASSERT_NO_FATAL_FAILURE(
      RunPeer("/usr/bin/gif2webp -quiet -lossy -q 80 " + Quote(gif) + " -o " + Quote(webp)));
  const auto reference = LibwebpFrames(interop::ReadFileBytes(webp));
  Opened fromGif(gif);
  Opened fromWebp(webp);
  const FrameSet& g = *fromGif.doc.frameSet;
  const FrameSet& w = *fromWebp.doc.frameSet;
  ASSERT_EQ(w.count, g.count);
  ASSERT_EQ(reference.size(), size_t(g.count));
  // More colours than a palette holds: the palette is built.
  std::set<std::vector<uint8_t>> colours;
  for (const auto& frame : reference) {
    for (size_t p = 0; p < frame.size(); p += 4)
      colours.insert({frame[p], frame[p + 1], frame[p + 2]});
  }
  EXPECT_GT(colours.size(), 256u);
  EXPECT_LE(w.paletteCount, 256);
  for (int i = 0; i < g.count; ++i) {
    EXPECT_EQ(w.frame(i).delay, g.frame(i).delay) << "frame " << i;
    double squares = 0;
    int samples = 0;
    for (int y = 0; y < w.screenHeight; ++y) {
      for (int x = 0; x < w.screenWidth; ++x) {
        const uint8_t* p = &reference[size_t(i)][(size_t(y) * w.screenWidth + x) * 4];
        const int64_t got = Shown(w.frame(i).image, w.transparentIndex, x, y);
        ASSERT_EQ(p[3] == 0, got < 0) << "frame " << i << " at " << x << "," << y;
        if (got < 0) continue;
        for (int c = 0; c < 3; ++c) {
          // Partial alpha is mixed with white.
          const double expected = (p[c] * p[3] + 255.0 * (255 - p[3])) / 255.0;
          const double d = expected - double((got >> (16 - 8 * c)) & 255);
          squares += d * d;
          ++samples;
        }
      }
    }
    const double psnr = 10 * std::log10(255.0 * 255.0 / std::max(squares / samples, 1e-9));
    EXPECT_GE(psnr, 36.0) << "frame " << i;
  }
}

// A still picture made by cwebp -lossless opens as its PNG source does.
TEST_F(WebpInterop, CwebpLosslessStillEqualsItsPngSource) {
  TempDir dir;
  const std::string png = dir.File("swirl.png");
  const std::string webp = dir.File("swirl.webp");
  ASSERT_NO_FATAL_FAILURE(
      RunPeer(std::string(kMagick) +
              " -size 33x21 gradient:'#102030-#f0e0c0' -swirl 90 -depth 8 PNG24:" + png));
  ASSERT_NO_FATAL_FAILURE(
      RunPeer("/usr/bin/cwebp -quiet -lossless -exact " + Quote(png) + " -o " + Quote(webp)));
  Opened fromPng(png);
  Opened fromWebp(webp);
  ASSERT_EQ(fromWebp.doc.kind, ImageKind::kBitmap);
  ASSERT_EQ(fromWebp.doc.width, 33);
  ASSERT_EQ(fromWebp.doc.height, 21);
  ASSERT_EQ(fromWebp.doc.bitCount, fromPng.doc.bitCount);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 33; ++x) {
      ASSERT_EQ(Shown(fromWebp.Picture(0), -1, x, y), Shown(fromPng.Picture(0), -1, x, y))
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace zel
