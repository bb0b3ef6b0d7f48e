#include "platform/clipbrd/clipbrd.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/core/stream.h"
#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"

namespace vx::plat {

VX_DEFINE_CLASS(TClipboard, TPersistent)

namespace {

using Placement = std::pair<std::uint32_t, HANDLE>;

// Frees data that never reached the clipboard.
void FreeUnplaced(const Placement& p) {
  if (p.first == CF_BITMAP) DeleteObject(static_cast<HGDIOBJ>(p.second));
  else if (p.first == CF_ENHMETAFILE) DeleteEnhMetaFile(static_cast<HENHMETAFILE>(p.second));
  else GlobalFree(static_cast<HGLOBAL>(p.second));
}

// Opens the clipboard object for a scope.
class OpenScope {
public:
  explicit OpenScope(TClipboard& c) : FClipboard(c) { c.Open(); }
  ~OpenScope() { FClipboard.Close(); }
  OpenScope(const OpenScope&) = delete;
  OpenScope& operator=(const OpenScope&) = delete;

private:
  TClipboard& FClipboard;
};

HGLOBAL NewBlock(const void* data, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) throw EOutOfMemory();
  if (size > 0) {
    TGlobalLock lock(block);
    std::memcpy(lock.Data(), data, size);
  }
  return block;
}

std::vector<std::uint8_t> BlockBytes(HANDLE handle) {
  TGlobalLock lock(static_cast<HGLOBAL>(handle));
  const auto* p = static_cast<const std::uint8_t*>(lock.Data());
  return p ? std::vector<std::uint8_t>(p, p + lock.Size()) : std::vector<std::uint8_t>();
}

// The device-independent form of a bitmap handle: header, colour table, bits.
std::vector<std::uint8_t> DibOf(HBITMAP bitmap) {
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(bitmap, infoSize, imageSize);
  if (infoSize == 0) throw EInvalidGraphic("Cannot copy a bitmap that no longer exists");
  std::vector<std::uint8_t> dib(std::size_t{infoSize} + imageSize);
  if (!GetDIB(bitmap, reinterpret_cast<BITMAPINFO*>(dib.data()), dib.data() + infoSize))
    throw EInvalidGraphic("Cannot copy a bitmap that no longer exists");
  return dib;
}

// Reads a clipboard DIB into `bitmap` by giving it the file header a bitmap
// file would have; the bitmap reader checks everything else.
void LoadDib(const std::vector<std::uint8_t>& dib, TBitmap& bitmap) {
  BITMAPINFOHEADER h;
  if (dib.size() < sizeof(h)) throw EInvalidGraphic("Invalid clipboard bitmap: the data are shorter than a bitmap header");
  std::memcpy(&h, dib.data(), sizeof(h));
  if (h.biSize < sizeof(h) || h.biSize > dib.size())
    throw EInvalidGraphic("Invalid clipboard bitmap: unknown header size " + std::to_string(h.biSize));
  std::uint64_t colours = h.biClrUsed;
  if (colours == 0 && h.biBitCount <= 8) colours = std::uint64_t{1} << h.biBitCount;
  std::uint64_t offset = 14 + std::uint64_t{h.biSize} + colours * 4;
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(h)) offset += 12;
  if (offset - 14 > dib.size()) throw EInvalidGraphic("Invalid clipboard bitmap: colour table larger than the data");

  TMemoryStream file;
  const std::uint32_t fileSize = static_cast<std::uint32_t>(14 + dib.size());
  file.WriteValue<std::uint16_t>(0x4D42);  // "BM"
  file.WriteValue<std::uint32_t>(fileSize);
  file.WriteValue<std::uint32_t>(0);
  file.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(offset));
  file.WriteBuffer(dib.data(), static_cast<std::int64_t>(dib.size()));
  file.SetPosition(0);
  bitmap.LoadFromStream(file);
}

Placement BitmapPlacement(const TBitmap& source) {
  TBitmap copy;
  copy.Assign(&source);
  return {CF_BITMAP, copy.ReleaseHandle()};
}

}  // namespace

TClipboard::TClipboard() = default;

TClipboard::~TClipboard() {
  if (FOpenRefCount > 0) CloseClipboard();
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    if (!OpenClipboard(GetHandle())) throw EClipboardException("Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  OpenScope open(*this);
  EmptyClipboard();
}

void TClipboard::PlaceAll(std::vector<Placement> data) {
  std::size_t placed = 0;
  auto freeRest = [&] {
    for (std::size_t i = placed; i < data.size(); ++i) FreeUnplaced(data[i]);
  };
  try {
    OpenScope open(*this);
    if (!FEmptied) {
      EmptyClipboard();
      FEmptied = true;
    }
    for (; placed < data.size(); ++placed) {
      if (!SetClipboardData(data[placed].first, data[placed].second))
        throw EClipboardException("The clipboard refused data of format " + std::to_string(data[placed].first));
    }
  } catch (...) {
    freeRest();
    throw;
  }
}

void TClipboard::AssignGraphic(const TGraphic& graphic) {
  if (graphic.GetEmpty()) throw EInvalidGraphic("Cannot copy an empty picture to the clipboard");
  if (const auto* mf = dynamic_cast<const TMetafile*>(&graphic)) {
    HENHMETAFILE copy = CopyEnhMetaFileW(mf->GetHandle(), nullptr);
    if (!copy) throw EInvalidGraphic("Cannot copy the metafile to the clipboard");
    PlaceAll({{CF_ENHMETAFILE, copy}});
    return;
  }
  // Any other graphic travels as a bitmap (a bitmap drawn from it).
  std::unique_ptr<TBitmap> converted;
  const TBitmap* bitmap = dynamic_cast<const TBitmap*>(&graphic);
  if (!bitmap) {
    converted = std::make_unique<TBitmap>();
    converted->Assign(&graphic);
    bitmap = converted.get();
  }
  std::vector<std::uint8_t> dib = DibOf(bitmap->GetHandle());
  Placement handle = BitmapPlacement(*bitmap);
  Placement block{CF_DIB, nullptr};
  try {
    block.second = NewBlock(dib.data(), dib.size());
  } catch (...) {
    FreeUnplaced(handle);
    throw;
  }
  PlaceAll({handle, block});
}

void TClipboard::Assign(const TPersistent* Source) {
  if (const auto* picture = dynamic_cast<const TPicture*>(Source)) {
    if (!picture->GetGraphic()) throw EInvalidGraphic("Cannot copy an empty picture to the clipboard");
    AssignGraphic(*picture->GetGraphic());
  } else if (const auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    AssignGraphic(*graphic);
  } else {
    TPersistent::Assign(Source);
  }
}

void TClipboard::AssignTo(TPersistent* Dest) const {
  auto* self = const_cast<TClipboard*>(this);
  auto* picture = dynamic_cast<TPicture*>(Dest);
  auto* metafile = dynamic_cast<TMetafile*>(Dest);
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (!picture && !metafile && !bitmap) {
    TPersistent::AssignTo(Dest);
    return;
  }
  OpenScope open(*self);
  if ((picture || metafile) && IsClipboardFormatAvailable(CF_ENHMETAFILE)) {
    HENHMETAFILE copy = CopyEnhMetaFileW(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)), nullptr);
    if (!copy) throw EInvalidGraphic("Cannot read the clipboard's metafile");
    TMetafile read;
    read.SetHandle(copy);
    if (picture) picture->SetGraphic(&read);
    else metafile->Assign(&read);
    return;
  }
  if (picture || bitmap) {
    std::vector<std::uint8_t> dib;
    if (HANDLE block = GetClipboardData(CF_DIB)) dib = BlockBytes(block);
    else if (HANDLE handle = GetClipboardData(CF_BITMAP)) dib = DibOf(static_cast<HBITMAP>(handle));
    if (!dib.empty()) {
      TBitmap read;
      LoadDib(dib, read);
      if (picture) picture->SetGraphic(&read);
      else bitmap->Assign(&read);
      return;
    }
  }
  throw EInvalidGraphic("Unsupported clipboard format");
}

String TClipboard::GetAsText() {
  OpenScope open(*this);
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    std::vector<std::uint8_t> bytes = BlockBytes(block);
    String text(bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    return text.substr(0, text.find(u'\0'));
  }
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    std::vector<std::uint8_t> bytes = BlockBytes(block);
    std::string ansi(bytes.begin(), bytes.end());
    return AnsiToString(ansi.substr(0, ansi.find('\0')));
  }
  return SystemClipboardText().value_or(String());
}

void TClipboard::SetAsText(const String& text) {
  const String wide = text + u'\0';
  const std::string ansi = StringToAnsi(text) + '\0';
  Placement unicode{CF_UNICODETEXT, NewBlock(wide.data(), wide.size() * sizeof(char16_t))};
  Placement narrow{CF_TEXT, nullptr};
  try {
    narrow.second = NewBlock(ansi.data(), ansi.size());
  } catch (...) {
    FreeUnplaced(unicode);
    throw;
  }
  PlaceAll({unicode, narrow});
}

bool TClipboard::HasFormat(std::uint32_t format) const { return IsClipboardFormatAvailable(format); }

void TClipboard::SetAsHandle(std::uint32_t format, HANDLE value) {
  if (format == 0 || value == nullptr) throw EClipboardException("The clipboard refused data of format " + std::to_string(format));
  OpenScope open(*this);
  if (!FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
  if (!SetClipboardData(format, value))
    throw EClipboardException("The clipboard refused data of format " + std::to_string(format));
}

HANDLE TClipboard::GetAsHandle(std::uint32_t format) {
  OpenScope open(*this);
  return GetClipboardData(format);
}

void TClipboard::SetBuffer(std::uint32_t format, const void* data, std::size_t size) {
  if (format == 0) throw EClipboardException("The clipboard refused data of format 0");
  PlaceAll({{format, NewBlock(data, size)}});
}

std::vector<std::uint8_t> TClipboard::GetBuffer(std::uint32_t format) {
  OpenScope open(*this);
  HANDLE data = GetClipboardData(format);
  return data && clipbrd_detail::IsGlobalBlock(data) ? BlockBytes(data) : std::vector<std::uint8_t>();
}

int TClipboard::GetFormatCount() const { return CountClipboardFormats(); }

std::uint32_t TClipboard::GetFormats(int index) {
  OpenScope open(*this);
  std::uint32_t format = 0;
  for (int i = 0; i <= index; ++i) {
    format = EnumClipboardFormats(format);
    if (format == 0) break;
  }
  return index < 0 ? 0 : format;
}

TClipboard* Clipboard() {
  // Never destroyed, like the clipboard state it opens.
  static TClipboard* clipboard = new TClipboard;
  return clipboard;
}

}  // namespace vx::plat
