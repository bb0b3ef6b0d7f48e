#include "platform/graphics/color.h"

#include <array>

namespace vx::plat {

namespace {

constexpr std::array<COLORREF, 25> kSystemColors = {
    RGB(200, 200, 200),  // scroll bar
    RGB(0, 120, 215),    // desktop background
    RGB(153, 180, 209),  // active caption
    RGB(191, 205, 219),  // inactive caption
    RGB(240, 240, 240),  // menu
    RGB(255, 255, 255),  // window
    RGB(100, 100, 100),  // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(0, 0, 0),        // caption text
    RGB(180, 180, 180),  // active border
    RGB(244, 247, 252),  // inactive border
    RGB(171, 171, 171),  // application work space
    RGB(0, 120, 215),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(240, 240, 240),  // button face
    RGB(160, 160, 160),  // button shadow
    RGB(109, 109, 109),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(0, 0, 0),        // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(105, 105, 105),  // 3-D dark shadow
    RGB(227, 227, 227),  // 3-D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
};

}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color < 0) {
    std::uint32_t index = std::uint32_t(color) & 0xFF;
    return index < kSystemColors.size() ? kSystemColors[index] : 0;
  }
  return COLORREF(color) & 0x00FFFFFF;
}

}  // namespace vx::plat
