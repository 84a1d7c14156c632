// A light index of every video file of one channel folder, loaded in the background: only the
// key pictures of each file are kept, with the places where an event begins. Four loaders (one
// per channel) share one owner, and the last of them to finish sends the completion notice.
#pragma once

#include "recorder/InfoVdxFile.h"
#include "recorder/RecordingViews.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trevix {

inline constexpr int kPreviewLoaderCount = 4;
inline constexpr std::chrono::milliseconds kPreviewFilePause{500};

// A key picture where the event code changes from 0 to nonzero.
struct PreviewEventMark {
    int keyIndex = 0; // index among the file's key pictures
    std::int64_t timeMs = 0;
    std::uint8_t eventCode = 0;
};

class CLogPreviewInfo {
public:
    // channel 0..3; pause is the rest after each file (shorter in tests).
    explicit CLogPreviewInfo(int channel, std::chrono::milliseconds pause = kPreviewFilePause);
    // Stops a running load after its current file and waits for it.
    ~CLogPreviewInfo();
    CLogPreviewInfo(const CLogPreviewInfo&) = delete;
    CLogPreviewInfo& operator=(const CLogPreviewInfo&) = delete;

    // Frees the previous entries and starts loading root/chN/kind (kind "event" or "normal").
    // Returns at once; owner must stay alive until the loader has counted itself finished.
    bool StartLoad(ILoadProgress* owner, const std::string& root, std::string_view kind,
                   const SYSTEMTIME& from, const SYSTEMTIME& to);
    void WaitForLoad();
    bool IsLoading() const { return m_bLoading.load(); }

    // The record of a key picture; nullptr outside the entries. Valid after completion.
    const FRAMEINFOVIDEO* GetKeyFrame(int fileIndex, int keyIndex) const;
    // The event marks of a file (only files whose event code is 0 have any).
    const std::vector<PreviewEventMark>& EventMarks(int fileIndex) const;

    std::vector<CInfoVdxFile> m_arrFiles;
    int m_nFileCount = 0;
    SYSTEMTIME m_stFrom;
    SYSTEMTIME m_stTo;
    ILoadProgress* m_pOwner = nullptr;

private:
    void Load(std::string folder);
    // Rests for the pause; false when the load is to stop.
    bool Pause() const;
    bool ShouldStop() const;

    int m_nChannel;
    std::chrono::milliseconds m_pause;
    std::vector<std::vector<PreviewEventMark>> m_marks;
    std::thread m_thread;
    std::atomic<bool> m_bLoading{false};
    std::atomic<bool> m_bStop{false};
};

// The places where the event code of consecutive records changes from 0 to nonzero.
std::vector<PreviewEventMark> FindEventMarks(const std::vector<FRAMEINFOVIDEO>& records);

} // namespace trevix
