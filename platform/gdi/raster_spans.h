// Set operations on span lists: the glue between shape rasterisation, pen
// strokes, regions and clipping. Every function here accepts and returns valid
// SpanLists (sorted by row then x, runs of one row neither overlapping nor
// touching) unless its comment says otherwise.
#pragma once

#include <cstdint>

#include "platform/core/types.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// The rectangle with its corners swapped where needed so that Left <= Right
// and Top <= Bottom; shapes given with reversed corners cover the same pixels.
TRect NormalisedRect(const TRect& r);

// Sorts any bag of spans (overlapping, unsorted, empty ones allowed) into a
// valid SpanList: empty runs dropped, overlapping or touching runs merged.
void NormaliseSpans(SpanList& spans);

// Pixels in a or b.
SpanList UnionSpans(const SpanList& a, const SpanList& b);

// Pixels in both a and b.
SpanList IntersectSpans(const SpanList& a, const SpanList& b);

// Pixels of a that are not in b.
SpanList SubtractSpans(const SpanList& a, const SpanList& b);

// Pixels in exactly one of a and b.
SpanList XorSpans(const SpanList& a, const SpanList& b);

// The part of spans inside clip ([Left, Right) x [Top, Bottom)).
SpanList ClipSpans(const SpanList& spans, const TRect& clip);

// Whether pixel (x, y) is covered (binary search).
bool SpansContain(const SpanList& spans, std::int32_t x, std::int32_t y);

// Number of pixels covered (64-bit: a clipped span list can still be large).
std::int64_t SpanPixelCount(const SpanList& spans);

// Smallest rectangle holding every span; (0, 0, 0, 0) for an empty list.
TRect SpanBounds(const SpanList& spans);

}  // namespace vx::plat::gdi
