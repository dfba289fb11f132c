// The image menu's transforms: the six deformation tools on the tool host, trimming with
// the rectangle picked over the view, margins, quarter turns, mirrors and icon size.
#include <memory>

#include "document/document_state.h"
#include "document/playback.h"
#include "platform/clock.h"
#include "transforms/image_commands.h"
#include "transforms/tool_models.h"
#include "ui/commands/command_executors.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/tools/mouse_picks.h"
#include "ui/tools/tool_host.h"
#include "ui/tools/tool_registry.h"

namespace zel {
namespace {

void ToolCommand(MainWindow& window, CommandId id) {
  DocumentState& doc = window.Session().doc;
  const std::optional<ToolKind> kind = ToolOfCommand(id);
  if (!kind || !CanTransformImage(doc)) return;
  std::unique_ptr<InteractiveTool> tool = MakeTool(*kind, doc);
  if (!tool) return;
  window.Tools().RunTool(*tool);
}

void TrimCommand(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  if (!CanTransformImage(doc)) return;
  RectanglePickResult pick;
  {
    // Tool mode, and the document held while the rectangle is picked; a cancelled pick
    // changes nothing and still ends both.
    ToolMode mode(window.Tools());
    DocumentBusyScope busy(doc);
    pick = PickRectangle(window.Tools(), doc.width, doc.height);
  }
  if (pick.code == kPickDone) {
    window.ShowOutcome(TrimImage(doc, pick.rect, TickCount()));
  } else if (IsAnimation(doc.kind)) {
    RestartPlayback(doc, TickCount());
  }
}

void MarginCommand(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  const PictureView* view = window.View();
  // The picture is compared with the area it scrolls in, so a large picture still gets one.
  const QSize area = view->ScrollableAreaInPicture();
  if (!MarginFitsView(doc, area.width(), area.height())) return;
  // A margin that cannot be added shows nothing.
  window.ShowOutcome(AddMarginToImage(doc, TickCount()));
}

template <TurnDirection kDirection>
void TurnCommand(MainWindow& window, CommandId) {
  window.ShowOutcome(TurnImage(window.Session().doc, kDirection, TickCount()));
}

template <MirrorAxis kAxis>
void MirrorCommand(MainWindow& window, CommandId) {
  window.ShowOutcome(MirrorImage(window.Session().doc, kAxis, TickCount()));
}

void IconSizeCommand(MainWindow& window, CommandId) {
  window.ShowOutcome(ResizeToIconSize(window.Session().doc));
}

}  // namespace

const std::vector<CommandExecutor>& TransformExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdCornerPull, ToolCommand},
      {kCmdEdgePull, ToolCommand},
      {kCmdStretch, ToolCommand},
      {kCmdZoom, ToolCommand},
      {kCmdRotate, ToolCommand},
      {kCmdFishEye, ToolCommand},
      {kCmdTrim, TrimCommand},
      {kCmdAddMargins, MarginCommand},
      {kCmdRotateLeft, TurnCommand<TurnDirection::kLeft>},
      {kCmdRotateRight, TurnCommand<TurnDirection::kRight>},
      {kCmdMirrorHorizontal, MirrorCommand<MirrorAxis::kHorizontal>},
      {kCmdMirrorVertical, MirrorCommand<MirrorAxis::kVertical>},
      {kCmdIconSize, IconSizeCommand},
  };
  return rows;
}

}  // namespace zel
