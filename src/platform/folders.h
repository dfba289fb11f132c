// The user's folders: home, pictures, the program's settings and its motion files.
#pragma once

#include <cstdint>
#include <string>

namespace zel {

// $HOME, else the home folder of the user's account; no trailing '/'.
std::string HomeFolder();

// The process's working folder; "/" when it cannot be read (removed, too long a name).
std::string CurrentFolder();

// The user's picture folder: XDG_PICTURES_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (default
// ~/.config/user-dirs.dirs) when it names an existing folder, else ~/Pictures when it
// exists, else the home folder. No trailing '/'.
std::string PicturesFolder();

// The user's configuration folder, $XDG_CONFIG_HOME (default ~/.config); no trailing '/'.
std::string ConfigHome();

// The program's settings folder, $XDG_CONFIG_HOME/Qx/ (default ~/.config/Qx/), with a
// trailing '/'. With `create` the folder and any missing parents are made.
std::string SettingsFolder(bool create);

// Where motion files live: $XDG_DATA_HOME/Qx/zel/ (default ~/.local/share/Qx/zel/), with a
// trailing '/'. Not created here.
std::string MotionDataFolder();

// Modification time of a file in seconds since 1970; 0 when it cannot be read.
int64_t FileModificationTime(const std::string& path);

}  // namespace zel
