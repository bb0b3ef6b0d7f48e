// Mapping modes: logical <-> device conversion with halves rounded away from
// zero, flipped axes, the isotropic adjustment, the fixed metric modes, and
// SaveDC/RestoreDC of the whole state.
#include <gtest/gtest.h>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;

struct MappingCase {
  const char* name;
  SIZE windowExt;
  SIZE viewportExt;
  POINT windowOrg;
  POINT viewportOrg;
  POINT logical;
  POINT device;
};

class LogicalToDevice : public ::testing::TestWithParam<MappingCase> {};

TEST_P(LogicalToDevice, ConvertsWithHalvesAwayFromZero) {
  const MappingCase& c = GetParam();
  RasterDC dc(100, 100);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, c.windowExt.cx, c.windowExt.cy, nullptr);
  SetViewportExtEx(dc, c.viewportExt.cx, c.viewportExt.cy, nullptr);
  SetWindowOrgEx(dc, c.windowOrg.x, c.windowOrg.y, nullptr);
  SetViewportOrgEx(dc, c.viewportOrg.x, c.viewportOrg.y, nullptr);
  POINT p = c.logical;
  ASSERT_TRUE(LPtoDP(dc, &p, 1));
  EXPECT_EQ(p, c.device);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogicalToDevice,
    ::testing::Values(
        MappingCase{"identity", {1, 1}, {1, 1}, {0, 0}, {0, 0}, {7, -3}, {7, -3}},
        MappingCase{"halfUp", {2, 2}, {1, 1}, {0, 0}, {0, 0}, {1, 3}, {1, 2}},
        MappingCase{"halfDownNegative", {2, 2}, {1, 1}, {0, 0}, {0, 0}, {-1, -3}, {-1, -2}},
        MappingCase{"belowHalf", {3, 3}, {1, 1}, {0, 0}, {0, 0}, {1, -1}, {0, 0}},
        MappingCase{"flippedY", {10, 10}, {20, -20}, {0, 0}, {0, 100}, {1, 1}, {2, 98}},
        MappingCase{"flippedBoth", {10, 10}, {-20, -20}, {0, 0}, {50, 50}, {5, 5}, {40, 40}},
        MappingCase{"origins", {1, 1}, {1, 1}, {10, 20}, {3, 4}, {10, 20}, {3, 4}},
        MappingCase{"libraryScale", {32767, 32767}, {1234, 1234}, {0, 0}, {0, 0}, {32767, -16384}, {1234, -617}},
        MappingCase{"hugeNoOverflow", {1, 1}, {1, 1}, {-2147483647 - 1, 0}, {0, 0}, {2147483647, 0}, {2147483647, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mapping, DeviceToLogicalRoundsTheSameWayAndRoundTrips) {
  RasterDC dc(100, 100);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, -2, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  POINT halves[] = {{1, 1}, {-1, -1}, {3, -3}};
  ASSERT_TRUE(DPtoLP(dc, halves, 3));
  EXPECT_EQ(halves[0], (POINT{1, -1}));  // 0.5 -> 1, -0.5 -> -1
  EXPECT_EQ(halves[1], (POINT{-1, 1}));
  EXPECT_EQ(halves[2], (POINT{2, 2}));
  // Every logical point maps to a device point that maps back to it when the
  // device scale is finer than the logical one.
  for (int v = -50; v <= 50; v += 7) {
    POINT p{v, -v};
    LPtoDP(dc, &p, 1);
    DPtoLP(dc, &p, 1);
    EXPECT_EQ(p, (POINT{v, -v}));
  }
}

TEST(Mapping, ExtentsOnlyChangeInScalableModesAndRefuseZero) {
  RasterDC dc(100, 100);
  SIZE ext{};
  EXPECT_TRUE(SetWindowExtEx(dc, 5, 5, nullptr));  // MM_TEXT: accepted, ignored
  GetWindowExtEx(dc, &ext);
  EXPECT_EQ(ext, (SIZE{1, 1}));
  SetMapMode(dc, MM_ANISOTROPIC);
  EXPECT_FALSE(SetWindowExtEx(dc, 0, 5, nullptr));
  EXPECT_FALSE(SetViewportExtEx(dc, 5, 0, nullptr));
  EXPECT_TRUE(SetWindowExtEx(dc, 5, 7, nullptr));
  GetWindowExtEx(dc, &ext);
  EXPECT_EQ(ext, (SIZE{5, 7}));
}

TEST(Mapping, IsotropicShrinksTheLargerViewportScaleKeepingSigns) {
  RasterDC dc(100, 100);
  SetMapMode(dc, MM_ISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 200, -50, nullptr);
  SIZE vp{};
  GetViewportExtEx(dc, &vp);
  EXPECT_EQ(vp, (SIZE{50, -50}));
  SetViewportExtEx(dc, -30, 300, nullptr);
  GetViewportExtEx(dc, &vp);
  EXPECT_EQ(vp, (SIZE{-30, 30}));
  POINT p{10, 10};
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p, (POINT{-3, 3}));
}

struct MetricCase {
  int mode;
  POINT oneInchRightOneInchUp;  // logical point one inch right and one inch up
};

class FixedModes : public ::testing::TestWithParam<MetricCase> {};

TEST_P(FixedModes, MapPhysicalLengthsWithYUp) {
  // 960 x 480 pixels at 96 dpi: 254 x 127 mm.
  RasterDC dc(960, 480);
  EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 254);
  EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), 127);
  SetMapMode(dc, GetParam().mode);
  POINT p = GetParam().oneInchRightOneInchUp;
  LPtoDP(dc, &p, 1);
  EXPECT_NEAR(p.x, 96, 1);
  EXPECT_NEAR(p.y, -96, 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, FixedModes,
                         ::testing::Values(MetricCase{MM_LOMETRIC, {254, 254}}, MetricCase{MM_HIMETRIC, {2540, 2540}},
                                           MetricCase{MM_LOENGLISH, {100, 100}},
                                           MetricCase{MM_HIENGLISH, {1000, 1000}}, MetricCase{MM_TWIPS, {1440, 1440}}));

TEST(Mapping, DeviceCapsOfAPrinterLikeDevice) {
  DeviceDesc desc;
  desc.Width = 2480;  // A4 at 300 dpi
  desc.Height = 3508;
  desc.DpiX = desc.DpiY = 300;
  desc.Technology = DT_RASPRINTER;
  desc.Surface = SurfaceKind::None;
  HDC dc = CreateDeviceDC(desc);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 210);
  EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), 297);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 2480);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  DeleteDC(dc);
}

TEST(SaveRestore, RestoresTheWholeStateAndDropsLaterLevels) {
  RasterDC dc(50, 50);
  HPEN pen = CreatePen(PS_DASH, 1, 0x0000FF);
  HBRUSH brush = CreateSolidBrush(0x00FF00);
  const int level = SaveDC(dc);
  EXPECT_EQ(level, 1);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 3, 3, nullptr);
  SetViewportOrgEx(dc, 5, 6, nullptr);
  SetROP2(dc, R2_XORPEN);
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, 0x123456);
  SetTextColor(dc, 0x654321);
  SetTextAlign(dc, TA_BASELINE | TA_CENTER);
  SetPolyFillMode(dc, WINDING);
  MoveToEx(dc, 9, 9, nullptr);
  IntersectClipRect(dc, 0, 0, 10, 10);
  EXPECT_EQ(SaveDC(dc), 2);
  SetROP2(dc, R2_BLACK);

  ASSERT_TRUE(RestoreDC(dc, 1));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), oldPen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), oldBrush);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  POINT org{};
  GetViewportOrgEx(dc, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
  EXPECT_EQ(GetTextColor(dc), 0u);
  EXPECT_EQ(GetTextAlign(dc), 0u);
  EXPECT_EQ(GetPolyFillMode(dc), ALTERNATE);
  POINT cp{};
  GetCurrentPositionEx(dc, &cp);
  EXPECT_EQ(cp, (POINT{0, 0}));
  RECT box{};
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 50, 50}));
  EXPECT_FALSE(RestoreDC(dc, 1));  // level 2 went with level 1
  // The pen and brush are no longer selected anywhere: they can be freed.
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(SaveRestore, NegativeLevelsCountFromTheTop) {
  RasterDC dc(10, 10);
  SaveDC(dc);
  SetROP2(dc, R2_NOT);
  SaveDC(dc);
  SetROP2(dc, R2_WHITE);
  ASSERT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetROP2(dc), R2_NOT);
  ASSERT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_FALSE(RestoreDC(dc, -1));
  EXPECT_FALSE(RestoreDC(dc, 0));
}

TEST(ClipBox, IsReportedInLogicalUnitsWithAFlippedAxisKeepingItsDirection) {
  RasterDC dc(100, 80);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, -2, nullptr);
  SetViewportOrgEx(dc, 0, 80, nullptr);
  RECT box{};
  GetClipBox(dc, &box);
  // Device (0, 0) is logical (0, 40); device (100, 80) is logical (50, 0).
  EXPECT_EQ(box, (RECT{0, 40, 50, 0}));
}

}  // namespace
}  // namespace vx::plat
