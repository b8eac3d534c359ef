// The runtime's conversions on any text, and the options file's line.
#include "desktop/zkr_basOptions.h"
#include "runtime/failure.h"
#include "runtime/variant.h"

#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    double d = Val(text);
    if (std::isnan(d)) std::abort();
    try {
        CInt(d);
    } catch (const Failure& f) {
        if (f.Number != Err::Overflow) std::abort();
    }
    try {
        CBool(Variant(text));
    } catch (const Failure& f) {
        if (f.Number != Err::TypeMismatch) std::abort();
    }
    if (std::isfinite(d)) {
        // A number's text reads back as the number, to the digits it shows.
        double back = Val(CStr(Variant(d)));
        if (std::fabs(back - d) > std::fabs(d) * 1e-14) std::abort();
    }
    int16_t level = zkr_ParseModuleTransparency(text);
    if (level < 0 || level > 100) std::abort();
    if (size >= 1) {
        // The line the Manager writes reads back as its level.
        int written = data[0] % 100;
        if (zkr_ParseModuleTransparency("&utilTransparency=" + std::to_string(written) + "&") !=
            written)
            std::abort();
    }
    return 0;
}
