#include "playback/MgrPlayControl.h"

#include "app/TraceLog.h"
#include "catalogue/SearchViews.h"
#include "recorder/DriveRecInfo.h"

#include <chrono>
#include <cmath>
#include <string>

namespace trevix {
namespace {

SYSTEMTIME LocalNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return FromRecorderMs(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

GPSINFO EmptyFix() {
    return GPSINFO{};
}

bool FixMoved(const GPSINFO& now, const GPSINFO& before) {
    return now.wLatMin != before.wLatMin || now.fLatSec != before.fLatSec ||
           now.wLonMin != before.wLonMin || now.fLonSec != before.fLonSec;
}

// Degrees, minutes and seconds of a non-negative decimal value.
void SplitDegrees(double value, std::uint16_t& degrees, std::uint16_t& minutes, float& seconds) {
    if (!std::isfinite(value) || value < 0.0 || value > 360.0)
        value = 0.0;
    const double whole = std::floor(value);
    const double minuteValue = (value - whole) * 60.0;
    const double minute = std::floor(minuteValue);
    degrees = static_cast<std::uint16_t>(whole);
    minutes = static_cast<std::uint16_t>(minute);
    seconds = static_cast<float>((minuteValue - minute) * 60.0);
}

const FRAMEINFOVIDEO* ReferenceFrame(const CDriveRecInfo& recording) {
    const int key = recording.m_nKeyChannel;
    if (key < 0 || key >= static_cast<int>(recording.m_arrChannels.size()))
        return nullptr;
    return recording.m_arrChannels[static_cast<std::size_t>(key)].CurrentFrame();
}

} // namespace

double FixLatitude(const GPSINFO& fix) {
    const double value = fix.wLatDeg + fix.wLatMin / 60.0 + fix.fLatSec / 3600.0;
    return fix.chLatHemi == 'S' ? -value : value;
}

double FixLongitude(const GPSINFO& fix) {
    const double value = fix.wLonDeg + fix.wLonMin / 60.0 + fix.fLonSec / 3600.0;
    return fix.chLonHemi == 'W' ? -value : value;
}

GPSINFO FixFromDegrees(bool valid, double latitude, double longitude) {
    GPSINFO fix;
    fix.byGpsValid = valid ? 1 : 0;
    fix.chLatHemi = latitude < 0.0 ? 'S' : 'N';
    fix.chLonHemi = longitude < 0.0 ? 'W' : 'E';
    SplitDegrees(std::fabs(latitude), fix.wLatDeg, fix.wLatMin, fix.fLatSec);
    SplitDegrees(std::fabs(longitude), fix.wLonDeg, fix.wLonMin, fix.fLonSec);
    return fix;
}

CMgrPlayControl::CMgrPlayControl(IPlayClock& clock, IPlayTimer& videoTimer, IPlayTimer& logTimer,
                                 IPlayCatalogue& catalogue, IPlayHost& host, PlayControlViews views)
    : m_clock(clock), m_videoTimer(videoTimer), m_logTimer(logTimer), m_catalogue(catalogue),
      m_host(host), m_views(views) {
    m_telemetry.gps = EmptyFix();
    SetShownTime(LocalNow());
}

CMgrPlayControl::~CMgrPlayControl() {
    m_state.store(kPlayStopped);
    if (m_bLogTimerActive)
        m_logTimer.Stop();
    StopTimer();
}

void CMgrPlayControl::SetShownTime(const SYSTEMTIME& time) {
    const std::lock_guard lock(m_statusMutex);
    m_shownTime = time;
    m_llShownMs.store(ToRecorderMs(time));
}

SYSTEMTIME CMgrPlayControl::ShownTime() const {
    const std::lock_guard lock(m_statusMutex);
    return m_shownTime;
}

CMgrPlayControl::Telemetry CMgrPlayControl::CurrentTelemetry() const {
    const std::lock_guard lock(m_statusMutex);
    return m_telemetry;
}

bool CMgrPlayControl::IsRecordingList() const {
    const int kind = m_host.LoadedKind();
    return kind == kLoadedEvent || kind == kLoadedNormal;
}

CDriveRecInfo* CMgrPlayControl::CurrentRecording() {
    return m_catalogue.Recording(m_catalogue.CurrentRecording());
}

void CMgrPlayControl::SetState(int state) {
    m_state.store(state);
}

void CMgrPlayControl::RedrawIndicator() {
    if (m_views.status != nullptr)
        m_views.status->ShowSpeedIndicator(SpeedIndicatorText(m_state.load(), m_nVendor));
}

void CMgrPlayControl::RedrawIndicatorUnlessEnlarged() {
    if (!m_host.IsPanelEnlarged())
        RedrawIndicator();
}

void CMgrPlayControl::MapRefresh() {
    if (m_views.map != nullptr)
        m_views.map->RefreshMapNow();
}

void CMgrPlayControl::RunCommand(TransportCommand command) {
    const int kind = m_host.LoadedKind();
    const bool frameStep =
        command == TransportCommand::PrevFrame || command == TransportCommand::NextFrame;
    if (!frameStep && m_host.IsThumbnailLayout())
        return;
    if (command == TransportCommand::PlayStopToggle) {
        if (m_nVendor == 1)
            return;
        command = m_state.load() == kPlayStopped ? TransportCommand::Play : TransportCommand::Stop;
    }
    if (kind == kLoadedEvent || kind == kLoadedNormal) {
        switch (command) {
        case TransportCommand::FastReverse:
            CmdFastReverse();
            break;
        case TransportCommand::PrevFrame:
            CmdPrevFrame();
            break;
        case TransportCommand::Reverse:
            CmdReverse();
            break;
        case TransportCommand::Stop:
            CmdStop();
            break;
        case TransportCommand::Play:
            CmdPlay();
            break;
        case TransportCommand::NextFrame:
            CmdNextFrame();
            break;
        case TransportCommand::FastPlay:
            CmdFastPlay();
            break;
        case TransportCommand::PlayStopToggle:
            break;
        }
    } else if (kind == kLoadedLog) {
        switch (command) {
        case TransportCommand::FastReverse:
            LogCmdFastReverse();
            break;
        case TransportCommand::PrevFrame:
            LogCmdPrevFrame();
            break;
        case TransportCommand::Reverse:
            LogCmdReverse();
            break;
        case TransportCommand::Stop:
            LogCmdStop();
            break;
        case TransportCommand::Play:
            LogCmdPlay();
            break;
        case TransportCommand::NextFrame:
            LogCmdNextFrame();
            break;
        case TransportCommand::FastPlay:
            LogCmdFastPlay();
            break;
        case TransportCommand::PlayStopToggle:
            break;
        }
    } else if (kind == kLoadedMemo) {
        if (command == TransportCommand::Play)
            MemoPlay();
        else if (command == TransportCommand::Stop)
            MemoStop();
        return;
    } else {
        return;
    }
    if (frameStep || command == TransportCommand::Stop)
        MapRefresh();
}

// ---- Event and normal lists ------------------------------------------------------------------

void CMgrPlayControl::AfterVideoCommand() {
    StartPlay();
    RedrawIndicatorUnlessEnlarged();
}

void CMgrPlayControl::CmdPlay() {
    SetState(NextPlayState(m_state.load()));
    AfterVideoCommand();
}

void CMgrPlayControl::CmdFastPlay() {
    SetState(NextFastPlayState(m_state.load()));
    AfterVideoCommand();
}

void CMgrPlayControl::CmdReverse() {
    SetState(NextReverseState(m_state.load()));
    AfterVideoCommand();
}

void CMgrPlayControl::CmdFastReverse() {
    SetState(NextFastReverseState(m_state.load()));
    AfterVideoCommand();
}

void CMgrPlayControl::CmdStop() {
    SetState(kPlayStopped);
    StopTimer();
    RedrawIndicatorUnlessEnlarged();
}

void CMgrPlayControl::CmdPrevFrame() {
    if (m_state.load() == kPlayStopped) {
        if (CDriveRecInfo* recording = CurrentRecording())
            recording->StepPrevFrame();
        return;
    }
    CmdStop();
}

void CMgrPlayControl::CmdNextFrame() {
    if (m_state.load() == kPlayStopped) {
        if (CDriveRecInfo* recording = CurrentRecording())
            recording->StepNextFrame();
        return;
    }
    CmdStop();
}

int CMgrPlayControl::CurrentPeriodMs() const {
    const CDriveRecInfo* recording = m_catalogue.Recording(m_catalogue.CurrentRecording());
    const bool tableA = recording == nullptr || recording->m_nVideoKind == kVideoKindMpeg4;
    return VideoTimerPeriodMs(m_state.load(), tableA);
}

void CMgrPlayControl::StartPlay() {
    if (m_bTimerActive) {
        StopTimer();
        if (m_bTimerActive)
            return;
    }
    const int state = m_state.load();
    if (IsRecordingList())
        m_llPosition.store(m_llShownMs.load());
    m_dwLastTick = m_clock.TickCount();
    const int period = CurrentPeriodMs();
    m_bUseMmTimer = state == kPlayNormal;
    if (m_bUseMmTimer) {
        if (!m_videoTimer.Start(period, TimerKind::Precise)) {
            TRACE("MM Timer : GetDevCaps Error");
            Stop();
            return;
        }
    } else if (!m_videoTimer.Start(period, TimerKind::Coarse)) {
        TRACE("Fail to start the play timer");
        Stop();
        return;
    }
    m_bTimerActive = true;
    if (state == kPlayNormal) {
        CDriveRecInfo* recording = CurrentRecording();
        if (recording != nullptr)
            SeekAudioTo(m_llShownMs.load());
        if (m_views.sound != nullptr && m_views.sound->Open(recording))
            m_views.sound->Resume();
    }
}

void CMgrPlayControl::StopTimer() {
    if (m_bTimerActive) {
        m_videoTimer.Stop();
        m_bTimerActive = false;
        m_bUseMmTimer = false;
    }
    if (m_views.sound != nullptr) {
        if (m_views.sound->IsOpen())
            m_views.sound->Pause();
        m_views.sound->Close();
    }
}

void CMgrPlayControl::Stop() {
    // The state first: a precise-timer expiry already under way then does nothing.
    SetState(kPlayStopped);
    StopTimer();
    RedrawIndicator();
}

void CMgrPlayControl::OnTimer(int timerId) {
    if (timerId == kVideoTimerId && m_bTimerActive)
        VideoTick(false);
    else if (timerId == kLogTimerId && m_bLogTimerActive)
        LogTick();
}

void CMgrPlayControl::TimeProc(int timerId) {
    // A command sets the state before it stops the timer, so a late expiry does nothing.
    if (m_state.load() != kPlayNormal || timerId != kVideoTimerId || !m_bTimerActive)
        return;
    VideoTick(true);
}

void CMgrPlayControl::VideoTick(bool onTimerThread) {
    const std::uint32_t now = m_clock.TickCount();
    const auto elapsed = static_cast<std::int32_t>(now - m_dwLastTick);
    m_dwLastTick = now;
    const int state = m_state.load();
    const std::int64_t position = m_llPosition.load() + ScaleElapsed(state, elapsed);
    m_llPosition.store(position);
    if (AdvanceTo(state, position))
        return;
    Stop();
    if (onTimerThread) {
        if (m_views.map != nullptr)
            m_views.map->PostMapSyncUpdate();
    } else {
        MapRefresh();
    }
}

bool CMgrPlayControl::AdvanceTo(int state, std::int64_t position) {
    CDriveRecInfo* recording = CurrentRecording();
    if (recording == nullptr)
        return false;
    if (IsForwardState(state))
        return recording->StepForwardTo(state, position);
    return recording->StepBackwardTo(position);
}

void CMgrPlayControl::SeekAudioTo(std::int64_t timeMs) {
    if (CDriveRecInfo* recording = CurrentRecording())
        recording->SeekAudio(timeMs);
}

// ---- Log lists -------------------------------------------------------------------------------

void CMgrPlayControl::AfterLogCommand() {
    StartLogPlay();
    RedrawIndicatorUnlessEnlarged();
}

void CMgrPlayControl::LogCmdPlay() {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    SetState(NextPlayState(m_state.load()));
    AfterLogCommand();
}

void CMgrPlayControl::LogCmdFastPlay() {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    SetState(NextFastPlayState(m_state.load()));
    AfterLogCommand();
}

void CMgrPlayControl::LogCmdReverse() {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    SetState(NextReverseState(m_state.load()));
    AfterLogCommand();
}

void CMgrPlayControl::LogCmdFastReverse() {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    SetState(NextFastReverseState(m_state.load()));
    AfterLogCommand();
}

void CMgrPlayControl::StartLogPlay() {
    if (m_bLogTimerActive) {
        m_logTimer.Stop();
        m_bLogTimerActive = false;
    }
    if (m_views.gsensor == nullptr)
        return;
    const int nearest = m_views.gsensor->FindSampleByTime(m_llShownMs.load());
    if (nearest >= 0)
        m_views.gsensor->SelectSample(nearest, false);
    if (m_logTimer.Start(LogTimerIntervalMs(m_state.load()), TimerKind::Coarse))
        m_bLogTimerActive = true;
}

void CMgrPlayControl::StopLogPlay() {
    if (m_bLogTimerActive) {
        m_logTimer.Stop();
        m_bLogTimerActive = false;
    }
    SetState(kPlayStopped);
    RedrawIndicator();
}

void CMgrPlayControl::LogTick() {
    if (m_views.gsensor == nullptr) {
        StopLogPlay();
        return;
    }
    const int step = IsForwardState(m_state.load()) ? 1 : -1;
    const int next = m_views.gsensor->CurrentSample() + step;
    if (next >= 0 && next < m_views.gsensor->SampleCount()) {
        m_views.gsensor->SelectSample(next, true);
        m_host.UpdatePanesForSample(next);
        return;
    }
    StopLogPlay();
    MapRefresh();
}

void CMgrPlayControl::LogCmdStop() {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    SetState(kPlayStopped);
    if (m_bLogTimerActive) {
        m_logTimer.Stop();
        m_bLogTimerActive = false;
    }
    RedrawIndicatorUnlessEnlarged();
}

void CMgrPlayControl::LogStep(int delta) {
    if (m_views.gsensor == nullptr || m_views.gsensor->SampleCount() <= 0)
        return;
    LogCmdStop();
    const int count = m_views.gsensor->SampleCount();
    int next = m_views.gsensor->CurrentSample() + delta;
    next = next < 0 ? 0 : (next > count - 1 ? count - 1 : next);
    m_views.gsensor->SelectSample(next, true);
    m_host.UpdatePanesForSample(next);
}

void CMgrPlayControl::LogCmdPrevFrame() {
    LogStep(-1);
}
void CMgrPlayControl::LogCmdNextFrame() {
    LogStep(1);
}

// ---- Memo lists ------------------------------------------------------------------------------

void CMgrPlayControl::MemoPlay() {
    std::string path = m_host.SelectedMemoPicture();
    if (path.empty() || m_views.memo == nullptr)
        return;
    const std::size_t dot = path.size() >= 4 ? path.size() - 4 : std::string::npos;
    if (dot == std::string::npos ||
        (path.compare(dot, 4, ".jpg") != 0 && path.compare(dot, 4, ".JPG") != 0))
        return;
    path.replace(dot, 4, path.compare(dot, 4, ".jpg") == 0 ? ".aud" : ".AUD");
    m_views.memo->Play(path);
}

void CMgrPlayControl::MemoStop() {
    if (m_views.memo != nullptr && !m_host.SelectedMemoPicture().empty())
        m_views.memo->Stop();
}

// ---- Map seeks -------------------------------------------------------------------------------

void CMgrPlayControl::GotoRecordingFrame(int recordingIndex, int channel, int file, int frame) {
    if (recordingIndex != m_catalogue.CurrentRecording()) {
        m_host.SelectListRow(m_host.LoadedKind(), recordingIndex);
        m_catalogue.SelectRecording(recordingIndex);
    }
    CDriveRecInfo* recording = m_catalogue.Recording(recordingIndex);
    if (recording == nullptr || channel < 0 ||
        channel >= static_cast<int>(recording->m_arrChannels.size()))
        return;
    const CDriveRecChannel& cameras = recording->m_arrChannels[static_cast<std::size_t>(channel)];
    if (file < 0 || file >= static_cast<int>(cameras.m_arrFiles.size()))
        return;
    const FRAMEINFOVIDEO* target =
        cameras.m_arrFiles[static_cast<std::size_t>(file)].GetFrameInfo(frame);
    if (target == nullptr) {
        TRACE("Goto Video : no frame %d in file %d of ch%d", frame, file, channel + 1);
        return;
    }
    recording->GotoTime(ToRecorderMs(target->stTime), true, true);
}

void CMgrPlayControl::GotoVideo(int driveIdx, int frameIdx) {
    TRACE("............................... Goto Video DirveIdx:%d, FrameIdx:%d", driveIdx,
          frameIdx);
    const int kind = m_host.LoadedKind();
    if (kind == kLoadedEvent) {
        SetState(kPlayStopped);
        StopTimer();
        RedrawIndicator();
        if (driveIdx < 0 || driveIdx >= m_catalogue.RecordingCount())
            return;
        const CDriveRecInfo* recording = m_catalogue.Recording(driveIdx);
        const int key = recording != nullptr ? recording->m_nKeyChannel : 0;
        GotoRecordingFrame(driveIdx, key, 0, frameIdx < 0 ? -1 : frameIdx);
    } else if (kind == kLoadedNormal) {
        Stop();
        const auto drive = static_cast<unsigned>(driveIdx);
        const auto frame = static_cast<unsigned>(frameIdx);
        const int recording = static_cast<int>(drive >> 16);
        if (recording >= m_catalogue.RecordingCount())
            return;
        GotoRecordingFrame(recording, static_cast<int>(drive & 0xFFFFu),
                           static_cast<int>(frame >> 16), static_cast<int>(frame & 0xFFFFu));
    } else if (kind == kLoadedLog) {
        StopLogPlay();
        if (m_views.gsensor == nullptr)
            return;
        if (frameIdx >= 0 && frameIdx < m_views.gsensor->SampleCount() &&
            frameIdx != m_views.gsensor->CurrentSample()) {
            m_views.gsensor->SelectSample(frameIdx, true);
            m_host.UpdatePanesForSample(frameIdx);
        }
    }
}

// ---- Frame status ----------------------------------------------------------------------------

void CMgrPlayControl::ShowCarSignal(std::uint8_t bits) {
    {
        const std::lock_guard lock(m_statusMutex);
        if (m_bCarSignalShown && bits == m_telemetry.carSignal)
            return;
        m_telemetry.carSignal = bits;
        m_bCarSignalShown = true;
    }
    if (m_views.status != nullptr)
        m_views.status->ShowCarSignal(bits);
}

void CMgrPlayControl::ShowFrameStatus(const FrameStatus& status) {
    IStatusDisplays* displays = m_views.status;
    const int kind = m_host.LoadedKind();
    if (status.channel < 0) {
        if (displays != nullptr) {
            displays->ShowDateTime(status.time);
            displays->ShowGValues(9999.0f, 9999.0f, 9999.0f);
            displays->ShowSpeed(0, status.gps);
            displays->ShowGps(status.gps);
        }
        ShowCarSignal(0);
        if (kind == kLoadedLog && m_views.gsensor != nullptr && m_views.gsensor->HasGraph()) {
            if (const auto sampleMs =
                    m_views.gsensor->SampleTimeMs(m_views.gsensor->CurrentSample())) {
                const SYSTEMTIME sampleTime = FromRecorderMs(*sampleMs);
                SetShownTime(sampleTime);
                if (displays != nullptr)
                    displays->ShowDateTime(sampleTime);
            }
        }
        return;
    }

    SetShownTime(status.time);
    const GPSINFO previous = CurrentTelemetry().gps;
    float gX = status.gX, gY = status.gY, gZ = status.gZ;
    std::uint8_t carSignal = status.carSignal;
    std::uint16_t speedRaw = status.speedRaw;
    GPSINFO fix = status.gps;

    const bool recordingList = kind == kLoadedEvent || kind == kLoadedNormal;
    CDriveRecInfo* recording = recordingList ? CurrentRecording() : nullptr;
    const std::int64_t timeMs = ToRecorderMs(status.time);
    if (recording != nullptr && status.useReference) {
        const FRAMEINFOVIDEO* reference = ReferenceFrame(*recording);
        if (reference != nullptr) {
            const std::int64_t gap = ToRecorderMs(reference->stTime) - timeMs;
            if (gap >= -kReferenceFrameToleranceMs && gap <= kReferenceFrameToleranceMs) {
                fix = reference->gps;
                speedRaw = reference->wSpeedRaw;
                gX = reference->fGx;
                gY = reference->fGy;
                gZ = reference->fGz;
                carSignal = reference->byAux;
            }
        }
    }
    {
        const std::lock_guard lock(m_statusMutex);
        m_telemetry.gX = gX;
        m_telemetry.gY = gY;
        m_telemetry.gZ = gZ;
        m_telemetry.speed = speedRaw;
        m_telemetry.gps = fix;
    }

    if (displays != nullptr) {
        displays->ShowSpeed(m_catalogue.CarPulseSpeed(speedRaw), fix);
        displays->ShowGps(fix);
        displays->ShowDateTime(status.time);
    }
    if (recordingList && status.useReference && m_views.gsensor != nullptr)
        m_views.gsensor->MoveCursorToTime(timeMs);
    ShowCarSignal(carSignal);
    if (displays != nullptr && !m_host.IsSingleLayout())
        displays->ShowGValues(gX, gY, gZ - 1.0f);
    if (kind == kLoadedNormal && recording != nullptr && displays != nullptr)
        displays->ShowTimeSlider((timeMs - recording->m_llBegin) / 1000);

    const int state = m_state.load();
    const bool slowState = state == kPlayHalf || state == kPlayNormal ||
                           state == kPlayReverseHalf || state == kPlayReverse;
    if (fix.byGpsValid != 0 && FixMoved(fix, previous) && slowState && m_views.map != nullptr)
        m_views.map->PostMapSyncUpdate();
}

void CMgrPlayControl::SetGpsInfo(bool valid, double latitude, double longitude,
                                 std::uint16_t speedA, std::uint16_t speedB, std::uint16_t speedC) {
    GPSINFO fix = FixFromDegrees(valid, latitude, longitude);
    fix.wGpsA = speedA;
    fix.wGpsB = speedB;
    fix.wGpsC = speedC;
    const std::lock_guard lock(m_statusMutex);
    m_telemetry.gps = fix;
}

CurrentPosition CMgrPlayControl::GetCurrentPosition() const {
    const GPSINFO fix = CurrentTelemetry().gps;
    if (fix.byGpsValid == 0)
        return CurrentPosition{};
    return CurrentPosition{0, 0, FixLatitude(fix), FixLongitude(fix), 2};
}

} // namespace trevix
