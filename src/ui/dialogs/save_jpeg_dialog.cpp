#include "ui/dialogs/save_jpeg_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/save_document.h"
#include "app/save_rules.h"
#include "imagefiles/file_names.h"
#include "resources/string_table.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/message_box.h"
#include "ui/translate.h"

namespace zel {
namespace {

constexpr int kMaxPathBytes = 256;
constexpr const char* kJpegExtension = "jpg";

}  // namespace

JpegNameDecision DecideJpegOutputName(int outputNameCheck) {
  switch (outputNameCheck) {
    case kOutputNameInvalid:
      return JpegNameDecision::kInvalid;
    case kOutputNameExists:
      return JpegNameDecision::kAskOverwrite;
    default:
      // A name that cannot be created is left to the writer, which reports the failure.
      return JpegNameDecision::kWrite;
  }
}

JpegQualitySpinBox::JpegQualitySpinBox(QWidget* parent) : QSpinBox(parent) {
  setRange(30, 100);
}

QValidator::State JpegQualitySpinBox::validate(QString& input, int&) const {
  const QString text = input.trimmed();
  if (text.isEmpty() || text == QStringLiteral("-") || text == QStringLiteral("+")) {
    return QValidator::Intermediate;
  }
  int digits = text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+') ? 1 : 0;
  for (int i = digits; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

int JpegQualitySpinBox::valueFromText(const QString& text) const {
  return JpegQualityFromText(text.toStdString(), value());
}

SaveJpegDialog::SaveJpegDialog(std::string& lastImagePath, int& jpegQuality, QWidget* parent,
                               const CutFrameFiles* cutFrameFiles)
    : QDialog(parent),
      lastImagePath_(lastImagePath),
      jpegQuality_(jpegQuality),
      cutFrameFiles_(cutFrameFiles) {
  setWindowTitle(Tr("JPEGﾌｧｲﾙ作成"));

  nameEdit_ =
      new QLineEdit(QString::fromStdString(ReplaceExtension(lastImagePath_, kJpegExtension)), this);
  nameEdit_->setMaxLength(kMaxPathBytes);
  nameEdit_->setMinimumWidth(320);
  browseButton_ = new QPushButton(QStringLiteral("..."), this);
  browseButton_->setAutoDefault(false);
  qualitySpin_ = new JpegQualitySpinBox(this);
  qualitySpin_->setValue(ClampJpegQuality(jpegQuality_));
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  createButton_ = buttons.act;
  closeButton_ = buttons.close;

  auto* grid = new QGridLayout(this);
  AddLabeledRow(grid, 0, Tr("JPEGﾌｧｲﾙ名"), nameEdit_);
  grid->addWidget(browseButton_, 0, 2);
  grid->addWidget(new QLabel(Tr("品質"), this), 1, 0);
  grid->addWidget(qualitySpin_, 1, 1, Qt::AlignLeft);
  grid->addLayout(buttons.row, 2, 0, 1, 3);

  connect(browseButton_, &QPushButton::clicked, this, &SaveJpegDialog::Browse);
  connect(createButton_, &QPushButton::clicked, this, &SaveJpegDialog::Create);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void SaveJpegDialog::Browse() {
  std::string path = ReplaceExtension(nameEdit_->text().toStdString(), kJpegExtension);
  if (!ShowOpenImageDialog(this, Tr("保存するJPEGファイルを選択します"), Tr("JPEGファイル"),
                           QStringLiteral("*.jpg"), path))
    return;
  nameEdit_->setText(QString::fromStdString(ReplaceExtension(path, kJpegExtension)));
}

void SaveJpegDialog::Create() {
  const std::string previousPath = lastImagePath_;
  lastImagePath_ = nameEdit_->text().toStdString();
  // The text as typed, whether or not the spin box has taken it in yet.
  jpegQuality_ = JpegQualityFromText(qualitySpin_->text().toStdString(), qualitySpin_->value());
  qualitySpin_->setValue(jpegQuality_);
  switch (DecideJpegOutputName(CheckOutputFileName(lastImagePath_))) {
    case JpegNameDecision::kInvalid:
      ShowMessageId(this, kMsgBadFileName);
      return;
    case JpegNameDecision::kAskOverwrite: {
      const bool cut = cutFrameFiles_ != nullptr && cutFrameFiles_->Holds(lastImagePath_);
      const OverwriteQuestion question = OverwriteQuestionFor(true, cut);
      if (!AskYesNo(this, QString::fromUtf8(OverwriteQuestionText(question)))) {
        // No: the dialog stays open and the choice is undone.
        lastImagePath_ = previousPath;
        return;
      }
      break;
    }
    case JpegNameDecision::kWrite:
      break;
  }
  accept();
}

}  // namespace zel
