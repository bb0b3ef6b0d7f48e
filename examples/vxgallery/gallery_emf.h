// vxgallery emf OUT.emf and vxgallery play IN.emf OUT.png: metafiles at work.
//
//   emf OUT.emf        records the gallery scene through a recording device
//                      context into an enhanced metafile (open it in any
//                      program that reads EMF: it shows the gdi gallery)
//   play IN OUT.png    plays any enhanced (or old-style .wmf) metafile at its
//                      own size onto a white raster surface and saves a PNG
//
// Header-only: the gallery program includes it and calls RunEmf (passing
// its own scene; without one, a small scene drawn here is recorded) and
// RunPlay from its command table.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/metafile.h"
#include "platform/imaging/image.h"
#include "platform/imaging/png.h"

namespace vx::gallery {

// A scene in pixels of a 96-dpi screen, drawn on any DC.
struct EmfScene {
  int Width = 0;
  int Height = 0;
  std::function<void(vx::plat::HDC)> Draw;
};

// The largest side a played picture gets (bigger pictures are scaled down).
inline constexpr int kMaxPlaySide = 8192;

namespace emf_detail {

using namespace vx::plat;

// A few figures, turned text and a hatch: the scene recorded when the
// gallery passes none.
inline void FallbackScene(HDC dc) {
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, 0x008000);
  HPEN pen = CreatePen(PS_SOLID, 3, 0x800000);
  HFONT font = CreateFontW(-18, 0, 300, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  HGDIOBJ oldBrush = SelectObject(dc, hatch);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldFont = SelectObject(dc, font);
  Rectangle(dc, 10, 10, 150, 90);
  Ellipse(dc, 170, 10, 310, 90);
  const POINT star[] = {{60, 110}, {80, 190}, {20, 140}, {100, 140}, {40, 190}};
  SetPolyFillMode(dc, WINDING);
  Polygon(dc, star, 5);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 150, 180, u"Enhanced metafile", 17);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
  DeleteObject(hatch);
  DeleteObject(pen);
  DeleteObject(font);
}

// Frees a DC at the end of a scope.
struct DcGuard {
  HDC DC;
  ~DcGuard() {
    if (DC) DeleteDC(DC);
  }
};

}  // namespace emf_detail

// vxgallery emf OUT.emf: the scene recorded with its frame at the scene's size.
inline int RunEmf(const std::vector<std::string>& args, const EmfScene* scene = nullptr) {
  using namespace vx::plat;
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: vxgallery emf OUT.emf\n");
    return 2;
  }
  const EmfScene fallback{320, 200, emf_detail::FallbackScene};
  const EmfScene& s = scene ? *scene : fallback;
  // The frame in 0.01 mm of the scene's pixels at 96 per inch.
  const RECT frame{0, 0, (s.Width * 2540 + 48) / 96, (s.Height * 2540 + 48) / 96};
  const std::u16string fileName = Utf8ToString(args[0]);
  HDC dc = CreateEnhMetaFileW(nullptr, fileName.c_str(), &frame, u"Vexalith vxgallery\0gdi scene\0");
  if (!dc) throw Exception("cannot start recording a metafile");
  s.Draw(dc);
  HENHMETAFILE picture = CloseEnhMetaFile(dc);
  if (!picture) throw Exception("cannot write " + args[0]);
  const UINT bytes = GetEnhMetaFileBits(picture, 0, nullptr);
  DeleteEnhMetaFile(picture);
  std::printf("wrote %s (%u bytes, %d x %d)\n", args[0].c_str(), bytes, s.Width, s.Height);
  return 0;
}

// vxgallery play IN OUT.png: any metafile played at its own size (96 pixels
// per inch), scaled down when a side would exceed kMaxPlaySide.
inline int RunPlay(const std::vector<std::string>& args) {
  using namespace vx::plat;
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: vxgallery play IN.emf OUT.png\n");
    return 2;
  }
  TMetafile picture;
  picture.LoadFromFile(args[0]);
  int width = picture.GetWidth(), height = picture.GetHeight();
  if (width <= 0 || height <= 0) throw Exception(args[0] + " holds an empty picture");
  const double shrink = std::max({1.0, static_cast<double>(width) / kMaxPlaySide, static_cast<double>(height) / kMaxPlaySide});
  width = std::max(1, static_cast<int>(width / shrink));
  height = std::max(1, static_cast<int>(height / shrink));
  HDC dc = CreateRasterDC(width, height);
  if (!dc) throw Exception("cannot create a drawing surface");
  emf_detail::DcGuard guard{dc};
  const RECT dest{0, 0, width, height};
  if (!PlayEnhMetaFile(dc, picture.GetHandle(), &dest)) throw Exception("cannot play " + args[0]);
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* pixels = RasterPixels(dc, &w, &h, &stride);
  if (!pixels) throw Exception("the drawing surface has no pixels");
  imaging::Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, 0xFF000000u | pixels[static_cast<std::ptrdiff_t>(y) * stride + x]);
  imaging::WritePngFile(args[1], image, imaging::TPngChannels::pcRgb);
  std::printf("wrote %s (%d x %d)\n", args[1].c_str(), w, h);
  return 0;
}

}  // namespace vx::gallery
