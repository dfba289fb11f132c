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

std::vector<std::string> WithRecentFile(std::vector<std::string> list, const std::string& path,
                                        const std::string& currentFolder) {
  std::string absolute = AbsoluteFilePath(path, currentFolder);
  if (absolute.empty()) return list;
  list = WithoutRecentFile(std::move(list), absolute);
  list.insert(list.begin(), std::move(absolute));
  if (list.size() > static_cast<size_t>(kRecentFileCount)) list.resize(kRecentFileCount);
  return list;
}

std::vector<std::string> WithoutRecentFile(std::vector<std::string> list,
                                           const std::string& path) {
  std::erase(list, path);
  return list;
}

std::string AbsoluteFilePath(const std::string& path, const std::string& currentFolder) {
  if (path.empty()) return path;
  const std::string joined = path.front() == '/' ? path : currentFolder + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();  // above the root stays at the root
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string absolute;
  for (const std::string& part : parts) absolute += "/" + part;
  return absolute.empty() ? "/" : absolute;
}

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
