#include "generators/animation_merge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "generators/merge_palette.h"
#include "generators/merge_settings.h"
#include "generators/palette_compaction.h"
#include "generators/time_pairing.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/picture_clipboard.h"
#include "platform/parallel.h"
#include "platform/profile_file.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::MakePicture;
using testing::Rgb;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kSilver{192, 192, 192};

// Colours as 0xRRGGBB, so that they compare and print.
uint32_t Hex(const Rgb& c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

uint32_t ColorAt(const PackedDib& picture, int x, int y) {
  return Hex(testing::PixelColor(picture, x, y));
}

// A picture of one colour from a two-entry table {colour, white}.
PackedDib Solid(int w, int h, Rgb color) {
  return MakePicture(w, h, std::vector<uint8_t>(static_cast<size_t>(w * h), 0), {color, kWhite});
}

std::unique_ptr<DocumentState> NewDoc() {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->frameMax = doc->frameSet->capacity();
  doc->undo.Reset();
  doc->backgroundColor = 0xC0C0C0;
  return doc;
}

std::unique_ptr<DocumentState> PictureDoc(PackedDib picture, int32_t transparent = -1) {
  auto doc = NewDoc();
  doc->kind = ImageKind::kBitmap;
  doc->frameSet->transparentIndex = transparent;
  SetCurrentPicture(*doc, std::move(picture));
  return doc;
}

std::unique_ptr<FrameSet> Frames(std::vector<PackedDib> pictures, int delay, int32_t transparent) {
  auto set = FrameSet::Create(256);
  const DibHeader h = pictures[0].Header();
  set->screenWidth = h.width;
  set->screenHeight = h.height;
  set->transparentIndex = transparent;
  set->count = static_cast<int32_t>(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    set->frame(static_cast<int>(i)).image = std::move(pictures[i]);
    set->frame(static_cast<int>(i)).delay = delay;
    set->frame(static_cast<int>(i)).transparentIndex = transparent;
  }
  return set;
}

std::unique_ptr<DocumentState> AnimationDoc(std::vector<PackedDib> pictures, int delay,
                                            int32_t transparent = -1) {
  auto doc = NewDoc();
  auto set = Frames(std::move(pictures), delay, transparent);
  EXPECT_TRUE(InstallAnimation(*doc, *set, ImageKind::kGifAnimation, 0));
  return doc;
}

MergeOverlay PictureOverlay(PackedDib picture, int32_t transparent = -1) {
  MergeOverlay overlay;
  overlay.picture = std::move(picture);
  overlay.transparentIndex = transparent;
  return overlay;
}

MergeOverlay AnimationOverlay(std::vector<PackedDib> pictures, int delay) {
  MergeOverlay overlay;
  overlay.frames = Frames(std::move(pictures), delay, -1);
  overlay.transparentIndex = -1;
  return overlay;
}

class FixedClipboard : public PictureClipboard {
 public:
  explicit FixedClipboard(PackedDib picture) : picture_(std::move(picture)) {}
  PackedDib ReadPicture() override { return DuplicateBlock(picture_); }

 private:
  PackedDib picture_;
};

// --- Pairing by time ---

TEST(PairByTime, StretchesBothTimelinesAndPairsByStartTime) {
  struct Case {
    std::vector<int32_t> base, overlay;
    bool baseDrives;
    std::vector<int32_t> partner;
  };
  const Case cases[] = {
      // 10 frames of 10 with 5 frames of 10: the overlay is stretched to twice its length.
      {std::vector<int32_t>(10, 10),
       std::vector<int32_t>(5, 10),
       true,
       {0, 1, 1, 2, 2, 3, 3, 4, 4, 4}},
      // More overlay frames: the overlay drives, the base is stretched.
      {std::vector<int32_t>(3, 10), std::vector<int32_t>(6, 10), false, {0, 1, 1, 2, 2, 2}},
      // Equal counts: the base drives; equal timelines pair one to one.
      {{5, 5, 5}, {5, 5, 5}, true, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    TimePairing pairing;
    ASSERT_EQ(PairByTime(c.base, c.overlay, &pairing), 0);
    EXPECT_EQ(pairing.baseDrives, c.baseDrives);
    EXPECT_EQ(pairing.partner, c.partner);
  }
  TimePairing pairing;
  EXPECT_EQ(PairByTime({0, 0}, {10}, &pairing), 7);
  EXPECT_EQ(PairByTime({10}, {0, 0, 0}, &pairing), 7);
}

// --- Palette compaction ---

TEST(CompactPalette, MostUsedFirstTiesByIndexUnusedDropped) {
  // Index 3 and 1 five times each, 7 twice, the rest of the 8 entries unused.
  std::vector<uint8_t> pixels = {3, 3, 3, 3, 3, 1, 1, 1, 1, 1, 7, 7};
  std::vector<Rgb> table;
  for (int i = 0; i < 8; ++i) table.push_back(Rgb{uint8_t(i * 10), 0, 0});
  PackedDib picture = MakePicture(4, 3, pixels, table);
  CompactedPalette c;
  ASSERT_TRUE(CompactPalette({&picture}, 7, &c));
  EXPECT_EQ(c.count, 3);
  EXPECT_EQ(c.palette[0].red, 10);
  EXPECT_EQ(c.palette[1].red, 30);
  EXPECT_EQ(c.palette[2].red, 70);
  EXPECT_EQ(c.transparentIndex, 2);
  EXPECT_EQ(c.maps[0][1], 0);
  EXPECT_EQ(c.maps[0][3], 1);
  EXPECT_EQ(c.maps[0][7], 2);
  // A transparent entry no pixel uses is dropped with the others.
  ASSERT_TRUE(CompactPalette({&picture}, 5, &c));
  EXPECT_EQ(c.transparentIndex, -1);
}

TEST(CompactPalette, FramesWithOwnTablesShareOneAndMismatchesAreRefused) {
  PackedDib a = MakePicture(2, 1, {0, 1}, {kRed, kGreen});
  PackedDib b = MakePicture(2, 1, {0, 1}, {kGreen, kBlue});  // same colour at another index
  CompactedPalette c;
  ASSERT_TRUE(CompactPalette({&a, &b}, -1, &c));
  EXPECT_EQ(c.count, 3);
  // Green, used twice, comes first; both frames' green pixels map to it.
  EXPECT_EQ(c.palette[0].green, 255);
  EXPECT_EQ(c.maps[0][1], 0);
  EXPECT_EQ(c.maps[1][0], 0);
  EXPECT_NE(c.maps[1][1], c.maps[0][0]);

  PackedDib wider = MakePicture(3, 1, {0, 0, 0}, {kRed, kGreen});
  EXPECT_FALSE(CompactPalette({&a, &wider}, -1, &c));
  PackedDib beyond = MakePicture(2, 1, {0, 5}, {kRed, kGreen});
  EXPECT_FALSE(CompactPalette({&beyond}, -1, &c));
}

// --- Palette merge ---

TEST(MergePalettes, ExactAndToleranceFoldingFirstOnTiesTransparentNeverMatched) {
  // 250 base colours 20 apart; 10 overlay colours 3 away from the first ten of them.
  std::vector<Rgbq> base;
  for (int i = 0; i < 250; ++i) {
    base.push_back(
        Rgbq{uint8_t(20 * (i % 8)), uint8_t(20 * ((i / 8) % 8)), uint8_t(20 * (i / 64)), 0});
  }
  std::vector<Rgbq> overlay;
  for (int i = 0; i < 10; ++i) {
    Rgbq c = base[static_cast<size_t>(i)];
    c.blue = uint8_t(c.blue + 3);
    overlay.push_back(c);
  }
  MergedPalette merged;
  ASSERT_TRUE(MergePalettes(base.data(), 250, -1, overlay.data(), 10, 4, &merged));
  EXPECT_EQ(merged.tolerance, 3);
  EXPECT_EQ(merged.count, 250);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(merged.map[static_cast<size_t>(i)], i == 4 ? -1 : i) << i;
  }

  // Duplicated base entries: the first wins. The base's transparent entry is skipped.
  const Rgbq silver{192, 192, 192, 0};
  const Rgbq dup[] = {silver, Rgbq{1, 2, 3, 0}, Rgbq{1, 2, 3, 0}};
  const Rgbq over[] = {Rgbq{1, 2, 3, 0}, silver};
  ASSERT_TRUE(MergePalettes(dup, 3, 0, over, 2, -1, &merged));
  EXPECT_EQ(merged.map[0], 1);
  EXPECT_EQ(merged.map[1], 3);
  EXPECT_EQ(merged.count, 4);
}

std::vector<Rgb> GridColors(int count, uint8_t red) {
  std::vector<Rgb> colors;
  for (int i = 0; i < count; ++i) {
    colors.push_back(
        Rgb{uint8_t(red + 20 * (i / 100)), uint8_t(20 * ((i / 10) % 10)), uint8_t(20 * (i % 10))});
  }
  return colors;
}

PackedDib UsesAll(const std::vector<Rgb>& colors) {
  std::vector<uint8_t> pixels;
  for (size_t i = 0; i < colors.size(); ++i) pixels.push_back(uint8_t(i));
  return MakePicture(static_cast<int>(colors.size()), 1, pixels, colors);
}

TEST(MergeIntoDocument, DisjointPalettesOfTwoHundredGiveErrorSixWithBothCounts) {
  auto doc = PictureDoc(UsesAll(GridColors(200, 0)));
  PackedDib before = DuplicateBlock(doc->currentPicture);
  MergeResult r = MergeIntoDocument(*doc, PictureOverlay(UsesAll(GridColors(200, 120))),
                                    kMergeInFront, 0, 0, 0);
  EXPECT_EQ(r.error, kMergeTooManyColors);
  EXPECT_EQ(r.baseColors, 200);
  EXPECT_EQ(r.overlayColors, 200);
  EXPECT_EQ(MergeErrorText(r),
            "色数の合計が256色を超えました\n元=200色、指定したｱﾆﾒ=200色\nｱﾆﾒの合成は出来ません");
  EXPECT_TRUE(testing::SamePicture(doc->currentPicture, before));
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST(MergeIntoDocument, FullColourBaseIsRefusedWithErrorSix) {
  auto doc = PictureDoc(testing::Make24(4, 4, [](int, int) { return Rgbq{1, 2, 3, 0}; }));
  doc->kind = ImageKind::kJpeg;
  MergeResult r =
      MergeIntoDocument(*doc, PictureOverlay(Solid(2, 2, kRed)), kMergeInFront, 0, 0, 0);
  EXPECT_EQ(r.error, kMergeTooManyColors);
  EXPECT_EQ(doc->bitCount, 24);
  EXPECT_FALSE(doc->undo.CanUndo());
  // A full-colour overlay is error 5.
  auto indexed = PictureDoc(Solid(4, 4, kRed));
  r = MergeIntoDocument(*indexed,
                        PictureOverlay(testing::Make24(2, 2, [](int, int) { return Rgbq{}; })),
                        kMergeInFront, 0, 0, 0);
  EXPECT_EQ(r.error, kMergeNotIndexed);
}

// --- Composition ---

TEST(MergeIntoDocument, OverlayBeyondTheRightEdgeGrowsTheResultFilledFromTheBottomLeft) {
  // Base 4 x 3: blue, its bottom-left pixel green; no transparent index.
  PackedDib base = MakePicture(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, {kBlue, kGreen});
  auto doc = PictureDoc(std::move(base));
  PackedDib before = DuplicateBlock(doc->currentPicture);
  MergeResult r =
      MergeIntoDocument(*doc, PictureOverlay(Solid(2, 2, kRed)), kMergeInFront, 4, 0, 0);
  ASSERT_EQ(r.error, kMergeOk);
  EXPECT_EQ(r.mergeCase, MergeCase::kPictureWithPicture);
  ASSERT_EQ(doc->width, 6);
  ASSERT_EQ(doc->height, 3);
  EXPECT_EQ(ColorAt(doc->currentPicture, 4, 0), Hex(kRed));
  EXPECT_EQ(ColorAt(doc->currentPicture, 5, 1), Hex(kRed));
  EXPECT_EQ(ColorAt(doc->currentPicture, 4, 2), Hex(kGreen));  // the new area: the fill
  EXPECT_EQ(ColorAt(doc->currentPicture, 0, 2), Hex(kGreen));
  EXPECT_EQ(ColorAt(doc->currentPicture, 3, 2), Hex(kBlue));
  EXPECT_EQ(doc->kind, ImageKind::kBitmap);
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_TRUE(testing::SamePicture(doc->currentPicture, before));
}

TEST(MergeIntoDocument, FrontAndBehindWithTransparentIndexes) {
  // Base 3 x 1: silver (transparent), blue, blue. Overlay 2 x 1 at x = 0: red, and its
  // transparent white.
  for (bool front : {true, false}) {
    auto doc = PictureDoc(MakePicture(3, 1, {0, 1, 1}, {kSilver, kBlue}), 0);
    MergeOverlay overlay = PictureOverlay(MakePicture(2, 1, {0, 1}, {kRed, kWhite}), 1);
    MergeResult r =
        MergeIntoDocument(*doc, std::move(overlay), front ? uint32_t{kMergeInFront} : 0u, 0, 0, 0);
    ASSERT_EQ(r.error, kMergeOk);
    // In front the red covers the transparent base pixel; behind it shows through it.
    EXPECT_EQ(ColorAt(doc->currentPicture, 0, 0), Hex(kRed));
    // The overlay's transparent pixel never covers the base.
    EXPECT_EQ(ColorAt(doc->currentPicture, 1, 0), Hex(kBlue));
    EXPECT_EQ(ColorAt(doc->currentPicture, 2, 0), Hex(kBlue));
    EXPECT_EQ(ColorAt(doc->currentPicture, 0, 0), Hex(kRed));
  }
  // Behind, an opaque base pixel hides the overlay; in front the overlay covers it.
  for (bool front : {true, false}) {
    auto doc = PictureDoc(MakePicture(2, 1, {0, 1}, {kSilver, kBlue}), 0);
    MergeResult r = MergeIntoDocument(*doc, PictureOverlay(Solid(2, 1, kRed)),
                                      front ? uint32_t{kMergeInFront} : 0u, 0, 0, 0);
    ASSERT_EQ(r.error, kMergeOk);
    EXPECT_EQ(ColorAt(doc->currentPicture, 0, 0), Hex(kRed));
    EXPECT_EQ(ColorAt(doc->currentPicture, 1, 0), Hex(front ? kRed : kBlue));
  }
  // The enlarged area takes the transparent index.
  auto doc = PictureDoc(MakePicture(2, 1, {0, 1}, {kSilver, kBlue}), 0);
  ASSERT_EQ(
      MergeIntoDocument(*doc, PictureOverlay(Solid(1, 2, kRed)), kMergeInFront, 2, 0, 0).error,
      kMergeOk);
  ASSERT_EQ(doc->width, 3);
  EXPECT_EQ(doc->currentPicture.Row(1)[0], doc->frameSet->transparentIndex);
  EXPECT_GE(doc->frameSet->transparentIndex, 0);
}

TEST(MergeIntoDocument, PositionsAreHeldWithinThePicture) {
  for (auto [x, y, ex, ey] : {std::array{-5, -9, 0, 0}, std::array{1 << 30, 1 << 30, 4, 4}}) {
    auto doc = PictureDoc(Solid(4, 4, kBlue));
    ASSERT_EQ(
        MergeIntoDocument(*doc, PictureOverlay(Solid(1, 1, kRed)), kMergeInFront, x, y, 0).error,
        kMergeOk);
    EXPECT_EQ(doc->width, std::max(4, ex + 1));
    EXPECT_EQ(ColorAt(doc->currentPicture, ex, ey), Hex(kRed));
  }
}

// --- The four cases and their undo ---

std::vector<PackedDib> SolidFrames(const std::vector<Rgb>& colors, int w, int h) {
  std::vector<PackedDib> frames;
  for (const Rgb& c : colors)
    frames.push_back(MakePicture(w, h, std::vector<uint8_t>(w * h, 0), {c}));
  return frames;
}

// Shared table so the frames are one animation's: pixel value i is colour i.
std::vector<PackedDib> IndexedFrames(int count, int w, int h, const std::vector<Rgb>& table) {
  std::vector<PackedDib> frames;
  for (int i = 0; i < count; ++i) {
    frames.push_back(MakePicture(w, h, std::vector<uint8_t>(w * h, uint8_t(i)), table));
  }
  return frames;
}

TEST(MergeIntoDocument, AnimationWithAnimationPairsFramesByTime) {
  std::vector<Rgb> baseTable(10, kBlue);
  for (int i = 0; i < 10; ++i) baseTable[i] = Rgb{0, 0, uint8_t(100 + i)};
  std::vector<Rgb> overlayTable = {kRed, kGreen, kWhite, Rgb{10, 10, 10}, Rgb{90, 0, 0}};
  auto doc = AnimationDoc(IndexedFrames(10, 4, 4, baseTable), 10);
  std::vector<PackedDib> originals;
  for (int i = 0; i < 10; ++i) originals.push_back(DuplicateBlock(doc->frameSet->frame(i).image));
  doc->flags |= kFlagStopped;

  MergeResult r = MergeIntoDocument(
      *doc, AnimationOverlay(IndexedFrames(5, 2, 2, overlayTable), 10), kMergeInFront, 1, 1, 77);
  ASSERT_EQ(r.error, kMergeOk);
  EXPECT_EQ(r.mergeCase, MergeCase::kAnimationWithAnimation);
  const int expected[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 4};
  ASSERT_EQ(doc->frameSet->count, 10);
  for (int i = 0; i < 10; ++i) {
    const PackedDib& frame = doc->frameSet->frame(i).image;
    EXPECT_EQ(ColorAt(frame, 2, 2), Hex(overlayTable[expected[i]])) << i;
    EXPECT_EQ(ColorAt(frame, 0, 0), Hex(baseTable[i])) << i;
    EXPECT_EQ(doc->frameSet->frame(i).delay, 10);
  }
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  EXPECT_EQ(doc->flags & kFlagStopped, 0u);
  EXPECT_EQ(doc->lastFrameTick, 77u);

  ASSERT_TRUE(doc->undo.Undo(*doc));
  ASSERT_EQ(doc->frameSet->count, 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(testing::SamePicture(doc->frameSet->frame(i).image, originals[i])) << i;
  }
}

TEST(MergeIntoDocument, OverlayWithMoreFramesDrivesAndItsDelaysStay) {
  auto doc = AnimationDoc(SolidFrames({kBlue, kGreen}, 3, 3), 30);
  MergeResult r = MergeIntoDocument(
      *doc, AnimationOverlay(IndexedFrames(4, 1, 1, {kRed, kWhite, kSilver, Rgb{5, 5, 5}}), 5),
      kMergeInFront, 0, 0, 0);
  ASSERT_EQ(r.error, kMergeOk);
  ASSERT_EQ(doc->frameSet->count, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(doc->frameSet->frame(i).delay, 5);
  // Base 60 long, overlay 20: the overlay is stretched threefold, 150 per frame; base
  // frames start at 0 and 300, and an overlay frame takes the first base frame that does
  // not start before it (the last one at the end).
  EXPECT_EQ(ColorAt(doc->frameSet->frame(0).image, 2, 2), Hex(kBlue));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 2, 2), Hex(kGreen));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(2).image, 2, 2), Hex(kGreen));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(3).image, 2, 2), Hex(kGreen));
}

TEST(MergeIntoDocument, AnimationWithPictureComposesEveryFrame) {
  auto doc = AnimationDoc(SolidFrames({kBlue, kGreen, kWhite}, 3, 3), 10, -1);
  MergeResult r =
      MergeIntoDocument(*doc, PictureOverlay(Solid(1, 1, kRed)), kMergeInFront, 1, 1, 0);
  ASSERT_EQ(r.error, kMergeOk);
  EXPECT_EQ(r.mergeCase, MergeCase::kAnimationWithPicture);
  ASSERT_EQ(doc->frameSet->count, 3);
  EXPECT_EQ(ColorAt(doc->frameSet->frame(2).image, 0, 0), Hex(kWhite));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(2).image, 1, 1), Hex(kRed));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(2).image, 1, 1), Hex(kWhite));
}

TEST(MergeIntoDocument, PictureWithAnimationBecomesAnAnimationUndoneToThePicture) {
  auto doc = PictureDoc(Solid(3, 3, kBlue));
  PackedDib before = DuplicateBlock(doc->currentPicture);
  MergeResult r =
      MergeIntoDocument(*doc, AnimationOverlay(SolidFrames({kRed, kGreen}, 2, 2), 7), 0, 2, 2, 0);
  ASSERT_EQ(r.error, kMergeOk);
  EXPECT_EQ(r.mergeCase, MergeCase::kPictureWithAnimation);
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  ASSERT_EQ(doc->frameSet->count, 2);
  EXPECT_EQ(doc->frameSet->screenWidth, 4);
  EXPECT_EQ(doc->frameSet->frame(1).delay, 7);
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 2, 2), Hex(kBlue));  // behind the base
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 3, 3), Hex(kGreen));
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(doc->kind, ImageKind::kBitmap);
  EXPECT_EQ(doc->frameSet->count, 0);
  EXPECT_TRUE(testing::SamePicture(doc->currentPicture, before));
}

TEST(MergeIntoDocument, ZeroDelaysGiveErrorSevenAndFailuresChangeNothing) {
  auto doc = AnimationDoc(SolidFrames({kBlue, kGreen}, 3, 3), 0);
  MergeResult r = MergeIntoDocument(*doc, AnimationOverlay(SolidFrames({kRed, kGreen}, 2, 2), 5),
                                    kMergeInFront, 0, 0, 0);
  EXPECT_EQ(r.error, kMergeNoDuration);
  EXPECT_EQ(MergeErrorText(r), "ｱﾆﾒの表示時間が取得できません");
  EXPECT_FALSE(doc->undo.CanUndo());
  EXPECT_FALSE(HasUnsavedChanges(*doc));

  // Memory running out while the frames are composed leaves the document as it was.
  auto anim = AnimationDoc(SolidFrames({kBlue, kGreen}, 300, 300), 10);
  SetAllocationCeilingForTests(300 * 300);
  r = MergeIntoDocument(*anim, PictureOverlay(Solid(1, 1, kRed)), kMergeInFront, 0, 0, 0);
  SetAllocationCeilingForTests(0);
  EXPECT_EQ(r.error, kMergeNoMemory);
  EXPECT_EQ(ColorAt(anim->frameSet->frame(0).image, 0, 0), Hex(kBlue));
  EXPECT_FALSE(anim->undo.CanUndo());
}

TEST(MergeIntoDocument, SameFramesOnOneThreadAndOnSeveral) {
  std::vector<PackedDib> results[2];
  for (int workers : {1, 0}) {
    SetParallelWorkers(workers);
    auto doc = AnimationDoc(
        IndexedFrames(6, 5, 4, {kBlue, kGreen, kWhite, kSilver, kRed, Rgb{1, 1, 1}}), 10);
    ASSERT_EQ(
        MergeIntoDocument(
            *doc, AnimationOverlay(SolidFrames({kRed, Rgb{7, 7, 7}, kGreen}, 3, 3), 10), 0, 3, 2, 0)
            .error,
        kMergeOk);
    for (int i = 0; i < doc->frameSet->count; ++i) {
      results[workers == 0].push_back(DuplicateBlock(doc->frameSet->frame(i).image));
    }
  }
  SetParallelWorkers(0);
  ASSERT_EQ(results[0].size(), results[1].size());
  for (size_t i = 0; i < results[0].size(); ++i) {
    EXPECT_TRUE(testing::SamePicture(results[0][i], results[1][i]));
  }
}

// --- The clipboard's picture ---

TEST(MergeFromClipboard, TrailerIndexInsideTheTableOnlyBrokenPicturesRefusedFrameBitmapsAnimate) {
  struct Case {
    int32_t index;
    bool keepsOut;
  };
  for (Case c : {Case{1, true}, Case{2, false}, Case{-1, false}, Case{255, false}}) {
    PackedDib picture = MakePicture(2, 1, {0, 1}, {kRed, kWhite});
    ASSERT_TRUE(WriteTransparencyTrailer(picture, c.index));
    FixedClipboard clipboard(std::move(picture));
    auto doc = PictureDoc(Solid(2, 1, kBlue));
    MergeSettings settings;
    settings.flags = kMergeInFront | kMergeFromClipboard;
    ASSERT_EQ(MergeAnimations(*doc, settings, &clipboard, 0).error, kMergeOk);
    EXPECT_EQ(ColorAt(doc->currentPicture, 0, 0), Hex(kRed));
    EXPECT_EQ(ColorAt(doc->currentPicture, 1, 0), Hex(c.keepsOut ? kBlue : kWhite)) << c.index;
  }
  // A trailer that runs past the end of the block is no trailer.
  PackedDib picture = MakePicture(2, 1, {0, 1}, {kRed, kWhite});
  ASSERT_TRUE(WriteTransparencyTrailer(picture, 1));
  const size_t cut = picture.size() - kDibSpareBytes + 6;
  PackedDib shortBlock = PackedDib::Allocate(cut);
  std::memcpy(shortBlock.data(), picture.data(), cut);
  FixedClipboard clipboard(std::move(shortBlock));
  auto doc = PictureDoc(Solid(2, 1, kBlue));
  MergeSettings settings;
  settings.flags = kMergeInFront | kMergeFromClipboard;
  ASSERT_EQ(MergeAnimations(*doc, settings, &clipboard, 0).error, kMergeOk);
  EXPECT_EQ(ColorAt(doc->currentPicture, 1, 0), Hex(kWhite));

  // A pixel beyond the table is refused as no picture; a frame bitmap is an animation.
  FixedClipboard beyond(MakePicture(2, 1, {0, 7}, {kRed, kWhite}));
  PackedDib unchanged = DuplicateBlock(doc->currentPicture);
  EXPECT_EQ(MergeAnimations(*doc, settings, &beyond, 0).error, kMergeNoClipboard);
  EXPECT_TRUE(testing::SamePicture(doc->currentPicture, unchanged));
  auto two = Frames(IndexedFrames(2, 2, 2, {kRed, kGreen}), 10, -1);
  two->paletteCount = 2;
  std::copy_n(two->frame(0).image.ColorTable(), 2, two->palette.begin());
  FixedClipboard frameBitmap(BuildFrameBitmapImage(*two));
  ASSERT_EQ(MergeAnimations(*doc, settings, &frameBitmap, 0).error, kMergeOk);
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  ASSERT_EQ(doc->frameSet->count, 2);
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 0, 0), Hex(kGreen));

  FixedClipboard empty{PackedDib()};
  EXPECT_EQ(MergeAnimations(*doc, settings, &empty, 0).error, kMergeNoClipboard);
  EXPECT_EQ(MergeAnimations(*doc, settings, nullptr, 0).error, kMergeNoClipboard);
}

// --- The overlay file ---

TEST(LoadOverlayFile, NamesAndReadersGiveTheirErrors) {
  const std::string dir = testing::MakeTempDir();
  ASSERT_TRUE(WriteBmpFile(Solid(2, 2, kRed), dir + "/red.bmp"));
  ASSERT_TRUE(
      WriteBmpFile(testing::Make24(2, 2, [](int, int) { return Rgbq{}; }), dir + "/deep.bmp"));
  ASSERT_TRUE(WriteBmpFile(Solid(2, 2, kRed), dir + "/noext"));
  ASSERT_TRUE(WriteBmpFile(Solid(2, 2, kRed), dir + "/red.txt"));
  ASSERT_TRUE(WriteBmpFile(Solid(2, 2, kRed), dir + "/red.gif"));
  MergeOverlay overlay;
  EXPECT_EQ(LoadOverlayFile(dir + "/missing.bmp", 256, &overlay), kMergeFileNotFound);
  EXPECT_EQ(LoadOverlayFile(dir + "/noext", 256, &overlay), kMergeFileNotFound);
  EXPECT_EQ(LoadOverlayFile(dir + "/red.txt", 256, &overlay), kMergeCannotOpen);
  EXPECT_EQ(LoadOverlayFile(dir + "/red.gif", 256, &overlay), kMergeCannotOpen);
  ASSERT_EQ(LoadOverlayFile(dir + "/red.BMP", 256, &overlay), kMergeFileNotFound);
  ASSERT_EQ(LoadOverlayFile(dir + "/red.bmp", 256, &overlay), kMergeOk);
  EXPECT_FALSE(overlay.IsAnimation());
  EXPECT_FALSE(OverlayFileHasTooManyColors(dir + "/red.bmp"));
  EXPECT_TRUE(OverlayFileHasTooManyColors(dir + "/deep.bmp"));

  auto doc = PictureDoc(Solid(2, 2, kBlue));
  MergeSettings settings;
  settings.path = dir + "/deep.bmp";
  EXPECT_EQ(MergeAnimations(*doc, settings, nullptr, 0).error, kMergeNotIndexed);
  settings.path = dir + "/red.bmp";
  settings.x = 1;
  ASSERT_EQ(MergeAnimations(*doc, settings, nullptr, 0).error, kMergeOk);
  EXPECT_EQ(ColorAt(doc->currentPicture, 0, 0), Hex(kBlue));
  EXPECT_EQ(ColorAt(doc->currentPicture, 2, 1), Hex(kRed));
}

TEST(LoadOverlayFile, GifFramesOfOwnPalettesAreBroughtIntoOne) {
  // Two full-screen frames with local tables and no global one: read as they are, each
  // with its own palette.
  testing::GifBuilder gif(2, 1, {});
  gif.Control(0, 10, -1).Image(0, 0, 2, 1, {0, 1}, {kRed, kGreen});
  gif.Control(0, 10, -1).Image(0, 0, 2, 1, {0, 1}, {kBlue, kRed});
  gif.Trailer();
  const std::string path = testing::MakeTempDir() + "/own.gif";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(gif.bytes().data(), 1, gif.bytes().size(), f);
  std::fclose(f);

  auto doc = PictureDoc(Solid(2, 1, kWhite));
  MergeSettings settings;
  settings.path = path;
  ASSERT_EQ(MergeAnimations(*doc, settings, nullptr, 0).error, kMergeOk);
  ASSERT_EQ(doc->frameSet->count, 2);
  EXPECT_EQ(ColorAt(doc->frameSet->frame(0).image, 0, 0), Hex(kRed));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(0).image, 1, 0), Hex(kGreen));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 0, 0), Hex(kBlue));
  EXPECT_EQ(ColorAt(doc->frameSet->frame(1).image, 1, 0), Hex(kRed));
}

// --- The settings record ---

TEST(MergeSettingsRecord, RoundTripCutsAndDefaults) {
  ProfileFile file;
  EXPECT_EQ(ReadMergeSettings(file).flags, kMergeInFront);
  MergeSettings s;
  s.path = std::string(258, 'a') + "あ";  // the 3-byte character does not fit in 259
  s.flags = kMergeFromClipboard;
  s.x = 12;
  s.y = 34;
  WriteMergeSettings(file, s);
  EXPECT_EQ(file.Get("MergeAnime", "Len"), "272");
  MergeSettings back = ReadMergeSettings(file);
  EXPECT_EQ(back.path, std::string(258, 'a'));
  EXPECT_EQ(back.flags, kMergeFromClipboard);
  EXPECT_EQ(back.x, 12);
  EXPECT_EQ(back.y, 34);

  auto bytes = PackMergeSettings(s);
  WriteLe32(bytes.data() + 264, static_cast<uint32_t>(-40));
  WriteLe32(bytes.data() + 268, 0x7FFFFFFF);
  WriteLe32(bytes.data() + 260, 0xFFFFFFFF);
  back = UnpackMergeSettings(bytes.data(), bytes.size());
  EXPECT_EQ(back.x, 0);
  EXPECT_EQ(back.y, kMergePositionMax);
  EXPECT_EQ(back.flags, kMergeInFront | kMergeFromClipboard);
  // No NUL in the path field, or another length: the defaults.
  std::memset(bytes.data(), 'x', kMergePathField);
  back = UnpackMergeSettings(bytes.data(), bytes.size());
  EXPECT_EQ(back.path, "");
  EXPECT_EQ(back.flags, kMergeInFront);
  file.Set("MergeAnime", "Len", "271");
  EXPECT_EQ(ReadMergeSettings(file).path, "");
}

}  // namespace
}  // namespace zel
