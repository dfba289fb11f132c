// The recent-file list of the file menu, kept in zel.ini beside the settings: section
// "Recent File List", keys "File1" to "File4", most recent first.
#pragma once

#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace zel {

inline constexpr char kRecentFileSection[] = "Recent File List";

// The list as stored: empty places and repeats are skipped, at most kRecentFileCount.
std::vector<std::string> LoadRecentFiles(const ProfileFile& file);

// Writes the first kRecentFileCount entries to "File1" on and empties the places after
// them. A name with a line break cannot live on a profile line and is left out.
void StoreRecentFiles(const std::vector<std::string>& list, ProfileFile& file);

// True when the file has a recent-file list of its own (even an empty one, once written).
bool HasRecentFileList(const ProfileFile& file);

// Takes over a list read from the place earlier versions kept it, unless the file has a
// list of its own already. True when `old` was taken.
bool AdoptOldRecentFiles(const std::vector<std::string>& old, ProfileFile& file);

}  // namespace zel
