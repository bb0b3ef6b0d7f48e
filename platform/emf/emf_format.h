// Record numbers and byte layouts of the public enhanced-metafile (EMF) and
// old-style metafile (WMF) file formats, as far as this platform writes, reads
// or plays them. Every structure here is the little-endian file layout: a
// record read from a file can be copied into it byte for byte.
//
// Every EMF record starts with its type (UInt32 at offset 0) and its size in
// bytes (UInt32 at offset 4, a multiple of 4, at least 8). Points, boxes and
// sizes are 32-bit unless the record name ends in 16.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/gdi/gdi.h"

static_assert(std::endian::native == std::endian::little, "metafile layouts are read in place: little-endian only");

namespace vx::plat {

// ---------------------------------------------------------------------------
// Enhanced-metafile record numbers
// ---------------------------------------------------------------------------

constexpr DWORD EMR_HEADER = 1;
constexpr DWORD EMR_POLYBEZIER = 2;
constexpr DWORD EMR_POLYGON = 3;
constexpr DWORD EMR_POLYLINE = 4;
constexpr DWORD EMR_POLYBEZIERTO = 5;
constexpr DWORD EMR_POLYLINETO = 6;
constexpr DWORD EMR_POLYPOLYLINE = 7;
constexpr DWORD EMR_POLYPOLYGON = 8;
constexpr DWORD EMR_SETWINDOWEXTEX = 9;
constexpr DWORD EMR_SETWINDOWORGEX = 10;
constexpr DWORD EMR_SETVIEWPORTEXTEX = 11;
constexpr DWORD EMR_SETVIEWPORTORGEX = 12;
constexpr DWORD EMR_SETBRUSHORGEX = 13;
constexpr DWORD EMR_EOF = 14;
constexpr DWORD EMR_SETPIXELV = 15;
constexpr DWORD EMR_SETMAPPERFLAGS = 16;
constexpr DWORD EMR_SETMAPMODE = 17;
constexpr DWORD EMR_SETBKMODE = 18;
constexpr DWORD EMR_SETPOLYFILLMODE = 19;
constexpr DWORD EMR_SETROP2 = 20;
constexpr DWORD EMR_SETSTRETCHBLTMODE = 21;
constexpr DWORD EMR_SETTEXTALIGN = 22;
constexpr DWORD EMR_SETCOLORADJUSTMENT = 23;
constexpr DWORD EMR_SETTEXTCOLOR = 24;
constexpr DWORD EMR_SETBKCOLOR = 25;
constexpr DWORD EMR_OFFSETCLIPRGN = 26;
constexpr DWORD EMR_MOVETOEX = 27;
constexpr DWORD EMR_SETMETARGN = 28;
constexpr DWORD EMR_EXCLUDECLIPRECT = 29;
constexpr DWORD EMR_INTERSECTCLIPRECT = 30;
constexpr DWORD EMR_SCALEVIEWPORTEXTEX = 31;
constexpr DWORD EMR_SCALEWINDOWEXTEX = 32;
constexpr DWORD EMR_SAVEDC = 33;
constexpr DWORD EMR_RESTOREDC = 34;
constexpr DWORD EMR_SETWORLDTRANSFORM = 35;
constexpr DWORD EMR_MODIFYWORLDTRANSFORM = 36;
constexpr DWORD EMR_SELECTOBJECT = 37;
constexpr DWORD EMR_CREATEPEN = 38;
constexpr DWORD EMR_CREATEBRUSHINDIRECT = 39;
constexpr DWORD EMR_DELETEOBJECT = 40;
constexpr DWORD EMR_ANGLEARC = 41;
constexpr DWORD EMR_ELLIPSE = 42;
constexpr DWORD EMR_RECTANGLE = 43;
constexpr DWORD EMR_ROUNDRECT = 44;
constexpr DWORD EMR_ARC = 45;
constexpr DWORD EMR_CHORD = 46;
constexpr DWORD EMR_PIE = 47;
constexpr DWORD EMR_SELECTPALETTE = 48;
constexpr DWORD EMR_CREATEPALETTE = 49;
constexpr DWORD EMR_SETPALETTEENTRIES = 50;
constexpr DWORD EMR_RESIZEPALETTE = 51;
constexpr DWORD EMR_REALIZEPALETTE = 52;
constexpr DWORD EMR_EXTFLOODFILL = 53;
constexpr DWORD EMR_LINETO = 54;
constexpr DWORD EMR_ARCTO = 55;
constexpr DWORD EMR_POLYDRAW = 56;
constexpr DWORD EMR_SETARCDIRECTION = 57;
constexpr DWORD EMR_SETMITERLIMIT = 58;
constexpr DWORD EMR_BEGINPATH = 59;
constexpr DWORD EMR_ENDPATH = 60;
constexpr DWORD EMR_CLOSEFIGURE = 61;
constexpr DWORD EMR_FILLPATH = 62;
constexpr DWORD EMR_STROKEANDFILLPATH = 63;
constexpr DWORD EMR_STROKEPATH = 64;
constexpr DWORD EMR_FLATTENPATH = 65;
constexpr DWORD EMR_WIDENPATH = 66;
constexpr DWORD EMR_SELECTCLIPPATH = 67;
constexpr DWORD EMR_ABORTPATH = 68;
constexpr DWORD EMR_GDICOMMENT = 70;
constexpr DWORD EMR_FILLRGN = 71;
constexpr DWORD EMR_FRAMERGN = 72;
constexpr DWORD EMR_INVERTRGN = 73;
constexpr DWORD EMR_PAINTRGN = 74;
constexpr DWORD EMR_EXTSELECTCLIPRGN = 75;
constexpr DWORD EMR_BITBLT = 76;
constexpr DWORD EMR_STRETCHBLT = 77;
constexpr DWORD EMR_MASKBLT = 78;
constexpr DWORD EMR_PLGBLT = 79;
constexpr DWORD EMR_SETDIBITSTODEVICE = 80;
constexpr DWORD EMR_STRETCHDIBITS = 81;
constexpr DWORD EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr DWORD EMR_EXTTEXTOUTA = 83;
constexpr DWORD EMR_EXTTEXTOUTW = 84;
constexpr DWORD EMR_POLYBEZIER16 = 85;
constexpr DWORD EMR_POLYGON16 = 86;
constexpr DWORD EMR_POLYLINE16 = 87;
constexpr DWORD EMR_POLYBEZIERTO16 = 88;
constexpr DWORD EMR_POLYLINETO16 = 89;
constexpr DWORD EMR_POLYPOLYLINE16 = 90;
constexpr DWORD EMR_POLYPOLYGON16 = 91;
constexpr DWORD EMR_POLYDRAW16 = 92;
constexpr DWORD EMR_CREATEMONOBRUSH = 93;
constexpr DWORD EMR_CREATEDIBPATTERNBRUSHPT = 94;
constexpr DWORD EMR_EXTCREATEPEN = 95;
constexpr DWORD EMR_POLYTEXTOUTA = 96;
constexpr DWORD EMR_POLYTEXTOUTW = 97;
constexpr DWORD EMR_SETICMMODE = 98;
constexpr DWORD EMR_SMALLTEXTOUT = 108;
constexpr DWORD EMR_ALPHABLEND = 114;
constexpr DWORD EMR_SETLAYOUT = 115;

// " EMF" read as a little-endian UInt32: the header record's signature.
constexpr DWORD ENHMETA_SIGNATURE = 0x464D4520;
// The format version every writer puts in the header.
constexpr DWORD ENHMETA_VERSION = 0x00010000;
// An object index with this bit set names the stock object (index & 0x7FFFFFFF).
constexpr DWORD ENHMETA_STOCK_OBJECT = 0x80000000;

// Region modes of EMR_EXTSELECTCLIPRGN are RGN_AND .. RGN_COPY (gdi.h).
// World-transform modes of EMR_MODIFYWORLDTRANSFORM.
constexpr DWORD MWT_IDENTITY = 1;
constexpr DWORD MWT_LEFTMULTIPLY = 2;
constexpr DWORD MWT_RIGHTMULTIPLY = 3;
constexpr DWORD MWT_SET = 4;

// Extra ExtTextOut options found in files.
constexpr UINT ETO_GLYPH_INDEX = 0x0010;
constexpr UINT ETO_NO_RECT = 0x0100;      // EMR_SMALLTEXTOUT: no bounds follow
constexpr UINT ETO_SMALL_CHARS = 0x0200;  // EMR_SMALLTEXTOUT: 8-bit characters
constexpr UINT ETO_PDY = 0x2000;          // the advances come in (dx, dy) pairs

// GDI comment identifiers: the data of an EMR_GDICOMMENT start with one of
// these when they are not private.
constexpr DWORD GDICOMMENT_IDENTIFIER = 0x43494447;  // "GDIC"

// ---------------------------------------------------------------------------
// Common parts
// ---------------------------------------------------------------------------

using RECTL = RECT;
using POINTL = POINT;
using SIZEL = SIZE;

// A 16-bit point of the 16-bit records.
struct POINTS {
  std::int16_t x = 0;
  std::int16_t y = 0;
};
static_assert(sizeof(POINTS) == 4);

// The start of every record.
struct EMR {
  DWORD iType = 0;
  DWORD nSize = 0;
};
static_assert(sizeof(EMR) == 8);

// Any record, as the enumeration hands it over: type, size and the parameters.
struct ENHMETARECORD {
  DWORD iType;
  DWORD nSize;
  DWORD dParm[1];
};

// The objects a playback has created, indexed by the records' object numbers
// (entry 0 stands for the metafile itself and is never an object).
struct HANDLETABLE {
  HGDIOBJ objectHandle[1];
};

// The header record (type 1). The 88-byte base is followed in newer files by
// the pixel-format fields (100 bytes) and the device size in micrometres (108).
struct ENHMETAHEADER {
  DWORD iType = EMR_HEADER;
  DWORD nSize = 0;
  RECTL rclBounds{};   // inclusive-inclusive, device units of the reference device
  RECTL rclFrame{};    // inclusive-inclusive, 0.01 mm
  DWORD dSignature = ENHMETA_SIGNATURE;
  DWORD nVersion = ENHMETA_VERSION;
  DWORD nBytes = 0;    // size of the whole metafile
  DWORD nRecords = 0;  // header and end-of-file record included
  WORD nHandles = 1;   // object table entries, entry 0 included
  WORD sReserved = 0;
  DWORD nDescription = 0;    // UTF-16 units of the description, terminators included
  DWORD offDescription = 0;  // from the start of the header, 0 when none
  DWORD nPalEntries = 0;
  SIZEL szlDevice{};       // reference device in pixels
  SIZEL szlMillimeters{};  // reference device in millimetres
  DWORD cbPixelFormat = 0;
  DWORD offPixelFormat = 0;
  DWORD bOpenGL = 0;
  SIZEL szlMicrometers{};  // reference device in micrometres
};
static_assert(sizeof(ENHMETAHEADER) == 108);
constexpr std::size_t kEmfHeaderBaseSize = 88;
constexpr std::size_t kEmfHeaderExt1Size = 100;
constexpr std::size_t kEmfHeaderExt2Size = 108;
static_assert(offsetof(ENHMETAHEADER, szlMillimeters) + sizeof(SIZEL) == kEmfHeaderBaseSize);

// ---------------------------------------------------------------------------
// Records (fixed parts; variable arrays follow where the comment says)
// ---------------------------------------------------------------------------

struct EMREOF {
  EMR emr{EMR_EOF, 20};
  DWORD nPalEntries = 0;
  DWORD offPalEntries = 0;
  DWORD nSizeLast = 20;  // repeats the record size
};
static_assert(sizeof(EMREOF) == 20);

// Polygon 3, polyline 4, poly-bezier 2, poly-bezier-to 5, polyline-to 6:
// bounds, count, then count 8-byte points.
struct EMRPOLYLINE {
  EMR emr;
  RECTL rclBounds;
  DWORD cptl;
  POINTL aptl[1];
};
constexpr std::size_t kEmrPolylineFixed = 28;
static_assert(offsetof(EMRPOLYLINE, cptl) == 24 && offsetof(EMRPOLYLINE, aptl) == kEmrPolylineFixed);

// The 16-bit forms 85..89: bounds, count, then count 4-byte points.
struct EMRPOLYLINE16 {
  EMR emr;
  RECTL rclBounds;
  DWORD cpts;
  POINTS apts[1];
};
static_assert(offsetof(EMRPOLYLINE16, apts) == 28);

// Poly-polyline 7, poly-polygon 8: bounds, polygon count, point count, the
// per-polygon counts (4 bytes each), then the points.
struct EMRPOLYPOLYLINE {
  EMR emr;
  RECTL rclBounds;
  DWORD nPolys;
  DWORD cptl;
  DWORD aPolyCounts[1];
};
constexpr std::size_t kEmrPolyPolylineFixed = 32;
static_assert(offsetof(EMRPOLYPOLYLINE, nPolys) == 24 && offsetof(EMRPOLYPOLYLINE, aPolyCounts) == 32);

// Window/viewport extents and origins, brush origin, move-to, line-to,
// offset-clip: one point or size.
struct EMRPOINTPARAM {
  EMR emr;
  POINTL ptl;
};
static_assert(sizeof(EMRPOINTPARAM) == 16);

// Modes and colours (map mode, bk mode, ROP2, text colour ...): one UInt32.
struct EMRDWORDPARAM {
  EMR emr;
  DWORD iMode;
};
static_assert(sizeof(EMRDWORDPARAM) == 12);

struct EMRSETPIXELV {
  EMR emr;
  POINTL ptlPixel;
  COLORREF crColor;
};
static_assert(sizeof(EMRSETPIXELV) == 20);

// Exclude / intersect clip rectangle, ellipse, rectangle: one box.
struct EMRBOX {
  EMR emr;
  RECTL rclBox;
};
static_assert(sizeof(EMRBOX) == 24);

struct EMRROUNDRECT {
  EMR emr;
  RECTL rclBox;
  SIZEL szlCorner;
};
static_assert(sizeof(EMRROUNDRECT) == 32);

// Arc 45, chord 46, pie 47, arc-to 55.
struct EMRARC {
  EMR emr;
  RECTL rclBox;
  POINTL ptlStart;
  POINTL ptlEnd;
};
static_assert(sizeof(EMRARC) == 40);

struct EMRSCALEEXTEX {
  EMR emr;
  LONG xNum;
  LONG xDenom;
  LONG yNum;
  LONG yDenom;
};
static_assert(sizeof(EMRSCALEEXTEX) == 24);

// A world transform as files store it (six 32-bit floats).
struct XFORM32 {
  float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};
static_assert(sizeof(XFORM32) == 24);

struct EMRSETWORLDTRANSFORM {
  EMR emr;
  XFORM32 xform;
};
static_assert(sizeof(EMRSETWORLDTRANSFORM) == 32);

struct EMRMODIFYWORLDTRANSFORM {
  EMR emr;
  XFORM32 xform;
  DWORD iMode;
};
static_assert(sizeof(EMRMODIFYWORLDTRANSFORM) == 36);

// Select object 37, delete object 40: an object index or a stock flag.
struct EMROBJECTPARAM {
  EMR emr;
  DWORD ihObject;
};
static_assert(sizeof(EMROBJECTPARAM) == 12);

struct LOGPEN32 {
  UINT lopnStyle;
  POINTL lopnWidth;  // only x counts
  COLORREF lopnColor;
};
static_assert(sizeof(LOGPEN32) == 16);

struct EMRCREATEPEN {
  EMR emr;
  DWORD ihPen;
  LOGPEN32 lopn;
};
static_assert(sizeof(EMRCREATEPEN) == 28);

// Extended pen: a pen with caps, joins and optionally user dash entries
// (elpNumEntries UInt32 values after the fixed part); a pattern bitmap may follow.
struct EMREXTCREATEPEN {
  EMR emr;
  DWORD ihPen;
  DWORD offBmi;
  DWORD cbBmi;
  DWORD offBits;
  DWORD cbBits;
  DWORD elpPenStyle;
  DWORD elpWidth;
  UINT elpBrushStyle;
  COLORREF elpColor;
  DWORD elpHatch;
  DWORD elpNumEntries;
};
constexpr std::size_t kEmrExtCreatePenFixed = 52;
static_assert(sizeof(EMREXTCREATEPEN) == kEmrExtCreatePenFixed);

struct LOGBRUSH32 {
  UINT lbStyle;
  COLORREF lbColor;
  DWORD lbHatch;
};
static_assert(sizeof(LOGBRUSH32) == 12);

struct EMRCREATEBRUSHINDIRECT {
  EMR emr;
  DWORD ihBrush;
  LOGBRUSH32 lb;
};
static_assert(sizeof(EMRCREATEBRUSHINDIRECT) == 24);

// DIB pattern brush 94 and monochrome brush 93: a device-independent bitmap
// (info header at offBmi, bits at offBits, offsets from the record start).
struct EMRCREATEDIBPATTERNBRUSHPT {
  EMR emr;
  DWORD ihBrush;
  DWORD iUsage;
  DWORD offBmi;
  DWORD cbBmi;
  DWORD offBits;
  DWORD cbBits;
};
static_assert(sizeof(EMRCREATEDIBPATTERNBRUSHPT) == 32);

// The extension that makes a logical font the 320-byte panose form.
struct LOGFONTPANOSE_EXT {
  WCHAR elfFullName[64];
  WCHAR elfStyle[32];
  DWORD elfVersion;
  DWORD elfStyleSize;
  DWORD elfMatch;
  DWORD elfReserved;
  BYTE elfVendorId[4];
  DWORD elfCulture;
  BYTE elfPanose[10];
  BYTE padding[2];
};
static_assert(sizeof(LOGFONTPANOSE_EXT) == 228);

// Create wide font 82: 332 bytes in all. The logical font starts at offset 12
// (height 12, width 16, escapement 20, orientation 24, weight 28, italic 32,
// face name 40). Files from elsewhere may carry a shorter record (the bare
// logical font); readers copy it into a zeroed record of this size first.
struct EMREXTCREATEFONTINDIRECTW {
  EMR emr;
  DWORD ihFont;
  LOGFONTW elfw;
  LOGFONTPANOSE_EXT ext;
};
constexpr std::size_t kEmrExtCreateFontSize = 332;
static_assert(sizeof(EMREXTCREATEFONTINDIRECTW) == kEmrExtCreateFontSize);
static_assert(offsetof(EMREXTCREATEFONTINDIRECTW, elfw) == 12);
static_assert(offsetof(EMREXTCREATEFONTINDIRECTW, elfw) + offsetof(LOGFONTW, lfFaceName) == 40);

// The text part of a text record: reference point, character count, string
// offset (from the record start), options, the opaque/clip rectangle and the
// offset of the advances (one Int32 per character, two with ETO_PDY).
struct EMRTEXT {
  POINTL ptlReference;
  DWORD nChars;
  DWORD offString;
  DWORD fOptions;
  RECTL rcl;
  DWORD offDx;
};
static_assert(sizeof(EMRTEXT) == 40);

// Wide text out 84 (and ANSI text out 83 with 8-bit characters).
struct EMREXTTEXTOUTW {
  EMR emr;
  RECTL rclBounds;
  DWORD iGraphicsMode;
  float exScale;  // 0.01 mm per page unit (GM_COMPATIBLE), informative
  float eyScale;
  EMRTEXT emrtext;
};
constexpr std::size_t kEmrExtTextOutFixed = 76;
static_assert(sizeof(EMREXTTEXTOUTW) == kEmrExtTextOutFixed);
static_assert(offsetof(EMREXTTEXTOUTW, emrtext) == 36);

// Small text out 108: position, count, options, graphics mode, scales, then
// (unless ETO_NO_RECT) a clip rectangle, then the characters.
struct EMRSMALLTEXTOUT {
  EMR emr;
  LONG x;
  LONG y;
  DWORD cChars;
  DWORD fuOptions;
  DWORD iGraphicsMode;
  float exScale;
  float eyScale;
};
constexpr std::size_t kEmrSmallTextOutFixed = 36;
static_assert(sizeof(EMRSMALLTEXTOUT) == kEmrSmallTextOutFixed);

// Region data as the region records hold it: a 32-byte header, then nCount
// rectangles, right and bottom exclusive: device units of the reference
// device in the clipping record, logical units in the fill, frame, paint and
// invert records.
struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = 1;  // RDH_RECTANGLES
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECTL rcBound{};
};
static_assert(sizeof(RGNDATAHEADER) == 32);
constexpr DWORD RDH_RECTANGLES = 1;

struct EMRFILLRGN {
  EMR emr;
  RECTL rclBounds;
  DWORD cbRgnData;
  DWORD ihBrush;
  // RGNDATAHEADER and rectangles follow
};
static_assert(sizeof(EMRFILLRGN) == 32);

struct EMRFRAMERGN {
  EMR emr;
  RECTL rclBounds;
  DWORD cbRgnData;
  DWORD ihBrush;
  SIZEL szlStroke;
};
static_assert(sizeof(EMRFRAMERGN) == 40);

// Invert region 73, paint region 74.
struct EMRINVERTRGN {
  EMR emr;
  RECTL rclBounds;
  DWORD cbRgnData;
};
static_assert(sizeof(EMRINVERTRGN) == 28);

struct EMREXTSELECTCLIPRGN {
  EMR emr;
  DWORD cbRgnData;  // 0 with RGN_COPY: no clipping
  DWORD iMode;
};
static_assert(sizeof(EMREXTSELECTCLIPRGN) == 16);

struct EMRBITBLT {
  EMR emr;
  RECTL rclBounds;
  LONG xDest;
  LONG yDest;
  LONG cxDest;
  LONG cyDest;
  DWORD dwRop;
  LONG xSrc;
  LONG ySrc;
  XFORM32 xformSrc;
  COLORREF crBkColorSrc;
  DWORD iUsageSrc;
  DWORD offBmiSrc;  // 0 with cbBmiSrc 0: no source (pattern operations)
  DWORD cbBmiSrc;
  DWORD offBitsSrc;
  DWORD cbBitsSrc;
};
static_assert(sizeof(EMRBITBLT) == 100);

struct EMRSTRETCHBLT {
  EMRBITBLT blt;
  LONG cxSrc;
  LONG cySrc;
};
static_assert(sizeof(EMRSTRETCHBLT) == 108);

struct EMRSETDIBITSTODEVICE {
  EMR emr;
  RECTL rclBounds;
  LONG xDest;
  LONG yDest;
  LONG xSrc;
  LONG ySrc;
  LONG cxSrc;
  LONG cySrc;
  DWORD offBmiSrc;
  DWORD cbBmiSrc;
  DWORD offBitsSrc;
  DWORD cbBitsSrc;
  DWORD iUsageSrc;
  DWORD iStartScan;
  DWORD cScans;
};
static_assert(sizeof(EMRSETDIBITSTODEVICE) == 76);

struct EMRSTRETCHDIBITS {
  EMR emr;
  RECTL rclBounds;
  LONG xDest;
  LONG yDest;
  LONG xSrc;
  LONG ySrc;
  LONG cxSrc;
  LONG cySrc;
  DWORD offBmiSrc;
  DWORD cbBmiSrc;
  DWORD offBitsSrc;
  DWORD cbBitsSrc;
  DWORD iUsageSrc;
  DWORD dwRop;
  LONG cxDest;
  LONG cyDest;
};
static_assert(sizeof(EMRSTRETCHDIBITS) == 80);

struct EMRGDICOMMENT {
  EMR emr;
  DWORD cbData;
  // cbData bytes follow
};
static_assert(sizeof(EMRGDICOMMENT) == 12);

// ---------------------------------------------------------------------------
// Old-style metafiles (WMF)
// ---------------------------------------------------------------------------

// The key of a placeable metafile's 22-byte header.
constexpr DWORD WMF_PLACEABLE_KEY = 0x9AC6CDD7;

#pragma pack(push, 1)
// The placeable header: bounding box in metafile units, units per inch and a
// checksum (XOR of the first ten 16-bit words).
struct WMFPLACEABLEHEADER {
  DWORD Key = WMF_PLACEABLE_KEY;
  WORD HWmf = 0;
  std::int16_t Left = 0;
  std::int16_t Top = 0;
  std::int16_t Right = 0;
  std::int16_t Bottom = 0;
  WORD Inch = 0;
  DWORD Reserved = 0;
  WORD Checksum = 0;
};
static_assert(sizeof(WMFPLACEABLEHEADER) == 22);

// The metafile header proper (18 bytes). Sizes are in 16-bit words.
struct WMFHEADER {
  WORD Type = 1;        // 1 memory, 2 disk
  WORD HeaderSize = 9;  // words
  WORD Version = 0x0300;
  DWORD Size = 0;       // words, whole metafile without the placeable header
  WORD NumberOfObjects = 0;
  DWORD MaxRecord = 0;  // words of the largest record
  WORD NumberOfMembers = 0;
};
static_assert(sizeof(WMFHEADER) == 18);
#pragma pack(pop)

// Every WMF record: size in 16-bit words (UInt32), function (UInt16), then
// parameters. Coordinates are Int16 and often stored in reverse order (y first).
constexpr std::size_t kWmfRecordFixed = 6;

constexpr WORD META_EOF = 0x0000;
constexpr WORD META_SAVEDC = 0x001E;
constexpr WORD META_REALIZEPALETTE = 0x0035;
constexpr WORD META_SETPALENTRIES = 0x0037;
constexpr WORD META_CREATEPALETTE = 0x00F7;
constexpr WORD META_SETBKMODE = 0x0102;
constexpr WORD META_SETMAPMODE = 0x0103;
constexpr WORD META_SETROP2 = 0x0104;
constexpr WORD META_SETRELABS = 0x0105;
constexpr WORD META_SETPOLYFILLMODE = 0x0106;
constexpr WORD META_SETSTRETCHBLTMODE = 0x0107;
constexpr WORD META_SETTEXTCHAREXTRA = 0x0108;
constexpr WORD META_RESTOREDC = 0x0127;
constexpr WORD META_SELECTOBJECT = 0x012D;
constexpr WORD META_SETTEXTALIGN = 0x012E;
constexpr WORD META_DIBCREATEPATTERNBRUSH = 0x0142;
constexpr WORD META_DELETEOBJECT = 0x01F0;
constexpr WORD META_CREATEPATTERNBRUSH = 0x01F9;
constexpr WORD META_SETBKCOLOR = 0x0201;
constexpr WORD META_SETTEXTCOLOR = 0x0209;
constexpr WORD META_SETWINDOWORG = 0x020B;
constexpr WORD META_SETWINDOWEXT = 0x020C;
constexpr WORD META_SETVIEWPORTORG = 0x020D;
constexpr WORD META_SETVIEWPORTEXT = 0x020E;
constexpr WORD META_OFFSETWINDOWORG = 0x020F;
constexpr WORD META_OFFSETVIEWPORTORG = 0x0211;
constexpr WORD META_LINETO = 0x0213;
constexpr WORD META_MOVETO = 0x0214;
constexpr WORD META_OFFSETCLIPRGN = 0x0220;
constexpr WORD META_CREATEPENINDIRECT = 0x02FA;
constexpr WORD META_CREATEFONTINDIRECT = 0x02FB;
constexpr WORD META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr WORD META_POLYGON = 0x0324;
constexpr WORD META_POLYLINE = 0x0325;
constexpr WORD META_SCALEWINDOWEXT = 0x0410;
constexpr WORD META_SCALEVIEWPORTEXT = 0x0412;
constexpr WORD META_EXCLUDECLIPRECT = 0x0415;
constexpr WORD META_INTERSECTCLIPRECT = 0x0416;
constexpr WORD META_ELLIPSE = 0x0418;
constexpr WORD META_RECTANGLE = 0x041B;
constexpr WORD META_SETPIXEL = 0x041F;
constexpr WORD META_TEXTOUT = 0x0521;
constexpr WORD META_POLYPOLYGON = 0x0538;
constexpr WORD META_ROUNDRECT = 0x061C;
constexpr WORD META_PATBLT = 0x061D;
constexpr WORD META_CREATEREGION = 0x06FF;
constexpr WORD META_ARC = 0x0817;
constexpr WORD META_PIE = 0x081A;
constexpr WORD META_CHORD = 0x0830;
constexpr WORD META_EXTTEXTOUT = 0x0A32;
constexpr WORD META_STRETCHDIB = 0x0F43;

#pragma pack(push, 1)
// The logical font of META_CREATEFONTINDIRECT: 16-bit sizes, ANSI face name.
struct WMFLOGFONT {
  std::int16_t Height = 0;
  std::int16_t Width = 0;
  std::int16_t Escapement = 0;
  std::int16_t Orientation = 0;
  std::int16_t Weight = 0;
  BYTE Italic = 0;
  BYTE Underline = 0;
  BYTE StrikeOut = 0;
  BYTE CharSet = 0;
  BYTE OutPrecision = 0;
  BYTE ClipPrecision = 0;
  BYTE Quality = 0;
  BYTE PitchAndFamily = 0;
  char FaceName[32] = {};
};
static_assert(sizeof(WMFLOGFONT) == 50);

struct WMFLOGPEN {
  WORD Style = 0;
  std::int16_t WidthX = 0;
  std::int16_t WidthY = 0;
  COLORREF Color = 0;
};
static_assert(sizeof(WMFLOGPEN) == 10);

struct WMFLOGBRUSH {
  WORD Style = 0;
  COLORREF Color = 0;
  WORD Hatch = 0;
};
static_assert(sizeof(WMFLOGBRUSH) == 8);
#pragma pack(pop)

}  // namespace vx::plat
