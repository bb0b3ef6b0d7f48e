// Small drawing helpers the user-interface pieces share: solid fills, bevel
// edges and captions on a device context.
#pragma once

#include "platform/core/types.h"
#include "platform/core/unicode.h"
#include "platform/controls/winuser.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"

namespace vx::plat::ui {

// Fills r with a solid colour (system colours allowed).
void FillSolid(HDC dc, const TRect& r, TColor color);
// Top/left lines in `light`, bottom/right lines in `dark`.
void Edge(HDC dc, const TRect& r, TColor light, TColor dark);
// A raised (up) or sunken (down) two-pixel button edge.
enum TBevel : std::uint8_t { bvRaised, bvLowered };
void ButtonEdge(HDC dc, const TRect& r, TBevel bevel);
// r grown by d on every side (shrunk for negative d).
TRect Inflate(const TRect& r, int d);
// Draws text in r with DrawText flags (DT_*), transparently.
void DrawCaption(HDC dc, const String& text, TRect r, const TFont& font, TColor color, unsigned flags);

// The height DrawText would use for text in r with these flags.
int MeasureTextHeight(HDC dc, const String& text, TRect r, const TFont& font, unsigned flags);

}  // namespace vx::plat::ui
