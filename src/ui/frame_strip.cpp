#include "ui/frame_strip.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <unistd.h>

#include "app/menu_tree.h"
#include "document/document_state.h"
#include "document/frame_operations.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr const char* kFrameMime = "application/x-zel-frame";
constexpr int kItemPadding = 4;

// What a drag of this strip carries: the process, the strip and the frame, so that a drop
// from another window or program is not taken for one of ours.
QByteArray DragToken(const void* strip) {
  return QByteArray::number(static_cast<qint64>(::getpid())) + ':' +
         QByteArray::number(reinterpret_cast<quintptr>(strip));
}

int FrameFromMime(const QMimeData* data, const void* strip) {
  if (!data || !data->hasFormat(Utf8(kFrameMime))) return -1;
  const QByteArray bytes = data->data(Utf8(kFrameMime));
  const int slash = bytes.lastIndexOf('/');
  if (slash < 0 || bytes.left(slash) != DragToken(strip)) return -1;
  bool ok = false;
  const int frame = bytes.mid(slash + 1).toInt(&ok);
  return ok ? frame : -1;
}

// Draws a frame: the thumbnail centred in its box, the label below, the current frame on
// the highlight colour.
class FrameStripDelegate : public QStyledItemDelegate {
 public:
  FrameStripDelegate(FrameStripModel& model, QObject* parent)
      : QStyledItemDelegate(parent), model_(model) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    const int text = option.fontMetrics.height();
    return {kStripThumbnailBox + 2 * kItemPadding + 16,
            kStripThumbnailBox + text + 3 * kItemPadding};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QRect r = option.rect;
    const bool current = index.row() == model_.CurrentRow();
    const QPalette& palette = option.palette;
    painter->fillRect(r, current ? palette.highlight() : palette.base());
    const QImage image = model_.Thumbnail(index.row());
    const QRect box(r.left() + (r.width() - kStripThumbnailBox) / 2, r.top() + kItemPadding,
                    kStripThumbnailBox, kStripThumbnailBox);
    if (!image.isNull()) {
      const QRect place(box.left() + (box.width() - image.width()) / 2,
                        box.top() + (box.height() - image.height()) / 2, image.width(),
                        image.height());
      painter->drawImage(place, image);
      painter->setPen(palette.color(QPalette::Mid));
      painter->drawRect(place.adjusted(-1, -1, 0, 0));
    }
    painter->setPen(palette.color(current ? QPalette::HighlightedText : QPalette::Text));
    const QRect text(r.left(), box.bottom() + kItemPadding, r.width(),
                     r.bottom() - box.bottom() - kItemPadding);
    painter->drawText(text, Qt::AlignHCenter | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
  }

 private:
  FrameStripModel& model_;
};

}  // namespace

// --- model ----------------------------------------------------------------------------------

FrameStripModel::FrameStripModel(DocumentState& doc, QObject* parent)
    : QAbstractListModel(parent), doc_(doc) {
  rows_ = rowCount();
}

int FrameStripModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !IsAnimation(doc_.kind) || !doc_.frameSet) return 0;
  const FrameSet& frames = *doc_.frameSet;
  return frames.count >= 0 && frames.count <= frames.capacity() ? frames.count : 0;
}

QVariant FrameStripModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    return Utf8(StripFrameLabel(index.row(), doc_.frameSet->frame(index.row()).delay));
  }
  return {};
}

Qt::ItemFlags FrameStripModel::flags(const QModelIndex& index) const {
  // Frames are dragged, never dropped on: a drop goes between two frames.
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList FrameStripModel::mimeTypes() const {
  return {Utf8(kFrameMime)};
}

QMimeData* FrameStripModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty() || !indexes.front().isValid()) return nullptr;
  auto* data = new QMimeData;
  data->setData(Utf8(kFrameMime),
                DragToken(this) + '/' + QByteArray::number(indexes.front().row()));
  return data;
}

int FrameStripModel::DraggedFrame(const QMimeData* data) const {
  const int frame = FrameFromMime(data, this);
  return frame >= 0 && frame < rowCount() ? frame : -1;
}

ThumbnailSize FrameStripModel::ThumbnailSizeNow() const {
  if (!doc_.frameSet || doc_.frameSet->count <= 0 || !doc_.frameSet->frame(0).image) return {};
  const DibHeader header = doc_.frameSet->frame(0).image.Header();
  return FitThumbnail(header.width, header.height, kStripThumbnailBox);
}

QImage FrameStripModel::Thumbnail(int row) {
  if (row < 0 || row >= rowCount()) return {};
  const PackedDib& image = doc_.frameSet->frame(row).image;
  if (!image || !IsWholePicture(image)) return {};
  // Each frame at its own shape: after a turn or a margin the thumbnails follow the
  // pictures, not the size the file once gave the animation's screen.
  const DibHeader header = image.Header();
  const ThumbnailSize size = FitThumbnail(header.width, header.height, kStripThumbnailBox);
  const std::vector<uint32_t>* pixels = cache_.Get(row, image, size);
  if (!pixels) return {};
  return QImage(reinterpret_cast<const uchar*>(pixels->data()), size.width, size.height,
                size.width * 4, QImage::Format_RGB32);
}

int FrameStripModel::CurrentRow() const {
  return doc_.currentFrame >= 0 && doc_.currentFrame < rowCount() ? doc_.currentFrame : -1;
}

bool FrameStripModel::Refresh() {
  const int rows = rowCount();
  // Each kept thumbnail is checked against its frame's picture when next drawn; only the
  // frames that changed are made again.
  cache_.MarkChanged(rows);
  if (rows != rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    return true;
  }
  if (rows > 0) emit dataChanged(index(0), index(rows - 1));
  return false;
}

// --- list -----------------------------------------------------------------------------------

FrameStripList::FrameStripList(QWidget* parent) : QListView(parent) {
  setViewMode(QListView::ListMode);
  setFlow(QListView::LeftToRight);
  setWrapping(false);
  setUniformItemSizes(true);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setMovement(QListView::Static);
  setDragDropMode(QAbstractItemView::InternalMove);
  setDefaultDropAction(Qt::MoveAction);
  setDropIndicatorShown(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

int FrameStripList::DraggedFrame(const QMimeData* data) const {
  auto* strip = qobject_cast<FrameStripModel*>(model());
  return strip ? strip->DraggedFrame(data) : -1;
}

void FrameStripList::dragEnterEvent(QDragEnterEvent* event) {
  if (DraggedFrame(event->mimeData()) < 0) {
    event->ignore();
    return;
  }
  QListView::dragEnterEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void FrameStripList::dragMoveEvent(QDragMoveEvent* event) {
  if (DraggedFrame(event->mimeData()) < 0) {
    event->ignore();
    return;
  }
  QListView::dragMoveEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void FrameStripList::dropEvent(QDropEvent* event) {
  const int from = DraggedFrame(event->mimeData());
  if (from < 0) {
    event->ignore();
    return;
  }
  // In front of the frame under the cursor, or behind it over its right half; behind the
  // last frame past the end.
  const QPoint pos = event->position().toPoint();
  const QModelIndex at = indexAt(pos);
  const int count = model()->rowCount();
  int dropBefore = count;
  if (at.isValid()) {
    const QRect rect = visualRect(at);
    dropBefore = at.row() + (pos.x() > rect.center().x() ? 1 : 0);
  } else if (count > 0 && pos.x() < visualRect(model()->index(0, 0)).left()) {
    dropBefore = 0;
  }
  // The rows are not removed by the drag: the document moves the frame and the strip
  // follows it.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
  emit FrameDropped(from, dropBefore);
}

// --- dock -----------------------------------------------------------------------------------

FrameStrip::FrameStrip(MainWindow& window) : QDockWidget(Tr("コマ一覧"), &window), window_(window) {
  setObjectName(QStringLiteral("framestrip"));
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  model_ = new FrameStripModel(window.Session().doc, this);
  list_ = new FrameStripList(this);
  list_->setModel(model_);
  list_->setItemDelegate(new FrameStripDelegate(*model_, list_));
  const int itemHeight = kStripThumbnailBox + list_->fontMetrics().height() + 3 * kItemPadding;
  list_->setFixedHeight(itemHeight + list_->horizontalScrollBar()->sizeHint().height() +
                        2 * list_->frameWidth() + 2);
  setWidget(list_);

  connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) ShowFrame(index.row());
  });
  connect(list_, &FrameStripList::FrameDropped, this,
          [this](int from, int dropBefore) { DropFrame(from, dropBefore); });
  connect(list_, &QWidget::customContextMenuRequested, this, &FrameStrip::ContextMenu);
}

void FrameStrip::Refresh() {
  // New rows are laid out at once, so that the current frame can be scrolled to.
  if (model_->Refresh() && isVisible()) list_->doItemsLayout();
  FollowCurrentFrame(true);
}

void FrameStrip::CurrentFrameChanged() {
  FollowCurrentFrame(false);
}

void FrameStrip::FollowCurrentFrame(bool always) {
  const int row = model_->CurrentRow();
  if (row == highlighted_ && !always) return;
  auto repaint = [this](int r) {
    if (r >= 0 && r < model_->rowCount())
      list_->viewport()->update(list_->visualRect(model_->index(r)));
  };
  repaint(highlighted_);
  repaint(row);
  highlighted_ = row;
  if (row < 0 || !isVisible()) return;
  // Only a frame wholly out of sight scrolls the strip, so that following playback does not
  // nudge it by a few pixels at every frame.
  const int itemWidth = list_->visualRect(model_->index(0)).width();
  const FrameRange seen = VisibleFrames(list_->horizontalScrollBar()->value(),
                                        list_->viewport()->width(), itemWidth, model_->rowCount());
  // The current frame then comes first, and a screenful of frames plays before the next
  // scroll.
  if (row < seen.first || row > seen.last) {
    list_->horizontalScrollBar()->setValue(row * itemWidth);
  } else if (always) {
    // A step (Home, End, an arrow) onto a frame cut at the edge brings all of it in.
    list_->scrollTo(model_->index(row), QAbstractItemView::EnsureVisible);
  }
}

bool FrameStrip::DropFrame(int from, int dropBefore) {
  if (window_.DocumentBusy()) return false;
  DocumentState& doc = window_.Session().doc;
  const int to = MoveTargetForDrop(from, dropBefore, model_->rowCount());
  if (to < 0 || !MoveFrameTo(doc, from, to).done()) return false;
  list_->setCurrentIndex(model_->index(to));
  return true;
}

void FrameStrip::ShowFrame(int row) {
  if (window_.DocumentBusy()) return;
  if (!ShowStripFrame(window_.Session().doc, row)) return;
  window_.RefreshAll();
}

void FrameStrip::ContextMenu(const QPoint& pos) {
  const QModelIndex index = list_->indexAt(pos);
  if (!index.isValid() || window_.DocumentBusy()) return;
  ShowFrame(index.row());
  window_.ShowPopup(FrameStripPopup());
}

void FrameStrip::closeEvent(QCloseEvent* event) {
  window_.Session().settings.showFrameStrip = false;
  QDockWidget::closeEvent(event);
}

}  // namespace zel
