// Undo and redo.
#include "ui/commands/command_executors.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {

const std::vector<CommandExecutor>& HistoryExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdUndo,
       [](MainWindow& window, int) {
         DocumentState& doc = window.Session().doc;
         doc.undo.Undo(doc);
         window.AfterFrameChange();
       }},
      {kCmdRedo,
       [](MainWindow& window, int) {
         DocumentState& doc = window.Session().doc;
         doc.undo.Redo(doc);
         window.AfterFrameChange();
       }},
  };
  return rows;
}

}  // namespace zel
