// Going to a time in a one-hour normal recording: four channels of sixty one-minute files at
// 30 pictures per second. The index is built in memory over empty data files, so the pass
// measures finding and opening the pictures, not decoding them.
#include "recorder/DriveRecInfo.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using namespace trevix;

class OneHourRecording {
public:
    OneHourRecording() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("trevix-timeline-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::int64_t start = ToRecorderMs(SYSTEMTIME{2024, 5, 5, 17, 9, 0, 0, 0});
        for (int channel = 0; channel < 4; ++channel) {
            auto& recorded = recording.m_arrChannels[static_cast<std::size_t>(channel)];
            for (int minute = 0; minute < 60; ++minute) {
                const std::string title = std::to_string(channel) + "_" + std::to_string(minute);
                std::ofstream((folder_ / (title + ".vdd")).string()).put('\0');
                CInfoVdxFile file;
                file.m_strName = (folder_ / (title + ".vdx")).string();
                file.m_nCodec = kCodecMpeg4;
                for (int i = 0; i < 1800; ++i) {
                    FRAMEINFOVIDEO frame;
                    frame.stTime = FromRecorderMs(start + minute * 60000 + i * 1000 / 30);
                    frame.byType = i % 30 == 0 ? kFrameTypeIntra : kFrameTypePredicted;
                    file.m_pFrames.push_back(frame);
                }
                file.m_nFrameCount = static_cast<int>(file.m_pFrames.size());
                recorded.m_arrFiles.push_back(std::move(file));
            }
        }
        recording.m_nMode = kRecordingModeNormal;
        recording.m_nVideoKind = kVideoKindMpeg4;
        recording.m_llBegin = start;
        recording.m_llEnd = start + 3600000 - 34;
        recording.SetViews({&status, nullptr, nullptr});
    }
    ~OneHourRecording() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }

    CBasicPlayStatus status;
    CDriveRecInfo recording;

private:
    std::filesystem::path folder_;
};

void BM_GotoTimeOneHourNormal(benchmark::State& state) {
    static OneHourRecording hour;
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> at(hour.recording.m_llBegin,
                                                   hour.recording.m_llEnd);
    for (auto _ : state)
        benchmark::DoNotOptimize(hour.recording.GotoTime(at(random)));
}
BENCHMARK(BM_GotoTimeOneHourNormal)->Unit(benchmark::kMillisecond);

} // namespace
