#include "package/quick_module.h"

#include "platform/prefix.h"
#include "platform/text.h"
#include "sandbox/app_address.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace fs = std::filesystem;

// The pages a quick module is made of (src/pages/).
namespace pages {
extern const char kQuickPicture[], kQuickVideo[], kQuickAddress[];
}

namespace package {

namespace {

// Letters and digits of a text, for a key: "Polar Nights" -> "PolarNights".
std::string KeyPart(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        if (std::isalnum(c) && out.size() < 40) out += static_cast<char>(c);
    return out;
}

// How a picture is placed, as CSS background values.
std::string PicturePlacement(const std::string& placement) {
    static const std::pair<const char*, const char*> kPlacements[] = {
        {"tile", "repeat left top / auto"},
        {"centre", "no-repeat center / auto"},
        {"center", "no-repeat center / auto"},
        {"stretch", "no-repeat center / 100% 100%"},
        {"fill", "no-repeat center / cover"}};
    for (const auto& [name, css] : kPlacements)
        if (placement == name) return css;
    throw Refused("the placement \"" + placement + "\" is unknown (tile, centre, stretch or fill)");
}

// The files a page links by relative address (src, href, url()), each once.
std::vector<std::string> LinkedFiles(const std::string& html) {
    static const std::regex kLink(R"((?:src|href)\s*=\s*["']([^"'#?]+)|url\(\s*["']?([^"')#?]+))",
                                  std::regex::icase);
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink);
         it != std::sregex_iterator(); ++it) {
        std::string link = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
        if (link.find(':') != std::string::npos || link.empty() || link[0] == '/') continue;
        if (seen.insert(link).second) out.push_back(link);
    }
    return out;
}

// Copies a page's folder-mates that it links, and those their stylesheets
// link, keeping the relative paths; links that lead out of the folder are left.
void CopyLinked(const fs::path& from, const fs::path& to, const std::string& html) {
    std::vector<std::string> queue = LinkedFiles(html);
    std::set<std::string> done;
    while (!queue.empty()) {
        std::string rel = queue.back();
        queue.pop_back();
        fs::path clean = fs::path(rel).lexically_normal();
        if (clean.empty() || *clean.begin() == ".." || !done.insert(clean.string()).second) continue;
        fs::path source = from / clean;
        if (!fs::is_regular_file(source)) continue;
        fs::create_directories((to / clean).parent_path());
        fs::copy_file(source, to / clean, fs::copy_options::overwrite_existing);
        if (platform::ToLowerAscii(clean.extension().string()) == ".css")
            for (const std::string& link : LinkedFiles(platform::ReadWholeFile(source.string())))
                queue.push_back((clean.parent_path() / link).lexically_normal().string());
    }
}

const std::pair<const char*, QuickSource::Kind> kKinds[] = {
    {"picture", QuickSource::Picture},
    {"video", QuickSource::Video},
    {"page", QuickSource::Page},
    {"address", QuickSource::Address}};

// The files each kind is made from, by their extensions.
const std::pair<const char*, QuickSource::Kind> kExtensions[] = {
    {".png", QuickSource::Picture},  {".jpg", QuickSource::Picture},  {".jpeg", QuickSource::Picture},
    {".gif", QuickSource::Picture},  {".webp", QuickSource::Picture}, {".bmp", QuickSource::Picture},
    {".svg", QuickSource::Picture},  {".webm", QuickSource::Video},   {".mp4", QuickSource::Video},
    {".ogv", QuickSource::Video},    {".ogg", QuickSource::Video},    {".htm", QuickSource::Page},
    {".html", QuickSource::Page},     {".xhtml", QuickSource::Page}};

// The file's extension, lower-cased, when the desktop can show it as the kind.
std::string Extension(const std::string& file, QuickSource::Kind kind) {
    QuickSource::Kind found;
    if (!QuickKindOfFile(file, found) || found != kind) {
        const char* what = "";
        for (const auto& [name, k] : kKinds)
            if (k == kind) what = name;
        throw Refused(fs::path(file).filename().string() + ": it is not a " + what +
                      " the desktop can show");
    }
    return platform::ToLowerAscii(fs::path(file).extension().string());
}

} // namespace

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw Refused("cannot write " + path);
}

std::string WithHeadFirst(std::string html, const std::string& first) {
    std::string lower = platform::ToLowerAscii(html);
    auto after = [&](const char* tag) -> size_t {
        size_t n = std::char_traits<char>::length(tag);
        for (size_t at = lower.find(tag); at != std::string::npos; at = lower.find(tag, at + n)) {
            if (at + n < lower.size() && lower[at + n] != '>' &&
                !std::isspace(static_cast<unsigned char>(lower[at + n])))
                continue; // <header>, <htmlfoo>
            size_t end = lower.find('>', at);
            if (end != std::string::npos) return end + 1;
        }
        return std::string::npos;
    };
    size_t at = after("<head");
    if (at == std::string::npos) at = after("<html");
    if (at == std::string::npos) at = after("<!doctype");
    html.insert(at == std::string::npos ? 0 : at, first);
    return html;
}

std::string Fingerprint(const std::string& text, int digits) {
    uint32_t h = 2166136261u;
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    static const char* kDigits = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < digits; ++i, h >>= 4)
        out += kDigits[h & 15];
    return out;
}

std::string HtmlText(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

bool MentionsWebGL(const std::string& text) {
    for (const char* context : {"'webgl", "\"webgl", "-webgl", "WebGLRenderer"})
        if (text.find(context) != std::string::npos) return true;
    return false;
}

std::string QuickThemeKey(const std::string& themeName) {
    std::string key = KeyPart(themeName);
    return key.empty() ? "Theme" + Fingerprint(themeName) : key;
}

bool QuickKindNamed(const std::string& word, QuickSource::Kind& kind) {
    for (const auto& [name, k] : kKinds)
        if (word == name) {
            kind = k;
            return true;
        }
    return false;
}

bool QuickKindOfFile(const std::string& file, QuickSource::Kind& kind) {
    std::string ext = platform::ToLowerAscii(fs::path(file).extension().string());
    for (const auto& [e, k] : kExtensions)
        if (ext == e) {
            kind = k;
            return true;
        }
    return false;
}

Manifest MakeQuickModule(const QuickSource& q, const std::string& folderName) {
    fs::path folder(folderName);
    Manifest m;
    m.kind = Manifest::Module;
    m.themeName = q.theme.empty() ? "My Desktop" : q.theme;
    m.themeKey = QuickThemeKey(m.themeName);
    m.version = "1";
    m.page = "index.htm";
    std::string source = q.source;
    if (q.kind == QuickSource::Address) {
        static const std::regex kWeb(R"(^https?://([^/?#:@]+)(:\d+)?([/?#].*)?$)", std::regex::icase);
        std::smatch match;
        if (!std::regex_match(source, match, kWeb) || source.find_first_of(" \"<>\\\n\r") != std::string::npos)
            throw Refused(source + ": it is not an http or https address");
        m.name = q.name.empty() ? match[1].str() : q.name;
        WriteText((folder / sandbox::kWebAddressFile).string(), source + "\n");
        WriteText((folder / m.page).string(), platform::FillFields(pages::kQuickAddress,
                                                        {{"NAME", HtmlText(m.name)},
                                                         {"ADDRESS", HtmlText(source)}}));
    } else {
        if (!fs::is_regular_file(source)) throw Refused(source + ": there is no such file");
        fs::path file(source);
        m.name = q.name.empty() ? file.stem().string() : q.name;
        if (q.kind == QuickSource::Picture) {
            std::string ext = Extension(source, QuickSource::Picture);
            fs::copy_file(file, folder / ("picture" + ext));
            m.preview = ext == ".png" ? "picture.png" : "";
            WriteText((folder / m.page).string(),
                      platform::FillFields(pages::kQuickPicture,
                                           {{"NAME", HtmlText(m.name)},
                                            {"FILE", "picture" + ext},
                                            {"PLACEMENT", PicturePlacement(q.placement)}}));
        } else if (q.kind == QuickSource::Video) {
            std::string ext = Extension(source, QuickSource::Video);
            fs::copy_file(file, folder / ("video" + ext));
            WriteText((folder / m.page).string(), platform::FillFields(pages::kQuickVideo,
                                                            {{"NAME", HtmlText(m.name)},
                                                             {"FILE", "video" + ext}}));
        } else {
            Extension(source, QuickSource::Page);
            std::string html = platform::ReadWholeFile(file.string());
            CopyLinked(file.parent_path(), folder, html);
            // The page gets the shared script first thing, for its toyz.
            html = WithHeadFirst(html, "\n<script src=\"../../../zelkora.js\"></script>\n"
                                       "<link rel=\"stylesheet\" href=\"../../../zelkora.css\">\n");
            m.page = file.filename().string();
            WriteText((folder / m.page).string(), html);
            for (const auto& e : fs::recursive_directory_iterator(folder))
                if (e.is_regular_file() && (platform::ToLowerAscii(e.path().extension().string()) == ".js" ||
                                            e.path() == folder / m.page))
                    m.webgl = m.webgl || MentionsWebGL(platform::ReadWholeFile(e.path().string()));
        }
    }
    if (std::string why = WindowsNameProblem(m.name); !why.empty())
        throw Refused("\"" + m.name + "\" cannot name a module: " + why + " (give --name)");
    m.key = q.key.empty() ? "ZKR" + KeyPart(m.name) + Fingerprint(source) : q.key;
    WriteText((folder / kManifestName).string(), ManifestText(m));
    return m;
}

} // namespace package
