// The JPEG reader on files libjpeg writes with chosen settings: the picture's header and row
// order, densities, grayscale and CMYK files, cut-off files, the size query, progress,
// declared sizes and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <jerror.h>
#include <jpeglib.h>

#include "imagefiles/jpeg_reader.h"
#include "imagefiles/jpeg_writer.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

struct Settings {
  int components = 3;  // 1 grayscale, 3 RGB (stored as YCbCr), 4 CMYK
  int quality = 100;
  bool fullChroma = true;  // every component sampled 1 x 1
  bool progressive = false;
  int densityUnit = 0;
  int xDensity = 1;
  int yDensity = 1;
  int restartRows = 0;
};

// A JPEG file made by libjpeg from samples in rows from the top, `components` per pixel.
std::vector<uint8_t> Encode(int width, int height, const std::vector<uint8_t>& samples,
                            const Settings& s) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = s.components;
  cinfo.in_color_space = s.components == 1 ? JCS_GRAYSCALE : s.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, s.quality, TRUE);
  if (s.fullChroma) {
    for (int c = 0; c < cinfo.num_components; ++c) {
      cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    }
  }
  if (s.progressive) jpeg_simple_progression(&cinfo);
  cinfo.density_unit = UINT8(s.densityUnit);
  cinfo.X_density = UINT16(s.xDensity);
  cinfo.Y_density = UINT16(s.yDensity);
  cinfo.restart_in_rows = s.restartRows;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data()) +
                   size_t(cinfo.next_scanline) * size_t(width) * size_t(s.components);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

// RGB samples that differ from row to row and column to column.
std::vector<uint8_t> RgbSamples(int width, int height) {
  std::vector<uint8_t> samples;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      samples.push_back(uint8_t(std::min(255, x * 15)));
      samples.push_back(uint8_t(std::min(255, y * 28)));
      samples.push_back(uint8_t(std::max(0, 200 - x * 5 - y * 10)));
    }
  }
  return samples;
}

// Largest channel difference between the picture and RGB (or gray) samples in rows from the
// top. Reads the stored rows directly: the top row of the picture is stored last.
int MaxDifference(const PackedDib& picture, const std::vector<uint8_t>& samples, int components,
                  int rows) {
  DibHeader h = picture.Header();
  size_t stride = (size_t(h.width) * 3 + 3) / 4 * 4;
  int worst = 0;
  for (int y = 0; y < rows; ++y) {
    const uint8_t* stored = picture.data() + 40 + size_t(h.height - 1 - y) * stride;
    for (int x = 0; x < h.width; ++x) {
      const uint8_t* s = samples.data() + (size_t(y) * size_t(h.width) + size_t(x)) * components;
      for (int c = 0; c < 3; ++c) {
        int expected = components == 1 ? s[0] : s[2 - c];  // stored blue, green, red
        worst = std::max(worst, std::abs(stored[x * 3 + c] - expected));
      }
    }
  }
  return worst;
}

// Sets the size in the frame header of a file.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> file, int width, int height) {
  for (size_t p = 2; p + 9 < file.size(); ++p) {
    if (file[p] == 0xFF && (file[p + 1] == 0xC0 || file[p + 1] == 0xC2)) {
      file[p + 5] = uint8_t(height >> 8);
      file[p + 6] = uint8_t(height);
      file[p + 7] = uint8_t(width >> 8);
      file[p + 8] = uint8_t(width);
      return file;
    }
  }
  ADD_FAILURE() << "no frame header";
  return file;
}

size_t FindMarker(const std::vector<uint8_t>& file, uint8_t marker) {
  for (size_t p = 0; p + 1 < file.size(); ++p) {
    if (file[p] == 0xFF && file[p + 1] == marker) return p;
  }
  ADD_FAILURE() << "no marker " << int(marker);
  return 0;
}

TEST(JpegReader, ColourPictureIsBottomUpBgrWithTheProgramsHeader) {
  std::vector<uint8_t> samples = RgbSamples(17, 9);
  std::vector<uint8_t> file = Encode(17, 9, samples, {});
  // The fast transform is the least precise at this quality.
  const std::pair<int, int> methods[] = {
      {0, 2}, {kJpegTransformFast, 10}, {kJpegTransformFloat, 2}};
  for (auto [method, tolerance] : methods) {
    SCOPED_TRACE(method);
    PackedDib picture;
    ASSERT_EQ(ReadJpegData(picture, file.data(), file.size(), method, nullptr), kJpegReadOk);
    DibHeader h = picture.Header();
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 17);
    EXPECT_EQ(h.height, 9);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 24);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.sizeImage, 0u);
    EXPECT_EQ(h.xPelsPerMeter, 0);
    EXPECT_EQ(h.yPelsPerMeter, 0);
    EXPECT_EQ(h.clrUsed, 0u);
    EXPECT_EQ(h.clrImportant, 0u);
    EXPECT_EQ(picture.Stride(), 52u);
    ASSERT_GE(picture.size(), 40u + 52u * 9u);
    EXPECT_LE(MaxDifference(picture, samples, 3, 9), tolerance);
  }
}

TEST(JpegReader, ResolutionOnlyFromDotsPerCentimetre) {
  struct Case {
    int unit, x, y;
    int32_t xPels, yPels;
  };
  const Case cases[] = {
      {2, 28, 28, 2800, 2800}, {2, 10, 65535, 1000, 6553500}, {1, 72, 72, 0, 0}, {0, 3, 4, 0, 0}};
  std::vector<uint8_t> samples = RgbSamples(8, 8);
  for (const Case& c : cases) {
    Settings s;
    s.densityUnit = c.unit;
    s.xDensity = c.x;
    s.yDensity = c.y;
    std::vector<uint8_t> file = Encode(8, 8, samples, s);
    PackedDib picture;
    ASSERT_EQ(ReadJpegData(picture, file.data(), file.size(), 1, nullptr), kJpegReadOk);
    EXPECT_EQ(picture.Header().xPelsPerMeter, c.xPels) << c.unit << " " << c.x;
    EXPECT_EQ(picture.Header().yPelsPerMeter, c.yPels) << c.unit << " " << c.y;
  }
}

TEST(JpegReader, GrayscaleFillsAllThreeBytes) {
  std::vector<uint8_t> gray(23 * 10);
  for (size_t i = 0; i < gray.size(); ++i) gray[i] = uint8_t(i % 23 * 11 + i / 23 * 2);
  Settings s;
  s.components = 1;
  std::vector<uint8_t> file = Encode(23, 10, gray, s);
  PackedDib picture;
  ASSERT_EQ(ReadJpegData(picture, file.data(), file.size(), 0, nullptr), kJpegReadOk);
  EXPECT_EQ(picture.Header().bitCount, 24);
  EXPECT_LE(MaxDifference(picture, gray, 1, 10), 1);
  for (int y = 0; y < 10; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < 23; ++x) {
      EXPECT_EQ(row[3 * x], row[3 * x + 1]);
      EXPECT_EQ(row[3 * x], row[3 * x + 2]);
    }
  }
}

TEST(JpegReader, CmykIsRefused) {
  Settings s;
  s.components = 4;
  std::vector<uint8_t> file = Encode(8, 8, std::vector<uint8_t>(8 * 8 * 4, 100), s);
  PackedDib picture;
  EXPECT_EQ(ReadJpegData(picture, file.data(), file.size(), 1, nullptr), kJpegUnsupportedColor);
  EXPECT_FALSE(picture);
  // The size query does not look at colours.
  EXPECT_EQ(ReadJpegDataSize(file.data(), file.size()), 8 * 65536 + 8);
}

TEST(JpegReader, CutOffFilesStillGiveThePicture) {
  std::vector<uint8_t> samples = RgbSamples(64, 48);
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive);
    Settings s;
    s.progressive = progressive;
    std::vector<uint8_t> file = Encode(64, 48, samples, s);
    size_t scan = FindMarker(file, 0xDA);
    file.resize(scan + (file.size() - scan) * 3 / 4);
    PackedDib picture;
    ASSERT_EQ(ReadJpegData(picture, file.data(), file.size(), 0, nullptr), kJpegReadOk);
    EXPECT_EQ(picture.Header().width, 64);
    EXPECT_EQ(picture.Header().height, 48);
    if (!progressive) {
      EXPECT_LE(MaxDifference(picture, samples, 3, 8), 3);
    }
  }
}

TEST(JpegReader, SizeQueryReadsOnlyTheHeaders) {
  std::string dir = testing::MakeTempDir();
  std::vector<uint8_t> file = Encode(640, 480, std::vector<uint8_t>(640 * 480 * 3, 90), {});
  ASSERT_TRUE(WriteFileAtomically(dir + "/a.jpg", file.data(), file.size()));
  EXPECT_EQ(ReadJpegFileSize(dir + "/a.jpg"), 480 * 65536 + 640);
  EXPECT_EQ(ReadJpegFileSize(dir + "/missing.jpg"), kJpegCannotRead);
  std::filesystem::remove_all(dir);

  // Headers that stop right after the frame header are enough.
  size_t frame = FindMarker(file, 0xC0);
  size_t frameEnd = frame + 2 + (size_t(file[frame + 2]) << 8 | file[frame + 3]);
  std::vector<uint8_t> headersOnly(file.begin(), file.begin() + long(frameEnd));
  EXPECT_EQ(ReadJpegDataSize(headersOnly.data(), headersOnly.size()), 480 * 65536 + 640);
  std::vector<uint8_t> noFrame(file.begin(), file.begin() + long(frame));
  EXPECT_LT(ReadJpegDataSize(noFrame.data(), noFrame.size()), 0);

  // A declared size far too large to decode is still reported.
  std::vector<uint8_t> huge = WithDeclaredSize(file, 65000, 60000);
  EXPECT_EQ(ReadJpegDataSize(huge.data(), huge.size()), int64_t{60000} * 65536 + 65000);
}

TEST(JpegReader, ProgressBeforeEachPieceOfInput) {
  std::vector<uint8_t> noise(160 * 120 * 3);
  std::mt19937 rng(7);
  for (uint8_t& b : noise) b = uint8_t(rng());
  std::vector<uint8_t> file = Encode(160, 120, noise, {});
  ASSERT_GT(file.size(), 5u * 4096);
  std::vector<std::pair<uint32_t, uint32_t>> calls;
  PackedDib picture;
  ASSERT_EQ(ReadJpegData(picture, file.data(), file.size(), 1,
                         [&](uint32_t w, uint32_t l) { calls.emplace_back(w, l); }),
            kJpegReadOk);
  size_t pieces = (file.size() + 4095) / 4096;
  ASSERT_GE(calls.size(), pieces);
  for (size_t k = 0; k < calls.size(); ++k) {
    EXPECT_EQ(calls[k].first, 0u);
    EXPECT_EQ(calls[k].second >> 16, 100u);
    uint32_t consumed = uint32_t(std::min(k * 4096, file.size()) * 100 / file.size());
    EXPECT_EQ(calls[k].second & 0xFFFF, consumed) << k;
  }
}

TEST(JpegReader, BadInputGivesCodesAndNoPicture) {
  std::vector<uint8_t> good = Encode(16, 16, RgbSamples(16, 16), {});
  size_t scan = FindMarker(good, 0xDA);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int code;
  };
  const Case cases[] = {
      {"empty", {}, kJpegCannotRead},
      {"four bytes", {0xFF, 0xD8, 0xFF, 0xD9}, kJpegCannotRead},
      {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, JpegReadLibraryCode(JERR_NO_SOI)},
      {"no frame", {0xFF, 0xD8, 0xFF, 0xD9, 0}, JpegReadLibraryCode(JERR_NO_IMAGE)},
      {"headers without scan", std::vector<uint8_t>(good.begin(), good.begin() + long(scan)),
       JpegReadLibraryCode(JERR_SOF_NO_SOS)},
      {"zero width", WithDeclaredSize(good, 0, 16), JpegReadLibraryCode(JERR_EMPTY_IMAGE)},
      // Larger than 1 GiB of rows.
      {"60000 x 60000", WithDeclaredSize(good, 60000, 60000), kJpegTooLarge},
      // 9 million pixels from a file of a few hundred bytes.
      {"3000 x 3000", WithDeclaredSize(good, 3000, 3000), kJpegTooLarge},
      // Small enough to be accepted from any file: decoded, mostly from missing data.
      {"2000 x 2000", WithDeclaredSize(good, 2000, 2000), kJpegReadOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackedDib picture;
    EXPECT_EQ(ReadJpegData(picture, c.bytes.data(), c.bytes.size(), 1, nullptr), c.code);
    EXPECT_EQ(bool(picture), c.code == kJpegReadOk);
  }
  PackedDib picture;
  EXPECT_EQ(ReadJpegFile(picture, "/nonexistent/x.jpg", 1, nullptr), kJpegCannotRead);
  EXPECT_FALSE(picture);
}

TEST(JpegReader, ProgressiveFilesMayHaveAtMostAThousandScans) {
  Settings s;
  s.progressive = true;
  std::vector<uint8_t> file = Encode(32, 32, RgbSamples(32, 32), s);
  // The last scan, repeated: the library only warns about the repeated scans.
  size_t lastScan = 0;
  for (size_t p = 0; p + 1 < file.size(); ++p) {
    if (file[p] == 0xFF && file[p + 1] == 0xDA) lastScan = p;
  }
  ASSERT_GT(lastScan, 0u);
  std::vector<uint8_t> scan(file.begin() + long(lastScan), file.end() - 2);
  auto withScans = [&](int total) {
    std::vector<uint8_t> bytes(file.begin(), file.end() - 2);
    for (int i = 10; i < total; ++i) bytes.insert(bytes.end(), scan.begin(), scan.end());
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    return bytes;
  };
  for (auto [scans, code] :
       {std::pair{1000, int(kJpegReadOk)}, std::pair{1001, int(kJpegTooManyScans)}}) {
    std::vector<uint8_t> bytes = withScans(scans);
    PackedDib picture;
    EXPECT_EQ(ReadJpegData(picture, bytes.data(), bytes.size(), 1, nullptr), code) << scans;
    EXPECT_EQ(bool(picture), code == kJpegReadOk);
  }
}

TEST(JpegReader, ReadsTheFileOnDisk) {
  std::string dir = testing::MakeTempDir();
  std::vector<uint8_t> samples = RgbSamples(30, 20);
  std::vector<uint8_t> file = Encode(30, 20, samples, {});
  ASSERT_TRUE(WriteFileAtomically(dir + "/a.jpg", file.data(), file.size()));
  PackedDib picture;
  ASSERT_EQ(ReadJpegFile(picture, dir + "/a.jpg", 0, nullptr), kJpegReadOk);
  EXPECT_LE(MaxDifference(picture, samples, 3, 20), 3);
  std::filesystem::remove_all(dir);
}

// Every truncation and thousands of bit flips of a few small files must load or fail
// cleanly. Run under the sanitizers by scripts/test --sanitize.
TEST(JpegRobustness, TruncatedAndBitFlippedFilesLoadOrFailCleanly) {
  std::vector<uint8_t> samples = RgbSamples(17, 9);
  std::vector<uint8_t> gray(24 * 16);
  for (size_t i = 0; i < gray.size(); ++i) gray[i] = uint8_t(i * 7);
  Settings progressive;
  progressive.progressive = true;
  progressive.fullChroma = false;
  progressive.quality = 60;
  Settings restarts;
  restarts.components = 1;
  restarts.restartRows = 1;
  std::vector<uint8_t> written;
  ASSERT_EQ(BuildJpegData(testing::MakePicture(12, 10, std::vector<uint8_t>(120, 1),
                                               {{0, 0, 0}, {200, 100, 50}}),
                          75, written),
            kJpegWriteOk);
  const std::vector<std::vector<uint8_t>> seeds = {written, Encode(17, 9, samples, progressive),
                                                   Encode(24, 16, gray, restarts)};

  std::mt19937 rng(2026);
  auto load = [](const std::vector<uint8_t>& bytes) {
    PackedDib picture;
    int code = ReadJpegData(picture, bytes.data(), bytes.size(), 1, nullptr);
    if (code == kJpegReadOk) {
      ASSERT_TRUE(picture);
      DibHeader h = picture.Header();
      ASSERT_GE(picture.size(), 40 + picture.Stride() * size_t(h.height));
    } else {
      ASSERT_FALSE(picture);
    }
    ReadJpegDataSize(bytes.data(), bytes.size());
  };
  for (const auto& seed : seeds) {
    for (size_t n = 0; n <= seed.size(); ++n) {
      load(std::vector<uint8_t>(seed.begin(), seed.begin() + long(n)));
    }
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> bytes = seed;
      int flips = 1 + int(rng() % 4);
      for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
      load(bytes);
    }
  }
}

}  // namespace
}  // namespace zel
