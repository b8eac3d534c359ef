#include "bench_catalogue.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <vector>

namespace bench {

std::string BenchDir() {
    static std::string dir = [] {
        std::string d = (std::filesystem::temp_directory_path() / "zelkora-bench").string();
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d + "/drive_c");
        ::setenv("ZELKORA_PREFIX", d.c_str(), 1);
        return d;
    }();
    return dir;
}

static void Exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", err);
        std::abort();
    }
}

// A catalogue of `themes` themes and `modules` modules, and `toyz` toyz.
std::string MakeCatalogue(int themes, int modules, int toyz) {
    std::string path = BenchDir() + "/drive_c/cat-" + std::to_string(themes) + "-" +
                       std::to_string(modules) + "-" + std::to_string(toyz) + ".mdb";
    if (std::filesystem::exists(path)) return path;
    std::string tool = std::string(ZELKORA_TOOLS_DIR) + "/zelkora-catalogue create '" + path + "'";
    if (std::system(tool.c_str()) != 0) std::abort();
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    Exec(db, "BEGIN");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                 std::to_string(themes) +
                 ") INSERT INTO tblThemes SELECT 'Theme' || i, 'Theme number ' || i, 100 FROM n");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                 std::to_string(modules) +
                 ") INSERT INTO tblModules SELECT 'Module' || i, 'Theme' || (i % " +
                 std::to_string(themes) +
                 " + 1), 'Module number ' || i, 200, "
                 "'C:\\Program Files\\Zelkora\\Modules\\M' || i || '\\preview.bmp', "
                 "'C:\\Program Files\\Zelkora\\Modules\\M' || i || '\\ZKRmodule' || i || '.htm', "
                 "'Copyright (C) Zelkora Software ' || i, "
                 "'C:\\Program Files\\Zelkora\\Modules\\M' || i || '\\copyright.htm', "
                 "'http://www.zelkora.example/banners/module' || i || '.htm', "
                 "'C:\\Program Files\\Zelkora\\Modules\\M' || i FROM n");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                 std::to_string(toyz) +
                 ") INSERT INTO tblToyz SELECT 'Toy' || i, 'Toy number ' || i, "
                 "'C:\\Program Files\\Zelkora\\ZelToyz\\T' || i || '\\preview.bmp', 0, "
                 "CASE WHEN i <= 3 THEN -1 ELSE 0 END, 'Copyright (C) Zelkora Software ' || i, "
                 "'ZelToyz\\T' || i || '\\copyright.htm', " +
                 std::to_string(toyz) +
                 " - i, 'C:\\Program Files\\Zelkora\\ZelToyz\\T' || i FROM n");
    Exec(db, "COMMIT");
    sqlite3_close(db);
    return path;
}

int Themes(int64_t total) {
    return total >= 32767 ? 100 : static_cast<int>(total / 100);
}

int Run(int argc, char** argv) {
    // Every catalogue is made before anything is timed, so that no size pays for it.
    for (int total : {1000, 8000, 32767})
        MakeCatalogue(Themes(total), total - Themes(total), total);
    // Loader and floor are measured interleaved and repeated, so that a noisy
    // moment of the machine does not land on one of them; flags given win.
    std::vector<char*> args{argv[0],
                            const_cast<char*>("--benchmark_enable_random_interleaving=true"),
                            const_cast<char*>("--benchmark_repetitions=5"),
                            const_cast<char*>("--benchmark_report_aggregates_only=true")};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
