#include "catalogue/MemoDisplay.h"

#include "app/TraceLog.h"
#include "platform/CardPath.h"
#include "platform/MountTable.h"
#include "recorder/CardLayout.h"
#include "recorder/Vocabulary.h"

#include <QDateTime>

#include <span>

namespace trevix {

namespace {

constexpr int kMemoChannels = 4;

bool InMemoAudioFolder(const std::string& memoAudioPath) {
    const std::string_view folder = ParentOfPath(memoAudioPath);
    return EqualsNoCase(NameOfPath(folder), "memoaudio");
}

} // namespace

std::int64_t MemoTimeMs(const std::string& memoPath) {
    const auto seconds = TitleTimeToSeconds(TitleOfPath(memoPath));
    if (!seconds)
        return QDateTime::currentMSecsSinceEpoch();
    return *seconds * 1000;
}

bool CMemoDisplay::ShowPicture(const std::string& picturePath, int pane, int recordingIndex,
                               const SYSTEMTIME& time, IPaneView& panes) {
    const auto bytes = ReadWholeFile(picturePath, kMaxMemoPictureBytes + 1);
    if (!bytes || bytes->empty() || bytes->size() > kMaxMemoPictureBytes) {
        TRACE("Fail to read memo picture %s", picturePath.c_str());
        return false;
    }
    const std::span<const std::uint8_t> block(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                              bytes->size());
    if (!jpeg_.Decode(block, PictureOptions{})) {
        TRACE("Fail to decoding");
        return false;
    }
    const DecodedFrame picture = jpeg_.GetPicture();
    PaneFrame frame;
    frame.pane = pane;
    frame.pixels = picture.pixels;
    frame.width = picture.width;
    frame.height = picture.height;
    frame.frameType = kFrameTypeJpeg;
    frame.frameSize = static_cast<int>(bytes->size());
    frame.recordingIndex = recordingIndex;
    frame.frameIndex = 0;
    frame.frameCount = 1;
    frame.fileIndex = 0;
    frame.fileName = std::string(TitleOfPath(picturePath));
    frame.time = time;
    panes.SetFrame(0, 0, frame);
    return true;
}

CMemoDisplay::Result CMemoDisplay::Show(const std::string& memoAudioPath, int recordingIndex,
                                        IPaneView& panes, IMemoViews& views) {
    Result result;
    views.PrepareMemoSound(memoAudioPath);
    views.SetTimeRangeToNow();
    views.ClearGraph();
    result.timeMs = MemoTimeMs(memoAudioPath);
    const SYSTEMTIME time = FromRecorderMs(result.timeMs);
    // The single memo folder keeps one picture per memo: the first camera's.
    const int channels = InMemoAudioFolder(memoAudioPath) ? kMemoChannels : 1;
    for (int channel = 0; channel < kMemoChannels; ++channel) {
        const auto picture =
            channel < channels ? MemoPictureForAudio(memoAudioPath, channel + 1) : std::nullopt;
        if (picture && ShowPicture(*picture, channel, recordingIndex, time, panes)) {
            ++result.pictures;
            continue;
        }
        PaneFrame empty = EmptyPaneFrame(channel);
        empty.recordingIndex = recordingIndex;
        panes.SetFrame(0, 0, empty);
    }
    views.ShowPlayTime(result.timeMs);
    views.ShowEmptyMap();
    return result;
}

} // namespace trevix
