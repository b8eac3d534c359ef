#include "startup/kel_basINI.h"

#include "platform/win32.h"
#include "runtime/failure.h"
#include "runtime/msgbox.h"
#include "startup/kel_basString.h"

std::string kel_GetPrivateProfileString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& defaultValue) {
    std::string result = defaultValue;
    try {
        std::string buffer(255, ' ');
        DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer.data(), 255, file.c_str());
        result = std::to_string(n);
        // The buffer keeps its blanks after the NUL the platform wrote; they are
        // trimmed and the first n characters taken.
        result = kel_Trim(buffer).substr(0, n);
    } catch (const Failure& f) {
        MsgBox("Error: " + std::to_string(f.Number) + " - " + f.Description + ".", vbCritical,
               "kel_basUTINIkel_GetPrivateProfileString");
    }
    return result;
}

bool kel_WritePrivateProfileString(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           0;
}
