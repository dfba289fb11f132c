#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace zel::fuzz {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

void TouchPicture(const PackedDib& picture) {
  if (!picture) return;
  Require(IsWholePicture(picture), "a reader returned a picture that is not whole");
  const DibHeader header = picture.Header();
  const size_t end = picture.PixelOffset() + picture.Stride() * static_cast<size_t>(header.height);
  Require(end <= picture.size(), "rows run past the block");
  // The first and the last byte of the rows: a block shorter than its header says shows up
  // under AddressSanitizer without walking pictures of hundreds of megabytes.
  volatile uint8_t first = picture.data()[0];
  volatile uint8_t last = picture.data()[end - 1];
  (void)first;
  (void)last;
}

void TouchFrames(const FrameSet& frames) {
  Require(frames.count >= 0 && frames.count <= frames.capacity(), "frame count out of range");
  for (int i = 0; i < frames.count; ++i) TouchPicture(frames.frame(i).image);
}

MemoryFile::MemoryFile() {
  fd_ = ::memfd_create("zel-fuzz", 0);
  Require(fd_ >= 0, "memfd_create");
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  if (fd_ >= 0) ::close(fd_);
}

void MemoryFile::Write(const uint8_t* data, size_t size) {
  Require(::ftruncate(fd_, 0) == 0, "ftruncate");
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
    Require(n > 0, "pwrite");
    done += static_cast<size_t>(n);
  }
}

}  // namespace zel::fuzz

// Under AddressSanitizer a throwing `new` that the allocator refuses stops the program
// instead of throwing std::bad_alloc. These take the memory from malloc (which the
// sanitizer still checks) and throw as a real allocator does, so the readers' own
// out-of-memory paths run when a file declares more than the limit the run allows.
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) {
  return ::operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
  std::free(p);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
