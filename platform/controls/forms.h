// Forms: top-level windows that host controls. A form is shown modeless
// (Show) or modal (ShowModal runs a nested message loop until ModalResult is
// set), closes through Close (OnCloseQuery, OnClose), keeps track of the
// control that has the focus (ActiveControl, OnEnter/OnExit of its
// controls) and handles the dialog keys (Tab moves the focus; Return and
// Escape go to the default and cancel buttons).
#pragma once

#include <cstdint>

#include "platform/controls/control.h"

namespace vx::plat {

// What closing a form does.
enum TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// Where a form appears when first shown.
enum TPosition : std::uint8_t { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
  VX_DECLARE_CLASS(TCustomForm)
public:
  // A hidden form (400 x 300, clBtnFace) at the top-left of the screen.
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Fires OnCreate; Application->CreateForm calls it once the form is
  // complete (call it yourself after building a form with new).
  void AfterConstruction();

  // Makes the form visible and active.
  void Show();
  void Hide() { SetVisible(false); }
  // Closes the form: a modal form ends its loop with mrCancel; otherwise
  // CloseQuery decides, OnClose may change the action (caHide by default,
  // and closing the main form ends the application).
  void Close();
  // Shows the form and runs the message loop until ModalResult is set (or
  // the application terminates, or a headless run has nothing left to do:
  // mrCancel); other forms are disabled meanwhile. Raises EInvalidOperation
  // for a form that is visible already.
  int ShowModal();
  // Frees the form once the message that is being handled is done.
  void Release();
  // Fires OnCloseQuery; true when the form may close.
  virtual bool CloseQuery();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }
  // Whether the form is the active window.
  bool Active() const;
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }

  // The control that has (or gets, when the form is activated) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // Gives the focus to a control of the form (remembered until the form shows).
  void FocusControl(TWinControl* Control);
  // A control of the form got the focus: fires OnExit of the previous and
  // OnEnter of the new active control.
  bool SetFocusedControl(TWinControl* Control);
  // A control leaves or is destroyed: the form forgets it as the active control.
  void DefocusControl(TWinControl* Control);
  void SetFocus() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  bool IsTopLevel() const override { return true; }
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  virtual void WMClose(TMessage& Message);
  virtual void WMActivate(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);

private:
  void CloseModal();
  void PlaceOnFirstShow();

  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FShownOnce = false;
  TPosition FPosition = poDesigned;
  TWinControl* FActiveControl = nullptr;
};

// The form class of applications: publishes its caption, colour, font,
// client size, position and events.
class TForm : public TCustomForm {
  VX_DECLARE_CLASS(TForm)
public:
  static void RegisterProperties(TPropertyRegistry<TForm>& r);
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

}  // namespace vx::plat
