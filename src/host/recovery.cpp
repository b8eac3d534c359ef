#include "host/recovery.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/wait.h>

namespace host {

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool FailureWindow::Add(int64_t nowMs) {
    times_.push_back(nowMs);
    while (!times_.empty() && nowMs - times_.front() >= windowMs_)
        times_.pop_front();
    return static_cast<int>(times_.size()) >= limit_;
}

std::string DescribeRendererEnd(RendererEnd how, int exitCode) {
    std::string code = " (exit code " + std::to_string(exitCode) + ")";
    switch (how) {
    case RendererEnd::Normal:
        return "ended" + code;
    case RendererEnd::Abnormal:
        return "ended abnormally" + code;
    case RendererEnd::Crashed:
        return "crashed" + code;
    case RendererEnd::Killed:
        return "was killed (by the system, perhaps for its memory, or by a user)" + code;
    }
    return "ended" + code;
}

bool HostFailed(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        int code = WEXITSTATUS(waitStatus);
        return code != 0 && code != 1;
    }
    if (WIFSIGNALED(waitStatus)) {
        int sig = WTERMSIG(waitStatus);
        return sig != SIGTERM && sig != SIGINT && sig != SIGHUP;
    }
    return false;
}

std::string DescribeHostEnd(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        return "was killed by signal " + std::to_string(WTERMSIG(waitStatus)) + " (" +
               strsignal(WTERMSIG(waitStatus)) + ")";
    return "ended with status " + std::to_string(WEXITSTATUS(waitStatus));
}

} // namespace host
