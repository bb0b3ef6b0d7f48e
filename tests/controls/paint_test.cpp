// Painting: the update region a paint sees, erasing with the control's
// colour, painting at once (Update), and ScrollWindow moving pixels and
// invalidating exactly what it uncovered.
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class PaintTest : public HeadlessTest {};

TEST_F(PaintTest, PaintSeesTheInvalidatedRectangleAsClipBox) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->PaintClips.clear();

  probe->InvalidateRect(Rect(30, 40, 60, 55), emNoErase);
  Host.RunUntilIdle();

  ASSERT_EQ(probe->PaintClips.size(), 1u);
  EXPECT_EQ(probe->PaintClips[0], Rect(30, 40, 60, 55));
}

TEST_F(PaintTest, TwoInvalidationsPaintOnceWithTheirUnionBox) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->Fill = clRed;
  probe->PaintClips.clear();
  // Paint the whole control red first, then invalidate two spots.
  probe->Repaint();
  probe->Fill = clBlue;
  probe->PaintClips.clear();

  probe->InvalidateRect(Rect(10, 10, 20, 20), emNoErase);
  probe->InvalidateRect(Rect(50, 60, 70, 80), emNoErase);
  Host.RunUntilIdle();

  ASSERT_EQ(probe->PaintClips.size(), 1u);
  EXPECT_EQ(probe->PaintClips[0], Rect(10, 10, 70, 80));
  // Only the two rectangles (the update region), not their box, were painted.
  EXPECT_EQ(Host.ScreenPixel(At(probe, 15, 15).x, At(probe, 15, 15).y), clBlue);
  EXPECT_EQ(Host.ScreenPixel(At(probe, 60, 70).x, At(probe, 60, 70).y), clBlue);
  EXPECT_EQ(Host.ScreenPixel(At(probe, 40, 40).x, At(probe, 40, 40).y), clRed);
}

TEST_F(PaintTest, EraseFillsTheUpdateAreaWithTheControlColourBeforePaint) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->SetColor(clYellow);
  probe->Fill = clGreen;
  probe->Repaint();
  probe->Fill = clNone;  // paints nothing: what shows is the erase

  probe->InvalidateRect(Rect(10, 10, 30, 30), emErase);
  Host.RunUntilIdle();

  const TPoint inside = At(probe, 15, 15), outside = At(probe, 40, 40);
  EXPECT_EQ(Host.ScreenPixel(inside.x, inside.y), clYellow);
  EXPECT_EQ(Host.ScreenPixel(outside.x, outside.y), clGreen);
}

TEST_F(PaintTest, InvalidateErasesUnlessTheControlIsOpaque) {
  struct Case {
    bool Opaque;
    TColor Expected;
  };
  for (const Case c : {Case{false, clYellow}, Case{true, clGreen}}) {
    TForm* form = MakeForm();
    TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
    probe->SetColor(clYellow);
    probe->Fill = clGreen;
    probe->Repaint();
    probe->Fill = clNone;
    TControlStyle style = probe->ControlStyle();
    if (c.Opaque) style.Include(csOpaque);
    probe->SetControlStyle(style);

    probe->Invalidate();
    Host.RunUntilIdle();

    const TPoint p = At(probe, 50, 50);
    EXPECT_EQ(Host.ScreenPixel(p.x, p.y), c.Expected) << "opaque " << c.Opaque;
  }
}

TEST_F(PaintTest, UpdatePaintsAtOnceWithoutTheLoop) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->PaintClips.clear();

  probe->InvalidateRect(Rect(0, 0, 5, 5), emNoErase);
  EXPECT_TRUE(probe->PaintClips.empty());
  probe->Update();

  ASSERT_EQ(probe->PaintClips.size(), 1u);
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(probe->Handle(), &pending, FALSE));
}

TEST_F(PaintTest, HiddenControlsDoNotPaintUntilShown) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->Hide();
  probe->PaintClips.clear();
  probe->Invalidate();
  Host.RunUntilIdle();
  EXPECT_TRUE(probe->PaintClips.empty());

  probe->Show();
  Host.RunUntilIdle();
  ASSERT_EQ(probe->PaintClips.size(), 1u);
  EXPECT_EQ(probe->PaintClips[0], probe->ClientRect());
}

TEST_F(PaintTest, CanvasOutsidePaintDrawsOnTheScreenAndIsFreedByTheLoop) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 220, 170));
  probe->Canvas().GetBrush().SetColor(clFuchsia);
  probe->Canvas().FillRect(Rect(0, 0, 10, 10));
  EXPECT_TRUE(probe->Canvas().HandleAllocated());

  Host.RunUntilIdle();

  EXPECT_FALSE(probe->Canvas().HandleAllocated());
  const TPoint p = At(probe, 5, 5);
  EXPECT_EQ(Host.ScreenPixel(p.x, p.y), clFuchsia);
}

// --- ScrollWindow ------------------------------------------------------------

// A probe painted with a left half red and a right half blue, validated.
class ScrollWindowTest : public HeadlessTest {
protected:
  TProbe* Striped() {
    TForm* form = MakeForm();
    TProbe* probe = MakeProbe(form, Rect(10, 10, 110, 70));  // client 100 x 60
    HDC dc = GetDC(probe->Handle());
    HBRUSH red = CreateSolidBrush(clRed), blue = CreateSolidBrush(clBlue);
    RECT left{0, 0, 50, 60}, right{50, 0, 100, 60};
    FillRect(dc, &left, red);
    FillRect(dc, &right, blue);
    ReleaseDC(probe->Handle(), dc);
    DeleteObject(red);
    DeleteObject(blue);
    ValidateRect(probe->Handle(), nullptr);
    return probe;
  }
  TColor ClientPixel(TProbe* probe, int x, int y) {
    const TPoint p = At(probe, x, y);
    return Host.ScreenPixel(p.x, p.y);
  }
};

TEST_F(ScrollWindowTest, MovesPixelsAndInvalidatesTheUncoveredStrip) {
  struct Case {
    int Dx, Dy;
    TRect Uncovered;
    TPoint RedNow, BlueNow;  // client points showing the moved halves
  };
  const Case cases[] = {
      {-20, 0, Rect(80, 0, 100, 60), {25, 30}, {35, 30}},  // content left: red ends at 30
      {20, 0, Rect(0, 0, 20, 60), {65, 30}, {75, 30}},     // content right: red ends at 70
      {0, 15, Rect(0, 0, 100, 15), {10, 50}, {90, 50}},
      {0, -15, Rect(0, 45, 100, 60), {10, 10}, {90, 10}},
  };
  for (const Case& c : cases) {
    TProbe* probe = Striped();
    ScrollWindow(probe->Handle(), c.Dx, c.Dy, nullptr, nullptr);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(probe->Handle(), &update, FALSE));
    EXPECT_EQ(update, c.Uncovered) << c.Dx << "," << c.Dy;
    EXPECT_EQ(ClientPixel(probe, c.RedNow.x, c.RedNow.y), clRed) << c.Dx << "," << c.Dy;
    EXPECT_EQ(ClientPixel(probe, c.BlueNow.x, c.BlueNow.y), clBlue) << c.Dx << "," << c.Dy;
    // The uncovered strip is painted (erased with the control colour) by the loop.
    probe->PaintClips.clear();
    Host.RunUntilIdle();
    ASSERT_EQ(probe->PaintClips.size(), 1u);
    EXPECT_EQ(probe->PaintClips[0], c.Uncovered);
  }
}

TEST_F(ScrollWindowTest, ScrollRectangleKeepsPixelsOutsideIt) {
  TProbe* probe = Striped();
  // Only the lower part scrolls; a strip at the top (a ruler, say) stays.
  const RECT scroll{0, 20, 100, 60};
  ScrollWindow(probe->Handle(), -20, 0, &scroll, nullptr);
  EXPECT_EQ(ClientPixel(probe, 40, 10), clRed);   // top strip untouched
  EXPECT_EQ(ClientPixel(probe, 40, 30), clBlue);  // moved
  RECT update;
  GetUpdateRect(probe->Handle(), &update, FALSE);
  EXPECT_EQ(update, Rect(80, 20, 100, 60));
}

TEST_F(ScrollWindowTest, ChildWindowsDoNotMove) {
  TForm* form = MakeForm();
  TProbe* parent = MakeProbe(form, Rect(10, 10, 210, 160));
  TProbe* child = MakeProbe(parent, Rect(30, 30, 60, 60));
  ScrollWindow(parent->Handle(), 15, 15, nullptr, nullptr);
  EXPECT_EQ(child->BoundsRect(), Rect(30, 30, 60, 60));
  RECT r;
  GetWindowRect(child->Handle(), &r);
  EXPECT_EQ((TPoint{r.Left, r.Top}), parent->ClientToScreen(TPoint{30, 30}));
}

TEST_F(ScrollWindowTest, PendingUpdateMovesWithThePixels) {
  TProbe* probe = Striped();
  const RECT stale{10, 10, 20, 20};
  InvalidateRect(probe->Handle(), &stale, FALSE);
  ScrollWindow(probe->Handle(), 30, 0, nullptr, nullptr);
  // Where the stale pixels went must be repainted too.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(probe->Handle(), region, FALSE);
  EXPECT_TRUE(PtInRegion(region, 45, 15));
  EXPECT_TRUE(PtInRegion(region, 5, 30));     // uncovered
  EXPECT_FALSE(PtInRegion(region, 70, 40));  // moved and valid
  DeleteObject(region);
}

}  // namespace
}  // namespace vx::plat::testing
