#pragma once
// The steering corridor of the helmsman map around a selected run line: the two edge lines at
// the half-width on either side and a tick across the corridor every 100 m of chainage, labelled
// "KP" and the chainage. Chainage runs from the end of the line behind the vessel to the end
// ahead of it.
#include "canvas/CanvasTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace vsx {

struct CorridorTick {
    double chainage = 0;  // metres from the first point
    WorldPoint from, to;  // across the corridor, left edge to right edge
    WorldPoint labelAt;   // beyond the left edge
    std::string label;    // "KP" + the chainage rounded to a whole metre
};

struct Corridor {
    WorldPoints left, right;
    std::vector<CorridorTick> ticks;
};

inline constexpr double kChainageStep = 100.0;

// The line as it is, or reversed when the vessel's heading points closer to the first point than
// to the last (the first point then lies ahead). Without a vessel position the line stays.
WorldPoints OrientRunline(WorldPoints points, std::optional<WorldPoint> vessel, double gridHeadingDeg);

// Edges and ticks of a line of two or more points; each chainage gets exactly one tick, also when
// it falls on a vertex. Segments shorter than 1 µm add nothing.
Corridor BuildCorridor(const WorldPoints& points, double halfWidth);

// The corridor's half-width: the vessel geometry's first-circle radius when it is a number above
// 0, else the stored radius, else 10 m.
double CorridorHalfWidth(std::optional<double> editRadius, double storedRadius);

} // namespace vsx
