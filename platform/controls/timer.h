// TTimer: a component that fires OnTimer every Interval milliseconds while
// Enabled (and while OnTimer is assigned), through the message loop.
#pragma once

#include <cstdint>

#include "platform/controls/winuser.h"
#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/properties.h"

namespace vx::plat {

class TTimer : public TComponent {
  VX_DECLARE_CLASS(TTimer)
public:
  // Publishes Enabled (true), Interval (1000) and OnTimer.
  static void RegisterProperties(TPropertyRegistry<TTimer>& r);

  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds between two OnTimer (0 stops the timer).
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

protected:
  // Fires OnTimer; an exception goes to the application's handling.
  virtual void Timer();
  void Loaded() override;

private:
  void UpdateTimer();

  bool FEnabled = true;
  std::uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  UINT_PTR FTimerId = 0;
};

}  // namespace vx::plat
