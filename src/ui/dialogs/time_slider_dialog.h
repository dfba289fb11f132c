// The slider form of time adjustment: one slider scales every frame's delay together while
// the animation keeps playing. It comes as a strip without caption laid along the bottom of
// the view, or as the window "ｱﾆﾒの時間調節" when the strip does not fit or the standard tool
// bar floats. The rules live in SliderTimeModel; the dialog only shows it.
#pragma once

#include "document/time_adjustment.h"
#include "ui/tools/tool_form.h"

class QLabel;
class QPushButton;
class QSlider;

namespace zel {

struct DocumentState;

// What the forms of time adjustment return from exec(): OK keeps the new times, cancel puts
// the old ones back, switch puts them back and asks for the other form.
constexpr int kTimeFormKept = kToolFormOk;
constexpr int kTimeFormClosed = kToolFormCancel;
constexpr int kTimeFormSwitch = kToolFormSwitch;

// The slider form is the tool host's first form: the strip is a tool bar form, the window
// its full form.
class TimeSliderDialog : public ToolForm {
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

}  // namespace zel
