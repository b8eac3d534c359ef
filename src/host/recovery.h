// What the desktop does when a part of it ends: a page's renderer is loaded
// again, and a host is started again, unless they end so often that trying
// again would only repeat the failure. Every output of the host (X11, and any
// other) goes through these rules.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace host {

// Milliseconds of a clock that only goes forward (not the wall clock, which
// may be set): the time failures are counted in.
int64_t SteadyMs();

// Failures in a sliding window of time.
class FailureWindow {
  public:
    FailureWindow(int limit, int64_t windowMs) : limit_(limit), windowMs_(windowMs) {}
    // Counts a failure at nowMs; true when it is the limit-th one within the
    // window (time to give up).
    bool Add(int64_t nowMs);
    void Reset() { times_.clear(); }

  private:
    int limit_;
    int64_t windowMs_;
    std::deque<int64_t> times_;
};

// A page whose renderer ends 3 times within 2 minutes is given up.
inline FailureWindow PageEndsWindow() { return FailureWindow(3, 2 * 60 * 1000); }
// A host that fails 5 times within 5 minutes is not started again.
inline FailureWindow HostFailuresWindow() { return FailureWindow(5, 5 * 60 * 1000); }

// How a page's renderer ended, as the browser tells it.
enum class RendererEnd { Normal, Abnormal, Crashed, Killed };
// In words: "crashed (exit code 11)", "was killed (by the system, ...)".
std::string DescribeRendererEnd(RendererEnd how, int exitCode);

// Whether a host that ended (a wait status) failed and is started again: a
// host ends by itself with status 0 (another one runs) or 1 (no display), and
// is ended with SIGTERM, SIGINT or SIGHUP; anything else is a failure.
bool HostFailed(int waitStatus);
// In words: "was killed by signal 9 (Killed)", "ended with status 3".
std::string DescribeHostEnd(int waitStatus);

} // namespace host
