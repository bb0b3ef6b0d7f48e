// TScreen: the screen the application runs on: its cursors by identifier
// (the standard ones at their negative identifiers, free positive slots for
// an application's own), the screen-wide cursor override, its resolution and
// size, and the forms on it.
#pragma once

#include <map>
#include <vector>

#include "platform/controls/cursors.h"
#include "platform/core/component.h"

namespace vx::plat {

class TCustomForm;
class TWinControl;

class TScreen : public TComponent {
  VX_DECLARE_CLASS(TScreen)
public:
  explicit TScreen(TComponent* AOwner);

  // The cursor of an identifier: the standard cursor of a standard
  // identifier, the cursor stored in a slot, else the default cursor (arrow).
  HCURSOR Cursors(int Index) const;
  // Stores a cursor in a slot (nullptr empties it: the slot shows the
  // default again). Setting crDefault replaces the default cursor.
  void SetCursors(int Index, HCURSOR Cursor);
  // The cursor shown everywhere while not crDefault (an hourglass during a
  // long operation, say); setting it shows it at once.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  // 96 (the platform's screen resolution).
  int PixelsPerInch() const;
  int Width() const;
  int Height() const;

  // The forms, in creation order.
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const;
  // The form that has the keyboard (nullptr when none).
  TCustomForm* ActiveForm() const;
  // The control that has the focus (nullptr when none).
  TWinControl* ActiveControl() const;

  // Used by forms.
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);

private:
  std::map<int, HCURSOR> FCursors;
  HCURSOR FDefaultCursor = nullptr;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
};

// The screen object (never freed).
extern TScreen* const Screen;

}  // namespace vx::plat
