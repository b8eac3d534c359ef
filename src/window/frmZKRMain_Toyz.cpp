// The Toyz tab: the two lists, binding the active toyz into the modules, and
// uninstalling a toy.
#include "catalogue/zkr_basData.h"
#include "catalogue/zkr_basToyz.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/dao.h"
#include "platform/files.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "window/frmZKRMain.h"

namespace {

// The installed toy an index of lstToyz stands for.
const ToyRecord& ToyAt(int listIndex) {
    if (listIndex < 0) Raise(Err::SubscriptOutOfRange);
    return Element(AppState.AllToyz, listIndex + 1);
}

// True when the text is one of the list's entries.
bool Contains(const toolkit::ListBox& list, const std::string& text) {
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.List(i) == text) return true;
    return false;
}

} // namespace

void frmZKRMain::zkr_RefreshToyz() {
    try {
        while (lstToyz.ListCount() > 0)
            lstToyz.RemoveItem(0);
        while (lstActiveToyz.ListCount() > 0)
            lstActiveToyz.RemoveItem(0);
        zkr_LoadToyzData(DataFilePath());
        pctToy.ClearPicture();
        cmdApplyToyz.SetEnabled(false);
        cmdUninstallToy.SetEnabled(false);
        cmdUp.SetEnabled(false);
        cmdDown.SetEnabled(false);
        zkr_FillToyzLists();
        if (lstToyz.ListCount() >= 1) {
            lstToyz.SetListIndex(0);
            lstToyz_Click();
        }
        if (lstActiveToyz.ListCount() >= 1) lstActiveToyz.SetListIndex(0);
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::zkr_FillToyzLists() {
    try {
        // The active count also moves with the user's additions, so it may
        // run past the array that the last load left.
        for (int i = 1; i <= AppState.ToyCount; ++i)
            lstToyz.AddItem(Element(AppState.AllToyz, i).ToyText);
        for (int i = 1; i <= AppState.ActiveToyCount; ++i)
            lstActiveToyz.AddItem(Element(AppState.ActiveToyz, i).ToyText);
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_SyncManager");
    }
}

void frmZKRMain::lstToyz_Click() {
    if (lstToyz.ListCount() == 0 || lstToyz.ListIndex() < 0) return;
    int k = lstToyz.ListIndex();
    const ToyRecord& t = ToyAt(k);
    cmdApplyToyz.SetEnabled(true);
    cmdDown.SetEnabled(!Contains(lstActiveToyz, lstToyz.List(k)));
    cmdUninstallToy.SetEnabled(!t.ToyIsLocked);
    if (!t.ToyPreviewPath.empty()) pctToy.SetPicture(t.ToyPreviewPath);
    if (t.ToyCopyrightURL.find_first_not_of(' ') == std::string::npos)
        wbToyCopyright.Navigate(AppState.ApplicationPath + "defaulttoyzcopyright.htm");
    else
        wbToyCopyright.Navigate(AppState.ApplicationPath + t.ToyCopyrightURL);
}

void frmZKRMain::lstActiveToyz_Click() {
    cmdUp.SetEnabled(lstToyz.ListCount() >= 1);
}

void frmZKRMain::zkr_AddActiveToy() {
    try {
        if (AppState.ActiveToyCount >= 3) {
            MsgBox("Zelkora has a maximum of 3 active toys.", vbExclamation, App::Title());
            return;
        }
        int k = lstToyz.ListIndex();
        lstActiveToyz.AddItem(ToyAt(k).ToyText);
        ++AppState.ActiveToyCount;
        lstActiveToyz.Refresh();
        cmdDown.SetEnabled(!Contains(lstActiveToyz, lstToyz.List(k)));
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::zkr_RemoveActiveToy() {
    try {
        lstActiveToyz.RemoveItem(lstActiveToyz.ListIndex());
        --AppState.ActiveToyCount;
        lstActiveToyz.Refresh();
        if (AppState.ActiveToyCount < 1) cmdUp.SetEnabled(false);
        if (lstActiveToyz.ListCount() > 0) lstActiveToyz.SetListIndex(0);
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::cmdDown_Click() {
    zkr_AddActiveToy();
}
void frmZKRMain::cmdUp_Click() {
    zkr_RemoveActiveToy();
}
void frmZKRMain::cmdRefreshToyzList_Click() {
    zkr_RefreshToyz();
}
void frmZKRMain::cmdApplyToyz_Click() {
    zkr_BindToyzToModules();
}

void frmZKRMain::zkr_BindToyzToModules() {
    int n = lstActiveToyz.ListCount();
    std::string line;
    for (int k = 1; k <= n; ++k)
        line += "&myFav" + std::to_string(k) + "=" + lstActiveToyz.List(k - 1);
    try {
        platform::WriteTextFile(AppState.ApplicationPath + "ZelToyz\\ZelToyz.txt", line + "&\r\n");
    } catch (const Failure& f) {
        // Without the file the catalogue is left as it is, so both stay in step.
        ReportFailure(f, "zkr_BindToyzToModules");
        return;
    }
    std::string path = DataFilePath();
    zkr_SetToysInActive(path);
    for (int k = 1; k <= n; ++k)
        zkr_SetToyActive(path, Variant(lstActiveToyz.List(k - 1)));
    zkr_SaveToyOrder(path);
    if (TreeView.Count() >= 1 && zkr_IsZKRModuleApplied()) {
        zkr_SyncManager();
        kel_RemoveWallPaper();
        zkr_ApplyModuleToDesktop();
    }
    std::string names;
    for (int k = 0; k < lstActiveToyz.ListCount(); ++k)
        names += (k ? ", " : "") + lstActiveToyz.List(k);
    zkr_SetStatus(names.empty() ? "No toyz bound." : "Toyz bound: " + names + ".");
    if (lstActiveToyz.ListCount() >= 1)
        MsgBox("The selected Toyz are activated in the modules", vbInformation, App::Title());
    else
        MsgBox("All Toyz removed from the modules.", vbInformation, App::Title());
}

void frmZKRMain::zkr_SaveToyOrder(const std::string& path) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        auto db = dao::DBEngine.Workspaces(0).OpenDatabase(path);
        for (int k = 1; k <= lstActiveToyz.ListCount(); ++k)
            db.Execute(" UPDATE tblToyz SET ToyOrder = " + std::to_string(k) + " WHERE ToyText = ?",
                       {lstActiveToyz.List(k - 1)});
    } catch (const Failure& f) {
        ReportBare(f, App::Title());
    }
}

void frmZKRMain::zkr_UninstallToy() {
    try {
        const ToyRecord t = ToyAt(lstToyz.ListIndex());
        std::string path = DataFilePath();
        std::string commandLine =
            ConfirmUninstall(zkr_GetToyUninstallPath(path, t.ToyKey), t.ToyText);
        if (commandLine.empty()) return;
        zkr_RemoveToyData(path, t.ToyKey);
        zkr_RefreshToyz();
        Interaction::Shell(commandLine, 1);
        zkr_SetStatus("The uninstaller of " + t.ToyText + " was started.");
    } catch (const Failure& f) {
        ReportError(f);
    }
}

void frmZKRMain::cmdUninstallToy_Click() {
    zkr_UninstallToy();
}
