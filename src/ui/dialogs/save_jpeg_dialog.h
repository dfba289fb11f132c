// "JPEGﾌｧｲﾙ作成": the file name and quality of the save-as-JPEG command. "作成" stores both
// and accepts only a name the picture can be written under.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zel {

// What "作成" does with the result of CheckOutputFileName.
enum class JpegNameDecision {
  kInvalid,       // show "ファイル名が無効です." and stay open
  kAskOverwrite,  // the file exists: ask, stay open unless Yes
  kWrite,         // accept
};
JpegNameDecision DecideJpegOutputName(int outputNameCheck);

// The quality "作成" stores: the number in the field (clamped to 30..100), or the spin
// box's value when the field holds no number.
int JpegQualityFromField(const QString& fieldText, int spinValue);

class SaveJpegDialog : public QDialog {
  Q_OBJECT

 public:
  SaveJpegDialog(std::string& lastImagePath, int& jpegQuality, QWidget* parent);

  QLineEdit* NameEdit() const { return nameEdit_; }
  QSpinBox* QualitySpin() const { return qualitySpin_; }
  QPushButton* CreateButton() const { return createButton_; }
  QPushButton* CloseButton() const { return closeButton_; }
  QPushButton* BrowseButton() const { return browseButton_; }

 private:
  void Browse();
  void Create();

  std::string& lastImagePath_;
  int& jpegQuality_;
  QLineEdit* nameEdit_ = nullptr;
  QSpinBox* qualitySpin_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* createButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace zel
