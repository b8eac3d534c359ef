// The Display list under the preview: Apply puts the module on every
// display, or on the one chosen, which keeps it by its name.
#include "window/frmZKRMain.h"

#include "desktop/kel_basActiveDesktop.h"
#include "runtime/report.h"

void frmZKRMain::zkr_ListDisplays() {
    std::string chosen = cboDisplay.ListIndex() >= 1 &&
                                 cboDisplay.ListIndex() <= static_cast<int>(DisplayNames.size())
                             ? DisplayNames[static_cast<size_t>(cboDisplay.ListIndex() - 1)]
                             : "";
    std::vector<display_layout::Display> seen = display_layout::LoadSeen();
    std::vector<std::string> names;
    for (const auto& d : seen)
        names.push_back(d.name);
    if (names == DisplayNames && cboDisplay.ListCount() == static_cast<int>(names.size()) + 1) return;
    DisplayNames = names;
    cboDisplay.Clear();
    cboDisplay.AddItem("All displays");
    int index = 0;
    for (const auto& d : seen) {
        cboDisplay.AddItem(d.name + " (" + std::to_string(d.width) + "x" + std::to_string(d.height) + ")");
        if (d.name == chosen) index = cboDisplay.ListCount() - 1;
    }
    // A display unplugged takes its choice with it: every display again.
    cboDisplay.SetListIndex(index);
}

void frmZKRMain::zkr_ApplyModuleToChosen() {
    int chosen = cboDisplay.ListIndex();
    if (chosen >= 1 && chosen <= static_cast<int>(DisplayNames.size()))
        return zkr_ApplyModuleToDisplay(DisplayNames[static_cast<size_t>(chosen - 1)]);
    // Every display the same again.
    if (!display_layout::ForgetChoices())
        return zkr_SetStatus("Cannot write " + display_layout::ChoicesPath() + ".");
    zkr_ApplyModuleToDesktop();
}

void frmZKRMain::zkr_ApplyModuleToDisplay(const std::string& display) {
    try {
        const ModuleRecord& entry = SelectedEntry();
        // With no module on every display yet, this one is that one as well.
        if (!ModuleApplied || chkShowDeskTop.Value() != 1) {
            chkShowDeskTop.SetValue(1);
            if (!kel_ApplyWallPaper(entry.URL)) return;
            zkr_LoadSelectedModule();
        }
        if (!display_layout::ChooseForDisplay(display, entry.URL))
            return zkr_SetStatus("Cannot write " + display_layout::ChoicesPath() + ".");
        zkr_SetModuleCommandState();
        zkr_ShowDesktopStatus();
        zkr_AfterApply();
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_ApplyModuleToDisplay");
    }
}
