// The slider form of time adjustment: one slider scales every frame's delay together while
// the animation keeps playing. It comes as a strip without caption laid along the bottom of
// the view, or as the window "ｱﾆﾒの時間調節" when the strip does not fit or the standard tool
// bar floats. The rules live in SliderTimeModel; the dialog only shows it.
#pragma once

#include <QDialog>
#include <memory>

#include "document/time_adjustment.h"

class QLabel;
class QPushButton;
class QSlider;

namespace zel {

struct DocumentState;

// What the forms of time adjustment return from exec(): OK keeps the new times, cancel puts
// the old ones back, switch puts them back and asks for the other form.
constexpr int kTimeFormKept = 0;
constexpr int kTimeFormClosed = -1;
constexpr int kTimeFormSwitch = 3;

class TimeSliderDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Form { kStrip, kWindow };

  TimeSliderDialog(DocumentState& doc, Form form, QWidget* parent);

  // Returns kTimeFormClosed at once when the animation has fewer than two frames.
  int exec() override;
  void reject() override;  // Escape and closing the window cancel

  Form form() const { return form_; }
  const SliderTimeModel& Model() const { return model_; }
  QSlider* Slider() const { return slider_; }
  QLabel* SecondsLabel() const { return seconds_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* SwitchButton() const { return switch_; }

 private:
  void Moved(int position);

  Form form_;
  SliderTimeModel model_;
  QSlider* slider_ = nullptr;
  QLabel* seconds_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* switch_ = nullptr;
};

// Opens the slider form for the animation shown in `view`: the window form when
// `standardBarFloats`, else the strip along the view's bottom edge, falling back to the
// window form when the strip cannot be placed. Returns the form's result.
int RunTimeSliderForm(DocumentState& doc, QWidget* view, bool standardBarFloats, QWidget* parent);

}  // namespace zel
