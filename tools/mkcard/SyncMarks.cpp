#include "tools/mkcard/SyncMarks.h"

#include "tools/mkcard/SoundSource.h"

#include <algorithm>
#include <cmath>

namespace trevix::mkcard {
namespace {

constexpr std::int64_t kSamplesPerMs = kSampleRate / 1000;
// The click is a 1 kHz square wave: loud from its first sample on, so its onset is sharp.
constexpr std::int64_t kClickHalfPeriod = kSamplesPerMs / 2;

} // namespace

std::int64_t FrameTimeMs(std::int64_t startMs, int frame, int fps) {
    return startMs + static_cast<std::int64_t>(frame) * 1000 / fps;
}

SyncMarks::SyncMarks(std::int64_t groupStartMs, int firstFrame, int frameCount, int fps,
                     int periodMs)
    : enabled_(periodMs > 0) {
    if (!enabled_ || fps <= 0 || frameCount <= 0 || firstFrame < 0)
        return;
    // No mark before this file's first picture can snap into it, so start counting there.
    const std::int64_t firstMs = static_cast<std::int64_t>(firstFrame) * 1000 / fps;
    for (std::int64_t n = std::max<std::int64_t>(1, firstMs / periodMs);; ++n) {
        // The first picture at or after the nominal time: picture * 1000 / fps >= offset.
        const std::int64_t picture = (n * periodMs * fps + 999) / 1000;
        if (picture < firstFrame)
            continue;
        if (picture >= firstFrame + frameCount)
            break;
        marks_.push_back({static_cast<int>(picture - firstFrame),
                          FrameTimeMs(groupStartMs, static_cast<int>(picture), fps)});
    }
}

bool SyncMarks::IsFlash(int frame) const {
    return std::any_of(marks_.begin(), marks_.end(),
                       [frame](const SyncMark& mark) { return mark.frame == frame; });
}

void SyncMarks::MixSound(std::int64_t firstSampleMs, std::span<std::int16_t> pcm) const {
    if (!enabled_)
        return;
    for (std::int16_t& sample : pcm)
        sample = static_cast<std::int16_t>(std::lround(sample * kQuietGain));
    // Sample positions counted in eighths of a millisecond, so every click starts on a sample.
    const std::int64_t first = firstSampleMs * kSamplesPerMs;
    const std::int64_t end = first + static_cast<std::int64_t>(pcm.size());
    for (const SyncMark& mark : marks_) {
        const std::int64_t clickStart = mark.wallMs * kSamplesPerMs;
        const std::int64_t clickEnd = clickStart + kClickMs * kSamplesPerMs;
        for (std::int64_t at = std::max(first, clickStart); at < std::min(end, clickEnd); ++at) {
            const bool high = (at - clickStart) / kClickHalfPeriod % 2 == 0;
            pcm[static_cast<std::size_t>(at - first)] = high ? kClickLevel : -kClickLevel;
        }
    }
}

} // namespace trevix::mkcard
