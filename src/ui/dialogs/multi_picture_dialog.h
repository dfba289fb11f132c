// The dialog "複数画像をｱﾆﾒとして開く": a list of picture files (added one by one, dropped from a
// file manager, removed, moved up and down) that "作成" turns into one animation. The rules
// of the list and the options are the core's; the dialog shows them and runs the generator
// with the progress window.
#pragma once

#include "ui/dialogs/time_choice.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/multi_picture_rules.h"

class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zel {

struct DocumentState;
struct Settings;

class MultiPictureDialog : public QDialog {
  Q_OBJECT

 public:
  MultiPictureDialog(DocumentState& doc, Settings& settings, QWidget* parent);

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;
  // Asks for the files "追加" adds: `start` is where the dialog opens, `paths` receives the
  // choice (several files may be chosen at once). The default is the open dialog
  // "追加する画像ファイルを選択します"; tests put their files here.
  std::function<bool(const std::string& start, std::vector<std::string>& paths)> chooseFile;

  // "追加" with the chosen files, and files dropped onto the list: each passes the same
  // checks, in the order given.
  void AddChosenFile();
  void AddFiles(const std::vector<std::string>& paths);
  const PictureList& List() const { return list_; }

  QListWidget* ListBox() const { return listBox_; }
  QComboBox* ColorCountBox() const { return colorCount_; }
  QSpinBox* SideBox() const { return side_; }
  QSpinBox* TimeBox() const { return time_; }
  QRadioButton* PerFrameButton() const { return times_.perFrame; }
  QRadioButton* PerCycleButton() const { return times_.perCycle; }
  QRadioButton* HundredthsButton() const { return times_.hundredths; }
  QRadioButton* TempoButton() const { return times_.tempo; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* UpButton() const { return up_; }
  QPushButton* DownButton() const { return down_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* CloseButton() const { return close_; }

  // "作成": stores the options and runs the generator; the dialog takes no input meanwhile.
  // Returns the result (0, kSeveralTooFew or a failure that was shown); the dialog then
  // closes.
  int Create();
  // The result of the last "作成"; kSeveralTooFew when there was none.
  int Result() const { return result_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  MultiPictureDialogState ReadState() const;
  void ShowList(int current);
  void Show(const QString& text);

  DocumentState& doc_;
  Settings& settings_;
  PictureList list_;
  bool running_ = false;
  int result_ = kSeveralTooFew;
  QListWidget* listBox_ = nullptr;
  QComboBox* colorCount_ = nullptr;
  QSpinBox* side_ = nullptr;
  QSpinBox* time_ = nullptr;
  TimeChoice times_;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zel
