// The Modules tab's playlist: the modules that take turns on the desktop,
// every so often or by time of day. The window writes the prefix's playlist;
// the desktop advances it.
#include "catalogue/zkr_basModules.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "window/frmZKRMain.h"

#include <algorithm>

void frmZKRMain::zkr_ShowPlaylist() {
    // Shown as it is: the boxes' own events do not write it back.
    showingPlaylist_ = true;
    Playlist_ = playlist::Load();
    lstPlaylist.Clear();
    for (const auto& m : Playlist_.modules)
        lstPlaylist.AddItem(m);
    for (const auto& [minute, m] : Playlist_.at)
        lstPlaylist.AddItem(playlist::FormatTimeOfDay(minute) + " " + m);
    chkPlaylist.SetValue(Playlist_.on ? 1 : 0);
    chkPlaylistShuffle.SetValue(Playlist_.shuffle ? 1 : 0);
    // What the user is typing stays; an empty field shows the interval.
    if (Playlist_.everySeconds > 0 && txtPlaylistWhen.Text().empty())
        txtPlaylistWhen.SetText(playlist::FormatDuration(Playlist_.everySeconds));
    showingPlaylist_ = false;
    zkr_SetPlaylistCommandState();
}

void frmZKRMain::zkr_SavePlaylist() {
    if (!playlist::Save(Playlist_)) Raise(Err::PathFileAccess);
    zkr_ShowPlaylist();
}

void frmZKRMain::zkr_SetPlaylistCommandState() {
    bool module = false;
    if (TreeView.SelectedItem()) {
        int item = ItemOfNode(TreeView.SelectedItem()->Index());
        module = item >= 1 && AppState.ModuleItems[static_cast<size_t>(item)].TreeType == 200;
    }
    cmdPlaylistAdd.SetEnabled(module);
    cmdPlaylistRemove.SetEnabled(lstPlaylist.ListIndex() >= 0);
    chkPlaylistShuffle.SetEnabled(Playlist_.everySeconds > 0 || Playlist_.modules.size() > 0);
}

void frmZKRMain::zkr_SetPlaylistFlag(bool playlist::Playlist::*flag, const toolkit::CheckBox& box,
                                     const char* handler) {
    if (showingPlaylist_) return;
    try {
        Playlist_.*flag = box.Value() == 1;
        zkr_SavePlaylist();
    } catch (const Failure& f) {
        ReportFailure(f, handler);
    }
}

void frmZKRMain::txtPlaylistWhen_Change() {
    if (showingPlaylist_) return;
    try {
        // A new interval counts at once for a playlist that goes by interval.
        auto every = playlist::ParseDuration(txtPlaylistWhen.Text());
        if (every && Playlist_.at.empty() && *every != Playlist_.everySeconds) {
            Playlist_.everySeconds = *every;
            zkr_SavePlaylist();
        }
    } catch (const Failure& f) {
        ReportFailure(f, "txtPlaylistWhen_Change");
    }
}

void frmZKRMain::cmdPlaylistAdd_Click() {
    try {
        const ModuleRecord& entry = SelectedEntry();
        if (entry.TreeType != 200) return;
        std::string name = zkr_ThemeTextOf(entry) + "/" + entry.TreeText;
        const std::string& when = txtPlaylistWhen.Text();
        if (auto every = playlist::ParseDuration(when); every && Playlist_.at.empty()) {
            Playlist_.everySeconds = *every;
            Playlist_.modules.push_back(name);
        } else if (auto at = playlist::ParseTimeOfDay(when); at && Playlist_.modules.empty()) {
            Playlist_.everySeconds = 0;
            Playlist_.at.emplace_back(*at, name);
            std::sort(Playlist_.at.begin(), Playlist_.at.end());
        } else {
            MsgBox(every || at ? "A playlist goes either every so often or by time of day: take "
                                 "its entries out to change how it goes."
                               : "Type how often the module changes (30s, 10m or 2h), or the "
                                 "time of day from which this module shows (07:30).",
                   vbExclamation, App::Title());
            return;
        }
        zkr_SavePlaylist();
    } catch (const Failure& f) {
        ReportFailure(f, "cmdPlaylistAdd_Click");
    }
}

void frmZKRMain::cmdPlaylistRemove_Click() {
    try {
        int i = lstPlaylist.ListIndex();
        int modules = static_cast<int>(Playlist_.modules.size());
        if (i < 0) return;
        if (i < modules) {
            Playlist_.modules.erase(Playlist_.modules.begin() + i);
            if (Playlist_.current >= i) --Playlist_.current;
        } else if (i - modules < static_cast<int>(Playlist_.at.size())) {
            Playlist_.at.erase(Playlist_.at.begin() + (i - modules));
        }
        zkr_SavePlaylist();
    } catch (const Failure& f) {
        ReportFailure(f, "cmdPlaylistRemove_Click");
    }
}
