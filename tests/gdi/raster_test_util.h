// Helpers for the rasterisation tests: pixel masks drawn as ASCII art
// ('#' covered, '.' not), conversions to and from span lists, validity.
#pragma once

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/spans.h"

namespace vx::plat::gdi {
// Readable failure messages for spans.
inline void PrintTo(const Span& s, std::ostream* os) { *os << "{y " << s.y << ": " << s.x0 << ".." << s.x1 << "}"; }
}  // namespace vx::plat::gdi

namespace vx::plat {
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace vx::plat

namespace vx::plat::gdi::test {

using Art = std::vector<std::string>;
using PixelSet = std::set<std::pair<std::int32_t, std::int32_t>>;  // (y, x)

// The window [ox, ox + width) x [oy, oy + height) of the spans as art.
inline Art ToArt(const SpanList& spans, int width, int height, int ox = 0, int oy = 0) {
  Art art(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '.'));
  for (const Span& s : spans) {
    const int row = s.y - oy;
    if (row < 0 || row >= height) continue;
    for (std::int64_t x = s.x0; x < s.x1; ++x) {
      const std::int64_t col = x - ox;
      if (col >= 0 && col < width) art[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = '#';
    }
  }
  return art;
}

// Spans of the '#' cells of art placed at (ox, oy).
inline SpanList FromArt(const Art& art, int ox = 0, int oy = 0) {
  SpanList out;
  for (std::size_t r = 0; r < art.size(); ++r) {
    for (std::size_t c = 0; c < art[r].size(); ++c) {
      if (art[r][c] != '#') continue;
      const auto x = static_cast<std::int32_t>(ox + static_cast<int>(c));
      const auto y = static_cast<std::int32_t>(oy + static_cast<int>(r));
      if (!out.empty() && out.back().y == y && out.back().x1 == x) out.back().x1 = x + 1;
      else out.push_back(Span{y, x, x + 1});
    }
  }
  return out;
}

inline PixelSet ToPixels(const SpanList& spans) {
  PixelSet p;
  for (const Span& s : spans) {
    for (std::int32_t x = s.x0; x < s.x1; ++x) p.insert({s.y, x});
  }
  return p;
}

// Sorted by row then x, no empty, overlapping or touching runs in a row.
inline bool IsValidSpanList(const SpanList& spans) {
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (spans[i].x0 >= spans[i].x1) return false;
    if (i == 0) continue;
    const Span& p = spans[i - 1];
    if (p.y > spans[i].y) return false;
    if (p.y == spans[i].y && p.x1 >= spans[i].x0) return false;
  }
  return true;
}

// Deterministic pseudo-random numbers (tests must not depend on the platform's <random> engines).
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1)); }

 private:
  std::uint64_t state_;
};

}  // namespace vx::plat::gdi::test
