// The dialog "エフェクト": one of nine effects on the frames of the open animation. The
// rules are the core's; the dialog stores the choice and runs the effect with the progress
// window.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "document/outcome.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace zel {

struct DocumentState;
struct Settings;

class AnimeEffectDialog : public QDialog {
  Q_OBJECT

 public:
  AnimeEffectDialog(DocumentState& doc, Settings& settings, QWidget* parent);

  // Message boxes (caption "zel", OK); replaced by tests when set.
  std::function<void(const QString&)> message;

  QComboBox* EffectBox() const { return effect_; }
  QSpinBox* AmplitudeBox() const { return amplitude_; }
  QPushButton* CreateButton() const { return create_; }
  QPushButton* CloseButton() const { return close_; }

  // "作成": stores the choice and runs the effect (the dialog takes no input meanwhile; a
  // second call while it runs does nothing). Returns the outcome; a failure was shown.
  Outcome Create();

 private:
  void Show(const QString& text);

  DocumentState& doc_;
  Settings& settings_;
  bool running_ = false;
  QComboBox* effect_ = nullptr;
  QSpinBox* amplitude_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace zel
