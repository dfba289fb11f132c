// The settings dialog "設定": the external picture editor, the two browser-preview options,
// the frame maximum and the language.
#pragma once

#include <QDialog>

#include "resources/language.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zel {

struct Settings;

class DefineDialog : public QDialog {
  Q_OBJECT

 public:
  // `optimizeGif`, when given, is the option of the optimised GIF save (kept in the
  // settings file beside the block); `language`, when given, is the language setting, which
  // applies from the next start.
  DefineDialog(Settings& settings, QWidget* parent, bool* optimizeGif = nullptr,
               LanguageChoice* language = nullptr);

  // True once OK changed the frame maximum and the restart message was shown.
  bool RestartMessageShown() const { return restartMessageShown_; }
  // True once OK changed the language and said that it applies from the next start.
  bool LanguageMessageShown() const { return languageMessageShown_; }

  QLineEdit* EditorEdit() const { return editorEdit_; }
  QCheckBox* PreviewCheck() const { return previewCheck_; }
  QCheckBox* BackgroundCheck() const { return backgroundCheck_; }
  QCheckBox* OptimizeCheck() const { return optimizeCheck_; }
  QLineEdit* FrameMaxEdit() const { return frameMaxEdit_; }
  QComboBox* LanguageCombo() const { return languageCombo_; }
  QPushButton* BrowseButton() const { return browseButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 private:
  void Browse();
  void Ok();

  Settings& settings_;
  bool restartMessageShown_ = false;
  bool languageMessageShown_ = false;
  QLineEdit* editorEdit_ = nullptr;
  QCheckBox* previewCheck_ = nullptr;
  QCheckBox* backgroundCheck_ = nullptr;
  bool* optimizeGif_ = nullptr;
  LanguageChoice* language_ = nullptr;
  QComboBox* languageCombo_ = nullptr;
  QCheckBox* optimizeCheck_ = nullptr;
  QLineEdit* frameMaxEdit_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace zel
