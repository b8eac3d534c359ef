// zelkora-demo: builds a complete Zelkora installation in the prefix, the way
// the product's installers would: the registry settings, the application
// folder with its pages and pictures, three themes of modules and five toyz
// (each with an uninstaller that removes its own folder), the catalogue made
// with zelkora-catalogue, the preferences and a de-installer.
#include "art.h"

#include "platform/prefix.h"
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
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
    const char* style;
};
struct Theme {
    const char* key;
    const char* text;
    std::vector<Module> modules;
};
struct Toy {
    const char* key;
    const char* text;
    const char* style;
    bool locked, active;
};

const std::vector<Theme> kThemes = {
    {"Ocean",
     "Ocean Dreams",
     {{"Waves", "Rolling Waves", "waves"},
      {"CoralReef", "Coral Reef", "reef"},
      {"DeepBlue", "Deep Blue", "deep"}}},
    {"Space",
     "Deep Space",
     {{"Starfield", "Starfield", "stars"},
      {"Nebula", "Nebula Clouds", "nebula"},
      {"Orbit", "Blue Orbit", "orbit"}}},
    {"Seasons",
     "Four Seasons",
     {{"Autumn", "Autumn Leaves", "autumn"}, {"Frost", "Winter Frost", "frost"}}}};

const std::vector<Toy> kToyz = {{"ZTClock", "Clock", "clock", false, true},
                                {"ZTNotes", "Sticky Notes", "notes", false, true},
                                {"ZTWeather", "Weather", "weather", true, false},
                                {"ZTCalendar", "Calendar", "calendar", false, false},
                                {"ZTMoon", "Moon Phase", "moon", false, false}};

std::string Native(const std::string& winPath) {
    return platform::MapPath(winPath);
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

std::string Page(const std::string& title, const std::string& body, const std::string& style = "") {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title>\n<style>body{font-family:Tahoma,Verdana,sans-serif;font-size:12px;margin:8px;"
           "color:#1b2a4a;background:#f4f7fc}h1{font-size:15px;margin:0 0 6px}" +
           style + "</style></head>\n<body>" + body + "</body></html>\n";
}

// The page of a module: it reads the options and binding files the Manager writes.
std::string ModulePage(const Theme& t, const Module& m) {
    return Page(
        m.text,
        "<div id=\"scene\"><h1>" + std::string(m.text) +
            "</h1><p>A Zelkora desktop module of the " + t.text +
            " theme.</p><div id=\"toyz\"></div><p id=\"level\"></p></div>\n"
            "<script>\n"
            "// The Manager writes &utilTransparency=N& and &myFav1=...&myFav2=...&\n"
            "function field(text, name) { var m = new RegExp('&' + name + '=([^&]*)').exec(text);"
            " return m ? m[1] : null; }\n"
            "function read(path, done) { var r = new XMLHttpRequest(); r.onload = function () {"
            " done(r.responseText); }; r.open('GET', path); r.send(); }\n"
            "read('../../../themes/options.txt', function (t) { var v = field(t, "
            "'utilTransparency');"
            " if (v !== null) { document.getElementById('scene').style.opacity = 1 - v / 100;"
            " document.getElementById('level').textContent = 'Transparency ' + v + '%'; } });\n"
            "read('../../../ZelToyz/ZelToyz.txt', function (t) { var out = [];"
            " for (var k = 1; k <= 3; ++k) { var v = field(t, 'myFav' + k); if (v) out.push(v); }"
            " document.getElementById('toyz').textContent = out.length ? 'Toyz: ' + out.join(', ') "
            ": ''; });\n"
            "</script>\n",
        "body{background:url(preview.bmp) center/cover;color:#fff;height:100vh}"
        "#scene{background:rgba(0,0,0,.35);padding:10px;border-radius:6px;display:inline-block}");
}

// A text as one word of /bin/sh, whatever it holds: single quotes, with each
// single quote in it closed, escaped and reopened.
std::string ShellWord(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Uninstaller(const std::string& what) {
    return "#!/bin/sh\n# The uninstaller of " + what +
           ": removes its own folder.\n"
           "[ \"$1\" = \"/uninst\" ] || { echo \"usage: setup.exe /uninst\" >&2; exit 2; }\n"
           "dir=$(cd \"$(dirname \"$0\")\" && pwd)\n"
           "rm -rf \"$dir\"\n";
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

void Build() {
    std::string prefix = platform::PrefixDir();
    std::string tools = ToolsDir();
    fs::create_directories(prefix + "/drive_c");

    // The application folder and its own files.
    Write(kApp + "defaultmodulecopyright.htm",
          Page("Zelkora modules",
               "<h1>Zelkora desktop modules</h1><p>Select a module in the tree to see its "
               "copyright notice here.</p>"));
    Write(kApp + "defaulttoyzcopyright.htm",
          Page("Zelkora Toyz",
               "<h1>Zelkora Toyz</h1><p>Select a toy to see its copyright notice here.</p>"));
    Write(kApp + "defaultad.htm",
          Page("Zelkora",
               "<b>Zelkora</b> &mdash; living desktops. New modules every month at "
               "www.zelkora.example",
               "body{background:linear-gradient(90deg,#0b3d91,#3a7bd5);"
               "color:#fff;font-size:14px;padding-top:6px}"));
    Write(kApp + "defaulthelp.htm",
          Page("Zelkora Manager help", "<h1>Zelkora Manager</h1><h2>Modules</h2><p>Click a module "
                                       "to preview it; double-click it, or "
                                       "press Apply, to put it on your desktop. Remove takes it "
                                       "off again. Uninstall removes it from "
                                       "your computer.</p><h2>Toyz</h2><p>Choose up to three toyz "
                                       "with the arrow buttons and press "
                                       "Apply to bind them into your "
                                       "modules.</p><h2>Options</h2><p>Set the transparency of the "
                                       "modules, switch the Active Desktop, and choose whether the "
                                       "Manager closes or minimises "
                                       "after a module was applied.</p>"));
    Write(kApp + "defaultupdate.htm",
          Page("Zelkora updates",
               "<h1>Updates</h1><p>Your Zelkora installation is up to date.</p><p>Install "
               "more modules and toyz, then press <i>Refresh List</i>.</p>"));
    Write(kApp + "zelkora.bmp", demo::Scene("stars", 64, 64, 7).Bmp());
    Write(kApp + "themes\\options.txt", "&utilTransparency=19&\r\n");
    Write(kApp + "ZelToyz\\ZelToyz.txt", "&myFav1=Clock&myFav2=Sticky Notes&\r\n");
    Write(kApp + "zelkora.ini", "[Options]\r\nExitAfterApply=0\r\nMinimizeAfterApply=0\r\n");
    WriteProgram(
        kApp + "uninstall.exe",
        "#!/bin/sh\n# The Zelkora de-installer: removes the application folder and its settings.\n"
        "prefix=" +
            ShellWord(prefix) +
            "\n"
            "rm -rf \"$prefix/drive_c/Program Files/Zelkora\"\n"
            "# The registry is changed under the prefix's write lock, as every writer does.\n"
            "exec 9>>\"$prefix/.lock\"\n"
            "command -v flock >/dev/null && flock 9\n"
            "if [ -f \"$prefix/registry.reg\" ]; then\n"
            "  awk 'BEGIN{skip=0} /^\\[/{skip=index($0,\"\\\\SOFTWARE\\\\Zelkora\")>0} !skip' "
            "\"$prefix/registry.reg\" > \"$prefix/registry.reg.new\" && "
            "mv \"$prefix/registry.reg.new\" \"$prefix/registry.reg\"\n"
            "fi\n");

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
    unsigned seed = 1;
    for (const auto& t : kThemes) {
        Catalogue(tools, {"add-theme", mdb, t.key, t.text});
        for (const auto& m : t.modules) {
            std::string dir = kApp + "Modules\\" + t.key + "\\" + m.key;
            Write(dir + "\\preview.bmp", demo::Scene(m.style, 220, 150, seed++).Bmp());
            Write(dir + "\\ZKR" + m.key + ".htm", ModulePage(t, m));
            Write(dir + "\\copyright.htm",
                  Page(m.text,
                       "<h1>" + std::string(m.text) +
                           "</h1><p>Copyright &copy; 2026 Zelkora "
                           "Software. Artwork by the Zelkora studio. All rights reserved.</p>"));
            Write(dir + "\\banner.htm",
                  Page(m.text, "<b>" + std::string(m.text) + "</b> &mdash; part of the " + t.text +
                                   " collection."));
            WriteProgram(dir + "\\setup.exe", Uninstaller(std::string("the module ") + m.text));
            Catalogue(tools, {"add-module", mdb, m.key, t.key, m.text, "--preview",
                              dir + "\\preview.bmp", "--url", dir + "\\ZKR" + m.key + ".htm",
                              "--copyright", "Copyright (C) 2026 Zelkora Software",
                              "--copyright-url", dir + "\\copyright.htm", "--banner-url",
                              dir + "\\banner.htm", "--uninstall", dir});
        }
    }
    int order = 0;
    for (const auto& toy : kToyz) {
        std::string rel = std::string("ZelToyz\\") + toy.key;
        std::string dir = kApp + rel;
        Write(dir + "\\preview.bmp", demo::Scene(toy.style, 120, 90, seed++).Bmp());
        Write(dir + "\\copyright.htm",
              Page(toy.text, "<h1>" + std::string(toy.text) +
                                 "</h1><p>A Zelkora toy. Copyright &copy; 2026 "
                                 "Zelkora Software.</p>"));
        WriteProgram(dir + "\\setup.exe", Uninstaller(std::string("the toy ") + toy.text));
        std::vector<std::string> args = {"add-toy",         mdb,
                                         toy.key,           toy.text,
                                         "--preview",       dir + "\\preview.bmp",
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
