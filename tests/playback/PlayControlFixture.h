// Recording views and a catalogue for driving the play control on simulated time: every view
// records what it was told, the catalogue holds recordings loaded from generated cards.
#pragma once

#include "catalogue/SearchViews.h"
#include "playback/MgrPlayControl.h"
#include "recorder/DriveRecInfo.h"
#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trevix::test {

class FakeStatusDisplays : public IStatusDisplays {
public:
    void ShowDateTime(const SYSTEMTIME& time) override { lastTime = time; }
    void ShowGValues(float x, float y, float z) override { g = {x, y, z}; }
    void ShowSpeed(int kmh, const GPSINFO&) override { speed = kmh; }
    void ShowGps(const GPSINFO& fix) override { gps = fix; }
    void ShowCarSignal(std::uint8_t bits) override { carSignals.push_back(bits); }
    void ShowTimeSlider(std::int64_t seconds) override { slider = seconds; }
    void ShowSpeedIndicator(std::string_view text) override { indicator = std::string(text); }

    SYSTEMTIME lastTime;
    std::array<float, 3> g{};
    int speed = -1;
    GPSINFO gps;
    std::vector<std::uint8_t> carSignals;
    std::optional<std::int64_t> slider;
    std::optional<std::string> indicator;
};

class FakeGSensor : public IGSensorHost {
public:
    bool HasGraph() const override { return !times.empty(); }
    int SampleCount() const override { return static_cast<int>(times.size()); }
    int CurrentSample() const override { return current; }
    std::optional<std::int64_t> SampleTimeMs(int index) const override {
        if (index < 0 || index >= SampleCount())
            return std::nullopt;
        return times[static_cast<std::size_t>(index)];
    }
    int FindSampleByTime(std::int64_t timeMs) const override {
        int best = -1;
        for (int i = 0; i < SampleCount(); ++i)
            if (best < 0 || std::llabs(times[static_cast<std::size_t>(i)] - timeMs) <
                                std::llabs(times[static_cast<std::size_t>(best)] - timeMs))
                best = i;
        return best;
    }
    void SelectSample(int index, bool notify) override {
        current = index;
        selections.push_back({index, notify});
    }
    void MoveCursorToTime(std::int64_t timeMs) override { cursor = timeMs; }

    std::vector<std::int64_t> times;
    int current = 0;
    std::vector<std::pair<int, bool>> selections;
    std::optional<std::int64_t> cursor;
};

class FakeMap : public IMapNotices {
public:
    void PostMapSyncUpdate() override { ++posted; }
    void RefreshMapNow() override { ++refreshed; }
    int posted = 0;
    int refreshed = 0;
};

class FakeSound : public IPlaySound {
public:
    bool Open(IAudioFeed* feed) override {
        ++opens;
        openedWith = feed;
        open = canOpen;
        return open;
    }
    bool IsOpen() const override { return open; }
    void Pause() override { ++pauses; }
    void Resume() override { ++resumes; }
    void Close() override {
        open = false;
        ++closes;
    }
    bool canOpen = true;
    bool open = false;
    IAudioFeed* openedWith = nullptr;
    int opens = 0, pauses = 0, resumes = 0, closes = 0;
};

class FakeMemo : public IMemoSound {
public:
    bool Play(const std::string& path) override {
        played.push_back(path);
        return true;
    }
    void Stop() override { ++stops; }
    std::vector<std::string> played;
    int stops = 0;
};

class FakePlayHost : public IPlayHost {
public:
    int LoadedKind() const override { return kind; }
    bool IsThumbnailLayout() const override { return thumbnail; }
    bool IsSingleLayout() const override { return single; }
    bool IsPanelEnlarged() const override { return enlarged; }
    void SelectListRow(int, int recordingIndex) override { selectedRows.push_back(recordingIndex); }
    void UpdatePanesForSample(int index) override { paneSamples.push_back(index); }
    std::string SelectedMemoPicture() const override { return memoPicture; }

    int kind = kLoadedEvent;
    bool thumbnail = false, single = false, enlarged = false;
    std::vector<int> selectedRows;
    std::vector<int> paneSamples;
    std::string memoPicture;
};

// Loaded recordings; selecting one shows it at its begin.
class FakeCatalogue : public IPlayCatalogue {
public:
    int CurrentRecording() const override { return current; }
    int RecordingCount() const override { return static_cast<int>(recordings.size()); }
    CDriveRecInfo* Recording(int index) override {
        if (index < 0 || index >= RecordingCount())
            return nullptr;
        return recordings[static_cast<std::size_t>(index)].get();
    }
    void SelectRecording(int index) override {
        current = index;
        if (CDriveRecInfo* recording = Recording(index))
            recording->GotoTime(recording->m_llBegin, true, true);
    }
    int CarPulseSpeed(int pulses) const override { return pulses * 2; }

    std::vector<std::unique_ptr<CDriveRecInfo>> recordings;
    int current = -1;
};

// A play control on simulated time with recorded views.
struct PlayFixture {
    CSimulatedPlayClock clock;
    CManualPlayTimer videoTimer, logTimer;
    FakeCatalogue catalogue;
    FakePlayHost host;
    FakeStatusDisplays status;
    FakeGSensor gsensor;
    FakeMap map;
    FakeSound sound;
    FakeMemo memo;
    CMgrPlayControl control{clock,    videoTimer,
                            logTimer, catalogue,
                            host,     PlayControlViews{&status, &gsensor, &map, &sound, &memo}};

    // Loads an event (data path of any channel) or the normal group starting at path.
    CDriveRecInfo& Load(const std::string& path, std::vector<std::string> normalList = {}) {
        auto recording = std::make_unique<CDriveRecInfo>();
        CBasicLoadProgress progress;
        const bool started = normalList.empty()
                                 ? recording->StartLoadEvent(path, &progress)
                                 : recording->StartLoadNormal(path, normalList, &progress);
        EXPECT_TRUE(started);
        recording->WaitForLoad();
        EXPECT_NE(progress.LoadState(), kLoadStateFailed) << path;
        recording->SetRecordingIndex(static_cast<int>(catalogue.recordings.size()));
        recording->SetViews(RecordingViews{&control, nullptr, nullptr});
        catalogue.recordings.push_back(std::move(recording));
        return *catalogue.recordings.back();
    }

    // One expiry of the running video timer after ms of simulated time.
    void Tick(std::uint32_t ms) {
        clock.Advance(ms);
        if (control.UsesPreciseTimer())
            control.TimeProc(kVideoTimerId);
        else
            control.OnTimer(kVideoTimerId);
    }
    // Ticks at the timer's period until playback stops; the shown times of every tick.
    std::vector<std::int64_t> PlayToStop(int maxTicks = 20000) {
        std::vector<std::int64_t> shown;
        for (int i = 0; i < maxTicks && control.TimerActive(); ++i) {
            Tick(static_cast<std::uint32_t>(videoTimer.Period()));
            shown.push_back(control.ShownTimeMs());
        }
        return shown;
    }
};

// A small four-channel card with the given recordings.
inline mkcard::WrittenCard WritePlayCard(const TempDir& dir,
                                         std::vector<mkcard::RecordingDesc> recordings) {
    mkcard::CardDesc desc;
    desc.recordings = std::move(recordings);
    desc.autoLogs = false;
    desc.quality = 1;
    mkcard::WrittenCard card = mkcard::WriteCard(desc, dir.Path());
    EXPECT_TRUE(card.Ok()) << card.error;
    return card;
}

inline mkcard::RecordingDesc SmallEvent(mkcard::Codec codec = mkcard::Codec::Mpeg4) {
    mkcard::RecordingDesc desc;
    desc.kind = mkcard::RecordingKind::Event;
    desc.codec = codec;
    desc.fps = 4;
    desc.preSeconds = 2;
    desc.postSeconds = 2;
    return desc;
}

inline mkcard::RecordingDesc SmallNormal(int files, mkcard::Codec codec = mkcard::Codec::Mpeg4) {
    mkcard::RecordingDesc desc;
    desc.kind = mkcard::RecordingKind::Normal;
    desc.codec = codec;
    desc.fps = 2;
    desc.files = files;
    desc.fileSeconds = 3;
    return desc;
}

inline std::string DataPath(const mkcard::WrittenRecording& recording, int channel = 0) {
    const mkcard::WrittenChannel* written = recording.Channel(channel);
    return written != nullptr ? written->data.string() : std::string();
}

} // namespace trevix::test
