#include "desktop/zkr_basOptions.h"

#include "runtime/variant.h"
#include "startup/kel_basINI.h"

int16_t zkr_ParseModuleTransparency(const std::string& line) {
    auto eq = line.find('=');
    double level = Val(eq == std::string::npos ? std::string_view(line)
                                               : std::string_view(line).substr(eq + 1));
    return level > 0 && level < 100 ? CInt(level) : int16_t{0};
}

bool zkr_SoundAllowed(const std::string& preferences) {
    return kel_GetPrivateProfileString(preferences, "Options", "Sound", "1") != "0";
}

void zkr_SetSoundAllowed(const std::string& preferences, bool allowed) {
    kel_WritePrivateProfileString(preferences, "Options", "Sound", allowed ? "1" : "0");
}
