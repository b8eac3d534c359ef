// What the window tells about the desktop: the marked module, the status
// line, and the banner's stand-in page.
#include "desktop/display_layout.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/desktop_host.h"
#include "window/manager_fixture.h"

namespace {

using namespace testing_support;

class Status : public ManagerTest {
  protected:
    // The texts of the marked nodes, each with its note.
    std::vector<std::string> Marked() {
        std::vector<std::string> v;
        for (int i = 1; i <= form->TreeView.Count(); ++i) {
            const toolkit::Node& n = form->TreeView.Nodes(i);
            if (n.Bold()) v.push_back(n.Text() + " (" + n.Note() + ")");
            else EXPECT_EQ(n.Note(), "") << n.Text();
        }
        return v;
    }
    std::string Line() { return form->lblStatus.Caption(); }
    using V = std::vector<std::string>;
};

TEST_F(Status, TheModuleOnTheDesktopIsMarkedThroughApplyRemoveSyncAndRefresh) {
    StandardCatalogue();
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    Load();
    EXPECT_EQ(Marked(), V{"Reef Module (on the desktop)"});
    EXPECT_EQ(Line(), "Reef Module is on the desktop.");

    form->TreeView.UserDblClick(NodeOf("Waves Module"));
    EXPECT_EQ(Marked(), V{"Waves Module (on the desktop)"});
    EXPECT_EQ(Line(), "Waves Module is on the desktop.");

    form->cmdRemove.UserClick();
    EXPECT_EQ(Marked(), V{});
    EXPECT_EQ(Line(), "Waves Module was taken off the desktop.");

    // Another program changed the wallpaper: a refresh shows it.
    Shell("wallpaper " + ShellQuote(ModuleUrl("Stars")));
    form->cmdRefresh.UserClick();
    EXPECT_EQ(Marked(), V{"Stars Module (on the desktop)"});
    EXPECT_EQ(Line(), "Stars Module is on the desktop.");

    // With the Active Desktop off nothing is on the desktop.
    form->chkShowDeskTop.UserToggle();
    EXPECT_EQ(Marked(), V{});
    EXPECT_EQ(Line(), "The Active Desktop is off.");
    form->chkShowDeskTop.UserToggle();
    EXPECT_EQ(Marked(), V{"Stars Module (on the desktop)"});

    // What the desktop host cannot show there is said with the module.
    platform::SetDesktopHostNote("Only a still here.");
    form->cmdRefresh.UserClick();
    EXPECT_EQ(Line(), "Stars Module is on the desktop. Only a still here.");
    platform::SetDesktopHostNote("");

    // A page that is no module: nothing marked.
    Shell("wallpaper 'C:\\Mine\\page.htm'");
    form->cmdRefresh.UserClick();
    EXPECT_EQ(Marked(), V{});
    EXPECT_EQ(Line(), "No module is on the desktop.");
}

TEST_F(Status, TheDisplayListAppliesToOneDisplayFollowsTheDisplaysAndMarksWhereModulesAre) {
    StandardCatalogue();
    display_layout::SaveSeen({{"DP-1", 1920, 1080, 1, 0, 0}, {"HDMI-2", 1280, 800, 1.5, 1920, 0}});
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    Load();
    auto items = [this] {
        V v;
        for (int i = 0; i < form->cboDisplay.ListCount(); ++i)
            v.push_back(form->cboDisplay.List(i));
        return v;
    };
    EXPECT_EQ(items(), (V{"All displays", "All displays as one", "DP-1 (1920x1080)", "HDMI-2 (1280x800)"}));
    EXPECT_EQ(form->cboDisplay.ListIndex(), 0);
    // One display: the module is its own, the others keep every display's.
    form->cboDisplay.UserSelect(3);
    form->TreeView.UserClick(NodeOf("Waves Module"));
    form->cmdApply.UserClick();
    EXPECT_EQ(display_layout::LoadChoices(), (display_layout::Choices{{"HDMI-2", ModuleUrl("Waves")}}));
    EXPECT_EQ(Line(), "Reef Module is on the desktop. Waves Module is on HDMI-2.");
    EXPECT_EQ(Marked(), (V{"Waves Module (on HDMI-2)", "Reef Module (on the desktop)"}));
    // The display unplugged: the list follows, and Apply is for every display again.
    display_layout::SaveSeen({{"DP-1", 1920, 1080, 1, 0, 0}});
    form->zkr_ListDisplays();
    EXPECT_EQ(items(), (V{"All displays", "All displays as one", "DP-1 (1920x1080)"}));
    EXPECT_EQ(form->cboDisplay.ListIndex(), 0);
    form->TreeView.UserDblClick(NodeOf("Stars Module"));
    EXPECT_EQ(display_layout::LoadChoices(), display_layout::Choices{});
    EXPECT_EQ(Marked(), V{"Stars Module (on the desktop)"});
    EXPECT_EQ(Line(), "Stars Module is on the desktop.");
    // All displays as one: the module of every display, one page across them;
    // a display given its own ends it.
    form->cboDisplay.UserSelect(1);
    form->TreeView.UserDblClick(NodeOf("Reef Module"));
    EXPECT_TRUE(display_layout::Spans(display_layout::LoadChoices()));
    EXPECT_EQ(kel_GetWallPaper(), ModuleUrl("Reef"));
    EXPECT_EQ(Marked(), V{"Reef Module (on the desktop)"});
    EXPECT_EQ(Line(), "Reef Module is on all displays as one.");
    form->cboDisplay.UserSelect(2);
    form->TreeView.UserDblClick(NodeOf("Waves Module"));
    EXPECT_EQ(display_layout::LoadChoices(), (display_layout::Choices{{"DP-1", ModuleUrl("Waves")}}));
    EXPECT_EQ(Line(), "Reef Module is on the desktop. Waves Module is on DP-1.");
    // With no module on every display, the first put on one is on all of them.
    form->TreeView.UserClick(NodeOf("Reef Module"));
    form->cmdRemove.UserClick();
    form->TreeView.UserDblClick(NodeOf("Stars Module"));
    EXPECT_EQ(Marked(), V{"Stars Module (on the desktop and on DP-1)"});
    // Opened again while a page spans the displays, the list says so.
    form->cboDisplay.UserSelect(1);
    form->cmdApply.UserClick();
    Load();
    EXPECT_EQ(form->cboDisplay.ListIndex(), 1);
}

TEST_F(Status, ToyzAndTransparencySayWhatWasApplied) {
    StandardCatalogue();
    for (auto [key, text] : {std::pair{"clock", "Clock"}, std::pair{"notes", "Sticky Notes"}}) {
        WriteFile(App(std::string("ZelToyz/") + key + "/preview.bmp"), TinyBmp(2, 2));
        cat.AddToy(key, text,
                   "--preview " + ShellQuote(std::string(AP) + "ZelToyz\\" + key + "\\preview.bmp"));
    }
    Shell("wallpaper " + ShellQuote(ModuleUrl("Reef")));
    Load();
    for (int i = 0; i < 2; ++i) {
        form->lstToyz.UserSelect(i);
        form->cmdDown.UserClick();
    }
    box->Expect("The selected Toyz are activated in the modules", vbInformation, title);
    form->cmdApplyToyz.UserClick();
    EXPECT_EQ(Line(), "Toyz bound: Clock, Sticky Notes.");
    EXPECT_EQ(Marked(), V{"Reef Module (on the desktop)"}); // re-applied, still marked

    form->Slider1.UserSetValue(50);
    form->cmdApplyTransparency.UserClick();
    EXPECT_EQ(Line(), "Transparency 49 applied.");
    box->Verify();
}

} // namespace
