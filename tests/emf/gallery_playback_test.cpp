// The gallery scene recorded into an enhanced metafile and played back onto a
// raster surface matches drawing the scene directly. The one documented
// difference: text is recorded with whole logical advances, so the zoomed
// word-break panel (bottom right) may place glyphs up to one logical unit
// apart; every other pixel of the scene must be identical.
#include <gtest/gtest.h>

#include <cstdint>

#include "examples/vxgallery/gallery_scene.h"
#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"

namespace {

using namespace vx::plat;
using vx::gallery::DrawGdiScene;
using vx::gallery::kSceneHeight;
using vx::gallery::kSceneWidth;

// The bottom-right panel: word-break text under a 2x mapping.
bool InZoomedTextPanel(int x, int y) { return x >= kSceneWidth * 3 / 4 && y >= kSceneHeight * 2 / 3; }

TEST(GalleryPlayback, PlayedMetafileMatchesDirectDrawingOutsideTheZoomedTextPanel) {
  HDC direct = CreateRasterDC(kSceneWidth, kSceneHeight);
  ASSERT_NE(direct, nullptr);
  DrawGdiScene(direct);

  const RECT frame{0, 0, (kSceneWidth * 2540 + 48) / 96, (kSceneHeight * 2540 + 48) / 96};
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  ASSERT_NE(recorder, nullptr);
  DrawGdiScene(recorder);
  HENHMETAFILE picture = CloseEnhMetaFile(recorder);
  ASSERT_NE(picture, nullptr);

  HDC played = CreateRasterDC(kSceneWidth, kSceneHeight);
  ASSERT_NE(played, nullptr);
  const RECT dest{0, 0, kSceneWidth, kSceneHeight};
  ASSERT_TRUE(PlayEnhMetaFile(played, picture, &dest));

  int w1 = 0, h1 = 0, s1 = 0, w2 = 0, h2 = 0, s2 = 0;
  const std::uint32_t* a = RasterPixels(direct, &w1, &h1, &s1);
  const std::uint32_t* b = RasterPixels(played, &w2, &h2, &s2);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(w1, w2);
  ASSERT_EQ(h1, h2);
  int outside = 0, inside = 0, inked = 0;
  for (int y = 0; y < h1; ++y)
    for (int x = 0; x < w1; ++x) {
      const std::uint32_t pa = a[static_cast<std::ptrdiff_t>(y) * s1 + x] & 0xFFFFFF;
      const std::uint32_t pb = b[static_cast<std::ptrdiff_t>(y) * s2 + x] & 0xFFFFFF;
      inked += pa != 0xFFFFFF;
      if (pa == pb) continue;
      (InZoomedTextPanel(x, y) ? inside : outside)++;
    }
  EXPECT_GT(inked, kSceneWidth * kSceneHeight / 10) << "the scene drew something";
  EXPECT_EQ(outside, 0);
  EXPECT_LT(inside, (kSceneWidth / 4) * (kSceneHeight / 3) / 10) << "text moved by at most a unit";

  DeleteEnhMetaFile(picture);
  DeleteDC(direct);
  DeleteDC(played);
}

}  // namespace
