// A file written piece by piece and put in place atomically: the pieces go to a temporary
// file in the target's folder, which replaces the target only when Commit succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Starts the temporary file for `path` under the rules of WriteFileAtomically (links
  // followed, a read-only or non-regular target refused, mode and owner kept). False when
  // the target may not be replaced or no file can be made beside it.
  [[nodiscard]] bool Open(const std::string& path);
  // Appends bytes; false (and every later call false) when they cannot be written.
  [[nodiscard]] bool Write(const uint8_t* data, size_t size);
  // Flushes the file to the disk and renames it over the target. False when any step
  // failed; the target is then as it was.
  [[nodiscard]] bool Commit();

 private:
  void Abandon();

  int fd_ = -1;
  bool failed_ = false;
  std::string temp_;
  std::string target_;
};

}  // namespace zel
