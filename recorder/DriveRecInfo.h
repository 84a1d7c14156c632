// One loaded recording: four camera channels and the sound track on one time line. Loading runs
// on a thread of its own; stepping, decoding and handing pictures to the panes run on the
// thread of the play control, FeedAudio on the sound output's thread.
#pragma once

#include "codec/CodecJpg.h"
#include "codec/CodecMpeg4.h"
#include "codec/G711.h"
#include "playback/AudioFeed.h"
#include "recorder/DriveRecAudio.h"
#include "recorder/DriveRecChannel.h"
#include "recorder/PaneFrame.h"
#include "recorder/RecordingViews.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace trevix {

class ViewerConfig;

inline constexpr int kRecordingModeEvent = 1;
inline constexpr int kRecordingModeNormal = 2;

inline constexpr int kVideoKindJpeg = 1;
inline constexpr int kVideoKindMpeg4 = 2;

// Window around the title time of an event marker (.edx) whose normal pictures are loaded.
inline constexpr std::int64_t kMarkerWindowBeforeMs = 15000;
inline constexpr std::int64_t kMarkerWindowAfterMs = 5000;

// Decoder settings, set by the owner (the viewer passes its configuration, tests their own).
struct RecordingOptions {
    bool deblock = false;
    int deinterlace = 99;
    std::array<int, 4> camFlip{};
    int mapType = 4;
    std::string mpeg4Library = kXvidLibraryFile;

    // Deblock, DeInterlace, CamFlip1..4 and MapType of the viewer's configuration.
    static RecordingOptions FromConfig();
    static RecordingOptions FromConfig(const ViewerConfig& config);
};

// The windows a recording reaches; none is owned, any may be null.
struct RecordingViews {
    IPlayStatus* status = nullptr;
    IPaneView* panes = nullptr;
    IRecordingNotices* notices = nullptr;
};

class CDriveRecInfo : public IAudioFeed, private IChannelFileNotice {
public:
    explicit CDriveRecInfo(RecordingOptions options = {});
    // Waits for a running loading thread (cancel it through the loader's state first).
    ~CDriveRecInfo() override;
    CDriveRecInfo(const CDriveRecInfo&) = delete;
    CDriveRecInfo& operator=(const CDriveRecInfo&) = delete;

    void SetOptions(RecordingOptions options);
    void SetViews(const RecordingViews& views);
    // The recording's index in the loaded list (carried in every PaneFrame).
    void SetRecordingIndex(int index) { m_nRecordingIndex = index; }

    // Start the loading thread (a previous one is waited for first). The thread ends with one
    // PostLoadFinished on loader; on failure the loader's state is 3 before that. The loader
    // must stay alive until then. False when path is empty.
    bool StartLoadEvent(const std::string& path, ILoadProgress* loader);
    // normalList: the file-list window's normal paths in list order (the group is formed from
    // path on, as the list's rows are).
    bool StartLoadNormal(const std::string& path, std::vector<std::string> normalList,
                         ILoadProgress* loader);
    // Waits for the loading thread. Must not be called from it.
    void WaitForLoad();
    bool IsLoading() const { return m_bLoading.load(); }

    // Put every channel on its picture for timeMs and show it. showStatus reports the shown
    // picture to the play control; useReference lets it take the reference channel's
    // telemetry. False when no channel has a picture for that time.
    bool GotoTime(std::int64_t timeMs, bool showStatus = true, bool useReference = true);
    bool StepNextFrame();
    bool StepPrevFrame();
    // The play clock's steps (states 2-7 forward, backward otherwise); false at the end or the
    // beginning of the recording.
    bool StepForwardTo(int playState, std::int64_t positionMs);
    bool StepBackwardTo(std::int64_t positionMs);
    // Decode and hand to the panes the current picture of every channel that changed.
    void DecodeCurrentFrames();

    // One second of sound (8000 16-bit samples) for an output that plays it leadSeconds from
    // now, or no samples when the sound is not in step with the pictures.
    AudioFeedResult FeedAudio(int leadSeconds) override;
    // Makes current the audio block that holds timeMs; the sound fed next starts at timeMs.
    bool SeekAudio(std::int64_t timeMs);
    // Time of the first block of the last second FeedAudio returned.
    std::optional<std::int64_t> LastFedAudioTime() const;

    // Closes every channel's data file; no channel has a current file afterwards.
    void CloseChannelFiles();
    // Set after every decode pass; cleared at its start.
    bool WaitPicturesReady(std::chrono::milliseconds timeout) const;
    bool PicturesReady() const;

    // What the last decode pass did for a channel (for the tool and the tests).
    struct ChannelShow {
        bool handedPicture = false; // a decoded picture went to the pane
        bool cleared = false;       // the pane was emptied
        std::int64_t pictureMs = 0; // time of the picture handed to the pane
    };
    const ChannelShow& LastShow(int channel) const;

    SYSTEMTIME m_stBegin;
    SYSTEMTIME m_stEnd;
    std::string m_strFirstTitle;
    std::string m_strLastTitle;
    std::int64_t m_llBegin = 0;
    std::int64_t m_llEnd = 0;
    int m_nVideoKind = kVideoKindJpeg;
    int m_nMode = kRecordingModeEvent;
    int m_nKeyChannel = 0;
    std::array<CDriveRecChannel, 4> m_arrChannels;
    CDriveRecAudio m_audio;
    std::string m_strPath;

private:
    struct ChannelDecoder;

    // Loading-thread bodies.
    void LoadEvent(const std::string& path, ILoadProgress* loader);
    void LoadNormal(const std::string& path, const std::vector<std::string>& normalList,
                    ILoadProgress* loader);
    void ResetChannels();
    void FinishLoad(ILoadProgress* loader, bool ok);
    void TakeKeySpan();
    void ComputeVideoKind();
    void JoinLoader();

    void OnKeyChannelFileChanged(int channel) override;

    std::int64_t ShownTime() const;
    int PlayState() const;
    void ReportStatus(const CDriveRecChannel& channel, bool useReference);
    void RepaintAll();
    void ClearPane(int channel);

    bool GotoChannel(CDriveRecChannel& channel, std::int64_t timeMs);
    bool CatchUpChannel(CDriveRecChannel& channel, std::int64_t shownMs);
    bool RunToLastFrame(CDriveRecChannel& channel);
    bool DecodeChannel(CDriveRecChannel& channel);
    bool DecodeMpeg4Upto(CDriveRecChannel& channel, ChannelDecoder& decoder);
    bool DecodeBlock(CDriveRecChannel& channel, ChannelDecoder& decoder, int fileIndex,
                     int frameIndex, bool show);
    void HandToPane(const CDriveRecChannel& channel, const DecodedFrame& picture);
    ChannelDecoder& DecoderOf(int channel);
    PictureOptions OptionsFor(int channel) const;

    // Reads the second at the track's position for a time asked; the first read after a seek
    // is lined up with that time.
    std::optional<AudioFeedResult> ReadAudioSecond(AudioFeedResult result, std::int64_t askedMs);

    // Lines the sound up with the time it is asked for after each seek: a block that starts
    // after that time is preceded by the silence between them, its tail carried into the next
    // seconds, so the output keeps its one-second buffers; of a block that starts before that
    // time, the samples before it are dropped and that second plays shorter.
    class AudioAlignment {
    public:
        // Drops the carry; the next second is lined up again.
        void Restart();
        struct Aligned {
            std::span<const std::int16_t> samples;
            std::size_t dropped = 0; // the second is this many samples shorter
        };
        // The second of the block starting at blockMs, read for a time asked of askedMs.
        Aligned Align(std::span<const std::int16_t> second, std::int64_t blockMs,
                      std::int64_t askedMs);

    private:
        bool m_pending = true;
        std::size_t m_drop = 0;
        std::vector<std::int16_t> m_carry; // the carry, then the second being handed out
        std::vector<std::int16_t> m_out;
    };

    RecordingOptions m_options;
    RecordingViews m_views;
    int m_nRecordingIndex = 0;

    std::thread m_loader;
    std::atomic<bool> m_bLoading{false};

    std::array<std::unique_ptr<ChannelDecoder>, 4> m_decoders;
    std::array<ChannelShow, 4> m_lastShow{};
    // What each pane holds from this recording, so unchanged pictures are not decoded again.
    enum class PaneContent { Unknown, Empty, Picture };
    struct PaneState {
        PaneContent content = PaneContent::Unknown;
        std::int64_t pictureMs = 0;
    };
    std::array<PaneState, 4> m_paneState{};
    // The shown time when no play control is attached.
    std::atomic<std::int64_t> m_llShown{0};

    mutable std::mutex m_readyMutex;
    mutable std::condition_variable m_readyChanged;
    bool m_bPicturesReady = true;

    mutable std::mutex m_audioMutex; // the sound thread and the seeking thread share the track
    CG711Decoder m_g711;
    AudioAlignment m_audioAlignment;
    std::optional<std::int64_t> m_llLastFedAudio;
};

} // namespace trevix
