// What the window tells the user about the desktop: the mark on the module
// that is on it, and the status line.
#include "window/frmZKRMain.h"

#include "desktop/kel_basActiveDesktop.h"
#include "platform/desktop_host.h"
#include "runtime/report.h"

bool frmZKRMain::IsOnDesktop(int item) const {
    // Nothing is on the desktop while the Active Desktop is off.
    if (!ModuleApplied || chkShowDeskTop.Value() != 1) return false;
    if (item < 1 || item > AppState.ModuleItemCount ||
        item >= static_cast<int>(AppState.ModuleItems.size()))
        return false;
    const ModuleRecord& entry = AppState.ModuleItems[static_cast<size_t>(item)];
    return entry.TreeType == 200 && entry.URL == CurrentModuleURL;
}

std::string frmZKRMain::AppliedModuleName() const {
    for (int i = 1; i <= AppState.ModuleItemCount; ++i)
        if (IsOnDesktop(i)) return AppState.ModuleItems[static_cast<size_t>(i)].TreeText;
    return {};
}

void frmZKRMain::zkr_MarkAppliedModule() {
    // Displays given a module of their own show it while the Active Desktop is on.
    DisplayModules = chkShowDeskTop.Value() == 1 ? display_layout::LoadChoices() : display_layout::Choices{};
    for (int node = 1; node <= TreeView.Count(); ++node) {
        int item = ItemOfNode(node);
        std::string note = IsOnDesktop(item) ? "on the desktop" : "";
        if (item >= 1 && item < static_cast<int>(AppState.ModuleItems.size()) &&
            AppState.ModuleItems[static_cast<size_t>(item)].TreeType == 200) {
            std::string on;
            for (const std::string& display : display_layout::DisplaysShowing(
                     DisplayModules, AppState.ModuleItems[static_cast<size_t>(item)].URL))
                on += (on.empty() ? "" : ", ") + display;
            if (!on.empty()) note += (note.empty() ? "on " : " and on ") + on;
        }
        toolkit::Node& n = TreeView.Nodes(node);
        n.SetBold(!note.empty());
        n.SetNote(note);
    }
}

void frmZKRMain::zkr_SetStatus(const std::string& text) {
    lblStatus.SetCaption(text);
}

void frmZKRMain::zkr_ShowDesktopStatus() {
    zkr_MarkAppliedModule();
    std::string name = AppliedModuleName();
    if (chkShowDeskTop.Value() != 1)
        zkr_SetStatus("The Active Desktop is off.");
    else if (!name.empty())
        // What the desktop cannot show here (a still where moving modules
        // need layer-shell) is said with it.
        zkr_SetStatus(name + (display_layout::Spans(DisplayModules) ? " is on all displays as one."
                                                                   : " is on the desktop.") +
                      OnDisplays() +
                      (platform::DesktopHostNote().empty() ? "" : " " + platform::DesktopHostNote()));
    else
        zkr_SetStatus("No module is on the desktop." + OnDisplays());
}

std::string frmZKRMain::OnDisplays() const {
    // Each module a display was given, with the displays that show it.
    std::string said;
    for (int i = 1; i <= AppState.ModuleItemCount && i < static_cast<int>(AppState.ModuleItems.size());
         ++i) {
        const ModuleRecord& m = AppState.ModuleItems[static_cast<size_t>(i)];
        if (m.TreeType != 200) continue;
        std::string on;
        for (const std::string& display : display_layout::DisplaysShowing(DisplayModules, m.URL))
            on += (on.empty() ? "" : ", ") + display;
        if (!on.empty()) said += " " + m.TreeText + " is on " + on + ".";
    }
    return said;
}

void frmZKRMain::zkr_FollowDesktop() {
    try {
        if (kel_IsActiveDesktopOn() != (chkShowDeskTop.Value() == 1)) {
            // Shown as it is, without the box's own switching.
            auto click = std::move(chkShowDeskTop.Click);
            chkShowDeskTop.SetValue(kel_IsActiveDesktopOn() ? 1 : 0);
            chkShowDeskTop.Click = std::move(click);
        }
        int onDesktop = zkr_ModuleItemOfPage(kel_GetWallPaper());
        ModuleApplied = onDesktop > 0;
        if (ModuleApplied) CurrentModuleURL = AppState.ModuleItems[static_cast<size_t>(onDesktop)].URL;
        if (toolkit::Node* node = TreeView.SelectedItem()) {
            int item = ItemOfNode(node->Index());
            cmdRemove.SetEnabled(ModuleApplied && chkShowDeskTop.Value() == 1 && item >= 1 &&
                                 AppState.ModuleItems[static_cast<size_t>(item)].URL ==
                                     CurrentModuleURL);
        }
        zkr_ShowDesktopStatus();
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_FollowDesktop");
    }
}
