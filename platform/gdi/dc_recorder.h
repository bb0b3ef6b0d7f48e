// The recording hook of a device context: a DC that carries a recorder calls
// it first on every state change and drawing call, with the arguments exactly
// as the caller gave them (logical units), then updates its own state, then
// draws on its surface when it has one. A metafile writer implements this.
#pragma once

#include <cstddef>

#include "platform/gdi/gdi.h"

namespace vx::plat::gdi {

// One virtual per recorded operation; every default does nothing, so a
// recorder overrides what it stores. Calls that fail their argument checks
// (stale handles, negative counts) are not passed on. Object arguments are
// handles valid during the call: GetObject reads their description.
class DcRecorder {
public:
  virtual ~DcRecorder() = default;

  // State.
  virtual void SaveDC() {}
  virtual void RestoreDC(int savedDC) {}
  virtual void SetMapMode(int mode) {}
  virtual void SetWindowOrgEx(int x, int y) {}
  virtual void SetWindowExtEx(int cx, int cy) {}
  virtual void SetViewportOrgEx(int x, int y) {}
  virtual void SetViewportExtEx(int cx, int cy) {}
  virtual void OffsetWindowOrgEx(int dx, int dy) {}
  virtual void OffsetViewportOrgEx(int dx, int dy) {}
  virtual void ScaleViewportExtEx(int xNum, int xDenom, int yNum, int yDenom) {}
  virtual void ScaleWindowExtEx(int xNum, int xDenom, int yNum, int yDenom) {}
  virtual void SetROP2(int rop2) {}
  virtual void SetBkMode(int mode) {}
  virtual void SetBkColor(COLORREF color) {}
  virtual void SetTextColor(COLORREF color) {}
  virtual void SetTextAlign(UINT align) {}
  virtual void SetPolyFillMode(int mode) {}
  virtual void SetStretchBltMode(int mode) {}
  virtual void SetBrushOrgEx(int x, int y) {}
  virtual void MoveToEx(int x, int y) {}

  // Objects: selection of a pen, brush, font or bitmap (regions go through
  // SelectClipRgn); a stock object arrives as its stock handle.
  virtual void SelectObject(HGDIOBJ object) {}
  // Sent to every recording DC when an object is freed, so it can free its copy.
  virtual void DeleteObject(HGDIOBJ object) {}

  // Lines and figures.
  virtual void LineTo(int x, int y) {}
  virtual void Polyline(const POINT* points, int count) {}
  virtual void PolylineTo(const POINT* points, DWORD count) {}
  virtual void PolyPolyline(const POINT* points, const DWORD* counts, DWORD polylines) {}
  virtual void Polygon(const POINT* points, int count) {}
  virtual void PolyPolygon(const POINT* points, const int* counts, int polygons) {}
  virtual void PolyBezier(const POINT* points, DWORD count) {}
  virtual void PolyBezierTo(const POINT* points, DWORD count) {}
  virtual void Rectangle(int left, int top, int right, int bottom) {}
  virtual void Ellipse(int left, int top, int right, int bottom) {}
  virtual void RoundRect(int left, int top, int right, int bottom, int width, int height) {}
  virtual void Arc(const RECT& box, POINT start, POINT end) {}
  virtual void ArcTo(const RECT& box, POINT start, POINT end) {}
  virtual void Chord(const RECT& box, POINT start, POINT end) {}
  virtual void Pie(const RECT& box, POINT start, POINT end) {}
  virtual void FillRect(const RECT& rect, HBRUSH brush) {}
  virtual void FrameRect(const RECT& rect, HBRUSH brush) {}
  virtual void InvertRect(const RECT& rect) {}
  virtual void SetPixel(int x, int y, COLORREF color) {}

  // Regions (device units) and clipping.
  virtual void FillRgn(HRGN region, HBRUSH brush) {}
  virtual void FrameRgn(HRGN region, HBRUSH brush, int width, int height) {}
  virtual void PaintRgn(HRGN region) {}
  virtual void InvertRgn(HRGN region) {}
  // region nullptr with RGN_COPY = no clipping.
  virtual void ExtSelectClipRgn(HRGN region, int mode) {}
  virtual void IntersectClipRect(int left, int top, int right, int bottom) {}
  virtual void ExcludeClipRect(int left, int top, int right, int bottom) {}
  virtual void OffsetClipRgn(int dx, int dy) {}

  // Text: TextOutW and DrawTextW arrive as ExtTextOutW calls; `dx` holds the
  // logical advance of every character (never null here).
  virtual void ExtTextOutW(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                           const int* dx) {}

  // Transfers. `src` is the source DC (nullptr for pattern-only operations);
  // its selected bitmap can be read through GetDIBits / RasterPixels.
  virtual void BitBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {}
  virtual void StretchBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                          int heightSrc, DWORD rop) {}
  virtual void PatBlt(int x, int y, int width, int height, DWORD rop) {}
  // `bitsSize` is the byte size of the image the header describes.
  virtual void StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                             int srcWidth, int srcHeight, const void* bits, std::size_t bitsSize,
                             const BITMAPINFO* info, UINT usage, DWORD rop) {}
  virtual void SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                 UINT startScan, UINT scanLines, const void* bits, std::size_t bitsSize,
                                 const BITMAPINFO* info, UINT usage) {}
};

}  // namespace vx::plat::gdi
