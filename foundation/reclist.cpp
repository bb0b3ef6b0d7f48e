#include "foundation/reclist.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "platform/core/exceptions.h"

namespace vx {

VX_DEFINE_CLASS(TRecordList, vx::plat::TObject)

namespace {

constexpr std::int32_t MaxListBytes = std::numeric_limits<std::int32_t>::max();
// Room a stored capacity may reserve beyond the records the stream holds.
constexpr std::int64_t MaxUnbackedReserve = std::int64_t{1} << 20;

struct FreeBlock {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
using BlockPtr = std::unique_ptr<std::uint8_t, FreeBlock>;

std::int32_t MaxCapacityFor(std::uint16_t recSize) { return MaxListBytes / recSize; }

}  // namespace

TRecordList::TRecordList(std::uint16_t RecSize) {
  if (RecSize == 0) throw vx::plat::EListError("A record list needs records of at least 1 byte (record size 0)");
  FRecSize = RecSize;
  FMaxCapacity = MaxCapacityFor(RecSize);
}

TRecordList::TRecordList(vx::plat::TStream& Stream) { Persist(&Stream, pstLoad); }

TRecordList::~TRecordList() { std::free(FList); }

void TRecordList::Error(std::string_view Msg, std::int64_t Data) const {
  std::string text(Msg);
  if (auto at = text.find("%d"); at != std::string::npos) text.replace(at, 2, std::to_string(Data));
  throw vx::plat::EListError(text);
}

void TRecordList::CheckIndex(std::int32_t Index, std::int32_t Limit) const {
  if (Index < 0 || Index >= Limit) Error(SListIndexError, Index);
}

// ---------------------------------------------------------------------------
// Capacity and count

void TRecordList::Grow() {
  const std::int64_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  const std::int64_t wanted = FCapacity + delta;
  // The last step stops at the largest capacity instead of failing early.
  const std::int64_t granted = std::min<std::int64_t>(wanted, FMaxCapacity);
  if (granted <= FCapacity) Error(SListCapacityError, wanted);
  SetCapacity(static_cast<std::int32_t>(granted));
}

void TRecordList::SetCapacity(std::int32_t NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > FMaxCapacity) Error(SListCapacityError, NewCapacity);
  if (NewCapacity == FCapacity) return;
  if (NewCapacity == 0) {
    std::free(FList);
    FList = nullptr;
    FCapacity = 0;
    return;
  }
  // NewCapacity <= FMaxCapacity, so the size stays within Int32.
  const std::size_t bytes = static_cast<std::size_t>(NewCapacity) * FRecSize;
  auto* block = static_cast<std::uint8_t*>(std::realloc(FList, bytes));
  if (!block) throw vx::plat::EOutOfMemory();  // the old block is still ours
  if (NewCapacity > FCapacity) {
    const std::size_t kept = static_cast<std::size_t>(FCapacity) * FRecSize;
    std::memset(block + kept, 0, bytes - kept);
  }
  FList = block;
  FCapacity = NewCapacity;
}

void TRecordList::SetCount(std::int32_t NewCount) {
  if (NewCount < 0 || NewCount > FMaxCapacity) Error(SListCountError, NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > FCount)
    std::memset(RecordAt(FCount), 0, static_cast<std::size_t>(NewCount - FCount) * FRecSize);
  FCount = NewCount;
}

void TRecordList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

TRecordList* TRecordList::Expand() {
  if (FCount == FCapacity) Grow();
  return this;
}

// ---------------------------------------------------------------------------
// Records

std::int32_t TRecordList::Add(const void* Rec) {
  Insert(FCount, Rec);
  return FCount - 1;
}

void TRecordList::Insert(std::int32_t Index, const void* Rec) {
  CheckIndex(Index, FCount + 1);
  // A record taken from this list would move or vanish when the block grows
  // or the tail shifts: copy it out first.
  std::vector<std::uint8_t> held;
  const auto* src = static_cast<const std::uint8_t*>(Rec);
  const std::less<const std::uint8_t*> before{};
  if (FList && !before(src, FList) && before(src, FList + static_cast<std::size_t>(FCapacity) * FRecSize)) {
    held.assign(src, src + FRecSize);
    src = held.data();
  }
  if (FCount == FCapacity) Grow();
  if (FCount >= FCapacity) Error(SListCapacityError, FCount + 1);  // a Grow that did not grow
  if (Index < FCount)
    std::memmove(RecordAt(Index + 1), RecordAt(Index), static_cast<std::size_t>(FCount - Index) * FRecSize);
  std::memcpy(RecordAt(Index), src, FRecSize);
  ++FCount;
}

void TRecordList::Delete(std::int32_t Index) {
  CheckIndex(Index, FCount);
  --FCount;
  if (Index < FCount)
    std::memmove(RecordAt(Index), RecordAt(Index + 1), static_cast<std::size_t>(FCount - Index) * FRecSize);
}

void TRecordList::Exchange(std::int32_t Index1, std::int32_t Index2) {
  CheckIndex(Index1, FCount);
  CheckIndex(Index2, FCount);
  if (Index1 == Index2) return;
  std::vector<std::uint8_t> temp(RecordAt(Index1), RecordAt(Index1) + FRecSize);
  std::memcpy(RecordAt(Index1), RecordAt(Index2), FRecSize);
  std::memcpy(RecordAt(Index2), temp.data(), FRecSize);
}

void TRecordList::Move(std::int32_t CurIndex, std::int32_t NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(NewIndex, FCount);
  const auto* current = static_cast<const std::uint8_t*>(Get(CurIndex));
  std::vector<std::uint8_t> temp(current, current + FRecSize);
  Delete(CurIndex);
  Insert(NewIndex, temp.data());
}

void* TRecordList::Get(std::int32_t Index) const {
  CheckIndex(Index, FCount);
  return RecordAt(Index);
}

void TRecordList::GetRecord(std::int32_t Index, void* Rec) const { std::memcpy(Rec, Get(Index), FRecSize); }

void TRecordList::First(void* Rec) const { GetRecord(0, Rec); }

void TRecordList::Last(void* Rec) const { GetRecord(FCount - 1, Rec); }

std::int32_t TRecordList::IndexOf(const void* Rec) const {
  for (std::int32_t i = 0; i < FCount; ++i)
    if (std::memcmp(RecordAt(i), Rec, FRecSize) == 0) return i;
  return -1;
}

std::int32_t TRecordList::Find(TFindFunc Func, void* Param) {
  if (!Func) return -1;
  for (std::int32_t i = 0; i < FCount; ++i)
    if (Func(RecordAt(i), Param)) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// Streams

void TRecordList::SaveToStream(vx::plat::TStream& Stream) const {
  Stream.WriteValue<std::int32_t>(FCount);
  if (FCount <= 0) return;
  Stream.WriteValue<std::int32_t>(FCapacity);
  Stream.WriteBuffer(FList, std::int64_t{FCount} * FRecSize);
}

void TRecordList::LoadFromStream(vx::plat::TStream& Stream) { LoadImage(Stream, FRecSize); }

void TRecordList::LoadImage(vx::plat::TStream& Stream, std::uint16_t recSize) {
  const std::int32_t maxCapacity = MaxCapacityFor(recSize);
  const auto count = Stream.ReadValue<std::int32_t>();
  if (count < 0) Error(SListCountError, count);
  if (count == 0) {
    // The block stays, unless it was made for records of another size.
    if (recSize == FRecSize)
      FCount = 0;
    else
      Adopt(nullptr, recSize, 0, 0);
    return;
  }
  const auto capacity = Stream.ReadValue<std::int32_t>();
  if (capacity < count || capacity > maxCapacity) Error(SListCapacityError, capacity);
  const std::int64_t bytes = std::int64_t{count} * recSize;  // <= capacity * recSize <= Int32 max
  if (bytes > Stream.Remaining())
    throw vx::plat::EReadError("Stream read error: a record list of " + std::to_string(count) + " records of " +
                               std::to_string(recSize) + " bytes is longer than the remaining data");

  const bool hintIsModest = std::int64_t{capacity - count} * recSize <= MaxUnbackedReserve;
  const std::int32_t kept = hintIsModest ? capacity : count;
  const std::size_t blockBytes = static_cast<std::size_t>(kept) * recSize;
  BlockPtr block(static_cast<std::uint8_t*>(std::malloc(blockBytes)));
  if (!block) throw vx::plat::EOutOfMemory();
  std::memset(block.get() + bytes, 0, blockBytes - static_cast<std::size_t>(bytes));
  Stream.ReadBuffer(block.get(), bytes);
  Adopt(block.release(), recSize, count, kept);
}

void TRecordList::Adopt(std::uint8_t* block, std::uint16_t recSize, std::int32_t count, std::int32_t capacity) {
  std::free(FList);
  FList = block;
  FRecSize = recSize;
  FMaxCapacity = MaxCapacityFor(recSize);
  FCount = count;
  FCapacity = capacity;
}

void TRecordList::Persist(vx::plat::TStream* Stream, TPstMode Mode) {
  switch (Mode) {
    case pstSave:
    case pstCopy:
      if (!Stream) throw vx::plat::EWriteError("Stream write error: no stream to save the record list to");
      Stream->WriteValue<std::uint16_t>(FRecSize);
      SaveToStream(*Stream);
      break;
    case pstLoad:
    case pstPaste: {
      if (!Stream) throw vx::plat::EReadError("Stream read error: no stream to load the record list from");
      const auto recSize = Stream->ReadValue<std::uint16_t>();
      if (recSize == 0) throw vx::plat::EReadError("Stream read error: a record list with records of 0 bytes");
      LoadImage(*Stream, recSize);
      break;
    }
    case pstConnect:
    case pstConnectCopy:
      break;
  }
}

}  // namespace vx
