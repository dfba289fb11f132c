// The view: the current picture unscaled at the top-left corner on the background colour,
// the blinking right and bottom edges, and the 10 ms playback tick.
#pragma once

#include <QImage>
#include <QWidget>

namespace zel {

struct DocumentState;
class PackedDib;

// The picture as a QImage: 8-bit pictures through their colour table, 24-bit pictures
// (blue, green, red), 32-bit pictures (blue, green, red, unused). A null image for any
// other depth or a block too small for its header.
QImage ImageFromPackedDib(const PackedDib& picture);

class PictureView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPlaybackIntervalMs = 10;

  PictureView(DocumentState& doc, QWidget* parent);

  bool BlinkPhase() const { return blinkPhase_; }

 signals:
  // The playback tick moved to another frame.
  void FrameAdvanced();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PlaybackTimeout();
  void BlinkTimeout();

  DocumentState& doc_;
  bool blinkPhase_ = false;
};

}  // namespace zel
