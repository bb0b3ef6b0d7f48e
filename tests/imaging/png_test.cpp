#include "platform/imaging/png.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "tests/imaging/picture_builders.h"

using namespace vx::plat;
using namespace vx::plat::imaging;
using namespace vx::plat::imaging::testing;

TEST(PngCodec, RoundTripKeepsPixelsWithAndWithoutAlpha) {
  for (TAlphaMode alpha : {TAlphaMode::amIgnored, TAlphaMode::amStraight}) {
    Image source = GradientImage(23, 7, alpha);
    Image back = ReadPng(WritePng(source));
    EXPECT_EQ(back.Width, 23);
    EXPECT_EQ(back.Height, 7);
    EXPECT_EQ(back.Alpha, alpha);
    EXPECT_EQ(back.SourceBitDepth, alpha == TAlphaMode::amStraight ? 32 : 24);
    EXPECT_EQ(back.Pixels, source.Pixels);
  }
}

TEST(PngCodec, ChannelChoiceDropsAlphaOrMakesItOpaque) {
  Image translucent = GradientImage(5, 4, TAlphaMode::amStraight);
  Image rgb = ReadPng(WritePng(translucent, TPngChannels::pcRgb));
  EXPECT_EQ(rgb.Alpha, TAlphaMode::amIgnored);
  for (std::size_t i = 0; i < rgb.Pixels.size(); ++i) EXPECT_EQ(rgb.Pixels[i], translucent.Pixels[i] | 0xFF000000u);

  // A device bitmap leaves its fourth byte 0; written with alpha it must stay visible.
  Image device = GradientImage(5, 4, TAlphaMode::amIgnored);
  for (auto& p : device.Pixels) p &= 0x00FFFFFFu;
  Image rgba = ReadPng(WritePng(device, TPngChannels::pcRgba));
  for (std::uint32_t p : rgba.Pixels) EXPECT_EQ(PixelAlpha(p), 255);
}

namespace {

using SampleFn = std::function<std::uint32_t(std::uint32_t, std::uint32_t, int)>;

struct InputCase {
  const char* name;
  PngFields fields;
  SampleFn sample;
  std::function<std::uint32_t(std::uint32_t, std::uint32_t)> expected;
  TAlphaMode alpha;
  std::uint16_t sourceDepth;
  std::size_t paletteSize;
};

std::uint8_t Scale16(std::uint32_t v) { return static_cast<std::uint8_t>((v * 255 + 32767) / 65535); }

std::vector<InputCase> InputCases() {
  const std::vector<std::array<std::uint8_t, 3>> palette = {{{255, 0, 0}}, {{0, 255, 0}}, {{0, 0, 255}}};
  const std::uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  return {
      {"4-bit palette",
       {.width = 9, .height = 5, .bitDepth = 4, .colorType = 3, .palette = palette},
       [](auto x, auto y, int) { return (x + y) % 3; },
       [=](auto x, auto y) { return colours[(x + y) % 3]; },
       TAlphaMode::amIgnored,
       4,
       3},
      {"8-bit palette with a transparency chunk",
       {.width = 6, .height = 2, .bitDepth = 8, .colorType = 3, .palette = palette, .transparency = {0x00, 0x80}},
       [](auto x, auto, int) { return x % 3; },
       [=](auto x, auto) {
         std::uint32_t alpha[] = {0x00, 0x80, 0xFF};
         return (colours[x % 3] & 0x00FFFFFFu) | (alpha[x % 3] << 24);
       },
       TAlphaMode::amStraight,
       32,
       0},
      {"1-bit grey",
       {.width = 11, .height = 3, .bitDepth = 1, .colorType = 0},
       [](auto x, auto y, int) { return (x + y) & 1; },
       [](auto x, auto y) { return ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u; },
       TAlphaMode::amIgnored,
       1,
       2},
      {"2-bit grey",
       {.width = 7, .height = 2, .bitDepth = 2, .colorType = 0},
       [](auto x, auto, int) { return x % 4; },
       [](auto x, auto) {
         auto v = static_cast<std::uint8_t>(x % 4 * 85);
         return MakePixel(v, v, v);
       },
       TAlphaMode::amIgnored,
       4,
       4},
      {"16-bit grey",
       {.width = 5, .height = 2, .bitDepth = 16, .colorType = 0},
       [](auto x, auto y, int) { return x * 0x3210 + y * 0x0101; },
       [](auto x, auto y) {
         std::uint8_t v = Scale16(x * 0x3210 + y * 0x0101);
         return MakePixel(v, v, v);
       },
       TAlphaMode::amIgnored,
       8,
       256},
      {"16-bit RGB",
       {.width = 4, .height = 3, .bitDepth = 16, .colorType = 2},
       [](auto x, auto y, int c) {
         return (x * 0x4000 + y * 0x1000 + static_cast<std::uint32_t>(c) * 0x0808) & 0xFFFF;
       },
       [](auto x, auto y) {
         auto ch = [&](std::uint32_t c) { return Scale16((x * 0x4000 + y * 0x1000 + c * 0x0808) & 0xFFFF); };
         return MakePixel(ch(0), ch(1), ch(2));
       },
       TAlphaMode::amIgnored,
       24,
       0},
      {"8-bit grey with alpha",
       {.width = 4, .height = 2, .bitDepth = 8, .colorType = 4},
       [](auto x, auto y, int c) { return c == 0 ? x * 60 : y * 100 + 20; },
       [](auto x, auto y) {
         auto v = static_cast<std::uint8_t>(x * 60);
         return MakePixel(v, v, v, static_cast<std::uint8_t>(y * 100 + 20));
       },
       TAlphaMode::amStraight,
       32,
       0},
      {"8-bit grey with a transparent grey value",
       {.width = 4, .height = 1, .bitDepth = 8, .colorType = 0, .transparency = {0x00, 0x40}},
       [](auto x, auto, int) { return x * 0x20; },
       [](auto x, auto) {
         auto v = static_cast<std::uint8_t>(x * 0x20);
         return MakePixel(v, v, v, v == 0x40 ? 0 : 255);
       },
       TAlphaMode::amStraight,
       32,
       0},
      {"interlaced RGB",
       {.width = 9, .height = 7, .bitDepth = 8, .colorType = 2, .interlaced = true},
       [](auto x, auto y, int c) { return (x * 20 + y * 30 + static_cast<std::uint32_t>(c) * 70) & 0xFF; },
       [](auto x, auto y) {
         auto ch = [&](std::uint32_t c) { return static_cast<std::uint8_t>((x * 20 + y * 30 + c * 70) & 0xFF); };
         return MakePixel(ch(0), ch(1), ch(2));
       },
       TAlphaMode::amIgnored,
       24,
       0},
      {"interlaced RGBA smaller than one pass block",
       {.width = 3, .height = 2, .bitDepth = 8, .colorType = 6, .interlaced = true},
       [](auto x, auto y, int c) { return c == 3 ? 10 + x + y : x * 50 + static_cast<std::uint32_t>(c); },
       [](auto x, auto y) {
         return MakePixel(static_cast<std::uint8_t>(x * 50), static_cast<std::uint8_t>(x * 50 + 1),
                          static_cast<std::uint8_t>(x * 50 + 2), static_cast<std::uint8_t>(10 + x + y));
       },
       TAlphaMode::amStraight,
       32,
       0},
  };
}

}  // namespace

TEST(PngCodec, ExpandsEveryInputKindToEightBitBgra) {
  for (const InputCase& c : InputCases()) {
    SCOPED_TRACE(c.name);
    Image image = ReadPng(BuildPng(c.fields, c.sample));
    ASSERT_EQ(image.Width, static_cast<std::int32_t>(c.fields.width));
    ASSERT_EQ(image.Height, static_cast<std::int32_t>(c.fields.height));
    for (std::uint32_t y = 0; y < c.fields.height; ++y)
      for (std::uint32_t x = 0; x < c.fields.width; ++x)
        ASSERT_EQ(image.Pixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)), c.expected(x, y))
            << "pixel " << x << ", " << y;
    EXPECT_EQ(image.Alpha, c.alpha);
    EXPECT_EQ(image.SourceBitDepth, c.sourceDepth);
    EXPECT_EQ(image.Palette.size(), c.paletteSize);
  }
}

TEST(PngCodec, StreamReadStopsAfterTheEndChunk) {
  Image first = GradientImage(4, 3, TAlphaMode::amStraight);
  Image second = GradientImage(2, 5, TAlphaMode::amIgnored);
  TMemoryStream stream;
  WritePng(stream, first);
  std::int64_t firstEnd = stream.GetPosition();
  WritePng(stream, second);
  stream.WriteValue<std::uint32_t>(0xC0FFEE);
  stream.SetPosition(0);

  EXPECT_EQ(ReadPng(stream).Pixels, first.Pixels);
  EXPECT_EQ(stream.GetPosition(), firstEnd);
  EXPECT_EQ(ReadPng(stream).Pixels, second.Pixels);
  EXPECT_EQ(stream.ReadValue<std::uint32_t>(), 0xC0FFEEu);
}

TEST(PngCodec, EveryTruncationIsRefusedAndTheStreamPositionRestored) {
  Bytes file = WritePng(GradientImage(6, 4, TAlphaMode::amStraight));
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_THROW(ReadPng(std::span<const std::uint8_t>(file.data(), length)), EInvalidGraphic) << length;
    TMemoryStream stream;
    stream.WriteValue<std::uint8_t>(0);
    stream.WriteBuffer(file.data(), static_cast<std::int64_t>(length));
    stream.SetPosition(1);
    EXPECT_THROW(ReadPng(stream), EInvalidGraphic) << length;
    EXPECT_EQ(stream.GetPosition(), 1);
  }
}

TEST(PngCodec, FileRoundTripAndEmptyPictureRefused) {
  std::string path = ::testing::TempDir() + "imaging_png_test.png";
  Image source = GradientImage(8, 8, TAlphaMode::amStraight);
  WritePngFile(path, source);
  EXPECT_EQ(ReadPngFile(path).Pixels, source.Pixels);
  std::remove(path.c_str());

  EXPECT_THROW(WritePng(Image()), EInvalidGraphic);
}
