#include "app/recent_files.h"

#include <algorithm>

#include "app/command_ids.h"

namespace zel {
namespace {

std::string Key(int place) {
  return "File" + std::to_string(place);
}

bool Storable(const std::string& path) {
  return !path.empty() && path.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

std::vector<std::string> LoadRecentFiles(const ProfileFile& file) {
  std::vector<std::string> list;
  for (int place = 1; place <= kRecentFileCount; ++place) {
    std::string path = file.Get(kRecentFileSection, Key(place));
    if (path.empty() || std::find(list.begin(), list.end(), path) != list.end()) continue;
    list.push_back(std::move(path));
  }
  return list;
}

void StoreRecentFiles(const std::vector<std::string>& list, ProfileFile& file) {
  int place = 1;
  for (const std::string& path : list) {
    if (place > kRecentFileCount) break;
    if (Storable(path)) file.Set(kRecentFileSection, Key(place++), path);
  }
  for (; place <= kRecentFileCount; ++place) file.Set(kRecentFileSection, Key(place), "");
}

bool HasRecentFileList(const ProfileFile& file) {
  for (int place = 1; place <= kRecentFileCount; ++place) {
    if (file.Has(kRecentFileSection, Key(place))) return true;
  }
  return false;
}

bool AdoptOldRecentFiles(const std::vector<std::string>& old, ProfileFile& file) {
  if (HasRecentFileList(file)) return false;
  std::vector<std::string> list;
  for (const std::string& path : old) {
    if (Storable(path) && std::find(list.begin(), list.end(), path) == list.end()) {
      list.push_back(path);
    }
  }
  StoreRecentFiles(list, file);
  return true;
}

}  // namespace zel
