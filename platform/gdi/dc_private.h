// Internals of the device-context layer shared by its .cpp files: the drawing
// objects behind the handles, the handle table, the DC state and the surface.
// Nothing outside platform/gdi includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/dc_recorder.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/raster_spans.h"
#include "platform/gdi/region.h"
#include "platform/gdi/spans.h"

namespace vx::plat::gdi {

// 128-bit intermediates keep every Int32 product and sum exact.
__extension__ typedef __int128 Int128;

// ---------------------------------------------------------------------------
// Surfaces: the pixels of a bitmap
// ---------------------------------------------------------------------------

// Pixel store of a bitmap: 32-bit 0x00RRGGBB values; a monochrome surface
// holds only 0 (black, bit 0) and 0x00FFFFFF (white, bit 1).
struct Surface {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  int BitsPerPixel = 32;  // 1 or 32
  std::vector<std::uint32_t> Store;
  std::uint32_t* Top = nullptr;   // first pixel of the top row
  std::ptrdiff_t Stride = 0;      // uint32 values from one row to the next below (negative: bottom-up memory)

  // A width x height surface filled with `pixel`; bottomUp keeps rows in
  // memory bottom row first (DIB sections with a positive height).
  static std::shared_ptr<Surface> Make(std::int32_t width, std::int32_t height, int bitsPerPixel, std::uint32_t pixel,
                                       bool bottomUp = false);
  std::uint32_t* Row(std::int32_t y) { return Top + static_cast<std::ptrdiff_t>(y) * Stride; }
  const std::uint32_t* Row(std::int32_t y) const { return Top + static_cast<std::ptrdiff_t>(y) * Stride; }
  bool IsMono() const { return BitsPerPixel == 1; }
  TRect Bounds() const { return TRect{0, 0, Width, Height}; }
  // A deep copy (top-down memory).
  std::shared_ptr<Surface> Clone() const;
};

// The largest bitmap side and pixel count we allocate (1 GiB of pixels).
inline constexpr std::int64_t kMaxBitmapSide = 65536;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;

// Pixel <-> colour: COLORREF is 0x00BBGGRR, a surface pixel 0x00RRGGBB.
constexpr std::uint32_t ColorToPixel(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF PixelToColor(std::uint32_t p) {
  return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
// The monochrome value a colour draws as: the nearer of black and white.
constexpr std::uint32_t PixelToMono(std::uint32_t p) {
  const std::uint32_t sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
  return sum >= 384 ? 0x00FFFFFFu : 0u;
}
// A COLORREF as the caller gave it may carry a system-colour or palette flag
// in its top byte: only the low 24 bits count.
constexpr COLORREF CleanColor(COLORREF c) { return c & 0x00FFFFFFu; }

// ---------------------------------------------------------------------------
// Drawing objects and the handle table
// ---------------------------------------------------------------------------

enum class ObjKind : std::uint8_t { Pen, Brush, Font, Bitmap, Region, Dc };

struct GdiObject {
  explicit GdiObject(ObjKind kind) : Kind(kind) {}
  virtual ~GdiObject() = default;
  ObjKind Kind;
  std::uintptr_t Handle = 0;  // its handle value while it is in the table
  bool Stock = false;
  int SelectCount = 0;        // DCs that have it selected right now (not counting saved states)
};

struct PenObj : GdiObject {
  PenObj() : GdiObject(ObjKind::Pen) {}
  UINT Style = PS_SOLID;  // with PS_GEOMETRIC / cap / join bits for extended pens
  std::int32_t Width = 0;  // logical units
  COLORREF Color = 0;
  bool Extended = false;   // made by ExtCreatePen (GetObject reports EXTLOGPEN)
  UINT BrushStyle = BS_SOLID;
  std::uintptr_t BrushHatch = 0;
  UINT BaseStyle() const { return Style & PS_STYLE_MASK; }
  bool IsNull() const { return BaseStyle() == PS_NULL; }
};

struct BrushObj : GdiObject {
  BrushObj() : GdiObject(ObjKind::Brush) {}
  UINT Style = BS_SOLID;
  COLORREF Color = 0;
  int Hatch = 0;
  std::shared_ptr<const Surface> Pattern;  // BS_PATTERN: a private copy of the bitmap
  std::uintptr_t PatternHandle = 0;        // the bitmap handle it was made from (GetObject)
};

struct FontObj : GdiObject {
  FontObj() : GdiObject(ObjKind::Font) {}
  LOGFONTW Log;
};

struct BitmapObj : GdiObject {
  BitmapObj() : GdiObject(ObjKind::Bitmap) {}
  std::shared_ptr<Surface> Surf;
  bool DibSection = false;
  struct Dc* SelectedIn = nullptr;  // the DC it is selected into (one at most; not for stock)
};


// Registers an object and returns its new handle value.
std::uintptr_t AddObject(std::shared_ptr<GdiObject> object);
// The object of a handle, or nullptr for a stale or unknown handle.
GdiObject* FindObject(const void* handle);
std::shared_ptr<GdiObject> FindShared(const void* handle);
// Removes an object from the table (its handle goes stale).
void RemoveObject(GdiObject* object);
// Every live DC (for telling recorders about deleted objects).
std::vector<struct Dc*> LiveDcs();

template <class T>
T* FindAs(const void* handle, ObjKind kind) {
  GdiObject* o = FindObject(handle);
  return o && o->Kind == kind ? static_cast<T*>(o) : nullptr;
}

// ---------------------------------------------------------------------------
// Device-context state
// ---------------------------------------------------------------------------

struct Selected {
  HGDIOBJ Handle = nullptr;
  std::shared_ptr<GdiObject> Object;
};

struct DcState {
  int MapMode = MM_TEXT;
  int GraphicsMode = GM_COMPATIBLE;
  TPoint WindowOrg;
  TSize WindowExt{1, 1};
  TPoint ViewportOrg;
  TSize ViewportExt{1, 1};
  Selected Pen;
  Selected Brush;
  Selected Font;
  int BkMode = OPAQUE;
  COLORREF BkColor = 0x00FFFFFF;
  COLORREF TextColor = 0;
  UINT TextAlign = TA_LEFT | TA_TOP;
  int Rop2 = R2_COPYPEN;
  int PolyFillMode = ALTERNATE;
  int StretchMode = BLACKONWHITE;
  TPoint BrushOrg;  // device units
  TPoint CurPos;    // logical units
  std::shared_ptr<const Region> Clip;  // device units; null = unclipped (shared: never changed in place)

  const PenObj& PenRef() const { return static_cast<const PenObj&>(*Pen.Object); }
  const BrushObj& BrushRef() const { return static_cast<const BrushObj&>(*Brush.Object); }
  const FontObj& FontRef() const { return static_cast<const FontObj&>(*Font.Object); }
};

struct Dc : GdiObject {
  Dc() : GdiObject(ObjKind::Dc) {}
  ~Dc() override;
  UINT ObjectType = OBJ_MEMDC;  // OBJ_DC, OBJ_MEMDC or OBJ_ENHMETADC
  DeviceDesc Desc;
  Selected Bitmap;               // null for a DC without a surface
  HGDIOBJ OwnBitmap = nullptr;   // the surface it made itself, deleted with it
  TPoint ViewOrigin;             // surface pixel of device (0, 0)
  std::optional<TRect> Visible;  // surface pixels the DC may touch
  DcState State;
  std::vector<DcState> Saved;
  std::unique_ptr<DcRecorder> Recorder;

  Surface* Surf() const;
  // Device pixels the DC may draw on (surface and visible part, in device
  // coordinates); empty without a surface.
  TRect DeviceBounds() const;
};

Dc* FindDc(HDC dc);
// Swaps the object selected in `slot` and keeps SelectCount right.
void Reselect(Selected& slot, Selected next);
// The handle value of a stock object (created on first use).
HGDIOBJ StockObject(int index);
// The stock 1x1 monochrome bitmap that new memory DCs hold.
HGDIOBJ StockBitmap();
// Registers a bitmap over a surface; nullptr when the table is full.
HBITMAP RegisterBitmap(std::shared_ptr<Surface> surface, bool dibSection);

// ---------------------------------------------------------------------------
// Mapping (dc_mapping.cpp)
// ---------------------------------------------------------------------------

// a * b / c rounded to nearest, halves away from zero, in 128-bit; c != 0.
std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c);
// Saturates to Int32.
std::int32_t Saturate32(std::int64_t v);

// Logical -> device of one coordinate pair in 64 bits (never overflows).
struct DPoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
};
DPoint ToDevice(const DcState& s, TPoint p);
TPoint ToLogical(const DcState& s, std::int64_t x, std::int64_t y);
// Lengths through the scales (magnitude, at least 0).
std::int64_t LengthToDeviceX(const DcState& s, std::int64_t len);
std::int64_t LengthToDeviceY(const DcState& s, std::int64_t len);
std::int64_t LengthToLogicalX(const DcState& s, std::int64_t len);
std::int64_t LengthToLogicalY(const DcState& s, std::int64_t len);
// A logical rectangle mapped to device units and normalised (l <= r, t <= b).
TRect RectToDevice(const DcState& s, const TRect& r);
// The extents a fixed mapping mode gives on this device.
void ApplyFixedModeExtents(const Dc& dc, DcState& s);
// The isotropic shrink of the viewport extent.
void AdjustIsotropic(DcState& s);

// ---------------------------------------------------------------------------
// Pixel operations (dc_raster.cpp)
// ---------------------------------------------------------------------------

// A 24-bit binary raster operation on pen P and destination D.
std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest);
// A ternary raster operation (bits 16..23 of `rop`) on pattern, source, destination.
std::uint32_t ApplyRop3(std::uint8_t code, std::uint32_t pat, std::uint32_t src, std::uint32_t dest);

// Where drawing of one call goes: the surface, the offset of device pixels on
// it, and the clip (bounds in device pixels plus the clip region's spans
// inside them when the clip region is not a plain rectangle).
struct Target {
  Surface* Surf = nullptr;
  TPoint Origin;        // surface = device + Origin
  TRect Bounds;         // device pixels; empty = nothing visible
  bool Clipped = false;  // Clip holds the visible spans within Bounds
  SpanList Clip;
  bool Visible() const { return Surf && !Bounds.IsEmpty(); }
};
// The target of a DC; not Visible() when it has no surface or all is clipped.
Target TargetOf(const Dc& dc);
// Spans cut to the target's bounds and clip.
SpanList ClipToTarget(const Target& t, SpanList spans);

// The colour source of a fill: solid, hatch, pattern (with text/bk colours
// for monochrome patterns and hatch gaps).
struct Paint {
  enum class Kind : std::uint8_t { None, Solid, Hatch, Pattern } Kind = Kind::None;
  std::uint32_t Color = 0;        // pixel value (solid, hatch lines)
  std::uint32_t Back = 0;         // pixel value of hatch gaps / mono pattern 1 bits
  std::uint32_t Fore = 0;         // pixel value of mono pattern 0 bits
  bool OpaqueGaps = true;         // hatch gaps painted with Back
  int Hatch = 0;
  const Surface* Pattern = nullptr;
  TPoint Origin;                  // device pixel where pattern cell (0, 0) lies
  // The paint pixel at device (x, y), or false when the pixel is left alone.
  bool At(std::int32_t x, std::int32_t y, std::uint32_t& out) const;
};
// The paint of a brush in a DC's state (colours, background mode, origin).
Paint BrushPaint(const DcState& s, const BrushObj& brush);
Paint SolidPaint(std::uint32_t pixel);
// Applies paint with a binary raster operation to already clipped spans.
void FillSpans(const Target& t, const SpanList& spans, const Paint& paint, int rop2);
// Applies a ternary raster operation with pattern and no source.
void PatSpans(const Target& t, const SpanList& spans, const Paint& pattern, std::uint8_t rop3);

// Whether a hatch pattern has ink at cell (x, y), 0..7 each.
bool HatchBit(int hatch, int x, int y);

}  // namespace vx::plat::gdi
