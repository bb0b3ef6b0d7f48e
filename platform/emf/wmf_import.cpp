// Old-style metafiles -> enhanced records.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/emf/emf_records.h"
#include "platform/emf/wmf_convert.h"

namespace vx::plat::emf {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw EInvalidGraphic("Invalid WMF: " + what); }

// The parameters of one record (16-bit words after size and function).
class Params {
public:
  Params(const std::uint8_t* data, std::size_t words) : FData(data), FWords(words) {}
  std::size_t Count() const { return FWords; }
  bool Has(std::size_t n) const { return n <= FWords; }
  std::int16_t S(std::size_t i) const { return Load<std::int16_t>(FData + 2 * i); }
  std::uint16_t U(std::size_t i) const { return Load<std::uint16_t>(FData + 2 * i); }
  std::uint32_t U32(std::size_t i) const { return Load<std::uint32_t>(FData + 2 * i); }
  const std::uint8_t* Bytes(std::size_t i) const { return FData + 2 * i; }

private:
  const std::uint8_t* FData;
  std::size_t FWords;
};

// The extent of what a plain metafile draws, in its own units.
struct Extent {
  bool Any = false;
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  void Add(std::int32_t x, std::int32_t y) {
    if (!Any) {
      *this = Extent{true, x, y, x, y};
      return;
    }
    Left = std::min(Left, x);
    Top = std::min(Top, y);
    Right = std::max(Right, x);
    Bottom = std::max(Bottom, y);
  }
};

class Importer {
public:
  explicit Importer(std::span<const std::uint8_t> data) : FData(data) {}
  std::vector<std::uint8_t> Run();

private:
  void Convert(std::uint16_t function, const Params& p);
  void Add(const void* record, std::size_t size) {
    AppendRecord(FRecords, record, size);
    ++FCount;
  }
  void AddPoint(DWORD type, LONG x, LONG y) {
    EMRPOINTPARAM r{{type, sizeof(EMRPOINTPARAM)}, POINT{x, y}};
    Add(&r, sizeof r);
  }
  void AddDword(DWORD type, DWORD value) {
    EMRDWORDPARAM r{{type, sizeof(EMRDWORDPARAM)}, value};
    Add(&r, sizeof r);
  }
  void AddBox(DWORD type, const Params& p, std::size_t at = 0) {
    // Stored bottom, right, top, left.
    const RECT box{p.S(at + 3), p.S(at + 2), p.S(at + 1), p.S(at)};
    EMRBOX r{{type, sizeof(EMRBOX)}, box};
    Add(&r, sizeof r);
    FExtent.Add(box.Left, box.Top);
    FExtent.Add(box.Right, box.Bottom);
  }
  void AddPoints(DWORD type, const std::vector<POINT>& points, const std::vector<DWORD>* counts);
  void AddText(POINT ref, UINT options, const RECT& rect, const std::string& ansi, const std::vector<int>* dx);
  // A packed DIB starting at parameter `at`: its info part (header, masks,
  // colour table) and its bits, checked to fit the record.
  struct Dib {
    const std::uint8_t* Data = nullptr;
    std::size_t InfoSize = 0;
    std::size_t BitsSize = 0;
  };
  Dib SplitDib(const Params& p, std::size_t at) const {
    const std::size_t bytes = (p.Count() - at) * 2;
    if (bytes < sizeof(BITMAPINFOHEADER)) Fail(Where() + " has a bitmap that does not fit the record");
    const auto header = Load<BITMAPINFOHEADER>(p.Bytes(at));
    const std::size_t info = DibInfoSize(header);
    if (info == 0 || info > bytes || DibBitsSize(header) > bytes - info)
      Fail(Where() + " has a bitmap that does not fit the record");
    return Dib{p.Bytes(at), info, bytes - info};
  }
  void AddWithTail(const void* fixed, std::size_t fixedSize, const void* tail, std::size_t tailSize) {
    std::vector<std::uint8_t> rec(fixedSize + tailSize);
    std::memcpy(rec.data(), fixed, fixedSize);
    std::memcpy(rec.data() + fixedSize, tail, tailSize);
    Add(rec.data(), rec.size());
  }
  void Need(const Params& p, std::size_t words) const {
    if (!p.Has(words)) Fail(Where() + " is shorter than its parameters");
  }
  std::string Where() const { return "record " + std::to_string(FRecordNumber); }

  // Object table: a WMF object number n is enhanced object n + 1.
  enum class Slot : std::uint8_t { Free, Object, Placeholder };
  std::uint32_t CreateSlot(Slot kind);
  std::optional<std::uint32_t> UsedSlot(std::uint16_t index) const;

  std::span<const std::uint8_t> FData;
  std::vector<std::uint8_t> FRecords;
  std::uint32_t FCount = 0;
  std::uint64_t FRecordNumber = 0;
  std::vector<Slot> FSlots;
  std::optional<POINT> FFirstWindowOrg;
  std::optional<SIZE> FFirstWindowExt;
  POINT FWindowOrg{};
  Extent FExtent;
};

std::uint32_t Importer::CreateSlot(Slot kind) {
  auto it = std::find(FSlots.begin(), FSlots.end(), Slot::Free);
  if (it == FSlots.end()) {
    // More objects than the header announced: the table grows, within the format's 16 bits.
    if (FSlots.size() >= 0xFFFE) Fail(Where() + " creates more objects than an object table holds");
    FSlots.push_back(Slot::Free);
    it = FSlots.end() - 1;
  }
  *it = kind;
  return static_cast<std::uint32_t>(it - FSlots.begin());
}

std::optional<std::uint32_t> Importer::UsedSlot(std::uint16_t index) const {
  if (index >= FSlots.size()) Fail(Where() + " names object " + std::to_string(index) + ", outside the object table");
  if (FSlots[index] != Slot::Object) return std::nullopt;
  return index;
}

void Importer::AddPoints(DWORD type, const std::vector<POINT>& points, const std::vector<DWORD>* counts) {
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  Extent e;
  for (const POINT& pt : points) {
    e.Add(pt.x, pt.y);
    FExtent.Add(pt.x, pt.y);
  }
  w.Put(EMR{type, 0});
  w.Put(e.Any ? RECT{e.Left, e.Top, e.Right, e.Bottom} : RECT{0, 0, -1, -1});
  if (counts) {
    w.Put(static_cast<DWORD>(counts->size()));
    w.Put(static_cast<DWORD>(points.size()));
    w.PutBytes(counts->data(), counts->size() * sizeof(DWORD));
  } else {
    w.Put(static_cast<DWORD>(points.size()));
  }
  w.PutBytes(points.data(), points.size() * sizeof(POINT));
  Add(rec.data(), rec.size());
}

void Importer::AddText(POINT ref, UINT options, const RECT& rect, const std::string& ansi, const std::vector<int>* dx) {
  const String text = AnsiToString(ansi);
  EMREXTTEXTOUTW r{};
  r.emr.iType = EMR_EXTTEXTOUTW;
  r.rclBounds = RECT{0, 0, -1, -1};
  r.iGraphicsMode = GM_COMPATIBLE;
  r.emrtext.ptlReference = ref;
  r.emrtext.nChars = static_cast<DWORD>(text.size());
  r.emrtext.fOptions = options & (ETO_OPAQUE | ETO_CLIPPED);
  if (r.emrtext.fOptions) r.emrtext.rcl = rect;
  const std::size_t stringBytes = (text.size() * 2 + 3) & ~std::size_t{3};
  r.emrtext.offString = text.empty() ? 0 : static_cast<DWORD>(sizeof r);
  // Without advances the player measures the text itself.
  r.emrtext.offDx = (dx && !text.empty()) ? static_cast<DWORD>(sizeof r + stringBytes) : 0;
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(r);
  w.PutBytes(text.data(), text.size() * 2);
  w.PadFrom(0, 4);
  if (r.emrtext.offDx) w.PutBytes(dx->data(), dx->size() * sizeof(int));
  Add(rec.data(), rec.size());
  FExtent.Add(ref.x, ref.y);
}

void Importer::Convert(std::uint16_t function, const Params& p) {
  switch (function) {
    case META_SETWINDOWORG:
      Need(p, 2);
      FWindowOrg = POINT{p.S(1), p.S(0)};
      if (!FFirstWindowOrg) FFirstWindowOrg = FWindowOrg;
      AddPoint(EMR_SETWINDOWORGEX, p.S(1), p.S(0));
      return;
    case META_SETWINDOWEXT:
      Need(p, 2);
      if (!FFirstWindowExt) FFirstWindowExt = SIZE{p.S(1), p.S(0)};
      AddPoint(EMR_SETWINDOWEXTEX, p.S(1), p.S(0));
      return;
    case META_OFFSETWINDOWORG:
      Need(p, 2);
      FWindowOrg = POINT{static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{FWindowOrg.x} + p.S(1), INT32_MIN, INT32_MAX)),
                         static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{FWindowOrg.y} + p.S(0), INT32_MIN, INT32_MAX))};
      AddPoint(EMR_SETWINDOWORGEX, FWindowOrg.x, FWindowOrg.y);
      return;
    case META_SCALEWINDOWEXT: {
      Need(p, 4);  // y denominator, y numerator, x denominator, x numerator
      EMRSCALEEXTEX r{{EMR_SCALEWINDOWEXTEX, sizeof(EMRSCALEEXTEX)}, p.S(3), p.S(2), p.S(1), p.S(0)};
      Add(&r, sizeof r);
      return;
    }
    case META_SETBKCOLOR: Need(p, 2); AddDword(EMR_SETBKCOLOR, p.U32(0)); return;
    case META_SETTEXTCOLOR: Need(p, 2); AddDword(EMR_SETTEXTCOLOR, p.U32(0)); return;
    case META_SETBKMODE: Need(p, 1); AddDword(EMR_SETBKMODE, p.U(0)); return;
    case META_SETROP2: Need(p, 1); AddDword(EMR_SETROP2, p.U(0)); return;
    case META_SETPOLYFILLMODE: Need(p, 1); AddDword(EMR_SETPOLYFILLMODE, p.U(0)); return;
    case META_SETTEXTALIGN: Need(p, 1); AddDword(EMR_SETTEXTALIGN, p.U(0)); return;
    case META_SETSTRETCHBLTMODE: Need(p, 1); AddDword(EMR_SETSTRETCHBLTMODE, p.U(0)); return;
    case META_SAVEDC: {
      EMR r{EMR_SAVEDC, sizeof(EMR)};
      Add(&r, sizeof r);
      return;
    }
    case META_RESTOREDC: Need(p, 1); AddDword(EMR_RESTOREDC, static_cast<DWORD>(std::int32_t{p.S(0)})); return;
    case META_MOVETO:
      Need(p, 2);
      AddPoint(EMR_MOVETOEX, p.S(1), p.S(0));
      FExtent.Add(p.S(1), p.S(0));
      return;
    case META_LINETO:
      Need(p, 2);
      AddPoint(EMR_LINETO, p.S(1), p.S(0));
      FExtent.Add(p.S(1), p.S(0));
      return;
    case META_RECTANGLE: Need(p, 4); AddBox(EMR_RECTANGLE, p); return;
    case META_ELLIPSE: Need(p, 4); AddBox(EMR_ELLIPSE, p); return;
    case META_INTERSECTCLIPRECT: Need(p, 4); AddBox(EMR_INTERSECTCLIPRECT, p); return;
    case META_EXCLUDECLIPRECT: Need(p, 4); AddBox(EMR_EXCLUDECLIPRECT, p); return;
    case META_ROUNDRECT: {
      Need(p, 6);  // height, width, bottom, right, top, left
      const RECT box{p.S(5), p.S(4), p.S(3), p.S(2)};
      EMRROUNDRECT r{{EMR_ROUNDRECT, sizeof(EMRROUNDRECT)}, box, SIZE{p.S(1), p.S(0)}};
      Add(&r, sizeof r);
      FExtent.Add(box.Left, box.Top);
      FExtent.Add(box.Right, box.Bottom);
      return;
    }
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
      Need(p, 8);  // y end, x end, y start, x start, bottom, right, top, left
      const RECT box{p.S(7), p.S(6), p.S(5), p.S(4)};
      const DWORD type = function == META_ARC ? EMR_ARC : function == META_PIE ? EMR_PIE : EMR_CHORD;
      EMRARC r{{type, sizeof(EMRARC)}, box, POINT{p.S(3), p.S(2)}, POINT{p.S(1), p.S(0)}};
      Add(&r, sizeof r);
      FExtent.Add(box.Left, box.Top);
      FExtent.Add(box.Right, box.Bottom);
      return;
    }
    case META_POLYGON:
    case META_POLYLINE: {
      Need(p, 1);
      const std::int16_t n = p.S(0);
      if (n < 0 || !p.Has(1 + 2 * static_cast<std::size_t>(n))) Fail(Where() + " holds fewer points than its count");
      std::vector<POINT> points(static_cast<std::size_t>(n));
      for (std::size_t i = 0; i < points.size(); ++i) points[i] = POINT{p.S(1 + 2 * i), p.S(2 + 2 * i)};
      AddPoints(function == META_POLYGON ? EMR_POLYGON : EMR_POLYLINE, points, nullptr);
      return;
    }
    case META_POLYPOLYGON: {
      Need(p, 1);
      const std::uint16_t polys = p.U(0);
      Need(p, 1 + std::size_t{polys});
      std::vector<DWORD> counts(polys);
      std::size_t total = 0;
      for (std::size_t i = 0; i < polys; ++i) total += counts[i] = p.U(1 + i);
      const std::size_t at = 1 + std::size_t{polys};
      if (!p.Has(at + 2 * total)) Fail(Where() + " holds fewer points than its counts");
      std::vector<POINT> points(total);
      for (std::size_t i = 0; i < total; ++i) points[i] = POINT{p.S(at + 2 * i), p.S(at + 2 * i + 1)};
      AddPoints(EMR_POLYPOLYGON, points, &counts);
      return;
    }
    case META_SETPIXEL: {
      Need(p, 4);  // colour (2 words), y, x
      EMRSETPIXELV r{{EMR_SETPIXELV, sizeof(EMRSETPIXELV)}, POINT{p.S(3), p.S(2)}, p.U32(0)};
      Add(&r, sizeof r);
      FExtent.Add(p.S(3), p.S(2));
      return;
    }
    case META_TEXTOUT: {
      Need(p, 1);
      const std::int16_t length = p.S(0);
      if (length < 0) Fail(Where() + " has a negative string length");
      const std::size_t words = (static_cast<std::size_t>(length) + 1) / 2;
      Need(p, 1 + words + 2);
      const std::string ansi(reinterpret_cast<const char*>(p.Bytes(1)), static_cast<std::size_t>(length));
      AddText(POINT{p.S(2 + words), p.S(1 + words)}, 0, RECT{}, ansi, nullptr);
      return;
    }
    case META_EXTTEXTOUT: {
      Need(p, 4);  // y, x, length, options, [rectangle], string, [advances]
      const std::int16_t length = p.S(2);
      const UINT options = p.U(3);
      if (length < 0) Fail(Where() + " has a negative string length");
      std::size_t at = 4;
      RECT rect{};
      if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        Need(p, at + 4);
        rect = RECT{p.S(at), p.S(at + 1), p.S(at + 2), p.S(at + 3)};
        at += 4;
      }
      const std::size_t words = (static_cast<std::size_t>(length) + 1) / 2;
      Need(p, at + words);
      const std::string ansi(reinterpret_cast<const char*>(p.Bytes(at)), static_cast<std::size_t>(length));
      at += words;
      std::vector<int> dx;
      if (length > 0 && p.Has(at + static_cast<std::size_t>(length)))
        for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i) dx.push_back(p.S(at + i));
      AddText(POINT{p.S(1), p.S(0)}, options, rect, ansi, dx.empty() ? nullptr : &dx);
      return;
    }
    case META_CREATEFONTINDIRECT: {
      Need(p, 9);  // the fixed part; the face name may be short
      WMFLOGFONT lf;
      std::memcpy(&lf, p.Bytes(0), std::min(p.Count() * 2, sizeof lf));
      EMREXTCREATEFONTINDIRECTW r;
      std::memset(static_cast<void*>(&r), 0, sizeof r);
      r.emr = EMR{EMR_EXTCREATEFONTINDIRECTW, sizeof r};
      r.ihFont = CreateSlot(Slot::Object) + 1;
      LOGFONTW& f = r.elfw;
      f.lfHeight = lf.Height;
      f.lfWidth = lf.Width;
      f.lfEscapement = lf.Escapement;
      f.lfOrientation = lf.Orientation;
      f.lfWeight = lf.Weight;
      f.lfItalic = lf.Italic;
      f.lfUnderline = lf.Underline;
      f.lfStrikeOut = lf.StrikeOut;
      f.lfCharSet = lf.CharSet;
      f.lfOutPrecision = lf.OutPrecision;
      f.lfClipPrecision = lf.ClipPrecision;
      f.lfQuality = lf.Quality;
      f.lfPitchAndFamily = lf.PitchAndFamily;
      const std::size_t faceBytes = std::min<std::size_t>(p.Count() * 2 - 18, sizeof lf.FaceName);
      const std::string face(lf.FaceName, strnlen(lf.FaceName, faceBytes));
      const String wide = AnsiToString(face);
      std::copy_n(wide.begin(), std::min<std::size_t>(wide.size(), LF_FACESIZE - 1), f.lfFaceName);
      Add(&r, sizeof r);
      return;
    }
    case META_CREATEPENINDIRECT: {
      Need(p, 5);
      const auto pen = Load<WMFLOGPEN>(p.Bytes(0));
      EMRCREATEPEN r{{EMR_CREATEPEN, sizeof(EMRCREATEPEN)},
                     CreateSlot(Slot::Object) + 1,
                     {pen.Style, POINT{pen.WidthX, 0}, pen.Color}};
      Add(&r, sizeof r);
      return;
    }
    case META_CREATEBRUSHINDIRECT: {
      Need(p, 4);
      const auto brush = Load<WMFLOGBRUSH>(p.Bytes(0));
      const UINT style = brush.Style == BS_NULL || brush.Style == BS_HATCHED ? brush.Style : BS_SOLID;
      EMRCREATEBRUSHINDIRECT r{{EMR_CREATEBRUSHINDIRECT, sizeof(EMRCREATEBRUSHINDIRECT)},
                               CreateSlot(Slot::Object) + 1,
                               {style, brush.Color, brush.Hatch}};
      Add(&r, sizeof r);
      return;
    }
    case META_DIBCREATEPATTERNBRUSH: {
      Need(p, 2);  // style, colour usage, then a packed DIB
      const Dib dib = SplitDib(p, 2);
      EMRCREATEDIBPATTERNBRUSHPT r{};
      r.emr.iType = EMR_CREATEDIBPATTERNBRUSHPT;
      r.ihBrush = CreateSlot(Slot::Object) + 1;
      r.iUsage = p.U(1);
      r.offBmi = sizeof r;
      r.cbBmi = static_cast<DWORD>(dib.InfoSize);
      r.offBits = static_cast<DWORD>(sizeof r + dib.InfoSize);
      r.cbBits = static_cast<DWORD>(dib.BitsSize);
      AddWithTail(&r, sizeof r, dib.Data, dib.InfoSize + dib.BitsSize);
      return;
    }
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION: CreateSlot(Slot::Placeholder); return;
    case META_PATBLT: {
      Need(p, 6);  // operation (2 words), height, width, y, x
      EMRBITBLT r{};
      r.emr.iType = EMR_BITBLT;
      r.rclBounds = RECT{0, 0, -1, -1};
      r.dwRop = p.U32(0);
      r.cyDest = p.S(2);
      r.cxDest = p.S(3);
      r.yDest = p.S(4);
      r.xDest = p.S(5);
      r.xformSrc = XFORM32{};
      Add(&r, sizeof r);
      FExtent.Add(r.xDest, r.yDest);
      FExtent.Add(r.xDest + r.cxDest, r.yDest + r.cyDest);
      return;
    }
    case META_STRETCHDIB: {
      // Operation (2 words), usage, source height, width, y, x, destination height, width, y, x, DIB.
      Need(p, 11);
      const Dib dib = SplitDib(p, 11);
      EMRSTRETCHDIBITS r{};
      r.emr.iType = EMR_STRETCHDIBITS;
      r.rclBounds = RECT{0, 0, -1, -1};
      r.dwRop = p.U32(0);
      r.iUsageSrc = p.U(2);
      r.cySrc = p.S(3);
      r.cxSrc = p.S(4);
      r.ySrc = p.S(5);
      r.xSrc = p.S(6);
      r.cyDest = p.S(7);
      r.cxDest = p.S(8);
      r.yDest = p.S(9);
      r.xDest = p.S(10);
      r.offBmiSrc = sizeof r;
      r.cbBmiSrc = static_cast<DWORD>(dib.InfoSize);
      r.offBitsSrc = static_cast<DWORD>(sizeof r + dib.InfoSize);
      r.cbBitsSrc = static_cast<DWORD>(dib.BitsSize);
      AddWithTail(&r, sizeof r, dib.Data, dib.InfoSize + dib.BitsSize);
      FExtent.Add(r.xDest, r.yDest);
      FExtent.Add(r.xDest + r.cxDest, r.yDest + r.cyDest);
      return;
    }
    case META_SELECTOBJECT: {
      Need(p, 1);
      if (const auto slot = UsedSlot(p.U(0))) {
        EMROBJECTPARAM r{{EMR_SELECTOBJECT, sizeof(EMROBJECTPARAM)}, *slot + 1};
        Add(&r, sizeof r);
      }
      return;
    }
    case META_DELETEOBJECT: {
      Need(p, 1);
      const std::uint16_t index = p.U(0);
      if (const auto slot = UsedSlot(index)) {
        EMROBJECTPARAM r{{EMR_DELETEOBJECT, sizeof(EMROBJECTPARAM)}, *slot + 1};
        Add(&r, sizeof r);
      }
      FSlots[index] = Slot::Free;
      return;
    }
    default: return;  // not converted
  }
}

std::vector<std::uint8_t> Importer::Run() {
  std::size_t base = 0;
  std::optional<WMFPLACEABLEHEADER> placeable;
  if (FData.size() >= 4 && Load<std::uint32_t>(FData.data()) == WMF_PLACEABLE_KEY) {
    if (FData.size() < sizeof(WMFPLACEABLEHEADER)) Fail("data too short for the placeable header");
    placeable = Load<WMFPLACEABLEHEADER>(FData.data());
    base = sizeof(WMFPLACEABLEHEADER);
  }
  if (FData.size() - base < sizeof(WMFHEADER)) Fail("data too short for a header");
  const auto header = Load<WMFHEADER>(FData.data() + base);
  if ((header.Type != 1 && header.Type != 2) || header.HeaderSize != 9) Fail("not an old-style metafile header");
  const std::uint64_t total = std::uint64_t{header.Size} * 2;
  if (total < sizeof(WMFHEADER)) Fail("the header's size (" + std::to_string(total) + " bytes) is smaller than a header");
  if (total > FData.size() - base)
    Fail("the header's size (" + std::to_string(total) + " bytes) runs past the data (" +
         std::to_string(FData.size() - base) + " bytes)");
  FSlots.assign(header.NumberOfObjects, Slot::Free);

  const std::size_t end = base + static_cast<std::size_t>(total);
  std::size_t offset = base + sizeof(WMFHEADER);
  bool sawEof = false;
  while (offset < end) {
    ++FRecordNumber;
    if (end - offset < kWmfRecordFixed) Fail(Where() + " is cut off at the end of the data");
    const std::uint64_t words = Load<std::uint32_t>(FData.data() + offset);
    const std::uint16_t function = Load<std::uint16_t>(FData.data() + offset + 4);
    if (words < 3) Fail(Where() + " has size " + std::to_string(words) + " words, less than a record");
    if (words * 2 > end - offset) Fail(Where() + " runs past the end of the data");
    if (function == META_EOF) {
      sawEof = true;
      break;
    }
    Convert(function, Params(FData.data() + offset + kWmfRecordFixed, static_cast<std::size_t>(words - 3)));
    offset += static_cast<std::size_t>(words * 2);
  }
  if (!sawEof) Fail("no end-of-file record");

  // The picture: the placeable box, else the first window, else what is drawn.
  RECT box{};
  int unitsPerInch = 96;
  if (placeable) {
    box = RECT{placeable->Left, placeable->Top, placeable->Right, placeable->Bottom};
    if (placeable->Inch != 0) unitsPerInch = placeable->Inch;
  } else if (FFirstWindowExt && FFirstWindowExt->cx != 0 && FFirstWindowExt->cy != 0) {
    const POINT org = FFirstWindowOrg.value_or(POINT{});
    box = RECT{org.x, org.y, org.x + FFirstWindowExt->cx, org.y + FFirstWindowExt->cy};
  } else if (FExtent.Any) {
    box = RECT{FExtent.Left, FExtent.Top, FExtent.Right + 1, FExtent.Bottom + 1};
  }
  if (box.Right == box.Left || box.Bottom == box.Top) Fail("the picture's bounding box is empty");
  const std::int64_t width = std::abs(std::int64_t{box.Right} - box.Left);
  const std::int64_t height = std::abs(std::int64_t{box.Bottom} - box.Top);
  const auto pixels = [&](std::int64_t units) { return std::max<std::int64_t>(1, (units * 96 + unitsPerInch / 2) / unitsPerInch); };
  const LONG pxWidth = static_cast<LONG>(std::min<std::int64_t>(pixels(width), 1 << 20));
  const LONG pxHeight = static_cast<LONG>(std::min<std::int64_t>(pixels(height), 1 << 20));

  // The box's window mapped onto the picture's pixels, before the file's own records.
  std::vector<std::uint8_t> prefix;
  std::swap(prefix, FRecords);
  const std::uint32_t converted = FCount;
  FCount = 0;
  AddDword(EMR_SETMAPMODE, MM_ANISOTROPIC);
  AddPoint(EMR_SETWINDOWORGEX, box.Left, box.Top);
  AddPoint(EMR_SETWINDOWEXTEX, box.Right - box.Left, box.Bottom - box.Top);
  AddPoint(EMR_SETVIEWPORTORGEX, 0, 0);
  AddPoint(EMR_SETVIEWPORTEXTEX, pxWidth, pxHeight);
  FRecords.insert(FRecords.end(), prefix.begin(), prefix.end());

  ENHMETAHEADER h;
  h.rclBounds = RECT{0, 0, pxWidth - 1, pxHeight - 1};
  // The frame in 0.01 mm of the picture's pixels at 96 per inch (2540 / 96 per pixel).
  h.rclFrame = RECT{0, 0, static_cast<LONG>((std::int64_t{pxWidth} * 2540 + 48) / 96),
                    static_cast<LONG>((std::int64_t{pxHeight} * 2540 + 48) / 96)};
  h.szlDevice = SIZE{1920, 1080};
  h.szlMillimeters = SIZE{508, 286};
  h.szlMicrometers = SIZE{508000, 285750};
  h.nHandles = static_cast<WORD>(std::min<std::size_t>(FSlots.size() + 1, 0xFFFF));
  return AssembleEnhMetaFile(h, {}, FRecords, FCount + converted);
}

}  // namespace

bool LooksLikeWmf(std::span<const std::uint8_t> data) {
  if (data.size() >= 4 && Load<std::uint32_t>(data.data()) == WMF_PLACEABLE_KEY) return true;
  if (data.size() < sizeof(WMFHEADER)) return false;
  const auto h = Load<WMFHEADER>(data.data());
  return (h.Type == 1 || h.Type == 2) && h.HeaderSize == 9 && (h.Version == 0x0100 || h.Version == 0x0300);
}

std::vector<std::uint8_t> WmfToEmf(std::span<const std::uint8_t> data) { return Importer(data).Run(); }

}  // namespace vx::plat::emf
