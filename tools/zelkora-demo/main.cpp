// zelkora-demo: builds a complete Zelkora installation in the prefix, the way
// the product's installer would: the registry settings, the application
// folder with its pages and pictures, an empty catalogue made with
// zelkora-catalogue and a de-installer; then it installs three themes of
// modules and five toyz from their packages, with the installer's own code.
// With --packages it makes those packages from the demo/ folder of the
// sources and the previews rendered from it (the demo's build does); where
// no such folder was made, the set-up packs them itself.
//
// The set-up is all or nothing: the installation is made in a folder beside
// the prefix and moved into place in one step, with a mark of completion as
// its last file. A set-up stopped at any moment leaves the prefix as it was,
// and the next run makes it anew.
#include "package/archive.h"
#include "package/install.h"
#include "package/manifest.h"
#include "package/temporary_folder.h"
#include <nlohmann/json.hpp>
#include "platform/dao.h"
#include "runtime/failure.h"
#include "runtime/command_line.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/win32.h"

#include "platform/posix/shell_state.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <spawn.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* kUsage = R"(usage: zelkora-demo [--force]
       zelkora-demo --packages FOLDER

Builds a demo installation of Zelkora in $ZELKORA_PREFIX (or ~/.zelkora):
registry settings, C:\Program Files\Zelkora with its pages, the catalogue,
the preferences and a de-installer, and then installs the packages of three
themes of modules and five toyz. An existing installation is left alone
unless --force is given.

--packages makes the demo's 13 packages in FOLDER.)";

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
    {"Seasons", "Four Seasons", {{"Autumn", "Autumn Leaves"}, {"Frost", "Winter Frost"}}},
    {"Sound", "Sound", {{"Bands", "Music Bands"}}}};

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
    fs::path content, previews, packages;
};

std::string ReadAll(const fs::path& path) {
    std::string text;
    if (!platform::ReadWholeFile(path.string(), text))
        throw std::runtime_error("cannot read " + path.string());
    return text;
}

void WriteNative(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

void WriteProgram(const std::string& winPath, const std::string& script) {
    WriteNative(Native(winPath), script);
    fs::permissions(Native(winPath), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
}

// Copies the files directly in a folder (not its subfolders).
void CopyFiles(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), to / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
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

Sources FindSources(const std::string& tools) {
    fs::path installed = fs::path(tools) / ".." / "share" / "zelkora";
    if (fs::exists(installed / "demo" / "zelkora.js"))
        return {installed / "demo", installed / "demo-previews", installed / "demo-packages"};
    return {ZELKORA_DEMO_CONTENT, ZELKORA_DEMO_PREVIEWS, ZELKORA_DEMO_PACKAGES};
}

bool HasAllPackages(const fs::path& folder) {
    for (const auto& t : kThemes)
        for (const auto& m : t.modules)
            if (!fs::exists(folder / (std::string(m.key) + ".zelkora"))) return false;
    for (const auto& toy : kToyz)
        if (!fs::exists(folder / (std::string(toy.key) + ".zelkora"))) return false;
    return true;
}

// Makes the demo's packages: each module's and toy's folder of demo/, with
// its copyright and banner pages, its preview and its manifest.
void MakePackages(const Sources& src, const fs::path& out) {
    fs::create_directories(out);
    fs::path templates = src.content / "templates";
    std::string copyright = ReadAll(templates / "copyright.htm");
    std::string banner = ReadAll(templates / "banner.htm");
    auto pack = [&](const fs::path& from, const fs::path& preview, package::Manifest m,
                    const std::string& copyrightPage, const std::string& bannerPage) {
        package::TemporaryFolder work;
        fs::path item = fs::path(work.Path()) / "item";
        fs::copy(from, item, fs::copy_options::recursive);
        // A module's folder may declare its properties; the rest of its
        // manifest is made here.
        if (fs::exists(item / package::kManifestName)) {
            std::vector<package::Problem> problems;
            auto declared = nlohmann::json::parse(ReadAll(item / package::kManifestName));
            m.properties = package::ParseProperties(declared, problems);
            m.audio = declared.value("audio", false);
            m.media = declared.value("media", false);
            if (!problems.empty())
                throw std::runtime_error((from / package::kManifestName).string() + ": " +
                                         problems[0].message);
        }
        m.version = "1.0";
        m.author = "Zelkora Software";
        m.notice = "Copyright (C) 2026 Zelkora Software";
        m.copyright = "copyright.htm";
        WriteNative(item / m.copyright, copyrightPage);
        if (!bannerPage.empty()) WriteNative(item / (m.banner = "banner.htm"), bannerPage);
        if (fs::exists(preview)) {
            fs::copy_file(preview, item / "preview.png");
            m.preview = "preview.png";
        }
        WriteNative(item / package::kManifestName, package::ManifestText(m));
        package::Pack(item.string(), (out / (m.key + ".zelkora")).string());
    };
    for (const auto& t : kThemes)
        for (const auto& mod : t.modules) {
            fs::path rel = fs::path("Modules") / t.key / mod.key;
            package::Manifest m;
            m.key = mod.key;
            m.name = mod.text;
            m.themeKey = t.key;
            m.themeName = t.text;
            m.page = std::string("ZKR") + mod.key + ".htm";
            pack(src.content / rel, src.previews / rel / "preview.png", m,
                 platform::FillFields(copyright, {{"NAME", mod.text},
                                  {"APP", "../../../"},
                                  {"WHAT", std::string("A desktop module of the ") + t.text + " theme."}}),
                 platform::FillFields(banner, {{"NAME", mod.text},
                               {"APP", "../../../"},
                               {"WHAT", std::string("part of the ") + t.text + " collection."}}));
        }
    for (const auto& toy : kToyz) {
        fs::path rel = fs::path("ZelToyz") / toy.text;
        package::Manifest m;
        m.kind = package::Manifest::Toy;
        m.key = toy.key;
        m.name = toy.text;
        m.script = "toy.js";
        m.stylesheet = "toy.css";
        pack(src.content / rel, src.previews / rel / "preview.png", m,
             platform::FillFields(copyright, {{"NAME", toy.text}, {"APP", "../../"}, {"WHAT", toy.what}}), "");
    }
}

// Builds the installation in the current prefix; finalPrefix is where it
// will be used, which its de-installer names.
void Build(const std::string& finalPrefix) {
    std::string prefix = platform::PrefixDir();
    std::string tools = ToolsDir();
    Sources src = FindSources(tools);
    if (!fs::exists(src.content / "zelkora.js"))
        throw std::runtime_error("the demo's files are not in " + src.content.string());
    fs::create_directories(prefix + "/drive_c");

    // The application folder: its pages, the shared script and frame, the
    // files the modules of a theme share, the two files the module pages
    // read, and the classic wallpaper.
    fs::path app = Native(kApp);
    CopyFiles(src.content, app);
    CopyFiles(src.content / "Modules", app / "Modules");
    for (const auto& t : kThemes)
        CopyFiles(src.content / "Modules" / t.key, app / "Modules" / t.key);
    CopyFiles(src.content / "themes", app / "themes");
    fs::create_directories(app / "ZelToyz");
    fs::copy_file(src.content / "ZelToyz" / "ZelToyz.txt", app / "ZelToyz" / "ZelToyz.txt",
                  fs::copy_options::overwrite_existing);
    if (fs::exists(src.previews / "zelkora.bmp"))
        fs::copy_file(src.previews / "zelkora.bmp", app / "zelkora.bmp",
                      fs::copy_options::overwrite_existing);
    WriteProgram(kApp + "uninstall.exe", platform::FillFields(ReadAll(src.content / "templates" / "uninstall.sh"),
                                              {{"PREFIX", ShellWord(finalPrefix)}}));

    // The settings the installer records.
    SetSetting("ApplicationPath", kApp);
    SetSetting("ModulesPath", kApp + "Modules\\");
    SetSetting("DeInstallPath", kApp + "uninstall.exe /all");
    SetSetting("DataPath", kApp + "Data\\");
    SetSetting("INIFilePath", kApp);
    SetSetting("INIFileName", "zelkora.ini");

    // The catalogue, empty, then each module and toy from its package.
    std::string mdb = Native(kApp + "Data\\Zelkora.mdb");
    fs::create_directories(fs::path(mdb).parent_path());
    fs::remove(mdb);
    if (RunTool({tools + "/zelkora-catalogue", "create", mdb}) != 0)
        throw std::runtime_error("zelkora-catalogue create failed");
    // The packages made with the build or installed beside the program; a
    // build that did not make them all leaves the set-up to pack them.
    std::unique_ptr<package::TemporaryFolder> packed;
    if (!HasAllPackages(src.packages)) {
        packed = std::make_unique<package::TemporaryFolder>();
        src.packages = packed->Path();
        MakePackages(src, src.packages);
    }
    for (const auto& t : kThemes)
        for (const auto& m : t.modules)
            package::Install((src.packages / (std::string(m.key) + ".zelkora")).string());
    dao::Database db = dao::DBEngine.OpenDatabase(mdb);
    for (const auto& toy : kToyz) {
        package::Install((src.packages / (std::string(toy.key) + ".zelkora")).string());
        // What the demo's user has chosen: the active toyz, and one kept.
        db.Execute("UPDATE tblToyz SET ToyIsLocked = ?, ToyIsActive = ? WHERE ToyKey = ?",
                   {Variant(toy.locked ? -1 : 0), Variant(toy.active ? -1 : 0), Variant(toy.key)});
    }

    // The desktop: the first module applied, offline (the vendor's site is not reached).
    std::string first = kApp + "Modules\\Ocean\\Waves\\ZKRWaves.htm";
    if (RunTool({tools + "/zelkora-shell", "online", "0"}) != 0 ||
        RunTool({tools + "/zelkora-shell", "wallpaper", first}) != 0)
        throw std::runtime_error("zelkora-shell failed");
}


// The file whose presence says the set-up ended; it goes with the
// application folder when Zelkora is de-installed.
const char* kCompleteMark = "C:\\Program Files\\Zelkora\\.setup-complete";

// Whether the current prefix holds a whole installation. One made before the
// mark existed counts when its last step, setting the wallpaper, was done.
bool Complete() {
    if (fs::exists(Native(kCompleteMark))) return true;
    if (!fs::exists(Native(kApp + "Data\\Zelkora.mdb"))) return false;
    platform::ShellState shell;
    std::string error;
    if (!fs::exists(platform::PrefixDir() + "/shell.ini") ||
        !platform::LoadShellState(shell, error) || shell.wallpaper.empty())
        return false;
    WriteNative(Native(kCompleteMark), "");
    return true;
}

// The prefix's folder for the time this object lives (children inherit it).
class PrefixFor {
  public:
    // The folder being built is nobody's desktop: what it applies starts no
    // desktop host there (one would outlive the folder, showing nothing).
    explicit PrefixFor(const std::string& dir) : old_(platform::PrefixDir()) {
        if (const char* h = std::getenv("ZELKORA_DESKTOP_HOST")) oldHost_ = h;
        ::setenv("ZELKORA_PREFIX", dir.c_str(), 1);
        ::setenv("ZELKORA_DESKTOP_HOST", "0", 1);
    }
    ~PrefixFor() {
        ::setenv("ZELKORA_PREFIX", old_.c_str(), 1);
        if (oldHost_)
            ::setenv("ZELKORA_DESKTOP_HOST", oldHost_->c_str(), 1);
        else
            ::unsetenv("ZELKORA_DESKTOP_HOST");
    }

  private:
    std::string old_;
    std::optional<std::string> oldHost_;
};

// Holds the set-up of one prefix against another set-up of it: a lock on
// the folder that holds the prefix.
class SetUpLock {
  public:
    explicit SetUpLock(const fs::path& parent)
        : fd_(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + parent.string());
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~SetUpLock() { ::close(fd_); }
    SetUpLock(const SetUpLock&) = delete;
    SetUpLock& operator=(const SetUpLock&) = delete;

  private:
    int fd_;
};

enum class SetUp { Made, Existed };

// Makes the installation beside the prefix and moves it into place. What the
// emulated machine kept before (its registry and shell) is carried over; so
// are the desktop host's locks, so that a host that runs stays the one.
SetUp SetUpInPlace(bool force) {
    fs::path prefix = fs::absolute(platform::PrefixDir()).lexically_normal();
    fs::path parent = prefix.parent_path();
    fs::create_directories(parent);
    SetUpLock lock(parent);
    if (!force && Complete()) return SetUp::Existed;

    // Whatever an earlier set-up left beside the prefix is not in use: the
    // lock is ours.
    std::string stem = prefix.filename().string() + ".setup-";
    for (const auto& e : fs::directory_iterator(parent))
        if (e.path().filename().string().rfind(stem, 0) == 0) fs::remove_all(e.path());
    fs::path staged = parent / (stem + std::to_string(::getpid()));
    fs::create_directories(staged);
    bool existed = fs::is_directory(prefix);
    if (existed)
        for (const char* kept : {"registry.reg", "shell.ini"})
            if (fs::exists(prefix / kept)) fs::copy_file(prefix / kept, staged / kept);
    {
        PrefixFor building(staged.string());
        Build(prefix.string());
        WriteNative(Native(kCompleteMark), "");
    }
    if (!existed) {
        if (int e = platform::MoveIntoPlace(staged.string(), prefix.string()))
            throw std::runtime_error("cannot move the installation into " + prefix.string() +
                                     ": " + std::strerror(e));
        return SetUp::Made;
    }
    for (const auto& e : fs::directory_iterator(prefix))
        if (e.path().filename().string().rfind(".desktop-host", 0) == 0)
            if (::link(e.path().c_str(), (staged / e.path().filename()).c_str()) != 0)
                throw std::runtime_error("cannot keep the desktop host's lock " +
                                         e.path().string());
    if (int e = platform::SwapPaths(staged.string(), prefix.string())) {
        // A file system that cannot swap: the old folder goes aside first; a
        // stop in between leaves no prefix, which the next run makes.
        fs::path aside = parent / (stem + "old");
        fs::rename(prefix, aside);
        if (platform::MoveIntoPlace(staged.string(), prefix.string()) != 0)
            throw std::runtime_error("cannot move the installation into " + prefix.string() +
                                     ": " + std::strerror(e));
        staged = aside;
    }
    fs::remove_all(staged);
    return SetUp::Made;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool force = false;
    if (args.size() == 2 && args[0] == "--packages") {
        try {
            MakePackages(FindSources(ToolsDir()), args[1]);
        } catch (const std::exception& e) {
            std::cerr << "zelkora-demo: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }
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
    try {
        if (SetUpInPlace(force) == SetUp::Existed) {
            std::cout << "zelkora-demo: an installation exists in " << platform::PrefixDir()
                      << "; nothing changed\n";
            return 0;
        }
    } catch (const Failure& f) {
        std::cerr << "zelkora-demo: " << f.Description << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zelkora-demo: " << e.what() << '\n';
        return 1;
    }
    std::cout << "zelkora-demo: installed in " << platform::PrefixDir() << '\n';
    return 0;
}
