#include "ui/picture_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <cstring>

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

PictureView::PictureView(DocumentState& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  // Every pixel is painted: the picture and the background around it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(false);  // the main window takes dropped files

  auto* blinkTimer = new QTimer(this);
  connect(blinkTimer, &QTimer::timeout, this, &PictureView::BlinkTimeout);
  blinkTimer->start(kEdgeBlinkMs);

  auto* playbackTimer = new QTimer(this);
  playbackTimer->setTimerType(Qt::PreciseTimer);
  connect(playbackTimer, &QTimer::timeout, this, &PictureView::PlaybackTimeout);
  playbackTimer->start(kPlaybackIntervalMs);
}

void PictureView::PlaybackTimeout() {
  if (!PlaybackTick(doc_, TickCount())) return;
  update();
  emit FrameAdvanced();
}

void PictureView::BlinkTimeout() {
  bool next = NextBlinkPhase(blinkPhase_, doc_.width, doc_.height);
  if (next == blinkPhase_) return;
  blinkPhase_ = next;
  // Only the two edge lines change.
  update(QRect(doc_.width, 0, 1, doc_.height + 1));
  update(QRect(0, doc_.height, doc_.width + 1, 1));
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QColor background = ColorFromColorRef(doc_.backgroundColor);
  for (const PaintRect& r : BackgroundRects(width(), height(), doc_.width, doc_.height)) {
    painter.fillRect(QRect(r.x, r.y, r.width, r.height), background);
  }
  if (const PackedDib* picture = PictureToDraw(doc_)) {
    QImage image = ImageFromPackedDib(*picture);
    if (!image.isNull()) painter.drawImage(0, 0, image);
  }
  if (std::optional<EdgeLine> edge = BlinkEdge(doc_.width, doc_.height, blinkPhase_)) {
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
