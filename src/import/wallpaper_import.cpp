// A wallpaper made into a module folder: its files copied under the rules
// of packages, a page the desktop applies that first loads what the page
// expects of its program, a page that says whose it is, and the manifest.
#include "import/wallpaper.h"

#include "import/wallpaper_formats.h"
#include "package/archive.h"
#include "package/check.h"
#include "package/temporary_folder.h"
#include "platform/prefix.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <string_view>
#include <set>

namespace fs = std::filesystem;

namespace wallpaper {

namespace {

using package::Refused;

bool IsFile(const fs::path& p) {
    return fs::is_regular_file(fs::symlink_status(p));
}

// The descriptor's folder under root (root itself or a folder directly in
// it) and its format; "" when there is none.
std::string Locate(const std::string& root, Description::Format& format) {
    auto here = [&](const std::string& folder) {
        for (auto [name, f] : {std::pair{kLivelyInfo, Description::Lively},
                               std::pair{kProjectJson, Description::WallpaperEngine}})
            if (IsFile(platform::MapUnder(folder, name))) {
                format = f;
                return true;
            }
        return false;
    };
    if (here(root)) return root;
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root, ec))
        if (fs::is_directory(e.symlink_status()) && here(e.path().string()))
            found.push_back(e.path().string());
    if (found.size() > 1)
        throw Refused(fs::path(root).filename().string() +
                      ": it holds more than one wallpaper; import them one at a time");
    if (found.empty()) return {};
    here(found[0]);
    return found[0];
}

bool IsZip(const std::string& path) {
    return fs::is_regular_file(path) && platform::EndsWithNoCase(path, ".zip");
}

// The wallpaper's files where they can be read: the folder given, or the zip
// unpacked under the limits of packages (no link, no path out of the folder).
struct Source {
    std::unique_ptr<package::TemporaryFolder> unpacked;
    std::string folder; // where the descriptor is
    Description::Format format = Description::Lively;
    std::string shownAs; // the path the user gave, for messages
};

Source Open(const std::string& path) {
    Source s;
    s.shownAs = fs::path(path).filename().string();
    std::string root = path;
    if (IsZip(path)) {
        s.unpacked = std::make_unique<package::TemporaryFolder>();
        package::Unpack(path, s.unpacked->Path());
        root = s.unpacked->Path();
    } else if (!fs::is_directory(path)) {
        throw Refused(s.shownAs + ": it is neither a folder nor a .zip of a wallpaper");
    }
    s.folder = Locate(root, s.format);
    if (s.folder.empty())
        throw Refused(s.shownAs + ": it holds neither " + kLivelyInfo + " (Lively) nor " +
                      kProjectJson + " (Wallpaper Engine), at its top or one folder down");
    return s;
}

// Copies the wallpaper's files (to "": only looks at them): plain files and
// folders only, with names a package may hold, within a package's limits.
void CopyFiles(const fs::path& from, const fs::path& to) {
    package::Limits limits;
    uint64_t count = 0, bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string rel = it->path().lexically_relative(from).generic_string();
        if (std::string why = package::EntryPathProblem(rel); !why.empty())
            throw Refused(rel + ": " + why);
        fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status))
            throw Refused(rel + ": it is a link; a wallpaper can hold only folders and files");
        if (++count > limits.entries)
            throw Refused("it has more than " + std::to_string(limits.entries) + " files and folders");
        if (fs::is_directory(status)) {
            if (!to.empty()) fs::create_directories(to / rel);
        } else if (fs::is_regular_file(status)) {
            bytes += fs::file_size(it->path());
            if (bytes > limits.bytes)
                throw Refused("its files take more than " + std::to_string(limits.bytes >> 20) + " MB");
            if (!to.empty()) fs::copy_file(it->path(), to / rel);
        } else {
            throw Refused(rel + ": it is a device or special file");
        }
    }
    if (ec) throw Refused("its files cannot be read: " + ec.message());
}

// A file the wallpaper names, as a path inside it ("/"), found without
// regard to case; "" with why when it is not there.
std::string Inside(const fs::path& folder, std::string named, const char* what) {
    for (char& c : named)
        if (c == '\\') c = '/';
    if (named.empty()) throw Refused(std::string("it names no ") + what);
    if (std::string why = package::EntryPathProblem(named); !why.empty())
        throw Refused(named + ": the " + what + " cannot be named so: " + why);
    fs::path real = platform::MapUnder(folder.string(), named);
    if (!IsFile(real)) throw Refused(named + ": the " + what + " is not in the wallpaper");
    return real.lexically_relative(folder).generic_string();
}

// A title as a module's name: what Windows cannot give a folder goes.
std::string ModuleName(const std::string& title, const std::string& otherwise) {
    std::string name;
    for (unsigned char c : title.empty() ? otherwise : title)
        name += c < 32 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) !=
                                  std::string_view::npos
                    ? ' '
                    : static_cast<char>(c);
    while (name.size() > 100) { // whole UTF-8 characters only
        name.pop_back();
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(0, 1);
    if (name.empty()) name = "Wallpaper";
    if (!package::WindowsNameProblem(name).empty()) name += " wallpaper"; // CON, LPT1...
    return name;
}

const char* FormatName(Description::Format f) {
    return f == Description::Lively ? "Lively Wallpaper" : "Wallpaper Engine";
}

// The page beside the copyright page of every module: whose the wallpaper
// is, as its author wrote it (plain text, no script).
void WriteAbout(const fs::path& folder, const Description& d, const std::string& name,
                const std::string& app) {
    std::string rows;
    auto row = [&](const char* label, const std::string& value) {
        if (!value.empty())
            rows += "<tr><th>" + std::string(label) + "</th><td>" + package::HtmlText(value) + "</td></tr>\n";
    };
    row("Author", d.author);
    row("Licence", d.licence);
    row("Contact", d.contact);
    row(d.format == Description::WallpaperEngine ? "Workshop id" : "Id", d.id);
    package::WriteText((folder / "zelkora-about.htm").string(),
              "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + package::HtmlText(name) +
                  "</title><link rel=\"stylesheet\" href=\"" + app +
                  "pages.css\"></head>\n<body><h1>" + package::HtmlText(name) + "</h1>\n<p>A wallpaper made for " +
                  FormatName(d.format) + ".</p>\n" +
                  (d.description.empty() ? "" : "<p>" + package::HtmlText(d.description) + "</p>\n") +
                  (rows.empty() ? "" : "<table>\n" + rows + "</table>\n") + "</body></html>\n");
}

// The way up from a file at rel (in the module's folder) to the application
// folder: Modules\<theme>\<module>\ lies three folders down.
std::string UpToApp(const std::string& rel) {
    std::string up = "../../../";
    for (char c : rel)
        if (c == '/') up += "../";
    return up;
}

// The page the desktop applies: the author's, with what its program would
// give it loaded first of all: the shared script (toyz, transparency and the
// properties), then the format's own interface, which the desktop serves
// with the values of the moment.
std::string EntryPage(const std::string& html, const std::string& up) {
    return package::WithHeadFirst(html, "<script src=\"" + up + "zelkora.js\"></script>" +
                                            "<script src=\"/.zelkora/wallpaper.js\"></script>" +
                                            "<link rel=\"stylesheet\" href=\"" + up +
                                            "zelkora.css\">");
}

// Addresses on the internet a file loads from, by host: a page here has no
// network, so what they bring is missing. Read by hand, not by regular
// expression: a library of megabytes must not exhaust the stack.
std::set<std::string> InternetHosts(const std::string& text, bool html) {
    // What asks for an address, just before it: an element's source, a
    // stylesheet, a script's request.
    static const char* kHtmlLoads[] = {"src=", "url(", "@import"};
    static const char* kScriptLoads[] = {"fetch(", "websocket(", "importscripts(", "import(",
                                         "url(", "@import", "from", ".src="};
    std::set<std::string> hosts;
    for (size_t at = text.find("//"); at != std::string::npos; at = text.find("//", at + 2)) {
        size_t start = at;
        for (const char* scheme : {"https:", "http:", "wss:", "ws:"}) {
            size_t n = std::char_traits<char>::length(scheme);
            if (start >= n && platform::EqualsNoCase(text.substr(start - n, n), scheme)) {
                start -= n;
                break;
            }
        }
        if (start == at && (at == 0 || std::string_view("\"'(").find(text[at - 1]) == std::string_view::npos))
            continue; // a comment, or a path
        // What precedes it, without quotes and spaces, in small letters.
        size_t from = start;
        while (from > 0 && std::string_view("\"' \t\r\n").find(text[from - 1]) != std::string_view::npos)
            --from;
        size_t reach = std::min<size_t>(from, 40);
        std::string before = platform::ToLowerAscii(text.substr(from - reach, reach));
        std::string squeezed;
        for (char c : before)
            if (!std::isspace(static_cast<unsigned char>(c))) squeezed += c;
        bool loads = false;
        if (html) {
            for (const char* l : kHtmlLoads)
                loads = loads || platform::EndsWithNoCase(squeezed, l);
            // A stylesheet's href loads; a link to a page does not.
            size_t tag = text.rfind('<', start);
            if (!loads && tag != std::string::npos && platform::EndsWithNoCase(squeezed, "href=") &&
                platform::EqualsNoCase(text.substr(tag, 5), "<link"))
                loads = true;
        } else {
            for (const char* l : kScriptLoads)
                loads = loads || platform::EndsWithNoCase(squeezed, l);
            // fetch('GET', ...) and xhr.open('GET', '...'): an argument after the first.
            loads = loads || squeezed.find("open(") != std::string::npos;
        }
        if (!loads) continue;
        size_t end = text.find_first_of("/\"' \t\r\n>?#)", at + 2);
        if (end == std::string::npos) end = text.size();
        std::string host = platform::ToLowerAscii(text.substr(at + 2, end - at - 2));
        if (!host.empty()) hosts.insert(host);
    }
    return hosts;
}

struct FilesTell {
    bool webgl = false; // a context asked for by name, or three.js, which asks for one
    bool media = false; // Wallpaper Engine's media listeners registered
};

// What the files tell, and what will not work here: the internet, and .mp4
// video.
FilesTell LookAtFiles(const fs::path& folder, std::vector<package::Problem>& warnings) {
    FilesTell tell;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::string rel = it->path().lexically_relative(folder).generic_string();
        std::string ext = platform::ToLowerAscii(it->path().extension().string());
        if (ext == ".mp4" || ext == ".m4v")
            warnings.push_back({rel,
                                "an .mp4 video (H.264) plays only where the desktop's browser "
                                "was built with that codec, which Debian's is not: a WebM copy "
                                "plays everywhere",
                                true});
        bool html = ext == ".htm" || ext == ".html";
        if (!html && ext != ".js" && ext != ".mjs" && ext != ".css") continue;
        if (it->file_size() > (16u << 20)) continue;
        std::string text = platform::ReadWholeFile(it->path().string());
        tell.webgl = tell.webgl || package::MentionsWebGL(text);
        tell.media = tell.media || text.find("wallpaperRegisterMedia") != std::string::npos;
        for (const auto& host : InternetHosts(text, html))
            warnings.push_back({rel,
                                "it loads from " + host +
                                    " on the internet; pages have no network here, so what "
                                    "it brings is missing",
                                true});
    }
    return tell;
}

nlohmann::json ImportedJson(const Description& d) {
    nlohmann::json feeds = nlohmann::json::object();
    for (const Feed& f : d.feeds) {
        nlohmann::json feed = {{"type", f.type}};
        if (!f.values.is_null()) feed["values"] = f.values;
        if (!f.folder.empty()) feed["folder"] = f.folder;
        feeds[f.name] = std::move(feed);
    }
    return {{"format", d.format == Description::Lively ? "lively" : "wallpaper-engine"},
            {"id", d.id},
            {"arguments", d.arguments},
            {"audio", d.audio},
            {"feeds", std::move(feeds)}};
}

} // namespace

bool IsWallpaper(const std::string& path) {
    if (IsZip(path)) return true;
    if (!fs::is_directory(path)) return false;
    try {
        Description::Format format;
        return !Locate(path, format).empty();
    } catch (const Refused&) {
        return true; // one, and it will say what is wrong with it
    }
}

Imported Import(const std::string& path, const std::string& folderName) {
    Source source = Open(path);
    auto refuse = [&](const std::string& why) { return Refused(source.shownAs + ": " + why); };
    Description d;
    try {
        d = source.format == Description::Lively ? ReadLively(source.folder)
                                                  : ReadWallpaperEngine(source.folder);
    } catch (const Refused& r) {
        throw refuse(r.what());
    }
    fs::path folder(folderName);
    fs::path from(source.folder);
    Imported out;
    package::Manifest& m = out.manifest;
    std::string themeName = d.format == Description::Lively ? kLivelyTheme : kWallpaperEngineTheme;
    std::string name = ModuleName(d.title, fs::path(source.folder).filename().string());
    // The same wallpaper is the same module: by its id, else by its title.
    std::string key = std::string("ZKR") + (d.format == Description::Lively ? "Lively" : "WE") +
                      package::Fingerprint(d.id.empty() ? "title:" + name : "id:" + d.id, 8);
    try {
        // Every kind: a file that is a link could bring in one of the user's.
        CopyFiles(from, d.kind == Description::Web ? folder : fs::path());
        if (d.kind == Description::Web) {
            m.kind = package::Manifest::Module;
            m.key = key;
            m.name = name;
            m.themeName = themeName;
            m.themeKey = package::QuickThemeKey(themeName);
            std::string page = Inside(folder, d.file, "page");
            if (std::string ext = platform::ToLowerAscii(fs::path(page).extension().string());
                ext != ".htm" && ext != ".html")
                throw Refused(page + ": the wallpaper's file is not a page (.html)");
            size_t slash = page.find_last_of('/');
            m.page = (slash == std::string::npos ? "" : page.substr(0, slash + 1)) + key + ".htm";
            package::WriteText((folder / m.page).string(),
                      EntryPage(platform::ReadWholeFile((folder / page).string()), UpToApp(page)));
            m.properties = d.properties;
            m.imported = ImportedJson(d).dump();
        } else {
            package::QuickSource q;
            q.theme = themeName;
            q.name = name;
            q.key = key;
            if (d.kind == Description::Address) {
                q.kind = package::QuickSource::Address;
                q.source = d.file;
                out.webAddress = true;
            } else {
                q.kind = d.kind == Description::Video ? package::QuickSource::Video
                                                      : package::QuickSource::Picture;
                q.source = (from / Inside(from, d.file, d.kind == Description::Video
                                                            ? "video"
                                                            : "picture"))
                               .string();
            }
            m = package::MakeQuickModule(q, folderName);
            m.imported = ImportedJson(d).dump();
        }
    } catch (const Refused& r) {
        throw refuse(r.what());
    }
    // The wallpaper's own picture, when it has one (made a PNG by the installer).
    if (!d.preview.empty()) {
        try {
            std::string preview = Inside(from, d.preview, "preview");
            if (d.kind == Description::Web) {
                m.preview = preview;
            } else {
                m.preview = "wallpaper-preview" + platform::ToLowerAscii(fs::path(preview).extension().string());
                fs::copy_file(from / preview, folder / m.preview, fs::copy_options::overwrite_existing);
            }
        } catch (const Refused& r) {
            d.warnings.push_back({"", std::string(r.what()) + "; one is made from the page", true});
        }
    }
    m.version = "1";
    m.author = d.author;
    m.description = d.description;
    m.licence = d.licence;
    m.copyright = "zelkora-about.htm";
    WriteAbout(folder, d, name, "../../../");
    out.warnings = std::move(d.warnings);
    FilesTell tell = LookAtFiles(folder, out.warnings);
    bool web = d.kind == Description::Web;
    m.webgl = tell.webgl && web;
    m.audio = d.audio && web;
    m.media = (d.media || (tell.media && d.format == Description::WallpaperEngine)) && web;
    package::WriteText((folder / package::kManifestName).string(), package::ManifestText(m));
    return out;
}

std::vector<package::Problem> Check(const std::string& path, package::Manifest* manifest) {
    package::TemporaryFolder work;
    std::vector<package::Problem> problems;
    try {
        Imported imported = Import(path, work.Path());
        package::Manifest own;
        problems = package::CheckFolder(work.Path(), manifest ? *manifest : own);
        // The module's own problems, then what of the wallpaper will not work here.
        problems.insert(problems.end(), imported.warnings.begin(), imported.warnings.end());
    } catch (const Refused& r) {
        problems.push_back({"", r.what()});
    }
    return problems;
}

} // namespace wallpaper
