#include "ui/dialogs/save_webp_dialog.h"

#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/save_document.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/translate.h"

namespace zel {

SaveWebpDialog::SaveWebpDialog(WebpOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
  setWindowTitle(Tr("WebPﾌｧｲﾙ作成"));
  lossless_ = new QRadioButton(Tr("劣化なし(可逆圧縮)"), this);
  lossy_ = new QRadioButton(Tr("非可逆圧縮"), this);
  quality_ = new QSpinBox(this);
  quality_->setRange(0, 100);
  quality_->setValue(ClampWebpQuality(options_.quality));
  (options_.lossy ? lossy_ : lossless_)->setChecked(true);
  quality_->setEnabled(options_.lossy);
  connect(lossy_, &QRadioButton::toggled, quality_, &QSpinBox::setEnabled);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  createButton_ = buttons.act;

  auto* grid = new QGridLayout(this);
  grid->addWidget(lossless_, 0, 0, 1, 2);
  grid->addWidget(lossy_, 1, 0, 1, 2);
  AddLabeledRow(grid, 2, Tr("品質"), quality_);
  grid->addLayout(buttons.row, 3, 0, 1, 2);

  connect(createButton_, &QPushButton::clicked, this, [this] {
    options_.lossy = lossy_->isChecked();
    options_.quality = ClampWebpQuality(quality_->value());
    accept();
  });
  connect(buttons.close, &QPushButton::clicked, this, &QDialog::reject);
  // Wide enough for the window manager to show the whole caption above the short rows.
  setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 160);
}

}  // namespace zel
