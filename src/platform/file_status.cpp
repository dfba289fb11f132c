#include "platform/file_status.h"

#include <sys/stat.h>

namespace zel {

std::optional<FileStatus> ReadFileStatus(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStatus status;
  status.device = static_cast<uint64_t>(st.st_dev);
  status.inode = static_cast<uint64_t>(st.st_ino);
  status.size = static_cast<int64_t>(st.st_size);
  status.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  status.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return status;
}

}  // namespace zel
