// BMP and icon files against ImageMagick: files it writes in its many BMP forms read here
// with the pixels it reads from them, and files written here read by it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "imagefiles/bmp_file.h"
#include "imagefiles/bmp_test_support.h"
#include "imagefiles/icon_file.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::Color;
using testing::PictureColors;

constexpr const char* kConvert = "/usr/bin/convert";

// Runs a shell command and returns its standard output; no value when it fails.
std::optional<std::string> RunShell(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

// The pixels ImageMagick reads from a file, top row first, as 8-bit channels.
std::vector<Color> PeerColors(const std::string& path) {
  std::optional<std::string> raw =
      RunShell(std::string(kConvert) + " " + Quote(path) + " -depth 8 rgb:-");
  if (!raw) return {};
  std::vector<Color> out;
  for (size_t i = 0; i + 2 < raw->size(); i += 3) {
    out.push_back({uint8_t((*raw)[i]), uint8_t((*raw)[i + 1]), uint8_t((*raw)[i + 2])});
  }
  return out;
}

class BmpInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kConvert, X_OK) != 0) GTEST_SKIP() << kConvert << " is not installed";
    dir_ = testing::MakeTempDir();
    // 13 x 7 (odd row lengths, so every depth pads), 91 colours, partly transparent.
    source_ = dir_ + "/source.png";
    ASSERT_TRUE(RunShell(std::string(kConvert) +
                         " -size 13x7 xc: -fx 'i/w' -channel G -fx 'j/h' -channel B -fx '(i*j%5)/4'"
                         " -channel A -fx '0.2+i/w' +channel " +
                         Quote(source_)));
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  std::string dir_;
  std::string source_;
};

TEST_F(BmpInterop, FilesWrittenByImageMagickReadWithItsPixels) {
  struct Case {
    const char* name;
    const char* options;  // between the source and the output
    const char* format;   // output prefix
    uint32_t headerSize;  // as ImageMagick writes it
    int bits;             // in the file
    int outBits;
    uint8_t masks[3];  // bits kept of red, green and blue (16-bit files)
  } cases[] = {
      {"24-bit, 40-byte header", "-alpha off", "BMP3:", 40, 24, 24, {255, 255, 255}},
      {"bmp:format=bmp3", "-alpha off -define bmp:format=bmp3", "", 40, 24, 24, {255, 255, 255}},
      {"8-bit palette",
       "-alpha off -type Palette -compress None",
       "BMP3:",
       40,
       8,
       8,
       {255, 255, 255}},
      {"4-bit palette", "-alpha off -colors 16 -type Palette", "BMP3:", 40, 4, 4, {255, 255, 255}},
      {"1-bit", "-alpha off -monochrome", "BMP3:", 40, 1, 1, {255, 255, 255}},
      {"1-bit, 108-byte header", "-alpha off -monochrome", "", 108, 1, 1, {255, 255, 255}},
      {"24-bit core header", "-alpha off", "BMP2:", 12, 24, 24, {255, 255, 255}},
      {"8-bit core header",
       "-alpha off -type Palette -compress None",
       "BMP2:",
       12,
       8,
       8,
       {255, 255, 255}},
      {"24-bit, 124-byte header", "-alpha off", "", 124, 24, 24, {255, 255, 255}},
      {"32-bit with alpha, 124-byte header", "-alpha on", "", 124, 32, 24, {255, 255, 255}},
      {"16-bit 5-6-5",
       "-alpha off -define bmp:subtype=RGB565",
       "",
       124,
       16,
       24,
       {0xF8, 0xFC, 0xF8}},
      {"16-bit 5-5-5",
       "-alpha off -define bmp:subtype=RGB555",
       "",
       124,
       16,
       24,
       {0xF8, 0xF8, 0xF8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = dir_ + "/peer.bmp";
    ASSERT_TRUE(RunShell(std::string(kConvert) + " " + Quote(source_) + " " + c.options + " " +
                         c.format + Quote(file)));
    std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(file);
    ASSERT_TRUE(bytes && bytes->size() > 30);
    ASSERT_EQ(ReadLe32(bytes->data() + 14), c.headerSize);  // the form this case is about
    ASSERT_EQ(ReadLe16(bytes->data() + (c.headerSize == 12 ? 24 : 28)), c.bits);

    PackedDib picture;
    ASSERT_EQ(ReadBmpFile(picture, file), kBmpReadOk);
    EXPECT_EQ(picture.Header().bitCount, c.outBits);
    std::vector<Color> peer = PeerColors(file);
    ASSERT_EQ(peer.size(), 13u * 7u);
    for (Color& p : peer) {
      p = {uint8_t(p.r & c.masks[0]), uint8_t(p.g & c.masks[1]), uint8_t(p.b & c.masks[2])};
    }
    EXPECT_EQ(PictureColors(picture), peer);

    // Written back here, ImageMagick sees the same pixels again.
    std::string copy = dir_ + "/copy.bmp";
    ASSERT_TRUE(WriteBmpFile(picture, copy));
    EXPECT_EQ(PeerColors(copy), PictureColors(picture));
  }
}

TEST_F(BmpInterop, RunLengthFilesAreRefused) {
  // ImageMagick compresses 8-bit palette files by default.
  std::string file = dir_ + "/rle.bmp";
  ASSERT_TRUE(RunShell(std::string(kConvert) + " " + Quote(source_) +
                       " -alpha off -type Palette BMP3:" + Quote(file)));
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(file);
  ASSERT_TRUE(bytes && bytes->size() > 34);
  ASSERT_EQ(ReadLe32(bytes->data() + 30), 1u);  // run-length 8-bit
  PackedDib picture;
  EXPECT_EQ(ReadBmpFile(picture, file), kBmpUnsupported);
  EXPECT_FALSE(picture);
}

TEST_F(BmpInterop, IconsWrittenHereShowTheirColoursAndTransparency) {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) pixels.push_back(static_cast<uint8_t>((x / 4 + y / 3) % 6));
  }
  std::vector<testing::Rgb> table = {{200, 10, 10}, {10, 200, 10}, {10, 10, 200},
                                     {250, 250, 0}, {0, 0, 0},     {255, 255, 255}};
  PackedDib picture = testing::MakePicture(32, 32, pixels, table);
  std::string icon = dir_ + "/x.ico";
  ASSERT_TRUE(WriteIconFile(picture, icon, 2));

  std::optional<std::string> raw =
      RunShell(std::string(kConvert) + " " + Quote(icon) + " -depth 8 rgba:-");
  ASSERT_TRUE(raw);
  ASSERT_EQ(raw->size(), 32u * 32u * 4u);
  for (int i = 0; i < 32 * 32; ++i) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(raw->data()) + 4 * i;
    uint8_t index = pixels[i];
    if (index == 2) {
      EXPECT_EQ(p[3], 0) << "pixel " << i << " should be transparent";
      continue;
    }
    EXPECT_EQ(p[3], 255) << i;
    EXPECT_EQ((Color{p[0], p[1], p[2]}), (Color{table[index].r, table[index].g, table[index].b}))
        << i;
  }
}

}  // namespace
}  // namespace zel
