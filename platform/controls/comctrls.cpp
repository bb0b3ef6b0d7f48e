#include "platform/controls/comctrls.h"

#include <algorithm>

#include "platform/controls/ui_paint.h"

namespace vx::plat {

VX_DEFINE_CLASS(TProgressBar, TCustomControl)
VX_DEFINE_CLASS(TActivityLabel, TLabel)
VX_PUBLISH(TProgressBar)

// --- TProgressBar -------------------------------------------------------------------

void TProgressBar::RegisterProperties(TPropertyRegistry<TProgressBar>& r) {
  PublishAlign(r);
  r.Integer("BarColor", &TProgressBar::BarColor, &TProgressBar::SetBarColor, clHighlight);
  // Max before Min and Position, so that a stored range above 100 is in
  // place when the position is read.
  r.Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax, 100);
  r.Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin, 0);
  r.Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition, 0);
  r.Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep, 1);
  PublishEnabledVisible(r);
  PublishHints(r);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csOpaque};
  FWidth = 150;
  FHeight = 16;
  FColor = clBtnFace;
  FParentColor = false;
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TProgressBar::Clamp() { FPosition = std::clamp(FPosition, FMin, FMax); }

void TProgressBar::SetMin(std::int32_t Value) {
  FMin = Value;
  FMax = std::max(FMax, FMin);
  Clamp();
  Invalidate();
}

void TProgressBar::SetMax(std::int32_t Value) {
  FMax = Value;
  FMin = std::min(FMin, FMax);
  Clamp();
  Invalidate();
}

void TProgressBar::SetPosition(std::int32_t Value) {
  const std::int32_t old = FPosition;
  FPosition = Value;
  Clamp();
  if (FPosition != old) Invalidate();
}

void TProgressBar::StepBy(std::int32_t Delta) {
  // In 64 bits: Position + Delta must not overflow before it is clamped.
  const std::int64_t target = static_cast<std::int64_t>(FPosition) + Delta;
  SetPosition(static_cast<std::int32_t>(std::clamp<std::int64_t>(target, FMin, FMax)));
}

void TProgressBar::SetBarColor(TColor Value) {
  if (Value == FBarColor) return;
  FBarColor = Value;
  Invalidate();
}

std::int32_t TProgressBar::FilledWidth() const {
  const std::int64_t range = static_cast<std::int64_t>(FMax) - FMin;
  if (range <= 0) return 0;
  const std::int64_t done = static_cast<std::int64_t>(FPosition) - FMin;
  return static_cast<std::int32_t>(ClientWidth() * done / range);
}

void TProgressBar::Paint() {
  const HDC dc = Canvas().GetHandle();
  const TRect r = ClientRect();
  const std::int32_t filled = FilledWidth();
  ui::FillSolid(dc, TRect{r.Left, r.Top, r.Left + filled, r.Bottom}, FEnabled ? FBarColor : clBtnShadow);
  ui::FillSolid(dc, TRect{r.Left + filled, r.Top, r.Right, r.Bottom}, FColor);
}

// --- TActivityLabel -----------------------------------------------------------------

void TActivityLabel::CMTextChanged(TMessage& Message) {
  TLabel::CMTextChanged(Message);
  // The caller is busy and will not return to the message loop soon.
  Update();
}

}  // namespace vx::plat
