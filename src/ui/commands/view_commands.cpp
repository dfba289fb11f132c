// The view's zoom: in and out by steps about the view's centre, actual size, fit.
#include "ui/commands/command_executors.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"

namespace zel {

const std::vector<CommandExecutor>& ViewExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdZoomIn, [](MainWindow& window, CommandId) { window.View()->ZoomIn(); }},
      {kCmdZoomOut, [](MainWindow& window, CommandId) { window.View()->ZoomOut(); }},
      {kCmdZoomActualSize,
       [](MainWindow& window, CommandId) { window.View()->SetZoom(kDefaultViewZoom); }},
      {kCmdZoomToFit, [](MainWindow& window, CommandId) { window.View()->ZoomToFit(); }},
  };
  return rows;
}

}  // namespace zel
