#include "startup/zkr_basRegistry.h"

#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"
#include "startup/AppState.h"
#include "startup/kel_basRegistry.h"

namespace {

std::string MissingMessage(const char* label) {
    return std::string("Error reading registry [") + label +
           "]. Ensure the application is setup properly.";
}

bool IsMissing(const std::string& f) {
    return f.empty();
}
bool IsMissing(const std::optional<std::string>& f) {
    return !f || f->empty();
}

template <class Field> void Reset(Field& f) {
    f = Field{};
}

// Reads one row of the settings; ends the process when it is missing.
template <class Field> void ReadSetting(const char* valueName, Field& field, const char* label) {
    Reset(field);
    kel_GetRegistryString(AppState.RegistryKey, valueName, field, HKEY_LOCAL_MACHINE);
    if (IsMissing(field)) {
        MsgBox(MissingMessage(label), vbCritical, App::Title());
        End();
    }
}

} // namespace

void zkr_LoadRegistryEntries() {
    try {
        ReadSetting("ApplicationPath", AppState.ApplicationPath, "Application Path");
        ReadSetting("ModulesPath", AppState.ModulesPath, "Modules Path");
        ReadSetting("DeInstallPath", AppState.DeInstallPath, "DeInstallPath");
        ReadSetting("DataPath", AppState.DataPath, "Data Path");
        ReadSetting("INIFilePath", AppState.INIFilePath, "INI Path");
        ReadSetting("INIFileName", AppState.INIFileName, "INI File Name");
        AppState.INIFile = Text(AppState.INIFilePath) + Text(AppState.INIFileName);
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_LoadRegistryEntries");
    }
}
