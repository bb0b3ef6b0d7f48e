#include "platform/gdi/raster_lines.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/raster_internal.h"
#include "platform/gdi/raster_spans.h"

namespace vx::plat::gdi {
namespace {

using detail::Int128;

struct PatternDef {
  std::uint32_t period;
  std::uint32_t onMask;  // bit i set: pixel i of the period is drawn
};

constexpr std::uint32_t Bits(int from, int to) {  // bits [from, to)
  return ((to >= 32 ? 0u : (1u << to)) - 1u) & ~((1u << from) - 1u);
}

PatternDef Definition(PenPattern pattern) {
  switch (pattern) {
    case PenPattern::Solid: return {1, 1};
    case PenPattern::Dash: return {24, Bits(0, 18)};
    case PenPattern::Dot: return {6, Bits(0, 3)};
    case PenPattern::DashDot: return {24, Bits(0, 9) | Bits(15, 18)};
    case PenPattern::DashDotDot: return {24, Bits(0, 9) | Bits(12, 15) | Bits(18, 21)};
    case PenPattern::Alternate: return {2, 1};
  }
  return {1, 1};
}

// Collects pixels, visited in line order, into runs of equal on/off state.
class RunCollector {
 public:
  RunCollector(SpanList& on, SpanList* gaps) : on_(on), gaps_(gaps) {}
  ~RunCollector() { Flush(); }

  void Add(std::int32_t x, std::int32_t y, bool on) {
    if (!on && gaps_ == nullptr) return;
    if (open_ && y == y_ && on == on_state_ && (x == x1_ || x == x0_ - 1)) {
      x0_ = std::min(x0_, x);
      x1_ = std::max(x1_, x + 1);
      return;
    }
    Flush();
    open_ = true;
    y_ = y;
    x0_ = x;
    x1_ = x + 1;
    on_state_ = on;
  }

  void Flush() {
    if (!open_) return;
    (on_state_ ? on_ : *gaps_).push_back(Span{y_, x0_, x1_});
    open_ = false;
  }

 private:
  SpanList& on_;
  SpanList* gaps_;
  bool open_ = false;
  bool on_state_ = true;
  std::int32_t y_ = 0, x0_ = 0, x1_ = 0;
};

// First k in [lo, hi) with pred(k) true, for pred false..false true..true; hi if none.
template <typename Pred>
std::int64_t FirstTrue(std::int64_t lo, std::int64_t hi, Pred pred) {
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (pred(mid)) hi = mid;
    else lo = mid + 1;
  }
  return lo;
}

// Appends the pixels of one line (unsorted) and moves the dash position on.
void AppendLine(TPoint a, TPoint b, LineEnd end, DashState& dash, const TRect& clip, RunCollector& runs) {
  const std::int64_t dx = std::int64_t{b.x} - a.x;
  const std::int64_t dy = std::int64_t{b.y} - a.y;
  const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  const std::int64_t count = n + (end == LineEnd::IncludeLast ? 1 : 0);
  if (count == 0) return;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t major0 = xMajor ? a.x : a.y;
  const std::int64_t minor0 = xMajor ? a.y : a.x;
  const std::int64_t majorStep = (xMajor ? dx : dy) >= 0 ? 1 : -1;
  const std::int64_t dMinor = xMajor ? dy : dx;
  const std::int64_t majLo = xMajor ? clip.Left : clip.Top, majHi = xMajor ? clip.Right : clip.Bottom;
  const std::int64_t minLo = xMajor ? clip.Top : clip.Left, minHi = xMajor ? clip.Bottom : clip.Right;

  // Pixel k: major0 + k * majorStep, minor0 + round(k * dMinor / n) with an
  // exact half rounding down: ceil((2 k dMinor - n) / 2n).
  const auto minorAt = [&](std::int64_t k) -> std::int64_t {
    if (n == 0) return minor0;
    return minor0 + detail::CeilDiv(Int128{2} * k * dMinor - n, Int128{2} * n);
  };

  std::int64_t kLo = 0, kHi = count;
  if (majorStep > 0) {
    kLo = std::max(kLo, majLo - major0);
    kHi = std::min(kHi, majHi - major0);
  } else {
    kLo = std::max(kLo, major0 - majHi + 1);
    kHi = std::min(kHi, major0 - majLo + 1);
  }
  if (kLo < kHi) {
    // The minor coordinate is monotonic in k: bisect the rows/columns of the clip.
    if (dMinor >= 0) {
      const std::int64_t first = FirstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) >= minLo; });
      kHi = FirstTrue(first, kHi, [&](std::int64_t k) { return minorAt(k) >= minHi; });
      kLo = first;
    } else {
      const std::int64_t first = FirstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) < minHi; });
      kHi = FirstTrue(first, kHi, [&](std::int64_t k) { return minorAt(k) < minLo; });
      kLo = first;
    }
  }
  if (kLo < kHi) {
    // Incremental exact stepping: minor offset q = ceil(N / den), N = q * den - rem.
    const std::int64_t den = 2 * std::max<std::int64_t>(n, 1);
    const Int128 n0 = Int128{2} * kLo * dMinor - n;
    std::int64_t q = n == 0 ? 0 : detail::CeilDiv(n0, den);
    std::int64_t rem = n == 0 ? 0 : static_cast<std::int64_t>(Int128{q} * den - n0);
    const std::int64_t stepQ = detail::FloorDiv(Int128{2} * dMinor, den);
    const std::int64_t stepR = 2 * dMinor - stepQ * den;
    for (std::int64_t k = kLo; k < kHi; ++k) {
      const auto major = static_cast<std::int32_t>(major0 + k * majorStep);
      const auto minor = static_cast<std::int32_t>(minor0 + q);
      const bool on = dash.IsOnAt(static_cast<std::uint64_t>(k));
      if (xMajor) runs.Add(major, minor, on);
      else runs.Add(minor, major, on);
      q += stepQ;
      rem -= stepR;
      if (rem < 0) {
        rem += den;
        ++q;
      }
    }
  }
  dash.Advance(static_cast<std::uint64_t>(count));
}

void Finish(SpanList& on, SpanList* gaps) {
  NormaliseSpans(on);
  if (gaps != nullptr) {
    NormaliseSpans(*gaps);
    *gaps = SubtractSpans(*gaps, on);
  }
}

void AppendPolyline(const TPoint* pts, std::size_t n, PathClosure closure, PenPattern pattern, const TRect& clip,
                    RunCollector& runs) {
  if (pts == nullptr || n < 2) return;
  DashState dash(pattern);
  for (std::size_t i = 0; i + 1 < n; ++i) AppendLine(pts[i], pts[i + 1], LineEnd::ExcludeLast, dash, clip, runs);
  if (closure == PathClosure::Closed) AppendLine(pts[n - 1], pts[0], LineEnd::ExcludeLast, dash, clip, runs);
}

}  // namespace

DashState::DashState(PenPattern pattern) : pattern_(pattern) {}

bool DashState::IsOnAt(std::uint64_t ahead) const {
  const PatternDef def = Definition(pattern_);
  const std::uint64_t pos = (phase_ + ahead % def.period) % def.period;
  return ((def.onMask >> pos) & 1u) != 0;
}

void DashState::Advance(std::uint64_t pixels) {
  const PatternDef def = Definition(pattern_);
  phase_ = static_cast<std::uint32_t>((phase_ + pixels % def.period) % def.period);
}

SpanList ThinLineSpans(TPoint a, TPoint b, LineEnd end, DashState& dash, const TRect& clip, SpanList* gaps) {
  SpanList on;
  if (gaps != nullptr) gaps->clear();
  {
    RunCollector runs(on, gaps);
    AppendLine(a, b, end, dash, clip, runs);
  }
  Finish(on, gaps);
  return on;
}

SpanList ThinPolylineSpans(const TPoint* pts, std::size_t n, PathClosure closure, PenPattern pattern,
                           const TRect& clip, SpanList* gaps) {
  SpanList on;
  if (gaps != nullptr) gaps->clear();
  {
    RunCollector runs(on, gaps);
    AppendPolyline(pts, n, closure, pattern, clip, runs);
  }
  Finish(on, gaps);
  return on;
}

SpanList ThinPolyPolylineSpans(const TPoint* pts, const int* counts, std::size_t polyCount, PathClosure closure,
                               PenPattern pattern, const TRect& clip, SpanList* gaps) {
  SpanList on;
  if (gaps != nullptr) gaps->clear();
  if (pts != nullptr && counts != nullptr) {
    RunCollector runs(on, gaps);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < polyCount; ++i) {
      const std::size_t count = counts[i] > 0 ? static_cast<std::size_t>(counts[i]) : 0;
      AppendPolyline(pts + offset, count, closure, pattern, clip, runs);
      offset += count;
    }
  }
  Finish(on, gaps);
  return on;
}

}  // namespace vx::plat::gdi
