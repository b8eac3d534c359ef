#include "runtime/variant.h"

#include "runtime/failure.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// 16 for "&H", 8 for "&O", else 0.
int RadixPrefix(std::string_view t) {
    if (t.size() < 2 || t[0] != '&') return 0;
    char r = static_cast<char>(std::toupper(static_cast<unsigned char>(t[1])));
    return r == 'H' ? 16 : r == 'O' ? 8 : 0;
}

// The leading digits of that base (at most 32 bits' worth); used tells how many.
int64_t ReadDigits(std::string_view t, int base, size_t& used) {
    int64_t v = 0;
    for (used = 0; used < t.size(); ++used) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[used])));
        int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                            : 99;
        if (d >= base || v * base + d > 0xFFFFFFFFLL) break;
        v = v * base + d;
    }
    return v;
}

// Parses a whole text as a number (blanks around it allowed). No value when the
// text is not entirely a number.
std::optional<double> ParseWholeNumber(std::string_view t) {
    size_t b = 0, e = t.size();
    while (b < e && IsBlank(t[b]))
        ++b;
    while (e > b && IsBlank(t[e - 1]))
        --e;
    t = t.substr(b, e - b);
    if (t.empty()) return std::nullopt;
    if (int base = RadixPrefix(t)) {
        size_t used = 0;
        int64_t v = ReadDigits(t.substr(2), base, used);
        if (used == 0 || used != t.size() - 2) return std::nullopt;
        return static_cast<double>(v);
    }
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        size_t k = j;
        while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k])))
            ++k;
        if (k == j) return std::nullopt;
        i = k;
    }
    if (i != t.size()) return std::nullopt;
    std::string s(t);
    for (char& c : s)
        if (c == 'd' || c == 'D') c = 'e';
    return std::strtod(s.c_str(), nullptr);
}

} // namespace

double Val(std::string_view text) {
    // Blanks are skipped wherever they stand, as the runtime's Val does.
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!IsBlank(c)) s.push_back(c);
    if (int base = RadixPrefix(s)) {
        size_t used = 0;
        return static_cast<double>(ReadDigits(std::string_view(s).substr(2), base, used));
    }
    size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        num.push_back(s[i++]), digits = true;
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            num.push_back(s[i++]), digits = true;
    }
    if (!digits) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            exp.push_back(s[j++]), expDigits = true;
        if (expDigits) num += exp;
    }
    return std::strtod(num.c_str(), nullptr);
}

int16_t CInt(double d) {
    if (std::isnan(d)) Raise(Err::Overflow);
    double r = std::nearbyint(d); // the default rounding mode rounds halves to even
    if (r < -32768.0 || r > 32767.0) Raise(Err::Overflow);
    return static_cast<int16_t>(r);
}

int16_t CInt(const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Empty:
        return 0;
    case Variant::Kind::Null:
        Raise(Err::InvalidUseOfNull);
    case Variant::Kind::Boolean:
        return v.boolean() ? -1 : 0;
    case Variant::Kind::Integer:
        if (v.integer() < -32768 || v.integer() > 32767) Raise(Err::Overflow);
        return static_cast<int16_t>(v.integer());
    case Variant::Kind::Double:
        return CInt(v.dbl());
    case Variant::Kind::String: {
        auto n = ParseWholeNumber(v.str());
        if (!n) Raise(Err::TypeMismatch);
        return CInt(*n);
    }
    }
    Raise(Err::TypeMismatch);
}

std::string FormatNumber(double d) {
    if (d == std::floor(d) && std::fabs(d) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", d);
        return std::string(buf) == "-0" ? "0" : buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    std::string s = buf;
    // Drop trailing zeros of the fraction, as the runtime prints.
    auto e = s.find('E');
    std::string mant = s.substr(0, e), exp = e == std::string::npos ? "" : s.substr(e);
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0')
            mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    return mant + exp;
}

std::string CStr(const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Empty:
        return {};
    case Variant::Kind::Null:
        Raise(Err::InvalidUseOfNull);
    case Variant::Kind::String:
        return v.str();
    case Variant::Kind::Integer:
        return std::to_string(v.integer());
    case Variant::Kind::Double:
        return FormatNumber(v.dbl());
    case Variant::Kind::Boolean:
        return v.boolean() ? "True" : "False";
    }
    return {};
}

std::string CStr(Variant&& v) {
    if (v.kind() == Variant::Kind::String) return std::move(v.take_str());
    return CStr(static_cast<const Variant&>(v));
}

bool CBool(const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Empty:
        return false;
    case Variant::Kind::Null:
        Raise(Err::InvalidUseOfNull);
    case Variant::Kind::Boolean:
        return v.boolean();
    case Variant::Kind::Integer:
        return v.integer() != 0;
    case Variant::Kind::Double:
        return v.dbl() != 0.0;
    case Variant::Kind::String: {
        std::string s;
        for (char c : v.str())
            if (!IsBlank(c))
                s.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        if (s == "true") return true;
        if (s == "false") return false;
        auto n = ParseWholeNumber(v.str());
        if (!n) Raise(Err::TypeMismatch);
        return *n != 0.0;
    }
    }
    return false;
}
