// Inputs the fuzz targets (fuzz/) once caught, replayed through the program's own readers:
// each must be refused cleanly or read to a sound result. The files live in
// tests/fixtures/fuzz/<target>/, where scripts/fuzz also starts from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "document/frame_set.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/memory_budget.h"
#include "platform/profile_file.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

// The settings read from a file survive being written back and read again.
::testing::AssertionResult ReplaySettings(const std::string& path) {
  ProfileFile file;
  if (!file.Load(path)) return ::testing::AssertionFailure() << "cannot load";
  const AppSettings settings = LoadAppSettings(file, "/pictures");
  StoreAppSettings(settings, file);
  ProfileFile again;
  again.Parse(file.Text());
  const AppSettings reread = LoadAppSettings(again, "/pictures");
  if (reread == settings) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "settings changed on their way through the file";
}

// Refused, or read to whole frames that together stay within the memory budget.
::testing::AssertionResult ReplayGifAnimation(const std::string& path) {
  FrameSet frames(kFrameMaxDefault);
  const int result = LoadGifAnimationFile(path, frames, kFrameMaxDefault);
  if (result != kGifReadOk) {
    if (result < 0 && frames.count == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "code " << result << " with " << frames.count << " frames";
  }
  uint64_t bytes = 0;
  for (int i = 0; i < frames.count; ++i) {
    const PackedDib& image = frames.frame(i).image;
    if (image && !IsWholePicture(image)) {
      return ::testing::AssertionFailure() << "frame " << i << " is not whole";
    }
    bytes += image.size();
  }
  if (bytes > PictureMemoryBudget()) {
    return ::testing::AssertionFailure() << bytes << " bytes of frames";
  }
  return ::testing::AssertionSuccess();
}

struct Target {
  const char* folder;
  std::function<::testing::AssertionResult(const std::string&)> replay;
};

TEST(FuzzRegression, EveryKeptInputIsReadSoundly) {
  const Target targets[] = {
      {"gif_animation", ReplayGifAnimation},
      {"settings", ReplaySettings},
  };
  for (const Target& target : targets) {
    const fs::path folder = fs::path(ZEL_FIXTURES_DIR) / "fuzz" / target.folder;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder)) inputs.push_back(entry.path());
    EXPECT_FALSE(inputs.empty()) << folder;
    for (const fs::path& input : inputs) {
      EXPECT_TRUE(target.replay(input.string())) << input;
    }
  }
}

}  // namespace
}  // namespace zel
