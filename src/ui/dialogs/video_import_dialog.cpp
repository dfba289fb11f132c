#include "ui/dialogs/video_import_dialog.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "document/document_state.h"
#include "platform/clock.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/progress_window.h"
#include "ui/picture_view.h"

namespace zel {
namespace {

// The preview's largest size on screen.
constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;

QString Text(const Words& words) {
  return QString::fromUtf8(Say(words));
}

QDoubleSpinBox* SecondsBox(QWidget* parent, double low, double high, double value) {
  auto* box = new QDoubleSpinBox(parent);
  box->setDecimals(2);
  box->setSingleStep(0.5);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

}  // namespace

VideoImportDialog::VideoImportDialog(DocumentState& doc, const std::string& path,
                                     const VideoInfo& info, QWidget* parent)
    : QDialog(parent), doc_(doc), path_(path), info_(info) {
  setWindowTitle(Text(kOpenVideoTitle));
  const VideoImportSettings defaults = DefaultVideoSettings(info_);
  // A clip whose length is not known may still be read for as long as asked.
  const double duration = info_.durationSeconds > 0 ? info_.durationSeconds : 3600.0;
  start_ = SecondsBox(this, 0, std::max(0.0, duration - 0.01), 0);
  length_ = SecondsBox(this, 0.01, duration, info_.durationSeconds > 0 ? duration : 10.0);
  fps_ = new QDoubleSpinBox(this);
  fps_->setDecimals(2);
  fps_->setRange(kVideoFpsMin, kVideoFpsMax);
  fps_->setValue(defaults.fps);
  width_ = new QSpinBox(this);
  width_->setRange(kVideoWidthMin, kVideoWidthMax);
  width_->setValue(defaults.width);
  height_ = new QLabel(this);
  colors_ = new QSpinBox(this);
  colors_->setRange(kVideoColorsMin, kVideoColorsMax);
  colors_->setValue(defaults.colors);
  quality_ = new QCheckBox(Text(kVideoQualityLabel), this);
  quality_->setChecked(defaults.highQuality);
  picture_ = new QLabel(this);
  picture_->setFixedSize(kPreviewWidth, kPreviewHeight);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setFrameShape(QFrame::StyledPanel);
  plan_ = new QLabel(this);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  create_ = buttons.act;
  close_ = buttons.close;

  auto* grid = new QGridLayout;
  int row = 0;
  AddLabeledRow(grid, row++, Text(kVideoStartLabel), start_);
  AddLabeledRow(grid, row++, Text(kVideoLengthLabel), length_);
  AddLabeledRow(grid, row++, Text(kVideoFpsLabel), fps_);
  AddLabeledRow(grid, row++, Text(kVideoWidthLabel), width_);
  AddLabeledRow(grid, row++, Text(kVideoHeightLabel), height_);
  AddLabeledRow(grid, row++, Text(kVideoColorsLabel), colors_);
  grid->addWidget(quality_, row++, 1);
  grid->setRowStretch(row, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(picture_);
  top->addLayout(grid);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString(path_), this));
  layout->addLayout(top);
  layout->addWidget(plan_);
  layout->addLayout(buttons.row);

  const auto changed = [this] { ShowPlan(); };
  connect(start_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(length_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(fps_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(width_, &QSpinBox::valueChanged, this, changed);
  connect(colors_, &QSpinBox::valueChanged, this, changed);
  // The picture is decoded again only once a field is left or Enter is pressed.
  connect(start_, &QDoubleSpinBox::editingFinished, this, [this] { ShowPicture(); });
  connect(width_, &QSpinBox::editingFinished, this, [this] { ShowPicture(); });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (running_) return;
    const VideoImportResult result = Create();
    if (result != VideoImportResult::kBadSettings && result != VideoImportResult::kTooManyFrames &&
        result != VideoImportResult::kTooLarge) {
      accept();
    }
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  ShowPlan();
  ShowPicture();
}

VideoImportSettings VideoImportDialog::Settings() const {
  VideoImportSettings s;
  s.start = start_->value();
  s.length = length_->value();
  s.fps = fps_->value();
  s.width = width_->value();
  s.colors = colors_->value();
  s.highQuality = quality_->isChecked();
  return s;
}

void VideoImportDialog::ShowPlan() {
  const VideoImportSettings s = Settings();
  const int frameMax = doc_.frameSet ? std::min(doc_.frameMax, doc_.frameSet->capacity()) : 0;
  const VideoImportPlan plan = PlanVideoImport(info_, s, frameMax);
  height_->setText(QString::number(VideoHeightFor(info_, s.width)));
  plan_->setText(QString::fromStdString(VideoPlanText(plan)));
  create_->setEnabled(plan.check == VideoImportResult::kDone);
}

void VideoImportDialog::ShowPicture() {
  const int width = std::min(width_->value(), kPreviewWidth);
  const int height = VideoHeightFor(info_, width);
  const int shown = height > kPreviewHeight
                        ? std::max(1, static_cast<int>(std::lround(width * double(kPreviewHeight) / height)))
                        : width;
  const PackedDib picture = VideoPictureAt(path_, start_->value(), shown);
  const QImage image = ImageFromPackedDib(picture);
  picture_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void VideoImportDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

VideoImportResult VideoImportDialog::Create() {
  if (running_) return VideoImportResult::kCancelled;
  running_ = true;
  // No input while the frames are made: the progress window keeps events flowing.
  setEnabled(false);
  {
    ProgressWindow progress(this, Text(kVideoProgressCaption));
    result_ = OpenVideoAsAnimation(doc_, path_, Settings(), &progress, TickCount());
  }
  setEnabled(true);
  if (const char* text = VideoImportMessage(result_)) Show(QString::fromUtf8(text));
  running_ = false;
  return result_;
}

}  // namespace zel
