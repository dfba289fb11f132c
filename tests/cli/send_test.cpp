// `zel-cli send` against a socket served in this test process, the way the editor serves it.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/instance_messages.h"
#include "cli_runner.h"
#include "document/document_state.h"
#include "imagefiles/image_loader.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/unix_socket.h"

namespace zel::clitest {
namespace {

const std::vector<testing::Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Serves the socket on a thread and keeps what arrived; answers each hand-over with
// `words` in turn, `pauseMs` apart (the editor's interim word, then its answer; a plain 1
// or 0 as an editor that gives no details).
class Editor {
 public:
  explicit Editor(const std::string& socketPath, std::vector<uint32_t> words = {1}, int pauseMs = 0)
      : words_(std::move(words)), pauseMs_(pauseMs) {
    listening_ = server_.Listen(socketPath);
    if (!listening_) return;
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{server_.ListeningFd(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        std::unique_ptr<ChannelRequest> request = server_.AcceptRequest();
        if (!request) continue;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(request->Message());
        }
        if (!IsPictureHandOver(request->Message())) {
          request->Reply(0);
          continue;
        }
        for (size_t i = 0; i < words_.size(); ++i) {
          if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
          request->Reply(words_[i]);
        }
      }
    });
  }
  ~Editor() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool listening() const { return listening_; }
  std::vector<ChannelMessage> Received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  std::vector<uint32_t> words_;
  int pauseMs_;
  LocalChannelServer server_;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<ChannelMessage> received_;
  std::thread thread_;
};

uint32_t Word(HandOverAnswer answer) {
  return static_cast<uint32_t>(answer);
}

class SendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    if (old) oldRuntime_ = old;
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    std::optional<std::string> folder = InstanceFolder(true);
    ASSERT_TRUE(folder);
    socketPath_ = *folder + kInstanceSocketName;
    animation_ = files_ / "anim.gif";
    WriteBytes(animation_, testing::GifBuilder(3, 2, kFour, 0)
                               .Looping()
                               .Control(0x04, 10, 0)
                               .Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1})
                               .Control(0x04, 30, 0)
                               .Image(0, 0, 3, 2, {3, 3, 1, 0, 0, 2})
                               .Trailer()
                               .bytes());
  }
  void TearDown() override {
    if (oldRuntime_) {
      ::setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }

  TempDir runtime_;
  TempDir files_;
  std::optional<std::string> oldRuntime_;
  std::string socketPath_;
  std::string animation_;
};

TEST_F(SendTest, HandsTheWholeAnimationToTheRunningEditor) {
  Editor editor(socketPath_);
  ASSERT_TRUE(editor.listening());
  RunResult r = RunCli({"send", animation_});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("the editor loaded"), std::string::npos) << r.out;

  std::vector<ChannelMessage> received = editor.Received();
  ASSERT_EQ(received.size(), 1u);
  ASSERT_TRUE(IsPictureHandOver(received[0]));
  EXPECT_TRUE(WantsDetailedAnswers(received[0]));
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, 256));
  LoadContext context;
  ASSERT_TRUE(LoadHandedOverPicture(doc, HandOverPicture(received[0].data), context).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(doc.frameSet->count, 2);
  EXPECT_EQ(doc.frameSet->frame(1).delay, 30);
  testing::Rgb c = testing::PixelColor(doc.frameSet->frame(1).image, 0, 0);
  EXPECT_EQ(c.b, 255);  // colour 3
}

// Each answer of the editor has its own exit status and words; an editor that asks its
// user is waited for past the --wait limit, which bounds only its first reaction.
TEST_F(SendTest, TheExitStatusSaysWhatTheEditorDid) {
  struct Case {
    std::vector<uint32_t> words;
    int pauseMs;
    int exitCode;
    const char* says;
  } cases[] = {
      {{Word(HandOverAnswer::kLoaded)}, 0, 0, "the editor loaded"},
      {{Word(HandOverAnswer::kAskingUser), Word(HandOverAnswer::kLoaded)}, 1500, 0,
       "the editor loaded"},
      {{Word(HandOverAnswer::kAskingUser), Word(HandOverAnswer::kRefusedByUser)}, 0, 3,
       "kept the open picture"},
      {{Word(HandOverAnswer::kBusy)}, 0, 4, "the editor is busy"},
      {{Word(HandOverAnswer::kLoadFailed)}, 0, 1, "could not load"},
      {{0}, 0, 1, "did not take the picture"},  // an editor that gives no details
      {{Word(HandOverAnswer::kAskingUser)}, 0, 6, "gave no answer"},  // gone while asking
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    Editor editor(socketPath_, c.words, c.pauseMs);
    ASSERT_TRUE(editor.listening());
    RunResult r = RunCli({"send", "--wait", "1", animation_});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    const std::string& told = c.exitCode == 0 ? r.out : r.err;
    EXPECT_NE(told.find(c.says), std::string::npos) << told;
    const bool asked = c.words.front() == Word(HandOverAnswer::kAskingUser);
    EXPECT_EQ(r.err.find("waiting for the answer") != std::string::npos, asked) << r.err;
    EXPECT_EQ(editor.Received().size(), 1u);
  }
}

// A socket that is there but never answers (an editor stuck in a long task) is told apart
// from no editor at all, and the wait ends at the limit.
TEST_F(SendTest, AnEditorThatNeverAnswersIsNotANoEditor) {
  int fd = testing::BindUnixSocket(socketPath_);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::listen(fd, 4), 0);  // connections wait in the backlog, never accepted
  const auto start = std::chrono::steady_clock::now();
  RunResult r = RunCli({"send", "--wait", "1", animation_});
  const auto took = std::chrono::steady_clock::now() - start;
  ::close(fd);
  EXPECT_EQ(r.exitCode, 6) << r.err;
  EXPECT_NE(r.err.find("gave no answer (none within 1 s"), std::string::npos) << r.err;
  EXPECT_LT(took, std::chrono::seconds(5));

  RunResult bad = RunCli({"send", "--wait", "0", animation_});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("--wait"), std::string::npos) << bad.err;
}

TEST_F(SendTest, FailsClearlyWhenNoEditorRuns) {
  // Nothing at the socket path, then a socket left behind by an editor that is gone.
  for (bool leftBehind : {false, true}) {
    if (leftBehind) {
      int fd = testing::BindUnixSocket(socketPath_);
      ASSERT_GE(fd, 0);
      ::close(fd);
    }
    RunResult r = RunCli({"send", animation_});
    EXPECT_EQ(r.exitCode, 5) << leftBehind;
    EXPECT_NE(r.err.find("no editor is running"), std::string::npos) << r.err;
  }
}

TEST_F(SendTest, ReportsAFileItCannotRead) {
  Editor editor(socketPath_);
  ASSERT_TRUE(editor.listening());
  RunResult missing = RunCli({"send", files_ / "missing.gif"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find(MessageText(kMsgBadImageFile)), std::string::npos) << missing.err;
  RunResult unknown = RunCli({"send", files_ / "notes.txt"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find(".txt"), std::string::npos) << unknown.err;
  RunResult noFile = RunCli({"send"});
  EXPECT_EQ(noFile.exitCode, 2);
  EXPECT_TRUE(editor.Received().empty());
}

}  // namespace
}  // namespace zel::clitest
