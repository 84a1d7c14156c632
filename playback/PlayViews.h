// The windows the play control reaches, as small interfaces they implement: the status digits
// and indicators of the back panel, the G-sensor host, the map manager, the pane panel and file
// lists, and the two sound outputs. Calls marked "any thread" may come from the precise timer's
// thread at x1; an implementation hands them to the user-interface thread.
#pragma once

#include "recorder/FrameInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trevix {

class IAudioFeed;

// Move the map marker to the current position (both parameters 0).
inline constexpr int kMsgMapSyncUpdate = 1944;

// The digits, indicators and time bar of the back panel (any thread).
class IStatusDisplays {
public:
    virtual ~IStatusDisplays() = default;
    virtual void ShowDateTime(const SYSTEMTIME& time) = 0;
    // 9999.0 in all three is the no-value marker.
    virtual void ShowGValues(float x, float y, float z) = 0;
    virtual void ShowSpeed(int kmh, const GPSINFO& fix) = 0;
    virtual void ShowGps(const GPSINFO& fix) = 0;
    // Called only when the bits changed; 0 clears the indicator.
    virtual void ShowCarSignal(std::uint8_t bits) = 0;
    // Whole seconds since the start of the normal recording.
    virtual void ShowTimeSlider(std::int64_t seconds) = 0;
    // The speed-indicator text for the current play state.
    virtual void ShowSpeedIndicator(std::string_view text) = 0;
};

// The G-sensor window and its control: the graph's samples and cursor.
class IGSensorHost {
public:
    virtual ~IGSensorHost() = default;
    virtual bool HasGraph() const = 0;
    virtual int SampleCount() const = 0;
    virtual int CurrentSample() const = 0;
    virtual std::optional<std::int64_t> SampleTimeMs(int index) const = 0;
    // Index of the sample nearest to timeMs, -1 without samples.
    virtual int FindSampleByTime(std::int64_t timeMs) const = 0;
    // notify: the control tells its parent (pane update, map) as a user selection would.
    virtual void SelectSample(int index, bool notify) = 0;
    // Moves the graph's cursor to a recording time (any thread).
    virtual void MoveCursorToTime(std::int64_t timeMs) = 0;
};

// The map synchronisation manager.
class IMapNotices {
public:
    virtual ~IMapNotices() = default;
    // Message 1944, posted (any thread).
    virtual void PostMapSyncUpdate() = 0;
    // The synchronous refresh (user-interface thread only): UpdateMap while the page is ready,
    // the page's "noData" when that fails.
    virtual void RefreshMapNow() = 0;
};

// The pane panel, the file lists and the application object as far as playback needs them.
class IPlayHost {
public:
    virtual ~IPlayHost() = default;
    // kLoadedNone ... kLoadedLog.
    virtual int LoadedKind() const = 0;
    virtual bool IsThumbnailLayout() const = 0;
    virtual bool IsSingleLayout() const = 0;
    // Full-screen or enlarged pane: the speed indicator is not redrawn.
    virtual bool IsPanelEnlarged() const = 0;
    // Selects the row of the event or normal list whose item data starts with recordingIndex.
    virtual void SelectListRow(int loadedKind, int recordingIndex) = 0;
    // The panes show the log sample at index (log layout).
    virtual void UpdatePanesForSample(int index) = 0;
    // The picture file (.jpg) of the selected memo; empty when none is selected.
    virtual std::string SelectedMemoPicture() const = 0;
};

// The recording's sound output used at x1.
class IPlaySound {
public:
    virtual ~IPlaySound() = default;
    // 8000 Hz, 16000-byte buffers, one channel; feed null plays silence.
    virtual bool Open(IAudioFeed* feed) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Resets and closes the output; idempotent.
    virtual void Close() = 0;
};

// The memo's sound-file player.
class IMemoSound {
public:
    virtual ~IMemoSound() = default;
    virtual bool Play(const std::string& path) = 0;
    virtual void Stop() = 0;
};

} // namespace trevix
