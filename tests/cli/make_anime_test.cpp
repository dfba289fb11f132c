// zel-cli make-anime and edit --effect: the files hold the frames the core generates, the
// names in the program's texts and in ASCII mean the same effect, and what is refused
// writes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/document_state.h"
#include "editor_load.h"
#include "generators/animation_effects.h"
#include "generators/generated_motion.h"
#include "generators/picture_to_animation.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/image_loader.h"
#include "platform/profile_file.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;
using zel::testing::GifBuilder;
using zel::testing::Rgb;

bool SamePixels(const PackedDib& a, const PackedDib& b) {
  const DibHeader h = a.Header();
  if (!b || b.Header().width != h.width || b.Header().height != h.height) return false;
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      const Rgbq ca = a.ColorTable()[a.Row(y)[x]];
      const Rgbq cb = b.ColorTable()[b.Row(y)[x]];
      if (ca.red != cb.red || ca.green != cb.green || ca.blue != cb.blue) return false;
    }
  }
  return true;
}

PackedDib Photo() {
  PackedDib p = NewPicture(50, 40, 24, 0);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) {
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = uint8_t(x * 5);
      px[1] = uint8_t(y * 6);
      px[2] = uint8_t((x * y) & 0xFF);
    }
  }
  return p;
}

TEST(MakeAnimeCli, FramesAndDelaysAreTheGeneratorsAndNamesAreAliases) {
  TempDir dir;
  const std::string in = dir / "photo.bmp";
  ASSERT_TRUE(WriteBmpFile(Photo(), in));
  MakeAnimeOptions options;
  options.effect = Effect::kZoomInOut;
  options.frames = 10;
  options.amplitude = 50;
  options.timeValue = 105;
  options.flags = kMakeAnimePerCycle | kMakeAnimeNoDiffusion;
  GeneratedAnimation expected;
  ASSERT_TRUE(GenerateAnimation(Photo(), -1, kDefaultBackgroundColor, options, 256, nullptr, nullptr,
                              &expected).done());
  std::vector<uint8_t> first;
  // The effect's name in either language or its ASCII name, whatever the locale.
  struct Name {
    const char* locale;
    const char* name;
  } names[] = {{kJapaneseLocale, "ｽﾞｰﾑｲﾝｱｳﾄ"},
               {kEnglishLocale, "ｽﾞｰﾑｲﾝｱｳﾄ"},
               {kJapaneseLocale, "Zoom in and out"},
               {kEnglishLocale, "zoom-in-out"}};
  for (const auto& [locale, name] : names) {
    SCOPED_TRACE(std::string(locale) + " " + name);
    const std::string out = dir / "zoom.gif";
    const RunResult run = RunCliInLocale(
        {locale}, {"make-anime", in, "--effect", name, "--frames", "10", "--amplitude", "50",
                   "--time", "105", "--per-cycle", "--no-diffusion", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    if (first.empty()) {
      first = ReadBytes(out);
    } else {
      EXPECT_EQ(ReadBytes(out), first);
    }
    auto doc = Load(out);
    ASSERT_EQ(doc->frameSet->count, 10);
    for (int i = 0; i < 10; ++i) {
      EXPECT_TRUE(SamePixels(doc->frameSet->frame(i).image, expected.frames->frame(i).image)) << i;
      EXPECT_EQ(doc->frameSet->frame(i).delay, i == 9 ? 15 : 10) << i;  // 105 per cycle
    }
  }
}

// make-anime starts as the editor's dialog does, without error diffusion; --diffusion turns
// it on, and --no-dither is the same as --no-diffusion in make-anime and in edit.
TEST(MakeAnimeCli, DiffusionIsOffByDefaultAsInTheDialogAndHasOneName) {
  TempDir dir;
  const std::string in = dir / "photo.bmp";
  ASSERT_TRUE(WriteBmpFile(Photo(), in));
  auto generated = [](uint32_t flags) {
    MakeAnimeOptions options;
    options.effect = Effect::kWaving;
    options.colorCountIndex = 2;  // 8 colours: 16 with diffusion, 8 without
    options.flags = flags;
    GeneratedAnimation result;
    EXPECT_TRUE(GenerateAnimation(Photo(), -1, kDefaultBackgroundColor, options, 256, nullptr,
                                  nullptr, &result)
                    .done());
    return result;
  };
  const GeneratedAnimation plain = generated(kMakeAnimeNoDiffusion);
  const GeneratedAnimation diffused = generated(0);
  ASSERT_FALSE(SamePixels(plain.frames->frame(0).image, diffused.frames->frame(0).image));
  const struct {
    std::vector<std::string> flags;
    const GeneratedAnimation* expected;
  } cases[] = {
      {{}, &plain},
      {{"--no-diffusion"}, &plain},
      {{"--no-dither"}, &plain},
      {{"--diffusion"}, &diffused},
  };
  for (const auto& c : cases) {
    const std::string out = dir / "out.gif";
    std::vector<std::string> args{"make-anime", in, "--effect", "waving", "--colors", "8"};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    args.insert(args.end(), {"-o", out});
    const RunResult run = RunCli(args);
    const std::string label = c.flags.empty() ? "default" : c.flags[0];
    ASSERT_EQ(run.exitCode, 0) << label << ": " << run.err;
    auto doc = Load(out);
    ASSERT_EQ(doc->frameSet->count, 10) << label;
    for (int i = 0; i < 10; ++i) {
      EXPECT_TRUE(SamePixels(doc->frameSet->frame(i).image, c.expected->frames->frame(i).image))
          << label << " frame " << i;
    }
  }
  std::vector<uint8_t> edited;
  for (const char* name : {"--no-diffusion", "--no-dither"}) {
    const std::string out = dir / "edited.gif";
    const RunResult run = RunCli({"edit", in, "--colors", "8", name, "-o", out});
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
    if (edited.empty()) {
      edited = ReadBytes(out);
    } else {
      EXPECT_EQ(ReadBytes(out), edited) << name;
    }
  }
}

TEST(MakeAnimeCli, RefusedArgumentsWriteNothing) {
  TempDir dir;
  const std::string in = dir / "photo.bmp";
  ASSERT_TRUE(WriteBmpFile(Photo(), in));
  const std::string out = dir / "out.gif";
  const std::vector<std::vector<std::string>> cases = {
      {"--effect", "spin"},     {"--frames", "3"}, {"--frames", "41"},
      {"--amplitude", "101"},   {"--time", "9"},   {"--colors", "12"},
      {"--transparent", "top"}, {"--frames"},      {"--unknown"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"make-anime", in};
    args.insert(args.end(), c.begin(), c.end());
    args.insert(args.end(), {"-o", out});
    const RunResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << c[0];
    EXPECT_FALSE(run.err.empty()) << c[0];
    EXPECT_FALSE(fs::exists(out)) << c[0];
  }
  const RunResult help = RunCli({"help"});
  EXPECT_NE(help.out.find("zoom-in-out (ｽﾞｰﾑｲﾝｱｳﾄ)"), std::string::npos);
  EXPECT_NE(help.out.find("--effect NAME"), std::string::npos);
}

TEST(EditEffectCli, WarpsEveryFrameOrRefusesFewerThanFour) {
  TempDir dir;
  auto write = [&](int frames) {
    std::vector<Rgb> colors;
    for (int i = 0; i < 32; ++i) colors.push_back({uint8_t(i * 8), uint8_t(200 - i * 6), 40});
    GifBuilder gif(30, 20, colors);
    gif.Looping();
    for (int f = 0; f < frames; ++f) {
      std::vector<uint8_t> pixels(600);
      for (int p = 0; p < 600; ++p) pixels[p] = uint8_t((p % 30 + p / 30 + 3 * f) % 30 + 1);
      gif.Control(0x05, 10 + f, 0);
      gif.Image(0, 0, 30, 20, pixels);
    }
    const std::string path = dir / ("in" + std::to_string(frames) + ".gif");
    WriteBytes(path, gif.Trailer().bytes());
    return path;
  };
  const std::string five = write(5);
  auto expected = Load(five);
  ASSERT_TRUE(RunAnimationEffect(*expected, {Effect::kWaving, 70}, nullptr, 0).done());
  for (const char* name : {"バイバイ", "waving"}) {
    const std::string out = dir / "waving.gif";
    const RunResult run = RunCli({"edit", five, "--amplitude", "70", "--effect", name, "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto doc = Load(out);
    ASSERT_EQ(doc->frameSet->count, 5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(SamePixels(doc->frameSet->frame(i).image, expected->frameSet->frame(i).image));
      EXPECT_EQ(doc->frameSet->frame(i).delay, 10 + i);
    }
  }
  const std::string out = dir / "three.gif";
  RunResult run = RunCli({"edit", write(3), "--effect", "punk", "-o", out});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("設定値が範囲外です."), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out));
  run = RunCli({"edit", five, "--effect", "copy", "-o", out});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(fs::exists(out));
}

TEST(MakeAnimeCli, MotionMovesFrameIToStepI) {
  TempDir dir;
  // zel-cli inherits these: its zel.ini and data folder are the test's own.
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  const std::string in = dir / "photo.bmp";
  ASSERT_TRUE(WriteBmpFile(Photo(), in));
  const std::string out = dir / "moved.gif";
  const RunResult run = RunCli({"make-anime", in, "--effect", "turn-left", "--frames", "8",
                                "--motion", "水平", "--range", "60", "--no-wrap", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const RunResult unknown =
      RunCli({"make-anime", in, "--motion", "nowhere", "-o", dir / "none.gif"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_FALSE(fs::exists(dir / "none.gif"));
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("XDG_DATA_HOME");

  ProfileFile profile;
  ASSERT_TRUE(profile.Load(dir / "config/Qx/zel.ini"));
  MotionDefinitions defs;
  defs.Load(profile, dir / "data/Qx/zel/");
  const MotionChoice choice{*defs.Read(defs.Find("水平")), 60, 0};
  const MotionPreparation motion = MotionAlong(choice);
  MakeAnimeOptions options;
  options.effect = Effect::kTurnLeft;
  options.frames = 8;
  options.flags = kMakeAnimeMotion | kMakeAnimeNoDiffusion;  // make-anime's default: no diffusion
  GeneratedAnimation expected, still;
  ASSERT_TRUE(GenerateAnimation(Photo(), -1, kDefaultBackgroundColor, options, 256, &motion, nullptr,
                              &expected).done());
  options.flags = kMakeAnimeNoDiffusion;
  ASSERT_TRUE(GenerateAnimation(Photo(), -1, kDefaultBackgroundColor, options, 256, nullptr, nullptr,
                              &still).done());
  auto doc = Load(out);
  ASSERT_EQ(doc->frameSet->count, 8);
  int moved = 0;
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(SamePixels(doc->frameSet->frame(i).image, expected.frames->frame(i).image)) << i;
    moved += !SamePixels(doc->frameSet->frame(i).image, still.frames->frame(i).image);
  }
  EXPECT_GE(moved, 6);  // the horizontal path moves nearly every frame
}

}  // namespace
}  // namespace zel::clitest
