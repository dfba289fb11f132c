// The frame strip and redo on the real main window, offscreen: the strip's toggle and its
// remembered state, a click on a thumbnail, a thumbnail dragged to another place (the drop
// events the list receives), undo and redo of the move, thumbnails made only for the frames
// on screen, and redo after an undo; the highlight after every step, thumbnails that follow
// the frames' shape and are made again only for the frames that changed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "platform/profile_file.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/frame_strip.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"
#include "ui/utf8.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::ProcessEventsFor;
using testing::WaitUntil;
using testing::Rgb;

// An animation of frames 16 x 12 whose delays are `delays`; the delays tell frames apart.
std::string WriteAnimation(const std::string& path, const std::vector<int>& delays) {
  GifBuilder gif(16, 12, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  gif.Looping();
  for (size_t i = 0; i < delays.size(); ++i) {
    std::vector<uint8_t> pixels(16 * 12, static_cast<uint8_t>(i % 4));
    gif.Control(0x04, delays[i], 0).Image(0, 0, 16, 12, pixels);
  }
  return testing::WriteGif(path, gif);
}

class FrameStripTest : public testing::MainWindowFixture {
 protected:
  FrameStripTest() { noMessages_ = true; }

  FrameStrip* Strip() { return window_->Strip(); }
  QAction* Action(int id) { return window_->Action(id); }

  void OpenWithStrip(const std::vector<int>& delays) {
    ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("strip.gif"), delays)).done());
    if (!Strip()->isVisible()) {
      ASSERT_TRUE(window_->RunCommand(kCmdFrameStrip));
    }
    ASSERT_TRUE(Strip()->isVisible());
    // The list lays its items out a moment later, and the window paints once it is exposed.
    ASSERT_TRUE(WaitUntil([this] {
      return !Strip()->List()->visualRect(Strip()->Model()->index(0)).isEmpty() &&
             window_->windowHandle() && window_->windowHandle()->isExposed();
    }));
  }

  QPoint CenterOf(int row) {
    return Strip()->List()->visualRect(Strip()->Model()->index(row)).center();
  }

  void Click(int row) {
    QWidget* viewport = Strip()->List()->viewport();
    const QPointF pos = CenterOf(row);
    const QPointF global = viewport->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
  }

  // Drags frame `row`'s thumbnail and drops it at `at` in the list: the events the list
  // receives during a drag, with the data the strip's own drag carries.
  bool DragTo(int row, QPoint at) {
    QWidget* viewport = Strip()->List()->viewport();
    std::unique_ptr<QMimeData> data(Strip()->Model()->mimeData({Strip()->Model()->index(row)}));
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(at), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
  }
};

TEST_F(FrameStripTest, ToggleShowsTheStripAndTheChoiceIsRemembered) {
  EXPECT_FALSE(Strip()->isVisible());
  ASSERT_TRUE(Action(kCmdFrameStrip)->isEnabled());
  Action(kCmdFrameStrip)->trigger();
  EXPECT_TRUE(Strip()->isVisible());
  EXPECT_TRUE(Action(kCmdFrameStrip)->isChecked());
  // Below the view, across the window.
  EXPECT_EQ(window_->dockWidgetArea(Strip()), Qt::BottomDockWidgetArea);
  EXPECT_GT(Strip()->geometry().top(), window_->View()->geometry().top());

  StopWindow();
  ProfileFile file;
  ASSERT_TRUE(file.Load(SettingsFilePath()));
  EXPECT_EQ(file.Get(kOptionSection, kFrameStripKey), "1");
  StartWindow();
  EXPECT_TRUE(Strip()->isVisible());
  EXPECT_TRUE(Action(kCmdFrameStrip)->isChecked());

  // Closed by its own close button: hidden next time too.
  Strip()->close();
  EXPECT_FALSE(Strip()->isVisible());
  window_->UpdateCommandStates(false);
  EXPECT_FALSE(Action(kCmdFrameStrip)->isChecked());
  StopWindow();
  StartWindow();
  EXPECT_FALSE(Strip()->isVisible());
}

TEST_F(FrameStripTest, ClickShowsTheFrameAndStopsPlayback) {
  OpenWithStrip({10, 11, 12, 13, 14});
  ASSERT_EQ(Strip()->Model()->rowCount(), 5);
  EXPECT_EQ(Strip()->Model()->data(Strip()->Model()->index(2), Qt::DisplayRole).toString(),
            QString::fromUtf8("3  0.12秒"));
  EXPECT_FALSE(Doc().flags & kFlagStopped);
  Click(3);
  EXPECT_TRUE(Doc().flags & kFlagStopped);
  EXPECT_EQ(Doc().currentFrame, 3);
  EXPECT_EQ(window_->FramePane()->text(), QStringLiteral("4/5"));
  const PackedDib& frame = Doc().frameSet->frame(3).image;
  ASSERT_EQ(Doc().currentPicture.size(), frame.size());
  EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.size(), Doc().currentPicture.data()));
  ProcessEventsFor(200);  // stopped: nothing moves in this time
  EXPECT_EQ(Doc().currentFrame, 3);
  EXPECT_EQ(Strip()->Model()->CurrentRow(), 3);
}

TEST_F(FrameStripTest, DraggingAThumbnailMovesTheFrameAndUndoRedoFollow) {
  OpenWithStrip({10, 11, 12, 13, 14});
  Click(0);
  // Frame 2 dropped on the right half of frame 4: it goes behind frame 4.
  QPoint rightOfFour = CenterOf(4) + QPoint(5, 0);
  ASSERT_TRUE(DragTo(1, rightOfFour));
  EXPECT_EQ(Delays(), (std::vector<int>{10, 12, 13, 14, 11}));
  EXPECT_EQ(Strip()->Model()->data(Strip()->Model()->index(4), Qt::DisplayRole).toString(),
            QString::fromUtf8("5  0.11秒"));
  EXPECT_TRUE(HasUnsavedChanges(Doc()));
  // Frame 5 dropped on the left half of frame 1: it becomes the first.
  ASSERT_TRUE(DragTo(4, CenterOf(0) - QPoint(5, 0)));
  EXPECT_EQ(Delays(), (std::vector<int>{11, 10, 12, 13, 14}));

  ASSERT_TRUE(Action(kCmdUndo)->isEnabled());
  Action(kCmdUndo)->trigger();
  EXPECT_EQ(Delays(), (std::vector<int>{10, 12, 13, 14, 11}));
  Action(kCmdUndo)->trigger();
  EXPECT_EQ(Delays(), (std::vector<int>{10, 11, 12, 13, 14}));
  EXPECT_FALSE(Action(kCmdUndo)->isEnabled());
  ASSERT_TRUE(Action(kCmdRedo)->isEnabled());
  Action(kCmdRedo)->trigger();
  EXPECT_EQ(Delays(), (std::vector<int>{10, 12, 13, 14, 11}));
  EXPECT_EQ(Strip()->Model()->data(Strip()->Model()->index(1), Qt::DisplayRole).toString(),
            QString::fromUtf8("2  0.12秒"));

  // A drop next to itself, or of data from elsewhere, moves nothing.
  ASSERT_TRUE(DragTo(2, CenterOf(2)));
  EXPECT_EQ(Delays(), (std::vector<int>{10, 12, 13, 14, 11}));
  QMimeData foreign;
  foreign.setData(QStringLiteral("application/x-zel-frame"), "1:2/0");
  QDropEvent drop(QPointF(CenterOf(3)), Qt::MoveAction, &foreign, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Strip()->List()->viewport(), &drop);
  EXPECT_FALSE(drop.isAccepted());
  EXPECT_EQ(Delays(), (std::vector<int>{10, 12, 13, 14, 11}));
}

TEST_F(FrameStripTest, RedoGivesTheEditBackAndANewEditClearsIt) {
  OpenWithStrip({10, 11, 12});
  Click(1);
  ASSERT_TRUE(window_->RunCommand(kCmdInsertFrame));
  const std::vector<int> edited = Delays();
  EXPECT_EQ(edited, (std::vector<int>{10, 11, 11, 12}));
  EXPECT_EQ(Strip()->Model()->rowCount(), 4);
  EXPECT_FALSE(Action(kCmdRedo)->isEnabled());
  Action(kCmdUndo)->trigger();
  EXPECT_EQ(Delays(), (std::vector<int>{10, 11, 12}));
  EXPECT_EQ(Strip()->Model()->rowCount(), 3);
  ASSERT_TRUE(Action(kCmdRedo)->isEnabled());
  EXPECT_EQ(Action(kCmdRedo)->shortcuts(),
            (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                 QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
  Action(kCmdRedo)->trigger();
  EXPECT_EQ(Delays(), edited);
  EXPECT_EQ(Strip()->Model()->rowCount(), 4);
  EXPECT_FALSE(Action(kCmdRedo)->isEnabled());

  Action(kCmdUndo)->trigger();
  ASSERT_TRUE(Action(kCmdRedo)->isEnabled());
  ASSERT_TRUE(window_->RunCommand(kCmdReverse));  // a new change, without a snapshot
  EXPECT_FALSE(Action(kCmdRedo)->isEnabled());
  EXPECT_FALSE(window_->RunCommand(kCmdRedo));
  EXPECT_EQ(Delays(), (std::vector<int>{12, 11, 10}));
}

// The context menu of a thumbnail shows that frame and offers the frame commands, which
// then act on it.
TEST_F(FrameStripTest, ContextMenuRunsTheFrameCommandsOnTheClickedFrame) {
  OpenWithStrip({10, 11, 12, 13, 14});
  QStringList offered;
  bool shown = false;
  std::function<void()> poll = [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      QTimer::singleShot(5, poll);
      return;
    }
    shown = true;
    QAction* insert = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      offered << action->text();
      if (action == Action(kCmdInsertFrame)) insert = action;
    }
    menu->close();
    if (insert && insert->isEnabled()) insert->trigger();
  };
  QTimer::singleShot(5, poll);
  emit Strip()->List()->customContextMenuRequested(CenterOf(2));
  ASSERT_TRUE(WaitUntil([&] { return shown; }));
  EXPECT_EQ(offered.size(), 7);
  EXPECT_TRUE(offered.contains(Action(kCmdDeleteFrames)->text()));
  EXPECT_TRUE(offered.contains(Action(kCmdReverse)->text()));
  EXPECT_EQ(Delays(), (std::vector<int>{10, 11, 12, 12, 13, 14}));
  EXPECT_EQ(Doc().currentFrame, 2);
  EXPECT_TRUE(Doc().flags & kFlagStopped);
  EXPECT_EQ(Strip()->Model()->rowCount(), 6);
}

// While the animation plays, the highlight follows the current frame and keeps it in sight.
TEST_F(FrameStripTest, HighlightFollowsPlayback) {
  OpenWithStrip(std::vector<int>(120, 1));
  auto followed = [this] {
    const int frame = Doc().currentFrame;
    const QRect shown = Strip()->List()->visualRect(Strip()->Model()->index(frame));
    return frame > 10 && Strip()->Model()->CurrentRow() == frame &&
           Strip()->List()->viewport()->rect().intersects(shown);
  };
  // Ten frames at a hundredth each take a tenth of a second; the whole round, 1.2 s.
  EXPECT_TRUE(WaitUntil(followed, 700));
  const int current = Doc().currentFrame;
  EXPECT_GT(current, 10);  // it has moved on, past the first screenful
  EXPECT_EQ(Strip()->Model()->CurrentRow(), current);
  const QRect shown = Strip()->List()->visualRect(Strip()->Model()->index(current));
  EXPECT_TRUE(Strip()->List()->viewport()->rect().intersects(shown));
}

// Only the thumbnails on screen are made, however many frames there are; scrolling makes
// the newly shown ones.
TEST_F(FrameStripTest, ThumbnailsAreMadeOnlyForTheFramesOnScreen) {
  OpenWithStrip(std::vector<int>(250, 5));
  Click(0);
  ASSERT_EQ(Strip()->Model()->rowCount(), 250);
  const size_t before = Strip()->Model()->Cache().rendered();
  window_->RunCommand(kCmdRotateRight);  // every picture turns: all made anew
  window_->Strip()->List()->viewport()->repaint();
  const size_t made = Strip()->Model()->Cache().rendered();
  const int itemWidth = Strip()->List()->visualRect(Strip()->Model()->index(0)).width();
  const int onScreen = Strip()->List()->viewport()->width() / itemWidth + 2;
  EXPECT_GT(made, before);
  EXPECT_LE(made - before, size_t(onScreen));
  // Painting again makes nothing new.
  window_->Strip()->List()->viewport()->repaint();
  EXPECT_EQ(Strip()->Model()->Cache().rendered(), made);
  QScrollBar* bar = Strip()->List()->horizontalScrollBar();
  bar->setValue(bar->maximum());
  window_->Strip()->List()->viewport()->repaint();
  EXPECT_LE(Strip()->Model()->Cache().rendered(), made + size_t(onScreen));
  EXPECT_GT(Strip()->Model()->Cache().rendered(), made);
}

// Serves events until `done` holds (at most 5 s).
bool ServeUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) ProcessEventsFor(5);
  return done();
}

// Whatever moves the shown frame, the highlight is on it and all of it is in sight; the
// status bar says the same frame.
TEST_F(FrameStripTest, HighlightIsOnTheShownFrameAfterEveryStep) {
  OpenWithStrip(std::vector<int>(60, 5));
  ASSERT_TRUE(window_->RunCommand(kCmdStop));
  QApplication::setActiveWindow(window_.get());
  ASSERT_TRUE(ServeUntil([&] { return QApplication::activeWindow() == window_.get(); }));
  FrameStripList* list = Strip()->List();
  struct Step {
    Qt::Key key;
    int frame;
  } steps[] = {{Qt::Key_End, 59},  {Qt::Key_Home, 0},  {Qt::Key_Left, 59},
               {Qt::Key_Right, 0}, {Qt::Key_End, 59}, {Qt::Key_Left, 58},
               {Qt::Key_Home, 0},  {Qt::Key_Right, 1}};
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << "key " << step.key << " to frame " << step.frame);
    QTest::keyClick(window_.get(), step.key);
    ASSERT_EQ(Doc().currentFrame, step.frame);
    EXPECT_EQ(window_->FramePane()->text(), Utf8(std::to_string(step.frame + 1) + "/60"));
    EXPECT_EQ(Strip()->Model()->CurrentRow(), step.frame);
    const QRect item = list->visualRect(Strip()->Model()->index(step.frame));
    EXPECT_TRUE(list->viewport()->rect().contains(item)) << "item at " << item.x();
  }
}

// A turn or a margin changes the frames' shape; their thumbnails follow at once.
TEST_F(FrameStripTest, ThumbnailsTakeTheFramesShapeAfterATurnOrAMargin) {
  struct Case {
    CommandId command;
    QSize thumbnail;
  } cases[] = {
      {kCmdRotateRight, QSize(48, 64)},  // 16 x 12 turned: 12 x 16
      {kCmdAddMargins, QSize(64, 64)},   // the diagonal, 20 x 20
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    OpenWithStrip({5, 5, 5});
    ASSERT_TRUE(window_->RunCommand(kCmdStop));
    ASSERT_EQ(Strip()->Model()->Thumbnail(1).size(), QSize(64, 48));
    ASSERT_TRUE(window_->RunCommand(c.command));
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(Strip()->Model()->Thumbnail(row).size(), c.thumbnail) << row;
    }
  }
}

// A command that changes no picture (a zoom) makes no thumbnail again; a frame rewritten in
// place makes its own thumbnail again and no other.
TEST_F(FrameStripTest, OnlyTheThumbnailsOfChangedFramesAreMadeAgain) {
  OpenWithStrip(std::vector<int>(8, 5));
  ASSERT_TRUE(window_->RunCommand(kCmdStop));
  QWidget* viewport = Strip()->List()->viewport();
  viewport->repaint();
  const ThumbnailCache& cache = Strip()->Model()->Cache();
  const size_t made = cache.rendered();
  ASSERT_GE(made, 8u);
  for (CommandId command : {kCmdZoomIn, kCmdZoomOut, kCmdZoomToFit}) {
    ASSERT_TRUE(window_->RunCommand(command)) << command;
    viewport->repaint();
  }
  EXPECT_EQ(cache.rendered(), made);

  // Frame 3 (blue, index 3) painted black where its pixels lie, as an edit in place does.
  PackedDib& picture = Doc().frameSet->frame(3).image;
  const QRgb before = Strip()->Model()->Thumbnail(3).pixel(0, 0);
  for (int32_t y = 0; y < picture.Header().height; ++y) {
    std::fill_n(picture.Row(y), picture.Header().width, uint8_t{0});
  }
  window_->RefreshAll();
  viewport->repaint();
  EXPECT_EQ(cache.rendered(), made + 1);
  EXPECT_NE(Strip()->Model()->Thumbnail(3).pixel(0, 0), before);
  EXPECT_EQ(cache.rendered(), made + 1);
}

}  // namespace
}  // namespace zel
