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
// command table, passing its own scene; without one, a scene of the same
// kind drawn here is printed.
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

// --- the scene drawn here when the caller brings none ------------------------

constexpr int kCell = 300;
constexpr int kColumns = 4;
constexpr int kRows = 3;

inline void Panel(HDC dc, int index, std::u16string_view caption) {
  const int left = (index % kColumns) * kCell, top = (index / kColumns) * kCell;
  RECT frame{left + 4, top + 4, left + kCell - 4, top + kCell - 4};
  {
    Selected grey(dc, CreateSolidBrush(RGB(160, 160, 160)));
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  }
  Selected font(dc, Font(-14, u"Arial", 0, FW_BOLD));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(20, 20, 90));
  Write(dc, left + 12, top + 8, caption);
  SetTextColor(dc, RGB(0, 0, 0));
  SetViewportOrgEx(dc, left + 10, top + 34, nullptr);
}

inline void Caption(HDC dc, int x, int y, std::u16string_view s) {
  Selected font(dc, Font(-11, u"Tahoma"));
  SetBkMode(dc, TRANSPARENT);
  Write(dc, x, y, s);
}

inline void FiguresPanel(HDC dc, int index, bool filled) {
  SavedState saved(dc);
  Panel(dc, index, filled ? u"Filled figures" : u"Outlined figures");
  Selected pen(dc, CreatePen(PS_SOLID, filled ? 2 : 1, RGB(0, 0, 128)));
  Selected brush(dc, filled ? static_cast<HGDIOBJ>(CreateSolidBrush(RGB(255, 200, 80)))
                            : static_cast<HGDIOBJ>(CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 0))));
  Rectangle(dc, 10, 10, 80, 60);
  Caption(dc, 10, 64, u"Rectangle");
  Ellipse(dc, 100, 10, 180, 60);
  Caption(dc, 100, 64, u"Ellipse");
  RoundRect(dc, 195, 10, 275, 60, 24, 18);
  Caption(dc, 195, 64, u"RoundRect");
  Chord(dc, 10, 90, 80, 150, 80, 100, 10, 140);
  Caption(dc, 10, 154, u"Chord");
  Pie(dc, 100, 90, 180, 150, 180, 120, 140, 90);
  Caption(dc, 100, 154, u"Pie");
  const POINT poly[] = {{195, 150}, {235, 90}, {275, 150}, {235, 130}};
  Polygon(dc, poly, 4);
  Caption(dc, 195, 154, u"Polygon");
  Arc(dc, 10, 180, 80, 240, 80, 210, 45, 180);
  Caption(dc, 10, 244, u"Arc");
  const POINT bez[] = {{100, 240}, {110, 160}, {170, 260}, {180, 180}};
  PolyBezier(dc, bez, 4);
  Caption(dc, 100, 244, u"PolyBezier");
}

inline void PenStylesPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Pen styles and widths");
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  const char16_t* names[] = {u"solid", u"dash", u"dot", u"dash-dot", u"dash-dot-dot"};
  int y = 8;
  for (int i = 0; i < 5; ++i, y += 20) {
    Selected pen(dc, CreatePen(styles[i], 1, RGB(0, 0, 0)));
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, 170, y);
    Caption(dc, 180, y - 7, names[i]);
  }
  for (int width : {2, 5, 10}) {
    Selected pen(dc, CreatePen(PS_SOLID, width, RGB(180, 0, 0)));
    MoveToEx(dc, 8, y + 4, nullptr);
    LineTo(dc, 162, y + 4);
    Caption(dc, 180, y - 3, u"width " + IntToStr(width));
    y += 24;
  }
}

inline void HatchPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Hatch brushes");
  for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
    const int x = (h % 3) * 92, y = (h / 3) * 90;
    Selected brush(dc, CreateHatchBrush(h, RGB(0, 0, 160)));
    Rectangle(dc, x, y, x + 80, y + 64);
  }
  SetBkColor(dc, RGB(255, 255, 150));
  SetBkMode(dc, OPAQUE);
  Selected brush(dc, CreateHatchBrush(HS_CROSS, RGB(200, 0, 0)));
  Rectangle(dc, 0, 185, 260, 240);
}

inline void FillModePanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Alternate vs winding");
  const POINT star[] = {{60, 10}, {100, 130}, {5, 55}, {115, 55}, {20, 130}};
  Selected brush(dc, CreateSolidBrush(RGB(120, 160, 255)));
  SetPolyFillMode(dc, ALTERNATE);
  Polygon(dc, star, 5);
  Caption(dc, 20, 140, u"ALTERNATE");
  POINT moved[5];
  for (int i = 0; i < 5; ++i) moved[i] = POINT{star[i].x + 140, star[i].y};
  SetPolyFillMode(dc, WINDING);
  Polygon(dc, moved, 5);
  Caption(dc, 165, 140, u"WINDING");
}

inline void RegionPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Regions");
  // Filling and framing take logical coordinates; only a clip region is in device units.
  HRGN ellipse = CreateEllipticRgn(20, 10, 250, 200);
  HRGN hole = CreateRectRgn(100, 60, 170, 150);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(region, ellipse, hole, RGN_DIFF);
  HBRUSH fill = CreateSolidBrush(RGB(120, 200, 240));
  HBRUSH frame = CreateSolidBrush(RGB(200, 0, 0));
  FillRgn(dc, region, fill);
  FrameRgn(dc, region, frame, 3, 3);
  Caption(dc, 10, 212, u"ellipse minus rectangle, framed 3x3");
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(ellipse), static_cast<HGDIOBJ>(hole), static_cast<HGDIOBJ>(region),
                    static_cast<HGDIOBJ>(fill), static_cast<HGDIOBJ>(frame)})
    DeleteObject(h);
}

inline void MappingPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Anisotropic, y axis up");
  POINT org{};
  GetViewportOrgEx(dc, &org);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 250, -200, nullptr);
  SetViewportOrgEx(dc, org.x + 20, org.y + 230, nullptr);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 1000, 0);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 0, 1000);
  Selected pen(dc, CreatePen(PS_SOLID, 12, RGB(0, 140, 0)));
  Selected brush(dc, CreateSolidBrush(RGB(200, 255, 200)));
  const POINT arrow[] = {{100, 100}, {500, 100}, {500, 600}, {650, 600}, {300, 950}, {-50, 600}, {100, 600}};
  Polygon(dc, arrow, 7);
  Ellipse(dc, 700, 100, 950, 350);
}

inline void TextPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Text at 0, 30 and 90 degrees");
  SetBkMode(dc, TRANSPARENT);
  const char16_t* faces[] = {u"Arial", u"Times New Roman"};
  for (int f = 0; f < 2; ++f) {
    const int x = f * 130;
    SetTextColor(dc, f == 0 ? RGB(0, 0, 150) : RGB(150, 0, 0));
    for (int angle : {0, 300, 900}) {
      Selected font(dc, Font(-16, faces[f], angle));
      const int y = angle == 0 ? 0 : angle == 300 ? 110 : 240;
      Write(dc, angle == 900 ? x + 100 : x, y, std::u16string(faces[f]).substr(0, 5) + u" " + IntToStr(angle / 10));
    }
  }
}

inline void RopPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Pen modes");
  for (int i = 0; i < 4; ++i) {
    Selected band(dc, CreateSolidBrush(RGB(i * 80, 255 - i * 60, 128)));
    RECT r{0, i * 60, 280, i * 60 + 60};
    FillRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  }
  Selected pen(dc, CreatePen(PS_SOLID, 10, RGB(200, 40, 160)));
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    SetROP2(dc, rop);
    const int x = 10 + (rop - 1) * 17;
    MoveToEx(dc, x, 8, nullptr);
    LineTo(dc, x, 232);
  }
}

inline void ArcsPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Arcs and pies");
  Selected pen(dc, CreatePen(PS_SOLID, 3, RGB(0, 90, 0)));
  for (int i = 0; i < 4; ++i) {
    const int r = 30 + i * 25;
    Arc(dc, 130 - r, 120 - r, 130 + r, 120 + r, 130 + r, 120, 130, 120 - r);
  }
  Selected brush(dc, CreateSolidBrush(RGB(255, 160, 160)));
  Pie(dc, 20, 150, 120, 250, 120, 200, 70, 150);
  Chord(dc, 150, 150, 250, 250, 250, 200, 150, 200);
}

inline void AlignPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Text alignment");
  Selected font(dc, Font(-15, u"Arial"));
  SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, 140, 0, nullptr);
  LineTo(dc, 140, 240);
  const UINT aligns[] = {TA_LEFT, TA_CENTER, TA_RIGHT, TA_LEFT | TA_BASELINE, TA_LEFT | TA_BOTTOM};
  const char16_t* names[] = {u"left", u"center", u"right", u"baseline", u"bottom"};
  for (int i = 0; i < 5; ++i) {
    SetTextAlign(dc, aligns[i]);
    Write(dc, 140, 20 + i * 45, names[i]);
  }
}

inline void WordBreakPanel(HDC dc, int index) {
  SavedState saved(dc);
  Panel(dc, index, u"Word-break text");
  Selected font(dc, Font(-13, u"Times New Roman"));
  RECT box{0, 0, 270, 240};
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  const std::u16string text =
      u"This paragraph is broken into the rectangle at word boundaries and centred, as the "
      u"drawing library lays out word-break text objects and legacy labels.";
  DrawTextW(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
}

inline void DrawOwnScene(HDC dc) {
  FiguresPanel(dc, 0, true);
  FiguresPanel(dc, 1, false);
  PenStylesPanel(dc, 2);
  HatchPanel(dc, 3);
  FillModePanel(dc, 4);
  RegionPanel(dc, 5);
  MappingPanel(dc, 6);
  TextPanel(dc, 7);
  RopPanel(dc, 8);
  ArcsPanel(dc, 9);
  AlignPanel(dc, 10);
  WordBreakPanel(dc, 11);
}

// --- printing --------------------------------------------------------------

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

// Prints `scene` (nullptr: the scene drawn here) into args[0] as a two-page
// A4 PDF at 300 dpi. Returns the process exit code.
inline int RunPrint(const std::vector<std::string>& args, const PrintScene* scene = nullptr) {
  using namespace vx::plat;
  using namespace print_detail;
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: vxgallery print OUT.pdf\n");
    return 2;
  }
  const PrintScene own{kCell * kColumns, kCell * kRows, DrawOwnScene};
  const PrintScene& s = scene ? *scene : own;

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
