// Layout checks of single records, region data and bitmap sizes.
#include "platform/emf/emf_records.h"

#include <algorithm>

namespace vx::plat::emf {
namespace {

bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

std::uint32_t U32At(const std::uint8_t* record, std::size_t offset) { return Load<std::uint32_t>(record + offset); }

bool ObjectIndexOk(std::uint32_t ih, std::uint32_t handles) {
  if (handles == 0) return true;  // no table size known: playback checks against its own table
  return ih >= 1 && ih < handles;
}

bool SelectIndexOk(std::uint32_t ih, std::uint32_t handles) {
  return IsStockIndex(ih) || ObjectIndexOk(ih, handles);
}

// Records of points: bounds, count, then `count` points of `pointSize` bytes.
const char* CheckPoints(const std::uint8_t* r, std::size_t size, std::uint64_t pointSize) {
  if (size < kEmrPolylineFixed) return "is too short for its point count";
  const std::uint64_t count = U32At(r, 24);
  if (count * pointSize > size - kEmrPolylineFixed) return "holds fewer points than its count";
  return nullptr;
}

// Poly-polygons: bounds, polygon count, point count, counts, points.
const char* CheckPolyPoints(const std::uint8_t* r, std::size_t size, std::uint64_t pointSize) {
  if (size < kEmrPolyPolylineFixed) return "is too short for its counts";
  const std::uint64_t polys = U32At(r, 24);
  const std::uint64_t points = U32At(r, 28);
  if (polys * 4 + points * pointSize > size - kEmrPolyPolylineFixed) return "holds fewer points than its counts";
  std::uint64_t sum = 0;
  for (std::uint64_t i = 0; i < polys; ++i) sum += U32At(r, kEmrPolyPolylineFixed + 4 * i);
  if (sum != points) return "has polygon counts that disagree with its point count";
  return nullptr;
}

const char* CheckRegion(const std::uint8_t* r, std::size_t size, std::size_t fixed, std::size_t cbOffset) {
  if (size < fixed) return "is too short for its region";
  const std::uint32_t cb = U32At(r, cbOffset);
  if (cb > size - fixed) return "has region data running past its end";
  if (cb != 0 && !RegionDataFits(r + fixed, cb)) return "has malformed region data";
  return nullptr;
}

const char* CheckText(const std::uint8_t* r, std::size_t size, std::uint64_t charSize) {
  if (size < kEmrExtTextOutFixed) return "is too short for a text record";
  const std::uint64_t chars = U32At(r, 44);
  const std::uint64_t offString = U32At(r, 48);
  const std::uint32_t options = U32At(r, 52);
  const std::uint64_t offDx = U32At(r, 72);
  if (chars == 0) return nullptr;
  if (!Fits(offString, chars * charSize, size) || offString < 8) return "has its string outside the record";
  const std::uint64_t dxSize = chars * 4 * ((options & ETO_PDY) ? 2 : 1);
  if (offDx != 0 && (!Fits(offDx, dxSize, size) || offDx < 8)) return "has its advances outside the record";
  return nullptr;
}

const char* CheckSmallText(const std::uint8_t* r, std::size_t size) {
  if (size < kEmrSmallTextOutFixed) return "is too short for a text record";
  const std::uint64_t chars = U32At(r, 16);
  const std::uint32_t options = U32At(r, 20);
  const std::uint64_t rect = (options & ETO_NO_RECT) ? 0 : 16;
  const std::uint64_t charSize = (options & ETO_SMALL_CHARS) ? 1 : 2;
  if (rect + chars * charSize > size - kEmrSmallTextOutFixed) return "has its string outside the record";
  return nullptr;
}

const char* CheckDib(const std::uint8_t* r, std::size_t size, std::size_t fixed, std::size_t offBmiAt,
                     bool wholeImage = true) {
  if (size < fixed) return "is too short for a bitmap record";
  if (!DibFits(r, size, U32At(r, offBmiAt), U32At(r, offBmiAt + 4), U32At(r, offBmiAt + 8), U32At(r, offBmiAt + 12),
               wholeImage))
    return "has a bitmap that does not fit the record";
  return nullptr;
}

const char* MinSize(std::size_t size, std::size_t min) {
  return size < min ? "is shorter than its fixed fields" : nullptr;
}

}  // namespace

const char* CheckRecordLayout(const std::uint8_t* r, std::size_t size, std::uint32_t handles) {
  if (size < 8 || size % 4 != 0) return "has a size that is not a multiple of 4 of at least 8 bytes";
  const std::uint32_t type = U32At(r, 0);
  switch (type) {
    case EMR_HEADER: return MinSize(size, kEmfHeaderBaseSize);
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: return CheckPoints(r, size, 8);
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: return CheckPoints(r, size, 4);
    case EMR_POLYDRAW: return CheckPoints(r, size, 9);
    case EMR_POLYDRAW16: return CheckPoints(r, size, 5);
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON: return CheckPolyPoints(r, size, 8);
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: return CheckPolyPoints(r, size, 4);
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_SETBRUSHORGEX:
    case EMR_OFFSETCLIPRGN:
    case EMR_MOVETOEX:
    case EMR_LINETO: return MinSize(size, 16);
    case EMR_EOF: {
      if (size < sizeof(EMREOF)) return "is shorter than its fixed fields";
      const std::uint64_t entries = U32At(r, 8);
      if (entries != 0 && !Fits(U32At(r, 12), entries * 4, size)) return "has palette entries outside the record";
      return nullptr;
    }
    case EMR_SETPIXELV: return MinSize(size, sizeof(EMRSETPIXELV));
    case EMR_SETMAPPERFLAGS:
    case EMR_SETMAPMODE:
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_RESTOREDC:
    case EMR_SETARCDIRECTION:
    case EMR_SETMITERLIMIT:
    case EMR_SELECTPALETTE:
    case EMR_SELECTCLIPPATH:
    case EMR_SETICMMODE:
    case EMR_SETLAYOUT: return MinSize(size, 12);
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
    case EMR_EXTFLOODFILL: return MinSize(size, 24);
    case EMR_ANGLEARC: return MinSize(size, 28);
    case EMR_ROUNDRECT: return MinSize(size, sizeof(EMRROUNDRECT));
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: return MinSize(size, sizeof(EMRARC));
    case EMR_SETWORLDTRANSFORM: return MinSize(size, sizeof(EMRSETWORLDTRANSFORM));
    case EMR_MODIFYWORLDTRANSFORM: return MinSize(size, sizeof(EMRMODIFYWORLDTRANSFORM));
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
      if (size < 12) return "is shorter than its fixed fields";
      return SelectIndexOk(U32At(r, 8), handles) ? nullptr : "names an object outside the object table";
    case EMR_CREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
      if (size < (type == EMR_CREATEPEN ? sizeof(EMRCREATEPEN) : sizeof(EMRCREATEBRUSHINDIRECT)))
        return "is shorter than its fixed fields";
      return ObjectIndexOk(U32At(r, 8), handles) ? nullptr : "names an object outside the object table";
    case EMR_EXTCREATEPEN: {
      if (size < kEmrExtCreatePenFixed) return "is shorter than its fixed fields";
      if (!ObjectIndexOk(U32At(r, 8), handles)) return "names an object outside the object table";
      const std::uint64_t entries = U32At(r, 48);
      if (entries * 4 > size - kEmrExtCreatePenFixed) return "holds fewer dash entries than its count";
      return CheckDib(r, size, kEmrExtCreatePenFixed, 12);
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
      if (size < sizeof(EMRCREATEDIBPATTERNBRUSHPT)) return "is shorter than its fixed fields";
      if (!ObjectIndexOk(U32At(r, 8), handles)) return "names an object outside the object table";
      return CheckDib(r, size, sizeof(EMRCREATEDIBPATTERNBRUSHPT), 16);
    case EMR_EXTCREATEFONTINDIRECTW:
      // Shorter font records are accepted: readers zero-fill them to 332 bytes.
      if (size < 12) return "is shorter than its fixed fields";
      return ObjectIndexOk(U32At(r, 8), handles) ? nullptr : "names an object outside the object table";
    case EMR_CREATEPALETTE: {
      if (size < 16) return "is shorter than its fixed fields";
      if (!ObjectIndexOk(U32At(r, 8), handles)) return "names an object outside the object table";
      const std::uint64_t entries = Load<std::uint16_t>(r + 14);
      return entries * 4 > size - 16 ? "holds fewer palette entries than its count" : nullptr;
    }
    case EMR_GDICOMMENT:
      if (size < sizeof(EMRGDICOMMENT)) return "is shorter than its fixed fields";
      return U32At(r, 8) > size - sizeof(EMRGDICOMMENT) ? "has comment data running past its end" : nullptr;
    case EMR_FILLRGN:
      if (const char* e = CheckRegion(r, size, sizeof(EMRFILLRGN), 24)) return e;
      return ObjectIndexOk(U32At(r, 28), handles) || IsStockIndex(U32At(r, 28))
                 ? nullptr
                 : "names an object outside the object table";
    case EMR_FRAMERGN:
      if (const char* e = CheckRegion(r, size, sizeof(EMRFRAMERGN), 24)) return e;
      return ObjectIndexOk(U32At(r, 28), handles) || IsStockIndex(U32At(r, 28))
                 ? nullptr
                 : "names an object outside the object table";
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: return CheckRegion(r, size, sizeof(EMRINVERTRGN), 24);
    case EMR_EXTSELECTCLIPRGN: return CheckRegion(r, size, sizeof(EMREXTSELECTCLIPRGN), 8);
    case EMR_BITBLT: return CheckDib(r, size, sizeof(EMRBITBLT), offsetof(EMRBITBLT, offBmiSrc));
    case EMR_STRETCHBLT: return CheckDib(r, size, sizeof(EMRSTRETCHBLT), offsetof(EMRBITBLT, offBmiSrc));
    case EMR_SETDIBITSTODEVICE:
      // Its bits may hold only the scan lines it sets; the player pads them.
      return CheckDib(r, size, sizeof(EMRSETDIBITSTODEVICE), offsetof(EMRSETDIBITSTODEVICE, offBmiSrc), false);
    case EMR_STRETCHDIBITS:
      return CheckDib(r, size, sizeof(EMRSTRETCHDIBITS), offsetof(EMRSTRETCHDIBITS, offBmiSrc));
    case EMR_EXTTEXTOUTA: return CheckText(r, size, 1);
    case EMR_EXTTEXTOUTW: return CheckText(r, size, 2);
    case EMR_SMALLTEXTOUT: return CheckSmallText(r, size);
    default: return nullptr;  // unknown or unplayed records: the generic size checks suffice
  }
}

int StockIndexOfHandle(HGDIOBJ object) {
  if (!object) return -1;
  for (int i = WHITE_BRUSH; i <= DEFAULT_GUI_FONT; ++i)
    if (GetStockObject(i) == object) return i;
  return -1;
}

bool RegionDataFits(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(RGNDATAHEADER)) return false;
  const auto header = Load<RGNDATAHEADER>(data);
  if (header.dwSize < sizeof(RGNDATAHEADER) || header.dwSize > size || header.iType != RDH_RECTANGLES) return false;
  return std::uint64_t{header.nCount} * sizeof(RECT) <= size - header.dwSize;
}

std::vector<RECT> ReadRegionRects(const std::uint8_t* data, std::size_t size) {
  std::vector<RECT> rects;
  if (!RegionDataFits(data, size)) return rects;
  const auto header = Load<RGNDATAHEADER>(data);
  rects.reserve(header.nCount);
  for (std::uint32_t i = 0; i < header.nCount; ++i) {
    RECT r = Load<RECT>(data + header.dwSize + std::size_t{i} * sizeof(RECT));
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    if (!r.IsEmpty()) rects.push_back(r);
  }
  return rects;
}

std::vector<std::uint8_t> MakeRegionData(const std::vector<RECT>& rects) {
  std::vector<std::uint8_t> out;
  ByteWriter w(out);
  RGNDATAHEADER header;
  header.nCount = static_cast<DWORD>(rects.size());
  header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  if (!rects.empty()) {
    header.rcBound = rects.front();
    for (const RECT& r : rects) {
      header.rcBound.Left = std::min(header.rcBound.Left, r.Left);
      header.rcBound.Top = std::min(header.rcBound.Top, r.Top);
      header.rcBound.Right = std::max(header.rcBound.Right, r.Right);
      header.rcBound.Bottom = std::max(header.rcBound.Bottom, r.Bottom);
    }
  }
  w.Put(header);
  for (const RECT& r : rects) w.Put(r);
  return out;
}

std::size_t DibInfoSize(const BITMAPINFOHEADER& h) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096 || h.biWidth < 0) return 0;
  switch (h.biBitCount) {
    case 0:
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return 0;
  }
  std::uint64_t colours = h.biClrUsed;
  if (colours == 0 && h.biBitCount >= 1 && h.biBitCount <= 8) colours = std::uint64_t{1} << h.biBitCount;
  if (colours > 256) return 0;
  std::size_t size = h.biSize + static_cast<std::size_t>(colours) * 4;
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) size += 12;
  return size;
}

std::uint64_t DibBitsSize(const BITMAPINFOHEADER& h) {
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return 0;
  const std::uint64_t stride = ((std::uint64_t(std::max<LONG>(h.biWidth, 0)) * h.biBitCount + 31) / 32) * 4;
  const std::int64_t height = h.biHeight;
  return stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
}

bool DibFits(const std::uint8_t* record, std::size_t size, std::uint32_t offBmi, std::uint32_t cbBmi,
             std::uint32_t offBits, std::uint32_t cbBits, bool wholeImage) {
  if (cbBmi == 0) return true;
  if (offBmi < 8 || !Fits(offBmi, cbBmi, size) || cbBmi < sizeof(BITMAPINFOHEADER)) return false;
  const auto header = Load<BITMAPINFOHEADER>(record + offBmi);
  const std::size_t info = DibInfoSize(header);
  if (info == 0 || info > cbBmi) return false;
  if (offBits < 8 || !Fits(offBits, cbBits, size)) return false;
  return !wholeImage || DibBitsSize(header) <= cbBits;
}

std::vector<std::uint8_t> AssembleEnhMetaFile(ENHMETAHEADER h, std::u16string_view description,
                                              std::span<const std::uint8_t> records, std::uint32_t recordCount) {
  const std::size_t descBytes = description.size() * sizeof(char16_t);
  const std::size_t headerSize = sizeof(ENHMETAHEADER) + ((descBytes + 3) & ~std::size_t{3});
  h.iType = EMR_HEADER;
  h.nSize = static_cast<DWORD>(headerSize);
  h.dSignature = ENHMETA_SIGNATURE;
  h.nVersion = ENHMETA_VERSION;
  h.nRecords = recordCount + 2;
  h.nDescription = static_cast<DWORD>(description.size());
  h.offDescription = description.empty() ? 0 : static_cast<DWORD>(sizeof(ENHMETAHEADER));
  h.nBytes = static_cast<DWORD>(headerSize + records.size() + sizeof(EMREOF));
  std::vector<std::uint8_t> out;
  out.reserve(h.nBytes);
  ByteWriter w(out);
  w.Put(h);
  w.PutBytes(description.data(), descBytes);
  w.PadFrom(0, 4);
  w.PutBytes(records.data(), records.size());
  w.Put(EMREOF{});
  return out;
}

void AppendRecord(std::vector<std::uint8_t>& records, const void* record, std::size_t size) {
  ByteWriter w(records);
  const std::size_t start = w.Size();
  w.PutBytes(record, size);
  w.PadFrom(start, 4);
  w.PatchAt(start + 4, static_cast<DWORD>(w.Size() - start));
}

std::string RecordName(std::uint32_t type) {
  switch (type) {
    case EMR_HEADER: return "header";
    case EMR_POLYBEZIER: return "poly-bezier";
    case EMR_POLYGON: return "polygon";
    case EMR_POLYLINE: return "polyline";
    case EMR_POLYBEZIERTO: return "poly-bezier-to";
    case EMR_POLYLINETO: return "polyline-to";
    case EMR_POLYPOLYLINE: return "poly-polyline";
    case EMR_POLYPOLYGON: return "poly-polygon";
    case EMR_EOF: return "end-of-file";
    case EMR_SAVEDC: return "save-DC";
    case EMR_RESTOREDC: return "restore-DC";
    case EMR_SELECTOBJECT: return "select-object";
    case EMR_CREATEPEN: return "create-pen";
    case EMR_CREATEBRUSHINDIRECT: return "create-brush";
    case EMR_DELETEOBJECT: return "delete-object";
    case EMR_ELLIPSE: return "ellipse";
    case EMR_RECTANGLE: return "rectangle";
    case EMR_ROUNDRECT: return "round-rectangle";
    case EMR_ARC: return "arc";
    case EMR_CHORD: return "chord";
    case EMR_PIE: return "pie";
    case EMR_LINETO: return "line-to";
    case EMR_MOVETOEX: return "move-to";
    case EMR_FILLRGN: return "fill-region";
    case EMR_FRAMERGN: return "frame-region";
    case EMR_EXTSELECTCLIPRGN: return "select-clip-region";
    case EMR_BITBLT: return "bit-block-transfer";
    case EMR_STRETCHBLT: return "stretch-block-transfer";
    case EMR_STRETCHDIBITS: return "stretch-DIB";
    case EMR_SETDIBITSTODEVICE: return "set-DIB-to-device";
    case EMR_EXTCREATEFONTINDIRECTW: return "create-wide-font";
    case EMR_EXTTEXTOUTA: return "text-out";
    case EMR_EXTTEXTOUTW: return "wide-text-out";
    case EMR_POLYGON16: return "16-bit polygon";
    case EMR_POLYLINE16: return "16-bit polyline";
    case EMR_POLYPOLYGON16: return "16-bit poly-polygon";
    case EMR_POLYPOLYLINE16: return "16-bit poly-polyline";
    case EMR_EXTCREATEPEN: return "extended-pen";
    case EMR_CREATEDIBPATTERNBRUSHPT: return "pattern-brush";
    case EMR_GDICOMMENT: return "comment";
    default: return "type " + std::to_string(type);
  }
}

}  // namespace vx::plat::emf
