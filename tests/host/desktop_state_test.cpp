// What the desktop host is told to show, and how the shell tells it.
#include "host/desktop_state.h"
#include "platform/desktop_host.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class HostState : public ::testing::Test {
  protected:
    TempPrefix prefix;
    void SetUp() override { SetInstallation(); }
    void SetInstallation() {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1", 0, nullptr,
                                  0, KEY_SET_VALUE, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        const char path[] = "C:\\Zelkora\\";
        RegSetValueExA(k, "ApplicationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       sizeof path);
        RegCloseKey(k);
    }
    // want may hold one "*": any run of characters.
    static bool Matches(const std::string& got, const std::string& want) {
        size_t star = want.find('*');
        if (star == std::string::npos) return got == want;
        std::string head = want.substr(0, star), tail = want.substr(star + 1);
        return got.size() >= head.size() + tail.size() && got.rfind(head, 0) == 0 &&
               got.compare(got.size() - tail.size(), tail.size(), tail) == 0;
    }
    void Shell(const std::string& args) {
        ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell " + args), 0) << args;
    }
    void Apply(const std::string& wallpaper, DWORD flags = AD_APPLY_ALL) {
        CoInitialize(nullptr);
        void* p = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IActiveDesktop, &p),
                  S_OK);
        auto* ad = static_cast<IActiveDesktop*>(p);
        EXPECT_EQ(ad->SetWallpaper(platform::ToWide(wallpaper).c_str(), 0), S_OK);
        EXPECT_EQ(ad->ApplyChanges(flags), S_OK);
        ad->Release();
    }
};

TEST_F(HostState, PagesPicturesAndTheClassicWallpaper) {
    // A new prefix: the classic wallpaper, with none set.
    host::DesktopState d = host::ReadDesktopState();
    EXPECT_EQ(d.show, host::Show::Classic);
    EXPECT_EQ(d.classicPicture, "");

    // A page of the installation: the application scheme's address, in the
    // origin of its module; anything else gives the classic wallpaper and why.
    MakeDirs(prefix.path("drive_c/Zelkora/Modules/Sea/My Waves"));
    MakeDirs(prefix.path("drive_c/Elsewhere"));
    WriteFile(prefix.path("drive_c/Zelkora/Modules/Sea/My Waves/ZKRwaves.htm"), "<p>");
    WriteFile(prefix.path("drive_c/Elsewhere/ZKRx.htm"), "<p>");
    std::filesystem::create_directory_symlink(prefix.path("drive_c/Elsewhere"),
                                              prefix.path("drive_c/Zelkora/Modules/Sea/Linked"));
    struct PageCase {
        const char* wallpaper;
        host::Show show;
        const char* address; // or a part of the problem
    } pages[] = {
        {"C:\\zelkora\\modules\\sea\\my waves\\zkrwaves.htm", host::Show::Page,
         "zelkora://m-*/Modules/Sea/My%20Waves/ZKRwaves.htm"},
        {"file:///PREFIX/drive_c/Zelkora/Modules/Sea/My%20Waves/ZKRwaves.htm", host::Show::Page,
         "zelkora://m-*/Modules/Sea/My%20Waves/ZKRwaves.htm"},
        {"https://example.org/page.htm?x=1", host::Show::Page, "https://example.org/page.htm?x=1"},
        {"C:\\Zelkora\\Modules\\Sea\\My Waves\\ZKRgone.htm", host::Show::Classic,
         "does not exist"},
        {"C:\\Elsewhere\\ZKRx.htm", host::Show::Classic, "lies outside the installation"},
        {"C:\\Zelkora\\Modules\\Sea\\Linked\\ZKRx.htm", host::Show::Classic,
         "lies outside the installation"},
        {"ftp://example.org/ZKRx.htm", host::Show::Classic, "is of a kind the desktop does not show"},
    };
    for (const PageCase& c : pages) {
        std::string wallpaper = c.wallpaper;
        if (size_t at = wallpaper.find("/PREFIX"); at != std::string::npos)
            wallpaper.replace(at, 7, prefix.dir());
        SCOPED_TRACE(wallpaper);
        Apply(wallpaper);
        d = host::ReadDesktopState();
        EXPECT_EQ(d.show, c.show);
        std::string want = c.address;
        if (c.show == host::Show::Page) {
            EXPECT_TRUE(Matches(d.wallpaper, want)) << d.wallpaper;
            EXPECT_EQ(d.remote, want.rfind("https:", 0) == 0);
        } else {
            EXPECT_NE(d.problem.find(want), std::string::npos) << d.problem;
        }
    }
    // No installation set up: nothing of the machine is shown.
    WriteFile(prefix.path("registry.reg"), "Windows Registry Editor Version 5.00\r\n");
    Apply("C:\\Zelkora\\Modules\\Sea\\My Waves\\ZKRwaves.htm");
    EXPECT_EQ(host::ReadDesktopState().show, host::Show::Classic);
    SetInstallation();

    MakeDirs(prefix.path("drive_c/Pictures"));
    WriteFile(prefix.path("drive_c/Pictures/Sea.BMP"), "BM");
    Apply("c:\\pictures\\sea.bmp");
    d = host::ReadDesktopState();
    EXPECT_EQ(d.show, host::Show::Picture);
    EXPECT_EQ(d.wallpaper, prefix.path("drive_c/Pictures/Sea.BMP")); // mapped without regard to case

    // With the Active Desktop off, the classic wallpaper and its placement.
    Shell("active-desktop off");
    Shell("classic-wallpaper 'C:\\Pictures\\Sea.bmp'");
    struct Case {
        const char* style;
        const char* tile;
        host::Placement placement;
    } cases[] = {{"0", "1", host::Placement::Tile},
                 {"2", "1", host::Placement::Tile},
                 {"2", "0", host::Placement::Stretch},
                 {"0", "0", host::Placement::Centre}};
    for (auto c : cases) {
        Shell(std::string("tiling ") + c.style + " " + c.tile);
        d = host::ReadDesktopState();
        EXPECT_EQ(d.show, host::Show::Classic);
        EXPECT_EQ(d.classicPicture, prefix.path("drive_c/Pictures/Sea.BMP"));
        EXPECT_EQ(d.placement, c.placement) << c.style << " " << c.tile;
    }
}

TEST_F(HostState, EveryRefreshAndClassicChangeIsCountedForTheHost) {
    uint64_t before = platform::DesktopChangeCount();
    Apply("C:\\a\\ZKRa.htm", AD_APPLY_SAVE); // saved, not refreshed: the host is not told
    EXPECT_EQ(platform::DesktopChangeCount(), before);
    Apply("C:\\a\\ZKRa.htm");
    EXPECT_EQ(platform::DesktopChangeCount(), before + 1);
    Apply("C:\\a\\ZKRa.htm"); // the same address again still counts
    EXPECT_EQ(platform::DesktopChangeCount(), before + 2);
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>("C:\\x.bmp"),
                                      SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
    EXPECT_EQ(platform::DesktopChangeCount(), before + 3);
    // Tests start no host, display or not.
    EXPECT_FALSE(platform::StartDesktopHostIfNeeded());
    EXPECT_FALSE(platform::DesktopHostRunning());
    int lock = platform::TakeDesktopHostLock();
    ASSERT_GE(lock, 0);
    EXPECT_TRUE(platform::DesktopHostRunning());
    EXPECT_LT(platform::TakeDesktopHostLock(), 0); // a second host would end
}

} // namespace
