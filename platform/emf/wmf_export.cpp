// Enhanced records -> a placeable old-style metafile.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/emf/emf_records.h"
#include "platform/emf/enhmetafile.h"
#include "platform/emf/wmf_convert.h"

namespace vx::plat::emf {
namespace {

constexpr std::int64_t kCoordLimit = 32000;  // keeps rounding inside the 16-bit range
constexpr int kBezierSteps = 16;

std::int16_t Clamp16(long double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, -32768.0L, 32767.0L);
  return static_cast<std::int16_t>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L));
}

std::uint32_t U32(const std::uint8_t* r, std::size_t offset) { return Load<std::uint32_t>(r + offset); }
std::int32_t I32(const std::uint8_t* r, std::size_t offset) { return Load<std::int32_t>(r + offset); }

struct WmfPoint {
  std::int16_t x = 0;
  std::int16_t y = 0;
};

class Exporter {
public:
  explicit Exporter(std::span<const std::uint8_t> emf) : FEmf(emf) {}
  ~Exporter() {
    if (FShadow) DeleteDC(FShadow);
  }
  std::vector<std::uint8_t> Run();

private:
  // State the save/restore records put back.
  struct State {
    WorldTransform World;
    std::optional<std::uint16_t> Pen, Brush;
  };

  // Output.
  void Emit(std::uint16_t function, const std::vector<std::uint16_t>& params, const std::uint8_t* tail = nullptr,
            std::size_t tailSize = 0);
  static void Push(std::vector<std::uint16_t>& p, std::uint32_t v) {
    p.push_back(static_cast<std::uint16_t>(v & 0xFFFF));
    p.push_back(static_cast<std::uint16_t>(v >> 16));
  }
  static std::uint16_t W(std::int16_t v) { return static_cast<std::uint16_t>(v); }

  // Coordinates: logical (record) -> reference pixels -> WMF units.
  void RefreshMapping();
  WmfPoint Map(long double x, long double y) const;
  WmfPoint Map(POINT p) const { return Map(p.x, p.y); }
  WmfPoint MapDevice(long double x, long double y) const;
  std::int16_t LengthX(long double v) const { return Clamp16(std::fabs(v * FScaleX)); }
  std::int16_t LengthY(long double v) const { return Clamp16(std::fabs(v * FScaleY)); }

  // Objects.
  std::uint16_t NewSlot();
  void FreeSlot(std::uint16_t slot);
  std::optional<std::uint16_t> SlotOf(std::uint32_t ih);
  std::optional<std::uint16_t> StockSlot(int index);
  void EmitPen(UINT style, long double width, COLORREF color);
  void EmitBrush(UINT style, COLORREF color, DWORD hatch);
  void EmitFont(const LOGFONTW& font);
  void Created(std::uint32_t ih, std::uint16_t slot);
  void Select(std::uint16_t slot, UINT kind);

  // Records.
  void Record(const std::uint8_t* r, std::size_t size);
  void Points(const std::uint8_t* r, std::uint32_t type);
  void PolyPoints(const std::uint8_t* r, std::uint32_t type);
  void Box(std::uint16_t function, const RECT& box);
  void Text(const std::uint8_t* r, std::uint32_t type);
  void RegionFill(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  void Bitmap(const std::uint8_t* r, std::uint32_t type);
  static std::vector<RECT> FrameRects(const std::vector<RECT>& rects, SIZE stroke);
  void Polyline(const std::vector<WmfPoint>& pts, std::uint16_t function);
  std::vector<POINT> Flatten(POINT start, const std::vector<POINT>& controls) const;

  std::span<const std::uint8_t> FEmf;
  HDC FShadow = nullptr;
  WorldTransform FWorld;
  std::vector<State> FStates;
  long double FWinOrgX = 0, FWinOrgY = 0, FWinExtX = 1, FWinExtY = 1, FVpOrgX = 0, FVpOrgY = 0, FVpExtX = 1,
              FVpExtY = 1;
  long double FScaleX = 1, FScaleY = 1;  // WMF units per logical unit
  long double FFrameX = 0, FFrameY = 0;  // reference pixel of WMF (0, 0)
  long double FDivisor = 1;              // reference pixels per WMF unit
  POINT FCurrent{};                      // logical current position
  std::vector<std::uint8_t> FRecords;
  std::uint32_t FMaxRecord = 0;
  std::vector<bool> FSlots;
  std::map<std::uint32_t, std::uint16_t> FObjects;  // enhanced object number -> WMF slot
  std::map<int, std::uint16_t> FStock;             // stock index -> WMF slot
  std::map<std::uint16_t, UINT> FKinds;            // WMF slot -> OBJ_PEN / OBJ_BRUSH / OBJ_FONT
  std::optional<std::uint16_t> FPen, FBrush;
};

void Exporter::Emit(std::uint16_t function, const std::vector<std::uint16_t>& params, const std::uint8_t* tail,
                    std::size_t tailSize) {
  const std::size_t bytes = kWmfRecordFixed + params.size() * 2 + ((tailSize + 1) & ~std::size_t{1});
  const auto words = static_cast<std::uint32_t>(bytes / 2);
  ByteWriter w(FRecords);
  w.Put(words);
  w.Put(function);
  w.PutBytes(params.data(), params.size() * 2);
  if (tailSize) w.PutBytes(tail, tailSize);
  if (tailSize % 2) w.PutZeros(1);
  FMaxRecord = std::max(FMaxRecord, words);
}

void Exporter::RefreshMapping() {
  POINT wo{}, vo{};
  SIZE we{1, 1}, ve{1, 1};
  GetWindowOrgEx(FShadow, &wo);
  GetWindowExtEx(FShadow, &we);
  GetViewportOrgEx(FShadow, &vo);
  GetViewportExtEx(FShadow, &ve);
  if (we.cx == 0 || we.cy == 0) we = SIZE{1, 1};
  FWinOrgX = wo.x, FWinOrgY = wo.y, FWinExtX = we.cx, FWinExtY = we.cy;
  FVpOrgX = vo.x, FVpOrgY = vo.y, FVpExtX = ve.cx, FVpExtY = ve.cy;
  FScaleX = FWorld.M11 * FVpExtX / FWinExtX / FDivisor;
  FScaleY = FWorld.M22 * FVpExtY / FWinExtY / FDivisor;
}

WmfPoint Exporter::MapDevice(long double x, long double y) const {
  return WmfPoint{Clamp16((x - FFrameX) / FDivisor), Clamp16((y - FFrameY) / FDivisor)};
}

WmfPoint Exporter::Map(long double x, long double y) const {
  const long double px = x * FWorld.M11 + FWorld.Dx;
  const long double py = y * FWorld.M22 + FWorld.Dy;
  return MapDevice((px - FWinOrgX) * FVpExtX / FWinExtX + FVpOrgX, (py - FWinOrgY) * FVpExtY / FWinExtY + FVpOrgY);
}

std::uint16_t Exporter::NewSlot() {
  auto it = std::find(FSlots.begin(), FSlots.end(), false);
  if (it == FSlots.end()) {
    FSlots.push_back(true);
    return static_cast<std::uint16_t>(FSlots.size() - 1);
  }
  *it = true;
  return static_cast<std::uint16_t>(it - FSlots.begin());
}

void Exporter::FreeSlot(std::uint16_t slot) {
  Emit(META_DELETEOBJECT, {slot});
  if (slot < FSlots.size()) FSlots[slot] = false;
  FKinds.erase(slot);
  if (FPen == slot) FPen.reset();
  if (FBrush == slot) FBrush.reset();
}

void Exporter::EmitPen(UINT style, long double width, COLORREF color) {
  std::vector<std::uint16_t> p{static_cast<std::uint16_t>(style & 0xFFFF), W(Clamp16(width)), 0};
  Push(p, color);
  Emit(META_CREATEPENINDIRECT, p);
}

void Exporter::EmitBrush(UINT style, COLORREF color, DWORD hatch) {
  std::vector<std::uint16_t> p{static_cast<std::uint16_t>(style)};
  Push(p, color);
  p.push_back(static_cast<std::uint16_t>(hatch));
  Emit(META_CREATEBRUSHINDIRECT, p);
}

void Exporter::EmitFont(const LOGFONTW& f) {
  WMFLOGFONT lf;
  lf.Height = f.lfHeight < 0 ? static_cast<std::int16_t>(-LengthY(-static_cast<long double>(f.lfHeight)))
                             : LengthY(f.lfHeight);
  lf.Width = LengthX(f.lfWidth);
  lf.Escapement = Clamp16(f.lfEscapement);
  lf.Orientation = Clamp16(f.lfOrientation);
  lf.Weight = Clamp16(f.lfWeight);
  lf.Italic = f.lfItalic;
  lf.Underline = f.lfUnderline;
  lf.StrikeOut = f.lfStrikeOut;
  lf.CharSet = f.lfCharSet;
  lf.OutPrecision = f.lfOutPrecision;
  lf.ClipPrecision = f.lfClipPrecision;
  lf.Quality = f.lfQuality;
  lf.PitchAndFamily = f.lfPitchAndFamily;
  std::size_t length = 0;
  while (length < LF_FACESIZE - 1 && f.lfFaceName[length]) ++length;
  const std::string face = StringToAnsi(std::u16string_view(f.lfFaceName, length));
  std::memcpy(lf.FaceName, face.data(), std::min<std::size_t>(face.size(), sizeof lf.FaceName - 1));
  Emit(META_CREATEFONTINDIRECT, {}, reinterpret_cast<const std::uint8_t*>(&lf), sizeof lf);
}

void Exporter::Created(std::uint32_t ih, std::uint16_t slot) {
  if (auto it = FObjects.find(ih); it != FObjects.end()) FreeSlot(it->second);  // re-created without a delete
  FObjects[ih] = slot;
}

std::optional<std::uint16_t> Exporter::SlotOf(std::uint32_t ih) {
  if (IsStockIndex(ih)) return StockSlot(StockIndexOf(ih));
  auto it = FObjects.find(ih);
  if (it == FObjects.end()) return std::nullopt;
  return it->second;
}

// Old-style metafiles have no stock objects: each one used becomes an object
// of its own, made once and kept to the end.
std::optional<std::uint16_t> Exporter::StockSlot(int index) {
  if (auto it = FStock.find(index); it != FStock.end()) return it->second;
  HGDIOBJ stock = GetStockObject(index);
  const UINT kind = GetObjectType(stock);
  std::uint16_t slot = 0;
  if (kind == OBJ_PEN) {
    LOGPEN p;
    if (!GetObject(stock, sizeof p, &p)) return std::nullopt;
    slot = NewSlot();
    EmitPen(p.lopnStyle, 0, p.lopnColor);
  } else if (kind == OBJ_BRUSH) {
    LOGBRUSH b;
    if (!GetObject(stock, sizeof b, &b)) return std::nullopt;
    slot = NewSlot();
    EmitBrush(b.lbStyle, b.lbColor, static_cast<DWORD>(b.lbHatch));
  } else if (kind == OBJ_FONT) {
    LOGFONTW f;
    if (!GetObject(stock, sizeof f, &f)) return std::nullopt;
    slot = NewSlot();
    // Stock font sizes are device pixels, not logical units.
    const long double saveX = FScaleX, saveY = FScaleY;
    FScaleX = FScaleY = 1 / FDivisor;
    EmitFont(f);
    FScaleX = saveX, FScaleY = saveY;
  } else {
    return std::nullopt;
  }
  FKinds[slot] = kind;
  FStock[index] = slot;
  return slot;
}

void Exporter::Select(std::uint16_t slot, UINT kind) {
  Emit(META_SELECTOBJECT, {slot});
  if (kind == OBJ_PEN) FPen = slot;
  if (kind == OBJ_BRUSH) FBrush = slot;
}

void Exporter::Polyline(const std::vector<WmfPoint>& pts, std::uint16_t function) {
  if (pts.empty() || pts.size() > 32767) return;
  std::vector<std::uint16_t> p{static_cast<std::uint16_t>(pts.size())};
  for (const WmfPoint& pt : pts) {
    p.push_back(W(pt.x));
    p.push_back(W(pt.y));
  }
  Emit(function, p);
}

std::vector<POINT> Exporter::Flatten(POINT start, const std::vector<POINT>& controls) const {
  std::vector<POINT> out;
  POINT p0 = start;
  for (std::size_t i = 0; i + 2 < controls.size(); i += 3) {
    const POINT p1 = controls[i], p2 = controls[i + 1], p3 = controls[i + 2];
    for (int s = 1; s <= kBezierSteps; ++s) {
      const long double t = static_cast<long double>(s) / kBezierSteps, u = 1 - t;
      const long double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
      const long double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
      out.push_back(POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y))});
    }
    p0 = p3;
  }
  return out;
}

void Exporter::Points(const std::uint8_t* r, std::uint32_t type) {
  const std::uint32_t count = U32(r, 24);
  const bool wide = type < EMR_POLYBEZIER16;
  std::vector<POINT> pts(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (wide) {
      pts[i] = Load<POINT>(r + kEmrPolylineFixed + 8 * std::size_t{i});
    } else {
      const auto s = Load<POINTS>(r + kEmrPolylineFixed + 4 * std::size_t{i});
      pts[i] = POINT{s.x, s.y};
    }
  }
  const std::uint32_t kind = wide ? type : type - (EMR_POLYBEZIER16 - EMR_POLYBEZIER);
  std::vector<WmfPoint> mapped;
  switch (kind) {
    case EMR_POLYGON:
    case EMR_POLYLINE:
      for (const POINT& p : pts) mapped.push_back(Map(p));
      Polyline(mapped, kind == EMR_POLYGON ? META_POLYGON : META_POLYLINE);
      return;
    case EMR_POLYBEZIER: {
      if (pts.empty()) return;
      std::vector<POINT> flat{pts[0]};
      const std::vector<POINT> rest = Flatten(pts[0], std::vector<POINT>(pts.begin() + 1, pts.end()));
      flat.insert(flat.end(), rest.begin(), rest.end());
      for (const POINT& p : flat) mapped.push_back(Map(p));
      Polyline(mapped, META_POLYLINE);
      return;
    }
    case EMR_POLYBEZIERTO:
      pts = Flatten(FCurrent, pts);
      [[fallthrough]];
    default:  // polyline-to: a line to each point moves the current position as well
      for (const POINT& p : pts) {
        const WmfPoint m = Map(p);
        Emit(META_LINETO, {W(m.y), W(m.x)});
      }
      if (!pts.empty()) FCurrent = pts.back();
      return;
  }
}

void Exporter::PolyPoints(const std::uint8_t* r, std::uint32_t type) {
  const std::uint32_t polys = U32(r, 24), count = U32(r, 28);
  const bool wide = type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON;
  const std::size_t at = kEmrPolyPolylineFixed + std::size_t{polys} * 4;
  std::vector<WmfPoint> pts(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (wide) {
      pts[i] = Map(Load<POINT>(r + at + 8 * std::size_t{i}));
    } else {
      const auto s = Load<POINTS>(r + at + 4 * std::size_t{i});
      pts[i] = Map(s.x, s.y);
    }
  }
  if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16) {
    if (polys > 32767 || count > 32767) return;
    std::vector<std::uint16_t> p{static_cast<std::uint16_t>(polys)};
    for (std::uint32_t i = 0; i < polys; ++i) p.push_back(static_cast<std::uint16_t>(U32(r, kEmrPolyPolylineFixed + 4 * std::size_t{i})));
    for (const WmfPoint& pt : pts) {
      p.push_back(W(pt.x));
      p.push_back(W(pt.y));
    }
    Emit(META_POLYPOLYGON, p);
    return;
  }
  std::size_t next = 0;
  for (std::uint32_t i = 0; i < polys; ++i) {
    const std::uint32_t n = U32(r, kEmrPolyPolylineFixed + 4 * std::size_t{i});
    Polyline(std::vector<WmfPoint>(pts.begin() + static_cast<std::ptrdiff_t>(next),
                                   pts.begin() + static_cast<std::ptrdiff_t>(next + n)),
             META_POLYLINE);
    next += n;
  }
}

void Exporter::Box(std::uint16_t function, const RECT& box) {
  const WmfPoint a = Map(box.Left, box.Top), b = Map(box.Right, box.Bottom);
  Emit(function, {W(std::max(a.y, b.y)), W(std::max(a.x, b.x)), W(std::min(a.y, b.y)), W(std::min(a.x, b.x))});
}

void Exporter::Text(const std::uint8_t* r, std::uint32_t type) {
  if (type != EMR_EXTTEXTOUTW && type != EMR_EXTTEXTOUTA) return;
  const auto t = Load<EMREXTTEXTOUTW>(r);
  const EMRTEXT& e = t.emrtext;
  if (e.fOptions & ETO_GLYPH_INDEX) return;
  const std::uint32_t n = std::min<std::uint32_t>(e.nChars, 32767);
  std::string ansi;
  for (std::uint32_t i = 0; i < n; ++i)
    ansi.push_back(type == EMR_EXTTEXTOUTA ? static_cast<char>(r[e.offString + i])
                                           : static_cast<char>(UnicodeCharToAnsi(Load<char16_t>(r + e.offString + 2 * std::size_t{i}))));
  const WmfPoint ref = Map(e.ptlReference);
  const UINT options = e.fOptions & (ETO_OPAQUE | ETO_CLIPPED);
  std::vector<std::uint16_t> p{W(ref.y), W(ref.x), static_cast<std::uint16_t>(n), static_cast<std::uint16_t>(options)};
  if (options) {
    const WmfPoint a = Map(e.rcl.Left, e.rcl.Top), b = Map(e.rcl.Right, e.rcl.Bottom);
    for (std::int16_t v : {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}) p.push_back(W(v));
  }
  for (std::size_t i = 0; i < ansi.size(); i += 2) {
    const auto lo = static_cast<std::uint8_t>(ansi[i]);
    const auto hi = i + 1 < ansi.size() ? static_cast<std::uint8_t>(ansi[i + 1]) : std::uint8_t{0};
    p.push_back(static_cast<std::uint16_t>(lo | (hi << 8)));
  }
  if (e.offDx != 0) {
    const std::size_t step = (e.fOptions & ETO_PDY) ? 8 : 4;
    for (std::uint32_t i = 0; i < n; ++i) p.push_back(W(LengthX(I32(r, e.offDx + i * step))));
  }
  Emit(META_EXTTEXTOUT, p);
}

// Region fills become rectangles of the region's (logical) rectangles drawn
// without a pen, with the record's brush (selected for the time of the fill)
// or the current one, so that hatch gaps follow the background mode as the
// fill does; inverted regions become inverting pattern transfers.
void Exporter::RegionFill(const std::uint8_t* r, std::size_t size, std::uint32_t type) {
  const std::size_t fixed = type == EMR_FRAMERGN ? sizeof(EMRFRAMERGN) : type == EMR_FILLRGN ? sizeof(EMRFILLRGN) : sizeof(EMRINVERTRGN);
  const std::vector<RECT> rects = ReadRegionRects(r + fixed, std::min<std::size_t>(U32(r, 24), size - fixed));
  if (rects.empty()) return;
  if (type == EMR_INVERTRGN) {
    for (const RECT& rc : rects) {
      const WmfPoint a = Map(rc.Left, rc.Top), z = Map(rc.Right, rc.Bottom);
      std::vector<std::uint16_t> p;
      Push(p, DSTINVERT);
      for (std::int16_t v : {static_cast<std::int16_t>(z.y - a.y), static_cast<std::int16_t>(z.x - a.x), a.y, a.x}) p.push_back(W(v));
      Emit(META_PATBLT, p);
    }
    return;
  }
  std::optional<std::uint16_t> brush;
  if (type == EMR_FILLRGN || type == EMR_FRAMERGN) {
    brush = SlotOf(U32(r, 28));
    if (!brush) return;
  }
  const std::optional<std::uint16_t> noPen = StockSlot(NULL_PEN);
  if (!noPen) return;
  const std::optional<std::uint16_t> previousBrush = FBrush, previousPen = FPen;
  if (brush && brush != previousBrush) Emit(META_SELECTOBJECT, {*brush});
  Emit(META_SELECTOBJECT, {*noPen});
  // The rectangles in old-style units (16-bit, so region work on them stays small).
  std::vector<RECT> units;
  for (const RECT& rc : rects) {
    const WmfPoint a = Map(rc.Left, rc.Top), z = Map(rc.Right, rc.Bottom);
    const RECT u{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    if (!u.IsEmpty()) units.push_back(u);
  }
  if (type == EMR_FRAMERGN) {
    // The stroke is logical, like the rectangles.
    const auto stroke = Load<SIZE>(r + 32);
    units = FrameRects(units, SIZE{std::max<LONG>(1, LengthX(stroke.cx)), std::max<LONG>(1, LengthY(stroke.cy))});
  }
  // Without a pen a rectangle fills one unit less each way: the box grows by one.
  for (const RECT& u : units)
    Emit(META_RECTANGLE, {W(Clamp16(u.Bottom + 1)), W(Clamp16(u.Right + 1)), W(Clamp16(u.Top)), W(Clamp16(u.Left))});
  // Back to what was selected (a fresh DC's white brush and black pen when nothing was).
  const auto restore = [&](const std::optional<std::uint16_t>& previous, int stock) {
    const std::optional<std::uint16_t> slot = previous ? previous : StockSlot(stock);
    if (slot) Emit(META_SELECTOBJECT, {*slot});
    return slot;
  };
  if (brush && brush != previousBrush) FBrush = restore(previousBrush, WHITE_BRUSH);
  FPen = restore(previousPen, BLACK_PEN);
}

// The rectangles of a region's frame (old-style units): the region less the
// region shrunk by `stroke` (each unit whose neighbours within the stroke,
// across or down, all lie inside stays out of the frame).
std::vector<RECT> Exporter::FrameRects(const std::vector<RECT>& rects, SIZE stroke) {
  std::vector<POINT> points;
  std::vector<int> counts;
  for (const RECT& rc : rects) {
    points.insert(points.end(), {POINT{rc.Left, rc.Top}, POINT{rc.Right, rc.Top}, POINT{rc.Right, rc.Bottom}, POINT{rc.Left, rc.Bottom}});
    counts.push_back(4);
  }
  HRGN region = CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), WINDING);
  HRGN inner = CreateRectRgn(0, 0, 0, 0);
  HRGN moved = CreateRectRgn(0, 0, 0, 0);
  if (!region || !inner || !moved) {
    for (HRGN h : {region, inner, moved})
      if (h) DeleteObject(h);
    return rects;
  }
  CombineRgn(inner, region, nullptr, RGN_COPY);
  const int w = std::clamp<LONG>(stroke.cx, 1, 64), h = std::clamp<LONG>(stroke.cy, 1, 64);
  for (int d = 1; d < std::max(w, h) + 1; ++d)
    for (const POINT offset : {POINT{d, 0}, POINT{-d, 0}, POINT{0, d}, POINT{0, -d}}) {
      if ((offset.x != 0 && d > w) || (offset.y != 0 && d > h)) continue;
      CombineRgn(moved, region, nullptr, RGN_COPY);
      OffsetRgn(moved, offset.x, offset.y);
      CombineRgn(inner, inner, moved, RGN_AND);
    }
  CombineRgn(region, region, inner, RGN_DIFF);
  std::vector<RECT> frame = RegionRects(region);
  DeleteObject(region);
  DeleteObject(inner);
  DeleteObject(moved);
  return frame;
}

void Exporter::Bitmap(const std::uint8_t* r, std::uint32_t type) {
  LONG xDest, yDest, cxDest, cyDest, xSrc, ySrc, cxSrc, cySrc;
  DWORD rop, usage, offBmi, cbBmi, offBits, cbBits;
  if (type == EMR_STRETCHDIBITS) {
    const auto s = Load<EMRSTRETCHDIBITS>(r);
    xDest = s.xDest, yDest = s.yDest, cxDest = s.cxDest, cyDest = s.cyDest;
    xSrc = s.xSrc, ySrc = s.ySrc, cxSrc = s.cxSrc, cySrc = s.cySrc;
    rop = s.dwRop, usage = s.iUsageSrc, offBmi = s.offBmiSrc, cbBmi = s.cbBmiSrc, offBits = s.offBitsSrc, cbBits = s.cbBitsSrc;
  } else {
    const auto b = Load<EMRBITBLT>(r);
    xDest = b.xDest, yDest = b.yDest, cxDest = b.cxDest, cyDest = b.cyDest;
    xSrc = b.xSrc, ySrc = b.ySrc, cxSrc = b.cxDest, cySrc = b.cyDest;
    if (type == EMR_STRETCHBLT) cxSrc = I32(r, offsetof(EMRSTRETCHBLT, cxSrc)), cySrc = I32(r, offsetof(EMRSTRETCHBLT, cySrc));
    rop = b.dwRop, usage = b.iUsageSrc, offBmi = b.offBmiSrc, cbBmi = b.cbBmiSrc, offBits = b.offBitsSrc, cbBits = b.cbBitsSrc;
  }
  const WmfPoint a = Map(xDest, yDest), z = Map(static_cast<long double>(xDest) + cxDest, static_cast<long double>(yDest) + cyDest);
  if (cbBmi == 0) {
    std::vector<std::uint16_t> p;
    Push(p, rop);
    for (std::int16_t v : {static_cast<std::int16_t>(z.y - a.y), static_cast<std::int16_t>(z.x - a.x), a.y, a.x}) p.push_back(W(v));
    Emit(META_PATBLT, p);
    return;
  }
  std::vector<std::uint16_t> p;
  Push(p, rop);
  p.push_back(static_cast<std::uint16_t>(usage));
  for (long double v : {static_cast<long double>(cySrc), static_cast<long double>(cxSrc), static_cast<long double>(ySrc),
                        static_cast<long double>(xSrc)})
    p.push_back(W(Clamp16(v)));
  for (std::int16_t v : {static_cast<std::int16_t>(z.y - a.y), static_cast<std::int16_t>(z.x - a.x), a.y, a.x}) p.push_back(W(v));
  std::vector<std::uint8_t> dib(r + offBmi, r + offBmi + cbBmi);
  dib.insert(dib.end(), r + offBits, r + offBits + cbBits);
  Emit(META_STRETCHDIB, p, dib.data(), dib.size());
}

void Exporter::Record(const std::uint8_t* r, std::size_t size) {
  const std::uint32_t type = U32(r, 0);
  switch (type) {
    case EMR_SETMAPMODE: SetMapMode(FShadow, I32(r, 8)); break;
    case EMR_SETWINDOWEXTEX: SetWindowExtEx(FShadow, I32(r, 8), I32(r, 12), nullptr); break;
    case EMR_SETWINDOWORGEX: SetWindowOrgEx(FShadow, I32(r, 8), I32(r, 12), nullptr); break;
    case EMR_SETVIEWPORTEXTEX: SetViewportExtEx(FShadow, I32(r, 8), I32(r, 12), nullptr); break;
    case EMR_SETVIEWPORTORGEX: SetViewportOrgEx(FShadow, I32(r, 8), I32(r, 12), nullptr); break;
    case EMR_SCALEVIEWPORTEXTEX: ScaleViewportExtEx(FShadow, I32(r, 8), I32(r, 12), I32(r, 16), I32(r, 20), nullptr); break;
    case EMR_SCALEWINDOWEXTEX: ScaleWindowExtEx(FShadow, I32(r, 8), I32(r, 12), I32(r, 16), I32(r, 20), nullptr); break;
    case EMR_SETWORLDTRANSFORM: {
      const auto x = Load<XFORM32>(r + 8);
      if (std::isfinite(x.eM11) && std::isfinite(x.eM22) && std::isfinite(x.eDx) && std::isfinite(x.eDy))
        FWorld = WorldTransform{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
      break;
    }
    case EMR_MODIFYWORLDTRANSFORM: {
      const auto x = Load<XFORM32>(r + 8);
      if (!(std::isfinite(x.eM11) && std::isfinite(x.eM22) && std::isfinite(x.eDx) && std::isfinite(x.eDy))) break;
      const WorldTransform m{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
      switch (U32(r, 32)) {
        case MWT_IDENTITY: FWorld = WorldTransform{}; break;
        case MWT_LEFTMULTIPLY: FWorld = m.Then(FWorld); break;
        case MWT_RIGHTMULTIPLY: FWorld = FWorld.Then(m); break;
        case MWT_SET: FWorld = m; break;
        default: break;
      }
      break;
    }
    case EMR_SAVEDC:
      SaveDC(FShadow);
      FStates.push_back(State{FWorld, FPen, FBrush});
      Emit(META_SAVEDC, {});
      return;
    case EMR_RESTOREDC: {
      const LONG n = I32(r, 8);
      const std::int64_t target = n < 0 ? static_cast<std::int64_t>(FStates.size()) + n : std::int64_t{n} - 1;
      if (target < 0 || target >= static_cast<std::int64_t>(FStates.size())) return;
      RestoreDC(FShadow, n);
      const State s = FStates[static_cast<std::size_t>(target)];
      FStates.resize(static_cast<std::size_t>(target));
      FWorld = s.World;
      FPen = s.Pen;
      FBrush = s.Brush;
      Emit(META_RESTOREDC, {W(Clamp16(n))});
      RefreshMapping();
      return;
    }
    case EMR_SETBKMODE: Emit(META_SETBKMODE, {static_cast<std::uint16_t>(U32(r, 8)), 0}); return;
    case EMR_SETROP2: Emit(META_SETROP2, {static_cast<std::uint16_t>(U32(r, 8)), 0}); return;
    case EMR_SETPOLYFILLMODE: Emit(META_SETPOLYFILLMODE, {static_cast<std::uint16_t>(U32(r, 8)), 0}); return;
    case EMR_SETSTRETCHBLTMODE: Emit(META_SETSTRETCHBLTMODE, {static_cast<std::uint16_t>(U32(r, 8)), 0}); return;
    case EMR_SETTEXTALIGN: Emit(META_SETTEXTALIGN, {static_cast<std::uint16_t>(U32(r, 8)), 0}); return;
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: {
      std::vector<std::uint16_t> p;
      Push(p, U32(r, 8));
      Emit(type == EMR_SETTEXTCOLOR ? META_SETTEXTCOLOR : META_SETBKCOLOR, p);
      return;
    }
    case EMR_MOVETOEX:
    case EMR_LINETO: {
      FCurrent = Load<POINT>(r + 8);
      const WmfPoint m = Map(FCurrent);
      Emit(type == EMR_MOVETOEX ? META_MOVETO : META_LINETO, {W(m.y), W(m.x)});
      return;
    }
    case EMR_SETPIXELV: {
      const WmfPoint m = Map(Load<POINT>(r + 8));
      std::vector<std::uint16_t> p;
      Push(p, U32(r, 16));
      p.push_back(W(m.y));
      p.push_back(W(m.x));
      Emit(META_SETPIXEL, p);
      return;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: Points(r, type); return;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: PolyPoints(r, type); return;
    case EMR_RECTANGLE: Box(META_RECTANGLE, Load<RECT>(r + 8)); return;
    case EMR_ELLIPSE: Box(META_ELLIPSE, Load<RECT>(r + 8)); return;
    case EMR_INTERSECTCLIPRECT: Box(META_INTERSECTCLIPRECT, Load<RECT>(r + 8)); return;
    case EMR_EXCLUDECLIPRECT: Box(META_EXCLUDECLIPRECT, Load<RECT>(r + 8)); return;
    case EMR_OFFSETCLIPRGN:
      Emit(META_OFFSETCLIPRGN, {W(Clamp16(I32(r, 12) * FScaleY)), W(Clamp16(I32(r, 8) * FScaleX))});
      return;
    case EMR_ROUNDRECT: {
      const RECT b = Load<RECT>(r + 8);
      const WmfPoint a = Map(b.Left, b.Top), z = Map(b.Right, b.Bottom);
      Emit(META_ROUNDRECT, {W(LengthY(I32(r, 28))), W(LengthX(I32(r, 24))), W(std::max(a.y, z.y)), W(std::max(a.x, z.x)),
                            W(std::min(a.y, z.y)), W(std::min(a.x, z.x))});
      return;
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE: {
      const RECT b = Load<RECT>(r + 8);
      const WmfPoint a = Map(b.Left, b.Top), z = Map(b.Right, b.Bottom);
      const WmfPoint s = Map(Load<POINT>(r + 24)), e = Map(Load<POINT>(r + 32));
      const std::uint16_t function = type == EMR_ARC ? META_ARC : type == EMR_PIE ? META_PIE : META_CHORD;
      Emit(function, {W(e.y), W(e.x), W(s.y), W(s.x), W(std::max(a.y, z.y)), W(std::max(a.x, z.x)), W(std::min(a.y, z.y)),
                      W(std::min(a.x, z.x))});
      return;
    }
    case EMR_CREATEPEN: {
      const auto p = Load<LOGPEN32>(r + 12);
      const std::uint16_t slot = NewSlot();
      EmitPen(p.lopnStyle, p.lopnWidth.x == 0 ? 0 : std::max<long double>(1, std::fabs(p.lopnWidth.x * FScaleX)), p.lopnColor);
      FKinds[slot] = OBJ_PEN;
      Created(U32(r, 8), slot);
      return;
    }
    case EMR_EXTCREATEPEN: {
      const auto e = Load<EMREXTCREATEPEN>(r);
      const std::uint16_t slot = NewSlot();
      const bool geometric = (e.elpPenStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
      EmitPen(e.elpPenStyle & 0xFFFF, geometric ? std::max<long double>(1, std::fabs(e.elpWidth * FScaleX)) : 0, e.elpColor);
      FKinds[slot] = OBJ_PEN;
      Created(e.ihPen, slot);
      return;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      const auto b = Load<LOGBRUSH32>(r + 12);
      const std::uint16_t slot = NewSlot();
      EmitBrush(b.lbStyle == BS_NULL || b.lbStyle == BS_HATCHED ? b.lbStyle : BS_SOLID, b.lbColor, b.lbHatch);
      FKinds[slot] = OBJ_BRUSH;
      Created(U32(r, 8), slot);
      return;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
      const auto b = Load<EMRCREATEDIBPATTERNBRUSHPT>(r);
      const std::uint16_t slot = NewSlot();
      if (b.cbBmi == 0) {
        EmitBrush(BS_NULL, 0, 0);
      } else {
        std::vector<std::uint8_t> dib(r + b.offBmi, r + b.offBmi + b.cbBmi);
        dib.insert(dib.end(), r + b.offBits, r + b.offBits + b.cbBits);
        Emit(META_DIBCREATEPATTERNBRUSH, {5 /* BS_DIBPATTERN */, static_cast<std::uint16_t>(b.iUsage)}, dib.data(), dib.size());
      }
      FKinds[slot] = OBJ_BRUSH;
      Created(b.ihBrush, slot);
      return;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      EMREXTCREATEFONTINDIRECTW font;
      std::memset(static_cast<void*>(&font), 0, sizeof font);
      std::memcpy(&font, r, std::min(size, sizeof font));
      const std::uint16_t slot = NewSlot();
      EmitFont(font.elfw);
      FKinds[slot] = OBJ_FONT;
      Created(font.ihFont, slot);
      return;
    }
    case EMR_SELECTOBJECT: {
      if (const auto slot = SlotOf(U32(r, 8))) Select(*slot, FKinds[*slot]);
      return;
    }
    case EMR_DELETEOBJECT: {
      const std::uint32_t ih = U32(r, 8);
      if (auto it = FObjects.find(ih); it != FObjects.end()) {
        FreeSlot(it->second);
        FObjects.erase(it);
      }
      return;
    }
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA: Text(r, type); return;
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: RegionFill(r, size, type); return;
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS: Bitmap(r, type); return;
    default: return;  // not written (see wmf_convert.h)
  }
  RefreshMapping();
}

std::vector<std::uint8_t> Exporter::Run() {
  ValidateEnhMetaFile(FEmf);
  ENHMETAHEADER h;
  std::memset(static_cast<void*>(&h), 0, sizeof h);
  const std::uint32_t headerSize = U32(FEmf.data(), 4);
  std::memcpy(&h, FEmf.data(), std::min<std::size_t>(headerSize, sizeof h));

  // The picture in reference pixels, as playback finds it.
  const bool um = headerSize >= kEmfHeaderExt2Size && h.szlMicrometers.cx > 0 && h.szlMicrometers.cy > 0;
  const auto pxPer01mm = [&](LONG px, LONG mm, LONG micro) -> long double {
    if (px > 0 && um) return px / (micro / 10.0L);
    if (px > 0 && mm > 0) return px / (mm * 100.0L);
    return 96.0L / 2540.0L;
  };
  const long double kx = pxPer01mm(h.szlDevice.cx, h.szlMillimeters.cx, h.szlMicrometers.cx);
  const long double ky = pxPer01mm(h.szlDevice.cy, h.szlMillimeters.cy, h.szlMicrometers.cy);
  long double left = std::round(h.rclFrame.Left * kx), top = std::round(h.rclFrame.Top * ky);
  long double width = std::round(h.rclFrame.Right * kx) - left, height = std::round(h.rclFrame.Bottom * ky) - top;
  if (width <= 0 || height <= 0) {
    left = h.rclBounds.Left;
    top = h.rclBounds.Top;
    width = static_cast<long double>(h.rclBounds.Right) - h.rclBounds.Left + 1;
    height = static_cast<long double>(h.rclBounds.Bottom) - h.rclBounds.Top + 1;
  }
  if (width <= 0 || height <= 0) width = height = 1;
  FFrameX = left;
  FFrameY = top;
  FDivisor = std::max<long double>(1, std::ceil(std::max(width, height) / kCoordLimit));
  const long double dpi = kx * 2540.0L;  // reference pixels per inch
  const auto inch = static_cast<WORD>(std::clamp<long double>(std::round(dpi / FDivisor), 1, 65535));
  const auto boxWidth = static_cast<std::int16_t>(std::clamp<long double>(std::round(width / FDivisor), 1, 32767));
  const auto boxHeight = static_cast<std::int16_t>(std::clamp<long double>(std::round(height / FDivisor), 1, 32767));

  DeviceDesc desc;
  desc.Width = h.szlDevice.cx > 0 ? h.szlDevice.cx : 1920;
  desc.Height = h.szlDevice.cy > 0 ? h.szlDevice.cy : 1080;
  desc.WidthMM = std::max<LONG>(h.szlMillimeters.cx, 0);
  desc.HeightMM = std::max<LONG>(h.szlMillimeters.cy, 0);
  desc.Surface = SurfaceKind::None;
  FShadow = CreateDeviceDC(desc);
  if (!FShadow) throw EInvalidGraphic("Cannot convert the metafile: no device context for its reference device");
  RefreshMapping();

  Emit(META_SETMAPMODE, {MM_ANISOTROPIC});
  Emit(META_SETWINDOWORG, {0, 0});
  Emit(META_SETWINDOWEXT, {W(boxHeight), W(boxWidth)});
  std::size_t offset = 0;
  while (offset + 8 <= FEmf.size()) {
    const std::uint8_t* r = FEmf.data() + offset;
    const std::uint32_t size = U32(r, 4);
    Record(r, size);
    if (U32(r, 0) == EMR_EOF) break;
    offset += size;
  }
  Emit(META_EOF, {});

  WMFHEADER wh;
  wh.Size = static_cast<DWORD>((sizeof(WMFHEADER) + FRecords.size()) / 2);
  wh.NumberOfObjects = static_cast<WORD>(std::min<std::size_t>(FSlots.size(), 0xFFFF));
  wh.MaxRecord = FMaxRecord;
  WMFPLACEABLEHEADER ph;
  ph.Left = 0;
  ph.Top = 0;
  ph.Right = boxWidth;
  ph.Bottom = boxHeight;
  ph.Inch = inch;
  WORD checksum = 0;
  for (std::size_t i = 0; i < 10; ++i) checksum ^= Load<WORD>(reinterpret_cast<const std::uint8_t*>(&ph) + 2 * i);
  ph.Checksum = checksum;

  std::vector<std::uint8_t> out;
  ByteWriter w(out);
  w.Put(ph);
  w.Put(wh);
  w.PutBytes(FRecords.data(), FRecords.size());
  return out;
}

}  // namespace

std::vector<std::uint8_t> EmfToWmf(std::span<const std::uint8_t> emf) { return Exporter(emf).Run(); }

}  // namespace vx::plat::emf
