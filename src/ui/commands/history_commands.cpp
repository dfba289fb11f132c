// Undo and redo.
#include "ui/commands/command_executors.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {

const std::vector<CommandExecutor>& HistoryExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdUndo,
       [](MainWindow& window, CommandId) {
         DocumentState& doc = window.Session().doc;
         // The history tells the window through the document's observers.
         doc.undo.Undo(doc);
       }},
      {kCmdRedo,
       [](MainWindow& window, CommandId) {
         DocumentState& doc = window.Session().doc;
         doc.undo.Redo(doc);
       }},
  };
  return rows;
}

}  // namespace zel
