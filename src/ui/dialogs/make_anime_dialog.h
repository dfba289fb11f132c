// The dialog "アニメ作成": a new animation from the document's picture with one of the ten
// effects. The rules of its controls and the generation are the core's; the dialog shows
// them, stores the choices and runs the generator with the progress window.
#pragma once

#include "ui/dialogs/time_choice.h"

#include <QDialog>
#include <QString>
#include <functional>

#include "app/generator_dialogs.h"
#include "document/outcome.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zel {

struct DocumentState;
struct Settings;

// What the dialog needs of the motion definitions; every member may be empty (no motion).
struct MotionHooks {
  std::function<bool()> definitionsExist;
  std::function<QString()> selectedTitle;
  // Opens the motion properties dialog over `parent`.
  std::function<void(QWidget* parent)> openProperties;
  // The motion step of the generation.
  MotionPreparation preparation;
};

class MakeAnimeDialog : public QDialog {
  Q_OBJECT

 public:
  // `highQuality` is the kept "高画質" choice; "作成" stores the box into it.
  MakeAnimeDialog(DocumentState& doc, Settings& settings, bool& highQuality, MotionHooks motion,
                  QWidget* parent);

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;

  QComboBox* EffectBox() const { return effect_; }
  QComboBox* ColorCountBox() const { return colorCount_; }
  QComboBox* TransparencyBox() const { return transparency_; }
  QSpinBox* FramesBox() const { return frames_; }
  QSpinBox* TimeBox() const { return time_; }
  QSpinBox* AmplitudeBox() const { return amplitude_; }
  QCheckBox* NoDiffusionBox() const { return noDiffusion_; }
  QCheckBox* HighQualityBox() const { return highQuality_; }
  QCheckBox* MarginBox() const { return margin_; }
  QCheckBox* MotionBox() const { return motion_; }
  QLabel* MotionTitle() const { return motionTitle_; }
  QRadioButton* PerFrameButton() const { return times_.perFrame; }
  QRadioButton* PerCycleButton() const { return times_.perCycle; }
  QRadioButton* HundredthsButton() const { return times_.hundredths; }
  QRadioButton* TempoButton() const { return times_.tempo; }
  QPushButton* MotionButton() const { return motionButton_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* CloseButton() const { return close_; }

  // "作成": stores the choices and runs the generator; the dialog takes no input meanwhile
  // and a second call while it runs does nothing. Returns the outcome (a failure was
  // shown); the dialog then closes.
  Outcome Create();
  bool Running() const { return running_; }

 private:
  MakeAnimeDialogState ReadState() const;
  void ShowEnabling();
  void ShowMotion();
  void Show(const QString& text);

  DocumentState& doc_;
  Settings& settings_;
  bool& keptHighQuality_;
  MotionHooks motionHooks_;
  bool running_ = false;
  QComboBox* effect_ = nullptr;
  QComboBox* colorCount_ = nullptr;
  QComboBox* transparency_ = nullptr;
  QSpinBox* frames_ = nullptr;
  QSpinBox* time_ = nullptr;
  QSpinBox* amplitude_ = nullptr;
  QCheckBox* noDiffusion_ = nullptr;
  QCheckBox* highQuality_ = nullptr;
  QCheckBox* margin_ = nullptr;
  QCheckBox* motion_ = nullptr;
  QLabel* motionTitle_ = nullptr;
  TimeChoice times_;
  QPushButton* motionButton_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zel
