// The detailed form of time adjustment, "ｱﾆﾒの時間調節": five columns of frames, each with
// its number, a picture of the frame and its time, changed one by one while the animation
// keeps playing. The rules live in DetailedTimeModel; the dialog only shows it.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QSize>
#include <array>

#include "document/time_adjustment.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace zel {

struct DocumentState;

// The size a frame of `image` is drawn at in a picture button of `item`, from the item's
// top-left corner: a picture not wider than tall fills the item's height, any other its
// width.
QSize FramePictureSize(QSize image, QSize item);

// A picture button: light grey, with the frame of its column stretched onto it (nothing
// while it is held down or when the column has no frame).
class FramePictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  FramePictureButton(const DocumentState& doc, QWidget* parent);
  void SetFrame(int frame);  // -1: none
  int Frame() const { return frame_; }
  QSize sizeHint() const override { return QSize(72, 72); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const DocumentState& doc_;
  int frame_ = -1;
};

class TimeDetailDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kColumns = DetailedTimeModel::kColumns;

  TimeDetailDialog(DocumentState& doc, QWidget* parent);

  // Returns kTimeFormClosed at once when the animation has fewer than two frames.
  int exec() override;
  void reject() override;  // "閉じる", Escape and closing the window

  const DetailedTimeModel& Model() const { return model_; }
  QLabel* NumberLabel(int column) const { return numbers_[column]; }
  FramePictureButton* PictureButton(int column) const { return pictures_[column]; }
  QLineEdit* TimeEdit(int column) const { return edits_[column]; }
  QToolButton* SpinUp(int column) const { return ups_[column]; }
  QToolButton* SpinDown(int column) const { return downs_[column]; }
  QLabel* CountLabel() const { return count_; }
  QLabel* TotalLabel() const { return total_; }
  QPushButton* FirstButton() const { return first_; }
  QPushButton* BackButton() const { return back_; }
  QPushButton* ForwardButton() const { return forward_; }
  QPushButton* LastButton() const { return last_; }
  QPushButton* ChangeButton() const { return change_; }
  QPushButton* CloseButton() const { return close_; }
  QPushButton* SwitchButton() const { return switch_; }
  // "ループ回数": "無限", a count, "1回のみ"; "変更" sets it (LoopCountOf, SetLoopCount).
  QRadioButton* LoopForeverButton() const { return loopForever_; }
  QRadioButton* LoopCountButton() const { return loopCounted_; }
  QSpinBox* LoopCountBox() const { return loopCount_; }
  QRadioButton* LoopOnceButton() const { return loopOnce_; }

 private:
  void Refresh();
  void Typed(int column, const QString& text);
  void Spun(int column, int step);
  void Navigate(bool moved);
  void ApplyLoopCount();

  DocumentState& doc_;
  DetailedTimeModel model_;
  std::array<QLabel*, kColumns> numbers_{};
  std::array<FramePictureButton*, kColumns> pictures_{};
  std::array<QLineEdit*, kColumns> edits_{};
  std::array<QToolButton*, kColumns> ups_{};
  std::array<QToolButton*, kColumns> downs_{};
  QLabel* count_ = nullptr;
  QLabel* total_ = nullptr;
  QPushButton* first_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* forward_ = nullptr;
  QPushButton* last_ = nullptr;
  QPushButton* change_ = nullptr;
  QPushButton* close_ = nullptr;
  QPushButton* switch_ = nullptr;
  QRadioButton* loopForever_ = nullptr;
  QRadioButton* loopCounted_ = nullptr;
  QSpinBox* loopCount_ = nullptr;
  QRadioButton* loopOnce_ = nullptr;
};

}  // namespace zel
