#include "platform/gdi/raster_outlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

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

// Pixels of fill with a left, right, upper or lower neighbour outside it.
SpanList BruteBoundary(const SpanList& fill) {
  SpanList out;
  for (const auto& [y, x] : ToPixels(fill)) {
    const bool inner = SpansContain(fill, x - 1, y) && SpansContain(fill, x + 1, y) && SpansContain(fill, x, y - 1) &&
                       SpansContain(fill, x, y + 1);
    if (!inner) out.push_back(Span{y, x, x + 1});
  }
  NormaliseSpans(out);
  return out;
}

// ---- pictures

struct OutlineArt {
  const char* name;
  SpanList (*draw)();
  Art expected;
};

SpanList Ellipse10() { return EllipseOutlineSpans(TRect{0, 0, 10, 10}, PenPattern::Solid, kWide); }
SpanList Rect6x4() { return RectOutlineSpans(TRect{6, 4, 0, 0}, PenPattern::Solid, kWide); }
SpanList RoundRect12x8() { return RoundRectOutlineSpans(TRect{0, 0, 12, 8}, 8, 6, PenPattern::Solid, kWide); }
SpanList ArcThreeQuarters() {
  return ArcOutlineSpans(TRect{0, 0, 12, 12}, TPoint{6, 0}, TPoint{12, 6}, PenPattern::Solid, kWide);
}
SpanList PieQuadrant() {
  return PieOutlineSpans(TRect{0, 0, 12, 12}, TPoint{12, 6}, TPoint{6, 0}, PenPattern::Solid, kWide);
}
SpanList ChordQuadrant() {
  return ChordOutlineSpans(TRect{0, 0, 12, 12}, TPoint{12, 6}, TPoint{6, 0}, PenPattern::Solid, kWide);
}

const OutlineArt kOutlineArt[] = {
    {"Ellipse10",
     Ellipse10,
     {"...####...", ".##....##.", ".#......#.", "#........#", "#........#", "#........#", "#........#",
      ".#......#.", ".##....##.", "...####..."}},
    {"Rect6x4", Rect6x4, {"######", "#....#", "#....#", "######"}},
    {"RoundRect12x8",
     RoundRect12x8,
     {"..########..", ".#........#.", "#..........#", "#..........#", "#..........#", "#..........#",
      ".#........#.", "..########.."}},
    // From 12 o'clock counter-clockwise on screen round to 3 o'clock.
    {"ArcThreeQuarters",
     ArcThreeQuarters,
     {"....##......", "..##........", ".#..........", ".#..........", "#...........", "#...........",
      "#..........#", "#..........#", ".#........#.", ".#........#.", "..##....##..", "....####...."}},
    // The radials meet in the middle pixel that lies inside the quadrant, so
    // the pie's outline is the outer ring of its fill.
    {"PieQuadrant",
     PieQuadrant,
     {"......##....", "......#.##..", "......#...#.", "......#...#.", "......#....#", "......######",
      "............"}},
    {"ChordQuadrant",
     ChordQuadrant,
     {"......##....", ".......###..", "........#.#.", ".........##.", "..........##", "...........#",
      "............"}},
};

class OutlinePictures : public ::testing::TestWithParam<OutlineArt> {};

TEST_P(OutlinePictures, DrawExactlyThePicture) {
  const OutlineArt& c = GetParam();
  const SpanList spans = c.draw();
  EXPECT_TRUE(IsValidSpanList(spans));
  const int w = static_cast<int>(c.expected.front().size()), h = static_cast<int>(c.expected.size());
  EXPECT_EQ(ToArt(spans, w, h), c.expected);
  EXPECT_EQ(spans, FromArt(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Pictures, OutlinePictures, ::testing::ValuesIn(kOutlineArt),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- outline against fill

TEST(Outlines, ClosedFigureOutlinesAreTheOuterRingOfTheirFills) {
  for (int w = 1; w <= 19; w += 3) {
    for (int h = 1; h <= 23; h += 2) {
      const TRect box{-3, 2, -3 + w, 2 + h};
      EXPECT_EQ(EllipseOutlineSpans(box, PenPattern::Solid, kWide), BruteBoundary(EllipseSpans(box, kWide)));
      EXPECT_EQ(RectOutlineSpans(box, PenPattern::Solid, kWide), BruteBoundary(RectSpans(box, kWide)));
      EXPECT_EQ(RoundRectOutlineSpans(box, 2 * w / 3, h / 2, PenPattern::Solid, kWide),
                BruteBoundary(RoundRectSpans(box, 2 * w / 3, h / 2, kWide)));
      // A styled pen splits the same ring into dashes and gaps.
      SpanList gaps;
      const SpanList dots = EllipseOutlineSpans(box, PenPattern::Dot, kWide, &gaps);
      EXPECT_TRUE(IntersectSpans(dots, gaps).empty());
      EXPECT_EQ(UnionSpans(dots, gaps), EllipseOutlineSpans(box, PenPattern::Solid, kWide));
    }
  }
}

TEST(Outlines, RectanglePatternStartsAtTheTopLeftCornerGoingRight) {
  SpanList gaps;
  const SpanList dash = RectOutlineSpans(TRect{0, 0, 30, 10}, PenPattern::Dash, kWide, &gaps);
  EXPECT_EQ(ToArt(dash, 30, 1).front(), "##################......######");
  EXPECT_EQ(UnionSpans(dash, gaps), RectOutlineSpans(TRect{0, 0, 30, 10}, PenPattern::Solid, kWide));
}

struct ArcCase {
  TRect box;
  TPoint start, end;
};

const ArcCase kArcs[] = {
    {{0, 0, 20, 14}, {20, 7}, {10, 0}},   {{0, 0, 20, 14}, {3, 0}, {18, 13}}, {{-7, 3, 16, 30}, {0, 0}, {30, 40}},
    {{0, 0, 15, 15}, {7, 0}, {7, 15}},    {{5, 5, 40, 12}, {6, 11}, {38, 6}}, {{0, 0, 9, 30}, {100, -3}, {-100, -4}},
    {{0, 0, 3, 3}, {0, 0}, {3, 3}},
};

TEST(Outlines, ArcAndItsComplementMakeTheEllipseOutline) {
  for (const ArcCase& c : kArcs) {
    const SpanList ring = EllipseOutlineSpans(c.box, PenPattern::Solid, kWide);
    const SpanList a = ArcOutlineSpans(c.box, c.start, c.end, PenPattern::Solid, kWide);
    const SpanList b = ArcOutlineSpans(c.box, c.end, c.start, PenPattern::Solid, kWide);
    EXPECT_TRUE(IsValidSpanList(a));
    EXPECT_EQ(IntersectSpans(a, ring), a);
    EXPECT_EQ(UnionSpans(a, b), ring);
  }
  // Equal radials: the whole outline.
  const TRect box{0, 0, 13, 9};
  EXPECT_EQ(ArcOutlineSpans(box, TPoint{20, 2}, TPoint{47, -3}, PenPattern::Solid, kWide),
            EllipseOutlineSpans(box, PenPattern::Solid, kWide));
}

TEST(Outlines, PieAndChordOutlinesHoldTheArcAndStayInTheEllipse) {
  for (const ArcCase& c : kArcs) {
    const SpanList ellipse = EllipseSpans(c.box, kWide);
    const SpanList arc = ArcOutlineSpans(c.box, c.start, c.end, PenPattern::Solid, kWide);
    for (const SpanList& outline : {PieOutlineSpans(c.box, c.start, c.end, PenPattern::Solid, kWide),
                                    ChordOutlineSpans(c.box, c.start, c.end, PenPattern::Solid, kWide)}) {
      EXPECT_TRUE(IsValidSpanList(outline));
      EXPECT_EQ(IntersectSpans(outline, arc), arc);
      EXPECT_EQ(IntersectSpans(outline, ellipse), outline);
    }
    // The chord closes the figure: its ends are the arc's end pixels.
    const SpanList chord = ChordOutlineSpans(c.box, c.start, c.end, PenPattern::Solid, kWide);
    const ArcEnds ends = ArcEndPixels(c.box, c.start, c.end);
    EXPECT_TRUE(SpansContain(chord, ends.first.x, ends.first.y));
    EXPECT_TRUE(SpansContain(chord, ends.last.x, ends.last.y));
  }
}

TEST(Outlines, ArcEndPixelsAreTheOutlinePixelsClosestInAngleToTheRadials) {
  for (const ArcCase& c : kArcs) {
    const ArcEnds ends = ArcEndPixels(c.box, c.start, c.end);
    const std::pair<TPoint, TPoint> checks[] = {{c.start, ArcEndPixel(c.box, c.start)},
                                                {c.end, ArcEndPixel(c.box, c.end)},
                                                {c.start, ends.first},
                                                {c.end, ends.last}};
    for (const auto& [radial, got] : checks) {
      const SpanList ring = EllipseOutlineSpans(c.box, PenPattern::Solid, kWide);
      ASSERT_TRUE(SpansContain(ring, got.x, got.y));
      // Doubled coordinates from the box centre.
      const double rx = 2.0 * radial.x - (c.box.Left + c.box.Right);
      const double ry = 2.0 * radial.y - (c.box.Top + c.box.Bottom);
      const auto cosine = [&](std::int32_t x, std::int32_t y) {
        const double px = 2.0 * x + 1 - (c.box.Left + c.box.Right), py = 2.0 * y + 1 - (c.box.Top + c.box.Bottom);
        const double len = std::hypot(px, py) * std::hypot(rx, ry);
        return len > 0 ? (px * rx + py * ry) / len : 1.0;
      };
      double best = -2;
      for (const auto& [y, x] : ToPixels(ring)) best = std::max(best, cosine(x, y));
      EXPECT_NEAR(cosine(got.x, got.y), best, 1e-12);
    }
  }
}

// ---- clipping and far coordinates

TEST(Outlines, ClippedOutlinesAreTheFullOutlinesCutToTheClip) {
  const TRect box{-120, -70, 181, 90};
  const TRect clips[] = {{-130, -80, -100, 0}, {0, -75, 40, -60}, {150, 0, 200, 100}, {-10, -10, 10, 10}};
  for (const TRect& clip : clips) {
    EXPECT_EQ(EllipseOutlineSpans(box, PenPattern::Solid, clip),
              ClipSpans(EllipseOutlineSpans(box, PenPattern::Solid, kWide), clip));
    EXPECT_EQ(RoundRectOutlineSpans(box, 90, 60, PenPattern::Solid, clip),
              ClipSpans(RoundRectOutlineSpans(box, 90, 60, PenPattern::Solid, kWide), clip));
    EXPECT_EQ(ArcOutlineSpans(box, TPoint{0, -200}, TPoint{-300, 40}, PenPattern::Solid, clip),
              ClipSpans(ArcOutlineSpans(box, TPoint{0, -200}, TPoint{-300, 40}, PenPattern::Solid, kWide), clip));
    EXPECT_EQ(RectOutlineSpans(box, PenPattern::DashDot, clip),
              ClipSpans(RectOutlineSpans(box, PenPattern::DashDot, kWide), clip));
  }
}

TEST(Outlines, HugeFiguresOutlineOnlyTheirEdgesInsideTheClip) {
  const TRect flat{kMin, -10, kMax, 10};
  // The left end of a flat ellipse is its two middle rows, whose neighbours
  // start far to the right.
  EXPECT_EQ(EllipseOutlineSpans(flat, PenPattern::Solid, TRect{kMin, -20, kMin + 5, 20}),
            (SpanList{{-1, kMin, kMin + 5}, {0, kMin, kMin + 5}}));
  // The middle of a huge rectangle has no outline; its top edge is one row.
  const TRect everything{kMin, kMin, kMax, kMax};
  EXPECT_TRUE(RectOutlineSpans(everything, PenPattern::Solid, TRect{-50, -50, 50, 50}).empty());
  EXPECT_EQ(RectOutlineSpans(everything, PenPattern::Dot, TRect{-50, kMin, 50, kMin + 50}).size(), 17u);
  // A huge circle's outline crosses a small clip on its right side as a thin curve.
  const SpanList side = EllipseOutlineSpans(everything, PenPattern::Solid, TRect{kMax - 40, -40, kMax, 40});
  ASSERT_FALSE(side.empty());
  for (const Span& s : side) EXPECT_EQ(s.x1, kMax);
}

}  // namespace
}  // namespace vx::plat::gdi
