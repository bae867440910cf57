#pragma once
// The curves of a DXF drawing as the polylines the map draws: the arcs that polyline bulges
// describe and SPLINE entities, evaluated as the (rational) B-splines their degree, knots,
// control points and weights define, or as the cubic through their fit points.
//
// A spline is tessellated so that no chord lies farther from the curve than 0.1 % of the curve's
// size or 0.01 drawing units, whichever is larger, with at most kMaxCurveVertices vertices per
// entity, so that a hostile file cannot make millions. A bulge arc takes at least the 20 chords
// an ARC entity gets, more when the same tolerance asks for them.
#include "canvas/DxfGeometry.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace vsx::dxf {

inline constexpr std::size_t kMaxCurveVertices = 2000;
// Degrees above this are not drawn: CAD programs write 11 at most, and evaluation costs grow with
// its square.
inline constexpr int kMaxSplineDegree = 32;

// The largest distance a chord may keep from a curve whose extent is `size`.
double chordTolerance(double size);

// The points strictly between (x0, y0) and (x1, y1) on the arc of a polyline segment whose
// start vertex carries `bulge` (the tangent of a quarter of the arc's included angle; positive
// turns counter-clockwise), appended to `out`. Nothing for a bulge of 0 (a straight segment), a
// bulge that is not a number, or coincident ends.
void appendBulgeArc(double x0, double y0, double x1, double y1, double bulge, std::vector<Point3>& out);

// A SPLINE record's data as the file gives it.
struct SplineData {
    int degree = -1;  // code 71; -1 when missing
    int flags = 0;    // code 70: 1 closed, 2 periodic, 4 rational
    std::vector<double> knots;    // code 40, in order
    std::vector<double> weights;  // code 41, one per control point
    std::vector<Point3> controlPoints;  // codes 10/20/30
    std::vector<Point3> fitPoints;      // codes 11/21/31
    std::optional<Point3> startTangent, endTangent;  // codes 12/22/32 and 13/23/33
};

enum class SplineResult {
    Drawn,
    TooFewPoints,  // fewer than two control points and fewer than two fit points
    Unsupported,   // a degree above kMaxSplineDegree or values that give no finite curve
};

struct SplinePolyline {
    SplineResult result = SplineResult::TooFewPoints;
    std::vector<Point3> vertices;
    bool closed = false;  // the file's closed flag; a closing vertex that repeats the first is dropped
};

// The curve of a SPLINE: from its control points when it has two or more, else through its fit
// points. Knots that do not fit the control points (missing, too few or too many, decreasing) are
// replaced by uniform ones, clamped to the end points for an open spline and wrapping round for a
// closed or periodic one; weights that do not fit are left out (a polynomial spline). A periodic
// spline may give one knot more than control points (each knot interval of the period once).
SplinePolyline tessellateSpline(const SplineData& spline);

}  // namespace vsx::dxf
