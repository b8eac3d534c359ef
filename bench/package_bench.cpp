// Installing packages: a 20 MB module (incompressible, so its bytes are all
// read, written and moved into place), and the demo's 14 packages into an
// empty catalogue, as zelkora-demo installs them.
#include "bench_catalogue.h"
#include "package/archive.h"
#include "package/install.h"
#include "platform/prefix.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

const std::string kApp = "C:\\Program Files\\Zelkora\\";

// A demo installation in the benchmarks' prefix, made once.
fs::path Installation() {
    static fs::path app = [] {
        bench::BenchDir();
        std::string demo = std::string(ZELKORA_TOOLS_DIR) + "/zelkora-demo --force >/dev/null";
        if (std::system(demo.c_str()) != 0) std::abort();
        return fs::path(platform::MapPath(kApp));
    }();
    return app;
}

std::string BigPackage() {
    static std::string file = [] {
        fs::path item = fs::path(bench::BenchDir()) / "big";
        fs::create_directories(item);
        std::ofstream(item / "zelkora.json")
            << R"({"kind": "module", "key": "Big", "name": "Big One", "theme": {"key": "Ocean",
               "name": "Ocean Dreams"}, "page": "index.html", "preview": "preview.png", "version": "1"})";
        std::ofstream(item / "index.html") << "<script src=\"../../../zelkora.js\"></script>";
        std::ofstream(item / "preview.png") << "\x89PNG";
        std::mt19937_64 random(1);
        std::ofstream video(item / "video.webm", std::ios::binary);
        for (int i = 0; i < (20 << 20) / 8; ++i) {
            uint64_t word = random();
            video.write(reinterpret_cast<const char*>(&word), sizeof word);
        }
        video.close();
        std::string out = bench::BenchDir() + "/big.zelkora";
        package::Pack(item.string(), out);
        return out;
    }();
    return file;
}

// Takes the items' rows and folders away again, outside the timing.
void Uninstall(const std::vector<std::string>& modules, const std::vector<std::string>& toyz) {
    std::string mdb = platform::MapPath(kApp + "Data\\Zelkora.mdb");
    std::string cmd = std::string(ZELKORA_TOOLS_DIR) + "/zelkora-catalogue";
    for (const auto& m : modules)
        if (std::system((cmd + " remove-module '" + mdb + "' " + m + " >/dev/null").c_str())) std::abort();
    for (const auto& t : toyz)
        if (std::system((cmd + " remove-toy '" + mdb + "' " + t + " >/dev/null").c_str())) std::abort();
}

void BM_Install20MBPackage(benchmark::State& state) {
    fs::path app = Installation();
    std::string file = BigPackage();
    for (auto _ : state) {
        package::Install(file);
        state.PauseTiming();
        Uninstall({"Big"}, {});
        fs::remove_all(app / "Modules" / "Ocean" / "Big");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (20 << 20));
}
BENCHMARK(BM_Install20MBPackage)->Unit(benchmark::kMillisecond);

void BM_InstallTheDemosPackages(benchmark::State& state) {
    fs::path app = Installation();
    fs::path packages = fs::path(ZELKORA_TOOLS_DIR) / ".." / "demo-packages";
    std::vector<std::string> modules = {"Waves", "CoralReef", "DeepBlue", "Starfield",
                                        "Nebula", "Orbit", "Autumn", "Frost"};
    std::vector<std::string> toyz = {"ZTClock", "ZTNotes", "ZTWeather", "ZTCalendar", "ZTMoon"};
    std::vector<std::string> folders = {"Modules/Ocean/Waves", "Modules/Ocean/CoralReef",
                                        "Modules/Ocean/DeepBlue", "Modules/Space/Starfield",
                                        "Modules/Space/Nebula", "Modules/Space/Orbit",
                                        "Modules/Seasons/Autumn", "Modules/Seasons/Frost",
                                        "ZelToyz/Clock", "ZelToyz/Sticky Notes", "ZelToyz/Weather",
                                        "ZelToyz/Calendar", "ZelToyz/Moon Phase"};
    for (auto _ : state) {
        state.PauseTiming();
        Uninstall(modules, toyz);
        for (const auto& f : folders)
            fs::remove_all(app / f);
        state.ResumeTiming();
        for (const auto& key : modules)
            package::Install((packages / (key + ".zelkora")).string());
        for (const auto& key : toyz)
            package::Install((packages / (key + ".zelkora")).string());
    }
}
BENCHMARK(BM_InstallTheDemosPackages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
