// TWinControl: the window's life cycle, children and alignment, focus and
// tab order, painting with the update region, and key handling.
#include <algorithm>
#include <unordered_map>

#include "platform/controls/application.h"
#include "platform/controls/control.h"
#include "platform/controls/control_canvas.h"
#include "platform/gdi/dc_guards.h"
#include "platform/controls/forms.h"
#include "platform/controls/screen.h"

namespace vx::plat {

VX_DEFINE_CLASS(TWinControl, TControl)

namespace {

// The control whose window CreateWindowExW is making right now.
TWinControl*& CreationControl() {
  static TWinControl* control = nullptr;
  return control;
}

std::unordered_map<HWND, TWinControl*>& ControlMap() {
  static auto* map = new std::unordered_map<HWND, TWinControl*>();
  return *map;
}

// Device units as logical units: what painting code may assume of a DC.
void PlainMapping(HDC dc) {
  SetMapMode(dc, MM_TEXT);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
}

}  // namespace

// The class procedure of every control window: the first message binds the
// window to the control being created, later ones go to the control directly.
LRESULT InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = CreationControl();
  if (!control) return DefWindowProcW(hwnd, msg, wParam, lParam);
  CreationControl() = nullptr;
  control->FHandle = hwnd;
  ControlMap()[hwnd] = control;
  SetWindowProc(hwnd, [control](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    TMessage message;
    message.Msg = m;
    message.WParam = w;
    message.LParam = l;
    control->MainWndProc(message);
    return message.Result;
  });
  TMessage message;
  message.Msg = msg;
  message.WParam = wParam;
  message.LParam = lParam;
  control->MainWndProc(message);
  return message.Result;
}

TWinControl* FindControl(HWND Handle) {
  for (HWND h = Handle; h; h = GetParent(h)) {
    auto it = ControlMap().find(h);
    if (it != ControlMap().end()) return it->second;
  }
  return nullptr;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  RemoveFocus();
  DestroyHandle();
  // Leave the parent while this is still a windowed control (its tab list too).
  if (FParent) FParent->RemoveControl(this);
  // Child controls go with their parent (whoever owns them).
  while (!FControls.empty()) {
    TControl* child = FControls.back();
    RemoveControl(child);
    delete child;
  }
}

// --- the window -----------------------------------------------------------------

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->Handle() : nullptr;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Params.WinClassName = Utf8ToString(ClassName());
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + StringToUtf8(Name()) + "' has no parent window");
  CreateWindowHandle(params);
  if (!FHandle) throw EInvalidOperation("Error creating window of control '" + StringToUtf8(Name()) + "'");
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  WNDCLASSW existing;
  if (!GetClassInfoW(Params.WinClassName.c_str(), &existing)) {
    WNDCLASSW wc = Params.WindowClass;
    wc.lpfnWndProc = InitWndProc;
    wc.lpszClassName = Params.WinClassName.c_str();
    RegisterClassW(&wc);
  }
  CreationControl() = this;
  const HWND h = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                                 Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, Params.Param);
  CreationControl() = nullptr;
  FHandle = h;
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle() {
  if (!FHandle) return;
  FControlState.Include(csDestroyingHandle);
  FreeDeviceContexts(FHandle);
  const HWND h = FHandle;
  ::vx::plat::DestroyWindow(h);
  ControlMap().erase(h);
  FHandle = nullptr;
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FVisible && !w->FHandle) w->CreateHandle();
  UpdateShowing();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  UpdateShowing();
}

void TWinControl::UpdateShowing() {
  if (ComponentState().Contains(csDestroying)) return;
  const bool wanted = FVisible && (FParent ? FParent->HandleAllocated() : IsTopLevel());
  if (wanted) {
    if (!FHandle) CreateHandle();
    if (FHandle && !(GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_VISIBLE))
      ShowWindow(FHandle, IsTopLevel() ? SW_SHOW : SW_SHOWNA);
  } else if (FHandle) {
    ShowWindow(FHandle, SW_HIDE);
  }
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  POINT p{r.Left, r.Top};
  if (FParent && FParent->HandleAllocated()) ::vx::plat::ScreenToClient(FParent->FHandle, &p);
  FLeft = p.x;
  FTop = p.y;
  FWidth = r.Width();
  FHeight = r.Height();
}

// --- children ---------------------------------------------------------------------

TControl* TWinControl::Controls(std::int32_t Index) const {
  if (Index < 0 || Index >= ControlCount()) ListIndexError(Index);
  return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl == this) throw EInvalidOperation("A control cannot have itself as its parent");
  auto* win = dynamic_cast<TWinControl*>(AControl);
  for (const TWinControl* p = this; p; p = p->FParent)
    if (p == win) throw EInvalidOperation("A control cannot become a child of its own child");
  if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
  FControls.push_back(AControl);
  if (win) FTabList.push_back(win);
  AControl->FParent = this;
  if (AControl->FParentColor) AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  if (AControl->FParentFont) AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
  if (AControl->FParentShowHint) AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  if (win && FHandle && win->FVisible) win->UpdateShowing();
  if (!win) AControl->Invalidate();
  if (AControl->FAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->FParent != this) return;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    win->RemoveFocus();
    win->DestroyHandle();
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
  } else if (FHandle && AControl->FVisible) {
    InvalidateRect(AControl->BoundsRect(), emErase);
  }
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!c->FVisible || (!c->FEnabled && !AllowDisabled)) continue;
    const TRect r = c->BoundsRect();
    if (Pos.x >= r.Left && Pos.x < r.Right && Pos.y >= r.Top && Pos.y < r.Bottom) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(std::uint32_t Msg) {
  TMessage m;
  m.Msg = Msg;
  Broadcast(m);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

void TWinControl::Realign() {
  if (FAlignLevel > 0 || FAligning) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  FControlState.Exclude(csAlignmentNeeded);
  TRect r = ClientRect();
  FAligning = true;
  try {
    AlignControls(nullptr, r);
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : std::vector<TControl*>(FControls)) {
      if (c->FAlign != align || !c->FVisible) continue;
      const int w = c->FWidth, h = c->FHeight;
      switch (align) {
        case alTop:
          c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), h);
          Rect.Top += h;
          break;
        case alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - h, Rect.Width(), h);
          Rect.Bottom -= h;
          break;
        case alLeft:
          c->SetBounds(Rect.Left, Rect.Top, w, Rect.Height());
          Rect.Left += w;
          break;
        case alRight:
          c->SetBounds(Rect.Right - w, Rect.Top, w, Rect.Height());
          Rect.Right -= w;
          break;
        default: c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()); break;
      }
    }
  }
}

// --- focus ----------------------------------------------------------------------------

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->FocusControl(this);
  else
    ::vx::plat::SetFocus(Handle());
}

std::int32_t TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& list = FParent->FTabList;
  return static_cast<std::int32_t>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(std::int32_t Value) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  const auto at = static_cast<std::size_t>(std::clamp<std::int32_t>(Value, 0, static_cast<std::int32_t>(list.size())));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& Out) const {
  for (TWinControl* w : FTabList) {
    Out.push_back(w);
    w->CollectTabOrder(Out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const {
  std::vector<TWinControl*> all;
  CollectTabOrder(all);
  if (all.empty()) return nullptr;
  const auto n = static_cast<std::ptrdiff_t>(all.size());
  std::ptrdiff_t start = std::find(all.begin(), all.end(), CurControl) - all.begin();
  if (start == n) start = GoForward ? n - 1 : 0;
  for (std::ptrdiff_t step = 1; step <= n; ++step) {
    const std::ptrdiff_t i = ((GoForward ? start + step : start - step) % n + n) % n;
    TWinControl* c = all[static_cast<std::size_t>(i)];
    if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->FTabStop)) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop)) next->SetFocus();
}

void TWinControl::RemoveFocus() {
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this);
}

void TWinControl::SetCtl3D(bool Value) {
  if (Value == FCtl3D) return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

// --- geometry ---------------------------------------------------------------------------

TRect TWinControl::ClientRect() const {
  if (!FHandle) return TControl::ClientRect();
  RECT r;
  GetClientRect(FHandle, &r);
  return r;
}

TPoint TWinControl::ClientOrigin() const {
  if (!FHandle) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::vx::plat::ClientToScreen(FHandle, &p);
  return p;
}

bool TWinControl::Showing() const {
  if (FHandle) return IsWindowVisible(FHandle) != FALSE;
  return false;
}

void TWinControl::SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth, std::int32_t AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle)
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  else if (sized)
    Realign();
  RequestAlign();
}

// --- painting -----------------------------------------------------------------------------

void TWinControl::Invalidate() {
  if (FHandle) ::vx::plat::InvalidateRect(FHandle, nullptr, FControlStyle.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::BringToFront() {
  TControl::BringToFront();
  if (FHandle) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SendToBack() {
  TControl::SendToBack();
  if (FHandle) SetWindowPos(FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
  WindowHandle = Handle();
  return ::vx::plat::GetDC(WindowHandle);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (dc) {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
    return;
  }
  // Contexts held for drawing outside painting let go first, so that the
  // paint starts from a fresh context clipped to the update region.
  FreeDeviceContexts(FHandle);
  PAINTSTRUCT ps;
  const HWND h = FHandle;
  dc = BeginPaint(h, &ps);
  struct EndGuard {
    HWND Window;
    PAINTSTRUCT* Paint;
    ~EndGuard() { EndPaint(Window, Paint); }
  } guard{h, &ps};
  PaintWindow(dc);
  PaintControls(dc, nullptr);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->FVisible) continue;
    SavedDC saved(DC);
    PlainMapping(DC);
    const RECT bounds = c->BoundsRect();
    if (!RectVisible(DC, &bounds)) continue;
    SetViewportOrgEx(DC, c->FLeft, c->FTop, nullptr);
    IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::WMPaint(TMessage& Message) { PaintHandler(Message); }

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  const HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) {
    DefaultHandler(Message);
    return;
  }
  SavedDC saved(dc);
  PlainMapping(dc);
  const HBRUSH brush = CreateSolidBrush(ColorToRGB(FColor));
  const RECT r = ClientRect();
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  Message.Result = 1;
}

// --- messages --------------------------------------------------------------------------------

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WndProc(Message);
  } catch (...) {
    Application->HandleException(this);
  }
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) return false;
  TControl* target = nullptr;
  if (FHandle && GetCapture() == FHandle) {
    TControl* captured = GetCaptureControl();
    if (captured && captured != this && captured->Parent() == this) target = captured;
  } else {
    TControl* c = ControlAtPos(TWMMouse(Message).Pos, false);
    if (c && !dynamic_cast<TWinControl*>(c)) target = c;
  }
  if (!target) return false;
  const TPoint p = TWMMouse(Message).Pos;
  Message.Result = target->Perform(Message.Msg, Message.WParam, PointToLParam(TPoint{p.x - target->Left(), p.y - target->Top()}));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this); form && form != this && !form->SetFocusedControl(this)) return;
      break;
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // A control that takes part in tabbing takes the focus when clicked.
      if (FTabStop && !Focused() && CanFocus() && !IsDesigning()) SetFocus();
      break;
    default: break;
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && IsControlMouseMsg(Message)) return;
  TControl::WndProc(Message);
  if (Message.Msg == WM_NCDESTROY && FHandle) {
    ControlMap().erase(FHandle);
    FHandle = nullptr;
  }
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP: CNKeyUp(Message); break;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    default: TControl::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  // The platform's own notifications never reach the window manager.
  if (!FHandle || Message.Msg >= CM_BASE) {
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  Realign();
  DefaultHandler(Message);
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMHScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMVScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMNCHitTest(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMNCCalcSize(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMGetDlgCode(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCaptureChanged(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMSetCursor(TMessage& Message) {
  const TWMSetCursor sc(Message);
  if (FHandle && sc.CursorWnd == reinterpret_cast<WPARAM>(FHandle) && sc.HitTest == HTCLIENT) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c && !dynamic_cast<TWinControl*>(c)) cursor = c->Cursor();
      if (cursor == crDefault) cursor = FCursor;
    }
    if (cursor != crDefault) {
      ::vx::plat::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  std::uint16_t key = static_cast<std::uint16_t>(Message.WParam);
  KeyDown(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  std::uint16_t key = static_cast<std::uint16_t>(Message.WParam);
  KeyUp(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  char16_t ch = static_cast<char16_t>(Message.WParam);
  KeyPress(ch);
  Message.WParam = ch;
  return ch == 0;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(std::uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char16_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 0;
  const auto key = static_cast<std::uint16_t>(Message.WParam);
  LRESULT wants = 0;
  switch (key) {
    case VK_TAB: wants = DLGC_WANTTAB; break;
    case VK_RETURN:
    case VK_ESCAPE: wants = DLGC_WANTALLKEYS; break;
    default: return;
  }
  if (Perform(WM_GETDLGCODE, 0, 0) & wants) return;
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) Message.Result = 1;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }
void TWinControl::CNChar(TMessage& Message) { Message.Result = 0; }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::CMCtl3DChanged(TMessage&) { Invalidate(); }

void TWinControl::CMVisibleChanged(TMessage& Message) {
  UpdateShowing();
  TControl::CMVisibleChanged(Message);
}

void TWinControl::CMColorChanged(TMessage& Message) {
  TControl::CMColorChanged(Message);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  TControl::CMFontChanged(Message);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (FHandle) EnableWindow(FHandle, FEnabled ? TRUE : FALSE);
  TControl::CMEnabledChanged(Message);
}

void TWinControl::CMTextChanged(TMessage& Message) {
  if (FHandle) SetWindowTextW(FHandle, FText.c_str());
  TControl::CMTextChanged(Message);
}

void TWinControl::CMParentShowHintChanged(TMessage& Message) {
  TControl::CMParentShowHintChanged(Message);
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::ChangeScale(int M, int D) {
  if (M == D) return;
  DisableAlign();
  for (TControl* c : std::vector<TControl*>(FControls)) c->ChangeScale(M, D);
  TControl::ChangeScale(M, D);
  EnableAlign();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

}  // namespace vx::plat
