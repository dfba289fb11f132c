// Help: the help page (beside the program in the build, in share/zel/help when installed)
// and the About box.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "app/help_page.h"
#include "resources/language.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/main_window.h"

namespace zel {

const std::vector<CommandExecutor>& HelpExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdHelp,
       [](MainWindow&, CommandId) {
         // The page in the language the editor speaks.
         const std::string page = HelpPagePath(
             HelpFolder(QCoreApplication::applicationDirPath().toStdString()), CurrentLanguage());
         QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
       }},
      {kCmdAbout, [](MainWindow& window, CommandId) { ShowAboutDialog(&window); }},
  };
  return rows;
}

}  // namespace zel
