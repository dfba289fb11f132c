#include "ui/dialogs/save_confirm_dialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/translate.h"

namespace zel {

namespace {

// The dialog's result for "保存しない"; Accepted is "保存する", Rejected (Escape, the close
// box) cancels.
constexpr int kDiscardResult = 2;

}  // namespace

SaveChoice AskSaveBeforeClose(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(Tr("zel - 保存の確認"));
  auto* save = new QPushButton(Tr("保存する"), &dialog);
  save->setDefault(true);
  auto* discard = new QPushButton(Tr("保存しない"), &dialog);
  discard->setAutoDefault(false);
  QObject::connect(save, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(discard, &QPushButton::clicked, &dialog,
                   [&dialog] { dialog.done(kDiscardResult); });

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(Tr("編集した内容を保存しますか?"), &dialog));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(discard);
  layout->addLayout(buttons);
  switch (dialog.exec()) {
    case QDialog::Accepted:
      return SaveChoice::kSave;
    case kDiscardResult:
      return SaveChoice::kDiscard;
    default:
      return SaveChoice::kCancel;
  }
}

}  // namespace zel
