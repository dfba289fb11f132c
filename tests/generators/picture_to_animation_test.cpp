#include "generators/picture_to_animation.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "color/quality_quantizer.h"
#include "generators/effect_warp.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"
#include "support/picture_fixtures.h"
#include "transforms/deformations.h"
#include "transforms/sampling.h"

namespace zel {
namespace {

using testing::At8;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

constexpr uint32_t kBackground = 0x00102030;  // red 0x30, green 0x20, blue 0x10
constexpr Rgbq kBackgroundEntry{0x10, 0x20, 0x30, 0};

// A photo-like full-colour picture: smooth gradients with a few edges.
PackedDib Photo(int w, int h) {
  return Make24(w, h, [](int x, int y) {
    return Rgbq{uint8_t(x * 7 + y), uint8_t(y * 5 + (x > 10 ? 90 : 0)), uint8_t((x ^ y) * 3), 0};
  });
}

std::unique_ptr<DocumentState> PictureDoc(PackedDib picture, int frameMax = 256) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, frameMax));
  doc->frameMax = doc->frameSet->capacity();
  doc->undo.Reset();
  doc->kind = ImageKind::kBitmap;
  doc->frameSet->transparentIndex = -1;
  doc->backgroundColor = kBackground;
  doc->flags = kFlagStopped | kFlagStep;
  SetCurrentPicture(*doc, std::move(picture));
  return doc;
}

class RecordingSink : public ProgressSink {
 public:
  void ReportProgress(int percent) override {
    reports.push_back(percent);
    if (cancelAt >= 0 && percent >= cancelAt) cancel = true;
  }
  void RestartClock() override { ++restarts; }
  void DisableCancel() override { cancelDisabled = true; }
  bool TakeCancel() override { return std::exchange(cancel, false); }
  std::vector<int> reports;
  int restarts = 0;
  int cancelAt = -1;
  bool cancel = false;
  bool cancelDisabled = false;
};

TEST(PrepareSource, IndexedPictures) {
  // 16 entries, pixels 1..15: entry 0 is unused.
  const PackedDib indexed = Make8(
      6, 5, [](int x, int y) { return uint8_t(1 + (x + 6 * y) % 15); }, 16);
  MakeAnimeOptions options;
  PreparedSource out;

  // The frame set's transparent index is kept, and so is the table.
  ASSERT_TRUE(PrepareSourcePicture(indexed, 3, options, kBackground, &out).done());
  EXPECT_EQ(out.transparentIndex, 3);
  EXPECT_TRUE(SamePicture(out.picture, indexed));

  // No transparent colour in the picture: one entry is appended.
  ASSERT_TRUE(PrepareSourcePicture(indexed, -1, options, kBackground, &out).done());
  EXPECT_EQ(out.transparentIndex, 16);
  EXPECT_EQ(out.picture.ColorCount(), 17u);
  EXPECT_EQ(out.picture.ColorTable()[16], kBackgroundEntry);

  // The top-left pixel (last stored row) gives the index.
  options.transparentSource = 1;
  ASSERT_TRUE(PrepareSourcePicture(indexed, -1, options, kBackground, &out).done());
  EXPECT_EQ(out.transparentIndex, At8(indexed, 0, 4));
  EXPECT_EQ(out.picture.ColorTable()[out.transparentIndex], kBackgroundEntry);
  options.transparentSource = 4;  // bottom-right
  ASSERT_TRUE(PrepareSourcePicture(indexed, -1, options, kBackground, &out).done());
  EXPECT_EQ(out.transparentIndex, At8(indexed, 5, 0));

  // A corner pixel beyond the colour table cannot be made transparent.
  PackedDib beyond = Make8(
      4, 4, [](int, int) { return uint8_t(200); }, 16);
  EXPECT_EQ(PrepareSourcePicture(beyond, -1, options, kBackground, &out), Outcome::Failed(kMsgCannotConvert));
}

TEST(PrepareSource, FullTables) {
  MakeAnimeOptions options;
  PreparedSource out;
  // 256 entries, index 77 unused: it becomes the transparent one.
  PackedDib full =
      Make8(16, 16, [](int x, int y) { return uint8_t(x + 16 * y == 77 ? 78 : x + 16 * y); });
  ASSERT_TRUE(PrepareSourcePicture(full, -1, options, kBackground, &out).done());
  EXPECT_EQ(out.transparentIndex, 77);
  EXPECT_EQ(out.picture.ColorTable()[77], kBackgroundEntry);
  // Every entry used: no slot.
  PackedDib used = Make8(16, 16, [](int x, int y) { return uint8_t(x + 16 * y); });
  EXPECT_EQ(PrepareSourcePicture(used, -1, options, kBackground, &out), Outcome::Failed(kMsgCannotConvert));
  // A header without a used-colour count.
  DibHeader h = full.Header();
  h.clrUsed = 0;
  full.SetHeader(h);
  EXPECT_EQ(PrepareSourcePicture(full, -1, options, kBackground, &out), Outcome::Failed(kMsgCannotConvert));
  EXPECT_EQ(PrepareSourcePicture(PackedDib{}, -1, options, kBackground, &out), Outcome::Failed(kMsgNoPicture));
}

TEST(PrepareSource, FullColourReductions) {
  const PackedDib photo = Photo(40, 30);
  struct Case {
    int colorCountIndex;
    int corner;
    bool diffusion;
    uint32_t entries;  // colour table entries of the result
  };
  const Case cases[] = {
      {7, 0, true, 256},                     // 255 colours and one slot for transparency
      {7, 0, false, 256}, {0, 0, true, 17},  // 2 colours become 16 with error diffusion
      {1, 0, true, 17},   {2, 0, true, 17}, {0, 0, false, 3},  // without it, 2 colours stay 2
      {2, 0, false, 9},   {3, 1, true, 16},                    // a corner: no extra entry
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.colorCountIndex << " " << c.corner << " " << c.diffusion);
    MakeAnimeOptions options;
    options.colorCountIndex = c.colorCountIndex;
    options.transparentSource = c.corner;
    options.flags = c.diffusion ? 0u : uint32_t{kMakeAnimeNoDiffusion};
    PreparedSource out;
    ASSERT_TRUE(PrepareSourcePicture(photo, -1, options, kBackground, &out).done());
    EXPECT_EQ(out.picture.Header().bitCount, 8);
    EXPECT_EQ(out.picture.ColorCount(), c.entries);
    EXPECT_EQ(out.picture.ColorTable()[out.transparentIndex], kBackgroundEntry);
    if (c.corner == 0) {
      EXPECT_EQ(out.transparentIndex, static_cast<int32_t>(c.entries - 1));
    }
  }
}

TEST(PrepareSource, HighQualityGoesThroughTheQualityQuantizer) {
  const PackedDib photo = Photo(40, 30);
  MakeAnimeOptions options;
  options.highQuality = true;
  options.colorCountIndex = 4;
  options.transparentSource = 2;
  options.flags = 0;
  PreparedSource out;
  ASSERT_TRUE(PrepareSourcePicture(photo, -1, options, kBackground, &out).done());
  auto expected = QualityConvertToIndexColor(photo, ColorChoices{4, 2, false}, kBackground);
  ASSERT_TRUE(expected);
  EXPECT_TRUE(SamePicture(out.picture, expected->picture));
  EXPECT_EQ(out.transparentIndex, expected->transparentIndex);
}

TEST(PrepareSource, CornerColourBecomesTransparentAfterDiffusion) {
  // A flat frame of one colour around a gradient: every frame pixel becomes T, and no
  // gradient pixel does.
  const Rgbq frameColour{200, 40, 40, 0};
  const PackedDib picture = Make24(24, 20, [&](int x, int y) {
    if (x < 3 || y < 3 || x > 20 || y > 16) return frameColour;
    return Rgbq{uint8_t(190 + x), uint8_t(40 + y), uint8_t(45 + x), 0};
  });
  MakeAnimeOptions options;
  options.transparentSource = 3;
  options.colorCountIndex = 3;
  options.flags = 0;
  PreparedSource out;
  ASSERT_TRUE(PrepareSourcePicture(picture, -1, options, kBackground, &out).done());
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 24; ++x) {
      const bool frame = x < 3 || y < 3 || x > 20 || y > 16;
      EXPECT_EQ(At8(out.picture, x, y) == out.transparentIndex, frame) << x << "," << y;
    }
  }
}

TEST(Margin, CentresThePictureInASquareOfItsDiagonal) {
  const PackedDib p = Make8(
      12, 9, [](int x, int y) { return uint8_t(1 + x + y); }, 32);
  const PackedDib m = AddDiagonalMargin(p, 20);
  ASSERT_TRUE(m);
  ASSERT_EQ(m.Header().width, 15);  // sqrt(12² + 9²)
  ASSERT_EQ(m.Header().height, 15);
  EXPECT_EQ(m.ColorCount(), 32u);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 15; ++x) {
      const bool inside = x >= 1 && x < 13 && y >= 3 && y < 12;
      EXPECT_EQ(At8(m, x, y), inside ? At8(p, x - 1, y - 3) : 20) << x << "," << y;
    }
  }
  const PackedDib narrow = Make8(
      7, 20, [](int, int) { return uint8_t(1); }, 4);
  EXPECT_TRUE(SamePicture(AddDiagonalMargin(narrow, 0), narrow));
}

TEST(FrameDelays, PerFramePerCycleAndTempo) {
  struct Case {
    int time, frames;
    bool perCycle, tempo;
    std::vector<int32_t> delays;
  };
  const Case cases[] = {
      {10, 4, true, false, {2, 2, 2, 4}},
      {1000, 10, true, true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 6}},
      {120, 4, false, true, {50, 50, 50, 50}},
      {35, 5, false, false, {35, 35, 35, 35, 35}},
      {100, 6, true, false, {16, 16, 16, 16, 16, 20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameDelays(c.time, c.frames, c.perCycle, c.tempo), c.delays) << c.time;
  }
}

TEST(MakeAnimation, InstallsAFrameAnimationThatPlays) {
  auto doc = PictureDoc(Photo(30, 20));
  MakeAnimeOptions options;
  options.effect = Effect::kTurnRight;
  options.frames = 4;
  options.timeValue = 10;
  options.flags = kMakeAnimePerCycle | kMakeAnimeNoDiffusion;
  RecordingSink sink;
  ASSERT_TRUE(MakeAnimation(*doc, options, nullptr, &sink, 5000).done());
  EXPECT_EQ(doc->kind, ImageKind::kFrameAnimation);
  const FrameSet& set = *doc->frameSet;
  ASSERT_EQ(set.count, 4);
  const int32_t t = set.transparentIndex;
  EXPECT_EQ(t, static_cast<int32_t>(doc->currentPicture.ColorCount()) - 1);  // the added slot
  EXPECT_EQ((std::vector<int32_t>{set.frame(0).delay, set.frame(1).delay, set.frame(2).delay,
                                  set.frame(3).delay}),
            (std::vector<int32_t>{2, 2, 2, 4}));
  // Frame 2 is turned by 0: the source itself, which is also the current picture.
  EXPECT_TRUE(SamePicture(set.frame(2).image, doc->currentPicture));
  const Fill fill{ColorFromBackground(kBackground), t};
  EXPECT_TRUE(SamePicture(set.frame(0).image, Rotate(doc->currentPicture, 1.0, fill)));
  EXPECT_TRUE(SamePicture(set.frame(3).image, Rotate(doc->currentPicture, -0.5, fill)));
  EXPECT_EQ(doc->flags & (kFlagStopped | kFlagStep | kFlagBusy), 0u);
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->lastFrameTick, 5000u);
  EXPECT_EQ(sink.reports, (std::vector<int>{0, 25, 50, 75}));
  EXPECT_EQ(sink.restarts, 1);
  // Undo gives the picture back.
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->currentPicture.Header().bitCount, 24);
}

TEST(MakeAnimation, RefusalsLeaveTheDocumentAsItWas) {
  struct Case {
    const char* what;
    int frameMax;
    int frames;
    int amplitude;
    bool picture;
    MessageId result;
  };
  const Case cases[] = {
      {"above the frame maximum", 16, 20, 40, true, kMsgOutOfRange},
      {"too few frames", 256, 3, 40, true, kMsgOutOfRange},
      {"more than 40", 256, 41, 40, true, kMsgOutOfRange},
      {"amplitude", 256, 10, 101, true, kMsgOutOfRange},
      {"no picture", 256, 10, 40, false, kMsgNoPicture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto doc = PictureDoc(c.picture ? Photo(12, 12) : PackedDib{}, c.frameMax);
    MakeAnimeOptions options;
    options.frames = c.frames;
    options.amplitude = c.amplitude;
    const int64_t undoEnd = doc->undo.end();
    const uint64_t revision = doc->revision;
    EXPECT_EQ(MakeAnimation(*doc, options, nullptr, nullptr, 0), Outcome::Failed(c.result));
    // A refusal takes no undo step and makes no new revision.
    EXPECT_EQ(doc->undo.end(), undoEnd);
    EXPECT_EQ(doc->revision, revision);
    EXPECT_EQ(doc->kind, ImageKind::kBitmap);
    EXPECT_EQ(doc->frameSet->count, 0);
    if (c.picture) {
      EXPECT_EQ(doc->currentPicture.Header().bitCount, 24);
    }
  }
}

TEST(MakeAnimation, CancelChangesNothing) {
  auto doc = PictureDoc(Photo(20, 20));
  MakeAnimeOptions options;
  options.effect = Effect::kPunk;
  RecordingSink sink;
  sink.cancelAt = 30;
  EXPECT_EQ(MakeAnimation(*doc, options, nullptr, &sink, 0), Outcome::Cancelled());
  EXPECT_EQ(doc->kind, ImageKind::kBitmap);
  EXPECT_EQ(doc->frameSet->count, 0);
}

TEST(MakeAnimation, EveryEffectGivesTheSameFramesOnOneThreadAndOnSeveral) {
  const PackedDib photo = Photo(33, 21);
  for (int e = 0; e < kEffectCount; ++e) {
    SCOPED_TRACE(EffectAlias(static_cast<Effect>(e)));
    MakeAnimeOptions options;
    options.effect = static_cast<Effect>(e);
    options.frames = 9;
    options.amplitude = 70;
    options.flags = kMakeAnimeMargin;
    GeneratedAnimation one, many;
    SetParallelWorkers(1);
    ASSERT_TRUE(GenerateAnimation(photo, -1, kBackground, options, 256, nullptr, nullptr, &one).done());
    SetParallelWorkers(4);
    ASSERT_TRUE(GenerateAnimation(photo, -1, kBackground, options, 256, nullptr, nullptr, &many).done());
    SetParallelWorkers(0);
    EXPECT_EQ(one.source.Header().width, 39);  // the margin: trunc(sqrt(33² + 21²))
    for (int i = 0; i < 9; ++i) {
      EXPECT_TRUE(SamePicture(one.frames->frame(i).image, many.frames->frame(i).image)) << i;
    }
  }
}

TEST(MakeAnimation, MotionPlacesEveryFrameWhenAsked) {
  const PackedDib photo = Photo(16, 12);
  std::vector<int> prepared;
  // A stand-in placement: writes the step into the bottom-left pixel.
  const MotionPreparation motion = [&](int w, int h, int frames, int32_t t,
                                       uint32_t fill) -> MotionPlacement {
    prepared = {w, h, frames, t, static_cast<int>(fill)};
    return [](const PackedDib& frame, int step) {
      PackedDib moved = DuplicateBlock(frame);
      moved.Pixels()[0] = static_cast<uint8_t>(step);
      return moved;
    };
  };
  MakeAnimeOptions options;
  options.frames = 6;
  options.flags = kMakeAnimeMotion;
  GeneratedAnimation out;
  ASSERT_TRUE(GenerateAnimation(photo, -1, kBackground, options, 256, &motion, nullptr, &out).done());
  EXPECT_EQ(prepared, (std::vector<int>{16, 12, 6, out.frames->transparentIndex,
                                        static_cast<int>(kBackground)}));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out.frames->frame(i).image.Pixels()[0], i);

  // Without the flag, or when the preparation finds nothing, the frames stay copies.
  const MotionPreparation nothing = [](int, int, int, int32_t, uint32_t) {
    return MotionPlacement{};
  };
  for (auto [flags, hook] : {std::pair{0u, &motion}, {uint32_t{kMakeAnimeMotion}, &nothing}}) {
    options.flags = flags;
    prepared.clear();
    GeneratedAnimation plain;
    ASSERT_TRUE(GenerateAnimation(photo, -1, kBackground, options, 256, hook, nullptr, &plain).done());
    for (int i = 0; i < 6; ++i)
      EXPECT_TRUE(SamePicture(plain.frames->frame(i).image, plain.source));
  }
}

}  // namespace
}  // namespace zel
