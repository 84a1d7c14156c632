#include "playback/PaneDisplayRate.h"

namespace trevix {

namespace {

std::int64_t AbsDiff(std::int64_t a, std::int64_t b) {
    return a > b ? a - b : b - a;
}

} // namespace

bool CPaneDisplayRate::OnPicture(const Picture& picture) {
    if (picture.pane < 0 || picture.pane >= kPaneCount)
        return true;
    const std::lock_guard lock(mutex_);
    PaneTimes& times = panes_[static_cast<std::size_t>(picture.pane)];
    if (picture.measure && picture.pane < CMgrDisplayFps::kChannels)
        fps_.MeasureFrame(picture.pane, AbsDiff(picture.timeMs, times.lastFrameMs));
    times.lastFrameMs = picture.timeMs;
    if (picture.limit) {
        const std::int64_t sinceDrawn = AbsDiff(picture.timeMs, times.lastDrawnMs);
        if (sinceDrawn > 0 && sinceDrawn < fps_.MinInterval(picture.playState))
            return false;
    }
    times.lastDrawnMs = picture.timeMs;
    return true;
}

void CPaneDisplayRate::ResetRates() {
    const std::lock_guard lock(mutex_);
    fps_.ResetRates();
}

int CPaneDisplayRate::ChannelFps(int channel) const {
    const std::lock_guard lock(mutex_);
    return fps_.ChannelFps(channel);
}

int CPaneDisplayRate::MinInterval(int playState) const {
    const std::lock_guard lock(mutex_);
    return fps_.MinInterval(playState);
}

int CPaneDisplayRate::CpuLevel() const {
    const std::lock_guard lock(mutex_);
    return fps_.CpuLevel();
}

} // namespace trevix
