// The animation menu's frame commands and the two forms of time adjustment on the real main
// window, offscreen: the frames and status panes after each command, undo, the delete pop-up,
// delays changed while the animation plays, and zel-cli's edit giving the editor's file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "document/playback.h"
#include "support/gif_builder.h"
#include "ui/dialogs/time_detail_dialog.h"
#include "ui/dialogs/time_slider_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::ModalScript;
using testing::ProcessEventsFor;
using testing::WaitUntil;
using testing::ReadBytes;
using testing::Rgb;

const std::vector<Rgb>& kColors = testing::kEightColors;

// Frame i of the test animations: noise whose top-left pixel has colour i % 8, shown for
// delays[i] hundredths. The delays tell the frames apart after they have moved.
std::string WriteAnimation(const std::string& path, const std::vector<int>& delays) {
  GifBuilder gif(80, 60, kColors);
  gif.Looping();
  for (size_t i = 0; i < delays.size(); ++i) {
    std::vector<uint8_t> pixels =
        testing::Noise(80, 60, kColors.size(), 777u + static_cast<uint32_t>(i));
    pixels[0] = static_cast<uint8_t>(i % kColors.size());
    gif.Control(0x04, delays[i], 0).Image(0, 0, 80, 60, pixels);
  }
  return testing::WriteGif(path, gif);
}

// Types `text` into an edit box key by key, replacing what it holds.
void TypeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(edit, &del);
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(edit, &press);
  }
}

class FrameCommandsTest : public testing::MainWindowFixture {
 protected:
  FrameCommandsTest() { noMessages_ = true; }

  std::string Pane(QLabel* pane) { return pane->text().toStdString(); }

  void Open(const std::string& name, const std::vector<int>& delays) {
    ASSERT_TRUE(window_->OpenFile(WriteAnimation(File(name), delays)).done());
  }

  // Stops playback on frame `frame` (0-based) the way the jump dialog does.
  void StopAt(int frame) {
    if (!(Doc().flags & kFlagStopped)) {
      ASSERT_TRUE(window_->RunCommand(kCmdStop));
    }
    JumpToFrame(Doc(), frame);
    ASSERT_TRUE(WaitUntil([this] { return !(Doc().flags & kFlagStep); }));
    ASSERT_EQ(Doc().currentFrame, frame);
    window_->UpdateCommandStates(false);
  }

  // Triggers the command's action as its menu item would.
  void Trigger(int id) {
    QAction* action = window_->Action(id);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << id;
    action->trigger();
  }

  // The colour of the top-left pixel of frame i, and of the shown picture.
  QRgb FrameColor(int i) { return ImageFromPackedDib(Doc().frameSet->frame(i).image).pixel(0, 0); }
  QRgb ShownColor() { return ImageFromPackedDib(Doc().currentPicture).pixel(0, 0); }
  static QRgb Color(int i) { return qRgb(kColors[i].r, kColors[i].g, kColors[i].b); }

  // Counts the frames playback moves through in `ms`; with `enough`, the count stops once it
  // reaches that many. Without, the whole time is waited out: a test that counts at most a
  // few frames means that no more move in that time.
  int AdvancesIn(int ms, int enough = 0) {
    int advances = 0;
    auto connection =
        QObject::connect(window_->View(), &PictureView::FrameAdvanced, [&] { ++advances; });
    if (enough > 0) {
      (void)WaitUntil([&] { return advances >= enough; }, ms);
    } else {
      ProcessEventsFor(ms);
    }
    QObject::disconnect(connection);
    return advances;
  }
};

// The same window and files; the tests of time adjustment.
class TimeDialogTest : public FrameCommandsTest {};

const std::vector<int> kFive = {10, 11, 12, 13, 14};

TEST_F(FrameCommandsTest, EachCommandRearrangesTheFramesAndUndoBringsThemBack) {
  struct Case {
    const char* name;
    int command;
    int popupItem;  // for the delete command
    std::vector<int> delays;
    std::string framePane;
    bool undoable;
  };
  const std::vector<Case> cases = {
      {"delete current",
       kCmdDeleteFrames,
       MainWindow::kDeleteCurrentFrameItem,
       {10, 11, 13, 14},
       "3/4",
       true},
      {"delete before",
       kCmdDeleteFrames,
       MainWindow::kDeleteFramesBeforeItem,
       {12, 13, 14},
       "1/3",
       true},
      {"delete after",
       kCmdDeleteFrames,
       MainWindow::kDeleteFramesAfterItem,
       {10, 11, 12},
       "3/3",
       true},
      {"insert copy", kCmdInsertFrame, 0, {10, 11, 12, 12, 13, 14}, "3/6", true},
      {"first frame", kCmdMakeFirstFrame, 0, {12, 13, 14, 10, 11}, "1/5", true},
      {"repeat", kCmdRepeatAnimation, 0, {10, 11, 12, 13, 14, 10, 11, 12, 13, 14}, "3/10", true},
      {"reverse", kCmdReverse, 0, {14, 13, 12, 11, 10}, "1/5", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(std::string("ops-") + std::to_string(c.command) + ".gif", kFive);
    ASSERT_NO_FATAL_FAILURE(StopAt(2));
    EXPECT_EQ(Pane(window_->FramePane()), "3/5");
    window_->deleteFramesChoice = [&](QMenu&) { return c.popupItem; };
    Trigger(c.command);
    EXPECT_EQ(Delays(), c.delays);
    EXPECT_EQ(Pane(window_->FramePane()), c.framePane);
    EXPECT_EQ(Pane(window_->KindPane()), "ｱﾆﾒ");
    // The frames' pictures moved with their delays; the view shows the current frame.
    for (size_t i = 0; i < c.delays.size(); ++i) EXPECT_EQ(FrameColor(i), Color(c.delays[i] - 10));
    EXPECT_EQ(ShownColor(), FrameColor(Doc().currentFrame));
    if (c.command == kCmdReverse) {
      EXPECT_EQ(Doc().flags & kFlagStopped, 0u);  // plays again
    }

    EXPECT_EQ(window_->Action(kCmdUndo)->isEnabled(), c.undoable);
    if (!c.undoable) continue;
    Trigger(kCmdUndo);
    EXPECT_EQ(Delays(), kFive);
    EXPECT_EQ(Pane(window_->FramePane()), std::to_string(Doc().currentFrame + 1) + "/5");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FrameColor(i), Color(i));
  }
}

// Playback moves on after a command; undo then shows the frame that was current when the
// command ran, and the frame number, the status pane and the frame commands follow it.
TEST_F(FrameCommandsTest, AfterUndoTheShownFrameIsTheCurrentFrame) {
  Open("undo-shown.gif", kFive);
  ASSERT_NO_FATAL_FAILURE(StopAt(2));
  Trigger(kCmdInsertFrame);
  EXPECT_EQ(Pane(window_->FramePane()), "3/6");
  for (int step = 0; step < 2; ++step) {
    Trigger(kCmdStop);  // stopped: one frame on
    ASSERT_TRUE(WaitUntil([this] { return !(Doc().flags & kFlagStep); }));
  }
  ASSERT_EQ(Pane(window_->FramePane()), "5/6");

  Trigger(kCmdUndo);  // Ctrl+Z
  EXPECT_EQ(Delays(), kFive);
  EXPECT_EQ(Doc().currentFrame, 2);
  EXPECT_EQ(Pane(window_->FramePane()), "3/5");
  EXPECT_EQ(ShownColor(), Color(2));
  EXPECT_EQ(window_->View()->grab().toImage().pixel(0, 0), Color(2));

  window_->UpdateCommandStates(false);
  window_->deleteFramesChoice = [](QMenu&) { return MainWindow::kDeleteCurrentFrameItem; };
  Trigger(kCmdDeleteFrames);
  EXPECT_EQ(Delays(), (std::vector<int>{10, 11, 13, 14}));  // the frame that was shown
}

TEST_F(FrameCommandsTest, DeletingOneOfTwoFramesOrConvertingLeavesAPictureUntilUndo) {
  for (CommandId command : {kCmdDeleteFrames, kCmdConvertToPicture}) {
    SCOPED_TRACE(command);
    Open("two-" + std::to_string(command) + ".gif", {20, 30});
    ASSERT_NO_FATAL_FAILURE(StopAt(0));
    window_->deleteFramesChoice = [](QMenu&) { return MainWindow::kDeleteCurrentFrameItem; };
    Trigger(command);
    EXPECT_EQ(Doc().kind, ImageKind::kGifPicture);
    EXPECT_EQ(Pane(window_->KindPane()), "GIF");
    EXPECT_EQ(Pane(window_->FramePane()), "INDEX");
    EXPECT_EQ(Pane(window_->SizePane()), "80,60");
    // Deleting frame 0 shows the other frame; converting keeps the current one.
    EXPECT_EQ(ShownColor(), Color(command == kCmdDeleteFrames ? 1 : 0));
    EXPECT_TRUE(window_->PictureBar()->isVisible());
    EXPECT_FALSE(window_->AnimationBar()->isVisible());

    Trigger(kCmdUndo);
    EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
    EXPECT_EQ(Delays(), (std::vector<int>{20, 30}));
    EXPECT_EQ(Pane(window_->KindPane()), "ｱﾆﾒ");
    EXPECT_EQ(Pane(window_->FramePane()), std::to_string(Doc().currentFrame + 1) + "/2");
    EXPECT_TRUE(window_->AnimationBar()->isVisible());
    EXPECT_FALSE(window_->PictureBar()->isVisible());
  }
}

TEST_F(FrameCommandsTest, TheDeletePopupGraysWhatCannotBeDeletedAndDismissingKeepsAll) {
  Open("popup.gif", kFive);
  struct Case {
    int frame;
    bool before, after;
  };
  for (const Case& c : std::vector<Case>{{1, false, true}, {2, true, true}, {3, true, false}}) {
    SCOPED_TRACE(c.frame);
    ASSERT_NO_FATAL_FAILURE(StopAt(c.frame));
    QStringList texts;
    std::vector<bool> enabled;
    window_->deleteFramesChoice = [&](QMenu& menu) {
      for (QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        enabled.push_back(action->isEnabled());
      }
      return 0;  // dismissed
    };
    Trigger(kCmdDeleteFrames);
    EXPECT_EQ(texts.join(QStringLiteral("|")).toStdString(),
              "現在のコマを削除する|-|現在より前の全部を削除する|現在より後ろの全部を削除する");
    ASSERT_EQ(enabled.size(), 4u);
    EXPECT_TRUE(enabled[0]);
    EXPECT_EQ(enabled[2], c.before);
    EXPECT_EQ(enabled[3], c.after);
    EXPECT_EQ(Delays(), kFive);

    // A grayed item cannot be chosen.
    window_->deleteFramesChoice = [&](QMenu&) {
      return c.before ? MainWindow::kDeleteFramesAfterItem : MainWindow::kDeleteFramesBeforeItem;
    };
    if (!c.before || !c.after) {
      Trigger(kCmdDeleteFrames);
      EXPECT_EQ(Delays(), kFive);
      EXPECT_FALSE(window_->Action(kCmdUndo)->isEnabled());
    }
  }
}

TEST_F(FrameCommandsTest, FrameCommandsFollowTheirRules) {
  // Playing: the commands that need a stopped animation are off, reverse and repeat are on.
  Open("rules.gif", {5, 5, 5});
  window_->UpdateCommandStates(false);
  for (int id : {kCmdDeleteFrames, kCmdInsertFrame, kCmdConvertToPicture, kCmdMakeFirstFrame})
    EXPECT_FALSE(window_->Action(id)->isEnabled()) << id;
  for (int id : {kCmdReverse, kCmdRepeatAnimation, kCmdTimeAdjust})
    EXPECT_TRUE(window_->Action(id)->isEnabled()) << id;
  ASSERT_NO_FATAL_FAILURE(StopAt(0));
  EXPECT_FALSE(window_->Action(kCmdMakeFirstFrame)->isEnabled());  // already first
  EXPECT_FALSE(window_->RunCommand(kCmdMakeFirstFrame));
  EXPECT_TRUE(window_->Action(kCmdInsertFrame)->isEnabled());
  // Repeat stops short of half the frame maximum.
  const int half = Doc().frameMax / 2;
  while (Doc().frameSet->count * 2 < half) ASSERT_TRUE(window_->RunCommand(kCmdRepeatAnimation));
  window_->UpdateCommandStates(false);
  EXPECT_EQ(window_->Action(kCmdRepeatAnimation)->isEnabled(), Doc().frameSet->count < half);
  while (Doc().frameSet->count < half) {
    if (!window_->RunCommand(kCmdInsertFrame)) break;
  }
  window_->UpdateCommandStates(false);
  EXPECT_FALSE(window_->Action(kCmdRepeatAnimation)->isEnabled());
  EXPECT_EQ(Pane(window_->FramePane()), "1/" + std::to_string(Doc().frameSet->count));
}

// --- time adjustment ----------------------------------------------------------------------

TEST_F(TimeDialogTest, SliderChangesDelaysWhilePlayingAndCancelRestoresThem) {
  const std::vector<int> delays = {7, 13, 10, 10};  // total 40: the slider runs 0..200
  Open("slider.gif", delays);
  session_->settings.block.options |= kOptionTimeSlider;
  window_->statusBar()->showMessage(QStringLiteral("before"));
  const std::string sizeBefore = Pane(window_->SizePane());
  Resize(600, 400);  // well inside the 800 x 600 offscreen screen
  int slowAdvances = -1, fastAdvances = -1;
  ModalScript run({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeSliderDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "時間調節、ｽﾗｲﾀﾞｰを操作します");
    EXPECT_FALSE(window_->StandardBar()->isVisible());
    EXPECT_FALSE(window_->AnimationBar()->isVisible());
    // The strip lies along the bottom of the view, as wide as it.
    EXPECT_EQ(dialog->form(), TimeSliderDialog::Form::kStrip);
    const QRect view(window_->View()->mapToGlobal(QPoint(0, 0)), window_->View()->size());
    EXPECT_EQ(dialog->geometry().left(), view.left());
    EXPECT_EQ(dialog->geometry().width(), view.width());
    EXPECT_EQ(dialog->geometry().bottom(), view.bottom());
    QSlider* slider = dialog->Slider();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 200);
    EXPECT_EQ(slider->value(), 40);
    EXPECT_EQ(dialog->SecondsLabel()->text().toStdString(), "0.40");

    slider->setValue(80);  // twice as long
    EXPECT_EQ(Delays(), (std::vector<int>{14, 26, 20, 20}));
    EXPECT_EQ(dialog->SecondsLabel()->text().toStdString(), "0.80");
    slider->setValue(200);  // five times as long: 0.35 s to 0.65 s a frame
    EXPECT_EQ(Delays(), (std::vector<int>{35, 65, 50, 50}));
    EXPECT_EQ(dialog->SecondsLabel()->text().toStdString(), "2.00");
    slowAdvances = AdvancesIn(500);
    slider->setValue(0);  // every frame changes at each tick
    EXPECT_EQ(Delays(), (std::vector<int>{0, 0, 0, 0}));
    fastAdvances = AdvancesIn(500, 15);
    dialog->CancelButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_TRUE(run.Finished());
  // At most one frame change (two when one was already due) in half a second at the
  // longest times; dozens with zero delays.
  EXPECT_LE(slowAdvances, 2);
  EXPECT_GE(fastAdvances, 15);
  EXPECT_EQ(Delays(), delays);
  EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "before");
  EXPECT_EQ(Pane(window_->SizePane()), sizeBefore);
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_FALSE(window_->PictureBar()->isVisible());

  // A view wider than the screen has no room for the strip: the window form opens 4 pixels
  // right of the view's edge and 4 below the picture. OK keeps the new times.
  Resize(1000, 500);
  ModalScript keep({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeSliderDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->form(), TimeSliderDialog::Form::kWindow);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "ｱﾆﾒの時間調節");
    const QPoint view = window_->View()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(dialog->frameGeometry().topLeft(), view + QPoint(4, 60 + 4));
    dialog->Slider()->setValue(20);
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_EQ(Delays(), (std::vector<int>{3, 6, 5, 5}));
  EXPECT_TRUE(session_->settings.block.options & kOptionTimeSlider);
}

TEST_F(TimeDialogTest, DetailedFormEditsFiveFramesAtATime) {
  const std::vector<int> delays = {10, 20, 30, 40, 50, 60, 70};
  Open("detail.gif", delays);
  session_->settings.block.options &= ~kOptionTimeSlider;
  int fastAdvances = -1;
  ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeDetailDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "ｱﾆﾒの時間調節");
    EXPECT_FALSE(window_->AnimationBar()->isVisible());
    auto numbers = [&] {
      std::string s;
      for (int c = 0; c < 5; ++c) s += dialog->NumberLabel(c)->text().toStdString() + ",";
      return s;
    };
    EXPECT_EQ(numbers(), "1,2,3,4,5,");
    EXPECT_EQ(dialog->CountLabel()->text().toStdString(), "7");
    EXPECT_EQ(dialog->TotalLabel()->text().toStdString(), "2.80");
    EXPECT_EQ(dialog->TimeEdit(4)->text().toStdString(), "50");

    dialog->LastButton()->click();
    EXPECT_EQ(numbers(), "3,4,5,6,7,");
    EXPECT_EQ(dialog->TimeEdit(0)->text().toStdString(), "30");
    dialog->BackButton()->click();
    EXPECT_EQ(numbers(), "2,3,4,5,6,");
    dialog->FirstButton()->click();
    EXPECT_EQ(numbers(), "1,2,3,4,5,");
    dialog->ForwardButton()->click();
    EXPECT_EQ(numbers(), "2,3,4,5,6,");

    // Typed times are clamped to 0..1000 in the box and in the frame; the total follows.
    struct Typed {
      const char* text;
      const char* shown;
      int delay;
    };
    for (const Typed& t :
         {Typed{"1500", "1000", 1000}, Typed{"-3", "0", 0}, Typed{"25", "25", 25}}) {
      TypeInto(dialog->TimeEdit(0), QString::fromUtf8(t.text));
      EXPECT_EQ(dialog->TimeEdit(0)->text().toStdString(), t.shown) << t.text;
      EXPECT_EQ(Doc().frameSet->frame(1).delay, t.delay) << t.text;
    }
    EXPECT_EQ(dialog->TotalLabel()->text().toStdString(), "2.85");
    dialog->SpinUp(1)->click();
    EXPECT_EQ(Doc().frameSet->frame(2).delay, 31);
    EXPECT_EQ(dialog->TimeEdit(1)->text().toStdString(), "31");

    // Every shown frame at 0: playback races through them while the dialog is open.
    for (int c = 0; c < 5; ++c) TypeInto(dialog->TimeEdit(c), QStringLiteral("0"));
    dialog->FirstButton()->click();
    TypeInto(dialog->TimeEdit(0), QStringLiteral("0"));
    dialog->LastButton()->click();
    TypeInto(dialog->TimeEdit(4), QStringLiteral("0"));
    EXPECT_EQ(Delays(), std::vector<int>(7, 0));
    fastAdvances = AdvancesIn(300, 10);
    dialog->CloseButton()->click();  // "閉じる" puts the old times back
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_TRUE(script.Finished());
  EXPECT_GE(fastAdvances, 10);
  EXPECT_EQ(Delays(), delays);
  EXPECT_TRUE(window_->AnimationBar()->isVisible());

  // "変更" keeps them.
  ModalScript change({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeDetailDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    TypeInto(dialog->TimeEdit(2), QStringLiteral("5"));
    dialog->ChangeButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_EQ(Delays(), (std::vector<int>{10, 20, 5, 40, 50, 60, 70}));
}

// "ループ回数" in the detailed form: "変更" sets it, the save writes it (no looping block for
// "1回のみ"), undo and redo take it back and forth.
TEST_F(TimeDialogTest, LoopCountFieldIsSavedUndoneAndRedone) {
  Open("loops.gif", {10, 20, 30});
  ASSERT_EQ(Doc().frameSet->loopCount, kLoopForever);
  session_->settings.block.options &= ~kOptionTimeSlider;
  auto saveAndRead = [&](const char* name) {
    const std::string target = session_->settingsFolder + name;
    session_->settings.block.lastImagePath = target;
    EXPECT_TRUE(window_->RunCommand(kCmdSaveGif));
    return ReadBytes(target);
  };
  const std::string netscape = "NETSCAPE2.0";
  auto loopBlock = [&](const std::vector<uint8_t>& bytes) -> int {
    auto at = std::search(bytes.begin(), bytes.end(), netscape.begin(), netscape.end());
    if (at == bytes.end()) return -1;
    const size_t count = static_cast<size_t>(at - bytes.begin()) + 13;
    return bytes[count] | bytes[count + 1] << 8;
  };

  ModalScript once({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeDetailDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->LoopForeverButton()->isChecked());
    EXPECT_EQ(dialog->LoopForeverButton()->text().toStdString(), "無限");
    EXPECT_EQ(dialog->LoopOnceButton()->text().toStdString(), "1回のみ");
    EXPECT_FALSE(dialog->LoopCountBox()->isEnabled());
    dialog->LoopOnceButton()->click();
    dialog->ChangeButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  ASSERT_TRUE(once.Finished());
  EXPECT_EQ(Doc().frameSet->loopCount, kPlayOnce);
  EXPECT_EQ(loopBlock(saveAndRead("once.gif")), -1);

  ModalScript counted({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeDetailDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->LoopOnceButton()->isChecked());
    dialog->LoopCountButton()->click();
    EXPECT_TRUE(dialog->LoopCountBox()->isEnabled());
    dialog->LoopCountBox()->setValue(4);
    dialog->ChangeButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  ASSERT_TRUE(counted.Finished());
  EXPECT_EQ(loopBlock(saveAndRead("four.gif")), 4);

  // "閉じる" keeps the count as it was.
  ModalScript closed({[&](QWidget* w) {
    auto* dialog = qobject_cast<TimeDetailDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->LoopCountBox()->value(), 4);
    dialog->LoopForeverButton()->click();
    dialog->CloseButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_EQ(Doc().frameSet->loopCount, 4);

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().frameSet->loopCount, kPlayOnce);
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().frameSet->loopCount, kLoopForever);
  ASSERT_TRUE(window_->RunCommand(kCmdRedo));
  EXPECT_EQ(Doc().frameSet->loopCount, kPlayOnce);
  EXPECT_EQ(Doc().frameSet->count, 3);
}

TEST_F(TimeDialogTest, SwitchingFormsRestoresTheDelaysEachTime) {
  const std::vector<int> delays = {4, 9, 17};
  Open("switch.gif", delays);
  session_->settings.block.options &= ~kOptionTimeSlider;
  ModalScript script({
      [&](QWidget* w) {
        auto* dialog = qobject_cast<TimeDetailDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        // With three frames the last two columns stay empty and cannot be edited.
        EXPECT_EQ(dialog->NumberLabel(3)->text().toStdString(), "");
        EXPECT_FALSE(dialog->TimeEdit(3)->isEnabled());
        EXPECT_FALSE(dialog->TimeEdit(4)->isEnabled());
        EXPECT_TRUE(dialog->TimeEdit(2)->isEnabled());
        dialog->LastButton()->click();  // fewer than six frames: no navigation
        EXPECT_EQ(dialog->NumberLabel(0)->text().toStdString(), "1");
        TypeInto(dialog->TimeEdit(0), QStringLiteral("99"));
        EXPECT_EQ(Doc().frameSet->frame(0).delay, 99);
        dialog->SwitchButton()->click();
      },
      [&](QWidget* w) {
        auto* dialog = qobject_cast<TimeSliderDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Delays(), delays);
        EXPECT_EQ(dialog->Slider()->maximum(), 150);  // total 30
        dialog->Slider()->setValue(60);
        EXPECT_EQ(Delays(), (std::vector<int>{8, 18, 34}));
        dialog->SwitchButton()->click();
      },
      [&](QWidget* w) {
        auto* dialog = qobject_cast<TimeDetailDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Delays(), delays);
        EXPECT_EQ(dialog->TimeEdit(1)->text().toStdString(), "9");
        dialog->reject();  // Escape
      },
  });
  ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Delays(), delays);
  EXPECT_EQ(session_->settings.block.options & kOptionTimeSlider, 0u);  // flipped twice
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_TRUE(window_->StandardBar()->isVisible());
}

TEST_F(TimeDialogTest, PictureButtonsDrawTheFramesScaledOnGrey) {
  EXPECT_EQ(FramePictureSize(QSize(80, 60), QSize(72, 72)), QSize(72, 54));
  EXPECT_EQ(FramePictureSize(QSize(30, 60), QSize(72, 72)), QSize(36, 72));
  EXPECT_EQ(FramePictureSize(QSize(50, 50), QSize(72, 40)), QSize(72, 40));

  Open("pictures.gif", {10, 10, 10});
  TimeDetailDialog dialog(Doc(), window_.get());
  const QRgb grey = qRgb(0xC0, 0xC0, 0xC0);
  for (int c = 0; c < 5; ++c) {
    SCOPED_TRACE(c);
    QImage shot = dialog.PictureButton(c)->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(72, 72));
    EXPECT_EQ(shot.pixel(71, 71), grey);  // below the 72 x 54 picture
    if (c < 3) {
      EXPECT_EQ(shot.pixel(0, 0), Color(c));
      // The frame's pixels, scaled by 72/80 both ways.
      const QImage frame = ImageFromPackedDib(Doc().frameSet->frame(c).image);
      EXPECT_EQ(shot.pixel(71, 53), frame.pixel(79, 59));
    } else {
      EXPECT_EQ(shot.pixel(0, 0), grey);
    }
  }
}

// --- zel-cli --------------------------------------------------------------------------------

TEST_F(FrameCommandsTest, CliEditGivesTheFileTheEditorSaves) {
  const std::string source = WriteAnimation(File("cli-in.gif"), {10, 20, 30, 40, 50});
  const std::string cliOut = File("cli-out.gif");
  const std::string command = std::string("'") + ZEL_CLI_PATH + "' edit '" + source +
                              "' --delete-frame 2 --reverse -o '" + cliOut + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  ASSERT_TRUE(window_->OpenFile(source).done());
  ASSERT_NO_FATAL_FAILURE(StopAt(1));
  window_->deleteFramesChoice = [](QMenu&) { return MainWindow::kDeleteCurrentFrameItem; };
  Trigger(kCmdDeleteFrames);
  Trigger(kCmdReverse);
  EXPECT_EQ(Delays(), (std::vector<int>{50, 40, 30, 10}));
  const std::string editorOut = File("editor-out.gif");
  ASSERT_TRUE(window_->SaveGifTo(editorOut));

  const std::vector<uint8_t> fromCli = ReadBytes(cliOut);
  ASSERT_GT(fromCli.size(), 1000u);
  EXPECT_TRUE(fromCli == ReadBytes(editorOut));
}

}  // namespace
}  // namespace zel
