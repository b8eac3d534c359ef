// The Modules tab: the tree, the preview and command state, applying,
// removing and uninstalling modules.
#include "catalogue/zkr_basModules.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/process.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "startup/kel_basWeb.h"
#include "window/frmZKRMain.h"

#include <cctype>
#include <set>

namespace {

std::string Folded(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

void frmZKRMain::zkr_BuildModuleTree() {
    TreeView.Clear();
    TreeView.SetImageList(&TreeImageList);
    nodeItem_.assign(1, 0);
    itemNode_.assign(static_cast<size_t>(AppState.ModuleItemCount) + 1, 0);
    // The filter, letter case aside: a theme that matches shows all its
    // modules, a module that matches shows under its theme.
    const std::string filter = Folded(txtFilter.Text());
    auto matches = [&](const ModuleRecord& r) {
        return Folded(r.TreeText).find(filter) != std::string::npos;
    };
    std::set<std::string> themesShown, themesMatched;
    for (int i = 1; !filter.empty() && i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& item = Element(AppState.ModuleItems, i);
        if (item.TreeType == 100 && matches(item)) themesMatched.insert(item.Key);
        if (item.TreeType == 200 && matches(item)) themesShown.insert(item.ParentKey);
    }
    themesShown.insert(themesMatched.begin(), themesMatched.end());
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& item = Element(AppState.ModuleItems, i);
        toolkit::Node* node = nullptr;
        if (!filter.empty() && !(item.TreeType == 100 ? themesShown.count(item.Key) != 0
                                                       : themesMatched.count(item.ParentKey) != 0 ||
                                                             matches(item)))
            continue;
        if (item.TreeType == 100) {
            node = &TreeView.Add("", 0, item.Key, item.TreeText);
            node->Image = 1;
            node->ExpandedImage = 2;
            node->SetExpanded(true);
        } else if (item.TreeType == 200) {
            node = &TreeView.Add(item.ParentKey, toolkit::tvwChild, item.Key, item.TreeText);
            node->Image = 3;
            node->SelectedImage = 4;
        } else {
            continue; // no node; the maps below keep nodes and entries paired
        }
        nodeItem_.push_back(i);
        itemNode_[static_cast<size_t>(i)] = node->Index();
    }
    TreeView.SetStyle(6);
    TreeView.SetStyle(7);
}

void frmZKRMain::zkr_RefreshModules() {
    pctModule.ClearPicture();
    cmdApply.SetEnabled(false);
    cmdRemove.SetEnabled(false);
    cmdRemoveNode.SetEnabled(false);
    zkr_LoadModuleData(DataFilePath());
    zkr_BuildModuleTree();
    if (AppState.ModuleItemCount < 1 || TreeView.Count() < 1) {
        SSTab1.SetTab(2);
    } else {
        TreeView.Nodes(1).SetSelected(true);
        SSTab1.SetTab(0);
    }
    zkr_SyncManager();
}

void frmZKRMain::cmdRefresh_Click() {
    zkr_RefreshModules();
}

void frmZKRMain::txtFilter_Change() {
    zkr_BuildModuleTree();
    // The first module shown is chosen, as a click chooses it: previewed,
    // with the commands for it; the one on the desktop stays marked.
    int chosen = TreeView.Count() >= 1 ? 1 : 0;
    for (int node = TreeView.Count(); node >= 1; --node)
        if (Element(AppState.ModuleItems, ItemOfNode(node)).TreeType == 200) chosen = node;
    if (chosen) TreeView.Nodes(chosen).SetSelected(true);
    else pctModule.ClearPicture();
    zkr_SetModuleCommandState();
    zkr_MarkAppliedModule();
}

void frmZKRMain::TreeView_Click() {
    try {
        zkr_SetModuleCommandState();
    } catch (const Failure& f) {
        ReportFailure(f, "TreeView_Click");
    }
}

void frmZKRMain::TreeView_DblClick() {
    try {
        if (TreeView.Count() >= 1 && SelectedEntry().TreeType == 200) zkr_ApplyModuleToChosen();
    } catch (const Failure& f) {
        ReportFailure(f, "TreeView_DblClick");
    }
}

void frmZKRMain::zkr_SetModuleCommandState() {
    zkr_SetPlaylistCommandState();
    cmdRemoveNode.SetEnabled(false);
    cmdRemove.SetEnabled(false);
    cmdApply.SetEnabled(false);
    cmdApplyTransparency.SetEnabled(false);
    cmdCustomise.SetEnabled(false);
    if (AppState.ModuleItemCount < 1 || TreeView.Count() < 1) return zkr_ShowCustomise();
    const ModuleRecord& entry = SelectedEntry();
    if (entry.TreeType == 200) {
        cmdRemoveNode.SetEnabled(true);
        zkr_PreviewModule();
        if (ModuleApplied && entry.URL == CurrentModuleURL && chkShowDeskTop.Value() == 1)
            cmdRemove.SetEnabled(true);
        if (chkShowDeskTop.Value() == 1) {
            cmdApply.SetEnabled(true);
            cmdApplyTransparency.SetEnabled(true);
        }
    }
    if (chkShowDeskTop.Value() == 1) cmdApplyTransparency.SetEnabled(true);
    cmdCustomise.SetEnabled(
        entry.TreeType == 200 && !module_properties::ReadOfPage(entry.URL).declared.empty());
    zkr_ShowCustomise();
}

void frmZKRMain::zkr_PreviewModule() {
    try {
        if (!SelectedEntry().PreviewPath.empty()) {
            zkr_UpdateModulePreview();
        } else {
            MsgBox("Select an Zelkora module by double clicking the folders on the left.",
                   vbInformation, App::Title());
        }
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_PreviewModule");
    }
}

void frmZKRMain::zkr_UpdateModulePreview() {
    try {
        const ModuleRecord& entry = SelectedEntry();
        pctModule.SetPicture(entry.PreviewPath);
        wbModuleCopyright.Navigate(entry.CopyrightURL);
        if (kel_IsNetConnectOnline()) wbBanner.Navigate(entry.BannerURL);
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_UpdateModulePreview");
    }
}

void frmZKRMain::zkr_LoadSelectedModule() {
    try {
        const ModuleRecord& entry = SelectedEntry();
        ModuleApplied = true;
        CurrentModuleURL = entry.URL;
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_UpdateModulePreview");
    }
}

void frmZKRMain::zkr_ApplyModuleToDesktop() {
    try {
        chkShowDeskTop.SetValue(1);
        // A page the shell refused is not taken for applied, and nothing follows.
        if (!kel_ApplyWallPaper(SelectedEntry().URL)) return;
        zkr_LoadSelectedModule();
        zkr_SetModuleCommandState();
        zkr_ShowDesktopStatus();
        zkr_AfterApply();
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_ApplyModuleToDesktop");
    }
}

void frmZKRMain::zkr_AfterApply() {
    if (chkExitAfterApply.Value() != 0) End();
    if (chkMinimizeAfterApply.Value() != 0) Me.SetWindowState(toolkit::vbMinimized);
}

void frmZKRMain::cmdApply_Click() {
    try {
        if (SelectedEntry().TreeType == 200) zkr_ApplyModuleToChosen();
    } catch (const Failure& f) {
        ReportFailure(f, "cmdApply_Click");
    }
}

void frmZKRMain::zkr_RemoveModuleFromDesktop() {
    try {
        std::string name = AppliedModuleName();
        kel_RemoveWallPaper();
        ModuleApplied = false;
        zkr_SetModuleCommandState();
        zkr_MarkAppliedModule();
        zkr_SetStatus(name.empty() ? "The module was taken off the desktop."
                                   : name + " was taken off the desktop.");
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::cmdRemove_Click() {
    zkr_RemoveModuleFromDesktop();
}

void frmZKRMain::CheckUninstaller(const std::string& commandLine) {
    platform::ResolveStartable(commandLine);
}

std::string frmZKRMain::ConfirmUninstall(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        MsgBox("Error determining uninstall path.", vbInformation, App::Title());
        return {};
    }
    if (MsgBox("Are you sure you would like to remove " + name +
                   "? Click OK to continue de-installation",
               vbOKCancel + vbQuestion, App::Title()) != vbOK)
        return {};
    std::string commandLine = folder + "\\setup.exe /uninst";
    CheckUninstaller(commandLine);
    return commandLine;
}

void frmZKRMain::zkr_UninstallModule() {
    try {
        const ModuleRecord m = SelectedEntry();
        wbModuleCopyright.Navigate(AppState.ApplicationPath + "defaultmodulecopyright.htm");
        std::string path = DataFilePath();
        std::string commandLine =
            ConfirmUninstall(zkr_GetModuleUninstallPath(path, m.Key), m.TreeText);
        if (commandLine.empty()) return;
        // Only the module that is on the desktop is taken off it.
        if (ModuleApplied && m.URL == CurrentModuleURL) {
            kel_RemoveWallPaper();
            ModuleApplied = false;
        }
        zkr_RemoveModuleData(path, m.Key, m.ParentKey);
        module_properties::Forget(module_properties::ReadOfPage(m.URL).key);
        zkr_RefreshModules();
        Interaction::Shell(commandLine, 1);
        zkr_SetStatus("The uninstaller of " + m.TreeText + " was started.");
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::cmdRemoveNode_Click() {
    zkr_UninstallModule();
}
