// trevix-tool play ROOT PATH --kind event|normal [--state S] [--from SECONDS] [--seconds N]
// [--tick MS] [--step next|prev --count N]: loads the recording of PATH and plays it with the
// play control on simulated time, printing one JSON line per tick (or per frame step).
#include "catalogue/SearchViews.h"
#include "playback/MgrPlayControl.h"
#include "recorder/CardLayout.h"
#include "recorder/DriveRecInfo.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"
#include "tools/trevix-tool/RecordOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace trevix::tool {
namespace {

std::string TimeText(std::int64_t ms) {
    return tool::TimeText(FromRecorderMs(ms));
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

constexpr const char* kUsage =
    "usage: trevix-tool play ROOT PATH --kind event|normal [--state S] [--from SECONDS] "
    "[--seconds N] [--tick MS] [--step next|prev --count N]\n"
    "  S is a playing state (2 ... 13), MS at most 60000, SECONDS from the recording's start\n";

// The options of one run, checked before anything is loaded.
struct PlayOptions {
    int kind = kLoadedEvent;
    double fromSeconds = 0;
    std::string step; // empty, "next" or "prev"
    int count = 1;
    int state = kPlayNormal;
    int tickMs = 0; // 0: the state's own period
    double seconds = 10;
};

// Whether value is a whole number within [low, high].
bool IsWholeIn(const std::optional<double>& value, double low, double high) {
    return value && *value >= low && *value <= high && std::floor(*value) == *value;
}

std::optional<PlayOptions> ReadPlayOptions(std::span<const std::string> args) {
    PlayOptions options;
    const std::string kind = OptionValue(args, "--kind", "event");
    if (kind != "event" && kind != "normal")
        return std::nullopt;
    options.kind = kind == "event" ? kLoadedEvent : kLoadedNormal;
    options.step = OptionValue(args, "--step");
    if (!options.step.empty() && options.step != "next" && options.step != "prev")
        return std::nullopt;
    const std::optional<double> from = NumberOption(args, "--from", 0);
    const std::optional<double> count = NumberOption(args, "--count", 1);
    const std::optional<double> state = NumberOption(args, "--state", kPlayNormal);
    const std::optional<double> tick = NumberOption(args, "--tick", 0);
    const std::optional<double> seconds = NumberOption(args, "--seconds", 10);
    if (!from || *from < 0 || !IsWholeIn(count, 0, 1e6) || !IsWholeIn(state, 0, 99) ||
        !IsPlayingState(static_cast<int>(*state)) || !IsWholeIn(tick, 0, 60000) || !seconds ||
        *seconds < 0 || *seconds > 24 * 3600)
        return std::nullopt;
    options.fromSeconds = *from;
    options.count = static_cast<int>(*count);
    options.state = static_cast<int>(*state);
    options.tickMs = static_cast<int>(*tick);
    options.seconds = *seconds;
    return options;
}

int RunPlay(std::span<const std::string> args) {
    const std::vector<std::string> words = Positionals(
        args, {"--kind", "--state", "--from", "--seconds", "--tick", "--step", "--count"});
    const std::optional<PlayOptions> options = ReadPlayOptions(args);
    if (words.size() != 2 || !options) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const int kind = options->kind;
    CDriveRecInfo recording;
    CBasicLoadProgress progress;
    const bool started =
        kind == kLoadedEvent
            ? recording.StartLoadEvent(words[1], &progress)
            : recording.StartLoadNormal(
                  words[1], NormalListOfChannel(RecorderRoot(words[0]), words[1]), &progress);
    recording.WaitForLoad();
    if (!started || progress.LoadState() == kLoadStateFailed) {
        std::fprintf(stderr, "trevix-tool play: %s cannot be loaded\n", words[1].c_str());
        return 1;
    }
    // Compared as a double first, so that no huge value is cast.
    const double lengthSeconds =
        static_cast<double>(recording.m_llEnd - recording.m_llBegin) / 1000.0;
    if (options->fromSeconds > lengthSeconds) {
        std::fprintf(stderr, "trevix-tool play: --from is past the recording's end (%.3f s)\n",
                     lengthSeconds);
        return 2;
    }
    const auto fromMs = static_cast<std::int64_t>(options->fromSeconds * 1000.0);

    CSimulatedPlayClock clock;
    CManualPlayTimer videoTimer, logTimer;
    OneRecordingCatalogue catalogue(recording);
    ToolHost host(kind);
    CMgrPlayControl control(clock, videoTimer, logTimer, catalogue, host);
    recording.SetViews(RecordingViews{&control, nullptr, nullptr});
    recording.GotoTime(recording.m_llBegin + fromMs, true, true);

    if (!options->step.empty()) {
        for (int i = 0; i < options->count; ++i) {
            options->step == "prev" ? control.CmdPrevFrame() : control.CmdNextFrame();
            PrintLine(i, control, recording, std::nullopt, false);
        }
        return 0;
    }

    const int state = options->state;
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
    const int tick = options->tickMs > 0 ? options->tickMs : std::max(1, videoTimer.Period());
    const auto ticks = static_cast<int>(options->seconds * 1000.0 / tick);
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
