// TClipboard: the clipboard as an object. It opens the clipboard (openings
// nest), places pictures and text in the formats other programs read, and
// reads them back into bitmaps, metafiles and pictures.
//
// The clipboard is emptied once within an opening: the first format placed
// through this object empties it, later ones are added. A copy that places
// several formats therefore opens the clipboard around them all:
//
//   Clipboard()->Open();
//   Clipboard()->Assign(&metafile);            // empties, places CF_ENHMETAFILE
//   SetClipboardData(nativeFormat, block);     // added beside it
//   Clipboard()->Close();
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/clipbrd/clipboard_api.h"
#include "platform/core/exceptions.h"
#include "platform/core/persistent.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TGraphic;

// The clipboard could not be opened or refused data ("Cannot open clipboard").
class EClipboardException : public Exception {
public:
  using Exception::Exception;
};

class TClipboard : public TPersistent {
  VX_DECLARE_CLASS(TClipboard)
public:
  TClipboard();
  // Closes the clipboard when this object still has it open.
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opens the clipboard for this object; nested calls only count. Raises
  // EClipboardException "Cannot open clipboard" while another user has it open.
  void Open();
  // Ends one Open; the last one closes the clipboard. Extra calls do nothing.
  void Close();
  // Empties the clipboard (opening it around the call).
  void Clear();

  // Places a TBitmap (CF_BITMAP and CF_DIB), a TMetafile (CF_ENHMETAFILE) or
  // the graphic of a TPicture (metafiles as metafiles, other graphics as
  // bitmaps). Empties the clipboard first unless something was already placed
  // within the current opening. An empty picture raises EInvalidGraphic and
  // other classes EConvertError, leaving the clipboard untouched.
  void Assign(const TPersistent* Source) override;

  // The text on the clipboard (CF_UNICODETEXT, else CF_TEXT, else the system
  // clipboard's text through the host's hook); empty when there is none.
  String GetAsText();
  // Places the text as CF_UNICODETEXT and CF_TEXT (Windows-1252).
  void SetAsText(const String& text);

  // Whether the clipboard holds `format`.
  bool HasFormat(std::uint32_t format) const;
  // Places `value` as `format`; the clipboard takes it over. Raises
  // EClipboardException (and `value` stays the caller's) when it is refused.
  void SetAsHandle(std::uint32_t format, HANDLE value);
  // The clipboard's data of `format` (still the clipboard's), or nullptr.
  HANDLE GetAsHandle(std::uint32_t format);
  // Copies `size` bytes into a new block placed as `format`.
  void SetBuffer(std::uint32_t format, const void* data, std::size_t size);
  // A copy of the bytes of the block placed as `format`; empty when there is none.
  std::vector<std::uint8_t> GetBuffer(std::uint32_t format);

  // The formats on the clipboard, in the order they were placed.
  int GetFormatCount() const;
  std::uint32_t GetFormats(int index);

  // The identity this object opens the clipboard with.
  HWND GetHandle() const { return reinterpret_cast<HWND>(const_cast<TClipboard*>(this)); }
  // How many Opens are not yet closed.
  int GetOpenCount() const { return FOpenRefCount; }

protected:
  // Reads the clipboard's picture into a TBitmap, TMetafile or TPicture; raises
  // EInvalidGraphic "Unsupported clipboard format" when there is none of a
  // format the destination can take.
  void AssignTo(TPersistent* Dest) const override;

private:
  // Places prepared data under the empty-once rule; frees what was not placed.
  void PlaceAll(std::vector<std::pair<std::uint32_t, HANDLE>> data);
  void AssignGraphic(const TGraphic& graphic);

  int FOpenRefCount = 0;
  bool FEmptied = false;
};

// The clipboard object of the process (never nil).
TClipboard* Clipboard();

}  // namespace vx::plat
