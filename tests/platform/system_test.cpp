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

TEST(System, OnlineSwitch) {
    TempPrefix prefix;
    DWORD flags = 0;
    SetSystem(prefix, "5.1", "1");
    EXPECT_EQ(InternetGetConnectedState(&flags, 0), 1);
    SetSystem(prefix, "5.1", "0");
    EXPECT_EQ(InternetGetConnectedState(&flags, 0), 0);
    SetSystem(prefix, "5.1", "auto");
    BOOL probed = InternetGetConnectedState(&flags, 0);
    EXPECT_TRUE(probed == 0 || probed == 1);
}

TEST(System, DeskWallpaperIsStoredUnderTheDesktopKey) {
    TempPrefix prefix;
    WriteRegistry(prefix,
                  "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"TileWallpaper\"=\"0\"\r\n");
    char path[] = "C:\\Zelkora\\zelkora.bmp";
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path,
                                      SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
    std::string reg = ReadFile(prefix.path("registry.reg"));
    EXPECT_NE(reg.find("\"Wallpaper\"=\"C:\\\\Zelkora\\\\zelkora.bmp\""), std::string::npos);
    EXPECT_NE(reg.find("\"TileWallpaper\"=\"0\""), std::string::npos);
}

} // namespace
