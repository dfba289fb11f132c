// Help: the help page beside the program and the About box.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "ui/commands/command_executors.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/main_window.h"

namespace zel {

const std::vector<CommandExecutor>& HelpExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdHelp,
       [](MainWindow&, CommandId) {
         const QString page =
             QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");
         QDesktopServices::openUrl(QUrl::fromLocalFile(page));
       }},
      {kCmdAbout, [](MainWindow& window, CommandId) { ShowAboutDialog(&window); }},
  };
  return rows;
}

}  // namespace zel
