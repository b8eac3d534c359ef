// When the desktop gives a part that ended another try, and when it gives up.
#include "host/recovery.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <vector>

namespace {

TEST(Recovery, FailuresCountInASlidingWindow) {
    struct Case {
        host::FailureWindow window;
        std::vector<int64_t> at;        // failure times, ms
        std::vector<bool> giveUp;       // the answer at each
    } cases[] = {
        {host::PageEndsWindow(), {0, 1000, 2000}, {false, false, true}},
        {host::PageEndsWindow(), {0, 60000, 120000, 130000}, {false, false, false, true}},
        {host::HostFailuresWindow(), {0, 1, 2, 3, 4}, {false, false, false, false, true}},
        {host::HostFailuresWindow(), {0, 100000, 200000, 300000, 400000}, {false, false, false, false, false}},
    };
    for (auto& c : cases)
        for (size_t i = 0; i < c.at.size(); ++i)
            EXPECT_EQ(c.window.Add(c.at[i]), c.giveUp[i]) << "failure " << i << " at " << c.at[i];
    host::FailureWindow w = host::PageEndsWindow();
    w.Add(0);
    w.Add(1);
    w.Reset(); // a change applied tries again
    EXPECT_FALSE(w.Add(2));
}

TEST(Recovery, AHostThatFailsIsStartedAgainOneEndedOnPurposeIsNot) {
    struct Case {
        int status;
        bool failed;
        const char* said;
    } cases[] = {
        {W_EXITCODE(0, 0), false, "ended with status 0"},      // another host runs
        {W_EXITCODE(1, 0), false, "ended with status 1"},      // no display
        {W_EXITCODE(3, 0), true, "ended with status 3"},
        {W_EXITCODE(0, SIGTERM), false, "was killed by signal 15"},
        {W_EXITCODE(0, SIGHUP), false, "was killed by signal 1"},
        {W_EXITCODE(0, SIGKILL), true, "was killed by signal 9 (Killed)"},
        {W_EXITCODE(0, SIGSEGV), true, "was killed by signal 11"},
        {W_EXITCODE(0, SIGABRT), true, "was killed by signal 6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host::HostFailed(c.status), c.failed) << c.said;
        EXPECT_EQ(host::DescribeHostEnd(c.status).rfind(c.said, 0), 0u) << host::DescribeHostEnd(c.status);
    }
}

} // namespace
