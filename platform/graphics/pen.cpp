#include "platform/graphics/pen.h"

#include "platform/core/properties.h"

namespace vx::plat {

VX_DEFINE_CLASS(TPen, TGraphicsObject)
VX_PUBLISH(TPen)

void TPen::RegisterProperties(TPropertyRegistry<TPen>& r) {
  r.Integer("Color", &TPen::GetColor, &TPen::SetColor, clBlack);
  r.Enum("Mode", &TPen::GetMode, &TPen::SetMode,
         {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
          "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"},
         pmCopy);
  r.Enum("Style", &TPen::GetStyle, &TPen::SetStyle,
         {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame", "psUserStyle",
          "psAlternate"},
         psSolid);
  r.Integer("Width", &TPen::GetWidth, &TPen::SetWidth, 1);
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TPen::SetWidth(std::int32_t value) {
  if (value == FWidth) return;
  FWidth = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed();
}

void TPen::Assign(const TPersistent* Source) {
  if (auto* pen = dynamic_cast<const TPen*>(Source)) {
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HGDIOBJ TPen::CreateHandle() const {
  const COLORREF color = ColorToRGB(FColor);
  // A negative width read from a damaged file draws one pixel.
  const int width = FWidth < 0 ? 0 : FWidth;
  switch (FStyle) {
    case psAlternate: {
      LOGBRUSH brush{BS_SOLID, color, 0};
      return ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    }
    case psUserStyle:
      return CreatePen(PS_SOLID, width, color);
    default: {
      const int style = FStyle <= psInsideFrame ? int(FStyle) : int(PS_SOLID);
      return CreatePen(style, width, color);
    }
  }
}

}  // namespace vx::plat
