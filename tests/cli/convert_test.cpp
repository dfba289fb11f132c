// `zel-cli convert`: the written file shows what the input showed, a bad input leaves the
// output alone, and a write failure says so.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/frame_set.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;

// Every frame composed by ImageMagick, as RGBA bytes; fully transparent pixels are zeroed
// so only what a viewer shows is compared.
std::string ShownPixels(const std::string& gif) {
  std::string rgba;
  EXPECT_TRUE(ImageMagick({gif, "-coalesce", "rgba:-"}, &rgba)) << gif;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    if (rgba[i + 3] == 0) rgba.replace(i, 3, 3, '\0');
  }
  return rgba;
}

std::unique_ptr<FrameSet> Load(const std::string& gif) {
  auto frames = std::make_unique<FrameSet>(kFrameMaxHighest);
  EXPECT_TRUE(LoadGifAnimation(gif, *frames, kFrameMaxHighest)) << gif;
  return frames;
}

// The index that shows nothing in a frame: the animation's, or a single picture's own.
int TransparentIndexOf(const FrameSet& set, int frame) {
  return set.count == 1                           ? set.frame(0).transparentIndex
         : set.frame(frame).transparentIndex >= 0 ? set.transparentIndex
                                                  : -1;
}

// Frame by frame and pixel by pixel, the colours each loaded frame shows. Transparent pixels
// match each other whatever colour their entry holds (the editor paints that entry with its
// background colour).
void ExpectSameFrames(const FrameSet& a, const FrameSet& b) {
  EXPECT_EQ(a.screenWidth, b.screenWidth);
  EXPECT_EQ(a.screenHeight, b.screenHeight);
  EXPECT_EQ(a.loop, b.loop);
  ASSERT_EQ(a.count, b.count);
  for (int f = 0; f < a.count; ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const Frame& fa = a.frame(f);
    const Frame& fb = b.frame(f);
    EXPECT_EQ(fa.delay, fb.delay);
    ASSERT_TRUE(fa.image && fb.image);
    DibHeader ha = fa.image.Header();
    DibHeader hb = fb.image.Header();
    ASSERT_EQ(ha.width, hb.width);
    ASSERT_EQ(ha.height, hb.height);
    ASSERT_EQ(ha.bitCount, 8);
    ASSERT_EQ(hb.bitCount, 8);
    int mismatches = 0;
    for (int y = 0; y < ha.height; ++y) {
      for (int x = 0; x < ha.width; ++x) {
        uint8_t ia = fa.image.Row(y)[x];
        uint8_t ib = fb.image.Row(y)[x];
        bool clearA = ia == TransparentIndexOf(a, f);
        bool clearB = ib == TransparentIndexOf(b, f);
        Rgbq ca = fa.image.ColorTable()[ia];
        Rgbq cb = fb.image.ColorTable()[ib];
        ca.reserved = cb.reserved = 0;
        bool same = (clearA && clearB) || (!clearA && !clearB && ca == cb);
        if (!same && mismatches++ < 3) {
          ADD_FAILURE() << "pixel " << x << "," << y << " differs";
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

// GIF data as an old encoder without string search writes it: a clear code before every
// pixel, so every code keeps the width codeSize + 1.
std::vector<uint8_t> LiteralLzw(const std::vector<uint8_t>& pixels, int codeSize) {
  const uint32_t clear = 1u << codeSize;
  const int width = codeSize + 1;
  std::vector<uint32_t> codes;
  for (uint8_t p : pixels) codes.insert(codes.end(), {clear, p});
  codes.push_back(clear + 1);
  std::vector<uint8_t> data;
  uint32_t bits = 0;
  int count = 0;
  for (uint32_t code : codes) {
    bits |= code << count;
    count += width;
    for (; count >= 8; count -= 8, bits >>= 8) data.push_back(static_cast<uint8_t>(bits));
  }
  if (count > 0) data.push_back(static_cast<uint8_t>(bits));
  std::vector<uint8_t> framed{static_cast<uint8_t>(codeSize), static_cast<uint8_t>(data.size())};
  framed.insert(framed.end(), data.begin(), data.end());
  framed.push_back(0);
  return framed;
}

// Two 2x2 frames, no global palette: each frame has its own four colours, its own
// transparent index and disposal "restore to background". Loops forever.
std::vector<uint8_t> LocalPaletteTransparentAnimation() {
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x00, 0, 0};
  const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                          'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
  gif.insert(gif.end(), std::begin(loop), std::end(loop));
  struct FrameData {
    uint8_t transparent;
    uint8_t palette[12];
    std::vector<uint8_t> pixels;
  };
  const FrameData frames[] = {
      {1, {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}, {0, 1, 1, 0}},
      {0, {0, 0, 255, 255, 255, 0, 0, 255, 0, 1, 1, 1}, {2, 2, 0, 1}},
  };
  for (const FrameData& f : frames) {
    const uint8_t control[] = {0x21, 0xF9, 0x04, 0x08 | 0x01, 10, 0, f.transparent, 0};
    const uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x81};
    gif.insert(gif.end(), std::begin(control), std::end(control));
    gif.insert(gif.end(), std::begin(descriptor), std::end(descriptor));
    gif.insert(gif.end(), std::begin(f.palette), std::end(f.palette));
    std::vector<uint8_t> data = LiteralLzw(f.pixels, 2);
    gif.insert(gif.end(), data.begin(), data.end());
  }
  gif.push_back(0x3B);
  return gif;
}

struct RoundTripCase {
  const char* name;
  std::vector<std::string> imageMagickArgs;  // the input file name is appended
  const char* outputName;
  // False when the frames hold more colours than one palette: loading maps them onto one
  // shared palette, so only what the loader reads can be compared.
  bool viewerSeesTheSame = true;
  // Input built here instead of by ImageMagick.
  std::vector<uint8_t> (*makeInput)() = nullptr;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.name;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, OutputShowsTheSamePictures) {
  if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const RoundTripCase& c = GetParam();
  TempDir dir;
  std::string in = dir / "in.gif";
  std::string out = dir / c.outputName;
  if (c.makeInput != nullptr) {
    WriteBytes(in, c.makeInput());
  } else {
    std::vector<std::string> args = c.imageMagickArgs;
    args.push_back(in);
    ASSERT_TRUE(ImageMagick(args));
  }

  RunResult r = RunCli({"convert", in, out});

  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");  // no terminal, so no progress bar
  ASSERT_TRUE(fs::is_regular_file(out));
  if (c.viewerSeesTheSame) {
    std::string shownIn = ShownPixels(in);
    ASSERT_FALSE(shownIn.empty());
    std::string shownOut = ShownPixels(out);
    ASSERT_EQ(shownIn.size(), shownOut.size());
    size_t differing = 0;
    for (size_t i = 0; i < shownIn.size(); i += 4) {
      if (shownIn.compare(i, 4, shownOut, i, 4) != 0) ++differing;
    }
    EXPECT_EQ(differing, 0u) << "pixels ImageMagick shows differently, of " << shownIn.size() / 4;
  }
  ExpectSameFrames(*Load(in), *Load(out));
}

const RoundTripCase kRoundTripCases[] = {
    {"TwoFlatFrames",
     {"-delay", "7", "-size", "20x10", "xc:red", "-delay", "25", "xc:blue", "-loop", "0"},
     "out.gif"},
    // Each frame has up to 256 colours of its own; together far more than one palette holds.
    {"PlasmaFramesWithTheirOwnPalettes",
     {"-seed", "7", "-delay", "10", "-size", "64x48", "plasma:red-blue", "plasma:green-yellow",
      "plasma:white-black", "-loop", "0"},
     "out.gif",
     false},
    {"SinglePicture", {"-seed", "3", "-size", "33x21", "plasma:"}, "out.gif"},
    {"FramesSmallerThanTheScreen",
     {"-size", "30x20", "xc:white", "-page", "+5+4", "-size", "10x8", "xc:red", "-page", "+12+6",
      "-size", "8x8", "xc:blue"},
     "out.gif"},
    {"TransparentFramesDisposedToBackground",
     {"-dispose", "background", "-size", "20x20", "xc:none", "-fill", "red", "-draw",
      "rectangle 5,5 14,14", "-size", "20x20", "xc:none", "-fill", "blue", "-draw",
      "circle 10,10 14,14"},
     "out.gif"},
    {"TransparentFramesKeptInPlace",
     {"-dispose", "none", "-size", "20x20", "xc:yellow", "-size", "20x20", "xc:none", "-fill",
      "blue", "-draw", "circle 10,10 14,14"},
     "out.gif"},
    {"SingleTransparentPicture",
     {"-size", "20x20", "xc:none", "-fill", "red", "-draw", "rectangle 5,5 14,14", "-fill", "blue",
      "-draw", "rectangle 0,0 3,3"},
     "out.gif"},
    {"LocalPalettesWithTransparentFrames", {}, "out.gif", true, &LocalPaletteTransparentAnimation},
    {"UpperCaseOutputExtension", {"-size", "8x8", "xc:red", "xc:blue"}, "OUT.GIF"},
};

INSTANTIATE_TEST_SUITE_P(Cli, RoundTripTest, ::testing::ValuesIn(kRoundTripCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- inputs that are not GIF files ----

struct BadInputCase {
  const char* name;
  bool exists;
  std::vector<uint8_t> bytes;
};

void PrintTo(const BadInputCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

class BadInputTest : public ::testing::TestWithParam<BadInputCase> {
 protected:
  void SetUp() override {
    if (GetParam().exists) WriteBytes(input_, GetParam().bytes);
  }
  void ExpectRefused(const RunResult& r) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "zel-cli: " + std::string(MessageText(kMsgBadImageFile)) + " (" + input_ + ")\n");
  }
  TempDir dir_;
  std::string input_ = dir_ / "in.gif";
  std::string output_ = dir_ / "out.gif";
};

TEST_P(BadInputTest, InfoRefusesIt) {
  ExpectRefused(RunCli({"info", input_}));
}

TEST_P(BadInputTest, ConvertCreatesNoOutput) {
  ExpectRefused(RunCli({"convert", input_, output_}));
  EXPECT_FALSE(fs::exists(output_));
}

TEST_P(BadInputTest, ConvertLeavesAnExistingOutputAlone) {
  const std::vector<uint8_t> old = Bytes("GIF89a an older file the user wants to keep");
  WriteBytes(output_, old);
  struct stat before {};
  ASSERT_EQ(::stat(output_.c_str(), &before), 0);

  ExpectRefused(RunCli({"convert", input_, output_}));

  EXPECT_EQ(ReadBytes(output_), old);
  struct stat after {};
  ASSERT_EQ(::stat(output_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not even replaced by a copy
}

const BadInputCase kBadInputCases[] = {
    {"MissingFile", false, {}},
    {"EmptyFile", true, {}},
    {"TruncatedHeader", true, Bytes("GIF89a\x14\x00")},
    {"UnknownVersion", true,
     Bytes(std::string("GIF88a\x01\x00\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00"
                       "\x00\x02\x02\x44\x01\x00\x3b",
                       29))},
    {"PngBytes", true, Bytes(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01", 24))},
    {"Text", true, Bytes("this is not a picture\n")},
    // Screen and palette, then nothing: no image at all.
    {"NoImageBlock", true, {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,   0,
                            0x80, 0,   0,   0,   0,   0,   255, 255, 255, 0x3B}},
};

INSTANTIATE_TEST_SUITE_P(Cli, BadInputTest, ::testing::ValuesIn(kBadInputCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- output that cannot be written ----

TEST(ConvertWriteFailure, MissingFolderIsReportedWithTheWriterCode) {
  TempDir dir;
  std::string in = dir / "in.gif";
  WriteBytes(in, TinyGif());
  std::string out = dir / "no-such-folder/out.gif";

  RunResult r = RunCli({"convert", in, out});

  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "zel-cli: " + std::string(Say(kGifWriteFailedText)) + " (" + out + ")\n");
  EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(ConvertWriteFailure, FolderInTheWayStaysAsItWas) {
  TempDir dir;
  std::string in = dir / "in.gif";
  WriteBytes(in, TinyGif());
  std::string out = dir / "out.gif";
  fs::create_directory(out);
  WriteBytes(fs::path(out) / "keep.txt", Bytes("keep"));

  RunResult r = RunCli({"convert", in, out});

  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(Say(kGifWriteFailedText)), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_directory(out));
  EXPECT_EQ(ReadBytes(fs::path(out) / "keep.txt"), Bytes("keep"));
  // Only the input, the folder and nothing left over from the attempt.
  EXPECT_EQ(CountEntries(dir.path()), 2);
}

// ---- progress bar ----

TEST(ConvertProgress, LongAnimationDrawsABarOnlyOnATerminal) {
  TempDir dir;
  std::string in = dir / "in.gif";
  // 30 frames of 48 x 32 noise in 16 colours.
  std::vector<::zel::testing::Rgb> table;
  for (int i = 0; i < 16; ++i) {
    table.push_back({static_cast<uint8_t>(16 * i), static_cast<uint8_t>(255 - 16 * i), 80});
  }
  ::zel::testing::GifBuilder gif(48, 32, table);
  gif.Looping();
  uint32_t state = 5;
  for (int f = 0; f < 30; ++f) {
    std::vector<uint8_t> pixels(48 * 32);
    for (uint8_t& p : pixels) {
      state = state * 1103515245u + 12345u;
      p = static_cast<uint8_t>((state >> 16) % 16);
    }
    gif.Control(0, 4, 0).Image(0, 0, 48, 32, pixels);
  }
  WriteBytes(in, gif.Trailer().bytes());

  RunResult onTerminal = RunCliOnTerminal({"convert", in, dir / "a.gif"});
  RunResult piped = RunCli({"convert", in, dir / "b.gif"});

  EXPECT_EQ(onTerminal.exitCode, 0) << onTerminal.err;
  EXPECT_NE(onTerminal.err.find("100%"), std::string::npos) << onTerminal.err;
  EXPECT_NE(onTerminal.err.find("elapsed 00:00:"), std::string::npos) << onTerminal.err;
  ASSERT_FALSE(onTerminal.err.empty());
  EXPECT_EQ(onTerminal.err.back(), '\n');  // the shell prompt starts on a line of its own
  EXPECT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(ReadBytes(dir / "a.gif"), ReadBytes(dir / "b.gif"));
}

TEST(ConvertProgress, ShortWriteDrawsNothingEvenOnATerminal) {
  TempDir dir;
  std::string in = dir / "in.gif";
  WriteBytes(in, TinyGif());

  RunResult r = RunCliOnTerminal({"convert", in, dir / "out.gif"});

  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::exists(dir / "out.gif"));
}

// ---- Ctrl-C ----

// An animation that takes zel-cli well over a second to load and write: frames of noise,
// which LZW hardly compresses.
std::vector<uint8_t> SlowAnimation(int frameCount) {
  FrameSet frames(frameCount);
  frames.screenWidth = 640;
  frames.screenHeight = 480;
  frames.paletteCount = 256;
  for (int i = 0; i < 256; ++i) {
    frames.palette[i] = Rgbq{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 0, 0};
  }
  uint32_t seed = 12345;
  for (int f = 0; f < frameCount; ++f) {
    Frame& frame = frames.frame(f);
    frame.image = NewPicture(640, 480, 8, 256, frames.palette.data());
    for (int y = 0; y < 480; ++y) {
      uint8_t* row = frame.image.Row(y);
      for (int x = 0; x < 640; ++x) {
        seed = seed * 1664525u + 1013904223u;
        row[x] = static_cast<uint8_t>(seed >> 24);
      }
    }
    frames.count = f + 1;
  }
  std::vector<uint8_t> gif;
  EXPECT_EQ(BuildGifFile(frames, /*rawCodes=*/true, nullptr, gif), kGifWriteOk);
  return gif;
}

TEST(ConvertInterrupt, CtrlCCancelsAndLeavesTheOutputAsItWas) {
  TempDir dir;
  std::string in = dir / "in.gif";
  std::string out = dir / "out.gif";
  WriteBytes(in, SlowAnimation(150));
  const std::vector<uint8_t> old = Bytes("GIF89a the file before");
  WriteBytes(out, old);

  RunResult r = RunCliInterrupted({"convert", in, out}, 300);

  EXPECT_EQ(r.exitCode, 130);
  EXPECT_EQ(r.err, "zel-cli: cancelled; " + out + " was not changed\n");
  EXPECT_EQ(ReadBytes(out), old);
  EXPECT_EQ(CountEntries(dir.path()), 2);  // no temporary file left behind
}

}  // namespace
}  // namespace zel::clitest
