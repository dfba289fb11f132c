// The JPEG writer: the markers of the written files (tables, sampling, JFIF header,
// trailer), 8-bit pictures through their colour table, the result codes and atomic writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <jerror.h>
#include <jpeglib.h>

#include "imagefiles/jpeg_reader.h"
#include "imagefiles/jpeg_writer.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::Rgb;

PackedDib MakeRgbPicture(int width, int height, const std::function<Rgb(int, int)>& color) {
  PackedDib picture = NewPicture(width, height, 24, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      Rgb c = color(x, y);
      row[3 * x] = c.b;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.r;
    }
  }
  return picture;
}

Rgb Pattern(int x, int y) {
  return {uint8_t(x * 9), uint8_t(y * 13), uint8_t(255 - (x + y) * 5)};
}

struct Segment {
  uint8_t marker = 0;
  std::vector<uint8_t> body;  // the bytes after the length field
};

// The marker segments from SOI up to and including SOS.
std::vector<Segment> HeaderSegments(const std::vector<uint8_t>& file) {
  std::vector<Segment> segments;
  EXPECT_TRUE(file.size() > 4 && file[0] == 0xFF && file[1] == 0xD8);
  size_t p = 2;
  while (p + 4 <= file.size()) {
    EXPECT_EQ(file[p], 0xFF);
    uint8_t marker = file[p + 1];
    size_t length = size_t(file[p + 2]) << 8 | file[p + 3];
    if (length < 2 || p + 2 + length > file.size()) break;
    segments.push_back({marker, std::vector<uint8_t>(file.begin() + long(p) + 4,
                                                     file.begin() + long(p + 2 + length))});
    if (marker == 0xDA) break;
    p += 2 + length;
  }
  return segments;
}

std::vector<Segment> SegmentsOf(const std::vector<Segment>& all, uint8_t marker) {
  std::vector<Segment> found;
  for (const Segment& s : all) {
    if (s.marker == marker) found.push_back(s);
  }
  return found;
}

// Natural (row-major) index of each position in zigzag order.
std::array<int, 64> ZigzagToNatural() {
  std::array<int, 64> order{};
  int k = 0;
  for (int s = 0; s < 15; ++s) {
    int low = std::max(0, s - 7), high = std::min(s, 7);
    for (int i = 0; i <= high - low; ++i) {
      int row = (s % 2 == 0) ? high - i : low + i;
      order[size_t(k++)] = row * 8 + (s - row);
    }
  }
  return order;
}

// The tables libjpeg itself derives from the standard's examples for a quality.
std::array<std::array<int, 64>, 2> LibjpegTables(int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  cinfo.in_color_space = JCS_RGB;
  cinfo.input_components = 3;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, FALSE);
  std::array<std::array<int, 64>, 2> tables{};
  for (size_t t = 0; t < 2; ++t) {
    for (size_t i = 0; i < 64; ++i) tables[t][i] = cinfo.quant_tbl_ptrs[t]->quantval[i];
  }
  jpeg_destroy_compress(&cinfo);
  return tables;
}

TEST(JpegWriter, QuantisationTablesFollowTheQualityScale) {
  struct Case {
    int quality;
    int luminanceFirst;
    int chrominanceFirst;
    bool wideEntries;  // some entry above 255: 16-bit table, extended sequential frame
  };
  const Case cases[] = {
      {75, 8, 9, false},  {30, 27, 28, false}, {100, 1, 1, false}, {50, 16, 17, false},
      {10, 80, 85, true}, {0, 800, 850, true}, {150, 1, 1, false},
  };
  PackedDib picture = MakeRgbPicture(20, 12, Pattern);
  std::array<int, 64> natural = ZigzagToNatural();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quality);
    std::vector<uint8_t> file;
    ASSERT_EQ(BuildJpegData(picture, c.quality, file), kJpegWriteOk);
    std::vector<Segment> segments = HeaderSegments(file);
    auto expected = LibjpegTables(c.quality);
    std::array<std::array<int, 64>, 2> found{};
    int tablesSeen = 0;
    for (const Segment& dqt : SegmentsOf(segments, 0xDB)) {
      size_t p = 0;
      while (p < dqt.body.size()) {
        int precision = dqt.body[p] >> 4, id = dqt.body[p] & 15;
        ASSERT_LT(id, 2);
        EXPECT_EQ(precision, c.wideEntries ? 1 : 0);
        ++p;
        for (int k = 0; k < 64; ++k) {
          int value = precision ? (dqt.body[p] << 8 | dqt.body[p + 1]) : dqt.body[p];
          p += precision ? 2 : 1;
          found[size_t(id)][size_t(natural[size_t(k)])] = value;
        }
        ++tablesSeen;
      }
    }
    EXPECT_EQ(tablesSeen, 2);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(found[0][0], c.luminanceFirst);
    EXPECT_EQ(found[1][0], c.chrominanceFirst);
    if (c.quality >= 100) {
      for (const auto& table : found) {
        for (int v : table) EXPECT_EQ(v, 1);
      }
    }
    EXPECT_EQ(SegmentsOf(segments, c.wideEntries ? 0xC1 : 0xC0).size(), 1u);
  }
}

TEST(JpegWriter, QualityScale) {
  const std::pair<int, int> cases[] = {{-5, 5000}, {0, 5000}, {1, 5000}, {30, 166}, {49, 102},
                                       {50, 100},  {75, 50},  {100, 0},  {101, 0}};
  for (auto [quality, scale] : cases) EXPECT_EQ(JpegQualityScale(quality), scale) << quality;
}

TEST(JpegWriter, FrameScanJfifAndHuffmanTables) {
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildJpegData(MakeRgbPicture(33, 17, Pattern), 75, file), kJpegWriteOk);
  std::vector<Segment> segments = HeaderSegments(file);

  // JFIF 1.01, no density unit, densities 1 and 1, no thumbnail.
  auto app0 = SegmentsOf(segments, 0xE0);
  ASSERT_EQ(app0.size(), 1u);
  EXPECT_EQ(app0[0].body, (std::vector<uint8_t>{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));

  // Baseline frame: 8-bit samples, height 17, width 33, Y sampled 2 x 2 with table 0, Cb and Cr 1 x
  // 1 with table 1.
  auto sof = SegmentsOf(segments, 0xC0);
  ASSERT_EQ(sof.size(), 1u);
  EXPECT_EQ(sof[0].body,
            (std::vector<uint8_t>{8, 0, 17, 0, 33, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
  EXPECT_TRUE(SegmentsOf(segments, 0xC2).empty());
  EXPECT_TRUE(SegmentsOf(segments, 0xDD).empty());  // no restart interval

  // One scan with all three components: Huffman tables 0 for Y, 1 for Cb and Cr.
  auto sos = SegmentsOf(segments, 0xDA);
  ASSERT_EQ(sos.size(), 1u);
  EXPECT_EQ(sos[0].body, (std::vector<uint8_t>{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));

  // The standard Huffman tables (Annex K.3): code counts per length and symbol counts.
  struct Table {
    uint8_t classAndId;
    std::array<uint8_t, 16> counts;
    size_t symbols;
  };
  const Table standard[] = {
      {0x00, {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, 12},
      {0x01, {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, 12},
      {0x10, {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D}, 162},
      {0x11, {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}, 162},
  };
  std::vector<std::vector<uint8_t>> tables;
  for (const Segment& dht : SegmentsOf(segments, 0xC4)) {
    size_t p = 0;
    while (p + 17 <= dht.body.size()) {
      size_t symbols = 0;
      for (int i = 1; i <= 16; ++i) symbols += dht.body[p + size_t(i)];
      size_t end = std::min(dht.body.size(), p + 17 + symbols);
      tables.emplace_back(dht.body.begin() + long(p), dht.body.begin() + long(end));
      p = end;
    }
  }
  ASSERT_EQ(tables.size(), 4u);
  for (const Table& t : standard) {
    SCOPED_TRACE(int(t.classAndId));
    auto it = std::find_if(tables.begin(), tables.end(),
                           [&](const auto& table) { return table[0] == t.classAndId; });
    ASSERT_NE(it, tables.end());
    EXPECT_TRUE(std::equal(t.counts.begin(), t.counts.end(), it->begin() + 1));
    ASSERT_EQ(it->size(), 17 + t.symbols);
    if (t.symbols == 12) {
      for (size_t i = 0; i < 12; ++i) EXPECT_EQ((*it)[17 + i], i);
    }
    if (t.classAndId == 0x10) {
      EXPECT_EQ(std::vector<uint8_t>(it->begin() + 17, it->begin() + 23),
                (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x00, 0x04, 0x11}));
    }
  }
}

TEST(JpegWriter, FileEndsWithEndOfImageAndTrailer) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/out.jpg";
  for (int quality : {30, 75, 100}) {
    ASSERT_EQ(WriteJpegFile(MakeRgbPicture(9, 5, Pattern), path, quality), kJpegWriteOk);
    std::optional<std::vector<uint8_t>> file = ReadFileBytes(path);
    ASSERT_TRUE(file && file->size() > 6);
    EXPECT_EQ(std::vector<uint8_t>(file->end() - 6, file->end()),
              (std::vector<uint8_t>{0xFF, 0xD9, 'x', '-', 'Q', 'B'}));
  }
  std::filesystem::remove_all(dir);
}

TEST(JpegWriter, PixelsComeBackFromTheTopRowDown) {
  // 16 x 16 blocks of one colour each, so neither the transform nor the chrominance
  // sampling blurs them; only the decoder's smoothing of the chrominance touches the
  // pixels at the edges of a block, which are left out.
  const Rgb colors[] = {{250, 10, 10},  {10, 250, 10},  {10, 10, 250},
                        {240, 240, 20}, {20, 240, 240}, {128, 64, 32}};
  PackedDib picture =
      MakeRgbPicture(48, 32, [&](int x, int y) { return colors[(y / 16) * 3 + x / 16]; });
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildJpegData(picture, 100, file), kJpegWriteOk);
  PackedDib decoded;
  ASSERT_EQ(ReadJpegData(decoded, file.data(), file.size(), 0, nullptr), kJpegReadOk);
  int worst = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      if (x % 16 == 0 || x % 16 == 15 || y % 16 == 0 || y % 16 == 15) continue;
      for (int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::abs(decoded.Row(y)[3 * x + c] - picture.Row(y)[3 * x + c]));
      }
    }
  }
  EXPECT_LE(worst, 3);
}

TEST(JpegWriter, EightBitPicturesAreEncodedThroughTheirColourTable) {
  std::vector<Rgb> table = {{0, 0, 0}, {255, 0, 0}, {0, 200, 0}, {30, 60, 250}, {255, 255, 255}};
  std::vector<uint8_t> indices(21 * 11);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t((i / 3 + i / 21) % 5);
  PackedDib indexed = testing::MakePicture(21, 11, indices, table);
  PackedDib direct =
      MakeRgbPicture(21, 11, [&](int x, int y) { return table[indices[size_t(y * 21 + x)]]; });
  std::vector<uint8_t> fromIndexed, fromDirect;
  ASSERT_EQ(BuildJpegData(indexed, 80, fromIndexed), kJpegWriteOk);
  ASSERT_EQ(BuildJpegData(direct, 80, fromDirect), kJpegWriteOk);
  EXPECT_EQ(fromIndexed, fromDirect);
}

TEST(JpegWriter, ResultCodes) {
  struct Case {
    const char* name;
    std::function<void(PackedDib&)> damage;
    int code;
  };
  auto header = [](PackedDib& p, auto&& change) {
    DibHeader h = p.Header();
    change(h);
    p.SetHeader(h);
  };
  const Case cases[] = {
      {"24 bits", [](PackedDib&) {}, kJpegWriteOk},
      {"16 bits", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.bitCount = 16; }); },
       kJpegBadDepth},
      {"32 bits", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.bitCount = 32; }); },
       kJpegBadDepth},
      {"4 bits", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.bitCount = 4; }); },
       kJpegBadDepth},
      {"300 colours", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.clrUsed = 300; }); },
       kJpegTooManyColors},
      {"2 planes", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.planes = 2; }); },
       kJpegBadPlanes},
      {"compressed", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.compression = 1; }); },
       kJpegCompressed},
      {"no picture", [](PackedDib& p) { p.Reset(); }, kJpegBadPicture},
      {"rows beyond the block",
       [&](PackedDib& p) { header(p, [](DibHeader& h) { h.height = 4000; }); }, kJpegBadPicture},
      {"zero width", [&](PackedDib& p) { header(p, [](DibHeader& h) { h.width = 0; }); },
       kJpegBadPicture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackedDib picture = MakeRgbPicture(40, 30, Pattern);
    c.damage(picture);
    std::vector<uint8_t> file = {1, 2, 3};
    EXPECT_EQ(BuildJpegData(picture, 75, file), c.code);
    EXPECT_EQ(file.empty(), c.code != kJpegWriteOk);
  }
  // Wider than JPEG allows: the library's own error, as a code above 100.
  std::vector<uint8_t> file;
  EXPECT_EQ(BuildJpegData(NewPicture(65501, 1, 24, 0), 75, file),
            JpegWriteLibraryCode(JERR_IMAGE_TOO_BIG));
  EXPECT_TRUE(file.empty());
}

TEST(JpegWriter, FailedWritesLeaveTheOldFileAlone) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/keep.jpg";
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(WriteFileAtomically(path, old.data(), old.size()));

  PackedDib sixteen = MakeRgbPicture(8, 8, Pattern);
  DibHeader h = sixteen.Header();
  h.bitCount = 16;
  sixteen.SetHeader(h);
  EXPECT_EQ(WriteJpegFile(sixteen, path, 75), kJpegBadDepth);
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(WriteJpegFile(NewPicture(65501, 1, 24, 0), path, 75),
            JpegWriteLibraryCode(JERR_IMAGE_TOO_BIG));
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);  // no leftovers

  EXPECT_EQ(WriteJpegFile(MakeRgbPicture(8, 8, Pattern), dir + "/missing/x.jpg", 75),
            kJpegCannotWrite);
  EXPECT_EQ(WriteJpegFile(MakeRgbPicture(8, 8, Pattern), dir, 75), kJpegCannotWrite);

  ASSERT_EQ(WriteJpegFile(MakeRgbPicture(8, 8, Pattern), path, 75), kJpegWriteOk);
  std::vector<uint8_t> expected;
  ASSERT_EQ(BuildJpegData(MakeRgbPicture(8, 8, Pattern), 75, expected), kJpegWriteOk);
  EXPECT_EQ(ReadFileBytes(path), expected);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
