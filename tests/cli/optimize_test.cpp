// `zel-cli convert --optimize` and `zel-cli edit --optimize`: the GIF shows the same frames
// as without the option, in a smaller file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "imagefiles/gif_encoder.h"
#include "support/animation_cases.h"

namespace zel::clitest {
namespace {

// Every frame composed by ImageMagick, as RGBA bytes with transparent pixels zeroed.
std::string Shown(const std::string& gif) {
  std::string rgba;
  EXPECT_TRUE(ImageMagick({gif, "-coalesce", "rgba:-"}, &rgba)) << gif;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    if (rgba[i + 3] == 0) rgba.replace(i, 3, 3, '\0');
  }
  return rgba;
}

class CliOptimize : public ::testing::Test {
 protected:
  void SetUp() override {
    FrameSet frames = testing::MakeMovingObject(120, 90, 8);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(BuildGifFile(frames, false, nullptr, bytes), kGifWriteOk);
    source_ = (dir_.path() / "moving.gif").string();
    WriteBytes(source_, bytes);
  }
  std::string File(const char* name) const { return (dir_.path() / name).string(); }

  TempDir dir_;
  std::string source_;
};

TEST_F(CliOptimize, ConvertAndEditWriteTheSameFramesSmaller) {
  struct Case {
    const char* name;
    std::vector<std::string> plain, optimized;
  } cases[] = {
      {"convert",
       {"convert", source_, File("plain.gif")},
       {"convert", source_, File("optimized.gif"), "--optimize"}},
      {"edit",
       {"edit", source_, File("plain.gif"), "--reverse", "--delay", "all=7"},
       {"edit", source_, "--optimize", "--reverse", "-o", File("optimized.gif"), "--delay",
        "all=7"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult plain = RunCli(c.plain);
    RunResult optimized = RunCli(c.optimized);
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    ASSERT_EQ(optimized.exitCode, 0) << optimized.err;
    size_t plainSize = ReadBytes(File("plain.gif")).size();
    size_t optimizedSize = ReadBytes(File("optimized.gif")).size();
    EXPECT_LT(optimizedSize * 2, plainSize);
    EXPECT_EQ(Shown(File("optimized.gif")), Shown(File("plain.gif")));
  }
}

TEST_F(CliOptimize, OptionTakesNoValue) {
  RunResult result = RunCli({"edit", source_, File("out.gif"), "--optimize=yes"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--optimize takes no value"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace zel::clitest
