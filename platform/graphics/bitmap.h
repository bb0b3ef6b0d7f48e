// TBitmap: a picture of pixels on a device bitmap, with a canvas to draw on
// it, bitmap-file stream images, transparency and monochrome masks; and the
// device-independent form of a bitmap handle (GetDIBSizes, GetDIB).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"
#include "platform/graphics/graphic.h"

namespace vx::plat {

namespace imaging {
struct Image;
}

// The depth a bitmap is saved at and, for indexed depths, the colours it may
// hold. Device bitmaps always hold 32-bit pixels (monochrome ones black and
// white); pfDevice saves as 24 bits.
enum TPixelFormat : std::uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

// How a transparent bitmap finds its transparent colour.
enum TTransparentMode : std::uint8_t {
  tmAuto,   // the colour of the bottom-left pixel (white for a monochrome bitmap)
  tmFixed,  // the TransparentColor property
};

class TBitmapCanvas;

class TBitmap : public TGraphic {
  VX_DECLARE_CLASS(TBitmap)
public:
  // An empty (0 x 0) bitmap.
  TBitmap();
  // A bitmap of width x height white pixels.
  TBitmap(std::int32_t width, std::int32_t height);
  ~TBitmap() override;

  bool GetEmpty() const override { return FHandle == nullptr; }
  std::int32_t GetWidth() const override { return FWidth; }
  std::int32_t GetHeight() const override { return FHeight; }
  // Resizing keeps the top-left pixels; new pixels take the canvas brush
  // colour (white unless changed). Negative sizes count as 0; a size beyond
  // 32768 pixels a side or 2^28 pixels in all raises EInvalidGraphic.
  void SetWidth(std::int32_t value) override { SetSize(value, FHeight); }
  void SetHeight(std::int32_t value) override { SetSize(FWidth, value); }
  void SetSize(std::int32_t width, std::int32_t height) override;

  // Draws with the destination canvas's CopyMode, or, when Transparent, so that
  // pixels of the transparent colour leave the destination unchanged (also
  // when stretched or mirrored). Monochrome bitmaps draw black and white.
  void Draw(TCanvas& canvas, const TRect& r) override;

  // Reads a bitmap file image (or a PNG or JPEG file image) from the stream's
  // position and leaves the position after it. A picture with an alpha
  // channel is composed over white. Bad data raise EInvalidGraphic; the bitmap stays as it was.
  void LoadFromStream(TStream& stream) override;
  // Writes a bitmap file image at the depth of PixelFormat (pfDevice: 24 bits).
  void SaveToStream(TStream& stream) override;

  // Copies a bitmap (pixels, format, transparency); any other graphic is
  // drawn onto a white bitmap of its size (a JPEG image is decoded, an icon
  // drawn with its mask); nullptr empties the bitmap.
  void Assign(const TPersistent* Source) override;

  // A canvas drawing on the bitmap (default mapping), made on first use.
  TCanvas& GetCanvas();
  // The device bitmap (nullptr while empty). The bitmap owns it.
  HBITMAP GetHandle() const { return FHandle; }
  // Takes ownership of a device bitmap (nullptr empties); its depth decides Monochrome.
  void SetHandle(HBITMAP value);
  // Gives up ownership of the device bitmap and leaves the bitmap empty.
  HBITMAP ReleaseHandle();

  // True while the device bitmap has one bit per pixel. Setting it converts:
  // to monochrome, white pixels stay white and every other pixel turns black
  // (the platform's colour-to-monochrome rule).
  bool GetMonochrome() const;
  void SetMonochrome(bool value);
  // Setting a format converts the pixels: pf1bit to the nearer of black and
  // white, pf4bit and pf8bit to the nearest colour of the colour table (the
  // file's own when it was loaded at that depth, else a standard one).
  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value);
  // The colour table of an indexed format (0x00RRGGBB entries).
  const std::vector<std::uint32_t>& GetColorTable() const { return FColorTable; }

  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  // tmAuto forgets a fixed transparent colour.
  void SetTransparentMode(TTransparentMode value);
  // The transparent colour: fixed, or found as TTransparentMode says.
  TColor GetTransparentColor() const;
  // Fixes the transparent colour (and sets tmFixed; clDefault sets tmAuto).
  void SetTransparentColor(TColor value);

  // Turns the bitmap into its monochrome mask for `transparentColor`: pixels
  // of that colour become white, all others black.
  void Mask(TColor transparentColor);

  // Row y (0 = top) of 32-bit pixels 0x00RRGGBB (monochrome: 0 or 0x00FFFFFF
  // only), writable; valid until the bitmap's size or handle changes.
  // nullptr outside the bitmap.
  std::uint32_t* GetScanLine(std::int32_t y);
  const std::uint32_t* GetScanLine(std::int32_t y) const;
  // The colour of pixel (x, y), or -1 outside the bitmap.
  TColor GetPixel(std::int32_t x, std::int32_t y) const;
  // Sets pixel (x, y); ignored outside the bitmap. Fires OnChange.
  void SetPixel(std::int32_t x, std::int32_t y, TColor color);

  // The picture as a decoded image (opaque pixels; SourceBitDepth and colour
  // table follow PixelFormat), as the codecs take it.
  imaging::Image ToImage() const;
  // Replaces the pixels with a decoded image; the pixel format follows the
  // image's source depth. Fires OnChange.
  void LoadFromImage(const imaging::Image& image);

protected:
  void Changed(TObject* sender) override;

private:
  friend class TBitmapCanvas;
  // Installs a new device bitmap and its pixel format; frees the old one.
  void ReplaceHandle(HBITMAP handle, std::int32_t width, std::int32_t height);
  void FreeCanvasContext();
  void CanvasChanged(TObject* sender);
  // Rows of the device bitmap with their stride in pixels.
  std::uint32_t* Pixels(int* stride) const;
  void DrawTransparent(HDC dc, const TRect& r);
  COLORREF FillColor() const;

  HBITMAP FHandle = nullptr;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  std::vector<std::uint32_t> FColorTable;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// Sizes of the device-independent form of a bitmap handle: the info header
// with its colour table, and the pixel bits. Both 0 for a stale handle.
void GetDIBSizes(HBITMAP bitmap, DWORD& infoHeaderSize, DWORD& imageSize);
// Fills `info` (infoHeaderSize bytes) and `bits` (imageSize bytes) with the
// device-independent form: bottom-up rows, 1 bit per pixel with a black and
// white colour table for a monochrome bitmap, else 32 bits. False for a stale handle.
bool GetDIB(HBITMAP bitmap, BITMAPINFO* info, void* bits);

// 0x00RRGGBB device pixel <-> 0x00BBGGRR colour.
constexpr std::uint32_t ColorToPixel(COLORREF rgb) {
  return ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}
constexpr TColor PixelToColor(std::uint32_t pixel) {
  return TColor(((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu));
}

}  // namespace vx::plat
