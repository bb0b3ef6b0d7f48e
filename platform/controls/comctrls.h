// Progress display: TProgressBar (a bar filled in proportion to Position
// within Min..Max) and TActivityLabel (a label that repaints at once when its
// caption changes, so that the text shows during long work that does not
// return to the message loop).
#pragma once

#include <cstdint>

#include "platform/controls/custom_control.h"
#include "platform/controls/stdctrls.h"

namespace vx::plat {

class TProgressBar : public TCustomControl {
  VX_DECLARE_CLASS(TProgressBar)
public:
  // Publishes Min, Max, Position, Step, BarColor and the common properties.
  static void RegisterProperties(TPropertyRegistry<TProgressBar>& r);
  // 150 x 16, Min 0, Max 100, Position 0, Step 1.
  explicit TProgressBar(TComponent* AOwner);

  // The range; setting Min above Max (Max below Min) moves the other end along.
  std::int32_t Min() const { return FMin; }
  void SetMin(std::int32_t Value);
  std::int32_t Max() const { return FMax; }
  void SetMax(std::int32_t Value);
  // Where the bar stands, always kept within Min..Max.
  std::int32_t Position() const { return FPosition; }
  void SetPosition(std::int32_t Value);
  // How far StepIt advances. It is 1 by default, so that "advance by one
  // step" and "advance by one" agree for callers that count single items.
  std::int32_t Step() const { return FStep; }
  void SetStep(std::int32_t Value) { FStep = Value; }
  // Advances Position by Step. The bar stops at Max rather than starting over
  // from Min, so an over-counted task never looks as if it restarted.
  void StepIt() { StepBy(FStep); }
  // Advances Position by Delta (negative goes back), within Min..Max.
  void StepBy(std::int32_t Delta);
  // The colour of the filled part (clHighlight by default).
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor Value);
  // The client-area width the filled part covers now.
  std::int32_t FilledWidth() const;

protected:
  void Paint() override;
  void CreateParams(TCreateParams& Params) override;

private:
  void Clamp();

  std::int32_t FMin = 0;
  std::int32_t FMax = 100;
  std::int32_t FPosition = 0;
  std::int32_t FStep = 1;
  TColor FBarColor = clHighlight;
};

// A label showing the current activity ("Loading...", "Saving..."): every
// caption change is painted before SetCaption returns.
class TActivityLabel : public TLabel {
  VX_DECLARE_CLASS(TActivityLabel)
public:
  explicit TActivityLabel(TComponent* AOwner) : TLabel(AOwner) {}

protected:
  void CMTextChanged(TMessage& Message) override;
};

}  // namespace vx::plat
