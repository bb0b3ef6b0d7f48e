#include "platform/clipbrd/clipbrd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"

namespace vx::plat {
namespace {

std::vector<std::uint8_t> MetafileBytes(HENHMETAFILE h) {
  std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(h, 0, nullptr));
  GetEnhMetaFileBits(h, static_cast<UINT>(bytes.size()), bytes.data());
  return bytes;
}

void RecordRectangle(TMetafile& mf) {
  TMetafileCanvas canvas(&mf, nullptr);
  canvas.Rectangle(0, 0, 40, 30);
}

// A 3 x 2 bitmap whose pixels all differ.
void PaintPattern(TBitmap& bmp) {
  bmp.SetSize(3, 2);
  const TColor colours[] = {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000),
                            TColor(0x123456), TColor(0xFFFFFF), TColor(0x000000)};
  for (int i = 0; i < 6; ++i) bmp.SetPixel(i % 3, i / 3, colours[i]);
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
  ASSERT_EQ(a.GetWidth(), b.GetWidth());
  ASSERT_EQ(a.GetHeight(), b.GetHeight());
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) EXPECT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
}

// The native data a draw box copies: header, one record, end mark.
std::vector<std::uint8_t> NativeData() {
  std::vector<std::uint8_t> data(16 + 24 + 2);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);
  data[data.size() - 2] = 0x01;
  data[data.size() - 1] = 0x80;
  return data;
}

// Places a block "directly with SetClipboardData", as a copy does.
HGLOBAL PlaceNative(std::uint32_t format, const std::vector<std::uint8_t>& data) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size());
  {
    TGlobalLock lock(block);
    std::memcpy(lock.Data(), data.data(), data.size());
  }
  EXPECT_EQ(SetClipboardData(format, block), block);
  return block;
}

std::vector<std::uint32_t> FormatsOnClipboard(TClipboard& c) {
  std::vector<std::uint32_t> formats;
  for (int i = 0; i < c.GetFormatCount(); ++i) formats.push_back(c.GetFormats(i));
  return formats;
}

class ClipboardTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(IsClipboardOpen());
    Clipboard()->Clear();
    Blocks = GlobalBlockCount();
    GdiObjects = GdiObjectCount();
    Metafiles = EnhMetaFileCount();
  }
  void TearDown() override {
    Clipboard()->Clear();
    EXPECT_FALSE(IsClipboardOpen());
    EXPECT_EQ(GlobalBlockCount(), Blocks);
    EXPECT_EQ(GdiObjectCount(), GdiObjects);
    EXPECT_EQ(EnhMetaFileCount(), Metafiles);
  }
  std::size_t Blocks = 0, GdiObjects = 0, Metafiles = 0;
};

TEST_F(ClipboardTest, RegisteredFormatRoundTripsBetweenTwoUsers) {
  const std::uint32_t format = RegisterClipboardFormat(u"-1Form1_Drawbox1");
  const std::vector<std::uint8_t> data = NativeData();
  TClipboard copier, paster;

  copier.Clear();
  copier.Open();
  PlaceNative(format, data);
  EXPECT_THROW(paster.Open(), EClipboardException) << "one user at a time";
  copier.Close();

  paster.Open();
  HGLOBAL block = static_cast<HGLOBAL>(GetClipboardData(format));
  ASSERT_NE(block, nullptr);
  TGlobalLock lock(block);
  ASSERT_NE(lock.Data(), nullptr);
  const auto* bytes = static_cast<const std::uint8_t*>(lock.Data());
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + GlobalSize(block)), data);
  paster.Close();
}

TEST_F(ClipboardTest, UnknownFormatIsRefused) {
  const std::uint32_t mine = RegisterClipboardFormat(u"-1Form1_Drawbox1");
  const std::uint32_t other = RegisterClipboardFormat(u"-1Form2_Drawbox1");
  Clipboard()->Open();
  PlaceNative(mine, NativeData());
  EXPECT_EQ(GetClipboardData(other), nullptr);
  EXPECT_EQ(GetClipboardData(0), nullptr) << "a box never loaded has format 0";
  EXPECT_EQ(GetClipboardData(CF_ENHMETAFILE), nullptr);
  Clipboard()->Close();
  EXPECT_EQ(GetClipboardData(mine), nullptr) << "reading needs an open clipboard";
  EXPECT_FALSE(Clipboard()->HasFormat(other));
  EXPECT_TRUE(Clipboard()->HasFormat(mine));
}

TEST_F(ClipboardTest, EmptiedOnceWithinAnOpeningSoBothFormatsStay) {
  const std::uint32_t native = RegisterClipboardFormat(u"-1Form1_Drawbox1");
  Clipboard()->SetAsText(u"left over from before");
  TMetafile mf;
  RecordRectangle(mf);

  // The copy of a draw box: clear, open, metafile by Assign, native directly.
  Clipboard()->Clear();
  Clipboard()->Open();
  Clipboard()->Assign(&mf);
  PlaceNative(native, NativeData());
  Clipboard()->Close();
  EXPECT_EQ(FormatsOnClipboard(*Clipboard()), (std::vector<std::uint32_t>{CF_ENHMETAFILE, native}));

  // Outside an opening, every Assign replaces the contents.
  TBitmap bmp;
  PaintPattern(bmp);
  Clipboard()->Assign(&bmp);
  EXPECT_EQ(FormatsOnClipboard(*Clipboard()), (std::vector<std::uint32_t>{CF_BITMAP, CF_DIB}));
  Clipboard()->Assign(&mf);
  EXPECT_EQ(FormatsOnClipboard(*Clipboard()), (std::vector<std::uint32_t>{CF_ENHMETAFILE}));
}

TEST_F(ClipboardTest, PlacedBlockBelongsToTheClipboard) {
  const std::uint32_t format = RegisterClipboardFormat(u"-1Form1_Drawbox1");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = PlaceNative(format, NativeData());
  EXPECT_EQ(GlobalFree(block), block) << "the clipboard's block cannot be freed by others";
  EXPECT_EQ(SetClipboardData(CF_DIB, block), nullptr) << "one block cannot serve two formats";
  EXPECT_EQ(SetClipboardData(format, block), block) << "placing it again changes nothing";

  HGLOBAL replacement = GlobalAlloc(GMEM_MOVEABLE, 3);
  EXPECT_EQ(SetClipboardData(format, replacement), replacement);
  EXPECT_EQ(GlobalSize(block), 0u) << "the replaced block was freed";
  EmptyClipboard();
  EXPECT_EQ(GlobalSize(replacement), 0u) << "emptying frees the blocks";
  EXPECT_EQ(SetClipboardData(format, replacement), nullptr) << "a stale handle is refused";
  CloseClipboard();

  HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, 3);
  EXPECT_EQ(SetClipboardData(format, mine), nullptr) << "not open";
  EXPECT_EQ(GlobalFree(mine), nullptr) << "a refused block stays the caller's";
}

TEST_F(ClipboardTest, DataMustMatchTheKindOfItsFormat) {
  TBitmap bmp(2, 2);
  TMetafile mf;
  RecordRectangle(mf);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(SetClipboardData(CF_BITMAP, block), nullptr);
  EXPECT_EQ(SetClipboardData(CF_ENHMETAFILE, block), nullptr);
  EXPECT_EQ(SetClipboardData(CF_DIB, bmp.GetHandle()), nullptr);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, mf.GetHandle()), nullptr);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, nullptr), nullptr);
  CloseClipboard();
  EXPECT_EQ(CountClipboardFormats(), 0);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST_F(ClipboardTest, BitmapRoundTripsThroughDibAndThroughHandleAlone) {
  TBitmap source;
  PaintPattern(source);
  Clipboard()->Assign(&source);
  TBitmap viaDib;
  viaDib.Assign(Clipboard());
  ExpectSamePixels(viaDib, source);

  // Only a device bitmap on the clipboard, as another program may leave it.
  TBitmap copy;
  copy.Assign(&source);
  Clipboard()->SetAsHandle(CF_BITMAP, copy.ReleaseHandle());
  TPicture picture;
  picture.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.GetGraphic()), nullptr);
  ExpectSamePixels(*static_cast<TBitmap*>(picture.GetGraphic()), source);
}

TEST_F(ClipboardTest, MetafileRoundTripsIntoMetafileAndPicture) {
  TMetafile source;
  RecordRectangle(source);
  TPicture holder;
  holder.SetGraphic(&source);
  Clipboard()->Assign(&holder);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));

  TMetafile mf;
  mf.Assign(Clipboard());
  EXPECT_EQ(MetafileBytes(mf.GetHandle()), MetafileBytes(source.GetHandle()));
  TPicture picture;
  picture.Assign(Clipboard());
  auto* read = dynamic_cast<TMetafile*>(picture.GetGraphic());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(MetafileBytes(read->GetHandle()), MetafileBytes(source.GetHandle()));
}

TEST_F(ClipboardTest, TextIsPlacedAsUnicodeAndAnsi) {
  const String text = u"Grüße €5";
  Clipboard()->SetAsText(text);
  EXPECT_EQ(Clipboard()->GetAsText(), text);
  const std::vector<std::uint8_t> ansi = Clipboard()->GetBuffer(CF_TEXT);
  EXPECT_EQ(std::string(ansi.begin(), ansi.end()), std::string("Gr\xFC\xDF" "e \x80" "5", 8) + '\0');
  EXPECT_EQ(Clipboard()->GetBuffer(CF_UNICODETEXT).size(), (text.size() + 1) * 2);
}

TEST_F(ClipboardTest, SystemHookReceivesPlacedTextAndSuppliesForeignText) {
  std::vector<String> sent;
  SetSystemClipboardHook({[&](const String& t) { sent.push_back(t); },
                          [] { return std::optional<String>(u"from another program"); }});
  Clipboard()->SetAsText(u"hello");
  Clipboard()->Clear();
  const String foreign = Clipboard()->GetAsText();
  SetSystemClipboardHook({});
  EXPECT_EQ(sent, std::vector<String>{u"hello"});
  EXPECT_EQ(foreign, u"from another program");
  EXPECT_EQ(Clipboard()->GetAsText(), u"");
}

TEST_F(ClipboardTest, OpeningsNestAndExtraClosesAreHarmless) {
  TClipboard c;
  c.Open();
  c.Open();
  c.Close();
  EXPECT_TRUE(IsClipboardOpen());
  EXPECT_EQ(GetOpenClipboardWindow(), c.GetHandle());
  c.Close();
  EXPECT_FALSE(IsClipboardOpen());
  c.Close();
  EXPECT_EQ(c.GetOpenCount(), 0);
  {
    TClipboard forgetful;
    forgetful.Open();
  }
  EXPECT_FALSE(IsClipboardOpen()) << "an object going away closes what it opened";
}

TEST_F(ClipboardTest, RefusedPicturesLeaveTheClipboardAsItWas) {
  Clipboard()->SetAsText(u"keep me");
  TBitmap empty;
  EXPECT_THROW(Clipboard()->Assign(&empty), EInvalidGraphic);
  TPicture nothing;
  EXPECT_THROW(Clipboard()->Assign(&nothing), EInvalidGraphic);
  EXPECT_THROW(Clipboard()->Assign(nullptr), EConvertError);
  TClipboard other;
  other.Open();
  TBitmap bmp(2, 2);
  EXPECT_THROW(Clipboard()->Assign(&bmp), EClipboardException) << "another user has it open";
  other.Close();
  EXPECT_EQ(Clipboard()->GetAsText(), u"keep me");
}

TEST_F(ClipboardTest, CorruptClipboardBitmapGivesAClearErrorAndKeepsTheDestination) {
  struct Case {
    const char* What;
    std::vector<std::uint8_t> Dib;
  };
  BITMAPINFOHEADER huge;
  huge.biWidth = 1 << 30;
  huge.biHeight = 1 << 30;
  huge.biBitCount = 24;
  std::vector<std::uint8_t> hugeDib(sizeof huge);
  std::memcpy(hugeDib.data(), &huge, sizeof huge);
  BITMAPINFOHEADER truncated;
  truncated.biWidth = 100;
  truncated.biHeight = 100;
  truncated.biBitCount = 8;
  std::vector<std::uint8_t> truncatedDib(sizeof truncated + 16);
  std::memcpy(truncatedDib.data(), &truncated, sizeof truncated);
  const Case cases[] = {
      {"shorter than a header", {1, 2, 3}},
      {"absurd size", hugeDib},
      {"colour table and bits missing", truncatedDib},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Clipboard()->SetBuffer(CF_DIB, c.Dib.data(), c.Dib.size());
    TBitmap dest;
    PaintPattern(dest);
    TBitmap before;
    before.Assign(&dest);
    EXPECT_THROW(dest.Assign(Clipboard()), EInvalidGraphic);
    ExpectSamePixels(dest, before);
    EXPECT_FALSE(IsClipboardOpen());
  }
}

TEST_F(ClipboardTest, NothingToPasteIsAnError) {
  TBitmap bmp;
  EXPECT_THROW(bmp.Assign(Clipboard()), EInvalidGraphic);
  TMetafile mf;
  Clipboard()->SetAsText(u"text is no picture");
  EXPECT_THROW(mf.Assign(Clipboard()), EInvalidGraphic);
}

}  // namespace
}  // namespace vx::plat
