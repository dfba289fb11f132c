// "WebPﾌｧｲﾙ作成": lossless, or lossy at a quality, for the save-as-WebP command.
#pragma once

#include <QDialog>

#include "imagefiles/webp_writer.h"

class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zel {

class SaveWebpDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts from `options`; "作成" stores the choice back into it.
  SaveWebpDialog(WebpOptions& options, QWidget* parent);

  QRadioButton* LosslessButton() const { return lossless_; }
  QRadioButton* LossyButton() const { return lossy_; }
  QSpinBox* QualitySpin() const { return quality_; }
  QPushButton* CreateButton() const { return createButton_; }

 private:
  WebpOptions& options_;
  QRadioButton* lossless_ = nullptr;
  QRadioButton* lossy_ = nullptr;
  QSpinBox* quality_ = nullptr;
  QPushButton* createButton_ = nullptr;
};

}  // namespace zel
