// The program's loosely typed value: Empty, Null, text, whole number, double or
// Boolean (stored as -1/0), with the conversions the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

class Variant {
  public:
    enum class Kind { Empty, Null, String, Integer, Double, Boolean };

    Variant() = default;
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}
    Variant(int i) : v_(static_cast<int64_t>(i)) {}
    Variant(int64_t i) : v_(i) {}
    Variant(double d) : v_(d) {}
    Variant(bool b) : v_(BoolTag{b}) {}
    static Variant Null() {
        Variant v;
        v.v_ = NullTag{};
        return v;
    }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool IsNull() const { return kind() == Kind::Null; }
    bool IsEmpty() const { return kind() == Kind::Empty; }

    // Direct access; only valid for the matching kind.
    const std::string& str() const { return std::get<std::string>(v_); }
    std::string&& take_str() { return std::move(std::get<std::string>(v_)); }
    int64_t integer() const { return std::get<int64_t>(v_); }
    double dbl() const { return std::get<double>(v_); }
    bool boolean() const { return std::get<BoolTag>(v_).value; }

    bool operator==(const Variant& o) const = default;

  private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct BoolTag {
        bool value;
        bool operator==(const BoolTag&) const = default;
    };
    std::variant<std::monostate, NullTag, std::string, int64_t, double, BoolTag> v_;
};

// The numeric reading of text: blanks are skipped, the leading number is taken
// (decimal, or &H/&O), and text without one reads as 0.
double Val(std::string_view text);

// Conversions with the program's failures: Null is "Invalid use of Null" (94),
// text that is no number is "Type mismatch" (13), a value outside the 16-bit
// range is "Overflow" (6). Halves round to the even neighbour.
int16_t CInt(const Variant& v);
int16_t CInt(double d);
std::string CStr(const Variant& v);
std::string CStr(Variant&& v);
bool CBool(const Variant& v);

// Text of a double as the program prints it (up to 15 significant digits).
std::string FormatNumber(double d);
