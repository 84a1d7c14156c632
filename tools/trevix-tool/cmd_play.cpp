// trevix-tool play ROOT PATH --kind event|normal [--state S] [--from SECONDS] [--seconds N]
// [--tick MS] [--step next|prev --count N]: loads the recording of PATH and plays it with the
// play control on simulated time, printing one JSON line per tick (or per frame step).
#include "catalogue/SearchViews.h"
#include "playback/MgrPlayControl.h"
#include "recorder/DriveRecInfo.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace trevix::tool {
namespace {

std::string TimeText(std::int64_t ms) {
    const SYSTEMTIME t = FromRecorderMs(ms);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

class OneRecordingCatalogue final : public IPlayCatalogue {
public:
    explicit OneRecordingCatalogue(CDriveRecInfo& recording) : recording_(recording) {}
    int CurrentRecording() const override { return current_; }
    int RecordingCount() const override { return 1; }
    CDriveRecInfo* Recording(int index) override { return index == 0 ? &recording_ : nullptr; }
    void SelectRecording(int index) override { current_ = index == 0 ? 0 : -1; }
    int CarPulseSpeed(int) const override { return 0; }

private:
    CDriveRecInfo& recording_;
    int current_ = 0;
};

class ToolHost final : public IPlayHost {
public:
    explicit ToolHost(int kind) : kind_(kind) {}
    int LoadedKind() const override { return kind_; }
    bool IsThumbnailLayout() const override { return false; }
    bool IsSingleLayout() const override { return false; }
    bool IsPanelEnlarged() const override { return false; }
    void SelectListRow(int, int) override {}
    void UpdatePanesForSample(int) override {}
    std::string SelectedMemoPicture() const override { return {}; }

private:
    int kind_;
};

// The normal files of the folder of path, in name order (the recorder's naming sorts by time).
std::vector<std::string> NormalFilesBeside(const std::string& path) {
    std::vector<std::string> files;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && extension == ".vdd")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void PrintLine(int tick, const CMgrPlayControl& control, const CDriveRecInfo& recording,
               const std::optional<std::int64_t>& audioFed, bool audioAsked) {
    JsonWriter json;
    json.BeginObject();
    json.Field("tick", tick);
    json.Field("state", control.PlayState());
    json.Field("position", control.Position());
    json.Field("shown", TimeText(control.ShownTimeMs()));
    json.Key("channels").BeginArray();
    for (int channel = 0; channel < 4; ++channel) {
        const CDriveRecChannel& camera = recording.m_arrChannels[static_cast<std::size_t>(channel)];
        if (camera.m_arrFiles.empty())
            continue;
        const CDriveRecInfo::ChannelShow& show = recording.LastShow(channel);
        json.BeginObject();
        json.Field("channel", channel);
        const CInfoVdxFile* file = camera.CurrentFile();
        json.Key("file");
        if (file != nullptr)
            json.Value(std::filesystem::path(file->m_strName).filename().string());
        else
            json.Null();
        json.Field("frame", camera.CurrentFrameIndex());
        json.Key("pictureTime");
        if (const FRAMEINFOVIDEO* frame = camera.CurrentFrame())
            json.Value(TimeText(ToRecorderMs(frame->stTime)));
        else
            json.Null();
        json.Field("decoded", show.handedPicture);
        json.Field("cleared", show.cleared);
        json.EndObject();
    }
    json.EndArray();
    json.Key("audio");
    if (audioAsked && audioFed)
        json.Value(TimeText(*audioFed));
    else
        json.Null();
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
}

int RunPlay(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(
        args, {"--kind", "--state", "--from", "--seconds", "--tick", "--step", "--count"});
    const std::string kindText = OptionValue(args, "--kind", "event");
    if (words.size() != 2 || (kindText != "event" && kindText != "normal")) {
        std::fprintf(stderr, "usage: trevix-tool play ROOT PATH --kind event|normal [--state S] "
                             "[--from SECONDS] [--seconds N] [--tick MS] "
                             "[--step next|prev --count N]\n");
        return 2;
    }
    const int kind = kindText == "event" ? kLoadedEvent : kLoadedNormal;
    CDriveRecInfo recording;
    CBasicLoadProgress progress;
    const bool started =
        kind == kLoadedEvent
            ? recording.StartLoadEvent(words[1], &progress)
            : recording.StartLoadNormal(words[1], NormalFilesBeside(words[1]), &progress);
    recording.WaitForLoad();
    if (!started || progress.LoadState() == kLoadStateFailed) {
        std::fprintf(stderr, "trevix-tool play: %s cannot be loaded\n", words[1].c_str());
        return 1;
    }

    CSimulatedPlayClock clock;
    CManualPlayTimer videoTimer, logTimer;
    OneRecordingCatalogue catalogue(recording);
    ToolHost host(kind);
    CMgrPlayControl control(clock, videoTimer, logTimer, catalogue, host);
    recording.SetViews(RecordingViews{&control, nullptr, nullptr});
    const double from = std::atof(OptionValue(args, "--from", "0").c_str());
    recording.GotoTime(recording.m_llBegin + static_cast<std::int64_t>(from * 1000.0), true, true);

    const std::string step = OptionValue(args, "--step");
    if (!step.empty()) {
        const int count = std::max(0, std::atoi(OptionValue(args, "--count", "1").c_str()));
        for (int i = 0; i < count; ++i) {
            step == "prev" ? control.CmdPrevFrame() : control.CmdNextFrame();
            PrintLine(i, control, recording, std::nullopt, false);
        }
        return 0;
    }

    const int state = std::atoi(OptionValue(args, "--state", "3").c_str());
    if (!IsPlayingState(state)) {
        std::fprintf(stderr, "trevix-tool play: --state must be 2 ... 13\n");
        return 2;
    }
    // Reach the state through the commands, as the panel's buttons do.
    for (int press = 0; press < 8 && control.PlayState() != state; ++press) {
        if (state == kPlayHalf || state == kPlayNormal)
            control.CmdPlay();
        else if (state <= kPlayFast16)
            control.CmdFastPlay();
        else if (state <= kPlayReverse)
            control.CmdReverse();
        else
            control.CmdFastReverse();
    }
    const int tick = std::max(1, std::atoi(OptionValue(args, "--tick", "0").c_str()) > 0
                                     ? std::atoi(OptionValue(args, "--tick").c_str())
                                     : videoTimer.Period());
    const double seconds = std::atof(OptionValue(args, "--seconds", "10").c_str());
    const auto ticks = static_cast<int>(seconds * 1000.0 / tick);
    std::int64_t simulated = 0;
    std::int64_t nextFeed = 0;
    for (int i = 0; i < ticks && control.TimerActive(); ++i) {
        clock.Advance(static_cast<std::uint32_t>(tick));
        simulated += tick;
        if (control.UsesPreciseTimer())
            control.TimeProc(kVideoTimerId);
        else
            control.OnTimer(kVideoTimerId);
        // The sound output asks for one second ahead once every second at x1.
        std::optional<std::int64_t> fed;
        bool asked = false;
        if (state == kPlayNormal && simulated >= nextFeed) {
            nextFeed += 1000;
            asked = true;
            if (recording.FeedAudio(1).HasData())
                fed = recording.LastFedAudioTime();
        }
        PrintLine(i, control, recording, fed, asked);
    }
    return 0;
}

const CommandRegistration registration(
    "play",
    "play ROOT PATH --kind event|normal [--state S] [--from SECONDS] [--seconds N] [--tick MS] "
    "[--step next|prev --count N]",
    RunPlay);

} // namespace
} // namespace trevix::tool
