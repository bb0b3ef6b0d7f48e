// libFuzzer harness for the picture decoders: every decoder (buffer and stream
// entry points) gets the same bytes and may only succeed or raise
// EInvalidGraphic; a decoded picture must keep its promises and re-encode.
//
// Not built by CMake yet. Build and run with clang from the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I. \
//     fuzz/imaging_fuzz.cpp platform/imaging/*.cpp platform/core/exceptions.cpp \
//     platform/core/object.cpp platform/core/stream.cpp platform/core/unicode.cpp \
//     platform/core/persistent.cpp \
//     -ljpeg -lpng -lz -o /tmp/imaging_fuzz
//   /tmp/imaging_fuzz -max_len=65536 -rss_limit_mb=4096 CORPUS_DIR tests/fixtures/malformed
// (a corpus of small valid BMP/ICO/PNG/JPEG files helps it get going).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/ico.h"
#include "platform/imaging/image.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

using namespace vx::plat;
using namespace vx::plat::imaging;

namespace {

template <class Decode>
void Try(Decode decode) {
  try {
    decode();
  } catch (const EInvalidGraphic&) {
    // the expected answer to bad data
  }
}

// An opaque picture has every alpha byte 255, and written as a 32-bit bitmap
// it reads back with the same colours.
void CheckReEncodes(const Image& image) {
  if (image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height))
    std::abort();
  if (image.Alpha == TAlphaMode::amIgnored)
    for (std::uint32_t p : image.Pixels)
      if (PixelAlpha(p) != 255) std::abort();
  if (static_cast<std::int64_t>(image.Width) * image.Height > 1 << 20) return;  // keep runs fast
  Image back = ReadBmp(WriteBmp(image, TBmpDepth::bd32));
  if (back.Pixels.size() != image.Pixels.size()) std::abort();
  for (std::size_t i = 0; i < back.Pixels.size(); ++i)
    if ((back.Pixels[i] ^ image.Pixels[i]) & 0x00FFFFFFu) std::abort();
}

void FromStream(std::span<const std::uint8_t> data, void (*decode)(TStream&)) {
  TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  stream.SetPosition(0);
  Try([&] { decode(stream); });
  // Success leaves the position inside the data; failure restores it.
  if (stream.GetPosition() > static_cast<std::int64_t>(data.size())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::span<const std::uint8_t> data(bytes, size);
  DetectFormat(data);

  Try([&] { CheckReEncodes(ReadBmp(data)); });
  Try([&] { CheckReEncodes(ReadDib(data)); });
  Try([&] {
    for (const IconImage& icon : ReadIco(data).Images) {
      if (icon.Mask.size() != icon.Color.Pixels.size()) std::abort();
      CheckReEncodes(icon.Color);
    }
  });
  Try([&] { CheckReEncodes(ReadPng(data)); });
  Try([&] { CheckReEncodes(ReadJpeg(data)); });

  FromStream(data, [](TStream& s) { ReadBmp(s); });
  FromStream(data, [](TStream& s) { ReadIco(s); });
  FromStream(data, [](TStream& s) { ReadPng(s); });
  FromStream(data, [](TStream& s) { ReadJpeg(s); });
  return 0;
}
