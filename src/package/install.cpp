#include "package/install.h"

#include "package/archive.h"
#include "package/temporary_folder.h"
#include "platform/dao.h"
#include "platform/desktop_host.h"
#include "platform/native_files.h"
#include "platform/prefix.h"
#include "runtime/failure.h"
#include "sandbox/app_address.h"
#include "startup/kel_basRegistry.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace package {

const char kUninstaller[] = R"sh(#!/bin/sh
# The uninstaller of a Zelkora module or toy: removes its own folder, the
# module's theme folder when nothing is left in it, and a toy's stored text.
[ "$1" = "/uninst" ] || { echo "usage: setup.exe /uninst" >&2; exit 2; }
dir=$(cd "$(dirname "$0")" && pwd)
case "$dir" in
  */ZelToyz/*) rm -f "${dir%%/drive_?/*}/toy-data/$(basename "$dir").json" ;;
esac
rm -rf "$dir"
case "$dir" in
  */Modules/*/*) rmdir "$(dirname "$dir")" 2>/dev/null ;;
esac
exit 0
)sh";

namespace {

const char kRegistryKey[] = "SOFTWARE\\Zelkora\\Zelkora\\1";
const char kStaging[] = ".zelkora-install"; // in the application folder: same file system

std::string WithBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string Base(const std::string& path) {
    return fs::path(path).filename().string();
}

// The working folder of installs, locked while one runs, and removed by the
// last one out so a refused package leaves nothing behind.
class StagingLock {
  public:
    explicit StagingLock(const std::string& folder) : lock_(folder) {
        if (!lock_.Held())
            throw Refused("cannot make the working folder " + folder + ": " + lock_.Error());
    }

  private:
    platform::FolderLock lock_;
};

// What a fresh install is about to move into place, written before it does:
// the next install reads it to take back a folder never entered in the
// catalogue.
struct Journal {
    std::string kind, key, target, themeFolder; // themeFolder: made by this install
    static constexpr char kName[] = "journal";
    void Write(const fs::path& work) const {
        platform::WriteLock lock;
        std::string text = kind + "\n" + key + "\n" + target + "\n" + themeFolder + "\n";
        if (int e = platform::WriteFileAtomic((work / kName).string(), text))
            throw Refused(std::string("cannot write the install's journal: ") + std::strerror(e));
    }
    static bool Read(const fs::path& work, Journal& j) {
        std::istringstream in(platform::ReadWholeFile((work / kName).string()));
        return std::getline(in, j.kind) && std::getline(in, j.key) && std::getline(in, j.target) &&
               std::getline(in, j.themeFolder);
    }
};

dao::Database OpenCatalogue(const Installation& where) {
    try {
        dao::Database db = dao::DBEngine.OpenDatabase(where.catalogue);
        for (const char* table : {"tblThemes", "tblModules", "tblToyz"})
            db.OpenRecordset(std::string("SELECT * FROM ") + table + " WHERE 0");
        return db;
    } catch (const Failure& f) {
        throw Refused("the catalogue " + where.catalogue + " cannot be opened: " + f.Description);
    }
}

bool HasRow(dao::Database& db, const char* table, const char* column, const std::string& key) {
    return !db.OpenRecordset(std::string("SELECT 1 FROM ") + table + " WHERE " + column + " = ?",
                             dao::dbOpenSnapshot, {Variant(key)})
                .Eof();
}

std::string Text(dao::Recordset& rs, const char* field) {
    std::string out;
    rs.Fields(field).TextInto(out, "");
    return out;
}

// What installing an item means here: where it goes, whether it replaces an
// older version, whether its theme is new.
struct Plan {
    std::string folder;      // Windows
    std::string native;      // the same, mapped
    std::string themeFolder; // native; modules
    bool upgrade = false, newTheme = false;
    std::string installedVersion;
};

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

Plan Decide(dao::Database& db, const Installation& where, const Manifest& m, bool force,
            const std::string& file) {
    auto refuse = [&](const std::string& why) -> void { throw Refused(Base(file) + ": " + why); };
    Plan plan;
    bool exists = false;
    if (m.kind == Manifest::Module) {
        auto theme =
            db.OpenRecordset("SELECT ThemeKey, ThemeTreeText FROM tblThemes WHERE ThemeKey = ?",
                             dao::dbOpenSnapshot, {Variant(m.themeKey)});
        if (!theme.Eof() && Text(theme, "ThemeTreeText") != m.themeName)
            refuse("the theme key " + Quoted(m.themeKey) + " is installed with the name " +
                   Quoted(Text(theme, "ThemeTreeText")) + ", not " + Quoted(m.themeName));
        plan.newTheme = theme.Eof();
        if (plan.newTheme) {
            auto named = db.OpenRecordset(
                "SELECT ThemeKey FROM tblThemes WHERE ThemeTreeText = ? COLLATE NOCASE",
                dao::dbOpenSnapshot, {Variant(m.themeName)});
            if (!named.Eof())
                refuse("the theme name " + Quoted(m.themeName) + " is taken by the theme " +
                       Quoted(Text(named, "ThemeKey")));
            if (HasRow(db, "tblModules", "ModuleKey", m.themeKey))
                refuse("the theme key " + Quoted(m.themeKey) + " is taken by a module");
        }
        // Themes and modules share the tree's keys.
        if (HasRow(db, "tblThemes", "ThemeKey", m.key))
            refuse("the key " + Quoted(m.key) + " is taken by a theme");
        auto module = db.OpenRecordset("SELECT ModuleThemeKey FROM tblModules WHERE ModuleKey = ?",
                                       dao::dbOpenSnapshot, {Variant(m.key)});
        exists = !module.Eof();
        if (exists && !platform::EqualsNoCase(Text(module, "ModuleThemeKey"), m.themeKey))
            refuse("the key " + Quoted(m.key) + " is taken by a module of the theme " +
                   Quoted(Text(module, "ModuleThemeKey")));
        auto named = db.OpenRecordset(
            "SELECT ModuleKey FROM tblModules WHERE ModuleTreeText = ? COLLATE NOCASE AND "
            "ModuleKey <> ?",
            dao::dbOpenSnapshot, {Variant(m.name), Variant(m.key)});
        if (!named.Eof())
            refuse("the name " + Quoted(m.name) + " is taken by the module " +
                   Quoted(Text(named, "ModuleKey")));
        plan.folder = WithBackslash(where.modulesPath) + m.themeKey + "\\" + m.key;
        plan.themeFolder = platform::MapPath(WithBackslash(where.modulesPath) + m.themeKey);
    } else {
        auto toy = db.OpenRecordset("SELECT ToyText FROM tblToyz WHERE ToyKey = ?",
                                    dao::dbOpenSnapshot, {Variant(m.key)});
        exists = !toy.Eof();
        if (exists && !platform::EqualsNoCase(Text(toy, "ToyText"), m.name))
            refuse("the key " + Quoted(m.key) + " is taken by the toy " +
                   Quoted(Text(toy, "ToyText")));
        auto named =
            db.OpenRecordset("SELECT ToyKey FROM tblToyz WHERE ToyText = ? AND ToyKey <> ?",
                             dao::dbOpenSnapshot, {Variant(m.name), Variant(m.key)});
        if (!named.Eof())
            refuse("the name " + Quoted(m.name) + " is taken by the toy " +
                   Quoted(Text(named, "ToyKey")));
        plan.folder = WithBackslash(where.appPath) + "ZelToyz\\" + m.name;
    }
    plan.native = platform::MapPath(plan.folder);
    bool folderThere = fs::exists(fs::symlink_status(plan.native));
    if (!exists) {
        if (folderThere) refuse("the folder " + plan.folder + " exists already");
        return plan;
    }
    // Installed already: an upgrade, when it came from a package and is older.
    fs::path installedManifest = fs::path(plan.native) / kManifestName;
    if (!folderThere || !fs::is_regular_file(installedManifest))
        refuse("the key " + Quoted(m.key) + " is taken by an item not installed from a package");
    std::vector<Problem> ignored;
    plan.installedVersion =
        ParseManifest(platform::ReadWholeFile(installedManifest.string()), ignored).version;
    if (CompareVersions(m.version, plan.installedVersion) <= 0 && !force)
        refuse(m.name + " " + (plan.installedVersion.empty() ? "" : plan.installedVersion + " ") +
               "is installed; this package is " +
               (m.version.empty() ? "without a version" : "version " + m.version) +
               " (--force installs it anyway)");
    plan.upgrade = true;
    return plan;
}

void WriteFile(const fs::path& path, const std::string& content, fs::perms perms) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw Refused("cannot write " + path.string());
    fs::permissions(path, perms);
}

void Progress(const InstallOptions& options, int percent, const std::string& step) {
    if (options.progress) options.progress(percent, step);
}

// Completes the unpacked item: the page the desktop applies, the preview,
// and the item's own uninstaller (never one that came in the package).
void Complete(const fs::path& app, const fs::path& item, Manifest& m, const InstallOptions& options,
              std::vector<Problem>& warnings) {
    if (m.kind == Manifest::Module) {
        std::string entry = EntryPageName(m);
        if (entry != m.page) {
            fs::path to = platform::MapUnder(item.string(), entry);
            std::string page = platform::ReadWholeFile(platform::MapUnder(item.string(), m.page));
            if (fs::exists(to) && platform::ReadWholeFile(to.string()) != page)
                throw Refused(entry + ": the item holds a file of the name its page is given");
            WriteFile(to, page,
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                          fs::perms::others_read);
        }
    }
    bool hasPreview =
        !m.preview.empty() && fs::is_regular_file(platform::MapUnder(item.string(), m.preview));
    if (!hasPreview && options.renderPreview) {
        Progress(options, 55, "Making the preview");
        if (options.renderPreview(app.string(), item.string(), m,
                                  (item / "preview.png").string())) {
            m.preview = "preview.png";
            hasPreview = true;
        }
    }
    if (!hasPreview) {
        m.preview.clear();
        warnings.push_back({"", "it has no preview, and none could be made", true});
    }
    WriteFile(item / "setup.exe", kUninstaller,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec);
    // The installed manifest says what is installed, for the next upgrade.
    WriteFile(item / kManifestName, ManifestText(m),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

Variant OrNull(const std::string& text) {
    return text.empty() ? Variant::Null() : Variant(text);
}

// One item's row: an upgrade updates what it says (the texts, ending with
// its key); a new row also gets what only a new row is given (`added`).
void WriteRow(dao::Database& db, bool upgrade, std::initializer_list<std::string> texts,
              const char* update, const std::string& added, const char* insert) {
    dao::Params fields;
    for (const std::string& text : texts)
        fields.push_back(OrNull(text));
    if (upgrade) {
        db.Execute(update, fields);
    } else {
        fields.push_back(OrNull(added));
        db.Execute(insert, fields);
    }
}

// The rows, in one transaction: the theme when new, then the module; or the
// toy. An upgrade keeps the rows' places and flags and updates what they say.
void Enter(dao::Database& db, const Installation& where, const Manifest& m, const Plan& plan) {
    std::string dir = plan.folder + "\\";
    // Without a picture the row still names where one goes, as installers
    // have always written it: the Manager shows an empty preview.
    std::string preview = dir + (m.preview.empty() ? "preview.png" : Backslashed(m.preview));
    std::string notice = !m.notice.empty()   ? m.notice
                         : !m.author.empty() ? "Copyright (C) " + m.author
                                             : "";
    db.InTransaction([&] {
        if (m.kind == Manifest::Module) {
            std::string copyright = m.copyright.empty()
                                        ? where.appPath + "defaultmodulecopyright.htm"
                                        : dir + Backslashed(m.copyright);
            std::string banner =
                m.banner.empty() ? where.appPath + "defaultad.htm" : dir + Backslashed(m.banner);
            if (plan.newTheme)
                db.Execute("INSERT INTO tblThemes (ThemeKey, ThemeTreeText, ThemeTreeType) "
                           "VALUES (?, ?, 100)",
                           {OrNull(m.themeKey), OrNull(m.themeName)});
            WriteRow(db, plan.upgrade,
                     {m.name, preview, dir + Backslashed(EntryPageName(m)), notice, copyright,
                      banner, plan.folder, m.key},
                     "UPDATE tblModules SET ModuleTreeText = ?, ModulePreviewPath = ?, "
                     "ModuleURL = ?, ModuleCopyright = ?, ModuleCopyrightURL = ?, "
                     "ModuleBannerURL = ?, ModuleUninstallPath = ? WHERE ModuleKey = ?",
                     m.themeKey,
                     "INSERT INTO tblModules (ModuleTreeText, ModulePreviewPath, ModuleURL, "
                     "ModuleCopyright, ModuleCopyrightURL, ModuleBannerURL, "
                     "ModuleUninstallPath, ModuleKey, ModuleThemeKey, ModuleTreeType) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 200)");
        } else {
            std::string copyright =
                m.copyright.empty() ? "" : "ZelToyz\\" + m.name + "\\" + Backslashed(m.copyright);
            WriteRow(db, plan.upgrade, {preview, notice, copyright, plan.folder, m.key},
                     "UPDATE tblToyz SET ToyPreviewPath = ?, ToyCopyright = ?, "
                     "ToyCopyrightURL = ?, ToyUninstallPath = ? WHERE ToyKey = ?",
                     m.name,
                     "INSERT INTO tblToyz (ToyPreviewPath, ToyCopyright, ToyCopyrightURL, "
                     "ToyUninstallPath, ToyKey, ToyText, ToyIsLocked, ToyIsActive, ToyOrder) "
                     "VALUES (?, ?, ?, ?, ?, ?, 0, 0, "
                     "(SELECT COALESCE(MAX(ToyOrder), 0) + 1 FROM tblToyz))");
        }
    });
}

void RemoveEmptyFolder(const std::string& folder) {
    std::error_code ignored; // a folder still in use stays
    if (!folder.empty()) fs::remove(folder, ignored);
}

// The new folder in the old one's place, and the old one where the new one
// was. Where the system cannot swap two names in one step, the old folder
// steps aside first and comes back should the new one not move in.
int SwapFolders(const std::string& fresh, const std::string& old) {
    int e = platform::SwapPaths(fresh, old);
    if (e != ENOSYS && e != EINVAL) return e;
    std::string aside = fresh + ".old";
    if ((e = platform::MoveIntoPlace(old, aside))) return e;
    if ((e = platform::MoveIntoPlace(fresh, old))) {
        platform::MoveIntoPlace(aside, old);
        return e;
    }
    return platform::MoveIntoPlace(aside, fresh);
}

void TakeBack(dao::Database& db, const fs::path& work) {
    Journal j;
    if (!Journal::Read(work, j) || fs::exists(work / "item")) return; // never moved
    bool module = j.kind == "module";
    if (HasRow(db, module ? "tblModules" : "tblToyz", module ? "ModuleKey" : "ToyKey", j.key))
        return; // entered: installed whole
    std::error_code ignored;
    fs::remove_all(j.target, ignored);
    RemoveEmptyFolder(j.themeFolder);
}

// Takes back what killed installs left in the working folder: folders moved
// into place but never entered in the catalogue, and the working folders.
void CleanLeftovers(const fs::path& staging, dao::Database& db) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(staging, ec)) {
        TakeBack(db, entry.path());
        fs::remove_all(entry.path(), ec);
    }
}

} // namespace

Installation Installation::FromRegistry() {
    Installation where;
    std::string data;
    if (!kel_GetRegistryString(kRegistryKey, "ApplicationPath", where.appPath,
                               HKEY_LOCAL_MACHINE) ||
        where.appPath.empty())
        throw Refused("Zelkora is not installed in " + platform::PrefixDir() +
                      " (no ApplicationPath setting)");
    where.appPath = WithBackslash(where.appPath);
    if (!kel_GetRegistryString(kRegistryKey, "ModulesPath", where.modulesPath,
                               HKEY_LOCAL_MACHINE) ||
        where.modulesPath.empty())
        where.modulesPath = where.appPath + "Modules\\";
    if (!kel_GetRegistryString(kRegistryKey, "DataPath", data, HKEY_LOCAL_MACHINE))
        data = where.appPath + "Data\\";
    where.catalogue = data + "Zelkora.mdb";
    return where;
}

Outcome Install(const std::string& file, const InstallOptions& options) {
    Progress(options, 0, "Checking the package");
    Installation where = Installation::FromRegistry();
    fs::path app = platform::MapPath(where.appPath);
    if (!fs::is_directory(app))
        throw Refused("the application folder " + where.appPath + " is missing");
    dao::Database db = OpenCatalogue(where);
    StagingLock lock((app / kStaging).string());
    CleanLeftovers(app / kStaging, db);
    TemporaryFolder work((app / kStaging).string());
    fs::path item = fs::path(work.Path()) / "item";
    fs::create_directory(item);

    Progress(options, 10, "Unpacking");
    Unpack(file, item.string());
    // Only an address module made here may be a window on the web.
    if (!options.webAddress &&
        fs::exists(platform::MapUnder(item.string(), sandbox::kWebAddressFile)))
        throw Refused(
            Base(file) + ": " + sandbox::kWebAddressFile +
            ": a package cannot bring this file; only zelkora-install --address writes it");
    Outcome outcome;
    Manifest& m = outcome.manifest;
    std::vector<Problem> problems = CheckFolder(item.string(), m);
    if (HasErrors(problems))
        throw Refused(Base(file) + " cannot be installed:\n" + ProblemText(problems, false));
    Plan plan = Decide(db, where, m, options.force, file);
    Complete(app, item, m, options, outcome.warnings);

    Progress(options, 80, "Moving into place");
    Journal journal{m.kind == Manifest::Module ? "module" : "toy", m.key, plan.native, ""};
    if (!plan.themeFolder.empty() && !fs::exists(plan.themeFolder)) {
        journal.themeFolder = plan.themeFolder;
        fs::create_directories(plan.themeFolder);
    }
    fs::create_directories(fs::path(plan.native).parent_path()); // ZelToyz\, should it be gone
    bool moved = false;
    try {
        if (plan.upgrade) {
            if (int e = SwapFolders(item.string(), plan.native))
                throw Refused("cannot replace " + plan.folder + ": " + std::strerror(e));
        } else {
            journal.Write(work.Path());
            if (int e = platform::MoveIntoPlace(item.string(), plan.native))
                throw Refused(e == EEXIST || e == ENOTEMPTY
                                  ? "the folder " + plan.folder + " exists already"
                                  : "cannot move it to " + plan.folder + ": " + std::strerror(e));
            moved = true;
        }
        Progress(options, 90, "Adding it to the catalogue");
        Enter(db, where, m, plan);
    } catch (const Failure& f) {
        if (moved) TakeBack(db, work.Path());
        RemoveEmptyFolder(journal.themeFolder);
        throw Refused("the catalogue " + where.catalogue + " cannot be written: " + f.Description);
    } catch (...) {
        if (moved) TakeBack(db, work.Path());
        RemoveEmptyFolder(journal.themeFolder);
        throw;
    }
    outcome.upgraded = plan.upgrade;
    // A desktop showing the old files shows the new ones.
    if (plan.upgrade && platform::DesktopHostRunning()) platform::SignalDesktopChanged();
    outcome.folder = plan.folder;
    for (Problem& p : problems)
        if (p.warning && p.message.find("no preview") == std::string::npos)
            outcome.warnings.push_back(p);
    Progress(options, 100, "Installed");
    return outcome;
}

Summary Inspect(const std::string& file, bool force) {
    Summary summary;
    std::error_code ec;
    summary.size = fs::file_size(file, ec);
    TemporaryFolder work;
    try {
        Unpack(file, work.Path());
    } catch (const Refused& refused) {
        summary.problems.push_back({"", refused.what()});
        return summary;
    }
    summary.problems = CheckFolder(work.Path(), summary.manifest);
    if (!summary.manifest.preview.empty())
        summary.preview =
            platform::ReadWholeFile(platform::MapUnder(work.Path(), summary.manifest.preview));
    if (HasErrors(summary.problems)) return summary;
    try {
        Installation where = Installation::FromRegistry();
        dao::Database db = OpenCatalogue(where);
        Plan plan = Decide(db, where, summary.manifest, force, file);
        summary.upgrade = plan.upgrade;
        summary.installed = plan.installedVersion;
    } catch (const Refused& refused) {
        summary.problems.push_back({"", refused.what()});
    }
    return summary;
}

} // namespace package
