#include "catalogue/catalogue_common.h"

#include "catalogue/zkr_basData.h"
#include "platform/dao.h"

namespace catalogue {

bool RowExists(const std::string& path, const char* statement, const std::string& key,
               const char* procedure) {
    bool result = false;
    try {
        if (!zkr_IsDataFileAvailable(path)) return false;
        auto db = dao::DBEngine.Workspaces(0).OpenDatabase(path);
        auto rs = db.OpenRecordset(statement, dao::dbOpenDynaset, {key});
        result = !rs.Eof();
        rs.Close();
        db.Close();
    } catch (const Failure& f) {
        ReportCatalogueFailure(f, procedure);
    }
    return result;
}

std::string ReadUninstallPath(const std::string& path, const char* statement, const char* field,
                              const std::string& key, const char* caption,
                              const std::string& failureTitle) {
    std::string result;
    try {
        if (!zkr_IsDataFileAvailable(path)) return result;
        auto db = dao::DBEngine.Workspaces(0).OpenDatabase(path);
        auto rs = db.OpenRecordset(statement, dao::dbOpenDynaset, {key});
        if (rs.Eof()) {
            MsgBox("Error reading UninstallPath", vbInformation, caption);
            return result; // the database is let go unclosed on this path
        }
        result = CStr(rs.Fields(field).Value());
        db.Close();
    } catch (const Failure& f) {
        ReportError(f, failureTitle);
    }
    return result;
}

} // namespace catalogue
