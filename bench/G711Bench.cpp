#include "codec/G711.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

// Decoding one second of recorder sound, done once per second of playback and of AVI export.
static void BM_G711DecodeOneSecond(benchmark::State& state) {
    std::vector<std::uint8_t> second(trevix::kG711SamplesPerSecond);
    for (std::size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<std::uint8_t>(i * 37);
    trevix::CG711Decoder decoder;
    for (auto _ : state) {
        const auto samples = decoder.DecodeALaw(second);
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() *
                            static_cast<std::int64_t>(trevix::kG711SamplesPerSecond));
}
BENCHMARK(BM_G711DecodeOneSecond);

// Encoding one second, done by the card generator and the AVI export of memo sound.
static void BM_G711EncodeOneSecond(benchmark::State& state) {
    std::vector<std::int16_t> second(trevix::kG711SamplesPerSecond);
    for (std::size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<std::int16_t>(i * 8191);
    std::vector<std::uint8_t> codes(second.size());
    for (auto _ : state) {
        trevix::EncodeALawInto(second, codes);
        benchmark::DoNotOptimize(codes.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() *
                            static_cast<std::int64_t>(trevix::kG711SamplesPerSecond));
}
BENCHMARK(BM_G711EncodeOneSecond);
