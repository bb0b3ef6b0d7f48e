// Playback: a recorded picture played at its own size draws the pixels the
// calls draw directly; playback scales, offsets and mirrors into the
// destination, leaves the DC as it was, and an enumeration callback can turn
// records about a centre as the library does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "tests/emf/emf_test_util.h"

namespace vx::plat {
namespace {

using emftest::DcHandle;
using emftest::Metafile;
using emftest::PixelAt;
using emftest::RasterDc;
using emftest::RecordMetafile;

constexpr int kSize = 160;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// The frame of a kSize x kSize picture (0.01 mm at 96 dpi), so that playing
// into (0, 0, kSize, kSize) is one-to-one.
RECT PictureFrame(int width = kSize, int height = kSize) {
  return RECT{0, 0, (width * 2540 + 48) / 96, (height * 2540 + 48) / 96};
}

// Draws `scene` directly and as a played recording; returns both DCs.
std::pair<DcHandle, DcHandle> DirectAndPlayed(const std::function<void(HDC)>& scene) {
  DcHandle direct = RasterDc(kSize, kSize);
  scene(direct.get());
  const RECT frame = PictureFrame();
  Metafile mf = RecordMetafile(scene, &frame);
  DcHandle played = RasterDc(kSize, kSize);
  const RECT dest{0, 0, kSize, kSize};
  EXPECT_TRUE(PlayEnhMetaFile(played.get(), mf.get(), &dest));
  return {std::move(direct), std::move(played)};
}

struct Scene {
  const char* Name;
  std::function<void(HDC)> Draw;
};
void PrintTo(const Scene& s, std::ostream* os) { *os << s.Name; }

// Selects a new object for the scene and frees it at the end of the scope.
struct Use {
  Use(HDC dc, HGDIOBJ object) : Dc(dc), Object(object), Old(SelectObject(dc, object)) {}
  ~Use() {
    SelectObject(Dc, Old);
    DeleteObject(Object);
  }
  HDC Dc;
  HGDIOBJ Object;
  HGDIOBJ Old;
};

std::vector<Scene> Scenes() {
  return {
      {"Figures",
       [](HDC dc) {
         Use pen(dc, CreatePen(PS_SOLID, 1, 0x0000C0));
         Use brush(dc, CreateSolidBrush(0x80C0FF));
         Rectangle(dc, 5, 5, 60, 40);
         Ellipse(dc, 70, 5, 150, 50);
         RoundRect(dc, 5, 50, 70, 90, 16, 12);
         Pie(dc, 80, 55, 150, 120, 150, 90, 80, 90);
         Chord(dc, 5, 95, 70, 150, 70, 120, 5, 100);
         Arc(dc, 80, 120, 150, 158, 80, 140, 150, 140);
         const POINT star[] = {{100, 60}, {110, 100}, {75, 75}, {125, 75}, {90, 100}};
         SetPolyFillMode(dc, WINDING);
         Polygon(dc, star, 5);
         const POINT zig[] = {{2, 155}, {20, 140}, {40, 155}, {60, 140}};
         Polyline(dc, zig, 4);
         const POINT bez[] = {{70, 150}, {90, 120}, {120, 170}, {150, 130}};
         PolyBezier(dc, bez, 4);
         MoveToEx(dc, 0, 0, nullptr);
         LineTo(dc, 159, 159);
       }},
      {"PenStylesAndWidths",
       [](HDC dc) {
         for (int style = 0; style <= static_cast<int>(PS_DASHDOTDOT); ++style) {
           Use pen(dc, CreatePen(style, 1, 0x202020 * (style + 1)));
           MoveToEx(dc, 5, 10 + 12 * style, nullptr);
           LineTo(dc, 150, 12 + 12 * style);
         }
         Use wide(dc, CreatePen(PS_SOLID, 7, 0x008000));
         Use hollow(dc, GetStockObject(NULL_BRUSH));
         Rectangle(dc, 20, 80, 140, 140);
       }},
      {"HatchesAndBackground",
       [](HDC dc) {
         SetBkColor(dc, 0x00FFFF);
         Use hatch(dc, CreateHatchBrush(HS_DIAGCROSS, 0xC00000));
         Rectangle(dc, 5, 5, 80, 80);
         SetBkMode(dc, TRANSPARENT);
         SetBrushOrgEx(dc, 3, 1, nullptr);
         Rectangle(dc, 70, 40, 155, 150);
       }},
      {"FlippedMapping",
       [](HDC dc) {
         SetMapMode(dc, MM_ANISOTROPIC);
         SetWindowExtEx(dc, 100, 100, nullptr);
         SetViewportExtEx(dc, 150, -120, nullptr);
         SetViewportOrgEx(dc, 5, 150, nullptr);
         SetWindowOrgEx(dc, -3, 2, nullptr);
         Use brush(dc, CreateSolidBrush(0x40A040));
         Rectangle(dc, 0, 0, 50, 30);
         Ellipse(dc, 40, 40, 95, 95);
         const POINT tri[] = {{0, 90}, {30, 60}, {60, 99}};
         Polygon(dc, tri, 3);
       }},
      {"InvertingPens",
       [](HDC dc) {
         Use brush(dc, CreateSolidBrush(0x3366CC));
         Ellipse(dc, 10, 10, 150, 150);
         SetROP2(dc, R2_NOTXORPEN);
         Use hollow(dc, GetStockObject(NULL_BRUSH));
         Rectangle(dc, 30, 30, 130, 90);
         SetROP2(dc, R2_XORPEN);
         MoveToEx(dc, 20, 140, nullptr);
         LineTo(dc, 140, 20);
       }},
      {"Text",
       [](HDC dc) {
         SetTextColor(dc, 0x0000A0);
         SetBkColor(dc, 0xC0FFC0);
         for (int i = 0; i < 3; ++i) {
           const int escapement[] = {0, 300, 900};
           Use font(dc, CreateFontW(-16, 0, escapement[i], 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                    u"DejaVu Sans"));
           TextOutW(dc, 10 + 50 * i, 120 - 30 * i, u"Abc", 3);
           SetBkMode(dc, TRANSPARENT);
         }
         SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
         TextOutW(dc, 150, 150, u"Right", 5);
       }},
      {"Clipping",
       [](HDC dc) {
         Use brush(dc, CreateSolidBrush(0xA000A0));
         SaveDC(dc);
         IntersectClipRect(dc, 20, 20, 140, 140);
         ExcludeClipRect(dc, 60, 60, 100, 100);
         Rectangle(dc, 0, 0, 160, 160);
         RestoreDC(dc, -1);
         HRGN ellipse = CreateEllipticRgn(100, 0, 160, 60);
         SelectClipRgn(dc, ellipse);
         DeleteObject(ellipse);
         Use other(dc, CreateSolidBrush(0x00A0A0));
         Rectangle(dc, 80, 0, 160, 80);
         SelectClipRgn(dc, nullptr);
         Rectangle(dc, 0, 150, 20, 160);
       }},
      {"Regions",
       [](HDC dc) {
         HRGN ellipse = CreateEllipticRgn(5, 5, 90, 70);
         HBRUSH red = CreateSolidBrush(0x0000FF);
         HBRUSH blue = CreateSolidBrush(0xFF0000);
         FillRgn(dc, ellipse, red);
         FrameRgn(dc, ellipse, blue, 3, 2);
         const RECT r1{100, 10, 150, 60};
         FillRect(dc, &r1, blue);
         const RECT r2{95, 70, 155, 110};
         FrameRect(dc, &r2, red);
         const RECT r3{10, 80, 80, 150};
         InvertRect(dc, &r3);
         Use brush(dc, CreateHatchBrush(HS_CROSS, 0x008080));
         HRGN box = CreateRectRgn(100, 115, 155, 155);
         PaintRgn(dc, box);
         InvertRgn(dc, ellipse);
         DeleteObject(box);
         DeleteObject(ellipse);
         DeleteObject(red);
         DeleteObject(blue);
       }},
      {"Bitmaps",
       [](HDC dc) {
         // A 4 x 2 24-bit DIB stretched, a bitmap copied from a raster DC and a pattern fill.
         struct {
           BITMAPINFOHEADER h;
         } info;
         info.h.biWidth = 4;
         info.h.biHeight = 2;
         info.h.biBitCount = 24;
         const std::uint8_t bits[2 * 12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255,
                                            0,   0, 0, 128, 128, 128, 0, 255, 255, 255, 0, 255};
         StretchDIBits(dc, 10, 10, 80, 40, 0, 0, 4, 2, bits, sizeof bits, reinterpret_cast<const BITMAPINFO*>(&info),
                       DIB_RGB_COLORS, SRCCOPY);
         HDC src = CreateRasterDC(30, 20);
         HBRUSH green = CreateSolidBrush(0x00FF00);
         const RECT part{5, 5, 25, 15};
         FillRect(src, &part, green);
         BitBlt(dc, 100, 20, 30, 20, src, 0, 0, SRCCOPY);
         BitBlt(dc, 20, 60, 30, 20, src, 0, 0, SRCINVERT);
         StretchBlt(dc, 60, 100, 90, 50, src, 0, 0, 30, 20, SRCCOPY);
         DeleteObject(green);
         DeleteDC(src);
         Use brush(dc, CreateHatchBrush(HS_BDIAGONAL, 0x000080));
         PatBlt(dc, 5, 100, 50, 50, PATCOPY);
       }},
      {"SaveRestoreOfObjectsAndMapping",
       [](HDC dc) {
         Use brush(dc, CreateSolidBrush(0x00C0C0));
         SaveDC(dc);
         SetMapMode(dc, MM_ANISOTROPIC);
         SetWindowExtEx(dc, 1, 1, nullptr);
         SetViewportExtEx(dc, 2, 2, nullptr);
         HBRUSH inner = CreateSolidBrush(0xC000C0);
         SelectObject(dc, inner);
         Rectangle(dc, 5, 5, 40, 40);
         RestoreDC(dc, -1);
         DeleteObject(inner);
         Rectangle(dc, 100, 100, 150, 150);
       }},
  };
}

class PlayedScene : public ::testing::TestWithParam<Scene> {};

TEST_P(PlayedScene, MatchesDrawingTheCallsDirectly) {
  auto [direct, played] = DirectAndPlayed(GetParam().Draw);
  EXPECT_GT(emftest::InkPixels(direct.get()), 0u);
  EXPECT_EQ(emftest::DifferentPixels(direct.get(), played.get()), 0u);
}

INSTANTIATE_TEST_SUITE_P(Scenes, PlayedScene, ::testing::ValuesIn(Scenes()),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Placement
// ---------------------------------------------------------------------------

// A 100 x 100 picture with a black 10 x 10 square at (20, 30) (black pen
// and brush: without a pen a rectangle covers one pixel less each way).
Metafile SquarePicture() {
  const RECT frame = PictureFrame(100, 100);
  return RecordMetafile(
      [](HDC dc) {
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 20, 30, 30, 40);
      },
      &frame);
}

// The bounding box of the non-white pixels.
RECT InkBox(HDC dc) {
  int w = 0, h = 0, stride = 0;
  RasterPixels(dc, &w, &h, &stride);
  RECT box{w, h, -1, -1};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (PixelAt(dc, x, y) != kWhite) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

struct PlacementCase {
  const char* Name;
  RECT Dest;
  std::function<void(HDC)> PrepareDc;
  RECT ExpectedInk;
};
void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.Name; }

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, FitsTheFrameOntoTheDestination) {
  const PlacementCase& c = GetParam();
  Metafile mf = SquarePicture();
  DcHandle dc = RasterDc(300, 300);
  if (c.PrepareDc) c.PrepareDc(dc.get());
  EXPECT_TRUE(PlayEnhMetaFile(dc.get(), mf.get(), &c.Dest));
  EXPECT_EQ(InkBox(dc.get()), c.ExpectedInk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(PlacementCase{"OwnSize", {0, 0, 100, 100}, nullptr, {20, 30, 30, 40}},
                      PlacementCase{"Offset", {50, 7, 150, 107}, nullptr, {70, 37, 80, 47}},
                      PlacementCase{"DoubleSize", {0, 0, 200, 200}, nullptr, {40, 60, 60, 80}},
                      PlacementCase{"Anisotropic", {0, 0, 300, 50}, nullptr, {60, 15, 90, 20}},
                      PlacementCase{"MirroredHorizontally", {100, 0, 0, 100}, nullptr, {70, 30, 80, 40}},
                      PlacementCase{"RelativeToTheDcsMapping",
                                    {0, 0, 100, 100},
                                    [](HDC dc) {
                                      SetMapMode(dc, MM_ANISOTROPIC);
                                      SetWindowExtEx(dc, 1, 1, nullptr);
                                      SetViewportExtEx(dc, 2, 2, nullptr);
                                      SetViewportOrgEx(dc, 10, 20, nullptr);
                                    },
                                    {50, 80, 70, 100}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(EmfPlayback, LeavesTheDcAsItWas) {
  Metafile mf = RecordMetafile([](HDC dc) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 3, 3, nullptr);
    SetViewportExtEx(dc, 1, 1, nullptr);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetTextColor(dc, 0x123456);
    SetROP2(dc, R2_XORPEN);
    IntersectClipRect(dc, 0, 0, 10, 10);
    Rectangle(dc, 0, 0, 50, 50);
  });
  DcHandle dc = RasterDc(100, 100);
  HPEN pen = CreatePen(PS_DOT, 1, 0x00FF00);
  SelectObject(dc.get(), pen);
  SetViewportOrgEx(dc.get(), 4, 5, nullptr);
  const std::size_t objects = GdiObjectCount();
  const RECT dest{0, 0, 60, 60};
  EXPECT_TRUE(PlayEnhMetaFile(dc.get(), mf.get(), &dest));
  EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);
  POINT org{};
  GetViewportOrgEx(dc.get(), &org);
  EXPECT_EQ(org, (POINT{4, 5}));
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen);
  EXPECT_EQ(GetTextColor(dc.get()), 0u);
  EXPECT_EQ(GetROP2(dc.get()), R2_COPYPEN);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc.get(), clip), 0);  // still unclipped
  DeleteObject(clip);
  EXPECT_EQ(GdiObjectCount(), objects);  // everything the playback made is freed
  SelectObject(dc.get(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(EmfPlayback, RecordedClipRegionsScaleWithThePicture) {
  const RECT frame = PictureFrame(100, 100);
  Metafile mf = RecordMetafile(
      [](HDC dc) {
        HRGN clip = CreateRectRgn(10, 20, 30, 50);  // device units of the recording
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 0, 0, 100, 100);
      },
      &frame);
  DcHandle dc = RasterDc(300, 300);
  const RECT dest{50, 0, 250, 200};
  EXPECT_TRUE(PlayEnhMetaFile(dc.get(), mf.get(), &dest));
  EXPECT_EQ(InkBox(dc.get()), (RECT{70, 40, 110, 100}));
}

TEST(EmfPlayback, ClipsWithinTheDcsOwnClipRegion) {
  Metafile mf = RecordMetafile(
      [](HDC dc) {
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        HRGN all = CreateRectRgn(0, 0, 100, 100);
        SelectClipRgn(dc, all);  // the picture's own clip is everything
        DeleteObject(all);
        Rectangle(dc, 0, 0, 100, 100);
      },
      nullptr);
  DcHandle dc = RasterDc(100, 100);
  IntersectClipRect(dc.get(), 10, 10, 40, 40);
  const RECT dest{0, 0, 100, 100};
  EXPECT_TRUE(PlayEnhMetaFile(dc.get(), mf.get(), &dest));
  EXPECT_EQ(InkBox(dc.get()), (RECT{10, 10, 40, 40}));
}

TEST(EmfEnumeration, StopsWhenTheCallbackSaysSoAndRestoresTheDc) {
  Metafile mf = SquarePicture();
  DcHandle dc = RasterDc(100, 100);
  const RECT dest{0, 0, 100, 100};
  int calls = 0;
  EXPECT_FALSE(emf::EnumEnhMetaFile(
      dc.get(), mf.get(),
      [&](HDC, HANDLETABLE*, const ENHMETARECORD*, int) { return ++calls < 2 ? 1 : 0; }, &dest));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);
}

TEST(EmfEnumeration, AnExceptionFromTheCallbackLeavesTheDcRestored) {
  Metafile mf = RecordMetafile([](HDC dc) {
    HBRUSH brush = CreateSolidBrush(0x00FF00);
    SelectObject(dc, brush);
    Rectangle(dc, 0, 0, 10, 10);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  });
  DcHandle dc = RasterDc(100, 100);
  const RECT dest{0, 0, 200, 200};
  const std::size_t objects = GdiObjectCount();
  const int level = SaveDC(dc.get());
  EXPECT_THROW(emf::EnumEnhMetaFile(
                   dc.get(), mf.get(),
                   [](HDC d, HANDLETABLE* t, const ENHMETARECORD* r, int n) {
                     PlayEnhMetaFileRecord(d, t, r, static_cast<UINT>(n));
                     if (r->iType == EMR_SELECTOBJECT) throw Exception("stop here");
                     return 1;
                   },
                   &dest),
               Exception);
  EXPECT_EQ(GetMapMode(dc.get()), MM_TEXT);
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GdiObjectCount(), objects);  // the brush the playback made is freed
  EXPECT_TRUE(RestoreDC(dc.get(), level));  // the caller's own save level is untouched
}

TEST(EmfEnumeration, LooseRecordsPlayOnTheDcDirectly) {
  // Outside an enumeration a record acts on the DC as it stands.
  DcHandle dc = RasterDc(50, 50);
  std::vector<HGDIOBJ> table(3, nullptr);
  auto* handles = reinterpret_cast<HANDLETABLE*>(table.data());
  EMRCREATEBRUSHINDIRECT create{{EMR_CREATEBRUSHINDIRECT, sizeof(EMRCREATEBRUSHINDIRECT)}, 2, {BS_SOLID, 0x0000FF, 0}};
  EMROBJECTPARAM select{{EMR_SELECTOBJECT, sizeof(EMROBJECTPARAM)}, 2};
  EMRPOINTPARAM origin{{EMR_SETVIEWPORTORGEX, sizeof(EMRPOINTPARAM)}, POINT{10, 10}};
  EMRBOX box{{EMR_RECTANGLE, sizeof(EMRBOX)}, RECT{0, 0, 5, 5}};
  EMROBJECTPARAM badIndex{{EMR_SELECTOBJECT, sizeof(EMROBJECTPARAM)}, 9};
  for (const void* r : {static_cast<const void*>(&create), static_cast<const void*>(&select),
                        static_cast<const void*>(&origin), static_cast<const void*>(&box)})
    EXPECT_TRUE(PlayEnhMetaFileRecord(dc.get(), handles, static_cast<const ENHMETARECORD*>(r), 3));
  EXPECT_FALSE(PlayEnhMetaFileRecord(dc.get(), handles, reinterpret_cast<const ENHMETARECORD*>(&badIndex), 3));
  EXPECT_EQ(PixelAt(dc.get(), 12, 12), 0xFF0000u);  // red, 0x00RRGGBB
  SelectObject(dc.get(), GetStockObject(WHITE_BRUSH));
  DeleteObject(table[2]);
}

// ---------------------------------------------------------------------------
// Enumeration with turned records, as the library's rotated metafiles do it
// ---------------------------------------------------------------------------

struct TurnData {
  POINT Centre;      // device units of the playing DC
  double Angle;      // radians
  int Records = 0;
  std::vector<DWORD> FontSizes;
};

POINT Turn(POINT p, POINT c, double a) {
  const double s = std::sin(a), co = std::cos(a);
  const double x = (p.x - c.x) * co - (p.y - c.y) * s;
  const double y = (p.x - c.x) * s + (p.y - c.y) * co;
  return POINT{c.x + static_cast<LONG>(std::nearbyint(x)), c.y + static_cast<LONG>(std::nearbyint(y))};
}

int TurnRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int handles, void* data) {
  auto& d = *static_cast<TurnData*>(data);
  ++d.Records;
  POINT c = d.Centre;
  DPtoLP(dc, &c, 1);  // the centre in the record's logical units, with the playback mapping in force
  auto* bytes = reinterpret_cast<std::uint8_t*>(const_cast<ENHMETARECORD*>(record));
  switch (record->iType) {
    case EMR_POLYGON: {
      DWORD count;
      std::memcpy(&count, bytes + 24, 4);
      std::vector<POINT> pts(count);
      std::memcpy(pts.data(), bytes + 28, count * 8);
      for (POINT& p : pts) p = Turn(p, c, d.Angle);
      Polygon(dc, pts.data(), static_cast<int>(count));
      return 1;
    }
    case EMR_RECTANGLE: {
      RECT b;
      std::memcpy(&b, bytes + 8, 16);
      POINT pts[4] = {{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom}};
      for (POINT& p : pts) p = Turn(p, c, d.Angle);
      Polygon(dc, pts, 4);
      return 1;
    }
    case EMR_LINETO:
    case EMR_MOVETOEX: {
      POINT p;
      std::memcpy(&p, bytes + 8, 8);
      p = Turn(p, c, d.Angle);
      if (record->iType == EMR_LINETO)
        LineTo(dc, p.x, p.y);
      else
        MoveToEx(dc, p.x, p.y, nullptr);
      return 1;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      d.FontSizes.push_back(record->nSize);
      std::uint8_t copy[332];
      std::memcpy(copy, bytes, sizeof copy);
      std::int32_t escapement;
      std::memcpy(&escapement, copy + 20, 4);
      escapement -= static_cast<std::int32_t>(std::lround(d.Angle / 3.14159265358979 * 1800));
      std::memcpy(copy + 20, &escapement, 4);
      PlayEnhMetaFileRecord(dc, table, reinterpret_cast<const ENHMETARECORD*>(copy), static_cast<UINT>(handles));
      return 1;
    }
    case EMR_EXTTEXTOUTW: {
      POINT ref, saved;
      std::memcpy(&saved, bytes + 36, 8);
      ref = Turn(saved, c, d.Angle);
      std::memcpy(bytes + 36, &ref, 8);
      PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
      std::memcpy(bytes + 36, &saved, 8);
      return 1;
    }
    default: PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles)); return 1;
  }
}

TEST(EmfRotatedPlayback, TurnsFiguresAboutTheCentreGivenInDeviceUnits) {
  const RECT frame = PictureFrame(100, 100);
  Metafile mf = RecordMetafile(
      [](HDC dc) {
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 10, 10, 30, 20);
      },
      &frame);
  // Played at twice the size: the device centre (100, 100) is the picture's (50, 50).
  DcHandle turned = RasterDc(200, 200);
  TurnData data{{100, 100}, 3.14159265358979 / 2, 0, {}};
  const RECT dest{0, 0, 200, 200};
  EXPECT_TRUE(EnumEnhMetaFile(turned.get(), mf.get(), TurnRecord, &data, &dest));
  // Corners (10,10) (30,10) (30,20) (10,20) turned a quarter about (50, 50):
  // (90,10) (90,30) (80,30) (80,10), i.e. device x 160..180, y 20..60.
  EXPECT_EQ(InkBox(turned.get()), (RECT{160, 20, 180, 60}));
  EXPECT_EQ(data.Records, 5);  // header, two selections, the rectangle, end of file
}

TEST(EmfRotatedPlayback, TurnedPolygonsAndLinesMatchDrawingThemTurned) {
  const POINT tri[] = {{20, 10}, {70, 30}, {30, 60}};
  const POINT centre{50, 50};
  const double angle = 0.6;
  const RECT frame = PictureFrame(100, 100);
  Metafile mf = RecordMetafile(
      [&](HDC dc) {
        SelectObject(dc, GetStockObject(GRAY_BRUSH));
        Polygon(dc, tri, 3);
        MoveToEx(dc, 5, 90, nullptr);
        LineTo(dc, 95, 80);
      },
      &frame);
  DcHandle played = RasterDc(100, 100);
  TurnData data{centre, angle, 0, {}};
  const RECT dest{0, 0, 100, 100};
  EnumEnhMetaFile(played.get(), mf.get(), TurnRecord, &data, &dest);

  DcHandle direct = RasterDc(100, 100);
  SelectObject(direct.get(), GetStockObject(GRAY_BRUSH));
  POINT turned[3];
  for (int i = 0; i < 3; ++i) turned[i] = Turn(tri[i], centre, angle);
  Polygon(direct.get(), turned, 3);
  const POINT a = Turn(POINT{5, 90}, centre, angle), b = Turn(POINT{95, 80}, centre, angle);
  MoveToEx(direct.get(), a.x, a.y, nullptr);
  LineTo(direct.get(), b.x, b.y);
  EXPECT_EQ(emftest::DifferentPixels(direct.get(), played.get()), 0u);
}

TEST(EmfRotatedPlayback, FontRecordWithLoweredEscapementPlaysAsTurnedText) {
  const RECT frame = PictureFrame(120, 120);
  Metafile mf = RecordMetafile(
      [](HDC dc) {
        HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 10, 50, u"WWWWW", 5);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
      },
      &frame);
  const RECT dest{0, 0, 120, 120};
  DcHandle straight = RasterDc(120, 120);
  PlayEnhMetaFile(straight.get(), mf.get(), &dest);
  const RECT flat = InkBox(straight.get());
  EXPECT_GT(flat.Right - flat.Left, 2 * (flat.Bottom - flat.Top));  // a line of text

  DcHandle turned = RasterDc(120, 120);
  TurnData data{{60, 60}, 3.14159265358979 / 2, 0, {}};
  EnumEnhMetaFile(turned.get(), mf.get(), TurnRecord, &data, &dest);
  const RECT upright = InkBox(turned.get());
  EXPECT_GT(upright.Bottom - upright.Top, 2 * (upright.Right - upright.Left));  // the same text, standing
  EXPECT_EQ(data.FontSizes, std::vector<DWORD>{332});
}

// ---------------------------------------------------------------------------
// Records from other writers
// ---------------------------------------------------------------------------

TEST(EmfForeignRecords, SixteenBitPolygonsPlayLikeTheirWideForm) {
  const POINTS small[] = {{10, 10}, {90, 20}, {40, 80}};
  const POINT wide[] = {{10, 10}, {90, 20}, {40, 80}};
  auto build = [](DWORD type, const void* pts, std::size_t size) {
    emftest::EmfBuilder b;
    struct {
      EMR emr;
      RECT bounds;
      DWORD count;
    } fixed{{type, 0}, {10, 10, 90, 80}, 3};
    b.Add(EMROBJECTPARAM{{EMR_SELECTOBJECT, 12}, ENHMETA_STOCK_OBJECT | BLACK_BRUSH});
    b.Add(fixed, pts, size);
    const auto bytes = b.Build();
    return Metafile(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  };
  Metafile a = build(EMR_POLYGON16, small, sizeof small);
  Metafile b = build(EMR_POLYGON, wide, sizeof wide);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  DcHandle da = RasterDc(100, 100), db = RasterDc(100, 100);
  const RECT dest{0, 0, 100, 100};
  PlayEnhMetaFile(da.get(), a.get(), &dest);
  PlayEnhMetaFile(db.get(), b.get(), &dest);
  EXPECT_GT(emftest::InkPixels(da.get()), 1000u);
  EXPECT_EQ(emftest::DifferentPixels(da.get(), db.get()), 0u);
}

TEST(EmfForeignRecords, ShortFontRecordArrivesZeroFilledTo332Bytes) {
  // A writer that stores only the logical font (12 + 92 bytes).
  emftest::EmfBuilder b;
  struct {
    EMR emr;
    DWORD ih;
    LOGFONTW lf;
  } font{{EMR_EXTCREATEFONTINDIRECTW, 0}, 1, {}};
  font.lf.lfHeight = -30;
  font.lf.lfEscapement = 900;
  std::memcpy(font.lf.lfFaceName, u"DejaVu Sans", 24);
  b.Add(font);
  b.Add(EMROBJECTPARAM{{EMR_SELECTOBJECT, 12}, 1});
  const auto bytes = b.Build();
  Metafile mf(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  ASSERT_TRUE(mf);
  std::vector<std::uint8_t> seen;
  emf::EnumEnhMetaFile(
      nullptr, mf.get(),
      [&](HDC, HANDLETABLE*, const ENHMETARECORD* r, int) {
        if (r->iType == EMR_EXTCREATEFONTINDIRECTW) {
          const auto* p = reinterpret_cast<const std::uint8_t*>(r);
          seen.assign(p, p + 332);
        }
        return 1;
      },
      nullptr);
  ASSERT_EQ(seen.size(), 332u);
  DWORD size;
  std::memcpy(&size, seen.data() + 4, 4);
  EXPECT_EQ(size, 332u);
  std::int32_t escapement;
  std::memcpy(&escapement, seen.data() + 20, 4);
  EXPECT_EQ(escapement, 900);
  EXPECT_TRUE(std::all_of(seen.begin() + 104, seen.end(), [](std::uint8_t v) { return v == 0; }));
  // And it plays: the playing DC gets a font of that height.
  DcHandle dc = RasterDc(50, 50);
  const RECT dest{0, 0, 50, 50};
  LOGFONTW lf;
  lf.lfHeight = 0;
  emf::EnumEnhMetaFile(
      dc.get(), mf.get(),
      [&](HDC d, HANDLETABLE* t, const ENHMETARECORD* r, int n) {
        PlayEnhMetaFileRecord(d, t, r, static_cast<UINT>(n));
        if (r->iType == EMR_SELECTOBJECT) GetObject(GetCurrentObject(d, OBJ_FONT), sizeof lf, &lf);
        return 1;
      },
      &dest);
  EXPECT_EQ(lf.lfHeight, -30);
}

// Paths from other writers: figures collected between begin and end path.
struct PathCase {
  const char* Name;
  DWORD Use;  // fill, stroke, or stroke and fill
  std::function<void(HDC, const POINT*, int)> Direct;
};
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.Name; }

class PathPlayback : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathPlayback, DrawsLikeTheSameFigureDrawnDirectly) {
  const POINT figure[] = {{10, 10}, {80, 20}, {60, 70}, {15, 50}};
  emftest::EmfBuilder b;
  b.Add(EMROBJECTPARAM{{EMR_SELECTOBJECT, 12}, ENHMETA_STOCK_OBJECT | GRAY_BRUSH});
  b.Add(EMR{EMR_BEGINPATH, 8});
  b.Add(EMRPOINTPARAM{{EMR_MOVETOEX, 16}, figure[0]});
  for (int i = 1; i < 4; ++i) b.Add(EMRPOINTPARAM{{EMR_LINETO, 16}, figure[i]});
  b.Add(EMR{EMR_CLOSEFIGURE, 8});
  b.Add(EMR{EMR_ENDPATH, 8});
  b.Add(EMRBOX{{GetParam().Use, 24}, RECT{10, 10, 80, 70}});
  const auto bytes = b.Build();
  Metafile mf(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  ASSERT_TRUE(mf);
  DcHandle played = RasterDc(100, 100), direct = RasterDc(100, 100);
  const RECT dest{0, 0, 100, 100};
  PlayEnhMetaFile(played.get(), mf.get(), &dest);
  SelectObject(direct.get(), GetStockObject(GRAY_BRUSH));
  GetParam().Direct(direct.get(), figure, 4);
  EXPECT_GT(emftest::InkPixels(direct.get()), 100u);
  EXPECT_EQ(emftest::DifferentPixels(direct.get(), played.get()), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Uses, PathPlayback,
    ::testing::Values(PathCase{"Fill", EMR_FILLPATH,
                               [](HDC dc, const POINT* p, int n) {
                                 SelectObject(dc, GetStockObject(NULL_PEN));
                                 Polygon(dc, p, n);
                               }},
                      PathCase{"Stroke", EMR_STROKEPATH,
                               [](HDC dc, const POINT* p, int n) {
                                 std::vector<POINT> closed(p, p + n);
                                 closed.push_back(p[0]);
                                 Polyline(dc, closed.data(), n + 1);
                               }},
                      PathCase{"StrokeAndFill", EMR_STROKEANDFILLPATH,
                               [](HDC dc, const POINT* p, int n) {
                                 HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
                                 Polygon(dc, p, n);
                                 SelectObject(dc, pen);
                                 std::vector<POINT> closed(p, p + n);
                                 closed.push_back(p[0]);
                                 Polyline(dc, closed.data(), n + 1);
                               }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(EmfForeignRecords, ClipPathLimitsLaterDrawing) {
  emftest::EmfBuilder b;
  b.Add(EMR{EMR_BEGINPATH, 8});
  b.Add(EMRBOX{{EMR_RECTANGLE, 24}, RECT{20, 30, 60, 50}});
  b.Add(EMR{EMR_ENDPATH, 8});
  b.Add(EMRDWORDPARAM{{EMR_SELECTCLIPPATH, 12}, RGN_COPY});
  b.Add(EMROBJECTPARAM{{EMR_SELECTOBJECT, 12}, ENHMETA_STOCK_OBJECT | BLACK_BRUSH});
  b.Add(EMRBOX{{EMR_RECTANGLE, 24}, RECT{0, 0, 100, 100}});
  const auto bytes = b.Build();
  Metafile mf(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  ASSERT_TRUE(mf);
  DcHandle dc = RasterDc(100, 100);
  const RECT dest{0, 0, 100, 100};
  PlayEnhMetaFile(dc.get(), mf.get(), &dest);
  EXPECT_EQ(InkBox(dc.get()), (RECT{20, 30, 60, 50}));
}

TEST(EmfForeignRecords, ScaleOnlyWorldTransformsApply) {
  emftest::EmfBuilder b;
  EMRSETWORLDTRANSFORM xf{{EMR_SETWORLDTRANSFORM, 0}, XFORM32{2, 0, 0, 2, 10, 20}};
  b.Add(xf);
  b.Add(EMROBJECTPARAM{{EMR_SELECTOBJECT, 12}, ENHMETA_STOCK_OBJECT | BLACK_BRUSH});
  b.Add(EMRBOX{{EMR_RECTANGLE, 0}, RECT{5, 5, 15, 10}});
  const auto bytes = b.Build();
  Metafile mf(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  ASSERT_TRUE(mf);
  DcHandle dc = RasterDc(100, 100);
  const RECT dest{0, 0, 100, 100};  // the builder's frame is 100 x 100 pixels
  PlayEnhMetaFile(dc.get(), mf.get(), &dest);
  EXPECT_EQ(InkBox(dc.get()), (RECT{20, 30, 40, 40}));
}

}  // namespace
}  // namespace vx::plat
