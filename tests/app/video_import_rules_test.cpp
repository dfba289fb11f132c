#include "app/video_import_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/language_scope.h"

namespace zel {
namespace {

TEST(VideoImportRules, TimesInSecondsOrMinutesAndSeconds) {
  struct Case {
    const char* text;
    std::optional<double> seconds;
  } cases[] = {
      {"12", 12.0},     {"12.5", 12.5},      {"0", 0.0},           {"1:02.5", 62.5},
      {"1:00:00", 3600.0}, {"", std::nullopt}, {"-1", std::nullopt}, {"+3", std::nullopt},
      {"1:60", std::nullopt}, {"1.5:00", std::nullopt}, {"1::2", std::nullopt},
      {"1:2:3:4", std::nullopt}, {"1e3", std::nullopt}, {"24:00:01", std::nullopt},
      {"nan", std::nullopt}, {"3 ", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseVideoSeconds(c.text), c.seconds) << '"' << c.text << '"';
  }
}

TEST(VideoImportRules, FirstValuesFollowTheClip) {
  VideoInfo info;
  info.width = info.displayWidth = 1920;
  info.height = 1080;
  info.durationSeconds = 12.5;
  info.frameRate = 29.97;
  VideoImportSettings s = DefaultVideoSettings(info);
  EXPECT_EQ(s.width, 480);
  EXPECT_DOUBLE_EQ(s.fps, 10);
  EXPECT_DOUBLE_EQ(s.start, 0);
  EXPECT_DOUBLE_EQ(s.length, 12.5);
  EXPECT_EQ(s.colors, 256);
  EXPECT_TRUE(s.highQuality);
  // A small, slow clip: its own width and rate.
  info.width = info.displayWidth = 200;
  info.frameRate = 6;
  s = DefaultVideoSettings(info);
  EXPECT_EQ(s.width, 200);
  EXPECT_DOUBLE_EQ(s.fps, 6);
}

TEST(VideoImportRules, ThePlanLineSaysFramesSizeAndMemoryOrTheReason) {
  testing::LanguageScope japanese(Language::kJapanese);
  VideoImportPlan plan;
  plan.frames = 150;
  plan.width = 480;
  plan.height = 270;
  plan.resultBytes = 3 * 1024 * 1024 / 2;
  EXPECT_EQ(VideoPlanText(plan), "150ｺﾏ  480 x 270  1.5 MB");
  plan.check = VideoImportResult::kTooManyFrames;
  EXPECT_EQ(VideoPlanText(plan), "150ｺﾏ  480 x 270  1.5 MB\n" +
                                     std::string(VideoImportMessage(plan.check)));
  testing::LanguageScope english(Language::kEnglish);
  plan.check = VideoImportResult::kDone;
  EXPECT_EQ(VideoPlanText(plan), "150 frames  480 x 270  1.5 MB");
}

TEST(VideoImportRules, VideoFileNamesByTheirExtension) {
  for (const char* name : {"a.mp4", "b.MOV", "dir.x/c.webm", "d.mkv", "e.Avi", "f.m4v"}) {
    EXPECT_TRUE(IsVideoFileName(name)) << name;
  }
  // Pictures, animations the loader reads itself, and names without an extension.
  for (const char* name : {"a.gif", "b.webp", "c.png", "mp4", "dir.mp4/file", "e.mp4.bak"}) {
    EXPECT_FALSE(IsVideoFileName(name)) << name;
  }
}

}  // namespace
}  // namespace zel
