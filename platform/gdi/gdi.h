// The graphics device interface of the platform: device contexts, pens,
// brushes, fonts, bitmaps and regions behind opaque handles, with the calls,
// constants and structure layouts of the classic Windows GDI, so that drawing
// code written against that interface runs unchanged.
//
// Conventions that hold for every call here:
// - Coordinates are logical units of the DC unless a comment says "device".
// - Logical <-> device conversion rounds to the nearest integer, halves away
//   from zero, computed in 64-bit integers; figure and region corners use the
//   same conversion.
// - Filled rectangles, ellipses and round rectangles with device corners
//   (l, t, r, b) cover columns l..r-1 and rows t..b-1; a 1-pixel outline lies
//   on their outermost covered pixels. LineTo excludes its end point.
// - Every handle argument is checked: a null, stale (deleted) or wrong-kind
//   handle makes the call fail (FALSE, 0, nullptr, CLR_INVALID or GDI_ERROR as
//   the call documents); nothing crashes.
// - Coordinates may be anything in Int32: drawing is clipped before it is
//   iterated, never writes outside the surface and never overflows.
// - Handles and DCs belong to the UI thread: the calls are not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/core/types.h"
#include "platform/graphics/color.h"

namespace vx::plat {

namespace gdi {
class DcRecorder;  // platform/gdi/dc_recorder.h
}

// ---------------------------------------------------------------------------
// Scalar types and handles
// ---------------------------------------------------------------------------

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using WCHAR = char16_t;
using FLOAT = float;
using POINT = TPoint;
using RECT = TRect;
using SIZE = TSize;

// Guarded: some C libraries' headers define these as macros with the same values.
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif

// Opaque handle tags. A pen, brush, font, bitmap or region handle converts
// implicitly to HGDIOBJ; the reverse needs a cast, as with SelectObject's
// result: `HPEN old = static_cast<HPEN>(SelectObject(dc, pen));`.
struct HGDIOBJ__ {};
struct HPEN__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HRGN__ : HGDIOBJ__ {};
struct HDC__ {};

using HGDIOBJ = HGDIOBJ__*;  // any drawing object
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HRGN = HRGN__*;
using HDC = HDC__*;  // a device context

// Error results.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr int GDI_ERROR = -1;  // as an int result (SelectObject returns HGDI_ERROR)
// SelectObject's failure result for a region selection (not a handle).
inline HGDIOBJ HGDI_ERROR() { return reinterpret_cast<HGDIOBJ>(~std::uintptr_t(0) << 4); }

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// Object types (GetObjectType, GetCurrentObject).
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;
constexpr UINT OBJ_MEMDC = 10;
constexpr UINT OBJ_EXTPEN = 11;
constexpr UINT OBJ_ENHMETADC = 12;

// Stock objects (GetStockObject). Deleting one is a harmless no-op.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Mapping modes. The fixed metric modes have y growing upwards.
constexpr int MM_TEXT = 1;         // one logical unit = one pixel, y down
constexpr int MM_LOMETRIC = 2;     // 0.1 mm
constexpr int MM_HIMETRIC = 3;     // 0.01 mm
constexpr int MM_LOENGLISH = 4;    // 0.01 inch
constexpr int MM_HIENGLISH = 5;    // 0.001 inch
constexpr int MM_TWIPS = 6;        // 1/1440 inch
constexpr int MM_ISOTROPIC = 7;    // free extents, equal scale on both axes
constexpr int MM_ANISOTROPIC = 8;  // free extents per axis

// Graphics modes.
constexpr int GM_COMPATIBLE = 1;
constexpr int GM_ADVANCED = 2;

// Pen styles (low nibble). The canvas pen styles psSolid..psAlternate (0..8)
// have the same values: psClear is PS_NULL, psUserStyle is PS_USERSTYLE.
constexpr UINT PS_SOLID = 0;
constexpr UINT PS_DASH = 1;
constexpr UINT PS_DOT = 2;
constexpr UINT PS_DASHDOT = 3;
constexpr UINT PS_DASHDOTDOT = 4;
constexpr UINT PS_NULL = 5;
constexpr UINT PS_INSIDEFRAME = 6;
constexpr UINT PS_USERSTYLE = 7;
constexpr UINT PS_ALTERNATE = 8;
constexpr UINT PS_STYLE_MASK = 0x0000000F;
constexpr UINT PS_ENDCAP_ROUND = 0x00000000;
constexpr UINT PS_ENDCAP_SQUARE = 0x00000100;
constexpr UINT PS_ENDCAP_FLAT = 0x00000200;
constexpr UINT PS_ENDCAP_MASK = 0x00000F00;
constexpr UINT PS_JOIN_ROUND = 0x00000000;
constexpr UINT PS_JOIN_BEVEL = 0x00001000;
constexpr UINT PS_JOIN_MITER = 0x00002000;
constexpr UINT PS_JOIN_MASK = 0x0000F000;
constexpr UINT PS_COSMETIC = 0x00000000;
constexpr UINT PS_GEOMETRIC = 0x00010000;
constexpr UINT PS_TYPE_MASK = 0x000F0000;

// Binary raster operations (pen modes). The canvas pen modes pmBlack..pmNotXor
// (0..15) map onto these through PenModeToROP2.
constexpr int R2_BLACK = 1;        // 0
constexpr int R2_NOTMERGEPEN = 2;  // ~(D | P)
constexpr int R2_MASKNOTPEN = 3;   // D & ~P
constexpr int R2_NOTCOPYPEN = 4;   // ~P
constexpr int R2_MASKPENNOT = 5;   // P & ~D
constexpr int R2_NOT = 6;          // ~D
constexpr int R2_XORPEN = 7;       // D ^ P
constexpr int R2_NOTMASKPEN = 8;   // ~(D & P)
constexpr int R2_MASKPEN = 9;      // D & P
constexpr int R2_NOTXORPEN = 10;   // ~(D ^ P)
constexpr int R2_NOP = 11;         // D
constexpr int R2_MERGENOTPEN = 12; // D | ~P
constexpr int R2_COPYPEN = 13;     // P
constexpr int R2_MERGEPENNOT = 14; // P | ~D
constexpr int R2_MERGEPEN = 15;    // D | P
constexpr int R2_WHITE = 16;       // 1

// The binary raster operation of canvas pen mode `mode` (pmBlack 0 .. pmNotXor
// 15); R2_COPYPEN for values outside that range.
int PenModeToROP2(int mode);

// Ternary raster operations: bits 16..23 hold the truth table of pattern P
// (0xF0), source S (0xCC) and destination D (0xAA); every one of the 256
// tables is honoured, whatever the low word says.
constexpr DWORD SRCCOPY = 0x00CC0020;      // S
constexpr DWORD SRCPAINT = 0x00EE0086;     // S | D
constexpr DWORD SRCAND = 0x008800C6;       // S & D
constexpr DWORD SRCINVERT = 0x00660046;    // S ^ D
constexpr DWORD SRCERASE = 0x00440328;     // S & ~D
constexpr DWORD NOTSRCCOPY = 0x00330008;   // ~S
constexpr DWORD NOTSRCERASE = 0x001100A6;  // ~(S | D)
constexpr DWORD MERGECOPY = 0x00C000CA;    // P & S
constexpr DWORD MERGEPAINT = 0x00BB0226;   // ~S | D
constexpr DWORD PATCOPY = 0x00F00021;      // P
constexpr DWORD PATPAINT = 0x00FB0A09;     // P | ~S | D
constexpr DWORD PATINVERT = 0x005A0049;    // P ^ D
constexpr DWORD DSTINVERT = 0x00550009;    // ~D
constexpr DWORD BLACKNESS = 0x00000042;    // 0
constexpr DWORD WHITENESS = 0x00FF0062;    // 1

// Brush styles and hatches. The canvas brush styles bsHorizontal..bsDiagCross
// are the hatched brushes HS_HORIZONTAL..HS_DIAGCROSS.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;
constexpr int HS_HORIZONTAL = 0;  // -----
constexpr int HS_VERTICAL = 1;    // |||||
constexpr int HS_FDIAGONAL = 2;   // \\\\\ (top-left to bottom-right)
constexpr int HS_BDIAGONAL = 3;   // ///// (bottom-left to top-right)
constexpr int HS_CROSS = 4;       // +++++
constexpr int HS_DIAGCROSS = 5;   // xxxxx

// Background modes: hatch gaps, dashed-pen gaps and text cells.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Polygon fill modes.
constexpr int ALTERNATE = 1;  // even-odd
constexpr int WINDING = 2;    // non-zero

// Stretch modes (all shrink by dropping pixels here; the mode is kept and
// reported for callers that set it).
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// Text alignment: one horizontal, one vertical flag, optional TA_UPDATECP.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;  // draw at, and advance, the current position
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// ExtTextOutW options.
constexpr UINT ETO_OPAQUE = 0x0002;   // fill the rectangle with the background colour
constexpr UINT ETO_CLIPPED = 0x0004;  // clip the text to the rectangle

// DrawTextW formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;  // single line only
constexpr UINT DT_BOTTOM = 0x0008;   // single line only
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;  // measure only: the rectangle's right/bottom are set
constexpr UINT DT_NOPREFIX = 0x0800;  // '&' is an ordinary character

// Region operations and region kinds.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
#ifndef ERROR
constexpr int ERROR = 0;
#endif
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// GetDeviceCaps indices.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;   // millimetres
constexpr int VERTSIZE = 6;   // millimetres
constexpr int HORZRES = 8;    // pixels
constexpr int VERTRES = 10;   // pixels
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;    // printers: the whole sheet in pixels
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;  // printers: the unprintable margin in pixels
constexpr int PHYSICALOFFSETY = 113;
// TECHNOLOGY values.
constexpr int DT_PLOTTER = 0;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int DT_METAFILE = 5;
// RASTERCAPS bits.
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;
constexpr int RC_DI_BITMAP = 0x0080;

// Fonts.
constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;
// TEXTMETRICW::tmPitchAndFamily bits; note TMPF_FIXED_PITCH set means VARIABLE pitch.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// Bitmaps.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;

// ---------------------------------------------------------------------------
// Structures (layouts as the public file formats store them)
// ---------------------------------------------------------------------------

// A pen as CreatePenIndirect takes it; only lopnWidth.x counts.
struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth{};
  COLORREF lopnColor = 0;
};
static_assert(sizeof(LOGPEN) == 16);

// A brush: lbHatch is the hatch style for BS_HATCHED and the HBITMAP (as an
// integer) for BS_PATTERN.
struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;
};

// A pen made by ExtCreatePen, as GetObject reports it (no user style entries).
struct EXTLOGPEN {
  DWORD elpPenStyle = PS_SOLID;
  DWORD elpWidth = 0;
  UINT elpBrushStyle = BS_SOLID;
  COLORREF elpColor = 0;
  std::uintptr_t elpHatch = 0;
  DWORD elpNumEntries = 0;
  DWORD elpStyleEntry[1] = {0};
};

// A logical font: exactly the 92-byte LogFont of the enhanced metafile format.
// lfHeight is in logical units: negative = character (em) height, positive =
// cell height, 0 = a default size. lfEscapement is in tenths of a degree,
// counter-clockwise as seen on the device whatever the mapping's axes.
struct LOGFONTW {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = DEFAULT_CHARSET;
  BYTE lfOutPrecision = OUT_DEFAULT_PRECIS;
  BYTE lfClipPrecision = CLIP_DEFAULT_PRECIS;
  BYTE lfQuality = DEFAULT_QUALITY;
  BYTE lfPitchAndFamily = DEFAULT_PITCH;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW must match the EMF LogFont layout");

// Font metrics in LOGICAL units of the DC that measured them.
struct TEXTMETRICW {
  LONG tmHeight = 0;            // ascent + descent
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;   // tmHeight minus the em height
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 96;
  LONG tmDigitizedAspectY = 96;
  WCHAR tmFirstChar = 0x20;
  WCHAR tmLastChar = 0xFFFC;
  WCHAR tmDefaultChar = 0x1F;
  WCHAR tmBreakChar = 0x20;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;  // TMPF_* bits and FF_* family
  BYTE tmCharSet = 0;
};

// A bitmap as GetObject reports it. bmBits is only set for DIB sections.
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;  // bytes per row, even
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;   // 1 or 32
  void* bmBits = nullptr;
};

// The 40-byte header of device-independent bitmaps. biHeight > 0 = rows
// bottom-up, < 0 = top-down.
#pragma pack(push, 2)
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

// Header plus colour table. Callers that pass 1, 4 or 8 bits per pixel
// allocate room for the whole table after the header (2, 16 or 256 entries,
// or biClrUsed when set).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

// A world transform (kept for metafile records; the DC itself draws with
// GM_COMPATIBLE mapping only).
struct XFORM {
  FLOAT eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

// ---------------------------------------------------------------------------
// Device contexts
// ---------------------------------------------------------------------------

// What a device context draws on.
enum class SurfaceKind {
  Raster,  // its own (or a selected) 32-bit bitmap
  None     // nothing: a pure recording or measuring context
};

// Describes a device for CreateDeviceDC: its size in pixels and resolution.
struct DeviceDesc {
  int Width = 0;              // pixels (HORZRES)
  int Height = 0;             // pixels (VERTRES)
  int DpiX = 96;              // LOGPIXELSX
  int DpiY = 96;              // LOGPIXELSY
  int WidthMM = 0;            // HORZSIZE; 0 = Width * 25.4 / DpiX rounded
  int HeightMM = 0;           // VERTSIZE; 0 = Height * 25.4 / DpiY rounded
  int PhysicalWidth = 0;      // sheet width in pixels (printers); 0 = Width
  int PhysicalHeight = 0;     // sheet height in pixels; 0 = Height
  int PhysicalOffsetX = 0;    // unprintable left margin in pixels
  int PhysicalOffsetY = 0;    // unprintable top margin in pixels
  int Technology = DT_RASDISPLAY;
  SurfaceKind Surface = SurfaceKind::Raster;
};

// A memory DC compatible with `dc` (nullptr: the screen). Like the classic
// platform it starts with a 1x1 monochrome bitmap: select a bitmap to draw.
HDC CreateCompatibleDC(HDC dc);
// A memory DC with its own width x height 32-bit surface, white, at 96 dpi.
HDC CreateRasterDC(int width, int height);
// A DC for the described device (printer pages, recording contexts). A raster
// surface, when asked for, is white.
HDC CreateDeviceDC(const DeviceDesc& desc);
// Frees the DC, its saved states, its recorder and its own surface; objects
// selected into it are deselected (they stay alive until DeleteObject).
// Unknown handles give FALSE.
BOOL DeleteDC(HDC dc);
// Hands `dc` a recorder that sees every later call first (the DC owns it and
// deletes it with the DC or when replaced); nullptr removes it.
BOOL SetDCRecorder(HDC dc, std::unique_ptr<gdi::DcRecorder> recorder);
// The DC's recorder, or nullptr.
gdi::DcRecorder* GetDCRecorder(HDC dc);
// Maps device pixel (0, 0) of `dc` to `origin` of its surface and limits all
// drawing to `visible` (surface pixels): how a control draws into its part of a
// window surface. GetDeviceCaps still reports the whole surface.
BOOL SetDCDeviceView(HDC dc, TPoint origin, const RECT& visible);

// A device capability (HORZRES, LOGPIXELSX, HORZSIZE, ...); 0 for unknown.
int GetDeviceCaps(HDC dc, int index);

// Pushes the whole state (mapping, objects, modes, colours, clipping, current
// position) and returns its level (1, 2, ...), 0 on failure.
int SaveDC(HDC dc);
// Pops back to `savedDC` (a level from SaveDC, or negative: -1 = the last
// save); later saves are discarded. FALSE when there is no such level.
BOOL RestoreDC(HDC dc, int savedDC);

// ---------------------------------------------------------------------------
// Mapping
// ---------------------------------------------------------------------------

// Sets the mapping mode and returns the previous one (0 on failure). The
// fixed modes take their extents from the device's physical size.
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
int SetGraphicsMode(HDC dc, int mode);  // GM_COMPATIBLE only; returns the previous mode
int GetGraphicsMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetWindowOrgEx(HDC dc, POINT* origin);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous);
// Window/viewport extents only change in MM_ISOTROPIC and MM_ANISOTROPIC (else
// TRUE and nothing happens); a zero extent is refused. In MM_ISOTROPIC the
// viewport extent is shrunk on one axis so both scales are equal, signs kept.
BOOL SetWindowExtEx(HDC dc, int cx, int cy, SIZE* previous);
BOOL GetWindowExtEx(HDC dc, SIZE* extent);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);  // device units
BOOL GetViewportOrgEx(HDC dc, POINT* origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
BOOL SetViewportExtEx(HDC dc, int cx, int cy, SIZE* previous);
BOOL GetViewportExtEx(HDC dc, SIZE* extent);
// Viewport extent := extent * xNum / xDenom, extent * yNum / yDenom.
BOOL ScaleViewportExtEx(HDC dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* previous);
// Window extent := extent * xNum / xDenom, extent * yNum / yDenom.
BOOL ScaleWindowExtEx(HDC dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* previous);
// Converts `count` points in place, logical -> device (rounded halves away from zero).
BOOL LPtoDP(HDC dc, POINT* points, int count);
// Converts `count` points in place, device -> logical (same rounding).
BOOL DPtoLP(HDC dc, POINT* points, int count);

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

// A cosmetic pen; width 0 or 1 is one pixel, wider is logical units through
// the mapping's x scale. Styled pens wider than one pixel draw solid.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
// A pen with end caps and joins; PS_GEOMETRIC pens take the brush's colour
// (solid brushes only; other brush styles draw in lbColor).
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
// An 8x8 hatch (HS_*) aligned to the brush origin; gaps show the background
// colour in OPAQUE mode and stay untouched in TRANSPARENT mode.
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
// A brush repeating (a copy of) `bitmap`; a monochrome pattern draws 0 bits in
// the text colour and 1 bits in the background colour.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const WCHAR* faceName);
// One of the permanent stock objects (WHITE_BRUSH ...), or nullptr.
HGDIOBJ GetStockObject(int index);

// Selects a pen, brush, font or bitmap and returns the one it replaces
// (nullptr on failure; a bitmap already selected into another DC, or of a
// kind the DC cannot take, is refused). Selecting a region sets the clip
// region to a copy of it and returns the region kind as a fake handle value
// (NULLREGION ...), or HGDI_ERROR().
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees an object. An object currently selected into a DC is NOT freed and
// FALSE is returned (select another object first); stock objects stay and
// give TRUE. A stale handle gives FALSE.
BOOL DeleteObject(HGDIOBJ object);
// The object's description (LOGPEN, EXTLOGPEN, LOGBRUSH, LOGFONTW, BITMAP);
// with buffer nullptr, its size. Copies at most `size` bytes; 0 on failure.
int GetObject(HGDIOBJ object, int size, void* buffer);
// The kind of an object (OBJ_PEN, OBJ_EXTPEN, ...); a DC handle cast to
// HGDIOBJ gives OBJ_DC, OBJ_MEMDC or OBJ_ENHMETADC; 0 for stale handles.
UINT GetObjectType(HGDIOBJ object);
// The DC's current OBJ_PEN, OBJ_BRUSH, OBJ_FONT or OBJ_BITMAP.
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
// Number of live pens, brushes, fonts, bitmaps and regions (stock objects
// excluded) plus live DCs: for leak tests.
std::size_t GdiObjectCount();

// ---------------------------------------------------------------------------
// Modes and colours (each Set* returns the previous value, 0 / CLR_INVALID on failure)
// ---------------------------------------------------------------------------

int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);  // GDI_ERROR on failure
UINT GetTextAlign(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
// Brush origin in device units: hatch and pattern cell (0, 0) lies there.
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetBrushOrgEx(HDC dc, POINT* origin);

// ---------------------------------------------------------------------------
// Lines and figures (outline with the pen, fill with the brush)
// ---------------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
// Line from the current position to (x, y), end point excluded; moves there.
BOOL LineTo(HDC dc, int x, int y);
// Open polyline; only its very last point is excluded. Current position unused.
BOOL Polyline(HDC dc, const POINT* points, int count);
// Lines from the current position through the points; moves to the last.
BOOL PolylineTo(HDC dc, const POINT* points, DWORD count);
BOOL PolyPolyline(HDC dc, const POINT* points, const DWORD* counts, DWORD polylines);
// Closed polygon filled by the poly-fill mode; the outline closes itself.
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL PolyPolygon(HDC dc, const POINT* points, const int* counts, int polygons);
// Cubic Béziers: 1 + 3n points (start, then control, control, end per curve).
BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
BOOL PolyBezierTo(HDC dc, const POINT* points, DWORD count);
// The box covers [left, right) x [top, bottom) in device pixels after mapping;
// reversed corners are swapped first. With the null pen selected, filled
// figures (Rectangle, Ellipse, RoundRect, Chord, Pie) are one pixel smaller on
// the right and bottom, as on the classic platform. Fills never paint under
// the pen's pixels, so each pixel is touched once per call.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// Rounded corners of the given ellipse width and height.
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
// Arc of the ellipse in the box, counter-clockwise on the device from the
// radial through (xStart, yStart) to the radial through (xEnd, yEnd).
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// As Arc, with a line from the current position to the arc's start; moves to its end.
BOOL ArcTo(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Arc closed by its chord, filled.
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Arc closed by two radials to the centre, filled.
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Fills [left, right) x [top, bottom) with `brush` (no pen, ROP2 ignored).
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A frame one logical unit wide and high (at least one pixel) with `brush`
// on the rectangle's outermost pixels.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// Inverts the pixels of the rectangle (exactly undone by a second call).
BOOL InvertRect(HDC dc, const RECT* rect);
// Sets the device pixel of the logical point; returns the colour set or CLR_INVALID.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// The device pixel of the logical point, CLR_INVALID outside the surface or clip.
COLORREF GetPixel(HDC dc, int x, int y);

// ---------------------------------------------------------------------------
// Regions. A region is a set of integer cells with no units of its own:
// FillRgn, FrameRgn, PaintRgn and InvertRgn read it as LOGICAL units and map
// it through the DC; clip regions (SelectClipRgn ...) are DEVICE units.
// ---------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* points, const int* counts, int polygons, int fillMode);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
// dest := src1 op src2 (RGN_COPY uses src1 only); returns the region kind or ERROR.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
// Replaces the region by a rectangle.
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
// The bounding box; the region kind or ERROR.
int GetRgnBox(HRGN region, RECT* box);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
// A frame `width` pixels wide (left/right) and `height` high (top/bottom)
// inside the region's outline.
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
// Fills with the DC's brush.
BOOL PaintRgn(HDC dc, HRGN region);
BOOL InvertRgn(HDC dc, HRGN region);

// Clipping. The clip region is in device units; a copy of `region` is taken
// (nullptr removes clipping; with another mode than RGN_COPY it is an error).
// Combining with "no clip" starts from the whole device. Returns the region
// kind of the new clip or ERROR.
int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
// Logical rectangles, mapped to device units.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);  // logical offset
// The box around the visible area (clip region intersected with the
// surface) in logical units: its corners are the logical images of the device
// box's top-left and bottom-right, so with a flipped axis Top lies below
// Bottom numerically (callers order it). The region kind or ERROR.
int GetClipBox(HDC dc, RECT* rect);
// Copies the clip region into `region` (device units): 1 when there is one, 0
// when the DC is unclipped, -1 on error.
int GetClipRgn(HDC dc, HRGN region);
// Whether any pixel of the logical point / rectangle is visible.
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rect);

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

// Draws `count` UTF-16 units at (x, y) aligned by the text alignment, with the
// text colour and, in OPAQUE mode, the background colour behind the cells.
BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count);
// TextOut with an optional rectangle to fill (ETO_OPAQUE) or clip to
// (ETO_CLIPPED) and optional per-character advances `dx` in logical units.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx);
// Size of the string's cell box in logical units: advance width and font height.
BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size);
// How many characters fit in `maxExtent` (fit may be null) and the partial
// extents of each character (dx may be null); logical units.
BOOL GetTextExtentExPointW(HDC dc, const WCHAR* text, int count, int maxExtent, int* fit, int* dx,
                           SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// Copies the face name of the selected font's logical face into `name` (at
// most `count` units incl. the terminator); returns the units copied, 0 on failure.
int GetTextFaceW(HDC dc, int count, WCHAR* name);
// Advances of characters first..last in logical units.
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths);
// Draws (or with DT_CALCRECT measures) text in a rectangle with word breaks
// and alignment; `count` -1 means zero-terminated. Returns the text height in
// logical units, 0 on failure.
int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format);

// ---------------------------------------------------------------------------
// Bitmaps and transfers
// ---------------------------------------------------------------------------

// A bitmap of 1 (monochrome) or 32 bits per pixel; `bits` (optional) holds
// rows of width*bpp bits padded to 16 bits, top-down; planes must be 1.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A bitmap in the DC's format: monochrome if the DC holds a monochrome
// bitmap, 32 bits otherwise (dc nullptr: the screen). Black.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A 32-bit DIB section whose pixels the caller may write through *bits
// (bottom-up when biHeight > 0). Other depths give nullptr.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset);
// Bitmap rows as CreateBitmap takes them; returns bytes copied.
LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
// Pixel size of a bitmap.
BOOL GetBitmapDimensionEx(HBITMAP bitmap, SIZE* size);

// Copies the source rectangle onto the destination with `rop` (pattern = the
// destination's brush). Rectangles are logical in their own DCs. Monochrome
// sources draw 0 as the destination's text colour and 1 as its background
// colour; colour sources become monochrome as 1 where they equal the source
// DC's background colour.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
// As BitBlt, scaling by dropping or repeating pixels; negative sizes mirror.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop);
// Fills the rectangle with the brush under a pattern/destination `rop`.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Draws a device-independent bitmap (1, 4, 8, 24 or 32 bits, BI_RGB, or 32
// bits BI_BITFIELDS) scaled into the destination. The caller guarantees
// `bits` holds the whole image the header describes; the sized overload
// checks it. Returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, std::size_t bitsSize, const BITMAPINFO* info, UINT usage,
                  DWORD rop);
// Copies DIB rows unscaled (SRCCOPY) to the destination.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
// Reads `lines` rows from `start` (counted from the bottom for bottom-up
// headers) of a bitmap not selected into a DC other than `dc`, in the format
// of info->bmiHeader (1, 24 or 32 bits, BI_RGB; a 1-bit request gets the
// black/white colour table). With bits nullptr it fills the header
// (biSizeImage, and biBitCount when it is 0) and the colour table. Returns the
// rows copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);

// Raw pixels of the bitmap selected into a raster DC: the top row first, the
// next row `*stride` uint32 values further (negative for a bottom-up DIB
// section), pixels 0x00RRGGBB, *width x *height. nullptr for a DC without a
// surface or with a monochrome bitmap (whose 0 / 0xFFFFFF values BitmapPixels
// reads). Valid until the bitmap is deselected or deleted.
const std::uint32_t* RasterPixels(HDC dc, int* width, int* height, int* stride);
// Raw pixels of a bitmap, writable (monochrome bitmaps hold only 0x000000 and
// 0x00FFFFFF); same layout as RasterPixels. nullptr for a stale handle.
std::uint32_t* BitmapPixels(HBITMAP bitmap, int* width, int* height, int* stride);
// Bits per pixel of a bitmap (1 or 32), 0 for a stale handle.
int BitmapBitsPerPixel(HBITMAP bitmap);

}  // namespace vx::plat
