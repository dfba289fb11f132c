#include "ui/tools/handle_tools.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "document/document_state.h"
#include "transforms/deformations.h"
#include "transforms/image_commands.h"
#include "ui/picture_view.h"
#include "ui/tools/tool_form.h"
#include "ui/tools/tool_host.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {

constexpr int kHandleSize = 11;

HandleWidget::HandleWidget(int kind, const HandlePlacement& placement, PictureView* view,
                           QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                         Qt::WindowDoesNotAcceptFocus),
      kind_(kind),
      view_(view),
      placement_(placement),
      hotspot_(placement.initial) {
  setObjectName(QStringLiteral("handle-%1").arg(kind));
  setFixedSize(kHandleSize, kHandleSize);
  setCursor(Qt::SizeAllCursor);
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The handle stays on its picture point while the view zooms or scrolls.
  connect(view_, &PictureView::ViewChanged, this, &HandleWidget::Place);
  Place();
}

void HandleWidget::Place() {
  const QPoint onView = view_->SurfacePointOf(QPoint(hotspot_.x, hotspot_.y));
  move(view_->Surface()->mapToGlobal(onView) - QPoint(placement_.hotspot.x, placement_.hotspot.y));
}

void HandleWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  static const QIcon artwork(QStringLiteral(":/icons/handle.svg"));
  artwork.paint(&painter, rect());
}

void HandleWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || dragging_) return;
  dragging_ = true;
  last_ = event->globalPosition().toPoint();
  grabMouse(Qt::ClosedHandCursor);
}

void HandleWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  // The drag is measured in picture pixels: at 200 % two pixels of mouse move the handle one.
  const QPoint now = event->globalPosition().toPoint();
  const QPoint delta = view_->PictureAtGlobal(now) - view_->PictureAtGlobal(last_);
  last_ = now;
  if (delta.isNull()) return;
  const PointI next = DragHandle(hotspot_, delta.x(), delta.y(), placement_);
  if (next == hotspot_) return;
  hotspot_ = next;
  Place();
  if (moved) moved();
}

void HandleWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  releaseMouse();
}

namespace {

// The handles of each tool, in the order the readouts take them.
std::vector<int> KindsOf(ToolKind tool) {
  switch (tool) {
    case ToolKind::kCorner:
      return {1, 2, 3, 4};
    case ToolKind::kEdge:
      return {5, 6, 7, 8};
    default:
      return {10, 11};
  }
}

// The form of a handle tool: OK and Cancel; its handles show and hide with it.
class HandleForm : public ToolForm {
 public:
  using ToolForm::ToolForm;
  std::vector<HandleWidget*> handles;

 protected:
  void showEvent(QShowEvent* event) override {
    ToolForm::showEvent(event);
    for (HandleWidget* handle : handles) {
      handle->show();
      handle->raise();
    }
  }
  void hideEvent(QHideEvent* event) override {
    for (HandleWidget* handle : handles) handle->hide();
    ToolForm::hideEvent(event);
  }
};

class HandleTool : public InteractiveTool {
 public:
  HandleTool(ToolKind kind, DocumentState& doc) : kind_(kind), doc_(doc) {}

  const ToolTexts& Texts() const override { return TextsOf(kind_); }

  std::unique_ptr<ToolForm> MakeForm(ToolForm::Shape shape, ToolHost& host) override {
    auto form =
        std::make_unique<HandleForm>(shape, Utf8(TextsOf(kind_).title), host.View()->window());
    MakeHandles(host, *form);
    auto* layout = new QHBoxLayout(form.get());
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), form.get());
    auto* cancel = new QPushButton(Tr("ｷｬﾝｾﾙ"), form.get());
    ok->setDefault(true);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    HandleForm* raw = form.get();
    QObject::connect(ok, &QPushButton::clicked, raw, &ToolForm::OkRequested);
    QObject::connect(cancel, &QPushButton::clicked, raw, &ToolForm::reject);
    return form;
  }

  PackedDib Preview(const PackedDib& source) override {
    std::vector<PointI> now = Hotspots();
    if (now == applied_) return {};
    applied_ = std::move(now);
    if (kind_ == ToolKind::kStretch) {
      const PointI size = StretchSize();
      return ResizeFast(source, size.x, size.y);
    }
    return QuadWarpPreview(source, Corners(), Fill());
  }

  FrameTransform FinalTransform() const override {
    if (kind_ == ToolKind::kStretch) {
      const PointI size = StretchSize();
      return [size](const PackedDib& p) { return ResizeSmooth(p, size.x, size.y); };
    }
    const QuadCorners corners = Corners();
    const zel::Fill fill = Fill();
    return [corners, fill](const PackedDib& p) { return QuadWarp(p, corners, fill); };
  }

  QString SizeText() const override {
    if (kind_ != ToolKind::kStretch) return {};
    const PointI size = StretchSize();
    return Utf8(zel::SizeText(size.x, size.y).c_str());
  }

 private:
  void MakeHandles(ToolHost& host, HandleForm& form) {
    PictureView* view = host.View();
    HandleFrame frame;
    frame.width = doc_.width;
    frame.height = doc_.height;
    frame.handleWidth = kHandleSize;
    frame.handleHeight = kHandleSize;
    // The handles live inside the view: the widening handles reach the far edges of the
    // area the picture scrolls in (in picture pixels).
    const QSize area = view->ScrollableAreaInPicture();
    frame.screenWidth = std::max(area.width(), doc_.width + 1);
    frame.screenHeight = std::max(area.height(), doc_.height + 1);
    for (int kind : KindsOf(kind_)) {
      auto* handle = new HandleWidget(kind, PlaceHandle(kind, frame), view, &form);
      HandleForm* owner = &form;
      handle->moved = [this, owner] {
        shown_ = owner;
        emit owner->InputChanged();
      };
      form.handles.push_back(handle);
    }
    if (!shown_) {
      shown_ = &form;
      applied_ = Hotspots();
    }
    if (kind_ == ToolKind::kStretch)
      host.ShowSize(Utf8(zel::SizeText(doc_.width, doc_.height).c_str()));
  }

  std::vector<PointI> Hotspots() const {
    std::vector<PointI> points;
    for (const HandleWidget* handle : shown_->handles) points.push_back(handle->Hotspot());
    return points;
  }
  QuadCorners Corners() const {
    const std::vector<PointI> h = Hotspots();
    if (kind_ == ToolKind::kCorner) return CornersFromCornerHandles(h[0], h[1], h[2], h[3]);
    return CornersFromEdgeHandles(h[0], h[1], h[2], h[3]);
  }
  PointI StretchSize() const {
    const std::vector<PointI> h = Hotspots();
    return StretchSizeFromHandles(h[0], h[1]);
  }
  zel::Fill Fill() const { return DocumentFill(doc_); }

  ToolKind kind_;
  DocumentState& doc_;
  HandleForm* shown_ = nullptr;  // the form whose handles were moved last
  std::vector<PointI> applied_;
};

}  // namespace

std::unique_ptr<InteractiveTool> MakeHandleTool(ToolKind kind, DocumentState& doc) {
  if (kind != ToolKind::kCorner && kind != ToolKind::kEdge && kind != ToolKind::kStretch) {
    return nullptr;
  }
  return std::make_unique<HandleTool>(kind, doc);
}

}  // namespace zel
