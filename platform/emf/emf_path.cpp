// Path figures for playback.
#include "platform/emf/emf_path.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vx::plat::emf {
namespace {

constexpr int kBezierSteps = 16;
constexpr int kEllipseSteps = 64;  // per full turn
constexpr double kPi = 3.14159265358979323846;
// A path holds at most this many points: enough for any drawing, bounded for hostile files.
constexpr std::size_t kMaxPathPoints = std::size_t{1} << 22;

LONG ToLong(double v) {
  if (!(v == v)) return 0;
  return static_cast<LONG>(std::clamp(std::nearbyint(v), static_cast<double>(std::numeric_limits<LONG>::min()),
                                      static_cast<double>(std::numeric_limits<LONG>::max())));
}

std::size_t Count(const std::vector<PathBuilder::Figure>& figures) {
  std::size_t n = 0;
  for (const auto& f : figures) n += f.Points.size();
  return n;
}

}  // namespace

void PathBuilder::Begin(POINT start) {
  Clear();
  FCurrent = start;
}

void PathBuilder::Clear() {
  FFigures.clear();
  FFigureOpen = false;
}

bool PathBuilder::Empty() const { return FFigures.empty(); }

PathBuilder::Figure& PathBuilder::Open() {
  if (!FFigureOpen) {
    FFigures.push_back(Figure{{FCurrent}, false});
    FFigureOpen = true;
  }
  return FFigures.back();
}

void PathBuilder::MoveTo(POINT p) {
  FCurrent = p;
  FFigureOpen = false;
}

void PathBuilder::LineTo(POINT p) {
  if (Count(FFigures) >= kMaxPathPoints) return;
  Open().Points.push_back(p);
  FCurrent = p;
}

void PathBuilder::BezierTo(const std::vector<POINT>& points) {
  POINT p0 = FCurrent;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    const POINT p1 = points[i], p2 = points[i + 1], p3 = points[i + 2];
    for (int s = 1; s <= kBezierSteps; ++s) {
      const double t = static_cast<double>(s) / kBezierSteps, u = 1 - t;
      const double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
      const double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
      LineTo(POINT{ToLong(x), ToLong(y)});
    }
    p0 = p3;
  }
}

void PathBuilder::AddFigure(const std::vector<POINT>& points, bool closed) {
  if (points.empty() || Count(FFigures) + points.size() > kMaxPathPoints) return;
  FFigures.push_back(Figure{points, closed});
  FFigureOpen = !closed;
  FCurrent = closed ? points.front() : points.back();
}

void PathBuilder::CloseFigure() {
  if (FFigureOpen && !FFigures.empty()) {
    FFigures.back().Closed = true;
    FCurrent = FFigures.back().Points.front();
  }
  FFigureOpen = false;
}

void PathBuilder::AddEllipse(const RECT& box) {
  const double cx = (static_cast<double>(box.Left) + box.Right) / 2, cy = (static_cast<double>(box.Top) + box.Bottom) / 2;
  const double rx = (static_cast<double>(box.Right) - box.Left) / 2, ry = (static_cast<double>(box.Bottom) - box.Top) / 2;
  std::vector<POINT> points;
  for (int i = 0; i < kEllipseSteps; ++i) {
    const double a = 2 * kPi * i / kEllipseSteps;
    points.push_back(POINT{ToLong(cx + rx * std::cos(a)), ToLong(cy + ry * std::sin(a))});
  }
  AddFigure(points, true);
}

void PathBuilder::ArcTo(const RECT& box, POINT start, POINT end, ArcSense sense, bool connect) {
  const double cx = (static_cast<double>(box.Left) + box.Right) / 2, cy = (static_cast<double>(box.Top) + box.Bottom) / 2;
  const double rx = std::fabs(static_cast<double>(box.Right) - box.Left) / 2;
  const double ry = std::fabs(static_cast<double>(box.Bottom) - box.Top) / 2;
  if (rx == 0 || ry == 0) return;
  // Parameter angles of the radials (the ellipse scaled to a circle).
  const double a0 = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
  double a1 = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
  // Counter-clockwise on a y-down device means decreasing angles in these
  // coordinates; mirrored ones run the other way. Equal radials: a full turn.
  const double direction = sense == ArcSense::DeviceCounterClockwise ? -1 : 1;
  double sweep = (a1 - a0) * direction;
  while (sweep <= 0) sweep += 2 * kPi;
  const int steps = std::max(2, static_cast<int>(std::ceil(sweep / (2 * kPi) * kEllipseSteps)));
  std::vector<POINT> points;
  for (int i = 0; i <= steps; ++i) {
    const double a = a0 + direction * sweep * i / steps;
    points.push_back(POINT{ToLong(cx + rx * std::cos(a)), ToLong(cy + ry * std::sin(a))});
  }
  if (connect) {
    for (const POINT& p : points) LineTo(p);
  } else {
    MoveTo(points.front());
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i]);
  }
}

}  // namespace vx::plat::emf
