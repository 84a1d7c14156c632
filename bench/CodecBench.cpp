// Decoding speed of the MPEG-4 and JPEG wrappers against bare library loops over the same data,
// each with and without the weaving and deinterlacing the wrapper runs on 720 x 480 pictures.
#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "codec/PictureBlock.h"
#include "codec/XvidLibrary.h"
#include "playback/PictureFilters.h"

#include <benchmark/benchmark.h>

#include <turbojpeg.h>
#include <vector>
#include <xvid.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kFrames = 30; // one key picture and 29 predicted ones

Bytes Picture(int frame) {
    Bytes pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            const int moved = x + frame * 3;
            p[0] = static_cast<std::uint8_t>(moved * 7 % 256);
            p[1] = static_cast<std::uint8_t>((y * 3 + moved) % 256);
            p[2] = static_cast<std::uint8_t>(((moved / 32 + y / 32) % 2) * 150 + 50);
        }
    return pixels;
}

struct Mpeg4Stream {
    std::vector<Bytes> elementary;
    std::vector<Bytes> blocks;
};

const Mpeg4Stream& Stream() {
    static const Mpeg4Stream stream = [] {
        Mpeg4Stream made;
        trevix::CCodecMpeg4 encoder;
        encoder.InitEncoder(kWidth, kHeight);
        Bytes header(trevix::kFrameHeaderSize, 0);
        header[trevix::kSizeCodeOffset] = 4;
        for (int i = 0; i < kFrames; ++i) {
            encoder.Encode(Picture(i), 70, i == 0);
            const auto data = encoder.EncodedData();
            made.elementary.emplace_back(data.begin(), data.end());
            made.blocks.push_back(trevix::MakeMpeg4Block(header, data));
        }
        return made;
    }();
    return stream;
}

const Bytes& JpegBlock() {
    static const Bytes block = [] {
        trevix::CCodecJpg codec;
        Bytes header(trevix::kFrameHeaderSize, 0);
        header[trevix::kSizeCodeOffset] = 4;
        codec.Encode(trevix::MakeMpeg4Block(header, {}), kWidth, kHeight, Picture(0), 85);
        const auto data = codec.EncodedData();
        return Bytes(data.begin(), data.end());
    }();
    return block;
}

void RunFilters(const Bytes& decoded, Bytes& woven, Bytes& shown) {
    trevix::WeaveFields(kWidth, kHeight, decoded, woven);
    trevix::Deinterlace(99, kWidth, woven, shown, kHeight, 3);
}

void BM_Mpeg4Wrapper(benchmark::State& state) {
    const Mpeg4Stream& stream = Stream();
    trevix::CCodecMpeg4 codec;
    trevix::PictureOptions options;
    options.deinterlace = 99;
    options.playState = 3; // x1: image blending, no deblocking
    std::size_t i = 0;
    for (auto _ : state) {
        if (!codec.Decode(kWidth, kHeight, stream.blocks[i], options))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(codec.GetPicture().pixels.data());
        i = (i + 1) % stream.blocks.size();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mpeg4Wrapper);

// The library called directly on the elementary stream, with or without the filters.
void BareMpeg4(benchmark::State& state, bool withFilters) {
    const Mpeg4Stream& stream = Stream();
    auto library = trevix::XvidLibrary::Load(trevix::kXvidLibraryFile);
    if (!library || !library->InitGlobal()) {
        state.SkipWithError("codec library missing");
        return;
    }
    xvid_dec_create_t create{};
    create.version = trevix::kXvidApiVersion;
    create.width = kWidth;
    create.height = kHeight;
    library->Decore()(nullptr, XVID_DEC_CREATE, &create, nullptr);
    Bytes decoded(static_cast<std::size_t>(kWidth) * kHeight * 3);
    Bytes woven(decoded.size()), shown(decoded.size());
    std::vector<Bytes> padded;
    for (const Bytes& picture : stream.elementary) {
        padded.push_back(picture);
        padded.back().resize(picture.size() + 64, 0);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        Bytes& data = padded[i];
        int offset = 0;
        const int length = static_cast<int>(stream.elementary[i].size());
        xvid_dec_stats_t stats{};
        do {
            xvid_dec_frame_t frame{};
            frame.version = trevix::kXvidApiVersion;
            frame.general = XVID_LOWDELAY;
            frame.bitstream = data.data() + offset;
            frame.length = length - offset;
            frame.output.csp = XVID_CSP_BGR;
            frame.output.plane[0] = decoded.data();
            frame.output.stride[0] = kWidth * 3;
            stats = {};
            stats.version = trevix::kXvidApiVersion;
            const int used = library->Decore()(create.handle, XVID_DEC_DECODE, &frame, &stats);
            if (used <= 0)
                break;
            offset += used;
        } while (stats.type <= 0 && offset < length);
        if (withFilters)
            RunFilters(decoded, woven, shown);
        benchmark::DoNotOptimize(decoded.data());
        benchmark::DoNotOptimize(shown.data());
        i = (i + 1) % padded.size();
    }
    library->Decore()(create.handle, XVID_DEC_DESTROY, nullptr, nullptr);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_Mpeg4Bare(benchmark::State& state) {
    BareMpeg4(state, false);
}
void BM_Mpeg4BarePlusFilters(benchmark::State& state) {
    BareMpeg4(state, true);
}
BENCHMARK(BM_Mpeg4Bare);
BENCHMARK(BM_Mpeg4BarePlusFilters);

void BM_JpegWrapper(benchmark::State& state) {
    const Bytes& block = JpegBlock();
    trevix::CCodecJpg codec;
    trevix::PictureOptions options;
    options.deinterlace = 99;
    options.playState = 3;
    for (auto _ : state) {
        if (!codec.Decode(block, options))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(codec.GetPicture().pixels.data());
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_JpegWrapper);

void BareJpeg(benchmark::State& state, bool withFilters) {
    const Bytes& block = JpegBlock();
    tjhandle handle = tjInitDecompress();
    Bytes decoded(static_cast<std::size_t>(kWidth) * kHeight * 3);
    Bytes woven(decoded.size()), shown(decoded.size());
    for (auto _ : state) {
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        tjDecompressHeader3(handle, block.data(), block.size(), &width, &height, &subsampling,
                            &colourspace);
        tjDecompress2(handle, block.data(), block.size(), decoded.data(), width, width * 3, height,
                      TJPF_BGR, 0);
        if (withFilters)
            RunFilters(decoded, woven, shown);
        benchmark::DoNotOptimize(decoded.data());
        benchmark::DoNotOptimize(shown.data());
    }
    tjDestroy(handle);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_JpegBare(benchmark::State& state) {
    BareJpeg(state, false);
}
void BM_JpegBarePlusFilters(benchmark::State& state) {
    BareJpeg(state, true);
}
BENCHMARK(BM_JpegBare);
BENCHMARK(BM_JpegBarePlusFilters);

} // namespace
