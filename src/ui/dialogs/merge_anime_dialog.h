// The dialog "ｱﾆﾒの合成": the overlay file (or the clipboard), in front or behind, and the
// position, typed or picked over the view. OK stores the entries in the MergeAnime record
// and runs the core's merge; a failure shows its message and the dialog stays open.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "generators/animation_merge.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zel {

class PictureClipboard;
class ProfileFile;
class ToolHost;

class MergeAnimeDialog : public QDialog {
  Q_OBJECT

 public:
  // `clipboard` is where the overlay comes from with the check box; `clipboardHasPicture`
  // decides whether the box can be checked. `host` runs the position pick over the view.
  MergeAnimeDialog(DocumentState& doc, ProfileFile& profile, PictureClipboard* clipboard,
                   bool clipboardHasPicture, ToolHost& host, QWidget* parent);

  // Shows the dialog application-modal and waits until it closes. Unlike exec(), hiding
  // the dialog while the position is picked does not end it.
  int Run();

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;
  // Asks for the overlay file, starting at `path` and changing it; replaced by tests.
  std::function<bool(QWidget* parent, std::string& path)> chooseFile;

  // What the last OK did (kMergeOk when it merged).
  const MergeResult& LastResult() const { return last_; }

  QLineEdit* PathEdit() const { return path_; }
  QPushButton* BrowseButton() const { return browse_; }
  QRadioButton* FrontButton() const { return front_; }
  QRadioButton* BehindButton() const { return behind_; }
  QCheckBox* ClipboardBox() const { return fromClipboard_; }
  QSpinBox* XSpin() const { return x_; }
  QSpinBox* YSpin() const { return y_; }
  QPushButton* PositionButton() const { return position_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // The position button: the dialog steps aside while the pick runs over the view; an
  // accepted point goes into the spins.
  void PickPosition();
  // The browse button.
  void Browse();
  // OK: stores the record, merges, closes on success.
  void Merge();

 private:
  void FollowClipboardBox();
  void Show(const QString& text);

  DocumentState& doc_;
  ProfileFile& profile_;
  PictureClipboard* clipboard_;
  ToolHost& host_;
  MergeResult last_;
  QLabel* pathLabel_ = nullptr;
  QLineEdit* path_ = nullptr;
  QPushButton* browse_ = nullptr;
  QRadioButton* front_ = nullptr;
  QRadioButton* behind_ = nullptr;
  QCheckBox* fromClipboard_ = nullptr;
  QSpinBox* x_ = nullptr;
  QSpinBox* y_ = nullptr;
  QPushButton* position_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace zel
