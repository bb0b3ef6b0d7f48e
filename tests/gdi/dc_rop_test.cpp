// Raster operations: the 16 pen modes against a table of results, inverting
// rubber bands that vanish when drawn twice, and the ternary operations of
// bitmap transfers.
#include <gtest/gtest.h>

#include <random>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;

struct Rop2Case {
  int rop2;
  std::uint32_t result;  // for pen 0xF0 and destination 0xCC in every channel
};

class PenModes : public ::testing::TestWithParam<Rop2Case> {};

TEST_P(PenModes, CombinePenAndDestinationPerBit) {
  RasterDC dc(4, 4);
  RECT all{0, 0, 4, 4};
  HBRUSH dest = CreateSolidBrush(0xCCCCCC);
  FillRect(dc, &all, dest);
  HPEN pen = CreatePen(PS_SOLID, 1, 0xF0F0F0);
  SelectObject(dc, pen);
  SetROP2(dc, GetParam().rop2);
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 4, 1);
  EXPECT_EQ(dc.Pixel(2, 1), GetParam().result);
  EXPECT_EQ(dc.Pixel(2, 2), 0xCCCCCCu);  // untouched
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteObject(dest);
}

INSTANTIATE_TEST_SUITE_P(
    AllSixteen, PenModes,
    ::testing::Values(Rop2Case{R2_BLACK, 0x000000}, Rop2Case{R2_NOTMERGEPEN, 0x030303},
                      Rop2Case{R2_MASKNOTPEN, 0x0C0C0C}, Rop2Case{R2_NOTCOPYPEN, 0x0F0F0F},
                      Rop2Case{R2_MASKPENNOT, 0x303030}, Rop2Case{R2_NOT, 0x333333}, Rop2Case{R2_XORPEN, 0x3C3C3C},
                      Rop2Case{R2_NOTMASKPEN, 0x3F3F3F}, Rop2Case{R2_MASKPEN, 0xC0C0C0},
                      Rop2Case{R2_NOTXORPEN, 0xC3C3C3}, Rop2Case{R2_NOP, 0xCCCCCC},
                      Rop2Case{R2_MERGENOTPEN, 0xCFCFCF}, Rop2Case{R2_COPYPEN, 0xF0F0F0},
                      Rop2Case{R2_MERGEPENNOT, 0xF3F3F3}, Rop2Case{R2_MERGEPEN, 0xFCFCFC},
                      Rop2Case{R2_WHITE, 0xFFFFFF}));

TEST(PenModes, CanvasPenModeOrdinalsMapOntoTheBinaryOperations) {
  const int expected[16] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,        R2_COPYPEN,    R2_NOTCOPYPEN,
                            R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,   R2_NOTMERGEPEN,
                            R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  for (int mode = 0; mode < 16; ++mode) EXPECT_EQ(PenModeToROP2(mode), expected[mode]) << mode;
  EXPECT_EQ(PenModeToROP2(16), R2_COPYPEN);
  EXPECT_EQ(SetROP2(nullptr, R2_XORPEN), 0);
}

// A drawing call of the rubber-band test, with the figure's brush choice.
struct BandCase {
  const char* name;
  void (*draw)(HDC dc);
};

class RubberBands : public ::testing::TestWithParam<std::tuple<int, int, BandCase>> {};

TEST_P(RubberBands, DrawnTwiceRestoreEveryPixel) {
  const auto [rop2, penKind, band] = GetParam();
  RasterDC dc(64, 48);
  std::mt19937 random(7);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) SetPixel(dc, x, y, random() & 0xFFFFFF);
  const auto before = dc.Snapshot();
  HPEN pen = penKind == 0   ? CreatePen(PS_SOLID, 0, 0x3366CC)
             : penKind == 1 ? CreatePen(PS_DASHDOT, 1, 0x3366CC)
                            : CreatePen(PS_SOLID, 5, 0x3366CC);
  HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, 0x884422);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SetBkColor(dc, 0x00AA55);  // opaque gaps of dashes and hatches are inverted too
  SetROP2(dc, rop2);
  band.draw(dc);
  EXPECT_NE(dc.Snapshot(), before) << "drawn once, the band is visible";
  band.draw(dc);
  EXPECT_EQ(dc.Snapshot(), before);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

std::string BandName(const ::testing::TestParamInfo<std::tuple<int, int, BandCase>>& info) {
  const int rop2 = std::get<0>(info.param);
  const char* rop = rop2 == R2_NOT ? "Not" : rop2 == R2_XORPEN ? "Xor" : "NotXor";
  const char* pens[] = {"Thin", "Dashed", "Wide"};
  return std::string(rop) + pens[std::get<1>(info.param)] + std::get<2>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RubberBands,
    ::testing::Combine(
        ::testing::Values(R2_NOT, R2_XORPEN, R2_NOTXORPEN), ::testing::Values(0, 1, 2),
        ::testing::Values(
            BandCase{"Line",
                     [](HDC dc) {
                       MoveToEx(dc, 3, 40, nullptr);
                       LineTo(dc, 60, 5);
                     }},
            BandCase{"Rectangle", [](HDC dc) { Rectangle(dc, 5, 5, 50, 40); }},
            BandCase{"ClearRectangle",
                     [](HDC dc) {
                       HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
                       Rectangle(dc, 50, 40, 5, 5);
                       SelectObject(dc, old);
                     }},
            BandCase{"Ellipse", [](HDC dc) { Ellipse(dc, 4, 3, 59, 44); }},
            BandCase{"RoundRect", [](HDC dc) { RoundRect(dc, 4, 3, 59, 44, 20, 12); }},
            BandCase{"Pie", [](HDC dc) { Pie(dc, 4, 3, 59, 44, 60, 10, 2, 40); }},
            BandCase{"Chord", [](HDC dc) { Chord(dc, 4, 3, 59, 44, 60, 10, 2, 40); }},
            BandCase{"Arc", [](HDC dc) { Arc(dc, 4, 3, 59, 44, 60, 10, 2, 40); }},
            BandCase{"SelfCrossingPolyline",
                     [](HDC dc) {
                       const POINT p[] = {{2, 2}, {60, 40}, {60, 2}, {2, 40}, {30, 2}, {30, 46}};
                       Polyline(dc, p, 6);
                     }},
            BandCase{"WindingStar",
                     [](HDC dc) {
                       SetPolyFillMode(dc, WINDING);
                       const POINT p[] = {{32, 1}, {50, 46}, {3, 17}, {61, 17}, {14, 46}};
                       Polygon(dc, p, 5);
                     }},
            BandCase{"PolyPolygon",
                     [](HDC dc) {
                       const POINT p[] = {{2, 2}, {40, 2}, {40, 30}, {2, 30}, {20, 10}, {60, 10}, {60, 45}};
                       const int counts[] = {4, 3};
                       PolyPolygon(dc, p, counts, 2);
                     }},
            BandCase{"MappedFlippedRectangle", [](HDC dc) {
                       SetMapMode(dc, MM_ANISOTROPIC);
                       SetWindowExtEx(dc, 10, 10, nullptr);
                       SetViewportExtEx(dc, 7, -7, nullptr);
                       SetViewportOrgEx(dc, 0, 47, nullptr);
                       Rectangle(dc, 5, 5, 80, 60);
                       SetMapMode(dc, MM_TEXT);
                       SetViewportOrgEx(dc, 0, 0, nullptr);
                     }})),
    BandName);

struct Rop3Case {
  const char* name;
  DWORD rop;
  std::uint8_t result;  // for pattern 0xF0, source 0xCC, destination 0xAA
};

class TernaryOperations : public ::testing::TestWithParam<Rop3Case> {};

TEST_P(TernaryOperations, CombinePatternSourceAndDestinationPerBit) {
  RasterDC dest(6, 6), src(6, 6);
  RECT all{0, 0, 6, 6};
  HBRUSH s = CreateSolidBrush(0xCCCCCC), d = CreateSolidBrush(0xAAAAAA), p = CreateSolidBrush(0xF0F0F0);
  FillRect(src, &all, s);
  FillRect(dest, &all, d);
  SelectObject(dest, p);
  ASSERT_TRUE(BitBlt(dest, 1, 1, 4, 4, src, 0, 0, GetParam().rop));
  const std::uint32_t r = GetParam().result;
  EXPECT_EQ(dest.Pixel(2, 2), r | (r << 8) | (r << 16));
  EXPECT_EQ(dest.Pixel(0, 0), 0xAAAAAAu);
  EXPECT_EQ(dest.Pixel(5, 5), 0xAAAAAAu);
  SelectObject(dest, GetStockObject(WHITE_BRUSH));
  DeleteObject(s);
  DeleteObject(d);
  DeleteObject(p);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, TernaryOperations,
    ::testing::Values(Rop3Case{"SrcCopy", SRCCOPY, 0xCC}, Rop3Case{"SrcAnd", SRCAND, 0x88},
                      Rop3Case{"SrcInvert", SRCINVERT, 0x66}, Rop3Case{"SrcPaint", SRCPAINT, 0xEE},
                      Rop3Case{"SrcErase", SRCERASE, 0x44}, Rop3Case{"NotSrcCopy", NOTSRCCOPY, 0x33},
                      Rop3Case{"NotSrcErase", NOTSRCERASE, 0x11}, Rop3Case{"MergeCopy", MERGECOPY, 0xC0},
                      Rop3Case{"MergePaint", MERGEPAINT, 0xBB}, Rop3Case{"PatCopy", PATCOPY, 0xF0},
                      Rop3Case{"PatPaint", PATPAINT, 0xFB}, Rop3Case{"PatInvert", PATINVERT, 0x5A},
                      Rop3Case{"DstInvert", DSTINVERT, 0x55}, Rop3Case{"Blackness", BLACKNESS, 0x00},
                      Rop3Case{"Whiteness", WHITENESS, 0xFF},
                      // Any code works from its truth table: DSna (dest and not source).
                      Rop3Case{"DSna", 0x00220326, 0x22}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TernaryOperations, TransfersWithoutASourceNeedNoSourceDC) {
  RasterDC dc(4, 4);
  EXPECT_TRUE(PatBlt(dc, 0, 0, 2, 4, DSTINVERT));
  EXPECT_EQ(dc.Pixel(1, 1), 0u);
  EXPECT_EQ(dc.Pixel(2, 1), 0xFFFFFFu);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 2, 2, SRCCOPY));  // needs a source
  EXPECT_FALSE(BitBlt(dc, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
}

}  // namespace
}  // namespace vx::plat
