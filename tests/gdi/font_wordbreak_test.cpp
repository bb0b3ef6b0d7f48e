// DrawText-style word-break layout. A fixed-pitch face makes the widths in the
// table plain character counts.
#include "platform/gdi/font_engine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace vx::plat::gdi {
namespace {

std::shared_ptr<const FontInstance> Mono() {
  FontSpec spec;
  spec.FaceName = u"Courier New";
  spec.Height = -20;
  return AcquireFont(spec);
}

std::vector<String> LineTexts(std::u16string_view text, const std::vector<TextLine>& lines) {
  std::vector<String> out;
  for (const TextLine& line : lines) out.emplace_back(text.substr(line.Start, line.Length));
  return out;
}

struct BreakCase {
  const char* Name;
  const char16_t* Text;
  std::int32_t MaxChars;  // the width in characters of the fixed-pitch face
  LongWords Long;
  std::vector<String> Lines;
};
void PrintTo(const BreakCase& c, std::ostream* os) { *os << c.Name; }

class WordBreakLayout : public ::testing::TestWithParam<BreakCase> {};

TEST_P(WordBreakLayout, SplitsLinesWhereTheTextStopsFitting) {
  const BreakCase& c = GetParam();
  const auto font = Mono();
  const std::int32_t cw = font->TextWidth(u"x");
  const String text = c.Text;
  const std::vector<TextLine> lines = font->WordBreak(text, c.MaxChars * cw, TabExpansion::None, c.Long);
  EXPECT_EQ(LineTexts(text, lines), c.Lines);
  for (const TextLine& line : lines) EXPECT_EQ(line.Width, font->TextWidth(text.substr(line.Start, line.Length)));
}

constexpr auto Keep = LongWords::KeepWhole;
constexpr auto Cut = LongWords::BreakAtCharacter;

INSTANTIATE_TEST_SUITE_P(
    Table, WordBreakLayout,
    ::testing::Values(
        BreakCase{"FitsOnOneLine", u"one two", 20, Keep, {u"one two"}},
        BreakCase{"ExactFitStaysOnOneLine", u"one two", 7, Keep, {u"one two"}},
        BreakCase{"BreaksAtTheLastBlank", u"one two three four", 10, Keep, {u"one two", u"three four"}},
        BreakCase{"BlanksAtASoftBreakVanish", u"one   two", 5, Keep, {u"one", u"two"}},
        BreakCase{"TrailingBlanksDoNotCount", u"one two   ", 7, Keep, {u"one two"}},
        BreakCase{"LeadingBlanksOfAParagraphStay", u"  one two", 6, Keep, {u"  one", u"two"}},
        BreakCase{"LongWordKeptWhole", u"a verylongword b", 5, Keep, {u"a", u"verylongword", u"b"}},
        BreakCase{"LongWordCutAtTheWidth", u"a verylongword b", 5, Cut, {u"a", u"veryl", u"ongwo", u"rd b"}},
        BreakCase{"ExplicitCrLf", u"one\r\ntwo", 20, Keep, {u"one", u"two"}},
        BreakCase{"ExplicitLfAndCr", u"one\ntwo\rthree", 20, Keep, {u"one", u"two", u"three"}},
        BreakCase{"EmptyLinesBetweenBreaks", u"one\r\n\r\ntwo", 20, Keep, {u"one", u"", u"two"}},
        BreakCase{"FinalBreakAddsNoLine", u"one\r\n", 20, Keep, {u"one"}},
        BreakCase{"SoftAndHardBreaksMix", u"aa bb cc\ndd ee", 5, Keep, {u"aa bb", u"cc", u"dd ee"}},
        BreakCase{"ZeroWidthPutsEachWordOnALine", u"ab cd", 0, Keep, {u"ab", u"cd"}},
        BreakCase{"ZeroWidthCutsEveryCharacter", u"ab", 0, Cut, {u"a", u"b"}},
        BreakCase{"EmptyText", u"", 10, Keep, {}},
        BreakCase{"OnlyBlanks", u"   ", 10, Keep, {u""}}),
    [](const ::testing::TestParamInfo<BreakCase>& info) { return std::string(info.param.Name); });

TEST(WordBreakLayout, TabsExpandToStopsWhenAsked) {
  const auto font = Mono();
  const std::int32_t stop = 8 * font->Metrics().AveCharWidth;
  const String text = u"a\tb c";
  const auto expanded = font->WordBreak(text, stop + font->TextWidth(u"b"), TabExpansion::EveryEightAverageChars);
  ASSERT_EQ(expanded.size(), 2u);
  EXPECT_EQ(text.substr(expanded[0].Start, expanded[0].Length), u"a\tb");
  EXPECT_EQ(expanded[0].Width, stop + font->TextWidth(u"b"));
  // Without expansion the tab is one narrow character and everything fits.
  EXPECT_EQ(font->WordBreak(text, stop + font->TextWidth(u"b"), TabExpansion::None).size(), 1u);
}

TEST(WordBreakLayout, ProportionalFaceLinesNeverPassTheWidthUnlessOneWordDoes) {
  FontSpec spec;
  spec.FaceName = u"Times New Roman";
  spec.Height = -15;
  const auto font = AcquireFont(spec);
  const String text = u"The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs.";
  for (std::int32_t width = 20; width < 400; width += 17) {
    const auto lines = font->WordBreak(text, width, TabExpansion::None);
    std::size_t covered = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const String line = text.substr(lines[i].Start, lines[i].Length);
      if (line.find(u' ') != String::npos) {
        EXPECT_LE(lines[i].Width, width) << StringToUtf8(line);
      }
      // Joining the next line's first word would not have fitted.
      if (i + 1 < lines.size()) {
        const String next = text.substr(lines[i + 1].Start, lines[i + 1].Length);
        const String joined = line + u" " + next.substr(0, next.find(u' '));
        EXPECT_GT(font->TextWidth(joined), width) << StringToUtf8(joined);
      }
      covered += lines[i].Length;
    }
    EXPECT_EQ(covered + lines.size() - 1, text.size()) << width;  // one blank per soft break
  }
}

}  // namespace
}  // namespace vx::plat::gdi
