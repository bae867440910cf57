#include "nav/RealtimeState.h"

namespace vsx {

RealtimeState& realtimeState()
{
    static RealtimeState state;
    return state;
}

} // namespace vsx
