#include "platform/graphics/jpeg.h"

#include <algorithm>

#include "platform/graphics/bitmap.h"
#include "platform/imaging/jpeg.h"

namespace vx::plat {

VX_DEFINE_CLASS(TJPEGImage, TGraphic)

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::GetEmpty() const { return FData.empty() && !FBitmap; }
std::int32_t TJPEGImage::GetWidth() const { return FWidth; }
std::int32_t TJPEGImage::GetHeight() const { return FHeight; }

void TJPEGImage::SetWidth(std::int32_t) { throw EInvalidGraphic("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(std::int32_t) { throw EInvalidGraphic("Cannot change the size of a JPEG image"); }

void TJPEGImage::SetCompressionQuality(int value) { FCompressionQuality = std::clamp(value, 1, 100); }

void TJPEGImage::Decode() const {
  if (FBitmap || FData.empty()) return;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromImage(imaging::ReadJpeg(FData));
  FBitmap = std::move(bitmap);
}

const TBitmap* TJPEGImage::GetBitmap() const {
  Decode();
  return FBitmap.get();
}

void TJPEGImage::Dormant() {
  // Pixels that exist only in memory (from a bitmap) are compressed first.
  if (FData.empty() && FBitmap) Compress();
  FBitmap.reset();
}

void TJPEGImage::Compress() {
  if (!FBitmap || FBitmap->GetEmpty()) return;
  imaging::TJpegOptions options;
  options.Quality = FCompressionQuality;
  FData = imaging::WriteJpeg(FBitmap->ToImage(), options);
}

const std::vector<std::uint8_t>& TJPEGImage::GetData() {
  if (FData.empty()) Compress();
  return FData;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) {
  Decode();
  if (FBitmap) FBitmap->Draw(canvas, r);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  const std::int64_t start = stream.GetPosition();
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromImage(imaging::ReadJpeg(stream));
  const std::int64_t end = stream.GetPosition();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(end - start));
  stream.SetPosition(start);
  stream.ReadBuffer(data.data(), std::int64_t(data.size()));
  FData = std::move(data);
  FWidth = bitmap->GetWidth();
  FHeight = bitmap->GetHeight();
  FBitmap = std::move(bitmap);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream) {
  const auto& data = GetData();
  if (data.empty()) throw EInvalidGraphic("Cannot save an empty JPEG image");
  stream.WriteBuffer(data.data(), std::int64_t(data.size()));
}

void TJPEGImage::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    FData.clear();
    FBitmap.reset();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  if (auto* jpeg = dynamic_cast<const TJPEGImage*>(Source)) {
    std::unique_ptr<TBitmap> bitmap;
    if (jpeg->FBitmap) {
      bitmap = std::make_unique<TBitmap>();
      bitmap->Assign(jpeg->FBitmap.get());
    }
    FData = jpeg->FData;
    FBitmap = std::move(bitmap);
    FWidth = jpeg->FWidth;
    FHeight = jpeg->FHeight;
    FCompressionQuality = jpeg->FCompressionQuality;
    Changed(this);
    return;
  }
  if (auto* source = dynamic_cast<const TBitmap*>(Source)) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(source);
    bitmap->SetTransparent(false);
    FData.clear();
    FWidth = bitmap->GetWidth();
    FHeight = bitmap->GetHeight();
    FBitmap = bitmap->GetEmpty() ? nullptr : std::move(bitmap);
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

}  // namespace vx::plat
