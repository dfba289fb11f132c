// An animation from a video clip: the question before the open document goes, the choice of
// the clip, then the dialog.
#include <memory>
#include <string>

#include "app/command_ids.h"
#include "app/save_rules.h"
#include "app/video_import_rules.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/video_import_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/utf8.h"

namespace zel {
namespace {

void OpenVideoCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (IsDocumentOpen(session.doc) && !window.Ask(Utf8(MessageText(kMsgDiscardPicture)))) return;
  // The dialog starts in the folder of the last picture; the choice is not remembered as a
  // picture, so the picture dialogs keep their own start.
  std::string path = session.settings.block.lastImagePath;
  if (const size_t slash = path.rfind('/'); slash != std::string::npos) path.resize(slash + 1);
  if (!ShowOpenImageDialog(&window, Utf8(Say(kChooseVideoTitle)), Utf8(Say(kVideoFilesName)),
                           QString::fromUtf8(kVideoPatterns), path)) {
    return;
  }
  OpenVideoFile(window, path);
}

}  // namespace

void OpenVideoFile(MainWindow& window, const std::string& path) {
  EditorSession& session = window.Session();
  std::unique_ptr<VideoReader> reader;
  const VideoStatus opened = VideoReader::Open(path, &reader);
  if (opened != VideoStatus::kOk) {
    const VideoImportResult result = opened == VideoStatus::kTooLarge ? VideoImportResult::kTooLarge
                                     : opened == VideoStatus::kNoMemory
                                         ? VideoImportResult::kNoMemory
                                         : VideoImportResult::kBadFile;
    window.ShowMessageText(Utf8(VideoImportMessage(result)));
    return;
  }
  const VideoInfo info = reader->Info();
  reader.reset();
  VideoImportDialog dialog(session.doc, path, info, &window);
  if (window.message) dialog.message = window.message;
  dialog.exec();
}

const std::vector<CommandExecutor>& VideoExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdOpenVideo, OpenVideoCommand},
  };
  return rows;
}

}  // namespace zel
