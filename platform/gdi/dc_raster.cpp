// The raster surface: pixel stores, the binary and ternary raster operations,
// brush paints (solid, hatch, pattern) and span arithmetic for clipping.
#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/gdi/dc_private.h"

namespace vx::plat::gdi {

std::shared_ptr<Surface> Surface::Make(std::int32_t width, std::int32_t height, int bitsPerPixel,
                                       std::uint32_t pixel, bool bottomUp) {
  auto s = std::make_shared<Surface>();
  if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      std::int64_t{width} * height > kMaxBitmapPixels)
    throw EOutOfMemory();
  s->Width = width;
  s->Height = height;
  s->BitsPerPixel = bitsPerPixel == 1 ? 1 : 32;
  if (s->IsMono()) pixel = PixelToMono(pixel);
  s->Store.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), pixel & 0x00FFFFFFu);
  if (bottomUp && height > 0) {
    s->Top = s->Store.data() + static_cast<std::ptrdiff_t>(height - 1) * width;
    s->Stride = -static_cast<std::ptrdiff_t>(width);
  } else {
    s->Top = s->Store.data();
    s->Stride = width;
  }
  return s;
}

std::shared_ptr<Surface> Surface::Clone() const {
  auto copy = Make(Width, Height, BitsPerPixel, 0);
  for (std::int32_t y = 0; y < Height; ++y) std::copy_n(Row(y), Width, copy->Row(y));
  return copy;
}

std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest) {
  // The code minus one is the truth table: bit ((P << 1) | D) gives the result.
  const unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;
  std::uint32_t out = 0;
  if (table & 8) out |= pen & dest;
  if (table & 4) out |= pen & ~dest;
  if (table & 2) out |= ~pen & dest;
  if (table & 1) out |= ~pen & ~dest;
  return out & 0x00FFFFFFu;
}

std::uint32_t ApplyRop3(std::uint8_t code, std::uint32_t pat, std::uint32_t src, std::uint32_t dest) {
  switch (code) {  // the frequent codes without the general loop
    case 0xCC: return src & 0x00FFFFFFu;
    case 0x88: return src & dest & 0x00FFFFFFu;
    case 0xEE: return (src | dest) & 0x00FFFFFFu;
    case 0x66: return (src ^ dest) & 0x00FFFFFFu;
    case 0xF0: return pat & 0x00FFFFFFu;
    case 0x55: return ~dest & 0x00FFFFFFu;
    case 0x00: return 0;
    case 0xFF: return 0x00FFFFFFu;
    default: break;
  }
  // Bit index (P << 2) | (S << 1) | D of the code is the result for that
  // input: split on P, then each half is a two-input table of S and D.
  auto two = [](unsigned table, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r = 0;
    if (table & 8) r |= s & d;
    if (table & 4) r |= s & ~d;
    if (table & 2) r |= ~s & d;
    if (table & 1) r |= ~s & ~d;
    return r;
  };
  const std::uint32_t withP = two((code >> 4) & 0xF, src, dest);
  const std::uint32_t withoutP = two(code & 0xF, src, dest);
  return ((pat & withP) | (~pat & withoutP)) & 0x00FFFFFFu;
}

bool HatchBit(int hatch, int x, int y) {
  switch (hatch) {
    case HS_HORIZONTAL: return y == 0;
    case HS_VERTICAL: return x == 0;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x + y == 7;
    case HS_CROSS: return x == 0 || y == 0;
    case HS_DIAGCROSS: return x == y || x + y == 7;
    default: return false;
  }
}

namespace {
std::int32_t Mod(std::int64_t v, std::int32_t m) {
  const std::int64_t r = v % m;
  return static_cast<std::int32_t>(r < 0 ? r + m : r);
}
}  // namespace

bool Paint::At(std::int32_t x, std::int32_t y, std::uint32_t& out) const {
  switch (Kind) {
    case Kind::None: return false;
    case Kind::Solid: out = Color; return true;
    case Kind::Hatch:
      if (HatchBit(Hatch, Mod(std::int64_t{x} - Origin.x, 8), Mod(std::int64_t{y} - Origin.y, 8))) {
        out = Color;
        return true;
      }
      if (!OpaqueGaps) return false;
      out = Back;
      return true;
    case Kind::Pattern: {
      if (!Pattern || Pattern->Width <= 0 || Pattern->Height <= 0) return false;
      const std::uint32_t p = Pattern->Row(Mod(std::int64_t{y} - Origin.y, Pattern->Height))
                                  [Mod(std::int64_t{x} - Origin.x, Pattern->Width)];
      out = Pattern->IsMono() ? (p ? Back : Fore) : p;
      return true;
    }
  }
  return false;
}

Paint SolidPaint(std::uint32_t pixel) {
  Paint p;
  p.Kind = Paint::Kind::Solid;
  p.Color = pixel & 0x00FFFFFFu;
  return p;
}

Paint BrushPaint(const DcState& s, const BrushObj& brush) {
  Paint p;
  p.Origin = s.BrushOrg;
  p.Back = ColorToPixel(s.BkColor);
  p.Fore = ColorToPixel(s.TextColor);
  p.OpaqueGaps = s.BkMode == OPAQUE;
  switch (brush.Style) {
    case BS_SOLID:
      p.Kind = Paint::Kind::Solid;
      p.Color = ColorToPixel(brush.Color);
      break;
    case BS_HATCHED:
      p.Kind = Paint::Kind::Hatch;
      p.Color = ColorToPixel(brush.Color);
      p.Hatch = brush.Hatch;
      break;
    case BS_PATTERN:
      p.Kind = Paint::Kind::Pattern;
      p.Pattern = brush.Pattern.get();
      break;
    default: p.Kind = Paint::Kind::None; break;
  }
  return p;
}

void FillSpans(const Target& t, const SpanList& spans, const Paint& paint, int rop2) {
  if (!t.Surf || paint.Kind == Paint::Kind::None || rop2 == R2_NOP) return;
  const bool mono = t.Surf->IsMono();
  const bool fastCopy = paint.Kind == Paint::Kind::Solid && (rop2 == R2_COPYPEN || rop2 == R2_BLACK || rop2 == R2_WHITE ||
                                                            rop2 == R2_NOTCOPYPEN);
  for (const Span& sp : spans) {
    if (sp.x1 <= sp.x0) continue;
    std::uint32_t* row = t.Surf->Row(sp.y + t.Origin.y) + t.Origin.x;
    if (fastCopy) {
      std::uint32_t v = ApplyRop2(rop2, paint.Color, 0);
      if (mono) v = PixelToMono(v);
      std::fill(row + sp.x0, row + sp.x1, v);
      continue;
    }
    for (std::int32_t x = sp.x0; x < sp.x1; ++x) {
      std::uint32_t c;
      if (!paint.At(x, sp.y, c)) continue;
      if (mono) c = PixelToMono(c);
      row[x] = ApplyRop2(rop2, c, row[x]);
    }
  }
}

void PatSpans(const Target& t, const SpanList& spans, const Paint& pattern, std::uint8_t rop3) {
  if (!t.Surf) return;
  const bool mono = t.Surf->IsMono();
  for (const Span& sp : spans) {
    std::uint32_t* row = t.Surf->Row(sp.y + t.Origin.y) + t.Origin.x;
    for (std::int32_t x = sp.x0; x < sp.x1; ++x) {
      std::uint32_t p = 0;
      if (!pattern.At(x, sp.y, p)) p = 0;
      if (mono) p = PixelToMono(p);
      row[x] = ApplyRop3(rop3, p, 0, row[x]);
    }
  }
}

SpanList ClipToTarget(const Target& t, SpanList spans) {
  if (!t.Visible()) return {};
  std::size_t n = 0;
  for (const Span& s : spans) {
    if (s.y < t.Bounds.Top || s.y >= t.Bounds.Bottom) continue;
    const std::int32_t x0 = std::max(s.x0, t.Bounds.Left);
    const std::int32_t x1 = std::min(s.x1, t.Bounds.Right);
    if (x0 < x1) spans[n++] = Span{s.y, x0, x1};
  }
  spans.resize(n);
  if (t.Clipped) return IntersectSpans(spans, t.Clip);
  return spans;
}

}  // namespace vx::plat::gdi
