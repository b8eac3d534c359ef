// Catalogues of a given size for the benchmarks, in a prefix of their own.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// The benchmarks' prefix (made the current one on first use).
std::string BenchDir();

// A catalogue of `themes` themes, `modules` modules and `toyz` toyz (made once);
// returns its native path. Module i's page is C:\Program Files\Zelkora\Modules\Mi\ZKRmodulei.htm.
std::string MakeCatalogue(int themes, int modules, int toyz);

// Sizes are totals of 1,000, 8,000 and 32,767 rows (the 16-bit limit): 100
// themes at the limit, one theme per hundred rows below it.
int Themes(int64_t total);

// The benchmarks' main: makes every catalogue first, then runs the registered
// benchmarks interleaved and repeated (flags given on the command line win).
int Run(int argc, char** argv);

} // namespace bench
