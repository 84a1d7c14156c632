// What a measured playback run saw, and what it comes to: every picture the four channel panes
// were given and drew (with the monotonic time of each drawing), the process's CPU time, and
// the offset between the flash pictures of a card's synchronisation marks and the clicks heard
// on the sound server's sink. Kept free of windows, so the program and its test share it.
#pragma once

#include "playback/PaneDrawStats.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace trevix::playmeasure {

inline constexpr int kChannels = 4;

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC, as the panes and the sink capture
using Time = Clock::time_point;

// What one channel pane went through during a run.
struct PaneEvents {
    struct Drawing {
        std::int64_t pictureMs = 0; // recorder time of the picture
        Time when{};
    };
    std::vector<std::int64_t> given; // recorder times, in the order given
    std::int64_t skipped = 0;        // kept but not drawn (minimum display interval)
    std::vector<Drawing> drawn;
};

// Records the picture events of the channel panes (0 to 3); other panes are ignored. The panes
// call it from the stepping thread and the user-interface thread.
class PaneDrawLog final : public IPaneDrawObserver {
public:
    void OnPictureGiven(int pane, std::int64_t pictureMs) override {
        const std::lock_guard lock(mutex_);
        if (Valid(pane))
            panes_[static_cast<std::size_t>(pane)].given.push_back(pictureMs);
    }
    void OnPictureSkipped(int pane, std::int64_t) override {
        const std::lock_guard lock(mutex_);
        if (Valid(pane))
            ++panes_[static_cast<std::size_t>(pane)].skipped;
    }
    void OnPictureDrawn(int pane, std::int64_t pictureMs, PaneClock::time_point when) override {
        const std::lock_guard lock(mutex_);
        if (Valid(pane))
            panes_[static_cast<std::size_t>(pane)].drawn.push_back({pictureMs, when});
    }

    std::array<PaneEvents, kChannels> Panes() const {
        const std::lock_guard lock(mutex_);
        return panes_;
    }

private:
    static bool Valid(int pane) { return pane >= 0 && pane < kChannels; }

    mutable std::mutex mutex_;
    std::array<PaneEvents, kChannels> panes_;
};

// The CPU time of the whole process (every thread) at a moment.
struct CpuSample {
    std::chrono::microseconds cpu{0};
    Time wall{};

    static CpuSample Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const auto micros = [](const timeval& value) {
            return std::chrono::seconds(value.tv_sec) + std::chrono::microseconds(value.tv_usec);
        };
        return {micros(usage.ru_utime) + micros(usage.ru_stime), Clock::now()};
    }
};

// The share of one core the process used between two samples (1.0 is one core busy).
inline double CoreShare(const CpuSample& from, const CpuSample& to) {
    const std::chrono::duration<double> wall = to.wall - from.wall;
    const std::chrono::duration<double> cpu = to.cpu - from.cpu;
    return wall.count() > 0 ? cpu.count() / wall.count() : 0.0;
}

struct ChannelCounts {
    int framesInSpan = 0; // pictures of the recording after the start picture, up to the end
    int given = 0;
    int drawn = 0;
    int skipped = 0;    // given, kept, not drawn (minimum display interval)
    int superseded = 0; // given, replaced by a newer picture before it was drawn
    int neverGiven = 0; // pictures of the span the pane was never given
    double drawnPerSecond = 0.0;
};

// Counts one channel of a run that played from the picture at beginMs (shown before the run)
// to endMs, for seconds of real time; frameTimes are the recording's pictures of the channel.
inline ChannelCounts CountChannel(std::span<const std::int64_t> frameTimes, const PaneEvents& pane,
                                  std::int64_t beginMs, std::int64_t endMs, double seconds) {
    ChannelCounts counts;
    std::vector<std::int64_t> given = pane.given;
    std::sort(given.begin(), given.end());
    for (const std::int64_t time : frameTimes) {
        if (time <= beginMs || time > endMs)
            continue;
        ++counts.framesInSpan;
        if (!std::binary_search(given.begin(), given.end(), time))
            ++counts.neverGiven;
    }
    counts.given = static_cast<int>(pane.given.size());
    // The start picture may still be drawn after the run began; it is not one of the run's.
    counts.drawn = static_cast<int>(std::count_if(
        pane.drawn.begin(), pane.drawn.end(),
        [beginMs](const PaneEvents::Drawing& drawing) { return drawing.pictureMs > beginMs; }));
    counts.skipped = static_cast<int>(pane.skipped);
    counts.superseded = std::max(0, counts.given - counts.drawn - counts.skipped);
    counts.drawnPerSecond = seconds > 0 ? counts.drawn / seconds : 0.0;
    return counts;
}

// One synchronisation mark of the span: when its click was heard and, per channel, how long
// after that its flash picture was drawn (negative: drawn before the click was heard).
struct MarkOffsets {
    std::int64_t markMs = 0;
    std::optional<Time> click;
    std::array<std::optional<Time>, kChannels> drawn;
    std::array<std::optional<double>, kChannels> offsetMs;
};

struct SyncSummary {
    std::vector<MarkOffsets> marks;
    int flashesDrawn = 0;   // (mark, channel) pairs whose flash was drawn
    int flashesMatched = 0; // of those, with a click heard near enough
    double meanMs = 0.0;
    double maxAbsMs = 0.0;
    double minMs = 0.0;
    double maxMs = 0.0;
};

// The click onset nearest to `at`, when one lies within window of it.
inline std::optional<Time> NearestOnset(std::span<const Time> onsets, Time at,
                                        Clock::duration window) {
    const auto distance = [at](Time onset) { return onset > at ? onset - at : at - onset; };
    std::optional<Time> best;
    for (const Time onset : onsets) {
        if (distance(onset) <= window && (!best || distance(onset) < distance(*best)))
            best = onset;
    }
    return best;
}

// Matches the flashes of the marks in (beginMs, endMs] to the clicks: a mark's click is the
// onset nearest to its first drawn flash within window (half the mark period, so that a
// neighbouring mark's click is never taken). Marks without a drawn flash are listed unmatched.
inline SyncSummary MatchMarks(std::span<const std::int64_t> markTimes,
                              const std::array<PaneEvents, kChannels>& panes,
                              std::span<const Time> onsets, std::int64_t beginMs,
                              std::int64_t endMs, Clock::duration window) {
    SyncSummary summary;
    double sum = 0.0;
    for (const std::int64_t markMs : markTimes) {
        if (markMs <= beginMs || markMs > endMs)
            continue;
        MarkOffsets mark;
        mark.markMs = markMs;
        std::optional<Time> first;
        for (std::size_t channel = 0; channel < panes.size(); ++channel) {
            for (const PaneEvents::Drawing& drawing : panes[channel].drawn) {
                if (drawing.pictureMs != markMs)
                    continue;
                mark.drawn[channel] = drawing.when;
                if (!first || drawing.when < *first)
                    first = drawing.when;
                break;
            }
        }
        if (first)
            mark.click = NearestOnset(onsets, *first, window);
        for (std::size_t channel = 0; channel < panes.size(); ++channel) {
            if (!mark.drawn[channel])
                continue;
            ++summary.flashesDrawn;
            if (!mark.click)
                continue;
            const double offset =
                std::chrono::duration<double, std::milli>(*mark.drawn[channel] - *mark.click)
                    .count();
            mark.offsetMs[channel] = offset;
            summary.minMs = summary.flashesMatched == 0 ? offset : std::min(summary.minMs, offset);
            summary.maxMs = summary.flashesMatched == 0 ? offset : std::max(summary.maxMs, offset);
            summary.maxAbsMs = std::max(summary.maxAbsMs, std::abs(offset));
            sum += offset;
            ++summary.flashesMatched;
        }
        summary.marks.push_back(mark);
    }
    if (summary.flashesMatched > 0)
        summary.meanMs = sum / summary.flashesMatched;
    return summary;
}

} // namespace trevix::playmeasure
