// Standard controls: TLabel (a caption painted on its parent) and TButton
// (a push button that clicks on a press and release inside it, on Space,
// and on Return or Escape when it is the form's default or cancel button).
#pragma once

#include <cstdint>

#include "platform/controls/custom_control.h"
#include "platform/controls/forms.h"

namespace vx::plat {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TGraphicControl {
  VX_DECLARE_CLASS(TLabel)
public:
  static void RegisterProperties(TPropertyRegistry<TLabel>& r);
  explicit TLabel(TComponent* AOwner);

  // True (the default): the size follows the caption.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // Whether the parent shows through (no background fill).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Breaks the caption into lines at the label's width.
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  void Paint() override;
  void Loaded() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

private:
  void AdjustBounds();
  unsigned DrawFlags() const;

  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  bool FTransparent = false;
  bool FWordWrap = false;
};

class TButton : public TWinControl {
  VX_DECLARE_CLASS(TButton)
public:
  static void RegisterProperties(TPropertyRegistry<TButton>& r);
  // 75 x 25, takes part in tabbing.
  explicit TButton(TComponent* AOwner);

  // Return clicks the default button of the form.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape clicks the cancel button of the form.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // The form's ModalResult the click sets (mrNone: none).
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Whether the button shows pressed now.
  bool Pressed() const { return FPressed; }

  // Sets the form's ModalResult, then fires OnClick.
  void Click() override;

protected:
  void PaintWindow(HDC DC) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void KeyUp(std::uint16_t& Key, TShiftState Shift) override;
  void Dispatch(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;

private:
  void SetPressed(bool Value);

  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
  bool FPressed = false;
  bool FTracking = false;
};

}  // namespace vx::plat
