#include "imagefiles/gif_optimizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "platform/file_io.h"
#include "platform/parallel.h"
#include "support/animation_cases.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::AnimationCase;
using testing::AnimationCases;
using testing::MakeAnimation;
using testing::MakeMovingObject;

// What our reader shows: every frame as RGBA, transparent pixels as all zero.
struct Shown {
  std::vector<std::vector<uint32_t>> frames;
  std::vector<int> delays;
  int loop = 0;
};

Shown ReadBack(const std::vector<uint8_t>& file) {
  FrameSet set(64);
  Shown shown;
  EXPECT_EQ(LoadGifAnimationData(file.data(), file.size(), set, 64), kGifReadOk);
  shown.loop = set.loop;
  for (int f = 0; f < set.count; ++f) {
    const PackedDib& picture = set.frame(f).image;
    DibHeader h = picture.Header();
    // Composed frames use the set's transparent entry, a single picture its own.
    const int transparent = set.count > 1 ? set.transparentIndex : set.frame(f).transparentIndex;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h.height; ++y) {
      for (int x = 0; x < h.width; ++x) {
        const int index = picture.Row(y)[x];
        if (index == transparent) {
          pixels.push_back(0);
        } else {
          const Rgbq c = picture.ColorTable()[index];
          pixels.push_back(0xFF000000u | (c.red << 16) | (c.green << 8) | c.blue);
        }
      }
    }
    shown.frames.push_back(std::move(pixels));
    shown.delays.push_back(set.frame(f).delay);
  }
  return shown;
}

class GifOptimizerCases : public ::testing::TestWithParam<AnimationCase> {};

TEST_P(GifOptimizerCases, ReadsBackAsTheNormalSaveAndIsSmaller) {
  FrameSet frames = GetParam().make();
  std::vector<uint8_t> normal, optimized;
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, normal), kGifWriteOk);
  ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, optimized), kGifWriteOk);
  if (GetParam().shrinks) {
    EXPECT_LT(optimized.size(), normal.size());
  } else {
    EXPECT_EQ(optimized, normal);
  }
  Shown expected = ReadBack(normal);
  Shown actual = ReadBack(optimized);
  ASSERT_EQ(actual.frames.size(), expected.frames.size());
  for (size_t f = 0; f < expected.frames.size(); ++f) {
    EXPECT_EQ(actual.frames[f], expected.frames[f]) << "frame " << f;
  }
  EXPECT_EQ(actual.delays, expected.delays);
  EXPECT_EQ(actual.loop, expected.loop);
}

INSTANTIATE_TEST_SUITE_P(Animations, GifOptimizerCases, ::testing::ValuesIn(AnimationCases()),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<OptimizedFramePlan> PlanOf(const FrameSet& frames) {
  std::vector<uint8_t> out;
  std::vector<OptimizedFramePlan> plan;
  EXPECT_EQ(BuildOptimizedGifFile(frames, nullptr, out, &plan), kGifWriteOk);
  return plan;
}

TEST(GifOptimizer, RectanglesCoverExactlyWhatChanges) {
  const int w = 20, h = 10;
  std::vector<uint8_t> a(w * h, 1);
  std::vector<uint8_t> b = a;
  b[3 * w + 4] = 2;  // one pixel at (4, 3)
  b[6 * w + 9] = 3;  // and one at (9, 6)
  FrameSet frames = MakeAnimation(w, h, 4, -1, {a, b, b, a});
  std::vector<OptimizedFramePlan> plan = PlanOf(frames);
  ASSERT_EQ(plan.size(), 4u);
  EXPECT_EQ((std::vector<int>{plan[0].left, plan[0].top, plan[0].width, plan[0].height}),
            (std::vector<int>{0, 0, w, h}));
  EXPECT_EQ((std::vector<int>{plan[1].left, plan[1].top, plan[1].width, plan[1].height}),
            (std::vector<int>{4, 3, 6, 4}));
  // An identical frame is one pixel that changes nothing.
  EXPECT_EQ(plan[2].width * plan[2].height, 1);
  EXPECT_EQ((std::vector<int>{plan[3].left, plan[3].top, plan[3].width, plan[3].height}),
            (std::vector<int>{4, 3, 6, 4}));
  for (const OptimizedFramePlan& p : plan) EXPECT_FALSE(p.restoreBackground);
}

TEST(GifOptimizer, FrameBeforeUncoveredTransparencyRestoresTheBackground) {
  const int w = 12, h = 8, t = 0;
  std::vector<uint8_t> a(w * h, t);
  std::vector<uint8_t> b = a;
  for (int x = 2; x < 5; ++x) a[2 * w + x] = 1;  // a bar that goes away
  b[7 * w + 11] = 2;                             // a dot that appears
  FrameSet frames = MakeAnimation(w, h, 3, t, {a, b, a});
  std::vector<OptimizedFramePlan> plan = PlanOf(frames);
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_TRUE(plan[0].restoreBackground);  // the bar must vanish under frame 1
  EXPECT_TRUE(plan[1].restoreBackground);  // the dot must vanish under frame 2
  // Frame 1 covers the bar it clears and the dot it draws.
  EXPECT_EQ((std::vector<int>{plan[0].left, plan[0].top, plan[0].width, plan[0].height}),
            (std::vector<int>{0, 0, w, h}));
  EXPECT_EQ((std::vector<int>{plan[1].left, plan[1].top, plan[1].width, plan[1].height}),
            (std::vector<int>{11, 7, 1, 1}));
  // After the last frame the first one comes again: the bar stays, nothing to clear.
  EXPECT_FALSE(plan[2].restoreBackground);
}

// The graphic control blocks of a file we wrote: packed byte and transparent index.
std::vector<std::pair<int, int>> ControlBlocks(const std::vector<uint8_t>& gif) {
  std::vector<std::pair<int, int>> blocks;
  for (size_t i = 0; i + 7 < gif.size(); ++i) {
    if (gif[i] == 0x21 && gif[i + 1] == 0xF9 && gif[i + 2] == 4 && gif[i + 7] == 0 &&
        gif[i + 8] == 0x2C) {
      blocks.emplace_back(gif[i + 3], gif[i + 6]);
    }
  }
  return blocks;
}

// The global table and the transparent index of every frame, as written.
struct Written {
  std::vector<Rgbq> table;
  std::vector<int> transparent;  // -1 for a frame without one
};

Written ReadControl(const std::vector<uint8_t>& gif) {
  Written w;
  const size_t entries = size_t{2} << (gif[10] & 7);
  for (size_t i = 0; i < entries; ++i) {
    w.table.push_back(Rgbq{gif[13 + 3 * i + 2], gif[13 + 3 * i + 1], gif[13 + 3 * i], 0});
  }
  for (auto [packed, index] : ControlBlocks(gif)) w.transparent.push_back(packed & 1 ? index : -1);
  return w;
}

TEST(GifOptimizer, TransparentIndexIsTheDocumentsOrOneTheChangedPixelsDoNotUse) {
  const int w = 16, h = 8;
  std::vector<uint8_t> a(w * h);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i % 7);  // 0..6
  std::vector<uint8_t> b = a;
  for (int x = 2; x < 14; ++x) b[3 * w + x] = 7;  // a bar of the one colour a lacks
  for (int x = 0; x < w; ++x) b[6 * w + x] = 6;   // and a row of 6 over the pattern

  // The document's transparent index, shown by some pixels: every frame carries it.
  std::vector<uint8_t> holed = b;
  holed[0] = 5;
  for (int x = 0; x < 4; ++x) holed[x] = 5;
  FrameSet withHoles = MakeAnimation(w, h, 8, 5, {a, holed, a});
  std::vector<uint8_t> gif;
  ASSERT_EQ(BuildOptimizedGifFile(withHoles, nullptr, gif), kGifWriteOk);
  Written written = ReadControl(gif);
  ASSERT_EQ(written.transparent.size(), 3u);
  for (int index : written.transparent) {
    ASSERT_GE(index, 0);
    EXPECT_EQ(written.table[static_cast<size_t>(index)], withHoles.palette[5]);
  }

  // No transparency in the document: frame 0 has none, a later frame may take any entry
  // its changed pixels do not use, and the global table keeps every colour in use.
  for (int colors : {8, 256}) {
    SCOPED_TRACE(colors);
    FrameSet frames = MakeAnimation(w, h, colors, -1, {a, b, a});
    ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, gif), kGifWriteOk);
    written = ReadControl(gif);
    ASSERT_EQ(written.transparent.size(), 3u);
    EXPECT_EQ(written.transparent[0], -1);
    for (int v = 0; v < 8; ++v) {
      EXPECT_NE(std::find(written.table.begin(), written.table.end(), frames.palette[v]),
                written.table.end());
    }
    EXPECT_EQ(written.table.size(), 8u);
    if (written.transparent[1] >= 0) {
      const Rgbq colour = written.table[static_cast<size_t>(written.transparent[1])];
      EXPECT_FALSE(colour == frames.palette[7]);  // the bar
      EXPECT_FALSE(colour == frames.palette[6]);  // the row
    }
  }
}

TEST(GifOptimizer, OneThreadAndAllCoresWriteTheSameBytes) {
  FrameSet frames = MakeMovingObject(160, 120, 12);
  std::vector<uint8_t> normalOne, normalAll, optimizedOne, optimizedAll;
  SetParallelWorkers(1);
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, normalOne), kGifWriteOk);
  ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, optimizedOne), kGifWriteOk);
  SetParallelWorkers(4);
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, normalAll), kGifWriteOk);
  ASSERT_EQ(BuildOptimizedGifFile(frames, nullptr, optimizedAll), kGifWriteOk);
  SetParallelWorkers(0);
  EXPECT_EQ(normalOne, normalAll);
  EXPECT_EQ(optimizedOne, optimizedAll);
  EXPECT_LT(optimizedAll.size(), normalAll.size() / 3);
}

class CancelAt : public ProgressSink {
 public:
  explicit CancelAt(int percent) : percent_(percent) {}
  void ReportProgress(int percent) override { reports.push_back(percent); }
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override { return !reports.empty() && reports.back() >= percent_; }
  std::vector<int> reports;

 private:
  int percent_;
};

TEST(GifOptimizer, ProgressAndCancelGoFrameByFrameInOrder) {
  FrameSet frames = MakeMovingObject(96, 64, 5);
  for (bool optimized : {false, true}) {
    CancelAt sink(40);
    std::vector<uint8_t> out;
    int result = optimized ? BuildOptimizedGifFile(frames, &sink, out)
                           : BuildGifFile(frames, false, &sink, out);
    EXPECT_EQ(result, kGifWriteCancelled);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(sink.reports, (std::vector<int>{0, 20, 40})) << optimized;
  }
}

TEST(GifOptimizer, BadFramesFailLikeTheNormalSaveAndLeaveTheFileAlone) {
  FrameSet frames = MakeMovingObject(96, 64, 3);
  frames.frame(2).image = testing::MakePicture(2, 2, {0, 1, 1, 0}, {{0, 0, 0}, {9, 9, 9}});
  std::vector<uint8_t> out;
  EXPECT_EQ(BuildOptimizedGifFile(frames, nullptr, out), kGifWriteSizeMismatch);
  FrameSet empty(2);
  EXPECT_EQ(BuildOptimizedGifFile(empty, nullptr, out), kGifWriteBadImage);

  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/kept.gif";
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  FILE* file = fopen(path.c_str(), "wb");
  fwrite(old.data(), 1, old.size(), file);
  fclose(file);
  EXPECT_EQ(WriteOptimizedGifFile(frames, path, nullptr), kGifWriteSizeMismatch);
  std::optional<std::vector<uint8_t>> kept = ReadFileBytes(path);
  ASSERT_TRUE(kept);
  EXPECT_EQ(std::vector<uint8_t>(kept->begin(), kept->begin() + 3), old);
}

}  // namespace
}  // namespace zel
