#include "tools/RouteHandOver.h"

namespace vsx {

namespace {
RouteReceiver& receiver()
{
    static RouteReceiver r;
    return r;
}
} // namespace

void setRouteReceiver(RouteReceiver r) { receiver() = std::move(r); }

bool HandRouteOver(const WorldPoints& route)
{
    if (!receiver()) return false;
    receiver()(route);
    return true;
}

} // namespace vsx
