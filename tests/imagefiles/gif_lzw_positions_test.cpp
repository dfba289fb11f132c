// Positions of the LZW decoder past 4 GiB: the string table's positions, the picture's
// size and the offsets of its rows are 64-bit, without gigabytes being allocated here.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_lzw_decoder.h"

namespace zel {
namespace {

constexpr uint64_t k4Gi = uint64_t{1} << 32;

TEST(LzwPositions, StringEntriesKeepPositionsPastFourGiB) {
  // A frame larger than 4 Gi pixels puts its later strings at these positions; each must
  // come back with its own length, not wrapped into the first 4 GiB.
  for (uint64_t position : {uint64_t{0}, uint64_t{4095}, k4Gi - 1, k4Gi, k4Gi + 4096 + 17,
                            uint64_t{5} * k4Gi + 3, uint64_t{1} << 40, kLzwMostPosition}) {
    for (uint32_t length : {0u, 1u, 17u, 4096u}) {
      const uint64_t entry = LzwStringEntry(position, length);
      EXPECT_EQ(LzwStringPosition(entry), position) << position << " " << length;
      EXPECT_EQ(LzwStringLength(entry), length) << position << " " << length;
    }
  }
}

// The LZW data of `pixels`: the code size byte, the sub-blocks and the terminator.
std::vector<uint8_t> ImageData(const std::vector<uint8_t>& pixels, int codeSize) {
  const std::vector<uint8_t> codes =
      LzwEncodePixels(pixels.data(), pixels.size(), codeSize, false);
  std::vector<uint8_t> data = {static_cast<uint8_t>(codeSize)};
  for (size_t at = 0; at < codes.size(); at += 255) {
    const size_t n = std::min<size_t>(255, codes.size() - at);
    data.push_back(static_cast<uint8_t>(n));
    data.insert(data.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
                codes.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  data.push_back(0);
  return data;
}

TEST(LzwPositions, RowsLandPastFourGiBOfAReservedTarget) {
  // Three rows 3 GiB apart: the first picture row is stored last, 6 GiB in. The mapping
  // only reserves address space; the three pages written are all the memory it takes.
  constexpr size_t kStride = size_t{3} << 30;
  constexpr size_t kBytes = 2 * kStride + 4096;
  void* base = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (base == MAP_FAILED) GTEST_SKIP() << "no 6 GiB of address space to reserve";
  uint8_t* pixels = static_cast<uint8_t*>(base);

  std::vector<uint8_t> picture(3 * 5);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(1 + i % 7);
  const std::vector<uint8_t> data = ImageData(picture, 3);
  LzwDecoder decoder;
  size_t pos = 0;
  const LzwTarget target{pixels, kStride, 5, 3, false, 0};
  ASSERT_EQ(decoder.Decode(data.data(), data.size(), &pos, target, nullptr), 0);
  EXPECT_EQ(pos, data.size());
  for (size_t row = 0; row < 3; ++row) {
    const uint8_t* stored = pixels + (2 - row) * kStride;
    for (size_t x = 0; x < 5; ++x) EXPECT_EQ(stored[x], picture[row * 5 + x]) << row << "," << x;
  }
  munmap(base, kBytes);
}

TEST(LzwPositions, PictureBeyondTheTablesReachIsRefused) {
  // 2^31 x 2^20 pixels: more positions than a string entry holds. Refused before any
  // buffer is made.
  const std::vector<uint8_t> data = ImageData({1, 2, 3}, 2);
  uint8_t pixels[4] = {};
  LzwDecoder decoder;
  size_t pos = 0;
  const LzwTarget target{pixels, 4, uint64_t{1} << 31, uint64_t{1} << 20, false, 1};
  EXPECT_EQ(decoder.Decode(data.data(), data.size(), &pos, target, nullptr), kGifTooLarge);
}

}  // namespace
}  // namespace zel
