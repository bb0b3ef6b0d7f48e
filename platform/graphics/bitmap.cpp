#include "platform/graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/graphics/jpeg.h"
#include "platform/graphics/transfer_private.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/image.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

namespace vx::plat {

VX_DEFINE_CLASS(TBitmap, TGraphic)

// The canvas of a bitmap: a memory device context holding the bitmap, made
// when first needed and dropped whenever the bitmap gets a new device bitmap.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeHandle(); }

  // Deselects the bitmap and deletes the memory device context.
  void FreeHandle() override {
    if (!HandleAllocated()) return;
    HDC dc = GetHandle();
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(dc);
  }

protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    if (FBitmap.FHandle) FOldBitmap = SelectObject(dc, FBitmap.FHandle);
    SetHandle(dc);
  }

private:
  TBitmap& FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

namespace {

constexpr std::uint32_t kWhite = graphics_detail::kWhitePixel;

bool IsBlackWhite(const std::vector<std::uint32_t>& table) {
  return std::all_of(table.begin(), table.end(), [](std::uint32_t c) {
    c &= kWhite;
    return c == 0 || c == kWhite;
  });
}

// The 16 colours of the classic 4-bit palette, 0x00RRGGBB.
const std::vector<std::uint32_t>& StandardTable16() {
  static const std::vector<std::uint32_t> table = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  return table;
}

// The 16 colours above, a 6 x 6 x 6 colour cube and 24 greys.
const std::vector<std::uint32_t>& StandardTable256() {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t = StandardTable16();
    for (std::uint32_t r = 0; r < 6; ++r)
      for (std::uint32_t g = 0; g < 6; ++g)
        for (std::uint32_t b = 0; b < 6; ++b) t.push_back((r * 51) << 16 | (g * 51) << 8 | (b * 51));
    for (std::uint32_t i = 0; i < 24; ++i) {
      const std::uint32_t v = 8 + i * 10;
      t.push_back(v << 16 | v << 8 | v);
    }
    return t;
  }();
  return table;
}

// Maps pixels to the nearest colour of a table (squared distance in RGB).
class TNearestColor {
public:
  explicit TNearestColor(const std::vector<std::uint32_t>& table) : FTable(table) {}
  std::uint32_t operator()(std::uint32_t pixel) {
    pixel &= kWhite;
    auto it = FCache.find(pixel);
    if (it != FCache.end()) return it->second;
    std::uint32_t best = 0;
    std::int64_t bestDistance = INT64_MAX;
    for (std::uint32_t c : FTable) {
      const std::int64_t d = Sq(int(c >> 16 & 0xFF) - int(pixel >> 16 & 0xFF)) +
                             Sq(int(c >> 8 & 0xFF) - int(pixel >> 8 & 0xFF)) + Sq(int(c & 0xFF) - int(pixel & 0xFF));
      if (d < bestDistance) {
        bestDistance = d;
        best = c & kWhite;
      }
    }
    FCache.emplace(pixel, best);
    return best;
  }

private:
  static std::int64_t Sq(int v) { return std::int64_t(v) * v; }
  const std::vector<std::uint32_t>& FTable;
  std::unordered_map<std::uint32_t, std::uint32_t> FCache;
};

void CheckBitmapSize(std::int32_t width, std::int32_t height) {
  if (width > imaging::kMaxImageSide || height > imaging::kMaxImageSide ||
      std::int64_t(width) * height > imaging::kMaxImagePixels)
    throw EInvalidGraphic("Bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels exceeds the limit");
}

// A device bitmap of 1 or 32 bits per pixel; raises EOutOfMemory when the
// device layer cannot make it.
HBITMAP MakeDeviceBitmap(std::int32_t width, std::int32_t height, bool monochrome) {
  HBITMAP h = CreateBitmap(width, height, 1, monochrome ? 1 : 32, nullptr);
  if (!h) throw EOutOfMemory();
  return h;
}

// Frees a device bitmap unless ownership was taken over.
struct TBitmapGuard {
  HBITMAP Handle;
  ~TBitmapGuard() {
    if (Handle) ReleaseGdiObject(Handle);
  }
  HBITMAP Release() { return std::exchange(Handle, nullptr); }
};

std::uint32_t* PixelsOf(HBITMAP h, int* stride) {
  int w = 0, ht = 0;
  return BitmapPixels(h, &w, &ht, stride);
}

// The platform's colour-to-monochrome rule for a white background: white stays white.
std::uint32_t MonoOfWhiteBackground(std::uint32_t pixel) { return (pixel & kWhite) == kWhite ? kWhite : 0; }

std::uint32_t NearerOfBlackWhite(std::uint32_t p) {
  const int sum = int(p >> 16 & 0xFF) + int(p >> 8 & 0xFF) + int(p & 0xFF);
  return sum * 2 > 255 * 3 ? kWhite : 0;
}

imaging::TBmpDepth SaveDepth(TPixelFormat format) {
  switch (format) {
    case pf1bit: return imaging::TBmpDepth::bd1;
    case pf4bit: return imaging::TBmpDepth::bd4;
    case pf8bit: return imaging::TBmpDepth::bd8;
    case pf32bit: return imaging::TBmpDepth::bd32;
    default: return imaging::TBmpDepth::bd24;
  }
}

std::uint16_t BitDepthOf(TPixelFormat format) { return std::uint16_t(SaveDepth(format)); }

TPixelFormat FormatOfDepth(std::uint16_t depth) {
  switch (depth) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 32: return pf32bit;
    default: return pf24bit;  // 16-bit sources keep every colour at 24 bits
  }
}

// A valid bitmap file image of an empty (0 x 0) bitmap: headers, no pixels.
void WriteEmptyBmp(TStream& stream) {
  constexpr std::uint32_t kSize = 14 + 40;
  stream.WriteBuffer("BM", 2);
  stream.WriteValue<std::uint32_t>(kSize);
  stream.WriteValue<std::uint32_t>(0);
  stream.WriteValue<std::uint32_t>(kSize);
  BITMAPINFOHEADER header;
  header.biBitCount = 24;
  stream.WriteValue(header);
}

// Reads the bitmap file image of an empty bitmap, when that is what the
// stream holds; the position is kept otherwise.
bool ReadEmptyBmp(TStream& stream) {
  const std::int64_t start = stream.GetPosition();
  if (stream.Remaining() < 14 + 16) return false;
  std::uint8_t head[14 + 16];
  stream.ReadBuffer(head, sizeof head);
  stream.SetPosition(start);
  std::int32_t width, height;
  std::uint32_t fileSize, headerSize;
  std::memcpy(&fileSize, head + 2, 4);
  std::memcpy(&headerSize, head + 14, 4);
  if (headerSize < 40) return false;
  std::memcpy(&width, head + 18, 4);
  std::memcpy(&height, head + 22, 4);
  if (width != 0 && height != 0) return false;
  const std::int64_t minimum = 14 + std::int64_t(headerSize);
  const std::int64_t size = fileSize >= minimum && fileSize <= stream.Remaining() ? fileSize : minimum;
  if (size > stream.Remaining()) throw EInvalidGraphic("Invalid BMP: the header runs past the end of the data");
  stream.SetPosition(start + size);
  return true;
}

// Composes a pixel with straight alpha over white.
std::uint32_t OverWhite(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  auto channel = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
  return channel(p >> 16 & 0xFF) << 16 | channel(p >> 8 & 0xFF) << 8 | channel(p & 0xFF);
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(std::int32_t width, std::int32_t height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  FCanvas.reset();
  ReleaseGdiObject(FHandle);
}

void TBitmap::Changed(TObject* sender) { TGraphic::Changed(sender); }

std::uint32_t* TBitmap::Pixels(int* stride) const { return FHandle ? PixelsOf(FHandle, stride) : nullptr; }

void TBitmap::FreeCanvasContext() {
  if (FCanvas) FCanvas->FreeHandle();
}

void TBitmap::ReplaceHandle(HBITMAP handle, std::int32_t width, std::int32_t height) {
  FreeCanvasContext();
  HBITMAP old = FHandle;
  FHandle = handle;
  FWidth = handle ? width : 0;
  FHeight = handle ? height : 0;
  ReleaseGdiObject(old);
}

COLORREF TBitmap::FillColor() const {
  return FCanvas ? ColorToRGB(FCanvas->GetBrush().GetColor()) : ColorToRGB(clWhite);
}

TCanvas& TBitmap::GetCanvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(*this);
    FCanvas->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return *FCanvas;
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::SetSize(std::int32_t width, std::int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  if (width == 0 || height == 0) {
    ReplaceHandle(nullptr, 0, 0);
    Changed(this);
    return;
  }
  CheckBitmapSize(width, height);
  const bool mono = FPixelFormat == pf1bit && IsBlackWhite(FColorTable);
  TBitmapGuard fresh{MakeDeviceBitmap(width, height, mono)};
  int stride = 0, oldStride = 0;
  std::uint32_t* dst = PixelsOf(fresh.Handle, &stride);
  const std::uint32_t* src = Pixels(&oldStride);
  const std::uint32_t fill = mono ? MonoOfWhiteBackground(ColorToPixel(FillColor())) : ColorToPixel(FillColor());
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint32_t* row = dst + std::int64_t(y) * stride;
    std::int32_t kept = 0;
    if (src && y < FHeight) {
      kept = std::min(width, FWidth);
      std::copy_n(src + std::int64_t(y) * oldStride, kept, row);
    }
    std::fill(row + kept, row + width, fill);
  }
  ReplaceHandle(fresh.Release(), width, height);
  Changed(this);
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  int stride = 0, width = 0, height = 0;
  if (value && !BitmapPixels(value, &width, &height, &stride)) value = nullptr;
  ReplaceHandle(value, width, height);
  if (GetMonochrome()) {
    FPixelFormat = pf1bit;
    FColorTable = {0, kWhite};
  } else {
    FPixelFormat = pfDevice;
    FColorTable.clear();
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeCanvasContext();
  HBITMAP h = std::exchange(FHandle, nullptr);
  FWidth = FHeight = 0;
  Changed(this);
  return h;
}

bool TBitmap::GetMonochrome() const { return FHandle && BitmapBitsPerPixel(FHandle) == 1; }

void TBitmap::SetMonochrome(bool value) {
  const bool monochrome = FHandle ? GetMonochrome() : FPixelFormat == pf1bit && IsBlackWhite(FColorTable);
  if (value == monochrome) return;
  if (FHandle) {
    TBitmapGuard fresh{MakeDeviceBitmap(FWidth, FHeight, value)};
    int stride = 0, freshStride = 0;
    const std::uint32_t* src = Pixels(&stride);
    std::uint32_t* dst = PixelsOf(fresh.Handle, &freshStride);
    for (std::int32_t y = 0; y < FHeight; ++y)
      for (std::int32_t x = 0; x < FWidth; ++x) {
        const std::uint32_t p = src[std::int64_t(y) * stride + x];
        dst[std::int64_t(y) * freshStride + x] = value ? MonoOfWhiteBackground(p) : p & kWhite;
      }
    ReplaceHandle(fresh.Release(), FWidth, FHeight);
  }
  FPixelFormat = value ? pf1bit : pfDevice;
  FColorTable = value ? std::vector<std::uint32_t>{0, kWhite} : std::vector<std::uint32_t>{};
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  std::vector<std::uint32_t> table;
  if (value == pf1bit)
    table = {0, kWhite};
  else if (value == pf4bit)
    table = !FColorTable.empty() && FColorTable.size() <= 16 ? FColorTable : StandardTable16();
  else if (value == pf8bit)
    table = !FColorTable.empty() && FColorTable.size() <= 256 ? FColorTable : StandardTable256();
  const bool mono = value == pf1bit;
  if (FHandle) {
    TBitmapGuard fresh{MakeDeviceBitmap(FWidth, FHeight, mono)};
    int stride = 0, freshStride = 0;
    const std::uint32_t* src = Pixels(&stride);
    std::uint32_t* dst = PixelsOf(fresh.Handle, &freshStride);
    TNearestColor nearest(table);
    for (std::int32_t y = 0; y < FHeight; ++y)
      for (std::int32_t x = 0; x < FWidth; ++x) {
        const std::uint32_t p = src[std::int64_t(y) * stride + x] & kWhite;
        dst[std::int64_t(y) * freshStride + x] = mono ? NearerOfBlackWhite(p) : table.empty() ? p : nearest(p);
      }
    ReplaceHandle(fresh.Release(), FWidth, FHeight);
  }
  FPixelFormat = value;
  FColorTable = std::move(table);
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  FTransparentMode = value;
  if (value == tmAuto) FTransparentColor = clDefault;
  Changed(this);
}

TColor TBitmap::GetTransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (!FHandle) return clDefault;
  if (GetMonochrome()) return clWhite;
  return GetPixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::Mask(TColor transparentColor) {
  if (!FHandle) return;
  const std::uint32_t key = ColorToPixel(ColorToRGB(transparentColor));
  TBitmapGuard fresh{MakeDeviceBitmap(FWidth, FHeight, true)};
  int stride = 0, freshStride = 0;
  const std::uint32_t* src = Pixels(&stride);
  std::uint32_t* dst = PixelsOf(fresh.Handle, &freshStride);
  for (std::int32_t y = 0; y < FHeight; ++y)
    for (std::int32_t x = 0; x < FWidth; ++x)
      dst[std::int64_t(y) * freshStride + x] = (src[std::int64_t(y) * stride + x] & kWhite) == key ? kWhite : 0;
  ReplaceHandle(fresh.Release(), FWidth, FHeight);
  FPixelFormat = pf1bit;
  FColorTable = {0, kWhite};
  Changed(this);
}

std::uint32_t* TBitmap::GetScanLine(std::int32_t y) {
  int stride = 0;
  std::uint32_t* px = Pixels(&stride);
  if (!px || y < 0 || y >= FHeight) return nullptr;
  return px + std::int64_t(y) * stride;
}

const std::uint32_t* TBitmap::GetScanLine(std::int32_t y) const {
  return const_cast<TBitmap*>(this)->GetScanLine(y);
}

TColor TBitmap::GetPixel(std::int32_t x, std::int32_t y) const {
  const std::uint32_t* row = GetScanLine(y);
  if (!row || x < 0 || x >= FWidth) return TColor(-1);
  return PixelToColor(row[x]);
}

void TBitmap::SetPixel(std::int32_t x, std::int32_t y, TColor color) {
  std::uint32_t* row = GetScanLine(y);
  if (!row || x < 0 || x >= FWidth) return;
  const std::uint32_t p = ColorToPixel(ColorToRGB(color));
  row[x] = GetMonochrome() ? MonoOfWhiteBackground(p) : p;
  Changed(this);
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void TBitmap::Draw(TCanvas& canvas, const TRect& r) {
  if (!FHandle) return;
  HDC dc = canvas.GetHandle();
  graphics_detail::TStretchModeGuard stretchMode(dc);
  if (GetTransparent()) {
    DrawTransparent(dc, r);
    return;
  }
  int stride = 0;
  const std::uint32_t* px = Pixels(&stride);
  graphics_detail::StretchPixels(dc, r, px, stride, FWidth, FHeight, canvas.GetCopyMode());
}

void TBitmap::DrawTransparent(HDC dc, const TRect& r) {
  int stride = 0;
  const std::uint32_t* px = Pixels(&stride);
  const std::uint32_t key = ColorToPixel(ColorToRGB(GetTransparentColor()));
  const std::size_t count = std::size_t(FWidth) * std::size_t(FHeight);
  std::vector<std::uint32_t> mask(count), image(count);
  for (std::int32_t y = 0; y < FHeight; ++y)
    for (std::int32_t x = 0; x < FWidth; ++x) {
      const std::uint32_t p = px[std::int64_t(y) * stride + x] & kWhite;
      const std::size_t i = std::size_t(y) * std::size_t(FWidth) + std::size_t(x);
      mask[i] = p == key ? kWhite : 0;
      image[i] = p == key ? 0 : p;
    }
  graphics_detail::StretchMasked(dc, r, mask, image, FWidth, FHeight);
}

// ---------------------------------------------------------------------------
// Images and streams
// ---------------------------------------------------------------------------

imaging::Image TBitmap::ToImage() const {
  imaging::Image img;
  if (!FHandle) return img;
  img = imaging::Image(FWidth, FHeight);
  int stride = 0;
  const std::uint32_t* px = Pixels(&stride);
  for (std::int32_t y = 0; y < FHeight; ++y) {
    std::uint32_t* row = img.Row(y);
    for (std::int32_t x = 0; x < FWidth; ++x) row[x] = 0xFF000000u | (px[std::int64_t(y) * stride + x] & kWhite);
  }
  img.SourceBitDepth = BitDepthOf(FPixelFormat);
  img.Palette = FColorTable;
  return img;
}

void TBitmap::LoadFromImage(const imaging::Image& image) {
  if (image.Empty()) {
    ReplaceHandle(nullptr, 0, 0);
    FPixelFormat = pfDevice;
    FColorTable.clear();
    Changed(this);
    return;
  }
  if (image.Pixels.size() != std::size_t(image.Width) * std::size_t(image.Height))
    throw EInvalidGraphic("Invalid image: pixel count does not match its size");
  CheckBitmapSize(image.Width, image.Height);
  const TPixelFormat format = FormatOfDepth(image.SourceBitDepth);
  std::vector<std::uint32_t> table;
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    table = image.Palette;
    for (auto& c : table) c &= kWhite;
  }
  const bool mono = format == pf1bit && IsBlackWhite(table);
  if (format == pf1bit && table.empty()) table = {0, kWhite};
  const bool composeAlpha = image.Alpha == imaging::TAlphaMode::amStraight;
  TBitmapGuard fresh{MakeDeviceBitmap(image.Width, image.Height, mono)};
  int stride = 0;
  std::uint32_t* dst = PixelsOf(fresh.Handle, &stride);
  for (std::int32_t y = 0; y < image.Height; ++y) {
    const std::uint32_t* src = image.Row(y);
    std::uint32_t* row = dst + std::int64_t(y) * stride;
    for (std::int32_t x = 0; x < image.Width; ++x) {
      const std::uint32_t p = composeAlpha ? OverWhite(src[x]) : src[x] & kWhite;
      row[x] = mono ? MonoOfWhiteBackground(p) : p;
    }
  }
  ReplaceHandle(fresh.Release(), image.Width, image.Height);
  FPixelFormat = format;
  FColorTable = std::move(table);
  Changed(this);
}

void TBitmap::LoadFromStream(TStream& stream) {
  const auto format = imaging::DetectFormat(stream);
  if (format == imaging::TImageFormat::ifPng) {
    LoadFromImage(imaging::ReadPng(stream));
    return;
  }
  // A JPEG image written where a bitmap image is expected still loads.
  if (format == imaging::TImageFormat::ifJpeg) {
    LoadFromImage(imaging::ReadJpeg(stream));
    return;
  }
  if (format == imaging::TImageFormat::ifBmp && ReadEmptyBmp(stream)) {
    LoadFromImage(imaging::Image());
    return;
  }
  LoadFromImage(imaging::ReadBmp(stream));
}

void TBitmap::SaveToStream(TStream& stream) {
  if (!FHandle) {
    WriteEmptyBmp(stream);
    return;
  }
  imaging::WriteBmp(stream, ToImage(), SaveDepth(FPixelFormat));
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    LoadFromImage(imaging::Image());
    return;
  }
  if (auto* bitmap = dynamic_cast<const TBitmap*>(Source)) {
    HBITMAP copy = nullptr;
    if (bitmap->FHandle) {
      TBitmapGuard fresh{MakeDeviceBitmap(bitmap->FWidth, bitmap->FHeight, bitmap->GetMonochrome())};
      int stride = 0, freshStride = 0;
      const std::uint32_t* src = bitmap->Pixels(&stride);
      std::uint32_t* dst = PixelsOf(fresh.Handle, &freshStride);
      for (std::int32_t y = 0; y < bitmap->FHeight; ++y)
        std::copy_n(src + std::int64_t(y) * stride, bitmap->FWidth, dst + std::int64_t(y) * freshStride);
      copy = fresh.Release();
    }
    ReplaceHandle(copy, bitmap->FWidth, bitmap->FHeight);
    FPixelFormat = bitmap->FPixelFormat;
    FColorTable = bitmap->FColorTable;
    FTransparent = bitmap->FTransparent;
    FTransparentMode = bitmap->FTransparentMode;
    FTransparentColor = bitmap->FTransparentColor;
    Changed(this);
    return;
  }
  if (auto* jpeg = dynamic_cast<const TJPEGImage*>(Source)) {
    if (const TBitmap* decoded = jpeg->GetBitmap())
      Assign(decoded);
    else
      LoadFromImage(imaging::Image());
    return;
  }
  if (auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    // Any other picture is drawn at its own size onto white.
    TBitmap drawn(graphic->GetWidth(), graphic->GetHeight());
    if (!drawn.GetEmpty()) drawn.GetCanvas().Draw(0, 0, const_cast<TGraphic*>(graphic));
    drawn.FreeCanvasContext();
    ReplaceHandle(drawn.ReleaseHandle(), graphic->GetWidth(), graphic->GetHeight());
    FPixelFormat = pfDevice;
    FColorTable.clear();
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

// ---------------------------------------------------------------------------
// Device-independent form
// ---------------------------------------------------------------------------

void GetDIBSizes(HBITMAP bitmap, DWORD& infoHeaderSize, DWORD& imageSize) {
  infoHeaderSize = imageSize = 0;
  int width = 0, height = 0, stride = 0;
  const int bpp = BitmapBitsPerPixel(bitmap);
  if (bpp == 0 || !BitmapPixels(bitmap, &width, &height, &stride)) return;
  const int depth = bpp == 1 ? 1 : 32;
  infoHeaderSize = DWORD(sizeof(BITMAPINFOHEADER) + (depth == 1 ? 2 * sizeof(RGBQUAD) : 0));
  imageSize = DWORD(imaging::DibStride(width, depth) * height);
}

bool GetDIB(HBITMAP bitmap, BITMAPINFO* info, void* bits) {
  int width = 0, height = 0, stride = 0;
  const int bpp = BitmapBitsPerPixel(bitmap);
  const std::uint32_t* px = bpp ? BitmapPixels(bitmap, &width, &height, &stride) : nullptr;
  if (!px || !info || !bits) return false;
  const int depth = bpp == 1 ? 1 : 32;
  const std::int64_t dibStride = imaging::DibStride(width, depth);
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as the classic form has it
  header.biBitCount = WORD(depth);
  header.biCompression = BI_RGB;
  header.biSizeImage = DWORD(dibStride * height);
  header.biClrUsed = depth == 1 ? 2 : 0;
  std::memcpy(&info->bmiHeader, &header, sizeof header);
  if (depth == 1) {
    const RGBQUAD table[2] = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    std::memcpy(reinterpret_cast<std::uint8_t*>(info) + sizeof header, table, sizeof table);
  }
  auto* out = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = px + std::int64_t(height - 1 - y) * stride;
    std::uint8_t* dst = out + dibStride * y;
    if (depth == 32) {
      std::memcpy(dst, row, std::size_t(width) * 4);
      continue;
    }
    std::memset(dst, 0, std::size_t(dibStride));
    for (int x = 0; x < width; ++x)
      if ((row[x] & kWhite) == kWhite) dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
  }
  return true;
}

}  // namespace vx::plat
