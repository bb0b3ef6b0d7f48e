// A minimal PDF 1.4 writer for printed pages: every page is one RGB raster
// image, compressed with zlib (FlateDecode), painted over the whole sheet.
// Only what a viewer needs is written: catalog, page tree, pages with their
// media box, content streams and image objects, an information dictionary,
// the cross-reference table and the trailer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/unicode.h"

namespace vx::plat {

class TStream;

namespace pdf {

// Points per millimetre (72 points to the inch).
inline constexpr double kPointsPerMM = 72.0 / 25.4;

// Compresses rows of pixels into one zlib stream as they arrive, so a page
// never needs a second full-size buffer.
class TFlateEncoder {
public:
  TFlateEncoder();
  ~TFlateEncoder();
  TFlateEncoder(const TFlateEncoder&) = delete;
  TFlateEncoder& operator=(const TFlateEncoder&) = delete;

  void Write(const std::uint8_t* data, std::size_t size);
  // Ends the stream and hands out the compressed bytes.
  std::vector<std::uint8_t> Finish();

private:
  void Pump(int flush);
  struct State;
  State* FState;
  std::vector<std::uint8_t> FOut;
};

// One printed page: its sheet in points and its raster.
struct TPdfPage {
  double WidthPt = 0;   // media box width
  double HeightPt = 0;  // media box height
  std::int32_t PixelWidth = 0;
  std::int32_t PixelHeight = 0;
  double Dpi = 72;  // the raster's resolution: one pixel is 72 / Dpi points
  std::vector<std::uint8_t> FlateRgb;  // zlib stream of PixelWidth * PixelHeight * 3 bytes, top row first
};

// The raster of 0x00RRGGBB pixels (`stride` pixels from row to row) as the
// compressed RGB bytes a TPdfPage holds.
std::vector<std::uint8_t> CompressRgb(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                      std::int32_t stride);

// Writes a whole PDF file image. The raster of each page is anchored at the
// sheet's top-left corner at its true size (72 / Dpi points per pixel).
void WritePdf(TStream& stream, const std::vector<TPdfPage>& pages, const String& title);

// A PDF number with at most `decimals` decimals and no trailing zeros ("595.28").
std::string FormatNumber(double value, int decimals = 4);

}  // namespace pdf
}  // namespace vx::plat
