// Mouse cursors: the standard shapes, cursors made from small images, and
// the cursor identifiers of controls and of the Screen's cursor list
// (standard cursors keep their negative identifiers; positive slots such as
// 12 and 13 are free for an application's own cursors).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/controls/winuser.h"

namespace vx::plat {

// A cursor identifier as controls and Screen.Cursors use it (16-bit signed).
using TCursor = std::int16_t;

constexpr TCursor crDefault = 0;      // the control's default: an arrow
constexpr TCursor crNone = -1;        // no cursor
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

// The shapes a host knows how to show; Custom cursors carry their own image.
enum class TCursorShape : std::uint8_t {
  None, Arrow, IBeam, Wait, Cross, UpArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS, SizeAll, No, Hand, AppStarting,
  Help, Drag, MultiDrag, NoDrop, HSplit, VSplit, Custom,
};

// Identifiers of LoadCursorW's standard cursors.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
constexpr int IDC_APPSTARTING = 32650;
constexpr int IDC_HELP = 32651;

// What a cursor looks like, for hosts: a standard shape, or for Custom an
// image of Width x Height pixels 0xAARRGGBB (top row first) with its hot spot.
struct TCursorImage {
  TCursorShape Shape = TCursorShape::Arrow;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  TPoint HotSpot;
  std::vector<std::uint32_t> Pixels;
};

// A standard cursor (IDC_*); instance must be nullptr. nullptr for unknown ids.
// Standard cursors are shared and never destroyed.
HCURSOR LoadCursorW(void* instance, int id);
// The shared cursor of a standard shape (TCursorShape::Custom gives nullptr).
HCURSOR StandardCursor(TCursorShape shape);
// A monochrome cursor from AND and XOR planes (rows of `width` bits padded to
// 16 bits, top row first): AND 1 + XOR 0 is transparent, AND 0 + XOR 0 black,
// AND 0 + XOR 1 white, AND 1 + XOR 1 inverts (shown black). nullptr for a
// size outside 1..256 or a hot spot outside the image.
HCURSOR CreateCursor(void* instance, int xHotSpot, int yHotSpot, int width, int height, const void* andPlane,
                     const void* xorPlane);
// A colour cursor from 0xAARRGGBB pixels (top row first); same limits.
HCURSOR CreateColorCursor(int width, int height, const std::uint32_t* pixels, TPoint hotSpot);
// A colour cursor from a small bitmap (the platform's 32-bit or monochrome
// HBITMAP, e.g. TBitmap::GetHandle()); pixels of the colour `transparent`
// are left out. nullptr for a stale handle or a bitmap larger than 256 x 256.
HCURSOR CreateCursorFromBitmap(HBITMAP bitmap, TPoint hotSpot, COLORREF transparent);
// Frees a cursor made by CreateCursor/CreateColorCursor; standard cursors
// stay. The cursor shown is replaced by the arrow when it is the one freed.
BOOL DestroyCursor(HCURSOR cursor);
// What the cursor looks like; FALSE for a stale handle.
BOOL GetCursorImage(HCURSOR cursor, TCursorImage* image);

}  // namespace vx::plat
