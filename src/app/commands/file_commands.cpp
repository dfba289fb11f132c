// Opening and saving: the file menu's commands and the tool bar's save pop-up.
#include "app/commands/command_families.h"
#include "app/save_rules.h"

namespace zel {

const std::vector<CommandInfo>& FileCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdOpen,
       .caption = "開く(&O)...",
       .prompt = "既存の画像ファイルを開く",
       .toolTip = "開く",
       .accelerator = "Ctrl+O",
       .iconName = "document-open"},
      {.id = kCmdSaveGif,
       .caption = "GIFに保存(&G)",
       .prompt = "作業中の画像をGIFﾌｧｲﾙに保存する",
       .toolTip = "GIFに保存",
       .accelerator = "Ctrl+S",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanSaveAsGif(*ctx.doc); }},
      {.id = kCmdSaveBitmap,
       .caption = "ﾋﾞｯﾄﾏｯﾌﾟに保存(&B)",
       .prompt = "現在の画像をビットマップファイルに保存する",
       .toolTip = "ビットマップに保存",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanSaveAsBitmap(*ctx.doc); }},
      {.id = kCmdSaveJpeg,
       .caption = "JPEGに保存(&J)",
       .prompt = "現在の画像をJPEGファイルに保存する",
       .toolTip = "JPEGに保存",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanSaveAsJpeg(*ctx.doc); }},
      {.id = kCmdSaveWebp,
       .caption = "WebPに保存(&W)",
       .prompt = "現在の画像をWebPファイルに保存する(アニメはアニメーションWebP)",
       .toolTip = "WebPに保存",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanSaveAsWebp(*ctx.doc); }},
      {.id = kCmdSavePng,
       .caption = "PNGに保存(&P)",
       .prompt = "現在の画像をPNGファイルに保存する(アニメはAPNG)",
       .toolTip = "PNGに保存",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanSaveAsPng(*ctx.doc); }},
      {.id = kCmdMakeIcon,
       .caption = "ｱｲｺﾝを作成(&I)",
       .prompt = "現在の画像からアイコンファイルを作成する",
       .toolTip = "アイコン作成",
       .enabled = [](const CommandContext& ctx) { return ctx.doc && CanMakeIcon(*ctx.doc); }},
      {.id = kCmdSavePopup,
       .caption = "ファイルに保存",
       .prompt = "現在の画像を形式を選んでファイルに保存する",
       .toolTip = "ファイルに保存",
       .iconName = "document-save",
       .toolBarOnly = true,
       .enabled = rules::Open},
      {.id = kCmdRecentFile1,
       .caption = "最近使ったファイル",
       .prompt = "この画像ファイルを開く",
       .toolTip = "最近使ったファイル"},
      {.id = kCmdExit,
       .caption = "アプリケーションの終了(&X)",
       .prompt = "Zelを終了する",
       .toolTip = "終了",
       .iconName = "application-exit"},
  };
  return rows;
}

}  // namespace zel
