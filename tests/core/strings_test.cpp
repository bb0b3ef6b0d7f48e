#include "platform/core/strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/stream.h"

namespace vx::plat {
namespace {

std::vector<String> Lines(const TStrings& s) {
  std::vector<String> r;
  for (std::int32_t i = 0; i < s.Count(); ++i) r.push_back(s[i]);
  return r;
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAtEveryLineEnd) {
  struct Case {
    const char16_t* text;
    std::vector<String> lines;
  } cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\n", {u"a"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\nb\rc\r\n", {u"a", u"b", u"c"}},
      {u"\r\n\r\n", {u"", u""}},
      {u"x\n\ny", {u"x", u"", u"y"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << StringToUtf8(c.text);
  }
  TStringList list;
  list.Add(u"one");
  list.Add(u"");
  EXPECT_EQ(list.Text(), u"one\r\n\r\n");
}

TEST(StringList, SortedListsKeepOrderAndApplyTheDuplicatesRule) {
  struct Case {
    TDuplicates duplicates;
    bool caseSensitive;
    std::vector<String> result;
    bool raises;
  } cases[] = {
      {dupIgnore, false, {u"apple", u"Banana", u"cherry"}, false},
      {dupAccept, false, {u"apple", u"Banana", u"banana", u"cherry"}, false},
      {dupError, false, {u"apple", u"Banana", u"cherry"}, true},
      {dupIgnore, true, {u"Banana", u"apple", u"banana", u"cherry"}, false},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetCaseSensitive(c.caseSensitive);
    list.SetDuplicates(c.duplicates);
    list.SetSorted(true);
    for (const char16_t* s : {u"cherry", u"Banana", u"apple"}) list.Add(s);
    if (c.raises)
      EXPECT_THROW(list.Add(u"banana"), EListError);
    else
      list.Add(u"banana");
    EXPECT_EQ(Lines(list), c.result) << int(c.duplicates) << c.caseSensitive;
  }
}

TEST(StringList, FindAndIndexOfFollowCaseSensitivity) {
  TStringList list;
  list.SetText(u"delta\r\nAlpha\r\ncharlie\r\nalpha");
  EXPECT_EQ(list.IndexOf(u"ALPHA"), 1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(u"alpha"), 3);
  EXPECT_EQ(list.IndexOf(u"ALPHA"), -1);
  list.SetCaseSensitive(false);
  list.SetSorted(true);  // stable: Alpha stays before alpha
  EXPECT_EQ(Lines(list), (std::vector<String>{u"Alpha", u"alpha", u"charlie", u"delta"}));
  std::int32_t index = -1;
  EXPECT_TRUE(list.Find(u"ALPHA", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find(u"bravo", index));
  EXPECT_EQ(index, 2);  // where it would go
  EXPECT_THROW(list.Insert(0, u"x"), EListError);
  EXPECT_THROW(list.Put(0, u"x"), EListError);
}

TEST(StringList, IndexErrorsUseTheListMessage) {
  TStringList list;
  list.Add(u"a");
  for (int bad : {-1, 1}) {
    try {
      list.Get(bad);
      ADD_FAILURE();
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")");
    }
  }
  EXPECT_THROW(list.Insert(2, u"x"), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringList, ObjectsTravelWithTheirLines) {
  TObject first, second;
  TStringList list;
  list.AddObject(u"a", &first);
  list.AddObject(u"b", &second);
  list.Move(0, 1);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"b", u"a"}));
  EXPECT_EQ(list.Objects(1), &first);
  list.SetStrings(1, u"A");
  EXPECT_EQ(list.Objects(1), &first);
  EXPECT_EQ(list.IndexOfObject(&second), 0);

  TStringList copy;
  copy.Assign(&list);
  EXPECT_EQ(Lines(copy), Lines(list));
  EXPECT_EQ(copy.Objects(0), &second);
  TPersistent other;
  EXPECT_THROW(copy.Assign(&other), EConvertError);
}

TEST(StringList, ChangeEventsFireOncePerBatch) {
  struct TCounter {
    int changing = 0, changed = 0;
    void Changing(TObject*) { ++changing; }
    void Changed(TObject*) { ++changed; }
  } counter;
  TStringList list;
  list.OnChanging = TNotifyEvent(&counter, &TCounter::Changing);
  list.OnChange = TNotifyEvent(&counter, &TCounter::Changed);
  list.Add(u"x");
  EXPECT_EQ(counter.changing, 1);
  EXPECT_EQ(counter.changed, 1);
  list.SetText(u"a\r\nb\r\nc");  // one batch
  EXPECT_EQ(counter.changing, 2);
  EXPECT_EQ(counter.changed, 2);
  list.BeginUpdate();
  list.Add(u"d");
  list.Delete(0);
  EXPECT_EQ(counter.changed, 2);
  list.EndUpdate();
  EXPECT_EQ(counter.changed, 3);
}

TEST(StringList, StreamsHoldUtf8AndReadWindows1252WhenTheBytesAreNotUtf8) {
  struct Case {
    std::string bytes;
    std::vector<String> lines;
  } cases[] = {
      {"caf\xC3\xA9\r\nline 2\r\n", {u"caf\u00e9", u"line 2"}},
      {"\xEF\xBB\xBFwith mark\n", {u"with mark"}},
      {"caf\xE9 \x80", {u"caf\u00e9 \u20ac"}},  // not UTF-8: Windows-1252
  };
  for (const Case& c : cases) {
    TMemoryStream in;
    in.WriteBuffer(c.bytes.data(), static_cast<std::int64_t>(c.bytes.size()));
    in.SetPosition(0);
    TStringList list;
    list.LoadFromStream(in);
    EXPECT_EQ(Lines(list), c.lines);
  }
  TStringList list;
  list.Add(u"\u20ac1");
  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "\xE2\x82\xAC" "1\r\n");
}

TEST(StringList, FilesRoundTrip) {
  auto path = (std::filesystem::temp_directory_path() / "vx_strings_test.txt").string();
  TStringList list;
  list.SetText(u"first\r\n\u00fcber\r\n");
  list.SaveToFile(path);
  TStringList back;
  back.LoadFromFile(path);
  EXPECT_EQ(Lines(back), Lines(list));
  std::filesystem::remove(path);
  EXPECT_THROW(back.LoadFromFile(path), EFOpenError);
}

}  // namespace
}  // namespace vx::plat
