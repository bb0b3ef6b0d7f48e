#include "platform/imaging/ico.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "tests/imaging/picture_builders.h"

using namespace vx::plat;
using namespace vx::plat::imaging;
using namespace vx::plat::imaging::testing;

namespace {

// A mask with a transparent diagonal band and a transparent first row.
std::vector<std::uint8_t> BandMask(std::int32_t w, std::int32_t h) {
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(w * h));
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      mask[static_cast<std::size_t>(y * w + x)] = (y == 0 || std::abs(x - y) < 2) ? 1 : 0;
  return mask;
}

IconImage MaskedIcon(Image color, std::vector<std::uint8_t> mask, std::uint16_t depth, TIconEncoding encoding) {
  IconImage icon;
  icon.Color = std::move(color);
  icon.Mask = std::move(mask);
  icon.BitDepth = depth;
  icon.Encoding = encoding;
  return icon;
}

struct RoundTripCase {
  const char* name;
  IconImage icon;
};

std::vector<RoundTripCase> RoundTripCases() {
  const std::int32_t s = 13;
  return {
      {"1 bit", MaskedIcon(PatternImage(s, s, {0x000000, 0xFFFFFF}), BandMask(s, s), 1, TIconEncoding::ieBitmap)},
      {"4 bits", MaskedIcon(PatternImage(s, s, DistinctColours(9)), BandMask(s, s), 4, TIconEncoding::ieBitmap)},
      {"8 bits", MaskedIcon(PatternImage(s, s, DistinctColours(40)), BandMask(s, s), 8, TIconEncoding::ieBitmap)},
      {"24 bits", MaskedIcon(GradientImage(s, s, TAlphaMode::amIgnored), BandMask(s, s), 24, TIconEncoding::ieBitmap)},
      {"32 bits, mask given, no alpha",
       MaskedIcon(GradientImage(s, s, TAlphaMode::amIgnored), BandMask(s, s), 32, TIconEncoding::ieBitmap)},
      {"32 bits, mask from alpha", MakeIconImage(GradientImage(s, s, TAlphaMode::amStraight))},
      {"PNG, mask given",
       MaskedIcon(GradientImage(s, s, TAlphaMode::amIgnored), BandMask(s, s), 32, TIconEncoding::iePng)},
  };
}

// What a reader sees: below 32 bits transparent pixels are black; at 32 bits
// and in PNG an opaque picture gets its alpha from the mask.
Image ExpectedColour(const IconImage& icon) {
  Image expected = icon.Color;
  std::vector<std::uint8_t> mask = icon.Mask;
  bool alphaKept = icon.BitDepth == 32 || icon.Encoding == TIconEncoding::iePng;
  for (std::size_t i = 0; i < expected.Pixels.size(); ++i) {
    std::uint32_t& p = expected.Pixels[i];
    if (!alphaKept && mask[i]) p = 0xFF000000u;
    if (alphaKept && icon.Color.Alpha == TAlphaMode::amIgnored) p = (p & 0x00FFFFFFu) | (mask[i] ? 0u : 0xFF000000u);
  }
  expected.Alpha = alphaKept ? TAlphaMode::amStraight : TAlphaMode::amIgnored;
  return expected;
}

}  // namespace

TEST(IcoCodec, RoundTripKeepsColourAndMaskAtEveryDepth) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.name);
    IconFile file;
    file.Images.push_back(c.icon);
    IconFile back = ReadIco(WriteIco(file));
    ASSERT_EQ(back.Images.size(), 1u);
    const IconImage& icon = back.Images[0];
    Image expected = ExpectedColour(c.icon);
    EXPECT_EQ(icon.Color.Pixels, expected.Pixels);
    EXPECT_EQ(icon.Color.Alpha, expected.Alpha);
    EXPECT_EQ(icon.Mask, c.icon.Mask);
    EXPECT_EQ(icon.BitDepth, c.icon.BitDepth);
    EXPECT_EQ(icon.Encoding, c.icon.Encoding);
  }
}

TEST(IcoCodec, ReadsAHandMadeOneBitIcon) {
  // 2 x 2, 1 bit: colour rows bottom-up (black white / white black), then the mask rows.
  Bytes file = {0, 0, 1, 0, 1, 0};
  file.insert(file.end(), {2, 2, 2, 0, 1, 0, 1, 0});
  Put32(file, 40 + 8 + 8 + 8);
  Put32(file, 22);
  BmpFields dib{.width = 2,
                .height = 4,
                .bitCount = 1,
                .palette = {0x000000, 0xFFFFFF},
                .bits = {0x40, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0, 0x00, 0, 0, 0},
                .fileHeader = false};
  Bytes body = BuildBmp(dib);
  file.insert(file.end(), body.begin(), body.end());

  IconFile icon = ReadIco(file);
  ASSERT_EQ(icon.Images.size(), 1u);
  EXPECT_EQ(icon.Kind, TIconKind::ikIcon);
  EXPECT_EQ(icon.Images[0].Color.Pixels,
            (std::vector<std::uint32_t>{0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu}));
  EXPECT_EQ(icon.Images[0].Mask, (std::vector<std::uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(icon.Images[0].BitDepth, 1);
}

TEST(IcoCodec, PicksTheNearestSizeThenTheBestDepth) {
  IconFile file;
  auto add = [&](std::int32_t size, std::uint16_t depth) {
    file.Images.push_back(MaskedIcon(Image(size, size), {}, depth, TIconEncoding::ieBitmap));
  };
  add(16, 32);
  add(32, 8);
  add(32, 32);
  add(48, 32);
  add(256, 32);
  struct Case {
    std::int32_t size;
    std::uint16_t depth;
    std::size_t expected;
  };
  const Case cases[] = {{32, 32, 2}, {32, 8, 1},  {32, 24, 1},  {32, 4, 1}, {20, 32, 0},
                        {24, 32, 2}, {40, 32, 3}, {300, 32, 4}, {1, 1, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(PickIconImage(file, c.size, c.depth), c.expected) << c.size << " pixels, " << c.depth << " bits";
  EXPECT_THROW(PickIconImage(IconFile{}, 32), EInvalidGraphic);
}

TEST(IcoCodec, CursorsKeepTheirHotSpotAndLargeIconsTheirSize) {
  IconFile cursor;
  cursor.Kind = TIconKind::ikCursor;
  cursor.Images.push_back(MakeIconImage(GradientImage(32, 32, TAlphaMode::amStraight)));
  cursor.Images[0].HotSpot = TPoint{5, 27};
  cursor.Images.push_back(MakeIconImage(GradientImage(256, 256, TAlphaMode::amStraight)));
  Bytes bytes = WriteIco(cursor);
  EXPECT_EQ(bytes[2], 2);
  EXPECT_EQ(bytes[6 + 16], 0);  // 256 pixels are written as 0 in the directory

  IconFile back = ReadIco(bytes);
  EXPECT_EQ(back.Kind, TIconKind::ikCursor);
  EXPECT_EQ(back.Images[0].HotSpot, (TPoint{5, 27}));
  EXPECT_EQ(back.Images[1].Color.Width, 256);
  EXPECT_EQ(back.Images[1].Color.Pixels, cursor.Images[1].Color.Pixels);
}

TEST(IcoCodec, AThirtyTwoBitImageWithoutItsMaskTakesTheMaskFromAlpha) {
  IconFile file;
  file.Images.push_back(MakeIconImage(GradientImage(8, 8, TAlphaMode::amStraight)));
  Bytes bytes = WriteIco(file);
  std::size_t maskBytes = 8 * 4;
  bytes.resize(bytes.size() - maskBytes);
  bytes[14] = static_cast<std::uint8_t>(bytes[14] - maskBytes);  // the directory's size of the image

  IconFile back = ReadIco(bytes);
  EXPECT_EQ(back.Images[0].Mask, file.Images[0].Mask);
  EXPECT_EQ(back.Images[0].Color.Pixels, file.Images[0].Color.Pixels);
}

TEST(IcoCodec, StreamReadStopsAfterTheLastImage) {
  IconFile file;
  file.Images.push_back(
      MaskedIcon(PatternImage(16, 16, DistinctColours(5)), BandMask(16, 16), 8, TIconEncoding::ieBitmap));
  file.Images.push_back(MakeIconImage(GradientImage(24, 24, TAlphaMode::amStraight)));
  file.Images[1].Encoding = TIconEncoding::iePng;
  TMemoryStream stream;
  WriteIco(stream, file);
  std::int64_t end = stream.GetPosition();
  stream.WriteValue<std::uint32_t>(0xC0FFEE);
  stream.SetPosition(0);

  IconFile back = ReadIco(stream);
  EXPECT_EQ(back.Images.size(), 2u);
  EXPECT_EQ(stream.GetPosition(), end);
  EXPECT_EQ(stream.ReadValue<std::uint32_t>(), 0xC0FFEEu);
}

TEST(IcoCodec, EveryTruncationIsRefused) {
  IconFile file;
  file.Images.push_back(MaskedIcon(PatternImage(5, 5, DistinctColours(5)), BandMask(5, 5), 8, TIconEncoding::ieBitmap));
  file.Images.push_back(MakeIconImage(GradientImage(4, 4, TAlphaMode::amStraight)));
  file.Images[1].Encoding = TIconEncoding::iePng;
  Bytes bytes = WriteIco(file);
  ASSERT_NO_THROW(ReadIco(bytes));
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_THROW(ReadIco(std::span<const std::uint8_t>(bytes.data(), length)), EInvalidGraphic) << length;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(length));
    stream.SetPosition(0);
    EXPECT_THROW(ReadIco(stream), EInvalidGraphic) << length;
    EXPECT_EQ(stream.GetPosition(), 0);
  }
}

TEST(IcoCodec, DamagedBytesDecodeOrRaiseInvalidGraphic) {
  IconFile file;
  file.Images.push_back(MaskedIcon(PatternImage(5, 5, DistinctColours(5)), BandMask(5, 5), 4, TIconEncoding::ieBitmap));
  file.Images.push_back(MakeIconImage(GradientImage(3, 3, TAlphaMode::amStraight)));
  Bytes bytes = WriteIco(file);
  for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 120); ++i)
    for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
      Bytes damaged = bytes;
      damaged[i] = value;
      try {
        IconFile back = ReadIco(damaged);
        for (const IconImage& icon : back.Images) EXPECT_EQ(icon.Mask.size(), icon.Color.Pixels.size());
      } catch (const EInvalidGraphic&) {
      }
    }
}

TEST(IcoCodec, WritingRefusesWhatAnIconCannotHold) {
  struct Case {
    const char* name;
    IconImage icon;
  };
  const Case cases[] = {
      {"257 pixels wide", MakeIconImage(Image(257, 4))},
      {"empty picture", MakeIconImage(Image())},
      {"mask of another size", MaskedIcon(Image(4, 4), std::vector<std::uint8_t>(3), 32, TIconEncoding::ieBitmap)},
      {"16 bits per pixel", MaskedIcon(Image(4, 4), {}, 16, TIconEncoding::ieBitmap)},
  };
  for (const Case& c : cases) {
    IconFile file;
    file.Images.push_back(c.icon);
    EXPECT_THROW(WriteIco(file), EInvalidGraphic) << c.name;
  }
  EXPECT_THROW(WriteIco(IconFile{}), EInvalidGraphic);
}
