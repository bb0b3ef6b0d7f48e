// Speed buttons in groups, tool and bit buttons with actions, the progress
// bar's stepping, clamping and painting, the activity label's immediate
// repaint, the read-only memo, and their round trip through a form file.
#include "platform/controls/buttons.h"
#include "platform/controls/comctrls.h"
#include "platform/controls/memo.h"
#include "platform/core/form_stream.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class UiControlsTest : public HeadlessTest {};

TSpeedButton* NewSpeedButton(TWinControl* parent, int group, int left) {
  auto* b = new TSpeedButton(parent);
  b->SetParent(parent);
  b->SetBounds(left, 10, 23, 22);
  b->SetGroupIndex(group);
  return b;
}

TEST_F(UiControlsTest, SpeedButtonGroupKeepsOneDown) {
  TForm* form = MakeForm();
  TSpeedButton* a = NewSpeedButton(form, 1, 10);
  TSpeedButton* b = NewSpeedButton(form, 1, 40);
  TSpeedButton* other = NewSpeedButton(form, 2, 70);
  TSpeedButton* plain = NewSpeedButton(form, 0, 100);
  other->SetDown(true);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  EXPECT_TRUE(other->Down());  // another group
  b->SetDown(false);           // the group must keep one down
  EXPECT_TRUE(b->Down());
  plain->SetDown(true);        // no group: never stays down
  EXPECT_FALSE(plain->Down());

  // AllowAllUp is shared by the group and lets the down button go up.
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_FALSE(other->AllowAllUp());
  b->SetDown(false);
  EXPECT_FALSE(a->Down());
  EXPECT_FALSE(b->Down());
}

TEST_F(UiControlsTest, SpeedButtonClickByMouseGoesDownAndFiresWithItselfAsSender) {
  TForm* form = MakeForm();
  TSpeedButton* a = NewSpeedButton(form, 1, 10);
  TSpeedButton* b = NewSpeedButton(form, 1, 40);
  b->SetDown(true);
  std::vector<TObject*> senders;
  a->OnClick = [&](TObject* s) { senders.push_back(s); };
  Host.RunUntilIdle();
  Host.Click(mbLeft, At(a, 5, 5));
  Host.RunUntilIdle();
  EXPECT_TRUE(a->Down());
  EXPECT_FALSE(b->Down());
  // Clicking the down button again: it stays down (no AllowAllUp) but clicks.
  Host.Click(mbLeft, At(a, 5, 5));
  Host.RunUntilIdle();
  EXPECT_TRUE(a->Down());
  ASSERT_EQ(senders.size(), 2u);
  EXPECT_EQ(senders[0], a);
  // A press released outside the button does not click.
  Host.Drag(mbLeft, At(a, 5, 5), At(a, 200, 100));
  Host.RunUntilIdle();
  EXPECT_EQ(senders.size(), 2u);
}

TEST_F(UiControlsTest, ButtonsKeepAnActionThatCanBeCleared) {
  TForm* form = MakeForm();
  TComponent tool(nullptr);
  auto* speed = new TSpeedButton(form);
  auto* bit = new TBitBtn(form);
  auto* toolButton = new TToolButton(form);
  for (TControl* c : std::initializer_list<TControl*>{speed, bit, toolButton}) {
    int clicks = 0;
    c->OnClick = [&](TObject* s) { clicks += s == c; };
    c->SetAction(&tool);
    EXPECT_EQ(c->Action(), &tool);
    c->Click();
    EXPECT_EQ(clicks, 1) << c->ClassName();
    c->SetAction(nullptr);
    c->OnClick = nullptr;
    EXPECT_EQ(c->Action(), nullptr);
  }
  toolButton->SetStyle(tbsCheck);
  toolButton->Click();
  EXPECT_TRUE(toolButton->Down());
  bit->SetKind(bkCancel);
  EXPECT_EQ(bit->Caption(), u"Cancel");
  EXPECT_EQ(bit->ModalResult(), mrCancel);
}

TEST_F(UiControlsTest, ProgressBarStepsByOneAndStaysInRange) {
  TProgressBar bar(nullptr);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  EXPECT_EQ(bar.Step(), 1);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 2);
  struct Case {
    const char* What;
    std::function<void()> Do;
    std::int32_t Expected;
  };
  const Case cases[] = {
      {"StepBy", [&] { bar.StepBy(40); }, 42},
      {"step 10", [&] { bar.SetStep(10); bar.StepIt(); }, 52},
      {"past Max", [&] { bar.StepBy(1000); }, 100},
      {"StepIt at Max stays", [&] { bar.StepIt(); }, 100},
      {"below Min", [&] { bar.SetPosition(-5); }, 0},
      {"huge delta", [&] { bar.SetPosition(50); bar.StepBy(INT32_MAX); }, 100},
      {"Max shrinks", [&] { bar.SetMax(30); }, 30},
      {"Min grows", [&] { bar.SetMin(40); }, 40},
  };
  for (const Case& c : cases) {
    c.Do();
    EXPECT_EQ(bar.Position(), c.Expected) << c.What;
  }
  EXPECT_EQ(bar.Max(), 40);  // Min above Max moved Max along
}

TEST_F(UiControlsTest, ProgressBarPaintsTheFilledPart) {
  TForm* form = MakeForm();
  auto* bar = new TProgressBar(form);
  bar->SetParent(form);
  bar->SetBounds(10, 10, 204, 20);
  bar->SetBarColor(clRed);
  bar->SetColor(clWhite);
  bar->SetPosition(25);
  Host.RunUntilIdle();
  const int client = bar->ClientWidth();
  ASSERT_GT(client, 100);
  EXPECT_EQ(bar->FilledWidth(), client / 4);
  const int y = bar->ClientHeight() / 2;
  const TPoint inFill = bar->ClientToScreen(TPoint{client / 4 - 2, y});
  const TPoint pastFill = bar->ClientToScreen(TPoint{client / 4 + 2, y});
  EXPECT_EQ(Host.ScreenPixel(inFill.x, inFill.y), clRed);
  EXPECT_EQ(Host.ScreenPixel(pastFill.x, pastFill.y), clWhite);
  bar->StepBy(50);
  Host.RunUntilIdle();
  EXPECT_EQ(Host.ScreenPixel(pastFill.x, pastFill.y), clRed);
}

TEST_F(UiControlsTest, ActivityLabelPaintsItsTextBeforeTheLoopRuns) {
  TForm* form = MakeForm();
  form->SetColor(clWhite);
  auto* label = new TActivityLabel(form);
  label->SetParent(form);
  label->SetBounds(10, 10, 10, 10);
  Host.RunUntilIdle();
  label->SetCaption(u"Loading...");
  // No RunUntilIdle: the text must already be on the screen.
  int ink = 0;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) {
      const TPoint p = At(label, x, y);
      ink += Host.ScreenPixel(p.x, p.y) != clWhite;
    }
  EXPECT_GT(ink, 10);
}

TEST_F(UiControlsTest, ReadOnlyMemoShowsLinesAndRefusesTyping) {
  TForm* form = MakeForm();
  form->SetColor(clWhite);
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 260, 100);
  memo->SetReadOnly(true);
  memo->Lines().Add(u"TvxLabels is included only for compatibility ");
  memo->Lines().Add(u"with older versions of Vexalith. ");
  memo->SetFocus();
  Host.RunUntilIdle();
  Host.TypeText(u"xyz");
  Host.RunUntilIdle();
  ASSERT_EQ(memo->Lines().Count(), 2);
  EXPECT_EQ(memo->Lines()[0], u"TvxLabels is included only for compatibility ");
  int ink = 0;
  for (int x = 4; x < 200; ++x) {
    const TPoint p = At(memo, x, 6);
    ink += Host.ScreenPixel(p.x, p.y) != memo->Color();
  }
  EXPECT_GT(ink, 5);
  memo->SetReadOnly(false);
  Host.TypeText(u"ok");
  Host.RunUntilIdle();
  EXPECT_EQ(memo->Lines()[1], u"with older versions of Vexalith. ok");
}

TEST_F(UiControlsTest, ProgressBarButtonsAndMemoRoundTripThroughAFormFile) {
  TForm form(nullptr);
  form.SetName(u"Form1");
  auto* bar = new TProgressBar(&form);
  bar->SetName(u"Bar");
  bar->SetMax(500);
  bar->SetPosition(321);
  bar->SetStep(5);
  auto* speed = new TSpeedButton(&form);
  speed->SetName(u"Pick");
  speed->SetGroupIndex(3);
  speed->SetAllowAllUp(true);
  speed->SetDown(true);
  speed->SetAction(bar);
  auto* memo = new TMemo(&form);
  memo->SetName(u"Notes");
  memo->SetReadOnly(true);
  memo->Lines().Add(u"Better use TvxText, TvxTextLabs or ");
  memo->Lines().Add(u"TvxTextLabs2D!");
  const std::string text = FormToText(&form);

  TForm copy(nullptr);
  FormFromText(text, &copy);
  auto* bar2 = dynamic_cast<TProgressBar*>(copy.FindComponent(u"Bar"));
  auto* speed2 = dynamic_cast<TSpeedButton*>(copy.FindComponent(u"Pick"));
  auto* memo2 = dynamic_cast<TMemo*>(copy.FindComponent(u"Notes"));
  ASSERT_TRUE(bar2 && speed2 && memo2) << text;
  EXPECT_EQ(bar2->Max(), 500);
  EXPECT_EQ(bar2->Position(), 321);
  EXPECT_EQ(bar2->Step(), 5);
  EXPECT_TRUE(speed2->Down());
  EXPECT_TRUE(speed2->AllowAllUp());
  EXPECT_EQ(speed2->GroupIndex(), 3);
  EXPECT_EQ(speed2->Action(), bar2);
  EXPECT_TRUE(memo2->ReadOnly());
  ASSERT_EQ(memo2->Lines().Count(), 2);
  EXPECT_EQ(memo2->Lines()[0], u"Better use TvxText, TvxTextLabs or ");
  EXPECT_EQ(FormToText(&copy), text);
}

}  // namespace
}  // namespace vx::plat::testing
