#include "platform/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace zel {

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && tmp[0] == '/' ? tmp : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

PrivateFolder::~PrivateFolder() {
  Remove();
}

bool PrivateFolder::Create(const std::string& prefix) {
  Remove();
  std::string pattern = TemporaryFolder() + "/" + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the folder with mode 0700 whatever the umask allows.
  if (::mkdtemp(name.data()) == nullptr) return false;
  path_ = std::string(name.data()) + "/";
  return true;
}

void PrivateFolder::Remove() {
  if (path_.empty()) return;
  std::error_code error;
  // remove_all removes symbolic links themselves and never follows them.
  std::filesystem::remove_all(std::filesystem::path(path_.substr(0, path_.size() - 1)), error);
  path_.clear();
}

}  // namespace zel
