#include "platform/design/property_editor.h"

#include <gtest/gtest.h>

#include "platform/design/design_host.h"
#include "tests/design/design_test_classes.h"

namespace vx::plat {
namespace {

using namespace design_test;

const TPropInfo& Prop(const TPersistent& p, const char* name) {
  const TPropInfo* info = PublishedInfo(p).FindProperty(name);
  EXPECT_NE(info, nullptr) << name;
  return *info;
}

TEST(PropertyValueText, TextRoundTripsForEveryKind) {
  TTestEnvironment form(nullptr);
  form.SetName(u"Form1");
  TTestBox* box = NewComponent<TTestBox>(&form);
  box->SetName(u"Box1");
  TTestTool* tool = NewComponent<TTestTool>(&form);
  struct Case {
    const char* Property;
    String Typed;
    String Shown;  // what the list shows afterwards
  };
  const Case cases[] = {
      {"Count", u"-2147483648", u"-2147483648"},
      {"Count", u" +17 ", u"17"},
      {"Small", u"-32768", u"-32768"},
      {"Byte", u"255", u"255"},
      {"Big", u"9007199254740993", u"9007199254740993"},
      {"Shape", u"stellipse", u"stEllipse"},
      {"Visible", u"FALSE", u"False"},
      {"Options", u"[goC, goA]", u"[goA,goC]"},
      {"Options", u"[]", u"[]"},
      {"Scale", u"0.1", u"0.1"},
      {"Scale", u"-1e300", u"-1e+300"},
      {"Caption", u"  spaces kept ", u"  spaces kept "},
      {"Partner", u"box1", u"Box1"},
      {"Partner", u"Form1", u"Form1"},
      {"Partner", u"", u""},
      {"OnChange", u"changed", u"Changed"},
      {"OnChange", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Property);
    const TPropInfo& p = Prop(*tool, c.Property);
    SetPropertyValueText(*tool, p, c.Typed, &form);
    EXPECT_EQ(PropertyValueText(*tool, p), c.Shown);
  }
}

TEST(PropertyValueText, BadTextIsRefusedAndTheValueKept) {
  TTestEnvironment form(nullptr);
  TTestTool* tool = NewComponent<TTestTool>(&form);
  tool->FCount = 5;
  tool->FSmall = 6;
  tool->FShape = stCircle;
  tool->FOptions = {goB};
  tool->FScale = 3;
  struct Case {
    const char* Property;
    String Typed;
  };
  const Case convertErrors[] = {
      {"Count", u"abc"},   {"Count", u"12x"},  {"Count", u""},        {"Count", u"2147483648"},
      {"Small", u"40000"}, {"Shape", u"stTriangle"}, {"Options", u"goA"}, {"Options", u"[goA,,goB]"},
      {"Options", u"[goZ]"}, {"Scale", u"1,5"},   {"Scale", u"nan"},     {"Scale", u"inf"},
      {"Partner", u"Nobody"}, {"OnChange", u"NoSuchMethod"},
  };
  for (const Case& c : convertErrors) {
    SCOPED_TRACE(StringToUtf8(c.Typed));
    const TPropInfo& p = Prop(*tool, c.Property);
    const String before = PropertyValueText(*tool, p);
    EXPECT_THROW(SetPropertyValueText(*tool, p, c.Typed, &form), EConvertError);
    EXPECT_EQ(PropertyValueText(*tool, p), before);
  }
  for (const char* readOnly : {"Fixed", "Margin"})
    EXPECT_THROW(SetPropertyValueText(*tool, Prop(*tool, readOnly), u"1", &form), EDesignError) << readOnly;
}

TEST(PropertyTypeNames, IntegersAreNamedByTheirRange) {
  TTestEnvironment env(nullptr);
  struct Case {
    const char* Property;
    std::vector<std::string> Names;
  };
  const Case cases[] = {
      {"Count", {"Int32", "Integer", "LongInt"}},
      {"Small", {"Int16", "SmallInt"}},
      {"Byte", {"UInt8", "Byte"}},
      {"Big", {"Int64"}},
      {"Shape", {"Enumeration"}},
      {"Scale", {"Double"}},
      {"Partner", {"TComponent", "TPersistent", "TObject", "Component"}},
      {"Margin", {"TTestMargin", "TPersistent", "TObject", "Class"}},
      {"OnChange", {"Method"}},
  };
  for (const Case& c : cases) EXPECT_EQ(PropertyTypeNames(Prop(env, c.Property), &env), c.Names) << c.Property;
  EXPECT_EQ(PropertyTypeNames(Prop(env, "Margin"), nullptr), std::vector<std::string>{"Class"});
}

TEST(DefaultEditor, AttributesAndChoicesFollowTheKind) {
  TDesignHost host;
  TTestEnvironment form(nullptr);
  TTestBox* box = NewComponent<TTestBox>(&form);
  box->SetName(u"Box1");
  TTestTool* tool = NewComponent<TTestTool>(&form);
  tool->SetName(u"Tool1");
  struct Case {
    const char* Property;
    TPropertyAttributes Attributes;
  };
  const Case cases[] = {
      {"Count", {paMultiSelect}},
      {"Caption", {paMultiSelect}},
      {"Shape", {paMultiSelect, paValueList, paSortList}},
      {"Visible", {paMultiSelect, paValueList, paSortList}},
      {"Partner", {paMultiSelect, paValueList, paSortList}},
      {"OnChange", {paMultiSelect, paValueList}},
      {"Margin", {paSubProperties, paReadOnly}},
      {"Fixed", {paMultiSelect, paReadOnly}},
  };
  for (const Case& c : cases) {
    auto editor = host.CreateEditor({tool}, c.Property);
    ASSERT_NE(editor, nullptr) << c.Property;
    EXPECT_EQ(editor->GetAttributes(), c.Attributes) << c.Property;
  }
  EXPECT_EQ(host.CreateEditor({tool}, "Shape")->GetValues(),
            (std::vector<String>{u"stRectangle", u"stEllipse", u"stCircle"}));
  EXPECT_EQ(host.CreateEditor({tool}, "Partner")->GetValues(), (std::vector<String>{u"Box1", u"Tool1"}));
  EXPECT_TRUE(host.CreateEditor({tool}, "Count")->GetValues().empty());
  EXPECT_THROW(host.CreateEditor({tool}, "Count")->GetComponent(1), EListError);
}

}  // namespace
}  // namespace vx::plat
