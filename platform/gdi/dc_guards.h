// Small RAII guards for device-context state, so that a routine restores what
// it changed on every path, exceptions included.
#pragma once

#include "platform/gdi/gdi.h"

namespace vx::plat {

// Saves a device context's whole state now and restores it at scope end.
class SavedDC {
public:
  explicit SavedDC(HDC dc) : FDC(dc), FLevel(SaveDC(dc)) {}
  ~SavedDC() {
    if (FLevel) RestoreDC(FDC, FLevel);
  }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC FDC;
  int FLevel;
};

}  // namespace vx::plat
