// An animation from several picture files: the question before the open document goes,
// the dialog, and the main window brought in line with the new animation.
#include "app/command_ids.h"
#include "app/save_rules.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/multi_picture_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/utf8.h"

namespace zel {
namespace {

void OpenMultipleCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (IsDocumentOpen(session.doc) && !window.Ask(Utf8(MessageText(kMsgDiscardPicture)))) return;
  MultiPictureDialog dialog(session.doc, session.settings.block, &window);
  if (window.message) dialog.message = window.message;
  dialog.exec();
}

}  // namespace

const std::vector<CommandExecutor>& SeveralPicturesExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdOpenMultiple, OpenMultipleCommand},
  };
  return rows;
}

}  // namespace zel
