// Two real processes on one prefix: the second one flashes and raises the
// first one's window and ends at once, touching nothing.
#include "window/manager_fixture.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace testing_support;
using Clock = std::chrono::steady_clock;

struct FileStamp {
    std::string bytes;
    std::filesystem::file_time_type time;
    bool operator==(const FileStamp&) const = default;
};

FileStamp Stamp(const std::string& path) {
    return {ReadFile(path), std::filesystem::last_write_time(path)};
}

TEST_F(ManagerTest, ASecondInstanceFlashesAndRaisesTheFirstAndEndsPastAStalledClient) {
    StandardCatalogue();
    WriteFile(App("zelkora.ini"), "[Options]\r\nExitAfterApply=0\r\n");
    pid_t first = 0;
    char* argv[] = {const_cast<char*>(HEADLESS_MANAGER), nullptr};
    ASSERT_EQ(posix_spawn(&first, HEADLESS_MANAGER, nullptr, nullptr, argv, environ), 0);
    ASSERT_TRUE(WaitFor([&] { return FileExists(prefix.path("ready")); }, 10000));
    // Connected to the window's channel, and then silent.
    int stalled = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string name = "zelkora-window-" + std::to_string(std::hash<std::string>{}(prefix.dir()));
    std::memcpy(a.sun_path + 1, name.data(), name.size());
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&a),
                        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())),
              0);

    FileStamp reg = Stamp(prefix.path("registry.reg")), data = Stamp(cat.native()),
              ini = Stamp(App("zelkora.ini")), shell = Stamp(prefix.path("shell.ini"));
    std::string out;
    auto start = Clock::now();
    EXPECT_EQ(RunCommand(HEADLESS_MANAGER, &out), 0);
    auto took = Clock::now() - start;
    EXPECT_EQ(out, "");                              // no message, nothing shown
    EXPECT_GE(took, std::chrono::milliseconds(900)); // ten waits of 100 ms
    EXPECT_LT(took, std::chrono::milliseconds(5000));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(prefix.path("requests.txt")) == "11 1\n"; }, 3000))
        << ReadFile(prefix.path("requests.txt"));
    EXPECT_EQ(Stamp(prefix.path("registry.reg")), reg);
    EXPECT_EQ(Stamp(cat.native()), data);
    EXPECT_EQ(Stamp(App("zelkora.ini")), ini);
    EXPECT_EQ(Stamp(prefix.path("shell.ini")), shell);

    ::close(stalled);
    WriteFile(prefix.path("stop"), "");
    int status = 0;
    waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ManagerTest, ASecondInstanceWithoutAWindowToFindEndsSilently) {
    StandardCatalogue();
    ASSERT_FALSE(App::PrevInstance()); // this process now holds the instance lock
    std::string out;
    auto start = Clock::now();
    EXPECT_EQ(RunCommand(HEADLESS_MANAGER, &out), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(FileExists(prefix.path("ready")));
}

} // namespace
