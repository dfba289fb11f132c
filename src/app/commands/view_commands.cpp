// The view's zoom: in and out by steps, actual size and fit to the window. Display only:
// the picture is never changed.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& ViewCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdZoomIn,
       .caption = "拡大(&I)",
       .prompt = "表示を拡大する",
       .toolTip = "拡大表示",
       .accelerator = "Ctrl++",
       .iconName = "zoom-in",
       .enabled = rules::Open},
      {.id = kCmdZoomOut,
       .caption = "縮小(&U)",
       .prompt = "表示を縮小する",
       .toolTip = "縮小表示",
       .accelerator = "Ctrl+-",
       .iconName = "zoom-out",
       .enabled = rules::Open},
      {.id = kCmdZoomActualSize,
       .caption = "等倍(&N)",
       .prompt = "等倍(100%)で表示する",
       .toolTip = "等倍表示",
       .accelerator = "Ctrl+0",
       .iconName = "zoom-original",
       .enabled = rules::Open},
      {.id = kCmdZoomToFit,
       .caption = "ウィンドウに合わせる(&W)",
       .prompt = "画像全体がウィンドウに収まる倍率で表示する",
       .toolTip = "ウィンドウに合わせる",
       .iconName = "zoom-fit-best",
       .enabled = rules::Open},
  };
  return rows;
}

}  // namespace zel
