// The playback mapping: how a record's logical coordinates reach the playing
// DC's device pixels, per axis, and how that chain is put on the playing DC as
// one anisotropic window/viewport mapping (the DC has no world transform).
//
//   logical --world (scale, offset)--> page --record window/viewport-->
//   reference-device pixels --frame fitted on the destination--> playing
//   logical --playing DC's own window/viewport--> playing device pixels
#pragma once

#include <cstdint>

namespace vx::plat::emf {

// 128-bit integers for exact products of three 32-bit terms.
__extension__ typedef __int128 Int128;

// The fixed part of the chain on one axis: reference-device pixels to the
// playing DC's device pixels.
struct AxisChain {
  std::int64_t FrameOrg = 0;  // the frame in reference-device pixels
  std::int64_t FrameExt = 1;  // never 0
  std::int64_t DestOrg = 0;   // the destination rectangle, playing logical units
  std::int64_t DestExt = 1;   // may be negative (mirror), never 0
  std::int64_t WinOrg = 0;    // the playing DC's own mapping
  std::int64_t WinExt = 1;
  std::int64_t VpOrg = 0;
  std::int64_t VpExt = 1;
  // The playing-device coordinate of reference-device coordinate p, exact,
  // rounded halves away from zero.
  std::int64_t DeviceOf(std::int64_t p) const;
  // The same without rounding.
  long double DeviceOfReal(long double p) const;
};

// A record's page mapping on one axis (window -> viewport of the reference device).
struct AxisPage {
  std::int64_t WinOrg = 0;
  std::int64_t WinExt = 1;
  std::int64_t VpOrg = 0;
  std::int64_t VpExt = 1;
};

// The axis part of a world transform (page = logical * Scale + Offset).
struct AxisWorld {
  long double Scale = 1;
  long double Offset = 0;
  bool IsIdentity() const { return Scale == 1 && Offset == 0; }
};

// What the playing DC is given on one axis (all within Int32, extents non-zero).
struct AxisDc {
  std::int32_t WinOrg = 0;
  std::int32_t WinExt = 1;
  std::int32_t VpOrg = 0;
  std::int32_t VpExt = 1;
};

// The DC mapping that realises the whole chain on one axis. Without a world
// transform the scale is the exact fraction whenever its reduced terms are at
// most 2^30, else the nearest fraction with such terms; the viewport origin is
// rounded to a whole device pixel.
AxisDc RealiseAxis(const AxisChain& chain, const AxisPage& page, const AxisWorld& world);

// The nearest fraction num/den (den > 0) to n/d with |num| and den at most
// `limit`; n/d beyond the limit saturates, tiny non-zero values give +-1/limit.
void NearestFraction(Int128 n, Int128 d, std::int64_t limit, std::int64_t& num, std::int64_t& den);

}  // namespace vx::plat::emf
