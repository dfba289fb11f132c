#include "support/animation_cases.h"

#include <algorithm>
#include <random>

#include "document/packed_dib.h"

namespace zel::testing {
namespace {

constexpr int kW = 41;
constexpr int kH = 29;

std::vector<Rgbq> Palette(int colors) {
  std::vector<Rgbq> table(static_cast<size_t>(colors));
  for (int i = 0; i < colors; ++i) {
    table[i] = Rgbq{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                    static_cast<uint8_t>((i * 53) & 0xFF), 0};
  }
  return table;
}

// A background that LZW cannot shrink to nothing: noise over `colors` entries.
std::vector<uint8_t> Noise(int colors, uint32_t seed, int skip = -1) {
  std::mt19937 random(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(kW) * kH);
  for (uint8_t& p : pixels) {
    do {
      p = static_cast<uint8_t>(random() % static_cast<uint32_t>(colors));
    } while (p == skip);
  }
  return pixels;
}

void Fill(std::vector<uint8_t>& pixels, int x0, int y0, int w, int h, uint8_t value) {
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) pixels[static_cast<size_t>(y) * kW + x] = value;
  }
}

FrameSet StaticFrames() {
  std::vector<uint8_t> still = Noise(16, 1);
  return MakeAnimation(kW, kH, 16, -1, {still, still, still, still});
}

FrameSet MovingSprite() {
  std::vector<uint8_t> back = Noise(32, 2);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 6; ++i) {
    std::vector<uint8_t> f = back;
    Fill(f, 3 + i * 5, 4 + i * 2, 7, 6, 31);
    Fill(f, 5 + i * 5, 6 + i * 2, 2, 2, 30);
    frames.push_back(f);
  }
  return MakeAnimation(kW, kH, 32, -1, frames);
}

FrameSet IdenticalNeighbour() {
  std::vector<uint8_t> a = Noise(8, 3);
  std::vector<uint8_t> b = a;
  Fill(b, 10, 10, 5, 5, 7);
  std::vector<uint8_t> c = b;
  Fill(c, 30, 2, 4, 9, 1);
  return MakeAnimation(kW, kH, 8, -1, {a, b, b, c});
}

FrameSet TransparencyComesAndGoes() {
  const int t = 5;
  std::vector<uint8_t> opaque = Noise(12, 4, t);
  std::vector<uint8_t> hole = opaque;
  Fill(hole, 8, 5, 9, 7, t);
  std::vector<uint8_t> moved = opaque;
  Fill(moved, 20, 15, 12, 8, t);
  Fill(moved, 0, 0, 3, 3, t);
  return MakeAnimation(kW, kH, 12, t, {opaque, hole, moved, opaque, hole});
}

FrameSet UncoveredBackground() {
  const int t = 0;
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> f(static_cast<size_t>(kW) * kH, t);
    Fill(f, 2, 20, 37, 3, 3);  // a fixed floor
    Fill(f, 4 + i * 6, 6, 8, 8, static_cast<uint8_t>(1 + (i & 1)));
    frames.push_back(f);
  }
  return MakeAnimation(kW, kH, 4, t, frames);
}

FrameSet FullPaletteNoFreeEntry() {
  // Every one of the 256 entries is used, and nothing is transparent.
  std::vector<uint8_t> a(static_cast<size_t>(kW) * kH);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>((i * 37) & 0xFF);
  std::vector<uint8_t> b = a;
  Fill(b, 12, 9, 6, 5, 200);
  std::vector<uint8_t> c = b;
  Fill(c, 30, 20, 5, 5, 0);
  return MakeAnimation(kW, kH, 256, -1, {a, b, c, a});
}

FrameSet FullPaletteTransparent() {
  std::vector<uint8_t> a(static_cast<size_t>(kW) * kH);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>((i * 91) & 0xFF);
  std::vector<uint8_t> b = a;
  Fill(b, 2, 2, 10, 10, 255);
  std::vector<uint8_t> c = a;
  Fill(c, 20, 12, 6, 6, 17);
  return MakeAnimation(kW, kH, 256, 255, {a, b, c});
}

FrameSet FewColoursAllUsed() {
  std::vector<uint8_t> a = Noise(4, 6);
  std::vector<uint8_t> b = a;
  Fill(b, 6, 6, 12, 12, 2);
  std::vector<uint8_t> c = b;
  Fill(c, 16, 10, 12, 12, 3);
  return MakeAnimation(kW, kH, 4, -1, {a, b, c});
}

FrameSet SinglePicture() {
  return MakeAnimation(kW, kH, 20, 3, {Noise(20, 7)});
}

}  // namespace

FrameSet MakeAnimation(int width, int height, int colors, int transparentIndex,
                       const std::vector<std::vector<uint8_t>>& frames) {
  FrameSet set(static_cast<int>(frames.size()) + 1);
  std::vector<Rgbq> table = Palette(colors);
  set.screenWidth = width;
  set.screenHeight = height;
  set.transparentIndex = transparentIndex;
  set.paletteCount = colors;
  set.loop = frames.size() > 1 ? 1 : 0;
  for (int i = 0; i < colors; ++i) set.palette[static_cast<size_t>(i)] = table[i];
  for (size_t f = 0; f < frames.size(); ++f) {
    PackedDib picture = NewPicture(width, height, 8, static_cast<uint32_t>(colors), table.data());
    for (int y = 0; y < height; ++y) {
      uint8_t* row = picture.Row(y);
      for (int x = 0; x < width; ++x) row[x] = frames[f][static_cast<size_t>(y) * width + x];
    }
    Frame& frame = set.frame(static_cast<int>(f));
    frame.image = std::move(picture);
    frame.delay = 10 * static_cast<int>(f + 1);
  }
  set.count = static_cast<int>(frames.size());
  return set;
}

FrameSet MakeMovingObject(int width, int height, int count) {
  const int colors = 64;
  std::vector<uint8_t> back(static_cast<size_t>(width) * height);
  std::mt19937 random(11);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Bands with a little grain, like a photographed backdrop.
      uint32_t grain = random() % 4;
      back[static_cast<size_t>(y) * width + x] =
          static_cast<uint8_t>(((x / 16 + y / 12) % 12) * 4 + grain);
    }
  }
  std::vector<std::vector<uint8_t>> frames;
  frames.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> f = back;
    const int ox = (i * 7) % (width - 48);
    const int oy = (i * 3) % (height - 40);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 48; ++x) {
        f[static_cast<size_t>(oy + y) * width + ox + x] =
            static_cast<uint8_t>(48 + ((x / 6 + y / 5 + i) % 16));
      }
    }
    frames.push_back(std::move(f));
  }
  return MakeAnimation(width, height, colors, -1, frames);
}

FrameSet MakeDithered(int width, int height, int count) {
  std::mt19937 random(14);
  // The dither offset of each pixel; three in four are drawn anew for every frame.
  std::vector<uint8_t> noise(static_cast<size_t>(width) * height);
  std::vector<std::vector<uint8_t>> frames;
  frames.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> f(noise.size());
    const int cx = 20 + i * 8, cy = 40 + i * 3;
    for (int y = 0; y < height; ++y) {
      const int level = 1 + y * 44 / std::max(1, height - 1);  // 1 .. 45 from top to bottom
      for (int x = 0; x < width; ++x) {
        const size_t at = static_cast<size_t>(y) * width + x;
        if (i == 0 || random() % 4 != 0) noise[at] = static_cast<uint8_t>(random() % 4);
        uint8_t v = static_cast<uint8_t>(level + noise[at] - 1);
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 144) {
          v = static_cast<uint8_t>(52 + noise[at]);
        } else if (y >= 120 && y <= 130 && x >= 10 && x <= 10 + i * 9) {
          v = static_cast<uint8_t>(60 + noise[at] % 2);
        }
        f[at] = v;
      }
    }
    frames.push_back(std::move(f));
  }
  return MakeAnimation(width, height, 64, -1, frames);
}

namespace {

FrameSet Dithered() {
  return MakeDithered(200, 150, 20);
}

}  // namespace

const std::vector<AnimationCase>& AnimationCases() {
  static const std::vector<AnimationCase> cases = {
      {"static_frames", StaticFrames, true},
      {"moving_sprite", MovingSprite, true},
      {"identical_neighbour", IdenticalNeighbour, true},
      {"transparency_comes_and_goes", TransparencyComesAndGoes, true},
      {"uncovered_background", UncoveredBackground, true},
      {"full_palette_no_free_entry", FullPaletteNoFreeEntry, true},
      {"full_palette_transparent", FullPaletteTransparent, true},
      {"few_colours_all_used", FewColoursAllUsed, true},
      {"single_picture", SinglePicture, false},
      {"dithered", Dithered, true},
  };
  return cases;
}

}  // namespace zel::testing
