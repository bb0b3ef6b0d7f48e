// Forms.
#include "platform/controls/forms.h"

#include <algorithm>

#include "platform/controls/application.h"
#include "platform/controls/host_link.h"
#include "platform/controls/screen.h"

namespace vx::plat {

VX_DEFINE_CLASS(TCustomForm, TWinControl)
VX_DEFINE_CLASS(TForm, TCustomForm)
VX_PUBLISH(TForm)

void TForm::RegisterProperties(TPropertyRegistry<TForm>& r) {
  PublishCaption(r);
  r.Integer("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).NeverStored();
  r.Integer("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).NeverStored();
  r.Integer("Color", &TControl::Color, &TControl::SetColor, clBtnFace);
  PublishFont(r);
  PublishHints(r);
  r.Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition,
         {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"}, poDesigned);
  PublishClickEvents(r);
  PublishMouseEvents(r);
  PublishKeyEvents(r);
  r.Event("OnCreate", &TCustomForm::OnCreate);
  r.Event("OnDestroy", &TCustomForm::OnDestroy);
  r.Event("OnShow", &TCustomForm::OnShow);
  r.Event("OnHide", &TCustomForm::OnHide);
  r.Event("OnActivate", &TCustomForm::OnActivate);
  r.Event("OnDeactivate", &TCustomForm::OnDeactivate);
  r.Event("OnClose", &TCustomForm::OnClose);
  r.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
  r.Event("OnResize", &TControl::OnResize);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FColor = clBtnFace;
  FParentColor = false;
  FParentFont = false;
  FWidth = 400;
  FHeight = 300;
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  DoDestroy();
  Screen->RemoveForm(this);
  if (Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TCustomForm::AfterConstruction() { DoCreate(); }

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  // A top-level window: the host gives it its frame and caption.
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  Params.WndParent = nullptr;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TCustomForm::PlaceOnFirstShow() {
  if (FShownOnce) return;
  FShownOnce = true;
  if (FPosition == poScreenCenter)
    SetBounds((Screen->Width() - FWidth) / 2, (Screen->Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::Show() {
  PlaceOnFirstShow();
  SetVisible(true);
  if (FHandle) SetActiveWindow(FHandle);
}

bool TCustomForm::Active() const { return FHandle && GetActiveWindow() == FHandle; }

void TCustomForm::CMVisibleChanged(TMessage& Message) {
  if (FVisible) PlaceOnFirstShow();
  TWinControl::CMVisibleChanged(Message);
  if (FVisible)
    DoShow();
  else
    DoHide();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  const bool isMain = Application->MainForm() == this;
  TCloseAction action = isMain ? caFree : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (isMain) {
    Application->Terminate();
  } else if (action == caFree) {
    Release();
  } else {
    Hide();
  }
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) FModalResult = mrNone;
}

int TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  FModal = true;
  FModalResult = mrNone;
  std::vector<HWND> disabled;
  for (HWND h : TopLevelWindows()) {
    if ((FHandle && h == FHandle) || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    EnableWindow(h, FALSE);
    disabled.push_back(h);
  }
  struct Restore {
    TCustomForm* Form;
    std::vector<HWND>& Windows;
    ~Restore() {
      for (HWND h : Windows)
        if (IsWindow(h)) EnableWindow(h, TRUE);
      Form->FModal = false;
      Form->Hide();
    }
  } restore{this, disabled};
  Show();
  for (;;) {
    Application->HandleMessage();
    if (Application->Terminated() || Application->Starved()) {
      if (FModalResult == mrNone) FModalResult = mrCancel;
    }
    if (FModalResult != mrNone) {
      CloseModal();
      if (FModalResult != mrNone || Application->Terminated() || Application->Starved()) break;
    }
  }
  if (FModalResult == mrNone) FModalResult = mrCancel;
  return FModalResult;
}

void TCustomForm::Release() {
  if (FHandle)
    PostMessageW(FHandle, CM_RELEASE, 0, 0);
  else
    delete this;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == FActiveControl) return;
  if (Control && (!ContainsControl(Control) || !Control->CanFocus()))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FocusControl(Control);
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (Control && FHandle && IsWindowVisible(FHandle) && Control->CanFocus()) {
    ::vx::plat::SetFocus(Control->Handle());
  } else {
    FActiveControl = Control;
  }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == FActiveControl) return true;
  TWinControl* previous = FActiveControl;
  FActiveControl = Control;
  if (previous) previous->Perform(CM_EXIT, 0, 0);
  if (FActiveControl == Control && Control) Control->Perform(CM_ENTER, 0, 0);
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control) {
  if (FActiveControl && Control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
}

void TCustomForm::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::vx::plat::SetFocus(Handle());
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: WMClose(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    default: TWinControl::Dispatch(Message); break;
  }
}

void TCustomForm::WMSize(TMessage& Message) {
  TWinControl::WMSize(Message);
  if (!IsLoading()) Resize();
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMActivate(TMessage& Message) {
  if (Message.WParam == 0) {
    if (OnDeactivate) OnDeactivate(this);
    return;
  }
  // The focus goes back to the active control, else to the first control
  // that takes part in tabbing, else to the form.
  TWinControl* target = FActiveControl && FActiveControl->CanFocus() ? FActiveControl : FindNextControl(nullptr, true, true);
  const HWND focus = GetFocus();
  if (!(focus && GetAncestor(focus, GA_ROOT) == FHandle)) {
    if (target)
      ::vx::plat::SetFocus(target->Handle());
    else
      ::vx::plat::SetFocus(FHandle);
  }
  if (OnActivate) OnActivate(this);
}

namespace {

// Offers a dialog key to every control of the tree until one takes it.
bool OfferDialogKey(TWinControl& parent, TMessage& Message) {
  for (std::int32_t i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    c->WndProc(Message);
    if (Message.Result != 0) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferDialogKey(*w, Message)) return true;
  }
  return false;
}

}  // namespace

void TCustomForm::CMDialogKey(TMessage& Message) {
  const auto key = static_cast<std::uint16_t>(Message.WParam);
  if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
    SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
    Message.Result = 1;
    return;
  }
  Message.Result = 0;
  OfferDialogKey(*this, Message);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

}  // namespace vx::plat
