// The Display list under the preview: Apply puts the module on every
// display, across all of them as one page, or on the one chosen, which
// keeps it by its name.
#include "window/frmZKRMain.h"

#include "desktop/kel_basActiveDesktop.h"
#include "runtime/report.h"

namespace {
// The list's entries before the displays themselves.
constexpr int kLayouts = 2;
} // namespace

std::string frmZKRMain::ChosenDisplay() const {
    int at = cboDisplay.ListIndex() - kLayouts;
    return at >= 0 && at < static_cast<int>(DisplayNames.size()) ? DisplayNames[static_cast<size_t>(at)] : "";
}

void frmZKRMain::zkr_ListDisplays() {
    std::string chosen = ChosenDisplay();
    int layout = cboDisplay.ListIndex() >= 0 && cboDisplay.ListIndex() < kLayouts ? cboDisplay.ListIndex() : 0;
    std::vector<display_layout::Display> seen = display_layout::LoadSeen();
    std::vector<std::string> names;
    for (const auto& d : seen)
        names.push_back(d.name);
    if (names == DisplayNames && cboDisplay.ListCount() == static_cast<int>(names.size()) + kLayouts) return;
    // Made the first time, the list says the layout the desktop has.
    if (cboDisplay.ListCount() == 0 && display_layout::Spans(display_layout::LoadChoices())) layout = 1;
    DisplayNames = names;
    cboDisplay.Clear();
    cboDisplay.AddItem("All displays");
    cboDisplay.AddItem("All displays as one");
    int index = layout;
    for (const auto& d : seen) {
        cboDisplay.AddItem(d.name + " (" + std::to_string(d.width) + "x" + std::to_string(d.height) + ")");
        if (d.name == chosen) index = cboDisplay.ListCount() - 1;
    }
    // A display unplugged takes its choice with it: every display again.
    cboDisplay.SetListIndex(index);
}

void frmZKRMain::zkr_ApplyModuleToChosen() {
    if (std::string display = ChosenDisplay(); !display.empty()) return zkr_ApplyModuleToDisplay(display);
    // Every display the same again, or one page across them all; the desktop
    // is told by the Apply.
    bool written = cboDisplay.ListIndex() == 1 ? display_layout::SpanDisplays() : display_layout::ForgetChoices();
    if (!written) return zkr_SetStatus("Cannot write " + display_layout::ChoicesPath() + ".");
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
