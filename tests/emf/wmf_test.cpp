// Old-style metafiles: imported WMF pictures draw what their records say, and
// pictures written as placeable WMF files read back to the same drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/emf/wmf_convert.h"
#include "tests/emf/emf_test_util.h"

namespace vx::plat {
namespace {

using emftest::DcHandle;
using emftest::Metafile;
using emftest::RasterDc;

// Writes old-style records: size in words, function, 16-bit parameters,
// optional bytes (padded to a word) and parameters after them.
class WmfWriter {
public:
  WmfWriter& Add(WORD function, std::vector<std::int16_t> params, std::vector<std::uint8_t> bytes = {},
                 std::vector<std::int16_t> after = {}) {
    if (bytes.size() % 2) bytes.push_back(0);
    const auto words = static_cast<std::uint32_t>(3 + params.size() + bytes.size() / 2 + after.size());
    Put(words);
    Put(function);
    for (std::int16_t p : params) Put(p);
    Records.insert(Records.end(), bytes.begin(), bytes.end());
    for (std::int16_t p : after) Put(p);
    MaxRecord = std::max(MaxRecord, words);
    return *this;
  }
  WmfWriter& Color(WORD function, COLORREF c) {
    return Add(function, {static_cast<std::int16_t>(c & 0xFFFF), static_cast<std::int16_t>(c >> 16)});
  }
  // The file image, placeable when `box` is given.
  std::vector<std::uint8_t> Build(std::optional<RECT> box, WORD inch, WORD objects) const {
    std::vector<std::uint8_t> out;
    if (box) {
      WMFPLACEABLEHEADER ph;
      ph.Left = static_cast<std::int16_t>(box->Left);
      ph.Top = static_cast<std::int16_t>(box->Top);
      ph.Right = static_cast<std::int16_t>(box->Right);
      ph.Bottom = static_cast<std::int16_t>(box->Bottom);
      ph.Inch = inch;
      const auto* p = reinterpret_cast<const std::uint8_t*>(&ph);
      out.insert(out.end(), p, p + sizeof ph);
    }
    WMFHEADER h;
    h.Size = static_cast<DWORD>((sizeof h + Records.size() + 6) / 2);
    h.NumberOfObjects = objects;
    h.MaxRecord = MaxRecord;
    const auto* p = reinterpret_cast<const std::uint8_t*>(&h);
    out.insert(out.end(), p, p + sizeof h);
    out.insert(out.end(), Records.begin(), Records.end());
    const std::uint8_t eof[6] = {3, 0, 0, 0, 0, 0};
    out.insert(out.end(), eof, eof + 6);
    return out;
  }

private:
  template <class T>
  void Put(T v) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    Records.insert(Records.end(), p, p + sizeof v);
  }
  std::vector<std::uint8_t> Records;
  std::uint32_t MaxRecord = 3;
};

std::vector<std::uint8_t> FontParams() {
  WMFLOGFONT lf;
  lf.Height = -14;
  lf.Weight = 700;
  std::strcpy(lf.FaceName, "DejaVu Sans");
  std::vector<std::uint8_t> bytes(sizeof lf);
  std::memcpy(bytes.data(), &lf, sizeof lf);
  return bytes;
}

Metafile FromWmf(const std::vector<std::uint8_t>& wmf) {
  const std::vector<std::uint8_t> emf = emf::WmfToEmf(wmf);
  return Metafile(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
}

RECT InkBox(HDC dc) {
  int w = 0, h = 0, stride = 0;
  RasterPixels(dc, &w, &h, &stride);
  RECT box{w, h, -1, -1};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (emftest::PixelAt(dc, x, y) != 0xFFFFFF) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

TEST(WmfImport, PlaceableFileDrawsTheSameFiguresAsTheCalls) {
  // A 120 x 120 unit picture at 96 units per inch: one unit per pixel.
  WmfWriter w;
  w.Add(META_SETWINDOWORG, {0, 0}).Add(META_SETWINDOWEXT, {120, 120});
  w.Add(META_CREATEPENINDIRECT, {PS_SOLID, 2, 0, 0x00C0, 0});
  w.Add(META_CREATEBRUSHINDIRECT, {BS_SOLID, static_cast<std::int16_t>(0xC0FF), 0x0080, 0});
  w.Add(META_CREATEFONTINDIRECT, {}, FontParams());
  w.Add(META_SELECTOBJECT, {0}).Add(META_SELECTOBJECT, {1}).Add(META_SELECTOBJECT, {2});
  w.Add(META_RECTANGLE, {40, 60, 5, 5});           // bottom, right, top, left
  w.Add(META_ELLIPSE, {50, 115, 5, 70});
  w.Add(META_ROUNDRECT, {10, 14, 90, 60, 55, 5});  // height, width, bottom, right, top, left
  w.Add(META_PIE, {90, 70, 90, 115, 115, 115, 55, 70});
  w.Add(META_POLYGON, {3, 10, 100, 50, 95, 30, 118});
  w.Add(META_POLYLINE, {3, 60, 100, 80, 118, 100, 100});
  w.Add(META_MOVETO, {2, 2}).Add(META_LINETO, {118, 118});
  w.Color(META_SETTEXTCOLOR, 0x800000).Add(META_SETBKMODE, {TRANSPARENT});
  w.Add(META_TEXTOUT, {3}, {'W', 'm', 'f'}, {92, 5});  // length, text, y, x
  w.Add(META_SELECTOBJECT, {1}).Add(META_DELETEOBJECT, {0});
  Metafile mf = FromWmf(w.Build(RECT{0, 0, 120, 120}, 96, 3));
  ASSERT_TRUE(mf);

  DcHandle direct = RasterDc(120, 120);
  HDC dc = direct.get();
  HPEN pen = CreatePen(PS_SOLID, 2, 0x0000C0);
  HBRUSH brush = CreateSolidBrush(0x80C0FF);
  HFONT font = CreateFontW(-14, 0, 0, 0, 700, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SelectObject(dc, font);
  Rectangle(dc, 5, 5, 60, 40);
  Ellipse(dc, 70, 5, 115, 50);
  RoundRect(dc, 5, 55, 60, 90, 14, 10);
  Pie(dc, 70, 55, 115, 115, 115, 90, 70, 90);
  const POINT tri[] = {{10, 100}, {50, 95}, {30, 118}};
  Polygon(dc, tri, 3);
  const POINT vee[] = {{60, 100}, {80, 118}, {100, 100}};
  Polyline(dc, vee, 3);
  MoveToEx(dc, 2, 2, nullptr);
  LineTo(dc, 118, 118);
  SetTextColor(dc, 0x800000);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 5, 92, u"Wmf", 3);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(font);

  DcHandle played = RasterDc(120, 120);
  const RECT dest{0, 0, 120, 120};
  ASSERT_TRUE(PlayEnhMetaFile(played.get(), mf.get(), &dest));
  EXPECT_GT(emftest::InkPixels(direct.get()), 2000u);
  EXPECT_EQ(emftest::DifferentPixels(direct.get(), played.get()), 0u);
}

struct ScaleCase {
  const char* Name;
  std::optional<RECT> Placeable;
  WORD Inch;
  std::vector<std::int16_t> WindowOrg, WindowExt;  // y, x as the records store them
  SIZE PictureSize;                                 // pixels
  RECT ExpectedInk;                                 // of META_RECTANGLE (100, 100, 500, 300)
};
void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.Name; }

class WmfPicture : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(WmfPicture, MapsItsWindowOntoThePicturePixels) {
  const ScaleCase& c = GetParam();
  WmfWriter w;
  if (!c.WindowOrg.empty()) w.Add(META_SETWINDOWORG, c.WindowOrg);
  if (!c.WindowExt.empty()) w.Add(META_SETWINDOWEXT, c.WindowExt);
  w.Add(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0, 0, 0}).Add(META_SELECTOBJECT, {0});
  w.Add(META_RECTANGLE, {300, 500, 100, 100});
  Metafile mf = FromWmf(w.Build(c.Placeable, c.Inch, 1));
  ASSERT_TRUE(mf);
  const ENHMETAHEADER h = emftest::HeaderOf(mf.get());
  EXPECT_EQ(h.rclBounds, (RECT{0, 0, c.PictureSize.cx - 1, c.PictureSize.cy - 1}));
  DcHandle dc = RasterDc(500, 300);
  const RECT dest{0, 0, c.PictureSize.cx, c.PictureSize.cy};
  ASSERT_TRUE(PlayEnhMetaFile(dc.get(), mf.get(), &dest));
  EXPECT_EQ(InkBox(dc.get()), c.ExpectedInk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WmfPicture,
    ::testing::Values(
        // 1000 units at 960 per inch: 100 pixels; the window 1000 x 1000 fills it.
        ScaleCase{"PlaceableTenthScale", RECT{0, 0, 1000, 1000}, 960, {0, 0}, {1000, 1000}, {100, 100}, {10, 10, 50, 30}},
        // The placeable box places the picture even when the file sets no window.
        ScaleCase{"PlaceableWithoutWindow", RECT{100, 100, 600, 400}, 480, {}, {}, {100, 60}, {0, 0, 80, 40}},
        // A plain file: its first window is the picture, at 96 units per inch (what
        // lies outside the picture still draws: a metafile is not clipped to its frame).
        ScaleCase{"PlainWindow", std::nullopt, 0, {50, 50}, {200, 200}, {200, 200}, {50, 50, 450, 250}},
        // A plain file without a window: the extent of what it draws.
        ScaleCase{"PlainExtent", std::nullopt, 0, {}, {}, {401, 201}, {0, 0, 400, 200}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

void Scene(HDC dc) {
  HPEN pen = CreatePen(PS_DASH, 1, 0x0000A0);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, 0x008000);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  SelectObject(dc, pen);
  SelectObject(dc, hatch);
  SelectObject(dc, font);
  SetViewportOrgEx(dc, 3, 4, nullptr);  // flattened into the coordinates
  Rectangle(dc, 5, 5, 60, 40);
  Ellipse(dc, 70, 5, 130, 50);
  SelectObject(dc, GetStockObject(NULL_BRUSH));  // old files have no stock objects: one is made
  RoundRect(dc, 5, 55, 60, 90, 14, 10);
  Chord(dc, 70, 55, 130, 110, 130, 80, 70, 80);
  const POINT pts[] = {{10, 100}, {50, 95}, {30, 130}, {60, 140}};
  const DWORD counts[] = {2, 2};
  PolyPolyline(dc, pts, counts, 2);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 70, 120, u"Old", 3);
  const RECT box{100, 130, 140, 145};
  HBRUSH blue = CreateSolidBrush(0xFF0000);
  FillRect(dc, &box, blue);
  HRGN ring = CreateEllipticRgn(90, 60, 145, 115);
  FrameRgn(dc, ring, blue, 3, 2);  // written as the rectangles of the frame
  DeleteObject(ring);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(pen);
  DeleteObject(hatch);
  DeleteObject(font);
  DeleteObject(blue);
}

TEST(WmfExport, PlaceableFileReadsBackToTheSameDrawing) {
  const RECT frame{0, 0, 150 * 2540 / 96, 150 * 2540 / 96};
  Metafile original = emftest::RecordMetafile(Scene, &frame);
  const std::vector<std::uint8_t> wmf = emf::EmfToWmf(emftest::BytesOf(original.get()));

  WMFPLACEABLEHEADER ph;
  std::memcpy(&ph, wmf.data(), sizeof ph);
  EXPECT_EQ(ph.Key, WMF_PLACEABLE_KEY);
  EXPECT_EQ(ph.Inch, 96);
  EXPECT_EQ(ph.Right - ph.Left, 150);
  EXPECT_EQ(ph.Bottom - ph.Top, 150);
  WORD checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= reinterpret_cast<const WORD*>(wmf.data())[i];
  EXPECT_EQ(ph.Checksum, checksum);
  WMFHEADER h;
  std::memcpy(&h, wmf.data() + sizeof ph, sizeof h);
  EXPECT_EQ(std::size_t{h.Size} * 2, wmf.size() - sizeof ph);

  Metafile reread = FromWmf(wmf);
  ASSERT_TRUE(reread);
  DcHandle a = RasterDc(150, 150), b = RasterDc(150, 150);
  const RECT dest{0, 0, 150, 150};
  PlayEnhMetaFile(a.get(), original.get(), &dest);
  PlayEnhMetaFile(b.get(), reread.get(), &dest);
  EXPECT_GT(emftest::InkPixels(a.get()), 2000u);
  EXPECT_EQ(emftest::DifferentPixels(a.get(), b.get()), 0u);
}

TEST(WmfExport, PicturesBeyondSixteenBitsAreScaledToFit) {
  const RECT frame{0, 0, 70000 * 2540 / 96, 1000 * 2540 / 96};
  HDC reference = CreateRasterDC(80000, 2000);
  Metafile mf = emftest::RecordMetafile([](HDC dc) { Rectangle(dc, 60000, 100, 69000, 900); }, &frame, reference);
  DeleteDC(reference);
  const std::vector<std::uint8_t> wmf = emf::EmfToWmf(emftest::BytesOf(mf.get()));
  WMFPLACEABLEHEADER ph;
  std::memcpy(&ph, wmf.data(), sizeof ph);
  EXPECT_EQ(ph.Right, 23333);  // three pixels per unit
  EXPECT_EQ(ph.Inch, 32);
  Metafile reread = FromWmf(wmf);
  ASSERT_TRUE(reread);
  DcHandle dc = RasterDc(700, 10);
  const RECT dest{0, 0, 700, 10};  // a hundredth of the size
  PlayEnhMetaFile(dc.get(), reread.get(), &dest);
  const RECT ink = InkBox(dc.get());
  EXPECT_NEAR(ink.Left, 600, 1);
  EXPECT_NEAR(ink.Right, 690, 1);
}

}  // namespace
}  // namespace vx::plat
