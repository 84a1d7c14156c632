#include "recorder/LogPreviewInfo.h"

#include "tests/support/TempDir.h"
#include "tools/mkcard/CardWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace trevix::test {
namespace {

using namespace std::chrono_literals;

class LogPreviewTest : public ::testing::Test {
protected:
    void Write(std::vector<mkcard::RecordingDesc> recordings) {
        mkcard::CardDesc desc;
        desc.recordings = std::move(recordings);
        desc.autoLogs = false;
        card_ = mkcard::WriteCard(desc, dir_.Path());
        ASSERT_TRUE(card_.Ok()) << card_.error;
    }
    static mkcard::RecordingDesc Normal(int files, mkcard::Codec codec) {
        mkcard::RecordingDesc desc;
        desc.kind = mkcard::RecordingKind::Normal;
        desc.files = files;
        desc.fileSeconds = 3;
        desc.codec = codec;
        desc.audio = std::nullopt;
        return desc;
    }

    ScopedTimeZone zone_{"UTC"};
    TempDir dir_;
    mkcard::WrittenCard card_;
    CBasicLoadProgress owner_;
};

TEST_F(LogPreviewTest, FourLoadersIndexKeyPicturesAndPostOnce) {
    auto mpeg4 = Normal(2, mkcard::Codec::Mpeg4);
    mpeg4.channels = {true, true, true, false};
    auto jpeg = Normal(1, mkcard::Codec::Jpeg);
    jpeg.channels = {false, false, false, true};
    jpeg.startSeconds = 100;
    Write({mpeg4, jpeg});
    std::array<std::unique_ptr<CLogPreviewInfo>, 4> loaders;
    for (int channel = 0; channel < 4; ++channel) {
        loaders[static_cast<std::size_t>(channel)] =
            std::make_unique<CLogPreviewInfo>(channel, 1ms);
        loaders[static_cast<std::size_t>(channel)]->StartLoad(&owner_, dir_.Str(), "normal", {},
                                                              {});
    }
    ASSERT_TRUE(owner_.WaitForCompletions(1, 30s));
    for (auto& loader : loaders)
        loader->WaitForLoad();
    EXPECT_EQ(owner_.CompletionCount(), 1);
    EXPECT_EQ(owner_.FinishedLoaders(), 4);

    // MPEG-4: one entry per intra picture; JPEG: one per picture.
    const auto& written = *card_.recordings[0].Channel(0);
    int intra = 0;
    for (const auto& frame : written.frames)
        intra += frame.fields.type == mkcard::FrameType::Intra ? 1 : 0;
    ASSERT_EQ(loaders[0]->m_nFileCount, 2);
    EXPECT_EQ(loaders[0]->m_arrFiles[0].m_nFrameCount, intra);
    for (int i = 0; i < intra; ++i)
        EXPECT_EQ(loaders[0]->GetKeyFrame(0, i)->byType, kFrameTypeIntra);
    EXPECT_EQ(loaders[0]->GetKeyFrame(0, intra), nullptr);
    EXPECT_EQ(loaders[0]->GetKeyFrame(2, 0), nullptr);
    EXPECT_EQ(loaders[0]->GetKeyFrame(-1, 0), nullptr);
    ASSERT_EQ(loaders[3]->m_nFileCount, 1);
    EXPECT_EQ(loaders[3]->m_arrFiles[0].m_nFrameCount,
              static_cast<int>(card_.recordings[2].Channel(3)->frames.size()));
}

TEST_F(LogPreviewTest, EventMarksAreWhereTheEventCodeTurnsNonzero) {
    std::vector<FRAMEINFOVIDEO> records(6);
    records[2].byEventCode = 2;
    records[3].byEventCode = 2;
    records[5].byEventCode = 1;
    const auto marks = FindEventMarks(records);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].keyIndex, 2);
    EXPECT_EQ(marks[0].eventCode, 2);
    EXPECT_EQ(marks[1].keyIndex, 5);
    EXPECT_TRUE(FindEventMarks({}).empty());

    auto normal = Normal(1, mkcard::Codec::Jpeg);
    normal.fileSeconds = 6;
    normal.channels = {true, false, false, false};
    normal.markers = {{3, 4, 0}};
    Write({normal});
    CLogPreviewInfo loader(0, 1ms);
    loader.StartLoad(&owner_, dir_.Str(), "normal", {}, {});
    loader.WaitForLoad();
    ASSERT_EQ(loader.m_nFileCount, 1);
    ASSERT_FALSE(loader.EventMarks(0).empty());
    EXPECT_EQ(loader.EventMarks(0)[0].eventCode, 4);
    EXPECT_TRUE(loader.EventMarks(1).empty());
    EXPECT_EQ(owner_.CompletionCount(), 0); // only the fourth loader posts
}

TEST_F(LogPreviewTest, PausesBetweenFilesAndCancelStopsAfterTheCurrentFile) {
    auto normal = Normal(3, mkcard::Codec::Jpeg);
    normal.channels = {true, false, false, false};
    Write({normal});
    {
        CLogPreviewInfo loader(0); // the real 500 ms pause
        const auto start = std::chrono::steady_clock::now();
        loader.StartLoad(&owner_, dir_.Str(), "normal", {}, {});
        loader.WaitForLoad();
        EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);
        EXPECT_EQ(loader.m_nFileCount, 3);
        EXPECT_EQ(owner_.Position(), 3);
        EXPECT_EQ(owner_.RangeHigh(), 3);
    }
    CBasicLoadProgress cancelled;
    CLogPreviewInfo loader(0, 200ms);
    loader.StartLoad(&cancelled, dir_.Str(), "normal", {}, {});
    while (cancelled.Position() < 1)
        std::this_thread::sleep_for(1ms);
    cancelled.SetLoadState(kLoadStateCancel);
    loader.WaitForLoad();
    EXPECT_EQ(loader.m_nFileCount, 1);
    EXPECT_EQ(cancelled.FinishedLoaders(), 1);
}

TEST_F(LogPreviewTest, DestroyingARunningLoaderDoesNotWaitForEveryPause) {
    auto normal = Normal(4, mkcard::Codec::Jpeg);
    normal.channels = {true, false, false, false};
    Write({normal});
    const auto start = std::chrono::steady_clock::now();
    {
        CLogPreviewInfo loader(0, 10s);
        loader.StartLoad(&owner_, dir_.Str(), "normal", {}, {});
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(owner_.FinishedLoaders(), 1);
}

} // namespace
} // namespace trevix::test
