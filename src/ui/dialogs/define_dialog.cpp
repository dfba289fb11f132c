#include "ui/dialogs/define_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settings.h"
#include "app/startup_rules.h"
#include "resources/string_table.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/message_box.h"
#include "ui/translate.h"

namespace zel {

namespace {

// The language choices in the order of the combo's items.
constexpr LanguageChoice kLanguageChoices[] = {LanguageChoice::kAutomatic,
                                               LanguageChoice::kJapanese, LanguageChoice::kEnglish};

}  // namespace

DefineDialog::DefineDialog(Settings& settings, QWidget* parent, bool* optimizeGif,
                           LanguageChoice* language)
    : QDialog(parent), settings_(settings), optimizeGif_(optimizeGif), language_(language) {
  setWindowTitle(Tr("設定"));

  editorEdit_ = new QLineEdit(QString::fromStdString(settings_.editorPath), this);
  editorEdit_->setMaxLength(static_cast<int>(kEditorPathMaxChars));
  editorEdit_->setMinimumWidth(300);
  browseButton_ = new QPushButton(QStringLiteral("..."), this);
  browseButton_->setAutoDefault(false);
  previewCheck_ = new QCheckBox(Tr("GIF保存時、ブラウザで確認する"), this);
  previewCheck_->setChecked(settings_.options & kOptionShowAfterGifSave);
  backgroundCheck_ = new QCheckBox(Tr("ブラウザ確認で、背景画として表示する"), this);
  backgroundCheck_->setChecked(settings_.options & kOptionBrowserBackground);
  optimizeCheck_ = new QCheckBox(Tr("GIFを最適化して保存する"), this);
  optimizeCheck_->setChecked(optimizeGif_ != nullptr && *optimizeGif_);
  optimizeCheck_->setVisible(optimizeGif_ != nullptr);
  frameMaxEdit_ = new QLineEdit(QString::number(settings_.frameMax), this);
  frameMaxEdit_->setMaximumWidth(80);
  languageCombo_ = new QComboBox(this);
  languageCombo_->addItem(Tr("自動"));
  languageCombo_->addItem(Tr("日本語"));
  languageCombo_->addItem(QStringLiteral("English"));
  for (int i = 0; i < 3; ++i) {
    if (language_ != nullptr && *language_ == kLanguageChoices[i])
      languageCombo_->setCurrentIndex(i);
  }
  languageCombo_->setVisible(language_ != nullptr);
  auto* languageLabel = new QLabel(Tr("言語"), this);
  languageLabel->setVisible(language_ != nullptr);
  const DialogButtons buttons = MakeOkCancelButtons(this);
  okButton_ = buttons.act;
  cancelButton_ = buttons.close;

  auto* grid = new QGridLayout(this);
  AddLabeledRow(grid, 0, QString::fromUtf8(Say(kEditorSettingLabel)), editorEdit_);
  grid->addWidget(browseButton_, 0, 2);
  grid->addWidget(previewCheck_, 1, 1, 1, 2);
  grid->addWidget(backgroundCheck_, 2, 1, 1, 2);
  grid->addWidget(optimizeCheck_, 3, 1, 1, 2);
  grid->addWidget(new QLabel(Tr("フレーム最大値"), this), 4, 0);
  grid->addWidget(frameMaxEdit_, 4, 1, Qt::AlignLeft);
  grid->addWidget(languageLabel, 5, 0);
  grid->addWidget(languageCombo_, 5, 1, Qt::AlignLeft);
  grid->addLayout(buttons.row, 6, 0, 1, 3);

  connect(browseButton_, &QPushButton::clicked, this, &DefineDialog::Browse);
  connect(okButton_, &QPushButton::clicked, this, &DefineDialog::Ok);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void DefineDialog::Browse() {
  std::string path = DefineBrowseInitialPath(editorEdit_->text().toStdString(),
                                             QCoreApplication::applicationDirPath().toStdString());
  // Programs on this system carry no ".exe", so every file is offered.
  if (!ShowOpenImageDialog(this, QString::fromUtf8(Say(kEditorBrowseTitle)),
                           QString::fromUtf8(Say(kEditorBrowseFilter)), QStringLiteral("*"), path))
    return;
  editorEdit_->setText(QString::fromStdString(path));
}

void DefineDialog::Ok() {
  if (optimizeGif_ != nullptr) *optimizeGif_ = optimizeCheck_->isChecked();
  bool changed = ApplyDefineDialog(settings_, editorEdit_->text().toStdString(),
                                   previewCheck_->isChecked(), backgroundCheck_->isChecked(),
                                   DialogTextToInt(frameMaxEdit_->text().toStdString()));
  if (changed) {
    restartMessageShown_ = true;
    ShowMessage(this, QString::fromUtf8(Say(kFrameMaxChangedMessage)));
  }
  const int languageIndex = languageCombo_->currentIndex();
  if (language_ != nullptr && languageIndex >= 0 && *language_ != kLanguageChoices[languageIndex]) {
    // The window and its texts were made in the language of the start; the new one shows
    // from the next.
    *language_ = kLanguageChoices[languageIndex];
    languageMessageShown_ = true;
    ShowMessage(this, Tr("言語の変更は、次回の起動から有効になります."));
  }
  accept();
}

}  // namespace zel
