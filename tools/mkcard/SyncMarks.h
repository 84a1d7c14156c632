// Synchronisation marks of one recording file: at each mark every camera shows a bright flash
// picture and the sound carries a short loud click starting at the same recorder time, so that a
// playback test can measure how pictures and sound line up. Between marks the pictures are the
// usual darker scene and the sound is kept quiet.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace trevix::mkcard {

inline constexpr int kClickMs = 10;
inline constexpr std::int16_t kClickLevel = 28000;
// The recording's own sound under the marks, scaled down so the clicks stand out after silence.
inline constexpr double kQuietGain = 1.0 / 16;
inline constexpr int kMinSyncPeriodMs = 500;
inline constexpr int kMaxSyncPeriodMs = 600000;

// Recorder time of picture `frame` of a file whose first picture is at startMs.
std::int64_t FrameTimeMs(std::int64_t startMs, int frame, int fps);

struct SyncMark {
    int frame = 0;           // the flash picture within the file
    std::int64_t wallMs = 0; // its time, also where the click starts
};

class SyncMarks {
public:
    // Marks every periodMs after groupStartMs (not at the start itself) that fall on one file
    // of the group: the pictures firstFrame to firstFrame + frameCount - 1 of the group, which
    // runs at fps from groupStartMs. Each mark is moved to the first picture at or after its
    // nominal time, so that picture and click share one time exactly. periodMs 0 gives no
    // marks and leaves the sound as it is.
    SyncMarks(std::int64_t groupStartMs, int firstFrame, int frameCount, int fps, int periodMs);

    bool Enabled() const { return enabled_; }
    const std::vector<SyncMark>& Marks() const { return marks_; }
    bool IsFlash(int frame) const;

    // With marks enabled: quietens the sound in pcm, whose first sample lies at firstSampleMs
    // (8000 samples a second), and writes every click that overlaps it.
    void MixSound(std::int64_t firstSampleMs, std::span<std::int16_t> pcm) const;

private:
    bool enabled_ = false;
    std::vector<SyncMark> marks_;
};

} // namespace trevix::mkcard
