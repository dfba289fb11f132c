#include "ui/picture_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/view_geometry.h"
#include "document/document_state.h"
#include "document/playback.h"
#include "platform/clock.h"
#include "ui/dialogs/color_chooser.h"

namespace zel {

QImage ImageFromPackedDib(const PackedDib& picture) {
  if (picture.size() < kDibHeaderSize || picture.Header().size != kDibHeaderSize) return {};
  const DibHeader h = picture.Header();
  if (h.width <= 0 || h.height <= 0 || h.compression != 0) return {};
  QImage::Format format;
  size_t pixelBytes;
  switch (h.bitCount) {
    case 8:
      format = QImage::Format_Indexed8;
      pixelBytes = 1;
      break;
    case 24:
      format = QImage::Format_BGR888;
      pixelBytes = 3;
      break;
    case 32:
      format = QImage::Format_RGB32;
      pixelBytes = 4;
      break;
    default:
      return {};
  }
  const size_t colors = picture.ColorCount();
  const size_t stride = picture.Stride();
  const size_t offset = kDibHeaderSize + 4 * colors;
  const size_t rows = static_cast<size_t>(h.height);
  if (colors > 256 || offset > picture.size() || stride == 0 ||
      (picture.size() - offset) / stride < rows) {
    return {};
  }
  QImage image(h.width, h.height, format);
  if (image.isNull()) return {};
  if (h.bitCount == 8) {
    // Indices beyond the table show black rather than whatever Qt would make of them.
    QList<QRgb> table(256, qRgb(0, 0, 0));
    const Rgbq* entries = picture.ColorTable();
    for (size_t i = 0; i < colors; ++i) {
      table[static_cast<qsizetype>(i)] = qRgb(entries[i].red, entries[i].green, entries[i].blue);
    }
    image.setColorTable(table);
  }
  const size_t rowBytes = static_cast<size_t>(h.width) * pixelBytes;
  for (int y = 0; y < h.height; ++y) {
    std::memcpy(image.scanLine(y), picture.Row(y), rowBytes);
  }
  return image;
}

PictureView::PictureView(DocumentState& doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Every pixel is painted: the picture and the background around it.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  setAcceptDrops(false);  // the main window takes dropped files
  viewport()->setAcceptDrops(false);

  auto* blinkTimer = new QTimer(this);
  connect(blinkTimer, &QTimer::timeout, this, &PictureView::BlinkTimeout);
  blinkTimer->start(kEdgeBlinkMs);

  auto* playbackTimer = new QTimer(this);
  playbackTimer->setTimerType(Qt::PreciseTimer);
  connect(playbackTimer, &QTimer::timeout, this, &PictureView::PlaybackTimeout);
  playbackTimer->start(kPlaybackIntervalMs);
}

void PictureView::PlaybackTimeout() {
  // The timer only samples the clock: PlaybackTick keeps each frame on its schedule, so the
  // timer's own lateness does not add up.
  if (!PlaybackTick(doc_, TickCount())) return;
  viewport()->update();
  emit FrameAdvanced();
}

void PictureView::BlinkTimeout() {
  bool next = NextBlinkPhase(blinkPhase_, doc_.width, doc_.height);
  if (next == blinkPhase_) return;
  blinkPhase_ = next;
  // Only the two edge lines change.
  const PaintPoint extent = VisiblePictureExtent(doc_.width, doc_.height, zoom_);
  viewport()->update(QRect(extent.x, 0, 1, extent.y + 1));
  viewport()->update(QRect(0, extent.y, extent.x + 1, 1));
}

// --- zoom and scrolling ---------------------------------------------------------------------

void PictureView::SyncScrollBars() {
  if (syncing_) return;
  syncing_ = true;
  // Showing or hiding a bar resizes the surface; a second pass settles the range.
  for (int pass = 0; pass < 3; ++pass) {
    const QSize surface = viewport()->size();
    const ViewZoom held =
        HoldView(zoom_, doc_.width, doc_.height, surface.width(), surface.height());
    const PaintPoint limits =
        ScrollLimits(doc_.width, doc_.height, held.zoom, surface.width(), surface.height());
    zoom_ = held;
    horizontalScrollBar()->setRange(0, limits.x);
    horizontalScrollBar()->setPageStep(std::max(surface.width(), 1));
    horizontalScrollBar()->setSingleStep(std::max(ContentStartOfPixel(8, held.zoom), 1));
    verticalScrollBar()->setRange(0, limits.y);
    verticalScrollBar()->setPageStep(std::max(surface.height(), 1));
    verticalScrollBar()->setSingleStep(std::max(ContentStartOfPixel(8, held.zoom), 1));
    horizontalScrollBar()->setValue(held.scrollX);
    verticalScrollBar()->setValue(held.scrollY);
    zoom_.scrollX = horizontalScrollBar()->value();
    zoom_.scrollY = verticalScrollBar()->value();
    if (viewport()->size() == surface) break;
  }
  knownPicture_ = QSize(doc_.width, doc_.height);
  syncing_ = false;
  viewport()->update();
  emit ViewChanged();
}

void PictureView::ZoomAt(int zoom, QPoint about) {
  const QSize surface = viewport()->size();
  const ViewZoom next = ZoomAbout(zoom_, zoom, {about.x(), about.y()}, doc_.width, doc_.height,
                                  surface.width(), surface.height());
  if (next == zoom_) return;
  zoom_ = next;
  SyncScrollBars();
}

void PictureView::SetZoom(int zoom) {
  ZoomAt(zoom, viewport()->rect().center());
}

void PictureView::ZoomIn() {
  SetZoom(ZoomInStep(zoom_.zoom));
}

void PictureView::ZoomOut() {
  SetZoom(ZoomOutStep(zoom_.zoom));
}

void PictureView::ZoomToFit() {
  // The fit is taken for the whole view: the scroll bars go away once the picture fits.
  const QSize whole = size();
  zoom_ = ViewZoom{FitViewZoom(doc_.width, doc_.height, whole.width(), whole.height()), 0, 0};
  SyncScrollBars();
}

void PictureView::StartNewPicture() {
  const QSize whole = size();
  zoom_ = OpeningViewZoom(doc_.width, doc_.height, whole.width(), whole.height());
  startPending_ = !isVisible();
  SyncScrollBars();
}

void PictureView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (!startPending_) return;
  // The window has its size now; the rule is taken for it once the layout has settled.
  StartNewPicture();
  startPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (startPending_) StartNewPicture();
  });
}

void PictureView::ScrollTo(int x, int y) {
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
}

void PictureView::PictureChanged() {
  SyncScrollBars();
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (startPending_) {
    const QSize whole = size();
    zoom_ = OpeningViewZoom(doc_.width, doc_.height, whole.width(), whole.height());
  }
  SyncScrollBars();
}

void PictureView::scrollContentsBy(int, int) {
  zoom_.scrollX = horizontalScrollBar()->value();
  zoom_.scrollY = verticalScrollBar()->value();
  viewport()->update();
  if (!syncing_) emit ViewChanged();
}

void PictureView::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  // One step per notch (120); finer wheels add up to one.
  wheelAngle_ += event->angleDelta().y();
  const QPoint about = event->position().toPoint();
  while (wheelAngle_ >= 120) {
    wheelAngle_ -= 120;
    ZoomAt(ZoomInStep(zoom_.zoom), about);
  }
  while (wheelAngle_ <= -120) {
    wheelAngle_ += 120;
    ZoomAt(ZoomOutStep(zoom_.zoom), about);
  }
  event->accept();
}

// --- mapping --------------------------------------------------------------------------------

QPoint PictureView::PictureAt(QPoint surfacePoint) const {
  const PaintPoint p = ViewToPicture({surfacePoint.x(), surfacePoint.y()}, zoom_);
  return {p.x, p.y};
}

QPoint PictureView::PictureAtGlobal(QPoint globalPoint) const {
  return PictureAt(viewport()->mapFromGlobal(globalPoint));
}

QPoint PictureView::SurfacePointOf(QPoint picture) const {
  const PaintPoint v = PictureToView({picture.x(), picture.y()}, zoom_);
  return {v.x, v.y};
}

QSize PictureView::ScrollableAreaInPicture() const {
  const QSize surface = viewport()->size();
  const PaintPoint area = zel::ScrollableAreaInPicture(doc_.width, doc_.height, zoom_.zoom,
                                                       surface.width(), surface.height());
  return {area.x, area.y};
}

// --- drawing --------------------------------------------------------------------------------

void PictureView::DrawPicture(QPainter& painter, const QRect& exposed, const ViewZoom& shown,
                              QPoint extent) {
  const PackedDib* picture = PictureToDraw(doc_);
  if (!picture) return;
  const QImage image = ImageFromPackedDib(*picture);
  if (image.isNull()) return;
  if (shown.zoom == 100) {
    painter.drawImage(-shown.scrollX, -shown.scrollY, image);
    return;
  }
  // Nearest neighbour by the view's own tables, only over the exposed part.
  const QRect area = exposed & QRect(0, 0, extent.x(), extent.y());
  if (area.isEmpty()) return;
  const std::vector<int32_t> columns =
      PixelTable(shown.scrollX + area.x(), area.width(), shown.zoom, image.width());
  const std::vector<int32_t> rows =
      PixelTable(shown.scrollY + area.y(), area.height(), shown.zoom, image.height());
  if (columns.empty() || rows.empty()) return;
  QImage part(area.width(), area.height(), image.format());
  if (part.isNull()) return;
  if (image.format() == QImage::Format_Indexed8) part.setColorTable(image.colorTable());
  const int bytes = image.depth() / 8;
  for (int y = 0; y < area.height(); ++y) {
    const uchar* from = image.constScanLine(rows[static_cast<size_t>(y)]);
    uchar* to = part.scanLine(y);
    for (int x = 0; x < area.width(); ++x) {
      std::memcpy(to + static_cast<size_t>(x) * bytes,
                  from + static_cast<size_t>(columns[static_cast<size_t>(x)]) * bytes,
                  static_cast<size_t>(bytes));
    }
  }
  painter.drawImage(area.topLeft(), part);
}

void PictureView::paintEvent(QPaintEvent* event) {
  // A picture whose size changed behind the view's back (a tool's preview) gets its scroll
  // range once this paint is over.
  if (knownPicture_ != QSize(doc_.width, doc_.height) && !syncQueued_) {
    syncQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      syncQueued_ = false;
      SyncScrollBars();
    });
  }
  QPainter painter(viewport());
  const QSize surface = viewport()->size();
  // Held in range: a picture that just became smaller is not scrolled out of sight.
  const ViewZoom shown =
      HoldView(zoom_, doc_.width, doc_.height, surface.width(), surface.height());
  const PaintPoint extent = VisiblePictureExtent(doc_.width, doc_.height, shown);
  const QColor background = ColorFromColorRef(doc_.backgroundColor);
  for (const PaintRect& r :
       BackgroundRects(surface.width(), surface.height(), extent.x, extent.y)) {
    painter.fillRect(QRect(r.x, r.y, r.width, r.height), background);
  }
  DrawPicture(painter, event->rect(), shown, QPoint(extent.x, extent.y));
  if (std::optional<EdgeLine> edge = BlinkEdge(extent.x, extent.y, blinkPhase_)) {
    QPen pen(ColorFromColorRef(edge->penColor), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(ColorFromColorRef(edge->backColor));
    const auto& p = edge->points;
    painter.drawLine(p[0].x, p[0].y, p[1].x, p[1].y);
    painter.drawLine(p[1].x, p[1].y, p[2].x, p[2].y);
  }
}

}  // namespace zel
