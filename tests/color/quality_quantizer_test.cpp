#include "color/quality_quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include "color/index_color.h"

namespace zel {
namespace {

constexpr uint32_t kGrey = 0xC0C0C0;  // the transparent colour, COLORREF
const Rgbq kGreyEntry{0xC0, 0xC0, 0xC0, 0};

// A 24-bit picture; `at(x, row)` gives blue, green, red of stored row `row` (0 = bottom).
PackedDib Make24(int width, int height,
                 const std::function<std::tuple<int, int, int>(int, int)>& at) {
  PackedDib picture = NewPicture(width, height, 24, 0);
  for (int row = 0; row < height; ++row) {
    uint8_t* p = picture.Pixels() + picture.Stride() * row;
    for (int x = 0; x < width; ++x, p += 3) {
      auto [b, g, r] = at(x, row);
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
    }
  }
  return picture;
}

// Many colours: two crossing ramps with a little pattern, and a flat patch of the top-left
// corner's colour so that the corner clean-up has something to keep.
PackedDib Colourful(int shift = 0) {
  return Make24(61, 40, [shift](int x, int row) {
    if (row >= 30 && x < 12) return std::tuple{10, 200, 90};
    return std::tuple{(x * 4 + shift) % 256, row * 6, (x * row + 3 * shift) % 256};
  });
}

uint8_t IndexAt(const PackedDib& p, int x, int row) {
  return p.Pixels()[p.Stride() * row + x];
}

// What both quantizers must give for the same choices.
void ExpectConversionRules(const PackedDib& source, const IndexConversion& result,
                           const ColorChoices& c) {
  const PackedDib& out = result.picture;
  const DibHeader h = out.Header();
  ASSERT_EQ(h.bitCount, 8);
  ASSERT_EQ(h.width, source.Header().width);
  ASSERT_EQ(h.height, source.Header().height);
  const int chosen = 2 << c.colorCountIndex;
  const int asked = c.noDiffusion ? chosen : std::max(chosen, 16);
  const uint32_t count = out.ColorCount();
  EXPECT_EQ(h.clrUsed, count);
  ASSERT_GE(result.transparentIndex, 0);
  ASSERT_LT(static_cast<uint32_t>(result.transparentIndex), count);
  const int t = result.transparentIndex;
  EXPECT_EQ(out.ColorTable()[t], kGreyEntry);
  if (c.transparentCorner == 0) {
    // The quantized entries, 255 at most, then the transparent one that no pixel uses.
    EXPECT_LE(static_cast<int>(count) - 1, std::min(asked, 255));
    EXPECT_EQ(static_cast<uint32_t>(t), count - 1);
    for (int row = 0; row < h.height; ++row) {
      for (int x = 0; x < h.width; ++x) ASSERT_NE(IndexAt(out, x, row), t);
    }
    return;
  }
  EXPECT_LE(static_cast<int>(count), asked);
  const int top = h.height - 1;
  EXPECT_EQ(IndexAt(out, 0, top), t);  // top-left
  if (c.noDiffusion) return;
  // Every pixel of the corner colour is transparent; another keeps T only next to one.
  const uint8_t* k = source.Pixels() + source.Stride() * top;
  for (int row = 0; row < h.height; ++row) {
    const uint8_t* s = source.Pixels() + source.Stride() * row;
    for (int x = 0; x < h.width; ++x, s += 3) {
      const bool cornerColour = s[0] == k[0] && s[1] == k[1] && s[2] == k[2];
      if (cornerColour) {
        ASSERT_EQ(IndexAt(out, x, row), t) << x << "," << row;
      } else if (IndexAt(out, x, row) == t) {
        // (The right neighbour is judged before its own clean-up, so only the left is sure.)
        ASSERT_TRUE(x == 0 || IndexAt(out, x - 1, row) == t) << x << "," << row;
      }
    }
  }
}

TEST(QualityQuantizer, KeepsTheRulesOfTheProgramsOwnConversion) {
  const PackedDib source = Colourful();
  const ColorChoices cases[] = {
      {7, 0, false}, {7, 0, true}, {7, 1, false}, {7, 1, true}, {0, 0, false},
      {0, 0, true},  {1, 1, true}, {2, 1, false}, {3, 0, true}, {5, 1, false},
  };
  for (const ColorChoices& c : cases) {
    SCOPED_TRACE(testing::Message() << "count " << c.colorCountIndex << " corner "
                                    << c.transparentCorner << " noDiffusion " << c.noDiffusion);
    auto own = ConvertToIndexColor(source, c, kGrey);
    auto quality = QualityConvertToIndexColor(source, c, kGrey);
    ASSERT_TRUE(own);
    ASSERT_TRUE(quality);
    {
      SCOPED_TRACE("own");
      ExpectConversionRules(source, *own, c);
    }
    {
      SCOPED_TRACE("quality");
      ExpectConversionRules(source, *quality, c);
    }
    // Many source colours fill the palette: the floor of 16 with diffusion, the choice without.
    const int fill = static_cast<int>(quality->picture.ColorCount()) - (c.transparentCorner == 0);
    EXPECT_EQ(fill, QualityColorCount(c));
  }
}

TEST(QualityQuantizer, ColourCountFollowsTheChoice) {
  // {count choice, corner, no diffusion} -> colours asked for.
  const std::tuple<ColorChoices, int> cases[] = {
      {{7, 0, true}, 255}, {{7, 0, false}, 255}, {{7, 2, true}, 256}, {{6, 0, true}, 128},
      {{0, 0, true}, 2},   {{0, 0, false}, 16},  {{2, 3, false}, 16}, {{4, 0, false}, 32},
      {{9, 1, true}, 256}, {{-3, 0, true}, 2},
  };
  for (const auto& [choices, expected] : cases) {
    EXPECT_EQ(QualityColorCount(choices), expected)
        << choices.colorCountIndex << " " << choices.transparentCorner;
  }
}

TEST(QualityQuantizer, FewColoursKeepTheirExactValues) {
  const PackedDib source = Make24(9, 7, [](int x, int row) {
    return (x + row) % 3 == 0 ? std::tuple{255, 0, 0}
                              : std::tuple{(x + row) % 3 == 1 ? 0 : 30, 200, 40};
  });
  auto result = QualityConvertToIndexColor(source, {7, 0, false}, kGrey);
  ASSERT_TRUE(result);
  ASSERT_EQ(result->picture.ColorCount(), 3u + 1u);
  const PackedDib full = ConvertToFullColor(result->picture);
  ASSERT_TRUE(full);
  for (int row = 0; row < 7; ++row) {
    EXPECT_EQ(0, std::memcmp(full.Pixels() + full.Stride() * row,
                             source.Pixels() + source.Stride() * row, 3 * 9));
  }
}

TEST(QualityQuantizer, RefusesWhatItCannotReduce) {
  const PackedDib indexed = NewPicture(4, 4, 8, 2);
  EXPECT_FALSE(QualityConvertToIndexColor(indexed, {}, kGrey));
  EXPECT_FALSE(QualityConvertToIndexColor(PackedDib{}, {}, kGrey));
  EXPECT_FALSE(QualityConvertFrames({}, {}, kGrey));
  std::vector<PackedDib> mixed;
  mixed.push_back(Colourful());
  mixed.push_back(DuplicateBlock(indexed));
  EXPECT_FALSE(QualityConvertFrames(mixed, {}, kGrey));
}

TEST(QualityQuantizer, FramesShareOnePaletteAndTransparentIndex) {
  for (const ColorChoices& c : {ColorChoices{7, 0, false}, ColorChoices{7, 1, false},
                                ColorChoices{4, 1, true}, ColorChoices{0, 0, false}}) {
    SCOPED_TRACE(testing::Message() << "count " << c.colorCountIndex << " corner "
                                    << c.transparentCorner << " noDiffusion " << c.noDiffusion);
    std::vector<PackedDib> frames;
    for (int f = 0; f < 5; ++f) frames.push_back(Colourful(f * 7));
    // A frame of another size and a frame of one colour take part too.
    frames.push_back(Make24(20, 10, [](int x, int) { return std::tuple{x * 9, 60, 200}; }));
    frames.push_back(Make24(8, 8, [](int, int) { return std::tuple{1, 2, 3}; }));
    auto result = QualityConvertFrames(frames, c, kGrey);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->pictures.size(), frames.size());
    const PackedDib& first = result->pictures[0];
    for (size_t i = 0; i < frames.size(); ++i) {
      SCOPED_TRACE(i);
      const PackedDib& p = result->pictures[i];
      ASSERT_EQ(p.ColorCount(), first.ColorCount());
      EXPECT_EQ(0, std::memcmp(p.ColorTable(), first.ColorTable(), 4 * p.ColorCount()));
      EXPECT_EQ(p.Header().width, frames[i].Header().width);
    }
    ASSERT_GE(result->transparentIndex, 0);
    EXPECT_EQ(first.ColorTable()[result->transparentIndex], kGreyEntry);
    if (c.transparentCorner == 0) {
      EXPECT_EQ(static_cast<uint32_t>(result->transparentIndex), first.ColorCount() - 1);
      EXPECT_LE(static_cast<int>(first.ColorCount()) - 1, QualityColorCount(c));
    } else {
      // Read in the first frame; its colour patch is transparent in every frame with it.
      EXPECT_EQ(IndexAt(first, 0, first.Header().height - 1), result->transparentIndex);
      if (!c.noDiffusion) {
        for (size_t i = 0; i < 5; ++i)
          EXPECT_EQ(IndexAt(result->pictures[i], 3, 35), result->transparentIndex);
      }
    }
  }
}

TEST(QualityQuantizer, UnchangedPixelsKeepTheirIndex) {
  // A still ramp with a block that moves one column per frame.
  std::vector<PackedDib> frames;
  for (int f = 0; f < 12; ++f) {
    frames.push_back(Make24(48, 32, [f](int x, int row) {
      if (x >= 2 * f && x < 2 * f + 6 && row >= 10 && row < 20) return std::tuple{250, 30, 20 + f};
      return std::tuple{x * 5, row * 7 + x, 128 + (x * row) % 97};
    }));
  }
  auto result = QualityConvertFrames(frames, {7, 0, false}, kGrey);
  ASSERT_TRUE(result);
  for (size_t f = 1; f < frames.size(); ++f) {
    for (int row = 0; row < 32; ++row) {
      const uint8_t* s = frames[f].Pixels() + frames[f].Stride() * row;
      const uint8_t* ps = frames[f - 1].Pixels() + frames[f].Stride() * row;
      for (int x = 0; x < 48; ++x) {
        if (std::memcmp(s + 3 * x, ps + 3 * x, 3) == 0) {
          ASSERT_EQ(IndexAt(result->pictures[f], x, row), IndexAt(result->pictures[f - 1], x, row))
              << "frame " << f << " at " << x << "," << row;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zel
