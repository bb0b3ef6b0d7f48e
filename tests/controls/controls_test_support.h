// Helpers of the window-system tests: a fixture on the headless host that
// starts every test from a quiet state and frees its forms, and a probe
// control that records what reaches it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/controls/application.h"
#include "platform/controls/custom_control.h"
#include "platform/controls/forms.h"
#include "platform/controls/screen.h"
#include "platform/controls/winuser.h"
#include "platform/host/headless.h"

namespace vx::plat {
// Readable rectangles and points in failure messages.
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace vx::plat

namespace vx::plat::testing {

// One call of a dynamic mouse handler.
struct MouseCall {
  std::string Kind;  // "down", "move", "up"
  TMouseButton Button = mbLeft;
  TShiftState Shift;
  TPoint Pos;
};

// One scroll message: its bar (SB_HORZ or SB_VERT), code and position.
struct ScrollCall {
  int Bar = SB_HORZ;
  int Code = 0;
  int Pos = 0;
  bool operator==(const ScrollCall&) const = default;
};
inline void PrintTo(const ScrollCall& c, std::ostream* os) {
  *os << (c.Bar == SB_HORZ ? "H" : "V") << " code " << c.Code << " pos " << c.Pos;
}

// A windowed control that records its paints, mouse handler calls and
// messages, and fills what it paints with Fill (unless clNone).
class TProbe : public TCustomControl {
public:
  explicit TProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(20, 20, 100, 80); }

  TColor Fill = clNone;
  std::vector<TRect> PaintClips;     // the canvas's clip rectangle of each paint
  std::vector<MouseCall> MouseCalls;
  std::vector<std::uint32_t> Messages;
  std::vector<ScrollCall> Scrolls;
  std::vector<TPoint> Sizes;  // client sizes of WM_SIZE
  int Clicks = 0;
  int DoubleClicks = 0;

  // How many recorded messages have this number.
  int Count(std::uint32_t msg) const {
    int n = 0;
    for (auto m : Messages) n += m == msg;
    return n;
  }
  using TCustomControl::ControlStyle;

protected:
  void Paint() override {
    const TRect clip = Canvas().GetClipRect();
    PaintClips.push_back(clip);
    if (Fill != clNone) {
      Canvas().GetBrush().SetColor(Fill);
      Canvas().FillRect(clip);
    }
  }
  void WndProc(TMessage& Message) override {
    Messages.push_back(Message.Msg);
    if (Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL) {
      const TWMScroll s(Message);
      Scrolls.push_back({Message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, s.ScrollCode, s.Pos});
    }
    if (Message.Msg == WM_SIZE) Sizes.push_back(TPoint{TWMSize(Message).Width, TWMSize(Message).Height});
    TCustomControl::WndProc(Message);
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    MouseCalls.push_back({"down", Button, Shift, {X, Y}});
    TCustomControl::MouseDown(Button, Shift, X, Y);
  }
  void MouseMove(TShiftState Shift, int X, int Y) override {
    MouseCalls.push_back({"move", mbLeft, Shift, {X, Y}});
    TCustomControl::MouseMove(Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    MouseCalls.push_back({"up", Button, Shift, {X, Y}});
    TCustomControl::MouseUp(Button, Shift, X, Y);
  }
  void Click() override {
    ++Clicks;
    TCustomControl::Click();
  }
  void DblClick() override {
    ++DoubleClicks;
    TCustomControl::DblClick();
  }
};

// Every test starts with no capture, no confinement, an empty queue, a
// frozen clock and no beeps; the forms it makes are freed after it.
class HeadlessTest : public ::testing::Test {
protected:
  THeadlessHost& Host = HeadlessHost();

  void SetUp() override {
    ReleaseCapture();
    ClipCursor(nullptr);
    Screen->SetCursor(crDefault);
    Host.SetClockStep(0);
    Host.RunUntilIdle();
    ClearRecordedBeeps();
    Host.ClearShownMessages();
    Host.SetIdleScript(nullptr);
    Host.MoveMouse(TPoint{1000, 700});  // away from the forms
    Host.RunUntilIdle();
  }
  void TearDown() override {
    FForms.clear();
    Host.RunUntilIdle();
    Host.SetClockStep(1);
  }
  // A shown form with its client area at (x, y) of the screen.
  TForm* MakeForm(int x = 10, int y = 10, int width = 300, int height = 200) {
    FForms.push_back(std::make_unique<TForm>(nullptr));
    TForm* form = FForms.back().get();
    form->SetBounds(x, y, width, height);
    form->Show();
    Host.RunUntilIdle();
    return form;
  }
  // A probe on a shown form, painted once.
  TProbe* MakeProbe(TWinControl* parent, TRect bounds) {
    auto* probe = new TProbe(parent);
    probe->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    probe->SetParent(parent);
    Host.RunUntilIdle();
    return probe;
  }
  // The screen point of a client point of a control.
  static TPoint At(const TControl* c, int x, int y) { return c->ClientToScreen(TPoint{x, y}); }

  std::vector<std::unique_ptr<TForm>> FForms;
};

}  // namespace vx::plat::testing
