#include "platform/imaging/bmp.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "tests/imaging/picture_builders.h"

using namespace vx::plat;
using namespace vx::plat::imaging;
using namespace vx::plat::imaging::testing;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;
constexpr std::uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

std::uint8_t Expand5(std::uint32_t v) { return static_cast<std::uint8_t>((v * 255 + 15) / 31); }

// Colours a 5-bit-per-channel bitmap can hold exactly.
std::vector<std::uint32_t> FiveBitColours() {
  std::vector<std::uint32_t> colours;
  for (std::uint32_t i = 0; i < 40; ++i)
    colours.push_back(MakePixel(Expand5(i * 7 % 32), Expand5(i * 11 % 32), Expand5(i * 3 % 32)) & 0x00FFFFFFu);
  return colours;
}

struct RoundTripCase {
  const char* name;
  TBmpDepth depth;
  Image source;
};

std::vector<RoundTripCase> RoundTripCases() {
  return {
      {"1 bit", TBmpDepth::bd1, PatternImage(13, 5, {0x123456, 0xABCDEF})},
      {"4 bits", TBmpDepth::bd4, PatternImage(13, 5, DistinctColours(11))},
      {"8 bits", TBmpDepth::bd8, PatternImage(17, 13, DistinctColours(200))},
      {"16 bits", TBmpDepth::bd16, PatternImage(7, 6, FiveBitColours())},
      {"24 bits", TBmpDepth::bd24, GradientImage(13, 5, TAlphaMode::amIgnored)},
      {"32 bits opaque", TBmpDepth::bd32, GradientImage(13, 5, TAlphaMode::amIgnored)},
      {"32 bits with alpha", TBmpDepth::bd32, GradientImage(13, 5, TAlphaMode::amStraight)},
  };
}

void ExpectSamePicture(const Image& expected, const Image& actual) {
  EXPECT_EQ(actual.Width, expected.Width);
  EXPECT_EQ(actual.Height, expected.Height);
  EXPECT_EQ(actual.Alpha, expected.Alpha);
  EXPECT_EQ(actual.Pixels, expected.Pixels);
}

}  // namespace

TEST(BmpCodec, RoundTripKeepsPixelsAtEveryDepthOrderAndForm) {
  for (const RoundTripCase& c : RoundTripCases())
    for (TRowOrder order : {TRowOrder::roBottomUp, TRowOrder::roTopDown}) {
      SCOPED_TRACE(std::string(c.name) + (order == TRowOrder::roTopDown ? ", top-down" : ", bottom-up"));
      Image fromFile = ReadBmp(WriteBmp(c.source, c.depth, order));
      ExpectSamePicture(c.source, fromFile);
      EXPECT_EQ(fromFile.SourceBitDepth, static_cast<int>(c.depth));
      EXPECT_EQ(fromFile.Palette.empty(), c.depth > TBmpDepth::bd8);

      std::vector<std::uint8_t> packed = WriteDib(c.source, c.depth, order);
      ExpectSamePicture(c.source, ReadDib(packed));
      // The same DIB handed over as header and bits apart.
      std::size_t split = DibBitsOffset(packed);
      Image parts = ReadDib(std::span(packed).first(split), std::span(packed).subspan(split));
      EXPECT_EQ(parts.Pixels, c.source.Pixels);
    }
}

TEST(BmpCodec, BottomUpAndTopDownFilesGiveTheSamePicture) {
  // 3 x 2 pixels, 24 bits: top row red, green, blue; bottom row white, black, grey.
  Bytes top = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
  Bytes bottom = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
  Bytes bottomUpBits = bottom, topDownBits = top;
  bottomUpBits.insert(bottomUpBits.end(), top.begin(), top.end());
  topDownBits.insert(topDownBits.end(), bottom.begin(), bottom.end());

  const std::vector<std::uint32_t> expected = {kRed, kGreen, kBlue, kWhite, kBlack, 0xFF808080u};
  Image bottomUp = ReadBmp(BuildBmp({.width = 3, .height = 2, .bits = bottomUpBits}));
  Image topDown = ReadBmp(BuildBmp({.width = 3, .height = -2, .bits = topDownBits}));
  EXPECT_EQ(bottomUp.Pixels, expected);
  EXPECT_EQ(topDown.Pixels, expected);
}

namespace {

struct CraftedCase {
  const char* name;
  BmpFields fields;
  std::vector<std::uint32_t> expected;
  TAlphaMode alpha = TAlphaMode::amIgnored;
};

std::vector<CraftedCase> CraftedCases() {
  std::vector<CraftedCase> cases;
  cases.push_back({"old OS/2 core header with 3-byte colour table",
                   {.headerSize = 12,
                    .width = 2,
                    .height = 1,
                    .bitCount = 1,
                    .palette = {0x0000FF, 0xFF0000},
                    .bits = {0x80, 0, 0, 0}},
                   {kRed, kBlue}});
  cases.push_back({"old OS/2 core header with a table shorter than the depth allows",
                   {.headerSize = 12,
                    .width = 2,
                    .height = 1,
                    .bitCount = 8,
                    .palette = {0x0000FF, 0xFF0000},
                    .bits = {1, 0, 0, 0}},
                   {kRed, kBlue}});
  cases.push_back({"OS/2 2.x 16-byte header",
                   {.headerSize = 16, .width = 1, .height = 1, .bitCount = 24, .bits = {255, 0, 0, 0}},
                   {kBlue}});
  cases.push_back({"16 bits 5-6-5 bit fields after a 40-byte header",
                   {.width = 4,
                    .height = 1,
                    .bitCount = 16,
                    .compression = 3,
                    .masks = {0xF800, 0x07E0, 0x001F},
                    .bits = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84}},
                   {kRed, kGreen, kBlue, MakePixel(132, 130, 132)}});
  cases.push_back({"16 bits without compression are 5-5-5",
                   {.width = 2, .height = 1, .bitCount = 16, .bits = {0x00, 0x7C, 0xE0, 0x03}},
                   {kRed, kGreen}});
  cases.push_back({"32 bits with an unused fourth byte are opaque",
                   {.width = 2, .height = 1, .bitCount = 32, .bits = {0, 0, 255, 0, 255, 0, 0, 0}},
                   {kRed, kBlue}});
  cases.push_back({"32 bits with varying fourth bytes carry alpha",
                   {.width = 2, .height = 1, .bitCount = 32, .bits = {0, 0, 255, 128, 255, 0, 0, 255}},
                   {0x80FF0000u, kBlue},
                   TAlphaMode::amStraight});
  cases.push_back({"version-5 header with an alpha mask",
                   {.headerSize = 124,
                    .width = 2,
                    .height = 1,
                    .bitCount = 32,
                    .compression = 3,
                    .masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF},
                    .bits = {0x40, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF}},
                   {0x40FF0000u, kBlue},
                   TAlphaMode::amStraight});
  cases.push_back({"indices beyond a short colour table are black",
                   {.width = 2,
                    .height = 1,
                    .bitCount = 4,
                    .colorsUsed = 2,
                    .palette = {0xFF0000, 0x00FF00},
                    .bits = {0x15, 0, 0, 0}},
                   {kGreen, kBlack}});
  cases.push_back({"top-down 8 bits",
                   {.width = 1,
                    .height = -2,
                    .bitCount = 8,
                    .colorsUsed = 2,
                    .palette = {0xFF0000, 0x0000FF},
                    .bits = {0, 0, 0, 0, 1, 0, 0, 0}},
                   {kRed, kBlue}});
  cases.push_back({"no columns but three rows", {.width = 0, .height = 3, .bitCount = 32}, {}});
  cases.push_back({"a zero pixel offset means right after the colour table",
                   {.width = 1,
                    .height = 1,
                    .bitCount = 8,
                    .colorsUsed = 1,
                    .palette = {0x00FF00},
                    .bits = {0, 0, 0, 0},
                    .offBits = 0},
                   {kGreen}});
  // Bottom row first: run of 3, end of line; literal 2 1 2 then a run of 1,
  // end of line; move right by 2, run of 2, end of picture.
  cases.push_back({"run-length 8 bits with literal runs, a move and skipped pixels",
                   {.width = 4,
                    .height = 3,
                    .bitCount = 8,
                    .compression = 1,
                    .colorsUsed = 3,
                    .palette = {0x000000, 0xFF0000, 0x00FF00},
                    .bits = {3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 1, 1, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1}},
                   {kBlack, kBlack, kGreen, kGreen, kGreen, kRed, kGreen, kRed, kRed, kRed, kRed, kBlack}});
  cases.push_back({"run-length 4 bits alternate the two nibbles of a run",
                   {.width = 5,
                    .height = 2,
                    .bitCount = 4,
                    .compression = 2,
                    .colorsUsed = 7,
                    .palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0x00FFFF},
                    .bits = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x66, 0, 1}},
                   {kBlue, kWhite, 0xFF808080u, 0xFF00FFFFu, 0xFF00FFFFu, kRed, kGreen, kRed, kGreen, kRed}});
  return cases;
}

}  // namespace

TEST(BmpCodec, DecodesHeaderVersionsBitFieldsAndRunLengthData) {
  for (const CraftedCase& c : CraftedCases()) {
    SCOPED_TRACE(c.name);
    Image image = ReadBmp(BuildBmp(c.fields));
    EXPECT_EQ(image.Pixels, c.expected);
    EXPECT_EQ(image.Alpha, c.alpha);
  }
}

TEST(BmpCodec, PackedDibWithBitFieldsHasItsBitsAfterTheMasks) {
  BmpFields f{.width = 1,
              .height = 1,
              .bitCount = 32,
              .compression = 3,
              .masks = {0x00FF0000, 0x0000FF00, 0x000000FF},
              .bits = {0, 255, 0, 0},
              .fileHeader = false};
  Bytes packed = BuildBmp(f);
  EXPECT_EQ(DibBitsOffset(packed), 52u);
  EXPECT_EQ(ReadDib(packed).Pixels, std::vector<std::uint32_t>{kGreen});
}

TEST(BmpCodec, ReSaveKeepsTheColourTableAndIndices) {
  // A table in no particular order with entries the pixels never use.
  std::vector<std::uint32_t> table = {0x445566, 0x00FF00, 0x123456, 0xFEDCBA, 0x000000, 0x999999};
  Image source = PatternImage(6, 3, {0xFEDCBA, 0x445566, 0x999999});
  source.Palette = table;
  source.SourceBitDepth = 4;

  Bytes file = WriteBmp(source);  // the source depth
  Image back = ReadBmp(file);
  EXPECT_EQ(back.SourceBitDepth, 4);
  EXPECT_EQ(back.Palette, table);
  EXPECT_EQ(back.Pixels, source.Pixels);
  // The first stored byte (bottom row) holds the indices of 0xFEDCBA and 0x445566.
  std::size_t bits = 14 + 40 + 4 * table.size();
  EXPECT_EQ(file[bits], 0x30);
}

TEST(BmpCodec, MoreColoursThanTheTableHoldsMapToTheNearestEntry) {
  Image source = PatternImage(4, 1, {0x101010, 0xF0F0F0, 0x202020, 0xE0E0E0});
  Image back = ReadBmp(WriteBmp(source, TBmpDepth::bd1));
  EXPECT_EQ(back.Pixels, (std::vector<std::uint32_t>{kBlack, kWhite, kBlack, kWhite}));
}

TEST(BmpCodec, SourceDepthResolvesToTheFileDepthOr24) {
  struct Case {
    std::uint16_t source;
    TBmpDepth requested;
    std::uint16_t written;
  };
  const Case cases[] = {{8, TBmpDepth::bdSource, 8},   {1, TBmpDepth::bdSource, 1},  {2, TBmpDepth::bdSource, 24},
                        {32, TBmpDepth::bdSource, 32}, {0, TBmpDepth::bdSource, 24}, {8, TBmpDepth::bd24, 24},
                        {24, TBmpDepth::bd4, 4}};
  for (const Case& c : cases) {
    Image image(1, 1);
    image.SourceBitDepth = c.source;
    EXPECT_EQ(ResolveBmpDepth(image, c.requested), c.written) << "source " << c.source;
  }
}

TEST(BmpCodec, DibStrideIsPaddedToFourBytes) {
  EXPECT_EQ(DibStride(1, 1), 4);
  EXPECT_EQ(DibStride(33, 1), 8);
  EXPECT_EQ(DibStride(3, 24), 12);
  EXPECT_EQ(DibStride(5, 4), 4);
  EXPECT_EQ(DibStride(32768, 32), 131072);
}

TEST(BmpCodec, StreamReadStopsAtTheEndOfEachPicture) {
  Image first = PatternImage(5, 3, DistinctColours(4));
  Image second = GradientImage(3, 2, TAlphaMode::amIgnored);
  TMemoryStream stream;
  WriteBmp(stream, first, TBmpDepth::bd8);
  std::int64_t firstEnd = stream.GetPosition();
  WriteBmp(stream, second, TBmpDepth::bd24);
  stream.WriteValue<std::uint32_t>(0xC0FFEE);
  stream.SetPosition(0);

  EXPECT_EQ(ReadBmp(stream).Pixels, first.Pixels);
  EXPECT_EQ(stream.GetPosition(), firstEnd);
  EXPECT_EQ(ReadBmp(stream).Pixels, second.Pixels);
  EXPECT_EQ(stream.ReadValue<std::uint32_t>(), 0xC0FFEEu);
}

TEST(BmpCodec, StreamReadHonoursALargerFileSizeAndRestoresThePositionOnFailure) {
  // A file whose size field covers 6 trailing bytes (e.g. a colour profile).
  Bytes file = BuildBmp({.width = 1, .height = 1, .bitCount = 24, .bits = {1, 2, 3, 0, 9, 9, 9, 9, 9, 9}});
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  stream.WriteValue<std::uint8_t>(0x77);
  stream.SetPosition(0);
  ReadBmp(stream);
  EXPECT_EQ(stream.GetPosition(), static_cast<std::int64_t>(file.size()));

  TMemoryStream broken;
  broken.WriteBuffer(file.data(), 30);
  broken.SetPosition(0);
  EXPECT_THROW(ReadBmp(broken), EInvalidGraphic);
  EXPECT_EQ(broken.GetPosition(), 0);
}

TEST(BmpCodec, EveryTruncationOfAValidFileIsRefused) {
  Bytes file = WriteBmp(PatternImage(5, 3, DistinctColours(6)), TBmpDepth::bd8);
  ASSERT_NO_THROW(ReadBmp(file));
  for (std::size_t length = 0; length < file.size(); ++length) {
    std::span<const std::uint8_t> prefix(file.data(), length);
    EXPECT_THROW(ReadBmp(prefix), EInvalidGraphic) << "prefix of " << length << " bytes";
    TMemoryStream stream;
    stream.WriteBuffer(prefix.data(), static_cast<std::int64_t>(length));
    stream.SetPosition(0);
    EXPECT_THROW(ReadBmp(stream), EInvalidGraphic) << "stream of " << length << " bytes";
  }
}

TEST(BmpCodec, DamagedHeaderBytesDecodeOrRaiseInvalidGraphic) {
  Bytes files[] = {WriteBmp(PatternImage(5, 3, DistinctColours(6)), TBmpDepth::bd4),
                   BuildBmp({.width = 4,
                             .height = 3,
                             .bitCount = 8,
                             .compression = 1,
                             .colorsUsed = 2,
                             .palette = {0, 0xFFFFFF},
                             .bits = {3, 1, 0, 0, 0, 3, 1, 0, 1, 0, 0, 1}})};
  for (const Bytes& file : files)
    for (std::size_t i = 0; i < std::min<std::size_t>(file.size(), 80); ++i)
      for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
        Bytes damaged = file;
        damaged[i] = value;
        try {
          Image image = ReadBmp(damaged);
          EXPECT_EQ(image.Pixels.size(),
                    static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height));
        } catch (const EInvalidGraphic&) {
        }
      }
}

TEST(BmpCodec, WritingRefusesAPictureWhosePixelsDoNotMatchItsSize) {
  Image image(4, 4);
  image.Pixels.pop_back();
  EXPECT_THROW(WriteBmp(image), EInvalidGraphic);
}

TEST(BmpCodec, AnEmptyPictureRoundTrips) {
  Image empty;
  Image back = ReadBmp(WriteBmp(empty, TBmpDepth::bd24));
  EXPECT_EQ(back.Width, 0);
  EXPECT_EQ(back.Height, 0);
  EXPECT_TRUE(back.Pixels.empty());
}
