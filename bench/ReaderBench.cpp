// Reader speed: index load of a 10-minute 30 fps channel file against reading the same file into
// memory, the data-file scan of a 100 MB .vdd against memchr over the same mapping, and the
// load of a one-hour log.
#include "platform/MappedFile.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void Put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutDouble(std::string& out, double value) {
    char bytes[8];
    std::memcpy(bytes, &value, 8);
    out.append(bytes, 8);
}

// A folder of synthesized files, removed at exit.
class BenchFiles {
public:
    BenchFiles() {
        folder_ = fs::temp_directory_path() / ("trevix-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "ch1/event");
        fs::create_directories(folder_ / "ch2/event");
        fs::create_directories(folder_ / "log");
        WriteIndex();
        WriteDataFile();
        WriteLog();
    }
    ~BenchFiles() {
        std::error_code error;
        fs::remove_all(folder_, error);
    }

    std::string indexedData() const { return (folder_ / "ch1/event/1,a.vdd").string(); }
    std::string indexPath() const { return (folder_ / "ch1/event/1,a.vdx").string(); }
    std::string scanData() const { return (folder_ / "ch2/event/2,b.vdd").string(); }
    std::string logPath() const { return (folder_ / "log/1,a.log").string(); }

    static constexpr int kIndexRecords = 18000;

private:
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    void WriteIndex() const {
        std::string out;
        for (int i = 0; i < kIndexRecords; ++i) {
            const int ms = i * 1000 / 30;
            Put32(out, 0xEE0000A1);
            out.push_back(2);
            Put32(out, static_cast<unsigned>(i) * 20000);
            Put32(out, 20000);
            for (unsigned v :
                 {2024u, 5u, 1u, 6u, 7u, static_cast<unsigned>(ms / 60000),
                  static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000)})
                Put16(out, v);
            out.push_back(i % 30 == 0 ? 2 : 3);
            out.push_back(1);
            for (int g = 0; g < 3; ++g)
                Put16(out, static_cast<unsigned>(g * 100 + i % 50));
            out.push_back(1);
            PutDouble(out, 3530.1234 + i * 0.0001);
            PutDouble(out, 13942.5678 + i * 0.0001);
            out.append(6, '\0');
            out.append(4, '\0');
            Put16(out, 40);
            out.append(3, '\0');
        }
        std::string trailer;
        Put32(trailer, 0xFF0000A0);
        trailer += std::string("\0\1\0\0\1\2", 6);
        Put32(trailer, kIndexRecords);
        trailer.append(92 - trailer.size(), '\0');
        Write(indexPath(), out + trailer);
        Write(indexedData(), "");
    }

    // 100 MB of picture blocks with random coded bytes (0xFF as often as in coded data).
    void WriteDataFile() const {
        std::mt19937 random(12345);
        std::string out;
        out.reserve(100u << 20);
        int i = 0;
        while (out.size() < (100u << 20)) {
            out += "\xFF\xD8\xFF\xFE";
            Put16(out, 62);
            std::string header(60, '\0');
            header[0] = 24;
            header[1] = 5;
            header[2] = 6;
            header[3] = 7;
            header[4] = static_cast<char>(i / 1800 % 60);
            header[5] = static_cast<char>(i / 30 % 60);
            header[52] = i % 30 == 0 ? 2 : 3;
            out += header;
            const std::size_t payload = 8000 + random() % 24000;
            for (std::size_t b = 0; b < payload; ++b) {
                char byte = static_cast<char>(random());
                if (byte == '\xFF' && b + 1 < payload) { // keep markers out of the payload
                    out.push_back(byte);
                    byte = 0;
                    ++b;
                }
                out.push_back(byte);
            }
            ++i;
        }
        Write(scanData(), out);
    }

    void WriteLog() const {
        std::string out = "$MVDRL3,3,TRX0000001,SD00000001*14\r\n";
        char line[256];
        for (int s = 0; s < 3600; ++s) {
            const int h = s / 3600, m = s / 60 % 60, sec = s % 60;
            std::snprintf(line, sizeof line,
                          "$GPRMC,%02d%02d%02d.000,A,3530.%04d,N,13942.%04d,E,19.1,57.3,170524,,,"
                          "A*62\r\n$GPGGA,%02d%02d%02d.000,3530.1234,N,13942.5678,E,1,09,0.8,60.1,"
                          "M,19.6,M,,*65\r\n$GPGSV,3,1,12,22,44,048,31*7A\r\n",
                          h, m, sec, s % 10000, s % 10000, h, m, sec);
            out += line;
            std::snprintf(line, sizeof line, "$MVDRL,1,0,6,2,1015,%02d%02d%02d,170524,1,50\r\n",
                          9 + h, m, sec);
            out += line;
        }
        Write(logPath(), out);
    }

    fs::path folder_;
};

const BenchFiles& Files() {
    static const BenchFiles files;
    return files;
}

void BM_IndexLoad18000Records(benchmark::State& state) {
    const std::string path = Files().indexedData();
    for (auto _ : state) {
        trevix::CInfoVdxFile file;
        file.Load(path);
        benchmark::DoNotOptimize(file.m_nFrameCount);
        if (file.m_nFrameCount != BenchFiles::kIndexRecords)
            state.SkipWithError("records lost");
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * BenchFiles::kIndexRecords,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexLoad18000Records)->Unit(benchmark::kMillisecond);

void BM_IndexReadIntoMemory(benchmark::State& state) {
    const std::string path = Files().indexPath();
    for (auto _ : state) {
        trevix::ReadOnlyFile file;
        file.Open(path);
        std::vector<std::uint8_t> bytes(file.Size());
        file.ReadExact(0, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * BenchFiles::kIndexRecords,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexReadIntoMemory)->Unit(benchmark::kMillisecond);

void BM_DataScan100MB(benchmark::State& state) {
    const std::string path = Files().scanData();
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        trevix::CInfoVdxFile file;
        file.Load(path);
        benchmark::DoNotOptimize(file.m_nFrameCount);
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_DataScan100MB)->Unit(benchmark::kMillisecond);

// Every 0xFF of the same mapping found with memchr: the least any marker search must do.
void BM_MemchrOverMapping(benchmark::State& state) {
    const std::string path = Files().scanData();
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        trevix::MappedFile mapping;
        mapping.Open(path);
        const auto bytes = mapping.Bytes();
        std::size_t count = 0;
        const std::uint8_t* at = bytes.data();
        const std::uint8_t* const end = bytes.data() + bytes.size();
        while (at < end) {
            const void* hit = std::memchr(at, 0xFF, static_cast<std::size_t>(end - at));
            if (hit == nullptr)
                break;
            ++count;
            at = static_cast<const std::uint8_t*>(hit) + 1;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_MemchrOverMapping)->Unit(benchmark::kMillisecond);

void BM_LogLoad3600Samples(benchmark::State& state) {
    const std::string path = Files().logPath();
    for (auto _ : state) {
        trevix::CInfoLogFile log;
        log.Load(path);
        if (log.m_nSampleCount != 3600)
            state.SkipWithError("samples lost");
        benchmark::DoNotOptimize(log.m_nSampleCount);
    }
}
BENCHMARK(BM_LogLoad3600Samples)->Unit(benchmark::kMillisecond);

} // namespace
