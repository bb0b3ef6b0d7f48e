// Labels and push buttons.
#include "platform/controls/stdctrls.h"
#include "platform/gdi/dc_guards.h"

#include <algorithm>

#include "platform/controls/screen.h"

namespace vx::plat {

VX_DEFINE_CLASS(TLabel, TGraphicControl)
VX_DEFINE_CLASS(TButton, TWinControl)
VX_PUBLISH(TLabel)
VX_PUBLISH(TButton)

namespace {

void FillSolid(HDC dc, const TRect& r, TColor color) {
  const HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Top/left lines in one colour, bottom/right lines in another.
void Edge(HDC dc, const TRect& r, TColor light, TColor dark) {
  if (r.IsEmpty()) return;
  FillSolid(dc, TRect{r.Left, r.Top, r.Right, r.Top + 1}, light);
  FillSolid(dc, TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, light);
  FillSolid(dc, TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, dark);
  FillSolid(dc, TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, dark);
}

TRect Inflate(const TRect& r, int d) { return TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d}; }

void DrawCaption(HDC dc, const String& text, TRect r, const TFont& font, TColor color, unsigned flags) {
  SavedDC saved(dc);
  SelectObject(dc, font.GetHandle());
  SetTextColor(dc, ColorToRGB(color));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

}  // namespace

// --- TLabel -------------------------------------------------------------------------

void TLabel::RegisterProperties(TPropertyRegistry<TLabel>& r) {
  PublishAlign(r);
  r.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
         taLeftJustify);
  r.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
  PublishCaption(r);
  PublishColor(r, clBtnFace);
  PublishFont(r);
  PublishEnabledVisible(r);
  PublishHints(r);
  r.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false);
  r.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
  PublishClickEvents(r);
  PublishMouseEvents(r);
  PublishDragEvents(r);
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks};
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

unsigned TLabel::DrawFlags() const {
  unsigned flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0u);
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || IsLoading()) return;
  const HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  SelectObject(dc, FFont->GetHandle());
  // An empty caption still keeps one line's height.
  const String text = FText.empty() ? String(u" ") : FText;
  RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
  DeleteDC(dc);
  int left = FLeft;
  const int width = FWordWrap ? FWidth : r.Width();
  if (FAlignment == taRightJustify) left = FLeft + FWidth - width;
  if (FAlignment == taCenter) left = FLeft + (FWidth - width) / 2;
  SetBounds(left, FTop, width, r.Height());
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::CMTextChanged(TMessage& Message) {
  AdjustBounds();
  TGraphicControl::CMTextChanged(Message);
}

void TLabel::CMFontChanged(TMessage& Message) {
  AdjustBounds();
  TGraphicControl::CMFontChanged(Message);
}

void TLabel::Paint() {
  const HDC dc = Canvas().GetHandle();
  const TRect r = ClientRect();
  if (!FTransparent) FillSolid(dc, r, FColor);
  DrawCaption(dc, FText, r, *FFont, FEnabled ? FFont->GetColor() : clGrayText, DrawFlags());
}

// --- TButton ---------------------------------------------------------------------------

void TButton::RegisterProperties(TPropertyRegistry<TButton>& r) {
  PublishCaption(r);
  r.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
  r.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
  r.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
  PublishEnabledVisible(r);
  PublishFont(r);
  PublishHints(r);
  PublishTabs(r, true);
  PublishClickEvents(r);
  PublishMouseEvents(r);
  PublishKeyEvents(r);
  PublishEnterExit(r);
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption};
  FWidth = 75;
  FHeight = 25;
  FTabStop = true;
  FColor = clBtnFace;
  FParentColor = false;
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  Invalidate();
}

void TButton::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FTracking = true;
    SetPressed(true);
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking) SetPressed(X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight());
  TWinControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FTracking = false;
    SetPressed(false);
  }
  TWinControl::MouseUp(Button, Shift, X, Y);
}

void TButton::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (Key == VK_SPACE) SetPressed(true);
  TWinControl::KeyDown(Key, Shift);
}

void TButton::KeyUp(std::uint16_t& Key, TShiftState Shift) {
  const bool click = Key == VK_SPACE && FPressed;
  TWinControl::KeyUp(Key, Shift);
  if (click) {
    SetPressed(false);
    Click();
  }
}

void TButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_DIALOGKEY) {
    TWinControl::Dispatch(Message);
    return;
  }
  const auto key = static_cast<std::uint16_t>(Message.WParam);
  // Return clicks the focused button, else the default one; Escape the cancel button.
  const bool focusedButton = dynamic_cast<TButton*>(Screen->ActiveControl()) != nullptr;
  const bool mine = (key == VK_RETURN && (Focused() || (FDefault && !focusedButton))) || (key == VK_ESCAPE && FCancel);
  if (mine && CanFocus()) {
    Click();
    Message.Result = 1;
  }
}

void TButton::WMSetFocus(TMessage& Message) {
  TWinControl::WMSetFocus(Message);
  Invalidate();
}

void TButton::WMKillFocus(TMessage& Message) {
  TWinControl::WMKillFocus(Message);
  SetPressed(false);
  Invalidate();
}

void TButton::PaintWindow(HDC DC) {
  TRect r = ClientRect();
  FillSolid(DC, r, FColor);
  if (FDefault || Focused()) {
    Edge(DC, r, clWindowFrame, clWindowFrame);
    r = Inflate(r, -1);
  }
  if (FPressed) {
    Edge(DC, r, clBtnShadow, clBtnShadow);
  } else {
    Edge(DC, r, clBtnHighlight, cl3DDkShadow);
    Edge(DC, Inflate(r, -1), cl3DLight, clBtnShadow);
  }
  TRect text = Inflate(r, -2);
  if (FPressed) text = TRect{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
  DrawCaption(DC, FText, text, *FFont, FEnabled ? clBtnText : clGrayText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    // A dotted focus rectangle inside the edge.
    const HPEN pen = CreatePen(PS_DOT, 1, ColorToRGB(clBtnText));
    {
      SavedDC saved(DC);
      SelectObject(DC, pen);
      SelectObject(DC, GetStockObject(NULL_BRUSH));
      SetBkMode(DC, TRANSPARENT);
      const TRect f = Inflate(r, -3);
      Rectangle(DC, f.Left, f.Top, f.Right, f.Bottom);
    }
    DeleteObject(pen);
  }
}

}  // namespace vx::plat
