#include "generators/several_pictures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "generators/colour_census.h"
#include "generators/listed_picture.h"
#include "generators/picture_normalisation.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/jpeg_writer.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::At24;
using testing::Make24;
using testing::Make8;
using testing::SamePicture;

constexpr uint32_t kBackground = 0x00102030;  // red 0x30, green 0x20, blue 0x10

// Many colours with smooth changes and a few edges, different for every `seed`.
PackedDib Photo(int w, int h, int seed) {
  return Make24(w, h, [seed, w](int x, int y) {
    return Rgbq{uint8_t(x * 3 + y + seed * 40), uint8_t(y * 2 + (x > w / 2 ? 90 : seed * 17)),
                uint8_t((x ^ y) + seed * 60), 0};
  });
}

class SeveralPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testing::MakeTempDir(); }
  void TearDown() override {
    SetParallelWorkers(0);
    std::filesystem::remove_all(dir_);
  }
  std::string Bmp(const std::string& name, const PackedDib& picture) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(WriteBmpFile(picture, path));
    return path;
  }
  std::vector<std::string> Photos(int count, int w, int h) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
      paths.push_back(Bmp("p" + std::to_string(i) + ".bmp", Photo(w, h, i)));
    return paths;
  }
  std::unique_ptr<DocumentState> PictureDoc() {
    auto doc = std::make_unique<DocumentState>();
    EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
    doc->frameMax = doc->frameSet->capacity();
    doc->undo.Reset();
    doc->backgroundColor = kBackground;
    doc->kind = ImageKind::kBitmap;
    doc->filePath = "/somewhere/old.bmp";
    SetCurrentPicture(*doc, Photo(8, 8, 9));
    doc->undo.TakeSnapshot(*doc, kUndoEdit);
    doc->savedRevision = doc->revision;
    return doc;
  }
  std::string dir_;
};

class CountingSink : public ProgressSink {
 public:
  void ReportProgress(int percent) override {
    EXPECT_GE(percent, last);
    last = percent;
  }
  void RestartClock() override {}
  void DisableCancel() override { cancelDisabled = true; }
  bool TakeCancel() override { return false; }
  int last = -1;
  bool cancelDisabled = false;
};

TEST(PictureNormalisation, SizeFitsTheSideAndStaysAtLeastOne) {
  struct Case {
    int w, h, side, ew, eh;
  } cases[] = {
      {200, 100, 100, 100, 50},
      {100, 100, 100, 100, 100},
      {40, 30, 100, 40, 30},
      {50, 300, 100, 16, 100},
      {3000, 1, 16, 16, 1},
      {1, 3000, 16, 1, 16},
      // A real division of 5655 by 5655 / 1279 lands just below 1279.
      {5655, 100, 1279, 1279, 22},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalisedExtent(c.w, c.h, c.side), (PictureExtent{c.ew, c.eh}))
        << c.w << "x" << c.h << " side " << c.side;
  }
}

TEST(PictureNormalisation, KeepsAnEvenSpreadOfColumnsAndRows) {
  EXPECT_EQ(KeptIndexes(5, 3), (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(KeptIndexes(4, 4), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(KeptIndexes(10, 1), (std::vector<int32_t>{0}));
  // 200 -> 100 keeps every second; the picture's pixels are picked, never averaged.
  const std::vector<int32_t> half = KeptIndexes(200, 100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(half[static_cast<size_t>(i)], 2 * i);
  PackedDib source = Photo(200, 100, 1);
  PackedDib copy = DuplicateBlock(source);
  PackedDib reduced = NormalisePicture(std::move(copy), 100);
  ASSERT_TRUE(reduced);
  EXPECT_EQ(reduced.Header().width, 100);
  EXPECT_EQ(reduced.Header().height, 50);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 100; ++x) ASSERT_EQ(At24(reduced, x, y), At24(source, 2 * x, 2 * y));
  }
}

TEST(PictureNormalisation, EveryDepthBecomesFullColour) {
  // A fitting 24-bit picture is passed on without a copy.
  PackedDib photo = Photo(20, 10, 2);
  const uint8_t* block = photo.data();
  PackedDib same = NormalisePicture(std::move(photo), 100);
  EXPECT_EQ(same.data(), block);

  PackedDib indexed = Make8(
      3, 2, [](int x, int y) { return uint8_t(x + 3 * y); }, 6);
  PackedDib fromIndexed = NormalisePicture(std::move(indexed), 100);
  ASSERT_TRUE(fromIndexed);
  EXPECT_EQ(fromIndexed.Header().bitCount, 24);
  const Rgbq entry5 = testing::GrayTable(6)[5];
  EXPECT_EQ(At24(fromIndexed, 2, 1), entry5);

  // 32 bits (blue, green, red, unused) and 16 bits (5-5-5).
  PackedDib deep = NewPicture(2, 1, 32, 0);
  const uint8_t px32[] = {10, 20, 30, 99, 40, 50, 60, 99};
  std::memcpy(deep.Pixels(), px32, sizeof px32);
  PackedDib from32 = NormalisePicture(std::move(deep), 100);
  ASSERT_TRUE(from32);
  EXPECT_EQ(At24(from32, 1, 0), (Rgbq{40, 50, 60, 0}));
  PackedDib high = NewPicture(1, 1, 16, 0);
  WriteLe16(high.Pixels(), (31 << 10) | (0 << 5) | 16);  // red full, green 0, blue about half
  PackedDib from16 = NormalisePicture(std::move(high), 100);
  ASSERT_TRUE(from16);
  EXPECT_EQ(At24(from16, 0, 0), (Rgbq{132, 0, 255, 0}));

  // A pixel naming an entry beyond the table has no colour: refused, source kept.
  PackedDib bad = Make8(
      2, 2, [](int x, int) { return uint8_t(x == 1 ? 9 : 0); }, 4);
  PackedDib none = NormalisePicture(std::move(bad), 100);
  EXPECT_FALSE(none);
  EXPECT_TRUE(bad);
}

TEST(SeveralPictureDelays, PerFramePerCycleAndTempo) {
  struct Case {
    int time, frames;
    bool perCycle, tempo;
    std::vector<int32_t> delays;
  } cases[] = {
      {100, 3, true, false, {33, 33, 34}}, {120, 3, false, true, {50, 50, 50}},
      {0, 3, false, false, {0, 0, 0}},     {0, 3, true, false, {0, 0, 0}},
      {0, 2, true, true, {0, 0}},          {100, 2, false, false, {100, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SeveralPictureDelays(c.time, c.frames, c.perCycle, c.tempo), c.delays)
        << c.time << " " << c.perCycle << c.tempo;
  }
}

TEST(ColourCensus, WeightsFollowBrightnessAlongOneHue) {
  // Row 0: dark red (first pixel, not counted), two brighter reds, then greens; row 1
  // starts in the last cell of row 0 with another brightness.
  const Rgbq row0[] = {{0, 0, 16}, {0, 0, 48}, {0, 0, 64}, {0, 64, 0},
                       {0, 64, 0}, {0, 80, 0}, {0, 64, 0}};
  const Rgbq row1[] = {{0, 60, 0}, {0, 96, 0}};
  PackedDib picture = Make24(7, 2, [&](int x, int y) {
    if (y == 0) return row0[x];
    return row1[std::min(x, 1)];
  });
  ColourCensus census;
  ASSERT_TRUE(census.Count(picture));
  const auto& cells = census.Cells();
  EXPECT_EQ(cells[0x010].count, 0);    // the first pixel's cell
  EXPECT_EQ(cells[0x030].count, -96);  // +96: bit 64 set, negated
  EXPECT_EQ(cells[0x040].count, 144);  // 96 + 48 accumulated, bit 64 clear
  EXPECT_EQ(cells[0x400].count, 2);    // a new sector weighs 1; back to accumulator 0 weighs 1
  EXPECT_EQ(cells[0x500].count, -96);
  EXPECT_EQ(cells[0x600].count, -216);  // from the row's own first brightness: 576 - 360
  int64_t others = 0;
  for (const CensusCell& c : cells) others += c.count != 0;
  EXPECT_EQ(others, 5);
  EXPECT_EQ(cells[0x400].sector, 2);
  EXPECT_EQ(cells[0x1F1].chroma, 14);
  // Counting again doubles: the running state starts afresh with every picture.
  ColourCensus twice;
  twice.Count(picture);
  twice.Count(picture);
  EXPECT_EQ(twice.Cells()[0x030].count, -192);
  EXPECT_FALSE(census.Count(Make8(2, 2, [](int, int) { return 0; })));
}

TEST(ColourCensus, CommonPaletteOrder) {
  ColourCensus census;
  auto& cells = census.Cells();
  cells[0].count = 50;  // black and white are entries anyway, never twice
  cells[4095].count = 50;
  cells[0x888].count = 5;    // grey: the first cell met in sector 0
  cells[0x0F0].count = 3;    // bright red: sector 0's most saturated candidate
  cells[0x080].count = 100;  // dark red: heaviest of the rest
  cells[0xF00].count = 1;    // green: sector 2
  cells[0x00F].count = -40;  // blue, negative: only when room is left
  const Rgbq black{0, 0, 0, 0}, white{255, 255, 255, 0}, grey{135, 135, 135, 0};
  const Rgbq red{7, 7, 247, 0}, darkRed{7, 7, 135, 0}, green{7, 247, 7, 0}, blue{247, 7, 7, 0};
  // Sorted by r + g + b; green and red tie and keep the order they were made in.
  EXPECT_EQ(BuildCommonPalette(census, 6),
            (std::vector<Rgbq>{black, darkRed, green, red, grey, white}));
  EXPECT_EQ(BuildCommonPalette(census, 7),
            (std::vector<Rgbq>{black, darkRed, green, red, blue, grey, white}));
  EXPECT_EQ(BuildCommonPalette(census, 15).size(), 7u);
  EXPECT_EQ(census.Cells()[0x080].count, 100);  // the census itself is not changed
  EXPECT_EQ(CommonPaletteLimit(0), 15);
  EXPECT_EQ(CommonPaletteLimit(4), 255);
  EXPECT_EQ(CommonPaletteLimit(9), 255);
  EXPECT_EQ(CommonPaletteLimit(-1), 15);
}

TEST(ColourCensus, EqualCountsAreTakenInTheOrderFirstMet) {
  // Greys all fall into sector 0: 14 is its first cell met from the top, 13 its candidate.
  // The other greys are met in the order 3, 8 (first picture), 5, 6 (second picture).
  const auto grey = [](int v) { return (v << 8) | (v << 4) | v; };
  const auto pixel = [](int v) {
    const auto c = static_cast<uint8_t>(v * 16 + 7);
    return Rgbq{c, c, c, 0};
  };
  ColourCensus first, second;
  ASSERT_TRUE(first.Count(Make24(2, 1, [&](int x, int) { return pixel(x == 0 ? 3 : 8); })));
  ASSERT_TRUE(second.Count(Make24(2, 1, [&](int x, int) { return pixel(x == 0 ? 5 : 6); })));
  ColourCensus census;
  census.Add(first);
  census.Add(second);
  auto& cells = census.Cells();
  EXPECT_LT(cells[grey(3)].firstSeen, cells[grey(8)].firstSeen);
  EXPECT_LT(cells[grey(8)].firstSeen, cells[grey(5)].firstSeen);
  EXPECT_LT(cells[grey(5)].firstSeen, cells[grey(6)].firstSeen);
  EXPECT_EQ(cells[grey(9)].firstSeen, CensusCell::kNeverSeen);
  const auto weigh = [&](int w3, int w5, int w6, int w8) {
    for (CensusCell& c : cells) c.count = 0;
    cells[grey(14)].count = 50;
    cells[grey(13)].count = 50;
    cells[grey(3)].count = w3;
    cells[grey(5)].count = w5;
    cells[grey(6)].count = w6;
    cells[grey(8)].count = w8;
    // Black, white, 14 and 13, and one more.
    const std::vector<Rgbq> palette = BuildCommonPalette(census, 5);
    std::vector<int> taken;
    for (int v : {3, 5, 6, 8}) {
      if (std::find(palette.begin(), palette.end(), pixel(v)) != palette.end()) taken.push_back(v);
    }
    return taken;
  };
  // Positive ties go to the first met, not to the higher code; negative ties likewise, not
  // to the lower code.
  EXPECT_EQ(weigh(7, 7, 0, 0), std::vector<int>{3});
  EXPECT_EQ(weigh(0, 0, -7, -7), std::vector<int>{8});
}

TEST_F(SeveralPicturesTest, MakesAPlayingUntitledAnimationOnOnePalette) {
  auto doc = PictureDoc();
  const std::vector<std::string> paths = Photos(3, 200, 100);
  SeveralPicturesOptions options;
  options.colorCountIndex = 0;
  options.side = 100;
  options.timeValue = 100;
  options.perCycle = true;
  CountingSink sink;
  ASSERT_EQ(MakeAnimationFromPictures(*doc, paths, options, &sink, 1234), 0);
  EXPECT_TRUE(sink.cancelDisabled);
  EXPECT_EQ(sink.last, 100);
  const FrameSet& frames = *doc->frameSet;
  ASSERT_EQ(frames.count, 3);
  EXPECT_EQ(doc->kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(doc->filePath, paths[0]);
  EXPECT_TRUE(doc->untitled);
  EXPECT_TRUE(HasUnsavedChanges(*doc));
  EXPECT_FALSE(doc->undo.CanUndo());
  EXPECT_EQ(doc->currentFrame, 0);
  EXPECT_EQ(doc->lastFrameTick, 1234u);
  EXPECT_EQ(doc->flags & (kFlagBusy | kFlagStopped), 0u);
  EXPECT_EQ(frames.screenWidth, 100);
  EXPECT_EQ(frames.screenHeight, 50);
  // 15 colours plus the transparent entry, the same table in every frame.
  const PackedDib& first = frames.frame(0).image;
  ASSERT_EQ(first.ColorCount(), 16u);
  EXPECT_EQ(frames.transparentIndex, 15);
  EXPECT_EQ(first.ColorTable()[15], (Rgbq{0x10, 0x20, 0x30, 0}));
  const int32_t delays[] = {33, 33, 34};
  for (int i = 0; i < 3; ++i) {
    const PackedDib& image = frames.frame(i).image;
    EXPECT_EQ(image.Header().bitCount, 8);
    EXPECT_EQ(image.Header().width, 100);
    EXPECT_EQ(image.Header().height, 50);
    EXPECT_EQ(std::memcmp(image.ColorTable(), first.ColorTable(), 16 * 4), 0);
    EXPECT_EQ(frames.frame(i).delay, delays[i]);
  }
  EXPECT_TRUE(SamePicture(doc->currentPicture, first));
  EXPECT_NE(doc->currentPicture.data(), first.data());  // a copy
}

TEST_F(SeveralPicturesTest, SameFilesGiveTheSameFramesOnAnyNumberOfThreads) {
  const std::vector<std::string> paths = Photos(5, 60, 40);
  SeveralPicturesOptions options;
  options.colorCountIndex = 4;
  std::unique_ptr<FrameSet> one, two, again;
  SetParallelWorkers(1);
  ASSERT_EQ(MakeSeveralPictureFrames(paths, options, kBackground, 256, nullptr, &one), 0);
  SetParallelWorkers(2);
  ASSERT_EQ(MakeSeveralPictureFrames(paths, options, kBackground, 256, nullptr, &two), 0);
  ASSERT_EQ(MakeSeveralPictureFrames(paths, options, kBackground, 256, nullptr, &again), 0);
  EXPECT_GT(one->frame(0).image.ColorCount(), 100u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(SamePicture(one->frame(i).image, two->frame(i).image)) << i;
    EXPECT_TRUE(SamePicture(one->frame(i).image, again->frame(i).image)) << i;
  }
}

TEST_F(SeveralPicturesTest, MixedFormatsAndTheHighQualityWay) {
  std::vector<std::string> paths = Photos(2, 64, 48);
  const std::string jpeg = dir_ + "/c.JPG";
  ASSERT_EQ(WriteJpegFile(Photo(64, 48, 5), jpeg, 90), 0);
  paths.push_back(jpeg);
  for (bool hq : {false, true}) {
    SeveralPicturesOptions options;
    options.colorCountIndex = 4;
    options.side = 32;
    options.highQuality = hq;
    std::unique_ptr<FrameSet> frames;
    ASSERT_EQ(MakeSeveralPictureFrames(paths, options, kBackground, 256, nullptr, &frames), 0)
        << hq;
    ASSERT_EQ(frames->count, 3);
    const PackedDib& image = frames->frame(2).image;
    EXPECT_EQ(image.Header().width, 32);
    EXPECT_EQ(image.Header().height, 24);
    EXPECT_LE(image.ColorCount(), 256u);
    // The high-quality way keeps to the chosen count too: at most 63 colours and the slot.
    std::unique_ptr<FrameSet> few;
    options.colorCountIndex = 2;
    ASSERT_EQ(MakeSeveralPictureFrames(paths, options, kBackground, 256, nullptr, &few), 0);
    EXPECT_LE(few->frame(0).image.ColorCount(), 64u);
    ASSERT_GE(frames->transparentIndex, 0);
    EXPECT_EQ(image.ColorTable()[frames->transparentIndex], (Rgbq{0x10, 0x20, 0x30, 0}));
  }
}

TEST_F(SeveralPicturesTest, FailuresLeaveTheDocumentAsItWas) {
  const std::vector<std::string> good = Photos(2, 20, 10);
  const std::string noDot = Bmp("nodot", Photo(20, 10, 3));
  const std::string text = dir_ + "/notes.txt";
  const std::string missing = dir_ + "/missing.png";
  const std::string otherSize = Bmp("big.bmp", Photo(30, 10, 3));
  PackedDib broken = Make8(
      20, 10, [](int, int) { return uint8_t(7); }, 2);
  const std::string beyondTable = Bmp("beyond.bmp", broken);
  struct Case {
    std::vector<std::string> paths;
    int result;
    int fileIndex;
  } cases[] = {
      {{good[0], noDot, text}, kSeveralBadName, 1},
      {{good[0], good[1], text}, kSeveralUnsupported, 2},
      {{missing, good[0]}, kSeveralUnreadable, 0},
      {{good[0], otherSize}, kSeveralSizeDiffers, 1},
      {{good[0], beyondTable}, MessageNumber(kMsgCannotConvert), 1},
  };
  for (const Case& c : cases) {
    auto doc = PictureDoc();
    const uint8_t* before = doc->currentPicture.data();
    SeveralPicturesFailure failure;
    EXPECT_EQ(MakeAnimationFromPictures(*doc, c.paths, {}, nullptr, 0, &failure), c.result)
        << c.paths.back();
    EXPECT_EQ(failure.fileIndex, c.fileIndex);
    EXPECT_NE(SeveralPicturesMessage(c.result), nullptr);
    EXPECT_EQ(doc->kind, ImageKind::kBitmap);
    EXPECT_EQ(doc->currentPicture.data(), before);
    EXPECT_EQ(doc->filePath, "/somewhere/old.bmp");
    EXPECT_FALSE(doc->untitled);
    EXPECT_TRUE(doc->undo.CanUndo());
  }
  EXPECT_STREQ(SeveralPicturesMessage(kSeveralBadName), "画像ファイル名に誤りがあります．");
  EXPECT_STREQ(SeveralPicturesMessage(kSeveralUnsupported), "サポートしていない画像形式です．");
  EXPECT_STREQ(SeveralPicturesMessage(kSeveralUnreadable), "画像ファイルが読み込みできません．");
}

// Rewrites a file at a given report, as another program might between the two passes.
class RewritingSink : public CountingSink {
 public:
  RewritingSink(int at, std::function<void()> rewrite) : at_(at), rewrite_(std::move(rewrite)) {}
  void ReportProgress(int percent) override {
    CountingSink::ReportProgress(percent);
    if (percent == at_ && rewrite_) std::exchange(rewrite_, nullptr)();
  }

 private:
  int at_;
  std::function<void()> rewrite_;
};

TEST_F(SeveralPicturesTest, AFileChangedBetweenThePassesIsRefused) {
  const std::vector<std::string> paths = Photos(2, 20, 10);
  // The last report of the first pass (25 % of two files) comes before the second starts.
  RewritingSink sink(25, [&] { Bmp("p1.bmp", Photo(22, 10, 7)); });
  std::unique_ptr<FrameSet> frames;
  SeveralPicturesFailure failure;
  EXPECT_EQ(MakeSeveralPictureFrames(paths, {}, kBackground, 256, &sink, &frames, &failure),
            kSeveralSizeDiffers);
  EXPECT_EQ(failure.fileIndex, 1);
  EXPECT_FALSE(frames);
}

TEST_F(SeveralPicturesTest, OneFileDoesNothingAndTooManyAreRefused) {
  auto doc = PictureDoc();
  const std::vector<std::string> paths = Photos(3, 8, 8);
  EXPECT_EQ(MakeAnimationFromPictures(*doc, {paths[0]}, {}, nullptr, 0), kSeveralTooFew);
  EXPECT_EQ(SeveralPicturesMessage(kSeveralTooFew), nullptr);
  EXPECT_EQ(doc->kind, ImageKind::kBitmap);
  // More files than the frame maximum: refused before anything is read or written.
  std::unique_ptr<FrameSet> frames;
  SeveralPicturesFailure failure;
  EXPECT_EQ(MakeSeveralPictureFrames(paths, {}, kBackground, 2, nullptr, &frames, &failure),
            kSeveralTooMany);
  EXPECT_FALSE(frames);
  ASSERT_NE(SeveralPicturesMessage(kSeveralTooMany), nullptr);
  // Through the document: its frame maximum is the limit.
  std::vector<std::string> many;
  for (int i = 0; i < 17; ++i) many.push_back(paths[static_cast<size_t>(i % 3)]);
  auto small = std::make_unique<DocumentState>();
  ASSERT_TRUE(CreateDocumentContainer(*small, 16));
  small->frameMax = 16;
  EXPECT_EQ(MakeAnimationFromPictures(*small, many, {}, nullptr, 0), kSeveralTooMany);
  EXPECT_EQ(small->frameSet->count, 0);
  many.pop_back();
  EXPECT_EQ(MakeAnimationFromPictures(*small, many, {}, nullptr, 0), 0);
  EXPECT_EQ(small->frameSet->count, 16);
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The size of a listed picture 70000 pixels wide, read from its headers alone (the files end
// right behind them).
TEST(ListedPictureSize, WidthsBeyondSixteenBits) {
  const std::string dir = testing::MakeTempDir();
  // BMP: file header and information header of a 70000 x 1 24-bit picture, no rows.
  std::vector<uint8_t> bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  WriteLe32(&bmp[10], 54);
  WriteLe32(&bmp[14], 40);
  WriteLe32(&bmp[18], 70000);
  WriteLe32(&bmp[22], 1);
  WriteLe16(&bmp[26], 1);
  WriteLe16(&bmp[28], 24);
  // PNG: the signature and IHDR of a 70000 x 1 gray picture, then the header of an IDAT
  // chunk whose data is missing.
  std::vector<uint8_t> png = {137, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                              0, 1, 0x11, 0x70, 0, 0, 0, 1, 8, 0, 0, 0, 0};
  const uint32_t crc = static_cast<uint32_t>(crc32(0, &png[12], 17));
  for (int i = 0; i < 4; ++i) png.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  png.insert(png.end(), {0, 0, 0, 40, 'I', 'D', 'A', 'T'});
  for (const auto& [name, bytes] : {std::pair{"wide.bmp", bmp}, std::pair{"wide.png", png}}) {
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const std::optional<PictureExtent> size = ReadListedPictureSize(path);
    ASSERT_TRUE(size) << name;
    EXPECT_EQ(size->width, 70000) << name;
    EXPECT_EQ(size->height, 1) << name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
