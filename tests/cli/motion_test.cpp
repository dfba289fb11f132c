// `zel-cli motions` and `zel-cli edit --motion`: the definitions of zel.ini and the data
// folder (the built-in ones installed on first use), and frames moved exactly as the core
// moves them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/document_state.h"
#include "editor_load.h"
#include "generators/motion_command.h"
#include "imagefiles/image_loader.h"
#include "platform/profile_file.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

using zel::testing::GifBuilder;
using zel::testing::Rgb;

class MotionCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // zel-cli inherits these: its zel.ini and data folder are the test's own.
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    std::vector<Rgb> colors;
    for (int i = 0; i < 16; ++i) colors.push_back({uint8_t(i * 16), uint8_t(255 - i * 16), 9});
    GifBuilder gif(24, 16, colors);
    gif.Looping();
    for (int f = 0; f < 6; ++f) {
      std::vector<uint8_t> pixels(24 * 16);
      for (int p = 0; p < 24 * 16; ++p)
        pixels[p] = static_cast<uint8_t>((p % 24 + p / 24 + f) % 15);
      gif.Control(0x05, 10, 15);
      gif.Image(0, 0, 24, 16, pixels);
    }
    input_ = dir_ / "in.gif";
    WriteBytes(input_, gif.Trailer().bytes());
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
  }

  TempDir dir_;
  std::string input_;
};

TEST_F(MotionCliTest, ListsTheBuiltinsWithTheirPoints) {
  const RunResult run = RunCli({"motions"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("motion definitions: 8"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  1 *    279  八の字移動 (figure-eight)\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  5       97  水平 (horizontal)\n"), std::string::npos) << run.out;
  const RunResult english = RunCliInLocale({kEnglishLocale}, {"motions"});
  ASSERT_EQ(english.exitCode, 0) << english.err;
  EXPECT_NE(english.out.find("  1 *    279  Figure eight (figure-eight)\n"), std::string::npos)
      << english.out;
  EXPECT_NE(english.out.find("  5       97  Horizontal (horizontal)\n"), std::string::npos)
      << english.out;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data/Qx/zel/mov8.mtb"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "config/Qx/zel.ini"));
  EXPECT_EQ(RunCli({"motions", "extra"}).exitCode, 2);
}

TEST_F(MotionCliTest, EditMovesEveryFrameAsTheCoreDoes) {
  // A built-in path by its title in either language or its ASCII name, whatever the locale.
  struct Case {
    std::vector<std::string> options;
    int range;
    int32_t flags;
    const char* locale = kJapaneseLocale;
  } cases[] = {
      {{"--motion", "水平"}, 100, kMotionWrap, kEnglishLocale},
      {{"--motion", "Horizontal"}, 100, kMotionWrap},
      {{"--motion", "circle", "--range", "40", "--no-wrap"}, 40, 0},
      {{"--reverse-path", "--motion", "Falling-Leaf"}, 100, kMotionWrap | kMotionReverse},
  };
  ASSERT_EQ(RunCli({"motions"}).exitCode, 0);  // installs the definitions
  ProfileFile profile;
  ASSERT_TRUE(profile.Load(dir_ / "config/Qx/zel.ini"));
  MotionDefinitions defs;
  defs.Load(profile, dir_ / "data/Qx/zel/");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[1]);
    std::vector<std::string> args{"edit", input_};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-o", dir_ / "out.gif"});
    const RunResult run = RunCliInLocale({c.locale}, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    auto expected = Load(input_);
    const std::string name = c.options[0] == "--motion" ? c.options[1] : c.options[2];
    MotionChoice choice{*defs.Read(defs.Find(name)), c.range, c.flags};
    ASSERT_TRUE(MoveAnimation(*expected, choice, 0).done());
    auto out = Load(dir_ / "out.gif");
    ASSERT_EQ(out->frameSet->count, 6);
    for (int i = 0; i < 6; ++i) {
      const PackedDib& a = expected->frameSet->frame(i).image;
      const PackedDib& b = out->frameSet->frame(i).image;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
          const Rgbq ca = a.ColorTable()[a.Row(y)[x]];
          const Rgbq cb = b.ColorTable()[b.Row(y)[x]];
          ASSERT_EQ(ca, cb) << "frame " << i << " at " << x << "," << y;
        }
      }
    }
  }
  // The stored choice of the editor stays as it was.
  ProfileFile after;
  ASSERT_TRUE(after.Load(dir_ / "config/Qx/zel.ini"));
  MotionDefinitions stored;
  stored.Load(after, dir_ / "data/Qx/zel/");
  EXPECT_EQ(stored.info(), (MotionInfo{8, 0, 100, kMotionWrap}));
}

TEST_F(MotionCliTest, RefusesWhatItCannotMove) {
  RunResult run = RunCli({"edit", input_, "--motion", "nowhere", "-o", dir_ / "out.gif"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("figure-eight"), std::string::npos) << run.err;
  EXPECT_EQ(
      RunCli({"edit", input_, "--motion", "box", "--range", "4", "-o", dir_ / "o.gif"}).exitCode,
      2);
  WriteBytes(dir_ / "one.gif", TinyGif());
  run = RunCli({"edit", dir_ / "one.gif", "--motion", "box", "-o", dir_ / "o.gif"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("needs an animation"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "o.gif"));
}

}  // namespace
}  // namespace zel::clitest
