#include "catalogue/MgrDBSearch.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A full card of small synthetic files, written once: 4 channels x 3000 normal files, 500 event
// files and 500 logs (each data file with its index).
class SyntheticCard {
public:
    static constexpr int kNormalFiles = 3000;
    static constexpr int kEventFiles = 500;
    static constexpr int kLogFiles = 500;

    SyntheticCard() {
        char pattern[] = "/tmp/trevix-scanbench-XXXXXX";
        if (const char* made = ::mkdtemp(pattern))
            root_ = made;
        for (const char* folder : {"config", "log", "audio/event", "audio/normal", "memo", "memo1",
                                   "memo2", "memo3", "memo4", "memoaudio"})
            fs::create_directories(root_ / folder);
        for (int channel = 1; channel <= 4; ++channel) {
            const fs::path ch = root_ / ("ch" + std::to_string(channel));
            fs::create_directories(ch / "event");
            fs::create_directories(ch / "normal");
            for (int i = 0; i < kNormalFiles; ++i)
                WritePair(ch / "normal", 10000 + i, channel == 1);
        }
        for (int i = 0; i < kEventFiles; ++i)
            WritePair(root_ / "ch1/event", i + 1, true);
        for (int i = 0; i < kLogFiles; ++i) {
            const fs::path log = root_ / "log" / (Title(20000 + i) + ".log");
            Write(log, std::string(64, 'L'));
            touched_.push_back(log.string());
        }
    }
    ~SyntheticCard() {
        std::error_code error;
        fs::remove_all(root_, error);
    }

    std::string Root() const { return root_.string(); }
    // The files the scan opens: channel 1's event and normal pairs and the logs.
    const std::vector<std::string>& TouchedFiles() const { return touched_; }

private:
    static std::string Title(int serial) {
        char title[64];
        std::snprintf(title, sizeof title, "%010d,2024_05_17_%02d_%02d_%02d", serial,
                      serial / 3600 % 24, serial / 60 % 60, serial % 60);
        return title;
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void WritePair(const fs::path& folder, int serial, bool touched) {
        const fs::path data = folder / (Title(serial) + ".vdd");
        const fs::path index = folder / (Title(serial) + ".vdx");
        Write(data, std::string(64, 'D'));
        Write(index, std::string(32, 'X'));
        if (touched) {
            touched_.push_back(data.string());
            touched_.push_back(index.string());
        }
    }

    fs::path root_;
    std::vector<std::string> touched_;
};

const SyntheticCard& Card() {
    static const SyntheticCard card;
    return card;
}

class NullViews final : public trevix::ISearchView,
                        public trevix::ILoadingView,
                        public trevix::IViewerHost,
                        public trevix::ILoadedRecordings {
public:
    void ClearLists() override {}
    void FillList(trevix::SearchList, std::span<const std::string> paths) override {
        listed += paths.size();
    }
    void ShowList(trevix::SearchList) override {}
    void PostScanFinished() override {}
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void Hide() override {}
    void SetRange(int, int) override {}
    void SetPos(int) override {}
    void SetWaitCursor(bool) override {}
    void StartHideTimer(int) override {}
    void StopHideTimer() override {}
    void ShowMessage(const std::string&) override {}
    int LoadedKind() const override { return trevix::kLoadedNone; }
    void ClearViews() override {}
    void SetTimeRange(std::int64_t, std::int64_t, std::int64_t) override {}
    int Count() const override { return 0; }
    void CloseChannelFiles(int) override {}
    void ShowSelected(int, int) override {}
    void DestroyAll() override {}

    std::size_t listed = 0;
};

} // namespace

// The catalogue scan of a full card with a warm file cache.
static void BM_ScanFullCard(benchmark::State& state) {
    const SyntheticCard& card = Card();
    NullViews views;
    trevix::CMgrDBSearch search(views, views, views, views);
    search.SetRootPath(card.Root());
    search.Scan(); // warms the cache
    for (auto _ : state) {
        search.Scan();
        benchmark::DoNotOptimize(search.LastScan().normal.size());
    }
    state.counters["listed"] =
        static_cast<double>(search.LastScan().event.size() + search.LastScan().normal.size() +
                            search.LastScan().log.size());
}
BENCHMARK(BM_ScanFullCard)->Unit(benchmark::kMillisecond);

// The floor: open, read one byte of and close every file the scan opens.
static void BM_OpenReadCloseSameFiles(benchmark::State& state) {
    const SyntheticCard& card = Card();
    for (auto _ : state) {
        std::size_t read = 0;
        for (const std::string& path : card.TouchedFiles()) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            char byte = 0;
            read += static_cast<std::size_t>(::read(fd, &byte, 1));
            ::close(fd);
        }
        benchmark::DoNotOptimize(read);
    }
    state.counters["files"] = static_cast<double>(card.TouchedFiles().size());
}
BENCHMARK(BM_OpenReadCloseSameFiles)->Unit(benchmark::kMillisecond);
