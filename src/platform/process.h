// Starting other programs: always with an argument list, never through a shell.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zel {

// The folder of the running program file, with a trailing '/'; empty when unknown.
std::string ExecutableFolder();

// The first executable regular file called `name` in the folders of $PATH; `name` itself
// when it holds a '/' and is executable. Empty when there is none.
std::string FindExecutable(const std::string& name);

// True when `path` is an executable regular file.
bool IsExecutableFile(const std::string& path);

// A started program that the caller may watch. A child still running when its
// ChildProcess goes away keeps running; it is reaped in the background when it ends.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (looked up on $PATH when it holds no '/') with `argv`. False when it
  // cannot be started.
  bool Start(const std::vector<std::string>& argv);
  bool started() const { return pid_ > 0; }
  // Whether the program has ended; never blocks. The exit code is kept in exitCode().
  bool HasEnded();
  // Waits up to `timeoutMs` for the end; true when it ended.
  bool WaitFor(int timeoutMs);
  // The exit status (128 + signal number when killed); -1 while running or never started.
  int exitCode() const { return exitCode_; }

 private:
  void Detach();
  int pid_ = -1;
  int exitCode_ = -1;
};

// Starts a program and forgets it. False when it cannot be started.
bool StartDetached(const std::vector<std::string>& argv);

// Runs a program and returns its standard output when it exits with 0 within `timeoutMs`
// (at most `maxBytes` are kept); no value otherwise (a late program is killed).
std::optional<std::string> RunForOutput(const std::vector<std::string>& argv, int timeoutMs,
                                        size_t maxBytes = 64 * 1024);

// Opens a file or URL with the desktop's default application (xdg-open). False, and
// nothing happens, when there is no such opener.
bool OpenWithDesktop(const std::string& pathOrUrl);

}  // namespace zel
