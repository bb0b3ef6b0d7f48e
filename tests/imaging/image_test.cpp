#include "platform/imaging/image.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/ico.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

using namespace vx::plat;
using namespace vx::plat::imaging;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes EmfHeaderStart() {
  Bytes b(44, 0);
  b[0] = 1;  // record type: header
  b[40] = ' ';
  b[41] = 'E';
  b[42] = 'M';
  b[43] = 'F';
  return b;
}

struct DetectCase {
  const char* name;
  Bytes head;
  TImageFormat expected;
};

std::vector<DetectCase> DetectCases() {
  Image tiny(2, 2, 0xFF336699u);
  IconFile icon;
  icon.Images.push_back(MakeIconImage(tiny));
  IconFile cursor = icon;
  cursor.Kind = TIconKind::ikCursor;
  Bytes emfWithoutSignature = EmfHeaderStart();
  emfWithoutSignature[41] = 'X';
  return {
      {"bitmap", WriteBmp(tiny), TImageFormat::ifBmp},
      {"icon", WriteIco(icon), TImageFormat::ifIco},
      {"cursor", WriteIco(cursor), TImageFormat::ifCur},
      {"JPEG", WriteJpeg(tiny), TImageFormat::ifJpeg},
      {"PNG", WritePng(tiny), TImageFormat::ifPng},
      {"enhanced metafile", EmfHeaderStart(), TImageFormat::ifEmf},
      {"placeable metafile", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, TImageFormat::ifWmf},
      {"disk metafile", {2, 0, 9, 0, 0, 3, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, TImageFormat::ifWmf},
      {"memory metafile, version 1", {1, 0, 9, 0, 0, 1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, TImageFormat::ifWmf},
      {"record 1 without the EMF signature", emfWithoutSignature, TImageFormat::ifUnknown},
      {"metafile header of the wrong size",
       {2, 0, 8, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       TImageFormat::ifUnknown},
      {"PNG signature cut short", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, TImageFormat::ifUnknown},
      {"text", {'h', 'e', 'l', 'l', 'o'}, TImageFormat::ifUnknown},
      {"nothing", {}, TImageFormat::ifUnknown},
  };
}

}  // namespace

TEST(ImageFormat, DetectsEveryTypeFromItsFirstBytes) {
  for (const DetectCase& c : DetectCases()) {
    EXPECT_EQ(DetectFormat(c.head), c.expected) << c.name;
    TMemoryStream stream;
    stream.WriteValue<std::uint8_t>(0xAA);
    stream.WriteBuffer(c.head.data(), static_cast<std::int64_t>(c.head.size()));
    stream.SetPosition(1);
    EXPECT_EQ(DetectFormat(stream), c.expected) << c.name << " (stream)";
    EXPECT_EQ(stream.GetPosition(), 1) << c.name;
  }
  EXPECT_STREQ(FormatName(TImageFormat::ifCur), "CUR");
}

TEST(ImageLimits, SizesBeyondTheLimitsAreRefusedBeforeAllocating) {
  struct Case {
    std::int64_t width, height;
    bool accepted;
  };
  const Case cases[] = {
      {0, 0, true},          {kMaxImageSide, 1, true}, {kMaxImageSide + 1, 1, false}, {1, kMaxImageSide + 1, false},
      {16384, 16384, true},  // exactly the pixel limit
      {16384, 16385, false}, {-1, 5, false},           {100000, 100000, false}};
  for (const Case& c : cases) {
    if (c.accepted)
      EXPECT_NO_THROW(CheckImageSize("BMP", c.width, c.height)) << c.width << " x " << c.height;
    else
      EXPECT_THROW(CheckImageSize("BMP", c.width, c.height), EInvalidGraphic) << c.width << " x " << c.height;
  }
  try {
    CheckImageSize("BMP", 100000, 100000);
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Invalid BMP: image of 100000 x 100000 pixels exceeds the limit");
  }
}

TEST(ImageLimits, ANewPictureHasTheRequestedSizeAndFill) {
  Image image(3, 2, 0x80112233u);
  EXPECT_EQ(image.Pixels, std::vector<std::uint32_t>(6, 0x80112233u));
  image.SetPixel(2, 1, 7);
  EXPECT_EQ(image.Row(1)[2], 7u);
  EXPECT_THROW(Image(kMaxImageSide + 1, 1), EInvalidGraphic);
}
