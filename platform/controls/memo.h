// TMemo: a multi-line text box showing Lines. Here it is a viewer for the
// text an application gives it (the about form's notes): ReadOnly keeps typed
// keys out; a writable memo takes typed characters at the end of the text.
#pragma once

#include <memory>

#include "platform/controls/custom_control.h"
#include "platform/core/strings.h"

namespace vx::plat {

class TMemo : public TCustomControl {
  VX_DECLARE_CLASS(TMemo)
public:
  // Publishes Lines (as one text), ReadOnly, WordWrap and the common properties.
  static void RegisterProperties(TPropertyRegistry<TMemo>& r);
  // 185 x 89, white, sunken edge.
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;

  // The lines shown; changing them repaints the memo.
  TStrings& Lines() const { return *FLines; }
  void SetLines(const TStrings& Value) { FLines->Assign(&Value); }
  // Lines joined with CR LF (each line ends with one; "" when empty).
  String LinesText() const { return FLines->Text(); }
  void SetLinesText(const String& Value) { FLines->SetText(Value); }
  // Whether typing is refused.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  // Breaks long lines at the memo's width when painting.
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  void Paint() override;
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char16_t& Key) override;

private:
  void LinesChanged(TObject* Sender);

  std::unique_ptr<TStringList> FLines;
  bool FReadOnly = false;
  bool FWordWrap = true;
};

}  // namespace vx::plat
