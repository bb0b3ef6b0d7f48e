#include "platform/gdi/raster_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/raster_internal.h"
#include "platform/gdi/raster_spans.h"

namespace vx::plat::gdi {
namespace detail {

namespace {
constexpr std::int64_t kFar = std::int64_t{1} << 62;  // "no bound" for half-plane solutions
}  // namespace

RectRows::RectRows(const TRect& box) {
  const TRect n = NormalisedRect(box);
  left = n.Left;
  right = n.Right;
  top = n.Top;
  bottom = n.Bottom;
  if (left >= right) bottom = top;
}

std::int64_t RectRows::Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const {
  x0 = left;
  x1 = right;
  return bottom;
}

EllipseRows::EllipseRows(const TRect& box) {
  const TRect n = NormalisedRect(box);
  left = n.Left;
  right = n.Right;
  top = n.Top;
  bottom = n.Bottom;
  if (left >= right) bottom = top;
}

std::int64_t EllipseRows::HalfWidth(std::int64_t y) const {
  const std::int64_t w = Width();
  const std::int64_t h = Height();
  const std::int64_t cy = CentredY(y);
  // X = 2x + 1 - (left + right) is odd for even widths, even for odd ones.
  const std::int64_t parity = (w % 2 == 0) ? 1 : 0;
  // The middle row(s) span the whole box, so the outline reaches both sides.
  if (cy >= -1 && cy <= 1) return w - 1;
  // A pixel centre lies inside when X^2 / W^2 + Y^2 / H^2 <= 1.
  const long double rest = static_cast<long double>(h - cy) * static_cast<long double>(h + cy);
  std::int64_t x = FloorLD(static_cast<long double>(w) * std::sqrt(rest) / static_cast<long double>(h));
  if (((x - parity) % 2) != 0) --x;
  constexpr std::int64_t kExactLimit = std::int64_t{1} << 30;
  if (w <= kExactLimit && h <= kExactLimit) {
    // Settle rounding of the floating estimate with exact arithmetic.
    const Int128 rhs = Int128{w} * w * (Int128{h - cy} * (h + cy));
    const auto fits = [&](std::int64_t v) { return Int128{v} * v * (Int128{h} * h) <= rhs; };
    while (x >= parity && !fits(x)) x -= 2;
    while (x + 2 <= w - 1 && fits(x + 2)) x += 2;
  }
  // Every row keeps its middle pixel(s), so a thin ellipse stays connected.
  return std::clamp(x, parity, w - 1);
}

std::int64_t EllipseRows::Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const {
  if (y < top || y >= bottom) {
    x0 = x1 = 0;
    return y + 1;
  }
  const std::int64_t half = HalfWidth(y);
  x0 = (-half + left + right - 1) / 2;  // exact: the numerator is even
  x1 = (half + left + right - 1) / 2 + 1;
  return y + 1;
}

RoundRectRows::RoundRectRows(const TRect& box, int ellipseWidth, int ellipseHeight) {
  const TRect n = NormalisedRect(box);
  left = n.Left;
  right = n.Right;
  top = n.Top;
  bottom = n.Bottom;
  if (left >= right) bottom = top;
  // Corner ellipses larger than the box (or than Int32) are the box's own.
  ew_ = std::min<std::int64_t>({std::llabs(ellipseWidth), right - left, kInt32Max});
  eh_ = std::min<std::int64_t>({std::llabs(ellipseHeight), bottom - top, kInt32Max});
  if (ew_ == 0 || eh_ == 0) {
    ew_ = eh_ = 0;  // square corners
  } else {
    corner_ = EllipseRows(TRect{0, 0, static_cast<std::int32_t>(ew_), static_cast<std::int32_t>(eh_)});
  }
}

std::int64_t RoundRectRows::Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const {
  const std::int64_t half = eh_ / 2;
  std::int64_t cornerRow = -1;
  if (y < top + half) cornerRow = y - top;
  else if (y >= bottom - half) cornerRow = eh_ - (bottom - y);
  if (cornerRow < 0) {
    x0 = left;
    x1 = right;
    return bottom - half;
  }
  std::int64_t c0 = 0, c1 = 0;
  corner_.Row(cornerRow, c0, c1);
  x0 = left + c0;
  x1 = right - (ew_ - c1);
  return y + 1;
}

void BoundaryFromRows(std::int64_t a0, std::int64_t a1, std::int64_t u0, std::int64_t u1, std::int64_t d0,
                      std::int64_t d1, std::int64_t& x0, std::int64_t& x1, std::int64_t& x2, std::int64_t& x3) {
  x0 = x1 = x2 = x3 = a0;
  if (a0 >= a1) return;
  // Interior pixels: not the row's ends, and with pixels above and below.
  std::int64_t i0 = std::max({a0 + 1, u0, d0});
  std::int64_t i1 = std::min({a1 - 1, u1, d1});
  if (u0 >= u1 || d0 >= d1) i1 = i0;
  if (i0 >= i1) {
    x1 = x2 = x3 = a1;
    return;
  }
  x1 = i0;
  x2 = i1;
  x3 = a1;
}

void BoundaryWalls(const RowFigure& fig, std::int64_t y, std::int64_t& x0, std::int64_t& x1, std::int64_t& x2,
                   std::int64_t& x3) {
  std::int64_t r[6] = {0, 0, 0, 0, 0, 0};
  fig.Row(y, r[0], r[1]);
  if (y - 1 >= fig.top && y - 1 < fig.bottom) fig.Row(y - 1, r[2], r[3]);
  if (y + 1 >= fig.top && y + 1 < fig.bottom) fig.Row(y + 1, r[4], r[5]);
  BoundaryFromRows(r[0], r[1], r[2], r[3], r[4], r[5], x0, x1, x2, x3);
}

ArcSector::ArcSector(const EllipseRows& ellipse, TPoint start, TPoint end) {
  const std::int64_t sumX = ellipse.left + ellipse.right;
  const std::int64_t sumY = ellipse.top + ellipse.bottom;
  sx = 2 * std::int64_t{start.x} - sumX;
  sy = -(2 * std::int64_t{start.y} - sumY);
  ex = 2 * std::int64_t{end.x} - sumX;
  ey = -(2 * std::int64_t{end.y} - sumY);
  // A radial through the centre itself has no direction: take angle zero.
  if (sx == 0 && sy == 0) sx = 1;
  if (ex == 0 && ey == 0) ex = 1;
  const Int128 cross = Int128{sx} * ey - Int128{sy} * ex;
  const Int128 dot = Int128{sx} * ex + Int128{sy} * ey;
  full = cross == 0 && dot > 0;
  reflex = cross < 0;
}

ArcSector ArcSector::WholeTurn() {
  ArcSector s;
  s.sx = s.ex = 1;
  s.sy = s.ey = 0;
  s.full = true;
  s.reflex = false;
  return s;
}

bool ArcSector::Contains(std::int64_t X, std::int64_t Yup) const {
  if (full) return true;
  const bool afterStart = Int128{sx} * Yup - Int128{sy} * X >= 0;
  const bool beforeEnd = Int128{X} * ey - Int128{Yup} * ex >= 0;
  return reflex ? (afterStart || beforeEnd) : (afterStart && beforeEnd);
}

bool ArcSector::AngleLess(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2) const {
  const bool zero1 = X1 == 0 && Y1 == 0;
  const bool zero2 = X2 == 0 && Y2 == 0;
  if (zero1 || zero2) return zero1 && !zero2;
  const auto halfTurn = [&](std::int64_t X, std::int64_t Y) {
    const Int128 c = Int128{sx} * Y - Int128{sy} * X;
    const Int128 d = Int128{sx} * X + Int128{sy} * Y;
    return (c > 0 || (c == 0 && d > 0)) ? 0 : 1;
  };
  const int h1 = halfTurn(X1, Y1), h2 = halfTurn(X2, Y2);
  if (h1 != h2) return h1 < h2;
  const Int128 c = Int128{X1} * Y2 - Int128{Y1} * X2;
  if (c != 0) return c > 0;
  return Int128{X1} * X1 + Int128{Y1} * Y1 < Int128{X2} * X2 + Int128{Y2} * Y2;
}

void RadialOnEllipse(const EllipseRows& ellipse, std::int64_t dx, std::int64_t dy, long double& px,
                     long double& py) {
  const long double w = static_cast<long double>(ellipse.Width());
  const long double h = static_cast<long double>(ellipse.Height());
  const long double fx = static_cast<long double>(dx) / w;
  const long double fy = static_cast<long double>(dy) / h;
  const long double len = std::sqrt(fx * fx + fy * fy);
  if (!(len > 0)) {
    px = w;
    py = 0;
    return;
  }
  px = static_cast<long double>(dx) / len;
  py = static_cast<long double>(dy) / len;
}

namespace {

struct XRange {
  std::int64_t lo, hi;  // [lo, hi)
};

// Integer x with A * (2x + c) + B >= 0 (exact).
XRange SolveHalfPlane(Int128 a, Int128 b, std::int64_t c) {
  const Int128 k = -(a * c + b);
  if (a > 0) return XRange{CeilDiv(k, 2 * a), kFar};
  if (a < 0) return XRange{-kFar, FloorDiv(-k, -2 * a) + 1};
  return b >= 0 ? XRange{-kFar, kFar} : XRange{0, 0};
}

// The same in floating point (chords, whose end points are not lattice points).
XRange SolveHalfPlaneLD(long double a, long double b, std::int64_t c) {
  const long double k = -(a * static_cast<long double>(c) + b);
  if (a > 0) return XRange{CeilLD(k / (2 * a)), kFar};
  if (a < 0) return XRange{-kFar, FloorLD(k / (2 * a)) + 1};
  return b >= 0 ? XRange{-kFar, kFar} : XRange{0, 0};
}

XRange Intersect(XRange a, XRange b) { return XRange{std::max(a.lo, b.lo), std::min(a.hi, b.hi)}; }

void PushRange(XRange r, std::vector<std::int32_t>& walls) {
  if (r.lo >= r.hi) return;
  const auto lo = ClampTo32(r.lo), hi = ClampTo32(r.hi);
  if (!walls.empty() && walls.back() >= lo) {
    walls.back() = std::max(walls.back(), hi);
    return;
  }
  walls.push_back(lo);
  walls.push_back(hi);
}

XRange EllipseRowRange(const EllipseRows& ellipse, std::int64_t y, std::int64_t xMin, std::int64_t xMax) {
  XRange r{0, 0};
  ellipse.Row(y, r.lo, r.hi);
  return Intersect(r, XRange{xMin, xMax});
}

}  // namespace

void PieRowWalls(const EllipseRows& ellipse, const ArcSector& sector, std::int64_t y, std::int64_t xMin,
                 std::int64_t xMax, std::vector<std::int32_t>& walls) {
  const XRange row = EllipseRowRange(ellipse, y, xMin, xMax);
  if (row.lo >= row.hi) return;
  if (sector.full) {
    PushRange(row, walls);
    return;
  }
  const std::int64_t c = 1 - (ellipse.left + ellipse.right);
  const std::int64_t yUp = -ellipse.CentredY(y);
  const XRange afterStart = SolveHalfPlane(-Int128{sector.sy}, Int128{sector.sx} * yUp, c);
  const XRange beforeEnd = SolveHalfPlane(Int128{sector.ey}, -Int128{sector.ex} * yUp, c);
  if (!sector.reflex) {
    PushRange(Intersect(row, Intersect(afterStart, beforeEnd)), walls);
    return;
  }
  XRange a = Intersect(row, afterStart), b = Intersect(row, beforeEnd);
  if (a.lo > b.lo || (a.lo >= a.hi)) std::swap(a, b);
  PushRange(a, walls);
  PushRange(b, walls);
}

void ChordRowWalls(const EllipseRows& ellipse, const ArcSector& sector, std::int64_t y, std::int64_t xMin,
                   std::int64_t xMax, std::vector<std::int32_t>& walls) {
  const XRange row = EllipseRowRange(ellipse, y, xMin, xMax);
  if (row.lo >= row.hi) return;
  if (sector.full) {
    PushRange(row, walls);
    return;
  }
  long double spx, spy, epx, epy;
  RadialOnEllipse(ellipse, sector.sx, sector.sy, spx, spy);
  RadialOnEllipse(ellipse, sector.ex, sector.ey, epx, epy);
  // The arc lies on the right of the chord run from its start to its end
  // (y up): keep points P with cross(E - S, P - S) <= 0.
  const long double yUp = static_cast<long double>(-ellipse.CentredY(y));
  const long double a = epy - spy;
  const long double b = -(epx - spx) * (yUp - spy) - (epy - spy) * spx;
  const std::int64_t c = 1 - (ellipse.left + ellipse.right);
  PushRange(Intersect(row, SolveHalfPlaneLD(a, b, c)), walls);
}

// Spans of a row figure inside clip, reusing a row's interval for the rows
// the figure reports as equal.
SpanList FigureSpans(const RowFigure& fig, const TRect& clip) {
  SpanList out;
  const std::int64_t y0 = std::max<std::int64_t>(fig.top, clip.Top);
  const std::int64_t y1 = std::min<std::int64_t>(fig.bottom, clip.Bottom);
  for (std::int64_t y = y0; y < y1;) {
    std::int64_t a = 0, b = 0;
    const std::int64_t next = std::min(std::max(fig.Row(y, a, b), y + 1), y1);
    a = std::max<std::int64_t>(a, clip.Left);
    b = std::min<std::int64_t>(b, clip.Right);
    for (; y < next; ++y) {
      if (a < b) out.push_back(Span{static_cast<std::int32_t>(y), static_cast<std::int32_t>(a),
                                    static_cast<std::int32_t>(b)});
    }
  }
  return out;
}

}  // namespace detail

namespace {

bool ClipUsable(const TRect& clip) { return clip.Left < clip.Right && clip.Top < clip.Bottom; }

SpanList ScanPolygons(const std::vector<detail::FixedEdge>& edges, FillMode mode, const TRect& clip) {
  SpanList out;
  if (!ClipUsable(clip)) return out;
  detail::ScanEdges(edges, mode, clip.Top, clip.Bottom, clip.Left, clip.Right,
                    std::numeric_limits<std::int64_t>::max(),
                    [&](std::int64_t top, std::int64_t bottom, const std::vector<std::int32_t>& walls) {
                      for (std::int64_t y = top; y < bottom; ++y) detail::AppendRowSpans(y, walls, out);
                    });
  return out;
}

template <typename RowWallsFn>
SpanList SectorSpans(const TRect& box, const TRect& clip, RowWallsFn rowWalls) {
  SpanList out;
  const detail::EllipseRows ellipse(box);
  if (ellipse.Empty() || !ClipUsable(clip)) return out;
  const std::int64_t y0 = std::max<std::int64_t>(ellipse.top, clip.Top);
  const std::int64_t y1 = std::min<std::int64_t>(ellipse.bottom, clip.Bottom);
  std::vector<std::int32_t> walls;
  for (std::int64_t y = y0; y < y1; ++y) {
    walls.clear();
    rowWalls(ellipse, y, walls);
    detail::AppendRowSpans(y, walls, out);
  }
  return out;
}

}  // namespace

SpanList RectSpans(const TRect& r, const TRect& clip) { return detail::FigureSpans(detail::RectRows(r), clip); }

SpanList PolygonSpans(const TPoint* pts, std::size_t n, FillMode mode, const TRect& clip) {
  if (pts == nullptr || n < 3) return {};
  std::vector<detail::FixedEdge> edges;
  detail::AppendPolygonEdges(pts, n, edges);
  return ScanPolygons(edges, mode, clip);
}

SpanList PolyPolygonSpans(const TPoint* pts, const int* counts, std::size_t polyCount, FillMode mode,
                          const TRect& clip) {
  if (pts == nullptr || counts == nullptr) return {};
  std::vector<detail::FixedEdge> edges;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < polyCount; ++i) {
    const std::size_t count = counts[i] > 0 ? static_cast<std::size_t>(counts[i]) : 0;
    if (count >= 3) detail::AppendPolygonEdges(pts + offset, count, edges);
    offset += count;
  }
  return ScanPolygons(edges, mode, clip);
}

SpanList EllipseSpans(const TRect& box, const TRect& clip) {
  return detail::FigureSpans(detail::EllipseRows(box), clip);
}

SpanList RoundRectSpans(const TRect& box, int ellipseWidth, int ellipseHeight, const TRect& clip) {
  return detail::FigureSpans(detail::RoundRectRows(box, ellipseWidth, ellipseHeight), clip);
}

SpanList ChordSpans(const TRect& box, TPoint start, TPoint end, const TRect& clip) {
  const detail::EllipseRows probe(box);
  if (probe.Empty()) return {};
  const detail::ArcSector sector(probe, start, end);
  return SectorSpans(box, clip, [&](const detail::EllipseRows& e, std::int64_t y, std::vector<std::int32_t>& w) {
    detail::ChordRowWalls(e, sector, y, clip.Left, clip.Right, w);
  });
}

SpanList PieSpans(const TRect& box, TPoint start, TPoint end, const TRect& clip) {
  const detail::EllipseRows probe(box);
  if (probe.Empty()) return {};
  const detail::ArcSector sector(probe, start, end);
  return SectorSpans(box, clip, [&](const detail::EllipseRows& e, std::int64_t y, std::vector<std::int32_t>& w) {
    detail::PieRowWalls(e, sector, y, clip.Left, clip.Right, w);
  });
}

}  // namespace vx::plat::gdi
