// Free geometry procedures on logical integer coordinates (rotation, angles,
// bounding boxes, segment and point tests, intersection), normalisation of
// rectangles, device measurements, and the length-prefixed strings of the
// drawing file format.
//
// Angles are radians, positive from +x towards +y (clockwise on a default
// screen, whose y axis points down). Every conversion from a real to an
// integer rounds to the nearest integer with halves to the even neighbour
// (RoundEven), as stored drawings expect. Differences of coordinates are
// formed exactly (no 32-bit wrap-around), so answers for coordinates far
// apart are right instead of meaningless; every other answer is unchanged.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "foundation/vxtypes.h"
#include "platform/core/stream.h"
#include "platform/core/unicode.h"

namespace vx {

// ---------------------------------------------------------------------------
// Rounding

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), whatever the current floating-point rounding mode.
// Values beyond the Int32 range saturate at its ends (+inf -> 2147483647,
// -inf -> -2147483648); NaN gives 0.
std::int32_t RoundEven(double x);
// As RoundEven, saturating at the Int64 range instead.
std::int64_t RoundEven64(double x);

// ---------------------------------------------------------------------------
// Rotation and angles

// Turns P about C by a: P := C + round(rotated offset), both coordinates from
// the old P. A result beyond the Int32 range saturates.
void RotatePnt(TCoordPnt& P, TCoordPnt C, double a);
// Turns Pts[0] .. Pts[Count - 1] about C by a in place, with the formula of
// RotatePnt; cos a and sin a are computed once. Nothing for Count <= 0.
void RotatePoints(pPointArray Pts, std::int32_t Count, TCoordPnt C, double a);

// The direction of (dx, dy), from -pi/2 to 3pi/2: dx = 0 gives pi/2 when
// dy > 0, else -pi/2 (also for dy = 0).
double GetAngle(std::int32_t dx, std::int32_t dy);
// The direction of (x, y) for reals: |x| < 0.01 counts as vertical (pi/2
// when y > 0, else -pi/2). NaN in either gives 0; two infinities give the
// diagonal.
double GetAngle(double x, double y);
// The angle of P1 -> P2 without quadrant correction for oblique lines: 0 or
// pi for horizontal ones, pi/2 or 3pi/2 for vertical ones, otherwise
// arctan(dy/dx) between -pi/2 and pi/2 (so (-1, 1) gives -pi/4).
double CalculateAngle(TCoordPnt P1, TCoordPnt P2);

// ---------------------------------------------------------------------------
// Bounding boxes

// The bounds of Pts[0] .. Pts[Count - 1]. With Count <= 0 the start values
// (2147483647, 2147483647, -2147483647, -2147483647) come back, an empty box
// that any point widens.
TLimRec GetPolygonLimits(const TCoordPnt* Pts, std::int32_t Count);

// The smallest rectangle holding all of R (normalised elements assumed):
// smaller Left and Top, larger Right and Bottom. An empty list gives the
// empty box (2147483647, 2147483647, -2147483647, -2147483647).
TCoordRect MaxRect(std::span<const TCoordRect> R);
TCoordRect MaxRect(std::initializer_list<TCoordRect> R);
// The same over limit rectangles (smaller minima, larger maxima).
TLimRec MaxLimRec(std::span<const TLimRec> L);
TLimRec MaxLimRec(std::initializer_list<TLimRec> L);

// Whether P lies in L, borders included.
bool PtInLimits(TCoordPnt P, const TLimRec& L);

// Whether the segment P1-P2 enters the open rectangle R: borders are not
// inside, so a segment that only touches the border is not in R. The edge
// crossings are taken on the infinite line through P1 and P2; callers test
// the object's outer limits first, which keeps the probe near the segment.
bool LineInRect(TCoordPnt P1, TCoordPnt P2, const TLimRec& R);

// Whether P lies within Tol of the line through P1 and P2. Horizontal and
// vertical lines (and P1 = P2) test a box around the segment widened by Tol,
// borders included; oblique lines measure the distance to the infinite line
// along the flatter axis and require it to be strictly below Tol.
bool PtOnLine(TCoordPnt P, TCoordPnt P1, TCoordPnt P2, std::uint16_t Tol);

// The crossing of segment P1-P2 with segment P3-P4, rounded, in S. False for
// parallel, collinear or degenerate segments and when the crossing lies
// outside either segment's extent; S is changed only when true. Computed
// exactly in wide integers, so no product can overflow.
bool IntersectPoint(TCoordPnt P1, TCoordPnt P2, TCoordPnt P3, TCoordPnt P4, TCoordPnt& S);

// ---------------------------------------------------------------------------
// Normalisation and helpers

// Swaps Left/Right when Left > Right and Top/Bottom when Top > Bottom.
void RectDirection(TCoordRect& R);
// Swaps Xmin/Xmax when Xmax < Xmin and Ymin/Ymax when Ymax < Ymin.
void LimRecDirection(TLimRec& L);
// Swaps a and b.
void ExChange(std::int32_t& a, std::int32_t& b);
// Does nothing; a placeholder procedure.
void Nothing();

// ---------------------------------------------------------------------------
// Numbers and devices

// The decimal logarithm, exact for powers of ten (lg(1000) = 3, which digit
// counts rely on). lg(0) = -infinity; negative or NaN x gives NaN: callers
// that truncate the result must test it first.
double lg(double x);
// Inches per metre as the library measures them: 39.0625 (1000 / 25.6, not
// 39.37), so that 96 pixels per inch make 3750 pixels per metre.
constexpr double InchPerMeter() { return 39.0625; }

// Pixels per metre in each direction of a device that has horzRes x vertRes
// pixels on horzSizeMM x vertSizeMM millimetres: round(res / size * 1000).
// A direction whose size or resolution is not positive (a device that does
// not know its size) is taken as 96 pixels per inch: 3750.
// The overload that asks a device context for these values comes with the
// device layer.
TCoordPnt CalcPixPerM(int horzRes, int horzSizeMM, int vertRes, int vertSizeMM);

// ---------------------------------------------------------------------------
// Stream strings (little-endian)

// Writes Int32 n = the number of UTF-16 code units of S, then the 2n bytes;
// an empty string writes only n = 0.
void SaveString(vx::plat::TStream& Stream, const vx::plat::String& S);
// Reads Int32 n, then n UTF-16 code units; n <= 0 gives the empty string
// after the 4 length bytes. A length beyond what the stream still holds
// raises EReadError before anything is allocated.
vx::plat::String LoadString_w(vx::plat::TStream& Stream);
// Reads Int32 n, then n bytes of ANSI (Windows-1252) text, converted to
// UTF-16; n <= 0 gives the empty string. Lengths are checked as LoadString_w.
vx::plat::String LoadStringAnsi(vx::plat::TStream& Stream);
// Reads Len + 1 bytes of ANSI (Windows-1252) text with its terminating zero
// byte and stores the text up to the first zero byte, converted and
// zero-terminated, in Dest, which must hold Len + 1 characters. At most Len
// characters are stored even when the stored terminator is not zero.
// Len < 0 reads nothing and stores the empty string. Raises EReadError
// when the stream holds fewer than Len + 1 bytes.
void StreamReadAnsiString(vx::plat::TStream& Stream, char16_t* Dest, std::int32_t Len);
// The same, returning the text instead of filling a buffer.
vx::plat::String StreamReadAnsiString(vx::plat::TStream& Stream, std::int32_t Len);

}  // namespace vx
