#include "recorder/DriveRecChannel.h"
#include "recorder/CardLayout.h"
#include "recorder/DriveRecAudio.h"

#include "tests/support/RecorderFileBytes.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace trevix {
namespace {

using test::Time;

class NoticeSpy : public IChannelFileNotice {
public:
    MOCK_METHOD(void, OnKeyChannelFileChanged, (int channel), (override));
};

// Frame types of a file, one picture every 100 ms from startSecond.
struct FileDesc {
    std::string title;
    int startSecond = 0;
    std::string types; // e.g. "2332" (JPEG files: "11")
};

// Writes title.vdd and title.vdx into folder; returns the data path.
std::string WriteVideoPair(const test::TempDir& dir, const std::string& folder,
                           const FileDesc& desc, bool withIndex = true) {
    std::string data, index;
    for (std::size_t i = 0; i < desc.types.size(); ++i) {
        const int ms = desc.startSecond * 1000 + static_cast<int>(i) * 100;
        test::VideoBlock block;
        block.time = Time(2024, 5, 6, 7, ms / 60000, ms / 1000 % 60, ms % 1000);
        block.type = static_cast<std::uint8_t>(desc.types[i] - '0');
        block.payload = 50 + i;
        test::VideoRecord record;
        record.offset = static_cast<std::uint32_t>(data.size());
        data += test::VideoBlockBytes(block);
        record.size = static_cast<std::uint32_t>(data.size() - record.offset);
        record.time = block.time;
        record.type = block.type;
        index += test::VideoRecordBytes(record);
    }
    data += "\xFF\xD8\xFF\xFE"; // so the data-file scan also takes the last picture
    test::Trailer trailer;
    trailer.count = static_cast<std::uint32_t>(desc.types.size());
    trailer.codec = desc.types.find('1') != std::string::npos ? 1 : 2;
    index += test::TrailerBytes(trailer);
    const auto path = dir.Write(folder + "/" + desc.title + ".vdd", data);
    if (withIndex)
        dir.Write(folder + "/" + desc.title + ".vdx", index);
    return path.string();
}

class DriveRecChannelTest : public ::testing::Test {
protected:
    void AddFiles(const std::vector<FileDesc>& descs) {
        for (const auto& desc : descs)
            ASSERT_TRUE(channel_.AddFile(WriteVideoPair(dir_, "ch2/normal", desc)));
        ASSERT_TRUE(channel_.OpenFile(0));
    }
    std::int64_t Ms(int second, int ms = 0) {
        return ToRecorderMs(Time(2024, 5, 6, 7, second / 60, second % 60, ms));
    }

    test::ScopedTimeZone zone_{"UTC"};
    test::TempDir dir_;
    CDriveRecChannel channel_{1};
};

TEST_F(DriveRecChannelTest, EmptyChannelAnswersFalseEverywhere) {
    EXPECT_FALSE(channel_.NextFrame());
    EXPECT_FALSE(channel_.PrevFrame());
    EXPECT_FALSE(channel_.NextKeyFrameAfter(0));
    EXPECT_FALSE(channel_.PrevKeyFrame());
    EXPECT_FALSE(channel_.NextFrameAfter(0));
    EXPECT_FALSE(channel_.PrevFrameBefore(Ms(10)));
    EXPECT_FALSE(channel_.OpenFile(0));
    EXPECT_TRUE(channel_.ReadFrameData(0, 10).empty());
    EXPECT_TRUE(channel_.ReadFrameAt(0).empty());
    EXPECT_EQ(channel_.GetFileTitles().first, "0000000000");
    EXPECT_EQ(channel_.GetFileTitles().second, "0000000000");
    EXPECT_EQ(channel_.GetTimeSpan().first.wYear, 0);
}

TEST_F(DriveRecChannelTest, SteppingOverAFileEndTellsTheNoticeOnce) {
    AddFiles({{"0000000001,a", 0, "233"}, {"0000000002,b", 10, "23"}});
    NoticeSpy spy;
    channel_.SetFileNotice(&spy);
    EXPECT_CALL(spy, OnKeyChannelFileChanged(1)).Times(2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(channel_.NextFrame());
    EXPECT_EQ(channel_.m_nCurFile, 0);
    ASSERT_TRUE(channel_.NextFrame());
    EXPECT_EQ(channel_.m_nCurFile, 1);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 0);
    ASSERT_TRUE(channel_.NextFrame());
    EXPECT_FALSE(channel_.NextFrame()); // no file after the last
    EXPECT_EQ(channel_.CurrentFrameIndex(), 1);
    ASSERT_TRUE(channel_.PrevFrame());
    ASSERT_TRUE(channel_.PrevFrame()); // back into the first file, at its last frame
    EXPECT_EQ(channel_.m_nCurFile, 0);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 2);
}

TEST_F(DriveRecChannelTest, MovesByTimeAndKeyPicture) {
    AddFiles({{"0000000001,a", 0, "2332"}, {"0000000002,b", 10, "332"}});
    ASSERT_TRUE(channel_.NextKeyFrameAfter(0));
    EXPECT_EQ(channel_.CurrentFrameIndex(), 0);
    ASSERT_TRUE(channel_.NextKeyFrameAfter(Ms(0, 0)));
    EXPECT_EQ(channel_.CurrentFrameIndex(), 3);
    ASSERT_TRUE(channel_.NextKeyFrameAfter(Ms(0, 300)));
    EXPECT_EQ(channel_.m_nCurFile, 1);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 2);
    EXPECT_FALSE(channel_.NextKeyFrameAfter(0));

    ASSERT_TRUE(channel_.PrevFrameBefore(Ms(10, 50)));
    EXPECT_EQ(channel_.CurrentFrameIndex(), 0);
    ASSERT_TRUE(channel_.PrevFrameBefore(Ms(10, 0)));
    EXPECT_EQ(channel_.m_nCurFile, 0);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 3);
    ASSERT_TRUE(channel_.NextFrameAfter(Ms(10, 100)));
    EXPECT_EQ(channel_.m_nCurFile, 1);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 2);

    ASSERT_TRUE(channel_.PrevKeyFrame()); // nearest earlier intra: previous file's last
    EXPECT_EQ(channel_.m_nCurFile, 0);
    EXPECT_EQ(channel_.CurrentFrameIndex(), 3);
    ASSERT_TRUE(channel_.PrevKeyFrame());
    EXPECT_EQ(channel_.CurrentFrameIndex(), 0);
    EXPECT_FALSE(channel_.PrevKeyFrame()); // first intra of the first file
    EXPECT_EQ(channel_.CurrentFrameIndex(), -1);
}

TEST_F(DriveRecChannelTest, PrevKeyFrameOfJpegIsThePreviousPicture) {
    AddFiles({{"0000000001,a", 0, "111"}});
    channel_.CurrentFile()->m_nCurFrame = 2;
    ASSERT_TRUE(channel_.PrevKeyFrame());
    EXPECT_EQ(channel_.CurrentFrameIndex(), 1);
}

TEST_F(DriveRecChannelTest, ReadsBlocksAndRejectsRangesPastTheFile) {
    AddFiles({{"0000000001,a", 0, "23"}});
    const FRAMEINFOVIDEO frame = *channel_.m_arrFiles[0].GetFrameInfo(1);
    const auto block = channel_.ReadFrameData(frame.dwOffset, frame.dwSize);
    ASSERT_EQ(block.size(), frame.dwSize);
    EXPECT_EQ(block[0], 0xFF);
    EXPECT_EQ(block[3], 0xFE);
    EXPECT_EQ(channel_.m_nLastSize, static_cast<int>(frame.dwSize));
    EXPECT_TRUE(channel_.ReadFrameData(frame.dwOffset, 4000000000u).empty());
    EXPECT_TRUE(channel_.ReadFrameData(4000000000u, 10).empty());
    EXPECT_EQ(channel_.m_nBufSize, kInitialFrameBufferSize);

    const auto copy = channel_.ReadFrameAt(0, 1);
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), block.begin(), block.end()));
    EXPECT_TRUE(channel_.ReadFrameAt(0, 5).empty());
}

TEST_F(DriveRecChannelTest, SpanAndTitles) {
    AddFiles({{"0000000001,a", 0, "23"}, {"0000000002,b", 10, "233"}});
    const auto [first, last] = channel_.GetTimeSpan();
    EXPECT_EQ(ToRecorderMs(first), Ms(0));
    EXPECT_EQ(ToRecorderMs(last), Ms(10, 200));
    EXPECT_EQ(channel_.GetFileTitles().first, "0000000001,a");
    EXPECT_EQ(channel_.GetFileTitles().second, "0000000002,b");
}

TEST_F(DriveRecChannelTest, LoadsTheFilesThatOverlapARange) {
    WriteVideoPair(dir_, "ch1/event", {"0000000001,a", 0, "2333"});
    WriteVideoPair(dir_, "ch1/event", {"0000000002,b", 20, "2333"}, false); // data file only
    WriteVideoPair(dir_, "ch1/event", {"0000000003,c", 40, "2333"});
    WriteVideoPair(dir_, "ch1/event", {"0000000004,d", 60, "2333"});
    const std::string folder = (dir_.Path() / "ch1/event").string();
    ASSERT_TRUE(channel_.LoadFilesInRange(folder, Time(2024, 5, 6, 7, 0, 20, 200),
                                          Time(2024, 5, 6, 7, 0, 40)));
    ASSERT_EQ(channel_.m_arrFiles.size(), 2u);
    EXPECT_EQ(channel_.GetFileTitles().first, "0000000002,b");
    EXPECT_EQ(channel_.GetFileTitles().second, "0000000003,c");

    CDriveRecChannel none;
    EXPECT_FALSE(none.LoadFilesInRange(folder, Time(2025, 1, 1), Time(2025, 1, 2)));

    CDriveRecChannel byName;
    ASSERT_TRUE(byName.LoadFilesByName(folder, "0000000002,x", "0000000003,y"));
    EXPECT_EQ(byName.m_arrFiles.size(), 2u);
}

TEST_F(DriveRecChannelTest, ARangeTakesOnlyTheNewestStretchThatOverlapsIt) {
    // The recorder's clock went back before the last file: two stretches hold the range.
    WriteVideoPair(dir_, "ch1/event", {"0000000001,a", 20, "2333"});
    WriteVideoPair(dir_, "ch1/event", {"0000000002,b", 60, "2333"});
    WriteVideoPair(dir_, "ch1/event", {"0000000003,c", 20, "2333"});
    WriteVideoPair(dir_, "ch1/event", {"0000000004,d", 30, "2333"});
    const std::string folder = (dir_.Path() / "ch1/event").string();
    const std::vector<std::string> paths =
        FilesInTimeRange(folder, kVideoDataExt, Time(2024, 5, 6, 7, 0, 20, 200),
                         Time(2024, 5, 6, 7, 0, 40), ReadVideoFileTimes);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(TitleOfPath(paths[0]), "0000000003,c");
    EXPECT_EQ(TitleOfPath(paths[1]), "0000000004,d");
}

TEST(VideoFileTimes, FromIndexOrDataFile) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    const std::string path = WriteVideoPair(dir, "ch1/event", {"1,a", 3, "2333"});
    SYSTEMTIME first, last;
    ASSERT_TRUE(ReadVideoFileTimes(path, first, last));
    EXPECT_EQ(first.wSecond, 3);
    EXPECT_EQ(last.wMilliseconds, 300);
    dir.Write("ch1/event/1,a.vdx", "");
    ASSERT_TRUE(ReadVideoFileTimes(path, first, last));
    EXPECT_EQ(last.wMilliseconds, 300);
    dir.Write("ch1/event/1,a.vdd", "nothing here");
    EXPECT_FALSE(ReadVideoFileTimes(path, first, last));
}

// Audio: blocks of one value per file so the slots show where they came from.
std::string WriteAudioPair(const test::TempDir& dir, const std::string& title, int blocks,
                           int startSecond, std::uint8_t value) {
    std::string data, index;
    for (int i = 0; i < blocks; ++i) {
        const int ms = startSecond * 1000 + i * 100;
        test::AudioRecord record;
        record.offset = static_cast<std::uint32_t>(data.size());
        record.time = Time(2024, 5, 6, 7, 0, ms / 1000, ms % 1000);
        data += test::AudioBlockBytes(record.time, value);
        index += test::AudioRecordBytes(record);
    }
    test::Trailer trailer;
    trailer.streamType = 2;
    trailer.codec = 101;
    trailer.count = static_cast<std::uint32_t>(blocks);
    dir.Write("audio/normal/" + title + ".adx", index + test::TrailerBytes(trailer));
    return dir.Write("audio/normal/" + title + ".add", data).string();
}

TEST(DriveRecAudio, ReadSecondContinuesIntoTheNextFileThenSilence) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    CDriveRecAudio audio;
    ASSERT_TRUE(audio.AddFile(WriteAudioPair(dir, "1,a", 13, 0, 0x11)));
    ASSERT_TRUE(audio.AddFile(WriteAudioPair(dir, "2,b", 12, 2, 0x22)));

    auto second = audio.ReadSecond(0, 10);
    ASSERT_EQ(second.size(), kAudioSecondBytes);
    EXPECT_EQ(second[0], 0x11);
    EXPECT_EQ(second[3 * 800 - 1], 0x11);
    EXPECT_EQ(second[3 * 800], 0x22);
    EXPECT_EQ(second[7999], 0x22);
    EXPECT_EQ(audio.m_nCurFile, 1);
    EXPECT_EQ(audio.m_arrFiles[1].m_nCurFrame, 7);

    second = audio.ReadSecond(1, -1); // five blocks left, then silence
    ASSERT_EQ(second.size(), kAudioSecondBytes);
    EXPECT_EQ(second[5 * 800 - 1], 0x22);
    EXPECT_EQ(second[5 * 800], 0x00);
    EXPECT_EQ(audio.m_arrFiles[1].m_nCurFrame, -1);
    EXPECT_TRUE(audio.ReadSecond(1, -1).empty());
    EXPECT_TRUE(audio.ReadSecond(5, 0).empty());

    ASSERT_TRUE(audio.SeekTo(ToRecorderMs(Time(2024, 5, 6, 7, 0, 2, 450))));
    EXPECT_EQ(audio.m_nCurFile, 1);
    EXPECT_EQ(audio.m_arrFiles[1].m_nCurFrame, 4);
}

TEST(DriveRecAudio, TruncatedDataFileFailsTheRead) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    CDriveRecAudio audio;
    const std::string path = WriteAudioPair(dir, "1,a", 10, 0, 0x11);
    ASSERT_TRUE(audio.AddFile(path));
    std::filesystem::resize_file(path, 820 * 5 + 100);
    EXPECT_TRUE(audio.ReadSecond(0, 0).empty());
}

TEST(DriveRecAudio, FilesInRangeUseTheDataFileWithoutIndex) {
    test::ScopedTimeZone zone("UTC");
    test::TempDir dir;
    WriteAudioPair(dir, "1,a", 30, 0, 1);
    WriteAudioPair(dir, "2,b", 30, 10, 2);
    std::filesystem::remove(dir.Path() / "audio/normal/2,b.adx");
    SYSTEMTIME first, last;
    ASSERT_TRUE(ReadAudioFileTimes((dir.Path() / "audio/normal/2,b.add").string(), first, last));
    EXPECT_EQ(first.wSecond, 10);
    CDriveRecAudio audio;
    ASSERT_TRUE(audio.LoadFilesInRange((dir.Path() / "audio/normal").string(),
                                       Time(2024, 5, 6, 7, 0, 11), Time(2024, 5, 6, 7, 0, 12)));
    ASSERT_EQ(audio.m_arrFiles.size(), 1u);
    EXPECT_EQ(audio.m_arrFiles[0].m_nFrameCount, 29); // scanned: the last block is not taken
}

} // namespace
} // namespace trevix
