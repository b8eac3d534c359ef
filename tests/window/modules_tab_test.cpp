// The Manager driven as a user drives it: start-up, the module tree, preview
// and command state, applying and removing modules.
#include "window/manager_fixture.h"

#include <nlohmann/json.hpp>

namespace {

using namespace testing_support;

const char* kAskActiveDesktop =
    "Active Desktop is required to run Zelkora.  Would you like to enable the Active Desktop?";

TEST_F(ManagerTest, StartsOnTheModulesTabWithTheFirstThemeSelected) {
    StandardCatalogue();
    Load();
    ASSERT_EQ(form->TreeView.Count(), 5);
    EXPECT_EQ(form->SSTab1.Tab(), 0);
    EXPECT_EQ(form->TreeView.SelectedItem()->Index(), 1);
    EXPECT_EQ(form->TreeView.Nodes(1).Text(), "Ocean Theme");
    EXPECT_TRUE(form->TreeView.Nodes(1).Expanded());
    EXPECT_EQ(form->TreeView.Nodes(1).Image, 1);
    EXPECT_EQ(form->TreeView.Nodes(1).ExpandedImage, 2);
    EXPECT_EQ(form->TreeView.Nodes(3).Parent(), 1); // Waves under Ocean
    EXPECT_EQ(form->TreeView.Nodes(3).Image, 3);
    EXPECT_EQ(form->TreeView.Nodes(3).SelectedImage, 4);
    EXPECT_EQ(form->TreeView.Nodes(5).Parent(), 2);
    EXPECT_EQ(form->TreeView.Style(), 7);
    EXPECT_EQ(form->chkShowDeskTop.Value(), 1);
    EXPECT_EQ(Enabled(), "0001"); // a theme: only the transparency
    EXPECT_FALSE(form->ModuleApplied);
    EXPECT_EQ(form->wbModuleCopyright.LocationURL(), "C:\\Zelkora\\defaultmodulecopyright.htm");
    EXPECT_EQ(form->wbBanner.LocationURL(), "C:\\Zelkora\\defaultad.htm");
    EXPECT_EQ(form->wbHelp.LocationURL(), "C:\\Zelkora\\defaulthelp.htm");
    EXPECT_EQ(form->wbUpdate.LocationURL(), "C:\\Zelkora\\defaultupdate.htm");
    EXPECT_EQ(form->Slider1.Value(), 50);
}

TEST_F(ManagerTest, ActiveDesktopOffAnsweredNoOrYes) {
    StandardCatalogue();
    Shell("version 5.0");
    for (int answer : {vbNo, vbYes}) {
        Shell("active-desktop off");
        box->Expect(kAskActiveDesktop, 36, title, answer);
        Load();
        bool yes = answer == vbYes;
        // The box shows the desktop as the answer left it, and the commands follow it.
        EXPECT_EQ(ActiveDesktopOn(), yes);
        EXPECT_EQ(form->chkShowDeskTop.Value(), yes ? 1 : 0);
        EXPECT_EQ(form->TreeView.SelectedItem()->Index(), 1); // nothing selected by the sync
        EXPECT_EQ(Enabled(), yes ? "0001" : "0000");
        std::string ini = ReadFile(prefix.path("shell.ini"));
        EXPECT_EQ(ini.find("Item0=My Current Home Page") != std::string::npos, !yes) << ini;
    }
    form->TreeView.UserClick(NodeOf("Stars Module"));
    EXPECT_EQ(Enabled(), "1011");
}

TEST_F(ManagerTest, AModuleOnTheDesktopIsSelectedAndTheCommandsFollowTheNode) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote("D:\\elsewhere\\zkrREEF.HTM")); // only the file name counts
    Load();
    int reef = NodeOf("Reef Module");
    EXPECT_EQ(form->TreeView.SelectedItem()->Index(), reef);
    EXPECT_TRUE(form->ModuleApplied);
    EXPECT_EQ(form->CurrentModuleURL, ModuleUrl("Reef"));
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Reef/preview.bmp"));
    EXPECT_EQ(form->wbModuleCopyright.LocationURL(), "C:\\Zelkora\\Modules\\Reef\\copyright.htm");
    EXPECT_EQ(form->wbBanner.LocationURL(), "C:\\Zelkora\\defaultad.htm"); // offline
    EXPECT_EQ(Enabled(), "1111");
    form->TreeView.UserClick(NodeOf("Waves Module"));
    EXPECT_EQ(Enabled(), "1011");
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Waves/preview.bmp"));
    // The commands follow the node and the desktop switch.
    struct Case {
        const char* node;
        int showDesktop;
        const char* enabled;
    } cases[] = {{"Ocean Theme", 1, "0001"}, {"Ocean Theme", 0, "0000"},
                 {"Reef Module", 1, "1111"}, {"Reef Module", 0, "0010"},
                 {"Waves Module", 1, "1011"}, {"Waves Module", 0, "0010"}};
    for (auto c : cases) {
        form->chkShowDeskTop.SetValue(c.showDesktop);
        form->TreeView.UserClick(NodeOf(c.node));
        EXPECT_EQ(Enabled(), c.enabled) << c.node << " " << c.showDesktop;
    }
}

TEST_F(ManagerTest, ApplyByButtonSwitchesTheDesktopOnAndSetsTheWallpaper) {
    StandardCatalogue();
    Shell("version 5.0");
    Shell("active-desktop off");
    box->Expect(kAskActiveDesktop, 36, title, vbNo);
    Load();
    form->TreeView.UserClick(NodeOf("Stars Module"));
    EXPECT_EQ(Enabled(), "0010");
    form->cmdApply.SetEnabled(true); // a user cannot press it now; the logic still copes
    form->cmdApply.UserClick();
    EXPECT_EQ(form->chkShowDeskTop.Value(), 1);
    EXPECT_TRUE(ActiveDesktopOn());
    EXPECT_EQ(Wallpaper(), ModuleUrl("Stars"));
    EXPECT_EQ(Enabled(), "1111");
    form->cmdRemove.UserClick();
    EXPECT_EQ(Wallpaper(), "");
    EXPECT_FALSE(form->ModuleApplied);
    EXPECT_EQ(form->CurrentModuleURL, ModuleUrl("Stars"));
    EXPECT_EQ(Enabled(), "1011");
}

TEST_F(ManagerTest, ApplyByDoubleClickNotOnAThemeAndByKeyboardSelection) {
    StandardCatalogue();
    Load();
    form->TreeView.UserDblClick(NodeOf("Space Theme"));
    EXPECT_EQ(Wallpaper(), "");
    form->TreeView.UserDblClick(NodeOf("Reef Module"));
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Reef/preview.bmp"));
    EXPECT_EQ(Enabled(), "1111");
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbNormal);
    // A keyboard selection acts as a click: Apply acts on the node looked at.
    form->TreeView.UserKeyboardSelect(NodeOf("Waves Module"));
    EXPECT_EQ(Enabled(), "1011");
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Waves/preview.bmp"));
    form->cmdApply.UserClick();
    EXPECT_EQ(Wallpaper(), ModuleUrl("Waves"));
    form->TreeView.UserKeyboardSelect(NodeOf("Ocean Theme"));
    EXPECT_EQ(Enabled(), "0001");
}

TEST_F(ManagerTest, MinimiseAfterApplyAndExitAfterApplyWhichEndsFirst) {
    StandardCatalogue();
    Load();
    form->chkMinimizeAfterApply.UserToggle();
    form->TreeView.UserClick(NodeOf("Reef Module"));
    form->cmdApply.UserClick();
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbMinimized);
    form->Me.SetWindowState(toolkit::vbNormal);
    form->chkExitAfterApply.UserToggle();
    EXPECT_THROW(form->TreeView.UserDblClick(NodeOf("Waves Module")), EndCalled);
    EXPECT_EQ(Wallpaper(), ModuleUrl("Waves"));
    EXPECT_EQ(form->Me.WindowState(), toolkit::vbNormal); // ended before minimising
}

TEST_F(ManagerTest, ExitAfterApplyEndsTheRealProcess) {
    StandardCatalogue();
    Load();
    form->chkExitAfterApply.UserToggle();
    SetEndHandler(nullptr);
    EXPECT_EXIT(form->TreeView.UserDblClick(NodeOf("Waves Module")), ::testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(Wallpaper(), ModuleUrl("Waves")); // applied by the process that ended
}

TEST_F(ManagerTest, ARefusedWallpaperIsNotTakenForApplied) {
    StandardCatalogue();
    Load();
    form->chkExitAfterApply.UserToggle();
    Shell("fail SetWallpaper 0x80004005");
    box->Expect("Error: -2147467259 - Unspecified error", 16,
                "Zelkora Manager - kel_ApplyWallPaper ");
    form->TreeView.UserDblClick(NodeOf("Waves Module")); // no end: nothing was applied
    EXPECT_FALSE(form->ModuleApplied);
    EXPECT_EQ(form->CurrentModuleURL, "");
}

TEST_F(ManagerTest, PreviewHintForAModuleWithoutPicture) {
    StandardCatalogue();
    cat.AddModule("Bare", "Space", "Bare Module",
                  "--url " + ShellQuote(ModuleUrl("Bare")) + " --set ModulePreviewPath=");
    cat.AddModule("Nullish", "Space", "Null Module");
    Shell("wallpaper " + ShellQuote(ModuleUrl("Bare")));
    // On the desktop at start: only the hint, no failure report, no picture.
    box->Expect("Select an Zelkora module by double clicking the folders on the left.", 64, title);
    Load();
    box->Verify();
    EXPECT_EQ(form->TreeView.SelectedItem()->Text(), "Bare Module");
    EXPECT_TRUE(form->pctModule.GetPicture().empty());
    form->TreeView.UserClick(NodeOf("Stars Module"));
    box->Expect("Select an Zelkora module by double clicking the folders on the left.", 64, title);
    form->TreeView.UserClick(NodeOf("Bare Module"));
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Stars/preview.bmp"));
    box->Expect("Error: 53 - File not found", 16, "Zelkora Manager - zkr_UpdateModulePreview ");
    form->TreeView.UserClick(NodeOf("Null Module")); // a Null path reads as " "
    box->Verify();
    WriteFile(App("Modules/Stars/preview.bmp"), "not a picture");
    box->Expect("Error: 481 - Invalid picture", 16, "Zelkora Manager - zkr_UpdateModulePreview ");
    form->TreeView.UserClick(NodeOf("Stars Module"));
}

TEST_F(ManagerTest, OnlinePreviewSendsTheBannerAndStartNavigatesToTheVendor) {
    StandardCatalogue();
    Shell("online 1");
    Load();
    const auto& history = form->wbBanner.History();
    ASSERT_GE(history.size(), 2u);
    EXPECT_EQ(history[history.size() - 2], "C:\\Zelkora\\defaultad.htm");
    EXPECT_EQ(history.back(), kVendorBannerUrl);
    form->TreeView.UserClick(NodeOf("Waves Module"));
    EXPECT_EQ(form->wbBanner.LocationURL(), "http://www.zelkora.example/Waves");
}

TEST_F(ManagerTest, EmptyCatalogueShowsTheUpdateTabAndTilesTheProductBitmap) {
    Load();
    EXPECT_EQ(form->SSTab1.Tab(), 2);
    EXPECT_EQ(form->TreeView.Count(), 0);
    EXPECT_FALSE(form->cmdApply.Enabled());
    EXPECT_FALSE(form->cmdRemove.Enabled());
    EXPECT_FALSE(form->cmdRemoveNode.Enabled());
    std::string reg = ReadFile(prefix.path("registry.reg"));
    EXPECT_NE(reg.find("\"WallpaperStyle\"=\"1\""), std::string::npos);
    EXPECT_NE(reg.find("\"TileWallpaper\"=\"1\""), std::string::npos);
    EXPECT_NE(reg.find("\"Wallpaper\"=\"C:\\\\Zelkora\\\\zelkora.bmp\""), std::string::npos);
}

TEST_F(ManagerTest, RefreshRebuildsTheSameTreeAndClearsThePicture) {
    StandardCatalogue();
    Load();
    form->TreeView.UserClick(NodeOf("Waves Module"));
    EXPECT_FALSE(form->pctModule.GetPicture().empty());
    form->cmdRefresh.UserClick();
    EXPECT_EQ(form->TreeView.Count(), 5);
    EXPECT_TRUE(form->pctModule.GetPicture().empty());
    EXPECT_EQ(form->wbModuleCopyright.LocationURL(), "C:\\Zelkora\\Modules\\Waves\\copyright.htm");
    cat.AddTheme("Forest", "Forest Theme");
    form->cmdRefresh.UserClick();
    EXPECT_EQ(form->TreeView.Count(), 6);
    EXPECT_EQ(form->TreeView.Nodes(3).Text(), "Forest Theme"); // themes first, as loaded
}

TEST_F(ManagerTest, ABrokenTreeIsReportedByTheLoadOrTheRefresh) {
    StandardCatalogue();
    cat.Sql("INSERT INTO tblThemes VALUES ('Waves', 'Duplicate', 100)"); // a key used twice
    box->Expect("Error: 35602 - Key is not unique in collection", 16, "Zelkora Manager - Form_Load ");
    Load();
    EXPECT_EQ(form->lblVersion.Caption(), "lblVersion"); // the later steps were skipped
    EXPECT_EQ(form->wbHelp.LocationURL(), "");
    cat.Sql("DELETE FROM tblThemes WHERE ThemeTreeText = 'Duplicate'");
    cat.Sql("UPDATE tblModules SET ModuleThemeKey = 'Gone' WHERE ModuleKey = 'Stars'");
    box->Expect("Error: 35601 - Element not found", 16, "Zelkora Manager - cmdRefresh_Click ");
    form->cmdRefresh.UserClick();
}

TEST_F(ManagerTest, TheFilterShowsMatchesUnderTheirThemesAndApplyStillWorks) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Waves")));
    Load();
    auto shown = [this] {
        std::string s;
        for (int i = 1; i <= form->TreeView.Count(); ++i)
            s += form->TreeView.Nodes(i).Text() + (form->TreeView.Nodes(i).Bold() ? "*" : "") + ";";
        return s;
    };
    struct Case {
        const char* filter;
        const char* nodes; // the one on the desktop marked *
        const char* chosen;
    } cases[] = {
        {"reef", "Ocean Theme;Reef Module;", "Reef Module"},
        {"SPACE", "Space Theme;Stars Module;", "Stars Module"}, // the theme's, all its modules
        {"w", "Ocean Theme;Waves Module*;", "Waves Module"},
        {"nothing like it", "", ""},
        {"", "Ocean Theme;Space Theme;Waves Module*;Reef Module;Stars Module;", "Waves Module"},
    };
    for (const auto& c : cases) {
        form->txtFilter.UserSetText(c.filter);
        EXPECT_EQ(shown(), c.nodes) << c.filter;
        auto* chosen = form->TreeView.SelectedItem();
        EXPECT_EQ(chosen ? chosen->Text() : "", c.chosen) << c.filter;
    }
    EXPECT_EQ(form->pctModule.GetPicture().native, App("Modules/Waves/preview.bmp"));
    // Filtered, the keyboard's selection and Apply act on what is shown.
    form->txtFilter.UserSetText("s"); // Space Theme, and Waves and Stars
    form->TreeView.UserKeyboardSelect(NodeOf("Stars Module"));
    form->cmdApply.UserClick();
    EXPECT_EQ(Wallpaper(), ModuleUrl("Stars"));
    EXPECT_TRUE(form->TreeView.Nodes(NodeOf("Stars Module")).Bold());
    // A refresh keeps the filter.
    form->cmdRefresh.UserClick();
    EXPECT_EQ(form->TreeView.Count(), 4) << shown();
}

TEST_F(ManagerTest, ThePlaylistIsMadeFromTheTreeAndKeptInThePrefix) {
    StandardCatalogue();
    Load();
    auto file = [this] { return ReadFile(prefix.path("playlist.txt")); };
    EXPECT_EQ(form->lstPlaylist.ListCount(), 0);
    EXPECT_EQ(form->chkPlaylist.Value(), 0);
    // No interval yet: the Add says what to type.
    form->TreeView.UserClick(NodeOf("Waves Module"));
    box->Expect("Type how often the module changes (30s, 10m or 2h), or the time of day from "
                "which this module shows (07:30).",
                vbExclamation, title);
    form->cmdPlaylistAdd.UserClick();
    box->Verify();
    form->txtPlaylistWhen.UserSetText("10m");
    for (const char* m : {"Waves Module", "Stars Module", "Reef Module"}) {
        form->TreeView.UserClick(NodeOf(m));
        form->cmdPlaylistAdd.UserClick();
    }
    form->chkPlaylist.UserToggle();
    form->chkPlaylistShuffle.UserToggle();
    form->txtPlaylistWhen.UserSetText("2h");
    form->lstPlaylist.UserSelect(1);
    form->cmdPlaylistRemove.UserClick();
    EXPECT_EQ(file(), "on=1\nevery=7200\nshuffle=1\nmodule=Ocean Theme/Waves Module\n"
                      "module=Ocean Theme/Reef Module\ncurrent=-1\nlast=0\n");
    // A time of day with entries by interval is refused; taken out, the playlist
    // goes by time of day.
    form->txtPlaylistWhen.UserSetText("07:30");
    box->Expect("A playlist goes either every so often or by time of day: take its entries out "
                "to change how it goes.",
                vbExclamation, title);
    form->cmdPlaylistAdd.UserClick();
    box->Verify();
    for (int i = 0; i < 2; ++i) {
        form->lstPlaylist.UserSelect(0);
        form->cmdPlaylistRemove.UserClick();
    }
    form->TreeView.UserClick(NodeOf("Stars Module"));
    form->cmdPlaylistAdd.UserClick();
    // The next start shows it as it was left.
    Load();
    EXPECT_EQ(form->chkPlaylist.Value(), 1);
    ASSERT_EQ(form->lstPlaylist.ListCount(), 1);
    EXPECT_EQ(form->lstPlaylist.List(0), "07:30 Space Theme/Stars Module");
}

TEST_F(ManagerTest, CustomiseShowsTheModulesPropertiesAndStoresWhatTheUserSets) {
    StandardCatalogue();
    WavesProperties();
    Load();
    auto stored = [this] { return ReadFile(prefix.path("properties.json")); };
    form->TreeView.UserClick(NodeOf("Stars Module"));
    EXPECT_FALSE(form->cmdCustomise.Enabled()); // it declares none
    form->TreeView.UserClick(NodeOf("Waves Module"));
    ASSERT_TRUE(form->cmdCustomise.Enabled());
    form->cmdCustomise.UserClick();
    EXPECT_TRUE(form->frmCustomise.Visible());
    EXPECT_EQ(form->frmCustomise.Caption(), "Customise Waves Module");
    auto& c = form->PropertyControls;
    ASSERT_EQ(c.size(), 6u);
    auto* sea = dynamic_cast<toolkit::TextBox*>(c[0].control.get());
    auto* speed = dynamic_cast<toolkit::Slider*>(c[2].control.get());
    auto* sun = dynamic_cast<toolkit::CheckBox*>(c[3].control.get());
    auto* size = dynamic_cast<toolkit::ListBox*>(c[4].control.get());
    auto* words = dynamic_cast<toolkit::TextBox*>(c[5].control.get());
    ASSERT_TRUE(sea && speed && sun && size && words);
    // A heading is shown, and is no setting.
    EXPECT_EQ(c[1].control->Caption(), "Motion");
    EXPECT_EQ(dynamic_cast<toolkit::TextBox*>(c[1].control.get()), nullptr);
    // The defaults, shown without storing anything.
    EXPECT_EQ(sea->Text(), "#16638f");
    EXPECT_EQ(speed->Value(), 1);
    EXPECT_EQ(speed->Max(), 3);
    EXPECT_EQ(sun->Value(), 1);
    EXPECT_EQ(size->ListIndex(), 0);
    EXPECT_EQ(words->Text(), "hi");
    EXPECT_EQ(stored(), "");
    sea->UserSetText("#2A9D8F");
    speed->UserSetValue(3);
    sun->UserToggle();
    size->UserSelect(1);
    words->UserSetText("waves");
    const std::string all =
        R"({"Modules/Waves":{"sea":"#2a9d8f","size":"Large","speed":2.0,"sun":false,"words":"waves"}})";
    EXPECT_EQ(nlohmann::json::parse(stored()).dump(), all);
    // What the module refuses is said, and nothing is stored.
    words->UserSetText("the sea");
    sea->UserSetText("#2a9");
    EXPECT_EQ(form->lblStatus.Caption(), "Sea: it is a colour as #rrggbb.");
    EXPECT_EQ(nlohmann::json::parse(stored()).dump(), all);
    // Shown again as stored; Restore defaults forgets them.
    form->frmCustomise.SetVisible(false);
    form->cmdCustomise.UserClick();
    EXPECT_EQ(sea->Text(), "#2a9d8f");
    EXPECT_EQ(speed->Value(), 3);
    form->cmdRestoreDefaults.UserClick();
    EXPECT_EQ(nlohmann::json::parse(stored()).dump(), "{}");
    EXPECT_EQ(sun->Value(), 1);
    EXPECT_EQ(words->Text(), "hi");
    // A module without properties closes it.
    form->TreeView.UserClick(NodeOf("Reef Module"));
    EXPECT_FALSE(form->frmCustomise.Visible());
    EXPECT_TRUE(form->PropertyControls.empty());
}

} // namespace
