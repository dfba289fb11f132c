#include "ui/dialogs/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/clock.h"
#include "ui/translate.h"

namespace zel {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& caption, TickSource tickSource)
    : QDialog(parent), tickSource_(std::move(tickSource)) {
  setWindowTitle(caption);
  setModal(false);

  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setMinimumWidth(260);

  elapsedLabel_ = new QLabel(QStringLiteral("00:00:00"), this);
  remainingLabel_ = new QLabel(QStringLiteral("00:00:00"), this);
  cancelButton_ = new QPushButton(Tr("ｷｬﾝｾﾙ"), this);
  cancelButton_->setAutoDefault(false);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });

  auto* times = new QGridLayout;
  times->addWidget(new QLabel(Tr("経過時間"), this), 0, 0);
  times->addWidget(elapsedLabel_, 0, 1);
  times->addWidget(new QLabel(Tr("残り時間"), this), 1, 0);
  times->addWidget(remainingLabel_, 1, 1);
  times->setColumnStretch(2, 1);
  times->addWidget(cancelButton_, 0, 3, 2, 1, Qt::AlignRight | Qt::AlignVCenter);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  layout->addLayout(times);

  clock_.Start(Now());
  show();
}

ProgressWindow::~ProgressWindow() = default;

uint32_t ProgressWindow::Now() const {
  return tickSource_ ? tickSource_() : TickCount();
}

void ProgressWindow::ReportProgress(int percent) {
  if (auto times = clock_.Report(percent, Now())) {
    elapsedLabel_->setText(QString::fromStdString(times->elapsed));
    remainingLabel_->setText(QString::fromStdString(times->remaining));
  }
  QCoreApplication::processEvents();
  bar_->setValue(std::clamp(percent, 0, 100));
}

void ProgressWindow::RestartClock() {
  clock_.Restart(Now());
  elapsedLabel_->setText(QStringLiteral("00:00:00"));
}

void ProgressWindow::DisableCancel() {
  cancelButton_->setEnabled(false);
}

bool ProgressWindow::TakeCancel() {
  bool wasCancelled = cancel_;
  cancel_ = false;
  return wasCancelled;
}

int ProgressWindow::BarValue() const {
  return bar_->value();
}
QString ProgressWindow::ElapsedText() const {
  return elapsedLabel_->text();
}
QString ProgressWindow::RemainingText() const {
  return remainingLabel_->text();
}

void ProgressWindow::reject() {
  if (cancelButton_->isEnabled()) cancel_ = true;
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  reject();
  event->ignore();
}

}  // namespace zel
