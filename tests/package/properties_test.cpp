// Module properties: the declarations zelkora.json may hold, the values each
// type takes, and what a module's stored values read as after an upgrade.
#include "desktop/module_properties.h"
#include "package/manifest.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace testing_support;
using package::Property;

std::vector<Property> Declared(const std::string& properties, std::string& problems) {
    std::vector<package::Problem> found;
    auto out = package::ParseProperties(
        nlohmann::json::parse("{\"properties\": " + properties + "}"), found);
    problems.clear();
    for (const auto& p : found)
        problems += p.message + "\n";
    return out;
}

TEST(Properties, MalformedDeclarationsAreRefusedByName) {
    struct Case {
        const char* properties;
        const char* problem; // "" for none
    } cases[] = {
        {R"([{"name":"tint","type":"color","label":"Tint","default":"#00FF00"}])", ""},
        {R"([{"name":"n","type":"slider","label":"N","min":0,"max":1,"step":0.1,"default":0.3}])", ""},
        {R"({"name":"tint"})", "the field \"properties\" is not an array"},
        {R"([7])", "the property 1: it is not an object"},
        {R"([{"type":"color","label":"T","default":"#000000"}])", "the property 1: its \"name\" is missing"},
        {R"([{"name":"9lives","type":"checkbox","label":"L","default":true}])", "the property 1 \"9lives\": its name is a letter"},
        {R"([{"name":"a","type":"text","label":"A","maxLength":3,"default":"x"},
             {"name":"a","type":"text","label":"B","maxLength":3,"default":"y"}])", "the property 2 \"a\": the name is declared twice"},
        {R"([{"name":"a","type":"dial","label":"A","default":1}])", "the type \"dial\" is unknown"},
        {R"([{"name":"a","type":"color","default":"#000000"}])", "its \"label\" is missing"},
        {R"([{"name":"a","type":"slider","label":"A","min":5,"max":1,"step":1,"default":3}])", "its min is not below its max"},
        {R"([{"name":"a","type":"slider","label":"A","min":0,"max":1,"step":0,"default":0}])", "its step is not above 0"},
        {R"([{"name":"a","type":"slider","label":"A","min":0,"max":1e6,"step":1,"default":0}])", "more than 10000 steps"},
        {R"([{"name":"a","type":"slider","label":"A","min":0,"max":10,"default":0}])", "its \"step\" is missing"},
        {R"([{"name":"a","type":"slider","label":"A","min":0,"max":10,"step":2,"default":3}])", "its \"default\" is missing or not a value"},
        {R"([{"name":"a","type":"slider","label":"A","min":0,"max":10,"step":2,"default":"4"}])", "its \"default\" is missing or not a value"},
        {R"([{"name":"a","type":"choice","label":"A","choices":["x","x"],"default":"x"}])", "are not an array of different texts"},
        {R"([{"name":"a","type":"choice","label":"A","choices":[],"default":"x"}])", "are not an array of different texts"},
        {R"([{"name":"a","type":"choice","label":"A","choices":["x","y"],"default":"z"}])", "its \"default\""},
        {R"([{"name":"a","type":"text","label":"A","maxLength":0,"default":""}])", "its \"maxLength\" is not a whole number"},
        {R"([{"name":"a","type":"text","label":"A","maxLength":2,"default":"abc"}])", "its \"default\""},
        {R"([{"name":"a","type":"color","label":"A","default":"red"}])", "its \"default\""},
        {R"([{"name":"a","type":"checkbox","label":"A","default":"true"}])", "its \"default\""},
    };
    for (const auto& c : cases) {
        std::string problems;
        auto declared = Declared(c.properties, problems);
        if (!*c.problem) {
            EXPECT_EQ(problems, "") << c.properties;
            EXPECT_EQ(declared.size(), 1u) << c.properties;
        } else {
            EXPECT_NE(problems.find(c.problem), std::string::npos) << c.properties << "\n" << problems;
        }
    }
    // A declaration goes into the installed manifest and comes back the same.
    std::string problems;
    package::Manifest m;
    m.kind = package::Manifest::Module;
    m.key = m.name = m.themeKey = m.themeName = "x";
    m.page = "ZKRx.htm";
    m.properties = Declared(R"([{"name":"k","type":"choice","label":"K","choices":["a","b"],"default":"b"},
        {"name":"t","type":"text","label":"T","maxLength":9,"default":"hi"}])", problems);
    std::vector<package::Problem> found;
    auto back = package::ParseManifest(package::ManifestText(m), found);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(nlohmann::json(package::PropertiesJson(back.properties)),
              package::PropertiesJson(m.properties));
}

TEST(Properties, ValuesAreCheckedByType) {
    std::string problems;
    auto declared = Declared(R"([
        {"name":"c","type":"color","label":"C","default":"#000000"},
        {"name":"s","type":"slider","label":"S","min":0.25,"max":4,"step":0.25,"default":1},
        {"name":"b","type":"checkbox","label":"B","default":false},
        {"name":"k","type":"choice","label":"K","choices":["Fine","Large"],"default":"Fine"},
        {"name":"t","type":"text","label":"T","maxLength":4,"default":""}])", problems);
    ASSERT_EQ(problems, "");
    struct Case {
        const char* property;
        const char* text;
        const char* canonical; // null: refused
    } cases[] = {
        {"c", "#A0b1C2", "#a0b1c2"}, {"c", "#abc", nullptr},     {"c", "a0b1c2", nullptr},
        {"c", "#gggggg", nullptr},   {"s", "2.5", "2.5"},        {"s", "4", "4"},
        {"s", "0.25", "0.25"},       {"s", "4.25", nullptr},     {"s", "0", nullptr},
        {"s", "0.3", nullptr},       {"s", "1e0", "1"},          {"s", " 1", nullptr},
        {"s", "nan", nullptr},       {"s", "", nullptr},         {"b", "true", "true"},
        {"b", "yes", nullptr},       {"k", "Large", "Large"},    {"k", "large", nullptr},
        {"t", "", ""},               {"t", "été!", "été!"},      {"t", "abcde", nullptr},
        {"t", "a\nb", nullptr},      {"t", "\xff", nullptr},
    };
    for (const auto& c : cases) {
        std::string why;
        auto v = package::CheckValue(*package::Find(declared, c.property), c.text, why);
        if (c.canonical) {
            EXPECT_EQ(v.value_or("(refused: " + why + ")"), c.canonical) << c.property << "=" << c.text;
        } else {
            EXPECT_FALSE(v) << c.property << "=" << c.text << " gave " << *v;
            EXPECT_FALSE(why.empty());
        }
    }
    // The slider as the user moves it, in steps.
    const Property& s = *package::Find(declared, "s");
    EXPECT_EQ(package::SliderSteps(s), 15);
    EXPECT_EQ(package::SliderStep(s, "2.5"), 9);
    EXPECT_EQ(package::SliderValue(s, 9), "2.5");
    EXPECT_EQ(package::SliderValue(s, 99), "4");
}

TEST(Properties, StoredAllOrNothingAndKeptThroughAnUpgrade) {
    TempPrefix prefix;
    std::string folder = prefix.path("Modules/Sea/Waves");
    auto install = [&](const std::string& properties) {
        WriteFile(folder + "/zelkora.json", "{\"kind\":\"module\",\"properties\":" + properties + "}");
    };
    install(R"([{"name":"speed","type":"slider","label":"S","min":1,"max":4,"step":1,"default":1},
                {"name":"tint","type":"color","label":"T","default":"#000000"},
                {"name":"gone","type":"checkbox","label":"G","default":false}])");
    auto m = module_properties::Read(folder);
    EXPECT_EQ(m.key, "Sea/Waves");
    EXPECT_EQ(m.values, (std::vector<std::string>{"1", "#000000", "false"}));
    EXPECT_NE(module_properties::Set(m, {{"speed", "3"}, {"tint", "blue"}}), "");
    EXPECT_NE(module_properties::Set(m, {{"speed", "3"}, {"nope", "1"}}), "");
    EXPECT_EQ(module_properties::Read(folder).values[0], "1"); // neither stored a thing
    EXPECT_EQ(module_properties::Set(m, {{"speed", "4"}, {"tint", "#FFFFFF"}, {"gone", "true"}}), "");
    EXPECT_EQ(module_properties::ValuesJson(module_properties::Read(folder)),
              R"({"gone":true,"speed":4.0,"tint":"#ffffff"})");
    // An upgrade: speed now goes to 3 only, gone is gone, a new one comes.
    install(R"([{"name":"speed","type":"slider","label":"S","min":1,"max":3,"step":1,"default":2},
                {"name":"tint","type":"color","label":"T","default":"#000000"},
                {"name":"new","type":"text","label":"N","maxLength":5,"default":"hi"}])");
    EXPECT_EQ(module_properties::Read(folder).values,
              (std::vector<std::string>{"2", "#ffffff", "hi"}));
    // Another module's values are its own; restoring the defaults forgets them.
    EXPECT_EQ(module_properties::Read(prefix.path("Modules/Sea/Other")).values.size(), 0u);
    EXPECT_TRUE(module_properties::Forget("Sea/Waves"));
    EXPECT_EQ(module_properties::Read(folder).values[1], "#000000");
}

} // namespace
