// Text on a DC: the selected logical font is realised at the device size the
// mapping gives its height (|lfHeight| logical units through the y scale),
// measured and drawn by the font engine, and blended into the surface as
// grey-scale coverage. Extents are converted back to logical units, so what
// is measured is what is drawn.
#include <climits>
#include <algorithm>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/gdi/dc_private.h"
#include "platform/gdi/font_engine.h"
#include "platform/gdi/raster_shapes.h"

namespace vx::plat::gdi {
namespace {

// Longest string one call draws or measures (longer input fails).
constexpr std::size_t kMaxTextUnits = std::size_t{1} << 24;

FontPitch PitchOf(BYTE pitchAndFamily) {
  switch (pitchAndFamily & 3) {
    case FIXED_PITCH: return FontPitch::Fixed;
    case VARIABLE_PITCH: return FontPitch::Variable;
    default: return FontPitch::Default;
  }
}

// The device font spec of the DC's selected logical font.
FontSpec DeviceFontSpec(const DcState& s) {
  const LOGFONTW& lf = s.FontRef().Log;
  FontSpec spec;
  std::size_t n = 0;
  while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
  spec.FaceName = n ? String(lf.lfFaceName, n) : String(u"Default");
  // Negative heights stay character heights, positive ones cell heights; a
  // height that maps below one pixel stays one pixel.
  if (lf.lfHeight != 0) {
    const std::int64_t magnitude = lf.lfHeight < 0 ? -std::int64_t{lf.lfHeight} : std::int64_t{lf.lfHeight};
    const std::int64_t device = std::clamp<std::int64_t>(LengthToDeviceY(s, magnitude), 1, kMaxFontEmPixels);
    spec.Height = static_cast<std::int32_t>(lf.lfHeight < 0 ? -device : device);
  } else {
    spec.Height = 0;
  }
  if (lf.lfWidth != 0) {
    const std::int64_t magnitude = lf.lfWidth < 0 ? -std::int64_t{lf.lfWidth} : std::int64_t{lf.lfWidth};
    spec.Width = static_cast<std::int32_t>(std::clamp<std::int64_t>(LengthToDeviceX(s, magnitude), 1, kMaxFontEmPixels));
  }
  spec.Escapement = lf.lfEscapement;  // counter-clockwise on the device, whatever the mapping's signs
  spec.Weight = lf.lfWeight;
  spec.Italic = lf.lfItalic != 0;
  spec.Underline = lf.lfUnderline != 0;
  spec.StrikeOut = lf.lfStrikeOut != 0;
  spec.Charset = lf.lfCharSet;
  spec.Pitch = PitchOf(lf.lfPitchAndFamily);
  return spec;
}

std::shared_ptr<const FontInstance> DeviceFont(const DcState& s) {
  try {
    return AcquireFont(DeviceFontSpec(s));
  } catch (const Exception&) {
    return nullptr;
  }
}

TextAlign AlignOf(UINT align) {
  TextAlign a;
  if ((align & TA_CENTER) == TA_CENTER) a.Horz = TextHAlign::Center;
  else if (align & TA_RIGHT) a.Horz = TextHAlign::Right;
  if ((align & TA_BASELINE) == TA_BASELINE) a.Vert = TextVAlign::Baseline;
  else if (align & TA_BOTTOM) a.Vert = TextVAlign::Bottom;
  return a;
}

// Running sums of advances converted between units without drift: each
// boundary is converted, and the advances are the differences.
std::vector<std::int32_t> ConvertAdvances(std::span<const std::int32_t> advances, bool toDevice, const DcState& s) {
  std::vector<std::int32_t> out(advances.size());
  std::int64_t sum = 0, previous = 0;
  for (std::size_t i = 0; i < advances.size(); ++i) {
    sum += advances[i];
    const std::int64_t magnitude = sum < 0 ? -sum : sum;
    std::int64_t converted = toDevice ? LengthToDeviceX(s, magnitude) : LengthToLogicalX(s, magnitude);
    if (sum < 0) converted = -converted;
    out[i] = Saturate32(converted - previous);
    previous = converted;
  }
  return out;
}

void BlendMask(const Target& t, const TextMask& mask, std::uint32_t color) {
  if (mask.Width <= 0 || mask.Height <= 0) return;
  SpanList rows;
  rows.reserve(static_cast<std::size_t>(mask.Height));
  for (std::int32_t y = 0; y < mask.Height; ++y) rows.push_back(Span{mask.Top + y, mask.Left, mask.Left + mask.Width});
  const bool mono = t.Surf->IsMono();
  const std::uint32_t monoColor = PixelToMono(color);
  for (const Span& sp : ClipToTarget(t, std::move(rows))) {
    std::uint32_t* row = t.Surf->Row(sp.y + t.Origin.y) + t.Origin.x;
    for (std::int32_t x = sp.x0; x < sp.x1; ++x) {
      const std::uint32_t cov = mask.At(x - mask.Left, sp.y - mask.Top);
      if (cov == 0) continue;
      if (mono) {
        if (cov >= 128) row[x] = monoColor;
        continue;
      }
      if (cov == 255) {
        row[x] = color;
        continue;
      }
      const std::uint32_t d = row[x];
      std::uint32_t out = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const int dc = static_cast<int>((d >> shift) & 0xFF), sc = static_cast<int>((color >> shift) & 0xFF);
        const int v = dc + ((sc - dc) * static_cast<int>(cov) + (sc >= dc ? 127 : -127)) / 255;
        out |= static_cast<std::uint32_t>(std::clamp(v, 0, 255)) << shift;
      }
      row[x] = out;
    }
  }
}

// Draws text at a device reference point; returns the pen movement (device).
TPoint DrawDeviceText(Dc& dc, const FontInstance& font, TPoint ref, TextAlign align, std::u16string_view text,
                      std::span<const std::int32_t> advances, const TRect* clipRect, const TRect* opaqueRect) {
  Target t = TargetOf(dc);
  if (!t.Visible()) {
    TextMask m = font.Render(text, ref, align, TRect{}, advances);
    return m.Advance;
  }
  if (opaqueRect)
    FillSpans(t, ClipToTarget(t, RectSpans(*opaqueRect, t.Bounds)), SolidPaint(ColorToPixel(dc.State.BkColor)),
              R2_COPYPEN);
  if (clipRect) {
    t.Bounds = TRect{std::max(t.Bounds.Left, clipRect->Left), std::max(t.Bounds.Top, clipRect->Top),
                     std::min(t.Bounds.Right, clipRect->Right), std::min(t.Bounds.Bottom, clipRect->Bottom)};
    if (t.Bounds.IsEmpty()) t.Bounds = {};
  }
  TextMask mask = font.Render(text, ref, align, t.Visible() ? t.Bounds : TRect{}, advances);
  if (!t.Visible()) return mask.Advance;
  if (dc.State.BkMode == OPAQUE && !text.empty()) {
    TPoint cell[4];
    // Saturate: a reference point near the Int32 limits must not overflow.
    auto add = [](std::int32_t a, std::int32_t b) {
      return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t(a) + b, INT32_MIN, INT32_MAX));
    };
    for (int i = 0; i < 4; ++i) cell[i] = TPoint{add(ref.x, mask.Cell[i].x), add(ref.y, mask.Cell[i].y)};
    FillSpans(t, ClipToTarget(t, PolygonSpans(cell, 4, FillMode::Alternate, t.Bounds)),
              SolidPaint(ColorToPixel(dc.State.BkColor)), R2_COPYPEN);
  }
  BlendMask(t, mask, ColorToPixel(dc.State.TextColor));
  return mask.Advance;
}

TPoint DevicePoint(const DcState& s, TPoint p) {
  const DPoint d = ToDevice(s, p);
  return TPoint{Saturate32(d.x), Saturate32(d.y)};
}

std::optional<TRect> DeviceRect(const DcState& s, const RECT* r) {
  if (!r) return std::nullopt;
  return RectToDevice(s, *r);
}

// ExtTextOutW without validation or recording: the shared path of the text calls.
void TextOut(Dc& dc, const FontInstance& font, int x, int y, UINT options, const RECT* rect, std::u16string_view text,
             std::span<const std::int32_t> logicalDx) {
  DcState& s = dc.State;
  const bool updateCp = (s.TextAlign & TA_UPDATECP) != 0;
  const TPoint ref = DevicePoint(s, updateCp ? s.CurPos : TPoint{x, y});
  std::vector<std::int32_t> deviceDx;
  if (!logicalDx.empty()) deviceDx = ConvertAdvances(logicalDx, true, s);
  const std::optional<TRect> box = DeviceRect(s, rect);
  const TRect* clip = (options & ETO_CLIPPED) && box ? &*box : nullptr;
  const TRect* opaque = (options & ETO_OPAQUE) && box ? &*box : nullptr;
  const TextAlign align = AlignOf(s.TextAlign);
  const TPoint advance = DrawDeviceText(dc, font, ref, align, text, deviceDx, clip, opaque);
  if (updateCp && align.Horz != TextHAlign::Center) {
    const int sign = align.Horz == TextHAlign::Right ? -1 : 1;
    s.CurPos = ToLogical(s, std::int64_t{ref.x} + sign * std::int64_t{advance.x},
                         std::int64_t{ref.y} + sign * std::int64_t{advance.y});
  }
}

// The logical advances of a string in the DC's font (what a recorder stores).
std::vector<std::int32_t> LogicalAdvances(const DcState& s, const FontInstance& font, std::u16string_view text) {
  const std::vector<std::int32_t> device = font.CharAdvances(text);
  return ConvertAdvances(device, false, s);
}

// "&x" -> "x" and "&&" -> "&" (the mnemonic marks of DrawText).
String StripPrefixes(std::u16string_view text) {
  String out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    else if (text[i] == u'&') continue;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace
}  // namespace vx::plat::gdi

namespace vx::plat {

using namespace gdi;

BOOL TextOutW(HDC dcHandle, int x, int y, const WCHAR* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(dcHandle, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL ExtTextOutW(HDC dcHandle, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || (count > 0 && !text) || count > kMaxTextUnits) return FALSE;
  const auto font = DeviceFont(dc->State);
  if (!font) return FALSE;
  const std::u16string_view str(text ? text : u"", count);
  const std::span<const std::int32_t> given = dx ? std::span<const std::int32_t>(dx, count) : std::span<const std::int32_t>();
  if (dc->Recorder) {
    // The recorder always gets the advances, measured here when the caller gave none.
    const std::vector<std::int32_t> logicalDx =
        dx ? std::vector<std::int32_t>(dx, dx + count) : LogicalAdvances(dc->State, *font, str);
    dc->Recorder->ExtTextOutW(x, y, options, rect, text, count, logicalDx.data());
  }
  try {
    TextOut(*dc, *font, x, y, options, rect, str, given);
  } catch (const Exception&) {
    return FALSE;  // a mask beyond the engine's limit: nothing drawn
  }
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dcHandle, const WCHAR* text, int count, SIZE* size) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !size || count < 0 || (count > 0 && !text) || static_cast<std::size_t>(count) > kMaxTextUnits)
    return FALSE;
  const auto font = DeviceFont(dc->State);
  if (!font) return FALSE;
  const TSize device = font->TextExtent(std::u16string_view(text ? text : u"", static_cast<std::size_t>(count)));
  *size = TSize{Saturate32(LengthToLogicalX(dc->State, device.cx)), Saturate32(LengthToLogicalY(dc->State, device.cy))};
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC dcHandle, const WCHAR* text, int count, int maxExtent, int* fit, int* dx, SIZE* size) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !size || count < 0 || (count > 0 && !text) || static_cast<std::size_t>(count) > kMaxTextUnits)
    return FALSE;
  const auto font = DeviceFont(dc->State);
  if (!font) return FALSE;
  const std::u16string_view str(text ? text : u"", static_cast<std::size_t>(count));
  const std::vector<std::int32_t> logical = LogicalAdvances(dc->State, *font, str);
  std::int64_t sum = 0;
  int fitting = 0;
  for (int i = 0; i < count; ++i) {
    sum += logical[static_cast<std::size_t>(i)];
    if (dx) dx[i] = Saturate32(sum);
    if (sum <= maxExtent && fitting == i) fitting = i + 1;
  }
  if (fit) *fit = fitting;
  const TSize device = font->TextExtent(str);
  *size = TSize{Saturate32(sum), Saturate32(LengthToLogicalY(dc->State, device.cy))};
  return TRUE;
}

BOOL GetTextMetricsW(HDC dcHandle, TEXTMETRICW* metrics) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !metrics) return FALSE;
  const auto font = DeviceFont(dc->State);
  if (!font) return FALSE;
  const TextMetrics& m = font->Metrics();
  const DcState& s = dc->State;
  auto y = [&](std::int32_t v) { return Saturate32(LengthToLogicalY(s, v)); };
  auto x = [&](std::int32_t v) { return Saturate32(LengthToLogicalX(s, v)); };
  TEXTMETRICW tm;
  tm.tmHeight = y(m.Height);
  tm.tmAscent = y(m.Ascent);
  tm.tmDescent = tm.tmHeight - tm.tmAscent;  // keeps ascent + descent = height after rounding
  tm.tmInternalLeading = y(m.InternalLeading);
  tm.tmExternalLeading = y(m.ExternalLeading);
  tm.tmAveCharWidth = x(m.AveCharWidth);
  tm.tmMaxCharWidth = x(m.MaxCharWidth);
  tm.tmWeight = m.Weight;
  tm.tmOverhang = x(m.Overhang);
  tm.tmDigitizedAspectX = GetDeviceCaps(dcHandle, LOGPIXELSX);
  tm.tmDigitizedAspectY = GetDeviceCaps(dcHandle, LOGPIXELSY);
  tm.tmFirstChar = m.FirstChar;
  tm.tmLastChar = m.LastChar;
  tm.tmDefaultChar = m.DefaultChar;
  tm.tmBreakChar = m.BreakChar;
  tm.tmItalic = m.Italic ? 1 : 0;
  tm.tmUnderlined = m.Underlined ? 1 : 0;
  tm.tmStruckOut = m.StruckOut ? 1 : 0;
  tm.tmPitchAndFamily = m.PitchAndFamily;
  tm.tmCharSet = m.CharSet;
  *metrics = tm;
  return TRUE;
}

int GetTextFaceW(HDC dcHandle, int count, WCHAR* name) {
  Dc* dc = FindDc(dcHandle);
  if (!dc) return 0;
  const LOGFONTW& lf = dc->State.FontRef().Log;
  int length = 0;
  while (length < LF_FACESIZE && lf.lfFaceName[length]) ++length;
  if (!name) return length + 1;
  if (count <= 0) return 0;
  const int n = std::min(length, count - 1);
  std::copy_n(lf.lfFaceName, n, name);
  name[n] = 0;
  return n + 1;
}

BOOL GetCharWidth32W(HDC dcHandle, UINT first, UINT last, int* widths) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !widths || last < first || last > 0xFFFF) return FALSE;
  const auto font = DeviceFont(dc->State);
  if (!font) return FALSE;
  for (UINT c = first; c <= last; ++c) {
    const char16_t ch = static_cast<char16_t>(c);
    const std::vector<std::int32_t> adv = font->CharAdvances(std::u16string_view(&ch, 1));
    widths[c - first] = Saturate32(LengthToLogicalX(dc->State, adv.empty() ? 0 : adv[0]));
  }
  return TRUE;
}

int DrawTextW(HDC dcHandle, const WCHAR* text, int count, RECT* rect, UINT format) {
  Dc* dc = FindDc(dcHandle);
  if (!dc || !rect || (count != 0 && !text) || count < -1) return 0;
  std::size_t length = 0;
  if (count == -1) {
    while (text[length] && length < kMaxTextUnits) ++length;
  } else {
    length = static_cast<std::size_t>(count);
  }
  if (length > kMaxTextUnits) return 0;
  const auto font = DeviceFont(dc->State);
  if (!font) return 0;
  DcState& s = dc->State;
  String str = format & DT_NOPREFIX ? String(text ? text : u"", length) : StripPrefixes(std::u16string_view(text ? text : u"", length));
  const TabExpansion tabs = format & DT_EXPANDTABS ? TabExpansion::EveryEightAverageChars : TabExpansion::None;
  const TRect box = RectToDevice(s, *rect);
  const TPoint corner = DevicePoint(s, TPoint{rect->Left, rect->Top});
  const std::int32_t boxWidth = box.Width();

  std::vector<TextLine> lines;
  if (format & DT_SINGLELINE) {
    str.erase(std::remove_if(str.begin(), str.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }), str.end());
    if (!str.empty()) lines.push_back(TextLine{0, str.size(), font->TextWidth(str)});
  } else {
    lines = font->WordBreak(str, format & DT_WORDBREAK ? boxWidth : (std::int32_t{1} << 30), tabs);
  }
  const TextMetrics& m = font->Metrics();
  const std::int32_t lineHeight = m.Height + (format & DT_EXTERNALLEADING ? m.ExternalLeading : 0);
  const std::int64_t totalHeight = std::int64_t{lineHeight} * static_cast<std::int64_t>(std::max<std::size_t>(lines.size(), str.empty() ? 0 : 1));
  std::int32_t widest = 0;
  for (const TextLine& l : lines) widest = std::max(widest, l.Width);

  if (format & DT_CALCRECT) {
    // The corner stays; the far corner moves to fit the text.
    const TPoint farCorner = ToLogical(s, std::int64_t{corner.x} + widest, std::int64_t{corner.y} + totalHeight);
    rect->Right = farCorner.x;
    rect->Bottom = farCorner.y;
    return Saturate32(LengthToLogicalY(s, totalHeight));
  }

  std::int64_t top = box.Top;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) top = box.Top + (box.Height() - std::int64_t{lineHeight}) / 2;
  else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) top = box.Bottom - std::int64_t{lineHeight};
  const UINT clipOption = format & DT_NOCLIP ? 0 : ETO_CLIPPED;
  const TRect* clip = clipOption ? &box : nullptr;
  // Lines are placed by their top-left corner; a recording sees that alignment
  // around them so that playing it back puts them where they were drawn.
  const bool recordAlign = dc->Recorder && !lines.empty() && s.TextAlign != (TA_LEFT | TA_TOP);
  if (recordAlign) dc->Recorder->SetTextAlign(TA_LEFT | TA_TOP);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TextLine& l = lines[i];
    String line = str.substr(l.Start, l.Length);
    std::vector<std::int32_t> adv = font->LineAdvances(line, tabs);
    std::replace(line.begin(), line.end(), u'\t', u' ');
    std::int64_t left = box.Left;
    if (format & DT_CENTER) left = box.Left + (std::int64_t{boxWidth} - l.Width) / 2;
    else if (format & DT_RIGHT) left = box.Right - std::int64_t{l.Width};
    const std::int64_t y = top + std::int64_t{lineHeight} * static_cast<std::int64_t>(i);
    const TPoint origin{Saturate32(left), Saturate32(y)};
    if (dc->Recorder) {
      const TPoint logical = ToLogical(s, origin.x, origin.y);
      const std::vector<std::int32_t> logicalDx = ConvertAdvances(adv, false, s);
      dc->Recorder->ExtTextOutW(logical.x, logical.y, clipOption, rect, line.data(), static_cast<UINT>(line.size()),
                                logicalDx.data());
    }
    try {
      DrawDeviceText(*dc, *font, origin, TextAlign{}, line, adv, clip, nullptr);
    } catch (const Exception&) {
      break;  // a mask beyond the engine's limit: the remaining lines are not drawn
    }
  }
  if (recordAlign) dc->Recorder->SetTextAlign(s.TextAlign);
  return Saturate32(LengthToLogicalY(s, totalHeight));
}

}  // namespace vx::plat
