// Face resolution: Windows face names land on the installed metric-compatible
// families, unknown names on the platform default, styles on real style faces.
#include "platform/gdi/font_resolver.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vx::plat::gdi {
namespace {

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

struct ResolutionCase {
  const char16_t* Name;
  std::int32_t Weight;
  FontSlant Slant;
  FontPitch Pitch;
  const char16_t* Family;
  const char* File;
};
void PrintTo(const ResolutionCase& c, std::ostream* os) { *os << StringToUtf8(c.Name) << " " << c.Weight; }

class FaceResolution : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(FaceResolution, PicksTheInstalledFaceAFileOfTheNameExpects) {
  const ResolutionCase& c = GetParam();
  const ResolvedFace& face = ResolveFace({c.Name, c.Weight, c.Slant, c.Pitch, DEFAULT_CHARSET});
  EXPECT_EQ(StringToUtf8(face.Family), StringToUtf8(c.Family));
  EXPECT_EQ(FileName(face.FilePath), c.File);
  EXPECT_FALSE(face.SynthesizeBold);
  EXPECT_FALSE(face.SynthesizeItalic);
}

constexpr auto Up = FontSlant::Upright;
constexpr auto It = FontSlant::Italic;
constexpr auto Any = FontPitch::Default;

INSTANTIATE_TEST_SUITE_P(
    Table, FaceResolution,
    ::testing::Values(
        ResolutionCase{u"Arial", 400, Up, Any, u"Liberation Sans", "LiberationSans-Regular.ttf"},
        ResolutionCase{u"arial", 700, Up, Any, u"Liberation Sans", "LiberationSans-Bold.ttf"},
        ResolutionCase{u"Arial", 700, It, Any, u"Liberation Sans", "LiberationSans-BoldItalic.ttf"},
        ResolutionCase{u"MS Sans Serif", 400, Up, Any, u"Liberation Sans", "LiberationSans-Regular.ttf"},
        ResolutionCase{u"Helvetica", 400, It, Any, u"Liberation Sans", "LiberationSans-Italic.ttf"},
        ResolutionCase{u"Tahoma", 0, Up, Any, u"Liberation Sans", "LiberationSans-Regular.ttf"},
        ResolutionCase{u"Times New Roman", 400, Up, Any, u"Liberation Serif", "LiberationSerif-Regular.ttf"},
        ResolutionCase{u"MS Serif", 700, Up, Any, u"Liberation Serif", "LiberationSerif-Bold.ttf"},
        ResolutionCase{u"Courier New", 400, Up, Any, u"Liberation Mono", "LiberationMono-Regular.ttf"},
        ResolutionCase{u"Courier", 400, It, Any, u"Liberation Mono", "LiberationMono-Italic.ttf"},
        ResolutionCase{u"Default", 400, Up, Any, u"DejaVu Sans", "DejaVuSans.ttf"},
        ResolutionCase{u"DEFAULT", 700, Up, Any, u"DejaVu Sans", "DejaVuSans-Bold.ttf"},
        ResolutionCase{u"No Such Face 123", 400, Up, Any, u"DejaVu Sans", "DejaVuSans.ttf"},
        ResolutionCase{u"No Such Face 123", 400, It, Any, u"DejaVu Sans", "DejaVuSans-Oblique.ttf"},
        ResolutionCase{u"No Such Face 123", 400, Up, FontPitch::Fixed, u"DejaVu Sans Mono", "DejaVuSansMono.ttf"},
        ResolutionCase{u"", 400, Up, Any, u"DejaVu Sans", "DejaVuSans.ttf"},
        ResolutionCase{u"  DejaVu Serif ", 400, Up, Any, u"DejaVu Serif", "DejaVuSerif.ttf"},
        ResolutionCase{u"Liberation Mono", 700, It, Any, u"Liberation Mono", "LiberationMono-BoldItalic.ttf"}));

TEST(FaceResolution, SynthesisesStylesTheFamilyLacks) {
  // The TeX Gyre maths face comes in one regular style only.
  const ResolvedFace& bold = ResolveFace({u"DejaVu Math TeX Gyre", 700, FontSlant::Italic, FontPitch::Default, 1});
  EXPECT_EQ(StringToUtf8(bold.Family), "DejaVu Math TeX Gyre");
  EXPECT_TRUE(bold.SynthesizeBold);
  EXPECT_TRUE(bold.SynthesizeItalic);
  const ResolvedFace& regular = ResolveFace({u"DejaVu Math TeX Gyre", 400, FontSlant::Upright, FontPitch::Default, 1});
  EXPECT_FALSE(regular.SynthesizeBold);
  EXPECT_FALSE(regular.SynthesizeItalic);
}

TEST(FaceResolution, CachesResultsAndSurvivesARelease) {
  const FaceRequest request{u"Arial", 400, FontSlant::Upright, FontPitch::Default, 1};
  const ResolvedFace* first = &ResolveFace(request);
  EXPECT_EQ(first, &ResolveFace(request));
  EXPECT_EQ(first, &ResolveFace({u"ARIAL", 400, FontSlant::Upright, FontPitch::Default, 1}));
  ReleaseFontResolverCache();
  EXPECT_EQ(FileName(ResolveFace(request).FilePath), "LiberationSans-Regular.ttf");
}

TEST(FaceSubstitution, MapsWindowsNamesAndKeepsOthers) {
  struct Case {
    const char16_t* In;
    const char16_t* Out;
  };
  const Case cases[] = {{u"Default", u"DejaVu Sans"}, {u"dEfAuLt", u"DejaVu Sans"},
                        {u"System", u"Liberation Sans"}, {u"Segoe UI", u"Liberation Sans"},
                        {u"Verdana", u"Liberation Sans"}, {u"Times", u"Liberation Serif"},
                        {u"My Face", u"My Face"}, {u"  Arial  ", u"Liberation Sans"}};
  for (const Case& c : cases) EXPECT_EQ(SubstituteFaceName(c.In), String(c.Out)) << StringToUtf8(c.In);
  EXPECT_EQ(PlatformDefaultFaceName(), u"DejaVu Sans");
}

}  // namespace
}  // namespace vx::plat::gdi
