// Small sets over an enumeration, stored as a bit mask: bit n holds the member
// whose ordinal is n, as files and forms store such sets.
#pragma once

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vx::plat {

// A set of members of enumeration E in an unsigned Storage (uint8_t for a
// one-byte set, uint16_t for a two-byte set, ...).
template <class E, class Storage = std::uint32_t>
class TSet {
  static_assert(std::is_unsigned_v<Storage>, "a set is stored in an unsigned integer");

public:
  using Member = E;
  using StorageType = Storage;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) FBits = Storage(FBits | Bit(m));
  }
  // The set whose stored mask is bits (bits beyond the storage are dropped).
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.FBits = static_cast<Storage>(bits);
    return s;
  }

  constexpr Storage Bits() const { return FBits; }
  constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E m) { FBits = Storage(FBits | Bit(m)); return *this; }
  constexpr TSet& Exclude(E m) { FBits = Storage(FBits & ~Bit(m)); return *this; }

  // Union, difference and intersection, as the classic set operators + - *.
  constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
  constexpr TSet& operator+=(TSet o) { FBits = Storage(FBits | o.FBits); return *this; }
  constexpr TSet& operator-=(TSet o) { FBits = Storage(FBits & ~o.FBits); return *this; }
  constexpr bool operator==(const TSet&) const = default;

private:
  static constexpr Storage Bit(E m) { return static_cast<Storage>(Storage(1) << static_cast<unsigned>(m)); }
  Storage FBits = 0;
};

// Bit-mask access for every set type the property system accepts: unsigned
// or signed integers holding the mask, TSet, and std::bitset.
template <class S>
constexpr std::uint64_t SetToBits(const S& s) {
  if constexpr (std::is_integral_v<S>)
    return static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<S>>(s));
  else if constexpr (requires { s.to_ullong(); })
    return s.to_ullong();
  else
    return static_cast<std::uint64_t>(s.Bits());
}

template <class S>
constexpr S SetFromBits(std::uint64_t bits) {
  if constexpr (std::is_integral_v<S>)
    return static_cast<S>(bits);
  else if constexpr (requires { S().to_ullong(); })
    return S(bits);
  else
    return S::FromBits(bits);
}

}  // namespace vx::plat
