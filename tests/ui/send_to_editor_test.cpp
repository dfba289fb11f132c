// `zel-cli send` against the real main window on its real local socket: the exit status
// and the words say what the editor did, however long its user takes to answer.
#include <QColor>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "ui/main_window_fixture.h"

namespace zel::testing {
namespace {

struct Sent {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// zel-cli send, run while the window serves its events.
class Sender {
 public:
  explicit Sender(const std::vector<std::string>& args) {
    QStringList list{QStringLiteral("send")};
    for (const std::string& a : args) list << QString::fromStdString(a);
    process_.start(QStringLiteral(ZEL_CLI_PATH), list);
    process_.waitForStarted(5000);
  }
  ~Sender() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(1000);
    }
  }
  bool Done() const { return process_.state() == QProcess::NotRunning; }
  // Serves events until the sender has ended (at most 20 s).
  Sent Wait() {
    Sent sent;
    if (!WaitUntil([this] { return Done(); }, 20000)) return sent;
    sent.exitCode = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    sent.out = process_.readAllStandardOutput().toStdString();
    sent.err = process_.readAllStandardError().toStdString();
    return sent;
  }

 private:
  QProcess process_;
};

Sent Send(const std::vector<std::string>& args) {
  return Sender(args).Wait();
}

class SendToEditorTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    Home();
    ASSERT_TRUE(InstanceFolder(true));  // where the editor listens
    MainWindowFixture::SetUp();
    ASSERT_GE(session_->channel.ListeningFd(), 0);
    png_ = File("photo.png");
    QImage image(20, 10, QImage::Format_RGB888);
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 20; ++x) image.setPixelColor(x, y, QColor(x * 12, y * 25, 200));
    }
    ASSERT_TRUE(image.save(QString::fromStdString(png_), "PNG"));
    GifBuilder gif(6, 4, kEightColors);
    gif.Looping();
    for (int i = 0; i < 3; ++i) gif.Control(0x04, 10, 0).Image(0, 0, 6, 4, Noise(6, 4, 8, 3 + i));
    gif_ = WriteGif(File("walk.gif"), gif);
    open_ = WriteGif(File("open.gif"), GifBuilder(5, 5, kEightColors).Image(0, 0, 5, 5, Noise(5, 5, 8, 1)));
  }

  // The file sent has become the document: the PNG as a 20 x 10 picture, the GIF as its
  // three frames.
  void ExpectLoaded(const std::string& file) {
    if (file == png_) {
      EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
      EXPECT_EQ(Doc().width, 20);
      EXPECT_EQ(Doc().bitCount, 24);
    } else {
      EXPECT_EQ(Doc().kind, ImageKind::kFrameAnimation);
      EXPECT_EQ(Doc().frameSet->count, 3);
    }
  }

  std::string png_;
  std::string gif_;
  std::string open_;
};

// Each outcome with a PNG and a GIF, with and without a picture open.
TEST_F(SendToEditorTest, TheExitStatusSaysWhatTheEditorDid) {
  for (const std::string& file : {png_, gif_}) {
    SCOPED_TRACE(file);
    // Nothing open: loaded without a question.
    StopWindow();
    StartWindow();
    ASSERT_EQ(Doc().kind, ImageKind::kNone);
    questions_ = 0;
    Sent loaded = Send({file});
    EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_NE(loaded.out.find("the editor loaded"), std::string::npos) << loaded.out;
    EXPECT_EQ(questions_, 0);
    ExpectLoaded(file);

    // A picture open, the user answers No: refused, the picture stays.
    ASSERT_TRUE(window_->OpenFile(open_).done());
    answerYes_ = false;
    asked_.clear();
    Sent refused = Send({file});
    EXPECT_EQ(refused.exitCode, 3) << refused.err;
    EXPECT_NE(refused.err.find("kept the open picture"), std::string::npos) << refused.err;
    EXPECT_EQ(asked_, QStringList{QStringLiteral(
                          "この操作は、現在の画像を破棄します。\n続行してよろしいですか?")});
    EXPECT_EQ(Doc().filePath, open_);
    EXPECT_EQ(Doc().kind, ImageKind::kGifPicture);

    // The user answers Yes: loaded.
    answerYes_ = true;
    Sent replaced = Send({file});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    ExpectLoaded(file);

    // A dialog open, with and without a picture: busy, nothing asked or changed.
    for (bool withPicture : {true, false}) {
      SCOPED_TRACE(withPicture);
      if (withPicture) {
        ASSERT_TRUE(window_->OpenFile(open_).done());
      } else {
        StopWindow();
        StartWindow();
      }
      questions_ = 0;
      QDialog dialog(window_.get());
      dialog.setModal(true);
      dialog.show();
      Sent busy = Send({file});
      dialog.hide();
      EXPECT_EQ(busy.exitCode, 4) << busy.err;
      EXPECT_NE(busy.err.find("the editor is busy"), std::string::npos) << busy.err;
      EXPECT_EQ(questions_, 0);
      EXPECT_EQ(Doc().kind, withPicture ? ImageKind::kGifPicture : ImageKind::kNone);
    }
  }
}

// The user takes longer than --wait to answer: the sender waits for the answer and reports
// it. Another sender meanwhile hears that the editor is busy.
TEST_F(SendToEditorTest, TheAnswerIsWaitedForHoweverLongTheUserTakes) {
  ASSERT_TRUE(window_->OpenFile(open_).done());
  Sent second;
  window_->question = [&](const QString& text) {
    asked_ << text;
    second = Send({"--wait", "5", gif_});
    // The user thinks it over, longer than the sender's one second: a time that has to pass,
    // not a state to wait for.
    ProcessEventsFor(1500);
    return true;
  };
  Sent first = Send({"--wait", "1", png_});
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.err.find("waiting for the answer"), std::string::npos) << first.err;
  EXPECT_EQ(asked_.size(), 1);
  ExpectLoaded(png_);
  EXPECT_EQ(second.exitCode, 4) << second.err;
}

// No editor, or a socket left behind by one that is gone: not running.
TEST_F(SendToEditorTest, WithoutAnEditorItSaysNoneRuns) {
  StopWindow();
  Sent none = Send({png_});
  EXPECT_EQ(none.exitCode, 5) << none.err;
  EXPECT_NE(none.err.find("no editor is running"), std::string::npos) << none.err;
  StartWindow();
}

}  // namespace
}  // namespace zel::testing
