// `zel-cli midi-tempo` on files made by a MIDI tool and by hand, and `zel-cli preview` with
// a stand-in browser opener.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "platform/process.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ReadTextFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(MidiTempoCommand, ReadsTheTempoOfAFileMadeByAMidiTool) {
  const std::string csvmidi = FindExecutable("csvmidi");
  if (csvmidi.empty()) GTEST_SKIP() << "csvmidi (package midicsv) is not installed";
  TempDir dir;
  // Two tracks, the tempo (128 beats per minute) in the second, behind a note.
  std::ofstream(dir / "song.csv") << "0, 0, Header, 1, 2, 480\n"
                                     "1, 0, Start_track\n"
                                     "1, 0, Title_t, \"song\"\n"
                                     "1, 0, End_track\n"
                                     "2, 0, Start_track\n"
                                     "2, 0, Note_on_c, 0, 60, 100\n"
                                     "2, 0, Note_on_c, 0, 64, 100\n"
                                     "2, 0, Tempo, 468750\n"
                                     "2, 480, Note_off_c, 0, 60, 0\n"
                                     "2, 480, End_track\n"
                                     "0, 0, End_of_file\n";
  ASSERT_TRUE(RunTool({csvmidi, dir / "song.csv", dir / "song.mid"}));
  RunResult r = RunCli({"midi-tempo", dir / "song.mid"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "tempo: 128 beats per minute (468750 microseconds per beat)\n"
            "1 beat:  0.47 s\n"
            "2 beats: 0.94 s\n"
            "3 beats: 1.41 s\n"
            "4 beats: 1.88 s\n");
}

TEST(MidiTempoCommand, FilesWithoutATempoFail) {
  TempDir dir;
  // A header and one track that only ends.
  WriteBytes(dir / "silent.mid", {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                                  96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0});
  WriteBytes(dir / "picture.mid", TinyGif());
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  };
  const Case cases[] = {
      {{"midi-tempo", dir / "silent.mid"}, 1, "no track holds a tempo event"},
      {{"midi-tempo", dir / "picture.mid"}, 1, "not a MIDI file"},
      {{"midi-tempo", dir / "missing.mid"}, 1, "cannot be read"},
      {{"midi-tempo"}, 2, "usage: zel-cli"},
  };
  for (const Case& c : cases) {
    RunResult r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

class PreviewCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(bin_.path());
    gif_ = files_ / "my \"anim\" #1.gif";
    WriteBytes(gif_, testing::GifBuilder(2, 1, {{0, 0, 0}, {255, 255, 255}})
                         .Looping()
                         .Control(0x04, 10, 0)
                         .Image(0, 0, 2, 1, {0, 1})
                         .Control(0x04, 10, 0)
                         .Image(0, 0, 2, 1, {1, 0})
                         .Trailer()
                         .bytes());
  }
  TempDir config_;
  TempDir bin_;
  TempDir files_;
  std::string gif_;
  ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.path().string()};
  ScopedEnv path_{"PATH", bin_.path().string()};
};

TEST_F(PreviewCommand, WritesThePageAndOpensItWithTheDesktopsBrowser) {
  const std::string opener = bin_ / "xdg-open";
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n";
  ::chmod(opener.c_str(), 0755);
  std::filesystem::create_directories(config_.path() / "Qx");
  std::ofstream(config_.path() / "Qx" / "zel.ini") << "[option]\ntrancolor=3368601\n";

  RunResult r = RunCli({"preview", gif_});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string page = (config_.path() / "Qx" / "$zel.html").string();
  EXPECT_NE(r.out.find("wrote " + page), std::string::npos);
  const std::string html = ReadTextFile(page);
  EXPECT_NE(html.find("<BODY BGCOLOR=\"#996633\">"), std::string::npos) << html;
  EXPECT_NE(
      html.find("<IMG SRC=\"file://" + files_.path().string() + "/my%20%22anim%22%20%231.gif\">"),
      std::string::npos)
      << html;
  EXPECT_NE(html.find("<TITLE>" + files_.path().string() + "/my &quot;anim&quot; #1.gif</TITLE>"),
            std::string::npos)
      << html;
  for (int i = 0; i < 200 && !std::filesystem::exists(opener + ".args"); ++i) {
    ::usleep(10000);
  }
  ::usleep(20000);
  EXPECT_EQ(ReadTextFile(opener + ".args"),
            "file://" + config_.path().string() + "/Qx/%24zel.html\n");
}

TEST_F(PreviewCommand, WithoutABrowserThePageIsStillWritten) {
  RunResult r = RunCli({"preview", gif_});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(config_.path() / "Qx" / "$zel.html"));
  EXPECT_NE(r.out.find("no web browser"), std::string::npos);

  WriteBytes(files_ / "broken.gif", {'G', 'I', 'F'});
  EXPECT_EQ(RunCli({"preview", files_ / "broken.gif"}).exitCode, 1);
  EXPECT_EQ(RunCli({"preview", files_ / "song.mid"}).exitCode, 2);
}

}  // namespace
}  // namespace zel::clitest
