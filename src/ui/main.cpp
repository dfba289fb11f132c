// zel: the animated-GIF editor.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_options.h"
#include "app/settings.h"
#include "app/startup_rules.h"
#include "platform/heap_tuning.h"
#include "platform/profile_file.h"
#include "resources/language.h"
#include "resources/string_table.h"
#include "ui/dialogs/message_box.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "zel_version.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("zel %s\n", zel::kZelVersion);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(zel::EditorUsageText().c_str(), stdout);
    return 0;
  }
  // Before Qt starts any thread: a long animation's frames come from one heap that grows in
  // large steps (few page faults while it loads), and go back once the document is gone.
  zel::KeepPictureBlocksInHeap();
  QApplication app(argc, argv);
  // No organisation: nothing of the program goes to a folder named after one; what it keeps
  // is in its settings folder (the session points Qt's own settings there too).
  app.setApplicationName(QStringLiteral("zel"));
  // The desktop entry's name, so that the window is matched with its icon and entry.
  app.setDesktopFileName(QStringLiteral("zel"));
  app.setWindowIcon(QIcon(QStringLiteral(":/desktop/zel.svg")));
  // The language first, so that every text from here on speaks it: the options' setting,
  // else the locale's.
  {
    zel::ProfileFile profile;
    profile.Load(zel::SettingsFilePath());
    const zel::Language language =
        zel::ResolveLanguage(zel::LoadLanguageChoice(profile), zel::LanguageOfEnvironment());
    zel::SetCurrentLanguage(language);
    (void)zel::InstallTranslations(app, language);  // without them the texts stay as written
  }

  const QScreen* screen = QGuiApplication::primaryScreen();
  const int depth = screen ? screen->depth() : 24;

  zel::EditorSession session;
  switch (session.Start(depth >= 15 ? 1 : 0)) {
    case zel::StartResult::kStarted:
      break;
    case zel::StartResult::kAlreadyRunning:
      zel::ShowMessage(nullptr, QString::fromUtf8(zel::Say(zel::kSecondInstanceMessage)));
      return 1;
    case zel::StartResult::kNoMemory:
      zel::ShowMessageId(nullptr, zel::kMsgNoMemory);
      return 1;
  }

  std::vector<std::string> arguments;
  const QStringList qtArguments = app.arguments();  // Qt's own options are already taken out
  for (qsizetype i = 1; i < qtArguments.size(); ++i) {
    arguments.push_back(qtArguments.at(i).toStdString());
  }

  int result;
  {
    zel::MainWindow window(session);
    const std::string later =
        window.LoadCommandLineFile(zel::EditorSession::CommandLineName(arguments));
    window.show();
    // Any other picture named on the command line opens once the window is up, the way the
    // open command opens it.
    if (!later.empty()) {
      QTimer::singleShot(0, &window, [&window, later] { (void)window.OpenFile(later); });  // it shows its own message
    }
    result = app.exec();
  }
  session.Shutdown();
  return result;
}
