#include "recorder/InfoVdxFile.h"

#include "tests/support/RecorderFileBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace trevix {
namespace {

using test::Trailer;
using test::TrailerBytes;
using test::VideoBlock;
using test::VideoBlockBytes;
using test::VideoRecord;
using test::VideoRecordBytes;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Records placed one after the other, 1000 bytes each, a second apart from 07:08:09.
std::vector<VideoRecord> Sequence(int count, std::uint8_t version = 2) {
    std::vector<VideoRecord> records;
    for (int i = 0; i < count; ++i) {
        VideoRecord r;
        r.version = version;
        r.offset = static_cast<std::uint32_t>(i * 1000);
        r.time = test::Time(2024, 5, 6, 7, 8, 9 + i, 100);
        r.type = i % 3 == 0 ? 2 : 3;
        records.push_back(r);
    }
    return records;
}

std::string Index(const std::vector<VideoRecord>& records, Trailer trailer, bool old = false) {
    std::string out;
    for (const auto& r : records)
        out += VideoRecordBytes(r);
    return out + TrailerBytes(trailer, old);
}

Trailer TrailerFor(std::size_t count) {
    Trailer t;
    t.count = static_cast<std::uint32_t>(count);
    t.channel = 2;
    t.eventCode = 4;
    t.eventCodeEx = 3;
    return t;
}

class InfoVdxFileTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone_{"UTC"};
    CInfoVdxFile file_;
    const std::string path_ = "/card/ch3/event/0000000001,2024.05.06 07.08.09.vdd";
};

TEST_F(InfoVdxFileTest, WholeIndexConvertsEveryField) {
    VideoRecord r;
    r.offset = 0;
    r.size = 4321;
    r.lat = -3530.12345; // rounded to 3530.1235 first
    r.lon = -13942.5;
    r.gx = -1500;
    r.gy = 250;
    r.gz = 1000;
    r.gpsA = 7;
    r.gpsB = 8;
    r.gpsC = 9;
    r.aux = 0x0C;
    r.flags = 2;
    r.eventCode = 64;
    r.speedRaw = 321;
    r.eventCodeEx = 2;
    r.time.wDayOfWeek = 1;
    Trailer t = TrailerFor(1);
    t.drid = "ABCDEFGHIJKLMNOP";
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index({r}, t)), {}, path_));

    EXPECT_EQ(file_.m_strName, "/card/ch3/event/0000000001,2024.05.06 07.08.09.vdx");
    EXPECT_EQ(file_.GetDataPath(), path_);
    EXPECT_EQ(file_.m_nIndexVer, 1);
    EXPECT_EQ(file_.m_nChannel, 2);
    EXPECT_EQ(file_.m_nEventCode, 4);
    EXPECT_EQ(file_.m_nEventCodeEx, 3);
    EXPECT_EQ(file_.m_strDRID, "ABCDEFGHIJ");
    EXPECT_EQ(file_.m_strSDID, "SD-0002");
    ASSERT_EQ(file_.m_nFrameCount, 1);
    const FRAMEINFOVIDEO& f = *file_.GetFrameInfo(0);
    EXPECT_EQ(f.dwSize, 4321u);
    EXPECT_EQ(f.stTime.wDayOfWeek, 1);
    EXPECT_EQ(f.gps.chLatHemi, 'S');
    EXPECT_EQ(f.gps.wLatDeg, 35);
    EXPECT_EQ(f.gps.wLatMin, 30);
    EXPECT_NEAR(f.gps.fLatSec, 0.1235 * 60, 1e-3);
    EXPECT_EQ(f.gps.chLonHemi, 'W');
    EXPECT_EQ(f.gps.wLonDeg, 139);
    EXPECT_EQ(f.gps.wLonMin, 42);
    EXPECT_NEAR(f.gps.fLonSec, 30.0, 1e-3);
    EXPECT_EQ(f.gps.byGpsValid, 1);
    EXPECT_FLOAT_EQ(f.fGx, -1.5f);
    EXPECT_FLOAT_EQ(f.fGy, 0.25f);
    EXPECT_EQ(f.gps.wGpsA, 7);
    EXPECT_EQ(f.gps.wGpsB, 8);
    EXPECT_EQ(f.gps.wGpsC, 9);
    EXPECT_EQ(f.byAux, 0x0C);
    EXPECT_EQ(f.byFlags, 2);
    EXPECT_EQ(f.byEventCode, 64);
    EXPECT_EQ(f.wSpeedRaw, 321);
    EXPECT_EQ(f.byEventCodeEx, 2);
}

TEST_F(InfoVdxFileTest, RecordsOutOfOrderOrOutOfRangeAreSkipped) {
    auto records = Sequence(9);
    records[1].offset = 500;           // starts inside the previous block
    records[2].offset = 2000 + 500001; // too far after the previous start
    records[3].size = 500001;          // oversized block
    records[4].magic = 0xDD0000A2;     // audio record in a video index
    records[5].time.wMonth = 13;       // time check
    records[6].type = 4;               // not an indexed frame type
    records[7].time.wMilliseconds = 1000;
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(records, TrailerFor(9))), {}, path_));
    ASSERT_EQ(file_.m_nFrameCount, 2);
    EXPECT_EQ(file_.m_pFrames[0].dwOffset, 0u);
    EXPECT_EQ(file_.m_pFrames[1].dwOffset, 8000u);
}

TEST_F(InfoVdxFileTest, OlderTrailerHasNoIdentifiersAndSixtySixByteRecords) {
    Trailer t = TrailerFor(3);
    t.indexVer = 0;
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(Sequence(3, 1), t, true)), {}, path_));
    EXPECT_EQ(file_.m_nFrameCount, 3);
    EXPECT_TRUE(file_.m_strDRID.empty());
    EXPECT_EQ(file_.m_pFrames[2].byEventCodeEx, 0);
}

TEST_F(InfoVdxFileTest, TrailerCountBeyondTheFileReadsWhatIsThere) {
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(Sequence(4), TrailerFor(0xFFFFFFFF))), {}, path_));
    EXPECT_EQ(file_.m_nFrameCount, 4);
    EXPECT_LE(file_.m_pFrames.capacity(), 6u);
}

TEST_F(InfoVdxFileTest, DamagedTrailerIsSalvagedByRecordSize) {
    std::string index = Index(Sequence(5), TrailerFor(5));
    index[index.size() - 92] = 0; // trailer magic broken: 92 bytes = one record + 23
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(index), {}, path_));
    EXPECT_EQ(file_.m_nFrameCount, 5);
    EXPECT_EQ(file_.m_nStreamType, kStreamVideo);
    EXPECT_EQ(file_.m_nCodec, kCodecMpeg4);
    EXPECT_EQ(file_.m_nChannel, 0);
    EXPECT_EQ(file_.m_nIndexVer, 0); // version byte of the trailer read as a record
}

TEST_F(InfoVdxFileTest, SalvagedAudioMagicsGiveTheAudioCodec) {
    auto records = Sequence(2);
    for (auto& r : records)
        r.magic = 0xDD0000A2;
    std::string index = Index(records, TrailerFor(2));
    index[index.size() - 92] = 0;
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(index), {}, path_));
    EXPECT_EQ(file_.m_nFrameCount, 2);
    EXPECT_EQ(file_.m_nCodec, kCodecG711);
    EXPECT_EQ(file_.m_nStreamType, kStreamAudio);
}

TEST_F(InfoVdxFileTest, KeyPictureFilter) {
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(Sequence(9), TrailerFor(9))), {}, path_, 1000));
    ASSERT_EQ(file_.m_nFrameCount, 3);
    for (const auto& f : file_.m_pFrames)
        EXPECT_EQ(f.byType, 2);

    auto jpeg = Sequence(4);
    for (auto& r : jpeg)
        r.type = 1;
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(jpeg, TrailerFor(4))), {}, path_, 1000));
    EXPECT_EQ(file_.m_nFrameCount, 4);
}

TEST_F(InfoVdxFileTest, EpochDayAndNormalFolder) {
    auto records = Sequence(1);
    records[0].time = test::Time(1970, 1, 1, 0, 0, 0);
    const std::string normal = "/card/ch1/normal/0000000001,x.vdd";
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(records, TrailerFor(1))), {}, normal));
    EXPECT_EQ(file_.m_pFrames[0].stTime.wDay, 2);
    EXPECT_EQ(file_.m_nEventCode, 0);
}

TEST(RecorderPosition, PlausibilityByMapType) {
    EXPECT_EQ(ConvertRecorderPosition(1, 3500.0, 13942.0, 2).byGpsValid, 0);
    EXPECT_EQ(ConvertRecorderPosition(1, 3500.0, 13942.0, 3).byGpsValid, 0);
    EXPECT_EQ(ConvertRecorderPosition(1, 3500.0, 13942.0, 0).byGpsValid, 1);
    EXPECT_EQ(ConvertRecorderPosition(1, 3500.0, 12942.0, 2).byGpsValid, 1);
    EXPECT_EQ(ConvertRecorderPosition(1, 0.0, 0.0, 0).byGpsValid, 0);
    EXPECT_EQ(ConvertRecorderPosition(1, 0.0, 1.0, 0).byGpsValid, 1);
    EXPECT_EQ(ConvertRecorderPosition(0, 3500.0, 12942.0, 0).byGpsValid, 0);
    EXPECT_EQ(ConvertRecorderPosition(1, 9000.0001, 0.0, 4).byGpsValid, 0);
    // Values no recorder writes must not break the 16-bit fields.
    const GPSINFO odd = ConvertRecorderPosition(1, std::nan(""), 1e300, 4);
    EXPECT_EQ(odd.byGpsValid, 0);
    EXPECT_EQ(odd.wLonDeg, 0);
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(-1.00005001), -1.0001);
}

std::string DataFile(const std::vector<VideoBlock>& blocks) {
    std::string out;
    for (const auto& b : blocks)
        out += VideoBlockBytes(b);
    return out;
}

std::vector<VideoBlock> BlockSequence(int count) {
    std::vector<VideoBlock> blocks;
    for (int i = 0; i < count; ++i) {
        VideoBlock b;
        b.time = test::Time(2024, 5, 6, 7, 8, 9 + i, 250);
        b.type = i == 0 ? 2 : 3;
        b.phase = 3;
        b.eventCode = static_cast<std::uint8_t>(i == 0 ? 2 : 9);
        b.payload = 100 + static_cast<std::size_t>(i);
        blocks.push_back(b);
    }
    return blocks;
}

TEST_F(InfoVdxFileTest, DataScanTakesEveryBlockButTheLast) {
    const std::string data = "garbage\xFF\xD8" + DataFile(BlockSequence(4));
    ASSERT_TRUE(file_.LoadFromBytes({}, Bytes(data), path_));
    ASSERT_EQ(file_.m_nFrameCount, 3);
    EXPECT_EQ(file_.m_pFrames[0].dwOffset, 9u);
    EXPECT_EQ(file_.m_pFrames[0].dwSize, 66u + 100);
    EXPECT_EQ(file_.m_pFrames[1].dwOffset, 9u + 166);
    EXPECT_EQ(file_.m_pFrames[1].stTime.wSecond, 10);
    EXPECT_EQ(file_.m_pFrames[1].stTime.wMilliseconds, 250);
    EXPECT_FLOAT_EQ(file_.m_pFrames[0].fGz, 1.0f);
    EXPECT_EQ(file_.m_nChannel, 2);
    EXPECT_EQ(file_.m_nStreamType, kStreamVideo);
    EXPECT_EQ(file_.m_nCodec, kCodecMpeg4);
    EXPECT_EQ(file_.m_nIndexVer, 0);
    // Garbage before the first block hides the first block's header walk: last block's code.
    EXPECT_EQ(file_.m_nEventCode, 9);
    EXPECT_EQ(file_.m_strName, "/card/ch3/event/0000000001,2024.05.06 07.08.09.vdx");
}

TEST_F(InfoVdxFileTest, DataScanEventCodeComesFromTheFirstBlock) {
    auto blocks = BlockSequence(3);
    ASSERT_TRUE(file_.LoadFromBytes({}, Bytes(DataFile(blocks)), path_));
    EXPECT_EQ(file_.m_nEventCode, 2);
    blocks[1].phase = 1; // a normal-recording block clears it
    ASSERT_TRUE(file_.LoadFromBytes({}, Bytes(DataFile(blocks)), path_));
    EXPECT_EQ(file_.m_nEventCode, 0);
}

TEST_F(InfoVdxFileTest, DataScanSkipsBadBlocksAndSetsTheJpegCodec) {
    auto blocks = BlockSequence(5);
    for (auto& b : blocks)
        b.type = 1;
    blocks[1].time.wHour = 24;
    ASSERT_TRUE(file_.LoadFromBytes({}, Bytes(DataFile(blocks)), path_, 1000));
    EXPECT_EQ(file_.m_nFrameCount, 3);
    EXPECT_EQ(file_.m_nCodec, kCodecJpeg);
}

TEST_F(InfoVdxFileTest, TinyOrEmptyDataFiles) {
    EXPECT_FALSE(file_.LoadFromBytes({}, {}, path_));
    EXPECT_TRUE(file_.m_strName.empty());
    EXPECT_TRUE(file_.LoadFromBytes({}, Bytes("\xFF"), path_));
    EXPECT_EQ(file_.m_nFrameCount, 0);
    // A marker whose header runs past the end, followed by a marker.
    EXPECT_TRUE(
        file_.LoadFromBytes({}, Bytes(std::string("\xFF\xD8\xFF\xFE\xFF\xD8\xFF\xFE")), path_));
    EXPECT_EQ(file_.m_nFrameCount, 0);
}

TEST_F(InfoVdxFileTest, CursorHelpers) {
    EXPECT_FLOAT_EQ(file_.GetFrameRate(), 1.0f);
    ASSERT_TRUE(file_.LoadFromBytes(Bytes(Index(Sequence(8), TrailerFor(8))), {}, path_));
    EXPECT_FLOAT_EQ(file_.GetFrameRate(), 8.0f / 7.0f);
    EXPECT_EQ(file_.GetFrameInfo(), nullptr);
    EXPECT_EQ(file_.GetFrameInfo(8), nullptr);
    EXPECT_EQ(file_.FindLastKeyFrame(), 6);
    EXPECT_EQ(file_.GetFrameInfo()->dwOffset, 6000u);
    file_.m_nCodec = kCodecJpeg;
    EXPECT_EQ(file_.FindLastKeyFrame(), 7);
    file_.m_nCodec = 9;
    EXPECT_EQ(file_.FindLastKeyFrame(), 7);
}

TEST_F(InfoVdxFileTest, LoadsFilesAndFallsBackToTheDataFile) {
    test::TempDir dir;
    const auto data = dir.Write("ch2/event/0000000007,a.vdd", DataFile(BlockSequence(3)));
    ASSERT_TRUE(file_.Load(data.string()));
    EXPECT_EQ(file_.m_nFrameCount, 2);
    EXPECT_EQ(file_.m_nChannel, 1);

    dir.Write("ch2/event/0000000007,a.vdx", Index(Sequence(5), TrailerFor(5)));
    ASSERT_TRUE(file_.Load(data.string()));
    EXPECT_EQ(file_.m_nFrameCount, 5);

    dir.Write("ch2/event/0000000007,a.vdx", "short"); // shorter than a trailer
    ASSERT_TRUE(file_.Load(data.string()));
    EXPECT_EQ(file_.m_nFrameCount, 2);

    EXPECT_FALSE(file_.Load((dir.Path() / "ch2/event/missing.vdd").string()));
}

} // namespace
} // namespace trevix
