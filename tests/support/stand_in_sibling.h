// A sibling program for tests: listens on a real local socket, records every message it is
// sent and answers each with what the test's function says.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/local_channel.h"

namespace zel::testing {

class StandInSibling {
 public:
  // Listens at `socketPath` (the instance folder and the sibling's socket name).
  StandInSibling(const std::string& socketPath,
                 std::function<uint32_t(const ChannelMessage&)> answer);
  ~StandInSibling();
  StandInSibling(const StandInSibling&) = delete;
  StandInSibling& operator=(const StandInSibling&) = delete;

  std::vector<ChannelMessage> received();

 private:
  LocalChannelServer server_;
  std::function<uint32_t(const ChannelMessage&)> answer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<ChannelMessage> received_;
  std::thread thread_;
};

}  // namespace zel::testing
