#include "platform/gdi/raster_wide.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/gdi/raster_internal.h"
#include "platform/gdi/raster_outlines.h"
#include "platform/gdi/raster_spans.h"

namespace vx::plat::gdi {
namespace {

using detail::FixedEdge;

constexpr double kMiterLimit = 10.0;  // miter length / pen width, the platform's default
constexpr double kFlatness = 0.125;   // largest distance in pixels between a curve and its chords
constexpr int kMaxWidth = 1 << 28;    // keeps fixed-point coordinates well inside 64 bits

struct PointF {
  double x, y;
};

struct PathVertex {
  PointF p;
  bool corner;  // true: the pen's join style; false: a point flattened from a curve (joined round)
};

double Cross(PointF a, PointF b) { return a.x * b.y - a.y * b.x; }
// Path coordinates stay below 2^33, so the plain formula cannot overflow.
double Length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }
double Dot(PointF a, PointF b) { return a.x * b.x + a.y * b.y; }

// Collects the pieces of a stroke (quads, join wedges as polygons; round
// caps and joins as discs) and rasterises their union.
class StrokeBuilder {
 public:
  StrokeBuilder(int width, const TRect& clip)
      : half_(std::min(width, kMaxWidth) / 2.0), clip_(clip) {
    const double margin = half_ + 2;
    cullL_ = clip.Left - margin;
    cullT_ = clip.Top - margin;
    cullR_ = clip.Right + margin;
    cullB_ = clip.Bottom + margin;
  }

  void AddPath(std::vector<PathVertex> path, PathClosure closure, CapStyle cap, JoinStyle join) {
    RemoveRepeats(path, closure);
    const std::size_t n = path.size();
    if (n < 2) return;
    const bool closed = closure == PathClosure::Closed;
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
      const PointF p = path[i].p, q = path[(i + 1) % n].p;
      const bool extendStart = !closed && cap == CapStyle::Square && i == 0;
      const bool extendEnd = !closed && cap == CapStyle::Square && i + 1 == segments;
      AddSegment(p, q, extendStart, extendEnd);
    }
    if (!closed && cap == CapStyle::Round) {
      AddDisc(path.front().p);
      AddDisc(path.back().p);
    }
    for (std::size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
      const PathVertex& v = path[i];
      const PointF prev = path[(i + n - 1) % n].p, next = path[(i + 1) % n].p;
      // Points flattened from a curve join round: a disc follows the curve's
      // offset exactly at the point, where a miter would overshoot it.
      AddJoin(prev, v.p, next, v.corner ? join : JoinStyle::Round);
    }
  }

  SpanList Finish() {
    SpanList out;
    if (coversClip_) return RectSpans(clip_, clip_);
    if (clip_.Left < clip_.Right && clip_.Top < clip_.Bottom) {
      detail::ScanEdges(edges_, FillMode::Winding, clip_.Top, clip_.Bottom, clip_.Left, clip_.Right,
                        std::numeric_limits<std::int64_t>::max(),
                        [&](std::int64_t top, std::int64_t bottom, const std::vector<std::int32_t>& walls) {
                          for (std::int64_t y = top; y < bottom; ++y) detail::AppendRowSpans(y, walls, out);
                        });
    }
    out.insert(out.end(), discs_.begin(), discs_.end());
    NormaliseSpans(out);
    return out;
  }

 private:
  static bool Same(PointF a, PointF b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; }

  static void RemoveRepeats(std::vector<PathVertex>& path, PathClosure closure) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (kept > 0 && Same(path[kept - 1].p, path[i].p)) {
        path[kept - 1].corner = path[kept - 1].corner || path[i].corner;
        continue;
      }
      path[kept++] = path[i];
    }
    path.resize(kept);
    if (closure == PathClosure::Closed && path.size() > 1 && Same(path.front().p, path.back().p)) {
      path.front().corner = path.front().corner || path.back().corner;
      path.pop_back();
    }
  }

  // Whether anything within the pen's reach of the box (x0..x1, y0..y1) can
  // touch the clip.
  bool NearClip(double x0, double y0, double x1, double y1) const {
    return std::max(x0, x1) + half_ >= cullL_ && std::min(x0, x1) - half_ <= cullR_ &&
           std::max(y0, y1) + half_ >= cullT_ && std::min(y0, y1) - half_ <= cullB_;
  }

  void AddSegment(PointF p, PointF q, bool extendStart, bool extendEnd) {
    if (coversClip_ || !NearClip(p.x, p.y, q.x, q.y)) return;
    const double len = Length(q.x - p.x, q.y - p.y);
    if (!(len > 0)) return;
    const PointF u{(q.x - p.x) / len, (q.y - p.y) / len};
    if (extendStart) p = PointF{p.x - u.x * half_, p.y - u.y * half_};
    if (extendEnd) q = PointF{q.x + u.x * half_, q.y + u.y * half_};
    const PointF nrm{-u.y * half_, u.x * half_};
    const PointF quad[4] = {{p.x + nrm.x, p.y + nrm.y},
                            {q.x + nrm.x, q.y + nrm.y},
                            {q.x - nrm.x, q.y - nrm.y},
                            {p.x - nrm.x, p.y - nrm.y}};
    AddPolygon(quad, 4);
  }

  void AddJoin(PointF prev, PointF v, PointF next, JoinStyle join) {
    // A join reaches at most the miter limit times the pen width from its vertex.
    const double reach = join == JoinStyle::Miter ? kMiterLimit * 2 : 1;
    if (coversClip_ || !NearClip(v.x - reach * half_, v.y - reach * half_, v.x + reach * half_, v.y + reach * half_)) {
      return;
    }
    const double l1 = Length(v.x - prev.x, v.y - prev.y);
    const double l2 = Length(next.x - v.x, next.y - v.y);
    if (!(l1 > 0) || !(l2 > 0)) return;
    const PointF u1{(v.x - prev.x) / l1, (v.y - prev.y) / l1};
    const PointF u2{(next.x - v.x) / l2, (next.y - v.y) / l2};
    if (join == JoinStyle::Round) {
      AddDisc(v);
      return;
    }
    const double turn = Cross(u1, u2);
    if (std::abs(turn) < 1e-12) return;  // straight on, or a reversal: nothing sticks out
    // The outer side of the corner is opposite to the turn.
    const double s = turn > 0 ? -1.0 : 1.0;
    const PointF n1{-u1.y * half_ * s, u1.x * half_ * s};
    const PointF n2{-u2.y * half_ * s, u2.x * half_ * s};
    const PointF a{v.x + n1.x, v.y + n1.y}, b{v.x + n2.x, v.y + n2.y};
    const double dot = Dot(u1, u2);
    const double cosHalf = std::sqrt(std::max(0.0, (1 + dot) / 2));
    if (join == JoinStyle::Miter && cosHalf * kMiterLimit >= 1) {
      const double k = 1 / (1 + dot);
      const PointF tip{v.x + (n1.x + n2.x) * k, v.y + (n1.y + n2.y) * k};
      const PointF wedge[4] = {v, a, tip, b};
      AddPolygon(wedge, 4);
      return;
    }
    const PointF wedge[3] = {v, a, b};
    AddPolygon(wedge, 3);
  }

  void AddPolygon(const PointF* pts, std::size_t n) {
    double minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
    double area = 0;
    for (std::size_t i = 0; i < n; ++i) {
      minX = std::min(minX, pts[i].x);
      maxX = std::max(maxX, pts[i].x);
      minY = std::min(minY, pts[i].y);
      maxY = std::max(maxY, pts[i].y);
      area += Cross(pts[i], pts[(i + 1) % n]);
    }
    if (maxX < cullL_ || minX > cullR_ || maxY < cullT_ || minY > cullB_) return;
    if (std::abs(area) < 1e-12) return;
    if (CoversClip(pts, n, area)) {
      coversClip_ = true;
      return;
    }
    // All pieces wind the same way, so the non-zero rule gives their union.
    for (std::size_t i = 0; i < n; ++i) {
      const PointF a = pts[area > 0 ? i : n - 1 - i];
      const PointF b = pts[area > 0 ? (i + 1) % n : (2 * n - 2 - i) % n];
      edges_.push_back(FixedEdge{Fix(a.x), Fix(a.y), Fix(b.x), Fix(b.y)});
    }
  }

  static std::int64_t Fix(double v) { return std::llround(v * detail::kFixOne); }

  // The pixel centres at the clip's corners (path coordinates).
  std::array<PointF, 4> ClipCorners() const {
    const double l = clip_.Left, t = clip_.Top, r = clip_.Right - 1.0, b = clip_.Bottom - 1.0;
    return {PointF{l, t}, PointF{r, t}, PointF{r, b}, PointF{l, b}};
  }

  // Whether the convex piece holds every pixel of the clip (then nothing
  // else matters: very wide pens reach this quickly).
  bool CoversClip(const PointF* pts, std::size_t n, double area) const {
    for (const PointF& c : ClipCorners()) {
      for (std::size_t i = 0; i < n; ++i) {
        const PointF a = pts[i], b = pts[(i + 1) % n];
        const PointF e{b.x - a.x, b.y - a.y};
        const double side = Cross(e, PointF{c.x - a.x, c.y - a.y}) * (area > 0 ? 1 : -1);
        if (side <= kCoverMargin * Length(e.x, e.y)) return false;
      }
    }
    return true;
  }

  void AddDisc(PointF c) {
    if (coversClip_) return;
    if (c.x + half_ < cullL_ || c.x - half_ > cullR_ || c.y + half_ < cullT_ || c.y - half_ > cullB_) return;
    const double inner = half_ - kCoverMargin;
    bool all = inner > 0;
    for (const PointF& k : ClipCorners()) all = all && Length(k.x - c.x, k.y - c.y) < inner;
    if (all) {
      coversClip_ = true;
      return;
    }
    const std::int64_t y0 = std::max<std::int64_t>(static_cast<std::int64_t>(std::ceil(c.y - half_)), clip_.Top);
    const std::int64_t y1 = std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(c.y + half_)), clip_.Bottom);
    for (std::int64_t y = y0; y < y1; ++y) {
      const double dy = static_cast<double>(y) - c.y;
      const double h2 = half_ * half_ - dy * dy;
      if (h2 < 0) continue;
      const double h = std::sqrt(h2);
      const std::int64_t x0 = std::max<std::int64_t>(static_cast<std::int64_t>(std::ceil(c.x - h)), clip_.Left);
      const std::int64_t x1 = std::min<std::int64_t>(static_cast<std::int64_t>(std::ceil(c.x + h)), clip_.Right);
      if (x0 < x1) {
        discs_.push_back(Span{static_cast<std::int32_t>(y), static_cast<std::int32_t>(x0),
                              static_cast<std::int32_t>(x1)});
      }
    }
    // Many overlapping discs (wide pens on long curves): merge as we go so
    // memory follows the covered rows, not the number of discs.
    if (discs_.size() > discLimit_) {
      NormaliseSpans(discs_);
      discLimit_ = std::max<std::size_t>(2 * discs_.size(), kDiscBatch);
    }
  }

  static constexpr double kCoverMargin = 0.01;
  static constexpr std::size_t kDiscBatch = 1 << 16;

  double half_;
  TRect clip_;
  double cullL_, cullT_, cullR_, cullB_;
  bool coversClip_ = false;
  std::vector<FixedEdge> edges_;
  SpanList discs_;
  std::size_t discLimit_ = kDiscBatch;
};

// ---- paths of figures, through the centres of their outermost pixels

struct EllipsePathGeometry {
  double cx, cy, a, b;
};

EllipsePathGeometry PathGeometry(const detail::EllipseRows& e) {
  return EllipsePathGeometry{(static_cast<double>(e.left) + static_cast<double>(e.right) - 1) / 2,
                             (static_cast<double>(e.top) + static_cast<double>(e.bottom) - 1) / 2,
                             static_cast<double>(e.Width() - 1) / 2, static_cast<double>(e.Height() - 1) / 2};
}

// Chords per full turn so that no chord strays more than kFlatness from the
// curve; a multiple of four, so the four extreme points of an ellipse are
// vertices and the stroke reaches exactly half the pen beyond them.
int TurnSegments(double radius) {
  if (radius <= kFlatness) return 16;
  const double step = std::acos(std::clamp(1 - kFlatness / radius, -1.0, 1.0));
  if (!(step > 0)) return 1 << 16;
  const double n = std::ceil(2 * std::numbers::pi / step / 4) * 4;
  return static_cast<int>(std::clamp(n, 16.0, 65536.0));
}

// Points of the ellipse (centre cx, cy; radii a, b; y down) from parameter t0
// counter-clockwise on screen through sweep; all flagged smooth.
void AppendEllipseArc(const EllipsePathGeometry& g, double t0, double sweep, std::vector<PathVertex>& out) {
  const int perTurn = TurnSegments(std::max(g.a, g.b));
  const int k = std::max(1, static_cast<int>(std::ceil(perTurn * sweep / (2 * std::numbers::pi))));
  out.reserve(out.size() + static_cast<std::size_t>(k) + 1);
  for (int i = 0; i <= k; ++i) {
    const double t = t0 + sweep * i / k;
    out.push_back(PathVertex{{g.cx + g.a * std::cos(t), g.cy - g.b * std::sin(t)}, false});
  }
}

// Parameter of the ellipse point on the radial with direction (dx, dyUp).
double RadialParameter(const EllipsePathGeometry& g, double dx, double dyUp) {
  return std::atan2(g.a * dyUp, g.b * dx);
}

struct ArcPathParts {
  std::vector<PathVertex> points;
  PointF centre{};
  bool valid = false;
};

ArcPathParts ArcPath(const TRect& box, TPoint start, TPoint end) {
  ArcPathParts parts;
  const detail::EllipseRows e(box);
  if (e.Empty()) return parts;
  const detail::ArcSector sector(e, start, end);
  const EllipsePathGeometry g = PathGeometry(e);
  const double t0 = RadialParameter(g, static_cast<double>(sector.sx), static_cast<double>(sector.sy));
  const double t1 = RadialParameter(g, static_cast<double>(sector.ex), static_cast<double>(sector.ey));
  double sweep = 2 * std::numbers::pi;
  if (!sector.full) {
    sweep = std::fmod(t1 - t0, 2 * std::numbers::pi);
    if (sweep <= 0) sweep += 2 * std::numbers::pi;
  }
  AppendEllipseArc(g, t0, sweep, parts.points);
  parts.points.front().corner = true;
  parts.points.back().corner = true;
  parts.centre = PointF{g.cx, g.cy};
  parts.valid = true;
  return parts;
}

std::vector<PathVertex> RectPath(const detail::RectRows& r) {
  const double l = static_cast<double>(r.left), t = static_cast<double>(r.top);
  const double rr = static_cast<double>(r.right - 1), b = static_cast<double>(r.bottom - 1);
  return {{{l, t}, true}, {{rr, t}, true}, {{rr, b}, true}, {{l, b}, true}};
}

bool ClipUsable(const TRect& clip) { return clip.Left < clip.Right && clip.Top < clip.Bottom; }

}  // namespace

SpanList WidePolylineSpans(const TPoint* pts, std::size_t n, int width, PathClosure closure, CapStyle cap,
                           JoinStyle join, const TRect& clip) {
  if (width <= 1) return ThinPolylineSpans(pts, n, closure, PenPattern::Solid, clip);
  if (pts == nullptr || !ClipUsable(clip)) return {};
  StrokeBuilder stroke(width, clip);
  std::vector<PathVertex> path;
  path.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    path.push_back(PathVertex{{static_cast<double>(pts[i].x), static_cast<double>(pts[i].y)}, true});
  }
  stroke.AddPath(std::move(path), closure, cap, join);
  return stroke.Finish();
}

SpanList WidePolyPolylineSpans(const TPoint* pts, const int* counts, std::size_t polyCount, int width,
                               PathClosure closure, CapStyle cap, JoinStyle join, const TRect& clip) {
  if (pts == nullptr || counts == nullptr) return {};
  if (width <= 1) return ThinPolyPolylineSpans(pts, counts, polyCount, closure, PenPattern::Solid, clip);
  if (!ClipUsable(clip)) return {};
  StrokeBuilder stroke(width, clip);
  std::size_t offset = 0;
  for (std::size_t i = 0; i < polyCount; ++i) {
    const std::size_t count = counts[i] > 0 ? static_cast<std::size_t>(counts[i]) : 0;
    std::vector<PathVertex> path;
    for (std::size_t j = 0; j < count; ++j) {
      const TPoint& p = pts[offset + j];
      path.push_back(PathVertex{{static_cast<double>(p.x), static_cast<double>(p.y)}, true});
    }
    stroke.AddPath(std::move(path), closure, cap, join);
    offset += count;
  }
  return stroke.Finish();
}

SpanList WideRectOutlineSpans(const TRect& box, int width, JoinStyle join, const TRect& clip) {
  if (width <= 1) return RectOutlineSpans(box, PenPattern::Solid, clip);
  const detail::RectRows r(box);
  if (r.Empty() || !ClipUsable(clip)) return {};
  StrokeBuilder stroke(width, clip);
  stroke.AddPath(RectPath(r), PathClosure::Closed, CapStyle::Round, join);
  return stroke.Finish();
}

SpanList WideEllipseOutlineSpans(const TRect& box, int width, const TRect& clip) {
  if (width <= 1) return EllipseOutlineSpans(box, PenPattern::Solid, clip);
  const detail::EllipseRows e(box);
  if (e.Empty() || !ClipUsable(clip)) return {};
  const EllipsePathGeometry g = PathGeometry(e);
  std::vector<PathVertex> path;
  AppendEllipseArc(g, 0, 2 * std::numbers::pi, path);
  StrokeBuilder stroke(width, clip);
  stroke.AddPath(std::move(path), PathClosure::Closed, CapStyle::Round, JoinStyle::Miter);
  return stroke.Finish();
}

SpanList WideRoundRectOutlineSpans(const TRect& box, int ellipseWidth, int ellipseHeight, int width,
                                   const TRect& clip) {
  if (width <= 1) return RoundRectOutlineSpans(box, ellipseWidth, ellipseHeight, PenPattern::Solid, clip);
  const detail::RectRows r(box);
  if (r.Empty() || !ClipUsable(clip)) return {};
  const std::int64_t ew = std::min<std::int64_t>(std::llabs(ellipseWidth), r.right - r.left);
  const std::int64_t eh = std::min<std::int64_t>(std::llabs(ellipseHeight), r.bottom - r.top);
  StrokeBuilder stroke(width, clip);
  if (ew == 0 || eh == 0) {
    stroke.AddPath(RectPath(r), PathClosure::Closed, CapStyle::Round, JoinStyle::Miter);
    return stroke.Finish();
  }
  const double ra = static_cast<double>(ew - 1) / 2, rb = static_cast<double>(eh - 1) / 2;
  const double l = static_cast<double>(r.left), t = static_cast<double>(r.top);
  const double rr = static_cast<double>(r.right - 1), b = static_cast<double>(r.bottom - 1);
  const double quarter = std::numbers::pi / 2;
  std::vector<PathVertex> path;
  AppendEllipseArc({rr - ra, t + rb, ra, rb}, 0, quarter, path);
  AppendEllipseArc({l + ra, t + rb, ra, rb}, quarter, quarter, path);
  AppendEllipseArc({l + ra, b - rb, ra, rb}, 2 * quarter, quarter, path);
  AppendEllipseArc({rr - ra, b - rb, ra, rb}, 3 * quarter, quarter, path);
  stroke.AddPath(std::move(path), PathClosure::Closed, CapStyle::Round, JoinStyle::Miter);
  return stroke.Finish();
}

SpanList WideArcSpans(const TRect& box, TPoint start, TPoint end, int width, CapStyle cap, const TRect& clip) {
  if (width <= 1) return ArcOutlineSpans(box, start, end, PenPattern::Solid, clip);
  if (!ClipUsable(clip)) return {};
  ArcPathParts arc = ArcPath(box, start, end);
  if (!arc.valid) return {};
  StrokeBuilder stroke(width, clip);
  stroke.AddPath(std::move(arc.points), PathClosure::Open, cap, JoinStyle::Miter);
  return stroke.Finish();
}

SpanList WideChordOutlineSpans(const TRect& box, TPoint start, TPoint end, int width, JoinStyle join,
                               const TRect& clip) {
  if (width <= 1) return ChordOutlineSpans(box, start, end, PenPattern::Solid, clip);
  if (!ClipUsable(clip)) return {};
  ArcPathParts arc = ArcPath(box, start, end);
  if (!arc.valid) return {};
  StrokeBuilder stroke(width, clip);
  stroke.AddPath(std::move(arc.points), PathClosure::Closed, CapStyle::Round, join);
  return stroke.Finish();
}

SpanList WidePieOutlineSpans(const TRect& box, TPoint start, TPoint end, int width, JoinStyle join,
                             const TRect& clip) {
  if (width <= 1) return PieOutlineSpans(box, start, end, PenPattern::Solid, clip);
  if (!ClipUsable(clip)) return {};
  ArcPathParts arc = ArcPath(box, start, end);
  if (!arc.valid) return {};
  arc.points.push_back(PathVertex{arc.centre, true});
  StrokeBuilder stroke(width, clip);
  stroke.AddPath(std::move(arc.points), PathClosure::Closed, CapStyle::Round, join);
  return stroke.Finish();
}

TRect InsideFrameBox(const TRect& box, int width) {
  const TRect n = NormalisedRect(box);
  if (width <= 1) return n;
  std::int64_t l = std::int64_t{n.Left} + width / 2, r = std::int64_t{n.Right} - (width - 1) / 2;
  std::int64_t t = std::int64_t{n.Top} + width / 2, b = std::int64_t{n.Bottom} - (width - 1) / 2;
  // Too small for the pen: keep one middle column / row so the figure still shows.
  if (r - l < 1 && n.Right > n.Left) {
    l = detail::FloorDiv(std::int64_t{n.Left} + n.Right - 1, 2);
    r = l + 1;
  }
  if (b - t < 1 && n.Bottom > n.Top) {
    t = detail::FloorDiv(std::int64_t{n.Top} + n.Bottom - 1, 2);
    b = t + 1;
  }
  if (r < l) r = l;
  if (b < t) b = t;
  return TRect{detail::ClampTo32(l), detail::ClampTo32(t), detail::ClampTo32(r), detail::ClampTo32(b)};
}

}  // namespace vx::plat::gdi
