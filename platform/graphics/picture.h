// TPicture: a holder of at most one graphic (bitmap, icon, JPEG image,
// metafile) that loads files by their type and tells about every change.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/events.h"
#include "platform/core/persistent.h"
#include "platform/core/stream.h"
#include "platform/graphics/graphic.h"

namespace vx::plat {

class TBitmap;
class TIcon;
class TMetafile;
template <class T>
class TPropertyRegistry;  // platform/core/properties.h

class TPicture : public TPersistent {
  VX_DECLARE_CLASS(TPicture)
public:
  TPicture();
  ~TPicture() override;
  // Publishes Data (WriteData / ReadData), stored while there is a graphic.
  static void RegisterProperties(TPropertyRegistry<TPicture>& r);
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // The graphic held, or nullptr. Owned by the picture.
  TGraphic* GetGraphic() const { return FGraphic.get(); }
  bool HasGraphic() const { return FGraphic != nullptr; }
  // Holds a copy of `value` (a new graphic of its class, assigned from it);
  // nullptr empties the picture.
  void SetGraphic(const TGraphic* value);
  // The graphic as a bitmap / icon / metafile; a graphic of another class (or none) is
  // first replaced by a new empty one.
  TBitmap& GetBitmap();
  TIcon& GetIcon();
  TMetafile& GetMetafile();
  // The graphic when it is of class `cls` (or derived), else a new empty
  // graphic of that class that replaces the current one.
  TGraphic& ForceType(const TGraphic::MetaClass& cls);

  // Size of the graphic in pixels; 0 without one.
  std::int32_t GetWidth() const;
  std::int32_t GetHeight() const;

  // Loads a file as the graphic class its first bytes name (bitmaps, PNG as a
  // bitmap, icons, JPEG images, and what else registered a recogniser), else
  // as the class registered for its extension. An unknown type or bad data
  // raise EInvalidGraphic and leave the picture as it was.
  void LoadFromFile(const std::string& fileName);
  // As LoadFromFile, recognising the type from the stream's first bytes only;
  // the position ends after the picture's data.
  void LoadFromStream(TStream& stream);
  // Saves the graphic (atomically); does nothing without a graphic.
  void SaveToFile(const std::string& fileName);
  // Writes the graphic's own stream image; does nothing without a graphic.
  void SaveToStream(TStream& stream);

  // The form-file image of the picture: the graphic's class name as a short
  // string (length byte, then the name), then its stream image; a single 0
  // byte for an empty picture.
  void WriteData(TStream& stream);
  // Reads what WriteData wrote; an unknown class raises EInvalidGraphic.
  void ReadData(TStream& stream);

  // A picture copies the other's graphic, a graphic is copied in, nullptr empties.
  void Assign(const TPersistent* Source) override;

  // Fired after the graphic changed or was replaced (Sender = the picture).
  TNotifyEvent OnChange;

protected:
  // Copies the graphic into a graphic (Bitmap.Assign(Picture)).
  void AssignTo(TPersistent* Dest) const override;
  virtual void Changed(TObject* sender);

private:
  // Takes over `graphic` as the picture's graphic and fires OnChange.
  void Install(std::unique_ptr<TGraphic> graphic);
  void GraphicChanged(TObject* sender);
  // A new graphic of class `cls` read from the stream.
  std::unique_ptr<TGraphic> ReadGraphic(const TGraphic::MetaClass& cls, TStream& stream);

  std::unique_ptr<TGraphic> FGraphic;
};

}  // namespace vx::plat
