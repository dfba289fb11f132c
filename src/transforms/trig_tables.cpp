#include "transforms/trig_tables.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace zel {

namespace {

TrigTables BuildTables() {
  TrigTables t{};
  const double pi = std::numbers::pi;
  for (int i = 0; i <= 2048; ++i) {
    t.sine[static_cast<size_t>(i)] =
        static_cast<int32_t>(std::floor(1024.0 * std::sin(2.0 * pi * i / 4096.0)));
  }
  for (int i = 0; i <= 1024; ++i) {
    t.arcsine[static_cast<size_t>(i)] =
        static_cast<int32_t>(std::floor(std::asin(i / 1024.0) * 4096.0 / (2.0 * pi)));
  }
  for (int i = 0; i < 1024; ++i) {
    t.arccosine[static_cast<size_t>(i)] =
        static_cast<int32_t>(std::floor(std::acos(i / 1024.0) * 4096.0 / (2.0 * pi)));
  }
  return t;
}

}  // namespace

const TrigTables& IntegerTrigTables() {
  static const TrigTables tables = BuildTables();
  return tables;
}

int32_t TableSine(int32_t angle) {
  const int32_t a = ((angle % 4096) + 4096) % 4096;
  const auto& sine = IntegerTrigTables().sine;
  return a <= 2048 ? sine[static_cast<size_t>(a)] : -sine[static_cast<size_t>(a - 2048)];
}

int32_t TableCosine(int32_t angle) {
  return TableSine(angle + 1024);
}

int32_t TableAngle(int32_t dx, int32_t dy, int32_t r) {
  if (r == 0) return 0;
  const TrigTables& t = IntegerTrigTables();
  if (std::abs(dx) < std::abs(dy)) {
    int64_t v = int64_t{dx} * 1024 / r;
    v = v > 1024 ? 1024 : v < -1024 ? -1024 : v;
    int32_t angle =
        v >= 0 ? t.arcsine[static_cast<size_t>(v)] : -t.arcsine[static_cast<size_t>(-v)];
    if (dy < 0) angle = 2048 - angle;
    return angle;
  }
  const int64_t v = int64_t{dy} * 1024 / r;
  int32_t angle;
  if (v >= 1024) {
    angle = 0;
  } else if (v <= -1024) {
    angle = 2048;
  } else if (v < 0) {
    angle = 2048 - t.arccosine[static_cast<size_t>(-v)];
  } else {
    angle = t.arccosine[static_cast<size_t>(v)];
  }
  return dx < 0 ? -angle : angle;
}

}  // namespace zel
