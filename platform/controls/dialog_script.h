// Scripted answers for dialogs: tests and batch runs say beforehand how the
// "user" answers message boxes, file dialogs and popup menus, and read back
// every question the program asked. A scripted answer is used on any host;
// without one, the headless host answers by itself (a message box with its
// default answer, a file dialog with Cancel, a popup menu with no item) and
// a real host shows the dialog.
//
//   DialogScript().QueueMessageAnswer(mrCancel);
//   LoadDrawing();   // asks "wrong file version - load map file?"
//   EXPECT_EQ(DialogScript().AskedMessages().back().Kind, mtError);
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/controls/dialogs.h"
#include "platform/core/types.h"

namespace vx::plat {

class TMenuItem;
class TPopupMenu;

// One message box the program asked.
struct TAskedMessage {
  String Text;
  TMsgDlgType Kind = mtCustom;
  TMsgDlgButtons Buttons;
  int HelpCtx = 0;
  TModalResult Answer = mrNone;  // what the box returned
};

// One file dialog the program showed.
struct TAskedFile {
  TFileDialogKind Kind = fdOpen;
  String Title;
  String Filter;
  std::int32_t FilterIndex = 1;
  String FileName;    // the proposed name
  String InitialDir;
  String DefaultExt;
  TOpenOptions Options;
};

// One popup menu the program showed.
struct TAskedPopup {
  TPopupMenu* Menu = nullptr;
  TPoint Pos;
};

// A file dialog's scripted reply: a file name, or nullopt for Cancel.
using TFileAnswer = std::optional<String>;

class TDialogScript {
public:
  // Answers the next message box (queued answers go first, in order).
  void QueueMessageAnswer(TModalResult Answer) { FMessageAnswers.push_back(Answer); }
  // Answers message boxes once the queue is empty (nullptr: no answerer).
  void SetMessageAnswerer(std::function<TModalResult(const TAskedMessage&)> Answerer) {
    FMessageAnswerer = std::move(Answerer);
  }
  // Answers the next file dialog with a file name.
  void QueueFileAnswer(const String& FileName) { FFileAnswers.push_back(FileName); }
  // Cancels the next file dialog.
  void QueueFileCancel() { FFileAnswers.push_back(std::nullopt); }
  // Answers file dialogs once the queue is empty (nullptr: no answerer).
  void SetFileAnswerer(std::function<TFileAnswer(const TAskedFile&)> Answerer) { FFileAnswerer = std::move(Answerer); }
  // Picks the item a shown popup menu clicks (nil: none).
  void SetPopupChooser(std::function<TMenuItem*(const TAskedPopup&)> Chooser) { FPopupChooser = std::move(Chooser); }

  // When true, the headless host shows the real dialog forms for questions
  // nothing scripted answers, so that tests can drive them with input.
  void SetShowForms(bool Value) { FShowForms = Value; }
  bool ShowForms() const { return FShowForms; }

  // Every question asked, oldest first.
  const std::vector<TAskedMessage>& AskedMessages() const { return FAskedMessages; }
  const std::vector<TAskedFile>& AskedFiles() const { return FAskedFiles; }
  const std::vector<TAskedPopup>& AskedPopups() const { return FAskedPopups; }

  // Forgets answers, answerers, records and the ShowForms setting.
  void Reset();

  // --- used by the dialogs ---
  void RecordMessage(const TAskedMessage& Asked) { FAskedMessages.push_back(Asked); }
  std::optional<TModalResult> NextMessageAnswer(const TAskedMessage& Asked);
  void RecordFile(const TAskedFile& Asked) { FAskedFiles.push_back(Asked); }
  // The scripted reply, or no value when nothing is scripted.
  std::optional<TFileAnswer> NextFileAnswer(const TAskedFile& Asked);
  void RecordPopup(const TAskedPopup& Asked) { FAskedPopups.push_back(Asked); }
  // Whether a chooser is set; Chosen receives its pick.
  bool ChoosePopupItem(const TAskedPopup& Asked, TMenuItem*& Chosen);
  // Whether questions nothing scripted answers are answered without showing
  // anything (the headless host, unless ShowForms).
  bool AnswersAlone() const;

private:
  std::deque<TModalResult> FMessageAnswers;
  std::function<TModalResult(const TAskedMessage&)> FMessageAnswerer;
  std::deque<TFileAnswer> FFileAnswers;
  std::function<TFileAnswer(const TAskedFile&)> FFileAnswerer;
  std::function<TMenuItem*(const TAskedPopup&)> FPopupChooser;
  bool FShowForms = false;
  std::vector<TAskedMessage> FAskedMessages;
  std::vector<TAskedFile> FAskedFiles;
  std::vector<TAskedPopup> FAskedPopups;
};

// The dialog script of the process.
TDialogScript& DialogScript();

}  // namespace vx::plat
