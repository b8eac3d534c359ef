#include "catalogue/zkr_basModules.h"

#include "catalogue/catalogue_common.h"
#include "catalogue/zkr_basData.h"
#include "platform/dao.h"
#include "startup/AppState.h"

using catalogue::ReportCatalogueFailure;
using catalogue::RowExists;
using dao::DBEngine;

void zkr_LoadModuleData(const std::string& path) {
    // Emptied first, so that a failure below leaves an empty catalogue.
    AppState.ModuleItems.assign(1, ModuleRecord{});
    AppState.ModuleItemCount = 0;
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        auto db = DBEngine.Workspaces(0).OpenDatabase(path);
        auto themes = db.OpenRecordset("SELECT * FROM tblThemes", dao::dbOpenSnapshot);
        auto modules = db.OpenRecordset("SELECT * FROM tblModules", dao::dbOpenSnapshot);
        if (themes.Eof() || modules.Eof()) return;
        themes.MoveLast();
        modules.MoveLast();
        long t = themes.RecordCount(), m = modules.RecordCount();
        AppState.ModuleItemCount = CInt(Variant(static_cast<int64_t>(t + m)));
        std::vector<ModuleRecord> fresh(static_cast<size_t>(t + m + 1));
        AppState.ModuleItems.swap(fresh);
        themes.MoveFirst();
        modules.MoveFirst();

        auto themeKey = themes.Fields("ThemeKey"), themeText = themes.Fields("ThemeTreeText"),
             themeType = themes.Fields("ThemeTreeType");
        int i = 0;
        while (!themes.Eof()) {
            ++i;
            ModuleRecord& r = Element(AppState.ModuleItems, i);
            r.ParentKey = "";
            themeKey.TextInto(r.Key, " ");
            themeText.TextInto(r.TreeText, " ");
            r.TreeType = CInt(kel_Nz(themeType.Value(), Variant(" ")));
            r.PreviewPath = "";
            r.URL = "";
            r.Copyright = " ";
            r.CopyrightURL = " ";
            r.BannerURL = "";
            themes.MoveNext();
        }
        auto key = modules.Fields("ModuleKey"), parent = modules.Fields("ModuleThemeKey"),
             text = modules.Fields("ModuleTreeText"), type = modules.Fields("ModuleTreeType"),
             preview = modules.Fields("ModulePreviewPath"), url = modules.Fields("ModuleURL"),
             copyright = modules.Fields("ModuleCopyright"),
             copyrightUrl = modules.Fields("ModuleCopyrightURL"),
             banner = modules.Fields("ModuleBannerURL");
        while (!modules.Eof()) {
            ++i;
            ModuleRecord& r = Element(AppState.ModuleItems, i);
            parent.TextInto(r.ParentKey, " ");
            key.TextInto(r.Key, " ");
            text.TextInto(r.TreeText, " ");
            r.TreeType = CInt(kel_Nz(type.Value(), Variant(" ")));
            preview.TextInto(r.PreviewPath, " ");
            url.TextInto(r.URL, " ");
            copyright.TextInto(r.Copyright, " ");
            copyrightUrl.TextInto(r.CopyrightURL, " ");
            banner.TextInto(r.BannerURL, " ");
            modules.MoveNext();
        }
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_LoadModuleData");
    }
}

bool zkr_IsThemePhantomed(const std::string& path, const std::string& themeKey) {
    bool result = false;
    try {
        if (!zkr_IsDataFileAvailable(path)) return false;
        auto db = DBEngine.Workspaces(0).OpenDatabase(path);
        auto rs = db.OpenRecordset("Select * FROM tblModules WHERE ModuleThemeKey = ?",
                                   dao::dbOpenSnapshot, {themeKey});
        result = rs.RecordCount() == 0;
        rs.Close();
        db.Close();
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_IsThemePhantomed");
    }
    return result;
}

namespace {

void DeleteRow(const Variant& path, const char* statement, const Variant& key) {
    if (!zkr_IsDataFileAvailable(CStr(path))) return;
    auto db = DBEngine.OpenDatabase(CStr(path));
    db.Execute(statement, {key});
    db.Close();
}

} // namespace

bool zkr_DoesThemeExist(const std::string& path, const std::string& themeKey) {
    return RowExists(path, "Select * FROM tblThemes WHERE ThemeKey = ?", themeKey,
                     "zkr_DoesThemeExist");
}

bool zkr_DoesModuleExist(const std::string& path, const std::string& moduleKey) {
    return RowExists(path, "Select * FROM tblModules WHERE ModuleKey = ?", moduleKey,
                     "zkr_DoesModuleExist");
}

std::string zkr_GetModuleUninstallPath(const std::string& path, const std::string& moduleKey) {
    return catalogue::ReadUninstallPath(
        path, "Select MOduleUninstallPath From tblModules where ModuleKey = ?",
        "ModuleUninstallPath", moduleKey, "Zelkora Module Uninstall",
        "Zelkora Module Uninstall - zkr_GetModuleUninstallPath() ");
}

void zkr_DeleteModule(const Variant& path, const Variant& moduleKey) {
    try {
        DeleteRow(path, "DELETE FROM tblModules WHERE ModuleKey = ?", moduleKey);
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_DeleteModule");
    }
}

void zkr_DeleteTheme(const Variant& path, const Variant& themeKey) {
    DeleteRow(path, "DELETE FROM tblThemes WHERE ThemeKey = ?", themeKey);
}

void zkr_RemoveModuleData(const std::string& path, const std::string& moduleKey,
                          const std::string& themeKey) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        if (zkr_DoesModuleExist(path, moduleKey)) zkr_DeleteModule(path, moduleKey);
        if (!zkr_IsThemePhantomed(path, themeKey)) return;
        if (!zkr_DoesThemeExist(path, themeKey)) return;
        zkr_DeleteTheme(path, themeKey);
    } catch (const Failure& f) {
        ReportError(f, App::Title() + " - zkr_RemoveModuleData");
    }
}

std::string zkr_ThemeTextOf(const ModuleRecord& module) {
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& r = AppState.ModuleItems[static_cast<size_t>(i)];
        if (r.TreeType == 100 && r.Key == module.ParentKey) return r.TreeText;
    }
    return {};
}
