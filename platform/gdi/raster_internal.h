// Internals shared by the raster_*.cpp files and region.cpp: exact integer
// helpers, interval set operations, the edge scanner behind every polygon
// fill and stroke, and the row geometry of ellipses, round rectangles, pies
// and chords. Not part of the public interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "platform/core/types.h"
#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi::detail {

// 128-bit intermediates keep products of two 64-bit coordinates exact.
__extension__ typedef __int128 Int128;

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

inline std::int64_t Clamp64(Int128 v, std::int64_t lo, std::int64_t hi) {
  return v < lo ? lo : (v > hi ? hi : static_cast<std::int64_t>(v));
}
inline std::int32_t ClampTo32(std::int64_t v) {
  return static_cast<std::int32_t>(v < kInt32Min ? kInt32Min : (v > kInt32Max ? kInt32Max : v));
}
// floor(n / d) and ceil(n / d) for d > 0, saturated to the int64 range.
std::int64_t FloorDiv(Int128 n, Int128 d);
std::int64_t CeilDiv(Int128 n, Int128 d);
// floor/ceil of a long double saturated to +-2^62 (so later sums cannot overflow).
std::int64_t FloorLD(long double v);
std::int64_t CeilLD(long double v);

// ---- interval sets: walls x0, x1, x0, x1, ... ascending, intervals [x0, x1)

enum class SetOp { And, Or, Xor, Diff };

// out := a op b (out is cleared first); canonical: no empty or touching intervals.
void CombineWalls(const std::int32_t* a, std::size_t na, const std::int32_t* b, std::size_t nb, SetOp op,
                  std::vector<std::int32_t>& out);

// Appends the spans of row y for walls already clipped.
void AppendRowSpans(std::int64_t y, const std::vector<std::int32_t>& walls, SpanList& out);

// ---- edge scanner (fixed point, 1/256 pixel, samples at pixel centres)

constexpr std::int64_t kFixOne = 256;

// One polygon edge in fixed-point pixel-centre coordinates: the pixel (x, y)
// is sampled at the point (x * kFixOne, y * kFixOne).
struct FixedEdge {
  std::int64_t x0, y0, x1, y1;
};

// Called with rows [top, bottom) that all have the same walls (bottom > top).
using BandSink = std::function<void(std::int64_t top, std::int64_t bottom, const std::vector<std::int32_t>& walls)>;

// Fills rows [rowBegin, rowEnd) of the edge set with the fill rule, walls
// clipped to [xMin, xMax). Rows where all active edges are vertical are
// reported as one band; when more than maxRows rows would need scanning the
// slanted parts are sampled once per band of rows (regions only).
void ScanEdges(const std::vector<FixedEdge>& edges, FillMode mode, std::int64_t rowBegin, std::int64_t rowEnd,
               std::int32_t xMin, std::int32_t xMax, std::int64_t maxRows, const BandSink& sink);

// Edges of the closed polygon of integer points (pixel corners as the
// platform gives them), shifted so that sampling at pixel centres applies.
void AppendPolygonEdges(const TPoint* pts, std::size_t n, std::vector<FixedEdge>& edges);

// ---- row geometry of figures (one interval per row)

// A figure described row by row: Row(y) gives [x0, x1) (x0 >= x1: empty row)
// and returns the first row after y whose interval may differ.
class RowFigure {
 public:
  virtual ~RowFigure() = default;
  virtual std::int64_t Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const = 0;
  std::int64_t top = 0, bottom = 0;  // rows [top, bottom)
  bool Empty() const { return top >= bottom; }
};

class RectRows final : public RowFigure {
 public:
  explicit RectRows(const TRect& box);
  std::int64_t Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const override;
  std::int64_t left = 0, right = 0;
};

// The ellipse inscribed in a box, sampled at pixel centres; every row keeps
// its middle pixel(s) and the middle row(s) span the whole width.
class EllipseRows final : public RowFigure {
 public:
  explicit EllipseRows(const TRect& box);
  std::int64_t Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const override;
  std::int64_t left = 0, right = 0;
  std::int64_t Width() const { return right - left; }
  std::int64_t Height() const { return bottom - top; }
  // Doubled coordinates relative to the centre: X = 2x + 1 - (left + right).
  std::int64_t CentredX(std::int64_t x) const { return 2 * x + 1 - (left + right); }
  std::int64_t CentredY(std::int64_t y) const { return 2 * y + 1 - (top + bottom); }
  // Half-width (doubled units, |X| <= result) of row y.
  std::int64_t HalfWidth(std::int64_t y) const;
};

class RoundRectRows final : public RowFigure {
 public:
  RoundRectRows(const TRect& box, int ellipseWidth, int ellipseHeight);
  std::int64_t Row(std::int64_t y, std::int64_t& x0, std::int64_t& x1) const override;
  std::int64_t left = 0, right = 0;

 private:
  std::int64_t ew_ = 0, eh_ = 0;
  EllipseRows corner_{TRect{}};
};

// Spans of a row figure inside clip.
SpanList FigureSpans(const RowFigure& fig, const TRect& clip);

// Boundary pixels (fill pixels with a 4-neighbour outside) of row y of a
// convex row figure: up to two intervals appended as walls.
void BoundaryWalls(const RowFigure& fig, std::int64_t y, std::int64_t& x0, std::int64_t& x1, std::int64_t& x2,
                   std::int64_t& x3);

// The same from the intervals of the row ([a0, a1)) and of its upper and
// lower neighbours (empty when x0 >= x1), for callers walking down the rows.
void BoundaryFromRows(std::int64_t a0, std::int64_t a1, std::int64_t u0, std::int64_t u1, std::int64_t d0,
                      std::int64_t d1, std::int64_t& x0, std::int64_t& x1, std::int64_t& x2, std::int64_t& x3);

// ---- sectors and chords (doubled centred coordinates, y pointing up)

// Directions of the radials through start and end of an arc of an ellipse
// box, and which side of them counts.
struct ArcSector {
  ArcSector(const EllipseRows& ellipse, TPoint start, TPoint end);
  // The whole turn, starting at angle zero (the +x direction).
  static ArcSector WholeTurn();
  // Whether the direction (X, Yup) lies in the closed sector.
  bool Contains(std::int64_t X, std::int64_t Yup) const;
  // Strict weak order of directions by counter-clockwise angle from start.
  bool AngleLess(std::int64_t X1, std::int64_t Y1, std::int64_t X2, std::int64_t Y2) const;
  std::int64_t sx, sy, ex, ey;  // radial directions (doubled, centred, y up); never zero
  bool full;                    // equal radials: the whole ellipse
  bool reflex;                  // the sweep exceeds half a turn

 private:
  ArcSector() = default;
};

// Appends to walls (ascending) the part of row y of the ellipse inside the
// pie sector / on the arc's side of the chord.
void PieRowWalls(const EllipseRows& ellipse, const ArcSector& sector, std::int64_t y, std::int64_t xMin,
                 std::int64_t xMax, std::vector<std::int32_t>& walls);
void ChordRowWalls(const EllipseRows& ellipse, const ArcSector& sector, std::int64_t y, std::int64_t xMin,
                   std::int64_t xMax, std::vector<std::int32_t>& walls);

// The point where a radial (doubled centred coordinates, y up) meets the
// ellipse, in the same coordinates.
void RadialOnEllipse(const EllipseRows& ellipse, std::int64_t dx, std::int64_t dy, long double& px,
                     long double& py);

}  // namespace vx::plat::gdi::detail
