#include "ui/dialogs/change_color_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "app/command_ids.h"
#include "app/settings.h"
#include "color/palette_reference.h"
#include "document/document_state.h"
#include "imagefiles/file_names.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr int kReferencePathMax = 256;

const char* const kColorCountTexts[] = {"2色",  "4色",  "8色",   "16色",
                                        "32色", "64色", "128色", "256色"};
const char* const kTransparencyTexts[] = {"画像内は透明にしない", "左上端から取得",
                                          "右上端から取得", "左下端から取得", "右下端から取得"};

}  // namespace

ChangeColorDialog::ChangeColorDialog(DocumentState& doc, Settings& settings, bool& highQuality,
                                     QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings), keptHighQuality_(highQuality) {
  setWindowTitle(Tr("インディックスカラーに変更"));
  setWindowIcon(CommandIcon(kCmdColorResolution));

  colorCount_ = new QComboBox(this);
  for (const char* text : kColorCountTexts) colorCount_->addItem(Tr(text));
  transparency_ = new QComboBox(this);
  for (const char* text : kTransparencyTexts) transparency_->addItem(Tr(text));
  noDiffusion_ = new QCheckBox(Tr("誤差拡散法を使わない"), this);
  highQuality_ = new QCheckBox(Tr("高画質"), this);
  pureIndex_ = new QCheckBox(Tr("ピュアインディックス"), this);
  reference_ = new QCheckBox(Tr("パレットを参照する"), this);
  referenceLabel_ = new QLabel(Tr("参照画像"), this);
  referencePath_ = new QLineEdit(this);
  referencePath_->setMaxLength(kReferencePathMax);
  browse_ = new QPushButton(QStringLiteral("..."), this);
  browse_->setAutoDefault(false);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  create_ = buttons.act;
  close_ = buttons.close;

  auto* grid = new QGridLayout;
  AddLabeledRow(grid, 0, Tr("色数"), colorCount_);
  AddLabeledRow(grid, 1, Tr("透明色"), transparency_);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(referenceLabel_);
  pathRow->addWidget(referencePath_, 1);
  pathRow->addWidget(browse_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(noDiffusion_);
  layout->addWidget(highQuality_);
  layout->addWidget(pureIndex_);
  layout->addWidget(reference_);
  layout->addLayout(pathRow);
  layout->addLayout(buttons.row);

  state_ = OpenChangeColorDialog(settings_, doc_.currentPicture, keptHighQuality_);
  ShowState();

  connect(pureIndex_, &QCheckBox::toggled, this, [this](bool ticked) {
    ReadSelections();
    SetPureIndex(state_, ticked);
    ShowState();
  });
  connect(reference_, &QCheckBox::toggled, this, [this](bool ticked) {
    ReadSelections();
    SetPaletteReference(state_, ticked);
    ShowState();
  });
  connect(browse_, &QPushButton::clicked, this, &ChangeColorDialog::ChooseReferenceImage);
  connect(create_, &QPushButton::clicked, this, [this] {
    if (Create()) accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void ChangeColorDialog::ShowState() {
  const QSignalBlocker b1(pureIndex_), b2(reference_);
  colorCount_->setCurrentIndex(state_.colorCountIndex);
  transparency_->setCurrentIndex(state_.transparentCorner);
  noDiffusion_->setChecked(state_.noDiffusion);
  highQuality_->setChecked(state_.highQuality);
  pureIndex_->setChecked(state_.pureIndex);
  reference_->setChecked(state_.paletteReference);
  colorCount_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorCount));
  noDiffusion_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorNoDiffusion));
  highQuality_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorHighQuality));
  pureIndex_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorPureIndex));
  referenceLabel_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorReferenceLabel));
  referencePath_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorReferencePath));
  browse_->setEnabled(IsChangeColorControlEnabled(state_, kChangeColorBrowse));
}

// The combo boxes and 1007 are the user's until "作成" or a tick reshows the state.
void ChangeColorDialog::ReadSelections() {
  state_.colorCountIndex = colorCount_->currentIndex();
  state_.transparentCorner = transparency_->currentIndex();
  state_.noDiffusion = noDiffusion_->isChecked();
  state_.highQuality = highQuality_->isChecked();
}

void ChangeColorDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

bool ChangeColorDialog::Create() {
  ReadSelections();
  StoreColorChoices(state_, settings_);
  keptHighQuality_ = state_.highQuality;
  std::optional<IndexConversion> result;
  switch (CreateAction(state_)) {
    case ChangeColorAction::kPaletteReference: {
      const std::string path = referencePath_->text().left(kReferencePathMax).toStdString();
      ReferenceConversion reference =
          ReferencePaletteConvert(doc_.currentPicture, path, KeptColorChoices(settings_),
                                  doc_.backgroundColor, doc_.frameMax);
      if (!reference.conversion) {
        Show(QString::fromUtf8(reference.message ? reference.message : Say(kReferenceFailedText)));
        return false;
      }
      result = std::move(reference.conversion);
      break;
    }
    case ChangeColorAction::kPureIndex:
      result = RunColorConversion(doc_, settings_, true);
      break;
    case ChangeColorAction::kIndexColor:
      result = RunColorConversion(doc_, settings_, false, state_.highQuality);
      break;
  }
  if (!result || !InstallIndexConversion(doc_, std::move(*result)).done()) {
    Show(QString::fromUtf8(Say(kIndexConversionFailedText)));
    return false;
  }
  return true;
}

void ChangeColorDialog::ChooseReferenceImage() {
  std::string path = referencePath_->text().toStdString();
  if (path.empty()) path = doc_.filePath;
  for (;;) {
    if (!ShowOpenImageDialog(
            this, Tr("パレットを参照する画像ファイルを選択します"), Tr("画像ファイル"),
            QString::fromStdString(OpenDialogPatterns(kPaletteReferenceExtensions)), path)) {
      return;
    }
    if (!IsReferenceTooDeep(path)) break;
    Show(QString::fromUtf8(Say(kReferenceTooManyColorsText)));
  }
  referencePath_->setText(QString::fromStdString(path));
}

}  // namespace zel
