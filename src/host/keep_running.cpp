#include "host/keep_running.h"

#include "host/recovery.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace host {

namespace {

volatile sig_atomic_t gChild = 0;
volatile sig_atomic_t gStop = 0;

// The session ends, or the host is asked to: the host is told, and this
// process ends with it instead of starting it again.
void OnStop(int sig) {
    gStop = sig;
    if (gChild > 0) ::kill(gChild, sig);
}

pid_t Spawn(const std::vector<std::string>& args, bool quiet) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

bool Quietly(const std::vector<std::string>& args) {
    pid_t pid = Spawn(args, true);
    if (pid < 0) return false;
    int status = WaitFor(pid);
    return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The unit serves the default prefix, with the session's display.
bool StartedBySystemd() {
    const char* prefix = std::getenv("ZELKORA_PREFIX");
    const char* home = std::getenv("HOME");
    if (prefix && *prefix) {
        std::error_code ec;
        if (!home || !std::filesystem::equivalent(prefix, std::string(home) + "/.zelkora", ec))
            return false;
    }
    if (!Quietly({"systemctl", "--user", "cat", "zelkora-desktop.service"})) return false;
    std::vector<std::string> import = {"systemctl", "--user", "import-environment"};
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
        if (std::getenv(name)) import.push_back(name);
    if (import.size() > 3) Quietly(import);
    return Quietly({"systemctl", "--user", "start", "zelkora-desktop.service"});
}

} // namespace

int KeepRunning() {
    if (StartedBySystemd()) return 0;
    std::error_code ec;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (self.empty()) self = "zelkora-desktop";
    struct sigaction stop {};
    stop.sa_handler = OnStop;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &stop, nullptr);
    FailureWindow failures = HostFailuresWindow();
    while (true) {
        pid_t pid = Spawn({self}, false);
        if (pid < 0) {
            std::fprintf(stderr, "zelkora-desktop: cannot start %s\n", self.c_str());
            return 1;
        }
        gChild = pid;
        if (gStop) ::kill(pid, gStop); // asked to stop while it was started
        int status = WaitFor(pid);
        gChild = 0;
        if (gStop || status < 0 || !HostFailed(status))
            return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 0;
        if (failures.Add(SteadyMs())) {
            std::fprintf(stderr,
                         "zelkora-desktop: the desktop host %s, its fifth failure within 5 "
                         "minutes; it is not started again\n",
                         DescribeHostEnd(status).c_str());
            return 1;
        }
        std::fprintf(stderr, "zelkora-desktop: the desktop host %s; it is started again\n",
                     DescribeHostEnd(status).c_str());
        std::fflush(stderr);
        for (int i = 0; i < 10 && !gStop; ++i)
            ::usleep(100 * 1000);
        if (gStop) return 0;
    }
}

} // namespace host
