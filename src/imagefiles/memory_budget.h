// How much memory the pictures read from one file may take. Every reader refuses a file
// whose pictures would need more, so that a few bytes of a hostile file cannot claim the
// whole machine. The budget is one setting for all readers; zel-cli can raise it.
#pragma once

#include <cstdint>

namespace zel {

constexpr uint64_t kDefaultPictureBudget = uint64_t{1} << 30;  // 1 GiB

// The budget in bytes; kDefaultPictureBudget until it is changed.
uint64_t PictureMemoryBudget();
// Sets the budget for every reader of the process (0 restores the default).
void SetPictureMemoryBudget(uint64_t bytes);

}  // namespace zel
