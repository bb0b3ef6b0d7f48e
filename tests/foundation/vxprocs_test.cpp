#include "foundation/vxprocs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

using namespace vx;
using vx::plat::String;
using vx::plat::TMemoryStream;

namespace {

constexpr double Pi = std::numbers::pi;
constexpr std::int32_t MaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MinInt = std::numeric_limits<std::int32_t>::min();
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

std::vector<std::uint8_t> BytesOf(const TMemoryStream& s) { return s.Bytes(); }

TMemoryStream StreamOf(const std::vector<std::uint8_t>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Rounding

struct RoundCase {
  double x;
  std::int32_t expected;
};

TEST(RoundEven, HalvesGoToTheEvenNeighbourAndExtremesSaturate) {
  const RoundCase table[] = {
      {2.5, 2},           {3.5, 4},          {-2.5, -2},         {-3.5, -4},        {0.5, 0},
      {-0.5, 0},          {1.5, 2},          {2.4999999, 2},     {2.5000001, 3},    {-7.6, -8},
      {2147483646.5, 2147483646},            {2147483647.5, MaxInt},                {1e300, MaxInt},
      {-2147483648.5, MinInt},               {Inf, MaxInt},      {-Inf, MinInt},    {NaN, 0},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.x);
    EXPECT_EQ(RoundEven(row.x), row.expected);
  }
}

TEST(RoundEven, DoesNotDependOnTheGlobalRoundingMode) {
  const int saved = std::fegetround();
  std::fesetround(FE_UPWARD);
  const std::int32_t up = RoundEven(2.5);
  const std::int32_t down = RoundEven(-3.5);
  std::fesetround(FE_TOWARDZERO);
  const std::int32_t zero = RoundEven(5.5);
  std::fesetround(saved);
  EXPECT_EQ(up, 2);
  EXPECT_EQ(down, -4);
  EXPECT_EQ(zero, 6);
}

// ---------------------------------------------------------------------------
// Rotation

struct RotateCase {
  const char* what;
  TCoordPnt P, C;
  double a;
  TCoordPnt expected;
};

// An angle whose cosine is exactly 0.25, so that 10 * cos a is exactly 2.5.
const double QuarterCos = std::acos(0.25);

TEST(RotatePnt, TurnsAboutTheCentreWithRoundedOffsets) {
  ASSERT_EQ(10 * std::cos(QuarterCos), 2.5) << "the half-way rows need an exact cosine";
  const RotateCase table[] = {
      {"quarter turn", {10, 0}, {0, 0}, Pi / 2, {0, 10}},
      {"half turn", {10, 0}, {0, 0}, Pi, {-10, 0}},
      {"back quarter turn", {10, 0}, {0, 0}, -Pi / 2, {0, -10}},
      {"no turn", {5, -3}, {1, 1}, 0.0, {5, -3}},
      {"the centre stays", {7, 3}, {7, 3}, 1.0, {7, 3}},
      {"about another centre", {3, 4}, {1, 1}, Pi, {-1, -2}},
      {"2.5 becomes 2", {10, 0}, {0, 0}, QuarterCos, {2, 10}},
      {"1.5 becomes 2", {6, 0}, {0, 0}, QuarterCos, {2, 6}},
      {"-2.5 becomes -2", {-10, 0}, {0, 0}, QuarterCos, {-2, -10}},
      {"the offset is rounded, not the sum", {11, 0}, {1, 0}, QuarterCos, {3, 10}},
      {"far points saturate instead of wrapping", {MaxInt, 0}, {MinInt, 0}, Pi, {MinInt, 0}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TCoordPnt p = row.P;
    RotatePnt(p, row.C, row.a);
    EXPECT_EQ(p, row.expected);
  }
}

TEST(RotatePoints, TurnsExactlyTheFirstCountPointsLikeRotatePnt) {
  const TCoordPnt original[] = {{10, 0}, {-3, 7}, {100, -250}, {4, 4}, {9, 9}};
  const TCoordPnt C{2, -1};
  const double a = 0.7;
  TPolyBuffer pts(5);
  std::memcpy(pts.Data(), original, sizeof original);
  RotatePoints(pts.Data(), 4, C, a);
  for (int i = 0; i < 4; ++i) {
    TCoordPnt single = original[i];
    RotatePnt(single, C, a);
    EXPECT_EQ(pts[i], single) << i;
  }
  EXPECT_EQ(pts[4], original[4]);

  for (std::int32_t count : {0, -1}) {
    RotatePoints(pts.Data(), count, C, a);
    EXPECT_EQ(pts[4], original[4]);
  }
}

// ---------------------------------------------------------------------------
// Angles

struct IntAngleCase {
  std::int32_t dx, dy;
  double expected;
};

TEST(GetAngle, IntegerDirectionsRangeFromMinusHalfPiToThreeHalvesPi) {
  const IntAngleCase table[] = {
      {0, 0, -Pi / 2}, {0, 5, Pi / 2},       {0, -5, -Pi / 2},       {1, 0, 0.0},
      {-1, 0, Pi},     {1, 1, Pi / 4},       {-1, 1, 3 * Pi / 4},    {-1, -1, 5 * Pi / 4},
      {1, -1, -Pi / 4}, {MaxInt, MaxInt, Pi / 4},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.dx << ", " << row.dy);
    EXPECT_NEAR(GetAngle(row.dx, row.dy), row.expected, 1e-12);
  }
}

struct RealAngleCase {
  double x, y;
  double expected;
};

TEST(GetAngle, RealDirectionsTreatNearlyVerticalAsVertical) {
  const RealAngleCase table[] = {
      {0.0, 0.0, -Pi / 2},   {0.005, -3.0, -Pi / 2}, {0.005, 3.0, Pi / 2}, {-0.009, 1.0, Pi / 2},
      {0.01, 0.01, Pi / 4},  {-1.0, 0.0, Pi},        {2.0, 2.0, Pi / 4},   {-2.0, -2.0, 5 * Pi / 4},
      {Inf, 5.0, 0.0},       {Inf, Inf, Pi / 4},     {-Inf, Inf, 3 * Pi / 4},
      {NaN, 1.0, 0.0},       {1.0, NaN, 0.0},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.x << ", " << row.y);
    EXPECT_NEAR(GetAngle(row.x, row.y), row.expected, 1e-12);
  }
}

struct CalcAngleCase {
  TCoordPnt P1, P2;
  double expected;
};

TEST(CalculateAngle, NoQuadrantCorrectionForObliqueLines) {
  const CalcAngleCase table[] = {
      {{0, 0}, {-1, 1}, -Pi / 4},   {{0, 0}, {0, -5}, 3 * Pi / 2}, {{0, 0}, {0, 5}, Pi / 2},
      {{0, 0}, {3, 0}, 0.0},        {{0, 0}, {-3, 0}, Pi},         {{4, 4}, {4, 4}, 0.0},
      {{1, 1}, {2, 2}, Pi / 4},     {{0, 0}, {-1, -1}, Pi / 4},
      // The difference is exact: a 32-bit one would wrap to -1 and give -pi/4.
      {{MinInt, 0}, {MaxInt, 1}, std::atan(1.0 / 4294967295.0)},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.P2.x << ", " << row.P2.y);
    EXPECT_NEAR(CalculateAngle(row.P1, row.P2), row.expected, 1e-15);
  }
}

// ---------------------------------------------------------------------------
// Bounding boxes

TEST(GetPolygonLimits, CoversTheFirstCountPointsOrReturnsTheEmptyBox) {
  const TCoordPnt pts[] = {{3, -1}, {-2, 5}, {10, -7}};
  EXPECT_EQ(GetPolygonLimits(pts, 0), LimRec(2147483647, 2147483647, -2147483647, -2147483647));
  EXPECT_EQ(GetPolygonLimits(pts, -3), LimRec(2147483647, 2147483647, -2147483647, -2147483647));
  EXPECT_EQ(GetPolygonLimits(pts, 1), LimRec(3, -1, 3, -1));
  EXPECT_EQ(GetPolygonLimits(pts, 2), LimRec(-2, -1, 3, 5));
  EXPECT_EQ(GetPolygonLimits(pts, 3), LimRec(-2, -7, 10, 5));
}

TEST(MaxRect, UnitesRectanglesAndLimitRecords) {
  EXPECT_EQ(MaxRect({{0, 0, 10, 10}, {5, -5, 20, 3}, {-1, 2, 4, 4}}), (TCoordRect{-1, -5, 20, 10}));
  EXPECT_EQ(MaxRect({{10, 10, 0, 0}}), (TCoordRect{10, 10, 0, 0}));  // one element comes back as it is
  EXPECT_EQ(MaxRect(std::span<const TCoordRect>{}), (TCoordRect{MaxInt, MaxInt, -MaxInt, -MaxInt}));
  EXPECT_EQ(MaxLimRec({LimRec(0, 0, 1, 1), LimRec(-3, 4, 0, 9)}), LimRec(-3, 0, 1, 9));
  EXPECT_EQ(MaxLimRec(std::span<const TLimRec>{}), LimRec(MaxInt, MaxInt, -MaxInt, -MaxInt));
}

TEST(PtInLimits, BordersAreInside) {
  const TLimRec L = LimRec(0, 0, 10, 10);
  EXPECT_TRUE(PtInLimits({0, 0}, L));
  EXPECT_TRUE(PtInLimits({10, 10}, L));
  EXPECT_TRUE(PtInLimits({0, 10}, L));
  EXPECT_FALSE(PtInLimits({-1, 5}, L));
  EXPECT_FALSE(PtInLimits({5, 11}, L));
  EXPECT_FALSE(PtInLimits({5, 5}, LimRec(10, 10, 0, 0)));  // an unnormalised box holds nothing
}

TEST(RectDirection, SwapsReversedSidesOnly) {
  TCoordRect r{10, 5, 0, 20};
  RectDirection(r);
  EXPECT_EQ(r, (TCoordRect{0, 5, 10, 20}));
  r = {0, 20, 10, 5};
  RectDirection(r);
  EXPECT_EQ(r, (TCoordRect{0, 5, 10, 20}));

  TLimRec l = LimRec(10, 20, -5, 7);
  LimRecDirection(l);
  EXPECT_EQ(l, LimRec(-5, 7, 10, 20));
  LimRecDirection(l);
  EXPECT_EQ(l, LimRec(-5, 7, 10, 20));

  std::int32_t a = 1, b = 2;
  ExChange(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
}

// ---------------------------------------------------------------------------
// LineInRect

struct LineCase {
  const char* what;
  TCoordPnt P1, P2;
  bool expected;
};

TEST(LineInRect, BordersAreOutsideTheRectangle) {
  const TLimRec R = LimRec(0, 0, 10, 10);
  const LineCase table[] = {
      {"diagonal from corner to corner", {0, 0}, {10, 10}, false},
      {"border to border through the middle", {0, 5}, {10, 5}, false},
      {"along the top border", {-5, 0}, {15, 0}, false},
      {"along the right border", {10, -5}, {10, 15}, false},
      {"first point inside", {5, 5}, {100, 100}, true},
      {"second point inside", {100, 100}, {5, 5}, true},
      {"one point inside, other on the border", {5, 5}, {10, 10}, true},
      {"horizontal crossing", {-5, 5}, {15, 5}, true},
      {"vertical crossing", {5, -5}, {5, 15}, true},
      {"steep crossing from above", {3, -10}, {4, 20}, true},
      {"passing left of the box", {-5, -5}, {-1, 20}, false},
      {"passing below", {-5, 12}, {15, 11}, false},
      {"degenerate inside", {5, 5}, {5, 5}, true},
      {"degenerate outside", {-5, -5}, {-5, -5}, false},
      {"degenerate on the border", {0, 5}, {0, 5}, false},
      // Crossings are taken on the infinite line: callers test limits first.
      {"beyond an edge, its line crosses", {20, 15}, {30, 25}, true},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(LineInRect(row.P1, row.P2, R), row.expected);
  }
}

TEST(LineInRect, ExtremeCoordinatesDoNotWrap) {
  // With 32-bit differences x2 - x1 would wrap to -1.
  EXPECT_TRUE(LineInRect({MinInt, 5}, {MaxInt, 5}, LimRec(0, 0, 10, 10)));
  EXPECT_FALSE(LineInRect({MinInt, 50}, {MaxInt, 50}, LimRec(0, 0, 10, 10)));
}

// ---------------------------------------------------------------------------
// PtOnLine

struct OnLineCase {
  const char* what;
  TCoordPnt P, P1, P2;
  std::uint16_t Tol;
  bool expected;
};

TEST(PtOnLine, BoxForStraightLinesStrictDistanceForObliqueOnes) {
  const OnLineCase table[] = {
      {"P1 = P2: box corner", {7, 7}, {5, 5}, {5, 5}, 2, true},
      {"P1 = P2: outside the box", {8, 5}, {5, 5}, {5, 5}, 2, false},
      {"horizontal: on the box border", {5, 3}, {0, 0}, {10, 0}, 3, true},
      {"horizontal: beyond the border", {5, 4}, {0, 0}, {10, 0}, 3, false},
      {"horizontal: past the end within Tol", {13, -3}, {0, 0}, {10, 0}, 3, true},
      {"horizontal: past the end beyond Tol", {14, 0}, {0, 0}, {10, 0}, 3, false},
      {"vertical: Tol 0 still holds the segment", {0, 4}, {0, 0}, {0, 10}, 0, true},
      {"flat: on the line", {4, 2}, {0, 0}, {10, 5}, 1, true},
      {"flat: on the line but Tol 0 is strict", {4, 2}, {0, 0}, {10, 5}, 0, false},
      {"flat: one unit off equals Tol", {4, 3}, {0, 0}, {10, 5}, 1, false},
      {"flat: one unit off within Tol 2", {4, 3}, {0, 0}, {10, 5}, 2, true},
      {"flat: 2.5 rounds to 2", {5, 2}, {0, 0}, {10, 5}, 1, true},
      {"flat: 2.5 rounds to 2, not 3", {5, 3}, {0, 0}, {10, 5}, 1, false},
      {"falling: 2.5 rounds to 2", {5, 3}, {0, 5}, {10, 0}, 1, true},
      {"falling: 2.5 rounds to 2, not 3", {5, 2}, {0, 5}, {10, 0}, 1, false},
      {"flat: ends given the other way round", {4, 2}, {10, 5}, {0, 0}, 1, true},
      {"flat: the infinite line counts", {100, 50}, {0, 0}, {10, 5}, 1, true},
      {"steep: on the line", {1, 5}, {0, 0}, {2, 10}, 1, true},
      {"steep: one unit off", {2, 5}, {0, 0}, {2, 10}, 1, false},
      {"steep: within Tol 2", {2, 5}, {0, 0}, {2, 10}, 2, true},
      {"near MaxInt: box border", {MaxInt, 15}, {MaxInt, 0}, {MaxInt, 10}, 5, true},
      {"near MaxInt: beyond", {MaxInt, 16}, {MaxInt, 0}, {MaxInt, 10}, 5, false},
      {"near MinInt: box border", {MinInt, -5}, {MinInt, 0}, {MinInt + 3, 0}, 5, true},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(PtOnLine(row.P, row.P1, row.P2, row.Tol), row.expected);
  }
}

// ---------------------------------------------------------------------------
// IntersectPoint

struct IntersectCase {
  const char* what;
  TCoordPnt P1, P2, P3, P4;
  bool found;
  TCoordPnt S;
};

TEST(IntersectPoint, CrossingOfTwoSegments) {
  const TCoordPnt untouched{99, 99};
  const IntersectCase table[] = {
      {"crossing diagonals", {0, 0}, {10, 10}, {0, 10}, {10, 0}, true, {5, 5}},
      {"2.5 rounds to 2", {0, 0}, {5, 5}, {0, 5}, {5, 0}, true, {2, 2}},
      {"3.5 rounds to 4", {0, 0}, {7, 7}, {0, 7}, {7, 0}, true, {4, 4}},
      {"touching at an end", {0, 0}, {10, 0}, {10, -5}, {10, 5}, true, {10, 0}},
      {"parallel", {0, 0}, {10, 0}, {0, 5}, {10, 5}, false, untouched},
      {"collinear and overlapping", {0, 0}, {10, 0}, {5, 0}, {15, 0}, false, untouched},
      {"collinear oblique", {0, 0}, {4, 4}, {2, 2}, {6, 6}, false, untouched},
      {"a point segment", {3, 3}, {3, 3}, {0, 0}, {6, 6}, false, untouched},
      {"lines cross beyond the first segment", {0, 0}, {10, 0}, {20, -5}, {20, 5}, false, untouched},
      {"lines cross beyond the second segment", {0, 0}, {10, 10}, {0, 10}, {4, 6}, false, untouched},
      // Products of these exceed even 64 bits; the answers are exact.
      {"corner to corner of the Int32 plane", {MaxInt, MinInt}, {MinInt, MaxInt}, {MinInt, MinInt}, {MaxInt, MaxInt},
       true, {0, 0}},
      {"large crossing off the origin", {-2000000000, -1999999999}, {2000000000, 2000000001},
       {-2000000000, 2000000001}, {2000000000, -1999999999}, true, {0, 1}},
      {"long against short", {MinInt, 0}, {MaxInt, 1}, {0, MinInt}, {1, MaxInt}, true, {1, 1}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TCoordPnt S = untouched;
    EXPECT_EQ(IntersectPoint(row.P1, row.P2, row.P3, row.P4, S), row.found);
    EXPECT_EQ(S, row.S);
  }
}

// ---------------------------------------------------------------------------
// Numbers and devices

TEST(Lg, DecimalLogarithmExactForPowersOfTen) {
  EXPECT_EQ(lg(1000.0), 3.0);
  EXPECT_EQ(std::trunc(lg(1000.0)), 3.0);  // digit counts rely on this
  EXPECT_EQ(lg(1e15), 15.0);
  EXPECT_EQ(lg(1.0), 0.0);
  EXPECT_EQ(lg(0.01), -2.0);
  EXPECT_NEAR(lg(2.0), 0.30102999566398120, 1e-15);
  EXPECT_EQ(lg(0.0), -Inf);
  EXPECT_TRUE(std::isnan(lg(-1.0)));
}

TEST(CalcPixPerM, PixelsPerMetreFromResolutionAndSize) {
  EXPECT_EQ(InchPerMeter(), 39.0625);
  EXPECT_EQ(CalcPixPerM(1920, 508, 1080, 286), (TCoordPnt{3780, 3776}));
  EXPECT_EQ(CalcPixPerM(1, 2000, 3, 2000), (TCoordPnt{0, 2}));  // 0.5 -> 0, 1.5 -> 2
  // A device that does not know its size counts as 96 pixels per inch.
  EXPECT_EQ(CalcPixPerM(1920, 0, 1080, -1), (TCoordPnt{3750, 3750}));
  EXPECT_EQ(CalcPixPerM(0, 508, 1080, 286), (TCoordPnt{3750, 3776}));
}

// ---------------------------------------------------------------------------
// Stream strings

TEST(StreamStrings, SaveStringWritesLengthThenUtf16) {
  TMemoryStream s;
  SaveString(s, u"abc");
  const std::vector<std::uint8_t> expected = {0x03, 0, 0, 0, 0x61, 0, 0x62, 0, 0x63, 0};
  EXPECT_EQ(BytesOf(s), expected);
  s.SetPosition(0);
  EXPECT_EQ(LoadString_w(s), u"abc");
  EXPECT_EQ(s.GetPosition(), 10);

  TMemoryStream empty;
  SaveString(empty, u"");
  EXPECT_EQ(BytesOf(empty), (std::vector<std::uint8_t>{0, 0, 0, 0}));

  // Lengths count UTF-16 code units: a character outside the BMP counts 2.
  TMemoryStream wide;
  const String text = u"a\U0001F600";
  SaveString(wide, text);
  EXPECT_EQ(wide.Bytes()[0], 3);
  wide.SetPosition(0);
  EXPECT_EQ(LoadString_w(wide), text);
}

TEST(StreamStrings, ZeroOrNegativeLengthReadsEmptyAndConsumesFourBytes) {
  for (std::uint8_t high : {0x00, 0xFF}) {
    const std::uint8_t low = high ? 0xFB : 0x00;  // 0 and -5
    for (auto load : {&LoadString_w, &LoadStringAnsi}) {
      TMemoryStream s = StreamOf({low, high, high, high, 0x61, 0x00});
      EXPECT_EQ(load(s), u"");
      EXPECT_EQ(s.GetPosition(), 4);
    }
  }
}

TEST(StreamStrings, AnsiTextIsWindows1252) {
  TMemoryStream s = StreamOf({0x04, 0, 0, 0, 'a', 0xE9, 0x80, 0x9F});
  EXPECT_EQ(LoadStringAnsi(s), u"a\u00E9\u20AC\u0178");
  EXPECT_EQ(s.GetPosition(), 8);
}

struct HostileLength {
  const char* what;
  std::vector<std::uint8_t> bytes;
  String (*load)(vx::plat::TStream&);
};

String ReadAnsiText10(vx::plat::TStream& s) { return StreamReadAnsiString(s, 10); }
String ReadAnsiTextMax(vx::plat::TStream& s) { return StreamReadAnsiString(s, MaxInt); }

TEST(StreamStrings, LengthsBeyondTheDataRaiseReadErrorsBeforeAllocating) {
  const HostileLength table[] = {
      {"UTF-16, maximal length", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 0, 'b', 0}, &LoadString_w},
      {"UTF-16, one unit short", {0x03, 0, 0, 0, 'a', 0, 'b', 0, 'c'}, &LoadString_w},
      {"UTF-16, length cut off", {0x03, 0}, &LoadString_w},
      {"ANSI, maximal length", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}, &LoadStringAnsi},
      {"ANSI, one byte short", {0x03, 0, 0, 0, 'a', 'b'}, &LoadStringAnsi},
      {"zero-terminated ANSI, short", {'a', 'b', 'c', 0}, &ReadAnsiText10},
      {"zero-terminated ANSI, maximal length", {'a', 0}, &ReadAnsiTextMax},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TMemoryStream s = StreamOf(row.bytes);
    EXPECT_THROW(row.load(s), vx::plat::EReadError);
  }
}

TEST(StreamStrings, LengthThatFitsExactlyIsRead) {
  TMemoryStream s = StreamOf({0x02, 0, 0, 0, 'h', 0, 'i', 0});
  EXPECT_EQ(LoadString_w(s), u"hi");
}

TEST(StreamReadAnsiString, ReadsLenPlusOneBytesAndStopsAtTheFirstZero) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::int32_t len;
    String expected;
    std::int64_t consumed;
  };
  const Case table[] = {
      {"terminated text", {'a', 'b', 'c', 0, 'x'}, 3, u"abc", 4},
      {"zero inside", {'a', 0, 'c', 'd', 'x'}, 3, u"a", 4},
      {"converted from 1252", {0x80, 'z', 0}, 2, u"\u20ACz", 3},
      {"corrupt terminator is not text", {'a', 'b', 'c', 'd', 'x'}, 3, u"abc", 4},
      {"empty", {0, 'x'}, 0, u"", 1},
      {"negative length reads nothing", {'x'}, -1, u"", 0},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TMemoryStream s = StreamOf(row.bytes);
    char16_t dest[8];
    std::fill(std::begin(dest), std::end(dest), u'#');
    StreamReadAnsiString(s, dest, row.len);
    EXPECT_EQ(String(dest), row.expected);
    EXPECT_EQ(s.GetPosition(), row.consumed);
    // Nothing beyond the Len + 1 characters the caller made room for is touched.
    for (std::size_t i = static_cast<std::size_t>(std::max(row.len, 0)) + 1; i < 8; ++i) EXPECT_EQ(dest[i], u'#') << i;
  }
}
