// A module's properties: what its zelkora.json declares the user may set
// (a colour, a slider, a box, a choice, a text) and the rules a value of
// each must keep. Values travel as text in one canonical form per type. A
// label is no setting: a heading over the ones after it.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

namespace package {

struct Problem;

struct Property {
    enum Type { Color, Slider, Checkbox, Choice, Text, Label } type = Text;
    std::string name, label;
    std::string defaultValue;         // canonical text; "" for a label
    double min = 0, max = 0, step = 0; // slider
    std::vector<std::string> choices; // choice
    int maxLength = 0;                // text, in characters
};

// The declarations of a manifest's "properties" (absent: none); every fault
// is added to problems, naming the property.
std::vector<Property> ParseProperties(const nlohmann::json& manifest,
                                      std::vector<Problem>& problems);
// The declarations as the manifest's "properties" array.
nlohmann::json PropertiesJson(const std::vector<Property>& properties);

// The canonical text of a value typed by a user for p ("#1a2b3c", "0.5",
// "true", a choice, a text), or none with why it is refused.
std::optional<std::string> CheckValue(const Property& p, const std::string& text,
                                      std::string& why);
// A stored or canonical value as the page gets it (a number, a boolean or a
// text), and back; a stored value that no longer suits p gives none.
nlohmann::json ValueJson(const Property& p, const std::string& canonical);
std::optional<std::string> ValueFromJson(const Property& p, const nlohmann::json& value);

// A slider as the user moves it: steps from 0 (its min) to SliderSteps.
int SliderSteps(const Property& p);
int SliderStep(const Property& p, const std::string& canonical);
std::string SliderValue(const Property& p, int step);

// The property of that name, or null.
const Property* Find(const std::vector<Property>& properties, const std::string& name);

} // namespace package
