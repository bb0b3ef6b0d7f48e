#include "platform/design/design_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/graphics/bitmap.h"
#include "tests/design/design_test_classes.h"

namespace vx::plat {
namespace {

using namespace design_test;
namespace fs = std::filesystem;

std::vector<std::string> ClassNames(const TPalettePage& page) {
  std::vector<std::string> names;
  for (const TClass* c : page.Classes) names.push_back(c->ClassName());
  return names;
}

std::vector<String> PageNames(const TDesignHost& host) {
  std::vector<String> names;
  for (const TPalettePage& p : host.Palette()) names.push_back(p.Name);
  return names;
}

// The registrations of the drawing library's design packages, in their order.
void RegisterLikeTheLibrary(TDesignHost& host) {
  host.RegisterComponents(u"Vexalith", {&TTestBox::StaticClass(), &TTestEnvironment::StaticClass(),
                                        &TTestTool::StaticClass()});
  host.RegisterPropertyEditor("Int32", &TTestEnvironment::StaticClass(), "ABOUT", TTestAboutEditor::StaticClass());
  host.RegisterPropertyEditor("Int32", &TTestLabels::StaticClass(), "ABOUT", TTestAboutLabels::StaticClass());
  host.RegisterComponents(u"Vexalith Obsolete", {&TTestLabels::StaticClass()});
  host.RegisterComponents(u"Vexalith Develop", {&TTestTool::StaticClass()});
}

TEST(DesignHost, PalettePagesAndClassesKeepRegistrationOrder) {
  TDesignHost host;
  RegisterLikeTheLibrary(host);
  // A later unit adds to an existing page; a class already there keeps its place.
  host.RegisterComponents(u"Vexalith", {&TTestLabels::StaticClass(), &TTestBox::StaticClass()});
  EXPECT_EQ(PageNames(host), (std::vector<String>{u"Vexalith", u"Vexalith Obsolete", u"Vexalith Develop"}));
  EXPECT_EQ(ClassNames(host.Palette()[0]),
            (std::vector<std::string>{"TTestBox", "TTestEnvironment", "TTestTool", "TTestLabels"}));
  EXPECT_EQ(ClassNames(host.Palette()[1]), std::vector<std::string>{"TTestLabels"});
  ASSERT_NE(host.FindPage(u"vexalith develop"), nullptr);
  EXPECT_EQ(ClassNames(*host.FindPage(u"VEXALITH DEVELOP")), std::vector<std::string>{"TTestTool"});
  EXPECT_EQ(host.FindPage(u"Samples"), nullptr);
}

TEST(DesignHost, BadPaletteRegistrationsRegisterNothing) {
  TDesignHost host;
  EXPECT_THROW(host.RegisterComponents(u"", {&TTestBox::StaticClass()}), EDesignError);
  EXPECT_THROW(host.RegisterComponents(u"Vexalith", {&TTestBox::StaticClass(), &TTestMargin::StaticClass()}),
               EDesignError);
  EXPECT_THROW(host.RegisterComponents(u"Vexalith", {&TTestBox::StaticClass(), nullptr}), EDesignError);
  EXPECT_TRUE(host.Palette().empty());
}

TEST(DesignHost, EditorAppliesToTheClassAndItsDescendantsByCaseInsensitiveName) {
  // Whatever the order of registration, the nearer class wins.
  for (bool labelsFirst : {false, true}) {
    SCOPED_TRACE(labelsFirst);
    TDesignHost host;
    if (labelsFirst)
      host.RegisterPropertyEditor("Int32", &TTestLabels::StaticClass(), "ABOUT", TTestAboutLabels::StaticClass());
    host.RegisterPropertyEditor("Int32", &TTestEnvironment::StaticClass(), "ABOUT", TTestAboutEditor::StaticClass());
    if (!labelsFirst)
      host.RegisterPropertyEditor("Int32", &TTestLabels::StaticClass(), "ABOUT", TTestAboutLabels::StaticClass());
    struct Case {
      const TClass* Cls;
      const char* Property;
      const TPropertyEditorClass* Expected;
    };
    const Case cases[] = {
        {&TTestEnvironment::StaticClass(), "About", &TTestAboutEditor::StaticClass()},
        {&TTestTool::StaticClass(), "about", &TTestAboutEditor::StaticClass()},
        {&TTestLabels::StaticClass(), "About", &TTestAboutLabels::StaticClass()},
        {&TTestEnvironment::StaticClass(), "Count", &TPropertyEditor::StaticClass()},
        {&TTestBox::StaticClass(), "Zoom", &TPropertyEditor::StaticClass()},
    };
    for (const Case& c : cases)
      EXPECT_EQ(&host.FindEditorClass(*c.Cls, c.Property), c.Expected) << c.Cls->ClassName() << "." << c.Property;
    EXPECT_THROW(host.FindEditorClass(TTestBox::StaticClass(), "About"), EDesignError) << "the box has no About";
  }
}

TEST(DesignHost, TypeNameMustMatchTheProperty) {
  TDesignHost host;
  host.RegisterPropertyEditor("String", nullptr, "About", TTestAboutEditor::StaticClass());
  host.RegisterPropertyEditor("Int16", nullptr, "", TTestSingleEditor::StaticClass());
  host.RegisterPropertyEditor("integer", &TTestBox::StaticClass(), "", TTestAboutEditor::StaticClass());
  host.RegisterPropertyEditor("TComponent", nullptr, "", TTestSingleEditor::StaticClass());
  host.RegisterPropertyEditor("TTestMargin", nullptr, "", TTestAboutLabels::StaticClass());
  const TClass& env = TTestEnvironment::StaticClass();
  EXPECT_EQ(&host.FindEditorClass(env, "About"), &TPropertyEditor::StaticClass()) << "About is no String";
  EXPECT_EQ(&host.FindEditorClass(env, "Small"), &TTestSingleEditor::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(env, "Count"), &TPropertyEditor::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(TTestBox::StaticClass(), "Zoom"), &TTestAboutEditor::StaticClass())
      << "Integer names Int32";
  EXPECT_EQ(&host.FindEditorClass(env, "Partner"), &TTestSingleEditor::StaticClass()) << "by the referenced class";
  TTestEnvironment instance(nullptr);
  const TPropInfo& margin = *PublishedInfo(instance).FindProperty("Margin");
  EXPECT_EQ(&host.FindEditorClass(instance, margin), &TTestAboutLabels::StaticClass()) << "by the object's class";
}

TEST(DesignHost, MostSpecificRegistrationWinsAndLastAmongEquals) {
  TDesignHost host;
  host.RegisterPropertyEditor("", nullptr, "", TTestSingleEditor::StaticClass());
  host.RegisterPropertyEditor("Int32", &TTestEnvironment::StaticClass(), "About", TTestAboutEditor::StaticClass());
  // A nearer class beats a named property of a farther one.
  host.RegisterPropertyEditor("Int32", &TTestTool::StaticClass(), "", TTestAboutLabels::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(TTestEnvironment::StaticClass(), "About"), &TTestAboutEditor::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(TTestTool::StaticClass(), "About"), &TTestAboutLabels::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(TTestBox::StaticClass(), "Zoom"), &TTestSingleEditor::StaticClass())
      << "an empty type and name match every property";
  // Equal registrations: the last one counts.
  host.RegisterPropertyEditor("Int32", &TTestEnvironment::StaticClass(), "About", TTestSingleEditor::StaticClass());
  EXPECT_EQ(&host.FindEditorClass(TTestEnvironment::StaticClass(), "About"), &TTestSingleEditor::StaticClass());
}

TEST(DesignHost, ComponentPropertiesShowTheirEditorsValues) {
  TDesignHost host;
  RegisterLikeTheLibrary(host);
  TTestEnvironment form(nullptr);
  form.SetName(u"Form1");
  TTestBox* box = NewComponent<TTestBox>(&form);
  box->SetName(u"Box1");
  TTestLabels* labels = NewComponent<TTestLabels>(&form);
  labels->FCount = -7;
  labels->FShape = stCircle;
  labels->FVisible = false;
  labels->FOptions = {goA, goC};
  labels->FScale = 2.5;
  labels->FCaption = u"Hello";
  labels->FPartner = box;
  labels->FOnChange = TNotifyEvent(&form, &TTestEnvironment::Changed, "Changed");

  std::vector<std::pair<std::string, String>> shown;
  TPropertyAttributes aboutAttributes;
  for (const TPropertyView& v : host.ComponentProperties(*labels)) {
    shown.emplace_back(v.Name, v.Value);
    if (v.Name == "About") {
      aboutAttributes = v.Attributes;
      EXPECT_EQ(v.EditorClass, &TTestAboutLabels::StaticClass());
    }
  }
  const std::vector<std::pair<std::string, String>> expected = {
      {"About", u"(Vexalith)"}, {"Count", u"-7"},       {"Small", u"0"},        {"Byte", u"0"},
      {"Big", u"0"},            {"Shape", u"stCircle"}, {"Visible", u"False"},  {"Options", u"[goA,goC]"},
      {"Scale", u"2.5"},        {"Caption", u"Hello"},  {"Partner", u"Box1"},   {"OnChange", u"Changed"},
      {"Margin", u"(TTestMargin)"}, {"Fixed", u"42"},
  };
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(aboutAttributes, (TPropertyAttributes{paDialog, paMultiSelect, paReadOnly}));
}

TEST(DesignHost, EditorsEditSeveralComponentsWhenTheyAllowIt) {
  TDesignHost host;
  RegisterLikeTheLibrary(host);
  host.RegisterPropertyEditor("Double", nullptr, "Scale", TTestSingleEditor::StaticClass());
  TTestEnvironment a(nullptr);
  TTestTool b(nullptr);
  TTestBox box(nullptr);

  auto count = host.CreateEditor({&a, &b}, "count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->PropCount(), 2);
  count->SetValue(u"12");
  EXPECT_EQ(a.FCount, 12);
  EXPECT_EQ(b.FCount, 12);

  auto about = host.CreateEditor({&a, &b}, "About");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->GetValue(), u"(Vexalith)");
  const int before = TTestAboutEditor::Edits;
  about->Edit();
  EXPECT_EQ(TTestAboutEditor::Edits, before + 1);

  EXPECT_EQ(host.CreateEditor({&a, &b}, "Scale"), nullptr) << "the editor is not multi-select";
  EXPECT_NE(host.CreateEditor({&a}, "Scale"), nullptr);
  EXPECT_EQ(host.CreateEditor({&a, &box}, "Count"), nullptr) << "the box has no Count";
  TTestLabels labels(nullptr);
  EXPECT_EQ(host.CreateEditor({&a, &labels}, "About"), nullptr) << "their About editors differ";
  EXPECT_EQ(host.CreateEditor({}, "Count"), nullptr);
}

class CountingDesigner : public IDesigner {
public:
  void Modified() override { ++Count; }
  int Count = 0;
};

TEST(DesignHost, SettingAValueTellsTheFormsDesigner) {
  TDesignHost host;
  CountingDesigner designer;
  TTestEnvironment form(nullptr);
  form.SetDesigner(&designer);
  form.SetDesigning(true);
  TTestTool* tool = NewComponent<TTestTool>(&form);
  auto editor = host.CreateEditor({tool}, "Caption");
  ASSERT_NE(editor, nullptr);
  editor->SetValue(u"New");
  EXPECT_EQ(tool->FCaption, u"New");
  EXPECT_EQ(designer.Count, 1);
}

// --- packages ---------------------------------------------------------------

TDesignHost* gSeenHost = nullptr;

void RegisterThroughFreeCalls(TDesignHost& host) {
  gSeenHost = &host;
  RegisterComponents(u"Vexalith", {&TTestEnvironment::StaticClass()});
  RegisterPropertyEditor("Int32", &TTestEnvironment::StaticClass(), "ABOUT", TTestAboutEditor::StaticClass());
}

void RegisterThenFail(TDesignHost& host) {
  host.RegisterComponents(u"Broken", {&TTestBox::StaticClass()});
  host.RegisterComponents(u"Vexalith", {&TTestLabels::StaticClass()});
  host.RegisterPropertyEditor("", nullptr, "", TTestSingleEditor::StaticClass());
  throw EDesignError("package failed half-way");
}

TEST(DesignPackages, RegistrationFunctionRegistersIntoTheLoadingHost) {
  TDesignHost host;
  host.RunRegistration(&RegisterThroughFreeCalls, "libtest.so", u"Test components");
  EXPECT_EQ(gSeenHost, &host);
  EXPECT_EQ(PageNames(host), std::vector<String>{u"Vexalith"});
  EXPECT_EQ(&host.FindEditorClass(TTestTool::StaticClass(), "About"), &TTestAboutEditor::StaticClass());
  ASSERT_EQ(host.Packages().size(), 1u);
  EXPECT_EQ(host.Packages()[0].Path, "libtest.so");
  EXPECT_EQ(host.Packages()[0].Description, u"Test components");
  EXPECT_EQ(DesignHost().FindPage(u"Vexalith"), nullptr) << "the process's host saw nothing";
  EXPECT_EQ(&CurrentDesignHost(), &DesignHost()) << "after the registration the free calls go to the process's host";
}

TEST(DesignPackages, FailedRegistrationIsUndoneCompletely) {
  TDesignHost host;
  RegisterLikeTheLibrary(host);
  const std::vector<String> pages = PageNames(host);
  const std::vector<std::string> first = ClassNames(host.Palette()[0]);
  EXPECT_THROW(host.RunRegistration(&RegisterThenFail, "libbroken.so"), EDesignError);
  EXPECT_EQ(PageNames(host), pages);
  EXPECT_EQ(ClassNames(host.Palette()[0]), first);
  EXPECT_EQ(&host.FindEditorClass(TTestBox::StaticClass(), "Zoom"), &TPropertyEditor::StaticClass());
  EXPECT_TRUE(host.Packages().empty());
}

std::string ErrorOf(TDesignHost& host, const std::string& path) {
  try {
    host.LoadDesignPackage(path);
  } catch (const EDesignError& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(DesignPackages, LoadingErrorsNameTheFile) {
  char pattern[] = "/tmp/vx-design-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  const std::string text = (folder / "notes.so").string();
  std::ofstream(text) << "this is not a shared library\n";
  // A real shared library without the registration function: the platform itself.
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&DesignHost), &info), 0);
  const std::string platform = info.dli_fname;

  TDesignHost host;
  const std::string missing = (folder / "missing.so").string();
  EXPECT_EQ(ErrorOf(host, missing), "Design package \"" + missing + "\" not found");
  EXPECT_EQ(ErrorOf(host, ""), "Design package \"\" not found");
  EXPECT_EQ(ErrorOf(host, text).rfind("Cannot load design package \"" + text + "\": ", 0), 0u) << ErrorOf(host, text);
  EXPECT_EQ(ErrorOf(host, platform),
            "Design package \"" + platform + "\" has no registration function VxRegisterPackage");
  EXPECT_TRUE(host.Packages().empty());
  EXPECT_TRUE(host.Palette().empty());
  fs::remove_all(folder);
}

// --- palette bitmaps --------------------------------------------------------

// A 24 x 24, 4-bit DIB whose left half uses colour 1 (red) and right half colour 2 (blue).
std::vector<std::uint8_t> PaletteDib(int width = 24, int bits = 4) {
  BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = 24;
  h.biBitCount = static_cast<WORD>(bits);
  std::vector<std::uint8_t> dib(sizeof h + 16 * 4 + 12 * 24);
  std::memcpy(dib.data(), &h, sizeof h);
  RGBQUAD* table = reinterpret_cast<RGBQUAD*>(dib.data() + sizeof h);
  table[1] = RGBQUAD{0, 0, 255, 0};
  table[2] = RGBQUAD{255, 0, 0, 0};
  std::uint8_t* pixels = dib.data() + sizeof h + 64;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 12; ++x) pixels[y * 12 + x] = x < 6 ? 0x11 : 0x22;
  return dib;
}

TEST(PaletteBitmaps, RegisteredByUpperCaseClassNameAndLoadable) {
  TDesignHost host;
  const std::vector<std::uint8_t> dib = PaletteDib();
  host.RegisterPaletteBitmap("TvxDrawbox", dib);
  ASSERT_NE(host.PaletteBitmap("TVXDRAWBOX"), nullptr);
  EXPECT_EQ(*host.PaletteBitmap("tvxdrawbox"), dib);
  EXPECT_EQ(host.PaletteBitmap("TVXLABELS"), nullptr);
  TBitmap bmp;
  ASSERT_TRUE(host.LoadPaletteBitmap("TVXDRAWBOX", bmp));
  EXPECT_EQ(bmp.GetWidth(), 24);
  EXPECT_EQ(bmp.GetHeight(), 24);
  EXPECT_EQ(bmp.GetPixel(0, 0), TColor(0x0000FF));
  EXPECT_EQ(bmp.GetPixel(23, 23), TColor(0xFF0000));
  TBitmap untouched(3, 3);
  EXPECT_FALSE(host.LoadPaletteBitmap("TVXLABELS", untouched));
  EXPECT_EQ(untouched.GetWidth(), 3);

  // A bitmap file image is taken as well, and replaces the earlier one.
  std::vector<std::uint8_t> file = {'B', 'M'};
  file.resize(14);
  std::vector<std::uint8_t> second = PaletteDib();
  second.back() = 0x33;
  file.insert(file.end(), second.begin(), second.end());
  host.RegisterPaletteBitmap("TVXDRAWBOX", file);
  EXPECT_EQ(*host.PaletteBitmap("TVXDRAWBOX"), second);
}

TEST(PaletteBitmaps, WrongPicturesAreRefusedWithAReason) {
  TDesignHost host;
  std::vector<std::uint8_t> cut = PaletteDib();
  cut.resize(cut.size() - 1);
  const struct {
    const char* What;
    std::vector<std::uint8_t> Data;
  } cases[] = {
      {"too short for a header", {1, 2, 3}},
      {"16 pixels wide", PaletteDib(16)},
      {"8 bits per pixel", PaletteDib(24, 8)},
      {"pixels cut off", cut},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      host.RegisterPaletteBitmap("TZOOM", c.Data);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Invalid palette bitmap for TZOOM: ", 0), 0u) << e.what();
    }
  }
  EXPECT_EQ(host.PaletteBitmap("TZOOM"), nullptr);
}

}  // namespace
}  // namespace vx::plat
