// Paths for playback: the device layer has no path calls, so the figures
// that records draw between begin-path and end-path are collected here as
// polygons of logical points (curves and arcs flattened), to be filled,
// stroked or made the clip region when a path record says so.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vx::plat::emf {

// Which way arcs run in logical coordinates: arcs turn counter-clockwise as
// seen on the device, which is clockwise in logical units when exactly one
// axis of the mapping is flipped.
enum class ArcSense : bool { DeviceCounterClockwise, Mirrored };

class PathBuilder {
public:
  // One figure: its points and whether it was closed.
  struct Figure {
    std::vector<POINT> Points;
    bool Closed = false;
  };

  // Starts collecting at the current position `start`.
  void Begin(POINT start);
  void Clear();
  bool Empty() const;
  const std::vector<Figure>& Figures() const { return FFigures; }
  POINT Current() const { return FCurrent; }

  void MoveTo(POINT p);
  void LineTo(POINT p);
  // Cubic Béziers from the current position through `points` (3 per curve).
  void BezierTo(const std::vector<POINT>& points);
  // A figure of its own (open or closed).
  void AddFigure(const std::vector<POINT>& points, bool closed);
  // Closes the current figure.
  void CloseFigure();
  // The ellipse in the box as a closed figure.
  void AddEllipse(const RECT& box);
  // The arc of the ellipse in the box from the radial through `start` to the
  // radial through `end`; joined to the current figure by a line when
  // `connect`, else a new figure.
  void ArcTo(const RECT& box, POINT start, POINT end, ArcSense sense, bool connect);

private:
  Figure& Open();
  std::vector<Figure> FFigures;
  POINT FCurrent{};
  bool FFigureOpen = false;
};

}  // namespace vx::plat::emf
