#include "sandbox/app_address.h"

#include "platform/native_files.h"
#include "platform/prefix.h"

#include <cstdio>
#include <filesystem>

namespace sandbox {

namespace {

// A short name for a folder, the same in any letter case: FNV-1a over the
// upper-case path, in lower-case hex (an origin's host is a DNS label).
std::string Hash(std::string_view folder) {
    uint64_t h = 1469598103934665603ULL;
    for (char c : platform::ToUpperAscii(folder)) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

std::string ModuleOrigin(const std::string& theme, const std::string& module) {
    return "m-" + Hash("modules/" + theme + "/" + module);
}
std::string ToyOrigin(const std::string& toy) { return "t-" + Hash("zeltoyz/" + toy); }

bool Is(const std::string& a, std::string_view b) { return platform::EqualsNoCase(a, b); }

std::vector<std::string> Split(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = s.find('/', i);
        if (j == std::string_view::npos) j = s.size();
        out.emplace_back(s.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

// What a resolved path names; not found for "", which nothing resolved to.
std::filesystem::file_status Status(const std::string& real) {
    std::error_code ec;
    return real.empty() ? std::filesystem::file_status(std::filesystem::file_type::not_found)
                        : std::filesystem::status(real, ec);
}

// The components of real below root, or nothing when it is not below it.
bool Below(const std::string& root, const std::string& real, std::vector<std::string>& rel) {
    if (real.size() <= root.size() + 1 || real.compare(0, root.size(), root) != 0 ||
        real[root.size()] != '/')
        return false;
    rel = Split(std::string_view(real).substr(root.size() + 1));
    return true;
}

std::string Encode(const std::vector<std::string>& comps) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const auto& c : comps) {
        out += '/';
        for (unsigned char ch : c) {
            if (std::isalnum(ch) || ch == '-' || ch == '_' || ch == '.' || ch == '~')
                out += static_cast<char>(ch);
            else {
                out += '%';
                out += hex[ch >> 4];
                out += hex[ch & 15];
            }
        }
    }
    return out;
}

// The folders directly in a folder, by their names on disk.
std::vector<std::string> Folders(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(dir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        if (std::error_code kind; it->is_directory(kind)) out.push_back(it->path().filename().string());
    return out;
}

Access Refuse(std::string why) {
    Access a;
    a.why = std::move(why);
    return a;
}

// What pages of an origin may read besides their own folder: the shared
// scripts and stylesheets; the installation's own pages and the modules also
// the toyz' code; the modules the two files the Manager writes and their
// theme's and the modules' shared files.
bool Shared(const std::string& root, const std::string& host, const std::vector<std::string>& rel) {
    if (rel.size() == 1)
        return platform::EndsWithNoCase(rel[0], ".js") || platform::EndsWithNoCase(rel[0], ".css") ||
               host == kAppOrigin;
    if (host.rfind("t-", 0) == 0) return false;
    // A toy's code is no secret (its data is not in its folder): the pages
    // that place toyz may look at it.
    if (rel.size() >= 3 && Is(rel[0], "ZelToyz")) return true;
    if (host == kAppOrigin) return false;
    if (rel.size() == 2 && ((Is(rel[0], "themes") && Is(rel[1], "options.txt")) ||
                            (Is(rel[0], "ZelToyz") && Is(rel[1], "ZelToyz.txt")) ||
                            Is(rel[0], "Modules")))
        return true;
    if (rel.size() == 3 && Is(rel[0], "Modules"))
        for (const auto& m : Folders(root + "/" + rel[0] + "/" + rel[1]))
            if (ModuleOrigin(rel[1], m) == host) return true;
    return false;
}

} // namespace

std::string OriginOf(const std::vector<std::string>& rel) {
    if (rel.size() >= 4 && Is(rel[0], "Modules")) return ModuleOrigin(rel[1], rel[2]);
    if (rel.size() >= 3 && Is(rel[0], "ZelToyz")) return ToyOrigin(rel[1]);
    return kAppOrigin;
}

Address AddressOf(const std::string& appRoot, const std::string& nativePath) {
    Address a;
    std::string root = platform::RealPath(appRoot);
    if (root.empty()) {
        a.problem = "the installation folder " + appRoot + " does not exist";
        return a;
    }
    std::string real = platform::RealPath(nativePath);
    const auto st = Status(real);
    if (!std::filesystem::exists(st)) {
        a.problem = "the page " + nativePath + " does not exist";
        return a;
    }
    std::vector<std::string> rel;
    if (!Below(root, real, rel)) {
        a.problem = "the page " + nativePath + " lies outside the installation " + appRoot;
        return a;
    }
    if (!std::filesystem::is_regular_file(st)) {
        a.problem = "the page " + nativePath + " is not a file";
        return a;
    }
    a.url = std::string(kScheme) + "://" + OriginOf(rel) + Encode(rel);
    return a;
}

Access Resolve(const std::string& appRoot, const std::string& host, const std::string& path,
               const std::string& encodedPath, const std::string& initiator) {
    std::string self = std::string(kScheme) + "://" + host;
    bool fromSelf = initiator.empty() || initiator == self;
    std::string encoded = platform::ToUpperAscii(encodedPath);
    for (std::string_view bad : {"%2F", "%5C", "%00"})
        if (encoded.find(bad) != std::string::npos) return Refuse("an encoded separator");
    if (path.empty() || path[0] != '/') return Refuse("no path");
    std::string root = platform::RealPath(appRoot);
    if (root.empty()) return Refuse("no installation");

    if (path == kToyDataPath) {
        if (host.rfind("t-", 0) != 0 || initiator != self)
            return Refuse("a toy's data, asked for by another origin");
        for (const auto& toy : Folders(root + "/ZelToyz"))
            if (ToyOrigin(toy) == host) {
                Access a;
                a.kind = Access::ToyData;
                a.toy = toy;
                return a;
            }
        return Refuse("no such toy");
    }
    // What the desktop makes for a module's own page, about that module.
    if (path == kModulePropertiesPath || path == kWallpaperInterfacePath) {
        if (host.rfind("m-", 0) != 0 || initiator != self)
            return Refuse("a module's own data, asked for by another origin");
        std::string modules = platform::MapUnder(root, "Modules");
        for (const auto& theme : Folders(modules))
            for (const auto& module : Folders(modules + "/" + theme))
                if (ModuleOrigin(theme, module) == host) {
                    Access a;
                    a.kind = path == kModulePropertiesPath ? Access::ModuleProperties
                                                           : Access::WallpaperInterface;
                    a.native = modules + "/" + theme + "/" + module;
                    return a;
                }
        return Refuse("no such module");
    }

    std::vector<std::string> asked = Split(std::string_view(path).substr(1));
    bool folder = asked.size() > 1 && asked.back().empty();
    if (folder) asked.pop_back();
    for (const auto& c : asked)
        if (c.empty() || c == "." || c == ".." || c.find('\\') != std::string::npos ||
            c.find('\0') != std::string::npos)
            return Refuse("a path that leaves its folder");
    std::string joined;
    for (const auto& c : asked)
        joined += (joined.empty() ? "" : "/") + c;
    std::string real = platform::RealPath(platform::MapUnder(root, joined));
    std::vector<std::string> rel;
    const auto st = Status(real);
    if (!std::filesystem::exists(st)) return Refuse("not found");
    if (!Below(root, real, rel)) return Refuse("outside the installation");

    if (std::filesystem::is_directory(st)) {
        // A toy's folder is the page its frame shows, in the toy's own origin.
        if (!folder || rel.size() != 2 || !Is(rel[0], "ZelToyz")) return Refuse("a folder");
        Access a;
        a.toy = rel[1];
        if (ToyOrigin(rel[1]) == host) {
            a.kind = Access::ToyFrame;
        } else if (fromSelf) {
            a.kind = Access::ToyFrameElsewhere;
            a.url = std::string(kScheme) + "://" + ToyOrigin(rel[1]) + Encode(rel) + "/";
        } else {
            return Refuse("a toy's frame, asked for by another origin");
        }
        return a;
    }
    if (!std::filesystem::is_regular_file(st)) return Refuse("not a file");
    if (!fromSelf) return Refuse("asked for by another origin");
    // The installation's own pages own its top folder only, not the catalogue's.
    bool own = OriginOf(rel) == host && (host != kAppOrigin || rel.size() == 1);
    if (!own && !Shared(root, host, rel)) return Refuse("not this origin's file");
    Access a;
    a.kind = Access::File;
    a.native = real;
    return a;
}

std::string FramedAddress(const std::string& appRoot, const std::string& host,
                          const std::string& path) {
    if (host.rfind("m-", 0) != 0 || path.empty() || path[0] != '/') return {};
    std::vector<std::string> rel = Split(std::string_view(path).substr(1));
    if (rel.size() < 4 || !Is(rel[0], "Modules") || ModuleOrigin(rel[1], rel[2]) != host) return {};
    std::string root = platform::RealPath(appRoot);
    std::string folder = platform::RealPath(platform::MapUnder(appRoot, rel[0] + "\\" + rel[1] + "\\" + rel[2]));
    std::vector<std::string> below;
    if (root.empty() || folder.empty() || !Below(root, folder, below) || below.size() != 3) return {};
    std::string text;
    if (!platform::ReadWholeFile(folder + "/" + kWebAddressFile, text)) return {};
    text = text.substr(0, text.find_first_of("\r\n"));
    bool web = text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0;
    return web ? text : std::string();
}

std::string ToyDataFile(const std::string& toy) {
    return platform::PrefixDir() + "/toy-data/" + toy + ".json";
}

} // namespace sandbox
