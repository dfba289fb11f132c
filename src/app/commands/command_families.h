// The command families: each returns its commands' rows (texts, enabling and checked rules)
// from a file of its own. CommandTable() lists them all.
#pragma once

#include <vector>

#include "app/command_table.h"
#include "app/enabling_rules.h"

namespace zel {

const std::vector<CommandInfo>& FileCommands();         // open, save, icon, recent, exit
const std::vector<CommandInfo>& TransformCommands();    // margins, trimming, turns, the tools
const std::vector<CommandInfo>& ColorCommands();        // colours, palette, semi-transparency
const std::vector<CommandInfo>& HistoryCommands();      // undo
const std::vector<CommandInfo>& PlaybackCommands();     // start, stop, jump, background
const std::vector<CommandInfo>& FrameCommands();        // the animation's frame commands
const std::vector<CommandInfo>& TimeCommands();         // time adjustment
const std::vector<CommandInfo>& GeneratorCommands();    // animations made from pictures
const std::vector<CommandInfo>& IntegrationCommands();  // clipboard, browser, other programs
const std::vector<CommandInfo>& WindowCommands();       // options and the bar toggles
const std::vector<CommandInfo>& ViewCommands();         // the view's zoom
const std::vector<CommandInfo>& HelpCommands();         // help and about

// Rules shared by several families.
namespace rules {
inline bool Open(const CommandContext& ctx) {
  return ReadTerms(ctx.doc).open;
}
inline bool Single(const CommandContext& ctx) {
  return ReadTerms(ctx.doc).single;
}
inline bool Animation(const CommandContext& ctx) {
  return ReadTerms(ctx.doc).animation;
}
inline bool StoppedAnimation(const CommandContext& ctx) {
  const CommandTerms t = ReadTerms(ctx.doc);
  return t.animation && t.stopped;
}
inline bool OpenIndexed(const CommandContext& ctx) {
  const CommandTerms t = ReadTerms(ctx.doc);
  return t.open && t.bitCount == 8;
}
inline bool PalettedIndexed(const CommandContext& ctx) {
  const CommandTerms t = ReadTerms(ctx.doc);
  return t.paletted && t.bitCount == 8;
}
}  // namespace rules

}  // namespace zel
