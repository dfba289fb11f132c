// The row of buttons that ends most of the editor's dialogs: a stretch, then the default
// button and the button that closes the dialog without acting, at the right.
#pragma once

#include <QString>

class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace zel {

struct DialogButtons {
  QPushButton* act = nullptr;    // the default button
  QPushButton* close = nullptr;  // never the default; Enter does not press it
  QHBoxLayout* row = nullptr;    // stretch, act, close; for the caller to place
};

// The buttons are made here, in this order, so that they take their place in the dialog's
// focus chain where the caller asks for them.
DialogButtons MakeDialogButtons(QWidget* dialog, const QString& actText, const QString& closeText);
// "作成" and "閉じる".
DialogButtons MakeCreateCloseButtons(QWidget* dialog);
// "OK" and "ｷｬﾝｾﾙ".
DialogButtons MakeOkCancelButtons(QWidget* dialog);

// `label` in column 0 and `field` in column 1 of `row`.
void AddLabeledRow(QGridLayout* grid, int row, const QString& label, QWidget* field);

}  // namespace zel
