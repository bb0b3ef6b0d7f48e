// Small sets over an enumeration, stored as a bit mask: bit n holds the member
// whose ordinal is n, as files and forms store such sets.
#pragma once

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <type_traits>

namespace vx::plat {

// A set of members of enumeration E in an unsigned Storage (uint8_t for a
// one-byte set, uint16_t for a two-byte set, ...). When Last is the ordinal
// of the enumeration's last member, bits of non-members are never held: FromBits and
// the set arithmetic drop them, so a word read from a file cannot smuggle in
// flags the set does not know.
template <class E, class Storage = std::uint32_t,
          unsigned Last = std::numeric_limits<Storage>::digits - 1>
class TSet {
  static_assert(std::is_enum_v<E>, "a set holds members of an enumeration");
  static_assert(std::is_unsigned_v<Storage>, "a set is stored in an unsigned integer");
  static_assert(Last < std::numeric_limits<Storage>::digits,
                "the storage word has a bit for every member");

public:
  using Member = E;
  using StorageType = Storage;

  // The bits that members may occupy (0x3FFF for 14 members).
  static constexpr Storage ValidMask = static_cast<Storage>(
      (std::uint64_t(2) << Last) - 1);

  constexpr TSet() = default;
  // The set of the listed members: TSet{goRotation, goShadows}.
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  // The set whose stored word is bits; bits of non-members are dropped.
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.FBits = static_cast<Storage>(bits & ValidMask);
    return s;
  }

  // The stored word: bit n set when the member of ordinal n is in the set.
  constexpr Storage Bits() const { return FBits; }
  // The mask of one member (1 << ordinal); 0 for a value beyond Last.
  static constexpr Storage Bit(E member) {
    auto ordinal = static_cast<unsigned>(member);
    if (ordinal > Last) return 0;
    return static_cast<Storage>(std::uint64_t(1) << ordinal);
  }

  constexpr bool Contains(E member) const { return (FBits & Bit(member)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E member) {
    FBits = static_cast<Storage>(FBits | Bit(member));
    return *this;
  }
  constexpr TSet& Exclude(E member) {
    FBits = static_cast<Storage>(FBits & ~Bit(member));
    return *this;
  }

  // Union, difference and intersection, as the classic set operators + - *.
  friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }
  friend constexpr TSet operator+(TSet a, E m) { return a.Include(m); }
  friend constexpr TSet operator-(TSet a, E m) { return a.Exclude(m); }
  constexpr TSet& operator+=(TSet b) { return *this = *this + b; }
  constexpr TSet& operator-=(TSet b) { return *this = *this - b; }
  constexpr TSet& operator*=(TSet b) { return *this = *this * b; }
  constexpr TSet& operator+=(E m) { return Include(m); }
  constexpr TSet& operator-=(E m) { return Exclude(m); }
  // True when every member of this set is also in other.
  constexpr bool SubsetOf(TSet other) const { return (FBits & ~other.FBits) == 0; }
  friend constexpr bool operator==(const TSet&, const TSet&) = default;

private:
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
