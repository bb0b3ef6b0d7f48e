#include "foundation/reclist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

using namespace vx;
using vx::plat::EListError;
using vx::plat::EReadError;
using vx::plat::TMemoryStream;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Everything a caller can observe of a list.
struct Snapshot {
  std::uint16_t recSize;
  std::int32_t count, capacity, maxCapacity;
  Bytes records;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Snap(const TRecordList& list) {
  Bytes records;
  for (std::int32_t i = 0; i < list.Count(); ++i) {
    const auto* p = static_cast<const std::uint8_t*>(list.Get(i));
    records.insert(records.end(), p, p + list.RecSize());
  }
  return {list.RecSize(), list.Count(), list.Capacity(), list.MaxCapacity(), records};
}

std::int32_t IntAt(const TRecordList& list, std::int32_t i) {
  std::int32_t v;
  list.GetRecord(i, &v);
  return v;
}

std::vector<std::int32_t> Ints(const TRecordList& list) {
  std::vector<std::int32_t> out;
  for (std::int32_t i = 0; i < list.Count(); ++i) out.push_back(IntAt(list, i));
  return out;
}

// A list of Int32 records holding the given values.
void Fill(TRecordList& list, std::initializer_list<std::int32_t> values) {
  for (std::int32_t v : values) list.Add(&v);
}

TMemoryStream StreamOf(const Bytes& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  return s;
}

std::string MessageOf(const std::function<void()>& raise) {
  try {
    raise();
  } catch (const vx::plat::Exception& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

}  // namespace

TEST(RecordList, RecordSizeZeroIsRefused) { EXPECT_THROW(TRecordList(0), EListError); }

TEST(RecordList, MaxCapacityIsMaxIntDivRecordSize) {
  const std::pair<std::uint16_t, std::int32_t> table[] = {
      {1, 2147483647}, {2, 1073741823}, {6, 357913941}, {8, 268435455}, {65535, 32768}};
  for (auto [recSize, max] : table) EXPECT_EQ(TRecordList(recSize).MaxCapacity(), max) << recSize;
}

TEST(RecordList, GrowthRunsFourEightTwelveThenSixteensThenQuarters) {
  TRecordList list(8);
  EXPECT_EQ(list.Capacity(), 0);
  std::vector<std::int32_t> capacities;
  const std::uint64_t rec = 0x0102030405060708ULL;
  for (int i = 0; i < 96; ++i) {
    list.Add(&rec);
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
  EXPECT_EQ(list.Count(), 96);
}

TEST(RecordList, AddAndInsertPlaceRecordsByIndex) {
  TRecordList list(4);
  Fill(list, {1, 2, 3});
  std::int32_t v = 9;
  list.Insert(list.Count(), &v);  // appends
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{1, 2, 3, 9}));
  v = 8;
  list.Insert(list.Count() - 1, &v);  // before the last
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{1, 2, 3, 8, 9}));
  v = 0;
  list.Insert(0, &v);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{0, 1, 2, 3, 8, 9}));
  v = 7;
  EXPECT_EQ(list.Add(&v), 6);
}

TEST(RecordList, RecordsTakenFromTheListItselfSurviveGrowthAndShifts) {
  TRecordList list(4);
  Fill(list, {10, 20, 30, 40});
  ASSERT_EQ(list.Capacity(), list.Count());  // the next append reallocates
  list.Add(list.Get(0));
  list.Insert(0, list.Get(2));
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{30, 10, 20, 30, 40, 10}));
}

TEST(RecordList, DeleteExchangeAndMove) {
  TRecordList list(4);
  Fill(list, {1, 2, 3, 4, 5});
  const std::int32_t capacity = list.Capacity();
  list.Delete(1);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{1, 3, 4, 5}));
  EXPECT_EQ(list.Capacity(), capacity);
  list.Exchange(0, 3);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{5, 3, 4, 1}));
  list.Move(0, list.Count() - 1);  // the first to the end
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{3, 4, 1, 5}));
  list.Move(3, 0);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{5, 3, 4, 1}));
  list.Move(2, 2);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{5, 3, 4, 1}));
  std::int32_t first = 0, last = 0;
  list.First(&first);
  list.Last(&last);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(last, 1);
}

TEST(RecordList, SetCountFillsNewRecordsWithZeros) {
  TRecordList list(4);
  list.SetCount(3);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{0, 0, 0}));
  const std::int32_t capacity = list.Capacity();
  std::int32_t v = 77;
  std::memcpy(list.Get(0), &v, 4);
  std::memcpy(list.Get(2), &v, 4);
  list.SetCount(1);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{77}));
  EXPECT_EQ(list.Capacity(), capacity);
  list.SetCount(3);  // the old third record does not come back
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{77, 0, 0}));
}

TEST(RecordList, SetCapacityKeepsRecordsAndClearReleases) {
  TRecordList list(4);
  Fill(list, {1, 2, 3});
  void* block = list.Get(0);
  list.SetCapacity(list.Capacity());  // nothing happens
  EXPECT_EQ(list.Get(0), block);
  list.SetCapacity(100);
  EXPECT_EQ(list.Capacity(), 100);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{1, 2, 3}));
  list.SetCapacity(3);
  EXPECT_EQ(Ints(list), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(list.Expand(), &list);  // full: grows
  EXPECT_EQ(list.Capacity(), 7);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(RecordList, IndexOfMatchesWholeRecordsByteForByte) {
  TRecordList list(4);
  const std::uint8_t leadingZeros[4] = {0, 0, 5, 0};
  const std::uint8_t allZero[4] = {0, 0, 0, 0};
  const std::uint8_t other[4] = {0, 0, 0, 9};
  list.Add(leadingZeros);
  list.Add(allZero);
  EXPECT_EQ(list.IndexOf(allZero), 1);
  EXPECT_EQ(list.IndexOf(leadingZeros), 0);
  EXPECT_EQ(list.IndexOf(other), -1);
}

namespace {
int gFindCalls = 0;
bool MatchAndHandBack(void* rec, void* param) {
  ++gFindCalls;
  auto* wanted = static_cast<std::int32_t*>(param);
  std::int32_t v;
  std::memcpy(&v, rec, 4);
  if (v != wanted[0]) return false;
  wanted[1] = v * 10;  // hands the match back through Param
  return true;
}
}  // namespace

TEST(RecordList, FindStopsAtTheFirstMatchAndSkipsEmptyLists) {
  TRecordList list(4);
  std::int32_t param[2] = {3, 0};
  gFindCalls = 0;
  EXPECT_EQ(list.Find(&MatchAndHandBack, param), -1);
  EXPECT_EQ(gFindCalls, 0);
  Fill(list, {1, 3, 3, 4});
  EXPECT_EQ(list.Find(&MatchAndHandBack, param), 1);
  EXPECT_EQ(gFindCalls, 2);
  EXPECT_EQ(param[1], 30);
  param[0] = 99;
  EXPECT_EQ(list.Find(&MatchAndHandBack, param), -1);
  EXPECT_EQ(list.Find(nullptr, param), -1);
}

// ---------------------------------------------------------------------------
// Errors

struct ErrorCase {
  const char* what;
  std::function<void(TRecordList&)> call;
  std::string message;
};

TEST(RecordList, EveryBoundRaisesItsListErrorWithTheValueAndChangesNothing) {
  const ErrorCase table[] = {
      {"Insert beyond Count", [](TRecordList& l) { std::int32_t v = 0; l.Insert(4, &v); }, "List index out of bounds (4)"},
      {"Insert before 0", [](TRecordList& l) { std::int32_t v = 0; l.Insert(-1, &v); }, "List index out of bounds (-1)"},
      {"Delete at Count", [](TRecordList& l) { l.Delete(3); }, "List index out of bounds (3)"},
      {"Delete before 0", [](TRecordList& l) { l.Delete(-1); }, "List index out of bounds (-1)"},
      {"Get at Count", [](TRecordList& l) { l.Get(3); }, "List index out of bounds (3)"},
      {"GetRecord before 0", [](TRecordList& l) { std::int32_t v; l.GetRecord(-2, &v); }, "List index out of bounds (-2)"},
      {"Exchange, second bad", [](TRecordList& l) { l.Exchange(0, 5); }, "List index out of bounds (5)"},
      {"Exchange, both bad: first named", [](TRecordList& l) { l.Exchange(7, 9); }, "List index out of bounds (7)"},
      {"Move to Count", [](TRecordList& l) { l.Move(0, 3); }, "List index out of bounds (3)"},
      {"Move from Count", [](TRecordList& l) { l.Move(5, 1); }, "List index out of bounds (5)"},
      {"Move, both bad: target named", [](TRecordList& l) { l.Move(5, 7); }, "List index out of bounds (7)"},
      {"SetCapacity below Count", [](TRecordList& l) { l.SetCapacity(2); }, "List capacity out of bounds (2)"},
      {"SetCapacity above the maximum", [](TRecordList& l) { l.SetCapacity(536870912); },
       "List capacity out of bounds (536870912)"},
      {"SetCount negative", [](TRecordList& l) { l.SetCount(-1); }, "List count out of bounds (-1)"},
      {"SetCount above the maximum", [](TRecordList& l) { l.SetCount(536870912); },
       "List count out of bounds (536870912)"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TRecordList list(4);
    Fill(list, {1, 2, 3});
    const Snapshot before = Snap(list);
    EXPECT_THROW(row.call(list), EListError);
    EXPECT_EQ(MessageOf([&] { row.call(list); }), row.message);
    EXPECT_EQ(Snap(list), before);
  }
}

TEST(RecordList, FirstAndLastOfAnEmptyListAreIndexErrors) {
  TRecordList list(4);
  std::int32_t v;
  EXPECT_EQ(MessageOf([&] { list.First(&v); }), "List index out of bounds (0)");
  EXPECT_EQ(MessageOf([&] { list.Last(&v); }), "List index out of bounds (-1)");
}

TEST(RecordList, MessagesAreThePlatformsListMessages) {
  TRecordList list(4);
  EXPECT_EQ(MessageOf([&] { list.Delete(12); }), MessageOf([] { vx::plat::ListIndexError(12); }));
  EXPECT_EQ(MessageOf([&] { list.SetCapacity(-3); }), MessageOf([] { vx::plat::ListCapacityError(-3); }));
  EXPECT_EQ(MessageOf([&] { list.SetCount(-3); }), MessageOf([] { vx::plat::ListCountError(-3); }));
}

// ---------------------------------------------------------------------------
// Stream image

TEST(RecordList, PersistWritesRecordSizeCountCapacityAndRecords) {
  TRecordList list(6);
  const std::uint8_t a[6] = {1, 2, 3, 4, 5, 6}, b[6] = {7, 8, 9, 10, 11, 12}, c[6] = {0xFF, 0, 0, 0, 0, 0xEE};
  list.Add(a);
  list.Add(b);
  list.Add(c);
  TMemoryStream s;
  list.Persist(&s, pstSave);
  Bytes expected = {6, 0, 3, 0, 0, 0, 4, 0, 0, 0};
  for (const auto* r : {a, b, c}) expected.insert(expected.end(), r, r + 6);
  EXPECT_EQ(s.Bytes(), expected);

  // Read back into a list of another record size: everything comes back.
  TRecordList other(2);
  const std::uint16_t junk = 0xABCD;
  other.Add(&junk);
  s.SetPosition(0);
  other.Persist(&s, pstLoad);
  EXPECT_EQ(Snap(other), Snap(list));
  EXPECT_EQ(s.GetPosition(), s.GetSize());

  // pstCopy writes the same bytes; the constructor from a stream reads them.
  TMemoryStream copy;
  list.Persist(&copy, pstCopy);
  EXPECT_EQ(copy.Bytes(), expected);
  copy.SetPosition(0);
  TRecordList fromStream(copy);
  EXPECT_EQ(Snap(fromStream), Snap(list));
}

TEST(RecordList, EmptyListPersistsAsSixBytes) {
  TRecordList list(8);
  TMemoryStream s;
  list.Persist(&s, pstSave);
  EXPECT_EQ(s.Bytes(), (Bytes{8, 0, 0, 0, 0, 0}));

  TRecordList target(2);
  const std::uint16_t r = 5;
  for (int i = 0; i < 4; ++i) target.Add(&r);
  s.SetPosition(0);
  target.Persist(&s, pstPaste);
  EXPECT_EQ(target.RecSize(), 8);
  EXPECT_EQ(target.Count(), 0);
  EXPECT_EQ(target.MaxCapacity(), 268435455);
  EXPECT_EQ(target.Capacity(), 0);  // the old block was made for 2-byte records
  // The old 8-byte block cannot hold 8-byte records: appending must still work.
  for (std::uint64_t v = 1; v <= 5; ++v) target.Add(&v);
  std::uint64_t back = 0;
  target.Last(&back);
  EXPECT_EQ(back, 5u);
}

TEST(RecordList, LoadingACountOfZeroKeepsTheBlock) {
  TRecordList list(4);
  Fill(list, {1, 2, 3});
  TMemoryStream s = StreamOf({0, 0, 0, 0});
  list.LoadFromStream(s);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 4);
}

TEST(RecordList, ConnectModesNeedNoStream) {
  TRecordList list(4);
  Fill(list, {1});
  const Snapshot before = Snap(list);
  list.Persist(nullptr, pstConnect);
  list.Persist(nullptr, pstConnectCopy);
  EXPECT_EQ(Snap(list), before);
}

TEST(RecordList, StoredCapacityIsAHintThatCannotReserveGigabytes) {
  // One record of one byte claiming room for 2147483647.
  TMemoryStream hostile = StreamOf({1, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x42});
  TRecordList list(1);
  list.Persist(&hostile, pstLoad);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Capacity(), 1);
  EXPECT_EQ(*static_cast<std::uint8_t*>(list.Get(0)), 0x42);

  TMemoryStream modest = StreamOf({1, 0, 1, 0, 0, 0, 10, 0, 0, 0, 0x42});
  list.Persist(&modest, pstLoad);
  EXPECT_EQ(list.Capacity(), 10);
}

struct CorruptImage {
  const char* what;
  Bytes image;
  bool withRecordSize;  // Persist image, or LoadFromStream image
  bool listError;       // EListError, else EReadError
  std::string message;  // checked when not empty
};

TEST(RecordList, CorruptOrTruncatedImagesRaiseAndLeaveTheListAsItWas) {
  const CorruptImage table[] = {
      {"empty stream", {}, true, false, ""},
      {"record size cut off", {4}, true, false, ""},
      {"record size 0", {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 9}, true, false, ""},
      {"count cut off", {4, 0, 3, 0}, true, false, ""},
      {"negative count", {4, 0, 0xFF, 0xFF, 0xFF, 0xFF}, true, true, "List count out of bounds (-1)"},
      {"capacity cut off", {4, 0, 3, 0, 0, 0}, true, false, ""},
      {"capacity below count", {4, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}, true, true,
       "List capacity out of bounds (2)"},
      {"capacity above the maximum", {0, 1, 1, 0, 0, 0, 0, 0, 0x80, 0}, true, true,
       "List capacity out of bounds (8388608)"},
      {"count times size beyond Int32", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}, true, true, ""},
      {"records beyond the data", {4, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}, true, false, ""},
      {"huge count, little data", {1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}, true, false, ""},
      {"block: negative count", {0xFE, 0xFF, 0xFF, 0xFF}, false, true, "List count out of bounds (-2)"},
      {"block: capacity below count", {2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}, false, true,
       "List capacity out of bounds (1)"},
      {"block: records beyond the data", {2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}, false, false, ""},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    TRecordList list(4);
    Fill(list, {11, 22, 33});
    const Snapshot before = Snap(list);
    auto load = [&] {
      TMemoryStream s = StreamOf(row.image);
      if (row.withRecordSize)
        list.Persist(&s, pstLoad);
      else
        list.LoadFromStream(s);
    };
    if (row.listError) {
      EXPECT_THROW(load(), EListError);
    } else {
      EXPECT_THROW(load(), EReadError);
    }
    if (!row.message.empty()) {
      EXPECT_EQ(MessageOf(load), row.message);
    }
    EXPECT_EQ(Snap(list), before);
  }
}
