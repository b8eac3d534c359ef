// Pieces the catalogue procedures share.
#pragma once

#include "runtime/app.h"
#include "runtime/failure.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "startup/kel_basString.h"

#include <string>
#include <vector>

namespace catalogue {

// The report most catalogue procedures show: number - description, titled
// with the application title and the procedure's name.
inline void ReportCatalogueFailure(const Failure& f, const char* procedure) {
    MsgBox(ErrorText(f), vbCritical, App::Title() + " - " + procedure);
}

} // namespace catalogue

namespace catalogue {

// The existence queries: true when the statement, with the key bound, finds a
// row. Reports a failure under the procedure's name and answers false.
bool RowExists(const std::string& path, const char* statement, const std::string& key,
               const char* procedure);

// The uninstall-path lookups: the field of the row the key finds, as text.
// No row: "Error reading UninstallPath" under the caption, and "". A failure
// (a Null path included) is reported as "Error: " & number & " - " &
// description under failureTitle, and "" is returned.
std::string ReadUninstallPath(const std::string& path, const char* statement, const char* field,
                              const std::string& key, const char* caption,
                              const std::string& failureTitle);

} // namespace catalogue
