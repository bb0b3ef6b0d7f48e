// Control canvases and the contexts they hold between loop turns.
#include "platform/controls/control_canvas.h"

#include <algorithm>
#include <vector>

#include "platform/controls/control.h"

namespace vx::plat {

VX_DEFINE_CLASS(TControlCanvas, TCanvas)

namespace {

// The canvases holding a context they acquired on demand.
std::vector<TControlCanvas*>& Holders() {
  static auto* holders = new std::vector<TControlCanvas*>();
  return *holders;
}

}  // namespace

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* AControl) {
  if (AControl == FControl) return;
  FreeHandle();
  FControl = AControl;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  ReleaseAcquired();
  HWND window = nullptr;
  const HDC dc = FControl->GetDeviceContext(window);
  if (!dc) return;
  FDeviceContext = dc;
  FWindowHandle = window;
  Holders().push_back(this);
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  SetHandle(nullptr);
  ReleaseAcquired();
}

void TControlCanvas::ReleaseAcquired() {
  if (!FDeviceContext) return;
  if (HandleAllocated()) SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
  auto& holders = Holders();
  holders.erase(std::remove(holders.begin(), holders.end(), this), holders.end());
}

void FreeDeviceContexts() {
  for (TControlCanvas* c : std::vector<TControlCanvas*>(Holders())) c->FreeHandle();
}

void FreeDeviceContexts(HWND window) {
  for (TControlCanvas* c : std::vector<TControlCanvas*>(Holders()))
    if (c->WindowHandle() == window) c->FreeHandle();
}

}  // namespace vx::plat
