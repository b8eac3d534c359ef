#include "desktop/module_properties.h"

#include "package/manifest.h"
#include "platform/prefix.h"

#include <filesystem>
#include <nlohmann/json.hpp>

namespace module_properties {

namespace {

using nlohmann::json;

json ReadStore() {
    json store = json::parse(platform::ReadWholeFile(StoreFile()), nullptr, false);
    return store.is_object() ? store : json::object();
}

bool WriteStore(const json& store) {
    return platform::WriteFileAtomic(StoreFile(), store.dump(1) + "\n") == 0;
}

} // namespace

std::string StoreFile() {
    return platform::PrefixDir() + "/properties.json";
}

Module Read(const std::string& moduleFolder) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(moduleFolder).lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();
    Module m;
    m.folder = folder.string();
    m.key = folder.parent_path().filename().string() + "/" + folder.filename().string();
    std::vector<package::Problem> ignored;
    json manifest = json::parse(
        platform::ReadWholeFile((folder / package::kManifestName).string()), nullptr, false);
    if (manifest.is_object()) m.declared = package::ParseProperties(manifest, ignored);
    json stored = ReadStore().value(m.key, json::object());
    for (const auto& p : m.declared) {
        auto it = stored.is_object() ? stored.find(p.name) : stored.end();
        std::optional<std::string> v;
        if (it != stored.end()) v = package::ValueFromJson(p, *it);
        m.values.push_back(v.value_or(p.defaultValue));
    }
    return m;
}

Module ReadOfPage(const std::string& pagePath) {
    return Read(std::filesystem::path(platform::MapPath(pagePath)).parent_path().string());
}

std::string Set(Module& m, const std::vector<std::pair<std::string, std::string>>& values) {
    json entry = json::object();
    std::vector<std::string> now = m.values;
    for (const auto& [name, text] : values) {
        const package::Property* p = package::Find(m.declared, name);
        if (!p) return "it has no property \"" + name + "\"";
        std::string why;
        auto v = package::CheckValue(*p, text, why);
        if (!v) return name + "=" + text + " is refused: " + why;
        entry[name] = package::ValueJson(*p, *v);
        now[static_cast<size_t>(p - m.declared.data())] = *v;
    }
    platform::WriteLock lock;
    json store = ReadStore();
    json& stored = store[m.key];
    if (!stored.is_object()) stored = json::object();
    stored.update(entry);
    if (!WriteStore(store)) return "the values could not be written to " + StoreFile();
    m.values = std::move(now);
    return {};
}

bool Forget(const std::string& key) {
    platform::WriteLock lock;
    json store = ReadStore();
    if (!store.contains(key)) return true;
    store.erase(key);
    return WriteStore(store);
}

std::string ValuesJson(const Module& m) {
    json values = json::object();
    for (size_t i = 0; i < m.declared.size(); ++i)
        if (m.declared[i].type != package::Property::Label)
            values[m.declared[i].name] = package::ValueJson(m.declared[i], m.values[i]);
    return values.dump();
}

} // namespace module_properties
