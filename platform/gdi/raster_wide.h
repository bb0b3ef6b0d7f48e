// Wide (geometric) pen strokes as spans.
//
// A stroke of width w follows a path through pixel centres: the path point
// (x, y) is the centre of pixel (x, y), and the stroke covers the pixels whose
// centres lie within w/2 of the path (top-left rule on the exact border, as
// for polygons). Caps close open ends, joins fill the outer side of corners;
// the stroke is the union of its pieces, so no pixel is covered twice.
// Figure outlines run through the figure's outermost pixels: a rectangle
// (l, t, r, b) is stroked along (l, t) - (r-1, t) - (r-1, b-1) - (l, b-1), so
// its stroke reaches w/2 pixels beyond the box; InsideFrameBox gives the box
// that keeps the stroke inside instead.
// Widths of 1 or less draw like a solid 1-pixel pen (raster_lines.h /
// raster_outlines.h), as the platform does; widths beyond 2^28 pixels draw as
// 2^28 (far wider than any device). Curves are flattened to within 1/8 pixel.
#pragma once

#include <cstddef>

#include "platform/core/types.h"
#include "platform/gdi/raster_lines.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// Shape of a stroke's open ends.
enum class CapStyle { Round, Square, Flat };

// Shape of a stroke's corners; Miter falls back to Bevel when the miter
// would be longer than 10 times the pen width, as the platform's default
// miter limit does.
enum class JoinStyle { Round, Bevel, Miter };

// Stroke of the polyline pts[0..n-1] (Closed: back to pts[0], with a join
// there instead of caps). Repeated points are skipped; a path of one distinct
// point covers nothing.
SpanList WidePolylineSpans(const TPoint* pts, std::size_t n, int width, PathClosure closure, CapStyle cap,
                           JoinStyle join, const TRect& clip);

// Several polylines stroked as one pixel set.
SpanList WidePolyPolylineSpans(const TPoint* pts, const int* counts, std::size_t polyCount, int width,
                               PathClosure closure, CapStyle cap, JoinStyle join, const TRect& clip);

// Stroke of the outline of rectangle box.
SpanList WideRectOutlineSpans(const TRect& box, int width, JoinStyle join, const TRect& clip);

// Stroke of the outline of the ellipse inscribed in box.
SpanList WideEllipseOutlineSpans(const TRect& box, int width, const TRect& clip);

// Stroke of the outline of the round rectangle.
SpanList WideRoundRectOutlineSpans(const TRect& box, int ellipseWidth, int ellipseHeight, int width,
                                   const TRect& clip);

// Stroke of the elliptic arc (counter-clockwise on screen from the radial
// through start to the radial through end), capped at both ends.
SpanList WideArcSpans(const TRect& box, TPoint start, TPoint end, int width, CapStyle cap, const TRect& clip);

// Stroke of the arc closed by its chord.
SpanList WideChordOutlineSpans(const TRect& box, TPoint start, TPoint end, int width, JoinStyle join,
                               const TRect& clip);

// Stroke of the arc closed by the two radials through the centre.
SpanList WidePieOutlineSpans(const TRect& box, TPoint start, TPoint end, int width, JoinStyle join,
                             const TRect& clip);

// The box whose figure, stroked with a pen of this width, stays inside `box`
// (the inside-frame pen style): shrunk by width/2 on the left and top and by
// (width-1)/2 on the right and bottom; normalised; never inverted (a box too
// small collapses to its centre line).
TRect InsideFrameBox(const TRect& box, int width);

}  // namespace vx::plat::gdi
