#include "ui/dialogs/motion_dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "integration/motion_edit.h"
#include "platform/binary_record.h"
#include "resources/string_table.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/edit_wait_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

// The title as the record keeps it: at most kMotionTitleMaxBytes of UTF-8.
std::string TitleOf(const QLineEdit* edit) {
  return TruncateUtf8(edit->text().toStdString(), kMotionTitleMaxBytes);
}

QWidget* MainWindowOf(QWidget* from) {
  QWidget* top = from;
  while (top->parentWidget() != nullptr) top = top->parentWidget();
  return top->window();
}

// The title edit takes at most 119 characters; the record keeps at most 127 bytes.
constexpr int kTitleMaxChars = 119;

QLineEdit* NewTitleEdit(QWidget* dialog, const QString& title) {
  auto* edit = new QLineEdit(title, dialog);
  edit->setMaxLength(kTitleMaxChars);
  return edit;
}

// The two definition dialogs: the title row, the text, then the buttons.
void LayOutTitleDialog(QWidget* dialog, QLineEdit* titleEdit, const QString& text,
                       QHBoxLayout* buttons) {
  auto* layout = new QVBoxLayout(dialog);
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(new QLabel(Tr("タイトル"), dialog));
  titleRow->addWidget(titleEdit, 1);
  layout->addLayout(titleRow);
  layout->addWidget(new QLabel(text, dialog));
  layout->addLayout(buttons);
}

}  // namespace

void MotionDialogServices::Show(QWidget* parent, const QString& text) const {
  if (message) {
    message(text);
  } else {
    ShowMessage(parent, text);
  }
}

void MotionDialogServices::ShowOutcome(QWidget* parent, const Outcome& outcome) const {
  if (const char* text = OutcomeText(outcome)) Show(parent, Utf8(text));
}

bool MotionDialogServices::Ask(QWidget* parent, const QString& text) const {
  return question ? question(text) : AskYesNo(parent, text);
}

DesktopEnvironment MotionDialogServices::Desktop() const {
  return desktop ? *desktop : SystemDesktop();
}

Outcome RunMotionEditWait(QWidget* from, MotionEdit& edit, MotionDefinitions& defs,
                          const MotionDialogServices& services) {
  if (const Outcome started = edit.Start(); !started.done()) return started;
  QPointer<QWidget> mainWindow = MainWindowOf(from);
  mainWindow->showMinimized();
  EditWaitDialog wait;
  bool closed = false;
  bool quitting = false;
  QEventLoop loop;
  auto tick = [&] {
    WindowObservation window;
    window.dialogClosed = closed;
    window.quitRequested = quitting;
    if (mainWindow) window.minimised = mainWindow->isMinimized();
    if (edit.Tick(window) != EditWaitState::kWaiting) loop.quit();
  };
  QTimer timer;
  timer.setInterval(services.tickMs);
  QObject::connect(&timer, &QTimer::timeout, &loop, tick);
  QObject::connect(&wait, &QDialog::finished, &loop, [&] {
    closed = true;
    QTimer::singleShot(0, &loop, tick);
  });
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, [&] {
    quitting = true;
    loop.quit();
  });
  wait.show();
  timer.start();
  loop.exec();
  timer.stop();
  if (mainWindow && mainWindow->isMinimized()) mainWindow->showNormal();
  wait.hide();
  return edit.Finish(defs);
}

Outcome EditMotionDefinition(QWidget* from, MotionDefinitions& defs, int index,
                             const MotionDialogServices& services) {
  MotionEdit edit;
  const Outcome prepared =
      edit.PrepareExisting(defs, index, services.editorPath, services.Desktop());
  if (!prepared.done()) return prepared;
  return RunMotionEditWait(from, edit, defs, services);
}

MotionNewDialog::MotionNewDialog(MotionDefinitions& defs, const MotionDialogServices& services,
                                 QWidget* parent)
    : QDialog(parent), defs_(defs), services_(services) {
  setWindowTitle(Utf8(Say(kNewMotionCaption)));
  titleEdit_ = NewTitleEdit(this, Utf8(Say(kNewMotionDefaultTitle)));
  titleEdit_->selectAll();
  const DialogButtons buttons = MakeOkCancelButtons(this);
  okButton_ = buttons.act;
  LayOutTitleDialog(this, titleEdit_, Utf8(Say(kNewMotionText)), buttons.row);
  connect(okButton_, &QPushButton::clicked, this, &MotionNewDialog::Ok);
  connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
}

void MotionNewDialog::Ok() {
  const std::string title = TitleOf(titleEdit_);
  MotionEdit edit;
  Outcome result = edit.PrepareNew(defs_, title, services_.editorPath, services_.Desktop());
  if (result.done()) {
    // No second OK while the paint program runs.
    setEnabled(false);
    result = RunMotionEditWait(this, edit, defs_, services_);
    setEnabled(true);
  }
  if (!result.done()) {
    services_.ShowOutcome(this, result);
    return;
  }
  accept();
}

MotionEditDialog::MotionEditDialog(MotionDefinitions& defs, const MotionDialogServices& services,
                                   QWidget* parent)
    : QDialog(parent), defs_(defs), services_(services) {
  setWindowTitle(Utf8(Say(kEditMotionCaption)));
  titleEdit_ = NewTitleEdit(this, Utf8(defs_.SelectedTitle()));
  drawButton_ = new QPushButton(Tr("編集"), this);
  drawButton_->setAutoDefault(false);
  const DialogButtons buttons = MakeOkCancelButtons(this);
  okButton_ = buttons.act;
  buttons.row->insertWidget(0, drawButton_);
  LayOutTitleDialog(this, titleEdit_, Utf8(Say(kEditMotionText)), buttons.row);
  connect(drawButton_, &QPushButton::clicked, this, &MotionEditDialog::Draw);
  connect(okButton_, &QPushButton::clicked, this, &MotionEditDialog::Ok);
  connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
}

void MotionEditDialog::Draw() {
  setEnabled(false);
  const Outcome result = EditMotionDefinition(this, defs_, defs_.selected(), services_);
  setEnabled(true);
  services_.ShowOutcome(this, result);
}

void MotionEditDialog::Ok() {
  const int index = defs_.selected();
  if (std::optional<MotionRecord> record = defs_.Read(index)) {
    record->title = TitleOf(titleEdit_);
    defs_.Write(index, *record);
  }
  accept();
}

}  // namespace zel
