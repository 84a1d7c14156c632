// trevix-tool timeline ROOT PATH --kind event|normal [--goto TIME] [--step next|prev --count N]:
// loads the recording of PATH as the viewer does, goes to TIME (recorder milliseconds, or
// "+SECONDS" after the recording's begin; the begin by default) and steps N times. Prints one
// JSON line for the load and one per step: per channel the current file, frame, picture time
// and whether a picture was decoded and handed to the pane, and the second of audio that
// would be fed for the shown time.
#include "recorder/CardLayout.h"
#include "recorder/DriveRecInfo.h"
#include "tools/trevix-tool/Command.h"
#include "tools/trevix-tool/JsonWriter.h"
#include "tools/trevix-tool/RecordOutput.h"

#include <cstdio>
#include <cstdlib>

namespace trevix::tool {
namespace {

class CountingPanes : public IPaneView {
public:
    void SetFrame(std::uint8_t, std::uint8_t, const PaneFrame&) override {}
    void RepaintAll() override {}
};

void WriteChannels(JsonWriter& json, const CDriveRecInfo& recording) {
    json.Key("channels").BeginArray();
    for (const CDriveRecChannel& channel : recording.m_arrChannels) {
        json.BeginObject().Field("channel", channel.m_nChannel);
        json.Field("files", static_cast<int>(channel.m_arrFiles.size()));
        const CInfoVdxFile* file = channel.CurrentFile();
        const FRAMEINFOVIDEO* frame = channel.CurrentFrame();
        if (file != nullptr) {
            json.Field("file", std::string(TitleOfPath(file->m_strName)));
            json.Field("fileIndex", channel.m_nCurFile);
        } else {
            json.Key("file").Null();
            json.Field("fileIndex", -1);
        }
        json.Field("frame", channel.CurrentFrameIndex());
        if (frame != nullptr)
            json.Field("time", ToRecorderMs(frame->stTime)).Field("type", int{frame->byType});
        else
            json.Key("time").Null().Key("type").Null();
        const auto& show = recording.LastShow(channel.m_nChannel);
        json.Field("decoded", show.handedPicture).Field("cleared", show.cleared);
        json.EndObject();
    }
    json.EndArray();
}

int RunTimeline(std::span<const std::string> args) {
    const std::vector<std::string> words =
        Positionals(args, {"--kind", "--goto", "--step", "--count"});
    const std::string kind = OptionValue(args, "--kind", "event");
    const std::string step = OptionValue(args, "--step");
    const int count = std::atoi(OptionValue(args, "--count", step.empty() ? "0" : "1").c_str());
    if (words.size() != 2 || (kind != "event" && kind != "normal") ||
        (!step.empty() && step != "next" && step != "prev") || count < 0) {
        std::fprintf(stderr, "usage: trevix-tool timeline ROOT PATH --kind event|normal "
                             "[--goto TIME] [--step next|prev --count N]\n");
        return 2;
    }
    const std::string root = RecorderRoot(words[0]);
    const std::string& path = words[1];

    CDriveRecInfo recording(RecordingOptions::FromConfig());
    CBasicPlayStatus status;
    CountingPanes panes;
    recording.SetViews({&status, &panes, nullptr});
    CBasicLoadProgress loader;
    if (kind == "event")
        recording.StartLoadEvent(path, &loader);
    else
        recording.StartLoadNormal(path, NormalListOfChannel(root, path), &loader);
    recording.WaitForLoad();
    const bool loaded = loader.LoadState() != kLoadStateFailed;
    {
        JsonWriter json;
        json.BeginObject().Field("loaded", loaded).Field("mode", recording.m_nMode);
        json.Field("keyChannel", recording.m_nKeyChannel)
            .Field("videoKind", recording.m_nVideoKind);
        json.Field("begin", recording.m_llBegin).Field("end", recording.m_llEnd);
        json.Field("audioFiles", static_cast<int>(recording.m_audio.m_arrFiles.size()));
        json.Key("channelFiles").BeginArray();
        for (const CDriveRecChannel& channel : recording.m_arrChannels)
            json.Value(static_cast<int>(channel.m_arrFiles.size()));
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
    }
    if (!loaded)
        return 1;

    std::int64_t target = recording.m_llBegin;
    const std::string gotoText = OptionValue(args, "--goto");
    if (!gotoText.empty() && gotoText[0] == '+')
        target += static_cast<std::int64_t>(std::atof(gotoText.c_str() + 1) * 1000.0);
    else if (!gotoText.empty())
        target = std::atoll(gotoText.c_str());

    for (int i = 0; i <= count; ++i) {
        bool result = false;
        const char* action = "goto";
        if (i == 0) {
            result = recording.GotoTime(target);
        } else if (step == "next") {
            action = "next";
            result = recording.StepNextFrame();
        } else {
            action = "prev";
            result = recording.StepPrevFrame();
        }
        JsonWriter json;
        json.BeginObject().Field("step", i).Field("action", action).Field("result", result);
        json.Field("shown", status.ShownTimeMs());
        WriteChannels(json, recording);
        // The second the sound output would be given for this picture.
        recording.SeekAudio(status.ShownTimeMs());
        const AudioFeedResult fed = recording.FeedAudio(0);
        json.Key("audio").BeginObject().Field("fed", fed.HasData());
        if (const auto block = recording.LastFedAudioTime(); fed.HasData() && block)
            json.Field("block", *block);
        else
            json.Key("block").Null();
        json.Field("samples", static_cast<int>(fed.samples.size())).EndObject();
        json.EndObject();
        std::printf("%s\n", json.Text().c_str());
    }
    return 0;
}

const CommandRegistration registration(
    "timeline", "timeline ROOT PATH --kind event|normal [--goto TIME] [--step next|prev --count N]",
    RunTimeline);

} // namespace
} // namespace trevix::tool
