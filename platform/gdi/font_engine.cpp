// FreeType realisation of logical fonts: sizes, metrics, advances and glyph
// coverage. Glyph outlines are hinted lightly (vertical only, so advances stay
// the scaled design advances), emboldened and sheared when the face lacks the
// weight or slant, turned by the escapement and cached per instance.
#include "platform/gdi/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <limits>
#include <list>
#include <map>
#include <numbers>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "platform/core/exceptions.h"

namespace vx::plat::gdi {
namespace {

using TagType = std::remove_pointer_t<decltype(FT_Outline::tags)>;
using ContourType = std::remove_pointer_t<decltype(FT_Outline::contours)>;

// A visible mask larger than this is refused rather than allocated.
constexpr std::int64_t kMaxMaskPixels = std::int64_t(1) << 28;
// Glyph images up to this size are kept rendered (for text whose glyph origins
// fall on whole pixels), up to a budget of bytes per instance.
constexpr std::int32_t kMaxCachedGlyphSide = 128;
constexpr std::size_t kMaxCachedImageBytes = std::size_t(1) << 20;
// Glyph entries kept per instance before the cache starts over.
constexpr std::size_t kMaxGlyphEntries = 4096;
// Font instances kept by AcquireFont besides those callers hold.
constexpr std::size_t kMaxCachedInstances = 64;
// Shear of synthesised italics (about 12 degrees), 16.16.
constexpr FT_Fixed kItalicShear = 0x0366A;

// Rounds to the nearest integer, halves away from zero, clamped to Int32.
std::int32_t RoundToInt32(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
  return std::int32_t(std::clamp(r, double(std::numeric_limits<std::int32_t>::min()),
                                 double(std::numeric_limits<std::int32_t>::max())));
}

std::int32_t ClampToInt32(std::int64_t v) {
  return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

struct FtLibrary {
  FT_Library Handle = nullptr;
  FtLibrary() {
    if (FT_Init_FreeType(&Handle) != 0) throw Exception("The font engine could not start (FreeType initialisation failed)");
  }
  ~FtLibrary() { FT_Done_FreeType(Handle); }
  FtLibrary(const FtLibrary&) = delete;
  FtLibrary& operator=(const FtLibrary&) = delete;
};
using LibraryPtr = std::shared_ptr<FtLibrary>;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code point starting at text[i] and how many code units it takes (a lone
// surrogate is one unit and draws as the missing glyph).
std::pair<char32_t, std::size_t> CodePointAt(std::u16string_view text, std::size_t i) {
  const char16_t c = text[i];
  if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
    return {0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00), 2};
  return {char32_t(c), 1};
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

struct PointD {
  double x;
  double y;
};

// Sutherland-Hodgman clipping of a convex polygon to an axis-aligned box.
std::vector<PointD> ClipPolygon(std::vector<PointD> poly, double x0, double y0, double x1, double y1) {
  auto clipEdge = [&](auto inside, auto intersect) {
    std::vector<PointD> out;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      const PointD a = poly[i];
      const PointD b = poly[(i + 1) % poly.size()];
      const bool ina = inside(a);
      const bool inb = inside(b);
      if (ina) out.push_back(a);
      if (ina != inb) out.push_back(intersect(a, b));
    }
    poly = std::move(out);
  };
  auto atX = [](PointD a, PointD b, double x) {
    const double t = (x - a.x) / (b.x - a.x);
    return PointD{x, a.y + t * (b.y - a.y)};
  };
  auto atY = [](PointD a, PointD b, double y) {
    const double t = (y - a.y) / (b.y - a.y);
    return PointD{a.x + t * (b.x - a.x), y};
  };
  clipEdge([&](PointD p) { return p.x >= x0; }, [&](PointD a, PointD b) { return atX(a, b, x0); });
  clipEdge([&](PointD p) { return p.x <= x1; }, [&](PointD a, PointD b) { return atX(a, b, x1); });
  clipEdge([&](PointD p) { return p.y >= y0; }, [&](PointD a, PointD b) { return atY(a, b, y0); });
  clipEdge([&](PointD p) { return p.y <= y1; }, [&](PointD a, PointD b) { return atY(a, b, y1); });
  return poly;
}

// Device pixel box, right/bottom exclusive, in 64 bits (text may lie far outside the surface).
struct PixelBox {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
  PixelBox Intersect(const PixelBox& o) const {
    return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
  }
  PixelBox Union(const PixelBox& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
  }
};

PixelBox BoxAround(double minX, double minY, double maxX, double maxY) {
  static constexpr double kLimit = 4.0e15;  // keeps the conversion to 64 bits defined
  auto clampD = [](double v) { return std::clamp(v, -kLimit, kLimit); };
  return {std::int64_t(std::floor(clampD(minX))), std::int64_t(std::floor(clampD(minY))),
          std::int64_t(std::ceil(clampD(maxX))), std::int64_t(std::ceil(clampD(maxY)))};
}

// Adds one rendered coverage image into the mask, saturating, clipped to the mask.
void AddCoverage(TextMask& mask, std::int64_t left, std::int64_t top, std::int32_t width, std::int32_t height,
                 const std::uint8_t* coverage) {
  const PixelBox maskBox{mask.Left, mask.Top, std::int64_t(mask.Left) + mask.Width, std::int64_t(mask.Top) + mask.Height};
  const PixelBox part = PixelBox{left, top, left + width, top + height}.Intersect(maskBox);
  if (part.Empty()) return;
  for (std::int64_t y = part.y0; y < part.y1; ++y) {
    const std::uint8_t* src = coverage + (y - top) * width + (part.x0 - left);
    std::uint8_t* dst = mask.Coverage.data() + (y - mask.Top) * std::int64_t(mask.Width) + (part.x0 - mask.Left);
    for (std::int64_t x = part.x0; x < part.x1; ++x, ++src, ++dst) *dst = std::uint8_t(std::min(255, *dst + *src));
  }
}

}  // namespace

// One font file opened by FreeType, shared by every instance drawn from it,
// with the design values the instances scale.
class FontEngineFace {
public:
  FontEngineFace(LibraryPtr library, const std::string& path, std::int32_t index) : Library(std::move(library)) {
    if (FT_New_Face(Library->Handle, path.c_str(), index, &Face) != 0 || !Face)
      throw Exception("Cannot load the font file \"" + path + "\"");
    if (!FT_IS_SCALABLE(Face)) {
      FT_Done_Face(Face);
      throw Exception("The font file \"" + path + "\" holds no scalable outlines");
    }
    FT_Select_Charmap(Face, FT_ENCODING_UNICODE);
    ReadDesignValues();
  }
  ~FontEngineFace() { FT_Done_Face(Face); }
  FontEngineFace(const FontEngineFace&) = delete;
  FontEngineFace& operator=(const FontEngineFace&) = delete;

  LibraryPtr Library;
  FT_Face Face = nullptr;
  // Design values in font units; the cell is WinAscent + WinDescent.
  double UnitsPerEm = 1000;
  double WinAscent = 0;
  double WinDescent = 0;
  double ExternalGap = 0;
  double AvgCharWidth = 0;  // 0 when the face has no OS/2 table
  double MaxAdvance = 0;
  double UnderlinePosition = 0;  // centre of the stroke, y up
  double UnderlineThickness = 0;
  double StrikeoutPosition = 0;  // top of the stroke, y up
  double StrikeoutThickness = 0;
  char16_t FirstChar = 0;
  char16_t LastChar = 0;
  char16_t DefaultChar = 0;
  char16_t BreakChar = 32;
  bool FixedPitch = false;
  bool TrueType = false;

private:
  void ReadDesignValues() {
    UnitsPerEm = Face->units_per_EM > 0 ? Face->units_per_EM : 1000;
    const double hheaAscent = Face->ascender;
    const double hheaDescent = -double(Face->descender);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
    const bool hasOs2 = os2 && os2->version != 0xFFFF;
    TrueType = FT_IS_SFNT(Face);
    FixedPitch = FT_IS_FIXED_WIDTH(Face);
    // The cell the classic platform uses is the OS/2 Windows ascent and descent.
    if (hasOs2 && os2->usWinAscent + os2->usWinDescent > 0) {
      WinAscent = os2->usWinAscent;
      WinDescent = os2->usWinDescent;
    } else if (hheaAscent + hheaDescent > 0) {
      WinAscent = hheaAscent;
      WinDescent = hheaDescent;
    } else {
      WinAscent = Face->bbox.yMax;
      WinDescent = -double(Face->bbox.yMin);
    }
    if (WinAscent + WinDescent <= 0) {
      WinAscent = UnitsPerEm * 0.8;
      WinDescent = UnitsPerEm * 0.2;
    }
    const double lineGap = double(Face->height) - (hheaAscent + hheaDescent);
    ExternalGap = std::max(0.0, lineGap - ((WinAscent + WinDescent) - (hheaAscent + hheaDescent)));
    MaxAdvance = Face->max_advance_width;
    UnderlinePosition = Face->underline_position;
    UnderlineThickness = Face->underline_thickness > 0 ? Face->underline_thickness : UnitsPerEm / 14;
    StrikeoutPosition = UnitsPerEm * 0.3;
    StrikeoutThickness = UnderlineThickness;
    if (hasOs2) {
      AvgCharWidth = os2->xAvgCharWidth;
      if (os2->yStrikeoutSize > 0) {
        StrikeoutPosition = os2->yStrikeoutPosition;
        StrikeoutThickness = os2->yStrikeoutSize;
      }
      FirstChar = char16_t(os2->usFirstCharIndex);
      LastChar = char16_t(os2->usLastCharIndex);
      if (os2->version >= 2) {
        DefaultChar = char16_t(os2->usDefaultChar);
        BreakChar = char16_t(os2->usBreakChar);
      }
    } else {
      FT_UInt glyph = 0;
      FirstChar = char16_t(std::min<FT_ULong>(FT_Get_First_Char(Face, &glyph), 0xFFFF));
      LastChar = FirstChar;
      for (FT_ULong code = FirstChar; glyph != 0 && code <= 0xFFFF; code = FT_Get_Next_Char(Face, code, &glyph))
        LastChar = char16_t(code);
    }
  }
};

namespace {

// A glyph as this instance draws it: its advance and, once needed, its final
// outline (hinted, synthesised, turned) and, for axis-aligned text, its image.
struct GlyphEntry {
  std::int32_t Advance = 0;
  bool OutlineReady = false;
  std::vector<FT_Vector> Points;
  std::vector<TagType> Tags;
  std::vector<ContourType> Contours;
  int Flags = 0;
  FT_BBox Box{};  // control box of the turned outline, 26.6, y up, relative to the glyph origin
  bool ImageReady = false;
  std::int32_t ImageLeft = 0;  // device offsets of the image from an integral glyph origin
  std::int32_t ImageTop = 0;
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::vector<std::uint8_t> Image;
};

// Renders an outline whose points are already in the coordinates of a
// width x height bitmap (26.6, y up, origin at the bitmap's bottom left).
void Rasterise(FT_Library library, std::vector<FT_Vector>& points, std::vector<TagType>& tags,
               std::vector<ContourType>& contours, int flags, std::int32_t width, std::int32_t height,
               std::vector<std::uint8_t>& out) {
  out.assign(std::size_t(width) * std::size_t(height), 0);
  if (points.empty() || contours.empty() || width <= 0 || height <= 0) return;
  FT_Outline outline{};
  outline.n_contours = static_cast<decltype(outline.n_contours)>(contours.size());
  outline.n_points = static_cast<decltype(outline.n_points)>(points.size());
  outline.points = points.data();
  outline.tags = tags.data();
  outline.contours = contours.data();
  outline.flags = flags;
  FT_Bitmap bitmap{};
  bitmap.rows = unsigned(height);
  bitmap.width = unsigned(width);
  bitmap.pitch = width;
  bitmap.buffer = out.data();
  bitmap.num_grays = 256;
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  FT_Outline_Get_Bitmap(library, &outline, &bitmap);
}

// Copies a glyph's outline shifted so that the device point (originX, originY)
// of the glyph origin lands where a bitmap covering `region` expects it.
void PlaceOutline(const GlyphEntry& glyph, double originX, double originY, const PixelBox& region,
                  std::vector<FT_Vector>& points) {
  const FT_Pos dx = FT_Pos(std::llround((originX - double(region.x0)) * 64.0));
  const FT_Pos dy = FT_Pos(std::llround((double(region.y1) - originY) * 64.0));
  points.resize(glyph.Points.size());
  for (std::size_t i = 0; i < points.size(); ++i) points[i] = {glyph.Points[i].x + dx, glyph.Points[i].y + dy};
}

std::int32_t NormalisedWeight(std::int32_t weight) { return weight <= 0 ? 400 : std::min(weight, 1000); }

}  // namespace

struct FontInstance::Impl {
  FontSpec Spec;
  ResolvedFace Resolved;
  std::shared_ptr<FontEngineFace> File;
  FT_Size Size = nullptr;
  TextMetrics Metrics;
  std::int32_t Em = 1;       // em height in pixels
  std::int32_t EmX = 1;      // em width in pixels (differs when a width was asked)
  std::int32_t BoldPixels = 0;
  std::int32_t UnderlineTop = 0;  // y down from the baseline
  std::int32_t UnderlineThickness = 1;
  std::int32_t StrikeoutTop = 0;
  std::int32_t StrikeoutThickness = 1;
  double Cos = 1;
  double Sin = 0;
  FT_Matrix Rotation{0x10000, 0, 0, 0x10000};
  mutable std::unordered_map<FT_UInt, GlyphEntry> Glyphs;
  mutable std::size_t CachedImageBytes = 0;
  mutable std::vector<FT_Vector> ScratchPoints;
  mutable std::vector<std::uint8_t> ScratchImage;

  Impl(const FontSpec& spec, const ResolvedFace& resolved, std::shared_ptr<FontEngineFace> file)
      : Spec(spec), Resolved(resolved), File(std::move(file)) {
    ChooseSizes();
    if (FT_New_Size(File->Face, &Size) != 0) throw Exception("The font engine could not create a font size");
    Activate();
    if (FT_Set_Char_Size(File->Face, FT_F26Dot6(EmX) * 64, FT_F26Dot6(Em) * 64, 72, 72) != 0) {
      FT_Done_Size(Size);
      throw Exception("The font \"" + StringToUtf8(Resolved.Family) + "\" cannot be scaled to " +
                      std::to_string(Em) + " pixels");
    }
    ChooseAngle();
    FillMetrics();
  }
  ~Impl() {
    if (Size) FT_Done_Size(Size);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void Activate() const { FT_Activate_Size(Size); }

  double ScaleY(double units) const { return units * Em / File->UnitsPerEm; }
  double ScaleX(double units) const { return units * EmX / File->UnitsPerEm; }

  // Em size from the height convention: negative = em size, positive = cell
  // (ascent + descent), 0 = a cell of kDefaultFontCellHeight pixels.
  void ChooseSizes() {
    const FontEngineFace& f = *File;
    const double cellUnits = f.WinAscent + f.WinDescent;
    std::int64_t height = Spec.Height == 0 ? kDefaultFontCellHeight : Spec.Height;
    std::int32_t ascent = 0;
    std::int32_t descent = 0;
    if (height > 0) {
      const double em = double(height) * f.UnitsPerEm / cellUnits;
      if (em <= kMaxFontEmPixels) {
        // The em never exceeds the cell, so the internal leading is never negative.
        Em = std::clamp(RoundToInt32(em), 1, std::int32_t(height));
        ascent = RoundToInt32(double(height) * f.WinAscent / cellUnits);
        descent = std::int32_t(height) - ascent;
      } else {
        height = -std::int64_t(kMaxFontEmPixels);  // clamped: sized by the em rule below
      }
    }
    if (height < 0) {
      Em = std::int32_t(std::clamp<std::int64_t>(-height, 1, kMaxFontEmPixels));
      ascent = RoundToInt32(f.WinAscent * Em / f.UnitsPerEm);
      descent = RoundToInt32(f.WinDescent * Em / f.UnitsPerEm);
      if (ascent + descent < Em) descent = Em - ascent;
    }
    Metrics.Ascent = ascent;
    Metrics.Descent = descent;
    Metrics.Height = ascent + descent;
    Metrics.InternalLeading = Metrics.Height - Em;
    EmX = Em;
    if (Spec.Width > 0 && f.AvgCharWidth > 0)
      EmX = std::clamp(RoundToInt32(double(Spec.Width) * f.UnitsPerEm / f.AvgCharWidth), 1, kMaxFontEmPixels);
    else if (Spec.Width > 0)
      EmX = std::clamp(RoundToInt32(double(Spec.Width) * 2.0), 1, kMaxFontEmPixels);  // average width ~ half an em
    if (Resolved.SynthesizeBold) BoldPixels = std::max(1, RoundToInt32(Em / 24.0));
  }

  // Escapement is counter-clockwise as seen on the device; quarter turns are exact.
  void ChooseAngle() {
    const std::int32_t tenths = ((Spec.Escapement % 3600) + 3600) % 3600;
    switch (tenths) {
      case 0: Cos = 1; Sin = 0; break;
      case 900: Cos = 0; Sin = 1; break;
      case 1800: Cos = -1; Sin = 0; break;
      case 2700: Cos = 0; Sin = -1; break;
      default: {
        const double a = tenths * std::numbers::pi / 1800.0;
        Cos = std::cos(a);
        Sin = std::sin(a);
      }
    }
    // FreeType's y axis points up, so its counter-clockwise turn is the screen's too.
    Rotation.xx = FT_Fixed(std::lround(Cos * 65536.0));
    Rotation.xy = FT_Fixed(std::lround(-Sin * 65536.0));
    Rotation.yx = FT_Fixed(std::lround(Sin * 65536.0));
    Rotation.yy = FT_Fixed(std::lround(Cos * 65536.0));
  }

  void FillMetrics() {
    const FontEngineFace& f = *File;
    Metrics.ExternalLeading = RoundToInt32(ScaleY(f.ExternalGap));
    if (f.AvgCharWidth > 0) {
      Metrics.AveCharWidth = RoundToInt32(ScaleX(f.AvgCharWidth));
    } else {
      Metrics.AveCharWidth = Glyph(FT_Get_Char_Index(f.Face, 'x')).Advance;
    }
    Metrics.MaxCharWidth = RoundToInt32(ScaleX(f.MaxAdvance)) + BoldPixels;
    Metrics.Weight = NormalisedWeight(Spec.Weight);
    Metrics.Overhang = BoldPixels;
    Metrics.FirstChar = f.FirstChar;
    Metrics.LastChar = f.LastChar;
    Metrics.DefaultChar = f.DefaultChar;
    Metrics.BreakChar = f.BreakChar;
    Metrics.Italic = Spec.Italic;
    Metrics.Underlined = Spec.Underline;
    Metrics.StruckOut = Spec.StrikeOut;
    Metrics.CharSet = Spec.Charset == DEFAULT_CHARSET ? ANSI_CHARSET : Spec.Charset;
    std::uint8_t bits = kTmpfVector;
    if (!f.FixedPitch) bits |= kTmpfFixedPitch;  // set means VARIABLE pitch, as the platform defines it
    if (f.TrueType) bits |= kTmpfTrueType;
    const std::u16string_view family = Resolved.Family;
    if (f.FixedPitch)
      bits |= kFamilyModern;
    else if (family.find(u"Serif") != std::u16string_view::npos && family.find(u"Sans") == std::u16string_view::npos)
      bits |= kFamilyRoman;
    else
      bits |= kFamilySwiss;
    Metrics.PitchAndFamily = bits;

    UnderlineThickness = std::max(1, RoundToInt32(ScaleY(f.UnderlineThickness)));
    UnderlineTop = RoundToInt32(-ScaleY(f.UnderlinePosition) - UnderlineThickness / 2.0);
    if (UnderlineTop + UnderlineThickness > Metrics.Descent) UnderlineTop = Metrics.Descent - UnderlineThickness;
    UnderlineTop = std::max(UnderlineTop, 0);  // always below the baseline
    StrikeoutThickness = std::max(1, RoundToInt32(ScaleY(f.StrikeoutThickness)));
    StrikeoutTop = RoundToInt32(-ScaleY(f.StrikeoutPosition));
  }

  void TrimGlyphCache() const {
    if (Glyphs.size() <= kMaxGlyphEntries && CachedImageBytes <= kMaxCachedImageBytes) return;
    Glyphs.clear();
    CachedImageBytes = 0;
  }

  FT_UInt GlyphIndex(char32_t code) const { return FT_Get_Char_Index(File->Face, FT_ULong(code)); }

  // The entry of a glyph with its advance: the scaled design advance rounded to
  // whole pixels, plus the width synthesised bold adds.
  GlyphEntry& Glyph(FT_UInt index) const {
    auto [it, inserted] = Glyphs.try_emplace(index);
    if (inserted) {
      Activate();
      FT_Fixed advance = 0;
      if (FT_Get_Advance(File->Face, index, FT_LOAD_NO_HINTING, &advance) != 0) advance = 0;
      it->second.Advance = RoundToInt32(double(advance) / 65536.0) + BoldPixels;
    }
    return it->second;
  }

  void EnsureOutline(GlyphEntry& glyph, FT_UInt index) const {
    if (glyph.OutlineReady) return;
    glyph.OutlineReady = true;
    Activate();
    FT_Face face = File->Face;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0 &&
        FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
      return;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return;
    FT_Outline& outline = face->glyph->outline;
    if (BoldPixels > 0) {
      // Grow horizontally only (FreeType keeps the left edge), so heights and baselines stay.
      FT_Outline_EmboldenXY(&outline, BoldPixels * 64, 0);
    }
    if (Resolved.SynthesizeItalic) {
      FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
      FT_Outline_Transform(&outline, &shear);
    }
    if (!(Cos == 1 && Sin == 0)) FT_Outline_Transform(&outline, &Rotation);
    glyph.Points.assign(outline.points, outline.points + outline.n_points);
    glyph.Tags.assign(outline.tags, outline.tags + outline.n_points);
    glyph.Contours.assign(outline.contours, outline.contours + outline.n_contours);
    glyph.Flags = outline.flags;
    FT_Outline_Get_CBox(&outline, &glyph.Box);
  }

  // The glyph's pixel box when its origin is the device point (ox, oy).
  static PixelBox GlyphPixels(const GlyphEntry& glyph, double ox, double oy) {
    if (glyph.Points.empty()) return {};
    return BoxAround(ox + glyph.Box.xMin / 64.0, oy - glyph.Box.yMax / 64.0, ox + glyph.Box.xMax / 64.0,
                     oy - glyph.Box.yMin / 64.0);
  }

  // Renders a glyph whose origin lies on a whole pixel once, and keeps the image.
  bool EnsureImage(GlyphEntry& glyph) const {
    if (glyph.ImageReady) return true;
    const PixelBox box = GlyphPixels(glyph, 0, 0);
    if (box.x1 - box.x0 > kMaxCachedGlyphSide || box.y1 - box.y0 > kMaxCachedGlyphSide ||
        CachedImageBytes > kMaxCachedImageBytes)
      return false;
    glyph.ImageReady = true;
    glyph.ImageLeft = std::int32_t(box.x0);
    glyph.ImageTop = std::int32_t(box.y0);
    glyph.ImageWidth = std::int32_t(std::max<std::int64_t>(0, box.x1 - box.x0));
    glyph.ImageHeight = std::int32_t(std::max<std::int64_t>(0, box.y1 - box.y0));
    if (box.Empty()) return true;
    PlaceOutline(glyph, 0, 0, box, ScratchPoints);
    Rasterise(File->Library->Handle, ScratchPoints, glyph.Tags, glyph.Contours, glyph.Flags, glyph.ImageWidth,
              glyph.ImageHeight, glyph.Image);
    CachedImageBytes += glyph.Image.size();
    return true;
  }

  void DrawGlyph(TextMask& mask, GlyphEntry& glyph, double ox, double oy) const {
    const PixelBox maskBox{mask.Left, mask.Top, std::int64_t(mask.Left) + mask.Width, std::int64_t(mask.Top) + mask.Height};
    const PixelBox region = GlyphPixels(glyph, ox, oy).Intersect(maskBox);
    if (region.Empty()) return;
    const bool wholePixel = ox == std::floor(ox) && oy == std::floor(oy);
    if (wholePixel && EnsureImage(glyph)) {
      if (!glyph.Image.empty())
        AddCoverage(mask, std::int64_t(ox) + glyph.ImageLeft, std::int64_t(oy) + glyph.ImageTop, glyph.ImageWidth,
                    glyph.ImageHeight, glyph.Image.data());
      return;
    }
    PlaceOutline(glyph, ox, oy, region, ScratchPoints);
    const auto width = std::int32_t(region.x1 - region.x0);
    const auto height = std::int32_t(region.y1 - region.y0);
    Rasterise(File->Library->Handle, ScratchPoints, glyph.Tags, glyph.Contours, glyph.Flags, width, height,
              ScratchImage);
    AddCoverage(mask, region.x0, region.y0, width, height, ScratchImage.data());
  }

  // A filled band along the baseline (underline, strike-out): rows [top, top +
  // thickness) below the baseline, from the origin over `length` pixels, turned.
  std::vector<PointD> Band(double bx, double by, double length, std::int32_t top, std::int32_t thickness) const {
    auto at = [&](double x, double y) { return PointD{bx + x * Cos + y * Sin, by - x * Sin + y * Cos}; };
    return {at(0, top), at(length, top), at(length, top + thickness), at(0, top + thickness)};
  }

  static PixelBox PolygonPixels(const std::vector<PointD>& poly) {
    if (poly.size() < 3) return {};
    double x0 = poly[0].x, y0 = poly[0].y, x1 = x0, y1 = y0;
    for (const PointD& p : poly) {
      x0 = std::min(x0, p.x);
      y0 = std::min(y0, p.y);
      x1 = std::max(x1, p.x);
      y1 = std::max(y1, p.y);
    }
    return BoxAround(x0, y0, x1, y1);
  }

  void DrawPolygon(TextMask& mask, const std::vector<PointD>& poly) const {
    const PixelBox maskBox{mask.Left, mask.Top, std::int64_t(mask.Left) + mask.Width, std::int64_t(mask.Top) + mask.Height};
    const PixelBox region = PolygonPixels(poly).Intersect(maskBox);
    if (region.Empty()) return;
    std::vector<FT_Vector> points;
    for (const PointD& p : poly)
      points.push_back({FT_Pos(std::llround((p.x - double(region.x0)) * 64.0)),
                        FT_Pos(std::llround((double(region.y1) - p.y) * 64.0))});
    std::vector<TagType> tags(points.size(), TagType(FT_CURVE_TAG_ON));
    std::vector<ContourType> contours{ContourType(points.size() - 1)};
    const auto width = std::int32_t(region.x1 - region.x0);
    const auto height = std::int32_t(region.y1 - region.y0);
    Rasterise(File->Library->Handle, points, tags, contours, FT_OUTLINE_NONE, width, height, ScratchImage);
    AddCoverage(mask, region.x0, region.y0, width, height, ScratchImage.data());
  }
};

// Builds instances (the constructor is private to keep them behind the cache).
class FontInstanceFactory {
public:
  static std::shared_ptr<FontInstance> Make(std::unique_ptr<FontInstance::Impl> impl) {
    return std::shared_ptr<FontInstance>(new FontInstance(std::move(impl)));
  }
  static std::unique_ptr<FontInstance::Impl> MakeImpl(const FontSpec& spec, const ResolvedFace& face,
                                                      std::shared_ptr<FontEngineFace> file) {
    return std::make_unique<FontInstance::Impl>(spec, face, std::move(file));
  }
};

namespace {

struct SpecHash {
  std::size_t operator()(const FontSpec& s) const {
    std::size_t h = std::hash<std::u16string>()(s.FaceName);
    auto mix = [&h](std::int64_t v) { h ^= std::hash<std::int64_t>()(v) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    mix(s.Height);
    mix(s.Width);
    mix(s.Escapement);
    mix(s.Weight);
    mix((int(s.Italic) << 0) | (int(s.Underline) << 1) | (int(s.StrikeOut) << 2));
    mix((int(s.Charset) << 8) | int(s.Pitch));
    return h;
  }
};

struct EngineState {
  LibraryPtr Library;
  std::map<std::pair<std::string, std::int32_t>, std::shared_ptr<FontEngineFace>> Faces;
  std::list<std::shared_ptr<FontInstance>> Recent;  // most recently used first
  std::unordered_map<FontSpec, std::list<std::shared_ptr<FontInstance>>::iterator, SpecHash> Index;

  void Clear() {
    Index.clear();
    Recent.clear();
    Faces.clear();
    Library.reset();
  }
  ~EngineState() { Clear(); }
};

EngineState& Engine() {
  static EngineState state;
  return state;
}

std::shared_ptr<FontEngineFace> OpenFace(EngineState& engine, const ResolvedFace& face) {
  const auto key = std::make_pair(face.FilePath, face.FaceIndex);
  auto it = engine.Faces.find(key);
  if (it != engine.Faces.end()) return it->second;
  if (!engine.Library) engine.Library = std::make_shared<FtLibrary>();
  auto file = std::make_shared<FontEngineFace>(engine.Library, face.FilePath, face.FaceIndex);
  engine.Faces.emplace(key, file);
  return file;
}

}  // namespace

std::shared_ptr<const FontInstance> AcquireFont(const FontSpec& spec) {
  EngineState& engine = Engine();
  auto found = engine.Index.find(spec);
  if (found != engine.Index.end()) {
    engine.Recent.splice(engine.Recent.begin(), engine.Recent, found->second);
    return *found->second;
  }
  FaceRequest request;
  request.Name = spec.FaceName;
  request.Weight = spec.Weight;
  request.Slant = spec.Italic ? FontSlant::Italic : FontSlant::Upright;
  request.Pitch = spec.Pitch;
  request.Charset = spec.Charset;
  const ResolvedFace& face = ResolveFace(request);
  auto instance = FontInstanceFactory::Make(FontInstanceFactory::MakeImpl(spec, face, OpenFace(engine, face)));
  engine.Recent.push_front(instance);
  engine.Index.emplace(spec, engine.Recent.begin());
  if (engine.Recent.size() > kMaxCachedInstances) {
    engine.Index.erase(engine.Recent.back()->Spec());
    engine.Recent.pop_back();
  }
  return instance;
}

void ReleaseFontEngineCache() { Engine().Clear(); }

FontInstance::FontInstance(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)) {}
FontInstance::~FontInstance() = default;

const FontSpec& FontInstance::Spec() const { return FImpl->Spec; }
const ResolvedFace& FontInstance::Face() const { return FImpl->Resolved; }
const TextMetrics& FontInstance::Metrics() const { return FImpl->Metrics; }
std::int32_t FontInstance::EmPixels() const { return FImpl->Em; }

std::vector<std::int32_t> FontInstance::CharAdvances(std::u16string_view text) const {
  FImpl->TrimGlyphCache();
  std::vector<std::int32_t> advances(text.size(), 0);
  for (std::size_t i = 0; i < text.size();) {
    const auto [code, units] = CodePointAt(text, i);
    advances[i] = FImpl->Glyph(FImpl->GlyphIndex(code)).Advance;
    i += units;
  }
  return advances;
}

std::int32_t FontInstance::TextWidth(std::u16string_view text) const {
  std::int64_t width = 0;
  for (std::int32_t a : CharAdvances(text)) width += a;
  return ClampToInt32(width);
}

TSize FontInstance::TextExtent(std::u16string_view text) const { return {TextWidth(text), FImpl->Metrics.Height}; }

std::size_t FontInstance::FitCount(std::u16string_view text, std::int32_t maxWidth) const {
  const std::vector<std::int32_t> advances = CharAdvances(text);
  std::int64_t width = 0;
  std::size_t fit = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t units = CodePointAt(text, i).second;
    width += advances[i];
    if (width > maxWidth) break;
    i += units;
    fit = i;
  }
  return fit;
}

TextMask FontInstance::Render(std::u16string_view text, TPoint ref, TextAlign align, const TRect& clip,
                              std::span<const std::int32_t> advances) const {
  const Impl& impl = *FImpl;
  impl.TrimGlyphCache();
  std::vector<std::int32_t> steps = CharAdvances(text);
  for (std::size_t i = 0; i < std::min(steps.size(), advances.size()); ++i) steps[i] = advances[i];
  std::int64_t total = 0;
  for (std::int32_t s : steps) total += s;

  // Where the first character's baseline origin lies, in the text's own axes
  // (x along the escapement, y down across it), from the reference point.
  const double alongX = align.Horz == TextHAlign::Left ? 0.0
                        : align.Horz == TextHAlign::Right ? -double(total)
                                                          : -double(total / 2);
  const double acrossY = align.Vert == TextVAlign::Top    ? double(impl.Metrics.Ascent)
                         : align.Vert == TextVAlign::Bottom ? -double(impl.Metrics.Descent)
                                                            : 0.0;
  const double c = impl.Cos;
  const double s = impl.Sin;
  auto turned = [&](double x, double y) { return PointD{x * c + y * s, -x * s + y * c}; };
  auto rounded = [](PointD p) { return TPoint{RoundToInt32(p.x), RoundToInt32(p.y)}; };

  TextMask mask;
  const PointD origin = turned(alongX, acrossY);
  mask.BaselineOrigin = rounded(origin);
  mask.Advance = rounded(turned(double(total), 0));
  const double top = acrossY - impl.Metrics.Ascent;
  const double bottom = acrossY + impl.Metrics.Descent;
  mask.Cell = {rounded(turned(alongX, top)), rounded(turned(alongX + double(total), top)),
               rounded(turned(alongX + double(total), bottom)), rounded(turned(alongX, bottom))};

  // Pass 1: glyph origins and the pixels the ink may touch.
  const double bx = double(ref.x) + origin.x;
  const double by = double(ref.y) + origin.y;
  struct Placed {
    GlyphEntry* Glyph;
    double X;
    double Y;
  };
  std::vector<Placed> placed;
  PixelBox ink;
  const PixelBox clipBox{clip.Left, clip.Top, clip.Right, clip.Bottom};
  const double margin = 2.0 * std::max(impl.Em, impl.EmX) + impl.BoldPixels;
  std::int64_t pen = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto [code, units] = CodePointAt(text, i);
    const FT_UInt index = impl.GlyphIndex(code);
    GlyphEntry& glyph = impl.Glyph(index);
    const double gx = bx + double(pen) * c;
    const double gy = by - double(pen) * s;
    for (std::size_t k = 0; k < units; ++k) pen += steps[i + k];
    i += units;
    // Cheap rejection by the advance cell before loading the outline.
    const PixelBox roughCell = BoxAround(std::min(gx, gx + glyph.Advance * c) - margin,
                                         std::min(gy, gy - glyph.Advance * s) - margin,
                                         std::max(gx, gx + glyph.Advance * c) + margin,
                                         std::max(gy, gy - glyph.Advance * s) + margin);
    if (roughCell.Intersect(clipBox).Empty()) continue;
    impl.EnsureOutline(glyph, index);
    const PixelBox box = Impl::GlyphPixels(glyph, gx, gy).Intersect(clipBox);
    if (box.Empty()) continue;
    ink = ink.Union(box);
    placed.push_back({&glyph, gx, gy});
  }
  std::vector<std::vector<PointD>> bands;
  auto addBand = [&](std::int32_t bandTop, std::int32_t thickness) {
    if (total <= 0) return;
    std::vector<PointD> band = ClipPolygon(impl.Band(bx, by, double(total), bandTop, thickness), double(clip.Left) - 1,
                                           double(clip.Top) - 1, double(clip.Right) + 1, double(clip.Bottom) + 1);
    const PixelBox box = Impl::PolygonPixels(band).Intersect(clipBox);
    if (box.Empty()) return;
    ink = ink.Union(box);
    bands.push_back(std::move(band));
  };
  if (impl.Spec.Underline) addBand(impl.UnderlineTop, impl.UnderlineThickness);
  if (impl.Spec.StrikeOut) addBand(impl.StrikeoutTop, impl.StrikeoutThickness);
  if (ink.Empty()) return mask;

  // Pass 2: render into a mask of exactly the visible ink box.
  const std::int64_t area = (ink.x1 - ink.x0) * (ink.y1 - ink.y0);
  if (area > kMaxMaskPixels) throw Exception("The text is too large to draw");
  mask.Left = std::int32_t(ink.x0);
  mask.Top = std::int32_t(ink.y0);
  mask.Width = std::int32_t(ink.x1 - ink.x0);
  mask.Height = std::int32_t(ink.y1 - ink.y0);
  mask.Coverage.assign(std::size_t(area), 0);
  for (const Placed& p : placed) impl.DrawGlyph(mask, *p.Glyph, p.X, p.Y);
  for (const auto& band : bands) impl.DrawPolygon(mask, band);
  return mask;
}

std::vector<std::int32_t> FontInstance::LineAdvances(std::u16string_view line, TabExpansion tabs) const {
  std::vector<std::int32_t> advances = CharAdvances(line);
  if (tabs == TabExpansion::None) return advances;
  const std::int64_t stop = std::max<std::int64_t>(1, std::int64_t(FImpl->Metrics.AveCharWidth) * 8);
  std::int64_t x = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'\t') advances[i] = std::int32_t((x / stop + 1) * stop - x);
    x += advances[i];
  }
  return advances;
}

namespace {

// Lays out one paragraph (no line breaks inside) into lines.
class ParagraphLayout {
public:
  ParagraphLayout(const FontInstance& font, std::u16string_view text, std::int32_t maxWidth, TabExpansion tabs,
                  LongWords longWords, std::vector<TextLine>& lines)
      : FFont(font), FText(text), FMaxWidth(maxWidth), FTabs(tabs), FLongWords(longWords), FLines(lines) {}

  void Run(std::size_t begin, std::size_t end) {
    std::size_t lineStart = begin;
    for (;;) {
      const std::size_t lineEnd = FillLine(lineStart, end);
      std::size_t next = lineEnd;
      if (next >= end) return;
      if (IsBlank(FText[next])) {
        while (next < end && IsBlank(FText[next])) ++next;  // blanks at a soft break belong to no line
        if (next >= end) return;
      }
      lineStart = next;
    }
  }

private:
  std::int32_t Width(std::size_t from, std::size_t to) const {
    std::int64_t w = 0;
    for (std::int32_t a : FFont.LineAdvances(FText.substr(from, to - from), FTabs)) w += a;
    return ClampToInt32(w);
  }

  void Emit(std::size_t from, std::size_t to) { FLines.push_back({from, to - from, Width(from, to)}); }

  // Emits the line starting at `start` and returns where it ended.
  std::size_t FillLine(std::size_t start, std::size_t end) {
    std::size_t fitEnd = start;
    bool hasWord = false;
    for (std::size_t pos = start;;) {
      std::size_t wordStart = pos;
      while (wordStart < end && IsBlank(FText[wordStart])) ++wordStart;
      if (wordStart >= end) break;
      std::size_t wordEnd = wordStart;
      while (wordEnd < end && !IsBlank(FText[wordEnd])) ++wordEnd;
      if (Width(start, wordEnd) <= FMaxWidth) {
        fitEnd = wordEnd;
        hasWord = true;
        pos = wordEnd;
        continue;
      }
      if (hasWord) break;  // the word starts the next line
      if (FLongWords == LongWords::BreakAtCharacter) return CutLongWord(start, wordStart, wordEnd);
      fitEnd = wordEnd;  // a word wider than the line stays whole
      break;
    }
    Emit(start, fitEnd);
    return fitEnd;
  }

  // Cuts a too-wide first word after the last character that fits (at least one).
  std::size_t CutLongWord(std::size_t start, std::size_t wordStart, std::size_t wordEnd) {
    std::size_t cut = wordStart;
    for (std::size_t i = wordStart; i < wordEnd;) {
      const std::size_t units = CodePointAt(FText, i).second;
      if (Width(start, i + units) > FMaxWidth) break;
      i += units;
      cut = i;
    }
    if (cut == wordStart) cut = wordStart + CodePointAt(FText, wordStart).second;
    Emit(start, cut);
    return cut;
  }

  const FontInstance& FFont;
  std::u16string_view FText;
  std::int32_t FMaxWidth;
  TabExpansion FTabs;
  LongWords FLongWords;
  std::vector<TextLine>& FLines;
};

}  // namespace

std::vector<TextLine> FontInstance::WordBreak(std::u16string_view text, std::int32_t maxWidth, TabExpansion tabs,
                                              LongWords longWords) const {
  std::vector<TextLine> lines;
  ParagraphLayout layout(*this, text, maxWidth, tabs, longWords, lines);
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = begin;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    const std::size_t before = lines.size();
    layout.Run(begin, end);
    if (lines.size() == before) lines.push_back({begin, 0, 0});  // an empty (or all-blank) paragraph is an empty line
    if (end >= text.size()) break;
    // CR LF is one break; a lone CR or LF is one too. A final break adds no empty line.
    begin = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace vx::plat::gdi
