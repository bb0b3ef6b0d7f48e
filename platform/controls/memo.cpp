#include "platform/controls/memo.h"

#include <cstdlib>

#include "platform/controls/ui_paint.h"

namespace vx::plat {

VX_DEFINE_CLASS(TMemo, TCustomControl)
VX_PUBLISH(TMemo)

void TMemo::RegisterProperties(TPropertyRegistry<TMemo>& r) {
  PublishAlign(r);
  PublishColor(r, clWindow);
  PublishEnabledVisible(r);
  PublishFont(r);
  PublishHints(r);
  r.Str("Lines", &TMemo::LinesText, &TMemo::SetLinesText, String());
  r.Bool("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly, false);
  r.Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true);
  PublishTabs(r, true);
  PublishKeyEvents(r);
  PublishClickEvents(r);
}

TMemo::TMemo(TComponent* AOwner) : TCustomControl(AOwner), FLines(std::make_unique<TStringList>()) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FWidth = 185;
  FHeight = 89;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FLines->OnChange = TNotifyEvent(this, &TMemo::LinesChanged);
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

void TMemo::LinesChanged(TObject* /*Sender*/) { Invalidate(); }

void TMemo::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
}

void TMemo::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::KeyPress(char16_t& Key) {
  TCustomControl::KeyPress(Key);
  if (FReadOnly || Key == 0) return;
  if (Key == u'\r') {
    FLines->Add(String());
  } else if (Key == u'\b') {
    if (FLines->Count() == 0) return;
    const std::int32_t last = FLines->Count() - 1;
    String line = FLines->Get(last);
    if (line.empty())
      FLines->Delete(last);
    else
      FLines->Put(last, line.substr(0, line.size() - 1));
  } else if (Key >= u' ') {
    if (FLines->Count() == 0) FLines->Add(String());
    const std::int32_t last = FLines->Count() - 1;
    FLines->Put(last, FLines->Get(last) + Key);
  }
}

void TMemo::Paint() {
  const HDC dc = Canvas().GetHandle();
  const TRect r = ClientRect();
  ui::FillSolid(dc, r, FColor);
  // Lines are drawn one below the other; wrapped lines take what they need.
  const unsigned flags = DT_LEFT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  TRect line{r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom};
  for (std::int32_t i = 0; i < FLines->Count() && line.Top < r.Bottom; ++i) {
    const String text = FLines->Get(i);
    TRect measure = line;
    int height = 0;
    if (!text.empty()) height = ui::MeasureTextHeight(dc, text, measure, *FFont, flags);
    if (height <= 0) height = std::abs(FFont->GetHeight()) + 3;
    ui::DrawCaption(dc, text, line, *FFont, FEnabled ? FFont->GetColor() : clGrayText, flags);
    line.Top += height;
  }
}

}  // namespace vx::plat
