// TList: the platform's growable list of untyped pointers, the base of the
// library's object lists. Entries may be nil (until Pack removes them).
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/object.h"

namespace vx::plat {

// What happened to a pointer, reported to Notify.
enum TListNotification : std::uint8_t { lnAdded, lnExtracted, lnDeleted };

// The standard messages of list errors; "%d" stands for the offending value.
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";

class TList : public TObject {
  VX_DECLARE_CLASS(TList)
public:
  // The largest count and capacity a list accepts.
  static constexpr std::int32_t MaxListSize = 0x7FFFFFFF / 16;

  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  // Releases the block. Notify is not called from here: a derived list that
  // frees its entries must call Clear in its own destructor.
  ~TList() override;

  std::int32_t Count() const { return FCount; }
  // Growing fills the new entries with nil; shrinking deletes the last
  // entries (Notify lnDeleted for each non-nil one). Outside 0..MaxListSize: count error.
  void SetCount(std::int32_t NewCount);
  std::int32_t Capacity() const { return FCapacity; }
  // Must lie in Count..MaxListSize (else the capacity error); 0 frees the block.
  void SetCapacity(std::int32_t NewCapacity);

  // Entry Index; outside 0..Count-1 raises the index error.
  void* Get(std::int32_t Index) const;
  // Replaces entry Index (Notify: the old one deleted, the new one added).
  void Put(std::int32_t Index, void* Item);
  void* operator[](std::int32_t Index) const { return Get(Index); }

  // Appends Item (growing by Grow when full); returns its index.
  std::int32_t Add(void* Item);
  // Index must lie in 0..Count (Count appends).
  void Insert(std::int32_t Index, void* Item);
  // Removes entry Index; the capacity stays.
  void Delete(std::int32_t Index);
  // Deletes the first entry equal to Item; returns its former index or -1.
  std::int32_t Remove(void* Item);
  // Takes the first entry equal to Item out of the list (Notify lnExtracted);
  // returns Item, or nil when it is not in the list.
  void* Extract(void* Item);
  std::int32_t IndexOf(const void* Item) const;
  void Exchange(std::int32_t Index1, std::int32_t Index2);
  // Moves entry CurIndex so that it ends at NewIndex.
  void Move(std::int32_t CurIndex, std::int32_t NewIndex);
  // Removes every nil entry, keeping the order of the others.
  void Pack();
  // Deletes all entries and frees the block (count and capacity 0).
  virtual void Clear();
  // Grows when the block is full; returns the list.
  TList* Expand();
  // The first or last entry; an empty list raises the index error.
  void* First() const { return Get(0); }
  void* Last() const { return Get(FCount - 1); }

  // The raw block of Count entries (valid until the capacity changes).
  void** List() const { return FList; }
  void** begin() const { return FList; }
  void** end() const { return FList + FCount; }

protected:
  // Enlarges the capacity of a full list: by Capacity/4 above 64 entries, by
  // 16 from 9 to 64, by 4 up to 8 (capacities 4, 8, 12, 28, 44, 60, 76, 95, ...).
  virtual void Grow();
  // An entry was added, extracted or deleted; not called for nil entries.
  virtual void Notify(void* Ptr, TListNotification Action);
  // Raises EListError with Msg, its "%d" replaced by Data. An override that
  // returns is followed by the same error.
  virtual void Error(const std::string& Msg, std::int64_t Data) const;

private:
  [[noreturn]] void Fail(const char* Msg, std::int64_t Data) const;
  void CheckIndex(std::int32_t Index) const;

  void** FList = nullptr;
  std::int32_t FCount = 0;
  std::int32_t FCapacity = 0;
};

// A typed view of TList for lists whose entries all point to T.
template <class T>
class TListOf : public TList {
public:
  // Walks the entries as T pointers (range-for).
  struct Iterator {
    void* const* Pos;
    T* operator*() const { return static_cast<T*>(*Pos); }
    Iterator& operator++() { ++Pos; return *this; }
    bool operator==(const Iterator&) const = default;
  };

  T* Get(std::int32_t Index) const { return static_cast<T*>(TList::Get(Index)); }
  T* operator[](std::int32_t Index) const { return Get(Index); }
  T* First() const { return static_cast<T*>(TList::First()); }
  T* Last() const { return static_cast<T*>(TList::Last()); }
  Iterator begin() const { return Iterator{TList::begin()}; }
  Iterator end() const { return Iterator{TList::end()}; }
};

}  // namespace vx::plat
