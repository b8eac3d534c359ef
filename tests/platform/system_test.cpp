#include "platform/posix/shell_state.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

void SetSystem(const TempPrefix& p, const std::string& version, const std::string& online) {
    WriteFile(p.path("shell.ini"), "[ActiveDesktop]\r\nEnabled=1\r\n[System]\r\nVersion=" +
                                       version + "\r\nOnline=" + online + "\r\n");
}

TEST(System, VersionComesFromTheShellState) {
    TempPrefix prefix;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u); // the defaults of a new prefix
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(ReadFile(prefix.path("shell.ini")), platform::DefaultShellIni());
    SetSystem(prefix, "6.1", "0");
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    OSVERSIONINFOA bad{};
    bad.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&bad));
    EXPECT_EQ(bad.dwMajorVersion, 0u);
}

} // namespace
