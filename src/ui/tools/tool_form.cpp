#include "ui/tools/tool_form.h"

namespace zel {

ToolForm::ToolForm(Shape shape, const QString& title, QWidget* parent)
    : QDialog(parent), shape_(shape) {
  if (shape_ == Shape::kBar) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  } else {
    setWindowTitle(title);
  }
}

void ToolForm::reject() {
  emit CancelRequested();
  done(kToolFormCancel);
}

}  // namespace zel
