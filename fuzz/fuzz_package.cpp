// Packages from strangers: a manifest of any bytes is read without a crash,
// and one read without a problem is written and read back the same; an
// archive of any bytes unpacks, when it does, into plain files and folders
// inside the folder it was given, and never anywhere else.
#include "package/archive.h"
#include "package/manifest.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void Manifests(const std::string& text) {
    std::vector<package::Problem> problems;
    package::Manifest m = package::ParseManifest(text, problems);
    if (!problems.empty()) return;
    std::vector<package::Problem> again;
    package::Manifest back = package::ParseManifest(package::ManifestText(m), again);
    if (!again.empty() || back.key != m.key || back.name != m.name || back.page != m.page ||
        back.script != m.script || back.themeKey != m.themeKey || back.version != m.version)
        std::abort();
}

void Archives(const std::string& bytes) {
    static const fs::path work = fs::temp_directory_path() / ("zelkora-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "into");
    std::ofstream(work / "package.zelkora", std::ios::binary) << bytes;
    package::Limits small;
    small.entries = 64;
    small.bytes = 1 << 20;
    small.ratioFrom = 64 << 10;
    try {
        package::Unpack((work / "package.zelkora").string(), (work / "into").string(), small);
    } catch (const package::Refused&) {
    }
    // Whatever happened, only plain files and folders exist, all under into/.
    for (const auto& e : fs::recursive_directory_iterator(work)) {
        fs::file_status s = e.symlink_status();
        if (!fs::is_regular_file(s) && !fs::is_directory(s)) std::abort();
        if (e.path() != work / "package.zelkora" && e.path() != work / "into" &&
            e.path().string().rfind((work / "into").string() + "/", 0) != 0)
            std::abort();
    }
    fs::remove_all(work);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        Manifests(rest);
    else
        Archives(rest);
    return 0;
}
