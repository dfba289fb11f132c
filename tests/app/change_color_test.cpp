#include "app/change_color.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "color/quality_quantizer.h"

namespace zel {
namespace {

// A 24-bit picture of `count` distinct colours (count <= 256), each used twice.
PackedDib Distinct(int count) {
  PackedDib picture = NewPicture(count, 2, 24, 0);
  for (int row = 0; row < 2; ++row) {
    uint8_t* p = picture.Pixels() + picture.Stride() * row;
    for (int x = 0; x < count; ++x, p += 3) {
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(255 - x);
      p[2] = static_cast<uint8_t>(x * 3);
    }
  }
  return picture;
}

std::vector<bool> Enabled(const ChangeColorDialogState& state) {
  std::vector<bool> enabled;
  for (int id : {kChangeColorCount, kChangeColorNoDiffusion, kChangeColorPureIndex,
                 kChangeColorReferenceLabel, kChangeColorReferencePath, kChangeColorBrowse,
                 kChangeColorTransparency}) {
    enabled.push_back(IsChangeColorControlEnabled(state, id));
  }
  return enabled;
}
// Order of Enabled(): 1010, 1007, 1008, 1016, 1004, 1000, 1015.

TEST(ChangeColorDialog, OpeningStateFollowsPureIndexPossibility) {
  Settings settings;
  settings.colorCountIndex = 3;
  settings.transparentCorner = 2;
  settings.options = kOptionNoDiffusion;

  ChangeColorDialogState pure = OpenChangeColorDialog(settings, Distinct(255));
  EXPECT_TRUE(pure.pureIndex);
  EXPECT_EQ(Enabled(pure), (std::vector<bool>{false, false, true, false, false, false, true}));
  EXPECT_EQ(CreateAction(pure), ChangeColorAction::kPureIndex);

  ChangeColorDialogState many = OpenChangeColorDialog(settings, Distinct(256));
  EXPECT_FALSE(many.pureIndex);
  EXPECT_EQ(Enabled(many), (std::vector<bool>{true, true, false, false, false, false, true}));
  EXPECT_EQ(many.colorCountIndex, 3);
  EXPECT_EQ(many.transparentCorner, 2);
  EXPECT_TRUE(many.noDiffusion);
  EXPECT_EQ(CreateAction(many), ChangeColorAction::kIndexColor);

  // Kept choices out of range show clamped.
  settings.colorCountIndex = 99;
  settings.transparentCorner = -4;
  settings.options = 0;
  ChangeColorDialogState clamped = OpenChangeColorDialog(settings, PackedDib());
  EXPECT_EQ(clamped.colorCountIndex, 7);
  EXPECT_EQ(clamped.transparentCorner, 0);
  EXPECT_FALSE(clamped.noDiffusion);
}

TEST(ChangeColorDialog, PureIndexAndPaletteReferenceExcludeEachOther) {
  ChangeColorDialogState state = OpenChangeColorDialog(Settings(), Distinct(10));
  SetPaletteReference(state, true);
  EXPECT_FALSE(state.pureIndex);
  EXPECT_TRUE(state.paletteReference);
  EXPECT_EQ(Enabled(state), (std::vector<bool>{true, true, true, true, true, true, true}));
  EXPECT_EQ(CreateAction(state), ChangeColorAction::kPaletteReference);

  SetPureIndex(state, true);
  EXPECT_FALSE(state.paletteReference);
  EXPECT_EQ(Enabled(state), (std::vector<bool>{false, false, true, false, false, false, true}));

  SetPureIndex(state, false);
  EXPECT_EQ(Enabled(state), (std::vector<bool>{true, true, true, false, false, false, true}));
  EXPECT_EQ(CreateAction(state), ChangeColorAction::kIndexColor);

  SetPaletteReference(state, true);
  SetPaletteReference(state, false);
  EXPECT_EQ(Enabled(state), (std::vector<bool>{true, true, true, false, false, false, true}));
}

TEST(ChangeColorDialog, CreateStoresClampedChoicesAndTheFlag) {
  struct Case {
    int count, corner;
    bool noDiffusion;
    int keptCount, keptCorner;
  };
  const std::vector<Case> cases = {
      {3, 2, true, 3, 2}, {-1, 9, false, 0, 4}, {8, -1, true, 7, 0}, {7, 4, false, 7, 4}};
  for (const Case& c : cases) {
    Settings settings;
    settings.options = kOptionTimeAsTempo | (c.noDiffusion ? 0u : kOptionNoDiffusion);
    ChangeColorDialogState state;
    state.colorCountIndex = c.count;
    state.transparentCorner = c.corner;
    state.noDiffusion = c.noDiffusion;
    StoreColorChoices(state, settings);
    EXPECT_EQ(settings.colorCountIndex, c.keptCount);
    EXPECT_EQ(settings.transparentCorner, c.keptCorner);
    EXPECT_EQ(settings.options, kOptionTimeAsTempo | (c.noDiffusion ? kOptionNoDiffusion : 0u));
    ColorChoices kept = KeptColorChoices(settings);
    EXPECT_EQ(kept.colorCountIndex, c.keptCount);
    EXPECT_EQ(kept.transparentCorner, c.keptCorner);
    EXPECT_EQ(kept.noDiffusion, c.noDiffusion);
  }
}

// "高画質" follows the colour count: off for pure index and for the palette reference.
TEST(ChangeColorDialog, HighQualityOnlyForAComputedPalette) {
  ChangeColorDialogState state = OpenChangeColorDialog(Settings(), Distinct(256), true);
  EXPECT_TRUE(state.highQuality);
  EXPECT_FALSE(OpenChangeColorDialog(Settings(), Distinct(10)).highQuality);
  SetPureIndex(state, true);
  EXPECT_FALSE(IsChangeColorControlEnabled(state, kChangeColorHighQuality));
  SetPureIndex(state, false);
  EXPECT_TRUE(IsChangeColorControlEnabled(state, kChangeColorHighQuality));
  SetPaletteReference(state, true);
  EXPECT_FALSE(IsChangeColorControlEnabled(state, kChangeColorHighQuality));
  SetPaletteReference(state, false);
  EXPECT_TRUE(IsChangeColorControlEnabled(state, kChangeColorHighQuality));
}

class ColorCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    doc.undo.Reset();
    doc.kind = ImageKind::kJpeg;
    ASSERT_TRUE(SetCurrentPicture(doc, Distinct(40)));
    settings.colorCountIndex = 4;
    settings.transparentCorner = 1;
    settings.options = 0;
  }
  void TearDown() override { SetDisplayReduction(nullptr); }
  DocumentState doc;
  Settings settings;
};

TEST_F(ColorCommand, ConvertThenToggleBackAndAgainWithUndo) {
  EXPECT_FALSE(ToggleToFullColor(doc).done());  // a 24-bit picture opens the dialog instead
  EXPECT_FALSE(doc.undo.CanUndo());

  std::optional<IndexConversion> conversion = RunColorConversion(doc, settings, false);
  ASSERT_TRUE(conversion);
  const int32_t t = conversion->transparentIndex;
  ASSERT_GE(t, 0);
  ASSERT_TRUE(InstallIndexConversion(doc, std::move(*conversion)).done());
  EXPECT_EQ(doc.bitCount, 8);
  EXPECT_EQ(doc.frameSet->transparentIndex, t);
  EXPECT_TRUE(doc.undo.CanUndo());

  ASSERT_TRUE(ToggleToFullColor(doc).done());
  EXPECT_EQ(doc.bitCount, 24);
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);
  EXPECT_EQ(doc.currentPicture.Header().width, 40);
  EXPECT_FALSE(ToggleToFullColor(doc).done());

  // Undo walks back: the index picture with its transparent index, then the original.
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(doc.bitCount, 8);
  EXPECT_EQ(doc.frameSet->transparentIndex, t);
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(doc.bitCount, 24);
}

TEST_F(ColorCommand, PureIndexKeepsColoursAndFailureChangesNothing) {
  std::optional<IndexConversion> pure = RunColorConversion(doc, settings, true);
  ASSERT_TRUE(pure);
  EXPECT_EQ(pure->picture.Header().clrUsed, 40u);
  EXPECT_EQ(pure->transparentIndex, pure->picture.Pixels()[pure->picture.Stride()]);

  // 256 colours cannot be kept; an 8-bit picture cannot be converted.
  ASSERT_TRUE(SetCurrentPicture(doc, Distinct(256)));
  EXPECT_FALSE(RunColorConversion(doc, settings, true));
  ASSERT_TRUE(SetCurrentPicture(doc, NewPicture(4, 4, 8, 2)));
  EXPECT_FALSE(RunColorConversion(doc, settings, false));
  EXPECT_STREQ(Say(kIndexConversionFailedText), "インディックスカラー変換に失敗しました");
}

TEST_F(ColorCommand, HighQualityRunsTheHighQualityReduction) {
  std::optional<IndexConversion> quality = RunColorConversion(doc, settings, false, true);
  std::optional<IndexConversion> direct = QualityConvertToIndexColor(
      doc.currentPicture, KeptColorChoices(settings), doc.backgroundColor);
  ASSERT_TRUE(quality);
  ASSERT_TRUE(direct);
  EXPECT_EQ(quality->transparentIndex, direct->transparentIndex);
  ASSERT_EQ(quality->picture.size(), direct->picture.size());
  EXPECT_EQ(0,
            std::memcmp(quality->picture.data(), direct->picture.data(), direct->picture.size()));
  // Pure index keeps every colour whatever the choice.
  std::optional<IndexConversion> pure = RunColorConversion(doc, settings, true, true);
  ASSERT_TRUE(pure);
  EXPECT_EQ(pure->picture.Header().clrUsed, 40u);
}

TEST_F(ColorCommand, PaletteDisplayWithoutAReductionRefusesFullColour) {
  std::optional<IndexConversion> conversion = RunColorConversion(doc, settings, false);
  ASSERT_TRUE(conversion);
  doc.trueColorDisplay = 0;
  ASSERT_TRUE(InstallIndexConversion(doc, std::move(*conversion)).done());
  const int64_t end = doc.undo.end();
  SetDisplayReduction(nullptr);
  EXPECT_FALSE(ToggleToFullColor(doc).done());
  EXPECT_EQ(doc.bitCount, 8);
  EXPECT_EQ(doc.undo.end(), end);  // no snapshot for a refused picture
  SetDisplayReduction(&ReduceForPaletteDisplay);
  ASSERT_TRUE(ToggleToFullColor(doc).done());
  EXPECT_EQ(doc.bitCount, 24);
  EXPECT_EQ(doc.displayPalettePicture.Header().bitCount, 8);
}

}  // namespace
}  // namespace zel
