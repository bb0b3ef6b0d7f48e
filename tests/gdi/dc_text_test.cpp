// Text on a DC: measured extents agree with the drawn ink, alignment and the
// current position, heights through the mapping, turned text, opaque cells
// and word-break drawing into a rectangle.
#include <gtest/gtest.h>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;

// A font of `height` (logical units) in `face`, selected for the scope.
class Font {
public:
  Font(HDC dc, int height, const char16_t* face, int escapement = 0)
      : FDC(dc),
        FFont(CreateFontW(height, 0, escapement, escapement, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face)),
        FOld(SelectObject(dc, FFont)) {}
  ~Font() {
    SelectObject(FDC, FOld);
    DeleteObject(FFont);
  }

private:
  HDC FDC;
  HFONT FFont;
  HGDIOBJ FOld;
};

SIZE Extent(HDC dc, std::u16string_view s) {
  SIZE size{};
  GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
  return size;
}

void Out(HDC dc, int x, int y, std::u16string_view s) { TextOutW(dc, x, y, s.data(), static_cast<int>(s.size())); }

TEST(TextExtent, EqualsTheAdvanceOfTheDrawnInkAndTheCurrentPosition) {
  for (const char16_t* face : {u"Arial", u"Times New Roman"}) {
    RasterDC dc(300, 60);
    Font font(dc, -20, face);
    SetBkMode(dc, TRANSPARENT);
    const std::u16string_view text = u"Hello, World";
    const SIZE extent = Extent(dc, text);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc, &tm));
    EXPECT_EQ(extent.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight - tm.tmInternalLeading, 19);  // em height 20 (hinting may round)
    Out(dc, 10, 5, text);
    const RECT ink = dc.InkBounds();
    // The ink starts at the reference point and ends at its advance, within
    // the side bearings of the first and last glyph (a few pixels).
    EXPECT_NEAR(ink.Left, 10, 3) << "face " << static_cast<int>(face[0]);
    EXPECT_NEAR(ink.Right, 10 + extent.cx, 3);
    EXPECT_GE(ink.Top, 5);
    EXPECT_LE(ink.Bottom, 5 + extent.cy);
    // The current position advances by exactly the extent.
    SetTextAlign(dc, TA_UPDATECP);
    MoveToEx(dc, 10, 30, nullptr);
    Out(dc, 0, 0, text);
    POINT cp{};
    GetCurrentPositionEx(dc, &cp);
    EXPECT_EQ(cp, (POINT{10 + extent.cx, 30}));
  }
}

TEST(TextExtent, DrawingInPiecesEqualsDrawingAtOnce) {
  RasterDC whole(300, 40), pieces(300, 40);
  Font f1(whole, -18, u"Arial"), f2(pieces, -18, u"Arial");
  Out(whole, 4, 4, u"Rubber bands");
  SetTextAlign(pieces, TA_UPDATECP);
  MoveToEx(pieces, 4, 4, nullptr);
  Out(pieces, 0, 0, u"Rubber");
  Out(pieces, 0, 0, u" bands");
  EXPECT_EQ(whole.Snapshot(), pieces.Snapshot());
}

TEST(TextExtent, IsInLogicalUnitsAndTheHeightGoesThroughTheMapping) {
  RasterDC plain(10, 10), zoomed(10, 10);
  Font f1(plain, -40, u"Arial");
  SetMapMode(zoomed, MM_ANISOTROPIC);
  SetWindowExtEx(zoomed, 2, 2, nullptr);
  SetViewportExtEx(zoomed, 1, 1, nullptr);  // two logical units per pixel
  Font f2(zoomed, -80, u"Arial");           // the same 40-pixel font
  const SIZE a = Extent(plain, u"Scale"), b = Extent(zoomed, u"Scale");
  EXPECT_EQ(b.cx, 2 * a.cx);
  EXPECT_EQ(b.cy, 2 * a.cy);
  TEXTMETRICW tmA{}, tmB{};
  GetTextMetricsW(plain, &tmA);
  GetTextMetricsW(zoomed, &tmB);
  EXPECT_EQ(tmB.tmHeight, 2 * tmA.tmHeight);
}

struct AlignCase {
  UINT align;
  // Which ink edge lies at the reference point (50, 40): 'L' left, 'R'
  // right, 'C' centre (x); 'T' top, 'B' bottom, 'A' above (baseline) (y).
  char horizontal;
  char vertical;
};

class TextAlignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(TextAlignment, PutsTheReferencePointWhereTheFlagsSay) {
  RasterDC dc(100, 80);
  Font font(dc, -16, u"Arial");
  SetTextAlign(dc, GetParam().align);
  Out(dc, 50, 40, u"HHHH");
  const RECT ink = dc.InkBounds();
  const SIZE extent = Extent(dc, u"HHHH");
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  switch (GetParam().horizontal) {
    case 'L': EXPECT_NEAR(ink.Left, 50, 3); break;
    case 'R': EXPECT_NEAR(ink.Right, 50, 3); break;
    default: EXPECT_NEAR((ink.Left + ink.Right) / 2, 50, 3); break;
  }
  switch (GetParam().vertical) {
    case 'T': EXPECT_NEAR(ink.Top, 40 + tm.tmInternalLeading, 3); break;
    case 'B': EXPECT_NEAR(ink.Bottom, 40 - tm.tmDescent, 3); break;
    default: EXPECT_NEAR(ink.Bottom, 40, 1); break;  // "H" stands on the baseline
  }
  EXPECT_LE(ink.Right - ink.Left, extent.cx);
}

INSTANTIATE_TEST_SUITE_P(Flags, TextAlignment,
                         ::testing::Values(AlignCase{TA_LEFT | TA_TOP, 'L', 'T'}, AlignCase{TA_RIGHT | TA_TOP, 'R', 'T'},
                                           AlignCase{TA_CENTER | TA_TOP, 'C', 'T'},
                                           AlignCase{TA_LEFT | TA_BASELINE, 'L', 'A'},
                                           AlignCase{TA_RIGHT | TA_BOTTOM, 'R', 'B'}));

TEST(TurnedText, RunsCounterClockwiseOnTheDeviceWhateverTheMapping) {
  for (int flip : {1, -1}) {
    RasterDC dc(120, 200);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 1, flip, nullptr);
    SetViewportOrgEx(dc, 0, flip > 0 ? 0 : 200, nullptr);
    Font font(dc, -20, u"Arial", 900);
    SetTextAlign(dc, TA_BASELINE);
    // Device point (60, 180) in either mapping.
    Out(dc, 60, flip > 0 ? 180 : 20, u"UPWARD");  // no descenders: all ink stands on the baseline
    const RECT ink = dc.InkBounds();
    EXPECT_GT(ink.Bottom - ink.Top, 3 * (ink.Right - ink.Left)) << "flip " << flip;
    EXPECT_LE(ink.Bottom, 182);
    EXPECT_LT(ink.Top, 120);   // the text goes up the screen
    EXPECT_LE(ink.Right, 61);  // glyphs stand left of the baseline: not mirrored
  }
}

TEST(TurnedText, AFlippedMappingDrawsTheSamePixelsAsAnUnflippedOne) {
  RasterDC plain(200, 60), flipped(200, 60);
  Font f1(plain, -18, u"Arial", 300);
  Out(plain, 20, 45, u"Thirty");
  SetMapMode(flipped, MM_ANISOTROPIC);
  SetWindowExtEx(flipped, 1, 1, nullptr);
  SetViewportExtEx(flipped, 1, -1, nullptr);
  SetViewportOrgEx(flipped, 0, 60, nullptr);
  Font f2(flipped, -18, u"Arial", 300);
  Out(flipped, 20, 15, u"Thirty");
  EXPECT_EQ(plain.Snapshot(), flipped.Snapshot());
}

TEST(OpaqueText, FillsTheCellWithTheBackgroundColour) {
  RasterDC dc(120, 40);
  Font font(dc, -16, u"Arial");
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, 0x00FFFF);  // yellow, pixel 0xFFFF00
  Out(dc, 10, 10, u"Cell");
  const SIZE extent = Extent(dc, u"Cell");
  EXPECT_EQ(dc.Pixel(10, 10), 0xFFFF00u);
  EXPECT_EQ(dc.Pixel(10 + extent.cx - 1, 10 + extent.cy - 1), 0xFFFF00u);
  EXPECT_EQ(dc.Pixel(10 + extent.cx, 10), 0xFFFFFFu);
  EXPECT_EQ(dc.Pixel(10, 10 + extent.cy), 0xFFFFFFu);
}

TEST(ExtTextOut, ClipsToItsRectangleAndHonoursTheAdvances) {
  RasterDC dc(100, 30);
  Font font(dc, -16, u"Arial");
  SetBkMode(dc, TRANSPARENT);
  RECT clip{0, 0, 30, 30};
  const int dx[] = {20, 20, 20};
  ASSERT_TRUE(ExtTextOutW(dc, 2, 2, ETO_CLIPPED, &clip, u"III", 3, dx));
  const RECT ink = dc.InkBounds();
  EXPECT_LE(ink.Right, 30);
  // Two "I"s spaced 20 pixels apart are visible, the third is clipped away.
  int columns = 0;
  for (int x = 0; x < 100; ++x) columns += dc.Pixel(x, 10) != 0xFFFFFF && (x == 0 || dc.Pixel(x - 1, 10) == 0xFFFFFF);
  EXPECT_EQ(columns, 2);
}

TEST(DrawText, BreaksWordsIntoTheRectangleAndMeasuresWithCalcRect) {
  RasterDC dc(200, 200);
  Font font(dc, -16, u"Arial");
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const std::u16string text = u"one two three four five six seven";
  RECT calc{10, 10, 80, 10};
  const int height = DrawTextW(dc, text.c_str(), -1, &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GT(height, tm.tmHeight);  // more than one line
  EXPECT_EQ(height % tm.tmHeight, 0);
  EXPECT_EQ(calc.Bottom, 10 + height);
  EXPECT_LE(calc.Right, 80);
  EXPECT_EQ(dc.InkCount(), 0);  // measuring draws nothing
  RECT box{10, 10, 80, 190};
  SetBkMode(dc, TRANSPARENT);
  EXPECT_EQ(DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_WORDBREAK), height);
  const RECT ink = dc.InkBounds();
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 80);
  EXPECT_LE(ink.Bottom, 10 + height);
  EXPECT_GT(ink.Bottom, 10 + height - tm.tmHeight);
}

TEST(DrawText, AlignsASingleLine) {
  for (UINT format : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
    RasterDC dc(200, 40);
    Font font(dc, -16, u"Arial");
    RECT box{0, 0, 200, 40};
    DrawTextW(dc, u"&Mid", -1, &box, format | DT_SINGLELINE | DT_VCENTER);
    const RECT ink = dc.InkBounds();
    const SIZE extent = Extent(dc, u"Mid");  // the prefix mark is not drawn
    const int expectedLeft = format == DT_LEFT ? 0 : format == DT_CENTER ? (200 - extent.cx) / 2 : 200 - extent.cx;
    EXPECT_NEAR(ink.Left, expectedLeft, 3) << format;
    EXPECT_NEAR((ink.Top + ink.Bottom) / 2, 20, 4);
  }
}

}  // namespace
}  // namespace vx::plat
