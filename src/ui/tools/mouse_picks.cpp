#include "ui/tools/mouse_picks.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStatusBar>
#include <algorithm>
#include <functional>
#include <optional>

#include "ui/picture_view.h"
#include "ui/tools/tool_host.h"
#include "ui/utf8.h"

namespace zel {
namespace {

// Lies over the whole view (inside its scroll bars), takes its mouse input and draws the
// pick's lines. The pick works in picture pixels; the overlay converts at its edge, so the
// lines and the cursor follow the view's zoom and scrolling.
class PickOverlay : public QWidget {
 public:
  // `feed` gets each mouse input in picture coordinates and returns a result once done.
  PickOverlay(PictureView* view, int32_t width, int32_t height,
              std::function<std::optional<int>(PickInput, PointI)> feed)
      : QWidget(view->Surface()),
        view_(view),
        width_(width),
        height_(height),
        feed_(std::move(feed)) {
    setObjectName(QStringLiteral("pick-overlay"));
    setGeometry(view->Surface()->rect());
    QObject::connect(view, &PictureView::ViewChanged, this, [this] {
      setGeometry(view_->Surface()->rect());
      update();
    });
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    show();
    raise();
    setFocus();
  }

  // The lines to draw: a crosshair through `cross`, or the outline between two corners.
  void ShowCrosshair(PointI cross) {
    cross_ = cross;
    band_.reset();
    update();
  }
  void ShowBand(PointI a, PointI b) {
    band_ = {a, b};
    update();
  }

  std::optional<int> result;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    // White under a black dash: visible on any picture.
    const QPen dashed(QColor(0, 0, 0), 1, Qt::DashLine);
    auto line = [&](int x1, int y1, int x2, int y2) {
      painter.setPen(QPen(QColor(255, 255, 255), 1));
      painter.drawLine(x1, y1, x2, y2);
      painter.setPen(dashed);
      painter.drawLine(x1, y1, x2, y2);
    };
    if (band_) {
      // From the start of the first corner's pixel to the end of the last one's.
      const QPoint from = OnView(PointI{std::min(band_->first.x, band_->second.x),
                                        std::min(band_->first.y, band_->second.y)});
      const QPoint to = OnView(PointI{std::max(band_->first.x, band_->second.x) + 1,
                                      std::max(band_->first.y, band_->second.y) + 1}) -
                        QPoint(1, 1);
      const int left = from.x(), top = from.y(), right = to.x(), bottom = to.y();
      if (right > left && bottom > top) {
        line(left, top, right, top);
        line(left, bottom, right, bottom);
        line(left, top, left, bottom);
        line(right, top, right, bottom);
      }
    } else {
      // Through the middle of the pixel, across the whole picture.
      const QPoint at = OnView(cross_);
      const QPoint span = OnView(PointI{cross_.x + 1, cross_.y + 1}) - at;
      const QPoint centre =
          at + QPoint(std::max(span.x() - 1, 0) / 2, std::max(span.y() - 1, 0) / 2);
      const QPoint origin = OnView(PointI{0, 0});
      const QPoint end = OnView(PointI{width_, height_}) - QPoint(1, 1);
      line(centre.x(), origin.y(), centre.x(), end.y());
      line(origin.x(), centre.y(), end.x(), centre.y());
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override { Feed(PickInput::kMove, event); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) Feed(PickInput::kLeftUp, event);
    if (event->button() == Qt::RightButton) Feed(PickInput::kRightUp, event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) Feed(PickInput::kLeftDoubleClick, event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    // Escape cancels as the right button does.
    if (event->key() == Qt::Key_Escape) Finish(kPickCancelled);
  }

 private:
  void Feed(PickInput input, QMouseEvent* event) {
    if (result) return;
    const QPoint at = event->position().toPoint();
    ConfineCursor(at);
    const QPoint picture = view_->PictureAt(at);
    if (auto code = feed_(input, {picture.x(), picture.y()})) Finish(*code);
  }
  QPoint OnView(PointI picture) const {
    return view_->SurfacePointOf(QPoint(picture.x, picture.y));
  }
  // Keeps the cursor over the picture (where the platform lets a program move it).
  void ConfineCursor(QPoint at) {
    const QPoint first = OnView(PointI{0, 0});
    const QPoint last = OnView(PointI{width_, height_}) - QPoint(1, 1);
    const QPoint held(std::clamp(at.x(), first.x(), std::max(last.x(), first.x())),
                      std::clamp(at.y(), first.y(), std::max(last.y(), first.y())));
    if (held != at && QGuiApplication::platformName() == QLatin1String("xcb")) {
      QCursor::setPos(mapToGlobal(held));
    }
  }
  void Finish(int code) {
    result = code;
    if (onFinished) onFinished();
  }

 public:
  std::function<void()> onFinished;

 private:
  PictureView* view_;
  int32_t width_, height_;
  std::function<std::optional<int>(PickInput, PointI)> feed_;
  PointI cross_;
  std::optional<std::pair<PointI, PointI>> band_;
};

// Cancels the pick when the window is asked to close; the close itself waits for the
// user's next try (the window refuses to close while busy).
class CloseWatcher : public QObject {
 public:
  explicit CloseWatcher(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      cancel_();
      event->ignore();
      return true;
    }
    return false;
  }

 private:
  std::function<void()> cancel_;
};

// Runs the loop: the overlay feeds `feed`; `show` updates the overlay and the status after
// every input. `warp` (when given) tells where the cursor is to be put after an input.
// Returns the result code.
int RunPick(ToolHost& host, int32_t width, int32_t height, PointI startCursor,
            const std::function<std::optional<int>(PickInput, PointI)>& feed,
            const std::function<void(PickOverlay&)>& show,
            const std::function<std::optional<PointI>()>& warp) {
  QPointer<PictureView> view = host.View();
  if (!view || width < 1 || height < 1) return kPickCancelled;
  const QString savedStatus = host.StatusText();
  const QString savedSize = host.SizeText();

  QEventLoop loop;
  QPointer<PickOverlay> overlay;
  auto step = [&](PickInput input, PointI at) -> std::optional<int> {
    std::optional<int> code = feed(input, at);
    if (!code && overlay) {
      show(*overlay);
      if (warp) {
        if (std::optional<PointI> to = warp();
            to && QGuiApplication::platformName() == QLatin1String("xcb")) {
          QCursor::setPos(overlay->mapToGlobal(view->SurfacePointOf(QPoint(to->x, to->y))));
        }
      }
    }
    return code;
  };
  overlay = new PickOverlay(view, width, height, step);
  overlay->onFinished = [&loop] { loop.quit(); };
  show(*overlay);
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    QCursor::setPos(
        overlay->mapToGlobal(view->SurfacePointOf(QPoint(startCursor.x, startCursor.y))));
  }
  overlay->grabMouse();

  auto cancel = [&overlay, &loop] {
    if (overlay && !overlay->result) overlay->result = kPickCancelled;
    loop.quit();
  };
  CloseWatcher watcher(cancel);
  QWidget* window = view->window();
  window->installEventFilter(&watcher);
  const QMetaObject::Connection quitting =
      QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, cancel);
  const QMetaObject::Connection gone = QObject::connect(view, &QObject::destroyed, &loop, cancel);
  loop.exec();
  QObject::disconnect(quitting);
  QObject::disconnect(gone);

  int code = kPickCancelled;
  if (overlay) {
    code = overlay->result.value_or(kPickCancelled);
    overlay->releaseMouse();
    delete overlay;
  }
  if (view) {
    window->removeEventFilter(&watcher);
    host.ShowStatus(savedStatus);
    host.ShowSize(savedSize);
  }
  return code;
}

PointI CursorOver(const ToolHost& host) {
  const QPoint at = host.View()->PictureAtGlobal(QCursor::pos());
  return {at.x(), at.y()};
}

}  // namespace

RectanglePickResult PickRectangle(ToolHost& host, int32_t width, int32_t height) {
  RectanglePick pick(width, height);
  const PointI start = pick.StartCursor(CursorOver(host));
  pick.Handle(PickInput::kMove, start);
  auto show = [&pick, &host](PickOverlay& overlay) {
    if (pick.secondCorner()) {
      const PointI a = pick.firstCorner();
      const PointI b = pick.secondCornerPoint();
      overlay.ShowBand(a, b);
    } else {
      overlay.ShowCrosshair(pick.crosshair());
    }
    host.ShowStatus(Utf8(pick.StatusText()));
    host.ShowSize(Utf8(pick.SizeText().c_str()));
  };
  const int code = RunPick(
      host, width, height, start,
      [&pick](PickInput input, PointI at) { return pick.Handle(input, at); }, show,
      [&pick] { return pick.warpCursor(); });
  RectanglePickResult result;
  result.code = code;
  if (code == kPickDone) result.rect = pick.result();
  return result;
}

PointPickResult PickPoint(ToolHost& host, int32_t width, int32_t height, PointI start) {
  PointPick pick(width, height, start);
  auto show = [&pick, &host](PickOverlay& overlay) {
    overlay.ShowCrosshair(pick.point());
    host.ShowStatus(Utf8(pick.StatusText()));
    host.ShowSize(Utf8(pick.SizeText().c_str()));
  };
  const int code =
      RunPick(host, width, height, pick.point(),
              [&pick](PickInput input, PointI at) { return pick.Handle(input, at); }, show, {});
  PointPickResult result;
  result.code = code;
  if (code == kPickDone) result.point = pick.point();
  return result;
}

}  // namespace zel
