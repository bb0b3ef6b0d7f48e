// The clipboard of the process, with the calls of the classic Windows API:
// one user at a time opens it, empties it, places data per format and closes
// it; anyone opens it to read.
//
// Data of CF_BITMAP is a device bitmap (HBITMAP), of CF_ENHMETAFILE an
// enhanced metafile (HENHMETAFILE), of every other format a global memory
// block (HGLOBAL). Once placed, the data belong to the clipboard: it frees
// them when it is emptied or the format is placed again, GlobalFree refuses
// its blocks, and readers only look at them.
//
// The clipboard lives in the process, for every host. When a real window
// system runs, its host may install a TSystemClipboardHook so that plain text
// also reaches the system clipboard of other programs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/clipbrd/clipboard_formats.h"
#include "platform/clipbrd/global_memory.h"
#include "platform/core/unicode.h"

namespace vx::plat {

struct HWND__;
using HWND = HWND__*;   // a window (platform/controls/winuser.h); here only an identity
using HANDLE = void*;   // clipboard data: an HGLOBAL, HBITMAP or HENHMETAFILE

// Opens the clipboard for `owner` (nullptr is an owner too). False while
// another owner has it open; opening it again for the same owner succeeds.
bool OpenClipboard(HWND owner);
// Closes it; false when it is not open.
bool CloseClipboard();
// Frees all data and makes the opener the owner; false when it is not open.
bool EmptyClipboard();
// Places `data` as `format` and takes it over (the previous data of that
// format are freed). Returns `data`, or nullptr (the caller keeps the data)
// when the clipboard is not open, `format` is 0, or `data` is not a live
// handle of the format's kind or already belongs to the clipboard.
HANDLE SetClipboardData(std::uint32_t format, HANDLE data);
// The data of `format`, still owned by the clipboard; nullptr when the
// clipboard is not open or holds no such format.
HANDLE GetClipboardData(std::uint32_t format);
// Whether the clipboard holds `format` (open or not).
bool IsClipboardFormatAvailable(std::uint32_t format);
// The format placed after `format` (0: the first one), in the order they were
// placed; 0 after the last or when the clipboard is not open.
std::uint32_t EnumClipboardFormats(std::uint32_t format);
// How many formats the clipboard holds.
int CountClipboardFormats();
// Who has the clipboard open (nullptr also when nobody has) and whether it is open.
HWND GetOpenClipboardWindow();
bool IsClipboardOpen();
// The owner set by the last EmptyClipboard.
HWND GetClipboardOwner();

// What a host offers to exchange text with the system clipboard. Either part
// may be empty.
struct TSystemClipboardHook {
  // Called when the clipboard closes after CF_UNICODETEXT or CF_TEXT was placed.
  std::function<void(const String& text)> PutText;
  // Text other programs put on the system clipboard, if any.
  std::function<std::optional<String>()> GetText;
};
// Installs the hook (an empty hook removes it).
void SetSystemClipboardHook(TSystemClipboardHook hook);
// Text from the system clipboard through the hook; nullopt without one.
std::optional<String> SystemClipboardText();

}  // namespace vx::plat
