// TCanvas: drawing with a pen, a brush and a font on a device context.
//
// The canvas realises its pen, brush and font into the device context lazily,
// just before a drawing call needs them, and only when its own object changed
// since it last did so. State that code puts on the device context directly
// (a font selected with SelectObject, a text colour, a background mode) is
// therefore left alone until the canvas's own pen, brush or font changes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/core/persistent.h"
#include "platform/core/types.h"
#include "platform/core/unicode.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/brush.h"
#include "platform/graphics/font.h"
#include "platform/graphics/pen.h"

namespace vx::plat {

class TGraphic;

// A canvas without a device context was asked to draw ("Canvas does not allow drawing").
class ECanvasError : public Exception {
public:
  using Exception::Exception;
};

// What the canvas has put on its device context (a set of bits).
enum TCanvasState : std::uint8_t {
  csHandleValid = 1,
  csFontValid = 2,
  csPenValid = 4,
  csBrushValid = 8,
};

class TCanvas : public TPersistent {
  VX_DECLARE_CLASS(TCanvas)
public:
  TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  // Gives the device context back (its own objects deselected); the context
  // itself belongs to whoever handed it over.
  ~TCanvas() override;

  // The device context. A canvas without one asks CreateHandle (a control
  // canvas acquires its control's context there); still none raises ECanvasError.
  HDC GetHandle();
  // Takes `value` as the device context (nullptr: lets the current one go, with
  // the canvas's objects deselected from it). The canvas never deletes it.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Lets the device context go. A canvas that acquired its context itself (a
  // bitmap's memory context, a control's window context) also releases it;
  // the next drawing call acquires one again through CreateHandle.
  virtual void FreeHandle() { SetHandle(nullptr); }

  // The owned pen, brush and font; SetPen etc. copy the attributes of `value`.
  TPen& GetPen() { return *FPen; }
  const TPen& GetPen() const { return *FPen; }
  void SetPen(const TPen& value) { FPen->Assign(&value); }
  TBrush& GetBrush() { return *FBrush; }
  const TBrush& GetBrush() const { return *FBrush; }
  void SetBrush(const TBrush& value) { FBrush->Assign(&value); }
  TFont& GetFont() { return *FFont; }
  const TFont& GetFont() const { return *FFont; }
  void SetFont(const TFont& value) { FFont->Assign(&value); }

  // The current position (logical units); setting it is MoveTo.
  TPoint GetPenPos();
  void SetPenPos(TPoint value) { MoveTo(value.x, value.y); }
  // The ternary raster operation of CopyRect and of drawing bitmaps (SRCCOPY when new).
  DWORD GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD value) { FCopyMode = value; }

  // Lines with the pen; LineTo leaves out its end point, Polyline its last point.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(std::span<const TPoint> points);
  // Cubic Béziers: start point, then (control, control, end) per curve.
  void PolyBezier(std::span<const TPoint> points);
  // Figures outlined with the pen and filled with the brush. A box covers
  // [x1, x2) x [y1, y2) after mapping; corners in any order.
  void Polygon(std::span<const TPoint> points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Corners rounded by an ellipse of width x3 and height y3.
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  // Arcs of the ellipse in box (x1, y1, x2, y2), counter-clockwise on screen
  // from the radial through (x3, y3) to the radial through (x4, y4).
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Fills the rectangle with the brush (no outline; the pen mode does not apply).
  void FillRect(const TRect& r);
  // A one-pixel frame in the brush on the rectangle's outermost pixels.
  void FrameRect(const TRect& r);

  // Writes Text with the font, its top-left corner at (x, y); the background
  // is the brush colour unless the brush is clear. The pen position moves to
  // the end of the text.
  void TextOut(int x, int y, const String& text);
  // As TextOut, clipped to r (and r filled with the brush unless it is clear).
  void TextRect(const TRect& r, int x, int y, const String& text);
  // Size of Text's cell box with the font on the device context, logical units.
  TSize TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  // Draws the graphic at its own size with its top-left corner at (x, y) in
  // logical units (so a bitmap scales with the mapping). Nothing for nullptr
  // or an empty graphic. Transparent graphics leave their transparent parts alone.
  void Draw(int x, int y, TGraphic* graphic);
  // Stretches the graphic into r (logical units); a rectangle whose Right is
  // left of its Left (or Bottom above Top), or a mapping with a negative
  // extent, mirrors the picture.
  void StretchDraw(const TRect& r, TGraphic* graphic);

  // The colour of the device pixel the logical point falls on; -1 (CLR_INVALID)
  // outside the surface or the clip region.
  TColor GetPixels(int x, int y);
  // Sets the device pixel the logical point falls on.
  void SetPixels(int x, int y, TColor color);

  // Copies (stretching) source of `canvas` into dest with CopyMode.
  void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);

  // The visible area in logical units (clip region and surface).
  TRect GetClipRect();

  // A nesting counter for code that must hold the canvas over several steps.
  void Lock() { ++FLockCount; }
  void Unlock() {
    if (FLockCount > 0) --FLockCount;
  }
  bool TryLock();
  int GetLockCount() const { return FLockCount; }

  // Deselects the canvas's objects; the next drawing call realises them again.
  void Refresh();

  // Fired before and after every drawing call.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

protected:
  // Called when the handle is needed and there is none; a canvas bound to a
  // window or a bitmap acquires its device context here with SetHandle.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  // Makes sure the listed parts (TCanvasState bits) are on the device context.
  void RequiredState(std::uint8_t parts);

private:
  void DeselectHandles();
  void RealisePen();
  void RealiseBrush();
  void RealiseFont();
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  void FontChanged(TObject* sender);
  // Drops `part` and, when the DC still holds `selected`, puts `stock` there,
  // so the owner of `selected` can free it.
  void Unrealise(TCanvasState part, HGDIOBJ& selected, int stock);

  HDC FHandle = nullptr;
  std::uint8_t FState = 0;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  // The handles the canvas put on the device context.
  HGDIOBJ FSelectedPen = nullptr;
  HGDIOBJ FSelectedBrush = nullptr;
  HGDIOBJ FSelectedFont = nullptr;
  DWORD FCopyMode = SRCCOPY;
  int FLockCount = 0;
};

// Raises ECanvasError "Canvas does not allow drawing".
[[noreturn]] void CanvasDoesNotAllowDrawing();

}  // namespace vx::plat
