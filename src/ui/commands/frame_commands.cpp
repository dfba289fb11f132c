// The animation's frame commands: the delete pop-up, insert, convert to picture, first
// frame, repeat and reverse.
#include <QAction>
#include <QCursor>
#include <QMenu>

#include "document/frame_operations.h"
#include "platform/clock.h"
#include "ui/commands/command_executors.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr const char* kDeleteCurrentFrameText = "現在のコマを削除する";
constexpr const char* kDeleteFramesBeforeText = "現在より前の全部を削除する";
constexpr const char* kDeleteFramesAfterText = "現在より後ろの全部を削除する";

void DeleteFramesCommand(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  if (!CanDeleteFrames(doc)) return;
  QMenu menu(&window);
  auto item = [&menu](const char* text, int number, bool enabled) {
    QAction* action = menu.addAction(Tr(text));
    action->setData(number);
    action->setEnabled(enabled);
  };
  item(kDeleteCurrentFrameText, kDeleteCurrentFrameItem, true);
  menu.addSeparator();
  item(kDeleteFramesBeforeText, kDeleteFramesBeforeItem, CanDeleteFramesBefore(doc));
  item(kDeleteFramesAfterText, kDeleteFramesAfterItem, CanDeleteFramesAfter(doc));

  int choice = 0;
  if (window.deleteFramesChoice) {
    choice = window.deleteFramesChoice(menu);
  } else if (QAction* chosen = menu.exec(QCursor::pos())) {
    choice = chosen->data().toInt();
  }
  // Only an item the menu offered counts.
  bool offered = false;
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator() && action->isEnabled() && action->data().toInt() == choice) {
      offered = true;
    }
  }
  if (!offered) return;
  switch (choice) {
    case kDeleteCurrentFrameItem:
      window.ShowOutcome(DeleteCurrentFrame(doc));
      break;
    case kDeleteFramesBeforeItem:
      window.ShowOutcome(DeleteFramesBefore(doc));
      break;
    case kDeleteFramesAfterItem:
      window.ShowOutcome(DeleteFramesAfter(doc));
      break;
    default:
      break;
  }
}

// A frame operation; the window follows the document by itself.
template <Outcome (*Operation)(DocumentState&)>
void RunFrameOperation(MainWindow& window, CommandId) {
  window.ShowOutcome(Operation(window.Session().doc));
}

}  // namespace

const std::vector<CommandExecutor>& FrameExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdDeleteFrames, DeleteFramesCommand},
      {kCmdInsertFrame, RunFrameOperation<InsertFrameCopy>},
      {kCmdConvertToPicture, RunFrameOperation<ConvertToPicture>},
      {kCmdMakeFirstFrame, RunFrameOperation<MakeCurrentFrameFirst>},
      {kCmdRepeatAnimation, RunFrameOperation<RepeatAnimation>},
      {kCmdReverse,
       [](MainWindow& window, CommandId) {
         window.ShowOutcome(ReverseAnimation(window.Session().doc, TickCount()));
       }},
  };
  return rows;
}

}  // namespace zel
