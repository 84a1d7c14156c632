// The display rate of one pane panel, safe from any thread: the picture-rate measurement of the
// four channel panes and the decision whether a picture given to a pane is drawn or only kept
// (the minimum display interval of the display-rate manager).
#pragma once

#include "playback/MgrDisplayFps.h"
#include "playback/PaneGeometry.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace trevix {

class CPaneDisplayRate {
public:
    // Detects the CPU level of this computer.
    CPaneDisplayRate() = default;
    explicit CPaneDisplayRate(int cpuLevel) : fps_(cpuLevel) {}

    struct Picture {
        int pane = 0;
        std::int64_t timeMs = 0; // recorder time of the picture
        bool measure = false;    // panes 0-3 outside the thumbnail layout
        bool limit = false;      // the plain drawing path applies the minimum interval
        int playState = 1;
    };
    // Measures the picture's channel (interval to the pane's previous picture) and decides:
    // false when 0 < |time - time of the pane's last drawn picture| < MinInterval, true
    // otherwise, remembering the time as drawn.
    bool OnPicture(const Picture& picture);

    // Rates back to 0 (every layout change).
    void ResetRates();
    int ChannelFps(int channel) const;
    int MinInterval(int playState) const;
    int CpuLevel() const;

private:
    struct PaneTimes {
        std::int64_t lastFrameMs = 0;
        std::int64_t lastDrawnMs = 0;
    };

    mutable std::mutex mutex_;
    CMgrDisplayFps fps_;
    std::array<PaneTimes, kPaneCount> panes_{};
};

} // namespace trevix
