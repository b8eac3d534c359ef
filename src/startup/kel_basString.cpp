#include "startup/kel_basString.h"

#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"

Variant kel_Nz(const Variant& value, const Variant& valueIfNull) {
    Variant result = std::string();
    try {
        result = value.IsNull() ? valueIfNull : value;
    } catch (const Failure& f) {
        MsgBox(ErrorText(f), vbCritical, App::Title() + " - kel_Nz");
    }
    return result;
}

std::string kel_TrimAtNull(const std::string& text) {
    auto p = text.find('\0');
    return p == std::string::npos ? text : text.substr(0, p);
}

std::string kel_Trim(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = text.find_last_not_of(' ');
    return text.substr(b, e - b + 1);
}

Variant kel_Nz(Variant&& value, const Variant& valueIfNull) {
    if (value.IsNull()) return kel_Nz(static_cast<const Variant&>(value), valueIfNull);
    return std::move(value);
}
