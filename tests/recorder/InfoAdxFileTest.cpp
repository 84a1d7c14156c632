#include "recorder/InfoAdxFile.h"

#include "tests/support/RecorderFileBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace trevix {
namespace {

using test::AudioBlockBytes;
using test::AudioRecord;
using test::AudioRecordBytes;
using test::Time;
using test::Trailer;
using test::TrailerBytes;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Trailer AudioTrailer(std::uint32_t count) {
    Trailer t;
    t.streamType = 2;
    t.codec = 101;
    t.count = count;
    return t;
}

std::string AudioIndex(int count, Trailer trailer, std::uint32_t magic = 0xDD0000A2) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        AudioRecord r;
        r.magic = magic;
        r.offset = static_cast<std::uint32_t>(i * 820);
        r.time = Time(2024, 5, 6, 7, 8, 9, i * 100);
        out += AudioRecordBytes(r);
    }
    return out + TrailerBytes(trailer);
}

const std::string kPath = "/card/audio/event/0000000001,x.add";

TEST(InfoAdxFile, NewObjectDefaults) {
    const CInfoAdxFile file;
    EXPECT_EQ(file.m_nFrameCount, 0);
    EXPECT_EQ(file.m_nCurFrame, -1);
    EXPECT_EQ(file.m_nIndexVer, 1);
    EXPECT_EQ(file.m_nStreamType, kStreamAudio);
    EXPECT_EQ(file.m_nCodec, kCodecG711);
}

TEST(InfoAdxFile, IndexRecordsAreTakenAsTheyStand) {
    CInfoAdxFile file;
    ASSERT_TRUE(file.LoadFromBytes(Bytes(AudioIndex(5, AudioTrailer(5))), {}, kPath));
    ASSERT_EQ(file.m_nFrameCount, 5);
    EXPECT_EQ(file.m_pFrames[3].dwOffset, 3u * 820);
    EXPECT_EQ(file.m_pFrames[3].dwSize, 800u);
    EXPECT_EQ(file.m_pFrames[3].stTime.wMilliseconds, 300);
    EXPECT_EQ(file.m_strName, "/card/audio/event/0000000001,x.adx");
    EXPECT_EQ(file.GetDataPath(), kPath);
    EXPECT_EQ(file.m_strDRID, "DR-0001");
}

TEST(InfoAdxFile, VideoStreamTypeExpectsVideoMagics) {
    Trailer t = AudioTrailer(4);
    t.streamType = 1;
    CInfoAdxFile file;
    ASSERT_TRUE(file.LoadFromBytes(Bytes(AudioIndex(4, t)), {}, kPath));
    EXPECT_EQ(file.m_nFrameCount, 0);
}

TEST(InfoAdxFile, DamagedTrailerSalvagesThirtyFiveByteRecords) {
    std::string index = AudioIndex(3, AudioTrailer(3));
    index[index.size() - 92] = 0;
    CInfoAdxFile file;
    ASSERT_TRUE(file.LoadFromBytes(Bytes(index), {}, kPath));
    EXPECT_EQ(file.m_nFrameCount, 3); // the trailer's 92 bytes fail the magic test
    EXPECT_EQ(file.m_nStreamType, kStreamAudio);
    EXPECT_EQ(file.m_nCodec, kCodecG711);
}

TEST(InfoAdxFile, ScanFindsBlocksAfterGarbageAndChecksTheirTime) {
    std::string data = "noise";
    data += "\xFF\xD9";
    for (int i = 0; i < 4; ++i)
        data += AudioBlockBytes(Time(i == 1 ? 2051 : 2024, 5, 6, 7, 8, 9, i * 100));
    CInfoAdxFile file;
    ASSERT_TRUE(file.LoadFromBytes({}, Bytes(data), kPath));
    // Block 1 is dated 2051 and the last block is never taken.
    ASSERT_EQ(file.m_nFrameCount, 2);
    EXPECT_EQ(file.m_pFrames[0].dwOffset, 7u);
    EXPECT_EQ(file.m_pFrames[1].dwOffset, 7u + 2 * 820);
    EXPECT_EQ(file.m_pFrames[1].dwSize, 800u);
    EXPECT_EQ(file.m_nIndexVer, 0);
    EXPECT_EQ(file.m_strName, "/card/audio/event/0000000001,x.adx");
}

TEST(InfoAdxFile, ScanOfTinyFiles) {
    CInfoAdxFile file;
    EXPECT_FALSE(file.LoadFromBytes({}, {}, kPath));
    EXPECT_TRUE(file.LoadFromBytes({}, Bytes("\xFF"), kPath));
    EXPECT_EQ(file.m_nFrameCount, 0);
    // A separator right after the block start: the time would lie past the end.
    EXPECT_TRUE(
        file.LoadFromBytes({}, Bytes(std::string("\xFF\xD8\0\0\xFF\xD9\xFF\xD8", 8)), kPath));
    EXPECT_EQ(file.m_nFrameCount, 0);
}

TEST(InfoAdxFile, LoadsFromFiles) {
    test::TempDir dir;
    std::string data;
    for (int i = 0; i < 3; ++i)
        data += AudioBlockBytes(Time(2024, 5, 6, 7, 8, 9, i * 100));
    const auto path = dir.Write("audio/event/0000000001,x.add", data);
    CInfoAdxFile file;
    ASSERT_TRUE(file.Load(path.string()));
    EXPECT_EQ(file.m_nFrameCount, 2);
    dir.Write("audio/event/0000000001,x.adx", AudioIndex(3, AudioTrailer(3)));
    ASSERT_TRUE(file.Load(path.string()));
    EXPECT_EQ(file.m_nFrameCount, 3);
}

} // namespace
} // namespace trevix
