#include "ui/dialogs/time_slider_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include "document/document_state.h"

namespace zel {
namespace {

constexpr const char* kWindowCaption = "ｱﾆﾒの時間調節";

TimeRect ToTimeRect(const QRect& r) {
  return TimeRect{r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

TimeSliderDialog::TimeSliderDialog(DocumentState& doc, Form form, QWidget* parent)
    : QDialog(parent), form_(form), model_(doc) {
  if (form_ == Form::kStrip) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  } else {
    setWindowTitle(QString::fromUtf8(kWindowCaption));
  }

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, model_.Maximum());
  slider_->setValue(model_.Position());
  slider_->setMinimumWidth(160);
  seconds_ = new QLabel(QString::fromStdString(model_.Text()), this);
  seconds_->setMinimumWidth(seconds_->fontMetrics().horizontalAdvance(QStringLiteral("9999.99")));
  seconds_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel_->setAutoDefault(false);
  switch_ = new QPushButton(QStringLiteral("詳細"), this);
  switch_->setToolTip(QStringLiteral("コマごとの時間調節に切り替えます"));
  switch_->setAutoDefault(false);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(switch_);
  layout->addWidget(slider_, 1);
  layout->addWidget(seconds_);
  layout->addWidget(new QLabel(QStringLiteral("秒"), this));
  layout->addWidget(ok_);
  layout->addWidget(cancel_);

  connect(slider_, &QSlider::valueChanged, this, &TimeSliderDialog::Moved);
  connect(ok_, &QPushButton::clicked, this, [this] { done(kTimeFormKept); });
  connect(cancel_, &QPushButton::clicked, this, &TimeSliderDialog::reject);
  connect(switch_, &QPushButton::clicked, this, [this] {
    model_.Cancel();
    done(kTimeFormSwitch);
  });
}

int TimeSliderDialog::exec() {
  if (!model_.Usable()) return kTimeFormClosed;
  return QDialog::exec();
}

void TimeSliderDialog::reject() {
  model_.Cancel();
  done(kTimeFormClosed);
}

void TimeSliderDialog::Moved(int position) {
  model_.MoveTo(position);
  seconds_->setText(QString::fromStdString(model_.Text()));
}

int RunTimeSliderForm(DocumentState& doc, QWidget* view, bool standardBarFloats, QWidget* parent) {
  TimeSliderDialog window(doc, TimeSliderDialog::Form::kWindow, parent);
  if (!window.Model().Usable()) return kTimeFormClosed;
  std::unique_ptr<TimeSliderDialog> strip;
  if (!standardBarFloats) {
    strip = std::make_unique<TimeSliderDialog>(doc, TimeSliderDialog::Form::kStrip, parent);
  }

  const QRect viewRect(view->mapToGlobal(QPoint(0, 0)), view->size());
  QScreen* screen = view->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->availableGeometry() : viewRect;
  const QSize stripSize = strip ? strip->sizeHint() : QSize();
  const SliderLayout layout = PlaceSliderForm(
      ToTimeRect(viewRect), ToTimeRect(screenRect), doc.height,
      TimeRect{0, 0, stripSize.width(), stripSize.height()},
      TimeRect{0, 0, window.sizeHint().width(), window.sizeHint().height()}, standardBarFloats);

  if (strip && layout.placement == SliderPlacement::kStrip) {
    strip->setGeometry(layout.rect.x, layout.rect.y, layout.rect.width, layout.rect.height);
    return strip->exec();
  }
  window.move(layout.rect.x, layout.rect.y);
  return window.exec();
}

}  // namespace zel
