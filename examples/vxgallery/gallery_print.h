// vxgallery print OUT.pdf: the gallery scene printed through the platform
// printer on two A4 pages at true size.
//
// The scene is drawn as it would be on a 96-pixels-per-inch screen; it is
// recorded into an enhanced metafile and played onto the printer's pages at
// the printer's resolution, so one screen pixel measures 1/96 inch on paper.
// The left half of the scene goes on page 1, the right half on page 2. Below
// it each page carries a ruler bar exactly 100 mm long (drawn in 0.1 mm
// logical units), against which the print can be measured.
//
// Header-only: the gallery program includes it and calls RunPrint from its
// command table, passing its own scene.
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"
#include "platform/printers/printers.h"

namespace vx::gallery {

// A scene in pixels of a 96-dpi screen.
struct PrintScene {
  int Width = 0;
  int Height = 0;
  std::function<void(vx::plat::HDC)> Draw;
};

// Page layout, in millimetres from the sheet's top-left corner.
inline constexpr double kPrintMarginMM = 15;    // left edge of the scene and the ruler
inline constexpr double kPrintSceneTopMM = 22;  // top edge of the scene
inline constexpr double kRulerTopMM = 268;      // top edge of the ruler bar
inline constexpr double kRulerBarMM = 0.6;      // height of the ruler bar
inline constexpr double kRulerLengthMM = 100;   // length of the ruler bar

namespace print_detail {

using namespace vx::plat;

// An object selected for a scope, then deselected and freed.
class Selected {
public:
  Selected(HDC dc, HGDIOBJ object) : FDC(dc), FObject(object), FOld(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(FDC, FOld);
    DeleteObject(FObject);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

private:
  HDC FDC;
  HGDIOBJ FObject;
  HGDIOBJ FOld;
};

// The DC state for a scope.
class SavedState {
public:
  explicit SavedState(HDC dc) : FDC(dc), FLevel(SaveDC(dc)) {}
  ~SavedState() { RestoreDC(FDC, FLevel); }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

private:
  HDC FDC;
  int FLevel;
};

inline HFONT Font(int height, const char16_t* face, int escapement = 0, int weight = FW_NORMAL) {
  return CreateFontW(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

inline void Write(HDC dc, int x, int y, std::u16string_view s) {
  TextOutW(dc, x, y, s.data(), static_cast<int>(s.size()));
}

inline int MMToPixels(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

// The scene as a metafile recorded on a 96-dpi reference; nullptr when recording failed.
inline HENHMETAFILE RecordScene(const PrintScene& scene) {
  const RECT frame{0, 0, static_cast<int>(std::lround(scene.Width * 2540.0 / 96)),
                   static_cast<int>(std::lround(scene.Height * 2540.0 / 96))};
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, u"Vexalith\0gallery\0\0");
  if (!recorder) return nullptr;
  scene.Draw(recorder);
  return CloseEnhMetaFile(recorder);
}

// Plays (or, without a metafile, stretches a 96-dpi raster of) the scene so
// that its column `firstColumn` lands at `area`'s left edge, clipped to `area`.
inline void PlaceScene(HDC page, const PrintScene& scene, HENHMETAFILE picture, const RECT& area, int firstColumn,
                       int dpi) {
  SavedState saved(page);
  IntersectClipRect(page, area.Left, area.Top, area.Right, area.Bottom);
  const int shift = static_cast<int>(std::lround(firstColumn * dpi / 96.0));
  const RECT dest{area.Left - shift, area.Top, area.Left - shift + static_cast<int>(std::lround(scene.Width * dpi / 96.0)),
                  area.Top + static_cast<int>(std::lround(scene.Height * dpi / 96.0))};
  if (picture && PlayEnhMetaFile(page, picture, &dest)) return;
  HDC raster = CreateRasterDC(scene.Width, scene.Height);
  if (!raster) throw Exception("cannot create a drawing surface for the scene");
  scene.Draw(raster);
  StretchBlt(page, dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top, raster, 0, 0, scene.Width,
             scene.Height, SRCCOPY);
  DeleteDC(raster);
}

inline void PageTitle(HDC page, int dpi, int number, int count) {
  SavedState saved(page);
  Selected font(page, Font(-MMToPixels(4, dpi), u"Arial", 0, FW_BOLD));
  SetBkMode(page, TRANSPARENT);
  Write(page, MMToPixels(kPrintMarginMM, dpi), MMToPixels(10, dpi),
        u"Vexalith gallery, page " + IntToStr(number) + u" of " + IntToStr(count) +
            u": the scene at 96 pixels per inch, true size");
}

// A bar of exactly kRulerLengthMM with a tick every 10 mm, in 0.1 mm units.
inline void Ruler(HDC page) {
  SavedState saved(page);
  SetMapMode(page, MM_LOMETRIC);  // y grows upwards: rows below the top are negative
  const int left = static_cast<int>(std::lround(kPrintMarginMM * 10));
  const int top = -static_cast<int>(std::lround(kRulerTopMM * 10));
  const int length = static_cast<int>(std::lround(kRulerLengthMM * 10));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT bar{left, top, left + length, top - static_cast<int>(std::lround(kRulerBarMM * 10))};
  FillRect(page, &bar, black);
  for (int mm = 0; mm <= kRulerLengthMM; mm += 10) {
    const int tall = mm % 50 == 0 ? 40 : 25;
    const RECT tick{left + mm * 10, top + tall, left + mm * 10 + 3, top};
    FillRect(page, &tick, black);
  }
  Selected font(page, Font(35, u"Arial"));
  SetBkMode(page, TRANSPARENT);
  SetTextAlign(page, TA_LEFT | TA_BOTTOM);
  Write(page, left + length + 30, top - 5, u"100 mm: measure this bar to check the scale");
}

}  // namespace print_detail

// Prints `scene` into args[0] as a two-page A4 PDF at 300 dpi. Returns the
// process exit code.
inline int RunPrint(const std::vector<std::string>& args, const PrintScene& s) {
  using namespace vx::plat;
  using namespace print_detail;
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: vxgallery print OUT.pdf\n");
    return 2;
  }

  TPrinter& printer = *Printer();
  printer.SetPrinterIndex(static_cast<int>(TPrinterOutput::PDF));
  printer.SetOrientation(poPortrait);
  printer.SetPaperSizeMM(210, 297);
  printer.SetResolution(300);
  printer.SetTitle(u"Vexalith gallery");
  printer.SetFileName(args[0]);
  const int dpi = printer.GetResolution();

  HENHMETAFILE picture = RecordScene(s);
  const int half = (s.Width + 1) / 2;
  const int left = MMToPixels(kPrintMarginMM, dpi), top = MMToPixels(kPrintSceneTopMM, dpi);
  const RECT area{left, top, left + static_cast<int>(std::lround(half * dpi / 96.0)),
                  top + static_cast<int>(std::lround(s.Height * dpi / 96.0))};
  printer.BeginDoc();
  try {
    for (int page = 1; page <= 2; ++page) {
      if (page > 1) printer.NewPage();
      HDC dc = printer.GetHandle();
      PageTitle(dc, dpi, page, 2);
      PlaceScene(dc, s, picture, area, page == 1 ? 0 : half, dpi);
      Ruler(dc);
    }
    printer.EndDoc();
  } catch (...) {
    if (printer.GetPrinting()) printer.Abort();
    if (picture) DeleteEnhMetaFile(picture);
    throw;
  }
  if (picture) DeleteEnhMetaFile(picture);
  std::printf("wrote %s (2 pages, A4, %d dpi)\n", args[0].c_str(), dpi);
  return 0;
}

}  // namespace vx::gallery
