#include "catalogue/FolderScan.h"
#include "catalogue/MgrDBSearch.h"
#include "catalogue/RecordingSummary.h"
#include "catalogue/SearchListRows.h"
#include "recorder/CardLayout.h"
#include "tools/mkcard/LogFile.h"
#include "tools/mkcard/RecorderFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using trevix::mkcard::Bytes;

constexpr std::int64_t kCardStartWallMs = 1715938200000; // 2024-05-17 09:30:00
// A one-minute file of one picture a second; its index (4.2 KB) spans two pages like the
// index of a real recording.
constexpr int kPicturesPerFile = 60;
constexpr int kLogSeconds = 60;

// One recording file pair as the recorder writes it: small picture blocks in the data file, one
// index record per picture and the trailer with the card's identities.
struct VideoPair {
    Bytes data, index;
};

VideoPair MakeVideoPair() {
    using namespace trevix::mkcard;
    VideoPair pair;
    const Bytes stream(200, 0x5A);
    for (int i = 0; i < kPicturesPerFile; ++i) {
        FrameFields fields;
        fields.wallMs = kCardStartWallMs + i * 1000;
        fields.type = i == 0 ? FrameType::Intra : FrameType::Predicted;
        const Bytes block = MakeMpeg4Block(fields, stream);
        const Bytes record = MakeVideoRecord(fields, static_cast<std::uint32_t>(pair.data.size()),
                                             static_cast<std::uint32_t>(block.size()));
        pair.data.insert(pair.data.end(), block.begin(), block.end());
        pair.index.insert(pair.index.end(), record.begin(), record.end());
    }
    TrailerFields trailer;
    trailer.recordCount = kPicturesPerFile;
    trailer.drid = "TRX0000001";
    trailer.sdid = "SD00000001";
    const auto bytes = MakeTrailer(trailer);
    pair.index.insert(pair.index.end(), bytes.begin(), bytes.end());
    return pair;
}

// A log of kLogSeconds samples: the header line, then each second's GPS sentences and the line
// that completes its sample.
std::string MakeLog() {
    using namespace trevix::mkcard;
    std::string text = LogHeaderLine(3, "TRX0000001", "SD00000001");
    DriveState state;
    state.latitude = 35.5;
    state.longitude = 129.3;
    state.speedKmh = 40;
    for (int second = 0; second < kLogSeconds; ++second) {
        const std::int64_t wallMs = kCardStartWallMs + second * 1000;
        text += RmcLine(wallMs, state) + GgaLine(wallMs, state) + GsvLines(state, 1) +
                MvdrlLine(second, wallMs, state, 120, 0);
    }
    return text;
}

// A full card, written once: 4 channels x 3000 normal files, 500 event files and 500 logs, each
// data file with its index; every pair holds the same whole recording.
class SyntheticCard {
public:
    static constexpr int kNormalFiles = 3000;
    static constexpr int kEventFiles = 500;
    static constexpr int kLogFiles = 500;

    SyntheticCard() : pair_(MakeVideoPair()) {
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
        const std::string log = MakeLog();
        for (int i = 0; i < kLogFiles; ++i) {
            const fs::path path = root_ / "log" / (Title(20000 + i) + ".log");
            Write(path, log);
            touched_.push_back(path.string());
            logs_.push_back(path.string());
        }
    }
    ~SyntheticCard() {
        std::error_code error;
        fs::remove_all(root_, error);
    }

    std::string Root() const { return root_.string(); }
    // The files the scan opens: channel 1's event and normal pairs and the logs.
    const std::vector<std::string>& TouchedFiles() const { return touched_; }
    // The folders the scan lists: channel 1's event folder, the normal folders of all four
    // channels (channels 2 to 4 for their event markers), memo, memo1, memoaudio (memo holds no
    // memo audio) and log.
    std::vector<std::string> ListedFolders() const {
        std::vector<std::string> folders;
        for (const char* folder : {"ch1/event", "ch1/normal", "ch2/normal", "ch3/normal",
                                   "ch4/normal", "memo", "memo1", "memoaudio", "log"})
            folders.push_back((root_ / folder).string());
        return folders;
    }
    const std::vector<std::string>& Logs() const { return logs_; }

private:
    // Serial and start of the minute-long recording number serial, one minute after the last.
    static std::string Title(int serial) {
        const int minutes = serial % (24 * 60);
        char title[64];
        std::snprintf(title, sizeof title, "%010d,2024_05_17_%02d_%02d_00", serial, minutes / 60,
                      minutes % 60);
        return title;
    }
    template <typename Container>
    static void Write(const fs::path& path, const Container& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void WritePair(const fs::path& folder, int serial, bool touched) {
        const fs::path data = folder / (Title(serial) + ".vdd");
        const fs::path index = folder / (Title(serial) + ".vdx");
        Write(data, pair_.data);
        Write(index, pair_.index);
        if (touched) {
            touched_.push_back(data.string());
            touched_.push_back(index.string());
        }
    }

    VideoPair pair_;
    fs::path root_;
    std::vector<std::string> touched_;
    std::vector<std::string> logs_;
};

const SyntheticCard& Card() {
    static const SyntheticCard card;
    return card;
}

// The file-list window's part without the window: it counts the paths and the rows it would show.
class CountingLists final : public trevix::NullSearchView {
public:
    void FillList(trevix::SearchList, std::span<const std::string> paths) override {
        listed += paths.size();
    }
    // The rows the file-list window builds from the scan, without the window.
    void FillScannedList(trevix::SearchList list, const trevix::ScanLists& scan) override {
        using trevix::SearchList;
        switch (list) {
        case SearchList::Event:
            rows += trevix::BuildEventRows(scan.event, scan.eventSummaries).size();
            break;
        case SearchList::Normal:
            rows += trevix::BuildNormalRows(scan.normal, scan.normalSummaries).rows.size();
            break;
        case SearchList::Memo:
            rows += trevix::BuildMemoRows(scan.memo).size();
            break;
        case SearchList::Log:
            rows += trevix::BuildLogRows(scan.log, scan.logSummaries).size();
            break;
        }
        FillList(list, scan.Paths(list));
    }

    std::size_t listed = 0;
    std::size_t rows = 0;
};

// The catalogue manager with stand-ins for every window, scanned once to warm the file cache.
struct HeadlessSearch {
    explicit HeadlessSearch(const std::string& root) {
        search.SetRootPath(root);
        search.Scan();
    }

    CountingLists lists;
    trevix::NullLoadingView loading;
    trevix::NullViewerHost host;
    trevix::NullLoadedRecordings loaded;
    trevix::CMgrDBSearch search{lists, loading, host, loaded};
};

// Opens, reads one byte of and closes every file the scan opens; the bytes read.
std::size_t OpenReadCloseEach(const std::vector<std::string>& paths) {
    std::size_t read = 0;
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        char byte = 0;
        read += static_cast<std::size_t>(::read(fd, &byte, 1));
        ::close(fd);
    }
    return read;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double MillisecondsOf(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

// The catalogue scan of a full card with a warm file cache, with the four lists' rows built as
// the file-list window builds them (without the window).
static void BM_ScanFullCard(benchmark::State& state) {
    HeadlessSearch headless(Card().Root());
    trevix::CMgrDBSearch& search = headless.search;
    for (auto _ : state) {
        search.Scan();
        benchmark::DoNotOptimize(search.LastScan().normal.size());
    }
    state.counters["listed"] =
        static_cast<double>(search.LastScan().event.size() + search.LastScan().normal.size() +
                            search.LastScan().log.size());
}
BENCHMARK(BM_ScanFullCard)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: open, read one byte of and close every file the scan opens.
static void BM_OpenReadCloseSameFiles(benchmark::State& state) {
    const SyntheticCard& card = Card();
    for (auto _ : state)
        benchmark::DoNotOptimize(OpenReadCloseEach(card.TouchedFiles()));
    state.counters["files"] = static_cast<double>(card.TouchedFiles().size());
}
BENCHMARK(BM_OpenReadCloseSameFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The scan and the floor taken in turns, so that both see the machine in the same state (its
// system calls cost up to twice as much at some times than at others): the ratio is that of
// their medians.
static void BM_ScanAgainstOpenReadClose(benchmark::State& state) {
    const SyntheticCard& card = Card();
    HeadlessSearch headless(card.Root());
    std::vector<double> scans, loops;
    for (auto _ : state) {
        loops.push_back(MillisecondsOf([&] { OpenReadCloseEach(card.TouchedFiles()); }));
        scans.push_back(MillisecondsOf([&] { headless.search.Scan(); }));
    }
    state.counters["scan_ms"] = Median(scans);
    state.counters["loop_ms"] = Median(loops);
    state.counters["ratio"] = Median(scans) / Median(loops);
}
BENCHMARK(BM_ScanAgainstOpenReadClose)->Unit(benchmark::kMillisecond)->UseRealTime();

// Where the scan's time goes beyond the files it opens: listing the folders it must list...
static void BM_ListSameFolders(benchmark::State& state) {
    const std::vector<std::string> folders = Card().ListedFolders();
    for (auto _ : state) {
        std::size_t entries = 0;
        for (const std::string& folder : folders) {
            DIR* dir = ::opendir(folder.c_str());
            if (!dir)
                continue;
            while (::readdir(dir))
                ++entries;
            ::closedir(dir);
        }
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_ListSameFolders)->Unit(benchmark::kMillisecond);

// ...and reading the logs for what the log list shows of them (the whole text of each).
static void BM_ReadSameLogSummaries(benchmark::State& state) {
    const std::vector<std::string>& logs = Card().Logs();
    for (auto _ : state) {
        int seconds = 0;
        for (const std::string& path : logs)
            seconds += trevix::ReadLogSummary(path).durationSeconds.value_or(0);
        benchmark::DoNotOptimize(seconds);
    }
}
BENCHMARK(BM_ReadSameLogSummaries)->Unit(benchmark::kMillisecond);

// ...and reading channel 1's normal pairs as the scan reads them, on one thread, by themselves.
static void BM_ReadSameNormalPairs(benchmark::State& state) {
    const trevix::FolderListing folder(Card().Root() + "/ch1/normal",
                                       {trevix::kVideoDataExt, trevix::kVideoIndexExt});
    const std::vector<const trevix::FolderListing::File*> pairs =
        folder.FilesEndingWith(trevix::kVideoDataExt);
    trevix::RecorderTimeCache times;
    for (auto _ : state) {
        std::size_t listed = 0;
        for (const trevix::FolderListing::File* data : pairs)
            listed += trevix::ReadPair(folder, *data, times).summary.firstFrameMs.has_value();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["pairs"] = static_cast<double>(pairs.size());
}
BENCHMARK(BM_ReadSameNormalPairs)->Unit(benchmark::kMillisecond);
