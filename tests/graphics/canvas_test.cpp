// TCanvas: lazy realisation of pen, brush and font, coherence with state put
// on the device context directly, primitives on the expected pixels, text
// measurement against drawn ink, and pixel access under a mapping.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace vx::plat {
namespace {

// A white bitmap of the given size whose canvas the tests draw on.
struct Sheet {
  TBitmap bitmap;
  Sheet(int w, int h) : bitmap(w, h) {}
  TCanvas& canvas() { return bitmap.GetCanvas(); }
  TColor at(int x, int y) const { return bitmap.GetPixel(x, y); }
  // Columns of row y whose pixel is not white.
  std::vector<int> inkColumns(int y) const {
    std::vector<int> r;
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      if (at(x, y) != clWhite) r.push_back(x);
    return r;
  }
};

TEST(Canvas, WithoutDeviceContextRefusesToDraw) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HandleAllocated());
  EXPECT_THROW(canvas.LineTo(1, 1), ECanvasError);
  EXPECT_THROW(canvas.GetHandle(), ECanvasError);
}

TEST(Canvas, ObjectChangesReachTheDeviceContextOnlyAtTheNextDrawingCall) {
  Sheet sheet(20, 20);
  TCanvas& c = sheet.canvas();
  HDC dc = c.GetHandle();
  c.MoveTo(0, 0);
  c.LineTo(5, 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c.GetPen().GetHandle());

  c.GetPen().SetColor(clRed);
  // The old pen left the device context (so it could be freed); the new one is not there yet.
  EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), c.GetPen().GetHandle());
  c.GetPen().SetMode(pmNotXor);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);

  c.LineTo(10, 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c.GetPen().GetHandle());
  EXPECT_EQ(GetROP2(dc), R2_NOTXORPEN);

  c.GetBrush().SetStyle(bsClear);
  c.Rectangle(0, 5, 10, 10);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), c.GetBrush().GetHandle());
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
}

TEST(Canvas, DirectlySelectedFontIsKeptUntilTheCanvasFontChanges) {
  Sheet sheet(300, 60);
  TCanvas& c = sheet.canvas();
  c.GetFont().SetName(u"DejaVu Sans");
  c.GetFont().SetHeight(-10);
  const TSize small = c.TextExtent(u"Hello");
  ASSERT_GT(small.cx, 0);

  HDC dc = c.GetHandle();
  HFONT big = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  SelectObject(dc, big);
  // Measured with the font now on the device context, as code that selects its own font expects.
  const TSize measured = c.TextExtent(u"Hello");
  EXPECT_GT(measured.cx, small.cx * 3);
  c.TextOut(0, 0, u"Hello");
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), big);

  c.GetFont().SetColor(clRed);  // the canvas's own font changed: it wins again
  EXPECT_EQ(c.TextExtent(u"Hello"), small);
  EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), big);
  EXPECT_TRUE(DeleteObject(big));
}

TEST(Canvas, DirectlySetTextColourIsKeptUntilTheCanvasFontChanges) {
  Sheet sheet(120, 30);
  TCanvas& c = sheet.canvas();
  c.GetBrush().SetStyle(bsClear);
  c.GetFont().SetHeight(-20);
  c.TextExtent(u"x");  // realises the font (black text)
  SetTextColor(c.GetHandle(), ColorToRGB(clBlue));
  c.TextOut(2, 2, u"IIII");
  auto hasInkOf = [&](TColor color) {
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 120; ++x)
        if (sheet.at(x, y) == color) return true;
    return false;
  };
  EXPECT_TRUE(hasInkOf(clBlue));
  EXPECT_FALSE(hasInkOf(clBlack));

  c.GetFont().SetColor(clRed);
  c.TextOut(2, 2, u"IIII");
  EXPECT_TRUE(hasInkOf(clRed));
  EXPECT_FALSE(hasInkOf(clBlue));
}

TEST(Canvas, ReplacingTheHandleDeselectsTheCanvasObjects) {
  HDC own = CreateRasterDC(10, 10);
  const std::size_t before = GdiObjectCount();
  {
    TCanvas canvas;
    canvas.SetHandle(own);
    canvas.GetPen().SetWidth(2);
    canvas.GetFont().SetHeight(-30);
    canvas.Rectangle(0, 0, 5, 5);
    canvas.TextExtent(u"A");
    EXPECT_EQ(GetCurrentObject(own, OBJ_PEN), canvas.GetPen().GetHandle());
    canvas.SetHandle(nullptr);
    EXPECT_NE(GetCurrentObject(own, OBJ_PEN), canvas.GetPen().GetHandle());
    EXPECT_NE(GetCurrentObject(own, OBJ_FONT), canvas.GetFont().GetHandle());
  }
  // The canvas's pen, brush and font were freed with it: nothing stayed selected.
  EXPECT_EQ(GdiObjectCount(), before);
  DeleteDC(own);
}

// A drawing call on a 60 x 60 white sheet with a black pen and a red brush,
// then pixels that must (or must not) be painted.
struct PrimitiveCase {
  const char* name;
  std::function<void(TCanvas&)> draw;
  std::vector<std::pair<TPoint, TColor>> expected;
  friend void PrintTo(const PrimitiveCase& c, std::ostream* os) { *os << c.name; }
};

class CanvasPrimitive : public ::testing::TestWithParam<PrimitiveCase> {};

TEST_P(CanvasPrimitive, LandsOnTheExpectedPixels) {
  Sheet sheet(60, 60);
  TCanvas& c = sheet.canvas();
  c.GetBrush().SetColor(clRed);
  GetParam().draw(c);
  for (const auto& [p, color] : GetParam().expected)
    EXPECT_EQ(sheet.at(p.x, p.y), color) << "pixel (" << p.x << ", " << p.y << ")";
}

const TColor W = clWhite, K = clBlack, R = clRed;

INSTANTIATE_TEST_SUITE_P(
    Primitives, CanvasPrimitive,
    ::testing::Values(
        PrimitiveCase{"LineToLeavesOutItsEndPoint",
                      [](TCanvas& c) {
                        c.MoveTo(5, 5);
                        c.LineTo(15, 5);
                      },
                      {{{5, 5}, K}, {{14, 5}, K}, {{15, 5}, W}, {{4, 5}, W}}},
        PrimitiveCase{"PolylineLeavesOutOnlyItsLastPoint",
                      [](TCanvas& c) {
                        const TPoint pts[] = {{5, 5}, {15, 5}, {15, 15}};
                        c.Polyline(pts);
                      },
                      {{{15, 5}, K}, {{15, 14}, K}, {{15, 15}, W}}},
        PrimitiveCase{"RectangleCoversLeftTopNotRightBottom",
                      [](TCanvas& c) { c.Rectangle(10, 10, 20, 20); },
                      {{{10, 10}, K}, {{19, 19}, K}, {{15, 10}, K}, {{15, 15}, R}, {{20, 20}, W}, {{9, 9}, W}}},
        PrimitiveCase{"RectangleWithReversedCorners",
                      [](TCanvas& c) { c.Rectangle(20, 20, 10, 10); },
                      {{{10, 10}, K}, {{19, 19}, K}, {{15, 15}, R}, {{20, 20}, W}}},
        PrimitiveCase{"EllipseFillsInsideItsBox",
                      [](TCanvas& c) { c.Ellipse(10, 10, 31, 31); },
                      {{{20, 20}, R}, {{10, 20}, K}, {{20, 10}, K}, {{11, 11}, W}, {{31, 20}, W}}},
        PrimitiveCase{"RoundRectCutsItsCorners",
                      [](TCanvas& c) { c.RoundRect(10, 10, 40, 40, 16, 16); },
                      {{{10, 10}, W}, {{25, 10}, K}, {{25, 25}, R}, {{39, 25}, K}}},
        PrimitiveCase{"PolygonIsFilledAndOutlined",
                      [](TCanvas& c) {
                        const TPoint pts[] = {{10, 10}, {50, 10}, {10, 50}};
                        c.Polygon(pts);
                      },
                      {{{15, 15}, R}, {{30, 10}, K}, {{45, 45}, W}}},
        PrimitiveCase{"PieRunsCounterClockwiseFromStartToEnd",
                      // from the radial to the right (angle 0) to the radial upwards (90 degrees)
                      [](TCanvas& c) { c.Pie(10, 10, 51, 51, 60, 30, 30, 0); },
                      {{{40, 20}, R}, {{20, 40}, W}, {{20, 20}, W}, {{40, 40}, W}}},
        PrimitiveCase{"ChordIsClosedByItsChord",
                      [](TCanvas& c) { c.Chord(10, 10, 51, 51, 60, 30, 30, 0); },
                      {{{43, 17}, R}, {{32, 28}, W}}},
        PrimitiveCase{"FillRectUsesTheBrushOnly",
                      [](TCanvas& c) { c.FillRect(Rect(0, 0, 5, 5)); },
                      {{{0, 0}, R}, {{4, 4}, R}, {{5, 5}, W}}},
        PrimitiveCase{"FrameRectDrawsOnePixelInTheBrush",
                      [](TCanvas& c) { c.FrameRect(Rect(0, 0, 6, 6)); },
                      {{{0, 0}, R}, {{5, 5}, R}, {{2, 2}, W}, {{6, 6}, W}}},
        PrimitiveCase{"ClearBrushLeavesTheInsideAlone",
                      [](TCanvas& c) {
                        c.GetBrush().SetStyle(bsClear);
                        c.Rectangle(10, 10, 20, 20);
                      },
                      {{{10, 10}, K}, {{15, 15}, W}}},
        PrimitiveCase{"ClearPenDrawsNoOutline",
                      [](TCanvas& c) {
                        c.GetPen().SetStyle(psClear);
                        c.Rectangle(10, 10, 20, 20);
                      },
                      {{{15, 15}, R}, {{9, 9}, W}}},
        PrimitiveCase{"PixelsAreSetOneByOne",
                      [](TCanvas& c) { c.SetPixels(3, 4, clLime); },
                      {{{3, 4}, clLime}, {{4, 4}, W}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Canvas, ArcDrawsOnlyItsCounterClockwiseQuarterWithoutFilling) {
  Sheet sheet(60, 60);
  TCanvas& c = sheet.canvas();
  c.GetBrush().SetColor(clRed);
  c.Arc(10, 10, 51, 51, 60, 30, 30, 0);  // from the radial to the right to the one upwards
  int ink = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor p = sheet.at(x, y);
      EXPECT_NE(p, clRed);
      if (p != clBlack) continue;
      ++ink;
      EXPECT_GE(x, 29) << y;
      EXPECT_LE(y, 31) << x;
    }
  EXPECT_GT(ink, 25);
}

TEST(Canvas, NotXorPenDrawnTwiceRestoresThePixels) {
  Sheet sheet(40, 40);
  TCanvas& c = sheet.canvas();
  c.GetBrush().SetColor(clYellow);
  c.Ellipse(0, 0, 40, 40);
  std::vector<TColor> before;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) before.push_back(sheet.at(x, y));

  c.GetPen().SetMode(pmNotXor);
  c.GetBrush().SetStyle(bsClear);
  for (int pass = 0; pass < 2; ++pass) {
    c.Rectangle(5, 5, 30, 25);
    c.MoveTo(2, 38);
    c.LineTo(38, 2);
  }
  std::vector<TColor> after;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) after.push_back(sheet.at(x, y));
  EXPECT_EQ(after, before);
}

TEST(Canvas, TextOutMovesThePenAndTextWidthIsTheDrawnAdvance) {
  Sheet together(200, 40), apart(200, 40);
  for (Sheet* s : {&together, &apart}) {
    s->canvas().GetFont().SetName(u"DejaVu Sans");
    s->canvas().GetFont().SetHeight(-20);
    s->canvas().GetBrush().SetStyle(bsClear);
  }
  together.canvas().TextOut(3, 5, u"AWAY");
  EXPECT_EQ(together.canvas().GetPenPos(), Point(3 + together.canvas().TextWidth(u"AWAY"), 5));

  // Drawing the pieces one after the other at the measured widths gives the same ink.
  int x = 3;
  for (const String piece : {u"A", u"W", u"A", u"Y"}) {
    apart.canvas().TextOut(x, 5, piece);
    x += apart.canvas().TextWidth(piece);
  }
  EXPECT_EQ(x, 3 + together.canvas().TextWidth(u"AWAY"));
  for (int y = 0; y < 40; ++y) EXPECT_EQ(together.inkColumns(y), apart.inkColumns(y)) << "row " << y;

  const TSize extent = together.canvas().TextExtent(u"AWAY");
  EXPECT_EQ(together.canvas().TextHeight(u"AWAY"), extent.cy);
  EXPECT_GT(extent.cy, 20);
}

TEST(Canvas, TextRectClipsToItsRectangle) {
  Sheet sheet(200, 40);
  TCanvas& c = sheet.canvas();
  c.GetFont().SetHeight(-24);
  c.GetBrush().SetColor(clYellow);
  c.TextRect(Rect(10, 5, 30, 35), 10, 5, u"WWWWWWWW");
  EXPECT_EQ(sheet.at(29, 34), clYellow);  // below the text, inside the rectangle
  for (int y = 0; y < 40; ++y)
    for (int col : sheet.inkColumns(y)) {
      EXPECT_GE(col, 10);
      EXPECT_LT(col, 30);
    }
}

// A canvas over its own raster surface with an anisotropic mapping: three
// pixels per logical unit, y flipped, logical (0, 0) at device (30, 90).
struct MappedSurface {
  HDC dc = CreateRasterDC(120, 120);
  TCanvas canvas;
  MappedSurface() {
    canvas.SetHandle(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 3, -3, nullptr);
    SetViewportOrgEx(dc, 30, 90, nullptr);
  }
  ~MappedSurface() {
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
  }
  TColor device(int x, int y) const {
    int w = 0, h = 0, stride = 0;
    const std::uint32_t* px = RasterPixels(dc, &w, &h, &stride);
    return PixelToColor(px[std::int64_t(y) * stride + x]);
  }
};

TEST(Canvas, PixelsRoundTripThroughTheMapping) {
  MappedSurface s;
  struct Case {
    int x, y;
    TColor color;
  };
  for (const Case c : {Case{0, 0, clRed}, Case{5, 7, clBlue}, Case{-3, -2, clLime}, Case{20, 25, clNavy}}) {
    s.canvas.SetPixels(c.x, c.y, c.color);
    EXPECT_EQ(s.canvas.GetPixels(c.x, c.y), c.color) << c.x << ", " << c.y;
    TPoint d{c.x, c.y};
    LPtoDP(s.dc, &d, 1);
    EXPECT_EQ(s.device(d.x, d.y), c.color) << "device " << d.x << ", " << d.y;
  }
  EXPECT_EQ(s.canvas.GetPixels(1000, 1000), TColor(-1));  // outside the surface
}

TEST(Canvas, ClipRectIsTheVisibleAreaInLogicalUnits) {
  MappedSurface s;
  const TRect clip = s.canvas.GetClipRect();
  // Device (0, 0)-(120, 120) is logical x -10..30, y 30..-10 (y flipped).
  EXPECT_EQ(clip.Left, -10);
  EXPECT_EQ(clip.Right, 30);
  EXPECT_EQ(std::min(clip.Top, clip.Bottom), -10);
  EXPECT_EQ(std::max(clip.Top, clip.Bottom), 30);
}

TEST(Canvas, CopyRectStretchesWithTheCopyMode) {
  Sheet source(4, 4), dest(20, 20);
  source.canvas().GetBrush().SetColor(clBlue);
  source.canvas().FillRect(Rect(0, 0, 2, 4));
  dest.canvas().CopyRect(Rect(0, 0, 8, 8), source.canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dest.at(0, 0), clBlue);
  EXPECT_EQ(dest.at(3, 7), clBlue);
  EXPECT_EQ(dest.at(4, 0), clWhite);
  EXPECT_EQ(dest.at(8, 8), clWhite);

  dest.canvas().SetCopyMode(DSTINVERT);
  dest.canvas().CopyRect(Rect(0, 0, 1, 1), source.canvas(), Rect(0, 0, 1, 1));
  EXPECT_EQ(dest.at(0, 0), TColor(ColorToRGB(clBlue) ^ 0xFFFFFF));
}

TEST(Canvas, DrawingCallsFireChangingThenChanged) {
  Sheet sheet(10, 10);
  TCanvas& c = sheet.canvas();
  std::string log;
  c.OnChanging = [&](TObject*) { log += '<'; };
  c.OnChange = [&](TObject*) { log += '>'; };
  c.Rectangle(0, 0, 5, 5);
  c.TextOut(0, 0, u"a");
  c.TextExtent(u"a");  // measuring changes nothing
  EXPECT_EQ(log, "<><>");
}

TEST(Canvas, LockCounts) {
  TCanvas c;
  EXPECT_TRUE(c.TryLock());
  EXPECT_FALSE(c.TryLock());
  c.Lock();
  EXPECT_EQ(c.GetLockCount(), 2);
  c.Unlock();
  c.Unlock();
  c.Unlock();  // never below zero
  EXPECT_EQ(c.GetLockCount(), 0);
}

}  // namespace
}  // namespace vx::plat
