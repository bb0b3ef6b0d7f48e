// TControl: bounds, appearance, the message dispatch and the standard
// handling of mouse messages, and dragging.
#include "platform/controls/control.h"

#include <algorithm>

#include "platform/controls/forms.h"
#include "platform/controls/screen.h"

namespace vx::plat {

VX_DEFINE_CLASS(TControl, TComponent)
VX_PUBLISH(TControl)

void TControl::RegisterProperties(TPropertyRegistry<TControl>& r) {
  r.Integer("Left", &TControl::Left, &TControl::SetLeft);
  r.Integer("Top", &TControl::Top, &TControl::SetTop);
  r.Integer("Width", &TControl::Width, &TControl::SetWidth);
  r.Integer("Height", &TControl::Height, &TControl::SetHeight);
}

namespace {

// The drag in progress (one at a time, as there is one mouse).
struct DragInfo {
  TControl* Source = nullptr;
  TControl* Target = nullptr;
  bool Started = false;  // false while waiting for the cursor to move far enough
  bool Accepted = false;
  TPoint StartPos;       // screen
  TPoint TargetPos;      // the target's client coordinates
};

DragInfo& Drag() {
  static DragInfo info;
  return info;
}

// The graphic control that has the capture through its parent's window.
TControl*& CaptureControlSlot() {
  static TControl* control = nullptr;
  return control;
}

}  // namespace

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
}

TControl::~TControl() {
  if (Drag().Source == this) Drag() = DragInfo{};
  if (Drag().Target == this) Drag().Target = nullptr;
  if (CaptureControlSlot() == this) {
    CaptureControlSlot() = nullptr;
    if (FParent && FParent->HandleAllocated() && GetCapture() == FParent->FHandle) ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
}

// --- bounds ------------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth, std::int32_t AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  // A graphic control lives in its parent's pixels: both places repaint.
  const bool visible = FVisible && FParent && FParent->HandleAllocated();
  if (visible) FParent->InvalidateRect(BoundsRect(), emErase);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (visible) Invalidate();
  RequestAlign();
}

TRect TControl::ClientRect() const { return TRect{0, 0, FWidth, FHeight}; }

TPoint TControl::ClientOrigin() const {
  if (!FParent) return TPoint{FLeft, FTop};
  const TPoint o = FParent->ClientOrigin();
  return TPoint{o.x + FLeft, o.y + FTop};
}

TPoint TControl::ClientToScreen(TPoint Point) const {
  const TPoint o = ClientOrigin();
  return TPoint{Point.x + o.x, Point.y + o.y};
}

TPoint TControl::ScreenToClient(TPoint Point) const {
  const TPoint o = ClientOrigin();
  return TPoint{Point.x - o.x, Point.y - o.y};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->Realign();
}

// --- appearance ----------------------------------------------------------------

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  if (!FVisible && FParent && FParent->HandleAllocated()) FParent->InvalidateRect(BoundsRect(), emErase);
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  if (FParent) FParent->Realign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  if (!FAdoptingFont) FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  FParentShowHint = false;
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == FParentShowHint) return;
  FParentShowHint = Value;
  if (Value && FParent) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetText(const String& Value) {
  if (Value == FText) return;
  FText = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::UpdateShownCursor() {
  POINT p;
  GetCursorPos(&p);
  const HWND under = WindowFromPoint(p);
  if (!under || GetCapture()) return;
  if (FindDragTarget(p, true) == this)
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), static_cast<LPARAM>(MakeWParam(HTCLIENT, WM_MOUSEMOVE)));
}

// --- painting --------------------------------------------------------------------

void TControl::Invalidate() {
  if (FParent && FVisible) FParent->InvalidateRect(BoundsRect(), FControlStyle.Contains(csOpaque) ? emNoErase : emErase);
}

void TControl::InvalidateRect(const TRect& Rect, TEraseMode Erase) {
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    if (self->HandleAllocated()) ::vx::plat::InvalidateRect(self->FHandle, &Rect, Erase == emErase ? TRUE : FALSE);
    return;
  }
  if (!FParent) return;
  const TRect r{Rect.Left + FLeft, Rect.Top + FTop, Rect.Right + FLeft, Rect.Bottom + FTop};
  FParent->InvalidateRect(r, Erase);
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  Invalidate();
}

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
  if (!FParent) throw EInvalidOperation("Control '" + StringToUtf8(Name()) + "' has no parent window");
  // A graphic control draws on its parent's context, moved and clipped to itself.
  const HDC dc = FParent->GetDeviceContext(WindowHandle);
  OffsetViewportOrgEx(dc, FLeft, FTop, nullptr);
  IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  return dc;
}

void TControl::ScaleBy(int M, int D) {
  if (auto* w = dynamic_cast<TWinControl*>(this)) w->DisableAlign();
  ChangeScale(M, D);
  if (auto* w = dynamic_cast<TWinControl*>(this)) w->EnableAlign();
}

void TControl::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  const int left = MulDiv(FLeft, M, D), top = MulDiv(FTop, M, D);
  const int right = MulDiv(FLeft + FWidth, M, D), bottom = MulDiv(FTop + FHeight, M, D);
  SetBounds(left, top, right - left, bottom - top);
  if (!FParentFont) {
    const bool adopting = FAdoptingFont;
    FAdoptingFont = true;  // scaling keeps the font the control's own
    FFont->SetSize(MulDiv(FFont->GetSize(), M, D));
    FAdoptingFont = adopting;
  }
}

// --- messages --------------------------------------------------------------------

LRESULT TControl::Perform(std::uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  const std::uint32_t msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    // Without csDoubleClicks a second press is just a press.
    if (!FControlStyle.Contains(csDoubleClicks) &&
        (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK))
      Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    DragInfo& d = Drag();
    if (d.Source == this) {
      const TPoint screen = ClientToScreen(TWMMouse(Message).Pos);
      if (Message.Msg == WM_MOUSEMOVE) {
        if (!d.Started && (std::abs(screen.x - d.StartPos.x) >= GetSystemMetrics(SM_CXDRAG) ||
                           std::abs(screen.y - d.StartPos.y) >= GetSystemMetrics(SM_CYDRAG)))
          d.Started = true;
        if (d.Started) {
          TControl* target = FindDragTarget(screen, true);
          if (d.Target && d.Target != target) {
            bool accept = false;
            const TPoint p = d.Target->ScreenToClient(screen);
            d.Target->DragOver(this, p.x, p.y, dsDragLeave, accept);
          }
          const bool entering = target != d.Target;
          d.Target = target;
          d.Accepted = false;
          if (target) {
            d.TargetPos = target->ScreenToClient(screen);
            target->DragOver(this, d.TargetPos.x, d.TargetPos.y, entering ? dsDragEnter : dsDragMove, d.Accepted);
          }
          ::vx::plat::SetCursor(Screen->Cursors(d.Accepted ? FDragCursor : crNoDrop));
        }
        return;
      }
      if (Message.Msg == WM_LBUTTONUP) {
        EndDrag(true);
        return;
      }
    }
    if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
      if (FDragMode == dmAutomatic && !IsDesigning()) {
        BeginDrag(false);
        return;
      }
      FControlState.Include(csLButtonDown);
    } else if (Message.Msg == WM_LBUTTONUP) {
      FControlState.Exclude(csLButtonDown);
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_CURSORCHANGED: CMCursorChanged(Message); break;
    default: DefaultHandler(Message); break;
  }
}

void TControl::DefaultHandler(TMessage& Message) { Message.Result = 0; }

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse m(Message);
  MouseDown(Button, KeysToShiftState(m.Keys) + Shift, m.Pos.x, m.Pos.y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse m(Message);
  MouseUp(Button, KeysToShiftState(m.Keys), m.Pos.x, m.Pos.y);
}

void TControl::WMLButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    const TPoint p = TWMMouse(Message).Pos;
    const TRect r = ClientRect();
    if (p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom) Click();
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbRight, {});
}

void TControl::WMRButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbRight, {ssDouble});
}

void TControl::WMRButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbRight);
}

void TControl::WMMButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbMiddle, {});
}

void TControl::WMMButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbMiddle, {ssDouble});
}

void TControl::WMMButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle.Contains(csNoStdEvents)) return;
  const TWMMouse m(Message);
  MouseMove(KeysToShiftState(m.Keys), m.Pos.x, m.Pos.y);
}

void TControl::WMPaint(TMessage& Message) { DefaultHandler(Message); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage&) {
  if (!FParentColor || !FParent) return;
  SetColor(FParent->Color());
  FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!FParentFont || !FParent) return;
  FAdoptingFont = true;
  FFont->Assign(&FParent->Font());
  FAdoptingFont = false;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  FShowHint = FParent->ShowHint();
}

void TControl::CMTextChanged(TMessage&) { Invalidate(); }

void TControl::CMCursorChanged(TMessage&) { UpdateShownCursor(); }

void TControl::Loaded() {
  TComponent::Loaded();
  // Controls read from a form file land on the form that owns them.
  if (!FParent)
    if (auto* owner = dynamic_cast<TWinControl*>(Owner()); owner && owner != this) SetParent(owner);
  if (FParentColor && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
  if (FParentFont && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

// --- dynamic handlers ---------------------------------------------------------------

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = static_cast<bool>(OnDragOver);
  if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

// --- capture and dragging ------------------------------------------------------------

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value == MouseCapture()) return;
  SetCaptureControl(Value ? this : nullptr);
}

void TControl::BeginDrag(bool Immediate) {
  DragInfo& d = Drag();
  if (d.Source) return;
  POINT p;
  GetCursorPos(&p);
  d = DragInfo{};
  d.Source = this;
  d.StartPos = p;
  d.Started = Immediate;
  SetCaptureControl(this);
  if (Immediate) ::vx::plat::SetCursor(Screen->Cursors(crNoDrop));
}

void TControl::EndDrag(bool Drop) {
  DragInfo& d = Drag();
  if (d.Source != this) return;
  const DragInfo done = d;
  d = DragInfo{};
  SetCaptureControl(nullptr);
  TControl* target = done.Started && done.Accepted && Drop ? done.Target : nullptr;
  if (done.Target && done.Started && !target) {
    bool accept = false;
    done.Target->DragOver(this, done.TargetPos.x, done.TargetPos.y, dsDragLeave, accept);
  }
  if (target) target->DragDrop(this, done.TargetPos.x, done.TargetPos.y);
  DoEndDrag(target, done.TargetPos.x, done.TargetPos.y);
  UpdateShownCursor();
}

bool TControl::Dragging() const { return Drag().Source == this; }

// --- free functions ---------------------------------------------------------------------

TControl* GetCaptureControl() {
  const HWND h = GetCapture();
  if (!h) return nullptr;
  TControl* graphic = CaptureControlSlot();
  if (graphic && graphic->Parent() && graphic->Parent()->HandleAllocated() && graphic->Parent()->Handle() == h)
    return graphic;
  return FindControl(h);
}

void SetCaptureControl(TControl* Control) {
  CaptureControlSlot() = nullptr;
  if (!Control) {
    ReleaseCapture();
    return;
  }
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    SetCapture(w->Handle());
    return;
  }
  if (Control->Parent() && Control->Parent()->HandleAllocated()) {
    SetCapture(Control->Parent()->Handle());
    CaptureControlSlot() = Control;
  }
}

TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled) {
  TWinControl* w = FindControl(WindowFromPoint(ScreenPos));
  if (!w) return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(ScreenPos), AllowDisabled)) return c;
  return w;
}

TCustomForm* GetParentForm(const TControl* Control) {
  const TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

bool NewStyleControls() { return true; }

}  // namespace vx::plat
