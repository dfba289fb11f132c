#include "ui/dialogs/motion_properties_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

#include "generators/motion_builtins.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {

MotionPreviewButton::MotionPreviewButton(QWidget* parent) : QPushButton(parent) {
  setFixedSize(120, 120);
  setAutoDefault(false);
}

void MotionPreviewButton::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

QRect MotionPreviewButton::DrawnRect(const QSize& picture, const QSize& size) {
  const int wb = picture.width();
  const int hb = picture.height();
  if (wb <= 0 || hb <= 0) return {};
  if (wb <= hb) {
    return QRect(0, 0, static_cast<int>(int64_t{wb} * size.width() / hb), size.height());
  }
  return QRect(0, 0, size.width(), static_cast<int>(int64_t{hb} * size.height() / wb));
}

void MotionPreviewButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(192, 192, 192));
  if (picture_.isNull()) return;
  painter.drawImage(DrawnRect(picture_.size(), size()), picture_);
}

QImage LoadMotionPreview(const std::string& bitmapPath) {
  PackedDib bitmap;
  if (bitmapPath.empty() || ReadBmpFile(bitmap, bitmapPath) != kBmpReadOk ||
      bitmap.Header().bitCount != 1) {
    return {};
  }
  const DibHeader h = bitmap.Header();
  QImage image(h.width, h.height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const int ink = MotionInkIndex(bitmap);
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = bitmap.Row(y);
    QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < h.width; ++x) {
      const int index = (row[x >> 3] >> (7 - (x & 7))) & 1;
      out[x] = index == ink ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
  }
  return image;
}

MotionPropertiesDialog::MotionPropertiesDialog(MotionDefinitions& defs,
                                               const MotionDialogServices& services,
                                               QWidget* parent)
    : QDialog(parent), defs_(defs), services_(services) {
  setWindowTitle(Tr(kMotionPropertiesCaption));
  list_ = new QListWidget(this);
  list_->setMinimumWidth(160);
  preview_ = new MotionPreviewButton(this);
  rangeSpin_ = new QSpinBox(this);
  rangeSpin_->setRange(kMotionRangeMin, kMotionRangeMax);
  rangeSpin_->setValue(defs_.range());
  wrapCheck_ = new QCheckBox(Tr("末端で折り返す"), this);
  wrapCheck_->setChecked(defs_.flags() & kMotionWrap);
  reverseCheck_ = new QCheckBox(Tr("逆順"), this);
  reverseCheck_->setChecked(defs_.flags() & kMotionReverse);
  addButton_ = new QPushButton(Tr("追加"), this);
  editButton_ = new QPushButton(Tr("編集"), this);
  deleteButton_ = new QPushButton(Tr("削除"), this);
  const DialogButtons closing = MakeOkCancelButtons(this);
  okButton_ = closing.act;
  cancelButton_ = closing.close;
  for (QPushButton* b : {addButton_, editButton_, deleteButton_}) b->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(list_, 0, 0, 4, 1);
  grid->addWidget(preview_, 0, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(new QLabel(Tr("移動範囲(%)"), this), 1, 1);
  grid->addWidget(rangeSpin_, 1, 2);
  grid->addWidget(wrapCheck_, 2, 1, 1, 2);
  grid->addWidget(reverseCheck_, 3, 1, 1, 2);
  auto* edits = new QHBoxLayout;
  edits->addWidget(addButton_);
  edits->addWidget(editButton_);
  edits->addWidget(deleteButton_);
  edits->addStretch(1);
  grid->addLayout(edits, 4, 0, 1, 3);
  grid->addLayout(closing.row, 5, 0, 1, 3);

  connect(list_, &QListWidget::currentRowChanged, this, &MotionPropertiesDialog::HighlightChanged);
  connect(preview_, &QPushButton::clicked, this, &MotionPropertiesDialog::DrawHighlighted);
  connect(addButton_, &QPushButton::clicked, this, &MotionPropertiesDialog::Add);
  connect(editButton_, &QPushButton::clicked, this, &MotionPropertiesDialog::EditHighlighted);
  connect(deleteButton_, &QPushButton::clicked, this, &MotionPropertiesDialog::DeleteHighlighted);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  Refill(defs_.selected());
}

int MotionPropertiesDialog::Highlighted() const {
  return list_->currentRow();
}

void MotionPropertiesDialog::Refill(int highlight) {
  list_->blockSignals(true);
  list_->clear();
  for (int i = 0; i < defs_.Count(); ++i) {
    std::optional<MotionRecord> record = defs_.Read(i);
    list_->addItem(Utf8(record ? ShownMotionTitle(record->title) : std::string()));
  }
  if (highlight >= 0 && highlight < list_->count()) list_->setCurrentRow(highlight);
  list_->blockSignals(false);
  editButton_->setEnabled(defs_.Count() > 0);
  deleteButton_->setEnabled(defs_.Count() > 0);
  HighlightChanged();
}

void MotionPropertiesDialog::HighlightChanged() {
  std::optional<MotionRecord> record = defs_.Read(Highlighted());
  preview_->SetPicture(record ? LoadMotionPreview(record->bitmapPath) : QImage());
}

void MotionPropertiesDialog::DrawHighlighted() {
  const int row = Highlighted();
  if (row < 0) return;
  defs_.SetSelected(row);
  services_.ShowOutcome(this, EditMotionDefinition(this, defs_, row, services_));
  Refill(row);
}

void MotionPropertiesDialog::Add() {
  MotionNewDialog dialog(defs_, services_, this);
  dialog.exec();
  Refill(defs_.selected());
}

void MotionPropertiesDialog::EditHighlighted() {
  if (defs_.Count() <= 0) return;
  defs_.SetSelected(std::max(Highlighted(), 0));
  MotionEditDialog dialog(defs_, services_, this);
  dialog.exec();
  Refill(defs_.selected());
}

void MotionPropertiesDialog::DeleteHighlighted() {
  const int row = Highlighted();
  if (row < 0 || defs_.Count() <= 0) return;
  if (!services_.Ask(this, Tr(kDeleteMotionQuestion))) return;
  defs_.Delete(row);
  Refill(std::min(row, defs_.Count() - 1));
}

void MotionPropertiesDialog::done(int result) {
  defs_.SetSelected(std::max(Highlighted(), 0));
  defs_.SetRange(rangeSpin_->value());
  defs_.SetFlags((wrapCheck_->isChecked() ? kMotionWrap : 0) |
                 (reverseCheck_->isChecked() ? kMotionReverse : 0));
  preview_->SetPicture(QImage());
  QDialog::done(result);
}

bool RunMotionProperties(QWidget* parent, MotionDefinitions& defs,
                         const MotionDialogServices& services) {
  MotionPropertiesDialog dialog(defs, services, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace zel
