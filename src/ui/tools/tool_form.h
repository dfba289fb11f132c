// The window of a tool. It comes in two shapes: the bar, a strip without caption laid along
// the bottom edge of the view and as wide as it, and the full form, a captioned window
// below the picture. A form tells its host when its inputs change (InputChanged; the host
// renders only the latest input) and when OK is asked for (OkRequested; the host applies
// the result while the form still shows, then closes it).
#pragma once

#include <QDialog>

namespace zel {

// What a tool form's exec() returns.
constexpr int kToolFormOk = 0;
constexpr int kToolFormCancel = -1;
constexpr int kToolFormNoRoom = 2;  // the bar could not be placed
constexpr int kToolFormSwitch = 3;  // the other form of the same tool is wanted

class ToolForm : public QDialog {
  Q_OBJECT

 public:
  enum class Shape { kBar, kFull };

  // A bar has no frame or caption; a full form takes `title` as its caption.
  ToolForm(Shape shape, const QString& title, QWidget* parent);

  Shape shape() const { return shape_; }

  // Escape and closing the window cancel.
  void reject() override;

 signals:
  void InputChanged();
  void OkRequested();
  void CancelRequested();

 private:
  Shape shape_;
};

}  // namespace zel
