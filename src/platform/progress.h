// What a long operation reports to: the editor's progress window or the command-line bar.
// The time texts the progress window shows are computed by ProgressClock, so every host
// shows the same figures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zel {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Percent done, 0..100. Hosts dispatch their pending events here.
  virtual void ReportProgress(int percent) = 0;
  // Restarts the elapsed-time clock.
  virtual void RestartClock() = 0;
  // Greys out Cancel: the operation cannot be cancelled.
  virtual void DisableCancel() = 0;
  // Reads and clears the cancel flag; true when the user asked to cancel since the last call.
  virtual bool TakeCancel() = 0;
};

// "hh:mm:ss" of an elapsed time in milliseconds.
std::string FormatElapsedTime(uint32_t elapsedMs);
// "hh:mm:ss" of a number of seconds.
std::string FormatSeconds(uint32_t seconds);
// Seconds still to go when `percent` (1..100) took `seconds`.
uint32_t RemainingSeconds(uint32_t percent, uint32_t seconds);

struct ProgressTimes {
  std::string elapsed;
  std::string remaining;
};

// The clock behind the elapsed and remaining texts: times change only when a new whole
// second has passed, and a report of 0 percent never touches them.
class ProgressClock {
 public:
  void Start(uint32_t nowMs);
  void Restart(uint32_t nowMs) { Start(nowMs); }
  std::optional<ProgressTimes> Report(int percent, uint32_t nowMs);

 private:
  uint32_t startMs_ = 0;
  uint32_t shownSeconds_ = 0;
};

}  // namespace zel
