#include "platform/prefix.h"
#include "platform/process.h"
#include "runtime/app.h"
#include "runtime/failure.h"
#include "support/test_support.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace testing_support;

TEST(Paths, DriveLettersMapIntoThePrefixWithoutRegardToCase) {
    TempPrefix prefix;
    MakeDirs(prefix.path("drive_c/Program Files/Zelkora/Themes"));
    EXPECT_EQ(platform::MapPath("C:\\program files\\ZELKORA\\themes\\options.txt"),
              prefix.path("drive_c/Program Files/Zelkora/Themes/options.txt"));
    EXPECT_EQ(platform::MapPath("c:/Program Files/Zelkora/New/File.TXT"),
              prefix.path("drive_c/Program Files/Zelkora/New/File.TXT"));
    EXPECT_EQ(platform::MapPath("D:\\x"), prefix.path("drive_d/x"));
    EXPECT_EQ(platform::MapPath("/usr/bin/env"), "/usr/bin/env");
    EXPECT_EQ(platform::MapPath("C:\\a\\..\\Program Files\\.\\Zelkora"),
              prefix.path("drive_c/Program Files/Zelkora"));
}

TEST(CommandLine, ArgumentsSplitAsWindowsSplitsThem) {
    using V = std::vector<std::string>;
    EXPECT_EQ(platform::SplitArguments("/uninst"), V{"/uninst"});
    EXPECT_EQ(platform::SplitArguments(" a  \"b c\" d"), (V{"a", "b c", "d"}));
    EXPECT_EQ(platform::SplitArguments("a\\\\\\\"b c\\d"), (V{"a\\\"b", "c\\d"}));
    EXPECT_EQ(platform::SplitArguments("\"a\\\\\" b"), (V{"a\\", "b"}));
    EXPECT_EQ(platform::SplitArguments("\"say \"\"hi\"\"\""), V{"say \"hi\""});
    EXPECT_EQ(platform::SplitArguments(""), V{});
}

TEST(CommandLine, ProgramIsTheShortestPrefixThatNamesAFile) {
    TempPrefix prefix;
    WriteFile(prefix.path("drive_c/My Mods/Ocean Blue/setup.exe"), "#!/bin/sh\n");
    auto r = platform::ResolveCommandLine("C:\\My Mods\\Ocean Blue\\setup.exe /uninst");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->program, prefix.path("drive_c/My Mods/Ocean Blue/setup.exe"));
    EXPECT_EQ(r->args, std::vector<std::string>{"/uninst"});
    r = platform::ResolveCommandLine("\"C:\\My Mods\\Ocean Blue\\setup\" /a /b");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->args.size(), 2u);
    EXPECT_FALSE(platform::ResolveCommandLine("C:\\My Mods\\Gone\\setup.exe /uninst"));
    EXPECT_FALSE(platform::ResolveCommandLine("   "));
}

TEST(ShellLauncher, StartsTheProgramDetachedAndReportsOneThatCannotStart) {
    TempPrefix prefix;
    std::string mark = prefix.path("drive_c/mark.txt");
    WriteFile(prefix.path("drive_c/Un Install/setup.exe"),
              "#!/bin/sh\nsleep 1\necho \"$@\" > '" + mark + "'\n");
    std::filesystem::permissions(prefix.path("drive_c/Un Install/setup.exe"),
                                 std::filesystem::perms::owner_all);
    double pid = Interaction::Shell("C:\\Un Install\\setup.exe /uninst now", 1);
    EXPECT_GT(pid, 0);
    EXPECT_FALSE(FileExists(mark)); // started, not waited for
    EXPECT_EQ(WaitForLine(mark), "/uninst now\n");
    try {
        Interaction::Shell("C:\\Nowhere\\setup.exe /uninst", 1);
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.Number, 53);
        EXPECT_EQ(f.Description, "File not found");
    }
    WriteFile(prefix.path("drive_c/noexec/setup.exe"), "#!/bin/sh\n");
    std::filesystem::permissions(prefix.path("drive_c/noexec/setup.exe"),
                                 std::filesystem::perms::owner_read);
    EXPECT_THROW(Interaction::Shell("C:\\noexec\\setup.exe", 1), Failure);
}

} // namespace
