// The main menu, the three tool bars and the two tool bar pop-ups, as data.
#pragma once

#include <vector>

#include "app/command_ids.h"

namespace zel {

// One entry of a menu. A command item has commandId != 0 and its caption is the command's
// caption from CommandTable() (the shortcut is the command's accelerator). A sub-menu has
// commandId 0 and children. A separator has separator = true, commandId 0 and caption "".
// The recent-file item (kCmdRecentFile1) stands for the whole list of recent files.
struct MenuNode {
  const char* caption;
  int commandId;
  std::vector<MenuNode> children;
  bool separator;
};

// The seven top-level menus, "ファイル(&F)" .. "ヘルプ(&H)", each a sub-menu node.
const std::vector<MenuNode>& MainMenu();

// Tool bar buttons from left to right; 0 is a separator.
const std::vector<int>& StandardToolBar();
const std::vector<int>& AnimationToolBar();
const std::vector<int>& PictureToolBar();

// Entries of the save pop-up (kCmdSavePopup) and the semi-transparency pop-up
// (kCmdTransparencyPopup); 0 is a separator.
const std::vector<int>& SavePopup();
const std::vector<int>& TransparencyPopup();
// The frame strip's context menu: the frame commands, run on the frame clicked.
const std::vector<int>& FrameStripPopup();

// The semi-transparency level of 32832/32831/32830: 1, 2 or 3 (25 %, 50 %, 75 %); 0 for
// any other command.
int TransparencyLevel(int id);

}  // namespace zel
