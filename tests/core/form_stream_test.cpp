#include "platform/core/form_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/properties.h"
#include "platform/core/stream.h"

namespace vx::plat {
namespace {

std::vector<std::string> gLog;

std::string Label(const TComponent& c) { return c.Name().empty() ? c.ClassName() : StringToUtf8(c.Name()); }

// "Btn1.Left [loading reading]": which setter ran, in which state.
void LogSetter(const TComponent& c, const char* prop) {
  std::string state;
  if (c.ComponentState().Contains(csLoading)) state += " loading";
  if (c.ComponentState().Contains(csReading)) state += " reading";
  gLog.push_back(Label(c) + "." + prop + (state.empty() ? "" : " [" + state.substr(1) + "]"));
}

enum TShapeKind : std::uint8_t { skRect, skEllipse, skStar };
enum TOptionItem : std::uint8_t { goA, goB, goC };
using TOptions = TSet<TOptionItem, std::uint16_t>;

// A nested persistent object, stored as Font.Name / Font.Size.
class TTestFont : public TPersistent {
  VX_DECLARE_CLASS(TTestFont)
public:
  String Name = u"Tahoma";
  std::int32_t Size = 8;
  static void RegisterProperties(TPropertyRegistry<TTestFont>& r) {
    r.Str("Name", &TTestFont::Name, &TTestFont::Name, u"Tahoma");
    r.Integer("Size", &TTestFont::Size, &TTestFont::Size, 8);
  }
};
VX_DEFINE_CLASS(TTestFont, TPersistent)
VX_PUBLISH(TTestFont)

// A component with a property of every kind.
class TTestControl : public TComponent {
  VX_DECLARE_CLASS(TTestControl)
  friend class TPropertyRegistry<TTestControl>;

public:
  explicit TTestControl(TComponent* AOwner) : TComponent(AOwner) {}

  std::int16_t GetLeft() const { return FLeft; }
  void SetLeft(std::int16_t v) { LogSetter(*this, "Left"); FLeft = v; }
  void SetShape(TShapeKind v) { LogSetter(*this, "Shape"); Shape = v; }
  const String& GetCaption() const { return Caption; }
  void SetCaption(const String& v) { LogSetter(*this, "Caption"); Caption = v; }
  void SetBuddy(TTestControl* v) { LogSetter(*this, "Buddy"); Buddy = v; }
  TTestFont* GetFont() { return &Font; }
  bool HasData() const { return !Data.empty(); }
  void ReadData(TStream& s) {
    Data.resize(static_cast<std::size_t>(s.Remaining()));
    s.ReadBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  }
  void WriteData(TStream& s) const { s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }
  bool IsRangeStored() const { return !AutoRange; }
  std::int32_t Count() const { return 3; }

  std::int64_t Big = 0;
  TShapeKind Shape = skRect;
  TOptions Options{goA};
  double Scale = 1.0;
  String Caption;
  bool Visible = true;
  TTestFont Font;
  TTestControl* Buddy = nullptr;
  TNotifyEvent OnClick;
  std::vector<std::uint8_t> Data;
  std::int32_t About = 0;
  bool AutoRange = true;
  std::int32_t Range = 0;

protected:
  void Loaded() override {
    TComponent::Loaded();
    gLog.push_back(Label(*this) + " loaded");
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == Buddy) Buddy = nullptr;
  }

private:
  std::int16_t FLeft = 0;

  static void RegisterProperties(TPropertyRegistry<TTestControl>& r) {
    using T = TTestControl;
    r.Integer("Left", &T::GetLeft, &T::SetLeft, 0);
    r.Integer("Big", &T::Big, &T::Big, 0);
    r.Enum("Shape", &T::Shape, &T::SetShape, {"skRect", "skEllipse", "skStar"}, skRect);
    r.Set("Options", &T::Options, &T::Options, {"goA", "goB", "goC"}, TOptions{goA});
    r.Float("Scale", &T::Scale, &T::Scale, 1.0);
    r.Str("Caption", &T::GetCaption, &T::SetCaption);  // no default: always stored
    r.Bool("Visible", &T::Visible, &T::Visible, true);
    r.Object("Font", &T::GetFont);
    r.Component("Buddy", &T::Buddy, &T::SetBuddy);
    r.Event("OnClick", &T::OnClick);
    r.Binary("Data", &T::ReadData, &T::WriteData).Stored(&T::HasData);
    r.Integer("About", &T::About).NeverStored();
    r.Bool("AutoRange", &T::AutoRange, &T::AutoRange, true);
    r.Integer("Range", &T::Range).Stored(&T::IsRangeStored);
    r.Integer("Count", &T::Count);  // getter only: read-only
  }
};
VX_DEFINE_CLASS(TTestControl, TComponent)
VX_PUBLISH(TTestControl)

class TTestForm : public TComponent {
  VX_DECLARE_CLASS(TTestForm)
  friend class TPropertyRegistry<TTestForm>;

public:
  explicit TTestForm(TComponent* AOwner) : TComponent(AOwner) {}
  void ButtonClick(TObject* Sender) {
    ++Clicks;
    LastSender = Sender;
  }
  void WrongSig(TObject* Sender, int X) {}
  const String& GetCaption() const { return Caption; }
  void SetCaption(const String& v) { LogSetter(*this, "Caption"); Caption = v; }

  String Caption;
  int Clicks = 0;
  TObject* LastSender = nullptr;

protected:
  void Loaded() override {
    TComponent::Loaded();
    gLog.push_back(Label(*this) + " loaded");
  }

private:
  static void RegisterProperties(TPropertyRegistry<TTestForm>& r) {
    r.Str("Caption", &TTestForm::GetCaption, &TTestForm::SetCaption, u"");
    r.Method("ButtonClick", &TTestForm::ButtonClick);
    r.Method("WrongSig", &TTestForm::WrongSig);
  }
};
VX_DEFINE_CLASS(TTestForm, TComponent)
VX_PUBLISH(TTestForm)

// A host's form class derived from the stored one: it reads its ancestor's forms.
class TDerivedForm : public TTestForm {
  VX_DECLARE_CLASS(TDerivedForm)
public:
  using TTestForm::TTestForm;
};
VX_DEFINE_CLASS(TDerivedForm, TTestForm)

TTestControl* Control(TComponent& form, const char16_t* name) {
  return dynamic_cast<TTestControl*>(form.FindComponent(name));
}

const char* const kGolden =
    "object Form1: TTestForm\r\n"
    "  Caption = 'Main'\r\n"
    "  object Btn1: TTestControl\r\n"
    "    Left = -12\r\n"
    "    Big = 9000000000\r\n"
    "    Shape = skStar\r\n"
    "    Options = [goB, goC]\r\n"
    "    Scale = 2.5\r\n"
    "    Caption = 'It''s'#13#10'caf\xC3\xA9'#0\r\n"
    "    Visible = False\r\n"
    "    Font.Name = 'Arial'\r\n"
    "    Font.Size = 12\r\n"
    "    Buddy = Btn2\r\n"
    "    OnClick = ButtonClick\r\n"
    "    Data = {\r\n"
    "      000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
    "      20212223242526FF}\r\n"
    "    AutoRange = False\r\n"
    "    Range = 300\r\n"
    "  end\r\n"
    "  object Btn2: TTestControl\r\n"
    "    Caption = ''\r\n"
    "    Buddy = Btn1\r\n"
    "  end\r\n"
    "  object TTestControl\r\n"
    "    Caption = 'anonymous'\r\n"
    "  end\r\n"
    "end\r\n";

void BuildGoldenForm(TTestForm& form) {
  form.SetName(u"Form1");
  form.Caption = u"Main";
  auto* b1 = new TTestControl(&form);
  auto* b2 = new TTestControl(&form);
  auto* anon = new TTestControl(&form);
  b1->SetName(u"Btn1");
  b2->SetName(u"Btn2");
  b1->SetLeft(-12);
  b1->Big = 9000000000LL;
  b1->Shape = skStar;
  b1->Options = TOptions{goB, goC};
  b1->Scale = 2.5;
  b1->Caption = String(u"It's\r\ncaf\u00e9") + u'\0';
  b1->Visible = false;
  b1->Font.Name = u"Arial";
  b1->Font.Size = 12;
  b1->Buddy = b2;
  b1->OnClick = TNotifyEvent(&form, &TTestForm::ButtonClick, "ButtonClick");
  for (int i = 0; i < 39; ++i) b1->Data.push_back(static_cast<std::uint8_t>(i));
  b1->Data.push_back(0xFF);
  b1->About = 99;  // never stored
  b1->AutoRange = false;
  b1->Range = 300;  // stored because the automatic range is off
  b2->Buddy = b1;
  b2->Range = 5;                                 // not stored: automatic range
  b2->OnClick = TNotifyEvent([](TObject*) {});  // bound in code only: not stored
  anon->Caption = u"anonymous";
}

class FormStreamTest : public ::testing::Test {
protected:
  void SetUp() override { gLog.clear(); }
};

TEST_F(FormStreamTest, WritesNonDefaultPublishedPropertiesInDeclaredOrderAndComponentOrder) {
  TTestForm form(nullptr);
  BuildGoldenForm(form);
  EXPECT_EQ(FormToText(&form), kGolden);
  EXPECT_FALSE(form.ComponentState().Contains(csWriting));
}

TEST_F(FormStreamTest, ReadingTheWrittenFormRebuildsEveryKindOfProperty) {
  TTestForm original(nullptr);
  BuildGoldenForm(original);
  TMemoryStream stream;
  WriteForm(stream, &original);
  stream.SetPosition(0);

  TTestForm form(nullptr);
  ReadForm(stream, &form);
  EXPECT_EQ(FormToText(&form), kGolden);

  ASSERT_EQ(form.ComponentCount(), 3);
  TTestControl* b1 = Control(form, u"Btn1");
  TTestControl* b2 = Control(form, u"Btn2");
  ASSERT_TRUE(b1 && b2);
  EXPECT_EQ(b1->ComponentIndex(), 0);
  EXPECT_EQ(b1->GetLeft(), -12);
  EXPECT_EQ(b1->Big, 9000000000LL);
  EXPECT_EQ(b1->Options, (TOptions{goB, goC}));
  EXPECT_EQ(b1->Caption, String(u"It's\r\ncaf\u00e9") + u'\0');
  EXPECT_EQ(b1->Font.Name, u"Arial");
  EXPECT_EQ(b1->Buddy, b2);
  EXPECT_EQ(b2->Buddy, b1);
  EXPECT_EQ(b1->Data, Control(original, u"Btn1")->Data);
  EXPECT_EQ(b1->About, 0);
  ASSERT_TRUE(b1->OnClick);
  b1->OnClick(b1);
  EXPECT_EQ(form.Clicks, 1);
  EXPECT_EQ(form.LastSender, b1);
  EXPECT_FALSE(b2->OnClick);
  EXPECT_EQ(dynamic_cast<TTestControl*>(form.Components(2))->Caption, u"anonymous");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(form.Components(i)->ComponentState().Empty());
}

TEST_F(FormStreamTest, SettersRunWhileLoadingThenReferencesResolveThenLoadedInComponentOrderRootLast) {
  TTestForm form(nullptr);
  FormFromText(
      "object Form1: TTestForm\n"
      "  Caption = 'x'\n"
      "  object B: TTestControl\n"
      "    Buddy = A\n"  // a forward reference
      "    Shape = skEllipse\n"
      "    Left = 1\n"  // file order, not declared order
      "  end\n"
      "  object A: TTestControl\n"
      "    Caption = 'a'\n"
      "  end\n"
      "end\n",
      &form);
  std::vector<std::string> expected = {
      "Form1.Caption [loading reading]",
      "B.Shape [loading reading]",
      "B.Left [loading reading]",
      "A.Caption [loading reading]",
      "B.Buddy [loading]",
      "B loaded",
      "A loaded",
      "Form1 loaded",
  };
  EXPECT_EQ(gLog, expected);
  EXPECT_FALSE(form.IsLoading());
}

TEST_F(FormStreamTest, AFormBuiltInCodeIsFinishedLikeAReadOne) {
  TTestForm form(nullptr);
  form.SetName(u"Form1");
  for (const char16_t* name : {u"B", u"A"}) (new TTestControl(&form))->SetName(name);
  FinishLoading(&form);
  EXPECT_EQ(gLog, (std::vector<std::string>{"B loaded", "A loaded", "Form1 loaded"}));
  EXPECT_FALSE(form.IsLoading());
  EXPECT_FALSE(form.Components(1)->IsLoading());
}

TEST_F(FormStreamTest, ComponentsTheRootAlreadyOwnsAreReadIntoAndAncestorFormsAreAccepted) {
  TDerivedForm form(nullptr);
  auto* existing = new TTestControl(&form);
  existing->SetName(u"Btn1");
  FormFromText(
      "object Main: TTestForm\r\n"
      "  object Btn1: TTestControl\r\n    Scale = -1.5e3\r\n    OnClick = ButtonClick\r\n  end\r\n"
      "  object Btn2: TTestControl\r\n  end\r\n"
      "end",
      &form);
  EXPECT_EQ(form.Name(), u"Main");
  ASSERT_EQ(form.ComponentCount(), 2);
  EXPECT_EQ(form.Components(0), existing);
  EXPECT_EQ(existing->Scale, -1500.0);
  existing->OnClick(existing);  // bound to the method the ancestor published
  EXPECT_EQ(form.Clicks, 1);
}

TEST_F(FormStreamTest, ReaderAcceptsHandWrittenVariants) {
  TTestForm form(nullptr);
  FormFromText(
      "\xEF\xBB\xBF"
      "// a comment line\n"
      "object Form1: TTestForm\n"
      "  Caption = 'long ' +\n"
      "    'text'#$41\n"
      "  object Outer: TTestControl\n"
      "    Options = []\n"
      "    Shape = 2\n"
      "    Visible = true\n"
      "    Scale = Inf\n"
      "    Big = -$10\n"
      "    Data = {0a 0B\n 0c}\n"
      "    object Inner: TTestControl\n"  // nested blocks become components of the root
      "      Scale = -Inf\n"
      "    end\n"
      "  end\n"
      "end\n",
      &form);
  EXPECT_EQ(form.Caption, u"long textA");
  TTestControl* outer = Control(form, u"Outer");
  TTestControl* inner = Control(form, u"Inner");
  ASSERT_TRUE(outer && inner);
  EXPECT_TRUE(outer->Options.Empty());
  EXPECT_EQ(outer->Shape, skStar);
  EXPECT_EQ(outer->Big, -16);
  EXPECT_EQ(outer->Data, (std::vector<std::uint8_t>{10, 11, 12}));
  EXPECT_EQ(inner->Owner(), &form);
  EXPECT_EQ(inner->ComponentIndex(), 1);
  EXPECT_LT(inner->Scale, 0);
}

struct BadForm {
  const char* name;
  const char* text;
  const char* message;
};

class BadFormTest : public ::testing::TestWithParam<BadForm> {};

TEST_P(BadFormTest, RaisesAFormErrorNamingTheLineAndLeavesNoComponentsBehind) {
  gLog.clear();
  TTestForm form(nullptr);
  auto* kept = new TTestControl(&form);
  kept->SetName(u"Kept");
  try {
    FormFromText(GetParam().text, &form);
    ADD_FAILURE() << "no error";
  } catch (const EFormError& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
  ASSERT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), kept);
  EXPECT_FALSE(form.IsLoading());
  EXPECT_FALSE(kept->IsLoading());
  EXPECT_TRUE(std::none_of(gLog.begin(), gLog.end(), [](const std::string& s) {
    return s.find("loaded") != std::string::npos;
  }));
}

// Every form starts "object Form1: TTestForm" on line 1; a Btn1 block on lines 2..
const BadForm kBadForms[] = {
    {"UnknownProperty", "object Form1: TTestForm\n object Btn1: TTestControl\n  Colour = 1\n end\nend",
     "line 3: unknown property 'Colour' of TTestControl"},
    {"UnknownNestedProperty", "object Form1: TTestForm\n object Btn1: TTestControl\n  Font.Colour = 1\n end\nend",
     "line 3: unknown property 'Colour' of TTestFont"},
    {"PathThroughAPlainProperty", "object Form1: TTestForm\n object Btn1: TTestControl\n  Left.X = 1\n end\nend",
     "line 3: property 'Left' of TTestControl has no properties"},
    {"UnknownClass", "object Form1: TTestForm\n object Btn1: TTestControl\n end\n object X: TNope\n end\nend",
     "line 4: unknown class 'TNope'"},
    {"NotAComponentClass", "object Form1: TTestForm\n object F: TTestFont\n end\nend",
     "line 2: TTestFont is not a component class"},
    {"WrongRootClass", "object Form1: TTestControl\nend", "line 1: the form is a TTestControl, which TTestForm is not"},
    {"StringForInteger", "object Form1: TTestForm\n object Btn1: TTestControl\n  Left = 'x'\n end\nend",
     "line 3: invalid value for property 'Left' of TTestControl: an integer is expected"},
    {"IntegerOutOfRange", "object Form1: TTestForm\n object Btn1: TTestControl\n  Left = 40000\n end\nend",
     "line 3: invalid value for property 'Left' of TTestControl: 40000 is out of range (-32768..32767)"},
    {"Int64Overflow", "object Form1: TTestForm\n object Btn1: TTestControl\n  Big = 9223372036854775808\n end\nend",
     "line 3: invalid value for property 'Big' of TTestControl: 9223372036854775808 is not a valid 64-bit integer"},
    {"EnumOrdinalOutOfRange", "object Form1: TTestForm\n object Btn1: TTestControl\n  Shape = 3\n end\nend",
     "line 3: invalid value for property 'Shape' of TTestControl: 3 is out of range (0..2)"},
    {"UnknownEnumName", "object Form1: TTestForm\n object Btn1: TTestControl\n  Shape = skHexagon\n end\nend",
     "line 3: invalid value for property 'Shape' of TTestControl: 'skHexagon' is not one of skRect, skEllipse, "
     "skStar"},
    {"UnknownSetMember", "object Form1: TTestForm\n object Btn1: TTestControl\n  Options = [goA, goZ]\n end\nend",
     "line 3: invalid value for property 'Options' of TTestControl: 'goZ' is not one of goA, goB, goC"},
    {"BooleanAsNumber", "object Form1: TTestForm\n object Btn1: TTestControl\n  Visible = 1\n end\nend",
     "line 3: invalid value for property 'Visible' of TTestControl: True or False is expected"},
    {"ReadOnly", "object Form1: TTestForm\n object Btn1: TTestControl\n  Count = 1\n end\nend",
     "line 3: invalid value for property 'Count' of TTestControl: Property Count of TTestControl is read-only"},
    {"ValueForAnObject", "object Form1: TTestForm\n object Btn1: TTestControl\n  Font = 1\n end\nend",
     "line 3: invalid value for property 'Font' of TTestControl: it is an object; set its properties (Font.Name = "
     "...)"},
    {"MissingComponent", "object Form1: TTestForm\n object Btn1: TTestControl\n  Buddy = Ghost\n end\nend",
     "line 3: component 'Ghost' not found (property 'Buddy' of Btn1)"},
    {"ComponentOfTheWrongClass", "object Form1: TTestForm\n object Btn1: TTestControl\n  Buddy = Form1\n end\nend",
     "line 3: property 'Buddy' of Btn1 needs a TTestControl; Form1 is a TTestForm"},
    {"MissingMethod", "object Form1: TTestForm\n object Btn1: TTestControl\n  OnClick = Nope\n end\nend",
     "line 3: method 'Nope' not found in TTestForm (event 'OnClick' of Btn1)"},
    {"MethodOfTheWrongType", "object Form1: TTestForm\n object Btn1: TTestControl\n  OnClick = WrongSig\n end\nend",
     "line 3: method 'WrongSig' of TTestForm does not match event 'OnClick' of Btn1"},
    {"DuplicateName", "object Form1: TTestForm\n object Btn1: TTestControl\n end\n object BTN1: TTestControl\n end\nend",
     "line 4: a component named BTN1 already exists"},
    {"NameOfAnExistingComponentOfAnotherClass", "object Form1: TTestForm\n object Kept: TTestForm\n end\nend",
     "line 2: Kept is a TTestControl, not a TTestForm"},
    {"MissingEnd", "object Form1: TTestForm\n object Btn1: TTestControl\n  Left = 1\n end\n",
     "line 5: unexpected end of the form: a property name, 'object' or 'end' expected"},
    {"MissingEquals", "object Form1: TTestForm\n object Btn1: TTestControl\n  Left 1\n end\nend",
     "line 3: '=' expected but '1' found"},
    {"UnterminatedString", "object Form1: TTestForm\n object Btn1: TTestControl\n  Caption = 'abc\n end\nend",
     "line 3: unterminated string"},
    {"BadCharacterCode", "object Form1: TTestForm\n  Caption = #70000\nend", "line 2: invalid character code in a string"},
    {"OddHexDigits", "object Form1: TTestForm\n object Btn1: TTestControl\n  Data = {\n   ABC}\n end\nend",
     "line 4: binary data with an odd number of hex digits"},
    {"UnclosedBinary", "object Form1: TTestForm\n object Btn1: TTestControl\n  Data = {AB\n",
     "line 3: binary data without closing '}'"},
    {"NonHexInBinary", "object Form1: TTestForm\n object Btn1: TTestControl\n  Data = {AG}\n end\nend",
     "line 3: invalid character 'G' in binary data"},
    {"TextAfterTheEnd", "object Form1: TTestForm\nend\nobject", "line 3: text after the final 'end'"},
    {"Empty", "  \n", "line 2: the form is empty"},
    {"ReferenceToAnotherForm", "object Form1: TTestForm\n object Btn1: TTestControl\n  Buddy = Form2.Btn1\n end\nend",
     "line 3: references to components of other forms are not supported"},
    {"StrayCharacter", "object Form1: TTestForm\n  Caption = @\nend", "line 2: unexpected character '@'"},
};

INSTANTIATE_TEST_SUITE_P(FormStream, BadFormTest, ::testing::ValuesIn(kBadForms),
                         [](const ::testing::TestParamInfo<BadForm>& info) { return std::string(info.param.name); });

TEST_F(FormStreamTest, ABrokenFormKeepsTheRootsOwnChangesButNotItsLoadingState) {
  TTestForm form(nullptr);
  EXPECT_THROW(FormFromText("object Renamed: TTestForm\n Caption = 'new'\n Bogus = 1\nend", &form), EFormError);
  // Documented: values already set on the root stay; the state is clean.
  EXPECT_EQ(form.Caption, u"new");
  EXPECT_TRUE(form.ComponentState().Empty());
}

TEST_F(FormStreamTest, FormsDeeperThanTheLimitAreRefusedWithoutExhaustingTheStack) {
  std::string text = "object Form1: TTestForm\n";
  for (int i = 0; i < 10000; ++i) text += "object TTestControl\n";
  EXPECT_THROW(FormFromText(text, nullptr), EFormError);
  TTestForm form(nullptr);
  EXPECT_THROW(FormFromText(text, &form), EFormError);
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST_F(FormStreamTest, CreateFormFromStreamBuildsTheRootFromItsClassNameOrNothing) {
  TComponent application(nullptr);
  TMemoryStream good;
  std::string text = "object Main: TDerivedForm\n object Btn1: TTestControl\n end\nend\n";
  good.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  good.SetPosition(0);
  TComponent* root = CreateFormFromStream(good, &application);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->ClassName(), "TDerivedForm");
  EXPECT_EQ(root->Owner(), &application);
  EXPECT_EQ(root->ComponentCount(), 1);

  TMemoryStream bad;
  text = "object Main2: TTestForm\n object Btn1: TTestControl\n  Left = x\n end\nend\n";
  bad.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  bad.SetPosition(0);
  EXPECT_THROW(CreateFormFromStream(bad, &application), EFormError);
  EXPECT_EQ(application.ComponentCount(), 1);  // only the first form
}

TEST_F(FormStreamTest, ComponentsReadIntoADesignedFormAreDesignedToo) {
  TTestForm form(nullptr);
  form.SetDesigning(true);
  FormFromText("object Form1: TTestForm\n object Btn1: TTestControl\n end\nend", &form);
  EXPECT_TRUE(form.Components(0)->IsDesigning());
}

TEST_F(FormStreamTest, ReferencesOutsideTheFormAreNotWritten) {
  TTestForm form(nullptr);
  form.SetName(u"Form1");
  TTestForm other(nullptr);
  auto* inForm = new TTestControl(&form);
  inForm->SetName(u"Btn1");
  auto* outside = new TTestControl(&other);
  outside->SetName(u"Far");
  inForm->Buddy = outside;
  inForm->OnClick = TNotifyEvent(&other, &TTestForm::ButtonClick, "ButtonClick");  // another form's method
  std::string text = FormToText(&form);
  EXPECT_EQ(text.find("Buddy"), std::string::npos);
  EXPECT_EQ(text.find("OnClick"), std::string::npos);
}

TEST_F(FormStreamTest, FormFilesAreSavedSafelyAndLoadBack) {
  auto path = (std::filesystem::temp_directory_path() / "vx_form_stream_test.vxf").string();
  TTestForm original(nullptr);
  BuildGoldenForm(original);
  SaveFormToFile(path, &original);
  TTestForm copy(nullptr);
  LoadFormFromFile(path, &copy);
  EXPECT_EQ(FormToText(&copy), kGolden);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace vx::plat
