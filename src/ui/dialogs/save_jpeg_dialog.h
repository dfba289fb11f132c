// "JPEGﾌｧｲﾙ作成": the file name and quality of the save-as-JPEG command. "作成" stores both
// and accepts only a name the picture can be written under.
#pragma once

#include <QDialog>
#include <QSpinBox>
#include <QValidator>
#include <string>

class QLineEdit;

namespace zel {
class CutFrameFiles;
}
class QPushButton;

namespace zel {

// What "作成" does with the result of CheckOutputFileName.
enum class JpegNameDecision {
  kInvalid,       // show "ファイル名が無効です." and stay open
  kAskOverwrite,  // the file exists: ask, stay open unless Yes
  kWrite,         // accept
};
JpegNameDecision DecideJpegOutputName(int outputNameCheck);

// The quality field: a spin box (30..100) that takes any whole number typed into it and
// brings it into range (10 becomes 30, 150 becomes 100) instead of refusing it or falling
// back to the previous value.
class JpegQualitySpinBox : public QSpinBox {
  Q_OBJECT

 public:
  explicit JpegQualitySpinBox(QWidget* parent);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  int valueFromText(const QString& text) const override;
};

class SaveJpegDialog : public QDialog {
  Q_OBJECT

 public:
  // `cutFrameFiles`, when given, names the files whose frames were cut at load: replacing
  // one asks with the question that says so.
  SaveJpegDialog(std::string& lastImagePath, int& jpegQuality, QWidget* parent,
                 const CutFrameFiles* cutFrameFiles = nullptr);

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
  const CutFrameFiles* cutFrameFiles_ = nullptr;
  QLineEdit* nameEdit_ = nullptr;
  QSpinBox* qualitySpin_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* createButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace zel
