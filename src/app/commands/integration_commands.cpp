// Other programs: the clipboard, the external editor, the browser, the MIDI tempo tool and
// the sibling programs.
#include "app/commands/command_families.h"
#include "integration/sibling_programs.h"

namespace zel {

const std::vector<CommandInfo>& IntegrationCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdImportClipboard,
       .caption = "クリップボードから入力(&P)",
       .prompt = "クリップボードの画像を取り込む",
       .toolTip = "クリップボードから入力",
       .accelerator = "Ctrl+V",
       .iconName = "edit-paste",
       .enabled = [](const CommandContext& ctx) { return ctx.clipboardHasPicture; }},
      {.id = kCmdExportClipboard,
       .caption = "クリップボードに出力(&C)",
       .prompt = "現在の画像をクリップボードにコピーする",
       .toolTip = "クリップボードに出力",
       .accelerator = "Ctrl+C",
       .iconName = "edit-copy",
       .enabled = rules::Open},
      {.id = kCmdExternalEdit,
       .caption = "編集(&E)",
       .prompt = "現在の画像を外部の編集ツールで編集する",
       .toolTip = "編集",
       .accelerator = "Ctrl+E",
       // With nothing open the rule leaves the command as it is: enabled, and it does nothing.
       .enabled =
           [](const CommandContext& ctx) {
             const CommandTerms t = ReadTerms(ctx.doc);
             return !t.open || t.paletted || t.stopped;
           }},
      {.id = kCmdShowInBrowser,
       .caption = "ブラウザで表示(&B)",
       .prompt = "アニメーションをWebブラウザで表示する",
       .toolTip = "ブラウザで表示",
       .iconName = "internet-web-browser",
       .enabled = rules::Animation},
      {.id = kCmdMidiTempo,
       .caption = "MIDIのテンポを調べる(&M)",
       .prompt = "MIDIファイルのテンポを調べる",
       .toolTip = "MIDIテンポ",
       .allowedWhileBusy = true},
      {.id = kCmdSendToVanta,
       .caption = "Vantaにアニメを転送する(&D)",
       .prompt = "アニメーションをVantaに転送する",
       .toolTip = "Vantaに転送",
       .iconName = "document-send",
       .enabled =
           [](const CommandContext& ctx) {
             const CommandTerms t = ReadTerms(ctx.doc);
             return ctx.vantaAvailable && t.animation && t.n > 1;
           }},
      {.id = kCmdSendToMorsel,
       .caption = "Morselに出力",
       .prompt = "現在の画像をMorselに出力する",
       .toolTip = "Morselに出力",
       .toolBarOnly = true,
       .enabled =
           [](const CommandContext& ctx) {
             // The command-line file while it is still the open animation, else Morsel
             // must be there to take the document.
             return ctx.doc && CanSendToMorsel(*ctx.doc, ctx.commandLinePath, ctx.morselReady);
           }},
  };
  return rows;
}

}  // namespace zel
