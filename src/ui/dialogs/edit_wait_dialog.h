// The modeless window shown while the paint program edits the picture: what to do, and
// the button "編集を待たない" that ends the wait.
#pragma once

#include <QDialog>

class QPushButton;

namespace zel {

class EditWaitDialog : public QDialog {
  Q_OBJECT

 public:
  // A window of its own (not owned by the main window, which is minimised meanwhile),
  // centred on the mouse cursor and kept on screen.
  EditWaitDialog();

  QPushButton* StopButton() const { return stopButton_; }

 private:
  QPushButton* stopButton_ = nullptr;
};

}  // namespace zel
