// The play clock of the viewer: the transport state, the timers that drive playback, the
// playback position and the status of the frame last shown. Each video tick scales the real
// elapsed time by the state's factor and steps the current recording to the new position; log
// lists are played sample by sample on a slower timer. Views are reached only through the
// interfaces of PlayViews.h, time only through PlayClock.h.
#pragma once

#include "codec/G711FilePlay.h"
#include "playback/AudioWaveOut.h"
#include "playback/PlayClock.h"
#include "playback/PlayState.h"
#include "playback/PlayViews.h"
#include "recorder/RecordingViews.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace trevix {

class CDriveRecInfo;

// The catalogue as the play control needs it: the loaded recordings and the current one.
class IPlayCatalogue {
public:
    virtual ~IPlayCatalogue() = default;
    virtual int CurrentRecording() const = 0; // -1 when none
    virtual int RecordingCount() const = 0;
    virtual CDriveRecInfo* Recording(int index) = 0; // null outside the array
    virtual void SelectRecording(int index) = 0;
    virtual int CarPulseSpeed(int pulsesPerSecond) const = 0;
};

// Identifiers the host passes back to OnTimer and TimeProc.
inline constexpr int kVideoTimerId = 1;
inline constexpr int kLogTimerId = 2;

// How far a reference-channel picture may lie from the shown time to lend its telemetry.
inline constexpr std::int64_t kReferenceFrameToleranceMs = 1500;

// The transport commands of the back panel.
enum class TransportCommand {
    FastReverse,
    PrevFrame,
    Reverse,
    Stop,
    Play,
    NextFrame,
    FastPlay,
    PlayStopToggle, // the space bar
};

// What GetCurrentPosition reports to the map manager.
struct CurrentPosition {
    int driveIndex = -1;
    int frameIndex = -1;
    double latitude = 0.0;
    double longitude = 0.0;
    std::uint8_t type = 0; // 2 with a valid fix
};

// Decimal degrees of a fix's degrees, minutes and seconds (negative south and west).
double FixLatitude(const GPSINFO& fix);
double FixLongitude(const GPSINFO& fix);
// The fix of a position in decimal degrees.
GPSINFO FixFromDegrees(bool valid, double latitude, double longitude);

// Packed map-seek indices of a normal recording.
constexpr int PackNormalDrive(int recording, int channel) {
    return static_cast<int>((static_cast<unsigned>(recording) << 16) |
                            (static_cast<unsigned>(channel) & 0xFFFFu));
}
constexpr int PackNormalFrame(int file, int frame) {
    return static_cast<int>((static_cast<unsigned>(file) << 16) |
                            (static_cast<unsigned>(frame) & 0xFFFFu));
}

struct PlayControlViews {
    IStatusDisplays* status = nullptr;
    IGSensorHost* gsensor = nullptr;
    IMapNotices* map = nullptr;
    IPlaySound* sound = nullptr;
    IMemoSound* memo = nullptr;
};

class CMgrPlayControl : public IPlayStatus {
public:
    // videoTimer and logTimer fire back into TimeProc / OnTimer with kVideoTimerId and
    // kLogTimerId. Stop on either must return only after a running expiry has finished (unless
    // called from that expiry).
    CMgrPlayControl(IPlayClock& clock, IPlayTimer& videoTimer, IPlayTimer& logTimer,
                    IPlayCatalogue& catalogue, IPlayHost& host, PlayControlViews views = {});
    ~CMgrPlayControl() override;
    CMgrPlayControl(const CMgrPlayControl&) = delete;
    CMgrPlayControl& operator=(const CMgrPlayControl&) = delete;

    // The viewer's Vender setting (speed-indicator texts, space bar).
    void SetVendor(int vendor) { m_nVendor = vendor; }

    // A back-panel command, routed by the loaded kind, with the thumbnail-layout guard and the
    // map refresh that follows a frame step or a stop.
    void RunCommand(TransportCommand command);

    // Event and normal lists.
    void CmdPlay();
    void CmdFastPlay();
    void CmdReverse();
    void CmdFastReverse();
    void CmdStop();
    void CmdPrevFrame();
    void CmdNextFrame();
    // Log lists.
    void LogCmdPlay();
    void LogCmdFastPlay();
    void LogCmdReverse();
    void LogCmdFastReverse();
    void LogCmdStop();
    void LogCmdPrevFrame();
    void LogCmdNextFrame();
    // Memo lists.
    void MemoPlay();
    void MemoStop();

    void StartPlay();
    void StopTimer();
    void Stop();
    void StartLogPlay();
    void StopLogPlay();

    // Timer expiries: OnTimer on the user-interface thread (both timers), TimeProc on the
    // precise timer's thread (x1 only).
    void OnTimer(int timerId);
    void TimeProc(int timerId);

    void GotoVideo(int driveIdx, int frameIdx);

    // IPlayStatus: the frame-status routine, called by the stepping code for every shown frame.
    void ShowFrameStatus(const FrameStatus& status) override;
    std::int64_t ShownTimeMs() const override { return m_llShownMs.load(); }
    int PlayState() const override { return m_state.load(); }
    void SetPlayPosition(std::int64_t positionMs) override { m_llPosition.store(positionMs); }

    void SetGpsInfo(bool valid, double latitude, double longitude, std::uint16_t speedA = 0,
                    std::uint16_t speedB = 0, std::uint16_t speedC = 0);
    CurrentPosition GetCurrentPosition() const;

    // Read access for the views, the tool and the tests.
    std::int64_t Position() const { return m_llPosition.load(); }
    SYSTEMTIME ShownTime() const;
    void SetShownTime(const SYSTEMTIME& time);
    bool TimerActive() const { return m_bTimerActive.load(); }
    bool LogTimerActive() const { return m_bLogTimerActive; }
    bool UsesPreciseTimer() const { return m_bUseMmTimer; }

    // The telemetry of the frame last shown.
    struct Telemetry {
        float gX = 0.0f, gY = 0.0f, gZ = 0.0f;
        GPSINFO gps;
        std::uint8_t carSignal = 0;
        std::uint16_t speed = 0;
    };
    Telemetry CurrentTelemetry() const;
    // The current video timer period for the state (tables A and B).
    int CurrentPeriodMs() const;

private:
    bool IsRecordingList() const;
    CDriveRecInfo* CurrentRecording();
    void SetState(int state);
    void RedrawIndicator();
    void RedrawIndicatorUnlessEnlarged();
    void AfterVideoCommand();
    void AfterLogCommand();
    void VideoTick(bool onTimerThread);
    void LogTick();
    bool AdvanceTo(int state, std::int64_t position);
    void SeekAudioTo(std::int64_t timeMs);
    void ShowCarSignal(std::uint8_t bits);
    void LogStep(int delta);
    void GotoRecordingFrame(int recording, int channel, int file, int frame);
    void MapRefresh();

    IPlayClock& m_clock;
    IPlayTimer& m_videoTimer;
    IPlayTimer& m_logTimer;
    IPlayCatalogue& m_catalogue;
    IPlayHost& m_host;
    PlayControlViews m_views;
    int m_nVendor = 1;

    std::atomic<int> m_state{kPlayStopped};
    std::atomic<std::int64_t> m_llShownMs{0};
    // The shown frame's time and telemetry are written by the stepping thread and read by the
    // views and the map manager.
    mutable std::mutex m_statusMutex;
    SYSTEMTIME m_shownTime;
    Telemetry m_telemetry;
    bool m_bCarSignalShown = false; // the indicator shows m_telemetry.carSignal
    std::atomic<bool> m_bTimerActive{false};
    bool m_bLogTimerActive = false;
    bool m_bUseMmTimer = false;
    std::atomic<std::int64_t> m_llPosition{0};
    std::uint32_t m_dwLastTick = 0;
};

// The sound output of the recording player (PulseAudio) behind IPlaySound.
class CWaveOutPlaySound final : public IPlaySound {
public:
    bool Open(IAudioFeed* feed) override { return waveOut_.Open(feed, 8000, 16000, 1); }
    bool IsOpen() const override { return waveOut_.IsOpen(); }
    void Pause() override { waveOut_.Pause(); }
    void Resume() override { waveOut_.Restart(); }
    void Close() override { waveOut_.Close(); }

private:
    CAudioWaveOut waveOut_;
};

// The memo's sound-file player behind IMemoSound.
class CMemoFileSound final : public IMemoSound {
public:
    bool Play(const std::string& path) override { return player_.Play(path); }
    void Stop() override { player_.Stop(); }

private:
    CG711FilePlay player_;
};

} // namespace trevix
