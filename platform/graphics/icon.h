// TIcon: an icon file (one or more images, each a colour image with a mask)
// drawn through its mask, so its transparent parts leave the background.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphic.h"

namespace vx::plat {

namespace imaging {
struct IconFile;
}

class TBitmap;

class TIcon : public TGraphic {
  VX_DECLARE_CLASS(TIcon)
public:
  // An empty icon; Transparent is true.
  TIcon();
  ~TIcon() override;

  bool GetEmpty() const override;
  // Size of the image shown: the file's image nearest to the requested size
  // (32 x 32 unless set), deepest colours first.
  std::int32_t GetWidth() const override;
  std::int32_t GetHeight() const override;
  // Asks for the image nearest to this size (the file's images are not scaled).
  void SetWidth(std::int32_t value) override;
  void SetHeight(std::int32_t value) override;

  // Draws the chosen image stretched into r. Transparent: pixels the mask
  // marks transparent leave the destination unchanged; else the colour image
  // is copied as it is (its masked parts usually black).
  void Draw(TCanvas& canvas, const TRect& r) override;

  // Reads an icon (or cursor) file image from the stream's position and leaves
  // the position after its last image. Bad data raise EInvalidGraphic and
  // leave the icon as it was.
  void LoadFromStream(TStream& stream) override;
  // Writes the icon file image: the original bytes while the icon was not
  // replaced. An empty icon raises EInvalidGraphic.
  void SaveToStream(TStream& stream) override;

  // Copies another icon; nullptr empties the icon.
  void Assign(const TPersistent* Source) override;

  // The decoded file (all images).
  const imaging::IconFile& GetIconFile() const { return *FFile; }
  // Replaces the icon by the images of a decoded file (written anew when saved).
  void SetIconFile(const imaging::IconFile& file);
  // The index of the image shown.
  std::size_t GetImageIndex() const { return FImageIndex; }

  // A new bitmap of the shown image's colours (pixels under the mask as the
  // file has them; alpha dropped), and a new monochrome bitmap of its mask
  // (white = transparent). The caller owns both; nullptr for an empty icon.
  std::unique_ptr<TBitmap> CreateColorBitmap() const;
  std::unique_ptr<TBitmap> CreateMaskBitmap() const;

private:
  void PickImage();
  // Whether pixel i of the shown image lets the background show.
  bool IsTransparentPixel(std::size_t i) const;

  std::unique_ptr<imaging::IconFile> FFile;
  std::vector<std::uint8_t> FData;  // the file image as read; empty once replaced
  std::int32_t FRequestedWidth = 32;
  std::int32_t FRequestedHeight = 32;
  std::size_t FImageIndex = 0;
};

}  // namespace vx::plat
