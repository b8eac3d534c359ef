#include "host/page_budget.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace host {

namespace {

// CPU seconds (user and system) in a stat file of /proc, and the name of
// what it is about.
bool ReadCpu(const std::string& statFile, double& cpu, std::string* name = nullptr) {
    std::ifstream stat(statFile);
    std::string line;
    if (!std::getline(stat, line)) return false;
    // The name in parentheses may hold blanks: the fields follow its ")".
    size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    if (name) *name = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::strtoull(f.c_str(), nullptr, 10);
        if (i == 15) stime = std::strtoull(f.c_str(), nullptr, 10);
    }
    cpu = static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return true;
}

// CPU seconds and resident bytes of a process.
bool ReadUsage(pid_t pid, double& cpu, long long& resident) {
    if (!ReadCpu("/proc/" + std::to_string(pid) + "/stat", cpu)) return false;
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long long size = 0, pages = 0;
    if (!(statm >> size >> pages)) return false;
    resident = pages * ::sysconf(_SC_PAGESIZE);
    return true;
}

// The threads of a process.
std::vector<pid_t> Threads(pid_t pid) {
    std::vector<pid_t> out;
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* d = ::opendir(tasks.c_str())) {
        while (dirent* e = ::readdir(d))
            if (pid_t tid = static_cast<pid_t>(std::atoi(e->d_name)); tid > 0) out.push_back(tid);
        ::closedir(d);
    }
    return out;
}

// The browser draws WebGL in the host itself (its GPU thread, and Mesa's
// threads where OpenGL is software): work done for the page, so it counts as
// the page's, and gives way as its renderer does. Each thread with its CPU seconds.
std::vector<std::pair<pid_t, double>> PageThreadsOfHost(pid_t host) {
    std::vector<std::pair<pid_t, double>> out;
    for (pid_t tid : Threads(host)) {
        std::string name;
        double cpu = 0;
        if (ReadCpu("/proc/" + std::to_string(host) + "/task/" + std::to_string(tid) + "/stat", cpu,
                    &name) &&
            (name.rfind("Chrome_InProcGp", 0) == 0 || name.rfind("llvmpipe", 0) == 0))
            out.emplace_back(tid, cpu);
    }
    return out;
}

void Lower(pid_t tid) {
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (errno == 0 && nice < 10) ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 10);
}

} // namespace

Budget BudgetInForce() {
    Budget b;
    if (const char* v = std::getenv("ZELKORA_PAGE_BUDGET")) {
        double percent = 0;
        int seconds = 0;
        long mb = 0;
        if (std::sscanf(v, "%lf:%d:%ld", &percent, &seconds, &mb) == 3 && percent > 0 &&
            seconds > 0 && mb > 0)
            b = {percent / 100, seconds, mb};
    }
    return b;
}

std::string BudgetWatch::Look(const std::vector<pid_t>& pids, long long nowMs, pid_t host) {
    if (pids != pids_) {
        pids_ = pids;
        samples_.clear();
    }
    double cpu = 0;
    long long resident = 0;
    for (pid_t pid : pids) {
        double c = 0;
        long long r = 0;
        if (ReadUsage(pid, c, r)) {
            cpu += c;
            resident += r;
        }
    }
    if (pids.empty()) return {};
    for (auto [tid, threadCpu] : PageThreadsOfHost(host))
        cpu += threadCpu;
    double hostCpu = 0;
    long long hostResident = 0;
    if (ReadUsage(host, hostCpu, hostResident)) {
        if (hostBaseline_ < 0) hostBaseline_ = hostResident;
        resident += std::max(0LL, hostResident - hostBaseline_);
    }
    char why[160];
    if (resident > budget_.megabytes * 1024 * 1024) {
        std::snprintf(why, sizeof why, "it held %lld MB of memory (the budget is %ld MB)",
                      resident / (1024 * 1024), budget_.megabytes);
        return why;
    }
    samples_.push_back({nowMs, cpu});
    long long window = budget_.seconds * 1000LL;
    while (samples_.size() > 2 && nowMs - samples_[1].ms >= window)
        samples_.pop_front();
    const Sample& first = samples_.front();
    if (nowMs - first.ms < window) return {};
    double share = (cpu - first.cpuSeconds) / ((nowMs - first.ms) / 1000.0);
    if (share <= budget_.cpuShare) return {};
    std::snprintf(why, sizeof why, "it used %.0f%% of a core for %d s (the budget is %.0f%%)",
                  share * 100, budget_.seconds, budget_.cpuShare * 100);
    return why;
}

namespace {

// The children of a process, from each of its threads' list (no scan of
// every process of the machine).
std::vector<pid_t> Children(pid_t pid) {
    std::vector<pid_t> out;
    for (pid_t tid : Threads(pid)) {
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) +
                               "/children");
        for (long child; children >> child;)
            out.push_back(static_cast<pid_t>(child));
    }
    return out;
}

} // namespace

ProcessTree ProcessesBelow(pid_t program) {
    ProcessTree depth;
    std::vector<std::pair<pid_t, int>> todo{{program, 0}};
    while (!todo.empty()) {
        auto [pid, d] = todo.back();
        todo.pop_back();
        if (d >= 16) continue;
        for (pid_t child : Children(pid))
            if (depth.emplace(child, d + 1).second) todo.push_back({child, d + 1});
    }
    return depth;
}

std::vector<pid_t> PageProcesses(const ProcessTree& below) {
    std::vector<pid_t> out;
    for (auto [pid, depth] : below)
        if (depth >= 2) out.push_back(pid);
    return out;
}

void LowerPriority(const ProcessTree& below) {
    for (auto [pid, depth] : below)
        // On Linux a priority belongs to a thread: each of them.
        for (pid_t tid : Threads(pid))
            Lower(tid);
}

void LowerPageThreadsOfHost(pid_t host) {
    for (auto [tid, cpu] : PageThreadsOfHost(host))
        Lower(tid);
}

} // namespace host
