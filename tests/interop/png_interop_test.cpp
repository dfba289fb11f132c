// PNG files written by ImageMagick in its variants open with the pixels ImageMagick itself
// reads from them, flattened onto the file's background colour (white when it has none),
// except that pixels ImageMagick reads as wholly transparent in a file without partial
// alpha are the picture's transparent entry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "imagefiles/png_reader.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

constexpr const char* kMagick = "/usr/bin/convert";

bool RunMagick(const std::string& command, std::vector<uint8_t>* output = nullptr) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return false;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    if (output != nullptr) output->insert(output->end(), buffer, buffer + n);
  }
  return pclose(pipe) == 0;
}

struct Variant {
  const char* name;
  const char* source;  // one of the pictures made below
  const char* options;
  int bitDepth;  // IHDR of the written file, so the case really covers its variant
  int colorType;
  int pictureBits;  // what the reader delivers
  int tolerance;    // 16-bit samples are cut here and rounded by ImageMagick
  bool keepsTransparency;  // the picture names a transparent entry
};

TEST(PngInterop, ImageMagickVariantsOpenWithImageMagicksPixels) {
  if (access(kMagick, X_OK) != 0) GTEST_SKIP() << kMagick << " is missing";
  std::string dir = testing::MakeTempDir();
  std::string magick = std::string(kMagick) + " ";
  // A colour swirl and a left-to-right alpha ramp, in 8 and 16 bits.
  std::string swirl = "-size 23x17 gradient:'#102030-#f0e0c0' -swirl 90 ";
  std::string ramp = "\\( -size 17x23 gradient: -rotate 90 \\) -compose CopyOpacity -composite ";
  ASSERT_TRUE(RunMagick(magick + swirl + "-depth 8 " + dir + "/rgb.png"));
  ASSERT_TRUE(RunMagick(magick + swirl + ramp + "-depth 8 " + dir + "/rgba.png"));
  ASSERT_TRUE(RunMagick(magick + swirl + "-depth 16 " + dir + "/rgb16.png"));
  ASSERT_TRUE(RunMagick(magick + swirl + ramp + "-depth 16 " + dir + "/rgba16.png"));

  const Variant variants[] = {
      {"PNG8 with a transparent entry", "rgba", "-colors 40 PNG8:", 8, 3, 8, 0, true},
      {"4-bit palette", "rgb", "-colors 5 -depth 4 ", 4, 3, 8, 0, false},
      {"palette, two pixels made clear", "rgb",
       "-colors 7 -alpha set -fill none -draw 'color 0,0 replace' -draw 'color 22,16 replace' "
       "PNG8:",
       8, 3, 8, 0, true},
      {"PNG24", "rgb", "PNG24:", 8, 2, 24, 0, false},
      {"PNG24 interlaced", "rgb", "-interlace PNG PNG24:", 8, 2, 24, 0, false},
      {"PNG32 over white bKGD", "rgba", "PNG32:", 8, 6, 24, 1, false},
      {"PNG32 over a blue bKGD", "rgba", "-background '#3366cc' PNG32:", 8, 6, 24, 1, false},
      {"PNG48", "rgb16", "PNG48:", 16, 2, 24, 1, false},
      {"PNG64", "rgba16", "PNG64:", 16, 6, 24, 1, false},
      {"grayscale", "rgb", "-type Grayscale ", 8, 0, 8, 0, false},
      {"grayscale, depth 16", "rgb16", "-type Grayscale -depth 16 ", 16, 0, 8, 1, false},
      {"grayscale 2-bit", "rgb", "-colorspace gray -colors 4 -depth 2 ", 2, 0, 8, 0, false},
      {"bilevel", "rgb", "-threshold 50% -type Bilevel ", 1, 0, 8, 0, false},
      {"grayscale with alpha", "rgba", "-type GrayscaleAlpha ", 8, 4, 8, 1, false},
  };
  int index = 0;
  for (const Variant& v : variants) {
    std::string path = dir + "/variant" + std::to_string(index++) + ".png";
    std::string options = v.options;
    // A trailing "PNGnn:" prefixes the output name.
    bool prefix = !options.empty() && options.back() == ':';
    ASSERT_TRUE(
        RunMagick(magick + dir + "/" + v.source + ".png " + options + (prefix ? "" : " ") + path))
        << v.name;
    std::vector<uint8_t> file = ReadFileBytes(path).value_or(std::vector<uint8_t>{});
    ASSERT_GT(file.size(), 33u) << v.name;
    EXPECT_EQ(file[24], v.bitDepth) << v.name;
    EXPECT_EQ(file[25], v.colorType) << v.name;

    std::vector<uint8_t> expected;
    ASSERT_TRUE(RunMagick(magick + path + " -flatten -depth 8 rgb:-", &expected)) << v.name;
    PackedDib picture;
    ASSERT_EQ(ReadPngFile(picture, path, {}), kPngReadOk) << v.name;
    DibHeader h = picture.Header();
    ASSERT_EQ(h.bitCount, v.pictureBits) << v.name;
    ASSERT_EQ(expected.size(), static_cast<size_t>(h.width) * h.height * 3) << v.name;
    int32_t transparent = -1;
    EXPECT_EQ(ReadTransparencyTrailer(picture, &transparent), v.keepsTransparency) << v.name;
    std::vector<uint8_t> alpha;
    if (v.keepsTransparency) {
      ASSERT_TRUE(RunMagick(magick + path + " -alpha extract -depth 8 gray:-", &alpha)) << v.name;
      ASSERT_EQ(alpha.size(), static_cast<size_t>(h.width) * h.height) << v.name;
    }
    int mismatches = 0;
    for (int y = 0; y < h.height; ++y) {
      const uint8_t* row = picture.Row(y);
      for (int x = 0; x < h.width; ++x) {
        if (v.keepsTransparency) {
          const bool clear = alpha[static_cast<size_t>(y) * h.width + x] == 0;
          if (clear != (row[x] == transparent) && ++mismatches <= 3) {
            ADD_FAILURE() << v.name << " at " << x << "," << y << ": transparent " << clear;
          }
          if (clear) continue;
        }
        uint8_t shown[3];
        if (h.bitCount == 8) {
          Rgbq e = picture.ColorTable()[row[x]];
          shown[0] = e.red, shown[1] = e.green, shown[2] = e.blue;
        } else {
          shown[0] = row[3 * x + 2], shown[1] = row[3 * x + 1], shown[2] = row[3 * x];
        }
        const uint8_t* want = &expected[(static_cast<size_t>(y) * h.width + x) * 3];
        for (int c = 0; c < 3; ++c) {
          if (std::abs(shown[c] - want[c]) > v.tolerance && ++mismatches <= 3) {
            ADD_FAILURE() << v.name << " at " << x << "," << y << " channel " << c << ": "
                          << int{shown[c]} << " instead of " << int{want[c]};
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << v.name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
