#include "ui/dialogs/jump_dialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/command_ids.h"
#include "document/document_state.h"
#include "document/playback.h"
#include "ui/dialogs/program_resources.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr int kRepeatDelayMs = 1000;
constexpr int kRepeatIntervalMs = 40;
constexpr int kLeaveCheckMs = 500;

QPushButton* MakeButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setFixedWidth(32);
  return button;
}

}  // namespace

JumpDialog::JumpDialog(DocumentState& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
  setWindowTitle(Tr("アニメの位置づけ"));
  setWindowIcon(CommandIcon(kCmdJump));

  first_ = MakeButton(QStringLiteral("|<"), this);
  previous_ = MakeButton(QStringLiteral("<"), this);
  edit_ = new QLineEdit(QString::number(doc.currentFrame + 1), this);
  edit_->setValidator(new QIntValidator(-99999, 99999, edit_));
  edit_->setFixedWidth(56);
  edit_->setAlignment(Qt::AlignRight);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setDefault(true);
  next_ = MakeButton(QStringLiteral(">"), this);
  last_ = MakeButton(QStringLiteral(">|"), this);

  for (QPushButton* repeat : {previous_, next_}) {
    repeat->setAutoRepeat(true);
    repeat->setAutoRepeatDelay(kRepeatDelayMs);
    repeat->setAutoRepeatInterval(kRepeatIntervalMs);
  }

  auto* layout = new QHBoxLayout(this);
  layout->setSpacing(4);
  for (QWidget* w : std::initializer_list<QWidget*>{first_, previous_, edit_, ok_, next_, last_})
    layout->addWidget(w);

  connect(first_, &QPushButton::clicked, this, [this] { Apply(&JumpMoves::First); });
  connect(previous_, &QPushButton::clicked, this, [this] { Apply(&JumpMoves::Previous); });
  connect(next_, &QPushButton::clicked, this, [this] { Apply(&JumpMoves::Next); });
  connect(last_, &QPushButton::clicked, this, [this] { Apply(&JumpMoves::Last); });
  // OK shows the typed frame and leaves the text as it is; the dialog stays open.
  connect(ok_, &QPushButton::clicked, this, [this] { JumpMoves::Ok(doc_, EditValue()); });

  leaveTimer_ = new QTimer(this);
  leaveTimer_->setInterval(kLeaveCheckMs);
  connect(leaveTimer_, &QTimer::timeout, this, &JumpDialog::CloseWhenCursorLeft);
}

int JumpDialog::EditValue() const {
  bool ok = false;
  int value = edit_->text().trimmed().toInt(&ok);
  return ok ? value : 0;
}

void JumpDialog::Apply(int (*move)(DocumentState&, int32_t)) {
  int before = EditValue();
  int after = move(doc_, before);
  if (after != before) edit_->setText(QString::number(after));
}

void JumpDialog::PlaceAtCursor() {
  adjustSize();
  QPoint cursor = QCursor::pos();
  QScreen* screen = QGuiApplication::screenAt(cursor);
  if (!screen) screen = QGuiApplication::primaryScreen();
  QRect frame = frameGeometry();
  frame.moveCenter(cursor);
  if (screen) {
    QRect desk = screen->availableGeometry();
    if (frame.right() > desk.right()) frame.moveRight(desk.right());
    if (frame.bottom() > desk.bottom()) frame.moveBottom(desk.bottom());
    if (frame.left() < desk.left()) frame.moveLeft(desk.left());
    if (frame.top() < desk.top()) frame.moveTop(desk.top());
  }
  move(frame.topLeft());
}

void JumpDialog::showEvent(QShowEvent* event) {
  PlaceAtCursor();
  QDialog::showEvent(event);
  leaveTimer_->start();
}

void JumpDialog::hideEvent(QHideEvent* event) {
  leaveTimer_->stop();
  QDialog::hideEvent(event);
}

void JumpDialog::CloseWhenCursorLeft() {
  if (!frameGeometry().contains(QCursor::pos())) reject();
}

}  // namespace zel
