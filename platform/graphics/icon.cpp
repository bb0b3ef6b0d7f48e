#include "platform/graphics/icon.h"

#include <algorithm>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/transfer_private.h"
#include "platform/imaging/ico.h"

namespace vx::plat {

VX_DEFINE_CLASS(TIcon, TGraphic)

using graphics_detail::kWhitePixel;

TIcon::TIcon() : FFile(std::make_unique<imaging::IconFile>()) { FTransparent = true; }

TIcon::~TIcon() = default;

bool TIcon::GetEmpty() const { return FFile->Images.empty(); }

std::int32_t TIcon::GetWidth() const { return GetEmpty() ? 0 : FFile->Images[FImageIndex].Color.Width; }

std::int32_t TIcon::GetHeight() const { return GetEmpty() ? 0 : FFile->Images[FImageIndex].Color.Height; }

void TIcon::PickImage() {
  FImageIndex = 0;
  if (FFile->Images.size() > 1)
    FImageIndex = imaging::PickIconImage(*FFile, std::max(FRequestedWidth, FRequestedHeight));
}

void TIcon::SetWidth(std::int32_t value) {
  if (value == FRequestedWidth) return;
  FRequestedWidth = value;
  PickImage();
  Changed(this);
}

void TIcon::SetHeight(std::int32_t value) {
  if (value == FRequestedHeight) return;
  FRequestedHeight = value;
  PickImage();
  Changed(this);
}

bool TIcon::IsTransparentPixel(std::size_t i) const {
  const auto& image = FFile->Images[FImageIndex];
  if (i < image.Mask.size() && image.Mask[i]) return true;
  // Pictures with an alpha channel: the more transparent half shows the background.
  return image.Color.Alpha == imaging::TAlphaMode::amStraight && imaging::PixelAlpha(image.Color.Pixels[i]) < 128;
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) {
  if (GetEmpty()) return;
  HDC dc = canvas.GetHandle();
  const auto& color = FFile->Images[FImageIndex].Color;
  const std::size_t count = color.Pixels.size();
  graphics_detail::TStretchModeGuard stretchMode(dc);
  std::vector<std::uint32_t> image(count);
  if (!GetTransparent()) {
    for (std::size_t i = 0; i < count; ++i) image[i] = color.Pixels[i] & kWhitePixel;
    graphics_detail::StretchPixels(dc, r, image.data(), color.Width, color.Width, color.Height, SRCCOPY);
    return;
  }
  std::vector<std::uint32_t> mask(count);
  for (std::size_t i = 0; i < count; ++i) {
    const bool clear = IsTransparentPixel(i);
    mask[i] = clear ? kWhitePixel : 0;
    image[i] = clear ? 0 : color.Pixels[i] & kWhitePixel;
  }
  graphics_detail::StretchMasked(dc, r, mask, image, color.Width, color.Height);
}

void TIcon::LoadFromStream(TStream& stream) {
  const std::int64_t start = stream.GetPosition();
  auto file = std::make_unique<imaging::IconFile>(imaging::ReadIco(stream));
  if (file->Images.empty()) {
    stream.SetPosition(start);
    throw EInvalidGraphic("Invalid ICO: the file holds no image");
  }
  const std::int64_t end = stream.GetPosition();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(end - start));
  stream.SetPosition(start);
  stream.ReadBuffer(data.data(), std::int64_t(data.size()));
  FFile = std::move(file);
  FData = std::move(data);
  PickImage();
  Changed(this);
}

void TIcon::SaveToStream(TStream& stream) {
  if (GetEmpty()) throw EInvalidGraphic("Cannot save an empty icon");
  if (FData.empty()) FData = imaging::WriteIco(*FFile);
  stream.WriteBuffer(FData.data(), std::int64_t(FData.size()));
}

void TIcon::SetIconFile(const imaging::IconFile& file) {
  auto copy = std::make_unique<imaging::IconFile>(file);
  FFile = std::move(copy);
  FData.clear();
  PickImage();
  Changed(this);
}

void TIcon::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    FFile = std::make_unique<imaging::IconFile>();
    FData.clear();
    FImageIndex = 0;
    Changed(this);
    return;
  }
  if (auto* icon = dynamic_cast<const TIcon*>(Source)) {
    auto copy = std::make_unique<imaging::IconFile>(*icon->FFile);
    FFile = std::move(copy);
    FData = icon->FData;
    FRequestedWidth = icon->FRequestedWidth;
    FRequestedHeight = icon->FRequestedHeight;
    FImageIndex = icon->FImageIndex;
    FTransparent = icon->FTransparent;
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

std::unique_ptr<TBitmap> TIcon::CreateColorBitmap() const {
  if (GetEmpty()) return nullptr;
  imaging::Image color = FFile->Images[FImageIndex].Color;
  color.Alpha = imaging::TAlphaMode::amIgnored;
  color.SourceBitDepth = 24;
  color.Palette.clear();
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromImage(color);
  return bitmap;
}

std::unique_ptr<TBitmap> TIcon::CreateMaskBitmap() const {
  if (GetEmpty()) return nullptr;
  const auto& color = FFile->Images[FImageIndex].Color;
  imaging::Image mask(color.Width, color.Height);
  for (std::size_t i = 0; i < mask.Pixels.size(); ++i) mask.Pixels[i] = IsTransparentPixel(i) ? 0xFFFFFFFFu : 0xFF000000u;
  mask.SourceBitDepth = 1;
  mask.Palette = {0, kWhitePixel};
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromImage(mask);
  return bitmap;
}

}  // namespace vx::plat
