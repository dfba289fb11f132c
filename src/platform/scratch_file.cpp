#include "platform/scratch_file.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace zel {

ScratchFile::~ScratchFile() {
  Close();
}

bool ScratchFile::Create(const std::string& prefix) {
  Close();
  const char* folder = std::getenv("TMPDIR");
  std::string name = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
  if (name.back() != '/') name += '/';
  name += prefix + "XXXXXX";
  // mkostemp creates the file new, readable and writable by the user only.
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = std::move(name);
  return true;
}

void ScratchFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
  fd_ = -1;
  path_.clear();
}

bool ScratchFile::WriteAt(int64_t offset, const uint8_t* bytes, size_t size) {
  if (fd_ < 0 || offset < 0) return false;
  while (size > 0) {
    ssize_t n = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool ScratchFile::ReadAt(int64_t offset, uint8_t* bytes, size_t size) const {
  if (fd_ < 0 || offset < 0) return false;
  while (size > 0) {
    ssize_t n = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // error, or the file ends early
    bytes += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

}  // namespace zel
