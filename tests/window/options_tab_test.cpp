// The Options tab: preferences, the desktop switch and the transparency file.
#include "window/manager_fixture.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace testing_support;

class Options : public ManagerTest {
  protected:
    std::string Ini() { return ReadFile(App("zelkora.ini")); }
    std::string OptionsFile() { return ReadFile(App("themes/options.txt")); }
};

TEST_F(Options, NoPreferencesFileStartsUncheckedAndTheFirstClickCreatesIt) {
    StandardCatalogue();
    Load();
    EXPECT_EQ(form->chkExitAfterApply.Value(), 0);
    EXPECT_EQ(form->chkMinimizeAfterApply.Value(), 0);
    EXPECT_FALSE(FileExists(App("zelkora.ini")));
    form->chkMinimizeAfterApply.UserToggle();
    EXPECT_EQ(Ini(), "[Options]\r\nMinimizeAfterApply=1\r\n");
    form->chkExitAfterApply.UserToggle();
    form->chkExitAfterApply.UserToggle();
    EXPECT_EQ(Ini(), "[Options]\r\nMinimizeAfterApply=1\r\nExitAfterApply=0\r\n");
}

TEST_F(Options, TheSoundSwitchIsOnUntilTheUserSwitchesItOff) {
    StandardCatalogue();
    Load();
    EXPECT_EQ(form->chkSound.Value(), 1);
    EXPECT_FALSE(FileExists(App("zelkora.ini")));
    form->chkSound.UserToggle();
    EXPECT_EQ(Ini(), "[Options]\r\nSound=0\r\n");
    Load();
    EXPECT_EQ(form->chkSound.Value(), 0);
    form->chkSound.UserToggle();
    EXPECT_EQ(Ini(), "[Options]\r\nSound=1\r\n");
}

TEST_F(Options, StoredValuesAreReadByTheirLeadingNumber) {
    StandardCatalogue();
    struct Case {
        const char* minimize;
        const char* exit;
        int m, e;
    } cases[] = {{"1", "0", 1, 0}, {"2", "1abc", 1, 1}, {"abc", "", 0, 0}, {" 7", "0x", 1, 0}};
    for (auto c : cases) {
        WriteFile(App("zelkora.ini"), std::string("[Options]\r\nMinimizeAfterApply=") + c.minimize +
                                          "\r\nExitAfterApply=" + c.exit + "\r\n");
        Load();
        EXPECT_EQ(form->chkMinimizeAfterApply.Value(), c.m) << c.minimize;
        EXPECT_EQ(form->chkExitAfterApply.Value(), c.e) << c.exit;
    }
    // Setting a box from the file writes its value back.
    EXPECT_NE(Ini().find("MinimizeAfterApply=1"), std::string::npos);
}

TEST_F(Options, TransparencyFileLineForTheSliderEndsAndSurvivesRestarts) {
    StandardCatalogue();
    Load();
    for (auto [slider, line] :
         {std::pair{1, "&utilTransparency=0&\r\n"}, std::pair{100, "&utilTransparency=99&\r\n"},
          std::pair{50, "&utilTransparency=49&\r\n"}}) {
        form->Slider1.UserSetValue(slider);
        form->cmdApplyTransparency.UserClick();
        EXPECT_EQ(OptionsFile(), line);
    }
    for (int restart = 0; restart < 4; ++restart) {
        Load();
        EXPECT_EQ(form->Slider1.Value(), 50);
        form->cmdApplyTransparency.UserClick();
        EXPECT_EQ(OptionsFile(), "&utilTransparency=49&\r\n");
    }
}

TEST_F(Options, TransparencyIsReadFromEitherLetterCaseAndFormsOfTheLine) {
    StandardCatalogue();
    std::filesystem::remove_all(App("themes"));
    WriteFile(App("THEMES/Options.txt"), "&utilTransparency=20&\r\n");
    Load();
    EXPECT_EQ(form->Slider1.Value(), 21);
    form->Slider1.UserSetValue(31);
    form->cmdApplyTransparency.UserClick();
    EXPECT_EQ(ReadFile(App("THEMES/Options.txt")), "&utilTransparency=30&\r\n");
    EXPECT_FALSE(FileExists(App("themes")));
    struct Case {
        const char* line;
        int16_t level;
    } cases[] = {
        {"&utilTransparency=100&", 0}, {"42", 42}, {"&a=5&b=7&", 5}, {"&x=49.5&", 50}, {"=abc", 0},
        {"&utilTransparency=-3&", 0}};
    for (auto c : cases) {
        WriteFile(App("THEMES/Options.txt"), std::string(c.line) + "\r\nsecond line\r\n");
        EXPECT_EQ(form->getModuleTransparency(), c.level) << c.line;
    }
}

TEST_F(Options, MissingOrEmptyOptionsFileIsReportedAndTheSliderStartsAtItsMinimum) {
    StandardCatalogue();
    std::filesystem::remove(App("themes/options.txt"));
    box->Expect("53 - File not found", 16, "Zelkora Manager - getModuleTransparency");
    Load();
    EXPECT_EQ(form->Slider1.Value(), 1);
    WriteFile(App("themes/options.txt"), "");
    box->Expect("62 - Input past end of file", 16, "Zelkora Manager - getModuleTransparency");
    EXPECT_EQ(form->getModuleTransparency(), 0);
}

TEST_F(Options, ApplyingTransparencyReappliesOnlyAModuleOnTheDesktopAndNeedsTheThemesFolder) {
    StandardCatalogue();
    Load();
    platform::ActiveDesktopCalls().clear();
    form->cmdApplyTransparency.UserClick();
    auto calls = platform::ActiveDesktopCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetWallpaper"), 0);
    EXPECT_EQ(Wallpaper(), "");
    Shell("wallpaper " + ShellQuote(ModuleUrl("Stars")));
    form->TreeView.UserClick(NodeOf("Waves Module"));
    platform::ActiveDesktopCalls().clear();
    form->chkMinimizeAfterApply.UserToggle();
    form->cmdApplyTransparency.UserClick();
    calls = platform::ActiveDesktopCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetWallpaper"), 2); // removed, applied again
    EXPECT_EQ(Wallpaper(), ModuleUrl("Stars")); // the module found on the desktop
    EXPECT_EQ(form->TreeView.SelectedItem()->Text(), "Stars Module");
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbMinimized);
    // Without the themes folder: reported, and nothing is reapplied.
    std::filesystem::remove_all(App("themes"));
    platform::ActiveDesktopCalls().clear();
    box->Expect("Error: 76 - Path not found", 16, title);
    form->cmdApplyTransparency.UserClick();
    EXPECT_TRUE(platform::ActiveDesktopCalls().empty());
    // The reader names the same failure for the same folder.
    box->Expect("76 - Path not found", 16, "Zelkora Manager - getModuleTransparency");
    EXPECT_EQ(form->getModuleTransparency(), 0);
}

TEST_F(Options, TheSwitchFollowsTheShellBothWaysBeforeAndFromXP) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Stars")));
    // From 5.1 on the version rule always answers "on"; before, the shell is asked.
    for (const char* version : {"5.0", "5.1"}) {
        Shell(std::string("version ") + version);
        Load();
        form->chkShowDeskTop.UserToggle();
        EXPECT_EQ(form->chkShowDeskTop.Value(), 0);
        EXPECT_FALSE(ActiveDesktopOn());
        EXPECT_EQ(Enabled(), "0010"); // nothing to apply to a desktop that is off
        form->chkShowDeskTop.UserToggle();
        EXPECT_EQ(form->chkShowDeskTop.Value(), 1);
        EXPECT_TRUE(ActiveDesktopOn());
        EXPECT_EQ(Enabled(), "1111");
        platform::ActiveDesktopCalls().clear();
        form->chkShowDeskTop.SetValue(1); // no change: no event, nothing asked
        EXPECT_TRUE(platform::ActiveDesktopCalls().empty());
        // Applying ticks the box and so switches a desktop that is off back on.
        form->chkShowDeskTop.UserToggle();
        form->TreeView.UserDblClick(NodeOf("Stars Module"));
        EXPECT_TRUE(ActiveDesktopOn()) << version;
        EXPECT_EQ(Wallpaper(), ModuleUrl("Stars"));
    }
}

} // namespace
