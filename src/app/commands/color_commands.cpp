// Colour: the colour-resolution toggle, colour adjustment, semi-transparency and the palette
// operation.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& ColorCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdColorResolution,
       .caption = "色解像度変更(&C)",
       .prompt = "イメージの色解像度を変更する",
       .toolTip = "色解像度変更",
       .enabled = rules::Single},
      {.id = kCmdColorAdjust,
       .caption = "色調節(&C)",
       .prompt = "画像の明るさや色合いを調節する",
       .toolTip = "色調節",
       .enabled = rules::Open},
      {.id = kCmdTransparency25,
       .caption = "25%透過(&1)",
       .prompt = "25%透過する",
       .toolTip = "25%透過",
       .enabled = rules::OpenIndexed},
      {.id = kCmdTransparency50,
       .caption = "50%透過(&2)",
       .prompt = "50%透過する",
       .toolTip = "50%透過",
       .enabled = rules::OpenIndexed},
      {.id = kCmdTransparency75,
       .caption = "75%透過(&3)",
       .prompt = "75%透過する",
       .toolTip = "75%透過",
       .enabled = rules::OpenIndexed},
      {.id = kCmdTransparencyPopup,
       .caption = "半透明",
       .prompt = "インディックスカラーのイメージを半透明にする",
       .toolTip = "半透明",
       .toolBarOnly = true,
       .enabled = rules::OpenIndexed},
      {.id = kCmdPaletteOperation,
       .caption = "パレット操作(&P)",
       .prompt = "パレットの色を操作する",
       .toolTip = "パレット操作",
       .enabled = rules::PalettedIndexed},
  };
  return rows;
}

}  // namespace zel
