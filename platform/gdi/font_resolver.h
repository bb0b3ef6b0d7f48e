// Face resolution: which font file draws a logical font's face name, weight,
// slant and pitch. Names a Windows-made drawing uses ("Arial", "Courier New",
// "MS Sans Serif") resolve to the metric-compatible faces installed here, so a
// text measured on one system has the same size on the other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/unicode.h"

namespace vx::plat::gdi {

// Pitch request of a logical font, with the values of the logical-font record's
// pitch bits (default 0, fixed 1, variable 2). Note that the canvas font's
// property enumeration orders them differently (default, variable, fixed).
enum class FontPitch : std::uint8_t { Default = 0, Fixed = 1, Variable = 2 };

// Slant request of a logical font.
enum class FontSlant : std::uint8_t { Upright, Italic };

// Character sets a caller is likely to pass (the logical-font record's values).
inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t SYMBOL_CHARSET = 2;

// What a logical font asks for. Weight is 1..1000 (400 normal, 700 bold);
// 0 means "don't care" and counts as 400.
struct FaceRequest {
  String Name;
  std::int32_t Weight = 400;
  FontSlant Slant = FontSlant::Upright;
  FontPitch Pitch = FontPitch::Default;
  std::uint8_t Charset = DEFAULT_CHARSET;
  bool operator==(const FaceRequest&) const = default;
};

// The face that draws a request. When the installed family lacks the asked
// weight or slant, the glyphs are emboldened or sheared by the font engine.
struct ResolvedFace {
  std::string FilePath;    // font file (UTF-8 path)
  std::int32_t FaceIndex = 0;  // face inside a collection file
  String Family;           // family name actually used, e.g. u"Liberation Sans"
  bool SynthesizeBold = false;
  bool SynthesizeItalic = false;
};

// The face that replaces "Default" (any case) when a logical font is built: "DejaVu Sans".
String PlatformDefaultFaceName();

// The installed family a Windows face name stands for ("Arial" -> "Liberation Sans",
// "Default" -> the platform default face); other names come back unchanged.
// Case-insensitive; leading and trailing blanks are ignored.
String SubstituteFaceName(std::u16string_view name);

// Resolves a request through fontconfig, after SubstituteFaceName. A name no
// installed family carries resolves to DejaVu Sans (DejaVu Sans Mono when fixed
// pitch was asked). Results are cached; the reference stays valid until
// ReleaseFontResolverCache. Throws Exception only when no font at all is installed.
const ResolvedFace& ResolveFace(const FaceRequest& request);

// Frees the resolution cache and the fontconfig configuration (also done at exit).
void ReleaseFontResolverCache();

}  // namespace vx::plat::gdi
