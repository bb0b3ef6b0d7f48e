// TControl and TWinControl: the visual components of a form. A control has a
// parent, bounds in its parent's client area, colour, font, cursor and
// visibility, receives messages through its window procedure (WndProc ->
// Dispatch -> the message handlers -> DefaultHandler) and turns mouse and
// key messages into the dynamic handlers (MouseDown, KeyDown, ...) that fire
// the application's events. A TWinControl owns a window of the window
// manager (platform/controls/winuser.h), created when it is first needed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/controls/cursors.h"
#include "platform/controls/messages.h"
#include "platform/controls/winuser.h"
#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"

namespace vx::plat {

class TWinControl;
class TCustomForm;

// A control was asked for something it cannot do now ("Cannot focus a
// disabled or invisible window", "Control 'X' has no parent window").
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// How a control places itself in its parent's client area.
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// What a control does by itself.
enum TControlStyleItem : std::uint8_t {
  csAcceptsControls,  // may hold child controls (its window clips them)
  csCaptureMouse,     // captures the mouse while the left button is down
  csDesignInteractive,
  csClickEvents,      // a left press and release inside makes a click (OnClick)
  csFramed,
  csSetCaption,       // the name becomes the caption while designing
  csOpaque,           // paints its whole client area: invalidating never erases
  csDoubleClicks,     // receives double clicks (else a second press is a press)
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,      // mouse messages do not reach MouseDown/MouseMove/MouseUp
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents,
};
using TControlStyle = TSet<TControlStyleItem, std::uint32_t, csMenuEvents>;

// What a control is doing now.
enum TControlStateItem : std::uint8_t {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking,
};
using TControlState = TSet<TControlStateItem, std::uint16_t, csDocking>;

// Whether invalidating erases the background first.
enum TEraseMode : std::uint8_t { emNoErase, emErase };

enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
enum TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char16_t& Key)>;
using TDragOverEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;

// What CreateWnd makes the window from; CreateParams fills it in.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSW WindowClass;  // style (CS_*), cursor and brush of the window class
  String WinClassName;    // the class name (the control's class name)
};

class TControl : public TComponent {
  VX_DECLARE_CLASS(TControl)
public:
  // Publishes Left, Top, Width and Height.
  static void RegisterProperties(TPropertyRegistry<TControl>& r);

  explicit TControl(TComponent* AOwner);
  // Leaves its parent (and drops a mouse capture it holds).
  ~TControl() override;

  // --- parent and bounds ---
  TWinControl* Parent() const { return FParent; }
  // Moves the control into AParent's client area (nullptr: out of any parent).
  virtual void SetParent(TWinControl* AParent);
  std::int32_t Left() const { return FLeft; }
  std::int32_t Top() const { return FTop; }
  std::int32_t Width() const { return FWidth; }
  std::int32_t Height() const { return FHeight; }
  void SetLeft(std::int32_t Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(std::int32_t Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(std::int32_t Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(std::int32_t Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Position in the parent's client area and size (negative sizes become 0).
  virtual void SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth, std::int32_t AHeight);
  TRect BoundsRect() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // (0, 0, client width, client height): the size less border and shown
  // scroll bars once a window exists, the whole size before.
  virtual TRect ClientRect() const;
  std::int32_t ClientWidth() const { return ClientRect().Right; }
  std::int32_t ClientHeight() const { return ClientRect().Bottom; }
  // Sets the size so that the client area gets this width (height).
  void SetClientWidth(std::int32_t Value) { SetWidth(FWidth - ClientWidth() + Value); }
  void SetClientHeight(std::int32_t Value) { SetHeight(FHeight - ClientHeight() + Value); }
  // The screen point of client (0, 0).
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint Point) const;
  TPoint ScreenToClient(TPoint Point) const;
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  // --- appearance ---
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and so are all parents (a top-level control: visible itself).
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  TColor Color() const { return FColor; }
  // Sets the colour; ParentColor becomes false.
  void SetColor(TColor Value);
  // True (the default): the control takes its parent's colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont& Font() const { return *FFont; }
  void SetFont(const TFont& Value) { FFont->Assign(&Value); }
  // True (the default): the control takes its parent's font.
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  // The cursor shown over the control (crDefault: the parent's).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  // The caption (text) of the control.
  const String& Caption() const { return FText; }
  void SetCaption(const String& Value) { SetText(Value); }
  const String& Text() const { return FText; }
  void SetText(const String& Value);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  // An action object a button may be linked to (kept, not used by the platform).
  TComponent* Action() const { return FAction; }
  void SetAction(TComponent* Value) { FAction = Value; }

  // --- painting ---
  // Asks for a repaint of the whole client area, erasing unless csOpaque.
  virtual void Invalidate();
  // Asks for a repaint of a client rectangle.
  void InvalidateRect(const TRect& Rect, TEraseMode Erase);
  // Paints what is invalid now, without waiting for the message loop.
  virtual void Update();
  // Invalidate, then Update.
  virtual void Repaint();
  void Refresh() { Repaint(); }
  // Places the control above (below) its siblings.
  virtual void BringToFront();
  virtual void SendToBack();

  // --- messages ---
  // Calls WndProc at once with the message and returns its result.
  LRESULT Perform(std::uint32_t Msg, WPARAM WParam, LPARAM LParam);
  // Every message to the control goes through here (overridable: see
  // how a control may intercept input before the standard handling).
  virtual void WndProc(TMessage& Message);
  // Calls the handler of the message, or DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  // The handling of messages no handler took (a windowed control passes them
  // to the window manager's default handling).
  virtual void DefaultHandler(TMessage& Message);

  // --- mouse ---
  // Whether this control has the mouse capture; setting it takes or drops it.
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);
  // Starts dragging this control (Immediate: at once, else after the cursor
  // moved a few pixels with the button down).
  void BeginDrag(bool Immediate);
  // Ends a drag; Drop lets the target accept it.
  void EndDrag(bool Drop);
  bool Dragging() const;
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }

  // --- device context ---
  // A device context for drawing on the control outside painting; a
  // descendant may prepare it (a mapping, say). WindowHandle receives the
  // window whose context it is; release it with ReleaseDC(WindowHandle, DC).
  virtual HDC GetDeviceContext(HWND& WindowHandle);

  // Scales bounds (and the font unless ParentFont) by M / D, children too.
  void ScaleBy(int M, int D);

  // Events (empty: unassigned).
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

  // The dynamic handlers: the standard message handling calls them with
  // client pixel coordinates; the base versions fire the events.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Click();
  virtual void DblClick();
  // Fires OnResize (controls that have one call it from their size handling).
  virtual void Resize();
  // Scales bounds and font by M / D.
  virtual void ChangeScale(int M, int D);
  // Whether the control accepts Source dropped at (X, Y); fires OnDragOver
  // (Accept starts true when OnDragOver is assigned, false otherwise).
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  virtual void DoEndDrag(TObject* Target, int X, int Y);

protected:
  friend class TWinControl;

  void Loaded() override;
  // Message handlers (the base versions do the standard handling).
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMRButtonDblClk(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMMButtonDblClk(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMPaint(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMCursorChanged(TMessage& Message);

  // The parent's alignment of this control, when it has one.
  void RequestAlign();
  // Re-applies the cursor when the mouse is over this control.
  void UpdateShownCursor();
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);

  TWinControl* FParent = nullptr;
  std::int32_t FLeft = 0;
  std::int32_t FTop = 0;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  TCursor FCursor = crDefault;
  bool FShowHint = false;
  bool FParentShowHint = true;
  String FHint;
  String FText;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  TDragMode FDragMode = dmManual;
  TCursor FDragCursor = crDrag;
  TComponent* FAction = nullptr;

private:
  void FontChanged(TObject* Sender);
  bool FAdoptingFont = false;
};

class TWinControl : public TControl {
  VX_DECLARE_CLASS(TWinControl)
public:
  explicit TWinControl(TComponent* AOwner);
  // Frees the child controls and destroys the window.
  ~TWinControl() override;

  // --- the window ---
  // The window, created now if it does not exist (which needs a parent
  // with a window, except for top-level controls such as forms).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys and creates the window again (when it exists).
  void RecreateWnd();

  // --- children ---
  TControl* Controls(std::int32_t Index) const;
  std::int32_t ControlCount() const { return static_cast<std::int32_t>(FControls.size()); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* Control) const;
  // The topmost visible child (enabled unless AllowDisabled) at a client point.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled) const;
  // Sends a message to every child control.
  void Broadcast(TMessage& Message);
  void NotifyControls(std::uint32_t Msg);
  // Alignment of children: AlignControls runs when bounds, visibility or
  // alignment change, unless disabled.
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();

  // --- focus ---
  // Visible and enabled, with all its parents.
  virtual bool CanFocus() const;
  bool Focused() const;
  // Takes the keyboard focus; raises EInvalidOperation when CanFocus is false.
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  // The place among the parent's windowed children for Tab.
  std::int32_t TabOrder() const;
  void SetTabOrder(std::int32_t Value);
  // The next (or previous) focusable control after CurControl among the
  // descendants, in tab order; nullptr when none.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const;
  // Moves the focus there.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // The three-dimensional look (recreates nothing by itself: CM_CTL3DCHANGED
  // tells the control).
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  bool Showing() const override;
  void SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth, std::int32_t AHeight) override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void BringToFront() override;
  void SendToBack() override;
  void SetEnabled(bool Value) override;
  HDC GetDeviceContext(HWND& WindowHandle) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  // The window procedure's entry: WndProc with exceptions handed to the
  // application (Application->HandleException).
  void MainWndProc(TMessage& Message);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Key handlers: the base versions fire the events; a handler that sets Key
  // to 0 takes the key.
  virtual void KeyDown(std::uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(std::uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char16_t& Key);
  void ChangeScale(int M, int D) override;

protected:
  // The window's creation parameters: a clipped child window of the parent,
  // class styles CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, the arrow cursor.
  virtual void CreateParams(TCreateParams& Params);
  // Creates the window from CreateParams (CreateWindowHandle).
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWindowHandle();
  // Creates the window, then the windows of visible children, and shows it
  // when the control is showing.
  virtual void CreateHandle();
  // Destroys the windows of the children, then its own.
  virtual void DestroyHandle();
  // Places aligned children inside Rect (the client area), shrinking it.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // Paints the control on DC (clipped to what needs painting). Nothing here.
  virtual void PaintWindow(HDC DC);
  // The standard paint handling: BeginPaint (unless the message carries a
  // DC), PaintWindow, the graphic children, EndPaint.
  void PaintHandler(TMessage& Message);
  // Paints the visible graphic children that lie in the DC's clip.
  void PaintControls(HDC DC, TControl* First);
  virtual void DoEnter();
  virtual void DoExit();
  void Loaded() override;

  virtual void WMEraseBkgnd(TMessage& Message);
  void WMPaint(TMessage& Message) override;
  // Keeps the bounds in step with the window and realigns the children. It
  // does not call Resize: controls with a resize event fire it themselves.
  virtual void WMSize(TMessage& Message);
  virtual void WMMove(TMessage& Message);
  virtual void WMHScroll(TMessage& Message);
  virtual void WMVScroll(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  // Shows Screen.Cursor, or the cursor of the control (or graphic child)
  // under the mouse; crDefault leaves it to the parent.
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMNCHitTest(TMessage& Message);
  virtual void WMNCCalcSize(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMGetDlgCode(TMessage& Message);
  virtual void WMCaptureChanged(TMessage& Message);
  // Before the form's dialog-key handling: a non-zero result takes the key
  // (Tab, Return and Escape go to the form unless the control wants them).
  virtual void CNKeyDown(TMessage& Message);
  virtual void CNKeyUp(TMessage& Message);
  virtual void CNChar(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMCtl3DChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMParentShowHintChanged(TMessage& Message) override;

  // Whether the control is a top-level window (a form) rather than a child.
  virtual bool IsTopLevel() const { return false; }
  // Shows or hides the window to match Visible (creating it when needed).
  void UpdateShowing();
  // Passes a mouse message to the graphic child under it (or holding the
  // capture); true when one took it.
  bool IsControlMouseMsg(TMessage& Message);
  // Reads the bounds back from the window.
  void UpdateBounds();
  // Drops the focus (and the form's memory of it) when it lies in this control.
  void RemoveFocus();

  HWND FHandle = nullptr;
  std::vector<TControl*> FControls;     // children in insertion order
  std::vector<TWinControl*> FTabList;   // windowed children in tab order
  bool FTabStop = false;
  bool FCtl3D = true;
  int FAlignLevel = 0;
  bool FAligning = false;

private:
  friend class TControl;
  friend LRESULT InitWndProc(HWND, UINT, WPARAM, LPARAM);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  void CollectTabOrder(std::vector<TWinControl*>& Out) const;
};

// The control whose window this is (or whose window contains it), or nullptr.
TWinControl* FindControl(HWND Handle);
// The control under a screen point: a graphic child when one is there.
TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled);
// The control that has the mouse capture (a graphic control when it took it).
TControl* GetCaptureControl();
// Gives the mouse capture to a control (nullptr: releases it).
void SetCaptureControl(TControl* Control);
// The form a control lies on, or nullptr.
TCustomForm* GetParentForm(const TControl* Control);
// Whether the platform draws new-style (three-dimensional) controls; true.
bool NewStyleControls();

// --- publishing helpers for descendants that publish the common properties ---

template <class T>
void PublishAlign(TPropertyRegistry<T>& r) {
  r.Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
         alNone);
}
template <class T>
void PublishColor(TPropertyRegistry<T>& r, TColor Default) {
  r.Integer("Color", &TControl::Color, &TControl::SetColor, Default).Stored([](const T& c) { return !c.ParentColor(); });
  r.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true);
}
template <class T>
void PublishFont(TPropertyRegistry<T>& r) {
  r.Object("Font", [](T& c) -> TFont* { return &c.Font(); });
  r.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
}
template <class T>
void PublishEnabledVisible(TPropertyRegistry<T>& r) {
  r.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true);
  r.Bool("Visible", &TControl::Visible, &TControl::SetVisible, true);
}
template <class T>
void PublishHints(TPropertyRegistry<T>& r) {
  r.Str("Hint", &TControl::Hint, &TControl::SetHint, String());
  r.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false);
  r.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
}
template <class T>
void PublishCaption(TPropertyRegistry<T>& r) {
  r.Str("Caption", &TControl::Caption, &TControl::SetCaption, String());
}
template <class T>
void PublishMouseEvents(TPropertyRegistry<T>& r) {
  r.Event("OnMouseDown", &TControl::OnMouseDown);
  r.Event("OnMouseMove", &TControl::OnMouseMove);
  r.Event("OnMouseUp", &TControl::OnMouseUp);
}
template <class T>
void PublishClickEvents(TPropertyRegistry<T>& r) {
  r.Event("OnClick", &TControl::OnClick);
  r.Event("OnDblClick", &TControl::OnDblClick);
}
template <class T>
void PublishDragEvents(TPropertyRegistry<T>& r) {
  r.Event("OnDragOver", &TControl::OnDragOver);
  r.Event("OnDragDrop", &TControl::OnDragDrop);
}
template <class T>
void PublishKeyEvents(TPropertyRegistry<T>& r) {
  r.Event("OnKeyDown", &TWinControl::OnKeyDown);
  r.Event("OnKeyPress", &TWinControl::OnKeyPress);
  r.Event("OnKeyUp", &TWinControl::OnKeyUp);
}
template <class T>
void PublishEnterExit(TPropertyRegistry<T>& r) {
  r.Event("OnEnter", &TWinControl::OnEnter);
  r.Event("OnExit", &TWinControl::OnExit);
}
template <class T>
void PublishTabs(TPropertyRegistry<T>& r, bool DefaultTabStop) {
  r.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, DefaultTabStop);
}

}  // namespace vx::plat
