// What the program compares to tell whether another program has rewritten a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zel {

struct FileStatus {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedNs = 0;  // modification time, nanoseconds since 1970
  int64_t changedNs = 0;   // status change time
  friend bool operator==(const FileStatus&, const FileStatus&) = default;
};

// The status of the file at `path` (links followed); no value when it does not exist.
std::optional<FileStatus> ReadFileStatus(const std::string& path);

}  // namespace zel
