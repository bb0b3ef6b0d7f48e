#include "examples/vxgallery/gallery_print.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "tests/printers/pdf_reader.h"

namespace vx::gallery {
namespace {

namespace fs = std::filesystem;
using vx::plat::testing::PdfFile;
using vx::plat::testing::PdfImage;

constexpr int kDpi = 300;

int Px(double mm) { return static_cast<int>(std::lround(mm * kDpi / 25.4)); }

// The longest run of black pixels in a row, as a length in millimetres.
double BlackRunMM(const PdfImage& image, int row) {
  int best = 0, run = 0;
  for (int x = 0; x < image.Width; ++x) {
    run = image.Pixel(x, row) == 0 ? run + 1 : 0;
    best = std::max(best, run);
  }
  return best * 25.4 / kDpi;
}

class GalleryPrint : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx-gallery-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Folder = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
  fs::path Folder;
};

// A scene with ink all over: a grid of filled squares.
const PrintScene kCheckerScene{600, 600, [](vx::plat::HDC dc) {
                                 using namespace vx::plat;
                                 HBRUSH ink = CreateSolidBrush(RGB(0, 0, 128));
                                 for (int y = 0; y < 600; y += 20)
                                   for (int x = (y / 20) % 2 * 10; x < 600; x += 20) {
                                     const RECT cell{x, y, x + 10, y + 10};
                                     FillRect(dc, &cell, ink);
                                   }
                                 DeleteObject(ink);
                               }};

TEST_F(GalleryPrint, TwoA4PagesWithAHundredMillimetreRuler) {
  const std::string out = (Folder / "gallery.pdf").string();
  ASSERT_EQ(RunPrint({out}, kCheckerScene), 0);
  PdfFile pdf(out);
  ASSERT_TRUE(pdf.Ok());
  ASSERT_EQ(pdf.Pages().size(), 2u);
  for (const auto& page : pdf.Pages()) {
    EXPECT_NEAR(page.MediaWidth, 595.28, 0.005);
    EXPECT_NEAR(page.MediaHeight, 841.89, 0.005);
    const int row = Px(kRulerTopMM + kRulerBarMM / 2);
    EXPECT_NEAR(BlackRunMM(page.Image, row), kRulerLengthMM, 0.1);
    // Something of the scene is printed between the title and the ruler.
    int inked = 0;
    for (int y = Px(kPrintSceneTopMM); y < Px(kRulerTopMM - 5); y += 7)
      for (int x = Px(kPrintMarginMM); x < Px(180); x += 7) inked += page.Image.Pixel(x, y) != 0xFFFFFF;
    EXPECT_GT(inked, 500);
  }
}

TEST_F(GalleryPrint, SceneIsSplitInHalvesAtTrueSize) {
  // 200 x 100 screen pixels: red left half, blue right half.
  const PrintScene scene{200, 100, [](vx::plat::HDC dc) {
                           using namespace vx::plat;
                           HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
                           const RECT left{0, 0, 100, 100}, right{100, 0, 200, 100};
                           FillRect(dc, &left, red);
                           FillRect(dc, &right, blue);
                           DeleteObject(red);
                           DeleteObject(blue);
                         }};
  const std::string out = (Folder / "halves.pdf").string();
  ASSERT_EQ(RunPrint({out}, scene), 0);
  PdfFile pdf(out);
  ASSERT_TRUE(pdf.Ok());
  ASSERT_EQ(pdf.Pages().size(), 2u);
  const int row = Px(kPrintSceneTopMM) + 100;
  const std::uint32_t expected[] = {0xFF0000, 0x0000FF};
  for (int p = 0; p < 2; ++p) {
    SCOPED_TRACE(p);
    const PdfImage& image = pdf.Pages()[p].Image;
    int first = -1, count = 0;
    for (int x = 0; x < image.Width; ++x)
      if (image.Pixel(x, row) == expected[p]) {
        if (first < 0) first = x;
        ++count;
      }
    EXPECT_NEAR(first, Px(kPrintMarginMM), 1);
    // 100 screen pixels are 100/96 inch.
    EXPECT_NEAR(count * 25.4 / kDpi, 100 * 25.4 / 96, 25.4 / kDpi + 0.01);
    EXPECT_NE(image.Pixel(Px(kPrintMarginMM) + 5, row), expected[1 - p]) << "the other half is clipped away";
  }
}

TEST_F(GalleryPrint, WrongArgumentsGiveTheUsageCode) {
  EXPECT_EQ(RunPrint({}, kCheckerScene), 2);
  EXPECT_EQ(RunPrint({"a.pdf", "b.pdf"}, kCheckerScene), 2);
}

}  // namespace
}  // namespace vx::gallery
