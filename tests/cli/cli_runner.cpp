#include "cli_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace zel::clitest {
namespace {

std::vector<char*> ArgvOf(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::string ReadAllFd(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a pseudo-terminal reports EIO once the child has gone
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

std::string ReadFileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// This process's environment with its locale variables replaced by `locale` ("LANG=...",
// "LC_ALL=..."): the language zel-cli speaks. Made before a fork, since the child may only
// exec.
std::vector<std::string> EnvironmentIn(const std::vector<std::string>& locale) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("LC_ALL=") || text.starts_with("LC_MESSAGES=") ||
        text.starts_with("LANG=") || text.starts_with("LANGUAGE=")) {
      continue;
    }
    environment.emplace_back(text);
  }
  environment.insert(environment.end(), locale.begin(), locale.end());
  return environment;
}

// Waits until the process `pid` catches SIGINT (its handler is in place, as
// /proc/PID/status's SigCgt mask shows), it has ended, or `limitMs` has passed. A program
// starting slowly (under the sanitizers, on a busy machine) would otherwise die of a signal
// sent before it could catch it.
void WaitForInterruptHandler(pid_t pid, int limitMs) {
  const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
  for (int waited = 0; waited < limitMs; waited += 5) {
    std::ifstream status(statusPath);
    std::string line;
    bool running = false;
    while (std::getline(status, line)) {
      if (line.rfind("State:", 0) == 0) running = line.find('Z') == std::string::npos;
      if (line.rfind("SigCgt:", 0) == 0) {
        const unsigned long long caught = std::strtoull(line.c_str() + 7, nullptr, 16);
        if (caught & (1ull << (SIGINT - 1))) return;
      }
    }
    if (!running) return;
    ::usleep(5000);
  }
}

// Runs argv with stdout and stderr sent to files, so neither pipe can fill up. With
// `interruptAfterMs` >= 0 the program gets SIGINT that many milliseconds after its handler
// is in place. A `locale` replaces the locale of the environment the program gets.
RunResult Run(std::vector<std::string> args, int interruptAfterMs = -1,
              const std::optional<std::vector<std::string>>& locale = std::nullopt) {
  TempDir capture;
  std::string outPath = capture / "stdout";
  std::string errPath = capture / "stderr";
  std::vector<char*> argv = ArgvOf(args);
  std::vector<std::string> environmentText =
      locale ? EnvironmentIn(*locale) : std::vector<std::string>{};
  std::vector<char*> environment = ArgvOf(environmentText);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (locale) ::execvpe(argv[0], argv.data(), environment.data());
    ::execvp(argv[0], argv.data());
    _exit(127);
  }
  if (interruptAfterMs >= 0) {
    WaitForInterruptHandler(pid, 30000);
    ::usleep(static_cast<useconds_t>(interruptAfterMs) * 1000);
    ::kill(pid, SIGINT);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  RunResult result;
  result.exitCode = ExitCodeOf(status);
  result.out = ReadFileText(outPath);
  result.err = ReadFileText(errPath);
  return result;
}

std::vector<std::string> CliArgv(const std::vector<std::string>& args) {
  std::vector<std::string> argv{ZEL_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

RunResult RunCli(const std::vector<std::string>& args) {
  return RunCliInLocale({kJapaneseLocale}, args);
}

RunResult RunCliInLocale(const std::vector<std::string>& locale,
                         const std::vector<std::string>& args) {
  return Run(CliArgv(args), -1, locale);
}

RunResult RunCliInterrupted(const std::vector<std::string>& args, int delayMs) {
  return Run(CliArgv(args), delayMs, std::vector<std::string>{kJapaneseLocale});
}

RunResult RunCliOnTerminal(const std::vector<std::string>& args) {
  std::vector<std::string> argvText = CliArgv(args);
  std::vector<char*> argv = ArgvOf(argvText);
  std::vector<std::string> environmentText = EnvironmentIn({kJapaneseLocale});
  std::vector<char*> environment = ArgvOf(environmentText);
  int master = -1;
  struct winsize size {};
  size.ws_row = 24;
  size.ws_col = 100;
  pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDWR);
    if (null < 0) _exit(126);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::execve(argv[0], argv.data(), environment.data());
    _exit(127);
  }
  RunResult result;
  result.err = ReadAllFd(master);
  ::close(master);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = ExitCodeOf(status);
  return result;
}

std::string ImageMagickPath() {
  for (const char* candidate : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"}) {
    if (::access(candidate, X_OK) == 0) return candidate;
  }
  return "";
}

bool ImageMagick(const std::vector<std::string>& args, std::string* out) {
  std::string path = ImageMagickPath();
  if (path.empty()) return false;
  std::vector<std::string> argv{path};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunTool(argv, out);
}

bool RunTool(const std::vector<std::string>& argv, std::string* out) {
  RunResult r = Run(argv);
  if (out) *out = r.out;
  return r.exitCode == 0;
}

const std::vector<uint8_t>& TinyGif() {
  static const std::vector<uint8_t> kGif = {
      'G',  'I', 'F',  '8',  '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,  // screen 1x1, 2 colours
      0,    0,   0,    255,  255, 255,                          // black, white
      0x2C, 0,   0,    0,    0,   1,   0, 1, 0, 0,              // image 1x1 at 0,0
      2,    2,   0x44, 0x01, 0,                                 // clear, 0, end of data
      0x3B};
  return kGif;
}

int CountEntries(const std::filesystem::path& folder) {
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++entries;
  }
  return entries;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-cli-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace zel::clitest
