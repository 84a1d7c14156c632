#include "recorder/RecorderTime.h"

#include <benchmark/benchmark.h>

// Conversion of recorder fields to milliseconds, done for every index record.
static void BM_ToRecorderMs(benchmark::State& state) {
    trevix::SYSTEMTIME time{2009, 3, 0, 12, 10, 15, 30, 250};
    for (auto _ : state) {
        time.wSecond = static_cast<std::uint16_t>((time.wSecond + 1) % 60);
        benchmark::DoNotOptimize(trevix::ToRecorderMs(time));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToRecorderMs);
