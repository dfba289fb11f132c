#include "ui/tools/slider_form.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/translate.h"

namespace zel {

SliderForm::SliderForm(Shape shape, const QString& title, QWidget* parent)
    : ToolForm(shape, title, parent) {
  if (shape == Shape::kBar) {
    line_ = new QHBoxLayout(this);
    line_->setContentsMargins(4, 2, 4, 2);
    buttons_ = line_;
  } else {
    auto* column = new QVBoxLayout(this);
    grid_ = new QGridLayout;
    column->addLayout(grid_);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch();
    column->addLayout(buttons_);
  }
}

int SliderForm::AddSlider(const QString& label, const SliderRange& range,
                          std::function<int(int)> snap) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setRange(range.minimum, range.maximum);
  slider->setValue(range.start);
  slider->setMinimumWidth(shape() == Shape::kBar ? 120 : 240);
  auto* spin = new QSpinBox(this);
  spin->setRange(range.minimum, range.maximum);
  spin->setValue(range.start);
  auto* text = new QLabel(label, this);
  const int row = static_cast<int>(rows_.size());
  rows_.push_back({slider, spin, std::move(snap), range.start});
  if (line_) {
    line_->addWidget(text);
    line_->addWidget(slider, 1);
    line_->addWidget(spin);
  } else {
    grid_->addWidget(text, row, 0);
    grid_->addWidget(slider, row, 1);
    grid_->addWidget(spin, row, 2);
  }
  connect(slider, &QSlider::valueChanged, this, [this, row](int v) { Take(row, v); });
  connect(spin, &QSpinBox::valueChanged, this, [this, row](int v) { Take(row, v); });
  return row;
}

QCheckBox* SliderForm::AddCheck(const QString& text) {
  check_ = new QCheckBox(text, this);
  if (line_) {
    line_->addWidget(check_);
  } else {
    grid_->addWidget(check_, grid_->rowCount(), 1);
  }
  connect(check_, &QCheckBox::toggled, this, &ToolForm::InputChanged);
  return check_;
}

QPushButton* SliderForm::AddSwitch(const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(false);
  buttons_->addWidget(button);
  connect(button, &QPushButton::clicked, this, [this] { done(kToolFormSwitch); });
  return button;
}

void SliderForm::Finish() {
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  cancel_ = new QPushButton(Tr("ｷｬﾝｾﾙ"), this);
  ok_->setDefault(true);
  buttons_->addWidget(ok_);
  buttons_->addWidget(cancel_);
  connect(ok_, &QPushButton::clicked, this, &ToolForm::OkRequested);
  connect(cancel_, &QPushButton::clicked, this, &ToolForm::reject);
}

void SliderForm::Take(int row, int position) {
  Row& r = rows_[static_cast<size_t>(row)];
  const int value = r.snap ? r.snap(position) : position;
  {
    // The partner control follows without reporting again.
    const QSignalBlocker blockSlider(r.slider);
    const QSignalBlocker blockSpin(r.spin);
    r.slider->setValue(value);
    r.spin->setValue(value);
  }
  if (value == r.value) return;
  r.value = value;
  emit InputChanged();
}

int SliderForm::Value(int row) const {
  return rows_[static_cast<size_t>(row)].value;
}

void SliderForm::SetValue(int row, int value) {
  Take(row, value);
}

bool SliderForm::Checked() const {
  return check_ && check_->isChecked();
}

void SliderForm::contextMenuEvent(QContextMenuEvent* event) {
  if (contextMenu) {
    contextMenu(event->globalPos());
    event->accept();
  } else {
    ToolForm::contextMenuEvent(event);
  }
}

}  // namespace zel
