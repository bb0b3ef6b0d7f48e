#include "platform/gdi/region.h"

#include <algorithm>

#include "platform/gdi/raster_internal.h"
#include "platform/gdi/raster_spans.h"

namespace vx::plat::gdi {

using detail::ClampTo32;
using detail::kInt32Max;
using detail::kInt32Min;

namespace {
// Rows scanned one by one before tall curved shapes are sampled in thicker bands.
constexpr std::int64_t kMaxRegionRows = std::int64_t{1} << 18;
}  // namespace

// Appends bands top to bottom, merging a band into the previous one when it
// continues it with the same intervals, so every region stays canonical.
class RegionBuilder {
 public:
  void Add(std::int64_t top, std::int64_t bottom, const std::int32_t* walls, std::size_t count) {
    top = std::clamp(top, kInt32Min, kInt32Max);
    bottom = std::clamp(bottom, kInt32Min, kInt32Max);
    if (top >= bottom || count < 2) return;
    Region& r = region_;
    if (!r.bands_.empty()) {
      const Region::Band& last = r.bands_.back();
      const std::size_t first = last.firstWall;
      if (last.bottom == top && r.walls_.size() - first == count &&
          std::equal(walls, walls + count, r.walls_.begin() + static_cast<std::ptrdiff_t>(first))) {
        r.bands_.back().bottom = static_cast<std::int32_t>(bottom);
        return;
      }
    }
    r.bands_.push_back(Region::Band{static_cast<std::int32_t>(top), static_cast<std::int32_t>(bottom),
                                    static_cast<std::uint32_t>(r.walls_.size())});
    r.walls_.insert(r.walls_.end(), walls, walls + count);
  }
  void Add(std::int64_t top, std::int64_t bottom, const std::vector<std::int32_t>& walls) {
    Add(top, bottom, walls.data(), walls.size());
  }
  Region Take() { return std::move(region_); }

  // A figure given row by row; rows the figure reports as equal become one
  // band, and very tall figures are sampled once per band of rows.
  static Region FromFigure(const detail::RowFigure& fig) {
    RegionBuilder b;
    if (fig.Empty()) return b.Take();
    const std::int64_t rows = fig.bottom - fig.top;
    const std::int64_t step = rows > kMaxRegionRows ? (rows + kMaxRegionRows - 1) / kMaxRegionRows : 1;
    std::int32_t walls[2];
    for (std::int64_t y = fig.top; y < fig.bottom;) {
      std::int64_t x0 = 0, x1 = 0;
      const std::int64_t same = fig.Row(y, x0, x1);
      const std::int64_t end = std::min(fig.bottom, std::max(same, y + step));
      walls[0] = ClampTo32(x0);
      walls[1] = ClampTo32(x1);
      if (walls[0] < walls[1]) b.Add(y, end, walls, 2);
      y = end;
    }
    return b.Take();
  }

  static Region FromEdges(const std::vector<detail::FixedEdge>& edges, FillMode mode) {
    RegionBuilder b;
    detail::ScanEdges(edges, mode, kInt32Min, kInt32Max, static_cast<std::int32_t>(kInt32Min),
                      static_cast<std::int32_t>(kInt32Max), kMaxRegionRows,
                      [&](std::int64_t top, std::int64_t bottom, const std::vector<std::int32_t>& walls) {
                        b.Add(top, bottom, walls);
                      });
    return b.Take();
  }

  // The region moved by (dx, dy), saturating at the Int32 limits.
  static Region Shifted(const Region& src, std::int64_t dx, std::int64_t dy) {
    RegionBuilder b;
    std::vector<std::int32_t> walls;
    for (std::size_t i = 0; i < src.bands_.size(); ++i) {
      walls.clear();
      for (std::size_t w = src.bands_[i].firstWall; w + 1 < src.WallEnd(i); w += 2) {
        const std::int32_t x0 = ClampTo32(std::int64_t{src.walls_[w]} + dx);
        const std::int32_t x1 = ClampTo32(std::int64_t{src.walls_[w + 1]} + dx);
        if (x0 >= x1) continue;
        if (!walls.empty() && walls.back() >= x0) walls.back() = std::max(walls.back(), x1);
        else {
          walls.push_back(x0);
          walls.push_back(x1);
        }
      }
      b.Add(std::int64_t{src.bands_[i].top} + dy, std::int64_t{src.bands_[i].bottom} + dy, walls);
    }
    return b.Take();
  }

  // Each interval shrunk by w at both ends.
  static Region ErodedHorizontally(const Region& src, std::int64_t w) {
    RegionBuilder b;
    std::vector<std::int32_t> walls;
    for (std::size_t i = 0; i < src.bands_.size(); ++i) {
      walls.clear();
      for (std::size_t k = src.bands_[i].firstWall; k + 1 < src.WallEnd(i); k += 2) {
        const std::int64_t x0 = std::int64_t{src.walls_[k]} + w, x1 = std::int64_t{src.walls_[k + 1]} - w;
        if (x0 < x1) {
          walls.push_back(static_cast<std::int32_t>(x0));
          walls.push_back(static_cast<std::int32_t>(x1));
        }
      }
      b.Add(src.bands_[i].top, src.bands_[i].bottom, walls);
    }
    return b.Take();
  }

 private:
  Region region_;
};

Region Region::FromRect(const TRect& r) {
  const TRect n = NormalisedRect(r);
  RegionBuilder b;
  const std::int32_t walls[2] = {n.Left, n.Right};
  if (n.Left < n.Right) b.Add(n.Top, n.Bottom, walls, 2);
  return b.Take();
}

Region Region::FromEllipse(const TRect& box) { return RegionBuilder::FromFigure(detail::EllipseRows(box)); }

Region Region::FromRoundRect(const TRect& box, int ellipseWidth, int ellipseHeight) {
  return RegionBuilder::FromFigure(detail::RoundRectRows(box, ellipseWidth, ellipseHeight));
}

Region Region::FromPolygon(const TPoint* pts, std::size_t n, FillMode mode) {
  if (pts == nullptr || n < 3) return Region();
  std::vector<detail::FixedEdge> edges;
  detail::AppendPolygonEdges(pts, n, edges);
  return RegionBuilder::FromEdges(edges, mode);
}

Region Region::FromPolyPolygon(const TPoint* pts, const int* counts, std::size_t polyCount, FillMode mode) {
  if (pts == nullptr || counts == nullptr) return Region();
  std::vector<detail::FixedEdge> edges;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < polyCount; ++i) {
    const std::size_t count = counts[i] > 0 ? static_cast<std::size_t>(counts[i]) : 0;
    if (count >= 3) detail::AppendPolygonEdges(pts + offset, count, edges);
    offset += count;
  }
  return RegionBuilder::FromEdges(edges, mode);
}

Region Region::FromSpans(const SpanList& spans) {
  SpanList sorted = spans;
  NormaliseSpans(sorted);
  RegionBuilder b;
  std::vector<std::int32_t> walls;
  for (std::size_t i = 0; i < sorted.size();) {
    const std::int32_t y = sorted[i].y;
    walls.clear();
    for (; i < sorted.size() && sorted[i].y == y; ++i) {
      walls.push_back(sorted[i].x0);
      walls.push_back(sorted[i].x1);
    }
    b.Add(y, std::int64_t{y} + 1, walls);
  }
  return b.Take();
}

Region Region::FromRects(const TRect* rects, std::size_t n) {
  std::vector<TRect> valid;
  std::vector<std::int32_t> ys;
  for (std::size_t i = 0; rects != nullptr && i < n; ++i) {
    const TRect r = NormalisedRect(rects[i]);
    if (r.Left >= r.Right || r.Top >= r.Bottom) continue;
    valid.push_back(r);
    ys.push_back(r.Top);
    ys.push_back(r.Bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  RegionBuilder b;
  std::vector<std::pair<std::int32_t, std::int32_t>> runs;
  std::vector<std::int32_t> walls;
  for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
    runs.clear();
    for (const TRect& r : valid) {
      if (r.Top <= ys[k] && r.Bottom >= ys[k + 1]) runs.emplace_back(r.Left, r.Right);
    }
    std::sort(runs.begin(), runs.end());
    walls.clear();
    for (const auto& [x0, x1] : runs) {
      if (!walls.empty() && walls.back() >= x0) walls.back() = std::max(walls.back(), x1);
      else {
        walls.push_back(x0);
        walls.push_back(x1);
      }
    }
    b.Add(ys[k], ys[k + 1], walls);
  }
  return b.Take();
}

Region Region::Combine(const Region& a, const Region& b, RegionOp op) {
  detail::SetOp setOp;
  switch (op) {
    case RegionOp::And: setOp = detail::SetOp::And; break;
    case RegionOp::Or: setOp = detail::SetOp::Or; break;
    case RegionOp::Xor: setOp = detail::SetOp::Xor; break;
    case RegionOp::Diff: setOp = detail::SetOp::Diff; break;
    default: return a;  // Copy, and values outside the enumeration
  }
  RegionBuilder out;
  std::vector<std::int32_t> walls;
  std::size_t ia = 0, ib = 0;
  std::int64_t y = kInt32Min;
  const std::size_t na = a.bands_.size(), nb = b.bands_.size();
  constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  while (ia < na || ib < nb) {
    const Band* ba = ia < na ? &a.bands_[ia] : nullptr;
    const Band* bb = ib < nb ? &b.bands_[ib] : nullptr;
    y = std::max(y, std::min<std::int64_t>(ba ? ba->top : kNone, bb ? bb->top : kNone));
    const bool inA = ba != nullptr && ba->top <= y;
    const bool inB = bb != nullptr && bb->top <= y;
    std::int64_t end = kNone;
    if (ba) end = std::min<std::int64_t>(end, inA ? ba->bottom : ba->top);
    if (bb) end = std::min<std::int64_t>(end, inB ? bb->bottom : bb->top);
    const std::int32_t* wa = inA ? a.walls_.data() + ba->firstWall : nullptr;
    const std::size_t nwa = inA ? a.WallEnd(ia) - ba->firstWall : 0;
    const std::int32_t* wb = inB ? b.walls_.data() + bb->firstWall : nullptr;
    const std::size_t nwb = inB ? b.WallEnd(ib) - bb->firstWall : 0;
    detail::CombineWalls(wa, nwa, wb, nwb, setOp, walls);
    out.Add(y, end, walls);
    y = end;
    if (ba && ba->bottom <= y) ++ia;
    if (bb && bb->bottom <= y) ++ib;
  }
  return out.Take();
}

RegionComplexity Region::Complexity() const {
  if (bands_.empty()) return RegionComplexity::Null;
  return bands_.size() == 1 && walls_.size() == 2 ? RegionComplexity::Simple : RegionComplexity::Complex;
}

void Region::Offset(std::int32_t dx, std::int32_t dy) {
  if (dx == 0 && dy == 0) return;
  *this = RegionBuilder::Shifted(*this, dx, dy);
}

bool Region::Contains(std::int32_t x, std::int32_t y) const {
  auto it = std::upper_bound(bands_.begin(), bands_.end(), y, [](std::int32_t v, const Band& b) { return v < b.top; });
  if (it == bands_.begin()) return false;
  --it;
  if (y >= it->bottom) return false;
  const std::size_t band = static_cast<std::size_t>(it - bands_.begin());
  const auto first = walls_.begin() + it->firstWall;
  const auto last = walls_.begin() + static_cast<std::ptrdiff_t>(WallEnd(band));
  // Inside when an odd number of walls lie at or left of x.
  return ((std::upper_bound(first, last, x) - first) & 1) != 0;
}

bool Region::IntersectsRect(const TRect& r) const {
  const TRect n = NormalisedRect(r);
  if (n.Left >= n.Right || n.Top >= n.Bottom) return false;
  auto it = std::upper_bound(bands_.begin(), bands_.end(), n.Top,
                             [](std::int32_t v, const Band& b) { return v < b.bottom; });
  for (; it != bands_.end() && it->top < n.Bottom; ++it) {
    const std::size_t band = static_cast<std::size_t>(it - bands_.begin());
    for (std::size_t w = it->firstWall; w + 1 < WallEnd(band); w += 2) {
      if (walls_[w] >= n.Right) break;
      if (walls_[w + 1] > n.Left) return true;
    }
  }
  return false;
}

TRect Region::Bounds() const {
  if (bands_.empty()) return TRect{};
  TRect r{walls_[0], bands_.front().top, walls_[1], bands_.back().bottom};
  for (std::size_t i = 0; i < bands_.size(); ++i) {
    r.Left = std::min(r.Left, walls_[bands_[i].firstWall]);
    r.Right = std::max(r.Right, walls_[WallEnd(i) - 1]);
  }
  return r;
}

void Region::Clip(const TRect& clip) { *this = Combine(*this, FromRect(clip), RegionOp::And); }

Region Region::Frame(int w, int h) const {
  if (bands_.empty()) return Region();
  const std::int64_t fw = std::max(w, 1), fh = std::max(h, 1);
  const Region horizontal = RegionBuilder::ErodedHorizontally(*this, fw);
  // Vertical erosion by [-fh, fh]: E(k) holds pixels whose next k rows are
  // all in the region; build E(2 fh + 1) by doubling, then centre it.
  const std::int64_t span = 2 * fh + 1;
  const TRect bounds = Bounds();
  const std::int64_t height = std::int64_t{bounds.Bottom} - bounds.Top;
  Region eroded;
  if (span <= height) {
    eroded = *this;
    std::int64_t have = 1;
    int bit = 62;
    while (bit >= 0 && ((span >> bit) & 1) == 0) --bit;
    for (--bit; bit >= 0 && !eroded.IsEmpty(); --bit) {
      eroded = Combine(eroded, RegionBuilder::Shifted(eroded, 0, -have), RegionOp::And);
      have *= 2;
      if ((span >> bit) & 1) {
        eroded = Combine(eroded, RegionBuilder::Shifted(*this, 0, -have), RegionOp::And);
        have += 1;
      }
    }
    eroded = RegionBuilder::Shifted(eroded, 0, fh);
  }
  const Region inner = Combine(horizontal, eroded, RegionOp::And);
  return Combine(*this, inner, RegionOp::Diff);
}

SpanList Region::FrameSpans(int w, int h, const TRect& clip) const { return Frame(w, h).Spans(clip); }

SpanList Region::Spans(const TRect& clip) const {
  SpanList out;
  if (clip.Left >= clip.Right || clip.Top >= clip.Bottom) return out;
  auto it = std::upper_bound(bands_.begin(), bands_.end(), clip.Top,
                             [](std::int32_t v, const Band& b) { return v < b.bottom; });
  std::vector<std::int32_t> walls;
  for (; it != bands_.end() && it->top < clip.Bottom; ++it) {
    const std::size_t band = static_cast<std::size_t>(it - bands_.begin());
    walls.clear();
    for (std::size_t w = it->firstWall; w + 1 < WallEnd(band); w += 2) {
      const std::int32_t x0 = std::max(walls_[w], clip.Left), x1 = std::min(walls_[w + 1], clip.Right);
      if (x0 < x1) {
        walls.push_back(x0);
        walls.push_back(x1);
      }
    }
    const std::int64_t y0 = std::max(it->top, clip.Top), y1 = std::min(it->bottom, clip.Bottom);
    for (std::int64_t y = y0; y < y1; ++y) detail::AppendRowSpans(y, walls, out);
  }
  return out;
}

std::vector<TRect> Region::Rects() const {
  std::vector<TRect> out;
  out.reserve(walls_.size() / 2);
  for (std::size_t i = 0; i < bands_.size(); ++i) {
    for (std::size_t w = bands_[i].firstWall; w + 1 < WallEnd(i); w += 2) {
      out.push_back(TRect{walls_[w], bands_[i].top, walls_[w + 1], bands_[i].bottom});
    }
  }
  return out;
}

}  // namespace vx::plat::gdi
