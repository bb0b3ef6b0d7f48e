// Thin (1-pixel, cosmetic) lines and polylines as spans, with the platform's
// end-point rules and the styled-pen dash patterns.
//
// Pixel choice: a line from a to b steps one pixel at a time along its major
// axis (x when |dx| >= |dy|); the minor coordinate is the ideal line's value
// rounded to the nearest pixel, and an exact half rounds towards the smaller
// coordinate. The rule depends only on the two end points, not on the
// direction, so a line drawn from b to a covers the same pixels.
//
// End points: a single line (LineTo) excludes its end point; a polyline
// excludes only its very last point; a closed polyline (a polygon's outline)
// draws every vertex once. The results are pixel sets: a pixel the path
// passes twice is still reported once, so drawing a path twice with an
// inverting pen mode restores the surface exactly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/types.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// Dash pattern of a cosmetic styled pen. Lengths in pixels (on/off...):
// Dash 18/6, Dot 3/3, DashDot 9/6/3/6, DashDotDot 9/3/3/3/3/3, Alternate 1/1.
enum class PenPattern { Solid, Dash, Dot, DashDot, DashDotDot, Alternate };

// Whether a single line's end point is drawn.
enum class LineEnd { ExcludeLast, IncludeLast };

// Whether a polyline returns to its first point.
enum class PathClosure { Open, Closed };

// Position in a dash pattern; it carries on from one line to the next so a
// pattern runs on along the segments of a polyline.
class DashState {
 public:
  // A pattern starting at the beginning of its first dash.
  explicit DashState(PenPattern pattern = PenPattern::Solid);
  // The pattern followed.
  PenPattern Pattern() const { return pattern_; }
  // Whether the pixel `ahead` steps past the current position is drawn (a
  // gap pixel is not drawn with the pen; an opaque background fills it).
  bool IsOnAt(std::uint64_t ahead) const;
  // Moves the position on by `pixels` steps.
  void Advance(std::uint64_t pixels);
  // Back to the start of the first dash.
  void Reset() { phase_ = 0; }
  // Current offset in the pattern, 0 <= Phase() < the pattern's period.
  std::uint32_t Phase() const { return phase_; }

 private:
  PenPattern pattern_;
  std::uint32_t phase_ = 0;
};

// Pixels of one line from a to b inside clip, advancing dash by the number of
// pixels the line steps (the clipped-away part included). Gap pixels of a
// styled pattern go to *gaps when given. A line from a point to itself draws
// that point only with IncludeLast.
SpanList ThinLineSpans(TPoint a, TPoint b, LineEnd end, DashState& dash, const TRect& clip,
                       SpanList* gaps = nullptr);

// Pixels of the polyline pts[0..n-1] (Closed: plus the segment back to
// pts[0]) inside clip; the pattern starts at pts[0] and runs on. Fewer than
// two points draw nothing.
SpanList ThinPolylineSpans(const TPoint* pts, std::size_t n, PathClosure closure, PenPattern pattern,
                           const TRect& clip, SpanList* gaps = nullptr);

// Several polylines as one pixel set; counts[i] points belong to polyline i,
// each with its own end-point exclusion and pattern start (the counts must add
// up to the points in pts; negative counts count as 0).
SpanList ThinPolyPolylineSpans(const TPoint* pts, const int* counts, std::size_t polyCount,
                               PathClosure closure, PenPattern pattern, const TRect& clip,
                               SpanList* gaps = nullptr);

}  // namespace vx::plat::gdi
