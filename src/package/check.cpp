#include "package/check.h"

#include "package/temporary_folder.h"
#include "platform/prefix.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace package {

namespace {

// A file the manifest names: present, a plain file, inside the item.
bool Named(const fs::path& folder, const std::string& rel, const char* field,
           std::vector<Problem>& problems, bool warnIfMissing = false) {
    if (rel.empty()) return false;
    if (std::string why = EntryPathProblem(rel); !why.empty()) {
        problems.push_back({rel, std::string("the \"") + field + "\" field cannot name it: " + why});
        return false;
    }
    fs::path path = fs::path(platform::MapUnder(folder.string(), rel));
    if (fs::is_regular_file(fs::symlink_status(path))) return true;
    problems.push_back({rel,
                        std::string("it is named as the \"") + field + "\" but is not in the item",
                        warnIfMissing});
    return false;
}

} // namespace

std::vector<Problem> CheckFolder(const std::string& folderName, Manifest& m, const Limits& limits) {
    std::vector<Problem> problems;
    fs::path folder(folderName);
    // The files: names Windows can hold, no links, within the limits.
    uint64_t count = 0, bytes = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string rel = fs::relative(it->path(), folder).generic_string();
        if (std::string why = EntryPathProblem(rel); !why.empty()) problems.push_back({rel, why});
        fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status))
            problems.push_back({rel, "it is a link; a package holds only folders and files"});
        else if (fs::is_regular_file(status))
            bytes += fs::file_size(it->path(), ec);
        else if (!fs::is_directory(status))
            problems.push_back({rel, "it is a device or special file"});
        ++count;
    }
    if (ec) problems.push_back({"", "the item cannot be read: " + ec.message()});
    if (count > limits.entries)
        problems.push_back({"", "it has " + std::to_string(count) + " files and folders; at most " +
                                    std::to_string(limits.entries) + " are allowed"});
    if (bytes > limits.bytes)
        problems.push_back({"", "its files take " + std::to_string(bytes >> 20) + " MB; at most " +
                                    std::to_string(limits.bytes >> 20) + " MB are allowed"});

    fs::path manifestFile = folder / kManifestName;
    if (!fs::is_regular_file(fs::symlink_status(manifestFile))) {
        problems.push_back({kManifestName, "the item has no zelkora.json at its root"});
        return problems;
    }
    m = ParseManifest(platform::ReadWholeFile(manifestFile.string()), problems);
    if (m.kind == Manifest::Module) {
        if (Named(folder, m.page, "page", problems)) {
            std::string page = platform::ReadWholeFile(platform::MapUnder(folder.string(), m.page));
            if (page.find("zelkora.js") == std::string::npos)
                problems.push_back({m.page, "the page does not include zelkora.js, so toyz and "
                                            "transparency cannot reach it"});
        }
        Named(folder, m.banner, "banner", problems);
    } else {
        Named(folder, m.script, "script", problems);
        Named(folder, m.stylesheet, "stylesheet", problems);
    }
    Named(folder, m.copyright, "copyright", problems);
    if (m.preview.empty())
        problems.push_back({"", "there is no preview; one is made from the page when it is installed",
                            true});
    else
        Named(folder, m.preview, "preview", problems, true);
    return problems;
}

std::vector<Problem> CheckPath(const std::string& path, const Limits& limits, Manifest* manifest) {
    Manifest own;
    Manifest& m = manifest ? *manifest : own;
    if (fs::is_directory(path)) return CheckFolder(path, m, limits);
    TemporaryFolder work;
    try {
        Unpack(path, work.Path(), limits);
    } catch (const Refused& refused) {
        return {{"", refused.what()}};
    }
    return CheckFolder(work.Path(), m, limits);
}

bool HasErrors(const std::vector<Problem>& problems) {
    for (const Problem& p : problems)
        if (!p.warning) return true;
    return false;
}

std::string ProblemText(const std::vector<Problem>& problems, bool warnings) {
    std::string text;
    for (const Problem& p : problems) {
        if (p.warning && !warnings) continue;
        text += (p.file.empty() ? "" : p.file + ": ") + (p.warning ? "warning: " : "") + p.message +
                "\n";
    }
    return text;
}

} // namespace package
