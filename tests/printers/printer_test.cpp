#include "platform/printers/printers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/graphics/canvas.h"
#include "platform/imaging/png.h"
#include "tests/printers/pdf_reader.h"

namespace vx::plat {
namespace {

namespace fs = std::filesystem;
using testing::PdfFile;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PrinterTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx-printer-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Folder = pattern;
    // A low resolution keeps the pages small; the checks scale with it.
    Printer.SetResolution(50);
    Printer.SetFileName((Folder / "out.pdf").string());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path Folder;
  TPrinter Printer;
};

// A filled rectangle in the canvas's brush colour, in device pixels.
void Block(TCanvas& canvas, TColor colour, const TRect& r) {
  canvas.GetBrush().SetColor(colour);
  canvas.FillRect(r);
}

TEST_F(PrinterTest, WritesAValidMultiPagePdf) {
  Printer.SetTitle(u"Plan \u00C4 (1)");
  Printer.BeginDoc();
  EXPECT_TRUE(Printer.GetPrinting());
  EXPECT_EQ(Printer.GetPageNumber(), 1);
  Block(*Printer.GetCanvas(), clRed, TRect{10, 20, 30, 40});
  Printer.NewPage();
  EXPECT_EQ(Printer.GetPageNumber(), 2);
  Block(*Printer.GetCanvas(), clBlue, TRect{100, 200, 120, 220});
  Printer.NewPage();
  Printer.EndDoc();
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_EQ(Printer.GetPageNumber(), 3);

  PdfFile pdf((Folder / "out.pdf").string());
  ASSERT_TRUE(pdf.Ok());
  EXPECT_EQ(pdf.DeclaredPageCount(), 3);
  ASSERT_EQ(pdf.Pages().size(), 3u);
  for (const auto& page : pdf.Pages()) {
    EXPECT_NEAR(page.MediaWidth, 595.28, 0.005);
    EXPECT_NEAR(page.MediaHeight, 841.89, 0.005);
    EXPECT_EQ(page.Image.Width, Printer.GetPageWidth());
    EXPECT_EQ(page.Image.Height, Printer.GetPageHeight());
    EXPECT_NE(page.Contents.find("/Im1 Do"), std::string::npos);
  }
  struct Probe {
    int Page, X, Y;
    std::uint32_t Rgb;
  };
  const Probe probes[] = {
      {0, 10, 20, 0xFF0000}, {0, 29, 39, 0xFF0000}, {0, 30, 40, 0xFFFFFF}, {0, 100, 200, 0xFFFFFF},
      {1, 100, 200, 0x0000FF}, {1, 10, 20, 0xFFFFFF}, {2, 100, 200, 0xFFFFFF}, {2, 10, 20, 0xFFFFFF},
  };
  for (const Probe& p : probes)
    EXPECT_EQ(pdf.Pages()[p.Page].Image.Pixel(p.X, p.Y), p.Rgb) << "page " << p.Page + 1 << " at " << p.X << "," << p.Y;
  EXPECT_NE(pdf.Object(pdf.InfoObject()).find("/Title <FEFF0050006C0061006E002000C40020002800310029>"),
            std::string::npos);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"out.pdf"}) << "no temporary file left";
}

TEST_F(PrinterTest, PageImageCoversTheSheetAtItsTrueSize) {
  Printer.BeginDoc();
  Printer.EndDoc();
  PdfFile pdf((Folder / "out.pdf").string());
  ASSERT_TRUE(pdf.Ok());
  // "q W 0 0 H 0 Y cm": the raster at 72/dpi points per pixel, its top on the sheet's top.
  const std::string& c = pdf.Pages()[0].Contents;
  double w = 0, h = 0, y = 0;
  ASSERT_EQ(std::sscanf(c.c_str(), "q %lf 0 0 %lf 0 %lf cm", &w, &h, &y), 3) << c;
  EXPECT_NEAR(w, Printer.GetPageWidth() * 72.0 / 50, 1e-3);
  EXPECT_NEAR(h, Printer.GetPageHeight() * 72.0 / 50, 1e-3);
  EXPECT_NEAR(y + h, 841.89, 0.01);
}

TEST_F(PrinterTest, LandscapeSwapsPageAndMediaBox) {
  const int portraitWidth = Printer.GetPageWidth(), portraitHeight = Printer.GetPageHeight();
  Printer.SetOrientation(poLandscape);
  EXPECT_EQ(Printer.GetPageWidth(), portraitHeight);
  EXPECT_EQ(Printer.GetPageHeight(), portraitWidth);
  Printer.BeginDoc();
  HDC dc = Printer.GetHandle();
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), portraitHeight);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), portraitWidth);
  EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 297);
  EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), 210);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  Printer.EndDoc();
  PdfFile pdf((Folder / "out.pdf").string());
  ASSERT_TRUE(pdf.Ok());
  EXPECT_NEAR(pdf.Pages()[0].MediaWidth, 841.89, 0.005);
  EXPECT_NEAR(pdf.Pages()[0].MediaHeight, 595.28, 0.005);
  EXPECT_EQ(pdf.Pages()[0].Image.Width, portraitHeight);
}

TEST_F(PrinterTest, HundredMillimetreLineIsHundredMillimetresOnPaper) {
  for (int dpi : {72, 150, 300}) {
    SCOPED_TRACE(dpi);
    Printer.SetResolution(dpi);
    Printer.BeginDoc();
    TCanvas& canvas = *Printer.GetCanvas();
    HDC dc = canvas.GetHandle();
    // The printer's pixels per millimetre, as the library computes them.
    const double pixPerMM = double(GetDeviceCaps(dc, HORZRES)) / GetDeviceCaps(dc, HORZSIZE);
    EXPECT_NEAR(pixPerMM, dpi / 25.4, 0.01);
    SetMapMode(dc, MM_LOMETRIC);  // 0.1 mm units from the device's physical size
    canvas.MoveTo(100, -500);
    canvas.LineTo(1100, -500);  // 100 mm; the end point is excluded
    const int row = static_cast<int>(std::lround(50 * dpi / 25.4));
    int w = 0, h = 0, stride = 0;
    const std::uint32_t* px = RasterPixels(dc, &w, &h, &stride);
    ASSERT_NE(px, nullptr);
    int black = 0;
    for (int x = 0; x < w; ++x) black += px[static_cast<std::ptrdiff_t>(row) * stride + x] == 0;
    Printer.EndDoc();
    EXPECT_NEAR(black, 100 * dpi / 25.4, 1.0);

    PdfFile pdf((Folder / "out.pdf").string());
    ASSERT_TRUE(pdf.Ok());
    const auto& image = pdf.Pages()[0].Image;
    int inPdf = 0;
    for (int x = 0; x < image.Width; ++x) inPdf += image.Pixel(x, row) == 0;
    // Width on paper: pixels times the image's points per pixel, in mm.
    double scale = 0;
    ASSERT_EQ(std::sscanf(pdf.Pages()[0].Contents.c_str(), "q %lf", &scale), 1);
    EXPECT_NEAR(inPdf * (scale / image.Width) * 25.4 / 72, 100.0, 25.4 / dpi + 0.01);
  }
}

TEST_F(PrinterTest, AbortWritesNothingAndKeepsAnOldFile) {
  Printer.BeginDoc();
  Block(*Printer.GetCanvas(), clRed, TRect{0, 0, 50, 50});
  Printer.Abort();
  EXPECT_TRUE(Printer.GetAborted());
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_TRUE(FolderEntries().empty());

  {
    std::ofstream old(Folder / "out.pdf", std::ios::binary);
    old << "the previous print";
  }
  Printer.BeginDoc();
  EXPECT_FALSE(Printer.GetAborted()) << "a new job clears the abort";
  Printer.NewPage();
  Printer.Abort();
  EXPECT_EQ(ReadText(Folder / "out.pdf"), "the previous print");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"out.pdf"});
}

TEST_F(PrinterTest, MisuseRaisesClearErrors) {
  auto message = [](auto&& f) -> std::string {
    try {
      f();
    } catch (const EPrinter& e) {
      return e.Message();
    }
    return "(no error)";
  };
  EXPECT_EQ(message([&] { Printer.EndDoc(); }), "Printer is not printing");
  EXPECT_EQ(message([&] { Printer.NewPage(); }), "Printer is not printing");
  EXPECT_EQ(message([&] { Printer.Abort(); }), "Printer is not printing");
  EXPECT_EQ(message([&] { Printer.GetCanvas()->LineTo(5, 5); }), "Printer is not printing");
  EXPECT_NE(message([&] { Printer.SetResolution(5000); }), "(no error)");
  EXPECT_NE(message([&] { Printer.SetPaperSizeMM(0, 297); }), "(no error)");
  EXPECT_NE(message([&] { Printer.SetPaperSizeMM(210, std::nan("")); }), "(no error)");
  EXPECT_NE(message([&] { Printer.SetPrinterIndex(2); }), "(no error)");

  Printer.BeginDoc();
  for (auto f : std::vector<std::function<void()>>{
           [&] { Printer.BeginDoc(); }, [&] { Printer.SetOrientation(poLandscape); },
           [&] { Printer.SetResolution(100); }, [&] { Printer.SetPaperSizeMM(100, 100); },
           [&] { Printer.SetPrinterIndex(1); }, [&] { Printer.SetFileName("other.pdf"); }})
    EXPECT_EQ(message(f), "Printing in progress");
  Printer.EndDoc();

  TPrinter unnamed;
  EXPECT_EQ(message([&] { unnamed.BeginDoc(); }), "No output file name set for printer \"PDF\"");
  EXPECT_FALSE(unnamed.GetPrinting());
  TPrinter huge;
  huge.SetFileName((Folder / "huge.pdf").string());
  huge.SetPaperSizeMM(5000, 5000);
  huge.SetResolution(2400);
  EXPECT_NE(message([&] { huge.BeginDoc(); }).find("too large"), std::string::npos);
  EXPECT_FALSE(huge.GetPrinting());
}

TEST_F(PrinterTest, FailedWriteEndsTheJobWithoutAFile) {
  Printer.SetFileName((Folder / "missing-folder" / "out.pdf").string());
  Printer.BeginDoc();
  EXPECT_THROW(Printer.EndDoc(), Exception);
  EXPECT_FALSE(Printer.GetPrinting());
  EXPECT_TRUE(FolderEntries().empty());
  Printer.SetFileName((Folder / "out.pdf").string());
  Printer.BeginDoc();  // the printer is usable again
  Printer.EndDoc();
  EXPECT_TRUE(fs::exists(Folder / "out.pdf"));
}

TEST_F(PrinterTest, NewPageIsWhiteAndKeepsTheDeviceContextState) {
  Printer.BeginDoc();
  HDC dc = Printer.GetHandle();
  SetMapMode(dc, MM_LOMETRIC);
  IntersectClipRect(dc, 0, 0, 500, -500);
  Block(*Printer.GetCanvas(), clGreen, TRect{0, 0, 1000, -1000});
  Printer.NewPage();
  EXPECT_EQ(Printer.GetHandle(), dc);
  EXPECT_EQ(GetMapMode(dc), MM_LOMETRIC);
  EXPECT_EQ(GetPixel(dc, 100, -100), COLORREF(0xFFFFFF));
  Printer.EndDoc();
  PdfFile pdf((Folder / "out.pdf").string());
  ASSERT_TRUE(pdf.Ok());
  const int inside = static_cast<int>(std::lround(25 * 50 / 25.4));   // 25 mm: inside the clip
  const int outside = static_cast<int>(std::lround(75 * 50 / 25.4));  // 75 mm: clipped away
  EXPECT_EQ(pdf.Pages()[0].Image.Pixel(inside, inside), 0x008000u);
  EXPECT_EQ(pdf.Pages()[0].Image.Pixel(outside, outside), 0xFFFFFFu);
  EXPECT_EQ(pdf.Pages()[1].Image.Pixel(inside, inside), 0xFFFFFFu);
}

TEST_F(PrinterTest, CanvasFontFollowsThePrinterResolution) {
  Printer.SetResolution(200);
  Printer.BeginDoc();
  EXPECT_EQ(Printer.GetCanvas()->GetFont().GetPixelsPerInch(), 200);
  Printer.Abort();
}

TEST_F(PrinterTest, PngPrinterWritesOneNumberedFilePerPage) {
  EXPECT_EQ(Printer.Printers(), (std::vector<String>{u"PDF", u"PNG"}));
  Printer.SetPrinterIndex(1);
  EXPECT_EQ(Printer.GetOutput(), TPrinterOutput::PNG);
  Printer.SetFileName((Folder / "sheet.png").string());
  Printer.BeginDoc();
  Block(*Printer.GetCanvas(), clRed, TRect{5, 5, 10, 10});
  Printer.NewPage();
  Block(*Printer.GetCanvas(), clBlue, TRect{5, 5, 10, 10});
  Printer.EndDoc();
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"sheet-1.png", "sheet-2.png"}));
  const imaging::Image first = imaging::ReadPngFile((Folder / "sheet-1.png").string());
  const imaging::Image second = imaging::ReadPngFile((Folder / "sheet-2.png").string());
  EXPECT_EQ(first.Width, Printer.GetPageWidth());
  EXPECT_EQ(first.Height, Printer.GetPageHeight());
  EXPECT_EQ(first.Pixel(7, 7) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(second.Pixel(7, 7) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(second.Pixel(20, 20) & 0xFFFFFF, 0xFFFFFFu);

  Printer.SetPrinterIndex(-1);
  EXPECT_EQ(Printer.GetPrinterIndex(), 0) << "-1 selects the default printer";
}

TEST_F(PrinterTest, PngPageNamesPutTheNumberBeforeTheExtension) {
  struct Case {
    const char* FileName;
    const char* Page2;
  };
  const Case cases[] = {
      {"out.png", "out-2.png"},
      {"/tmp/a.b/out", "/tmp/a.b/out-2"},
      {"/tmp/a.b/out.tar.png", "/tmp/a.b/out.tar-2.png"},
      {"/tmp/.png", "/tmp/.png-2"},
  };
  for (const Case& c : cases) {
    Printer.SetFileName(c.FileName);
    EXPECT_EQ(Printer.PageFileNames(2).at(1), c.Page2) << c.FileName;
  }
}

TEST(PrinterGlobal, ProcessPrinterDefaultsToPortraitA4At300Dpi) {
  TPrinter* p = Printer();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p, Printer());
  EXPECT_EQ(p->GetPrinterIndex(), 0);
  EXPECT_EQ(p->GetOrientation(), poPortrait);
  EXPECT_EQ(p->GetResolution(), 300);
  EXPECT_EQ(p->GetPageWidth(), 2480);
  EXPECT_EQ(p->GetPageHeight(), 3508);
  EXPECT_FALSE(p->GetPrinting());
}

}  // namespace
}  // namespace vx::plat
