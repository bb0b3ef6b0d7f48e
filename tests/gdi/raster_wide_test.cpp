#include "platform/gdi/raster_wide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/gdi/raster_outlines.h"
#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/raster_spans.h"
#include "tests/gdi/raster_test_util.h"

namespace vx::plat::gdi {
namespace {

using test::Art;
using test::FromArt;
using test::IsValidSpanList;
using test::ToArt;
using test::ToPixels;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const TRect kWide{-1000, -1000, 1000, 1000};

SpanList WideLine(TPoint a, TPoint b, int width, CapStyle cap, const TRect& clip = kWide) {
  const TPoint pts[2] = {a, b};
  return WidePolylineSpans(pts, 2, width, PathClosure::Open, cap, JoinStyle::Round, clip);
}

// Distance from (px, py) to the segment a-b (pixel centres are the integer points).
double SegmentDistance(double px, double py, TPoint a, TPoint b) {
  const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// ---- single lines

TEST(WideLines, HorizontalLineCoversWidthRowsAndItsCaps) {
  struct Case {
    int width;
    CapStyle cap;
    TRect covered;  // the bounding box the stroke must fill exactly (a flat or square cap makes a rectangle)
  };
  const Case cases[] = {
      {2, CapStyle::Flat, {3, 9, 12, 11}},    // rows y-1, y: the half-open band keeps the upper border
      {3, CapStyle::Flat, {3, 9, 12, 12}},    // rows y-1..y+1
      {4, CapStyle::Flat, {3, 8, 12, 12}},    // rows y-2..y+1
      {5, CapStyle::Flat, {3, 8, 12, 13}},
      {4, CapStyle::Square, {1, 8, 14, 12}},  // square caps add half the width at each end
      {5, CapStyle::Square, {1, 8, 15, 13}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideLine(TPoint{3, 10}, TPoint{12, 10}, c.width, c.cap), RectSpans(c.covered, kWide)) << c.width;
    // Drawn the other way round: the same pixels.
    EXPECT_EQ(WideLine(TPoint{12, 10}, TPoint{3, 10}, c.width, c.cap), RectSpans(c.covered, kWide)) << c.width;
  }
}

TEST(WideLines, RoundCapsAreHalfDiscs) {
  const Art expected = {
      "................",  //
      "..############..",  //
      ".##############.",  //
      ".##############.",  //
      ".##############.",  //
      "..############..",  //
      "................",
  };
  EXPECT_EQ(ToArt(WideLine(TPoint{3, 3}, TPoint{12, 3}, 5, CapStyle::Round), 16, 7), expected);
}

TEST(WideLines, PixelsAreThoseWithinHalfTheWidthOfTheSegment) {
  test::Lcg rng(3);
  for (int i = 0; i < 80; ++i) {
    const TPoint a{rng.Range(-30, 30), rng.Range(-30, 30)}, b{rng.Range(-30, 30), rng.Range(-30, 30)};
    const int width = rng.Range(2, 12);
    const double half = width / 2.0;
    const SpanList stroke = WideLine(a, b, width, CapStyle::Round, TRect{-50, -50, 50, 50});
    ASSERT_TRUE(IsValidSpanList(stroke));
    if (a == b) {
      EXPECT_TRUE(stroke.empty());
      continue;
    }
    for (int y = -45; y < 45; ++y) {
      for (int x = -45; x < 45; ++x) {
        const double d = SegmentDistance(x, y, a, b);
        // Pixels right on the border follow the top-left rule; allow for the fixed-point grid.
        if (d < half - 0.01) {
          EXPECT_TRUE(SpansContain(stroke, x, y)) << x << "," << y << " d=" << d;
        } else if (d > half + 0.01) {
          EXPECT_FALSE(SpansContain(stroke, x, y)) << x << "," << y << " d=" << d;
        }
      }
    }
  }
}

TEST(WideLines, WidthOneOrLessDrawsLikeTheThinPen) {
  const std::vector<TPoint> pts{{0, 0}, {13, 4}, {2, 9}};
  for (const int width : {-3, 0, 1}) {
    EXPECT_EQ(WidePolylineSpans(pts.data(), pts.size(), width, PathClosure::Open, CapStyle::Round, JoinStyle::Round,
                                kWide),
              ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Open, PenPattern::Solid, kWide));
  }
  EXPECT_EQ(WideEllipseOutlineSpans(TRect{0, 0, 9, 7}, 1, kWide),
            EllipseOutlineSpans(TRect{0, 0, 9, 7}, PenPattern::Solid, kWide));
}

// ---- joins and polylines

TEST(WideJoins, RectangleJoinsNestAndMiterSquaresTheCorners) {
  const TRect box{2, 2, 15, 12};
  for (const int width : {3, 4, 6, 9}) {
    const SpanList miter = WideRectOutlineSpans(box, width, JoinStyle::Miter, kWide);
    const SpanList round = WideRectOutlineSpans(box, width, JoinStyle::Round, kWide);
    const SpanList bevel = WideRectOutlineSpans(box, width, JoinStyle::Bevel, kWide);
    // The path runs through the outermost pixels (2, 2)..(14, 11).
    const int out = width / 2, in = (width - 1) / 2;
    const SpanList ring = SubtractSpans(RectSpans(TRect{2 - out, 2 - out, 15 + in, 12 + in}, kWide),
                                        RectSpans(TRect{3 + in, 3 + in, 14 - out, 11 - out}, kWide));
    EXPECT_EQ(miter, ring) << width;
    EXPECT_EQ(IntersectSpans(round, miter), round) << width;
    EXPECT_EQ(IntersectSpans(bevel, round), bevel) << width;
    // Bevels cut something off each outer corner once the pen is wide enough.
    EXPECT_LT(SpanPixelCount(bevel), SpanPixelCount(miter)) << width;
  }
}

TEST(WideJoins, SharpMiterFallsBackToBevel) {
  // A very sharp turn: its miter would be far longer than ten pen widths.
  const std::vector<TPoint> pts{{0, 0}, {200, 3}, {0, 6}};
  const SpanList miter =
      WidePolylineSpans(pts.data(), 3, 4, PathClosure::Open, CapStyle::Flat, JoinStyle::Miter, kWide);
  const SpanList bevel =
      WidePolylineSpans(pts.data(), 3, 4, PathClosure::Open, CapStyle::Flat, JoinStyle::Bevel, kWide);
  EXPECT_EQ(miter, bevel);
  EXPECT_LE(SpanBounds(miter).Right, 203);
}

TEST(WideJoins, PolylineStrokeHoldsEverySegmentStroke) {
  const std::vector<TPoint> pts{{0, 0}, {30, 5}, {12, 25}, {40, 33}};
  const SpanList all = WidePolylineSpans(pts.data(), pts.size(), 7, PathClosure::Open, CapStyle::Round,
                                         JoinStyle::Round, kWide);
  ASSERT_TRUE(IsValidSpanList(all));
  std::int64_t sum = 0;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    const SpanList seg = WideLine(pts[i], pts[i + 1], 7, CapStyle::Round);
    EXPECT_EQ(IntersectSpans(all, seg), seg);
    sum += SpanPixelCount(seg);
  }
  // Overlaps at the joins are covered once.
  EXPECT_LT(SpanPixelCount(all), sum);
  const int counts[2] = {2, 2};
  const SpanList two = WidePolyPolylineSpans(pts.data(), counts, 2, 7, PathClosure::Open, CapStyle::Round,
                                             JoinStyle::Round, kWide);
  EXPECT_EQ(two, UnionSpans(WideLine(pts[0], pts[1], 7, CapStyle::Round), WideLine(pts[2], pts[3], 7, CapStyle::Round)));
}

// ---- figures and the inside frame

TEST(WideFigures, InsideFrameKeepsTheStrokeExactlyInsideTheBox) {
  const TRect boxes[] = {{0, 0, 40, 30}, {-5, 3, 20, 60}, {10, 10, 31, 22}};
  for (const TRect& box : boxes) {
    for (int width = 2; width <= 9; ++width) {
      const TRect frame = InsideFrameBox(box, width);
      EXPECT_EQ(SpanBounds(WideRectOutlineSpans(frame, width, JoinStyle::Miter, kWide)), box) << width;
      EXPECT_EQ(SpanBounds(WideRoundRectOutlineSpans(frame, 12, 8, width, kWide)), box) << width;
      // An ellipse touches the box sides only at single points: with an even
      // width those lie exactly on the stroke's upper and left border, which
      // (top-left rule) covers a pixel only along a stretch, so the stroke
      // may stop one pixel short there.
      const SpanList ellipse = WideEllipseOutlineSpans(frame, width, kWide);
      EXPECT_EQ(IntersectSpans(ellipse, RectSpans(box, kWide)), ellipse) << width;
      const TRect b = SpanBounds(ellipse);
      EXPECT_EQ(b.Right, box.Right) << width;
      EXPECT_EQ(b.Bottom, box.Bottom) << width;
      const int slack = width % 2 == 0 ? 1 : 0;
      EXPECT_LE(b.Left, box.Left + slack) << width;
      EXPECT_LE(b.Top, box.Top + slack) << width;
    }
  }
  EXPECT_EQ(InsideFrameBox(TRect{10, 10, 0, 0}, 1), (TRect{0, 0, 10, 10}));
  // A box narrower than the pen keeps its middle column instead of turning inside out.
  EXPECT_EQ(InsideFrameBox(TRect{0, 0, 4, 30}, 9), (TRect{1, 4, 2, 26}));
}

TEST(WideFigures, CurvedStrokesCoverTheThinOutline) {
  const TRect box{3, 4, 40, 25};
  const TPoint s{40, 0}, e{0, 30};
  const std::pair<SpanList, SpanList> pairs[] = {
      {WideEllipseOutlineSpans(box, 3, kWide), EllipseOutlineSpans(box, PenPattern::Solid, kWide)},
      {WideRoundRectOutlineSpans(box, 14, 10, 3, kWide), RoundRectOutlineSpans(box, 14, 10, PenPattern::Solid, kWide)},
      {WideArcSpans(box, s, e, 3, CapStyle::Round, kWide), ArcOutlineSpans(box, s, e, PenPattern::Solid, kWide)},
      {WidePieOutlineSpans(box, s, e, 3, JoinStyle::Round, kWide), ArcOutlineSpans(box, s, e, PenPattern::Solid, kWide)},
      {WideChordOutlineSpans(box, s, e, 3, JoinStyle::Round, kWide), ArcOutlineSpans(box, s, e, PenPattern::Solid, kWide)},
  };
  for (const auto& [wide, thin] : pairs) {
    EXPECT_TRUE(IsValidSpanList(wide));
    EXPECT_EQ(IntersectSpans(wide, thin), thin);
  }
  // A flat-capped arc is part of the round-capped one, which is part of the pie's outline.
  const SpanList flat = WideArcSpans(box, s, e, 6, CapStyle::Flat, kWide);
  const SpanList round = WideArcSpans(box, s, e, 6, CapStyle::Round, kWide);
  EXPECT_EQ(IntersectSpans(flat, round), flat);
  EXPECT_LT(SpanPixelCount(flat), SpanPixelCount(round));
  const SpanList pie = WidePieOutlineSpans(box, s, e, 6, JoinStyle::Round, kWide);
  EXPECT_EQ(IntersectSpans(round, pie), round);
}

TEST(WideFigures, EllipseStrokeIsSymmetric) {
  const TRect box{0, 0, 31, 21};
  const SpanList stroke = WideEllipseOutlineSpans(box, 5, kWide);
  const TRect b = SpanBounds(stroke);
  EXPECT_EQ(b, (TRect{-2, -2, 33, 23}));
  for (const auto& [y, x] : ToPixels(stroke)) {
    EXPECT_TRUE(SpansContain(stroke, 30 - x, y)) << x << "," << y;
    EXPECT_TRUE(SpansContain(stroke, x, 20 - y)) << x << "," << y;
  }
}

// ---- far coordinates

TEST(WideClipping, StrokesAcrossTheInt32RangeClipToThePixelsNearTheLine) {
  const TPoint a{kMin, kMin + 100}, b{kMax, kMax - 100};
  const TRect clip{-20, -20, 20, 20};
  const SpanList stroke = WideLine(a, b, 9, CapStyle::Round, clip);
  ASSERT_FALSE(stroke.empty());
  // The ideal line passes (nearly) through the origin with slope ~1.
  for (const auto& [y, x] : ToPixels(stroke)) {
    EXPECT_LE(std::abs(double(y) - x) / std::sqrt(2.0), 4.5 + 1e-6) << x << "," << y;
  }
  EXPECT_TRUE(SpansContain(stroke, 0, 0));
  EXPECT_TRUE(SpansContain(stroke, 3, 0));
  const TRect everything{kMin, kMin, kMax, kMax};
  EXPECT_TRUE(WideEllipseOutlineSpans(everything, 40, clip).empty());
  EXPECT_TRUE(WideRectOutlineSpans(everything, 40, JoinStyle::Miter, clip).empty());
  const TRect top{-5, kMin, 5, kMin + 30};
  EXPECT_EQ(WideRectOutlineSpans(everything, 40, JoinStyle::Miter, top), RectSpans(TRect{-5, kMin, 5, kMin + 20}, top));
}

}  // namespace
}  // namespace vx::plat::gdi
