#pragma once
// The route the user finishes on the main map (a line, polyline or polygon of two or more points
// while the runline generator is visible) goes to the generator through this hand-over; the
// generator installs its receiver, and until it does a finished route goes nowhere.
#include "canvas/CanvasTypes.h"

#include <functional>

namespace vsx {

using RouteReceiver = std::function<void(const WorldPoints& route)>;
void setRouteReceiver(RouteReceiver receiver);
// Hands the route over; false when no receiver is installed.
bool HandRouteOver(const WorldPoints& route);

} // namespace vsx
