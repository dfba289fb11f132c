// The file commands: open, the saves (GIF, bitmap, JPEG, WebP, PNG, icon) and their pop-up,
// the recent files and exit.
#include <QStringList>

#include "app/menu_tree.h"
#include "app/save_document.h"
#include "app/save_rules.h"
#include "app/settings.h"
#include "document/edit_transaction.h"
#include "imagefiles/file_names.h"
#include "imagefiles/image_loader.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/commands/integration_commands.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/save_jpeg_dialog.h"
#include "ui/dialogs/save_webp_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr const char* kOpenTitle = "表示する画像ファイルを選択します";
constexpr const char* kOpenFilterName = "画像ファイル";
constexpr const char* kGifSaveTitle = "保存するGIFファイルを設定します";
constexpr const char* kGifFilterName = "GIFファイル";
constexpr const char* kBmpSaveTitle = "保存するBMPファイルを選択します";
constexpr const char* kBmpFilterName = "BMPファイル";
constexpr const char* kIconSaveTitle = "作成するアイコンファイルを選択します";
constexpr const char* kIconFilterName = "アイコンファイル";
constexpr const char* kGifProgressCaption = "GIFﾌｧｲﾙの作成";
constexpr const char* kWebpSaveTitle = "保存するWebPファイルを設定します";
constexpr const char* kWebpFilterName = "WebPファイル";
constexpr const char* kWebpProgressCaption = "WebPﾌｧｲﾙの作成";
constexpr const char* kPngSaveTitle = "保存するPNGファイルを設定します";
constexpr const char* kPngFilterName = "PNGファイル";
constexpr const char* kPngProgressCaption = "PNGﾌｧｲﾙの作成";

// The save dialog, and before a file there is replaced the question whether to replace it
// (which says so when its frames were cut at load). No goes back to the dialog at the name
// chosen: nothing is written and nothing remembered, and the user picks another name or
// cancels. True with the name to write in `path`.
bool ChooseSaveName(MainWindow& window, const char* title, const char* filterName,
                    const QString& patterns, const std::string& ext, std::string& path) {
  bool chosen = false;
  for (;;) {
    if (!ShowSaveImageDialog(&window, Tr(title), Tr(filterName), patterns, ext, path)) break;
    const OverwriteQuestion question =
        OverwriteQuestionForPath(path, &window.Session().cutFrameFiles);
    if (question == OverwriteQuestion::kNone ||
        window.Ask(Utf8(OverwriteQuestionText(question)))) {
      chosen = true;
      break;
    }
  }
  // The dialog and the box have gone: the keyboard is the main window's again.
  window.RegainFocus();
  return chosen;
}

void OpenCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  Settings& settings = session.settings.block;
  const DocumentState& doc = session.doc;
  std::string path = !doc.filePath.empty() ? doc.filePath : settings.lastImagePath;
  if (!settings.openPathHint.empty() && session.InsideSettingsFolder(path)) {
    path = settings.openPathHint;
  }
  if (!ShowOpenImageDialog(&window, Tr(kOpenTitle), Tr(kOpenFilterName),
                           Utf8(OpenDialogPatterns(kOpenImageExtensions)), path)) {
    return;
  }
  // Unsaved work is saved or let go first, never dropped unasked. This comes before the
  // remembered path moves to the chosen file, which a save would otherwise start from.
  if (!window.SettleUnsavedWork()) return;
  if (!session.InsideSettingsFolder(path)) settings.openPathHint = path;
  settings.lastImagePath = path;
  (void)window.OpenFile(path);  // it shows its own message
}

void SaveBitmapCommand(MainWindow& window, CommandId) {
  SaveBitmapWithDialog(window);
}

void MakeIconCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (!CanMakeIcon(session.doc)) return;
  std::string& last = session.settings.block.lastImagePath;
  std::string path = ReplaceExtension(last, "ico");
  if (!ChooseSaveName(window, kIconSaveTitle, kIconFilterName, QStringLiteral("*.ico"), "ico",
                      path)) {
    return;
  }
  last = path;
  window.ShowOutcome(MakeIconFile(session.doc, path));
}

void SaveJpegCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  Settings& settings = session.settings.block;
  SaveJpegDialog dialog(settings.lastImagePath, settings.jpegQuality, &window,
                        &session.cutFrameFiles);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  window.RegainFocus();
  if (!accepted) return;
  LoadContext context = session.MakeLoadContext(&window.Clipboard());
  const JpegSaveResult result =
      SaveJpegAndReload(session.doc, settings.lastImagePath, settings.jpegQuality, context);
  window.ShowOutcome(result.outcome);
  if (result.Written()) window.AddRecentFile(Utf8(session.doc.filePath));
}

// The last choice of the WebP dialog, for the next WebP save of this session.
WebpOptions& LastWebpOptions() {
  static WebpOptions options;
  return options;
}

// A WebP or PNG save once the name is chosen: the writer runs under a progress window
// with Cancel, the document busy meanwhile.
template <typename Save>
void SaveWithProgress(MainWindow& window, const char* caption, Save save) {
  Outcome result = Outcome::NothingDone();
  {
    ProgressWindow progress(&window, Tr(caption));
    result = save(progress);
  }
  window.UpdateCommandStates(false);
  window.RegainFocus();  // from the progress window, gone now
  window.ShowOutcome(result);
}

void SaveWebpCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (window.DocumentBusy() || !CanSaveAsWebp(session.doc)) return;
  WebpOptions options = LastWebpOptions();
  SaveWebpDialog dialog(options, &window);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  window.RegainFocus();
  if (!accepted) return;
  LastWebpOptions() = options;
  std::string& last = session.settings.block.lastImagePath;
  std::string path = ReplaceExtension(last, "webp");
  if (!ChooseSaveName(window, kWebpSaveTitle, kWebpFilterName, QStringLiteral("*.webp"), "webp",
                      path)) {
    return;
  }
  last = path;
  SaveWithProgress(window, kWebpProgressCaption, [&](ProgressSink& progress) {
    return SaveDocumentAsWebp(session.doc, path, options, &progress);
  });
}

void SavePngCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (window.DocumentBusy() || !CanSaveAsPng(session.doc)) return;
  std::string& last = session.settings.block.lastImagePath;
  std::string path = ReplaceExtension(last, "png");
  if (!ChooseSaveName(window, kPngSaveTitle, kPngFilterName, QStringLiteral("*.png"), "png",
                      path)) {
    return;
  }
  last = path;
  SaveWithProgress(window, kPngProgressCaption, [&](ProgressSink& progress) {
    return SaveDocumentAsPng(session.doc, path, &progress);
  });
}

void OpenRecentFile(MainWindow& window, CommandId id) {
  const int index = id - kCmdRecentFile1;
  const QStringList recent = window.RecentFiles();
  if (index < 0 || index >= recent.size()) return;
  const QString path = recent.at(index);
  if (!window.SettleUnsavedWork()) return;
  // A file that failed to load leaves the list (a refusal while busy does not).
  if (window.OpenFile(path.toStdString()).failed()) window.RemoveRecentFile(path);
}

}  // namespace

bool SaveGifCommand(MainWindow& window) {
  EditorSession& session = window.Session();
  if (!CanSaveAsGif(session.doc)) return false;
  std::string& last = session.settings.block.lastImagePath;
  std::string path = last;
  if (!session.InsideSettingsFolder(path)) {
    path = ReplaceExtension(last, "gif");
    if (!ChooseSaveName(window, kGifSaveTitle, kGifFilterName, QStringLiteral("*.gif"), "gif",
                        path)) {
      return false;
    }
    last = path;
  }
  return SaveGifTo(window, path);
}

bool SaveBitmapWithDialog(MainWindow& window) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  if (window.DocumentBusy() || !CanSaveAsBitmap(doc)) return false;
  std::string& last = session.settings.block.lastImagePath;
  // The remembered path changes only when a name is confirmed.
  std::string path = ReplaceExtension(last, "bmp");
  if (!ChooseSaveName(window, kBmpSaveTitle, kBmpFilterName, QStringLiteral("*.bmp"), "bmp",
                      path)) {
    return false;
  }
  last = path;
  const Outcome result = SaveDocumentAsBitmap(doc, path);
  window.ShowOutcome(result);
  return result.done();
}

bool SaveBeforeClose(MainWindow& window) {
  return CanSaveAsGif(window.Session().doc) ? SaveGifCommand(window) : SaveBitmapWithDialog(window);
}

bool SaveGifTo(MainWindow& window, const std::string& path) {
  DocumentState& doc = window.Session().doc;
  // One save at a time: a second one would stamp its result on the first one's document.
  if (window.DocumentBusy() || !CanSaveAsGif(doc)) return false;
  // The progress window runs events: the save holds the document busy meanwhile, so that
  // playback stands still and no command, load or hand-over touches what the writer walks.
  Outcome result = Outcome::NothingDone();
  {
    ProgressWindow progress(&window, Tr(kGifProgressCaption));
    progress.DisableCancel();
    result = SaveDocumentAsGif(doc, path, &progress, window.Session().settings.optimizeGif);
  }
  window.UpdateCommandStates(false);
  window.RegainFocus();  // from the progress window, gone now
  window.ShowOutcome(result);
  if (!result.done()) return false;
  ShowSavedGifInBrowser(window, path);
  return true;
}

const std::vector<CommandExecutor>& FileExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdOpen, OpenCommand},
      {kCmdSaveGif, [](MainWindow& window, CommandId) { SaveGifCommand(window); }},
      {kCmdSaveBitmap, SaveBitmapCommand},
      {kCmdSaveJpeg, SaveJpegCommand},
      {kCmdSaveWebp, SaveWebpCommand},
      {kCmdSavePng, SavePngCommand},
      {kCmdMakeIcon, MakeIconCommand},
      {kCmdSavePopup, [](MainWindow& window, CommandId) { window.ShowPopup(SavePopup()); }},
      {kCmdRecentFile1, OpenRecentFile},
      {RecentFileCommand(1), OpenRecentFile},
      {RecentFileCommand(2), OpenRecentFile},
      {RecentFileCommand(3), OpenRecentFile},
      {kCmdExit, [](MainWindow& window, CommandId) { window.close(); }},
  };
  static_assert(kRecentFileCount == 4, "one row per recent-file entry");
  return rows;
}

}  // namespace zel
