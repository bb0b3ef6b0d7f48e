// TBrush: the colour and pattern figures are filled with.
#pragma once

#include <cstdint>

#include "platform/graphics/color.h"
#include "platform/graphics/graphics_object.h"

namespace vx::plat {

// Fill styles. The ordinals are stored in drawing files: never reorder.
enum TBrushStyle : std::uint8_t {
  bsSolid = 0,
  bsClear = 1,  // no fill; pictures drawn with it are transparent
  bsHorizontal = 2,
  bsVertical = 3,
  bsFDiagonal = 4,  // \\\ (top-left to bottom-right)
  bsBDiagonal = 5,  // /// (bottom-left to top-right)
  bsCross = 6,
  bsDiagCross = 7,
};

// A brush: white and solid when new. Hatched styles draw their lines in the
// brush colour and leave the gaps alone.
class TBrush : public TGraphicsObject {
  VX_DECLARE_CLASS(TBrush)
public:
  TBrush() = default;
  // Publishes Color and Style with their defaults.
  static void RegisterProperties(TPropertyRegistry<TBrush>& r);

  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle value);

  // The device brush for the colour and style. Owned by the brush.
  HBRUSH GetHandle() const { return static_cast<HBRUSH>(CachedHandle()); }

  // Copies colour and style from another TBrush.
  void Assign(const TPersistent* Source) override;

protected:
  HGDIOBJ CreateHandle() const override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

}  // namespace vx::plat
