// Face resolution through fontconfig, with the Windows face names a drawing
// may carry mapped to metric-compatible installed families first.
#include "platform/gdi/font_resolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <tuple>

#include "platform/core/exceptions.h"

namespace vx::plat::gdi {
namespace {

constexpr char16_t kDefaultFace[] = u"DejaVu Sans";
constexpr char16_t kDefaultMonoFace[] = u"DejaVu Sans Mono";

struct FaceAlias {
  std::u16string_view From;
  std::u16string_view To;
};

// Windows faces (and generic names) -> the installed family that stands in for them.
// The Liberation families keep the advance widths of the faces they replace.
constexpr std::array kFaceAliases{
    FaceAlias{u"Default", kDefaultFace},
    FaceAlias{u"Arial", u"Liberation Sans"},
    FaceAlias{u"MS Sans Serif", u"Liberation Sans"},
    FaceAlias{u"Helvetica", u"Liberation Sans"},
    FaceAlias{u"Tahoma", u"Liberation Sans"},
    FaceAlias{u"Verdana", u"Liberation Sans"},
    FaceAlias{u"Segoe UI", u"Liberation Sans"},
    FaceAlias{u"System", u"Liberation Sans"},
    FaceAlias{u"Times New Roman", u"Liberation Serif"},
    FaceAlias{u"MS Serif", u"Liberation Serif"},
    FaceAlias{u"Times", u"Liberation Serif"},
    FaceAlias{u"Courier New", u"Liberation Mono"},
    FaceAlias{u"Courier", u"Liberation Mono"},
    FaceAlias{u"sans-serif", kDefaultFace},
    FaceAlias{u"sans", kDefaultFace},
    FaceAlias{u"serif", u"DejaVu Serif"},
    FaceAlias{u"monospace", kDefaultMonoFace},
    FaceAlias{u"mono", kDefaultMonoFace},
};

// Where a substituted family goes when it is not installed.
constexpr std::array kAliasFallbacks{
    FaceAlias{u"Liberation Sans", kDefaultFace},
    FaceAlias{u"Liberation Serif", u"DejaVu Serif"},
    FaceAlias{u"Liberation Mono", kDefaultMonoFace},
};

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && s.front() <= u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() <= u' ') s.remove_suffix(1);
  return s;
}

std::int32_t NormalisedWeight(std::int32_t weight) {
  if (weight <= 0) return 400;
  return std::min(weight, 1000);
}

// Owns the fontconfig configuration so that it is released at exit.
class FcConfigHolder {
public:
  FcConfig* Get() {
    if (!FConfig) FConfig = FcInitLoadConfigAndFonts();
    return FConfig;
  }
  void Release() {
    if (FConfig) FcConfigDestroy(FConfig);
    FConfig = nullptr;
  }
  ~FcConfigHolder() { Release(); }

private:
  FcConfig* FConfig = nullptr;
};

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// The best installed face of `family` for the request, or nothing when no
// installed family carries that name (fontconfig always answers something,
// so the family names of its answer are compared with the one asked for).
bool MatchFamily(FcConfig* config, const String& family, const FaceRequest& request, ResolvedFace& out) {
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return false;
  const std::string familyUtf8 = StringToUtf8(family);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
  const int fcWeight = FcWeightFromOpenType(NormalisedWeight(request.Weight));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, fcWeight);
  const bool wantItalic = request.Slant == FontSlant::Italic;
  FcPatternAddInteger(pattern.get(), FC_SLANT, wantItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());

  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(config, pattern.get(), &result));
  if (!match) return false;

  bool familyFound = false;
  String matchedFamily;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    const String name = Utf8ToString(reinterpret_cast<const char*>(value));
    if (i == 0) matchedFamily = name;
    if (SameText(name, family)) {
      familyFound = true;
      matchedFamily = name;
      break;
    }
  }
  FcChar8* file = nullptr;
  if (!familyFound || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return false;

  int index = 0;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  // The match has been prepared for rendering (synthetic-style rules may already
  // claim bold or oblique), so the face's own style is read from the file.
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  int count = 0;
  PatternPtr own(FcFreeTypeQuery(file, unsigned(index), nullptr, &count));
  const FcPattern* styleSource = own ? own.get() : match.get();
  FcPatternGetInteger(styleSource, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(styleSource, FC_SLANT, 0, &slant);

  out.FilePath = reinterpret_cast<const char*>(file);
  out.FaceIndex = index;
  out.Family = matchedFamily;
  out.SynthesizeBold = fcWeight >= FC_WEIGHT_DEMIBOLD && weight < FC_WEIGHT_DEMIBOLD;
  out.SynthesizeItalic = wantItalic && slant == FC_SLANT_ROMAN;
  return true;
}

// Whatever fontconfig considers its default face: the last resort.
bool MatchAnything(FcConfig* config, const FaceRequest& request, ResolvedFace& out) {
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return false;
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(config, pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return false;
  FcChar8* family = nullptr;
  int index = 0;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  out.FilePath = reinterpret_cast<const char*>(file);
  out.FaceIndex = index;
  out.Family = FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch
                   ? Utf8ToString(reinterpret_cast<const char*>(family))
                   : String();
  out.SynthesizeBold = NormalisedWeight(request.Weight) >= 600;
  out.SynthesizeItalic = request.Slant == FontSlant::Italic;
  return true;
}

String FallbackFor(const String& family, FontPitch pitch) {
  for (const FaceAlias& alias : kAliasFallbacks)
    if (SameText(family, alias.From)) return String(alias.To);
  return String(pitch == FontPitch::Fixed ? kDefaultMonoFace : kDefaultFace);
}

ResolvedFace Resolve(FcConfig* config, const FaceRequest& request) {
  String family = SubstituteFaceName(request.Name);
  if (family.empty()) family = request.Pitch == FontPitch::Fixed ? kDefaultMonoFace : kDefaultFace;
  ResolvedFace face;
  if (config && MatchFamily(config, family, request, face)) return face;
  const String fallback = FallbackFor(family, request.Pitch);
  if (config && MatchFamily(config, fallback, request, face)) return face;
  if (config && fallback != kDefaultFace && MatchFamily(config, kDefaultFace, request, face)) return face;
  if (config && MatchAnything(config, request, face)) return face;
  throw Exception("No usable font is installed (fontconfig found no scalable face)");
}

using CacheKey = std::tuple<String, std::int32_t, int, int, int>;

struct ResolverState {
  FcConfigHolder Config;
  std::map<CacheKey, ResolvedFace> Cache;
};

ResolverState& State() {
  static ResolverState state;
  return state;
}

}  // namespace

String PlatformDefaultFaceName() { return String(kDefaultFace); }

String SubstituteFaceName(std::u16string_view name) {
  const std::u16string_view trimmed = TrimBlanks(name);
  for (const FaceAlias& alias : kFaceAliases)
    if (SameText(trimmed, alias.From)) return String(alias.To);
  return String(trimmed);
}

const ResolvedFace& ResolveFace(const FaceRequest& request) {
  ResolverState& state = State();
  const CacheKey key{UpperCase(TrimBlanks(request.Name)), NormalisedWeight(request.Weight), int(request.Slant),
                     int(request.Pitch), int(request.Charset)};
  auto it = state.Cache.find(key);
  if (it != state.Cache.end()) return it->second;
  ResolvedFace face = Resolve(state.Config.Get(), request);
  return state.Cache.emplace(key, std::move(face)).first->second;
}

void ReleaseFontResolverCache() {
  ResolverState& state = State();
  state.Cache.clear();
  state.Config.Release();
}

}  // namespace vx::plat::gdi
