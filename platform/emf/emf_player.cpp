// Playing records on a device context.
#include "platform/emf/emf_player.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/emf/emf_records.h"
#include "platform/emf/enhmetafile.h"
#include "platform/imaging/bmp.h"

namespace vx::plat::emf {
namespace {

thread_local std::vector<Playback*> tActive;

constexpr std::int64_t kMaxPatchedBits = std::int64_t{1} << 28;  // bytes a padded DIB may take

std::uint32_t U32(const std::uint8_t* r, std::size_t offset) { return Load<std::uint32_t>(r + offset); }
std::int32_t I32(const std::uint8_t* r, std::size_t offset) { return Load<std::int32_t>(r + offset); }
POINT PointAt(const std::uint8_t* r, std::size_t offset) { return Load<POINT>(r + offset); }
RECT RectAt(const std::uint8_t* r, std::size_t offset) { return Load<RECT>(r + offset); }

std::int64_t RoundAway(long double v) {
  return static_cast<std::int64_t>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L));
}

std::vector<POINT> Points32(const std::uint8_t* r, std::size_t offset, std::size_t count) {
  std::vector<POINT> pts(count);
  if (count) std::memcpy(pts.data(), r + offset, count * sizeof(POINT));
  return pts;
}

std::vector<POINT> Points16(const std::uint8_t* r, std::size_t offset, std::size_t count) {
  std::vector<POINT> pts(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto p = Load<POINTS>(r + offset + i * sizeof(POINTS));
    pts[i] = POINT{p.x, p.y};
  }
  return pts;
}

// An aligned copy of a BITMAPINFO (header and colour table).
std::vector<std::uint32_t> CopyInfo(const std::uint8_t* r, std::uint32_t off, std::uint32_t size) {
  std::vector<std::uint32_t> info((size + 3) / 4 + 1, 0);
  std::memcpy(info.data(), r + off, size);
  return info;
}

bool FiniteTransform(const XFORM32& x) {
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22) &&
         std::isfinite(x.eDx) && std::isfinite(x.eDy);
}

WorldTransform FromXform(const XFORM32& x) {
  return WorldTransform{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
}

// A pattern brush from a device-independent bitmap; a monochrome brush keeps
// one bit per pixel so that text and background colours paint it.
HBRUSH PatternBrush(const std::uint8_t* r, std::size_t size, bool mono) {
  const std::uint32_t offBmi = U32(r, 16), cbBmi = U32(r, 20), offBits = U32(r, 24), cbBits = U32(r, 28);
  if (cbBmi == 0) return nullptr;
  try {
    const imaging::Image image = imaging::ReadDib(std::span<const std::uint8_t>(r + offBmi, cbBmi),
                                                  std::span<const std::uint8_t>(r + offBits, cbBits));
    if (image.Empty() || image.Width > 4096 || image.Height > 4096) return nullptr;
    HBITMAP bitmap = nullptr;
    if (mono) {
      const std::size_t rowBytes = ((static_cast<std::size_t>(image.Width) + 15) / 16) * 2;
      std::vector<std::uint8_t> bits(rowBytes * static_cast<std::size_t>(image.Height), 0);
      for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
          const std::uint32_t p = image.Pixel(x, y);
          const int sum = imaging::PixelRed(p) + imaging::PixelGreen(p) + imaging::PixelBlue(p);
          if (sum >= 384) bits[static_cast<std::size_t>(y) * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        }
      bitmap = CreateBitmap(image.Width, image.Height, 1, 1, bits.data());
    } else {
      std::vector<std::uint32_t> pixels(image.Pixels);
      for (std::uint32_t& p : pixels) p &= 0x00FFFFFFu;
      bitmap = CreateBitmap(image.Width, image.Height, 1, 32, pixels.data());
    }
    if (!bitmap) return nullptr;
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
  } catch (const Exception&) {
    return nullptr;  // an undecodable pattern: the brush stays empty
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// World transforms
// ---------------------------------------------------------------------------

WorldTransform WorldTransform::Then(const WorldTransform& o) const {
  WorldTransform r;
  r.M11 = M11 * o.M11 + M12 * o.M21;
  r.M12 = M11 * o.M12 + M12 * o.M22;
  r.M21 = M21 * o.M11 + M22 * o.M21;
  r.M22 = M21 * o.M12 + M22 * o.M22;
  r.Dx = Dx * o.M11 + Dy * o.M21 + o.Dx;
  r.Dy = Dx * o.M12 + Dy * o.M22 + o.Dy;
  return r;
}

// ---------------------------------------------------------------------------
// Life cycle
// ---------------------------------------------------------------------------

Playback::Playback(HDC dc, const std::vector<std::uint8_t>& bytes, const RECT& dest) : FDc(dc) {
  tActive.push_back(this);
  try {
    Begin(bytes, dest);
  } catch (...) {
    Cleanup();
    throw;
  }
}

Playback::Playback(HDC dc, HANDLETABLE* table, std::uint32_t handles)
    : FDc(dc), FDirect(true), FTable(table), FHandles(handles) {}

Playback::~Playback() { Cleanup(); }

void Playback::Cleanup() {
  if (!FDirect) {
    if (FBaseLevel > 0) RestoreDC(FDc, FBaseLevel);
    for (std::uint32_t i = 1; i < FOwnTable.size(); ++i)
      if (FOwnTable[i]) DeleteObject(FOwnTable[i]);
    FOwnTable.clear();
    for (HGDIOBJ o : FDeferred) DeleteObject(o);
    FDeferred.clear();
    for (Saved& s : FSaves)
      if (s.MetaClip) DeleteObject(s.MetaClip);
    FSaves.clear();
    if (FMetaClip) DeleteObject(FMetaClip);
    if (FInitialClip) DeleteObject(FInitialClip);
    FMetaClip = FInitialClip = nullptr;
    if (FShadow) DeleteDC(FShadow);
    FShadow = nullptr;
    FBaseLevel = 0;
    std::erase(tActive, this);
  }
}

Playback* Playback::Find(HDC dc, const HANDLETABLE* table) {
  for (auto it = tActive.rbegin(); it != tActive.rend(); ++it)
    if ((*it)->FTable == table && (*it)->FDc == dc) return *it;
  return nullptr;
}

void Playback::Begin(const std::vector<std::uint8_t>& bytes, const RECT& dest) {
  ENHMETAHEADER h;
  std::memset(static_cast<void*>(&h), 0, sizeof h);
  const std::uint32_t headerSize = U32(bytes.data(), 4);
  std::memcpy(&h, bytes.data(), std::min<std::size_t>(headerSize, sizeof h));
  FHandles = std::max<std::uint32_t>(h.nHandles, 1);
  FOwnTable.assign(FHandles, nullptr);
  FTable = reinterpret_cast<HANDLETABLE*>(FOwnTable.data());

  // Frame -> reference-device pixels (micrometres when the header has them:
  // whole millimetres are too coarse to give pixels back exactly).
  const bool haveMicrometres = headerSize >= kEmfHeaderExt2Size && h.szlMicrometers.cx > 0 && h.szlMicrometers.cy > 0;
  auto pxPer01mm = [&](LONG pixels, LONG mm, LONG um) -> long double {
    if (pixels > 0 && haveMicrometres) return pixels / (um / 10.0L);
    if (pixels > 0 && mm > 0) return pixels / (mm * 100.0L);
    return 96.0L / 2540.0L;
  };
  const long double kx = pxPer01mm(h.szlDevice.cx, h.szlMillimeters.cx, h.szlMicrometers.cx);
  const long double ky = pxPer01mm(h.szlDevice.cy, h.szlMillimeters.cy, h.szlMicrometers.cy);
  FX.FrameOrg = RoundAway(h.rclFrame.Left * kx);
  FX.FrameExt = RoundAway(h.rclFrame.Right * kx) - FX.FrameOrg;
  FY.FrameOrg = RoundAway(h.rclFrame.Top * ky);
  FY.FrameExt = RoundAway(h.rclFrame.Bottom * ky) - FY.FrameOrg;
  if (FX.FrameExt == 0 || FY.FrameExt == 0) {  // no frame: the drawn bounds, edge to edge
    FX.FrameOrg = h.rclBounds.Left;
    FX.FrameExt = std::int64_t{h.rclBounds.Right} - h.rclBounds.Left + 1;
    FY.FrameOrg = h.rclBounds.Top;
    FY.FrameExt = std::int64_t{h.rclBounds.Bottom} - h.rclBounds.Top + 1;
  }
  FX.DestOrg = dest.Left;
  FX.DestExt = std::int64_t{dest.Right} - dest.Left;
  FY.DestOrg = dest.Top;
  FY.DestExt = std::int64_t{dest.Bottom} - dest.Top;
  if (FX.FrameExt <= 0 || FY.FrameExt <= 0 || FX.DestExt == 0 || FY.DestExt == 0) {
    FEmpty = true;
    return;
  }
  POINT wo{}, vo{};
  SIZE we{1, 1}, ve{1, 1};
  GetWindowOrgEx(FDc, &wo);
  GetWindowExtEx(FDc, &we);
  GetViewportOrgEx(FDc, &vo);
  GetViewportExtEx(FDc, &ve);
  if (we.cx == 0 || we.cy == 0 || ve.cx == 0 || ve.cy == 0) we = ve = SIZE{1, 1};
  FX.WinOrg = wo.x, FX.WinExt = we.cx, FX.VpOrg = vo.x, FX.VpExt = ve.cx;
  FY.WinOrg = wo.y, FY.WinExt = we.cy, FY.VpOrg = vo.y, FY.VpExt = ve.cy;

  DeviceDesc desc;
  desc.Width = h.szlDevice.cx > 0 ? h.szlDevice.cx : 1920;
  desc.Height = h.szlDevice.cy > 0 ? h.szlDevice.cy : 1080;
  desc.WidthMM = h.szlMillimeters.cx > 0 ? h.szlMillimeters.cx : 0;
  desc.HeightMM = h.szlMillimeters.cy > 0 ? h.szlMillimeters.cy : 0;
  if (haveMicrometres) {
    desc.DpiX = static_cast<int>(std::clamp<std::int64_t>(RoundAway(desc.Width * 25400.0L / h.szlMicrometers.cx), 1, 100000));
    desc.DpiY = static_cast<int>(std::clamp<std::int64_t>(RoundAway(desc.Height * 25400.0L / h.szlMicrometers.cy), 1, 100000));
  }
  desc.Surface = SurfaceKind::None;
  FShadow = CreateDeviceDC(desc);

  FBaseLevel = SaveDC(FDc);
  if (FBaseLevel <= 0) {
    FEmpty = true;
    return;
  }
  FInitialClip = CreateRectRgn(0, 0, 0, 0);
  if (FInitialClip && GetClipRgn(FDc, FInitialClip) != 1) {
    DeleteObject(FInitialClip);
    FInitialClip = nullptr;
  }
  SetDefaults();
  ApplyMapping();
  MoveToEx(FDc, 0, 0, nullptr);
}

// A fresh DC's objects and modes, read from the shadow DC (which is one).
void Playback::SetDefaults() {
  if (!FShadow) return;
  SelectObject(FDc, GetCurrentObject(FShadow, OBJ_PEN));
  SelectObject(FDc, GetCurrentObject(FShadow, OBJ_BRUSH));
  SelectObject(FDc, GetCurrentObject(FShadow, OBJ_FONT));
  SetBkMode(FDc, GetBkMode(FShadow));
  SetBkColor(FDc, GetBkColor(FShadow));
  SetTextColor(FDc, GetTextColor(FShadow));
  SetTextAlign(FDc, GetTextAlign(FShadow));
  SetROP2(FDc, GetROP2(FShadow));
  SetPolyFillMode(FDc, GetPolyFillMode(FShadow));
  SetStretchBltMode(FDc, GetStretchBltMode(FShadow));
  SetBrushOrgEx(FDc, static_cast<int>(std::clamp<std::int64_t>(FX.DeviceOf(0), -(1 << 30), 1 << 30)),
                static_cast<int>(std::clamp<std::int64_t>(FY.DeviceOf(0), -(1 << 30), 1 << 30)), nullptr);
}

void Playback::ApplyMapping() {
  if (FDirect || !FShadow) return;
  POINT wo{}, vo{};
  SIZE we{1, 1}, ve{1, 1};
  GetWindowOrgEx(FShadow, &wo);
  GetWindowExtEx(FShadow, &we);
  GetViewportOrgEx(FShadow, &vo);
  GetViewportExtEx(FShadow, &ve);
  if (we.cx == 0 || we.cy == 0 || ve.cx == 0 || ve.cy == 0) return;
  const AxisDc x = RealiseAxis(FX, AxisPage{wo.x, we.cx, vo.x, ve.cx}, AxisWorld{FWorld.M11, FWorld.Dx});
  const AxisDc y = RealiseAxis(FY, AxisPage{wo.y, we.cy, vo.y, ve.cy}, AxisWorld{FWorld.M22, FWorld.Dy});
  SetMapMode(FDc, MM_ANISOTROPIC);
  SetWindowExtEx(FDc, x.WinExt, y.WinExt, nullptr);
  SetViewportExtEx(FDc, x.VpExt, y.VpExt, nullptr);
  SetWindowOrgEx(FDc, x.WinOrg, y.WinOrg, nullptr);
  SetViewportOrgEx(FDc, x.VpOrg, y.VpOrg, nullptr);
}

RECT Playback::Reachable() const {
  const std::int64_t w = std::max(GetDeviceCaps(FDc, HORZRES), 1);
  const std::int64_t h = std::max(GetDeviceCaps(FDc, VERTRES), 1);
  return RECT{static_cast<LONG>(-w), static_cast<LONG>(-h), static_cast<LONG>(2 * w), static_cast<LONG>(2 * h)};
}

void Playback::ApplyClip() {
  if (!FMetaClip) {
    SelectClipRgn(FDc, FInitialClip);
    return;
  }
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (!clip) return;
  CombineRgn(clip, FMetaClip, nullptr, RGN_COPY);
  if (FInitialClip) CombineRgn(clip, clip, FInitialClip, RGN_AND);
  SelectClipRgn(FDc, clip);
  DeleteObject(clip);
}

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

HGDIOBJ Playback::ObjectAt(std::uint32_t ih) const {
  if (IsStockIndex(ih)) return GetStockObject(StockIndexOf(ih));
  if (ih == 0 || ih >= FHandles) return nullptr;
  return FTable->objectHandle[ih];
}

void Playback::Free(HGDIOBJ object) {
  if (object && !DeleteObject(object)) FDeferred.push_back(object);
}

void Playback::RetryDeferred() {
  std::erase_if(FDeferred, [](HGDIOBJ o) { return DeleteObject(o) != FALSE || GetObjectType(o) == 0; });
}

void Playback::Store(std::uint32_t ih, HGDIOBJ object) {
  if (ih == 0 || ih >= FHandles || IsStockIndex(ih)) {
    if (object) DeleteObject(object);
    return;
  }
  Free(FTable->objectHandle[ih]);
  FTable->objectHandle[ih] = object;
}

bool Playback::PlayObject(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  const std::uint32_t ih = U32(r, 8);
  switch (type) {
    case EMR_SELECTOBJECT: {
      HGDIOBJ object = ObjectAt(ih);
      if (!object) return false;
      const bool ok = SelectObject(FDc, object) != nullptr;
      RetryDeferred();
      return ok;
    }
    case EMR_DELETEOBJECT:
      if (IsStockIndex(ih) || ih == 0 || ih >= FHandles) return true;
      Free(FTable->objectHandle[ih]);
      FTable->objectHandle[ih] = nullptr;
      return true;
    case EMR_CREATEPEN: {
      const auto p = Load<LOGPEN32>(r + 12);
      LOGPEN pen{p.lopnStyle, p.lopnWidth, p.lopnColor};
      HPEN h = CreatePenIndirect(&pen);
      if (!h) {
        // Cap and join bits (old-style files carry them here): a geometric
        // pen when wide, else the plain style.
        LOGBRUSH solid;
        solid.lbColor = p.lopnColor;
        const UINT shape = p.lopnStyle & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
        if (p.lopnWidth.x > 1) h = ExtCreatePen(PS_GEOMETRIC | shape, static_cast<DWORD>(p.lopnWidth.x), &solid, 0, nullptr);
        const UINT base = p.lopnStyle & PS_STYLE_MASK;
        if (!h) h = CreatePen(base <= PS_ALTERNATE && base != PS_USERSTYLE ? static_cast<int>(base) : 0, p.lopnWidth.x, p.lopnColor);
      }
      Store(ih, h);
      return h != nullptr;
    }
    case EMR_EXTCREATEPEN: {
      const auto e = Load<EMREXTCREATEPEN>(r);
      LOGBRUSH brush;
      brush.lbStyle = e.elpBrushStyle == BS_HATCHED || e.elpBrushStyle == BS_NULL ? e.elpBrushStyle : BS_SOLID;
      brush.lbColor = e.elpColor;
      brush.lbHatch = e.elpHatch;
      std::vector<DWORD> entries(e.elpNumEntries);
      if (!entries.empty()) std::memcpy(entries.data(), r + kEmrExtCreatePenFixed, entries.size() * 4);
      HPEN h = ExtCreatePen(e.elpPenStyle, e.elpWidth, &brush, static_cast<DWORD>(entries.size()),
                            entries.empty() ? nullptr : entries.data());
      if (!h) h = CreatePen(static_cast<int>(e.elpPenStyle & PS_STYLE_MASK), static_cast<int>(e.elpWidth), e.elpColor);
      Store(ih, h);
      return h != nullptr;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      const auto b = Load<LOGBRUSH32>(r + 12);
      LOGBRUSH brush;
      brush.lbStyle = b.lbStyle == BS_HATCHED || b.lbStyle == BS_NULL ? b.lbStyle : BS_SOLID;
      brush.lbColor = b.lbColor;
      brush.lbHatch = b.lbHatch;
      HBRUSH h = CreateBrushIndirect(&brush);
      Store(ih, h);
      return h != nullptr;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
      HBRUSH h = PatternBrush(r, size, type == EMR_CREATEMONOBRUSH);
      if (!h) {  // an undecodable pattern paints nothing rather than something wrong
        LOGBRUSH hollow;
        hollow.lbStyle = BS_NULL;
        h = CreateBrushIndirect(&hollow);
      }
      Store(ih, h);
      return h != nullptr;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      // Shorter records from elsewhere are read as if zero-filled to 332 bytes.
      EMREXTCREATEFONTINDIRECTW font;
      std::memset(static_cast<void*>(&font), 0, sizeof font);
      std::memcpy(&font, r, std::min(size, sizeof font));
      font.elfw.lfFaceName[LF_FACESIZE - 1] = 0;
      HFONT h = CreateFontIndirectW(&font.elfw);
      Store(ih, h);
      return h != nullptr;
    }
    case EMR_CREATEPALETTE: Store(ih, nullptr); return true;
    default: return true;
  }
}

// ---------------------------------------------------------------------------
// Mapping, save/restore, world transform
// ---------------------------------------------------------------------------

bool Playback::PlayMapping(const std::uint8_t* r, std::uint32_t type) {
  HDC target = FDirect ? FDc : FShadow;
  if (!target) return false;
  const LONG a = I32(r, 8), b = I32(r, 12);
  BOOL ok = TRUE;
  switch (type) {
    case EMR_SETMAPMODE: ok = SetMapMode(target, a) != 0; break;
    case EMR_SETWINDOWEXTEX: ok = SetWindowExtEx(target, a, b, nullptr); break;
    case EMR_SETWINDOWORGEX: ok = SetWindowOrgEx(target, a, b, nullptr); break;
    case EMR_SETVIEWPORTEXTEX: ok = SetViewportExtEx(target, a, b, nullptr); break;
    case EMR_SETVIEWPORTORGEX: ok = SetViewportOrgEx(target, a, b, nullptr); break;
    case EMR_SCALEVIEWPORTEXTEX: ok = ScaleViewportExtEx(target, a, b, I32(r, 16), I32(r, 20), nullptr); break;
    case EMR_SCALEWINDOWEXTEX: ok = ScaleWindowExtEx(target, a, b, I32(r, 16), I32(r, 20), nullptr); break;
    default: return true;
  }
  ApplyMapping();
  return ok != FALSE;
}

bool Playback::PlaySaveRestore(const std::uint8_t* r, std::uint32_t type) {
  if (FDirect) return type == EMR_SAVEDC ? SaveDC(FDc) != 0 : RestoreDC(FDc, I32(r, 8)) != FALSE;
  if (type == EMR_SAVEDC) {
    if (FSaves.size() >= static_cast<std::size_t>(kMaxSaveDepth)) {
      ++FIgnoredSaves;  // bounded nesting: deeper saves and their restores are no-ops
      return true;
    }
    Saved s;
    s.DcLevel = SaveDC(FDc);
    s.ShadowLevel = FShadow ? SaveDC(FShadow) : 0;
    s.World = FWorld;
    if (FMetaClip) {
      s.MetaClip = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(s.MetaClip, FMetaClip, nullptr, RGN_COPY);
    }
    if (s.DcLevel <= 0) {
      if (s.MetaClip) DeleteObject(s.MetaClip);
      return false;
    }
    FSaves.push_back(s);
    return true;
  }
  const LONG n = I32(r, 8);
  std::size_t target;
  if (n < 0) {
    std::int64_t k = -std::int64_t{n};
    const std::int64_t ignored = std::min<std::int64_t>(k, FIgnoredSaves);
    FIgnoredSaves -= static_cast<int>(ignored);
    k -= ignored;
    if (k == 0) return true;
    if (k > static_cast<std::int64_t>(FSaves.size())) return false;
    target = FSaves.size() - static_cast<std::size_t>(k);
  } else {
    if (n == 0 || static_cast<std::size_t>(n) > FSaves.size()) return false;
    target = static_cast<std::size_t>(n) - 1;
    FIgnoredSaves = 0;
  }
  Saved& s = FSaves[target];
  RestoreDC(FDc, s.DcLevel);
  if (FShadow) RestoreDC(FShadow, s.ShadowLevel);
  FWorld = s.World;
  if (FMetaClip) DeleteObject(FMetaClip);
  FMetaClip = s.MetaClip;
  s.MetaClip = nullptr;
  for (std::size_t i = target + 1; i < FSaves.size(); ++i)
    if (FSaves[i].MetaClip) DeleteObject(FSaves[i].MetaClip);
  FSaves.resize(target);
  return true;
}

bool Playback::PlayWorld(const std::uint8_t* r, std::uint32_t type) {
  if (FDirect) return true;  // a loose record has no playback mapping to change
  const auto xf = Load<XFORM32>(r + 8);
  if (!FiniteTransform(xf)) return false;
  if (type == EMR_SETWORLDTRANSFORM) {
    FWorld = FromXform(xf);
  } else {
    switch (U32(r, 32)) {
      case MWT_IDENTITY: FWorld = WorldTransform{}; break;
      case MWT_LEFTMULTIPLY: FWorld = FromXform(xf).Then(FWorld); break;
      case MWT_RIGHTMULTIPLY: FWorld = FWorld.Then(FromXform(xf)); break;
      case MWT_SET: FWorld = FromXform(xf); break;
      default: return false;
    }
  }
  ApplyMapping();
  return true;
}

// ---------------------------------------------------------------------------
// Clipping and regions
// ---------------------------------------------------------------------------

RECT Playback::DeviceRectOfRef(const RECT& r) const {
  if (FDirect) return r;
  const std::int64_t l = FX.DeviceOf(r.Left), rr = FX.DeviceOf(r.Right);
  const std::int64_t t = FY.DeviceOf(r.Top), b = FY.DeviceOf(r.Bottom);
  auto clamp = [](std::int64_t v) {
    return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
  };
  return RECT{clamp(std::min(l, rr)), clamp(std::min(t, b)), clamp(std::max(l, rr)), clamp(std::max(t, b))};
}

HRGN Playback::RegionFromData(const std::uint8_t* data, std::size_t size, RegionUnits units) const {
  // Rectangles are cut to what drawing can reach, so that no region grows
  // beyond the device however large the file's rectangles are.
  RECT reach = Reachable();
  if (units == RegionUnits::Logical) {
    POINT corners[2] = {{reach.Left, reach.Top}, {reach.Right, reach.Bottom}};
    DPtoLP(FDc, corners, 2);
    // One unit more each way; saturated, as the corners may already be at the Int32 limits.
    const auto widen = [](LONG v, int by) {
      return static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{v} + by, INT32_MIN, INT32_MAX));
    };
    reach = RECT{widen(std::min(corners[0].x, corners[1].x), -1), widen(std::min(corners[0].y, corners[1].y), -1),
                 widen(std::max(corners[0].x, corners[1].x), 1), widen(std::max(corners[0].y, corners[1].y), 1)};
  }
  std::vector<POINT> points;
  std::vector<int> counts;
  for (const RECT& ref : ReadRegionRects(data, size)) {
    RECT d = units == RegionUnits::Device ? DeviceRectOfRef(ref) : ref;
    d.Left = std::max(d.Left, reach.Left);
    d.Top = std::max(d.Top, reach.Top);
    d.Right = std::min(d.Right, reach.Right);
    d.Bottom = std::min(d.Bottom, reach.Bottom);
    if (d.IsEmpty()) continue;
    points.insert(points.end(), {POINT{d.Left, d.Top}, POINT{d.Right, d.Top}, POINT{d.Right, d.Bottom},
                                 POINT{d.Left, d.Bottom}});
    counts.push_back(4);
  }
  if (counts.empty()) return CreateRectRgn(0, 0, 0, 0);
  if (counts.size() == 1) return CreateRectRgn(points[0].x, points[0].y, points[2].x, points[2].y);
  return CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), WINDING);
}

bool Playback::PlayClip(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  if (FDirect) {
    switch (type) {
      case EMR_INTERSECTCLIPRECT: {
        const RECT b = RectAt(r, 8);
        return IntersectClipRect(FDc, b.Left, b.Top, b.Right, b.Bottom) != ERROR;
      }
      case EMR_EXCLUDECLIPRECT: {
        const RECT b = RectAt(r, 8);
        return ExcludeClipRect(FDc, b.Left, b.Top, b.Right, b.Bottom) != ERROR;
      }
      case EMR_OFFSETCLIPRGN: return OffsetClipRgn(FDc, I32(r, 8), I32(r, 12)) != ERROR;
      default: {
        const std::uint32_t cb = U32(r, 8);
        const int mode = I32(r, 12);
        if (cb == 0) return mode == RGN_COPY && SelectClipRgn(FDc, nullptr) != ERROR;
        HRGN region = RegionFromData(r + sizeof(EMREXTSELECTCLIPRGN), cb, RegionUnits::Device);
        const int kind = region ? ExtSelectClipRgn(FDc, region, mode) : ERROR;
        if (region) DeleteObject(region);
        return kind != ERROR;
      }
    }
  }
  const RECT reach = Reachable();
  HRGN operand = nullptr;
  int mode = RGN_AND;
  switch (type) {
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
      const RECT b = RectAt(r, 8);
      POINT corners[2] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
      LPtoDP(FDc, corners, 2);
      RECT d{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
             std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
      d.Left = std::max(d.Left, reach.Left);
      d.Top = std::max(d.Top, reach.Top);
      d.Right = std::max(std::min(d.Right, reach.Right), d.Left);
      d.Bottom = std::max(std::min(d.Bottom, reach.Bottom), d.Top);
      operand = CreateRectRgn(d.Left, d.Top, d.Right, d.Bottom);
      mode = type == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF;
      break;
    }
    case EMR_OFFSETCLIPRGN: {
      if (!FMetaClip) return true;
      POINT v[2] = {{0, 0}, {I32(r, 8), I32(r, 12)}};
      LPtoDP(FDc, v, 2);
      OffsetRgn(FMetaClip, v[1].x - v[0].x, v[1].y - v[0].y);
      ApplyClip();
      return true;
    }
    default: {
      const std::uint32_t cb = U32(r, 8);
      mode = I32(r, 12);
      if (mode < RGN_AND || mode > RGN_COPY) return false;
      if (cb == 0) {
        if (mode != RGN_COPY) return false;
        if (FMetaClip) DeleteObject(FMetaClip);
        FMetaClip = nullptr;
        ApplyClip();
        return true;
      }
      operand = RegionFromData(r + sizeof(EMREXTSELECTCLIPRGN), std::min<std::size_t>(cb, size - sizeof(EMREXTSELECTCLIPRGN)),
                               RegionUnits::Device);
      break;
    }
  }
  if (!operand) return false;
  CombineMetaClip(operand, mode);
  return true;
}

void Playback::CombineMetaClip(HRGN operand, int mode) {
  if (mode == RGN_COPY) {
    if (FMetaClip) DeleteObject(FMetaClip);
    FMetaClip = operand;
  } else if (mode == RGN_OR && !FMetaClip) {
    DeleteObject(operand);  // everything or'ed with anything stays everything
  } else {
    const RECT reach = Reachable();
    HRGN base = FMetaClip ? FMetaClip : CreateRectRgn(reach.Left, reach.Top, reach.Right, reach.Bottom);
    CombineRgn(base, base, operand, mode);
    DeleteObject(operand);
    FMetaClip = base;
  }
  ApplyClip();
}

bool Playback::PlayRegion(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  const std::uint32_t cb = U32(r, 24);
  const std::size_t fixed = type == EMR_FRAMERGN ? sizeof(EMRFRAMERGN)
                            : type == EMR_FILLRGN ? sizeof(EMRFILLRGN)
                                                  : sizeof(EMRINVERTRGN);
  HRGN region = RegionFromData(r + fixed, std::min<std::size_t>(cb, size - fixed), RegionUnits::Logical);
  if (!region) return false;
  BOOL ok = FALSE;
  switch (type) {
    case EMR_FILLRGN:
      if (HGDIOBJ brush = ObjectAt(U32(r, 28))) ok = FillRgn(FDc, region, static_cast<HBRUSH>(brush));
      break;
    case EMR_FRAMERGN: {
      // The stroke is logical, like the region: the DC maps both.
      if (HGDIOBJ brush = ObjectAt(U32(r, 28))) {
        const auto stroke = Load<SIZE>(r + 32);
        ok = FrameRgn(FDc, region, static_cast<HBRUSH>(brush), stroke.cx, stroke.cy);
      }
      break;
    }
    case EMR_INVERTRGN: ok = InvertRgn(FDc, region); break;
    case EMR_PAINTRGN: ok = PaintRgn(FDc, region); break;
    default: break;
  }
  DeleteObject(region);
  return ok != FALSE;
}

// ---------------------------------------------------------------------------
// Figures
// ---------------------------------------------------------------------------

bool Playback::PlayFigure(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
      const std::uint32_t count = U32(r, 24);
      const bool wide = type < EMR_POLYBEZIER16;
      const std::vector<POINT> pts = wide ? Points32(r, kEmrPolylineFixed, count) : Points16(r, kEmrPolylineFixed, count);
      const int n = static_cast<int>(std::min<std::uint32_t>(count, std::numeric_limits<int>::max()));
      switch (wide ? type : type - (EMR_POLYBEZIER16 - EMR_POLYBEZIER)) {
        case EMR_POLYBEZIER: return PolyBezier(FDc, pts.data(), count);
        case EMR_POLYGON: return Polygon(FDc, pts.data(), n);
        case EMR_POLYLINE: return Polyline(FDc, pts.data(), n);
        case EMR_POLYBEZIERTO: return PolyBezierTo(FDc, pts.data(), count);
        default: return PolylineTo(FDc, pts.data(), count);
      }
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
      const std::uint32_t polys = U32(r, 24), count = U32(r, 28);
      const bool wide = type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON;
      std::vector<DWORD> counts(polys);
      if (polys) std::memcpy(counts.data(), r + kEmrPolyPolylineFixed, polys * 4);
      const std::size_t at = kEmrPolyPolylineFixed + std::size_t{polys} * 4;
      const std::vector<POINT> pts = wide ? Points32(r, at, count) : Points16(r, at, count);
      if (type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYLINE16) return PolyPolyline(FDc, pts.data(), counts.data(), polys);
      std::vector<int> icounts;
      for (DWORD c : counts) {
        if (c > static_cast<DWORD>(std::numeric_limits<int>::max())) return false;
        icounts.push_back(static_cast<int>(c));
      }
      return PolyPolygon(FDc, pts.data(), icounts.data(), static_cast<int>(icounts.size()));
    }
    case EMR_MOVETOEX: return MoveToEx(FDc, I32(r, 8), I32(r, 12), nullptr);
    case EMR_LINETO: return LineTo(FDc, I32(r, 8), I32(r, 12));
    case EMR_SETPIXELV: return SetPixel(FDc, I32(r, 8), I32(r, 12), U32(r, 16)) != CLR_INVALID;
    case EMR_RECTANGLE:
    case EMR_ELLIPSE: {
      const RECT b = RectAt(r, 8);
      return type == EMR_RECTANGLE ? Rectangle(FDc, b.Left, b.Top, b.Right, b.Bottom)
                                   : Ellipse(FDc, b.Left, b.Top, b.Right, b.Bottom);
    }
    case EMR_ROUNDRECT: {
      const RECT b = RectAt(r, 8);
      return RoundRect(FDc, b.Left, b.Top, b.Right, b.Bottom, I32(r, 24), I32(r, 28));
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: {
      const RECT b = RectAt(r, 8);
      const POINT s = PointAt(r, 24), e = PointAt(r, 32);
      switch (type) {
        case EMR_ARC: return Arc(FDc, b.Left, b.Top, b.Right, b.Bottom, s.x, s.y, e.x, e.y);
        case EMR_CHORD: return Chord(FDc, b.Left, b.Top, b.Right, b.Bottom, s.x, s.y, e.x, e.y);
        case EMR_PIE: return Pie(FDc, b.Left, b.Top, b.Right, b.Bottom, s.x, s.y, e.x, e.y);
        default: return ArcTo(FDc, b.Left, b.Top, b.Right, b.Bottom, s.x, s.y, e.x, e.y);
      }
    }
    default: (void)size; return true;
  }
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

bool Playback::PlayText(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  POINT ref{};
  UINT options = 0;
  RECT rect{};
  std::u16string text;
  std::vector<int> dx;
  if (type == EMR_SMALLTEXTOUT) {
    const auto t = Load<EMRSMALLTEXTOUT>(r);
    ref = POINT{t.x, t.y};
    options = t.fuOptions;
    std::size_t at = kEmrSmallTextOutFixed;
    if (!(options & ETO_NO_RECT)) {
      rect = RectAt(r, at);
      at += sizeof(RECT);
    }
    text.resize(t.cChars);
    for (std::uint32_t i = 0; i < t.cChars; ++i)
      text[i] = (options & ETO_SMALL_CHARS) ? AnsiCharToUnicode(r[at + i]) : Load<char16_t>(r + at + 2 * i);
  } else {
    const auto t = Load<EMREXTTEXTOUTW>(r);
    const EMRTEXT& e = t.emrtext;
    ref = e.ptlReference;
    options = e.fOptions;
    rect = e.rcl;
    text.resize(e.nChars);
    for (std::uint32_t i = 0; i < e.nChars; ++i)
      text[i] = type == EMR_EXTTEXTOUTA ? AnsiCharToUnicode(r[e.offString + i])
                                        : Load<char16_t>(r + e.offString + 2 * std::size_t{i});
    if (e.offDx != 0 && e.nChars) {
      const std::size_t step = (options & ETO_PDY) ? 8 : 4;
      dx.resize(e.nChars);
      for (std::uint32_t i = 0; i < e.nChars; ++i) dx[i] = I32(r, e.offDx + i * step);
    }
  }
  (void)size;
  if (options & ETO_GLYPH_INDEX) return true;  // glyph numbers of a foreign font: nothing sensible to draw
  const UINT drawOptions = options & (ETO_OPAQUE | ETO_CLIPPED);
  return ExtTextOutW(FDc, ref.x, ref.y, drawOptions, drawOptions ? &rect : nullptr, text.data(),
                     static_cast<UINT>(text.size()), dx.empty() ? nullptr : dx.data()) != FALSE;
}

// ---------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------

bool Playback::PlayBitmap(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  (void)size;
  if (type == EMR_BITBLT || type == EMR_STRETCHBLT) {
    const auto b = Load<EMRBITBLT>(r);
    if (b.cbBmiSrc == 0) return PatBlt(FDc, b.xDest, b.yDest, b.cxDest, b.cyDest, b.dwRop);
    LONG cxSrc = b.cxDest, cySrc = b.cyDest;
    if (type == EMR_STRETCHBLT) {
      cxSrc = I32(r, offsetof(EMRSTRETCHBLT, cxSrc));
      cySrc = I32(r, offsetof(EMRSTRETCHBLT, cySrc));
    }
    // The source rectangle through the source's transform gives pixels of the stored bitmap.
    const XFORM32& x = b.xformSrc;
    const bool usable = FiniteTransform(x) && x.eM11 != 0 && x.eM22 != 0;
    const long double m11 = usable ? x.eM11 : 1, m22 = usable ? x.eM22 : 1, dx = usable ? x.eDx : 0,
                      dy = usable ? x.eDy : 0;
    auto toInt = [](long double v) {
      return static_cast<int>(std::clamp<long double>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L), -(1 << 30), 1 << 30));
    };
    const std::vector<std::uint32_t> info = CopyInfo(r, b.offBmiSrc, b.cbBmiSrc);
    return StretchDIBits(FDc, b.xDest, b.yDest, b.cxDest, b.cyDest, toInt(b.xSrc * m11 + dx), toInt(b.ySrc * m22 + dy),
                         toInt(cxSrc * m11), toInt(cySrc * m22), r + b.offBitsSrc, b.cbBitsSrc,
                         reinterpret_cast<const BITMAPINFO*>(info.data()), b.iUsageSrc, b.dwRop) != 0;
  }
  if (type == EMR_STRETCHDIBITS) {
    const auto s = Load<EMRSTRETCHDIBITS>(r);
    if (s.cbBmiSrc == 0) return PatBlt(FDc, s.xDest, s.yDest, s.cxDest, s.cyDest, s.dwRop);
    const std::vector<std::uint32_t> info = CopyInfo(r, s.offBmiSrc, s.cbBmiSrc);
    return StretchDIBits(FDc, s.xDest, s.yDest, s.cxDest, s.cyDest, s.xSrc, s.ySrc, s.cxSrc, s.cySrc,
                         r + s.offBitsSrc, s.cbBitsSrc, reinterpret_cast<const BITMAPINFO*>(info.data()), s.iUsageSrc,
                         s.dwRop) != 0;
  }
  // Set-DIB-to-device: the bits are copied into a buffer as large as the
  // header's image, so that a record holding only some scan lines is read safely.
  const auto s = Load<EMRSETDIBITSTODEVICE>(r);
  if (s.cbBmiSrc == 0) return false;
  const std::vector<std::uint32_t> info = CopyInfo(r, s.offBmiSrc, s.cbBmiSrc);
  const auto* bmi = reinterpret_cast<const BITMAPINFO*>(info.data());
  const std::uint64_t need = std::max<std::uint64_t>(DibBitsSize(bmi->bmiHeader), s.cbBitsSrc);
  if (need > static_cast<std::uint64_t>(kMaxPatchedBits)) return false;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(need), 0);
  std::memcpy(bits.data(), r + s.offBitsSrc, s.cbBitsSrc);
  return SetDIBitsToDevice(FDc, s.xDest, s.yDest, static_cast<DWORD>(s.cxSrc), static_cast<DWORD>(s.cySrc), s.xSrc,
                           s.ySrc, s.iStartScan, s.cScans, bits.data(), bmi, s.iUsageSrc) != 0;
}

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------

ArcSense Playback::CurrentArcSense() const {
  POINT p[3] = {{0, 0}, {1 << 16, 0}, {0, 1 << 16}};
  LPtoDP(FDc, p, 3);
  const bool flipX = p[1].x < p[0].x, flipY = p[2].y < p[0].y;
  return flipX == flipY ? ArcSense::DeviceCounterClockwise : ArcSense::Mirrored;
}

bool Playback::CapturePath(const std::uint8_t* r, std::uint32_t type) {
  const bool wide = type < EMR_POLYBEZIER16;
  switch (type) {
    case EMR_MOVETOEX: FPath.MoveTo(PointAt(r, 8)); return true;
    case EMR_LINETO: FPath.LineTo(PointAt(r, 8)); return true;
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
      const std::uint32_t count = U32(r, 24);
      std::vector<POINT> pts = wide ? Points32(r, kEmrPolylineFixed, count) : Points16(r, kEmrPolylineFixed, count);
      switch (wide ? type : type - (EMR_POLYBEZIER16 - EMR_POLYBEZIER)) {
        case EMR_POLYGON: FPath.AddFigure(pts, true); break;
        case EMR_POLYLINE: FPath.AddFigure(pts, false); break;
        case EMR_POLYBEZIERTO: FPath.BezierTo(pts); break;
        case EMR_POLYLINETO:
          for (const POINT& p : pts) FPath.LineTo(p);
          break;
        default:  // poly-bezier: a new figure from its first point
          if (pts.empty()) break;
          FPath.MoveTo(pts.front());
          FPath.BezierTo(std::vector<POINT>(pts.begin() + 1, pts.end()));
          break;
      }
      return true;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
      const std::uint32_t polys = U32(r, 24), count = U32(r, 28);
      const bool wideCounts = type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON;
      const std::size_t at = kEmrPolyPolylineFixed + std::size_t{polys} * 4;
      const std::vector<POINT> pts = wideCounts ? Points32(r, at, count) : Points16(r, at, count);
      const bool closed = type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16;
      std::size_t next = 0;
      for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t n = U32(r, kEmrPolyPolylineFixed + 4 * std::size_t{i});
        FPath.AddFigure(std::vector<POINT>(pts.begin() + static_cast<std::ptrdiff_t>(next),
                                           pts.begin() + static_cast<std::ptrdiff_t>(next + n)),
                        closed);
        next += n;
      }
      return true;
    }
    case EMR_RECTANGLE: {
      const RECT b = RectAt(r, 8);
      FPath.AddFigure({{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom}}, true);
      return true;
    }
    case EMR_ROUNDRECT: {
      // The corners as quarter ellipses of the corner size.
      const RECT b = RectAt(r, 8);
      const LONG w = std::min<LONG>(std::abs(I32(r, 24)), std::abs(b.Right - b.Left));
      const LONG h = std::min<LONG>(std::abs(I32(r, 28)), std::abs(b.Bottom - b.Top));
      const ArcSense sense = CurrentArcSense();
      FPath.MoveTo(POINT{b.Right, b.Top + h / 2});
      FPath.ArcTo(RECT{b.Right - w, b.Top, b.Right, b.Top + h}, POINT{b.Right, b.Top + h / 2}, POINT{b.Right - w / 2, b.Top}, sense, true);
      FPath.ArcTo(RECT{b.Left, b.Top, b.Left + w, b.Top + h}, POINT{b.Left + w / 2, b.Top}, POINT{b.Left, b.Top + h / 2}, sense, true);
      FPath.ArcTo(RECT{b.Left, b.Bottom - h, b.Left + w, b.Bottom}, POINT{b.Left, b.Bottom - h / 2}, POINT{b.Left + w / 2, b.Bottom}, sense, true);
      FPath.ArcTo(RECT{b.Right - w, b.Bottom - h, b.Right, b.Bottom}, POINT{b.Right - w / 2, b.Bottom}, POINT{b.Right, b.Bottom - h / 2}, sense, true);
      FPath.CloseFigure();
      return true;
    }
    case EMR_ELLIPSE: FPath.AddEllipse(RectAt(r, 8)); return true;
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_CHORD:
    case EMR_PIE: {
      const RECT b = RectAt(r, 8);
      FPath.ArcTo(b, PointAt(r, 24), PointAt(r, 32), CurrentArcSense(), type == EMR_ARCTO);
      if (type == EMR_PIE)
        FPath.LineTo(POINT{static_cast<LONG>((std::int64_t{b.Left} + b.Right) / 2),
                           static_cast<LONG>((std::int64_t{b.Top} + b.Bottom) / 2)});
      if (type == EMR_CHORD || type == EMR_PIE) FPath.CloseFigure();
      return true;
    }
    default: return false;
  }
}

bool Playback::PlayPath(const std::uint8_t* r, std::uint32_t type) {
  switch (type) {
    case EMR_BEGINPATH: {
      POINT current{};
      GetCurrentPositionEx(FDc, &current);
      FPath.Begin(current);
      FInPath = true;
      return true;
    }
    case EMR_ENDPATH:
      if (FInPath) MoveToEx(FDc, FPath.Current().x, FPath.Current().y, nullptr);
      FInPath = false;
      return true;
    case EMR_ABORTPATH:
      FInPath = false;
      FPath.Clear();
      return true;
    case EMR_CLOSEFIGURE:
      if (FInPath) FPath.CloseFigure();
      return true;
    default: break;
  }
  // The path is used up by filling, stroking or clipping.
  std::vector<POINT> points;
  std::vector<int> counts;
  std::vector<PathBuilder::Figure> figures = FPath.Figures();
  FPath.Clear();
  FInPath = false;
  for (PathBuilder::Figure& f : figures) {
    if (f.Points.size() < 2) continue;
    points.insert(points.end(), f.Points.begin(), f.Points.end());
    counts.push_back(static_cast<int>(f.Points.size()));
  }
  if (counts.empty()) return true;
  if (type == EMR_SELECTCLIPPATH) {
    // Device points, held within a few device sizes so the region stays small.
    const RECT reach = Reachable();
    LPtoDP(FDc, points.data(), static_cast<int>(points.size()));
    for (POINT& p : points) {
      p.x = std::clamp(p.x, 2 * reach.Left, 2 * reach.Right);
      p.y = std::clamp(p.y, 2 * reach.Top, 2 * reach.Bottom);
    }
    const int mode = I32(r, 8);
    if (mode < RGN_AND || mode > RGN_COPY) return false;
    HRGN region = CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), GetPolyFillMode(FDc));
    if (!region) return false;
    CombineMetaClip(region, mode);
    return true;
  }
  bool ok = true;
  if (type == EMR_FILLPATH || type == EMR_STROKEANDFILLPATH) {
    HGDIOBJ pen = SelectObject(FDc, GetStockObject(NULL_PEN));
    ok = PolyPolygon(FDc, points.data(), counts.data(), static_cast<int>(counts.size())) != FALSE;
    SelectObject(FDc, pen);
  }
  if (type == EMR_STROKEPATH || type == EMR_STROKEANDFILLPATH) {
    for (PathBuilder::Figure& f : figures) {
      if (f.Points.size() < 2) continue;
      if (f.Closed) f.Points.push_back(f.Points.front());
      ok = Polyline(FDc, f.Points.data(), static_cast<int>(f.Points.size())) != FALSE && ok;
    }
  }
  return ok;
}

// ---------------------------------------------------------------------------
// Dispatch
// ---------------------------------------------------------------------------

bool Playback::Play(const std::uint8_t* r, std::size_t size) {
  if (!FDc || FEmpty) return false;
  const std::uint32_t type = U32(r, 0);
  if (FInPath && CapturePath(r, type)) return true;
  switch (type) {
    case EMR_BEGINPATH:
    case EMR_ENDPATH:
    case EMR_ABORTPATH:
    case EMR_CLOSEFIGURE:
    case EMR_FILLPATH:
    case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_SELECTCLIPPATH: return PlayPath(r, type);
    case EMR_HEADER:
    case EMR_EOF:
    case EMR_GDICOMMENT: return true;
    case EMR_SETMAPMODE:
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: return PlayMapping(r, type);
    case EMR_SAVEDC:
    case EMR_RESTOREDC: return PlaySaveRestore(r, type);
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: return PlayWorld(r, type);
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT:
    case EMR_OFFSETCLIPRGN:
    case EMR_EXTSELECTCLIPRGN: return PlayClip(r, size, type);
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
    case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_CREATEPALETTE: return PlayObject(r, size, type);
    case EMR_SETBKMODE: return SetBkMode(FDc, I32(r, 8)) != 0;
    case EMR_SETBKCOLOR: return SetBkColor(FDc, U32(r, 8)) != CLR_INVALID;
    case EMR_SETTEXTCOLOR: return SetTextColor(FDc, U32(r, 8)) != CLR_INVALID;
    case EMR_SETTEXTALIGN: return SetTextAlign(FDc, U32(r, 8)) != static_cast<UINT>(GDI_ERROR);
    case EMR_SETROP2: return SetROP2(FDc, I32(r, 8)) != 0;
    case EMR_SETPOLYFILLMODE: return SetPolyFillMode(FDc, I32(r, 8)) != 0;
    case EMR_SETSTRETCHBLTMODE: return SetStretchBltMode(FDc, I32(r, 8)) != 0;
    case EMR_SETBRUSHORGEX: {
      const std::int64_t x = FDirect ? I32(r, 8) : FX.DeviceOf(I32(r, 8));
      const std::int64_t y = FDirect ? I32(r, 12) : FY.DeviceOf(I32(r, 12));
      return SetBrushOrgEx(FDc, static_cast<int>(std::clamp<std::int64_t>(x, -(1 << 30), 1 << 30)),
                           static_cast<int>(std::clamp<std::int64_t>(y, -(1 << 30), 1 << 30)), nullptr);
    }
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: return PlayRegion(r, size, type);
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA:
    case EMR_SMALLTEXTOUT: return PlayText(r, size, type);
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE: return PlayBitmap(r, size, type);
    default: return PlayFigure(r, size, type);
  }
}

}  // namespace vx::plat::emf
