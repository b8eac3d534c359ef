// What the Wayland flush spends finding the pixels that changed, per frame
// of a 1280x800 window that Qt repainted whole, against the copy of the whole
// frame it spares where little moved.
#include "host/wayland/changed_pixels.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int kWidth = 1280, kHeight = 800;

// The frame shown last and the canvas now: `moved` is the rectangle that differs.
struct Frames {
    QImage before{kWidth, kHeight, QImage::Format_RGB32}, now{kWidth, kHeight, QImage::Format_RGB32};
    explicit Frames(QRect moved) {
        before.fill(0xff224466);
        now.fill(0xff224466);
        for (int y = moved.top(); y <= moved.bottom(); ++y)
            for (int x = moved.left(); x <= moved.right(); ++x)
                now.setPixel(x, y, 0xffffffff);
    }
};

void Changed(benchmark::State& state, QRect moved) {
    Frames f(moved);
    const QRegion all(f.before.rect());
    for (auto _ : state)
        benchmark::DoNotOptimize(host::wayland::ChangedPixels(f.now, {}, f.before, all));
}

void BM_NothingMoved(benchmark::State& s) { Changed(s, QRect()); }
void BM_OneDotMoved(benchmark::State& s) { Changed(s, QRect(458, 10, 27, 10)); }
void BM_LowerThirdMoved(benchmark::State& s) { Changed(s, QRect(0, 530, kWidth, 270)); }
void BM_AllMoved(benchmark::State& s) { Changed(s, QRect(0, 0, kWidth, kHeight)); }

// The copy of the whole frame that a flush of all that Qt repainted makes.
void BM_CopyWholeFrame(benchmark::State& state) {
    Frames f{QRect()};
    for (auto _ : state) {
        std::memcpy(f.before.bits(), f.now.constBits(), size_t(f.now.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_NothingMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneDotMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LowerThirdMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyWholeFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
