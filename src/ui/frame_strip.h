// The frame strip: a dock under the view with a thumbnail of every frame, its number and
// its delay. Thumbnails are made only for the frames on screen and kept in a cache; the
// current frame is highlighted while the animation plays; a click shows a frame, a drag
// moves it, the context menu runs the frame commands on it. The rules are app/frame_strip.
#pragma once

#include <QAbstractListModel>
#include <QDockWidget>
#include <QListView>
#include <QStyledItemDelegate>

#include "app/frame_strip.h"

namespace zel {

class MainWindow;
struct DocumentState;

class FrameStripModel : public QAbstractListModel {
  Q_OBJECT

 public:
  FrameStripModel(DocumentState& doc, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

  // The frame a drag carries, when it comes from this strip; -1 otherwise.
  int DraggedFrame(const QMimeData* data) const;
  // The thumbnail of `row` (a QImage over the cache's pixels, valid until the next call), or
  // a null image.
  QImage Thumbnail(int row);
  ThumbnailSize ThumbnailSizeNow() const;
  int CurrentRow() const;
  const ThumbnailCache& Cache() const { return cache_; }

  // After a change of the document: the rows follow the frame count, and a thumbnail is
  // made again when next shown only when its frame's picture changed. True when the rows
  // were reset.
  bool Refresh();

 private:
  DocumentState& doc_;
  ThumbnailCache cache_;
  int rows_ = 0;
};

class FrameStripList : public QListView {
  Q_OBJECT

 public:
  explicit FrameStripList(QWidget* parent);

 signals:
  // A frame dragged here: frame `from` is to go in front of frame `dropBefore`.
  void FrameDropped(int from, int dropBefore);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int DraggedFrame(const QMimeData* data) const;
};

class FrameStrip : public QDockWidget {
  Q_OBJECT

 public:
  explicit FrameStrip(MainWindow& window);

  FrameStripList* List() const { return list_; }
  FrameStripModel* Model() const { return model_; }

  // The document may have changed (the current frame too): the rows, the thumbnails of the
  // changed frames and the highlight follow, the current frame in sight.
  void Refresh();
  // Playback moved to another frame: the highlight follows and stays in sight.
  void CurrentFrameChanged();
  // What a drop does: frame `from` goes in front of frame `dropBefore`, as one frame
  // operation with its undo snapshot. True when a frame moved.
  bool DropFrame(int from, int dropBefore);
  // What a click does: playback stops and `row` is shown.
  void ShowFrame(int row);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ContextMenu(const QPoint& pos);
  // Moves the highlight to the current frame and scrolls it into sight; unless `always`,
  // only when the current frame is another than the highlighted one.
  void FollowCurrentFrame(bool always);

  MainWindow& window_;
  FrameStripModel* model_ = nullptr;
  FrameStripList* list_ = nullptr;
  int highlighted_ = -1;
};

}  // namespace zel
