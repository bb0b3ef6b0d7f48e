// Cursor objects: the shared standard cursors and cursors made from images.
#include <map>
#include <memory>
#include <vector>

#include "platform/controls/cursors.h"
#include "platform/controls/window_private.h"

namespace vx::plat {

namespace {

constexpr int kMaxCursorSide = 256;
// Standard cursors use the handle values 1 .. Custom; made ones start above.
constexpr std::uintptr_t kFirstMadeCursor = 0x1000;

struct CursorTable {
  std::map<std::uintptr_t, TCursorImage> Made;
  std::uintptr_t Next = kFirstMadeCursor;
};

CursorTable& Table() {
  static CursorTable* table = new CursorTable();
  return *table;
}

HCURSOR HandleOf(std::uintptr_t value) { return reinterpret_cast<HCURSOR>(value); }

bool ValidImage(int width, int height, int xHot, int yHot) {
  return width > 0 && height > 0 && width <= kMaxCursorSide && height <= kMaxCursorSide && xHot >= 0 &&
         yHot >= 0 && xHot < width && yHot < height;
}

HCURSOR AddCursor(TCursorImage image) {
  CursorTable& t = Table();
  const std::uintptr_t h = t.Next++;
  t.Made.emplace(h, std::move(image));
  return HandleOf(h);
}

bool PlaneBit(const void* plane, int width, int x, int y) {
  const int rowBytes = ((width + 15) / 16) * 2;
  const auto* bytes = static_cast<const std::uint8_t*>(plane);
  return (bytes[static_cast<std::ptrdiff_t>(y) * rowBytes + x / 8] >> (7 - x % 8)) & 1;
}

}  // namespace

HCURSOR StandardCursor(TCursorShape shape) {
  if (shape == TCursorShape::Custom) return nullptr;
  return HandleOf(static_cast<std::uintptr_t>(shape) + 1);
}

HCURSOR LoadCursorW(void* instance, int id) {
  if (instance) return nullptr;
  switch (id) {
    case IDC_ARROW: return StandardCursor(TCursorShape::Arrow);
    case IDC_IBEAM: return StandardCursor(TCursorShape::IBeam);
    case IDC_WAIT: return StandardCursor(TCursorShape::Wait);
    case IDC_CROSS: return StandardCursor(TCursorShape::Cross);
    case IDC_UPARROW: return StandardCursor(TCursorShape::UpArrow);
    case IDC_SIZENWSE: return StandardCursor(TCursorShape::SizeNWSE);
    case IDC_SIZENESW: return StandardCursor(TCursorShape::SizeNESW);
    case IDC_SIZEWE: return StandardCursor(TCursorShape::SizeWE);
    case IDC_SIZENS: return StandardCursor(TCursorShape::SizeNS);
    case IDC_SIZEALL: return StandardCursor(TCursorShape::SizeAll);
    case IDC_NO: return StandardCursor(TCursorShape::No);
    case IDC_HAND: return StandardCursor(TCursorShape::Hand);
    case IDC_APPSTARTING: return StandardCursor(TCursorShape::AppStarting);
    case IDC_HELP: return StandardCursor(TCursorShape::Help);
    default: return nullptr;
  }
}

HCURSOR CreateCursor(void* instance, int xHotSpot, int yHotSpot, int width, int height, const void* andPlane,
                     const void* xorPlane) {
  if (!ValidImage(width, height, xHotSpot, yHotSpot) || !andPlane || !xorPlane) return nullptr;
  TCursorImage image;
  image.Shape = TCursorShape::Custom;
  image.Width = width;
  image.Height = height;
  image.HotSpot = TPoint{xHotSpot, yHotSpot};
  image.Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool a = PlaneBit(andPlane, width, x, y), xr = PlaneBit(xorPlane, width, x, y);
      // Inverting pixels cannot be shown by every host: they show black.
      const std::uint32_t p = a && !xr ? 0x00000000u : (!a && xr ? 0xFFFFFFFFu : 0xFF000000u);
      image.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = p;
    }
  }
  return AddCursor(std::move(image));
}

HCURSOR CreateColorCursor(int width, int height, const std::uint32_t* pixels, TPoint hotSpot) {
  if (!ValidImage(width, height, hotSpot.x, hotSpot.y) || !pixels) return nullptr;
  TCursorImage image;
  image.Shape = TCursorShape::Custom;
  image.Width = width;
  image.Height = height;
  image.HotSpot = hotSpot;
  image.Pixels.assign(pixels, pixels + static_cast<std::ptrdiff_t>(width) * height);
  return AddCursor(std::move(image));
}

HCURSOR CreateCursorFromBitmap(HBITMAP bitmap, TPoint hotSpot, COLORREF transparent) {
  int width = 0, height = 0, stride = 0;
  const std::uint32_t* pixels = BitmapPixels(bitmap, &width, &height, &stride);
  if (!pixels || !ValidImage(width, height, hotSpot.x, hotSpot.y)) return nullptr;
  // Bitmap pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
  const std::uint32_t clear = ((transparent & 0xFFu) << 16) | (transparent & 0xFF00u) | ((transparent >> 16) & 0xFFu);
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::ptrdiff_t>(y) * stride + x] & 0x00FFFFFFu;
      argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          p == clear ? 0u : 0xFF000000u | p;
    }
  return CreateColorCursor(width, height, argb.data(), hotSpot);
}

BOOL DestroyCursor(HCURSOR cursor) {
  const auto value = reinterpret_cast<std::uintptr_t>(cursor);
  if (value > 0 && value < kFirstMadeCursor) return TRUE;  // standard cursors stay
  if (Table().Made.erase(value) == 0) return FALSE;
  if (GetCursor() == cursor) SetCursor(StandardCursor(TCursorShape::Arrow));
  return TRUE;
}

BOOL GetCursorImage(HCURSOR cursor, TCursorImage* image) {
  const auto value = reinterpret_cast<std::uintptr_t>(cursor);
  if (!image || value == 0) return FALSE;
  if (value <= static_cast<std::uintptr_t>(TCursorShape::Custom)) {
    *image = TCursorImage{};
    image->Shape = static_cast<TCursorShape>(value - 1);
    return TRUE;
  }
  auto it = Table().Made.find(value);
  if (it == Table().Made.end()) return FALSE;
  *image = it->second;
  return TRUE;
}

}  // namespace vx::plat
