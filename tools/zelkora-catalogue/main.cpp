// zelkora-catalogue: creates a Zelkora catalogue file and adds, lists and
// removes its themes, modules and toyz, as the product's installers do.
#include "platform/dao.h"
#include "platform/prefix.h"
#include "runtime/command_line.h"
#include "runtime/failure.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* kUsage = R"(usage: zelkora-catalogue COMMAND FILE [ARGUMENTS] [OPTIONS]

FILE is the catalogue (Zelkora.mdb), a native path or a Windows path such as
C:\Zelkora\Data\Zelkora.mdb (mapped into $ZELKORA_PREFIX).

Commands:
  create FILE                     create an empty catalogue with its three tables
  add-theme FILE KEY TEXT         add a theme (tree type 100)
  add-module FILE KEY THEME TEXT  add a module of an existing theme (tree type 200)
  add-toy FILE KEY TEXT           add a toy (placed after the last one)
  list FILE [themes|modules|toyz] [--json]
                                  print the rows: tab-separated, with \\ \t \n \r
                                  escaped and NULL as \N; or as one JSON object of
                                  tables, each an array of rows (NULL as null)
  remove-theme FILE KEY           remove a theme that no module names any more
  remove-module FILE KEY          remove a module
  remove-toy FILE KEY             remove a toy

Options for the add commands (every field can be set):
  --type N             tree type (themes 100, modules 200 by default)
  --preview PATH       preview picture (modules, toyz)
  --url URL            the page put on the desktop (modules)
  --copyright TEXT     copyright text (modules, toyz)
  --copyright-url URL  copyright page (modules, toyz)
  --banner-url URL     banner page (modules)
  --uninstall PATH     folder of the item's setup.exe (modules, toyz)
  --locked             the toy cannot be uninstalled
  --active             the toy is one of the active toyz
  --order N            the toy's place in the lists
  --set FIELD=VALUE    set any field to a text value
  --null FIELD         leave a field Null

Each command runs as one transaction: on any error nothing is written.
Exit status: 0 done, 1 the command failed, 2 the command line is wrong.)";

struct UsageError {
    std::string message;
};
struct CommandError {
    std::string message;
};

const char* kSchema =
    "CREATE TABLE tblThemes (ThemeKey TEXT COLLATE NOCASE, ThemeTreeText TEXT, "
    "ThemeTreeType INTEGER);"
    "CREATE TABLE tblModules (ModuleKey TEXT COLLATE NOCASE, ModuleThemeKey TEXT COLLATE NOCASE, "
    "ModuleTreeText TEXT, ModuleTreeType INTEGER, ModulePreviewPath TEXT, ModuleURL TEXT, "
    "ModuleCopyright TEXT, ModuleCopyrightURL TEXT, ModuleBannerURL TEXT, "
    "ModuleUninstallPath TEXT);"
    "CREATE TABLE tblToyz (ToyKey TEXT COLLATE NOCASE, ToyText TEXT COLLATE NOCASE, "
    "ToyPreviewPath TEXT, ToyIsLocked INTEGER, ToyIsActive INTEGER, ToyCopyright TEXT, "
    "ToyCopyrightURL TEXT, ToyOrder NUMERIC, ToyUninstallPath TEXT);";

const std::map<std::string, std::vector<std::string>> kColumns = {
    {"tblThemes", {"ThemeKey", "ThemeTreeText", "ThemeTreeType"}},
    {"tblModules",
     {"ModuleKey", "ModuleThemeKey", "ModuleTreeText", "ModuleTreeType", "ModulePreviewPath",
      "ModuleURL", "ModuleCopyright", "ModuleCopyrightURL", "ModuleBannerURL",
      "ModuleUninstallPath"}},
    {"tblToyz",
     {"ToyKey", "ToyText", "ToyPreviewPath", "ToyIsLocked", "ToyIsActive", "ToyCopyright",
      "ToyCopyrightURL", "ToyOrder", "ToyUninstallPath"}}};

// A row to insert: column name -> value (Null when absent from the map).
using Row = std::map<std::string, Variant>;

std::string CanonicalColumn(const std::string& table, const std::string& name) {
    for (const auto& c : kColumns.at(table))
        if (platform::EqualsNoCase(c, name)) return c;
    throw UsageError{"no field " + name + " in " + table};
}

long ParseNumber(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno)
        throw UsageError{std::string(what) + " must be a number: " + text};
    return v;
}

// Reads the options of an add command into the row.
void ReadOptions(const std::string& table, std::vector<std::string>& args, size_t from, Row& row) {
    std::map<std::string, std::string> names = {
        {"--preview", table == "tblToyz" ? "ToyPreviewPath" : "ModulePreviewPath"},
        {"--url", "ModuleURL"},
        {"--copyright", table == "tblToyz" ? "ToyCopyright" : "ModuleCopyright"},
        {"--copyright-url", table == "tblToyz" ? "ToyCopyrightURL" : "ModuleCopyrightURL"},
        {"--banner-url", "ModuleBannerURL"},
        {"--uninstall", table == "tblToyz" ? "ToyUninstallPath" : "ModuleUninstallPath"}};
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
            return args[++i];
        };
        if (a == "--type") {
            std::string col = table == "tblThemes"    ? "ThemeTreeType"
                              : table == "tblModules" ? "ModuleTreeType"
                                                      : "";
            if (col.empty()) throw UsageError{"--type is for themes and modules"};
            row[col] = Variant(static_cast<int64_t>(ParseNumber(value(), "--type")));
        } else if (a == "--locked" || a == "--active") {
            if (table != "tblToyz") throw UsageError{a + " is for toyz"};
            row[a == "--locked" ? "ToyIsLocked" : "ToyIsActive"] = Variant(-1);
        } else if (a == "--order") {
            if (table != "tblToyz") throw UsageError{"--order is for toyz"};
            row["ToyOrder"] = Variant(static_cast<int64_t>(ParseNumber(value(), "--order")));
        } else if (a == "--set") {
            std::string v = value();
            auto eq = v.find('=');
            if (eq == std::string::npos) throw UsageError{"--set needs FIELD=VALUE"};
            row[CanonicalColumn(table, v.substr(0, eq))] = Variant(v.substr(eq + 1));
        } else if (a == "--null") {
            row[CanonicalColumn(table, value())] = Variant::Null();
        } else if (auto it = names.find(a); it != names.end()) {
            std::string col = it->second;
            if ((col.rfind("Module", 0) == 0) != (table == "tblModules"))
                throw UsageError{a + " does not apply here"};
            row[col] = Variant(value());
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
}

void Insert(dao::Database& db, const std::string& table, const Row& row) {
    std::string cols, marks;
    dao::Params params;
    for (const auto& c : kColumns.at(table)) {
        cols += (cols.empty() ? "" : ", ") + c;
        marks += marks.empty() ? "?" : ", ?";
        auto it = row.find(c);
        params.push_back(it == row.end() ? Variant::Null() : it->second);
    }
    db.Execute("INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")", params);
}

bool Exists(dao::Database& db, const char* sql, const std::string& key) {
    return !db.OpenRecordset(sql, dao::dbOpenSnapshot, {key}).Eof();
}

void CheckNewTreeKey(dao::Database& db, const std::string& key) {
    if (Exists(db, "SELECT 1 FROM tblThemes WHERE ThemeKey = ?", key) ||
        Exists(db, "SELECT 1 FROM tblModules WHERE ModuleKey = ?", key))
        throw CommandError{"the key " + key + " is already used by a theme or module"};
}

void Create(const std::string& file) {
    std::string native = platform::MapPath(file);
    struct stat st;
    if (::stat(native.c_str(), &st) == 0) throw CommandError{file + " already exists"};
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(native.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string err;
    if (rc == SQLITE_OK) {
        char* msg = nullptr;
        rc = sqlite3_exec(db, (std::string("BEGIN;") + kSchema + "COMMIT;").c_str(), nullptr,
                          nullptr, &msg);
        if (msg) err = msg, sqlite3_free(msg);
    } else {
        err = sqlite3_errmsg(db);
    }
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        ::unlink(native.c_str());
        throw CommandError{"cannot create " + file + ": " + err};
    }
}

// A text field of the tab-separated form: a backslash, tab or line break in a
// value is escaped, so that only Null prints as \N and every row is one line.
std::string TextField(const Variant& v) {
    if (v.IsNull()) return "\\N";
    std::string out;
    for (char c : CStr(v)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonValue(const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Null:
    case Variant::Kind::Empty:
        return "null";
    case Variant::Kind::Integer:
        return std::to_string(v.integer());
    case Variant::Kind::Boolean:
        return v.boolean() ? "true" : "false";
    case Variant::Kind::Double:
        if (std::isfinite(v.dbl())) return CStr(v);
        return "null";
    default:
        return JsonString(CStr(v));
    }
}

void PrintRows(dao::Database& db, const std::string& table, bool json, bool first) {
    const char* order = table == "tblToyz" ? " ORDER BY ToyOrder" : "";
    auto rs = db.OpenRecordset("SELECT * FROM " + table + order, dao::dbOpenSnapshot);
    const auto& cols = kColumns.at(table);
    if (json) {
        std::cout << (first ? "" : ",\n ") << JsonString(table) << ": [";
        for (bool firstRow = true; !rs.Eof(); rs.MoveNext(), firstRow = false) {
            std::cout << (firstRow ? "\n  {" : ",\n  {");
            for (size_t i = 0; i < cols.size(); ++i)
                std::cout << (i ? ", " : "") << JsonString(cols[i]) << ": "
                          << JsonValue(rs.Fields(cols[i]).Value());
            std::cout << '}';
        }
        std::cout << ']';
        return;
    }
    std::cout << "# " << table;
    for (const auto& c : cols)
        std::cout << '\t' << c;
    std::cout << '\n';
    while (!rs.Eof()) {
        std::cout << table;
        for (const auto& c : cols)
            std::cout << '\t' << TextField(rs.Fields(c).Value());
        std::cout << '\n';
        rs.MoveNext();
    }
}

int Run(std::vector<std::string> args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage << '\n';
        return args.empty() ? 2 : 0;
    }
    const std::string cmd = args[0];
    if (args.size() < 2) throw UsageError{cmd + " needs a catalogue FILE"};
    const std::string file = args[1];
    auto need = [&](size_t n, const char* what) {
        if (args.size() < n) throw UsageError{cmd + " needs " + what};
    };
    if (cmd == "create") {
        if (args.size() > 2) throw UsageError{"create takes only FILE"};
        Create(file);
        return 0;
    }
    static const std::vector<std::string> known = {"add-theme", "add-module",   "add-toy",
                                                   "list",      "remove-theme", "remove-module",
                                                   "remove-toy"};
    if (std::find(known.begin(), known.end(), cmd) == known.end())
        throw UsageError{"unknown command " + cmd};
    if (platform::ProbeFile(file) != platform::FileKind::PlainFile)
        throw CommandError{file + " does not exist"};
    auto db = dao::DBEngine.OpenDatabase(file);
    for (const auto& [table, cols] : kColumns)
        for (const auto& c : cols)
            db.OpenRecordset("SELECT " + c + " FROM " + table + " LIMIT 0");

    if (cmd == "list") {
        bool json = false;
        std::vector<std::string> rest;
        for (size_t i = 2; i < args.size(); ++i)
            if (args[i] == "--json")
                json = true;
            else
                rest.push_back(args[i]);
        if (rest.size() > 1) throw UsageError{"list takes FILE and one table at most"};
        std::string which = rest.empty() ? "" : rest[0];
        const std::vector<std::pair<std::string, std::string>> tables = {
            {"themes", "tblThemes"}, {"modules", "tblModules"}, {"toyz", "tblToyz"}};
        if (!which.empty() && which != "themes" && which != "modules" && which != "toyz")
            throw UsageError{"no table " + which};
        if (json) std::cout << '{';
        bool first = true;
        for (const auto& [name, table] : tables)
            if (which.empty() || which == name) {
                PrintRows(db, table, json, first);
                first = false;
            }
        if (json) std::cout << "}\n";
        return 0;
    }

    db.InTransaction([&] {
        if (cmd == "add-theme") {
            need(4, "KEY and TEXT");
            CheckNewTreeKey(db, args[2]);
            Row row{{"ThemeKey", args[2]}, {"ThemeTreeText", args[3]}, {"ThemeTreeType", 100}};
            ReadOptions("tblThemes", args, 4, row);
            Insert(db, "tblThemes", row);
        } else if (cmd == "add-module") {
            need(5, "KEY, THEME and TEXT");
            CheckNewTreeKey(db, args[2]);
            auto theme = db.OpenRecordset("SELECT ThemeKey FROM tblThemes WHERE ThemeKey = ?",
                                          dao::dbOpenSnapshot, {args[3]});
            if (theme.Eof()) throw CommandError{"no theme " + args[3] + " for module " + args[2]};
            // The module names its theme as the theme row spells it.
            Row row{{"ModuleKey", args[2]},
                    {"ModuleThemeKey", theme.Fields("ThemeKey").Value()},
                    {"ModuleTreeText", args[4]},
                    {"ModuleTreeType", 200}};
            ReadOptions("tblModules", args, 5, row);
            Insert(db, "tblModules", row);
        } else if (cmd == "add-toy") {
            need(4, "KEY and TEXT");
            if (Exists(db, "SELECT 1 FROM tblToyz WHERE ToyKey = ?", args[2]))
                throw CommandError{"the toy key " + args[2] + " is already used"};
            auto last =
                db.OpenRecordset("SELECT COALESCE(MAX(ToyOrder), 0) + 1 AS Next FROM tblToyz");
            Row row{{"ToyKey", args[2]},
                    {"ToyText", args[3]},
                    {"ToyIsLocked", 0},
                    {"ToyIsActive", 0},
                    {"ToyOrder", last.Fields("Next").Value()}};
            ReadOptions("tblToyz", args, 4, row);
            Insert(db, "tblToyz", row);
        } else {
            need(3, "KEY");
            if (args.size() > 3) throw UsageError{cmd + " takes FILE and KEY"};
            const std::string& key = args[2];
            if (cmd == "remove-theme") {
                if (!Exists(db, "SELECT 1 FROM tblThemes WHERE ThemeKey = ?", key))
                    throw CommandError{"no theme " + key};
                if (Exists(db, "SELECT 1 FROM tblModules WHERE ModuleThemeKey = ?", key))
                    throw CommandError{"theme " + key + " still has modules"};
                db.Execute("DELETE FROM tblThemes WHERE ThemeKey = ?", {key});
            } else if (cmd == "remove-module") {
                if (!Exists(db, "SELECT 1 FROM tblModules WHERE ModuleKey = ?", key))
                    throw CommandError{"no module " + key};
                db.Execute("DELETE FROM tblModules WHERE ModuleKey = ?", {key});
            } else {
                if (!Exists(db, "SELECT 1 FROM tblToyz WHERE ToyKey = ?", key))
                    throw CommandError{"no toy " + key};
                db.Execute("DELETE FROM tblToyz WHERE ToyKey = ?", {key});
            }
        }
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--version") {
        std::cout << "zelkora-catalogue " << runtime::VersionText() << '\n';
        return 0;
    }
    try {
        return Run(args);
    } catch (const UsageError& e) {
        std::cerr << "zelkora-catalogue: " << e.message << " (see --help)\n";
        return 2;
    } catch (const CommandError& e) {
        std::cerr << "zelkora-catalogue: " << e.message << '\n';
        return 1;
    } catch (const Failure& f) {
        std::cerr << "zelkora-catalogue: " << (args.size() > 1 ? args[1] + ": " : "")
                  << f.Description << " (" << f.Number << ")\n";
        return 1;
    }
}
