#include "platform/gdi/region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/raster_spans.h"
#include "tests/gdi/raster_test_util.h"

namespace vx::plat::gdi {
namespace {

using test::IsValidSpanList;
using test::ToPixels;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const TRect kWide{-1000, -1000, 1000, 1000};
const TRect kGrid{-3, -3, 24, 24};

const TPoint kStar[5] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};

struct NamedRegion {
  const char* name;
  Region region;
};

std::vector<NamedRegion> Operands() {
  const TPoint ring[8] = {{0, 0}, {14, 0}, {14, 14}, {0, 14}, {4, 4}, {10, 4}, {10, 10}, {4, 10}};
  const int counts[2] = {4, 4};
  return {
      {"rect", Region::FromRect(TRect{2, 2, 12, 9})},
      {"ellipse", Region::FromEllipse(TRect{6, 4, 19, 15})},
      {"starWinding", Region::FromPolygon(kStar, 5, FillMode::Winding)},
      {"starAlternate", Region::FromPolygon(kStar, 5, FillMode::Alternate)},
      {"roundRect", Region::FromRoundRect(TRect{-2, 8, 15, 21}, 9, 7)},
      {"ringWithHole", Region::FromPolyPolygon(ring, counts, 2, FillMode::Alternate)},
      {"empty", Region()},
  };
}

bool Apply(RegionOp op, bool a, bool b) {
  switch (op) {
    case RegionOp::And: return a && b;
    case RegionOp::Or: return a || b;
    case RegionOp::Xor: return a != b;
    case RegionOp::Diff: return a && !b;
    case RegionOp::Copy: return a;
  }
  return false;
}

// ---- construction

TEST(Region, ShapeRegionsHoldExactlyTheFilledPixels) {
  const TRect box{-4, 3, 27, 19};
  EXPECT_EQ(Region::FromRect(box).Spans(kWide), RectSpans(box, kWide));
  EXPECT_EQ(Region::FromEllipse(box).Spans(kWide), EllipseSpans(box, kWide));
  EXPECT_EQ(Region::FromRoundRect(box, 12, 9).Spans(kWide), RoundRectSpans(box, 12, 9, kWide));
  for (const FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
    EXPECT_EQ(Region::FromPolygon(kStar, 5, mode).Spans(kWide), PolygonSpans(kStar, 5, mode, kWide));
  }
  EXPECT_EQ(Region::FromSpans(EllipseSpans(box, kWide)), Region::FromEllipse(box));
  EXPECT_TRUE(Region::FromRect(TRect{5, 5, 5, 50}).IsEmpty());
  EXPECT_EQ(Region::FromRect(TRect{12, 9, 2, 2}), Region::FromRect(TRect{2, 2, 12, 9}));
  EXPECT_TRUE(Region::FromPolygon(kStar, 2, FillMode::Winding).IsEmpty());
}

TEST(Region, FromRectsIsTheUnionOfTheRectangles) {
  const std::vector<TRect> rects{{0, 0, 10, 4}, {5, 2, 15, 8}, {20, 0, 22, 30}, {3, 3, 3, 9}, {14, 8, 1, 6}};
  Region expected;
  for (const TRect& r : rects) expected = Region::Combine(expected, Region::FromRect(r), RegionOp::Or);
  EXPECT_EQ(Region::FromRects(rects.data(), rects.size()), expected);
  // And the rectangles a region reports rebuild it.
  const Region ellipse = Region::FromEllipse(TRect{0, 0, 31, 17});
  const std::vector<TRect> parts = ellipse.Rects();
  EXPECT_EQ(parts.size(), ellipse.RectCount());
  EXPECT_EQ(Region::FromRects(parts.data(), parts.size()), ellipse);
  std::int64_t area = 0;
  for (const TRect& r : parts) area += std::int64_t{r.Width()} * r.Height();
  EXPECT_EQ(area, SpanPixelCount(EllipseSpans(TRect{0, 0, 31, 17}, kWide)));
}

// ---- combining

TEST(Region, CombineFollowsTheTruthTableOnEveryPixel) {
  const std::vector<NamedRegion> ops = Operands();
  for (const NamedRegion& a : ops) {
    for (const NamedRegion& b : ops) {
      for (const RegionOp op : {RegionOp::And, RegionOp::Or, RegionOp::Xor, RegionOp::Diff, RegionOp::Copy}) {
        const Region r = Region::Combine(a.region, b.region, op);
        SpanList expected;
        for (int y = kGrid.Top; y < kGrid.Bottom; ++y) {
          for (int x = kGrid.Left; x < kGrid.Right; ++x) {
            const bool want = Apply(op, a.region.Contains(x, y), b.region.Contains(x, y));
            ASSERT_EQ(r.Contains(x, y), want) << a.name << " op" << static_cast<int>(op) << " " << b.name << " at "
                                              << x << "," << y;
            if (want) expected.push_back(Span{y, x, x + 1});
          }
        }
        NormaliseSpans(expected);
        const SpanList spans = r.Spans(kGrid);
        EXPECT_TRUE(IsValidSpanList(spans));
        EXPECT_EQ(spans, expected);
        // Canonical form: the same pixels always make the same region.
        EXPECT_EQ(r, Region::FromSpans(expected));
      }
    }
  }
}

TEST(Region, ComplexityIsReportedAsThePlatformDoes) {
  const Region a = Region::FromRect(TRect{0, 0, 5, 5});
  const Region right = Region::FromRect(TRect{5, 0, 10, 5});
  const Region below = Region::FromRect(TRect{0, 5, 5, 10});
  const Region far = Region::FromRect(TRect{50, 50, 60, 60});
  struct Case {
    Region r;
    RegionComplexity expected;
  };
  const Case cases[] = {
      {Region(), RegionComplexity::Null},
      {a, RegionComplexity::Simple},
      {Region::Combine(a, right, RegionOp::Or), RegionComplexity::Simple},  // side by side: one rectangle
      {Region::Combine(a, below, RegionOp::Or), RegionComplexity::Simple},  // stacked: one rectangle
      {Region::Combine(a, far, RegionOp::Or), RegionComplexity::Complex},
      {Region::Combine(a, far, RegionOp::And), RegionComplexity::Null},
      {Region::Combine(a, a, RegionOp::Xor), RegionComplexity::Null},
      {Region::FromEllipse(TRect{0, 0, 9, 9}), RegionComplexity::Complex},
      {Region::FromEllipse(TRect{0, 0, 2, 2}), RegionComplexity::Simple},
  };
  for (const Case& c : cases) EXPECT_EQ(c.r.Complexity(), c.expected);
  EXPECT_EQ(Region::Combine(a, right, RegionOp::Or), Region::FromRect(TRect{0, 0, 10, 5}));
  // An operation the platform does not know leaves the first region as it was.
  EXPECT_EQ(Region::Combine(a, far, static_cast<RegionOp>(9)), a);
}

// ---- queries

TEST(Region, BoundsContainsAndRectangleTests) {
  const Region ellipse = Region::FromEllipse(TRect{0, 0, 10, 10});
  EXPECT_EQ(ellipse.Bounds(), (TRect{0, 0, 10, 10}));
  EXPECT_EQ(Region().Bounds(), TRect{});
  EXPECT_EQ(Region::Combine(Region::FromRect(TRect{3, 8, 4, 9}), Region::FromRect(TRect{-2, 1, 0, 2}), RegionOp::Or)
                .Bounds(),
            (TRect{-2, 1, 4, 9}));
  struct Probe {
    TRect r;
    bool hit;
  };
  const Probe probes[] = {
      {{0, 0, 1, 1}, false},     // the corner pixel lies outside the circle
      {{0, 4, 1, 5}, true},      // the middle of its left side does not
      {{10, 0, 20, 10}, false},  // right edge excluded
      {{1, 1, -5, -5}, false},   // reversed corners are normalised
      {{3, 3, 3, 7}, false},     // empty rectangle
      {{9, 9, 0, 0}, true},
      {{-100, 5, 100, 6}, true},
  };
  for (const Probe& p : probes) EXPECT_EQ(ellipse.IntersectsRect(p.r), p.hit);
  EXPECT_TRUE(ellipse.Contains(5, 0));
  EXPECT_FALSE(ellipse.Contains(0, 0));
  EXPECT_FALSE(ellipse.Contains(10, 5));
  EXPECT_FALSE(Region().Contains(0, 0));
}

TEST(Region, OffsetMovesEveryPixelAndSaturatesAtTheInt32Limits) {
  Region r = Region::FromPolygon(kStar, 5, FillMode::Alternate);
  const SpanList before = r.Spans(kWide);
  r.Offset(-7, 13);
  SpanList moved = before;
  for (Span& s : moved) s = Span{s.y + 13, s.x0 - 7, s.x1 - 7};
  EXPECT_EQ(r.Spans(kWide), moved);

  Region edge = Region::FromRect(TRect{kMax - 30, 0, kMax - 10, 5});
  edge.Offset(15, 0);  // the last five columns are pushed past the limit
  EXPECT_EQ(edge, Region::FromRect(TRect{kMax - 15, 0, kMax, 5}));
  edge.Offset(kMax, kMax);
  EXPECT_TRUE(edge.IsEmpty());
  Region low = Region::FromEllipse(TRect{kMin, kMin, kMin + 20, kMin + 20});
  low.Offset(kMin, 0);
  EXPECT_TRUE(low.IsEmpty());
}

// ---- frames

// Pixels of r within w columns or h rows of a pixel outside r.
SpanList BruteFrame(const Region& r, int w, int h, const TRect& window) {
  SpanList out;
  for (int y = window.Top; y < window.Bottom; ++y) {
    for (int x = window.Left; x < window.Right; ++x) {
      if (!r.Contains(x, y)) continue;
      bool edge = false;
      for (int d = 1; d <= w && !edge; ++d) edge = !r.Contains(x - d, y) || !r.Contains(x + d, y);
      for (int d = 1; d <= h && !edge; ++d) edge = !r.Contains(x, y - d) || !r.Contains(x, y + d);
      if (edge) out.push_back(Span{y, x, x + 1});
    }
  }
  NormaliseSpans(out);
  return out;
}

TEST(Region, FrameIsTheInnerBorderOfTheGivenWidthAndHeight) {
  const std::vector<NamedRegion> ops = Operands();
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 1}, {3, 2}, {1, 4}, {6, 6}, {0, -2}};
  for (const NamedRegion& r : ops) {
    for (const auto& [w, h] : sizes) {
      const SpanList frame = r.region.FrameSpans(w, h, kGrid);
      EXPECT_EQ(frame, BruteFrame(r.region, std::max(w, 1), std::max(h, 1), kGrid)) << r.name << " " << w << "x" << h;
    }
  }
  // A frame as FrameRect draws it: w columns at the sides, h rows at top and bottom.
  EXPECT_EQ(Region::FromRect(TRect{0, 0, 8, 6}).FrameSpans(2, 1, kWide),
            SubtractSpans(RectSpans(TRect{0, 0, 8, 6}, kWide), RectSpans(TRect{2, 1, 6, 5}, kWide)));
}

// ---- far coordinates

TEST(Region, HugeRegionsStayCheapAndCorrect) {
  const TRect everything{kMin, kMin, kMax, kMax};
  const Region all = Region::FromRect(everything);
  EXPECT_EQ(all.Complexity(), RegionComplexity::Simple);
  EXPECT_TRUE(all.Contains(kMax - 1, kMin));
  EXPECT_EQ(all.Spans(TRect{-2, -1, 2, 1}), RectSpans(TRect{-2, -1, 2, 1}, kWide));
  const TRect cornerBox{kMin, kMin, kMin + 5, kMin + 5};
  EXPECT_EQ(all.FrameSpans(3, 2, cornerBox), SubtractSpans(RectSpans(cornerBox, cornerBox),
                                                            RectSpans(TRect{kMin + 3, kMin + 2, kMin + 5, kMin + 5}, cornerBox)));

  // A huge ellipse keeps a bounded number of bands yet answers sensibly.
  const Region ellipse = Region::FromEllipse(everything);
  EXPECT_LE(ellipse.RectCount(), std::size_t{1} << 19);
  EXPECT_TRUE(ellipse.Contains(0, 0));
  EXPECT_TRUE(ellipse.Contains(kMin, -1));
  EXPECT_FALSE(ellipse.Contains(kMin + 1000, kMin + 1000));
  EXPECT_EQ(Region::Combine(ellipse, Region::FromRect(TRect{-5, -5, 5, 5}), RegionOp::And),
            Region::FromRect(TRect{-5, -5, 5, 5}));
  // Rectilinear polygons stay exact whatever their size.
  const TPoint ell[6] = {{kMin, kMin}, {0, kMin}, {0, 0}, {kMax, 0}, {kMax, kMax}, {kMin, kMax}};
  const Region polygon = Region::FromPolygon(ell, 6, FillMode::Alternate);
  EXPECT_EQ(polygon.RectCount(), 2u);
  EXPECT_TRUE(polygon.Contains(-1, -1));
  EXPECT_FALSE(polygon.Contains(0, -1));
  EXPECT_TRUE(polygon.Contains(kMax - 1, 0));
}

TEST(Region, ClipKeepsThePixelsInsideTheRectangle) {
  Region r = Region::FromEllipse(TRect{0, 0, 20, 20});
  r.Clip(TRect{10, -5, 30, 10});
  EXPECT_EQ(r.Spans(kWide), IntersectSpans(EllipseSpans(TRect{0, 0, 20, 20}, kWide), RectSpans(TRect{10, 0, 20, 10}, kWide)));
  r.Clip(TRect{});
  EXPECT_TRUE(r.IsEmpty());
}

}  // namespace
}  // namespace vx::plat::gdi
