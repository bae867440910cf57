#pragma once
// Run lines laid out along a route drawn on the map, in grid metres:
//  - across the route ("Perpendicular"): one line of twice the length, centred on the route, at
//    every station 0, s, 2s ... measured along the whole route (the chainage does not restart at
//    a vertex, so a route digitised with many vertices still gets its lines s metres apart);
//  - along the route ("Parallel"): N = L / s lines on each side at the offsets s, 2s ... N s,
//    each one a true offset curve of the route: every point of it at least its offset from every
//    leg, the nearest at exactly the offset, and never across the route. Outside a turn the
//    corner is mitred (one vertex, as the legs' own corner), or for a turn sharper than the mitre
//    limit, turned with a few such corners around the vertex; inside a turn the line is trimmed
//    back to where the two legs' offsets cross, and where the route comes back so near itself
//    that a stretch of the line would come nearer than its offset, that stretch is cut out (so
//    one offset may give no line, or several pieces).
// Points closer than 1 mm to the previous one are dropped first, so repeated clicks never give
// zero-length legs. A plan that cannot be made, or would flood the map, comes back with its
// problem and no lines.
#include "canvas/CanvasTypes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vsx {

class CanvasModel;

enum class RunlineKind { Perpendicular, Parallel };

enum class RunlineProblem {
    None,
    TooFewPoints,        // fewer than two route points
    NoLength,            // every point of the route lies within 1 mm of the first
    SpacingNotPositive,  // spacing not a number, or 0 or less
    LengthNotPositive,   // length not a number, or 0 or less
    SpacingBeyondRoute,  // across: spacing longer than the route (one line, at its start)
    SpacingBeyondLength, // along: spacing larger than the length (no lines)
    TooManyLines,        // more than the limits below
};

struct RunlinePlan {
    std::vector<WorldPoints> lines;  // in their numbering order
    RunlineProblem problem = RunlineProblem::None;
    std::size_t wanted = 0;          // lines the settings ask for (also when refused)
    // A plan is drawn when it has no problem, or only a notice that the spacing is too large.
    bool drawable() const
    {
        return problem == RunlineProblem::None || problem == RunlineProblem::SpacingBeyondRoute ||
               problem == RunlineProblem::SpacingBeyondLength;
    }
};

inline constexpr double kRunlineMinLeg = 0.001;           // metres
inline constexpr std::size_t kRunlineMaxLines = 20000;    // per generation
inline constexpr std::size_t kRunlineMaxPoints = 4000000; // vertices of all lines together
// The farthest an outside corner reaches from the route's vertex, in offsets: a mitre up to a
// turn of 120 degrees; a sharper turn is made of several corners, each within this reach.
inline constexpr double kRunlineMitreLimit = 2.0;

// The route without points closer than kRunlineMinLeg to the previous kept point.
WorldPoints RouteWithoutRepeats(const WorldPoints& route);
double RouteLength(const WorldPoints& route);

RunlinePlan PlanRunlines(const WorldPoints& route, double spacing, double length, RunlineKind kind);

// The English message for a problem; empty for None.
std::string RunlineProblemText(const RunlinePlan& plan);

// The map layers of the generator.
inline constexpr const char* kRouteLayer = "Veldor_Route";
inline constexpr const char* kRunlineLayer = "Veldor_Runlines";

// Replaces the shapes of the run-line layer (added when missing) by a copy of the route and the
// plan's lines, all open polylines. The current layer stays as it was. Returns the layer id.
int DrawRunlines(CanvasModel& canvas, const WorldPoints& route, const RunlinePlan& plan);

} // namespace vsx
