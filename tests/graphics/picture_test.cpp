// Icons, JPEG images and TPicture: loading by file type and by content,
// drawing, stream images embedded in larger streams, and damaged files that
// raise EInvalidGraphic and leave the picture as it was.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/core/stream.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/ico.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

namespace vx::plat {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = fs::temp_directory_path() / (std::string("vx_picture_") + info->name() + "_" + std::to_string(::getpid()));
    fs::create_directories(FPath);
  }
  ~TempFolder() { fs::remove_all(FPath); }
  std::string operator/(const std::string& name) const { return (FPath / name).string(); }

private:
  fs::path FPath;
};

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// 8 x 8: left half red, right half blue (blocks a JPEG keeps nearly exact).
imaging::Image TwoColourImage() {
  imaging::Image image(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      image.SetPixel(x, y, x < 8 ? imaging::MakePixel(255, 0, 0) : imaging::MakePixel(0, 0, 255));
  return image;
}

// A 4 x 4 icon: a red square whose left column is transparent.
imaging::IconFile SmallIcon() {
  imaging::IconFile file;
  imaging::IconImage image;
  image.Color = imaging::Image(4, 4, imaging::MakePixel(255, 0, 0));
  image.Mask.assign(16, 0);
  for (int y = 0; y < 4; ++y) {
    image.Mask[std::size_t(y) * 4] = 1;
    image.Color.SetPixel(0, y, imaging::MakePixel(0, 0, 0));
  }
  image.BitDepth = 24;
  file.Images.push_back(image);
  return file;
}

bool Near(TColor a, TColor b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// A green sheet to draw on.
struct Sheet {
  TBitmap bitmap;
  Sheet(int w, int h) : bitmap(w, h) {
    bitmap.GetCanvas().GetBrush().SetColor(clGreen);
    bitmap.GetCanvas().FillRect(Rect(0, 0, w, h));
  }
};

TEST(Icon, LoadsDrawsThroughItsMaskAndKeepsItsBytes) {
  const auto bytes = imaging::WriteIco(SmallIcon());
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  stream.WriteValue<std::int32_t>(77);  // data after the icon
  stream.SetPosition(0);

  TIcon icon;
  EXPECT_TRUE(icon.GetTransparent());
  icon.LoadFromStream(stream);
  EXPECT_EQ(stream.ReadValue<std::int32_t>(), 77);
  EXPECT_EQ(icon.GetWidth(), 4);
  EXPECT_EQ(icon.GetHeight(), 4);

  Sheet sheet(8, 8);
  sheet.bitmap.GetCanvas().StretchDraw(Rect(0, 0, 8, 8), &icon);
  EXPECT_EQ(sheet.bitmap.GetPixel(0, 0), clGreen);  // transparent column, doubled
  EXPECT_EQ(sheet.bitmap.GetPixel(1, 7), clGreen);
  EXPECT_EQ(sheet.bitmap.GetPixel(2, 0), clRed);
  EXPECT_EQ(sheet.bitmap.GetPixel(7, 7), clRed);

  icon.SetTransparent(false);
  sheet.bitmap.GetCanvas().Draw(0, 0, &icon);
  EXPECT_EQ(sheet.bitmap.GetPixel(0, 0), clBlack);  // the colour image as it is

  TMemoryStream saved;
  icon.SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), bytes);

  auto mask = icon.CreateMaskBitmap();
  auto color = icon.CreateColorBitmap();
  ASSERT_TRUE(mask && color);
  EXPECT_TRUE(mask->GetMonochrome());
  EXPECT_EQ(mask->GetPixel(0, 2), clWhite);
  EXPECT_EQ(mask->GetPixel(1, 2), clBlack);
  EXPECT_EQ(color->GetPixel(3, 3), clRed);

  TBitmap asBitmap;
  asBitmap.Assign(&icon);  // drawn onto white with its mask
  icon.SetTransparent(true);
  asBitmap.Assign(&icon);
  EXPECT_EQ(asBitmap.GetPixel(0, 0), clWhite);
  EXPECT_EQ(asBitmap.GetPixel(3, 0), clRed);
}

TEST(JPEGImage, LoadsDecodesDrawsAndWritesItsOriginalBytes) {
  const auto bytes = imaging::WriteJpeg(TwoColourImage());
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  stream.WriteValue<std::int32_t>(99);
  stream.SetPosition(0);

  TJPEGImage jpeg;
  jpeg.LoadFromStream(stream);
  EXPECT_EQ(stream.ReadValue<std::int32_t>(), 99);
  EXPECT_EQ(jpeg.GetWidth(), 16);
  EXPECT_EQ(jpeg.GetHeight(), 16);
  EXPECT_THROW(jpeg.SetWidth(3), EInvalidGraphic);

  Sheet sheet(32, 16);
  sheet.bitmap.GetCanvas().StretchDraw(Rect(0, 0, 32, 16), &jpeg);
  EXPECT_TRUE(Near(sheet.bitmap.GetPixel(4, 8), clRed, 24));
  EXPECT_TRUE(Near(sheet.bitmap.GetPixel(28, 8), clBlue, 24));

  jpeg.SetCompressionQuality(10);  // no recompression while unchanged
  TMemoryStream saved;
  jpeg.SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), bytes);

  TBitmap decoded;
  decoded.Assign(&jpeg);
  EXPECT_EQ(decoded.GetWidth(), 16);
  EXPECT_TRUE(Near(decoded.GetPixel(2, 2), clRed, 24));

  TJPEGImage fromBitmap;
  fromBitmap.Assign(&decoded);
  TMemoryStream compressed;
  fromBitmap.SaveToStream(compressed);
  EXPECT_EQ(compressed.Memory()[0], 0xFF);
  EXPECT_EQ(compressed.Memory()[1], 0xD8);
  compressed.SetPosition(0);
  TJPEGImage reread;
  reread.LoadFromStream(compressed);
  EXPECT_EQ(reread.GetWidth(), 16);

  TJPEGImage empty;
  EXPECT_TRUE(empty.GetEmpty());
  EXPECT_THROW(empty.SaveToStream(saved), EInvalidGraphic);
}

// One file written for the picture to load, and the class it must become.
struct LoadCase {
  const char* fileName;
  std::vector<std::uint8_t> (*bytes)();
  const TGraphic::MetaClass& (*expected)();
  friend void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.fileName; }
};

std::vector<std::uint8_t> BmpBytes() { return imaging::WriteBmp(TwoColourImage(), imaging::TBmpDepth::bd24); }
std::vector<std::uint8_t> PngBytes() { return imaging::WritePng(TwoColourImage()); }
std::vector<std::uint8_t> JpegBytes() { return imaging::WriteJpeg(TwoColourImage()); }
std::vector<std::uint8_t> IcoBytes() { return imaging::WriteIco(SmallIcon()); }

const TGraphic::MetaClass& BitmapClass() { return TBitmap::StaticClass(); }
const TGraphic::MetaClass& IconClass() { return TIcon::StaticClass(); }
const TGraphic::MetaClass& JpegClass() { return TJPEGImage::StaticClass(); }

class PictureLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(PictureLoad, FindsTheGraphicClassByContentThenByExtension) {
  TempFolder folder;
  const auto& c = GetParam();
  const std::string path = folder / c.fileName;
  WriteFile(path, c.bytes());
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.LoadFromFile(path);
  ASSERT_NE(picture.GetGraphic(), nullptr);
  EXPECT_EQ(&picture.GetGraphic()->ClassType(), &c.expected());
  EXPECT_GT(picture.GetWidth(), 0);
  EXPECT_EQ(changes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureLoad,
    ::testing::Values(LoadCase{"a.bmp", BmpBytes, BitmapClass}, LoadCase{"a.png", PngBytes, BitmapClass},
                      LoadCase{"a.jpg", JpegBytes, JpegClass}, LoadCase{"a.JPEG", JpegBytes, JpegClass},
                      LoadCase{"a.ico", IcoBytes, IconClass},
                      LoadCase{"photo.bmp", JpegBytes, JpegClass},    // misnamed: the content decides
                      LoadCase{"no_extension", BmpBytes, BitmapClass},
                      LoadCase{"icon.dat", IcoBytes, IconClass}),
    [](const auto& info) {
      std::string n = info.param.fileName;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(Picture, DamagedOrUnknownFilesRaiseAndLeaveThePictureAsItWas) {
  TempFolder folder;
  const auto bmp = BmpBytes();
  const auto jpeg = JpegBytes();
  const auto ico = IcoBytes();
  struct Case {
    std::string name;
    std::vector<std::uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"truncated.bmp", {bmp.begin(), bmp.begin() + 60}},
      {"truncated.jpg", {jpeg.begin(), jpeg.begin() + std::ptrdiff_t(jpeg.size() / 2)}},
      {"truncated.ico", {ico.begin(), ico.begin() + 30}},
      {"garbage.bmp", std::vector<std::uint8_t>(100, 0x5A)},
      {"garbage.xyz", std::vector<std::uint8_t>(100, 0x5A)},
      {"empty.png", {}},
  };
  for (const auto& c : cases) {
    WriteFile(folder / c.name, c.bytes);
    TPicture picture;
    picture.GetBitmap().SetSize(3, 2);
    const TGraphic* before = picture.GetGraphic();
    EXPECT_THROW(picture.LoadFromFile(folder / c.name), EInvalidGraphic) << c.name;
    EXPECT_EQ(picture.GetGraphic(), before) << c.name;
    EXPECT_EQ(picture.GetWidth(), 3) << c.name;
  }
  TPicture picture;
  EXPECT_THROW(picture.LoadFromFile(folder / "missing.bmp"), EFOpenError);
}

TEST(Picture, HoldsCopiesAndForcesItsGraphicType) {
  TPicture picture;
  EXPECT_EQ(picture.GetGraphic(), nullptr);
  EXPECT_EQ(picture.GetWidth(), 0);

  TBitmap bitmap(5, 4);
  picture.SetGraphic(&bitmap);
  ASSERT_NE(picture.GetGraphic(), nullptr);
  EXPECT_NE(picture.GetGraphic(), &bitmap);
  EXPECT_EQ(picture.GetWidth(), 5);
  EXPECT_EQ(picture.GetHeight(), 4);

  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.GetBitmap().SetPixel(0, 0, clRed);  // a change of the graphic is a change of the picture
  EXPECT_EQ(changes, 1);

  TPicture other;
  other.Assign(&picture);
  EXPECT_EQ(other.GetBitmap().GetPixel(0, 0), clRed);
  EXPECT_NE(other.GetGraphic(), picture.GetGraphic());

  TIcon& icon = picture.GetIcon();  // replaces the bitmap by an empty icon
  EXPECT_TRUE(icon.GetEmpty());
  EXPECT_EQ(picture.GetWidth(), 0);
  EXPECT_EQ(&picture.GetIcon(), &icon);  // already an icon: kept
  EXPECT_TRUE(picture.GetMetafile().GetEmpty());
  EXPECT_TRUE(picture.GetGraphic()->Is<TMetafile>());

  TBitmap target;
  target.Assign(&other);  // a picture assigns its graphic
  EXPECT_EQ(target.GetWidth(), 5);

  picture.Assign(nullptr);
  EXPECT_EQ(picture.GetGraphic(), nullptr);
}

TEST(Picture, StreamLoadingRecognisesTheContent) {
  TMemoryStream stream;
  const auto ico = IcoBytes();
  const auto bmp = BmpBytes();
  stream.WriteBuffer(ico.data(), std::int64_t(ico.size()));
  stream.WriteBuffer(bmp.data(), std::int64_t(bmp.size()));
  stream.SetPosition(0);
  TPicture first, second;
  first.LoadFromStream(stream);
  second.LoadFromStream(stream);
  EXPECT_TRUE(first.GetGraphic()->Is<TIcon>());
  EXPECT_TRUE(second.GetGraphic()->Is<TBitmap>());
  EXPECT_EQ(stream.Remaining(), 0);

  TMemoryStream unknown;
  unknown.WriteValue<std::int64_t>(0);
  unknown.SetPosition(0);
  EXPECT_THROW(first.LoadFromStream(unknown), EInvalidGraphic);
  EXPECT_TRUE(first.GetGraphic()->Is<TIcon>());
}

TEST(Picture, FormDataRoundTripNamesTheGraphicClass) {
  TPicture picture;
  picture.GetBitmap().SetSize(2, 3);
  picture.GetBitmap().SetPixel(1, 2, clBlue);
  TMemoryStream stream;
  picture.WriteData(stream);
  TPicture empty;
  empty.WriteData(stream);
  EXPECT_EQ(stream.Memory()[0], 7);  // "TBitmap"

  stream.SetPosition(0);
  TPicture copy, none;
  none.GetBitmap();
  copy.ReadData(stream);
  none.ReadData(stream);
  EXPECT_EQ(copy.GetBitmap().GetPixel(1, 2), clBlue);
  EXPECT_EQ(none.GetGraphic(), nullptr);

  TMemoryStream bad;
  bad.WriteValue<std::uint8_t>(7);
  bad.WriteBuffer("TCanvas", 7);
  bad.SetPosition(0);
  EXPECT_THROW(copy.ReadData(bad), EInvalidGraphic);
}

TEST(Picture, SaveToFileWritesTheGraphicsOwnFormat) {
  TempFolder folder;
  TPicture picture;
  picture.GetBitmap().SetSize(3, 3);
  picture.GetBitmap().SetPixel(1, 1, clRed);
  picture.SaveToFile(folder / "out.bmp");
  TPicture back;
  back.LoadFromFile(folder / "out.bmp");
  ASSERT_TRUE(back.GetGraphic()->Is<TBitmap>());
  EXPECT_EQ(back.GetBitmap().GetPixel(1, 1), clRed);
}

// A graphic class of a test, registered for its own extension and content.
class TTestGraphic : public TBitmap {
  VX_DECLARE_CLASS(TTestGraphic)
};
VX_DEFINE_CLASS(TTestGraphic, TBitmap)

TEST(GraphicRegistry, LaterRegistrationsAreFoundByExtensionAndContent) {
  EXPECT_EQ(GraphicClassForExtension(".BMP"), &TBitmap::StaticClass());
  EXPECT_EQ(GraphicClassForExtension("xyz"), nullptr);
  const std::uint8_t magic[] = {'T', 'E', 'S', 'T'};
  EXPECT_EQ(GraphicClassForContent(magic), nullptr);

  RegisterFileFormat(".tst", u"Test pictures", TTestGraphic::StaticClass(),
                     [](std::span<const std::uint8_t> head) { return head.size() >= 4 && head[0] == 'T'; });
  EXPECT_EQ(GraphicClassForExtension("TST"), &TTestGraphic::StaticClass());
  EXPECT_EQ(GraphicClassForContent(magic), &TTestGraphic::StaticClass());
  const String filter = GraphicFilter(TBitmap::StaticClass());
  EXPECT_NE(filter.find(u"Test pictures (*.tst)|*.tst"), String::npos);
  EXPECT_EQ(filter.rfind(u"All (*.bmp;*.png;", 0), 0u);
  EXPECT_EQ(GraphicFilter(TIcon::StaticClass()), u"All (*.ico)|*.ico|Icons (*.ico)|*.ico");

  UnregisterGraphicClass(TTestGraphic::StaticClass());
  EXPECT_EQ(GraphicClassForExtension("tst"), nullptr);
  EXPECT_EQ(FileExtension("/a.b/c"), "");
  EXPECT_EQ(FileExtension("x.Tar.GZ"), "gz");
}

}  // namespace
}  // namespace vx::plat
