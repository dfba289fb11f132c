#include "ui/dialogs/dialog_buttons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "ui/translate.h"

namespace zel {

DialogButtons MakeDialogButtons(QWidget* dialog, const QString& actText, const QString& closeText) {
  DialogButtons buttons;
  buttons.act = new QPushButton(actText, dialog);
  buttons.act->setDefault(true);
  buttons.close = new QPushButton(closeText, dialog);
  buttons.close->setAutoDefault(false);
  buttons.row = new QHBoxLayout;
  buttons.row->addStretch(1);
  buttons.row->addWidget(buttons.act);
  buttons.row->addWidget(buttons.close);
  return buttons;
}

DialogButtons MakeCreateCloseButtons(QWidget* dialog) {
  return MakeDialogButtons(dialog, Tr("作成"), Tr("閉じる"));
}

DialogButtons MakeOkCancelButtons(QWidget* dialog) {
  return MakeDialogButtons(dialog, QStringLiteral("OK"), Tr("ｷｬﾝｾﾙ"));
}

void AddLabeledRow(QGridLayout* grid, int row, const QString& label, QWidget* field) {
  grid->addWidget(new QLabel(label, field->parentWidget()), row, 0);
  grid->addWidget(field, row, 1);
}

}  // namespace zel
