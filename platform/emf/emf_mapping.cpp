// The playback mapping chain and its realisation as window/viewport values.
#include "platform/emf/emf_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx::plat::emf {
namespace {

constexpr std::int64_t kExtentLimit = std::int64_t{1} << 30;

Int128 Abs128(Int128 v) { return v < 0 ? -v : v; }

Int128 Gcd128(Int128 a, Int128 b) {
  a = Abs128(a);
  b = Abs128(b);
  while (b != 0) {
    const Int128 t = a % b;
    a = b;
    b = t;
  }
  return a;
}

// n / d rounded to the nearest integer, halves away from zero; d != 0.
Int128 DivRound(Int128 n, Int128 d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const Int128 q = (Abs128(n) * 2 + d) / (2 * d);
  return n < 0 ? -q : q;
}

std::int32_t Saturate(long double v) {
  if (!(v == v)) return 0;  // NaN
  v = std::clamp(v, static_cast<long double>(std::numeric_limits<std::int32_t>::min()),
                 static_cast<long double>(std::numeric_limits<std::int32_t>::max()));
  return static_cast<std::int32_t>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L));
}

std::int32_t Saturate(Int128 v) {
  return static_cast<std::int32_t>(std::clamp<Int128>(v, std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int64_t AxisChain::DeviceOf(std::int64_t p) const {
  // ((p - FO) * DE / FE + DO - WO) * VE / WE + VO, with one rounding at the end.
  const Int128 inner = Int128{p - FrameOrg} * DestExt + Int128{DestOrg - WinOrg} * FrameExt;
  const Int128 num = inner * VpExt;
  const Int128 den = Int128{FrameExt} * WinExt;
  const Int128 v = DivRound(num, den) + VpOrg;
  return static_cast<std::int64_t>(std::clamp<Int128>(v, std::numeric_limits<std::int64_t>::min() / 4,
                                                        std::numeric_limits<std::int64_t>::max() / 4));
}

long double AxisChain::DeviceOfReal(long double p) const {
  const long double logical = (p - FrameOrg) * DestExt / FrameExt + DestOrg;
  return (logical - WinOrg) * VpExt / WinExt + VpOrg;
}

void NearestFraction(Int128 n, Int128 d, std::int64_t limit, std::int64_t& num, std::int64_t& den) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const bool negative = n < 0;
  n = Abs128(n);
  if (d == 0) {
    num = negative ? -limit : limit;
    den = 1;
    return;
  }
  if (const Int128 g = Gcd128(n, d); g > 1) {
    n /= g;
    d /= g;
  }
  if (n <= limit && d <= limit) {
    num = static_cast<std::int64_t>(negative ? -n : n);
    den = static_cast<std::int64_t>(d);
    if (num == 0) num = negative ? -1 : 1, den = limit;  // a zero scale cannot be a mapping
    return;
  }
  // Continued-fraction convergents of n/d, the last one within the limit.
  Int128 h1 = 1, h2 = 0, k1 = 0, k2 = 1;
  Int128 a = n, b = d;
  while (b != 0) {
    const Int128 q = a / b;
    const Int128 h = q * h1 + h2;
    const Int128 k = q * k1 + k2;
    if (h > limit || k > limit) break;
    h2 = h1;
    h1 = h;
    k2 = k1;
    k1 = k;
    const Int128 r = a - q * b;
    a = b;
    b = r;
  }
  if (k1 == 0) {  // beyond the limit from the first term: saturate
    h1 = limit;
    k1 = 1;
  }
  if (h1 == 0) {  // smaller than 1/limit
    h1 = 1;
    k1 = limit;
  }
  num = static_cast<std::int64_t>(negative ? -h1 : h1);
  den = static_cast<std::int64_t>(k1);
}

AxisDc RealiseAxis(const AxisChain& chain, const AxisPage& page, const AxisWorld& world) {
  AxisDc out;
  std::int64_t num = 1, den = 1;
  if (world.IsIdentity()) {
    // Exact: scale = DE * VE * pageVE / (FE * WE * pageWE); every term fits 31 bits.
    const Int128 n = Int128{chain.DestExt} * chain.VpExt * page.VpExt;
    const Int128 d = Int128{chain.FrameExt} * chain.WinExt * page.WinExt;
    NearestFraction(n, d, kExtentLimit, num, den);
    out.WinOrg = Saturate(Int128{page.WinOrg});
    // The viewport origin is where the page's window origin lands: its viewport origin.
    out.VpOrg = Saturate(Int128{chain.DeviceOf(page.VpOrg)});
  } else {
    const long double scale = world.Scale * page.VpExt / page.WinExt * chain.DestExt * chain.VpExt /
                              (static_cast<long double>(chain.FrameExt) * chain.WinExt);
    const long double magnitude = std::clamp(std::fabs(scale), 1.0L / kExtentLimit, static_cast<long double>(kExtentLimit));
    const long double signedScale = (scale < 0 || std::signbit(scale)) ? -magnitude : magnitude;
    NearestFraction(static_cast<Int128>(std::llround(signedScale * (1LL << 40))), Int128{1} << 40, kExtentLimit,
                    num, den);
    // Anchor on the logical point that maps to the page's window origin.
    const long double anchor = world.Scale != 0 ? (page.WinOrg - world.Offset) / world.Scale : 0;
    out.WinOrg = Saturate(anchor);
    const long double pageAtAnchor = out.WinOrg * world.Scale + world.Offset;
    const long double refPixel =
        (pageAtAnchor - page.WinOrg) * page.VpExt / static_cast<long double>(page.WinExt) + page.VpOrg;
    out.VpOrg = Saturate(chain.DeviceOfReal(refPixel));
  }
  out.WinExt = static_cast<std::int32_t>(den);
  out.VpExt = static_cast<std::int32_t>(num);
  return out;
}

}  // namespace vx::plat::emf
