// A temporary file of the program's own: created new in the temporary folder ($TMPDIR,
// else /tmp) with a name of a given prefix, readable and writable by the user only, read
// and written at any offset, and deleted when it is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Closes any file this one holds, then creates a new one named `prefix` plus six random
  // characters. False when it cannot be made.
  bool Create(const std::string& prefix);
  // Closes and deletes the file.
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // Writes or reads exactly `size` bytes at `offset`; false when that cannot be done (a
  // read past the end of the file fails).
  bool WriteAt(int64_t offset, const uint8_t* bytes, size_t size);
  bool ReadAt(int64_t offset, uint8_t* bytes, size_t size) const;

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace zel
