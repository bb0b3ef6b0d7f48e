// The application object and its message loop.
#include "platform/controls/application.h"

#include <unistd.h>

#include <climits>
#include <exception>

#include "platform/controls/control.h"
#include "platform/controls/control_canvas.h"
#include "platform/controls/forms.h"
#include "platform/host/host.h"

namespace vx::plat {

VX_DEFINE_CLASS(TApplication, TComponent)

TApplication* const Application = new TApplication(nullptr);

namespace {

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

String TitleFromPath(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  return Utf8ToString(name);
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FTitle(TitleFromPath(ExecutablePath())) {}

String TApplication::ExeName() const { return Utf8ToString(ExecutablePath()); }

void TApplication::FormCreated(TCustomForm* Form) {
  if (!FMainForm) FMainForm = Form;
  Form->AfterConstruction();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

bool TApplication::IsKeyMsg(const MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  TWinControl* control = FindControl(Msg.hwnd);
  if (!control) return false;
  return control->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  // Contexts that canvases took on demand live until the next turn of the
  // loop and are freed here: code outside messages (a test calling a tool
  // directly) still draws on a prepared, mapped context.
  FreeDeviceContexts();
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  FStarved = false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  try {
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (!handled && !IsKeyMsg(Msg)) {
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::Idle() {
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
  } catch (...) {
    HandleException(this);
  }
  if (done && !WaitMessage()) FStarved = true;
}

void TApplication::HandleMessage() {
  FStarved = false;
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::Run() {
  FTerminated = false;
  if (FMainForm && FShowMainForm) FMainForm->Show();
  while (!FTerminated) {
    HandleMessage();
    if (FStarved) break;
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject* Sender) {
  if (!std::current_exception()) return;
  try {
    throw;
  } catch (EAbort&) {
    // The silent abort is never shown.
  } catch (Exception& e) {
    if (OnException)
      OnException(Sender, e);
    else
      ShowException(e);
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    if (OnException)
      OnException(Sender, wrapped);
    else
      ShowException(wrapped);
  } catch (...) {
    Exception wrapped("Unknown error");
    if (OnException)
      OnException(Sender, wrapped);
    else
      ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& E) { Host().ShowMessage(FTitle, Utf8ToString(E.Message())); }

void ProcessPendingMessages() { Application->ProcessMessages(); }

}  // namespace vx::plat
