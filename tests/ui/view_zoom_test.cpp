// The view's zoom and scrolling and the frame keys on the real main window, offscreen: the
// scroll range follows picture and zoom, Ctrl+wheel zooms about the mouse, the drawing is
// nearest-neighbour and never changes the picture, a handle dragged at 200 % moves by
// picture pixels and stops at its bound, the trimming pick answers in picture pixels under
// zoom and scroll, a large picture still gets a margin, and the frame keys step and wrap.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "app/view_zoom.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"
#include "ui/tools/handle_tools.h"
#include "ui/tools/tool_form.h"

namespace zel {
namespace {

using testing::Bytes;
using testing::GifBuilder;
using testing::ModalScript;
using testing::WaitUntil;
using testing::Rgb;
using testing::SendMouse;

std::vector<Rgb> Palette() {
  std::vector<Rgb> colors;
  for (int i = 0; i < 256; ++i) {
    colors.push_back({uint8_t(i), uint8_t(255 - i), uint8_t((i * 37) & 0xFF)});
  }
  return colors;
}

// The index of pixel (x, y) of frame f: every pixel of a row differs from its neighbours.
uint8_t Pattern(int x, int y, int f) {
  return static_cast<uint8_t>((x + 3 * y + 50 * f) % 251);
}

std::string WriteGif(const std::string& path, int width, int height, int frames) {
  GifBuilder gif(width, height, Palette());
  if (frames > 1) gif.Looping();
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = Pattern(x, y, f);
    }
    // Index 255 is transparent (no pixel uses it), so that a margin can be added.
    gif.Control(0x05, frames > 1 ? 10 : 0, 255);
    gif.Image(0, 0, width, height, pixels);
  }
  return testing::WriteGif(path, gif);
}

class ViewZoomWindowTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    Resize(640, 480);
  }
  void HookWindow() override { FailOnMessages(); }

  void Open(int width, int height, int frames = 1) {
    const std::string name = "in" + std::to_string(width) + "x" + std::to_string(height) + "-" +
                             std::to_string(frames) + ".gif";
    OpenStopped(WriteGif(File(name), width, height, frames), frames);
  }

  PictureView* View() { return window_->View(); }
  QSize Surface() { return View()->Surface()->size(); }
  // The view has laid itself out for its zoom: scroll ranges fit the surface, and a bar shows
  // just when there is something to scroll.
  bool Settled() {
    const QSize surface = Surface();
    const int zoom = View()->Zoom().zoom;
    const QScrollBar* across = View()->horizontalScrollBar();
    const QScrollBar* down = View()->verticalScrollBar();
    return across->maximum() == std::max(ZoomedLength(Doc().width, zoom) - surface.width(), 0) &&
           down->maximum() == std::max(ZoomedLength(Doc().height, zoom) - surface.height(), 0) &&
           across->pageStep() == std::max(surface.width(), 1) &&
           down->pageStep() == std::max(surface.height(), 1) &&
           across->isVisible() == (across->maximum() > 0) &&
           down->isVisible() == (down->maximum() > 0);
  }
  // Serves events until the view has settled.
  void Settle() { EXPECT_TRUE(WaitUntil([this] { return Settled(); })); }
  // Makes the window the active one, for keys.
  void Activate() {
    QApplication::setActiveWindow(window_.get());
    EXPECT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window_.get(); }));
  }
  // The colour the view shows at a surface point, and the colour of a picture pixel.
  QRgb Shown(QPoint at) { return View()->Surface()->grab().toImage().pixel(at); }
  QRgb ColorOf(int x, int y) {
    const Rgb c = Palette()[Pattern(x, y, 0)];
    return qRgb(c.r, c.g, c.b);
  }
};

TEST_F(ViewZoomWindowTest, TheScrollRangeFollowsPictureAndZoom) {
  Open(100, 80);
  QScrollBar* across = View()->horizontalScrollBar();
  QScrollBar* down = View()->verticalScrollBar();
  // The default: 100 %, top-left, nothing to scroll.
  EXPECT_EQ(View()->Zoom(), ViewZoom{});
  EXPECT_EQ(window_->ZoomPane()->text().toStdString(), "100%");
  EXPECT_EQ(across->maximum(), 0);
  EXPECT_EQ(down->maximum(), 0);

  for (int zoom : {800, 1600, 400, 25}) {
    SCOPED_TRACE(zoom);
    View()->SetZoom(zoom);
    Settle();
    EXPECT_EQ(View()->Zoom().zoom, zoom);
    EXPECT_EQ(across->maximum(), std::max(ZoomedLength(100, zoom) - Surface().width(), 0));
    EXPECT_EQ(down->maximum(), std::max(ZoomedLength(80, zoom) - Surface().height(), 0));
    EXPECT_EQ(across->pageStep(), Surface().width());
  }
  // The keys of the menu entries.
  Activate();
  QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(View()->Zoom().zoom, 100);
  QTest::keyClick(window_.get(), Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(View()->Zoom().zoom, 150);
  QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(View()->Zoom().zoom, 67);
  EXPECT_EQ(window_->ZoomPane()->text().toStdString(), "67%");

  // A picture larger than the view opens fitted, scrolls at 100 %; fit shows it whole.
  View()->SetZoom(1600);
  View()->ScrollTo(500, 500);
  Open(1000, 900);
  EXPECT_EQ(View()->Zoom(),
            OpeningViewZoom(1000, 900, View()->size().width(), View()->size().height()));
  ASSERT_TRUE(window_->RunCommand(kCmdZoomActualSize));
  Settle();
  EXPECT_EQ(across->maximum(), 1000 - Surface().width());
  EXPECT_EQ(down->maximum(), 900 - Surface().height());
  View()->ScrollTo(120, 70);
  EXPECT_EQ(View()->Zoom(), (ViewZoom{100, 120, 70}));
  EXPECT_EQ(Shown(QPoint(0, 0)), ColorOf(120, 70));
  ASSERT_TRUE(window_->RunCommand(kCmdZoomToFit));
  Settle();
  EXPECT_EQ(across->maximum(), 0);
  EXPECT_EQ(down->maximum(), 0);
  EXPECT_LE(ZoomedLength(900, View()->Zoom().zoom), Surface().height());
  EXPECT_GT(ZoomedLength(900, View()->Zoom().zoom + 1), Surface().height());
}

TEST_F(ViewZoomWindowTest, CtrlWheelZoomsAboutTheMouseAndPixelsStaySharp) {
  Open(600, 400);  // larger than the view once zoomed: the limits leave the point free
  View()->SetZoom(100);  // it opened fitted
  View()->ScrollTo(0, 0);
  const QPoint mouse(61, 43);
  auto wheel = [&](int angle, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(mouse), QPointF(View()->Surface()->mapToGlobal(mouse)), QPoint(),
                      QPoint(0, angle), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(View()->Surface(), &event);
  };
  const QPoint under = View()->PictureAt(mouse);
  EXPECT_EQ(under, QPoint(61, 43));
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(View()->Zoom().zoom, 150);
  wheel(60, Qt::ControlModifier);  // half a notch waits for the other half
  EXPECT_EQ(View()->Zoom().zoom, 150);
  wheel(60, Qt::ControlModifier);
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(View()->Zoom().zoom, 300);
  EXPECT_GT(View()->Zoom().scrollX, 0);
  EXPECT_EQ(View()->PictureAt(mouse), under);
  Settle();
  // Each picture pixel is a sharp 3 x 3 block of its own colour.
  const QImage shot = View()->Surface()->grab().toImage();
  const QPoint start = View()->SurfacePointOf(under);
  for (int dy = 0; dy < 3; ++dy) {
    for (int dx = 0; dx < 3; ++dx) {
      EXPECT_EQ(shot.pixel(start + QPoint(dx, dy)), ColorOf(under.x(), under.y())) << dx << dy;
    }
  }
  EXPECT_EQ(shot.pixel(start + QPoint(3, 0)), ColorOf(under.x() + 1, under.y()));
  // Without Ctrl the wheel scrolls.
  const ViewZoom before = View()->Zoom();
  wheel(-120, Qt::NoModifier);
  EXPECT_EQ(View()->Zoom().zoom, 300);
  EXPECT_GT(View()->Zoom().scrollY, before.scrollY);
}

TEST_F(ViewZoomWindowTest, ZoomNeverChangesTheDocument) {
  Open(64, 48, 3);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < Doc().frameSet->count; ++i) {
    frames.push_back(Bytes(Doc().frameSet->frame(i).image));
  }
  const std::vector<uint8_t> current = Bytes(Doc().currentPicture);
  for (int zoom : kViewZoomSteps) {
    View()->SetZoom(zoom);
    View()->ScrollTo(zoom, zoom / 2);
    View()->Surface()->repaint();
  }
  ASSERT_TRUE(window_->RunCommand(kCmdZoomToFit));
  ASSERT_TRUE(window_->RunCommand(kCmdZoomOut));
  View()->Surface()->repaint();
  EXPECT_EQ(Bytes(Doc().currentPicture), current);
  for (int i = 0; i < Doc().frameSet->count; ++i) {
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image), frames[static_cast<size_t>(i)]) << i;
  }
  EXPECT_FALSE(Doc().undo.CanUndo());
}

TEST_F(ViewZoomWindowTest, AHandleDraggedAt200PercentMovesByPicturePixelsAndStopsAtItsBound) {
  Open(100, 80);
  View()->SetZoom(200);
  Settle();
  ModalScript script({[&](QWidget* w) {
    auto* handle = w->findChild<HandleWidget*>(QStringLiteral("handle-1"));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Hotspot(), (PointI{0, 0}));
    EXPECT_EQ(handle->pos(), View()->Surface()->mapToGlobal(QPoint(0, 0)));
    // 20 x 10 pixels of mouse are 10 x 5 pixels of picture.
    SendMouse(handle, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
    SendMouse(handle, QEvent::MouseMove, QPoint(22, 12), Qt::LeftButton);
    EXPECT_EQ(handle->Hotspot(), (PointI{10, 5}));
    // The handle stays on its picture point.
    EXPECT_EQ(handle->pos(), View()->Surface()->mapToGlobal(QPoint(20, 10)));
    // The bounds are those at 100 %: -40..39, -32..31 for 100 x 80.
    const QPoint grip = handle->mapToGlobal(QPoint(2, 2));  // where the mouse is now
    SendMouse(handle, QEvent::MouseMove, handle->mapFromGlobal(grip + QPoint(600, 20)),
              Qt::LeftButton);
    EXPECT_EQ(handle->Hotspot(), (PointI{39, 15}));
    SendMouse(handle, QEvent::MouseMove,
              handle->mapFromGlobal(handle->mapToGlobal(QPoint(2, 2)) + QPoint(-1000, -1000)),
              Qt::LeftButton);
    EXPECT_EQ(handle->Hotspot(), (PointI{-40, -32}));
    SendMouse(handle, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton);
    auto* form = dynamic_cast<ToolForm*>(w);
    ASSERT_NE(form, nullptr);
    form->reject();
  }});
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  ASSERT_TRUE(window_->RunCommand(kCmdCornerPull));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
}

TEST_F(ViewZoomWindowTest, ThePickerAnswersInPicturePixelsUnderZoomAndScroll) {
  Open(400, 300);
  View()->SetZoom(200);
  View()->ScrollTo(100, 50);
  Settle();
  ASSERT_EQ(View()->Zoom(), (ViewZoom{200, 100, 50}));
  bool picked = false;
  std::function<void()> poll = [&] {
    auto* overlay = View()->findChild<QWidget*>(QStringLiteral("pick-overlay"));
    if (!overlay) {
      QTimer::singleShot(5, poll);
      return;
    }
    // View (40, 20) is content (140, 70): picture (70, 35).
    SendMouse(overlay, QEvent::MouseMove, QPoint(40, 20), Qt::NoButton);
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "70,35");
    SendMouse(overlay, QEvent::MouseButtonPress, QPoint(40, 20), Qt::LeftButton);
    SendMouse(overlay, QEvent::MouseButtonRelease, QPoint(40, 20), Qt::LeftButton);
    // View (101, 61) is content (201, 111): picture (100, 55).
    SendMouse(overlay, QEvent::MouseMove, QPoint(101, 61), Qt::NoButton);
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "31,21");
    SendMouse(overlay, QEvent::MouseButtonPress, QPoint(101, 61), Qt::LeftButton);
    SendMouse(overlay, QEvent::MouseButtonRelease, QPoint(101, 61), Qt::LeftButton);
    picked = true;
  };
  QTimer::singleShot(5, poll);
  ASSERT_TRUE(window_->RunCommand(kCmdTrim));
  ASSERT_TRUE(picked);
  ASSERT_EQ(Doc().width, 31);
  ASSERT_EQ(Doc().height, 21);
  for (int y = 0; y < 21; y += 5) {
    for (int x = 0; x < 31; x += 5) {
      EXPECT_EQ(Doc().currentPicture.Row(y)[x], Pattern(70 + x, 35 + y, 0)) << x << "," << y;
    }
  }
  // The smaller picture is no longer scrolled out of sight.
  Settle();
  EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(View()->Zoom().scrollX, 0);
}

TEST_F(ViewZoomWindowTest, APictureLargerThanTheViewStillGetsAMargin) {
  Open(700, 560);
  View()->SetZoom(100);
  ASSERT_GT(700, Surface().width());
  ASSERT_TRUE(window_->RunCommand(kCmdAddMargins));
  EXPECT_EQ(Doc().width, 896);  // the diagonal of 700 x 560
  EXPECT_EQ(Doc().height, 896);
  Settle();
  EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 896 - Surface().width());
}

// A new file starts at 100 %, or fitted when larger than the view, at its top-left; the
// zoom and scroll of the file before play no part.
TEST_F(ViewZoomWindowTest, ANewFileStartsAtFullSizeOrFittedAtTheTopLeft) {
  Open(900, 700);  // larger than the view: fitted
  const QSize whole = View()->size();
  EXPECT_EQ(View()->Zoom(), OpeningViewZoom(900, 700, whole.width(), whole.height()));
  EXPECT_LT(View()->Zoom().zoom, 100);
  EXPECT_EQ(View()->horizontalScrollBar()->maximum(), 0);

  Open(700, 560);
  View()->SetZoom(800);
  View()->ScrollTo(2000, 1500);
  ASSERT_GT(View()->Zoom().scrollX, 0);
  Open(160, 120, 2);  // small: 100 %, from the top-left
  EXPECT_EQ(View()->Zoom(), ViewZoom{});
  EXPECT_EQ(View()->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(View()->verticalScrollBar()->value(), 0);
  EXPECT_EQ(window_->ZoomPane()->text().toStdString(), "100%");
}

TEST_F(ViewZoomWindowTest, TheFrameKeysStepAndWrap) {
  Open(16, 16, 3);
  ASSERT_TRUE(window_->RunCommand(kCmdStart));
  ASSERT_FALSE(Doc().flags & kFlagStopped);
  Activate();
  struct Step {
    Qt::Key key;
    int frame;  // the frame shown afterwards, when stopped
  };
  const int start = Doc().currentFrame;
  QTest::keyClick(window_.get(), Qt::Key_Right);
  EXPECT_TRUE(Doc().flags & kFlagStopped);  // a step stops playback
  const int first = (start + 1) % 3;
  EXPECT_EQ(Doc().currentFrame, first);
  for (const Step& s : {Step{Qt::Key_Home, 0}, Step{Qt::Key_Left, 2}, Step{Qt::Key_Left, 1},
                        Step{Qt::Key_Right, 2}, Step{Qt::Key_Right, 0}, Step{Qt::Key_End, 2}}) {
    QTest::keyClick(window_.get(), s.key);
    EXPECT_EQ(Doc().currentFrame, s.frame) << s.key;
    EXPECT_EQ(Bytes(Doc().currentPicture), Bytes(Doc().frameSet->frame(s.frame).image)) << s.key;
    EXPECT_EQ(window_->FramePane()->text().toStdString(), std::to_string(s.frame + 1) + "/3");
  }
  // Space starts and stops.
  QTest::keyClick(window_.get(), Qt::Key_Space);
  EXPECT_FALSE(Doc().flags & kFlagStopped);
  QTest::keyClick(window_.get(), Qt::Key_Space);
  EXPECT_TRUE(Doc().flags & kFlagStopped);
  // Nothing moves while the document is busy.
  Doc().flags |= kFlagBusy;
  const int shown = Doc().currentFrame;
  QTest::keyClick(window_.get(), Qt::Key_Right);
  EXPECT_FALSE(window_->RunCommand(kCmdNextFrame));
  EXPECT_EQ(Doc().currentFrame, shown);
  Doc().flags &= ~static_cast<uint32_t>(kFlagBusy);
  // A single picture has no frames to step.
  Open(16, 16, 1);
  EXPECT_FALSE(window_->IsAvailable(kCmdNextFrame));
  EXPECT_FALSE(window_->IsAvailable(kCmdStartStop));
}

}  // namespace
}  // namespace zel
