#pragma once
// A test that cannot run because a peer program, a locale or a recording is missing. On a
// developer's machine it is skipped with the reason; in CI (CI=true) the machine is meant to have
// everything, so the same test fails with the reason instead of passing unseen.
//
//     if (!haveProgram("ogrinfo")) VSX_SKIP_MISSING() << "GDAL's ogrinfo is not installed";
#include <gtest/gtest.h>

namespace vsx::test {

// Whether a missing peer fails the test (CI=true) rather than skipping it.
bool missingPeersFail();

inline ::testing::TestPartResult::Type missingPeerResult()
{
    return missingPeersFail() ? ::testing::TestPartResult::kFatalFailure : ::testing::TestPartResult::kSkip;
}

inline const char* missingPeerNote()
{
    return missingPeersFail() ? "CI=true: a missing peer program or recording fails the test" : "Skipped";
}

} // namespace vsx::test

// Streams the reason, like GTEST_SKIP(), and returns from the test.
#define VSX_SKIP_MISSING()                                                                                   \
    return ::testing::internal::AssertHelper(::vsx::test::missingPeerResult(), __FILE__, __LINE__,           \
                                             ::vsx::test::missingPeerNote()) = ::testing::Message()
