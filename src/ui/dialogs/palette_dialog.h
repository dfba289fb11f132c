// The palette operation dialog "パレット操作": the entries of the picture's colour table with
// their dot counts, four sorts, a colour change, the transparent entry, merging and dropping
// the common palette. Every rule is PaletteTable's; the dialog shows it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>

#include "color/palette_operation.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zel {

class EditorSession;
struct DocumentState;

class PaletteDialog : public QDialog {
  Q_OBJECT

 public:
  using Question = std::function<bool(const QString&)>;
  using StoreColors = std::function<void(const std::array<uint32_t, 16>&)>;

  // `question` asks yes/no questions (true is Yes); `storeColors` keeps the colour
  // chooser's custom colours when the user confirms a colour.
  PaletteDialog(DocumentState& doc, const std::array<uint32_t, 16>& customColors, Question question,
                StoreColors storeColors, QWidget* parent);

  // False when the picture could not be opened: the dialog must not be shown.
  bool Opened() const { return opened_; }
  const PaletteTable& Table() const { return table_; }

  QTreeWidget* List() const { return list_; }
  // The list item of an opening index; null when it is not listed.
  QTreeWidgetItem* Item(int32_t openingIndex) const;
  QRadioButton* SortButton(PaletteSort order) const;
  QLineEdit* CountEdit() const { return countEdit_; }
  QLineEdit* TransparentEdit() const { return transparentEdit_; }
  QLineEdit* IndexEdit() const { return indexEdit_; }
  QLineEdit* DotsEdit() const { return dotsEdit_; }
  QLineEdit* RedEdit() const { return redEdit_; }
  QLineEdit* GreenEdit() const { return greenEdit_; }
  QLineEdit* BlueEdit() const { return blueEdit_; }
  QPushButton* ColorButton() const { return colorButton_; }
  QCheckBox* TransparentCheck() const { return transparentCheck_; }
  QPushButton* MergeButton() const { return mergeButton_; }
  QPushButton* DropCommonButton() const { return dropCommonButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 public slots:
  void accept() override;

 private:
  void FillList();
  void UpdateControls();
  // Opening indexes of the selected rows, in list order.
  std::vector<int32_t> SelectedRows() const;
  void SetSwatch(int32_t openingIndex);
  void BringIntoView(int32_t openingIndex);
  bool Ask(const char* text);

  void MergeClicked();
  void ColorClicked();
  void TransparentClicked(bool checked);
  void DropCommonClicked();

  DocumentState& doc_;
  PaletteTable table_;
  bool opened_ = false;
  std::array<uint32_t, 16> customColors_;
  Question question_;
  StoreColors storeColors_;
  std::map<int32_t, QIcon> swatches_;

  QTreeWidget* list_ = nullptr;
  std::array<QRadioButton*, 4> sortButtons_{};
  QLineEdit* countEdit_ = nullptr;
  QLineEdit* transparentEdit_ = nullptr;
  QGroupBox* entryGroup_ = nullptr;
  QLineEdit* indexEdit_ = nullptr;
  QLineEdit* dotsEdit_ = nullptr;
  QLineEdit* redEdit_ = nullptr;
  QLineEdit* greenEdit_ = nullptr;
  QLineEdit* blueEdit_ = nullptr;
  QPushButton* colorButton_ = nullptr;
  QCheckBox* transparentCheck_ = nullptr;
  QPushButton* mergeButton_ = nullptr;
  QPushButton* dropCommonButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// The palette operation command: opens the dialog on the session's document; the custom
// colours go to the settings file when a colour is chosen. True when OK applied it.
bool RunPaletteDialog(EditorSession& session, QWidget* parent, PaletteDialog::Question question);

}  // namespace zel
