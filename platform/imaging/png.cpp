#include "platform/imaging/png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/imaging_internal.h"

// libpng reports errors through a callback that must not return. We leave it
// with longjmp back into small "protected" functions that own no C++ objects
// with destructors (jumping over one would skip it); everything that needs
// cleaning up lives in the caller's frame, which the jump never crosses.

namespace vx::plat::imaging {

namespace {

constexpr const char* kPng = "PNG";

struct PngErrorState {
  std::jmp_buf jump;
  char message[256];
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  std::strncpy(state->message, message ? message : "unknown error", sizeof state->message - 1);
  state->message[sizeof state->message - 1] = '\0';
  std::longjmp(state->jump, 1);
}

// Warnings (bad ancillary chunks, which libpng skips) do not stop the decode.
void OnPngWarning(png_structp, png_const_charp) {}

// --- reading ---------------------------------------------------------------

// Where the encoded bytes come from: a buffer, or a stream read on demand (libpng
// asks for exactly the bytes of each chunk, so the stream ends up just after
// the picture).
struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  TStream* stream;
  std::uint64_t available;  // bytes from the signature to the end of the data
};

bool ReadFromStream(TStream& stream, png_bytep out, png_size_t count) {
  try {
    while (count > 0) {
      auto chunk = static_cast<std::int32_t>(std::min<png_size_t>(count, 1u << 30));
      if (stream.Read(out, chunk) != chunk) return false;
      out += chunk;
      count -= static_cast<png_size_t>(chunk);
    }
    return true;
  } catch (...) {
    return false;  // an exception must not cross libpng's C frames
  }
}

void ReadFromSource(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->stream) {
    if (!ReadFromStream(*source->stream, out, count)) png_error(png, "the file ends before the picture does");
  } else {
    if (count > source->size - source->position) png_error(png, "the file ends before the picture does");
    std::memcpy(out, source->data + source->position, count);
  }
  source->position += count;
}

class PngReadHandles {
public:
  explicit PngReadHandles(PngErrorState& error) {
    FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
    if (FPng) FInfo = png_create_info_struct(FPng);
    if (!FPng || !FInfo) {
      Release();
      throw EOutOfMemory();
    }
  }
  ~PngReadHandles() { Release(); }
  PngReadHandles(const PngReadHandles&) = delete;
  PngReadHandles& operator=(const PngReadHandles&) = delete;
  png_structp Png() const { return FPng; }
  png_infop Info() const { return FInfo; }

private:
  void Release() {
    if (FPng) png_destroy_read_struct(&FPng, FInfo ? &FInfo : nullptr, nullptr);
    FPng = nullptr;
    FInfo = nullptr;
  }
  png_structp FPng = nullptr;
  png_infop FInfo = nullptr;
};

// What the header says, before anything big is allocated.
struct PngHeader {
  png_uint_32 width;
  png_uint_32 height;
  int bitDepth;
  int colorType;
  bool hasTransparency;
  int paletteCount;
  png_color palette[256];
};

// Reads the chunks up to the image data.
bool ReadPngHeader(png_structp png, png_infop info, PngErrorState& error, PngSource& source, PngHeader& header) {
  if (setjmp(error.jump)) return false;
  png_set_read_fn(png, &source, ReadFromSource);
  png_set_sig_bytes(png, 8);
  // Ancillary chunks (text, profiles) may not claim more than 8 MB each.
  png_set_chunk_malloc_max(png, 8u * 1024u * 1024u);
  png_set_chunk_cache_max(png, 1000);
  png_read_info(png, info);
  int interlace = 0;
  png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colorType, &interlace, nullptr,
               nullptr);
  header.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  header.paletteCount = 0;
  png_colorp palette = nullptr;
  int count = 0;
  if (header.colorType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png, info, &palette, &count) && palette) {
    header.paletteCount = count < 0 ? 0 : count > 256 ? 256 : count;
    std::memcpy(header.palette, palette, sizeof(png_color) * static_cast<std::size_t>(header.paletteCount));
  }
  return true;
}

// Sets up expansion of every input kind to 8-bit BGRA (row buffers are
// allocated here, so only after the size was checked).
bool SetUpExpansion(png_structp png, png_infop info, PngErrorState& error, const PngHeader& header) {
  if (setjmp(error.jump)) return false;
  if (header.colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (header.colorType == PNG_COLOR_TYPE_GRAY && header.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (header.hasTransparency) png_set_tRNS_to_alpha(png);
  if (header.bitDepth == 16) png_set_scale_16(png);
  if ((header.colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if ((header.colorType & PNG_COLOR_MASK_ALPHA) == 0 && !header.hasTransparency)
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(header.width) * 4u)
    png_error(png, "unexpected row layout after expansion");
  return true;
}

// Decodes every row (all passes of an interlaced file) and the chunks after them.
bool ReadPngRows(png_structp png, png_infop info, PngErrorState& error, png_bytepp rows) {
  if (setjmp(error.jump)) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

// Fills in the depth and palette that let a re-save keep the file's depth.
void DescribeSource(const PngHeader& header, Image& image) {
  bool alpha = (header.colorType & PNG_COLOR_MASK_ALPHA) != 0 || header.hasTransparency;
  image.Alpha = alpha ? TAlphaMode::amStraight : TAlphaMode::amIgnored;
  image.Palette.clear();
  if (alpha) {
    image.SourceBitDepth = 32;
  } else if (header.colorType == PNG_COLOR_TYPE_PALETTE) {
    image.SourceBitDepth = static_cast<std::uint16_t>(header.bitDepth == 2 ? 4 : header.bitDepth);
    for (int i = 0; i < header.paletteCount; ++i) {
      const png_color& c = header.palette[i];
      image.Palette.push_back(MakePixel(c.red, c.green, c.blue) & 0x00FFFFFFu);
    }
  } else if (header.colorType == PNG_COLOR_TYPE_GRAY) {
    int bits = header.bitDepth > 8 ? 8 : header.bitDepth;
    image.SourceBitDepth = static_cast<std::uint16_t>(bits == 2 ? 4 : bits);
    int levels = 1 << bits;
    for (int i = 0; i < levels; ++i) {
      auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
      image.Palette.push_back(MakePixel(v, v, v) & 0x00FFFFFFu);
    }
  } else {
    image.SourceBitDepth = 24;
  }
}

// Deflate turns at most 2 bits into 258 bytes, so image data can be at most
// 1032 times the size of the file; a file too small for its stated size is
// refused before the picture is allocated.
void CheckDataSuffices(const PngHeader& header, std::uint64_t available) {
  int channels = header.colorType == PNG_COLOR_TYPE_RGB          ? 3
                 : header.colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                 : header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                 : 1;
  std::uint64_t bits = std::uint64_t{header.width} * header.height * static_cast<std::uint64_t>(channels) *
                       static_cast<std::uint64_t>(header.bitDepth);
  constexpr std::uint64_t kMaxDeflateRatio = 1032;
  if ((bits + 7) / 8 > available * kMaxDeflateRatio + 1024)
    detail::Fail(kPng, "the file is too small for an image of " + std::to_string(header.width) + " x " +
                           std::to_string(header.height) + " pixels");
}

Image DecodePng(PngSource& source) {
  std::uint8_t signature[8] = {};
  if (source.stream) {
    if (!ReadFromStream(*source.stream, signature, 8)) detail::Fail(kPng, "the PNG signature is missing");
  } else if (source.size >= 8) {
    std::memcpy(signature, source.data, 8);
  }
  if (png_sig_cmp(signature, 0, 8) != 0) detail::Fail(kPng, "the PNG signature is missing");
  source.position += 8;
  PngErrorState error{};
  PngReadHandles handles(error);
  PngHeader header{};
  if (!ReadPngHeader(handles.Png(), handles.Info(), error, source, header)) detail::Fail(kPng, error.message);

  CheckImageSize(kPng, header.width, header.height);
  CheckDataSuffices(header, source.available);
  Image image = detail::MakeImage(kPng, header.width, header.height);
  if (!SetUpExpansion(handles.Png(), handles.Info(), error, header)) detail::Fail(kPng, error.message);
  std::vector<png_bytep> rows;
  try {
    rows.resize(static_cast<std::size_t>(header.height));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  for (png_uint_32 y = 0; y < header.height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(image.Row(static_cast<std::int32_t>(y)));
  if (!ReadPngRows(handles.Png(), handles.Info(), error, rows.data())) detail::Fail(kPng, error.message);

  DescribeSource(header, image);
  return image;
}

// --- writing ---------------------------------------------------------------

struct PngSink {
  std::vector<std::uint8_t>* out;
};

void WriteToSink(png_structp png, png_bytep data, png_size_t count) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  // An exception must not cross libpng's C frames: turn it into a libpng error.
  bool failed = false;
  try {
    sink->out->insert(sink->out->end(), data, data + count);
  } catch (...) {
    failed = true;
  }
  if (failed) png_error(png, "out of memory while writing");
}

void FlushSink(png_structp) {}

class PngWriteHandles {
public:
  explicit PngWriteHandles(PngErrorState& error) {
    FPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
    if (FPng) FInfo = png_create_info_struct(FPng);
    if (!FPng || !FInfo) {
      Release();
      throw EOutOfMemory();
    }
  }
  ~PngWriteHandles() { Release(); }
  PngWriteHandles(const PngWriteHandles&) = delete;
  PngWriteHandles& operator=(const PngWriteHandles&) = delete;
  png_structp Png() const { return FPng; }
  png_infop Info() const { return FInfo; }

private:
  void Release() {
    if (FPng) png_destroy_write_struct(&FPng, FInfo ? &FInfo : nullptr);
    FPng = nullptr;
    FInfo = nullptr;
  }
  png_structp FPng = nullptr;
  png_infop FInfo = nullptr;
};

// Writes every row; the rows are 4 bytes per pixel in B, G, R, A order, and
// for RGB output libpng drops the fourth byte.
bool WritePngRows(png_structp png, png_infop info, PngErrorState& error, PngSink& sink, png_uint_32 width,
                  png_uint_32 height, bool withAlpha, png_bytepp rows) {
  if (setjmp(error.jump)) return false;
  png_set_write_fn(png, &sink, WriteToSink, FlushSink);
  png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (!withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

bool WantsAlpha(const Image& image, TPngChannels channels) {
  switch (channels) {
    case TPngChannels::pcRgb: return false;
    case TPngChannels::pcRgba: return true;
    case TPngChannels::pcAuto: break;
  }
  return image.Alpha == TAlphaMode::amStraight;
}

}  // namespace

Image ReadPng(std::span<const std::uint8_t> data) {
  PngSource source{data.data(), data.size(), 0, nullptr, data.size()};
  return DecodePng(source);
}

Image ReadPng(TStream& stream) {
  std::int64_t start = stream.GetPosition();
  PngSource source{nullptr, 0, 0, &stream, static_cast<std::uint64_t>(stream.Remaining())};
  try {
    return DecodePng(source);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
}

Image ReadPngFile(const std::string& fileName) { return ReadPng(detail::ReadWholeFile(fileName, kPng)); }

std::vector<std::uint8_t> WritePng(const Image& image, TPngChannels channels) {
  detail::CheckImageConsistent(kPng, image);
  if (image.Empty()) throw EInvalidGraphic("Cannot write PNG: a PNG picture needs at least one pixel");
  bool withAlpha = WantsAlpha(image, channels);
  // A picture without meaningful alpha may carry anything in its fourth byte
  // (device bitmaps leave it 0): written with alpha, it must come out opaque.
  const Image* source = &image;
  Image opaque;
  if (withAlpha && image.Alpha != TAlphaMode::amStraight) {
    opaque = image;
    for (auto& p : opaque.Pixels) p |= 0xFF000000u;
    source = &opaque;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.Height));
  for (std::int32_t y = 0; y < image.Height; ++y)
    rows[static_cast<std::size_t>(y)] =
        reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(source->Row(y)));  // libpng only reads them

  std::vector<std::uint8_t> out;
  PngErrorState error{};
  PngWriteHandles handles(error);
  PngSink sink{&out};
  if (!WritePngRows(handles.Png(), handles.Info(), error, sink, static_cast<png_uint_32>(image.Width),
                    static_cast<png_uint_32>(image.Height), withAlpha, rows.data()))
    throw EInvalidGraphic(std::string("Cannot write PNG: ") + error.message);
  return out;
}

void WritePng(TStream& stream, const Image& image, TPngChannels channels) {
  std::vector<std::uint8_t> bytes = WritePng(image, channels);
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WritePngFile(const std::string& fileName, const Image& image, TPngChannels channels) {
  detail::WriteWholeFile(fileName, WritePng(image, channels));
}

}  // namespace vx::plat::imaging
