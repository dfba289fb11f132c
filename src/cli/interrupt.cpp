#include "cli/interrupt.h"

#include <unistd.h>

#include <csignal>

namespace zel::cli {
namespace {

volatile std::sig_atomic_t gPending = 0;
volatile std::sig_atomic_t gPresses = 0;

void OnInterrupt(int) {
  if (gPresses > 0) _exit(130);
  gPresses = 1;
  gPending = 1;
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
  gPending = 0;
  gPresses = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &previous_);
}

InterruptCatcher::~InterruptCatcher() {
  ::sigaction(SIGINT, &previous_, nullptr);
}

bool InterruptCatcher::Take() {
  if (gPending == 0) return false;
  gPending = 0;
  return true;
}

}  // namespace zel::cli
