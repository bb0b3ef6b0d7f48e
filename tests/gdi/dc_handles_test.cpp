// Handles: stale, null, garbage and wrong-kind handles make calls fail
// without harm; selected objects cannot be freed; stock objects survive
// deletion; and creating and freeing objects leaves no object behind.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;

template <class H>
H Garbage(std::uintptr_t value) {
  return reinterpret_cast<H>(value);
}

TEST(Handles, StaleHandlesAreRejectedEverywhere) {
  RasterDC dc(8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HBRUSH brush = CreateSolidBrush(0);
  HRGN region = CreateRectRgn(0, 0, 4, 4);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  HFONT font = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(region),
                    static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(font)})
    ASSERT_TRUE(DeleteObject(h));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  EXPECT_EQ(SelectObject(dc, font), nullptr);
  EXPECT_FALSE(DeleteObject(pen));
  RECT r{0, 0, 4, 4};
  EXPECT_FALSE(FillRect(dc, &r, brush));
  EXPECT_FALSE(PtInRegion(region, 1, 1));
  EXPECT_EQ(SelectClipRgn(dc, region), ERROR);
  EXPECT_EQ(GetObject(bitmap, 0, nullptr), 0);
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(dc.InkCount(), 0);
  // A new object may reuse the slot: the old handle still does not name it.
  HBRUSH fresh = CreateSolidBrush(0);
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetObjectType(fresh), OBJ_BRUSH);
  DeleteObject(fresh);
}

TEST(Handles, WrongKindsNullsAndGarbageFailWithoutHarm) {
  RasterDC dc(8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  RECT r{0, 0, 4, 4};
  EXPECT_FALSE(FillRect(dc, &r, reinterpret_cast<HBRUSH>(pen)));
  EXPECT_EQ(CombineRgn(reinterpret_cast<HRGN>(pen), reinterpret_cast<HRGN>(pen), nullptr, RGN_COPY), ERROR);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(pen), GetStockObject(BLACK_BRUSH)), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(static_cast<HDC>(dc))), nullptr);  // a DC is not an object to select
  for (std::uintptr_t value : {std::uintptr_t{1}, std::uintptr_t{0x10}, std::uintptr_t{0xDEADBEEF0},
                               ~std::uintptr_t{0} << 4, std::uintptr_t{0x1234567}}) {
    EXPECT_FALSE(DeleteObject(Garbage<HGDIOBJ>(value)));
    EXPECT_FALSE(Rectangle(Garbage<HDC>(value), 0, 0, 4, 4));
    EXPECT_EQ(GetPixel(Garbage<HDC>(value), 0, 0), CLR_INVALID);
    EXPECT_FALSE(DeleteDC(Garbage<HDC>(value)));
  }
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_FALSE(Polygon(dc, nullptr, 3));
  EXPECT_FALSE(Polyline(dc, nullptr, -1));
  EXPECT_EQ(SetMapMode(dc, 99), 0);
  EXPECT_EQ(CreatePen(99, 1, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
  EXPECT_EQ(dc.InkCount(), 0);
  DeleteObject(pen);
}

TEST(Handles, ASelectedObjectIsNotFreedUntilDeselected) {
  RasterDC dc(8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
  HGDIOBJ old = SelectObject(dc, pen);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen));  // refused: still in use
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 8, 0);
  EXPECT_EQ(dc.Pixel(3, 0), 0xFF0000u);  // the pen still draws
  EXPECT_EQ(SelectObject(dc, old), pen);
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Handles, ABitmapLivesInOneDCAtATime) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HGDIOBJ oldA = SelectObject(a, bitmap);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  EXPECT_FALSE(DeleteObject(bitmap));
  SelectObject(a, oldA);
  EXPECT_NE(SelectObject(b, bitmap), nullptr);
  DeleteDC(b);  // deselects it
  EXPECT_TRUE(DeleteObject(bitmap));
  DeleteDC(a);
}

TEST(Handles, StockObjectsSurviveDeletionAndDescribeThemselves) {
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(white));
  EXPECT_EQ(GetObjectType(white), OBJ_BRUSH);
  LOGBRUSH lb{};
  ASSERT_EQ(GetObject(white, sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbColor, 0xFFFFFFu);
  LOGPEN lp{};
  ASSERT_EQ(GetObject(GetStockObject(NULL_PEN), sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, PS_NULL);
  LOGFONTW lf{};
  ASSERT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), 92);
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
  EXPECT_EQ(GetStockObject(15), nullptr);  // no palettes
  EXPECT_EQ(GetStockObject(-1), nullptr);
}

TEST(Handles, ObjectsDescribeWhatTheyWereMadeFrom) {
  HPEN pen = CreatePen(PS_DASHDOT, 7, 0x123456);
  LOGPEN lp{};
  EXPECT_EQ(GetObject(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
  ASSERT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, PS_DASHDOT);
  EXPECT_EQ(lp.lopnWidth.x, 7);
  EXPECT_EQ(lp.lopnColor, 0x123456u);
  LOGBRUSH solid{BS_SOLID, 0x00FF00, 0};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, 9, &solid, 0, nullptr);
  EXPECT_EQ(GetObjectType(ext), OBJ_EXTPEN);
  EXTLOGPEN elp{};
  ASSERT_EQ(GetObject(ext, sizeof elp, &elp), static_cast<int>(sizeof elp));
  EXPECT_EQ(elp.elpWidth, 9u);
  EXPECT_EQ(elp.elpPenStyle, PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, 0xABCDEF);
  LOGBRUSH lb{};
  GetObject(hatch, sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, BS_HATCHED);
  EXPECT_EQ(lb.lbHatch, static_cast<std::uintptr_t>(HS_CROSS));
  // A short buffer gets what fits.
  std::uint8_t two[2] = {};
  EXPECT_EQ(GetObject(pen, 2, two), 2);
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(ext), static_cast<HGDIOBJ>(hatch)})
    DeleteObject(h);
}

TEST(Leaks, CreatingAndFreeingEverythingLeavesNoObjectBehind) {
  const std::size_t before = GdiObjectCount();
  for (int round = 0; round < 3; ++round) {
    HDC dc = CreateRasterDC(16, 16);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HPEN pen = CreatePen(PS_DOT, 1, 0);
    HBRUSH brush = CreatePatternBrush(bitmap);
    HFONT font = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    HRGN region = CreateEllipticRgn(0, 0, 10, 10);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush), oldFont = SelectObject(dc, font);
    SaveDC(dc);
    SelectClipRgn(dc, region);
    Ellipse(dc, 0, 0, 12, 12);
    TextOutW(dc, 0, 0, u"x", 1);
    BitBlt(dc, 0, 0, 8, 8, memory, 0, 0, SRCCOPY);
    EXPECT_GT(GdiObjectCount(), before);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    SelectObject(memory, oldBitmap);
    for (HGDIOBJ h : {static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush),
                      static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(region)})
      EXPECT_TRUE(DeleteObject(h));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteDC(dc));  // with a saved state still on its stack
    EXPECT_FALSE(DeleteDC(dc));
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
}  // namespace vx::plat
