// Dialogs: message boxes (MessageDlg, ShowMessage) and the open and save
// file dialogs (TOpenDialog, TSaveDialog). On a real host they are modal
// forms; on the headless host the scripted answers of dialog_script.h reply
// and every question is recorded there.
#pragma once

#include <cstdint>

#include "platform/controls/forms.h"
#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/set.h"
#include "platform/core/unicode.h"

namespace vx::plat {

// The kind of a message box: its caption and glyph.
enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a message box may show, in the order they show.
enum TMsgDlgBtn : std::uint8_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
};
using TMsgDlgButtons = TSet<TMsgDlgBtn, std::uint16_t, mbHelp>;

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The modal result a button gives (mbHelp: mrNone, it never closes the box).
TModalResult ModalResultOf(TMsgDlgBtn Button);
// The caption of a button without accelerator ("Yes", "Cancel", ...).
String ButtonCaption(TMsgDlgBtn Button);
// The caption of a box of this kind ("Warning", "Error", "Information",
// "Confirm"; a custom box shows the application's title).
String MsgDlgCaption(TMsgDlgType Kind);
// What a box answers when nobody answers it: Yes when it has a Yes button,
// else OK when it has one, else its first button (an empty set counts as OK).
TModalResult DefaultAnswer(TMsgDlgButtons Buttons);

// Asks the user and returns the modal result of the button pressed (Escape
// or closing the box: Cancel when shown, else No, else the default answer).
// On the headless host: the scripted answer, or DefaultAnswer when nothing
// is scripted.
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// A custom box with the text and an OK button.
void ShowMessage(const String& Msg);

// --- file dialogs ---

enum TOpenOption : std::uint8_t {
  ofReadOnly,
  ofOverwritePrompt,  // save: choosing an existing file asks before replacing it
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,    // open: only existing files can be chosen
};
using TOpenOptions = TSet<TOpenOption, std::uint16_t, ofFileMustExist>;

// Whether a file dialog opens or saves.
enum TFileDialogKind : std::uint8_t { fdOpen, fdSave };

// One "description|pattern" pair of a filter: "Map files (*.map)" and its
// patterns {"*.MAP"} (several patterns are separated by ";").
struct TFilterEntry {
  String Description;
  std::vector<String> Patterns;
};
// The pairs of a filter string "Map files (*.map)|*.MAP|All files|*.*"; a
// description without a pattern is dropped.
std::vector<TFilterEntry> ParseFilter(const String& Filter);
// Whether a file name (without folder) matches a pattern with "*" and "?",
// ignoring case as file dialogs do.
bool MatchesPattern(const String& FileName, const String& Pattern);
// FileName with "." + DefaultExt appended when its last part has no
// extension; DefaultExt may be written "map", ".map" or "*.map".
String ApplyDefaultExt(const String& FileName, const String& DefaultExt);

class TOpenDialog : public TComponent {
  VX_DECLARE_CLASS(TOpenDialog)
public:
  // Publishes Title, Filter, FilterIndex, DefaultExt, FileName, InitialDir, Options.
  static void RegisterProperties(TPropertyRegistry<TOpenDialog>& r);
  explicit TOpenDialog(TComponent* AOwner);

  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  // "Description|pattern" pairs: "Map files (*.map)|*.MAP".
  const String& Filter() const { return FFilter; }
  void SetFilter(const String& Value) { FFilter = Value; }
  // The filter pair shown first, counted from 1 (the user's choice afterwards).
  std::int32_t FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(std::int32_t Value) { FFilterIndex = Value; }
  // The extension a chosen name without one gets ("map"; "*.map" also works).
  const String& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
  // The proposed name before Execute, the chosen one after a confirmed Execute.
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  // The folder shown first ("" : the current folder).
  const String& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
  TFileDialogKind Kind() const { return FKind; }

  // Asks for a file: true when the user confirmed one (FileName holds it,
  // with DefaultExt applied); false when cancelled (FileName unchanged).
  // On the headless host an unscripted dialog is cancelled.
  virtual bool Execute();

protected:
  TOpenDialog(TComponent* AOwner, TFileDialogKind Kind);
  // Whether a chosen name passes the options (an existing file for
  // ofFileMustExist; a replace question answered Yes for ofOverwritePrompt).
  bool Acceptable(const String& Chosen) const;

private:
  TFileDialogKind FKind;
  String FTitle;
  String FFilter;
  std::int32_t FFilterIndex = 1;
  String FDefaultExt;
  String FFileName;
  String FInitialDir;
  TOpenOptions FOptions{ofHideReadOnly};
};

class TSaveDialog : public TOpenDialog {
  VX_DECLARE_CLASS(TSaveDialog)
public:
  static void RegisterProperties(TPropertyRegistry<TSaveDialog>& r);
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner, fdSave) {}
};

}  // namespace vx::plat
