// JPEG files against ImageMagick: files ImageMagick writes open with the pixels ImageMagick
// reads from them, and files the program writes open in ImageMagick with the pixels of
// their source and the program's tables and sampling.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "imagefiles/jpeg_reader.h"
#include "imagefiles/jpeg_writer.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

// /usr/local/bin may hold a stand-in; the real ImageMagick lives here.
constexpr const char* kConvert = "/usr/bin/convert";
constexpr const char* kIdentify = "/usr/bin/identify";

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows from the top
};

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

// Standard output of a shell command; no value when it fails.
std::optional<std::string> Output(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

// The pixels ImageMagick decodes from a file, through a binary PPM.
std::optional<RgbImage> ReadWithMagick(const std::string& path) {
  std::optional<std::string> ppm =
      Output(std::string(kConvert) + " " + Quote(path) + " -depth 8 ppm:-");
  if (!ppm) return std::nullopt;
  RgbImage image;
  int maxValue = 0, consumed = 0;
  if (std::sscanf(ppm->c_str(), "P6 %d %d %d%n", &image.width, &image.height, &maxValue,
                  &consumed) != 3 ||
      maxValue != 255) {
    return std::nullopt;
  }
  size_t start = size_t(consumed) + 1;
  size_t bytes = size_t(image.width) * size_t(image.height) * 3;
  if (ppm->size() < start + bytes) return std::nullopt;
  image.rgb.assign(ppm->begin() + long(start), ppm->begin() + long(start + bytes));
  return image;
}

bool WritePpm(const std::string& path, const RgbImage& image) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  bool ok = std::fwrite(image.rgb.data(), 1, image.rgb.size(), f) == image.rgb.size();
  return std::fclose(f) == 0 && ok;
}

// Smooth colours with odd dimensions, so the last blocks are partial.
RgbImage Source() {
  RgbImage image{61, 37, {}};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.rgb.push_back(uint8_t(128 + 100 * std::sin(x / 7.0)));
      image.rgb.push_back(uint8_t(20 + y * 5));
      image.rgb.push_back(uint8_t(128 + 100 * std::cos((x + y) / 9.0)));
    }
  }
  return image;
}

RgbImage FromPicture(const PackedDib& picture) {
  DibHeader h = picture.Header();
  RgbImage image{h.width, h.height, {}};
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      image.rgb.insert(image.rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
  }
  return image;
}

PackedDib ToPicture(const RgbImage& image) {
  PackedDib picture = NewPicture(image.width, image.height, 24, 0);
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = picture.Row(y);
    const uint8_t* rgb = image.rgb.data() + size_t(y) * size_t(image.width) * 3;
    for (int x = 0; x < image.width; ++x) {
      row[3 * x] = rgb[3 * x + 2];
      row[3 * x + 1] = rgb[3 * x + 1];
      row[3 * x + 2] = rgb[3 * x];
    }
  }
  return picture;
}

int MaxDifference(const RgbImage& a, const RgbImage& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  if (a.rgb.size() != b.rgb.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
  return worst;
}

class JpegInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kConvert, X_OK) != 0) GTEST_SKIP() << "ImageMagick is not installed";
    dir_ = testing::MakeTempDir();
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(JpegInterop, MagickFilesOpenWithMagicksPixels) {
  struct Case {
    const char* name;
    const char* options;
    int32_t resolution;
  };
  const Case cases[] = {
      {"quality 85", "-quality 85", 0},
      {"quality 30", "-quality 30", 0},
      {"progressive", "-interlace Plane -quality 80", 0},
      {"grayscale", "-colorspace Gray -quality 90", 0},
      {"4:4:4", "-sampling-factor 1x1 -quality 95", 0},
      {"4:2:2", "-sampling-factor 2x1 -quality 70", 0},
      {"dots per centimetre", "-density 28 -units PixelsPerCentimeter", 2800},
  };
  ASSERT_TRUE(WritePpm(File("source.ppm"), Source()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string jpeg = File("magick.jpg");
    ASSERT_TRUE(Output(std::string(kConvert) + " " + Quote(File("source.ppm")) + " " + c.options +
                       " " + Quote(jpeg)));
    std::optional<RgbImage> expected = ReadWithMagick(jpeg);
    ASSERT_TRUE(expected);
    // The accurate transform matches ImageMagick's decoding; the fast one, which the
    // program uses, stays close to it.
    for (auto [method, tolerance] : {std::pair{0, 1}, std::pair{kJpegTransformFast, 8}}) {
      PackedDib picture;
      ASSERT_EQ(ReadJpegFile(picture, jpeg, method, nullptr), kJpegReadOk);
      EXPECT_LE(MaxDifference(FromPicture(picture), *expected), tolerance) << method;
      EXPECT_EQ(picture.Header().xPelsPerMeter, c.resolution);
      EXPECT_EQ(picture.Header().yPelsPerMeter, c.resolution);
    }
    EXPECT_EQ(ReadJpegFileSize(jpeg), 37 * 65536 + 61);
  }
}

TEST_F(JpegInterop, MagickCmykFilesAreRefused) {
  ASSERT_TRUE(WritePpm(File("source.ppm"), Source()));
  ASSERT_TRUE(Output(std::string(kConvert) + " " + Quote(File("source.ppm")) +
                     " -colorspace CMYK " + Quote(File("cmyk.jpg"))));
  PackedDib picture;
  EXPECT_EQ(ReadJpegFile(picture, File("cmyk.jpg"), 1, nullptr), kJpegUnsupportedColor);
  EXPECT_FALSE(picture);
}

TEST_F(JpegInterop, WrittenFilesOpenInMagick) {
  struct Case {
    int quality;
    int tolerance;  // against the source
  };
  const Case cases[] = {{100, 10}, {75, 20}, {30, 40}};
  RgbImage source = Source();
  PackedDib picture = ToPicture(source);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quality);
    std::string jpeg = File("ours.jpg");
    ASSERT_EQ(WriteJpegFile(picture, jpeg, c.quality), kJpegWriteOk);
    std::optional<RgbImage> magick = ReadWithMagick(jpeg);
    ASSERT_TRUE(magick);
    EXPECT_LE(MaxDifference(*magick, source), c.tolerance);
    PackedDib ours;
    ASSERT_EQ(ReadJpegFile(ours, jpeg, 0, nullptr), kJpegReadOk);
    EXPECT_LE(MaxDifference(FromPicture(ours), *magick), 1);
    // ImageMagick recognises the standard tables scaled for the quality.
    EXPECT_EQ(
        Output(std::string(kIdentify) + " -format '%Q %[jpeg:sampling-factor]' " + Quote(jpeg)),
        std::to_string(c.quality) + " 2x2,1x1,1x1");
  }
}

}  // namespace
}  // namespace zel
