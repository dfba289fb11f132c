// Reading an animation the peers optimised and writing it again: ImageMagick must show the
// written file exactly as it shows the original, transparency included.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "interop/interop_helpers.h"
#include "interop/interop_sources.h"

namespace zel::interop {
namespace {

struct RoundTripCase {
  const char* name;
  Source source;
  const char* optimize;  // gifsicle options, or null to take the source as made
  bool rawCodes;
};

const RoundTripCase kRoundTripCases[] = {
    {"opaque_O3", Source::kOpaque, "-O3", false},
    {"opaque_O3_raw_codes", Source::kOpaque, "-O3", true},
    {"alpha_O3", Source::kAlpha, "-O3", false},
    {"sprite_O3", Source::kSprite, "-O3", false},
    {"local_only_mixed_O3", Source::kLocalOnlyMixed, "-O3", false},
    // Frames left in their own palettes are written with a palette each.
    {"local_only", Source::kLocalOnly, nullptr, false},
    {"local_only_cleared", Source::kLocalOnlyCleared, nullptr, false},
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.name;
}

class GifRoundTripInterop : public testing::TestWithParam<RoundTripCase> {
 protected:
  TempDir work_;
};

TEST_P(GifRoundTripInterop, MagickShowsWrittenFileLikeOriginal) {
  const RoundTripCase& c = GetParam();
  std::string original = MakeSource(c.source, work_.path());
  ASSERT_FALSE(original.empty());
  if (c.optimize != nullptr) {
    std::string optimized = work_.File("optimized.gif");
    std::string command =
        std::string("gifsicle ") + c.optimize + " " + Quote(original) + " -o " + Quote(optimized);
    CommandResult result = RunCommand(command);
    ASSERT_EQ(result.status, 0) << command << "\n" << result.output;
    original = optimized;
  }
  FrameSet frames(256);
  ASSERT_TRUE(LoadGifAnimation(original, frames, 256));
  std::string written = work_.File("written.gif");
  ASSERT_EQ(WriteGifFile(frames, written, c.rawCodes, nullptr), kGifWriteOk);

  std::optional<std::vector<MagickFrame>> want = ReadWithMagick(original, true, work_.path());
  std::optional<std::vector<MagickFrame>> have = ReadWithMagick(written, true, work_.path());
  ASSERT_TRUE(want && have);
  ASSERT_EQ(have->size(), want->size());
  for (size_t f = 0; f < want->size(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const MagickFrame& a = (*want)[f];
    const MagickFrame& b = (*have)[f];
    EXPECT_EQ(b.delay, a.delay);
    ASSERT_EQ(b.image.width, a.image.width);
    ASSERT_EQ(b.image.height, a.image.height);
    int mismatches = 0;
    for (int y = 0; y < a.image.height; ++y) {
      for (int x = 0; x < a.image.width; ++x) {
        Rgba p = a.image.At(x, y);
        Rgba q = b.image.At(x, y);
        bool same = (p.a == 0 && q.a == 0) || p == q;
        if (!same && ++mismatches <= 5) {
          ADD_FAILURE() << "(" << x << "," << y << ") original (" << int(p.r) << "," << int(p.g)
                        << "," << int(p.b) << "," << int(p.a) << "), written (" << int(q.r) << ","
                        << int(q.g) << "," << int(q.b) << "," << int(q.a) << ")";
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Peers, GifRoundTripInterop, testing::ValuesIn(kRoundTripCases),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zel::interop
