// Command lines zel-cli must refuse or explain without touching any file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace zel::clitest {
namespace {

struct ArgumentCase {
  const char* name;
  std::vector<std::string> args;  // "@" at the start of an argument stands for the temp folder
  int exitCode;
  const char* stdoutHas;  // "" when stdout must be empty
  const char* stderrHas;  // "" when stderr must be empty
};

void PrintTo(const ArgumentCase& c, std::ostream* os) {
  *os << c.name;
}

class ArgumentTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentTest, ExitCodeAndMessage) {
  const ArgumentCase& c = GetParam();
  TempDir dir;
  // A valid GIF, so only the argument under test can be at fault.
  for (const char* name : {"in.gif", "in.png", "in.tif"}) WriteBytes(dir.path() / name, TinyGif());
  std::vector<std::string> args;
  for (const std::string& a : c.args) {
    args.push_back(!a.empty() && a[0] == '@' ? dir / a.substr(1) : a);
  }

  RunResult r = RunCli(args);

  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  if (*c.stdoutHas) {
    EXPECT_NE(r.out.find(c.stdoutHas), std::string::npos) << r.out;
  } else {
    EXPECT_EQ(r.out, "");
  }
  if (*c.stderrHas) {
    EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
  } else {
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(CountEntries(dir.path()), 3);  // nothing but the inputs
}

const ArgumentCase kArgumentCases[] = {
    {"NoArguments", {}, 2, "", "usage: zel-cli"},
    {"Help", {"--help"}, 0, "usage: zel-cli", ""},
    {"UnknownCommand", {"frobnicate", "@in.gif"}, 2, "", "unknown command 'frobnicate'"},
    {"InfoWithoutFile", {"info"}, 2, "", "usage: zel-cli"},
    {"InfoWithTwoFiles", {"info", "@in.gif", "@in.gif"}, 2, "", "usage: zel-cli"},
    {"ConvertWithoutOutput", {"convert", "@in.gif"}, 2, "", "usage: zel-cli"},
    {"ConvertToTiff",
     {"convert", "@in.gif", "@out.tif"},
     2,
     "",
     "zel-cli: writing .tif files is not supported; use .gif, .bmp, .jpg, .ico, .webp or .png"},
    {"LossyForPng",
     {"convert", "@in.gif", "@out.png", "--lossy", "50"},
     2,
     "",
     "zel-cli: --lossy is for a .webp output, not .png"},
    {"LossyOutOfRange",
     {"convert", "@in.gif", "@out.webp", "--lossy", "101"},
     2,
     "",
     "zel-cli: --lossy needs a number from 0 to 100, not '101'"},
    {"LossyWithoutQuality",
     {"convert", "@in.gif", "@out.webp", "--lossy"},
     2,
     "",
     "zel-cli: --lossy needs a number from 0 to 100"},
    {"ConvertToGifx",
     {"convert", "@in.gif", "@out.gifx"},
     2,
     "",
     "zel-cli: writing .gifx files is not supported; use .gif, .bmp, .jpg, .ico, .webp or .png"},
    {"ConvertToNameWithoutExtension",
     {"convert", "@in.gif", "@out"},
     2,
     "",
     "writing extensionless files is not supported"},
    {"ConvertFromTiff",
     {"convert", "@in.tif", "@out.gif"},
     2,
     "",
     "zel-cli: reading .tif files is not supported; zel-cli reads .gif, .bmp, .jpg, .png and .webp"},
    {"InfoOfTiff", {"info", "@in.tif"}, 2, "", "zel-cli: reading .tif files is not supported"},
    {"QualityOutOfRange",
     {"convert", "@in.gif", "@out.jpg", "--quality", "29"},
     2,
     "",
     "--quality needs a number from 30 to 100"},
    {"QualityWithoutNumber", {"convert", "@in.gif", "@out.jpg", "--quality"}, 2, "", "--quality"},
};

INSTANTIATE_TEST_SUITE_P(Cli, ArgumentTest, testing::ValuesIn(kArgumentCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zel::clitest
