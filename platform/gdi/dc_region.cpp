// Region handles and the DC operations on regions: filling, framing,
// painting and inverting (regions given in logical units, mapped by the DC)
// and clipping (clip regions kept in device units).
#include <algorithm>

#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {
namespace {

struct RegionObj : GdiObject {
  RegionObj() : GdiObject(ObjKind::Region) {}
  Region Rgn;
};

RegionObj* FindRgn(HRGN h) { return FindAs<RegionObj>(h, ObjKind::Region); }

HRGN NewRegion(Region r) {
  auto obj = std::make_shared<RegionObj>();
  obj->Rgn = std::move(r);
  return reinterpret_cast<HRGN>(AddObject(std::move(obj)));
}

int Kind(const Region& r) { return static_cast<int>(r.Complexity()); }

bool IsIdentityScale(const DcState& s) {
  return s.WindowExt.cx == s.ViewportExt.cx && s.WindowExt.cy == s.ViewportExt.cy;
}

// The device pixels of a region given in logical units: every band rectangle
// goes through the mapping (axis flips reorder its corners).
Region ToDeviceRegion(const DcState& s, const Region& logical) {
  if (IsIdentityScale(s)) {
    Region r = logical;
    r.Offset(Saturate32(std::int64_t{s.ViewportOrg.x} - s.WindowOrg.x),
             Saturate32(std::int64_t{s.ViewportOrg.y} - s.WindowOrg.y));
    return r;
  }
  std::vector<TRect> rects = logical.Rects();
  for (TRect& r : rects) r = RectToDevice(s, r);
  return Region::FromRects(rects.data(), rects.size());
}

// The device area of a DC without clipping (its surface, or its device size).
Region WholeDevice(const Dc& dc) {
  if (dc.Surf()) return Region::FromRect(dc.DeviceBounds());
  return Region::FromRect(TRect{0, 0, dc.Desc.Width, dc.Desc.Height});
}

// The current clip combined with `region` (device units) by `op`.
int CombineClip(Dc& dc, const Region* region, RegionOp op) {
  if (op == RegionOp::Copy) {
    dc.State.Clip = region ? std::make_shared<const Region>(*region) : nullptr;
  } else {
    if (!region) return ERROR;
    const Region current = dc.State.Clip ? *dc.State.Clip : WholeDevice(dc);
    dc.State.Clip = std::make_shared<const Region>(Region::Combine(current, *region, op));
  }
  return dc.State.Clip ? Kind(*dc.State.Clip) : SIMPLEREGION;
}

void PaintRegion(Dc& dc, const Region& logical, const Paint& paint, int rop2) {
  const Target t = TargetOf(dc);
  if (!t.Visible()) return;
  const Region device = ToDeviceRegion(dc.State, logical);
  FillSpans(t, ClipToTarget(t, device.Spans(t.Bounds)), paint, rop2);
}

}  // namespace
}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion(Region::FromRect(TRect{left, top, right, bottom}));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->Left, rect->Top, rect->Right, rect->Bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion(Region::FromEllipse(TRect{left, top, right, bottom}));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
  return rect ? CreateEllipticRgn(rect->Left, rect->Top, rect->Right, rect->Bottom) : nullptr;
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (count < 0 || (count > 0 && !points) || (fillMode != ALTERNATE && fillMode != WINDING)) return nullptr;
  return NewRegion(Region::FromPolygon(points, static_cast<std::size_t>(count), static_cast<FillMode>(fillMode)));
}

HRGN CreatePolyPolygonRgn(const POINT* points, const int* counts, int polygons, int fillMode) {
  if (polygons < 0 || (polygons > 0 && (!points || !counts)) || (fillMode != ALTERNATE && fillMode != WINDING))
    return nullptr;
  for (int i = 0; i < polygons; ++i)
    if (counts[i] < 0) return nullptr;
  return NewRegion(Region::FromPolyPolygon(points, counts, static_cast<std::size_t>(polygons),
                                           static_cast<FillMode>(fillMode)));
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
  return NewRegion(Region::FromRoundRect(TRect{left, top, right, bottom}, width, height));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  RegionObj* d = FindRgn(dest);
  RegionObj* a = FindRgn(src1);
  if (!d || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    d->Rgn = a->Rgn;
    return Kind(d->Rgn);
  }
  RegionObj* b = FindRgn(src2);
  if (!b) return ERROR;
  d->Rgn = Region::Combine(a->Rgn, b->Rgn, static_cast<RegionOp>(mode));
  return Kind(d->Rgn);
}

int OffsetRgn(HRGN region, int dx, int dy) {
  RegionObj* r = FindRgn(region);
  if (!r) return ERROR;
  r->Rgn.Offset(dx, dy);
  return Kind(r->Rgn);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  RegionObj* r = FindRgn(region);
  if (!r) return FALSE;
  r->Rgn = Region::FromRect(TRect{left, top, right, bottom});
  return TRUE;
}

BOOL PtInRegion(HRGN region, int x, int y) {
  RegionObj* r = FindRgn(region);
  return r && r->Rgn.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
  RegionObj* r = FindRgn(region);
  return r && rect && r->Rgn.IntersectsRect(*rect) ? TRUE : FALSE;
}

int GetRgnBox(HRGN region, RECT* box) {
  RegionObj* r = FindRgn(region);
  if (!r || !box) return ERROR;
  *box = r->Rgn.Bounds();
  return Kind(r->Rgn);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObj* ra = FindRgn(a);
  RegionObj* rb = FindRgn(b);
  if (!ra || !rb) return ERROR;
  return ra->Rgn == rb->Rgn ? TRUE : FALSE;
}

BOOL FillRgn(HDC dcHandle, HRGN region, HBRUSH brush) {
  Dc* dc = FindDc(dcHandle);
  RegionObj* r = FindRgn(region);
  auto* b = FindAs<BrushObj>(brush, ObjKind::Brush);
  if (!dc || !r || !b) return FALSE;
  if (dc->Recorder) dc->Recorder->FillRgn(region, brush);
  PaintRegion(*dc, r->Rgn, BrushPaint(dc->State, *b), R2_COPYPEN);
  return TRUE;
}

BOOL FrameRgn(HDC dcHandle, HRGN region, HBRUSH brush, int width, int height) {
  Dc* dc = FindDc(dcHandle);
  RegionObj* r = FindRgn(region);
  auto* b = FindAs<BrushObj>(brush, ObjKind::Brush);
  if (!dc || !r || !b) return FALSE;
  if (dc->Recorder) dc->Recorder->FrameRgn(region, brush, width, height);
  const Target t = TargetOf(*dc);
  if (!t.Visible()) return TRUE;
  const Region device = ToDeviceRegion(dc->State, r->Rgn);
  // The frame's width and height are logical lengths, at least one pixel.
  const int w = static_cast<int>(std::clamp<std::int64_t>(LengthToDeviceX(dc->State, width), 1, 1 << 20));
  const int h = static_cast<int>(std::clamp<std::int64_t>(LengthToDeviceY(dc->State, height), 1, 1 << 20));
  FillSpans(t, ClipToTarget(t, device.FrameSpans(w, h, t.Bounds)), BrushPaint(dc->State, *b), R2_COPYPEN);
  return TRUE;
}

BOOL PaintRgn(HDC dcHandle, HRGN region) {
  Dc* dc = FindDc(dcHandle);
  RegionObj* r = FindRgn(region);
  if (!dc || !r) return FALSE;
  if (dc->Recorder) dc->Recorder->PaintRgn(region);
  PaintRegion(*dc, r->Rgn, BrushPaint(dc->State, dc->State.BrushRef()), dc->State.Rop2);
  return TRUE;
}

BOOL InvertRgn(HDC dcHandle, HRGN region) {
  Dc* dc = FindDc(dcHandle);
  RegionObj* r = FindRgn(region);
  if (!dc || !r) return FALSE;
  if (dc->Recorder) dc->Recorder->InvertRgn(region);
  PaintRegion(*dc, r->Rgn, SolidPaint(0), R2_NOT);
  return TRUE;
}

int SelectClipRgn(HDC dcHandle, HRGN region) { return ExtSelectClipRgn(dcHandle, region, RGN_COPY); }

int ExtSelectClipRgn(HDC dcHandle, HRGN region, int mode) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  RegionObj* r = region ? FindRgn(region) : nullptr;
  if (region && !r) return ERROR;
  if (!r && mode != RGN_COPY) return ERROR;
  if (dc->Recorder) dc->Recorder->ExtSelectClipRgn(region, mode);
  return CombineClip(*dc, r ? &r->Rgn : nullptr, static_cast<RegionOp>(mode));
}

int IntersectClipRect(HDC dcHandle, int left, int top, int right, int bottom) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return ERROR;
  if (dc->Recorder) dc->Recorder->IntersectClipRect(left, top, right, bottom);
  const Region r = Region::FromRect(RectToDevice(dc->State, TRect{left, top, right, bottom}));
  return CombineClip(*dc, &r, RegionOp::And);
}

int ExcludeClipRect(HDC dcHandle, int left, int top, int right, int bottom) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return ERROR;
  if (dc->Recorder) dc->Recorder->ExcludeClipRect(left, top, right, bottom);
  const Region r = Region::FromRect(RectToDevice(dc->State, TRect{left, top, right, bottom}));
  return CombineClip(*dc, &r, RegionOp::Diff);
}

int OffsetClipRgn(HDC dcHandle, int dx, int dy) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return ERROR;
  if (dc->Recorder) dc->Recorder->OffsetClipRgn(dx, dy);
  if (!dc->State.Clip) return SIMPLEREGION;
  Region moved = *dc->State.Clip;
  moved.Offset(Saturate32(MulDivRound(dx, dc->State.ViewportExt.cx, dc->State.WindowExt.cx)),
               Saturate32(MulDivRound(dy, dc->State.ViewportExt.cy, dc->State.WindowExt.cy)));
  dc->State.Clip = std::make_shared<const Region>(std::move(moved));
  return Kind(*dc->State.Clip);
}

int GetClipBox(HDC dcHandle, RECT* rect) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !rect) return ERROR;
  Region visible = WholeDevice(*dc);
  if (dc->State.Clip) visible = Region::Combine(visible, *dc->State.Clip, RegionOp::And);
  const TRect box = visible.Bounds();
  // The logical images of the device box's top-left and bottom-right corners:
  // with a flipped axis the logical Top lies below Bottom, as callers expect.
  const TPoint a = ToLogical(dc->State, box.Left, box.Top);
  const TPoint b = ToLogical(dc->State, box.Right, box.Bottom);
  *rect = TRect{a.x, a.y, b.x, b.y};
  return Kind(visible);
}

int GetClipRgn(HDC dcHandle, HRGN region) {
  Dc* dc = FindDc(dcHandle);
  RegionObj* r = FindRgn(region);
  if (!dc || !r) return -1;
  if (!dc->State.Clip) return 0;
  r->Rgn = *dc->State.Clip;
  return 1;
}

BOOL PtVisible(HDC dcHandle, int x, int y) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return FALSE;
  const DPoint d = ToDevice(dc->State, TPoint{x, y});
  if (d.x < INT32_MIN || d.x > INT32_MAX || d.y < INT32_MIN || d.y > INT32_MAX) return FALSE;
  const auto px = static_cast<std::int32_t>(d.x), py = static_cast<std::int32_t>(d.y);
  if (!WholeDevice(*dc).Contains(px, py)) return FALSE;
  return !dc->State.Clip || dc->State.Clip->Contains(px, py) ? TRUE : FALSE;
}

BOOL RectVisible(HDC dcHandle, const RECT* rect) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !rect) return FALSE;
  Region visible = WholeDevice(*dc);
  if (dc->State.Clip) visible = Region::Combine(visible, *dc->State.Clip, RegionOp::And);
  return visible.IntersectsRect(RectToDevice(dc->State, *rect)) ? TRUE : FALSE;
}

}  // namespace vx::plat
