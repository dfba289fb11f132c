#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace zel {
namespace {

using Clock = std::chrono::steady_clock;

int StatusToCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Starts argv with the given file actions; -1 when it cannot be started.
int Spawn(const std::vector<std::string>& argv, const posix_spawn_file_actions_t* actions) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::string program = argv[0].find('/') == std::string::npos ? FindExecutable(argv[0]) : argv[0];
  if (program.empty() || !IsExecutableFile(program)) return -1;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, program.c_str(), actions, nullptr, args.data(), environ) != 0) return -1;
  return pid;
}

// Reaps a child that is left running, so that it never lingers as a zombie.
void ReapInBackground(int pid) {
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

std::string ExecutableFolder() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string FindExecutable(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* pathVariable = std::getenv("PATH");
  std::string folders = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    // An empty entry means the current folder; a program is never taken from there.
    if (!folder.empty() && folder[0] == '/') {
      std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

ChildProcess::~ChildProcess() {
  Detach();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), exitCode_(other.exitCode_) {
  other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Detach();
    pid_ = other.pid_;
    exitCode_ = other.exitCode_;
    other.pid_ = -1;
  }
  return *this;
}

void ChildProcess::Detach() {
  if (pid_ > 0 && exitCode_ < 0) ReapInBackground(pid_);
  pid_ = -1;
}

bool ChildProcess::Start(const std::vector<std::string>& argv) {
  Detach();
  exitCode_ = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_ = Spawn(argv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  return pid_ > 0;
}

bool ChildProcess::HasEnded() {
  if (pid_ <= 0) return true;
  if (exitCode_ >= 0) return true;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == pid_) {
    exitCode_ = StatusToCode(status);
    if (exitCode_ < 0) exitCode_ = 255;
    return true;
  }
  // Reaped elsewhere (or not our child): it is gone all the same.
  if (r < 0) {
    exitCode_ = 255;
    return true;
  }
  return false;
}

bool ChildProcess::WaitFor(int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!HasEnded()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool StartDetached(const std::vector<std::string>& argv) {
  ChildProcess child;
  return child.Start(argv);  // the destructor hands the child to a reaper
}

std::optional<std::string> RunForOutput(const std::vector<std::string>& argv, int timeoutMs,
                                        size_t maxBytes) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  int pid = Spawn(argv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (pid <= 0) {
    ::close(fds[0]);
    return std::nullopt;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string output;
  bool late = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      late = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    int n = ::poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      late = n == 0;
      break;
    }
    char buffer[4096];
    ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (output.size() < maxBytes) {
      output.append(buffer, std::min(static_cast<size_t>(got), maxBytes - output.size()));
    }
  }
  ::close(fds[0]);
  if (late) ::kill(pid, SIGKILL);
  int status = 0;
  for (;;) {
    pid_t r = ::waitpid(pid, &status, late ? 0 : WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return std::nullopt;
    if (r == 0) {
      if (Clock::now() >= deadline) {
        ::kill(pid, SIGKILL);
        late = true;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  }
  if (late || StatusToCode(status) != 0) return std::nullopt;
  return output;
}

bool OpenWithDesktop(const std::string& pathOrUrl) {
  std::string opener = FindExecutable("xdg-open");
  if (opener.empty()) return false;
  return StartDetached({opener, pathOrUrl});
}

}  // namespace zel
