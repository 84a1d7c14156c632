// Shared pieces of the timeline tests: panes, notices and a fixture that writes a card with the
// card generator and loads one of its recordings.
#pragma once

#include "recorder/DriveRecInfo.h"

#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace trevix::test {

struct PaneCall {
    int pane = 0;
    bool picture = false;
    std::int64_t timeMs = 0;
    int width = 0;
    int fileIndex = -1;
    int frameIndex = -1;
};

class RecordingPanes : public IPaneView {
public:
    void SetFrame(std::uint8_t, std::uint8_t, const PaneFrame& frame) override {
        calls.push_back({frame.pane, frame.HasPicture(), ToRecorderMs(frame.time), frame.width,
                         frame.fileIndex, frame.frameIndex});
    }
    void RepaintAll() override { ++repaints; }
    std::vector<PaneCall> Of(int pane) const {
        std::vector<PaneCall> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [pane](const PaneCall& call) { return call.pane == pane; });
        return found;
    }
    std::vector<PaneCall> calls;
    int repaints = 0;
};

class RecordingNotices : public IRecordingNotices {
public:
    void OnKeyChannelFileChanged(int channel) override { channels.push_back(channel); }
    std::vector<int> channels;
};

inline mkcard::RecordingDesc EventDesc(int start,
                                       std::array<bool, 4> channels = {true, true, true, true}) {
    mkcard::RecordingDesc desc;
    desc.kind = mkcard::RecordingKind::Event;
    desc.startSeconds = start;
    desc.channels = channels;
    desc.preSeconds = 2;
    desc.postSeconds = 2;
    return desc;
}

inline mkcard::RecordingDesc NormalDesc(int start, int files, int seconds,
                                        std::array<bool, 4> channels = {true, true, true, true}) {
    mkcard::RecordingDesc desc;
    desc.kind = mkcard::RecordingKind::Normal;
    desc.startSeconds = start;
    desc.files = files;
    desc.fileSeconds = seconds;
    desc.channels = channels;
    return desc;
}

class TimelineTest : public ::testing::Test {
protected:
    TimelineTest() { recording_.SetViews({&status_, &panes_, &notices_}); }

    const mkcard::WrittenCard& Write(std::vector<mkcard::RecordingDesc> recordings) {
        mkcard::CardDesc desc;
        desc.recordings = std::move(recordings);
        desc.autoLogs = false;
        card_ = mkcard::WriteCard(desc, dir_.Path());
        EXPECT_TRUE(card_.Ok()) << card_.error;
        return card_;
    }
    std::string VideoPath(int recording, int channel) const {
        const auto* written =
            card_.recordings.at(static_cast<std::size_t>(recording)).Channel(channel);
        return written != nullptr ? written->data.string() : std::string();
    }
    // The normal list of a channel as the file-list window holds it: every normal file in order.
    std::vector<std::string> NormalList(int channel) const {
        std::vector<std::string> paths;
        for (const auto& written : card_.recordings)
            if (written.kind == mkcard::RecordingKind::Normal && written.Channel(channel))
                paths.push_back(written.Channel(channel)->data.string());
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    void LoadEvent(const std::string& path) {
        ASSERT_TRUE(recording_.StartLoadEvent(path, &loader_));
        recording_.WaitForLoad();
        ASSERT_EQ(loader_.CompletionCount(), 1);
    }
    void LoadNormal(const std::string& path, int channel) {
        ASSERT_TRUE(recording_.StartLoadNormal(path, NormalList(channel), &loader_));
        recording_.WaitForLoad();
        ASSERT_EQ(loader_.CompletionCount(), 1);
    }
    const FRAMEINFOVIDEO& Frame(int channel, int file, int frame) const {
        return recording_.m_arrChannels[static_cast<std::size_t>(channel)]
            .m_arrFiles[static_cast<std::size_t>(file)]
            .m_pFrames[static_cast<std::size_t>(frame)];
    }
    std::int64_t CurrentMs(int channel) const {
        const auto* frame =
            recording_.m_arrChannels[static_cast<std::size_t>(channel)].CurrentFrame();
        return frame != nullptr ? ToRecorderMs(frame->stTime) : -1;
    }
    std::int64_t LastFrameMs(int channel) const {
        const auto& files = recording_.m_arrChannels[static_cast<std::size_t>(channel)].m_arrFiles;
        return ToRecorderMs(files.back().m_pFrames.back().stTime);
    }

    ScopedTimeZone zone_{"UTC"};
    TempDir dir_;
    mkcard::WrittenCard card_;
    CBasicPlayStatus status_;
    RecordingPanes panes_;
    RecordingNotices notices_;
    CBasicLoadProgress loader_;
    CDriveRecInfo recording_;
};

} // namespace trevix::test
