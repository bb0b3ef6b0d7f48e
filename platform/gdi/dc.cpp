// Device contexts: creation over a raster surface or none, device
// capabilities, the state stack of SaveDC/RestoreDC, and the simple modes
// and colours of the state.
#include <algorithm>
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {

Dc::~Dc() = default;

Surface* Dc::Surf() const {
  if (!Bitmap.Object) return nullptr;
  return static_cast<BitmapObj&>(*Bitmap.Object).Surf.get();
}

TRect Dc::DeviceBounds() const {
  const Surface* s = Surf();
  if (!s) return {};
  TRect r = s->Bounds();
  if (Visible) {
    r.Left = std::max(r.Left, Visible->Left);
    r.Top = std::max(r.Top, Visible->Top);
    r.Right = std::min(r.Right, Visible->Right);
    r.Bottom = std::min(r.Bottom, Visible->Bottom);
  }
  if (r.IsEmpty()) return {};
  return TRect{r.Left - ViewOrigin.x, r.Top - ViewOrigin.y, r.Right - ViewOrigin.x, r.Bottom - ViewOrigin.y};
}

Target TargetOf(const Dc& dc) {
  Target t;
  t.Surf = dc.Surf();
  if (!t.Surf) return t;
  t.Origin = dc.ViewOrigin;
  t.Bounds = dc.DeviceBounds();
  if (!dc.State.Clip || t.Bounds.IsEmpty()) return t;
  const Region& clip = *dc.State.Clip;
  if (clip.Complexity() == RegionComplexity::Complex) {
    t.Clipped = true;
    t.Clip = clip.Spans(t.Bounds);
    t.Bounds = t.Clip.empty() ? TRect{} : SpanBounds(t.Clip);
    return t;
  }
  // A rectangle (or nothing) just narrows the bounds.
  const TRect r = clip.Bounds();
  t.Bounds = TRect{std::max(t.Bounds.Left, r.Left), std::max(t.Bounds.Top, r.Top), std::min(t.Bounds.Right, r.Right),
                   std::min(t.Bounds.Bottom, r.Bottom)};
  if (clip.IsEmpty() || t.Bounds.IsEmpty()) t.Bounds = {};
  return t;
}

namespace {

void InitState(DcState& s) {
  Reselect(s.Pen, Selected{StockObject(BLACK_PEN), FindShared(StockObject(BLACK_PEN))});
  Reselect(s.Brush, Selected{StockObject(WHITE_BRUSH), FindShared(StockObject(WHITE_BRUSH))});
  Reselect(s.Font, Selected{StockObject(SYSTEM_FONT), FindShared(StockObject(SYSTEM_FONT))});
}

HDC Register(std::shared_ptr<Dc> dc) {
  Dc* raw = dc.get();
  const std::uintptr_t handle = AddObject(std::move(dc));
  if (!handle) return nullptr;
  InitState(raw->State);
  return reinterpret_cast<HDC>(handle);
}

bool ValidSize(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
         std::int64_t{width} * height <= kMaxBitmapPixels;
}

// Gives the DC a white surface of its own, selected and deleted with it.
bool GiveOwnSurface(HDC handle, Dc& dc, int width, int height) {
  HBITMAP bitmap = RegisterBitmap(Surface::Make(width, height, 32, 0x00FFFFFF), false);
  if (!bitmap) return false;
  SelectObject(handle, bitmap);
  dc.OwnBitmap = bitmap;
  return true;
}

DeviceDesc ScreenDesc() {
  DeviceDesc d;
  d.Width = 1920;
  d.Height = 1080;
  return d;
}

}  // namespace

}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

HDC CreateCompatibleDC(HDC reference) {
  auto dc = std::make_shared<Dc>();
  dc->ObjectType = OBJ_MEMDC;
  Dc* ref = reference ? FindDc(reference) : nullptr;
  if (reference && !ref) return nullptr;
  dc->Desc = ref ? ref->Desc : ScreenDesc();
  if (dc->Desc.Surface == SurfaceKind::None) dc->Desc.Surface = SurfaceKind::Raster;
  HDC handle = Register(std::move(dc));
  if (handle) SelectObject(handle, StockBitmap());
  return handle;
}

HDC CreateRasterDC(int width, int height) {
  if (!ValidSize(width, height)) return nullptr;
  DeviceDesc desc;
  desc.Width = width;
  desc.Height = height;
  return CreateDeviceDC(desc);
}

HDC CreateDeviceDC(const DeviceDesc& desc) {
  if (desc.Width < 0 || desc.Height < 0 || desc.DpiX <= 0 || desc.DpiY <= 0) return nullptr;
  if (desc.Surface == SurfaceKind::Raster && !ValidSize(desc.Width, desc.Height)) return nullptr;
  auto dc = std::make_shared<Dc>();
  dc->Desc = desc;
  dc->ObjectType = desc.Technology == DT_METAFILE ? OBJ_ENHMETADC : desc.Technology == DT_RASDISPLAY ? OBJ_MEMDC : OBJ_DC;
  Dc* raw = dc.get();
  HDC handle = Register(std::move(dc));
  if (!handle) return nullptr;
  if (desc.Surface == SurfaceKind::Raster && !GiveOwnSurface(handle, *raw, desc.Width, desc.Height)) {
    DeleteDC(handle);
    return nullptr;
  }
  return handle;
}

BOOL DeleteDC(HDC handle) {
  Dc* dc = FindDc(handle);
  if (!dc) return FALSE;
  auto keep = FindShared(handle);  // alive until the end of this call
  for (DcState& saved : dc->Saved) {
    saved.Pen = {};
    saved.Brush = {};
    saved.Font = {};
  }
  dc->Saved.clear();
  Reselect(dc->State.Pen, {});
  Reselect(dc->State.Brush, {});
  Reselect(dc->State.Font, {});
  if (auto* b = dc->Bitmap.Object ? static_cast<BitmapObj*>(dc->Bitmap.Object.get()) : nullptr) b->SelectedIn = nullptr;
  Reselect(dc->Bitmap, {});
  if (dc->OwnBitmap) DeleteObject(dc->OwnBitmap);
  dc->Recorder.reset();
  RemoveObject(dc);
  return TRUE;
}

BOOL SetDCRecorder(HDC handle, std::unique_ptr<DcRecorder> recorder) {
  Dc* dc = FindDc(handle);
  if (!dc) return FALSE;
  dc->Recorder = std::move(recorder);
  return TRUE;
}

DcRecorder* GetDCRecorder(HDC handle) {
  Dc* dc = FindDc(handle);
  return dc ? dc->Recorder.get() : nullptr;
}

BOOL SetDCDeviceView(HDC handle, TPoint origin, const RECT& visible) {
  Dc* dc = FindDc(handle);
  if (!dc) return FALSE;
  dc->ViewOrigin = origin;
  dc->Visible = visible;
  return TRUE;
}

int GetDeviceCaps(HDC handle, int index) {
  Dc* dc = FindDc(handle);
  if (!dc) return 0;
  const DeviceDesc& d = dc->Desc;
  // A memory DC reports the size of the bitmap it holds; other DCs their device.
  const int width = d.Width, height = d.Height;
  auto mm = [](int pixels, int dpi) { return static_cast<int>(std::lround(pixels * 25.4 / dpi)); };
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return d.Technology;
    case HORZSIZE: return d.WidthMM > 0 ? d.WidthMM : mm(width, d.DpiX);
    case VERTSIZE: return d.HeightMM > 0 ? d.HeightMM : mm(height, d.DpiY);
    case HORZRES: return width;
    case VERTRES: return height;
    case BITSPIXEL: {
      const Surface* s = dc->Surf();
      return s && s->IsMono() ? 1 : 32;
    }
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB | RC_DI_BITMAP;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: return d.DpiX;
    case LOGPIXELSY: return d.DpiY;
    case PHYSICALWIDTH: return d.Technology == DT_RASPRINTER ? (d.PhysicalWidth > 0 ? d.PhysicalWidth : width) : 0;
    case PHYSICALHEIGHT: return d.Technology == DT_RASPRINTER ? (d.PhysicalHeight > 0 ? d.PhysicalHeight : height) : 0;
    case PHYSICALOFFSETX: return d.Technology == DT_RASPRINTER ? d.PhysicalOffsetX : 0;
    case PHYSICALOFFSETY: return d.Technology == DT_RASPRINTER ? d.PhysicalOffsetY : 0;
    default: return 0;
  }
}

int SaveDC(HDC handle) {
  Dc* dc = FindDc(handle);
  if (!dc) return 0;
  if (dc->Recorder) dc->Recorder->SaveDC();
  dc->Saved.push_back(dc->State);
  return static_cast<int>(dc->Saved.size());
}

BOOL RestoreDC(HDC handle, int savedDC) {
  Dc* dc = FindDc(handle);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->Saved.size());
  const int level = savedDC < 0 ? depth + 1 + savedDC : savedDC;
  if (level < 1 || level > depth) return FALSE;
  if (dc->Recorder) dc->Recorder->RestoreDC(savedDC);
  DcState restored = std::move(dc->Saved[static_cast<std::size_t>(level - 1)]);
  dc->Saved.resize(static_cast<std::size_t>(level - 1));
  // Move the selection counts from the current objects to the restored ones.
  Reselect(dc->State.Pen, restored.Pen);
  Reselect(dc->State.Brush, restored.Brush);
  Reselect(dc->State.Font, restored.Font);
  restored.Pen = dc->State.Pen;
  restored.Brush = dc->State.Brush;
  restored.Font = dc->State.Font;
  dc->State = std::move(restored);
  return TRUE;
}

// --- modes and colours -----------------------------------------------------

namespace {
template <class T, class Rec>
T SetField(HDC handle, T DcState::*field, T value, T failure, Rec record) {
  Dc* dc = FindDc(handle);
  if (!dc) return failure;
  if (dc->Recorder) record(*dc->Recorder);
  T previous = dc->State.*field;
  dc->State.*field = value;
  return previous;
}
template <class T>
T GetField(HDC handle, T DcState::*field, T failure) {
  Dc* dc = FindDc(handle);
  return dc ? dc->State.*field : failure;
}
}  // namespace

int SetROP2(HDC dc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return SetField(dc, &DcState::Rop2, rop2, 0, [&](DcRecorder& r) { r.SetROP2(rop2); });
}
int GetROP2(HDC dc) { return GetField(dc, &DcState::Rop2, 0); }

int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return SetField(dc, &DcState::BkMode, mode, 0, [&](DcRecorder& r) { r.SetBkMode(mode); });
}
int GetBkMode(HDC dc) { return GetField(dc, &DcState::BkMode, 0); }

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return SetField(dc, &DcState::BkColor, CleanColor(color), CLR_INVALID, [&](DcRecorder& r) { r.SetBkColor(color); });
}
COLORREF GetBkColor(HDC dc) { return GetField(dc, &DcState::BkColor, CLR_INVALID); }

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return SetField(dc, &DcState::TextColor, CleanColor(color), CLR_INVALID,
                  [&](DcRecorder& r) { r.SetTextColor(color); });
}
COLORREF GetTextColor(HDC dc) { return GetField(dc, &DcState::TextColor, CLR_INVALID); }

UINT SetTextAlign(HDC dc, UINT align) {
  return SetField(dc, &DcState::TextAlign, align, static_cast<UINT>(GDI_ERROR),
                  [&](DcRecorder& r) { r.SetTextAlign(align); });
}
UINT GetTextAlign(HDC dc) { return GetField(dc, &DcState::TextAlign, static_cast<UINT>(GDI_ERROR)); }

int SetPolyFillMode(HDC dc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return SetField(dc, &DcState::PolyFillMode, mode, 0, [&](DcRecorder& r) { r.SetPolyFillMode(mode); });
}
int GetPolyFillMode(HDC dc) { return GetField(dc, &DcState::PolyFillMode, 0); }

int SetStretchBltMode(HDC dc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return SetField(dc, &DcState::StretchMode, mode, 0, [&](DcRecorder& r) { r.SetStretchBltMode(mode); });
}
int GetStretchBltMode(HDC dc) { return GetField(dc, &DcState::StretchMode, 0); }

BOOL SetBrushOrgEx(HDC handle, int x, int y, POINT* previous) {
  Dc* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (dc->Recorder) dc->Recorder->SetBrushOrgEx(x, y);
  if (previous) *previous = dc->State.BrushOrg;
  dc->State.BrushOrg = TPoint{x, y};
  return TRUE;
}

BOOL GetBrushOrgEx(HDC handle, POINT* origin) {
  Dc* dc = FindDc(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->State.BrushOrg;
  return TRUE;
}

}  // namespace vx::plat
