// Bitmaps and transfers: device bitmaps (32-bit and monochrome), DIB
// sections, the ternary raster operations of BitBlt/StretchBlt/PatBlt with
// the classic colour <-> monochrome conversions, and the device-independent
// bitmap exchange of StretchDIBits/SetDIBitsToDevice/GetDIBits.
#include <algorithm>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {

HBITMAP RegisterBitmap(std::shared_ptr<Surface> surface, bool dibSection) {
  auto bitmap = std::make_shared<BitmapObj>();
  bitmap->Surf = std::move(surface);
  bitmap->DibSection = dibSection;
  return reinterpret_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

namespace {

BitmapObj* FindBitmap(HBITMAP h) { return FindAs<BitmapObj>(h, ObjKind::Bitmap); }

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
         width * height <= kMaxBitmapPixels;
}

// Bytes per row of CreateBitmap/GetBitmapBits data: padded to 16 bits.
std::size_t DdbRowBytes(const Surface& s) {
  return s.IsMono() ? static_cast<std::size_t>((s.Width + 15) / 16) * 2 : static_cast<std::size_t>(s.Width) * 4;
}

void ReadDdbRows(Surface& s, const std::uint8_t* bits) {
  const std::size_t rowBytes = DdbRowBytes(s);
  for (std::int32_t y = 0; y < s.Height; ++y) {
    const std::uint8_t* src = bits + rowBytes * static_cast<std::size_t>(y);
    std::uint32_t* dst = s.Row(y);
    for (std::int32_t x = 0; x < s.Width; ++x) {
      if (s.IsMono()) {
        dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? 0x00FFFFFFu : 0u;
      } else {
        const std::uint8_t* p = src + 4 * static_cast<std::size_t>(x);
        dst[x] = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
      }
    }
  }
}

void WriteDdbRows(const Surface& s, std::uint8_t* bits) {
  const std::size_t rowBytes = DdbRowBytes(s);
  std::memset(bits, 0, rowBytes * static_cast<std::size_t>(s.Height));
  for (std::int32_t y = 0; y < s.Height; ++y) {
    std::uint8_t* dst = bits + rowBytes * static_cast<std::size_t>(y);
    const std::uint32_t* src = s.Row(y);
    for (std::int32_t x = 0; x < s.Width; ++x) {
      if (s.IsMono()) {
        if (src[x]) dst[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      } else {
        std::uint8_t* p = dst + 4 * static_cast<std::size_t>(x);
        p[0] = static_cast<std::uint8_t>(src[x]);
        p[1] = static_cast<std::uint8_t>(src[x] >> 8);
        p[2] = static_cast<std::uint8_t>(src[x] >> 16);
        p[3] = 0;
      }
    }
  }
}

bool UsesSource(std::uint8_t code) { return ((code & 0xCC) >> 2) != (code & 0x33); }
bool UsesPattern(std::uint8_t code) { return ((code & 0xF0) >> 4) != (code & 0x0F); }

// The pixels and colours a transfer reads: a surface (never the destination
// itself: overlapping copies read a snapshot) and the source DC's background
// colour for colour -> monochrome conversion.
struct Source {
  const Surface* Surf = nullptr;
  TRect Rect;              // surface pixels, may be reversed (mirroring)
  std::uint32_t BkPixel = 0x00FFFFFF;
  bool FromColorTable = false;  // DIB sources: mono pixels already carry their table colours
};

struct Edge {
  std::int64_t Start;  // normalised destination start
  std::int64_t Size;   // destination size (> 0)
  std::int64_t SrcStart;
  std::int64_t SrcSize;  // > 0
  bool Mirror;
};

// Destination index i (0..Size-1) -> source index, sampling pixel centres.
std::int64_t SourceIndex(const Edge& e, std::int64_t i) {
  std::int64_t j = static_cast<std::int64_t>((static_cast<Int128>(2 * i + 1) * e.SrcSize) / (2 * e.Size));
  if (e.Mirror) j = e.SrcSize - 1 - j;
  return e.SrcStart + j;
}

Edge MakeEdge(std::int64_t d0, std::int64_t d1, std::int64_t s0, std::int64_t s1) {
  Edge e;
  e.Start = std::min(d0, d1);
  e.Size = std::max(d0, d1) - e.Start;
  e.SrcStart = std::min(s0, s1);
  e.SrcSize = std::max(s0, s1) - e.SrcStart;
  e.Mirror = (d1 < d0) != (s1 < s0);
  return e;
}

// Runs a ternary operation over the destination device rectangle (d0 -> d1,
// possibly reversed) with an optional source rectangle.
void Transfer(Dc& dest, DPoint d0, DPoint d1, const Source* src, std::uint8_t rop) {
  const Target t = TargetOf(dest);
  if (!t.Visible()) return;
  const bool needPattern = UsesPattern(rop);
  Paint pattern;
  if (needPattern) {
    pattern = BrushPaint(dest.State, dest.State.BrushRef());
    pattern.OpaqueGaps = true;  // blits paint hatch gaps with the background colour
    if (pattern.Kind == Paint::Kind::None) return;  // a null brush transfers nothing
  }
  Edge ex{}, ey{};
  if (src) {
    ex = MakeEdge(d0.x, d1.x, src->Rect.Left, src->Rect.Right);
    ey = MakeEdge(d0.y, d1.y, src->Rect.Top, src->Rect.Bottom);
    if (ex.SrcSize == 0 || ey.SrcSize == 0) return;
  } else {
    ex = MakeEdge(d0.x, d1.x, 0, 1);
    ey = MakeEdge(d0.y, d1.y, 0, 1);
  }
  if (ex.Size == 0 || ey.Size == 0) return;
  const TRect area{Saturate32(std::max<std::int64_t>(ex.Start, t.Bounds.Left)),
                   Saturate32(std::max<std::int64_t>(ey.Start, t.Bounds.Top)),
                   Saturate32(std::min<std::int64_t>(ex.Start + ex.Size, t.Bounds.Right)),
                   Saturate32(std::min<std::int64_t>(ey.Start + ey.Size, t.Bounds.Bottom))};
  if (area.IsEmpty()) return;
  const SpanList spans = ClipToTarget(t, RectSpans(area, area));
  // Source columns of the area's columns, computed once (-1: outside the source).
  std::vector<std::int32_t> srcColumn;
  if (src) {
    srcColumn.resize(static_cast<std::size_t>(area.Width()));
    for (std::int32_t x = area.Left; x < area.Right; ++x) {
      const std::int64_t sx = SourceIndex(ex, x - ex.Start);
      srcColumn[static_cast<std::size_t>(x - area.Left)] =
          sx < 0 || sx >= src->Surf->Width ? -1 : static_cast<std::int32_t>(sx);
    }
  }
  const bool destMono = t.Surf->IsMono();
  const std::uint32_t textPixel = ColorToPixel(dest.State.TextColor);
  const std::uint32_t bkPixel = ColorToPixel(dest.State.BkColor);
  for (const Span& sp : spans) {
    std::uint32_t* row = t.Surf->Row(sp.y + t.Origin.y) + t.Origin.x;
    const std::uint32_t* srcRow = nullptr;
    if (src) {
      const std::int64_t sy = SourceIndex(ey, sp.y - ey.Start);
      if (sy < 0 || sy >= src->Surf->Height) continue;
      srcRow = src->Surf->Row(static_cast<std::int32_t>(sy));
    }
    for (std::int32_t x = sp.x0; x < sp.x1; ++x) {
      std::uint32_t s = 0;
      if (src) {
        const std::int32_t sx = srcColumn[static_cast<std::size_t>(x - area.Left)];
        if (sx < 0) continue;
        s = srcRow[sx];
        if (src->Surf->IsMono() && !destMono && !src->FromColorTable) {
          s = s ? bkPixel : textPixel;  // 1 -> background colour, 0 -> text colour
        } else if (!src->Surf->IsMono() && destMono) {
          s = s == src->BkPixel ? 0x00FFFFFFu : 0u;  // the background colour becomes white
        }
      }
      std::uint32_t p = 0;
      if (needPattern) {
        pattern.At(x, sp.y, p);
        if (destMono) p = PixelToMono(p);
      }
      row[x] = ApplyRop3(rop, p, s, row[x]);
    }
  }
}

DPoint DeviceOf(const Dc& dc, std::int64_t x, std::int64_t y) {
  return ToDevice(dc.State, TPoint{Saturate32(x), Saturate32(y)});
}

// The source rectangle of a DC in its surface pixels.
bool SourceOf(const Dc& src, int x, int y, int w, int h, Source& out, std::shared_ptr<Surface>& snapshot,
              const Dc& dest) {
  Surface* s = src.Surf();
  if (!s) return false;
  const DPoint a = DeviceOf(src, x, y);
  const DPoint b = DeviceOf(src, std::int64_t{x} + w, std::int64_t{y} + h);
  out.Surf = s;
  out.Rect = TRect{Saturate32(a.x + src.ViewOrigin.x), Saturate32(a.y + src.ViewOrigin.y),
                   Saturate32(b.x + src.ViewOrigin.x), Saturate32(b.y + src.ViewOrigin.y)};
  out.BkPixel = ColorToPixel(src.State.BkColor);
  if (s == dest.Surf()) {  // overlapping transfer: read from a copy
    snapshot = s->Clone();
    out.Surf = snapshot.get();
  }
  return true;
}

// --- device-independent bitmaps ---------------------------------------------

struct DibLayout {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // rows, positive
  bool BottomUp = true;
  int Bpp = 0;
  std::size_t Stride = 0;
  std::size_t ImageSize = 0;
  const RGBQUAD* Colors = nullptr;
  std::size_t ColorCount = 0;
};

// Checks a caller's header; false for anything this layer cannot draw.
bool ReadDibLayout(const BITMAPINFO* info, UINT usage, DibLayout& out) {
  if (!info || usage != DIB_RGB_COLORS) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < 40 || h.biSize > 124 || h.biPlanes != 1) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
  out.Width = h.biWidth;
  out.Height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  out.BottomUp = h.biHeight > 0;
  out.Bpp = h.biBitCount;
  if (!SizeAllowed(out.Width, out.Height)) return false;
  switch (out.Bpp) {
    case 1:
    case 4:
    case 8:
    case 24: if (h.biCompression != BI_RGB) return false; break;
    case 32: {
      if (h.biCompression == BI_BITFIELDS) {
        // Only the standard 8-8-8 masks (red 0xFF0000, green 0xFF00, blue 0xFF).
        const auto* masks = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(info) + 40);
        if (masks[0] != 0x00FF0000u || masks[1] != 0x0000FF00u || masks[2] != 0x000000FFu) return false;
      } else if (h.biCompression != BI_RGB) {
        return false;
      }
      break;
    }
    default: return false;
  }
  out.Stride = ((static_cast<std::size_t>(out.Width) * static_cast<std::size_t>(out.Bpp) + 31) / 32) * 4;
  out.ImageSize = out.Stride * static_cast<std::size_t>(out.Height);
  if (out.Bpp <= 8) {
    const std::size_t full = std::size_t{1} << out.Bpp;
    out.ColorCount = h.biClrUsed ? std::min<std::size_t>(h.biClrUsed, full) : full;
    out.Colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const std::uint8_t*>(info) + h.biSize);
  }
  return true;
}

// The DIB as a top-down 32-bit surface (palette images take their table colours).
std::shared_ptr<Surface> DecodeDib(const DibLayout& d, const std::uint8_t* bits) {
  auto s = Surface::Make(d.Width, d.Height, 32, 0);
  for (std::int32_t r = 0; r < d.Height; ++r) {
    const std::uint8_t* src = bits + d.Stride * static_cast<std::size_t>(r);
    std::uint32_t* dst = s->Row(d.BottomUp ? d.Height - 1 - r : r);
    for (std::int32_t x = 0; x < d.Width; ++x) {
      std::uint32_t px = 0;
      const auto ux = static_cast<std::size_t>(x);
      switch (d.Bpp) {
        case 1:
        case 4:
        case 8: {
          const std::size_t bit = ux * static_cast<std::size_t>(d.Bpp);
          const unsigned shift = static_cast<unsigned>(8 - d.Bpp - static_cast<int>(bit & 7));
          const std::size_t index = (src[bit >> 3] >> shift) & ((1u << d.Bpp) - 1);
          if (index < d.ColorCount) {
            const RGBQUAD& q = d.Colors[index];
            px = std::uint32_t{q.rgbBlue} | (std::uint32_t{q.rgbGreen} << 8) | (std::uint32_t{q.rgbRed} << 16);
          }
          break;
        }
        case 24: {
          const std::uint8_t* p = src + 3 * ux;
          px = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
          break;
        }
        default: {
          const std::uint8_t* p = src + 4 * ux;
          px = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
          break;
        }
      }
      dst[x] = px;
    }
  }
  return s;
}

int DrawDib(Dc& dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
            int srcHeight, const DibLayout& d, const void* bits, DWORD rop) {
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  if (!dc.Surf()) return d.Height;
  std::shared_ptr<Surface> image;
  try {
    image = DecodeDib(d, static_cast<const std::uint8_t*>(bits));
  } catch (const Exception&) {
    return 0;
  }
  Source src;
  src.Surf = image.get();
  src.FromColorTable = true;
  src.BkPixel = ColorToPixel(dc.State.BkColor);
  // Bottom-up images count the source rectangle from their bottom row.
  const std::int64_t top = d.BottomUp ? std::int64_t{d.Height} - ySrc - srcHeight : ySrc;
  src.Rect = TRect{xSrc, Saturate32(top), Saturate32(std::int64_t{xSrc} + srcWidth), Saturate32(top + srcHeight)};
  const DPoint a = DeviceOf(dc, xDest, yDest);
  const DPoint b = DeviceOf(dc, std::int64_t{xDest} + destWidth, std::int64_t{yDest} + destHeight);
  Transfer(dc, a, b, UsesSource(code) ? &src : nullptr, code);
  return srcHeight < 0 ? -srcHeight : srcHeight;
}

}  // namespace
}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32) || !SizeAllowed(width, height)) return nullptr;
  auto s = Surface::Make(width, height, static_cast<int>(bitsPerPixel), 0);
  if (bits) ReadDdbRows(*s, static_cast<const std::uint8_t*>(bits));
  return RegisterBitmap(std::move(s), false);
}

HBITMAP CreateCompatibleBitmap(HDC dcHandle, int width, int height) {
  Dc* dc = dcHandle ? FindDc(dcHandle) : nullptr;
  if (dcHandle && !dc) return nullptr;
  // A zero size gives a 1x1 monochrome bitmap, as the classic platform does.
  if (width == 0 || height == 0) return RegisterBitmap(Surface::Make(1, 1, 1, 0), false);
  if (!SizeAllowed(width, height)) return nullptr;
  const Surface* current = dc ? dc->Surf() : nullptr;
  const int bpp = current && current->IsMono() ? 1 : 32;
  return RegisterBitmap(Surface::Make(width, height, bpp, 0), false);
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset) {
  (void)section;
  (void)offset;
  if (dc && !FindDc(dc)) return nullptr;
  DibLayout d;
  if (!ReadDibLayout(info, usage, d) || d.Bpp != 32) return nullptr;
  auto s = Surface::Make(d.Width, d.Height, 32, 0, d.BottomUp);
  if (bits) *bits = s->Store.data();
  return RegisterBitmap(std::move(s), true);
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits) {
  BitmapObj* b = FindBitmap(bitmap);
  if (!b || size < 0) return 0;
  const std::size_t total = DdbRowBytes(*b->Surf) * static_cast<std::size_t>(b->Surf->Height);
  if (!bits) return static_cast<LONG>(total);
  std::vector<std::uint8_t> all(total);
  WriteDdbRows(*b->Surf, all.data());
  const std::size_t n = std::min<std::size_t>(total, static_cast<std::size_t>(size));
  std::memcpy(bits, all.data(), n);
  return static_cast<LONG>(n);
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
  BitmapObj* b = FindBitmap(bitmap);
  if (!b || !bits) return 0;
  const std::size_t total = DdbRowBytes(*b->Surf) * static_cast<std::size_t>(b->Surf->Height);
  std::vector<std::uint8_t> all(total);
  WriteDdbRows(*b->Surf, all.data());  // rows the caller does not give keep their pixels
  const std::size_t n = std::min<std::size_t>(total, size);
  std::memcpy(all.data(), bits, n);
  ReadDdbRows(*b->Surf, all.data());
  return static_cast<LONG>(n);
}

BOOL GetBitmapDimensionEx(HBITMAP bitmap, SIZE* size) {
  BitmapObj* b = FindBitmap(bitmap);
  if (!b || !size) return FALSE;
  *size = TSize{b->Surf->Width, b->Surf->Height};
  return TRUE;
}

std::uint32_t* BitmapPixels(HBITMAP bitmap, int* width, int* height, int* stride) {
  BitmapObj* b = FindBitmap(bitmap);
  if (!b) return nullptr;
  if (width) *width = b->Surf->Width;
  if (height) *height = b->Surf->Height;
  if (stride) *stride = static_cast<int>(b->Surf->Stride);
  return b->Surf->Top;
}

int BitmapBitsPerPixel(HBITMAP bitmap) {
  BitmapObj* b = FindBitmap(bitmap);
  return b ? b->Surf->BitsPerPixel : 0;
}

const std::uint32_t* RasterPixels(HDC dcHandle, int* width, int* height, int* stride) {
  Dc* dc = FindDc(dcHandle);
  Surface* s = dc ? dc->Surf() : nullptr;
  if (!s || s->IsMono()) return nullptr;
  if (width) *width = s->Width;
  if (height) *height = s->Height;
  if (stride) *stride = static_cast<int>(s->Stride);
  return s->Top;
}

BOOL BitBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc, DWORD rop) {
  Dc* dest = FindDc(destHandle);
  if (!dest) return FALSE;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  Dc* src = UsesSource(code) ? FindDc(srcHandle) : nullptr;
  if (UsesSource(code) && !src) return FALSE;
  if (dest->Recorder) dest->Recorder->BitBlt(x, y, width, height, srcHandle, xSrc, ySrc, rop);
  const DPoint a = DeviceOf(*dest, x, y);
  const DPoint b = DeviceOf(*dest, std::int64_t{x} + width, std::int64_t{y} + height);
  if (!src) {
    Transfer(*dest, a, b, nullptr, code);
    return TRUE;
  }
  // The source rectangle has the destination's device size at the source's scale.
  Source s;
  std::shared_ptr<Surface> snapshot;
  if (!SourceOf(*src, xSrc, ySrc, width, height, s, snapshot, *dest)) return FALSE;
  Transfer(*dest, a, b, &s, code);
  return TRUE;
}

BOOL StretchBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop) {
  Dc* dest = FindDc(destHandle);
  if (!dest) return FALSE;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  Dc* src = UsesSource(code) ? FindDc(srcHandle) : nullptr;
  if (UsesSource(code) && !src) return FALSE;
  if (dest->Recorder)
    dest->Recorder->StretchBlt(x, y, width, height, srcHandle, xSrc, ySrc, widthSrc, heightSrc, rop);
  const DPoint a = DeviceOf(*dest, x, y);
  const DPoint b = DeviceOf(*dest, std::int64_t{x} + width, std::int64_t{y} + height);
  if (!src) {
    Transfer(*dest, a, b, nullptr, code);
    return TRUE;
  }
  Source s;
  std::shared_ptr<Surface> snapshot;
  if (!SourceOf(*src, xSrc, ySrc, widthSrc, heightSrc, s, snapshot, *dest)) return FALSE;
  Transfer(*dest, a, b, &s, code);
  return TRUE;
}

BOOL PatBlt(HDC dcHandle, int x, int y, int width, int height, DWORD rop) {
  Dc* dc = FindDc(dcHandle);
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  if (!dc || UsesSource(code)) return FALSE;
  if (dc->Recorder) dc->Recorder->PatBlt(x, y, width, height, rop);
  Transfer(*dc, DeviceOf(*dc, x, y), DeviceOf(*dc, std::int64_t{x} + width, std::int64_t{y} + height), nullptr,
           code);
  return TRUE;
}

int StretchDIBits(HDC dcHandle, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  DibLayout d;
  if (!ReadDibLayout(info, usage, d)) return 0;
  return StretchDIBits(dcHandle, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits,
                       d.ImageSize, info, usage, rop);
}

int StretchDIBits(HDC dcHandle, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, std::size_t bitsSize, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
  Dc* dc = FindDc(dcHandle);
  DibLayout d;
  if (!dc || !bits || !ReadDibLayout(info, usage, d) || bitsSize < d.ImageSize) return 0;
  if (dc->Recorder)
    dc->Recorder->StretchDIBits(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits,
                                d.ImageSize, info, usage, rop);
  return DrawDib(*dc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, d, bits, rop);
}

int SetDIBitsToDevice(HDC dcHandle, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
  Dc* dc = FindDc(dcHandle);
  DibLayout d;
  if (!dc || !bits || !ReadDibLayout(info, usage, d)) return 0;
  if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return 0;
  // `bits` holds scan lines startScan .. startScan + scanLines - 1 only.
  if (startScan >= static_cast<UINT>(d.Height) || scanLines == 0) return 0;
  const UINT lines = std::min<UINT>(scanLines, static_cast<UINT>(d.Height) - startScan);
  if (dc->Recorder)
    dc->Recorder->SetDIBitsToDevice(xDest, yDest, width, height, xSrc, ySrc, startScan, lines, bits,
                                    d.Stride * lines, info, usage);
  // Treat the given band as a whole image of `lines` rows, positioned in the full one.
  DibLayout band = d;
  band.Height = static_cast<std::int32_t>(lines);
  band.ImageSize = d.Stride * lines;
  // Scan lines count from the bottom (bottom-up) or top (top-down) in both the
  // whole image and the band, so the band's source row is ySrc - startScan.
  const int bandY = Saturate32(std::int64_t{ySrc} - startScan);
  return DrawDib(*dc, xDest, yDest, static_cast<int>(width), static_cast<int>(height), xSrc, bandY,
                 static_cast<int>(width), static_cast<int>(height), band, bits, SRCCOPY) ? static_cast<int>(lines) : 0;
}

int GetDIBits(HDC dcHandle, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  BitmapObj* b = FindBitmap(bitmap);
  if (!FindDc(dcHandle) || !b || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < 40) return 0;
  const Surface& s = *b->Surf;
  if (h.biBitCount == 0) {
    // The bitmap's own format: header only.
    h.biWidth = s.Width;
    h.biHeight = s.Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.IsMono() ? 1 : 32);
    h.biCompression = BI_RGB;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    h.biSizeImage = static_cast<DWORD>(((static_cast<std::size_t>(s.Width) * h.biBitCount + 31) / 32) * 4 *
                                       static_cast<std::size_t>(s.Height));
    if (!bits) return 1;
  }
  if (h.biBitCount != 1 && h.biBitCount != 24 && h.biBitCount != 32) return 0;
  if (h.biCompression != BI_RGB) return 0;
  if (h.biWidth == 0 && h.biHeight == 0) {
    h.biWidth = s.Width;
    h.biHeight = s.Height;
  }
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || !SizeAllowed(h.biWidth, std::abs(h.biHeight)))
    return 0;
  const std::int32_t dibHeight = std::abs(h.biHeight);
  const bool bottomUp = h.biHeight > 0;
  const std::size_t stride = ((static_cast<std::size_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  h.biPlanes = 1;
  h.biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(dibHeight));
  if (h.biBitCount == 1) {  // the black and white table of a monochrome image
    info->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
    (&info->bmiColors[0])[1] = RGBQUAD{255, 255, 255, 0};
    h.biClrUsed = 0;
  }
  if (!bits) return dibHeight;
  if (start >= static_cast<UINT>(dibHeight)) return 0;
  const std::int32_t count = static_cast<std::int32_t>(std::min<UINT>(lines, static_cast<UINT>(dibHeight) - start));
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t scan = static_cast<std::int32_t>(start) + k;  // scan line of the DIB
    const std::int32_t row = bottomUp ? dibHeight - 1 - scan : scan;   // image row from the top
    std::uint8_t* dst = out + stride * static_cast<std::size_t>(k);
    std::memset(dst, 0, stride);
    if (row >= s.Height) continue;
    const std::uint32_t* src = s.Row(row);
    const std::int32_t n = std::min(h.biWidth, s.Width);
    for (std::int32_t x = 0; x < n; ++x) {
      const std::uint32_t px = src[x];
      const auto ux = static_cast<std::size_t>(x);
      if (h.biBitCount == 1) {
        if ((s.IsMono() ? px : PixelToMono(px)) != 0) dst[ux >> 3] |= static_cast<std::uint8_t>(0x80 >> (ux & 7));
      } else if (h.biBitCount == 24) {
        dst[3 * ux] = static_cast<std::uint8_t>(px);
        dst[3 * ux + 1] = static_cast<std::uint8_t>(px >> 8);
        dst[3 * ux + 2] = static_cast<std::uint8_t>(px >> 16);
      } else {
        std::memcpy(dst + 4 * ux, &px, 4);
      }
    }
  }
  return count;
}

}  // namespace vx::plat
