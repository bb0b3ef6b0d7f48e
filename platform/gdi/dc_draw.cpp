// Lines and figures: every call maps its logical coordinates to device
// pixels, asks the rasteriser for the pen's pixels (and the dash gaps) and
// the brush's pixels, and paints them with the pen mode. A figure's fill
// never includes its pen pixels, so every pixel is touched once and drawing
// twice with an inverting pen mode restores the surface exactly.
#include <algorithm>
#include <cmath>

#include "platform/gdi/dc_private.h"
#include "platform/gdi/raster_lines.h"
#include "platform/gdi/raster_outlines.h"
#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/raster_wide.h"

namespace vx::plat::gdi {
namespace {

// The widest stroke we rasterise, in device pixels (wider pens are clamped).
constexpr std::int64_t kMaxPenPixels = 1 << 20;

// How the selected pen draws on the device.
struct PenDraw {
  bool Null = false;
  int Width = 1;  // device pixels; 1 = the thin (cosmetic) rasteriser
  PenPattern Pattern = PenPattern::Solid;
  CapStyle Cap = CapStyle::Round;
  JoinStyle Join = JoinStyle::Round;
  bool InsideFrame = false;
  std::uint32_t Color = 0;
  bool Thin() const { return Width <= 1; }
};

PenPattern PatternOf(UINT style) {
  switch (style) {
    case PS_DASH: return PenPattern::Dash;
    case PS_DOT: return PenPattern::Dot;
    case PS_DASHDOT: return PenPattern::DashDot;
    case PS_DASHDOTDOT: return PenPattern::DashDotDot;
    case PS_ALTERNATE: return PenPattern::Alternate;
    default: return PenPattern::Solid;
  }
}

PenDraw PenOf(const DcState& s) {
  const PenObj& p = s.PenRef();
  PenDraw d;
  d.Null = p.IsNull();
  d.Color = ColorToPixel(p.Color);
  // Widths 0 and 1 are one pixel whatever the mapping; wider pens scale with x.
  if (p.Width > 1) d.Width = static_cast<int>(std::clamp<std::int64_t>(LengthToDeviceX(s, p.Width), 1, kMaxPenPixels));
  // Styled pens wider than one pixel draw solid, as the platform does.
  d.Pattern = d.Thin() ? PatternOf(p.BaseStyle()) : PenPattern::Solid;
  d.InsideFrame = p.BaseStyle() == PS_INSIDEFRAME;
  switch (p.Style & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE: d.Cap = CapStyle::Square; break;
    case PS_ENDCAP_FLAT: d.Cap = CapStyle::Flat; break;
    default: d.Cap = CapStyle::Round; break;
  }
  switch (p.Style & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL: d.Join = JoinStyle::Bevel; break;
    case PS_JOIN_MITER: d.Join = JoinStyle::Miter; break;
    default: d.Join = JoinStyle::Round; break;
  }
  return d;
}

// The pixels of one drawing call before clipping to the clip region.
struct Figure {
  SpanList Fill;
  SpanList Pen;
  SpanList Gaps;
  bool Filled = false;
};

void Render(Dc& dc, const Target& t, Figure f, const PenDraw& pen) {
  const DcState& s = dc.State;
  SpanList penPx = ClipToTarget(t, std::move(f.Pen));
  SpanList gapPx = ClipToTarget(t, std::move(f.Gaps));
  if (f.Filled && s.BrushRef().Style != BS_NULL) {
    SpanList fill = f.Fill;
    if (!penPx.empty() || !gapPx.empty()) fill = SubtractSpans(fill, UnionSpans(penPx, gapPx));
    FillSpans(t, ClipToTarget(t, std::move(fill)), BrushPaint(s, s.BrushRef()), s.Rop2);
  }
  if (s.BkMode == OPAQUE && !gapPx.empty()) FillSpans(t, gapPx, SolidPaint(ColorToPixel(s.BkColor)), s.Rop2);
  if (!pen.Null) FillSpans(t, penPx, SolidPaint(pen.Color), s.Rop2);
}

std::vector<TPoint> ToDevicePoints(const DcState& s, const POINT* pts, std::size_t n) {
  std::vector<TPoint> out(n);
  for (std::size_t i = 0; i < n; ++i) {
    const DPoint d = ToDevice(s, pts[i]);
    out[i] = TPoint{Saturate32(d.x), Saturate32(d.y)};
  }
  return out;
}

TPoint DevicePoint(const DcState& s, TPoint p) {
  const DPoint d = ToDevice(s, p);
  return TPoint{Saturate32(d.x), Saturate32(d.y)};
}

// Pen pixels of a device polyline.
void StrokePath(const PenDraw& pen, const std::vector<TPoint>& pts, PathClosure closure, const TRect& clip,
                Figure& f) {
  if (pen.Null || pts.empty()) return;
  if (pen.Thin()) {
    f.Pen = ThinPolylineSpans(pts.data(), pts.size(), closure, pen.Pattern, clip, &f.Gaps);
  } else {
    f.Pen = WidePolylineSpans(pts.data(), pts.size(), pen.Width, closure, pen.Cap, pen.Join, clip);
  }
}

void StrokePaths(const PenDraw& pen, const std::vector<TPoint>& pts, const std::vector<int>& counts,
                 PathClosure closure, const TRect& clip, Figure& f) {
  if (pen.Null || pts.empty()) return;
  if (pen.Thin()) {
    f.Pen = ThinPolyPolylineSpans(pts.data(), counts.data(), counts.size(), closure, pen.Pattern, clip, &f.Gaps);
  } else {
    f.Pen = WidePolyPolylineSpans(pts.data(), counts.data(), counts.size(), pen.Width, closure, pen.Cap, pen.Join,
                                  clip);
  }
}

// The figures drawn in a bounding box.
enum class BoxShape { Rectangle, Ellipse, RoundRect, Chord, Pie, Arc };

struct BoxArgs {
  TRect Box;        // device, normalised
  int CornerW = 0;  // round rectangles, device pixels
  int CornerH = 0;
  TPoint Start;     // arcs, device
  TPoint End;
};

Figure BoxFigure(BoxShape shape, BoxArgs a, const PenDraw& pen, const TRect& clip) {
  Figure f;
  f.Filled = shape != BoxShape::Arc;
  // Without a pen the figure is one pixel smaller on the right and bottom,
  // as the platform draws it.
  if (pen.Null && f.Filled) {
    a.Box.Right = std::max(a.Box.Left, a.Box.Right - 1);
    a.Box.Bottom = std::max(a.Box.Top, a.Box.Bottom - 1);
  }
  switch (shape) {
    case BoxShape::Rectangle: f.Fill = RectSpans(a.Box, clip); break;
    case BoxShape::Ellipse: f.Fill = EllipseSpans(a.Box, clip); break;
    case BoxShape::RoundRect: f.Fill = RoundRectSpans(a.Box, a.CornerW, a.CornerH, clip); break;
    case BoxShape::Chord: f.Fill = ChordSpans(a.Box, a.Start, a.End, clip); break;
    case BoxShape::Pie: f.Fill = PieSpans(a.Box, a.Start, a.End, clip); break;
    case BoxShape::Arc: break;
  }
  if (pen.Null) return f;
  if (pen.Thin()) {
    switch (shape) {
      case BoxShape::Rectangle: f.Pen = RectOutlineSpans(a.Box, pen.Pattern, clip, &f.Gaps); break;
      case BoxShape::Ellipse: f.Pen = EllipseOutlineSpans(a.Box, pen.Pattern, clip, &f.Gaps); break;
      case BoxShape::RoundRect:
        f.Pen = RoundRectOutlineSpans(a.Box, a.CornerW, a.CornerH, pen.Pattern, clip, &f.Gaps);
        break;
      case BoxShape::Chord: f.Pen = ChordOutlineSpans(a.Box, a.Start, a.End, pen.Pattern, clip, &f.Gaps); break;
      case BoxShape::Pie: f.Pen = PieOutlineSpans(a.Box, a.Start, a.End, pen.Pattern, clip, &f.Gaps); break;
      case BoxShape::Arc: f.Pen = ArcOutlineSpans(a.Box, a.Start, a.End, pen.Pattern, clip, &f.Gaps); break;
    }
    return f;
  }
  const TRect frame = pen.InsideFrame ? InsideFrameBox(a.Box, pen.Width) : a.Box;
  switch (shape) {
    case BoxShape::Rectangle: f.Pen = WideRectOutlineSpans(frame, pen.Width, pen.Join, clip); break;
    case BoxShape::Ellipse: f.Pen = WideEllipseOutlineSpans(frame, pen.Width, clip); break;
    case BoxShape::RoundRect:
      f.Pen = WideRoundRectOutlineSpans(frame, a.CornerW, a.CornerH, pen.Width, clip);
      break;
    case BoxShape::Chord: f.Pen = WideChordOutlineSpans(frame, a.Start, a.End, pen.Width, pen.Join, clip); break;
    case BoxShape::Pie: f.Pen = WidePieOutlineSpans(frame, a.Start, a.End, pen.Width, pen.Join, clip); break;
    case BoxShape::Arc: f.Pen = WideArcSpans(frame, a.Start, a.End, pen.Width, pen.Cap, clip); break;
  }
  return f;
}

BoxArgs MapBox(const DcState& s, int left, int top, int right, int bottom) {
  BoxArgs a;
  a.Box = RectToDevice(s, TRect{left, top, right, bottom});
  return a;
}

void DrawBox(Dc& dc, BoxShape shape, const BoxArgs& a) {
  const Target t = TargetOf(dc);
  if (!t.Visible()) return;
  const PenDraw pen = PenOf(dc.State);
  Render(dc, t, BoxFigure(shape, a, pen, t.Bounds), pen);
}

void DrawDevicePolyline(Dc& dc, const std::vector<TPoint>& pts, PathClosure closure) {
  const Target t = TargetOf(dc);
  if (!t.Visible()) return;
  const PenDraw pen = PenOf(dc.State);
  Figure f;
  StrokePath(pen, pts, closure, t.Bounds, f);
  Render(dc, t, std::move(f), pen);
}

// Cubic Bézier segments flattened in device space: enough steps that no chord
// is longer than about two pixels, at most 1024 per segment.
std::vector<TPoint> FlattenBeziers(const std::vector<TPoint>& p) {
  std::vector<TPoint> out;
  if (p.empty()) return out;
  out.push_back(p[0]);
  for (std::size_t i = 0; i + 3 < p.size(); i += 3) {
    double length = 0;
    for (std::size_t k = i; k < i + 3; ++k)
      length += std::hypot(double(p[k + 1].x) - p[k].x, double(p[k + 1].y) - p[k].y);
    const int steps = static_cast<int>(std::clamp(length / 2.0, 1.0, 1024.0));
    for (int k = 1; k <= steps; ++k) {
      const double u = double(k) / steps, v = 1 - u;
      const double b0 = v * v * v, b1 = 3 * v * v * u, b2 = 3 * v * u * u, b3 = u * u * u;
      const double x = b0 * p[i].x + b1 * p[i + 1].x + b2 * p[i + 2].x + b3 * p[i + 3].x;
      const double y = b0 * p[i].y + b1 * p[i + 1].y + b2 * p[i + 2].y + b3 * p[i + 3].y;
      const TPoint q{Saturate32(std::llround(std::clamp(x, -2147483648.0, 2147483647.0))),
                     Saturate32(std::llround(std::clamp(y, -2147483648.0, 2147483647.0)))};
      if (!(q == out.back())) out.push_back(q);
    }
  }
  return out;
}

bool ValidPoints(const POINT* pts, std::int64_t count) { return count >= 0 && (count == 0 || pts); }

}  // namespace
}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

BOOL MoveToEx(HDC dcHandle, int x, int y, POINT* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->MoveToEx(x, y);
  if (previous) *previous = dc->State.CurPos;
  dc->State.CurPos = TPoint{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC dcHandle, POINT* position) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !position) return FALSE;
  *position = dc->State.CurPos;
  return TRUE;
}

BOOL LineTo(HDC dcHandle, int x, int y) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->LineTo(x, y);
  const TPoint from = dc->State.CurPos;
  dc->State.CurPos = TPoint{x, y};
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  const PenDraw pen = PenOf(dc->State);
  if (pen.Null) return TRUE;
  const TPoint a = DevicePoint(dc->State, from), b = DevicePoint(dc->State, TPoint{x, y});
  Figure f;
  if (pen.Thin()) {
    DashState dash(pen.Pattern);
    f.Pen = ThinLineSpans(a, b, LineEnd::ExcludeLast, dash, t.Bounds, &f.Gaps);
  } else {
    const TPoint pts[2] = {a, b};
    f.Pen = WidePolylineSpans(pts, 2, pen.Width, PathClosure::Open, pen.Cap, pen.Join, t.Bounds);
  }
  Render(*dc, t, std::move(f), pen);
  return TRUE;
}

BOOL Polyline(HDC dcHandle, const POINT* points, int count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !ValidPoints(points, count)) return FALSE;
  if (dc->Recorder) dc->Recorder->Polyline(points, count);
  if (count < 2) return TRUE;
  DrawDevicePolyline(*dc, ToDevicePoints(dc->State, points, static_cast<std::size_t>(count)), PathClosure::Open);
  return TRUE;
}

BOOL PolylineTo(HDC dcHandle, const POINT* points, DWORD count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !ValidPoints(points, count) || count > 0x7FFFFFFFu) return FALSE;
  if (dc->Recorder) dc->Recorder->PolylineTo(points, count);
  if (count == 0) return TRUE;
  std::vector<TPoint> logical;
  logical.reserve(count + 1);
  logical.push_back(dc->State.CurPos);
  logical.insert(logical.end(), points, points + count);
  dc->State.CurPos = points[count - 1];
  DrawDevicePolyline(*dc, ToDevicePoints(dc->State, logical.data(), logical.size()), PathClosure::Open);
  return TRUE;
}

BOOL PolyPolyline(HDC dcHandle, const POINT* points, const DWORD* counts, DWORD polylines) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || (polylines > 0 && (!points || !counts)) || polylines > 0x7FFFFFFFu) return FALSE;
  std::vector<int> n(polylines);
  std::size_t total = 0;
  for (DWORD i = 0; i < polylines; ++i) {
    if (counts[i] > 0x7FFFFFFFu) return FALSE;
    n[i] = static_cast<int>(counts[i]);
    total += counts[i];
  }
  if (dc->Recorder) dc->Recorder->PolyPolyline(points, counts, polylines);
  const Target t = TargetOf(*dc);
  if (!t.Visible() || total == 0) return TRUE;
  const PenDraw pen = PenOf(dc->State);
  Figure f;
  StrokePaths(pen, ToDevicePoints(dc->State, points, total), n, PathClosure::Open, t.Bounds, f);
  Render(*dc, t, std::move(f), pen);
  return TRUE;
}

BOOL Polygon(HDC dcHandle, const POINT* points, int count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !ValidPoints(points, count)) return FALSE;
  if (dc->Recorder) dc->Recorder->Polygon(points, count);
  const Target t = TargetOf(*dc);
  if (!t.Visible() || count < 2) return TRUE;
  const PenDraw pen = PenOf(dc->State);
  const std::vector<TPoint> pts = ToDevicePoints(dc->State, points, static_cast<std::size_t>(count));
  Figure f;
  f.Filled = true;
  f.Fill = PolygonSpans(pts.data(), pts.size(), static_cast<FillMode>(dc->State.PolyFillMode), t.Bounds);
  StrokePath(pen, pts, PathClosure::Closed, t.Bounds, f);
  Render(*dc, t, std::move(f), pen);
  return TRUE;
}

BOOL PolyPolygon(HDC dcHandle, const POINT* points, const int* counts, int polygons) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || polygons < 0 || (polygons > 0 && (!points || !counts))) return FALSE;
  std::vector<int> n(counts, counts + polygons);
  std::size_t total = 0;
  for (int c : n) {
    if (c < 0) return FALSE;
    total += static_cast<std::size_t>(c);
  }
  if (dc->Recorder) dc->Recorder->PolyPolygon(points, counts, polygons);
  const Target t = TargetOf(*dc);
  if (!t.Visible() || total == 0) return TRUE;
  const PenDraw pen = PenOf(dc->State);
  const std::vector<TPoint> pts = ToDevicePoints(dc->State, points, total);
  Figure f;
  f.Filled = true;
  f.Fill = PolyPolygonSpans(pts.data(), n.data(), n.size(), static_cast<FillMode>(dc->State.PolyFillMode), t.Bounds);
  StrokePaths(pen, pts, n, PathClosure::Closed, t.Bounds, f);
  Render(*dc, t, std::move(f), pen);
  return TRUE;
}

BOOL PolyBezier(HDC dcHandle, const POINT* points, DWORD count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !ValidPoints(points, count) || count > 0x7FFFFFFFu || (count > 0 && count % 3 != 1)) return FALSE;
  if (dc->Recorder) dc->Recorder->PolyBezier(points, count);
  if (count < 4) return TRUE;
  DrawDevicePolyline(*dc, FlattenBeziers(ToDevicePoints(dc->State, points, count)), PathClosure::Open);
  return TRUE;
}

BOOL PolyBezierTo(HDC dcHandle, const POINT* points, DWORD count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !ValidPoints(points, count) || count > 0x7FFFFFFFu || count % 3 != 0) return FALSE;
  if (dc->Recorder) dc->Recorder->PolyBezierTo(points, count);
  if (count == 0) return TRUE;
  std::vector<TPoint> logical;
  logical.push_back(dc->State.CurPos);
  logical.insert(logical.end(), points, points + count);
  dc->State.CurPos = points[count - 1];
  DrawDevicePolyline(*dc, FlattenBeziers(ToDevicePoints(dc->State, logical.data(), logical.size())),
                     PathClosure::Open);
  return TRUE;
}

BOOL Rectangle(HDC dcHandle, int left, int top, int right, int bottom) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->Rectangle(left, top, right, bottom);
  DrawBox(*dc, BoxShape::Rectangle, MapBox(dc->State, left, top, right, bottom));
  return TRUE;
}

BOOL Ellipse(HDC dcHandle, int left, int top, int right, int bottom) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->Ellipse(left, top, right, bottom);
  DrawBox(*dc, BoxShape::Ellipse, MapBox(dc->State, left, top, right, bottom));
  return TRUE;
}

BOOL RoundRect(HDC dcHandle, int left, int top, int right, int bottom, int width, int height) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->RoundRect(left, top, right, bottom, width, height);
  BoxArgs a = MapBox(dc->State, left, top, right, bottom);
  a.CornerW = Saturate32(LengthToDeviceX(dc->State, width));
  a.CornerH = Saturate32(LengthToDeviceY(dc->State, height));
  DrawBox(*dc, BoxShape::RoundRect, a);
  return TRUE;
}

namespace {
BoxArgs MapArcBox(const DcState& s, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                  int yEnd) {
  BoxArgs a = MapBox(s, left, top, right, bottom);
  a.Start = DevicePoint(s, TPoint{xStart, yStart});
  a.End = DevicePoint(s, TPoint{xEnd, yEnd});
  return a;
}
}  // namespace

BOOL Arc(HDC dcHandle, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->Arc(TRect{left, top, right, bottom}, TPoint{xStart, yStart}, TPoint{xEnd, yEnd});
  DrawBox(*dc, BoxShape::Arc, MapArcBox(dc->State, left, top, right, bottom, xStart, yStart, xEnd, yEnd));
  return TRUE;
}

BOOL ArcTo(HDC dcHandle, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder)
    dc->Recorder->ArcTo(TRect{left, top, right, bottom}, TPoint{xStart, yStart}, TPoint{xEnd, yEnd});
  const BoxArgs a = MapArcBox(dc->State, left, top, right, bottom, xStart, yStart, xEnd, yEnd);
  const TPoint from = DevicePoint(dc->State, dc->State.CurPos);
  // The ends exactly as the arc is drawn, so the joining line meets the arc
  // and the current position lands on its last pixel.
  const ArcEnds ends = ArcEndPixels(a.Box, a.Start, a.End);
  const TPoint arcStart = ends.first;
  dc->State.CurPos = ToLogical(dc->State, ends.last.x, ends.last.y);
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  const PenDraw pen = PenOf(dc->State);
  Figure arc = BoxFigure(BoxShape::Arc, a, pen, t.Bounds);
  Figure line;
  const std::vector<TPoint> pts{from, arcStart};
  StrokePath(pen, pts, PathClosure::Open, t.Bounds, line);
  arc.Pen = UnionSpans(arc.Pen, line.Pen);
  arc.Gaps = SubtractSpans(UnionSpans(arc.Gaps, line.Gaps), arc.Pen);
  Render(*dc, t, std::move(arc), pen);
  return TRUE;
}

BOOL Chord(HDC dcHandle, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder)
    dc->Recorder->Chord(TRect{left, top, right, bottom}, TPoint{xStart, yStart}, TPoint{xEnd, yEnd});
  DrawBox(*dc, BoxShape::Chord, MapArcBox(dc->State, left, top, right, bottom, xStart, yStart, xEnd, yEnd));
  return TRUE;
}

BOOL Pie(HDC dcHandle, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->Pie(TRect{left, top, right, bottom}, TPoint{xStart, yStart}, TPoint{xEnd, yEnd});
  DrawBox(*dc, BoxShape::Pie, MapArcBox(dc->State, left, top, right, bottom, xStart, yStart, xEnd, yEnd));
  return TRUE;
}

int FillRect(HDC dcHandle, const RECT* rect, HBRUSH brush) {
  Dc* dc = FindDc(dcHandle);
  auto* b = FindAs<BrushObj>(brush, ObjKind::Brush);
  if (!dc || !rect || !b) return FALSE;
  if (dc->Recorder) dc->Recorder->FillRect(*rect, brush);
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  const TRect box = RectToDevice(dc->State, *rect);
  FillSpans(t, ClipToTarget(t, RectSpans(box, t.Bounds)), BrushPaint(dc->State, *b), R2_COPYPEN);
  return TRUE;
}

int FrameRect(HDC dcHandle, const RECT* rect, HBRUSH brush) {
  Dc* dc = FindDc(dcHandle);
  auto* b = FindAs<BrushObj>(brush, ObjKind::Brush);
  if (!dc || !rect || !b) return FALSE;
  if (dc->Recorder) dc->Recorder->FrameRect(*rect, brush);
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  // The border is one logical unit wide and high (at least one pixel).
  const TRect box = RectToDevice(dc->State, *rect);
  const int w = static_cast<int>(std::clamp<std::int64_t>(LengthToDeviceX(dc->State, 1), 1, kMaxPenPixels));
  const int h = static_cast<int>(std::clamp<std::int64_t>(LengthToDeviceY(dc->State, 1), 1, kMaxPenPixels));
  FillSpans(t, ClipToTarget(t, Region::FromRect(box).FrameSpans(w, h, t.Bounds)), BrushPaint(dc->State, *b),
            R2_COPYPEN);
  return TRUE;
}

BOOL InvertRect(HDC dcHandle, const RECT* rect) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !rect) return FALSE;
  if (dc->Recorder) dc->Recorder->InvertRect(*rect);
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  const TRect box = RectToDevice(dc->State, *rect);
  FillSpans(t, ClipToTarget(t, RectSpans(box, t.Bounds)), SolidPaint(0), R2_NOT);
  return TRUE;
}

namespace {
// The surface pixel of a logical point when it is visible.
std::uint32_t* VisiblePixel(Dc& dc, int x, int y) {
  const Target t = TargetOf(dc);
  if (!t.Visible()) return nullptr;
  const DPoint d = ToDevice(dc.State, TPoint{x, y});
  if (d.x < t.Bounds.Left || d.x >= t.Bounds.Right || d.y < t.Bounds.Top || d.y >= t.Bounds.Bottom) return nullptr;
  const auto px = static_cast<std::int32_t>(d.x), py = static_cast<std::int32_t>(d.y);
  if (t.Clipped && !SpansContain(t.Clip, px, py)) return nullptr;
  return t.Surf->Row(py + t.Origin.y) + t.Origin.x + px;
}
}  // namespace

COLORREF SetPixel(HDC dcHandle, int x, int y, COLORREF color) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return CLR_INVALID;
  if (dc->Recorder) dc->Recorder->SetPixel(x, y, color);
  std::uint32_t* p = VisiblePixel(*dc, x, y);
  if (!p) return CLR_INVALID;
  std::uint32_t v = ColorToPixel(CleanColor(color));
  if (dc->Surf()->IsMono()) v = PixelToMono(v);
  *p = v;
  return PixelToColor(v);
}

COLORREF GetPixel(HDC dcHandle, int x, int y) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return CLR_INVALID;
  const std::uint32_t* p = VisiblePixel(*dc, x, y);
  return p ? PixelToColor(*p) : CLR_INVALID;
}

}  // namespace vx::plat
