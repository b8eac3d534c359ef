// The Manager's one window: its controls (on the headless toolkit) and all of
// its logic. The tabs' procedures live in one source file per tab.
#pragma once

#include "desktop/display_layout.h"
#include "desktop/module_properties.h"
#include "desktop/playlist.h"
#include "startup/AppState.h"
#include "window/toolkit/toolkit.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class frmZKRMain {
  public:
    frmZKRMain();
    ~frmZKRMain();

    // The one window of the process, created the first time it is asked for.
    static frmZKRMain& Instance();
    // Shows the window without making it modal: the load event runs first.
    void Show();

    // ---- The window and its controls ----
    toolkit::Window Me{"frmZKRMain", "Zelkora Manager"};
    toolkit::TabControl SSTab1{"SSTab1",
                               {"&Modules", "&Toyz", "&Update", "&Options", "&Help", "A&bout"}};
    toolkit::WebBrowser wbBanner{"wbBanner"};
    // The line at the bottom of the window that says what the last action did.
    toolkit::Label lblStatus{"lblStatus", ""};

    // Modules tab
    toolkit::ImageList TreeImageList{"TreeImageList",
                                     {"theme-closed", "theme-open", "module", "module-selected"}};
    toolkit::TextBox txtFilter{"txtFilter", "",
                               "Type part of a module's or theme's name to see only those "
                               "(Ctrl+F); Esc shows them all again."};
    toolkit::TreeView TreeView{"TreeView"};
    toolkit::Frame Frame1{"Frame1", "Preview"};
    toolkit::CommandButton cmdRemove{
        "cmdRemove", "&Remove",
        "Click this button to remove the previewed Zelkora module from your desktop."};
    toolkit::PictureBox pctModule{"pctModule"};
    toolkit::CommandButton cmdApply{
        "cmdApply", "&Apply",
        "Click this button to apply the previewed Zelkora module to your desktop."};
    toolkit::WebBrowser wbModuleCopyright{"wbModuleCopyright"};
    // Where Apply puts the module: every display, or one by its name.
    toolkit::Label lblDisplay{"lblDisplay", "Display:"};
    toolkit::ListBox cboDisplay{"cboDisplay", {},
                                "Choose the display that Apply puts the module on."};
    toolkit::CommandButton cmdRefresh{
        "cmdRefresh", "Re&fresh List",
        "Click this button to update the Modules list above, following a module installation."};
    toolkit::CommandButton cmdRemoveNode{
        "cmdRemoveNode", "Uninstall",
        "Click this button to remove the selected module above from your computer."};

    // The Modules tab's playlist: modules that take turns on the desktop.
    toolkit::Frame fraPlaylist{"fraPlaylist", "Playlist"};
    toolkit::CheckBox chkPlaylist{"chkPlaylist", "Playlist",
                                  "Tick this box to have the modules of the playlist take turns "
                                  "on the desktop."};
    toolkit::ListBox lstPlaylist{"lstPlaylist", {},
                                 "The modules that take turns on the desktop, in turn."};
    toolkit::TextBox txtPlaylistWhen{"txtPlaylistWhen", "",
                                     "How often the module changes (30s, 10m, 2h), or the time "
                                     "of day (07:30) from which the next module added shows."};
    toolkit::CheckBox chkPlaylistShuffle{"chkPlaylistShuffle", "Shuffle",
                                         "Tick this box to have the modules take turns in a "
                                         "random order."};
    toolkit::CommandButton cmdPlaylistAdd{
        "cmdPlaylistAdd", "A&dd",
        "Click this button to add the module chosen in the tree above to the playlist."};
    toolkit::CommandButton cmdPlaylistRemove{
        "cmdPlaylistRemove", "Ta&ke Out",
        "Click this button to take the chosen entry out of the playlist."};

    // The module's own settings, in a window of their own: one control a
    // property the chosen module declares.
    toolkit::CommandButton cmdCustomise{
        "cmdCustomise", "&Customise...",
        "Click this button to change the previewed module's own settings, such as its colours."};
    toolkit::Window frmCustomise{"frmCustomise", "Customise"};
    toolkit::CommandButton cmdRestoreDefaults{
        "cmdRestoreDefaults", "Restore &defaults",
        "Click this button to give every setting of this module its default value."};
    toolkit::CommandButton cmdCustomiseClose{"cmdCustomiseClose", "Close"};
    struct PropertyControl {
        package::Property property;
        // A TextBox (colour, text), Slider (in steps), CheckBox or ListBox (choice).
        std::unique_ptr<toolkit::Control> control;
    };
    std::vector<PropertyControl> PropertyControls;
    // Counts the times the controls were made anew (for another module), and
    // tells the view each time.
    uint64_t PropertyControlsRevision = 0;
    toolkit::Signal PropertyControlsChanged;
    module_properties::Module Customising; // the module, and its values as stored

    // Toyz tab
    toolkit::Label Label9{"Label9", "Your Toyz (Active):"};
    toolkit::Label Label10{"Label10", "Installed Toyz:"};
    toolkit::Label Label11{"Label11", "1."};
    toolkit::Label Label12{"Label12", "2."};
    toolkit::Label Label13{"Label13", "3."};
    toolkit::ListBox lstToyz{
        "lstToyz",
        {},
        "Click a toy from this list toy for addition to the Active Toyz list below."};
    toolkit::ListBox lstActiveToyz{
        "lstActiveToyz", {}, "Click a toy from this list to remove from the Active Toyz list."};
    toolkit::Frame Frame4{"Frame4", "Preview"};
    toolkit::PictureBox pctToy{"pctToy"};
    toolkit::WebBrowser wbToyCopyright{"wbToyCopyright"};
    toolkit::CommandButton cmdUninstallToy{
        "cmdUninstallToy", "Uninstall",
        "Click this button to remove the selected toy above from your computer."};
    toolkit::CommandButton cmdRefreshToyzList{
        "cmdRefreshToyzList", "Re&fresh List",
        "Click this button to update the Installed Toyz list above, following a Toy installation."};
    toolkit::CommandButton cmdUp{
        "cmdUp", "",
        "Click this button to remove the selected toy below from the the Active Toyz list."};
    toolkit::CommandButton cmdDown{
        "cmdDown", "",
        "Click this button to add the selected toy above to the Active Toyz list below."};
    toolkit::CommandButton cmdApplyToyz{
        "cmdApplyToyz", "&Apply",
        "Click this button to bind the Active Toyz to your Zelkora modules."};

    // Update tab
    toolkit::WebBrowser wbUpdate{"wbUpdate"};

    // Options tab
    toolkit::Frame Frame3{"Frame3", "Zelkora Desktop Options"};
    toolkit::CheckBox chkShowDeskTop{"chkShowDeskTop", "Zelkora Enabled",
                                     "Enable this check box to disable Zelkora Manager desktop."};
    toolkit::CommandButton cmdApplyTransparency{
        "cmdApplyTransparency", "&Apply",
        "Use this button to apply the transparency level below to the Zelkora desktop utilities."};
    toolkit::Slider Slider1{
        "Slider1", 1, 100,
        "Drag this slider to adjust the level of transparency for Zelkora desktop modules."};
    toolkit::Label Label6{"Label6", "Transparency:"};
    toolkit::Label Label7{"Label7", "1"};
    toolkit::Label Label8{"Label8", "100"};
    toolkit::CheckBox chkSound{"chkSound", "Let modules hear the sound and see what plays",
                               "Modules that react to music hear the sound your computer plays "
                               "and see what your music player plays, when this box is checked."};
    toolkit::Frame Frame2{"Frame2", "Zelkora Manager Options"};
    toolkit::CommandButton cmdDeInstall{
        "cmdDeInstall", "&Un-Install Zelkora",
        "Click this button to remove the Zelkora desktop system from your computer."};
    toolkit::CheckBox chkExitAfterApply{
        "chkExitAfterApply", "Exit Manager after apply",
        "Enable this check box to cause Zelkora Manger to close follownig a module apply."};
    toolkit::CheckBox chkMinimizeAfterApply{
        "chkMinimizeAfterApply", "Minimize Manager after apply",
        "Enable this check box to cause Zelkora Manger to Minimize to the task bar follownig a "
        "module apply."};

    // Help tab
    toolkit::WebBrowser wbHelp{"wbHelp"};

    // About tab
    toolkit::PictureBox Picture4{"Picture4"};
    toolkit::PictureBox Picture2{"Picture2"};
    toolkit::Label Label1{"Label1", "Application:"};
    toolkit::Label Label2{"Label2", "Company Name:"};
    toolkit::Label Label3{"Label3", "Copyright:"};
    toolkit::Label Label4{"Label4", "Version:"};
    toolkit::Label Label5{"Label5", "Product:"};
    toolkit::Label lblAppTitle{"lblAppTitle", "lblAppTitle"};
    toolkit::Label lblCompanyName{"lblCompanyName", "lblCompanyName"};
    toolkit::Label lblLegalCopyright{"lblLegalCopyright", "lblLegalCopyright"};
    toolkit::Label lblVersion{"lblVersion", "lblVersion"};
    toolkit::Label lblProductName{"lblProductName", "lblProductName"};
    toolkit::PictureBox Picture1{"Picture1"};
    toolkit::PictureBox Picture3{"Picture3"};
    toolkit::Label Label14{
        "Label14",
        "Zelkora desktop modules play their animations with the Vector Motion Player by Vector "
        "Motion Systems, Inc. Copyright (C) Vector Motion Systems, Inc. All rights reserved. "
        "Vector Motion and Vector Motion Player are trademarks of Vector Motion Systems, Inc."};

    // ---- Window state ----
    playlist::Playlist Playlist_; // as last read or written
    bool showingPlaylist_ = false;
    bool showingProperties_ = false;
    bool ModuleApplied = false;
    std::string CurrentModuleURL;
    std::vector<std::string> DisplayNames; // the Display list's, after the layouts of all
    display_layout::Choices DisplayModules; // the displays that show a module of their own

    // Requests that a second instance sent to this window.
    std::atomic<int> FlashRequests{0};
    std::atomic<int> RaiseRequests{0};
    // Records a request; called on the thread that serves the instance channel.
    void InstanceRequest(bool raise);
    // What the view does with each request (called on that same thread).
    void SetInstanceRequestHandler(std::function<void(bool raise)> handler);

    // ---- Load and synchronisation ----
    void Form_Load();
    void zkr_SyncManager();

    // ---- Modules tab ----
    void zkr_BuildModuleTree();
    void zkr_RefreshModules();
    void cmdRefresh_Click();
    void txtFilter_Change();
    // ---- The playlist ----
    void zkr_ShowPlaylist();
    void zkr_SavePlaylist();
    // The playlist's on/off or shuffle, from its box.
    void zkr_SetPlaylistFlag(bool playlist::Playlist::*flag, const toolkit::CheckBox& box,
                             const char* handler);
    void txtPlaylistWhen_Change();
    void cmdPlaylistAdd_Click();
    void cmdPlaylistRemove_Click();
    void zkr_SetPlaylistCommandState();
    void TreeView_Click();
    void TreeView_DblClick();
    void zkr_SetModuleCommandState();
    void zkr_PreviewModule();
    void zkr_UpdateModulePreview();
    void zkr_LoadSelectedModule();
    void zkr_ApplyModuleToDesktop();
    // What the user's preferences do after an Apply: end, or minimise.
    void zkr_AfterApply();
    void cmdApply_Click();
    // ---- Displays ----
    // The Display list, as the desktop sees the displays now; the choice is
    // kept by the display's name while it is there.
    void zkr_ListDisplays();
    // The display chosen in the list ("" for a layout of them all).
    std::string ChosenDisplay() const;
    // Applies the selected module where the Display list says.
    void zkr_ApplyModuleToChosen();
    void zkr_ApplyModuleToDisplay(const std::string& display);
    void zkr_RemoveModuleFromDesktop();
    void cmdRemove_Click();
    void zkr_UninstallModule();
    void cmdRemoveNode_Click();
    // ---- Customise ----
    void cmdCustomise_Click();
    // The controls for the chosen module's properties (the window closed
    // when it has none), and their values as stored.
    void zkr_ShowCustomise();
    void zkr_ShowPropertyValues();
    // Stores what the user set in control i; a value refused is said on the
    // status line and the control shows the stored one again.
    void zkr_SetProperty(size_t i);
    void cmdRestoreDefaults_Click();

    // ---- Options tab ----
    void zkr_SetOptions();
    void chkExitAfterApply_Click();
    void chkMinimizeAfterApply_Click();
    void chkShowDeskTop_Click();
    void chkSound_Click();
    void zkr_ApplyModuleTransparency();
    int16_t getModuleTransparency();
    void cmdApplyTransparency_Click();
    void cmdDeInstall_Click();
    void zkr_DeInstallManager();

    // ---- Toyz tab ----
    void zkr_RefreshToyz();
    void zkr_FillToyzLists();
    void lstToyz_Click();
    void lstActiveToyz_Click();
    void zkr_AddActiveToy();
    void zkr_RemoveActiveToy();
    void cmdDown_Click();
    void cmdUp_Click();
    void cmdRefreshToyzList_Click();
    void cmdApplyToyz_Click();
    void zkr_BindToyzToModules();
    void zkr_SaveToyOrder(const std::string& path);
    void zkr_UninstallToy();
    void cmdUninstallToy_Click();

    // ---- Web panes and About ----
    void wbBanner_NavigateError();
    void zkr_SetOfflineDefaults();
    void zkr_SetOnlineDefaults();
    void zkr_SetAbout();

    // The catalogue entry of a tree node, and the node of an entry (0 when
    // none): the same index while every entry is a theme or a module.
    int ItemOfNode(int node) const;
    int NodeOfItem(int item) const;

    // ---- What the window says about the desktop ----
    // Marks the tree node of the module on the desktop (bold, with a note)
    // and unmarks every other one.
    void zkr_MarkAppliedModule();
    // The status line's text.
    void zkr_SetStatus(const std::string& text);
    // The tree's text of the module on the desktop, or "" when none is.
    std::string AppliedModuleName() const;
    // Both of the above after the desktop changed: the mark, and a status
    // line that names the module on the desktop.
    void zkr_ShowDesktopStatus();
    // The desktop was changed by other means (the command line, a playlist):
    // the switch, the mark and the status line follow the shell's record,
    // asking nothing.
    void zkr_FollowDesktop();

  private:
    // True when catalogue entry i is the module on the desktop.
    bool IsOnDesktop(int item) const;
    // " NAME is on DISPLAY." for each module a display was given, or "".
    std::string OnDisplays() const;
    // The catalogue entry of the selected node.
    const ModuleRecord& SelectedEntry();
    void BindEvents();
    // Raises what starting the uninstaller would raise (a program not found,
    // not executable or no program), so that nothing is removed before it is
    // known to start.
    static void CheckUninstaller(const std::string& commandLine);
    // The shared steps of both uninstalls: the item's folder, the user's OK and
    // a startable uninstaller. Returns its command line, or "" to stop.
    static std::string ConfirmUninstall(const std::string& folder, const std::string& name);
    void RegisterInstanceWindow();
    std::vector<int> nodeItem_; // node index -> ModuleItems index
    std::vector<int> itemNode_; // ModuleItems index -> node index
    unsigned long windowHandle_ = 0;
    std::mutex requestMutex_;
    std::function<void(bool raise)> onInstanceRequest_;
};

// Where the vendor's banner lives.
inline constexpr const char* kVendorBannerUrl = "http://www.zelkora.example/_banner/defaultad.htm";

// Called with the window when it is shown (the Qt view builds itself here).
using ShowHandler = std::function<void(frmZKRMain&)>;
ShowHandler SetShowHandler(ShowHandler handler);
