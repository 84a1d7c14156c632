// The card generator's single-file writers, read back with the viewer's own readers, and its
// text description.
#include "tools/mkcard/ConfigFiles.h"
#include "tools/mkcard/Damage.h"
#include "tools/mkcard/DriveModel.h"
#include "tools/mkcard/LogFile.h"
#include "tools/mkcard/Picture.h"
#include "tools/mkcard/RecorderFiles.h"
#include "tools/mkcard/DescText.h"
#include "tools/mkcard/WallClock.h"

#include "platform/ProfileStore.h"
#include "recorder/CardLayout.h"
#include "recorder/InfoAdxFile.h"
#include "recorder/InfoLogFile.h"
#include "recorder/InfoVdxFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace trevix::mkcard {
namespace {

const std::int64_t kNoon = WallMs(2024, 5, 17, 12, 0, 0);

FrameFields SampleFields(int frame) {
    FrameFields f;
    f.wallMs = kNoon + frame * 200;
    f.type = frame == 0 ? FrameType::Intra : FrameType::Predicted;
    f.phase = Phase::FromTrigger;
    f.gx = -1234;
    f.gy = 250;
    f.gz = 980;
    f.gpsValid = true;
    f.latitude = 3730.1234;
    f.longitude = 12700.5678;
    f.gpsA = 9;
    f.gpsB = 42;
    f.gpsC = 181;
    f.carSignal = 0x0C;
    f.flags = 0x02;
    f.eventCode = 32;
    f.eventCodeEx = 3;
    f.speedRaw = 77;
    return f;
}

// A .vdd/.vdx pair of three blocks with dummy MPEG-4 payloads of different lengths.
struct VideoPair {
    Bytes data;
    std::vector<Bytes> records;
};

VideoPair MakePair(RecordForm form) {
    VideoPair pair;
    for (int frame = 0; frame < 3; ++frame) {
        const Bytes stream(40 + frame * 13, 0x00);
        Bytes payload = {0x00, 0x00, 0x01, 0xB6};
        payload.insert(payload.end(), stream.begin(), stream.end());
        const Bytes block = MakeMpeg4Block(SampleFields(frame), payload);
        pair.records.push_back(MakeVideoRecord(SampleFields(frame),
                                               static_cast<std::uint32_t>(pair.data.size()),
                                               static_cast<std::uint32_t>(block.size()), form));
        Append(pair.data, block);
    }
    return pair;
}

TrailerFields VideoTrailer(std::uint32_t count) {
    TrailerFields t;
    t.channel = 2;
    t.eventCode = 32;
    t.codec = 2;
    t.recordCount = count;
    t.drid = "DRID123456789";
    t.sdid = "CARD42";
    t.eventCodeEx = 3;
    return t;
}

TEST(MkcardVideoFormat, IndexAndDataFileReadBackWithEveryField) {
    const VideoPair pair = MakePair(RecordForm::Long69);
    const Bytes index = MakeIndexFile(pair.records, VideoTrailer(3), {});
    CInfoVdxFile fromIndex;
    ASSERT_TRUE(fromIndex.LoadFromBytes(index, pair.data, "/card/ch3/event/1,x.vdd"));
    ASSERT_EQ(fromIndex.m_nFrameCount, 3);
    EXPECT_EQ(fromIndex.m_nChannel, 2);
    EXPECT_EQ(fromIndex.m_nEventCode, 32);
    EXPECT_EQ(fromIndex.m_nEventCodeEx, 3);
    EXPECT_EQ(fromIndex.m_strDRID, "DRID123456"); // first 10 characters
    EXPECT_EQ(fromIndex.m_strSDID, "CARD42");

    // Without index the reader walks the data file's blocks and reads their frame headers;
    // it never takes the last block.
    CInfoVdxFile fromData;
    ASSERT_TRUE(fromData.LoadFromBytes({}, pair.data, "/card/ch3/event/1,x.vdd"));
    ASSERT_EQ(fromData.m_nFrameCount, 2);
    for (int i = 0; i < 2; ++i) {
        for (const CInfoVdxFile* file : {&fromIndex, &fromData}) {
            const FRAMEINFOVIDEO& f = file->m_pFrames[i];
            SCOPED_TRACE(file == &fromIndex ? "index" : "data");
            EXPECT_EQ(f.dwOffset, i == 0 ? 0u : fromIndex.m_pFrames[0].dwSize);
            EXPECT_EQ(f.stTime.wYear, 2024);
            EXPECT_EQ(f.stTime.wHour, 12);
            EXPECT_EQ(f.stTime.wMilliseconds, i * 200);
            EXPECT_EQ(f.byType, i == 0 ? 2 : 3);
            EXPECT_EQ(f.byPhase, 3);
            EXPECT_FLOAT_EQ(f.fGx, -1.234f);
            EXPECT_FLOAT_EQ(f.fGz, 0.98f);
            EXPECT_EQ(f.gps.byGpsValid, 1);
            EXPECT_EQ(f.gps.wLatDeg, 37);
            EXPECT_EQ(f.gps.wLatMin, 30);
            EXPECT_EQ(f.gps.wLonDeg, 127);
            EXPECT_EQ(f.gps.wGpsA, 9);
            EXPECT_EQ(f.gps.wGpsB, 42);
            EXPECT_EQ(f.gps.wGpsC, 181);
            EXPECT_EQ(f.byAux, 0x0C);
            EXPECT_EQ(f.byFlags, 0x02);
            EXPECT_EQ(f.byEventCode, 32);
            EXPECT_EQ(f.wSpeedRaw, 77);
        }
        EXPECT_EQ(fromIndex.m_pFrames[i].dwSize, fromData.m_pFrames[i].dwSize);
        EXPECT_EQ(fromIndex.m_pFrames[i].byEventCodeEx, 3);
    }
}

TEST(MkcardVideoFormat, IndexFormsChangeWhatTheReaderFinds) {
    const VideoPair longPair = MakePair(RecordForm::Long69);
    const VideoPair shortPair = MakePair(RecordForm::Short66);
    const std::string path = "/card/ch1/event/1,x.vdd";

    // 66-byte records: no extended code in the records, the file holds 3 x 66 + 92 bytes.
    const Bytes shortIndex =
        MakeIndexFile(shortPair.records, VideoTrailer(3), {RecordForm::Short66});
    EXPECT_EQ(shortIndex.size(), 3u * 66 + 92);
    CInfoVdxFile shortRecords;
    ASSERT_TRUE(shortRecords.LoadFromBytes(shortIndex, shortPair.data, path));
    ASSERT_EQ(shortRecords.m_nFrameCount, 3);
    EXPECT_EQ(shortRecords.m_pFrames[2].byEventCodeEx, 0);

    // The older trailer: 26 bytes, no identifiers.
    const Bytes oldIndex =
        MakeIndexFile(longPair.records, VideoTrailer(3), {RecordForm::Long69, TrailerForm::Old});
    EXPECT_EQ(oldIndex.size(), 3u * 69 + 26);
    CInfoVdxFile old;
    ASSERT_TRUE(old.LoadFromBytes(oldIndex, longPair.data, path));
    EXPECT_EQ(old.m_nFrameCount, 3);
    EXPECT_TRUE(old.m_strDRID.empty());

    // Records cut short: the trailer still counts three, the reader keeps the one there is.
    IndexForm cut;
    cut.cutShort = true;
    CInfoVdxFile cutShort;
    ASSERT_TRUE(cutShort.LoadFromBytes(MakeIndexFile(longPair.records, VideoTrailer(3), cut),
                                       longPair.data, path));
    EXPECT_EQ(cutShort.m_nFrameCount, 1);

    // A damaged trailer is salvaged record by record.
    const Bytes damaged = MakeIndexFile(longPair.records, VideoTrailer(3),
                                        {RecordForm::Long69, TrailerForm::Damaged});
    EXPECT_NE(recindex::Le32(damaged.data() + damaged.size() - 92), kTrailerMagic);
    EXPECT_NE(recindex::Le32(damaged.data() + damaged.size() - 26), kTrailerMagic);
    CInfoVdxFile salvaged;
    ASSERT_TRUE(salvaged.LoadFromBytes(damaged, longPair.data, path));
    EXPECT_EQ(salvaged.m_nFrameCount, 3);
    EXPECT_TRUE(salvaged.m_strDRID.empty()); // no trailer was taken
}

TEST(MkcardVideoFormat, JpegBlockKeepsOnlyTheFrameHeaderComment) {
    // A JPEG file with its own APP0 and comment segments in front of the quantisation table.
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J',  'F',  0xFF, 0xFE,
                        0x00, 0x03, 'x',  0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9};
    const Bytes block = MakeJpegBlock(SampleFields(0), jpeg);
    ASSERT_EQ(block.size(), 66u + 6);
    EXPECT_EQ((Bytes{block.begin(), block.begin() + 6}), (Bytes{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 62}));
    EXPECT_EQ((Bytes{block.begin() + 66, block.end()}),
              (Bytes{0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9}));
}

TEST(MkcardVideoFormat, PictureSizeCodes) {
    EXPECT_EQ(PictureSizeCode(360, 240), 2);
    EXPECT_EQ(PictureSizeCode(720, 240), 3);
    EXPECT_EQ(PictureSizeCode(720, 480), 4);
    EXPECT_EQ(PictureSizeCode(360, 288), 0x82);
    EXPECT_EQ(PictureSizeCode(720, 576), 0x84);
}

TEST(MkcardAudioFormat, BlocksAndIndexReadBack) {
    Bytes data, index;
    std::array<std::uint8_t, kAudioSamplesPerBlock> alaw{};
    for (int block = 0; block < 4; ++block) {
        alaw.fill(static_cast<std::uint8_t>(0x55 + block));
        Append(index,
               MakeAudioRecord(static_cast<std::uint32_t>(data.size()), kNoon + block * 100));
        Append(data, MakeAudioBlock(kNoon + block * 100, alaw));
    }
    TrailerFields trailer;
    trailer.streamType = 2;
    trailer.codec = 101;
    trailer.recordCount = 4;
    Append(index, MakeTrailer(trailer));

    CInfoAdxFile fromIndex, fromData;
    ASSERT_TRUE(fromIndex.LoadFromBytes(index, data, "/card/audio/event/1,x.add"));
    ASSERT_TRUE(fromData.LoadFromBytes({}, data, "/card/audio/event/1,x.add"));
    ASSERT_EQ(fromIndex.m_nFrameCount, 4);
    ASSERT_EQ(fromData.m_nFrameCount, 3); // the last block is not taken without index
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(fromIndex.m_pFrames[block].dwOffset, block * 820u);
        EXPECT_EQ(fromData.m_pFrames[block].dwOffset, block * 820u);
        EXPECT_EQ(fromIndex.m_pFrames[block].dwSize, 800u);
        EXPECT_EQ(fromData.m_pFrames[block].stTime.wMilliseconds, block * 100);
    }
    EXPECT_EQ(data[820 - 2], 0xFF);
    EXPECT_EQ(data[820 - 1], 0xD9);
}

TEST(MkcardMarkers, EventCodeAtByteSeven) {
    const auto edx = MakeEdx(1, 64, 2);
    EXPECT_EQ(EventCodeOfMarker(std::as_bytes(std::span(edx))), 64);
}

TEST(MkcardLog, SentencesCarryValidChecksums) {
    const std::string line = NmeaLine("GPGGA,1,2,3");
    ASSERT_GE(line.size(), 5u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    std::uint8_t sum = 0;
    for (char c : std::string_view(line).substr(1, line.find('*') - 1))
        sum ^= static_cast<std::uint8_t>(c);
    EXPECT_EQ(std::stoi(line.substr(line.find('*') + 1, 2), nullptr, 16), sum);
}

TEST(MkcardLog, LinesLoadAsTheDriveThatMadeThem) {
    DriveModel drive(7, kNoon);
    drive.AddEvent(kNoon + 3000, 1, 0);
    drive.AddGpsOutage(kNoon + 5000, kNoon + 6000);
    std::string text = LogHeaderLine(3, "DRIVE00001", "CARD000001");
    for (int second = 0; second < 8; ++second) {
        const std::int64_t at = kNoon + second * 1000;
        const DriveState s = drive.At(at);
        text += RmcLine(at - 9 * 3600000, s) + GgaLine(at - 9 * 3600000, s) + GsvLines(s, 7) +
                MvdrlLine(second + 1, at, s, 55, 1);
    }
    test::ScopedTimeZone zone("UTC");
    CInfoLogFile log;
    log.SetMapType(2); // the strictest plausibility window
    ASSERT_EQ(log.LoadFromBytes(
                  std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())),
              1);
    EXPECT_EQ(log.m_nLogFormat, 3);
    EXPECT_EQ(log.m_strDRID, "DRIVE00001");
    ASSERT_EQ(log.m_nSampleCount, 8);
    for (int second = 0; second < 8; ++second) {
        SCOPED_TRACE(second);
        const DriveState s = drive.At(kNoon + second * 1000);
        const LogSample& sample = log.m_pSamples[second];
        EXPECT_EQ(sample.llTime, ToRecorderMs(ToSystemTime(kNoon + second * 1000)));
        EXPECT_EQ(sample.byGpsValid, second == 5 ? 0 : 1);
        if (second != 5) {
            EXPECT_NEAR(sample.dLat, s.latitude, 2e-6);
            EXPECT_NEAR(sample.dLon, s.longitude, 2e-6);
            EXPECT_NEAR(sample.fSpeed, s.speedKmh, 0.2);
            EXPECT_EQ(sample.stGpsTime.wHour, 3); // UTC, nine hours behind the recorder
        }
        EXPECT_NEAR(sample.fGx, s.gx, 0.001);
        EXPECT_EQ(sample.byCarSignal, s.carSignal);
        EXPECT_EQ(sample.bySatView, s.satellitesInView);
        EXPECT_EQ(sample.wSpeedRaw, 55);
    }
}

TEST(MkcardDrive, StaysPlausibleAndSmooth) {
    for (std::uint64_t seed : {1u, 2u, 99u}) {
        DriveModel drive(seed, kNoon);
        DriveState previous = drive.At(kNoon);
        for (int second = 1; second < 3 * 3600; second += 7) {
            const DriveState s = drive.At(kNoon + second * 1000LL);
            EXPECT_TRUE(IsRecorderPositionPlausible(ToNmea(s.latitude), ToNmea(s.longitude), 2));
            EXPECT_GT(s.latitude, 32.1);
            EXPECT_LT(s.latitude, 43.51);
            EXPECT_GT(s.longitude, 118.1);
            EXPECT_LT(s.longitude, 135.24);
            EXPECT_GT(s.speedKmh, 5);
            EXPECT_LT(s.speedKmh, 90);
            // Seven seconds at under 90 km/h is less than 200 m.
            const double metres = std::hypot((s.latitude - previous.latitude) * 111320,
                                             (s.longitude - previous.longitude) * 90000);
            EXPECT_LT(metres, 200);
            previous = s;
        }
    }
}

TEST(MkcardDrive, ShockShowsInTheGSensor) {
    DriveModel drive(3, kNoon);
    drive.AddEvent(kNoon + 10000, 32, 1);
    EXPECT_LT(std::fabs(drive.At(kNoon + 9000).gx), 0.3);
    EXPECT_GT(std::fabs(drive.At(kNoon + 10000).gx), 0.8);
    EXPECT_EQ(drive.At(kNoon + 13000).carSignal & 0x0C, 0x0C); // hazard lights afterwards
}

TEST(MkcardConfig, SetIniFollowsTheModelFamily) {
    test::TempDir dir;
    SetIniValues values;
    values.channelInUse = {true, true, false, true};
    values.recordingMode = {1, 2, 3, 1};
    values.carPulseType = 3;
    for (int model : {20, 21, 23, 24}) {
        SCOPED_TRACE(model);
        values.model = model;
        const std::string text = MakeSetIni(values);
        ProfileStore ini(dir.Write("set" + std::to_string(model) + ".ini", text));
        EXPECT_EQ(ini.ReadInt("SET", "USECHANNEL2", -5), 1);
        EXPECT_EQ(ini.ReadInt("SET", "USECHANNEL3", -5), 0);
        EXPECT_EQ(ini.ReadInt("SET", "USECHANNEL4", -5), model == 20 ? -5 : 1);
        EXPECT_EQ(ini.ReadInt("SET", "CARPULSETYPE", -5), 3);
        EXPECT_EQ(ini.ReadString("SDINFO", "VERSIONID", ""), model == 20   ? ""
                                                             : model == 21 ? "1"
                                                             : model == 23 ? "2"
                                                                           : "3");
        EXPECT_EQ(ini.ReadString("SET", "GCONF", ""), model >= 23 ? "1" : "");
        EXPECT_EQ(ini.ReadInt("SET", "TRGSET", 0), model >= 23 ? 34 : 3);
        if (model != 20) {
            EXPECT_EQ(ini.ReadInt("SET", "MAXFILENUM", 0), 1500); // cameras 1, 2 and 4 record
            EXPECT_EQ(ini.ReadInt("SET", "EVENTRECPER", -1), 30);
        }
        EXPECT_NE(text.find("\r\n"), std::string::npos);
    }
    values.model = 19;
    EXPECT_TRUE(MakeSetIni(values).empty());
}

TEST(MkcardConfig, SdidAndVersionFiles) {
    const Bytes sdid = MakeSdidIni("AB12");
    EXPECT_EQ(std::string(sdid.begin(), sdid.end()), "\xEF\xBB\xBFsdid=AB12");
    EXPECT_EQ(MakeSdidIni("ABCDEFGHIJKLMN").size(), 3u + 5 + 10);
    test::TempDir dir;
    ProfileStore version(dir.Write("version.ini", MakeVersionIni("RX21_V1.00")));
    EXPECT_EQ(version.ReadString("INFO", "VERSION", ""), "RX21_V1.00");
}

TEST(MkcardClock, TitlesAndTimeText) {
    const std::string title = FileTitle(123, WallMs(2009, 3, 12, 10, 15, 30));
    const RecorderTitle parsed(title);
    EXPECT_EQ(parsed.Serial(), "0000000123");
    EXPECT_EQ(parsed.ListNumber(), "123");
    EXPECT_EQ(parsed.StartText(), "2009.03.12 10:15:30");
    EXPECT_EQ(TimeText(WallMs(2024, 2, 29, 23, 59, 59, 999) + 1), "2024-03-01 00:00:00.000");
    EXPECT_EQ(ToSystemTime(WallMs(2024, 5, 19, 0, 0, 0)).wDayOfWeek, 0); // a Sunday
    EXPECT_TRUE(ParseWallTime("2024-05-17 09:30:00"));
    EXPECT_FALSE(ParseWallTime("2023-02-29 09:30:00"));
    EXPECT_FALSE(ParseWallTime("2024-05-17 24:00:00"));
    EXPECT_FALSE(ParseWallTime("2024-05-17"));
}

TEST(MkcardPicture, TallPicturesStackTheirFields) {
    BgrPicture progressive(4, 6);
    for (int y = 0; y < 6; ++y)
        FillRect(progressive, 0, y, 4, 1, {static_cast<std::uint8_t>(y), 0, 0});
    const BgrPicture stacked = StackFields(progressive);
    const int expected[6] = {0, 2, 4, 1, 3, 5};
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(stacked.Pixel(3, y)[0], expected[y]) << y;
}

TEST(MkcardPicture, CounterAndTimeAreDrawn) {
    const BgrPicture a = DrawScene(360, 240, 0, 5, "2024-05-17 09:30:00.000");
    const BgrPicture b = DrawScene(360, 240, 0, 6, "2024-05-17 09:30:00.000");
    const BgrPicture c = DrawScene(360, 240, 0, 5, "2024-05-17 09:30:01.000");
    // The caption box rows (top 34 rows at scale 2) differ exactly where the text differs.
    auto captionDiffers = [](const BgrPicture& x, const BgrPicture& y, int row0, int row1) {
        for (int row = row0; row < row1; ++row)
            for (int col = 0; col < 300; ++col)
                if (x.Pixel(col, row)[0] != y.Pixel(col, row)[0])
                    return true;
        return false;
    };
    EXPECT_TRUE(captionDiffers(a, b, 0, 16)); // frame counter line
    EXPECT_FALSE(captionDiffers(a, c, 0, 16));
    EXPECT_TRUE(captionDiffers(a, c, 16, 32)); // time line
    EXPECT_EQ(a.Pixel(0, 0)[0], 0);            // dark box behind the text
}

TEST(MkcardDescText, DirectivesAndErrors) {
    CardDesc desc;
    EXPECT_EQ(ApplyDescText("model 20\n# comment\nseed 9\n"
                            "event pre=3 post=2 code=64 ext=4 codec=jpeg size=720x480 fps=2 "
                            "channels=13 audio=none skew=1\n"
                            "normal files=2 seconds=30 marker=40:32/2 marker=5:1\n"
                            "damage old-trailer video=1:3\ndamage short-data log=0 bytes=12\n",
                            desc),
              "");
    EXPECT_EQ(desc.model, 20);
    EXPECT_EQ(desc.seed, 9u);
    ASSERT_EQ(desc.recordings.size(), 2u);
    const RecordingDesc& event = desc.recordings[0];
    EXPECT_EQ(event.eventCode, 64);
    EXPECT_EQ(event.eventCodeEx, 4);
    EXPECT_EQ(event.codec, Codec::Jpeg);
    EXPECT_EQ(event.height, 480);
    EXPECT_EQ(event.channels, (std::array<bool, 4>{true, false, true, false}));
    EXPECT_FALSE(event.audio);
    const RecordingDesc& normal = desc.recordings[1];
    ASSERT_EQ(normal.markers.size(), 2u);
    EXPECT_EQ(normal.markers[0].eventCodeEx, 2);
    EXPECT_EQ(normal.markers[1].offsetSeconds, 5);
    ASSERT_EQ(desc.damage.size(), 2u);
    EXPECT_EQ(desc.damage[0].channel, 2);
    EXPECT_EQ(desc.damage[1].target, DamageTarget::Log);
    EXPECT_EQ(desc.damage[1].bytes, 12);

    CardDesc other;
    EXPECT_EQ(ApplyDescText("seed 1\nevent fps=31\n", other).rfind("line 2:", 0), 0u);
    EXPECT_NE(ApplyDescLine("model 25", other), "");
    EXPECT_NE(ApplyDescLine("normal pre=3", other), ""); // an event option
    EXPECT_NE(ApplyDescLine("damage index-missing", other), "");
    EXPECT_NE(ApplyDescLine("damage melted video=0:1", other), "");
    EXPECT_NE(ApplyDescLine("damage index-missing video=0", other), "");
    EXPECT_NE(ApplyDescLine("start 2024-13-01 00:00:00", other), "");
}

TEST(MkcardDescText, DemoCoversEveryRecordingKind) {
    const CardDesc demo = DemoDesc();
    int events = 0, normalGroups = 0, extended = 0, jpeg = 0, tall = 0, markers = 0;
    for (const RecordingDesc& r : demo.recordings) {
        (r.kind == RecordingKind::Event ? events : normalGroups)++;
        extended += r.eventCode == 32 || r.eventCode == 64;
        jpeg += r.codec == Codec::Jpeg;
        tall += r.height == 480;
        markers += static_cast<int>(r.markers.size());
        EXPECT_EQ(r.channels, (std::array<bool, 4>{true, true, true, true}));
    }
    EXPECT_GE(events, 3);
    EXPECT_EQ(normalGroups, 2);
    EXPECT_GE(extended, 2);
    EXPECT_GE(jpeg, 1);
    EXPECT_GE(tall, 1);
    EXPECT_GE(markers, 1);
    EXPECT_GE(demo.memos.size(), 1u);
}

} // namespace
} // namespace trevix::mkcard
