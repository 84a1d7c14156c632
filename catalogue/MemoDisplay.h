// Showing a loaded memo: its sound made ready, the time bar and graph reset, the memo's
// picture of each camera decoded into that camera's pane (a camera without picture stays
// empty), the play-time display set to the memo's time, and the map emptied.
#pragma once

#include "codec/CodecJpg.h"
#include "recorder/PaneFrame.h"

#include <cstdint>
#include <string>

namespace trevix {

// Memo pictures larger than this are refused (a 720 x 576 JPEG stays far below it).
inline constexpr std::size_t kMaxMemoPictureBytes = 4u << 20;

// The windows a memo reaches besides the panes (user-interface thread).
class IMemoViews {
public:
    virtual ~IMemoViews() = default;
    // The memo sound file made ready to play.
    virtual void PrepareMemoSound(const std::string& audioPath) = 0;
    // The time bar's range: start, end and current at the current local time.
    virtual void SetTimeRangeToNow() = 0;
    virtual void ClearGraph() = 0;
    // The play-time display shows timeMs (recorder milliseconds).
    virtual void ShowPlayTime(std::int64_t timeMs) = 0;
    // The map's trigger markers emptied and the map page shown.
    virtual void ShowEmptyMap() = 0;
};

class CMemoDisplay {
public:
    struct Result {
        int pictures = 0; // panes that received a picture
        std::int64_t timeMs = 0;
    };

    // Shows the memo whose audio file is memoAudioPath, recordingIndex its line in the loaded
    // list. Pictures come from memo1 ... memo4 by serial; the single memo folder of the
    // three-camera model holds the first camera's picture only.
    Result Show(const std::string& memoAudioPath, int recordingIndex, IPaneView& panes,
                IMemoViews& views);

private:
    bool ShowPicture(const std::string& picturePath, int pane, int recordingIndex,
                     const SYSTEMTIME& time, IPaneView& panes);

    CCodecJpg jpeg_;
};

// The recorder time of a memo from its file title; the current time when the title has none.
std::int64_t MemoTimeMs(const std::string& memoPath);

} // namespace trevix
