// Twenty simultaneous starts on one prefix, again and again, with both cores
// kept busy: each time exactly one Manager stays, and the others end.
#include "window/manager_fixture.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

constexpr int kTrials = 50;
constexpr int kStarts = 20;

// Keeps every core busy for as long as it lives.
class BusyCores {
  public:
    BusyCores() {
        unsigned n = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile unsigned long x = 0;
                while (!stop_) x = x + 1;
            });
    }
    ~BusyCores() {
        stop_ = true;
        for (auto& t : threads_)
            t.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

TEST_F(ManagerTest, TwentySimultaneousStartsLeaveExactlyOneManagerUnderLoad) {
    StandardCatalogue();
    WriteFile(App("zelkora.ini"), "[Options]\r\nExitAfterApply=0\r\n");
    BusyCores load;
    char* argv[] = {const_cast<char*>(HEADLESS_MANAGER), nullptr};
    for (int trial = 0; trial < kTrials; ++trial) {
        std::filesystem::remove(prefix.path("ready"));
        std::filesystem::remove(prefix.path("stop"));
        std::vector<pid_t> pids(kStarts);
        for (auto& pid : pids)
            ASSERT_EQ(posix_spawn(&pid, HEADLESS_MANAGER, nullptr, nullptr, argv, environ), 0);
        // The others end by themselves; one stays with its window up.
        std::vector<pid_t> running = pids;
        auto deadline = Clock::now() + std::chrono::seconds(20);
        while (running.size() > 1 && Clock::now() < deadline) {
            for (auto it = running.begin(); it != running.end();) {
                int status;
                pid_t r = ::waitpid(*it, &status, WNOHANG);
                if (r == *it) {
                    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                        << "trial " << trial << " status " << status;
                    it = running.erase(it);
                } else {
                    ++it;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(running.size(), 1u) << "trial " << trial;
        for (int i = 0; i < 1000 && !FileExists(prefix.path("ready")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(FileExists(prefix.path("ready"))) << "trial " << trial;
        WriteFile(prefix.path("stop"), "");
        for (pid_t pid : running) {
            int status = 0;
            for (int i = 0; i < 500 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (::kill(pid, 0) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "trial " << trial << ": the Manager did not stop";
            }
        }
        if (HasFailure()) break;
    }
}

} // namespace
