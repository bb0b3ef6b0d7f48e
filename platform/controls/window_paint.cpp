// Painting: the client surfaces, update regions and erasing, the window's
// device context, and scrolling the pixels of a window.
#include <algorithm>
#include <cstring>

#include "platform/controls/window_private.h"

namespace vx::plat::wm {

namespace {

// Surfaces are limited so that a window sized by mistake cannot exhaust memory.
constexpr int kMaxSurfaceSide = 16384;
constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 25;

TRect ClientBounds(const Window& w) { return TRect{0, 0, w.ClientWidth(), w.ClientHeight()}; }

}  // namespace

std::uint32_t* SurfacePixels(const Window& w, int* width, int* height, int* stride) {
  if (!w.Bitmap) return nullptr;
  return BitmapPixels(w.Bitmap, width, height, stride);
}

void ResizeSurface(Window& w) {
  int width = std::clamp(w.ClientWidth(), 1, kMaxSurfaceSide);
  int height = std::clamp(w.ClientHeight(), 1, kMaxSurfaceSide);
  if (std::int64_t{width} * height > kMaxSurfacePixels) height = static_cast<int>(kMaxSurfacePixels / width);
  int oldW = 0, oldH = 0, oldStride = 0;
  const std::uint32_t* old = SurfacePixels(w, &oldW, &oldH, &oldStride);
  if (old && oldW == width && oldH == height) return;
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, width, height);
  if (!bitmap) return;
  int newW = 0, newH = 0, newStride = 0;
  std::uint32_t* pixels = BitmapPixels(bitmap, &newW, &newH, &newStride);
  // New pixels take the class brush's colour (white without one) until painted.
  std::uint32_t fill = 0x00FFFFFF;
  LOGBRUSH lb;
  if (w.Class && w.Class->Background && GetObject(w.Class->Background, sizeof(lb), &lb) == sizeof(lb) &&
      lb.lbStyle == BS_SOLID)
    fill = ((lb.lbColor & 0xFF) << 16) | (lb.lbColor & 0xFF00) | ((lb.lbColor >> 16) & 0xFF);
  for (int y = 0; y < newH; ++y) std::fill_n(pixels + static_cast<std::ptrdiff_t>(y) * newStride, newW, fill);
  if (old) {
    const int cw = std::min(oldW, newW), ch = std::min(oldH, newH);
    for (int y = 0; y < ch; ++y)
      std::memcpy(pixels + static_cast<std::ptrdiff_t>(y) * newStride, old + static_cast<std::ptrdiff_t>(y) * oldStride,
                  sizeof(std::uint32_t) * static_cast<std::size_t>(cw));
  }
  SelectObject(w.Dc, bitmap);
  if (w.Bitmap) DeleteObject(w.Bitmap);
  w.Bitmap = bitmap;
}

void ResetDc(Window& w) {
  RestoreDC(w.Dc, 1);
  SaveDC(w.Dc);
}

void AddUpdate(Window& w, HRGN clientRegion, bool erase) {
  Rgn client(ClientBounds(w));
  Rgn part;
  CombineRgn(part, clientRegion, client, RGN_AND);
  if (part.Empty()) return;
  CombineRgn(*w.Update, *w.Update, part, RGN_OR);
  if (erase) w.EraseNeeded = true;
}

void AddUpdateRect(Window& w, const TRect& clientRect, bool erase) {
  Rgn r(clientRect);
  AddUpdate(w, r, erase);
}

bool HasUpdate(const Window& w) { return w.Update && !w.Update->Empty(); }

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  AddUpdateRect(*w, rect ? *rect : TRect{0, 0, w->ClientWidth(), w->ClientHeight()}, erase != FALSE);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!region) return InvalidateRect(hwnd, nullptr, erase);
  AddUpdate(*w, region, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!rect) {
    SetRectRgn(*w->Update, 0, 0, 0, 0);
    w->EraseNeeded = false;
    return TRUE;
  }
  Rgn r(*rect);
  CombineRgn(*w->Update, *w->Update, r, RGN_DIFF);
  if (!HasUpdate(*w)) w->EraseNeeded = false;
  return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!region) return ValidateRect(hwnd, nullptr);
  CombineRgn(*w->Update, *w->Update, region, RGN_DIFF);
  if (!HasUpdate(*w)) w->EraseNeeded = false;
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!VisibleChain(*w) || !HasUpdate(*w)) return TRUE;
  w->BeginPaintSeen = false;
  SendMessageW(hwnd, WM_PAINT, 0, 0);
  // A paint handler that never began painting would be asked again forever.
  if (Window* again = Find(hwnd); again && !again->BeginPaintSeen) ValidateRect(hwnd, nullptr);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const TRect box = w->Update->Box();
  if (rect) *rect = box;
  return box.IsEmpty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
  Window* w = Find(hwnd);
  if (!w || !region) return ERROR;
  return CombineRgn(region, *w->Update, nullptr, RGN_COPY);
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (flags & RDW_INVALIDATE) {
    if (region)
      InvalidateRgn(hwnd, region, (flags & RDW_ERASE) ? TRUE : FALSE);
    else
      InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  } else if (flags & RDW_VALIDATE) {
    if (region)
      ValidateRgn(hwnd, region);
    else
      ValidateRect(hwnd, rect);
  }
  if (flags & RDW_FRAME) ScreenChanged();
  if (flags & RDW_ALLCHILDREN) {
    for (HWND c : GetChildWindows(hwnd)) RedrawWindow(c, nullptr, nullptr, flags & ~RDW_UPDATENOW);
  }
  if (flags & RDW_UPDATENOW) {
    UpdateWindow(hwnd);
    if (flags & RDW_ALLCHILDREN)
      for (HWND c : GetChildWindows(hwnd)) RedrawWindow(c, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  w->BeginPaintSeen = true;
  if (w->DcUsers == 0 && w->PaintDepth == 0) ResetDc(*w);
  // Take the update region: the window is valid from here on.
  Rgn region;
  CombineRgn(region, *w->Update, nullptr, RGN_COPY);
  const bool erase = w->EraseNeeded;
  SetRectRgn(*w->Update, 0, 0, 0, 0);
  w->EraseNeeded = false;
  ++w->PaintDepth;
  const HDC dc = w->Dc;
  SelectClipRgn(dc, region);
  bool erased = false;
  if (erase) erased = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
  if (paint) {
    paint->hdc = dc;
    paint->fErase = erase && !erased ? TRUE : FALSE;
    paint->rcPaint = region.Box();
  }
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  Window* w = Find(hwnd);
  if (!w || w->PaintDepth == 0) return FALSE;
  --w->PaintDepth;
  SelectClipRgn(w->Dc, nullptr);
  ScreenChanged();
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  if (w->DcUsers == 0 && w->PaintDepth == 0) ResetDc(*w);
  ++w->DcUsers;
  ScreenChanged();
  return w->Dc;
}

int ReleaseDC(HWND hwnd, HDC dc) {
  Window* w = Find(hwnd);
  if (!w || dc != w->Dc || w->DcUsers == 0) return 0;
  --w->DcUsers;
  ScreenChanged();
  return 1;
}

HWND WindowFromDC(HDC dc) {
  if (!dc) return nullptr;
  for (auto& [handle, w] : S().Windows)
    if (w->Dc == dc) return w->Handle;
  return nullptr;
}

// --- scrolling --------------------------------------------------------------------

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return {};
  return r;
}

TRect Offset(const TRect& r, int dx, int dy) {
  auto clamp = [](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
  return TRect{clamp(std::int64_t{r.Left} + dx), clamp(std::int64_t{r.Top} + dy), clamp(std::int64_t{r.Right} + dx),
               clamp(std::int64_t{r.Bottom} + dy)};
}

// Moves the pixels of `src` (surface coordinates) by (dx, dy), writing only
// inside `limit`. Rows are walked away from the direction of the move so
// that overlapping rows are read before they are overwritten.
void MovePixels(std::uint32_t* pixels, int stride, const TRect& src, int dx, int dy, const TRect& limit) {
  const TRect dest = Intersect(Offset(src, dx, dy), limit);
  if (dest.IsEmpty()) return;
  const int width = dest.Width();
  auto copyRow = [&](int y) {
    std::uint32_t* to = pixels + static_cast<std::ptrdiff_t>(y) * stride + dest.Left;
    const std::uint32_t* from = pixels + static_cast<std::ptrdiff_t>(y - dy) * stride + (dest.Left - dx);
    std::memmove(to, from, sizeof(std::uint32_t) * static_cast<std::size_t>(width));
  };
  if (dy > 0)
    for (int y = dest.Bottom - 1; y >= dest.Top; --y) copyRow(y);
  else
    for (int y = dest.Top; y < dest.Bottom; ++y) copyRow(y);
}

}  // namespace

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const TRect client{0, 0, w->ClientWidth(), w->ClientHeight()};
  const TRect area = scroll ? Intersect(*scroll, client) : client;
  const TRect limit = Intersect(clip ? Intersect(*clip, client) : client, area);
  if (area.IsEmpty() || limit.IsEmpty() || (dx == 0 && dy == 0)) return TRUE;
  int sw = 0, sh = 0, stride = 0;
  if (std::uint32_t* pixels = SurfacePixels(*w, &sw, &sh, &stride)) {
    const TRect surface{0, 0, sw, sh};
    MovePixels(pixels, stride, Intersect(area, surface), dx, dy, Intersect(limit, surface));
  }
  // The part of a pending repaint that moved goes with the pixels.
  Rgn moved;
  Rgn areaRgn(area);
  CombineRgn(moved, *w->Update, areaRgn, RGN_AND);
  OffsetRgn(moved, dx, dy);
  Rgn limitRgn(limit);
  CombineRgn(moved, moved, limitRgn, RGN_AND);
  CombineRgn(*w->Update, *w->Update, moved, RGN_OR);
  // Uncovered: the pixels of the limit that no moved pixel landed on.
  Rgn uncovered(limit);
  Rgn landed(Offset(area, dx, dy));
  CombineRgn(uncovered, uncovered, landed, RGN_DIFF);
  AddUpdate(*w, uncovered, true);
  ScreenChanged();
  return TRUE;
}

}  // namespace vx::plat
