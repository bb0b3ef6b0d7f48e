#include "platform/controls/dialogs.h"

#include <filesystem>
#include <system_error>

#include "platform/controls/application.h"
#include "platform/controls/dialog_forms.h"
#include "platform/host/host.h"

namespace vx::plat {

VX_DEFINE_CLASS(TOpenDialog, TComponent)
VX_DEFINE_CLASS(TSaveDialog, TOpenDialog)
VX_PUBLISH(TOpenDialog)
VX_PUBLISH(TSaveDialog)

// --- the script ---------------------------------------------------------------------

TDialogScript& DialogScript() {
  static TDialogScript script;
  return script;
}

void TDialogScript::Reset() { *this = TDialogScript(); }

std::optional<TModalResult> TDialogScript::NextMessageAnswer(const TAskedMessage& Asked) {
  if (!FMessageAnswers.empty()) {
    const TModalResult answer = FMessageAnswers.front();
    FMessageAnswers.pop_front();
    return answer;
  }
  if (FMessageAnswerer) return FMessageAnswerer(Asked);
  return std::nullopt;
}

std::optional<TFileAnswer> TDialogScript::NextFileAnswer(const TAskedFile& Asked) {
  if (!FFileAnswers.empty()) {
    TFileAnswer answer = FFileAnswers.front();
    FFileAnswers.pop_front();
    return answer;
  }
  if (FFileAnswerer) return FFileAnswerer(Asked);
  return std::nullopt;
}

bool TDialogScript::ChoosePopupItem(const TAskedPopup& Asked, TMenuItem*& Chosen) {
  if (!FPopupChooser) return false;
  Chosen = FPopupChooser(Asked);
  return true;
}

bool TDialogScript::AnswersAlone() const { return std::string_view(Host().Name()) == "headless" && !FShowForms; }

// --- message boxes ------------------------------------------------------------------

TModalResult ModalResultOf(TMsgDlgBtn Button) {
  switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrNone;
  }
  return mrNone;
}

String ButtonCaption(TMsgDlgBtn Button) {
  switch (Button) {
    case mbYes: return u"Yes";
    case mbNo: return u"No";
    case mbOK: return u"OK";
    case mbCancel: return u"Cancel";
    case mbAbort: return u"Abort";
    case mbRetry: return u"Retry";
    case mbIgnore: return u"Ignore";
    case mbAll: return u"All";
    case mbNoToAll: return u"No to All";
    case mbYesToAll: return u"Yes to All";
    case mbHelp: return u"Help";
  }
  return String();
}

String MsgDlgCaption(TMsgDlgType Kind) {
  switch (Kind) {
    case mtWarning: return u"Warning";
    case mtError: return u"Error";
    case mtInformation: return u"Information";
    case mtConfirmation: return u"Confirm";
    case mtCustom: break;
  }
  return Application->Title();
}

TModalResult DefaultAnswer(TMsgDlgButtons Buttons) {
  if (Buttons.Contains(mbYes)) return mrYes;
  if (Buttons.Contains(mbOK) || Buttons.Empty()) return mrOk;
  for (int b = mbYes; b <= mbHelp; ++b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b)) && b != mbHelp) return ModalResultOf(static_cast<TMsgDlgBtn>(b));
  return mrOk;  // only Help: the box still has to close somehow
}

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  TAskedMessage asked{Msg, DlgType, Buttons, HelpCtx, mrNone};
  TDialogScript& script = DialogScript();
  if (std::optional<TModalResult> scripted = script.NextMessageAnswer(asked))
    asked.Answer = *scripted;
  else if (script.AnswersAlone())
    asked.Answer = DefaultAnswer(Buttons);
  else
    asked.Answer = ShowMessageForm(asked);
  script.RecordMessage(asked);
  return asked.Answer;
}

void ShowMessage(const String& Msg) { MessageDlg(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0); }

// --- filters and names --------------------------------------------------------------

namespace {

std::vector<String> SplitOn(const String& s, char16_t sep) {
  std::vector<String> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == String::npos ? String::npos : at - start));
    if (at == String::npos) return parts;
    start = at + 1;
  }
}

String Trimmed(const String& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && s[a] == u' ') ++a;
  while (b > a && s[b - 1] == u' ') --b;
  return s.substr(a, b - a);
}

char16_t Folded(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Iterative wildcard match with backtracking to the last "*" only, so that
// long names and many stars stay linear-ish instead of exponential.
bool Wildcard(const String& name, const String& pattern) {
  std::size_t n = 0, p = 0, starP = String::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || Folded(pattern[p]) == Folded(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != String::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace

std::vector<TFilterEntry> ParseFilter(const String& Filter) {
  std::vector<TFilterEntry> entries;
  if (Filter.empty()) return entries;
  const std::vector<String> parts = SplitOn(Filter, u'|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    TFilterEntry entry{parts[i], {}};
    for (const String& pattern : SplitOn(parts[i + 1], u';'))
      if (String t = Trimmed(pattern); !t.empty()) entry.Patterns.push_back(t);
    if (!entry.Patterns.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

bool MatchesPattern(const String& FileName, const String& Pattern) {
  // "*.*" means every file, also those without a dot.
  if (Pattern == u"*.*" || Pattern == u"*") return true;
  return Wildcard(FileName, Pattern);
}

String ApplyDefaultExt(const String& FileName, const String& DefaultExt) {
  String ext = DefaultExt;
  while (!ext.empty() && (ext.front() == u'*' || ext.front() == u'.')) ext.erase(0, 1);
  if (ext.empty() || FileName.empty()) return FileName;
  const std::size_t slash = FileName.find_last_of(u"/\\");
  const std::size_t nameStart = slash == String::npos ? 0 : slash + 1;
  if (nameStart == FileName.size()) return FileName;  // a folder, not a file
  if (FileName.find(u'.', nameStart) != String::npos) return FileName;
  return FileName + u"." + ext;
}

// --- TOpenDialog --------------------------------------------------------------------

void TOpenDialog::RegisterProperties(TPropertyRegistry<TOpenDialog>& r) {
  r.Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt, String());
  r.Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName, String());
  r.Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter, String());
  r.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1);
  r.Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir, String());
  r.Set("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions,
        {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
         "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist"},
        TOpenOptions{ofHideReadOnly});
  r.Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle, String());
  r.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

void TSaveDialog::RegisterProperties(TPropertyRegistry<TSaveDialog>&) {}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner, fdOpen) {}

TOpenDialog::TOpenDialog(TComponent* AOwner, TFileDialogKind Kind) : TComponent(AOwner), FKind(Kind) {}

namespace {

std::filesystem::path PathOf(const String& s) { return std::filesystem::path(StringToUtf8(s)); }

bool FileExists(const String& name) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathOf(name), ec);
}

}  // namespace

bool TOpenDialog::Acceptable(const String& Chosen) const {
  if (FKind == fdOpen && FOptions.Contains(ofFileMustExist) && !FileExists(Chosen)) return false;
  if (FKind == fdSave && FOptions.Contains(ofOverwritePrompt) && FileExists(Chosen)) {
    const String name = Utf8ToString(PathOf(Chosen).filename().string());
    return MessageDlg(name + u" already exists.\r\nDo you want to replace it?", mtWarning, mbYesNo) == mrYes;
  }
  return true;
}

bool TOpenDialog::Execute() {
  const TAskedFile asked{FKind, FTitle, FFilter, FFilterIndex, FFileName, FInitialDir, FDefaultExt, FOptions};
  TDialogScript& script = DialogScript();
  // A refused name (a missing file to open, a replace question answered No)
  // asks again, as the dialog would stay open; the script's answers are
  // finite, so this ends when they run out.
  for (int attempt = 0; attempt < 100; ++attempt) {
    script.RecordFile(asked);
    TFileAnswer answer;
    if (std::optional<TFileAnswer> scripted = script.NextFileAnswer(asked))
      answer = *scripted;
    else if (script.AnswersAlone())
      return false;  // nobody there to choose: cancelled
    else
      answer = ShowFileChooser(asked);
    if (!answer || answer->empty()) return false;
    String chosen = *answer;
    if (!FInitialDir.empty() && !PathOf(chosen).is_absolute())
      chosen = Utf8ToString((PathOf(FInitialDir) / PathOf(chosen)).string());
    chosen = ApplyDefaultExt(chosen, FDefaultExt);
    if (!Acceptable(chosen)) continue;
    FFileName = chosen;
    return true;
  }
  return false;
}

}  // namespace vx::plat
