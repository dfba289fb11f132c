#include "ui/dialogs/time_detail_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "document/document_state.h"
#include "document/playback.h"
#include "ui/dialogs/time_slider_dialog.h"
#include "ui/picture_view.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr const char* kCaption = "ｱﾆﾒの時間調節";
constexpr int kMaxTypedChars = 7;
const QColor kLightGrey(0xC0, 0xC0, 0xC0);

QPushButton* MakeNavigationButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setFixedWidth(36);
  return button;
}

QToolButton* MakeSpinButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFixedSize(18, 12);
  return button;
}

}  // namespace

QSize FramePictureSize(QSize image, QSize item) {
  if (image.width() <= 0 || image.height() <= 0) return QSize();
  const int64_t iw = image.width(), ih = image.height();
  if (iw <= ih) return QSize(static_cast<int>(iw * item.width() / ih), item.height());
  return QSize(item.width(), static_cast<int>(ih * item.height() / iw));
}

FramePictureButton::FramePictureButton(const DocumentState& doc, QWidget* parent)
    : QAbstractButton(parent), doc_(doc) {
  setFocusPolicy(Qt::NoFocus);
}

void FramePictureButton::SetFrame(int frame) {
  frame_ = frame;
  update();
}

void FramePictureButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), kLightGrey);
  if (isDown() || frame_ < 0 || !doc_.frameSet || frame_ >= doc_.frameSet->count) return;
  QImage image = ImageFromPackedDib(doc_.frameSet->frame(frame_).image);
  if (image.isNull()) return;
  const QSize drawn = FramePictureSize(image.size(), size());
  painter.drawImage(QRect(QPoint(0, 0), drawn), image);
}

TimeDetailDialog::TimeDetailDialog(DocumentState& doc, QWidget* parent)
    : QDialog(parent), doc_(doc), model_(doc) {
  setWindowTitle(Tr(kCaption));

  auto* columns = new QGridLayout;
  for (int c = 0; c < kColumns; ++c) {
    numbers_[c] = new QLabel(this);
    numbers_[c]->setAlignment(Qt::AlignCenter);
    pictures_[c] = new FramePictureButton(doc, this);
    pictures_[c]->setFixedSize(pictures_[c]->sizeHint());
    edits_[c] = new QLineEdit(this);
    edits_[c]->setMaxLength(kMaxTypedChars);
    edits_[c]->setFixedWidth(48);
    edits_[c]->setAlignment(Qt::AlignRight);
    ups_[c] = MakeSpinButton(Qt::UpArrow, this);
    downs_[c] = MakeSpinButton(Qt::DownArrow, this);
    const bool enabled = model_.ColumnEnabled(c);
    edits_[c]->setEnabled(enabled);
    ups_[c]->setEnabled(enabled);
    downs_[c]->setEnabled(enabled);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("No."), this));
    numberRow->addWidget(numbers_[c], 1);
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(ups_[c]);
    spin->addWidget(downs_[c]);
    auto* timeRow = new QHBoxLayout;
    timeRow->setSpacing(0);
    timeRow->addWidget(edits_[c]);
    timeRow->addLayout(spin);
    columns->addLayout(numberRow, 0, c);
    columns->addWidget(pictures_[c], 1, c, Qt::AlignCenter);
    columns->addLayout(timeRow, 2, c, Qt::AlignCenter);

    connect(edits_[c], &QLineEdit::textEdited, this,
            [this, c](const QString& text) { Typed(c, text); });
    connect(ups_[c], &QToolButton::clicked, this, [this, c] { Spun(c, 1); });
    connect(downs_[c], &QToolButton::clicked, this, [this, c] { Spun(c, -1); });
  }

  first_ = MakeNavigationButton(QStringLiteral("|<"), this);
  back_ = MakeNavigationButton(QStringLiteral("<"), this);
  forward_ = MakeNavigationButton(QStringLiteral(">"), this);
  last_ = MakeNavigationButton(QStringLiteral(">|"), this);
  for (QPushButton* repeat : {back_, forward_}) {
    repeat->setAutoRepeat(true);
    repeat->setAutoRepeatDelay(kJumpRepeatDelayMs);
    repeat->setAutoRepeatInterval(kJumpRepeatIntervalMs);
  }
  count_ = new QLabel(this);
  total_ = new QLabel(this);
  change_ = new QPushButton(Tr("変更"), this);
  change_->setDefault(true);
  close_ = new QPushButton(Tr("閉じる"), this);
  close_->setAutoDefault(false);
  switch_ = new QPushButton(Tr("ｽﾗｲﾀﾞｰ"), this);
  switch_->setToolTip(Tr("全部のコマをまとめて調節するｽﾗｲﾀﾞｰに切り替えます"));
  switch_->setAutoDefault(false);

  auto* navigation = new QHBoxLayout;
  for (QPushButton* b : {first_, back_, forward_, last_}) navigation->addWidget(b);
  navigation->addSpacing(12);
  navigation->addWidget(new QLabel(Tr("コマ数"), this));
  navigation->addWidget(count_);
  navigation->addSpacing(12);
  navigation->addWidget(new QLabel(Tr("合計"), this));
  navigation->addWidget(total_);
  navigation->addWidget(new QLabel(Tr("秒"), this));
  navigation->addStretch(1);

  // The loop count the saved file carries.
  loopForever_ = new QRadioButton(Tr("無限"), this);
  loopCounted_ = new QRadioButton(this);
  loopCount_ = new QSpinBox(this);
  loopCount_->setRange(1, kMaxLoopCount);
  loopOnce_ = new QRadioButton(Tr("1回のみ"), this);
  const int32_t loopCount = doc.frameSet ? doc.frameSet->loopCount : kLoopForever;
  switch (LoopChoiceOf(loopCount)) {
    case LoopChoice::kForever:
      loopForever_->setChecked(true);
      break;
    case LoopChoice::kCount:
      loopCounted_->setChecked(true);
      break;
    case LoopChoice::kOnce:
      loopOnce_->setChecked(true);
      break;
  }
  loopCount_->setValue(LoopCountBoxValue(loopCount));
  loopCount_->setEnabled(loopCounted_->isChecked());
  connect(loopCounted_, &QRadioButton::toggled, loopCount_, &QSpinBox::setEnabled);
  auto* looping = new QHBoxLayout;
  looping->addWidget(new QLabel(Tr("ループ回数"), this));
  looping->addWidget(loopForever_);
  looping->addWidget(loopCounted_);
  looping->addWidget(loopCount_);
  looping->addWidget(new QLabel(Tr("回"), this));
  looping->addWidget(loopOnce_);
  looping->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(switch_);
  buttons->addStretch(1);
  buttons->addWidget(change_);
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Tr("表示時間 (1/100秒)"), this));
  layout->addLayout(columns);
  layout->addLayout(navigation);
  layout->addLayout(looping);
  layout->addLayout(buttons);

  connect(first_, &QPushButton::clicked, this, [this] { Navigate(model_.ToFirst()); });
  connect(back_, &QPushButton::clicked, this, [this] { Navigate(model_.Back()); });
  connect(forward_, &QPushButton::clicked, this, [this] { Navigate(model_.Forward()); });
  connect(last_, &QPushButton::clicked, this, [this] { Navigate(model_.ToLast()); });
  // "変更" keeps the times as they are now and sets the loop count, each one undoable
  // step (when it changed anything).
  connect(change_, &QPushButton::clicked, this, [this] {
    (void)model_.Keep();  // a change of delays never fails with something to show
    ApplyLoopCount();
    done(kTimeFormClosed);
  });
  connect(close_, &QPushButton::clicked, this, &TimeDetailDialog::reject);
  connect(switch_, &QPushButton::clicked, this, [this] {
    model_.Cancel();
    done(kTimeFormSwitch);
  });

  Refresh();
}

int TimeDetailDialog::exec() {
  if (!model_.Usable()) return kTimeFormClosed;
  return QDialog::exec();
}

void TimeDetailDialog::reject() {
  model_.Cancel();
  done(kTimeFormClosed);
}

void TimeDetailDialog::Refresh() {
  count_->setText(QString::number(model_.Count()));
  for (int c = 0; c < kColumns; ++c) {
    const int frame = model_.FrameOfColumn(c);
    numbers_[c]->setText(QString::fromStdString(model_.NumberText(c)));
    edits_[c]->setText(frame < 0 ? QString() : QString::number(model_.DelayOfColumn(c)));
    pictures_[c]->SetFrame(frame);
  }
  total_->setText(QString::fromStdString(model_.TotalText()));
}

void TimeDetailDialog::Typed(int column, const QString& text) {
  const std::string typed = text.toStdString();
  const std::string shown = model_.TypeTime(column, typed);
  if (shown != typed) edits_[column]->setText(QString::fromStdString(shown));
  total_->setText(QString::fromStdString(model_.TotalText()));
}

void TimeDetailDialog::Spun(int column, int step) {
  if (model_.FrameOfColumn(column) < 0) return;
  const int32_t value =
      std::clamp(model_.DelayOfColumn(column) + step, 0, DetailedTimeModel::kMaxDelay);
  model_.SetTime(column, value);
  edits_[column]->setText(QString::number(value));
  total_->setText(QString::fromStdString(model_.TotalText()));
}

void TimeDetailDialog::Navigate(bool moved) {
  if (moved) Refresh();
}

void TimeDetailDialog::ApplyLoopCount() {
  const LoopChoice choice = loopOnce_->isChecked()      ? LoopChoice::kOnce
                            : loopCounted_->isChecked() ? LoopChoice::kCount
                                                        : LoopChoice::kForever;
  (void)SetLoopCount(doc_, LoopCountOf(choice, loopCount_->value()));
}

}  // namespace zel
