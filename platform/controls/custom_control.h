// Controls that paint themselves on a canvas: TGraphicControl (no window of
// its own: it paints into its parent's pixels and receives its mouse
// messages through the parent) and TCustomControl (a windowed control).
// Both call Paint with their canvas bound to the paint context.
#pragma once

#include <memory>

#include "platform/controls/control.h"
#include "platform/controls/control_canvas.h"

namespace vx::plat {

class TGraphicControl : public TControl {
  VX_DECLARE_CLASS(TGraphicControl)
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  // The canvas: the paint context during Paint, else the parent's context
  // moved and clipped to this control.
  TCanvas& Canvas() { return *FCanvas; }

protected:
  // Draws the control (client coordinates). Nothing here.
  virtual void Paint() {}
  void WMPaint(TMessage& Message) override;

private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
  VX_DECLARE_CLASS(TCustomControl)
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas& Canvas() { return *FCanvas; }

protected:
  // Draws the control; the canvas is clipped to what needs painting.
  virtual void Paint() {}
  // Binds the canvas to DC around Paint.
  void PaintWindow(HDC DC) override;

private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

}  // namespace vx::plat
