// Animations and pictures made by the peers (ImageMagick, gifsicle, FFmpeg) saved by
// `zel-cli convert` as animated WebP (lossless and lossy), APNG, still WebP and PNG. Headless
// Chromium decodes originals and outputs in one run: lossless WebP and APNG must show every
// pixel, delay and the loop count of the original as Chromium shows it; lossy WebP stays
// within a PSNR bound. webpinfo must accept every WebP file, libpng and ImageMagick every
// still PNG.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interop/chromium_decoder.h"
#include "interop/composed_animation.h"
#include "interop/interop_helpers.h"
#include "imagefiles/png_writer.h"
#include "imagefiles/webp_writer.h"

namespace zel::interop {
namespace {

// Lossy WebP at quality 80: every frame at least this close to the original (RGB of the
// pixels opaque in the original, and alpha everywhere, each sample 0..255). Drawings of a
// few colours stay above 28 dB (30 to 42 measured); FFmpeg's test pattern, saturated
// detail one pixel wide at 96 x 32, loses most in the halved chroma (its blue alone near
// 18 dB; 22 dB in all) and gets 20 dB.
constexpr double kLossyPsnrBound = 28.0;
constexpr double kLossyPsnrBoundTestPattern = 20.0;

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string Make(const std::string& command, const std::string& out) {
  const CommandResult result = RunCommand(command);
  if (result.status != 0 || !Exists(out)) {
    ADD_FAILURE() << command << "\n" << result.output;
    return "";
  }
  return out;
}

// Three frames with a moving rectangle over a gradient: what the GIF rows start from.
std::string MagickBase(const std::string& dir) {
  const std::string out = dir + "/base.gif";
  if (Exists(out)) return out;
  return Make("/usr/bin/convert -size 80x40 gradient:'#204080-#e0c020' "
              "'(' +clone -fill '#c02020' -draw 'rectangle 5,5 25,25' ')' "
              "'(' +clone -fill '#20c020' -draw 'rectangle 30,8 50,30' ')' "
              "'(' -clone 0 -fill '#2020c0' -draw 'circle 60,20 60,6' ')' -delete 0 "
              "-colors 64 -set delay '%[fx:t==0?5:t==1?12:40]' -loop 0 " +
                  Quote(out),
              out);
}

struct Row {
  const char* name;
  std::string (*make)(const std::string& dir);
  bool animation;
  double lossyPsnrBound = kLossyPsnrBound;
};

const Row kRows[] = {
    {"magick_dispose_background",
     [](const std::string& dir) {
       // Frames cut to rectangles with a transparent colour, cleared after showing.
       const std::string base = MagickBase(dir);
       const std::string out = dir + "/magick_dispose_background.gif";
       return base.empty() ? ""
                           : Make("/usr/bin/convert " + Quote(base) +
                                      "'[0]' -dispose Background '(' " + Quote(base) +
                                      "'[1]' -crop 40x30+10+4 -transparent '#c02020' ')' "
                                      "-dispose None '(' " +
                                      Quote(base) + "'[2]' -crop 30x20+45+10 ')' -loop 0 " +
                                      Quote(out),
                                  out);
     },
     true},
    {"gifsicle_loop_3_delays",
     [](const std::string& dir) {
       const std::string base = MagickBase(dir);
       const std::string out = dir + "/gifsicle_loop_3_delays.gif";
       return base.empty() ? ""
                           : Make("gifsicle -O2 --loopcount=3 -d 3 " + Quote(base) +
                                      " '#0' -d 250 " + Quote(base) + " '#1-2' -o " + Quote(out),
                                  out);
     },
     true},
    {"gifsicle_once_transparent",
     [](const std::string& dir) {
       const std::string base = MagickBase(dir);
       const std::string out = dir + "/gifsicle_once_transparent.gif";
       return base.empty() ? ""
                           : Make("gifsicle --no-loopcount --disposal=previous -t '#c02020' " +
                                      Quote(base) + " -o " + Quote(out),
                                  out);
     },
     true},
    {"ffmpeg_plain",
     [](const std::string& dir) {
       const std::string out = dir + "/ffmpeg_plain.gif";
       return Make("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=96x32:r=10:d=0.4 " +
                       Quote(out),
                   out);
     },
     true, kLossyPsnrBoundTestPattern},
    {"magick_still_transparent",
     [](const std::string& dir) {
       const std::string out = dir + "/magick_still_transparent.gif";
       return Make("/usr/bin/convert -size 40x24 xc:none -fill '#c83c1e' -draw 'circle 12,12 "
                   "12,3' -fill '#1e5adc' -draw 'rectangle 24,4 36,20' " +
                       Quote(out),
                   out);
     },
     false},
    {"magick_still_24_bit",
     [](const std::string& dir) {
       const std::string out = dir + "/magick_still_24_bit.png";
       return Make("/usr/bin/convert -size 48x24 gradient:'#ff0000-#0000ff' -depth 8 "
                   "PNG24:" +
                       Quote(out),
                   out);
     },
     false},
};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The animation as its timeline: consecutive frames that show the same pixels become one
// with the sum of their delays (a WebP encoder stores them so).
ComposedAnimation Timeline(const ComposedAnimation& a) {
  ComposedAnimation out = a;
  out.frames.clear();
  out.delays.clear();
  for (size_t i = 0; i < a.frames.size(); ++i) {
    if (!out.frames.empty()) {
      ComposedAnimation one = a, two = a;
      one.frames = {out.frames.back()};
      two.frames = {a.frames[i]};
      if (DescribeDifference(one, two).empty()) {
        out.delays.back() += a.delays[i];
        continue;
      }
    }
    out.frames.push_back(a.frames[i]);
    out.delays.push_back(a.delays[i]);
  }
  return out;
}

// PSNR of `have` against `want` (same size): RGB where `want` is opaque, alpha everywhere.
double Psnr(const RgbaImage& want, const RgbaImage& have) {
  double sum = 0;
  size_t samples = 0;
  for (size_t i = 0; i < want.pixels.size(); ++i) {
    const Rgba& a = want.pixels[i];
    const Rgba& b = have.pixels[i];
    const double da = double(a.a) - b.a;
    sum += da * da;
    ++samples;
    if (a.a == 255) {
      for (const auto& [x, y] : {std::pair{a.r, b.r}, {a.g, b.g}, {a.b, b.b}}) {
        sum += (double(x) - y) * (double(x) - y);
        ++samples;
      }
    }
  }
  if (sum == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 / (sum / double(samples)));
}

// Animations no GIF holds, made here: frames with colour tables of their own (stored as
// RGBA, with the transparent index clear) and frames of 24 bits (stored as RGB).
Rgbq Hue(int i, int shift) {
  return {uint8_t(i * 37 + shift), uint8_t(i * 71 + 2 * shift), uint8_t(255 - i * 13), 0};
}

FrameSet MadeHere(bool fullColour) {
  constexpr int kWidth = 40, kHeight = 24;
  FrameSet set(8);
  set.screenWidth = kWidth;
  set.screenHeight = kHeight;
  set.count = 3;
  set.transparentIndex = fullColour ? -1 : 1;
  set.loopCount = 2;
  for (int f = 0; f < set.count; ++f) {
    // A block that moves over a fixed pattern; the last frame changes nothing but the
    // table (or nothing at all in full colour).
    const int left = 4 + 10 * std::min(f, 1);
    auto index = [&](int x, int y) {
      if (x >= left && x < left + 12 && y >= 6 && y < 18) return 2 + f % 2;
      return (x / 5 + y / 4) % 3 == 0 ? 1 : 4 + (x + y) % 3;
    };
    Rgbq table[8];
    for (int i = 0; i < 8; ++i) table[i] = Hue(i, 40 * f);
    PackedDib picture = NewPicture(kWidth, kHeight, fullColour ? 24 : 8, fullColour ? 0 : 8,
                                   fullColour ? nullptr : table);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = picture.Row(y);
      for (int x = 0; x < kWidth; ++x) {
        const int i = index(x, y);
        if (fullColour) {
          const Rgbq c = Hue(i, f == 2 ? 40 : 40 * f);
          row[3 * x] = c.blue;
          row[3 * x + 1] = c.green;
          row[3 * x + 2] = c.red;
        } else {
          row[x] = static_cast<uint8_t>(i);
        }
      }
    }
    set.frame(f).image = std::move(picture);
    set.frame(f).delay = 4 + 9 * f;
  }
  return set;
}

ComposedAnimation ComposedFrom(const FrameSet& set) {
  ComposedAnimation out;
  out.width = set.screenWidth;
  out.height = set.screenHeight;
  out.loop = set.loopCount == 0 ? kViewerLoopsForever : set.loopCount;
  for (int f = 0; f < set.count; ++f) {
    PictureLayout layout;
    EXPECT_EQ(CheckPictureLayout(set.frame(f).image, &layout), PictureWriteResult::kOk);
    std::vector<uint8_t> rgba;
    PictureToRgba(set.frame(f).image, layout, set.transparentIndex, rgba);
    RgbaImage image(out.width, out.height);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
      image.pixels[i] = {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]};
    }
    out.frames.push_back(std::move(image));
    out.delays.push_back(set.frame(f).delay);
  }
  return out;
}

TEST(AnimatedOutput, WebpAndPngShowWhatTheOriginalShows) {
  TempDir work;
  ASSERT_FALSE(work.path().empty());

  struct Prepared {
    const Row* row;
    std::string original;
  };
  std::vector<Prepared> prepared;
  std::vector<ChromiumInput> inputs;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string original = row.make(work.path());
    if (original.empty()) continue;
    const std::string name = row.name;
    struct Output {
      const char* suffix;
      const char* options;
      const char* mime;
    };
    const Output outputs[] = {{".webp", "", "image/webp"},
                              {"_lossy.webp", " --lossy 80", "image/webp"},
                              {".png", "", "image/png"}};
    bool written = true;
    for (const Output& output : outputs) {
      const std::string path = work.File(name + output.suffix);
      const std::string command = Quote(ZEL_CLI_PATH) + " convert " + Quote(original) + " " +
                                  Quote(path) + output.options;
      if (const CommandResult run = RunCommand(command); run.status != 0) {
        ADD_FAILURE() << command << "\n" << run.output;
        written = false;
        continue;
      }
      inputs.push_back({name + output.suffix, path, output.mime});
      if (EndsWith(path, ".webp")) {
        const CommandResult info = RunCommand("webpinfo -quiet " + Quote(path));
        EXPECT_EQ(info.status, 0) << path << " refused by webpinfo:\n" << info.output;
      }
    }
    if (!written) continue;
    inputs.push_back({name + ".original", original,
                      EndsWith(original, ".png") ? "image/png" : "image/gif"});
    prepared.push_back({&row, original});
  }
  ASSERT_EQ(prepared.size(), std::size(kRows));
  std::map<std::string, ComposedAnimation> madeHere;
  for (const bool fullColour : {false, true}) {
    const std::string name = fullColour ? "full_colour_frames" : "frames_with_own_tables";
    const FrameSet set = MadeHere(fullColour);
    madeHere[name] = ComposedFrom(set);
    const std::string png = work.File(name + ".png");
    const std::string webp = work.File(name + ".webp");
    ASSERT_EQ(WritePngAnimation(set, png, nullptr), PictureWriteResult::kOk);
    ASSERT_EQ(WriteWebpAnimation(set, webp, WebpOptions{}, nullptr), PictureWriteResult::kOk);
    const std::vector<uint8_t> bytes = ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[25], fullColour ? 2 : 6) << name << ": colour type";
    inputs.push_back({name + ".png", png, "image/png"});
    inputs.push_back({name + ".webp", webp, "image/webp"});
  }

  const std::optional<std::map<std::string, ComposedAnimation>> chromium =
      DecodeWithChromium(inputs, work.path());
  ASSERT_TRUE(chromium);

  for (const auto& [name, want] : madeHere) {
    SCOPED_TRACE(name);
    const auto png = chromium->find(name + ".png");
    const auto webp = chromium->find(name + ".webp");
    if (png == chromium->end() || webp == chromium->end()) continue;
    EXPECT_EQ(DescribeDifference(want, png->second), "") << "APNG";
    EXPECT_EQ(DescribeDifference(Timeline(want), webp->second), "") << "lossless WebP";
  }

  for (const Prepared& p : prepared) {
    const std::string name = p.row->name;
    SCOPED_TRACE(name);
    const auto original = chromium->find(name + ".original");
    const auto webp = chromium->find(name + ".webp");
    const auto lossy = chromium->find(name + "_lossy.webp");
    const auto png = chromium->find(name + ".png");
    if (original == chromium->end() || webp == chromium->end() || lossy == chromium->end() ||
        png == chromium->end()) {
      continue;  // already a failure
    }
    const ComposedAnimation& want = original->second;
    if (p.row->animation) {
      ASSERT_GE(want.frames.size(), 2u) << "the original is no animation";
      EXPECT_GE(png->second.frames.size(), 2u);
    }
    EXPECT_EQ(DescribeDifference(want, png->second), "") << "APNG";
    EXPECT_EQ(DescribeDifference(Timeline(want), webp->second), "") << "lossless WebP";

    const ComposedAnimation timeline = Timeline(want);
    const ComposedAnimation& have = lossy->second;
    ASSERT_EQ(have.frames.size(), timeline.frames.size()) << "lossy WebP";
    if (p.row->animation) {
      EXPECT_EQ(have.delays, timeline.delays) << "lossy WebP";
      EXPECT_EQ(have.loop, timeline.loop) << "lossy WebP";
    }
    for (size_t f = 0; f < have.frames.size(); ++f) {
      const double psnr = Psnr(timeline.frames[f], have.frames[f]);
      EXPECT_GE(psnr, p.row->lossyPsnrBound) << "lossy WebP frame " << f;
      std::printf("%s: lossy WebP frame %zu at %.1f dB\n", name.c_str(), f, psnr);
    }

    if (!p.row->animation) {
      // The still PNG through libpng, and ImageMagick reads it as the same picture.
      const std::string path = work.File(name + ".png");
      const std::optional<ComposedAnimation> viaLibpng = ComposeWithLibpng(path);
      ASSERT_TRUE(viaLibpng);
      EXPECT_EQ(DescribeDifference(want, *viaLibpng), "") << "libpng";
      const std::optional<std::vector<MagickFrame>> viaMagick =
          ReadWithMagick(path, false, work.path());
      ASSERT_TRUE(viaMagick);
      ASSERT_EQ(viaMagick->size(), 1u);
      ComposedAnimation magick;
      magick.width = (*viaMagick)[0].image.width;
      magick.height = (*viaMagick)[0].image.height;
      magick.frames = {(*viaMagick)[0].image};
      magick.delays = {0};
      EXPECT_EQ(DescribeDifference(want, magick), "") << "ImageMagick";
    }
  }
}

}  // namespace
}  // namespace zel::interop
