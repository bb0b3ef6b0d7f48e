#include "platform/core/strings.h"

#include <algorithm>

#include "platform/core/stream.h"

namespace vx::plat {

VX_DEFINE_CLASS(TStrings, TPersistent)
VX_DEFINE_CLASS(TStringList, TStrings)

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t cp;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
    else return false;
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    i += extra + 1;
  }
  return true;
}

// Restores the update count when an exception leaves a batch.
class TUpdateGuard {
public:
  explicit TUpdateGuard(TStrings& s) : FStrings(s) { FStrings.BeginUpdate(); }
  ~TUpdateGuard() { FStrings.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TStrings& FStrings;
};

}  // namespace

// --- TStrings ---------------------------------------------------------------

void TStrings::Put(std::int32_t Index, const String& S) {
  TObject* object = GetObject(Index);
  TUpdateGuard batch(*this);
  Delete(Index);
  InsertObject(Index, S, object);
}

TObject* TStrings::GetObject(std::int32_t Index) const { return nullptr; }

void TStrings::PutObject(std::int32_t Index, TObject* AObject) {}

std::int32_t TStrings::Add(const String& S) {
  std::int32_t index = Count();
  Insert(index, S);
  return index;
}

std::int32_t TStrings::AddObject(const String& S, TObject* AObject) {
  std::int32_t index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::InsertObject(std::int32_t Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Strings) {
  TUpdateGuard batch(*this);
  for (std::int32_t i = 0; i < Strings.Count(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
}

std::int32_t TStrings::IndexOf(const String& S) const {
  for (std::int32_t i = 0; i < Count(); ++i)
    if (SameText(Get(i), S)) return i;
  return -1;
}

std::int32_t TStrings::IndexOfObject(const TObject* AObject) const {
  for (std::int32_t i = 0; i < Count(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::Exchange(std::int32_t Index1, std::int32_t Index2) {
  TUpdateGuard batch(*this);
  String s1 = Get(Index1), s2 = Get(Index2);
  TObject* o1 = GetObject(Index1);
  TObject* o2 = GetObject(Index2);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(std::int32_t CurIndex, std::int32_t NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) ListIndexError(NewIndex);
  TUpdateGuard batch(*this);
  String s = Get(CurIndex);
  TObject* object = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, object);
}

String TStrings::Text() const {
  String text;
  for (std::int32_t i = 0; i < Count(); ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  return text;
}

void TStrings::SetText(const String& Value) {
  TUpdateGuard batch(*this);
  Clear();
  std::size_t start = 0;
  while (start < Value.size()) {
    std::size_t end = Value.find_first_of(u"\r\n", start);
    if (end == String::npos) {
      Add(Value.substr(start));
      break;
    }
    Add(Value.substr(start, end - start));
    start = end + 1;
    if (Value[end] == u'\r' && start < Value.size() && Value[start] == u'\n') ++start;
  }
}

void TStrings::Assign(const TPersistent* Source) {
  if (auto* other = dynamic_cast<const TStrings*>(Source)) {
    if (other == this) return;
    TUpdateGuard batch(*this);
    Clear();
    AddStrings(*other);
    return;
  }
  TPersistent::Assign(Source);
}

// The state changes while the count is 0, so that TStringList fires
// OnChanging at the first BeginUpdate and OnChange at the last EndUpdate.
void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& Stream) {
  std::string bytes(static_cast<std::size_t>(Stream.Remaining()), '\0');
  Stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::string_view view(bytes);
  if (view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
  SetText(IsValidUtf8(view) ? Utf8ToString(view) : AnsiToString(view));
}

void TStrings::SaveToStream(TStream& Stream) const {
  std::string bytes = StringToUtf8(Text());
  Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead);
  LoadFromStream(file);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TSafeFileStream file(FileName);
  SaveToStream(file);
  file.Commit();
}

// --- TStringList ------------------------------------------------------------

namespace {

constexpr const char* SSortedListError = "Operation not allowed on sorted list";
constexpr const char* SDuplicateString = "String list does not allow duplicates";

}  // namespace

void TStringList::CheckIndex(std::int32_t Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

String TStringList::Get(std::int32_t Index) const {
  CheckIndex(Index);
  return FList[static_cast<std::size_t>(Index)].FString;
}

void TStringList::Put(std::int32_t Index, const String& S) {
  if (FSorted) throw EListError(SSortedListError);
  CheckIndex(Index);
  Changing();
  FList[static_cast<std::size_t>(Index)].FString = S;
  Changed();
}

TObject* TStringList::GetObject(std::int32_t Index) const {
  CheckIndex(Index);
  return FList[static_cast<std::size_t>(Index)].FObject;
}

void TStringList::PutObject(std::int32_t Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<std::size_t>(Index)].FObject = AObject;
  Changed();
}

void TStringList::Insert(std::int32_t Index, const String& S) {
  if (FSorted) throw EListError(SSortedListError);
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(std::int32_t Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Delete(std::int32_t Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

std::int32_t TStringList::Add(const String& S) {
  if (!FSorted) {
    std::int32_t index = Count();
    InsertItem(index, S, nullptr);
    return index;
  }
  std::int32_t index;
  if (Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError(SDuplicateString);
    // dupAccept: after the equal strings already present
    while (index < Count() && CompareStrings(FList[static_cast<std::size_t>(index)].FString, S) == 0) ++index;
  }
  InsertItem(index, S, nullptr);
  return index;
}

std::int32_t TStringList::IndexOf(const String& S) const {
  if (FSorted) {
    std::int32_t index;
    return Find(S, index) ? index : -1;
  }
  for (std::int32_t i = 0; i < Count(); ++i)
    if (CompareStrings(FList[static_cast<std::size_t>(i)].FString, S) == 0) return i;
  return -1;
}

void TStringList::Exchange(std::int32_t Index1, std::int32_t Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
  Changed();
}

// Finds the first of equal strings, so that IndexOf answers as an unsorted search would.
bool TStringList::Find(const String& S, std::int32_t& Index) const {
  auto it = std::lower_bound(FList.begin(), FList.end(), S, [this](const TStringItem& item, const String& key) {
    return CompareStrings(item.FString, key) < 0;
  });
  Index = static_cast<std::int32_t>(it - FList.begin());
  return it != FList.end() && CompareStrings(it->FString, S) == 0;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FList.begin(), FList.end(), [this](const TStringItem& a, const TStringItem& b) {
    return CompareStrings(a.FString, b.FString) < 0;
  });
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

int TStringList::CompareStrings(const String& S1, const String& S2) const {
  if (!FCaseSensitive) return CompareText(S1, S2);
  return S1.compare(S2) < 0 ? -1 : S1 == S2 ? 0 : 1;
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

}  // namespace vx::plat
