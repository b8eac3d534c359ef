// The process-wide state: installation settings and the catalogue in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One item of the module tree: a theme (TreeType 100) or a module (200).
struct ModuleRecord {
    std::string ParentKey;
    std::string Key;
    std::string TreeText;
    int16_t TreeType = 0;
    std::string PreviewPath;
    std::string URL;
    std::string Copyright;
    std::string CopyrightURL;
    std::string BannerURL;
};

// One installed toy.
struct ToyRecord {
    std::string ToyKey;
    std::string ToyText;
    std::string ToyPreviewPath;
    bool ToyIsLocked = false;
    bool ToyIsActive = false;
    std::string ToyCopyright;
    std::string ToyCopyrightURL;
};

struct AppStateData {
    std::string RegistryKey;
    std::string ApplicationPath;
    std::string ModulesPath;
    std::string DeInstallPath;
    // These three may be without value, which is not the same as empty text.
    std::optional<std::string> DataPath;
    std::optional<std::string> INIFilePath;
    std::optional<std::string> INIFileName;
    std::string INIFile;

    // Element 0 is never used; elements 1..count hold the catalogue.
    std::vector<ModuleRecord> ModuleItems = std::vector<ModuleRecord>(1);
    int16_t ModuleItemCount = 0;
    std::vector<ToyRecord> AllToyz = std::vector<ToyRecord>(1);
    int16_t ToyCount = 0;
    std::vector<ToyRecord> ActiveToyz = std::vector<ToyRecord>(1);
    int16_t ActiveToyCount = 0;
};

extern AppStateData AppState;

// A field that may be without value, read as text (no value reads as "").
inline std::string Text(const std::optional<std::string>& field) {
    return field.value_or("");
}

// The catalogue data file: DataPath followed directly by "Zelkora.mdb".
inline std::string DataFilePath() {
    return Text(AppState.DataPath) + "Zelkora.mdb";
}
