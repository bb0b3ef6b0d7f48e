// Components and editors the design host tests register: a tool family with
// an About property (as the drawing library's environment components have),
// a component without one, and two about editors. Included by one source
// file per test program.
#pragma once

#include <cstdint>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/properties.h"
#include "platform/design/property_editor.h"

namespace vx::plat::design_test {

enum TShape : std::uint8_t { stRectangle, stEllipse, stCircle };
enum TOption : std::uint8_t { goA, goB, goC };
using TOptions = TSet<TOption, std::uint8_t>;

// An owned object with properties of its own.
class TTestMargin : public TPersistent {
  VX_DECLARE_CLASS(TTestMargin)
public:
  std::int32_t Left = 0;
  static void RegisterProperties(TPropertyRegistry<TTestMargin>& r) { r.Integer("Left", &TTestMargin::Left); }
};
VX_DEFINE_CLASS(TTestMargin, TPersistent)
VX_PUBLISH(TTestMargin)

class TTestEnvironment : public TComponent {
  VX_DECLARE_CLASS(TTestEnvironment)
public:
  explicit TTestEnvironment(TComponent* AOwner) : TComponent(AOwner) {}
  std::int32_t FAbout = 0;
  std::int32_t FCount = 0;
  std::int16_t FSmall = 0;
  std::uint8_t FByte = 0;
  std::int64_t FBig = 0;
  TShape FShape = stRectangle;
  bool FVisible = true;
  TOptions FOptions;
  double FScale = 1;
  String FCaption;
  TComponent* FPartner = nullptr;
  TNotifyEvent FOnChange;
  TTestMargin FMargin;
  std::int32_t GetFixed() const { return 42; }
  void Changed(TObject*) {}

  static void RegisterProperties(TPropertyRegistry<TTestEnvironment>& r) {
    r.Integer("About", &TTestEnvironment::FAbout).NeverStored();
    r.Integer("Count", &TTestEnvironment::FCount);
    r.Integer("Small", &TTestEnvironment::FSmall);
    r.Integer("Byte", &TTestEnvironment::FByte);
    r.Integer("Big", &TTestEnvironment::FBig);
    r.Enum("Shape", &TTestEnvironment::FShape, &TTestEnvironment::FShape, {"stRectangle", "stEllipse", "stCircle"});
    r.Bool("Visible", &TTestEnvironment::FVisible);
    r.Set("Options", &TTestEnvironment::FOptions, &TTestEnvironment::FOptions, {"goA", "goB", "goC"});
    r.Float("Scale", &TTestEnvironment::FScale);
    r.Str("Caption", &TTestEnvironment::FCaption);
    r.Component("Partner", &TTestEnvironment::FPartner);
    r.Event("OnChange", &TTestEnvironment::FOnChange);
    r.Object("Margin", [](TTestEnvironment& e) -> TPersistent* { return &e.FMargin; });
    r.Integer("Fixed", &TTestEnvironment::GetFixed);
    r.Method("Changed", &TTestEnvironment::Changed);
  }
};
VX_DEFINE_CLASS(TTestEnvironment, TComponent)
VX_PUBLISH(TTestEnvironment)

class TTestTool : public TTestEnvironment {
  VX_DECLARE_CLASS(TTestTool)
public:
  using TTestEnvironment::TTestEnvironment;
};
VX_DEFINE_CLASS(TTestTool, TTestEnvironment)

// A legacy component two generations below the environment.
class TTestLabels : public TTestTool {
  VX_DECLARE_CLASS(TTestLabels)
public:
  using TTestTool::TTestTool;
};
VX_DEFINE_CLASS(TTestLabels, TTestTool)

// A component with no About property (as the draw box).
class TTestBox : public TComponent {
  VX_DECLARE_CLASS(TTestBox)
public:
  explicit TTestBox(TComponent* AOwner) : TComponent(AOwner) {}
  std::int32_t FZoom = 100;
  static void RegisterProperties(TPropertyRegistry<TTestBox>& r) { r.Integer("Zoom", &TTestBox::FZoom); }
};
VX_DEFINE_CLASS(TTestBox, TComponent)
VX_PUBLISH(TTestBox)

// The about editor: a dialog, a fixed text, never typed.
class TTestAboutEditor : public TPropertyEditor {
  VX_DECLARE_CLASS(TTestAboutEditor)
public:
  void Edit() override { ++Edits; }
  TPropertyAttributes GetAttributes() override { return {paDialog, paMultiSelect, paReadOnly}; }
  String GetValue() override { return u"(Vexalith)"; }
  static inline int Edits = 0;
};
VX_DEFINE_CLASS(TTestAboutEditor, TPropertyEditor)

class TTestAboutLabels : public TTestAboutEditor {
  VX_DECLARE_CLASS(TTestAboutLabels)
public:
  void Edit() override { ++LabelEdits; }
  static inline int LabelEdits = 0;
};
VX_DEFINE_CLASS(TTestAboutLabels, TTestAboutEditor)

// An editor that only works on one component at a time.
class TTestSingleEditor : public TPropertyEditor {
  VX_DECLARE_CLASS(TTestSingleEditor)
public:
  TPropertyAttributes GetAttributes() override { return {paDialog}; }
};
VX_DEFINE_CLASS(TTestSingleEditor, TPropertyEditor)

}  // namespace vx::plat::design_test
