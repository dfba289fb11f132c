#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Symbolic links followed as deep as the system follows them.
constexpr int kMostLinks = 40;

// The file a write to `path` must replace: symbolic links are followed (a relative link
// is read from the link's folder), so that the link stays and its target gets the data.
// A link to a missing file gives that file's path. No value for a loop of links.
std::optional<std::string> ResolveLinks(std::string path) {
  for (int i = 0; i < kMostLinks; ++i) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<size_t>(n));
    if (target.empty()) return std::nullopt;
    path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
  }
  return std::nullopt;
}

// Whether the user may replace an existing file: the file itself must be writable for
// this process. A file without any write permission is not replaced even where the
// system would let the process write it anyway (root): it was made read-only on purpose.
bool MayReplace(const std::string& path, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return false;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

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
  if (path.empty() || path.back() == '/') return false;
  std::optional<std::string> resolved = ResolveLinks(path);
  if (!resolved) return false;
  const std::string& target = *resolved;

  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && (!S_ISREG(old.st_mode) || !MayReplace(target, old))) return false;

  std::string temp = FolderOf(target) + "/.zel-save-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  FdCloser closer(fd);

  mode_t mode;
  if (exists) {
    // The new file keeps the old one's owner where the process may give it (changing the
    // owner first, since that may clear set-user-ID bits the mode then restores).
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      }
    }
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data, size) && ::fsync(fd) == 0;
  ok = (::close(closer.Release()) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder (best effort).
  int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    (void)::fsync(folder);
    ::close(folder);
  }
  return true;
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
