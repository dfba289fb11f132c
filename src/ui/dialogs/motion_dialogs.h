// The motion definitions' small dialogs: 145 "移動定義の新規作成" (a new definition drawn in
// the paint program) and 154 "移動定義の編集" (the selected definition's title and
// drawing), and the wait for the paint program they share. The rules are the core's
// (MotionEdit, MotionDefinitions); these windows show and forward.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "document/outcome.h"
#include "generators/motion_definitions.h"
#include "integration/paint_program.h"

class QLineEdit;
class QPushButton;

namespace zel {

class MotionEdit;

// What the motion dialogs need from the editor.
struct MotionDialogServices {
  std::string editorPath;  // the settings' external editor
  // Message boxes and yes/no questions; ShowMessage and AskYesNo when not set.
  std::function<void(const QString&)> message;
  std::function<bool(const QString&)> question;
  // Where the default paint program is looked up; the system's when not set.
  std::optional<DesktopEnvironment> desktop;
  int tickMs = 1000;  // the wait's tick

  void Show(QWidget* parent, const QString& text) const;
  // Shows the message of a failure.
  void ShowOutcome(QWidget* parent, const Outcome& outcome) const;
  bool Ask(QWidget* parent, const QString& text) const;
  DesktopEnvironment Desktop() const;
};

// Starts the prepared edit and waits for it as the external edit does: the main window
// (the top window of `from`) minimised, the waiting window "編集を待たない" shown, a tick
// every `services.tickMs` while events keep being served; then the window comes back and
// the drawing is read and traced. Done, or the failure to show.
Outcome RunMotionEditWait(QWidget* from, MotionEdit& edit, MotionDefinitions& defs,
                          const MotionDialogServices& services);

// Dialog 145: OK edits a new definition with the title and closes when it was added.
class MotionNewDialog : public QDialog {
  Q_OBJECT

 public:
  MotionNewDialog(MotionDefinitions& defs, const MotionDialogServices& services, QWidget* parent);
  QLineEdit* TitleEdit() const { return titleEdit_; }
  QPushButton* OkButton() const { return okButton_; }

 private:
  void Ok();

  MotionDefinitions& defs_;
  const MotionDialogServices& services_;
  QLineEdit* titleEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

// Dialog 154: "編集" draws the selected definition again; OK stores the title.
class MotionEditDialog : public QDialog {
  Q_OBJECT

 public:
  MotionEditDialog(MotionDefinitions& defs, const MotionDialogServices& services, QWidget* parent);
  QLineEdit* TitleEdit() const { return titleEdit_; }
  QPushButton* DrawButton() const { return drawButton_; }
  QPushButton* OkButton() const { return okButton_; }

 private:
  void Draw();
  void Ok();

  MotionDefinitions& defs_;
  const MotionDialogServices& services_;
  QLineEdit* titleEdit_ = nullptr;
  QPushButton* drawButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

// Edits definition `index` in the paint program (the preview button of dialog 143).
Outcome EditMotionDefinition(QWidget* from, MotionDefinitions& defs, int index,
                             const MotionDialogServices& services);

}  // namespace zel
