// The view: the current picture on the background colour at the top-left of a scrollable
// area, zoomed from 25 % to 1600 % with sharp (nearest-neighbour) pixels, the blinking right
// and bottom edges, and the 10 ms playback tick. Zoom and scrolling only change what is
// shown, never the picture. The arithmetic (steps, mapping, scroll ranges, zoom about a
// point, fit) is app/view_zoom; everything that maps between the view and the picture goes
// through PictureAt and SurfacePointOf here.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>

#include "app/view_zoom.h"

namespace zel {

struct DocumentState;
class PackedDib;

// The picture as a QImage: 8-bit pictures through their colour table, 24-bit pictures
// (blue, green, red), 32-bit pictures (blue, green, red, unused). A null image for any
// other depth or a block too small for its header.
QImage ImageFromPackedDib(const PackedDib& picture);

class PictureView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kPlaybackIntervalMs = 10;

  PictureView(DocumentState& doc, QWidget* parent);

  bool BlinkPhase() const { return blinkPhase_; }

  // --- zoom and scrolling ---
  const ViewZoom& Zoom() const { return zoom_; }
  // Zooms about a point of the surface (the view's centre by default).
  void ZoomAt(int zoom, QPoint about);
  void SetZoom(int zoom);
  void ZoomIn();
  void ZoomOut();
  // The largest zoom at which the whole picture shows, scrolled to the top-left.
  void ZoomToFit();
  // A picture that replaced the document: 100 %, or the zoom that fits it when it is larger
  // than the view, from its top-left (app/view_zoom's OpeningViewZoom). Before the view
  // first shows, its size is not known yet: the rule is taken again once it is.
  void StartNewPicture();
  // Scrolls to the given offsets, held inside the scroll range.
  void ScrollTo(int x, int y);
  // After the picture may have changed its size: the scroll range follows and the view is
  // drawn again.
  void PictureChanged();

  // --- mapping between the view and the picture ---
  // The widget the picture is drawn on (inside the scroll bars); surface coordinates are
  // the view coordinates of app/view_zoom.
  QWidget* Surface() const { return viewport(); }
  // The picture pixel at a surface point; not held inside the picture.
  QPoint PictureAt(QPoint surfacePoint) const;
  QPoint PictureAtGlobal(QPoint globalPoint) const;
  // The surface point where picture pixel `picture` starts (any pixel, also outside).
  QPoint SurfacePointOf(QPoint picture) const;
  // The area the picture can be scrolled within, in picture pixels (the margin rule
  // compares the picture with it).
  QSize ScrollableAreaInPicture() const;

 signals:
  // The playback tick moved to another frame.
  void FrameAdvanced();
  // The zoom or the scroll offsets changed: whatever lies over the picture moves with it.
  void ViewChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void PlaybackTimeout();
  void BlinkTimeout();
  // Sets the scroll bars from the zoom, the picture and the surface size.
  void SyncScrollBars();
  void DrawPicture(class QPainter& painter, const QRect& exposed, const ViewZoom& shown,
                   QPoint extent);

  DocumentState& doc_;
  ViewZoom zoom_;
  QSize knownPicture_;  // the picture size the scroll bars were last set for
  bool syncing_ = false;
  bool syncQueued_ = false;
  bool startPending_ = false;  // StartNewPicture ran before the view showed
  int wheelAngle_ = 0;  // Ctrl+wheel turns not yet a whole step
  bool blinkPhase_ = false;
};

}  // namespace zel
