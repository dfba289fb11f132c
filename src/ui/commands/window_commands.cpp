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
       [](MainWindow& window, int) {
         DefineDialog dialog(window.Session().settings.block, &window,
                             &window.Session().settings.optimizeGif);
         dialog.exec();
       }},
      {kCmdStandardToolBar, [](MainWindow& window, int) { Toggle(window, window.StandardBar()); }},
      {kCmdStatusBar, [](MainWindow& window, int) { Toggle(window, window.statusBar()); }},
      {kCmdPictureToolBar, [](MainWindow& window, int) { Toggle(window, window.PictureBar()); }},
      {kCmdAnimationToolBar,
       [](MainWindow& window, int) { Toggle(window, window.AnimationBar()); }},
      {kCmdFrameStrip,
       [](MainWindow& window, int) {
         Toggle(window, window.Strip());
         // Remembered in the settings file at exit.
         window.Session().settings.showFrameStrip = window.Strip()->isVisibleTo(&window);
         if (window.Strip()->isVisibleTo(&window)) window.Strip()->Refresh();
       }},
  };
  return rows;
}

}  // namespace zel
