// The window: its events, load sequence and the synchronisation with the desktop.
#include "window/frmZKRMain.h"

#include "desktop/kel_basActiveDesktop.h"
#include "desktop/zkr_basDeskTop.h"
#include "platform/instance.h"
#include "platform/prefix.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "startup/kel_basFile.h"
#include "startup/kel_basWeb.h"

namespace {

ShowHandler& ShowHook() {
    static ShowHandler hook;
    return hook;
}

} // namespace

ShowHandler SetShowHandler(ShowHandler handler) {
    ShowHandler previous = std::move(ShowHook());
    ShowHook() = std::move(handler);
    return previous;
}

frmZKRMain::frmZKRMain() {
    BindEvents();
}

frmZKRMain::~frmZKRMain() {
    if (windowHandle_) platform::UnregisterWindow(windowHandle_);
}

frmZKRMain& frmZKRMain::Instance() {
    static frmZKRMain* window = new frmZKRMain(); // lives until the process ends
    return *window;
}

void frmZKRMain::BindEvents() {
    cmdRefresh.Click = [this] { cmdRefresh_Click(); };
    txtFilter.Change = [this] { txtFilter_Change(); };
    chkPlaylist.Click = [this] {
        zkr_SetPlaylistFlag(&playlist::Playlist::on, chkPlaylist, "chkPlaylist_Click");
    };
    chkPlaylistShuffle.Click = [this] {
        zkr_SetPlaylistFlag(&playlist::Playlist::shuffle, chkPlaylistShuffle,
                            "chkPlaylistShuffle_Click");
    };
    txtPlaylistWhen.Change = [this] { txtPlaylistWhen_Change(); };
    cmdPlaylistAdd.Click = [this] { cmdPlaylistAdd_Click(); };
    cmdPlaylistRemove.Click = [this] { cmdPlaylistRemove_Click(); };
    cmdCustomise.Click = [this] { cmdCustomise_Click(); };
    cmdRestoreDefaults.Click = [this] { cmdRestoreDefaults_Click(); };
    cmdCustomiseClose.Click = [this] { frmCustomise.SetVisible(false); };
    lstPlaylist.Click = [this] { zkr_SetPlaylistCommandState(); };
    TreeView.Click = [this] { TreeView_Click(); };
    TreeView.DblClick = [this] { TreeView_DblClick(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdRemove.Click = [this] { cmdRemove_Click(); };
    cmdRemoveNode.Click = [this] { cmdRemoveNode_Click(); };
    chkExitAfterApply.Click = [this] { chkExitAfterApply_Click(); };
    chkSound.Click = [this] { chkSound_Click(); };
    chkMinimizeAfterApply.Click = [this] { chkMinimizeAfterApply_Click(); };
    chkShowDeskTop.Click = [this] { chkShowDeskTop_Click(); };
    cmdApplyTransparency.Click = [this] { cmdApplyTransparency_Click(); };
    cmdDeInstall.Click = [this] { cmdDeInstall_Click(); };
    lstToyz.Click = [this] { lstToyz_Click(); };
    lstActiveToyz.Click = [this] { lstActiveToyz_Click(); };
    cmdDown.Click = [this] { cmdDown_Click(); };
    cmdUp.Click = [this] { cmdUp_Click(); };
    cmdRefreshToyzList.Click = [this] { cmdRefreshToyzList_Click(); };
    cmdApplyToyz.Click = [this] { cmdApplyToyz_Click(); };
    cmdUninstallToy.Click = [this] { cmdUninstallToy_Click(); };
    wbBanner.NavigateError = [this] { wbBanner_NavigateError(); };
}

void frmZKRMain::RegisterInstanceWindow() {
    windowHandle_ = platform::RegisterWindow(Me.Caption(), [this](platform::WindowRequest r) {
        InstanceRequest(r == platform::WindowRequest::Raise);
    });
}

void frmZKRMain::InstanceRequest(bool raise) {
    ++(raise ? RaiseRequests : FlashRequests);
    std::function<void(bool)> handler;
    {
        std::lock_guard g(requestMutex_);
        handler = onInstanceRequest_;
    }
    if (handler) handler(raise);
}

void frmZKRMain::SetInstanceRequestHandler(std::function<void(bool raise)> handler) {
    std::lock_guard g(requestMutex_);
    onInstanceRequest_ = std::move(handler);
}

void frmZKRMain::Show() {
    if (Me.Visible()) return;
    Form_Load();
    Me.SetVisible(true);
    RegisterInstanceWindow();
    if (auto& hook = ShowHook()) hook(*this);
}

int frmZKRMain::ItemOfNode(int node) const {
    return node >= 1 && static_cast<size_t>(node) < nodeItem_.size()
               ? nodeItem_[static_cast<size_t>(node)]
               : 0;
}

int frmZKRMain::NodeOfItem(int item) const {
    return item >= 1 && static_cast<size_t>(item) < itemNode_.size()
               ? itemNode_[static_cast<size_t>(item)]
               : 0;
}

const ModuleRecord& frmZKRMain::SelectedEntry() {
    toolkit::Node* node = TreeView.SelectedItem();
    if (!node) Raise(91, "Object variable or With block variable not set");
    int item = ItemOfNode(node->Index());
    if (item < 1) Raise(Err::SubscriptOutOfRange);
    return Element(AppState.ModuleItems, item);
}

void frmZKRMain::Form_Load() {
    try {
        wbModuleCopyright.Navigate(AppState.ApplicationPath + "defaultmodulecopyright.htm");
        wbToyCopyright.Navigate(AppState.ApplicationPath + "defaulttoyzcopyright.htm");
        zkr_RefreshToyz();
        zkr_RefreshModules();
        zkr_ShowPlaylist();
        zkr_ListDisplays();
        zkr_SetAbout();
        zkr_SetOptions();
        zkr_SetOfflineDefaults();
        if (kel_IsNetConnectOnline()) zkr_SetOnlineDefaults();
        if (TreeView.Count() < 1) {
            kel_TileWallPaperO();
            kel_ApplyWallPaperO(AppState.ApplicationPath + "zelkora.bmp");
        }
    } catch (const Failure& f) {
        ReportFailure(f, "Form_Load");
    }
}

void frmZKRMain::zkr_SyncManager() {
    try {
        ModuleApplied = false;
        if (!kel_IsActiveDesktopEnabled()) {
            chkShowDeskTop.SetValue(0);
            int answer = MsgBox("Active Desktop is required to run Zelkora.  Would you like to "
                                "enable the Active Desktop?",
                                vbYesNo + vbQuestion, App::Title());
            if (answer != vbYes) {
                zkr_SetModuleCommandState();
                zkr_ShowDesktopStatus();
                return;
            }
            kel_SetActiveDesktopEnabled();
            kel_RemoveMyHomePageComponent();
            // The desktop is on now: the box says so and the commands follow it.
            chkShowDeskTop.SetValue(1);
        } else {
            chkShowDeskTop.SetValue(1);
        }
        std::string wallpaper = kel_GetWallPaper();
        std::string name;
        if (!wallpaper.empty()) {
            name = kel_StripExtensionFromFileName(wallpaper);
            if (zkr_IsZKRModuleName(name)) ModuleApplied = true;
        }
        if (ModuleApplied) {
            std::string wanted = platform::ToUpperAscii(name);
            for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
                const ModuleRecord& item = Element(AppState.ModuleItems, i);
                if (platform::ToUpperAscii(kel_StripExtensionFromFileName(item.URL)) != wanted)
                    continue;
                int node = NodeOfItem(i);
                if (node < 1) continue; // an entry the tree has no node for
                TreeView.Nodes(node).SetSelected(true);
                zkr_UpdateModulePreview();
                zkr_LoadSelectedModule();
                break;
            }
        }
        zkr_SetModuleCommandState();
        zkr_ShowDesktopStatus();
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_SyncManager");
    }
}
