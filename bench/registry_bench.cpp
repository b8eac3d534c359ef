// The installation settings read at start-up (a dozen registry reads) with a
// 10 MB value elsewhere in registry.reg: the file is parsed once per change,
// so the reads cost about one parse together, not one parse each.
#include "bench_catalogue.h"
#include "platform/win32.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace {

void WriteRegistry() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string dir = bench::BenchDir();
    std::ofstream f(dir + "/registry.reg", std::ios::binary | std::ios::trunc);
    f << "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Big]\r\n\"Blob\"=\""
      << std::string(10 * 1024 * 1024, 'x')
      << "\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora\\Zelkora\\1]\r\n";
    for (const char* name : {"ApplicationPath", "ModulesPath", "DeInstallPath", "DataPath",
                             "INIFilePath"})
        f << "\"" << name << "\"=\"C:\\\\Zelkora\\\\\"\r\n";
    f << "\"INIFileName\"=\"zelkora.ini\"\r\n";
}

// Moves the file's time on, as a write would.
void Touch(benchmark::State& state) {
    state.PauseTiming();
    std::string path = bench::BenchDir() + "/registry.reg";
    std::filesystem::last_write_time(path,
                                     std::filesystem::last_write_time(path) + std::chrono::seconds(1));
    state.ResumeTiming();
}

void ReadSettings() {
    kel_SetEnvironment();
    zkr_LoadRegistryEntries();
    benchmark::DoNotOptimize(AppState.ApplicationPath);
}

// Start-up's settings, with the file unchanged since the last read.
void BM_StartupSettings(benchmark::State& state) {
    WriteRegistry();
    for (auto _ : state)
        ReadSettings();
}
BENCHMARK(BM_StartupSettings)->Unit(benchmark::kMillisecond);

// The same right after the file changed: one parse, then the rest shared.
void BM_StartupSettingsAfterAChange(benchmark::State& state) {
    WriteRegistry();
    for (auto _ : state) {
        Touch(state);
        ReadSettings();
    }
}
BENCHMARK(BM_StartupSettingsAfterAChange)->Unit(benchmark::kMillisecond);

// One parse of the file, for scale: what every read used to cost.
void BM_OneRead(benchmark::State& state) {
    WriteRegistry();
    for (auto _ : state) {
        Touch(state);
        HKEY k;
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1", 0, KEY_QUERY_VALUE, &k);
        RegCloseKey(k);
    }
}
BENCHMARK(BM_OneRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::Run(argc, argv);
}
