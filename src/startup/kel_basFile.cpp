#include "startup/kel_basFile.h"

#include "runtime/failure.h"
#include "runtime/msgbox.h"

#include <cstdint>

std::string kel_StripExtensionFromFileName(const std::string& fileName) {
    std::string result = fileName;
    try {
        // The walk counts positions in a 16-bit integer.
        if (fileName.size() > 32767) Raise(Err::Overflow);
        for (int16_t i = static_cast<int16_t>(fileName.size()); i >= 1; --i) {
            if (fileName[static_cast<size_t>(i - 1)] == '\\') {
                result = fileName.substr(static_cast<size_t>(i));
                break;
            }
        }
    } catch (const Failure& f) {
        MsgBox("Error: " + std::to_string(f.Number) + ".  " + f.Description, vbInformation,
               " - kel_StripExtensionFromFileName()");
    }
    return result;
}
