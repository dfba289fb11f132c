// PNG files whose transparency a GIF can hold (palette entries of alpha 0, a tRNS colour,
// alpha of only 0 and 255) open with those pixels transparent, and keep them through a
// GIF save, the colour reduction, merging over an animation and several pictures made into
// one animation. Partial alpha is flattened onto white. The files are made by Pillow, and
// Pillow's own decoding of each is the reference, pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/colour_key.h"
#include "editor_load.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

constexpr char kPython[] = "/usr/bin/python3";

// Writes the fixtures into `dir` and, beside each, NAME.rgba: width and height (32-bit
// little-endian) and Pillow's RGBA decoding of it.
constexpr char kMakeFixtures[] = R"(
import struct, sys
from PIL import Image
d = sys.argv[1]
def dump(name):
    im = Image.open(d + '/' + name + '.png').convert('RGBA')
    with open(d + '/' + name + '.rgba', 'wb') as f:
        f.write(struct.pack('<II', im.width, im.height) + im.tobytes())
# Palette: entries 0 and 3 transparent, the others opaque.
p = Image.new('P', (6, 4))
p.putpalette([10, 20, 30, 200, 0, 0, 0, 200, 0, 5, 5, 5, 0, 0, 200] + [0] * 753)
p.putdata([0, 1, 2, 3, 4, 0, 1, 1, 3, 3, 2, 2, 4, 4, 0, 0, 1, 1, 2, 3, 4, 0, 1, 2])
p.save(d + '/palette.png', transparency=bytes([0, 255, 255, 0, 255]))
# RGB and gray with a tRNS colour.
r = Image.new('RGB', (6, 4), (255, 0, 255))
for x, y, c in [(1, 1, (10, 200, 30)), (2, 1, (1, 2, 3)), (4, 3, (10, 200, 30)), (0, 0, (9, 9, 9))]:
    r.putpixel((x, y), c)
r.save(d + '/rgb.png', transparency=(255, 0, 255))
g = Image.new('L', (6, 4), 7)
for x in range(6):
    g.putpixel((x, 2), 40 * x)
g.save(d + '/gray.png', transparency=7)
# RGBA with alpha 0 and 255 only, and a second one of the same size.
def sprite(shift):
    a = Image.new('RGBA', (6, 4), (0, 0, 0, 0))
    for x in range(1, 5):
        for y in range(1, 3):
            a.putpixel((x, y), ((60 * x + shift) % 256, 90 * y, 200, 255))
    return a
sprite(0).save(d + '/rgba.png')
sprite(128).save(d + '/rgba2.png')
# Partial alpha: flattened.
b = sprite(0)
b.putpixel((2, 2), (250, 10, 10, 128))
b.save(d + '/partial.png')
# More than 255 opaque colours around transparent holes.
m = Image.new('RGBA', (40, 40), (0, 0, 0, 0))
for y in range(40):
    for x in range(40):
        if (x + y) % 5:
            m.putpixel((x, y), (x * 6, y * 6, (x * y) % 256, 255))
m.save(d + '/many.png')
for n in ['palette', 'rgb', 'gray', 'rgba', 'rgba2', 'partial', 'many']:
    dump(n)
)";

struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // top row first, 4 bytes a pixel
  const uint8_t* At(int x, int y) const {
    return &pixels[4 * (static_cast<size_t>(y) * static_cast<size_t>(width) + x)];
  }
};

Rgba ReadReference(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  Rgba r;
  if (bytes.size() < 8) return r;
  std::memcpy(&r.width, bytes.data(), 4);
  std::memcpy(&r.height, bytes.data() + 4, 4);
  r.pixels.assign(bytes.begin() + 8, bytes.end());
  return r;
}

uint32_t Rgb(const uint8_t* p) {
  return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}

// The colour (0xRRGGBB) of pixel (x, y), top row first, and its index for 8 bits.
uint32_t ColourAt(const PackedDib& picture, int x, int y, int* index = nullptr) {
  const uint8_t* row = picture.Row(y);
  if (picture.Header().bitCount == 24) {
    const uint8_t* p = row + 3 * x;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
  if (index) *index = row[x];
  const Rgbq& c = picture.ColorTable()[row[x]];
  return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
}

// An 8-bit picture whose pixels are transparent (index `t`) exactly where the reference's
// alpha is 0; with `exact` the others have the reference's colour.
void ExpectTransparency(const PackedDib& picture, int32_t t, const Rgba& ref, bool exact,
                        const std::string& what) {
  ASSERT_TRUE(picture) << what;
  ASSERT_EQ(picture.Header().bitCount, 8) << what;
  ASSERT_GE(t, 0) << what;
  ASSERT_EQ(picture.Header().width, ref.width) << what;
  ASSERT_EQ(picture.Header().height, ref.height) << what;
  int wrong = 0;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      int index = -1;
      const uint32_t colour = ColourAt(picture, x, y, &index);
      const uint8_t* r = ref.At(x, y);
      if (r[3] == 0) {
        wrong += index != t;
      } else {
        wrong += index == t || (exact && colour != Rgb(r));
      }
    }
  }
  EXPECT_EQ(wrong, 0) << what;
}

// The fixtures are made once for every test; each test writes only files of its own.
class PngTransparencyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixtures_ = new TempDir;
    made_ = RunTool({kPython, "-c", kMakeFixtures, fixtures_->path().string()});
  }
  static void TearDownTestSuite() {
    delete fixtures_;
    fixtures_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(made_) << "Pillow could not make the fixtures"; }
  std::string Png(const std::string& name) const { return *fixtures_ / (name + ".png"); }
  Rgba Reference(const std::string& name) const {
    return ReadReference(*fixtures_ / (name + ".rgba"));
  }

  static TempDir* fixtures_;
  static bool made_;
  TempDir dir_;
};

TempDir* PngTransparencyTest::fixtures_ = nullptr;
bool PngTransparencyTest::made_ = false;

TEST_F(PngTransparencyTest, TheFourKindsOpenTransparentAndSaveAsGifExactly) {
  for (const char* name : {"palette", "rgb", "gray", "rgba"}) {
    const Rgba ref = Reference(name);
    auto doc = Load(Png(name));
    ASSERT_EQ(doc->kind, ImageKind::kPng) << name;
    const int32_t t = doc->frameSet->transparentIndex;
    ExpectTransparency(doc->currentPicture, t, ref, true, std::string(name) + " opened");

    RunResult info = RunCli({"info", Png(name)});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("transparent  " + std::to_string(t) + "\n"), std::string::npos)
        << info.out;

    const std::string gif = dir_ / (std::string(name) + ".gif");
    RunResult run = RunCli({"convert", Png(name), gif});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto saved = Load(gif);
    ASSERT_EQ(saved->kind, ImageKind::kGifPicture) << name;
    ExpectTransparency(saved->currentPicture, saved->frameSet->transparentIndex, ref, true,
                       std::string(name) + " saved as GIF");
  }
}

TEST_F(PngTransparencyTest, PartialAlphaIsFlattenedOntoWhite) {
  const Rgba ref = Reference("partial");
  auto doc = Load(Png("partial"));
  EXPECT_EQ(doc->bitCount, 24);
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
  EXPECT_FALSE(ReadColourKey(doc->currentPicture));
  EXPECT_EQ(ColourAt(doc->currentPicture, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(doc->currentPicture, 1, 1), Rgb(ref.At(1, 1)));
  // Half of red over white.
  const uint32_t mixed = ColourAt(doc->currentPicture, 2, 2);
  EXPECT_NEAR(static_cast<int>(mixed >> 8 & 0xFF), 132, 2);
  RunResult info = RunCli({"info", Png("partial")});
  EXPECT_NE(info.out.find("transparent  -1\n"), std::string::npos) << info.out;
}

// Beyond 255 opaque colours the picture stays full colour; its transparent pixels show the
// background colour and become the transparent entry when the colours are reduced.
TEST_F(PngTransparencyTest, FullColourKeepsItsTransparencyThroughTheReduction) {
  const Rgba ref = Reference("many");
  auto doc = Load(Png("many"));
  ASSERT_EQ(doc->bitCount, 24);
  const std::optional<uint32_t> key = ReadColourKey(doc->currentPicture);
  ASSERT_TRUE(key);
  EXPECT_EQ(*key, doc->backgroundColor);
  int wrong = 0;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      const uint32_t colour = ColourAt(doc->currentPicture, x, y);
      const uint8_t* r = ref.At(x, y);
      const uint32_t keyRgb = (*key & 0xFF) << 16 | (*key & 0xFF00) | *key >> 16;
      wrong += r[3] == 0 ? colour != keyRgb : colour != Rgb(r) || colour == keyRgb;
    }
  }
  EXPECT_EQ(wrong, 0);
  RunResult info = RunCli({"info", Png("many")});
  EXPECT_NE(info.out.find("transparent  colour #C0C0C0\n"), std::string::npos) << info.out;

  const std::vector<std::vector<std::string>> ways = {
      {"--colors", "256"}, {"--colors", "16"}, {"--colors", "256", "--hq"},
      {"--colors", "256", "--transparent", "top-left"}};
  for (const std::vector<std::string>& way : ways) {
    const std::string gif = dir_ / "many.gif";
    std::vector<std::string> args = {"edit", Png("many")};
    args.insert(args.end(), way.begin(), way.end());
    args.insert(args.end(), {"-o", gif});
    RunResult run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto saved = Load(gif);
    ExpectTransparency(saved->currentPicture, saved->frameSet->transparentIndex, ref, false,
                       "many " + way.back());
  }
}

// The transparent pixels of a merged PNG show each frame of the animation below.
TEST_F(PngTransparencyTest, MergedOverAnAnimationShowsTheAnimationThrough) {
  using zel::testing::GifBuilder;
  GifBuilder gif(6, 4, {{255, 255, 0}, {0, 255, 255}});
  gif.Looping();
  for (int f = 0; f < 2; ++f) {
    gif.Control(0x04, 10, -1);
    gif.Image(0, 0, 6, 4, std::vector<uint8_t>(24, uint8_t(f)));
  }
  const std::string anim = dir_ / "anim.gif";
  WriteBytes(anim, gif.Trailer().bytes());
  for (const char* name : {"rgba", "palette"}) {
    const Rgba ref = Reference(name);
    const std::string out = dir_ / "merged.gif";
    RunResult run = RunCli({"edit", anim, "--merge", Png(name), "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto doc = Load(out);
    ASSERT_EQ(doc->frameSet->count, 2);
    const uint32_t base[] = {0xFFFF00, 0x00FFFF};
    int wrong = 0;
    for (int f = 0; f < 2; ++f) {
      const PackedDib& frame = doc->frameSet->frame(f).image;
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
          const uint8_t* r = ref.At(x, y);
          wrong += ColourAt(frame, x, y) != (r[3] == 0 ? base[f] : Rgb(r));
        }
      }
    }
    EXPECT_EQ(wrong, 0) << name;
  }
}

TEST_F(PngTransparencyTest, SeveralPicturesKeepTheirTransparentPixels) {
  for (bool hq : {false, true}) {
    const std::string out = dir_ / "several.gif";
    std::vector<std::string> args = {"from-images", Png("rgba"), Png("rgba2"), Png("palette"),
                                     "-o", out};
    if (hq) args.push_back("--hq");
    RunResult run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto doc = Load(out);
    ASSERT_EQ(doc->frameSet->count, 3);
    const char* names[] = {"rgba", "rgba2", "palette"};
    for (int f = 0; f < 3; ++f) {
      ExpectTransparency(doc->frameSet->frame(f).image, doc->frameSet->transparentIndex,
                         Reference(names[f]), false,
                         std::string(names[f]) + (hq ? " --hq" : ""));
    }
  }
}

}  // namespace
}  // namespace zel::clitest
