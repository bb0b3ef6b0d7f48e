#include "foundation/vxprocs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "platform/core/exceptions.h"

namespace vx {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr std::int32_t EmptyMin = std::numeric_limits<std::int32_t>::max();  //  2147483647
constexpr std::int32_t EmptyMax = -EmptyMin;                                 // -2147483647

// Exact products of differences of 32-bit coordinates need up to 97 bits.
__extension__ using Int128 = __int128;

std::int32_t SaturateToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

// c + round(offset), as the rotation formulas add a rounded offset to a centre.
std::int32_t AddRounded(std::int32_t c, double offset) {
  std::int64_t r = RoundEven64(offset);
  // Keep the sum inside Int64 before saturating to Int32.
  r = std::clamp<std::int64_t>(r, -(std::int64_t{1} << 40), std::int64_t{1} << 40);
  return SaturateToInt32(c + r);
}

void RotateWith(TCoordPnt& P, TCoordPnt C, double cosA, double sinA) {
  // Offsets are exact in doubles: they never wrap as 32-bit differences would.
  const double dx = static_cast<double>(static_cast<std::int64_t>(P.x) - C.x);
  const double dy = static_cast<double>(static_cast<std::int64_t>(P.y) - C.y);
  const std::int32_t nx = AddRounded(C.x, dx * cosA - dy * sinA);
  const std::int32_t ny = AddRounded(C.y, dx * sinA + dy * cosA);
  P.x = nx;
  P.y = ny;
}

template <class Box, class Merge>
Box MergeAll(std::span<const Box> items, Box empty, Merge merge) {
  if (items.empty()) return empty;
  Box result = items.back();
  for (std::size_t i = 0; i + 1 < items.size(); ++i) merge(result, items[i]);
  return result;
}

// A length read from a stream must be backed by the bytes still in it.
void RequireStreamBytes(vx::plat::TStream& Stream, std::int64_t bytes, const char* what) {
  if (bytes > Stream.Remaining())
    throw vx::plat::EReadError("Stream read error: " + std::string(what) + " of " + std::to_string(bytes) +
                               " bytes is longer than the remaining data");
}

}  // namespace

// ---------------------------------------------------------------------------
// Rounding

std::int64_t RoundEven64(double x) {
  if (std::isnan(x)) return 0;
  constexpr double Limit = 9223372036854775808.0;  // 2^63
  if (x >= Limit) return std::numeric_limits<std::int64_t>::max();
  if (x < -Limit) return std::numeric_limits<std::int64_t>::min();
  // floor and the difference are exact, so no rounding mode is involved.
  const double lower = std::floor(x);
  const double fraction = x - lower;
  auto r = static_cast<std::int64_t>(lower);
  if (fraction > 0.5 || (fraction == 0.5 && (r & 1) != 0)) ++r;
  return r;
}

std::int32_t RoundEven(double x) { return SaturateToInt32(RoundEven64(x)); }

// ---------------------------------------------------------------------------
// Rotation and angles

void RotatePnt(TCoordPnt& P, TCoordPnt C, double a) { RotateWith(P, C, std::cos(a), std::sin(a)); }

void RotatePoints(pPointArray Pts, std::int32_t Count, TCoordPnt C, double a) {
  if (Count <= 0 || !Pts) return;
  const double cosA = std::cos(a);
  const double sinA = std::sin(a);
  for (std::int32_t i = 0; i < Count; ++i) RotateWith(Pts[i], C, cosA, sinA);
}

double GetAngle(std::int32_t dx, std::int32_t dy) {
  if (dx == 0) return dy > 0 ? Pi / 2 : -Pi / 2;
  const double slope = static_cast<double>(dy) / static_cast<double>(dx);
  return dx > 0 ? std::atan(slope) : std::atan(slope) + Pi;
}

double GetAngle(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return 0.0;
  if (std::fabs(x) < 0.01) return y > 0 ? Pi / 2 : -Pi / 2;
  double slope = y / x;
  if (std::isnan(slope)) slope = std::copysign(1.0, x) * std::copysign(1.0, y);  // inf / inf
  return x > 0 ? std::atan(slope) : std::atan(slope) + Pi;
}

double CalculateAngle(TCoordPnt P1, TCoordPnt P2) {
  const std::int64_t dx = static_cast<std::int64_t>(P2.x) - P1.x;
  const std::int64_t dy = static_cast<std::int64_t>(P2.y) - P1.y;
  if (dy == 0) return dx >= 0 ? 0.0 : Pi;
  if (dx == 0) return dy > 0 ? Pi / 2 : 3 * Pi / 2;
  return std::atan(static_cast<double>(dy) / static_cast<double>(dx));
}

// ---------------------------------------------------------------------------
// Bounding boxes

TLimRec GetPolygonLimits(const TCoordPnt* Pts, std::int32_t Count) {
  TLimRec L = LimRec(EmptyMin, EmptyMin, EmptyMax, EmptyMax);
  if (!Pts) return L;
  for (std::int32_t i = 0; i < Count; ++i) {
    L.Xmin = std::min(L.Xmin, Pts[i].x);
    L.Ymin = std::min(L.Ymin, Pts[i].y);
    L.Xmax = std::max(L.Xmax, Pts[i].x);
    L.Ymax = std::max(L.Ymax, Pts[i].y);
  }
  return L;
}

TCoordRect MaxRect(std::span<const TCoordRect> R) {
  return MergeAll(R, TCoordRect{EmptyMin, EmptyMin, EmptyMax, EmptyMax}, [](TCoordRect& acc, const TCoordRect& r) {
    acc.Left = std::min(acc.Left, r.Left);
    acc.Top = std::min(acc.Top, r.Top);
    acc.Right = std::max(acc.Right, r.Right);
    acc.Bottom = std::max(acc.Bottom, r.Bottom);
  });
}

TCoordRect MaxRect(std::initializer_list<TCoordRect> R) { return MaxRect(std::span<const TCoordRect>(R.begin(), R.size())); }

TLimRec MaxLimRec(std::span<const TLimRec> L) {
  return MergeAll(L, LimRec(EmptyMin, EmptyMin, EmptyMax, EmptyMax), [](TLimRec& acc, const TLimRec& l) {
    acc.Xmin = std::min(acc.Xmin, l.Xmin);
    acc.Ymin = std::min(acc.Ymin, l.Ymin);
    acc.Xmax = std::max(acc.Xmax, l.Xmax);
    acc.Ymax = std::max(acc.Ymax, l.Ymax);
  });
}

TLimRec MaxLimRec(std::initializer_list<TLimRec> L) { return MaxLimRec(std::span<const TLimRec>(L.begin(), L.size())); }

bool PtInLimits(TCoordPnt P, const TLimRec& L) {
  return L.Xmin <= P.x && P.x <= L.Xmax && L.Ymin <= P.y && P.y <= L.Ymax;
}

// ---------------------------------------------------------------------------
// Segment and point tests

bool LineInRect(TCoordPnt P1, TCoordPnt P2, const TLimRec& R) {
  const double x1 = P1.x, y1 = P1.y, x2 = P2.x, y2 = P2.y;
  const double Xmin = R.Xmin, Ymin = R.Ymin, Xmax = R.Xmax, Ymax = R.Ymax;
  auto strictlyInside = [&](double x, double y) { return Xmin < x && x < Xmax && Ymin < y && y < Ymax; };

  if (strictlyInside(x1, y1)) return true;
  if (strictlyInside(x2, y2)) return true;
  // Differences of Int32 values are exact in doubles, so d is never wrapped.
  const double d = x2 - x1;
  if (P2.x != P1.x) {
    if (x2 > Xmax || x1 > Xmax) {
      const double y = (y2 - y1) / d * (Xmax - x1) + y1;
      if (Ymin < y && y < Ymax) return true;
    }
    if (x2 < Xmin || x1 < Xmin) {
      const double y = (y2 - y1) / d * (Xmin - x1) + y1;
      if (Ymin < y && y < Ymax) return true;
    }
  }
  if (P2.y == P1.y) return false;
  if (y2 > Ymax || y1 > Ymax) {
    const double x = d / (y2 - y1) * (Ymax - y1) + x1;
    if (Xmin < x && x < Xmax) return true;
  }
  if (y2 >= Ymin && y1 >= Ymin) return false;
  const double x = d / (y2 - y1) * (Ymin - y1) + x1;
  return Xmin < x && x < Xmax;
}

bool PtOnLine(TCoordPnt P, TCoordPnt P1, TCoordPnt P2, std::uint16_t Tol) {
  if (P1.x == P2.x || P1.y == P2.y) {
    // The box is widened in 64 bits so that it cannot wrap near the Int32 ends.
    const std::int64_t xmin = std::int64_t{std::min(P1.x, P2.x)} - Tol;
    const std::int64_t ymin = std::int64_t{std::min(P1.y, P2.y)} - Tol;
    const std::int64_t xmax = std::int64_t{std::max(P1.x, P2.x)} + Tol;
    const std::int64_t ymax = std::int64_t{std::max(P1.y, P2.y)} + Tol;
    return xmin <= P.x && P.x <= xmax && ymin <= P.y && P.y <= ymax;
  }
  const TCoordPnt A = P1.x >= P2.x ? P2 : P1;
  const TCoordPnt B = P1.x >= P2.x ? P1 : P2;
  // B.x > A.x here, so the slope is finite and, being oblique, never zero.
  const double m = static_cast<double>(std::int64_t{A.y} - B.y) / static_cast<double>(std::int64_t{B.x} - A.x);
  if (std::fabs(m) <= 1) {
    const std::int64_t yOnLine = A.y - RoundEven64(static_cast<double>(std::int64_t{P.x} - A.x) * m);
    return std::llabs(yOnLine - P.y) < Tol;
  }
  const std::int64_t xOnLine = A.x + RoundEven64(static_cast<double>(std::int64_t{A.y} - P.y) / m);
  return std::llabs(xOnLine - P.x) < Tol;
}

bool IntersectPoint(TCoordPnt P1, TCoordPnt P2, TCoordPnt P3, TCoordPnt P4, TCoordPnt& S) {
  const Int128 a1 = Int128{P2.y} - P1.y;
  const Int128 b1 = Int128{P1.x} - P2.x;
  const Int128 a2 = Int128{P4.y} - P3.y;
  const Int128 b2 = Int128{P3.x} - P4.x;
  if (a1 * b2 == a2 * b1) return false;  // parallel, collinear or degenerate
  const Int128 det = a1 * b2 - a2 * b1;
  const Int128 c1 = -(b1 * P1.y) - a1 * P1.x;
  const Int128 c2 = -(b2 * P3.y) - a2 * P3.x;

  const double x = static_cast<double>(b1 * c2 - b2 * c1) / static_cast<double>(det);
  if (x < std::min(P1.x, P2.x) || x > std::max(P1.x, P2.x)) return false;
  if (x < std::min(P3.x, P4.x) || x > std::max(P3.x, P4.x)) return false;
  const double y = static_cast<double>(c1 * a2 - c2 * a1) / static_cast<double>(det);
  if (y < std::min(P1.y, P2.y) || y > std::max(P1.y, P2.y)) return false;
  if (y < std::min(P3.y, P4.y) || y > std::max(P3.y, P4.y)) return false;
  S = TCoordPnt{RoundEven(x), RoundEven(y)};
  return true;
}

// ---------------------------------------------------------------------------
// Normalisation and helpers

void RectDirection(TCoordRect& R) {
  if (R.Left > R.Right) ExChange(R.Left, R.Right);
  if (R.Top > R.Bottom) ExChange(R.Top, R.Bottom);
}

void LimRecDirection(TLimRec& L) {
  if (L.Xmax < L.Xmin) ExChange(L.Xmin, L.Xmax);
  if (L.Ymax < L.Ymin) ExChange(L.Ymin, L.Ymax);
}

void ExChange(std::int32_t& a, std::int32_t& b) { std::swap(a, b); }

void Nothing() {}

// ---------------------------------------------------------------------------
// Numbers and devices

double lg(double x) { return std::log10(x); }

TCoordPnt CalcPixPerM(int horzRes, int horzSizeMM, int vertRes, int vertSizeMM) {
  auto perMetre = [](int res, int sizeMM) {
    // A device without a known size would divide by zero: take 96 pixels per inch.
    if (res <= 0 || sizeMM <= 0) return RoundEven(InchPerMeter() * 96);
    return RoundEven(static_cast<double>(res) / sizeMM * 1000);
  };
  return TCoordPnt{perMetre(horzRes, horzSizeMM), perMetre(vertRes, vertSizeMM)};
}

// ---------------------------------------------------------------------------
// Stream strings

void SaveString(vx::plat::TStream& Stream, const vx::plat::String& S) {
  if (S.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw vx::plat::EWriteError("Stream write error: a string of " + std::to_string(S.size()) +
                                " characters is too long to store");
  const auto n = static_cast<std::int32_t>(S.size());
  Stream.WriteValue<std::int32_t>(n);
  if (n > 0) Stream.WriteBuffer(S.data(), std::int64_t{n} * 2);
}

vx::plat::String LoadString_w(vx::plat::TStream& Stream) {
  const auto n = Stream.ReadValue<std::int32_t>();
  if (n <= 0) return {};
  const std::int64_t bytes = std::int64_t{n} * 2;
  RequireStreamBytes(Stream, bytes, "a stored string");
  vx::plat::String text(static_cast<std::size_t>(n), u'\0');
  Stream.ReadBuffer(text.data(), bytes);
  return text;
}

vx::plat::String LoadStringAnsi(vx::plat::TStream& Stream) {
  const auto n = Stream.ReadValue<std::int32_t>();
  if (n <= 0) return {};
  RequireStreamBytes(Stream, n, "a stored ANSI string");
  std::string bytes(static_cast<std::size_t>(n), '\0');
  Stream.ReadBuffer(bytes.data(), n);
  return vx::plat::AnsiToString(bytes);
}

vx::plat::String StreamReadAnsiString(vx::plat::TStream& Stream, std::int32_t Len) {
  if (Len < 0) return {};
  const std::int64_t total = std::int64_t{Len} + 1;
  RequireStreamBytes(Stream, total, "a stored ANSI text");
  std::string bytes(static_cast<std::size_t>(total), '\0');
  Stream.ReadBuffer(bytes.data(), total);
  // Only the first Len bytes can be text: a corrupt terminator must not
  // lengthen it beyond the room the caller made.
  const std::size_t end = std::min(bytes.find('\0'), static_cast<std::size_t>(Len));
  vx::plat::String text = vx::plat::AnsiToString(std::string_view(bytes).substr(0, end));
  if (text.size() > static_cast<std::size_t>(Len)) text.resize(static_cast<std::size_t>(Len));
  return text;
}

void StreamReadAnsiString(vx::plat::TStream& Stream, char16_t* Dest, std::int32_t Len) {
  const vx::plat::String text = StreamReadAnsiString(Stream, Len);
  if (!Dest) return;
  std::copy(text.begin(), text.end(), Dest);
  Dest[text.size()] = u'\0';
}

}  // namespace vx
