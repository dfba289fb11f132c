// The main window's size, place and tool-bar layout across restarts, in zel.ini.
#pragma once

namespace zel {

class MainWindow;
class ProfileFile;

// Before the window shows: the stored size, place and tool bars, with the window brought
// back onto a screen when it would open beyond all of them. The picture and animation bars
// then stay hidden until a document shows one of them.
void RestoreWindowLayout(MainWindow& window, const ProfileFile& profile);

// When the window closes: its size, place and tool bars go to the profile, which the
// session writes at exit. The tool bars are left as stored while a tool has them hidden.
void RememberWindowLayout(MainWindow& window, ProfileFile& profile);

}  // namespace zel
