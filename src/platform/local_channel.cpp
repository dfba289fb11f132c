#include "platform/local_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace zel {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes read per step of a frame's data, so that a frame that announces much and sends
// little costs little memory.
constexpr size_t kReadStep = 1024 * 1024;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(std::min<int64_t>(left.count(), 1 << 30));
}

// Waits until `fd` is ready for `events`; false when the deadline passed first.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    int timeout = RemainingMs(deadline);
    if (timeout == 0) return false;
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, timeout);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

// Reads exactly `size` bytes from a non-blocking socket before the deadline.
bool ReadExact(int fd, uint8_t* buffer, size_t size, Clock::time_point deadline) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::recv(fd, buffer + got, size - got, 0);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n == 0) {
      return false;  // the peer closed early
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd, POLLIN, deadline)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

bool WriteExact(int fd, const uint8_t* buffer, size_t size, Clock::time_point deadline) {
  size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(fd, buffer + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else if (n == 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
}

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool PeerIsSameUser(int fd) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
      length != sizeof credentials) {
    return false;
  }
  return credentials.uid == ::geteuid();
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

// Reads one request frame; false when it is malformed, truncated, too large or late.
bool ReadFrame(int fd, Clock::time_point deadline, ChannelMessage* out) {
  uint8_t header[kChannelHeaderSize];
  if (!ReadExact(fd, header, sizeof header, deadline)) return false;
  out->message = Le32(header);
  out->wParam = Le32(header + 4);
  out->lParam = Le32(header + 8);
  const uint32_t length = Le32(header + 12);
  if (length > kChannelDataCap) return false;
  out->data.clear();
  size_t got = 0;
  while (got < length) {
    size_t step = std::min<size_t>(length - got, kReadStep);
    out->data.resize(got + step);
    if (!ReadExact(fd, out->data.data() + got, step, deadline)) return false;
    got += step;
  }
  // One frame per connection: bytes beyond it mean the peer does not speak this framing.
  uint8_t extra;
  ssize_t n;
  do {
    n = ::recv(fd, &extra, 1, MSG_PEEK | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  return n <= 0;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

LocalChannelServer::~LocalChannelServer() {
  Close();
}

bool LocalChannelServer::Listen(const std::string& socketPath, std::string* error) {
  Close();
  sockaddr_un address;
  if (!FillAddress(socketPath, &address)) {
    SetError(error, "socket path too long: " + socketPath);
    return false;
  }
  // A socket left by a copy that crashed: the lock is ours now, so is the name.
  struct stat st {};
  if (::lstat(socketPath.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || ::unlink(socketPath.c_str()) != 0) {
      SetError(error, "cannot remove the old " + socketPath);
      return false;
    }
  }
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetError(error, std::string("cannot make a socket: ") + std::strerror(errno));
    return false;
  }
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    SetError(error, "cannot bind " + socketPath + ": " + std::strerror(errno));
    ::close(fd);
    return false;
  }
  // The folder already keeps other users out; the mode says the same of the socket.
  if (::chmod(socketPath.c_str(), 0600) != 0 || ::lstat(socketPath.c_str(), &st) != 0 ||
      ::listen(fd, 16) != 0) {
    SetError(error, "cannot listen at " + socketPath + ": " + std::strerror(errno));
    ::close(fd);
    ::unlink(socketPath.c_str());
    return false;
  }
  listenFd_ = fd;
  path_ = socketPath;
  socketDevice_ = st.st_dev;
  socketInode_ = st.st_ino;
  return true;
}

void LocalChannelServer::Close() {
  if (listenFd_ < 0) return;
  ::close(listenFd_);
  listenFd_ = -1;
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_) {
    ::unlink(path_.c_str());
  }
  path_.clear();
}

ChannelRequest::ChannelRequest(int fd, ChannelMessage message)
    : fd_(fd), message_(std::move(message)) {}

ChannelRequest::~ChannelRequest() {
  if (fd_ >= 0) ::close(fd_);
}

bool ChannelRequest::Reply(uint32_t value) {
  uint8_t word[4];
  PutLe32(word, value);
  // Four bytes on a connection the sender reads: the wait is for a sender that stopped.
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(kChannelFrameDeadlineMs);
  return fd_ >= 0 && WriteExact(fd_, word, sizeof word, deadline);
}

bool ChannelRequest::SenderGone() const {
  if (fd_ < 0) return true;
  pollfd p{fd_, 0, 0};
  int n;
  do {
    n = ::poll(&p, 1, 0);
  } while (n < 0 && errno == EINTR);
  return n > 0 && (p.revents & (POLLHUP | POLLERR)) != 0;
}

std::unique_ptr<ChannelRequest> LocalChannelServer::AcceptRequest() {
  if (listenFd_ < 0) return nullptr;
  int fd;
  do {
    fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  Descriptor connection(fd);
  if (!PeerIsSameUser(fd)) return nullptr;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(frameDeadlineMs_);
  ChannelMessage request;
  if (!ReadFrame(fd, deadline, &request)) return nullptr;
  return std::make_unique<ChannelRequest>(connection.Release(), std::move(request));
}

bool LocalChannelServer::AcceptAndServeOne(const Handler& handler) {
  std::unique_ptr<ChannelRequest> request = AcceptRequest();
  if (!request) return false;
  request->Reply(handler ? handler(request->Message()) : 0);
  return true;
}

ChannelAnswer ExchangeMessage(const std::string& socketPath, uint32_t message, uint32_t wParam,
                              uint32_t lParam, const std::vector<uint8_t>& data, int timeoutMs,
                              const std::function<bool(uint32_t)>& interim) {
  ChannelAnswer answer;
  answer.outcome = ChannelOutcome::kNotListening;
  sockaddr_un address;
  if (!FillAddress(socketPath, &address)) return answer;
  answer.outcome = ChannelOutcome::kNoAnswer;
  if (data.size() > kChannelDataCap) return answer;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  Descriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  const int fd = connection.get();
  if (fd < 0) return answer;
  // A local connect either completes, is refused, or (a full backlog) asks to try again.
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) break;
    if (errno == EINTR) continue;
    if (errno == ENOENT || errno == ECONNREFUSED || errno == ENOTDIR) {
      answer.outcome = ChannelOutcome::kNotListening;
      return answer;
    }
    if (errno != EAGAIN || RemainingMs(deadline) == 0) return answer;
    ::poll(nullptr, 0, 10);
  }
  if (!PeerIsSameUser(fd)) return answer;

  uint8_t header[kChannelHeaderSize];
  PutLe32(header, message);
  PutLe32(header + 4, wParam);
  PutLe32(header + 8, lParam);
  PutLe32(header + 12, static_cast<uint32_t>(data.size()));
  if (!WriteExact(fd, header, sizeof header, deadline) ||
      !WriteExact(fd, data.data(), data.size(), deadline)) {
    return answer;
  }
  uint8_t reply[4];
  if (!ReadExact(fd, reply, sizeof reply, deadline)) return answer;
  uint32_t value = Le32(reply);
  while (interim && interim(value)) {
    if (!ReadExact(fd, reply, sizeof reply, Clock::time_point::max())) return answer;
    value = Le32(reply);
  }
  answer.outcome = ChannelOutcome::kAnswered;
  answer.value = value;
  return answer;
}

std::optional<uint32_t> SendMessage(const std::string& socketPath, uint32_t message,
                                    uint32_t wParam, uint32_t lParam,
                                    const std::vector<uint8_t>& data, int timeoutMs) {
  const ChannelAnswer answer = ExchangeMessage(socketPath, message, wParam, lParam, data, timeoutMs);
  if (answer.outcome != ChannelOutcome::kAnswered) return std::nullopt;
  return answer.value;
}

}  // namespace zel
