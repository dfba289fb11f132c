#include "ui/dialogs/edit_wait_dialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "integration/external_edit.h"
#include "ui/utf8.h"

namespace zel {

EditWaitDialog::EditWaitDialog() {
  setWindowTitle(Utf8(Say(kEditWaitCaption)));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Utf8(Say(kEditWaitText)), this));
  stopButton_ = new QPushButton(Utf8(Say(kEditWaitButton)), this);
  layout->addWidget(stopButton_, 0, Qt::AlignHCenter);
  connect(stopButton_, &QPushButton::clicked, this, &QDialog::close);
  adjustSize();

  const QPoint cursor = QCursor::pos();
  QRect frame(QPoint(0, 0), sizeHint());
  frame.moveCenter(cursor);
  if (QScreen* screen = QGuiApplication::screenAt(cursor)) {
    const QRect area = screen->availableGeometry();
    frame.moveLeft(std::clamp(frame.left(), area.left(),
                              std::max(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), area.top(),
                             std::max(area.top(), area.bottom() - frame.height() + 1)));
  }
  move(frame.topLeft());
}

}  // namespace zel
