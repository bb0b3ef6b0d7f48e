// Bitmaps and transfers: monochrome <-> colour conversion rules, the
// transparent transfer through a monochrome mask, stretching and mirroring,
// and the device-independent bitmap exchange (GetDIBits / StretchDIBits),
// including headers that must be refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "tests/gdi/dc_test_support.h"

namespace vx::plat {
namespace {

using testing::RasterDC;

constexpr COLORREF kMagenta = 0xFF00FF;

// A memory DC holding `bitmap`, restored and freed at scope end.
class BitmapDC {
public:
  explicit BitmapDC(HBITMAP bitmap) : FDC(CreateCompatibleDC(nullptr)), FOld(SelectObject(FDC, bitmap)) {}
  ~BitmapDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  operator HDC() const { return FDC; }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

std::uint32_t BitmapPixel(HBITMAP b, int x, int y) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* p = BitmapPixels(b, &w, &h, &stride);
  return p[static_cast<std::ptrdiff_t>(y) * stride + x];
}

TEST(Monochrome, ColourSourcesTurnWhereTheyEqualTheSourceBackground) {
  RasterDC image(4, 1);
  SetPixel(image, 0, 0, kMagenta);
  SetPixel(image, 1, 0, 0x000000);
  SetPixel(image, 2, 0, 0xFFFFFF);
  SetPixel(image, 3, 0, kMagenta);
  SetBkColor(image, kMagenta);
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, nullptr);
  {
    BitmapDC maskDC(mask);
    ASSERT_TRUE(BitBlt(maskDC, 0, 0, 4, 1, image, 0, 0, SRCCOPY));
  }
  // Background-coloured pixels become white (1), all others black (0), even white ones.
  EXPECT_EQ(BitmapPixel(mask, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(BitmapPixel(mask, 1, 0), 0u);
  EXPECT_EQ(BitmapPixel(mask, 2, 0), 0u);
  EXPECT_EQ(BitmapPixel(mask, 3, 0), 0xFFFFFFu);
  DeleteObject(mask);
}

TEST(Monochrome, MonochromeSourcesTakeTheDestinationTextAndBackgroundColours) {
  const std::uint8_t rows[2] = {0xA0, 0x00};  // 1, 0, 1, 0
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, rows);
  RasterDC dest(4, 1);
  SetTextColor(dest, 0x0000FF);  // 0 bits: red
  SetBkColor(dest, 0x00FF00);    // 1 bits: green
  {
    BitmapDC src(mono);
    ASSERT_TRUE(BitBlt(dest, 0, 0, 4, 1, src, 0, 0, SRCCOPY));
  }
  EXPECT_EQ(dest.Pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(dest.Pixel(1, 0), 0xFF0000u);
  EXPECT_EQ(dest.Pixel(2, 0), 0x00FF00u);
  EXPECT_EQ(dest.Pixel(3, 0), 0xFF0000u);
  DeleteObject(mono);
}

TEST(Monochrome, CompatibleBitmapsFollowTheBitmapHeldByTheDC) {
  HDC memory = CreateCompatibleDC(nullptr);  // holds the 1x1 monochrome bitmap
  HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
  EXPECT_EQ(BitmapBitsPerPixel(mono), 1);
  HBITMAP screen = CreateCompatibleBitmap(nullptr, 8, 8);
  EXPECT_EQ(BitmapBitsPerPixel(screen), 32);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 5);
  BITMAP bm{};
  ASSERT_EQ(GetObject(empty, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  for (HBITMAP b : {mono, screen, empty}) DeleteObject(b);
  DeleteDC(memory);
}

TEST(TransparentTransfer, AndMaskThenPaintImageLeavesTransparentPixelsAlone) {
  // A 3x3 image: magenta (transparent) frame around a blue centre.
  RasterDC image(3, 3);
  RECT all{0, 0, 3, 3};
  HBRUSH magenta = CreateSolidBrush(kMagenta);
  FillRect(image, &all, magenta);
  SetPixel(image, 1, 1, 0xFF0000);
  // Mask: transparent pixels white, others black.
  HBITMAP mask = CreateBitmap(3, 3, 1, 1, nullptr);
  BitmapDC maskDC(mask);
  SetBkColor(image, kMagenta);
  BitBlt(maskDC, 0, 0, 3, 3, image, 0, 0, SRCCOPY);
  // Image with its transparent pixels black: image AND NOT mask (DSna on the
  // image; the mask's 1 bits arrive as the image's background colour, white).
  SetTextColor(image, 0x000000);
  SetBkColor(image, 0xFFFFFF);
  BitBlt(image, 0, 0, 3, 3, maskDC, 0, 0, 0x00220326);
  // Destination: grey. AND with the mask (white keeps, black clears), then paint the image.
  RasterDC dest(5, 5);
  RECT destAll{0, 0, 5, 5};
  HBRUSH grey = CreateSolidBrush(0x808080);
  FillRect(dest, &destAll, grey);
  SetTextColor(dest, 0x000000);
  SetBkColor(dest, 0xFFFFFF);
  BitBlt(dest, 1, 1, 3, 3, maskDC, 0, 0, SRCAND);
  BitBlt(dest, 1, 1, 3, 3, image, 0, 0, SRCPAINT);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.Pixel(x, y), x == 2 && y == 2 ? 0x0000FFu : 0x808080u) << x << "," << y;
  DeleteObject(magenta);
  DeleteObject(grey);
  SelectObject(maskDC, GetStockObject(WHITE_BRUSH));
}

TEST(Stretching, RepeatsOrDropsPixelsAndMirrorsOnOppositeSigns) {
  RasterDC src(2, 2);
  SetPixel(src, 0, 0, 0x0000FF);
  SetPixel(src, 1, 0, 0x00FF00);
  SetPixel(src, 0, 1, 0xFF0000);
  SetPixel(src, 1, 1, 0x000000);
  RasterDC dest(8, 4);
  ASSERT_TRUE(StretchBlt(dest, 0, 0, 4, 4, src, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dest.Pixel(1, 1), 0xFF0000u);  // red (0x0000FF) as a pixel
  EXPECT_EQ(dest.Pixel(2, 1), 0x00FF00u);
  EXPECT_EQ(dest.Pixel(1, 2), 0x0000FFu);
  EXPECT_EQ(dest.Pixel(3, 3), 0x000000u);
  // Mirrored horizontally: a negative destination width.
  ASSERT_TRUE(StretchBlt(dest, 8, 0, -4, 4, src, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dest.Pixel(7, 0), 0xFF0000u);
  EXPECT_EQ(dest.Pixel(4, 0), 0x00FF00u);
  // Shrinking keeps one pixel of each source block.
  RasterDC small(1, 1);
  ASSERT_TRUE(StretchBlt(small, 0, 0, 1, 1, dest, 0, 0, 4, 4, SRCCOPY));
  EXPECT_NE(small.Pixel(0, 0), 0xFFFFFFu);
}

TEST(Stretching, ABitmapCopiedOntoItselfReadsTheOriginalPixels) {
  RasterDC dc(4, 1);
  for (int x = 0; x < 4; ++x) SetPixel(dc, x, 0, static_cast<COLORREF>(x * 0x10));
  ASSERT_TRUE(BitBlt(dc, 1, 0, 3, 1, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dc.Pixel(1, 0), 0x000000u);
  EXPECT_EQ(dc.Pixel(2, 0), 0x100000u);
  EXPECT_EQ(dc.Pixel(3, 0), 0x200000u);
}

struct DibFormat {
  int bitCount;
  int heightSign;  // +1 bottom-up, -1 top-down
};

class DibRoundTrip : public ::testing::TestWithParam<DibFormat> {};

TEST_P(DibRoundTrip, GetDIBitsThenStretchDIBitsReproducesThePicture) {
  RasterDC src(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) SetPixel(src, x, y, (x * 50) | (y * 100) << 8 | ((x + y) & 1 ? 0xFF0000 : 0));
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(src, OBJ_BITMAP));

  std::vector<std::uint8_t> infoBuffer(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(infoBuffer.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biWidth = 5;
  info->bmiHeader.biHeight = 3 * GetParam().heightSign;
  info->bmiHeader.biBitCount = static_cast<WORD>(GetParam().bitCount);
  // The size query reports exactly the bytes the transfer writes.
  ASSERT_NE(GetDIBits(src, bitmap, 0, 3, nullptr, info, DIB_RGB_COLORS), 0);
  const std::size_t rowBytes = ((5u * GetParam().bitCount + 31) / 32) * 4;
  ASSERT_EQ(info->bmiHeader.biSizeImage, rowBytes * 3);
  std::vector<std::uint8_t> bits(info->bmiHeader.biSizeImage);
  ASSERT_EQ(GetDIBits(src, bitmap, 0, 3, bits.data(), info, DIB_RGB_COLORS), 3);

  RasterDC dest(5, 3);
  ASSERT_EQ(StretchDIBits(dest, 0, 0, 5, 3, 0, 0, 5, 3, bits.data(), bits.size(), info, DIB_RGB_COLORS, SRCCOPY), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t original = src.Pixel(x, y);
      const std::uint32_t expected =
          GetParam().bitCount == 1
              ? ((original & 0xFF) + ((original >> 8) & 0xFF) + ((original >> 16) & 0xFF) >= 384 ? 0xFFFFFFu : 0u)
              : original;
      EXPECT_EQ(dest.Pixel(x, y), expected) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DibRoundTrip,
                         ::testing::Values(DibFormat{32, 1}, DibFormat{32, -1}, DibFormat{24, 1}, DibFormat{24, -1},
                                           DibFormat{1, 1}));

TEST(Dibs, PaletteImagesDrawTheirTableColoursAndBottomUpSourcesCountFromTheBottom) {
  // 2 x 2 pixels at 8 bits, bottom-up: bottom row indices 0 1, top row 2 3.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[4];
  } info{};
  info.header.biWidth = 2;
  info.header.biHeight = 2;
  info.header.biBitCount = 8;
  info.colors[0] = RGBQUAD{0, 0, 255, 0};  // red
  info.colors[1] = RGBQUAD{0, 255, 0, 0};  // green
  info.colors[2] = RGBQUAD{255, 0, 0, 0};  // blue
  info.colors[3] = RGBQUAD{0, 0, 0, 0};    // black
  info.header.biClrUsed = 4;
  const std::uint8_t bits[8] = {0, 1, 0, 0, 2, 3, 0, 0};
  const auto* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
  RasterDC dc(2, 2);
  ASSERT_NE(StretchDIBits(dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, sizeof bits, bmi, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(dc.Pixel(0, 0), 0x0000FFu);  // top-left: index 2, blue
  EXPECT_EQ(dc.Pixel(1, 1), 0x00FF00u);  // bottom-right: index 1, green
  // Source row 1 counted from the bottom is the top row of the picture.
  RasterDC band(2, 1);
  ASSERT_NE(StretchDIBits(band, 0, 0, 2, 1, 0, 1, 2, 1, bits, sizeof bits, bmi, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(band.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(band.Pixel(1, 0), 0x000000u);
}

TEST(Dibs, SetDIBitsToDeviceCopiesABandOfScanLinesUnscaled) {
  // 2 x 3 pixels, 32 bits, bottom-up; the caller passes only scan line 1 (the middle row).
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 3;
  info.bmiHeader.biBitCount = 32;
  const std::uint32_t middle[2] = {0x0000FF, 0x00FF00};  // blue, green (B, G, R, X bytes)
  RasterDC dc(4, 5);
  EXPECT_EQ(SetDIBitsToDevice(dc, 1, 1, 2, 3, 0, 0, 1, 1, middle, &info, DIB_RGB_COLORS), 1);
  EXPECT_EQ(dc.Pixel(1, 2), 0x0000FFu);  // middle row of the 3-row picture placed at y = 1
  EXPECT_EQ(dc.Pixel(2, 2), 0x00FF00u);
  EXPECT_EQ(dc.Pixel(1, 1), 0xFFFFFFu);  // rows not passed stay untouched
  EXPECT_EQ(dc.Pixel(1, 3), 0xFFFFFFu);
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 2, 3, 0, 0, 3, 1, middle, &info, DIB_RGB_COLORS), 0);  // no such line
}

TEST(Dibs, HeadersThatCannotBeDrawnAreRefusedWithoutReadingTheBits) {
  struct Bad {
    const char* name;
    LONG width;
    LONG height;
    WORD bitCount;
    DWORD compression;
    std::size_t bitsSize;
  };
  const Bad cases[] = {
      {"zeroWidth", 0, 4, 32, BI_RGB, 64},
      {"hugeSize", 1 << 30, 1 << 30, 32, BI_RGB, 64},
      {"oddDepth", 4, 4, 7, BI_RGB, 64},
      {"compressed", 4, 4, 8, 1 /* RLE8 */, 64},
      {"negativeWidth", -4, 4, 32, BI_RGB, 64},
      {"minHeight", 4, INT_MIN, 32, BI_RGB, 64},
      {"bitsTooShort", 4, 4, 32, BI_RGB, 63},
  };
  std::vector<std::uint8_t> bits(64, 0);
  RasterDC dc(4, 4);
  for (const Bad& c : cases) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = c.height;
    info.bmiHeader.biBitCount = c.bitCount;
    info.bmiHeader.biCompression = c.compression;
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), c.bitsSize, &info, DIB_RGB_COLORS, SRCCOPY), 0)
        << c.name;
  }
  EXPECT_EQ(dc.InkCount(), 0);
}

TEST(Bitmaps, CreateBitmapRowsRoundTripThroughGetBitmapBits) {
  const std::uint8_t mono[4] = {0xF0, 0x00, 0x0F, 0x00};  // 8x2, rows padded to 16 bits
  HBITMAP m = CreateBitmap(8, 2, 1, 1, mono);
  std::uint8_t back[4] = {};
  EXPECT_EQ(GetBitmapBits(m, sizeof back, back), 4);
  EXPECT_EQ(std::memcmp(back, mono, 4), 0);
  EXPECT_EQ(BitmapPixel(m, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(BitmapPixel(m, 7, 1), 0xFFFFFFu);
  EXPECT_EQ(BitmapPixel(m, 0, 1), 0u);
  EXPECT_EQ(CreateBitmap(8, 2, 1, 24, nullptr), nullptr);  // only 1 and 32 bits
  EXPECT_EQ(CreateBitmap(0, 2, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(1 << 20, 1 << 20, 1, 32, nullptr), nullptr);
  DeleteObject(m);
}

TEST(Bitmaps, DibSectionsExposeTheirBitsBottomUp) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  ASSERT_NE(bits, nullptr);
  static_cast<std::uint32_t*>(bits)[0] = 0x112233;  // first row in memory = bottom row
  {
    BitmapDC dc(section);
    EXPECT_EQ(GetPixel(dc, 0, 1), 0x332211u);
    SetPixel(dc, 2, 0, 0x0000FF);
  }
  EXPECT_EQ(static_cast<std::uint32_t*>(bits)[3 + 2], 0xFF0000u);  // top row is the second in memory
  DeleteObject(section);
}

}  // namespace
}  // namespace vx::plat
