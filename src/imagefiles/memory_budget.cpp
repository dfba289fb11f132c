#include "imagefiles/memory_budget.h"

#include <atomic>

namespace zel {
namespace {

std::atomic<uint64_t> budget{kDefaultPictureBudget};

}  // namespace

uint64_t PictureMemoryBudget() {
  return budget.load(std::memory_order_relaxed);
}

void SetPictureMemoryBudget(uint64_t bytes) {
  budget.store(bytes == 0 ? kDefaultPictureBudget : bytes, std::memory_order_relaxed);
}

}  // namespace zel
