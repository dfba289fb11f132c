// The motion command: dialog 143, then every frame of the animation moved along the chosen
// path.
#include "app/command_ids.h"
#include "generators/motion_command.h"
#include "platform/clock.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/motion_properties_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

void MotionCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  if (!IsAnimation(session.doc.kind) || window.DocumentBusy()) return;
  MotionDialogServices services;
  services.editorPath = session.settings.block.editorPath;
  services.message = [&window](const QString& text) { window.ShowMessageText(text); };
  services.question = [&window](const QString& text) { return window.Ask(text); };
  const bool ok = RunMotionProperties(&window, session.motions, services);
  // The dialog serves events: the document may have become busy or changed meanwhile.
  if (ok && !window.DocumentBusy()) {
    window.ShowOutcome(MoveAnimation(session.doc, session.motions, TickCount()));
  }
}

}  // namespace

const std::vector<CommandExecutor>& MotionExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdMotion, MotionCommand},
  };
  return rows;
}

}  // namespace zel
