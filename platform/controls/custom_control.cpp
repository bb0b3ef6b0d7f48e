// Controls that paint themselves.
#include "platform/controls/custom_control.h"

namespace vx::plat {

VX_DEFINE_CLASS(TGraphicControl, TControl)
VX_DEFINE_CLASS(TCustomControl, TWinControl)

namespace {

// Binds a canvas to a paint context for one Paint, whatever Paint throws.
class PaintBinding {
public:
  PaintBinding(TCanvas& canvas, HDC dc) : FCanvas(canvas) {
    FCanvas.Lock();
    FCanvas.SetHandle(dc);
  }
  ~PaintBinding() {
    FCanvas.SetHandle(nullptr);
    FCanvas.Unlock();
  }
  PaintBinding(const PaintBinding&) = delete;
  PaintBinding& operator=(const PaintBinding&) = delete;

private:
  TCanvas& FCanvas;
};

}  // namespace

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas->SetControl(nullptr); }

void TGraphicControl::WMPaint(TMessage& Message) {
  const HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc || ComponentState().Contains(csDestroying)) return;
  FCanvas->FreeHandle();
  PaintBinding binding(*FCanvas, dc);
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { FCanvas->SetControl(nullptr); }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  PaintBinding binding(*FCanvas, DC);
  Paint();
}

}  // namespace vx::plat
