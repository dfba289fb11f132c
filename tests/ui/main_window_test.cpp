// The real main window, offscreen: loading through the commands' paths, the status panes
// and tool bars, playback, drops, the local socket, saving and the question on close.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/enabling_rules.h"
#include "app/instance_messages.h"
#include "app/settings.h"
#include "document/playback.h"
#include "document/time_adjustment.h"
#include "imagefiles/gif_decoder.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "support/gif_builder.h"
#include "ui/commands/command_executors.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::ProcessEventsFor;
using testing::WaitUntil;
using testing::Rgb;
using testing::WriteBytes;

const std::vector<Rgb>& kColors = testing::kEightColors;

// Pixels that do not compress to nothing, so that the file passes the 1024-byte quick test.
std::vector<uint8_t> Noise(int width, int height, int seed) {
  return testing::Noise(width, height, kColors.size(), 12345u + static_cast<uint32_t>(seed));
}

// A looping animation of `frames` frames of 80 x 60, each shown for `delay` hundredths.
std::string WriteAnimation(const std::string& path, int frames, int delay) {
  GifBuilder gif(80, 60, kColors);
  gif.Looping();
  for (int i = 0; i < frames; ++i)
    gif.Control(0x04, delay, 0).Image(0, 0, 80, 60, Noise(80, 60, i));
  WriteBytes(path, gif.Trailer().bytes());
  return path;
}

// A single GIF picture of 20 x 10; its top-left pixel is red.
std::string WritePicture(const std::string& path) {
  std::vector<uint8_t> pixels = Noise(20, 10, 99);
  pixels[0] = 1;
  WriteBytes(path, GifBuilder(20, 10, kColors).Image(0, 0, 20, 10, pixels).Trailer().bytes());
  return path;
}

// Runs `work` on another thread while this one serves the window's events.
template <typename T>
T WhileServing(std::function<T()> work) {
  std::packaged_task<T()> task(std::move(work));
  std::future<T> result = task.get_future();
  std::thread thread(std::move(task));
  QElapsedTimer timer;
  timer.start();
  while (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready &&
         timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  thread.join();
  return result.get();
}

// Closes the next modal window with reject() (a file dialog's Cancel) once it shows.
class RejectNextModal {
 public:
  RejectNextModal() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        timer_.stop();
        title = dialog->windowTitle();
        dialog->reject();
      }
    });
    timer_.start();
  }
  QString title;  // empty until a dialog was closed

 private:
  QTimer timer_;
};

class MainWindowTest : public testing::MainWindowFixture {
 protected:
  std::string Pane(QLabel* pane) { return pane->text().toStdString(); }

  // Opens an animation and inserts a copy of a frame, so that it has an undo history.
  void OpenEdited(const std::string& name, int frames) {
    ASSERT_TRUE(window_->OpenFile(WriteAnimation(File(name), frames, 10)).done());
    ASSERT_TRUE(window_->RunCommand(kCmdStop));
    ASSERT_TRUE(window_->RunCommand(kCmdInsertFrame));
    ASSERT_EQ(Doc().frameSet->count, frames + 1);
    ASSERT_TRUE(Doc().undo.CanUndo());
  }

  // Sends a request over the editor's socket as another program would, serving the window
  // meanwhile.
  std::optional<uint32_t> Send(uint32_t message, uint32_t wParam, std::vector<uint8_t> data) {
    std::optional<std::string> folder = InstanceFolder(false);
    if (!folder) return std::nullopt;
    const std::string socket = *folder + kInstanceSocketName;
    return WhileServing<std::optional<uint32_t>>(
        [=] { return SendMessage(socket, message, wParam, 0, data, 3000); });
  }
};

TEST_F(MainWindowTest, StartsEmptyWithTheBarsAndCommandsOfNothingOpen) {
  EXPECT_EQ(window_->windowTitle().toStdString(), "無題 - Zel");
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_FALSE(window_->AnimationBar()->isVisible());
  EXPECT_EQ(window_->StandardBar()->windowTitle().toStdString(), "汎用ツール");
  EXPECT_EQ(window_->AnimationBar()->windowTitle().toStdString(), "アニメツール");
  struct Case {
    CommandId id;
    bool enabled;
  };
  for (const Case& c : std::initializer_list<Case>{{kCmdOpen, true},
                                                   {kCmdSaveGif, false},
                                                   {kCmdStart, false},
                                                   {kCmdUndo, false},
                                                   {kCmdInvertBackground, true},
                                                   {kCmdRotate, false}}) {  // not built
    ASSERT_NE(window_->Action(c.id), nullptr) << c.id;
    EXPECT_EQ(window_->Action(c.id)->isEnabled(), c.enabled) << c.id;
    EXPECT_EQ(window_->IsAvailable(c.id), c.enabled) << c.id;
  }
  EXPECT_FALSE(window_->RunCommand(kCmdRotate));
  EXPECT_EQ(window_->Action(kCmdOpen)->shortcut().toString().toStdString(), "Ctrl+O");

  // Only one editor per user.
  EditorSession second;
  EXPECT_EQ(second.Start(), StartResult::kAlreadyRunning);
}

// A file with more frames than the frame maximum (256 by default) opens with its first 256
// frames, and the user is told once, after the window shows the document, whichever way
// the file came in.
TEST_F(MainWindowTest, FramesBeyondTheMaximumAreNamedOnOpening) {
  ASSERT_EQ(Doc().frameMax, 256);
  GifBuilder gif(2, 1, {{0, 0, 0}, {255, 255, 255}});
  gif.Looping();
  for (int i = 0; i < 300; ++i) gif.Image(0, 0, 2, 1, {uint8_t(i & 1), 1});
  const std::string path = File("three-hundred.gif");
  WriteBytes(path, gif.Trailer().bytes());
  const QString notice = QString::fromStdString(
      "このファイルには300コマありますが、先頭の256コマだけを読み込みました.\n"
      "上書き保存すると残りのコマは失われます.\n"
      "フレーム最大値は「オプション」の設定で変更できます.");

  std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"open", [&] { ASSERT_TRUE(window_->OpenFile(path).done()); }},
      {"drop", [&] { ASSERT_TRUE(window_->DropFiles({QString::fromStdString(path)})); }},
      {"command line", [&] { window_->LoadCommandLineFile(path); }},
  };
  for (auto& [way, load] : ways) {
    messages_.clear();
    load();
    EXPECT_EQ(Doc().frameSet->count, 256) << way;
    EXPECT_EQ(Pane(window_->FramePane()), "1/256") << way;
    QCoreApplication::processEvents();
    EXPECT_EQ(messages_, QStringList{notice}) << way;
  }

  // A file within the maximum says nothing.
  messages_.clear();
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("three.gif"), 3, 10)).done());
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MainWindowTest, OpeningAnAnimationShowsItsStateAndTheAnimationBar) {
  const std::string path = WriteAnimation(File("three.gif"), 3, 10);
  ASSERT_TRUE(window_->OpenFile(path).done());
  EXPECT_EQ(Pane(window_->KindPane()), "ｱﾆﾒ");
  EXPECT_EQ(Pane(window_->FramePane()), "1/3");
  EXPECT_EQ(Pane(window_->SizePane()), "80,60");
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_EQ(window_->windowTitle().toStdString(), "three.gif - Zel");
  ASSERT_FALSE(window_->RecentFiles().isEmpty());
  EXPECT_EQ(window_->RecentFiles().front().toStdString(), path);
  EXPECT_TRUE(window_->Action(kCmdStop)->isEnabled());
  EXPECT_FALSE(window_->Action(kCmdStart)->isEnabled());  // already playing
  EXPECT_TRUE(messages_.isEmpty());

  // A picture brings the picture bar back; a broken file shows its message and keeps it.
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("still.gif"))).done());
  EXPECT_EQ(Pane(window_->KindPane()), "GIF");
  EXPECT_EQ(Pane(window_->FramePane()), "INDEX");
  EXPECT_TRUE(window_->PictureBar()->isVisible());
  EXPECT_FALSE(window_->AnimationBar()->isVisible());
  WriteBytes(File("broken.gif"), {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_FALSE(window_->OpenFile(File("broken.gif")).done());
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(Pane(window_->SizePane()), "20,10");
}

TEST_F(MainWindowTest, PlaybackAdvancesAndStopStepsOneFrameAtATime) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("fast.gif"), 3, 1)).done());
  int advances = 0;
  QObject::connect(window_->View(), &PictureView::FrameAdvanced, [&] { ++advances; });
  // A delay of one hundredth: far more than a handful of moves in 200 ms.
  EXPECT_TRUE(WaitUntil([&] { return advances >= 5; }, 200)) << advances;
  EXPECT_EQ(Pane(window_->FramePane()), std::to_string(Doc().currentFrame + 1) + "/3");

  ASSERT_TRUE(window_->RunCommand(kCmdStop));
  const int stoppedAt = Doc().currentFrame;
  advances = 0;
  ProcessEventsFor(100);  // stopped: nothing moves in this time
  EXPECT_EQ(advances, 0);
  for (int step = 1; step <= 3; ++step) {
    ASSERT_TRUE(window_->RunCommand(kCmdStop));
    EXPECT_TRUE(WaitUntil([&] { return advances == step; }));
    EXPECT_EQ(advances, step);
    EXPECT_EQ(Doc().currentFrame, (stoppedAt + step) % 3);
    EXPECT_EQ(Pane(window_->FramePane()), std::to_string(Doc().currentFrame + 1) + "/3");
  }
  EXPECT_TRUE(window_->Action(kCmdStart)->isEnabled());
  advances = 0;
  ASSERT_TRUE(window_->RunCommand(kCmdStart));
  EXPECT_TRUE(WaitUntil([&] { return advances >= 5; }, 150)) << advances;
}

TEST_F(MainWindowTest, ViewPaintsThePictureOnTheBackground) {
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("paint.gif"))).done());
  window_->View()->resize(100, 80);
  auto check = [&](QRgb background) {
    QImage shot = window_->View()->grab().toImage();
    ASSERT_GE(shot.width(), 100);
    EXPECT_EQ(shot.pixel(0, 0), qRgb(255, 0, 0));  // the picture's top-left pixel
    EXPECT_EQ(shot.pixel(90, 5), background);      // right of the picture
    EXPECT_EQ(shot.pixel(5, 70), background);      // below it
  };
  check(qRgb(0xC0, 0xC0, 0xC0));
  ASSERT_TRUE(window_->RunCommand(kCmdInvertBackground));
  EXPECT_EQ(Doc().backgroundColor, 0x3F3F3Fu);
  check(qRgb(0x3F, 0x3F, 0x3F));
}

TEST_F(MainWindowTest, ADropLoadsExactlyOneExistingFile) {
  const QString a = QString::fromStdString(WriteAnimation(File("drop-a.gif"), 2, 5));
  const QString b = QString::fromStdString(WritePicture(File("drop-b.gif")));
  EXPECT_FALSE(window_->DropFiles({a, b}));
  EXPECT_FALSE(window_->DropFiles({QString::fromStdString(File("missing.gif"))}));
  EXPECT_FALSE(window_->DropFiles({}));
  EXPECT_EQ(Doc().kind, ImageKind::kNone);
  EXPECT_EQ(questions_, 0);

  EXPECT_TRUE(window_->DropFiles({a}));  // nothing open: no question
  EXPECT_EQ(questions_, 0);
  EXPECT_EQ(Pane(window_->KindPane()), "ｱﾆﾒ");
  EXPECT_TRUE(window_->AnimationBar()->isVisible());

  answerYes_ = false;  // "この操作は、現在の画像を破棄します。" answered No
  EXPECT_FALSE(window_->DropFiles({b}));
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
  answerYes_ = true;
  EXPECT_TRUE(window_->DropFiles({b}));
  EXPECT_EQ(questions_, 2);
  EXPECT_EQ(Pane(window_->KindPane()), "GIF");
  EXPECT_TRUE(window_->PictureBar()->isVisible());
}

TEST_F(MainWindowTest, OtherProgramsReachTheEditorOverTheLocalSocket) {
  std::optional<std::string> folder = InstanceFolder(false);
  ASSERT_TRUE(folder);
  const std::string socket = *folder + kInstanceSocketName;
  auto send = [&](uint32_t message, uint32_t wParam, std::vector<uint8_t> data) {
    return WhileServing<std::optional<uint32_t>>(
        [=] { return SendMessage(socket, message, wParam, 0, data, 3000); });
  };
  EXPECT_EQ(send(kMsgIdentify, 1, {}), std::optional<uint32_t>(74));
  EXPECT_EQ(send(kMsgIdentify, 0, {}), std::optional<uint32_t>(0));

  std::optional<std::vector<uint8_t>> picture =
      PictureFileAsPackedDib(WritePicture(File("handed.gif")));
  ASSERT_TRUE(picture);
  ASSERT_GT(picture->size(), 1024u);
  // Exactly 1024 bytes is not a picture hand-over.
  std::vector<uint8_t> short1024(picture->begin(), picture->begin() + 1024);
  send(kMsgCopyData, kPictureDataIdentifier, short1024);
  EXPECT_EQ(Doc().kind, ImageKind::kNone);

  EXPECT_EQ(send(kMsgCopyData, kPictureDataIdentifier, *picture), std::optional<uint32_t>(1));
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Pane(window_->KindPane()), "BMP");
  EXPECT_EQ(Pane(window_->SizePane()), "20,10");
  EXPECT_TRUE(window_->PictureBar()->isVisible());

  // Garbage with the right identifier and size leaves the document alone.
  send(kMsgCopyData, kPictureDataIdentifier, std::vector<uint8_t>(2000, 0xAB));
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().width, 20);
}

// A picture handed over while a document is open replaces it only after the question of
// a drop is answered Yes; the undo history goes only with the document. Under a modal
// dialog nothing is asked and nothing lands: the sender hears 0.
TEST_F(MainWindowTest, AHandOverAsksBeforeReplacingAndNeverLandsUnderADialog) {
  ASSERT_NO_FATAL_FAILURE(OpenEdited("edited.gif", 3));
  std::optional<std::vector<uint8_t>> picture =
      PictureFileAsPackedDib(WritePicture(File("handed-over.gif")));
  ASSERT_TRUE(picture);

  // Garbage is refused without a question.
  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, std::vector<uint8_t>(2000, 0xAB)),
            std::optional<uint32_t>(0));
  EXPECT_EQ(questions_, 0);

  answerYes_ = false;
  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, *picture), std::optional<uint32_t>(0));
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
  EXPECT_EQ(Doc().frameSet->count, 4);
  EXPECT_TRUE(Doc().undo.CanUndo());

  answerYes_ = true;
  {
    QDialog modal(window_.get());
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, *picture), std::optional<uint32_t>(0));
    EXPECT_EQ(Send(kMsgIdentify, 1, {}), std::optional<uint32_t>(74));  // still answers
    EXPECT_EQ(questions_, 1);
    EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
    EXPECT_TRUE(Doc().undo.CanUndo());
  }

  EXPECT_EQ(Send(kMsgCopyData, kPictureDataIdentifier, *picture), std::optional<uint32_t>(1));
  EXPECT_EQ(questions_, 2);
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Pane(window_->SizePane()), "20,10");
  EXPECT_FALSE(Doc().undo.CanUndo());
}

// A file that does not load leaves the document and its undo history as they were, on
// every way in.
TEST_F(MainWindowTest, AFailedOpenOrDropKeepsTheUndoHistory) {
  ASSERT_NO_FATAL_FAILURE(OpenEdited("keep.gif", 3));
  WriteBytes(File("broken-keep.gif"), {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_FALSE(window_->OpenFile(File("broken-keep.gif")).done());
  EXPECT_FALSE(window_->DropFiles({QString::fromStdString(File("broken-keep.gif"))}));
  EXPECT_EQ(messages_.size(), 2);
  EXPECT_EQ(Doc().frameSet->count, 4);
  EXPECT_TRUE(Doc().undo.CanUndo());
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().frameSet->count, 3);
}

// Cancelling a save dialog leaves the remembered path as it was.
TEST_F(MainWindowTest, CancellingASaveDialogKeepsTheRememberedPath) {
  const std::string icon = File("icon.gif");
  WriteBytes(icon,
             GifBuilder(32, 32, kColors).Image(0, 0, 32, 32, Noise(32, 32, 5)).Trailer().bytes());
  ASSERT_TRUE(window_->OpenFile(icon).done());
  const std::string remembered = Home() + "/files/remembered.png";
  for (CommandId command : {kCmdSaveGif, kCmdSaveBitmap, kCmdMakeIcon}) {
    SCOPED_TRACE(command);
    session_->settings.block.lastImagePath = remembered;
    RejectNextModal cancel;
    ASSERT_TRUE(window_->RunCommand(command));
    EXPECT_FALSE(cancel.title.isEmpty());  // the file dialog was shown
    EXPECT_EQ(session_->settings.block.lastImagePath, remembered);
  }
}

// The colours of every pixel of every frame, with the delays.
struct Frames {
  std::vector<std::vector<QRgb>> pixels;
  std::vector<int> delays;
  bool operator==(const Frames&) const = default;
};

Frames ReadFrames(const std::string& path) {
  FrameSet set(256);
  Frames out;
  if (!LoadGifAnimation(path, set, 256)) return out;
  for (int i = 0; i < set.count; ++i) {
    QImage image = ImageFromPackedDib(set.frame(i).image);
    std::vector<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y));
    }
    out.pixels.push_back(pixels);
    out.delays.push_back(set.frame(i).delay);
  }
  return out;
}

TEST_F(MainWindowTest, SaveAsGifWritesAFileThatReadsBackEqual) {
  const std::string source = WriteAnimation(File("source.gif"), 4, 7);
  ASSERT_TRUE(window_->OpenFile(source).done());
  // A last path inside the settings folder is written without a dialog.
  const std::string target = session_->settingsFolder + "saved.gif";
  session_->settings.block.lastImagePath = target;
  ASSERT_TRUE(window_->RunCommand(kCmdSaveGif));
  EXPECT_TRUE(messages_.isEmpty());
  Frames written = ReadFrames(target);
  EXPECT_EQ(written.pixels.size(), 4u);
  EXPECT_EQ(written.delays, (std::vector<int>{7, 7, 7, 7}));
  EXPECT_TRUE(written == ReadFrames(source));
  EXPECT_EQ(Doc().filePath, target);
  EXPECT_EQ(window_->windowTitle().toStdString(), "saved.gif - Zel");

  // A path that cannot be written shows the GIF write message.
  EXPECT_FALSE(window_->SaveGifTo(Home() + "/no-such-folder/x.gif"));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_.front().toStdString(), "画像ファイルに書き込みできません．");

  // The settings, the last path among them, survive a restart.
  StopWindow();
  StartWindow();
  EXPECT_EQ(session_->settings.block.lastImagePath, target);
}

Frames DocumentFrames(const DocumentState& doc) {
  Frames out;
  for (int i = 0; i < doc.frameSet->count; ++i) {
    QImage image = ImageFromPackedDib(doc.frameSet->frame(i).image);
    std::vector<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y));
    }
    out.pixels.push_back(pixels);
    out.delays.push_back(doc.frameSet->frame(i).delay);
  }
  return out;
}

// The progress window of a save lets events through. Whatever arrives meanwhile (a key,
// a menu, a drop, another program) finds the document busy: nothing changes or replaces
// it, and the file holds the document as it was when the save began.
TEST_F(MainWindowTest, NothingTouchesTheDocumentWhileASaveRuns) {
  ASSERT_NO_FATAL_FAILURE(OpenEdited("saving.gif", 5));
  const Frames atStart = DocumentFrames(Doc());
  const std::string other = WriteAnimation(File("saving-other.gif"), 2, 10);
  std::optional<std::vector<uint8_t>> picture =
      PictureFileAsPackedDib(WritePicture(File("saving-picture.gif")));
  ASSERT_TRUE(picture);
  const std::string target = session_->settingsFolder + "during.gif";
  session_->settings.block.lastImagePath = target;
  window_->deleteFramesChoice = [](QMenu&) { return MainWindow::kDeleteCurrentFrameItem; };

  bool fired = false;
  std::vector<std::pair<std::string, bool>> attempts;
  QTimer::singleShot(0, window_.get(), [&] {
    fired = true;
    window_->UpdateCommandStates(false);
    attempts = {
        {"undo shown enabled", window_->Action(kCmdUndo)->isEnabled()},
        {"undo", window_->RunCommand(kCmdUndo)},
        {"delete frame", window_->RunCommand(kCmdDeleteFrames)},
        {"reverse", window_->RunCommand(kCmdReverse)},
        {"save again", window_->RunCommand(kCmdSaveGif)},
        {"open", window_->OpenFile(other).done()},
        {"recent file", window_->RunCommand(kCmdRecentFile1)},
        {"drop", window_->DropFiles({QString::fromStdString(other)})},
        {"hand-over",
         window_->HandleInstanceMessage({kMsgCopyData, kPictureDataIdentifier, 0, *picture}) != 0},
        {"close", window_->close()},
    };
  });
  ASSERT_TRUE(window_->RunCommand(kCmdSaveGif));
  ASSERT_TRUE(fired) << "the save ran no events";
  for (const auto& [name, succeeded] : attempts) EXPECT_FALSE(succeeded) << name;
  EXPECT_EQ(questions_, 0);
  EXPECT_EQ(saveQuestions_, 0);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(ReadFrames(target) == atStart);
  EXPECT_TRUE(DocumentFrames(Doc()) == atStart);
  EXPECT_EQ(Doc().filePath, target);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Doc().flags & kFlagBusy, 0u);
  // Once the save is over the commands work again.
  EXPECT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().frameSet->count, 5);
}

TEST_F(MainWindowTest, TheCommandLineLoadsAnimatedGifsAndHandsOtherFilesOn) {
  const std::string animation = WriteAnimation(File("cmdline.gif"), 3, 10);
  const std::string picture = WritePicture(File("cmdline-still.gif"));
  EXPECT_EQ(window_->LoadCommandLineFile(picture), picture);  // opened later, once
  EXPECT_EQ(Doc().kind, ImageKind::kNone);
  EXPECT_EQ(window_->LoadCommandLineFile(animation), "");
  EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
  EXPECT_EQ(Doc().flags & (kFlagFromCommandLine | kFlagLoaded), kFlagFromCommandLine);
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_EQ(window_->windowTitle().toStdString(), "cmdline.gif - Zel");
  EXPECT_EQ(EditorSession::CommandLineName({"/a b/c d.gif"}), "/a b/c d.gif");
  EXPECT_EQ(EditorSession::CommandLineName({"nofullstop"}), "");
}

TEST_F(MainWindowTest, ClosingAsksToSaveExactlyWhenTheWorkWouldBeLost) {
  const std::string animation = WriteAnimation(File("close.gif"), 3, 10);
  const std::string other = WriteAnimation(File("close-other.gif"), 2, 10);
  struct Case {
    const char* name;
    std::function<void()> prepare;
    bool asks;
  };
  const std::vector<Case> cases = {
      {"nothing open", [] {}, false},
      {"command-line file only", [&] { window_->LoadCommandLineFile(animation); }, false},
      {"file opened without command line", [&] { window_->OpenFile(animation); }, false},
      // Only a change asks: a file replacing another without an edit, or an edit undone
      // back to the state opened, has nothing to lose.
      {"command-line file, then another",
       [&] {
         window_->LoadCommandLineFile(animation);
         (void)window_->OpenFile(other);
       },
       false},
      {"an edit undone",
       [&] {
         (void)window_->OpenFile(animation);
         window_->RunCommand(kCmdReverse);
         window_->RunCommand(kCmdUndo);
       },
       false},
      {"an edit undone and redone",
       [&] {
         (void)window_->OpenFile(animation);
         window_->RunCommand(kCmdReverse);
         window_->RunCommand(kCmdUndo);
         window_->RunCommand(kCmdRedo);
       },
       true},
      // Changes without an undo snapshot, and pictures of 24 bits.
      {"reversed",
       [&] {
         window_->OpenFile(animation);
         window_->RunCommand(kCmdReverse);
       },
       true},
      {"reversed, then saved",
       [&] {
         window_->OpenFile(animation);
         window_->RunCommand(kCmdReverse);
         window_->SaveGifTo(File("close-saved.gif"));
       },
       false},
      {"changed delays",
       [&] {
         (void)window_->OpenFile(animation);
         DetailedTimeModel times(Doc());
         times.TypeTime(0, "55");
         (void)times.Keep();
       },
       true},
      {"delays changed and put back",
       [&] {
         window_->OpenFile(animation);
         SliderTimeModel slider(Doc());
         slider.MoveTo(1);
         slider.Cancel();
       },
       false},
      {"24-bit picture changed",
       [&] {
         window_->OpenFile(WritePicture(File("close-still.gif")));
         window_->RunCommand(kCmdColorResolution);  // back to full colour
         ASSERT_EQ(Doc().bitCount, 24);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopWindow();
    StartWindow();
    c.prepare();
    saveQuestions_ = 0;
    window_->close();
    EXPECT_EQ(saveQuestions_, c.asks ? 1 : 0);
  }

  // "保存する" saves as GIF before closing (reversed twice: the same frames, but changed).
  StopWindow();
  StartWindow();
  window_->LoadCommandLineFile(animation);
  ASSERT_TRUE(window_->OpenFile(other).done());
  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  const std::string target = session_->settingsFolder + "on-close.gif";
  session_->settings.block.lastImagePath = target;
  saveAnswer_ = SaveChoice::kSave;
  window_->close();
  EXPECT_TRUE(ReadFrames(target) == ReadFrames(other));
}

// Only "保存しない" lets changes go. Escape or the close box, a cancelled file dialog and a
// failed save all keep the window open with the document as it was.
TEST_F(MainWindowTest, ClosingWithChangesEndsOnlyWhenTheyAreSavedOrDiscarded) {
  const std::string animation = WriteAnimation(File("exit.gif"), 3, 10);
  const std::string outside = File("exit-saved.gif");  // asks for a file name first
  struct Case {
    const char* name;
    bool animation;  // else a 24-bit picture, saved as a bitmap
    SaveChoice answer;
    std::string lastPath;
    bool cancelFileDialog;
    bool closes;
  };
  const std::vector<Case> cases = {
      {"Escape or close box", true, SaveChoice::kCancel, outside, false, false},
      {"save, file dialog cancelled", true, SaveChoice::kSave, outside, true, false},
      {"save fails", true, SaveChoice::kSave, session_->settingsFolder + "none/x.gif", false,
       false},
      {"24 bits: save, file dialog cancelled", false, SaveChoice::kSave, outside, true, false},
      {"save into the settings folder", true, SaveChoice::kSave,
       session_->settingsFolder + "exit.gif", false, true},
      {"24 bits: discard", false, SaveChoice::kDiscard, outside, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopWindow();
    StartWindow();
    if (c.animation) {
      ASSERT_TRUE(window_->OpenFile(animation).done());
      ASSERT_TRUE(window_->RunCommand(kCmdReverse));
    } else {
      ASSERT_TRUE(window_->OpenFile(WritePicture(File("exit-still.gif"))).done());
      ASSERT_TRUE(window_->RunCommand(kCmdColorResolution));
      ASSERT_EQ(Doc().bitCount, 24);
    }
    const Frames before = DocumentFrames(Doc());
    session_->settings.block.lastImagePath = c.lastPath;
    saveAnswer_ = c.answer;
    saveQuestions_ = 0;
    messages_.clear();
    std::unique_ptr<RejectNextModal> cancel;
    if (c.cancelFileDialog) cancel = std::make_unique<RejectNextModal>();
    EXPECT_EQ(window_->close(), c.closes);
    EXPECT_EQ(saveQuestions_, 1);
    if (cancel) {
      EXPECT_FALSE(cancel->title.isEmpty());
    }
    EXPECT_EQ(window_->isVisible(), !c.closes);
    if (!c.closes) {
      EXPECT_TRUE(HasUnsavedChanges(Doc()));
      EXPECT_TRUE(DocumentFrames(Doc()) == before);
    }
  }
  // The save that closed the window wrote the reversed animation.
  EXPECT_EQ(ReadFrames(session_->settingsFolder + "exit.gif").delays.size(), 3u);
}

// Opening another file over unsaved work asks "保存の確認" first, as closing does.
TEST_F(MainWindowTest, OpeningOverUnsavedWorkAsksFirst) {
  const std::string edited = WriteAnimation(File("edited.gif"), 3, 10);
  const std::string other = WriteAnimation(File("other.gif"), 5, 10);
  const std::string saved = session_->settingsFolder + "edited-saved.gif";
  struct Case {
    const char* name;
    SaveChoice answer;
    bool opens;
  };
  for (const Case& c :
       {Case{"cancel", SaveChoice::kCancel, false}, Case{"discard", SaveChoice::kDiscard, true},
        Case{"save", SaveChoice::kSave, true}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(window_->OpenFile(edited).done());
    window_->AddRecentFile(QString::fromStdString(other));  // entry 1
    ASSERT_TRUE(window_->RunCommand(kCmdReverse));
    const Frames reversed = DocumentFrames(Doc());
    session_->settings.block.lastImagePath = saved;  // a save goes there without a dialog
    saveAnswer_ = c.answer;
    saveQuestions_ = 0;
    ASSERT_TRUE(window_->RunCommand(kCmdRecentFile1));
    EXPECT_EQ(saveQuestions_, 1);
    EXPECT_EQ(Doc().filePath, c.opens ? other : edited);
    EXPECT_EQ(Doc().frameSet->count, c.opens ? 5 : 3);
    if (!c.opens) {
      EXPECT_TRUE(DocumentFrames(Doc()) == reversed);
    }
    if (c.answer == SaveChoice::kSave) {
      EXPECT_EQ(ReadFrames(saved).delays.size(), 3u);
    }
  }
  // Nothing to lose: no question.
  saveQuestions_ = 0;
  window_->AddRecentFile(QString::fromStdString(edited));
  ASSERT_TRUE(window_->RunCommand(kCmdRecentFile1));
  EXPECT_EQ(saveQuestions_, 0);
  EXPECT_EQ(Doc().filePath, edited);
}

TEST_F(MainWindowTest, UndoAndBarTogglesRunFromTheCommandSet) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("undo.gif"), 3, 10)).done());
  EXPECT_FALSE(window_->IsAvailable(kCmdUndo));
  Doc().undo.TakeSnapshot(Doc(), kUndoEdit);
  window_->UpdateCommandStates(false);
  EXPECT_TRUE(window_->Action(kCmdUndo)->isEnabled());
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_FALSE(window_->Action(kCmdUndo)->isEnabled());
  EXPECT_EQ(Pane(window_->KindPane()), "ｱﾆﾒ");

  QAction* toggle = window_->Action(kCmdPictureToolBar);
  EXPECT_FALSE(toggle->isChecked());
  ASSERT_TRUE(window_->RunCommand(kCmdPictureToolBar));
  EXPECT_TRUE(window_->PictureBar()->isVisible());
  EXPECT_TRUE(toggle->isChecked());
  ASSERT_TRUE(window_->RunCommand(kCmdPictureToolBar));
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_FALSE(toggle->isChecked());
}

// A command is built exactly when the editor has an executor for it; one without stays in
// the menus but is never available, whatever its rule says.
TEST_F(MainWindowTest, CommandsWithoutAnExecutorAreNeverAvailable) {
  const std::set<int> built = {kCmdOpen,
                               kCmdSaveGif,
                               kCmdSaveBitmap,
                               kCmdSaveJpeg,
                               kCmdSaveWebp,
                               kCmdSavePng,
                               kCmdMakeIcon,
                               kCmdSavePopup,
                               kCmdExit,
                               kCmdUndo,
                               kCmdRedo,
                               kCmdFrameStrip,
                               kCmdStart,
                               kCmdStop,
                               kCmdJump,
                               kCmdBackgroundColor,
                               kCmdInvertBackground,
                               kCmdOptions,
                               kCmdStandardToolBar,
                               kCmdStatusBar,
                               kCmdPictureToolBar,
                               kCmdAnimationToolBar,
                               kCmdHelp,
                               kCmdAbout,
                               kCmdRecentFile1,
                               kCmdDeleteFrames,
                               kCmdInsertFrame,
                               kCmdConvertToPicture,
                               kCmdMakeFirstFrame,
                               kCmdRepeatAnimation,
                               kCmdReverse,
                               kCmdTimeAdjust,
                               kCmdPaletteOperation,
                               kCmdColorResolution,
                               kCmdCornerPull,
                               kCmdEdgePull,
                               kCmdStretch,
                               kCmdZoom,
                               kCmdRotate,
                               kCmdFishEye,
                               kCmdTrim,
                               kCmdAddMargins,
                               kCmdRotateLeft,
                               kCmdRotateRight,
                               kCmdMirrorHorizontal,
                               kCmdMirrorVertical,
                               kCmdIconSize,
                               kCmdColorAdjust,
                               kCmdTransparency25,
                               kCmdTransparency50,
                               kCmdTransparency75,
                               kCmdTransparencyPopup,
                               kCmdImportClipboard,
                               kCmdExportClipboard,
                               kCmdExternalEdit,
                               kCmdShowInBrowser,
                               kCmdMidiTempo,
                               kCmdSendToVanta,
                               kCmdSendToMorsel,
                               kCmdMakeAnimation,
                               kCmdEffect,
                               kCmdMotion,
                               kCmdOpenMultiple,
                               kCmdOpenVideo,
                               kCmdMergeAnimations,
                               kCmdPreviousFrame,
                               kCmdNextFrame,
                               kCmdFirstFrameShown,
                               kCmdLastFrameShown,
                               kCmdStartStop,
                               kCmdZoomIn,
                               kCmdZoomOut,
                               kCmdZoomActualSize,
                               kCmdZoomToFit};
  for (int i = 0; i < kRecentFileCount; ++i) EXPECT_NE(FindExecutor(RecentFileCommand(i)), nullptr);
  EXPECT_EQ(FindExecutor(RecentFileCommand(kRecentFileCount)), nullptr);
  for (const CommandExecutor& executor : CommandExecutors()) {
    EXPECT_NE(FindCommand(executor.id), nullptr) << "an executor without a row: " << executor.id;
  }

  // A stopped animation on its fourth frame enables nearly everything.
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("built.gif"), 10, 5)).done());
  StopPlayback(Doc());
  Doc().currentFrame = 3;
  const CommandContext ctx{.doc = &Doc(),
                           .canUndo = Doc().undo.CanUndo(),
                           .motionDefinitionsExist = session_->motions.Count() > 0};
  for (const CommandInfo& info : CommandTable()) {
    if (IsRecentFileCommand(info.id)) continue;
    const bool has = built.count(info.id) != 0;
    EXPECT_EQ(FindExecutor(info.id) != nullptr, has) << info.id;
    if (info.id == kCmdImportClipboard) continue;  // the window asks the real clipboard
    EXPECT_EQ(window_->IsAvailable(info.id), has && IsCommandEnabled(info.id, ctx)) << info.id;
  }
  // Enabled by its rule, but not carried out by this program yet: never run.
  for (const CommandInfo& info : CommandTable()) {
    if (IsRecentFileCommand(info.id) || FindExecutor(info.id) != nullptr) continue;
    if (!IsCommandEnabled(info.id, ctx)) continue;
    EXPECT_FALSE(window_->IsAvailable(info.id)) << info.id;
    EXPECT_FALSE(window_->RunCommand(info.id)) << info.id;
  }
  // Built, but disabled by its rule.
  EXPECT_FALSE(window_->IsAvailable(kCmdMakeIcon));
  EXPECT_TRUE(window_->IsAvailable(kCmdJump));
}

}  // namespace
}  // namespace zel
