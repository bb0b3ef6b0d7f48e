// Clipboard format numbers: the standard formats and formats registered by
// name.
//
// A registered name gets the same number in every process of the user, as
// two programs exchanging data by a format name expect. The numbers live in a
// small registry file shared by the user's processes and guarded by a file
// lock: line n of the file (after its first line) holds the name numbered
// 0xC000 + n. The file is the path in the environment variable
// VX_CLIPBOARD_FORMATS when that is set, else
// "$XDG_RUNTIME_DIR/vexalith-clipboard-formats", else
// "/tmp/vexalith-<uid>/clipboard-formats" (a folder only the user may use).
// When no such file can be used, numbers come from a table in the process
// (same name, same number within the process only).
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/unicode.h"

namespace vx::plat {

// Standard formats.
constexpr std::uint32_t CF_TEXT = 1;          // ANSI (Windows-1252) text, zero-terminated
constexpr std::uint32_t CF_BITMAP = 2;        // a device bitmap (HBITMAP)
constexpr std::uint32_t CF_DIB = 8;           // a block: BITMAPINFOHEADER, colour table, bits
constexpr std::uint32_t CF_UNICODETEXT = 13;  // UTF-16 text, zero-terminated
constexpr std::uint32_t CF_ENHMETAFILE = 14;  // an enhanced metafile (HENHMETAFILE)

// The range of registered format numbers.
constexpr std::uint32_t kFirstRegisteredFormat = 0xC000;
constexpr std::uint32_t kLastRegisteredFormat = 0xFFFF;

// The number of the format called `name` (names are compared ignoring case),
// registering it when it is new; 0, which names no format, for an empty name,
// a name longer than 255 units or a full registry.
std::uint32_t RegisterClipboardFormat(const String& name);
// The name a registered format was registered with; empty for standard and
// unknown numbers.
String GetClipboardFormatName(std::uint32_t format);

// The registry file in use ("" when numbers come from the process's own
// table); for diagnostics.
std::string ClipboardFormatRegistryPath();

}  // namespace vx::plat
