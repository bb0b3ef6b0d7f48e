// TPrinter: the printer of the process. It prints into files: the "PDF"
// printer writes one PDF file with a page per printed page, the "PNG"
// printer one PNG picture per page. The host sets the file name.
//
// Each page is a white raster surface at the printer's resolution and of the
// sheet's physical size, so GetDeviceCaps(HORZRES) / GetDeviceCaps(HORZSIZE)
// on the canvas's device context gives the true pixels per millimetre and a
// line of 100 mm drawn at that resolution is 100 mm long on paper.
//
// Output is written only by EndDoc, and atomically: a failed or aborted job
// never leaves a half-written file and never destroys an older one.
//
// PNG file names: page n of "out.png" is "out-n.png" (the page number goes
// before the extension, or at the end of a name without one), for every
// job, including a one-page job.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"
#include "platform/core/unicode.h"
#include "platform/gdi/gdi.h"

namespace vx::plat {

class TCanvas;

// Printer errors ("Printing in progress", "Printer is not printing", ...).
class EPrinter : public Exception {
public:
  using Exception::Exception;
};

enum TPrinterOrientation : std::uint8_t { poPortrait, poLandscape };

// The kinds of output the printers of the list produce.
enum class TPrinterOutput : std::uint8_t { PDF, PNG };

class TPrinter : public TObject {
  VX_DECLARE_CLASS(TPrinter)
public:
  // PDF printer, portrait A4 at 300 dpi, no file name.
  TPrinter();
  // Aborts a job still running (nothing is written).
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The printer names: "PDF", "PNG".
  const std::vector<String>& Printers() const { return FPrinters; }
  int GetPrinterIndex() const { return FPrinterIndex; }
  // Selects a printer of the list; -1 selects the default (the first).
  // Raises EPrinter outside the list or while printing.
  void SetPrinterIndex(int value);
  TPrinterOutput GetOutput() const { return static_cast<TPrinterOutput>(FPrinterIndex); }

  TPrinterOrientation GetOrientation() const { return FOrientation; }
  // Raises EPrinter "Printing in progress" while printing (also the setters below).
  void SetOrientation(TPrinterOrientation value);

  // The sheet in millimetres as it stands in portrait (A4: 210 x 297);
  // landscape swaps the two for the page.
  double GetPaperWidthMM() const { return FPaperWidthMM; }
  double GetPaperHeightMM() const { return FPaperHeightMM; }
  // Raises EPrinter for sizes outside 10..5000 mm.
  void SetPaperSizeMM(double width, double height);

  // Dots per inch on both axes (default 300). Raises EPrinter outside 10..2400.
  int GetResolution() const { return FResolution; }
  void SetResolution(int dpi);

  // The page (in the current orientation) in pixels at the resolution.
  int GetPageWidth() const;
  int GetPageHeight() const;

  // The document title (stored in the PDF's information).
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }
  // The output file (UTF-8 path); set by the host before BeginDoc.
  const std::string& GetFileName() const { return FFileName; }
  void SetFileName(const std::string& value);
  // The files a PNG job with this file name writes, for pages 1..pageCount.
  std::vector<std::string> PageFileNames(int pageCount) const;

  // Starts a job on page 1 with a fresh white page. Raises EPrinter when a
  // job runs already ("Printing in progress"), without a file name, or when
  // the page would be too large to hold.
  void BeginDoc();
  // Finishes the current page and starts a white next one; the canvas and
  // its device context (mapping, objects, clipping) carry over.
  void NewPage();
  // Finishes the last page and writes the output. The job is over even when
  // writing fails (the error propagates; no file is left half-written).
  void EndDoc();
  // Ends the job without writing anything; Aborted() is then true.
  void Abort();
  // NewPage, EndDoc and Abort raise EPrinter "Printer is not printing"
  // outside a job.

  bool GetPrinting() const { return FPrinting; }
  // True after Abort, until the next BeginDoc.
  bool GetAborted() const { return FAborted; }
  // The page being printed (1 after BeginDoc); kept after the job.
  int GetPageNumber() const { return FPageNumber; }

  // The canvas on the current page. It draws only during a job: outside one,
  // drawing raises EPrinter "Printer is not printing".
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  // The page's device context, nullptr outside a job.
  HDC GetHandle() const { return FPageDC; }

private:
  void RequireIdle() const;
  void RequirePrinting() const;
  DeviceDesc PageDevice() const;
  void FinishPage();
  void ClearPage();
  void EndJob();
  void WritePdfFile();
  void WritePngFiles();

  std::vector<String> FPrinters;
  int FPrinterIndex = 0;
  TPrinterOrientation FOrientation = poPortrait;
  double FPaperWidthMM = 210;
  double FPaperHeightMM = 297;
  int FResolution = 300;
  String FTitle;
  std::string FFileName;

  bool FPrinting = false;
  bool FAborted = false;
  int FPageNumber = 0;
  HDC FPageDC = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  // Finished pages: compressed RGB rasters (PDF) or PNG file images (PNG).
  std::vector<std::vector<std::uint8_t>> FPages;
};

// The printer of the process (never nil).
TPrinter* Printer();

}  // namespace vx::plat
