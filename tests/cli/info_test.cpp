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
  EXPECT_EQ(report.header["loop"], "forever");
  EXPECT_EQ(report.header["transparent"], "none");  // no frame declares one
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
    EXPECT_EQ(f["transparent"], "none");
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
    transparent.push_back((*m)[1].matched ? (*m)[1].str() : "none");
  }
  ASSERT_EQ(transparent.size(), 3u) << gifsicleReport;

  InfoReport report = RunInfo(gif);

  EXPECT_EQ(report.header["loop"], "once");  // no looping extension any more
  EXPECT_EQ(report.header["transparent"], "mixed");  // frame 0 declares 1, the others 0
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

// Frames smaller than the screen are reported with their own size and place, as gifsicle
// reports them; the loop count is the file's.
TEST_F(InfoTest, FrameRectanglesAndLoopCountAsGifsicleReportsThem) {
  std::string gif = dir_ / "placed.gif";
  ASSERT_TRUE(ImageMagick({"-size", "160x120", "xc:red", "-page", "+0+50", "-size", "35x60",
                           "xc:blue", "-page", "+100+7", "-size", "20x9", "xc:lime", "-loop", "3",
                           gif}));
  std::string gifsicleReport;
  ASSERT_TRUE(RunTool({"gifsicle", "--info", gif}, &gifsicleReport));
  std::vector<std::pair<std::string, std::string>> rectangles;
  std::regex imageLine(R"(\+ image #\d+ (\d+x\d+)(?: at (\d+,\d+))?)");
  for (std::sregex_iterator m(gifsicleReport.begin(), gifsicleReport.end(), imageLine), end;
       m != end; ++m) {
    rectangles.emplace_back((*m)[1].str(), (*m)[2].matched ? (*m)[2].str() : "0,0");
  }
  ASSERT_EQ(rectangles.size(), 3u) << gifsicleReport;
  EXPECT_EQ(rectangles[1], std::make_pair(std::string("35x60"), std::string("0,50")));
  // ImageMagick's "-loop 3" (plays three times) is the count 2 in the file.
  std::smatch loop;
  ASSERT_TRUE(std::regex_search(gifsicleReport, loop, std::regex(R"(loop count (\d+))")))
      << gifsicleReport;
  EXPECT_EQ(loop[1].str(), "2");

  InfoReport report = RunInfo(gif);

  EXPECT_EQ(report.header["screen"], "160x120");
  EXPECT_EQ(report.header["loop"], loop[1].str());
  ASSERT_EQ(report.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(report.frames[i]["size"], rectangles[i].first);
    EXPECT_EQ(report.frames[i]["position"], rectangles[i].second);
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
