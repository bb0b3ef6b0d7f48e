#include "platform/imaging/jpeg.h"

#include <jpeglib.h>

#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
// After jpeglib.h: the message macros use its structures.
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/imaging_internal.h"

#if !defined(JCS_EXTENSIONS)
#error "libjpeg-turbo (with its BGRA colour space extensions) is required"
#endif

// libjpeg reports fatal errors through error_exit, which must not return. We
// leave it with longjmp back into small "protected" functions that own no C++
// objects with destructors (a jump would skip them); everything that needs
// cleaning up lives in the caller's frame, which the jump never crosses.

namespace vx::plat::imaging {

namespace {

constexpr const char* kJpeg = "JPEG";

// A progressive file may legitimately hold a dozen scans; thousands only
// serve to keep a decoder busy.
constexpr int kMaxScans = 1000;

struct JpegError {
  jpeg_error_mgr pub;  // first member: libjpeg sees only this part
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

[[noreturn]] void OnErrorExit(j_common_ptr cinfo) {
  auto* error = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, error->message);
  std::longjmp(error->jump, 1);
}

// Warnings are counted, not printed; running out of data is remembered so
// that a cut-off file is refused instead of being shown half grey.
void OnEmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  auto* error = reinterpret_cast<JpegError*>(cinfo->err);
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) error->truncated = true;
  cinfo->err->num_warnings++;
}

void OnOutputMessage(j_common_ptr) {}

void InitError(JpegError& error) {
  std::memset(&error, 0, sizeof error);
  jpeg_std_error(&error.pub);
  error.pub.error_exit = OnErrorExit;
  error.pub.emit_message = OnEmitMessage;
  error.pub.output_message = OnOutputMessage;
}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number <= kMaxScans) return;
  auto* error = reinterpret_cast<JpegError*>(cinfo->err);
  std::snprintf(error->message, sizeof error->message, "the file has more than %d scans", kMaxScans);
  std::longjmp(error->jump, 1);
}

// --- input -----------------------------------------------------------------

// Feeds the decoder from a buffer or from a stream (in blocks; the bytes read
// ahead are given back to the stream once the picture is complete).
struct JpegSource {
  jpeg_source_mgr pub;  // first member: libjpeg sees only this part
  TStream* stream;
  const std::uint8_t* data;
  std::size_t size;
  bool delivered;  // the buffer was handed over (buffer mode)
  JOCTET block[64 * 1024];
};

void InitSource(j_decompress_ptr) {}

// At the end of the data the decoder gets a fake end marker and a warning
// (which marks the picture as cut off), as libjpeg's own sources do.
void FeedEndMarker(j_decompress_ptr cinfo, JpegSource& source) {
  static const JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};
  WARNMS(cinfo, JWRN_JPEG_EOF);
  source.pub.next_input_byte = kEndMarker;
  source.pub.bytes_in_buffer = 2;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  if (!source->stream) {
    if (!source->delivered && source->size > 0) {
      source->delivered = true;
      source->pub.next_input_byte = source->data;
      source->pub.bytes_in_buffer = source->size;
    } else {
      FeedEndMarker(cinfo, *source);
    }
    return TRUE;
  }
  std::int32_t got = 0;
  try {
    got = source->stream->Read(source->block, static_cast<std::int32_t>(sizeof source->block));
  } catch (...) {
    got = 0;  // an exception must not cross libjpeg's C frames
  }
  if (got <= 0) {
    FeedEndMarker(cinfo, *source);
  } else {
    source->pub.next_input_byte = source->block;
    source->pub.bytes_in_buffer = static_cast<std::size_t>(got);
  }
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  if (count <= 0) return;
  auto remaining = static_cast<std::size_t>(count);
  while (remaining > source->pub.bytes_in_buffer) {
    remaining -= source->pub.bytes_in_buffer;
    FillInputBuffer(cinfo);
  }
  source->pub.next_input_byte += remaining;
  source->pub.bytes_in_buffer -= remaining;
}

void TermSource(j_decompress_ptr) {}

std::unique_ptr<JpegSource> MakeSource(TStream* stream, std::span<const std::uint8_t> data) {
  auto source = std::make_unique<JpegSource>();
  std::memset(&source->pub, 0, sizeof source->pub);
  source->pub.init_source = InitSource;
  source->pub.fill_input_buffer = FillInputBuffer;
  source->pub.skip_input_data = SkipInputData;
  source->pub.resync_to_restart = jpeg_resync_to_restart;
  source->pub.term_source = TermSource;
  source->stream = stream;
  source->data = data.data();
  source->size = data.size();
  source->delivered = false;
  return source;
}

class Decompressor {
public:
  Decompressor() {
    std::memset(&FInfo, 0, sizeof FInfo);
    InitError(FError);
    FInfo.err = &FError.pub;
    FProgress.progress_monitor = OnProgress;
  }
  ~Decompressor() { jpeg_destroy_decompress(&FInfo); }  // harmless when never created
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct FInfo;
  JpegError FError;
  jpeg_progress_mgr FProgress{};
};

struct JpegHeader {
  JDIMENSION width;
  JDIMENSION height;
  J_COLOR_SPACE colourSpace;
  bool adobeInverted;  // CMYK written by Adobe software stores inverted inks
};

bool ReadHeaderProtected(Decompressor& d, JpegSource& source, JpegHeader& header) {
  if (setjmp(d.FError.jump)) return false;
  jpeg_create_decompress(&d.FInfo);
  d.FInfo.src = &source.pub;
  d.FInfo.progress = &d.FProgress;
  jpeg_read_header(&d.FInfo, TRUE);
  header.width = d.FInfo.image_width;
  header.height = d.FInfo.image_height;
  header.colourSpace = d.FInfo.jpeg_color_space;
  header.adobeInverted = d.FInfo.saw_Adobe_marker != 0;
  return true;
}

// Output: BGRA straight into the picture for colour files; grey and CMYK go
// through a scratch row converted by ConvertRow.
J_COLOR_SPACE OutputSpace(J_COLOR_SPACE input) {
  switch (input) {
    case JCS_GRAYSCALE: return JCS_GRAYSCALE;
    case JCS_CMYK:
    case JCS_YCCK: return JCS_CMYK;
    default: return JCS_EXT_BGRA;
  }
}

void ConvertRow(const JpegHeader& header, const JSAMPLE* scratch, std::uint32_t* out) {
  if (header.colourSpace == JCS_GRAYSCALE) {
    for (JDIMENSION x = 0; x < header.width; ++x) out[x] = MakePixel(scratch[x], scratch[x], scratch[x]);
    return;
  }
  for (JDIMENSION x = 0; x < header.width; ++x) {
    unsigned c = scratch[4 * x], m = scratch[4 * x + 1], y = scratch[4 * x + 2], k = scratch[4 * x + 3];
    if (!header.adobeInverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[x] = MakePixel(static_cast<std::uint8_t>((c * k + 127) / 255), static_cast<std::uint8_t>((m * k + 127) / 255),
                       static_cast<std::uint8_t>((y * k + 127) / 255));
  }
}

bool ReadPixelsProtected(Decompressor& d, const JpegHeader& header, Image& image, JSAMPLE* scratch) {
  if (setjmp(d.FError.jump)) return false;
  J_COLOR_SPACE space = OutputSpace(header.colourSpace);
  d.FInfo.out_color_space = space;
  jpeg_start_decompress(&d.FInfo);
  while (d.FInfo.output_scanline < d.FInfo.output_height) {
    auto y = static_cast<std::int32_t>(d.FInfo.output_scanline);
    JSAMPROW row = space == JCS_EXT_BGRA ? reinterpret_cast<JSAMPROW>(image.Row(y)) : scratch;
    if (jpeg_read_scanlines(&d.FInfo, &row, 1) != 1) ERREXIT(&d.FInfo, JERR_INPUT_EOF);
    if (space != JCS_EXT_BGRA) ConvertRow(header, scratch, image.Row(y));
  }
  jpeg_finish_decompress(&d.FInfo);
  return true;
}

Image DecodeJpeg(JpegSource& source) {
  Decompressor d;
  JpegHeader header{};
  if (!ReadHeaderProtected(d, source, header)) detail::Fail(kJpeg, d.FError.message);
  Image image = detail::MakeImage(kJpeg, header.width, header.height);
  std::vector<JSAMPLE> scratch;
  try {
    scratch.resize(static_cast<std::size_t>(header.width) * 4u);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  if (!ReadPixelsProtected(d, header, image, scratch.data())) detail::Fail(kJpeg, d.FError.message);
  if (d.FError.truncated) detail::Fail(kJpeg, "the file ends before the picture does");
  image.Alpha = TAlphaMode::amIgnored;
  if (header.colourSpace == JCS_GRAYSCALE) {
    image.SourceBitDepth = 8;
    for (std::uint32_t v = 0; v < 256; ++v) image.Palette.push_back((v << 16) | (v << 8) | v);
  } else {
    image.SourceBitDepth = 24;
  }
  // Bytes read ahead from a stream belong to whatever follows the picture.
  if (source.stream && source.pub.bytes_in_buffer > 0)
    source.stream->Seek(-static_cast<std::int64_t>(source.pub.bytes_in_buffer), TSeekOrigin::soCurrent);
  return image;
}

// --- output ----------------------------------------------------------------

class Compressor {
public:
  Compressor() {
    std::memset(&FInfo, 0, sizeof FInfo);
    InitError(FError);
    FInfo.err = &FError.pub;
  }
  ~Compressor() {
    jpeg_destroy_compress(&FInfo);
    std::free(FBuffer);  // allocated by libjpeg's memory destination
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct FInfo;
  JpegError FError;
  unsigned char* FBuffer = nullptr;
  unsigned long FSize = 0;
};

bool CompressProtected(Compressor& c, const Image& image, const TJpegOptions& options) {
  if (setjmp(c.FError.jump)) return false;
  jpeg_create_compress(&c.FInfo);
  jpeg_mem_dest(&c.FInfo, &c.FBuffer, &c.FSize);
  c.FInfo.image_width = static_cast<JDIMENSION>(image.Width);
  c.FInfo.image_height = static_cast<JDIMENSION>(image.Height);
  c.FInfo.input_components = 4;
  c.FInfo.in_color_space = JCS_EXT_BGRX;  // the fourth byte (alpha) is ignored
  jpeg_set_defaults(&c.FInfo);
  if (options.Colour == TJpegColour::jcGrayscale) jpeg_set_colorspace(&c.FInfo, JCS_GRAYSCALE);
  jpeg_set_quality(&c.FInfo, std::clamp(options.Quality, 1, 100), TRUE);
  if (options.Scan == TJpegScan::jsProgressive) jpeg_simple_progression(&c.FInfo);
  c.FInfo.density_unit = 1;  // dots per inch: the screen's 96
  c.FInfo.X_density = 96;
  c.FInfo.Y_density = 96;
  jpeg_start_compress(&c.FInfo, TRUE);
  while (c.FInfo.next_scanline < c.FInfo.image_height) {
    auto y = static_cast<std::int32_t>(c.FInfo.next_scanline);
    // libjpeg only reads the rows it is given.
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(image.Row(y)));
    jpeg_write_scanlines(&c.FInfo, &row, 1);
  }
  jpeg_finish_compress(&c.FInfo);
  return true;
}

}  // namespace

Image ReadJpeg(std::span<const std::uint8_t> data) {
  std::unique_ptr<JpegSource> source = MakeSource(nullptr, data);
  return DecodeJpeg(*source);
}

Image ReadJpeg(TStream& stream) {
  std::int64_t start = stream.GetPosition();
  try {
    std::unique_ptr<JpegSource> source = MakeSource(&stream, {});
    return DecodeJpeg(*source);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
}

Image ReadJpegFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead);
  return ReadJpeg(file);
}

std::vector<std::uint8_t> WriteJpeg(const Image& image, const TJpegOptions& options) {
  detail::CheckImageConsistent(kJpeg, image);
  if (image.Empty()) throw EInvalidGraphic("Cannot write JPEG: a JPEG picture needs at least one pixel");
  // Baseline JPEG stores sides in 16 bits.
  if (image.Width > 65500 || image.Height > 65500)
    throw EInvalidGraphic("Cannot write JPEG: the picture is too large for a JPEG file");
  Compressor c;
  if (!CompressProtected(c, image, options))
    throw EInvalidGraphic(std::string("Cannot write JPEG: ") + c.FError.message);
  return std::vector<std::uint8_t>(c.FBuffer, c.FBuffer + c.FSize);
}

void WriteJpeg(TStream& stream, const Image& image, const TJpegOptions& options) {
  std::vector<std::uint8_t> bytes = WriteJpeg(image, options);
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WriteJpegFile(const std::string& fileName, const Image& image, const TJpegOptions& options) {
  detail::WriteWholeFile(fileName, WriteJpeg(image, options));
}

}  // namespace vx::plat::imaging
