// Filled shapes as spans, in device pixels. The coverage follows the classic
// GDI conventions the drawing code relies on:
//  - a rectangle, ellipse or round rectangle with corners (l, t, r, b) covers
//    columns l..r-1 and rows t..b-1 (right and bottom excluded); reversed
//    corners are swapped first, so (10, 10, 0, 0) covers what (0, 0, 10, 10)
//    covers; a box with no width or no height covers nothing;
//  - a polygon covers the pixels whose centres lie inside it; a centre exactly
//    on an edge counts when the edge is a left or top edge (top-left rule), so
//    polygons sharing an edge never both cover a pixel;
//  - ellipses, chords and pies sample the true ellipse inscribed in the box at
//    pixel centres; every row and column of the box keeps at least its middle
//    pixel(s), so a thin ellipse never breaks up and its 1-pixel outline
//    (raster_outlines.h) touches all four sides of the box;
//  - chords and pies run counter-clockwise as seen on the screen (y down),
//    from the radial through `start` to the radial through `end`; equal
//    radials give the whole ellipse.
// Every function takes the clip rectangle last and only produces spans inside
// it, so the cost follows the clip area and not the shape size: coordinates
// may be anywhere in the Int32 range (all arithmetic is 64/128-bit).
#pragma once

#include <cstddef>

#include "platform/core/types.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// Polygon fill rule; the values are the platform's ALTERNATE and WINDING.
enum class FillMode { Alternate = 1, Winding = 2 };

// Pixels of the rectangle [l, r) x [t, b) (after normalising the corners).
SpanList RectSpans(const TRect& r, const TRect& clip);

// Pixels inside the closed polygon pts[0..n-1] (closed implicitly). Fewer than
// three points cover nothing.
SpanList PolygonSpans(const TPoint* pts, std::size_t n, FillMode mode, const TRect& clip);

// Several closed polygons filled together as one shape (so with Alternate an
// inner polygon makes a hole). counts[i] points belong to polygon i; the
// counts must add up to the points in pts (negative counts count as 0).
SpanList PolyPolygonSpans(const TPoint* pts, const int* counts, std::size_t polyCount, FillMode mode,
                          const TRect& clip);

// Pixels of the ellipse inscribed in box.
SpanList EllipseSpans(const TRect& box, const TRect& clip);

// The rectangle box with its corners rounded by quarters of an ellipse
// ellipseWidth x ellipseHeight (clamped to the box; 0 gives square corners;
// negative sizes count as their magnitude).
SpanList RoundRectSpans(const TRect& box, int ellipseWidth, int ellipseHeight, const TRect& clip);

// The part of the ellipse cut off by the chord joining the arc's two ends
// (the side the counter-clockwise arc from start to end lies on).
SpanList ChordSpans(const TRect& box, TPoint start, TPoint end, const TRect& clip);

// The sector of the ellipse between the radials through start and end,
// counter-clockwise on screen from start.
SpanList PieSpans(const TRect& box, TPoint start, TPoint end, const TRect& clip);

}  // namespace vx::plat::gdi
