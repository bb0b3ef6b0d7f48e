// Region: a set of device pixels (or of logical units, for hit tests) kept as
// y-bands of disjoint x-intervals, like the platform's regions. A value type:
// copying copies the pixels. Every operation keeps one canonical form (no
// empty bands, equal neighbouring bands merged), so equal pixel sets compare
// equal and a rectangle is always a single band.
//
// Coordinates are Int32; a region covers [Left, Right) x [Top, Bottom) like
// the pixel rectangles it is made of, so the last row and column of the Int32
// range cannot be covered. Huge rectangles cost one band; curved or slanted
// shapes cost one band per row up to 2^18 (262144) rows and are sampled in
// thicker bands beyond that, which keeps memory bounded (a few megabytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/types.h"
#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// How Combine joins two regions; the values are the platform's RGN_AND..RGN_COPY.
enum class RegionOp { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// What a region operation leaves, as the platform reports it (ERROR,
// NULLREGION, SIMPLEREGION, COMPLEXREGION).
enum class RegionComplexity { Error = 0, Null = 1, Simple = 2, Complex = 3 };

class Region {
 public:
  // The empty region.
  Region() = default;

  // Pixels [l, r) x [t, b) after normalising the corners; empty when the
  // width or height is zero.
  static Region FromRect(const TRect& r);
  // The ellipse inscribed in box, pixel for pixel as EllipseSpans fills it.
  static Region FromEllipse(const TRect& box);
  // The round rectangle, pixel for pixel as RoundRectSpans fills it.
  static Region FromRoundRect(const TRect& box, int ellipseWidth, int ellipseHeight);
  // The polygon, pixel for pixel as PolygonSpans fills it.
  static Region FromPolygon(const TPoint* pts, std::size_t n, FillMode mode);
  // Several polygons filled together, as PolyPolygonSpans fills them.
  static Region FromPolyPolygon(const TPoint* pts, const int* counts, std::size_t polyCount, FillMode mode);
  // The pixels of any bag of spans (need not be sorted or disjoint).
  static Region FromSpans(const SpanList& spans);
  // The union of the rectangles (as a region's rectangle data lists them).
  static Region FromRects(const TRect* rects, std::size_t n);

  // a op b (Copy: a; a value outside RegionOp also gives a unchanged, the
  // caller reports the error). The complexity of the result is Complexity().
  static Region Combine(const Region& a, const Region& b, RegionOp op);

  // Null (empty), Simple (one rectangle) or Complex.
  RegionComplexity Complexity() const;
  // Whether no pixel is covered.
  bool IsEmpty() const { return bands_.empty(); }
  // Moves every pixel by (dx, dy); coordinates saturate at the Int32 limits
  // instead of wrapping (a part pushed past them is flattened away).
  void Offset(std::int32_t dx, std::int32_t dy);
  // Whether pixel (x, y) is covered.
  bool Contains(std::int32_t x, std::int32_t y) const;
  // Whether any pixel of the rectangle (normalised) is covered.
  bool IntersectsRect(const TRect& r) const;
  // Smallest rectangle holding the region; (0, 0, 0, 0) when empty.
  TRect Bounds() const;
  // Keeps only the pixels inside clip.
  void Clip(const TRect& clip);

  // The frame the platform's FrameRgn paints: the pixels of the region that
  // lie within w pixels of its outside horizontally or h pixels vertically
  // (so the frame stays inside the region). w or h <= 0 counts as 1.
  Region Frame(int w, int h) const;
  // Frame(w, h) as spans inside clip.
  SpanList FrameSpans(int w, int h, const TRect& clip) const;

  // The pixels inside clip as spans (the device iterates these).
  SpanList Spans(const TRect& clip) const;
  // The bands as rectangles, top to bottom and left to right, each band cut
  // into its maximal intervals (the layout of region data records).
  std::vector<TRect> Rects() const;
  // Number of rectangles Rects() would return.
  std::size_t RectCount() const { return walls_.size() / 2; }

  bool operator==(const Region& other) const = default;

 private:
  struct Band {
    std::int32_t top;
    std::int32_t bottom;
    std::uint32_t firstWall;  // index into walls_; the band's walls end where the next band's begin
    bool operator==(const Band&) const = default;
  };
  friend class RegionBuilder;

  std::size_t WallEnd(std::size_t band) const {
    return band + 1 < bands_.size() ? bands_[band + 1].firstWall : walls_.size();
  }

  std::vector<Band> bands_;
  std::vector<std::int32_t> walls_;  // x0, x1 pairs of each band, ascending
};

}  // namespace vx::plat::gdi
