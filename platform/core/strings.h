// TStrings, the abstract list of strings with attached objects, and
// TStringList, the stored one (optionally sorted, with change events).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/events.h"
#include "platform/core/persistent.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TStream;

// What Add does with a string a sorted list already holds.
enum TDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
  VX_DECLARE_CLASS(TStrings)
public:
  // The number of lines.
  virtual std::int32_t Count() const = 0;
  // Line Index; outside 0..Count-1 raises the list-index error.
  virtual String Get(std::int32_t Index) const = 0;
  // Replaces line Index, keeping its object.
  virtual void Put(std::int32_t Index, const String& S);
  // The object attached to line Index (nil when the list keeps none).
  virtual TObject* GetObject(std::int32_t Index) const;
  virtual void PutObject(std::int32_t Index, TObject* AObject);
  // Index must lie in 0..Count.
  virtual void Insert(std::int32_t Index, const String& S) = 0;
  // Removes line Index (with its object, which is not freed).
  virtual void Delete(std::int32_t Index) = 0;
  // Removes all lines.
  virtual void Clear() = 0;
  // Appends S; returns its index.
  virtual std::int32_t Add(const String& S);
  // Appends S with an attached object (not owned).
  std::int32_t AddObject(const String& S, TObject* AObject);
  void InsertObject(std::int32_t Index, const String& S, TObject* AObject);
  // Appends every line (with its object) of Strings.
  void AddStrings(const TStrings& Strings);
  // First line equal to S ignoring case (TStringList: as CaseSensitive says); -1 when none.
  virtual std::int32_t IndexOf(const String& S) const;
  // First line whose object is AObject; -1 when none.
  std::int32_t IndexOfObject(const TObject* AObject) const;
  // Swaps two lines with their objects.
  virtual void Exchange(std::int32_t Index1, std::int32_t Index2);
  // Moves a line (with its object) so that it ends at NewIndex.
  void Move(std::int32_t CurIndex, std::int32_t NewIndex);

  // Indexed access by the classic names.
  String Strings(std::int32_t Index) const { return Get(Index); }
  void SetStrings(std::int32_t Index, const String& S) { Put(Index, S); }
  String operator[](std::int32_t Index) const { return Get(Index); }
  TObject* Objects(std::int32_t Index) const { return GetObject(Index); }
  void SetObjects(std::int32_t Index, TObject* AObject) { PutObject(Index, AObject); }

  // All lines, each followed by CR LF.
  String Text() const;
  // Replaces the lines; CR LF, LF and a lone CR all end a line, and a final
  // line end adds no empty line.
  void SetText(const String& Value);

  // Copies the lines and objects of another TStrings; other sources raise EConvertError.
  void Assign(const TPersistent* Source) override;

  // Batches changes: change events fire once, at the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  // Reads the rest of Stream as UTF-8 text (a byte-order mark is skipped); data
  // that is not valid UTF-8 is read as Windows-1252 text instead.
  void LoadFromStream(TStream& Stream);
  // Writes Text as UTF-8 without byte-order mark, lines ending CR LF.
  void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  // Replaces the file only once all was written (the old file survives a failure).
  void SaveToFile(const std::string& FileName) const;

protected:
  // Called with true at the first BeginUpdate and false at the last EndUpdate.
  virtual void SetUpdateState(bool Updating) {}
  std::int32_t UpdateCount() const { return FUpdateCount; }

private:
  std::int32_t FUpdateCount = 0;
};

class TStringList : public TStrings {
  VX_DECLARE_CLASS(TStringList)
public:
  TStringList() = default;
  // Does not free the attached objects.
  ~TStringList() override = default;

  std::int32_t Count() const override { return static_cast<std::int32_t>(FList.size()); }
  String Get(std::int32_t Index) const override;
  // A sorted list refuses Put ("Operation not allowed on sorted list").
  void Put(std::int32_t Index, const String& S) override;
  TObject* GetObject(std::int32_t Index) const override;
  void PutObject(std::int32_t Index, TObject* AObject) override;
  // A sorted list refuses Insert; Add puts the string in order instead.
  void Insert(std::int32_t Index, const String& S) override;
  void Delete(std::int32_t Index) override;
  void Clear() override;
  // Sorted lists: inserted in order; Duplicates decides about equal strings
  // (dupIgnore returns the existing index, dupError raises EListError).
  std::int32_t Add(const String& S) override;
  std::int32_t IndexOf(const String& S) const override;
  void Exchange(std::int32_t Index1, std::int32_t Index2) override;

  // Binary search of a sorted list: true when S is present; Index is its
  // position, or where it would be inserted.
  bool Find(const String& S, std::int32_t& Index) const;
  // Sorts the lines (stable: equal strings keep their order).
  virtual void Sort();

  bool Sorted() const { return FSorted; }
  // Turning sorting on sorts the list at once.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  // Changes how strings compare; a sorted list is sorted again.
  void SetCaseSensitive(bool Value);

  // Fired before and after every change (not inside BeginUpdate/EndUpdate).
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

protected:
  virtual void Changing();
  virtual void Changed();
  void SetUpdateState(bool Updating) override;
  // Negative, zero or positive as S1 sorts before, with or after S2.
  int CompareStrings(const String& S1, const String& S2) const;

private:
  struct TStringItem {
    String FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(std::int32_t Index) const;
  void InsertItem(std::int32_t Index, const String& S, TObject* AObject);

  std::vector<TStringItem> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};

}  // namespace vx::plat
