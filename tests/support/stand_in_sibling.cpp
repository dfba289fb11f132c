#include "support/stand_in_sibling.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <utility>

namespace zel::testing {

StandInSibling::StandInSibling(const std::string& socketPath,
                               std::function<uint32_t(const ChannelMessage&)> answer)
    : answer_(std::move(answer)) {
  EXPECT_TRUE(server_.Listen(socketPath)) << socketPath;
  thread_ = std::thread([this] {
    while (!stop_) {
      pollfd p{server_.ListeningFd(), POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) {
        server_.AcceptAndServeOne([this](const ChannelMessage& m) {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(m);
          return answer_(m);
        });
      }
    }
  });
}

StandInSibling::~StandInSibling() {
  stop_ = true;
  thread_.join();
}

std::vector<ChannelMessage> StandInSibling::received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

}  // namespace zel::testing
