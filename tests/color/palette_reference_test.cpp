// Mapping a full-colour picture onto another file's colour table: the readers per file
// type, the removal of the reference's transparent entry, the refusals, and the
// transparency step shared with the ordinary conversion.
#include "color/palette_reference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imagefiles/bmp_file.h"
#include "imagefiles/jpeg_writer.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::Rgb;

constexpr uint32_t kBackground = 0x00C0C0C0;
const Rgbq kBackgroundEntry{192, 192, 192, 0};

// 16 well separated colours.
std::vector<Rgb> SixteenColors() {
  std::vector<Rgb> colors;
  for (int i = 0; i < 16; ++i) {
    colors.push_back({static_cast<uint8_t>((i & 1) ? 240 : 16 * i),
                      static_cast<uint8_t>((i & 2) ? 200 : 10 * i),
                      static_cast<uint8_t>((i & 4) ? 220 : 5 * i)});
  }
  return colors;
}

Rgbq Entry(const Rgb& c) {
  return Rgbq{c.b, c.g, c.r, 0};
}

// A 24-bit picture whose pixel (x, y) (y from the top) is color(x, y).
template <typename ColorOf>
PackedDib FullColor(int width, int height, ColorOf color) {
  PackedDib p = NewPicture(width, height, 24, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgb c = color(x, y);
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = c.b;
      px[1] = c.g;
      px[2] = c.r;
    }
  }
  return p;
}

// A photo-like gradient with some noise.
PackedDib Photo(int width, int height) {
  uint32_t state = 99;
  return FullColor(width, height, [&](int x, int y) {
    state = state * 1103515245u + 12345u;
    int n = static_cast<int>((state >> 16) % 24);
    return Rgb{static_cast<uint8_t>((x * 255 / width + n) % 256),
               static_cast<uint8_t>((y * 255 / height + n) % 256),
               static_cast<uint8_t>(((x + y) * 2 + n) % 256)};
  });
}

class PaletteReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testing::MakeTempDir(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // A GIF whose first frame uses `table` and, when transparent >= 0, marks that index.
  std::string WriteGif(const std::string& name, const std::vector<Rgb>& table, int transparent) {
    GifBuilder gif(4, 4, table);
    if (transparent >= 0) gif.Control(0x01, 0, transparent);
    std::vector<uint8_t> pixels(16);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i % table.size());
    gif.Image(0, 0, 4, 4, pixels);
    // A second frame with another table must not count.
    gif.Image(0, 0, 4, 4, pixels, std::vector<Rgb>(table.size(), Rgb{1, 2, 3}));
    const std::vector<uint8_t>& bytes = gif.Trailer().bytes();
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

  std::string dir_;
};

TEST_F(PaletteReferenceTest, GifWithTransparentEntryGivesFifteenColours) {
  const std::vector<Rgb> table = SixteenColors();
  const std::string gif = WriteGif("ref.gif", table, 5);
  std::vector<Rgbq> expected;
  for (int i = 0; i < 16; ++i) {
    if (i != 5) expected.push_back(Entry(table[i]));
  }
  auto palette = ReadReferencePalette(gif, 256);
  ASSERT_TRUE(palette.has_value());
  EXPECT_EQ(*palette, expected);

  const PackedDib photo = Photo(40, 30);
  const std::vector<uint8_t> before(photo.data(), photo.data() + photo.size());

  // Error diffusion needs 16 colours: the conversion fails.
  ReferenceConversion diffused =
      ReferencePaletteConvert(photo, gif, ColorChoices{7, 0, false}, kBackground, 256);
  EXPECT_FALSE(diffused.conversion.has_value());
  EXPECT_STREQ(diffused.message, Say(kReferenceFailedText));

  // Without it the picture is mapped onto the 15 colours; the spare 16th entry is the
  // transparent colour, which no pixel uses.
  ReferenceConversion nearest =
      ReferencePaletteConvert(photo, gif, ColorChoices{3, 0, true}, kBackground, 256);
  ASSERT_TRUE(nearest.conversion.has_value()) << nearest.message;
  EXPECT_EQ(nearest.message, nullptr);
  const PackedDib& out = nearest.conversion->picture;
  ASSERT_EQ(out.Header().bitCount, 8);
  ASSERT_EQ(out.Header().clrUsed, 16u);
  EXPECT_EQ(nearest.conversion->transparentIndex, 15);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(out.ColorTable()[i], expected[i]) << i;
  EXPECT_EQ(out.ColorTable()[15], kBackgroundEntry);
  const PackedDib mapped = MapNearest(photo, expected);
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(std::memcmp(out.Row(y), mapped.Row(y), 40), 0) << "row " << y;
  }
  // The source picture is never touched.
  EXPECT_TRUE(std::equal(before.begin(), before.end(), photo.data()));
}

TEST_F(PaletteReferenceTest, RefusedReferences) {
  const PackedDib photo = Photo(16, 16);
  // An 8-bit BMP of 16 colours is a good reference; a 24-bit one has no colour table.
  std::vector<uint8_t> indices(64);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 16);
  ASSERT_TRUE(WriteBmpFile(testing::MakePicture(8, 8, indices, SixteenColors()), Path("ok.bmp")));
  ASSERT_TRUE(WriteBmpFile(Photo(8, 8), Path("deep.bmp")));
  ASSERT_EQ(WriteJpegFile(Photo(8, 8), Path("photo.jpg"), 90), 0);
  std::vector<Rgb> four = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const std::string small = WriteGif("four.gif", four, -1);
  // 8 entries of which one is transparent leave 7: too few.
  const std::vector<Rgb> sixteen = SixteenColors();
  const std::string seven =
      WriteGif("seven.gif", std::vector<Rgb>(sixteen.begin(), sixteen.begin() + 8), 0);
  std::ofstream(Path("noext"), std::ios::binary) << "GIF89a";

  struct Case {
    std::string path;
    const char* message;  // nullptr: converts
    bool tooDeep;         // the browse button refuses it
  } cases[] = {
      {Path("ok.bmp"), nullptr, false},
      {Path("deep.bmp"), Say(kReferenceFailedText), true},
      {Path("photo.jpg"), Say(kReferenceFailedText), false},
      {small, Say(kReferenceFailedText), false},
      {seven, Say(kReferenceFailedText), false},
      {Path("noext"), Say(kReferenceFailedText), false},
      {Path("missing.gif"), Say(kReferenceMissingText), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ReferenceConversion r =
        ReferencePaletteConvert(photo, c.path, ColorChoices{7, 0, false}, kBackground, 256);
    if (c.message) {
      EXPECT_FALSE(r.conversion.has_value());
      EXPECT_STREQ(r.message, c.message);
    } else {
      ASSERT_TRUE(r.conversion.has_value());
      EXPECT_EQ(r.conversion->picture.Header().clrUsed, 17u);
      EXPECT_EQ(r.conversion->transparentIndex, 16);
    }
    EXPECT_EQ(IsReferenceTooDeep(c.path), c.tooDeep);
  }
  // A current picture that is not full colour cannot be mapped.
  ReferenceConversion r =
      ReferencePaletteConvert(testing::MakePicture(8, 8, indices, SixteenColors()), Path("ok.bmp"),
                              ColorChoices{7, 0, true}, kBackground, 256);
  EXPECT_FALSE(r.conversion.has_value());
  EXPECT_STREQ(r.message, Say(kReferenceFailedText));
}

// The corner choices on a hand-made mapping: T is the mapped index at the corner; with
// error diffusion only pixels of the corner's source colour keep T where a neighbour can
// give its index.
TEST_F(PaletteReferenceTest, CornerTransparencyAndCleanUp) {
  const Rgb k{10, 20, 30}, other{200, 100, 50};
  // Top row (y = 0): K, other, other, K, other; bottom row: other x3, K, K.
  const Rgb source[2][5] = {{k, other, other, k, other}, {other, other, other, k, k}};
  const PackedDib current = FullColor(5, 2, [&](int x, int y) { return source[y][x]; });
  const std::vector<Rgb> table = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  // Mapped indices (top row first).
  const std::vector<uint8_t> mapped = {1, 1, 2, 0, 1,  //
                                       1, 1, 1, 3, 2};
  struct Case {
    int corner;
    bool noDiffusion;
    int t;
    std::vector<uint8_t> pixels;
  } cases[] = {
      // Top-left: T = 1. (1,0) other with left T, right 2 -> 2; (3,0) K -> 1; (4,0) left 1 (K)
      // is T, no right neighbour -> stays 1. Bottom: (0,1) right is T -> stays; (1,1) left
      // T, right T -> stays; (2,1) right 3 -> 3; (4,1) K -> 1.
      {1, false, 1, {1, 2, 2, 1, 1, 1, 1, 3, 1, 1}},
      // Bottom-right: T = 2; K pixels take 2; (2,0) of index 2 takes its left neighbour's 1.
      {4, false, 2, {2, 1, 1, 2, 1, 1, 1, 1, 2, 2}},
      // Without diffusion only the entry changes.
      {1, true, 1, mapped},
      {3, true, 1, mapped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.corner * 10 + c.noDiffusion);
    auto result = ApplyTransparencyChoice(testing::MakePicture(5, 2, mapped, table), current,
                                          ColorChoices{7, c.corner, c.noDiffusion}, kBackground);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->transparentIndex, c.t);
    EXPECT_EQ(testing::PicturePixels(result->picture), c.pixels);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(result->picture.ColorTable()[i], i == c.t ? kBackgroundEntry : Entry(table[i]));
    }
  }
  // Corner 0 appends a spare entry; with every one of 256 entries used there is none.
  auto spare = ApplyTransparencyChoice(testing::MakePicture(5, 2, mapped, table), current,
                                       ColorChoices{7, 0, false}, kBackground);
  ASSERT_TRUE(spare.has_value());
  EXPECT_EQ(spare->transparentIndex, 4);
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  std::vector<Rgb> full(256, Rgb{5, 5, 5});
  EXPECT_FALSE(ApplyTransparencyChoice(testing::MakePicture(16, 16, all, full),
                                       FullColor(16, 16, [](int, int) { return Rgb{}; }),
                                       ColorChoices{7, 0, true}, kBackground)
                   .has_value());
}

}  // namespace
}  // namespace zel
