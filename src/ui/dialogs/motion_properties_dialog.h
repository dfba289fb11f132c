// Dialog 143 "移動プロパティ": the motion definitions to choose from with a preview of the
// highlighted one's drawing, the movement range, "末端で折り返す" and "逆順", and the way to
// add, redraw and delete definitions. Whether it closes with OK or Cancel, the highlighted
// definition, the range and the two flags become the stored motion state.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPushButton>

#include "generators/motion_definitions.h"
#include "ui/dialogs/motion_dialogs.h"

class QCheckBox;
class QListWidget;
class QSpinBox;

namespace zel {

inline constexpr char kMotionPropertiesCaption[] = "移動プロパティ";
inline constexpr char kDeleteMotionQuestion[] = "選択した移動定義を削除します。\nよろしいですか?";

// The preview: light gray, and the drawing stretched from the top-left corner with its
// longer side filling the button.
class MotionPreviewButton : public QPushButton {
  Q_OBJECT

 public:
  explicit MotionPreviewButton(QWidget* parent);
  // Null for no preview.
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }
  // Where the drawing goes inside a button of `size`.
  static QRect DrawnRect(const QSize& picture, const QSize& size);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// A one-bit definition bitmap, read with the BMP reader (never through the document
// loader), as black ink on white; null when it cannot be read or is not one bit.
QImage LoadMotionPreview(const std::string& bitmapPath);

class MotionPropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  MotionPropertiesDialog(MotionDefinitions& defs, const MotionDialogServices& services,
                         QWidget* parent);

  QListWidget* List() const { return list_; }
  MotionPreviewButton* Preview() const { return preview_; }
  QSpinBox* RangeSpin() const { return rangeSpin_; }
  QCheckBox* WrapCheck() const { return wrapCheck_; }
  QCheckBox* ReverseCheck() const { return reverseCheck_; }
  QPushButton* AddButton() const { return addButton_; }
  QPushButton* EditButton() const { return editButton_; }
  QPushButton* DeleteButton() const { return deleteButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }

  void done(int result) override;

 private:
  void Refill(int highlight);
  void HighlightChanged();
  void DrawHighlighted();
  void Add();
  void EditHighlighted();
  void DeleteHighlighted();
  int Highlighted() const;

  MotionDefinitions& defs_;
  const MotionDialogServices& services_;
  QListWidget* list_ = nullptr;
  MotionPreviewButton* preview_ = nullptr;
  QSpinBox* rangeSpin_ = nullptr;
  QCheckBox* wrapCheck_ = nullptr;
  QCheckBox* reverseCheck_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* editButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// Opens dialog 143 over `parent`; true when it was closed with OK (the caller then moves).
bool RunMotionProperties(QWidget* parent, MotionDefinitions& defs,
                         const MotionDialogServices& services = {});

}  // namespace zel
