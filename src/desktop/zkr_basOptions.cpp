#include "desktop/zkr_basOptions.h"

#include "runtime/variant.h"

int16_t zkr_ParseModuleTransparency(const std::string& line) {
    auto eq = line.find('=');
    double level = Val(eq == std::string::npos ? std::string_view(line)
                                               : std::string_view(line).substr(eq + 1));
    return level > 0 && level < 100 ? CInt(level) : int16_t{0};
}
