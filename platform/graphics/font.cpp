#include "platform/graphics/font.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/properties.h"

namespace vx::plat {

VX_DEFINE_CLASS(TFont, TGraphicsObject)
VX_PUBLISH(TFont)

void TFont::RegisterProperties(TPropertyRegistry<TFont>& r) {
  r.Integer("Charset", &TFont::GetCharset, &TFont::SetCharset, DEFAULT_FONT_CHARSET);
  r.Integer("Color", &TFont::GetColor, &TFont::SetColor, clWindowText);
  r.Integer("Height", &TFont::GetHeight, &TFont::SetHeight);
  r.Str("Name", &TFont::GetName, &TFont::SetName);
  r.Integer("Orientation", &TFont::GetOrientation, &TFont::SetOrientation, 0);
  r.Enum("Pitch", &TFont::GetPitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"}, fpDefault);
  r.Integer("Size", &TFont::GetSize, &TFont::SetSize).NeverStored();
  r.Set("Style", &TFont::GetStyle, &TFont::SetStyle, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
        TFontStyles{});
}

namespace {

// value * numerator / denominator rounded to the nearest, halves away from
// zero, in 64 bits; the callers never pass a zero denominator.
std::int32_t MulDivRound(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
  std::int64_t product = value * numerator;
  std::int64_t q = (std::llabs(product) * 2 + std::llabs(denominator)) / (std::llabs(denominator) * 2);
  if ((product < 0) != (denominator < 0)) q = -q;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

}  // namespace

BYTE FontPitchToLogical(TFontPitch pitch) {
  switch (pitch) {
    case fpVariable: return VARIABLE_PITCH;
    case fpFixed: return FIXED_PITCH;
    default: return DEFAULT_PITCH;
  }
}

TFontPitch LogicalToFontPitch(BYTE pitchAndFamily) {
  switch (pitchAndFamily & 0x03) {
    case VARIABLE_PITCH: return fpVariable;
    case FIXED_PITCH: return fpFixed;
    default: return fpDefault;
  }
}

void TFont::SetName(const String& value) {
  if (value == FName) return;
  FName = value;
  Changed();
}

void TFont::SetHeight(std::int32_t value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed();
}

std::int32_t TFont::GetSize() const { return -MulDivRound(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(std::int32_t value) { SetHeight(-MulDivRound(value, FPixelsPerInch, 72)); }

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetCharset(std::uint8_t value) {
  if (value == FCharset) return;
  FCharset = value;
  Changed();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == FPitch) return;
  FPitch = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TFont::SetOrientation(std::int32_t value) {
  if (value == FOrientation) return;
  FOrientation = value;
  Changed();
}

void TFont::SetPixelsPerInch(std::int32_t value) {
  // Zero or negative resolutions would divide by zero in GetSize.
  if (value > 0) FPixelsPerInch = value;
}

void TFont::Assign(const TPersistent* Source) {
  auto* font = dynamic_cast<const TFont*>(Source);
  if (!font) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FName = font->FName;
  FCharset = font->FCharset;
  FColor = font->FColor;
  FHeight = font->FPixelsPerInch == FPixelsPerInch ? font->FHeight
                                                   : -MulDivRound(font->GetSize(), FPixelsPerInch, 72);
  FPitch = font->FPitch;
  FStyle = font->FStyle;
  FOrientation = font->FOrientation;
  Changed();
}

LOGFONTW TFont::GetLogFont() const {
  LOGFONTW lf;
  lf.lfHeight = FHeight;
  lf.lfWidth = 0;
  lf.lfEscapement = FOrientation;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FontPitchToLogical(FPitch);
  // The face-name field holds at most 31 characters and a terminating zero.
  const std::size_t n = std::min<std::size_t>(FName.size(), LF_FACESIZE - 1);
  std::copy_n(FName.begin(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return lf;
}

HGDIOBJ TFont::CreateHandle() const {
  const LOGFONTW lf = GetLogFont();
  return CreateFontIndirectW(&lf);
}

}  // namespace vx::plat
