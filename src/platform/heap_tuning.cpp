#include "platform/heap_tuning.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace zel {

namespace {

// The heap grows in steps of this much address space; only the pages written are backed.
constexpr size_t kHeapStep = size_t{256} * 1024 * 1024;
constexpr uintptr_t kHugePage = 2 * 1024 * 1024;

}  // namespace

void KeepPictureBlocksInHeap() {
  // One arena: worker threads free what other threads allocated (frames decoded on one,
  // composed and freed on another), and only a shared heap can hand those blocks on.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  // Grow the heap once by a large step and let the kernel back it with huge pages where it
  // can (transparent huge pages on request): tens of megabytes of frames then cost a few
  // dozen page faults instead of thousands. A kernel without them ignores the request.
  mallopt(M_TOP_PAD, static_cast<int>(kHeapStep));
  // A block larger than what the heap has free makes it grow now, by the step.
  void* first = std::malloc(4 * kHugePage);
  if (first == nullptr) return;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(first) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
  // Only when the block came from the heap just grown (an allocator of its own, such as a
  // sanitizer's, puts it elsewhere).
  if (end > start && end - start <= kHeapStep + 8 * kHugePage) {
    (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
  std::free(first);
}

void GiveBackFreeMemory() {
  (void)malloc_trim(0);
}

}  // namespace zel
