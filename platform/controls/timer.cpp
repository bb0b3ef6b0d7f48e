// Timers.
#include "platform/controls/timer.h"

#include "platform/controls/application.h"

namespace vx::plat {

VX_DEFINE_CLASS(TTimer, TComponent)
VX_PUBLISH(TTimer)

void TTimer::RegisterProperties(TPropertyRegistry<TTimer>& r) {
  r.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
  r.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, std::uint32_t{1000});
  r.Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  if (FTimerId) KillTimer(nullptr, FTimerId);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FTimerId) KillTimer(nullptr, FTimerId);
  FTimerId = 0;
  if (FInterval == 0 || !FEnabled || !FOnTimer || IsLoading() || IsDesigning()) return;
  FTimerId = SetTimerCallback(FInterval, [this] { Timer(); });
}

void TTimer::Timer() {
  try {
    if (FOnTimer) FOnTimer(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

}  // namespace vx::plat
