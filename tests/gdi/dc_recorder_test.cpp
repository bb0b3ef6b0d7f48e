// The recording hook: a DC with a recorder reports each call before it acts,
// with the caller's logical arguments, also when it has no surface at all.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "platform/gdi/dc_recorder.h"
#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

// Logs calls as text; for SetMapMode also what the DC reported at that moment.
class LogRecorder : public gdi::DcRecorder {
public:
  explicit LogRecorder(std::vector<std::string>& log) : FLog(log) {}
  HDC DC = nullptr;

  void SetMapMode(int mode) override {
    FLog.push_back("SetMapMode " + std::to_string(mode) + " (was " + std::to_string(GetMapMode(DC)) + ")");
  }
  void SetWindowExtEx(int cx, int cy) override { Log("SetWindowExtEx", {cx, cy}); }
  void SelectObject(HGDIOBJ object) override { FLog.push_back("SelectObject " + Kind(object)); }
  void DeleteObject(HGDIOBJ object) override { FLog.push_back("DeleteObject " + Kind(object)); }
  void MoveToEx(int x, int y) override { Log("MoveToEx", {x, y}); }
  void LineTo(int x, int y) override { Log("LineTo", {x, y}); }
  void Rectangle(int l, int t, int r, int b) override { Log("Rectangle", {l, t, r, b}); }
  void Polygon(const POINT* p, int n) override { Log("Polygon", {n, p[0].x, p[n - 1].y}); }
  void SaveDC() override { FLog.push_back("SaveDC"); }
  void SetTextAlign(UINT align) override { Log("SetTextAlign", {static_cast<int>(align)}); }
  void RestoreDC(int level) override { Log("RestoreDC", {level}); }
  void ExtTextOutW(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                   const int* dx) override {
    Log("ExtTextOutW", {x, y, static_cast<int>(options), static_cast<int>(count), std::accumulate(dx, dx + count, 0)});
    Text = std::u16string(text, count);
  }
  std::u16string Text;

private:
  std::string Kind(HGDIOBJ object) {
    switch (GetObjectType(object)) {
      case OBJ_PEN: return "pen";
      case OBJ_BRUSH: return "brush";
      case OBJ_FONT: return "font";
      default: return "?";
    }
  }
  void Log(const char* name, std::initializer_list<int> args) {
    std::string s = name;
    for (int a : args) s += " " + std::to_string(a);
    FLog.push_back(s);
  }
  std::vector<std::string>& FLog;
};

// A recording DC without a surface, like a metafile or measuring context.
struct RecordingDC {
  RecordingDC() {
    DeviceDesc desc;
    desc.Width = 800;
    desc.Height = 600;
    desc.Technology = DT_METAFILE;
    desc.Surface = SurfaceKind::None;
    DC = CreateDeviceDC(desc);
    auto recorder = std::make_unique<LogRecorder>(Log);
    recorder->DC = DC;
    Recorder = recorder.get();
    SetDCRecorder(DC, std::move(recorder));
  }
  ~RecordingDC() { DeleteDC(DC); }
  HDC DC;
  std::vector<std::string> Log;
  LogRecorder* Recorder;
};

TEST(Recorder, SeesEachCallFirstWithTheCallersLogicalArguments) {
  RecordingDC r;
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(r.DC)), OBJ_ENHMETADC);
  SetMapMode(r.DC, MM_ANISOTROPIC);
  SetWindowExtEx(r.DC, 32767, 32767, nullptr);
  SetViewportExtEx(r.DC, 100, -100, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 3, 0);
  SelectObject(r.DC, pen);
  MoveToEx(r.DC, -5, 7, nullptr);
  LineTo(r.DC, 12345, -678);
  Rectangle(r.DC, 1, 2, 3, 4);
  const POINT tri[] = {{1, 1}, {9, 1}, {5, 8}};
  Polygon(r.DC, tri, 3);
  SaveDC(r.DC);
  RestoreDC(r.DC, -1);
  SelectObject(r.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  const std::vector<std::string> expected = {
      "SetMapMode 8 (was 1)", "SetWindowExtEx 32767 32767", "SelectObject pen", "MoveToEx -5 7",
      "LineTo 12345 -678",    "Rectangle 1 2 3 4",          "Polygon 3 1 8",    "SaveDC",
      "RestoreDC -1",         "SelectObject pen",           "DeleteObject pen"};
  EXPECT_EQ(r.Log, expected);
}

TEST(Recorder, TextArrivesAsExtTextOutWithLogicalAdvancesSummingToTheExtent) {
  RecordingDC r;
  SetMapMode(r.DC, MM_ANISOTROPIC);
  SetWindowExtEx(r.DC, 3, 3, nullptr);
  SetViewportExtEx(r.DC, 1, 1, nullptr);
  HFONT font = CreateFontW(-60, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
  HGDIOBJ old = SelectObject(r.DC, font);
  r.Log.clear();
  ASSERT_TRUE(TextOutW(r.DC, 10, 20, u"Record me", 9));
  SIZE extent{};
  ASSERT_TRUE(GetTextExtentPoint32W(r.DC, u"Record me", 9, &extent));
  ASSERT_EQ(r.Log.size(), 1u);
  EXPECT_EQ(r.Log[0], "ExtTextOutW 10 20 0 9 " + std::to_string(extent.cx));
  EXPECT_EQ(r.Recorder->Text, u"Record me");
  SelectObject(r.DC, old);
  DeleteObject(font);
}

TEST(Recorder, DrawTextRecordsEachLineAtItsTopLeftWhateverTheTextAlignment) {
  RecordingDC r;
  SetTextAlign(r.DC, TA_BASELINE | TA_CENTER);
  r.Log.clear();
  RECT box{0, 0, 400, 100};
  ASSERT_GT(DrawTextW(r.DC, u"two\nlines", -1, &box, 0), 0);
  ASSERT_EQ(r.Log.size(), 4u);
  EXPECT_EQ(r.Log[0], "SetTextAlign 0");
  EXPECT_EQ(r.Log[1].rfind("ExtTextOutW 0 0 4 3 ", 0), 0u) << r.Log[1];
  EXPECT_EQ(r.Log[2].rfind("ExtTextOutW 0 ", 0), 0u) << r.Log[2];
  EXPECT_EQ(r.Log[3], "SetTextAlign " + std::to_string(TA_BASELINE | TA_CENTER));
  EXPECT_EQ(GetTextAlign(r.DC), TA_BASELINE | TA_CENTER);
}

TEST(Recorder, CallsThatFailTheirChecksAreNotRecorded) {
  RecordingDC r;
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  DeleteObject(pen);
  r.Log.clear();
  EXPECT_EQ(SelectObject(r.DC, pen), nullptr);
  EXPECT_EQ(SetMapMode(r.DC, 42), 0);
  EXPECT_FALSE(Polygon(r.DC, nullptr, 3));
  EXPECT_TRUE(r.Log.empty());
}

TEST(Recorder, ADCWithoutSurfaceStillKeepsStateAndMeasures) {
  RecordingDC r;
  EXPECT_EQ(GetDeviceCaps(r.DC, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(r.DC, LOGPIXELSX), 96);
  EXPECT_TRUE(Ellipse(r.DC, 0, 0, 100, 100));
  EXPECT_EQ(GetPixel(r.DC, 5, 5), CLR_INVALID);
  EXPECT_EQ(RasterPixels(r.DC, nullptr, nullptr, nullptr), nullptr);
  RECT box{};
  EXPECT_EQ(GetClipBox(r.DC, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 800, 600}));
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32W(r.DC, u"abc", 3, &size));
  EXPECT_GT(size.cx, 0);
  // Bitmaps cannot be selected into it.
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);
  EXPECT_EQ(SelectObject(r.DC, bitmap), nullptr);
  DeleteObject(bitmap);
}

}  // namespace
}  // namespace vx::plat
