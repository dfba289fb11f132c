// The command set as data: for every command its caption, status-bar prompt, tool tip,
// accelerator and icon, the rule that enables it and, for the bar toggles, the rule that
// checks it. Each family of commands keeps its rows in its own file under app/commands/;
// menus, tool bars and pop-ups are built from the whole list.
#pragma once

#include <vector>

#include "app/command_ids.h"

namespace zel {

struct CommandContext;

// A rule over the document and the facts of the moment; nullptr in a row means "always" (for
// `enabled`) or "not a toggle" (for `checked`).
using CommandRule = bool (*)(const CommandContext& ctx);

struct CommandInfo {
  CommandId id;
  // Menu caption with its "&" mnemonic, without the shortcut text (that is `accelerator`).
  // Tool-bar-only commands carry a short caption of their own.
  const char* caption;
  const char* prompt;            // status-bar prompt: a sentence of what the command does
  const char* toolTip;           // short name shown as the tool tip
  const char* accelerator = "";  // Qt-style key sequence ("Ctrl+O") or ""
  const char* iconName = "";  // freedesktop icon-theme name, or "" when the program draws its own
  bool toolBarOnly = false;   // not in the main menu
  CommandRule enabled = nullptr;
  CommandRule checked = nullptr;
  // Neither reads nor changes the document, so it may run while the document is busy (a
  // long operation lets events through its progress window).
  bool allowedWhileBusy = false;
};

// Every command, family by family.
const std::vector<CommandInfo>& CommandTable();

// The entry of `id`, or nullptr. A recent-file entry other than the first maps to the
// first one's entry.
const CommandInfo* FindCommand(int id);

// Key sequences bound to a command besides its main `accelerator`.
struct ExtraAccelerator {
  CommandId id;
  const char* accelerator;  // Qt-style key sequence
};
const std::vector<ExtraAccelerator>& ExtraAccelerators();

}  // namespace zel
