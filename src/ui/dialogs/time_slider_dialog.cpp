#include "ui/dialogs/time_slider_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "document/document_state.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr const char* kWindowCaption = "ｱﾆﾒの時間調節";

}  // namespace

TimeSliderDialog::TimeSliderDialog(DocumentState& doc, Form form, QWidget* parent)
    : ToolForm(form == Form::kStrip ? Shape::kBar : Shape::kFull, Tr(kWindowCaption), parent),
      form_(form),
      model_(doc) {
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, model_.Maximum());
  slider_->setValue(model_.Position());
  slider_->setMinimumWidth(160);
  seconds_ = new QLabel(QString::fromStdString(model_.Text()), this);
  seconds_->setMinimumWidth(seconds_->fontMetrics().horizontalAdvance(QStringLiteral("9999.99")));
  seconds_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(Tr("ｷｬﾝｾﾙ"), this);
  cancel_->setAutoDefault(false);
  switch_ = new QPushButton(Tr("詳細"), this);
  switch_->setToolTip(Tr("コマごとの時間調節に切り替えます"));
  switch_->setAutoDefault(false);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(switch_);
  layout->addWidget(slider_, 1);
  layout->addWidget(seconds_);
  layout->addWidget(new QLabel(Tr("秒"), this));
  layout->addWidget(ok_);
  layout->addWidget(cancel_);

  connect(slider_, &QSlider::valueChanged, this, &TimeSliderDialog::Moved);
  connect(ok_, &QPushButton::clicked, this, [this] {
    (void)model_.Keep();  // one undoable step when any delay changed
    done(kTimeFormKept);
  });
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
  ToolForm::reject();
}

void TimeSliderDialog::Moved(int position) {
  model_.MoveTo(position);
  seconds_->setText(QString::fromStdString(model_.Text()));
}

}  // namespace zel
