#include "interop/interop_sources.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <tuple>

namespace zel::interop {

namespace {

constexpr int kWidth = 97;  // 97 bytes per 8-bit row: every row needs padding
constexpr int kHeight = 61;

void FillRect(RgbaImage& image, int left, int top, int width, int height,
              const std::function<Rgba(int, int)>& color) {
  for (int y = top; y < top + height && y < image.height; ++y) {
    for (int x = left; x < left + width && x < image.width; ++x) image.At(x, y) = color(x, y);
  }
}

std::vector<PlacedImage> OpaqueFrames() {
  std::vector<Rgba> background = DistinctColors(24, 1);
  std::vector<Rgba> noise = DistinctColors(40, 2);
  std::vector<Rgba> bars = DistinctColors(5, 3);
  const int delays[] = {10, 20, 5, 7, 30};
  std::mt19937 random(11);
  std::vector<PlacedImage> frames;
  for (int k = 0; k < 5; ++k) {
    PlacedImage frame{RgbaImage(kWidth, kHeight), 0, 0, delays[k]};
    FillRect(frame.image, 0, 0, kWidth, kHeight,
             [&](int x, int y) { return background[(x / 6 + (y / 4) * 3) % 24]; });
    FillRect(frame.image, 4 + 16 * k, 2 + 8 * k, 23, 17,
             [&](int, int) { return noise[random() % noise.size()]; });
    FillRect(frame.image, 0, 50, kWidth, 5, [&](int, int) { return bars[k]; });
    frames.push_back(std::move(frame));
  }
  return frames;
}

std::vector<PlacedImage> AlphaFrames() {
  std::vector<Rgba> fixed = DistinctColors(2, 4);
  std::vector<Rgba> noise = DistinctColors(30, 5);
  const int delays[] = {8, 8, 15, 4};
  std::mt19937 random(12);
  std::vector<PlacedImage> frames;
  for (int k = 0; k < 4; ++k) {
    PlacedImage frame{RgbaImage(kWidth, kHeight), 0, 0, delays[k]};
    FillRect(frame.image, 0, 0, 10, 7, [&](int, int) { return fixed[0]; });
    FillRect(frame.image, 40, 24, 17, 13, [&](int, int) { return fixed[1]; });
    FillRect(frame.image, 3 + 20 * k, 4 + 11 * k, 25, 19, [&](int, int) {
      Rgba c = noise[random() % noise.size()];
      return random() % 6 == 0 ? Rgba{} : c;
    });
    frames.push_back(std::move(frame));
  }
  return frames;
}

std::vector<PlacedImage> SpriteFrames() {
  std::vector<Rgba> background = DistinctColors(16, 6);
  std::vector<Rgba> noise = DistinctColors(20, 7);
  std::mt19937 random(13);
  std::vector<PlacedImage> frames;
  PlacedImage first{RgbaImage(kWidth, kHeight), 0, 0, 12};
  FillRect(first.image, 0, 0, kWidth, kHeight,
           [&](int x, int y) { return background[(x / 5 + y / 3) % 16]; });
  frames.push_back(std::move(first));
  const int places[4][2] = {{10, 5}, {40, 30}, {70, 8}, {3, 44}};
  for (const auto& place : places) {
    PlacedImage sprite{RgbaImage(21, 15), place[0], place[1], 6};
    FillRect(sprite.image, 0, 0, 21, 15, [&](int x, int y) {
      Rgba c = noise[random() % noise.size()];
      return (x + y) % 5 == 0 ? Rgba{} : c;
    });
    frames.push_back(std::move(sprite));
  }
  return frames;
}

std::vector<PlacedImage> StillFrames() {
  std::vector<Rgba> colors = DistinctColors(200, 8);
  std::mt19937 random(14);
  PlacedImage still{RgbaImage(kWidth, kHeight), 0, 0, 0};
  FillRect(still.image, 0, 0, kWidth, kHeight,
           [&](int, int) { return colors[random() % colors.size()]; });
  std::vector<PlacedImage> frames;
  frames.push_back(std::move(still));
  return frames;
}

std::vector<uint8_t> RandomIndices(size_t count, int colors, std::mt19937& random) {
  std::vector<uint8_t> indices(count);
  for (uint8_t& i : indices) i = static_cast<uint8_t>(random() % static_cast<unsigned>(colors));
  return indices;
}

// Three full frames, each with its own table of a different size and no global table;
// `cleared` adds a transparent colour to each and disposes every frame to background, so
// no frame shows through another.
std::vector<GiflibFrameSpec> LocalOnlyFrames(bool cleared) {
  std::mt19937 random(15);
  std::vector<GiflibFrameSpec> frames;
  const int sizes[] = {4, 37, 128};
  for (int k = 0; k < 3; ++k) {
    GiflibFrameSpec f;
    f.width = kWidth;
    f.height = kHeight;
    f.localColors = DistinctColors(sizes[k], 20 + static_cast<uint32_t>(k));
    f.indices = RandomIndices(size_t(kWidth) * kHeight, sizes[k], random);
    f.delay = 3 + k;
    if (cleared) {
      f.transparentIndex = sizes[k] - 1 - k;
      f.disposal = 2;
    }
    frames.push_back(std::move(f));
  }
  return frames;
}

// Sub-rectangles with local tables, transparency, and every disposal method, including a
// restore-to-previous right after a restore-to-background.
std::vector<GiflibFrameSpec> LocalOnlyMixedFrames() {
  std::mt19937 random(16);
  struct Layout {
    int left, top, width, height, colors, disposal, transparent;
  };
  const Layout layouts[] = {
      {0, 0, kWidth, kHeight, 60, 1, -1},  // full background, kept
      {5, 4, 30, 20, 16, 2, 3},            // restored to background afterwards
      {20, 10, 41, 33, 90, 3, 0},          // restored to the previous picture afterwards
      {60, 30, 37, 31, 8, 0, 5},           // reaches the right and bottom edges
      {1, 1, 95, 59, 2, 1, 1},             // mostly transparent overlay
  };
  std::vector<GiflibFrameSpec> frames;
  uint32_t seed = 30;
  for (const Layout& l : layouts) {
    GiflibFrameSpec f;
    f.left = l.left;
    f.top = l.top;
    f.width = l.width;
    f.height = l.height;
    f.localColors = DistinctColors(l.colors, seed++);
    f.indices = RandomIndices(size_t(l.width) * l.height, l.colors, random);
    if (l.colors == 2) {
      // A sparse overlay: a few opaque dots on a transparent sheet.
      for (size_t i = 0; i < f.indices.size(); ++i) f.indices[i] = (i % 13 == 0) ? 0 : 1;
    }
    f.disposal = l.disposal;
    f.transparentIndex = l.transparent;
    f.delay = 2 * static_cast<int>(frames.size()) + 1;
    frames.push_back(std::move(f));
  }
  return frames;
}

}  // namespace

std::vector<Rgba> DistinctColors(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::set<std::tuple<int, int, int>> seen;
  std::vector<Rgba> colors;
  while (static_cast<int>(colors.size()) < count) {
    uint32_t v = random();
    Rgba c{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
           255};
    if (seen.insert({c.r, c.g, c.b}).second) colors.push_back(c);
  }
  return colors;
}

const char* SourceName(Source source) {
  switch (source) {
    case Source::kOpaque:
      return "opaque";
    case Source::kAlpha:
      return "alpha";
    case Source::kSprite:
      return "sprite";
    case Source::kStill:
      return "still";
    case Source::kLocalOnly:
      return "local_only";
    case Source::kLocalOnlyCleared:
      return "local_only_cleared";
    case Source::kLocalOnlyMixed:
      return "local_only_mixed";
  }
  return "unknown";
}

std::string MakeSource(Source source, const std::string& dir) {
  std::string path = dir + "/" + SourceName(source) + ".gif";
  bool ok = false;
  switch (source) {
    case Source::kOpaque:
      ok = WriteAnimationWithMagick(OpaqueFrames(), kWidth, kHeight, "", path, dir);
      break;
    case Source::kAlpha:
      ok = WriteAnimationWithMagick(AlphaFrames(), kWidth, kHeight, "-dispose Background", path,
                                    dir);
      break;
    case Source::kSprite:
      ok = WriteAnimationWithMagick(SpriteFrames(), kWidth, kHeight, "", path, dir);
      break;
    case Source::kStill:
      ok = WriteAnimationWithMagick(StillFrames(), kWidth, kHeight, "", path, dir);
      break;
    case Source::kLocalOnly:
      ok = WriteWithGiflib(path, kWidth, kHeight, {}, LocalOnlyFrames(false));
      break;
    case Source::kLocalOnlyCleared:
      ok = WriteWithGiflib(path, kWidth, kHeight, {}, LocalOnlyFrames(true));
      break;
    case Source::kLocalOnlyMixed:
      ok = WriteWithGiflib(path, kWidth, kHeight, {}, LocalOnlyMixedFrames());
      break;
  }
  return ok ? path : std::string();
}

}  // namespace zel::interop
