// Buttons that tools bind to besides TButton: TSpeedButton (a flat graphic
// button that may stay down, alone or as one of a group), TBitBtn (a push
// button) and TToolButton (a button of a tool bar). Each fires OnClick with
// itself as Sender and keeps an Action (TControl::Action), which a tool sets
// when it binds to the button and clears when it lets go.
#pragma once

#include <cstdint>

#include "platform/controls/stdctrls.h"

namespace vx::plat {

class TSpeedButton : public TGraphicControl {
  VX_DECLARE_CLASS(TSpeedButton)
public:
  // Publishes Caption, GroupIndex, Down, AllowAllUp, Flat, Action, OnClick, ...
  static void RegisterProperties(TPropertyRegistry<TSpeedButton>& r);
  // 23 x 22.
  explicit TSpeedButton(TComponent* AOwner);

  // 0: a plain button that never stays down. Otherwise the buttons of the
  // same parent with the same GroupIndex form a group: at most one is down.
  std::int32_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(std::int32_t Value);
  // Whether the button stays down. Putting a button down puts the others of
  // its group up; putting it up directly works only when AllowAllUp (the
  // group must keep one button down otherwise). Always false for GroupIndex 0.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // Whether every button of the group may be up; shared by the whole group.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  // Draws no edge until the mouse is over it.
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // Whether the mouse holds the button pressed now.
  bool Pressed() const { return FPressed; }

  // A click as by the mouse: toggles Down as the group allows, then OnClick.
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;

private:
  // The other speed buttons of the group (same parent, same GroupIndex).
  template <class F>
  void ForEachInGroup(F f);
  void SetPressed(bool Value);

  std::int32_t FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FPressed = false;
  bool FTracking = false;
};

// The standard buttons a TBitBtn may be (kind gives caption and modal result).
enum TBitBtnKind : std::uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
  VX_DECLARE_CLASS(TBitBtn)
public:
  static void RegisterProperties(TPropertyRegistry<TBitBtn>& r);
  explicit TBitBtn(TComponent* AOwner) : TButton(AOwner) {}
  // Setting a kind other than bkCustom sets the caption and modal result of it.
  TBitBtnKind Kind() const { return FKind; }
  void SetKind(TBitBtnKind Value);

private:
  TBitBtnKind FKind = bkCustom;
};

// How a tool button behaves.
enum TToolButtonStyle : std::uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TGraphicControl {
  VX_DECLARE_CLASS(TToolButton)
public:
  static void RegisterProperties(TPropertyRegistry<TToolButton>& r);
  // 23 x 22.
  explicit TToolButton(TComponent* AOwner);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  // tbsCheck: whether the button stays down (a click toggles it).
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // A click toggles Down for tbsCheck, then fires OnClick (separators do nothing).
  void Click() override;

protected:
  void Paint() override;

private:
  TToolButtonStyle FStyle = tbsButton;
  bool FDown = false;
};

}  // namespace vx::plat
