#include "platform/controls/dialog_forms.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/controls/application.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/menus.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/ui_paint.h"

namespace vx::plat {

namespace {

// --- the message box ----------------------------------------------------------------

// The glyph of a message kind: a coloured disc with a sign.
class TMessageGlyph : public TGraphicControl {
public:
  TMessageGlyph(TComponent* AOwner, TMsgDlgType Kind) : TGraphicControl(AOwner), FKind(Kind) {
    SetBounds(12, 12, 32, 32);
  }

protected:
  void Paint() override {
    static const struct {
      TColor Fill;
      const char16_t* Sign;
    } looks[] = {{RGB(255, 200, 0), u"!"}, {RGB(200, 0, 0), u"X"}, {RGB(0, 90, 200), u"i"},
                 {RGB(0, 90, 200), u"?"}, {clBtnFace, u""}};
    const auto& look = looks[FKind];
    TCanvas& c = Canvas();
    c.GetBrush().SetColor(look.Fill);
    c.GetPen().SetColor(look.Fill);
    c.Ellipse(0, 0, Width(), Height());
    c.GetBrush().SetStyle(bsClear);
    c.GetFont().SetColor(FKind == mtWarning ? clBlack : clWhite);
    c.GetFont().SetHeight(-20);
    c.GetFont().SetStyle(TFontStyles{fsBold});
    const String sign = look.Sign;
    c.TextOut((Width() - c.TextWidth(sign)) / 2, (Height() - c.TextHeight(sign)) / 2, sign);
  }

private:
  TMsgDlgType FKind;
};

}  // namespace

TModalResult ShowMessageForm(const TAskedMessage& Asked) {
  auto form = std::make_unique<TForm>(Application);
  form->SetCaption(MsgDlgCaption(Asked.Kind));
  form->SetPosition(poScreenCenter);
  const bool glyph = Asked.Kind != mtCustom;
  const int textLeft = glyph ? 56 : 12;
  if (glyph) (new TMessageGlyph(form.get(), Asked.Kind))->SetParent(form.get());
  auto* text = new TLabel(form.get());
  text->SetParent(form.get());
  text->SetLeft(textLeft);
  text->SetTop(16);
  text->SetCaption(Asked.Text);

  std::vector<TMsgDlgBtn> buttons;
  for (int b = mbYes; b <= mbHelp; ++b)
    if (Asked.Buttons.Contains(static_cast<TMsgDlgBtn>(b))) buttons.push_back(static_cast<TMsgDlgBtn>(b));
  if (buttons.empty()) buttons.push_back(mbOK);
  const int buttonWidth = 75, gap = 8;
  const int rowWidth = static_cast<int>(buttons.size()) * (buttonWidth + gap) - gap;
  const int clientWidth = std::max({rowWidth + 24, textLeft + text->Width() + 16, 200});
  const int buttonsTop = std::max(text->Top() + text->Height(), glyph ? 44 : 0) + 16;
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(buttonsTop + 25 + 12);

  // Enter presses the default answer's button; Escape Cancel (else No, else it).
  const TModalResult preferred = DefaultAnswer(Asked.Buttons);
  const TModalResult escape = Asked.Buttons.Contains(mbCancel) ? mrCancel
                              : Asked.Buttons.Contains(mbNo)   ? mrNo
                                                               : preferred;
  int left = (clientWidth - rowWidth) / 2;
  for (TMsgDlgBtn b : buttons) {
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(left, buttonsTop, buttonWidth, 25);
    button->SetCaption(ButtonCaption(b));
    button->SetModalResult(ModalResultOf(b));
    button->SetDefault(ModalResultOf(b) == preferred);
    button->SetCancel(ModalResultOf(b) == escape);
    if (button->Default()) form->FocusControl(button);
    left += buttonWidth + gap;
  }
  const int result = form->ShowModal();
  // Closing the box by its frame counts as Escape.
  return result == mrCancel && !Asked.Buttons.Contains(mbCancel) ? escape : result;
}

// --- the file chooser ---------------------------------------------------------------

namespace {

namespace fs = std::filesystem;

// One line of the chooser's list.
struct TChooserEntry {
  String Name;
  bool Folder = false;
};

// The list of a folder's entries: folders first (".." on top), then the
// files the filter lets through, each sorted by name.
class TFileList : public TCustomControl {
public:
  explicit TFileList(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
  }

  std::vector<TChooserEntry> Entries;
  int Selected = -1;
  TNotifyEvent OnChoose;   // double click or Return on an entry
  TNotifyEvent OnSelect;   // the selection moved

  static constexpr int kRowHeight = 16;

  void Fill(const fs::path& folder, const std::vector<String>& patterns) {
    Entries.clear();
    std::vector<TChooserEntry> folders, files;
    if (folder.has_parent_path() && folder != folder.root_path()) folders.push_back({u"..", true});
    std::error_code ec;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
      const String name = Utf8ToString(it->path().filename().string());
      std::error_code typeError;
      if (it->is_directory(typeError)) {
        folders.push_back({name, true});
      } else if (patterns.empty() || std::any_of(patterns.begin(), patterns.end(),
                                                 [&](const String& p) { return MatchesPattern(name, p); })) {
        files.push_back({name, false});
      }
    }
    auto byName = [](const TChooserEntry& a, const TChooserEntry& b) {
      if (a.Name == u"..") return b.Name != u"..";
      if (b.Name == u"..") return false;
      return a.Name < b.Name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    Entries = std::move(folders);
    Entries.insert(Entries.end(), files.begin(), files.end());
    Selected = -1;
    Invalidate();
  }

protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  void Paint() override {
    const HDC dc = Canvas().GetHandle();
    const TRect r = ClientRect();
    ui::FillSolid(dc, r, FColor);
    for (std::size_t i = 0; i < Entries.size(); ++i) {
      const TRect row{r.Left, r.Top + static_cast<int>(i) * kRowHeight, r.Right,
                      r.Top + static_cast<int>(i + 1) * kRowHeight};
      if (row.Top >= r.Bottom) break;
      const bool selected = static_cast<int>(i) == Selected;
      if (selected) ui::FillSolid(dc, row, clHighlight);
      const String shown = Entries[i].Folder ? u"[" + Entries[i].Name + u"]" : Entries[i].Name;
      ui::DrawCaption(dc, shown, TRect{row.Left + 3, row.Top, row.Right, row.Bottom}, *FFont,
                      selected ? clHighlightText : clWindowText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (CanFocus()) SetFocus();
    const int row = Y / kRowHeight;
    if (row >= 0 && row < static_cast<int>(Entries.size())) Select(row);
  }
  void DblClick() override {
    TCustomControl::DblClick();
    if (Selected >= 0 && OnChoose) OnChoose(this);
  }
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    const int count = static_cast<int>(Entries.size());
    if (Key == VK_DOWN && count > 0) Select(std::min(Selected + 1, count - 1));
    if (Key == VK_UP && count > 0) Select(std::max(Selected - 1, 0));
  }

private:
  void Select(int row) {
    Selected = row;
    Invalidate();
    if (OnSelect) OnSelect(this);
  }
};

// The chooser form: the folder, its list, the chosen name, OK and Cancel.
class TFileChooser : public TForm {
public:
  TFileChooser(const TAskedFile& Asked) : TForm(Application), FAsked(Asked) {
    SetCaption(Asked.Title.empty() ? String(Asked.Kind == fdOpen ? u"Open" : u"Save As") : Asked.Title);
    SetPosition(poScreenCenter);
    SetClientWidth(420);
    SetClientHeight(330);
    const auto filters = ParseFilter(Asked.Filter);
    if (!filters.empty()) {
      const std::size_t index = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(Asked.FilterIndex, 1)) - 1, 0,
                                                        filters.size() - 1);
      FPatterns = filters[index].Patterns;
    }
    FFolderLabel = AddLabel(8, 8);
    FList = new TFileList(this);
    FList->SetParent(this);
    FList->SetBounds(8, 28, 404, 230);
    FList->OnSelect = TNotifyEvent(this, &TFileChooser::ListSelected);
    FList->OnChoose = TNotifyEvent(this, &TFileChooser::ListChosen);
    FNameLabel = AddLabel(8, 266);
    auto* ok = AddButton(u"OK", 256, mrNone, true);
    ok->OnClick = TNotifyEvent(this, &TFileChooser::OkClicked);
    AddButton(u"Cancel", 337, mrCancel, false)->SetCancel(true);
    std::error_code ec;
    const fs::path proposed(StringToUtf8(Asked.FileName));
    fs::path start = Asked.InitialDir.empty() ? fs::current_path(ec) : fs::path(StringToUtf8(Asked.InitialDir));
    if (proposed.has_parent_path()) start = proposed.parent_path();
    FName = Utf8ToString(proposed.filename().string());
    Open(fs::absolute(start, ec));
    FocusControl(FList);
  }

  TFileAnswer Answer;

private:
  TLabel* AddLabel(int x, int y) {
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetBounds(x, y, 404, 16);
    return label;
  }
  TButton* AddButton(const char16_t* caption, int x, TModalResult result, bool isDefault) {
    auto* button = new TButton(this);
    button->SetParent(this);
    button->SetBounds(x, 294, 75, 25);
    button->SetCaption(caption);
    button->SetModalResult(result);
    button->SetDefault(isDefault);
    return button;
  }
  void Open(const fs::path& folder) {
    FFolder = folder;
    FFolderLabel->SetCaption(Utf8ToString(folder.string()));
    FList->Fill(folder, FPatterns);
    ShowName();
  }
  void ShowName() { FNameLabel->SetCaption(u"File name: " + FName); }
  void ListSelected(TObject*) {
    const TChooserEntry& e = FList->Entries[static_cast<std::size_t>(FList->Selected)];
    if (!e.Folder) {
      FName = e.Name;
      ShowName();
    }
  }
  void ListChosen(TObject*) {
    const TChooserEntry& e = FList->Entries[static_cast<std::size_t>(FList->Selected)];
    if (!e.Folder) {
      OkClicked(this);
    } else if (e.Name == u"..") {
      Open(FFolder.parent_path());
    } else {
      Open(FFolder / StringToUtf8(e.Name));
    }
  }
  void OkClicked(TObject*) {
    if (FName.empty()) return;
    Answer = Utf8ToString((FFolder / StringToUtf8(FName)).string());
    SetModalResult(mrOk);
  }

  TAskedFile FAsked;
  std::vector<String> FPatterns;
  fs::path FFolder;
  String FName;
  TLabel* FFolderLabel = nullptr;
  TLabel* FNameLabel = nullptr;
  TFileList* FList = nullptr;
};

}  // namespace

TFileAnswer ShowFileChooser(const TAskedFile& Asked) {
  auto chooser = std::make_unique<TFileChooser>(Asked);
  if (chooser->ShowModal() != mrOk) return std::nullopt;
  return chooser->Answer;
}

// --- popup menus --------------------------------------------------------------------

TMenuItem* ShowPopupWindow(TPopupMenu& /*Menu*/, TPoint /*Pos*/) {
  // Drawn popup windows are not available yet: the menu closes unpicked.
  return nullptr;
}

}  // namespace vx::plat
