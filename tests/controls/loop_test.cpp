// The application loop and the system services around it: timers on the
// fake clock, the tick count, cursor position and confinement, the cursor
// shown, beeps, MulDiv, exceptions escaping handlers, and modal loops.
#include <string>

#include "platform/controls/stdctrls.h"
#include "platform/controls/timer.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class LoopTest : public HeadlessTest {};

TEST_F(LoopTest, WindowTimersFireOnTheFakeClockWithoutPilingUp) {
  TProbe* probe = MakeProbe(MakeForm(), Rect(10, 10, 50, 50));
  SetTimer(probe->Handle(), 7, 100, nullptr);
  struct Step {
    std::uint32_t Advance;
    int Fired;
  };
  // A late loop gets one WM_TIMER, not one per elapsed interval.
  const Step steps[] = {{99, 0}, {1, 1}, {100, 2}, {350, 3}, {100, 4}};
  for (const Step& s : steps) {
    Host.AdvanceClock(s.Advance);
    Host.RunUntilIdle();
    EXPECT_EQ(probe->Count(WM_TIMER), s.Fired) << "after " << s.Advance;
  }
  EXPECT_TRUE(KillTimer(probe->Handle(), 7));
  Host.AdvanceClock(1000);
  Host.RunUntilIdle();
  EXPECT_EQ(probe->Count(WM_TIMER), 4);
}

TEST_F(LoopTest, TimerComponentFiresWhileEnabledAndAssigned) {
  TTimer timer(nullptr);
  int fired = 0;
  timer.SetInterval(50);
  Host.AdvanceClock(500);
  Host.RunUntilIdle();
  EXPECT_EQ(fired, 0);  // no OnTimer: no timer at all

  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++fired;
  });
  Host.AdvanceClock(50);
  Host.RunUntilIdle();
  Host.AdvanceClock(50);
  Host.RunUntilIdle();
  EXPECT_EQ(fired, 2);

  timer.SetEnabled(false);
  Host.AdvanceClock(200);
  Host.RunUntilIdle();
  EXPECT_EQ(fired, 2);
}

TEST_F(LoopTest, WaitingJumpsTheClockToTheNextTimer) {
  TTimer timer(nullptr);
  int fired = 0;
  timer.SetInterval(1000);
  timer.SetOnTimer([&](TObject*) { ++fired; });
  const std::uint32_t start = Host.Clock();
  while (fired == 0) Application->HandleMessage();
  EXPECT_EQ(Host.Clock() - start, 1000u);
}

TEST_F(LoopTest, TickCountAdvancesByTheClockStep) {
  Host.SetClockStep(5);
  const DWORD a = GetTickCount();
  const DWORD b = GetTickCount();
  EXPECT_EQ(b - a, 5u);
  // So a loop waiting for 50 ms ends.
  const DWORD start = GetTickCount();
  int passes = 0;
  while (GetTickCount() - start <= 50) ++passes;
  EXPECT_EQ(passes, 10);
  Host.SetClockStep(0);
  EXPECT_EQ(GetTickCount(), GetTickCount());
}

TEST_F(LoopTest, RunEndsWhenNothingCanHappenHeadless) {
  Application->Run();
  EXPECT_TRUE(Application->Starved());
  EXPECT_FALSE(Application->Terminated());
}

// --- cursor position and confinement ------------------------------------------------

TEST_F(LoopTest, ClipCursorConfinesSetCursorPosAndInjectedMoves) {
  const RECT box{100, 100, 200, 150};
  ClipCursor(&box);
  struct Case {
    TPoint Wanted, Got;
  };
  const Case cases[] = {
      {{150, 120}, {150, 120}}, {{50, 120}, {100, 120}}, {{250, 120}, {199, 120}},
      {{150, 500}, {150, 149}}, {{0, 0}, {100, 100}},
  };
  for (const Case& c : cases) {
    SetCursorPos(c.Wanted.x, c.Wanted.y);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p, c.Got) << "SetCursorPos";
    Host.MoveMouse(c.Wanted);
    GetCursorPos(&p);
    EXPECT_EQ(p, c.Got) << "injected move";
  }
  RECT r;
  GetClipCursor(&r);
  EXPECT_EQ(r, box);
  ClipCursor(nullptr);
  SetCursorPos(50, 60);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p, (TPoint{50, 60}));
  GetClipCursor(&r);
  EXPECT_EQ(r, Rect(0, 0, Host.ScreenSize().cx, Host.ScreenSize().cy));
}

TEST_F(LoopTest, ConfinementMovesTheCursorInsideAndControlsSeeClampedPoints) {
  TProbe* probe = MakeProbe(MakeForm(), Rect(10, 10, 110, 110));
  const TPoint origin = probe->ClientOrigin();
  Host.MoveMouse(At(probe, 50, 50));
  Host.RunUntilIdle();
  // Confine to the client area less one pixel right and bottom.
  const RECT box{origin.x, origin.y, origin.x + 99, origin.y + 99};
  ClipCursor(&box);
  probe->MouseCalls.clear();
  Host.MoveMouse(At(probe, 300, -40));
  Host.RunUntilIdle();
  ASSERT_FALSE(probe->MouseCalls.empty());
  EXPECT_EQ(probe->MouseCalls.back().Pos, (TPoint{98, 0}));
  ClipCursor(nullptr);
}

TEST_F(LoopTest, ControlCursorScreenCursorAndOwnSlots) {
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(10, 10, 110, 110));
  probe->SetCursor(crCross);
  Host.MoveMouse(At(probe, 5, 5));
  Host.RunUntilIdle();
  EXPECT_EQ(Host.ShownCursor(), Screen->Cursors(crCross));
  Host.MoveMouse(At(probe, 150, 5));  // over the form
  Host.RunUntilIdle();
  EXPECT_EQ(Host.ShownCursor(), Screen->Cursors(crArrow));

  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Host.ShownCursor(), Screen->Cursors(crHourGlass));
  Host.MoveMouse(At(probe, 5, 5));
  Host.RunUntilIdle();
  EXPECT_EQ(Host.ShownCursor(), Screen->Cursors(crHourGlass));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Host.ShownCursor(), Screen->Cursors(crCross));

  // An application cursor in slot 12 from a small image; slot 13 stays default.
  std::uint8_t andPlane[2 * 16], xorPlane[2 * 16] = {};
  for (auto& b : andPlane) b = 0xFF;
  andPlane[16] = 0x00;  // row 8, pixels 0..7 black
  HCURSOR rotate = CreateCursor(nullptr, 8, 8, 16, 16, andPlane, xorPlane);
  ASSERT_NE(rotate, nullptr);
  Screen->SetCursors(12, rotate);
  EXPECT_EQ(Screen->Cursors(13), Screen->Cursors(crDefault));
  probe->SetCursor(12);
  EXPECT_EQ(Host.ShownCursor(), rotate);
  TCursorImage image;
  ASSERT_TRUE(GetCursorImage(rotate, &image));
  EXPECT_EQ(image.Shape, TCursorShape::Custom);
  EXPECT_EQ(image.HotSpot, (TPoint{8, 8}));
  EXPECT_EQ(image.Pixels[8 * 16 + 3], 0xFF000000u);
  EXPECT_EQ(image.Pixels[0], 0x00000000u);
  Screen->SetCursors(12, nullptr);
  EXPECT_EQ(Screen->Cursors(12), Screen->Cursors(crDefault));
  DestroyCursor(rotate);
}

TEST_F(LoopTest, StandardCursorIdentifiersKeepTheirShapes) {
  struct Case {
    TCursor Id;
    TCursorShape Shape;
  };
  const Case cases[] = {{crDefault, TCursorShape::Arrow},    {crArrow, TCursorShape::Arrow},
                        {crCross, TCursorShape::Cross},      {crIBeam, TCursorShape::IBeam},
                        {crSizeNESW, TCursorShape::SizeNESW}, {crSizeNS, TCursorShape::SizeNS},
                        {crSizeNWSE, TCursorShape::SizeNWSE}, {crSizeWE, TCursorShape::SizeWE},
                        {crHourGlass, TCursorShape::Wait},   {crSizeAll, TCursorShape::SizeAll}};
  for (const Case& c : cases) {
    TCursorImage image;
    ASSERT_TRUE(GetCursorImage(Screen->Cursors(c.Id), &image));
    EXPECT_EQ(image.Shape, c.Shape) << c.Id;
  }
  EXPECT_EQ(crCross, -3);
  EXPECT_EQ(crSizeAll, -22);
}

// --- services -----------------------------------------------------------------------

TEST_F(LoopTest, MulDivRoundsHalvesAwayFromZeroIn64Bits) {
  struct Case {
    int N, Num, Den, Expected;
  };
  const Case cases[] = {
      {10, 3, 2, 15},       {5, 1, 2, 3},          {-5, 1, 2, -3},        {5, -1, 2, -3},
      {5, 1, -2, -3},       {-5, -1, -2, -3},      {1, 1, 3, 0},          {2, 1, 3, 1},
      {-2, 1, 3, -1},       {100, 96, 72, 133},    {7, 1, 0, -1},         {0, 5, 7, 0},
      {2147483647, 2, 2, 2147483647},              {2147483647, 2, 1, -1},
      {-2147483647 - 1, 1, 1, -2147483647 - 1},   {65536, 65536, 65536, 65536},
  };
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.N, c.Num, c.Den), c.Expected) << c.N << "*" << c.Num << "/" << c.Den;
}

TEST_F(LoopTest, BeepsAreRecorded) {
  MessageBeep(1);
  MessageBeep(MB_ICONHAND);
  EXPECT_EQ(RecordedBeeps(), (std::vector<UINT>{1, MB_ICONHAND}));
  ClearRecordedBeeps();
  EXPECT_TRUE(RecordedBeeps().empty());
}

TEST_F(LoopTest, ExeNameIsThisProgram) {
  const std::string name = StringToUtf8(Application->ExeName());
  EXPECT_NE(name.find("controls_loop_test"), std::string::npos) << name;
}

// --- exceptions escaping handlers --------------------------------------------------------

TEST_F(LoopTest, ExceptionsInHandlersGoToTheApplication) {
  TProbe* probe = MakeProbe(MakeForm(), Rect(10, 10, 110, 110));
  int calls = 0;
  probe->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState, int, int) {
    ++calls;
    if (button == mbLeft) throw EConvertError("Bad value in the box");
    throw EAbort();
  };
  // The default handler shows the message; the silent abort shows nothing.
  Host.Click(mbLeft, At(probe, 5, 5));
  Host.Click(mbRight, At(probe, 5, 5));
  Host.RunUntilIdle();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Host.ShownMessages(), (std::vector<String>{u"Bad value in the box"}));

  // An OnException handler receives them instead (but not the abort).
  std::vector<std::string> handled;
  Application->OnException = [&](TObject* sender, Exception& e) {
    EXPECT_EQ(sender, probe);
    handled.push_back(e.Message());
  };
  Host.Click(mbLeft, At(probe, 5, 5));
  Host.Click(mbRight, At(probe, 5, 5));
  Host.RunUntilIdle();
  Application->OnException = nullptr;
  EXPECT_EQ(handled, (std::vector<std::string>{"Bad value in the box"}));
  EXPECT_EQ(Host.ShownMessages().size(), 1u);
}

// --- modal forms ---------------------------------------------------------------------

TEST_F(LoopTest, ShowModalRunsUntilAButtonSetsTheResult) {
  TForm* owner = MakeForm();
  TForm dialog(nullptr);
  dialog.SetBounds(400, 100, 200, 100);
  auto* ok = new TButton(&dialog);
  ok->SetParent(&dialog);
  ok->SetBounds(10, 10, 75, 25);
  ok->SetModalResult(mrOk);
  int idle = 0;
  Host.SetIdleScript([&] {
    if (++idle == 1) {
      EXPECT_FALSE(IsWindowEnabled(owner->Handle()));  // the other form is disabled meanwhile
      Host.Click(mbLeft, ok->ClientToScreen(TPoint{20, 10}));
      return true;
    }
    return false;
  });

  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST_F(LoopTest, ShowModalEndsWithCancelWhenNothingCanHappen) {
  TForm dialog(nullptr);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  dialog.Show();
  EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
}

TEST_F(LoopTest, ReturnAndEscapeClickTheDefaultAndCancelButtons) {
  TForm dialog(nullptr);
  auto* field = new TProbe(&dialog);  // takes the focus when the form shows
  field->SetParent(&dialog);
  field->SetTabStop(true);
  auto* cancel = new TButton(&dialog);
  cancel->SetParent(&dialog);
  cancel->SetTop(100);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  auto* ok = new TButton(&dialog);
  ok->SetParent(&dialog);
  ok->SetTop(140);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  struct Case {
    std::uint16_t Key;
    int Result;
  };
  for (const Case c : {Case{VK_RETURN, mrOk}, Case{VK_ESCAPE, mrCancel}}) {
    bool sent = false;
    Host.SetIdleScript([&] {
      if (sent) return false;
      sent = true;
      EXPECT_TRUE(field->Focused());
      Host.TypeKey(c.Key);
      return true;
    });
    EXPECT_EQ(dialog.ShowModal(), c.Result) << c.Key;
  }
}

}  // namespace
}  // namespace vx::plat::testing
