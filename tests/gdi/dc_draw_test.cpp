// Drawing on a raster DC: which pixels lines and figures cover, pens and
// their widths and styles under the mapping, hatch brushes, and clipping
// (clip regions, and coordinates anywhere in Int32 never touching pixels
// outside what the DC may draw on).
#include <gtest/gtest.h>

#include <climits>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;
using testing::Rows;

void UseBlackBrushNoPen(HDC dc) {
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
}

struct CoverageCase {
  const char* name;
  void (*draw)(HDC dc);
  std::string expected;  // rows of the 8 x 6 surface
};

class EdgeCoverage : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(EdgeCoverage, CoversExactlyTheExpectedPixels) {
  RasterDC dc(8, 6);
  GetParam().draw(dc);
  EXPECT_EQ(dc.Mask(0, 0, 8, 6), GetParam().expected);
}

const std::string kRectOutline = Rows({"........", ".####...", ".#..#...", ".####...", "........", "........"});
const std::string kRectFill = Rows({"........", ".####...", ".####...", ".####...", "........", "........"});

INSTANTIATE_TEST_SUITE_P(
    Shapes, EdgeCoverage,
    ::testing::Values(
        CoverageCase{"RectangleOutlineOnOutermostPixels", [](HDC dc) { Rectangle(dc, 1, 1, 5, 4); }, kRectOutline},
        CoverageCase{"ReversedCornersCoverTheSame", [](HDC dc) { Rectangle(dc, 5, 4, 1, 1); }, kRectOutline},
        CoverageCase{"FillRectExcludesRightAndBottom",
                     [](HDC dc) {
                       RECT r{1, 1, 5, 4};
                       FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                     },
                     kRectFill},
        CoverageCase{"RectangleWithoutPenIsOnePixelSmaller",
                     [](HDC dc) {
                       UseBlackBrushNoPen(dc);
                       Rectangle(dc, 1, 1, 5, 4);
                     },
                     Rows({"........", ".###....", ".###....", "........", "........", "........"})},
        CoverageCase{"FrameRectIsOnePixelRing",
                     [](HDC dc) {
                       RECT r{1, 1, 5, 4};
                       FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                     },
                     kRectOutline},
        CoverageCase{"LineToExcludesItsEndPoint",
                     [](HDC dc) {
                       MoveToEx(dc, 0, 0, nullptr);
                       LineTo(dc, 4, 0);
                       MoveToEx(dc, 6, 1, nullptr);
                       LineTo(dc, 6, 4);
                     },
                     Rows({"####....", "......#.", "......#.", "......#.", "........", "........"})},
        CoverageCase{"PolylineExcludesOnlyItsLastPoint",
                     [](HDC dc) {
                       const POINT p[] = {{0, 0}, {4, 0}, {4, 3}};
                       Polyline(dc, p, 3);
                     },
                     Rows({"#####...", "....#...", "....#...", "........", "........", "........"})},
        CoverageCase{"PolygonOutlineIsClosedThroughEveryVertex",
                     [](HDC dc) {
                       const POINT p[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
                       Polygon(dc, p, 4);
                     },
                     Rows({"........", ".#####..", ".#...#..", ".#...#..", ".#####..", "........"})},
        CoverageCase{"PolygonFillTakesPixelCentresInside",
                     [](HDC dc) {
                       UseBlackBrushNoPen(dc);
                       const POINT p[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
                       Polygon(dc, p, 4);
                     },
                     kRectFill},
        CoverageCase{"EllipseOutline",
                     [](HDC dc) { Ellipse(dc, 0, 0, 7, 6); },
                     Rows({"..###...", "##...##.", "#.....#.", "#.....#.", "##...##.", "..###..."})},
        CoverageCase{"InvertRectFlipsTheBox",
                     [](HDC dc) {
                       RECT r{1, 1, 5, 4};
                       InvertRect(dc, &r);
                     },
                     kRectFill},
        CoverageCase{"SetPixelSetsOnePixel", [](HDC dc) { SetPixel(dc, 2, 3, 0); },
                     Rows({"........", "........", "........", "..#.....", "........", "........"})}),
    [](const auto& info) { return std::string(info.param.name); });

// The pixels of a filled figure with a 4-neighbour outside it.
std::vector<std::pair<int, int>> BoundaryOf(const RasterDC& dc) {
  std::vector<std::pair<int, int>> out;
  auto ink = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < dc.Width() && y < dc.Height() && dc.Pixel(x, y) != 0xFFFFFF;
  };
  for (int y = 0; y < dc.Height(); ++y)
    for (int x = 0; x < dc.Width(); ++x)
      if (ink(x, y) && (!ink(x - 1, y) || !ink(x + 1, y) || !ink(x, y - 1) || !ink(x, y + 1))) out.emplace_back(x, y);
  return out;
}

std::vector<std::pair<int, int>> InkOf(const RasterDC& dc) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < dc.Height(); ++y)
    for (int x = 0; x < dc.Width(); ++x)
      if (dc.Pixel(x, y) != 0xFFFFFF) out.emplace_back(x, y);
  return out;
}

TEST(FigureOutline, LiesOnTheOutermostPixelsOfTheFill) {
  const RECT boxes[] = {{2, 2, 3, 3}, {2, 2, 5, 4}, {2, 2, 12, 7}, {3, 2, 9, 30}, {2, 2, 31, 31}, {5, 4, 25, 20}};
  for (const RECT& b : boxes) {
    for (int shape = 0; shape < 2; ++shape) {
      RasterDC filled(40, 40), outlined(40, 40);
      SelectObject(filled, GetStockObject(BLACK_BRUSH));
      SelectObject(outlined, GetStockObject(NULL_BRUSH));
      if (shape == 0) {
        Ellipse(filled, b.Left, b.Top, b.Right, b.Bottom);
        Ellipse(outlined, b.Left, b.Top, b.Right, b.Bottom);
      } else {
        RoundRect(filled, b.Left, b.Top, b.Right, b.Bottom, 6, 4);
        RoundRect(outlined, b.Left, b.Top, b.Right, b.Bottom, 6, 4);
      }
      EXPECT_EQ(InkOf(outlined), BoundaryOf(filled)) << "shape " << shape << " box " << b.Left << "," << b.Top << ","
                                                      << b.Right << "," << b.Bottom;
      EXPECT_EQ(filled.InkBounds(), b);
    }
  }
}

TEST(Pens, WidthsZeroAndOneArePixelsWiderOnesScaleWithTheMapping) {
  struct Case {
    int penWidth;
    int zoom;
    int expectedThickness;
  };
  for (const Case c : {Case{0, 5, 1}, Case{1, 5, 1}, Case{2, 5, 10}, Case{3, 1, 3}, Case{4, 2, 8}}) {
    RasterDC dc(60, 60);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, c.zoom, c.zoom, nullptr);
    HPEN pen = CreatePen(PS_SOLID, c.penWidth, 0);
    HGDIOBJ old = SelectObject(dc, pen);
    // A vertical line far from its ends: its thickness is the count of inked columns on the middle row.
    MoveToEx(dc, 50 / (2 * c.zoom) + 1, 0, nullptr);
    LineTo(dc, 50 / (2 * c.zoom) + 1, 100);
    int thickness = 0;
    for (int x = 0; x < 60; ++x) thickness += dc.Pixel(x, 30) != 0xFFFFFF;
    EXPECT_EQ(thickness, c.expectedThickness) << "width " << c.penWidth << " zoom " << c.zoom;
    SelectObject(dc, old);
    DeleteObject(pen);
  }
}

TEST(Pens, InsideFrameKeepsTheStrokeInsideTheBox) {
  for (UINT style : {PS_SOLID, PS_INSIDEFRAME}) {
    RasterDC dc(40, 40);
    HPEN pen = CreatePen(static_cast<int>(style), 5, 0);
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 10, 10, 30, 30);
    Ellipse(dc, 10, 10, 30, 30);
    const RECT ink = dc.InkBounds();
    if (style == PS_INSIDEFRAME) {
      EXPECT_EQ(ink, (RECT{10, 10, 30, 30}));
    } else {
      EXPECT_LT(ink.Left, 10);
      EXPECT_GT(ink.Right, 30);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST(Pens, DashGapsTakeTheBackgroundOnlyInOpaqueMode) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    RasterDC dc(40, 3);
    HPEN pen = CreatePen(PS_DOT, 0, 0);
    SelectObject(dc, pen);
    SetBkMode(dc, mode);
    SetBkColor(dc, 0x0000FF);  // red
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, 40, 1);
    int black = 0, red = 0, white = 0;
    for (int x = 0; x < 40; ++x) {
      const std::uint32_t p = dc.Pixel(x, 1);
      black += p == 0;
      red += p == 0xFF0000;
      white += p == 0xFFFFFF;
    }
    EXPECT_GT(black, 10);
    EXPECT_GT(mode == OPAQUE ? red : white, 10);
    EXPECT_EQ(black + (mode == OPAQUE ? red : white), 40);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

struct HatchCase {
  int style;
  std::string cell;  // the 8 x 8 cell at brush origin (0, 0)
};

class HatchBrushes : public ::testing::TestWithParam<HatchCase> {};

TEST_P(HatchBrushes, RepeatAnEightPixelCellFromTheBrushOrigin) {
  RasterDC dc(16, 16);
  HBRUSH brush = CreateHatchBrush(GetParam().style, 0);
  RECT all{0, 0, 16, 16};
  FillRect(dc, &all, brush);
  EXPECT_EQ(dc.Mask(0, 0, 8, 8), GetParam().cell);
  EXPECT_EQ(dc.Mask(8, 8, 16, 16), GetParam().cell);
  // Moving the origin moves the cell.
  RasterDC moved(16, 16);
  SetBrushOrgEx(moved, 3, 5, nullptr);
  FillRect(moved, &all, brush);
  EXPECT_EQ(moved.Mask(3, 5, 11, 13), GetParam().cell);
  DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, HatchBrushes,
    ::testing::Values(
        HatchCase{HS_HORIZONTAL, Rows({"########", "........", "........", "........", "........", "........",
                                       "........", "........"})},
        HatchCase{HS_VERTICAL, Rows({"#.......", "#.......", "#.......", "#.......", "#.......", "#.......",
                                     "#.......", "#......."})},
        HatchCase{HS_FDIAGONAL, Rows({"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..",
                                      "......#.", ".......#"})},
        HatchCase{HS_BDIAGONAL, Rows({".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....",
                                      ".#......", "#......."})},
        HatchCase{HS_CROSS, Rows({"########", "#.......", "#.......", "#.......", "#.......", "#.......",
                                  "#.......", "#......."})},
        HatchCase{HS_DIAGCROSS, Rows({"#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..",
                                      ".#....#.", "#......#"})}));

TEST(HatchBrushesGaps, FollowTheBackgroundModeAndColour) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    RasterDC dc(8, 8);
    HBRUSH brush = CreateHatchBrush(HS_HORIZONTAL, 0x00FF00);  // green lines
    SelectObject(dc, brush);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SetBkMode(dc, mode);
    SetBkColor(dc, 0xFF0000);  // blue gaps
    Rectangle(dc, 0, 0, 9, 9);
    EXPECT_EQ(dc.Pixel(3, 0), 0x00FF00u);
    EXPECT_EQ(dc.Pixel(3, 4), mode == OPAQUE ? 0x0000FFu : 0xFFFFFFu);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(Polygons, AlternateLeavesTheCrossingCentreOfAStarEmptyWindingFillsIt) {
  const POINT star[] = {{20, 2}, {32, 38}, {2, 14}, {38, 14}, {8, 38}};
  for (int mode : {ALTERNATE, WINDING}) {
    RasterDC dc(40, 40);
    UseBlackBrushNoPen(dc);
    SetPolyFillMode(dc, mode);
    Polygon(dc, star, 5);
    EXPECT_EQ(dc.Pixel(20, 22) == 0, mode == WINDING);
    EXPECT_EQ(dc.Pixel(20, 8), 0u);  // a point of the star is filled either way
  }
}

TEST(Clipping, ARegionLimitsEveryDrawingCall) {
  RasterDC clipped(30, 30), reference(30, 30);
  HRGN ellipse = CreateEllipticRgn(3, 4, 27, 22);
  EXPECT_EQ(SelectClipRgn(clipped, ellipse), COMPLEXREGION);
  // The DC took a copy: changing the region afterwards changes nothing.
  OffsetRgn(ellipse, 100, 100);
  UseBlackBrushNoPen(clipped);
  Rectangle(clipped, -5, -5, 40, 40);
  OffsetRgn(ellipse, -100, -100);
  FillRgn(reference, ellipse, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(clipped.Mask(0, 0, 30, 30), reference.Mask(0, 0, 30, 30));
  RECT box{};
  EXPECT_EQ(GetClipBox(clipped, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{3, 4, 27, 22}));
  EXPECT_EQ(GetPixel(clipped, 0, 0), CLR_INVALID);  // outside the clip
  SelectClipRgn(clipped, nullptr);
  EXPECT_EQ(GetPixel(clipped, 0, 0), 0xFFFFFFu);
  DeleteObject(ellipse);
}

TEST(Clipping, IntersectAndExcludeClipRectsTakeLogicalRectangles) {
  RasterDC dc(20, 20);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, 2, nullptr);
  IntersectClipRect(dc, 1, 1, 8, 8);  // device 2..16
  ExcludeClipRect(dc, 3, 3, 5, 5);    // device 6..10
  UseBlackBrushNoPen(dc);
  PatBlt(dc, 0, 0, 10, 10, PATCOPY);
  EXPECT_EQ(dc.Pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(2, 2), 0u);
  EXPECT_EQ(dc.Pixel(15, 15), 0u);
  EXPECT_EQ(dc.Pixel(16, 16), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(7, 7), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(5, 7), 0u);
}

TEST(RegionDrawing, RegionsAreLogicalUnitsMappedByTheDC) {
  RasterDC dc(40, 40);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, 2, nullptr);
  SetViewportOrgEx(dc, 4, 4, nullptr);
  HRGN square = CreateRectRgn(0, 0, 10, 10);  // device 4..24
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(FrameRgn(dc, square, black, 2, 1));  // 4 pixels left and right, 2 top and bottom
  EXPECT_EQ(dc.InkBounds(), (RECT{4, 4, 24, 24}));
  EXPECT_EQ(dc.Pixel(7, 10), 0u);
  EXPECT_EQ(dc.Pixel(8, 10), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(10, 5), 0u);
  EXPECT_EQ(dc.Pixel(10, 6), 0xFFFFFFu);
  const auto framed = dc.Snapshot();
  ASSERT_TRUE(InvertRgn(dc, square));
  EXPECT_EQ(dc.Pixel(10, 10), 0u);
  ASSERT_TRUE(InvertRgn(dc, square));
  EXPECT_EQ(dc.Snapshot(), framed);
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  ASSERT_TRUE(PaintRgn(dc, square));
  EXPECT_EQ(dc.Pixel(10, 10), 0x808080u);
  DeleteObject(square);
}

TEST(RegionDrawing, ClipRegionsCombineAndCopyOut) {
  RasterDC dc(20, 20);
  HRGN left = CreateRectRgn(0, 0, 5, 20), right = CreateRectRgn(15, 0, 20, 20), out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, out), 0);  // unclipped
  EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(SelectClipRgn(dc, left), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(dc, right, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(GetClipRgn(dc, out), 1);
  HRGN both = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(both, left, right, RGN_OR);
  EXPECT_TRUE(EqualRgn(out, both));
  EXPECT_TRUE(PtVisible(dc, 2, 2));
  EXPECT_FALSE(PtVisible(dc, 10, 2));
  RECT middle{6, 0, 14, 20};
  EXPECT_FALSE(RectVisible(dc, &middle));
  EXPECT_EQ(ExtSelectClipRgn(dc, left, RGN_DIFF), SIMPLEREGION);
  EXPECT_FALSE(PtVisible(dc, 2, 2));
  EXPECT_TRUE(PtVisible(dc, 16, 2));
  for (HRGN r : {left, right, out, both}) DeleteObject(r);
}

// Extreme coordinates: the DC may only draw in a 10 x 10 window of a 30 x 30
// surface; whatever is drawn, the frame around that window stays white.
class ExtremeCoordinates : public ::testing::TestWithParam<void (*)(HDC)> {};

TEST_P(ExtremeCoordinates, NeverTouchPixelsOutsideTheDrawableArea) {
  RasterDC dc(30, 30);
  SetDCDeviceView(dc, POINT{10, 10}, RECT{10, 10, 20, 20});
  HPEN pen = CreatePen(PS_SOLID, 3, 0);
  SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  GetParam()(dc);
  int outside = 0, inside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool in = x >= 10 && x < 20 && y >= 10 && y < 20;
      (in ? inside : outside) += dc.Pixel(x, y) != 0xFFFFFF;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 0);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

constexpr int kMin = INT_MIN;
constexpr int kMax = INT_MAX;

INSTANTIATE_TEST_SUITE_P(
    Calls, ExtremeCoordinates,
    ::testing::Values([](HDC dc) { Rectangle(dc, kMin, kMin, kMax, kMax); },
                      [](HDC dc) { Ellipse(dc, kMin, kMin, kMax, kMax); },
                      [](HDC dc) { RoundRect(dc, kMin, kMin, kMax, kMax, kMax, kMax); },
                      [](HDC dc) { Pie(dc, kMin, kMin, kMax, kMax, kMax, 0, 0, kMax); },
                      [](HDC dc) {
                        MoveToEx(dc, kMin, kMin, nullptr);
                        LineTo(dc, kMax, kMax);
                      },
                      [](HDC dc) {
                        const POINT p[] = {{kMin, 5}, {kMax, 5}, {5, kMax}, {kMin, kMax}};
                        Polygon(dc, p, 4);
                      },
                      [](HDC dc) {
                        const POINT p[] = {{kMin, 5}, {kMax, 5}, {5, kMax}, {5, kMin}};
                        SelectObject(dc, GetStockObject(BLACK_PEN));
                        Polyline(dc, p, 4);
                      },
                      [](HDC dc) {
                        // A mapping that pushes logical Int32 values far beyond Int32 on the device.
                        SetMapMode(dc, MM_ANISOTROPIC);
                        SetWindowExtEx(dc, 1, 1, nullptr);
                        SetViewportExtEx(dc, 1000, -1000, nullptr);
                        Rectangle(dc, kMin, kMax, kMax, kMin);
                        RECT r{kMin, kMin, kMax, kMax};
                        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
                      },
                      [](HDC dc) {
                        RECT r{kMin, kMin, kMax, kMax};
                        InvertRect(dc, &r);
                        PatBlt(dc, kMin, kMin, kMax, kMax, PATINVERT);
                      }));

}  // namespace
}  // namespace vx::plat
