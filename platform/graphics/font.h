// TFont: the face, size, colour and style text is drawn with.
#pragma once

#include <cstdint>

#include "platform/core/set.h"
#include "platform/core/unicode.h"
#include "platform/graphics/color.h"
#include "platform/graphics/graphics_object.h"

namespace vx::plat {

// Pitch as stored in drawing files (default, variable, fixed = 0, 1, 2). The
// logical-font pitch codes differ (fixed 1, variable 2): see FontPitchToLogical.
enum TFontPitch : std::uint8_t {
  fpDefault = 0,
  fpVariable = 1,
  fpFixed = 2,
};

// The logical-font pitch code of a pitch: DEFAULT_PITCH 0, VARIABLE_PITCH 2, FIXED_PITCH 1.
BYTE FontPitchToLogical(TFontPitch pitch);
// The pitch of a logical-font pitch code (its low two bits).
TFontPitch LogicalToFontPitch(BYTE pitchAndFamily);

// One member of a font style set; the set's bit of member m is 1 << m.
enum TFontStyle : std::uint8_t {
  fsBold = 0,       // bit 1
  fsItalic = 1,     // bit 2
  fsUnderline = 2,  // bit 4
  fsStrikeOut = 3,  // bit 8
};

// A set of font styles held in one byte (bold 1, italic 2, underline 4,
// strike-out 8), as drawing files store it: Bits() / FromBits().
using TFontStyles = TSet<TFontStyle, std::uint8_t>;

// The character set code of the default character set.
constexpr std::uint8_t DEFAULT_FONT_CHARSET = DEFAULT_CHARSET;

// A font: "Tahoma", height -11 (8 points at 96 pixels per inch), colour
// clWindowText, default character set and pitch, no style, when new.
class TFont : public TGraphicsObject {
  VX_DECLARE_CLASS(TFont)
public:
  // Publishes Charset, Color, Height, Name, Orientation, Pitch, Size (not
  // stored: Height carries it) and Style.
  static void RegisterProperties(TPropertyRegistry<TFont>& r);

  TFont() = default;

  // The face name; "Default" (any case) stands for the platform's default face.
  const String& GetName() const { return FName; }
  void SetName(const String& value);
  // Logical units of the device the font draws on: negative = character
  // height, positive = cell height (character height plus internal leading).
  std::int32_t GetHeight() const { return FHeight; }
  void SetHeight(std::int32_t value);
  // Points through PixelsPerInch: -Height * 72 / PixelsPerInch, rounded
  // (a positive cell height gives a negative size, and back).
  std::int32_t GetSize() const;
  void SetSize(std::int32_t value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);
  std::uint8_t GetCharset() const { return FCharset; }
  void SetCharset(std::uint8_t value);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch value);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles value);
  // Angle of the text base line in tenths of a degree, counter-clockwise on screen.
  std::int32_t GetOrientation() const { return FOrientation; }
  void SetOrientation(std::int32_t value);
  // The resolution Size is measured against (96 for the screen). Changing it
  // keeps Height and fires no change; only Size reads differently.
  std::int32_t GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(std::int32_t value);

  // The logical font these attributes describe (face name cut to 31 characters).
  LOGFONTW GetLogFont() const;
  // The device font made from GetLogFont. Owned by the font.
  HFONT GetHandle() const { return static_cast<HFONT>(CachedHandle()); }

  // Copies name, character set, colour, height, pitch, style and orientation
  // from another TFont. When the two PixelsPerInch differ the point size is
  // kept (the height is recomputed for this font's resolution); when they are
  // equal the height is copied unchanged. PixelsPerInch itself is not copied.
  void Assign(const TPersistent* Source) override;

protected:
  HGDIOBJ CreateHandle() const override;

private:
  String FName = u"Tahoma";
  std::int32_t FHeight = -11;
  TColor FColor = clWindowText;
  std::uint8_t FCharset = DEFAULT_FONT_CHARSET;
  TFontPitch FPitch = fpDefault;
  TFontStyles FStyle;
  std::int32_t FOrientation = 0;
  std::int32_t FPixelsPerInch = 96;
};

}  // namespace vx::plat
