#include "catalogue/LoadedRecordings.h"
#include "tests/catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

using namespace trevix;
using namespace trevix::test;

namespace {

// A loaded recording of a generated card: its event recording, or with normalList the group
// of normal files that starts at path.
std::unique_ptr<CDriveRecInfo> LoadRecording(const std::string& path,
                                             std::vector<std::string> normalList = {}) {
    auto recording = std::make_unique<CDriveRecInfo>();
    CBasicLoadProgress progress;
    const bool started = normalList.empty()
                             ? recording->StartLoadEvent(path, &progress)
                             : recording->StartLoadNormal(path, std::move(normalList), &progress);
    EXPECT_TRUE(started);
    recording->WaitForLoad();
    EXPECT_NE(progress.LoadState(), kLoadStateFailed) << path;
    return recording;
}

class LoadedRecordingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        card_ = WriteTestCard(dir_, "event pre=2 post=2 codec=jpeg fps=2 size=360x240 audio=none\n"
                                    "normal files=2 seconds=4 codec=jpeg fps=2 size=360x240 "
                                    "audio=none\n");
        ASSERT_EQ(card_.recordings.size(), 3u);
    }
    std::string Video(std::size_t recording, int channel = 0) const {
        return card_.recordings.at(recording).Channel(channel)->data.string();
    }

    TempDir dir_;
    mkcard::WrittenCard card_;
    std::vector<std::pair<int, int>> shown_; // index and loaded kind of each callback
    CLoadedRecordings list_{[this](int index, int kind) { shown_.emplace_back(index, kind); }};
};

} // namespace

TEST_F(LoadedRecordingsTest, EntriesAreCheckedByIndexAndReplacedAsAWhole) {
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.At(0), nullptr);
    EXPECT_EQ(list_.At(-1), nullptr);

    list_.Resize(2);
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_EQ(list_.At(1), nullptr); // an entry waiting for its load
    list_.Set(1, std::make_unique<CDriveRecInfo>());
    list_.Set(2, std::make_unique<CDriveRecInfo>()); // outside: dropped
    list_.Set(-1, std::make_unique<CDriveRecInfo>());
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_NE(list_.At(1), nullptr);

    EXPECT_EQ(list_.Add(std::make_unique<CDriveRecInfo>()), 2);
    list_.Resize(1); // a new load starts from empty entries
    EXPECT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.At(0), nullptr);
    list_.Resize(-3);
    EXPECT_EQ(list_.Count(), 0);

    // Steps on missing or empty entries do nothing.
    list_.Resize(1);
    list_.CloseChannelFiles(0);
    list_.CloseChannelFiles(5);
    list_.ShowSelected(0, kLoadedEvent);
    list_.ShowSelected(7, kLoadedEvent);
    EXPECT_TRUE(shown_.empty());
    list_.DestroyAll();
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(LoadedRecordingsTest, SelectedEventOpensItsKeyFileAndReportsItsFirstPicture) {
    CBasicPlayStatus status;
    list_.Resize(1);
    list_.Set(0, LoadRecording(Video(0)));
    list_.SetViews(
        trevix::RecordingViews{&status, nullptr, nullptr}); // given to the recording held

    list_.ShowSelected(0, kLoadedEvent);
    const CDriveRecInfo& recording = *list_.At(0);
    const CDriveRecChannel& key =
        recording.m_arrChannels[static_cast<std::size_t>(recording.m_nKeyChannel)];
    EXPECT_EQ(key.m_nCurFile, 0);
    EXPECT_TRUE(key.m_fileData.IsOpen());
    // The play control learns the first picture's time, so playback starts at the begin.
    EXPECT_GE(status.StatusCount(), 1);
    EXPECT_EQ(status.ShownTimeMs(), recording.m_llBegin);
    EXPECT_EQ(shown_, (std::vector<std::pair<int, int>>{{0, kLoadedEvent}}));

    list_.CloseChannelFiles(0);
    EXPECT_EQ(key.m_nCurFile, -1);
    EXPECT_FALSE(key.m_fileData.IsOpen());
}

TEST_F(LoadedRecordingsTest, RecordingsPutInLaterReportToTheSameViews) {
    CBasicPlayStatus first;
    CBasicPlayStatus second;
    list_.SetViews(trevix::RecordingViews{&first, nullptr, nullptr});
    list_.Add(LoadRecording(Video(0)));
    std::vector<std::string> normals = {Video(1), Video(2)};
    list_.Add(LoadRecording(Video(1), normals));

    list_.ShowSelected(1, kLoadedNormal);
    EXPECT_EQ(first.ShownTimeMs(), list_.At(1)->m_llBegin);
    EXPECT_EQ(list_.At(1)->m_nMode, kRecordingModeNormal);

    // New views reach every recording held.
    list_.SetViews(trevix::RecordingViews{&second, nullptr, nullptr});
    list_.ShowSelected(0, kLoadedEvent);
    EXPECT_EQ(second.ShownTimeMs(), list_.At(0)->m_llBegin);
    EXPECT_EQ(first.ShownTimeMs(), list_.At(1)->m_llBegin);
    EXPECT_EQ(shown_, (std::vector<std::pair<int, int>>{{1, kLoadedNormal}, {0, kLoadedEvent}}));
}
