// The window: the options dialog and the bars and the frame strip shown or hidden.
#include <QStatusBar>
#include <QToolBar>

#include "ui/commands/command_executors.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/editor_session.h"
#include "ui/frame_strip.h"
#include "ui/main_window.h"

namespace zel {
namespace {

void Toggle(MainWindow& window, QWidget* bar) {
  bar->setVisible(!bar->isVisibleTo(&window));
}

}  // namespace

const std::vector<CommandExecutor>& WindowExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdOptions,
       [](MainWindow& window, CommandId) {
         DefineDialog dialog(window.Session().settings.block, &window,
                             &window.Session().settings.optimizeGif,
                             &window.Session().settings.language);
         dialog.exec();
       }},
      {kCmdStandardToolBar,
       [](MainWindow& window, CommandId) { Toggle(window, window.StandardBar()); }},
      {kCmdStatusBar, [](MainWindow& window, CommandId) { Toggle(window, window.statusBar()); }},
      {kCmdPictureToolBar,
       [](MainWindow& window, CommandId) { Toggle(window, window.PictureBar()); }},
      {kCmdAnimationToolBar,
       [](MainWindow& window, CommandId) { Toggle(window, window.AnimationBar()); }},
      {kCmdFrameStrip,
       [](MainWindow& window, CommandId) {
         Toggle(window, window.Strip());
         // Remembered in the settings file at exit.
         window.Session().settings.showFrameStrip = window.Strip()->isVisibleTo(&window);
         if (window.Strip()->isVisibleTo(&window)) window.Strip()->Refresh();
       }},
  };
  return rows;
}

}  // namespace zel
