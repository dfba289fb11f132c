// Everything the editor keeps lives in its settings folder (~/.config/Qx/): zel.ini with the
// recent files and the window's layout, and what Qt itself stores for the program.
#pragma once

#include <string>

namespace zel {

class ProfileFile;

// Where earlier versions kept the recent-file list: Qt's settings of organisation "Zel",
// application "zel", $XDG_CONFIG_HOME/Zel/zel.conf.
std::string OldRecentFilesPath();

// Takes the recent files kept at OldRecentFilesPath into zel.ini once (unless zel.ini has a
// list of its own) and writes zel.ini; once it is written the old file is removed, and its
// folder too when nothing else is in it. True when an old file was found and removed. A
// file of more than 1 MiB is left unread where it is.
bool MoveOldRecentFiles(ProfileFile& profile);

// Qt's own settings (the file dialogs' history and the colour chooser's custom colours,
// "QtProject.conf") go to `settingsFolder` instead of $XDG_CONFIG_HOME.
void KeepQtSettingsIn(const std::string& settingsFolder);

}  // namespace zel
