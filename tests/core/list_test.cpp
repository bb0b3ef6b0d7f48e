#include "platform/core/list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vx::plat {
namespace {

int gItems[8];
void* P(int i) { return &gItems[i]; }

// Records what Notify reports, as "+n" (added), "x n" (extracted), "-n" (deleted).
class TLoggingList : public TList {
public:
  std::vector<std::string> Log;

protected:
  void Notify(void* Ptr, TListNotification Action) override {
    const char* mark = Action == lnAdded ? "+" : Action == lnExtracted ? "x" : "-";
    Log.push_back(mark + std::to_string(static_cast<int*>(Ptr) - gItems));
  }
};

std::vector<int> Contents(const TList& list) {
  std::vector<int> r;
  for (void* p : list) r.push_back(p ? static_cast<int>(static_cast<int*>(p) - gItems) : -1);
  return r;
}

TEST(List, GrowsBy4Then16ThenAQuarter) {
  TList list;
  std::vector<int> capacities;
  for (int i = 0; i < 120; ++i) {
    int before = list.Capacity();
    list.Add(P(0));
    if (list.Capacity() != before) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  EXPECT_EQ(list.Count(), 120);
}

TEST(List, BoundsErrorsNameTheKindAndTheValueAndChangeNothing) {
  struct Case {
    const char* what;
    std::function<void(TList&)> op;
    const char* message;
  } cases[] = {
      {"Get(-1)", [](TList& l) { l.Get(-1); }, "List index out of bounds (-1)"},
      {"Get(Count)", [](TList& l) { l.Get(3); }, "List index out of bounds (3)"},
      {"Put", [](TList& l) { l.Put(5, nullptr); }, "List index out of bounds (5)"},
      {"Insert(Count+1)", [](TList& l) { l.Insert(4, P(0)); }, "List index out of bounds (4)"},
      {"Delete", [](TList& l) { l.Delete(3); }, "List index out of bounds (3)"},
      {"Exchange first index", [](TList& l) { l.Exchange(9, 8); }, "List index out of bounds (9)"},
      {"Exchange second index", [](TList& l) { l.Exchange(0, 8); }, "List index out of bounds (8)"},
      {"Move target", [](TList& l) { l.Move(0, 3); }, "List index out of bounds (3)"},
      {"Move source", [](TList& l) { l.Move(-2, 1); }, "List index out of bounds (-2)"},
      {"Capacity below Count", [](TList& l) { l.SetCapacity(2); }, "List capacity out of bounds (2)"},
      {"Capacity too large", [](TList& l) { l.SetCapacity(TList::MaxListSize + 1); },
       "List capacity out of bounds (134217728)"},
      {"Count negative", [](TList& l) { l.SetCount(-1); }, "List count out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    TList list;
    list.Add(P(0));
    list.Add(P(1));
    list.Add(P(2));
    int capacity = list.Capacity();
    try {
      c.op(list);
      ADD_FAILURE() << c.what << " did not raise";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2})) << c.what;
    EXPECT_EQ(list.Capacity(), capacity) << c.what;
  }
  TList empty;
  EXPECT_THROW(empty.First(), EListError);
  EXPECT_THROW(empty.Last(), EListError);
}

TEST(List, EditingOperationsKeepTheOrderTheyPromise) {
  struct Case {
    const char* what;
    std::function<void(TList&)> op;
    std::vector<int> result;
  } cases[] = {
      {"Insert(Count) appends", [](TList& l) { l.Insert(3, P(5)); }, {0, 1, 2, 5}},
      {"Insert(Count-1) before the last", [](TList& l) { l.Insert(2, P(5)); }, {0, 1, 5, 2}},
      {"Delete", [](TList& l) { l.Delete(1); }, {0, 2}},
      {"Move first to end", [](TList& l) { l.Move(0, 2); }, {1, 2, 0}},
      {"Move last to front", [](TList& l) { l.Move(2, 0); }, {2, 0, 1}},
      {"Exchange", [](TList& l) { l.Exchange(0, 2); }, {2, 1, 0}},
      {"Put", [](TList& l) { l.Put(1, P(7)); }, {0, 7, 2}},
      {"Pack removes nil entries", [](TList& l) { l.Put(0, nullptr); l.Add(nullptr); l.Pack(); }, {1, 2}},
      {"SetCount grows with nil", [](TList& l) { l.SetCount(5); }, {0, 1, 2, -1, -1}},
      {"SetCount shrinks", [](TList& l) { l.SetCount(1); }, {0}},
      {"Remove", [](TList& l) { EXPECT_EQ(l.Remove(P(1)), 1); EXPECT_EQ(l.Remove(P(6)), -1); }, {0, 2}},
      {"Extract", [](TList& l) { EXPECT_EQ(l.Extract(P(2)), P(2)); EXPECT_EQ(l.Extract(P(6)), nullptr); }, {0, 1}},
  };
  for (const Case& c : cases) {
    TList list;
    list.Add(P(0));
    list.Add(P(1));
    list.Add(P(2));
    c.op(list);
    EXPECT_EQ(Contents(list), c.result) << c.what;
  }
}

TEST(List, NotifyReportsAddedDeletedAndExtractedEntriesButNotNil) {
  TLoggingList list;
  list.Add(P(1));
  list.Add(nullptr);
  list.Insert(0, P(2));
  list.Put(0, P(3));
  list.Extract(P(1));
  list.Delete(0);
  list.Add(P(4));
  list.Clear();
  std::vector<std::string> expected = {"+1", "+2", "-2", "+3", "x1", "-3", "+4", "-4"};
  EXPECT_EQ(list.Log, expected);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(List, IndexOfFindsTheFirstEqualPointer) {
  TList list;
  for (int i : {3, 1, 3}) list.Add(P(i));
  EXPECT_EQ(list.IndexOf(P(3)), 0);
  EXPECT_EQ(list.IndexOf(P(1)), 1);
  EXPECT_EQ(list.IndexOf(P(0)), -1);
  EXPECT_EQ(list.First(), P(3));
  EXPECT_EQ(list.Last(), P(3));
  EXPECT_EQ(list.Expand(), &list);
  EXPECT_EQ(list.Capacity(), 4);
}

// A derived list may report errors its own way, but must not carry on.
class TQuietList : public TList {
public:
  mutable int Calls = 0;

protected:
  void Error(const std::string& Msg, std::int64_t Data) const override { ++Calls; }
};

TEST(List, AnErrorOverrideThatReturnsStillStopsTheOperation) {
  TQuietList list;
  EXPECT_THROW(list.Delete(0), EListError);
  EXPECT_EQ(list.Calls, 1);
}

TEST(List, TypedListWalksItsEntries) {
  TListOf<int> list;
  list.Add(P(2));
  list.Add(P(5));
  int sum = 0;
  for (int* p : list) sum += static_cast<int>(p - gItems);
  EXPECT_EQ(sum, 7);
  EXPECT_EQ(list[1], P(5));
}

}  // namespace
}  // namespace vx::plat
