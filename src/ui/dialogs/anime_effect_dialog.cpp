#include "ui/dialogs/anime_effect_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "app/generator_dialogs.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "platform/clock.h"
#include "resources/string_table.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"
#include "ui/translate.h"

namespace zel {

AnimeEffectDialog::AnimeEffectDialog(DocumentState& doc, Settings& settings, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings) {
  setWindowTitle(Tr("エフェクト"));
  setWindowIcon(CommandIcon(kCmdEffect));
  const EffectDialogState state = OpenEffectDialog(settings_);
  effect_ = new QComboBox(this);
  for (int i = 1; i < kEffectCount; ++i) {
    effect_->addItem(QString::fromUtf8(EffectText(static_cast<Effect>(i))));
  }
  effect_->setCurrentIndex(state.comboIndex);
  amplitude_ = new QSpinBox(this);
  amplitude_->setRange(kAmplitudeMin, kAmplitudeMax);
  amplitude_->setValue(state.amplitude);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  create_ = buttons.act;
  close_ = buttons.close;

  auto* grid = new QGridLayout;
  AddLabeledRow(grid, 0, Tr("演出効果"), effect_);
  AddLabeledRow(grid, 1, Tr("振幅"), amplitude_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons.row);

  amplitude_->setEnabled(EffectAmplitudeEnabled(state.comboIndex));
  connect(effect_, &QComboBox::currentIndexChanged, this,
          [this](int index) { amplitude_->setEnabled(EffectAmplitudeEnabled(index)); });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (running_) return;
    static_cast<void>(Create());  // a failure was shown
    accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void AnimeEffectDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

Outcome AnimeEffectDialog::Create() {
  if (running_) return Outcome::NothingDone();
  running_ = true;
  StoreEffectOptions({effect_->currentIndex(), amplitude_->value()}, settings_);
  setEnabled(false);
  Outcome result = Outcome::NothingDone();
  {
    ProgressWindow progress(this, QString::fromUtf8(Say(kGeneratorProgressCaption)));
    result = RunAnimationEffect(doc_, EffectOptionsOf(settings_), &progress, TickCount());
  }
  setEnabled(true);
  if (const char* text = OutcomeText(result)) Show(QString::fromUtf8(text));
  running_ = false;
  return result;
}

}  // namespace zel
