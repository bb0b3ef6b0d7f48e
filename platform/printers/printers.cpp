#include "platform/printers/printers.h"

#include <cmath>

#include "platform/core/stream.h"
#include "platform/graphics/canvas.h"
#include "platform/imaging/image.h"
#include "platform/imaging/png.h"
#include "platform/printers/pdf_document.h"

namespace vx::plat {

VX_DEFINE_CLASS(TPrinter, TObject)

namespace {

constexpr double kMinPaperMM = 10;
constexpr double kMaxPaperMM = 5000;
constexpr int kMinDpi = 10;
constexpr int kMaxDpi = 2400;
// A page raster is held in memory while it is drawn: 512 MiB at most.
constexpr std::int64_t kMaxPagePixels = std::int64_t{1} << 27;

int MMToPixels(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

// The canvas of the printer draws on the page of the running job only.
class TPrinterCanvas : public TCanvas {
protected:
  void CreateHandle() override { throw EPrinter("Printer is not printing"); }
};

// The raster of a page DC.
struct PageRaster {
  const std::uint32_t* Pixels = nullptr;
  int Width = 0, Height = 0, Stride = 0;
  explicit PageRaster(HDC dc) { Pixels = RasterPixels(dc, &Width, &Height, &Stride); }
};

}  // namespace

TPrinter::TPrinter() : FPrinters{u"PDF", u"PNG"}, FCanvas(std::make_unique<TPrinterCanvas>()) {}

TPrinter::~TPrinter() {
  if (FPrinting) EndJob();
}

void TPrinter::RequireIdle() const {
  if (FPrinting) throw EPrinter("Printing in progress");
}

void TPrinter::RequirePrinting() const {
  if (!FPrinting) throw EPrinter("Printer is not printing");
}

void TPrinter::SetPrinterIndex(int value) {
  RequireIdle();
  if (value == -1) value = 0;
  if (value < 0 || value >= static_cast<int>(FPrinters.size()))
    throw EPrinter("Printer index " + std::to_string(value) + " out of range");
  FPrinterIndex = value;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  RequireIdle();
  FOrientation = value;
}

void TPrinter::SetPaperSizeMM(double width, double height) {
  RequireIdle();
  auto valid = [](double mm) { return std::isfinite(mm) && mm >= kMinPaperMM && mm <= kMaxPaperMM; };
  if (!valid(width) || !valid(height)) throw EPrinter("Paper size must lie between 10 and 5000 mm");
  FPaperWidthMM = width;
  FPaperHeightMM = height;
}

void TPrinter::SetResolution(int dpi) {
  RequireIdle();
  if (dpi < kMinDpi || dpi > kMaxDpi) throw EPrinter("Printer resolution must lie between 10 and 2400 dpi");
  FResolution = dpi;
}

int TPrinter::GetPageWidth() const {
  return MMToPixels(FOrientation == poLandscape ? FPaperHeightMM : FPaperWidthMM, FResolution);
}

int TPrinter::GetPageHeight() const {
  return MMToPixels(FOrientation == poLandscape ? FPaperWidthMM : FPaperHeightMM, FResolution);
}

void TPrinter::SetFileName(const std::string& value) {
  RequireIdle();
  FFileName = value;
}

std::vector<std::string> TPrinter::PageFileNames(int pageCount) const {
  const std::size_t slash = FFileName.find_last_of('/');
  std::size_t dot = FFileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
    dot = FFileName.size();
  std::vector<std::string> names;
  for (int page = 1; page <= pageCount; ++page)
    names.push_back(FFileName.substr(0, dot) + "-" + std::to_string(page) + FFileName.substr(dot));
  return names;
}

DeviceDesc TPrinter::PageDevice() const {
  DeviceDesc d;
  d.Width = GetPageWidth();
  d.Height = GetPageHeight();
  d.DpiX = d.DpiY = FResolution;
  const bool landscape = FOrientation == poLandscape;
  d.WidthMM = static_cast<int>(std::lround(landscape ? FPaperHeightMM : FPaperWidthMM));
  d.HeightMM = static_cast<int>(std::lround(landscape ? FPaperWidthMM : FPaperHeightMM));
  d.PhysicalWidth = d.Width;
  d.PhysicalHeight = d.Height;
  d.Technology = DT_RASPRINTER;
  d.Surface = SurfaceKind::Raster;
  return d;
}

void TPrinter::BeginDoc() {
  RequireIdle();
  if (FFileName.empty()) throw EPrinter("No output file name set for printer \"" + StringToUtf8(FPrinters[FPrinterIndex]) + "\"");
  const DeviceDesc device = PageDevice();
  if (std::int64_t{device.Width} * device.Height > kMaxPagePixels)
    throw EPrinter("A page of " + std::to_string(device.Width) + " x " + std::to_string(device.Height) +
                   " pixels is too large to print; lower the resolution");
  HDC dc = CreateDeviceDC(device);
  if (!dc) throw EPrinter("Cannot create the printer page");
  FPageDC = dc;
  FPages.clear();
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
  FCanvas->SetHandle(dc);
  FCanvas->GetFont().SetPixelsPerInch(FResolution);
}

void TPrinter::FinishPage() {
  PageRaster page(FPageDC);
  if (!page.Pixels) throw EPrinter("The printer page has no surface");
  if (GetOutput() == TPrinterOutput::PDF) {
    FPages.push_back(pdf::CompressRgb(page.Pixels, page.Width, page.Height, page.Stride));
  } else {
    imaging::Image image(page.Width, page.Height);
    for (int y = 0; y < page.Height; ++y) {
      const std::uint32_t* row = page.Pixels + static_cast<std::ptrdiff_t>(y) * page.Stride;
      std::uint32_t* out = image.Row(y);
      for (int x = 0; x < page.Width; ++x) out[x] = 0xFF000000u | row[x];
    }
    FPages.push_back(imaging::WritePng(image, imaging::TPngChannels::pcRgb));
  }
}

// Whitens the page whatever mapping and clipping the job left on the DC.
void TPrinter::ClearPage() {
  const int saved = SaveDC(FPageDC);
  SelectClipRgn(FPageDC, nullptr);
  SetMapMode(FPageDC, MM_TEXT);
  SetWindowOrgEx(FPageDC, 0, 0, nullptr);
  SetViewportOrgEx(FPageDC, 0, 0, nullptr);
  PatBlt(FPageDC, 0, 0, GetPageWidth(), GetPageHeight(), WHITENESS);
  RestoreDC(FPageDC, saved);
}

void TPrinter::NewPage() {
  RequirePrinting();
  FinishPage();
  ClearPage();
  ++FPageNumber;
}

void TPrinter::EndJob() {
  FCanvas->SetHandle(nullptr);
  DeleteDC(FPageDC);
  FPageDC = nullptr;
  FPrinting = false;
}

void TPrinter::EndDoc() {
  RequirePrinting();
  try {
    FinishPage();
  } catch (...) {
    EndJob();
    FPages.clear();
    throw;
  }
  EndJob();
  try {
    if (GetOutput() == TPrinterOutput::PDF) WritePdfFile();
    else WritePngFiles();
  } catch (...) {
    FPages.clear();
    throw;
  }
  FPages.clear();
}

void TPrinter::Abort() {
  RequirePrinting();
  EndJob();
  FPages.clear();
  FAborted = true;
}

void TPrinter::WritePdfFile() {
  const DeviceDesc device = PageDevice();
  const bool landscape = FOrientation == poLandscape;
  std::vector<pdf::TPdfPage> pages;
  for (std::vector<std::uint8_t>& data : FPages) {
    pdf::TPdfPage p;
    p.WidthPt = (landscape ? FPaperHeightMM : FPaperWidthMM) * pdf::kPointsPerMM;
    p.HeightPt = (landscape ? FPaperWidthMM : FPaperHeightMM) * pdf::kPointsPerMM;
    p.PixelWidth = device.Width;
    p.PixelHeight = device.Height;
    p.Dpi = FResolution;
    p.FlateRgb = std::move(data);
    pages.push_back(std::move(p));
  }
  TSafeFileStream file(FFileName);
  pdf::WritePdf(file, pages, FTitle);
  file.Commit();
}

void TPrinter::WritePngFiles() {
  const std::vector<std::string> names = PageFileNames(static_cast<int>(FPages.size()));
  // Every page is written before any file is replaced.
  std::vector<std::unique_ptr<TSafeFileStream>> files;
  for (std::size_t i = 0; i < FPages.size(); ++i) {
    files.push_back(std::make_unique<TSafeFileStream>(names[i]));
    files.back()->WriteBuffer(FPages[i].data(), static_cast<std::int64_t>(FPages[i].size()));
  }
  for (auto& f : files) f->Commit();
}

TPrinter* Printer() {
  // Never destroyed: its page lives in the device layer, which may be gone
  // while the process ends.
  static TPrinter* printer = new TPrinter;
  return printer;
}

}  // namespace vx::plat
