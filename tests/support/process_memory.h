// The test process's own memory, read from /proc/self: for tests that hold the program to a
// memory figure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zel::testing {

// A sanitizer's allocator keeps freed blocks aside (quarantine) and has a heap of its own:
// memory figures say nothing about the program's there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedHeap = true;
#else
inline constexpr bool kSanitizedHeap = false;
#endif
#else
inline constexpr bool kSanitizedHeap = false;
#endif

// A field of /proc/self/status given in KiB ("VmRSS:", "VmHWM:", "RssAnon:"), in bytes; -1
// when it cannot be read.
inline int64_t StatusBytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  int64_t kib = -1;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, field, length) == 0) kib = std::atoll(line + length);
  }
  std::fclose(status);
  return kib < 0 ? -1 : kib * 1024;
}

// Sets the peak ("VmHWM:") back to the memory in use now; false when the kernel refuses.
inline bool ResetPeakMemory() {
  std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (!refs) return false;
  const bool done = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && done;
}

}  // namespace zel::testing
