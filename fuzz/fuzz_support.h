// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel::fuzz {

// Stops the run (a finding) when `condition` is false.
void Require(bool condition, const char* what);

// Checks that a picture a reader returned is whole and reads the ends of the rows its
// header describes, so that rows running past the block show up under AddressSanitizer.
// Null pictures are fine.
void TouchPicture(const PackedDib& picture);
void TouchFrames(const FrameSet& frames);

// A file in memory (memfd) for readers that take a path; Write replaces its contents.
class MemoryFile {
 public:
  MemoryFile();
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  void Write(const uint8_t* data, size_t size);
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace zel::fuzz
