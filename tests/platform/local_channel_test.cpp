// The editor's lock and local socket, over real sockets in a private temporary folder.

#include "platform/local_channel.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/instance_messages.h"
#include "platform/instance_lock.h"
#include "support/gif_builder.h"
#include "support/unix_socket.h"

namespace zel {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Everything the handler was called with.
class Recorder {
 public:
  uint32_t Handle(const ChannelMessage& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (request.message == kMsgIdentify) return AnswerIdentify(request.wParam);
    return IsPictureHandOver(request) ? 1 : 0;
  }
  std::vector<ChannelMessage> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  std::mutex mutex_;
  std::vector<ChannelMessage> requests_;
};

// Serves the socket on a thread, as the editor's event loop does on its own.
class ServerThread {
 public:
  ServerThread(LocalChannelServer& server, Recorder& recorder)
      : thread_([this, &server, &recorder] {
          auto handler = [&recorder](const ChannelMessage& m) { return recorder.Handle(m); };
          while (!stop_) {
            pollfd p{server.ListeningFd(), POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) server.AcceptAndServeOne(handler);
          }
        }) {}
  ~ServerThread() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::vector<uint8_t> Frame(uint32_t message, uint32_t wParam, uint32_t lParam, uint32_t length,
                           const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes(16);
  WriteLe32(bytes.data(), message);
  WriteLe32(bytes.data() + 4, wParam);
  WriteLe32(bytes.data() + 8, lParam);
  WriteLe32(bytes.data() + 12, length);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

int Connect(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Writes raw bytes (optionally closing the sending side) and reads what comes back until
// the server closes: the reply, or nothing when the frame was dropped.
std::vector<uint8_t> RawExchange(const std::string& path, const std::vector<uint8_t>& bytes,
                                 bool closeSending) {
  int fd = Connect(path);
  EXPECT_GE(fd, 0);
  if (fd < 0) return {};
  EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(bytes.size()));
  if (closeSending) ::shutdown(fd, SHUT_WR);
  std::vector<uint8_t> reply;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) <= 0) {
      ADD_FAILURE() << "the server neither answered nor closed";
      break;
    }
    uint8_t buffer[64];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reply.insert(reply.end(), buffer, buffer + n);
  }
  ::close(fd);
  return reply;
}

class LocalChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::MakeTempDir() + "/";
    socketPath_ = folder_ + kInstanceSocketName;
  }
  std::optional<uint32_t> Send(uint32_t message, uint32_t wParam,
                               const std::vector<uint8_t>& data = {}) {
    return SendMessage(socketPath_, message, wParam, 0, data, 5000);
  }

  std::string folder_;
  std::string socketPath_;
};

TEST_F(LocalChannel, AnswersTheIdentificationQueryAndTakesPicturesOfMoreThan1024Bytes) {
  LocalChannelServer server;
  ASSERT_TRUE(server.Listen(socketPath_));
  struct stat st {};
  ASSERT_EQ(::lstat(socketPath_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  Recorder recorder;
  ServerThread thread(server, recorder);
  EXPECT_EQ(Send(kMsgIdentify, 1), 74u);
  EXPECT_EQ(Send(kMsgIdentify, 0), 0u);

  std::vector<uint8_t> picture(1025);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, picture), 1u);
  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, std::vector<uint8_t>(1024)), 0u);

  std::vector<ChannelMessage> requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].message, kMsgIdentify);
  EXPECT_EQ(requests[0].wParam, 1u);
  EXPECT_EQ(requests[2].message, kMsgCopyData);
  EXPECT_EQ(requests[2].wParam, kPictureDataIdentifier);
  EXPECT_EQ(requests[2].data, picture);
  EXPECT_EQ(requests[3].data.size(), 1024u);
}

TEST_F(LocalChannel, ADataBlockOfSeveralMegabytesArrivesWhole) {
  LocalChannelServer server;
  ASSERT_TRUE(server.Listen(socketPath_));
  Recorder recorder;
  ServerThread thread(server, recorder);
  std::vector<uint8_t> data(3 * 1024 * 1024 + 5);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i ^ (i >> 9));
  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, data), 1u);
  std::vector<ChannelMessage> requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].data == data);
}

struct BadFrame {
  const char* name;
  std::vector<uint8_t> bytes;
  bool closeSending;
};

TEST_F(LocalChannel, DropsBadFramesAndServesTheNextClient) {
  std::vector<uint8_t> half(50, 0xAB);
  std::vector<uint8_t> identifyWithExtra = Frame(kMsgIdentify, 1, 0, 0, {});
  identifyWithExtra.insert(identifyWithExtra.end(), {1, 2, 3, 4});
  const std::string http = "GET / HTTP/1.1\r\n\r\n";
  const BadFrame cases[] = {
      {"nothing at all", {}, true},
      {"truncated header", std::vector<uint8_t>(10, 0x11), true},
      {"less data than announced", Frame(kMsgCopyData, 74, 0, 100, half), true},
      {"data beyond the cap", Frame(kMsgCopyData, 74, 0, kChannelDataCap + 1, half), false},
      {"largest length", Frame(kMsgCopyData, 74, 0, 0xFFFFFFFFu, {}), false},
      {"garbage", std::vector<uint8_t>(http.begin(), http.end()), true},
      {"bytes after the frame", identifyWithExtra, false},
  };
  // A deadline longer than the client waits: a frame still being read shows as a failure.
  LocalChannelServer server(10000);
  ASSERT_TRUE(server.Listen(socketPath_));
  Recorder recorder;
  ServerThread thread(server, recorder);
  for (const BadFrame& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(RawExchange(socketPath_, c.bytes, c.closeSending).empty());
    EXPECT_TRUE(recorder.Requests().empty());
  }
  EXPECT_EQ(Send(kMsgIdentify, 1), 74u);
  EXPECT_EQ(recorder.Requests().size(), 1u);
  // A well-formed frame sent raw gets its reply: the cases above fail for their own faults.
  std::vector<uint8_t> reply = RawExchange(socketPath_, Frame(kMsgIdentify, 1, 0, 0, {}), false);
  EXPECT_EQ(reply, (std::vector<uint8_t>{74, 0, 0, 0}));
}

TEST_F(LocalChannel, ASlowClientIsDroppedAtTheDeadline) {
  LocalChannelServer server(200);
  ASSERT_TRUE(server.Listen(socketPath_));
  Recorder recorder;
  ServerThread thread(server, recorder);
  // Half a header, and then the client goes quiet without closing.
  steady_clock::time_point start = steady_clock::now();
  EXPECT_TRUE(RawExchange(socketPath_, std::vector<uint8_t>(8, 0), false).empty());
  auto waited = std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
  EXPECT_GE(waited.count(), 150);
  EXPECT_LT(waited.count(), 3000);
  EXPECT_TRUE(recorder.Requests().empty());
  EXPECT_EQ(Send(kMsgIdentify, 1), 74u);
}

// A request answered later: an interim word, then the answer, waited for past the time
// limit of the first word. No server is told apart from a server that does not answer, and
// a server sees when a sender has given up.
TEST_F(LocalChannel, AnswersComeLaterAndSilenceIsNotAbsence) {
  EXPECT_EQ(ExchangeMessage(socketPath_, 1, 0, 0, {}, 200).outcome, ChannelOutcome::kNotListening);

  LocalChannelServer server;
  ASSERT_TRUE(server.Listen(socketPath_));
  constexpr uint32_t kStillAtIt = 7;
  std::thread answerer([&] {
    pollfd p{server.ListeningFd(), POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 5000), 0);
    std::unique_ptr<ChannelRequest> request = server.AcceptRequest();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->Message().wParam, 9u);
    EXPECT_FALSE(request->SenderGone());
    EXPECT_TRUE(request->Reply(kStillAtIt));
    std::this_thread::sleep_for(milliseconds(400));  // past the sender's 200 ms
    EXPECT_TRUE(request->Reply(42));
  });
  std::vector<uint32_t> interim;
  ChannelAnswer answer = ExchangeMessage(socketPath_, 1, 9, 0, {}, 200, [&](uint32_t word) {
    interim.push_back(word);
    return word == kStillAtIt;
  });
  answerer.join();
  EXPECT_EQ(answer.outcome, ChannelOutcome::kAnswered);
  EXPECT_EQ(answer.value, 42u);
  EXPECT_EQ(interim, (std::vector<uint32_t>{kStillAtIt, 42}));

  // Taken but never answered: no answer at the limit; the server then sees the sender gone.
  steady_clock::time_point start = steady_clock::now();
  std::unique_ptr<ChannelRequest> held;
  std::thread taker([&] {
    pollfd p{server.ListeningFd(), POLLIN, 0};
    if (::poll(&p, 1, 5000) > 0) held = server.AcceptRequest();
  });
  EXPECT_EQ(ExchangeMessage(socketPath_, 1, 0, 0, {}, 300).outcome, ChannelOutcome::kNoAnswer);
  EXPECT_LT(steady_clock::now() - start, milliseconds(3000));
  taker.join();
  ASSERT_TRUE(held);
  EXPECT_TRUE(held->SenderGone());
}

TEST_F(LocalChannel, AStaleSocketIsReplacedAndAClosedServerRemovesItsSocket) {
  {
    // What a crashed copy leaves: a socket file nobody listens at.
    int fd = testing::BindUnixSocket(socketPath_);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  ASSERT_TRUE(std::filesystem::exists(socketPath_));
  EXPECT_EQ(Send(kMsgIdentify, 1), std::nullopt);

  LocalChannelServer server;
  ASSERT_TRUE(server.Listen(socketPath_));
  {
    Recorder recorder;
    ServerThread thread(server, recorder);
    EXPECT_EQ(Send(kMsgIdentify, 1), 74u);
  }
  server.Close();
  EXPECT_FALSE(std::filesystem::exists(socketPath_));
  EXPECT_EQ(Send(kMsgIdentify, 1), std::nullopt);
  // No server was ever there.
  EXPECT_EQ(SendMessage(folder_ + "none.sock", kMsgIdentify, 1, 0, {}, 500), std::nullopt);
}

TEST_F(LocalChannel, APeerOfAnotherUserIsDropped) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
  LocalChannelServer server;
  ASSERT_TRUE(server.Listen(socketPath_));
  // Open the way so that only the credential check stands between the peer and the server.
  ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(socketPath_.c_str(), 0666), 0);
  Recorder recorder;
  ServerThread thread(server, recorder);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(3);
    // Raw, as a hostile peer would: SendMessage itself refuses a server of another user.
    int fd = Connect(socketPath_);
    if (fd < 0) _exit(2);
    std::vector<uint8_t> frame = Frame(kMsgIdentify, 1, 0, 0, {});
    // The server may close before the frame is out: dropped all the same.
    if (::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != 16) _exit(0);
    uint8_t reply[4];
    _exit(::recv(fd, reply, sizeof reply, MSG_WAITALL) == 4 ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "1: answered, 2: could not connect, 3: could not change user";
  EXPECT_TRUE(recorder.Requests().empty());
  EXPECT_EQ(Send(kMsgIdentify, 1), 74u);
}

// The lock, taken by other processes as a second editor would.
class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::MakeTempDir() + "/"; }
  std::string folder_;
};

TEST_F(InstanceLockTest, OnlyOneHolderAtATime) {
  InstanceLock first;
  ASSERT_EQ(first.Acquire(folder_), InstanceLockResult::kAcquired);
  EXPECT_TRUE(first.held());
  InstanceLock second;
  EXPECT_EQ(second.Acquire(folder_), InstanceLockResult::kHeld);
  EXPECT_FALSE(second.held());
  first.Release();
  EXPECT_EQ(second.Acquire(folder_), InstanceLockResult::kAcquired);
  struct stat st {};
  ASSERT_EQ(::stat((folder_ + kInstanceLockName).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(InstanceLockTest, AKilledHolderLeavesNoLockBehind) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstanceLock lock;
    char state = lock.Acquire(folder_) == InstanceLockResult::kAcquired ? 'y' : 'n';
    if (::write(ready[1], &state, 1) != 1) _exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(state, 'y');
  InstanceLock mine;
  EXPECT_EQ(mine.Acquire(folder_), InstanceLockResult::kHeld);
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(std::filesystem::exists(folder_ + kInstanceLockName));
  EXPECT_EQ(mine.Acquire(folder_), InstanceLockResult::kAcquired);
}

TEST_F(InstanceLockTest, AMissingFolderFails) {
  InstanceLock lock;
  std::string error;
  EXPECT_EQ(lock.Acquire(folder_ + "missing/", &error), InstanceLockResult::kFailed);
  EXPECT_NE(error.find("missing"), std::string::npos);
}

// Sets XDG_RUNTIME_DIR for a test and puts the old value back.
class RuntimeDir {
 public:
  explicit RuntimeDir(const char* value) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    if (old) old_ = old;
    if (value) {
      ::setenv("XDG_RUNTIME_DIR", value, 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }
  ~RuntimeDir() {
    if (old_) {
      ::setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(InstanceFolder, LivesInTheRuntimeFolderElseInAPrivateTemporaryFolder) {
  std::string runtime = testing::MakeTempDir();
  {
    RuntimeDir env(runtime.c_str());
    EXPECT_EQ(InstanceFolder(false), std::nullopt);  // not made yet
    ASSERT_EQ(InstanceFolder(true), runtime + "/zel/");
    struct stat st {};
    ASSERT_EQ(::lstat((runtime + "/zel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(InstanceFolder(false), runtime + "/zel/");
  }
  std::string fallback = "/tmp/zel-" + std::to_string(::geteuid()) + "/";
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/run"}) {
    RuntimeDir env(value);
    EXPECT_EQ(InstanceFolder(true), fallback) << (value ? value : "(unset)");
  }
}

TEST(InstanceFolder, RefusesAFolderOthersCanReachOrReplace) {
  std::string runtime = testing::MakeTempDir();
  RuntimeDir env(runtime.c_str());
  const std::string folder = runtime + "/zel";
  std::string error;

  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  EXPECT_EQ(InstanceFolder(true, &error), std::nullopt);
  EXPECT_NE(error.find("0700"), std::string::npos) << error;
  ASSERT_EQ(::rmdir(folder.c_str()), 0);

  std::string elsewhere = testing::MakeTempDir();
  ASSERT_EQ(::symlink(elsewhere.c_str(), folder.c_str()), 0);
  EXPECT_EQ(InstanceFolder(true, &error), std::nullopt);
  ASSERT_EQ(::unlink(folder.c_str()), 0);

  std::ofstream(folder) << "x";
  EXPECT_EQ(InstanceFolder(true, &error), std::nullopt);
  ASSERT_EQ(::unlink(folder.c_str()), 0);

  if (::geteuid() == 0) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(InstanceFolder(true, &error), std::nullopt);
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace zel
