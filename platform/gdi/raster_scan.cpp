// The edge scanner: exact scan conversion of polygons given in fixed point.
// Each edge covers the sample rows y with top <= y * kFixOne < bottom (top
// included, bottom excluded) and a pixel x lies right of an edge when
// x * kFixOne >= the crossing (left edges included, right edges excluded): the
// top-left rule, so shapes sharing an edge never share a pixel.
#include <algorithm>

#include "platform/gdi/raster_internal.h"

namespace vx::plat::gdi::detail {
namespace {

struct ActiveEdge {
  std::int64_t xa, ya, dx, dy;  // top end point and extent (dy > 0)
  int dir;                      // +1 downwards, -1 upwards
  std::int64_t firstRow, lastRow;
  // Crossing column q = ceil(N / D) at the current row, with N = q * D - rem.
  std::int64_t q = 0, rem = 0, den = 0, stepQ = 0, stepR = 0;

  bool Vertical() const { return dx == 0; }

  void StartAt(std::int64_t y) {
    const Int128 n = Int128{xa} * dy + (Int128{y} * kFixOne - ya) * dx;
    const Int128 d = Int128{kFixOne} * dy;
    Int128 qq = n / d;
    if (n % d != 0 && n > 0) ++qq;
    q = static_cast<std::int64_t>(qq);
    rem = static_cast<std::int64_t>(qq * d - n);
    den = static_cast<std::int64_t>(d);
    const Int128 step = Int128{kFixOne} * dx;
    stepQ = FloorDiv(step, d);
    stepR = static_cast<std::int64_t>(step - Int128{stepQ} * d);
  }

  void NextRow() {
    q += stepQ;
    rem -= stepR;
    if (rem < 0) {
      rem += den;
      ++q;
    }
  }
};

struct Crossing {
  std::int64_t x;
  int dir;
};

// Walls of one row from its crossings (sorted by x), clipped to [xMin, xMax).
void RowWalls(const std::vector<Crossing>& xs, FillMode mode, std::int32_t xMin, std::int32_t xMax,
              std::vector<std::int32_t>& walls) {
  walls.clear();
  int winding = 0;
  bool inside = false;
  for (std::size_t i = 0; i < xs.size();) {
    const std::int64_t x = xs[i].x;
    for (; i < xs.size() && xs[i].x == x; ++i) winding += mode == FillMode::Winding ? xs[i].dir : 1;
    const bool now = mode == FillMode::Winding ? winding != 0 : (winding & 1) != 0;
    if (now != inside) {
      inside = now;
      walls.push_back(ClampTo32(std::clamp<std::int64_t>(x, xMin, xMax)));
    }
  }
  // Drop intervals the clip emptied.
  std::size_t w = 0;
  for (std::size_t i = 0; i + 1 < walls.size(); i += 2) {
    if (walls[i] < walls[i + 1]) {
      walls[w++] = walls[i];
      walls[w++] = walls[i + 1];
    }
  }
  walls.resize(w);
}

}  // namespace

void AppendPolygonEdges(const TPoint* pts, std::size_t n, std::vector<FixedEdge>& edges) {
  if (n < 2) return;
  // Platform points are pixel corners; the scanner samples at pixel centres,
  // so shift the polygon by half a pixel.
  auto fx = [](std::int32_t v) { return std::int64_t{v} * kFixOne - kFixOne / 2; };
  for (std::size_t i = 0; i < n; ++i) {
    const TPoint& a = pts[i];
    const TPoint& b = pts[(i + 1) % n];
    if (a.y != b.y) edges.push_back(FixedEdge{fx(a.x), fx(a.y), fx(b.x), fx(b.y)});
  }
}

void ScanEdges(const std::vector<FixedEdge>& edges, FillMode mode, std::int64_t rowBegin, std::int64_t rowEnd,
               std::int32_t xMin, std::int32_t xMax, std::int64_t maxRows, const BandSink& sink) {
  if (xMin >= xMax || rowBegin >= rowEnd) return;
  std::vector<ActiveEdge> pending;
  pending.reserve(edges.size());
  std::int64_t shapeTop = std::numeric_limits<std::int64_t>::max();
  std::int64_t shapeBottom = std::numeric_limits<std::int64_t>::min();
  for (const FixedEdge& e : edges) {
    if (e.y0 == e.y1) continue;
    ActiveEdge a{};
    const bool down = e.y1 > e.y0;
    a.xa = down ? e.x0 : e.x1;
    a.ya = down ? e.y0 : e.y1;
    a.dx = down ? e.x1 - e.x0 : e.x0 - e.x1;
    a.dy = down ? e.y1 - e.y0 : e.y0 - e.y1;
    a.dir = down ? 1 : -1;
    a.firstRow = std::max(CeilDiv(a.ya, kFixOne), rowBegin);
    a.lastRow = std::min(CeilDiv(a.ya + a.dy, kFixOne) - 1, rowEnd - 1);
    if (a.firstRow > a.lastRow) continue;
    shapeTop = std::min(shapeTop, a.firstRow);
    shapeBottom = std::max(shapeBottom, a.lastRow + 1);
    pending.push_back(a);
  }
  if (pending.empty()) return;
  std::sort(pending.begin(), pending.end(),
            [](const ActiveEdge& a, const ActiveEdge& b) { return a.firstRow < b.firstRow; });

  // Very tall slanted shapes (regions only) are sampled in bands of rows.
  const std::int64_t rows = shapeBottom - shapeTop;
  const std::int64_t sampleStep = rows > maxRows ? (rows + maxRows - 1) / maxRows : 1;

  std::vector<ActiveEdge> active;
  std::vector<Crossing> crossings;
  std::vector<std::int32_t> walls;
  std::size_t next = 0;
  bool jumped = false;
  std::int64_t y = shapeTop;
  while (y < shapeBottom) {
    std::size_t started = 0;
    for (; next < pending.size() && pending[next].firstRow <= y; ++next) {
      if (pending[next].lastRow < y) continue;
      active.push_back(pending[next]);
      active.back().StartAt(y);
      ++started;
    }
    if (active.empty()) {
      if (next >= pending.size()) break;
      y = pending[next].firstRow;
      continue;
    }
    // Keep the active edges in crossing order. From one row to the next the
    // order changes only where edges cross, so insertion sort costs little;
    // after a jump of several rows the order may be anything.
    const auto byCrossing = [](const ActiveEdge& a, const ActiveEdge& b) { return a.q < b.q; };
    if (jumped || started > 8) std::sort(active.begin(), active.end(), byCrossing);
    else {
      for (std::size_t i = 1; i < active.size(); ++i) {
        if (!byCrossing(active[i], active[i - 1])) continue;
        ActiveEdge moving = active[i];
        std::size_t j = i;
        for (; j > 0 && byCrossing(moving, active[j - 1]); --j) active[j] = active[j - 1];
        active[j] = moving;
      }
    }
    crossings.clear();
    bool allVertical = true;
    std::int64_t nextEvent = shapeBottom;
    if (next < pending.size()) nextEvent = std::min(nextEvent, pending[next].firstRow);
    for (const ActiveEdge& a : active) {
      crossings.push_back(Crossing{a.q, a.dir});
      allVertical = allVertical && a.Vertical();
      nextEvent = std::min(nextEvent, a.lastRow + 1);
    }
    RowWalls(crossings, mode, xMin, xMax, walls);
    const std::int64_t bandEnd = allVertical ? nextEvent : std::min(nextEvent, y + sampleStep);
    if (!walls.empty()) sink(y, bandEnd, walls);

    std::erase_if(active, [bandEnd](const ActiveEdge& a) { return a.lastRow < bandEnd; });
    jumped = bandEnd != y + 1;
    for (ActiveEdge& a : active) {
      if (jumped) a.StartAt(bandEnd);
      else a.NextRow();
    }
    y = bandEnd;
  }
}

}  // namespace vx::plat::gdi::detail
