#include "app/generator_dialogs.h"

#include <gtest/gtest.h>

#include "support/picture_fixtures.h"

namespace zel {
namespace {

TEST(MakeAnimeDialog, OpensClampedAndStoresFlagsAndRanges) {
  Settings settings;
  settings.makeAnimeEffect = 12;
  settings.colorCountIndex = -3;
  settings.transparentCorner = 9;
  settings.makeAnimeFrames = 1000;
  settings.makeAnimeTime = 2;
  settings.makeAnimeAmplitude = 0;
  settings.options = kOptionTimeAsTempo | kOptionInsertMargins | kOptionTimeSlider;
  MakeAnimeDialogState s = OpenMakeAnimeDialog(settings, true);
  EXPECT_EQ(s.effect, 9);
  EXPECT_EQ(s.colorCountIndex, 0);
  EXPECT_EQ(s.transparentSource, 4);
  EXPECT_EQ(s.frames, 40);
  EXPECT_EQ(s.timeValue, 10);
  EXPECT_EQ(s.amplitude, 5);
  EXPECT_FALSE(s.noDiffusion);
  EXPECT_FALSE(s.perCycle);
  EXPECT_TRUE(s.tempo);
  EXPECT_TRUE(s.margin);
  EXPECT_FALSE(s.motion);
  EXPECT_TRUE(s.highQuality);

  s.frames = 2;
  s.amplitude = 500;
  s.timeValue = 5000;
  s.effect = 6;
  s.noDiffusion = true;
  s.perCycle = true;
  s.tempo = false;
  s.margin = false;
  s.motion = true;
  s.highQuality = false;
  bool highQuality = true;
  StoreMakeAnimeOptions(s, settings, highQuality);
  EXPECT_EQ(settings.makeAnimeFrames, 4);
  EXPECT_EQ(settings.makeAnimeAmplitude, 100);
  EXPECT_EQ(settings.makeAnimeTime, 1000);
  EXPECT_EQ(settings.options, kOptionNoDiffusion | kOptionTimePerCycle | kOptionMove |
                                  kOptionTimeSlider);  // the slider bit is not ours
  EXPECT_FALSE(highQuality);
  const MakeAnimeOptions o = MakeAnimeOptionsOf(settings, highQuality);
  EXPECT_EQ(o.effect, Effect::kPunk);
  EXPECT_EQ(o.frames, 4);
  EXPECT_EQ(o.flags, kMakeAnimeNoDiffusion | kMakeAnimePerCycle | kMakeAnimeMotion);
}

TEST(MakeAnimeDialog, EnablingFollowsThePictureAndTheEffect) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 256));
  MakeAnimeDialogState s;
  SetCurrentPicture(doc, testing::Make24(4, 4, [](int, int) { return Rgbq{}; }));
  doc.frameSet->transparentIndex = 3;
  MakeAnimeEnabling e = MakeAnimeControlsEnabled(s, doc, false);
  EXPECT_TRUE(e.colorControls && e.transparency);
  EXPECT_FALSE(e.amplitude);  // the copy
  EXPECT_FALSE(e.motion);

  SetCurrentPicture(doc, testing::Make8(
                             4, 4, [](int, int) { return uint8_t(1); }, 4));
  e = MakeAnimeControlsEnabled(s, doc, true);
  EXPECT_FALSE(e.colorControls);
  EXPECT_FALSE(e.transparency);  // the frames' transparent index is kept
  EXPECT_TRUE(e.motion);
  doc.frameSet->transparentIndex = -1;
  EXPECT_TRUE(MakeAnimeControlsEnabled(s, doc, true).transparency);

  for (int effect = 0; effect < kEffectCount; ++effect) {
    s.effect = effect;
    const bool uses = effect != 0 && effect != 3 && effect != 4;
    EXPECT_EQ(MakeAnimeControlsEnabled(s, doc, false).amplitude, uses) << effect;
  }
}

TEST(EffectDialog, EffectIsOneToNineAndAmplitudeIsClamped) {
  Settings settings;
  for (auto [stored, combo] : {std::pair{0, 0}, {-5, 0}, {1, 0}, {6, 5}, {9, 8}, {40, 8}}) {
    settings.effectIndex = stored;
    EXPECT_EQ(OpenEffectDialog(settings).comboIndex, combo) << stored;
  }
  StoreEffectOptions({2, 300}, settings);
  EXPECT_EQ(settings.effectIndex, 3);
  EXPECT_EQ(settings.effectAmplitude, 100);
  StoreEffectOptions({20, 1}, settings);
  EXPECT_EQ(settings.effectIndex, 9);
  EXPECT_EQ(settings.effectAmplitude, 5);
  EXPECT_EQ(EffectOptionsOf(settings).effect, Effect::kZoomInOut);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(EffectAmplitudeEnabled(i), i != 2 && i != 3) << i;
}

}  // namespace
}  // namespace zel
