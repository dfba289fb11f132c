// The shared progress window of long operations: a bar, the elapsed and remaining times and
// a Cancel button. It is modeless; every report dispatches the pending events so that the
// editor stays responsive while the work runs on the user-interface thread.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "platform/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zel {

class ProgressWindow : public QDialog, public ProgressSink {
  Q_OBJECT

 public:
  // The millisecond clock the times are measured with; TickCount unless a test gives another.
  using TickSource = std::function<uint32_t()>;

  // Shows the window at once (modeless) with `caption` as its title.
  ProgressWindow(QWidget* parent, const QString& caption, TickSource tickSource = {});
  ~ProgressWindow() override;

  void ReportProgress(int percent) override;
  void RestartClock() override;
  void DisableCancel() override;
  bool TakeCancel() override;

  // What the window shows, for tests.
  int BarValue() const;
  QString ElapsedText() const;
  QString RemainingText() const;
  QPushButton* CancelButton() const { return cancelButton_; }

 protected:
  // Escape and the close box count as Cancel; the window itself stays until its owner ends it.
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  uint32_t Now() const;

  TickSource tickSource_;
  ProgressClock clock_;
  bool cancel_ = false;
  QProgressBar* bar_ = nullptr;
  QLabel* elapsedLabel_ = nullptr;
  QLabel* remainingLabel_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace zel
