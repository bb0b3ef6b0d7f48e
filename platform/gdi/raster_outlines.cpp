#include "platform/gdi/raster_outlines.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/raster_internal.h"
#include "platform/gdi/raster_spans.h"

namespace vx::plat::gdi {
namespace {

using detail::ArcSector;
using detail::EllipseRows;
using detail::RowFigure;

bool ClipUsable(const TRect& clip) { return clip.Left < clip.Right && clip.Top < clip.Bottom; }

// Calls visit(x0, x1, y) for the outline runs of the figure inside clip,
// walking down the rows with a window of three row intervals.
template <typename Visit>
void ForEachBoundaryRun(const RowFigure& fig, const TRect& clip, Visit visit) {
  if (fig.Empty() || !ClipUsable(clip)) return;
  const std::int64_t y0 = std::max<std::int64_t>(fig.top, clip.Top);
  const std::int64_t y1 = std::min<std::int64_t>(fig.bottom, clip.Bottom);
  const auto rowOf = [&](std::int64_t y, std::int64_t& a, std::int64_t& b) {
    a = b = 0;
    if (y >= fig.top && y < fig.bottom) fig.Row(y, a, b);
  };
  std::int64_t up0 = 0, up1 = 0, cur0 = 0, cur1 = 0, down0 = 0, down1 = 0;
  if (y0 < y1) {
    rowOf(y0 - 1, up0, up1);
    rowOf(y0, cur0, cur1);
  }
  for (std::int64_t y = y0; y < y1; ++y) {
    rowOf(y + 1, down0, down1);
    std::int64_t b[4];
    detail::BoundaryFromRows(cur0, cur1, up0, up1, down0, down1, b[0], b[1], b[2], b[3]);
    for (int i = 0; i < 4; i += 2) {
      const std::int64_t a = std::max<std::int64_t>(b[i], clip.Left);
      const std::int64_t e = std::min<std::int64_t>(b[i + 1], clip.Right);
      if (a < e) visit(a, e, y);
    }
    up0 = cur0;
    up1 = cur1;
    cur0 = down0;
    cur1 = down1;
  }
}

SpanList BoundarySpans(const RowFigure& fig, const TRect& clip) {
  SpanList out;
  ForEachBoundaryRun(fig, clip, [&](std::int64_t a, std::int64_t e, std::int64_t y) {
    out.push_back(Span{static_cast<std::int32_t>(y), static_cast<std::int32_t>(a), static_cast<std::int32_t>(e)});
  });
  NormaliseSpans(out);
  return out;
}

struct OutlinePixel {
  std::int32_t x, y;
  std::int64_t cx, cy;  // doubled, centred on the box, y up
};

// Outline pixels of the figure inside clip whose direction from the box
// centre lies in the sector, in counter-clockwise order from its start.
std::vector<OutlinePixel> OrderedOutline(const RowFigure& fig, const TRect& box, const ArcSector& sector,
                                         const TRect& clip) {
  const TRect n = NormalisedRect(box);
  const std::int64_t sumX = std::int64_t{n.Left} + n.Right;
  const std::int64_t sumY = std::int64_t{n.Top} + n.Bottom;
  std::vector<OutlinePixel> pixels;
  ForEachBoundaryRun(fig, clip, [&](std::int64_t a, std::int64_t e, std::int64_t y) {
    const std::int64_t cy = -(2 * y + 1 - sumY);
    for (std::int64_t x = a; x < e; ++x) {
      const std::int64_t cx = 2 * x + 1 - sumX;
      if (sector.Contains(cx, cy)) {
        pixels.push_back(OutlinePixel{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), cx, cy});
      }
    }
  });
  std::sort(pixels.begin(), pixels.end(), [&](const OutlinePixel& p, const OutlinePixel& q) {
    return sector.AngleLess(p.cx, p.cy, q.cx, q.cy);
  });
  return pixels;
}

// Pixels in order, split into drawn and gap spans by the dash pattern.
void ApplyPattern(const std::vector<OutlinePixel>& pixels, DashState& dash, SpanList& on, SpanList* gaps) {
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const Span s{pixels[i].y, pixels[i].x, pixels[i].x + 1};
    if (dash.IsOnAt(i)) on.push_back(s);
    else if (gaps != nullptr) gaps->push_back(s);
  }
  dash.Advance(pixels.size());
}

void Finish(SpanList& on, SpanList* gaps) {
  NormaliseSpans(on);
  if (gaps != nullptr) {
    NormaliseSpans(*gaps);
    *gaps = SubtractSpans(*gaps, on);
  }
}

// Closed curved outline (ellipse, round rectangle), patterned from angle zero.
SpanList CurvedOutline(const RowFigure& fig, const TRect& box, PenPattern pattern, const TRect& clip,
                       SpanList* gaps) {
  if (gaps != nullptr) gaps->clear();
  if (pattern == PenPattern::Solid) return BoundarySpans(fig, clip);
  SpanList on;
  DashState dash(pattern);
  ApplyPattern(OrderedOutline(fig, box, ArcSector::WholeTurn(), clip), dash, on, gaps);
  Finish(on, gaps);
  return on;
}

// Angle in [0, 2 pi) from the sector's start to the direction (X, Yup).
long double AngleFromStart(const ArcSector& sector, long double X, long double Yup) {
  const long double sx = static_cast<long double>(sector.sx), sy = static_cast<long double>(sector.sy);
  long double a = std::atan2(sx * Yup - sy * X, sx * X + sy * Yup);
  if (a < 0) a += 2 * std::numbers::pi_v<long double>;
  return a;
}

long double Sweep(const ArcSector& sector) {
  if (sector.full) return 2 * std::numbers::pi_v<long double>;
  const long double a = AngleFromStart(sector, static_cast<long double>(sector.ex), static_cast<long double>(sector.ey));
  return a > 0 ? a : 2 * std::numbers::pi_v<long double>;
}

// The pixel the radials of a pie meet at: the centre pixel, or for even box
// sizes the one of the two or four middle pixels that lies deepest in the
// sector, so the radials stay inside the filled pie.
TPoint PieCentrePixel(const EllipseRows& ellipse, const ArcSector& sector) {
  const std::int64_t sumX = ellipse.left + ellipse.right, sumY = ellipse.top + ellipse.bottom;
  const std::int64_t xs[2] = {detail::FloorDiv(sumX - 1, 2), detail::FloorDiv(sumX, 2)};
  const std::int64_t ys[2] = {detail::FloorDiv(sumY - 1, 2), detail::FloorDiv(sumY, 2)};
  const long double middle = Sweep(sector) / 2;
  TPoint best{static_cast<std::int32_t>(xs[1]), static_cast<std::int32_t>(ys[1])};
  long double bestMiss = 1e30L;
  for (const std::int64_t y : ys) {
    for (const std::int64_t x : xs) {
      const std::int64_t cx = ellipse.CentredX(x), cy = -ellipse.CentredY(y);
      const long double miss =
          cx == 0 && cy == 0 ? 0 : std::abs(AngleFromStart(sector, static_cast<long double>(cx), static_cast<long double>(cy)) - middle);
      if (miss < bestMiss) {
        bestMiss = miss;
        best = TPoint{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
      }
    }
  }
  return best;
}

// The outline pixel whose direction from the centre is closest to the
// radial (dx, dyUp); with `inside`, pixels in that sector win ties and near-ties.
TPoint NearestOutlinePixel(const EllipseRows& ellipse, std::int64_t dx, std::int64_t dyUp, const ArcSector* inside) {
  long double px = 0, py = 0;
  detail::RadialOnEllipse(ellipse, dx, dyUp, px, py);
  // Back from doubled centred coordinates to pixel coordinates.
  const long double u = (px + static_cast<long double>(ellipse.left + ellipse.right)) / 2;
  const long double v = (-py + static_cast<long double>(ellipse.top + ellipse.bottom)) / 2;
  const long double len = std::hypot(static_cast<long double>(dx), static_cast<long double>(dyUp));
  const std::int64_t fu = detail::FloorLD(u), fv = detail::FloorLD(v);
  TPoint best{static_cast<std::int32_t>(std::clamp(fu, ellipse.left, ellipse.right - 1)),
              static_cast<std::int32_t>(std::clamp(fv, ellipse.top, ellipse.bottom - 1))};
  long double bestScore = -1e30L;
  const auto consider = [&](std::int64_t x, std::int64_t y) {
    const std::int64_t cx = ellipse.CentredX(x), cy = -ellipse.CentredY(y);
    const long double plen = std::hypot(static_cast<long double>(cx), static_cast<long double>(cy));
    long double score = plen > 0 ? (static_cast<long double>(cx) * dx + static_cast<long double>(cy) * dyUp) / (plen * len) : 1;
    if (inside != nullptr && inside->Contains(cx, cy)) score += 1e-9L;
    if (score > bestScore) {
      bestScore = score;
      best = TPoint{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    }
  };
  const std::int64_t y0 = std::max(fv - 2, ellipse.top), y1 = std::min(fv + 2, ellipse.bottom - 1);
  for (std::int64_t y = y0; y <= y1; ++y) {
    std::int64_t b[4];
    detail::BoundaryWalls(ellipse, y, b[0], b[1], b[2], b[3]);
    for (int i = 0; i < 4; i += 2) {
      if (b[i] >= b[i + 1]) continue;
      consider(b[i], y);
      consider(b[i + 1] - 1, y);
      const std::int64_t x0 = std::max(fu - 3, b[i]), x1 = std::min(fu + 3, b[i + 1] - 1);
      for (std::int64_t x = x0; x <= x1; ++x) consider(x, y);
    }
  }
  return best;
}

enum class ArcClosure { None, Chord, Pie };

SpanList ArcFigure(const TRect& box, TPoint start, TPoint end, ArcClosure closure, PenPattern pattern,
                   const TRect& clip, SpanList* gaps) {
  if (gaps != nullptr) gaps->clear();
  const EllipseRows ellipse(box);
  if (ellipse.Empty() || !ClipUsable(clip)) return {};
  const ArcSector sector(ellipse, start, end);
  SpanList on;
  DashState dash(pattern);
  ApplyPattern(OrderedOutline(ellipse, box, sector, clip), dash, on, gaps);
  const TPoint first = NearestOutlinePixel(ellipse, sector.sx, sector.sy, &sector);
  const TPoint last = NearestOutlinePixel(ellipse, sector.ex, sector.ey, &sector);
  SpanList lineGaps;
  SpanList* lineGapsOut = gaps != nullptr ? &lineGaps : nullptr;
  // The closing line ends on the arc's first pixel, which may lie a hair
  // outside the sector, so it is drawn with its end point.
  const auto addLine = [&](TPoint a, TPoint b, LineEnd lineEnd) {
    const SpanList line = ThinLineSpans(a, b, lineEnd, dash, clip, lineGapsOut);
    on.insert(on.end(), line.begin(), line.end());
    if (gaps != nullptr) gaps->insert(gaps->end(), lineGaps.begin(), lineGaps.end());
  };
  if (closure == ArcClosure::Chord) {
    addLine(last, first, LineEnd::IncludeLast);
  } else if (closure == ArcClosure::Pie) {
    const TPoint centre = PieCentrePixel(ellipse, sector);
    addLine(last, centre, LineEnd::ExcludeLast);
    addLine(centre, first, LineEnd::IncludeLast);
  }
  Finish(on, gaps);
  return on;
}

}  // namespace

SpanList RectOutlineSpans(const TRect& box, PenPattern pattern, const TRect& clip, SpanList* gaps) {
  if (gaps != nullptr) gaps->clear();
  const detail::RectRows rect(box);
  if (rect.Empty()) return {};
  if (pattern == PenPattern::Solid) return BoundarySpans(rect, clip);
  const auto l = static_cast<std::int32_t>(rect.left), r = static_cast<std::int32_t>(rect.right - 1);
  const auto t = static_cast<std::int32_t>(rect.top), b = static_cast<std::int32_t>(rect.bottom - 1);
  const TPoint corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  return ThinPolylineSpans(corners, 4, PathClosure::Closed, pattern, clip, gaps);
}

SpanList EllipseOutlineSpans(const TRect& box, PenPattern pattern, const TRect& clip, SpanList* gaps) {
  return CurvedOutline(EllipseRows(box), box, pattern, clip, gaps);
}

SpanList RoundRectOutlineSpans(const TRect& box, int ellipseWidth, int ellipseHeight, PenPattern pattern,
                               const TRect& clip, SpanList* gaps) {
  return CurvedOutline(detail::RoundRectRows(box, ellipseWidth, ellipseHeight), box, pattern, clip, gaps);
}

SpanList ArcOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern, const TRect& clip,
                         SpanList* gaps) {
  return ArcFigure(box, start, end, ArcClosure::None, pattern, clip, gaps);
}

SpanList ChordOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern, const TRect& clip,
                           SpanList* gaps) {
  return ArcFigure(box, start, end, ArcClosure::Chord, pattern, clip, gaps);
}

SpanList PieOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern, const TRect& clip,
                         SpanList* gaps) {
  return ArcFigure(box, start, end, ArcClosure::Pie, pattern, clip, gaps);
}

TPoint ArcEndPixel(const TRect& box, TPoint radial) {
  const EllipseRows ellipse(box);
  if (ellipse.Empty()) {
    const TRect n = NormalisedRect(box);
    return TPoint{n.Left, n.Top};
  }
  std::int64_t dx = 2 * std::int64_t{radial.x} - (ellipse.left + ellipse.right);
  const std::int64_t dy = -(2 * std::int64_t{radial.y} - (ellipse.top + ellipse.bottom));
  if (dx == 0 && dy == 0) dx = 1;
  return NearestOutlinePixel(ellipse, dx, dy, nullptr);
}

ArcEnds ArcEndPixels(const TRect& box, TPoint start, TPoint end) {
  const EllipseRows ellipse(box);
  if (ellipse.Empty()) {
    const TRect n = NormalisedRect(box);
    return ArcEnds{TPoint{n.Left, n.Top}, TPoint{n.Left, n.Top}};
  }
  const ArcSector sector(ellipse, start, end);
  return ArcEnds{NearestOutlinePixel(ellipse, sector.sx, sector.sy, &sector),
                 NearestOutlinePixel(ellipse, sector.ex, sector.ey, &sector)};
}

}  // namespace vx::plat::gdi
