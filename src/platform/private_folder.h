// A folder only this user can enter, made fresh for one task and removed with everything in
// it at the end: files handed to other programs never sit at a guessable path.
#pragma once

#include <string>

namespace zel {

class PrivateFolder {
 public:
  PrivateFolder() = default;
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Makes "<temporary folder>/<prefix>XXXXXX" with mode 0700 (mkdtemp). False on failure.
  bool Create(const std::string& prefix);
  bool created() const { return !path_.empty(); }
  // The folder with a trailing '/'; empty before Create.
  const std::string& path() const { return path_; }
  // Removes the folder and its contents (links are removed, never followed).
  void Remove();

 private:
  std::string path_;
};

// The system temporary folder: $TMPDIR when it names an absolute path, else /tmp. No
// trailing '/'.
std::string TemporaryFolder();

}  // namespace zel
