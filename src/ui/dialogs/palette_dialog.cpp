#include "ui/dialogs/palette_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "document/document_state.h"
#include "ui/dialogs/color_chooser.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/editor_session.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr int kSwatchSize = 16;

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}
QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QColor RowColor(const Rgbq& color) {
  return QColor(color.red, color.green, color.blue);
}

QIcon Swatch(const Rgbq& color, int width = kSwatchSize) {
  QPixmap pixmap(width, kSwatchSize);
  pixmap.fill(RowColor(color));
  return QIcon(pixmap);
}

QLineEdit* ReadOnlyEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(true);
  edit->setAlignment(Qt::AlignRight);
  edit->setMaximumWidth(88);
  return edit;
}

}  // namespace

PaletteDialog::PaletteDialog(DocumentState& doc, const std::array<uint32_t, 16>& customColors,
                             Question question, StoreColors storeColors, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      customColors_(customColors),
      question_(std::move(question)),
      storeColors_(std::move(storeColors)) {
  setWindowTitle(Tr("パレット操作"));
  setWindowIcon(CommandIcon(kCmdPaletteOperation));

  list_ = new QTreeWidget(this);
  list_->setColumnCount(1);
  list_->setHeaderHidden(true);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setIconSize(QSize(kSwatchSize, kSwatchSize));
  list_->setMinimumWidth(160);

  auto* sortGroup = new QGroupBox(Tr("並び替え"), this);
  auto* sortLayout = new QVBoxLayout(sortGroup);
  const char* sortTexts[] = {"ｵﾘｼﾞﾅﾙ", "色合い", "明るさ", "ﾄﾞｯﾄ数"};
  const PaletteSort orders[] = {PaletteSort::kOriginal, PaletteSort::kHue, PaletteSort::kBrightness,
                                PaletteSort::kDotCount};
  for (size_t i = 0; i < sortButtons_.size(); ++i) {
    sortButtons_[i] = new QRadioButton(Tr(sortTexts[i]), sortGroup);
    sortLayout->addWidget(sortButtons_[i]);
    sortButtons_[i]->setChecked(i == 0);  // the table opens in its own order
    const PaletteSort order = orders[i];
    connect(sortButtons_[i], &QRadioButton::toggled, this, [this, order](bool on) {
      if (!on) return;
      table_.Sort(order);
      FillList();
      UpdateControls();
    });
  }

  countEdit_ = ReadOnlyEdit(this);
  transparentEdit_ = ReadOnlyEdit(this);
  auto* summary = new QGridLayout;
  summary->addWidget(new QLabel(Tr("色数"), this), 0, 0);
  summary->addWidget(countEdit_, 0, 1);
  summary->addWidget(new QLabel(Tr("透明色"), this), 1, 0);
  summary->addWidget(transparentEdit_, 1, 1);

  entryGroup_ = new QGroupBox(Tr("パレット"), this);
  auto* entry = new QGridLayout(entryGroup_);
  indexEdit_ = ReadOnlyEdit(entryGroup_);
  dotsEdit_ = ReadOnlyEdit(entryGroup_);
  redEdit_ = ReadOnlyEdit(entryGroup_);
  greenEdit_ = ReadOnlyEdit(entryGroup_);
  blueEdit_ = ReadOnlyEdit(entryGroup_);
  const std::pair<const char*, QLineEdit*> fields[] = {{"インディックス", indexEdit_},
                                                       {"ドット数", dotsEdit_},
                                                       {"赤", redEdit_},
                                                       {"緑", greenEdit_},
                                                       {"青", blueEdit_}};
  int row = 0;
  for (const auto& [label, edit] : fields) {
    entry->addWidget(new QLabel(Tr(label), entryGroup_), row, 0);
    entry->addWidget(edit, row++, 1);
  }
  colorButton_ = new QPushButton(entryGroup_);
  colorButton_->setAutoDefault(false);
  colorButton_->setIconSize(QSize(48, kSwatchSize));
  transparentCheck_ = new QCheckBox(Tr("透明色"), entryGroup_);
  entry->addWidget(colorButton_, row, 0);
  entry->addWidget(transparentCheck_, row, 1);

  mergeButton_ = new QPushButton(Tr("パレットの合体"), this);
  dropCommonButton_ = new QPushButton(Tr("共通パレットを使わない"), this);
  const DialogButtons buttons = MakeOkCancelButtons(this);
  okButton_ = buttons.act;
  cancelButton_ = buttons.close;
  for (QPushButton* b : {mergeButton_, dropCommonButton_}) b->setAutoDefault(false);

  auto* side = new QVBoxLayout;
  side->addWidget(sortGroup);
  side->addLayout(summary);
  side->addWidget(entryGroup_);
  side->addWidget(mergeButton_);
  side->addWidget(dropCommonButton_);
  side->addStretch();
  side->addLayout(buttons.row);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(side);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, &PaletteDialog::UpdateControls);
  connect(mergeButton_, &QPushButton::clicked, this, &PaletteDialog::MergeClicked);
  connect(colorButton_, &QPushButton::clicked, this, &PaletteDialog::ColorClicked);
  connect(transparentCheck_, &QCheckBox::clicked, this, &PaletteDialog::TransparentClicked);
  connect(dropCommonButton_, &QPushButton::clicked, this, &PaletteDialog::DropCommonClicked);
  connect(okButton_, &QPushButton::clicked, this, &PaletteDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &PaletteDialog::reject);

  opened_ = table_.Open(doc_);
  if (!opened_) return;
  for (const PaletteRow& r : table_.Rows()) swatches_[r.index] = Swatch(r.color);
  FillList();
  UpdateControls();
}

QTreeWidgetItem* PaletteDialog::Item(int32_t openingIndex) const {
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (item->data(0, Qt::UserRole).toInt() == openingIndex) return item;
  }
  return nullptr;
}

QRadioButton* PaletteDialog::SortButton(PaletteSort order) const {
  return sortButtons_[static_cast<size_t>(order)];
}

void PaletteDialog::FillList() {
  const QSignalBlocker blocker(list_);
  list_->clear();
  for (int32_t index : table_.Listed()) {
    auto* item = new QTreeWidgetItem(list_);
    item->setIcon(0, swatches_[index]);
    item->setText(0, Utf8(table_.RowText(index)));
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, Qt::UserRole, index);
  }
  transparentEdit_->setText(Utf8(table_.TransparentText()));
  countEdit_->setText(Utf8(table_.ListedCountText()));
}

std::vector<int32_t> PaletteDialog::SelectedRows() const {
  std::vector<int32_t> rows;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (item->isSelected()) rows.push_back(item->data(0, Qt::UserRole).toInt());
  }
  return rows;
}

void PaletteDialog::UpdateControls() {
  const std::vector<int32_t> selected = SelectedRows();
  const PaletteRow* row = selected.size() == 1 ? table_.Find(selected[0]) : nullptr;
  entryGroup_->setEnabled(row != nullptr);
  mergeButton_->setEnabled(selected.size() >= 2);
  const QSignalBlocker blocker(transparentCheck_);
  if (!row) {
    for (QLineEdit* edit : {indexEdit_, dotsEdit_, redEdit_, greenEdit_, blueEdit_}) edit->clear();
    colorButton_->setIcon(QIcon());
    transparentCheck_->setChecked(false);
    return;
  }
  indexEdit_->setText(QString::number(row->index));
  dotsEdit_->setText(QString::number(row->dotCount));
  redEdit_->setText(QString::number(row->color.red));
  greenEdit_->setText(QString::number(row->color.green));
  blueEdit_->setText(QString::number(row->color.blue));
  colorButton_->setIcon(Swatch(row->color, 48));
  transparentCheck_->setChecked(row->transparent != 0);
}

void PaletteDialog::SetSwatch(int32_t openingIndex) {
  const PaletteRow* row = table_.Find(openingIndex);
  if (!row) return;
  swatches_[openingIndex] = Swatch(row->color);
  if (QTreeWidgetItem* item = Item(openingIndex)) item->setIcon(0, swatches_[openingIndex]);
}

void PaletteDialog::BringIntoView(int32_t openingIndex) {
  if (QTreeWidgetItem* item = Item(openingIndex)) list_->scrollToItem(item);
}

bool PaletteDialog::Ask(const char* text) {
  return question_ ? question_(Utf8(text)) : AskYesNo(this, Utf8(text));
}

void PaletteDialog::MergeClicked() {
  const int32_t keeper = table_.Merge(SelectedRows());
  if (keeper < 0) return;
  FillList();
  BringIntoView(keeper);
  UpdateControls();
}

void PaletteDialog::ColorClicked() {
  const std::vector<int32_t> selected = SelectedRows();
  if (selected.size() != 1) return;
  const PaletteRow* row = table_.Find(selected[0]);
  if (!row) return;
  uint32_t colorref = static_cast<uint32_t>(row->color.red) |
                      (static_cast<uint32_t>(row->color.green) << 8) |
                      (static_cast<uint32_t>(row->color.blue) << 16);
  std::array<uint32_t, 16> custom = customColors_;
  if (!ChooseBackgroundColor(this, colorref, custom)) return;
  customColors_ = custom;
  if (storeColors_) storeColors_(custom);
  table_.SetColor(selected[0],
                  Rgbq{static_cast<uint8_t>(colorref >> 16), static_cast<uint8_t>(colorref >> 8),
                       static_cast<uint8_t>(colorref), 0});
  SetSwatch(selected[0]);
  UpdateControls();
}

void PaletteDialog::TransparentClicked(bool checked) {
  const std::vector<int32_t> selected = SelectedRows();
  if (selected.size() != 1) return;
  const int32_t index = selected[0];
  const TransparentChoice choice = table_.ChooseTransparent(index, checked);
  bool go = choice == TransparentChoice::kSet;
  if (choice == TransparentChoice::kMergeIntoExisting) {
    go = Ask(Say(kPaletteMergeIntoTransparentQuestion));
  } else if (choice == TransparentChoice::kClear) {
    go = Ask(Say(kPaletteClearTransparentQuestion));
  }
  if (!go) {
    UpdateControls();  // the check shows the row as it still is
    return;
  }
  const int32_t shown = table_.ApplyTransparent(index, choice);
  if (choice == TransparentChoice::kMergeIntoExisting) {
    FillList();
    BringIntoView(shown);
  } else if (QTreeWidgetItem* item = Item(index)) {
    item->setText(0, Utf8(table_.RowText(index)));
    transparentEdit_->setText(Utf8(table_.TransparentText()));
  }
  UpdateControls();
}

void PaletteDialog::DropCommonClicked() {
  if (!Ask(Say(kPaletteDropCommonQuestion))) return;
  DropCommonPalette(doc_);
  reject();
}

void PaletteDialog::accept() {
  // Nothing to apply leaves the document as it was; there is nothing to say about it.
  static_cast<void>(table_.Apply(doc_));
  QDialog::accept();
}

bool RunPaletteDialog(EditorSession& session, QWidget* parent, PaletteDialog::Question question) {
  PaletteDialog dialog(
      session.doc, session.settings.customColors, std::move(question),
      [&session](const std::array<uint32_t, 16>& colors) {
        session.settings.customColors = colors;
        session.StoreSettings();
      },
      parent);
  if (!dialog.Opened()) return false;
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace zel
