#include "desktop/kel_basActiveDesktop.h"
#include "desktop/zkr_basDeskTop.h"
#include "platform/posix/active_desktop_log.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace testing_support;
using Calls = std::vector<std::string>;

class Desktop : public ::testing::Test {
  protected:
    TempPrefix prefix;
    void SetUp() override {
        CoInitialize(nullptr);
        platform::ActiveDesktopCalls().clear();
    }
    void TearDown() override {
        CoUninitialize();
        EXPECT_EQ(platform::LiveActiveDesktopObjects(), 0) << "a shell object was not released";
    }
    void Tool(const std::string& args) {
        std::string out;
        ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell " + args, &out), 0)
            << args << ": " << out;
    }
    Calls TakeCalls() {
        Calls c = platform::ActiveDesktopCalls();
        platform::ActiveDesktopCalls().clear();
        return c;
    }
    std::string ShellIni() { return ReadFile(prefix.path("shell.ini")); }
};

TEST_F(Desktop, AppliedModuleRuleLooksAtTheFileNameOnly) {
    ScriptedMsgBox box;
    struct Case {
        const char* wallpaper;
        bool applied;
    } cases[] = {{"C:\\Mods\\Ocean\\ZKRwaves.htm", true},
                 {"C:\\ZKRMods\\waves.htm", false},
                 {"C:\\Mods\\ZKR", false},
                 {"C:\\Mods\\zkrwaves.htm", true},
                 {"", false},
                 {"zkr.htm", true},
                 {"C:/Mods/ZKRwaves.htm", false}};
    for (auto c : cases) {
        Tool("wallpaper " + ShellQuote(c.wallpaper));
        EXPECT_EQ(zkr_IsZKRModuleApplied(), c.applied) << c.wallpaper;
        EXPECT_EQ(zkr_IsZKRModulePage(c.wallpaper), c.applied) << c.wallpaper;
    }
}

TEST_F(Desktop, BeforeXPTheShellIsAskedAndAnOffDesktopIsLeftAlone) {
    ScriptedMsgBox box;
    Tool("version 5.0");
    Tool("wallpaper 'C:\\Mods\\ZKRwaves.htm'");
    EXPECT_TRUE(kel_IsActiveDesktopEnabled());
    EXPECT_EQ(TakeCalls(), (Calls{"CoCreateInstance", "GetDesktopItemOptions", "Release"}));
    Tool("active-desktop off");
    EXPECT_FALSE(kel_IsActiveDesktopEnabled());
    TakeCalls();
    std::string before = ShellIni();
    kel_RemoveWallPaper();
    EXPECT_EQ(TakeCalls(), (Calls{"CoCreateInstance", "GetDesktopItemOptions", "Release"}));
    EXPECT_EQ(ShellIni(), before);
    EXPECT_EQ(kel_GetWallPaper(), "");
    TakeCalls();
    EXPECT_TRUE(zkr_IsZKRModuleApplied()); // still asks the shell for the wallpaper
    EXPECT_EQ(TakeCalls(), (Calls{"CoCreateInstance", "GetWallpaper", "Release"}));
}

TEST_F(Desktop, FromXPOnTheDesktopIsTakenAsOnWithoutAsking) {
    ScriptedMsgBox box;
    for (const char* v : {"5.1", "6.1"}) {
        Tool(std::string("version ") + v);
        Tool("active-desktop off");
        Tool("wallpaper 'C:\\Mods\\ZKRwaves.htm'");
        TakeCalls();
        EXPECT_TRUE(kel_IsActiveDesktopEnabled());
        EXPECT_EQ(TakeCalls(), Calls{});
        EXPECT_EQ(kel_GetWallPaper(), "C:\\Mods\\ZKRwaves.htm");
        TakeCalls();
        kel_RemoveWallPaper();
        EXPECT_EQ(TakeCalls(),
                  (Calls{"CoCreateInstance", "SetWallpaper", "ApplyChanges(7)", "Release"}));
        EXPECT_EQ(kel_GetWallPaper(), "");
    }
}

TEST_F(Desktop, HomePageItemOneAtATimeByNameInAnyCase) {
    ScriptedMsgBox box;
    Tool("add-item 'My Current Home Page'");
    Tool("add-item 'Weather'");
    kel_RemoveMyHomePageComponent();
    Calls c = TakeCalls();
    EXPECT_EQ(c, (Calls{"CoCreateInstance", "GetDesktopItemCount", "GetDesktopItem(0)",
                        "RemoveDesktopItem", "ApplyChanges(7)", "Release"}));
    std::string ini = ShellIni();
    EXPECT_NE(ini.find("Count=2\r\nItem0=My Current Home Page\r\nItem1=Weather"), std::string::npos)
        << ini;
    kel_RemoveMyHomePageComponent();
    EXPECT_NE(ShellIni().find("Count=1\r\nItem0=Weather"), std::string::npos);
    Tool("clear-items");
    Tool("add-item 'My Current Home Page '");
    Tool("add-item 'my current home page'");
    TakeCalls();
    kel_RemoveMyHomePageComponent();
    EXPECT_EQ(TakeCalls(),
              (Calls{"CoCreateInstance", "GetDesktopItemCount", "GetDesktopItem(0)",
                     "GetDesktopItem(1)", "RemoveDesktopItem", "ApplyChanges(7)", "Release"}));
    EXPECT_NE(ShellIni().find("Count=1\r\nItem0=\"My Current Home Page \""), std::string::npos);
    kel_RemoveMyHomePageComponent(); // nothing left to remove: still applied
    EXPECT_EQ(TakeCalls().at(3), "ApplyChanges(7)");
    Tool("clear-items");
    TakeCalls();
    kel_RemoveMyHomePageComponent();
    EXPECT_EQ(TakeCalls(),
              (Calls{"CoCreateInstance", "GetDesktopItemCount", "ApplyChanges(7)", "Release"}));
}

TEST_F(Desktop, AFailingMemberStopsTheOperationAndLeavesTheFileAlone) {
    Tool("fail SetWallpaper 0x80004005");
    std::string before = ShellIni();
    ScriptedMsgBox box;
    box.Expect("Error: -2147467259 - Unspecified error", 16,
               "Zelkora Manager - kel_ApplyWallPaper ");
    kel_ApplyWallPaper("C:\\Mods\\ZKRx.htm");
    EXPECT_EQ(TakeCalls(), (Calls{"CoCreateInstance", "SetWallpaper", "Release"}));
    EXPECT_EQ(ShellIni(), before);
    Tool("clear-faults");
    Tool("fail ApplyChanges 0x80070005");
    before = ShellIni();
    box.Expect("Error: -2147024891 - Access is denied.", 16,
               "Zelkora Manager - kel_SetActiveDesktopDisabled ");
    kel_SetActiveDesktopDisabled();
    EXPECT_EQ(ShellIni(), before);
    Tool("clear-faults");
    Tool("fail GetWallpaper 0x80004005");
    box.Expect("Error: -2147467259 - Unspecified error", 16, "Zelkora Manager - kel_GetWallPaper ");
    EXPECT_EQ(kel_GetWallPaper(), "");
    box.Expect("Error: -2147467259 - Unspecified error", 16,
               "Zelkora Manager - zkr_IsZKRModuleApplied ");
    EXPECT_FALSE(zkr_IsZKRModuleApplied());
    Tool("version 5.0");
    Tool("fail GetDesktopItemOptions 0x80004005");
    box.Expect("Error: -2147467259 - Unspecified error", 16,
               "Zelkora Manager - kel_IsActiveDesktopEnabled ");
    EXPECT_FALSE(kel_IsActiveDesktopEnabled());
}

TEST_F(Desktop, MalformedOrUnreadableStateIsReportedNeverACrash) {
    WriteFile(prefix.path("shell.ini"),
              "[ActiveDesktop]\r\nEnabled=yes\r\n[System]\r\nVersion=6.1\r\n");
    ScriptedMsgBox box;
    box.Expect("Error: -2147024883 - The data is invalid.", 16,
               "Zelkora Manager - kel_GetWallPaper ");
    EXPECT_EQ(kel_GetWallPaper(), "");
    WriteFile(prefix.path("shell.ini"), "[DesktopItems]\r\nCount=3\r\nItem0=x\r\n");
    box.Expect("Error: -2147024883 - The data is invalid.", 16,
               "Zelkora Manager - kel_RemoveMyHomePageComponent ");
    kel_RemoveMyHomePageComponent();
    std::filesystem::remove(prefix.path("shell.ini"));
    MakeDirs(prefix.path("shell.ini")); // unreadable: refused as Windows refuses a folder
    box.Expect("Error: -2147024891 - Access is denied.", 16,
               "Zelkora Manager - zkr_IsZKRModuleApplied ");
    EXPECT_FALSE(zkr_IsZKRModuleApplied());
}

TEST_F(Desktop, WallpaperBufferHolds253Characters) {
    ScriptedMsgBox box;
    std::string longPath = "C:\\" + std::string(250, 'w');
    kel_ApplyWallPaper(longPath);
    EXPECT_EQ(kel_GetWallPaper(), longPath);
    kel_ApplyWallPaper(longPath + "tail");
    EXPECT_EQ(kel_GetWallPaper(), (longPath + "tail").substr(0, 253));
    kel_ApplyWallPaper("C:\\Thèmes\\ZKRété.htm");
    EXPECT_EQ(kel_GetWallPaper(), "C:\\Thèmes\\ZKRété.htm");
}

TEST_F(Desktop, ObjectsKeepTheirOwnCopyUntilSaved) {
    void* a = nullptr;
    void* b = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IActiveDesktop, &a),
              S_OK);
    auto* ad = static_cast<IActiveDesktop*>(a);
    EXPECT_EQ(ad->SetWallpaper(u"C:\\one.htm", 0), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IActiveDesktop, &b),
              S_OK);
    auto* other = static_cast<IActiveDesktop*>(b);
    char16_t buf[8];
    EXPECT_EQ(other->GetWallpaper(buf, 8, 0), S_OK);
    EXPECT_EQ(std::u16string(buf), u"");
    EXPECT_EQ(ad->ApplyChanges(AD_APPLY_REFRESH), S_OK); // no save, no write
    EXPECT_EQ(ShellIni().find("one.htm"), std::string::npos);
    EXPECT_EQ(ad->ApplyChanges(AD_APPLY_ALL), S_OK);
    EXPECT_NE(ShellIni().find("Wallpaper=C:\\one.htm"), std::string::npos);
    EXPECT_EQ(ad->GetWallpaper(buf, 5, 0), S_OK); // the caller's count, NUL included
    EXPECT_EQ(std::u16string(buf), u"C:\\o");
    COMPONENTSOPT co{};
    co.dwSize = 8;
    EXPECT_EQ(ad->GetDesktopItemOptions(&co, 0), E_INVALIDARG);
    COMPONENT comp{};
    comp.dwSize = sizeof comp;
    EXPECT_EQ(ad->GetDesktopItem(5, &comp, 0), E_INVALIDARG);
    EXPECT_EQ(ad->Release(), 0u);
    EXPECT_EQ(other->Release(), 0u);
}

TEST_F(Desktop, ComMustBeInitialisedOnTheThread) {
    std::thread t([] {
        ScriptedMsgBox box;
        box.Expect("Error: -2147221008 - CoInitialize has not been called.", 16,
                   "Zelkora Manager - kel_ApplyWallPaper ");
        kel_ApplyWallPaper("C:\\x.htm");
    });
    t.join();
}

TEST_F(Desktop, ClassicWallpaperTiledWithTheOtherValuesKept) {
    WriteRegistry(prefix,
                  "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"ScreenSaveActive\"=\"1\"\r\n"
                  "\"WallpaperStyle\"=\"2\"\r\n");
    ScriptedMsgBox box;
    kel_TileWallPaperO();
    kel_ApplyWallPaperO("C:\\Zelkora\\zelkora.bmp");
    std::string reg = ReadFile(prefix.path("registry.reg"));
    EXPECT_NE(reg.find("\"ScreenSaveActive\"=\"1\""), std::string::npos);
    EXPECT_NE(reg.find("\"WallpaperStyle\"=\"1\""), std::string::npos);
    EXPECT_NE(reg.find("\"TileWallpaper\"=\"1\""), std::string::npos);
    EXPECT_NE(reg.find("\"Wallpaper\"=\"C:\\\\Zelkora\\\\zelkora.bmp\""), std::string::npos);
    WriteRegistry(prefix, "[HKEY_CURRENT_USER\\Software]\r\n");
    std::string before = ReadFile(prefix.path("registry.reg"));
    kel_TileWallPaperO();
    kel_ApplyWallPaperO("C:\\Zelkora\\zelkora.bmp");
    EXPECT_EQ(ReadFile(prefix.path("registry.reg")), before);
}

TEST_F(Desktop, ShellToolShowsAndRefusesBadInput) {
    std::string out;
    Tool("tiling 1 1");
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell show", &out), 0);
    EXPECT_NE(out.find("active desktop: on"), std::string::npos);
    EXPECT_NE(out.find("tile wallpaper: 1"), std::string::npos);
    EXPECT_NE(out.find("0: My Current Home Page"), std::string::npos);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-shell active-desktop maybe", &out), 2);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-shell version five", &out), 2);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-shell remove-item 7", &out), 1);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-shell fail SetWallpaper 5", &out), 2);
}

} // namespace
