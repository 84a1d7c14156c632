// Throughput of the picture filters on a 720 x 480 picture, against a plain memcpy.
#include "playback/PictureFilters.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr std::size_t kBytes = static_cast<std::size_t>(kWidth) * kHeight * 3;

const Bytes& Source() {
    static const Bytes pixels = [] {
        Bytes made(kBytes);
        std::mt19937 random(11);
        // Smooth content with combing in part of the picture, so mode 3 takes both branches.
        for (int y = 0; y < kHeight; ++y)
            for (std::size_t i = 0; i < static_cast<std::size_t>(kWidth) * 3; ++i) {
                const bool combed = i < static_cast<std::size_t>(kWidth) && y % 2 == 1;
                const int value = static_cast<int>(i / 9 + y / 2) + (combed ? 90 : 0) +
                                  static_cast<int>(random() % 8);
                made[static_cast<std::size_t>(y) * kWidth * 3 + i] =
                    static_cast<std::uint8_t>(value % 256);
            }
        return made;
    }();
    return pixels;
}

void Finish(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void BM_Memcpy(benchmark::State& state) {
    Bytes out(kBytes);
    for (auto _ : state) {
        std::memcpy(out.data(), Source().data(), kBytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    Finish(state);
}
BENCHMARK(BM_Memcpy);

void BM_WeaveFields(benchmark::State& state) {
    Bytes out(kBytes);
    for (auto _ : state) {
        trevix::WeaveFields(kWidth, kHeight, Source(), out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    Finish(state);
}
BENCHMARK(BM_WeaveFields);

void BM_Deinterlace(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    Bytes out(kBytes);
    for (auto _ : state) {
        trevix::Deinterlace(mode, kWidth, Source(), out, kHeight);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    Finish(state);
}
BENCHMARK(BM_Deinterlace)->Arg(1)->Arg(2)->Arg(3);

// 720 x 240 to 720 x 480; counted by the bytes written.
void BM_DoubleLines(benchmark::State& state) {
    Bytes out(kBytes);
    const std::span<const std::uint8_t> field(Source().data(), kBytes / 2);
    for (auto _ : state) {
        trevix::DoubleLines(kWidth, kHeight / 2, field, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    Finish(state);
}
BENCHMARK(BM_DoubleLines);

} // namespace
