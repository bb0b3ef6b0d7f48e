#include "platform/gdi/raster_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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
using test::ToPixels;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const TRect kWide{-1000, -1000, 1000, 1000};

__extension__ typedef __int128 Int128;

SpanList Line(TPoint a, TPoint b, LineEnd end, const TRect& clip = kWide) {
  DashState solid;
  return ThinLineSpans(a, b, end, solid, clip);
}

// ---- pixel choice

struct LineArt {
  TPoint a, b;
  Art expected;  // with the end point included
};

const LineArt kLineArt[] = {
    {{0, 0}, {7, 3}, {"##......", "..##....", "....##..", "......##"}},
    // Slope 1/2: the ideal line passes exactly between two pixels at x = 1 and
    // x = 3; the half rounds towards the smaller y.
    {{0, 0}, {4, 2}, {"##...", "..##.", "....#"}},
    {{0, 2}, {4, 0}, {"...##", ".##..", "#...."}},
    {{1, 0}, {0, 4}, {".#", ".#", "#.", "#.", "#."}},
    {{0, 0}, {3, 3}, {"#...", ".#..", "..#.", "...#"}},
};

TEST(ThinLines, PixelsFollowTheIdealLineWithHalvesTowardsTheSmallerCoordinate) {
  for (const LineArt& c : kLineArt) {
    const int w = static_cast<int>(c.expected.front().size()), h = static_cast<int>(c.expected.size());
    EXPECT_EQ(ToArt(Line(c.a, c.b, LineEnd::IncludeLast), w, h), c.expected);
    // The same pixels whichever end the line starts from.
    EXPECT_EQ(Line(c.b, c.a, LineEnd::IncludeLast), FromArt(c.expected));
  }
}

TEST(ThinLines, EndPointIsExcludedUnlessAsked) {
  const TPoint a{2, 3}, b{9, 7};
  const SpanList with = Line(a, b, LineEnd::IncludeLast);
  const SpanList without = Line(a, b, LineEnd::ExcludeLast);
  EXPECT_EQ(SubtractSpans(with, without), (SpanList{{7, 9, 10}}));
  EXPECT_TRUE(SpansContain(without, 2, 3));
  EXPECT_TRUE(Line(a, a, LineEnd::ExcludeLast).empty());
  EXPECT_EQ(Line(a, a, LineEnd::IncludeLast), (SpanList{{3, 2, 3}}));
}

TEST(ThinLines, RandomLinesAreConnectedCloseToIdealAndDirectionFree) {
  test::Lcg rng(11);
  for (int i = 0; i < 300; ++i) {
    const TPoint a{rng.Range(-40, 40), rng.Range(-40, 40)}, b{rng.Range(-40, 40), rng.Range(-40, 40)};
    const SpanList fwd = Line(a, b, LineEnd::IncludeLast);
    ASSERT_TRUE(IsValidSpanList(fwd));
    EXPECT_EQ(fwd, Line(b, a, LineEnd::IncludeLast));
    const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
    const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    EXPECT_EQ(SpanPixelCount(Line(a, b, LineEnd::ExcludeLast)), steps);
    EXPECT_EQ(SpanPixelCount(fwd), steps + 1);
    // Each pixel is within half a pixel of the line along the minor axis.
    for (const auto& [y, x] : ToPixels(fwd)) {
      if (steps == 0) continue;
      if (std::llabs(dx) >= std::llabs(dy)) {
        const std::int64_t err2 = 2 * ((y - a.y) * dx - (x - a.x) * dy);  // 2 * (y - ideal) * dx
        EXPECT_LE(std::llabs(err2), std::llabs(dx));
      } else {
        const std::int64_t err2 = 2 * ((x - a.x) * dy - (y - a.y) * dx);
        EXPECT_LE(std::llabs(err2), std::llabs(dy));
      }
    }
  }
}

// ---- polylines

TEST(ThinPolylines, OpenPolylineExcludesOnlyItsLastPointClosedOneDrawsEveryVertexOnce) {
  const std::vector<TPoint> pts{{0, 0}, {8, 0}, {8, 6}, {2, 9}};
  const SpanList open = ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Open, PenPattern::Solid, kWide);
  const SpanList closed = ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Closed, PenPattern::Solid, kWide);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    EXPECT_EQ(SpansContain(open, pts[i].x, pts[i].y), i + 1 < pts.size()) << i;
    EXPECT_TRUE(SpansContain(closed, pts[i].x, pts[i].y)) << i;
  }
  SpanList segments;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    segments = UnionSpans(segments, Line(pts[i], pts[(i + 1) % pts.size()], LineEnd::IncludeLast));
  }
  EXPECT_EQ(closed, segments);
}

TEST(ThinPolylines, APathOverItselfIsOnePixelSet) {
  // There and back again: a pen that inverts must still see every pixel once.
  const std::vector<TPoint> pts{{1, 1}, {17, 6}, {1, 1}, {17, 6}};
  const SpanList once = Line(pts[0], pts[1], LineEnd::IncludeLast);
  EXPECT_EQ(ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Open, PenPattern::Solid, kWide), once);
  EXPECT_EQ(ThinPolylineSpans(pts.data(), 2, PathClosure::Closed, PenPattern::Solid, kWide), once);
}

TEST(ThinPolylines, FewerThanTwoPointsDrawNothing) {
  const TPoint p{3, 3};
  EXPECT_TRUE(ThinPolylineSpans(&p, 1, PathClosure::Open, PenPattern::Solid, kWide).empty());
  EXPECT_TRUE(ThinPolylineSpans(&p, 1, PathClosure::Closed, PenPattern::Solid, kWide).empty());
  EXPECT_TRUE(ThinPolylineSpans(nullptr, 4, PathClosure::Open, PenPattern::Solid, kWide).empty());
}

TEST(ThinPolylines, PolyPolylineIsTheUnionOfItsPolylines) {
  const std::vector<TPoint> pts{{0, 0}, {9, 2}, {4, 8}, {20, 20}, {30, 4}};
  const int counts[2] = {3, 2};
  const SpanList both =
      ThinPolyPolylineSpans(pts.data(), counts, 2, PathClosure::Closed, PenPattern::Solid, kWide);
  const SpanList first = ThinPolylineSpans(pts.data(), 3, PathClosure::Closed, PenPattern::Solid, kWide);
  const SpanList second = ThinPolylineSpans(pts.data() + 3, 2, PathClosure::Closed, PenPattern::Solid, kWide);
  EXPECT_EQ(both, UnionSpans(first, second));
}

// ---- dash patterns

struct PatternCase {
  PenPattern pattern;
  const char* period;  // '#' drawn, '.' gap, one character per pixel
};

const PatternCase kPatterns[] = {
    {PenPattern::Solid, "#"},
    {PenPattern::Dash, "##################......"},
    {PenPattern::Dot, "###..."},
    {PenPattern::DashDot, "#########......###......"},
    {PenPattern::DashDotDot, "#########...###...###..."},
    {PenPattern::Alternate, "#."},
};

TEST(DashPatterns, HorizontalLineShowsThePatternAndGapsFillTheRest) {
  for (const PatternCase& c : kPatterns) {
    const std::string period = c.period;
    std::string expected;
    while (expected.size() < 60) expected += period;
    expected.resize(60);
    const std::vector<TPoint> pts{{0, 0}, {61, 0}};
    SpanList gaps;
    const SpanList on = ThinPolylineSpans(pts.data(), 2, PathClosure::Open, c.pattern, kWide, &gaps);
    EXPECT_EQ(ToArt(on, 60, 1).front(), expected) << period;
    EXPECT_TRUE(IntersectSpans(on, gaps).empty());
    EXPECT_EQ(UnionSpans(on, gaps), Line(pts[0], pts[1], LineEnd::ExcludeLast));
  }
}

TEST(DashPatterns, PatternRunsOnAroundCornersAndAcrossCalls) {
  // Walk the path pixel by pixel: pixel i of the path is drawn when i mod 6 < 3.
  const std::vector<TPoint> pts{{0, 0}, {10, 0}, {10, 13}, {0, 20}};
  const SpanList on = ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Open, PenPattern::Dot, kWide);
  std::size_t index = 0;
  SpanList expected;
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    const SpanList seg = Line(pts[s], pts[s + 1], LineEnd::ExcludeLast);
    // Order the segment's pixels from its start.
    const test::PixelSet pixels = ToPixels(seg);
    std::vector<std::pair<std::int32_t, std::int32_t>> order(pixels.begin(), pixels.end());
    std::sort(order.begin(), order.end(), [&](const auto& p, const auto& q) {
      return std::llabs(p.second - pts[s].x) + std::llabs(p.first - pts[s].y) <
             std::llabs(q.second - pts[s].x) + std::llabs(q.first - pts[s].y);
    });
    for (const auto& [y, x] : order) {
      if (index % 6 < 3) expected.push_back(Span{y, x, x + 1});
      ++index;
    }
  }
  NormaliseSpans(expected);
  EXPECT_EQ(on, expected);

  // The same pattern when the segments are drawn one call at a time with one state.
  DashState dash(PenPattern::Dot);
  SpanList pieces;
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    pieces = UnionSpans(pieces, ThinLineSpans(pts[s], pts[s + 1], LineEnd::ExcludeLast, dash, kWide));
  }
  EXPECT_EQ(pieces, on);
}

TEST(DashPatterns, StateAdvancesByTheWholeLineEvenWhenClipped) {
  DashState clipped(PenPattern::DashDot), full(PenPattern::DashDot);
  ThinLineSpans(TPoint{0, 0}, TPoint{37, 5}, LineEnd::ExcludeLast, clipped, TRect{100, 100, 110, 110});
  ThinLineSpans(TPoint{0, 0}, TPoint{37, 5}, LineEnd::ExcludeLast, full, kWide);
  EXPECT_EQ(clipped.Phase(), full.Phase());
  EXPECT_EQ(full.Phase(), 37u % 24u);
}

// ---- clipping

TEST(ThinLineClipping, ClippedLineIsTheFullLineCutToTheClip) {
  test::Lcg rng(5);
  const TRect clip{-7, -5, 9, 11};
  for (int i = 0; i < 300; ++i) {
    const TPoint a{rng.Range(-60, 60), rng.Range(-60, 60)}, b{rng.Range(-60, 60), rng.Range(-60, 60)};
    DashState d1(PenPattern::DashDotDot), d2(PenPattern::DashDotDot);
    SpanList g1, g2;
    const SpanList cut = ThinLineSpans(a, b, LineEnd::ExcludeLast, d1, clip, &g1);
    const SpanList full = ThinLineSpans(a, b, LineEnd::ExcludeLast, d2, kWide, &g2);
    EXPECT_EQ(cut, ClipSpans(full, clip));
    EXPECT_EQ(g1, ClipSpans(g2, clip));
  }
}

TEST(ThinLineClipping, LinesBetweenInt32ExtremesClipFastAndStayOnTheLine) {
  struct Case {
    TPoint a, b;
    TRect clip;
  };
  const Case cases[] = {
      {{kMin, kMin + 5}, {kMax, kMax - 3}, {-20, -20, 20, 20}},
      {{kMax, kMin}, {kMin, kMax}, {-30, -10, 30, 10}},
      {{kMin, 3}, {kMax, -4}, {-50, -50, 50, 50}},
      {{7, kMin}, {-9, kMax}, {-20, kMax - 40, 20, kMax}},
      {{kMin, kMin}, {kMax, kMax}, {kMax - 16, kMax - 16, kMax, kMax}},
  };
  for (const Case& c : cases) {
    const SpanList px = Line(c.a, c.b, LineEnd::IncludeLast, c.clip);
    ASSERT_TRUE(IsValidSpanList(px));
    EXPECT_FALSE(px.empty());
    const Int128 dx = Int128{c.b.x} - c.a.x, dy = Int128{c.b.y} - c.a.y;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const Int128 n = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    std::int64_t count = 0;
    for (const Span& s : px) {
      for (std::int64_t x = s.x0; x < s.x1; ++x) {
        ++count;
        EXPECT_TRUE(x >= c.clip.Left && x < c.clip.Right && s.y >= c.clip.Top && s.y < c.clip.Bottom);
        // |minor - ideal| <= 1/2 along the major axis.
        const Int128 err2 = xMajor ? 2 * ((Int128{s.y} - c.a.y) * dx - (Int128{x} - c.a.x) * dy)
                                   : 2 * ((Int128{x} - c.a.x) * dy - (Int128{s.y} - c.a.y) * dx);
        EXPECT_LE(err2 < 0 ? -err2 : err2, n);
      }
    }
    // One pixel per step along the major axis inside the clip.
    const std::int64_t majorSpan = xMajor ? c.clip.Right - c.clip.Left : c.clip.Bottom - c.clip.Top;
    EXPECT_LE(count, majorSpan);
  }
}

}  // namespace
}  // namespace vx::plat::gdi
