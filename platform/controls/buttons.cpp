#include "platform/controls/buttons.h"

#include "platform/controls/ui_paint.h"

namespace vx::plat {

VX_DEFINE_CLASS(TSpeedButton, TGraphicControl)
VX_DEFINE_CLASS(TBitBtn, TButton)
VX_DEFINE_CLASS(TToolButton, TGraphicControl)
VX_PUBLISH(TSpeedButton)
VX_PUBLISH(TBitBtn)
VX_PUBLISH(TToolButton)

namespace {
template <class T>
void PublishAction(TPropertyRegistry<T>& r) {
  r.Component("Action", &TControl::Action, &TControl::SetAction);
}
}  // namespace

// --- TSpeedButton -------------------------------------------------------------------

void TSpeedButton::RegisterProperties(TPropertyRegistry<TSpeedButton>& r) {
  PublishAction(r);
  r.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false);
  r.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0);
  r.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false);
  PublishCaption(r);
  r.Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false);
  PublishEnabledVisible(r);
  PublishFont(r);
  PublishHints(r);
  PublishClickEvents(r);
  PublishMouseEvents(r);
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
  FWidth = 23;
  FHeight = 22;
  FColor = clBtnFace;
  FParentColor = false;
}

template <class F>
void TSpeedButton::ForEachInGroup(F f) {
  if (!FParent || FGroupIndex == 0) return;
  for (std::int32_t i = 0; i < FParent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i)); other && other != this &&
                                                                          other->FGroupIndex == FGroupIndex)
      f(*other);
}

void TSpeedButton::SetGroupIndex(std::int32_t Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FGroupIndex == 0) {
    if (FDown) {
      FDown = false;
      Invalidate();
    }
    return;
  }
  // Joining a group with a button down already: this one goes up.
  bool otherDown = false;
  ForEachInGroup([&](TSpeedButton& b) { otherDown = otherDown || b.FDown; });
  if (otherDown && FDown && !IsLoading()) {
    FDown = false;
    Invalidate();
  }
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0 && !IsLoading()) Value = false;
  if (Value == FDown) return;
  // The group keeps a button down unless all may be up.
  if (!Value && !FAllowAllUp && !IsLoading()) return;
  FDown = Value;
  Invalidate();
  if (FDown)
    ForEachInGroup([](TSpeedButton& b) {
      if (b.FDown) {
        b.FDown = false;
        b.Invalidate();
      }
    });
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  FAllowAllUp = Value;
  ForEachInGroup([Value](TSpeedButton& b) { b.FAllowAllUp = Value; });
}

void TSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

void TSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  // A stored Down of a button without group means nothing.
  if (FGroupIndex == 0) FDown = false;
}

void TSpeedButton::Click() {
  if (!FEnabled) return;
  if (FGroupIndex != 0) {
    if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
  }
  TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && FEnabled) {
    FTracking = true;
    SetPressed(true);
  }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FTracking) SetPressed(X >= 0 && Y >= 0 && X < FWidth && Y < FHeight);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FTracking) return;
  FTracking = false;
  const bool inside = X >= 0 && Y >= 0 && X < FWidth && Y < FHeight;
  SetPressed(false);
  if (inside) Click();
}

void TSpeedButton::Paint() {
  const HDC dc = Canvas().GetHandle();
  const TRect r = ClientRect();
  const bool sunk = FPressed || FDown;
  ui::FillSolid(dc, r, sunk && !FPressed ? cl3DLight : FColor);
  if (sunk)
    ui::ButtonEdge(dc, r, ui::bvLowered);
  else if (!FFlat)
    ui::ButtonEdge(dc, r, ui::bvRaised);
  TRect text = ui::Inflate(r, -2);
  if (sunk) text = TRect{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
  ui::DrawCaption(dc, FText, text, *FFont, FEnabled ? clBtnText : clGrayText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// --- TBitBtn ------------------------------------------------------------------------

void TBitBtn::RegisterProperties(TPropertyRegistry<TBitBtn>& r) {
  PublishAction(r);
  r.Enum("Kind", &TBitBtn::Kind, &TBitBtn::SetKind,
         {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore",
          "bkAll"},
         bkCustom);
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  FKind = Value;
  if (IsLoading() || Value == bkCustom) return;  // a form stores caption and result itself
  struct KindInfo {
    const char16_t* Caption;
    TModalResult Result;
  };
  static const KindInfo kinds[] = {{u"", mrNone},          {u"OK", mrOk},         {u"Cancel", mrCancel},
                                   {u"&Help", mrNone},     {u"&Yes", mrYes},      {u"&No", mrNo},
                                   {u"&Close", mrNone},    {u"Abort", mrAbort},   {u"&Retry", mrRetry},
                                   {u"&Ignore", mrIgnore}, {u"&All", mrAll}};
  SetCaption(kinds[Value].Caption);
  SetModalResult(kinds[Value].Result);
  if (Value == bkOK || Value == bkYes) SetDefault(true);
  if (Value == bkCancel || Value == bkNo) SetCancel(true);
}

// --- TToolButton --------------------------------------------------------------------

void TToolButton::RegisterProperties(TPropertyRegistry<TToolButton>& r) {
  PublishAction(r);
  PublishCaption(r);
  r.Bool("Down", &TToolButton::Down, &TToolButton::SetDown, false);
  r.Enum("Style", &TToolButton::Style, &TToolButton::SetStyle,
         {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}, tbsButton);
  PublishEnabledVisible(r);
  PublishHints(r);
  PublishClickEvents(r);
}

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  FWidth = 23;
  FHeight = 22;
  FColor = clBtnFace;
  FParentColor = false;
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (FStyle != tbsCheck && !IsLoading()) FDown = false;
  Invalidate();
}

void TToolButton::SetDown(bool Value) {
  if (Value == FDown) return;
  FDown = Value;
  Invalidate();
}

void TToolButton::Click() {
  if (!FEnabled || FStyle == tbsSeparator || FStyle == tbsDivider) return;
  if (FStyle == tbsCheck) SetDown(!FDown);
  TGraphicControl::Click();
}

void TToolButton::Paint() {
  const HDC dc = Canvas().GetHandle();
  const TRect r = ClientRect();
  ui::FillSolid(dc, r, FColor);
  if (FStyle == tbsSeparator || FStyle == tbsDivider) {
    const int x = r.Width() / 2;
    ui::Edge(dc, TRect{x - 1, r.Top + 2, x + 1, r.Bottom - 2}, clBtnShadow, clBtnHighlight);
    return;
  }
  if (FDown) ui::ButtonEdge(dc, r, ui::bvLowered);
  ui::DrawCaption(dc, FText, ui::Inflate(r, -2), *FFont, FEnabled ? clBtnText : clGrayText,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace vx::plat
