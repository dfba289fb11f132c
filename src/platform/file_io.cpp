#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file.h"

namespace zel {
namespace {

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

namespace {

// Opens a regular file for reading. The open does not block, so a FIFO or a device named
// by the user is refused instead of hanging the program; -1 for anything else.
int OpenRegularFile(const std::string& path, struct stat& st) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::FILE* OpenFileForReading(const std::string& path) {
  struct stat st;
  int fd = OpenRegularFile(path, st);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
  struct stat st;
  int fd = OpenRegularFile(path, st);
  if (fd < 0) return std::nullopt;
  FdCloser closer(fd);
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(st.st_size));
  } catch (...) {
    return std::nullopt;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;  // shorter than its size: not read completely
    done += static_cast<size_t>(n);
  }
  return bytes;
}

bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
  AtomicFileWriter file;
  return file.Open(path) && file.Write(data, size) && file.Commit();
}

std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t maxBytes) {
  struct stat st;
  int fd = OpenRegularFile(path, st);
  if (fd < 0) return std::nullopt;
  FdCloser closer(fd);
  std::vector<uint8_t> bytes(maxBytes);
  size_t got = 0;
  while (got < maxBytes) {
    ssize_t n = ::read(fd, bytes.data() + got, maxBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

NewFileProbe ProbeNewFile(const std::string& path) {
  // O_EXCL: a file that appeared meanwhile is never truncated or removed.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? NewFileProbe::kExists : NewFileProbe::kNotCreatable;
  ::close(fd);
  ::unlink(path.c_str());
  return NewFileProbe::kCreatable;
}

}  // namespace zel
