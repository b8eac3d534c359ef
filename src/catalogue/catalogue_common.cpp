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

} // namespace catalogue
