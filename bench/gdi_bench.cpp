// Fill rate of a raster device context on a 1920 x 1080 surface: rectangles,
// ellipses, polygons (both fill modes), a whole-screen fill, inverting rubber
// bands, bitmap transfers and text. The "pixels" counter is the area covered
// per second (nominal area of the figures), "chars" the characters drawn.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

using namespace vx::plat;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A screen-sized raster DC with a solid brush and a one-pixel pen.
class Screen {
public:
  Screen() : FDC(CreateRasterDC(kWidth, kHeight)), FBrush(CreateSolidBrush(RGB(40, 120, 200))) {
    FOldBrush = SelectObject(FDC, FBrush);
  }
  ~Screen() {
    SelectObject(FDC, FOldBrush);
    DeleteObject(FBrush);
    DeleteDC(FDC);
  }
  operator HDC() const { return FDC; }

private:
  HDC FDC;
  HBRUSH FBrush;
  HGDIOBJ FOldBrush;
};

// Random boxes of side `size` inside the screen (same sequence every run).
std::vector<RECT> Boxes(int size, int count) {
  std::mt19937 random(1);
  std::uniform_int_distribution<int> x(0, kWidth - size), y(0, kHeight - size);
  std::vector<RECT> boxes;
  for (int i = 0; i < count; ++i) {
    const int l = x(random), t = y(random);
    boxes.push_back(RECT{l, t, l + size, t + size});
  }
  return boxes;
}

void SetPixelRate(benchmark::State& state, double pixelsPerIteration) {
  state.counters["pixels"] = benchmark::Counter(pixelsPerIteration * static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void BM_Rectangles(benchmark::State& state) {
  Screen dc;
  const int size = static_cast<int>(state.range(0));
  const auto boxes = Boxes(size, 256);
  std::size_t i = 0;
  for (auto _ : state) {
    const RECT& b = boxes[i++ % boxes.size()];
    Rectangle(dc, b.Left, b.Top, b.Right, b.Bottom);
  }
  SetPixelRate(state, double(size) * size);
}
BENCHMARK(BM_Rectangles)->Arg(16)->Arg(100)->Arg(500);

void BM_Ellipses(benchmark::State& state) {
  Screen dc;
  const int size = static_cast<int>(state.range(0));
  const auto boxes = Boxes(size, 256);
  std::size_t i = 0;
  for (auto _ : state) {
    const RECT& b = boxes[i++ % boxes.size()];
    Ellipse(dc, b.Left, b.Top, b.Right, b.Bottom);
  }
  SetPixelRate(state, 0.785398 * size * size);
}
BENCHMARK(BM_Ellipses)->Arg(16)->Arg(100)->Arg(500);

// A 5-pointed star of 200 pixels across; the winding fill covers its centre too.
void BM_Polygons(benchmark::State& state) {
  Screen dc;
  SetPolyFillMode(dc, static_cast<int>(state.range(0)));
  const auto boxes = Boxes(200, 256);
  std::size_t i = 0;
  for (auto _ : state) {
    const RECT& b = boxes[i++ % boxes.size()];
    POINT star[5];
    for (int k = 0; k < 5; ++k) {
      const double a = -1.5708 + k * 4 * 3.14159265 / 5;
      star[k] = POINT{b.Left + 100 + static_cast<int>(100 * std::cos(a)), b.Top + 100 + static_cast<int>(100 * std::sin(a))};
    }
    Polygon(dc, star, 5);
  }
  SetPixelRate(state, 0.35 * 200 * 200);
}
BENCHMARK(BM_Polygons)->Arg(ALTERNATE)->Arg(WINDING);

// A polygon of many vertices (a 400-point circle of radius 400).
void BM_ManyVertexPolygon(benchmark::State& state) {
  Screen dc;
  std::vector<POINT> circle;
  for (int k = 0; k < 400; ++k) {
    const double a = k * 2 * 3.14159265 / 400;
    circle.push_back(POINT{960 + static_cast<int>(400 * std::cos(a)), 540 + static_cast<int>(400 * std::sin(a))});
  }
  for (auto _ : state) Polygon(dc, circle.data(), static_cast<int>(circle.size()));
  SetPixelRate(state, 3.14159265 * 400 * 400);
}
BENCHMARK(BM_ManyVertexPolygon);

void BM_FullScreenFill(benchmark::State& state) {
  Screen dc;
  RECT all{0, 0, kWidth, kHeight};
  HBRUSH brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
  for (auto _ : state) FillRect(dc, &all, brush);
  SetPixelRate(state, double(kWidth) * kHeight);
}
BENCHMARK(BM_FullScreenFill);

// A not-xor rubber band rectangle of 800 x 600, outline only.
void BM_RubberBand(benchmark::State& state) {
  Screen dc;
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetROP2(dc, R2_NOTXORPEN);
  for (auto _ : state) Rectangle(dc, 100, 100, 900, 700);
  SetPixelRate(state, 2.0 * (800 + 600));
}
BENCHMARK(BM_RubberBand);

void BM_BitBlt(benchmark::State& state) {
  Screen dc;
  HDC source = CreateRasterDC(512, 512);
  const DWORD rop = static_cast<DWORD>(state.range(0));
  for (auto _ : state) BitBlt(dc, 300, 200, 512, 512, source, 0, 0, rop);
  SetPixelRate(state, 512.0 * 512);
  DeleteDC(source);
}
BENCHMARK(BM_BitBlt)->Arg(SRCCOPY)->Arg(SRCAND)->Arg(0x00220326);

void BM_Text(benchmark::State& state) {
  Screen dc;
  HFONT font = CreateFontW(-static_cast<int>(state.range(0)), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           u"Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const std::u16string text = u"The quick brown fox jumps over the lazy dog";
  std::size_t i = 0;
  for (auto _ : state) {
    const int y = static_cast<int>((i++ * 37) % (kHeight - 100));
    TextOutW(dc, 20, y, text.data(), static_cast<int>(text.size()));
  }
  state.counters["chars"] = benchmark::Counter(double(text.size()) * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
  SelectObject(dc, old);
  DeleteObject(font);
}
BENCHMARK(BM_Text)->Arg(11)->Arg(32);

}  // namespace
