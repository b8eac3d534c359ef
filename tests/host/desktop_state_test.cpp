// What the desktop host is told to show, and how the shell tells it.
#include "host/desktop_state.h"
#include "platform/desktop_host.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class HostState : public ::testing::Test {
  protected:
    TempPrefix prefix;
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

    Apply("C:\\Zelkora\\Modules\\My Waves\\ZKRwaves.htm");
    d = host::ReadDesktopState();
    EXPECT_EQ(d.show, host::Show::Page);
    EXPECT_EQ(d.wallpaper, "file://" + prefix.dir() + "/drive_c/Zelkora/Modules/My%20Waves/ZKRwaves.htm");

    Apply("https://example.org/page.htm?x=1");
    EXPECT_EQ(host::ReadDesktopState().wallpaper, "https://example.org/page.htm?x=1");

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

TEST_F(HostState, AGarbageShellStateShowsTheClassicWallpaperAndSaysWhy) {
    WriteFile(prefix.path("shell.ini"), "[ActiveDesktop]\r\nEnabled=perhaps\r\n");
    host::DesktopState d = host::ReadDesktopState();
    EXPECT_EQ(d.show, host::Show::Classic);
    EXPECT_NE(d.problem, "");
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
