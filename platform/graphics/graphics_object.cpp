#include "platform/graphics/graphics_object.h"

#include <algorithm>
#include <vector>

namespace vx::plat {

VX_DEFINE_CLASS(TGraphicsObject, TPersistent)

namespace {

// Objects that were still selected somewhere when their owner let them go.
std::vector<HGDIOBJ>& PendingDeletes() {
  static std::vector<HGDIOBJ> pending;
  return pending;
}

// Frees what can be freed now; forgets handles that died meanwhile.
void RetryPendingDeletes() {
  auto& pending = PendingDeletes();
  std::erase_if(pending, [](HGDIOBJ h) { return DeleteObject(h) != FALSE || GetObjectType(h) == 0; });
}

}  // namespace

void ReleaseGdiObject(HGDIOBJ object) {
  RetryPendingDeletes();
  if (!object) return;
  if (DeleteObject(object) == FALSE && GetObjectType(object) != 0) PendingDeletes().push_back(object);
}

TGraphicsObject::~TGraphicsObject() { ReleaseGdiObject(FHandle); }

void TGraphicsObject::Changed() {
  HGDIOBJ old = FHandle;
  FHandle = nullptr;
  // A throwing listener must not leak the old handle.
  struct Release {
    HGDIOBJ h;
    ~Release() { ReleaseGdiObject(h); }
  } release{old};
  if (OnChange) OnChange(this);
}

HGDIOBJ TGraphicsObject::CachedHandle() const {
  if (!FHandle) FHandle = CreateHandle();
  return FHandle;
}

}  // namespace vx::plat
