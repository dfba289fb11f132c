// Running zel-cli and the peer tools as a user does, and the files they work on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::clitest {

struct RunResult {
  int exitCode = -1;  // 128 + signal number when the program was killed
  std::string out;
  std::string err;
};

// The locale zel-cli runs in unless a test gives another: Japanese, the language of the
// texts the tests quote.
inline constexpr const char* kJapaneseLocale = "LC_ALL=ja_JP.UTF-8";
inline constexpr const char* kEnglishLocale = "LC_ALL=en_US.UTF-8";

// Runs the zel-cli binary with `args`, stdin empty, capturing stdout and stderr.
RunResult RunCli(const std::vector<std::string>& args);
// The same with the locale variables of the environment replaced by `locale`, e.g.
// {"LANG=en_US.UTF-8"}; an empty list runs it without any.
RunResult RunCliInLocale(const std::vector<std::string>& locale,
                         const std::vector<std::string>& args);

// Runs zel-cli like RunCli and sends it SIGINT (Ctrl-C) after `delayMs` milliseconds.
RunResult RunCliInterrupted(const std::vector<std::string>& args, int delayMs);

// Runs zel-cli with its stderr on a pseudo-terminal (stdout discarded); `err` receives
// everything written to the terminal.
RunResult RunCliOnTerminal(const std::vector<std::string>& args);

// ImageMagick's convert, or "" when it is not installed.
std::string ImageMagickPath();
// Runs ImageMagick's convert with `args`; false when it is missing or fails.
bool ImageMagick(const std::vector<std::string>& args, std::string* out = nullptr);
// Runs a program with arguments (no shell); true when it exits with 0. The captured
// stdout goes to `out` when given.
bool RunTool(const std::vector<std::string>& argv, std::string* out = nullptr);

// A valid one-pixel GIF89a file: a two-colour global palette and one image.
const std::vector<uint8_t>& TinyGif();

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// Files and folders directly inside `folder`.
int CountEntries(const std::filesystem::path& folder);

// A fresh folder under the system temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace zel::clitest
