// One running editor per user: a lock file held with flock() in a folder only the user can
// reach. The same folder holds the editor's local socket (see local_channel.h).
#pragma once

#include <optional>
#include <string>

namespace zel {

// The user's instance folder, with a trailing '/': $XDG_RUNTIME_DIR/zel/ when that variable
// names an absolute path, else /tmp/zel-<uid>/. With `create` a missing folder is made with
// mode 0700. The folder is refused (no value, reason in `error`) when it is not a real
// directory, belongs to another user or can be reached by other users.
std::optional<std::string> InstanceFolder(bool create, std::string* error = nullptr);

// The editor's socket in the instance folder.
inline constexpr const char* kInstanceSocketName = "zel.sock";
inline constexpr const char* kInstanceLockName = "zel.lock";

enum class InstanceLockResult {
  kAcquired,  // this process is the one running editor
  kHeld,      // another process holds the lock
  kFailed,    // the folder or the lock file cannot be used
};

// The lock. The kernel drops it when the holder exits in any way, so a crashed editor
// never blocks the next start.
class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock in `folder` (an instance folder as returned above, trailing '/').
  InstanceLockResult Acquire(const std::string& folder, std::string* error = nullptr);
  // Takes the lock in the user's instance folder, creating the folder when needed.
  InstanceLockResult Acquire(std::string* error = nullptr);
  bool held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace zel
