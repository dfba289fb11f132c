#include "ui/dialogs/message_box.h"

#include <QMessageBox>

#include "resources/string_table.h"

namespace zel {

void ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMessageCaption), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

void ShowMessageThrough(const std::function<void(const QString&)>& hook, QWidget* parent,
                        const QString& text) {
  if (hook) {
    hook(text);
  } else {
    ShowMessage(parent, text);
  }
}

void ShowMessageId(QWidget* parent, MessageId id) {
  if (const char* text = MessageText(id)) ShowMessage(parent, QString::fromUtf8(text));
}

bool AskYesNo(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kMessageCaption), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace zel
