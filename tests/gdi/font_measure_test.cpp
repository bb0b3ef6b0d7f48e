// Measuring strings: widths are sums of whole-pixel advances, so a prefix and
// the rest add up to the whole and what is measured is what is drawn.
#include "platform/gdi/font_engine.h"

#include <gtest/gtest.h>

#include <numeric>

namespace vx::plat::gdi {
namespace {

std::shared_ptr<const FontInstance> Font(const char16_t* face, std::int32_t height) {
  FontSpec spec;
  spec.FaceName = face;
  spec.Height = height;
  return AcquireFont(spec);
}

class Measuring : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(Measuring, WidthIsTheSumOfCharacterAdvancesAndSplitsAtAnyPoint) {
  const String text = GetParam();
  for (const auto& font : {Font(u"Arial", -11), Font(u"Times New Roman", 23), Font(u"Default", -37)}) {
    const std::vector<std::int32_t> advances = font->CharAdvances(text);
    ASSERT_EQ(advances.size(), text.size());
    const std::int32_t width = font->TextWidth(text);
    EXPECT_EQ(width, std::accumulate(advances.begin(), advances.end(), 0));
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      if (cut > 0 && cut < text.size() && text[cut] >= 0xDC00 && text[cut] <= 0xDFFF) continue;
      EXPECT_EQ(font->TextWidth(std::u16string_view(text).substr(0, cut)) +
                    font->TextWidth(std::u16string_view(text).substr(cut)),
                width);
    }
    EXPECT_EQ(font->TextExtent(text), (TSize{width, font->Metrics().Height}));
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, Measuring,
                         ::testing::Values(u"", u"Hello, World", u"Wolf 1.25 m", u"\u00C4\u00D6\u00DC \u20AC",
                                           u"x\U0001F600y", u"tab\there", u"\u4E2D\u6587"));

TEST(Measuring, SurrogatePairCountsOnceOnItsFirstUnit) {
  const auto font = Font(u"Arial", -20);
  const std::vector<std::int32_t> advances = font->CharAdvances(u"a\U0001F600b");
  ASSERT_EQ(advances.size(), 4u);
  EXPECT_GT(advances[1], 0);
  EXPECT_EQ(advances[2], 0);
}

TEST(Measuring, MissingCharactersUseTheMissingGlyphAdvance) {
  const auto font = Font(u"Liberation Sans", -20);
  // Private-use code points and a lone surrogate are not in the face.
  const std::int32_t missing = font->TextWidth(u"\uE000");
  EXPECT_GT(missing, 0);
  EXPECT_EQ(font->TextWidth(u"\uE123"), missing);
  EXPECT_EQ(font->TextWidth(u"\xD800"), missing);
  EXPECT_EQ(font->TextWidth(u"\U0010FFFD"), missing);
}

TEST(Measuring, WidthGrowsWithTheFontSize) {
  std::int32_t previous = 0;
  for (std::int32_t h = 5; h <= 60; ++h) {
    const std::int32_t width = Font(u"Arial", -h)->TextWidth(u"The quick brown fox");
    EXPECT_GE(width, previous) << h;
    previous = width;
  }
}

TEST(Measuring, FitCountStopsBeforeTheFirstCharacterThatPassesTheWidth) {
  const auto font = Font(u"Courier New", -20);
  const std::int32_t w = font->TextWidth(u"m");
  const String text = u"abcdef";
  const struct {
    std::int32_t Max;
    std::size_t Fit;
  } cases[] = {{-5, 0}, {0, 0}, {w - 1, 0}, {w, 1}, {3 * w + w / 2, 3}, {6 * w, 6}, {1000 * w, 6}};
  for (const auto& c : cases) EXPECT_EQ(font->FitCount(text, c.Max), c.Fit) << c.Max;
  // A surrogate pair is never split.
  const String pair = u"a\U0001F600";
  EXPECT_EQ(font->FitCount(pair, font->TextWidth(u"a") + 1), 1u);
  EXPECT_EQ(font->FitCount(pair, font->TextWidth(pair)), 3u);
}

TEST(Measuring, LineAdvancesExpandTabsToStopsOfEightAverageCharacters) {
  const auto font = Font(u"Arial", -16);
  const std::int32_t stop = 8 * font->Metrics().AveCharWidth;
  const String line = u"ab\tc\t\td";
  const std::vector<std::int32_t> plain = font->LineAdvances(line, TabExpansion::None);
  EXPECT_EQ(plain, font->CharAdvances(line));
  const std::vector<std::int32_t> tabbed = font->LineAdvances(line, TabExpansion::EveryEightAverageChars);
  std::int32_t x = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    x += tabbed[i];
    if (line[i] == u'\t') {
      EXPECT_EQ(x % stop, 0) << i;
      EXPECT_GT(tabbed[i], 0);
    } else {
      EXPECT_EQ(tabbed[i], plain[i]);
    }
  }
  EXPECT_EQ(x - tabbed.back(), 3 * stop);  // "d" starts at the third stop
}

}  // namespace
}  // namespace vx::plat::gdi
