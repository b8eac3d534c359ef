// The budget of a page's renderer: a page from a stranger may not hold the
// machine. Over the budget the host stops the page.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace host {

struct Budget {
    double cpuShare = 0.5; // of one core, averaged over the window
    int seconds = 30;      // the window
    long megabytes = 512;  // resident memory at any look
};

// The budget in force: ZELKORA_PAGE_BUDGET="PERCENT:SECONDS:MEGABYTES" (for
// tests and users with other needs), else the default.
Budget BudgetInForce();

// Looks at the pages' renderers now and then.
class BudgetWatch {
  public:
    explicit BudgetWatch(Budget budget) : budget_(budget) {}
    // Takes a look at the processes at the time nowMs; returns why the pages
    // are over their budget, or "" while they are within it. What the pages
    // keep in memory in the host itself (their storage lives in the browser
    // process: here the host) counts too: the host's growth since the first
    // look after a reset; and so does the CPU of the host's threads that draw
    // WebGL for them.
    std::string Look(const std::vector<pid_t>& pids, long long nowMs, pid_t host);
    void Reset() {
        samples_.clear();
        hostBaseline_ = -1;
    }

  private:
    struct Sample {
        long long ms;
        double cpuSeconds;
    };
    Budget budget_;
    std::vector<pid_t> pids_;
    long long hostBaseline_ = -1;
    std::deque<Sample> samples_;
};

// Every process below a program, each with its depth (1 for a child).
using ProcessTree = std::map<pid_t, int>;
ProcessTree ProcessesBelow(pid_t program);

// The processes below the program's own children (the browser's zygotes):
// the renderers its pages run in.
std::vector<pid_t> PageProcesses(const ProcessTree& below);

// Lowers the CPU priority of every thread of every process of the tree
// (renderers forked later inherit it from their zygote), so that the desktop
// gives way to the user's programs.
void LowerPriority(const ProcessTree& below);
// The same for the threads in which the host draws WebGL for its page.
void LowerPageThreadsOfHost(pid_t host);

} // namespace host
