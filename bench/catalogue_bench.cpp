// The catalogue loaders against a floor that reads the same rows and columns
// with the plain SQLite C API into the same strings.
#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "startup/AppState.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <vector>

#include "bench_catalogue.h"

namespace {

using bench::MakeCatalogue;
using bench::Themes;

std::string Text(sqlite3_stmt* st, int col) {
    const unsigned char* p = sqlite3_column_text(st, col);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_column_bytes(st, col)))
             : std::string(" ");
}

void FloorModules(const std::string& path, std::vector<ModuleRecord>& items) {
    sqlite3* db;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    items.assign(1, ModuleRecord{});
    sqlite3_stmt* st;
    sqlite3_prepare_v2(db, "SELECT * FROM tblThemes", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ModuleRecord& r = items.emplace_back();
        r.Key = Text(st, 0);
        r.TreeText = Text(st, 1);
        r.TreeType = static_cast<int16_t>(sqlite3_column_int(st, 2));
        r.Copyright = " ";
        r.CopyrightURL = " ";
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "SELECT * FROM tblModules", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ModuleRecord& r = items.emplace_back();
        r.Key = Text(st, 0);
        r.ParentKey = Text(st, 1);
        r.TreeText = Text(st, 2);
        r.TreeType = static_cast<int16_t>(sqlite3_column_int(st, 3));
        r.PreviewPath = Text(st, 4);
        r.URL = Text(st, 5);
        r.Copyright = Text(st, 6);
        r.CopyrightURL = Text(st, 7);
        r.BannerURL = Text(st, 8);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void FloorToyz(const std::string& path, std::vector<ToyRecord>& all,
               std::vector<ToyRecord>& active) {
    sqlite3* db;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto read = [db](const char* sql, std::vector<ToyRecord>& out) {
        out.assign(1, ToyRecord{});
        sqlite3_stmt* st;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ToyRecord& t = out.emplace_back();
            t.ToyKey = Text(st, 0);
            t.ToyText = Text(st, 1);
            t.ToyPreviewPath = Text(st, 2);
            t.ToyIsLocked = sqlite3_column_int(st, 3) != 0;
            t.ToyIsActive = sqlite3_column_int(st, 4) != 0;
            t.ToyCopyright = Text(st, 5);
            t.ToyCopyrightURL = Text(st, 6);
        }
        sqlite3_finalize(st);
    };
    read("SELECT * FROM tblToyz ORDER BY ToyOrder ", all);
    read("SELECT * FROM tblToyz WHERE ToyIsActive = -1 ORDER BY ToyOrder", active);
    sqlite3_close(db);
}

void BM_LoadModuleData(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    std::string path = MakeCatalogue(Themes(total), total - Themes(total), total);
    for (auto _ : state) {
        zkr_LoadModuleData(path);
        benchmark::DoNotOptimize(AppState.ModuleItems.data());
    }
    if (AppState.ModuleItemCount != total) state.SkipWithError("wrong count");
}

void BM_FloorModules(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    std::string path = MakeCatalogue(Themes(total), total - Themes(total), total);
    std::vector<ModuleRecord> items;
    for (auto _ : state) {
        FloorModules(path, items);
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_LoadToyzData(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    std::string path = MakeCatalogue(Themes(total), total - Themes(total), total);
    for (auto _ : state) {
        zkr_LoadToyzData(path);
        benchmark::DoNotOptimize(AppState.AllToyz.data());
    }
    if (AppState.ToyCount != total) state.SkipWithError("wrong count");
}

void BM_FloorToyz(benchmark::State& state) {
    int total = static_cast<int>(state.range(0));
    std::string path = MakeCatalogue(Themes(total), total - Themes(total), total);
    std::vector<ToyRecord> all, active;
    for (auto _ : state) {
        FloorToyz(path, all, active);
        benchmark::DoNotOptimize(all.data());
    }
}

#define SIZES ->Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_LoadModuleData) SIZES;
BENCHMARK(BM_FloorModules) SIZES;
BENCHMARK(BM_LoadToyzData) SIZES;
BENCHMARK(BM_FloorToyz) SIZES;

} // namespace

int main(int argc, char** argv) {
    return bench::Run(argc, argv);
}
