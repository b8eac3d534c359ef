// Wallpapers from strangers: a LivelyInfo.json, LivelyProperties.json or
// project.json of any bytes is imported without a crash, and whatever is
// imported is a module the installer takes as it is: every setting made a
// property that keeps the module's rules, whatever the wallpaper declared.
#include "import/wallpaper.h"
#include "package/check.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const fs::path work =
        fs::temp_directory_path() / ("zelkora-fuzz-wallpaper-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "in" / "images");
    fs::create_directories(work / "out");
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(work / "in" / name, std::ios::binary) << text;
    };
    write("index.html", "<html><head></head><body></body></html>");
    write("images/a.png", "x");
    switch (data[0] % 3) {
    case 0: write("LivelyInfo.json", rest); break;
    case 1:
        write("LivelyInfo.json", R"({"Title": "F", "Type": 1, "FileName": "index.html"})");
        write("LivelyProperties.json", rest);
        break;
    default: write("project.json", rest); break;
    }
    try {
        wallpaper::Import((work / "in").string(), (work / "out").string());
        package::Manifest m;
        if (package::HasErrors(package::CheckFolder((work / "out").string(), m))) std::abort();
    } catch (const package::Refused&) {
    }
    fs::remove_all(work);
    return 0;
}
