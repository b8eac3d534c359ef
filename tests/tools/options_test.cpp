// Every program answers --help and --version, and refuses what it does not
// know, without opening a window or touching the prefix.
#include "support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(Programs, AnswerHelpAndVersionAndRefuseUnknownOptions) {
    TempPrefix prefix;
    std::string tools = ToolsDir();
    std::vector<std::pair<std::string, std::string>> programs = {
        {"zelkora-demo", tools + "/zelkora-demo"},
        {"zelkora-catalogue", tools + "/zelkora-catalogue"},
        {"zelkora-shell", tools + "/zelkora-shell"},
        {"zelkora", tools + "/../zelkora"}};
#ifdef ZELKORA_QT_BUILD
    programs.push_back({"zelkora-manager", tools + "/../zelkora-manager"});
    programs.push_back({"zelkora-desktop", tools + "/../zelkora-desktop"});
#endif
    for (const auto& [name, path] : programs) {
        SCOPED_TRACE(name);
        std::string out;
        // No display: a program that tried to open a window would fail here.
        std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none ";
        EXPECT_EQ(RunCommand(env + path + " --help", &out), 0);
        EXPECT_NE(out.find("sage: " + name), std::string::npos) << out;
        EXPECT_EQ(RunCommand(env + path + " --version", &out), 0);
        EXPECT_EQ(out.rfind(name + " 0.", 0), 0u) << out;
        EXPECT_EQ(RunCommand(env + path + " --no-such-option", &out), 2);
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
    // Nothing was made in the prefix.
    EXPECT_FALSE(FileExists(prefix.path("registry.reg")));
}

} // namespace
