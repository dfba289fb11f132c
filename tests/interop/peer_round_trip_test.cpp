// Files made by the peers (ImageMagick, gifsicle, FFmpeg, Pillow), opened and saved without
// an edit as a user does (`zel-cli convert IN OUT.gif`, the editor's own load and save).
// Three viewers decode original and saved file to composed RGBA frames: this program's
// loader, giflib with a browser-style composer (libpng for a PNG original) and headless
// Chromium, the reference where peers disagree. Every viewer must show the saved file
// exactly as Chromium shows the original: every pixel, the delays and the loop count. On
// the originals the viewers must already agree with Chromium.
//
// Chromium starts once for the whole table, so the table is one test.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "interop/chromium_decoder.h"
#include "interop/composed_animation.h"
#include "interop/giflib_composer.h"
#include "interop/interop_helpers.h"
#include "interop/interop_sources.h"

namespace zel::interop {
namespace {

// What an original must hold for its row to test what the row is about, beyond the
// GifFeature bits.
constexpr unsigned kAll256Opaque = 1u << 16;      // no transparency; the first image uses
                                                  // all 256 entries of its table
constexpr unsigned kLocalTables256 = 1u << 17;    // two or more local tables of 256 entries
constexpr unsigned kPalettePngCutOut = 1u << 18;  // a palette PNG with tRNS, its pixels only
                                                  // clear or opaque

// Processor seconds of the children that have ended, so that the summary shows what each row
// costs apart from a busy machine's waiting.
double ChildSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Runs a peer's command; "" and a test failure when it fails.
std::string Make(const std::string& command, const std::string& out) {
  CommandResult result = RunCommand(command);
  if (result.status != 0 || !Exists(out)) {
    ADD_FAILURE() << command << "\n" << result.output;
    return "";
  }
  return out;
}

// Three 256 x 24 frames that each use the same colours (every row holds all of them), no
// transparency, delays 7, 12 and 20: colour index BaseIndex of a table of `count`.
constexpr int kBaseDelays[] = {7, 12, 20};
int BaseIndex(int x, int y, int frame, int count) {
  return (x + 5 * y + 40 * frame) % count;
}

// giflib: the frames in `count` colours, without a looping extension; the input the
// ImageMagick and gifsicle rows rewrite (ImageMagick is slow to make a file from pixels).
std::string GiflibBase(int count, const std::string& dir) {
  const std::string path = dir + "/giflib_" + std::to_string(count) + ".gif";
  if (Exists(path)) return path;
  std::vector<GiflibFrameSpec> frames;
  for (int k = 0; k < 3; ++k) {
    GiflibFrameSpec f;
    f.width = 256;
    f.height = 24;
    f.delay = kBaseDelays[k];
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 256; ++x) {
        f.indices.push_back(static_cast<uint8_t>(BaseIndex(x, y, k, count)));
      }
    }
    frames.push_back(std::move(f));
  }
  return WriteWithGiflib(path, 256, 24, DistinctColors(count, 41), frames) ? path : "";
}

// The colour of the 128-colour input at (x, y) of `frame`, as ImageMagick writes colours.
std::string BaseColour(int x, int y, int frame) {
  const Rgba c = DistinctColors(128, 41)[static_cast<size_t>(BaseIndex(x, y, frame, 128))];
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

// A peer rewriting the `count`-colour input: `command` names it {in} and the result {out}.
std::string Rewrite(int count, std::string command, const std::string& dir,
                    const std::string& name) {
  const std::string in = GiflibBase(count, dir);
  if (in.empty()) return "";
  const std::string out = dir + "/" + name + ".gif";
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"{in}", Quote(in)},
                                   std::pair<std::string, std::string>{"{out}", Quote(out)}}) {
    for (size_t at = command.find(key); at != std::string::npos; at = command.find(key)) {
      command.replace(at, key.size(), value);
    }
  }
  return Make(command, out);
}

std::string Ffmpeg(const std::string& source, const std::string& filters,
                   const std::string& options, const std::string& dir, const std::string& name) {
  const std::string out = dir + "/" + name + ".gif";
  std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i " + Quote(source);
  if (!filters.empty()) command += " -vf " + Quote(filters);
  return Make(command + " " + options + " " + Quote(out), out);
}

// The testsrc2 pattern with strong noise, so that a palette of 256 colours is used in full.
constexpr char kNoisyPattern[] = "testsrc2=s=256x32:r=10:d=0.3,noise=alls=100:allf=t+u";

constexpr char kPillowScript[] = R"PY(
import sys
from PIL import Image, ImageDraw

mode, out = sys.argv[1], sys.argv[2]

def palette(seed):
    # Odd steps per channel: the 256 entries are all different.
    return [c for i in range(256)
            for c in ((i * 7 + seed * 50) % 256, (i * 13 + seed * 90) % 256,
                      (i * 29 + seed * 30) % 256)]

if mode == 'loop3':
    frames = []
    for k in range(3):
        im = Image.new('P', (160, 32))
        im.putpalette(palette(k))
        im.putdata([(x + 160 * y + 11 * k) % 256 for y in range(32) for x in range(160)])
        frames.append(im)
    frames[0].save(out, save_all=True, append_images=frames[1:], loop=3,
                   duration=[70, 120, 200], optimize=False)
elif mode == 'offsets':
    base = Image.new('P', (128, 32))
    base.putpalette(palette(3))
    base.putdata([(x // 4 + 9 * (y // 4)) % 64 for y in range(32) for x in range(128)])
    frames = [base]
    for k in range(1, 4):
        im = base.copy()
        for y in range(4 + 3 * k, 14 + 4 * k):
            for x in range(25 * k, 25 * k + 20):
                im.putpixel((x, y), 64 + (x * 3 + y * 5 + k) % 150)
        frames.append(im)
    frames[0].save(out, save_all=True, append_images=frames[1:],
                   duration=[50, 60, 80, 90], optimize=False)
elif mode == 'png':
    im = Image.new('P', (64, 32), 0)
    im.putpalette([0, 0, 0, 200, 40, 30, 30, 90, 220, 250, 220, 40])
    draw = ImageDraw.Draw(im)
    draw.ellipse((4, 4, 28, 28), fill=1)
    draw.rectangle((34, 6, 58, 26), fill=2)
    draw.line((0, 31, 63, 0), fill=3)
    im.save(out, transparency=0)
)PY";

std::string Pillow(const std::string& mode, const std::string& dir, const std::string& out) {
  const std::string script = dir + "/make_with_pillow.py";
  if (!Exists(script)) {
    WriteFileBytes(script, std::vector<uint8_t>(kPillowScript,
                                                kPillowScript + std::strlen(kPillowScript)));
  }
  return Make("/usr/bin/python3 " + Quote(script) + " " + mode + " " + Quote(out), out);
}

struct PeerRow {
  const char* name;
  std::string (*make)(const std::string& dir);  // the original in `dir`, "" on failure
  unsigned features;                             // GifFeature bits and those above
  int loop;                                      // the original's loop count
};

const PeerRow kRows[] = {
    {"magick_256_colours",
     [](const std::string& dir) {
       return Rewrite(256, "/usr/bin/convert {in} -loop 0 {out}", dir, "magick_256_colours");
     },
     kAll256Opaque, kViewerLoopsForever},
    // The loop and interlace rows leave a table entry free, so that nothing but what they
    // are about can fail them.
    {"gifsicle_loop_3",
     [](const std::string& dir) {
       return Rewrite(128, "gifsicle --loopcount=3 {in} -o {out}", dir, "gifsicle_loop_3");
     },
     0, 3},
    {"gifsicle_once",
     [](const std::string& dir) {
       return Rewrite(128, "gifsicle --no-loopcount {in} -o {out}", dir, "gifsicle_once");
     },
     0, kViewerPlaysOnce},
    {"gifsicle_interlaced",
     [](const std::string& dir) {
       return Rewrite(128, "gifsicle --interlace --loopcount=forever {in} -o {out}", dir,
                      "gifsicle_interlaced");
     },
     kInterlaced, kViewerLoopsForever},
    {"gifsicle_sub_frames",
     [](const std::string& dir) {
       // Frames 1 and 2 cut down to rectangles that stay where they were.
       return Rewrite(128,
                      "gifsicle --loopcount=forever {in} '#0' --crop 40,4+64x12 -p 40,4 {in} '#1' "
                      "--crop 100,8+80x14 -p 100,8 {in} '#2' -o {out}",
                      dir, "gifsicle_sub_frames");
     },
     kSubRectangle, kViewerLoopsForever},
    {"magick_sub_frames",
     [](const std::string& dir) {
       // Frame 1 cut down, its top-left colour made transparent, cleared afterwards; frame 2
       // cut down and kept.
       return Rewrite(128,
                      "/usr/bin/convert {in}'[0]' -dispose Background '(' {in}'[1]' -crop "
                      "64x12+40+4 -transparent '" +
                          BaseColour(40, 4, 1) +
                          "' ')' -dispose None '(' {in}'[2]' -crop 80x14+100+8 ')' -loop 0 {out}",
                      dir, "magick_sub_frames");
     },
     kSubRectangle | kTransparency | kDisposeBackground, kViewerLoopsForever},
    {"ffmpeg_palettegen_256",
     [](const std::string& dir) {
       return Ffmpeg(kNoisyPattern,
                     "split[a][b];[a]palettegen=max_colors=256:reserve_transparent=0:"
                     "stats_mode=full[p];[b][p]paletteuse=dither=none",
                     "-gifflags -transdiff", dir, "ffmpeg_palettegen_256");
     },
     kAll256Opaque, kViewerLoopsForever},
    {"ffmpeg_local_tables",
     [](const std::string& dir) {
       return Ffmpeg(kNoisyPattern,
                     "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1", "",
                     dir, "ffmpeg_local_tables");
     },
     kLocalTables256, kViewerLoopsForever},
    {"ffmpeg_plain",
     [](const std::string& dir) {
       return Ffmpeg("testsrc2=s=96x32:r=10:d=0.3", "", "", dir, "ffmpeg_plain");
     },
     kSubRectangle | kTransparency, kViewerLoopsForever},
    {"pillow_loop_3_local_tables",
     [](const std::string& dir) {
       return Pillow("loop3", dir, dir + "/pillow_loop_3_local_tables.gif");
     },
     kAll256Opaque | kLocalTables256, 3},
    {"pillow_once_sub_frames",
     [](const std::string& dir) {
       return Pillow("offsets", dir, dir + "/pillow_once_sub_frames.gif");
     },
     kSubRectangle, kViewerPlaysOnce},
    {"pillow_png_transparent",
     [](const std::string& dir) { return Pillow("png", dir, dir + "/pillow_transparent.png"); },
     kPalettePngCutOut, kViewerPlaysOnce},
    {"magick_png8_transparent",
     [](const std::string& dir) {
       const std::string out = dir + "/magick_transparent.png";
       return Make("/usr/bin/convert -size 64x32 xc:none +antialias -fill '#c83c1e' -draw "
                   "'circle 18,16 18,4' -fill '#1e5adc' -draw 'rectangle 36,6 58,26' PNG8:" +
                       Quote(out),
                   out);
     },
     kPalettePngCutOut, kViewerPlaysOnce},
};

bool IsPng(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
}

// "" when the original has everything its row asks for, else what it lacks.
std::string CheckOriginal(const PeerRow& row, const std::string& path) {
  std::string lacking;
  if (IsPng(path)) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    if (bytes.size() < 26 || bytes[25] != 3) lacking += "not a palette PNG; ";
    if (text.find("tRNS") == std::string::npos) lacking += "no tRNS chunk; ";
    std::optional<ComposedAnimation> png = ComposeWithLibpng(path);
    bool clear = false, partial = false;
    if (png) {
      for (const Rgba& p : png->frames[0].pixels) {
        clear = clear || p.a == 0;
        partial = partial || (p.a != 0 && p.a != 255);
      }
    }
    if (!clear || partial) lacking += "not a cut-out (clear and opaque pixels only); ";
    return lacking;
  }
  std::optional<GiflibFile> file = ReadWithGiflib(path);
  if (!file || file->images.empty()) return "unreadable for giflib";
  const unsigned gifFeatures = row.features & 0xFFFFu;
  const unsigned has = FeaturesOf(*file);
  if ((has & gifFeatures) != gifFeatures) {
    lacking += "has only " + DescribeFeatures(has) + ", needs " + DescribeFeatures(gifFeatures) +
               "; ";
  }
  if (row.features & kAll256Opaque) {
    const GiflibImage& first = file->images[0];
    const size_t table =
        first.localColors.empty() ? file->globalColors.size() : first.localColors.size();
    const std::set<uint8_t> used(first.raster.begin(), first.raster.end());
    if (has & kTransparency) lacking += "a transparent colour; ";
    if (table != 256 || used.size() != 256) {
      lacking += "the first image uses " + std::to_string(used.size()) + " of " +
                 std::to_string(table) + " colours; ";
    }
  }
  if (row.features & kLocalTables256) {
    int tables = 0;
    for (const GiflibImage& image : file->images) tables += image.localColors.size() == 256;
    if (tables < 2) lacking += std::to_string(tables) + " local tables of 256; ";
  }
  const int loop = !file->hasLoopBlock    ? kViewerPlaysOnce
                   : file->loopCount == 0 ? kViewerLoopsForever
                                          : file->loopCount;
  if (loop != row.loop) lacking += "loops " + DescribeLoop(loop) + "; ";
  return lacking;
}

TEST(PeerRoundTrip, OpenAndSaveKeepsWhatEveryViewerShows) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  TempDir work;
  ASSERT_FALSE(work.path().empty());

  struct Prepared {
    const PeerRow* row;
    std::string original;
    std::string saved;
    double seconds;     // making and saving, wall clock
    double cpuSeconds;  // the same, the peers' and zel-cli's processor time
  };
  std::vector<Prepared> prepared;
  std::vector<ChromiumInput> inputs;
  for (const PeerRow& row : kRows) {
    SCOPED_TRACE(row.name);
    const Clock::time_point rowStart = Clock::now();
    const double rowCpu = ChildSeconds();
    const std::string original = row.make(work.path());
    if (original.empty()) continue;
    if (std::string lacking = CheckOriginal(row, original); !lacking.empty()) {
      ADD_FAILURE() << row.name << ": the original does not show what the row is about: "
                    << lacking;
      continue;
    }
    const std::string saved = work.File(std::string(row.name) + "_saved.gif");
    const std::string command =
        Quote(ZEL_CLI_PATH) + " convert " + Quote(original) + " " + Quote(saved);
    if (CommandResult run = RunCommand(command); run.status != 0) {
      ADD_FAILURE() << row.name << ": " << command << "\n" << run.output;
      continue;
    }
    prepared.push_back({&row, original, saved,
                        std::chrono::duration<double>(Clock::now() - rowStart).count(),
                        ChildSeconds() - rowCpu});
    inputs.push_back({std::string(row.name) + ".original", original,
                      IsPng(original) ? "image/png" : "image/gif"});
    inputs.push_back({std::string(row.name) + ".saved", saved, "image/gif"});
  }
  const Clock::time_point made = Clock::now();
  const double chromiumCpu = ChildSeconds();

  std::optional<std::map<std::string, ComposedAnimation>> chromium =
      DecodeWithChromium(inputs, work.path());
  ASSERT_TRUE(chromium);
  const Clock::time_point decoded = Clock::now();

  std::string summary;
  for (const Prepared& p : prepared) {
    const std::string name = p.row->name;
    SCOPED_TRACE(name);
    auto reference = chromium->find(name + ".original");
    if (reference == chromium->end()) continue;  // already a failure
    const ComposedAnimation& want = reference->second;

    struct View {
      const char* viewer;
      const char* file;
      std::optional<ComposedAnimation> decoded;
    };
    std::vector<View> views;
    views.push_back({"ours", "original", ComposeWithOurReader(p.original)});
    if (IsPng(p.original)) {
      views.push_back({"libpng", "original", ComposeWithLibpng(p.original)});
    } else {
      views.push_back({"giflib", "original", ComposeWithGiflib(p.original)});
    }
    views.push_back({"ours", "saved", ComposeWithOurReader(p.saved)});
    views.push_back({"giflib", "saved", ComposeWithGiflib(p.saved)});
    auto savedInChromium = chromium->find(name + ".saved");
    if (savedInChromium != chromium->end()) {
      views.push_back({"Chromium", "saved", savedInChromium->second});
    }

    std::string rowFailures;
    for (const View& view : views) {
      if (!view.decoded) continue;  // already a failure
      const std::string difference = DescribeDifference(want, *view.decoded);
      if (difference.empty()) continue;
      const std::string what = std::string(view.viewer) + " on the " + view.file;
      ADD_FAILURE() << name << ": " << what << " differs from Chromium on the original: "
                    << difference;
      rowFailures += (rowFailures.empty() ? "" : ", ") + what;
    }
    char took[32];
    std::snprintf(took, sizeof took, " (%.2f s, processor %.2f s)", p.seconds, p.cpuSeconds);
    summary += "  " + name + took + ": " +
               (rowFailures.empty() ? "ok" : "differs: " + rowFailures) + "\n";
  }

  const auto seconds = [](Clock::duration d) {
    return std::chrono::duration<double>(d).count();
  };
  std::printf(
      "%zu of %zu rows made and saved in %.1f s, Chromium %.1f s (processor %.1f s), compared "
      "in %.1f s\n%s",
      prepared.size(), std::size(kRows), seconds(made - start), seconds(decoded - made),
      ChildSeconds() - chromiumCpu, seconds(Clock::now() - decoded), summary.c_str());
}

}  // namespace
}  // namespace zel::interop
