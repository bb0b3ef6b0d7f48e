// Composition: windows drawn into screen pixels, each client surface at its
// place, clipped by its parents, with the non-client frame (borders, scroll
// bars with arrows, trough and thumb, the size box) drawn in the classic look.
#include <algorithm>
#include <cstring>

#include "platform/controls/window_private.h"
#include "platform/graphics/color.h"

namespace vx::plat::wm {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Pixel(TColor c) {
  const COLORREF rgb = ColorToRGB(c);
  return kOpaque | ((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu);
}

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

TRect Offset(const TRect& r, TPoint o) { return TRect{r.Left + o.x, r.Top + o.y, r.Right + o.x, r.Bottom + o.y}; }

// Pixel drawing into the target, always clipped.
class Painter {
public:
  Painter(const TPixelView& view, const TRect& clip) : FView(view), FClip(clip) {}

  void Fill(const TRect& r, std::uint32_t pixel) const {
    const TRect c = Intersect(r, FClip);
    for (int y = c.Top; y < c.Bottom; ++y) std::fill_n(Row(y) + c.Left, c.Width(), pixel);
  }
  // A raised (or, pressed, a sunken) button face with the classic two-pixel edge.
  void Button(const TRect& r, bool pressed) const {
    Fill(r, Pixel(clBtnFace));
    if (pressed) {
      Frame(r, Pixel(clBtnShadow));
      return;
    }
    Edge(r, Pixel(cl3DLight), Pixel(cl3DDkShadow));
    Edge(TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, Pixel(clBtnHighlight), Pixel(clBtnShadow));
  }
  // Top/left lines in `light`, bottom/right lines in `dark`.
  void Edge(const TRect& r, std::uint32_t light, std::uint32_t dark) const {
    if (r.IsEmpty()) return;
    Fill(TRect{r.Left, r.Top, r.Right, r.Top + 1}, light);
    Fill(TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, light);
    Fill(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, dark);
    Fill(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, dark);
  }
  void Frame(const TRect& r, std::uint32_t pixel) const { Edge(r, pixel, pixel); }
  // A small solid triangle pointing in `direction` (0 left, 1 up, 2 right, 3 down), centred in r.
  void Arrow(const TRect& r, int direction, std::uint32_t pixel, int shift) const {
    const int size = std::max(1, std::min(r.Width(), r.Height()) / 4);
    const int cx = (r.Left + r.Right) / 2 + shift, cy = (r.Top + r.Bottom) / 2 + shift;
    for (int i = 0; i < size; ++i) {
      const int half = i;  // the row i steps from the tip is 2 * i + 1 pixels long
      switch (direction) {
        case 0: Fill(TRect{cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1}, pixel); break;
        case 2: Fill(TRect{cx + size / 2 - i, cy - half, cx + size / 2 - i + 1, cy + half + 1}, pixel); break;
        case 1: Fill(TRect{cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1}, pixel); break;
        default: Fill(TRect{cx - half, cy + size / 2 - i, cx + half + 1, cy + size / 2 - i + 1}, pixel); break;
      }
    }
  }
  void Copy(const std::uint32_t* src, int srcStride, const TRect& srcBounds, TPoint srcOrigin) const {
    // srcOrigin: the target pixel of source pixel (0, 0).
    const TRect c = Intersect(Offset(srcBounds, srcOrigin), FClip);
    for (int y = c.Top; y < c.Bottom; ++y) {
      const std::uint32_t* s = src + static_cast<std::ptrdiff_t>(y - srcOrigin.y) * srcStride + (c.Left - srcOrigin.x);
      std::uint32_t* d = Row(y) + c.Left;
      for (int x = 0; x < c.Width(); ++x) d[x] = kOpaque | (s[x] & 0x00FFFFFFu);
    }
  }
  const TRect& Clip() const { return FClip; }

private:
  std::uint32_t* Row(int y) const { return FView.Pixels + static_cast<std::ptrdiff_t>(y) * FView.Stride; }
  TPixelView FView;
  TRect FClip;
};

void DrawBorder(const Window& w, const Painter& p, TPoint origin) {
  const TRect outer = Offset(TRect{0, 0, w.Rect.Width(), w.Rect.Height()}, origin);
  TRect r = outer;
  if (w.Style & WS_THICKFRAME) {
    p.Frame(r, Pixel(clActiveBorder));
    p.Fill(TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Top + 4}, Pixel(clBtnFace));
    p.Fill(TRect{r.Left + 1, r.Bottom - 4, r.Right - 1, r.Bottom - 1}, Pixel(clBtnFace));
    p.Fill(TRect{r.Left + 1, r.Top + 1, r.Left + 4, r.Bottom - 1}, Pixel(clBtnFace));
    p.Fill(TRect{r.Right - 4, r.Top + 1, r.Right - 1, r.Bottom - 1}, Pixel(clBtnFace));
    r = TRect{r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4};
  } else if (w.Style & (WS_BORDER | WS_DLGFRAME)) {
    p.Frame(r, Pixel(clWindowFrame));
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  if (w.ExStyle & WS_EX_CLIENTEDGE) {
    p.Edge(r, Pixel(clBtnShadow), Pixel(clBtnHighlight));
    p.Edge(TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, Pixel(cl3DDkShadow), Pixel(cl3DLight));
  }
}

void DrawBar(const Window& w, int bar, const BarGeometry& g, const Painter& p, TPoint origin) {
  if (!g.Shown || g.Rect.IsEmpty()) return;
  const TRect r = Offset(g.Rect, origin);
  const ScrollTrack& t = S().Track;
  const bool tracking = t.Window == w.Handle && t.Bar == bar;
  const bool enabled = g.Enabled;
  auto along = [&](int start, int length) {
    return g.Horizontal ? TRect{r.Left + start, r.Top, r.Left + start + length, r.Bottom}
                        : TRect{r.Left, r.Top + start, r.Right, r.Top + start + length};
  };
  // Trough, with the pressed page part darkened.
  p.Fill(r, Pixel(clScrollBar));
  if (tracking && g.HasThumb && t.Part == BarPart::PageUp)
    p.Fill(along(g.TroughStart, g.ThumbStart - g.TroughStart), Pixel(clBtnShadow));
  if (tracking && g.HasThumb && t.Part == BarPart::PageDown)
    p.Fill(along(g.ThumbStart + g.ThumbLength, g.Length - g.Arrow - g.ThumbStart - g.ThumbLength), Pixel(clBtnShadow));
  // Arrows.
  const std::uint32_t glyph = Pixel(enabled ? clBtnText : clGrayText);
  const bool upPressed = tracking && t.Part == BarPart::LineUp;
  const bool downPressed = tracking && t.Part == BarPart::LineDown;
  const TRect first = along(0, g.Arrow), last = along(g.Length - g.Arrow, g.Arrow);
  p.Button(first, upPressed);
  p.Button(last, downPressed);
  p.Arrow(first, g.Horizontal ? 0 : 1, glyph, upPressed ? 1 : 0);
  p.Arrow(last, g.Horizontal ? 2 : 3, glyph, downPressed ? 1 : 0);
  // Thumb.
  if (g.HasThumb) p.Button(along(g.ThumbStart, g.ThumbLength), false);
}

void DrawNonClient(const Window& w, const Painter& p, TPoint origin) {
  DrawBorder(w, p, origin);
  const FrameLayout f = LayoutOf(w);
  DrawBar(w, SB_HORZ, f.Bars[SB_HORZ], p, origin);
  DrawBar(w, SB_VERT, f.Bars[SB_VERT], p, origin);
  if (f.HasSizeBox) p.Fill(Offset(f.SizeBox, origin), Pixel(clBtnFace));
}

void ComposeTree(const Window& w, const TPixelView& view, TPoint origin, const TRect& clip) {
  const TRect windowRect = Offset(TRect{0, 0, w.Rect.Width(), w.Rect.Height()}, origin);
  const TRect here = Intersect(windowRect, clip);
  if (here.IsEmpty()) return;
  const Painter frame(view, here);
  DrawNonClient(w, frame, origin);
  const TRect client = Offset(w.Client, origin);
  const TRect clientClip = Intersect(client, here);
  if (clientClip.IsEmpty()) return;
  const Painter inside(view, clientClip);
  int sw = 0, sh = 0, stride = 0;
  if (const std::uint32_t* pixels = SurfacePixels(w, &sw, &sh, &stride)) {
    // A client larger than its (limited) surface shows white beyond it.
    if (sw < client.Width() || sh < client.Height()) inside.Fill(client, kOpaque | 0x00FFFFFFu);
    inside.Copy(pixels, stride, TRect{0, 0, sw, sh}, TPoint{client.Left, client.Top});
  }
  for (const Window* c : w.Children) {
    if (!(c->Style & WS_VISIBLE)) continue;
    ComposeTree(*c, view, TPoint{client.Left + c->Rect.Left, client.Top + c->Rect.Top}, clientClip);
  }
}

}  // namespace

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

void ComposeScreen(const TPixelView& target, TPoint origin, COLORREF desktop) {
  if (!target.Pixels || target.Width <= 0 || target.Height <= 0) return;
  const TRect all{0, 0, target.Width, target.Height};
  const std::uint32_t back = kOpaque | ((desktop & 0xFFu) << 16) | (desktop & 0xFF00u) | ((desktop >> 16) & 0xFFu);
  Painter(target, all).Fill(all, back);
  for (const Window* w : S().TopLevels) {
    if (!(w->Style & WS_VISIBLE)) continue;
    ComposeTree(*w, target, TPoint{w->Rect.Left - origin.x, w->Rect.Top - origin.y}, all);
  }
}

void ComposeWindow(HWND window, const TPixelView& target) {
  const Window* w = Find(window);
  if (!w || !target.Pixels || target.Width <= 0 || target.Height <= 0) return;
  ComposeTree(*w, target, TPoint{0, 0}, TRect{0, 0, target.Width, target.Height});
}

std::uint64_t ScreenGeneration() { return S().Generation; }

}  // namespace vx::plat
