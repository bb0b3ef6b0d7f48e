#include "platform/gdi/raster_shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/gdi/raster_spans.h"
#include "tests/gdi/raster_test_util.h"

namespace vx::plat::gdi {
namespace {

using test::Art;
using test::FromArt;
using test::IsValidSpanList;
using test::ToArt;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const TRect kWide{-1000, -1000, 1000, 1000};

__extension__ typedef __int128 Int128;

// Independent oracle: a pixel is inside when its centre is, counting the
// crossings of a rightward ray with half-open edges (an edge crossing exactly
// at the centre counts, so left edges are included, right ones excluded).
bool CentreInside(const std::vector<std::vector<TPoint>>& polys, FillMode mode, std::int64_t x, std::int64_t y) {
  // Doubled coordinates keep the centre (x + 1/2, y + 1/2) integral.
  const Int128 cx = 2 * x + 1, cy = 2 * y + 1;
  int winding = 0, crossings = 0;
  for (const auto& poly : polys) {
    for (std::size_t i = 0; i < poly.size(); ++i) {
      const TPoint a = poly[i], b = poly[(i + 1) % poly.size()];
      const Int128 ay = 2 * Int128{a.y}, by = 2 * Int128{b.y};
      const Int128 ax = 2 * Int128{a.x}, bx = 2 * Int128{b.x};
      const bool down = by > ay;
      const Int128 top = down ? ay : by, bottom = down ? by : ay;
      if (!(top <= cy && cy < bottom)) continue;
      // Crossing x_e at cy; counts when x_e <= cx, i.e. (x_e - cx) * (by - ay) has the sign of...
      const Int128 num = (ax - cx) * (by - ay) + (cy - ay) * (bx - ax);  // (x_e - cx) * (by - ay)
      const bool atOrLeft = down ? num <= 0 : num >= 0;
      if (!atOrLeft) continue;
      ++crossings;
      winding += down ? 1 : -1;
    }
  }
  return mode == FillMode::Winding ? winding != 0 : (crossings & 1) != 0;
}

SpanList OracleSpans(const std::vector<std::vector<TPoint>>& polys, FillMode mode, const TRect& window) {
  SpanList out;
  for (std::int64_t y = window.Top; y < window.Bottom; ++y) {
    for (std::int64_t x = window.Left; x < window.Right; ++x) {
      if (!CentreInside(polys, mode, x, y)) continue;
      const auto xi = static_cast<std::int32_t>(x), yi = static_cast<std::int32_t>(y);
      if (!out.empty() && out.back().y == yi && out.back().x1 == xi) out.back().x1 = xi + 1;
      else out.push_back(Span{yi, xi, xi + 1});
    }
  }
  return out;
}

// ---- pictures of small shapes

struct ArtCase {
  const char* name;
  SpanList (*draw)();
  Art expected;
};

const TRect kArtClip{0, 0, 64, 64};

SpanList Ellipse5x4() { return EllipseSpans(TRect{0, 0, 5, 4}, kArtClip); }
SpanList Circle10() { return EllipseSpans(TRect{0, 0, 10, 10}, kArtClip); }
SpanList FlatEllipse() { return EllipseSpans(TRect{0, 0, 20, 3}, kArtClip); }
SpanList SlimEllipse() { return EllipseSpans(TRect{0, 0, 2, 6}, kArtClip); }
SpanList RoundRect12x8() { return RoundRectSpans(TRect{0, 0, 12, 8}, 8, 6, kArtClip); }
SpanList Triangle() {
  const TPoint p[3] = {{1, 1}, {9, 1}, {1, 7}};
  return PolygonSpans(p, 3, FillMode::Alternate, kArtClip);
}
const TPoint kStar[5] = {{6, 0}, {10, 11}, {0, 4}, {12, 4}, {2, 11}};
SpanList StarAlternate() { return PolygonSpans(kStar, 5, FillMode::Alternate, kArtClip); }
SpanList StarWinding() { return PolygonSpans(kStar, 5, FillMode::Winding, kArtClip); }
SpanList PieQuadrant() { return PieSpans(TRect{0, 0, 12, 12}, TPoint{12, 6}, TPoint{6, 0}, kArtClip); }
SpanList PieThreeQuarters() { return PieSpans(TRect{0, 0, 8, 8}, TPoint{4, 0}, TPoint{8, 4}, kArtClip); }
SpanList ChordHalf() { return ChordSpans(TRect{0, 0, 10, 8}, TPoint{0, 4}, TPoint{10, 4}, kArtClip); }

const ArtCase kArtCases[] = {
    {"Ellipse5x4", Ellipse5x4, {".###.", "#####", "#####", ".###."}},
    {"Circle10",
     Circle10,
     {"...####...", ".########.", ".########.", "##########", "##########", "##########", "##########",
      ".########.", ".########.", "...####..."}},
    // A flat ellipse keeps the whole width on its middle row.
    {"FlatEllipse", FlatEllipse, {"...##############...", "####################", "...##############..."}},
    // A slim ellipse keeps its middle pixels on every row.
    {"SlimEllipse", SlimEllipse, {"##", "##", "##", "##", "##", "##"}},
    {"RoundRect12x8",
     RoundRect12x8,
     {"..########..", ".##########.", "############", "############", "############", "############",
      ".##########.", "..########.."}},
    {"Triangle", Triangle, {"..........", ".#######..", ".######...", ".#####....", ".###......", ".##.......",
                            ".#........", ".........."}},
    {"StarAlternate",
     StarAlternate,
     {".............", ".....##......", ".....##......", ".....##......", ".###....###..", "..##....##...",
      ".............", "...##..##....", "...######....", "...#....#....", "..#......#...", "............."}},
    {"StarWinding",
     StarWinding,
     {".............", ".....##......", ".....##......", ".....##......", ".##########..", "..########...",
      "....####.....", "...######....", "...######....", "...#....#....", "..#......#...", "............."}},
    // Counter-clockwise on screen from 3 o'clock to 12 o'clock: the upper right quadrant.
    {"PieQuadrant",
     PieQuadrant,
     {"......##....", "......####..", "......#####.", "......#####.", "......######", "......######",
      "............", "............"}},
    // From 12 o'clock counter-clockwise round to 3 o'clock: all but the upper right quadrant.
    {"PieThreeQuarters",
     PieThreeQuarters,
     {"..##....", ".###....", "####....", "####....", "########", "########", ".######.", "..####.."}},
    // From 9 o'clock counter-clockwise (through 6 o'clock) to 3 o'clock: the lower half.
    {"ChordHalf", ChordHalf, {"..........", "..........", "..........", "..........", "##########", "##########",
                              ".########.", "...####..."}},
};

class ShapeArt : public ::testing::TestWithParam<ArtCase> {};

TEST_P(ShapeArt, CoversExactlyThePictureAndNothingElse) {
  const ArtCase& c = GetParam();
  const SpanList spans = c.draw();
  EXPECT_TRUE(IsValidSpanList(spans));
  const int w = static_cast<int>(c.expected.front().size()), h = static_cast<int>(c.expected.size());
  EXPECT_EQ(ToArt(spans, w, h), c.expected);
  // Nothing outside the picture either.
  EXPECT_EQ(spans, FromArt(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Pictures, ShapeArt, ::testing::ValuesIn(kArtCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- edge coverage

TEST(RasterShapes, RectangleCoversLeftTopButNotRightBottomWhateverTheCornerOrder) {
  const SpanList expected = FromArt({"....", "####", "####"}, 2, 2);  // columns 2..5, rows 3..4
  const TRect boxes[] = {{2, 3, 6, 5}, {6, 5, 2, 3}, {6, 3, 2, 5}, {2, 5, 6, 3}};
  for (const TRect& b : boxes) {
    EXPECT_EQ(RectSpans(b, kWide), ClipSpans(expected, TRect{0, 3, 100, 100}));
  }
  EXPECT_TRUE(RectSpans(TRect{4, 1, 4, 9}, kWide).empty());
  EXPECT_TRUE(EllipseSpans(TRect{1, 4, 9, 4}, kWide).empty());
  EXPECT_TRUE(RoundRectSpans(TRect{1, 4, 1, 9}, 3, 3, kWide).empty());
}

TEST(RasterShapes, EllipseAndRoundRectFillExactlyTheirBoxRowsAndColumns) {
  for (int w = 1; w <= 24; ++w) {
    for (int h = 1; h <= 24; h += 1) {
      const TRect box{3, 5, 3 + w, 5 + h};
      for (const SpanList& s : {EllipseSpans(box, kWide), RoundRectSpans(box, w / 2, h / 3, kWide)}) {
        ASSERT_TRUE(IsValidSpanList(s));
        EXPECT_EQ(SpanBounds(s), box) << w << "x" << h;
        // One run per row: every row of the box is covered.
        EXPECT_EQ(s.size(), static_cast<std::size_t>(h)) << w << "x" << h;
      }
    }
  }
}

TEST(RasterShapes, EllipseIsMirrorSymmetricAndConvex) {
  for (const TRect box : {TRect{0, 0, 17, 9}, TRect{-4, 2, 30, 40}, TRect{1, 1, 8, 50}}) {
    const SpanList s = EllipseSpans(box, kWide);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(box.Height()));
    for (std::size_t i = 0; i < s.size(); ++i) {
      const Span& mirrorRow = s[s.size() - 1 - i];
      EXPECT_EQ(s[i].x0 - box.Left, box.Right - s[i].x1);  // left-right symmetric
      EXPECT_EQ(s[i].x0, mirrorRow.x0);                    // top-bottom symmetric
      // Rows widen towards the middle.
      if (2 * i + 1 < s.size()) {
        EXPECT_GE(s[i].x0, s[i + 1].x0);
      }
    }
  }
}

TEST(RasterShapes, RoundRectWithNoCornerIsTheRectangleAndWithFullCornerTheEllipse) {
  const TRect box{2, 3, 19, 14};
  EXPECT_EQ(RoundRectSpans(box, 0, 7, kWide), RectSpans(box, kWide));
  EXPECT_EQ(RoundRectSpans(box, 7, 0, kWide), RectSpans(box, kWide));
  EXPECT_EQ(RoundRectSpans(box, 17, 11, kWide), EllipseSpans(box, kWide));
  EXPECT_EQ(RoundRectSpans(box, 400, 400, kWide), EllipseSpans(box, kWide));
  EXPECT_EQ(RoundRectSpans(box, -6, -4, kWide), RoundRectSpans(box, 6, 4, kWide));
}

TEST(RasterShapes, PolygonRectangleCoversWhatTheRectangleCovers) {
  const TPoint cw[4] = {{2, 3}, {9, 3}, {9, 8}, {2, 8}};
  const TPoint ccw[4] = {{2, 3}, {2, 8}, {9, 8}, {9, 3}};
  for (const FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
    EXPECT_EQ(PolygonSpans(cw, 4, mode, kWide), RectSpans(TRect{2, 3, 9, 8}, kWide));
    EXPECT_EQ(PolygonSpans(ccw, 4, mode, kWide), RectSpans(TRect{2, 3, 9, 8}, kWide));
  }
}

TEST(RasterShapes, PolygonsSharingEdgesThroughPixelCentresNeverShareAPixel) {
  // A fan of triangles around (8, 8) whose shared edges pass exactly through pixel centres.
  const TPoint ring[8] = {{0, 0}, {8, 0}, {16, 0}, {16, 8}, {16, 16}, {8, 16}, {0, 16}, {0, 8}};
  const TPoint centre{8, 8};
  SpanList all;
  std::int64_t pixels = 0;
  for (int i = 0; i < 8; ++i) {
    const TPoint tri[3] = {centre, ring[i], ring[(i + 1) % 8]};
    const SpanList part = PolygonSpans(tri, 3, FillMode::Alternate, kWide);
    EXPECT_TRUE(IntersectSpans(all, part).empty()) << "triangle " << i;
    pixels += SpanPixelCount(part);
    all = UnionSpans(all, part);
  }
  EXPECT_EQ(pixels, 16 * 16);
  EXPECT_EQ(all, RectSpans(TRect{0, 0, 16, 16}, kWide));
}

TEST(RasterShapes, PolygonsMatchThePixelCentreOracle) {
  test::Lcg rng(7);
  for (int round = 0; round < 60; ++round) {
    std::vector<std::vector<TPoint>> polys(1 + round % 3);
    std::vector<TPoint> flat;
    std::vector<int> counts;
    for (auto& poly : polys) {
      const int n = rng.Range(3, 9);
      for (int i = 0; i < n; ++i) poly.push_back(TPoint{rng.Range(-3, 20), rng.Range(-3, 20)});
      flat.insert(flat.end(), poly.begin(), poly.end());
      counts.push_back(n);
    }
    const TRect window{-4, -4, 22, 22};
    for (const FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
      const SpanList got = polys.size() == 1
                               ? PolygonSpans(flat.data(), flat.size(), mode, window)
                               : PolyPolygonSpans(flat.data(), counts.data(), counts.size(), mode, window);
      ASSERT_TRUE(IsValidSpanList(got));
      EXPECT_EQ(got, OracleSpans(polys, mode, window)) << "round " << round << " mode " << static_cast<int>(mode);
    }
  }
}

TEST(RasterShapes, PolyPolygonAlternateCutsHolesWindingFillsThem) {
  const TPoint pts[8] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {3, 3}, {7, 3}, {7, 7}, {3, 7}};
  const int counts[2] = {4, 4};
  const SpanList outer = RectSpans(TRect{0, 0, 10, 10}, kWide);
  const SpanList hole = RectSpans(TRect{3, 3, 7, 7}, kWide);
  EXPECT_EQ(PolyPolygonSpans(pts, counts, 2, FillMode::Alternate, kWide), SubtractSpans(outer, hole));
  // Both squares wind the same way, so the inner one adds to the winding number.
  EXPECT_EQ(PolyPolygonSpans(pts, counts, 2, FillMode::Winding, kWide), outer);
}

TEST(RasterShapes, DegenerateInputsCoverNothing) {
  const TPoint two[2] = {{0, 0}, {10, 10}};
  const TPoint flat[4] = {{0, 5}, {10, 5}, {20, 5}, {3, 5}};
  EXPECT_TRUE(PolygonSpans(two, 2, FillMode::Alternate, kWide).empty());
  EXPECT_TRUE(PolygonSpans(flat, 4, FillMode::Winding, kWide).empty());
  EXPECT_TRUE(PolygonSpans(nullptr, 5, FillMode::Winding, kWide).empty());
  const int counts[2] = {-3, 2};
  EXPECT_TRUE(PolyPolygonSpans(two, counts, 2, FillMode::Alternate, kWide).empty());
  EXPECT_TRUE(EllipseSpans(TRect{0, 0, 10, 10}, TRect{5, 5, 5, 9}).empty());  // empty clip
}

// ---- pies and chords

struct ArcCase {
  TRect box;
  TPoint start, end;
};

const ArcCase kArcCases[] = {
    {{0, 0, 20, 14}, {20, 7}, {10, 0}},    // quadrant
    {{0, 0, 20, 14}, {3, 0}, {18, 13}},    // more than half a turn
    {{-7, 3, 16, 30}, {0, 0}, {30, 40}},   // radials through far points
    {{0, 0, 15, 15}, {7, 0}, {7, 15}},     // half turn through odd-sized centre
    {{5, 5, 40, 12}, {6, 11}, {38, 6}},    // flat ellipse
    {{0, 0, 9, 30}, {100, -3}, {-100, -4}},
};

TEST(RasterShapes, PieAndItsComplementMakeTheEllipse) {
  for (const ArcCase& c : kArcCases) {
    const SpanList a = PieSpans(c.box, c.start, c.end, kWide);
    const SpanList b = PieSpans(c.box, c.end, c.start, kWide);
    ASSERT_TRUE(IsValidSpanList(a));
    EXPECT_EQ(UnionSpans(a, b), EllipseSpans(c.box, kWide));
    // Only pixel centres right on a radial may belong to both.
    EXPECT_LE(SpanPixelCount(IntersectSpans(a, b)), 2 * (c.box.Width() + c.box.Height()));
  }
}

TEST(RasterShapes, ChordAndItsComplementMakeTheEllipse) {
  for (const ArcCase& c : kArcCases) {
    const SpanList a = ChordSpans(c.box, c.start, c.end, kWide);
    const SpanList b = ChordSpans(c.box, c.end, c.start, kWide);
    ASSERT_TRUE(IsValidSpanList(a));
    EXPECT_EQ(IntersectSpans(a, EllipseSpans(c.box, kWide)), a);
    EXPECT_EQ(UnionSpans(a, b), EllipseSpans(c.box, kWide));
  }
}

TEST(RasterShapes, EqualRadialsGiveTheWholeEllipse) {
  const TRect box{0, 0, 13, 9};
  // (20, 2) and (47, -3) lie on one ray from the centre (6.5, 4.5).
  EXPECT_EQ(PieSpans(box, TPoint{20, 2}, TPoint{47, -3}, kWide), EllipseSpans(box, kWide));
  EXPECT_EQ(ChordSpans(box, TPoint{3, 3}, TPoint{3, 3}, kWide), EllipseSpans(box, kWide));
}

// ---- far coordinates

TEST(RasterShapes, HugeShapesCostOnlyTheClipAndCoverItCorrectly) {
  const TRect clip{-8, -6, 8, 6};
  const TRect everything{kMin, kMin, kMax, kMax};
  EXPECT_EQ(RectSpans(everything, clip), RectSpans(clip, kWide));
  EXPECT_EQ(EllipseSpans(everything, clip), RectSpans(clip, kWide));
  EXPECT_EQ(RoundRectSpans(everything, kMax, kMax, clip), RectSpans(clip, kWide));
  // The upper right quadrant, plus the centre pixel (-1, -1) of this odd-sized box.
  EXPECT_EQ(PieSpans(everything, TPoint{kMax, 0}, TPoint{0, kMin}, clip),
            UnionSpans(RectSpans(TRect{0, -6, 8, 0}, kWide), RectSpans(TRect{-1, -1, 0, 0}, kWide)));
  // The corner of the huge box lies outside its ellipse.
  EXPECT_TRUE(EllipseSpans(everything, TRect{kMin, kMin, kMin + 50, kMin + 50}).empty());
  // Its top row is centred on the box's middle (between pixels -1 and 0).
  const SpanList top = EllipseSpans(everything, TRect{-100000, kMin, 100000, kMin + 1});
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(std::int64_t{top[0].x0} + top[0].x1, -1);
}

TEST(RasterShapes, FarPolygonsMatchTheOracle) {
  const std::vector<std::vector<TPoint>> polys = {
      {{kMin, kMin}, {kMax, kMin + 7}, {3, kMax}},
      {{kMax, 0}, {kMin, 1}, {kMax, 5}, {kMin, 9}},
  };
  const TRect windows[] = {{-10, -10, 10, 10}, {kMax - 20, -5, kMax, 12}, {-6, kMax - 12, 14, kMax}};
  for (const auto& poly : polys) {
    for (const TRect& w : windows) {
      for (const FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
        EXPECT_EQ(PolygonSpans(poly.data(), poly.size(), mode, w), OracleSpans({poly}, mode, w));
      }
    }
  }
}

TEST(RasterShapes, ShapesMovedFarAwayKeepTheirPixels) {
  const TRect box{0, 0, 23, 17};
  const TPoint tri[3] = {{0, 0}, {23, 5}, {7, 17}};
  const std::int32_t offsets[] = {kMax - 40, kMin + 3, 1 << 30};
  for (const std::int32_t d : offsets) {
    const TRect moved{box.Left + d, box.Top + d, box.Right + d, box.Bottom + d};
    const TRect clip{d - 2, d - 2, d + 30, d + 30};
    SpanList expected = EllipseSpans(box, kWide);
    for (Span& s : expected) s = Span{s.y + d, s.x0 + d, s.x1 + d};
    EXPECT_EQ(EllipseSpans(moved, clip), expected) << d;
    const TPoint movedTri[3] = {{d, d}, {23 + d, 5 + d}, {7 + d, 17 + d}};
    SpanList expectedTri = PolygonSpans(tri, 3, FillMode::Alternate, kWide);
    for (Span& s : expectedTri) s = Span{s.y + d, s.x0 + d, s.x1 + d};
    EXPECT_EQ(PolygonSpans(movedTri, 3, FillMode::Alternate, clip), expectedTri) << d;
  }
}

}  // namespace
}  // namespace vx::plat::gdi
