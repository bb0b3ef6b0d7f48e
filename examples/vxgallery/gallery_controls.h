// vxgallery controls OUT.png | --window: the window system at work.
//
// A form with a bordered, scrolling plan view (a 1200 x 900 pixel drawing
// behind window scroll bars that the view keeps in step), labels and
// buttons. With OUT.png it runs on the headless host, is driven by a few
// injected events (scroll-bar arrow clicks, a thumb drag, button clicks,
// clicks that mark the plan) and the screen is saved. With --window it
// opens in a real window through SDL and runs until closed.
//
// Header-only: the gallery program includes it and calls RunControls from
// its command table with the arguments after "controls".
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/controls/application.h"
#include "platform/controls/custom_control.h"
#include "platform/controls/forms.h"
#include "platform/controls/stdctrls.h"
#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/host/headless.h"
#include "platform/host/host.h"

namespace vx::gallery {

namespace controls_detail {

using namespace vx::plat;

constexpr int kPlanWidth = 1200;
constexpr int kPlanHeight = 900;
constexpr int kLineStep = 20;

// A plan drawn at its scroll offset; clicks leave marks on it.
class TPlanView : public TCustomControl {
public:
  explicit TPlanView(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clWhite);
    SetCursor(crCross);
  }

  TNotifyEvent OnViewChanged;
  TPoint Offset() const { return FOffset; }

  // Scrolls by code, as the bars do.
  void ScrollTo(TPoint offset) {
    const TPoint limit = MaxOffset();
    offset = TPoint{std::clamp(offset.x, 0, limit.x), std::clamp(offset.y, 0, limit.y)};
    if (offset == FOffset) return;
    if (HandleAllocated()) ScrollWindow(Handle(), FOffset.x - offset.x, FOffset.y - offset.y, nullptr, nullptr);
    FOffset = offset;
    if (HandleAllocated()) {
      SetScrollPos(Handle(), SB_HORZ, FOffset.x, TRUE);
      SetScrollPos(Handle(), SB_VERT, FOffset.y, TRUE);
    }
    if (OnViewChanged) OnViewChanged(this);
  }

protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_BORDER;
  }

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL) {
      const bool horizontal = Message.Msg == WM_HSCROLL;
      const TWMScroll s(Message);
      const int page = horizontal ? ClientWidth() : ClientHeight();
      const int current = horizontal ? FOffset.x : FOffset.y;
      int next = current;
      switch (s.ScrollCode) {
        case SB_LINEUP: next -= kLineStep; break;
        case SB_LINEDOWN: next += kLineStep; break;
        case SB_PAGEUP: next -= page; break;
        case SB_PAGEDOWN: next += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: next = s.Pos; break;
        case SB_TOP: next = 0; break;
        case SB_BOTTOM: next = horizontal ? MaxOffset().x : MaxOffset().y; break;
        default: return;
      }
      ScrollTo(horizontal ? TPoint{next, FOffset.y} : TPoint{FOffset.x, next});
      return;
    }
    if (Message.Msg == WM_SIZE) {
      TCustomControl::Dispatch(Message);
      UpdateBars();
      return;
    }
    TCustomControl::Dispatch(Message);
  }

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    FMarks.push_back(Mark{TPoint{X + FOffset.x, Y + FOffset.y}, Shift.Contains(ssShift) ? clBlue : clRed});
    InvalidateRect(Rect(X - 9, Y - 9, X + 10, Y + 10), emErase);
    TCustomControl::MouseDown(Button, Shift, X, Y);
  }

  void Paint() override {
    TCanvas& c = Canvas();
    SetWindowOrgEx(c.GetHandle(), FOffset.x, FOffset.y, nullptr);
    // A grid every 50 pixels, with coordinates every 200.
    c.GetPen().SetColor(RGB(210, 220, 235));
    for (int x = 0; x <= kPlanWidth; x += 50) {
      c.MoveTo(x, 0);
      c.LineTo(x, kPlanHeight);
    }
    for (int y = 0; y <= kPlanHeight; y += 50) {
      c.MoveTo(0, y);
      c.LineTo(kPlanWidth, y);
    }
    c.GetFont().SetColor(RGB(90, 100, 130));
    c.GetBrush().SetStyle(bsClear);
    for (int x = 0; x < kPlanWidth; x += 200)
      for (int y = 0; y < kPlanHeight; y += 200) c.TextOut(x + 3, y + 2, IntToStr(x) + u"," + IntToStr(y));
    // Some rooms and furniture.
    c.GetPen().SetColor(RGB(40, 40, 60));
    c.GetPen().SetWidth(3);
    c.GetBrush().SetStyle(bsSolid);
    c.GetBrush().SetColor(RGB(255, 244, 214));
    c.Rectangle(60, 60, 460, 360);
    c.GetBrush().SetColor(RGB(220, 240, 255));
    c.Rectangle(460, 60, 760, 360);
    c.GetBrush().SetColor(RGB(225, 250, 225));
    c.Rectangle(60, 360, 760, 620);
    c.GetPen().SetWidth(1);
    c.GetBrush().SetColor(RGB(180, 120, 70));
    c.Ellipse(180, 150, 300, 270);
    c.GetBrush().SetColor(RGB(120, 160, 200));
    c.RoundRect(520, 120, 700, 200, 20, 20);
    c.GetBrush().SetColor(RGB(90, 170, 90));
    for (int i = 0; i < 5; ++i) c.Ellipse(100 + i * 120, 450, 160 + i * 120, 510);
    c.GetFont().SetColor(clBlack);
    c.GetFont().SetHeight(-16);
    c.GetBrush().SetStyle(bsClear);
    c.TextOut(70, 70, u"Living room");
    c.TextOut(470, 70, u"Kitchen");
    c.TextOut(70, 370, u"Garden");
    c.GetFont().SetHeight(-11);
    // The marks clicks left.
    for (const Mark& m : FMarks) {
      c.GetPen().SetColor(m.Color);
      c.GetPen().SetWidth(2);
      c.GetBrush().SetStyle(bsClear);
      c.Ellipse(m.At.x - 8, m.At.y - 8, m.At.x + 9, m.At.y + 9);
      c.MoveTo(m.At.x - 5, m.At.y);
      c.LineTo(m.At.x + 6, m.At.y);
      c.MoveTo(m.At.x, m.At.y - 5);
      c.LineTo(m.At.x, m.At.y + 6);
    }
    c.GetPen().SetWidth(1);
  }

private:
  struct Mark {
    TPoint At;
    TColor Color;
  };

  TPoint MaxOffset() const {
    return TPoint{std::max(0, kPlanWidth - ClientWidth()), std::max(0, kPlanHeight - ClientHeight())};
  }

  void UpdateBars() {
    if (!HandleAllocated()) return;
    for (int bar : {SB_HORZ, SB_VERT}) {
      SCROLLINFO si;
      si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      si.nMin = 0;
      si.nMax = (bar == SB_HORZ ? kPlanWidth : kPlanHeight) - 1;
      si.nPage = static_cast<UINT>(bar == SB_HORZ ? ClientWidth() : ClientHeight());
      si.nPos = bar == SB_HORZ ? FOffset.x : FOffset.y;
      SetScrollInfo(Handle(), bar, &si, TRUE);
    }
    ScrollTo(FOffset);  // a larger client area may need a smaller offset
  }

  TPoint FOffset;
  std::vector<Mark> FMarks;
};

// The gallery form: a caption label, the plan view, buttons and a status label.
struct ControlsForm {
  TForm* Form = nullptr;
  TPlanView* View = nullptr;
  TLabel* Status = nullptr;
  TButton* Home = nullptr;
  TButton* PageRight = nullptr;
  TButton* PageDown = nullptr;
  TButton* Close = nullptr;

  ControlsForm() {
    Form = new TForm(nullptr);
    Form->SetCaption(u"Vexalith controls");
    Form->SetBounds(20, 20, 520, 360);
    auto* title = new TLabel(Form);
    title->SetParent(Form);
    title->SetBounds(12, 10, 0, 0);
    title->Font().SetHeight(-15);
    title->Font().SetStyle(TFontStyles{fsBold});
    title->SetCaption(u"Plan view with window scroll bars");
    View = new TPlanView(Form);
    View->SetParent(Form);
    View->SetBounds(12, 36, 390, 280);
    Status = new TLabel(Form);
    Status->SetParent(Form);
    Status->SetBounds(12, 324, 0, 0);
    Home = MakeButton(u"Home", 40);
    PageRight = MakeButton(u"Page right", 74);
    PageDown = MakeButton(u"Page down", 108);
    Close = MakeButton(u"Close", 286);
    Home->OnClick = [this](TObject*) { View->ScrollTo(TPoint{0, 0}); };
    PageRight->OnClick = [this](TObject*) { View->Perform(WM_HSCROLL, MakeScrollWParam(SB_PAGEDOWN, 0), 0); };
    PageDown->OnClick = [this](TObject*) { View->Perform(WM_VSCROLL, MakeScrollWParam(SB_PAGEDOWN, 0), 0); };
    Close->OnClick = [this](TObject*) { Form->Close(); };
    View->OnViewChanged = [this](TObject*) { ShowState(u""); };
    View->OnMouseDown = [this](TObject*, TMouseButton, TShiftState shift, int x, int y) {
      const TPoint o = View->Offset();
      ShowState(u"   mark at " + IntToStr(x + o.x) + u", " + IntToStr(y + o.y) +
                (shift.Contains(ssShift) ? String(u" (Shift)") : String()));
    };
    ShowState(u"");
  }
  ~ControlsForm() { delete Form; }
  ControlsForm(const ControlsForm&) = delete;
  ControlsForm& operator=(const ControlsForm&) = delete;

  TButton* MakeButton(const String& caption, int top) {
    auto* b = new TButton(Form);
    b->SetParent(Form);
    b->SetBounds(414, top, 92, 26);
    b->SetCaption(caption);
    return b;
  }

  void ShowState(const String& extra) {
    const TPoint o = View->Offset();
    Status->SetCaption(u"View at " + IntToStr(o.x) + u", " + IntToStr(o.y) + extra);
  }
};

// Client point of a control on the screen.
inline TPoint On(TControl* c, int x, int y) { return c->ClientToScreen(TPoint{x, y}); }

inline int SavePicture(const std::string& fileName) {
  if (!SelectHost("headless")) {
    std::fprintf(stderr, "vxgallery controls: the headless host is not available\n");
    return 1;
  }
  THeadlessHost& host = HeadlessHost();
  host.SetScreenSize(560, 400);
  host.SetDesktopColor(RGB(58, 110, 140));
  host.SetClockStep(0);
  ControlsForm ui;
  ui.Form->Show();
  host.RunUntilIdle();
  // The view's window: client 371 x 261 inside a border and two 17-pixel bars.
  RECT frame;
  GetWindowRect(ui.View->Handle(), &frame);
  const TPoint rightArrow{frame.Right - 1 - 17 - 8, frame.Bottom - 1 - 8};
  const TPoint vThumb{frame.Right - 1 - 8, frame.Top + 1 + 17 + 4};
  for (int i = 0; i < 3; ++i) {
    host.Click(mbLeft, rightArrow);
    host.AdvanceClock(600);  // separate clicks, not a double click
  }
  host.Drag(mbLeft, vThumb, TPoint{vThumb.x, vThumb.y + 40}, 5);
  host.RunUntilIdle();
  host.Click(mbLeft, On(ui.PageRight, 20, 10));
  host.RunUntilIdle();
  host.AdvanceClock(600);
  host.Click(mbLeft, On(ui.View, 120, 90));
  host.AdvanceClock(600);
  host.Click(mbLeft, On(ui.View, 200, 150), TShiftState{ssShift});
  host.MoveMouse(On(ui.View, 250, 200));
  host.RunUntilIdle();
  host.SaveScreen(fileName);
  std::printf("wrote %s (view at %d, %d)\n", fileName.c_str(), ui.View->Offset().x, ui.View->Offset().y);
  return 0;
}

inline int RunWindow() {
  if (!SelectHost("sdl")) {
    std::fprintf(stderr, "vxgallery controls --window: no display (the SDL host could not start)\n");
    return 1;
  }
  ControlsForm ui;
  Application->SetMainForm(ui.Form);
  Application->Run();
  Application->SetMainForm(nullptr);
  return 0;
}

}  // namespace controls_detail

// Runs the sub-command with the arguments after "controls"; returns the exit code.
inline int RunControls(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "--window") return controls_detail::RunWindow();
  if (args.size() == 1 && !args[0].empty() && args[0][0] != '-') return controls_detail::SavePicture(args[0]);
  std::fprintf(stderr, "usage: vxgallery controls OUT.png | vxgallery controls --window\n");
  return 2;
}

}  // namespace vx::gallery
