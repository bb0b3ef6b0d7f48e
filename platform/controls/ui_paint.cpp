#include "platform/controls/ui_paint.h"

#include "platform/controls/winuser.h"
#include "platform/gdi/dc_guards.h"

namespace vx::plat::ui {

void FillSolid(HDC dc, const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  const HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Edge(HDC dc, const TRect& r, TColor light, TColor dark) {
  if (r.IsEmpty()) return;
  FillSolid(dc, TRect{r.Left, r.Top, r.Right, r.Top + 1}, light);
  FillSolid(dc, TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, light);
  FillSolid(dc, TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, dark);
  FillSolid(dc, TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, dark);
}

void ButtonEdge(HDC dc, const TRect& r, TBevel bevel) {
  if (bevel == bvRaised) {
    Edge(dc, r, clBtnHighlight, cl3DDkShadow);
    Edge(dc, Inflate(r, -1), cl3DLight, clBtnShadow);
  } else {
    Edge(dc, r, clBtnShadow, clBtnHighlight);
    Edge(dc, Inflate(r, -1), cl3DDkShadow, cl3DLight);
  }
}

TRect Inflate(const TRect& r, int d) { return TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d}; }

void DrawCaption(HDC dc, const String& text, TRect r, const TFont& font, TColor color, unsigned flags) {
  if (text.empty()) return;
  SavedDC saved(dc);
  SelectObject(dc, font.GetHandle());
  SetTextColor(dc, ColorToRGB(color));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

int MeasureTextHeight(HDC dc, const String& text, TRect r, const TFont& font, unsigned flags) {
  SavedDC saved(dc);
  SelectObject(dc, font.GetHandle());
  return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
}

}  // namespace vx::plat::ui
