#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "cli/interrupt.h"
#include "platform/clock.h"

namespace zel::cli {
namespace {

int TerminalColumns(int fd) {
  struct winsize size {};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

}  // namespace

std::string FormatProgressLine(int percent, const std::string& elapsed,
                               const std::string& remaining, int columns) {
  percent = std::clamp(percent, 0, 100);
  char tail[96];
  std::snprintf(tail, sizeof tail, " %3d%%  elapsed %s  left %s", percent, elapsed.c_str(),
                remaining.c_str());
  std::string tailText = tail;
  // Keep one column free so the cursor never wraps onto a new line.
  int barWidth = std::clamp(columns - 1 - static_cast<int>(tailText.size()) - 2, 10, 50);
  int filled = barWidth * percent / 100;
  std::string line = "[";
  line.append(static_cast<size_t>(filled), '#');
  line.append(static_cast<size_t>(barWidth - filled), '-');
  line += "]";
  return line + tailText;
}

TerminalProgress::TerminalProgress(int fd, int frameCount)
    : fd_(fd),
      terminal_(::isatty(fd) == 1),
      immediate_(frameCount >= kBarFrameThreshold),
      startMs_(TickCount()),
      clockStartMs_(startMs_) {
  clock_.Start(clockStartMs_);
}

void TerminalProgress::ReportProgress(int percent) {
  if (!terminal_) return;
  percent = std::clamp(percent, 0, 100);
  uint32_t now = TickCount();
  bool changed = percent != percent_;
  percent_ = percent;
  if (std::optional<ProgressTimes> times = clock_.Report(percent, now)) {
    elapsed_ = times->elapsed;
    remaining_ = times->remaining;
    changed = true;
  }
  if (!shown_) {
    if (!immediate_ && now - startMs_ < kBarDelayMs) return;
    shown_ = true;
    changed = true;
  }
  if (changed) Draw();
}

void TerminalProgress::RestartClock() {
  clockStartMs_ = TickCount();
  clock_.Restart(clockStartMs_);
}

bool TerminalProgress::TakeCancel() {
  return cancelEnabled_ && InterruptCatcher::Take();
}

void TerminalProgress::Finish(bool completed) {
  if (!shown_) return;
  if (completed && percent_ != 100) {
    percent_ = 100;
    elapsed_ = FormatElapsedTime(TickCount() - clockStartMs_);
    remaining_ = FormatSeconds(0);
    Draw();
  }
  shown_ = false;
  WriteAll(fd_, "\n");
}

void TerminalProgress::Draw() {
  WriteAll(fd_, "\r" + FormatProgressLine(percent_, elapsed_, remaining_, TerminalColumns(fd_)));
}

}  // namespace zel::cli
