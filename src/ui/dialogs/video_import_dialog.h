// The dialog of "動画をアニメとして開く": where in the clip to start, how long, how many frames
// a second, the width (the height follows), the colours and "高画質", with the clip's first
// frame at the start, the number of frames and the memory the result needs. "作成" makes
// the animation with the progress window. The rules are the core's (video_import_rules,
// video_animation); the dialog shows them.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "app/video_import_rules.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace zel {

struct DocumentState;

class VideoImportDialog : public QDialog {
  Q_OBJECT

 public:
  VideoImportDialog(DocumentState& doc, const std::string& path, const VideoInfo& info,
                    QWidget* parent);

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;

  QDoubleSpinBox* StartBox() const { return start_; }
  QDoubleSpinBox* LengthBox() const { return length_; }
  QDoubleSpinBox* FpsBox() const { return fps_; }
  QSpinBox* WidthBox() const { return width_; }
  QSpinBox* ColorsBox() const { return colors_; }
  QCheckBox* QualityBox() const { return quality_; }
  QLabel* HeightLabel() const { return height_; }
  QLabel* PlanLabel() const { return plan_; }
  QLabel* PictureLabel() const { return picture_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* CloseButton() const { return close_; }

  // The settings as the fields show them.
  VideoImportSettings Settings() const;
  // "作成": makes the animation with the progress window; the dialog takes no input
  // meanwhile. A failure's message is shown; the dialog then closes unless the plan itself
  // is refused.
  VideoImportResult Create();
  VideoImportResult Result() const { return result_; }

 private:
  // The height, the plan line and "作成" after a change of the fields.
  void ShowPlan();
  // The clip's picture at the start, at the chosen width (at most the label's size).
  void ShowPicture();
  void Show(const QString& text);

  DocumentState& doc_;
  std::string path_;
  VideoInfo info_;
  bool running_ = false;
  VideoImportResult result_ = VideoImportResult::kCancelled;
  QDoubleSpinBox* start_ = nullptr;
  QDoubleSpinBox* length_ = nullptr;
  QDoubleSpinBox* fps_ = nullptr;
  QSpinBox* width_ = nullptr;
  QSpinBox* colors_ = nullptr;
  QCheckBox* quality_ = nullptr;
  QLabel* height_ = nullptr;
  QLabel* plan_ = nullptr;
  QLabel* picture_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zel
