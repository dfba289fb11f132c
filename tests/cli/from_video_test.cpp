// zel-cli from-video: a stretch of a clip made by FFmpeg into a GIF animation.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/document_state.h"
#include "editor_load.h"
#include "generators/video_animation.h"
#include "resources/string_table.h"
#include "support/video_clips.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;

TEST(FromVideoCli, WritesTheGeneratorsFramesWithTheirDelays) {
  const std::string clip = zel::testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  TempDir dir;
  const std::string out = dir / "clip.gif";
  const RunResult run = RunCli({"from-video", clip, "--start", "0.5", "--duration", "1", "--fps",
                                "15", "--width", "64", "--colors", "128", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto doc = Load(out);
  ASSERT_EQ(doc->frameSet->count, 15);
  EXPECT_EQ(doc->frameSet->screenWidth, 64);
  EXPECT_EQ(doc->frameSet->screenHeight, 48);
  // The same frames as the generator makes.
  VideoImportSettings s;
  s.start = 0.5;
  s.length = 1;
  s.fps = 15;
  s.width = 64;
  s.colors = 128;
  std::unique_ptr<FrameSet> expected;
  ASSERT_EQ(MakeVideoFrames(clip, s, 256, nullptr, &expected), VideoImportResult::kDone);
  for (int i = 0; i < 15; ++i) {
    const PackedDib& got = doc->frameSet->frame(i).image;
    const PackedDib& want = expected->frame(i).image;
    EXPECT_EQ(doc->frameSet->frame(i).delay, i % 3 == 1 ? 6 : 7) << i;
    for (int y = 0; y < 48; ++y) {
      const uint8_t* g = got.Pixels() + got.Stride() * y;
      const uint8_t* w = want.Pixels() + want.Stride() * y;
      for (int x = 0; x < 64; ++x) {
        const Rgbq a = got.ColorTable()[g[x]], b = want.ColorTable()[w[x]];
        ASSERT_TRUE(a.red == b.red && a.green == b.green && a.blue == b.blue)
            << "frame " << i << " at " << x << "," << y;
      }
    }
  }
  // Defaults: the whole clip at 10 frames a second and its own width (under 480).
  const RunResult whole = RunCli({"from-video", clip, "--fast", "-o", out});
  ASSERT_EQ(whole.exitCode, 0) << whole.err;
  doc = Load(out);
  EXPECT_EQ(doc->frameSet->count, 20);
  EXPECT_EQ(doc->frameSet->screenWidth, 160);
}

TEST(FromVideoCli, BrokenClipsAndBadArgumentsWriteNothing) {
  const std::string clip = zel::testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  TempDir dir;
  const std::string out = dir / "out.gif";
  std::vector<uint8_t> bytes = ReadBytes(clip);
  bytes.resize(bytes.size() / 2);
  const std::string cut = dir / "cut.mp4";
  WriteBytes(cut, bytes);
  RunResult run = RunCli({"from-video", cut, "-o", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(MessageText(kMsgBadVideoFile, Language::kJapanese)), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(out));
  run = RunCliInLocale({kEnglishLocale}, {"from-video", cut, "-o", out});
  EXPECT_NE(run.err.find(MessageText(kMsgBadVideoFile, Language::kEnglish)), std::string::npos)
      << run.err;

  const std::vector<std::vector<std::string>> cases = {
      {"--fps", "0"},       {"--fps", "51"},        {"--width", "15"}, {"--colors", "8"},
      {"--colors", "257"},  {"--start", "-1"},      {"--start", "x"},  {"--duration", "0"},
      {"--fps"},            {"--unknown"},          {"second.mp4"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"from-video", clip};
    args.insert(args.end(), c.begin(), c.end());
    args.insert(args.end(), {"-o", out});
    run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << c[0];
    EXPECT_FALSE(run.err.empty()) << c[0];
    EXPECT_FALSE(fs::exists(out)) << c[0];
  }
  // A start past the clip's end: the settings are refused.
  run = RunCli({"from-video", clip, "--start", "5", "-o", out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(out));
  const RunResult help = RunCli({"help"});
  EXPECT_NE(help.out.find("zel-cli from-video IN"), std::string::npos);
}

}  // namespace
}  // namespace zel::clitest
