#include "catalogue/zkr_basToyz.h"

#include "catalogue/catalogue_common.h"
#include "catalogue/zkr_basData.h"
#include "platform/dao.h"
#include "startup/AppState.h"

using catalogue::ReportCatalogueFailure;
using dao::DBEngine;

namespace {

// Reads every row of a toy recordset into a fresh array. The count is checked
// against the 16-bit range before anything is replaced, so an overflow leaves
// the array and its count as they were.
void LoadToys(dao::Recordset& rs, std::vector<ToyRecord>& toys, int16_t& count) {
    rs.MoveLast();
    rs.MoveFirst();
    long n = rs.RecordCount();
    int16_t newCount = CInt(Variant(static_cast<int64_t>(n)));
    std::vector<ToyRecord> fresh(static_cast<size_t>(n + 1));
    toys.swap(fresh);
    count = newCount;
    auto key = rs.Fields("ToyKey"), text = rs.Fields("ToyText"),
         preview = rs.Fields("ToyPreviewPath"), locked = rs.Fields("ToyIsLocked"),
         active = rs.Fields("ToyIsActive"), copyright = rs.Fields("ToyCopyright"),
         copyrightUrl = rs.Fields("ToyCopyrightURL");
    int i = 0;
    while (!rs.Eof()) {
        ++i;
        ToyRecord& t = Element(toys, i);
        // A Null text loads as a single space.
        key.TextInto(t.ToyKey, " ");
        text.TextInto(t.ToyText, " ");
        preview.TextInto(t.ToyPreviewPath, " ");
        t.ToyIsLocked = CBool(locked.Value());
        t.ToyIsActive = CBool(active.Value());
        copyright.TextInto(t.ToyCopyright, " ");
        copyrightUrl.TextInto(t.ToyCopyrightURL, " ");
        rs.MoveNext();
    }
}

// Runs one statement with one bound value, or none.
void ExecuteOne(dao::Database db, const char* statement, const dao::Params& params) {
    db.Execute(statement, params);
    db.Close();
}

} // namespace

void zkr_LoadToyzData(const std::string& path) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        auto db = DBEngine.Workspaces(0).OpenDatabase(path);
        auto rs = db.OpenRecordset("SELECT * FROM tblToyz ORDER BY ToyOrder ", dao::dbOpenSnapshot);
        if (rs.Eof()) {
            AppState.AllToyz.assign(1, ToyRecord{});
            AppState.ActiveToyz.assign(1, ToyRecord{});
            AppState.ToyCount = 0;
            AppState.ActiveToyCount = 0;
            return;
        }
        LoadToys(rs, AppState.AllToyz, AppState.ToyCount);
        rs = db.OpenRecordset("SELECT * FROM tblToyz WHERE ToyIsActive = -1 ORDER BY ToyOrder",
                              dao::dbOpenSnapshot);
        if (rs.Eof()) {
            AppState.ActiveToyz.assign(1, ToyRecord{});
            AppState.ActiveToyCount = 0;
            return;
        }
        LoadToys(rs, AppState.ActiveToyz, AppState.ActiveToyCount);
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_LoadToyzData");
    }
}

std::string zkr_GetToyUninstallPath(std::string path, std::string toyKey) {
    return catalogue::ReadUninstallPath(
        path, "SELECT ToyUninstallPath From tblToyz WHERE ToyKey = ?", "ToyUninstallPath", toyKey,
        "Zelkora Toy Uninstall", App::Title() + " - zkr_GetToyUninstallPath");
}

void zkr_RemoveToyData(const std::string& path, const std::string& toyKey) {
    try {
        if (zkr_DoesToyExist(path, toyKey)) zkr_DeleteToy(path, toyKey);
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_RemoveToyData");
    }
}

void zkr_DeleteToy(const std::string& path, const std::string& toyKey) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        ExecuteOne(DBEngine.OpenDatabase(path), "DELETE FROM tblToyz WHERE ToyKey = ?", {toyKey});
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_DeleteToy");
    }
}

bool zkr_DoesToyExist(const std::string& path, const std::string& toyKey) {
    return catalogue::RowExists(path, "Select * FROM tblToyz WHERE ToyKey = ?", toyKey,
                                "zkr_DoesToyExist");
}

void zkr_SetToysInActive(const std::string& path) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        ExecuteOne(DBEngine.Workspaces(0).OpenDatabase(path), "UPDATE tblToyz SET ToyIsActive = 0",
                   {});
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_SetToysInActive");
    }
}

void zkr_SetToyActive(const std::string& path, const Variant& toyText) {
    try {
        if (!zkr_IsDataFileAvailable(path)) return;
        ExecuteOne(DBEngine.Workspaces(0).OpenDatabase(path),
                   "UPDATE tblToyz SET ToyIsActive = -1 WHERE ToyText = ?", {toyText});
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, "zkr_SetToyActive");
    }
}
