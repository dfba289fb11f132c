// Drives modal dialogs from a GUI test: each step runs on the next modal dialog once it
// shows and ends by closing it. The steps run inside the dialogs' own event loops, as a
// user's clicks would. A dialog a step leaves open fails the test and is closed; the
// polling stops when the script goes out of scope.
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
  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    if (!Finished()) timer_.start();
  }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  void Poll() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible()) return;
    timer_.stop();  // a step may run events of its own
    steps_[next_++](dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "step " << next_ << " left its dialog open";
      dialog->close();
    }
    if (!Finished()) timer_.start();
  }
  std::vector<Step> steps_;
  size_t next_ = 0;
  QTimer timer_;
};

}  // namespace zel::testing
