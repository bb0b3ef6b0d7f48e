// Font instances: a logical font realised at a device-pixel size, with its
// metrics, string measurement, glyph rendering into coverage masks (turned by
// the escapement) and DrawText-style word-break layout. What is measured here
// is exactly what Render draws: a string's width is the sum of its characters'
// rounded advances, and Render places each glyph at that running sum.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/core/types.h"
#include "platform/core/unicode.h"
#include "platform/gdi/font_resolver.h"

namespace vx::plat::gdi {

// Cell height used for a logical font of height 0 ("any reasonable size").
inline constexpr std::int32_t kDefaultFontCellHeight = 16;
// Larger em sizes are clamped to this many pixels (measuring and drawing agree).
inline constexpr std::int32_t kMaxFontEmPixels = 16384;

// A logical font with its sizes already converted to DEVICE pixels by the DC
// (height through the mapping's y scale, width through its x scale).
struct FontSpec {
  String FaceName = u"Tahoma";      // "Default" (any case) means the platform default face
  std::int32_t Height = -11;        // < 0: em size (character height); > 0: cell height (ascent + descent); 0: 16 px cell
  std::int32_t Width = 0;           // average character width; 0: the face's natural proportions
  std::int32_t Escapement = 0;      // tenths of a degree, counter-clockwise as seen on the device
  std::int32_t Weight = 400;        // 1..1000; 0 counts as 400; >= 600 is drawn bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  std::uint8_t Charset = DEFAULT_CHARSET;
  FontPitch Pitch = FontPitch::Default;
  bool operator==(const FontSpec&) const = default;
};

// Pitch-and-family bits of TextMetrics, with the classic platform's meaning:
// kTmpfFixedPitch is SET for a variable-pitch font (clear for a fixed one).
inline constexpr std::uint8_t kTmpfFixedPitch = 0x01;
inline constexpr std::uint8_t kTmpfVector = 0x02;
inline constexpr std::uint8_t kTmpfTrueType = 0x04;
inline constexpr std::uint8_t kFamilyRoman = 0x10;   // serif faces
inline constexpr std::uint8_t kFamilySwiss = 0x20;   // sans-serif faces
inline constexpr std::uint8_t kFamilyModern = 0x30;  // fixed-pitch faces

// Text metrics in device pixels, like the platform's TEXTMETRIC record.
// Height = Ascent + Descent; InternalLeading = Height - em size (>= 0).
struct TextMetrics {
  std::int32_t Height = 0;
  std::int32_t Ascent = 0;
  std::int32_t Descent = 0;
  std::int32_t InternalLeading = 0;
  std::int32_t ExternalLeading = 0;   // extra gap the face recommends between lines
  std::int32_t AveCharWidth = 0;      // the face's average width (OS/2 table), else the width of 'x'
  std::int32_t MaxCharWidth = 0;
  std::int32_t Weight = 400;
  std::int32_t Overhang = 0;          // extra width per character of synthesised bold
  char16_t FirstChar = 0;
  char16_t LastChar = 0;
  char16_t DefaultChar = 0;
  char16_t BreakChar = 32;
  bool Italic = false;
  bool Underlined = false;
  bool StruckOut = false;
  std::uint8_t PitchAndFamily = 0;
  std::uint8_t CharSet = ANSI_CHARSET;  // DEFAULT_CHARSET requests report ANSI_CHARSET
};

// Horizontal and vertical meaning of the reference point given to Render,
// taken along the text's own (turned) axes.
enum class TextHAlign : std::uint8_t { Left, Center, Right };
enum class TextVAlign : std::uint8_t { Top, Baseline, Bottom };
struct TextAlign {
  TextHAlign Horz = TextHAlign::Left;
  TextVAlign Vert = TextVAlign::Top;
};

// A rendered string. Coverage is 8-bit alpha (0 = none, 255 = full), Width x
// Height bytes, rows top-down; its pixel (0, 0) is the device pixel (Left, Top).
// The mask never extends beyond the clip rectangle passed to Render and is empty
// (Width = Height = 0) when no ink is visible.
struct TextMask {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Coverage;
  // Baseline origin of the first character relative to the reference point (device pixels, y down).
  TPoint BaselineOrigin;
  // Movement of the pen over the whole string (device pixels, y down), for updating the current position.
  TPoint Advance;
  // The string's cell (advance x ascent+descent), turned, relative to the reference point:
  // top-left, top-right, bottom-right, bottom-left in the text's own direction. Fill it for opaque backgrounds.
  std::array<TPoint, 4> Cell{};
  std::uint8_t At(std::int32_t x, std::int32_t y) const { return Coverage[std::size_t(y) * std::size_t(Width) + std::size_t(x)]; }
};

// How DrawText-style layout treats tab characters.
enum class TabExpansion : std::uint8_t { None, EveryEightAverageChars };
// What layout does with one word wider than the width.
enum class LongWords : std::uint8_t {
  KeepWhole,         // the word stays unbroken on its own line, which is wider than asked (DrawText's default)
  BreakAtCharacter   // the word is cut after the last character that fits, at least one per line (edit-control style)
};

// One laid-out line: code units [Start, Start + Length) of the text, without the
// blanks at a soft break and without the line-break characters; Width in pixels.
struct TextLine {
  std::size_t Start = 0;
  std::size_t Length = 0;
  std::int32_t Width = 0;
  bool operator==(const TextLine&) const = default;
};

class FontEngineFace;  // the shared font file behind instances (defined in font_engine.cpp)

// A logical font realised at one device size. Obtain with AcquireFont; holding
// the shared pointer keeps the instance usable after the cache dropped it.
class FontInstance {
public:
  ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  // The spec this instance was made from.
  const FontSpec& Spec() const;
  // The face that draws it.
  const ResolvedFace& Face() const;
  // Metrics in device pixels.
  const TextMetrics& Metrics() const;
  // The em size in pixels the glyphs are scaled to (Height - InternalLeading).
  std::int32_t EmPixels() const;

  // Width of a string in pixels: the sum of its characters' rounded advances
  // (surrogate pairs count once; characters the face lacks use its missing-glyph advance).
  std::int32_t TextWidth(std::u16string_view text) const;
  // Width and height (Metrics().Height) of a string.
  TSize TextExtent(std::u16string_view text) const;
  // One advance per UTF-16 code unit; the second unit of a surrogate pair gets 0.
  std::vector<std::int32_t> CharAdvances(std::u16string_view text) const;
  // Number of leading code units whose total advance does not exceed maxWidth
  // (a surrogate pair is never split). 0 when maxWidth < the first advance.
  std::size_t FitCount(std::u16string_view text, std::int32_t maxWidth) const;

  // Renders a string at device reference point `ref`, interpreted by `align`
  // along the escapement's axes, into a mask clipped to `clip` (device pixels,
  // right/bottom exclusive). `advances` (optional, one per code unit as
  // CharAdvances gives) replaces the natural advances, as ExtTextOut's
  // distance array does. Underline and strike-out are part of the ink.
  // Throws Exception when the visible mask would exceed 2^28 pixels.
  TextMask Render(std::u16string_view text, TPoint ref, TextAlign align, const TRect& clip,
                  std::span<const std::int32_t> advances = {}) const;

  // Advances for drawing one laid-out line: CharAdvances, except that with tab
  // expansion a tab advances to the next stop (every 8 AveCharWidth from the
  // line start). Draw such a line with tabs replaced by blanks and these advances.
  std::vector<std::int32_t> LineAdvances(std::u16string_view line, TabExpansion tabs) const;

  // DrawText-style word-break layout into `maxWidth` pixels: breaks at explicit
  // CR LF, LF or CR, and at blanks (space, tab) where the next word would pass
  // maxWidth; the blanks at a soft break belong to no line, and trailing blanks do
  // not count in a line's width. An empty text gives no lines; an empty text line
  // (e.g. between two line breaks) gives a line of width 0. maxWidth <= 0 puts
  // every word on its own line.
  std::vector<TextLine> WordBreak(std::u16string_view text, std::int32_t maxWidth, TabExpansion tabs,
                                  LongWords longWords = LongWords::KeepWhole) const;

private:
  friend class FontInstanceFactory;
  struct Impl;
  explicit FontInstance(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> FImpl;
};

// The instance for a spec, from a cache of recently used instances keyed by the
// whole spec. Never null; a face that cannot be loaded throws Exception.
std::shared_ptr<const FontInstance> AcquireFont(const FontSpec& spec);

// Drops every cached instance and face (held instances stay valid); the
// FreeType library is freed when the last instance goes. Also done at exit.
void ReleaseFontEngineCache();

}  // namespace vx::plat::gdi
