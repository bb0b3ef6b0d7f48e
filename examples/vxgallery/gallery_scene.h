// The gdi gallery scene: twelve labelled panels that show every drawing
// primitive of the device layer. DrawGdiScene draws it on any DC of
// kSceneWidth x kSceneHeight pixels (a raster DC, a recording DC, a printer
// page), so the gallery, the metafile gallery and the tests share one scene.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/gdi/gdi.h"

namespace vx::gallery {
namespace {

using namespace vx::plat;

// --- small RAII helpers -----------------------------------------------------

// An object selected into a DC for a scope, then deselected and freed.
class Use {
public:
  Use(HDC dc, HGDIOBJ object) : FDC(dc), FObject(object), FOld(SelectObject(dc, object)) {}
  ~Use() {
    SelectObject(FDC, FOld);
    DeleteObject(FObject);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

private:
  HDC FDC;
  HGDIOBJ FObject;
  HGDIOBJ FOld;
};

// The DC state saved for a scope.
class Saved {
public:
  explicit Saved(HDC dc) : FDC(dc), FLevel(SaveDC(dc)) {}
  ~Saved() { RestoreDC(FDC, FLevel); }
  Saved(const Saved&) = delete;
  Saved& operator=(const Saved&) = delete;

private:
  HDC FDC;
  int FLevel;
};

HFONT MakeFont(int height, const char16_t* face, int escapement = 0, int weight = FW_NORMAL) {
  return CreateFontW(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

void Text(HDC dc, int x, int y, std::u16string_view s) { TextOutW(dc, x, y, s.data(), static_cast<int>(s.size())); }

// --- the gdi gallery ----------------------------------------------------------

constexpr int kCell = 300;     // panel size
constexpr int kColumns = 4;
constexpr int kRows = 3;
constexpr int kCaption = 24;   // caption band at the top of each panel

// Draws a panel's caption and frame, and moves the viewport origin to its drawing area.
void BeginPanel(HDC dc, int index, std::u16string_view caption) {
  const int left = (index % kColumns) * kCell, top = (index / kColumns) * kCell;
  RECT frame{left + 4, top + 4, left + kCell - 4, top + kCell - 4};
  Use frameBrush(dc, CreateSolidBrush(RGB(160, 160, 160)));
  FrameRect(dc, &frame, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  {
    Use font(dc, MakeFont(-14, u"Arial", 0, FW_BOLD));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(20, 20, 90));
    Text(dc, left + 12, top + 8, caption);
  }
  SetViewportOrgEx(dc, left + 10, top + 10 + kCaption, nullptr);
}

void Label(HDC dc, int x, int y, std::u16string_view s) {
  Use font(dc, MakeFont(-11, u"Tahoma"));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  Text(dc, x, y, s);
}

void FiguresPanel(HDC dc, bool filled) {
  Saved saved(dc);
  BeginPanel(dc, filled ? 0 : 1, filled ? u"Filled figures" : u"Outlined figures");
  Use pen(dc, CreatePen(PS_SOLID, filled ? 2 : 1, RGB(0, 0, 128)));
  Use brush(dc, filled ? CreateSolidBrush(RGB(255, 200, 80)) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  Rectangle(dc, 10, 10, 80, 60);
  Label(dc, 10, 64, u"Rectangle");
  Ellipse(dc, 100, 10, 180, 60);
  Label(dc, 100, 64, u"Ellipse");
  RoundRect(dc, 195, 10, 275, 60, 24, 18);
  Label(dc, 195, 64, u"RoundRect");
  Chord(dc, 10, 90, 80, 150, 80, 100, 10, 140);
  Label(dc, 10, 154, u"Chord");
  Pie(dc, 100, 90, 180, 150, 180, 120, 140, 90);
  Label(dc, 100, 154, u"Pie");
  const POINT poly[] = {{195, 150}, {235, 90}, {275, 150}, {235, 130}};
  Polygon(dc, poly, 4);
  Label(dc, 195, 154, u"Polygon");
  if (filled) {
    const POINT a[] = {{10, 180}, {80, 180}, {80, 240}, {10, 240}, {30, 195}, {60, 195}, {60, 225}, {30, 225}};
    const int counts[] = {4, 4};
    PolyPolygon(dc, a, counts, 2);
    Label(dc, 10, 244, u"PolyPolygon");
    HRGN rgn = CreateRoundRectRgn(110, 180, 180, 240, 30, 30);
    HBRUSH b = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 0));
    PaintRgn(dc, rgn);
    FillRgn(dc, rgn, b);
    DeleteObject(b);
    DeleteObject(rgn);
    Label(dc, 100, 244, u"FillRgn");
    RECT r{195, 180, 275, 240};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    Label(dc, 195, 244, u"FillRect");
  } else {
    Arc(dc, 10, 180, 80, 240, 80, 210, 45, 180);
    Label(dc, 10, 244, u"Arc");
    const POINT line[] = {{100, 240}, {120, 180}, {140, 230}, {160, 185}, {180, 240}};
    Polyline(dc, line, 5);
    Label(dc, 100, 244, u"Polyline");
    const POINT bez[] = {{195, 240}, {205, 160}, {265, 260}, {275, 180}};
    PolyBezier(dc, bez, 4);
    Label(dc, 195, 244, u"PolyBezier");
  }
}

void PenStylesPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 2, u"Pen styles and widths");
  struct Style {
    int style;
    const char16_t* name;
  };
  const Style styles[] = {{PS_SOLID, u"solid"},   {PS_DASH, u"dash"},           {PS_DOT, u"dot"},
                          {PS_DASHDOT, u"dash-dot"}, {PS_DASHDOTDOT, u"dash-dot-dot"}, {PS_ALTERNATE, u"alternate"}};
  int y = 8;
  for (const Style& s : styles) {
    Use pen(dc, CreatePen(s.style, 1, RGB(0, 0, 0)));
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, 170, y);
    Label(dc, 180, y - 7, s.name);
    y += 18;
  }
  for (int width : {2, 4, 8, 14}) {
    Use pen(dc, CreatePen(PS_SOLID, width, RGB(180, 0, 0)));
    MoveToEx(dc, 8, y + 4, nullptr);
    LineTo(dc, 162, y + 4);
    Label(dc, 180, y - 3, u"width " + IntToStr(width));
    y += 20;
  }
  LOGBRUSH lb{BS_SOLID, RGB(0, 110, 0), 0};
  {
    Use pen(dc, ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, 10, &lb, 0, nullptr));
    const POINT zig[] = {{10, y + 30}, {50, y}, {90, y + 30}, {130, y}};
    Polyline(dc, zig, 4);
  }
  Label(dc, 150, y + 8, u"flat caps, miter joins");
  {
    Use pen(dc, CreatePen(PS_INSIDEFRAME, 9, RGB(0, 0, 160)));
    Use brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 10, y + 40, 130, y + 60);
  }
  Label(dc, 150, y + 44, u"inside frame");
}

void HatchPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 3, u"Hatch brushes");
  const char16_t* names[] = {u"horizontal", u"vertical", u"fdiagonal", u"bdiagonal", u"cross", u"diagcross"};
  for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
    const int x = (h % 3) * 92, y = (h / 3) * 80;
    Use brush(dc, CreateHatchBrush(h, RGB(0, 0, 160)));
    Rectangle(dc, x, y, x + 80, y + 56);
    Label(dc, x, y + 58, names[h]);
  }
  Use brush(dc, CreateHatchBrush(HS_CROSS, RGB(200, 0, 0)));
  SetBkColor(dc, RGB(255, 255, 150));
  SetBkMode(dc, OPAQUE);
  Rectangle(dc, 0, 170, 130, 230);
  Label(dc, 0, 232, u"opaque, yellow gaps");
  SetBkMode(dc, TRANSPARENT);
  {
    Use under(dc, CreateSolidBrush(RGB(150, 220, 150)));
    Rectangle(dc, 146, 170, 276, 230);
  }
  Rectangle(dc, 146, 170, 276, 230);
  Label(dc, 146, 232, u"transparent gaps");
}

void FillModePanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 4, u"Alternate vs winding");
  const POINT star[] = {{60, 10}, {100, 130}, {5, 55}, {115, 55}, {20, 130}};
  Use brush(dc, CreateSolidBrush(RGB(120, 160, 255)));
  SetPolyFillMode(dc, ALTERNATE);
  Polygon(dc, star, 5);
  Label(dc, 20, 140, u"ALTERNATE");
  POINT moved[5];
  for (int i = 0; i < 5; ++i) moved[i] = POINT{star[i].x + 140, star[i].y};
  SetPolyFillMode(dc, WINDING);
  Polygon(dc, moved, 5);
  Label(dc, 165, 140, u"WINDING");
  // Two overlapping squares as one poly-polygon in both modes.
  const POINT squares[] = {{10, 170}, {90, 170}, {90, 240}, {10, 240}, {50, 190}, {120, 190}, {120, 250}, {50, 250}};
  const int counts[] = {4, 4};
  SetPolyFillMode(dc, ALTERNATE);
  PolyPolygon(dc, squares, counts, 2);
  POINT shifted[8];
  for (int i = 0; i < 8; ++i) shifted[i] = POINT{squares[i].x + 140, squares[i].y};
  SetPolyFillMode(dc, WINDING);
  PolyPolygon(dc, shifted, counts, 2);
}

void RegionPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 5, u"Region: framed and as clip");
  POINT org{};
  GetViewportOrgEx(dc, &org);  // regions are device units when used as clip
  HRGN ellipse = CreateEllipticRgn(20, 10, 250, 200);
  HRGN hole = CreateRectRgn(100, 60, 170, 150);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(region, ellipse, hole, RGN_DIFF);
  HBRUSH frame = CreateSolidBrush(RGB(200, 0, 0));
  FrameRgn(dc, region, frame, 3, 3);
  OffsetRgn(region, org.x, org.y);
  SelectClipRgn(dc, region);
  for (int i = -200; i < 300; i += 12) {
    Use pen(dc, CreatePen(PS_SOLID, 4, RGB(0, 120, 200)));
    MoveToEx(dc, i, 0, nullptr);
    LineTo(dc, i + 220, 220);
  }
  SelectClipRgn(dc, nullptr);
  Label(dc, 10, 212, u"ellipse minus rectangle, FrameRgn 3x3");
  Label(dc, 10, 228, u"then selected as clip for the lines");
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(ellipse), static_cast<HGDIOBJ>(hole), static_cast<HGDIOBJ>(region),
                    static_cast<HGDIOBJ>(frame)})
    DeleteObject(h);
}

void MappingPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 6, u"Anisotropic, y axis up");
  POINT org{};
  GetViewportOrgEx(dc, &org);
  // 1000 logical units = 250 pixels across, 1000 = 200 pixels up.
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 250, -200, nullptr);
  SetViewportOrgEx(dc, org.x + 20, org.y + 230, nullptr);
  {
    Use pen(dc, CreatePen(PS_SOLID, 0, RGB(0, 0, 0)));
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 1000, 0);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 0, 1000);
  }
  Use pen(dc, CreatePen(PS_SOLID, 12, RGB(0, 140, 0)));
  Use brush(dc, CreateSolidBrush(RGB(200, 255, 200)));
  const POINT arrow[] = {{100, 100}, {500, 100}, {500, 600}, {650, 600}, {300, 950}, {-50, 600}, {100, 600}};
  Polygon(dc, arrow, 7);
  Ellipse(dc, 700, 100, 950, 350);
  Use font(dc, MakeFont(-80, u"Arial"));
  SetBkMode(dc, TRANSPARENT);
  Text(dc, 620, 600, u"y up");  // glyphs are never mirrored
}

void TextPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 7, u"Text: 0, 30 and 90 degrees");
  SetBkMode(dc, TRANSPARENT);
  const char16_t* faces[] = {u"Arial", u"Times New Roman"};
  for (int f = 0; f < 2; ++f) {
    const int x = f * 130;
    SetTextColor(dc, f == 0 ? RGB(0, 0, 150) : RGB(150, 0, 0));
    {
      Use font(dc, MakeFont(-16, faces[f]));
      Text(dc, x, 0, f == 0 ? u"Arial 0\u00B0" : u"Times 0\u00B0");
    }
    {
      Use font(dc, MakeFont(-16, faces[f], 300));
      Text(dc, x, 110, f == 0 ? u"Arial 30\u00B0" : u"Times 30\u00B0");
    }
    {
      Use font(dc, MakeFont(-16, faces[f], 900));
      Text(dc, x + 100, 240, f == 0 ? u"Arial 90\u00B0" : u"Times 90\u00B0");
    }
  }
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 240, 120));
  Use font(dc, MakeFont(-13, u"Arial", 0, FW_BOLD));
  Text(dc, 0, 140, u"opaque background");
}

void RubberBandPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 8, u"XOR rubber bands");
  Use brush(dc, CreateHatchBrush(HS_BDIAGONAL, RGB(120, 120, 255)));
  Use pen(dc, CreatePen(PS_NULL, 0, 0));
  Rectangle(dc, 0, 0, 281, 180);
  Use dotted(dc, CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
  Use clear(dc, GetStockObject(NULL_BRUSH));
  SetROP2(dc, R2_NOTXORPEN);
  Rectangle(dc, 20, 20, 130, 150);  // drawn once: visible
  Ellipse(dc, 150, 20, 260, 150);   // drawn twice: gone
  Ellipse(dc, 150, 20, 260, 150);
  SetROP2(dc, R2_COPYPEN);
  Label(dc, 20, 186, u"drawn once (visible)");
  Label(dc, 150, 200, u"drawn twice (gone)");
}

void TransparentPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 9, u"Transparent transfer");
  // The background: a checkerboard.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 11; ++x) {
      Use b(dc, CreateSolidBrush((x + y) % 2 ? RGB(220, 220, 220) : RGB(90, 140, 90)));
      RECT r{x * 25, y * 25, x * 25 + 25, y * 25 + 25};
      FillRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    }
  // The image: a red disc with a star on a magenta (transparent) background.
  constexpr COLORREF kKey = RGB(255, 0, 255);
  HDC image = CreateRasterDC(120, 120);
  {
    Use key(dc, CreateSolidBrush(kKey));
    RECT all{0, 0, 120, 120};
    FillRect(image, &all, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  }
  {
    Use disc(image, CreateSolidBrush(RGB(220, 30, 30)));
    Ellipse(image, 5, 5, 115, 115);
    Use star(image, CreateSolidBrush(RGB(255, 230, 0)));
    const POINT p[] = {{60, 15}, {88, 100}, {15, 45}, {105, 45}, {32, 100}};
    SetPolyFillMode(image, WINDING);
    Polygon(image, p, 5);
  }
  // Monochrome mask: key colour -> white.
  HDC maskDC = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateBitmap(120, 120, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  SetBkColor(image, kKey);
  BitBlt(maskDC, 0, 0, 120, 120, image, 0, 0, SRCCOPY);
  // Key pixels of the image to black (image AND NOT mask).
  SetBkColor(image, RGB(255, 255, 255));
  SetTextColor(image, RGB(0, 0, 0));
  BitBlt(image, 0, 0, 120, 120, maskDC, 0, 0, 0x00220326);
  // Onto the checkerboard: AND the mask, then paint the image.
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, 20, 40, 120, 120, maskDC, 0, 0, SRCAND);
  BitBlt(dc, 20, 40, 120, 120, image, 0, 0, SRCPAINT);
  // And stretched, half the size, the same way.
  StretchBlt(dc, 170, 60, 60, 60, maskDC, 0, 0, 120, 120, SRCAND);
  StretchBlt(dc, 170, 60, 60, 60, image, 0, 0, 120, 120, SRCPAINT);
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
  DeleteDC(image);
  Label(dc, 20, 168, u"mask AND, image OR; stretched at right");
}

void PenModesPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 10, u"Pen modes (16 ROP2)");
  for (int i = 0; i < 4; ++i) {
    Use band(dc, CreateSolidBrush(RGB(i * 80, 255 - i * 60, 128)));
    RECT r{0, i * 60, 280, i * 60 + 60};
    FillRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  }
  Use pen(dc, CreatePen(PS_SOLID, 10, RGB(200, 40, 160)));
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    SetROP2(dc, rop);
    const int x = 10 + (rop - 1) * 17;
    MoveToEx(dc, x, 8, nullptr);
    LineTo(dc, x, 232);
  }
}

void ScaledTextPanel(HDC dc) {
  Saved saved(dc);
  BeginPanel(dc, 11, u"Word-break text, zoomed 2x");
  POINT org{};
  GetViewportOrgEx(dc, &org);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1, 1, nullptr);
  SetViewportExtEx(dc, 2, 2, nullptr);
  Use font(dc, MakeFont(-8, u"Times New Roman"));
  RECT box{0, 0, 135, 120};
  Use frame(dc, CreatePen(PS_DASH, 0, RGB(100, 100, 100)));
  Use clear(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, box.Left, box.Top, box.Right, box.Bottom);
  SetBkMode(dc, TRANSPARENT);
  const std::u16string text =
      u"Heights are logical units: this font is 8 units high and drawn at 16 pixels, broken into the "
      u"rectangle at word boundaries and centred.";
  DrawTextW(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
}

// The whole gdi scene on any DC of kSceneWidth x kSceneHeight pixels (a raster
// DC here; a recording DC records the same calls).
constexpr int kSceneWidth = kColumns * kCell;
constexpr int kSceneHeight = kRows * kCell;

void DrawGdiScene(HDC dc) {
  FiguresPanel(dc, true);
  FiguresPanel(dc, false);
  PenStylesPanel(dc);
  HatchPanel(dc);
  FillModePanel(dc);
  RegionPanel(dc);
  MappingPanel(dc);
  TextPanel(dc);
  RubberBandPanel(dc);
  TransparentPanel(dc);
  PenModesPanel(dc);
  ScaledTextPanel(dc);
}

}  // namespace
}  // namespace vx::gallery
