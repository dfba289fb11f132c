// The handle tools: corner and edge deformation and stretching. Their handles ("ﾂﾏﾐ") are
// small frameless windows over the view, owned by the tool's form (so that the form's
// modality leaves them usable), dragged with the mouse within the bounds of the handle
// table; every move that changes a readout renders a fast preview from the source copy.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "transforms/tool_models.h"
#include "ui/tools/interactive_tool.h"

namespace zel {

struct DocumentState;
class PictureView;

class HandleWidget : public QWidget {
  Q_OBJECT

 public:
  // Placed over `view` with its hotspot at the kind's initial place on the picture, as the
  // view zooms and scrolls it; shown and hidden with `owner`, the tool's form.
  HandleWidget(int kind, const HandlePlacement& placement, PictureView* view, QWidget* owner);

  int kind() const { return kind_; }
  // The hotspot in picture coordinates.
  PointI Hotspot() const { return hotspot_; }

  // Called after every move that moved the handle.
  std::function<void()> moved;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Place();

  int kind_;
  PictureView* view_;
  HandlePlacement placement_;
  PointI hotspot_;  // picture coordinates
  QPoint last_;
  bool dragging_ = false;
};

// kCorner, kEdge or kStretch; nullptr for the others.
std::unique_ptr<InteractiveTool> MakeHandleTool(ToolKind kind, DocumentState& doc);

}  // namespace zel
