// Pens, brushes and fonts: defaults, stored ordinals, change notification,
// handles made from the attributes, and Assign (the font's pixels-per-inch rule).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/graphics/brush.h"
#include "platform/graphics/font.h"
#include "platform/graphics/pen.h"

namespace vx::plat {
namespace {

// Drawing files store these ordinals: they must never move.
static_assert(psSolid == 0 && psDash == 1 && psDot == 2 && psDashDot == 3 && psDashDotDot == 4 && psClear == 5 &&
              psInsideFrame == 6 && psUserStyle == 7 && psAlternate == 8);
static_assert(pmBlack == 0 && pmWhite == 1 && pmNop == 2 && pmNot == 3 && pmCopy == 4 && pmNotCopy == 5 &&
              pmMergePenNot == 6 && pmMaskPenNot == 7 && pmMergeNotPen == 8 && pmMaskNotPen == 9 && pmMerge == 10 &&
              pmNotMerge == 11 && pmMask == 12 && pmNotMask == 13 && pmXor == 14 && pmNotXor == 15);
static_assert(bsSolid == 0 && bsClear == 1 && bsHorizontal == 2 && bsVertical == 3 && bsFDiagonal == 4 &&
              bsBDiagonal == 5 && bsCross == 6 && bsDiagCross == 7);
static_assert(fpDefault == 0 && fpVariable == 1 && fpFixed == 2);
static_assert(TFontStyles{fsBold}.Bits() == 1 && TFontStyles{fsItalic}.Bits() == 2 &&
              TFontStyles{fsUnderline}.Bits() == 4 && TFontStyles{fsStrikeOut}.Bits() == 8);

TEST(GraphicsObjects, NewObjectsHaveThePlatformDefaults) {
  TPen pen;
  EXPECT_EQ(pen.GetColor(), clBlack);
  EXPECT_EQ(pen.GetWidth(), 1);
  EXPECT_EQ(pen.GetStyle(), psSolid);
  EXPECT_EQ(pen.GetMode(), pmCopy);

  TBrush brush;
  EXPECT_EQ(brush.GetColor(), clWhite);
  EXPECT_EQ(brush.GetStyle(), bsSolid);

  TFont font;
  EXPECT_EQ(font.GetName(), u"Tahoma");
  EXPECT_EQ(font.GetHeight(), -11);
  EXPECT_EQ(font.GetSize(), 8);
  EXPECT_EQ(font.GetColor(), clWindowText);
  EXPECT_EQ(font.GetCharset(), 1);
  EXPECT_EQ(font.GetPitch(), fpDefault);
  EXPECT_TRUE(font.GetStyle().Empty());
  EXPECT_EQ(font.GetPixelsPerInch(), 96);
}

// One attribute change applied to a fresh object of each kind.
struct ChangeCase {
  const char* name;
  std::function<void(TPen&, TBrush&, TFont&)> change;
  friend void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }
};

class GraphicsObjectChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(GraphicsObjectChange, FiresOnChangeOnceAndNotAgainForTheSameValue) {
  TPen pen;
  TBrush brush;
  TFont font;
  int changes = 0;
  TObject* sender = nullptr;
  auto count = [&](TObject* s) {
    ++changes;
    sender = s;
  };
  pen.OnChange = count;
  brush.OnChange = count;
  font.OnChange = count;

  GetParam().change(pen, brush, font);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(sender == &pen || sender == &brush || sender == &font);

  GetParam().change(pen, brush, font);  // the same value again
  EXPECT_EQ(changes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, GraphicsObjectChange,
    ::testing::Values(
        ChangeCase{"PenColor", [](TPen& p, TBrush&, TFont&) { p.SetColor(clRed); }},
        ChangeCase{"PenWidth", [](TPen& p, TBrush&, TFont&) { p.SetWidth(3); }},
        ChangeCase{"PenStyle", [](TPen& p, TBrush&, TFont&) { p.SetStyle(psDot); }},
        ChangeCase{"PenMode", [](TPen& p, TBrush&, TFont&) { p.SetMode(pmNotXor); }},
        ChangeCase{"BrushColor", [](TPen&, TBrush& b, TFont&) { b.SetColor(clGray); }},
        ChangeCase{"BrushStyle", [](TPen&, TBrush& b, TFont&) { b.SetStyle(bsClear); }},
        ChangeCase{"FontName", [](TPen&, TBrush&, TFont& f) { f.SetName(u"Arial"); }},
        ChangeCase{"FontHeight", [](TPen&, TBrush&, TFont& f) { f.SetHeight(30); }},
        ChangeCase{"FontSize", [](TPen&, TBrush&, TFont& f) { f.SetSize(12); }},
        ChangeCase{"FontColor", [](TPen&, TBrush&, TFont& f) { f.SetColor(clBlue); }},
        ChangeCase{"FontCharset", [](TPen&, TBrush&, TFont& f) { f.SetCharset(0); }},
        ChangeCase{"FontPitch", [](TPen&, TBrush&, TFont& f) { f.SetPitch(fpFixed); }},
        ChangeCase{"FontStyle", [](TPen&, TBrush&, TFont& f) { f.SetStyle({fsBold, fsUnderline}); }},
        ChangeCase{"FontOrientation", [](TPen&, TBrush&, TFont& f) { f.SetOrientation(900); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GraphicsObjects, AssignCopiesEveryAttributeAndAlwaysNotifies) {
  TPen pen, otherPen;
  otherPen.SetColor(clRed);
  otherPen.SetWidth(4);
  otherPen.SetStyle(psDashDot);
  otherPen.SetMode(pmXor);
  int penChanges = 0;
  pen.OnChange = [&](TObject*) { ++penChanges; };
  pen.Assign(&otherPen);
  EXPECT_EQ(pen.GetColor(), clRed);
  EXPECT_EQ(pen.GetWidth(), 4);
  EXPECT_EQ(pen.GetStyle(), psDashDot);
  EXPECT_EQ(pen.GetMode(), pmXor);
  pen.Assign(&otherPen);  // equal values: a canvas must still realise it again
  EXPECT_EQ(penChanges, 2);

  TBrush brush, otherBrush;
  otherBrush.SetColor(clGray);
  otherBrush.SetStyle(bsDiagCross);
  brush.Assign(&otherBrush);
  EXPECT_EQ(brush.GetColor(), clGray);
  EXPECT_EQ(brush.GetStyle(), bsDiagCross);

  TFont font, otherFont;
  otherFont.SetName(u"Courier New");
  otherFont.SetHeight(-20);
  otherFont.SetColor(clMaroon);
  otherFont.SetCharset(0);
  otherFont.SetPitch(fpFixed);
  otherFont.SetStyle({fsItalic, fsStrikeOut});
  otherFont.SetOrientation(450);
  font.Assign(&otherFont);
  EXPECT_EQ(font.GetName(), u"Courier New");
  EXPECT_EQ(font.GetHeight(), -20);
  EXPECT_EQ(font.GetColor(), clMaroon);
  EXPECT_EQ(font.GetCharset(), 0);
  EXPECT_EQ(font.GetPitch(), fpFixed);
  EXPECT_EQ(font.GetStyle(), (TFontStyles{fsItalic, fsStrikeOut}));
  EXPECT_EQ(font.GetOrientation(), 450);
}

TEST(GraphicsObjects, AssignFromAnotherKindRaisesTheConversionError) {
  TPen pen;
  TBrush brush;
  TFont font;
  EXPECT_THROW(pen.Assign(&brush), EConvertError);
  EXPECT_THROW(brush.Assign(&font), EConvertError);
  EXPECT_THROW(font.Assign(nullptr), EConvertError);
}

struct FontAssignCase {
  std::int32_t sourcePixelsPerInch;
  std::int32_t sourceHeight;
  std::int32_t destPixelsPerInch;
  std::int32_t expectedHeight;
  friend void PrintTo(const FontAssignCase& c, std::ostream* os) {
    *os << c.sourceHeight << " at " << c.sourcePixelsPerInch << " dpi to " << c.destPixelsPerInch << " dpi";
  }
};

class FontAssignPixelsPerInch : public ::testing::TestWithParam<FontAssignCase> {};

TEST_P(FontAssignPixelsPerInch, KeepsThePointSizeOnlyWhenTheResolutionsDiffer) {
  const auto& c = GetParam();
  TFont source, dest;
  source.SetPixelsPerInch(c.sourcePixelsPerInch);
  source.SetHeight(c.sourceHeight);
  dest.SetPixelsPerInch(c.destPixelsPerInch);
  dest.Assign(&source);
  EXPECT_EQ(dest.GetHeight(), c.expectedHeight);
  EXPECT_EQ(dest.GetPixelsPerInch(), c.destPixelsPerInch);
}

INSTANTIATE_TEST_SUITE_P(Cases, FontAssignPixelsPerInch,
                         ::testing::Values(FontAssignCase{96, -13, 96, -13},    // equal: height copied
                                           FontAssignCase{96, 30, 96, 30},      // cell height copied
                                           FontAssignCase{96, -16, 300, -50},   // 12 pt at 300 dpi
                                           FontAssignCase{96, -11, 600, -67},   // 8 pt: 66.67 -> 67
                                           FontAssignCase{300, -50, 96, -16},   // back to the screen
                                           FontAssignCase{96, 20, 192, 40}));   // -15 pt: cell height kept positive

TEST(Font, SizeFollowsHeightThroughPixelsPerInch) {
  struct Case {
    std::int32_t ppi, height, size;
  };
  for (const Case c : {Case{96, -11, 8}, Case{96, -16, 12}, Case{72, -12, 12}, Case{96, 20, -15},
                       Case{300, -50, 12}, Case{96, -1, 1}}) {
    TFont font;
    font.SetPixelsPerInch(c.ppi);
    font.SetHeight(c.height);
    EXPECT_EQ(font.GetSize(), c.size) << c.ppi << " dpi, height " << c.height;
  }
  TFont font;
  font.SetSize(10);
  EXPECT_EQ(font.GetHeight(), -13);  // 13.33 rounds to 13
  font.SetPixelsPerInch(0);          // refused: would divide by zero
  EXPECT_EQ(font.GetPixelsPerInch(), 96);
  EXPECT_EQ(font.GetHeight(), -13);
}

TEST(Font, LogicalFontCarriesEveryAttributeWithTheLogicalPitchCodes) {
  TFont font;
  font.SetName(u"A face name that is much longer than thirty-one characters");
  font.SetHeight(-24);
  font.SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
  font.SetCharset(2);
  font.SetOrientation(-900);
  font.SetPitch(fpVariable);
  LOGFONTW lf = font.GetLogFont();
  EXPECT_EQ(lf.lfHeight, -24);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfEscapement, -900);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfCharSet, 2);
  EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH);
  EXPECT_EQ(String(lf.lfFaceName), String(u"A face name that is much longer"));  // 31 characters
  EXPECT_EQ(lf.lfFaceName[31], 0);

  font.SetPitch(fpFixed);
  EXPECT_EQ(font.GetLogFont().lfPitchAndFamily, FIXED_PITCH);
  font.SetPitch(fpDefault);
  EXPECT_EQ(font.GetLogFont().lfPitchAndFamily, DEFAULT_PITCH);
  font.SetStyle({});
  EXPECT_EQ(font.GetLogFont().lfWeight, 400);

  for (TFontPitch p : {fpDefault, fpVariable, fpFixed}) EXPECT_EQ(LogicalToFontPitch(FontPitchToLogical(p)), p);
}

TEST(GraphicsObjects, HandlesDescribeTheCurrentAttributesAndAreNotLeaked) {
  const std::size_t before = GdiObjectCount();
  {
    TPen pen;
    pen.SetColor(clRed);
    pen.SetWidth(3);
    LOGPEN lp{};
    ASSERT_EQ(GetObject(pen.GetHandle(), sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnColor, ColorToRGB(clRed));
    EXPECT_EQ(lp.lopnWidth.x, 3);

    HPEN first = pen.GetHandle();
    EXPECT_EQ(pen.GetHandle(), first);  // cached while unchanged
    pen.SetColor(clBlue);
    ASSERT_EQ(GetObject(pen.GetHandle(), sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnColor, ColorToRGB(clBlue));

    TBrush brush;
    brush.SetColor(clBtnFace);  // system colours resolve to their RGB value
    LOGBRUSH lb{};
    ASSERT_GT(GetObject(brush.GetHandle(), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbStyle, BS_SOLID);
    EXPECT_EQ(lb.lbColor, ColorToRGB(clBtnFace));
    brush.SetStyle(bsCross);
    ASSERT_GT(GetObject(brush.GetHandle(), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbStyle, BS_HATCHED);
    EXPECT_EQ(lb.lbHatch, std::uintptr_t(HS_CROSS));
    brush.SetStyle(bsClear);
    ASSERT_GT(GetObject(brush.GetHandle(), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbStyle, BS_NULL);

    TFont font;
    font.SetHeight(-40);
    LOGFONTW lf{};
    ASSERT_EQ(GetObject(font.GetHandle(), sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -40);
    EXPECT_EQ(String(lf.lfFaceName), u"Tahoma");
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
}  // namespace vx::plat
