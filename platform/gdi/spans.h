// Horizontal pixel runs: the common currency between shape rasterisation,
// regions and the raster device. All coordinates are device pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

namespace vx::plat::gdi {

// Pixels x0 <= x < x1 of row y.
struct Span {
  std::int32_t y;
  std::int32_t x0;
  std::int32_t x1;
  bool operator==(const Span&) const = default;
};

// Sorted by y, then x0; spans of one row never overlap or touch.
using SpanList = std::vector<Span>;

}  // namespace vx::plat::gdi
