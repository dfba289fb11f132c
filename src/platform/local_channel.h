// Messages between programs of the same user over a local stream socket. One connection
// carries one request frame and one reply frame, all numbers 32-bit little-endian:
//   request  message, wParam, lParam, dataLength, then dataLength bytes
//   reply    result
// The server is built for an event loop: watch ListeningFd() for reading and call
// AcceptAndServeOne() when it is readable, or AcceptRequest() to answer later. A server
// may send more than one word on a connection when the sender asked for that (an interim
// word while its user decides, then the answer); a plain sender reads the first only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel {

struct ChannelMessage {
  uint32_t message = 0;
  uint32_t wParam = 0;
  uint32_t lParam = 0;
  std::vector<uint8_t> data;
};

inline constexpr size_t kChannelHeaderSize = 16;
// Frames announcing more data are dropped before anything is read or allocated.
inline constexpr uint32_t kChannelDataCap = 256u * 1024 * 1024;
// Time a client gets to deliver its whole frame and take the reply.
inline constexpr int kChannelFrameDeadlineMs = 2000;

// A request taken off the socket whose answer comes later: the connection stays open
// until the object goes.
class ChannelRequest {
 public:
  ChannelRequest(int fd, ChannelMessage message);
  ~ChannelRequest();
  ChannelRequest(const ChannelRequest&) = delete;
  ChannelRequest& operator=(const ChannelRequest&) = delete;

  const ChannelMessage& Message() const { return message_; }
  // Writes one word to the sender; false when it has gone.
  bool Reply(uint32_t value);
  // True when the sender has closed its side entirely (it gave up waiting): a request
  // nobody waits for any more is better not carried out.
  [[nodiscard]] bool SenderGone() const;

 private:
  int fd_;
  ChannelMessage message_;
};

class LocalChannelServer {
 public:
  using Handler = std::function<uint32_t(const ChannelMessage&)>;

  explicit LocalChannelServer(int frameDeadlineMs = kChannelFrameDeadlineMs)
      : frameDeadlineMs_(frameDeadlineMs) {}
  ~LocalChannelServer();
  LocalChannelServer(const LocalChannelServer&) = delete;
  LocalChannelServer& operator=(const LocalChannelServer&) = delete;

  // Binds and listens at `socketPath` with mode 0600. Whatever is left at the path (the
  // socket of a copy that crashed) is removed first, so call this only while holding the
  // instance lock. False (reason in `error`) when the socket cannot be made.
  bool Listen(const std::string& socketPath, std::string* error = nullptr);
  // The non-blocking listening descriptor, or -1 before Listen.
  int ListeningFd() const { return listenFd_; }

  // Accepts one waiting connection (returns false at once when none waits), reads one
  // frame within the deadline, calls `handler` and writes its result back. A peer of
  // another user, or a malformed, truncated, oversized or slow frame, is dropped without
  // calling the handler. True when the handler was called.
  bool AcceptAndServeOne(const Handler& handler);
  // Accepts one waiting connection and reads its frame as AcceptAndServeOne does, but
  // leaves the answer to the caller. Null when none waits or the frame was dropped.
  std::unique_ptr<ChannelRequest> AcceptRequest();

  // Stops listening and removes the socket file (when it is still ours).
  void Close();

 private:
  int frameDeadlineMs_;
  int listenFd_ = -1;
  std::string path_;
  uint64_t socketDevice_ = 0;
  uint64_t socketInode_ = 0;
};

// Sends one request to the server at `socketPath` and waits up to `timeoutMs` in all for
// the reply. No value when nothing listens there, the server drops the frame or time runs
// out.
std::optional<uint32_t> SendMessage(const std::string& socketPath, uint32_t message,
                                    uint32_t wParam, uint32_t lParam,
                                    const std::vector<uint8_t>& data, int timeoutMs);

// How an exchange ended, for a sender that must tell "nobody there" from "no answer".
enum class ChannelOutcome {
  kAnswered,      // `value` holds the answer
  kNotListening,  // no socket at the path, or nothing accepts there (a socket left behind)
  kNoAnswer,      // connected, but the frame was not taken or no answer came in time
};
struct ChannelAnswer {
  ChannelOutcome outcome = ChannelOutcome::kNoAnswer;
  uint32_t value = 0;
};
// Sends one request and reads its answer. The request and the first word must make it
// within `timeoutMs`. A word for which `interim` is true says the server is still at it
// (its user is deciding): the next word is then waited for without a limit, for as long as
// the server keeps the connection (it answers or goes).
ChannelAnswer ExchangeMessage(const std::string& socketPath, uint32_t message, uint32_t wParam,
                              uint32_t lParam, const std::vector<uint8_t>& data, int timeoutMs,
                              const std::function<bool(uint32_t)>& interim = {});

}  // namespace zel
