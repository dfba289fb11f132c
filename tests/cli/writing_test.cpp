// How zel-cli replaces files: through symbolic links, never over a read-only file, keeping
// the old file's permissions, for every format it writes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "cli_runner.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  const char* input;  // made in the test folder
};

class CliWriting : public testing::TestWithParam<Target> {
 protected:
  void SetUp() override {
    WriteBytes(dir_.path() / "tiny.gif", TinyGif());
    if (std::string(GetParam().input) == "deep.bmp") {
      if (!ImageMagick({"-size", "4x4", "xc:#3366CC", "-type", "TrueColor", dir_ / "deep.bmp"})) {
        GTEST_SKIP() << "ImageMagick's convert is not installed";
      }
    }
    input_ = dir_ / GetParam().input;
    output_ = dir_ / (std::string("art/") + GetParam().name);
    fs::create_directory(dir_.path() / "art");
  }

  RunResult Convert(const std::string& to) { return RunCli({"convert", input_, to}); }

  TempDir dir_;
  std::string input_, output_;
};

TEST_P(CliWriting, SavesThroughLinksKeepsModesAndLeavesReadOnlyFilesAlone) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  WriteBytes(output_, old);
  ASSERT_EQ(chmod(output_.c_str(), 0640), 0);
  const std::string link = dir_ / (std::string("link-") + GetParam().name);
  fs::create_symlink(fs::path("art") / GetParam().name, link);

  RunResult through = Convert(link);
  ASSERT_EQ(through.exitCode, 0) << through.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), fs::path("art") / GetParam().name);
  EXPECT_NE(ReadBytes(output_), old);
  struct stat st;
  ASSERT_EQ(stat(output_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(CountEntries(dir_.path() / "art"), 1);

  const std::vector<uint8_t> written = ReadBytes(output_);
  ASSERT_EQ(chmod(output_.c_str(), 0444), 0);
  for (const std::string& to : {output_, link}) {
    RunResult refused = Convert(to);
    EXPECT_EQ(refused.exitCode, 1) << to;
    EXPECT_NE(refused.err.find("画像ファイルに書き込みできません．"), std::string::npos)
        << refused.err;
    EXPECT_EQ(ReadBytes(output_), written) << to;
  }
  EXPECT_EQ(CountEntries(dir_.path() / "art"), 1);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliWriting,
                         testing::Values(Target{"out.gif", "tiny.gif"},
                                         Target{"out.bmp", "tiny.gif"},
                                         Target{"out.jpg", "deep.bmp"},
                                         Target{"out.webp", "tiny.gif"},
                                         Target{"out.png", "tiny.gif"}),
                         [](const testing::TestParamInfo<Target>& info) {
                           std::string name = info.param.name;
                           return name.substr(name.find('.') + 1);
                         });

}  // namespace
}  // namespace zel::clitest
