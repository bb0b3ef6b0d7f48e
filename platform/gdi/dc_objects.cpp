// Drawing objects behind handles: the handle table (stale handles are
// recognised by a generation count), stock objects, creation, selection,
// deletion and description of pens, brushes, fonts and bitmaps.
#include <algorithm>
#include <cstring>

#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {
namespace {

// Handle value = ((generation << 28) | (index + 1)) << 4: never null, never a
// small integer, and a freed slot's old handles stop matching at once.
constexpr int kIndexBits = 28;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;

struct Slot {
  std::shared_ptr<GdiObject> Object;
  std::uint32_t Generation = 1;
};

struct HandleTable {
  std::vector<Slot> Slots;
  std::vector<std::uint32_t> Free;
  std::size_t LiveNonStock = 0;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

bool DecodeHandle(const void* handle, std::size_t& index, std::uint32_t& generation) {
  const auto v = reinterpret_cast<std::uintptr_t>(handle);
  if (v == 0 || (v & 0xF) != 0) return false;
  const std::uintptr_t body = v >> 4;
  const std::uintptr_t idx = body & kIndexMask;
  if (idx == 0) return false;
  index = idx - 1;
  generation = static_cast<std::uint32_t>(body >> kIndexBits);
  return true;
}

template <class T>
std::uintptr_t Register(std::shared_ptr<T> object) {
  return AddObject(std::move(object));
}

HGDIOBJ AsHandle(std::uintptr_t v) { return reinterpret_cast<HGDIOBJ>(v); }

}  // namespace

std::uintptr_t AddObject(std::shared_ptr<GdiObject> object) {
  HandleTable& t = Table();
  std::uint32_t index;
  if (!t.Free.empty()) {
    index = t.Free.back();
    t.Free.pop_back();
  } else {
    if (t.Slots.size() >= kIndexMask - 1) return 0;  // table full: creation fails
    index = static_cast<std::uint32_t>(t.Slots.size());
    t.Slots.emplace_back();
  }
  Slot& slot = t.Slots[index];
  // Generations wrap within 32 bits; the handle keeps 28 index bits below them.
  const std::uintptr_t value = ((std::uintptr_t{slot.Generation} << kIndexBits) | (index + 1)) << 4;
  object->Handle = value;
  if (!object->Stock) ++t.LiveNonStock;
  slot.Object = std::move(object);
  return value;
}

GdiObject* FindObject(const void* handle) {
  std::size_t index;
  std::uint32_t generation;
  if (!DecodeHandle(handle, index, generation)) return nullptr;
  HandleTable& t = Table();
  if (index >= t.Slots.size()) return nullptr;
  Slot& slot = t.Slots[index];
  if (!slot.Object || slot.Generation != generation) return nullptr;
  return slot.Object.get();
}

std::shared_ptr<GdiObject> FindShared(const void* handle) {
  GdiObject* o = FindObject(handle);
  if (!o) return nullptr;
  std::size_t index = 0;
  std::uint32_t generation = 0;
  DecodeHandle(handle, index, generation);
  return Table().Slots[index].Object;
}

void RemoveObject(GdiObject* object) {
  std::size_t index;
  std::uint32_t generation;
  if (!object || !DecodeHandle(reinterpret_cast<const void*>(object->Handle), index, generation)) return;
  HandleTable& t = Table();
  if (index >= t.Slots.size() || t.Slots[index].Object.get() != object) return;
  Slot& slot = t.Slots[index];
  if (!object->Stock) --t.LiveNonStock;
  object->Handle = 0;
  auto keep = std::move(slot.Object);  // freed after the slot is consistent again
  slot.Object.reset();
  slot.Generation = (slot.Generation + 1) & 0xFFFFFFFu;
  if (slot.Generation == 0) slot.Generation = 1;
  t.Free.push_back(static_cast<std::uint32_t>(index));
}

std::vector<Dc*> LiveDcs() {
  std::vector<Dc*> result;
  for (Slot& slot : Table().Slots)
    if (slot.Object && slot.Object->Kind == ObjKind::Dc) result.push_back(static_cast<Dc*>(slot.Object.get()));
  return result;
}

Dc* FindDc(HDC dc) { return FindAs<Dc>(dc, ObjKind::Dc); }

void Reselect(Selected& slot, Selected next) {
  if (next.Object) ++next.Object->SelectCount;
  if (slot.Object) --slot.Object->SelectCount;
  slot = std::move(next);
}

namespace {

std::shared_ptr<PenObj> MakePen(UINT style, std::int32_t width, COLORREF color) {
  auto pen = std::make_shared<PenObj>();
  pen->Style = style;
  pen->Width = width < 0 ? 0 : width;
  pen->Color = CleanColor(color);
  return pen;
}

std::shared_ptr<BrushObj> MakeBrush(UINT style, COLORREF color, int hatch) {
  auto brush = std::make_shared<BrushObj>();
  brush->Style = style;
  brush->Color = CleanColor(color);
  brush->Hatch = hatch;
  return brush;
}

std::shared_ptr<FontObj> MakeFont(std::int32_t height, std::int32_t weight, BYTE pitch, std::u16string_view face) {
  auto font = std::make_shared<FontObj>();
  font->Log.lfHeight = height;
  font->Log.lfWeight = weight;
  font->Log.lfPitchAndFamily = pitch;
  std::copy_n(face.begin(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1), font->Log.lfFaceName);
  return font;
}

std::shared_ptr<GdiObject> MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH: return MakeBrush(BS_SOLID, 0xFFFFFF, 0);
    case LTGRAY_BRUSH: return MakeBrush(BS_SOLID, 0xC0C0C0, 0);
    case GRAY_BRUSH: return MakeBrush(BS_SOLID, 0x808080, 0);
    case DKGRAY_BRUSH: return MakeBrush(BS_SOLID, 0x404040, 0);
    case BLACK_BRUSH: return MakeBrush(BS_SOLID, 0, 0);
    case NULL_BRUSH: return MakeBrush(BS_NULL, 0, 0);
    case WHITE_PEN: return MakePen(PS_SOLID, 0, 0xFFFFFF);
    case BLACK_PEN: return MakePen(PS_SOLID, 0, 0);
    case NULL_PEN: return MakePen(PS_NULL, 0, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: return MakeFont(16, FW_NORMAL, FIXED_PITCH | FF_MODERN, u"Courier New");
    case ANSI_VAR_FONT: return MakeFont(13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: return MakeFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, u"System");
    case DEFAULT_GUI_FONT: return MakeFont(-11, FW_NORMAL, DEFAULT_PITCH, u"Tahoma");
    default: return nullptr;
  }
}

}  // namespace

HGDIOBJ StockObject(int index) {
  static std::uintptr_t handles[DEFAULT_GUI_FONT + 1] = {};
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  if (handles[index] == 0 || !FindObject(AsHandle(handles[index]))) {
    auto object = MakeStock(index);
    if (!object) return nullptr;
    object->Stock = true;
    handles[index] = AddObject(std::move(object));
  }
  return AsHandle(handles[index]);
}

HGDIOBJ StockBitmap() {
  static std::uintptr_t handle = 0;
  if (handle == 0 || !FindObject(AsHandle(handle))) {
    auto bitmap = std::make_shared<BitmapObj>();
    bitmap->Surf = Surface::Make(1, 1, 1, 0x00FFFFFF);
    bitmap->Stock = true;
    handle = AddObject(std::move(bitmap));
  }
  return AsHandle(handle);
}

}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

int PenModeToROP2(int mode) {
  // pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
  // pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask,
  // pmNotMask, pmXor, pmNotXor
  static constexpr int kRop2[16] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return mode >= 0 && mode < 16 ? kRop2[mode] : R2_COPYPEN;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  // Plain styles only; caps, joins and user styles need ExtCreatePen.
  if (style < 0 || style > static_cast<int>(PS_ALTERNATE) || style == static_cast<int>(PS_USERSTYLE)) return nullptr;
  const UINT s = static_cast<UINT>(style);
  return static_cast<HPEN>(AsHandle(Register(MakePen(s, width, color))));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  if (!brush) return nullptr;
  const UINT base = style & PS_STYLE_MASK;
  if (base > PS_ALTERNATE) return nullptr;
  const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  // Cosmetic extended pens are one pixel wide; user styles are drawn solid.
  if (!geometric && width != 1) return nullptr;
  if (width > 0x7FFFFFFFu) return nullptr;
  auto pen = MakePen(style, static_cast<std::int32_t>(width), brush->lbColor);
  pen->Extended = true;
  pen->BrushStyle = brush->lbStyle;
  pen->BrushHatch = brush->lbHatch;
  if (brush->lbStyle == BS_NULL) pen->Style = (style & ~PS_STYLE_MASK) | PS_NULL;
  (void)styleCount;
  (void)styles;
  return static_cast<HPEN>(AsHandle(Register(std::move(pen))));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(AsHandle(Register(MakeBrush(BS_SOLID, color, 0))));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  return static_cast<HBRUSH>(AsHandle(Register(MakeBrush(BS_HATCHED, color, hatch))));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto* b = FindAs<BitmapObj>(bitmap, ObjKind::Bitmap);
  if (!b || !b->Surf) return nullptr;
  auto brush = MakeBrush(BS_PATTERN, 0, 0);
  brush->Pattern = b->Surf->Clone();
  brush->PatternHandle = reinterpret_cast<std::uintptr_t>(bitmap);
  return static_cast<HBRUSH>(AsHandle(Register(std::move(brush))));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(AsHandle(Register(MakeBrush(BS_NULL, brush->lbColor, 0))));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default: return nullptr;
  }
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  auto f = std::make_shared<FontObj>();
  f->Log = *font;
  f->Log.lfFaceName[LF_FACESIZE - 1] = 0;  // a full name without terminator is cut, not overrun
  return static_cast<HFONT>(AsHandle(Register(std::move(f))));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const WCHAR* faceName) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfStrikeOut = strikeOut ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName)
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  return CreateFontIndirectW(&lf);
}

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

namespace {

HGDIOBJ SelectBitmap(Dc& dc, HGDIOBJ handle, BitmapObj& bitmap) {
  if (dc.Desc.Surface == SurfaceKind::None) return nullptr;
  if (!bitmap.Stock && bitmap.SelectedIn && bitmap.SelectedIn != &dc) return nullptr;
  if (dc.Recorder) dc.Recorder->SelectObject(handle);
  HGDIOBJ previous = dc.Bitmap.Handle;
  if (auto* old = dc.Bitmap.Object ? static_cast<BitmapObj*>(dc.Bitmap.Object.get()) : nullptr) old->SelectedIn = nullptr;
  Reselect(dc.Bitmap, Selected{handle, FindShared(handle)});
  if (!bitmap.Stock) bitmap.SelectedIn = &dc;
  return previous;
}

}  // namespace

HGDIOBJ SelectObject(HDC dcHandle, HGDIOBJ object) {
  Dc* dc = FindDc(dcHandle);
  GdiObject* o = FindObject(object);
  if (!dc || !o) return nullptr;
  Selected* slot = nullptr;
  switch (o->Kind) {
    case ObjKind::Pen: slot = &dc->State.Pen; break;
    case ObjKind::Brush: slot = &dc->State.Brush; break;
    case ObjKind::Font: slot = &dc->State.Font; break;
    case ObjKind::Bitmap: return SelectBitmap(*dc, object, static_cast<BitmapObj&>(*o));
    case ObjKind::Region: {
      const int kind = SelectClipRgn(dcHandle, static_cast<HRGN>(object));
      return kind == ERROR ? HGDI_ERROR() : reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(kind));
    }
    case ObjKind::Dc: return nullptr;
  }
  if (dc->Recorder) dc->Recorder->SelectObject(object);
  HGDIOBJ previous = slot->Handle;
  Reselect(*slot, Selected{object, FindShared(object)});
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = FindObject(object);
  if (!o || o->Kind == ObjKind::Dc) return FALSE;
  if (o->Stock) return TRUE;
  if (o->SelectCount > 0) return FALSE;
  for (Dc* dc : LiveDcs())
    if (dc->Recorder) dc->Recorder->DeleteObject(object);
  RemoveObject(o);
  return TRUE;
}

namespace {

int CopyOut(const void* source, int needed, int size, void* buffer) {
  if (!buffer) return needed;
  if (size <= 0) return 0;
  const int n = std::min(size, needed);
  std::memcpy(buffer, source, static_cast<std::size_t>(n));
  return n;
}

BITMAP DescribeBitmap(const BitmapObj& b) {
  BITMAP bm;
  const Surface& s = *b.Surf;
  bm.bmWidth = s.Width;
  bm.bmHeight = s.Height;
  bm.bmBitsPixel = static_cast<WORD>(s.BitsPerPixel);
  bm.bmWidthBytes = s.IsMono() ? ((s.Width + 15) / 16) * 2 : s.Width * 4;
  bm.bmPlanes = 1;
  bm.bmBits = b.DibSection ? static_cast<void*>(b.Surf->Store.data()) : nullptr;
  return bm;
}

}  // namespace

int GetObject(HGDIOBJ object, int size, void* buffer) {
  GdiObject* o = FindObject(object);
  if (!o) return 0;
  switch (o->Kind) {
    case ObjKind::Pen: {
      auto& p = static_cast<PenObj&>(*o);
      if (p.Extended) {
        EXTLOGPEN e;
        e.elpPenStyle = p.Style;
        e.elpWidth = static_cast<DWORD>(p.Width);
        e.elpBrushStyle = p.BrushStyle;
        e.elpColor = p.Color;
        e.elpHatch = p.BrushHatch;
        return CopyOut(&e, static_cast<int>(sizeof e), size, buffer);
      }
      LOGPEN lp;
      lp.lopnStyle = p.Style;
      lp.lopnWidth = TPoint{p.Width, 0};
      lp.lopnColor = p.Color;
      return CopyOut(&lp, static_cast<int>(sizeof lp), size, buffer);
    }
    case ObjKind::Brush: {
      auto& b = static_cast<BrushObj&>(*o);
      LOGBRUSH lb;
      lb.lbStyle = b.Style;
      lb.lbColor = b.Color;
      lb.lbHatch = b.Style == BS_PATTERN ? b.PatternHandle : static_cast<std::uintptr_t>(b.Hatch);
      return CopyOut(&lb, static_cast<int>(sizeof lb), size, buffer);
    }
    case ObjKind::Font:
      return CopyOut(&static_cast<FontObj&>(*o).Log, static_cast<int>(sizeof(LOGFONTW)), size, buffer);
    case ObjKind::Bitmap: {
      const BITMAP bm = DescribeBitmap(static_cast<BitmapObj&>(*o));
      return CopyOut(&bm, static_cast<int>(sizeof bm), size, buffer);
    }
    case ObjKind::Region:
    case ObjKind::Dc: return 0;
  }
  return 0;
}

UINT GetObjectType(HGDIOBJ object) {
  GdiObject* o = FindObject(object);
  if (!o) return 0;
  switch (o->Kind) {
    case ObjKind::Pen: return static_cast<PenObj&>(*o).Extended ? OBJ_EXTPEN : OBJ_PEN;
    case ObjKind::Brush: return OBJ_BRUSH;
    case ObjKind::Font: return OBJ_FONT;
    case ObjKind::Bitmap: return OBJ_BITMAP;
    case ObjKind::Region: return OBJ_REGION;
    case ObjKind::Dc: return static_cast<Dc&>(*o).ObjectType;
  }
  return 0;
}

HGDIOBJ GetCurrentObject(HDC dcHandle, UINT type) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return dc->State.Pen.Handle;
    case OBJ_BRUSH: return dc->State.Brush.Handle;
    case OBJ_FONT: return dc->State.Font.Handle;
    case OBJ_BITMAP: return dc->Bitmap.Handle;
    default: return nullptr;
  }
}

std::size_t GdiObjectCount() { return Table().LiveNonStock; }

}  // namespace vx::plat
