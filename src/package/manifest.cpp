#include "package/manifest.h"

#include "platform/prefix.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <nlohmann/json.hpp>

namespace package {

namespace {

using nlohmann::json;

// A text field: absent gives "", anything but a string is a problem.
std::string Field(const json& doc, const char* name, bool required,
                  std::vector<Problem>& problems) {
    auto it = doc.find(name);
    if (it == doc.end() || it->is_null()) {
        if (required)
            problems.push_back({kManifestName, std::string("the field \"") + name + "\" is missing"});
        return {};
    }
    if (!it->is_string()) {
        problems.push_back({kManifestName, std::string("the field \"") + name + "\" is not a text"});
        return {};
    }
    std::string value = it->get<std::string>();
    if (required && value.empty())
        problems.push_back({kManifestName, std::string("the field \"") + name + "\" is empty"});
    return value;
}

void NameMustSuit(const std::string& what, const std::string& name,
                  std::vector<Problem>& problems) {
    if (name.empty()) return; // reported as missing already
    if (std::string why = WindowsNameProblem(name); !why.empty())
        problems.push_back({kManifestName, what + " \"" + name + "\" cannot name a folder: " + why});
}

} // namespace

Manifest ParseManifest(const std::string& text, std::vector<Problem>& problems) {
    Manifest m;
    json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) {
        problems.push_back({kManifestName, "it is not valid JSON"});
        return m;
    }
    if (!doc.is_object()) {
        problems.push_back({kManifestName, "it is not a JSON object"});
        return m;
    }
    std::string kind = Field(doc, "kind", true, problems);
    if (kind == "toy")
        m.kind = Manifest::Toy;
    else if (!kind.empty() && kind != "module")
        problems.push_back(
            {kManifestName, "the kind \"" + kind + "\" is unknown (it is \"module\" or \"toy\")"});
    m.key = Field(doc, "key", true, problems);
    m.name = Field(doc, "name", true, problems);
    m.version = Field(doc, "version", false, problems);
    m.author = Field(doc, "author", false, problems);
    m.notice = Field(doc, "notice", false, problems);
    m.copyright = Field(doc, "copyright", false, problems);
    m.preview = Field(doc, "preview", false, problems);
    m.description = Field(doc, "description", false, problems);
    m.licence = Field(doc, "licence", false, problems);
    NameMustSuit("the key", m.key, problems);
    NameMustSuit("the name", m.name, problems);
    if (m.kind == Manifest::Module) {
        m.page = Field(doc, "page", true, problems);
        m.banner = Field(doc, "banner", false, problems);
        auto theme = doc.find("theme");
        if (theme == doc.end() || !theme->is_object()) {
            problems.push_back(
                {kManifestName, "the field \"theme\" is missing (an object with \"key\" and \"name\")"});
        } else {
            m.themeKey = Field(*theme, "key", true, problems);
            m.themeName = Field(*theme, "name", true, problems);
            NameMustSuit("the theme's key", m.themeKey, problems);
        }
        m.properties = ParseProperties(doc, problems);
        for (auto [name, flag] : {std::pair{"webgl", &m.webgl}, {"audio", &m.audio}, {"media", &m.media}}) {
            auto it = doc.find(name);
            if (it == doc.end()) continue;
            if (it->is_boolean())
                *flag = it->get<bool>();
            else
                problems.push_back({kManifestName, std::string("the field \"") + name + "\" is not true or false"});
        }
        if (auto imported = doc.find("imported"); imported != doc.end()) {
            if (imported->is_object())
                m.imported = imported->dump();
            else
                problems.push_back({kManifestName, "the field \"imported\" is not an object"});
        }
    } else {
        m.script = Field(doc, "script", true, problems);
        m.stylesheet = Field(doc, "stylesheet", false, problems);
    }
    return m;
}

std::vector<std::string> WhatItHears(const Manifest& m) {
    std::vector<std::string> said;
    if (m.kind != Manifest::Module) return said;
    if (m.audio) said.push_back("reacts to the sound your computer plays");
    if (m.media) said.push_back("shows what your music player plays");
    return said;
}

std::string ManifestText(const Manifest& m) {
    json doc = json::object();
    doc["kind"] = m.kind == Manifest::Toy ? "toy" : "module";
    doc["key"] = m.key;
    doc["name"] = m.name;
    auto optional = [&](const char* name, const std::string& value) {
        if (!value.empty()) doc[name] = value;
    };
    if (m.kind == Manifest::Module) {
        doc["theme"] = {{"key", m.themeKey}, {"name", m.themeName}};
        doc["page"] = m.page;
        optional("banner", m.banner);
        if (!m.properties.empty()) doc["properties"] = PropertiesJson(m.properties);
        if (m.webgl) doc["webgl"] = true;
        if (m.audio) doc["audio"] = true;
        if (m.media) doc["media"] = true;
        if (!m.imported.empty()) doc["imported"] = json::parse(m.imported, nullptr, false);
    } else {
        doc["script"] = m.script;
        optional("stylesheet", m.stylesheet);
    }
    optional("version", m.version);
    optional("author", m.author);
    optional("notice", m.notice);
    optional("copyright", m.copyright);
    optional("preview", m.preview);
    optional("description", m.description);
    optional("licence", m.licence);
    return doc.dump(2) + "\n";
}

std::string WindowsNameProblem(const std::string& name) {
    if (name.empty()) return "it is empty";
    if (name.size() > 100) return "it is longer than 100 characters";
    for (unsigned char c : name) {
        if (c < 32) return "it holds a control character";
        if (std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return std::string("it holds the character ") + static_cast<char>(c);
    }
    if (name.back() == '.' || name.back() == ' ') return "it ends with a dot or a space";
    // CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, with any extension.
    std::string stem = platform::ToUpperAscii(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    bool device = std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices) ||
                  (stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
                   stem[3] >= '1' && stem[3] <= '9');
    if (device) return "it is the name of a device";
    return {};
}

int CompareVersions(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        auto part = [](const std::string& s, size_t& at) {
            unsigned long long n = 0;
            while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])))
                n = std::min<unsigned long long>(n * 10 + (s[at++] - '0'), 1ull << 62);
            while (at < s.size() && s[at] != '.') ++at; // "2-beta": the number counts
            if (at < s.size()) ++at;
            return n;
        };
        unsigned long long x = part(a, i), y = part(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::string EntryPageName(const Manifest& m) {
    size_t slash = m.page.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : m.page.substr(0, slash + 1);
    std::string page = m.page.substr(folder.size());
    if (platform::ToUpperAscii(page).rfind("ZKR", 0) == 0) return m.page;
    bool keyHasMark = platform::ToUpperAscii(m.key).rfind("ZKR", 0) == 0;
    return folder + (keyHasMark ? m.key : "ZKR" + m.key) + ".htm";
}

} // namespace package
