#include "color/index_color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include "document/document_state.h"
#include "imagefiles/image_loader.h"

namespace zel {
namespace {

struct Color {
  int r, g, b;
  friend bool operator==(const Color&, const Color&) = default;
  friend auto operator<=>(const Color&, const Color&) = default;
};

// A 24-bit picture; `at(x, row)` gives the colour of stored row `row` (0 = bottom).
PackedDib Make24(int width, int height, const std::function<Color(int, int)>& at) {
  PackedDib picture = NewPicture(width, height, 24, 0);
  for (int row = 0; row < height; ++row) {
    uint8_t* p = picture.Pixels() + picture.Stride() * row;
    for (int x = 0; x < width; ++x, p += 3) {
      Color c = at(x, row);
      p[0] = static_cast<uint8_t>(c.b);
      p[1] = static_cast<uint8_t>(c.g);
      p[2] = static_cast<uint8_t>(c.r);
    }
  }
  return picture;
}

// Grey pixels given as stored rows.
PackedDib GreyRows(const std::vector<std::vector<int>>& rows) {
  return Make24(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                [&](int x, int row) {
                  return Color{rows[row][x], rows[row][x], rows[row][x]};
                });
}

// Many colours: smooth ramps with a little pattern, so that every builder fills up.
PackedDib Ramps(int width = 64, int height = 64) {
  return Make24(width, height, [](int x, int row) {
    return Color{(x * 4 + row) & 255, (row * 4 + (x & 3) * 9) & 255, (x * 2 + row * 2) & 255};
  });
}

std::vector<uint8_t> StoredIndices(const PackedDib& picture, int row) {
  const uint8_t* p = picture.Pixels() + picture.Stride() * row;
  return std::vector<uint8_t>(p, p + picture.Header().width);
}

Color TableColor(const PackedDib& picture, int index) {
  Rgbq e = picture.ColorTable()[index];
  return Color{e.red, e.green, e.blue};
}

std::set<Color> ColorSet(const std::vector<Rgbq>& palette) {
  std::set<Color> set;
  for (const Rgbq& e : palette) set.insert(Color{e.red, e.green, e.blue});
  return set;
}

Rgbq Q(int r, int g, int b) {
  return Rgbq{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

constexpr uint32_t kTransparent = 0x00C0B0A0;  // red A0, green B0, blue C0
const Color kTransparentColor{0xA0, 0xB0, 0xC0};

TEST(ColorCell, ChannelValuesCodesAndColors) {
  const std::vector<std::pair<int, int>> values = {{0, 0},    {7, 0},    {8, 1},    {23, 1},
                                                   {24, 2},   {231, 14}, {232, 15}, {247, 15},
                                                   {248, 15}, {255, 15}};
  for (auto [x, v] : values) EXPECT_EQ(ColorCell::Value(static_cast<uint8_t>(x)), v) << x;
  // Green high, red middle, blue low.
  EXPECT_EQ(CellCode(247, 248, 8), 15 * 256 + 15 * 16 + 1);
  EXPECT_EQ(CellCode(0, 24, 255), 2 * 256 + 0 * 16 + 15);
  EXPECT_EQ(CellColor(CellCode(0, 24, 255)), Q(7, 39, 247));
  EXPECT_EQ(CellRepresentative(CellCode(0, 24, 255)), Q(8, 40, 248));
  EXPECT_EQ(CellColor(4095), Q(247, 247, 247));
}

TEST(ColorCell, HueSectors) {
  struct Case {
    int r, g, b, sector;
  };
  const std::vector<Case> cases = {
      {0, 0, 0, 0},   {5, 5, 5, 0},   {15, 0, 0, 0},  {0, 15, 0, 2}, {0, 0, 15, 4},
      {15, 15, 0, 1},                  // red = green = max: the green branch
      {0, 15, 15, 3}, {15, 0, 15, 5},  // negative h wraps
      {15, 10, 0, 1}, {15, 0, 10, 5}, {10, 15, 0, 1}, {3, 1, 2, 5},  {2, 4, 3, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HueSector(c.g * 256 + c.r * 16 + c.b), c.sector) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(PaletteMatchDistance, SumThenOrderFlagsThenChroma) {
  // Identical colours: only the flags of pairs that are not strictly ordered remain.
  EXPECT_EQ(PaletteMatchDistance(Q(200, 100, 50), Q(200, 100, 50)), 0x0B00u);
  EXPECT_EQ(PaletteMatchDistance(Q(8, 8, 8), Q(8, 8, 8)), 0x3F00u);
  // Sum 2 + 12 + 10; blue > red and blue > green in both; chroma 20 against 32.
  EXPECT_EQ(PaletteMatchDistance(Q(10, 20, 30), Q(8, 8, 40)), (24u << 16) | 0x3C00u | 12u);
  // The channel sum decides over everything else.
  EXPECT_LT(PaletteMatchDistance(Q(0, 0, 0), Q(1, 0, 0)),
            PaletteMatchDistance(Q(3, 1, 0), Q(1, 0, 0)));
}

TEST(PaletteMatchDistance, TiesGoToTheColourOfTheSameChannelOrder) {
  // Both entries are 30 away from the reddish cell representative (72, 56, 56); the red one
  // keeps red > green and red > blue and wins although it comes second.
  PackedDib picture = Make24(1, 1, [](int, int) { return Color{70, 50, 50}; });
  PackedDib out = MapWithDiffusion(picture, {Q(62, 66, 66), Q(92, 56, 46)});
  ASSERT_TRUE(out);
  EXPECT_EQ(StoredIndices(out, 0)[0], 1);
  // The nearest mapper looks at the channel sum only: first of equals wins.
  PackedDib nearest = MapNearest(picture, {Q(62, 66, 66), Q(92, 56, 46)});
  ASSERT_TRUE(nearest);
  EXPECT_EQ(StoredIndices(nearest, 0)[0], 0);
}

TEST(MapWithDiffusion, SerpentineRowsAndHalvedOrQuarteredErrors) {
  // Black and white: a grey u maps to white from 120 up. Errors worked out by hand:
  // stored row 0 left to right: 100 -> black (+50), 150 -> white (-105 -> -53),
  // 47 -> black (+23); row 1 right to left: 123 -> white (-132 -> -33, quartered),
  // 200 - 53 - 33 = 114 -> black (+57), 0 + 50 + 57 = 107 -> black.
  const std::vector<Rgbq> bw = {Q(0, 0, 0), Q(255, 255, 255)};
  PackedDib out = MapWithDiffusion(GreyRows({{100, 100, 100}, {0, 200, 100}}), bw);
  ASSERT_TRUE(out);
  EXPECT_EQ(StoredIndices(out, 0), (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(StoredIndices(out, 1), (std::vector<uint8_t>{0, 0, 1}));

  struct Case {
    std::vector<int> row;
    std::vector<uint8_t> expected;
  };
  const std::vector<Case> cases = {
      {{150, 172}, {1, 0}},  // -105 >> 1 is -53 (toward minus infinity): 119 is black
      {{123, 180}, {1, 1}},  // -132 is quartered to -33: 147 is white
      {{130, 130, 130, 130}, {1, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    PackedDib one = MapWithDiffusion(GreyRows({c.row}), bw);
    ASSERT_TRUE(one);
    EXPECT_EQ(StoredIndices(one, 0), c.expected);
  }
}

TEST(Mappers, OutputLayoutAndBadInput) {
  const std::vector<Rgbq> colors = {Q(1, 2, 3), Q(250, 240, 230), Q(9, 9, 9)};
  for (auto map : {&MapWithDiffusion, &MapNearest}) {
    PackedDib out = map(Ramps(5, 3), colors);
    ASSERT_TRUE(out);
    DibHeader h = out.Header();
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 5);
    EXPECT_EQ(h.height, 3);
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_EQ(h.sizeImage, 8u * 3u);
    EXPECT_EQ(h.clrUsed, 3u);
    EXPECT_EQ(h.clrImportant, 3u);
    EXPECT_EQ(TableColor(out, 1), (Color{250, 240, 230}));
    EXPECT_FALSE(map(Ramps(5, 3), {}));
    EXPECT_FALSE(map(NewPicture(4, 4, 8, 2), colors));
    EXPECT_FALSE(map(PackedDib(), colors));
    // One colour: every pixel takes it.
    PackedDib single = map(Ramps(5, 3), {Q(50, 50, 50)});
    ASSERT_TRUE(single);
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(StoredIndices(single, row), std::vector<uint8_t>(5, 0));
    }
  }
}

TEST(BuildPresetPalette, SingleColourGivesBlackAndWhiteOnly) {
  PackedDib flat = Make24(20, 10, [](int, int) { return Color{10, 200, 90}; });
  EXPECT_EQ(BuildPresetPalette(flat, 16), (std::vector<Rgbq>{Q(0, 0, 0), Q(255, 255, 255)}));
  PackedDib out = QuantizeDiffused(flat, 256);
  ASSERT_TRUE(out);
  EXPECT_EQ(out.Header().clrUsed, 2u);
}

TEST(BuildPresetPalette, FewColoursGiveFewEntriesSortedByBrightness) {
  const Color stripes[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  PackedDib picture = Make24(6, 2, [&](int x, int) { return stripes[x % 3]; });
  std::vector<Rgbq> palette = BuildPresetPalette(picture, 16);
  ASSERT_EQ(palette.size(), 5u);
  EXPECT_EQ(palette.front(), Q(0, 0, 0));
  EXPECT_EQ(palette.back(), Q(255, 255, 255));
  EXPECT_EQ(ColorSet(palette),
            (std::set<Color>{{0, 0, 0}, {247, 7, 7}, {7, 247, 7}, {7, 7, 247}, {255, 255, 255}}));
}

TEST(BuildPresetPalette, BestCellOfASectorComesBeforeCommonerCells) {
  // Greys 2..14 run three times each, grey 1 twice, red and pale red once (all sector 0).
  // The hue pass takes grey 14 (highest code) as the sector's colour and red (largest
  // delta) as its best cell; the count then picks greys 13..2 and leaves pale red and
  // grey 1 out.
  std::vector<Color> row = {{0, 0, 0}};
  for (int rep = 0; rep < 3; ++rep) {
    for (int k = 2; k <= 14; ++k) row.push_back({16 * k, 16 * k, 16 * k});
  }
  for (Color c : {Color{16, 16, 16}, Color{255, 0, 0}, Color{16, 16, 16}, Color{255, 192, 192}}) {
    row.push_back(c);
  }
  PackedDib picture = Make24(static_cast<int>(row.size()), 1, [&](int x, int) { return row[x]; });
  std::vector<Rgbq> palette = BuildPresetPalette(picture, 16);
  std::set<Color> expected = {{0, 0, 0}, {255, 255, 255}, {247, 7, 7}};
  for (int k = 2; k <= 14; ++k) expected.insert({16 * k + 7, 16 * k + 7, 16 * k + 7});
  EXPECT_EQ(ColorSet(palette), expected);
  for (size_t i = 1; i < palette.size(); ++i) {
    EXPECT_LE(palette[i - 1].red + palette[i - 1].green + palette[i - 1].blue,
              palette[i].red + palette[i].green + palette[i].blue);
  }
}

TEST(PaletteBuilders, FillUpToNAndRefuseBadInput) {
  PackedDib ramps = Ramps();
  for (int n : {16, 17, 100, 256}) EXPECT_EQ(BuildPresetPalette(ramps, n).size(), size_t(n)) << n;
  for (int n : {2, 3, 8, 256}) EXPECT_EQ(BuildWeightedPalette(ramps, n).size(), size_t(n)) << n;
  for (int n : {15, 257, 0}) EXPECT_TRUE(BuildPresetPalette(ramps, n).empty()) << n;
  for (int n : {1, 257}) EXPECT_TRUE(BuildWeightedPalette(ramps, n).empty()) << n;
  PackedDib indexed = NewPicture(4, 4, 8, 4);
  EXPECT_TRUE(BuildPresetPalette(indexed, 16).empty());
  EXPECT_TRUE(BuildWeightedPalette(indexed, 16).empty());
  EXPECT_FALSE(QuantizeDiffused(indexed, 16));
  EXPECT_FALSE(QuantizeNearest(indexed, 16));
  // A header that promises more rows than the block holds is refused.
  PackedDib cut = PackedDib::Allocate(kDibHeaderSize + 8);
  DibHeader h;
  h.width = 100;
  h.height = 100;
  h.bitCount = 24;
  cut.SetHeader(h);
  EXPECT_TRUE(BuildPresetPalette(cut, 16).empty());
  EXPECT_FALSE(MapNearest(cut, {Q(0, 0, 0)}));
}

TEST(BuildWeightedPalette, RunsOfOneHueSectorAreWeightedByLuminance) {
  // After the uncounted green run, grey 100 starts a grey run (weight 1); then the
  // accumulated luminance change is -200 (bit 6 clear: weight -200), -400 (bit 6 set:
  // weight 400) and -600 (bit 6 clear: weight -600).
  const std::vector<Color> row = {
      {0, 255, 0}, {100, 100, 100}, {80, 80, 80}, {60, 60, 60}, {40, 40, 40}};
  PackedDib picture = Make24(5, 1, [&](int x, int) { return row[x]; });
  struct Case {
    int n;
    std::set<Color> expected;
  };
  const std::vector<Case> cases = {
      {2, {{71, 71, 71}, {103, 103, 103}}},
      // Room left: negative counts from the most negative up.
      {3, {{55, 55, 55}, {71, 71, 71}, {103, 103, 103}}},
      {4, {{55, 55, 55}, {71, 71, 71}, {87, 87, 87}, {103, 103, 103}}},
      {5, {{55, 55, 55}, {71, 71, 71}, {87, 87, 87}, {103, 103, 103}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorSet(BuildWeightedPalette(picture, c.n)), c.expected) << c.n;
}

TEST(ConvertToIndexColor, ColourCountChoices) {
  PackedDib ramps = Ramps();
  struct Case {
    int choice;
    bool noDiffusion;
    uint32_t quantized;
  };
  const std::vector<Case> cases = {
      {0, false, 16}, {1, false, 16}, {2, false, 16},  {3, false, 16},
      {5, false, 64}, {0, true, 2},   {1, true, 4},    {2, true, 8},
      {3, true, 16},  {6, true, 128}, {7, false, 255}, {7, true, 255},
  };
  for (const Case& c : cases) {
    std::optional<IndexConversion> r =
        ConvertToIndexColor(ramps, {c.choice, 0, c.noDiffusion}, kTransparent);
    ASSERT_TRUE(r) << c.choice;
    // No transparency choice: the transparent colour is a spare entry behind the rest.
    EXPECT_EQ(r->picture.Header().clrUsed, c.quantized + 1) << c.choice << c.noDiffusion;
    EXPECT_EQ(r->transparentIndex, static_cast<int32_t>(c.quantized));
    EXPECT_EQ(TableColor(r->picture, r->transparentIndex), kTransparentColor);
    DibHeader h = r->picture.Header();
    for (int row = 0; row < h.height; ++row) {
      for (uint8_t i : StoredIndices(r->picture, row)) ASSERT_LT(i, c.quantized);
    }
  }
  // Three colours at 16: five entries and the spare one.
  const Color stripes[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  PackedDib three = Make24(6, 2, [&](int x, int) { return stripes[x % 3]; });
  std::optional<IndexConversion> r = ConvertToIndexColor(three, {3, 0, false}, kTransparent);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->picture.Header().clrUsed, 6u);
  EXPECT_EQ(r->transparentIndex, 5);
  // Source unchanged, bad input refused.
  EXPECT_EQ(ramps.Header().bitCount, 24);
  EXPECT_FALSE(ConvertToIndexColor(NewPicture(4, 4, 8, 2), {7, 1, false}, kTransparent));
  EXPECT_FALSE(ConvertToIndexColor(PackedDib(), {7, 0, true}, kTransparent));
}

TEST(ConvertToIndexColor, CornerTakesItsIndexAndCleansOtherPixels) {
  const Color k{100, 100, 100}, c{101, 100, 100}, w{255, 255, 255};
  struct Case {
    std::vector<Color> row;
    std::vector<bool> transparent;  // expected index T at each pixel
  };
  const std::vector<Case> cases = {
      // The near colour takes the left neighbour's index, else the right one's.
      {{k, c, w, c, k}, {true, false, false, false, true}},
      // Between transparent neighbours it keeps T.
      {{k, c, c, k, w, k}, {true, true, true, true, false, true}},
  };
  for (const Case& tc : cases) {
    PackedDib picture =
        Make24(static_cast<int>(tc.row.size()), 1, [&](int x, int) { return tc.row[x]; });
    std::optional<IndexConversion> r = ConvertToIndexColor(picture, {7, 1, false}, kTransparent);
    ASSERT_TRUE(r);
    const int32_t t = r->transparentIndex;
    ASSERT_GE(t, 0);
    EXPECT_EQ(TableColor(r->picture, t), kTransparentColor);
    std::vector<uint8_t> out = StoredIndices(r->picture, 0);
    for (size_t x = 0; x < out.size(); ++x) EXPECT_EQ(out[x] == t, tc.transparent[x]) << x;
    for (size_t x = 0; x < out.size(); ++x) {
      if (tc.row[x] == w) {
        EXPECT_EQ(TableColor(r->picture, out[x]), w);
      }
    }
  }

  // On a real picture, against the plain mapping: the corner colour becomes T; another
  // pixel mapped to T takes its cleaned left or its right neighbour's index when that is not
  // T; every other pixel keeps its index.
  PackedDib ramps = Ramps(40, 30);
  PackedDib raw = QuantizeDiffused(ramps, 32);
  ASSERT_TRUE(raw);
  for (int corner = 1; corner <= 4; ++corner) {
    std::optional<IndexConversion> r = ConvertToIndexColor(ramps, {4, corner, false}, kTransparent);
    ASSERT_TRUE(r);
    const int t = r->transparentIndex;
    const int row = corner <= 2 ? 29 : 0, column = corner % 2 == 0 ? 39 : 0;
    EXPECT_EQ(StoredIndices(raw, row)[column], t);
    EXPECT_EQ(TableColor(r->picture, t), kTransparentColor);
    const uint8_t* key = ramps.Pixels() + ramps.Stride() * row + 3 * column;
    int cleaned = 0;
    for (int y = 0; y < 30; ++y) {
      std::vector<uint8_t> out = StoredIndices(r->picture, y);
      std::vector<uint8_t> before = StoredIndices(raw, y);
      const uint8_t* s = ramps.Pixels() + ramps.Stride() * y;
      for (int x = 0; x < 40; ++x) {
        SCOPED_TRACE(::testing::Message() << corner << ": " << x << "," << y);
        if (std::equal(key, key + 3, s + 3 * x)) {
          EXPECT_EQ(out[x], t);
        } else if (before[x] != t) {
          EXPECT_EQ(out[x], before[x]);
        } else if (x > 0 && out[x - 1] != t) {
          EXPECT_EQ(out[x], out[x - 1]);
          ++cleaned;
        } else if (x < 39 && before[x + 1] != t) {
          EXPECT_EQ(out[x], before[x + 1]);
          ++cleaned;
        } else {
          EXPECT_EQ(out[x], t);
        }
      }
    }
    EXPECT_GT(cleaned, 0) << corner;
  }
}

TEST(ConvertToIndexColor, CornerWithoutDiffusionKeepsTheMapping) {
  PackedDib ramps = Ramps(16, 8);
  std::optional<IndexConversion> plain = ConvertToIndexColor(ramps, {4, 0, true}, kTransparent);
  std::optional<IndexConversion> r = ConvertToIndexColor(ramps, {4, 3, true}, kTransparent);
  ASSERT_TRUE(plain && r);
  EXPECT_EQ(r->picture.Header().clrUsed + 1, plain->picture.Header().clrUsed);
  EXPECT_EQ(r->transparentIndex, StoredIndices(r->picture, 0)[0]);
  EXPECT_EQ(TableColor(r->picture, r->transparentIndex), kTransparentColor);
  for (int y = 0; y < 8; ++y)
    EXPECT_EQ(StoredIndices(r->picture, y), StoredIndices(plain->picture, y));
}

TEST(AppendTransparentEntry, SpareEntryFirstUnusedEntryOrFailure) {
  // Room in the table: a new last entry.
  PackedDib small = NewPicture(3, 1, 8, 2);
  std::optional<IndexConversion> r = AppendTransparentEntry(std::move(small), kTransparent);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->transparentIndex, 2);
  EXPECT_EQ(r->picture.Header().clrUsed, 3u);
  EXPECT_EQ(r->picture.Header().clrImportant, 3u);
  EXPECT_EQ(TableColor(r->picture, 2), kTransparentColor);

  // A full table: the first entry no pixel uses.
  PackedDib full = NewPicture(256, 1, 8, 256);
  for (int x = 0; x < 256; ++x) full.Pixels()[x] = static_cast<uint8_t>(x == 7 || x == 9 ? 0 : x);
  r = AppendTransparentEntry(std::move(full), kTransparent);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->transparentIndex, 7);
  EXPECT_EQ(r->picture.Header().clrUsed, 256u);
  EXPECT_EQ(TableColor(r->picture, 7), kTransparentColor);

  PackedDib used = NewPicture(256, 1, 8, 256);
  for (int x = 0; x < 256; ++x) used.Pixels()[x] = static_cast<uint8_t>(x);
  EXPECT_FALSE(AppendTransparentEntry(std::move(used), kTransparent));
  EXPECT_FALSE(AppendTransparentEntry(NewPicture(2, 2, 24, 0), kTransparent));
}

// A picture of `count` distinct colours, each used twice.
PackedDib DistinctColours(int count) {
  return Make24(count, 2, [](int x, int) { return Color{x & 255, (x * 7) & 255, x >> 8}; });
}

TEST(PureIndex, TwoHundredFiftyFiveColoursAtMost) {
  EXPECT_TRUE(IsPureIndexPossible(DistinctColours(1)));
  EXPECT_TRUE(IsPureIndexPossible(DistinctColours(255)));
  EXPECT_FALSE(IsPureIndexPossible(DistinctColours(256)));
  EXPECT_FALSE(IsPureIndexPossible(NewPicture(2, 2, 8, 2)));
  EXPECT_FALSE(IsPureIndexPossible(PackedDib()));

  PackedDib source = DistinctColours(255);
  std::optional<IndexConversion> r = ConvertToPureIndex(source, 0, kTransparent);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->transparentIndex, -1);
  EXPECT_EQ(r->picture.Header().clrUsed, 255u);
  // Every colour is kept exactly.
  PackedDib back = ConvertToFullColor(r->picture);
  ASSERT_TRUE(back);
  for (int y = 0; y < 2; ++y) {
    EXPECT_TRUE(std::equal(source.Pixels() + source.Stride() * y,
                           source.Pixels() + source.Stride() * y + 3 * 255,
                           back.Pixels() + back.Stride() * y));
  }
  EXPECT_FALSE(ConvertToPureIndex(DistinctColours(256), 0, kTransparent));
}

TEST(PureIndex, TableSortedByHueValueSaturationAndCornerEntry) {
  const std::vector<Color> colors = {{0, 0, 0},       {255, 0, 0}, {128, 128, 128}, {0, 255, 0},
                                     {255, 255, 255}, {0, 0, 255}, {255, 0, 128},   {0, 0, 0}};
  PackedDib picture = Make24(4, 2, [&](int x, int row) { return colors[row * 4 + x]; });
  std::optional<IndexConversion> r = ConvertToPureIndex(picture, 0, kTransparent);
  ASSERT_TRUE(r);
  const std::vector<Color> expected = {{255, 0, 128},   {0, 0, 255},     {0, 255, 0}, {255, 0, 0},
                                       {255, 255, 255}, {128, 128, 128}, {0, 0, 0}};
  ASSERT_EQ(r->picture.Header().clrUsed, expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(TableColor(r->picture, i), expected[i]) << i;
  EXPECT_EQ(StoredIndices(r->picture, 0), (std::vector<uint8_t>{6, 3, 5, 2}));
  EXPECT_EQ(StoredIndices(r->picture, 1), (std::vector<uint8_t>{4, 1, 0, 6}));

  // Corners: 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right.
  const std::vector<std::pair<int, int>> corners = {{1, 4}, {2, 6}, {3, 6}, {4, 2}};
  for (auto [corner, t] : corners) {
    r = ConvertToPureIndex(picture, corner, kTransparent);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->transparentIndex, t) << corner;
    EXPECT_EQ(TableColor(r->picture, t), kTransparentColor);
  }
  EXPECT_FALSE(ConvertToPureIndex(NewPicture(2, 2, 8, 2), 0, kTransparent));
}

TEST(ConvertToFullColor, EightBitsToTwentyFourAndCopies) {
  PackedDib indexed = NewPicture(3, 2, 8, 2);
  indexed.ColorTable()[1] = Q(10, 20, 30);
  indexed.Pixels()[1] = 1;
  indexed.Pixels()[indexed.Stride() + 2] = 200;  // beyond the table: black
  PackedDib full = ConvertToFullColor(indexed);
  ASSERT_TRUE(full);
  DibHeader h = full.Header();
  EXPECT_EQ(h.bitCount, 24);
  EXPECT_EQ(h.clrUsed, 0u);
  EXPECT_EQ(h.sizeImage, 12u * 2u);
  EXPECT_EQ(std::vector<uint8_t>(full.Pixels(), full.Pixels() + 9),
            (std::vector<uint8_t>{0, 0, 0, 30, 20, 10, 0, 0, 0}));
  EXPECT_EQ(full.Pixels()[full.Stride() + 6], 0);
  PackedDib copy = ConvertToFullColor(full);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy.size(), full.size());
  EXPECT_TRUE(std::equal(full.data(), full.data() + full.size(), copy.data()));
  EXPECT_FALSE(ConvertToFullColor(NewPicture(8, 2, 1, 2)));
}

class PaletteDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    doc.trueColorDisplay = 0;
  }
  void TearDown() override { SetDisplayReduction(nullptr); }
  DocumentState doc;
};

TEST_F(PaletteDisplay, ShowsAReducedCopyOfADeepPicture) {
  SetDisplayReduction(nullptr);
  EXPECT_FALSE(SetCurrentPicture(doc, Ramps()));
  SetDisplayReduction(&ReduceForPaletteDisplay);
  ASSERT_TRUE(SetCurrentPicture(doc, Ramps()));
  EXPECT_EQ(doc.bitCount, 24);
  ASSERT_TRUE(doc.displayPalettePicture);
  DibHeader h = doc.displayPalettePicture.Header();
  EXPECT_EQ(h.bitCount, 8);
  EXPECT_EQ(h.clrUsed, 236u);
  PackedDib expected = QuantizeDiffused(doc.currentPicture, 236);
  EXPECT_TRUE(std::equal(expected.data(), expected.data() + expected.size(),
                         doc.displayPalettePicture.data()));
}

TEST_F(PaletteDisplay, LoaderTakesADeepHandedOverPicture) {
  LoadContext context;
  EXPECT_FALSE(LoadHandedOverPicture(doc, Ramps(), context).done());
  EXPECT_FALSE(doc.currentPicture);
  SetDisplayReduction(&ReduceForPaletteDisplay);
  ASSERT_TRUE(LoadHandedOverPicture(doc, Ramps(), context).done());
  EXPECT_EQ(doc.bitCount, 24);
  ASSERT_TRUE(doc.displayPalettePicture);
  EXPECT_EQ(doc.displayPalettePicture.Header().bitCount, 8);
  EXPECT_LE(doc.displayPalettePicture.ColorCount(), 236u);
}

}  // namespace
}  // namespace zel
