// `zel-cli info` on animations made by ImageMagick and gifsicle, checked against what the
// tools were told to write and against gifsicle's own report of the file.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "resources/string_table.h"

namespace zel::clitest {
namespace {

struct InfoReport {
  std::map<std::string, std::string> header;               // "screen" -> "20x10", ...
  std::vector<std::map<std::string, std::string>> frames;  // column name -> value
};

// Header lines are "name value"; the frame table starts at the line beginning "frame ".
InfoReport ParseInfo(const std::string& text) {
  InfoReport report;
  std::istringstream lines(text);
  std::string line;
  std::vector<std::string> columns;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    if (columns.empty() && w[0] == "frame") {
      columns = w;
    } else if (columns.empty()) {
      EXPECT_EQ(w.size(), 2u) << "header line: " << line;
      report.header[w[0]] = w.size() > 1 ? w[1] : "";
    } else {
      EXPECT_EQ(w.size(), columns.size()) << "frame line: " << line;
      std::map<std::string, std::string> row;
      for (size_t i = 0; i < w.size() && i < columns.size(); ++i) row[columns[i]] = w[i];
      report.frames.push_back(row);
    }
  }
  return report;
}

InfoReport RunInfo(const std::string& path) {
  RunResult r = RunCli({"info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return ParseInfo(r.out);
}

class InfoTest : public testing::Test {
 protected:
  void SetUp() override {
    if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  }
  TempDir dir_;
};

TEST_F(InfoTest, ReportsScreenAndEveryFrameOfAnImageMagickAnimation) {
  std::string gif = dir_ / "anim.gif";
  ASSERT_TRUE(ImageMagick({"-delay", "7", "-size", "20x10", "xc:red", "-delay", "25", "xc:blue",
                           "-delay", "130", "xc:lime", "-loop", "0", gif}));

  InfoReport report = RunInfo(gif);

  EXPECT_EQ(report.header["screen"], "20x10");
  EXPECT_EQ(report.header["frames"], "3");
  EXPECT_EQ(report.header["loop"], "1");
  ASSERT_EQ(report.frames.size(), 3u);
  const char* delays[] = {"7", "25", "130"};
  const char* seconds[] = {"0.07", "0.25", "1.30"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    auto& f = report.frames[i];
    EXPECT_EQ(f["frame"], std::to_string(i));
    EXPECT_EQ(f["size"], "20x10");
    EXPECT_EQ(f["position"], "0,0");
    EXPECT_EQ(f["delay"], delays[i]);
    EXPECT_EQ(f["seconds"], seconds[i]);
    EXPECT_EQ(f["transparent"], "-1");
  }
  // Three colours in one animation: the frames share one palette after loading.
  EXPECT_GE(std::stoi(report.header["palette"]), 3);
}

// gifsicle rewrites the control fields; its own report of the file is the reference.
TEST_F(InfoTest, ControlFieldsMatchGifsicleReport) {
  std::string source = dir_ / "source.gif";
  std::string gif = dir_ / "edited.gif";
  ASSERT_TRUE(
      ImageMagick({"-size", "20x10", "xc:red", "xc:blue", "xc:white", "-loop", "0", source}));
  ASSERT_TRUE(RunTool({"gifsicle", "--no-loopcount", "--disposal=background", "--transparent=1",
                       "-d", "150", source, "-o", gif}));
  std::string gifsicleReport;
  ASSERT_TRUE(RunTool({"gifsicle", "--info", gif}, &gifsicleReport));
  std::vector<std::string> transparent;
  std::regex imageLine(R"(\+ image #\d+ \d+x\d+(?: transparent (\d+))?)");
  for (std::sregex_iterator m(gifsicleReport.begin(), gifsicleReport.end(), imageLine), end;
       m != end; ++m) {
    transparent.push_back((*m)[1].matched ? (*m)[1].str() : "-1");
  }
  ASSERT_EQ(transparent.size(), 3u) << gifsicleReport;

  InfoReport report = RunInfo(gif);

  EXPECT_EQ(report.header["loop"], "0");  // no looping extension any more
  ASSERT_EQ(report.frames.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    auto& f = report.frames[i];
    EXPECT_EQ(f["delay"], "150");
    EXPECT_EQ(f["seconds"], "1.50");
    // Disposal "restore to background" is method 2 (packed byte 0x08); the frame's
    // `disposal` field reads bits 3-4 of that byte, which gives 1.
    EXPECT_EQ(f["method"], "2");
    EXPECT_EQ(f["disposal"], "1");
    EXPECT_EQ(f["transparent"], transparent[i]);
  }
}

// More frames than the editor's default frame maximum (256) must all be read.
TEST_F(InfoTest, ReadsMoreFramesThanTheDefaultMaximum) {
  std::string two = dir_ / "two.gif";
  std::string gif = dir_ / "long.gif";
  ASSERT_TRUE(ImageMagick({"-size", "4x3", "xc:red", "xc:blue", two}));
  std::vector<std::string> gifsicle{"gifsicle", two};
  for (int i = 0; i < 150; ++i) gifsicle.push_back("#0-1");  // both frames, 150 times over
  gifsicle.insert(gifsicle.end(), {"-o", gif});
  ASSERT_TRUE(RunTool(gifsicle));

  InfoReport report = RunInfo(gif);

  EXPECT_EQ(report.header["frames"], "300");
  ASSERT_EQ(report.frames.size(), 300u);
  EXPECT_EQ(report.frames[299]["frame"], "299");
  EXPECT_EQ(report.frames[299]["size"], "4x3");
}

}  // namespace
}  // namespace zel::clitest
