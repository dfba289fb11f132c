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

// The list after `path` was opened or saved: the name made absolute (AbsoluteFilePath)
// comes first, an earlier entry of the same name leaves its place, and the list keeps at
// most kRecentFileCount names.
[[nodiscard]] std::vector<std::string> WithRecentFile(std::vector<std::string> list,
                                                      const std::string& path,
                                                      const std::string& currentFolder);
// The list without `path` (every entry of exactly that name); the others keep their order.
[[nodiscard]] std::vector<std::string> WithoutRecentFile(std::vector<std::string> list,
                                                         const std::string& path);
// `path` as an absolute name: a relative one is taken from `currentFolder`; "." and ".."
// steps and repeated '/' are resolved by the name alone (no link is followed). An empty
// path stays empty.
[[nodiscard]] std::string AbsoluteFilePath(const std::string& path,
                                           const std::string& currentFolder);

// True when the file has a recent-file list of its own (even an empty one, once written).
bool HasRecentFileList(const ProfileFile& file);

// Takes over a list read from the place earlier versions kept it, unless the file has a
// list of its own already. True when `old` was taken.
bool AdoptOldRecentFiles(const std::vector<std::string>& old, ProfileFile& file);

}  // namespace zel
