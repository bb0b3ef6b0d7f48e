// Span generation speed of the rasteriser on a 1920x1080 surface: filled
// rectangles, ellipses and polygons, outlines and wide strokes, and region
// combination. Items processed are pixels covered, so the reported rate is
// the fill rate the spans describe (painting them is the device's share).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/gdi/raster_lines.h"
#include "platform/gdi/raster_outlines.h"
#include "platform/gdi/raster_shapes.h"
#include "platform/gdi/raster_spans.h"
#include "platform/gdi/raster_wide.h"
#include "platform/gdi/region.h"

namespace {

using namespace vx::plat;
using namespace vx::plat::gdi;

const TRect kScreen{0, 0, 1920, 1080};

// A wavy closed polygon of n points spread over most of the screen.
std::vector<TPoint> WavyPolygon(int n) {
  std::vector<TPoint> pts;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * i / n;
    const double r = 0.6 + 0.4 * std::sin(7 * t);
    pts.push_back(TPoint{static_cast<std::int32_t>(960 + 900 * r * std::cos(t)),
                         static_cast<std::int32_t>(540 + 520 * std::sin(t))});
  }
  return pts;
}

// A self-intersecting star of n points (alternate and winding differ).
std::vector<TPoint> Star(int n) {
  std::vector<TPoint> pts;
  const int step = n / 2 - 1;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * ((i * step) % n) / n;
    pts.push_back(TPoint{static_cast<std::int32_t>(960 + 530 * std::cos(t)),
                         static_cast<std::int32_t>(540 + 530 * std::sin(t))});
  }
  return pts;
}

template <typename Make>
void Run(benchmark::State& state, Make make) {
  std::int64_t pixels = 0;
  for (auto _ : state) {
    SpanList spans = make();
    pixels += SpanPixelCount(spans);
    benchmark::DoNotOptimize(spans.data());
  }
  state.SetItemsProcessed(pixels);
}

void BM_RectFullScreen(benchmark::State& state) {
  Run(state, [] { return RectSpans(TRect{-50, -50, 2000, 2000}, kScreen); });
}
BENCHMARK(BM_RectFullScreen);

void BM_EllipseFullScreen(benchmark::State& state) {
  Run(state, [] { return EllipseSpans(TRect{10, 10, 1910, 1070}, kScreen); });
}
BENCHMARK(BM_EllipseFullScreen);

void BM_EllipseHugeClipped(benchmark::State& state) {
  Run(state, [] { return EllipseSpans(TRect{-2000000000, -2000000000, 2000000000, 2000000000}, kScreen); });
}
BENCHMARK(BM_EllipseHugeClipped);

void BM_RoundRectFullScreen(benchmark::State& state) {
  Run(state, [] { return RoundRectSpans(TRect{10, 10, 1910, 1070}, 300, 200, kScreen); });
}
BENCHMARK(BM_RoundRectFullScreen);

void BM_PieFullScreen(benchmark::State& state) {
  Run(state, [] { return PieSpans(TRect{10, 10, 1910, 1070}, TPoint{1910, 300}, TPoint{0, 1070}, kScreen); });
}
BENCHMARK(BM_PieFullScreen);

void BM_PolygonWavy(benchmark::State& state) {
  const std::vector<TPoint> pts = WavyPolygon(static_cast<int>(state.range(0)));
  Run(state, [&] { return PolygonSpans(pts.data(), pts.size(), FillMode::Alternate, kScreen); });
}
BENCHMARK(BM_PolygonWavy)->Arg(8)->Arg(300)->Arg(3000);

void BM_PolygonStarWinding(benchmark::State& state) {
  const std::vector<TPoint> pts = Star(static_cast<int>(state.range(0)));
  Run(state, [&] { return PolygonSpans(pts.data(), pts.size(), FillMode::Winding, kScreen); });
}
BENCHMARK(BM_PolygonStarWinding)->Arg(5)->Arg(301);

void BM_ThinPolylineDashed(benchmark::State& state) {
  const std::vector<TPoint> pts = WavyPolygon(300);
  Run(state, [&] { return ThinPolylineSpans(pts.data(), pts.size(), PathClosure::Closed, PenPattern::Dash, kScreen); });
}
BENCHMARK(BM_ThinPolylineDashed);

void BM_EllipseOutline(benchmark::State& state) {
  Run(state, [] { return EllipseOutlineSpans(TRect{10, 10, 1910, 1070}, PenPattern::Solid, kScreen); });
}
BENCHMARK(BM_EllipseOutline);

void BM_WidePolyline(benchmark::State& state) {
  const std::vector<TPoint> pts = WavyPolygon(300);
  const int width = static_cast<int>(state.range(0));
  Run(state, [&] {
    return WidePolylineSpans(pts.data(), pts.size(), width, PathClosure::Closed, CapStyle::Round, JoinStyle::Round,
                             kScreen);
  });
}
BENCHMARK(BM_WidePolyline)->Arg(3)->Arg(20);

void BM_WideEllipse(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  Run(state, [&] { return WideEllipseOutlineSpans(TRect{10, 10, 1910, 1070}, width, kScreen); });
}
BENCHMARK(BM_WideEllipse)->Arg(3)->Arg(20);

void BM_RegionCombineEllipses(benchmark::State& state) {
  const Region a = Region::FromEllipse(TRect{0, 0, 1200, 1080});
  const Region b = Region::FromEllipse(TRect{700, 0, 1920, 1080});
  std::int64_t rects = 0;
  for (auto _ : state) {
    const Region r = Region::Combine(a, b, RegionOp::Xor);
    rects += static_cast<std::int64_t>(r.RectCount());
    benchmark::DoNotOptimize(&r);
  }
  state.SetItemsProcessed(rects);
}
BENCHMARK(BM_RegionCombineEllipses);

void BM_RegionFromPolygon(benchmark::State& state) {
  const std::vector<TPoint> pts = WavyPolygon(300);
  std::int64_t rects = 0;
  for (auto _ : state) {
    const Region r = Region::FromPolygon(pts.data(), pts.size(), FillMode::Winding);
    rects += static_cast<std::int64_t>(r.RectCount());
    benchmark::DoNotOptimize(&r);
  }
  state.SetItemsProcessed(rects);
}
BENCHMARK(BM_RegionFromPolygon);

}  // namespace
