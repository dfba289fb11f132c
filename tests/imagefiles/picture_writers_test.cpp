// The WebP and PNG writers without a peer: the APNG's chunks (sequence, rectangles, delays,
// loop, palette, the pixels each rectangle holds), the loop-count rule, and the refusals
// and failures that must leave an existing file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "imagefiles/png_reader.h"
#include "imagefiles/png_writer.h"
#include "imagefiles/webp_writer.h"
#include "platform/file_io.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::Make8;

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

uint32_t Be32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The chunks of a PNG file, each CRC checked.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& file) {
  std::vector<Chunk> chunks;
  EXPECT_GE(file.size(), 8u);
  EXPECT_EQ(std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  size_t at = 8;
  while (at + 12 <= file.size()) {
    const uint32_t length = Be32(&file[at]);
    if (at + 12 + length > file.size()) break;
    Chunk chunk{std::string(file.begin() + at + 4, file.begin() + at + 8),
                std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)};
    const uLong crc = crc32(0, &file[at + 4], 4 + length);
    EXPECT_EQ(Be32(&file[at + 8 + length]), crc) << chunk.type;
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size());
  return chunks;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data, size_t size) {
  std::vector<uint8_t> out(size);
  uLongf length = size;
  EXPECT_EQ(uncompress(out.data(), &length, data.data(), data.size()), Z_OK);
  EXPECT_EQ(length, size);
  return out;
}

// 24 x 16 frames over 6 entries: frame 1 changes a block of frame 0, frame 2 is frame 1.
FrameSet ThreeFrames(int32_t loopCount) {
  FrameSet set(8);
  set.screenWidth = 24;
  set.screenHeight = 16;
  set.count = 3;
  set.transparentIndex = 2;
  set.loopCount = loopCount;
  const int delays[] = {7, 0, 300};
  for (int f = 0; f < 3; ++f) {
    set.frame(f).image = Make8(
        24, 16,
        [f](int x, int y) {
          // y is the stored row from the bottom: rows 5..7 from the top are stored 8..10.
          if (f > 0 && x >= 9 && x < 14 && y >= 8 && y <= 10) return uint8_t(5);
          return uint8_t((x + y) % 3);
        },
        6);
    set.frame(f).delay = delays[f];
  }
  return set;
}

TEST(PngWriter, AnimationIsOneFrameThenTheChangedRectanglesInOrder) {
  const FrameSet set = ThreeFrames(kLoopForever);
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildPngAnimation(set, nullptr, file), PictureWriteResult::kOk);
  const std::vector<Chunk> chunks = Chunks(file);
  std::vector<std::string> types;
  for (const Chunk& c : chunks) types.push_back(c.type);
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "acTL", "fcTL", "IDAT",
                                             "fcTL", "fdAT", "fcTL", "fdAT", "IEND"}));
  EXPECT_EQ(chunks[0].data[9], 3);           // palette colour
  EXPECT_EQ(chunks[1].data.size(), 6u * 3);  // the six entries
  EXPECT_EQ(chunks[2].data, (std::vector<uint8_t>{255, 255, 0}));
  EXPECT_EQ(Be32(&chunks[3].data[0]), 3u);
  EXPECT_EQ(Be32(&chunks[3].data[4]), 0u);  // for ever

  struct Want {
    uint32_t width, height, x, y, num, den;
  } want[] = {{24, 16, 0, 0, 7, 100}, {5, 3, 9, 5, 0, 100}, {1, 1, 0, 0, 300, 100}};
  uint32_t sequence = 0;
  for (int f = 0; f < 3; ++f) {
    SCOPED_TRACE(f);
    const Chunk& fctl = chunks[4 + 2 * f];
    const Chunk& data = chunks[5 + 2 * f];
    EXPECT_EQ(Be32(&fctl.data[0]), sequence++);
    EXPECT_EQ(Be32(&fctl.data[4]), want[f].width);
    EXPECT_EQ(Be32(&fctl.data[8]), want[f].height);
    EXPECT_EQ(Be32(&fctl.data[12]), want[f].x);
    EXPECT_EQ(Be32(&fctl.data[16]), want[f].y);
    EXPECT_EQ(fctl.data[20] << 8 | fctl.data[21], int(want[f].num));
    EXPECT_EQ(fctl.data[22] << 8 | fctl.data[23], int(want[f].den));
    EXPECT_EQ(fctl.data[24], 0);  // dispose none
    EXPECT_EQ(fctl.data[25], 0);  // blend source
    std::vector<uint8_t> compressed = data.data;
    if (f > 0) {
      EXPECT_EQ(Be32(&data.data[0]), sequence++);
      compressed.erase(compressed.begin(), compressed.begin() + 4);
    }
    // Rows of filter 0 then the frame's indices inside the rectangle.
    const std::vector<uint8_t> rows =
        Inflate(compressed, (want[f].width + 1) * size_t(want[f].height));
    for (uint32_t y = 0; y < want[f].height; ++y) {
      EXPECT_EQ(rows[y * (want[f].width + 1)], 0);
      for (uint32_t x = 0; x < want[f].width; ++x) {
        const uint8_t* top = set.frame(f).image.Row(int(want[f].y + y));
        EXPECT_EQ(rows[y * (want[f].width + 1) + 1 + x], top[want[f].x + x]);
      }
    }
  }
}

TEST(PngWriter, LoopCountsBecomePlays) {
  const struct {
    int32_t loopCount;
    uint32_t plays;
  } cases[] = {{kLoopForever, 0}, {kPlayOnce, 1}, {1, 2}, {3, 4}, {kMaxLoopCount, 65535}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loopCount);
    EXPECT_EQ(PlaysOfLoopCount(c.loopCount), c.plays);
    std::vector<uint8_t> file;
    ASSERT_EQ(BuildPngAnimation(ThreeFrames(c.loopCount), nullptr, file),
              PictureWriteResult::kOk);
    const std::vector<Chunk> chunks = Chunks(file);
    ASSERT_EQ(chunks[3].type, "acTL");
    EXPECT_EQ(Be32(&chunks[3].data[4]), c.plays);
  }
}

// An index beyond the colour table gets a black entry instead of a file no viewer reads;
// the still picture reads back through libpng with its pixels.
TEST(PngWriter, StillPictureCoversEveryIndexItUses) {
  const PackedDib picture = Make8(10, 6, [](int x, int y) { return uint8_t(x == 9 && y == 0 ? 11 : x % 4); }, 4);
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildPngPicture(picture, -1, file), PictureWriteResult::kOk);
  const std::vector<Chunk> chunks = Chunks(file);
  ASSERT_EQ(chunks[1].type, "PLTE");
  EXPECT_EQ(chunks[1].data.size(), 12u * 3);
  EXPECT_EQ(chunks[2].type, "IDAT");  // no tRNS without a transparent index
  PackedDib back;
  ASSERT_EQ(ReadPngData(back, file.data(), file.size(), {}), kPngReadOk);
  ASSERT_EQ(back.Header().bitCount, 8);
  EXPECT_EQ(back.Row(5)[9], 11);  // the bottom-right pixel (stored row 0)
  EXPECT_EQ(back.Row(0)[3], 3);
}

class CancelAtOnce : public ProgressSink {
 public:
  void ReportProgress(int) override {}
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override { return true; }
};

std::string TempPath(const char* name) {
  return ::testing::TempDir() + "zel_writer_" + std::to_string(getpid()) + "_" + name;
}

std::vector<uint8_t> Read(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  EXPECT_TRUE(bytes) << path;
  return bytes.value_or(std::vector<uint8_t>{});
}

// Refusals and failures: a typed result, and the file that was there stays byte for byte.
TEST(PictureWriters, FailuresLeaveTheOldFileAsItWas) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  FrameSet uneven = ThreeFrames(kLoopForever);
  uneven.frame(1).image = Make8(23, 16, [](int, int) { return uint8_t(0); }, 6);
  const FrameSet even = ThreeFrames(kLoopForever);
  const PackedDib wide = Make8(kWebpMaxSide + 1, 1, [](int, int) { return uint8_t(0); }, 2);
  CancelAtOnce cancel;

  const struct Case {
    const char* name;
    std::function<PictureWriteResult(const std::string&)> write;
    PictureWriteResult expected;
  } cases[] = {
      {"png frames differ", [&](auto& p) { return WritePngAnimation(uneven, p, nullptr); },
       PictureWriteResult::kFramesDiffer},
      {"webp frames differ",
       [&](auto& p) { return WriteWebpAnimation(uneven, p, WebpOptions{}, nullptr); },
       PictureWriteResult::kFramesDiffer},
      {"webp too wide", [&](auto& p) { return WriteWebpPicture(wide, -1, p, WebpOptions{}); },
       PictureWriteResult::kTooLarge},
      {"png cancelled", [&](auto& p) { return WritePngAnimation(even, p, &cancel); },
       PictureWriteResult::kCancelled},
      {"webp cancelled",
       [&](auto& p) { return WriteWebpAnimation(even, p, WebpOptions{true, 50}, &cancel); },
       PictureWriteResult::kCancelled},
      {"png no picture", [&](auto& p) { return WritePngPicture(PackedDib(), -1, p); },
       PictureWriteResult::kBadPicture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = TempPath("old.bin");
    ASSERT_TRUE(WriteFileAtomically(path, old.data(), old.size()));
    EXPECT_EQ(c.write(path), c.expected);
    EXPECT_EQ(Read(path), old);
    unlink(path.c_str());
  }

  // A target that may not be replaced (read-only) is refused before anything is written.
  const std::string locked = TempPath("locked.png");
  ASSERT_TRUE(WriteFileAtomically(locked, old.data(), old.size()));
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  if (access(locked.c_str(), W_OK) != 0) {  // not when the tests run as root
    EXPECT_EQ(WritePngAnimation(even, locked, nullptr), PictureWriteResult::kCannotWrite);
    EXPECT_EQ(WriteWebpAnimation(even, locked, WebpOptions{}, nullptr),
              PictureWriteResult::kCannotWrite);
    EXPECT_EQ(Read(locked), old);
  }
  unlink(locked.c_str());
  const std::string inMissingFolder = TempPath("no/such/folder/x.webp");
  EXPECT_EQ(WriteWebpPicture(even.frame(0).image, 2, inMissingFolder, WebpOptions{}),
            PictureWriteResult::kCannotWrite);
  EXPECT_EQ(WritePngPicture(even.frame(0).image, 2, inMissingFolder + ".png"),
            PictureWriteResult::kCannotWrite);
}

}  // namespace
}  // namespace zel
