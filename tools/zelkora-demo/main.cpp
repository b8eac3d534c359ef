// zelkora-demo: builds a complete Zelkora installation in the prefix, the way
// the product's installers would: the registry settings, the application
// folder with its pages and pictures, three themes of modules and five toyz
// (each with an uninstaller that removes its own folder), the catalogue made
// with zelkora-catalogue, the preferences and a de-installer. What it
// installs is the demo/ folder of the sources, and the previews rendered
// from it when the demo was built.
#include "runtime/command_line.h"
#include "platform/prefix.h"
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* kUsage = R"(usage: zelkora-demo [--force]

Builds a demo installation of Zelkora in $ZELKORA_PREFIX (or ~/.zelkora):
registry settings, C:\Program Files\Zelkora with its pages, three themes of
modules and five toyz, the catalogue, the preferences and a de-installer.
An existing installation is left alone unless --force is given.)";

const std::string kApp = "C:\\Program Files\\Zelkora\\";

struct Module {
    const char* key;
    const char* text;
};
struct Theme {
    const char* key;
    const char* text;
    std::vector<Module> modules;
};
struct Toy {
    const char* key;
    const char* text; // also the name of its folder, which the module pages look up
    const char* what;
    bool locked, active;
};

const std::vector<Theme> kThemes = {
    {"Ocean",
     "Ocean Dreams",
     {{"Waves", "Rolling Waves"}, {"CoralReef", "Coral Reef"}, {"DeepBlue", "Deep Blue"}}},
    {"Space",
     "Deep Space",
     {{"Starfield", "Starfield"}, {"Nebula", "Nebula Clouds"}, {"Orbit", "Blue Orbit"}}},
    {"Seasons", "Four Seasons", {{"Autumn", "Autumn Leaves"}, {"Frost", "Winter Frost"}}}};

const std::vector<Toy> kToyz = {
    {"ZTClock", "Clock", "The local time, ticking, and today's date.", false, true},
    {"ZTNotes", "Sticky Notes", "A note you type on your desktop; it is kept.", false, true},
    {"ZTWeather", "Weather", "The forecast, when a weather service can be reached.", true, false},
    {"ZTCalendar", "Calendar", "This month, with today marked.", false, false},
    {"ZTMoon", "Moon Phase", "The phase of the moon tonight.", false, false}};

std::string Native(const std::string& winPath) {
    return platform::MapPath(winPath);
}

// Where the demo's files are: installed beside the program, or in the
// sources and build tree it was built from.
struct Sources {
    fs::path content, previews;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& winPath, const std::string& content) {
    std::string native = Native(winPath);
    fs::create_directories(fs::path(native).parent_path());
    std::ofstream(native, std::ios::binary | std::ios::trunc) << content;
}

void WriteProgram(const std::string& winPath, const std::string& script) {
    Write(winPath, script);
    fs::permissions(Native(winPath), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
}

// A template of demo/templates with its {{NAME}} fields filled in.
std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
        std::string mark = "{{" + name + "}}";
        for (size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    }
    return text;
}

// Copies a folder tree into the application folder, leaving out the templates.
void CopyTree(const fs::path& from, const fs::path& to) {
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator();
         ++it) {
        fs::path rel = fs::relative(it->path(), from);
        if (rel == "templates") {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory())
            fs::create_directories(to / rel);
        else
            fs::copy_file(it->path(), to / rel, fs::copy_options::overwrite_existing);
    }
}

// A text as one word of /bin/sh, whatever it holds: single quotes, with each
// single quote in it closed, escaped and reopened.
std::string ShellWord(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int RunTool(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ToolsDir() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = '\0';
    return fs::path(buf).parent_path().string();
}

void SetSetting(const std::string& name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the registry key");
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void Catalogue(const std::string& tools, const std::vector<std::string>& args) {
    std::vector<std::string> full = {tools + "/zelkora-catalogue"};
    full.insert(full.end(), args.begin(), args.end());
    if (RunTool(full) != 0) throw std::runtime_error("zelkora-catalogue " + args[0] + " failed");
}

Sources FindSources(const std::string& tools) {
    fs::path installed = fs::path(tools) / ".." / "share" / "zelkora";
    if (fs::exists(installed / "demo" / "zelkora.js"))
        return {installed / "demo", installed / "demo-previews"};
    return {ZELKORA_DEMO_CONTENT, ZELKORA_DEMO_PREVIEWS};
}

void Build() {
    std::string prefix = platform::PrefixDir();
    std::string tools = ToolsDir();
    Sources src = FindSources(tools);
    if (!fs::exists(src.content / "zelkora.js"))
        throw std::runtime_error("the demo's files are not in " + src.content.string());
    fs::create_directories(prefix + "/drive_c");

    // The application folder: pages, the shared script, the modules and toyz,
    // the two files the module pages read, and the previews made from them.
    fs::path app = Native(kApp);
    fs::create_directories(app);
    CopyTree(src.content, app);
    if (fs::exists(src.previews))
        CopyTree(src.previews, app);
    else
        std::cerr << "zelkora-demo: no previews in " << src.previews.string()
                  << " (they are made by builds with Qt)\n";
    fs::path templates = src.content / "templates";
    std::string setup = ReadAll(templates / "setup.sh");
    WriteProgram(kApp + "uninstall.exe",
                 Fill(ReadAll(templates / "uninstall.sh"), {{"PREFIX", ShellWord(prefix)}}));

    // The settings the installer records.
    SetSetting("ApplicationPath", kApp);
    SetSetting("ModulesPath", kApp + "Modules\\");
    SetSetting("DeInstallPath", kApp + "uninstall.exe /all");
    SetSetting("DataPath", kApp + "Data\\");
    SetSetting("INIFilePath", kApp);
    SetSetting("INIFileName", "zelkora.ini");

    // The catalogue, and each module and toy as its installer leaves it.
    std::string mdb = Native(kApp + "Data\\Zelkora.mdb");
    fs::create_directories(fs::path(mdb).parent_path());
    fs::remove(mdb);
    Catalogue(tools, {"create", mdb});
    std::string copyright = ReadAll(templates / "copyright.htm");
    std::string banner = ReadAll(templates / "banner.htm");
    for (const auto& t : kThemes) {
        Catalogue(tools, {"add-theme", mdb, t.key, t.text});
        for (const auto& m : t.modules) {
            std::string dir = kApp + "Modules\\" + t.key + "\\" + m.key;
            std::string page = dir + "\\ZKR" + m.key + ".htm";
            if (!fs::exists(Native(page))) throw std::runtime_error("no page " + page);
            Write(dir + "\\copyright.htm",
                  Fill(copyright,
                       {{"NAME", m.text},
                        {"APP", "../../../"},
                        {"WHAT", std::string("A desktop module of the ") + t.text + " theme."}}));
            Write(dir + "\\banner.htm",
                  Fill(banner, {{"NAME", m.text},
                                {"APP", "../../../"},
                                {"WHAT", std::string("part of the ") + t.text + " collection."}}));
            WriteProgram(dir + "\\setup.exe", setup);
            Catalogue(tools,
                      {"add-module", mdb, m.key, t.key, m.text, "--preview", dir + "\\preview.png",
                       "--url", page, "--copyright", "Copyright (C) 2026 Zelkora Software",
                       "--copyright-url", dir + "\\copyright.htm", "--banner-url",
                       dir + "\\banner.htm", "--uninstall", dir});
        }
    }
    int order = 0;
    for (const auto& toy : kToyz) {
        std::string rel = std::string("ZelToyz\\") + toy.text;
        std::string dir = kApp + rel;
        if (!fs::exists(Native(dir + "\\toy.js"))) throw std::runtime_error("no toy " + dir);
        Write(dir + "\\copyright.htm",
              Fill(copyright, {{"NAME", toy.text}, {"APP", "../../"}, {"WHAT", toy.what}}));
        WriteProgram(dir + "\\setup.exe", setup);
        std::vector<std::string> args = {"add-toy",         mdb,
                                         toy.key,           toy.text,
                                         "--preview",       dir + "\\preview.png",
                                         "--copyright",     "Copyright (C) 2026 Zelkora Software",
                                         "--copyright-url", rel + "\\copyright.htm",
                                         "--uninstall",     dir,
                                         "--order",         std::to_string(++order)};
        if (toy.locked) args.push_back("--locked");
        if (toy.active) args.push_back("--active");
        Catalogue(tools, args);
    }

    // The desktop: the first module applied, offline (the vendor's site is not reached).
    std::string first = kApp + "Modules\\Ocean\\Waves\\ZKRWaves.htm";
    if (RunTool({tools + "/zelkora-shell", "online", "0"}) != 0 ||
        RunTool({tools + "/zelkora-shell", "wallpaper", first}) != 0)
        throw std::runtime_error("zelkora-shell failed");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool force = false;
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << '\n';
            return 0;
        }
        if (a == "--version") {
            std::cout << "zelkora-demo " << runtime::VersionText() << '\n';
            return 0;
        }
        if (a == "--force")
            force = true;
        else {
            std::cerr << "zelkora-demo: unknown argument " << a << " (see --help)\n";
            return 2;
        }
    }
    std::string app = Native(kApp);
    if (fs::exists(app) && !force) {
        std::cout << "zelkora-demo: an installation exists in " << platform::PrefixDir()
                  << "; nothing changed\n";
        return 0;
    }
    try {
        Build();
    } catch (const std::exception& e) {
        std::cerr << "zelkora-demo: " << e.what() << '\n';
        return 1;
    }
    std::cout << "zelkora-demo: installed in " << platform::PrefixDir() << '\n';
    return 0;
}
