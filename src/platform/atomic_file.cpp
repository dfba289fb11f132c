#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace zel {
namespace {

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

AtomicFileWriter::~AtomicFileWriter() {
  Abandon();
}

void AtomicFileWriter::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool AtomicFileWriter::Open(const std::string& path) {
  Abandon();
  failed_ = true;
  if (path.empty() || path.back() == '/') return false;
  std::optional<std::string> resolved = ResolveLinks(path);
  if (!resolved) return false;
  target_ = *resolved;

  struct stat old;
  const bool exists = ::stat(target_.c_str(), &old) == 0;
  if (exists && (!S_ISREG(old.st_mode) || !MayReplace(target_, old))) return false;

  std::string temp = FolderOf(target_) + "/.zel-save-XXXXXX";
  fd_ = ::mkstemp(temp.data());
  if (fd_ < 0) return false;
  temp_ = temp;

  mode_t mode;
  if (exists) {
    // The new file keeps the old one's owner where the process may give it (changing the
    // owner first, since that may clear set-user-ID bits the mode then restores).
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
        (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
      }
    }
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd_, mode) != 0) {
    Abandon();
    return false;
  }
  failed_ = false;
  return true;
}

bool AtomicFileWriter::Write(const uint8_t* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  while (size > 0) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool AtomicFileWriter::Commit() {
  if (failed_ || fd_ < 0) {
    Abandon();
    return false;
  }
  bool ok = ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    Abandon();
    return false;
  }
  temp_.clear();
  // The rename itself reaches the disk with the folder (best effort).
  int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    (void)::fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace zel
