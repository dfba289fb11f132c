// The jump dialog "アニメの位置づけ": moves the stopped or playing animation to a frame.
// Every move goes through JumpMoves, which sets the step bit; the main window's playback
// tick then shows the frame.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimer;

namespace zel {

struct DocumentState;

class JumpDialog : public QDialog {
  Q_OBJECT

 public:
  JumpDialog(DocumentState& doc, QWidget* parent);

  QLineEdit* FrameEdit() const { return edit_; }
  QPushButton* FirstButton() const { return first_; }
  QPushButton* PreviousButton() const { return previous_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* LastButton() const { return last_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The edit box's value as typed: a signed number, 0 when it is none.
  int EditValue() const;
  void Apply(int (*move)(DocumentState&, int32_t));
  void PlaceAtCursor();
  void CloseWhenCursorLeft();

  DocumentState& doc_;
  QLineEdit* edit_ = nullptr;
  QPushButton* first_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* last_ = nullptr;
  QTimer* leaveTimer_ = nullptr;
};

}  // namespace zel
