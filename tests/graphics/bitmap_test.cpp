// TBitmap: sizes, bitmap-file stream images at the kept depth, transparent
// and stretched drawing (also mirrored and under a flipped mapping), masks,
// monochrome conversion and the device-independent form.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/core/stream.h"
#include "platform/graphics/bitmap.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

namespace vx::plat {
namespace {

// Every pixel of a bitmap, row by row.
std::vector<TColor> PixelsOf(const TBitmap& b) {
  std::vector<TColor> r;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) r.push_back(b.GetPixel(x, y));
  return r;
}

// A bitmap whose pixels are `colors`, `width` per row.
void Paint(TBitmap& b, int width, const std::vector<TColor>& colors) {
  b.SetSize(width, int(colors.size()) / width);
  for (std::size_t i = 0; i < colors.size(); ++i) b.SetPixel(int(i) % width, int(i) / width, colors[i]);
}

TEST(Bitmap, ResizingKeepsTheTopLeftPixelsAndFillsWithTheBrushColour) {
  TBitmap b(4, 3);
  EXPECT_EQ(b.GetPixel(3, 2), clWhite);
  b.SetPixel(0, 0, clRed);
  b.SetPixel(3, 1, clBlue);
  b.SetSize(6, 2);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(3, 1), clBlue);
  EXPECT_EQ(b.GetPixel(5, 1), clWhite);
  b.GetCanvas().GetBrush().SetColor(clLime);
  b.SetWidth(8);
  EXPECT_EQ(b.GetPixel(7, 0), clLime);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);

  b.SetHeight(-5);  // a negative size empties the bitmap
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(b.GetHandle(), nullptr);
}

TEST(Bitmap, OversizedRequestsAreRefusedAndChangeNothing) {
  TBitmap b(3, 3);
  b.SetPixel(1, 1, clRed);
  EXPECT_THROW(b.SetSize(40000, 10), EInvalidGraphic);
  EXPECT_THROW(b.SetSize(20000, 20000), EInvalidGraphic);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetPixel(1, 1), clRed);
}

TEST(Bitmap, DrawingOnTheCanvasChangesTheBitmap) {
  TBitmap b(10, 10);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.GetCanvas().GetBrush().SetColor(clNavy);
  b.GetCanvas().FillRect(Rect(0, 0, 5, 5));
  EXPECT_EQ(b.GetPixel(4, 4), clNavy);
  EXPECT_EQ(b.GetPixel(5, 5), clWhite);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.GetModified());

  b.SetSize(20, 20);  // a new device bitmap: the canvas follows it
  b.GetCanvas().FillRect(Rect(15, 15, 20, 20));
  EXPECT_EQ(b.GetPixel(19, 19), clNavy);
  EXPECT_EQ(b.GetPixel(4, 4), clNavy);
}

struct DepthCase {
  TPixelFormat format;
  int savedBits;
  TPixelFormat loadedFormat;
  friend void PrintTo(const DepthCase& c, std::ostream* os) { *os << "format " << int(c.format); }
};

class BitmapStreamDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BitmapStreamDepth, RoundTripKeepsPixelsAndDepth) {
  const auto& c = GetParam();
  TBitmap b;
  // Colours every table holds (the standard 16-colour table included).
  const bool mono = c.format == pf1bit;
  Paint(b, 4,
        mono ? std::vector<TColor>{clBlack, clWhite, clWhite, clBlack, clWhite, clBlack, clBlack, clBlack}
             : std::vector<TColor>{clRed, clLime, clBlue, clWhite, clBlack, clYellow, clFuchsia, clNavy});
  b.SetPixelFormat(c.format);
  const auto before = PixelsOf(b);

  TMemoryStream stream;
  b.SaveToStream(stream);
  ASSERT_GE(stream.GetSize(), 54);
  EXPECT_EQ(stream.Memory()[0], 'B');
  std::uint16_t bits = 0;
  std::memcpy(&bits, stream.Memory() + 28, 2);
  EXPECT_EQ(bits, c.savedBits);

  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(stream.GetPosition(), stream.GetSize());
  EXPECT_EQ(loaded.GetPixelFormat(), c.loadedFormat);
  EXPECT_EQ(PixelsOf(loaded), before);

  // Saved again, the depth stays (decision: a loaded depth is kept).
  TMemoryStream again;
  loaded.SaveToStream(again);
  std::memcpy(&bits, again.Memory() + 28, 2);
  EXPECT_EQ(bits, c.savedBits);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapStreamDepth,
                         ::testing::Values(DepthCase{pfDevice, 24, pf24bit}, DepthCase{pf1bit, 1, pf1bit},
                                           DepthCase{pf4bit, 4, pf4bit}, DepthCase{pf8bit, 8, pf8bit},
                                           DepthCase{pf24bit, 24, pf24bit}, DepthCase{pf32bit, 32, pf32bit}));

TEST(Bitmap, StreamImagesEndWhereTheyEndSoOtherDataCanFollow) {
  TBitmap first(3, 2), empty, second(5, 1);
  first.SetPixel(2, 1, clRed);
  second.SetPixel(4, 0, clBlue);
  TMemoryStream stream;
  first.SaveToStream(stream);
  empty.SaveToStream(stream);
  second.SaveToStream(stream);
  stream.WriteValue<std::int32_t>(0x12345678);

  stream.SetPosition(0);
  TBitmap a, b, c;
  a.LoadFromStream(stream);
  b.LoadFromStream(stream);
  c.LoadFromStream(stream);
  EXPECT_EQ(stream.ReadValue<std::int32_t>(), 0x12345678);
  EXPECT_EQ(a.GetPixel(2, 1), clRed);
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(c.GetWidth(), 5);
  EXPECT_EQ(c.GetPixel(4, 0), clBlue);
}

TEST(Bitmap, DamagedDataRaiseAndLeaveTheBitmapAsItWas) {
  TBitmap good(6, 4);
  good.SetPixel(1, 1, clRed);
  TMemoryStream image;
  good.SaveToStream(image);

  std::vector<std::vector<std::uint8_t>> damaged;
  damaged.emplace_back(image.Bytes().begin(), image.Bytes().begin() + 40);  // truncated header
  damaged.emplace_back(image.Bytes().begin(), image.Bytes().end() - 10);    // truncated pixels
  damaged.push_back({'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F});                    // absurd size
  damaged.push_back({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0}); // not a bitmap
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    TBitmap target(2, 2);
    target.SetPixel(0, 0, clBlue);
    TMemoryStream stream;
    stream.WriteBuffer(damaged[i].data(), std::int64_t(damaged[i].size()));
    stream.SetPosition(0);
    EXPECT_THROW(target.LoadFromStream(stream), EInvalidGraphic) << "case " << i;
    EXPECT_EQ(target.GetWidth(), 2);
    EXPECT_EQ(target.GetPixel(0, 0), clBlue);
  }
}

TEST(Bitmap, PngAndJpegImagesLoadAsBitmapsPngComposedOverWhite) {
  imaging::Image image(2, 1);
  image.Pixels = {imaging::MakePixel(255, 0, 0, 255), imaging::MakePixel(0, 0, 0, 0)};
  image.Alpha = imaging::TAlphaMode::amStraight;
  TMemoryStream stream;
  imaging::WritePng(stream, image);
  stream.SetPosition(0);
  TBitmap b;
  b.LoadFromStream(stream);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(1, 0), clWhite);

  imaging::Image grey(8, 8, imaging::MakePixel(128, 128, 128));
  TMemoryStream jpeg;
  imaging::WriteJpeg(jpeg, grey);
  jpeg.WriteValue<std::uint8_t>(42);
  jpeg.SetPosition(0);
  b.LoadFromStream(jpeg);
  EXPECT_EQ(b.GetWidth(), 8);
  EXPECT_EQ(jpeg.ReadValue<std::uint8_t>(), 42);
  const TColor c = b.GetPixel(3, 3);
  EXPECT_NEAR(c & 0xFF, 128, 4);
}

// A destination sheet filled green, the source drawn on it.
struct Destination {
  TBitmap sheet;
  Destination(int w, int h) : sheet(w, h) {
    sheet.GetCanvas().GetBrush().SetColor(clGreen);
    sheet.GetCanvas().FillRect(Rect(0, 0, w, h));
  }
};

TEST(Bitmap, TransparentDrawingLeavesTransparentColouredPixelsAlone) {
  // 3 x 2 source: fuchsia is the transparent colour.
  TBitmap source;
  Paint(source, 3, {clFuchsia, clRed, clFuchsia, clBlue, clFuchsia, clRed});
  source.SetTransparent(true);
  source.SetTransparentColor(clFuchsia);
  struct Case {
    TRect r;
    bool mirrorX;
  };
  for (const Case c : {Case{Rect(0, 0, 3, 2), false}, Case{Rect(1, 1, 10, 7), false}, Case{Rect(9, 0, 0, 6), true}}) {
    Destination d(12, 8);
    d.sheet.GetCanvas().StretchDraw(c.r, &source);
    const int left = std::min(c.r.Left, c.r.Right), w = std::abs(c.r.Right - c.r.Left), h = c.r.Bottom - c.r.Top;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x) {
        TColor want = clGreen;
        if (x >= left && x < left + w && y >= c.r.Top && y < c.r.Bottom) {
          int sx = (x - left) * 3 / w;
          if (c.mirrorX) sx = 2 - sx;
          const int sy = (y - c.r.Top) * 2 / h;
          const TColor s = source.GetPixel(sx, sy);
          want = s == clFuchsia ? clGreen : s;
        }
        EXPECT_EQ(d.sheet.GetPixel(x, y), want) << "pixel (" << x << ", " << y << ") of " << c.r.Left << ","
                                                << c.r.Top << "," << c.r.Right << "," << c.r.Bottom;
      }
  }
}

TEST(Bitmap, TransparentModeAutoTakesTheBottomLeftPixel) {
  TBitmap b;
  Paint(b, 2, {clRed, clBlue, clLime, clYellow});
  EXPECT_EQ(b.GetTransparentMode(), tmAuto);
  EXPECT_EQ(b.GetTransparentColor(), clLime);
  b.SetTransparentColor(b.GetPixel(0, 0));  // what pictures do when their brush is clear
  EXPECT_EQ(b.GetTransparentMode(), tmFixed);
  EXPECT_EQ(b.GetTransparentColor(), clRed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.GetTransparentColor(), clLime);

  b.SetTransparent(true);
  Destination d(2, 2);
  d.sheet.GetCanvas().Draw(0, 0, &b);
  EXPECT_EQ(d.sheet.GetPixel(0, 1), clGreen);
  EXPECT_EQ(d.sheet.GetPixel(0, 0), clRed);
}

TEST(Bitmap, StretchDrawFollowsAFlippedMappingAndNegativeExtents) {
  TBitmap source;
  Paint(source, 2, {clRed, clBlue, clLime, clYellow});
  HDC dc = CreateRasterDC(20, 50);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    // Two pixels per logical unit, y up, logical (0, 0) at device (0, 40).
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 2, -2, nullptr);
    SetViewportOrgEx(dc, 0, 40, nullptr);
    canvas.StretchDraw(Rect(0, 0, 2, 2), &source);
    canvas.Draw(5, 0, &source);  // the same through Draw, further right
    canvas.SetHandle(nullptr);
  }
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* px = RasterPixels(dc, &w, &h, &stride);
  auto at = [&](int x, int y) { return PixelToColor(px[y * stride + x]); };
  for (int dx : {0, 10}) {
    // Logical y grows upwards: the picture's top row lies next to logical y = 0 (device row 39).
    EXPECT_EQ(at(dx + 0, 39), clRed);
    EXPECT_EQ(at(dx + 1, 38), clRed);
    EXPECT_EQ(at(dx + 3, 39), clBlue);
    EXPECT_EQ(at(dx + 0, 37), clLime);
    EXPECT_EQ(at(dx + 3, 36), clYellow);
    EXPECT_EQ(at(dx + 0, 35), clWhite);
    EXPECT_EQ(at(dx + 0, 40), clWhite);
  }
  DeleteDC(dc);

  Destination d(6, 2);
  d.sheet.GetCanvas().StretchDraw(Rect(4, 0, 0, 2), &source);  // right left of left: mirrored
  EXPECT_EQ(d.sheet.GetPixel(0, 0), clBlue);
  EXPECT_EQ(d.sheet.GetPixel(3, 0), clRed);
  EXPECT_EQ(d.sheet.GetPixel(3, 1), clLime);
  EXPECT_EQ(d.sheet.GetPixel(4, 0), clGreen);
}

TEST(Bitmap, MaskTurnsTheTransparentColourWhiteAndEverythingElseBlack) {
  TBitmap b;
  Paint(b, 3, {clRed, clBlue, clRed, clWhite, clRed, clBlack});
  b.Mask(clRed);
  EXPECT_TRUE(b.GetMonochrome());
  EXPECT_EQ(b.GetPixelFormat(), pf1bit);
  EXPECT_EQ(PixelsOf(b), (std::vector<TColor>{clWhite, clBlack, clWhite, clBlack, clWhite, clBlack}));

  // Drawn onto a colour surface, a mask stays black and white.
  Destination d(3, 2);
  d.sheet.GetCanvas().Draw(0, 0, &b);
  EXPECT_EQ(d.sheet.GetPixel(0, 0), clWhite);
  EXPECT_EQ(d.sheet.GetPixel(1, 0), clBlack);
}

TEST(Bitmap, MonochromeConversionKeepsOnlyWhite) {
  TBitmap b;
  Paint(b, 3, {clWhite, clSilver, clBlack});
  b.SetMonochrome(true);
  EXPECT_TRUE(b.GetMonochrome());
  EXPECT_EQ(PixelsOf(b), (std::vector<TColor>{clWhite, clBlack, clBlack}));
  b.SetPixel(1, 0, clYellow);  // a monochrome bitmap holds black and white only
  EXPECT_EQ(b.GetPixel(1, 0), clBlack);
  b.SetMonochrome(false);
  b.SetPixel(1, 0, clYellow);
  EXPECT_EQ(b.GetPixel(1, 0), clYellow);
  EXPECT_FALSE(b.GetMonochrome());

  TBitmap nearest;
  Paint(nearest, 3, {clWhite, clSilver, clNavy});
  nearest.SetPixelFormat(pf1bit);  // by format: the nearer of black and white
  EXPECT_EQ(PixelsOf(nearest), (std::vector<TColor>{clWhite, clWhite, clBlack}));
}

TEST(Bitmap, AssignCopiesPixelsFormatAndTransparency) {
  TBitmap source;
  Paint(source, 2, {clRed, clBlue, clLime, clYellow});
  source.SetPixelFormat(pf8bit);
  source.SetTransparent(true);
  source.SetTransparentColor(clBlue);
  TBitmap copy;
  copy.Assign(&source);
  EXPECT_EQ(PixelsOf(copy), PixelsOf(source));
  EXPECT_EQ(copy.GetPixelFormat(), pf8bit);
  EXPECT_TRUE(copy.GetTransparent());
  EXPECT_EQ(copy.GetTransparentColor(), clBlue);
  copy.SetPixel(0, 0, clBlack);
  EXPECT_EQ(source.GetPixel(0, 0), clRed);  // an independent copy
  EXPECT_NE(copy.GetHandle(), source.GetHandle());

  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
}

TEST(Bitmap, DeviceIndependentFormHasExactSizesAndBottomUpRows) {
  TBitmap b;
  Paint(b, 3, {clRed, clLime, clBlue, clWhite, clBlack, TColor(0x123456)});
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(b.GetHandle(), infoSize, imageSize);
  EXPECT_EQ(infoSize, 40u);
  EXPECT_EQ(imageSize, 3u * 4u * 2u);
  std::vector<std::uint8_t> info(infoSize), bits(imageSize);
  ASSERT_TRUE(GetDIB(b.GetHandle(), reinterpret_cast<BITMAPINFO*>(info.data()), bits.data()));
  BITMAPINFOHEADER header;
  std::memcpy(&header, info.data(), sizeof header);
  EXPECT_EQ(header.biWidth, 3);
  EXPECT_EQ(header.biHeight, 2);
  EXPECT_EQ(header.biBitCount, 32);
  // First stored row is the bottom one: white, black, 0x123456 (B, G, R, 0 bytes).
  const std::vector<std::uint8_t> bottom = {255, 255, 255, 0, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(bits.begin(), bits.begin() + 12), bottom);
  EXPECT_EQ(std::vector<std::uint8_t>(bits.begin() + 12, bits.end()),
            (std::vector<std::uint8_t>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}));

  // A monochrome mask: one bit per pixel, black and white colour table, rows padded to 4 bytes.
  b.Mask(clBlack);
  GetDIBSizes(b.GetHandle(), infoSize, imageSize);
  EXPECT_EQ(infoSize, 48u);
  EXPECT_EQ(imageSize, 8u);
  info.assign(infoSize, 0);
  bits.assign(imageSize, 0xAA);
  ASSERT_TRUE(GetDIB(b.GetHandle(), reinterpret_cast<BITMAPINFO*>(info.data()), bits.data()));
  std::memcpy(&header, info.data(), sizeof header);
  EXPECT_EQ(header.biBitCount, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 40, info.end()),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
  EXPECT_EQ(bits, (std::vector<std::uint8_t>{0x40, 0, 0, 0, 0, 0, 0, 0}));  // bottom row: only the black pixel

  GetDIBSizes(nullptr, infoSize, imageSize);
  EXPECT_EQ(infoSize, 0u);
  EXPECT_FALSE(GetDIB(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), bits.data()));
}

TEST(Bitmap, HandlesAreFreedWithTheBitmap) {
  const std::size_t before = GdiObjectCount();
  {
    TBitmap b(10, 10);
    b.GetCanvas().Rectangle(0, 0, 5, 5);
    b.SetSize(20, 5);
    b.Mask(clWhite);
    TBitmap c;
    c.Assign(&b);
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
}  // namespace vx::plat
