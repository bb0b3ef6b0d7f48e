// Recording: DC calls -> enhanced-metafile records.
#include "platform/emf/emf_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/emf/emf_records.h"

namespace vx::plat::emf {
namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

LONG Clamp32(std::int64_t v) { return static_cast<LONG>(std::clamp(v, kMin32, kMax32)); }

// Rounds to the nearest integer, halves away from zero.
std::int64_t RoundAway(long double v) {
  return static_cast<std::int64_t>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L));
}

RECT EmptyBounds() { return RECT{0, 0, -1, -1}; }

bool IsEmptyBounds(const RECT& r) { return r.Right < r.Left || r.Bottom < r.Top; }

// Whether a ternary raster operation reads its source.
bool RopUsesSource(DWORD rop) {
  const std::uint32_t code = (rop >> 16) & 0xFF;
  return (((code >> 2) ^ code) & 0x33) != 0;
}

// A 24-bit bottom-up DIB (info header + bits) of `width` x `height` pixels
// read from 0x00RRGGBB rows.
struct Dib {
  BITMAPINFOHEADER Header;
  std::vector<std::uint8_t> Bits;
};

Dib MakeDib24(const std::uint32_t* top, std::ptrdiff_t stride, int width, int height) {
  Dib dib;
  dib.Header.biWidth = width;
  dib.Header.biHeight = height;
  dib.Header.biBitCount = 24;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  dib.Header.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<std::size_t>(height));
  dib.Bits.assign(rowBytes * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = top + static_cast<std::ptrdiff_t>(y) * stride;
    std::uint8_t* dst = dib.Bits.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = src[x];
      dst[3 * x] = static_cast<std::uint8_t>(p);
      dst[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
      dst[3 * x + 2] = static_cast<std::uint8_t>(p >> 16);
    }
  }
  return dib;
}

// A 1-bit DIB with a black/white colour table from monochrome pixels
// (0 = black, anything else = white).
std::vector<std::uint8_t> MakeMonoDibPacked(const std::uint32_t* top, std::ptrdiff_t stride, int width, int height) {
  BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = 1;
  h.biClrUsed = 2;
  const std::size_t rowBytes = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  h.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<std::size_t>(height));
  std::vector<std::uint8_t> out(sizeof(h) + 8 + h.biSizeImage, 0);
  std::memcpy(out.data(), &h, sizeof(h));
  const std::uint8_t white[4] = {255, 255, 255, 0};
  std::memcpy(out.data() + sizeof(h) + 4, white, 4);
  std::uint8_t* bits = out.data() + sizeof(h) + 8;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = top + static_cast<std::ptrdiff_t>(y) * stride;
    std::uint8_t* dst = bits + static_cast<std::size_t>(height - 1 - y) * rowBytes;
    for (int x = 0; x < width; ++x)
      if ((src[x] & 0x00FFFFFFu) != 0) dst[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
  }
  return out;
}

}  // namespace

EmfRecorder::EmfRecorder(RecordingSetup setup) : FSetup(std::move(setup)) { FUsed.assign(1, true); }

// ---------------------------------------------------------------------------
// Writing records
// ---------------------------------------------------------------------------

void EmfRecorder::Append(const void* record, std::size_t size) {
  AppendRecord(FRecords, record, size);
  ++FRecordCount;
}

void EmfRecorder::AppendWithTail(const void* fixed, std::size_t fixedSize, const void* tail, std::size_t tailSize) {
  std::vector<std::uint8_t> record(fixedSize + tailSize);
  std::memcpy(record.data(), fixed, fixedSize);
  if (tailSize) std::memcpy(record.data() + fixedSize, tail, tailSize);
  Append(record.data(), record.size());
}

void EmfRecorder::EmitDword(DWORD type, DWORD value) {
  EMRDWORDPARAM r{{type, sizeof(EMRDWORDPARAM)}, value};
  Append(&r, sizeof r);
}

// A record that carries a bitmap: the fixed part, the bitmap's info block
// padded to 4 bytes, then its bits (the offsets in the fixed part say so).
template <class Record>
void EmfRecorder::AppendWithDib(const Record& r, const void* info, std::size_t infoSize, const void* bits,
                                std::size_t bitsSize) {
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(r);
  w.PutBytes(info, infoSize);
  w.PadFrom(0, 4);
  w.PutBytes(bits, bitsSize);
  Append(rec.data(), rec.size());
  AddDeviceRect(r.rclBounds);
}

void EmfRecorder::EmitPoint(DWORD type, LONG x, LONG y) {
  EMRPOINTPARAM r{{type, sizeof(EMRPOINTPARAM)}, POINT{x, y}};
  Append(&r, sizeof r);
}

void EmfRecorder::EmitBox(DWORD type, LONG left, LONG top, LONG right, LONG bottom) {
  EMRBOX r{{type, sizeof(EMRBOX)}, RECT{left, top, right, bottom}};
  Append(&r, sizeof r);
}

void EmfRecorder::EmitPoints(DWORD type, const POINT* points, std::size_t count, const RECT& bounds) {
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(EMR{type, 0});
  w.Put(bounds);
  w.Put(static_cast<DWORD>(count));
  w.PutBytes(points, count * sizeof(POINT));
  Append(rec.data(), rec.size());
}

void EmfRecorder::EmitPolyPoints(DWORD type, const POINT* points, const DWORD* counts, std::size_t polys,
                                 const RECT& bounds) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < polys; ++i) total += counts[i];
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(EMR{type, 0});
  w.Put(bounds);
  w.Put(static_cast<DWORD>(polys));
  w.Put(static_cast<DWORD>(total));
  w.PutBytes(counts, polys * sizeof(DWORD));
  w.PutBytes(points, static_cast<std::size_t>(total) * sizeof(POINT));
  Append(rec.data(), rec.size());
}

void EmfRecorder::EmitArc(DWORD type, const RECT& box, POINT start, POINT end) {
  EMRARC r{{type, sizeof(EMRARC)}, box, start, end};
  Append(&r, sizeof r);
  AddBounds(FigureBounds(box.Left, box.Top, box.Right, box.Bottom));
}

// Region records hold logical rectangles (the DC maps them as it fills);
// their bounds are the device box of the rectangles.
void EmfRecorder::EmitRegion(DWORD type, const std::vector<RECT>& rects, std::uint32_t brush, SIZE stroke) {
  const std::vector<std::uint8_t> data = MakeRegionData(rects);
  const auto header = Load<RGNDATAHEADER>(data.data());
  RECT bounds = EmptyBounds();
  if (!rects.empty()) {
    const RECT& b = header.rcBound;
    bounds = DeviceRect(b.Left, b.Top, b.Right, b.Bottom);
  }
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(EMR{type, 0});
  w.Put(bounds);
  w.Put(static_cast<DWORD>(data.size()));
  if (type == EMR_FILLRGN || type == EMR_FRAMERGN) w.Put(static_cast<DWORD>(brush));
  if (type == EMR_FRAMERGN) w.Put(stroke);
  w.PutBytes(data.data(), data.size());
  Append(rec.data(), rec.size());
  if (!IsEmptyBounds(bounds)) AddDeviceRect(bounds);
}

void EmfRecorder::EmitDib(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                          int srcHeight, const BITMAPINFO* info, std::size_t infoSize, const void* bits,
                          std::size_t bitsSize, UINT usage, DWORD rop) {
  EMRSTRETCHDIBITS r{};
  r.emr.iType = EMR_STRETCHDIBITS;
  r.rclBounds = DeviceRect(xDest, yDest, Clamp32(std::int64_t{xDest} + destWidth), Clamp32(std::int64_t{yDest} + destHeight));
  r.xDest = xDest;
  r.yDest = yDest;
  r.xSrc = xSrc;
  r.ySrc = ySrc;
  r.cxSrc = srcWidth;
  r.cySrc = srcHeight;
  r.offBmiSrc = sizeof(EMRSTRETCHDIBITS);
  r.cbBmiSrc = static_cast<DWORD>(infoSize);
  r.offBitsSrc = static_cast<DWORD>(sizeof(EMRSTRETCHDIBITS) + ((infoSize + 3) & ~std::size_t{3}));
  r.cbBitsSrc = static_cast<DWORD>(bitsSize);
  r.iUsageSrc = usage;
  r.dwRop = rop;
  r.cxDest = destWidth;
  r.cyDest = destHeight;
  AppendWithDib(r, info, infoSize, bits, bitsSize);
}

std::vector<std::uint8_t> EmfRecorder::Finish() const {
  const DeviceDesc& d = FSetup.Device;
  ENHMETAHEADER h;
  h.rclBounds = FBounds.Any ? RECT{Clamp32(FBounds.Left), Clamp32(FBounds.Top), Clamp32(FBounds.Right),
                                   Clamp32(FBounds.Bottom)}
                            : EmptyBounds();
  h.szlDevice = SIZE{d.Width, d.Height};
  h.szlMillimeters = SIZE{d.WidthMM, d.HeightMM};
  // Micrometres from the resolution are exact at 96 dpi (1 px = 264.583 um),
  // unlike the whole millimetres, so frames convert back to the same pixels.
  const int dpiX = d.DpiX > 0 ? d.DpiX : 96;
  const int dpiY = d.DpiY > 0 ? d.DpiY : 96;
  h.szlMicrometers = SIZE{Clamp32(RoundAway(d.Width * 25400.0L / dpiX)), Clamp32(RoundAway(d.Height * 25400.0L / dpiY))};
  if (FSetup.Frame) {
    h.rclFrame = *FSetup.Frame;
  } else if (FBounds.Any) {
    // The frame covers the drawn pixels edge to edge (0.01 mm per pixel = 2540 / dpi).
    const long double fx = 2540.0L / dpiX, fy = 2540.0L / dpiY;
    h.rclFrame = RECT{Clamp32(RoundAway(FBounds.Left * fx)), Clamp32(RoundAway(FBounds.Top * fy)),
                      Clamp32(RoundAway((FBounds.Right + 1) * fx)), Clamp32(RoundAway((FBounds.Bottom + 1) * fy))};
  }
  h.nHandles = static_cast<WORD>(std::min<std::uint32_t>(FHandles, 0xFFFF));
  return AssembleEnhMetaFile(h, FSetup.Description, FRecords, FRecordCount);
}

// ---------------------------------------------------------------------------
// Bounds
// ---------------------------------------------------------------------------

POINT EmfRecorder::ToDevice(POINT p) const {
  vx::plat::LPtoDP(FDc, &p, 1);
  return p;
}

RECT EmfRecorder::DeviceRect(int left, int top, int right, int bottom) const {
  POINT pts[2] = {{left, top}, {right, bottom}};
  vx::plat::LPtoDP(FDc, pts, 2);
  RECT r{std::min(pts[0].x, pts[1].x), std::min(pts[0].y, pts[1].y), std::max(pts[0].x, pts[1].x),
         std::max(pts[0].y, pts[1].y)};
  // Filled boxes cover [l, r) x [t, b): inclusive bounds end one pixel before.
  if (r.Right > r.Left) --r.Right;
  if (r.Bottom > r.Top) --r.Bottom;
  return r;
}

void EmfRecorder::AddDevicePoint(std::int64_t x, std::int64_t y, std::int64_t inflate) {
  const std::int64_t l = x - inflate, t = y - inflate, r = x + inflate, b = y + inflate;
  if (!FBounds.Any) {
    FBounds = Bounds{true, l, t, r, b};
    return;
  }
  FBounds.Left = std::min(FBounds.Left, l);
  FBounds.Top = std::min(FBounds.Top, t);
  FBounds.Right = std::max(FBounds.Right, r);
  FBounds.Bottom = std::max(FBounds.Bottom, b);
}

void EmfRecorder::AddDeviceRect(const RECT& r) {
  if (IsEmptyBounds(r)) return;
  AddDevicePoint(r.Left, r.Top, 0);
  AddDevicePoint(r.Right, r.Bottom, 0);
}

std::int64_t EmfRecorder::PenInflation() const {
  HGDIOBJ pen = GetCurrentObject(FDc, OBJ_PEN);
  UINT style = PS_SOLID;
  std::int64_t width = 0;
  if (GetObjectType(pen) == OBJ_EXTPEN) {
    EXTLOGPEN e;
    if (GetObject(pen, sizeof e, &e) <= 0) return 0;
    style = e.elpPenStyle;
    width = e.elpWidth;
  } else {
    LOGPEN p;
    if (GetObject(pen, sizeof p, &p) <= 0) return 0;
    style = p.lopnStyle;
    width = p.lopnWidth.x;
  }
  if ((style & PS_STYLE_MASK) == PS_NULL) return 0;
  const POINT o = ToDevice(POINT{0, 0});
  const POINT w = ToDevice(POINT{Clamp32(width), 0});
  const std::int64_t deviceWidth = std::abs(std::int64_t{w.x} - o.x);
  return deviceWidth <= 1 ? 0 : deviceWidth / 2 + 1;
}

RECT EmfRecorder::LogicalPointsBounds(const POINT* points, std::size_t count, bool withCurrentPosition) {
  std::vector<POINT> device(points, points + count);
  if (withCurrentPosition) {
    POINT cp{};
    GetCurrentPositionEx(FDc, &cp);
    device.push_back(cp);
  }
  if (device.empty()) return EmptyBounds();
  vx::plat::LPtoDP(FDc, device.data(), static_cast<int>(device.size()));
  const std::int64_t inflate = PenInflation();
  std::int64_t l = device[0].x, t = device[0].y, r = l, b = t;
  for (const POINT& p : device) {
    l = std::min<std::int64_t>(l, p.x);
    t = std::min<std::int64_t>(t, p.y);
    r = std::max<std::int64_t>(r, p.x);
    b = std::max<std::int64_t>(b, p.y);
  }
  return RECT{Clamp32(l - inflate), Clamp32(t - inflate), Clamp32(r + inflate), Clamp32(b + inflate)};
}

RECT EmfRecorder::FigureBounds(int left, int top, int right, int bottom) {
  RECT r = DeviceRect(left, top, right, bottom);
  const std::int64_t inflate = PenInflation();
  return RECT{Clamp32(r.Left - inflate), Clamp32(r.Top - inflate), Clamp32(std::int64_t{r.Right} + inflate),
              Clamp32(std::int64_t{r.Bottom} + inflate)};
}

RECT EmfRecorder::TextBounds(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                             const int* dx) {
  POINT ref{x, y};
  const UINT align = GetTextAlign(FDc);
  if (align & TA_UPDATECP) GetCurrentPositionEx(FDc, &ref);
  std::int64_t advance = 0;
  for (UINT i = 0; i < count; ++i) advance += dx ? dx[i] : 0;
  if (!dx && count) {
    SIZE extent{};
    GetTextExtentPoint32W(FDc, text, static_cast<int>(count), &extent);
    advance = extent.cx;
  }
  TEXTMETRICW tm;
  GetTextMetricsW(FDc, &tm);
  // Device lengths per logical unit on each axis.
  const POINT o = ToDevice(POINT{0, 0});
  const POINT ux = ToDevice(POINT{1 << 16, 0});
  const POINT uy = ToDevice(POINT{0, 1 << 16});
  const long double sx = std::fabs(static_cast<long double>(ux.x - o.x)) / (1 << 16);
  const long double sy = std::fabs(static_cast<long double>(uy.y - o.y)) / (1 << 16);
  const long double width = std::fabs(static_cast<long double>(advance)) * sx;
  const long double ascent = tm.tmAscent * sy, descent = tm.tmDescent * sy;
  long double x0 = 0, x1 = width;
  if ((align & TA_CENTER) == TA_CENTER) {
    x0 = -width / 2;
    x1 = width / 2;
  } else if (align & TA_RIGHT) {
    x0 = -width;
    x1 = 0;
  }
  long double y0 = 0, y1 = ascent + descent;
  if ((align & TA_BASELINE) == TA_BASELINE) {
    y0 = -ascent;
    y1 = descent;
  } else if (align & TA_BOTTOM) {
    y0 = -(ascent + descent);
    y1 = 0;
  }
  LOGFONTW font;
  long double angle = 0;
  if (GetObject(GetCurrentObject(FDc, OBJ_FONT), sizeof font, &font) > 0)
    angle = font.lfEscapement / 10.0L * 3.14159265358979323846L / 180.0L;
  // Escapement turns counter-clockwise as seen on the y-down device.
  const long double c = std::cos(angle), s = std::sin(angle);
  const POINT origin = ToDevice(ref);
  long double l = 0, t = 0, r = 0, b = 0;
  bool first = true;
  for (long double cx : {x0, x1})
    for (long double cy : {y0, y1}) {
      const long double px = origin.x + cx * c + cy * s;
      const long double py = origin.y - cx * s + cy * c;
      if (first) {
        l = r = px;
        t = b = py;
        first = false;
      }
      l = std::min(l, px);
      r = std::max(r, px);
      t = std::min(t, py);
      b = std::max(b, py);
    }
  RECT bounds{Clamp32(static_cast<std::int64_t>(std::floor(l)) - 1), Clamp32(static_cast<std::int64_t>(std::floor(t)) - 1),
              Clamp32(static_cast<std::int64_t>(std::ceil(r)) + 1), Clamp32(static_cast<std::int64_t>(std::ceil(b)) + 1)};
  if (rect && (options & ETO_OPAQUE)) {
    const RECT opaque = DeviceRect(rect->Left, rect->Top, rect->Right, rect->Bottom);
    bounds.Left = std::min(bounds.Left, opaque.Left);
    bounds.Top = std::min(bounds.Top, opaque.Top);
    bounds.Right = std::max(bounds.Right, opaque.Right);
    bounds.Bottom = std::max(bounds.Bottom, opaque.Bottom);
  }
  return bounds;
}

// ---------------------------------------------------------------------------
// Object table
// ---------------------------------------------------------------------------

std::vector<std::uint8_t> EmfRecorder::Describe(HGDIOBJ object) {
  std::vector<std::uint8_t> out;
  const UINT type = GetObjectType(object);
  if (type == 0) return out;
  const int size = GetObject(object, 0, nullptr);
  if (size <= 0 || size > 4096) return out;
  out.assign(static_cast<std::size_t>(size) + sizeof(UINT), 0);
  std::memcpy(out.data(), &type, sizeof type);
  if (GetObject(object, size, out.data() + sizeof(UINT)) <= 0) out.clear();
  return out;
}

std::uint32_t EmfRecorder::AllocateIndex() {
  for (std::uint32_t i = 1; i < FUsed.size(); ++i)
    if (!FUsed[i]) {
      FUsed[i] = true;
      return i;
    }
  if (FUsed.size() >= 0xFFFF) return 0;  // the header counts handles in 16 bits
  FUsed.push_back(true);
  const auto index = static_cast<std::uint32_t>(FUsed.size() - 1);
  FHandles = std::max(FHandles, index + 1);
  return index;
}

void EmfRecorder::ReleaseIndex(std::uint32_t index) {
  if (index < FUsed.size()) FUsed[index] = false;
}

bool EmfRecorder::EmitCreate(HGDIOBJ object, std::uint32_t index, const std::vector<std::uint8_t>& description) {
  UINT type = 0;
  std::memcpy(&type, description.data(), sizeof type);
  const std::uint8_t* body = description.data() + sizeof(UINT);
  const std::size_t bodySize = description.size() - sizeof(UINT);
  switch (type) {
    case OBJ_PEN: {
      LOGPEN p;
      std::memcpy(&p, body, std::min(bodySize, sizeof p));
      EMRCREATEPEN r{{EMR_CREATEPEN, sizeof(EMRCREATEPEN)}, index, {p.lopnStyle, p.lopnWidth, p.lopnColor}};
      Append(&r, sizeof r);
      return true;
    }
    case OBJ_EXTPEN: {
      EXTLOGPEN e;
      std::memcpy(&e, body, std::min(bodySize, sizeof e));
      EMREXTCREATEPEN r{};
      r.emr.iType = EMR_EXTCREATEPEN;
      r.ihPen = index;
      r.elpPenStyle = e.elpPenStyle;
      r.elpWidth = e.elpWidth;
      r.elpBrushStyle = e.elpBrushStyle == BS_PATTERN ? BS_SOLID : e.elpBrushStyle;
      r.elpColor = e.elpColor;
      r.elpHatch = static_cast<DWORD>(e.elpHatch);
      Append(&r, sizeof r);
      return true;
    }
    case OBJ_BRUSH: {
      LOGBRUSH b;
      std::memcpy(&b, body, std::min(bodySize, sizeof b));
      if (b.lbStyle == BS_PATTERN) {
        int w = 0, h = 0, stride = 0;
        const std::uint32_t* pixels = BitmapPixels(reinterpret_cast<HBITMAP>(b.lbHatch), &w, &h, &stride);
        if (pixels && w > 0 && h > 0) {
          const bool mono = BitmapBitsPerPixel(reinterpret_cast<HBITMAP>(b.lbHatch)) == 1;
          std::vector<std::uint8_t> packed;
          if (mono) {
            packed = MakeMonoDibPacked(pixels, stride, w, h);
          } else {
            const Dib dib = MakeDib24(pixels, stride, w, h);
            packed.resize(sizeof(dib.Header) + dib.Bits.size());
            std::memcpy(packed.data(), &dib.Header, sizeof dib.Header);
            std::memcpy(packed.data() + sizeof dib.Header, dib.Bits.data(), dib.Bits.size());
          }
          const auto header = Load<BITMAPINFOHEADER>(packed.data());
          const std::size_t infoSize = DibInfoSize(header);
          EMRCREATEDIBPATTERNBRUSHPT r{};
          r.emr.iType = mono ? EMR_CREATEMONOBRUSH : EMR_CREATEDIBPATTERNBRUSHPT;
          r.ihBrush = index;
          r.iUsage = DIB_RGB_COLORS;
          r.offBmi = sizeof r;
          r.cbBmi = static_cast<DWORD>(infoSize);
          r.offBits = static_cast<DWORD>(sizeof r + infoSize);
          r.cbBits = static_cast<DWORD>(packed.size() - infoSize);
          AppendWithTail(&r, sizeof r, packed.data(), packed.size());
          return true;
        }
        b.lbStyle = BS_SOLID;  // the pattern's bitmap is gone: its colour is the best we have
      }
      EMRCREATEBRUSHINDIRECT r{{EMR_CREATEBRUSHINDIRECT, sizeof(EMRCREATEBRUSHINDIRECT)},
                               index,
                               {b.lbStyle, b.lbColor, static_cast<DWORD>(b.lbHatch)}};
      Append(&r, sizeof r);
      return true;
    }
    case OBJ_FONT: {
      EMREXTCREATEFONTINDIRECTW r{};
      r.emr.iType = EMR_EXTCREATEFONTINDIRECTW;
      r.emr.nSize = sizeof r;
      r.ihFont = index;
      std::memcpy(&r.elfw, body, std::min(bodySize, sizeof r.elfw));
      r.elfw.lfFaceName[LF_FACESIZE - 1] = 0;
      Append(&r, sizeof r);
      return true;
    }
    default: return false;
  }
}

std::uint32_t EmfRecorder::IndexFor(HGDIOBJ object) {
  if (const int stock = StockIndexOfHandle(object); stock >= 0) return ENHMETA_STOCK_OBJECT | DWORD(stock);
  std::vector<std::uint8_t> description = Describe(object);
  if (description.empty()) return 0;
  auto it = FObjects.find(object);
  if (it != FObjects.end()) {
    if (it->second.Description == description) return it->second.Index;
    // The handle value was freed and reused without our hearing of it.
    EMROBJECTPARAM del{{EMR_DELETEOBJECT, sizeof(EMROBJECTPARAM)}, it->second.Index};
    Append(&del, sizeof del);
    ReleaseIndex(it->second.Index);
    FObjects.erase(it);
  }
  const std::uint32_t index = AllocateIndex();
  if (index == 0) return 0;
  if (!EmitCreate(object, index, description)) {
    ReleaseIndex(index);
    return 0;
  }
  FObjects[object] = TableEntry{index, std::move(description)};
  return index;
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

void EmfRecorder::SaveDC() {
  EMR r{EMR_SAVEDC, sizeof(EMR)};
  Append(&r, sizeof r);
}
void EmfRecorder::RestoreDC(int savedDC) { EmitDword(EMR_RESTOREDC, static_cast<DWORD>(savedDC)); }
void EmfRecorder::SetMapMode(int mode) { EmitDword(EMR_SETMAPMODE, static_cast<DWORD>(mode)); }
void EmfRecorder::SetWindowOrgEx(int x, int y) { EmitPoint(EMR_SETWINDOWORGEX, x, y); }
void EmfRecorder::SetWindowExtEx(int cx, int cy) { EmitPoint(EMR_SETWINDOWEXTEX, cx, cy); }
void EmfRecorder::SetViewportOrgEx(int x, int y) { EmitPoint(EMR_SETVIEWPORTORGEX, x, y); }
void EmfRecorder::SetViewportExtEx(int cx, int cy) { EmitPoint(EMR_SETVIEWPORTEXTEX, cx, cy); }

// The format has no offset records for origins: the new origin is recorded.
void EmfRecorder::OffsetWindowOrgEx(int dx, int dy) {
  POINT org{};
  GetWindowOrgEx(FDc, &org);
  EmitPoint(EMR_SETWINDOWORGEX, Clamp32(std::int64_t{org.x} + dx), Clamp32(std::int64_t{org.y} + dy));
}
void EmfRecorder::OffsetViewportOrgEx(int dx, int dy) {
  POINT org{};
  GetViewportOrgEx(FDc, &org);
  EmitPoint(EMR_SETVIEWPORTORGEX, Clamp32(std::int64_t{org.x} + dx), Clamp32(std::int64_t{org.y} + dy));
}

void EmfRecorder::ScaleViewportExtEx(int xNum, int xDenom, int yNum, int yDenom) {
  EMRSCALEEXTEX r{{EMR_SCALEVIEWPORTEXTEX, sizeof(EMRSCALEEXTEX)}, xNum, xDenom, yNum, yDenom};
  Append(&r, sizeof r);
}
void EmfRecorder::ScaleWindowExtEx(int xNum, int xDenom, int yNum, int yDenom) {
  EMRSCALEEXTEX r{{EMR_SCALEWINDOWEXTEX, sizeof(EMRSCALEEXTEX)}, xNum, xDenom, yNum, yDenom};
  Append(&r, sizeof r);
}
void EmfRecorder::SetROP2(int rop2) { EmitDword(EMR_SETROP2, static_cast<DWORD>(rop2)); }
void EmfRecorder::SetBkMode(int mode) { EmitDword(EMR_SETBKMODE, static_cast<DWORD>(mode)); }
void EmfRecorder::SetBkColor(COLORREF color) { EmitDword(EMR_SETBKCOLOR, color); }
void EmfRecorder::SetTextColor(COLORREF color) { EmitDword(EMR_SETTEXTCOLOR, color); }
void EmfRecorder::SetTextAlign(UINT align) { EmitDword(EMR_SETTEXTALIGN, align); }
void EmfRecorder::SetPolyFillMode(int mode) { EmitDword(EMR_SETPOLYFILLMODE, static_cast<DWORD>(mode)); }
void EmfRecorder::SetStretchBltMode(int mode) { EmitDword(EMR_SETSTRETCHBLTMODE, static_cast<DWORD>(mode)); }
void EmfRecorder::SetBrushOrgEx(int x, int y) { EmitPoint(EMR_SETBRUSHORGEX, x, y); }
void EmfRecorder::MoveToEx(int x, int y) { EmitPoint(EMR_MOVETOEX, x, y); }

void EmfRecorder::SelectObject(HGDIOBJ object) {
  const UINT type = GetObjectType(object);
  if (type != OBJ_PEN && type != OBJ_EXTPEN && type != OBJ_BRUSH && type != OBJ_FONT) return;  // bitmaps
  const std::uint32_t index = IndexFor(object);
  if (index == 0) return;
  EMROBJECTPARAM r{{EMR_SELECTOBJECT, sizeof(EMROBJECTPARAM)}, index};
  Append(&r, sizeof r);
}

void EmfRecorder::DeleteObject(HGDIOBJ object) {
  auto it = FObjects.find(object);
  if (it == FObjects.end()) return;
  EMROBJECTPARAM r{{EMR_DELETEOBJECT, sizeof(EMROBJECTPARAM)}, it->second.Index};
  Append(&r, sizeof r);
  ReleaseIndex(it->second.Index);
  FObjects.erase(it);
}

// ---------------------------------------------------------------------------
// Lines and figures (always the 32-bit point forms, so that recorded
// pictures can be turned point by point when they are played)
// ---------------------------------------------------------------------------

void EmfRecorder::LineTo(int x, int y) {
  EmitPoint(EMR_LINETO, x, y);
  const POINT p{x, y};
  AddBounds(LogicalPointsBounds(&p, 1, true));
}

void EmfRecorder::Polyline(const POINT* points, int count) {
  const RECT b = LogicalPointsBounds(points, static_cast<std::size_t>(count), false);
  EmitPoints(EMR_POLYLINE, points, static_cast<std::size_t>(count), b);
  AddBounds(b);
}

void EmfRecorder::PolylineTo(const POINT* points, DWORD count) {
  const RECT b = LogicalPointsBounds(points, count, true);
  EmitPoints(EMR_POLYLINETO, points, count, b);
  AddBounds(b);
}

void EmfRecorder::PolyPolyline(const POINT* points, const DWORD* counts, DWORD polylines) {
  std::uint64_t total = 0;
  for (DWORD i = 0; i < polylines; ++i) total += counts[i];
  const RECT b = LogicalPointsBounds(points, static_cast<std::size_t>(total), false);
  EmitPolyPoints(EMR_POLYPOLYLINE, points, counts, polylines, b);
  AddBounds(b);
}

void EmfRecorder::Polygon(const POINT* points, int count) {
  const RECT b = LogicalPointsBounds(points, static_cast<std::size_t>(count), false);
  EmitPoints(EMR_POLYGON, points, static_cast<std::size_t>(count), b);
  AddBounds(b);
}

void EmfRecorder::PolyPolygon(const POINT* points, const int* counts, int polygons) {
  std::vector<DWORD> dcounts(counts, counts + polygons);
  std::uint64_t total = 0;
  for (DWORD c : dcounts) total += c;
  const RECT b = LogicalPointsBounds(points, static_cast<std::size_t>(total), false);
  EmitPolyPoints(EMR_POLYPOLYGON, points, dcounts.data(), dcounts.size(), b);
  AddBounds(b);
}

void EmfRecorder::PolyBezier(const POINT* points, DWORD count) {
  const RECT b = LogicalPointsBounds(points, count, false);
  EmitPoints(EMR_POLYBEZIER, points, count, b);
  AddBounds(b);
}

void EmfRecorder::PolyBezierTo(const POINT* points, DWORD count) {
  const RECT b = LogicalPointsBounds(points, count, true);
  EmitPoints(EMR_POLYBEZIERTO, points, count, b);
  AddBounds(b);
}

void EmfRecorder::Rectangle(int left, int top, int right, int bottom) {
  EmitBox(EMR_RECTANGLE, left, top, right, bottom);
  AddBounds(FigureBounds(left, top, right, bottom));
}

void EmfRecorder::Ellipse(int left, int top, int right, int bottom) {
  EmitBox(EMR_ELLIPSE, left, top, right, bottom);
  AddBounds(FigureBounds(left, top, right, bottom));
}

void EmfRecorder::RoundRect(int left, int top, int right, int bottom, int width, int height) {
  EMRROUNDRECT r{{EMR_ROUNDRECT, sizeof(EMRROUNDRECT)}, RECT{left, top, right, bottom}, SIZE{width, height}};
  Append(&r, sizeof r);
  AddBounds(FigureBounds(left, top, right, bottom));
}

void EmfRecorder::Arc(const RECT& box, POINT start, POINT end) { EmitArc(EMR_ARC, box, start, end); }
void EmfRecorder::Chord(const RECT& box, POINT start, POINT end) { EmitArc(EMR_CHORD, box, start, end); }
void EmfRecorder::Pie(const RECT& box, POINT start, POINT end) { EmitArc(EMR_PIE, box, start, end); }
void EmfRecorder::ArcTo(const RECT& box, POINT start, POINT end) {
  EmitArc(EMR_ARCTO, box, start, end);
  AddBounds(LogicalPointsBounds(nullptr, 0, true));
}

// FillRect, FrameRect and InvertRect have no records of their own: they
// become region records of their (logical) rectangle.
namespace {
RECT Normalised(const RECT& r) {
  return RECT{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}
}  // namespace

void EmfRecorder::FillRect(const RECT& rect, HBRUSH brush) {
  const std::uint32_t index = IndexFor(brush);
  const RECT r = Normalised(rect);
  if (index != 0 && !r.IsEmpty()) EmitRegion(EMR_FILLRGN, {r}, index, SIZE{});
}

// The frame is one device pixel wide: its logical width is what one pixel
// spans (at least one unit, so at magnifying mappings it grows with them).
void EmfRecorder::FrameRect(const RECT& rect, HBRUSH brush) {
  const std::uint32_t index = IndexFor(brush);
  const RECT r = Normalised(rect);
  if (index == 0 || r.IsEmpty()) return;
  POINT pixel[2] = {{0, 0}, {1, 1}};
  DPtoLP(FDc, pixel, 2);
  const LONG w = std::max<LONG>(1, std::abs(pixel[1].x - pixel[0].x));
  const LONG h = std::max<LONG>(1, std::abs(pixel[1].y - pixel[0].y));
  EmitRegion(EMR_FRAMERGN, {r}, index, SIZE{w, h});
}

void EmfRecorder::InvertRect(const RECT& rect) {
  const RECT r = Normalised(rect);
  if (!r.IsEmpty()) EmitRegion(EMR_INVERTRGN, {r}, 0, SIZE{});
}

void EmfRecorder::SetPixel(int x, int y, COLORREF color) {
  EMRSETPIXELV r{{EMR_SETPIXELV, sizeof(EMRSETPIXELV)}, POINT{x, y}, color};
  Append(&r, sizeof r);
  const POINT d = ToDevice(POINT{x, y});
  AddDevicePoint(d.x, d.y, 0);
}

// ---------------------------------------------------------------------------
// Regions and clipping
// ---------------------------------------------------------------------------

void EmfRecorder::FillRgn(HRGN region, HBRUSH brush) {
  const std::uint32_t index = IndexFor(brush);
  if (index != 0) EmitRegion(EMR_FILLRGN, RegionRects(region), index, SIZE{});
}

void EmfRecorder::FrameRgn(HRGN region, HBRUSH brush, int width, int height) {
  const std::uint32_t index = IndexFor(brush);
  if (index != 0) EmitRegion(EMR_FRAMERGN, RegionRects(region), index, SIZE{width, height});
}

void EmfRecorder::PaintRgn(HRGN region) { EmitRegion(EMR_PAINTRGN, RegionRects(region), 0, SIZE{}); }
void EmfRecorder::InvertRgn(HRGN region) { EmitRegion(EMR_INVERTRGN, RegionRects(region), 0, SIZE{}); }

void EmfRecorder::ExtSelectClipRgn(HRGN region, int mode) {
  std::vector<std::uint8_t> data;
  if (region) data = MakeRegionData(RegionRects(region));
  EMREXTSELECTCLIPRGN r{{EMR_EXTSELECTCLIPRGN, 0}, static_cast<DWORD>(data.size()), static_cast<DWORD>(mode)};
  AppendWithTail(&r, sizeof r, data.data(), data.size());
}

void EmfRecorder::IntersectClipRect(int left, int top, int right, int bottom) {
  EmitBox(EMR_INTERSECTCLIPRECT, left, top, right, bottom);
}
void EmfRecorder::ExcludeClipRect(int left, int top, int right, int bottom) {
  EmitBox(EMR_EXCLUDECLIPRECT, left, top, right, bottom);
}
void EmfRecorder::OffsetClipRgn(int dx, int dy) { EmitPoint(EMR_OFFSETCLIPRGN, dx, dy); }

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

void EmfRecorder::ExtTextOutW(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                              const int* dx) {
  EMREXTTEXTOUTW r{};
  r.emr.iType = EMR_EXTTEXTOUTW;
  r.rclBounds = TextBounds(x, y, options, rect, text, count, dx);
  r.iGraphicsMode = GM_COMPATIBLE;
  // 0.01 mm per logical unit, informative for other readers.
  const POINT o = ToDevice(POINT{0, 0});
  const POINT u = ToDevice(POINT{1 << 16, 1 << 16});
  const DeviceDesc& d = FSetup.Device;
  const long double mmPerPxX = d.DpiX > 0 ? 2540.0L / d.DpiX : 2540.0L / 96;
  const long double mmPerPxY = d.DpiY > 0 ? 2540.0L / d.DpiY : 2540.0L / 96;
  r.exScale = static_cast<float>(std::fabs(static_cast<long double>(u.x - o.x)) / (1 << 16) * mmPerPxX);
  r.eyScale = static_cast<float>(std::fabs(static_cast<long double>(u.y - o.y)) / (1 << 16) * mmPerPxY);
  r.emrtext.ptlReference = POINT{x, y};
  r.emrtext.nChars = count;
  r.emrtext.fOptions = options & (ETO_OPAQUE | ETO_CLIPPED);
  if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) r.emrtext.rcl = *rect;
  const std::size_t stringBytes = ((std::size_t{count} * 2 + 3) & ~std::size_t{3});
  r.emrtext.offString = count ? static_cast<DWORD>(sizeof r) : 0;
  r.emrtext.offDx = count ? static_cast<DWORD>(sizeof r + stringBytes) : 0;
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.Put(r);
  w.PutBytes(text, std::size_t{count} * 2);
  w.PadFrom(0, 4);
  if (count) {
    if (dx) {
      w.PutBytes(dx, std::size_t{count} * 4);
    } else {
      std::vector<int> advances(count, 0);
      GetTextExtentExPointW(FDc, text, static_cast<int>(count), 0, nullptr, advances.data(), nullptr);
      for (UINT i = count; i-- > 1;) advances[i] -= advances[i - 1];
      w.PutBytes(advances.data(), std::size_t{count} * 4);
    }
  }
  Append(rec.data(), rec.size());
  AddBounds(r.rclBounds);
}

// ---------------------------------------------------------------------------
// Transfers
// ---------------------------------------------------------------------------

namespace {

// The pixels of a source rectangle (logical units of `src`) at the source's
// device resolution, read through a stretching copy so that mapping, device
// views and monochrome sources are handled by the device layer itself.
// `text` and `back` colour a monochrome source as the destination would.
bool CaptureSource(HDC src, int xSrc, int ySrc, int widthSrc, int heightSrc, COLORREF text, COLORREF back, Dib& out,
                   int& deviceWidth, int& deviceHeight) {
  POINT corners[2] = {{xSrc, ySrc}, {xSrc + widthSrc, ySrc + heightSrc}};
  if (!LPtoDP(src, corners, 2)) return false;
  const std::int64_t w = std::abs(std::int64_t{corners[1].x} - corners[0].x);
  const std::int64_t h = std::abs(std::int64_t{corners[1].y} - corners[0].y);
  if (w <= 0 || h <= 0 || w > 32768 || h > 32768 || w * h > (std::int64_t{1} << 26)) return false;
  HDC mem = CreateRasterDC(static_cast<int>(w), static_cast<int>(h));
  if (!mem) return false;
  vx::plat::SetTextColor(mem, text);
  vx::plat::SetBkColor(mem, back);
  const BOOL copied = vx::plat::StretchBlt(mem, 0, 0, static_cast<int>(w), static_cast<int>(h), src, xSrc, ySrc,
                                           widthSrc, heightSrc, SRCCOPY);
  int pw = 0, ph = 0, stride = 0;
  const std::uint32_t* pixels = copied ? RasterPixels(mem, &pw, &ph, &stride) : nullptr;
  if (pixels && pw == w && ph == h) out = MakeDib24(pixels, stride, pw, ph);
  DeleteDC(mem);
  deviceWidth = static_cast<int>(w);
  deviceHeight = static_cast<int>(h);
  return pixels != nullptr;
}

}  // namespace

void EmfRecorder::BitBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  StretchBlt(x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

void EmfRecorder::StretchBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                             int heightSrc, DWORD rop) {
  EMRSTRETCHBLT r{};
  EMRBITBLT& b = r.blt;
  b.rclBounds = DeviceRect(x, y, Clamp32(std::int64_t{x} + width), Clamp32(std::int64_t{y} + height));
  b.xDest = x;
  b.yDest = y;
  b.cxDest = width;
  b.cyDest = height;
  b.dwRop = rop;
  b.xformSrc = XFORM32{};
  if (!src || !RopUsesSource(rop)) {
    b.emr.iType = EMR_BITBLT;
    Append(&r, sizeof(EMRBITBLT));
    AddDeviceRect(b.rclBounds);
    return;
  }
  Dib dib;
  int sw = 0, sh = 0;
  if (!CaptureSource(src, xSrc, ySrc, widthSrc, heightSrc, GetTextColor(FDc), GetBkColor(FDc), dib, sw, sh)) return;
  // The bitmap holds exactly the source rectangle at the source's pixel size;
  // a record of the plain kind when that equals the destination's logical size.
  const bool stretch = sw != width || sh != height;
  const std::size_t fixed = stretch ? sizeof(EMRSTRETCHBLT) : sizeof(EMRBITBLT);
  b.emr.iType = stretch ? EMR_STRETCHBLT : EMR_BITBLT;
  b.crBkColorSrc = GetBkColor(src);
  b.iUsageSrc = DIB_RGB_COLORS;
  b.offBmiSrc = static_cast<DWORD>(fixed);
  b.cbBmiSrc = sizeof(BITMAPINFOHEADER);
  b.offBitsSrc = static_cast<DWORD>(fixed + sizeof(BITMAPINFOHEADER));
  b.cbBitsSrc = static_cast<DWORD>(dib.Bits.size());
  r.cxSrc = sw;
  r.cySrc = sh;
  std::vector<std::uint8_t> rec;
  ByteWriter w(rec);
  w.PutBytes(&r, fixed);
  w.Put(dib.Header);
  w.PutBytes(dib.Bits.data(), dib.Bits.size());
  Append(rec.data(), rec.size());
  AddDeviceRect(b.rclBounds);
}

void EmfRecorder::PatBlt(int x, int y, int width, int height, DWORD rop) {
  EMRBITBLT b{};
  b.emr.iType = EMR_BITBLT;
  b.rclBounds = DeviceRect(x, y, Clamp32(std::int64_t{x} + width), Clamp32(std::int64_t{y} + height));
  b.xDest = x;
  b.yDest = y;
  b.cxDest = width;
  b.cyDest = height;
  b.dwRop = rop;
  Append(&b, sizeof b);
  AddDeviceRect(b.rclBounds);
}

void EmfRecorder::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                                int srcWidth, int srcHeight, const void* bits, std::size_t bitsSize,
                                const BITMAPINFO* info, UINT usage, DWORD rop) {
  const std::size_t infoSize = DibInfoSize(info->bmiHeader);
  if (infoSize == 0 || bitsSize > kMax32) return;
  EmitDib(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, info, infoSize, bits, bitsSize, usage,
          rop);
}

void EmfRecorder::SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                    UINT startScan, UINT scanLines, const void* bits, std::size_t bitsSize,
                                    const BITMAPINFO* info, UINT usage) {
  const std::size_t infoSize = DibInfoSize(info->bmiHeader);
  if (infoSize == 0 || bitsSize > kMax32) return;
  EMRSETDIBITSTODEVICE r{};
  r.emr.iType = EMR_SETDIBITSTODEVICE;
  r.rclBounds = DeviceRect(xDest, yDest, Clamp32(std::int64_t{xDest} + width), Clamp32(std::int64_t{yDest} + height));
  r.xDest = xDest;
  r.yDest = yDest;
  r.xSrc = xSrc;
  r.ySrc = ySrc;
  r.cxSrc = Clamp32(width);
  r.cySrc = Clamp32(height);
  r.offBmiSrc = sizeof r;
  r.cbBmiSrc = static_cast<DWORD>(infoSize);
  r.offBitsSrc = static_cast<DWORD>(sizeof r + ((infoSize + 3) & ~std::size_t{3}));
  r.cbBitsSrc = static_cast<DWORD>(bitsSize);
  r.iUsageSrc = usage;
  r.iStartScan = startScan;
  r.cScans = scanLines;
  AppendWithDib(r, info, infoSize, bits, bitsSize);
}

// ---------------------------------------------------------------------------
// Region rectangles
// ---------------------------------------------------------------------------

namespace {

bool AnyIn(HRGN region, LONG left, LONG top, LONG right, LONG bottom) {
  const RECT probe{left, top, right, bottom};
  return RectInRegion(region, &probe) != FALSE;
}

// The smallest x in [from, to) whose pixel of row y lies in `region`
// (the caller knows one does).
LONG FirstIn(HRGN region, LONG y, LONG from, LONG to) {
  LONG lo = from, hi = to - 1;
  while (lo < hi) {
    const LONG mid = lo + (hi - lo) / 2;
    if (AnyIn(region, from, y, mid + 1, y + 1))
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

}  // namespace

// The device layer offers no way to read a region's rectangles, so they are
// found by probing rows with rectangle-in-region tests: each span costs a few
// binary searches, rows with equal spans merge into one band.
std::vector<RECT> RegionRects(HRGN region) {
  std::vector<RECT> result;
  RECT box{};
  const int kind = GetRgnBox(region, &box);
  if (kind == ERROR || kind == NULLREGION || box.IsEmpty()) return result;
  if (kind == SIMPLEREGION) {
    result.push_back(box);
    return result;
  }
  HRGN outside = CreateRectRgn(box.Left, box.Top, box.Right, box.Bottom);
  if (!outside) return result;
  CombineRgn(outside, outside, region, RGN_DIFF);
  std::vector<std::pair<LONG, LONG>> previous, spans;
  std::size_t bandStart = 0;  // index in `result` of the previous row's first rectangle
  for (LONG y = box.Top; y < box.Bottom; ++y) {
    spans.clear();
    LONG x = box.Left;
    while (x < box.Right && AnyIn(region, x, y, box.Right, y + 1)) {
      const LONG start = FirstIn(region, y, x, box.Right);
      const LONG end = AnyIn(outside, start, y, box.Right, y + 1) ? FirstIn(outside, y, start, box.Right) : box.Right;
      spans.emplace_back(start, end);
      x = end;
    }
    if (!spans.empty() && spans == previous && y > box.Top) {
      for (std::size_t i = bandStart; i < result.size(); ++i) result[i].Bottom = y + 1;
      continue;
    }
    bandStart = result.size();
    for (const auto& [l, r] : spans) result.push_back(RECT{l, y, r, y + 1});
    previous = spans;
  }
  DeleteObject(outside);
  return result;
}

}  // namespace vx::plat::emf
