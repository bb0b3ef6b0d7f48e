// Window messages: the message record a window procedure receives, the
// message numbers and their codes (scroll codes, hit-test codes, key and
// button flags), virtual-key codes, the shift state of mouse and key events,
// and small views that read a message's parameters by name.
//
// Positions travel in 32 bits end to end: a mouse message packs its client x
// and y as two signed 32-bit halves of LParam, and a scroll message packs
// its scroll code in the low and its position in the high 32 bits of WParam,
// so nothing is cut to 16 bits on the way.
#pragma once

#include <cstdint>

#include "platform/core/set.h"
#include "platform/core/types.h"

namespace vx::plat {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// The record a window procedure receives: the message number, its two
// parameters and the result the handler answers with (0 when untouched).
struct TMessage {
  std::uint32_t Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// ---------------------------------------------------------------------------
// Message numbers
// ---------------------------------------------------------------------------

constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_ENABLE = 0x000A;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXT = 0x000D;
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t WM_CANCELMODE = 0x001F;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr std::uint32_t WM_NCCREATE = 0x0081;
constexpr std::uint32_t WM_NCDESTROY = 0x0082;
constexpr std::uint32_t WM_NCCALCSIZE = 0x0083;
constexpr std::uint32_t WM_NCHITTEST = 0x0084;
constexpr std::uint32_t WM_NCPAINT = 0x0085;
constexpr std::uint32_t WM_GETDLGCODE = 0x0087;
constexpr std::uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr std::uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr std::uint32_t WM_NCLBUTTONUP = 0x00A2;
constexpr std::uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr std::uint32_t WM_NCRBUTTONDOWN = 0x00A4;
constexpr std::uint32_t WM_NCRBUTTONUP = 0x00A5;
constexpr std::uint32_t WM_NCRBUTTONDBLCLK = 0x00A6;
constexpr std::uint32_t WM_NCMBUTTONDOWN = 0x00A7;
constexpr std::uint32_t WM_NCMBUTTONUP = 0x00A8;
constexpr std::uint32_t WM_NCMBUTTONDBLCLK = 0x00A9;
constexpr std::uint32_t WM_KEYFIRST = 0x0100;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_SYSCHAR = 0x0106;
constexpr std::uint32_t WM_KEYLAST = 0x0109;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_HSCROLL = 0x0114;
constexpr std::uint32_t WM_VSCROLL = 0x0115;
constexpr std::uint32_t WM_MOUSEFIRST = 0x0200;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr std::uint32_t WM_MOUSELAST = 0x020A;
constexpr std::uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr std::uint32_t WM_USER = 0x0400;

// Notifications between the controls of this platform (never seen by the
// window manager). CN_* are the key messages a control receives before the
// form's dialog-key handling: a non-zero result takes the key away.
constexpr std::uint32_t CM_BASE = 0xB000;
constexpr std::uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr std::uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr std::uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr std::uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr std::uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr std::uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr std::uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr std::uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr std::uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr std::uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr std::uint32_t CM_CTL3DCHANGED = CM_BASE + 16;
constexpr std::uint32_t CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr std::uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr std::uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr std::uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr std::uint32_t CM_SHOWHINTCHANGED = CM_BASE + 23;
constexpr std::uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 24;
constexpr std::uint32_t CM_ENTER = CM_BASE + 27;
constexpr std::uint32_t CM_EXIT = CM_BASE + 28;
constexpr std::uint32_t CM_RELEASE = CM_BASE + 33;
constexpr std::uint32_t CM_DRAG = CM_BASE + 36;
constexpr std::uint32_t CN_BASE = 0xBC00;
constexpr std::uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr std::uint32_t CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr std::uint32_t CN_CHAR = CN_BASE + WM_CHAR;
constexpr std::uint32_t CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr std::uint32_t CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---------------------------------------------------------------------------
// Codes carried by messages
// ---------------------------------------------------------------------------

// Scroll bars (which bar) and scroll codes (WM_HSCROLL / WM_VSCROLL).
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;  // the thumb was let go at the message's position
constexpr int SB_THUMBTRACK = 5;     // the thumb is being dragged through the position
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;

// Hit-test codes (WM_NCHITTEST results, WM_SETCURSOR, non-client mouse messages).
constexpr int HTERROR = -2;
constexpr int HTTRANSPARENT = -1;
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;
constexpr int HTCAPTION = 2;
constexpr int HTGROWBOX = 4;
constexpr int HTSIZE = 4;
constexpr int HTHSCROLL = 6;
constexpr int HTVSCROLL = 7;
constexpr int HTBORDER = 18;

// Button and key flags of mouse messages' WParam.
constexpr std::uint32_t MK_LBUTTON = 0x0001;
constexpr std::uint32_t MK_RBUTTON = 0x0002;
constexpr std::uint32_t MK_SHIFT = 0x0004;
constexpr std::uint32_t MK_CONTROL = 0x0008;
constexpr std::uint32_t MK_MBUTTON = 0x0010;

// WM_SIZE kinds.
constexpr int SIZE_RESTORED = 0;
constexpr int SIZE_MINIMIZED = 1;
constexpr int SIZE_MAXIMIZED = 2;

// WM_GETDLGCODE answers: the keys a control keeps for itself.
constexpr int DLGC_WANTARROWS = 0x0001;
constexpr int DLGC_WANTTAB = 0x0002;
constexpr int DLGC_WANTALLKEYS = 0x0004;
constexpr int DLGC_WANTCHARS = 0x0080;

// Key data bits of key messages' LParam.
constexpr std::uint32_t KF_ALTDOWN_BIT = 1u << 29;    // Alt was held
constexpr std::uint32_t KF_REPEAT_BIT = 1u << 30;     // the key was down before
constexpr std::uint32_t KF_UP_BIT = 1u << 31;         // the key is being released

// ---------------------------------------------------------------------------
// Virtual-key codes ('0'..'9' and 'A'..'Z' are their ASCII codes)
// ---------------------------------------------------------------------------

constexpr std::uint16_t VK_LBUTTON = 0x01;
constexpr std::uint16_t VK_RBUTTON = 0x02;
constexpr std::uint16_t VK_CANCEL = 0x03;
constexpr std::uint16_t VK_MBUTTON = 0x04;
constexpr std::uint16_t VK_BACK = 0x08;
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_CLEAR = 0x0C;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12;  // Alt
constexpr std::uint16_t VK_PAUSE = 0x13;
constexpr std::uint16_t VK_CAPITAL = 0x14;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_SPACE = 0x20;
constexpr std::uint16_t VK_PRIOR = 0x21;  // Page Up
constexpr std::uint16_t VK_NEXT = 0x22;   // Page Down
constexpr std::uint16_t VK_END = 0x23;
constexpr std::uint16_t VK_HOME = 0x24;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;
constexpr std::uint16_t VK_SNAPSHOT = 0x2C;
constexpr std::uint16_t VK_INSERT = 0x2D;
constexpr std::uint16_t VK_DELETE = 0x2E;
constexpr std::uint16_t VK_HELP = 0x2F;
constexpr std::uint16_t VK_LWIN = 0x5B;
constexpr std::uint16_t VK_RWIN = 0x5C;
constexpr std::uint16_t VK_APPS = 0x5D;
constexpr std::uint16_t VK_NUMPAD0 = 0x60;
constexpr std::uint16_t VK_NUMPAD9 = 0x69;
constexpr std::uint16_t VK_MULTIPLY = 0x6A;
constexpr std::uint16_t VK_ADD = 0x6B;
constexpr std::uint16_t VK_SEPARATOR = 0x6C;
constexpr std::uint16_t VK_SUBTRACT = 0x6D;
constexpr std::uint16_t VK_DECIMAL = 0x6E;
constexpr std::uint16_t VK_DIVIDE = 0x6F;
constexpr std::uint16_t VK_F1 = 0x70;
constexpr std::uint16_t VK_F12 = 0x7B;
constexpr std::uint16_t VK_F24 = 0x87;
constexpr std::uint16_t VK_NUMLOCK = 0x90;
constexpr std::uint16_t VK_SCROLL = 0x91;
constexpr std::uint16_t VK_LSHIFT = 0xA0;
constexpr std::uint16_t VK_RSHIFT = 0xA1;
constexpr std::uint16_t VK_LCONTROL = 0xA2;
constexpr std::uint16_t VK_RCONTROL = 0xA3;
constexpr std::uint16_t VK_LMENU = 0xA4;
constexpr std::uint16_t VK_RMENU = 0xA5;
constexpr std::uint16_t VK_OEM_1 = 0xBA;       // ;:
constexpr std::uint16_t VK_OEM_PLUS = 0xBB;    // =+
constexpr std::uint16_t VK_OEM_COMMA = 0xBC;
constexpr std::uint16_t VK_OEM_MINUS = 0xBD;
constexpr std::uint16_t VK_OEM_PERIOD = 0xBE;
constexpr std::uint16_t VK_OEM_2 = 0xBF;       // /?
constexpr std::uint16_t VK_OEM_3 = 0xC0;       // `~
constexpr std::uint16_t VK_OEM_4 = 0xDB;       // [{
constexpr std::uint16_t VK_OEM_5 = 0xDC;       // \|
constexpr std::uint16_t VK_OEM_6 = 0xDD;       // ]}
constexpr std::uint16_t VK_OEM_7 = 0xDE;       // '"

// ---------------------------------------------------------------------------
// Shift state and mouse buttons
// ---------------------------------------------------------------------------

// One member of a shift state: the modifier keys and mouse buttons held
// during an event, and ssDouble for the second press of a double click.
enum TShiftStateItem : std::uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem, std::uint8_t, ssDouble>;

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// The shift state of a mouse message's MK_* flags; Alt is read from the key
// state (GetKeyState(VK_MENU)), as mouse messages do not carry it.
TShiftState KeysToShiftState(std::uint32_t keys);
// The shift state of a key message's key data: Alt from its bit 29, Shift
// and Ctrl from the key state.
TShiftState KeyDataToShiftState(LPARAM keyData);
// The shift state of the keyboard and mouse buttons as the message loop
// has seen them so far.
TShiftState GetShiftState();

// ---------------------------------------------------------------------------
// Packing and reading parameters
// ---------------------------------------------------------------------------

// A point packed into LParam as two signed 32-bit halves (x low, y high).
constexpr LPARAM PointToLParam(TPoint p) {
  return static_cast<LPARAM>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.y)) << 32) |
                             static_cast<std::uint32_t>(p.x));
}
constexpr TPoint LParamToPoint(LPARAM l) {
  const auto u = static_cast<std::uint64_t>(l);
  return TPoint{static_cast<std::int32_t>(static_cast<std::uint32_t>(u)),
                static_cast<std::int32_t>(static_cast<std::uint32_t>(u >> 32))};
}
// Two 32-bit values packed into one parameter (low first).
constexpr WPARAM MakeWParam(std::int32_t low, std::int32_t high) {
  return static_cast<WPARAM>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) |
                             static_cast<std::uint32_t>(low));
}
constexpr std::int32_t WParamLow(WPARAM w) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(w)); }
constexpr std::int32_t WParamHigh(WPARAM w) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(w) >> 32));
}

// A mouse message (WM_MOUSEMOVE, WM_xBUTTONDOWN/UP/DBLCLK): flags and client point.
struct TWMMouse {
  explicit TWMMouse(const TMessage& m) : Keys(static_cast<std::uint32_t>(m.WParam)), Pos(LParamToPoint(m.LParam)) {}
  std::uint32_t Keys;  // MK_* flags
  TPoint Pos;          // client pixels (screen pixels for non-client messages)
};

// A key message (WM_KEYDOWN/UP, WM_CHAR, CN_*): the key code or character and its key data.
struct TWMKey {
  explicit TWMKey(const TMessage& m)
      : CharCode(static_cast<std::uint16_t>(m.WParam)), KeyData(static_cast<std::uint32_t>(m.LParam)) {}
  std::uint16_t CharCode;
  std::uint32_t KeyData;
};

// A scroll message: the SB_* code and the 32-bit position of thumb messages.
struct TWMScroll {
  explicit TWMScroll(const TMessage& m)
      : ScrollCode(WParamLow(m.WParam)), Pos(WParamHigh(m.WParam)), ScrollBar(m.LParam) {}
  std::int32_t ScrollCode;
  std::int32_t Pos;
  LPARAM ScrollBar;  // 0 for the window's own bars
};
// The WParam of a scroll message with `code` and `pos`.
constexpr WPARAM MakeScrollWParam(int code, std::int32_t pos) { return MakeWParam(code, pos); }

// A WM_SIZE message: its kind and the new client size.
struct TWMSize {
  explicit TWMSize(const TMessage& m)
      : SizeType(static_cast<int>(m.WParam)), Width(LParamToPoint(m.LParam).x), Height(LParamToPoint(m.LParam).y) {}
  int SizeType;
  std::int32_t Width;
  std::int32_t Height;
};

// A WM_SETCURSOR message: the window under the cursor, the hit-test code
// and the mouse message that caused it.
struct TWMSetCursor {
  explicit TWMSetCursor(const TMessage& m)
      : CursorWnd(m.WParam), HitTest(WParamLow(static_cast<WPARAM>(m.LParam))),
        MouseMsg(static_cast<std::uint32_t>(WParamHigh(static_cast<WPARAM>(m.LParam)))) {}
  WPARAM CursorWnd;
  std::int32_t HitTest;
  std::uint32_t MouseMsg;
};

}  // namespace vx::plat
