#include "platform/graphics/brush.h"

#include "platform/core/properties.h"

namespace vx::plat {

VX_DEFINE_CLASS(TBrush, TGraphicsObject)
VX_PUBLISH(TBrush)

void TBrush::RegisterProperties(TPropertyRegistry<TBrush>& r) {
  r.Integer("Color", &TBrush::GetColor, &TBrush::SetColor, clWhite);
  r.Enum("Style", &TBrush::GetStyle, &TBrush::SetStyle,
         {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"},
         bsSolid);
}

void TBrush::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TBrush::Assign(const TPersistent* Source) {
  if (auto* brush = dynamic_cast<const TBrush*>(Source)) {
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HGDIOBJ TBrush::CreateHandle() const {
  const COLORREF color = ColorToRGB(FColor);
  if (FStyle == bsClear) return GetStockObject(NULL_BRUSH);
  if (FStyle >= bsHorizontal && FStyle <= bsDiagCross) return CreateHatchBrush(FStyle - bsHorizontal, color);
  // Solid, and any unknown style read from a damaged file.
  return CreateSolidBrush(color);
}

}  // namespace vx::plat
