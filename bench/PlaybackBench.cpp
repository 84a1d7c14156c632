// One x1 playback tick of a four-channel 720 x 480 MPEG-4 recording at 30 fps, decoding
// included, on simulated time: CPU time per 25 ms tick; the "core_share" counter is the share
// of one core that one second of playback (40 ticks) takes.
#include "catalogue/SearchViews.h"
#include "playback/MgrPlayControl.h"
#include "recorder/DriveRecInfo.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace trevix;

// The card generator program: $TREVIX_MKCARD, else tools/mkcard/mkcard of this build tree.
std::filesystem::path MkcardProgram() {
    if (const char* path = std::getenv("TREVIX_MKCARD"))
        return path;
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "mkcard" / "mkcard";
}

// The first channel-1 event data file below root.
std::string FirstEventFile(const std::filesystem::path& root) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".vdd" && path.find("/ch1/event/") != std::string::npos)
            return path;
    }
    return {};
}

class BenchCatalogue final : public IPlayCatalogue {
public:
    explicit BenchCatalogue(CDriveRecInfo& recording) : recording_(recording) {}
    int CurrentRecording() const override { return 0; }
    int RecordingCount() const override { return 1; }
    CDriveRecInfo* Recording(int index) override { return index == 0 ? &recording_ : nullptr; }
    void SelectRecording(int) override {}
    int CarPulseSpeed(int) const override { return 0; }

private:
    CDriveRecInfo& recording_;
};

class BenchHost final : public IPlayHost {
public:
    int LoadedKind() const override { return kLoadedEvent; }
    bool IsThumbnailLayout() const override { return false; }
    bool IsSingleLayout() const override { return false; }
    bool IsPanelEnlarged() const override { return false; }
    void SelectListRow(int, int) override {}
    void UpdatePanesForSample(int) override {}
    std::string SelectedMemoPicture() const override { return {}; }
};

void BM_PlaybackTickFourChannels720x480(benchmark::State& state) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / "trevix-playback-bench";
    std::filesystem::remove_all(root);
    const std::string command = MkcardProgram().string() + " " + root.string() +
                                " --add 'event pre=3 post=3 codec=mpeg4 size=720x480 fps=30'" +
                                " > /dev/null";
    const std::string eventFile = std::system(command.c_str()) == 0 ? FirstEventFile(root) : "";
    if (eventFile.empty()) {
        state.SkipWithError("the card could not be written (build mkcard or set TREVIX_MKCARD)");
        return;
    }
    CDriveRecInfo recording;
    CBasicLoadProgress progress;
    recording.StartLoadEvent(eventFile, &progress);
    recording.WaitForLoad();

    CSimulatedPlayClock clock;
    CManualPlayTimer videoTimer, logTimer;
    BenchCatalogue catalogue(recording);
    BenchHost host;
    CMgrPlayControl control(clock, videoTimer, logTimer, catalogue, host);
    recording.SetViews(RecordingViews{&control, nullptr, nullptr});

    std::int64_t ticks = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        if (!control.TimerActive()) {
            state.PauseTiming();
            recording.GotoTime(recording.m_llBegin, true, true);
            control.CmdPlay();
            state.ResumeTiming();
        }
        clock.Advance(25);
        control.TimeProc(kVideoTimerId);
        ++ticks;
    }
    // CPU seconds per tick times 40 ticks per second of playback.
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (ticks > 0)
        state.counters["core_share"] = cpuSeconds / static_cast<double>(ticks) * 40.0;
    state.SetItemsProcessed(ticks);
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_PlaybackTickFourChannels720x480)->Unit(benchmark::kMicrosecond);

} // namespace
