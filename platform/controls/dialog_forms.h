// The drawn dialogs of a real host (or of the headless host when the dialog
// script asks for forms): a message box form, a file chooser form and a
// popup menu window. Used by dialogs.cpp and menus.cpp only.
#pragma once

#include "platform/controls/dialog_script.h"

namespace vx::plat {

class TPopupMenu;
class TMenuItem;

// Shows the message box modally; the modal result of the button pressed.
TModalResult ShowMessageForm(const TAskedMessage& Asked);
// Shows the file chooser modally; the chosen full file name or nullopt.
TFileAnswer ShowFileChooser(const TAskedFile& Asked);
// Shows the popup menu at a screen point until an item is picked (returned)
// or the menu is dismissed (nil).
TMenuItem* ShowPopupWindow(TPopupMenu& Menu, TPoint Pos);

}  // namespace vx::plat
