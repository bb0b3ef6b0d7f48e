// Mouse and keyboard input: clicks and double clicks reaching the handlers
// with shift states and client coordinates, focus, capture, input handled
// inside ProcessMessages, and removing pending mouse moves with PeekMessage.
#include <functional>

#include "platform/controls/host_link.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class InputTest : public HeadlessTest {
protected:
  TProbe* Probe() { return MakeProbe(MakeForm(), Rect(20, 20, 220, 170)); }
};

TEST_F(InputTest, ClickReachesTheHandlersWithShiftStateAndClientPoint) {
  struct Case {
    TMouseButton Button;
    TShiftState Modifiers;
    TShiftState DownShift, UpShift;
    int Clicks;
  };
  const Case cases[] = {
      {mbLeft, {}, {ssLeft}, {}, 1},
      {mbLeft, {ssShift}, {ssShift, ssLeft}, {ssShift}, 1},
      {mbRight, {ssCtrl}, {ssCtrl, ssRight}, {ssCtrl}, 0},
      {mbMiddle, {ssAlt}, {ssAlt, ssMiddle}, {ssAlt}, 0},
      {mbLeft, {ssShift, ssCtrl, ssAlt}, {ssShift, ssCtrl, ssAlt, ssLeft}, {ssShift, ssCtrl, ssAlt}, 1},
  };
  for (const Case& c : cases) {
    TProbe* probe = Probe();
    probe->MouseCalls.clear();
    Host.Click(c.Button, At(probe, 7, 9), c.Modifiers);
    Host.RunUntilIdle();
    std::vector<MouseCall> presses;
    for (const MouseCall& m : probe->MouseCalls)
      if (m.Kind != "move") presses.push_back(m);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].Kind, "down");
    EXPECT_EQ(presses[0].Button, c.Button);
    EXPECT_EQ(presses[0].Shift, c.DownShift);
    EXPECT_EQ(presses[0].Pos, (TPoint{7, 9}));
    EXPECT_EQ(presses[1].Kind, "up");
    EXPECT_EQ(presses[1].Shift, c.UpShift);
    EXPECT_EQ(probe->Clicks, c.Clicks);
  }
}

TEST_F(InputTest, ApplicationEventsFireFromTheHandlers) {
  TProbe* probe = Probe();
  std::vector<std::string> fired;
  probe->OnMouseDown = [&](TObject* sender, TMouseButton, TShiftState, int x, int y) {
    EXPECT_EQ(sender, probe);
    fired.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  probe->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { fired.push_back("up"); };
  probe->OnClick = [&](TObject*) { fired.push_back("click"); };
  Host.Click(mbLeft, At(probe, 3, 4));
  Host.RunUntilIdle();
  // The click fires between the release and OnMouseUp.
  EXPECT_EQ(fired, (std::vector<std::string>{"down 3,4", "click", "up"}));
}

TEST_F(InputTest, DoubleClickArrivesAsDownWithDoubleInShift) {
  TProbe* probe = Probe();
  probe->MouseCalls.clear();
  Host.DoubleClick(mbLeft, At(probe, 30, 40));
  Host.Click(mbLeft, At(probe, 30, 40));  // a third press starts a new pair
  Host.RunUntilIdle();
  std::vector<TShiftState> downs;
  for (const MouseCall& m : probe->MouseCalls)
    if (m.Kind == "down") downs.push_back(m.Shift);
  EXPECT_EQ(downs, (std::vector<TShiftState>{{ssLeft}, {ssLeft, ssDouble}, {ssLeft}}));
  EXPECT_EQ(probe->DoubleClicks, 1);
  EXPECT_EQ(probe->Count(WM_LBUTTONDBLCLK), 1);
}

TEST_F(InputTest, DoubleClickNeedsTheTimeAndDistance) {
  struct Case {
    std::uint32_t Delay;
    int Dx, Dy;
    bool Double;
  };
  const Case cases[] = {{0, 0, 0, true},     {500, 0, 0, true},  {501, 0, 0, false}, {0, 4, 4, true},
                        {0, 5, 0, false},    {0, 0, -5, false},  {200, -4, 3, true}};
  for (const Case& c : cases) {
    TProbe* probe = Probe();
    Host.Click(mbLeft, At(probe, 50, 50));
    Host.RunUntilIdle();
    Host.AdvanceClock(c.Delay);
    probe->Messages.clear();
    Host.Click(mbLeft, At(probe, 50 + c.Dx, 50 + c.Dy));
    Host.RunUntilIdle();
    EXPECT_EQ(probe->Count(WM_LBUTTONDBLCLK), c.Double ? 1 : 0) << c.Delay << " ms, " << c.Dx << "," << c.Dy;
    Host.AdvanceClock(1000);  // no pair with the next case's first click
  }
}

TEST_F(InputTest, WithoutDoubleClickStyleTheSecondPressIsAPress) {
  TProbe* probe = Probe();
  TControlStyle style = probe->ControlStyle();
  style.Exclude(csDoubleClicks);
  probe->SetControlStyle(style);
  probe->MouseCalls.clear();
  Host.DoubleClick(mbLeft, At(probe, 10, 10));
  Host.RunUntilIdle();
  int downs = 0;
  for (const MouseCall& m : probe->MouseCalls)
    if (m.Kind == "down") {
      ++downs;
      EXPECT_FALSE(m.Shift.Contains(ssDouble));
    }
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(probe->Clicks, 2);
}

// --- focus --------------------------------------------------------------------

TEST_F(InputTest, ClickFocusesATabStopControlAndFiresEnterAndExit) {
  TForm* form = MakeForm();
  TProbe* first = MakeProbe(form, Rect(10, 10, 60, 60));
  TProbe* second = MakeProbe(form, Rect(100, 10, 150, 60));
  first->SetTabStop(true);
  second->SetTabStop(true);
  std::vector<std::string> log;
  first->OnExit = [&](TObject*) { log.push_back("exit first"); };
  second->OnEnter = [&](TObject*) { log.push_back("enter second"); };
  first->SetFocus();
  Host.RunUntilIdle();
  ASSERT_TRUE(first->Focused());

  Host.Click(mbLeft, At(second, 5, 5));
  Host.RunUntilIdle();

  EXPECT_TRUE(second->Focused());
  EXPECT_FALSE(first->Focused());
  EXPECT_EQ(form->ActiveControl(), second);
  EXPECT_EQ(log, (std::vector<std::string>{"exit first", "enter second"}));
}

TEST_F(InputTest, DisabledControlGetsNeitherClickNorFocus) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(10, 10, 60, 60));
  probe->SetTabStop(true);
  probe->SetEnabled(false);
  probe->MouseCalls.clear();

  Host.Click(mbLeft, At(probe, 5, 5));
  Host.RunUntilIdle();

  EXPECT_FALSE(probe->Focused());
  EXPECT_TRUE(probe->MouseCalls.empty());
  EXPECT_FALSE(probe->CanFocus());
  EXPECT_THROW(probe->SetFocus(), EInvalidOperation);
  // The window manager refuses too, and leaves the focus where it was.
  const HWND before = GetFocus();
  EXPECT_EQ(SetFocus(probe->Handle()), nullptr);
  EXPECT_EQ(GetFocus(), before);
}

// A control that, like a drawing surface, takes the focus itself on a press
// and drops the press when it could not get it.
class TFocusTaker : public TProbe {
public:
  using TProbe::TProbe;
  int Dropped = 0;

protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_LBUTTONDOWN && !Focused()) {
      ::vx::plat::SetFocus(Handle());
      if (!Focused()) {
        ++Dropped;
        return;
      }
    }
    TProbe::WndProc(Message);
  }
};

TEST_F(InputTest, FocusCanFailWhileTheFormIsDisabled) {
  TForm* form = MakeForm();
  auto* taker = new TFocusTaker(form);
  taker->SetParent(form);
  Host.RunUntilIdle();
  Host.Click(mbLeft, At(taker, 5, 5));
  Host.RunUntilIdle();
  EXPECT_TRUE(taker->Focused());
  EXPECT_EQ(taker->Dropped, 0);

  SetFocus(nullptr);
  EnableWindow(form->Handle(), FALSE);  // as while another form is modal
  taker->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(TPoint{5, 5}));
  EXPECT_EQ(taker->Dropped, 1);
  EXPECT_FALSE(taker->Focused());
  EnableWindow(form->Handle(), TRUE);
}

// --- capture --------------------------------------------------------------------

TEST_F(InputTest, CaptureDeliversMovesAndReleaseOutsideTheControl) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(10, 10, 60, 60));
  TProbe* other = MakeProbe(form, Rect(100, 10, 150, 60));
  probe->MouseCalls.clear();
  other->MouseCalls.clear();

  Host.PressButton(mbLeft, At(probe, 10, 10));
  Host.MoveMouse(At(probe, 120, 20));   // over the other control
  Host.MoveMouse(At(probe, 400, 250));  // outside the form
  Host.ReleaseButton(mbLeft, At(probe, 400, 250));
  Host.RunUntilIdle();

  std::vector<MouseCall> afterPress;
  bool pressed = false;
  for (const MouseCall& m : probe->MouseCalls) {
    if (m.Kind == "down") pressed = true;
    else if (pressed) afterPress.push_back(m);
  }
  ASSERT_EQ(afterPress.size(), 3u);
  EXPECT_EQ(afterPress[0].Kind, "move");
  EXPECT_EQ(afterPress[0].Pos, (TPoint{120, 20}));
  EXPECT_TRUE(afterPress[0].Shift.Contains(ssLeft));
  EXPECT_EQ(afterPress[1].Pos, (TPoint{400, 250}));
  EXPECT_EQ(afterPress[2].Kind, "up");
  EXPECT_EQ(afterPress[2].Pos, (TPoint{400, 250}));
  EXPECT_TRUE(other->MouseCalls.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(probe->Clicks, 0);  // released outside: no click

  // Released: moves go to whatever is under the cursor again.
  Host.MoveMouse(At(other, 5, 5));
  Host.RunUntilIdle();
  EXPECT_EQ(other->MouseCalls.size(), 1u);
}

TEST_F(InputTest, CaptureChangeIsAnnounced) {
  TForm* form = MakeForm();
  TProbe* a = MakeProbe(form, Rect(10, 10, 60, 60));
  TProbe* b = MakeProbe(form, Rect(100, 10, 150, 60));
  a->SetMouseCapture(true);
  EXPECT_TRUE(a->MouseCapture());
  b->SetMouseCapture(true);
  EXPECT_EQ(a->Count(WM_CAPTURECHANGED), 1);
  EXPECT_EQ(GetCaptureControl(), b);
  b->SetMouseCapture(false);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

// --- the loop inside handlers ---------------------------------------------------------

// A control whose press runs a loop of ProcessMessages until the release,
// as a tool that scrolls while it drags does.
class TLooper : public TProbe {
public:
  using TProbe::TProbe;
  bool Released = false;
  int MovesInLoop = 0;
  int Turns = 0;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    TProbe::MouseDown(Button, Shift, X, Y);
    FInLoop = true;
    while (!Released && Turns < 1000) {
      ++Turns;
      Application->ProcessMessages();
    }
    FInLoop = false;
  }
  void MouseMove(TShiftState Shift, int X, int Y) override {
    if (FInLoop) ++MovesInLoop;
    TProbe::MouseMove(Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Released = true;
    TProbe::MouseUp(Button, Shift, X, Y);
  }

private:
  bool FInLoop = false;
};

TEST_F(InputTest, ProcessMessagesDeliversQueuedInputDuringALoop) {
  TForm* form = MakeForm();
  auto* looper = new TLooper(form);
  looper->SetParent(form);
  Host.RunUntilIdle();
  Host.PressButton(mbLeft, At(looper, 5, 5));
  Host.MoveMouse(At(looper, 6, 5));
  Host.MoveMouse(At(looper, 7, 5));
  Host.ReleaseButton(mbLeft, At(looper, 7, 5));

  Host.RunUntilIdle();

  EXPECT_TRUE(looper->Released);
  EXPECT_EQ(looper->MovesInLoop, 2);
  EXPECT_LT(looper->Turns, 1000);
}

TEST_F(InputTest, PeekMessageRemovesOnlyTheMouseMovesOfOneWindow) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(10, 10, 60, 60));
  TProbe* other = MakeProbe(form, Rect(100, 10, 150, 60));
  probe->MouseCalls.clear();
  other->MouseCalls.clear();
  Host.MoveMouse(At(other, 3, 3));
  Host.MoveMouse(At(probe, 1, 1));
  Host.MoveMouse(At(probe, 2, 2));
  Host.PressButton(mbLeft, At(probe, 2, 2));
  Host.ReleaseButton(mbLeft, At(probe, 2, 2));
  Host.MoveMouse(At(probe, 3, 3));

  // Two moves lie before the press; the one after the release went to the
  // capture-free probe as well, so three moves of the probe are removed.
  MSG msg;
  int removed = 0;
  while (PeekMessageW(&msg, probe->Handle(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_EQ(msg.hwnd, probe->Handle());
    ++removed;
  }
  EXPECT_EQ(removed, 3);
  Host.RunUntilIdle();

  ASSERT_EQ(probe->MouseCalls.size(), 2u);
  EXPECT_EQ(probe->MouseCalls[0].Kind, "down");
  EXPECT_EQ(probe->MouseCalls[1].Kind, "up");
  ASSERT_EQ(other->MouseCalls.size(), 1u);
  EXPECT_EQ(other->MouseCalls[0].Kind, "move");
}

TEST_F(InputTest, PeekWithoutRemoveLeavesTheMessage) {
  TProbe* probe = Probe();
  Host.MoveMouse(At(probe, 4, 4));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, probe->Handle(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
  EXPECT_EQ(LParamToPoint(msg.lParam), (TPoint{4, 4}));
  ASSERT_TRUE(PeekMessageW(&msg, probe->Handle(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, probe->Handle(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
}

// --- keys ------------------------------------------------------------------------

TEST_F(InputTest, KeysReachTheFocusedControlWithShiftState) {
  TProbe* probe = Probe();
  probe->SetTabStop(true);
  probe->SetFocus();
  std::vector<std::pair<std::uint16_t, TShiftState>> downs;
  String typed;
  probe->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState shift) { downs.push_back({key, shift}); };
  probe->OnKeyPress = [&](TObject*, char16_t& ch) { typed += ch; };
  Host.TypeKey('A', u'A', {ssShift});
  Host.TypeKey(VK_LEFT, 0, {ssCtrl});
  Host.RunUntilIdle();
  ASSERT_EQ(downs.size(), 4u);  // Shift, A, Ctrl, Left
  EXPECT_EQ(downs[1].first, 'A');
  EXPECT_EQ(downs[1].second, (TShiftState{ssShift}));
  EXPECT_EQ(downs[3].first, VK_LEFT);
  EXPECT_EQ(downs[3].second, (TShiftState{ssCtrl}));
  EXPECT_EQ(typed, u"A");
}

// A control that keeps every key from the form's dialog keys, as a drawing
// surface does by answering the key notifications with 0.
class TKeyKeeper : public TProbe {
public:
  using TProbe::TProbe;

protected:
  void CNKeyDown(TMessage& Message) override { Message.Result = 0; }
};

TEST_F(InputTest, TabMovesTheFocusUnlessTheControlKeepsTheKey) {
  TForm* form = MakeForm();
  TProbe* first = MakeProbe(form, Rect(10, 10, 60, 60));
  TProbe* second = MakeProbe(form, Rect(100, 10, 150, 60));
  auto* keeper = new TKeyKeeper(form);
  keeper->SetBounds(10, 100, 50, 50);
  keeper->SetParent(form);
  for (TWinControl* c : {static_cast<TWinControl*>(first), static_cast<TWinControl*>(second),
                         static_cast<TWinControl*>(keeper)})
    c->SetTabStop(true);
  first->SetFocus();
  Host.TypeKey(VK_TAB);
  Host.RunUntilIdle();
  EXPECT_TRUE(second->Focused());

  keeper->SetFocus();
  std::uint16_t seen = 0;
  keeper->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { seen = key; };
  Host.TypeKey(VK_TAB);
  Host.RunUntilIdle();
  EXPECT_TRUE(keeper->Focused());
  EXPECT_EQ(seen, VK_TAB);
}

}  // namespace
}  // namespace vx::plat::testing
