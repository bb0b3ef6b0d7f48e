// Message boxes and file dialogs on the headless host: scripted answers reach
// the caller, every question is recorded, unscripted questions get the
// documented answers, and chosen names get the default extension.
#include <bit>
#include <filesystem>
#include <fstream>

#include "platform/controls/dialog_script.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/stdctrls.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class DialogsTest : public HeadlessTest {
protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    DialogScript().Reset();
  }
  void TearDown() override {
    DialogScript().Reset();
    HeadlessTest::TearDown();
  }
};

TEST_F(DialogsTest, ScriptedAnswerReachesTheCallerAndTheQuestionIsRecorded) {
  DialogScript().QueueMessageAnswer(mrCancel);
  DialogScript().QueueMessageAnswer(mrYes);
  EXPECT_EQ(MessageDlg(u"wrong file version - load map file?", mtError, TMsgDlgButtons{mbYes, mbCancel}, 0), mrCancel);
  EXPECT_EQ(MessageDlg(u"Print error", mtError, TMsgDlgButtons{mbOK}, 7), mrYes);
  const auto& asked = DialogScript().AskedMessages();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].Text, u"wrong file version - load map file?");
  EXPECT_EQ(asked[0].Kind, mtError);
  EXPECT_EQ(asked[0].Buttons, (TMsgDlgButtons{mbYes, mbCancel}));
  EXPECT_EQ(asked[0].Answer, mrCancel);
  EXPECT_EQ(asked[1].Text, u"Print error");
  EXPECT_EQ(asked[1].HelpCtx, 7);
}

TEST_F(DialogsTest, AnswererIsAskedOnceTheQueueIsEmpty) {
  DialogScript().QueueMessageAnswer(mrNo);
  DialogScript().SetMessageAnswerer(
      [](const TAskedMessage& m) { return m.Kind == mtConfirmation ? mrOk : mrAbort; });
  EXPECT_EQ(MessageDlg(u"a", mtConfirmation, mbYesNo), mrNo);
  EXPECT_EQ(MessageDlg(u"b", mtConfirmation, TMsgDlgButtons{mbOK}), mrOk);
  EXPECT_EQ(MessageDlg(u"c", mtWarning, mbAbortRetryIgnore), mrAbort);
}

struct DefaultCase {
  TMsgDlgButtons Buttons;
  TModalResult Expected;
};

TEST_F(DialogsTest, UnscriptedBoxReturnsTheDefaultAnswer) {
  const DefaultCase cases[] = {
      {TMsgDlgButtons{mbOK}, mrOk},          {TMsgDlgButtons{mbYes, mbCancel}, mrYes},
      {mbOKCancel, mrOk},                    {mbYesNoCancel, mrYes},
      {TMsgDlgButtons{mbCancel, mbOK}, mrOk}, {mbAbortRetryIgnore, mrAbort},
      {TMsgDlgButtons{mbNo, mbCancel}, mrNo}, {TMsgDlgButtons{}, mrOk},
  };
  for (const DefaultCase& c : cases) {
    EXPECT_EQ(MessageDlg(u"x", mtInformation, c.Buttons), c.Expected) << "buttons " << c.Buttons.Bits();
    EXPECT_EQ(DialogScript().AskedMessages().back().Answer, c.Expected);
  }
}

TEST_F(DialogsTest, ShowMessageIsACustomBoxWithOk) {
  ShowMessage(u"No Action Assigned");
  ASSERT_EQ(DialogScript().AskedMessages().size(), 1u);
  const TAskedMessage& m = DialogScript().AskedMessages()[0];
  EXPECT_EQ(m.Text, u"No Action Assigned");
  EXPECT_EQ(m.Kind, mtCustom);
  EXPECT_EQ(m.Buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(m.Answer, mrOk);
}

TEST_F(DialogsTest, ResultNumbersAreTheOnesFilesAndCallersExpect) {
  EXPECT_EQ(ModalResultOf(mbOK), 1);
  EXPECT_EQ(ModalResultOf(mbCancel), 2);
  EXPECT_EQ(ModalResultOf(mbAbort), 3);
  EXPECT_EQ(ModalResultOf(mbRetry), 4);
  EXPECT_EQ(ModalResultOf(mbIgnore), 5);
  EXPECT_EQ(ModalResultOf(mbYes), 6);
  EXPECT_EQ(ModalResultOf(mbNo), 7);
}

TEST_F(DialogsTest, CancelledOpenDialogReturnsFalseAndKeepsFileName) {
  TOpenDialog dialog(nullptr);
  dialog.SetTitle(u"Load Map File");
  dialog.SetFilter(u"Map files (*.map)|*.MAP");
  dialog.SetFileName(u"old.map");
  DialogScript().QueueFileCancel();
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"old.map");
  // Unscripted on the headless host: cancelled as well.
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"old.map");
  const auto& asked = DialogScript().AskedFiles();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].Kind, fdOpen);
  EXPECT_EQ(asked[0].Title, u"Load Map File");
  EXPECT_EQ(asked[0].Filter, u"Map files (*.map)|*.MAP");
  EXPECT_EQ(asked[0].FileName, u"old.map");
}

TEST_F(DialogsTest, ScriptedSaveAnswerGetsTheDefaultExtension) {
  TSaveDialog dialog(nullptr);
  dialog.SetTitle(u"Create Map File");
  dialog.SetDefaultExt(u"*.map");
  dialog.SetFilter(u"Map files (*.map)|*.MAP");
  DialogScript().QueueFileAnswer(u"/tmp/plan");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"/tmp/plan.map");
  EXPECT_EQ(DialogScript().AskedFiles().back().Kind, fdSave);
  EXPECT_EQ(DialogScript().AskedFiles().back().Title, u"Create Map File");
}

struct ExtCase {
  const char16_t* Name;
  const char16_t* Ext;
  const char16_t* Expected;
};

TEST(DialogNames, DefaultExtensionOnlyForNamesWithoutOne) {
  const ExtCase cases[] = {
      {u"plan", u"map", u"plan.map"},         {u"plan", u".map", u"plan.map"},
      {u"plan", u"*.map", u"plan.map"},       {u"plan.txt", u"map", u"plan.txt"},
      {u"dir.d/plan", u"map", u"dir.d/plan.map"}, {u"plan", u"", u"plan"},
      {u"dir/", u"map", u"dir/"},             {u"", u"map", u""},
  };
  for (const ExtCase& c : cases) EXPECT_EQ(ApplyDefaultExt(c.Name, c.Ext), String(c.Expected)) << StringToUtf8(c.Name);
}

TEST(DialogNames, FilterPairsAndPatterns) {
  const auto entries = ParseFilter(u"Map files (*.map)|*.MAP|Pictures|*.bmp; *.png|Dangling");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Description, u"Map files (*.map)");
  EXPECT_EQ(entries[0].Patterns, std::vector<String>{u"*.MAP"});
  EXPECT_EQ(entries[1].Patterns, (std::vector<String>{u"*.bmp", u"*.png"}));
  EXPECT_TRUE(MatchesPattern(u"plan.map", u"*.MAP"));
  EXPECT_FALSE(MatchesPattern(u"plan.map.bak", u"*.MAP"));
  EXPECT_TRUE(MatchesPattern(u"README", u"*.*"));
  EXPECT_TRUE(MatchesPattern(u"a1.emf", u"a?.emf"));
  EXPECT_FALSE(MatchesPattern(String(5000, u'a') + u"b", String(40, u'*') + u"a"));
}

TEST_F(DialogsTest, FileMustExistAsksAgainUntilAnExistingFileIsChosen) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_ui_dialogs_test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "there.map") << "x";
  TOpenDialog dialog(nullptr);
  dialog.SetOptions(TOpenOptions{ofFileMustExist});
  dialog.SetInitialDir(Utf8ToString(dir.string()));
  DialogScript().QueueFileAnswer(u"missing.map");
  DialogScript().QueueFileAnswer(u"there.map");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), Utf8ToString((dir / "there.map").string()));
  EXPECT_EQ(DialogScript().AskedFiles().size(), 2u);
  std::filesystem::remove_all(dir);
}

TEST_F(DialogsTest, OverwritePromptAnsweredNoKeepsAsking) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_ui_dialogs_test2";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "old.map") << "x";
  TSaveDialog dialog(nullptr);
  dialog.SetOptions(TOpenOptions{ofOverwritePrompt});
  dialog.SetInitialDir(Utf8ToString(dir.string()));
  DialogScript().QueueFileAnswer(u"old.map");
  DialogScript().QueueMessageAnswer(mrNo);
  DialogScript().QueueFileCancel();
  EXPECT_FALSE(dialog.Execute());
  ASSERT_EQ(DialogScript().AskedMessages().size(), 1u);
  EXPECT_EQ(DialogScript().AskedMessages()[0].Kind, mtWarning);
  EXPECT_NE(DialogScript().AskedMessages()[0].Text.find(u"old.map"), String::npos);
  std::filesystem::remove_all(dir);
}

// The top-level window shown last (the dialog while it is modal).
TCustomForm* ShownDialog() {
  const auto windows = TopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (IsWindowVisible(*it))
      if (auto* form = dynamic_cast<TCustomForm*>(FindControl(*it))) return form;
  return nullptr;
}

struct KeyCase {
  std::uint16_t Key;
  TMsgDlgButtons Buttons;
  TModalResult Expected;
};

TEST_F(DialogsTest, DrawnBoxAnswersReturnAndEscapeWithItsButtons) {
  DialogScript().SetShowForms(true);
  const KeyCase cases[] = {
      {VK_RETURN, TMsgDlgButtons{mbYes, mbCancel}, mrYes},
      {VK_ESCAPE, TMsgDlgButtons{mbYes, mbCancel}, mrCancel},
      {VK_ESCAPE, mbYesNo, mrNo},
      {VK_RETURN, TMsgDlgButtons{mbOK}, mrOk},
  };
  for (const KeyCase& c : cases) {
    std::vector<String> captions;
    bool pressed = false;
    Host.SetIdleScript([&] {
      if (pressed) return false;
      if (TCustomForm* box = ShownDialog()) {
        captions.push_back(box->Caption());
        for (int i = 0; i < box->ControlCount(); ++i)
          if (auto* b = dynamic_cast<TButton*>(box->Controls(i))) captions.push_back(b->Caption());
      }
      Host.TypeKey(c.Key);
      pressed = true;
      return true;
    });
    EXPECT_EQ(MessageDlg(u"wrong file version - load map file?", mtError, c.Buttons), c.Expected);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], u"Error");
    // The caption, then one button per member of the set.
    EXPECT_EQ(captions.size(), 1u + static_cast<std::size_t>(std::popcount(c.Buttons.Bits())));
  }
  Host.SetIdleScript(nullptr);
}

TEST_F(DialogsTest, DrawnChooserListsFilteredFilesAndPicksByDoubleClick) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_ui_dialogs_chooser";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "sub");
  std::ofstream(dir / "a.map") << "x";
  std::ofstream(dir / "b.txt") << "x";
  std::ofstream(dir / "sub" / "c.map") << "x";
  DialogScript().SetShowForms(true);
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(u"Map files (*.map)|*.MAP");
  dialog.SetInitialDir(Utf8ToString(dir.string()));
  // Rows: "..", "[sub]", "a.map" (b.txt filtered out). Open "sub", then pick c.map.
  int step = 0;
  Host.SetIdleScript([&] {
    TCustomForm* chooser = ShownDialog();
    if (!chooser || step > 1) return false;
    TControl* list = nullptr;
    for (int i = 0; i < chooser->ControlCount(); ++i)
      if (chooser->Controls(i)->Height() > 100) list = chooser->Controls(i);
    if (!list) return false;
    const int row = 1;  // "[sub]" in the first folder, "c.map" (below "..") in sub
    Host.DoubleClick(mbLeft, list->ClientToScreen(TPoint{20, row * 16 + 8}));
    ++step;
    return true;
  });
  ASSERT_TRUE(dialog.Execute());
  Host.SetIdleScript(nullptr);
  EXPECT_EQ(dialog.FileName(), Utf8ToString((dir / "sub" / "c.map").string()));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vx::plat::testing
