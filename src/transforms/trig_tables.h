// Integer trigonometry of the fast rotation: angles in 1/4096 of a turn, values in 1/1024.
#pragma once

#include <array>
#include <cstdint>

namespace zel {

struct TrigTables {
  std::array<int32_t, 2049> sine;       // floor(1024 sin(2 pi i / 4096)), a half turn
  std::array<int32_t, 1025> arcsine;    // floor(asin(i / 1024) 4096 / 2 pi)
  std::array<int32_t, 1024> arccosine;  // floor(acos(i / 1024) 4096 / 2 pi)
};

// Built once, on first use.
const TrigTables& IntegerTrigTables();

// Sine and cosine of an angle in 1/4096 turn, read from the half-turn table by symmetry.
int32_t TableSine(int32_t angle);
int32_t TableCosine(int32_t angle);
// The angle of (dx, dy) measured from the dy axis toward dx, for r = truncated length.
int32_t TableAngle(int32_t dx, int32_t dy, int32_t r);

}  // namespace zel
