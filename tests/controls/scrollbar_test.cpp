// Window scroll bars: parameters through the API, showing and hiding with
// the client size following, and operating them with the mouse.
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

// A borderless 200 x 150 probe: a vertical bar takes x 183..200.
class ScrollBarTest : public HeadlessTest {
protected:
  TProbe* Probe() {
    TProbe* probe = MakeProbe(MakeForm(), Rect(10, 10, 210, 160));
    probe->Sizes.clear();
    probe->Scrolls.clear();
    return probe;
  }
  static void SetBar(HWND h, int bar, int min, int max, UINT page, int pos, UINT extra = 0) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | extra;
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    SetScrollInfo(h, bar, &si, TRUE);
  }
  static SCROLLINFO Info(HWND h, int bar) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(h, bar, &si);
    return si;
  }
};

TEST_F(ScrollBarTest, BarShowsWhenTheRangeExceedsThePage) {
  struct Case {
    int Min, Max;
    UINT Page;
    UINT Extra;
    bool Shown;
  };
  const Case cases[] = {
      {0, 100, 0, 0, true},    {0, 100, 100, 0, true},  {0, 100, 101, 0, false},
      {0, 0, 0, 0, false},     {0, 99, 100, 0, false},  {-50, 50, 10, 0, true},
      {0, 50, 100, SIF_DISABLENOSCROLL, true},
  };
  for (const Case& c : cases) {
    TProbe* probe = Probe();
    SetBar(probe->Handle(), SB_VERT, c.Min, c.Max, c.Page, 0, c.Extra);
    const bool shown = (GetWindowLongPtrW(probe->Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
    EXPECT_EQ(shown, c.Shown) << c.Min << ".." << c.Max << " page " << c.Page;
    EXPECT_EQ(probe->ClientWidth(), c.Shown ? 200 - GetSystemMetrics(SM_CXVSCROLL) : 200);
    // Showing the bar shrinks the client area and says so with WM_SIZE.
    if (c.Shown) {
      ASSERT_EQ(probe->Sizes.size(), 1u);
      EXPECT_EQ(probe->Sizes[0], (TPoint{183, 150}));
    } else {
      EXPECT_TRUE(probe->Sizes.empty());
    }
  }
}

TEST_F(ScrollBarTest, HidingTheBarGivesTheClientAreaBackWithASizeMessage) {
  TProbe* probe = Probe();
  SetBar(probe->Handle(), SB_HORZ, 0, 500, 100, 0);
  SetBar(probe->Handle(), SB_VERT, 0, 500, 100, 0);
  EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 183, 133));
  probe->Sizes.clear();

  SetBar(probe->Handle(), SB_HORZ, 0, 50, 100, 0);
  EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 183, 150));
  ShowScrollBar(probe->Handle(), SB_BOTH, FALSE);
  EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 200, 150));
  EXPECT_EQ(probe->Sizes, (std::vector<TPoint>{{183, 150}, {200, 150}}));
}

TEST_F(ScrollBarTest, PositionIsKeptWithinTheRangeLessThePage) {
  struct Case {
    UINT Page;
    int Pos, Expected;
  };
  const Case cases[] = {{20, 50, 50}, {20, 81, 81}, {20, 90, 81}, {20, -5, 0}, {20, 1000, 81}, {0, 100, 100}, {1, 100, 100}};
  for (const Case& c : cases) {
    TProbe* probe = Probe();
    SetBar(probe->Handle(), SB_HORZ, 0, 100, c.Page, c.Pos);
    EXPECT_EQ(GetScrollPos(probe->Handle(), SB_HORZ), c.Expected) << "page " << c.Page << " pos " << c.Pos;
    EXPECT_EQ(Info(probe->Handle(), SB_HORZ).nTrackPos, c.Expected);
  }
}

TEST_F(ScrollBarTest, PositionsAreThirtyTwoBit) {
  TProbe* probe = Probe();
  SetBar(probe->Handle(), SB_VERT, 0, 1000000, 1000, 0);
  EXPECT_EQ(SetScrollPos(probe->Handle(), SB_VERT, 700000, TRUE), 0);
  EXPECT_EQ(SetScrollPos(probe->Handle(), SB_VERT, 800000, TRUE), 700000);
  const SCROLLINFO si = Info(probe->Handle(), SB_VERT);
  EXPECT_EQ(si.nPos, 800000);
  EXPECT_EQ(si.nMax, 1000000);
  EXPECT_EQ(si.nPage, 1000u);
}

// The vertical bar of the probe: arrows at y 0..17 and 133..150, the trough
// 17..133 (116 pixels). With range 0..1000 and page 100 the thumb is
// 116 * 100 / 1001 = 11 pixels long and moves over 105 pixels for 901 positions.
class ScrollBarMouseTest : public ScrollBarTest {
protected:
  void SetUp() override {
    ScrollBarTest::SetUp();
    probe = Probe();
    SetBar(probe->Handle(), SB_VERT, 0, 1000, 100, 0);
    probe->Scrolls.clear();
  }
  TPoint BarPoint(int y) const { return At(probe, 190, y); }  // x 190 lies in the bar
  TProbe* probe = nullptr;
};

TEST_F(ScrollBarMouseTest, ArrowsAndTroughSendLineAndPageCodes) {
  struct Case {
    int StartPos;
    int Y;
    int Code;
  };
  const Case cases[] = {
      {0, 140, SB_LINEDOWN},
      {500, 5, SB_LINEUP},
      {0, 100, SB_PAGEDOWN},   // below the thumb (17..28)
      {500, 40, SB_PAGEUP},    // above the thumb (75..86)
  };
  for (const Case& c : cases) {
    SetScrollPos(probe->Handle(), SB_VERT, c.StartPos, TRUE);
    probe->Scrolls.clear();
    Host.Click(mbLeft, BarPoint(c.Y));
    Host.RunUntilIdle();
    EXPECT_EQ(probe->Scrolls, (std::vector<ScrollCall>{{SB_VERT, c.Code, 0}, {SB_VERT, SB_ENDSCROLL, 0}}))
        << "y " << c.Y;
    // The bar does not move itself: the window decides.
    EXPECT_EQ(GetScrollPos(probe->Handle(), SB_VERT), c.StartPos);
  }
}

TEST_F(ScrollBarMouseTest, BarPressesAreNotClientInput) {
  probe->MouseCalls.clear();
  Host.Click(mbLeft, BarPoint(140));
  Host.RunUntilIdle();
  for (const MouseCall& m : probe->MouseCalls) EXPECT_NE(m.Kind, "down");
  EXPECT_EQ(probe->Count(WM_NCLBUTTONDOWN), 1);
}

TEST_F(ScrollBarMouseTest, ThumbDragTracksThenSetsThePosition) {
  Host.PressButton(mbLeft, BarPoint(20));  // 3 pixels into the thumb
  Host.MoveMouse(BarPoint(70));            // thumb start 67: 50 of 105 pixels
  Host.RunUntilIdle();
  SCROLLINFO during = Info(probe->Handle(), SB_VERT);
  Host.MoveMouse(BarPoint(400));           // far below: the last position
  Host.ReleaseButton(mbLeft, BarPoint(400));
  Host.RunUntilIdle();

  const int first = 50 * 901 / 105;  // 429.05 rounds to 429
  EXPECT_EQ(during.nTrackPos, first);
  EXPECT_EQ(during.nPos, 0);
  EXPECT_EQ(probe->Scrolls, (std::vector<ScrollCall>{{SB_VERT, SB_THUMBTRACK, first},
                                                      {SB_VERT, SB_THUMBTRACK, 901},
                                                      {SB_VERT, SB_THUMBPOSITION, 901},
                                                      {SB_VERT, SB_ENDSCROLL, 0}}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarMouseTest, ThumbPositionsAreNotCutTo16Bits) {
  SetBar(probe->Handle(), SB_VERT, 0, 1000000, 1000, 0);
  probe->Scrolls.clear();
  Host.PressButton(mbLeft, BarPoint(20));
  Host.MoveMouse(BarPoint(400));
  Host.ReleaseButton(mbLeft, BarPoint(400));
  Host.RunUntilIdle();
  ASSERT_GE(probe->Scrolls.size(), 2u);
  const ScrollCall& final = probe->Scrolls[probe->Scrolls.size() - 2];
  EXPECT_EQ(final.Code, SB_THUMBPOSITION);
  EXPECT_EQ(final.Pos, 1000000 - 1000 + 1);
}

TEST_F(ScrollBarMouseTest, HeldArrowRepeatsOnTheClock) {
  Host.PressButton(mbLeft, BarPoint(140));
  Host.RunUntilIdle();
  EXPECT_EQ(probe->Scrolls.size(), 1u);
  Host.AdvanceClock(399);
  Host.RunUntilIdle();
  EXPECT_EQ(probe->Scrolls.size(), 1u);
  Host.AdvanceClock(1);
  Host.RunUntilIdle();
  EXPECT_EQ(probe->Scrolls.size(), 2u);
  Host.AdvanceClock(50);
  Host.RunUntilIdle();
  EXPECT_EQ(probe->Scrolls.size(), 3u);
  Host.ReleaseButton(mbLeft, BarPoint(140));
  Host.AdvanceClock(500);
  Host.RunUntilIdle();
  ASSERT_EQ(probe->Scrolls.size(), 4u);
  EXPECT_EQ(probe->Scrolls.back().Code, SB_ENDSCROLL);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(probe->Scrolls[i].Code, SB_LINEDOWN);
}

TEST_F(ScrollBarMouseTest, BarIsDrawnInTheNonClientArea) {
  // Inside the lower arrow button, away from its glyph and edges.
  const TPoint face = At(probe, 186, 136);
  EXPECT_EQ(static_cast<COLORREF>(Host.ScreenPixel(face.x, face.y)), ColorToRGB(clBtnFace));
  // The client area ends where the bar begins.
  EXPECT_EQ(probe->ClientWidth(), 183);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
}

}  // namespace
}  // namespace vx::plat::testing
