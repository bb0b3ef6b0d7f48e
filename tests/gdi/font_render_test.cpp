// Rendering strings into coverage masks: ink lies where the metrics say,
// turned text turns counter-clockwise on the screen, decorations are ink, and
// the pen moves by exactly the measured width.
#include "platform/gdi/font_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace vx::plat::gdi {
namespace {

constexpr TRect kSurface{-400, -400, 400, 400};

FontSpec Spec(const char16_t* face, std::int32_t height, std::int32_t escapement = 0) {
  FontSpec spec;
  spec.FaceName = face;
  spec.Height = height;
  spec.Escapement = escapement;
  return spec;
}

// Device box of the pixels with any coverage (right/bottom exclusive); empty when none.
TRect InkBox(const TextMask& mask, std::uint8_t threshold = 0) {
  TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (std::int32_t y = 0; y < mask.Height; ++y)
    for (std::int32_t x = 0; x < mask.Width; ++x)
      if (mask.At(x, y) > threshold) {
        box.Left = std::min(box.Left, mask.Left + x);
        box.Top = std::min(box.Top, mask.Top + y);
        box.Right = std::max(box.Right, mask.Left + x + 1);
        box.Bottom = std::max(box.Bottom, mask.Top + y + 1);
      }
  return box.Left == INT_MAX ? TRect{} : box;
}

std::int64_t InkSum(const TextMask& mask) {
  std::int64_t sum = 0;
  for (std::uint8_t c : mask.Coverage) sum += c;
  return sum;
}

// Coverage at a device pixel, 0 outside the mask.
int CoverageAt(const TextMask& mask, std::int32_t x, std::int32_t y) {
  x -= mask.Left;
  y -= mask.Top;
  if (x < 0 || y < 0 || x >= mask.Width || y >= mask.Height) return 0;
  return mask.At(x, y);
}

const TextAlign kBaselineLeft{TextHAlign::Left, TextVAlign::Baseline};

TEST(TextRender, InkOfIStaysWithinItsAdvanceAndAboveTheBaseline) {
  for (const char16_t* face : {u"Arial", u"Times New Roman", u"Courier New", u"Default"}) {
    const auto font = AcquireFont(Spec(face, -30));
    const TextMask mask = font->Render(u"I", {10, 20}, kBaselineLeft, kSurface);
    const TRect ink = InkBox(mask);
    ASSERT_FALSE(ink.IsEmpty()) << StringToUtf8(face);
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + font->TextWidth(u"I"));
    EXPECT_LE(ink.Bottom, 20);  // an I has no descender
    EXPECT_GE(ink.Top, 20 - font->Metrics().Ascent);
    EXPECT_EQ(mask.Advance, (TPoint{font->TextWidth(u"I"), 0}));
  }
}

TEST(TextRender, MaskIsClippedAndEmptyWhenNothingShows) {
  const auto font = AcquireFont(Spec(u"Arial", -40));
  const TRect clip{0, 0, 12, 8};
  const TextMask mask = font->Render(u"WWW", {-5, 30}, kBaselineLeft, clip);
  EXPECT_GE(mask.Left, clip.Left);
  EXPECT_GE(mask.Top, clip.Top);
  EXPECT_LE(mask.Left + mask.Width, clip.Right);
  EXPECT_LE(mask.Top + mask.Height, clip.Bottom);
  EXPECT_EQ(mask.Coverage.size(), std::size_t(mask.Width) * std::size_t(mask.Height));
  EXPECT_GT(InkSum(mask), 0);
  const TextMask none = font->Render(u"WWW", {500, 500}, kBaselineLeft, clip);
  EXPECT_EQ(none.Width * none.Height, 0);
  EXPECT_EQ(none.Advance, (TPoint{font->TextWidth(u"WWW"), 0}));
}

TEST(TextRender, FarAwayReferencePointsAndHugeFontsAreSafe) {
  const TRect clip{0, 0, 64, 64};
  for (std::int32_t escapement : {0, 450, 900}) {
    const auto font = AcquireFont(Spec(u"Arial", -20, escapement));
    for (TPoint ref : {TPoint{INT_MIN, INT_MIN}, TPoint{INT_MAX, 0}, TPoint{0, INT_MAX}}) {
      FontSpec underlined = Spec(u"Arial", -20, escapement);
      underlined.Underline = true;
      const TextMask mask = AcquireFont(underlined)->Render(u"far away", ref, kBaselineLeft, clip);
      EXPECT_EQ(mask.Width * mask.Height, 0);
      EXPECT_EQ(font->Render(u"x", ref, {}, clip).Coverage.size(), 0u);
    }
  }
  // A glyph far larger than the clip only fills the clip.
  const auto huge = AcquireFont(Spec(u"Arial", -kMaxFontEmPixels));
  const TextMask big = huge->Render(u"\u25A0", {-100, 5000}, kBaselineLeft, clip);
  EXPECT_LE(big.Width, 64);
  EXPECT_LE(big.Height, 64);
}

TEST(TextRender, DrawingAStringEqualsDrawingItsPartsAtTheMeasuredWidths) {
  for (std::int32_t escapement : {0, 900, 1800, 2700}) {
    const auto font = AcquireFont(Spec(u"Arial", -17, escapement));
    const String left = u"Wave";
    const String right = u"form 42";
    const TPoint ref{3, -5};
    const TextMask whole = font->Render(left + right, ref, kBaselineLeft, kSurface);
    const TextMask first = font->Render(left, ref, kBaselineLeft, kSurface);
    const TPoint next{ref.x + first.Advance.x, ref.y + first.Advance.y};
    const TextMask second = font->Render(right, next, kBaselineLeft, kSurface);
    const std::int32_t w = font->TextWidth(left);
    // The pen moves by the measured width along the escapement.
    const TPoint expected[] = {{w, 0}, {0, -w}, {-w, 0}, {0, w}};
    EXPECT_EQ(first.Advance, expected[escapement / 900]) << escapement;
    EXPECT_EQ(whole.Advance.x, first.Advance.x + second.Advance.x);
    EXPECT_EQ(whole.Advance.y, first.Advance.y + second.Advance.y);
    for (std::int32_t y = kSurface.Top; y < kSurface.Bottom; y += 1)
      for (std::int32_t x = -200; x < 200; ++x)
        ASSERT_EQ(CoverageAt(whole, x, y), std::min(255, CoverageAt(first, x, y) + CoverageAt(second, x, y)))
            << escapement << " at " << x << "," << y;
  }
}

TEST(TextRender, QuarterTurnTurnsTheInkCounterClockwiseOnTheScreen) {
  const auto flat = AcquireFont(Spec(u"Arial", -24));
  const auto turned = AcquireFont(Spec(u"Arial", -24, 900));
  const TextMask a = flat->Render(u"Lg", {0, 0}, kBaselineLeft, kSurface);
  const TextMask b = turned->Render(u"Lg", {0, 0}, kBaselineLeft, kSurface);
  const TRect ia = InkBox(a);
  const TRect ib = InkBox(b);
  EXPECT_EQ(ia.Width(), ib.Height());
  EXPECT_EQ(ia.Height(), ib.Width());
  // Reading direction goes up the screen; the ascenders point left, the descender right.
  EXPECT_EQ(ib.Bottom, -ia.Left);
  EXPECT_EQ(ib.Top, -ia.Right);
  EXPECT_EQ(ib.Left, ia.Top);
  EXPECT_EQ(ib.Right, ia.Bottom);
  EXPECT_LT(ib.Top, -10);
  // Quarter turns are crisp: the same pixels, turned (curve flattening may move a coverage by a few steps).
  for (std::int32_t y = ia.Top; y < ia.Bottom; ++y)
    for (std::int32_t x = ia.Left; x < ia.Right; ++x)
      ASSERT_NEAR(CoverageAt(a, x, y), CoverageAt(b, y, -x - 1), 8) << x << "," << y;
}

TEST(TextRender, ObliqueEscapementPlacesInkAlongTheTurnedBaseline) {
  const auto font = AcquireFont(Spec(u"Arial", -20, 300));  // 30 degrees up to the right
  const TextMask mask = font->Render(u"--------", {0, 0}, kBaselineLeft, kSurface);
  const std::int32_t w = font->TextWidth(u"--------");
  EXPECT_NEAR(mask.Advance.x, w * 0.8660254, 0.51);
  EXPECT_NEAR(mask.Advance.y, -w * 0.5, 0.51);
  const TRect ink = InkBox(mask, 64);
  EXPECT_GE(ink.Left, -2);
  EXPECT_LE(ink.Right, mask.Advance.x + 8);
  EXPECT_LT(ink.Top, -w / 3);  // the far end of the dashes is well above the start
  EXPECT_LE(ink.Bottom, 2);
}

TEST(TextRender, AlignmentMovesTheBaselineOriginAlongTheTextAxes) {
  struct Case {
    std::int32_t Escapement;
    TextAlign Align;
  };
  const Case cases[] = {{0, {TextHAlign::Left, TextVAlign::Top}},      {0, {TextHAlign::Right, TextVAlign::Bottom}},
                        {0, {TextHAlign::Center, TextVAlign::Baseline}}, {900, {TextHAlign::Left, TextVAlign::Top}},
                        {900, {TextHAlign::Right, TextVAlign::Bottom}}, {2700, {TextHAlign::Center, TextVAlign::Top}}};
  for (const Case& c : cases) {
    const auto font = AcquireFont(Spec(u"Times New Roman", -21, c.Escapement));
    const TextMetrics& m = font->Metrics();
    const std::int32_t w = font->TextWidth(u"Align me");
    const std::int32_t along = c.Align.Horz == TextHAlign::Left ? 0 : c.Align.Horz == TextHAlign::Right ? -w : -(w / 2);
    const std::int32_t across = c.Align.Vert == TextVAlign::Top ? m.Ascent : c.Align.Vert == TextVAlign::Bottom ? -m.Descent : 0;
    // Text axes on the screen: along = (cos, -sin), across (down) = (sin, cos).
    const std::int32_t cs = c.Escapement == 0 ? 1 : 0;
    const std::int32_t sn = c.Escapement == 900 ? 1 : c.Escapement == 2700 ? -1 : 0;
    const TPoint origin{along * cs + across * sn, -along * sn + across * cs};
    const TextMask aligned = font->Render(u"Align me", {7, 9}, c.Align, kSurface);
    EXPECT_EQ(aligned.BaselineOrigin, origin) << c.Escapement;
    const TextMask plain = font->Render(u"Align me", {7 + origin.x, 9 + origin.y}, kBaselineLeft, kSurface);
    EXPECT_EQ(aligned.Left, plain.Left);
    EXPECT_EQ(aligned.Top, plain.Top);
    EXPECT_EQ(aligned.Coverage, plain.Coverage);
  }
}

TEST(TextRender, CellCoversTheTextFromTopToBottom) {
  const auto font = AcquireFont(Spec(u"Arial", -20));
  const TextMetrics& m = font->Metrics();
  const std::int32_t w = font->TextWidth(u"Cell");
  const TextMask mask = font->Render(u"Cell", {0, 0}, {TextHAlign::Left, TextVAlign::Top}, kSurface);
  const std::array<TPoint, 4> cell{TPoint{0, 0}, TPoint{w, 0}, TPoint{w, m.Height}, TPoint{0, m.Height}};
  EXPECT_EQ(mask.Cell, cell);
  const TRect ink = InkBox(mask);
  EXPECT_GE(ink.Top, 0);
  EXPECT_LE(ink.Bottom, m.Height);
  const auto up = AcquireFont(Spec(u"Arial", -20, 900));
  const TextMask turned = up->Render(u"Cell", {0, 0}, {TextHAlign::Left, TextVAlign::Top}, kSurface);
  const std::array<TPoint, 4> upCell{TPoint{0, 0}, TPoint{0, -w}, TPoint{m.Height, -w}, TPoint{m.Height, 0}};
  EXPECT_EQ(turned.Cell, upCell);
}

TEST(TextRender, UnderlineAndStrikeOutAreInkAtTheirPlaces) {
  for (std::int32_t escapement : {0, 1800}) {
    FontSpec spec = Spec(u"Arial", -30, escapement);
    const auto plain = AcquireFont(spec);
    spec.Underline = true;
    const auto underlined = AcquireFont(spec);
    spec.Underline = false;
    spec.StrikeOut = true;
    const auto struck = AcquireFont(spec);
    const String text = u"ace";  // no descenders, no ascenders above the x-height but none below the baseline
    const TPoint ref{0, 0};
    const TextMask p = plain->Render(text, ref, kBaselineLeft, kSurface);
    const TextMask u = underlined->Render(text, ref, kBaselineLeft, kSurface);
    const TextMask s = struck->Render(text, ref, kBaselineLeft, kSurface);
    const std::int32_t w = plain->TextWidth(text);
    const std::int32_t dir = escapement == 0 ? 1 : -1;  // at 180 degrees "below the baseline" is up the screen
    const TRect pi = InkBox(p);
    const TRect ui = InkBox(u);
    EXPECT_GT(InkSum(u), InkSum(p));
    if (dir > 0) {
      EXPECT_LE(pi.Bottom, 1);
      EXPECT_GT(ui.Bottom, 1);
      EXPECT_LE(ui.Bottom, plain->Metrics().Descent);
      EXPECT_EQ(ui.Left, 0);
      EXPECT_EQ(ui.Right, w);
    } else {
      EXPECT_GE(pi.Top, -1);
      EXPECT_LT(ui.Top, -1);
      EXPECT_EQ(ui.Right, 0);
      EXPECT_EQ(ui.Left, -w);
    }
    // The strike-out runs through the middle of the lower-case letters, across the whole advance.
    EXPECT_GT(InkSum(s), InkSum(p));
    const TRect si = InkBox(s);
    EXPECT_EQ(si.Width(), w);
    EXPECT_EQ(si.Height(), pi.Height());
  }
}

TEST(TextRender, ExplicitAdvancesPlaceEachCharacter) {
  const auto font = AcquireFont(Spec(u"Courier New", -20));
  const std::int32_t spaced[] = {30, 30, 30};
  const TextMask mask = font->Render(u"iii", {0, 0}, kBaselineLeft, kSurface, spaced);
  EXPECT_EQ(mask.Advance, (TPoint{90, 0}));
  const TextMask single = font->Render(u"i", {0, 0}, kBaselineLeft, kSurface);
  const TRect one = InkBox(single);
  const TRect all = InkBox(mask);
  EXPECT_EQ(all.Left, one.Left);
  EXPECT_EQ(all.Right, one.Right + 60);
  EXPECT_EQ(InkSum(mask), 3 * InkSum(single));
}

TEST(TextRender, SynthesisedStylesAddInk) {
  FontSpec spec = Spec(u"DejaVu Math TeX Gyre", -30);
  const auto regular = AcquireFont(spec);
  spec.Weight = 700;
  const auto bold = AcquireFont(spec);
  spec.Weight = 400;
  spec.Italic = true;
  const auto italic = AcquireFont(spec);
  ASSERT_TRUE(bold->Face().SynthesizeBold);
  ASSERT_TRUE(italic->Face().SynthesizeItalic);
  const TextMask r = regular->Render(u"l", {0, 0}, kBaselineLeft, kSurface);
  const TextMask b = bold->Render(u"l", {0, 0}, kBaselineLeft, kSurface);
  const TextMask i = italic->Render(u"l", {0, 0}, kBaselineLeft, kSurface);
  EXPECT_GT(InkSum(b), InkSum(r));
  EXPECT_EQ(InkBox(b).Left, InkBox(r).Left);  // emboldening keeps the left edge
  // The slanted stem leans right at the top.
  EXPECT_GT(InkBox(i).Right, InkBox(r).Right);
  EXPECT_EQ(InkBox(i).Bottom, InkBox(r).Bottom);
}

}  // namespace
}  // namespace vx::plat::gdi
