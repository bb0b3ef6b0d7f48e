#include "foundation/vxtypes.h"

#include <new>

#include "platform/core/exceptions.h"

namespace vx {

std::uint16_t Lin_prec = 8;
std::int16_t FrameRgn_W = 3;
vx::plat::TColor clShadowPen = vx::plat::clBlack;
std::uint8_t RoundRectX3 = 2;
std::int32_t MaxCoord = 32767;
std::uint16_t AutoScrollTime = 50;
std::uint16_t FrameSpace = 3;
TSizingHandle SizingHandle = szNone;
TCoordPnt ZeroPoint{0, 0};
std::int32_t noParam = 0;
std::uint16_t Rot_OutlineDiv = 16;
TScaleSetting* ActScaleSet = nullptr;

pPointArray NewPoly(std::int32_t Count) {
  if (Count <= 0) return nullptr;
  auto* points = new (std::nothrow) TCoordPnt[static_cast<std::size_t>(Count)];
  if (!points) throw vx::plat::EOutOfMemory();
  return points;
}

void DeletePoly(pPointArray P, std::int32_t /*Count*/) { delete[] P; }

namespace {

void PutInt16(TPosImage& image, std::size_t at, std::uint16_t v) {
  image[at] = static_cast<std::uint8_t>(v);
  image[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutInt32(TPosImage& image, std::size_t at, std::uint32_t v) {
  PutInt16(image, at, static_cast<std::uint16_t>(v));
  PutInt16(image, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::uint16_t GetInt16(const TPosImage& image, std::size_t at) {
  return static_cast<std::uint16_t>(image[at] | (image[at + 1] << 8));
}

std::uint32_t GetInt32(const TPosImage& image, std::size_t at) {
  return GetInt16(image, at) | (static_cast<std::uint32_t>(GetInt16(image, at + 2)) << 16);
}

}  // namespace

TPosImage TPos::ToBytes(TPosLayout Layout) const {
  TPosImage image{};
  if (Layout == plStoredLink) {
    PutInt16(image, 0, static_cast<std::uint16_t>(Con.ConType));
    PutInt16(image, 2, Con.ConID);
  } else {
    PutInt32(image, 0, static_cast<std::uint32_t>(x));
    PutInt32(image, 4, static_cast<std::uint32_t>(y));
  }
  PutInt16(image, 8, static_cast<std::uint16_t>(RelX));
  PutInt16(image, 10, static_cast<std::uint16_t>(RelY));
  return image;
}

TPos TPos::FromBytes(const TPosImage& Image) {
  TPos pos;
  pos.x = static_cast<std::int32_t>(GetInt32(Image, 0));
  pos.y = static_cast<std::int32_t>(GetInt32(Image, 4));
  pos.Con.ConType = static_cast<std::int16_t>(GetInt16(Image, 0));
  pos.Con.ConID = GetInt16(Image, 2);
  pos.Con.RelPos = static_cast<std::int32_t>(GetInt32(Image, 4));
  pos.RelX = static_cast<std::int16_t>(GetInt16(Image, 8));
  pos.RelY = static_cast<std::int16_t>(GetInt16(Image, 10));
  return pos;
}

}  // namespace vx
