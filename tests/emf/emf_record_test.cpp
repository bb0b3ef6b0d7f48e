// Recording: which records a drawing call becomes, the object table, the
// header, and save/load round trips that keep every record.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/core/unicode.h"
#include "tests/emf/emf_test_util.h"

namespace vx::plat {
namespace {

using emftest::BodyRecords;
using emftest::HeaderOf;
using emftest::Record;
using emftest::RecordMetafile;
using emftest::Types;

// ---------------------------------------------------------------------------
// A table of drawing calls and the records they become
// ---------------------------------------------------------------------------

struct CallCase {
  const char* Name;
  std::function<void(HDC)> Draw;
  std::vector<DWORD> Expected;                               // record types, in order
  std::function<void(const std::vector<Record>&)> CheckFields;  // key fields of those records
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.Name; }

const POINT kTriangle[] = {{10, 10}, {50, 12}, {30, 40}};

std::vector<CallCase> CallCases() {
  return {
      {"MoveToLineTo",
       [](HDC dc) {
         MoveToEx(dc, 3, 4, nullptr);
         LineTo(dc, 30, -7);
       },
       {EMR_MOVETOEX, EMR_LINETO},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].I32(8), 3);
         EXPECT_EQ(r[0].I32(12), 4);
         EXPECT_EQ(r[1].I32(8), 30);
         EXPECT_EQ(r[1].I32(12), -7);
       }},
      {"PolygonIs32Bit",  // small coordinates still give the 32-bit record, so it can be turned
       [](HDC dc) { Polygon(dc, kTriangle, 3); },
       {EMR_POLYGON},
       [](const std::vector<Record>& r) {
         ASSERT_EQ(r[0].Bytes.size(), 28u + 3 * 8);
         EXPECT_EQ(r[0].U32(24), 3u);
         EXPECT_EQ(r[0].I32(28), 10);
         EXPECT_EQ(r[0].I32(28 + 8), 50);
         EXPECT_EQ(r[0].I32(28 + 16 + 4), 40);
       }},
      {"Polyline",
       [](HDC dc) { Polyline(dc, kTriangle, 3); },
       {EMR_POLYLINE},
       [](const std::vector<Record>& r) { EXPECT_EQ(r[0].U32(24), 3u); }},
      {"PolyPolyline",
       [](HDC dc) {
         const POINT pts[] = {{0, 0}, {5, 5}, {10, 0}, {20, 20}, {25, 30}};
         const DWORD counts[] = {3, 2};
         PolyPolyline(dc, pts, counts, 2);
       },
       {EMR_POLYPOLYLINE},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].U32(24), 2u);  // polylines
         EXPECT_EQ(r[0].U32(28), 5u);  // points
         EXPECT_EQ(r[0].U32(32), 3u);
         EXPECT_EQ(r[0].U32(36), 2u);
         EXPECT_EQ(r[0].I32(40 + 4 * 8), 25);  // the last point follows the counts
       }},
      {"PolyPolygon",
       [](HDC dc) {
         const POINT pts[] = {{0, 0}, {9, 0}, {9, 9}, {20, 20}, {29, 20}, {29, 29}};
         const int counts[] = {3, 3};
         PolyPolygon(dc, pts, counts, 2);
       },
       {EMR_POLYPOLYGON},
       [](const std::vector<Record>& r) { EXPECT_EQ(r[0].U32(28), 6u); }},
      {"PolyBezier",
       [](HDC dc) {
         const POINT pts[] = {{0, 0}, {10, 20}, {20, 20}, {30, 0}};
         PolyBezier(dc, pts, 4);
       },
       {EMR_POLYBEZIER},
       [](const std::vector<Record>& r) { EXPECT_EQ(r[0].U32(24), 4u); }},
      {"Rectangle",
       [](HDC dc) { Rectangle(dc, 1, 2, 30, 40); },
       {EMR_RECTANGLE},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].At<RECT>(8), (RECT{1, 2, 30, 40}));
       }},
      {"Ellipse",
       [](HDC dc) { Ellipse(dc, 5, 6, 25, 16); },
       {EMR_ELLIPSE},
       [](const std::vector<Record>& r) { EXPECT_EQ(r[0].At<RECT>(8), (RECT{5, 6, 25, 16})); }},
      {"RoundRect",
       [](HDC dc) { RoundRect(dc, 0, 0, 40, 30, 8, 6); },
       {EMR_ROUNDRECT},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].I32(24), 8);
         EXPECT_EQ(r[0].I32(28), 6);
       }},
      {"Arc",
       [](HDC dc) { Arc(dc, 0, 0, 40, 40, 40, 20, 0, 20); },
       {EMR_ARC},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].At<POINT>(24), (POINT{40, 20}));
         EXPECT_EQ(r[0].At<POINT>(32), (POINT{0, 20}));
       }},
      {"Chord", [](HDC dc) { Chord(dc, 0, 0, 40, 40, 40, 20, 0, 20); }, {EMR_CHORD}, nullptr},
      {"Pie", [](HDC dc) { Pie(dc, 0, 0, 40, 40, 40, 20, 0, 20); }, {EMR_PIE}, nullptr},
      {"ArcTo", [](HDC dc) { ArcTo(dc, 0, 0, 40, 40, 40, 20, 0, 20); }, {EMR_ARCTO}, nullptr},
      {"SetPixel",
       [](HDC dc) { SetPixel(dc, 7, 8, 0x123456); },
       {EMR_SETPIXELV},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].At<POINT>(8), (POINT{7, 8}));
         EXPECT_EQ(r[0].U32(16), 0x123456u);
       }},
      {"Modes",
       [](HDC dc) {
         SetROP2(dc, R2_NOTXORPEN);
         SetBkMode(dc, TRANSPARENT);
         SetBkColor(dc, 0x00FF00);
         SetTextColor(dc, 0x0000FF);
         SetTextAlign(dc, TA_BASELINE | TA_CENTER);
         SetPolyFillMode(dc, WINDING);
         SetStretchBltMode(dc, COLORONCOLOR);
         SetBrushOrgEx(dc, 3, 5, nullptr);
       },
       {EMR_SETROP2, EMR_SETBKMODE, EMR_SETBKCOLOR, EMR_SETTEXTCOLOR, EMR_SETTEXTALIGN, EMR_SETPOLYFILLMODE,
        EMR_SETSTRETCHBLTMODE, EMR_SETBRUSHORGEX},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].U32(8), static_cast<DWORD>(R2_NOTXORPEN));
         EXPECT_EQ(r[1].U32(8), static_cast<DWORD>(TRANSPARENT));
         EXPECT_EQ(r[2].U32(8), 0x00FF00u);
         EXPECT_EQ(r[3].U32(8), 0x0000FFu);
         EXPECT_EQ(r[4].U32(8), TA_BASELINE | TA_CENTER);
         EXPECT_EQ(r[7].At<POINT>(8), (POINT{3, 5}));
       }},
      {"Mapping",
       [](HDC dc) {
         SetMapMode(dc, MM_ANISOTROPIC);
         SetWindowExtEx(dc, 100, 200, nullptr);
         SetViewportExtEx(dc, 50, -50, nullptr);
         SetWindowOrgEx(dc, 7, 8, nullptr);
         SetViewportOrgEx(dc, 9, 10, nullptr);
         OffsetWindowOrgEx(dc, 1, 2, nullptr);  // no offset record exists: the new origin is recorded
         ScaleViewportExtEx(dc, 2, 1, 3, 1, nullptr);
       },
       {EMR_SETMAPMODE, EMR_SETWINDOWEXTEX, EMR_SETVIEWPORTEXTEX, EMR_SETWINDOWORGEX, EMR_SETVIEWPORTORGEX,
        EMR_SETWINDOWORGEX, EMR_SCALEVIEWPORTEXTEX},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].U32(8), static_cast<DWORD>(MM_ANISOTROPIC));
         EXPECT_EQ(r[2].At<POINT>(8), (POINT{50, -50}));
         EXPECT_EQ(r[5].At<POINT>(8), (POINT{8, 10}));
         EXPECT_EQ(r[6].I32(16), 3);
       }},
      {"SaveRestore",
       [](HDC dc) {
         SaveDC(dc);
         SaveDC(dc);
         RestoreDC(dc, -2);
       },
       {EMR_SAVEDC, EMR_SAVEDC, EMR_RESTOREDC},
       [](const std::vector<Record>& r) { EXPECT_EQ(r[2].I32(8), -2); }},
      {"Clipping",
       [](HDC dc) {
         IntersectClipRect(dc, 1, 2, 50, 60);
         ExcludeClipRect(dc, 5, 5, 10, 10);
         OffsetClipRgn(dc, 3, 4);
         HRGN rgn = CreateRectRgn(0, 0, 20, 30);
         SelectClipRgn(dc, rgn);
         DeleteObject(rgn);
         SelectClipRgn(dc, nullptr);
       },
       {EMR_INTERSECTCLIPRECT, EMR_EXCLUDECLIPRECT, EMR_OFFSETCLIPRGN, EMR_EXTSELECTCLIPRGN, EMR_EXTSELECTCLIPRGN},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].At<RECT>(8), (RECT{1, 2, 50, 60}));
         EXPECT_EQ(r[3].U32(12), static_cast<DWORD>(RGN_COPY));
         const auto header = r[3].At<RGNDATAHEADER>(16);
         EXPECT_EQ(header.nCount, 1u);
         EXPECT_EQ(r[3].At<RECT>(16 + 32), (RECT{0, 0, 20, 30}));
         EXPECT_EQ(r[4].U32(8), 0u);  // no region: clipping removed
       }},
      {"PatBltHasNoBitmap",
       [](HDC dc) { PatBlt(dc, 1, 2, 10, 20, PATCOPY); },
       {EMR_BITBLT},
       [](const std::vector<Record>& r) {
         EXPECT_EQ(r[0].U32(offsetof(EMRBITBLT, dwRop)), PATCOPY);
         EXPECT_EQ(r[0].U32(offsetof(EMRBITBLT, cbBmiSrc)), 0u);
         EXPECT_EQ(r[0].I32(offsetof(EMRBITBLT, cxDest)), 10);
       }},
  };
}

class RecordedCall : public ::testing::TestWithParam<CallCase> {};

TEST_P(RecordedCall, BecomesTheStandardRecords) {
  const CallCase& c = GetParam();
  auto mf = RecordMetafile(c.Draw);
  ASSERT_TRUE(mf);
  const std::vector<Record> body = BodyRecords(mf.get());
  ASSERT_EQ(Types(body), c.Expected);
  if (c.CheckFields) c.CheckFields(body);
}

INSTANTIATE_TEST_SUITE_P(Calls, RecordedCall, ::testing::ValuesIn(CallCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

TEST(EmfRecording, ObjectsAreCreatedOnFirstSelectionAndIndicesAreReusedAfterDelete) {
  HPEN red = nullptr, blue = nullptr;
  auto mf = RecordMetafile([&](HDC dc) {
    red = CreatePen(PS_DASH, 3, 0x0000FF);
    blue = CreatePen(PS_SOLID, 1, 0xFF0000);
    HGDIOBJ old = SelectObject(dc, red);
    SelectObject(dc, red);                    // already in the table: only selected
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(red);                        // frees index 1
    SelectObject(dc, blue);                   // takes index 1 again
    SelectObject(dc, old);
    DeleteObject(blue);
  });
  const std::vector<Record> r = BodyRecords(mf.get());
  const std::vector<DWORD> expected = {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_SELECTOBJECT, EMR_SELECTOBJECT,
                                       EMR_DELETEOBJECT, EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_SELECTOBJECT,
                                       EMR_DELETEOBJECT};
  ASSERT_EQ(Types(r), expected);
  EXPECT_EQ(r[0].U32(8), 1u);  // index of the red pen
  EXPECT_EQ(r[0].U32(12), static_cast<DWORD>(PS_DASH));
  EXPECT_EQ(r[0].I32(16), 3);  // width
  EXPECT_EQ(r[0].U32(24), 0x0000FFu);
  EXPECT_EQ(r[3].U32(8), ENHMETA_STOCK_OBJECT | BLACK_PEN);
  EXPECT_EQ(r[4].U32(8), 1u);
  EXPECT_EQ(r[5].U32(8), 1u);  // the blue pen reuses index 1
  EXPECT_EQ(r[5].U32(24), 0xFF0000u);
  EXPECT_EQ(HeaderOf(mf.get()).nHandles, 2);
}

TEST(EmfRecording, FontBecomesThe332ByteWideFontRecord) {
  auto mf = RecordMetafile([](HDC dc) {
    HFONT font = CreateFontW(-20, 0, 450, 0, FW_BOLD, 1, 0, 0, DEFAULT_CHARSET, 0, 0, 0, VARIABLE_PITCH, u"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SelectObject(dc, old);
    DeleteObject(font);
  });
  const std::vector<Record> r = BodyRecords(mf.get());
  ASSERT_GE(r.size(), 1u);
  ASSERT_EQ(r[0].Type, EMR_EXTCREATEFONTINDIRECTW);
  ASSERT_EQ(r[0].Bytes.size(), 332u);
  EXPECT_EQ(r[0].I32(12), -20);   // height
  EXPECT_EQ(r[0].I32(20), 450);   // escapement
  EXPECT_EQ(r[0].I32(28), FW_BOLD);
  EXPECT_EQ(r[0].Bytes[32], 1);   // italic
  EXPECT_EQ(r[0].Bytes[39], VARIABLE_PITCH);
  std::u16string face(5, u'\0');
  std::memcpy(face.data(), r[0].Bytes.data() + 40, 10);
  EXPECT_EQ(face, u"Arial");
}

TEST(EmfRecording, TextOutBecomesWideTextOutWithAdvances) {
  auto mf = RecordMetafile([](HDC dc) { TextOutW(dc, 12, 34, u"Hello", 5); });
  const std::vector<Record> r = BodyRecords(mf.get());
  ASSERT_EQ(Types(r), std::vector<DWORD>{EMR_EXTTEXTOUTW});
  const Record& t = r[0];
  EXPECT_EQ(t.At<POINT>(36), (POINT{12, 34}));  // reference point
  EXPECT_EQ(t.U32(44), 5u);                     // characters
  const std::uint32_t offString = t.U32(48);
  std::u16string text(5, u'\0');
  std::memcpy(text.data(), t.Bytes.data() + offString, 10);
  EXPECT_EQ(text, u"Hello");
  const std::uint32_t offDx = t.U32(72);
  ASSERT_NE(offDx, 0u);
  int total = 0;
  for (int i = 0; i < 5; ++i) total += t.I32(offDx + 4 * i);
  SIZE extent{};
  HDC measure = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  GetTextExtentPoint32W(measure, u"Hello", 5, &extent);
  DeleteEnhMetaFile(CloseEnhMetaFile(measure));
  EXPECT_EQ(total, extent.cx);
}

TEST(EmfRecording, BitBltStoresTheSourcePixels) {
  auto src = emftest::RasterDc(4, 3);
  SetPixel(src.get(), 1, 1, 0x0000FF);  // red
  auto mf = RecordMetafile([&](HDC dc) { BitBlt(dc, 10, 20, 4, 3, src.get(), 0, 0, SRCCOPY); });
  const std::vector<Record> r = BodyRecords(mf.get());
  ASSERT_EQ(Types(r), std::vector<DWORD>{EMR_BITBLT});
  const auto b = r[0].At<EMRBITBLT>(0);
  EXPECT_EQ(b.xDest, 10);
  EXPECT_EQ(b.cyDest, 3);
  ASSERT_GE(b.cbBmiSrc, 40u);
  const auto info = r[0].At<BITMAPINFOHEADER>(b.offBmiSrc);
  EXPECT_EQ(info.biWidth, 4);
  EXPECT_EQ(info.biHeight, 3);
  EXPECT_EQ(info.biBitCount, 24);
  // Bottom-up rows of 12 bytes: pixel (1, 1) is in the middle row.
  const std::size_t at = b.offBitsSrc + 12 * 1 + 3 * 1;
  EXPECT_EQ(r[0].Bytes[at + 2], 255);  // red
  EXPECT_EQ(r[0].Bytes[at], 0);        // blue
}

// ---------------------------------------------------------------------------
// Header
// ---------------------------------------------------------------------------

TEST(EmfHeader, BoundsAreTheInclusiveDeviceBoxAndTheFrameFollowsThem) {
  auto mf = RecordMetafile([](HDC dc) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 20, 110, 70);  // covers columns 10..109, rows 20..69
  });
  const ENHMETAHEADER h = HeaderOf(mf.get());
  EXPECT_EQ(h.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.nVersion, ENHMETA_VERSION);
  EXPECT_EQ(h.rclBounds, (RECT{10, 20, 109, 69}));
  // 0.01 mm per pixel at 96 dpi: 2540 / 96; the frame runs edge to edge.
  EXPECT_EQ(h.rclFrame, (RECT{265, 529, 2910, 1852}));
  EXPECT_EQ(h.szlDevice, (SIZE{1920, 1080}));
  EXPECT_EQ(h.szlMicrometers, (SIZE{508000, 285750}));
  EXPECT_EQ(h.nRecords, 4u);  // header, select, rectangle, end of file
  EXPECT_EQ(h.nBytes, emftest::BytesOf(mf.get()).size());
}

TEST(EmfHeader, BoundsFollowTheMappingAndAGivenFrameIsKept) {
  const RECT frame{0, 0, 5000, 3000};
  auto mf = RecordMetafile(
      [](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 10, 10, nullptr);
        SetViewportExtEx(dc, 20, 20, nullptr);
        SetViewportOrgEx(dc, 5, 5, nullptr);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, 0, 0, 10, 10);  // device 5..25
      },
      &frame);
  const ENHMETAHEADER h = HeaderOf(mf.get());
  EXPECT_EQ(h.rclBounds, (RECT{5, 5, 24, 24}));
  EXPECT_EQ(h.rclFrame, frame);
}

TEST(EmfHeader, EmptyRecordingHasEmptyBoundsAndTheReferenceDeviceSize) {
  HDC reference = CreateRasterDC(640, 480);
  auto mf = RecordMetafile([](HDC) {}, nullptr, reference);
  DeleteDC(reference);
  const ENHMETAHEADER h = HeaderOf(mf.get());
  EXPECT_EQ(h.rclBounds, (RECT{0, 0, -1, -1}));
  EXPECT_EQ(h.szlDevice, (SIZE{640, 480}));
  EXPECT_EQ(h.szlMillimeters, (SIZE{169, 127}));
  EXPECT_EQ(h.nRecords, 2u);
}

TEST(EmfHeader, RecordingDcAnswersTheReferenceDevice) {
  DeviceDesc printer;
  printer.Width = 4960;
  printer.Height = 7016;
  printer.DpiX = printer.DpiY = 600;
  printer.WidthMM = 210;
  printer.HeightMM = 297;
  printer.Technology = DT_RASPRINTER;
  HDC reference = CreateDeviceDC(printer);
  HDC dc = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4960);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), 297);
  emftest::Metafile mf(CloseEnhMetaFile(dc));
  DeleteDC(reference);
  EXPECT_EQ(HeaderOf(mf.get()).szlMillimeters, (SIZE{210, 297}));
}

TEST(EmfHeader, DescriptionIsStoredWithItsTerminators) {
  const char16_t description[] = u"Vexalith\0Plan\0";
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, description);
  emftest::Metafile mf(CloseEnhMetaFile(dc));
  const UINT n = GetEnhMetaFileDescriptionW(mf.get(), 0, nullptr);
  ASSERT_EQ(n, 15u);  // "Vexalith\0Plan\0\0"
  std::u16string text(n, u'\0');
  GetEnhMetaFileDescriptionW(mf.get(), n, text.data());
  EXPECT_EQ(text, std::u16string(u"Vexalith\0Plan\0\0", 15));
}

// ---------------------------------------------------------------------------
// Round trips
// ---------------------------------------------------------------------------

void DrawEverything(HDC dc) {
  HPEN pen = CreatePen(PS_SOLID, 2, 0x336699);
  HBRUSH brush = CreateHatchBrush(HS_CROSS, 0x00AA00);
  HFONT font = CreateFontW(-14, 0, 900, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SelectObject(dc, font);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 2, 2, nullptr);
  SetViewportExtEx(dc, 1, 1, nullptr);
  Rectangle(dc, 0, 0, 100, 60);
  Ellipse(dc, 20, 20, 180, 120);
  Polygon(dc, kTriangle, 3);
  TextOutW(dc, 40, 150, u"Turn", 4);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(font);
}

TEST(EmfRoundTrip, BitsLoadedBackEnumerateTheSameRecords) {
  auto mf = RecordMetafile(DrawEverything);
  const std::vector<std::uint8_t> bytes = emftest::BytesOf(mf.get());
  emftest::Metafile loaded(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  ASSERT_TRUE(loaded);
  const auto a = emftest::ReadRecords(mf.get());
  const auto b = emftest::ReadRecords(loaded.get());
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].Type, b[i].Type) << i;
    EXPECT_EQ(a[i].Bytes, b[i].Bytes) << i;
  }
}

TEST(EmfRoundTrip, FileWrittenAtCloseAndCopiesLoadTheSameBytes) {
  const auto dir = std::filesystem::temp_directory_path() / ("vx_emf_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::u16string recorded = Utf8ToString((dir / "recorded.emf").string());
  const std::u16string copied = Utf8ToString((dir / "copied.emf").string());
  HDC dc = CreateEnhMetaFileW(nullptr, recorded.c_str(), nullptr, nullptr);
  DrawEverything(dc);
  emftest::Metafile mf(CloseEnhMetaFile(dc));
  ASSERT_TRUE(mf);
  emftest::Metafile copy(CopyEnhMetaFileW(mf.get(), copied.c_str()));
  ASSERT_TRUE(copy);
  emftest::Metafile fromRecorded(GetEnhMetaFileW(recorded.c_str()));
  emftest::Metafile fromCopy(GetEnhMetaFileW(copied.c_str()));
  ASSERT_TRUE(fromRecorded);
  ASSERT_TRUE(fromCopy);
  EXPECT_EQ(emftest::BytesOf(fromRecorded.get()), emftest::BytesOf(mf.get()));
  EXPECT_EQ(emftest::BytesOf(fromCopy.get()), emftest::BytesOf(mf.get()));
  std::filesystem::remove_all(dir);
}

TEST(EmfHandles, StaleHandlesAreRefusedAndNothingLeaks) {
  const std::size_t handlesBefore = EnhMetaFileCount();
  const std::size_t objectsBefore = GdiObjectCount();
  HENHMETAFILE mf = nullptr;
  {
    auto recorded = RecordMetafile(DrawEverything);
    mf = recorded.get();
    auto target = emftest::RasterDc(200, 200);
    const RECT dest{0, 0, 200, 200};
    EXPECT_TRUE(PlayEnhMetaFile(target.get(), mf, &dest));
  }
  EXPECT_EQ(EnhMetaFileCount(), handlesBefore);
  EXPECT_EQ(GdiObjectCount(), objectsBefore);
  EXPECT_FALSE(DeleteEnhMetaFile(mf));
  EXPECT_EQ(GetEnhMetaFileBits(mf, 0, nullptr), 0u);
  auto target = emftest::RasterDc(10, 10);
  const RECT dest{0, 0, 10, 10};
  EXPECT_FALSE(PlayEnhMetaFile(target.get(), mf, &dest));
  EXPECT_EQ(CloseEnhMetaFile(target.get()), nullptr);  // not a recording DC
}

}  // namespace
}  // namespace vx::plat
