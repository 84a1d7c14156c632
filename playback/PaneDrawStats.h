// What the video panes report about the pictures they are given, for measurements: per pane
// how many pictures were given, drawn and skipped by the display-rate limit, and when each
// picture reached the screen.
#pragma once

#include <chrono>
#include <cstdint>

namespace trevix {

using PaneClock = std::chrono::steady_clock;

// Told of every picture of every pane. OnPictureGiven and OnPictureSkipped run on the thread
// that gives the picture, OnPictureDrawn on the user-interface thread; an implementation
// that counts across threads must lock or use atomics.
class IPaneDrawObserver {
public:
    virtual ~IPaneDrawObserver() = default;
    virtual void OnPictureGiven(int pane, std::int64_t pictureMs) = 0;
    // Kept but not drawn (minimum display interval).
    virtual void OnPictureSkipped(int pane, std::int64_t pictureMs) = 0;
    // The picture was painted.
    virtual void OnPictureDrawn(int pane, std::int64_t pictureMs, PaneClock::time_point when) = 0;
};

// The counters of one pane. A picture given is either skipped, drawn, or replaced by a newer
// one before the user-interface thread came to draw it (superseded).
struct PaneDrawStats {
    std::int64_t given = 0;
    std::int64_t drawn = 0;
    std::int64_t skipped = 0;
    std::int64_t superseded = 0;
    PaneClock::time_point lastDrawn{};
};

} // namespace trevix
