#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "platform/parallel.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::PicturePixels;
using testing::PixelColor;
using testing::Rgb;

const std::vector<Rgb> kColors = {{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
constexpr int T = 3;  // the transparent index in these tests

// Colours of a composed row: 'k', 'r', 'g' for the palette colours, '.' for the
// animation's transparent (background) index.
std::string Row(const FrameSet& fs, int frame) {
  const PackedDib& p = fs.frame(frame).image;
  std::string out;
  for (int x = 0; x < p.Header().width; ++x) {
    if (p.Row(0)[x] == fs.transparentIndex) {
      out += '.';
      continue;
    }
    Rgb c = PixelColor(p, x, 0);
    out += c.r ? 'r' : c.g ? 'g' : c.b ? 'b' : 'k';
  }
  return out;
}

struct Step {
  int packed;  // graphic control packed byte
  int left;
  int width;
  std::vector<uint8_t> pixels;
};

FrameSet Compose(const std::vector<Step>& steps) {
  GifBuilder gif(4, 1, kColors);
  for (const Step& s : steps) gif.Control(s.packed, 10, T).Image(s.left, 0, s.width, 1, s.pixels);
  gif.Trailer();
  FrameSet fs(16);
  EXPECT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 16), 0);
  return fs;
}

TEST(GifCompose, DisposalMethodsAreAppliedAfterTheFrameIsShown) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> rows;
  } cases[] = {
      {"leave in place: transparent pixels show the frame before",
       {{0x05, 0, 4, {1, 1, 1, 1}}, {0x05, 0, 4, {2, T, 2, T}}, {0x05, 0, 4, {T, T, T, 0}}},
       {"rrrr", "grgr", "grgk"}},
      {"no disposal given behaves like leave in place",
       {{0x01, 0, 4, {1, 1, 1, 1}}, {0x01, 0, 4, {2, T, T, 2}}},
       {"rrrr", "grrg"}},
      {"restore to background clears only the frame's rectangle",
       {{0x05, 0, 4, {1, 1, 1, 1}}, {0x09, 1, 2, {2, 2}}, {0x05, 0, 4, {T, T, T, T}}},
       {"rrrr", "rggr", "r..r"}},
      {"restore to previous brings back the canvas before the frame",
       {{0x05, 0, 4, {1, 1, 1, 1}}, {0x0D, 1, 2, {2, T}}, {0x05, 0, 4, {T, T, T, 2}}},
       {"rrrr", "rgrr", "rrrg"}},
      {"the canvas starts as background",
       {{0x05, 1, 2, {1, T}}, {0x05, 0, 4, {T, T, T, T}}},
       {".r..", ".r.."}},
      {"frames beyond the screen are clipped",
       {{0x05, 0, 4, {2, 2, 2, 2}}, {0x05, 3, 3, {1, 1, 1}}},
       {"gggg", "gggr"}},
  };
  for (const Case& c : cases) {
    FrameSet fs = Compose(c.steps);
    ASSERT_EQ(fs.count, static_cast<int>(c.rows.size())) << c.name;
    for (size_t i = 0; i < c.rows.size(); ++i) {
      ASSERT_EQ(fs.frame(static_cast<int>(i)).image.Header().width, 4) << c.name;
      EXPECT_EQ(Row(fs, static_cast<int>(i)), c.rows[i]) << c.name << ", frame " << i;
    }
  }
}

TEST(GifCompose, FramesShareOnePaletteAfterwards) {
  FrameSet fs = Compose({{0x05, 0, 4, {0, 1, 2, T}}, {0x05, 0, 4, {2, 2, 1, 0}}});
  ASSERT_EQ(fs.count, 2);
  for (int f = 0; f < 2; ++f) {
    const PackedDib& p = fs.frame(f).image;
    EXPECT_EQ(p.Header().clrUsed, static_cast<uint32_t>(fs.paletteCount));
    for (int i = 0; i < fs.paletteCount; ++i) EXPECT_EQ(p.ColorTable()[i], fs.palette[i]);
  }
  // The transparent colour sits at the background index; black moved elsewhere.
  EXPECT_EQ(fs.transparentIndex, 0);
  EXPECT_EQ(fs.palette[0].blue, 200);
  EXPECT_EQ(PixelColor(fs.frame(0).image, 0, 0).r, 0);
  EXPECT_NE(fs.frame(0).image.Row(0)[0], 0);
  // Frame fields other than the picture stay as read.
  EXPECT_EQ(fs.frame(1).disposal, 0);
  EXPECT_EQ(fs.frame(1).transparentIndex, T);
  EXPECT_EQ(fs.frame(1).delay, 10);
}

// A frame that shows more colours than one table holds (256 grays and the empty column
// at the right) leaves the animation in one shared palette, later colours going to the
// nearest entry.
TEST(GifCompose, MoreThan256ColoursInAFrameMapToTheNearest) {
  std::vector<Rgb> grays(256);
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) {
    grays[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    ramp[i] = static_cast<uint8_t>(i);
  }
  std::vector<Rgb> odd = {{10, 11, 10}, {250, 250, 251}, {0, 0, 1}, {0, 0, 1}};
  auto gif = GifBuilder(257, 1, {{0, 0, 0}, {255, 255, 255}})
                 .Image(0, 0, 256, 1, ramp, grays)
                 .Image(0, 0, 3, 1, {0, 1, 2}, odd)
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), 0);
  EXPECT_EQ(fs.paletteCount, 256);
  Rgb a = PixelColor(fs.frame(1).image, 0, 0);
  Rgb b = PixelColor(fs.frame(1).image, 1, 0);
  EXPECT_EQ(a.r, 10);
  EXPECT_EQ(a.g, 10);
  EXPECT_EQ(b.b, 250);
  // Nearly black is as near to the transparent background entry as to black itself, but
  // an opaque colour never becomes transparent.
  EXPECT_NE(fs.frame(1).image.Row(0)[2], fs.transparentIndex);
  EXPECT_EQ(PixelColor(fs.frame(1).image, 2, 0).b, 0);
  // The first frame keeps its exact colours (except the very last, which had no room).
  for (int x = 0; x < 254; ++x) EXPECT_EQ(PixelColor(fs.frame(0).image, x, 0).g, x) << x;
}

// Once the shared palette is full, the later frames are mapped on all cores; what they
// leave in the palette (the background entry's colour, its count) still follows their order.
TEST(GifCompose, FramesAfterTheSharedPaletteFillsMapAlikeOnAnyNumberOfThreads) {
  std::vector<Rgb> grays(256);
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) {
    grays[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    ramp[i] = static_cast<uint8_t>(i);
  }
  // Screen background 255: the shared palette ends one entry short until a colour has to
  // go to its nearest entry.
  struct Case {
    const char* name;
    int background;
    bool lateNearest;
    int paletteCount;
  } cases[] = {{"background first", 0, true, 256},
               {"background last, all later colours exact", 255, false, 255},
               {"background last, a later colour nearest", 255, true, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gif = GifBuilder(256, 1, {{0, 0, 0}, {255, 255, 255}}, c.background);
    // The first frame fills the palette with 255 grays (gray 255 has no room left when the
    // background is entry 0).
    gif.Image(0, 0, 255, 1, std::vector<uint8_t>(ramp.begin(), ramp.begin() + 255), grays);
    for (int f = 1; f < 9; ++f) {
      const auto v = static_cast<uint8_t>(20 * f);
      const auto w = static_cast<uint8_t>(v + 1);
      // A gray, a colour beside the next gray (or that gray itself), and two more.
      std::vector<Rgb> table = {{v, v, v}, {w, v, v}, {1, 2, 3}, {v, 0, v}};
      if (!c.lateNearest) table = {{v, v, v}, {w, w, w}, {3, 3, 3}, {9, 9, 9}};
      // Frames 3 and 6 show colour 2 as transparent; the last of them decides the colour
      // of the background entry.
      if (f == 6) table[2] = {7, 8, 9};
      if (f == 3 || f == 6) gif.Control(0x05, 10, 2);
      gif.Image(f, 0, 4, 1, {0, 1, 2, 3}, table);
    }
    gif.Trailer();

    std::vector<std::vector<uint8_t>> results[2];
    for (int run = 0; run < 2; ++run) {
      SetParallelWorkers(run == 0 ? 1 : 2);
      // The shared palette itself (these frames would each fit a palette of their own).
      FrameSet fs(16);
      ASSERT_EQ(ReadGifData(gif.bytes().data(), gif.bytes().size(), fs, 16), 0);
      EXPECT_EQ(MergeFramePalettes(fs), c.lateNearest);
      ASSERT_TRUE(ComposeFrames(fs));
      SetParallelWorkers(0);
      ASSERT_EQ(fs.count, 9);
      EXPECT_EQ(fs.paletteCount, c.paletteCount);
      EXPECT_EQ(fs.transparentIndex, c.background);
      const Rgbq bg = fs.palette[static_cast<size_t>(c.background)];
      EXPECT_EQ(bg.red, 7);
      EXPECT_EQ(bg.green, 8);
      EXPECT_EQ(bg.blue, 9);
      // Frame 5 at x = 5..8: its gray exactly, the next one to its nearest gray, then the
      // frame's own colours 2 and 3.
      EXPECT_EQ(PixelColor(fs.frame(5).image, 5, 0).g, 100);
      EXPECT_EQ(PixelColor(fs.frame(5).image, 6, 0).g, c.lateNearest ? 100 : 101);
      for (int f = 0; f < fs.count; ++f) {
        std::vector<uint8_t> bytes = PicturePixels(fs.frame(f).image);
        const Rgbq* table = fs.frame(f).image.ColorTable();
        bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(table),
                     reinterpret_cast<const uint8_t*>(table + fs.paletteCount));
        results[run].push_back(bytes);
      }
    }
    EXPECT_EQ(results[0], results[1]);
  }
}

// The animation is transparent only where its canvas shows: never when the frames cover
// the screen every time one is shown.
TEST(GifCompose, TransparentOnlyWhereCanvasShows) {
  struct Frame {
    int packed;  // -1: no graphic control extension
    int left;
    int width;
  };
  struct Case {
    const char* name;
    std::vector<Frame> frames;
    bool transparent;
  } cases[] = {
      {"full frames", {{-1, 0, 4}, {-1, 0, 4}, {-1, 0, 4}}, false},
      {"smaller frames over a full first one", {{0x04, 0, 4}, {0x04, 1, 2}, {0x00, 3, 1}}, false},
      {"first frame smaller than the screen", {{0x04, 0, 3}, {0x04, 0, 4}}, true},
      {"first frame beside the screen", {{0x04, 4, 2}, {0x04, 0, 4}}, true},
      {"restore to background, covered again", {{0x04, 0, 4}, {0x08, 1, 2}, {0x04, 1, 2}}, false},
      {"restore to background, left open", {{0x04, 0, 4}, {0x08, 1, 2}, {0x04, 0, 1}}, true},
      {"restore to background on the whole first frame", {{0x08, 0, 4}, {0x04, 0, 3}}, true},
      {"restore to background on the last frame",
       {{0x04, 0, 4}, {0x04, 1, 2}, {0x08, 0, 4}},
       false},
      {"restore to previous over covered canvas",
       {{0x04, 0, 4}, {0x0C, 1, 2}, {0x04, 2, 1}},
       false},
      {"restore to previous back to empty canvas", {{0x0C, 0, 4}, {0x04, 0, 2}}, true},
      {"restore to background long after the screen was covered",
       {{0x04, 0, 4}, {0x04, 1, 2}, {0x05, 0, 1}, {0x08, 1, 2}, {0x04, 0, 1}},
       true},
      {"restore to previous after an uncovering one",
       {{0x04, 0, 4}, {0x08, 0, 2}, {0x0C, 0, 2}, {0x04, 2, 2}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifBuilder gif(4, 1, kColors, 2);
    for (const Frame& f : c.frames) {
      if (f.packed >= 0) gif.Control(f.packed, 10, 0);
      gif.Image(f.left, 0, f.width, 1, std::vector<uint8_t>(static_cast<size_t>(f.width), 1));
    }
    gif.Trailer();
    FrameSet fs(16);
    ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 16), 0);
    EXPECT_EQ(fs.transparentIndex, c.transparent ? 2 : -1);
    FrameSet read(16);  // the frames as read, before they are composed
    ASSERT_EQ(ReadGifData(gif.bytes().data(), gif.bytes().size(), read, 16), 0);
    EXPECT_EQ(CanvasEverUncovered(read), c.transparent);
  }
  // Transparent pixels over covered canvas show the frame before: still no transparency,
  // and the transparent colour takes no entry of its own.
  auto hidden = GifBuilder(4, 1, kColors, 2)
                    .Control(0x04, 10, 0)
                    .Image(0, 0, 4, 1, {0, 1, 2, 0})
                    .Control(0x05, 10, 1)
                    .Image(0, 0, 4, 1, {1, 1, 3, 1}, {{9, 9, 9}, {7, 7, 7}, {0, 0, 0}, {0, 0, 200}})
                    .Trailer();
  FrameSet shown(4);
  ASSERT_EQ(LoadGifAnimationData(hidden.bytes().data(), hidden.bytes().size(), shown, 4), 0);
  EXPECT_EQ(shown.transparentIndex, -1);
  EXPECT_EQ(shown.paletteCount, 4);  // grey 7 is never drawn
  EXPECT_EQ(Row(shown, 1), "krbk");

  // A frame whose transparent pixels let the canvas through keeps the background entry.
  auto gif = GifBuilder(4, 1, kColors, 2)
                 .Control(0x05, 10, 1)
                 .Image(0, 0, 4, 1, {0, 1, 3, 3})
                 .Image(0, 0, 4, 1, {3, 3, 3, 3})
                 .Trailer();
  FrameSet fs(4);
  ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), 0);
  EXPECT_EQ(fs.transparentIndex, 2);
  EXPECT_EQ(fs.frame(0).image.Row(0)[1], 2);
}

// A 256-colour animation without transparency loses no colour, whatever its background
// byte: opened and saved (normal and optimised), every frame comes back pixel for pixel.
TEST(GifCompose, AllColoursOfAnOpaqueAnimationSurviveASave) {
  std::vector<Rgb> table(256);
  for (int i = 0; i < 256; ++i) {
    table[i] =
        Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)};
  }
  constexpr int kWidth = 256, kHeight = 3;
  std::vector<std::vector<uint8_t>> frames;
  GifBuilder gif(kWidth, kHeight, table, 200);
  gif.Looping();
  for (int f = 0; f < 3; ++f) {
    std::vector<uint8_t> pixels(kWidth * kHeight);
    for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = static_cast<uint8_t>(k * (f + 1) + f);
    gif.Control(0x04, 5 + f, 0).Image(0, 0, kWidth, kHeight, pixels);
    frames.push_back(pixels);
  }
  gif.Trailer();

  FrameSet opened(4);
  ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), opened, 4), 0);
  EXPECT_EQ(opened.transparentIndex, -1);
  std::vector<uint8_t> normal, optimised;
  ASSERT_EQ(BuildGifFile(opened, false, nullptr, normal), 0);
  ASSERT_EQ(BuildOptimizedGifFile(opened, nullptr, optimised), 0);
  for (const auto* saved : {&normal, &optimised}) {
    FrameSet back(4);
    ASSERT_EQ(LoadGifAnimationData(saved->data(), saved->size(), back, 4), 0);
    ASSERT_EQ(back.count, 3);
    int wrong = 0;
    for (int f = 0; f < 3; ++f) {
      EXPECT_EQ(back.frame(f).delay, 5 + f);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const Rgb want = table[frames[f][static_cast<size_t>(y * kWidth + x)]];
          const Rgb got = PixelColor(back.frame(f).image, x, y);
          wrong += want.r != got.r || want.g != got.g || want.b != got.b;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << (saved == &normal ? "normal save" : "optimised save");
  }
}

// One image block of a test animation.
struct Block {
  int left, top, width, height;
  int packed;       // graphic control packed byte, -1 for none
  int transparent;  // the control block's index
  std::vector<uint8_t> pixels;
  std::vector<Rgb> table;
};

constexpr int32_t kCanvas = -1;

int32_t Pack(Rgb c) {
  return (c.r << 16) | (c.g << 8) | c.b;
}

// What a GIF89a viewer shows for each frame: a colour per pixel, or kCanvas.
std::vector<std::vector<int32_t>> ViewerFrames(int sw, int sh, const std::vector<Block>& blocks) {
  std::vector<int32_t> canvas(static_cast<size_t>(sw * sh), kCanvas);
  std::vector<std::vector<int32_t>> shown;
  for (const Block& b : blocks) {
    const int method = b.packed < 0 ? 0 : (b.packed >> 2) & 7;
    const int t = b.packed >= 0 && (b.packed & 1) ? b.transparent : -1;
    const std::vector<int32_t> before = canvas;
    for (int y = 0; y < b.height; ++y) {
      for (int x = 0; x < b.width; ++x) {
        const uint8_t v = b.pixels[static_cast<size_t>(y * b.width + x)];
        if (v != t && b.left + x < sw && b.top + y < sh) {
          canvas[static_cast<size_t>((b.top + y) * sw + b.left + x)] = Pack(b.table[v]);
        }
      }
    }
    shown.push_back(canvas);
    for (int y = b.top; y < std::min(sh, b.top + b.height) && method >= 2; ++y) {
      for (int x = b.left; x < std::min(sw, b.left + b.width); ++x) {
        const size_t at = static_cast<size_t>(y * sw + x);
        canvas[at] = method == 2 ? kCanvas : before[at];
      }
    }
  }
  return shown;
}

// The same read from a composed frame set.
std::vector<int32_t> ComposedFrame(const FrameSet& fs, int f) {
  std::vector<int32_t> out;
  const PackedDib& p = fs.frame(f).image;
  for (int y = 0; y < fs.screenHeight; ++y) {
    for (int x = 0; x < fs.screenWidth; ++x) {
      out.push_back(p.Row(y)[x] == fs.transparentIndex ? kCanvas : Pack(PixelColor(p, x, y)));
    }
  }
  return out;
}

// The pixels where a composed frame differs from what a viewer shows.
int Differences(const FrameSet& fs, int f, const std::vector<int32_t>& want) {
  const std::vector<int32_t> got = ComposedFrame(fs, f);
  if (got.size() != want.size()) return static_cast<int>(want.size());
  int n = 0;
  for (size_t k = 0; k < got.size(); ++k) n += got[k] != want[k];
  return n;
}

// 256 colours, none of them in another frame's table: frame f's colour i.
std::vector<Rgb> DistinctTable(int f) {
  std::vector<Rgb> table(256);
  for (int i = 0; i < 256; ++i) {
    table[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(40 * f + 1),
                   static_cast<uint8_t>(255 - i)};
  }
  return table;
}

std::vector<uint8_t> Indices(size_t count, int first, int modulo) {
  std::vector<uint8_t> v(count);
  for (size_t k = 0; k < count; ++k) v[k] = static_cast<uint8_t>(first + k % modulo);
  return v;
}

// Frames with colour tables of their own that together hold more colours than one palette
// keep a palette each: opened, the composed frames show exactly what a viewer shows, and
// saved (normal and optimised) and opened again, still exactly.
TEST(GifCompose, LocalTablesBeyondOnePaletteKeepEveryColour) {
  constexpr int W = 32, H = 8;
  const std::vector<uint8_t> all = Indices(W * H, 0, 256);
  struct Case {
    const char* name;
    bool globalTable;
    std::vector<Block> blocks;
    bool transparent;
  } cases[] = {
      {"three full frames of 256 colours each",
       true,
       {{0, 0, W, H, 0x04, 0, all, DistinctTable(0)},
        {0, 0, W, H, 0x04, 0, Indices(W * H, 0, 256), DistinctTable(1)},
        {0, 0, W, H, -1, 0, Indices(W * H, 0, 256), DistinctTable(2)}},
       false},
      {"a smaller second frame: 192 colours of the first show around its 64",
       false,
       {{0, 0, W, H, 0x04, 0, all, DistinctTable(0)},
        {8, 2, 16, 4, 0x04, 0, Indices(64, 100, 64), DistinctTable(1)},
        {0, 0, W, H, 0x04, 0, Indices(W * H, 0, 256), DistinctTable(2)}},
       false},
      {"transparent pixels and uncovered canvas: one transparent entry in every frame",
       true,
       {{0, 0, 30, H, 0x04, 0, Indices(30 * H, 0, 240), DistinctTable(0)},
        {0, 0, W, H, 0x05, 5,
         [] {
           std::vector<uint8_t> v = Indices(W * H, 6, 200);
           for (size_t k = 0; k < v.size(); k += 8) v[k] = 5;
           return v;
         }(),
         DistinctTable(1)},
        {4, 1, 8, 2, 0x09, 0, Indices(16, 0, 16), DistinctTable(2)},
        {0, 0, 2, 2, 0x0D, 0, Indices(4, 200, 4), DistinctTable(3)}},
       true},
      {"every index drawn by some frame: one colour moves off the transparent entry",
       true,
       {{0, 0, 30, H, 0x04, 0, Indices(30 * H, 0, 240), DistinctTable(0)},
        {16, 0, 16, 1, 0x04, 0, Indices(16, 240, 16), DistinctTable(1)}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifBuilder gif(W, H,
                   c.globalTable ? std::vector<Rgb>{{1, 2, 3}, {4, 5, 6}} : std::vector<Rgb>{});
    gif.Looping();
    for (const Block& b : c.blocks) {
      if (b.packed >= 0) gif.Control(b.packed, 7, b.transparent);
      gif.Image(b.left, b.top, b.width, b.height, b.pixels, b.table);
    }
    gif.Trailer();
    const auto want = ViewerFrames(W, H, c.blocks);

    std::vector<std::vector<uint8_t>> pictures[2];
    for (int run = 0; run < 2; ++run) {
      SetParallelWorkers(run == 0 ? 1 : 2);
      FrameSet fs(8);
      const int read = LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 8);
      SetParallelWorkers(0);
      ASSERT_EQ(read, 0);
      ASSERT_EQ(fs.count, static_cast<int>(c.blocks.size()));
      EXPECT_EQ(fs.paletteCount, -1);
      EXPECT_EQ(fs.transparentIndex >= 0, c.transparent);
      for (int f = 0; f < fs.count; ++f) {
        EXPECT_EQ(Differences(fs, f, want[static_cast<size_t>(f)]), 0) << "frame " << f;
        const PackedDib& p = fs.frame(f).image;
        std::vector<uint8_t> bytes = PicturePixels(p);
        const auto* table = reinterpret_cast<const uint8_t*>(p.ColorTable());
        bytes.insert(bytes.end(), table, table + 4 * p.ColorCount());
        pictures[run].push_back(bytes);
      }
      if (c.blocks[0].width == W && c.blocks[0].height == H) {
        // A full first frame keeps its own indices.
        EXPECT_EQ(PicturePixels(fs.frame(0).image), c.blocks[0].pixels);
      }
      if (run == 0) continue;

      std::vector<uint8_t> normal, optimised;
      ASSERT_EQ(BuildGifFile(fs, false, nullptr, normal), 0);
      ASSERT_EQ(BuildOptimizedGifFile(fs, nullptr, optimised), 0);
      for (const auto* saved : {&normal, &optimised}) {
        SCOPED_TRACE(saved == &normal ? "normal save" : "optimised save");
        FrameSet back(8);
        ASSERT_EQ(LoadGifAnimationData(saved->data(), saved->size(), back, 8), 0);
        ASSERT_EQ(back.count, fs.count);
        EXPECT_EQ(back.loopCount, kLoopForever);
        for (int f = 0; f < back.count; ++f) {
          EXPECT_EQ(back.frame(f).delay, c.blocks[static_cast<size_t>(f)].packed < 0 ? 0 : 7);
          EXPECT_EQ(Differences(back, f, want[static_cast<size_t>(f)]), 0) << "frame " << f;
        }
      }
    }
    EXPECT_EQ(pictures[0], pictures[1]);
  }
}

TEST(GifCompose, HugeScreensAreRefusedInsteadOfExhaustingMemory) {
  auto gif = GifBuilder(65535, 65535, kColors);
  for (int i = 0; i < 3; ++i) gif.Image(0, 0, 1, 1, {1});
  gif.Trailer();
  FrameSet fs(4);
  EXPECT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), kGifTooLarge);
  EXPECT_EQ(fs.count, 0);
}

TEST(GifCompose, EmptyScreenTakesTheFramesArea) {
  auto gif =
      GifBuilder(0, 0, kColors).Image(0, 0, 3, 1, {1, 1, 1}).Image(1, 0, 1, 1, {2}).Trailer();
  FrameSet fs(4);
  ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), 0);
  EXPECT_EQ(fs.screenWidth, 3);
  EXPECT_EQ(Row(fs, 1), "rgr");
}

// Rows wider than a few pixels are drawn many pixels at a time where a frame keeps its
// colours' indices: each transparent pixel must still show what lies under it, wherever
// it falls, and the result must be the one of the pixel-by-pixel drawing of a frame whose
// colours move.
TEST(GifCompose, WideRowsShowTheFrameBeforeThroughEveryTransparentPixel) {
  constexpr int kWidth = 53;  // three blocks of 16 and a tail
  std::vector<uint8_t> first(2 * kWidth), second(2 * kWidth);
  for (int i = 0; i < 2 * kWidth; ++i) {
    first[i] = static_cast<uint8_t>(i % 3);
    second[i] = static_cast<uint8_t>(i % 7 == 0 || i % 5 == 1 ? T : 1 + i % 2);
  }
  struct Case {
    const char* name;
    std::vector<Rgb> secondTable;  // empty: the global table
  } cases[] = {{"global table: indices kept", {}},
               {"own table in another order", {{0, 200, 0}, {200, 0, 0}, {0, 0, 0}, {9, 9, 9}}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gif = GifBuilder(kWidth, 2, kColors)
                   .Control(0x04, 10, T)
                   .Image(0, 0, kWidth, 2, first)
                   .Control(0x05, 10, T)
                   .Image(0, 0, kWidth, 2, second, c.secondTable)
                   .Trailer();
    for (int workers : {1, 2}) {
      SetParallelWorkers(workers);
      FrameSet fs(4);
      ASSERT_EQ(LoadGifAnimationData(gif.bytes().data(), gif.bytes().size(), fs, 4), 0);
      SetParallelWorkers(0);
      ASSERT_EQ(fs.count, 2);
      const std::vector<Rgb>& table = c.secondTable.empty() ? kColors : c.secondTable;
      for (int i = 0; i < 2 * kWidth; ++i) {
        const int x = i % kWidth, y = i / kWidth;
        const Rgb want = second[i] == T ? kColors[first[i]] : table[second[i]];
        const Rgb got = PixelColor(fs.frame(1).image, x, y);
        ASSERT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b) << "pixel " << i;
      }
    }
  }
}

// What `info` reads (the frames as read, with the palette and transparency loading
// decides) is what loading decides, for a shared palette, a palette per frame, a canvas
// that shows and a palette with a colour twice.
TEST(GifCompose, DescribingDecidesWhatLoadingDecides) {
  std::vector<Rgb> many(256);
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) {
    many[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7};
    ramp[i] = static_cast<uint8_t>(i);
  }
  std::vector<Rgb> twice = {{1, 1, 1}, {5, 5, 5}, {1, 1, 1}, {0, 0, 200}};
  struct Case {
    const char* name;
    GifBuilder gif;
  } cases[] = {
      {"shared palette, covered screen", GifBuilder(4, 1, kColors)
                                             .Image(0, 0, 4, 1, {0, 1, 2, 3})
                                             .Control(0x05, 10, T)
                                             .Image(1, 0, 2, 1, {3, 2})},
      {"canvas shows", GifBuilder(4, 1, kColors, 2)
                           .Control(0x08, 10, T)
                           .Image(0, 0, 3, 1, {0, 1, 3})
                           .Image(1, 0, 2, 1, {1, 0})},
      {"a palette per frame",
       GifBuilder(256, 1, many)
           .Image(0, 0, 256, 1, ramp)
           .Image(0, 0, 4, 1, {0, 1, 2, 3}, {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}})},
      {"a colour twice", GifBuilder(4, 1, twice)
                             .Image(0, 0, 4, 1, {2, 1, 0, 3})
                             .Image(0, 0, 4, 1, {0, 0, 2, 2}, twice)},
  };
  const std::string path = ::testing::TempDir() + "/describe.gif";
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.gif.Trailer();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(c.gif.bytes().data(), 1, c.gif.bytes().size(), f);
    std::fclose(f);
    FrameSet loaded(8), described(8);
    int inLoaded = 0, inDescribed = 0;
    ASSERT_EQ(LoadGifAnimationFile(path, loaded, 8, &inLoaded), 0);
    ASSERT_EQ(DescribeGifAnimationFile(path, described, 8, &inDescribed), 0);
    EXPECT_EQ(inDescribed, inLoaded);
    EXPECT_EQ(described.count, loaded.count);
    EXPECT_EQ(described.paletteCount, loaded.paletteCount);
    EXPECT_EQ(described.transparentIndex, loaded.transparentIndex);
    EXPECT_EQ(described.loopCount, loaded.loopCount);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(described.palette[i], loaded.palette[i]) << i;
    for (int i = 0; i < loaded.count; ++i) {
      EXPECT_EQ(described.frame(i).blockWidth, loaded.frame(i).blockWidth);
      EXPECT_EQ(described.frame(i).transparentIndex, loaded.frame(i).transparentIndex);
      EXPECT_EQ(described.frame(i).colorMap, loaded.frame(i).colorMap);
    }
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zel
