// The common base of pens, brushes and fonts: attribute holders that tell
// their owner about every change and make a device handle only when asked.
#pragma once

#include "platform/core/events.h"
#include "platform/core/persistent.h"
#include "platform/gdi/gdi.h"

namespace vx::plat {

template <class T>
class TPropertyRegistry;  // platform/core/properties.h

// A pen, brush or font. Every attribute change fires OnChange (Sender = the
// object) after the cached device handle has been dropped, so a listener that
// reads Handle gets one made from the new attributes.
class TGraphicsObject : public TPersistent {
  VX_DECLARE_CLASS(TGraphicsObject)
public:
  TGraphicsObject() = default;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;
  ~TGraphicsObject() override;

  // Fired after every attribute change and after every Assign (even one that
  // copies equal values: an owner such as a canvas then realises the object again).
  TNotifyEvent OnChange;

  // True while a device handle made from the current attributes exists.
  bool HandleAllocated() const { return FHandle != nullptr; }

protected:
  // Drops the handle and fires OnChange; the old handle is freed after the
  // listeners ran, so a canvas can deselect it first.
  void Changed();
  // The cached handle, made by CreateHandle on first use.
  HGDIOBJ CachedHandle() const;
  // Makes a device object from the current attributes (never nullptr).
  virtual HGDIOBJ CreateHandle() const = 0;

private:
  mutable HGDIOBJ FHandle = nullptr;
};

// Frees a pen, brush, font, bitmap or region. One that is still selected into
// some device context cannot be freed now; it is kept and freed by a later
// call once it is no longer selected (or its context was deleted), so nothing leaks.
void ReleaseGdiObject(HGDIOBJ object);

}  // namespace vx::plat
