#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace zel {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// An XDG base folder variable; only absolute values count, as the XDG rules say.
std::string BaseFolder(const char* variable, const char* fallbackInHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return WithoutTrailingSlash(value);
  std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/" + fallbackInHome;
}

// The value of XDG_PICTURES_DIR in a user-dirs.dirs file: a quoted "$HOME/..." or
// absolute path, with backslash escapes. Empty when absent or malformed.
std::string PicturesDirFromUserDirs(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  if (!in) return {};
  static const std::string kKey = "XDG_PICTURES_DIR";
  std::string result;
  std::string line;
  while (std::getline(in, line)) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line.compare(i, kKey.size(), kKey) != 0) continue;
    i = line.find_first_not_of(" \t", i + kKey.size());
    if (i == std::string::npos || line[i] != '=') continue;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line[i] != '"') continue;
    ++i;
    std::string value;
    if (line.compare(i, 5, "$HOME") == 0) {
      i += 5;
      if (i < line.size() && line[i] != '/' && line[i] != '"') continue;
      value = home;
    } else if (i >= line.size() || line[i] != '/') {
      continue;
    }
    bool closed = false;
    for (; i < line.size(); ++i) {
      char c = line[i];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\' && i + 1 < line.size()) c = line[++i];
      value += c;
    }
    if (closed) result = value;  // the last assignment wins, as in a shell
  }
  return result;
}

bool MakeFolders(const std::string& path) {
  if (IsFolder(path)) return true;
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
    return false;
  }
  return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(path));
}

}  // namespace

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  for (int tries = 0; tries < 8; ++tries) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
    if (errno != ERANGE) break;
    buffer.resize(buffer.size() * 2);
  }
  return "/";
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return WithoutTrailingSlash(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
    return WithoutTrailingSlash(found->pw_dir);
  }
  return "/";
}

std::string PicturesFolder() {
  std::string home = HomeFolder();
  std::string configured = PicturesDirFromUserDirs(ConfigHome() + "/user-dirs.dirs", home);
  if (IsFolder(configured)) return WithoutTrailingSlash(configured);
  std::string pictures = (home == "/" ? "" : home) + "/Pictures";
  if (IsFolder(pictures)) return pictures;
  return home;
}

std::string ConfigHome() {
  return BaseFolder("XDG_CONFIG_HOME", ".config");
}

std::string SettingsFolder(bool create) {
  std::string folder = ConfigHome() + "/Qx";
  if (create) MakeFolders(folder);
  return folder + "/";
}

std::string MotionDataFolder() {
  return BaseFolder("XDG_DATA_HOME", ".local/share") + "/Qx/zel/";
}

int64_t FileModificationTime(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_mtime);
}

}  // namespace zel
