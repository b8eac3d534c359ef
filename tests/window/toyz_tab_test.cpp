// The Toyz tab: the lists and their buttons, binding, and uninstalling a toy.
#include "catalogue/zkr_basToyz.h"
#include "window/manager_fixture.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace testing_support;

class Toyz : public ManagerTest {
  protected:
    void AddToy(const std::string& key, const std::string& text, const std::string& opts = "") {
        std::string dir = "ZelToyz/" + key + "/";
        WriteFile(App(dir + "preview.bmp"), TinyBmp(2, 2));
        cat.AddToy(
            key, text,
            "--preview " + ShellQuote(std::string(AP) + "ZelToyz\\" + key + "\\preview.bmp") +
                " --copyright-url " + ShellQuote("ZelToyz\\" + key + "\\copyright.htm") +
                " --uninstall " + ShellQuote(std::string(AP) + "ZelToyz\\" + key) + " " + opts);
    }
    void FiveToyz() {
        AddToy("clock", "Clock");
        AddToy("notes", "Notes", "--active");
        AddToy("weather", "Weather", "--locked");
        AddToy("stocks", "Stocks");
        AddToy("moon", "Moon Phase");
    }
    // "ApplyToyz Down Up Uninstall" as flags, e.g. "1101".
    std::string Buttons() {
        std::string s;
        for (auto* b : {&form->cmdApplyToyz, &form->cmdDown, &form->cmdUp, &form->cmdUninstallToy})
            s += b->Enabled() ? '1' : '0';
        return s;
    }
    std::vector<std::string> Items(const toolkit::ListBox& l) {
        std::vector<std::string> v;
        for (int i = 0; i < l.ListCount(); ++i)
            v.push_back(l.List(i));
        return v;
    }
    std::string Binding() { return ReadFile(App("ZelToyz/ZelToyz.txt")); }
    using V = std::vector<std::string>;
};

TEST_F(Toyz, RefreshFillsBothListsAndSetsTheButtons) {
    Load(); // an empty catalogue disables everything but the refresh
    EXPECT_EQ(form->lstToyz.ListCount(), 0);
    EXPECT_EQ(Buttons(), "0000");
    EXPECT_TRUE(form->pctToy.GetPicture().empty());
    EXPECT_EQ(form->wbToyCopyright.LocationURL(), "C:\\Zelkora\\defaulttoyzcopyright.htm");
    EXPECT_TRUE(form->cmdRefreshToyzList.Enabled());
    FiveToyz();
    form->cmdRefreshToyzList.UserClick();
    EXPECT_EQ(Items(form->lstToyz), (V{"Clock", "Notes", "Weather", "Stocks", "Moon Phase"}));
    EXPECT_EQ(Items(form->lstActiveToyz), V{"Notes"});
    EXPECT_EQ(AppState.ActiveToyCount, 1);
    EXPECT_EQ(form->lstToyz.ListIndex(), 0);
    EXPECT_EQ(form->lstActiveToyz.ListIndex(), 0);
    EXPECT_EQ(Buttons(), "1111");
    EXPECT_EQ(form->pctToy.GetPicture().native, App("ZelToyz/clock/preview.bmp"));
    EXPECT_EQ(form->wbToyCopyright.LocationURL(), "C:\\Zelkora\\ZelToyz\\clock\\copyright.htm");
    form->lstToyz.UserSelect(1); // Notes is active already
    EXPECT_EQ(Buttons(), "1011");
    form->lstToyz.UserSelect(2); // Weather is locked
    EXPECT_EQ(Buttons(), "1110");
}

TEST_F(Toyz, AtMostThreeActiveToyz) {
    FiveToyz();
    Load();
    form->lstToyz.UserSelect(0);
    form->cmdDown.UserClick();
    EXPECT_EQ(Items(form->lstActiveToyz), (V{"Notes", "Clock"}));
    EXPECT_FALSE(form->cmdDown.Enabled());
    EXPECT_EQ(form->lstActiveToyz.ListIndex(), 0); // the new entry is not selected
    form->lstToyz.UserSelect(3);
    form->cmdDown.UserClick();
    EXPECT_EQ(AppState.ActiveToyCount, 3);
    form->lstToyz.UserSelect(4);
    box->Expect("Zelkora has a maximum of 3 active toys.", 48, title);
    form->cmdDown.UserClick();
    EXPECT_EQ(Items(form->lstActiveToyz), (V{"Notes", "Clock", "Stocks"}));
    form->lstActiveToyz.UserSelect(1);
    form->cmdUp.UserClick();
    EXPECT_EQ(Items(form->lstActiveToyz), (V{"Notes", "Stocks"}));
    EXPECT_EQ(form->lstActiveToyz.ListIndex(), 0);
    EXPECT_EQ(AppState.ActiveToyCount, 2);
    form->cmdDown.UserClick(); // Moon Phase is still selected above
    EXPECT_EQ(Items(form->lstActiveToyz), (V{"Notes", "Stocks", "Moon Phase"}));
    // A refresh drops the edits that were not applied; the last one removed disables Up.
    form->cmdRefreshToyzList.UserClick();
    EXPECT_EQ(Items(form->lstActiveToyz), V{"Notes"});
    form->cmdUp.UserClick();
    EXPECT_EQ(AppState.ActiveToyCount, 0);
    EXPECT_FALSE(form->cmdUp.Enabled());
}

TEST_F(Toyz, SameTextLockedPictureAndCopyrightRules) {
    AddToy("clock1", "Clock", "--active");
    AddToy("clock2", "Clock");
    AddToy("bare", "Bare", "--set ToyPreviewPath= --set ToyCopyrightURL=");
    AddToy("blank", "Blank", "--null ToyCopyrightURL --set ToyPreviewPath=");
    Load();
    form->lstToyz.UserSelect(1); // the other Clock: the active one has the same text
    EXPECT_FALSE(form->cmdDown.Enabled());
    form->lstToyz.UserSelect(2);
    EXPECT_EQ(form->pctToy.GetPicture().native, App("ZelToyz/clock2/preview.bmp")); // kept
    EXPECT_EQ(form->wbToyCopyright.LocationURL(), "C:\\Zelkora\\defaulttoyzcopyright.htm");
    form->lstToyz.UserSelect(3); // a Null URL is a single space: the default page
    EXPECT_EQ(form->wbToyCopyright.LocationURL(), "C:\\Zelkora\\defaulttoyzcopyright.htm");
}

TEST_F(Toyz, ANullPreviewPathEndsTheRefreshWithItsReport) {
    AddToy("a", "Alpha", "--null ToyPreviewPath --active");
    box->Expect("Error: 53 - File not found", 16, title);
    Load();
    EXPECT_EQ(form->lstActiveToyz.ListIndex(), -1); // the refresh stopped before selecting
}

TEST_F(Toyz, AnActiveCountPastTheArrayIsReportedNotACrash) {
    FiveToyz();
    Load();
    form->lstToyz.UserSelect(0);
    form->cmdDown.UserClick(); // two active entries, one in the array
    std::filesystem::remove(cat.native());
    box->Expect("C:\\Zelkora\\Data\\Zelkora.mdb does not exist.  The Zelkora data file is "
                "unavailable.  Ensure Zelkora Manager is installed properly.",
                vbCritical, title);
    box->Expect("Error: 9 - Subscript out of range", 16, "Zelkora Manager - zkr_SyncManager ");
    form->cmdRefreshToyzList.UserClick();
    box->Verify();
    // The entries appended before the failure stay; the window goes on working.
    EXPECT_EQ(Items(form->lstActiveToyz), V{"Notes"});

    form->lstToyz.UserSelect(4);
    EXPECT_TRUE(form->cmdDown.Enabled());
}

TEST_F(Toyz, BindingWritesTheFileAndTheCatalogue) {
    FiveToyz();
    Load();
    form->cmdUp.UserClick(); // no active toy
    box->Expect("All Toyz removed from the modules.", 64, title);
    form->cmdApplyToyz.UserClick();
    EXPECT_EQ(Binding(), "&\r\n");
    form->lstToyz.UserSelect(3);
    form->cmdDown.UserClick();
    box->Expect("The selected Toyz are activated in the modules", 64, title);
    form->cmdApplyToyz.UserClick();
    EXPECT_EQ(Binding(), "&myFav1=Stocks&\r\n");
    for (int i : {4, 0}) {
        form->lstToyz.UserSelect(i);
        form->cmdDown.UserClick();
    }
    box->Expect("The selected Toyz are activated in the modules", 64, title);
    form->cmdApplyToyz.UserClick();
    EXPECT_EQ(Binding(), "&myFav1=Stocks&myFav2=Moon Phase&myFav3=Clock&\r\n");
    form->cmdRefreshToyzList.UserClick();
    EXPECT_EQ(Items(form->lstActiveToyz), (V{"Stocks", "Moon Phase", "Clock"}));
    EXPECT_EQ(form->lstToyz.List(0), "Stocks"); // the others keep their old order numbers
    // Texts are written unescaped, and bound and stored as ordinary values.
    AddToy("amp", "Rock & Roll");
    AddToy("eq", "a=b");
    AddToy("quote", "O'Clock \"24\"");
    form->cmdRefreshToyzList.UserClick();
    while (form->lstActiveToyz.ListCount() > 0)
        form->cmdUp.UserClick();
    for (int i : {5, 6, 7}) {
        form->lstToyz.UserSelect(i);
        form->cmdDown.UserClick();
    }
    box->Expect("The selected Toyz are activated in the modules", 64, title);
    form->cmdApplyToyz.UserClick();
    EXPECT_EQ(Binding(), "&myFav1=Rock & Roll&myFav2=a=b&myFav3=O'Clock \"24\"&\r\n");
    zkr_LoadToyzData(cat.path());
    ASSERT_EQ(AppState.ActiveToyCount, 3);
    EXPECT_EQ(AppState.ActiveToyz[3].ToyText, "O'Clock \"24\"");
}

TEST_F(Toyz, AnUnwritableBindingFileChangesNothing) {
    FiveToyz();
    Load();
    std::filesystem::remove_all(App("ZelToyz"));
    box->Expect("Error: 76 - Path not found", 16, "Zelkora Manager - zkr_BindToyzToModules ");
    form->cmdApplyToyz.UserClick();
    zkr_LoadToyzData(cat.path());
    EXPECT_EQ(AppState.ActiveToyCount, 1);
    EXPECT_EQ(AppState.ActiveToyz[1].ToyText, "Notes");
}

TEST_F(Toyz, BindingReappliesAModuleOnTheDesktopAndMayEndFirst) {
    FiveToyz();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    auto applyCounting = [&] {
        platform::ActiveDesktopCalls().clear();
        box->Expect("The selected Toyz are activated in the modules", 64, title);
        form->cmdApplyToyz.UserClick();
        auto calls = platform::ActiveDesktopCalls();
        return std::count(calls.begin(), calls.end(), "SetWallpaper");
    };
    Load();
    EXPECT_EQ(applyCounting(), 0); // no module in the catalogue: the tree is empty
    StandardCatalogue();
    form->cmdRefresh.UserClick();
    EXPECT_EQ(applyCounting(), 2);
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));
    form->chkExitAfterApply.UserToggle();
    EXPECT_THROW(form->cmdApplyToyz.UserClick(), EndCalled); // before the final message
}

class Uninstall : public Toyz {
  protected:
    // An uninstaller that records its arguments after a pause.
    void Uninstaller(const std::string& dir) {
        std::string exe = App(dir + "/setup.exe");
        WriteFile(exe, "#!/bin/sh\nsleep 1\necho \"$0 $*\" > '" + App(dir + "/ran.txt") + "'\n");
        std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    }
};

TEST_F(Uninstall, CancelChangesNothingAndOkTakesTheLastModuleOfAThemeWithTheTheme) {
    StandardCatalogue();
    Uninstaller("Modules/Stars");
    Uninstaller("Modules/Reef");
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    Load();
    box->Expect(
        "Are you sure you would like to remove Reef Module? Click OK to continue de-installation",
        33, title, vbCancel);
    form->cmdRemoveNode.UserClick();
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));
    EXPECT_EQ(form->TreeView.Count(), 5);
    EXPECT_EQ(form->wbModuleCopyright.LocationURL(), "C:\\Zelkora\\defaultmodulecopyright.htm");

    form->TreeView.UserDblClick(NodeOf("Stars Module")); // now Stars is on the desktop
    box->Expect(
        "Are you sure you would like to remove Stars Module? Click OK to continue de-installation",
        33, title, vbOK);
    form->cmdRemoveNode.UserClick();
    EXPECT_FALSE(FileExists(App("Modules/Stars/ran.txt"))); // the Manager did not wait for it
    EXPECT_EQ(form->TreeView.Count(), 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(form->TreeView.Nodes(i).Text(), "Space Theme");
    EXPECT_EQ(Wallpaper(), ""); // it was the module on the desktop
    EXPECT_NE(WaitForLine(App("Modules/Stars/ran.txt")).find("setup.exe /uninst"), std::string::npos);
    EXPECT_FALSE(FileExists(App("Modules/Reef/ran.txt"))); // the cancelled one never ran
}

TEST_F(Uninstall, AnotherModuleLeavesTheDesktopAloneEvenAfterAnEarlierApply) {
    StandardCatalogue();
    Uninstaller("Modules/Waves");
    Load();
    form->TreeView.UserDblClick(NodeOf("Waves Module"));
    form->cmdRemove.UserClick();              // taken off again; CurrentModuleURL still names it
    Shell("wallpaper 'C:\\Other\\mine.htm'"); // the user's own page since
    form->TreeView.UserClick(NodeOf("Waves Module"));
    box->Expect(
        "Are you sure you would like to remove Waves Module? Click OK to continue de-installation",
        33, title, vbOK);
    form->cmdRemoveNode.UserClick();
    EXPECT_EQ(Wallpaper(), "C:\\Other\\mine.htm");
    EXPECT_NE(WaitForLine(App("Modules/Waves/ran.txt")), "");
}

TEST_F(Uninstall, AnUninstallerThatCannotStartRemovesNothing) {
    StandardCatalogue();
    struct Case {
        const char* content;
        std::filesystem::perms perms;
        const char* report;
    } cases[] = {
        {nullptr, {}, "Error: 53 - File not found"},
        {"#!/bin/sh\nexit 0\n", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
         "Error: 75 - Path/File access error"},
        {"just some text\n", std::filesystem::perms::owner_all,
         "Error: 5 - Invalid procedure call or argument"},
        {"#!/no/such/interpreter\n", std::filesystem::perms::owner_all,
         "Error: 5 - Invalid procedure call or argument"},
    };
    Load();
    for (const auto& c : cases) {
        std::string exe = App("Modules/Waves/setup.exe");
        if (c.content) {
            WriteFile(exe, c.content);
            std::filesystem::permissions(exe, c.perms);
        }
        form->TreeView.UserClick(NodeOf("Waves Module"));
        box->Expect("Are you sure you would like to remove Waves Module? Click OK to continue "
                    "de-installation",
                    33, title, vbOK);
        box->Expect(c.report, 16, title);
        form->cmdRemoveNode.UserClick();
        box->Verify();
        form->cmdRefresh.UserClick();
        EXPECT_EQ(form->TreeView.Count(), 5) << c.report; // the row is still there
    }
}

TEST_F(Uninstall, AToyInAFolderWithSpacesAndOneGoneFromTheCatalogue) {
    WriteFile(App("ZelToyz/Big Clock/preview.bmp"), TinyBmp(2, 2));
    cat.AddToy("big", "Big Clock",
               "--uninstall 'C:\\Zelkora\\ZelToyz\\Big Clock' --active "
               "--preview 'C:\\Zelkora\\ZelToyz\\Big Clock\\preview.bmp'");
    AddToy("notes", "Notes");
    Uninstaller("ZelToyz/Big Clock");
    Load();
    box->Expect(
        "Are you sure you would like to remove Big Clock? Click OK to continue de-installation", 33,
        title, vbOK);
    form->cmdUninstallToy.UserClick();
    EXPECT_EQ(Items(form->lstToyz), V{"Notes"});
    EXPECT_EQ(form->lstActiveToyz.ListCount(), 0);
    EXPECT_NE(WaitForLine(App("ZelToyz/Big Clock/ran.txt")), "");
    // A toy gone from the catalogue meanwhile is reported.
    cat.Run("remove-toy", "notes");
    box->Expect("Error reading UninstallPath", 64, "Zelkora Toy Uninstall");
    box->Expect("Error determining uninstall path.", 64, title);
    form->cmdUninstallToy.UserClick();
}

TEST_F(ManagerTest, AboutShowsTheVersionAsMajorMinorRevision) {
    App::Properties saved = App::Props();
    App::Props().Major = 2;
    App::Props().Minor = 5;
    App::Props().Revision = 7;
    Load();
    App::Props() = saved;
    EXPECT_EQ(form->lblVersion.Caption(), "2.5.7");
    EXPECT_EQ(form->lblAppTitle.Caption(), "Zelkora Manager");
    EXPECT_EQ(form->lblProductName.Caption(), "Zelkora Manager");
    EXPECT_EQ(form->lblCompanyName.Caption(), App::CompanyName());
    EXPECT_EQ(form->Me.PointerHistory(), (std::vector<int>{11, 0}));
    EXPECT_EQ(form->wbBanner.History(), std::vector<std::string>{"C:\\Zelkora\\defaultad.htm"});
}

class DeInstall : public ManagerTest {
  protected:
    void DeInstaller() {
        WriteFile(App("uninstall.exe"),
                  "#!/bin/sh\necho \"$*\" > '" + App("deinstalled.txt") + "'\n");
        std::filesystem::permissions(App("uninstall.exe"), std::filesystem::perms::owner_all);
    }
    const std::string first = "Are you sure you would like to remove Zelkora Manager? Click OK to "
                              "continue de-installation";
    const std::string second = "An Zelkora module is currently running on the desktop. Click OK to "
                               "remove the zelkora module and continue de-installation";
};

TEST_F(DeInstall, CancelOrADeInstallerThatCannotStartChangesNothingAndOkEnds) {
    StandardCatalogue();
    Load();
    box->Expect(first, 33, title, vbOK);
    box->Expect("Error: 53 - File not found", 16, "Zelkora Manager - zkr_SyncManager ");
    form->cmdDeInstall.UserClick();
    DeInstaller();
    box->Expect(first, 33, title, vbCancel);
    form->cmdDeInstall.UserClick();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    box->Expect(second, 33, title, vbCancel);
    form->cmdDeInstall.UserClick();
    EXPECT_EQ(Wallpaper(), ModuleUrl("Reef"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(FileExists(App("deinstalled.txt")));
    // OK clears the module, starts the de-installer and ends.
    box->Expect(second, 33, title, vbOK);
    EXPECT_THROW(form->cmdDeInstall.UserClick(), EndCalled);
    EXPECT_EQ(Wallpaper(), "");
    EXPECT_EQ(WaitForLine(App("deinstalled.txt")), "/all\n");
}

} // namespace
