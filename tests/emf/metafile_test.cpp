// TMetafile and TMetafileCanvas: recording through a canvas, sizes, stream
// and file images in both formats, copies, drawing, and the picture registry.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/core/stream.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "tests/emf/emf_test_util.h"

namespace vx::plat {
namespace {

using emftest::DcHandle;
using emftest::RasterDc;

// Records a red-filled rectangle and a blue line through a metafile canvas.
void RecordPicture(TMetafile& mf, HDC reference = nullptr) {
  TMetafileCanvas canvas(&mf, reference, u"Vexalith", u"Test");
  canvas.GetBrush().SetColor(0x0000FF);
  canvas.Rectangle(10, 10, 60, 40);
  canvas.GetPen().SetColor(0xFF0000);
  canvas.MoveTo(0, 50);
  canvas.LineTo(80, 50);
}

std::vector<std::uint32_t> Drawn(TMetafile& mf, int width, int height) {
  DcHandle dc = RasterDc(width, height);
  TCanvas canvas;
  canvas.SetHandle(dc.get());
  canvas.Draw(0, 0, &mf);
  canvas.SetHandle(nullptr);
  return emftest::Pixels(dc.get());
}

TEST(TMetafile, CanvasRecordsIntoTheGivenSize) {
  TMetafile mf;
  mf.SetWidth(200);
  mf.SetHeight(100);
  EXPECT_TRUE(mf.GetEmpty());
  RecordPicture(mf);
  ASSERT_FALSE(mf.GetEmpty());
  EXPECT_EQ(mf.GetWidth(), 200);
  EXPECT_EQ(mf.GetHeight(), 100);
  EXPECT_EQ(mf.GetMMWidth(), 5292);  // 200 px at 96 per inch in 0.01 mm
  const ENHMETAHEADER h = emftest::HeaderOf(mf.GetHandle());
  EXPECT_EQ(h.rclFrame, (RECT{0, 0, 5292, 2646}));
  EXPECT_EQ(mf.GetDescription(), std::u16string(u"Vexalith\0Test", 13));
}

TEST(TMetafile, WithoutASizeThePictureIsWhatWasDrawn) {
  TMetafile mf;
  RecordPicture(mf);
  // The bounds hold the line's end point too (bounds may be larger than the ink, never smaller).
  EXPECT_EQ(mf.GetWidth(), 81);   // columns 0..80
  EXPECT_EQ(mf.GetHeight(), 41);  // rows 10..50
}

TEST(TMetafile, CanvasAnswersTheReferenceDevice) {
  DeviceDesc printer;
  printer.Width = 2480;
  printer.Height = 3508;
  printer.DpiX = printer.DpiY = 300;
  printer.Technology = DT_RASPRINTER;
  HDC reference = CreateDeviceDC(printer);
  TMetafile mf;
  {
    TMetafileCanvas canvas(&mf, reference);
    EXPECT_EQ(GetDeviceCaps(canvas.GetHandle(), LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(canvas.GetHandle(), HORZRES), 2480);
    canvas.Rectangle(0, 0, 300, 300);  // one inch on the reference
  }
  DeleteDC(reference);
  EXPECT_EQ(mf.GetWidth(), 96);  // an inch, in 96-per-inch pixels
}

TEST(TMetafile, DrawsAtItsOwnSizeLikeTheCanvasCalls) {
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(60);
  RecordPicture(mf);
  DcHandle direct = RasterDc(100, 60);
  {
    TCanvas canvas;
    canvas.SetHandle(direct.get());
    canvas.GetBrush().SetColor(0x0000FF);
    canvas.Rectangle(10, 10, 60, 40);
    canvas.GetPen().SetColor(0xFF0000);
    canvas.MoveTo(0, 50);
    canvas.LineTo(80, 50);
    canvas.SetHandle(nullptr);
  }
  EXPECT_EQ(Drawn(mf, 100, 60), emftest::Pixels(direct.get()));
}

struct FormatCase {
  const char* Name;
  bool Enhanced;
  std::uint32_t Magic;  // the file image's first four bytes
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.Name; }

class TMetafileStream : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TMetafileStream, ImageReadsBackToTheSamePicture) {
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(60);
  RecordPicture(mf);
  mf.SetEnhanced(GetParam().Enhanced);
  TMemoryStream stream;
  mf.SaveToStream(stream);
  const std::uint32_t tail = 0xC0FFEE;  // data that follow the picture in a larger stream
  stream.WriteValue(tail);
  std::uint32_t magic;
  std::memcpy(&magic, stream.Memory(), 4);
  EXPECT_EQ(magic, GetParam().Magic);

  stream.SetPosition(0);
  TMetafile back;
  back.LoadFromStream(stream);
  EXPECT_EQ(stream.ReadValue<std::uint32_t>(), tail);  // the position ends just after the picture
  EXPECT_EQ(back.GetEnhanced(), GetParam().Enhanced);
  EXPECT_EQ(back.GetWidth(), 100);
  EXPECT_EQ(back.GetHeight(), 60);
  EXPECT_EQ(Drawn(back, 100, 60), Drawn(mf, 100, 60));
}

INSTANTIATE_TEST_SUITE_P(Formats, TMetafileStream,
                         ::testing::Values(FormatCase{"Enhanced", true, EMR_HEADER},
                                           FormatCase{"Placeable", false, WMF_PLACEABLE_KEY}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(TMetafile, FilesAreWrittenWholeAndFoundByContent) {
  const auto dir = std::filesystem::temp_directory_path() / ("vx_tmetafile_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  TMetafile mf;
  RecordPicture(mf);
  const std::string emfName = (dir / "picture.emf").string();
  const std::string wmfName = (dir / "picture.wmf").string();
  const std::string oddName = (dir / "picture.dat").string();
  mf.SaveToFile(emfName);
  mf.SetEnhanced(false);
  mf.SaveToFile(wmfName);
  std::filesystem::copy_file(emfName, oddName);
  for (const std::string& name : {emfName, wmfName, oddName}) {
    TPicture picture;
    picture.LoadFromFile(name);
    auto* loaded = dynamic_cast<TMetafile*>(picture.GetGraphic());
    ASSERT_NE(loaded, nullptr) << name;
    EXPECT_EQ(loaded->GetEnhanced(), name != wmfName) << name;
    EXPECT_EQ(loaded->GetWidth(), mf.GetWidth()) << name;
  }
  EXPECT_EQ(GraphicClassForExtension(".EMF"), &TMetafile::StaticClass());
  EXPECT_EQ(GraphicClassForExtension("wmf"), &TMetafile::StaticClass());
  std::filesystem::remove_all(dir);
}

TEST(TMetafile, AssignCopiesAndClearEmpties) {
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(60);
  RecordPicture(mf);
  mf.SetEnhanced(false);
  TMetafile copy;
  copy.Assign(&mf);
  EXPECT_NE(copy.GetHandle(), mf.GetHandle());
  EXPECT_EQ(emftest::BytesOf(copy.GetHandle()), emftest::BytesOf(mf.GetHandle()));
  EXPECT_FALSE(copy.GetEnhanced());
  EXPECT_EQ(copy.GetWidth(), 100);
  mf.Clear();
  EXPECT_TRUE(mf.GetEmpty());
  EXPECT_EQ(mf.GetWidth(), 0);
  EXPECT_FALSE(copy.GetEmpty());  // the copy owns its own picture
  TMemoryStream stream;
  EXPECT_THROW(mf.SaveToStream(stream), EInvalidGraphic);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
}

TEST(TMetafile, APictureDrawnIntoAnotherRecordingPlaysTheSame) {
  TMetafile inner;
  inner.SetWidth(100);
  inner.SetHeight(60);
  RecordPicture(inner);
  TMetafile outer;
  outer.SetWidth(100);
  outer.SetHeight(60);
  {
    TMetafileCanvas canvas(&outer, nullptr);
    canvas.Draw(0, 0, &inner);  // the playback itself is recorded, bracketed by save and restore
  }
  EXPECT_EQ(Drawn(outer, 100, 60), Drawn(inner, 100, 60));
}

TEST(TMetafile, SizeRoundTripsBetweenPixelsAndHundredthsOfAMillimetre) {
  TMetafile mf;
  for (int px : {0, 1, 33, 96, 1000, 12345}) {
    mf.SetWidth(px);
    EXPECT_EQ(mf.GetWidth(), px);
  }
  mf.SetMMHeight(2540);  // an inch
  EXPECT_EQ(mf.GetHeight(), 96);
}

TEST(TMetafile, ChangesAreAnnounced) {
  int count = 0;
  TMetafile mf;
  mf.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &mf);
    ++count;
  };
  mf.SetWidth(10);
  RecordPicture(mf);
  mf.Clear();
  EXPECT_EQ(count, 3);
}

}  // namespace
}  // namespace vx::plat
