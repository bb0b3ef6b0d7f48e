// TGraphic: the abstract picture (bitmap, icon, JPEG image, metafile) and the
// registry that finds a graphic class for a file, by its extension or by its
// first bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/events.h"
#include "platform/core/persistent.h"
#include "platform/core/stream.h"
#include "platform/core/types.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TCanvas;

class TGraphic : public TPersistent {
public:
  // Class references of graphics: Create makes an empty graphic of the class.
  using MetaClass = TMetaClass<TGraphic>;
  VX_DECLARE_CLASS(TGraphic)

public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  // True when there is no picture (a 0 x 0 bitmap, an icon never loaded).
  virtual bool GetEmpty() const = 0;
  // Size in pixels (metafiles: their own units taken as pixels).
  virtual std::int32_t GetWidth() const = 0;
  virtual void SetWidth(std::int32_t value) = 0;
  virtual std::int32_t GetHeight() const = 0;
  virtual void SetHeight(std::int32_t value) = 0;
  virtual void SetSize(std::int32_t width, std::int32_t height);

  // Whether drawing leaves the picture's transparent parts showing what lies below.
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);

  // Set by every change; setting it true fires OnChange.
  bool GetModified() const { return FModified; }
  void SetModified(bool value);

  // Draws the picture stretched into r, in logical units of the canvas's
  // device context (negative extents mirror). Callers use TCanvas::Draw and
  // StretchDraw, which skip empty graphics.
  virtual void Draw(TCanvas& canvas, const TRect& r) = 0;

  // Reads the graphic's own stream image from the stream's position and
  // leaves the position just after it (so an image embedded in a larger
  // stream can be followed by other data). Bad data raise EInvalidGraphic and
  // leave the graphic as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  // Writes the graphic's own stream image at the stream's position.
  virtual void SaveToStream(TStream& stream) = 0;
  // Loads a file (a missing file raises EFOpenError).
  virtual void LoadFromFile(const std::string& fileName);
  // Saves to a file; a previous file is only replaced once the new one is complete.
  virtual void SaveToFile(const std::string& fileName);

  // Fired after every change of the picture (Sender = the graphic).
  TNotifyEvent OnChange;

protected:
  // Marks the graphic modified and fires OnChange.
  virtual void Changed(TObject* sender);

  // Set directly by descendants that copy another graphic (one OnChange for the whole copy).
  bool FTransparent = false;

private:
  bool FModified = false;
};

// Recognises a file type from its first bytes (at most 64 are passed).
using TGraphicSniffer = bool (*)(std::span<const std::uint8_t> head);

// One registered file type.
struct TGraphicFileFormat {
  std::string Extension;    // lower case, without the dot: "bmp"
  String Description;       // "Bitmaps"
  const TGraphic::MetaClass* GraphicClass = nullptr;
  TGraphicSniffer Sniffer = nullptr;  // nullptr: recognised by extension only
};

// Registers (or replaces) the graphic class for files with `extension`
// (case-insensitive, with or without the dot). With a sniffer, data of that
// type are also recognised whatever their file name. Bitmaps (bmp, and png
// read as a bitmap), icons (ico) and JPEG images (jpg, jpeg, jpe, jfif) are
// registered from the start.
void RegisterFileFormat(std::string_view extension, const String& description, const TGraphic::MetaClass& cls,
                        TGraphicSniffer sniffer = nullptr);
// Removes every registration of a class.
void UnregisterGraphicClass(const TGraphic::MetaClass& cls);
// The class registered for an extension ("bmp", ".BMP"), or nullptr.
const TGraphic::MetaClass* GraphicClassForExtension(std::string_view extension);
// The class whose sniffer recognises the first bytes of some data, or nullptr.
const TGraphic::MetaClass* GraphicClassForContent(std::span<const std::uint8_t> head);
// Every registration, in the order they were made.
std::vector<TGraphicFileFormat> GraphicFileFormats();
// An open-dialog filter of the formats of `cls` and its descendants: an
// "All" entry, then one entry per extension, e.g.
// "All (*.bmp;*.png)|*.bmp;*.png|Bitmaps (*.bmp)|*.bmp|...".
String GraphicFilter(const TGraphic::MetaClass& cls);
// The extension of a file name, lower case, without the dot ("" when none).
std::string FileExtension(std::string_view fileName);

}  // namespace vx::plat
