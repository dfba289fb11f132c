// Turns, mirrors, crops and the full-quality rotation checked against ImageMagick on the
// same pixels: the one-step operations must match exactly; the rotation (a different
// filter and a half-pixel different centre) must match closely, and clearly better than the
// rotation the other way round.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/packed_dib.h"
#include "interop/interop_helpers.h"
#include "transforms/deformations.h"
#include "transforms/one_step.h"

namespace zel {
namespace {

using interop::Quote;
using interop::RunCommand;
using interop::TempDir;

// A smooth 24-bit picture with a feature that shows direction: a bright bar at the top left.
PackedDib Smooth(int w, int h) {
  PackedDib p = NewPicture(w, h, 24, 0);
  for (int y = 0; y < h; ++y) {  // y counts top-down here
    uint8_t* row = p.Row(y);
    for (int x = 0; x < w; ++x) {
      const bool bar = y >= 4 && y < 10 && x >= 4 && x < w / 2;
      row[3 * x] = static_cast<uint8_t>(x * 255 / w);
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / h);
      row[3 * x + 2] = bar ? 255 : static_cast<uint8_t>(128 + 60 * std::sin(x / 9.0 + y / 7.0));
    }
  }
  return p;
}

bool WritePpm(const std::string& path, const PackedDib& p) {
  const DibHeader h = p.Header();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", h.width, h.height);
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = p.Row(y);
    for (int x = 0; x < h.width; ++x) {
      const uint8_t rgb[3] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
      std::fwrite(rgb, 1, 3, f);
    }
  }
  return std::fclose(f) == 0;
}

PackedDib ReadPpm(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  int w = 0, h = 0, maxval = 0;
  PackedDib p;
  if (std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) == 3 && maxval == 255 && w > 0 && h > 0 &&
      w < 4096 && h < 4096 && std::fgetc(f) != EOF) {
    p = NewPicture(w, h, 24, 0);
    for (int y = 0; y < h; ++y) {
      uint8_t* row = p.Row(y);
      for (int x = 0; x < w; ++x) {
        uint8_t rgb[3] = {0, 0, 0};
        if (std::fread(rgb, 1, 3, f) != 3) {
          std::fclose(f);
          return {};
        }
        row[3 * x] = rgb[2];
        row[3 * x + 1] = rgb[1];
        row[3 * x + 2] = rgb[0];
      }
    }
  }
  std::fclose(f);
  return p;
}

PackedDib Magick(const TempDir& dir, const PackedDib& in, const std::string& operation) {
  const std::string source = dir.File("in.ppm");
  const std::string target = dir.File("out.ppm");
  EXPECT_TRUE(WritePpm(source, in));
  const auto result =
      RunCommand("convert " + Quote(source) + " " + operation + " " + Quote("ppm:" + target));
  EXPECT_EQ(result.status, 0) << result.output;
  return ReadPpm(target);
}

bool SamePixels(const PackedDib& a, const PackedDib& b) {
  if (!a || !b) return false;
  const DibHeader ha = a.Header(), hb = b.Header();
  if (ha.width != hb.width || ha.height != hb.height) return false;
  for (int y = 0; y < ha.height; ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), 3 * static_cast<size_t>(ha.width)) != 0) return false;
  }
  return true;
}

TEST(TransformInterop, TurnsMirrorsAndCropMatchImageMagickExactly) {
  TempDir dir;
  const PackedDib p = Smooth(37, 22);
  EXPECT_TRUE(SamePixels(TurnRight90(p), Magick(dir, p, "-rotate 90")));
  EXPECT_TRUE(SamePixels(TurnLeft90(p), Magick(dir, p, "-rotate -90")));
  EXPECT_TRUE(SamePixels(MirrorHorizontal(p), Magick(dir, p, "-flop")));
  EXPECT_TRUE(SamePixels(MirrorVertical(p), Magick(dir, p, "-flip")));
  EXPECT_TRUE(SamePixels(CropImage(p, 5, 3, 25, 20), Magick(dir, p, "-crop 20x17+5+3 +repage")));
}

// Mean absolute difference per channel over the disc that stays inside the frame.
double InnerDifference(const PackedDib& a, const PackedDib& b) {
  const DibHeader h = a.Header();
  const double radius = std::min(h.width, h.height) / 2.0 - 4;
  double sum = 0;
  int n = 0;
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      const double dx = x - h.width / 2.0, dy = y - h.height / 2.0;
      if (dx * dx + dy * dy > radius * radius) continue;
      for (int c = 0; c < 3; ++c) sum += std::abs(a.Row(y)[3 * x + c] - b.Row(y)[3 * x + c]);
      n += 3;
    }
  }
  return sum / n;
}

TEST(TransformInterop, RotationTurnsLikeImageMagickDistort) {
  TempDir dir;
  const PackedDib p = Smooth(80, 60);
  const Fill fill{{3, 2, 1, 0}, -1};
  const PackedDib magick =
      Magick(dir, p, "-virtual-pixel background -background 'rgb(1,2,3)' -distort SRT 30");
  ASSERT_TRUE(magick);
  const double same = InnerDifference(Rotate(p, -30 / 180.0, fill), magick);
  const double opposite = InnerDifference(Rotate(p, 30 / 180.0, fill), magick);
  EXPECT_LT(same, 3.0);
  EXPECT_GT(opposite, 10 * same);
  // The preview turns the same way, with nearest pixels.
  EXPECT_LT(InnerDifference(RotatePreview(p, -30 / 180.0, fill), magick), 10.0);
}

}  // namespace
}  // namespace zel
