// TControlCanvas: a canvas bound to a control. Outside painting it acquires
// the control's device context on demand through the control's
// GetDeviceContext hook (so a descendant's mapping applies) and keeps it
// until the next turn of the message loop, which frees every such context
// (FreeDeviceContexts); during painting the paint handler hands it the
// paint context instead.
#pragma once

#include "platform/controls/winuser.h"
#include "platform/graphics/canvas.h"

namespace vx::plat {

class TControl;

class TControlCanvas : public TCanvas {
  VX_DECLARE_CLASS(TControlCanvas)
public:
  TControlCanvas() = default;
  // Releases the context it acquired.
  ~TControlCanvas() override;

  TControl* Control() const { return FControl; }
  // Binds the canvas to a control (releasing the context of the previous one).
  void SetControl(TControl* AControl);
  // Lets the context go and releases it when the canvas acquired it itself.
  void FreeHandle() override;
  // The window whose context the canvas acquired (nullptr when none).
  HWND WindowHandle() const { return FWindowHandle; }

protected:
  // Acquires the control's context through Control()->GetDeviceContext.
  void CreateHandle() override;

private:
  void ReleaseAcquired();

  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
};

// Frees the contexts every control canvas acquired on demand (the message
// loop calls it on each turn).
void FreeDeviceContexts();
// Frees those acquired for one window (before it paints or is destroyed).
void FreeDeviceContexts(HWND window);

}  // namespace vx::plat
