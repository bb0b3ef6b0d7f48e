// TPen: the colour, width, style and raster mode lines are drawn with.
#pragma once

#include <cstdint>

#include "platform/graphics/color.h"
#include "platform/graphics/graphics_object.h"

namespace vx::plat {

// Line styles. The ordinals are stored in drawing files: never reorder.
enum TPenStyle : std::uint8_t {
  psSolid = 0,
  psDash = 1,
  psDot = 2,
  psDashDot = 3,
  psDashDotDot = 4,
  psClear = 5,        // draws nothing
  psInsideFrame = 6,  // wide outlines of figures stay inside the figure's box
  psUserStyle = 7,    // no dash table can be given here: draws solid
  psAlternate = 8,    // every other pixel, always one pixel wide
};

// How the pen colour P combines with the destination D. The ordinals are
// stored in drawing files: never reorder. pmNotXor (15) draws rubber bands
// that a second drawing removes exactly.
enum TPenMode : std::uint8_t {
  pmBlack = 0,         // 0
  pmWhite = 1,         // 1
  pmNop = 2,           // D
  pmNot = 3,           // ~D
  pmCopy = 4,          // P
  pmNotCopy = 5,       // ~P
  pmMergePenNot = 6,   // P | ~D
  pmMaskPenNot = 7,    // P & ~D
  pmMergeNotPen = 8,   // ~P | D
  pmMaskNotPen = 9,    // ~P & D
  pmMerge = 10,        // P | D
  pmNotMerge = 11,     // ~(P | D)
  pmMask = 12,         // P & D
  pmNotMask = 13,      // ~(P & D)
  pmXor = 14,          // P ^ D
  pmNotXor = 15,       // ~(P ^ D)
};

// A pen: black, width 1, solid, copy mode when new.
class TPen : public TGraphicsObject {
  VX_DECLARE_CLASS(TPen)
public:
  TPen() = default;
  // Publishes Color, Mode, Style and Width with their defaults.
  static void RegisterProperties(TPropertyRegistry<TPen>& r);

  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);
  // Width in logical units of the device the pen draws on; 0 and 1 draw one pixel.
  std::int32_t GetWidth() const { return FWidth; }
  void SetWidth(std::int32_t value);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode value);

  // The device pen for the colour, width and style (the mode is a state of
  // the device context, set by the canvas). Owned by the pen.
  HPEN GetHandle() const { return static_cast<HPEN>(CachedHandle()); }

  // Copies colour, width, style and mode from another TPen.
  void Assign(const TPersistent* Source) override;

protected:
  HGDIOBJ CreateHandle() const override;

private:
  TColor FColor = clBlack;
  std::int32_t FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

}  // namespace vx::plat
