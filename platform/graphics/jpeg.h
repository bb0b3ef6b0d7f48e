// TJPEGImage: a picture held as JPEG file bytes, decoded for drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphic.h"

namespace vx::plat {

class TBitmap;

class TJPEGImage : public TGraphic {
  VX_DECLARE_CLASS(TJPEGImage)
public:
  TJPEGImage();
  ~TJPEGImage() override;

  bool GetEmpty() const override;
  std::int32_t GetWidth() const override;
  std::int32_t GetHeight() const override;
  // A JPEG image cannot be resized: both raise EInvalidGraphic.
  void SetWidth(std::int32_t value) override;
  void SetHeight(std::int32_t value) override;

  // Draws the decoded pixels stretched into r with the canvas's CopyMode.
  // JPEG images are always drawn opaque (lossy colours have no exact key).
  void Draw(TCanvas& canvas, const TRect& r) override;

  // Reads the JPEG at the stream's position up to its end marker and leaves
  // the position after it. The data are decoded at once, so damaged data
  // raise EInvalidGraphic here and leave the image as it was.
  void LoadFromStream(TStream& stream) override;
  // Writes the JPEG bytes: the original ones while the picture was not
  // replaced, else the pixels compressed with CompressionQuality. An empty
  // image raises EInvalidGraphic.
  void SaveToStream(TStream& stream) override;

  // Copies another JPEG image (bytes and pixels), or takes a bitmap's pixels
  // (compressed when first saved); nullptr empties the image.
  void Assign(const TPersistent* Source) override;

  // Quality of the next compression, 1 (smallest) .. 100 (best); 90 when new.
  int GetCompressionQuality() const { return FCompressionQuality; }
  void SetCompressionQuality(int value);

  // The decoded pixels (decoded again after Dormant). Owned by the image;
  // nullptr for an empty image.
  const TBitmap* GetBitmap() const;
  // Drops the decoded pixels; they are decoded again when needed.
  void Dormant();
  // The JPEG bytes (compressed now when the picture came from a bitmap).
  const std::vector<std::uint8_t>& GetData();

private:
  void Compress();
  void Decode() const;

  std::vector<std::uint8_t> FData;
  mutable std::unique_ptr<TBitmap> FBitmap;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;
  int FCompressionQuality = 90;
};

}  // namespace vx::plat
