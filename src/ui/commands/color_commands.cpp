// Colour: the colour-resolution toggle and the palette operation.
#include "app/change_color.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/change_color_dialog.h"
#include "ui/dialogs/palette_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

// A toggle: an 8-bit picture goes back to full colour, any other opens the dialog.
void ColorResolutionCommand(MainWindow& window, int) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  if (doc.currentPicture && doc.currentPicture.Header().bitCount == 8) {
    if (!ToggleToFullColor(doc)) window.ShowMessageNumber(kMsgNoMemory);
  } else {
    ChangeColorDialog dialog(doc, session.settings.block, session.settings.highQualityColors,
                             &window);
    if (window.message) dialog.message = window.message;
    dialog.exec();
  }
  window.RefreshView();
}

}  // namespace

const std::vector<CommandExecutor>& ColorExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdColorResolution, ColorResolutionCommand},
      {kCmdPaletteOperation,
       [](MainWindow& window, int) {
         RunPaletteDialog(window.Session(), &window,
                          [&window](const QString& text) { return window.Ask(text); });
         window.RefreshView();
       }},
  };
  return rows;
}

}  // namespace zel
