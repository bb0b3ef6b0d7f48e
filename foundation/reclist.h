// TRecordList: a growable array of fixed-size records in one contiguous heap
// block. The record size is chosen per list, so one class holds points, line
// breaks or the identity table of a paste. Records are copied in and out by
// value and never interpreted. A list writes itself to a stream and reads
// itself back through the persistence modes drawing objects use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/vxtypes.h"
#include "platform/core/object.h"
#include "platform/core/stream.h"

namespace vx {

// The list error messages; %d is replaced by the offending value. They are
// the platform's standard texts for the three kinds of bound.
inline constexpr std::string_view SListIndexError = "List index out of bounds (%d)";
inline constexpr std::string_view SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr std::string_view SListCountError = "List count out of bounds (%d)";

// Find's test of one record: true stops the search. It may change the record
// and the memory Param points to (a paste hands the match back that way).
using TFindFunc = bool (*)(void* Rec, void* Param);

class TRecordList : public vx::plat::TObject {
  VX_DECLARE_CLASS(TRecordList)
public:
  // An empty list of RecSize-byte records (no block yet). RecSize 0 raises
  // EListError: a list needs records of at least one byte.
  explicit TRecordList(std::uint16_t RecSize);
  // A list read from Stream as Persist(pstLoad) reads it: record size, then
  // the records. A descendant that overrides Persist reads in its own
  // constructor instead, since a base constructor calls the base Persist.
  explicit TRecordList(vx::plat::TStream& Stream);
  ~TRecordList() override;
  TRecordList(const TRecordList&) = delete;
  TRecordList& operator=(const TRecordList&) = delete;

  // Appends a copy of the RecSize bytes at Rec; returns its index. Rec may
  // point into this list.
  std::int32_t Add(const void* Rec);
  // Inserts a copy of the record at Rec before record Index; Index = Count
  // appends. Index outside 0 .. Count raises the list-index error.
  void Insert(std::int32_t Index, const void* Rec);
  // Removes record Index; the capacity stays.
  void Delete(std::int32_t Index);
  // Swaps two records; both indices are checked, Index1 first.
  void Exchange(std::int32_t Index1, std::int32_t Index2);
  // Moves the record at CurIndex so that it ends up at NewIndex.
  void Move(std::int32_t CurIndex, std::int32_t NewIndex);
  // The address of record Index; valid until the capacity next changes.
  void* Get(std::int32_t Index) const;
  // Copies record Index into Rec (RecSize bytes).
  void GetRecord(std::int32_t Index, void* Rec) const;
  // Copies the first record into Rec; an empty list raises the list-index error.
  void First(void* Rec) const;
  // Copies the last record into Rec; an empty list raises the list-index error.
  void Last(void* Rec) const;
  // The first index whose record equals the RecSize bytes at Rec byte for byte; -1 if none.
  std::int32_t IndexOf(const void* Rec) const;
  // The first index for which Func(record, Param) is true; -1 if none, for
  // an empty list (Func not called) and for a missing Func.
  std::int32_t Find(TFindFunc Func, void* Param);
  // Grows the block if it is full; returns the list itself.
  TRecordList* Expand();
  // Removes every record and releases the block.
  void Clear();

  // Writes count, then (when count > 0) capacity and the records.
  void SaveToStream(vx::plat::TStream& Stream) const;
  // Reads what SaveToStream wrote, in this list's record size. A corrupt or
  // truncated image raises the list error or EReadError and leaves the list
  // as it was; nothing is allocated before the image is checked. The stored
  // capacity is a growth hint: it is kept when it reserves at most 1 MiB
  // beyond the stored records, otherwise the capacity becomes the count, so a
  // hostile capacity cannot reserve gigabytes. A stored count of 0 empties
  // the list and keeps its block (Persist releases it when the stored record
  // size differs, since the block was made for records of the old size).
  void LoadFromStream(vx::plat::TStream& Stream);

  std::int32_t Count() const { return FCount; }
  // Sets the number of records; new records are all zero bytes. NewCount
  // outside 0 .. MaxCapacity raises the list-count error.
  void SetCount(std::int32_t NewCount);
  std::int32_t Capacity() const { return FCapacity; }
  // Reallocates the block for NewCapacity records, keeping them; 0 releases
  // it. NewCapacity outside Count .. MaxCapacity raises the list-capacity
  // error; running out of memory raises EOutOfMemory.
  void SetCapacity(std::int32_t NewCapacity);
  std::uint16_t RecSize() const { return FRecSize; }
  // The largest capacity: 2147483647 div RecSize.
  std::int32_t MaxCapacity() const { return FMaxCapacity; }

  // Enlarges the block when an append finds it full: by a quarter above 64
  // records, by 16 from 9 to 64, by 4 up to 8 (4, 8, 12, 28, 44, 60, 76, 95,
  // ...), never beyond MaxCapacity.
  virtual void Grow();
  // Writes (pstSave, pstCopy) the record size and SaveToStream's image, or
  // reads (pstLoad, pstPaste) them back; pstConnect and pstConnectCopy do
  // nothing and take no stream. A corrupt image leaves the list as it was,
  // record size included.
  virtual void Persist(vx::plat::TStream* Stream, TPstMode Mode);
  // Raises EListError with Msg, its %d replaced by Data.
  [[noreturn]] virtual void Error(std::string_view Msg, std::int64_t Data) const;

protected:
  std::uint8_t* FList = nullptr;  // FCapacity records of FRecSize bytes; 0 .. FCount-1 valid
  std::uint16_t FRecSize = 0;
  std::int32_t FCount = 0;
  std::int32_t FCapacity = 0;
  std::int32_t FMaxCapacity = 0;

  std::uint8_t* RecordAt(std::int32_t Index) const { return FList + static_cast<std::size_t>(Index) * FRecSize; }
  void CheckIndex(std::int32_t Index, std::int32_t Limit) const;

private:
  // Reads a SaveToStream image for records of recSize bytes and, only when it
  // is whole and sound, replaces the list with it.
  void LoadImage(vx::plat::TStream& Stream, std::uint16_t recSize);
  void Adopt(std::uint8_t* block, std::uint16_t recSize, std::int32_t count, std::int32_t capacity);
};

}  // namespace vx
