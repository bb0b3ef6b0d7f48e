#include "platform/core/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::plat {
namespace {

TEST(Unicode, Windows1252MapsTheHighRangeAndTurnsTheUnmappableIntoQuestionMarks) {
  struct Case {
    String text;
    std::string ansi;
  } cases[] = {
      {u"plain", "plain"},
      {u"\u20ac", "\x80"},            // euro sign
      {u"\u201c\u201d", "\x93\x94"},  // curly quotes
      {u"\u0178", "\x9F"},            // Y with diaeresis
      {u"\u00e9\u00ff", "\xE9\xFF"},  // Latin-1 range is unchanged
      {u"\u0141\u4e2d", "??"},        // Polish L, CJK: not in the code page
      {u"\U0001F600", "?"},           // one character outside the BMP: one '?'
      {u"a\xD800z", "a?z"},           // lone surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(StringToAnsi(c.text), c.ansi) << StringToUtf8(c.text);
}

TEST(Unicode, EveryByteSurvivesTheAnsiRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  String text = AnsiToString(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(StringToAnsi(text), all);
  EXPECT_EQ(text[0x80], u'\u20ac');
  EXPECT_EQ(text[0x81], u'\u0081');  // undefined in 1252: kept as the C1 control
}

TEST(Unicode, Utf8RoundTripsAndReplacesMalformedInput) {
  String text = u"a\u00e9\u20ac\U0001F600";
  EXPECT_EQ(StringToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToString(StringToUtf8(text)), text);
  struct Case {
    std::string bytes;
    String text;
  } cases[] = {
      {"\xC3", u"\uFFFD"},               // truncated sequence
      {"\xFF" "a", u"\uFFFD" u"a"},      // invalid lead byte
      {"\xED\xA0\x80", u"\uFFFD"},       // encoded surrogate
      {"\xE2\x28\xA1", u"\uFFFD(\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToString(c.bytes), c.text);
  EXPECT_EQ(StringToUtf8(u"\xDC00"), "\xEF\xBF\xBD");  // lone low surrogate
}

TEST(Unicode, CaseInsensitiveComparisonCoversAsciiAndLatin1) {
  EXPECT_TRUE(SameText(u"DrawBox1", u"drawbox1"));
  EXPECT_TRUE(SameText(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
  EXPECT_FALSE(SameText(u"a", u"ab"));
  EXPECT_LT(CompareText(u"apple", u"Banana"), 0);
  EXPECT_GT(CompareText(u"b", u"A"), 0);
  EXPECT_EQ(UpperCase(u"map***"), u"MAP***");
  EXPECT_EQ(IntToStr(-2147483648LL), u"-2147483648");
}

}  // namespace
}  // namespace vx::plat
