// Drives modal dialogs from a GUI test: each step runs on the next modal dialog once it
// shows and ends by closing it. The steps run inside the dialogs' own event loops, as a
// user's clicks would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

namespace zel::testing {

class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;
  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) { Schedule(); }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  void Schedule() {
    QTimer::singleShot(5, [this] { Poll(); });
  }
  void Poll() {
    if (Finished()) return;
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog && dialog->isVisible()) {
      steps_[next_++](dialog);
      if (dialog->isVisible()) ADD_FAILURE() << "step " << next_ << " left its dialog open";
    }
    if (!Finished()) Schedule();
  }
  std::vector<Step> steps_;
  size_t next_ = 0;
};

}  // namespace zel::testing
