// The program's millisecond tick: steady, 32 bits, wrapping like a tick counter.
#pragma once

#include <cstdint>

namespace zel {

uint32_t TickCount();

}  // namespace zel
