#include "generators/effect_schedule.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/language_scope.h"

namespace zel {
namespace {

using testing::LanguageScope;

struct ScheduleCase {
  Effect effect;
  int frames;
  double amplitude;
  WarpKind warp;
  std::vector<double> values;  // NaN: the frame is the picture as it is
};

constexpr double kSame = -1000;  // marks a frame without a warp

TEST(EffectSchedule, FramesFollowTheEffect) {
  const double a = 0.4;
  const ScheduleCase cases[] = {
      // Up from -A in h + 1 steps to +A, back down in m + 1 steps, never -A twice.
      {Effect::kWaving,
       6,
       a,
       WarpKind::kRotate,
       {-a, -a + 0.8 / 3, -a + 1.6 / 3, a, a - 0.8 / 3, a - 1.6 / 3}},
      {Effect::kSwaying,
       7,
       a,
       WarpKind::kSwirl,
       {-a, -a + 0.8 / 3, -a + 1.6 / 3, a, a - 0.2, a - 0.4, a - 0.6}},
      {Effect::kWaving, 4, a, WarpKind::kRotate, {-a, 0, a, 0}},
      {Effect::kTurnRight, 4, a, WarpKind::kRotate, {1, 0.5, 0, -0.5}},
      {Effect::kTurnLeft, 4, a, WarpKind::kRotate, {-1, -0.5, 0, 0.5}},
      {Effect::kPulsing, 5, a, WarpKind::kRadial, {-a, -0.3, -0.2, -0.1, 0}},
      {Effect::kPunk, 5, a, WarpKind::kRadial, {-a, -0.2, 0, 0.2, a}},
      {Effect::kZoomIn, 5, a, WarpKind::kRect, {0.6, 0.7, 0.8, 0.9, kSame}},
      {Effect::kZoomOut, 5, a, WarpKind::kRect, {kSame, 0.9, 0.8, 0.7, 0.6}},
      // c = 4: the copy in the middle, frame 0 at 1 - 4/9, frame 9 at 1 - 5/9.
      {Effect::kZoomInOut,
       10,
       0.5,
       WarpKind::kRect,
       {1 - 4.0 / 9, 1 - 3.0 / 9, 1 - 2.0 / 9, 1 - 1.0 / 9, kSame, 1 - 1.0 / 9, 1 - 2.0 / 9,
        1 - 3.0 / 9, 1 - 4.0 / 9, 1 - 5.0 / 9}},
      {Effect::kCopy, 4, a, WarpKind::kNone, {kSame, kSame, kSame, kSame}},
  };
  for (const ScheduleCase& c : cases) {
    SCOPED_TRACE(EffectAlias(c.effect));
    const std::vector<FrameStep> steps = EffectSchedule(c.effect, c.frames, c.amplitude);
    ASSERT_EQ(steps.size(), c.values.size());
    for (size_t i = 0; i < steps.size(); ++i) {
      if (c.values[i] == kSame) {
        EXPECT_EQ(steps[i].warp, WarpKind::kNone) << i;
      } else {
        EXPECT_EQ(steps[i].warp, c.warp) << i;
        EXPECT_NEAR(steps[i].value, c.values[i], 1e-12) << i;
      }
    }
  }
  EXPECT_TRUE(EffectSchedule(Effect::kPunk, 1, 0.4).empty());
}

// Names in either language are taken whatever the current language.
TEST(EffectSchedule, NamesInBothLanguagesAndAscii) {
  for (Language current : {Language::kJapanese, Language::kEnglish}) {
    LanguageScope scope(current);
    for (int i = 0; i < kEffectCount; ++i) {
      const auto effect = static_cast<Effect>(i);
      EXPECT_EQ(EffectByName(EffectText(effect, Language::kJapanese)), effect);
      EXPECT_EQ(EffectByName(EffectText(effect, Language::kEnglish)), effect);
      EXPECT_EQ(EffectByName(EffectAlias(effect)), effect);
    }
    EXPECT_STREQ(EffectText(Effect::kPunk), EffectText(Effect::kPunk, current));
  }
  EXPECT_STREQ(EffectText(Effect::kZoomInOut, Language::kJapanese), "ｽﾞｰﾑｲﾝｱｳﾄ");
  EXPECT_STREQ(EffectText(Effect::kZoomInOut, Language::kEnglish), "Zoom in and out");
  EXPECT_EQ(EffectByName("パンク"), Effect::kPunk);
  EXPECT_EQ(EffectByName("ｽﾞｰﾑｲﾝｱｳﾄ"), Effect::kZoomInOut);
  EXPECT_EQ(EffectByName("zoom IN and out"), Effect::kZoomInOut);
  EXPECT_EQ(EffectByName("Turn-Right"), Effect::kTurnRight);
  EXPECT_FALSE(EffectByName("Turn  right"));
  EXPECT_FALSE(EffectByName("spin"));
  EXPECT_FALSE(EffectByName(""));
  EXPECT_FALSE(EffectUsesAmplitude(Effect::kTurnLeft));
  EXPECT_TRUE(EffectUsesAmplitude(Effect::kSwaying));
}

}  // namespace
}  // namespace zel
