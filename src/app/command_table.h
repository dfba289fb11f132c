// The command set as data: caption, status-bar prompt, tool tip, accelerator and icon of
// every command. Menus, tool bars and pop-ups are built from this table.
#pragma once

#include <vector>

#include "app/command_ids.h"

namespace zel {

struct CommandInfo {
  CommandId id;
  // Menu caption with its "&" mnemonic, without the shortcut text (that is `accelerator`).
  // Tool-bar-only commands carry a short caption of their own.
  const char* caption;
  const char* prompt;       // status-bar prompt: a sentence of what the command does
  const char* toolTip;      // short name shown as the tool tip
  const char* accelerator;  // Qt-style key sequence ("Ctrl+O") or ""
  const char* iconName;     // freedesktop icon-theme name, or "" when the program draws its own
  bool toolBarOnly;         // not in the main menu
};

// Every command, in menu order (tool-bar-only commands next to their relatives).
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
