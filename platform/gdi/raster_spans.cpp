#include "platform/gdi/raster_spans.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/raster_internal.h"

namespace vx::plat::gdi {
namespace detail {

std::int64_t FloorDiv(Int128 n, Int128 d) {
  Int128 q = n / d;
  if (n % d != 0 && n < 0) --q;
  return Clamp64(q, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

std::int64_t CeilDiv(Int128 n, Int128 d) {
  Int128 q = n / d;
  if (n % d != 0 && n > 0) ++q;
  return Clamp64(q, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

namespace {
constexpr long double kLDLimit = 4611686018427387904.0L;  // 2^62
std::int64_t SaturateLD(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= kLDLimit) return std::int64_t{1} << 62;
  if (v <= -kLDLimit) return -(std::int64_t{1} << 62);
  return static_cast<std::int64_t>(v);
}
}  // namespace

std::int64_t FloorLD(long double v) { return SaturateLD(std::floor(v)); }
std::int64_t CeilLD(long double v) { return SaturateLD(std::ceil(v)); }

void CombineWalls(const std::int32_t* a, std::size_t na, const std::int32_t* b, std::size_t nb, SetOp op,
                  std::vector<std::int32_t>& out) {
  out.clear();
  std::size_t i = 0, j = 0;
  bool inA = false, inB = false, inR = false;
  while (i < na || j < nb) {
    std::int32_t x;
    if (i < na && j < nb) x = std::min(a[i], b[j]);
    else x = i < na ? a[i] : b[j];
    while (i < na && a[i] == x) { inA = !inA; ++i; }
    while (j < nb && b[j] == x) { inB = !inB; ++j; }
    bool r = false;
    switch (op) {
      case SetOp::And: r = inA && inB; break;
      case SetOp::Or: r = inA || inB; break;
      case SetOp::Xor: r = inA != inB; break;
      case SetOp::Diff: r = inA && !inB; break;
    }
    if (r != inR) {
      out.push_back(x);
      inR = r;
    }
  }
}

void AppendRowSpans(std::int64_t y, const std::vector<std::int32_t>& walls, SpanList& out) {
  const auto row = static_cast<std::int32_t>(y);
  for (std::size_t i = 0; i + 1 < walls.size(); i += 2) {
    if (walls[i] < walls[i + 1]) out.push_back(Span{row, walls[i], walls[i + 1]});
  }
}

}  // namespace detail

using detail::SetOp;

TRect NormalisedRect(const TRect& r) {
  return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
               std::max(r.Top, r.Bottom)};
}

void NormaliseSpans(SpanList& spans) {
  std::erase_if(spans, [](const Span& s) { return s.x0 >= s.x1; });
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
  std::size_t w = 0;
  for (std::size_t r = 0; r < spans.size(); ++r) {
    if (w > 0 && spans[w - 1].y == spans[r].y && spans[r].x0 <= spans[w - 1].x1) {
      spans[w - 1].x1 = std::max(spans[w - 1].x1, spans[r].x1);
    } else {
      spans[w++] = spans[r];
    }
  }
  spans.resize(w);
}

namespace {

// Row-by-row boolean combination of two valid span lists.
SpanList CombineSpans(const SpanList& a, const SpanList& b, SetOp op) {
  SpanList out;
  std::vector<std::int32_t> wa, wb, wr;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    std::int32_t y;
    if (i < a.size() && j < b.size()) y = std::min(a[i].y, b[j].y);
    else y = i < a.size() ? a[i].y : b[j].y;
    wa.clear();
    wb.clear();
    for (; i < a.size() && a[i].y == y; ++i) { wa.push_back(a[i].x0); wa.push_back(a[i].x1); }
    for (; j < b.size() && b[j].y == y; ++j) { wb.push_back(b[j].x0); wb.push_back(b[j].x1); }
    detail::CombineWalls(wa.data(), wa.size(), wb.data(), wb.size(), op, wr);
    detail::AppendRowSpans(y, wr, out);
  }
  return out;
}

}  // namespace

SpanList UnionSpans(const SpanList& a, const SpanList& b) { return CombineSpans(a, b, SetOp::Or); }
SpanList IntersectSpans(const SpanList& a, const SpanList& b) { return CombineSpans(a, b, SetOp::And); }
SpanList SubtractSpans(const SpanList& a, const SpanList& b) { return CombineSpans(a, b, SetOp::Diff); }
SpanList XorSpans(const SpanList& a, const SpanList& b) { return CombineSpans(a, b, SetOp::Xor); }

SpanList ClipSpans(const SpanList& spans, const TRect& clip) {
  SpanList out;
  auto first = std::lower_bound(spans.begin(), spans.end(), clip.Top,
                                [](const Span& s, std::int32_t y) { return s.y < y; });
  for (auto it = first; it != spans.end() && it->y < clip.Bottom; ++it) {
    const std::int32_t x0 = std::max(it->x0, clip.Left);
    const std::int32_t x1 = std::min(it->x1, clip.Right);
    if (x0 < x1) out.push_back(Span{it->y, x0, x1});
  }
  return out;
}

bool SpansContain(const SpanList& spans, std::int32_t x, std::int32_t y) {
  // The last span that starts at or before (x, y).
  auto it = std::upper_bound(spans.begin(), spans.end(), Span{y, x, x}, [](const Span& key, const Span& s) {
    return key.y != s.y ? key.y < s.y : key.x0 < s.x0;
  });
  if (it == spans.begin()) return false;
  --it;
  return it->y == y && it->x0 <= x && x < it->x1;
}

std::int64_t SpanPixelCount(const SpanList& spans) {
  std::int64_t n = 0;
  for (const Span& s : spans) n += std::int64_t{s.x1} - s.x0;
  return n;
}

TRect SpanBounds(const SpanList& spans) {
  if (spans.empty()) return TRect{};
  TRect r{spans.front().x0, spans.front().y, spans.front().x1, spans.back().y};
  for (const Span& s : spans) {
    r.Left = std::min(r.Left, s.x0);
    r.Right = std::max(r.Right, s.x1);
  }
  // The bottom is exclusive; a span on the last Int32 row saturates.
  r.Bottom = detail::ClampTo32(std::int64_t{spans.back().y} + 1);
  return r;
}

}  // namespace vx::plat::gdi
