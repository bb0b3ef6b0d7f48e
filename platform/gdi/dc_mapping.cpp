// Mapping modes: window and viewport origins and extents, and the
// logical <-> device conversion. Every conversion rounds to the nearest
// integer with halves away from zero and is computed in 128-bit integers, so
// no Int32 input can overflow it.
#include <cstdlib>
#include <limits>

#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {

namespace {
constexpr std::int64_t kInt64Guard = std::int64_t{1} << 62;

std::int64_t Clamp64(Int128 v) {
  if (v > kInt64Guard) return kInt64Guard;
  if (v < -kInt64Guard) return -kInt64Guard;
  return static_cast<std::int64_t>(v);
}

std::int64_t Sign(std::int64_t v) { return v < 0 ? -1 : 1; }
}  // namespace

std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;  // callers never pass 0; defined anyway
  Int128 n = static_cast<Int128>(a) * b;
  Int128 d = c;
  const bool negative = (n < 0) != (d < 0);
  if (n < 0) n = -n;
  if (d < 0) d = -d;
  const Int128 q = (2 * n + d) / (2 * d);  // halves away from zero
  return Clamp64(negative ? -q : q);
}

std::int32_t Saturate32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

DPoint ToDevice(const DcState& s, TPoint p) {
  return DPoint{
      MulDivRound(std::int64_t{p.x} - s.WindowOrg.x, s.ViewportExt.cx, s.WindowExt.cx) + s.ViewportOrg.x,
      MulDivRound(std::int64_t{p.y} - s.WindowOrg.y, s.ViewportExt.cy, s.WindowExt.cy) + s.ViewportOrg.y};
}

TPoint ToLogical(const DcState& s, std::int64_t x, std::int64_t y) {
  return TPoint{Saturate32(MulDivRound(x - s.ViewportOrg.x, s.WindowExt.cx, s.ViewportExt.cx) + s.WindowOrg.x),
                Saturate32(MulDivRound(y - s.ViewportOrg.y, s.WindowExt.cy, s.ViewportExt.cy) + s.WindowOrg.y)};
}

std::int64_t LengthToDeviceX(const DcState& s, std::int64_t len) {
  return std::llabs(MulDivRound(len, s.ViewportExt.cx, s.WindowExt.cx));
}
std::int64_t LengthToDeviceY(const DcState& s, std::int64_t len) {
  return std::llabs(MulDivRound(len, s.ViewportExt.cy, s.WindowExt.cy));
}
std::int64_t LengthToLogicalX(const DcState& s, std::int64_t len) {
  return std::llabs(MulDivRound(len, s.WindowExt.cx, s.ViewportExt.cx));
}
std::int64_t LengthToLogicalY(const DcState& s, std::int64_t len) {
  return std::llabs(MulDivRound(len, s.WindowExt.cy, s.ViewportExt.cy));
}

TRect RectToDevice(const DcState& s, const TRect& r) {
  const DPoint a = ToDevice(s, TPoint{r.Left, r.Top});
  const DPoint b = ToDevice(s, TPoint{r.Right, r.Bottom});
  return TRect{Saturate32(std::min(a.x, b.x)), Saturate32(std::min(a.y, b.y)), Saturate32(std::max(a.x, b.x)),
               Saturate32(std::max(a.y, b.y))};
}

void ApplyFixedModeExtents(const Dc& dc, DcState& s) {
  const std::int64_t mmX = GetDeviceCaps(reinterpret_cast<HDC>(dc.Handle), HORZSIZE);
  const std::int64_t mmY = GetDeviceCaps(reinterpret_cast<HDC>(dc.Handle), VERTSIZE);
  const std::int64_t resX = GetDeviceCaps(reinterpret_cast<HDC>(dc.Handle), HORZRES);
  const std::int64_t resY = GetDeviceCaps(reinterpret_cast<HDC>(dc.Handle), VERTRES);
  // Units per millimetre as a fraction num / den.
  std::int64_t num = 1, den = 1;
  switch (s.MapMode) {
    case MM_LOMETRIC: num = 10; break;
    case MM_HIMETRIC: num = 100; break;
    case MM_LOENGLISH: num = 1000; den = 254; break;
    case MM_HIENGLISH: num = 10000; den = 254; break;
    case MM_TWIPS: num = 14400; den = 254; break;
    case MM_ISOTROPIC: num = 10; break;  // starts from the 0.1 mm extents
    default:
      s.WindowExt = TSize{1, 1};
      s.ViewportExt = TSize{1, 1};
      return;
  }
  auto positive = [](std::int64_t v) { return Saturate32(v < 1 ? 1 : v); };
  s.WindowExt = TSize{positive(MulDivRound(mmX, num, den)), positive(MulDivRound(mmY, num, den))};
  s.ViewportExt = TSize{positive(resX), -positive(resY)};  // y grows upwards
}

void AdjustIsotropic(DcState& s) {
  if (s.MapMode != MM_ISOTROPIC) return;
  const std::int64_t vx = std::llabs(s.ViewportExt.cx), vy = std::llabs(s.ViewportExt.cy);
  const std::int64_t wx = std::llabs(s.WindowExt.cx), wy = std::llabs(s.WindowExt.cy);
  // Compare the scales vx/wx and vy/wy; the larger one shrinks to the smaller.
  const Int128 xs = static_cast<Int128>(vx) * wy, ys = static_cast<Int128>(vy) * wx;
  if (xs > ys) {
    const std::int64_t nx = std::max<std::int64_t>(1, MulDivRound(wx, vy, wy));
    s.ViewportExt.cx = Saturate32(Sign(s.ViewportExt.cx) * nx);
  } else if (ys > xs) {
    const std::int64_t ny = std::max<std::int64_t>(1, MulDivRound(wy, vx, wx));
    s.ViewportExt.cy = Saturate32(Sign(s.ViewportExt.cy) * ny);
  }
}

}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

namespace {
bool Scalable(const DcState& s) { return s.MapMode == MM_ISOTROPIC || s.MapMode == MM_ANISOTROPIC; }
}  // namespace

int SetMapMode(HDC dcHandle, int mode) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  if (dc->Recorder) dc->Recorder->SetMapMode(mode);
  DcState& s = dc->State;
  const int previous = s.MapMode;
  if (mode == previous) return previous;
  s.MapMode = mode;
  // Anisotropic keeps the extents of the mode before it; the others set their own.
  if (mode != MM_ANISOTROPIC) ApplyFixedModeExtents(*dc, s);
  AdjustIsotropic(s);
  return previous;
}

int GetMapMode(HDC dcHandle) {
  Dc* dc = FindDc(dcHandle);
  return dc ? dc->State.MapMode : 0;
}

int SetGraphicsMode(HDC dcHandle, int mode) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || mode != GM_COMPATIBLE) return 0;
  const int previous = dc->State.GraphicsMode;
  dc->State.GraphicsMode = mode;
  return previous;
}

int GetGraphicsMode(HDC dcHandle) {
  Dc* dc = FindDc(dcHandle);
  return dc ? dc->State.GraphicsMode : 0;
}

BOOL SetWindowOrgEx(HDC dcHandle, int x, int y, POINT* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->SetWindowOrgEx(x, y);
  if (previous) *previous = dc->State.WindowOrg;
  dc->State.WindowOrg = TPoint{x, y};
  return TRUE;
}

BOOL GetWindowOrgEx(HDC dcHandle, POINT* origin) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !origin) return FALSE;
  *origin = dc->State.WindowOrg;
  return TRUE;
}

BOOL OffsetWindowOrgEx(HDC dcHandle, int dx, int dy, POINT* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->OffsetWindowOrgEx(dx, dy);
  TPoint& o = dc->State.WindowOrg;
  if (previous) *previous = o;
  o = TPoint{Saturate32(std::int64_t{o.x} + dx), Saturate32(std::int64_t{o.y} + dy)};
  return TRUE;
}

BOOL SetWindowExtEx(HDC dcHandle, int cx, int cy, SIZE* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->State.WindowExt;
  if (!Scalable(dc->State)) return TRUE;
  if (cx == 0 || cy == 0) return FALSE;
  if (dc->Recorder) dc->Recorder->SetWindowExtEx(cx, cy);
  dc->State.WindowExt = TSize{cx, cy};
  AdjustIsotropic(dc->State);
  return TRUE;
}

BOOL GetWindowExtEx(HDC dcHandle, SIZE* extent) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !extent) return FALSE;
  *extent = dc->State.WindowExt;
  return TRUE;
}

BOOL SetViewportOrgEx(HDC dcHandle, int x, int y, POINT* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->SetViewportOrgEx(x, y);
  if (previous) *previous = dc->State.ViewportOrg;
  dc->State.ViewportOrg = TPoint{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC dcHandle, POINT* origin) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !origin) return FALSE;
  *origin = dc->State.ViewportOrg;
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dcHandle, int dx, int dy, POINT* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->OffsetViewportOrgEx(dx, dy);
  TPoint& o = dc->State.ViewportOrg;
  if (previous) *previous = o;
  o = TPoint{Saturate32(std::int64_t{o.x} + dx), Saturate32(std::int64_t{o.y} + dy)};
  return TRUE;
}

BOOL SetViewportExtEx(HDC dcHandle, int cx, int cy, SIZE* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->State.ViewportExt;
  if (!Scalable(dc->State)) return TRUE;
  if (cx == 0 || cy == 0) return FALSE;
  if (dc->Recorder) dc->Recorder->SetViewportExtEx(cx, cy);
  dc->State.ViewportExt = TSize{cx, cy};
  AdjustIsotropic(dc->State);
  return TRUE;
}

BOOL GetViewportExtEx(HDC dcHandle, SIZE* extent) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !extent) return FALSE;
  *extent = dc->State.ViewportExt;
  return TRUE;
}

namespace {
// extent * num / denom, refused (false) when a denominator or the result is 0.
bool ScaleExtent(TSize& extent, int xNum, int xDenom, int yNum, int yDenom) {
  if (xDenom == 0 || yDenom == 0) return false;
  const std::int64_t cx = MulDivRound(extent.cx, xNum, xDenom);
  const std::int64_t cy = MulDivRound(extent.cy, yNum, yDenom);
  if (cx == 0 || cy == 0) return false;
  extent = TSize{Saturate32(cx), Saturate32(cy)};
  return true;
}
}  // namespace

BOOL ScaleViewportExtEx(HDC dcHandle, int xNum, int xDenom, int yNum, int yDenom, SIZE* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->State.ViewportExt;
  if (!Scalable(dc->State)) return TRUE;
  TSize next = dc->State.ViewportExt;
  if (!ScaleExtent(next, xNum, xDenom, yNum, yDenom)) return FALSE;
  if (dc->Recorder) dc->Recorder->ScaleViewportExtEx(xNum, xDenom, yNum, yDenom);
  dc->State.ViewportExt = next;
  AdjustIsotropic(dc->State);
  return TRUE;
}

BOOL ScaleWindowExtEx(HDC dcHandle, int xNum, int xDenom, int yNum, int yDenom, SIZE* previous) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->State.WindowExt;
  if (!Scalable(dc->State)) return TRUE;
  TSize next = dc->State.WindowExt;
  if (!ScaleExtent(next, xNum, xDenom, yNum, yDenom)) return FALSE;
  if (dc->Recorder) dc->Recorder->ScaleWindowExtEx(xNum, xDenom, yNum, yDenom);
  dc->State.WindowExt = next;
  AdjustIsotropic(dc->State);
  return TRUE;
}

BOOL LPtoDP(HDC dcHandle, POINT* points, int count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || count < 0 || (count > 0 && !points)) return FALSE;
  for (int i = 0; i < count; ++i) {
    const DPoint d = ToDevice(dc->State, points[i]);
    points[i] = TPoint{Saturate32(d.x), Saturate32(d.y)};
  }
  return TRUE;
}

BOOL DPtoLP(HDC dcHandle, POINT* points, int count) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || count < 0 || (count > 0 && !points)) return FALSE;
  for (int i = 0; i < count; ++i) points[i] = ToLogical(dc->State, points[i].x, points[i].y);
  return TRUE;
}

}  // namespace vx::plat
