// Outlines of figures drawn with a 1-pixel (cosmetic) pen, as spans.
//
// The outline of a rectangle, ellipse or round rectangle is the ring of the
// outermost pixels of the same figure's fill (raster_shapes.h): the pixels of
// the fill with a left, right, upper or lower neighbour outside it. So the pen
// outline never sticks out of the fill, and "fill minus outline" is what the
// brush paints inside the pen.
//
// Arcs are the part of the ellipse outline whose pixel centres lie in the
// sector from the radial through start, counter-clockwise on screen (y down),
// to the radial through end (equal radials: the whole ellipse). A chord adds
// the line joining the arc's end pixels; a pie adds the lines from the centre
// pixel (for even sizes: the middle pixel deepest in the sector) to them.
// Every result is a pixel set (no pixel twice).
//
// Dash patterns run along the outline: rectangles from the top-left corner
// rightwards, ellipses and round rectangles counter-clockwise from the right
// end of the middle row, arcs from their start. When the clip cuts a curved
// outline the pattern is counted along the visible part only.
#pragma once

#include "platform/core/types.h"
#include "platform/gdi/raster_lines.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// Outline of the rectangle box (its outermost ring of pixels).
SpanList RectOutlineSpans(const TRect& box, PenPattern pattern, const TRect& clip, SpanList* gaps = nullptr);

// Outline of the ellipse inscribed in box.
SpanList EllipseOutlineSpans(const TRect& box, PenPattern pattern, const TRect& clip,
                             SpanList* gaps = nullptr);

// Outline of the round rectangle (see RoundRectSpans for the corner sizes).
SpanList RoundRectOutlineSpans(const TRect& box, int ellipseWidth, int ellipseHeight, PenPattern pattern,
                               const TRect& clip, SpanList* gaps = nullptr);

// The elliptic arc from the radial through start to the radial through end.
SpanList ArcOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern, const TRect& clip,
                         SpanList* gaps = nullptr);

// Arc plus the chord back to its start.
SpanList ChordOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern,
                           const TRect& clip, SpanList* gaps = nullptr);

// Arc plus the two radials through the centre pixel.
SpanList PieOutlineSpans(const TRect& box, TPoint start, TPoint end, PenPattern pattern, const TRect& clip,
                         SpanList* gaps = nullptr);

// The pixel where an arc of box beginning or ending on the radial through
// `radial` starts or stops: the outline pixel whose direction from the centre
// is closest to the radial (the current position after ArcTo-like calls).
// Empty box: its normalised top-left corner.
// Where several pixels are equally close it picks one without knowing the
// arc; ArcEndPixels knows it and matches what the arc figures draw.
TPoint ArcEndPixel(const TRect& box, TPoint radial);

// The first and last pixel of the arc of box from the radial through start to
// the radial through end, exactly as ArcOutlineSpans, ChordOutlineSpans and
// PieOutlineSpans join them (the closest pixels in angle, those inside the
// arc's sector preferred).
struct ArcEnds {
  TPoint first;
  TPoint last;
};
ArcEnds ArcEndPixels(const TRect& box, TPoint start, TPoint end);

}  // namespace vx::plat::gdi
