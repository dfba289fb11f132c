// The GIF writer against giflib and ImageMagick: frame sets built here are written, read
// back by both peers, and compared index by index and colour by colour.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "imagefiles/gif_encoder.h"
#include "interop/interop_helpers.h"
#include "interop/interop_sources.h"

namespace zel::interop {
namespace {

enum class Content { kNoise, kRuns };

struct EncodeCase {
  const char* name;
  int width, height;
  int bits;  // 1, 4 or 8
  int frames;
  int colors;  // palette entries of every frame
  bool localPalettes;
  int transparentIndex;  // -1: none
  bool rawCodes;
  Content content;
};

const EncodeCase kEncodeCases[] = {
    // Rows of 97 bytes need padding; 200 colours need the full 8-bit code size.
    {"anim_8bit_97x61", 97, 61, 8, 3, 200, false, -1, false, Content::kNoise},
    {"anim_8bit_97x61_raw_codes", 97, 61, 8, 3, 200, false, -1, true, Content::kNoise},
    // 60000 random pixels fill the string table many times over: clear codes at 4095.
    {"noise_300x200_256", 300, 200, 8, 1, 256, false, -1, false, Content::kNoise},
    {"noise_300x200_256_raw_codes", 300, 200, 8, 1, 256, false, -1, true, Content::kNoise},
    // Long runs grow long strings, and the table still fills up.
    {"runs_509x97_256", 509, 97, 8, 2, 256, false, -1, false, Content::kRuns},
    {"transparent_61x37", 61, 37, 8, 2, 50, false, 7, false, Content::kNoise},
    // A transparent index beyond the used colours widens the table.
    {"transparent_beyond_colors", 30, 20, 8, 2, 5, false, 9, false, Content::kNoise},
    {"local_palettes_8bit", 97, 61, 8, 3, 40, true, -1, false, Content::kNoise},
    {"local_palettes_transparent", 45, 33, 8, 2, 130, true, 4, false, Content::kRuns},
    {"bits1_13x9", 13, 9, 1, 2, 2, false, -1, false, Content::kNoise},
    {"bits1_local_33x5", 33, 5, 1, 2, 2, true, 1, false, Content::kNoise},
    {"bits4_15x11", 15, 11, 4, 3, 16, false, 3, false, Content::kNoise},
    {"bits4_local_raw_codes", 15, 11, 4, 2, 16, true, -1, true, Content::kRuns},
    {"single_pixel", 1, 1, 8, 1, 2, false, -1, false, Content::kNoise},
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << c.name;
}

void SetPixel(PackedDib& picture, int bits, int x, int y, int index) {
  uint8_t* row = picture.Row(y);
  if (bits == 8) {
    row[x] = static_cast<uint8_t>(index);
  } else if (bits == 4) {
    int shift = (x & 1) ? 0 : 4;
    row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | (index << shift));
  } else {
    int shift = 7 - (x & 7);
    row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | (index << shift));
  }
}

std::vector<Rgbq> ToTable(const std::vector<Rgba>& colors) {
  std::vector<Rgbq> table;
  for (const Rgba& c : colors) table.push_back({c.b, c.g, c.r, 0});
  return table;
}

// The frame set of a case: every frame has the case's size and depth; with a shared
// palette all frames carry the same table, otherwise each its own.
void BuildFrames(const EncodeCase& c, FrameSet& frames) {
  std::mt19937 random(7);
  std::vector<Rgbq> shared = ToTable(DistinctColors(c.colors, 100));
  frames.screenWidth = c.width;
  frames.screenHeight = c.height;
  frames.transparentIndex = c.transparentIndex;
  frames.paletteCount = c.localPalettes ? -1 : c.colors;
  for (int i = 0; i < c.colors && !c.localPalettes; ++i) frames.palette[i] = shared[i];
  for (int f = 0; f < c.frames; ++f) {
    std::vector<Rgbq> table =
        c.localPalettes ? ToTable(DistinctColors(c.colors, 200 + static_cast<uint32_t>(f)))
                        : shared;
    PackedDib picture =
        NewPicture(c.width, c.height, c.bits, static_cast<uint32_t>(c.colors), table.data());
    ASSERT_TRUE(picture);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        int index = c.content == Content::kNoise
                        ? static_cast<int>(random() % static_cast<unsigned>(c.colors))
                        : (x / (7 + f) + y / 3 + f) % c.colors;
        SetPixel(picture, c.bits, x, y, index);
      }
    }
    Frame& frame = frames.frame(f);
    frame.image = std::move(picture);
    frame.delay = 4 + 13 * f;
    frame.transparentIndex = c.transparentIndex;
  }
  frames.count = c.frames;
}

class GifEncodeInterop : public testing::TestWithParam<EncodeCase> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(BuildFrames(GetParam(), frames_));
    path_ = work_.File(std::string(GetParam().name) + ".gif");
    const bool raw = GetParam().rawCodes;
    // Both entry points must produce the same file.
    std::vector<uint8_t> built;
    ASSERT_EQ(BuildGifFile(frames_, raw, nullptr, built), kGifWriteOk);
    ASSERT_EQ(WriteGifFile(frames_, path_, raw, nullptr), kGifWriteOk);
    ASSERT_EQ(ReadFileBytes(path_), built);
  }

  TempDir work_;
  FrameSet frames_{16};
  std::string path_;
};

// giflib reads back the screen, every index, the colour tables, delays, the transparent
// index and, for an animation, the looping block.
TEST_P(GifEncodeInterop, GiflibReadsBackIdentically) {
  const EncodeCase& c = GetParam();
  std::optional<GiflibFile> file = ReadWithGiflib(path_);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->screenWidth, c.width);
  EXPECT_EQ(file->screenHeight, c.height);
  if (c.frames >= 2) {
    EXPECT_TRUE(file->hasLoopBlock);
    EXPECT_EQ(file->loopCount, 0) << "an animation loops forever";
  }
  EXPECT_EQ(file->globalColors.empty(), c.localPalettes);
  ASSERT_EQ(file->images.size(), static_cast<size_t>(c.frames));
  for (int f = 0; f < c.frames; ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const Frame& frame = frames_.frame(f);
    const GiflibImage& image = file->images[static_cast<size_t>(f)];
    EXPECT_EQ(image.left, 0);
    EXPECT_EQ(image.top, 0);
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    ASSERT_EQ(image.raster.size(), size_t(c.width) * c.height);
    EXPECT_EQ(image.delay, frame.delay);
    EXPECT_EQ(image.transparentIndex, c.transparentIndex);
    EXPECT_EQ(image.localColors.empty(), !c.localPalettes);
    const std::vector<Rgba>& map = c.localPalettes ? image.localColors : file->globalColors;
    ASSERT_GE(map.size(), static_cast<size_t>(c.colors));
    ASSERT_GT(static_cast<int>(map.size()), c.transparentIndex);
    for (int i = 0; i < c.colors; ++i) {
      EXPECT_EQ(map[static_cast<size_t>(i)], ColorOf(frame.image, i)) << "colour " << i;
    }
    int mismatches = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        int want = PixelIndex(frame.image, x, y);
        int have = image.raster[size_t(y) * c.width + x];
        if (want != have && ++mismatches <= 5) {
          ADD_FAILURE() << "(" << x << "," << y << ") wrote " << want << ", giflib read " << have;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

// ImageMagick shows every pixel in its colour, and the transparent index as transparent.
TEST_P(GifEncodeInterop, MagickShowsSameColors) {
  const EncodeCase& c = GetParam();
  std::optional<std::vector<MagickFrame>> shown = ReadWithMagick(path_, false, work_.path());
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->size(), static_cast<size_t>(c.frames));
  for (int f = 0; f < c.frames; ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const Frame& frame = frames_.frame(f);
    const MagickFrame& magick = (*shown)[static_cast<size_t>(f)];
    EXPECT_EQ(magick.delay, frame.delay);
    ASSERT_EQ(magick.image.width, c.width);
    ASSERT_EQ(magick.image.height, c.height);
    int mismatches = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        int index = PixelIndex(frame.image, x, y);
        Rgba have = magick.image.At(x, y);
        bool ok = index == c.transparentIndex ? have.a == 0 : have == ColorOf(frame.image, index);
        if (!ok && ++mismatches <= 5) {
          ADD_FAILURE() << "(" << x << "," << y << ") index " << index << " shown as ("
                        << int(have.r) << "," << int(have.g) << "," << int(have.b) << ","
                        << int(have.a) << ")";
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Peers, GifEncodeInterop, testing::ValuesIn(kEncodeCases),
                         [](const testing::TestParamInfo<EncodeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zel::interop
