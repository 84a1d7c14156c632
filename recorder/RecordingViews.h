// The small interfaces through which the recording loaders and the timeline reach the windows
// that will host them: the loading window (progress, state, completion), the play control's
// frame status and clock, and the main frame's notices. Headless implementations for the
// command-line tool and the tests live here too.
#pragma once

#include "recorder/FrameInfo.h"
#include "recorder/LoadState.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace trevix {

// The loading window as a loader sees it. Called on the loader's thread; an implementation
// delivers the calls to its own thread (queued) and makes the state and counter atomic.
class ILoadProgress {
public:
    virtual ~ILoadProgress() = default;
    virtual int LoadState() const = 0;
    virtual void SetLoadState(int state) = 0;
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressPos(int position) = 0;
    // Increments the counter of finished loaders and returns the new count (atomic).
    virtual int AddFinishedLoader() = 0;
    // Message 1824.
    virtual void PostLoadFinished() = 0;
};

// What the frame-status routine of the play control is given for one shown picture; channel
// -1 resets the status displays.
struct FrameStatus {
    int channel = -1;
    float gX = 0.0f;
    float gY = 0.0f;
    float gZ = 0.0f;
    std::uint8_t carSignal = 0;
    std::uint16_t speedRaw = 0;
    bool useReference = false;
    SYSTEMTIME time;
    GPSINFO gps;
};

// The play control as the timeline needs it: its frame-status routine (digits, car signals,
// G-sensor cursor and map notice follow from it), its shown time and play state, and its
// position. ShownTimeMs is read by the sound thread too, so it must be safe from any thread.
class IPlayStatus {
public:
    virtual ~IPlayStatus() = default;
    // Also makes status.time the shown time (for channel >= 0).
    virtual void ShowFrameStatus(const FrameStatus& status) = 0;
    // Recorder milliseconds of the picture last shown.
    virtual std::int64_t ShownTimeMs() const = 0;
    virtual int PlayState() const = 0;
    // Moves the play clock (used when reverse play jumps to the key channel's picture).
    virtual void SetPlayPosition(std::int64_t positionMs) = 0;
};

// Notices for the main frame.
class IRecordingNotices {
public:
    virtual ~IRecordingNotices() = default;
    // Message 1423: the key channel of a normal recording moved to another index file.
    virtual void OnKeyChannelFileChanged(int channel) = 0;
};

// A loading window without a window: keeps the state, the progress and the finished count, and
// lets a caller wait for the completion notices.
class CBasicLoadProgress : public ILoadProgress {
public:
    int LoadState() const override { return state_.load(); }
    void SetLoadState(int state) override { state_.store(state); }
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int position) override;
    int AddFinishedLoader() override { return ++finished_; }
    void PostLoadFinished() override;

    int RangeHigh() const { return rangeHigh_.load(); }
    int Position() const { return position_.load(); }
    int FinishedLoaders() const { return finished_.load(); }
    int CompletionCount() const;
    // Waits until count completion notices arrived; false on timeout.
    bool WaitForCompletions(int count, std::chrono::milliseconds timeout) const;

private:
    std::atomic<int> state_{kLoadStateRunning};
    std::atomic<int> rangeHigh_{0};
    std::atomic<int> position_{0};
    std::atomic<int> finished_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable completed_;
    int completions_ = 0;
};

// A play clock without windows: the shown time follows ShowFrameStatus, the state is set by
// the caller, and the last status is kept for inspection.
class CBasicPlayStatus : public IPlayStatus {
public:
    void ShowFrameStatus(const FrameStatus& status) override;
    std::int64_t ShownTimeMs() const override { return shown_.load(); }
    int PlayState() const override { return state_.load(); }
    void SetPlayPosition(std::int64_t positionMs) override { position_.store(positionMs); }

    void SetPlayState(int state) { state_.store(state); }
    void SetShownTimeMs(std::int64_t ms) { shown_.store(ms); }
    std::int64_t Position() const { return position_.load(); }
    int StatusCount() const { return statusCount_; }
    const FrameStatus& LastStatus() const { return last_; }

private:
    std::atomic<std::int64_t> shown_{0};
    std::atomic<int> state_{1};
    std::atomic<std::int64_t> position_{0};
    FrameStatus last_;
    int statusCount_ = 0;
};

} // namespace trevix
