// The colour commands that move the frame set's transparent index (the palette operation
// and semi-transparency), on a picture and on an animation: what they leave, and that undo,
// redo and undo again give back each state exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "color/palette_operation.h"
#include "color/semi_transparency.h"
#include "document/document_state.h"

namespace zel {
namespace {

constexpr uint32_t kBackground = 0x00112233;  // red 0x33, green 0x22, blue 0x11
const Rgbq kBackgroundEntry{0x11, 0x22, 0x33, 0};

// A 4 x 4 picture over an 8-entry table whose pixels use entries 0..5 (6 and 7 unused);
// `transparent` (when set) already shows the background colour, as loading leaves it.
// Frames differ by `seed`, so a frame is known by its pixels.
PackedDib Pic(int seed, int32_t transparent) {
  std::vector<Rgbq> table(8);
  for (int i = 0; i < 8; ++i) table[i] = {uint8_t(10 * i + 1), uint8_t(200 - 9 * i), uint8_t(i), 0};
  if (transparent >= 0) table[static_cast<size_t>(transparent)] = kBackgroundEntry;
  PackedDib p = NewPicture(4, 4, 8, 8, table.data());
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) p.Row(y)[x] = static_cast<uint8_t>((x + 2 * y + seed) % 6);
  }
  return p;
}

std::unique_ptr<DocumentState> MakeDoc(bool animation, int32_t transparent) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  doc->backgroundColor = kBackground;
  FrameSet& frames = *doc->frameSet;
  frames.transparentIndex = transparent;
  if (animation) {
    doc->kind = ImageKind::kGifAnimation;
    for (int i = 0; i < 3; ++i) {
      frames.frame(i).image = Pic(i, transparent);
      frames.frame(i).delay = 10 + i;
    }
    frames.count = 3;
    doc->currentFrame = 2;  // not the first frame, which the commands used to show
    doc->flags = kFlagStopped;
    EXPECT_TRUE(SetCurrentPicture(*doc, DuplicateBlock(frames.frame(2).image)));
  } else {
    doc->kind = ImageKind::kGifPicture;
    EXPECT_TRUE(SetCurrentPicture(*doc, Pic(0, transparent)));
  }
  return doc;
}

std::vector<uint8_t> Bytes(const PackedDib& p) {
  return p ? std::vector<uint8_t>(p.data(), p.data() + p.size()) : std::vector<uint8_t>{};
}

// Everything these commands change.
struct Shot {
  ImageKind kind;
  int32_t transparentIndex;
  int32_t count;
  int32_t currentFrame;
  std::vector<std::vector<uint8_t>> images;
  std::vector<int32_t> delays;
  std::vector<uint8_t> shown;
  bool operator==(const Shot&) const = default;
};

Shot Capture(const DocumentState& doc) {
  const FrameSet& frames = *doc.frameSet;
  Shot s{doc.kind, frames.transparentIndex, frames.count, doc.currentFrame, {}, {},
         Bytes(doc.currentPicture)};
  for (int i = 0; i < frames.count; ++i) {
    s.images.push_back(Bytes(frames.frame(i).image));
    s.delays.push_back(frames.frame(i).delay);
  }
  return s;
}

using Operation = std::function<bool(DocumentState&)>;

// The palette dialog opened, one row's transparent box pressed, OK.
Operation PaletteTransparent(int32_t row, TransparentChoice choice) {
  return [row, choice](DocumentState& doc) {
    PaletteTable table;
    if (!table.Open(doc)) return false;
    table.ApplyTransparent(row, choice);
    return table.Apply(doc).done();
  };
}

Operation Semi(SemiLevel level) {
  return [level](DocumentState& doc) { return ApplySemiTransparency(doc, level, 5).done(); };
}

struct ColourUndoCase {
  std::string name;
  bool animation;
  int32_t transparentBefore;
  Operation op;
  int32_t transparentAfter;
  int32_t frameAfter;  // the current frame of an animation afterwards
};

void PrintTo(const ColourUndoCase& c, std::ostream* os) {
  *os << c.name;
}

class ColourUndo : public ::testing::TestWithParam<ColourUndoCase> {};

TEST_P(ColourUndo, TransparentIndexAndShownFrameComeBackOnUndoAndRedo) {
  const ColourUndoCase& c = GetParam();
  std::unique_ptr<DocumentState> doc = MakeDoc(c.animation, c.transparentBefore);
  const Shot before = Capture(*doc);

  ASSERT_TRUE(c.op(*doc));
  const Shot after = Capture(*doc);
  EXPECT_EQ(after.transparentIndex, c.transparentAfter);
  EXPECT_NE(after.shown, before.shown);
  if (c.animation) {
    EXPECT_NE(after.images, before.images);
    // The picture on screen is the current frame's.
    EXPECT_EQ(doc->currentFrame, c.frameAfter);
    EXPECT_EQ(after.shown, after.images[static_cast<size_t>(c.frameAfter)]);
  }

  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Capture(*doc), before);
  ASSERT_TRUE(doc->undo.CanRedo());
  ASSERT_TRUE(doc->undo.Redo(*doc));
  EXPECT_EQ(Capture(*doc), after);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(Capture(*doc), before);
  EXPECT_FALSE(doc->undo.CanUndo());
}

INSTANTIATE_TEST_SUITE_P(
    ColourCommands, ColourUndo,
    ::testing::Values(
        ColourUndoCase{"PalettePictureMakesTransparent", false, -1,
                       PaletteTransparent(2, TransparentChoice::kSet), 2, 0},
        ColourUndoCase{"PalettePictureClearsTransparent", false, 3,
                       PaletteTransparent(3, TransparentChoice::kClear), -1, 0},
        ColourUndoCase{"PaletteAnimationMakesTransparent", true, -1,
                       PaletteTransparent(2, TransparentChoice::kSet), 2, 2},
        ColourUndoCase{"PaletteAnimationClearsTransparent", true, 3,
                       PaletteTransparent(3, TransparentChoice::kClear), -1, 2},
        ColourUndoCase{"SemiPictureNewEntry", false, -1, Semi(SemiLevel::k50), 8, 0},
        ColourUndoCase{"SemiPictureExistingEntry", false, 3, Semi(SemiLevel::k25), 3, 0},
        // Semi-transparency restarts playback from the first frame and shows it.
        ColourUndoCase{"SemiAnimationNewEntry", true, -1, Semi(SemiLevel::k75), 8, 0},
        ColourUndoCase{"SemiAnimationExistingEntry", true, 3, Semi(SemiLevel::k50), 3, 0}),
    [](const ::testing::TestParamInfo<ColourUndoCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zel
