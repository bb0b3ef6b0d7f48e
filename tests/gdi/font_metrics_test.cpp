// Font sizes and metrics: the height conventions of logical fonts and the
// TEXTMETRIC-like values the device context reports.
#include "platform/gdi/font_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>

namespace vx::plat::gdi {
namespace {

FontSpec Spec(const char16_t* face, std::int32_t height) {
  FontSpec spec;
  spec.FaceName = face;
  spec.Height = height;
  return spec;
}

struct HeightCase {
  const char16_t* Face;
  std::int32_t Height;
};
void PrintTo(const HeightCase& c, std::ostream* os) { *os << StringToUtf8(c.Face) << " " << c.Height; }

class FontHeights : public ::testing::TestWithParam<HeightCase> {};

TEST_P(FontHeights, FollowTheLogicalFontConventions) {
  const HeightCase& c = GetParam();
  const auto font = AcquireFont(Spec(c.Face, c.Height));
  const TextMetrics& m = font->Metrics();
  EXPECT_EQ(m.Ascent + m.Descent, m.Height);
  EXPECT_EQ(m.InternalLeading, m.Height - font->EmPixels());
  EXPECT_GE(m.InternalLeading, 0);
  EXPECT_GT(m.Ascent, m.Descent);
  EXPECT_GE(m.ExternalLeading, 0);
  if (c.Height < 0) {
    EXPECT_EQ(font->EmPixels(), -c.Height);  // character height = em size
  } else {
    EXPECT_EQ(m.Height, c.Height == 0 ? kDefaultFontCellHeight : c.Height);  // cell height = ascent + descent
  }
  EXPECT_GT(m.AveCharWidth, 0);
  EXPECT_GE(m.MaxCharWidth, m.AveCharWidth);
}

INSTANTIATE_TEST_SUITE_P(Table, FontHeights,
                         ::testing::Values(HeightCase{u"Tahoma", -11}, HeightCase{u"Arial", 30},
                                           HeightCase{u"Arial", -30}, HeightCase{u"Times New Roman", 13},
                                           HeightCase{u"Courier New", -7}, HeightCase{u"Default", 0},
                                           HeightCase{u"Default", -1}, HeightCase{u"Default", 1},
                                           HeightCase{u"Default", 2}, HeightCase{u"Arial", -200},
                                           HeightCase{u"Liberation Serif", 97}));

TEST(FontMetrics, MinusElevenIsEightPointsOnTheScreen) {
  const auto font = AcquireFont(FontSpec{});  // a new font: Tahoma, height -11
  EXPECT_EQ(font->EmPixels(), 11);
  EXPECT_EQ(std::lround(font->EmPixels() * 72.0 / 96.0), 8);
  EXPECT_EQ(StringToUtf8(font->Face().Family), "Liberation Sans");
}

TEST(FontMetrics, PositiveHeightGivesASmallerEmThanTheSameNegativeHeight) {
  const auto cell = AcquireFont(Spec(u"Arial", 40));
  const auto em = AcquireFont(Spec(u"Arial", -40));
  EXPECT_LT(cell->EmPixels(), 40);
  EXPECT_GT(em->Metrics().Height, 40);
  EXPECT_LT(cell->TextWidth(u"Hello"), em->TextWidth(u"Hello"));
}

TEST(FontMetrics, PitchBitIsSetForVariablePitchOnly) {
  const auto mono = AcquireFont(Spec(u"Courier New", -12));
  const auto sans = AcquireFont(Spec(u"Arial", -12));
  const auto serif = AcquireFont(Spec(u"Times New Roman", -12));
  EXPECT_EQ(mono->Metrics().PitchAndFamily & kTmpfFixedPitch, 0);
  EXPECT_EQ(sans->Metrics().PitchAndFamily & kTmpfFixedPitch, kTmpfFixedPitch);
  EXPECT_EQ(mono->Metrics().PitchAndFamily & 0xF0, kFamilyModern);
  EXPECT_EQ(sans->Metrics().PitchAndFamily & 0xF0, kFamilySwiss);
  EXPECT_EQ(serif->Metrics().PitchAndFamily & 0xF0, kFamilyRoman);
  EXPECT_NE(sans->Metrics().PitchAndFamily & kTmpfTrueType, 0);
  EXPECT_EQ(mono->Metrics().AveCharWidth, mono->Metrics().MaxCharWidth);
  EXPECT_EQ(mono->TextWidth(u"iiii"), mono->TextWidth(u"MMMM"));
}

TEST(FontMetrics, ReportsTheRequestedStyleWeightAndCharset) {
  FontSpec spec = Spec(u"Arial", -12);
  spec.Weight = 0;
  spec.Italic = true;
  spec.Underline = true;
  spec.StrikeOut = true;
  const TextMetrics& m = AcquireFont(spec)->Metrics();
  EXPECT_EQ(m.Weight, 400);
  EXPECT_TRUE(m.Italic);
  EXPECT_TRUE(m.Underlined);
  EXPECT_TRUE(m.StruckOut);
  EXPECT_EQ(m.CharSet, ANSI_CHARSET);
  EXPECT_LE(m.FirstChar, u' ');
  EXPECT_GE(m.LastChar, u'z');
}

TEST(FontMetrics, RequestedWidthSetsTheAverageCharacterWidth) {
  for (std::int32_t width : {3, 8, 20}) {
    FontSpec spec = Spec(u"Arial", -20);
    spec.Width = width;
    const auto font = AcquireFont(spec);
    EXPECT_NEAR(font->Metrics().AveCharWidth, width, 1) << width;
    EXPECT_EQ(font->Metrics().Height, AcquireFont(Spec(u"Arial", -20))->Metrics().Height);
  }
}

TEST(FontMetrics, SynthesisedBoldWidensEveryCharacter) {
  FontSpec spec = Spec(u"DejaVu Math TeX Gyre", -24);
  const auto regular = AcquireFont(spec);
  spec.Weight = 700;
  const auto bold = AcquireFont(spec);
  ASSERT_TRUE(bold->Face().SynthesizeBold);
  EXPECT_EQ(bold->Metrics().Overhang, 1);
  EXPECT_EQ(bold->TextWidth(u"abc"), regular->TextWidth(u"abc") + 3 * bold->Metrics().Overhang);
}

TEST(FontMetrics, ExtremeHeightsAreClampedNotFatal) {
  for (std::int32_t height : {INT_MIN, INT_MIN + 1, INT_MAX, -kMaxFontEmPixels - 1}) {
    const auto font = AcquireFont(Spec(u"Arial", height));
    EXPECT_EQ(font->EmPixels(), kMaxFontEmPixels) << height;
    EXPECT_EQ(font->Metrics().Ascent + font->Metrics().Descent, font->Metrics().Height);
  }
}

TEST(FontCache, SameSpecGivesTheSameInstanceAndHeldInstancesOutliveARelease) {
  const auto a = AcquireFont(Spec(u"Arial", -13));
  EXPECT_EQ(a.get(), AcquireFont(Spec(u"Arial", -13)).get());
  EXPECT_NE(a.get(), AcquireFont(Spec(u"Arial", -14)).get());
  const std::int32_t width = a->TextWidth(u"kept");
  ReleaseFontEngineCache();
  ReleaseFontResolverCache();
  EXPECT_EQ(a->TextWidth(u"kept alive"), a->TextWidth(u"kept") + a->TextWidth(u" alive"));
  EXPECT_EQ(a->TextWidth(u"kept"), width);
  EXPECT_NE(a.get(), AcquireFont(Spec(u"Arial", -13)).get());
}

}  // namespace
}  // namespace vx::plat::gdi
