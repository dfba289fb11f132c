#include "ui/dialogs/make_anime_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "app/command_ids.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "platform/clock.h"
#include "resources/string_table.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/time_choice.h"
#include "ui/translate.h"

namespace zel {
namespace {

const char* const kColorCountTexts[] = {"2色",  "4色",  "8色",   "16色",
                                        "32色", "64色", "128色", "256色"};
const char* const kTransparencyTexts[] = {"画像内は透明にしない", "左上端から取得",
                                          "右上端から取得", "左下端から取得", "右下端から取得"};

QSpinBox* SpinBox(QWidget* parent, int low, int high, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

}  // namespace

MakeAnimeDialog::MakeAnimeDialog(DocumentState& doc, Settings& settings, bool& highQuality,
                                 MotionHooks motion, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      settings_(settings),
      keptHighQuality_(highQuality),
      motionHooks_(std::move(motion)) {
  setWindowTitle(Tr("アニメ作成"));
  setWindowIcon(CommandIcon(kCmdMakeAnimation));
  const MakeAnimeDialogState state = OpenMakeAnimeDialog(settings_, keptHighQuality_);

  effect_ = new QComboBox(this);
  for (int i = 0; i < kEffectCount; ++i) {
    effect_->addItem(QString::fromUtf8(EffectText(static_cast<Effect>(i))));
  }
  effect_->setCurrentIndex(state.effect);
  colorCount_ = new QComboBox(this);
  for (const char* text : kColorCountTexts) colorCount_->addItem(Tr(text));
  colorCount_->setCurrentIndex(state.colorCountIndex);
  transparency_ = new QComboBox(this);
  for (const char* text : kTransparencyTexts) transparency_->addItem(Tr(text));
  transparency_->setCurrentIndex(state.transparentSource);
  frames_ = SpinBox(this, kMakeAnimeFramesMin, kMakeAnimeFramesMax, state.frames);
  time_ = SpinBox(this, kMakeAnimeTimeMin, kMakeAnimeTimeMax, state.timeValue);
  amplitude_ = SpinBox(this, kAmplitudeMin, kAmplitudeMax, state.amplitude);
  noDiffusion_ = new QCheckBox(Tr("誤差拡散法を使わない"), this);
  noDiffusion_->setChecked(state.noDiffusion);
  highQuality_ = new QCheckBox(Tr("高画質"), this);
  highQuality_->setChecked(state.highQuality);
  margin_ = new QCheckBox(Tr("ﾏｰｼﾞﾝを挿入する"), this);
  margin_->setChecked(state.margin);
  motion_ = new QCheckBox(Tr("移動"), this);
  motion_->setChecked(state.motion);
  motionTitle_ = new QLabel(this);
  motionButton_ = new QPushButton(Tr("移動の設定..."), this);
  motionButton_->setIcon(CommandIcon(kCmdMotion));
  motionButton_->setAutoDefault(false);
  times_ = MakeTimeChoice(this, state.perCycle, state.tempo);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  create_ = buttons.act;
  close_ = buttons.close;

  auto* grid = new QGridLayout;
  int row = 0;
  AddLabeledRow(grid, row++, Tr("演出効果"), effect_);
  AddLabeledRow(grid, row++, Tr("振幅(%)"), amplitude_);
  AddLabeledRow(grid, row++, Tr("コマ数"), frames_);
  AddLabeledRow(grid, row++, Tr("表示時間"), time_);
  AddTimeChoiceRows(grid, row, times_);
  AddLabeledRow(grid, row++, Tr("色数"), colorCount_);
  AddLabeledRow(grid, row++, Tr("透明色"), transparency_);
  auto* motionRow = new QHBoxLayout;
  motionRow->addWidget(motion_);
  motionRow->addWidget(motionTitle_, 1);
  motionRow->addWidget(motionButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(noDiffusion_);
  layout->addWidget(highQuality_);
  layout->addWidget(margin_);
  layout->addLayout(motionRow);
  layout->addLayout(buttons.row);

  ShowEnabling();
  ShowMotion();
  connect(effect_, &QComboBox::currentIndexChanged, this, [this] { ShowEnabling(); });
  connect(motionButton_, &QPushButton::clicked, this, [this] {
    if (motionHooks_.openProperties) motionHooks_.openProperties(this);
    ShowMotion();
  });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (running_) return;
    static_cast<void>(Create());  // a failure was shown
    accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

MakeAnimeDialogState MakeAnimeDialog::ReadState() const {
  MakeAnimeDialogState s;
  s.effect = effect_->currentIndex();
  s.colorCountIndex = colorCount_->currentIndex();
  s.transparentSource = transparency_->currentIndex();
  s.frames = frames_->value();
  s.timeValue = time_->value();
  s.amplitude = amplitude_->value();
  s.noDiffusion = noDiffusion_->isChecked();
  s.perCycle = times_.PerCycle();
  s.tempo = times_.Tempo();
  s.margin = margin_->isChecked();
  s.motion = motion_->isChecked();
  s.highQuality = highQuality_->isChecked();
  return s;
}

void MakeAnimeDialog::ShowEnabling() {
  const bool motion = motionHooks_.definitionsExist && motionHooks_.definitionsExist();
  const MakeAnimeEnabling e = MakeAnimeControlsEnabled(ReadState(), doc_, motion);
  noDiffusion_->setEnabled(e.colorControls);
  colorCount_->setEnabled(e.colorControls);
  highQuality_->setEnabled(e.colorControls);
  transparency_->setEnabled(e.transparency);
  amplitude_->setEnabled(e.amplitude);
  motion_->setEnabled(e.motion);
}

void MakeAnimeDialog::ShowMotion() {
  motionTitle_->setText(motionHooks_.selectedTitle ? motionHooks_.selectedTitle() : QString());
  motionButton_->setEnabled(bool(motionHooks_.openProperties));
  ShowEnabling();
}

void MakeAnimeDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

Outcome MakeAnimeDialog::Create() {
  if (running_) return Outcome::Cancelled();
  running_ = true;
  StoreMakeAnimeOptions(ReadState(), settings_, keptHighQuality_);
  const MakeAnimeOptions options = MakeAnimeOptionsOf(settings_, keptHighQuality_);
  // No input while the generator runs: the progress window keeps events flowing.
  setEnabled(false);
  Outcome result = Outcome::NothingDone();
  {
    ProgressWindow progress(this, QString::fromUtf8(Say(kGeneratorProgressCaption)));
    const MotionPreparation* motion =
        motionHooks_.preparation ? &motionHooks_.preparation : nullptr;
    result = MakeAnimation(doc_, options, motion, &progress, TickCount());
  }
  setEnabled(true);
  if (const char* text = OutcomeText(result)) Show(QString::fromUtf8(text));
  running_ = false;
  return result;
}

}  // namespace zel
