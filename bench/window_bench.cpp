// The module tree's build and a headless load of the window, at 1,000, 8,000
// and 32,767 catalogue items: both should grow linearly.
#include "bench_catalogue.h"
#include "catalogue/zkr_basModules.h"
#include "platform/posix/shell_state.h"
#include "platform/win32.h"
#include "runtime/msgbox.h"
#include "startup/AppState.h"
#include "window/frmZKRMain.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

int boxes = 0;

// An installation around the catalogue of that size; returns its DataPath.
std::string Install(int total) {
    std::string dir = bench::BenchDir();
    std::string cat =
        bench::MakeCatalogue(bench::Themes(total), total - bench::Themes(total), total);
    std::string folder = "size" + std::to_string(total);
    std::filesystem::create_directories(dir + "/drive_c/" + folder);
    std::filesystem::copy_file(cat, dir + "/drive_c/" + folder + "/Zelkora.mdb",
                               std::filesystem::copy_options::skip_existing);
    std::filesystem::create_directories(dir + "/drive_c/Zelkora/themes");
    std::ofstream(dir + "/drive_c/Zelkora/themes/options.txt") << "&utilTransparency=49&\r\n";
    // The pictures the load shows: the first toy's and the applied module's.
    std::string bmp = "BM" + std::string(24, '\0');
    bmp[18] = 1;
    bmp[22] = 1;
    int modulesCount = total - bench::Themes(total);
    for (std::string rel :
         {"ZelToyz/T" + std::to_string(total), "Modules/M" + std::to_string(modulesCount)}) {
        std::filesystem::create_directories(dir + "/drive_c/Program Files/Zelkora/" + rel);
        std::ofstream(dir + "/drive_c/Program Files/Zelkora/" + rel + "/preview.bmp") << bmp;
    }
    platform::ShellState s;
    std::string error;
    platform::LoadShellState(s, error);
    int modules = total - bench::Themes(total);
    s.wallpaper = "C:\\Program Files\\Zelkora\\Modules\\M" + std::to_string(modules) +
                  "\\ZKRmodule" + std::to_string(modules) + ".htm";
    platform::SaveShellState(s);
    std::ofstream(dir + "/shell.ini", std::ios::app) << "[System]\r\nOnline=0\r\n";
    AppState = AppStateData{};
    AppState.ApplicationPath = "C:\\Zelkora\\";
    AppState.DataPath = "C:\\" + folder + "\\";
    AppState.INIFile = "C:\\Zelkora\\zelkora.ini";
    CoInitialize(nullptr);
    SetMsgBoxHandler([](const std::string& text, int, const std::string&) {
        std::fprintf(stderr, "unexpected box: %s\n", text.c_str());
        ++boxes;
        return 1;
    });
    return *AppState.DataPath;
}

void BM_BuildModuleTree(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    Install(total);
    zkr_LoadModuleData(DataFilePath());
    frmZKRMain form;
    for (auto _ : state) {
        form.zkr_BuildModuleTree();
        benchmark::DoNotOptimize(form.TreeView.Count());
    }
    if (form.TreeView.Count() != total) state.SkipWithError("wrong node count");
    state.SetComplexityN(total);
}

void BM_FormLoad(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    Install(total);
    boxes = 0;
    int selected = 0;
    for (auto _ : state) {
        frmZKRMain form;
        form.Form_Load();
        selected = form.TreeView.SelectedItem() ? form.TreeView.SelectedItem()->Index() : 0;
    }
    if (boxes) state.SkipWithError("message boxes were shown");
    if (selected != total) state.SkipWithError("the module on the desktop was not selected");
    state.SetComplexityN(total);
}

BENCHMARK(BM_BuildModuleTree)
    ->Arg(1000)
    ->Arg(8000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_FormLoad)
    ->Arg(1000)
    ->Arg(8000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

int main(int argc, char** argv) {
    return bench::Run(argc, argv);
}
