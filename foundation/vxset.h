// TSet: a small set of enumeration members stored in one byte or one 16-bit
// word, bit n = the member with ordinal n, so that a set reads like the
// library's code (`Options.Contains(goRotation)`) and writes the stored word
// unchanged to drawing files.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <type_traits>

namespace vx {

// A set of the members first .. Last of the enumeration E, held in Storage.
// Bits of non-members are never held: FromRaw drops them.
template <class E, class Storage, E Last>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet holds members of an enumeration");
  static_assert(std::is_unsigned_v<Storage>, "a set is stored in an unsigned word");
  static_assert(static_cast<unsigned>(Last) < std::numeric_limits<Storage>::digits,
                "the storage word has a bit for every member");

public:
  using Member = E;
  using StorageType = Storage;

  // The bits that members may occupy (0x3FFF for 14 members).
  static constexpr Storage ValidMask =
      static_cast<Storage>((static_cast<std::uint32_t>(1) << (static_cast<unsigned>(Last) + 1)) - 1);

  constexpr TSet() = default;
  // The set of the listed members: TSet{goRotation, goShadows}.
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }

  // The set whose stored word is raw; bits of non-members are dropped.
  static constexpr TSet FromRaw(Storage raw) {
    TSet s;
    s.FBits = static_cast<Storage>(raw & ValidMask);
    return s;
  }
  // The stored word: bit n set when the member of ordinal n is in the set.
  constexpr Storage Raw() const { return FBits; }
  // The mask of one member (1 << ordinal); 0 for a value beyond Last.
  static constexpr Storage Bit(E member) {
    auto ordinal = static_cast<unsigned>(member);
    if (ordinal > static_cast<unsigned>(Last)) return 0;
    return static_cast<Storage>(static_cast<std::uint32_t>(1) << ordinal);
  }

  constexpr bool Contains(E member) const { return Bit(member) != 0 && (FBits & Bit(member)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E member) {
    FBits = static_cast<Storage>(FBits | Bit(member));
    return *this;
  }
  constexpr TSet& Exclude(E member) {
    FBits = static_cast<Storage>(FBits & ~Bit(member));
    return *this;
  }

  // Union, difference and intersection, as the library's set arithmetic reads.
  friend constexpr TSet operator+(TSet a, TSet b) { return FromRaw(static_cast<Storage>(a.FBits | b.FBits)); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromRaw(static_cast<Storage>(a.FBits & ~b.FBits)); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromRaw(static_cast<Storage>(a.FBits & b.FBits)); }
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

}  // namespace vx
