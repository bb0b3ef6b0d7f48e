#include "platform/printers/pdf_document.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

namespace vx::plat::pdf {

// ---------------------------------------------------------------------------
// Compression
// ---------------------------------------------------------------------------

struct TFlateEncoder::State {
  z_stream Z{};
};

TFlateEncoder::TFlateEncoder() : FState(new State) {
  if (deflateInit(&FState->Z, Z_DEFAULT_COMPRESSION) != Z_OK) {
    delete FState;
    throw EOutOfMemory();
  }
}

TFlateEncoder::~TFlateEncoder() {
  deflateEnd(&FState->Z);
  delete FState;
}

void TFlateEncoder::Pump(int flush) {
  z_stream& z = FState->Z;
  std::uint8_t chunk[64 * 1024];
  int rc;
  do {
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) throw Exception("Cannot compress the printed page");
    FOut.insert(FOut.end(), chunk, chunk + (sizeof chunk - z.avail_out));
  } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
}

void TFlateEncoder::Write(const std::uint8_t* data, std::size_t size) {
  z_stream& z = FState->Z;
  while (size > 0) {
    // zlib counts in 32-bit units; feed huge inputs in parts.
    const uInt part = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = part;
    Pump(Z_NO_FLUSH);
    data += part;
    size -= part;
  }
}

std::vector<std::uint8_t> TFlateEncoder::Finish() {
  FState->Z.next_in = nullptr;
  FState->Z.avail_in = 0;
  Pump(Z_FINISH);
  return std::move(FOut);
}

std::vector<std::uint8_t> CompressRgb(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                      std::int32_t stride) {
  TFlateEncoder encoder;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::ptrdiff_t>(y) * stride;
    for (std::int32_t x = 0; x < width; ++x) {
      row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(src[x] >> 16);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(src[x]);
    }
    encoder.Write(row.data(), row.size());
  }
  return encoder.Finish();
}

// ---------------------------------------------------------------------------
// File structure
// ---------------------------------------------------------------------------

std::string FormatNumber(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string s = buffer;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

namespace {

// A text string: a literal for printable ASCII, else UTF-16BE with a byte order mark.
std::string TextString(const String& text) {
  bool ascii = true;
  for (char16_t c : text) ascii = ascii && c >= 0x20 && c < 0x7F;
  if (ascii) {
    std::string s = "(";
    for (char16_t c : text) {
      if (c == '(' || c == ')' || c == '\\') s += '\\';
      s += static_cast<char>(c);
    }
    return s + ")";
  }
  std::string s = "<FEFF";
  char hex[8];
  for (char16_t c : text) {
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
    s += hex;
  }
  return s + ">";
}

// Writes objects and remembers where each starts, for the cross-reference table.
class ObjectWriter {
public:
  explicit ObjectWriter(TStream& stream) : FStream(stream), FBase(stream.GetPosition()) {}

  void Raw(std::string_view text) { FStream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size())); }
  void Bytes(const std::vector<std::uint8_t>& data) {
    FStream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  }
  std::int64_t Offset() { return FStream.GetPosition() - FBase; }

  // Starts object `number` (numbers are handed out in writing order from 1).
  void Begin(int number) {
    if (static_cast<std::size_t>(number) > FOffsets.size()) FOffsets.resize(static_cast<std::size_t>(number));
    FOffsets[static_cast<std::size_t>(number) - 1] = Offset();
    Raw(std::to_string(number) + " 0 obj\n");
  }
  void End() { Raw("endobj\n"); }

  void Dictionary(int number, const std::string& body) {
    Begin(number);
    Raw(body + "\n");
    End();
  }
  void Stream(int number, const std::string& dictionary, const std::vector<std::uint8_t>& data) {
    Begin(number);
    Raw("<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n");
    Bytes(data);
    Raw("\nendstream\n");
    End();
  }

  void CrossReferenceAndTrailer(int root, int info) {
    const std::int64_t xref = Offset();
    std::string table = "xref\n0 " + std::to_string(FOffsets.size() + 1) + "\n0000000000 65535 f \n";
    char entry[32];
    for (std::int64_t offset : FOffsets) {
      std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offset));
      table += entry;
    }
    Raw(table);
    Raw("trailer\n<< /Size " + std::to_string(FOffsets.size() + 1) + " /Root " + std::to_string(root) +
        " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  }

private:
  TStream& FStream;
  std::int64_t FBase;
  std::vector<std::int64_t> FOffsets;
};

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInfo = 3;
constexpr int kFirstPageObject = 4;  // then page, contents, image per page

int PageObject(std::size_t index) { return kFirstPageObject + static_cast<int>(index) * 3; }

}  // namespace

void WritePdf(TStream& stream, const std::vector<TPdfPage>& pages, const String& title) {
  ObjectWriter w(stream);
  // The comment of high bytes marks the file as binary for transfer programs.
  w.Raw("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  w.Dictionary(kCatalog, "<< /Type /Catalog /Pages " + std::to_string(kPageTree) + " 0 R >>");
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) kids += (i ? " " : "") + std::to_string(PageObject(i)) + " 0 R";
  w.Dictionary(kPageTree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  w.Dictionary(kInfo, "<< /Title " + TextString(title) + " /Producer (Vexalith) >>");

  for (std::size_t i = 0; i < pages.size(); ++i) {
    const TPdfPage& p = pages[i];
    const int page = PageObject(i), contents = page + 1, image = page + 2;
    const std::string width = FormatNumber(p.WidthPt, 2), height = FormatNumber(p.HeightPt, 2);
    w.Dictionary(page, "<< /Type /Page /Parent " + std::to_string(kPageTree) + " 0 R /MediaBox [0 0 " + width +
                           " " + height + "] /Resources << /XObject << /Im1 " + std::to_string(image) +
                           " 0 R >> /ProcSet [/PDF /ImageC] >> /Contents " + std::to_string(contents) + " 0 R >>");
    // The raster at its true size, its top edge on the sheet's top edge.
    const double scale = 72.0 / (p.Dpi > 0 ? p.Dpi : 72.0);
    const double imageWidth = p.PixelWidth * scale, imageHeight = p.PixelHeight * scale;
    const std::string paint = "q " + FormatNumber(imageWidth) + " 0 0 " + FormatNumber(imageHeight) + " 0 " +
                              FormatNumber(p.HeightPt - imageHeight) + " cm /Im1 Do Q\n";
    w.Stream(contents, "", std::vector<std::uint8_t>(paint.begin(), paint.end()));
    w.Stream(image,
             "/Type /XObject /Subtype /Image /Width " + std::to_string(p.PixelWidth) + " /Height " +
                 std::to_string(p.PixelHeight) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
             p.FlateRgb);
  }
  w.CrossReferenceAndTrailer(kCatalog, kInfo);
}

}  // namespace vx::plat::pdf
