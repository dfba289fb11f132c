// The keyboard after modal dialogs and message boxes, on the real main window offscreen:
// however a dialog or box was run (a box from inside a dialog that closes right after it,
// a dialog with a progress window, a box of the window's own), once it has gone the main
// window is the active one, the focus is in it and its keys work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <functional>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "ui/dialogs/anime_effect_dialog.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::ModalScript;
using testing::ProcessEventsFor;

bool ServeUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) ProcessEventsFor(5);
  return done();
}

void ClickBoxButton(QWidget* modal, QMessageBox::StandardButton which) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  ASSERT_NE(box, nullptr) << modal->metaObject()->className();
  box->button(which)->click();
}

class WindowFocusTest : public testing::MainWindowFixture {
 protected:
  // The window's own boxes are the real ones here.
  void HookWindow() override {
    MainWindowFixture::HookWindow();
    window_->message = nullptr;
    window_->question = nullptr;
  }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    Resize(640, 480);
    GifBuilder gif(16, 16, testing::kEightColors);
    gif.Looping();
    for (int f = 0; f < 8; ++f) {
      gif.Control(0x04, 10, 0).Image(0, 0, 16, 16, testing::Noise(16, 16, 8, 3 + f));
    }
    OpenStopped(testing::WriteGif(File("focus.gif"), gif), 8);
    window_->activateWindow();
    ASSERT_TRUE(ServeUntil([&] { return FocusIsInWindow(); }));
  }

  bool FocusIsInWindow() {
    QWidget* focus = QApplication::focusWidget();
    return QApplication::activeWindow() == window_.get() && focus != nullptr &&
           (focus == window_.get() || window_->isAncestorOf(focus));
  }
};

TEST_F(WindowFocusTest, TheWindowHasTheKeyboardAfterEveryDialogAndBox) {
  struct Case {
    const char* name;
    std::function<void()> open;
    std::vector<ModalScript::Step> steps;
  };
  const Case cases[] = {
      {"options, a new frame maximum and the box asking for a restart",
       [&] { ASSERT_TRUE(window_->RunCommand(kCmdOptions)); },
       {[](QWidget* w) {
         auto* dialog = qobject_cast<DefineDialog*>(w);
         ASSERT_NE(dialog, nullptr);
         dialog->FrameMaxEdit()->setText(QStringLiteral("300"));
         // The box comes from inside OK, just before the dialog closes.
         ModalScript box({[](QWidget* m) { ClickBoxButton(m, QMessageBox::Ok); }});
         dialog->OkButton()->click();
         EXPECT_TRUE(box.Finished());
       }}},
      {"options, cancelled",
       [&] { ASSERT_TRUE(window_->RunCommand(kCmdOptions)); },
       {[](QWidget* w) {
         auto* dialog = qobject_cast<DefineDialog*>(w);
         ASSERT_NE(dialog, nullptr);
         dialog->CancelButton()->click();
       }}},
      {"effect, made with its progress window",
       [&] { ASSERT_TRUE(window_->RunCommand(kCmdEffect)); },
       {[](QWidget* w) {
         auto* dialog = qobject_cast<AnimeEffectDialog*>(w);
         ASSERT_NE(dialog, nullptr);
         dialog->CreateButton()->click();
       }}},
      {"a message of the window",
       [&] { window_->ShowMessage(kMsgNotUpdated); },
       {[](QWidget* m) { ClickBoxButton(m, QMessageBox::Ok); }}},
      {"a question of the window",
       [&] { EXPECT_TRUE(window_->Ask(QStringLiteral("?"))); },
       {[](QWidget* m) { ClickBoxButton(m, QMessageBox::Yes); }}},
      {"about",
       [&] { ASSERT_TRUE(window_->RunCommand(kCmdAbout)); },
       {[](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); }}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      ModalScript script(c.steps);
      c.open();
      EXPECT_TRUE(script.Finished());
    }
    ASSERT_TRUE(ServeUntil([&] { return FocusIsInWindow(); }))
        << "active " << (QApplication::activeWindow() ? "another window" : "none")
        << ", focus " << (QApplication::focusWidget() ? "elsewhere" : "none");
    // A key of the window works: the next frame is shown.
    if (!(Doc().flags & kFlagStopped)) ASSERT_TRUE(window_->RunCommand(kCmdStop));
    const int frame = Doc().currentFrame;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(Doc().currentFrame, (frame + 1) % 8);
  }
}

}  // namespace
}  // namespace zel
