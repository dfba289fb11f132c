// The progress bar zel-cli draws on a terminal while a long write runs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/progress.h"

namespace zel::cli {

// One bar line (no carriage return), e.g.
// "[##########----------]  50%  elapsed 00:00:01  left 00:00:01", fitted to `columns`.
std::string FormatProgressLine(int percent, const std::string& elapsed,
                               const std::string& remaining, int columns);

// Draws on `fd` only when it is a terminal, and only once the work proves long: at once for
// animations of kBarFrameThreshold frames or more, otherwise after kBarDelayMs.
// Cancel requests are Ctrl-C presses caught by an InterruptCatcher.
// The writer reports the share done before each frame, so it never says 100% itself.
class TerminalProgress final : public ProgressSink {
 public:
  static constexpr int kBarFrameThreshold = 20;
  static constexpr uint32_t kBarDelayMs = 500;

  TerminalProgress(int fd, int frameCount);
  ~TerminalProgress() override { Finish(false); }
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void ReportProgress(int percent) override;
  void RestartClock() override;
  void DisableCancel() override { cancelEnabled_ = false; }
  bool TakeCancel() override;

  // Ends the bar's line, if a bar was drawn; a completed operation first shows 100%.
  void Finish(bool completed);

 private:
  void Draw();

  int fd_;
  bool terminal_;
  bool immediate_;
  bool shown_ = false;
  bool cancelEnabled_ = true;
  uint32_t startMs_;       // when the sink was made: the bar's show delay counts from here
  uint32_t clockStartMs_;  // when the elapsed time last started
  int percent_ = -1;
  std::string elapsed_ = "00:00:00";
  std::string remaining_ = "--:--:--";
  ProgressClock clock_;
};

}  // namespace zel::cli
