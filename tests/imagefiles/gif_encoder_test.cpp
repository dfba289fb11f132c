#include "imagefiles/gif_encoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_optimizer.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::MakePicture;
using testing::MakeTempDir;
using testing::PicturePixels;
using testing::Rgb;

std::vector<Rgb> Gray(int n) {
  std::vector<Rgb> t(n);
  for (int i = 0; i < n; ++i) t[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
  return t;
}

FrameSet OneFrame(PackedDib picture, int transparent = -1) {
  FrameSet fs(4);
  fs.count = 1;
  fs.transparentIndex = transparent;
  fs.paletteCount = 0;
  fs.frame(0).image = std::move(picture);
  return fs;
}

std::vector<uint8_t> Build(const FrameSet& fs, bool raw = false) {
  std::vector<uint8_t> out;
  EXPECT_EQ(BuildGifFile(fs, raw, nullptr, out), 0);
  return out;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t at, size_t n) {
  return std::vector<uint8_t>(v.begin() + at, v.begin() + at + n);
}

TEST(GifEncoder, TwoColourPictureLayout) {
  FrameSet fs = OneFrame(MakePicture(3, 2, {0, 1, 0, 1, 1, 0}, {{1, 2, 3}, {4, 5, 6}}));
  std::vector<uint8_t> gif = Build(fs);
  const std::vector<uint8_t> head = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0xF0, 0, 0, 1, 2, 3,
                                     4, 5, 6,  // global table,
                                               // t = 1
                                     0x21, 0xFE, 3, 'Z', 'E', 'L', 0, 0x21, 0xF9, 4, 0x08, 0, 0, 0,
                                     0, 0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0x00, 2};
  EXPECT_EQ(Slice(gif, 0, head.size()), head);
  EXPECT_EQ(gif.back(), 0x3B);
  FrameSet back(4);
  ASSERT_EQ(ReadGifData(gif.data(), gif.size(), back, 4), 0);
  EXPECT_EQ(PicturePixels(back.frame(0).image), (std::vector<uint8_t>{0, 1, 0, 1, 1, 0}));
  EXPECT_EQ(back.loop, 0);
}

TEST(GifEncoder, PaletteSizeRules) {
  struct Case {
    int colors;
    int transparent;
    int codeSize;
    int tableBits;
  } cases[] = {{2, -1, 2, 1},   {3, -1, 2, 2},   {4, -1, 2, 2},    {5, -1, 3, 3},
               {8, 7, 3, 3},    {8, 8, 4, 4},    {16, 20, 5, 5},   {33, -1, 6, 6},
               {100, -1, 7, 7}, {129, -1, 8, 8}, {256, 255, 8, 8}, {2, 2, 2, 1}};
  for (const Case& c : cases) {
    FrameSet fs = OneFrame(MakePicture(2, 1, {0, 1}, Gray(c.colors)), c.transparent);
    std::vector<uint8_t> gif = Build(fs);
    EXPECT_EQ(gif[10], 0xF0 | (c.tableBits - 1)) << c.colors << "/" << c.transparent;
    size_t afterTable = 13 + 3 * (size_t{1} << c.tableBits);
    EXPECT_EQ(gif[afterTable], 0x21) << c.colors;
    size_t gce = afterTable + 7;
    EXPECT_EQ(gif[gce + 3], c.transparent >= 0 ? 0x09 : 0x08);
    EXPECT_EQ(gif[gce + 6], c.transparent >= 0 ? c.transparent : 0);
    EXPECT_EQ(gif[gce + 8 + 10], c.codeSize) << c.colors << "/" << c.transparent;
  }
}

FrameSet Animation(const std::vector<int>& delays, int transparent) {
  FrameSet fs(16);
  fs.count = static_cast<int>(delays.size());
  fs.transparentIndex = transparent;
  fs.paletteCount = 4;
  for (size_t i = 0; i < delays.size(); ++i) {
    fs.frame(int(i)).image = MakePicture(4, 2, {0, 1, 2, 3, 3, 2, 1, uint8_t(i % 4)}, Gray(4));
    fs.frame(int(i)).delay = delays[i];
  }
  return fs;
}

TEST(GifEncoder, AnimationHasOneLoopBlockAndAControlBlockPerFrame) {
  for (int transparent : {-1, 2}) {
    std::vector<uint8_t> gif = Build(Animation({10, 20, 300}, transparent));
    const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                            'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    size_t loopAt = 13 + 12 + 7;
    EXPECT_EQ(Slice(gif, loopAt, 19), std::vector<uint8_t>(loop, loop + 19));
    std::vector<int> delays;
    for (size_t i = 0; i + 8 <= gif.size(); ++i) {
      if (gif[i] == 0x21 && gif[i + 1] == 0xF9 && gif[i + 2] == 4) {
        EXPECT_EQ(gif[i + 3], transparent >= 0 ? 0x09 : 0x08);
        delays.push_back(gif[i + 4] | gif[i + 5] << 8);
      }
    }
    EXPECT_EQ(delays, (std::vector<int>{10, 20, 300}));
    FrameSet back(16);
    ASSERT_EQ(LoadGifAnimationData(gif.data(), gif.size(), back, 16), 0);
    ASSERT_EQ(back.count, 3);
    EXPECT_EQ(back.loop, 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back.frame(i).disposal, 1);
  }
}

// The looping block carries the set's count; a set that plays once gets none. Nothing
// else of the file changes, in either palette form and in the optimised save.
TEST(GifEncoder, LoopCountIsWrittenAndNothingElseChanges) {
  using Builder = int (*)(const FrameSet&, std::vector<uint8_t>&);
  const std::pair<const char*, Builder> writers[] = {
      {"global palette",
       [](const FrameSet& fs, std::vector<uint8_t>& out) {
         return BuildGifFile(fs, false, nullptr, out);
       }},
      {"local palettes",
       [](const FrameSet& fs, std::vector<uint8_t>& out) {
         return BuildGifFileLocalPalettes(fs, false, nullptr, out);
       }},
      {"optimised",
       [](const FrameSet& fs, std::vector<uint8_t>& out) {
         return BuildOptimizedGifFile(fs, nullptr, out);
       }},
  };
  const uint8_t head[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C',
                          'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
  for (auto [name, build] : writers) {
    SCOPED_TRACE(name);
    FrameSet fs = Animation({10, 20, 30}, -1);
    std::vector<uint8_t> forever, three, once;
    ASSERT_EQ(build(fs, forever), 0);
    fs.loopCount = 3;
    ASSERT_EQ(build(fs, three), 0);
    fs.loopCount = kPlayOnce;
    ASSERT_EQ(build(fs, once), 0);

    auto at = std::search(forever.begin(), forever.end(), head, head + sizeof head);
    ASSERT_NE(at, forever.end());
    const size_t loopAt = static_cast<size_t>(at - forever.begin());
    EXPECT_EQ(Slice(forever, loopAt + 16, 3), (std::vector<uint8_t>{0, 0, 0}));
    std::vector<uint8_t> expected = forever;
    expected[loopAt + 16] = 3;
    EXPECT_EQ(three, expected);
    expected.erase(expected.begin() + static_cast<ptrdiff_t>(loopAt),
                   expected.begin() + static_cast<ptrdiff_t>(loopAt + 19));
    EXPECT_EQ(once, expected);

    for (auto [bytes, count] : {std::pair{&three, 3}, std::pair{&once, int{kPlayOnce}},
                                std::pair{&forever, int{kLoopForever}}}) {
      FrameSet back(16);
      ASSERT_EQ(LoadGifAnimationData(bytes->data(), bytes->size(), back, 16), 0);
      EXPECT_EQ(back.loopCount, count);
    }
  }
}

TEST(GifEncoder, LocalPaletteForm) {
  FrameSet fs(4);
  fs.count = 2;
  fs.paletteCount = -1;
  fs.transparentIndex = -1;
  fs.frame(0).image = MakePicture(2, 2, {0, 1, 1, 0}, {{9, 8, 7}, {6, 5, 4}});
  fs.frame(1).image = MakePicture(2, 2, {4, 3, 2, 1}, Gray(5));
  std::vector<uint8_t> gif = Build(fs);
  EXPECT_EQ(gif[10], 0x00);
  EXPECT_EQ(gif[13], 0x21);  // no global table
  FrameSet back(4);
  ASSERT_EQ(ReadGifData(gif.data(), gif.size(), back, 4), 0);
  EXPECT_EQ(back.frame(0).hasLocalPalette, 1);
  EXPECT_EQ(back.frame(0).image.Header().clrUsed, 2u);
  EXPECT_EQ(back.frame(1).image.Header().clrUsed, 8u);
  EXPECT_EQ(back.frame(0).image.ColorTable()[0].red, 9);
  EXPECT_EQ(PicturePixels(back.frame(1).image), (std::vector<uint8_t>{4, 3, 2, 1}));
}

TEST(GifEncoder, OneAndFourBitPicturesAreReadMostSignificantFirst) {
  struct Case {
    int bits;
    std::vector<uint8_t> row;  // one stored row, padded to 4 bytes
    std::vector<uint8_t> pixels;
  } cases[] = {{1, {0xA5, 0x80, 0, 0}, {1, 0, 1, 0, 0, 1, 0, 1, 1}},
               {4, {0x12, 0xF0, 0, 0}, {1, 2, 15}}};
  for (const Case& c : cases) {
    int width = static_cast<int>(c.pixels.size());
    std::vector<Rgbq> table(size_t{1} << c.bits);
    PackedDib p = NewPicture(width, 1, c.bits, static_cast<uint32_t>(table.size()), table.data());
    std::copy(c.row.begin(), c.row.end(), p.Pixels());
    std::vector<uint8_t> gif = Build(OneFrame(std::move(p)));
    FrameSet back(4);
    ASSERT_EQ(ReadGifData(gif.data(), gif.size(), back, 4), 0);
    EXPECT_EQ(PicturePixels(back.frame(0).image), c.pixels) << c.bits;
  }
}

// The table search as the writer's file format was first defined: a linear scan over the
// string table, comparing prefix chains byte by byte. The writer's hashed search must
// give exactly the same codes.
struct LinearEntry {
  int prefix;
  int length;
  int byte;
};

std::vector<std::pair<int, int>> LinearEncode(const std::vector<uint8_t>& px, int k, bool raw) {
  std::vector<LinearEntry> t(4096);
  std::vector<std::pair<int, int>> out;
  const int clear = 1 << k, end = clear + 1;
  int width = k + 1, limit = 1 << width, next = clear + 2;
  for (int i = 0; i < clear; ++i) t[i] = {-1, 1, i};
  t[clear] = t[end] = {-1, 0, 0};
  out.push_back({clear, width});
  int cur = px[0], curLen = 1, longest = 1, searchStart = end;
  auto spells = [&](int e, int code) {
    while (code >= 0 && e >= 0) {
      if (t[e].byte != t[code].byte) return false;
      e = t[e].prefix;
      code = t[code].prefix;
    }
    return e < 0 && code < 0;
  };
  for (size_t i = 1; i < px.size(); ++i) {
    int p = px[i];
    if (!raw && curLen < longest) {
      int found = -1, e = searchStart;
      for (; e < next; ++e) {
        if (t[e].length == curLen + 1 && t[e].byte == p && spells(t[e].prefix, cur)) {
          found = e;
          break;
        }
      }
      if (found >= 0) {
        cur = found;
        ++curLen;
        searchStart = found + 1;
        continue;
      }
    }
    out.push_back({cur, width});
    searchStart = end;
    if (next < 4095) {
      t[next] = {cur, curLen + 1, p};
      longest = std::max(longest, curLen + 1);
      if (next >= limit) limit = 1 << ++width;
      ++next;
    } else {
      out.push_back({clear, width});
      width = k + 1;
      limit = 1 << width;
      longest = 1;
      next = clear + 2;
    }
    cur = p;
    curLen = 1;
  }
  out.push_back({cur, width});
  out.push_back({end, width});
  return out;
}

std::vector<std::pair<int, int>> HashedEncode(const std::vector<uint8_t>& px, int k, bool raw) {
  LzwCodeTrace trace;
  LzwEncodePixels(px.data(), px.size(), k, raw, &trace);
  std::vector<std::pair<int, int>> out;
  for (size_t i = 0; i < trace.codes.size(); ++i) out.push_back({trace.codes[i], trace.widths[i]});
  return out;
}

TEST(GifEncoder, HashedSearchGivesTheLinearSearchCodes) {
  std::mt19937 rng(1234);
  struct Source {
    const char* name;
    int k;
    std::vector<uint8_t> pixels;
  };
  std::vector<Source> sources;
  auto add = [&](const char* name, int k, size_t n, auto gen) {
    std::vector<uint8_t> px(n);
    for (size_t i = 0; i < n; ++i) px[i] = static_cast<uint8_t>(gen(i));
    sources.push_back({name, k, px});
  };
  add("noise 256", 8, 40000, [&](size_t) { return rng() & 255; });
  add("noise 2", 2, 60000, [&](size_t) { return rng() & 1; });
  add("noise 16", 4, 30000, [&](size_t) { return rng() & 15; });
  add("flat", 8, 50000, [](size_t) { return 7; });
  add("gradient", 8, 64000, [](size_t i) { return (i % 320) * 256 / 320; });
  add("stripes", 5, 50000, [](size_t i) { return (i / 3 + i / 97) % 32; });
  add("sparse noise", 8, 50000,
      [&](size_t i) { return rng() % 50 ? (i / 200) & 255 : rng() & 255; });
  for (const Source& s : sources) {
    for (bool raw : {false, true}) {
      auto linear = LinearEncode(s.pixels, s.k, raw);
      auto hashed = HashedEncode(s.pixels, s.k, raw);
      ASSERT_EQ(hashed.size(), linear.size()) << s.name << (raw ? " raw" : "");
      EXPECT_TRUE(hashed == linear) << s.name << (raw ? " raw" : "");
    }
  }
}

TEST(GifEncoder, LargeImagesClearTheTableAndStayWithinTwelveBits) {
  std::mt19937 rng(99);
  std::vector<uint8_t> px(300 * 200);
  for (auto& p : px) p = static_cast<uint8_t>(rng());
  LzwCodeTrace trace;
  LzwEncodePixels(px.data(), px.size(), 8, false, &trace);
  int clears = 0;
  for (size_t i = 0; i < trace.codes.size(); ++i) {
    EXPECT_LE(trace.widths[i], 12);
    EXPECT_LT(trace.codes[i], 4095);
    if (trace.codes[i] == 256) ++clears;
  }
  EXPECT_GT(clears, 5);
  FrameSet fs = OneFrame(MakePicture(300, 200, px, Gray(256)));
  std::vector<uint8_t> gif = Build(fs);
  FrameSet back(4);
  ASSERT_EQ(ReadGifData(gif.data(), gif.size(), back, 4), 0);
  EXPECT_EQ(PicturePixels(back.frame(0).image), px);
}

TEST(GifEncoder, CodeStreamsAreCutIntoSubBlocksOf255) {
  // Search small noisy pictures for code streams of exactly 255 and 256 bytes (the length
  // follows from the number of codes, so not every length occurs for every code size).
  for (size_t wanted : {size_t{255}, size_t{256}}) {
    std::vector<uint8_t> px;
    bool found = false;
    int colors = 0;
    for (int bits : {2, 8}) {
      colors = 1 << bits;
      std::mt19937 rng(5);
      for (int width = 100; width < 1200 && !found; ++width) {
        px.assign(width, 0);
        for (auto& p : px) p = static_cast<uint8_t>(rng() % colors);
        found = LzwEncodePixels(px.data(), px.size(), bits, false).size() == wanted;
      }
      if (found) break;
    }
    ASSERT_TRUE(found) << wanted;
    FrameSet fs = OneFrame(MakePicture(static_cast<int>(px.size()), 1, px, Gray(colors)));
    std::vector<uint8_t> gif;
    ASSERT_EQ(BuildGifFile(fs, false, nullptr, gif), 0);
    size_t data = 13 + 3 * static_cast<size_t>(colors) + 7 + 8 + 10 + 1;
    EXPECT_EQ(gif[data], 255);
    if (wanted == 255) {
      EXPECT_EQ(gif[data + 256], 0);
      EXPECT_EQ(gif[data + 257], 0x3B);
    } else {
      EXPECT_EQ(gif[data + 256], 1);
      EXPECT_EQ(gif[data + 258], 0);
    }
  }
}

class RecordingProgress : public ProgressSink {
 public:
  void ReportProgress(int percent) override { reports.push_back(percent); }
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override {
    bool c = cancelAt >= 0 && static_cast<int>(reports.size()) > cancelAt;
    return c;
  }
  std::vector<int> reports;
  int cancelAt = -1;
};

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(GifEncoder, WritingReportsProgressAndNeverDamagesTheOldFile) {
  std::string dir = MakeTempDir();
  std::string path = dir + "/out.gif";
  std::ofstream(path) << "old contents";

  RecordingProgress progress;
  FrameSet fs = Animation({1, 2, 3, 4}, -1);
  ASSERT_EQ(WriteGifFile(fs, path, false, &progress), 0);
  EXPECT_EQ(progress.reports, (std::vector<int>{0, 25, 50, 75}));
  std::vector<uint8_t> written = FileBytes(path);
  EXPECT_EQ(written, Build(fs));

  RecordingProgress cancelling;
  cancelling.cancelAt = 2;
  EXPECT_EQ(WriteGifFile(Animation({1, 2, 3, 4}, -1), path, false, &cancelling),
            kGifWriteCancelled);
  EXPECT_EQ(FileBytes(path), written);

  FrameSet mixed = Animation({1, 2}, -1);
  mixed.frame(1).image = MakePicture(5, 2, std::vector<uint8_t>(10, 1), Gray(4));
  EXPECT_EQ(WriteGifFile(mixed, path, false, nullptr), kGifWriteSizeMismatch);
  EXPECT_EQ(FileBytes(path), written);
  EXPECT_EQ(WriteGifFile(mixed, dir + "/new.gif", false, nullptr), kGifWriteSizeMismatch);
  struct stat st;
  EXPECT_NE(stat((dir + "/new.gif").c_str(), &st), 0);

  FrameSet empty(4);
  EXPECT_EQ(WriteGifFile(empty, path, false, nullptr), kGifWriteBadImage);
  FrameSet deep = OneFrame(NewPicture(2, 2, 24, 0));
  EXPECT_EQ(WriteGifFile(deep, path, false, nullptr), kGifWriteBadImage);
  EXPECT_EQ(WriteGifFile(fs, dir + "/missing/out.gif", false, nullptr), kGifWriteFailed);
  EXPECT_EQ(FileBytes(path), written);
  // The file is written while it is encoded: a write that stopped part way leaves nothing
  // of what it had begun beside the old file.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"out.gif"});
}

}  // namespace
}  // namespace zel
