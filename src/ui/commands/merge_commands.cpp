// Merging a second picture or animation into the open one ("アニメの合成").
#include "document/playback.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/merge_anime_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

// The document is busy while the dialog is open; afterwards an animation plays again from
// its first frame, and the tool bars and status bar follow what the document became, as
// after a new animation.
void MergeAnimationCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  QtClipboard& clipboard = window.Clipboard();
  {
    DocumentBusyScope busy(doc);
    MergeAnimeDialog dialog(doc, session.profile, &clipboard, clipboard.HasPicture(),
                            window.Tools(), &window);
    if (window.message) dialog.message = window.message;
    dialog.Run();
  }
  if (IsAnimation(doc.kind) && doc.frameSet->count > 0) {
    JumpToFrame(doc, 0);
    doc.flags &= ~kFlagStopped;
  }
  // Showing the first frame is no edit: the window follows by hand.
  window.RefreshAll();
}

}  // namespace

const std::vector<CommandExecutor>& MergeExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdMergeAnimations, MergeAnimationCommand},
  };
  return rows;
}

}  // namespace zel
