// Time, beeps, system metrics and MulDiv.
#include <cstdlib>
#include <limits>

#include "platform/controls/window_private.h"
#include "platform/host/host.h"

namespace vx::plat {

DWORD GetTickCount() { return Host().TickCount(); }

BOOL MessageBeep(UINT type) {
  wm::S().Beeps.push_back(type);
  Host().Beep(type);
  return TRUE;
}

std::vector<UINT> RecordedBeeps() { return wm::S().Beeps; }

void ClearRecordedBeeps() { wm::S().Beeps.clear(); }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return Host().ScreenSize().cx;
    case SM_CYSCREEN: return Host().ScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return kScrollBarThickness;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return kDoubleClickDistance;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    default: return 0;
  }
}

UINT GetDoubleClickTime() { return kDoubleClickTime; }

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = std::int64_t{number} * numerator;
  std::int64_t q = product / denominator;
  const std::int64_t r = product % denominator;
  // Halves round away from zero.
  if (2 * std::llabs(r) >= std::llabs(std::int64_t{denominator})) q += ((product < 0) != (denominator < 0)) ? -1 : 1;
  if (q < std::numeric_limits<int>::min() || q > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(q);
}

}  // namespace vx::plat
