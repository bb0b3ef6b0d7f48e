// TMetafile: a vector picture held as an enhanced metafile, loaded from and
// saved to .emf files (or old-style placeable .wmf files), drawn by playing
// its records; TMetafileCanvas: a canvas whose drawing is recorded into one.
#pragma once

#include <cstdint>

#include "platform/core/unicode.h"
#include "platform/emf/enhmetafile.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphic.h"

namespace vx::plat {

class TMetafile : public TGraphic {
  VX_DECLARE_CLASS(TMetafile)
public:
  // An empty metafile: no picture, size 0, enhanced.
  TMetafile();
  ~TMetafile() override;

  // True while there is no recorded or loaded picture (a size alone is not one).
  bool GetEmpty() const override;
  // Size in pixels at 96 per inch, from the size in 0.01 mm (setting one sets
  // the other; both round trip exactly). Set before recording, the size
  // becomes the recorded picture's frame.
  std::int32_t GetWidth() const override;
  void SetWidth(std::int32_t value) override;
  std::int32_t GetHeight() const override;
  void SetHeight(std::int32_t value) override;
  // Size in 0.01 mm: the picture's frame once it has one.
  std::int32_t GetMMWidth() const { return FMMWidth; }
  void SetMMWidth(std::int32_t value);
  std::int32_t GetMMHeight() const { return FMMHeight; }
  void SetMMHeight(std::int32_t value);

  // Whether the stream image is an enhanced metafile (true) or an old-style
  // placeable metafile (false). Loading sets it from the data; the picture in
  // memory is enhanced either way.
  bool GetEnhanced() const { return FEnhanced; }
  void SetEnhanced(bool value);

  // The metafile handle, owned by this object (nullptr when empty).
  HENHMETAFILE GetHandle() const { return FHandle; }
  // Takes `value` over (freeing the previous one); the size becomes its frame.
  void SetHandle(HENHMETAFILE value);
  // Gives the handle away: the caller frees it; the metafile becomes empty.
  HENHMETAFILE ReleaseHandle();
  // Empties the metafile (size 0).
  void Clear();

  // The description stored in the file ("application\0title"), or empty.
  String GetDescription() const;

  // A metafile draws only what it records: it is always transparent.
  bool GetTransparent() const override { return true; }

  // Plays the picture into r (logical units of the canvas's DC); a rectangle
  // whose right is left of its left, or a mapping with a negative extent, mirrors.
  void Draw(TCanvas& canvas, const TRect& r) override;

  // Reads an .emf image, or an old-style .wmf image (placeable or plain,
  // converted: see platform/emf/wmf_convert.h), from the stream's position and
  // leaves the position after it. Bad data raise EInvalidGraphic naming the
  // fault and leave the metafile and the position as they were.
  void LoadFromStream(TStream& stream) override;
  // Writes the .emf image, or with Enhanced false a placeable .wmf image.
  // An empty metafile raises EInvalidGraphic.
  void SaveToStream(TStream& stream) override;

  // Copies another metafile (picture, size, Enhanced); nullptr empties.
  void Assign(const TPersistent* Source) override;

private:
  void TakeFrame();

  HENHMETAFILE FHandle = nullptr;
  std::int32_t FMMWidth = 0;
  std::int32_t FMMHeight = 0;
  bool FEnhanced = true;
};

// A canvas that records into a new picture for `metafile`: its device
// context is a recording DC answering the reference device's capabilities
// (nullptr: the 96-dpi screen). The metafile's size, when set, is the
// picture's frame; else the frame is what was drawn. Destroying the canvas
// finishes the recording and hands the picture to the metafile (replacing
// its previous one).
class TMetafileCanvas : public TCanvas {
  VX_DECLARE_CLASS(TMetafileCanvas)
public:
  TMetafileCanvas(TMetafile* metafile, HDC referenceDevice);
  // With the description "createdBy\0description\0\0" stored in the file.
  TMetafileCanvas(TMetafile* metafile, HDC referenceDevice, const String& createdBy, const String& description);
  ~TMetafileCanvas() override;

private:
  TMetafile* FMetafile;
};

}  // namespace vx::plat
