// Writers killed with SIGKILL at random moments, hundreds of times for each
// kind of file: every file is whole afterwards, holds the last value or a
// later one, and no temporary file piles up beside it.
#include "platform/prefix.h"
#include "platform/torture_files.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr int kKills = 200;

pid_t Start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> store = args;
    for (auto& a : store)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, store[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The names beside a target other than the target itself.
std::vector<std::string> Beside(const std::string& target) {
    fs::path t(target);
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(t.parent_path())) {
        std::string n = e.path().filename().string();
        if (n != t.filename().string() && n != ".lock" && !e.is_directory()) v.push_back(n);
    }
    return v;
}

class KillTorture : public ::testing::TestWithParam<torture::Kind> {
  protected:
    TempPrefix prefix;
};

TEST_P(KillTorture, NoneTornNoneLostNoStrayFile) {
    const torture::Kind kind = GetParam();
    const std::string writer = TORTURE_WRITER;
    const std::string name = torture::Name(kind);
    const std::string target = torture::Target(kind);
    MakeDirs(fs::path(target).parent_path().string());
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(WEXITSTATUS(Wait(Start({writer, name, "once"}))), 0);
    // Kills land from the writer's start-up to a few writes in, however fast
    // this build starts and writes (a sanitizer build is several times slower).
    int once = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - started)
                                    .count());
    const std::string temporary = platform::TemporaryNameFor(target);
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> delay(once / 2, once * 4); // microseconds
    long last = torture::SeqOf(torture::Read(kind));
    ASSERT_EQ(last, 0);
    int killedAfterProgress = 0, strayMoments = 0;
    for (int i = 0; i < kKills; ++i) {
        pid_t pid = Start({writer, name});
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        int status = Wait(pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
        long now = torture::SeqOf(torture::Read(kind));
        ASSERT_GE(now, last) << name << ": torn or lost after kill " << i;
        if (now > last) ++killedAfterProgress;
        last = now;
        // At most the one temporary name, which the next write replaces.
        for (const auto& n : Beside(target)) {
            ASSERT_EQ(fs::path(target).parent_path() / n, fs::path(temporary)) << "stray file";
            ++strayMoments;
        }
    }
    // The writers got somewhere between the kills.
    EXPECT_GT(killedAfterProgress, kKills / 4);
    ASSERT_EQ(WEXITSTATUS(Wait(Start({writer, name, "once"}))), 0);
    EXPECT_EQ(torture::SeqOf(torture::Read(kind)), last + 1);
    EXPECT_TRUE(Beside(target).empty());
    RecordProperty("stray_moments", strayMoments);
}

INSTANTIATE_TEST_SUITE_P(EachFileKind, KillTorture, ::testing::ValuesIn(torture::kKinds),
                         [](const auto& info) { return std::string(torture::Name(info.param)); });

} // namespace
