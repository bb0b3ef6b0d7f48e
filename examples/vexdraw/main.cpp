// vexdraw: the demo program. For now it shows the foundation at work: a turned
// outline, its limits, a hit test, and an outline stored in a record list that
// survives a round trip through a stream. The editor window replaces this once
// the drawing surface exists.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "foundation/reclist.h"
#include "foundation/vxprocs.h"
#include "platform/core/stream.h"

using namespace vx;

namespace {

void PrintPoints(const char* title, const TCoordPnt* pts, int count) {
  std::printf("%s:", title);
  for (int i = 0; i < count; ++i) std::printf(" (%d, %d)", pts[i].x, pts[i].y);
  std::printf("\n");
}

}  // namespace

int main() {
  std::printf("Vexalith demo: the foundation\n\n");

  // A 40 x 20 rectangle turned by 30 degrees about its centre.
  TCoordPnt outline[4] = {{0, 0}, {40, 0}, {40, 20}, {0, 20}};
  PrintPoints("rectangle", outline, 4);
  RotatePoints(outline, 4, TCoordPnt{20, 10}, std::numbers::pi / 6);
  PrintPoints("turned by 30 degrees", outline, 4);

  TLimRec limits = GetPolygonLimits(outline, 4);
  std::printf("limits: (%d, %d) - (%d, %d)\n", limits.Xmin, limits.Ymin, limits.Xmax, limits.Ymax);

  // Hit tests of the first edge with a small probe box, as lines are hit.
  TLimRec probe = LimRec(22, -3, 30, 5);
  std::printf("edge 0-1 enters probe (22,-3)-(30,5): %s\n",
              LineInRect(outline[0], outline[1], probe) ? "yes" : "no");
  std::printf("angle of edge 0-1: %.4f rad\n", CalculateAngle(outline[0], outline[1]));

  // The outline in a record list, saved and read back.
  TRecordList points(sizeof(TCoordPnt));
  for (const TCoordPnt& p : outline) points.Add(&p);
  plat::TMemoryStream stream;
  points.Persist(&stream, pstSave);
  stream.SetPosition(0);
  TRecordList loaded(sizeof(TCoordPnt));
  loaded.Persist(&stream, pstLoad);
  std::printf("record list: %d points in %lld bytes, read back %d points (capacity %d)\n", points.Count(),
              static_cast<long long>(stream.GetSize()), loaded.Count(), loaded.Capacity());

  bool same = loaded.Count() == 4;
  for (int i = 0; same && i < 4; ++i) same = *static_cast<TCoordPnt*>(loaded.Get(i)) == outline[i];
  std::printf("round trip %s\n", same ? "exact" : "FAILED");
  return same ? 0 : 1;
}
