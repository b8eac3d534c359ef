#include "package/properties.h"

#include "package/manifest.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace package {

namespace {

using nlohmann::json;

constexpr const char* kTypes[] = {"color", "slider", "checkbox", "choice", "text", "label"};
constexpr size_t kMostSteps = 10000; // a slider the user can still move step by step
constexpr int kLongestText = 1000;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v == 0 ? 0.0 : v); // no "-0"
    return text;
}

bool ParseNumber(const std::string& text, double& v) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(v);
}

// Characters of a UTF-8 text, or -1 when it is not UTF-8 or holds a control
// character (a value is one line wherever it is shown).
long Characters(const std::string& text) {
    long count = 0;
    for (size_t i = 0; i < text.size(); ++count) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c == 127) return -1;
        size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2
                     : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (extra == 4 || i + extra >= text.size()) return -1;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return -1;
        i += extra + 1;
    }
    return count;
}

} // namespace

int SliderSteps(const Property& p) {
    return static_cast<int>(std::lround((p.max - p.min) / p.step));
}

int SliderStep(const Property& p, const std::string& canonical) {
    double v = std::strtod(canonical.c_str(), nullptr);
    return std::clamp(static_cast<int>(std::lround((v - p.min) / p.step)), 0, SliderSteps(p));
}

std::string SliderValue(const Property& p, int step) {
    return Number(std::min(p.max, p.min + std::clamp(step, 0, SliderSteps(p)) * p.step));
}

const Property* Find(const std::vector<Property>& properties, const std::string& name) {
    for (const auto& p : properties)
        if (p.name == name) return &p;
    return nullptr;
}

std::optional<std::string> CheckValue(const Property& p, const std::string& text,
                                      std::string& why) {
    switch (p.type) {
    case Property::Color: {
        bool hex = text.size() == 7 && text[0] == '#';
        for (size_t i = 1; hex && i < 7; ++i)
            hex = std::isxdigit(static_cast<unsigned char>(text[i]));
        if (!hex) return why = "it is a colour as #rrggbb", std::nullopt;
        std::string lower = text;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower;
    }
    case Property::Slider: {
        double v;
        if (!ParseNumber(text, v)) return why = "it is a number", std::nullopt;
        double steps = (v - p.min) / p.step, whole = std::round(steps);
        double slack = 1e-9 * std::max(1.0, std::abs(steps));
        if (v < p.min - slack * p.step || v > p.max + slack * p.step)
            return why = "it is from " + Number(p.min) + " to " + Number(p.max), std::nullopt;
        if (std::abs(steps - whole) > slack)
            return why = "it goes in steps of " + Number(p.step) + " from " + Number(p.min),
                   std::nullopt;
        return Number(std::min(p.max, p.min + whole * p.step));
    }
    case Property::Checkbox:
        if (text == "true" || text == "false") return text;
        return why = "it is true or false", std::nullopt;
    case Property::Choice: {
        std::string list;
        for (const auto& c : p.choices) {
            if (c == text) return c;
            list += (list.empty() ? "" : ", ") + c;
        }
        return why = "it is one of " + list, std::nullopt;
    }
    case Property::Text: {
        long n = Characters(text);
        if (n < 0) return why = "it is one line of text", std::nullopt;
        if (n > p.maxLength)
            return why = "it is at most " + std::to_string(p.maxLength) + " characters", std::nullopt;
        return text;
    }
    case Property::Label:
        return why = "it is a heading, not a setting", std::nullopt;
    }
    return std::nullopt;
}

json ValueJson(const Property& p, const std::string& canonical) {
    if (p.type == Property::Slider) return std::strtod(canonical.c_str(), nullptr);
    if (p.type == Property::Checkbox) return canonical == "true";
    return canonical;
}

std::optional<std::string> ValueFromJson(const Property& p, const json& value) {
    std::string why;
    if (p.type == Property::Slider)
        return value.is_number() ? CheckValue(p, Number(value.get<double>()), why) : std::nullopt;
    if (p.type == Property::Checkbox)
        return value.is_boolean() ? std::optional<std::string>(value.get<bool>() ? "true" : "false")
                                  : std::nullopt;
    return value.is_string() ? CheckValue(p, value.get<std::string>(), why) : std::nullopt;
}

std::vector<Property> ParseProperties(const json& manifest, std::vector<Problem>& problems) {
    std::vector<Property> out;
    auto list = manifest.find("properties");
    if (list == manifest.end() || list->is_null()) return out;
    if (!list->is_array()) {
        problems.push_back({kManifestName, "the field \"properties\" is not an array"});
        return out;
    }
    for (size_t i = 0; i < list->size(); ++i) {
        const json& d = (*list)[i];
        std::string which = "the property " + std::to_string(i + 1);
        auto fault = [&](const std::string& what) {
            problems.push_back({kManifestName, which + ": " + what});
        };
        if (!d.is_object()) {
            fault("it is not an object");
            continue;
        }
        auto text = [&](const char* field) -> std::string {
            auto it = d.find(field);
            if (it == d.end() || !it->is_string() || it->get<std::string>().empty()) {
                fault(std::string("its \"") + field + "\" is missing or not a text");
                return {};
            }
            return it->get<std::string>();
        };
        auto number = [&](const char* field, double& v) {
            auto it = d.find(field);
            if (it == d.end() || !it->is_number()) {
                fault(std::string("its \"") + field + "\" is missing or not a number");
                return false;
            }
            v = it->get<double>();
            return true;
        };
        Property p;
        p.name = text("name");
        if (!p.name.empty()) {
            which += " \"" + p.name + "\"";
            bool word = p.name.size() <= 40 && std::isalpha(static_cast<unsigned char>(p.name[0]));
            for (char c : p.name)
                word = word && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
            if (!word) fault("its name is a letter then letters, digits or _, at most 40");
            if (Find(out, p.name)) fault("the name is declared twice");
        }
        p.label = text("label");
        std::string type = text("type");
        size_t t = 0;
        while (t < std::size(kTypes) && type != kTypes[t])
            ++t;
        if (t == std::size(kTypes)) {
            if (!type.empty())
                fault("the type \"" + type +
                      "\" is unknown (color, slider, checkbox, choice, text or label)");
            continue;
        }
        p.type = static_cast<Property::Type>(t);
        bool sound = true;
        if (p.type == Property::Slider) {
            // Each missing field is said, not only the first.
            bool min = number("min", p.min), max = number("max", p.max),
                 step = number("step", p.step);
            sound = min && max && step;
            if (sound && !(p.min < p.max)) sound = false, fault("its min is not below its max");
            if (sound && !(p.step > 0)) sound = false, fault("its step is not above 0");
            if (sound && (p.max - p.min) / p.step > kMostSteps)
                sound = false, fault("it has more than 10000 steps");
        } else if (p.type == Property::Choice) {
            auto c = d.find("choices");
            if (c != d.end() && c->is_array()) {
                for (const auto& e : *c) {
                    bool fresh = e.is_string() && !e.get<std::string>().empty() &&
                                 std::find(p.choices.begin(), p.choices.end(),
                                           e.get<std::string>()) == p.choices.end();
                    if (fresh) p.choices.push_back(e.get<std::string>());
                    sound = sound && fresh;
                }
            }
            if (!sound || p.choices.empty())
                sound = false, fault("its \"choices\" are not an array of different texts");
        } else if (p.type == Property::Text) {
            auto m = d.find("maxLength");
            if (m == d.end() || !m->is_number_integer() || m->get<long long>() < 1 ||
                m->get<long long>() > kLongestText)
                sound = false, fault("its \"maxLength\" is not a whole number from 1 to 1000");
            else
                p.maxLength = static_cast<int>(m->get<long long>());
        }
        if (!sound) continue;
        if (p.type == Property::Label) { // a heading has no value
            out.push_back(std::move(p));
            continue;
        }
        auto def = d.find("default");
        std::optional<std::string> value;
        if (def != d.end()) value = ValueFromJson(p, *def);
        if (!value) {
            fault("its \"default\" is missing or not a value it can take");
            continue;
        }
        p.defaultValue = *value;
        out.push_back(std::move(p));
    }
    return out;
}

json PropertiesJson(const std::vector<Property>& properties) {
    json list = json::array();
    for (const auto& p : properties) {
        json d = {{"name", p.name}, {"type", kTypes[p.type]}, {"label", p.label}};
        if (p.type != Property::Label) d["default"] = ValueJson(p, p.defaultValue);
        if (p.type == Property::Slider) {
            d["min"] = p.min;
            d["max"] = p.max;
            d["step"] = p.step;
        } else if (p.type == Property::Choice) {
            d["choices"] = p.choices;
        } else if (p.type == Property::Text) {
            d["maxLength"] = p.maxLength;
        }
        list.push_back(std::move(d));
    }
    return list;
}

} // namespace package
