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
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"

namespace zel {

AnimeEffectDialog::AnimeEffectDialog(DocumentState& doc, Settings& settings, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings) {
  setWindowTitle(QStringLiteral("エフェクト"));
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
  create_ = new QPushButton(QStringLiteral("作成"), this);
  create_->setDefault(true);
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("演出効果"), this), 0, 0);
  grid->addWidget(effect_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("振幅"), this), 1, 0);
  grid->addWidget(amplitude_, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(create_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  amplitude_->setEnabled(EffectAmplitudeEnabled(state.comboIndex));
  connect(effect_, &QComboBox::currentIndexChanged, this,
          [this](int index) { amplitude_->setEnabled(EffectAmplitudeEnabled(index)); });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (running_) return;
    Create();
    accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void AnimeEffectDialog::Show(const QString& text) {
  if (message) {
    message(text);
  } else {
    ShowMessage(this, text);
  }
}

int AnimeEffectDialog::Create() {
  if (running_) return 0;
  running_ = true;
  StoreEffectOptions({effect_->currentIndex(), amplitude_->value()}, settings_);
  setEnabled(false);
  int result = 0;
  {
    ProgressWindow progress(this, QString::fromUtf8(kGeneratorProgressCaption));
    result = RunAnimationEffect(doc_, EffectOptionsOf(settings_), &progress, TickCount());
  }
  setEnabled(true);
  if (result > 0) Show(QString::fromUtf8(MessageText(result)));
  running_ = false;
  return result;
}

}  // namespace zel
