// The window: the options dialog and the bars shown or hidden.
#include <QStatusBar>
#include <QToolBar>

#include "ui/commands/command_executors.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/editor_session.h"
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
  };
  return rows;
}

}  // namespace zel
