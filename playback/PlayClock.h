// The play control's time source and its timers, kept behind small interfaces so that a window
// can host real timers while tests and the command-line tool run playback on simulated time,
// tick by tick.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace trevix {

// A millisecond tick count (since some fixed start); differences are taken as 32-bit signed
// values, so the count may wrap.
class IPlayClock {
public:
    virtual ~IPlayClock() = default;
    virtual std::uint32_t TickCount() const = 0;
};

// Periodic timer. A precise timer fires on a timer thread of the host (x1 playback); a coarse
// timer fires on the user-interface thread. The host calls back the play control's TimeProc or
// OnTimer with the timer's identifier on each expiry.
enum class TimerKind { Coarse, Precise };

class IPlayTimer {
public:
    virtual ~IPlayTimer() = default;
    // Starts (or restarts) the timer; false when the host cannot provide the kind asked for.
    virtual bool Start(int periodMs, TimerKind kind) = 0;
    // Stops it; no expiry is delivered afterwards.
    virtual void Stop() = 0;
};

// The system's monotonic clock.
class CSteadyPlayClock final : public IPlayClock {
public:
    std::uint32_t TickCount() const override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
};

// Time that moves only when told to.
class CSimulatedPlayClock final : public IPlayClock {
public:
    explicit CSimulatedPlayClock(std::uint32_t start = 1000) : now_(start) {}
    std::uint32_t TickCount() const override { return now_.load(); }
    void Advance(std::uint32_t ms) { now_.fetch_add(ms); }

private:
    std::atomic<std::uint32_t> now_;
};

// A timer whose expiries the owner delivers by hand; it remembers how it was started.
class CManualPlayTimer final : public IPlayTimer {
public:
    bool Start(int periodMs, TimerKind kind) override {
        if (kind == TimerKind::Precise && !preciseAvailable)
            return false;
        period_ = periodMs;
        kind_ = kind;
        running_ = true;
        ++starts_;
        return true;
    }
    void Stop() override { running_ = false; }

    bool Running() const { return running_; }
    int Period() const { return period_; }
    TimerKind Kind() const { return kind_; }
    int Starts() const { return starts_; }

    bool preciseAvailable = true; // false: the host has no precise timer

private:
    bool running_ = false;
    int period_ = 0;
    TimerKind kind_ = TimerKind::Coarse;
    int starts_ = 0;
};

} // namespace trevix
