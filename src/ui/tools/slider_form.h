// The form of a slider tool: rows of a slider with its spin box, an optional check box and
// form-switch button, OK and Cancel. A slider moves its spin box and the other way round;
// every change of a value (after the row's snapping) is reported once as InputChanged.
// The bar lays everything out in one line; the full form puts one row under the other.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "transforms/tool_models.h"
#include "ui/tools/tool_form.h"

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QSlider;
class QSpinBox;

namespace zel {

class SliderForm : public ToolForm {
  Q_OBJECT

 public:
  SliderForm(Shape shape, const QString& title, QWidget* parent);

  // A row; `snap` (when given) turns a position into the value taken. Returns its index.
  int AddSlider(const QString& label, const SliderRange& range, std::function<int(int)> snap = {});
  // The gray check box of the colour tool.
  QCheckBox* AddCheck(const QString& text);
  // A button that closes the form asking for the tool's other form.
  QPushButton* AddSwitch(const QString& text);
  // Adds OK and Cancel; call last.
  void Finish();

  int Value(int row) const;
  // Sets a row's slider and spin box; reports InputChanged when the value changed.
  void SetValue(int row, int value);
  bool Checked() const;

  QSlider* Slider(int row) const { return rows_[static_cast<size_t>(row)].slider; }
  QSpinBox* Spin(int row) const { return rows_[static_cast<size_t>(row)].spin; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // Right click in the form (the zoom tool's presets).
  std::function<void(const QPoint& globalPos)> contextMenu;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Row {
    QSlider* slider;
    QSpinBox* spin;
    std::function<int(int)> snap;
    int value;
  };
  void Take(int row, int position);

  std::vector<Row> rows_;
  QCheckBox* check_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QHBoxLayout* line_ = nullptr;  // the bar
  QGridLayout* grid_ = nullptr;  // the full form
  QHBoxLayout* buttons_ = nullptr;
};

}  // namespace zel
