// Ctrl-C while zel-cli works: the first press asks the running operation to stop at its
// next check, a second one ends the program at once.
#pragma once

#include <signal.h>

namespace zel::cli {

// Catches SIGINT while it lives and restores the previous handling afterwards.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  // True once for each Ctrl-C pressed since the last call.
  static bool Take();

 private:
  struct sigaction previous_ {};
};

}  // namespace zel::cli
