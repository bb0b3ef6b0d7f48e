// TApplication: the message loop of the program (Run, ProcessMessages,
// HandleMessage, Terminate), idle handling, the forms it creates and owns,
// the main form, the executable's name and the handling of exceptions that
// escape message handlers.
#pragma once

#include <string>

#include "platform/controls/winuser.h"
#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/exceptions.h"

namespace vx::plat {

class TCustomForm;

using TExceptionEvent = TEvent<void(TObject* Sender, Exception& E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
  VX_DECLARE_CLASS(TApplication)
public:
  explicit TApplication(TComponent* AOwner);

  // Shows the main form and runs the message loop until Terminate (or until
  // closing the main form). On the headless host the loop also ends when
  // nothing can happen any more (no input, timers or idle script).
  void Run();
  // Handles every waiting message, then returns (the loop turn tools use so
  // that repaints and a button release are handled during their work).
  void ProcessMessages();
  // Handles one message, or idles (OnIdle) and waits when there is none.
  void HandleMessage();
  // Ends Run (posts WM_QUIT).
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Whether the last wait found that nothing can happen any more (headless).
  bool Starved() const { return FStarved; }

  // Creates a form owned by the application; the first one becomes the main
  // form. OnCreate fires once the form is complete.
  template <class T>
  T* CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    FormCreated(form);
    return form;
  }
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* Form) { FMainForm = Form; }
  // Whether Run shows the main form (true).
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }

  // The full path of the executable.
  String ExeName() const;
  // The title of the application (the executable's name without folder and extension).
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }

  // Call inside a catch block: EAbort is ignored; any other exception goes
  // to OnException when assigned, else to ShowException.
  void HandleException(TObject* Sender);
  // Shows the exception's message to the user (through the host).
  void ShowException(const Exception& E);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool ProcessMessage(MSG& Msg);
  void Idle();
  bool IsKeyMsg(const MSG& Msg);
  void FormCreated(TCustomForm* Form);

  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FStarved = false;
  bool FShowMainForm = true;
  String FTitle;
};

// The application object (never freed).
extern TApplication* const Application;

// Application->ProcessMessages() for hosts.
void ProcessPendingMessages();

}  // namespace vx::plat
