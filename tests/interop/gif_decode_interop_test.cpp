// The GIF reader against gifsicle, ImageMagick and giflib: animations written and optimised
// by the peers in many ways are read, and every frame is compared pixel by pixel with what
// ImageMagick shows (composed) and with what giflib reads (frames as stored).

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "imagefiles/gif_decoder.h"
#include "interop/interop_helpers.h"
#include "interop/interop_sources.h"

namespace zel::interop {
namespace {

struct DecodeCase {
  const char* name;
  Source source;
  // Shell command making the file under test; "{in}" and "{out}" stand for the quoted
  // source and result paths. Null: the source itself.
  const char* command;
  // What the file must contain for the case to test what its name says.
  unsigned features;
};

const DecodeCase kDecodeCases[] = {
    {"opaque_magick", Source::kOpaque, nullptr, kLocalTable},
    {"opaque_gifsicle_O2", Source::kOpaque, "gifsicle -O2 {in} -o {out}", kSubRectangle},
    {"opaque_gifsicle_O3", Source::kOpaque, "gifsicle -O3 {in} -o {out}",
     kSubRectangle | kTransparency},
    {"opaque_gifsicle_interlace", Source::kOpaque, "gifsicle --interlace {in} -o {out}",
     kInterlaced},
    {"opaque_gifsicle_colors64", Source::kOpaque, "gifsicle --colors 64 {in} -o {out}", 0},
    {"opaque_magick_optimize", Source::kOpaque, "convert {in} -layers Optimize {out}",
     kSubRectangle},
    {"opaque_magick_optimize_transparency", Source::kOpaque,
     "convert {in} -layers OptimizeTransparency {out}", kLocalTable | kTransparency},
    {"opaque_magick_optimize_plus", Source::kOpaque, "convert {in} -layers OptimizePlus {out}",
     kSubRectangle},
    {"alpha_magick", Source::kAlpha, nullptr, kTransparency | kDisposeBackground},
    // gifsicle keeps frames that are disposed to background whole unless it unoptimises first.
    {"alpha_gifsicle_O2", Source::kAlpha, "gifsicle -U -O2 {in} -o {out}",
     kSubRectangle | kTransparency | kDisposeBackground},
    {"alpha_gifsicle_O3", Source::kAlpha, "gifsicle -U -O3 {in} -o {out}",
     kSubRectangle | kTransparency | kDisposeBackground},
    {"alpha_gifsicle_O2_interlace", Source::kAlpha,
     "gifsicle -U -O2 {in} | gifsicle --interlace -o {out}", kSubRectangle | kInterlaced},
    {"alpha_magick_optimize", Source::kAlpha, "convert {in} -layers Optimize {out}",
     kTransparency | kDisposePrevious},
    {"alpha_magick_optimize_plus", Source::kAlpha,
     "convert {in} -coalesce -layers OptimizePlus {out}",
     kSubRectangle | kLocalTable | kTransparency | kDisposeBackground | kDisposePrevious},
    {"sprite_magick", Source::kSprite, nullptr, kSubRectangle | kLocalTable | kTransparency},
    {"sprite_gifsicle_O3", Source::kSprite, "gifsicle -O3 {in} -o {out}",
     kSubRectangle | kTransparency},
    {"sprite_gifsicle_dispose_background", Source::kSprite,
     "gifsicle --disposal background {in} -o {out}", kSubRectangle | kDisposeBackground},
    {"sprite_gifsicle_dispose_previous", Source::kSprite,
     "gifsicle --disposal previous {in} -o {out}", kSubRectangle | kDisposePrevious},
    {"sprite_gifsicle_mixed_disposal", Source::kSprite,
     "gifsicle -D none {in} '#0' -D previous {in} '#1' -D background {in} '#2' "
     "-D none {in} '#3' '#4' -o {out}",
     kSubRectangle | kDisposePrevious | kDisposeBackground},
    {"sprite_magick_dispose_background", Source::kSprite,
     "convert {in} -set dispose Background {out}", kSubRectangle | kDisposeBackground},
    // The first frame keeps its picture: ImageMagick shows the screen before the first frame
    // in the background colour when that frame has no transparency, where this program (like
    // web browsers) starts from a transparent screen.
    {"sprite_magick_dispose_previous", Source::kSprite,
     "convert {in} -set dispose Previous '(' -clone 0 -set dispose None ')' -swap 0,-1 +delete "
     "{out}",
     kSubRectangle | kDisposePrevious},
    {"local_only_giflib", Source::kLocalOnly, nullptr, kNoGlobalTable | kLocalTable},
    {"local_only_cleared_giflib", Source::kLocalOnlyCleared, nullptr,
     kNoGlobalTable | kLocalTable | kTransparency | kDisposeBackground},
    {"local_only_mixed_giflib", Source::kLocalOnlyMixed, nullptr,
     kNoGlobalTable | kLocalTable | kSubRectangle | kTransparency | kDisposeBackground |
         kDisposePrevious},
    {"local_only_mixed_gifsicle_O2", Source::kLocalOnlyMixed, "gifsicle -O2 {in} -o {out}",
     kSubRectangle | kTransparency},
    {"still_magick", Source::kStill, nullptr, 0},
    {"still_gifsicle_interlace", Source::kStill, "gifsicle --interlace {in} -o {out}", kInterlaced},
    {"still_offset_transparent", Source::kSprite, "gifsicle -S 120x80 -p 5,7 {in} '#1' -o {out}",
     kSubRectangle | kTransparency},
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

std::string Substitute(std::string command, const std::string& in, const std::string& out) {
  for (const auto& [key, value] :
       {std::pair{std::string("{in}"), Quote(in)}, std::pair{std::string("{out}"), Quote(out)}}) {
    for (size_t at = command.find(key); at != std::string::npos; at = command.find(key, at)) {
      command.replace(at, key.size(), value);
      at += value.size();
    }
  }
  return command;
}

class GifDecodeInterop : public testing::TestWithParam<DecodeCase> {
 protected:
  static void SetUpTestSuite() { sources_ = new TempDir(); }
  static void TearDownTestSuite() {
    delete sources_;
    sources_ = nullptr;
    paths_.clear();
  }

  // The source file, made on first use and shared by the cases.
  static std::string SourcePath(Source source) {
    auto found = paths_.find(source);
    if (found != paths_.end()) return found->second;
    std::string path = MakeSource(source, sources_->path());
    if (!path.empty()) paths_[source] = path;
    return path;
  }

  // Makes the case's file into work_ and reads it with giflib; sets path_ and info_.
  void PrepareCase() {
    const DecodeCase& c = GetParam();
    std::string source = SourcePath(c.source);
    ASSERT_FALSE(source.empty()) << "cannot make source " << SourceName(c.source);
    path_ = source;
    if (c.command != nullptr) {
      path_ = work_.File(std::string(c.name) + ".gif");
      std::string command = Substitute(c.command, source, path_);
      CommandResult result = RunCommand(command);
      ASSERT_EQ(result.status, 0) << command << "\n" << result.output;
    }
    info_ = ReadWithGiflib(path_);
    ASSERT_TRUE(info_);
    unsigned has = FeaturesOf(*info_);
    ASSERT_EQ(has & c.features, c.features)
        << "the input lacks what this case is about; it has " << DescribeFeatures(has);
  }

  static inline TempDir* sources_ = nullptr;
  static inline std::map<Source, std::string> paths_;
  TempDir work_;
  std::string path_;
  std::optional<GiflibFile> info_;
};

// LoadGifAnimation shows every frame as ImageMagick's -coalesce does (a single picture as
// stored), in colours, transparency, size, delay and looping.
TEST_P(GifDecodeInterop, LoadedFramesMatchMagick) {
  ASSERT_NO_FATAL_FAILURE(PrepareCase());
  bool still = info_->images.size() == 1;
  std::optional<std::vector<MagickFrame>> reference = ReadWithMagick(path_, !still, work_.path());
  ASSERT_TRUE(reference);
  FrameSet frames(256);
  ASSERT_TRUE(LoadGifAnimation(path_, frames, 256)) << path_;
  EXPECT_EQ(frames.loop, info_->hasLoopBlock ? 1 : 0);
  ExpectFramesMatchMagick(frames, *reference, path_);
}

// ReadGifFile keeps each image block as stored: position, size, delay, disposal method,
// transparent index and the colour of every pixel agree with giflib.
TEST_P(GifDecodeInterop, RawFramesMatchGiflib) {
  ASSERT_NO_FATAL_FAILURE(PrepareCase());
  FrameSet frames(256);
  ASSERT_EQ(ReadGifFile(path_, frames, 256), kGifReadOk) << path_;
  ASSERT_EQ(frames.count, static_cast<int>(info_->images.size()));
  EXPECT_EQ(frames.screenWidth, info_->screenWidth);
  EXPECT_EQ(frames.screenHeight, info_->screenHeight);
  for (int i = 0; i < frames.count; ++i) {
    SCOPED_TRACE(path_ + " frame " + std::to_string(i));
    const Frame& frame = frames.frame(i);
    const GiflibImage& image = info_->images[static_cast<size_t>(i)];
    ASSERT_TRUE(frame.image);
    DibHeader header = frame.image.Header();
    ASSERT_EQ(header.bitCount, 8);
    ASSERT_EQ(header.width, image.width);
    ASSERT_EQ(header.height, image.height);
    ASSERT_EQ(image.raster.size(), size_t(image.width) * image.height);
    EXPECT_EQ(frame.left, image.left);
    EXPECT_EQ(frame.top, image.top);
    EXPECT_EQ(frame.delay, image.delay);
    EXPECT_EQ(frame.disposalMethod, image.disposal);
    EXPECT_EQ(frame.transparentIndex, image.transparentIndex);
    const std::vector<Rgba>& map =
        image.localColors.empty() ? info_->globalColors : image.localColors;
    int mismatches = 0;
    std::string first;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        int want = image.raster[size_t(y) * image.width + x];
        int have = PixelIndex(frame.image, x, y);
        bool ok;
        if (want == image.transparentIndex || have == frame.transparentIndex) {
          ok = want == image.transparentIndex && have == frame.transparentIndex;
        } else {
          ok = have < static_cast<int>(frame.image.ColorCount()) &&
               want < static_cast<int>(map.size()) &&
               ColorOf(frame.image, have) == map[static_cast<size_t>(want)];
        }
        if (!ok && ++mismatches <= 5) {
          first += "  (" + std::to_string(x) + "," + std::to_string(y) + ") giflib index " +
                   std::to_string(want) + ", ours " + std::to_string(have) + "\n";
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << "pixels differing from giflib:\n" << first;
  }
}

INSTANTIATE_TEST_SUITE_P(Peers, GifDecodeInterop, testing::ValuesIn(kDecodeCases),
                         [](const testing::TestParamInfo<DecodeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zel::interop
