#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zel {
namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::string SystemText(int code) {
  return std::strerror(code);
}

}  // namespace

std::optional<std::string> InstanceFolder(bool create, std::string* error) {
  std::string folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    folder = runtime;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    folder += "/zel";
  } else {
    folder = "/tmp/zel-" + std::to_string(::getuid());
  }
  if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    SetError(error, "cannot create " + folder + ": " + SystemText(errno));
    return std::nullopt;
  }
  // lstat: a symbolic link planted under the name is refused, not followed.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) {
    SetError(error, folder + ": " + SystemText(errno));
    return std::nullopt;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetError(error, folder + " is not a folder");
    return std::nullopt;
  }
  if (st.st_uid != ::getuid()) {
    SetError(error, folder + " belongs to another user");
    return std::nullopt;
  }
  if ((st.st_mode & 077) != 0) {
    SetError(error, folder + " can be reached by other users (its mode must be 0700)");
    return std::nullopt;
  }
  return folder + "/";
}

InstanceLock::~InstanceLock() {
  Release();
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the only descriptor drops the lock
  fd_ = -1;
}

InstanceLockResult InstanceLock::Acquire(const std::string& folder, std::string* error) {
  Release();
  std::string path = folder + kInstanceLockName;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetError(error, "cannot open " + path + ": " + SystemText(errno));
    return InstanceLockResult::kFailed;
  }
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    int code = errno;
    ::close(fd);
    if (code == EWOULDBLOCK) return InstanceLockResult::kHeld;
    SetError(error, "cannot lock " + path + ": " + SystemText(code));
    return InstanceLockResult::kFailed;
  }
  fd_ = fd;
  return InstanceLockResult::kAcquired;
}

InstanceLockResult InstanceLock::Acquire(std::string* error) {
  std::optional<std::string> folder = InstanceFolder(true, error);
  if (!folder) return InstanceLockResult::kFailed;
  return Acquire(*folder, error);
}

}  // namespace zel
