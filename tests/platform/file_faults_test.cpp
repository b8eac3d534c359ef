// The prefix's files under faults: a read error never wipes a file, writes
// leave no temporary files behind, and the registry is parsed once per change.
#include "platform/posix/active_desktop_log.h"
#include "platform/posix/shell_state.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Every read of the named file fails with EIO while it lives.
struct ReadFault {
    explicit ReadFault(const std::string& name, int e = EIO) {
        ::setenv("ZELKORA_READ_FAULT", (name + ":" + std::to_string(e)).c_str(), 1);
    }
    ~ReadFault() { ::unsetenv("ZELKORA_READ_FAULT"); }
};

// The names in a folder, other than the prefix's lock.
std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != ".lock") v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

class FileFaults : public ::testing::Test {
  protected:
    TempPrefix prefix;
    const std::string registry = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                 "\"Wallpaper\"=\"C:\\\\bmp\\\\zelkora.bmp\"\r\n"
                                 "\"TileWallpaper\"=\"1\"\r\n\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora\\Zelkora\\1]\r\n"
                                 "\"ApplicationPath\"=\"C:\\\\Zelkora\\\\\"\r\n";
    LONG SetTile(HKEY root, const char* sub) {
        HKEY k = root;
        if (sub) {
            LONG rc = RegOpenKeyExA(root, sub, 0, KEY_SET_VALUE, &k);
            if (rc != ERROR_SUCCESS) return rc;
        }
        LONG rc = RegSetValueExA(k, "TileWallpaper", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>("0"), 2);
        if (sub) RegCloseKey(k);
        return rc;
    }
};

TEST_F(FileFaults, ARegistryReadErrorFailsTheCallAndKeepsTheFile) {
    WriteFile(prefix.path("registry.reg"), registry);
    {
        ReadFault fault("registry.reg");
        EXPECT_EQ(SetTile(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_REGISTRY_IO_FAILED);
        EXPECT_EQ(SetTile(HKEY_CURRENT_USER, nullptr), ERROR_REGISTRY_IO_FAILED); // a root handle
        HKEY k;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &k, nullptr),
                  ERROR_REGISTRY_IO_FAILED);
        EXPECT_FALSE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>("x.bmp"),
                                           SPIF_UPDATEINIFILE));
    }
    {
        ReadFault fault("registry.reg", EACCES);
        HKEY k;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", 0, KEY_QUERY_VALUE, &k),
                  ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(ReadFile(prefix.path("registry.reg")), registry);
    EXPECT_EQ(SetTile(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
}

TEST_F(FileFaults, AShellReadErrorFailsTheShellAndKeepsTheFile) {
    std::string ini = "[ActiveDesktop]\r\nEnabled=1\r\nEnableComponents=1\r\nWallpaper=C:\\a\\"
                      "ZKRx.htm\r\n[DesktopItems]\r\nCount=0\r\n[System]\r\nVersion=5.1\r\n";
    WriteFile(prefix.path("shell.ini"), ini);
    ReadFault fault("shell.ini");
    CoInitialize(nullptr);
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IActiveDesktop, &p),
              static_cast<HRESULT>(0x8007001E));
    EXPECT_EQ(p, nullptr);
    platform::ShellState s;
    s.wallpaper = "";
    EXPECT_EQ(platform::SaveShellState(s), EIO);
    EXPECT_NE(RunCommand(ToolsDir() + "/zelkora-shell active-desktop off"), 0);
    EXPECT_EQ(ReadFile(prefix.path("shell.ini")), ini);
}

TEST_F(FileFaults, AProfileReadErrorFailsTheWriteAndTellsTheReader) {
    std::string path = prefix.path("drive_c/Zelkora/zelkora.ini");
    WriteFile(path, "[Options]\r\nExitAfterApply=1\r\nMinimizeAfterApply=1\r\n");
    ReadFault fault("zelkora.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("Options", "ExitAfterApply", "0",
                                            "C:\\Zelkora\\zelkora.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    char buf[16];
    EXPECT_EQ(GetPrivateProfileStringA("Options", "ExitAfterApply", "d", buf, sizeof buf,
                                       "C:\\Zelkora\\zelkora.ini"),
              1u);
    EXPECT_STREQ(buf, "d");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(ReadFile(path), "[Options]\r\nExitAfterApply=1\r\nMinimizeAfterApply=1\r\n");
}

TEST_F(FileFaults, WritesLeaveNoTemporaryFileAndClearOldOnes) {
    WriteFile(prefix.path("registry.reg"), registry);
    // What earlier versions left after kills, and what a kill in the moment
    // before the rename leaves now.
    WriteFile(prefix.path(".registry.reg.Ab12Cd"), "torn");
    WriteFile(prefix.path(".registry.reg.x9Y8z7"), "torn");
    WriteFile(prefix.path(".registry.reg.new"), "stale");
    WriteFile(prefix.path(".registry.reg.notes"), "not ours"); // not a temporary name
    ASSERT_EQ(SetTile(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    EXPECT_EQ(Names(prefix.dir()),
              (std::vector<std::string>{".registry.reg.notes", "drive_c", "registry.reg"}));
    EXPECT_NE(ReadFile(prefix.path("registry.reg")).find("\"TileWallpaper\"=\"0\""),
              std::string::npos);
    // The mode of the file is kept.
    fs::permissions(prefix.path("registry.reg"), fs::perms(0600));
    ASSERT_EQ(SetTile(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    EXPECT_EQ(fs::status(prefix.path("registry.reg")).permissions() & fs::perms::all,
              fs::perms(0600));
}

TEST_F(FileFaults, TheRegistryIsParsedOncePerChangeOfTheFile) {
    WriteFile(prefix.path("registry.reg"), registry);
    char buf[64];
    DWORD size = sizeof buf;
    auto query = [&] {
        size = sizeof buf;
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &k))
            return std::string("?");
        LONG rc = RegQueryValueExA(k, "TileWallpaper", nullptr, nullptr,
                                   reinterpret_cast<LPBYTE>(buf), &size);
        RegCloseKey(k);
        return rc == ERROR_SUCCESS ? std::string(buf) : std::string("?");
    };
    EXPECT_EQ(query(), "1");
    // Changed in place with the same size and time: the same file as far as
    // the stamp goes, so the parse already made is used.
    std::string path = prefix.path("registry.reg");
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    std::string changed = registry;
    changed.replace(changed.find("\"TileWallpaper\"=\"1\""), 19, "\"TileWallpaper\"=\"7\"");
    {
        FILE* f = std::fopen(path.c_str(), "r+b");
        std::fwrite(changed.data(), 1, changed.size(), f);
        std::fclose(f);
        timespec times[2] = {before.st_atim, before.st_mtim};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    EXPECT_EQ(query(), "1");
    // Replaced by another file of the same size and time: read again.
    std::string other = prefix.path("other.reg");
    WriteFile(other, changed);
    timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, other.c_str(), times, 0);
    fs::rename(other, path);
    EXPECT_EQ(query(), "7");
    // A write of our own is seen at once.
    ASSERT_EQ(SetTile(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    EXPECT_EQ(query(), "0");
}

} // namespace
