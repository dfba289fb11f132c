#include "platform/heap_tuning.h"

#include <malloc.h>

namespace zel {

void KeepPictureBlocksInHeap() {
  // One arena: worker threads free what other threads allocated (frames decoded on one,
  // composed and freed on another), and only a shared heap can hand those blocks on.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

}  // namespace zel
