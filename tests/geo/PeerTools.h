#pragma once
// Independent geodesy programs (PROJ's cct and cs2cs, GeographicLib's tools) as test peers: each
// call feeds lines on standard input and reads the numbers of each output line.
#include "support/MissingPeer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vsx::test {

bool toolAvailable(const std::string& name);

// Runs `command` with `input` as its standard input; one vector of numbers per output line
// (tokens that are not numbers are left out).
std::vector<std::vector<double>> runTool(const std::string& command, const std::string& input);

} // namespace vsx::test

// Skips the test with a clear message when a peer program is not installed.
#define REQUIRE_TOOL(name, package)                                                                     \
    do {                                                                                                \
        if (!vsx::test::toolAvailable(name))                                                            \
            VSX_SKIP_MISSING() << "'" << (name) << "' is not installed (Debian package " << (package)         \
                         << "); the comparison with it is skipped";                                    \
    } while (0)
