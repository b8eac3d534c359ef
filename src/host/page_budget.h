// The budget of a page's renderer: a page from a stranger may not hold the
// machine. Over the budget the host stops the page.
#pragma once

#include <deque>
#include <string>
#include <sys/types.h>

namespace host {

struct Budget {
    double cpuShare = 0.5; // of one core, averaged over the window
    int seconds = 30;      // the window
    long megabytes = 512;  // resident memory at any look
};

// The budget in force: ZELKORA_PAGE_BUDGET="PERCENT:SECONDS:MEGABYTES" (for
// tests and users with other needs), else the default.
Budget BudgetInForce();

// Looks at one renderer process now and then.
class BudgetWatch {
  public:
    explicit BudgetWatch(Budget budget) : budget_(budget) {}
    // Takes a look at pid at the time nowMs; returns why the page is over
    // its budget, or "" while it is within it (or cannot be seen).
    std::string Look(pid_t pid, long long nowMs);
    void Reset() { samples_.clear(); }

  private:
    struct Sample {
        long long ms;
        double cpuSeconds;
    };
    Budget budget_;
    pid_t pid_ = 0;
    std::deque<Sample> samples_;
};

// Lowers the CPU priority of a process (a page's renderer) so that the
// desktop gives way to the user's programs.
void LowerPriority(pid_t pid);

} // namespace host
