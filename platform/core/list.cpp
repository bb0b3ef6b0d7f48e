#include "platform/core/list.h"

#include <cstdlib>
#include <cstring>

namespace vx::plat {

VX_DEFINE_CLASS(TList, TObject)

TList::~TList() { std::free(FList); }

namespace {

std::string FormatListError(const std::string& Msg, std::int64_t Data) {
  std::string text = Msg;
  auto at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(Data));
  return text;
}

}  // namespace

void TList::Error(const std::string& Msg, std::int64_t Data) const {
  throw EListError(FormatListError(Msg, Data));
}

void TList::Fail(const char* Msg, std::int64_t Data) const {
  Error(Msg, Data);
  // An override returned: the list must not go on with a bad value.
  throw EListError(FormatListError(Msg, Data));
}

void TList::CheckIndex(std::int32_t Index) const {
  if (Index < 0 || Index >= FCount) Fail(SListIndexError, Index);
}

void TList::SetCapacity(std::int32_t NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > MaxListSize) Fail(SListCapacityError, NewCapacity);
  if (NewCapacity == FCapacity) return;
  if (NewCapacity == 0) {
    std::free(FList);
    FList = nullptr;
  } else {
    void* block = std::realloc(FList, static_cast<std::size_t>(NewCapacity) * sizeof(void*));
    if (!block) throw EOutOfMemory();
    FList = static_cast<void**>(block);
  }
  FCapacity = NewCapacity;
}

void TList::SetCount(std::int32_t NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) Fail(SListCountError, NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > FCount) {
    std::memset(FList + FCount, 0, static_cast<std::size_t>(NewCount - FCount) * sizeof(void*));
    FCount = NewCount;
    return;
  }
  for (std::int32_t i = FCount - 1; i >= NewCount; --i) Delete(i);
}

void* TList::Get(std::int32_t Index) const {
  CheckIndex(Index);
  return FList[Index];
}

void TList::Put(std::int32_t Index, void* Item) {
  CheckIndex(Index);
  void* old = FList[Index];
  if (old == Item) return;
  FList[Index] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

std::int32_t TList::Add(void* Item) {
  std::int32_t index = FCount;
  if (FCount == FCapacity) Grow();
  FList[index] = Item;
  ++FCount;
  if (Item) Notify(Item, lnAdded);
  return index;
}

void TList::Insert(std::int32_t Index, void* Item) {
  if (Index < 0 || Index > FCount) Fail(SListIndexError, Index);
  if (FCount == FCapacity) Grow();
  std::memmove(FList + Index + 1, FList + Index, static_cast<std::size_t>(FCount - Index) * sizeof(void*));
  FList[Index] = Item;
  ++FCount;
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(std::int32_t Index) {
  CheckIndex(Index);
  void* item = FList[Index];
  --FCount;
  std::memmove(FList + Index, FList + Index + 1, static_cast<std::size_t>(FCount - Index) * sizeof(void*));
  if (item) Notify(item, lnDeleted);
}

std::int32_t TList::Remove(void* Item) {
  std::int32_t index = IndexOf(Item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* Item) {
  std::int32_t index = IndexOf(Item);
  if (index < 0) return nullptr;
  --FCount;
  std::memmove(FList + index, FList + index + 1, static_cast<std::size_t>(FCount - index) * sizeof(void*));
  if (Item) Notify(Item, lnExtracted);
  return Item;
}

std::int32_t TList::IndexOf(const void* Item) const {
  for (std::int32_t i = 0; i < FCount; ++i)
    if (FList[i] == Item) return i;
  return -1;
}

void TList::Exchange(std::int32_t Index1, std::int32_t Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(std::int32_t CurIndex, std::int32_t NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(NewIndex);
  void* item = Get(CurIndex);
  if (CurIndex < NewIndex)
    std::memmove(FList + CurIndex, FList + CurIndex + 1, static_cast<std::size_t>(NewIndex - CurIndex) * sizeof(void*));
  else
    std::memmove(FList + NewIndex + 1, FList + NewIndex, static_cast<std::size_t>(CurIndex - NewIndex) * sizeof(void*));
  FList[NewIndex] = item;
}

void TList::Pack() {
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < FCount; ++i)
    if (FList[i]) FList[kept++] = FList[i];
  FCount = kept;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

TList* TList::Expand() {
  if (FCount == FCapacity) Grow();
  return this;
}

void TList::Grow() {
  std::int32_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + delta);
}

void TList::Notify(void* Ptr, TListNotification Action) {}

}  // namespace vx::plat
