#include "MissingPeer.h"

#include <cstdlib>
#include <cstring>

namespace vsx::test {

bool missingPeersFail()
{
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}

} // namespace vsx::test
