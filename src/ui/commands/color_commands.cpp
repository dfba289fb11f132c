// Colour: the colour-resolution toggle, the palette operation, semi-transparency and the
// colour-adjustment tool.
#include <memory>

#include "app/change_color.h"
#include "app/settings.h"
#include "color/semi_transparency.h"
#include "platform/clock.h"
#include "resources/string_table.h"
#include "transforms/image_commands.h"
#include "transforms/tool_models.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/change_color_dialog.h"
#include "ui/dialogs/palette_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/tools/tool_host.h"
#include "ui/tools/tool_registry.h"

namespace zel {
namespace {

// A toggle: an 8-bit picture goes back to full colour, any other opens the dialog.
void ColorResolutionCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  if (doc.currentPicture && doc.currentPicture.Header().bitCount == 8) {
    window.ShowOutcome(ToggleToFullColor(doc));
  } else {
    ChangeColorDialog dialog(doc, session.settings.block, session.settings.highQualityColors,
                             &window);
    if (window.message) dialog.message = window.message;
    dialog.exec();
  }
  window.RefreshView();
}

template <SemiLevel kLevel>
void SemiTransparencyCommand(MainWindow& window, CommandId) {
  window.ShowOutcome(ApplySemiTransparency(window.Session().doc, kLevel, TickCount()));
}

// The colour tool opens in the form the settings remember; its form button switches to
// the other one (the source is back first) and the settings remember that.
void ColorAdjustCommand(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  if (!CanTransformImage(doc)) return;
  uint32_t& options = window.Session().settings.block.options;
  for (;;) {
    const ToolKind form = ColorFormOf(options);
    std::unique_ptr<InteractiveTool> tool = MakeTool(form, doc);
    if (!tool || window.Tools().RunTool(*tool) != kToolFormSwitch) break;
    options = OptionsForColorForm(options,
                                  form == ToolKind::kGamma ? ToolKind::kColor : ToolKind::kGamma);
  }
}

}  // namespace

const std::vector<CommandExecutor>& ColorExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdColorResolution, ColorResolutionCommand},
      {kCmdColorAdjust, ColorAdjustCommand},
      {kCmdTransparency25, SemiTransparencyCommand<SemiLevel::k25>},
      {kCmdTransparency50, SemiTransparencyCommand<SemiLevel::k50>},
      {kCmdTransparency75, SemiTransparencyCommand<SemiLevel::k75>},
      {kCmdTransparencyPopup,
       [](MainWindow& window, CommandId) {
         window.ShowPopup({kCmdTransparency25, kCmdTransparency50, kCmdTransparency75});
       }},
      {kCmdPaletteOperation,
       [](MainWindow& window, CommandId) {
         RunPaletteDialog(window.Session(), &window,
                          [&window](const QString& text) { return window.Ask(text); });
         window.RefreshView();
       }},
  };
  return rows;
}

}  // namespace zel
