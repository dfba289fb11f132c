// The dialog "インディックスカラーに変更": a full-colour picture becomes an index-colour one
// by a computed palette, by keeping every colour, or by the palette of another image file.
// The rules of its controls and the conversions are the core's; the dialog shows them.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "app/change_color.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zel {

struct DocumentState;
struct Settings;

class ChangeColorDialog : public QDialog {
  Q_OBJECT

 public:
  // `highQuality` is the kept "高画質" choice; "作成" stores the box into it.
  ChangeColorDialog(DocumentState& doc, Settings& settings, bool& highQuality, QWidget* parent);

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;

  QComboBox* ColorCountBox() const { return colorCount_; }
  QComboBox* TransparencyBox() const { return transparency_; }
  QCheckBox* NoDiffusionBox() const { return noDiffusion_; }
  QCheckBox* PureIndexBox() const { return pureIndex_; }
  QCheckBox* PaletteReferenceBox() const { return reference_; }
  QCheckBox* HighQualityBox() const { return highQuality_; }
  QLabel* ReferenceLabel() const { return referenceLabel_; }
  QLineEdit* ReferencePathEdit() const { return referencePath_; }
  QPushButton* BrowseButton() const { return browse_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* CloseButton() const { return close_; }

  // "作成": stores the choices and converts; true when the result was installed (the
  // dialog then closes), false when a message was shown and the dialog stays open.
  bool Create();

 private:
  // Shows the state: ticks and enabled controls.
  void ShowState();
  void ReadSelections();
  void ChooseReferenceImage();
  void Show(const QString& text);

  DocumentState& doc_;
  Settings& settings_;
  bool& keptHighQuality_;
  ChangeColorDialogState state_;
  QComboBox* colorCount_ = nullptr;
  QComboBox* transparency_ = nullptr;
  QCheckBox* noDiffusion_ = nullptr;
  QCheckBox* pureIndex_ = nullptr;
  QCheckBox* reference_ = nullptr;
  QCheckBox* highQuality_ = nullptr;
  QLabel* referenceLabel_ = nullptr;
  QLineEdit* referencePath_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zel
